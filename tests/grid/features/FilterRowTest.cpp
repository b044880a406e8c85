// The grid's filter row over a SQLite query: its editor opened by a press on
// a filter cell, typed filters applied through the data set, its keys, and
// the list of fixed items and the column's values.
#include <filesystem>
#include <string>
#include <vector>

#include "grid/DBGridGxFilterRow.h"
#include "grid/GxLibVCL.h"
#include "tests/grid/features/FeatureTestSupport.h"

namespace {

using namespace featuretest;

class FilterRow : public FleetGridTest {
protected:
    void SetUp() override {
        FleetGridTest::SetUp();
        grid->STFilter()->SetVisible(true);
        Application->ProcessMessages();
    }
    // Presses the filter cell of the column at Index (near its left edge).
    void PressFilterCell(int Index) {
        TRect r = grid->CellRect(grid->IndicatorOffset() + Index, grid->TitleOffset() - 1);
        SimulateMouseDown(grid->Handle(), TSimButton::Left, r.Left + 4, (r.Top + r.Bottom) / 2);
        SimulateMouseUp(grid->Handle(), TSimButton::Left, r.Left + 4, (r.Top + r.Bottom) / 2);
        Application->ProcessMessages();
    }
    // The Name column's filter list offers the fleet's names.
    void ListNamesInTheNameFilter() {
        auto* names = new TADOQuery(form);
        names->SetConnection(connection);
        names->SQL()->SetText("SELECT Name FROM Fleet");
        names->Open();
        auto* namesSource = new TDataSource(form);
        namesSource->SetDataSet(names);
        Column("Name")->STFilter()->SetListSource(namesSource);
    }
    TInplaceFilterEditGx* Editor() { return dynamic_cast<TInplaceFilterEditGx*>(grid->FilterEditor()); }
    void Type(const char* Text) {
        SimulateTyping(Editor()->Handle(), Text);
        Application->ProcessMessages();
    }
    void Key(WORD VirtKey, TShiftState Shift = 0) {
        SimulateKey(Editor()->Handle(), VirtKey, Shift);
        Application->ProcessMessages();
    }
};

TEST_F(FilterRow, TypedFiltersApplyThroughTheDataSetAndClearingBringsEveryRowBack) {
    EXPECT_TRUE(grid->IsFilterRow(grid->TitleOffset() - 1));
    PressFilterCell(1);  // Metal
    ASSERT_NE(Editor(), nullptr);
    EXPECT_TRUE(grid->FilterEditing());
    EXPECT_EQ(grid->FilterEditColumn(), 1);
    EXPECT_TRUE(Editor()->Visible());
    EXPECT_FALSE(Editor()->EditButton()->Visible());  // no list source: a plain editor
    EXPECT_EQ(Editor()->InplaceEditHolder(), grid);

    Type("> 200 AND < 800");
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3, 4, 5, 6}));  // nothing applies before Enter
    Key(VK_RETURN);
    EXPECT_EQ(Column("Metal")->STFilter()->ExpressionText(), "> 200 AND < 800");
    EXPECT_EQ(Ids(), (std::vector<int>{2, 3, 4}));

    // Right at the end of the text goes to the next filter cell, whose filter adds to the first.
    Key(VK_RIGHT);
    EXPECT_EQ(grid->FilterEditColumn(), 2);
    Type(">= 4");
    Key(VK_RETURN);
    EXPECT_EQ(Ids(), (std::vector<int>{4}));
    // Left with Ctrl goes back; Home with Ctrl to the first cell; Left there wraps to the last.
    Key(VK_LEFT, ssCtrl);
    EXPECT_EQ(grid->FilterEditColumn(), 1);
    EXPECT_EQ(Editor()->Text(), "> 200 AND < 800");
    Key(VK_HOME, ssCtrl);
    EXPECT_EQ(grid->FilterEditColumn(), 0);
    Key(VK_LEFT);
    EXPECT_EQ(grid->FilterEditColumn(), 3);

    // A cleared text applied shows every row the other filter lets through.
    Key(VK_LEFT, ssCtrl);
    Key(VK_F2);
    Key(VK_DELETE);
    Key(VK_RETURN);
    EXPECT_EQ(Column("Debris")->STFilter()->ExpressionText(), "");
    EXPECT_EQ(Ids(), (std::vector<int>{2, 3, 4}));

    // Down leaves the filter row for the data, on the column edited.
    query->Last();
    Key(VK_DOWN);
    EXPECT_FALSE(grid->FilterEditing());
    EXPECT_FALSE(Editor()->Visible());
    EXPECT_EQ(grid->SelectedIndex(), 2);
    EXPECT_EQ(query->FieldByName("ID")->AsInteger(), 2);
    // Up from the first record enters it again.
    SimulateKey(grid->Handle(), VK_UP);
    Application->ProcessMessages();
    EXPECT_TRUE(grid->FilterEditing());
    EXPECT_EQ(grid->FilterEditColumn(), 2);

    grid->ClearFilter();
    EXPECT_FALSE(grid->FilterEditing());
    EXPECT_EQ(Column("Metal")->STFilter()->ExpressionText(), "");
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

