// Painting on the recording device (runs, colours, right edge, gutter numbers,
// bookmark picture, the fill below the text), scrolling that repaints only the
// uncovered strip, word wrap at 10, 256 and 300 characters, the mouse, and
// screenshots of the memo.
#include <cstdlib>
#include <string>

#include "editor/TeEditWordWrap.h"
#include "platform/gui/Gdi.h"
#include "platform/gui/RecordingDevice.h"
#include "tests/editor/EditorTestSupport.h"

using namespace editortest;

namespace {

COLORREF Rgb(TColor c) { return static_cast<COLORREF>(ColorToRGB(c)); }

// The recorded calls of one kind at the top level.
std::vector<TGdiCall> Recorded(const TRecordingDevice* dev, TGdiCallKind kind) {
    std::vector<TGdiCall> out;
    for (const TGdiCall& c : dev->Calls())
        if (c.Kind == kind) out.push_back(c);
    return out;
}

class PaintTest : public MemoTest {
protected:
    // Paints the whole client area (or Clip) onto a recording device.
    TRecordingDevice* PaintRecorded(TRect Clip = TRect()) {
        dc = CreateRecordingDC(&dev, TSize(memo->ClientWidth(), memo->ClientHeight()));
        if (!IsRectEmpty(Clip)) IntersectClipRect(dc, Clip.Left, Clip.Top, Clip.Right, Clip.Bottom);
        memo->PaintTo(dc, 0, 0);
        return dev;
    }
    void TearDown() override {
        if (dc) DeleteDC(dc);
        MemoTest::TearDown();
    }
    // Widens the memo until exactly Chars cells fit beside the gutter.
    void FitChars(int Chars) {
        for (int i = 0; i < 4 && memo->CharsInWindow() != Chars; ++i)
            memo->SetWidth(memo->Width() + (Chars - memo->CharsInWindow()) * memo->CharWidth());
        ASSERT_EQ(memo->CharsInWindow(), Chars);
    }
    HDC dc = nullptr;
    TRecordingDevice* dev = nullptr;
    DWORD tick = 1000000;
};

}  // namespace

