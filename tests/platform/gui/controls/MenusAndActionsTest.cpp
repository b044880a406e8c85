// Menu items, popup menus, actions and their clients, the application events
// component and the file dialogs.
#include <memory>

#include "platform/gui/AppEvnts.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Services.h"
#include "tests/platform/gui/controls/ControlsTestForm.h"

namespace {

TEST_F(ControlsFormTest, RadioItemsOfAGroupStayExclusiveAndAutoCheckFlipsOnClick) {
    form->Log.clear();
    form->mLarge->Click();
    EXPECT_TRUE(form->mLarge->Checked());
    EXPECT_FALSE(form->mSmall->Checked());
    EXPECT_EQ(form->Log, (std::vector<std::string>{"mViewClick:mLarge"}));
    form->mSmall->SetChecked(true);
    EXPECT_FALSE(form->mLarge->Checked());

    // A radio item of another group is left alone.
    auto* other = NewItem("Other", 0, true, true, nullptr, 0, "mOther");
    other->SetRadioItem(true);
    other->SetGroupIndex(2);
    form->mView->Add(other);
    form->mLarge->SetChecked(true);
    EXPECT_TRUE(other->Checked());
    // A disabled item does not click.
    form->mSmall->SetEnabled(false);
    form->Log.clear();
    form->mSmall->Click();
    EXPECT_TRUE(form->Log.empty());
    EXPECT_FALSE(form->mSmall->Checked());
}

TEST_F(ControlsFormTest, ActionChangesReachEveryClientAndDisabledActionsDoNotRun) {
    form->actRun->SetCaption("&Go");
    form->actRun->SetEnabled(false);
    EXPECT_EQ(form->btnRun->Caption(), "&Go");
    EXPECT_EQ(form->mRun->Caption(), "&Go");
    EXPECT_FALSE(form->btnRun->Enabled());
    EXPECT_FALSE(form->mRun->Enabled());
    form->Log.clear();
    EXPECT_FALSE(form->actRun->Execute());
    form->btnRun->Perform(BM_CLICK, 0, 0);
    EXPECT_TRUE(form->Log.empty());

    form->actRun->SetEnabled(true);
    form->actRun->SetShortCut(TextToShortCut("Ctrl+G"));
    EXPECT_EQ(form->mRun->ShortCut(), TextToShortCut("Ctrl+G"));
    form->btnRun->Perform(BM_CLICK, 0, 0);
    form->mRun->Click();
    EXPECT_EQ(form->Count("actRunExecute"), 2);

    // OnUpdate decides Enabled before every run and while the program is idle.
    form->ClearEnabled = false;
    EXPECT_FALSE(form->actClear->Execute());
    EXPECT_FALSE(form->mClear->Enabled());
    form->ClearEnabled = true;
    form->alMain->UpdateActions();
    EXPECT_TRUE(form->mClear->Enabled());

    // A freed action lets go of its clients.
    FreeObject(form->actRun);
    form->actRun = nullptr;
    EXPECT_EQ(form->btnRun->Action(), nullptr);
    EXPECT_EQ(form->mRun->Action(), nullptr);
}

TEST_F(ControlsFormTest, GroupedActionsCheckOneAtATime) {
    auto* a = new TAction(form);
    auto* b = new TAction(form);
    a->SetActionList(form->alMain);
    b->SetActionList(form->alMain);
    a->SetGroupIndex(3);
    b->SetGroupIndex(3);
    a->SetAutoCheck(true);
    a->Execute();
    EXPECT_TRUE(a->Checked());
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(form->alMain->ActionCount(), 4);
}

TEST_F(ControlsFormTest, PopupMenuRunsTheChosenItemAndItemsComeAndGoAtRunTime) {
    TMenuItem* chosen = nullptr;
    TPoint where;
    SetPopupMenuRunner([&](TPopupMenu* menu, TPoint pos) {
        where = pos;
        return chosen ? chosen : menu->Items()->Items(0);
    });
    // Items inserted while the program runs, one of them right after the first.
    auto* extra = NewItem("Template A", 0, false, true, MakeEvent(form, &TfrmControlsTest::mAboutClick), 0, "pTemplate");
    form->popNotes->Items()->Insert(1, extra);
    ASSERT_EQ(form->popNotes->Items()->Count(), 2);
    EXPECT_EQ(form->popNotes->Items()->IndexOf(extra), 1);

    form->Log.clear();
    chosen = extra;
    form->popNotes->Popup(40, 50);
    EXPECT_EQ(where, TPoint(40, 50));
    EXPECT_EQ(form->Log, (std::vector<std::string>{"mAboutClick"}));

    // A right click on the memo shows its popup menu.
    form->Log.clear();
    chosen = nullptr;
    ResetDoubleClick();
    SimulateClick(form->memNotes->Handle(), 20, 20, 0, TSimButton::Right);
    EXPECT_EQ(form->popNotes->PopupComponent(), form->memNotes);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"actClearExecute"}));

    form->popNotes->Items()->Remove(extra);
    FreeObject(extra);
    EXPECT_EQ(form->popNotes->Items()->Count(), 1);
}

