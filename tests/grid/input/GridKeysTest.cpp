// The grid's keys on a 1,000-record SQLite table, typed through the
// simulated keyboard: where the current record and column end up, and what
// is selected.
#include <functional>

#include "platform/gui/Services.h"
#include "tests/grid/input/GridInputSupport.h"

using namespace gridtest;

namespace {

class GridKeys : public GridInputTest {
protected:
    void SetUp() override {
        GridInputTest::SetUp();
        connection->SetConnectionString(big.ConnectionString());
    }
    PlanetDatabase big{1000};
};

struct TStroke {
    WORD Key;
    TShiftState Shift = 0;
};

struct TKeyCase {
    const char* Name;
    TDBGridOptions Options;
    std::function<void(TDBGridGx*, TADOQuery*)> Setup;
    std::vector<TStroke> Keys;
    // Expected record number: Base + Pages * the rows a page holds.
    int RecNoBase;
    int RecNoPages;
    int DataCol;
    TDBGridGxSelectionType Kind;
    int SelectedRows;
};

const auto kStart = [](TDBGridGx*, TADOQuery*) {};
const auto kAtLast = [](TDBGridGx*, TADOQuery* q) { q->Last(); };
const auto kAtRecord = [](int RecNo) { return [RecNo](TDBGridGx*, TADOQuery* q) { q->SetRecNo(RecNo); }; };
const auto kAtLastColumn = [](TDBGridGx* g, TADOQuery*) { g->SetSelectedIndex(3); };
const auto kSecondRecordFirstColumn = [](TDBGridGx* g, TADOQuery* q) {
    q->SetRecNo(2);
    g->SetSelectedIndex(0);
};
const auto kNothingPasses = [](TDBGridGx*, TADOQuery* q) {
    q->SetFilter("ID < 0");
    q->SetFiltered(true);
};

TEST_F(GridKeys, KeyTable) {
    const TDBGridOptions rows = RowSelectMulti(), cells = CellMulti();
    const TShiftState shift = ssShift, ctrl = ssCtrl, both = ssShift | ssCtrl;
    const std::vector<TKeyCase> cases = {
        {"Down", cells, kStart, {{VK_DOWN}}, 2, 0, 0, gstNon, 0},
        {"Up on the first record", cells, kStart, {{VK_UP}}, 1, 0, 0, gstNon, 0},
        {"Page Down", cells, kStart, {{VK_NEXT}}, 1, 1, 0, gstNon, 0},
        {"Page Down twice, Page Up", cells, kStart, {{VK_NEXT}, {VK_NEXT}, {VK_PRIOR}}, 1, 1, 0, gstNon, 0},
        {"Page Down at the end", cells, kAtLast, {{VK_NEXT}}, 1000, 0, 0, gstNon, 0},
        {"Ctrl+End", cells, kStart, {{VK_END, ctrl}}, 1000, 0, 0, gstNon, 0},
        {"Ctrl+Home", cells, kAtLast, {{VK_HOME, ctrl}}, 1, 0, 0, gstNon, 0},
        {"End in a cell grid", cells, kStart, {{VK_END}}, 1, 0, 3, gstNon, 0},
        {"End then Home", cells, kStart, {{VK_END}, {VK_HOME}}, 1, 0, 0, gstNon, 0},
        {"End in a row grid", rows, kStart, {{VK_END}}, 1000, 0, 0, gstNon, 0},
        {"Ctrl+Right", cells, kStart, {{VK_RIGHT, ctrl}}, 1, 0, 3, gstNon, 0},
        {"Right, Right, Left", cells, kStart, {{VK_RIGHT}, {VK_RIGHT}, {VK_LEFT}}, 1, 0, 1, gstNon, 0},
        {"Shift+Down three times", rows, kStart, {{VK_DOWN, shift}, {VK_DOWN, shift}, {VK_DOWN, shift}}, 4, 0, 0,
         gstRecordBookmarks, 4},
        {"Shift+Down three times, Shift+Up",
         rows,
         kStart,
         {{VK_DOWN, shift}, {VK_DOWN, shift}, {VK_DOWN, shift}, {VK_UP, shift}},
         3,
         0,
         0,
         gstRecordBookmarks,
         3},
        {"Shift+Down, then Down clears", rows, kStart, {{VK_DOWN, shift}, {VK_DOWN}}, 3, 0, 0, gstNon, 0},
        {"Shift+Ctrl+Home from record 5", rows, kAtRecord(5), {{VK_HOME, both}}, 1, 0, 0, gstRecordBookmarks, 5},
        {"Shift+Ctrl+End from record 998", rows, kAtRecord(998), {{VK_END, both}}, 1000, 0, 0, gstRecordBookmarks,
         3},
        {"Shift+Page Down", rows, kStart, {{VK_NEXT, shift}}, 1, 1, 0, gstRecordBookmarks, -1},
        {"Shift+Right, Shift+Down grow a rectangle", cells, kStart, {{VK_RIGHT, shift}, {VK_DOWN, shift}}, 2, 0, 1,
         gstRectangle, 0},
        {"Shift+Right, Shift+Left shrink it to no selection",
         cells,
         kStart,
         {{VK_RIGHT, shift}, {VK_LEFT, shift}},
         1,
         0,
         0,
         gstNon,
         0},
        {"Ctrl+A without the edit action", cells, kStart, {{'A', ctrl}}, 1, 0, 0, gstNon, 0},
        {"Tab through the last column", cells, kAtLastColumn, {{VK_TAB}}, 2, 0, 0, gstNon, 0},
        {"Shift+Tab on the first column", cells, kSecondRecordFirstColumn, {{VK_TAB, shift}}, 1, 0, 3, gstNon, 0},
        {"keys while the filter passes nothing",
         rows,
         kNothingPasses,
         {{VK_DOWN}, {VK_NEXT}, {VK_END, ctrl}, {VK_DOWN, shift}, {VK_NEXT, shift}, {'A', ctrl}, {VK_TAB}},
         0,
         0,
         0,
         gstNon,
         0},
    };
    for (const TKeyCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TDBGridGx* g = MakeInputGrid(c.Options);
        c.Setup(g, query);
        Application->ProcessMessages();
        int page = g->VisibleDataRowCount();
        for (const TStroke& s : c.Keys) SimulateKey(g->Handle(), s.Key, s.Shift);
        EXPECT_EQ(RecNo(), c.RecNoBase + c.RecNoPages * page);
        EXPECT_EQ(g->SelectedIndex(), c.DataCol);
        EXPECT_EQ(g->Selection()->SelectionType(), c.Kind);
        int expectedRows = c.SelectedRows < 0 ? page + 1 : c.SelectedRows;
        EXPECT_EQ(g->SelectedRows()->Count(), expectedRows);
        if (c.Kind == gstRectangle) {
            TDBGridGxSelectionRect* r = g->Selection()->Rect();
            EXPECT_EQ(r->LeftCol(), 0);
            EXPECT_EQ(r->RightCol(), 1);
            query->GotoBookmark(r->TopRow());
            EXPECT_EQ(RecNo(), 1);
            query->GotoBookmark(r->BottomRow());
            EXPECT_EQ(RecNo(), 2);
        }
        FreeObject(g);
        query->SetFiltered(false);
        query->First();
    }
}

TEST_F(GridKeys, CtrlASelectsAllOnlyWithItsEditAction) {
    TDBGridGx* g = MakeInputGrid(CellMulti());
    g->SetEditActions(TDBGridGxEditActions{geaSelectAllGx});
    SimulateKey(g->Handle(), 'A', ssCtrl);
    EXPECT_EQ(g->Selection()->SelectionType(), gstAll);
    EXPECT_TRUE(g->CanCopyAction());
    // A plain move clears it again.
    SimulateKey(g->Handle(), VK_DOWN);
    EXPECT_EQ(g->Selection()->SelectionType(), gstNon);
}

TEST_F(GridKeys, DownOnTheLastRecordAppendsWhereEditingIsAllowed) {
    TDBGridOptions options = CellMulti();
    options.Include(dgEditing);
    TDBGridGx* g = MakeInputGrid(options);
    query->Last();
    SimulateKey(g->Handle(), VK_DOWN);
    EXPECT_EQ(query->State(), dsInsert);
    // Down on the untouched new record stays; Up gives it up.
    SimulateKey(g->Handle(), VK_DOWN);
    EXPECT_EQ(query->State(), dsInsert);
    SimulateKey(g->Handle(), VK_UP);
    EXPECT_EQ(query->State(), dsBrowse);
    EXPECT_EQ(query->RecordCount(), 1000);
}

TEST_F(GridKeys, CtrlDeleteAsksWithTheCountOfSelectedRecords) {
    auto dialogs = std::make_shared<TScriptedDialogService>();
    SetDialogService(dialogs);
    TDBGridGx* g = MakeInputGrid(RowSelectMulti());
    dialogs->QueueAnswer(mrCancel);
    SimulateKey(g->Handle(), VK_DELETE, ssCtrl);
    SimulateKey(g->Handle(), VK_DOWN, ssShift);
    dialogs->QueueAnswer(mrOk);
    SimulateKey(g->Handle(), VK_DELETE, ssCtrl);
    ASSERT_EQ(dialogs->Messages.size(), 2u);
    EXPECT_EQ(dialogs->Messages[0].Text, "Delete record?");
    EXPECT_EQ(dialogs->Messages[1].Text, "Delete all selected records?");
    EXPECT_EQ(query->RecordCount(), 998);
    EXPECT_EQ(g->SelectedRows()->Count(), 0);
    EXPECT_FALSE(query->ControlsDisabled());
    SetDialogService(nullptr);
}

TEST_F(GridKeys, IncrementalSearchFindsTypedTextAndEndsAfterItsTimeOut) {
    TDBGridGx* g = MakeInputGrid(CellMulti());
    g->SetOptionsGx(g->OptionsGx() + dghIncSearch);
    // The grid's key event hears each typed character once.
    struct TKeys {
        std::string Heard;
        void Press(TObject*, char& Key) { Heard += Key; }
    } keys;
    g->OnKeyPress = MakeEvent(&keys, &TKeys::Press);
    SimulateTyping(g->Handle(), "planet 12");
    EXPECT_EQ(Current(), "Planet 12");
    EXPECT_EQ(keys.Heard, "planet 12");
    EXPECT_TRUE(g->IncSearchActive());
    EXPECT_EQ(g->IncSearchText(), "Planet 12");
    // Ctrl+Enter goes on to the next match, Ctrl+Shift+Enter back.
    SimulateKey(g->Handle(), VK_RETURN, ssCtrl);
    EXPECT_EQ(Current(), "Planet 120");
    SimulateKey(g->Handle(), VK_RETURN, ssCtrl | ssShift);
    EXPECT_EQ(Current(), "Planet 12");
    SimulateTyping(g->Handle(), "3");
    EXPECT_EQ(Current(), "Planet 123");
    // A letter that matches nothing is dropped and the view stays.
    SimulateTyping(g->Handle(), "x");
    EXPECT_EQ(Current(), "Planet 123");
    EXPECT_EQ(g->IncSearchText(), "Planet 123");
    Wait(1400);
    EXPECT_TRUE(g->IncSearchActive());
    Wait(200);
    EXPECT_FALSE(g->IncSearchActive());
    EXPECT_FALSE(query->ControlsDisabled());
}

}  // namespace
