// Undo and redo as inverses: after any run of edits, undoing everything gives
// the text before the run and redoing everything the text after it, as often
// as the two are alternated. Named runs first, then random ones over the
// whole command set (typing, Enter, Backspace, Delete, both kinds of paste,
// overwrite, block indent, drag-move).
#include <climits>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/editor/EditorTestSupport.h"

using namespace editortest;

class UndoRedoTest : public MemoTest {
protected:
    void SetUp() override {
        backend = std::make_shared<TMemoryClipboardBackend>();
        MemoTest::SetUp();
        SetClipboardBackend(backend);
        Application->OnException = MakeEvent(this, &UndoRedoTest::Raised);
    }
    void TearDown() override {
        Application->OnException = nullptr;
        MemoTest::TearDown();
    }
    // A key whose command raises reaches the application's handler, not the test.
    void Raised(TObject*, Exception* E) { errors += E->Message() + "; "; }

    void Undo() { Key('Z', ssCtrl); }
    void Redo() { Key('Z', ssCtrl | ssShift); }
    void UndoAll() {
        for (int guard = 0; memo->UndoList()->CanUndo() && guard < 10000; ++guard) memo->Undo();
    }
    void RedoAll() {
        for (int guard = 0; memo->RedoList()->CanUndo() && guard < 10000; ++guard) memo->Redo();
    }
    // Another program's text: plain text only, no block of the editor's own.
    void OfferPlainText(const char* utf8) { backend->SetData({{"text/plain", utf8}}); }
    // The selection-mode commands, as the user gives them.
    void ChooseMode(TTeSelectionMode Mode) {
        Key(Mode == smColumn ? 'C' : Mode == smLine ? 'L' : 'N', ssCtrl | ssShift);
    }
    void Overwrite(const char* utf8) {
        Key(VK_INSERT);
        Type(utf8);
        Key(VK_INSERT);
    }
    // Drops the selection at a buffer position as the mouse would (a move).
    void DragSelectionTo(const TBufferCoord& At) {
        TPoint p = memo->RowColumnToPixels(memo->BufferToDisplayPos(At));
        memo->DragDrop(memo, p.X + 1, p.Y + 1);
    }

    std::string Where() const {
        std::ostringstream s;
        TBufferCoord c = memo->CaretXY(), a = memo->BlockBegin(), b = memo->BlockEnd();
        s << "(" << c.Char << "," << c.Line << ")";
        if (memo->SelAvail()) s << "[" << a.Char << "," << a.Line << "-" << b.Char << "," << b.Line << "]";
        return s.str();
    }

    std::shared_ptr<TMemoryClipboardBackend> backend;
    AnsiString errors;
};

