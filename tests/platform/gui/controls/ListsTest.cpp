// Combo box, list box, value list editor, radio group and check box: what the
// user changes is reported, what the program sets mostly is not.
#include "tests/platform/gui/controls/ControlsTestForm.h"

namespace {

TEST_F(ControlsFormTest, ComboBoxReportsTheUsersChoiceButNotTheProgramsOne) {
    TComboBox* combo = form->cmbKind;
    form->Log.clear();
    combo->SetItemIndex(1);
    EXPECT_EQ(combo->Text(), "Moon");
    combo->SetText("Debris field");
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_TRUE(form->Log.empty());

    // The user steps to the next item with the keyboard.
    combo->SetItemIndex(0);
    combo->SetFocus();
    SimulateKey(combo->Handle(), VK_DOWN);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"cmbKindChange:Moon"}));

    // An editable combo box reports typing.
    form->Log.clear();
    combo->SetStyle(csDropDown);
    combo->SetItemIndex(-1);
    EXPECT_EQ(combo->Text(), "");
    SimulateTyping(combo->Handle(), "Ri");
    EXPECT_EQ(combo->Text(), "Ri");
    EXPECT_EQ(form->Log, (std::vector<std::string>{"cmbKindChange:R", "cmbKindChange:Ri"}));
}

TEST(ComboBoxItems, SortedListPutsAddedItemsInPlaceAndKeepsTheirObjects) {
    auto* combo = new TComboBox(nullptr);
    TObject tag;
    combo->SetSorted(true);
    combo->Items()->Add("Metal");
    combo->Items()->AddObject("crystal", &tag);
    combo->Items()->Add("Deuterium");
    EXPECT_EQ(combo->Items()->CommaText(), "crystal,Deuterium,Metal");
    EXPECT_EQ(combo->Items()->Objects(0), &tag);
    // Insert puts an item where it is told, even in a sorted list.
    combo->Items()->Insert(0, "Zinc");
    EXPECT_EQ(combo->Items()->Strings(0), "Zinc");
    combo->SetItemIndex(3);
    combo->Items()->Delete(0);
    EXPECT_EQ(combo->Text(), "Metal");
    // An item equal but for letter case goes after the ones it equals; the
    // code page's letters sort after the Latin ones, a lower-case one with
    // its capital.
    EXPECT_EQ(combo->Items()->Add("metal"), 3);
    EXPECT_EQ(combo->Items()->Add("\xE1"), 4);
    EXPECT_EQ(combo->Items()->Add("\xC0"), 4);
    EXPECT_EQ(combo->Items()->Add(""), 0);
    EXPECT_EQ(combo->Items()->Add("CRYSTAL"), 2);
    EXPECT_EQ(combo->Items()->CommaText(), ",crystal,CRYSTAL,Deuterium,Metal,metal,\xC0,\xE1");
    EXPECT_EQ(combo->Text(), "Metal");
    FreeObject(combo);
}

// A list box that writes down what it was asked to draw.
class TDrawnList : public TListBox {
public:
    using TListBox::TListBox;
    std::vector<std::pair<int, TOwnerDrawState>> Drawn;
    void Paint() override {
        Drawn.clear();
        TListBox::Paint();
    }

protected:
    void DrawItem(int Index, TRect Rect, TOwnerDrawState State) override {
        Drawn.emplace_back(Index, State);
        EXPECT_EQ(Rect, ItemRect(Index));
        TListBox::DrawItem(Index, Rect, State);
    }
};

TEST_F(ControlsFormTest, OwnerDrawnVirtualListDrawsTheRowsInViewWithTheirState) {
    auto* list = new TDrawnList(form);
    list->SetParent(form->tsGeneral);
    list->SetBounds(8, 40, 200, 100);
    list->SetStyle(lbVirtualOwnerDraw);
    list->SetItemHeight(20);
    list->SetCount(50);
    EXPECT_EQ(list->VisibleRows(), (list->ClientHeight()) / 20);
    list->SetTopIndex(10);
    list->SetItemIndex(12);
    list->SetFocus();
    PaintWindowNow(list->Handle());
    ASSERT_FALSE(list->Drawn.empty());
    EXPECT_EQ(list->Drawn.front().first, 10);
    for (auto& [index, state] : list->Drawn) {
        EXPECT_EQ((state & odSelected) != 0, index == 12) << index;
        EXPECT_EQ((state & odFocused) != 0, index == 12) << index;
    }
    EXPECT_EQ(list->ItemAtPos(TPoint(5, 45), true), 12);
    EXPECT_EQ(list->ItemAtPos(TPoint(5, 2000), true), -1);
}