TEST_F(PaintTest, RowsSelectionRightEdgeGutterAndBookmark) {
    memo->Gutter()->SetShowLineNumbers(true);
    memo->SetRightEdge(40);
    memo->SetActiveLineColor(clYellow);
    memo->SetText("abc\tdef\r\nghijkl\r\nmnop");
    memo->SetCaretXY(BufferCoord(1, 3));
    memo->SetBookMark(2, 1, 3);
    memo->SetCaretAndSelection(BufferCoord(3, 2), BufferCoord(2, 1), BufferCoord(3, 2));
    PaintRecorded();
    const int cw = memo->CharWidth(), lh = memo->LineHeight(), gw = memo->GutterWidth(), off = memo->TextOffset();
    ASSERT_GT(cw, 0);
    ASSERT_EQ(off, gw + 2);

    std::vector<TGdiCall> texts = Recorded(dev, TGdiCallKind::ExtTextOut);
    auto findRun = [&](int row, int x, const char* prefix) -> const TGdiCall* {
        for (const TGdiCall& c : texts)
            if (c.Points[0].Y == (row - 1) * lh && c.Points[0].X == x && c.Text.rfind(prefix, 0) == 0) return &c;
        return nullptr;
    };
    // Row 1: "a" unselected, then the selected rest with the tab shown as blanks.
    const TGdiCall* a = findRun(1, off, "a");
    ASSERT_NE(a, nullptr) << dev->Dump();
    EXPECT_EQ(a->Text, "a");
    EXPECT_EQ(a->BkColor, Rgb(clWindow));
    const TGdiCall* sel1 = findRun(1, off + cw, "bc     def");
    ASSERT_NE(sel1, nullptr) << dev->Dump();
    EXPECT_EQ(sel1->BkColor, Rgb(clHighlight));
    EXPECT_EQ(sel1->Color, Rgb(clHighlightText));
    EXPECT_EQ(sel1->SourceRect.Left, off + cw);
    for (int d : sel1->Dx) EXPECT_EQ(d, cw);  // fixed cells
    // Row 2: "gh" selected, the rest not.
    const TGdiCall* sel2 = findRun(2, off, "gh");
    ASSERT_NE(sel2, nullptr) << dev->Dump();
    EXPECT_EQ(sel2->BkColor, Rgb(clHighlight));
    EXPECT_EQ(sel2->Text, "gh");
    // The caret line's unselected part is in the active-line colour.
    const TGdiCall* rest2 = findRun(2, off + 2 * cw, "ijkl");
    ASSERT_NE(rest2, nullptr);
    EXPECT_EQ(rest2->BkColor, Rgb(clYellow));
    const TGdiCall* row3 = findRun(3, off, "mnop");
    ASSERT_NE(row3, nullptr);
    EXPECT_EQ(row3->BkColor, Rgb(clWindow));

    // The gutter's numbers end at gutter width - RightOffset - 2.
    HDC m = GetDC(nullptr);
    HGDIOBJ old = SelectObject(m, memo->Gutter()->Font()->Handle());
    TSize ext;
    GetTextExtentPoint32(m, "   2", 4, &ext);
    SelectObject(m, old);
    ReleaseDC(nullptr, m);
    bool numberFound = false;
    for (const TGdiCall& c : texts) {
        if (c.Text != "   2") continue;
        numberFound = true;
        EXPECT_EQ(c.Points[0].X + ext.cx, gw - memo->Gutter()->RightOffset() - 2);
    }
    EXPECT_TRUE(numberFound);

    // The right edge crosses every row and the area below the text.
    int edgeX = off + 40 * cw;
    int edgeBottom = 0, edgeSegments = 0;
    for (const TGdiCall& c : Recorded(dev, TGdiCallKind::LineTo)) {
        if (c.Points[0].X != edgeX || c.Points[1].X != edgeX) continue;
        EXPECT_EQ(c.Pen.Color, Rgb(clSilver));
        ++edgeSegments;
        edgeBottom = std::max(edgeBottom, c.Points[1].Y);
    }
    EXPECT_EQ(edgeSegments, 4);
    EXPECT_GE(edgeBottom, memo->ClientHeight());

    // The bookmark picture on line 3, and the fill below the text in the editor's colour.
    bool bookmark = false;
    for (const TGdiCall& c : dev->Calls())
        if ((c.Kind == TGdiCallKind::BitBlt || c.Kind == TGdiCallKind::StretchBlt) && c.Rect.Left == 2 &&
            c.Rect.Top >= 2 * lh && c.Rect.Top < 3 * lh)
            bookmark = true;
    EXPECT_TRUE(bookmark) << dev->Dump();
    bool below = false;
    for (const TGdiCall& c : Recorded(dev, TGdiCallKind::FillRect))
        if (c.Rect.Top == 3 * lh && c.Rect.Left >= gw) {
            below = true;
            EXPECT_EQ(c.Color, Rgb(clWindow));
        }
    EXPECT_TRUE(below);
}

TEST_F(PaintTest, OnlyTheClippedPartIsPainted) {
    memo->SetText("one\r\ntwo");
    PaintRecorded(TRect(0, 0, memo->GutterWidth() - 4, 50));
    EXPECT_TRUE(Recorded(dev, TGdiCallKind::ExtTextOut).empty());  // the gutter alone: no text runs
    DeleteDC(dc);
    PaintRecorded(TRect(memo->GutterWidth() + 10, 0, 300, 50));
    for (const TGdiCall& c : Recorded(dev, TGdiCallKind::FillRect)) EXPECT_GE(c.Rect.Right, memo->GutterWidth());
    // Without focus and with HideSelection the selection is not shown.
    DeleteDC(dc);
    memo->SetHideSelection(true);
    memo->SetCaretAndSelection(BufferCoord(3, 1), BufferCoord(1, 1), BufferCoord(3, 1));
    form->SetActiveControl(nullptr);
    ::SetFocus(form->Handle());
    PaintRecorded();
    for (const TGdiCall& c : Recorded(dev, TGdiCallKind::ExtTextOut)) EXPECT_NE(c.BkColor, Rgb(clHighlight));
}

TEST_F(PaintTest, ScrollingOneLineRepaintsOnlyTheUncoveredRow) {
    AnsiString text;
    for (int i = 1; i <= 200; ++i) text += "line " + std::to_string(i) + "\r\n";
    memo->SetText(text);
    PaintWindowNow(memo->Handle());
    ValidateRect(memo->Handle(), nullptr);
    TRect r;
    ASSERT_FALSE(GetUpdateRect(memo->Handle(), &r, false));
    memo->SetTopLine(2);
    ASSERT_TRUE(GetUpdateRect(memo->Handle(), &r, false));
    int lh = memo->LineHeight();
    EXPECT_LE(r.Height(), 2 * lh) << r.Top << ".." << r.Bottom;  // the strip that came into view
    EXPECT_GE(r.Bottom, memo->ClientHeight() - 1);
    PaintWindowNow(memo->Handle());
    ValidateRect(memo->Handle(), nullptr);
    memo->SetTopLine(2 + memo->LinesInWindow() + 5);  // more than a window: everything
    ASSERT_TRUE(GetUpdateRect(memo->Handle(), &r, false));
    EXPECT_GE(r.Height(), memo->ClientHeight() - 1);

    // The vertical bar of 40,000 lines works in 0..32767 and its end reaches the last line.
    AnsiString many;
    many.reserve(40000 * 3);
    for (int i = 0; i < 40000; ++i) many += "x\r\n";
    memo->SetText(many);
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    GetScrollInfo(memo->Handle(), SB_VERT, &si);
    EXPECT_EQ(si.nMax, 32767);
    memo->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 32767), 0);
    EXPECT_EQ(memo->TopLine(), memo->Lines()->Count() - memo->LinesInWindow() + 1);
}

