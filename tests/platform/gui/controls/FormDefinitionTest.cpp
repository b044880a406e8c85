// A form built from its text definition: components, parents, bound handlers,
// the action and menu structure, and a picture of it for a person to look at.
#include <cstdlib>
#include <filesystem>

#include "platform/db/DbClassInfo.h"
#include "platform/gui/DBCtrls.h"
#include "platform/rtti/FormText.h"
#include "platform/rtti/Published.h"
#include "tests/platform/gui/controls/ControlsTestForm.h"

namespace {

TEST_F(ControlsFormTest, DefinitionBuildsTheTreeWithParentsAndBoundHandlers) {
    EXPECT_EQ(form->Log.front(), "FormCreate");
    EXPECT_EQ(form->Caption(), "Controls");

    // Every component is in its field and under the parent that encloses it.
    struct Case {
        TControl* control;
        TWinControl* parent;
    } cases[] = {{form->pcMain, form},          {form->tsGeneral, form->pcMain}, {form->tsDetails, form->pcMain},
                 {form->edtName, form->tsGeneral}, {form->lblName, form->tsGeneral}, {form->btnSlow, nullptr},
                 {form->lstFilters, form->tsDetails}, {form->sbMain, form}};
    cases[5].parent = form->btnSlow ? form->btnSlow->Parent() : nullptr;
    for (const Case& c : cases) {
        ASSERT_NE(c.control, nullptr);
        EXPECT_EQ(c.control->Parent(), c.parent) << c.control->Name();
    }
    EXPECT_EQ(std::string(form->btnSlow->Parent()->Name()), "grpSpeed");
    ASSERT_EQ(form->pcMain->PageCount(), 2);
    EXPECT_EQ(form->pcMain->Pages(1), form->tsDetails);
    EXPECT_EQ(form->pcMain->ActivePage(), form->tsGeneral);
    EXPECT_TRUE(form->tsGeneral->Visible());
    EXPECT_FALSE(form->tsDetails->Visible());

    // Handler names became bound events of this form.
    EXPECT_TRUE(form->pcMain->OnChange == MakeEvent(form, &TfrmControlsTest::pcMainChange));
    EXPECT_TRUE(form->edtName->OnChange == MakeEvent(form, &TfrmControlsTest::edtNameChange));
    EXPECT_TRUE(form->actRun->OnExecute == MakeEvent(form, &TfrmControlsTest::actRunExecute));
    EXPECT_TRUE(form->mSmall->OnClick == MakeEvent(form, &TfrmControlsTest::mViewClick));
    EXPECT_TRUE(form->tsDetails->OnShow == MakeEvent(form, &TfrmControlsTest::tsDetailsShow));

    // Values of several kinds arrived.
    EXPECT_EQ(form->edtName->Text(), "Alpha Centauri");
    EXPECT_EQ(form->memNotes->Lines()->Count(), 2);
    EXPECT_EQ(form->memNotes->PopupMenu(), form->popNotes);
    EXPECT_EQ(form->cmbKind->Items()->Count(), 3);
    EXPECT_EQ(form->cmbKind->Style(), csDropDownList);
    EXPECT_EQ(form->cmbKind->Text(), "Planet");  // the choice was read before the items
    EXPECT_EQ(form->grpRating->ItemIndex(), 1);
    EXPECT_EQ(form->grpRating->ButtonCount(), 4);
    EXPECT_TRUE(form->cbxKeep->Checked());
    EXPECT_TRUE(form->btnRun->Default());
    EXPECT_EQ(form->btnClose->ModalResult(), mrCancel);
    EXPECT_TRUE(form->btnSlow->Down());
    EXPECT_EQ(form->sbMain->Panels()->Count(), 2);
    EXPECT_EQ(form->sbMain->Panels()->Items(0)->Text(), "Ready");
    EXPECT_EQ(form->lstFilters->ColWidths(1), 240);
    EXPECT_EQ(form->lstFilters->Cells(0, 0), "Name");
    EXPECT_EQ(form->lstFilters->Cells(1, 2), "Galaxy = 1");
    EXPECT_EQ(form->Menu(), form->mnuMain);
    // Loading the radio group's choice clicked nothing.
    EXPECT_EQ(form->Count("grpRatingClick:1"), 0);
}

TEST_F(ControlsFormTest, ActionsAndMenusAreWiredAsDefined) {
    // The button and the menu item show the action.
    EXPECT_EQ(form->btnRun->Action(), form->actRun);
    EXPECT_EQ(form->btnRun->Caption(), "&Run report");
    EXPECT_EQ(form->btnRun->Hint(), "Run the report");
    EXPECT_EQ(form->mRun->Caption(), "&Run report");
    EXPECT_EQ(form->mRun->ShortCut(), TextToShortCut("Ctrl+R"));
    EXPECT_EQ(form->actClear->ActionList(), form->alMain);
    EXPECT_EQ(form->alMain->ActionCount(), 2);

    // Two menus on the bar, a submenu of two radio items in one group.
    TMenuItem* root = form->mnuMain->Items();
    ASSERT_EQ(root->Count(), 2);
    EXPECT_EQ(root->Items(0), form->mFile);
    ASSERT_EQ(form->mFile->Count(), 4);
    EXPECT_TRUE(form->mFile->Items(2)->IsLine());
    EXPECT_EQ(form->mView->Parent(), form->mFile);
    ASSERT_EQ(form->mView->Count(), 2);
    EXPECT_TRUE(form->mSmall->RadioItem());
    EXPECT_TRUE(form->mSmall->Checked());
    EXPECT_FALSE(form->mLarge->Checked());
    EXPECT_EQ(form->mLarge->GetParentMenu(), form->mnuMain);
}

// A form without fields, read from definitions written here.
class TfrmBare : public TForm {
    TESK_CLASS(TfrmBare, TForm)
public:
    explicit TfrmBare(TComponent* AOwner) : TForm(AOwner) {}
    int Clicks = 0;
    void Clicked(TObject*) { ++Clicks; }
};

TEST(ControlsDefinition, HandlersBindByNameAndUnknownNamesFailTheLoad) {
    struct Case {
        const char* text;
        const char* error;  // nullptr: loads
    } cases[] = {
        {"object f: TfrmBare\n  object b: TButton\n    OnClick = Clicked\n  end\nend\n", nullptr},
        {"object f: TfrmBare\n  object b: TButton\n    OnClick = NoSuchHandler\n  end\nend\n", "NoSuchHandler"},
        {"object f: TfrmBare\n  object b: TNoSuchControl\n  end\nend\n", "TNoSuchControl"},
        {"object f: TfrmBare\n  object b: TButton\n    Action = actMissing\n  end\nend\n", "actMissing"},
    };
    for (const Case& c : cases) {
        TfrmBare* form = CreateForm<TfrmBare>(nullptr);
        std::string message;
        try {
            ReadComponentDefinition(form, c.text, "bare.form");
        } catch (const Exception& e) {
            message = e.Message();
        }
        if (!c.error) {
            EXPECT_EQ(message, "");
            auto* button = dynamic_cast<TButton*>(form->FindComponent("b"));
            ASSERT_NE(button, nullptr);
            button->Perform(BM_CLICK, 0, 0);
            EXPECT_EQ(form->Clicks, 1);
        } else {
            EXPECT_NE(message.find(c.error), std::string::npos) << message;
            EXPECT_EQ(form->ComponentCount(), 0) << c.text;
        }
        FreeObject(form);
    }
}

TEST(ControlsDefinition, NavigatorTakesItsDataSourceAndHintsFromTheDefinition) {
    RegisterDbClasses();
    TfrmBare* form = CreateForm<TfrmBare>(nullptr);
    ReadComponentDefinition(form,
                            "object f: TfrmBare\n"
                            "  object ds: TDataSource\n  end\n"
                            "  object nav: TDBNavigator\n"
                            "    DataSource = ds\n"
                            "    Hints.Strings = ('Erste' 'Vorige')\n"
                            "  end\n"
                            "end\n",
                            "bare.form");
    auto* nav = dynamic_cast<TDBNavigator*>(form->FindComponent("nav"));
    ASSERT_NE(nav, nullptr);
    EXPECT_EQ(nav->DataSource(), form->FindComponent("ds"));
    EXPECT_EQ(nav->Buttons(nbPrior)->Hint(), "Vorige");
    EXPECT_EQ(nav->Buttons(nbLast)->Hint(), "Last record");
    FreeObject(form);
}

TEST_F(ControlsFormTest, PictureOfTheFormIsWritten) {
    form->memNotes->Lines()->Add("Third line, typed later");
    form->lstFields->SetItemIndex(1);
    Application->ProcessMessages();
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "tesk-controls";
    std::filesystem::create_directories(dir);
    std::string general = (dir / "TfrmControlsTest-general.png").string();
    std::string details = (dir / "TfrmControlsTest-details.png").string();
    ASSERT_TRUE(SaveWindowImage(form->Handle(), general));
    form->pcMain->SetActivePage(form->tsDetails);
    Application->ProcessMessages();
    ASSERT_TRUE(SaveWindowImage(form->Handle(), details));
    EXPECT_GT(std::filesystem::file_size(general), 1000u);
    EXPECT_GT(std::filesystem::file_size(details), 1000u);
}

}  // namespace

TESK_PUBLISHED(TfrmBare) { Handler("Clicked", &T::Clicked); }
