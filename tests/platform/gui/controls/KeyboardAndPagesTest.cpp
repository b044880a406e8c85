// Shortcuts before the focused control, dialog keys, and the page control
// telling the user's page changes from the program's.
#include <set>

#include "tests/platform/gui/controls/ControlsTestForm.h"

namespace {

TEST_F(ControlsFormTest, ShortcutsRunTheirActionBeforeTheFocusedEditSeesTheKey) {
    form->edtName->SetFocus();
    ASSERT_TRUE(form->edtName->Focused());
    struct Case {
        WORD key;
        TShiftState shift;
        bool clearEnabled;
        const char* ran;  // nullptr: nothing ran
    } cases[] = {
        {'R', ssCtrl, true, "actRunExecute"},       // the action's shortcut
        {'L', ssCtrl, true, "actClearExecute"},     // another action of the list
        {VK_DELETE, ssCtrl, true, "actClearExecute"},  // a secondary shortcut
        {VK_F1, 0, true, "mAboutClick"},            // a shortcut of a menu item alone
        {'L', ssCtrl, false, nullptr},              // disabled: the key is taken, nothing runs
    };
    for (const Case& c : cases) {
        form->Log.clear();
        form->ClearEnabled = c.clearEnabled;
        SimulateKey(form->edtName->Handle(), c.key, c.shift);
        if (c.ran) {
            ASSERT_EQ(form->Log.size(), 1u) << c.key;
            EXPECT_EQ(form->Log[0], c.ran);
        } else {
            EXPECT_TRUE(form->Log.empty()) << form->Log[0];
        }
        // The edit never got the key: its text is untouched.
        EXPECT_EQ(form->edtName->Text(), "Alpha Centauri");
    }
}

TEST_F(ControlsFormTest, EnterClicksTheDefaultButtonAndEscTheCancelButton) {
    form->edtName->SetFocus();
    SimulateKey(form->edtName->Handle(), VK_RETURN);
    EXPECT_EQ(form->Count("actRunExecute"), 1);
    SimulateKey(form->edtName->Handle(), VK_ESCAPE);
    EXPECT_EQ(form->ModalResult(), mrCancel);
    // With another button focused, Enter belongs to that one.
    form->SetModalResult(mrNone);
    form->btnClose->SetFocus();
    SimulateKey(form->btnClose->Handle(), VK_RETURN);
    EXPECT_EQ(form->Count("actRunExecute"), 1);
}

TEST_F(ControlsFormTest, PageControlChangeFiresForTheUserAndNotForCode) {
    TPageControl* pc = form->pcMain;
    form->Log.clear();

    // A click on the second tab.
    TRect tab = pc->TabRect(1);
    ResetDoubleClick();
    SimulateClick(pc->Handle(), (tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2);
    EXPECT_EQ(pc->ActivePage(), form->tsDetails);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"tsDetailsShow", "pcMainChange:tsDetails"}));

    // The program goes back: the page shows, no change is reported.
    form->Log.clear();
    pc->SetActivePageIndex(0);
    EXPECT_EQ(pc->ActivePage(), form->tsGeneral);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"tsGeneralShow"}));
    pc->SetActivePage(form->tsDetails);
    EXPECT_EQ(form->Count("pcMainChange:tsDetails"), 0);

    // Ctrl+Tab from a control on a page is the user's choice too.
    pc->SetActivePage(form->tsGeneral);
    form->edtName->SetFocus();
    form->Log.clear();
    SimulateKey(form->edtName->Handle(), VK_TAB, ssCtrl);
    EXPECT_EQ(pc->ActivePage(), form->tsDetails);
    EXPECT_EQ(form->Count("pcMainChange:tsDetails"), 1);

    // OnChanging may refuse the user's choice.
    struct TRefuse {
        void Changing(TObject*, bool& Allow) { Allow = false; }
    } refuse;
    pc->OnChanging = MakeEvent(&refuse, &TRefuse::Changing);
    form->Log.clear();
    tab = pc->TabRect(0);
    ResetDoubleClick();
    SimulateClick(pc->Handle(), (tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2);
    EXPECT_EQ(pc->ActivePage(), form->tsDetails);
    EXPECT_TRUE(form->Log.empty());
}

