// The editor control core and the memo: text in all line-break styles, caret
// and selection positions, the edit-control messages with small buffers,
// bookmarks by key (also after Clear), and the memo read from a form definition.
#include <cstring>
#include <string>

#include "editor/EditorRegistration.h"
#include "platform/rtti/FormText.h"
#include "tests/editor/EditorTestSupport.h"

using namespace editortest;

namespace {

struct ChangeCounter {
    int changes = 0;
    TTeStatusChanges status = 0;
    void Changed(TObject*) { ++changes; }
    void Status(TObject*, TTeStatusChanges c) { status |= c; }
};

}  // namespace

TEST_F(MemoTest, SetTextGetTextAndClearInEveryLineBreakStyle) {
    struct Case {
        const char* in;
        int lines;
        const char* out;
    } cases[] = {
        {"Alpha\r\nBeta", 2, "Alpha\r\nBeta"},
        {"Alpha\r\nBeta\r\n", 2, "Alpha\r\nBeta"},
        {"Alpha\nBeta", 2, "Alpha\r\nBeta"},
        {"Alpha\nBeta\n", 2, "Alpha\r\nBeta"},
        {"Alpha\rBeta", 2, "Alpha\r\nBeta"},
        {"Alpha\rBeta\r", 2, "Alpha\r\nBeta"},
        {"a\r\n\r\nb", 3, "a\r\n\r\nb"},
        {"a\n\rb", 3, "a\r\n\r\nb"},  // LF CR is two breaks
        {"", 0, ""},
        {"\r\n", 1, ""},
    };
    ChangeCounter counter;
    memo->OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
    for (const Case& c : cases) {
        memo->SetText("junk\r\nmore junk");
        memo->SetCaretXY(BufferCoord(3, 2));
        memo->SetText(c.in);
        EXPECT_EQ(memo->Lines()->Count(), c.lines) << c.in;
        EXPECT_EQ(memo->GetText(), c.out) << c.in;
        EXPECT_EQ(memo->Text(), c.out);
        EXPECT_TRUE(AtPos(memo->CaretXY(), 1, 1));
        EXPECT_EQ(memo->TopLine(), 1);
        EXPECT_EQ(memo->LeftChar(), 1);
        EXPECT_FALSE(memo->UndoList()->CanUndo());
        EXPECT_FALSE(memo->Modified());
        // Reading twice changes nothing.
        EXPECT_EQ(memo->GetText(), memo->GetText());
        EXPECT_TRUE(AtPos(memo->CaretXY(), 1, 1));
    }
    EXPECT_EQ(counter.changes, 0);  // writing the text records nothing

    memo->SetText("Alpha\r\nBeta");
    Type("x");
    EXPECT_EQ(counter.changes, 1);
    EXPECT_TRUE(memo->Modified());
    memo->OnStatusChange = TStatusChangeEvent(&counter, &ChangeCounter::Status);
    memo->Clear();
    EXPECT_EQ(memo->Lines()->Count(), 0);
    EXPECT_EQ(memo->GetText(), "");
    EXPECT_FALSE(memo->Modified());
    EXPECT_FALSE(memo->UndoList()->CanUndo());
    EXPECT_TRUE(counter.status & scModified);
    EXPECT_TRUE(counter.status & scAll);
    // The Lines property is the same list.
    memo->Lines()->Add("Gamma");
    EXPECT_EQ(memo->GetText(), "Gamma");
}

