// What the grid's owners rely on: clicks on titles and cells, double clicks,
// the selected rows, and the database-group chooser built on the grid.
#include <set>

#include "tests/grid/core/GridCoreSupport.h"

using namespace gridtest;

namespace {

class GridEvents : public GridTest {
protected:
    void SetUp() override {
        GridTest::SetUp();
        grid = MakeGrid(420, 220);
        grid->SetDataSource(source);
        for (const char* n : {"Name", "Galaxy", "Metal"}) grid->Columns()->Add()->SetFieldName(n);
        Open();
        grid->OnTitleClick = TDBGridClickEventGx(this, &GridEvents::TitleClicked);
        grid->OnCellClick = TDBGridClickEventGx(this, &GridEvents::CellClicked);
        grid->OnDblClick = TNotifyEvent(this, &GridEvents::DoubleClicked);
        grid->OnTitleBtnClick = TTitleButtonClickEventGx(this, &GridEvents::TitleButtonClicked);
    }
    void TitleClicked(TColumnGx* Column) { log.push_back("title " + Column->FieldName()); }
    void CellClicked(TColumnGx* Column) {
        log.push_back("cell " + (Column ? Column->FieldName() : std::string("-")) + " at " + Current());
    }
    void DoubleClicked(TObject*) { log.push_back("double"); }
    void TitleButtonClicked(TObject*, int ACol, TColumnGx* Column) {
        log.push_back("button " + std::to_string(ACol) + " " + Column->FieldName());
    }
    TDBGridGx* grid = nullptr;
    std::vector<std::string> log;
};

TEST_F(GridEvents, ClicksOnCellsMoveTheRecordAndFireCellClick) {
    TPoint p = CellCenter(grid, 3, grid->TitleOffset() + 2);
    Click(grid, p.X, p.Y);
    EXPECT_EQ(Current(), "Planet 3");
    EXPECT_EQ(grid->SelectedIndex(), 2);
    p = CellCenter(grid, 1, grid->TitleOffset() + 4);
    Click(grid, p.X, p.Y);
    EXPECT_EQ(log, (std::vector<std::string>{"cell Metal at Planet 3", "cell Name at Planet 5"}));
    EXPECT_EQ(grid->Row(), grid->TitleOffset() + 4);
}

TEST_F(GridEvents, ClicksOnTitlesFireTitleClickAndTitleButtons) {
    TPoint p = CellCenter(grid, 2, 0);
    Click(grid, p.X, p.Y);
    EXPECT_EQ(log, (std::vector<std::string>{"title Galaxy"}));
    EXPECT_EQ(Current(), "Planet 1");  // a title click leaves the record

    log.clear();
    grid->Columns()->Items(2)->Title()->SetTitleButton(true);
    p = CellCenter(grid, 3, 0);
    Click(grid, p.X, p.Y);
    EXPECT_EQ(log, (std::vector<std::string>{"button 3 Metal", "title Metal"}));

    // A title button let go over another title does not count as its press.
    log.clear();
    Press(grid, p.X, p.Y);
    TPoint other = CellCenter(grid, 2, 0);
    grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.X + 2, p.Y));
    Release(grid, other.X, other.Y);
    EXPECT_EQ(log, (std::vector<std::string>{"title Galaxy"}));
}

TEST_F(GridEvents, DoubleClicksFireOnDblClick) {
    TPoint p = CellCenter(grid, 1, grid->TitleOffset() + 1);
    Press(grid, p.X, p.Y);
    Release(grid, p.X, p.Y);
    grid->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
    Release(grid, p.X, p.Y);
    EXPECT_EQ(std::count(log.begin(), log.end(), "double"), 1);
    EXPECT_EQ(Current(), "Planet 2");
}

