// Editing by keys (typing, line breaks, tabs, deletes, word moves, brackets),
// undo and redo in groups, and the clipboard with its private format.
#include <string>
#include <vector>

#include "tests/editor/EditorTestSupport.h"

using namespace editortest;

namespace {

// A key with modifiers, or text typed on the keyboard.
struct Step {
    WORD vk = 0;
    TShiftState shift = 0;
    const char* typed = nullptr;
};
Step K(WORD vk, TShiftState shift = 0) { return Step{vk, shift, nullptr}; }
Step T(const char* utf8) { return Step{0, 0, utf8}; }

struct KeyCase {
    const char* name;
    const char* text;
    TBufferCoord caret;
    TBufferCoord selBegin;  // (0, 0): no selection
    TBufferCoord selEnd;
    std::vector<Step> steps;
    const char* result;
    TBufferCoord caretAfter;
    const char* selectedAfter;
};

}  // namespace

class CommandsTest : public MemoTest {
protected:
    void Run(const KeyCase& c) {
        memo->SetText(c.text);
        memo->SetCaretXY(c.caret);
        if (c.selBegin.Line > 0) memo->SetCaretAndSelection(c.caret, c.selBegin, c.selEnd);
        for (const Step& s : c.steps) {
            if (s.typed) Type(s.typed);
            else Key(s.vk, s.shift);
        }
        EXPECT_EQ(memo->GetText(), c.result) << c.name;
        EXPECT_TRUE(AtPos(memo->CaretXY(), c.caretAfter.Char, c.caretAfter.Line)) << c.name;
        EXPECT_EQ(memo->SelText(), c.selectedAfter) << c.name;
    }
};

TEST_F(CommandsTest, KeySequences) {
    memo->SetWantTabs(true);
    const KeyCase cases[] = {
        {"type over a selection", "hello world", {6, 1}, {1, 1}, {6, 1}, {T("X")}, "X world", {2, 1}, ""},
        {"type past the end pads", "abc", {10, 1}, {}, {}, {T("x")}, "abc      x", {11, 1}, ""},
        {"enter keeps the indent", "    abc", {7, 1}, {}, {}, {K(VK_RETURN)}, "    ab\r\n    c", {5, 2}, ""},
        {"enter at line start", "abc\r\ndef", {1, 2}, {}, {}, {K(VK_RETURN)}, "abc\r\n\r\ndef", {1, 3}, ""},
        {"tab to the next stop", "ab", {3, 1}, {}, {}, {K(VK_TAB)}, "ab      ", {9, 1}, ""},
        {"tab aligns with the line above", "alpha   beta\r\nx", {2, 2}, {}, {}, {K(VK_TAB)},
         "alpha   beta\r\nx       ", {9, 2}, ""},
        {"shift+tab back to the stop", "        ab", {9, 1}, {}, {}, {K(VK_TAB, ssShift)}, "ab", {1, 1}, ""},
        {"block indent and unindent", "one\r\ntwo\r\nthree", {1, 3}, {1, 1}, {1, 3},
         {K('I', ssCtrl | ssShift)}, "  one\r\n  two\r\nthree", {1, 3}, "  one\r\n  two\r\n"},
        {"backspace joins lines", "ab\r\ncd", {1, 2}, {}, {}, {K(VK_BACK)}, "abcd", {3, 1}, ""},
        {"delete at the end of the last line", "ab\r\ncd", {3, 2}, {}, {}, {K(VK_DELETE)}, "ab\r\ncd", {3, 2}, ""},
        {"delete joins the next line", "ab\r\ncd", {3, 1}, {}, {}, {K(VK_DELETE)}, "abcd", {3, 1}, ""},
        {"ctrl+backspace deletes a word", "alpha beta", {11, 1}, {}, {}, {K(VK_BACK, ssCtrl)}, "alpha ", {7, 1}, ""},
        {"end twice", "abc   ", {1, 1}, {}, {}, {K(VK_END)}, "abc   ", {4, 1}, ""},
        {"end twice (2)", "abc   ", {1, 1}, {}, {}, {K(VK_END), K(VK_END)}, "abc   ", {7, 1}, ""},
        {"word right over punctuation", "abc, \xE3\xE4\xE5-\xF2\xEE x", {1, 1}, {}, {}, {K(VK_RIGHT, ssCtrl)},
         "abc, \xE3\xE4\xE5-\xF2\xEE x", {6, 1}, ""},
        {"word right in Cyrillic", "abc, \xE3\xE4\xE5-\xF2\xEE x", {6, 1}, {}, {},
         {K(VK_RIGHT, ssCtrl), K(VK_RIGHT, ssCtrl)}, "abc, \xE3\xE4\xE5-\xF2\xEE x", {13, 1}, ""},
        {"word left selecting", "abc, \xE3\xE4\xE5-\xF2\xEE x", {13, 1}, {}, {}, {K(VK_LEFT, ssCtrl | ssShift)},
         "abc, \xE3\xE4\xE5-\xF2\xEE x", {10, 1}, "\xF2\xEE "},
        {"the letter at 215 parts words", "a\xD7" "b c", {1, 1}, {}, {}, {K(VK_RIGHT, ssCtrl)}, "a\xD7" "b c",
         {3, 1}, ""},
        {"word right at a line end", "abc\r\n  def", {3, 1}, {}, {}, {K(VK_RIGHT, ssCtrl)}, "abc\r\n  def", {3, 2}, ""},
        {"match bracket", "f(a(b)c)", {2, 1}, {}, {}, {K('B', ssCtrl | ssShift)}, "f(a(b)c)", {8, 1}, ""},
        {"match inner bracket", "f(a(b)c)", {4, 1}, {}, {}, {K('B', ssCtrl | ssShift)}, "f(a(b)c)", {6, 1}, ""},
        {"match bracket backwards across lines", "(a\r\nb)", {2, 2}, {}, {}, {K('B', ssCtrl | ssShift)},
         "(a\r\nb)", {1, 1}, ""},
        {"match off a bracket goes to 1,1", "x f(a)", {3, 1}, {}, {}, {K('B', ssCtrl | ssShift)}, "x f(a)",
         {1, 1}, ""},
        {"select line end then type", "alpha\r\nbeta", {3, 1}, {}, {}, {K(VK_END, ssShift), T("Z")},
         "alZ\r\nbeta", {4, 1}, ""},
        {"delete line", "one\r\ntwo\r\nthree", {2, 2}, {}, {}, {K('Y', ssCtrl)}, "one\r\nthree", {1, 2}, ""},
        {"delete the last line keeps it", "one\r\ntwo", {2, 2}, {}, {}, {K('Y', ssCtrl)}, "one\r\n", {1, 2}, ""},
        {"overwrite mode", "abcd", {2, 1}, {}, {}, {K(VK_INSERT), T("XY"), K(VK_INSERT)}, "aXYd", {4, 1}, ""},
    };
    for (const KeyCase& c : cases) {
        memo->SetOptions(TTeEditorOptions(kTeDefaultOptions).Include(eoTabIndent));
        memo->SetTabWidth(c.name == std::string("block indent and unindent") ? 2 : 8);
        Run(c);
    }
}

