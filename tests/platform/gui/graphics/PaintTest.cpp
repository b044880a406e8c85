// Pixels put down by the drawing calls: focus rectangles, 3-D edges, check
// boxes, clipping, double buffering, mapping and lines.
#include <gtest/gtest.h>

#include <QPainter>
#include <cstring>
#include <string>
#include <vector>

#include "GraphicsTestSupport.h"
#include "platform/gui/QtGraphics.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kSilver = RGB(192, 192, 192);
const COLORREF kGray = RGB(128, 128, 128);
const COLORREF kLight = RGB(223, 223, 223);
const COLORREF kRed = RGB(255, 0, 0);

struct TPixel {
    int X, Y;
    COLORREF Color;
};

void ExpectPixels(TSurface& s, const std::vector<TPixel>& pixels) {
    for (const TPixel& p : pixels)
        EXPECT_EQ(s.At(p.X, p.Y), p.Color) << "at (" << p.X << ", " << p.Y << ")";
}

void Fill(HDC dc, const TRect& r, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

TEST(Paint, FocusRectangleDrawnTwiceLeavesThePixelsAsTheyWere) {
    TSurface s(40, 30);
    // A background with many colours, so that an XOR slip would show.
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) SetPixel(s.Dc(), x, y, RGB(x * 6, y * 8, (x * y) % 256));
    QImage before = ToQImage(&s.Bitmap);
    TRect r(5, 4, 31, 20);
    DrawFocusRect(s.Dc(), &r);
    QImage once = ToQImage(&s.Bitmap);
    // The first time changes every other pixel of the frame and nothing else.
    int changed = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            bool onFrame = (x == 5 || x == 30 || y == 4 || y == 19) && x >= 5 && x <= 30 && y >= 4 && y <= 19;
            bool differs = once.pixel(x, y) != before.pixel(x, y);
            if (differs) ++changed;
            EXPECT_EQ(differs, onFrame && (x + y) % 2 == 0) << x << "," << y;
        }
    EXPECT_GT(changed, 30);
    DrawFocusRect(s.Dc(), &r);
    EXPECT_EQ(ToQImage(&s.Bitmap), before);
}