// One named run: a start text, the edits, then undo and redo keys with the
// text expected after each.
TEST_F(UndoRedoTest, NamedRunsAlternateBetweenTheTwoTexts) {
    struct Case {
        const char* name;
        const char* start;
        std::function<void()> edit;
        const char* end;
    };
    const Case cases[] = {
        {"typing at the start", "alpha",
         [this] {
             memo->SetCaretXY(BufferCoord(1, 1));
             Type("bc");
         },
         "bcalpha"},
        {"overwrite one char", "one",
         [this] {
             memo->SetCaretXY(BufferCoord(1, 1));
             Overwrite("a");
         },
         "ane"},
        {"overwrite past the end", "ab",
         [this] {
             memo->SetCaretXY(BufferCoord(3, 1));
             Overwrite("c");
         },
         "abc"},
        {"overwrite beyond the end pads", "ab",
         [this] {
             memo->SetCaretXY(BufferCoord(5, 1));
             Overwrite("c");
         },
         "ab  c"},
        {"overwrite over the line end", "abc",
         [this] {
             memo->SetCaretXY(BufferCoord(2, 1));
             Overwrite("XYZW");
         },
         "aXYZW"},
        {"typing over a selection", "hello world",
         [this] {
             memo->SetCaretAndSelection(BufferCoord(6, 1), BufferCoord(1, 1), BufferCoord(6, 1));
             Type("X");
         },
         "X world"},
        {"plain paste right after typing", "alpha",
         [this] {
             memo->SetCaretXY(BufferCoord(1, 1));
             Type("X");
             OfferPlainText("QQ");
             Key('V', ssCtrl);
         },
         "XQQalpha"},
        {"plain paste by Shift+Insert after typing", "alpha",
         [this] {
             memo->SetCaretXY(BufferCoord(3, 1));
             Type("X");
             OfferPlainText("Q\nR");
             Key(VK_INSERT, ssShift);
         },
         "alXQ\r\nRpha"},
        {"WM_PASTE after typing", "alpha",
         [this] {
             memo->SetCaretXY(BufferCoord(2, 1));
             Type("X");
             OfferPlainText("QQ");
             SendMessage(memo->Handle(), WM_PASTE, 0, 0);
         },
         "aXQQlpha"},
        {"replacing the selection with undo after typing", "alpha",
         [this] {
             memo->SetCaretXY(BufferCoord(1, 1));
             Type("X");
             static const char kText[] = "QQ";
             SendMessage(memo->Handle(), EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(kText));
         },
         "XQQalpha"},
        {"editor paste over a selection", "one two",
         [this] {
             memo->SetCaretAndSelection(BufferCoord(4, 1), BufferCoord(1, 1), BufferCoord(4, 1));
             Key('C', ssCtrl);
             memo->SetCaretAndSelection(BufferCoord(8, 1), BufferCoord(5, 1), BufferCoord(8, 1));
             Key('V', ssCtrl);
         },
         "one one"},
        {"editor paste beyond the line end", "alpha beta\r\n  gamma",
         [this] {
             memo->SetCaretAndSelection(BufferCoord(4, 2), BufferCoord(4, 1), BufferCoord(4, 2));
             Key('C', ssCtrl);
             memo->SetCaretXY(BufferCoord(10, 2));
             Key('V', ssCtrl);
         },
         "alpha beta\r\n  gamma  ha beta\r\n  g"},
        {"plain paste beyond the line end", "ab",
         [this] {
             memo->SetCaretXY(BufferCoord(5, 1));
             OfferPlainText("QQ");
             Key('V', ssCtrl);
         },
         "ab  QQ"},
        {"tab beyond the line end", "ab\r\ncd",
         [this] {
             memo->SetWantTabs(true);
             memo->SetCaretXY(BufferCoord(5, 2));
             Key(VK_TAB);
         },
         "ab\r\ncd      "},
        {"drag-move to a later line", "alpha\r\nbeta",
         [this] {
             memo->SetCaretAndSelection(BufferCoord(3, 1), BufferCoord(1, 1), BufferCoord(3, 1));
             DragSelectionTo(BufferCoord(3, 2));
         },
         "pha\r\nbealta"},
        {"drag-move on the same line", "alpha beta",
         [this] {
             memo->SetCaretAndSelection(BufferCoord(6, 1), BufferCoord(1, 1), BufferCoord(6, 1));
             DragSelectionTo(BufferCoord(11, 1));
         },
         " betaalpha"},
        {"drag-move of two lines onto the second", "alpha\r\nbeta gamma",
         [this] {
             memo->SetCaretAndSelection(BufferCoord(3, 2), BufferCoord(3, 1), BufferCoord(3, 2));
             DragSelectionTo(BufferCoord(6, 2));
         },
         "alta pha\r\nbegamma"},
        {"block indent", "one\r\ntwo\r\nthree",
         [this] {
             memo->SetCaretAndSelection(BufferCoord(1, 3), BufferCoord(1, 1), BufferCoord(1, 3));
             Key('I', ssCtrl | ssShift);
         },
         "        one\r\n        two\r\nthree"},
        {"column typing over the whole text after Enter", "alpha beta",
         [this] {
             memo->SetCaretXY(BufferCoord(3, 1));
             Key(VK_RETURN);
             ChooseMode(smColumn);
             Key('A', ssCtrl);
             Type("z");
         },
         "z\r\n"},
        {"column delete over lines shorter than the block", "abcdef\r\nab\r\n\r\nabcdefgh",
         [this] {
             ChooseMode(smColumn);
             memo->SetCaretAndSelection(BufferCoord(6, 4), BufferCoord(3, 1), BufferCoord(6, 4));
             Key(VK_DELETE);
         },
         "abf\r\nab\r\n\r\nabfgh"},
        {"column block pasted beyond the line ends and the last line", "ab\r\ncdef\r\ng",
         [this] {
             ChooseMode(smColumn);
             memo->SetCaretAndSelection(BufferCoord(4, 2), BufferCoord(2, 1), BufferCoord(4, 2));
             Key('C', ssCtrl);
             ChooseMode(smNormal);
             memo->SetCaretXY(BufferCoord(4, 3));
             Key('V', ssCtrl);
         },
         "ab\r\ncdef\r\ng  b \r\n   de"},
        {"column paste of another program's lines", "abc\r\nd",
         [this] {
             ChooseMode(smColumn);
             memo->SetCaretXY(BufferCoord(3, 1));
             OfferPlainText("X\nY\nZ");
             Key('V', ssCtrl);
         },
         "abXc\r\nd Y\r\n  Z"},
        {"replacing a column block by message", "abcd\r\nef\r\nghij",
         [this] {
             ChooseMode(smColumn);
             memo->SetCaretAndSelection(BufferCoord(4, 3), BufferCoord(2, 1), BufferCoord(4, 3));
             static const char kText[] = "Q";
             SendMessage(memo->Handle(), EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(kText));
         },
         "aQd\r\ne\r\ngj"},
        {"line-mode paste of an empty clipboard after typing", "one",
         [this] {
             memo->SetCaretXY(BufferCoord(1, 1));
             Type("(");
             ChooseMode(smLine);
             OfferPlainText("");
             Key('V', ssCtrl);
         },
         "(one"},
        {"drag-move of a line block left active", "alpha\r\nbeta\r\ngamma",
         [this] {
             memo->SetCaretAndSelection(BufferCoord(3, 1), BufferCoord(1, 1), BufferCoord(3, 1));
             memo->SetActiveSelectionMode(smLine);
             DragSelectionTo(BufferCoord(3, 3));
         },
         "beta\r\ngaalpha\r\nmma"},
        {"drag-move of a column block left active", "abcd\r\nefgh\r\nijkl",
         [this] {
             memo->SetCaretAndSelection(BufferCoord(3, 2), BufferCoord(2, 1), BufferCoord(3, 2));
             memo->SetActiveSelectionMode(smColumn);
             DragSelectionTo(BufferCoord(3, 3));
         },
         "acd\r\negh\r\nijb\r\nfkl"},
        {"enter, backspace and delete", "abc\r\ndef",
         [this] {
             memo->SetCaretXY(BufferCoord(2, 1));
             Key(VK_RETURN);
             Key(VK_DELETE);
             memo->SetCaretXY(BufferCoord(1, 3));
             Key(VK_BACK);
         },
         "a\r\ncdef"},
    };
    for (const Case& c : cases) {
        ChooseMode(smNormal);
        memo->SetText(c.start);
        c.edit();
        ASSERT_EQ(memo->GetText(), c.end) << c.name;
        for (int round = 0; round < 3; ++round) {
            UndoAll();
            EXPECT_EQ(memo->GetText(), c.start) << c.name << ", undo round " << round;
            RedoAll();
            EXPECT_EQ(memo->GetText(), c.end) << c.name << ", redo round " << round;
        }
        EXPECT_EQ(errors, "") << c.name;
        errors.clear();
    }
}