TEST_F(ControlsFormTest, HiddenPageShowsWhenItsFormDoes) {
    TfrmControlsTest* other = CreateForm<TfrmControlsTest>(nullptr);
    other->pcMain->SetActivePage(other->tsDetails);
    EXPECT_EQ(other->Count("tsDetailsShow"), 0);  // the form is not on the screen yet
    other->Show();
    EXPECT_EQ(other->Count("tsDetailsShow"), 1);
    EXPECT_EQ(other->Count("tsGeneralShow"), 0);
    FreeObject(other);
}

TEST_F(ControlsFormTest, AcceleratorsOfLabelsButtonsAndTabsAct) {
    form->memNotes->SetFocus();
    SimulateKey(form->memNotes->Handle(), 'N', ssAlt);
    EXPECT_TRUE(form->edtName->Focused());
    form->Log.clear();
    SimulateKey(form->edtName->Handle(), 'R', ssAlt);  // "&Run report"
    EXPECT_EQ(form->Log, (std::vector<std::string>{"actRunExecute"}));
    form->Log.clear();
    SimulateKey(form->edtName->Handle(), 'D', ssAlt);  // the "&Details" tab
    EXPECT_EQ(form->pcMain->ActivePage(), form->tsDetails);
    EXPECT_EQ(form->Count("pcMainChange:tsDetails"), 1);
}

}  // namespace

// Tabs that pass the control's right edge go on to another row: every tab in
// sight whole, the pages below all rows, the active tab's row next to the
// page, and one row again once there is room.
TEST_F(ControlsFormTest, TabsThatDoNotFitGoOnToAnotherRow) {
    TPageControl* pc = form->pcMain;
    for (const char* caption : {"Paste Combat Reports", "View Alliances", "Calculate Power"}) {
        auto* page = new TTabSheet(form);
        page->SetPageControl(pc);
        page->SetCaption(caption);
    }
    // The number of rows, after checking where the tabs and the pages are.
    auto rows = [pc] {
        std::set<int> tops;  // of the rows; an inactive tab stands 2 pixels lower
        int bottom = 0;
        for (int i = 0; i < pc->PageCount(); ++i) {
            const TRect r = pc->TabRect(i);
            SCOPED_TRACE(pc->Pages(i)->Caption());
            EXPECT_GE(r.Left, 0);
            EXPECT_LE(r.Right, pc->ClientWidth());
            tops.insert(pc->Pages(i) == pc->ActivePage() ? r.Top : r.Top - 2);
            bottom = std::max(bottom, r.Bottom);
        }
        // The active tab lies on the lowest row, and the pages start below it.
        EXPECT_EQ(pc->TabRect(pc->ActivePage()->TabIndex()).Top, *tops.rbegin());
        EXPECT_LE(bottom - 1, pc->DisplayRect().Top);
        EXPECT_EQ(pc->ActivePage()->BoundsRect(), pc->DisplayRect());
        return static_cast<int>(tops.size());
    };
    pc->SetWidth(260);
    Application->ProcessMessages();
    pc->SetActivePage(pc->Pages(0));
    const int narrow = rows();
    EXPECT_GE(narrow, 2);
    // A click on a tab of the top row brings that row down to the page.
    TRect top = pc->TabRect(0);
    for (int i = 0; i < pc->PageCount(); ++i)
        if (pc->TabRect(i).Top < top.Top) top = pc->TabRect(i);
    ResetDoubleClick();
    SimulateClick(pc->Handle(), (top.Left + top.Right) / 2, (top.Top + top.Bottom) / 2);
    EXPECT_NE(pc->ActivePage(), pc->Pages(0));
    EXPECT_EQ(rows(), narrow);
    EXPECT_TRUE(SaveWindowImage(form->Handle(), "/tmp/tesk-tabs-in-rows.png"));  // looked at by hand
    pc->SetWidth(900);
    Application->ProcessMessages();
    EXPECT_EQ(rows(), 1);
}