TEST_F(MemoTest, SelectionIndexesCountLineBreaksAsTwo) {
    const AnsiString longLine(300, 'x');
    memo->SetText("ab\tcd\r\n" + longLine + "\r\nlast");
    struct Case {
        int start, length;
        const char* text;
        int bbChar, bbLine, beChar, beLine, caretChar, caretLine;
    } cases[] = {
        {1, 3, "b\tc", 2, 1, 5, 1, 2, 1},
        {4, 5, "d\r\nxx", 5, 1, 3, 2, 5, 1},
        {300, 12, "xxxxxxx\r\nlas", 294, 2, 4, 3, 294, 2},
        {309, 0, "", 1, 3, 1, 3, 1, 3},
        {1000, 0, "", 1, 3, 1, 3, 1, 3},  // beyond the text: char 1 of the last line
    };
    for (const Case& c : cases) {
        memo->SetSelStart(c.start);
        memo->SetSelLength(c.length);
        EXPECT_EQ(memo->SelText(), c.text) << c.start;
        EXPECT_TRUE(AtPos(memo->BlockBegin(), c.bbChar, c.bbLine)) << c.start;
        EXPECT_TRUE(AtPos(memo->BlockEnd(), c.beChar, c.beLine)) << c.start;
        EXPECT_TRUE(AtPos(memo->CaretXY(), c.caretChar, c.caretLine)) << c.start;
        if (c.length > 0) {
            EXPECT_EQ(memo->SelStart(), c.start);
            EXPECT_EQ(memo->SelLength(), c.length);
        }
    }
    // The tab spans columns 3..8: char 4 is shown in column 9.
    memo->SetCaretXY(BufferCoord(4, 1));
    EXPECT_EQ(memo->DisplayXY().Column, 9);
    EXPECT_TRUE(AtPos(memo->DisplayToBufferPos(DisplayCoord(6, 1)), 3, 1));  // inside the tab: the tab itself

    // Caret clamping with and without positions past the line end.
    memo->SetCaretXY(BufferCoord(500, 2));
    EXPECT_TRUE(AtPos(memo->CaretXY(), 500, 2));
    memo->SetCaretXY(BufferCoord(2000, 9));
    EXPECT_TRUE(AtPos(memo->CaretXY(), 1025, 3));
    memo->SetOptions(TTeEditorOptions(memo->Options()).Exclude(eoScrollPastEol));
    EXPECT_TRUE(AtPos(memo->CaretXY(), 5, 3));  // pulled back to the line end
    memo->SetCaretXY(BufferCoord(500, 2));
    EXPECT_TRUE(AtPos(memo->CaretXY(), 301, 2));
    memo->Clear();
    memo->SetCaretXY(BufferCoord(5, 3));
    EXPECT_TRUE(AtPos(memo->CaretXY(), 1, 1));
    memo->SetOptions(TTeEditorOptions(memo->Options()).Include(eoScrollPastEol));
    memo->SetCaretXY(BufferCoord(5, 3));
    EXPECT_TRUE(AtPos(memo->CaretXY(), 5, 1));

    // Column mode: ends that share a char select nothing, even across lines.
    memo->SetText("abcdef\r\nabcdef\r\nabcdef");
    memo->SetSelectionMode(smColumn);
    memo->SetBlockBegin(BufferCoord(3, 1));
    memo->SetBlockEnd(BufferCoord(3, 3));
    EXPECT_FALSE(memo->SelAvail());
    memo->SetBlockEnd(BufferCoord(5, 3));
    EXPECT_EQ(memo->SelText(), "cd\r\ncd\r\ncd");
    memo->SetBlockEnd(BufferCoord(9, 3));  // column mode may pass the line end
    EXPECT_TRUE(AtPos(memo->BlockEnd(), 9, 3));
}

