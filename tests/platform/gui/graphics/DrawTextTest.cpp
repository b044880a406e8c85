// DrawText layout: where each line lands, worked out from the measured font
// metrics, on the recording device and on pixels.
#include <gtest/gtest.h>

#include <vector>

#include "GraphicsTestSupport.h"

namespace {

enum TAlign { Left, Center, Right };
enum TVert { Top, VCenter, Bottom };

struct TLine {
    AnsiString Text;
    TAlign Align;
};

struct TCase {
    const char* Name;
    AnsiString Text;
    TRect Rect;
    UINT Format;
    std::vector<TLine> Lines;
    TVert Vert = Top;
    int LeftMargin = 0;
    int RightMargin = 0;
    // When set, the rectangle is made just as wide as this text (plus margins).
    const char* FitText = nullptr;
};

const std::vector<TCase>& Cases() {
    static const std::vector<TCase> cases = {
        {"left", "Tesk grid", {10, 20, 200, 40}, DT_SINGLELINE | DT_LEFT, {{"Tesk grid", Left}}},
        {"centred both ways", "Tesk grid", {10, 20, 200, 40}, DT_SINGLELINE | DT_CENTER | DT_VCENTER,
         {{"Tesk grid", Center}}, VCenter},
        {"right and bottom", "Tesk grid", {10, 20, 200, 60}, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM,
         {{"Tesk grid", Right}}, Bottom},
        {"line breaks", "first\r\nsecond\nthird", {0, 0, 300, 100}, DT_LEFT,
         {{"first", Left}, {"second", Left}, {"third", Left}}},
        {"each line centred", "a\r\nwide line", {0, 0, 300, 100}, DT_CENTER, {{"a", Center}, {"wide line", Center}}},
        {"vertical centring needs a single line", "a\r\nb", {0, 0, 300, 100}, DT_VCENTER,
         {{"a", Left}, {"b", Left}}},
        {"single line keeps breaks as text", "a\r\nb", {0, 0, 300, 40}, DT_SINGLELINE, {{"a\r\nb", Left}}},
        {"word break", "ab ab ab ab", {0, 0, 0, 100}, DT_WORDBREAK, {{"ab ab", Left}, {"ab ab", Left}}, Top, 0, 0,
         "ab ab"},
        {"word wider than the line stays whole", "ab abababab ab", {0, 0, 0, 100}, DT_WORDBREAK,
         {{"ab", Left}, {"abababab", Left}, {"ab", Left}}, Top, 0, 0, "ab ab"},
        {"wrapped lines right-aligned", "ab ab ab", {5, 0, 0, 100}, DT_WORDBREAK | DT_RIGHT,
         {{"ab ab", Right}, {"ab", Right}}, Top, 0, 0, "ab ab"},
        {"negative margins centre over a wider span", "Parent", {100, 0, 150, 20}, DT_SINGLELINE | DT_CENTER,
         {{"Parent", Center}}, Top, -100, -50},
        {"right margin", "x", {0, 0, 100, 20}, DT_SINGLELINE | DT_RIGHT, {{"x", Right}}, Top, 0, 7},
        {"left margin with word break", "ab ab ab", {0, 0, 0, 100}, DT_WORDBREAK,
         {{"ab ab", Left}, {"ab", Left}}, Top, 6, 0, "ab ab"},
        {"end ellipsis", "Overlong", {3, 0, 0, 20}, DT_SINGLELINE | DT_END_ELLIPSIS | DT_RIGHT,
         {{"Over...", Right}}, Top, 0, 0, "Over..."},
        {"centred ellipsis between margins", "Overlong", {0, 0, 0, 20}, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CENTER,
         {{"Over...", Center}}, Top, 4, 2, "Over..."},
    };
    return cases;
}

struct TExpected {
    AnsiString Text;
    int X, Y, Width;
};

// Where each line must go, from the context's own measurements.
std::vector<TExpected> Expect(HDC dc, const TCase& c, TRect* rect) {
    *rect = c.Rect;
    if (c.FitText) rect->Right = rect->Left + c.LeftMargin + TextWidthOn(dc, c.FitText) + c.RightMargin;
    int h = LineHeightOn(dc);
    int areaLeft = rect->Left + c.LeftMargin, areaRight = rect->Right - c.RightMargin;
    int n = static_cast<int>(c.Lines.size());
    int top = c.Vert == VCenter ? rect->Top + (rect->Height() - n * h) / 2
              : c.Vert == Bottom ? rect->Bottom - n * h
                                 : rect->Top;
    std::vector<TExpected> out;
    for (int i = 0; i < n; ++i) {
        int w = TextWidthOn(dc, c.Lines[i].Text);
        int x = c.Lines[i].Align == Left     ? areaLeft
                : c.Lines[i].Align == Right ? areaRight - w
                                            : areaLeft + (areaRight - areaLeft - w) / 2;
        out.push_back({c.Lines[i].Text, x, top + i * h, w});
    }
    return out;
}

int Draw(HDC dc, const TCase& c, TRect rect) {
    DRAWTEXTPARAMS params;
    params.iLeftMargin = c.LeftMargin;
    params.iRightMargin = c.RightMargin;
    return DrawTextEx(dc, c.Text.data(), static_cast<int>(c.Text.size()), &rect, c.Format, &params);
}

class DrawTextTest : public testing::Test {
protected:
    void SetUp() override {
        dc = CreateRecordingDC(&rec);
        font = MakeFont("Arial", -13);
        SelectObject(dc, font);
    }
    void TearDown() override {
        DeleteDC(dc);
        DeleteObject(font);
    }
    TRecordingDevice* rec = nullptr;
    HDC dc = nullptr;
    HFONT font = nullptr;
};

TEST_F(DrawTextTest, LinesLandWhereTheMetricsPutThem) {
    int h = LineHeightOn(dc);
    for (const TCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        rec->Clear();
        TRect rect;
        std::vector<TExpected> expected = Expect(dc, c, &rect);
        int result = Draw(dc, c, rect);

        int n = static_cast<int>(expected.size());
        int offset = c.Vert == Top ? 0 : expected[0].Y - rect.Top;
        EXPECT_EQ(result, offset + n * h);
        auto calls = rec->Calls(TGdiCallKind::DrawText, 0);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].Result, result);

