// The grid base: cell geometry with hidden columns, scrolling, column sizing
// and moving with the mouse, and the in-place editor.
#include "tests/grid/core/GridCoreSupport.h"

using namespace gridtest;

namespace {

// A grid of texts kept per cell.
class TTextGrid : public TCustomGrid {
public:
    explicit TTextGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}
    std::map<std::pair<int, int>, AnsiString> Cells;
    std::vector<std::pair<int, int>> Moves;
    int WidthChanges = 0;
    AnsiString GetEditText(int ACol, int ARow) override { return Cells[{ACol, ARow}]; }
    void SetEditText(int ACol, int ARow, const AnsiString& Value) override { Cells[{ACol, ARow}] = Value; }
    using TCustomGrid::CalcMaxTopLeft;

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState) override {
        Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, Cells[{ACol, ARow}]);
    }
    void ColumnMoved(int FromIndex, int ToIndex) override { Moves.emplace_back(FromIndex, ToIndex); }
    void ColWidthsChanged() override {
        ++WidthChanges;
        TCustomGrid::ColWidthsChanged();
    }
};

class GridBase : public GridTest {
protected:
    void SetUp() override {
        GridTest::SetUp();
        grid = new TTextGrid(form);
        grid->SetParent(form);
        grid->SetBorderStyle(bsNone);
        grid->SetScrollBars(ssNone);
        grid->SetBounds(0, 0, 300, 200);
        grid->SetColCount(8);
        grid->SetRowCount(20);
        grid->SetDefaultColWidth(50);
        grid->SetDefaultRowHeight(20);
        form->Show();
    }
    TTextGrid* grid = nullptr;
};

TEST_F(GridBase, CellsLieWhereTheirWidthsPutThemAndHiddenColumnsTakeNoRoom) {
    EXPECT_EQ(grid->CellRect(0, 0), TRect(0, 0, 50, 20));
    EXPECT_EQ(grid->CellRect(2, 1), TRect(102, 21, 152, 41));
    grid->SetColWidths(1, -1);  // hidden, line and all
    EXPECT_EQ(grid->CellRect(1, 1), TRect());
    EXPECT_EQ(grid->CellRect(2, 1), TRect(51, 21, 101, 41));
    struct {
        int X, Y;
        TGridCoord Expect;
    } points[] = {{10, 5, {0, 0}},  {50, 5, {0, 0}},     {51, 25, {2, 1}},   {101, 25, {2, 1}},
                  {102, 41, {3, 1}}, {102, 42, {3, 2}}, {299, 199, {6, 9}}, {-1, 5, {-1, -1}}};
    for (const auto& p : points) {
        SCOPED_TRACE(std::to_string(p.X) + "," + std::to_string(p.Y));
        EXPECT_EQ(grid->MouseCoord(p.X, p.Y), p.Expect);
    }
    grid->SetColCount(4);  // the cells end at 204 now
    EXPECT_EQ(grid->MouseCoord(250, 30), (TGridCoord{-1, -1}));
    grid->SetOptions(grid->Options() - goVertLine - goFixedVertLine);
    grid->SetColWidths(1, 0);  // without lines a width of 0 hides the column
    EXPECT_EQ(grid->CellRect(2, 1).Left, 50);
}

