// The controls drawn here: speed buttons, labels, the status bar, the gauge,
// the splitter and the data-set navigator.
#include <memory>

#include "platform/db/StMemoryDataset.h"
#include "platform/gui/DBCtrls.h"
#include "platform/gui/Services.h"
#include "tests/platform/gui/controls/ControlsTestForm.h"

namespace {

TEST_F(ControlsFormTest, SpeedButtonsOfAGroupStayDownOneAtATime) {
    TSpeedButton* slow = form->btnSlow;
    TSpeedButton* fast = form->btnFast;
    TWinControl* parent = slow->Parent();
    int clicks = 0;
    struct TCount {
        int* n;
        void Click(TObject*) { ++*n; }
    } count{&clicks};
    fast->OnClick = MakeEvent(&count, &TCount::Click);
    auto click = [&](TSpeedButton* b, int dx) {
        ResetDoubleClick();
        SimulateClick(parent->Handle(), b->Left() + dx, b->Top() + 5);
    };
    click(fast, 5);
    EXPECT_TRUE(fast->Down());
    EXPECT_FALSE(slow->Down());
    EXPECT_EQ(fast->State(), bsExclusive);
    // The down button of a group without AllowAllUp stays down.
    click(fast, 5);
    EXPECT_TRUE(fast->Down());
    EXPECT_EQ(clicks, 2);

    // Pressed, then released outside: no click, the face comes back up.
    TSpeedButton* plain = new TSpeedButton(form);
    plain->SetParent(parent);
    plain->SetBounds(400, 18, 40, 22);
    plain->OnClick = MakeEvent(&count, &TCount::Click);
    ResetDoubleClick();
    SimulateMouseDown(parent->Handle(), TSimButton::Left, 410, 25);
    EXPECT_EQ(plain->State(), bsDown);
    SimulateMouseMove(parent->Handle(), 300, 25, ssLeft);
    EXPECT_EQ(plain->State(), bsUp);
    SimulateMouseUp(parent->Handle(), TSimButton::Left, 300, 25);
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(plain->Down());
}

TEST_F(ControlsFormTest, LabelSizesItselfToItsTextInItsFont) {
    TLabel* label = form->lblName;
    int narrow = label->Width();
    label->SetCaption("&Name of the planet:");
    EXPECT_GT(label->Width(), narrow * 2);
    int width = label->Width();
    label->Font()->SetStyle({fsBold});
    EXPECT_GT(label->Width(), width);
    // A right-aligned label keeps its right edge.
    label->SetAlignment(taRightJustify);
    int right = label->Left() + label->Width();
    label->SetCaption("Name:");
    EXPECT_EQ(label->Left() + label->Width(), right);
    // Word wrap keeps within the width and grows downwards.
    label->SetAutoSize(false);
    label->SetWidth(60);
    label->SetCaption("one two three four five six");
    label->SetWordWrap(true);
    label->SetAutoSize(true);
    EXPECT_LE(label->Width(), 60);
    EXPECT_GT(label->Height(), 2 * 13);
}

TEST_F(ControlsFormTest, StatusBarPanelsRunFromLeftToRightAndTheLastFillsTheRest) {
    TStatusBar* bar = form->sbMain;
    EXPECT_EQ(bar->Align(), alBottom);
    EXPECT_EQ(bar->Top() + bar->Height(), form->ClientHeight());
    EXPECT_EQ(bar->PanelRect(0), TRect(0, 2, 380, bar->ClientHeight()));
    EXPECT_EQ(bar->PanelRect(1).Left, 382);
    EXPECT_EQ(bar->PanelRect(1).Right, bar->ClientWidth());
    // The main window's sizing rule: the first panel takes three quarters.
    bar->Panels()->Items(0)->SetWidth(form->Width() - form->Width() / 4);
    bar->Panels()->Items(1)->SetText("42 planets");
    EXPECT_EQ(bar->PanelRect(0).Right, form->Width() - form->Width() / 4);
}

TEST_F(ControlsFormTest, GaugeAndProgressBarKeepTheirValuesInRange) {
    TGauge* gauge = form->gaugeLoad;
    EXPECT_EQ(gauge->PercentDone(), 40);
    gauge->SetMaxValue(200);
    gauge->SetProgress(250);
    EXPECT_EQ(gauge->Progress(), 200);
    EXPECT_EQ(gauge->PercentDone(), 100);
    gauge->SetMinValue(100);
    gauge->SetProgress(150);
    EXPECT_EQ(gauge->PercentDone(), 50);

    TProgressBar* bar = form->pbProgress;
    EXPECT_EQ(bar->Position(), 60);
    bar->SetPosition(-5);
    EXPECT_EQ(bar->Position(), 0);
    bar->SetPosition(95);
    bar->StepIt();  // past the end it starts again
    EXPECT_EQ(bar->Position(), 5);
}

TEST(Splitter, DraggingResizesTheControlBesideIt) {
    TForm* form = CreateForm<TForm>(nullptr);
    form->SetBounds(10, 10, 400, 200);
    auto* left = new TPanel(form);
    left->SetParent(form);
    left->SetAlign(alLeft);
    left->SetWidth(100);
    auto* splitter = new TSplitter(form);
    splitter->SetParent(form);
    splitter->SetLeft(200);  // aligned after the panel
    form->Show();
    ASSERT_EQ(splitter->Left(), 100);
    HWND h = form->Handle();
    ResetDoubleClick();
    SimulateMouseDown(h, TSimButton::Left, 101, 50);
    SimulateMouseMove(h, 141, 50, ssLeft);
    SimulateMouseUp(h, TSimButton::Left, 141, 50);
    EXPECT_EQ(left->Width(), 140);
    EXPECT_EQ(splitter->Left(), 140);
    // Not below MinSize.
    ResetDoubleClick();
    SimulateMouseDown(h, TSimButton::Left, 141, 50);
    SimulateMouseUp(h, TSimButton::Left, 0, 50);
    EXPECT_EQ(left->Width(), splitter->MinSize());
    FreeObject(form);
}

TEST(Image, PictureIsPlacedAtItsSizeCentredOrScaled) {
    auto* image = new TImage(nullptr);
    image->SetBounds(0, 0, 100, 50);
    TBitmap bitmap;
    bitmap.SetSize(40, 20);
    image->Picture()->SetGraphic(&bitmap);
    struct Case {
        bool center, stretch, proportional;
        TRect dest;
    } cases[] = {
        {false, false, false, TRect(0, 0, 40, 20)},
        {true, false, false, TRect(30, 15, 70, 35)},
        {false, true, false, TRect(0, 0, 100, 50)},
        {true, true, true, TRect(0, 0, 100, 50)},  // 2:1 fills 100 x 50 exactly
    };
    for (const Case& c : cases) {
        image->SetCenter(c.center);
        image->SetStretch(c.stretch);
        image->SetProportional(c.proportional);
        EXPECT_EQ(image->DestRect(), c.dest);
    }
    bitmap.SetSize(200, 50);
    image->Picture()->SetGraphic(&bitmap);
    image->SetStretch(false);
    EXPECT_EQ(image->DestRect(), TRect(0, 12, 100, 37));  // shrunk to fit, centred
    FreeObject(image);
}

class NavigatorTest : public ControlsFormTest {
protected:
    void SetUp() override {
        ControlsFormTest::SetUp();
        data = new TStMemoryData(form);
        data->FieldDefs()->Add("Name", ftString, 40);
        data->Open();
        for (const char* name : {"Ceres", "Vesta", "Pallas"}) {
            data->Append();
            data->FieldByName("Name")->SetAsString(name);
            data->Post();
        }
        data->First();
        source = new TDataSource(form);
        source->SetDataSet(data);
        nav = new TDBNavigator(form);
        nav->SetParent(form->tsGeneral);
        nav->SetBounds(8, 330, 240, 25);
        nav->SetDataSource(source);
        dialogs = std::make_shared<TScriptedDialogService>();
        SetDialogService(dialogs);
    }
    void TearDown() override {
        SetDialogService(nullptr);
        ControlsFormTest::TearDown();
    }
    std::string Enabled() {
        std::string s;
        for (int i = nbFirst; i <= nbRefresh; ++i) s += nav->Buttons(static_cast<TNavigateBtn>(i))->Enabled() ? '1' : '0';
        return s;
    }
    TStMemoryData* data = nullptr;
    TDataSource* source = nullptr;
    TDBNavigator* nav = nullptr;
    std::shared_ptr<TScriptedDialogService> dialogs;
};

TEST_F(NavigatorTest, ButtonsFollowTheDataSetAndDeleteAsksFirst) {
    // first prior next last insert delete edit post cancel refresh
    EXPECT_EQ(Enabled(), "0011111001");
    nav->BtnClick(nbLast);
    EXPECT_EQ(data->FieldByName("Name")->AsString(), "Pallas");
    EXPECT_EQ(Enabled(), "1100111001");
    nav->BtnClick(nbEdit);
    EXPECT_EQ(Enabled(), "1100110111");
    nav->BtnClick(nbCancel);

    dialogs->QueueAnswer(mrCancel);
    nav->BtnClick(nbDelete);
    EXPECT_EQ(data->RecordCount(), 3);
    ASSERT_EQ(dialogs->Messages.size(), 1u);
    EXPECT_EQ(dialogs->Messages[0].Text, "Delete record?");
    dialogs->QueueAnswer(mrOk);
    nav->BtnClick(nbDelete);
    EXPECT_EQ(data->RecordCount(), 2);

    // Hints from the list, by button.
    nav->Hints()->SetText("Erster\r\nVoriger\r\n");
    EXPECT_EQ(nav->Buttons(nbPrior)->Hint(), "Voriger");
    EXPECT_EQ(nav->Buttons(nbNext)->Hint(), "Next record");
    data->Close();
    EXPECT_EQ(Enabled(), "0000000000");
}

}  // namespace
