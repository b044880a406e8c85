// Colours, fonts and the canvas over a device context.
#include <gtest/gtest.h>

#include <QFontInfo>

#include "GraphicsTestSupport.h"
#include "platform/rtl/CodePage.h"

namespace {

TEST(Colors, SystemColoursComeFromTheFixedPalette) {
    struct {
        TColor Color;
        TColor Rgb;
    } cases[] = {
        {clBtnFace, 0xC0C0C0},  {clBtnShadow, 0x808080}, {clBtnHighlight, 0xFFFFFF}, {cl3DDkShadow, 0x000000},
        {clHighlight, 0x800000}, {clHighlightText, 0xFFFFFF}, {clWindow, 0xFFFFFF},   {clWindowText, 0x000000},
        {clInfoBk, 0xE1FFFF},   {clGrayText, 0x808080},   {clSilver, 0xC0C0C0},       {clBlue, 0xFF0000},
        {clNone, 0x1FFFFFFF},   {0x123456, 0x123456},
    };
    for (auto& c : cases) EXPECT_EQ(ColorToRGB(c.Color), c.Rgb) << std::hex << c.Color;
    EXPECT_EQ(cl3DDkShadow, static_cast<TColor>(0x80000015));
}

TEST(Fonts, SizeAndHeight) {
    TFont f;
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Size(), 8);
    struct {
        int Size, Height;
    } cases[] = {{8, -11}, {9, -12}, {10, -13}, {12, -16}, {14, -19}};
    for (auto& c : cases) {
        f.SetSize(c.Size);
        EXPECT_EQ(f.Height(), c.Height);
        f.SetHeight(c.Height);
        EXPECT_EQ(f.Size(), c.Size);
    }
}

TEST(Fonts, ChangesAreAnnounced) {
    TFont f;
    int changes = 0;
    struct TCounter {
        int* n;
        void Changed(TObject*) { ++*n; }
    } counter{&changes};
    f.OnChange = TNotifyEvent(&counter, &TCounter::Changed);
    f.SetName("Arial");
    f.SetName("Arial");
    f.SetStyle({fsBold, fsItalic});
    f.SetColor(clRed);
    f.SetColor(clRed);
    EXPECT_EQ(changes, 3);

    LOGFONT lf = f.LogFont();
    EXPECT_STREQ(lf.lfFaceName, "Arial");
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_EQ(lf.lfUnderline, 0);

    TFont copy;
    copy.Assign(&f);
    EXPECT_EQ(copy.Name(), "Arial");
    EXPECT_EQ(copy.Style(), TFontStyles({fsBold, fsItalic}));
    EXPECT_EQ(copy.Color(), clRed);
    EXPECT_EQ(copy.Height(), f.Height());
}

TEST(Fonts, ClassicFacesAreDrawnWithInstalledFamilies) {
    struct {
        const char* Face;
        const char* Family;
        bool Fixed;
    } cases[] = {
        {"Arial", "Liberation Sans", false},
        {"Times New Roman", "Liberation Serif", false},
        {"Courier New", "Liberation Mono", true},
        {"MS Sans Serif", "DejaVu Sans", false},
        {"Tahoma", "DejaVu Sans", false},
    };
    HDC dc = CreateScreenDC();
    for (auto& c : cases) {
        SCOPED_TRACE(c.Face);
        TFont f;
        f.SetName(c.Face);
        f.SetHeight(-13);
        EXPECT_EQ(QFontInfo(ToQFont(&f)).family(), QString(c.Family));
        SelectObject(dc, f.Handle());
        TEXTMETRIC tm;
        ASSERT_TRUE(GetTextMetrics(dc, &tm));
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 13);
        EXPECT_EQ(tm.tmOverhang, 0);
        EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
        // The pitch bit is set for proportional fonts.
        EXPECT_EQ((tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0, c.Fixed);
        EXPECT_EQ(TextWidthOn(dc, "iiii") == TextWidthOn(dc, "MMMM"), c.Fixed);
        // A + B + C of a letter is its advance.
        ABC abc;
        ASSERT_TRUE(GetCharABCWidths(dc, 'M', 'M', &abc));
        EXPECT_EQ(abc.abcA + static_cast<int>(abc.abcB) + abc.abcC, TextWidthOn(dc, "M"));
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
    }
    DeleteDC(dc);
}

TEST(Fonts, ItalicSlopeAndPositiveHeights) {
    HDC dc = CreateScreenDC();
    HFONT upright = MakeFont("Arial", -20);
    HFONT italic = MakeFont("Arial", -20, 0, true);
    OUTLINETEXTMETRIC otm;
    SelectObject(dc, upright);
    ASSERT_EQ(GetOutlineTextMetrics(dc, sizeof otm, &otm), sizeof otm);
    EXPECT_EQ(otm.otmsCharSlopeRun, 0);
    SelectObject(dc, italic);
    ASSERT_EQ(GetOutlineTextMetrics(dc, sizeof otm, &otm), sizeof otm);
    EXPECT_GT(otm.otmsCharSlopeRun, 0);
    EXPECT_GT(otm.otmsCharSlopeRise, otm.otmsCharSlopeRun);
    EXPECT_TRUE(otm.otmTextMetrics.tmItalic);

    // A positive height asks for the whole cell.
    HFONT cell = MakeFont("Arial", 20);
    SelectObject(dc, cell);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    EXPECT_NEAR(tm.tmHeight, 20, 1);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    for (HFONT f : {upright, italic, cell}) DeleteObject(f);
    DeleteDC(dc);
}