TEST_F(CommandsTest, UndoAndRedoInGroups) {
    memo->SetText("start");
    memo->SetCaretXY(BufferCoord(6, 1));
    Type("abc");
    Key(VK_LEFT);
    Type("d");
    EXPECT_EQ(memo->GetText(), "startabdc");
    Key('Z', ssCtrl);
    EXPECT_EQ(memo->GetText(), "startabc");
    Key('Z', ssCtrl);
    EXPECT_EQ(memo->GetText(), "start");
    EXPECT_FALSE(memo->Modified());  // back at the unmodified state
    Key('Z', ssCtrl | ssShift);
    EXPECT_EQ(memo->GetText(), "startabc");
    Key('Z', ssCtrl | ssShift);
    EXPECT_EQ(memo->GetText(), "startabdc");
    EXPECT_TRUE(memo->Modified());

    // A pasted block of three lines is one step each way.
    Clipboard()->SetAsText("one\r\ntwo\r\nthree");
    memo->SetCaretXY(BufferCoord(1, 1));
    Key('V', ssCtrl);
    EXPECT_EQ(memo->GetText(), "one\r\ntwo\r\nthreestartabdc");
    Key('Z', ssCtrl);
    EXPECT_EQ(memo->GetText(), "startabdc");
    Key('Z', ssCtrl | ssShift);
    EXPECT_EQ(memo->GetText(), "one\r\ntwo\r\nthreestartabdc");

    // A line join by backspace comes apart again at the same place.
    memo->SetCaretXY(BufferCoord(1, 3));
    Key(VK_BACK);
    EXPECT_EQ(memo->GetText(), "one\r\ntwothreestartabdc");
    Key('Z', ssCtrl);
    EXPECT_EQ(memo->GetText(), "one\r\ntwo\r\nthreestartabdc");
    EXPECT_TRUE(AtPos(memo->CaretXY(), 1, 3));

    // A selection deleted and typed over undoes in steps, back to the saved state.
    memo->SetModified(false);
    memo->SetCaretAndSelection(BufferCoord(4, 1), BufferCoord(1, 1), BufferCoord(4, 1));
    Key(VK_DELETE);
    Type("ONE");
    EXPECT_EQ(memo->GetText(), "ONE\r\ntwo\r\nthreestartabdc");
    Key('Z', ssCtrl);
    Key('Z', ssCtrl);
    EXPECT_EQ(memo->GetText(), "one\r\ntwo\r\nthreestartabdc");
    EXPECT_FALSE(memo->Modified());

    // Without grouping each character is a step; MaxUndo drops the oldest.
    memo->SetText("");
    memo->SetOptions(TTeEditorOptions(kTeDefaultOptions).Exclude(eoGroupUndo));
    memo->SetMaxUndo(3);
    Type("vwxyz");
    EXPECT_EQ(memo->UndoList()->ItemCount(), 3);
    EXPECT_TRUE(memo->UndoList()->FullUndoImpossible());
    for (int i = 0; i < 5; ++i) Key('Z', ssCtrl);
    EXPECT_EQ(memo->GetText(), "vw");
    memo->SetMaxUndo(1024);
}