TEST_F(MemoTest, EditControlMessages) {
    memo->SetText("Vega\r\nAltair\r\nDeneb");
    char buf[32];
    auto fill = [&] { memset(buf, '#', sizeof buf); };
    auto getText = [&](WPARAM size) { return memo->Perform(WM_GETTEXT, size, reinterpret_cast<LPARAM>(buf)); };
    auto getLine = [&](int line, uint16_t size) {
        fill();
        memcpy(buf, &size, sizeof size);
        return memo->Perform(EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(buf));
    };

    EXPECT_EQ(memo->Perform(WM_GETTEXTLENGTH), 19);
    // WM_GETTEXT: at most size - 1 characters and the zero; a size of 0 writes nothing.
    struct TextCase {
        WPARAM size;
        LRESULT result;
        const char* text;
    } textCases[] = {{0, 0, nullptr}, {1, 0, ""}, {5, 4, "Vega"}, {19, 18, "Vega\r\nAltair\r\nDene"},
                     {20, 19, "Vega\r\nAltair\r\nDeneb"}, {32, 19, "Vega\r\nAltair\r\nDeneb"}};
    for (const TextCase& c : textCases) {
        fill();
        EXPECT_EQ(getText(c.size), c.result) << c.size;
        if (!c.text) {
            EXPECT_EQ(buf[0], '#');
            continue;
        }
        EXPECT_STREQ(buf, c.text);
        if (c.size < sizeof buf) {
            EXPECT_EQ(buf[c.size], '#') << "written past the buffer of " << c.size;
        }
    }

    // EM_GETLINE: the first word of the buffer is its size; never a byte more.
    EXPECT_EQ(getLine(1, 0), 0);
    EXPECT_EQ(buf[2], '#');
    EXPECT_EQ(getLine(1, 1), 1);
    EXPECT_EQ(buf[0], 'A');
    EXPECT_EQ(buf[2], '#');
    EXPECT_EQ(getLine(1, 6), 6);  // exactly the line: no room for the zero
    EXPECT_EQ(std::string(buf, 6), "Altair");
    EXPECT_EQ(buf[6], '#');
    EXPECT_EQ(getLine(1, 7), 6);
    EXPECT_STREQ(buf, "Altair");
    EXPECT_EQ(getLine(3, 30), 0);  // index = line count
    EXPECT_EQ(buf[2], '#');
    EXPECT_EQ(memo->Perform(EM_GETLINECOUNT), 3);

    // Selection.
    memo->Perform(EM_SETSEL, 6, 12);
    int32_t s = -1, e = -1;
    LRESULT packed = memo->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    EXPECT_EQ(s, 6);
    EXPECT_EQ(e, 12);
    EXPECT_EQ(packed, (12 << 16) | 6);
    EXPECT_EQ(memo->Perform(EM_GETSEL, 0, 0), (12 << 16) | 6);
    fill();
    EXPECT_EQ(memo->Perform(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buf)), 6);
    EXPECT_STREQ(buf, "Altair");
    fill();
    EXPECT_EQ(memo->Perform(EM_GETSELTEXT, 3, reinterpret_cast<LPARAM>(buf)), 3);  // a size limits it
    EXPECT_EQ(buf[3], '#');

    // Replacing with undo, then one undo step restores.
    EXPECT_EQ(memo->Perform(EM_CANUNDO), 0);
    memo->Perform(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("Sirius"));
    EXPECT_EQ(memo->GetText(), "Vega\r\nSirius\r\nDeneb");
    EXPECT_EQ(memo->Perform(EM_GETMODIFY), 1);
    EXPECT_EQ(memo->Perform(EM_CANUNDO), 1);
    EXPECT_EQ(memo->Perform(EM_UNDO), 1);
    EXPECT_EQ(memo->GetText(), "Vega\r\nAltair\r\nDeneb");
    EXPECT_EQ(memo->Perform(EM_GETMODIFY), 0);
    memo->Perform(EM_SETMODIFY, 1);
    EXPECT_TRUE(memo->Modified());
    memo->Perform(EM_SETMODIFY, 0);
    EXPECT_FALSE(memo->Modified());

    // Read-only: nothing changes.
    memo->SetReadOnly(true);
    memo->Perform(EM_SETSEL, 0, 4);
    memo->Perform(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("Rigel"));
    EXPECT_EQ(memo->GetText(), "Vega\r\nAltair\r\nDeneb");
    memo->SetReadOnly(false);

    EXPECT_EQ(memo->Perform(EM_GETFIRSTVISIBLELINE), 1);
    LRESULT pos = memo->Perform(EM_CHARFROMPOS, 0, static_cast<LPARAM>((2 << 16) | (memo->GutterWidth() + 3)));
    EXPECT_EQ(LOWORD(static_cast<uintptr_t>(pos)), 1);
    EXPECT_EQ(HIWORD(static_cast<uintptr_t>(pos)), 0);
    pos = memo->Perform(EM_CHARFROMPOS, 0,
                        static_cast<LPARAM>(((memo->LineHeight() + 2) << 16) | (memo->GutterWidth() + 600)));
    EXPECT_EQ(LOWORD(static_cast<uintptr_t>(pos)), 6 + 7);  // past the end of "Altair": its length + 1
    EXPECT_EQ(HIWORD(static_cast<uintptr_t>(pos)), 1);

    // Messages an edit control knows but this memo does not answer.
    for (UINT msg : {EM_LINEFROMCHAR, EM_LINEINDEX, EM_LINELENGTH}) EXPECT_EQ(memo->Perform(msg, 3, 0), 0) << msg;

    EXPECT_EQ(memo->Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Rigel")), -1);
    EXPECT_EQ(memo->GetText(), "Rigel");
    memo->Clear();
    EXPECT_EQ(memo->Perform(EM_GETLINECOUNT), 0);
}

TEST_F(MemoTest, ReplacingWithoutUndoForgetsTheOlderUndoItems) {
    memo->SetText("Vega Altair");
    memo->SetCaretXY(BufferCoord(12, 1));
    Type("!");
    ASSERT_TRUE(memo->CanUndo());
    memo->Perform(EM_SETSEL, 0, 4);
    memo->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("Sirius"));
    EXPECT_EQ(memo->GetText(), "Sirius Altair!");
    EXPECT_FALSE(memo->CanUndo());  // an older item would undo at the wrong place
    memo->Undo();
    EXPECT_EQ(memo->GetText(), "Sirius Altair!");
}