TEST_F(PaintTest, WordWrapAtTheWindowWidthEndsAndRoundTrips) {
    FitChars(10);
    memo->SetText("aaaa bbbb cccc\r\n" + AnsiString(30, 'x') + "\r\n\r\nab");
    memo->SetWordWrap(true);
    TTeWordWrapPlugin* ww = memo->WordWrapPlugin();
    ASSERT_NE(ww, nullptr);
    EXPECT_EQ(ww->MaxRowLength(), 10);
    EXPECT_EQ(ww->RowCount(), 2 + 3 + 1 + 1);
    EXPECT_EQ(ww->GetRowLength(1), 10);  // the blank after bbbb stays on the first row
    EXPECT_EQ(ww->GetRowLength(2), 4);
    EXPECT_EQ(ww->GetRowLength(6), 0);  // an empty line is one empty row
    for (int line = 1; line <= 4; ++line) {
        for (int ch = 1; ch <= static_cast<int>(memo->Lines()->Strings(line - 1).size()); ++ch) {
            TBufferCoord p = BufferCoord(ch, line);
            EXPECT_TRUE(AtPos(memo->DisplayToBufferPos(memo->BufferToDisplayPos(p)), ch, line));
        }
    }
    // Typing keeps the rows in step.
    memo->SetCaretXY(BufferCoord(1, 4));
    Type("cdefghijklmnop");
    EXPECT_EQ(ww->RowCount(), 2 + 3 + 1 + 2);

    // 256 and 300 characters: rows of 255 (a row length is a byte), never of 0 or 44.
    for (int chars : {256, 300}) {
        memo->SetWordWrap(false);
        FitChars(chars);
        memo->SetText(AnsiString(1000, 'y'));
        memo->SetWordWrap(true);
        ww = memo->WordWrapPlugin();
        EXPECT_EQ(ww->MaxRowLength(), 255) << chars;
        ASSERT_EQ(ww->RowCount(), 4) << chars;
        EXPECT_EQ(ww->GetRowLength(1), 255);
        EXPECT_EQ(ww->GetRowLength(4), 1000 - 3 * 255);
    }
}

