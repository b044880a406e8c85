// The lookup grid over a SQLite list: locating a key, the special row and
// each column's cell of it, the edited record's field, keys, dragging and
// incremental search on a fake clock, its scroll bar, its size in whole rows,
// and the drop-down's place below or above its edit.
#include <gtest/gtest.h>

#include <filesystem>

#include "grid/DBLookupGridsGx.h"
#include "platform/db/StMemoryDataset.h"
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
    void Wait(DWORD Ms) {
        tick += Ms;
        Application->ProcessMessages();
    }
    static SCROLLINFO Bar(TWinControl* g) {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        GetScrollInfo(g->Handle(), SB_VERT, &si);
        return si;
    }
    TPoint RowCentre(TDBLookupGridGx* g, int Row) {
        TRect r = g->CellRect(g->IndicatorOffset(), Row);
        return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    // Planets of owners (ID = owner + 1000), the owner's name a lookup field of the owner list.
    TStMemoryData* MakePlanets(std::initializer_list<int> OwnerIds) {
        auto* planets = new TStMemoryData(form);
        auto addField = [&](TField* f, const char* Name) {
            f->SetFieldName(Name);
            f->SetDataSet(planets);
            return f;
        };
        addField(new TIntegerField(form), "ID");
        addField(new TIntegerField(form), "OwnerID");
        TField* owner = new TStringField(form);
        owner->SetSize(20);
        owner->SetFieldKind(fkLookup);
        owner->SetLookupDataSet(owners);
        owner->SetKeyFields("OwnerID");
        owner->SetLookupKeyFields("ID");
        owner->SetLookupResultField("Name");
        addField(owner, "Owner");
        planets->Open();
        for (int id : OwnerIds) {
            planets->Append();
            planets->FieldByName("ID")->SetAsInteger(id + 1000);
            planets->FieldByName("OwnerID")->SetAsInteger(id);
            planets->Post();
        }
        return planets;
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
    // A key the list does not hold: the list goes to its first record, whose text shows.
    g->SetKeyValue(Variant(99));
    EXPECT_EQ(owners->FieldByName("ID")->AsInteger(), 1);
    EXPECT_EQ(g->Text(), "Alice");
    EXPECT_FALSE(g->KeyRowVisible());
    // A two-element key for one key field is not located.
    g->SetKeyValue(Variant(3));
    g->SetKeyValue(VarArrayOf({Variant(4), Variant(5)}));
    EXPECT_EQ(g->Text(), "Alice");
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
    query->Next();  // Mark 0: not in the list, which shows its first record
    EXPECT_EQ(g->Text(), "Alice");
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

// A located key's row is brought towards the middle of the view, from above
// or below; at the ends of the list as near as the list allows.
TEST_F(LookupGrid, ALocatedKeyComesToTheMiddleOfTheView) {
    auto* g = MakeList(5);
    ShowForm();
    const struct {
        int Key;
        int Row;  // the key's row among the data rows
    } cases[] = {{8, 2}, {3, 2}, {10, 4}, {1, 0}, {5, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Key);
        g->SetKeyValue(Variant(c.Key));
        EXPECT_EQ(owners->FieldByName("ID")->AsInteger(), c.Key);
        EXPECT_EQ(g->DataLink()->ActiveRecord(), c.Row);
        EXPECT_TRUE(g->KeyRowVisible());
    }
}

// Left and Right move the key only while all columns are in view; else they
// scroll the columns.
TEST_F(LookupGrid, LeftAndRightMoveTheKeyOnlyWithoutAHorizontalBar) {
    auto* g = MakeList();
    ShowForm();
    g->SetKeyValue(Variant(3));
    g->Perform(WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(g->Text(), "Carol");
    g->Perform(WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(g->Text(), "Bob");
    g->SetListField("Name;ID");
    g->Columns()->Items(0)->SetWidth(400);
    Application->ProcessMessages();
    ASSERT_TRUE(g->HorzScrollBar()->IsScrollBarShowing());
    g->Perform(WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(g->Text(), "Bob");
}

// The drop-down, sized by its grip, keeps room for a scroll bar at least.
TEST_F(LookupGrid, TheDropDownHasItsMinimumSize) {
    auto* popup = MakeList<TPopupDataGridGx>(6);
    popup->SetBounds(10, 10, 2, 2);
    EXPECT_EQ(popup->Width(), GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(popup->Height(), GetSystemMetrics(SM_CYHSCROLL));
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

TEST_F(LookupGrid, TheCurrentRowFollowsTheKeyAndTheBarFollowsTheList) {
    auto* g = MakeList(5);
    ShowForm();
    Application->ProcessMessages();
    g->SetKeyValue(Variant(3));
    // Ten owners, five shown from the first: a bar over the records, the thumb the rows shown.
    SCROLLINFO si = Bar(g);
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 9);
    EXPECT_EQ(si.nPage, 5u);
    EXPECT_EQ(si.nPos, 0);
    EXPECT_EQ(g->RecordIndex(), 2);
    EXPECT_EQ(g->RecordCount(), 5);
    EXPECT_EQ(g->Row(), g->TitleOffset() + 2);
    EXPECT_TRUE(g->KeyRowVisible());
    // Three lines down: the first three owners leave the view, the key with them; the choice stays.
    for (int i = 0; i < 3; ++i) SimulateScrollBarClick(g->Handle(), SB_VERT, TScrollBarPart::LineDown);
    EXPECT_EQ(Bar(g).nPos, 3);
    EXPECT_EQ(owners->RecNo(), 8);
    EXPECT_EQ(g->RecordIndex(), 4);
    EXPECT_FALSE(g->KeyRowVisible());
    EXPECT_EQ(g->KeyValue().AsInteger(), 3);
    EXPECT_EQ(g->Text(), "Bob");
    // The thumb places the list by record number; the key's row is shown again,
    // and the bar, the list's place and the current row agree.
    g->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 1), 0);
    EXPECT_EQ(owners->RecNo(), 2);
    EXPECT_TRUE(g->KeyRowVisible());
    EXPECT_EQ(Bar(g).nPos, owners->RecNo() - g->RecordIndex() - 1);
    EXPECT_EQ(g->Row() - g->TitleOffset(), 3 - Bar(g).nPos - 1);
    SimulateScrollBarClick(g->Handle(), SB_VERT, TScrollBarPart::PageDown);
    EXPECT_EQ(owners->RecNo(), 7);
    EXPECT_EQ(Bar(g).nPos, owners->RecNo() - g->RecordIndex() - 1);
    g->Perform(WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(Bar(g).nPos, 0);
    // A key out of view: Down only brings it back; the next Down moves on.
    g->Perform(WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_FALSE(g->KeyRowVisible());
    g->SetFocus();
    g->Perform(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_TRUE(g->KeyRowVisible());
    EXPECT_EQ(g->Text(), "Bob");
    g->Perform(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(g->Text(), "Carol");
    EXPECT_EQ(g->KeyValue().AsInteger(), 4);
    // Without a list: an empty bar of three positions.
    auto* empty = new TDBLookupGridGx(form);
    empty->SetParent(form);
    empty->SetBounds(220, 10, 120, 100);
    Application->ProcessMessages();
    EXPECT_EQ(Bar(empty).nMax, 2);
    EXPECT_EQ(Bar(empty).nPos, 0);
    EXPECT_EQ(empty->RecordCount(), 0);
}

// A list that cannot number its records.
class TUnsequencedList : public TStMemoryData {
public:
    using TStMemoryData::TStMemoryData;
    bool IsSequenced() const override { return false; }
};

TEST_F(LookupGrid, AListWithoutRecordNumbersHasAStartMiddleEndBar) {
    auto* data = new TUnsequencedList(form);
    data->FieldDefs()->Add("ID", ftInteger, 0);
    data->FieldDefs()->Add("Name", ftString, 20);
    data->Open();
    auto fill = [&](int Count) {
        while (!data->IsEmpty()) data->Delete();
        for (int i = 1; i <= Count; ++i) {
            data->Append();
            data->FieldByName("ID")->SetAsInteger(i);
            data->FieldByName("Name")->SetAsString("Star " + std::to_string(i));
            data->Post();
        }
        data->First();
    };
    fill(40);
    auto* list = new TDataSource(form);
    list->SetDataSet(data);
    auto* g = new TDBLookupGridGx(form);
    g->SetParent(form);
    g->SetBounds(10, 10, 200, 100);
    g->SetListSource(list);
    g->SetKeyField("ID");
    g->SetListField("Name");
    g->SetRowCount(5);
    ShowForm();
    Application->ProcessMessages();
    data->First();
    EXPECT_EQ(Bar(g).nMax, 4);
    EXPECT_EQ(Bar(g).nPos, 0);
    data->MoveBy(10);
    EXPECT_EQ(Bar(g).nPos, 2);
    data->Last();
    EXPECT_EQ(Bar(g).nPos, 4);
    // Thumb positions: 0 the first record, 1 a page up, 3 a page down, 4 the last.
    g->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    EXPECT_EQ(data->RecNo(), 1);
    g->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), 0);
    EXPECT_EQ(data->RecNo(), 6);
    g->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 4), 0);
    EXPECT_EQ(data->RecNo(), 40);
    // All records in view: no bar.
    fill(3);
    Application->ProcessMessages();
    EXPECT_EQ(Bar(g).nMax, 0);
}

TEST_F(LookupGrid, DraggingOutsideMovesTheChoiceOnTheTimer) {
    auto* g = MakeList(5);
    g->SpecRow()->SetCellsText("<nobody>");
    g->SpecRow()->SetVisible(true);
    ShowForm();
    g->SetKeyValue(Variant(1));
    Wait(1000);
    TPoint p = RowCentre(g, g->TitleOffset() + 2);
    SimulateMouseDown(g->Handle(), TSimButton::Left, p.X, p.Y);
    EXPECT_EQ(g->Text(), "Bob");
    // Five pixels below the window: one record every 125 ms.
    SimulateMouseMove(g->Handle(), p.X, g->ClientHeight() + 4, ssLeft);
    EXPECT_EQ(g->Text(), "Bob");
    Wait(120);
    EXPECT_EQ(g->Text(), "Bob");
    Wait(10);
    EXPECT_EQ(g->Text(), "Carol");
    Wait(125);
    EXPECT_EQ(g->Text(), "Dave");
    // Twenty pixels above: a record at every tick, up to the special row, which stays.
    SimulateMouseMove(g->Handle(), p.X, -20, ssLeft);
    std::vector<std::string> seen;
    for (int i = 0; i < 5; ++i) {
        Wait(10);  // the shortest a timer waits
        seen.push_back(std::string(g->Text()));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Carol", "Bob", "Albert", "Alice", "<nobody>"}));
    EXPECT_TRUE(g->SpecRowSelected());
    // Released outside: the timer stops and the choice stays.
    SimulateMouseMove(g->Handle(), p.X, g->ClientHeight() + 40, ssLeft);
    Wait(10);
    EXPECT_EQ(g->Text(), "Alice");
    SimulateMouseUp(g->Handle(), TSimButton::Left, p.X, g->ClientHeight() + 40);
    Wait(500);
    EXPECT_EQ(g->Text(), "Alice");
}

TEST_F(LookupGrid, EachColumnHasItsOwnCellOfTheSpecialRow) {
    auto* g = MakeList(5);
    for (const char* f : {"ID", "Name"}) g->Columns()->Add()->SetFieldName(f);
    g->SpecRow()->SetCellsText("0;<nobody>");
    g->SpecRow()->SetColor(clYellow);
    g->SpecRow()->SetValue(Variant(0));
    g->SpecRow()->SetVisible(true);
    g->SetKeyValue(Variant(3));
    ShowForm();
    auto* id = dynamic_cast<TDBLookupGridColumnGx*>(g->Columns()->Items(0));
    auto* name = dynamic_cast<TDBLookupGridColumnGx*>(g->Columns()->Items(1));
    ASSERT_TRUE(id && name);
    // Unset, a cell reads the special row: its cell at the column's index, its colour and font.
    EXPECT_EQ(id->SpecCell()->Text(), "0");
    EXPECT_EQ(name->SpecCell()->Text(), "<nobody>");
    EXPECT_EQ(name->SpecCell()->Color(), clYellow);
    EXPECT_FALSE(name->SpecCell()->IsColorStored());
    name->SpecCell()->SetText("(none)");
    name->SpecCell()->SetColor(clAqua);
    name->SpecCell()->Font()->SetStyle(TFontStyles{fsBold});
    EXPECT_TRUE(name->SpecCell()->IsFontStored());
    EXPECT_FALSE(id->SpecCell()->IsFontStored());
    EXPECT_EQ(id->SpecCell()->Color(), clYellow);
    // Each cell is painted in its own colour.
    Application->ProcessMessages();
    TRect idCell = g->CellRect(g->IndicatorOffset(), g->TitleOffset() - 1);
    TRect nameCell = g->CellRect(g->IndicatorOffset() + 1, g->TitleOffset() - 1);
    EXPECT_EQ(GetWindowPixel(g->Handle(), idCell.Right - 3, idCell.Top + 2), ColorToRGB(clYellow));
    EXPECT_EQ(GetWindowPixel(g->Handle(), nameCell.Right - 3, nameCell.Top + 2), ColorToRGB(clAqua));
    // A layout keeps what was set and no more.
    TMemoryStream stream;
    g->Columns()->SaveToStream(&stream);
    auto* other = MakeList(5);
    other->SpecRow()->SetCellsText("7;<other>");
    stream.SetPosition(0);
    other->Columns()->LoadFromStream(&stream);
    ASSERT_EQ(other->Columns()->Count(), 2);
    auto* id2 = static_cast<TDBLookupGridColumnGx*>(other->Columns()->Items(0));
    auto* name2 = static_cast<TDBLookupGridColumnGx*>(other->Columns()->Items(1));
    EXPECT_EQ(id2->SpecCell()->Text(), "7");
    EXPECT_EQ(name2->SpecCell()->Text(), "(none)");
    EXPECT_EQ(name2->SpecCell()->Color(), clAqua);
    EXPECT_TRUE(name2->SpecCell()->Font()->Style().Contains(fsBold));
}

TEST_F(LookupGrid, AGridsLookupColumnEditsWhatItShowsOfTheSpecialRow) {
    TStMemoryData* planets = MakePlanets({3, 0, 99});
    auto* planetSource = new TDataSource(form);
    planetSource->SetDataSet(planets);
    auto* grid = new TDBGridGx(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 300, 150);
    grid->Columns()->Add()->SetFieldName("ID");
    TColumnGx* column = grid->Columns()->Add();
    column->SetFieldName("Owner");
    column->DropDownSpecRow()->SetCellsText("<nobody>");
    column->DropDownSpecRow()->SetValue(Variant(0));
    column->DropDownSpecRow()->SetVisible(true);
    grid->SetDataSource(planetSource);
    ShowForm();
    grid->SetFocus();
    grid->SetSelectedIndex(1);
    auto edited = [&](int RecNo) {
        grid->HideEditor();
        planets->SetRecNo(RecNo);
        grid->ShowEditor();
        EXPECT_EQ(column->GetDisplayText(), grid->InplaceEditor() ? grid->InplaceEditor()->Text() : "?") << RecNo;
        return std::string(grid->InplaceEditor() ? grid->InplaceEditor()->Text() : AnsiString("?"));
    };
    // An owner of the list, the special row's own value, and a key the list does not hold.
    EXPECT_EQ(edited(1), "Bob");
    EXPECT_EQ(edited(2), "<nobody>");
    EXPECT_EQ(edited(3), "<nobody>");
    // Not shown for missing keys: the missing key edits as an empty name.
    column->DropDownSpecRow()->SetShowIfNotInKeyList(false);
    EXPECT_EQ(edited(3), "");
    EXPECT_EQ(edited(2), "<nobody>");
}

// In a grid's lookup column a letter no name begins with is refused and
// leaves the record as it was; one that completes a name sets its key.
TEST_F(LookupGrid, ARefusedLetterInAGridsLookupColumnChangesNothing) {
    TStMemoryData* planets = MakePlanets({3, 5});
    auto* planetSource = new TDataSource(form);
    planetSource->SetDataSet(planets);
    auto* grid = new TDBGridGx(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 300, 150);
    grid->SetOptions(grid->Options() + dgEditing);
    grid->Columns()->Add()->SetFieldName("ID");
    grid->Columns()->Add()->SetFieldName("Owner");
    grid->SetDataSource(planetSource);
    ShowForm();
    grid->SetFocus();
    // An edit of the other record first, left behind.
    planets->SetRecNo(2);
    grid->SetSelectedIndex(1);
    grid->ShowEditor();
    Type(grid->InplaceEditor(), "c");
    ASSERT_EQ(grid->InplaceEditor()->Text(), "Carol");
    planets->SetRecNo(1);
    ASSERT_EQ(planets->FieldByName("OwnerID")->AsInteger(), 3);
    ASSERT_EQ(planets->FieldByName("ID")->AsInteger(), 1003);
    grid->ShowEditor();
    ASSERT_EQ(grid->InplaceEditor()->Text(), "Bob");
    Type(grid->InplaceEditor(), "z");
    EXPECT_EQ(grid->InplaceEditor()->Text(), "Bob");
    EXPECT_EQ(planets->State(), dsBrowse);
    planets->SetRecNo(2);
    planets->SetRecNo(1);
    EXPECT_EQ(planets->FieldByName("OwnerID")->AsInteger(), 3);
    planets->SetRecNo(2);
    EXPECT_EQ(planets->FieldByName("OwnerID")->AsInteger(), 4);
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
    popup->SpecRow()->SetCellsText("<nobody>");
    popup->SpecRow()->SetVisible(true);
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
