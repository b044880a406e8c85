// Record moving by dragging indicator cells, and tree rows opened and closed
// by their node buttons, on memory tables.
#include <filesystem>
#include <string>
#include <vector>

#include "grid/DBGridGxDatasetFeatures.h"
#include "grid/DBGridGxTreeNodes.h"
#include "platform/db/StMemoryDataset.h"
#include "tests/grid/features/FeatureTestSupport.h"

namespace {

using namespace featuretest;

class MemoryGridTest : public testing::Test {
protected:
    void SetUp() override {
        tick = 1000000;
        SetTickSource([this] { return tick; });
        ResetDoubleClick();
        form = CreateForm<TForm>(nullptr);
        form->SetName("Form");
        form->SetBounds(40, 40, 420, 300);
        source = new TDataSource(form);
        grid = new TDBGridGx(form);
        grid->SetName("Grid");
        grid->SetParent(form);
        grid->SetBorderStyle(bsNone);
        grid->SetBounds(10, 10, 380, 240);
    }
    void TearDown() override {
        FreeObject(form);
        Application->ProcessMessages();
        SetTickSource(nullptr);
    }
    void Show(TDataSet* DataSet, std::initializer_list<const char*> Fields) {
        source->SetDataSet(DataSet);
        for (const char* n : Fields) grid->Columns()->Add()->SetFieldName(n);
        grid->SetDataSource(source);
        form->Show();
        grid->SetFocus();
        Application->ProcessMessages();
    }
    std::vector<std::string> Names(TDataSet* DataSet) {
        std::vector<std::string> names;
        TBookmarkStr b = DataSet->IsEmpty() ? TBookmarkStr() : DataSet->Bookmark();
        DataSet->DisableControls();
        for (DataSet->First(); !DataSet->Eof(); DataSet->Next()) names.push_back(DataSet->FieldByName("Name")->AsString());
        if (!b.empty() && DataSet->BookmarkValid(b)) DataSet->GotoBookmark(b);
        DataSet->EnableControls();
        return names;
    }
    TPoint Point(int ACol, int DataRow, int Dx = -1, int Dy = -1) {
        TRect r = grid->CellRect(ACol, grid->TitleOffset() + DataRow);
        return TPoint(Dx < 0 ? (r.Left + r.Right) / 2 : r.Left + Dx, Dy < 0 ? (r.Top + r.Bottom) / 2 : r.Top + Dy);
    }
    void Press(TPoint P) {
        tick += 1000;
        grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(P.X, P.Y));
    }
    void MoveTo(TPoint P) { grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(P.X, P.Y)); }
    void Release(TPoint P) {
        grid->Perform(WM_LBUTTONUP, 0, MAKELPARAM(P.X, P.Y));
        Application->ProcessMessages();
    }
    void Drag(TPoint From, TPoint To) {
        Press(From);
        MoveTo(TPoint(From.X, (From.Y + To.Y) / 2));
        MoveTo(To);
        Release(To);
    }

    DWORD tick = 0;
    TForm* form = nullptr;
    TDataSource* source = nullptr;
    TDBGridGx* grid = nullptr;
};

// ---------------------------------------------------------------------------
// Record moving

class RecordMoving : public MemoryGridTest {
protected:
    void SetUp() override {
        MemoryGridTest::SetUp();
        table = new TStMemoryData(form);
        table->FieldDefs()->Add("Name", ftString, 20);
        table->FieldDefs()->Add("Score", ftInteger);
        table->Open();
        int score = 0;
        for (const char* n : {"A", "B", "C", "D", "E", "F"}) {
            table->Append();
            table->FieldByName("Name")->SetAsString(n);
            table->FieldByName("Score")->SetAsInteger(++score);
            table->Post();
        }
        table->First();
        grid->SetOptions(grid->Options() + dgRowSelect + dgMultiSelect);
        grid->SetOptionsGx(grid->OptionsGx() + dghRecordMoving);
        Show(table, {"Name", "Score"});
    }
    void SelectRow(int DataRow) {
        table->SetRecNo(DataRow + 1);
        grid->SelectedRows()->SetCurrentRowSelected(true);
    }
    TStMemoryData* table = nullptr;
};