TEST_F(ControlsFormTest, ListBoxSelectStringAndKeysMoveTheChoice) {
    TListBox* list = form->lstFields;  // sorted: Crystal, Deuterium, Metal
    form->pcMain->SetActivePage(form->tsDetails);
    struct Case {
        int start;
        const char* prefix;
        LRESULT found;
    } cases[] = {
        {0xFFFF, "d", 1},  // from the top, any letter case
        {1, "c", 0},       // wraps around after the start
        {0xFFFF, "me", 2},
        {0xFFFF, "x", -1},
    };
    for (const Case& c : cases) {
        LRESULT r = list->Perform(LB_SELECTSTRING, static_cast<WPARAM>(c.start), reinterpret_cast<LPARAM>(c.prefix));
        EXPECT_EQ(r, c.found) << c.prefix;
        if (c.found >= 0) {
            EXPECT_EQ(list->ItemIndex(), c.found);
        }
    }
    int clicks = 0;
    struct TCount {
        int* n;
        void Click(TObject*) { ++*n; }
    } count{&clicks};
    list->OnClick = MakeEvent(&count, &TCount::Click);
    list->SetItemIndex(0);
    EXPECT_EQ(clicks, 0);  // set by the program
    list->SetFocus();
    SimulateKey(list->Handle(), VK_END);
    EXPECT_EQ(list->ItemIndex(), 2);
    SimulateTyping(list->Handle(), "d");
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(clicks, 2);
}

TEST_F(ControlsFormTest, ValueListEditorAsksOnSelectCellBeforeMoving) {
    TValueListEditor* grid = form->lstFilters;
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->Keys(1), "Rich");
    form->Log.clear();
    grid->SetRow(2);
    EXPECT_EQ(grid->Row(), 2);
    grid->SetCol(0);  // the handler refuses row 2, column 0
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"lstFiltersSelectCell:1,2", "lstFiltersSelectCell:0,2"}));

    // A click on a cell selects it the same way.
    form->pcMain->SetActivePage(form->tsDetails);
    form->Log.clear();
    TRect cell = grid->CellRect(1, 1);
    ResetDoubleClick();
    SimulateClick(grid->Handle(), cell.Left + 5, cell.Top + 5);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"lstFiltersSelectCell:1,1"}));
    EXPECT_EQ(grid->Row(), 1);

    // Rows come and go with the lines; an empty list still has one row.
    EXPECT_EQ(grid->InsertRow("Far", "Galaxy > 5", true), 3);
    EXPECT_EQ(grid->Cells(1, 3), "Galaxy > 5");
    grid->SetCells(0, 3, "Distant");
    EXPECT_EQ(grid->Strings()->Strings(2), "Distant=Galaxy > 5");
    grid->Strings()->Clear();
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(ControlsFormTest, RadioGroupChoiceRunsOnClickFromCodeAndFromTheUser) {
    TRadioGroup* group = form->grpRating;
    form->Log.clear();
    group->SetItemIndex(3);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"grpRatingClick:3"}));
    EXPECT_TRUE(group->Buttons(3)->Checked());
    EXPECT_FALSE(group->Buttons(1)->Checked());

    form->Log.clear();
    TRadioButton* first = group->Buttons(0);
    ResetDoubleClick();
    SimulateClick(first->Handle(), 5, first->Height() / 2);
    EXPECT_EQ(group->ItemIndex(), 0);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"grpRatingClick:0"}));
    EXPECT_FALSE(group->Buttons(3)->Checked());

    // Buttons sit in two columns.
    EXPECT_EQ(group->Buttons(0)->Left(), group->Buttons(1)->Left());
    EXPECT_GT(group->Buttons(2)->Left(), group->Buttons(0)->Left());
}

TEST_F(ControlsFormTest, CheckBoxCyclesThroughItsStatesAndClicksOnEachChange) {
    TCheckBox* box = form->cbxKeep;
    int clicks = 0;
    struct TCount {
        int* n;
        void Click(TObject*) { ++*n; }
    } count{&clicks};
    box->OnClick = MakeEvent(&count, &TCount::Click);
    box->SetAllowGrayed(true);
    ResetDoubleClick();
    SimulateClick(box->Handle(), 6, box->Height() / 2);
    EXPECT_EQ(box->State(), cbUnchecked);
    ResetDoubleClick();
    SimulateClick(box->Handle(), 6, box->Height() / 2);
    EXPECT_EQ(box->State(), cbGrayed);
    ResetDoubleClick();
    SimulateClick(box->Handle(), 6, box->Height() / 2);
    EXPECT_EQ(box->State(), cbChecked);
    EXPECT_EQ(clicks, 3);
    // Checked set in code clicks too; the window's own check message does not.
    box->SetChecked(false);
    EXPECT_EQ(clicks, 4);
    box->Perform(BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(clicks, 4);
}

}  // namespace