class CanvasTest : public testing::Test {
protected:
    void SetUp() override {
        dc = CreateRecordingDC(&rec);
        canvas.SetHandle(dc);
    }
    void TearDown() override {
        canvas.SetHandle(nullptr);
        DeleteDC(dc);
    }
    TRecordingDevice* rec = nullptr;
    HDC dc = nullptr;
    TCanvas canvas;
};

TEST_F(CanvasTest, TextOutUsesTheFontAndBrush) {
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetHeight(-15);
    canvas.Font()->SetColor(clBlue);
    canvas.Brush()->SetColor(clInfoBk);
    canvas.TextOut(7, 9, "Hello");
    auto calls = rec->Calls(TGdiCallKind::ExtTextOut, 0);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Points.at(0), TPoint(7, 9));
    EXPECT_EQ(calls[0].Text, "Hello");
    EXPECT_STREQ(calls[0].Font.lfFaceName, "Arial");
    EXPECT_EQ(calls[0].Font.lfHeight, -15);
    EXPECT_EQ(calls[0].Color, 0xFF0000u);
    EXPECT_EQ(calls[0].BkMode, OPAQUE);
    EXPECT_EQ(calls[0].BkColor, 0xE1FFFFu);
    EXPECT_EQ(calls[0].Flags, 0u);
    // The pen moves to the end of the text.
    EXPECT_EQ(canvas.PenPos(), TPoint(7 + canvas.TextWidth("Hello"), 9));

    // A clear brush writes the text alone; TextRect clips, and fills only with a solid brush.
    rec->Clear();
    canvas.Brush()->SetStyle(bsClear);
    canvas.TextRect(TRect(0, 0, 30, 20), 2, 3, "Cell");
    calls = rec->Calls(TGdiCallKind::ExtTextOut, 0);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].BkMode, TRANSPARENT);
    EXPECT_EQ(calls[0].Flags, static_cast<UINT>(ETO_CLIPPED));
    EXPECT_EQ(calls[0].SourceRect, TRect(0, 0, 30, 20));
    rec->Clear();
    canvas.Brush()->SetColor(clWhite);
    canvas.TextRect(TRect(0, 0, 30, 20), 2, 3, "Cell");
    EXPECT_EQ(rec->Calls(TGdiCallKind::ExtTextOut, 0).at(0).Flags, static_cast<UINT>(ETO_CLIPPED | ETO_OPAQUE));
}

TEST_F(CanvasTest, ModesSetOnTheHandleStayUntilTheBrushChanges) {
    canvas.Brush()->SetColor(clYellow);
    canvas.FillRect(TRect(0, 0, 10, 10));
    SetBkMode(canvas.Handle(), TRANSPARENT);
    canvas.FillRect(TRect(0, 0, 10, 10));
    TRect r(0, 0, 50, 20);
    DrawText(canvas.Handle(), "x", -1, &r, DT_SINGLELINE);
    EXPECT_EQ(rec->Calls(TGdiCallKind::DrawText).at(0).BkMode, TRANSPARENT);
    EXPECT_EQ(rec->Calls(TGdiCallKind::FillRect).at(1).Color, 0x00FFFFu);

    canvas.Brush()->SetColor(clRed);
    canvas.FillRect(TRect(0, 0, 10, 10));
    rec->Clear();
    DrawText(canvas.Handle(), "x", -1, &r, DT_SINGLELINE);
    EXPECT_EQ(rec->Calls(TGdiCallKind::DrawText).at(0).BkMode, OPAQUE);
    EXPECT_EQ(rec->Calls(TGdiCallKind::DrawText).at(0).BkColor, 0x0000FFu);
}

TEST_F(CanvasTest, PenModesAndShapes) {
    canvas.Pen()->SetColor(clRed);
    canvas.Pen()->SetStyle(psDot);
    canvas.MoveTo(2, 3);
    canvas.LineTo(40, 3);
    auto line = rec->Calls(TGdiCallKind::LineTo).at(0);
    EXPECT_EQ(line.Points, (std::vector<TPoint>{{2, 3}, {40, 3}}));
    EXPECT_EQ(line.Pen.Kind(), static_cast<int>(PS_DOT));
    EXPECT_EQ(line.Pen.Color, 0x0000FFu);

    rec->Clear();
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetMode(pmXor);
    canvas.Pen()->SetWidth(3);
    canvas.Polyline({{0, 0}, {5, 5}, {10, 0}});
    auto poly = rec->Calls(TGdiCallKind::Polyline).at(0);
    EXPECT_EQ(poly.Rop2, R2_XORPEN);
    EXPECT_EQ(poly.Pen.Width, 3);

    rec->Clear();
    canvas.PolyPolyline({{0, 1}, {9, 1}, {0, 5}, {9, 5}}, {2, 2});
    auto lines = rec->Calls(TGdiCallKind::PolyPolyline).at(0);
    EXPECT_EQ(lines.Counts, (std::vector<int>{2, 2}));
    EXPECT_EQ(rec->Calls(TGdiCallKind::Stroke).size(), 2u);
}