TEST_F(GridBase, ScrollingKeepsTheCurrentCellInViewAndStopsAtTheLastPage) {
    grid->SetScrollBars(ssBoth);
    EXPECT_EQ(grid->LeftCol(), 1);
    grid->SetCol(7);
    EXPECT_TRUE(grid->LeftCol() > 1);
    EXPECT_FALSE(IsRectEmpty(grid->CellRect(7, 1)));
    EXPECT_LE(grid->CellRect(7, 1).Right, grid->ClientWidth());
    int maxLeft = grid->LeftCol();
    grid->Perform(WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(grid->LeftCol(), maxLeft);  // already showing the last column
    grid->Perform(WM_HSCROLL, SB_LEFT, 0);
    EXPECT_EQ(grid->LeftCol(), 1);
    grid->Perform(WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(grid->LeftCol(), 2);
    EXPECT_EQ(GetScrollPos(grid->Handle(), SB_HORZ), 1);
    grid->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_GT(grid->TopRow(), 1);
    // A current cell among the fixed columns is allowed and does not scroll.
    grid->SetFixedCols(3);
    grid->FocusCell(1, 5, true);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_GE(grid->LeftCol(), 3);
}

TEST_F(GridBase, AColumnEdgeInTheFixedRowSizesTheColumn) {
    grid->SetOptions(grid->Options() + goColSizing);
    TRect cell = grid->CellRect(2, 0);
    int edge = cell.Right;
    Press(grid, edge, 5);
    EXPECT_EQ(grid->GridState(), gsColSizing);
    grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(edge + 30, 5));
    Release(grid, edge + 30, 5);
    EXPECT_EQ(grid->GridState(), gsNormal);
    EXPECT_EQ(grid->ColWidths(2), 80);
    EXPECT_GE(grid->WidthChanges, 1);
    // The same press among the data rows selects a cell instead.
    Press(grid, grid->CellRect(2, 3).Right, grid->CellRect(2, 3).Top + 5);
    Release(grid, grid->CellRect(2, 3).Right, grid->CellRect(2, 3).Top + 5);
    EXPECT_EQ(grid->ColWidths(2), 80);
    // Cancel mode drops a sizing half done.
    Press(grid, grid->CellRect(3, 0).Right, 5);
    grid->Perform(WM_CANCELMODE, 0, 0);
    EXPECT_EQ(grid->GridState(), gsNormal);
}

TEST_F(GridBase, DraggingAFixedRowCellMovesTheColumn) {
    grid->SetOptions(grid->Options() + goColMoving);
    grid->Cells[{2, 0}] = "two";
    TPoint from = CellCenter(grid, 2, 0);
    TPoint to = CellCenter(grid, 4, 0);
    Press(grid, from.X, from.Y);
    grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.X, to.Y));
    Release(grid, to.X, to.Y);
    EXPECT_EQ(grid->Moves, (std::vector<std::pair<int, int>>{{2, 4}}));
    // A press that does not move is no move.
    Press(grid, from.X, from.Y);
    Release(grid, from.X, from.Y);
    EXPECT_EQ(grid->Moves.size(), 1u);
}

TEST_F(GridBase, TheEditorLiesOverTheCurrentCellAndHandsItsTextToTheGrid) {
    grid->SetOptions(grid->Options() + goEditing);
    grid->Cells[{2, 3}] = "abc";
    grid->SetFocus();
    grid->FocusCell(2, 3, true);
    grid->ShowEditor();
    TInplaceEdit* editor = grid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->Visible());
    EXPECT_EQ(editor->BoundsRect(), grid->CellRect(2, 3));
    EXPECT_EQ(editor->Text(), "abc");
    editor->Perform(WM_KEYDOWN, VK_RIGHT, 0);  // off the whole-text selection, to the end
    editor->Perform(WM_CHAR, 'd', 0);
    EXPECT_EQ(editor->Text(), "abcd");
    EXPECT_EQ((grid->Cells[{2, 3}]), "abcd");
    editor->Perform(WM_CHAR, VK_BACK, 0);
    EXPECT_EQ((grid->Cells[{2, 3}]), "abc");
    // Down belongs to the grid: the editor follows the new cell.
    grid->Cells[{2, 4}] = "next";
    editor->Perform(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(grid->Row(), 4);
    grid->ShowEditor();
    EXPECT_EQ(editor->Text(), "next");
    EXPECT_EQ(editor->BoundsRect(), grid->CellRect(2, 4));
    grid->HideEditor();
    EXPECT_FALSE(editor->Visible());
}

TEST_F(GridBase, RowAndColumnCountsKeepTheCurrentCellInside) {
    grid->FocusCell(6, 15, true);
    grid->SetRowCount(10);
    EXPECT_EQ(grid->Row(), 9);
    grid->SetColCount(4);
    EXPECT_EQ(grid->Col(), 3);
    grid->SetColCount(1);
    EXPECT_EQ(grid->FixedCols(), 0);
    EXPECT_THROW(grid->SetFixedRows(10), EInvalidGridOperation);
    EXPECT_THROW(grid->FocusCell(0, 50, true), EInvalidGridOperation);
}

}  // namespace