TEST_F(CommandsTest, IndentUndoesAndRedoes) {
    memo->SetText("one\r\ntwo\r\nthree");
    memo->SetCaretAndSelection(BufferCoord(1, 3), BufferCoord(1, 1), BufferCoord(1, 3));
    Key('I', ssCtrl | ssShift);
    EXPECT_EQ(memo->GetText(), "        one\r\n        two\r\nthree");
    memo->Undo();
    EXPECT_EQ(memo->GetText(), "one\r\ntwo\r\nthree");
    memo->Redo();
    EXPECT_EQ(memo->GetText(), "        one\r\n        two\r\nthree");
    // Redo leaves the mode of the item it applied (column); select the lines again.
    memo->SetCaretAndSelection(BufferCoord(1, 3), BufferCoord(1, 1), BufferCoord(1, 3));
    memo->SetActiveSelectionMode(smNormal);
    Key('U', ssCtrl | ssShift);
    EXPECT_EQ(memo->GetText(), "one\r\ntwo\r\nthree");
    memo->Undo();
    EXPECT_EQ(memo->GetText(), "        one\r\n        two\r\nthree");
}

TEST_F(CommandsTest, ClipboardCopiesInTheCodePageWithBothFormats) {
    auto backend = std::make_shared<TMemoryClipboardBackend>();
    SetClipboardBackend(backend);
    // "Земля" in the Cyrillic code page.
    memo->SetText("\xC7\xE5\xEC\xEB\xFF 1:204\r\nline two");
    memo->SetCaretAndSelection(BufferCoord(5, 2), BufferCoord(1, 1), BufferCoord(5, 2));
    Key('C', ssCtrl);
    std::string plain, block;
    ASSERT_TRUE(backend->GetData("text/plain", plain));
    EXPECT_EQ(plain, "\xD0\x97\xD0\xB5\xD0\xBC\xD0\xBB\xD1\x8F 1:204\nline");  // UTF-8 and LF outside
    EXPECT_EQ(Clipboard()->AsText(), "\xC7\xE5\xEC\xEB\xFF 1:204\r\nline");
    ASSERT_TRUE(backend->GetData(ClipboardFormatMimeType(RegisterClipboardFormat("TeEdit Control Block Type")), block));
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(block[0], '\0');  // normal selection
    EXPECT_EQ(block.substr(1), std::string("\xC7\xE5\xEC\xEB\xFF 1:204\r\nline") + '\0');

    // Cut and paste back.
    Key('X', ssCtrl);
    EXPECT_EQ(memo->GetText(), " two");
    memo->SetCaretXY(BufferCoord(5, 1));
    Key('V', ssCtrl);
    EXPECT_EQ(memo->GetText(), " two\xC7\xE5\xEC\xEB\xFF 1:204\r\nline");
    Key('Z', ssCtrl);
    Key('Z', ssCtrl);
    EXPECT_EQ(memo->GetText(), "\xC7\xE5\xEC\xEB\xFF 1:204\r\nline two");

    // Another program's text (UTF-8, LF) goes in as lines of the code page.
    backend->SetData({{"text/plain", "\xD0\x9B\xD1\x83\xD0\xBD\xD0\xB0\nMoon\n"}});
    memo->SetText("");
    Key(VK_INSERT, ssShift);
    EXPECT_EQ(memo->GetText(), "\xCB\xF3\xED\xE0\r\nMoon\r\n");
    EXPECT_TRUE(AtPos(memo->CaretXY(), 1, 3));

    // A column block pasted back makes a rectangle again.
    memo->SetText("abcd\r\nef\r\nghij");
    memo->SetSelectionMode(smColumn);
    memo->SetCaretAndSelection(BufferCoord(4, 3), BufferCoord(2, 1), BufferCoord(4, 3));
    Key('C', ssCtrl);
    EXPECT_EQ(Clipboard()->AsText(), "bc\r\nf \r\nhi");
    memo->SetSelectionMode(smNormal);
    memo->SetText("1234\r\n5678\r\n9012");
    memo->SetCaretXY(BufferCoord(3, 1));
    Key('V', ssCtrl);
    EXPECT_EQ(memo->GetText(), "12bc34\r\n56f 78\r\n90hi12");
}