TEST_F(CanvasTest, TurnedFontGoesBackWhenTheHeightIsSetAgain) {
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetHeight(-12);
    LOGFONT lf = canvas.Font()->LogFont();
    lf.lfEscapement = lf.lfOrientation = 900;
    canvas.Font()->SetHandle(CreateFontIndirect(&lf));
    EXPECT_EQ(canvas.Font()->Height(), -12);
    canvas.TextOut(10, 100, "Up");
    EXPECT_EQ(rec->Calls(TGdiCallKind::ExtTextOut).at(0).Font.lfEscapement, 900);
    // The text's box runs upwards from the starting point.
    TRect box = rec->Calls(TGdiCallKind::ExtTextOut).at(0).Rect;
    EXPECT_EQ(box.Bottom, 100);
    EXPECT_EQ(box.Top, 100 - canvas.TextWidth("Up"));

    canvas.Font()->SetHeight(canvas.Font()->Height());
    rec->Clear();
    canvas.TextOut(10, 100, "Up");
    EXPECT_EQ(rec->Calls(TGdiCallKind::ExtTextOut).at(0).Font.lfEscapement, 0);
}

TEST(Canvas, VerticalTextInksUpwardsFromItsStart) {
    TSurface s(60, 120);
    HFONT up = MakeFont("Arial", -14, 900);
    SelectObject(s.Dc(), up);
    SetBkMode(s.Dc(), TRANSPARENT);
    TEXTMETRIC tm;
    GetTextMetrics(s.Dc(), &tm);
    int width = TextWidthOn(s.Dc(), "Vertical");
    TextOut(s.Dc(), 20, 100, "Vertical", 8);
    TRect ink = s.Ink(RGB(255, 255, 255));
    EXPECT_GE(ink.Left, 20);
    EXPECT_LE(ink.Right, 20 + tm.tmHeight);
    EXPECT_LE(ink.Bottom, 101);
    EXPECT_GE(ink.Top, 100 - width - 1);
    // Taller than wide: the line really turned.
    EXPECT_GT(ink.Height(), 2 * ink.Width());
    SelectObject(s.Dc(), GetStockObject(SYSTEM_FONT));
    DeleteObject(up);
}

TEST(Canvas, HandleCarriesTheCanvasFontAndBrushIntoGdiCalls) {
    TBitmap b;
    b.SetSize(40, 20);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clYellow);
    c->FillRect(TRect(0, 0, 40, 20));
    c->Font()->SetColor(clRed);
    c->Font()->SetHeight(-16);
    TRect r(0, 0, 40, 20);
    DrawText(c->Handle(), "WW", -1, &r, DT_LEFT | DT_TOP | DT_SINGLELINE);
    int red = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            if (c->Pixels(x, y) == clRed) ++red;
    EXPECT_GT(red, 10);                    // drawn in the canvas's font colour
    EXPECT_EQ(c->Pixels(39, 19), clYellow);  // on the canvas's brush, not white
}

TEST(Canvas, OnABitmap) {
    TBitmap b;
    b.SetSize(30, 20);
    TCanvas* c = b.Canvas();
    EXPECT_EQ(c->ClipRect(), TRect(0, 0, 30, 20));
    c->Brush()->SetColor(clHighlight);
    c->FillRect(TRect(0, 0, 30, 20));
    EXPECT_EQ(c->Pixels(5, 5), 0x800000);
    c->SetPixels(1, 2, clRed);
    EXPECT_EQ(c->Pixels(1, 2), clRed);
    IntersectClipRect(c->Handle(), 2, 3, 10, 12);
    EXPECT_EQ(c->ClipRect(), TRect(2, 3, 10, 12));
    SelectClipRgn(c->Handle(), nullptr);

    // Text in the code page's letters has glyphs.
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, 30, 20));
    c->Font()->SetName("Arial");
    c->Font()->SetColor(clBlack);
    AnsiString word = FromUtf8Literal("Жук");
    EXPECT_GT(c->TextWidth(word), c->TextWidth("ii"));
    c->TextOut(0, 0, word);
    TSurface probe(1, 1);
    probe.Bitmap.Assign(&b);
    EXPECT_FALSE(IsRectEmpty(probe.Ink(RGB(255, 255, 255))));
}

}  // namespace
