// The lookup grid over a SQLite list: locating a key, the special row, the
// edited record's field, keys and incremental search on a fake clock, its
// size in whole rows, and the drop-down's place below or above its edit.
#include <gtest/gtest.h>

#include <filesystem>

#include "grid/DBLookupGridsGx.h"
#include "tests/grid/edits/EditTestSupport.h"

using namespace edittest;

namespace {

class LookupGrid : public EditTest {
protected:
    void SetUp() override {
        EditTest::SetUp();
        db.Exec(
            "CREATE TABLE Owner (ID INTEGER PRIMARY KEY, Name VARCHAR(20));"
            "INSERT INTO Owner VALUES (1, 'Alice'), (2, 'Albert'), (3, 'Bob'), (4, 'Carol'), (5, 'Dave'), "
            "(6, 'Eve'), (7, 'Frank'), (8, 'Grace'), (9, 'Heidi'), (10, 'Ivan');");
        db.Exec("UPDATE Item SET Mark = 4 WHERE ID = 1");
        owners = new TADOQuery(form);
        owners->SetConnection(connection);
        owners->SQL()->SetText("SELECT * FROM Owner ORDER BY ID");
        ownerSource = new TDataSource(form);
        ownerSource->SetDataSet(owners);
        owners->Open();
        tick = 100000;
        SetTickSource([this] { return tick; });
    }
    void TearDown() override {
        SetTickSource(nullptr);
        EditTest::TearDown();
    }
    template <class T = TDBLookupGridGx>
    T* MakeList(int Rows = 5) {
        T* g = new T(form);
        g->SetName("lgOwners" + std::to_string(++count));
        if (!g->IsPopup()) {
            g->SetParent(form);
            g->SetBounds(10, 10, 200, 100);
        }
        g->SetListSource(ownerSource);
        g->SetKeyField("ID");
        g->SetListField("Name");
        g->SetRowCount(Rows);
        return g;
    }
    TADOQuery* owners = nullptr;
    TDataSource* ownerSource = nullptr;
    DWORD tick = 0;
    int count = 0;
};

TEST_F(LookupGrid, LocatesItsKeyAndShowsTheSpecialRowForOthers) {
    auto* g = MakeList();
    ShowForm();
    ASSERT_TRUE(g->ListActive());
    // Without columns of its own it shows the list field alone.
    ASSERT_EQ(g->Columns()->Count(), 1);
    EXPECT_EQ(g->Columns()->Items(0)->FieldName(), "Name");
    g->SetKeyValue(Variant(3));
    EXPECT_EQ(owners->FieldByName("ID")->AsInteger(), 3);
    EXPECT_EQ(g->Text(), "Bob");
    EXPECT_TRUE(g->KeyRowVisible());
    // A key the list does not hold: no text.
    g->SetKeyValue(Variant(99));
    EXPECT_EQ(g->Text(), "");
    // A two-element key for one key field is not located.
    g->SetKeyValue(VarArrayOf({Variant(4), Variant(5)}));
    EXPECT_EQ(g->Text(), "");
    // The special row stands for keys outside the list.
    const int offsetBefore = g->TitleOffset();
    g->SpecRow()->SetCellsText("<nobody>");
    g->SpecRow()->SetValue(Variant(0));
    g->SpecRow()->SetVisible(true);
    EXPECT_EQ(g->TitleOffset(), offsetBefore + 1);
    g->SetKeyValue(Variant(42));
    EXPECT_TRUE(g->SpecRowSelected());
    EXPECT_EQ(g->Text(), "<nobody>");
    g->SetKeyValue(Variant(4));
    EXPECT_FALSE(g->SpecRowSelected());
    EXPECT_EQ(g->Text(), "Carol");
}

TEST_F(LookupGrid, FollowsAndWritesTheEditedRecordsField) {
    auto* g = MakeList();
    g->SetDataSource(source);
    g->SetDataField("Mark");
    ShowForm();
    query->Open();
    EXPECT_EQ(g->KeyValue().AsInteger(), 4);
    EXPECT_EQ(g->Text(), "Carol");
    query->Next();  // Mark 0: not in the list
    EXPECT_EQ(g->Text(), "");
    query->Prior();
    // Down chooses the next owner for the record.
    g->SetFocus();
    g->Perform(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(query->State(), dsEdit);
    EXPECT_EQ(query->FieldByName("Mark")->AsInteger(), 5);
    EXPECT_EQ(g->Text(), "Dave");
    query->Post();
    EXPECT_EQ(db.Stored("Mark", 1), "5");
    // A read-only grid changes nothing.
    g->SetReadOnly(true);
    g->Perform(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(query->FieldByName("Mark")->AsInteger(), 5);
}

TEST_F(LookupGrid, KeysMoveTheKeyAndReachTheSpecialRow) {
    auto* g = MakeList();
    g->SpecRow()->SetCellsText("<nobody>");
    g->SpecRow()->SetVisible(true);
    ShowForm();
    g->SetKeyValue(Variant(2));
    struct {
        WORD Key;
        const char* Text;
    } steps[] = {{VK_DOWN, "Bob"}, {VK_UP, "Albert"}, {VK_UP, "Alice"}, {VK_UP, "<nobody>"}, {VK_DOWN, "Alice"},
                 {VK_END, "Ivan"}, {VK_HOME, "Alice"}, {VK_UP, "<nobody>"}};
    for (auto& s : steps) {
        g->Perform(WM_KEYDOWN, s.Key, 0);
        EXPECT_EQ(g->Text(), s.Text) << s.Key;
    }
    EXPECT_TRUE(VarIsNull(g->SpecRow()->Value()));
}

TEST_F(LookupGrid, IncrementalSearchForgetsAfterTwoSeconds) {
    auto* g = MakeList();
    ShowForm();
    g->SetFocus();
    g->Perform(WM_CHAR, 'a', 0);
    EXPECT_EQ(g->Text(), "Alice");
    EXPECT_EQ(g->SearchText(), "a");
    tick += 1500;
    g->Perform(WM_CHAR, 'L', 0);
    g->Perform(WM_CHAR, 'b', 0);
    EXPECT_EQ(g->Text(), "Albert");
    EXPECT_EQ(g->SearchText(), "aLb");
    // A candidate that matches nothing keeps the search as it was.
    g->Perform(WM_CHAR, 'x', 0);
    EXPECT_EQ(g->SearchText(), "aLb");
    // 2.5 seconds later the next letter starts a new search.
    tick += 2500;
    g->Perform(WM_CHAR, 'b', 0);
    EXPECT_EQ(g->Text(), "Bob");
    EXPECT_EQ(g->SearchText(), "b");
    g->Perform(WM_CHAR, 27, 0);
    EXPECT_EQ(g->SearchText(), "");
}

TEST_F(LookupGrid, HeightInWholeRows) {
    auto* g = MakeList();
    ShowForm();
    struct {
        int Asked, Rows;
    } cases[] = {{0, 1}, {150, 100}, {3, 3}};
    for (auto& c : cases) {
        g->SetRowCount(c.Asked);
        EXPECT_EQ(g->RowCount(), c.Rows);
    }
    g->SetRowCount(4);
    const int h4 = g->Height();
    const int row = g->GetDataRowHeight();
    g->SetHeight(h4 + row + row / 2);  // snapped to five rows
    EXPECT_EQ(g->RowCount(), 5);
    EXPECT_EQ(g->Height(), h4 + row);
}

TEST_F(LookupGrid, DropDownBelowTheEditOrAboveWhenNoRoom) {
    TRect work;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    auto* popup = MakeList<TPopupDataGridGx>(6);
    popup->SetWidth(180);
    struct TCloser {
        std::vector<bool> closes;
        void Closed(TObject*, bool Accept) { closes.push_back(Accept); }
    } closer;
    popup->OnUserCloseUp = MakeEvent(&closer, &TCloser::Closed);
    // Room below the anchor: under it.
    TRect anchor(work.Left + 40, work.Top + 60, work.Left + 220, work.Top + 81);
    popup->DropDownAt(anchor, daLeft);
    EXPECT_TRUE(popup->Visible());
    EXPECT_EQ(popup->Top(), anchor.Bottom);
    EXPECT_EQ(popup->Left(), anchor.Left);
    // No room below: above it.
    TRect low(work.Left + 40, work.Bottom - 30, work.Left + 220, work.Bottom - 9);
    popup->DropDownAt(low, daLeft);
    EXPECT_EQ(popup->Top() + popup->Height(), low.Top);

    // Screenshot: the list open under an edit of the form.
    auto* edit = Make<TEdit>("edOwner", 20, 20, 180);
    ShowForm();
    popup->SetKeyValue(Variant(3));
    TPoint p = form->ClientToScreen(TPoint(edit->Left(), edit->Top()));
    popup->DropDownAt(TRect(p.X, p.Y, p.X + edit->Width(), p.Y + edit->Height()), daLeft);
    EXPECT_EQ(popup->Top(), p.Y + edit->Height());
    const std::string png = (std::filesystem::temp_directory_path() / "tesk-lookup-dropdown.png").string();
    ASSERT_TRUE(SaveWindowsImage({form->Handle(), popup->Handle()}, png));
    std::printf("lookup drop-down screenshot: %s\n", png.c_str());

    // A release on a row after a press inside closes it with the row chosen.
    TRect cell = popup->CellRect(popup->IndicatorOffset(), popup->TitleOffset() + 1);
    int y = (cell.Top + cell.Bottom) / 2;
    popup->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, y));
    popup->Perform(WM_LBUTTONUP, 0, MAKELPARAM(10, y));
    EXPECT_EQ(closer.closes, std::vector<bool>{true});
    EXPECT_FALSE(popup->Visible());
}

}  // namespace