TEST_F(GridEvents, PaintingVisitsEveryDataCellOnItsRecord) {
    struct TSeen {
        std::multiset<std::string> Cells;
        TCustomDBGridGx* Grid = nullptr;
        void Draw(TObject*, const TRect&, int DataCol, TColumnGx* Column, TGridDrawState) {
            Cells.insert(std::to_string(DataCol) + ":" + std::string(Column->GetDisplayText()));
        }
    } seen;
    grid->OnDrawColumnCell = TDrawColumnCellEventGx(&seen, &TSeen::Draw);
    query->MoveBy(3);
    Application->ProcessMessages();
    seen.Cells.clear();
    grid->Repaint();
    int rows = grid->DataLink()->RecordCount();
    EXPECT_EQ(seen.Cells.size(), static_cast<size_t>(3 * rows));
    EXPECT_EQ(seen.Cells.count("0:Planet 1"), 1u);
    EXPECT_EQ(seen.Cells.count("2:" + std::to_string(rows * 1000)), 1u);
    EXPECT_EQ(Current(), "Planet 4");  // painting leaves the current record
}

TEST_F(GridEvents, SizingAndMovingTitlesChangeTheColumns) {
    TColumnGx* name = grid->Columns()->Items(0);
    int edge = grid->CellRect(1, 0).Right;
    int width = name->Width();
    Press(grid, edge, 5);
    grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(edge + 25, 5));
    Release(grid, edge + 25, 5);
    EXPECT_EQ(name->Width(), width + 25);
    EXPECT_TRUE(name->IsAssigned(TColumnGx::cvWidth));
    EXPECT_EQ(std::count(log.begin(), log.end(), "title Name"), 0);  // sizing is no click

    struct TMoves {
        std::vector<std::pair<int, int>> Seen;
        void Moved(TObject*, int From, int To) { Seen.emplace_back(From, To); }
    } moves;
    grid->OnColumnMoved = TMovedEventGx(&moves, &TMoves::Moved);
    TPoint from = CellCenter(grid, 1, 0), to = CellCenter(grid, 3, 0);
    Press(grid, from.X, from.Y);
    grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(from.X + 10, from.Y));
    grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.X, to.Y));
    Release(grid, to.X, to.Y);
    EXPECT_EQ(ColumnNames(grid->Columns()), (std::vector<std::string>{"Galaxy", "Metal", "Name"}));
    EXPECT_EQ(moves.Seen, (std::vector<std::pair<int, int>>{{1, 3}}));
    EXPECT_EQ(grid->ColWidths(3), width + 25);
}

TEST_F(GridEvents, TheWheelMovesTheRecordOneAtATime) {
    grid->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(20, 20));
    grid->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(20, 20));
    EXPECT_EQ(Current(), "Planet 3");
    EXPECT_EQ(grid->Row(), grid->TitleOffset() + 2);
    grid->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(20, 20));
    EXPECT_EQ(Current(), "Planet 2");
}