TEST_F(PaintTest, MouseClicksDragsWheelAndDoubleClick) {
    SetTickSource([this] { return tick; });
    AnsiString text;
    for (int i = 1; i <= 100; ++i) text += "word" + std::to_string(i) + " other text\r\n";
    memo->SetText(text);
    const int cw = memo->CharWidth(), lh = memo->LineHeight(), off = memo->TextOffset();
    auto cellX = [&](int col) { return off + (col - 1) * cw + 1; };
    auto rowY = [&](int row) { return (row - 1) * lh + lh / 2; };

    ResetDoubleClick();
    SimulateClick(memo->Handle(), cellX(3), rowY(2));
    EXPECT_TRUE(AtPos(memo->CaretXY(), 3, 2));
    EXPECT_FALSE(memo->SelAvail());
    ResetDoubleClick();
    SimulateClick(memo->Handle(), cellX(5), rowY(4), ssShift);
    EXPECT_TRUE(AtPos(memo->BlockBegin(), 3, 2));
    EXPECT_TRUE(AtPos(memo->BlockEnd(), 5, 4));

    // A press inside the selection released without moving collapses it there.
    ResetDoubleClick();
    SimulateClick(memo->Handle(), cellX(2), rowY(3));
    EXPECT_FALSE(memo->SelAvail());
    EXPECT_TRUE(AtPos(memo->CaretXY(), 2, 3));

    ResetDoubleClick();
    SimulateDoubleClick(memo->Handle(), cellX(2), rowY(5));
    EXPECT_EQ(memo->SelText(), "word5");

    // Dragging below the window scrolls on the timer.
    ResetDoubleClick();
    SimulateMouseDown(memo->Handle(), TSimButton::Left, cellX(1), rowY(1));
    SimulateMouseMove(memo->Handle(), cellX(4), memo->ClientHeight() + lh, ssLeft);
    EXPECT_TRUE(memo->ScrollTimer()->Enabled());
    int top = memo->TopLine();
    tick += 50;
    Application->ProcessMessages();
    EXPECT_EQ(memo->TopLine(), top);  // the timer's 100 ms have not passed
    tick += 60;
    Application->ProcessMessages();
    EXPECT_GT(memo->TopLine(), top);
    top = memo->TopLine();
    tick += 100;
    Application->ProcessMessages();
    EXPECT_GT(memo->TopLine(), top);
    SimulateMouseUp(memo->Handle(), TSimButton::Left, cellX(4), memo->ClientHeight() + lh);
    EXPECT_FALSE(memo->ScrollTimer()->Enabled());
    EXPECT_TRUE(memo->SelAvail());
    EXPECT_TRUE(AtPos(memo->BlockBegin(), 1, 1));

    // The wheel: one notch is the system's line count; halves add up.
    memo->SetTopLine(10);
    SimulateWheel(memo->Handle(), -120, cellX(1), rowY(1));
    EXPECT_EQ(memo->TopLine(), 10 + Mouse->WheelScrollLines());
    memo->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
    EXPECT_EQ(memo->TopLine(), 10 + Mouse->WheelScrollLines());
    memo->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
    EXPECT_EQ(memo->TopLine(), 10);
    SetTickSource(nullptr);
}

// After a click the memo holds the caret and then sits idle: the caret drawn
// over the finished pixels must not make the memo paint again and again.
TEST_F(PaintTest, AnIdleMemoWithTheCaretPaintsNothing) {
    struct PaintCounter {
        int paints = 0;
        void Painted(TObject*, TCanvas*) { ++paints; }
    } counter;
    memo->SetText("Solar system 1:204\r\n 1  Terra Nova\r\n 2  Boreas");
    memo->OnPaint = TPaintEvent(&counter, &PaintCounter::Painted);
    SimulateClick(memo->Handle(), memo->TextOffset() + 3 * memo->CharWidth(), memo->LineHeight() / 2);
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();  // the click's own repaint
    ASSERT_EQ(GetCaretState().Owner, memo->Handle());
    EXPECT_TRUE(GetCaretState().Visible);
    counter.paints = 0;
    for (int i = 0; i < 100; ++i) Application->ProcessMessages();
    EXPECT_EQ(counter.paints, 0);
    // Moving the caret shows it at once, still without painting the text.
    Key(VK_RIGHT);
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    EXPECT_TRUE(GetCaretState().Visible);
    EXPECT_EQ(counter.paints, 0);
}

TEST_F(PaintTest, Screenshots) {
    memo->Gutter()->SetShowLineNumbers(true);
    memo->SetText(
        "Solar system 1:204\r\n 1  Terra Nova\tplayer Kestrel\t[ALLY]\r\n 2  Boreas\r\n 4  Vesta Minor\t(moon)\r\n"
        " 7  Ceto\tplayer Wren\r\n\r\n12  Halcyon\tplayer Kestrel\tdebris 3000");
    memo->SetBookMark(1, 1, 4);
    memo->SetCaretAndSelection(BufferCoord(8, 4), BufferCoord(5, 2), BufferCoord(8, 4));
    const char* dir = getenv("TESK_SCREENSHOT_DIR");
    std::string base = dir ? dir : ".";
    PaintWindowNow(form->Handle());
    EXPECT_TRUE(SaveWindowImage(form->Handle(), (base + "/editor-selection.png").c_str()));
    COLORREF selected = GetWindowPixel(memo->Handle(), memo->TextOffset() + 6 * memo->CharWidth(),
                                       2 * memo->LineHeight() + memo->LineHeight() / 2);
    EXPECT_EQ(selected, Rgb(clHighlight));

    memo->SetWidth(260);
    memo->SetText("The wrap glyph marks each row that continues a line: " + AnsiString(3, ' ') +
                  "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu\r\nshort line\r\n" +
                  AnsiString(70, '=') + "\r\nend");
    memo->SetWordWrap(true);
    PaintWindowNow(form->Handle());
    EXPECT_TRUE(SaveWindowImage(form->Handle(), (base + "/editor-wordwrap.png").c_str()));
    EXPECT_GT(memo->DisplayLineCount(), memo->Lines()->Count());
}