TEST_F(ControlsFormTest, MainMenuBarTakesTheTopOfTheWindow) {
    int withMenu = form->ClientHeight();
    int height = form->Height();
    form->SetMenu(nullptr);
    EXPECT_EQ(form->Height(), height);
    int without = form->ClientHeight();
    EXPECT_GT(without, withMenu + 10);
    form->SetMenu(form->mnuMain);
    EXPECT_EQ(form->ClientHeight(), withMenu);
    // Items hidden at run time leave the bar.
    form->mFile->SetVisible(false);
    form->mnuMain->Items()->Items(1)->SetVisible(false);
    EXPECT_EQ(form->ClientHeight(), without);
}

TEST_F(ControlsFormTest, ApplicationEventsSeeExceptionsAndActions) {
    struct TSink {
        std::vector<std::string> Seen;
        void Exception(TObject*, ::Exception* E) { Seen.push_back("exception:" + E->Message()); }
        void Execute(TBasicAction* A, bool& Handled) {
            Seen.push_back("execute:" + std::string(A->Name()));
            Handled = A->Name() == "actClear";
        }
    } sink;
    auto* events = new TApplicationEvents(form);
    events->OnException = MakeEvent(&sink, &TSink::Exception);
    events->OnActionExecute = MakeEvent(&sink, &TSink::Execute);
    try {
        throw Exception("boom");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    form->Log.clear();
    form->actRun->Execute();
    form->actClear->Execute();
    EXPECT_EQ(sink.Seen,
              (std::vector<std::string>{"exception:boom", "execute:actRun", "execute:actClear"}));
    // The application event took actClear; actRun ran its own handler.
    EXPECT_EQ(form->Log, (std::vector<std::string>{"actRunExecute"}));
    FreeObject(events);
    EXPECT_FALSE(Application->OnException.Assigned());
}

TEST(FileDialogs, CanCloseRefusalShowsTheDialogAgainAndTheRequestCarriesTheSettings) {
    auto service = std::make_shared<TScriptedDialogService>();
    SetDialogService(service);
    service->QueueFile("/tmp/first.mdb");
    service->QueueFile("/tmp/second");
    auto* dialog = new TSaveDialog(nullptr);
    dialog->SetFilter("Microsoft Access Databases (*.mdb)|*.mdb|All files (*.*)|*.*");
    dialog->SetInitialDir("/srv/tesk");
    dialog->SetDefaultExt("mdb");
    dialog->SetOptions(OpenOptionBit(ofOverwritePrompt));
    struct TRefuseFirst {
        int Asked = 0;
        void CanClose(TObject* Sender, bool& CanClose) {
            ++Asked;
            CanClose = static_cast<TOpenDialog*>(Sender)->FileName() != "/tmp/first.mdb";
        }
    } refuse;
    dialog->OnCanClose = MakeEvent(&refuse, &TRefuseFirst::CanClose);
    EXPECT_TRUE(dialog->Execute());
    EXPECT_EQ(refuse.Asked, 2);
    EXPECT_EQ(dialog->FileName(), "/tmp/second.mdb");
    ASSERT_EQ(service->FileDialogs.size(), 2u);
    const TFileDialogRequest& r = service->FileDialogs[0];
    EXPECT_TRUE(r.Save);
    EXPECT_TRUE(r.OverwritePrompt);
    EXPECT_EQ(r.InitialDir, "/srv/tesk");
    EXPECT_EQ(r.Filter, "Microsoft Access Databases (*.mdb)|*.mdb|All files (*.*)|*.*");
    // Cancelled: false, and the name stays.
    EXPECT_FALSE(dialog->Execute());
    EXPECT_EQ(dialog->FileName(), "/tmp/second.mdb");
    FreeObject(dialog);
    SetDialogService(nullptr);
}

}  // namespace