// Undo and redo may leave the restored text selected, but extending that
// selection with Shift and the arrows, and typing over it, follow the mode the
// user has chosen since.
TEST_F(UndoRedoTest, SelectionAfterUndoAndRedoFollowsTheChosenMode) {
    struct Case {
        const char* name;
        std::function<void()> edit;
        TTeSelectionMode chosen;  // the mode the user turns to before undoing
        bool redo;
        const char* afterUndoOrRedo;
        const char* afterExtendingAndTyping;  // Shift+Down, Shift+Right, "Y"
    };
    auto selectColumnBlock = [this] {
        ChooseMode(smColumn);
        memo->SetCaretAndSelection(BufferCoord(4, 3), BufferCoord(2, 1), BufferCoord(4, 3));
    };
    const Case cases[] = {
        {"undo of column typing, normal chosen", [&] { selectColumnBlock(); Type("X"); }, smNormal, false,
         "abcd\r\nefgh\r\nijkl\r\nmnop", "aY"},
        {"undo of a column delete, normal chosen", [&] { selectColumnBlock(); Key(VK_DELETE); }, smNormal, false,
         "abcd\r\nefgh\r\nijkl\r\nmnop", "aY"},
        {"undo of column typing, column kept", [&] { selectColumnBlock(); Type("X"); }, smColumn, false,
         "abcd\r\nefgh\r\nijkl\r\nmnop", "aY\r\ne\r\ni\r\nm"},
        {"undo of a column delete, line chosen", [&] { selectColumnBlock(); Key(VK_DELETE); }, smLine, false,
         "abcd\r\nefgh\r\nijkl\r\nmnop", "Y"},
        {"redo of column typing, normal chosen", [&] { selectColumnBlock(); Type("X"); }, smNormal, true,
         "aXd\r\neh\r\nil\r\nmnop", "aXd\r\neh\r\nilYp"},
        // The restored block's ends share a char, which in column mode selects
        // nothing: Shift+Right starts a new block from the caret.
        {"undo of normal typing, column chosen",
         [&] {
             memo->SetCaretAndSelection(BufferCoord(2, 2), BufferCoord(2, 1), BufferCoord(2, 2));
             Type("X");
         },
         smColumn, false, "abcd\r\nefgh\r\nijkl\r\nmnop", "abcd\r\nefgh\r\niYkl\r\nmnop"},
    };
    for (const Case& c : cases) {
        ChooseMode(smNormal);
        memo->SetText("abcd\r\nefgh\r\nijkl\r\nmnop");
        c.edit();
        ChooseMode(c.chosen);
        Undo();
        if (c.redo) Redo();
        EXPECT_EQ(memo->GetText(), c.afterUndoOrRedo) << c.name;
        EXPECT_EQ(static_cast<int>(memo->ActiveSelectionMode()), static_cast<int>(c.chosen)) << c.name;
        Key(VK_DOWN, ssShift);
        Key(VK_RIGHT, ssShift);
        Type("Y");
        EXPECT_EQ(memo->GetText(), c.afterExtendingAndTyping) << c.name;
    }
}

