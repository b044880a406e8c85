// The grid's mouse through simulated input: row selection with Shift and
// Ctrl, drags that select and auto-scroll on the fake clock, title clicks and
// buttons, sizing and moving columns, column and corner selection, and the
// right-button popup menus.
#include "grid/ToolCtrlsGx.h"
#include "platform/gui/Menus.h"
#include "tests/grid/input/GridInputSupport.h"

using namespace gridtest;

namespace {

class GridMouse : public GridInputTest {
protected:
    TPoint Cell(TCustomGrid* g, int ACol, int ARow) { return CellCenter(g, ACol, ARow); }
    // A click of the left button, far enough in time from the last one not to make a double click.
    void ClickAt(TWinControl* c, TPoint P, TShiftState Shift = 0) {
        Wait(1000);
        SimulateClick(c->Handle(), P.X, P.Y, Shift);
    }
    std::vector<std::string> log;
    void HookClicks(TDBGridGx* g) {
        g->OnTitleClick = TDBGridClickEventGx(this, &GridMouse::TitleClicked);
        g->OnTitleBtnClick = TTitleButtonClickEventGx(this, &GridMouse::TitleButtonClicked);
        g->OnCellClick = TDBGridClickEventGx(this, &GridMouse::CellClicked);
    }
    void TitleClicked(TColumnGx* Column) { log.push_back("title " + Column->FieldName()); }
    void TitleButtonClicked(TObject*, int ACol, TColumnGx* Column) {
        log.push_back("button " + std::to_string(ACol) + " " + Column->FieldName());
    }
    void CellClicked(TColumnGx* Column) { log.push_back("cell " + Column->FieldName() + " at " + Current()); }
};

TEST_F(GridMouse, RowsAreSelectedWithCtrlAndShiftClicks) {
    TDBGridGx* g = MakeInputGrid(RowSelectMulti());
    int top = g->TitleOffset();
    ClickAt(g, Cell(g, 1, top + 1));
    EXPECT_EQ(SelectedRecNos(g), (std::vector<int>{2}));
    ClickAt(g, Cell(g, 1, top + 3), ssCtrl);
    EXPECT_EQ(SelectedRecNos(g), (std::vector<int>{2, 4}));
    ClickAt(g, Cell(g, 1, top + 5), ssShift);
    EXPECT_EQ(SelectedRecNos(g), (std::vector<int>{2, 4, 5, 6}));
    EXPECT_EQ(RecNo(), 6);
    ClickAt(g, Cell(g, 2, top + 4), ssCtrl);
    EXPECT_EQ(SelectedRecNos(g), (std::vector<int>{2, 4, 6}));
    // The indicator selects rows as well.
    ClickAt(g, Cell(g, 0, top + 7), ssCtrl);
    EXPECT_EQ(SelectedRecNos(g), (std::vector<int>{2, 4, 6, 8}));
    ClickAt(g, Cell(g, 1, top + 2));
    EXPECT_EQ(SelectedRecNos(g), (std::vector<int>{3}));
}

TEST_F(GridMouse, SelectedRowsFollowBookmarksNotClicks) {
    TDBGridGx* g = MakeInputGrid(RowSelectMulti());
    int top = g->TitleOffset();
    for (int row : {6, 4, 1, 3}) ClickAt(g, Cell(g, 1, top + row), ssCtrl);
    EXPECT_EQ(SelectedRecNos(g), (std::vector<int>{2, 4, 5, 7}));
    // Sorted anew, the list follows the new order and still finds its records.
    query->SetSort("ID DESC");
    EXPECT_EQ(SelectedRecNos(g), (std::vector<int>{7, 5, 4, 2}));
    ASSERT_TRUE(query->Locate("ID", Variant(4), {}));
    EXPECT_TRUE(g->SelectedRows()->CurrentRowSelected());
    ASSERT_TRUE(query->Locate("ID", Variant(3), {}));
    EXPECT_FALSE(g->SelectedRows()->CurrentRowSelected());
    g->SelectedRows()->SetCurrentRowSelected(true);
    EXPECT_EQ(SelectedRecNos(g), (std::vector<int>{7, 5, 4, 3, 2}));
}

TEST_F(GridMouse, DraggingBelowTheRowsSelectsAndScrollsOnTheTimer) {
    TDBGridGx* g = MakeInputGrid(RowSelectMulti());
    int top = g->TitleOffset();
    TPoint start = Cell(g, 1, top);
    Wait(1000);
    SimulateMouseDown(g->Handle(), TSimButton::Left, start.X, start.Y);
    TRect box = g->DataBox();
    // 30 pixels below the rows: 5 rows at once, then 5 more at every tick (interval 0).
    SimulateMouseMove(g->Handle(), start.X, box.Bottom + 29, ssLeft);
    EXPECT_EQ(RecNo(), 6);
    EXPECT_EQ(g->SelectedRows()->Count(), 6);
    Wait(10);
    EXPECT_EQ(RecNo(), 11);
    Wait(10);
    EXPECT_EQ(RecNo(), 16);
    EXPECT_EQ(g->SelectedRows()->Count(), 16);
    // Back inside the rows the timer stops; the selection shrinks towards the pointer.
    TPoint inside = Cell(g, 1, top + 2);
    SimulateMouseMove(g->Handle(), inside.X, inside.Y, ssLeft);
    int here = RecNo();
    Wait(100);
    EXPECT_EQ(RecNo(), here);
    SimulateMouseUp(g->Handle(), TSimButton::Left, inside.X, inside.Y);
    EXPECT_EQ(g->SelectedRows()->Count(), here);
    EXPECT_EQ(g->GridDragState(), 0);
    EXPECT_FALSE(g->Selecting());
}

TEST_F(GridMouse, SixPixelsBelowScrollOneRowEvery110Milliseconds) {
    TDBGridGx* g = MakeInputGrid(RowSelectMulti());
    TPoint start = Cell(g, 1, g->TitleOffset());
    Wait(1000);
    SimulateMouseDown(g->Handle(), TSimButton::Left, start.X, start.Y);
    TRect box = g->DataBox();
    SimulateMouseMove(g->Handle(), start.X, box.Bottom + 5, ssLeft);
    EXPECT_EQ(RecNo(), 2);
    Wait(100);
    EXPECT_EQ(RecNo(), 2);
    Wait(10);
    EXPECT_EQ(RecNo(), 3);
    SimulateMouseUp(g->Handle(), TSimButton::Left, start.X, box.Bottom + 5);
    Wait(500);
    EXPECT_EQ(RecNo(), 3);
}

// Grids that select no records by dragging (no multi-select, or cells only):
// the current record and column follow the pointer and the rows scroll on the
// timer past the bottom, and nothing gets selected.
TEST_F(GridMouse, DraggingWithoutRecordSelectionMovesTheCurrentCell) {
    const struct {
        const char* What;
        TDBGridOptions Options;
        bool ColumnFollows;
    } cases[] = {
        {"editing grid", {dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                          dgConfirmDelete, dgCancelOnExit}, true},
        {"row-select grid", {dgTitles, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect,
                             dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        if (query->Active()) query->First();
        TDBGridGx* g = MakeInputGrid(c.Options);
        int top = g->TitleOffset();
        TPoint start = Cell(g, g->IndicatorOffset() + 1, top + 1);
        Wait(1000);
        SimulateMouseDown(g->Handle(), TSimButton::Left, start.X, start.Y);
        ASSERT_EQ(RecNo(), 2);
        TPoint over = Cell(g, g->IndicatorOffset() + 2, top + 4);
        SimulateMouseMove(g->Handle(), over.X, over.Y, ssLeft);
        EXPECT_EQ(RecNo(), 5);
        EXPECT_EQ(Current(), "Planet 5");
        if (c.ColumnFollows) {
            EXPECT_EQ(g->SelectedIndex(), 2);
        }
        // Below the rows: 12 pixels give 2 rows at once and 2 more every 20 ms.
        TRect box = g->DataBox();
        SimulateMouseMove(g->Handle(), over.X, box.Bottom + 11, ssLeft);
        int below = RecNo();
        EXPECT_GT(below, 5);
        Wait(20);
        EXPECT_EQ(RecNo(), below + 2);
        Wait(20);
        EXPECT_EQ(RecNo(), below + 4);
        SimulateMouseUp(g->Handle(), TSimButton::Left, over.X, box.Bottom + 11);
        int released = RecNo();
        Wait(200);
        EXPECT_EQ(RecNo(), released);
        EXPECT_EQ(g->SelectedRows()->Count(), 0);
        EXPECT_EQ(g->Selection()->SelectionType(), gstNon);
        EXPECT_FALSE(g->MouseCapture());
        FreeObject(g);
    }
}

TEST_F(GridMouse, DraggingInACellGridSelectsARectangle) {
    TDBGridGx* g = MakeInputGrid(CellMulti());
    int top = g->TitleOffset();
    TPoint a = Cell(g, 1, top + 1), b = Cell(g, 3, top + 3);
    Wait(1000);
    SimulateMouseDown(g->Handle(), TSimButton::Left, a.X, a.Y);
    SimulateMouseMove(g->Handle(), (a.X + b.X) / 2, (a.Y + b.Y) / 2, ssLeft);
    SimulateMouseMove(g->Handle(), b.X, b.Y, ssLeft);
    SimulateMouseUp(g->Handle(), TSimButton::Left, b.X, b.Y);
    ASSERT_EQ(g->Selection()->SelectionType(), gstRectangle);
    TDBGridGxSelectionRect* r = g->Selection()->Rect();
    EXPECT_EQ(r->LeftCol(), 0);
    EXPECT_EQ(r->RightCol(), 2);
    EXPECT_EQ(g->Selection()->GetGridRect(), TGridRect(1, top + 1, 3, top + 3));
    // Dragged back onto its anchor cell it is no selection.
    Wait(1000);
    SimulateMouseDown(g->Handle(), TSimButton::Left, a.X, a.Y);
    SimulateMouseMove(g->Handle(), b.X, b.Y, ssLeft);
    SimulateMouseMove(g->Handle(), a.X, a.Y, ssLeft);
    SimulateMouseUp(g->Handle(), TSimButton::Left, a.X, a.Y);
    EXPECT_EQ(g->Selection()->SelectionType(), gstNon);
}

TEST_F(GridMouse, TitleReleasesFireTitleClickAndTitleButtonClick) {
    TDBGridGx* g = MakeInputGrid(RowSelectMulti());
    HookClicks(g);
    ClickAt(g, Cell(g, 2, 0));
    EXPECT_EQ(log, (std::vector<std::string>{"title Galaxy"}));
    log.clear();
    g->Columns()->Items(2)->Title()->SetTitleButton(true);
    ClickAt(g, Cell(g, 3, 0));
    EXPECT_EQ(log, (std::vector<std::string>{"button 3 Metal", "title Metal"}));
    log.clear();
    ClickAt(g, Cell(g, 1, g->TitleOffset() + 2));
    EXPECT_EQ(log, (std::vector<std::string>{"cell Name at Planet 3"}));
    // A title button pressed and moved 4 pixels becomes a column move: no button click.
    log.clear();
    TPoint p = Cell(g, 3, 0);
    Wait(1000);
    SimulateMouseDown(g->Handle(), TSimButton::Left, p.X, p.Y);
    SimulateMouseMove(g->Handle(), p.X + 3, p.Y, ssLeft);
    EXPECT_TRUE(g->GridState() == gsNormal);
    SimulateMouseMove(g->Handle(), p.X + 4, p.Y, ssLeft);
    SimulateMouseUp(g->Handle(), TSimButton::Left, p.X + 4, p.Y);
    EXPECT_EQ(std::count(log.begin(), log.end(), "button 3 Metal"), 0);
}

// With multi-level titles only a column's own part of its title is its
// button: a press on the parent title above it, or a release there, is no
// button click.
TEST_F(GridMouse, TitleButtonsAnswerOnlyOnTheColumnsOwnTitlePart) {
    TDBGridGx* g = MakeInputGrid(RowSelectMulti());
    HookClicks(g);
    g->SetUseMultiTitle(true);
    g->Columns()->Items(1)->Title()->SetCaption("Where|Galaxy");
    g->Columns()->Items(2)->Title()->SetCaption("Where|Metal");
    for (int i : {1, 2}) g->Columns()->Items(i)->Title()->SetTitleButton(true);
    Application->ProcessMessages();
    const TRect title = g->CellRect(2, 0);
    const int parentY = title.Top + 4, leafY = title.Bottom - 4;
    const int x = (title.Left + title.Right) / 2;
    ASSERT_GT(leafY - parentY, 20);
    ClickAt(g, TPoint(x, leafY));
    EXPECT_EQ(log, (std::vector<std::string>{"button 2 Galaxy", "title Galaxy"}));
    log.clear();
    ClickAt(g, TPoint(x, parentY));
    EXPECT_EQ(std::count(log.begin(), log.end(), "button 2 Galaxy"), 0);
    log.clear();
    Wait(1000);
    SimulateMouseDown(g->Handle(), TSimButton::Left, x, leafY);
    SimulateMouseMove(g->Handle(), x, parentY, ssLeft);
    SimulateMouseUp(g->Handle(), TSimButton::Left, x, parentY);
    EXPECT_EQ(std::count(log.begin(), log.end(), "button 2 Galaxy"), 0);
}

TEST_F(GridMouse, ColumnsAreSizedAndMovedByDragging) {
    TDBGridGx* g = MakeInputGrid(RowSelectMulti());
    TColumnGx* name = g->Columns()->Items(0);
    int width = name->Width();
    int edge = g->CellRect(1, 0).Right;
    Wait(1000);
    SimulateMouseDown(g->Handle(), TSimButton::Left, edge, 5);
    SimulateMouseMove(g->Handle(), edge + 30, 5, ssLeft);
    SimulateMouseUp(g->Handle(), TSimButton::Left, edge + 30, 5);
    EXPECT_EQ(name->Width(), width + 30);
    TPoint from = Cell(g, 1, 0), to = Cell(g, 3, 0);
    Wait(1000);
    SimulateMouseDown(g->Handle(), TSimButton::Left, from.X, from.Y);
    SimulateMouseMove(g->Handle(), from.X + 10, from.Y, ssLeft);
    SimulateMouseMove(g->Handle(), to.X, to.Y, ssLeft);
    SimulateMouseUp(g->Handle(), TSimButton::Left, to.X, to.Y);
    EXPECT_EQ(ColumnNames(g->Columns()), (std::vector<std::string>{"Galaxy", "Metal", "Name", "Player"}));
}

TEST_F(GridMouse, TitleZoneSelectsColumnsAndTheCornerSelectsAll) {
    TDBGridGx* g = MakeInputGrid(CellMulti());
    TRect title = g->CellRect(2, 0);
    int zoneY = title.Bottom - 2;
    ClickAt(g, TPoint((title.Left + title.Right) / 2, zoneY));
    ASSERT_EQ(g->Selection()->SelectionType(), gstColumns);
    TRect last = g->CellRect(4, 0);
    ClickAt(g, TPoint((last.Left + last.Right) / 2, zoneY), ssShift);
    TDBGridGxSelectionCols* cols = g->Selection()->Columns();
    ASSERT_EQ(cols->Count(), 3);
    EXPECT_EQ(cols->Items(0)->FieldName(), "Galaxy");
    EXPECT_EQ(cols->Items(2)->FieldName(), "Player");
    ClickAt(g, TPoint((last.Left + last.Right) / 2, zoneY), ssCtrl);
    EXPECT_EQ(cols->Count(), 2);
    // Above the zone a title press is a title click, not a selection.
    ClickAt(g, TPoint((title.Left + title.Right) / 2, title.Top + 2));
    EXPECT_EQ(g->Selection()->SelectionType(), gstColumns);
    // The corner: an existing selection is cleared, then everything is selected.
    TPoint corner = Cell(g, 0, 0);
    ClickAt(g, corner);
    EXPECT_EQ(g->Selection()->SelectionType(), gstNon);
    ClickAt(g, corner);
    EXPECT_EQ(g->Selection()->SelectionType(), gstAll);
}

TEST_F(GridMouse, RightButtonShowsTheColumnsPopupOrTheGrids) {
    TDBGridGx* g = MakeInputGrid(RowSelectMulti());
    auto* gridMenu = new TPopupMenu(form);
    gridMenu->SetName("popPlanet");
    auto* columnMenu = new TPopupMenu(form);
    columnMenu->SetName("popColumn");
    g->SetPopupMenu(gridMenu);
    g->Columns()->Items(1)->SetPopupMenu(columnMenu);
    std::vector<std::string> shown;
    SetPopupMenuRunner([&](TPopupMenu* Menu, TPoint) -> TMenuItem* {
        shown.push_back(Menu->Name());
        return nullptr;
    });
    Wait(1000);
    TPoint p = Cell(g, 2, g->TitleOffset() + 1);
    SimulateClick(g->Handle(), p.X, p.Y, 0, TSimButton::Right);
    Wait(1000);
    p = Cell(g, 1, g->TitleOffset() + 1);
    SimulateClick(g->Handle(), p.X, p.Y, 0, TSimButton::Right);
    EXPECT_EQ(shown, (std::vector<std::string>{"popColumn", "popPlanet"}));
    EXPECT_EQ(columnMenu->PopupComponent(), g);
    EXPECT_FALSE(g->MouseCapture());
    SetPopupMenuRunner(nullptr);
}

}  // namespace

namespace {

class GridMouseMore : public GridInputTest {};

TEST_F(GridMouseMore, AFrozenColumnIsSizedByItsTitleEdge) {
    TDBGridGx* g = MakeInputGrid(CellMulti());
    g->SetFrozenCols(1);
    Application->ProcessMessages();
    ASSERT_EQ(g->FixedCols(), 2);
    TColumnGx* name = g->Columns()->Items(0);
    int width = name->Width();
    int edge = g->CellRect(1, 0).Right;
    tick += 1000;
    SimulateMouseDown(g->Handle(), TSimButton::Left, edge, 5);
    EXPECT_EQ(g->GridDragState(), 6);
    SimulateMouseMove(g->Handle(), edge + 20, 5, ssLeft);
    SimulateMouseUp(g->Handle(), TSimButton::Left, edge + 20, 5);
    EXPECT_EQ(name->Width(), width + 20);
    EXPECT_EQ(g->GridDragState(), 0);
}

TEST_F(GridMouseMore, CutTextsGetATooltipAndTextsThatFitDoNot) {
    TDBGridGx* g = MakeInputGrid(CellMulti());
    TColumnGx* name = g->Columns()->Items(0);
    name->SetToolTips(true);
    name->SetWidth(30);
    g->Columns()->Items(1)->SetToolTips(true);
    Application->ProcessMessages();
    auto hint = [&](int ACol, int ARow) {
        THintInfo info;
        TRect r = g->CellRect(ACol, ARow);
        info.CursorPos = TPoint(r.Left + 2, r.Top + 2);
        info.HintStr = "grid hint";
        g->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
        return info;
    };
    int top = g->TitleOffset();
    THintInfo cut = hint(1, top + 2);
    EXPECT_EQ(cut.HintStr, "Planet 3");
    EXPECT_EQ(cut.CursorRect, g->CellRect(1, top + 2));
    EXPECT_EQ(cut.HintPos, g->ClientToScreen(TPoint(g->CellRect(1, top + 2).Left - 1, g->CellRect(1, top + 2).Top)));
    EXPECT_EQ(hint(2, top + 2).HintStr, "");  // "1" fits its cell
    // A title's own hint: its short part over the title cell.
    name->Title()->SetHint("Planet name|The name the game shows");
    EXPECT_EQ(hint(1, 0).HintStr, "Planet name");
    int pause = -1;
    TRect r = g->CellRect(1, top + 2);
    Mouse->SetCursorPos(g->ClientToScreen(TPoint(r.Left + 2, r.Top + 2)));
    g->Perform(CM_HINTSHOWPAUSE, 0, reinterpret_cast<LPARAM>(&pause));
    EXPECT_EQ(pause, 0);
}

TEST_F(GridMouseMore, DoubleClickOnAnEdgeFitsTheColumnToItsWidestText) {
    TDBGridGx* g = MakeInputGrid(CellMulti());
    g->SetOptionsGx(g->OptionsGx() + dghDblClickOptimizeColWidth);
    TColumnGx* name = g->Columns()->Items(0);
    name->SetWidth(20);
    Application->ProcessMessages();
    int edge = g->CellRect(1, 0).Right;
    tick += 1000;
    SimulateDoubleClick(g->Handle(), edge, 5);
    EXPECT_EQ(name->Width(), name->OptimizeWidth());
    EXPECT_GT(name->Width(), 40);
}

// A double click on a title edge fits the column to its footer text, a check
// box column to its box and a column that always shows its button to its text
// and the button; the current record and its place on screen stay.
TEST_F(GridMouseMore, DoubleClickOnATitleEdgeFitsFootersCheckBoxesAndButtons) {
    TDBGridGx* g = MakeInputGrid(CellMulti(), 420, 260);
    g->SetOptionsGx(g->OptionsGx() + dghDblClickOptimizeColWidth);
    g->SetFooterRowCount(1);
    TColumnGx* name = g->Columns()->Items(0);
    name->Footer()->SetValueType(fvtStaticText);
    name->Footer()->SetValue("Every planet of the three galaxies");
    TColumnGx* galaxy = g->Columns()->Items(1);
    galaxy->Title()->SetCaption("G");
    galaxy->SetCheckboxes(true);
    TColumnGx* metal = g->Columns()->Items(2);
    metal->Title()->SetCaption("M");
    metal->SetButtonStyle(cbsEllipsis);
    metal->SetAlwaysShowEditButton(true);
    for (TColumnGx* c : {name, galaxy, metal}) c->SetWidth(60);
    query->MoveBy(25);
    Application->ProcessMessages();
    const int row = g->Row(), recNo = RecNo();

    auto textWidth = [&](TFont* Font, const char* Text) {
        g->Canvas()->Font()->Assign(Font);
        return g->Canvas()->TextWidth(Text);
    };
    const struct {
        TColumnGx* Column;
        int Expected;
    } cases[] = {
        {name, textWidth(name->Footer()->Font(), "Every planet of the three galaxies") + 4},
        {galaxy, DefaultCheckBoxWidth() + 4},
        {metal, textWidth(metal->Font(), "40000") + 4 + metal->GetEditButtonsWidth()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Column->FieldName());
        int edge = g->CellRect(g->DataToRawColumn(c.Column->Index()), 0).Right;
        tick += 1000;
        SimulateDoubleClick(g->Handle(), edge, 5);
        EXPECT_EQ(c.Column->Width(), c.Expected);
        EXPECT_EQ(RecNo(), recNo);
        EXPECT_EQ(g->Row(), row);
    }
}

}  // namespace