TEST_F(RecordMoving, ASelectedRecordDraggedByItsIndicatorMovesUpAndDown) {
    SelectRow(2);  // C
    Press(Point(0, 2));
    EXPECT_EQ(grid->GridDragState(), 7);
    MoveTo(Point(0, 0));
    EXPECT_EQ(grid->MovingTargetRow(), grid->TitleOffset());
    EXPECT_EQ(grid->MovingOffset(), 0);  // above the target
    // The move line runs along the target row's top edge.
    PaintWindowNow(form->Handle());
    const std::string png = (std::filesystem::temp_directory_path() / "tesk-grid-record-moving.png").string();
    ASSERT_TRUE(SaveWindowImage(grid->Handle(), png));
    std::printf("record moving screenshot: %s\n", png.c_str());
    const int lineY = grid->CellRect(1, grid->TitleOffset()).Top;
    int changed = 0;
    for (int x = 40; x < 200; ++x)
        if (GetWindowPixel(grid->Handle(), x, lineY + 1) != GetWindowPixel(grid->Handle(), x, lineY + 6)) ++changed;
    EXPECT_GT(changed, 20);
    Release(Point(0, 0));
    EXPECT_EQ(grid->GridDragState(), 0);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"C", "A", "B", "D", "E", "F"}));
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "C");
    EXPECT_EQ(grid->SelectedRows()->Count(), 0);

    // Downwards the records land under the target; two selected move together.
    SelectRow(0);  // C
    SelectRow(1);  // A
    Drag(Point(0, 1), Point(0, 4));
    EXPECT_EQ(Names(table), (std::vector<std::string>{"B", "D", "E", "C", "A", "F"}));
    // The values came along.
    table->Locate("Name", "C", {});
    EXPECT_EQ(table->FieldByName("Score")->AsInteger(), 3);
}

TEST_F(RecordMoving, OnlyASelectedRowStartsAMoveAndReleasingInPlaceMovesNothing) {
    Press(Point(0, 3));  // not selected: the press selects as usual
    EXPECT_EQ(grid->GridDragState(), 1);
    Release(Point(0, 3));
    SelectRow(3);
    Drag(Point(0, 3), Point(0, 3, -1, 3));
    EXPECT_EQ(Names(table), (std::vector<std::string>{"A", "B", "C", "D", "E", "F"}));
    // Without dghRecordMoving the indicator only selects.
    grid->SetOptionsGx(grid->OptionsGx() - dghRecordMoving);
    Drag(Point(0, 3), Point(0, 0));
    EXPECT_EQ(Names(table), (std::vector<std::string>{"A", "B", "C", "D", "E", "F"}));
}

TEST_F(RecordMoving, TheMoveGoesToOnMoveRecordsWhenAssigned) {
    struct Handler {
        std::vector<std::string> Calls;
        bool Move(TObject*, TStrings* Bookmarks, int Target, int Offset, bool OnlyTest) {
            Calls.push_back(std::to_string(Bookmarks->Count()) + " to " + std::to_string(Target) + "+" +
                            std::to_string(Offset) + (OnlyTest ? " test" : ""));
            return true;
        }
    } handler;
    grid->OnMoveRecords = TMoveRecordsEventGx(&handler, &Handler::Move);
    SelectRow(1);
    Drag(Point(0, 1), Point(0, 4));
    EXPECT_EQ(handler.Calls, (std::vector<std::string>{"1 to 5+1"}));
    EXPECT_EQ(Names(table), (std::vector<std::string>{"A", "B", "C", "D", "E", "F"}));
}