// Shift does not keep Up on the first record out of the filter row, and Down
// from the filter row enters the filter's column in a row-select grid too.
TEST_F(FilterRow, ShiftUpEntersItAndDownEntersTheColumnInRowSelectGrids) {
    int entered = 0;
    struct TCounter {
        int* Count;
        void Enter(TObject*) { ++*Count; }
    } counter{&entered};
    grid->OnColEnter = TNotifyEvent(&counter, &TCounter::Enter);
    for (bool rowSelect : {false, true}) {
        SCOPED_TRACE(rowSelect ? "row select" : "cells");
        TDBGridOptions options = grid->Options();
        if (rowSelect) options.Include(dgRowSelect);
        grid->SetOptions(options);
        query->First();
        grid->SetFocus();
        Application->ProcessMessages();
        SimulateKey(grid->Handle(), VK_UP, ssShift);
        Application->ProcessMessages();
        ASSERT_TRUE(grid->FilterEditing());
        entered = 0;
        const int column = rowSelect ? 1 : 2;  // not the current one
        PressFilterCell(column);
        Key(VK_DOWN);
        EXPECT_FALSE(grid->FilterEditing());
        EXPECT_EQ(entered, 1);
        if (!rowSelect) {
            EXPECT_EQ(grid->SelectedIndex(), column);
        }
    }
}

TEST_F(FilterRow, TheListOffersTheFixedItemsAndTheColumnsValues) {
    ListNamesInTheNameFilter();
    Column("Name")->STFilter()->SetListField("Name");
    Column("Metal")->STFilter()->SetExpressionText("> 200");  // applied with the first Enter
    grid->Invalidate();

    PressFilterCell(0);
    ASSERT_NE(Editor(), nullptr);
    EXPECT_TRUE(Editor()->EditButton()->Visible());
    Editor()->DropDown();
    Application->ProcessMessages();
    ASSERT_TRUE(Editor()->ListVisible());
    std::vector<std::string> items;
    for (int i = 0; i < Editor()->Items()->Count(); ++i) items.push_back(Editor()->Items()->Strings(i));
    ASSERT_GE(items.size(), 9u);
    EXPECT_EQ(items[0], SFilterClearGx());
    EXPECT_EQ(items[1], SFilterAllGx());
    EXPECT_EQ(items[2], SFilterNotEmptiesGx());
    EXPECT_EQ(items[3], SFilterEmptiesGx());
    EXPECT_EQ(std::vector<std::string>(items.end() - 5, items.end()),
              (std::vector<std::string>{"Alpha", "Alpha Prime", "Beta", "Gamma", "O'Neil"}));
    // The column keeps the list as an object of the class tree.
    ASSERT_TRUE(Column("Name")->FilterValueList);
    EXPECT_STREQ(static_cast<TObject*>(Column("Name")->FilterValueList.get())->ClassName(), "TDatasetFieldValueListGx");

    const std::string png = (std::filesystem::temp_directory_path() / "tesk-grid-filter-row.png").string();
    ASSERT_TRUE(SaveWindowsImage({form->Handle(), Editor()->PopupList()->Handle()}, png));
    std::printf("filter row screenshot: %s\n", png.c_str());

    // A chosen value becomes the text; Enter applies it.
    Editor()->PopupList()->SetItemIndex(static_cast<int>(items.size()) - 3);  // Beta
    Editor()->CloseUp(true);
    EXPECT_EQ(Editor()->Text(), "Beta");
    Key(VK_RETURN);
    EXPECT_EQ(Ids(), (std::vector<int>{2}));

    // The fixed items: empty names, then clearing every filter at once.
    struct Case {
        int Item;
        const char* Text;
        std::vector<int> Ids;
    };
    for (const Case& c : {Case{3, "=Null", {5}}, Case{2, "<>Null", {2, 3, 4}}, Case{0, "", {1, 2, 3, 4, 5, 6}}}) {
        SCOPED_TRACE(c.Text);
        Editor()->DropDown();
        Editor()->PopupList()->SetItemIndex(c.Item);
        Editor()->CloseUp(true);
        EXPECT_EQ(Editor()->Text(), c.Text);
        Key(VK_RETURN);
        EXPECT_EQ(Ids(), c.Ids);
    }
    // Clearing took every column's filter.
    EXPECT_EQ(Column("Name")->STFilter()->ExpressionText(), "");
    EXPECT_EQ(Column("Metal")->STFilter()->ExpressionText(), "");
}

TEST_F(FilterRow, TheSortItemsOfATitleButtonColumnSortTheQueryByThatColumnAlone) {
    grid->SetOptionsGx(grid->OptionsGx() + dghAutoSortMarking);
    Column("Metal")->Title()->SetTitleButton(true);
    Column("Metal")->Title()->SetSortMarker(smUpGx);
    Column("Name")->Title()->SetTitleButton(true);
    ListNamesInTheNameFilter();

    PressFilterCell(0);
    Editor()->DropDown();
    ASSERT_GE(Editor()->Items()->Count(), 7);
    EXPECT_EQ(Editor()->Items()->Strings(0), SFilterSortAscendingGx());
    EXPECT_EQ(Editor()->Items()->Strings(1), SFilterSortDescendingGx());
    EXPECT_EQ(Editor()->Items()->Strings(2), "-");
    EXPECT_EQ(Editor()->Items()->Strings(3), SFilterClearGx());
    Editor()->PopupList()->SetItemIndex(1);
    Editor()->CloseUp(true);
    Application->ProcessMessages();
    EXPECT_EQ(Column("Metal")->Title()->SortMarker(), smNoneGx);
    EXPECT_EQ(Column("Name")->Title()->SortMarker(), smDownGx);
    EXPECT_EQ(Ids(), (std::vector<int>{3, 4, 2, 6, 1, 5}));
}

}  // namespace