TEST(Paint, EdgesPutTheirColoursOnTheRightPixels) {
    struct {
        const char* Name;
        UINT Edge, Flags;
        std::vector<TPixel> Pixels;
    } cases[] = {
        {"raised inner",
         BDR_RAISEDINNER,
         BF_RECT,
         {{2, 2, kWhite}, {10, 2, kWhite}, {11, 2, kGray}, {2, 8, kWhite}, {2, 9, kGray}, {11, 9, kGray},
          {6, 5, kSilver}, {1, 1, kSilver}, {12, 10, kSilver}}},
        {"sunken inner",
         BDR_SUNKENINNER,
         BF_RECT,
         {{2, 2, kBlack}, {10, 2, kBlack}, {11, 2, kLight}, {2, 9, kLight}, {6, 5, kSilver}}},
        {"sunken, both rings",
         EDGE_SUNKEN,
         BF_RECT,
         {{2, 2, kGray}, {11, 9, kWhite}, {3, 3, kBlack}, {10, 8, kLight}, {9, 3, kBlack}, {6, 5, kSilver}}},
        {"raised with middle",
         EDGE_RAISED,
         BF_RECT | BF_MIDDLE,
         {{2, 2, kLight}, {11, 9, kBlack}, {3, 3, kWhite}, {10, 8, kGray}, {6, 5, kSilver}}},
        {"top and left only",
         BDR_RAISEDINNER,
         BF_TOP | BF_LEFT,
         {{2, 2, kWhite}, {11, 2, kWhite}, {2, 9, kWhite}, {11, 9, kSilver}, {6, 9, kSilver}}},
        {"bottom only",
         BDR_RAISEDINNER,
         BF_BOTTOM,
         {{2, 9, kGray}, {11, 9, kGray}, {2, 2, kSilver}, {11, 5, kSilver}}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TSurface s(14, 12, c.Flags & BF_MIDDLE ? kWhite : kSilver);
        TRect r(2, 2, 12, 10);
        DrawEdge(s.Dc(), &r, c.Edge, c.Flags);
        ExpectPixels(s, c.Pixels);
        EXPECT_EQ(r, TRect(2, 2, 12, 10));
    }
    TSurface s(14, 12);
    TRect r(2, 2, 12, 10);
    DrawEdge(s.Dc(), &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    EXPECT_EQ(r, TRect(4, 4, 10, 8));
}

TEST(Paint, CheckBoxesAtTheirPixels) {
    // A 13 x 13 box at (3, 3): a sunken two-pixel border, then the interior.
    const int o = 3;
    auto mark = [&](int col, int row) { return TPixel{o + col, o + row, kBlack}; };
    struct {
        const char* Name;
        UINT State;
        std::vector<TPixel> Pixels;
    } cases[] = {
        {"unchecked",
         0,
         {{o, o, kGray}, {o + 1, o + 1, kBlack}, {o + 12, o + 12, kWhite}, {o + 11, o + 11, kLight},
          {o + 5, o + 10, kWhite}, {o + 9, o + 9, kWhite}}},
        {"checked",
         DFCS_CHECKED,
         {{o, o, kGray}, mark(3, 6), mark(3, 8), mark(5, 10), mark(9, 4), {o + 9, o + 9, kWhite},
          {o + 9, o + 7, kWhite}, {o + 3, o + 5, kWhite}}},
        {"mixed", DFCS_BUTTON3STATE | DFCS_CHECKED, {{o + 5, o + 10, kGray}, {o + 9, o + 9, kSilver}}},
        {"inactive", DFCS_INACTIVE | DFCS_CHECKED, {{o + 5, o + 10, kGray}, {o + 9, o + 9, kSilver}}},
        {"pushed", DFCS_PUSHED, {{o + 9, o + 9, kSilver}, {o + 5, o + 10, kSilver}}},
        {"flat", DFCS_FLAT | DFCS_CHECKED, {{o, o, kGray}, {o + 1, o + 1, kWhite}, {o + 12, o + 12, kGray}, mark(5, 10)}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TSurface s(20, 20, kSilver);
        TRect r = Bounds(o, o, 13, 13);
        EXPECT_TRUE(DrawFrameControl(s.Dc(), &r, DFC_BUTTON, DFCS_BUTTONCHECK | c.State));
        ExpectPixels(s, c.Pixels);
        // Nothing outside the box.
        EXPECT_EQ(s.Ink(kSilver), Bounds(o, o, 13, 13));
    }
}

TEST(Paint, ScrollArrowPointsTheRightWay) {
    TSurface s(17, 17, kWhite);
    TRect r(0, 0, 17, 17);
    DrawFrameControl(s.Dc(), &r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
    // A raised button with a black triangle, widest at the top.
    TRect arrow = s.Ink(kSilver, TRect(2, 2, 15, 15));
    ASSERT_FALSE(IsRectEmpty(arrow));
    EXPECT_GT(arrow.Width(), arrow.Height());
    EXPECT_EQ(s.At(arrow.Left, arrow.Top), kBlack);
    EXPECT_EQ(s.At(arrow.Left, arrow.Bottom - 1), kSilver);
    EXPECT_EQ(s.At((arrow.Left + arrow.Right - 1) / 2, arrow.Bottom - 1), kBlack);
    EXPECT_EQ(s.At(0, 0), kLight);
    EXPECT_EQ(s.At(16, 16), kBlack);
}

TEST(Paint, ClippingKeepsDrawingInsideTheRegion) {
    TSurface s(40, 40);
    HDC dc = s.Dc();
    EXPECT_EQ(GetClipRgn(dc, nullptr), -1);
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(dc, probe), 0);

    // A rectangle.
    int saved = SaveDC(dc);
    IntersectClipRect(dc, 10, 10, 20, 25);
    Fill(dc, TRect(0, 0, 40, 40), kRed);
    EXPECT_EQ(s.Ink(kWhite), TRect(10, 10, 20, 25));
    EXPECT_EQ(GetClipRgn(dc, probe), 1);
    TRect box;
    GetRgnBox(probe, &box);
    EXPECT_EQ(box, TRect(10, 10, 20, 25));
    TRect clip;
    GetClipBox(dc, &clip);
    EXPECT_EQ(clip, TRect(10, 10, 20, 25));
    TRect inside(15, 15, 16, 16), outside(25, 0, 30, 5);
    EXPECT_TRUE(RectVisible(dc, &inside));
    EXPECT_FALSE(RectVisible(dc, &outside));

    // Restoring the context takes the clip away again.
    RestoreDC(dc, saved);
    EXPECT_EQ(GetClipRgn(dc, probe), 0);
    EXPECT_TRUE(RectVisible(dc, &outside));

    // A polygon, combined with a rectangle.
    s.Clear(kWhite);
    TPoint triangle[] = {{0, 0}, {30, 0}, {0, 30}};
    HRGN tri = CreatePolygonRgn(triangle, 3, ALTERNATE);
    SelectClipRgn(dc, tri);
    HRGN band = CreateRectRgn(0, 5, 40, 10);
    ExtSelectClipRgn(dc, band, RGN_AND);
    Fill(dc, TRect(0, 0, 40, 40), kRed);
    EXPECT_EQ(s.At(2, 7), kRed);
    EXPECT_EQ(s.At(2, 3), kWhite);    // outside the band
    EXPECT_EQ(s.At(28, 7), kWhite);   // outside the triangle
    EXPECT_EQ(s.At(2, 12), kWhite);
    EXPECT_TRUE(PtVisible(dc, 2, 7));
    EXPECT_FALSE(PtVisible(dc, 28, 7));
    // Lines and text are clipped too.
    MoveToEx(dc, 0, 20, nullptr);
    LineTo(dc, 40, 20);
    TextOut(dc, 0, 15, "Clipped", 7);
    TRect ink = s.Ink(kWhite);
    EXPECT_GE(ink.Top, 5);
    EXPECT_LE(ink.Bottom, 10);

    // The save, narrow, draw, restore pattern of drawing inside a cell.
    SelectClipRgn(dc, nullptr);
    s.Clear(kWhite);
    HRGN keep = CreateRectRgn(0, 0, 0, 0);
    bool had = GetClipRgn(dc, keep) == 1;
    HRGN cell = CreateRectRgn(5, 5, 15, 15);
    ExtSelectClipRgn(dc, cell, RGN_AND);
    Fill(dc, TRect(0, 0, 40, 40), kRed);
    SelectClipRgn(dc, had ? keep : nullptr);
    EXPECT_EQ(s.Ink(kWhite), TRect(5, 5, 15, 15));
    EXPECT_EQ(GetClipRgn(dc, probe), 0);

    for (HRGN r : {probe, tri, band, keep, cell}) DeleteObject(r);
}

// A small scene touching every kind of primitive.
void Scene(HDC dc) {
    Fill(dc, TRect(0, 0, 120, 60), kSilver);
    TRect e(4, 4, 50, 24);
    DrawEdge(dc, &e, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    HFONT f = MakeFont("Arial", -12);
    HGDIOBJ old = SelectObject(dc, f);
    SetBkMode(dc, TRANSPARENT);
    TRect t(6, 6, 48, 22);
    DrawText(dc, "Cell", -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    DeleteObject(f);
    TRect box = Bounds(60, 5, 13, 13);
    DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
    old = SelectObject(dc, pen);
    MoveToEx(dc, 0, 40, nullptr);
    LineTo(dc, 119, 55);
    Ellipse(dc, 80, 20, 110, 50);
    SelectObject(dc, old);
    DeleteObject(pen);
    TRect focus(2, 30, 60, 50);
    DrawFocusRect(dc, &focus);
}

TEST(Paint, DoubleBufferingGivesTheSameImage) {
    TSurface direct(120, 60);
    Scene(direct.Dc());

    // Through a compatible bitmap in a memory context, clipped to the paint
    // rectangle and copied over in one go.
    TSurface buffered(120, 60);
    HDC mem = CreateCompatibleDC(buffered.Dc());
    HBITMAP bmp = CreateCompatibleBitmap(buffered.Dc(), 120, 60);
    HGDIOBJ old = SelectObject(mem, bmp);
    HRGN paint = CreateRectRgn(0, 0, 120, 60);
    SelectClipRgn(mem, paint);
    DeleteObject(paint);
    Scene(mem);
    EXPECT_TRUE(BitBlt(buffered.Dc(), 0, 0, 120, 60, mem, 0, 0, SRCCOPY));
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(bmp);
    EXPECT_EQ(ToQImage(&buffered.Bitmap), ToQImage(&direct.Bitmap));

    // And with a painter that someone else opened, as during a widget's paint.
    QImage target(120, 60, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        HDC dc = CreatePaintDC(&painter, QRegion(0, 0, 120, 60), QSize(120, 60));
        Scene(dc);
        TRect clip;
        GetClipBox(dc, &clip);
        EXPECT_EQ(clip, TRect(0, 0, 120, 60));
        FreePaintDC(dc);
    }
    EXPECT_EQ(target, ToQImage(&direct.Bitmap));
}

TEST(Paint, PaintRegionLimitsAWidgetContext) {
    QImage target(50, 50, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    HDC dc = CreatePaintDC(&painter, QRegion(10, 20, 15, 5), QSize(50, 50));
    TRect clip;
    GetClipBox(dc, &clip);
    EXPECT_EQ(clip, TRect(10, 20, 25, 25));
    TRect all(0, 0, 50, 50);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    // GetClipRgn reports only a clip the program set.
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(dc, r), 0);
    DeleteObject(r);
    FreePaintDC(dc);
    painter.end();
    EXPECT_EQ(target.pixel(12, 22), qRgb(0, 0, 0));
    EXPECT_EQ(target.pixel(5, 22), qRgb(255, 255, 255));
    EXPECT_EQ(target.pixel(12, 26), qRgb(255, 255, 255));
}

TEST(Paint, MirroredMapping) {
    TSurface s(100, 20);
    HDC dc = s.Dc();
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowOrgEx(dc, 100, 0, nullptr);
    SetWindowExtEx(dc, -100, 20, nullptr);
    SetViewportExtEx(dc, 100, 20, nullptr);
    TPoint p[2] = {{0, 0}, {10, 5}};
    LPtoDP(dc, p, 2);
    EXPECT_EQ(p[0], TPoint(100, 0));
    EXPECT_EQ(p[1], TPoint(90, 5));
    Fill(dc, TRect(0, 0, 10, 10), kRed);
    EXPECT_EQ(s.Ink(kWhite), TRect(90, 0, 100, 10));
    SetMapMode(dc, MM_TEXT);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    p[0] = TPoint(3, 4);
    LPtoDP(dc, p, 1);
    EXPECT_EQ(p[0], TPoint(3, 4));
}

TEST(Paint, LinesAndShapes) {
    TSurface s(30, 30);
    HDC dc = s.Dc();
    // A line leaves out its end point.
    MoveToEx(dc, 2, 5, nullptr);
    LineTo(dc, 8, 5);
    EXPECT_EQ(s.Ink(kWhite), TRect(2, 5, 8, 6));
    TPoint pos;
    MoveToEx(dc, 0, 0, &pos);
    EXPECT_EQ(pos, TPoint(8, 5));

    // An XOR pen drawn twice erases itself.
    s.Clear(kSilver);
    SetROP2(dc, R2_XORPEN);
    HPEN white = CreatePen(PS_SOLID, 1, kWhite);
    HGDIOBJ old = SelectObject(dc, white);
    MoveToEx(dc, 1, 1, nullptr);
    LineTo(dc, 20, 12);
    EXPECT_NE(s.Ink(kSilver), TRect());
    MoveToEx(dc, 1, 1, nullptr);
    LineTo(dc, 20, 12);
    EXPECT_EQ(s.Ink(kSilver), TRect());
    SetROP2(dc, R2_COPYPEN);
    SelectObject(dc, old);
    DeleteObject(white);

    // A rectangle's outline covers its last pixels; a null pen leaves them out.
    s.Clear(kWhite);
    HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
    old = SelectObject(dc, yellow);
    Rectangle(dc, 2, 2, 8, 8);
    ExpectPixels(s, {{2, 2, kBlack}, {7, 7, kBlack}, {7, 2, kBlack}, {4, 4, RGB(255, 255, 0)}, {8, 8, kWhite}});
    s.Clear(kWhite);
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 2, 2, 8, 8);
    ExpectPixels(s, {{2, 2, RGB(255, 255, 0)}, {6, 6, RGB(255, 255, 0)}, {7, 7, kWhite}});
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, old);
    DeleteObject(yellow);

    // A wide geometric pen with flat ends covers exactly its length.
    s.Clear(kWhite);
    LOGBRUSH lb;
    lb.lbColor = kBlack;
    HPEN wide = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER, 2, &lb, 0, nullptr);
    old = SelectObject(dc, wide);
    TPoint pts[] = {{5, 10}, {20, 10}, {5, 20}, {20, 20}};
    DWORD counts[] = {2, 2};
    PolyPolyline(dc, pts, counts, 2);
    EXPECT_EQ(s.Ink(kWhite), TRect(5, 9, 20, 21));
    SelectObject(dc, old);
    DeleteObject(wide);
}

TEST(Paint, DeviceFacts) {
    TSurface s(10, 10);
    EXPECT_EQ(GetDeviceCaps(s.Dc(), LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(s.Dc(), LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(s.Dc(), NUMCOLORS), -1);
    EXPECT_EQ(GetDeviceCaps(s.Dc(), BITSPIXEL), 32);
    EXPECT_EQ(GetNearestColor(s.Dc(), RGB(201, 202, 233)), RGB(201, 202, 233));
}

TEST(Paint, ClippedTextLeavesThePixelsOfTextUnderAClipRegion) {
    // Text clipped to a rectangle: whether it fits well inside (outlines that
    // reach below, above, left and right of their cells, slanted ones) or
    // runs over, it must put down exactly the pixels of the same text drawn
    // under a clip region of that rectangle.
    struct Case {
        const char* text;
        bool italic;
        TRect rect;
        UINT opaque;
    };
    const Case cases[] = {
        {"12345", false, TRect(10, 10, 90, 30), 0},
        {"12345", false, TRect(10, 10, 90, 30), ETO_OPAQUE},
        {"jfgyQ", false, TRect(10, 10, 90, 30), 0},
        {"jfgyQ", false, TRect(13, 13, 40, 22), 0},
        {"Wolf jW", true, TRect(10, 10, 90, 30), 0},
        {"Wolf jW", true, TRect(12, 12, 48, 26), ETO_OPAQUE},
        {"Planet 12345-1", false, TRect(10, 10, 60, 30), ETO_OPAQUE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TSurface clipped(100, 40, kSilver), reference(100, 40, kSilver);
        for (TSurface* s : {&clipped, &reference}) {
            HDC dc = s->Dc();
            HFONT font = MakeFont("Arial", -16, 0, c.italic);
            HGDIOBJ old = SelectObject(dc, font);
            SetBkColor(dc, kWhite);
            SetBkMode(dc, OPAQUE);
            SetTextColor(dc, kBlack);
            const int length = static_cast<int>(std::strlen(c.text));
            if (s == &clipped) {
                ExtTextOut(dc, 14, 12, ETO_CLIPPED | c.opaque, &c.rect, c.text, length, nullptr);
            } else {
                // The opaque rectangle is filled first, under no clip of its own.
                if (c.opaque) Fill(dc, c.rect, kWhite);
                IntersectClipRect(dc, c.rect.Left, c.rect.Top, c.rect.Right, c.rect.Bottom);
                ExtTextOut(dc, 14, 12, 0, nullptr, c.text, length, nullptr);
                SelectClipRgn(dc, nullptr);
            }
            SelectObject(dc, old);
            DeleteObject(font);
        }
        const QImage a = ToQImage(&clipped.Bitmap), b = ToQImage(&reference.Bitmap);
        EXPECT_EQ(a, b);
        EXPECT_NE(clipped.Ink(kSilver), TRect());
    }
}

TEST(Paint, OneSegmentLinesMatchTheSameLineAsAPolyline) {
    // A line of two points takes a path of its own: its pixels must be those
    // of the same line drawn with a point in the middle, for every kind of pen.
    const struct {
        TPoint from, middle, to;
    } lines[] = {{{2, 5}, {12, 5}, {22, 5}}, {{4, 2}, {4, 12}, {4, 22}}, {{2, 2}, {12, 7}, {22, 12}}};
    LOGBRUSH lb;
    lb.lbStyle = BS_SOLID;
    lb.lbColor = kBlack;
    lb.lbHatch = 0;
    const std::vector<HPEN> pens = {CreatePen(PS_SOLID, 1, kBlack), CreatePen(PS_DOT, 1, kBlack),
                                    CreatePen(PS_DASH, 1, kBlack),
                                    ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, 3, &lb, 0, nullptr)};
    for (size_t pen = 0; pen < pens.size(); ++pen)
        for (const auto& l : lines) {
            SCOPED_TRACE("pen " + std::to_string(pen) + " from " + std::to_string(l.from.X) + "," +
                         std::to_string(l.from.Y));
            TSurface one(30, 30), two(30, 30);
            SelectObject(one.Dc(), pens[pen]);
            SelectObject(two.Dc(), pens[pen]);
            const TPoint segment[] = {l.from, l.to};
            const TPoint halves[] = {l.from, l.middle, l.to};
            Polyline(one.Dc(), segment, 2);
            Polyline(two.Dc(), halves, 3);
            SelectObject(one.Dc(), GetStockObject(BLACK_PEN));
            SelectObject(two.Dc(), GetStockObject(BLACK_PEN));
            EXPECT_EQ(ToQImage(&one.Bitmap), ToQImage(&two.Bitmap));
        }
    for (HPEN p : pens) DeleteObject(p);
}

TEST(Paint, AFillRepeatedAfterOtherDrawingPaintsAgain) {
    // The same fill twice in a row is done once; anything drawn between, or a
    // wider clip for the second, must still be painted over.
    const TRect r(4, 4, 24, 16);
    struct Case {
        const char* what;
        void (*between)(HDC dc);
    };
    const Case cases[] = {
        {"a line", [](HDC dc) { MoveToEx(dc, 5, 10, nullptr); LineTo(dc, 20, 10); }},
        {"a pixel", [](HDC dc) { SetPixel(dc, 10, 10, kBlack); }},
        {"text", [](HDC dc) { TextOut(dc, 6, 5, "Wj", 2); }},
        {"a wider clip", [](HDC dc) { SelectClipRgn(dc, nullptr); }},
        {"another fill", [](HDC dc) { Fill(dc, TRect(8, 8, 12, 12), kBlack); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSurface s(30, 20);
        HDC dc = s.Dc();
        IntersectClipRect(dc, 0, 0, 14, 20);  // the first fill reaches only the left part
        Fill(dc, r, kRed);
        if (std::string(c.what) != "a wider clip") SelectClipRgn(dc, nullptr);
        c.between(dc);
        Fill(dc, r, kRed);
        EXPECT_EQ(s.Ink(kRed, r), TRect());
    }
}

}  // namespace
