// The grid's in-place editor driven as a user drives it: opening it, typing,
// committing into the SQLite file, Esc, a text the field refuses, read-only
// columns, input-method text, and the column's look and edit styles.
#include <filesystem>

#include "grid/DBGridGxInplaceEdit.h"
#include "platform/gui/Services.h"
#include "tests/grid/input/GridInputSupport.h"

namespace gridtest {
namespace {

constexpr TDBGridOptions kEditing{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines,
                                  dgRowLines, dgTabs, dgConfirmDelete, dgCancelOnExit};

// Name, Galaxy, Metal and Player columns: data columns 1 to 4.
enum { kName = 1, kGalaxy = 2, kMetal = 3, kPlayer = 4 };

class GridEditor : public GridInputTest {
protected:
    void SetUp() override {
        GridInputTest::SetUp();
        dialogs = std::make_shared<TScriptedDialogService>();
        SetDialogService(dialogs);
        grid = MakeInputGrid(kEditing);
    }
    void TearDown() override {
        GridInputTest::TearDown();
        SetDialogService(nullptr);
    }
    // Makes the cell (data column, record number) current by clicking it once.
    void GoTo(int Col, int RecNo) {
        query->SetRecNo(RecNo);
        grid->SetSelectedIndex(Col - 1);
        Application->ProcessMessages();
        ASSERT_EQ(grid->Col(), Col);
    }
    HWND Focus() { return GetFocus(); }
    void Key(WORD VirtKey, TShiftState Shift = 0) {
        SimulateKey(Focus(), VirtKey, Shift);
        Application->ProcessMessages();
    }
    // One key at a time, as a person types: the first key opens the editor and reaches it through the queue.
    void Type(const char* Text) {
        for (const char* c = Text; *c; ++c) {
            SimulateTyping(Focus(), std::string(1, *c).c_str());
            Application->ProcessMessages();
        }
    }
    TDBGridInplaceEdit* Editor() { return dynamic_cast<TDBGridInplaceEdit*>(grid->InplaceEditor()); }
    bool EditorOpen() { return Editor() && Editor()->Visible(); }
    // A value as the database file holds it.
    std::string Stored(const char* Column, int Id) {
        sqlite3* file = nullptr;
        sqlite3_open_v2(db.Path().c_str(), &file, SQLITE_OPEN_READONLY, nullptr);
        std::string sql = std::string("SELECT ") + Column + " FROM Planet WHERE ID = " + std::to_string(Id);
        sqlite3_stmt* stmt = nullptr;
        std::string value = "<none>";
        if (sqlite3_prepare_v2(file, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
            value = sqlite3_column_type(stmt, 0) == SQLITE_NULL
                        ? "<null>"
                        : reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        sqlite3_finalize(stmt);
        sqlite3_close(file);
        return value;
    }

    std::shared_ptr<TScriptedDialogService> dialogs;
    TDBGridGx* grid = nullptr;
};

TEST_F(GridEditor, OpensOnTypingF2EnterAndDoubleClick) {
    struct Case {
        const char* Name;
        std::function<void()> Open;
        const char* Text;  // the editor's text once open
    };
    const Case cases[] = {
        {"typing", [this] { Type("X"); }, "X"},
        {"F2", [this] { Key(VK_F2); }, "Planet 3"},
        {"Enter", [this] { Key(VK_RETURN); }, "Planet 3"},
        {"double click",
         [this] {
             TPoint p = CellCenter(grid, kName, grid->Row());
             SimulateDoubleClick(grid->Handle(), p.X, p.Y);
             Application->ProcessMessages();
         },
         "Planet 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        GoTo(kName, 3);
        ASSERT_FALSE(EditorOpen());
        c.Open();
        ASSERT_TRUE(EditorOpen());
        EXPECT_EQ(Editor()->Text(), c.Text);
        EXPECT_EQ(Focus(), Editor()->Handle());
        Key(VK_ESCAPE);
        Key(VK_ESCAPE);
        EXPECT_FALSE(EditorOpen());
        EXPECT_EQ(query->State(), dsBrowse);
        EXPECT_EQ(Current(), "Planet 3");
    }
}

TEST_F(GridEditor, TypedTextIsWrittenToTheFileOnceTheRowIsLeft) {
    GoTo(kName, 2);
    Type("Mars");
    ASSERT_TRUE(EditorOpen());
    EXPECT_EQ(Editor()->Text(), "Mars");
    EXPECT_EQ(query->State(), dsEdit);
    Key(VK_RETURN);  // commits the cell and closes the editor
    EXPECT_FALSE(EditorOpen());
    EXPECT_EQ(Current(), "Mars");
    EXPECT_EQ(Stored("Name", 2), "Planet 2");  // the record is still being edited
    Key(VK_DOWN);
    EXPECT_EQ(query->State(), dsBrowse);
    EXPECT_EQ(Stored("Name", 2), "Mars");

    // Leaving the cell for the next column commits too; the number goes in as a number.
    GoTo(kMetal, 5);
    Type("1234");
    Key(VK_TAB);
    EXPECT_EQ(grid->Col(), kPlayer);
    EXPECT_EQ(query->FieldByName("Metal")->AsInteger(), 1234);
    query->Post();
    EXPECT_EQ(Stored("Metal", 5), "1234");
}

TEST_F(GridEditor, EscapeRestoresTheStoredText) {
    GoTo(kName, 4);
    Type("Wrong");
    EXPECT_EQ(query->State(), dsEdit);
    Key(VK_ESCAPE);
    EXPECT_FALSE(EditorOpen());
    EXPECT_EQ(Current(), "Planet 4");
    Key(VK_F2);
    EXPECT_EQ(Editor()->Text(), "Planet 4");
    Key(VK_ESCAPE);
    Key(VK_DOWN);
    EXPECT_EQ(query->State(), dsBrowse);
    EXPECT_EQ(Stored("Name", 4), "Planet 4");
}

// The field's own message reaches the user, and nothing typed is lost: the
// editor keeps the text, the record stays in edit and the file is untouched.
TEST_F(GridEditor, ATextTheFieldRefusesShowsItsMessageAndLosesNothing) {
    GoTo(kMetal, 6);
    Type("12abc");
    for (WORD commit : {WORD(VK_RETURN), WORD(VK_DOWN), WORD(VK_TAB)}) {
        SCOPED_TRACE(commit);
        dialogs->Messages.clear();
        Key(commit);
        ASSERT_EQ(dialogs->Messages.size(), 1u);
        EXPECT_NE(dialogs->Messages[0].Text.find("12abc"), std::string::npos) << dialogs->Messages[0].Text;
        EXPECT_EQ(dialogs->Messages[0].Type, mtError);
        ASSERT_TRUE(EditorOpen());
        EXPECT_EQ(Editor()->Text(), "12abc");
        EXPECT_EQ(query->State(), dsEdit);
        EXPECT_EQ(RecNo(), 6);
        EXPECT_EQ(grid->Col(), kMetal);
        EXPECT_EQ(Stored("Metal", 6), "6000");
    }
    // The user mends the text and goes on.
    Key(VK_END);
    for (int i = 0; i < 3; ++i) Key(VK_BACK);
    Key(VK_RETURN);
    Key(VK_DOWN);
    EXPECT_TRUE(dialogs->Messages.size() == 1u);
    EXPECT_EQ(Stored("Metal", 6), "12");
}

// After an edit in another row, a cell left without a change keeps its value
// and one left with a change gets what its editor showed: never the text
// typed in the other cell, nor an empty value for a key-list cell.
TEST_F(GridEditor, LeavingACellWritesWhatItsEditorShows) {
    TColumnGx* galaxy = grid->Columns()->Items(kGalaxy - 1);
    galaxy->KeyList()->SetText("1\n2\n3");
    galaxy->PickList()->SetText("Galaxy 1\nGalaxy 2\nGalaxy 3");
    struct Case {
        const char* Name;
        int Col;
        int RecNo;
        std::vector<WORD> Keys;  // after the cell is current; 0 types "x", 1 types "zz"
        bool ChangesNothing;     // the record is not even in edit once the keys are in
        const char* Stored;      // Name or Galaxy, once the row was left
    };
    const Case cases[] = {
        {"F2 Right Delete Enter", kName, 5, {VK_F2, VK_RIGHT, VK_DELETE, VK_RETURN}, true, "Planet 5"},
        {"F2 Left Backspace", kName, 6, {VK_F2, VK_LEFT, VK_BACK}, true, "Planet 6"},
        {"F2 Right Backspace", kName, 12, {VK_F2, VK_RIGHT, VK_BACK}, false, "Planet 1"},
        {"type Esc", kName, 7, {1, VK_ESCAPE}, false, "Planet 7"},
        {"refused letter in a key-list cell", kGalaxy, 4, {0}, true, "2"},
        {"refused letter after F2", kGalaxy, 8, {VK_F2, 0, VK_RETURN}, true, "3"},
        {"key-list cell emptied by Delete at its end", kGalaxy, 9, {VK_F2, VK_RIGHT, VK_DELETE}, false, "<null>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        GoTo(kName, 2);
        Type("Mars");
        Key(VK_DOWN);
        ASSERT_EQ(Stored("Name", 2), "Mars");
        ASSERT_EQ(query->State(), dsBrowse);

        GoTo(c.Col, c.RecNo);
        for (WORD k : c.Keys) {
            if (k == 0) Type("x");
            else if (k == 1) Type("zz");
            else Key(k);
        }
        if (c.ChangesNothing) EXPECT_EQ(query->State(), dsBrowse);
        AnsiString shown = EditorOpen() ? Editor()->Text() : AnsiString("<closed>");
        Key(VK_DOWN);
        EXPECT_EQ(query->State(), dsBrowse);
        EXPECT_EQ(Stored(c.Col == kName ? "Name" : "Galaxy", c.RecNo), c.Stored) << "the editor showed " << shown;
        EXPECT_EQ(Stored("Name", 2), "Mars");
    }
}

// Fitting a column by a double click on a title edge waits for a valid cell
// edit, as leaving the cell does: a text the field refuses shows its message,
// stays in the editor and no width changes; once mended, the fit goes on.
TEST_F(GridEditor, FittingAColumnWaitsForAValidEdit) {
    grid->SetOptionsGx(grid->OptionsGx() + dghDblClickOptimizeColWidth);
    TColumnGx* name = grid->Columns()->Items(kName - 1);
    name->SetWidth(20);
    GoTo(kMetal, 6);
    Type("12abc");
    const int edge = grid->CellRect(kName, 0).Right;
    tick += 1000;
    SimulateDoubleClick(grid->Handle(), edge, 5);
    Application->ProcessMessages();
    ASSERT_FALSE(dialogs->Messages.empty());
    for (const auto& m : dialogs->Messages) EXPECT_NE(m.Text.find("12abc"), std::string::npos) << m.Text;
    EXPECT_EQ(name->Width(), 20);
    ASSERT_TRUE(EditorOpen());
    EXPECT_EQ(Editor()->Text(), "12abc");
    EXPECT_EQ(query->State(), dsEdit);
    EXPECT_EQ(RecNo(), 6);
    EXPECT_EQ(Stored("Metal", 6), "6000");
    PaintWindowNow(form->Handle());
    ASSERT_TRUE(SaveWindowImage(form->Handle(), "/tmp/tesk-grid-fit-refused.png"));

    Key(VK_END);
    for (int i = 0; i < 3; ++i) Key(VK_BACK);
    dialogs->Messages.clear();
    tick += 1000;
    SimulateDoubleClick(grid->Handle(), grid->CellRect(kName, 0).Right, 5);
    Application->ProcessMessages();
    EXPECT_TRUE(dialogs->Messages.empty());
    EXPECT_EQ(name->Width(), name->OptimizeWidth());
    EXPECT_GT(name->Width(), 40);
    EXPECT_EQ(RecNo(), 6);
    Key(VK_DOWN);
    EXPECT_EQ(Stored("Metal", 6), "12");
}

TEST_F(GridEditor, ReadOnlyColumnsAndFieldsDoNotOpen) {
    struct Case {
        const char* Name;
        std::function<void()> MakeReadOnly;
        std::function<void()> Undo;
    };
    const Case cases[] = {
        {"column", [this] { grid->Columns()->Items(kGalaxy - 1)->SetReadOnly(true); },
         [this] { grid->Columns()->Items(kGalaxy - 1)->SetReadOnly(false); }},
        {"field", [this] { query->FieldByName("Galaxy")->SetReadOnly(true); },
         [this] { query->FieldByName("Galaxy")->SetReadOnly(false); }},
        {"grid", [this] { grid->SetReadOnly(true); }, [this] { grid->SetReadOnly(false); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.MakeReadOnly();
        GoTo(kGalaxy, 7);
        AnsiString before = Current("Galaxy");
        Type("9");
        Key(VK_F2);
        Key(VK_RETURN);
        TPoint p = CellCenter(grid, kGalaxy, grid->Row());
        SimulateDoubleClick(grid->Handle(), p.X, p.Y);
        Application->ProcessMessages();
        EXPECT_FALSE(EditorOpen());
        EXPECT_EQ(query->State(), dsBrowse);
        EXPECT_EQ(Current("Galaxy"), before);
        c.Undo();
        Key(VK_F2);
        EXPECT_TRUE(EditorOpen());
        Key(VK_ESCAPE);
    }
}

// Qt's commit string is typing: on a closed cell it opens the editor and goes in.
TEST_F(GridEditor, InputMethodTextReachesTheCell) {
    GoTo(kName, 8);
    SimulateInputMethodCommit(grid->Handle(), "Земля");
    Application->ProcessMessages();
    ASSERT_TRUE(EditorOpen());
    EXPECT_EQ(Editor()->Text(), Utf8ToAnsi("Земля"));
    SimulateInputMethodCommit(Focus(), "-2");
    Application->ProcessMessages();
    Key(VK_RETURN);
    Key(VK_DOWN);
    EXPECT_EQ(Stored("Name", 8), "Земля-2");
}

TEST_F(GridEditor, TakesTheColumnsLook) {
    TColumnGx* metal = grid->Columns()->Items(kMetal - 1);
    metal->Font()->SetStyle(TFontStyles{fsBold});
    metal->Font()->SetColor(clMaroon);
    metal->SetColor(clInfoBk);
    metal->SetEditMask("999999;0;_");
    GoTo(kMetal, 2);
    Key(VK_F2);
    ASSERT_TRUE(EditorOpen());
    EXPECT_EQ(Editor()->Alignment(), taRightJustify);  // a number stands at the right
    EXPECT_TRUE(Editor()->Font()->Style().Contains(fsBold));
    EXPECT_EQ(Editor()->Font()->Color(), clMaroon);
    EXPECT_EQ(Editor()->Color(), clInfoBk);
    EXPECT_EQ(Editor()->EditMask(), "999999;0;_");
    EXPECT_EQ(Editor()->EditStyle(), esSimpleGx);
    EXPECT_EQ(Editor()->ButtonControlCount(), 0);
    Key(VK_TAB);
    Key(VK_F2);
    EXPECT_EQ(Editor()->Alignment(), taLeftJustify);
    EXPECT_EQ(Editor()->EditMask(), "");
}

TEST_F(GridEditor, PickListCompletesAndDropsDown) {
    TColumnGx* player = grid->Columns()->Items(kPlayer - 1);
    player->PickList()->SetText("Alpha\nBeta\nBetelgeuse");
    GoTo(kPlayer, 3);
    Key(VK_F2);
    ASSERT_EQ(Editor()->EditStyle(), esPickListGx);
    ASSERT_EQ(Editor()->ButtonControlCount(), 1);
    EXPECT_EQ(Editor()->ButtonControl(0)->Style(), ebsDropDownGx);
    EXPECT_LT(Editor()->EditRect().Right, Editor()->Width() - Editor()->ButtonWidth() + 1);
    Type("b");
    EXPECT_EQ(Editor()->Text(), "Beta");
    EXPECT_EQ(Editor()->SelText(), "eta");
    Type("et");
    EXPECT_EQ(Editor()->Text(), "Beta");
    Type("e");
    EXPECT_EQ(Editor()->Text(), "Betelgeuse");
    Type("x");  // no item begins so: typed as it is
    EXPECT_EQ(Editor()->Text(), "Betex");
    // Alt+Down opens the list; moving in it shows the item; Enter takes it.
    Key(VK_DOWN, ssAlt);
    ASSERT_TRUE(Editor()->ListVisible());
    EXPECT_EQ(Editor()->PickList()->ItemIndex(), -1);
    for (int i = 0; i < 3; ++i) Key(VK_DOWN);
    EXPECT_EQ(Editor()->Text(), "Betelgeuse");
    Key(VK_RETURN);
    EXPECT_FALSE(Editor()->ListVisible());
    EXPECT_EQ(Editor()->Text(), "Betelgeuse");
    ASSERT_TRUE(EditorOpen());  // Enter closed the list only
    Key(VK_DOWN, ssAlt);
    Key(VK_UP);
    EXPECT_EQ(Editor()->Text(), "Beta");
    Key(VK_ESCAPE);  // Esc in the list gives back the text held before
    EXPECT_FALSE(Editor()->ListVisible());
    ASSERT_TRUE(EditorOpen());
    EXPECT_EQ(Editor()->Text(), "Betelgeuse");
    Key(VK_RETURN);
    Key(VK_DOWN);
    EXPECT_EQ(Stored("Player", 3), "Betelgeuse");
    // A read-only column gets no list.
    player->SetReadOnly(true);
    EXPECT_EQ(GetColumnEditStyle(player), esSimpleGx);
}

TEST_F(GridEditor, EditButtonsRaiseTheirEvents) {
    TColumnGx* note = grid->Columns()->Items(kName - 1);
    note->SetButtonStyle(cbsEllipsis);
    TEditButtonGx* extra = note->EditButtons()->Add();
    extra->SetStyle(ebsPlusGx);
    extra->SetVisible(true);
    extra->SetShortCut(ShortCut(VK_F4, 0));
    int mainClicks = 0, extraClicks = 0;
    struct THandlers {
        int* Main;
        int* Extra;
        void MainClick(TObject*, bool& Handled) {
            ++*Main;
            Handled = true;
        }
        void ExtraClick(TObject*) { ++*Extra; }
    } handlers{&mainClicks, &extraClicks};
    note->OnEditButtonClick = MakeEvent(&handlers, &THandlers::MainClick);
    extra->OnClick = MakeEvent(&handlers, &THandlers::ExtraClick);
    GoTo(kName, 2);
    Key(VK_F2);
    ASSERT_EQ(Editor()->EditStyle(), esEllipsisGx);
    ASSERT_EQ(Editor()->ButtonControlCount(), 2);
    EXPECT_EQ(Editor()->ButtonControl(0)->Style(), ebsEllipsisGx);
    EXPECT_EQ(Editor()->ButtonControl(1)->Style(), ebsPlusGx);
    TEditButtonControlGx* main = Editor()->ButtonControl(0);
    SimulateClick(Editor()->Handle(), main->Left() + 3, 5);
    Application->ProcessMessages();
    EXPECT_EQ(mainClicks, 1);
    Key(VK_F4);
    EXPECT_EQ(extraClicks, 1);
}

TEST_F(GridEditor, UpDownButtonSteps) {
    TColumnGx* galaxy = grid->Columns()->Items(kGalaxy - 1);
    galaxy->SetButtonStyle(cbsUpDown);
    galaxy->SetIncrement(2);
    GoTo(kGalaxy, 4);
    int before = query->FieldByName("Galaxy")->AsInteger();
    Key(VK_F2);
    ASSERT_EQ(Editor()->EditStyle(), esUpDownGx);
    Editor()->EditButtonDown(false);
    EXPECT_EQ(query->FieldByName("Galaxy")->AsInteger(), before + 2);
    EXPECT_EQ(Editor()->Text(), IntToStr(before + 2));
    Editor()->EditButtonDown(true);
    Editor()->EditButtonDown(true);
    EXPECT_EQ(query->FieldByName("Galaxy")->AsInteger(), before - 2);
}

TEST_F(GridEditor, ScreenshotOfAnOpenEditor) {
    TColumnGx* player = grid->Columns()->Items(kPlayer - 1);
    player->PickList()->SetText("Player 1\nPlayer 2\nPlayer 3\nSomebody else");
    grid->Columns()->Items(kName - 1)->SetWidth(90);
    GoTo(kPlayer, 3);
    Type("p");
    Key(VK_DOWN, ssAlt);
    ASSERT_TRUE(Editor()->ListVisible());
    PaintWindowNow(form->Handle());
    PaintWindowNow(Editor()->PickList()->Handle());
    const std::string png = (std::filesystem::current_path() / "grid-editor-open.png").string();
    ASSERT_TRUE(SaveWindowsImage({form->Handle(), Editor()->PickList()->Handle()}, png));
    std::printf("grid editor screenshot: %s\n", png.c_str());
    EXPECT_GT(std::filesystem::file_size(png), 1000u);
    Key(VK_ESCAPE);
}

}  // namespace
}  // namespace gridtest