// The copies go in before the records leave: a post refused half-way leaves
// every record where it was, and a Null value moves as Null, not as the value
// a new record starts with.
TEST_F(RecordMoving, ARefusedPostLosesNothingAndNullsStayNull) {
    struct THandlers {
        std::string Refused;  // the name whose post is refused
        void NewRecord(TDataSet* DataSet) { DataSet->FieldByName("Score")->SetAsInteger(99); }
        void BeforePost(TDataSet* DataSet) {
            if (DataSet->FieldByName("Name")->AsString() == Refused) throw Exception("refused: " + Refused);
        }
    } handlers;
    table->Locate("Name", "D", {});
    table->Edit();
    table->FieldByName("Score")->Clear();
    table->Post();
    table->OnNewRecord = MakeEvent(&handlers, &THandlers::NewRecord);
    table->BeforePost = MakeEvent(&handlers, &THandlers::BeforePost);
    auto scores = [this] {
        std::string text;
        for (const std::string& name : Names(table)) {
            table->Locate("Name", Variant(AnsiString(name)), {});
            TField* score = table->FieldByName("Score");
            text += name + "=" + (score->IsNull() ? std::string("null") : std::string(score->AsString())) + " ";
        }
        return text;
    };
    const std::string before = scores();
    ASSERT_EQ(before, "A=1 B=2 C=3 D=null E=5 F=6 ");
    TStringList moving;
    for (const char* name : {"C", "D", "E"}) {
        table->Locate("Name", name, {});
        moving.Add(table->Bookmark());
    }
    for (const char* refused : {"C", "D", "E"}) {
        SCOPED_TRACE(refused);
        handlers.Refused = refused;
        EXPECT_THROW(grid->MoveRecords(&moving, 0, 0, false), Exception);
        EXPECT_EQ(scores(), before);
        EXPECT_EQ(table->State(), dsBrowse);
        EXPECT_FALSE(table->ControlsDisabled());
    }
    handlers.Refused.clear();
    EXPECT_TRUE(grid->MoveRecords(&moving, 0, 0, false));
    EXPECT_EQ(scores(), "C=3 D=null E=5 A=1 B=2 F=6 ");
}