TEST_F(GridEvents, SelectedRowsKeepBookmarkOrder) {
    TBookmarkListGx* rows = grid->SelectedRows();
    EXPECT_EQ(rows->Count(), 0);
    for (int id : {5, 2, 8, 2}) {
        ASSERT_TRUE(query->Locate("ID", Variant(id), {}));
        rows->SetCurrentRowSelected(true);
    }
    ASSERT_EQ(rows->Count(), 3);
    EXPECT_EQ(grid->Selection()->SelectionType(), gstRecordBookmarks);
    std::vector<std::string> names;
    for (int i = 0; i < rows->Count(); ++i) {
        query->GotoBookmark(rows->Items(i));
        names.push_back(Current());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Planet 2", "Planet 5", "Planet 8"}));
    ASSERT_TRUE(query->Locate("ID", Variant(5), {}));
    EXPECT_TRUE(rows->CurrentRowSelected());
    rows->SetCurrentRowSelected(false);
    rows->SetCurrentRowSelected(false);
    EXPECT_EQ(rows->Count(), 2);
    EXPECT_FALSE(rows->CurrentRowSelected());
    // Closing the data set empties the list; the current row then cannot be asked for.
    query->Close();
    EXPECT_EQ(rows->Count(), 0);
    EXPECT_EQ(grid->Selection()->SelectionType(), gstNon);
    EXPECT_THROW(rows->SetCurrentRowSelected(true), EDBGridGxError);
}

TEST_F(GridEvents, SelectedRowsAreDeletedFromTheLastToTheFirst) {
    TBookmarkListGx* rows = grid->SelectedRows();
    for (int id : {3, 7}) {
        ASSERT_TRUE(query->Locate("ID", Variant(id), {}));
        rows->SetCurrentRowSelected(true);
    }
    int before = query->RecordCount();
    rows->Delete();
    EXPECT_EQ(query->RecordCount(), before - 2);
    EXPECT_EQ(rows->Count(), 0);
    EXPECT_FALSE(query->ControlsDisabled());
    EXPECT_FALSE(query->Locate("ID", Variant(3), {}));
}

TEST_F(GridEvents, AFailingDeleteLeavesTheDataSetsControlsEnabled) {
    struct TRefuse {
        int Calls = 0;
        void BeforeDelete(TDataSet*) {
            if (++Calls == 2) throw EDatabaseError("refused");
        }
    } refuse;
    query->BeforeDelete = TDataSetNotifyEvent(&refuse, &TRefuse::BeforeDelete);
    TBookmarkListGx* rows = grid->SelectedRows();
    for (int id : {3, 7, 9}) {
        ASSERT_TRUE(query->Locate("ID", Variant(id), {}));
        rows->SetCurrentRowSelected(true);
    }
    EXPECT_THROW(rows->Delete(), EDatabaseError);
    EXPECT_FALSE(query->ControlsDisabled());
    EXPECT_EQ(rows->Count(), 2);  // the last one went, the refused one and the first stay
    query->BeforeDelete = nullptr;
}

TEST_F(GridEvents, TextTypedIntoTheEditorReachesTheFieldWhenTheRecordIsPosted) {
    grid->SetFocus();
    TPoint p = CellCenter(grid, 1, grid->TitleOffset() + 1);
    Click(grid, p.X, p.Y);
    Click(grid, p.X, p.Y);  // a second click on the current cell edits it
    TInplaceEdit* editor = grid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->Visible());
    EXPECT_EQ(editor->Text(), "Planet 2");
    editor->Perform(WM_KEYDOWN, VK_RIGHT, 0);
    for (char ch : std::string(" b")) editor->Perform(WM_CHAR, static_cast<unsigned char>(ch), 0);
    EXPECT_EQ(query->State(), dsEdit);
    query->Post();
    EXPECT_EQ(Current(), "Planet 2 b");
    // A read-only grid does not edit.
    grid->SetReadOnly(true);
    EXPECT_FALSE(grid->CanEditModify());
}

// The database-group chooser: a flat, row-selecting grid whose columns share
// the width, and whose current row is the data set's current record.
TEST_F(GridEvents, TheChooserConfigurationWorksOnTheGrid) {
    TDBGridGx* chooser = MakeGrid(300, 160);
    chooser->SetDataSource(source);
    chooser->SetFlat(true);
    chooser->SetOptions(TDBGridOptions{dgTitles, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect,
                                       dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit});
    TColumnGx* name = chooser->Columns()->Add();
    name->SetFieldName("Name");
    name->SetWidth(120);
    TColumnGx* note = chooser->Columns()->Add();
    note->SetFieldName("Note");
    note->SetWidth(60);
    chooser->SetAutoFitColWidths(true);
    EXPECT_EQ(chooser->IndicatorOffset(), 0);
    EXPECT_FALSE(chooser->Options().Contains(dgEditing));
    int lines = 2;
    EXPECT_EQ(name->Width() + note->Width(), chooser->ClientWidth() - lines);
    EXPECT_NEAR(name->Width(), 2 * note->Width(), 2);
    TPoint p = CellCenter(chooser, 1, chooser->TitleOffset() + 3);
    Click(chooser, p.X, p.Y);
    EXPECT_EQ(Current(), "Planet 4");
    EXPECT_FALSE(chooser->CanEditShow());
}

}  // namespace