TEST_F(UndoRedoTest, EachKeyUndoesAndRedoesOneStep) {
    // "alpha", type "bc" at the start: undo, redo, undo, redo by the keys.
    memo->SetText("alpha");
    memo->SetCaretXY(BufferCoord(1, 1));
    Type("bc");
    const char* expected[] = {"alpha", "bcalpha", "alpha", "bcalpha", "alpha", "bcalpha"};
    for (int i = 0; i < 6; ++i) {
        if (i % 2 == 0) Undo();
        else Redo();
        EXPECT_EQ(memo->GetText(), expected[i]) << "key " << i;
    }
    // Overwrite "a" over "one": undo and redo replace, never insert.
    memo->SetText("one");
    memo->SetCaretXY(BufferCoord(1, 1));
    Overwrite("a");
    const char* overwritten[] = {"one", "ane", "one", "ane"};
    for (int i = 0; i < 4; ++i) {
        if (i % 2 == 0) Undo();
        else Redo();
        EXPECT_EQ(memo->GetText(), overwritten[i]) << "overwrite key " << i;
    }
    // A paste right after typing: two undos give the start text back, the
    // user's own letters included.
    memo->SetText("alpha");
    memo->SetCaretXY(BufferCoord(1, 1));
    Type("X");
    OfferPlainText("QQ");
    Key('V', ssCtrl);
    EXPECT_EQ(memo->GetText(), "XQQalpha");
    Undo();
    EXPECT_EQ(memo->GetText(), "Xalpha");
    Undo();
    EXPECT_EQ(memo->GetText(), "alpha");
    // The pad that overwrite typing added beyond the end goes with its letter.
    memo->SetText("ab");
    memo->SetCaretXY(BufferCoord(3, 1));
    Overwrite("c");
    EXPECT_EQ(memo->GetText(), "abc");
    Undo();
    EXPECT_EQ(memo->GetText(), "ab");
    // One undo of a drag-move gives the text back in its place, once.
    memo->SetText("alpha\r\nbeta");
    memo->SetCaretAndSelection(BufferCoord(3, 1), BufferCoord(1, 1), BufferCoord(3, 1));
    DragSelectionTo(BufferCoord(3, 2));
    EXPECT_EQ(memo->GetText(), "pha\r\nbealta");
    Undo();
    EXPECT_EQ(memo->GetText(), "alpha\r\nbeta");
    Redo();
    EXPECT_EQ(memo->GetText(), "pha\r\nbealta");
}