// A move refused half-way is taken back whole, even where the data set
// refuses the deletes that take it back: never a record twice, nor one lost.
TEST_F(RecordMoving, ARefusedMoveIsTakenBackWholeWhateverElseIsRefused) {
    struct THandlers {
        std::string RefusedPost;     // the name whose post is refused
        std::string RefusedDeletes;  // the names whose deletes are refused; "*" every one
        void BeforePost(TDataSet* DataSet) {
            if (DataSet->FieldByName("Name")->AsString() == RefusedPost) throw Exception("no post of " + RefusedPost);
        }
        void BeforeDelete(TDataSet* DataSet) {
            const std::string name = DataSet->FieldByName("Name")->AsString();
            if (RefusedDeletes == "*" || RefusedDeletes.find(name) != std::string::npos)
                throw Exception("no delete of " + name);
        }
    } handlers;
    table->BeforePost = MakeEvent(&handlers, &THandlers::BeforePost);
    table->BeforeDelete = MakeEvent(&handlers, &THandlers::BeforeDelete);
    const std::vector<std::string> before{"A", "B", "C", "D", "E", "F"};
    const struct {
        const char* Name;
        std::vector<const char*> Moving;
        const char* RefusedPost;
        const char* RefusedDeletes;
    } cases[] = {
        {"the second copy's post, and every delete", {"C", "E"}, "E", "*"},
        {"the second record's delete", {"C", "E"}, "", "E"},
        {"the first record's delete", {"C", "E"}, "", "C"},
        {"every delete, one record", {"D"}, "", "*"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TStringList moving;
        for (const char* name : c.Moving) {
            table->Locate("Name", name, {});
            moving.Add(table->Bookmark());
        }
        handlers.RefusedPost = c.RefusedPost;
        handlers.RefusedDeletes = c.RefusedDeletes;
        EXPECT_THROW(grid->MoveRecords(&moving, 1, 0, false), Exception);
        handlers.RefusedPost.clear();
        handlers.RefusedDeletes.clear();
        EXPECT_EQ(Names(table), before);
        EXPECT_EQ(table->RecordCount(), 6);
        EXPECT_EQ(table->State(), dsBrowse);
        EXPECT_FALSE(table->ControlsDisabled());
        table->Locate("Name", "E", {});
        EXPECT_EQ(table->FieldByName("Score")->AsInteger(), 5);
    }
    // Dragged: the records put in again stay selected, each once.
    for (int row : {2, 4}) SelectRow(row);
    handlers.RefusedDeletes = "E";
    Press(Point(0, 2));
    MoveTo(Point(0, 1));
    EXPECT_THROW(Release(Point(0, 1)), Exception);  // the window shows it
    handlers.RefusedDeletes.clear();
    EXPECT_EQ(Names(table), before);
    std::vector<std::string> selected;
    for (int i = 0; i < grid->SelectedRows()->Count(); ++i) {
        ASSERT_TRUE(table->BookmarkValid(grid->SelectedRows()->Items(i)));
        table->GotoBookmark(grid->SelectedRows()->Items(i));
        selected.push_back(table->FieldByName("Name")->AsString());
    }
    EXPECT_EQ(selected, (std::vector<std::string>{"C", "E"}));
    grid->SelectedRows()->Clear();

    // Nothing refused: C and E go before B.
    TStringList moving;
    for (const char* name : {"C", "E"}) {
        table->Locate("Name", name, {});
        moving.Add(table->Bookmark());
    }
    EXPECT_TRUE(grid->MoveRecords(&moving, 1, 0, false));
    EXPECT_EQ(Names(table), (std::vector<std::string>{"A", "C", "E", "B", "D", "F"}));
}

// After a drop the rows in view stay where they were, the moved record
// current in the row it was dropped on.
TEST_F(RecordMoving, TheViewStaysWhereTheDropWas) {
    table->Last();
    for (char c = 'G'; c <= 'Z'; ++c) {
        table->Append();
        table->FieldByName("Name")->SetAsString(AnsiString(1, c));
        table->Post();
    }
    Application->ProcessMessages();
    const int rows = grid->DataLink()->RecordCount();
    ASSERT_GE(rows, 8);
    ASSERT_LT(rows, 20);
    table->SetRecNo(18);  // the view somewhere in the middle of the table
    Application->ProcessMessages();
    const int top = table->RecNo() - grid->DataLink()->ActiveRecord();
    ASSERT_GT(top, 1);
    const int from = grid->DataLink()->ActiveRecord();
    ASSERT_GE(from, 3);
    const std::string name = table->FieldByName("Name")->AsString();
    grid->SelectedRows()->SetCurrentRowSelected(true);
    Drag(Point(0, from), Point(0, 1));
    EXPECT_EQ(table->FieldByName("Name")->AsString(), name);
    EXPECT_EQ(table->RecNo() - grid->DataLink()->ActiveRecord(), top);
    EXPECT_EQ(grid->DataLink()->ActiveRecord(), 1);
    EXPECT_EQ(Names(table)[static_cast<size_t>(top)], name);  // second row of the view, counted from 0
}

TEST_F(RecordMoving, ASortedTableAndAQueryRefuseToMove) {
    table->SetSort("Score DESC");
    TStringList bookmarks;
    bookmarks.Add(table->Bookmark());
    EXPECT_FALSE(grid->MoveRecords(&bookmarks, 1, 0, true));
    table->SetSort("");
    EXPECT_TRUE(grid->MoveRecords(&bookmarks, 1, 0, true));

    FleetDatabase db;
    auto* connection = new TADOConnection(form);
    connection->SetLoginPrompt(false);
    connection->SetConnectionString(db.ConnectionString());
    auto* query = new TADOQuery(form);
    query->SetConnection(connection);
    query->SQL()->SetText("SELECT * FROM Fleet ORDER BY ID");
    query->Open();
    source->SetDataSet(query);
    TStringList rows;
    rows.Add(query->Bookmark());
    EXPECT_FALSE(grid->MoveRecords(&rows, 0, 1, false));
    EXPECT_EQ(query->FieldByName("ID")->AsInteger(), 1);
    source->SetDataSet(table);
}

// ---------------------------------------------------------------------------
// Tree rows

class TreeRows : public MemoryGridTest {
protected:
    void SetUp() override {
        MemoryGridTest::SetUp();
        tree = new TTreeMemoryDataGx(form);
        tree->SetKeyFieldName("ID");
        tree->SetParentFieldName("Parent");
        tree->FieldDefs()->Add("ID", ftInteger);
        tree->FieldDefs()->Add("Parent", ftInteger);
        tree->FieldDefs()->Add("Name", ftString, 20);
        tree->Open();
        const struct {
            int Id, Parent;
            const char* Name;
        } rows[] = {{1, 0, "Earth"}, {2, 1, "Moon"},   {3, 1, "Station"}, {4, 0, "Mars"},
                    {5, 4, "Phobos"}, {6, 5, "Crater"}, {7, 0, "Venus"}};
        for (const auto& r : rows) {
            tree->Append();
            tree->FieldByName("ID")->SetAsInteger(r.Id);
            if (r.Parent) tree->FieldByName("Parent")->SetAsInteger(r.Parent);
            tree->FieldByName("Name")->SetAsString(r.Name);
            tree->Post();
        }
        tree->FullCollapse();
        grid->SetOptions(grid->Options() + dgRowSelect + dgMultiSelect);
        Show(tree, {"Name", "ID"});
    }
    // A press at Level's slot of the first column's indent on a data row.
    void ClickNode(int DataRow, int Level) {
        TPoint p = Point(grid->IndicatorOffset(), DataRow, (Level - 1) * kTreeIndentLevelGx + 9);
        Press(p);
        Release(p);
    }
    TTreeMemoryDataGx* tree = nullptr;
};

TEST_F(TreeRows, NodeButtonsOpenAndCloseNodes) {
    EXPECT_TRUE(grid->TreeViewActive());
    EXPECT_EQ(Names(tree), (std::vector<std::string>{"Earth", "Mars", "Venus"}));
    ClickNode(1, 1);  // Mars
    EXPECT_EQ(Names(tree), (std::vector<std::string>{"Earth", "Mars", "Phobos", "Venus"}));
    EXPECT_EQ(tree->FieldByName("Name")->AsString(), "Mars");
    ClickNode(2, 2);  // Phobos
    EXPECT_EQ(Names(tree), (std::vector<std::string>{"Earth", "Mars", "Phobos", "Crater", "Venus"}));
    // A press in the indent but off the node's own button, or on a leaf's, opens nothing.
    ClickNode(2, 1);
    ClickNode(3, 3);
    EXPECT_EQ(Names(tree), (std::vector<std::string>{"Earth", "Mars", "Phobos", "Crater", "Venus"}));
    ClickNode(0, 1);  // Earth
    EXPECT_EQ(Names(tree),
              (std::vector<std::string>{"Earth", "Moon", "Station", "Mars", "Phobos", "Crater", "Venus"}));
    EXPECT_EQ(grid->Row(), grid->TitleOffset());  // the pressed node kept its row
    // Closing Mars hides its subtree; Phobos stays open for the next time.
    ClickNode(3, 1);
    EXPECT_EQ(Names(tree), (std::vector<std::string>{"Earth", "Moon", "Station", "Mars", "Venus"}));
    EXPECT_EQ(grid->Row(), grid->TitleOffset() + 3);
    ClickNode(3, 1);
    EXPECT_EQ(Names(tree),
              (std::vector<std::string>{"Earth", "Moon", "Station", "Mars", "Phobos", "Crater", "Venus"}));

    // The indent is drawn: a node box on Mars, a connector beside Crater.
    PaintWindowNow(form->Handle());
    const std::string png = (std::filesystem::temp_directory_path() / "tesk-grid-tree-rows.png").string();
    ASSERT_TRUE(SaveWindowImage(grid->Handle(), png));
    std::printf("tree rows screenshot: %s\n", png.c_str());
    TTreeNodeRowGx node;
    tree->Locate("Name", "Crater", {});
    tree->GetTreeNode(node);
    EXPECT_EQ(node.Level, 3);
    EXPECT_EQ(node.AncestorHasNext, (std::vector<bool>{true, false}));
    EXPECT_FALSE(node.HasNextSibling);
}

TEST_F(TreeRows, TheNumericKeysOpenAndCloseTheCurrentNode) {
    tree->Locate("Name", "Mars", {});
    const struct {
        WORD Key;
        char Char;
        std::vector<std::string> Names;
    } steps[] = {{VK_ADD, '+', {"Earth", "Mars", "Phobos", "Venus"}},
                 {VK_ADD, '+', {"Earth", "Mars", "Phobos", "Venus"}},
                 {VK_SUBTRACT, '-', {"Earth", "Mars", "Venus"}},
                 {VK_MULTIPLY, '*', {"Earth", "Mars", "Phobos", "Venus"}},
                 {VK_MULTIPLY, '*', {"Earth", "Mars", "Venus"}}};
    for (const auto& s : steps) {
        grid->Perform(WM_KEYDOWN, s.Key, 0);
        grid->Perform(WM_CHAR, static_cast<WPARAM>(s.Char), 0);
        EXPECT_EQ(Names(tree), s.Names);
        EXPECT_EQ(tree->FieldByName("Name")->AsString(), "Mars");
        EXPECT_FALSE(grid->EditorMode());
    }
}

TEST_F(TreeRows, ADraggedNodeTakesTheLevelOfTheDrop) {
    tree->FullExpand();
    EXPECT_EQ(Names(tree),
              (std::vector<std::string>{"Earth", "Moon", "Station", "Mars", "Phobos", "Crater", "Venus"}));
    grid->SetOptionsGx(grid->OptionsGx() + dghRecordMoving);
    // Venus onto Earth, one level deeper: Earth's first child.
    tree->Locate("Name", "Venus", {});
    grid->SelectedRows()->SetCurrentRowSelected(true);
    Drag(Point(0, 6), Point(grid->IndicatorOffset(), 0, kTreeIndentLevelGx + 5));
    EXPECT_EQ(Names(tree),
              (std::vector<std::string>{"Earth", "Venus", "Moon", "Station", "Mars", "Phobos", "Crater"}));
    EXPECT_EQ(tree->FieldByName("Parent")->AsInteger(), 1);
    // Phobos (with Crater) dropped after Station at level 1: a top-level node after Earth's subtree.
    tree->Locate("Name", "Phobos", {});
    const std::vector<TBookmarkStr> phobos{tree->Bookmark()};
    const int crater = tree->RecNo() + 1;
    tree->Locate("Name", "Mars", {});
    EXPECT_FALSE(tree->MoveNodes({tree->Bookmark()}, crater, 4, true));  // into its own subtree
    tree->Locate("Name", "Station", {});
    EXPECT_TRUE(tree->MoveNodes(phobos, tree->RecNo(), 1, false));
    EXPECT_EQ(Names(tree),
              (std::vector<std::string>{"Earth", "Venus", "Moon", "Station", "Phobos", "Crater", "Mars"}));
    EXPECT_EQ(tree->FieldByName("Name")->AsString(), "Phobos");
    EXPECT_TRUE(tree->FieldByName("Parent")->IsNull());
    TTreeNodeRowGx node;
    tree->GetTreeNode(node);
    EXPECT_EQ(node.Level, 1);
    EXPECT_TRUE(node.HasNextSibling);
}

}  // namespace