TEST_F(MemoTest, BookmarksByTheDefaultKeysAndAfterClear) {
    memo->SetText("one\r\ntwo\r\nthree");
    memo->SetCaretXY(BufferCoord(2, 3));
    Key('3', ssCtrl | ssShift);
    ASSERT_TRUE(memo->IsBookmark(3));
    int x = 0, y = 0;
    memo->GetBookMark(3, x, y);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 3);
    EXPECT_EQ(memo->Marks()->Count(), 1);

    memo->SetCaretXY(BufferCoord(1, 1));
    Key('3', ssCtrl);
    EXPECT_TRUE(AtPos(memo->CaretXY(), 2, 3));
    Key('3', ssCtrl | ssShift);  // the same key on the same line takes it away
    EXPECT_FALSE(memo->IsBookmark(3));
    EXPECT_EQ(memo->Marks()->Count(), 0);

    memo->SetCaretXY(BufferCoord(1, 2));
    Key('3', ssCtrl | ssShift);
    Key('5', ssCtrl | ssShift);
    memo->SetCaretXY(BufferCoord(1, 3));
    Key('3', ssCtrl | ssShift);  // on another line: moves there
    memo->GetBookMark(3, x, y);
    EXPECT_EQ(y, 3);
    EXPECT_EQ(memo->Marks()->Count(), 2);

    memo->Clear();
    EXPECT_FALSE(memo->IsBookmark(3));
    EXPECT_FALSE(memo->IsBookmark(5));
    EXPECT_EQ(memo->Marks()->Count(), 0);
    Key('3', ssCtrl);
    Key('5', ssCtrl | ssShift);
    Key('3', ssCtrl | ssShift);
    EXPECT_TRUE(memo->IsBookmark(5));
    EXPECT_EQ(memo->Marks()->Count(), 2);
    memo->SetText("fresh");  // written text keeps valid slots
    Key('5', ssCtrl | ssShift);
    Key('3', ssCtrl);
}

TEST_F(MemoTest, KeysTypeMoveAndLeaveTabToTheForm) {
    memo->SetText("abc");
    memo->SetCaretXY(BufferCoord(4, 1));
    Type("de");
    EXPECT_EQ(memo->GetText(), "abcde");
    Key(VK_HOME);
    Key(VK_RIGHT, ssShift);
    Key(VK_RIGHT, ssShift);
    EXPECT_EQ(memo->SelText(), "ab");
    Key(VK_RETURN);
    EXPECT_EQ(memo->GetText(), "\r\ncde");
    EXPECT_EQ(memo->Perform(WM_GETDLGCODE) & (DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS),
              static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS));
}

TEST(MemoDefinition, TheSolarSystemMemoReadsFromAFormDefinition) {
    RegisterEditorLibrary();  // as the test main does; again does nothing
    const char* const definition = R"(object frmMain: TForm
  Left = 10
  Top = 10
  Width = 500
  Height = 300
  object memSolarSystem: TTeMemo
    Left = 0
    Top = 0
    Width = 492
    Height = 266
    Align = alClient
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -13
    Font.Name = 'Courier New'
    Font.Style = []
    Gutter.Font.Charset = DEFAULT_CHARSET
    Gutter.Font.Color = clWindowText
    Gutter.Font.Height = -11
    Gutter.Font.Name = 'Courier New'
    Gutter.Font.Style = []
    Hint = 'Paste a solar system here'
    TabOrder = 0
  end
end
)";
    TForm* form = new TForm(nullptr);
    form->AfterConstruction();
    ReadComponentDefinition(form, definition, "main.form");
    auto* memo = dynamic_cast<TTeMemo*>(form->FindComponent("memSolarSystem"));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Parent(), form);
    EXPECT_EQ(memo->Align(), alClient);
    EXPECT_EQ(memo->Font()->Height(), -13);
    EXPECT_EQ(memo->Font()->Name(), "Courier New");
    EXPECT_EQ(memo->Gutter()->Font()->Height(), -11);
    EXPECT_EQ(memo->Hint(), "Paste a solar system here");
    EXPECT_EQ(memo->Options(), kTeDefaultOptions);
    EXPECT_EQ(memo->Options().Bits, 0x026C0192u);
    EXPECT_EQ(memo->RightEdge(), 80);
    EXPECT_EQ(memo->TabWidth(), 8);
    EXPECT_EQ(memo->Lines()->Count(), 0);
    form->Show();
    memo->SetText("Planet\r\nMoon");
    EXPECT_EQ(memo->GetText(), "Planet\r\nMoon");
    EXPECT_GT(memo->CharWidth(), 0);
    EXPECT_GT(memo->LinesInWindow(), 5);
    FreeObject(form);
    Application->ProcessMessages();
}