// Random runs over the whole command set, with selections in each of the
// three modes. A run is replayed from its seed; a failure is reported for the
// shortest failing prefix of the run, with the positions and texts of each
// command.
class RandomUndoRedoTest : public UndoRedoTest {
protected:
    struct Outcome {
        AnsiString start, end, afterUndo[2], afterRedo[2], errors;
        std::string log;
        bool Inverse() const {
            return afterUndo[0] == start && afterUndo[1] == start && afterRedo[0] == end && afterRedo[1] == end &&
                   errors.empty();
        }
    };

    std::string Mode() const {
        static const char kLetters[] = "NLC";
        std::string s = " ";
        s += kLetters[memo->SelectionMode()];
        if (memo->ActiveSelectionMode() != memo->SelectionMode()) s += std::string("/") + kLetters[memo->ActiveSelectionMode()];
        return s;
    }

    Outcome Run(unsigned Seed, int StepLimit, int& Steps, bool Logging) {
        static const char* const kWords[] = {"a", "xy", "  q", "Tab", "zz z"};
        static const char* const kPastes[] = {"", "P", "QQ", "one\ntwo", "\nline\n", "  lead", "a\r\n\r\nb c\r\n"};
        std::mt19937 rng(Seed);
        auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        auto anyMode = [&pick] { return static_cast<TTeSelectionMode>(pick(3)); };
        auto lineLength = [this](int line) {
            return line <= memo->Lines()->Count() ? static_cast<int>(memo->Lines()->Strings(line - 1).size()) : 0;
        };
        // Beyond the end of a line too, where typing and pasting pad.
        auto anyPos = [&]() {
            int line = 1 + pick(std::max(memo->Lines()->Count(), 1));
            return BufferCoord(1 + pick(lineLength(line) + 3), line);
        };
        auto inTextPos = [&]() {
            int line = 1 + pick(std::max(memo->Lines()->Count(), 1));
            return BufferCoord(1 + pick(lineLength(line) + 1), line);
        };
        // The user picks a mode and makes a block (column blocks may reach past
        // line ends, now and then everything is selected); now and then the
        // block shows in another mode than the chosen one, as one left by an
        // undo or set by a program.
        auto select = [&]() {
            const TTeSelectionMode mode = anyMode();
            memo->SetSelectionMode(mode);
            if (pick(8) == 0) {
                memo->SelectAll();
            } else {
                TBufferCoord a = mode == smColumn ? anyPos() : inTextPos();
                TBufferCoord b = mode == smColumn ? anyPos() : inTextPos();
                memo->SetCaretAndSelection(b, a, b);
            }
            if (pick(6) == 0) memo->SetActiveSelectionMode(anyMode());
        };
        auto caretTo = [&](const TBufferCoord& p) {
            memo->SetCaretXY(p);
            memo->SetSelectionMode(anyMode());
        };
        memo->SetSelectionMode(smNormal);
        memo->SetText(pick(2) ? "alpha beta\r\n  gamma\r\n\r\ndelta" : "one");
        memo->SetCaretXY(BufferCoord(1, 1));
        errors.clear();
        Outcome out;
        out.start = memo->GetText();
        // The log is written only for a run that is being reported.
        std::ostringstream log, none;
        none.setstate(std::ios::badbit);
        auto note = [&]() -> std::ostream& {
            if (!Logging) return none;
            return log << Where() << Mode();
        };
        Steps = 1 + pick(12);
        for (int s = 0; s < std::min(Steps, StepLimit); ++s) {
            switch (pick(15)) {
                case 0:
                    caretTo(anyPos());
                    note() << " type";
                    Type(kWords[pick(5)]);
                    break;
                case 1:
                    if (pick(2)) caretTo(anyPos());
                    else select();
                    note() << " enter";
                    Key(VK_RETURN);
                    break;
                case 2:
                    caretTo(inTextPos());
                    note() << " backspace";
                    Key(VK_BACK);
                    break;
                case 3:
                    caretTo(inTextPos());
                    note() << " delete";
                    Key(VK_DELETE);
                    break;
                case 4: {
                    if (pick(2)) caretTo(anyPos());
                    else select();
                    const char* text = kPastes[pick(7)];
                    note() << " plain paste of \"" << text << "\"";
                    OfferPlainText(text);
                    Key('V', ssCtrl);
                    break;
                }
                case 5:
                    select();
                    note() << " copy, paste at ";
                    Key('C', ssCtrl);
                    if (pick(2)) caretTo(anyPos());
                    else select();
                    note();
                    Key('V', ssCtrl);
                    break;
                case 6:
                    caretTo(anyPos());
                    note() << " overwrite";
                    Overwrite(kWords[pick(5)]);
                    break;
                case 7:
                    select();
                    note() << " type over the selection";
                    Type(kWords[pick(5)]);
                    break;
                case 8:
                    select();
                    note() << " block indent";
                    Key('I', ssCtrl | ssShift);
                    break;
                case 9: {
                    select();
                    TBufferCoord to = inTextPos();
                    note() << " drag-move to (" << to.Char << "," << to.Line << ")";
                    if (memo->SelAvail()) DragSelectionTo(to);
                    break;
                }
                case 10:
                    select();
                    note() << " backspace over the selection";
                    Key(VK_BACK);
                    break;
                case 11:
                    select();
                    note() << " cut";
                    Key('X', ssCtrl);
                    break;
                case 12: {
                    memo->SetCaretXY(anyPos());
                    memo->SetSelectionMode(smColumn);
                    const char* text = kPastes[pick(7)];
                    note() << " column paste of \"" << text << "\"";
                    OfferPlainText(text);
                    Key('V', ssCtrl);
                    break;
                }
                case 13:
                    select();
                    note() << " tab over the selection";
                    Key(VK_TAB);
                    break;
                default:
                    // Typing after the undo leaves nothing to redo.
                    note() << " undo, type at ";
                    Undo();
                    caretTo(anyPos());
                    note();
                    Type(kWords[pick(5)]);
                    break;
            }
            if (Logging) log << " -> \"" << memo->GetText() << "\"\n";
        }
        out.end = memo->GetText();
        for (int round = 0; round < 2; ++round) {
            UndoAll();
            out.afterUndo[round] = memo->GetText();
            RedoAll();
            out.afterRedo[round] = memo->GetText();
        }
        out.errors = errors;
        out.log = log.str();
        return out;
    }
};

TEST_F(RandomUndoRedoTest, UndoAllGivesTheStartAndRedoAllTheEnd) {
    const unsigned kFirstSeed = 1, kLastSeed = 10000;
    memo->SetWantTabs(true);
    int failed = 0;
    for (unsigned seed = kFirstSeed; seed <= kLastSeed && failed < 10; ++seed) {
        int steps = 0;
        if (Run(seed, INT_MAX, steps, false).Inverse()) continue;
        ++failed;
        for (int limit = 1; limit <= steps; ++limit) {
            int ignored = 0;
            const Outcome out = Run(seed, limit, ignored, true);
            if (out.Inverse()) continue;
            ADD_FAILURE() << "seed " << seed << ", first " << limit << " commands:\n"
                          << out.log << "start \"" << out.start << "\", undone \"" << out.afterUndo[0] << "\", \""
                          << out.afterUndo[1] << "\"; end \"" << out.end << "\", redone \"" << out.afterRedo[0]
                          << "\", \"" << out.afterRedo[1] << "\"; raised \"" << out.errors << "\"";
            break;
        }
    }
}