        auto lines = rec->Calls(TGdiCallKind::ExtTextOut, 1);
        ASSERT_EQ(lines.size(), expected.size()) << rec->Dump();
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].Text, expected[i].Text);
            EXPECT_EQ(lines[i].Rect.Left, expected[i].X) << expected[i].Text;
            EXPECT_EQ(lines[i].Rect.Top, expected[i].Y) << expected[i].Text;
            // Every line is clipped to the rectangle, margins or not.
            EXPECT_TRUE(lines[i].Flags & ETO_CLIPPED);
            EXPECT_EQ(lines[i].SourceRect, rect);
        }
    }
}

TEST_F(DrawTextTest, PixelsFollowTheSameLayout) {
    TSurface s(320, 110);
    HFONT f = MakeFont("Arial", -13);
    SelectObject(s.Dc(), f);
    SetBkMode(s.Dc(), TRANSPARENT);
    const COLORREF white = RGB(255, 255, 255);
    for (const TCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        s.Clear(white);
        TRect rect;
        std::vector<TExpected> expected = Expect(s.Dc(), c, &rect);
        Draw(s.Dc(), c, rect);
        int h = LineHeightOn(s.Dc());
        TRect all = s.Ink(white);
        // Nothing outside the rectangle, and every line inked inside its own box.
        TRect inside;
        IntersectRect(&inside, all, rect);
        EXPECT_EQ(inside, all);
        for (const TExpected& e : expected) {
            TRect box(std::max(e.X, rect.Left), e.Y, std::min(e.X + e.Width, rect.Right), e.Y + h);
            TRect ink = s.Ink(white, TRect(0, e.Y, 320, e.Y + h));
            EXPECT_FALSE(IsRectEmpty(ink)) << e.Text;
            EXPECT_GE(ink.Left, box.Left - 1) << e.Text;
            EXPECT_LE(ink.Right, box.Right + 1) << e.Text;
        }
    }
    SelectObject(s.Dc(), GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
}

TEST_F(DrawTextTest, TabsExpandToTheTabLength) {
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    const AnsiString text = "a\tb\tc";
    DRAWTEXTPARAMS params;
    params.iTabLength = 4;
    TRect r(10, 0, 300, 20);
    DrawTextEx(dc, text.data(), static_cast<int>(text.size()), &r, DT_EXPANDTABS | DT_SINGLELINE, &params);
    auto line = rec->Calls(TGdiCallKind::ExtTextOut, 1);
    ASSERT_EQ(line.size(), 1u);
    const std::vector<int>& dx = line[0].Dx;
    ASSERT_EQ(dx.size(), 5u);
    // Tab stops every 4 average character widths from the line's start.
    int stop = 4 * tm.tmAveCharWidth;
    EXPECT_EQ(dx[0] + dx[1], stop);
    EXPECT_EQ(dx[0] + dx[1] + dx[2] + dx[3], 2 * stop);

    // Without DT_EXPANDTABS the tab takes no room.
    rec->Clear();
    r = TRect(10, 0, 300, 20);
    DrawText(dc, text.data(), static_cast<int>(text.size()), &r, DT_SINGLELINE);
    line = rec->Calls(TGdiCallKind::ExtTextOut, 1);
    ASSERT_EQ(line.size(), 1u);
    EXPECT_EQ(line[0].Dx[1], 0);
}

TEST_F(DrawTextTest, EndEllipsisKeepsTheLongestPrefixThatFits) {
    const AnsiString text = "Overlong column caption";
    int dots = TextWidthOn(dc, "...");
    for (int width : {dots + 30, dots + 1, dots - 1, 3}) {
        SCOPED_TRACE(width);
        rec->Clear();
        TRect r(0, 0, width, 20);
        DrawText(dc, text.data(), -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS);
        auto line = rec->Calls(TGdiCallKind::ExtTextOut, 1);
        ASSERT_EQ(line.size(), 1u);
        const AnsiString& shown = line[0].Text;
        ASSERT_GE(shown.size(), 3u);
        EXPECT_EQ(shown.substr(shown.size() - 3), "...");
        AnsiString prefix = shown.substr(0, shown.size() - 3);
        EXPECT_EQ(text.compare(0, prefix.size(), prefix), 0);
        if (!prefix.empty()) {
            EXPECT_LE(TextWidthOn(dc, shown), width);
        }
        // One more character would not have fitted.
        if (prefix.size() < text.size()) {
            EXPECT_GT(TextWidthOn(dc, text.substr(0, prefix.size() + 1) + "..."), width);
        }
    }
    // A text that fits keeps its full form.
    rec->Clear();
    TRect wide(0, 0, 400, 20);
    DrawText(dc, text.data(), -1, &wide, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(rec->Calls(TGdiCallKind::ExtTextOut, 1).at(0).Text, text);
}

TEST_F(DrawTextTest, CalcRectMeasuresWithoutDrawing) {
    int h = LineHeightOn(dc);
    struct {
        const char* Name;
        AnsiString Text;
        UINT Format;
        int Width;  // of the rectangle given
        int LeftMargin, RightMargin;
        const char* Widest;
        int Lines;
    } cases[] = {
        {"one line", "Width", DT_SINGLELINE, 1, 0, 0, "Width", 1},
        {"lines", "ab\r\nabcd\r\na", 0, 1, 0, 0, "abcd", 3},
        {"margins count", "Width", DT_SINGLELINE, 1, 4, 6, "Width", 1},
        {"wrapped to the rectangle", "ab ab ab", DT_WORDBREAK, -1, 0, 0, "ab ab", 2},
        {"a long word widens it", "ab abababab", DT_WORDBREAK, -1, 0, 0, "abababab", 2},
        {"empty text", "", 0, 50, 0, 0, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        rec->Clear();
        int width = c.Width >= 0 ? c.Width : TextWidthOn(dc, "ab ab");
        TRect r(5, 7, 5 + width, 8);
        DRAWTEXTPARAMS params;
        params.iLeftMargin = c.LeftMargin;
        params.iRightMargin = c.RightMargin;
        int result = DrawTextEx(dc, c.Text.data(), static_cast<int>(c.Text.size()), &r, c.Format | DT_CALCRECT,
                                &params);
        EXPECT_EQ(result, c.Lines * h);
        EXPECT_EQ(r, TRect(5, 7, 5 + c.LeftMargin + TextWidthOn(dc, c.Widest) + c.RightMargin, 7 + c.Lines * h));
        EXPECT_TRUE(rec->Calls().empty());
    }
}

TEST_F(DrawTextTest, PrefixCharacters) {
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    TRect r(0, 0, 200, 20);
    DrawText(dc, "&File && more", -1, &r, DT_SINGLELINE);
    auto line = rec->Calls(TGdiCallKind::ExtTextOut, 1);
    ASSERT_EQ(line.size(), 1u);
    EXPECT_EQ(line[0].Text, "File & more");
    // The marked letter is underlined just below the baseline.
    auto fills = rec->Calls(TGdiCallKind::Fill, 1);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].Rect, TRect(0, tm.tmAscent + 1, TextWidthOn(dc, "F"), tm.tmAscent + 2));

    rec->Clear();
    DrawText(dc, "&File", -1, &r, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(rec->Calls(TGdiCallKind::ExtTextOut, 1).at(0).Text, "&File");
    EXPECT_TRUE(rec->Calls(TGdiCallKind::Fill, 1).empty());
}

TEST_F(DrawTextTest, LinesBelowTheRectangleAreNotDrawnUnlessNoClip) {
    int h = LineHeightOn(dc);
    TRect r(0, 0, 100, h + 1);
    DrawText(dc, "one\ntwo\nthree", -1, &r, 0);
    EXPECT_EQ(rec->Calls(TGdiCallKind::ExtTextOut, 1).size(), 2u);
    rec->Clear();
    DrawText(dc, "one\ntwo\nthree", -1, &r, DT_NOCLIP);
    auto lines = rec->Calls(TGdiCallKind::ExtTextOut, 1);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_FALSE(lines[2].Flags & ETO_CLIPPED);
}

TEST_F(DrawTextTest, OpaqueBackgroundFillsTheTextCellsOnly) {
    TSurface s(100, 30);
    SelectObject(s.Dc(), font);
    SetBkColor(s.Dc(), RGB(0, 0, 255));
    SetBkMode(s.Dc(), OPAQUE);
    TRect r(10, 5, 90, 25);
    DrawText(s.Dc(), "ab", -1, &r, DT_SINGLELINE | DT_LEFT);
    int w = TextWidthOn(s.Dc(), "ab");
    EXPECT_EQ(s.Ink(RGB(255, 255, 255)), TRect(10, 5, 10 + w, 5 + LineHeightOn(s.Dc())));
    SelectObject(s.Dc(), GetStockObject(SYSTEM_FONT));
}

}  // namespace