// With bars that come and go, a bar that shows makes the text fit and a bar
// that hides makes it overflow again at some sizes; resizing through all the
// small sizes settles every time, on measures that match the client area.
TEST_F(MemoTest, ScrollBarsThatHideAndShowSettleAtEverySmallSize) {
    memo->SetOptions(TTeEditorOptions(kTeDefaultOptions).Include(eoHideShowScrollbars).Exclude(eoScrollPastEol));
    const char* texts[] = {"abcd\r\nefgh\r\nijkl", "a\r\nb\r\nc\r\nd", "abcdefgh", "abcde\r\nf\r\ng\r\nh"};
    for (const char* text : texts) {
        memo->SetText(text);
        for (int w = 40; w <= 90; w += 1) {
            for (int h = 40; h <= 90; h += 3) {
                memo->SetBounds(0, 0, w, h);
                ASSERT_EQ(memo->CharsInWindow(),
                          std::max(memo->ClientWidth() - memo->GutterWidth() - 2, 0) / memo->CharWidth())
                    << text << " at " << w << "x" << h;
                ASSERT_EQ(memo->LinesInWindow(), memo->ClientHeight() / memo->LineHeight())
                    << text << " at " << w << "x" << h;
            }
        }
    }
    memo->SetBounds(0, 0, 57, 73);
    EXPECT_EQ(memo->LinesInWindow(), memo->ClientHeight() / memo->LineHeight());
}

// A second memo shares the first one's text and undo lists: edits in either
// show in both, and each gets its own text back when the sharing ends,
// also when the other memo is freed first.
TEST_F(MemoTest, ASharedTextIsEditedFromBothControlsAndGivenBack) {
    auto makeMemo = [this](int top) {
        auto* m = new TTeMemo(form);
        m->SetParent(form);
        m->SetBounds(0, top, 300, 100);
        return m;
    };
    memo->SetText("shared");
    TTeMemo* other = makeMemo(200);
    other->SetText("own text");
    other->HookTextBuffer(memo);
    EXPECT_EQ(other->TextBufferSource(), memo);
    EXPECT_EQ(other->GetText(), "shared");
    other->SetFocus();
    other->SetCaretXY(BufferCoord(7, 1));
    SimulateTyping(other->Handle(), "!");
    EXPECT_EQ(memo->GetText(), "shared!");
    EXPECT_TRUE(memo->CanUndo());
    memo->Undo();  // the undo list is shared too
    EXPECT_EQ(other->GetText(), "shared");
    memo->SetText("replaced\r\nin two lines");
    EXPECT_EQ(other->Lines()->Count(), 2);
    other->UnHookTextBuffer();
    EXPECT_EQ(other->GetText(), "own text");
    EXPECT_EQ(memo->GetText(), "replaced\r\nin two lines");

    // The source goes first: the sharer has its own text back and goes on.
    TTeMemo* source = makeMemo(300);
    source->SetText("short-lived");
    other->HookTextBuffer(source);
    EXPECT_EQ(other->GetText(), "short-lived");
    FreeObject(source);
    EXPECT_EQ(other->TextBufferSource(), nullptr);
    EXPECT_EQ(other->GetText(), "own text");
    other->SetCaretXY(BufferCoord(1, 1));
    SimulateTyping(other->Handle(), "my ");
    EXPECT_EQ(other->GetText(), "my own text");

    // The sharer goes first: the source keeps its text and its edits.
    other->HookTextBuffer(memo);
    FreeObject(other);
    memo->SetFocus();
    memo->SetCaretXY(BufferCoord(1, 1));
    Type(">");
    EXPECT_EQ(memo->GetText(), ">replaced\r\nin two lines");

    // A replace asks its handler; without one it stops.
    struct Replies {
        int asked = 0;
        void Reply(TObject*, const AnsiString& Search, const AnsiString& Replace, int Line, int Column,
                   TReplaceAction& Action) {
            ++asked;
            Action = Search == "a" && Replace == "b" && Line == 2 && Column == 3 ? 2 : 1;
        }
    } replies;
    struct ReplaceProbe : TTeMemo {
        using TTeMemo::TTeMemo;
        using TTeMemo::DoOnReplaceText;
    };
    auto* probe = new ReplaceProbe(form);
    EXPECT_EQ(probe->DoOnReplaceText("a", "b", 2, 3), 0);
    probe->OnReplaceText = TReplaceTextEvent(&replies, &Replies::Reply);
    EXPECT_EQ(probe->DoOnReplaceText("a", "b", 2, 3), 2);
    EXPECT_EQ(replies.asked, 1);
}
