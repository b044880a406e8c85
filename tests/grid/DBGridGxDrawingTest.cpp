// Cell text and image drawing on the recording device.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "grid/DBGridGxDrawing.h"
#include "platform/gui/RecordingDevice.h"

namespace {

class CellDrawingTest : public testing::Test {
protected:
    void SetUp() override {
        dc = CreateRecordingDC(&rec);
        canvas.SetHandle(dc);
        canvas.Font()->SetName("Arial");
        canvas.Font()->SetHeight(-13);
        canvas.Brush()->SetColor(clWindow);
    }
    void TearDown() override {
        canvas.SetHandle(nullptr);
        DeleteDC(dc);
    }
    // The text calls made by the routine itself.
    std::vector<TGdiCall> Texts() { return rec->Calls(TGdiCallKind::ExtTextOut, 0); }
    std::vector<TGdiCall> DrawTexts() { return rec->Calls(TGdiCallKind::DrawText, 0); }
    TRecordingDevice* rec = nullptr;
    HDC dc = nullptr;
    TCanvas canvas;
};

TEST_F(CellDrawingTest, SingleLinePlacement) {
    const AnsiString text = "Debris";
    const int w = canvas.TextWidth(text);
    const int h = canvas.TextHeight(text);
    const TRect cell(10, 20, 110, 60);
    struct {
        const char* Name;
        TRect Cell;
        int DX, DY;
        TAlignment Alignment;
        TTextLayout Layout;
        TPoint At;
    } cases[] = {
        {"left", cell, 2, 1, taLeftJustify, tlTop, {12, 21}},
        {"right ignores DX", cell, 2, 1, taRightJustify, tlTop, {110 - w - 3, 21}},
        {"right with a wider DX", cell, 7, 1, taRightJustify, tlTop, {110 - w - 3, 21}},
        {"centre", cell, 2, 0, taCenter, tlTop, {10 + 50 - (w >> 1), 20}},
        {"centre in an empty rectangle", TRect(40, 20, 40, 60), 2, 0, taCenter, tlTop, {0, 20}},
        {"middle", cell, 2, 3, taLeftJustify, tlCenter, {12, (60 + 20 - h) / 2}},
        {"bottom", cell, 2, 3, taLeftJustify, tlBottom, {12, 60 - h}},
        {"too low for the layout", TRect(10, 20, 110, 20 + h), 2, 1, taLeftJustify, tlBottom, {12, 21}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        rec->Clear();
        WriteCellText(&canvas, c.Cell, true, c.DX, c.DY, text, c.Alignment, c.Layout, false, false, 0, 0, false);
        auto texts = Texts();
        ASSERT_EQ(texts.size(), 1u) << rec->Dump();
        EXPECT_EQ(texts[0].Points.at(0), c.At);
        EXPECT_EQ(texts[0].Text, text);
        // Clipped to the cell, which is filled with the brush.
        EXPECT_EQ(texts[0].SourceRect, c.Cell);
        EXPECT_EQ(texts[0].Flags, static_cast<UINT>(ETO_CLIPPED | ETO_OPAQUE));
    }
}

TEST_F(CellDrawingTest, WithoutFillTheTextIsTransparentAndTheBrushComesBack) {
    WriteCellText(&canvas, TRect(0, 0, 100, 20), false, 2, 2, "x", taLeftJustify, tlTop, false, false, 0, 0, false);
    EXPECT_EQ(Texts().at(0).Flags, static_cast<UINT>(ETO_CLIPPED));
    EXPECT_EQ(Texts().at(0).BkMode, TRANSPARENT);
    EXPECT_EQ(canvas.Brush()->Style(), bsSolid);
}

TEST_F(CellDrawingTest, EndEllipsisCutsASingleLine) {
    const AnsiString text = "Overlong caption";
    const TRect cell(0, 0, 60, 20);
    WriteCellText(&canvas, cell, true, 2, 2, text, taLeftJustify, tlTop, false, true, 0, 0, false);
    AnsiString drawn = Texts().at(0).Text;
    ASSERT_GE(drawn.size(), 3u);
    EXPECT_EQ(drawn.substr(drawn.size() - 3), "...");
    EXPECT_LE(canvas.TextWidth(drawn), 60 - 2);
    // One character more would not fit.
    AnsiString longer = text.substr(0, drawn.size() - 2) + "...";
    EXPECT_GT(canvas.TextWidth(longer), 60 - 2);
}

TEST_F(CellDrawingTest, EllipsisText) {
    const int dots = canvas.TextWidth("...");
    struct {
        AnsiString Text;
        int MaxWidth;
        AnsiString Result;
    } cases[] = {
        {"fits", 1000, "fits"},
        {"", 0, ""},
        {"W", 1, "..."},                 // one character that does not fit
        {"Wide text", dots - 1, "..."},  // even "..." is too wide: it is what remains
        {"abcdef", canvas.TextWidth("abc..."), "abc..."},
    };
    for (auto& c : cases) EXPECT_EQ(EllipsisText(c.Text, &canvas, c.MaxWidth), c.Result) << c.Text;
}

TEST_F(CellDrawingTest, MultiLineTextGoesThroughDrawTextWithInsetsAndMargins) {
    const AnsiString text = "several words that wrap";
    const TRect cell(10, 10, 80, 90);
    struct {
        const char* Name;
        TAlignment Alignment;
        TTextLayout Layout;
        bool MultiLine, Ellipsis;
        int DX, DY;
        UINT Flags;
    } cases[] = {
        {"wrapped left top", taLeftJustify, tlTop, true, false, 2, 1, 0x840 | DT_WORDBREAK},
        {"wrapped right middle", taRightJustify, tlCenter, true, false, 2, 1, 0x842 | DT_WORDBREAK},
        {"centred bottom with ellipsis", taCenter, tlBottom, true, true, 0, 2, 0x841 | DT_WORDBREAK | DT_END_ELLIPSIS},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        rec->Clear();
        WriteCellText(&canvas, cell, true, c.DX, c.DY, text, c.Alignment, c.Layout, c.MultiLine, c.Ellipsis, 3, 4,
                      false);
        // The cell is filled first.
        auto fills = rec->Calls(TGdiCallKind::FillRect, 0);
        ASSERT_EQ(fills.size(), 1u);
        EXPECT_EQ(fills[0].Rect, cell);

        auto drawn = DrawTexts();
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0].Flags, c.Flags);
        EXPECT_EQ(drawn[0].LeftMargin, 3);
        EXPECT_EQ(drawn[0].RightMargin, 4);
        TRect r(cell.Left + c.DX, cell.Top + c.DY, cell.Right - c.DX, cell.Bottom - c.DY);
        // The text's height as laid out in the inset rectangle.
        TRect measure = r;
        DRAWTEXTPARAMS params;
        params.iLeftMargin = 3;
        params.iRightMargin = 4;
        int th = DrawTextEx(dc, text.c_str(), -1, &measure, c.Flags | DT_CALCRECT, &params);
        EXPECT_GT(th, canvas.TextHeight(text));  // it did wrap
        if (c.Layout == tlCenter) r.Top += r.Height() / 2 - th / 2;
        if (c.Layout == tlBottom) r.Top = r.Bottom - th;
        if (c.DX > 0) r.Bottom += 1;
        EXPECT_EQ(drawn[0].Rect, r);
    }
}

TEST_F(CellDrawingTest, RightToLeftReadingAddsItsFlag) {
    WriteCellText(&canvas, TRect(0, 0, 100, 40), false, 2, 2, "x", taLeftJustify, tlTop, true, false, 0, 0, true);
    EXPECT_TRUE(DrawTexts().at(0).Flags & DT_RTLREADING);
    EXPECT_EQ(canvas.Brush()->Style(), bsSolid);
}

TEST_F(CellDrawingTest, VerticalTextRunsUpwardsFromItsLayoutPoint) {
    const AnsiString text = "Title";
    const TRect cell(10, 10, 40, 110);
    const int width = canvas.TextWidth(text);
    int extent = WriteVerticalText(&canvas, cell, true, 2, 3, text, taLeftJustify, tlBottom, false);
    auto texts = Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Points.at(0), TPoint(12, 110 - 3));
    EXPECT_EQ(texts[0].Font.lfEscapement, 900);
    EXPECT_EQ(texts[0].Font.lfOutPrecision, OUT_TT_ONLY_PRECIS);
    EXPECT_EQ(extent, width);
    // The canvas gets its upright font back.
    EXPECT_EQ(canvas.Font()->Handle()->LogFont().lfEscapement, 0);

    rec->Clear();
    WriteVerticalText(&canvas, cell, true, 2, 3, text, taLeftJustify, tlTop, false);
    EXPECT_EQ(Texts().at(0).Points.at(0), TPoint(12, 10 + width));
    rec->Clear();
    EXPECT_EQ(WriteVerticalText(&canvas, cell, true, 2, 3, text, taLeftJustify, tlCenter, true), width);
    EXPECT_TRUE(rec->Calls().empty());
}

TEST_F(CellDrawingTest, ItalicVerticalTextCountsItsOverhang) {
    canvas.Font()->SetStyle({fsItalic});
    const AnsiString text = "Title";
    int width = canvas.TextWidth(text);
    int extent = WriteVerticalText(&canvas, TRect(0, 0, 30, 100), true, 0, 0, text, taLeftJustify, tlTop, true);
    EXPECT_GT(extent, width);
    EXPECT_EQ(canvas.Font()->Style(), TFontStyles({fsItalic}));
}

TEST_F(CellDrawingTest, TextExceedsRect) {
    const AnsiString text = "Some text";
    const int w = canvas.TextWidth(text);
    int tw = 0, th = 0;
    EXPECT_FALSE(TextExceedsRect(0, &canvas, 0, TRect(0, 0, w + 2, 30), false, tw, th, text, 0));
    EXPECT_EQ(tw, w);
    EXPECT_TRUE(TextExceedsRect(0, &canvas, 0, TRect(0, 0, w + 1, 30), false, tw, th, text, 0));
    // Wrapped into a narrow cell it grows downwards instead.
    const int lineHeight = th;
    EXPECT_TRUE(TextExceedsRect(0, &canvas, 0, TRect(0, 0, w / 2 + 2, lineHeight + 1), true, tw, th, text, 0));
    EXPECT_GT(th, lineHeight);
}

TEST(CellColours, LightenColor) {
    struct {
        TColor Color;
        double Factor;
        TColor Result;
    } cases[] = {
        {0x808080, 8, 0x909090},
        {0x000000, 8, 0x000000},
        {0xFFFFFF, 2, 0xFFFFFF},            // capped at 255
        {0x102030, 3, 0x152A40},            // each channel on its own: 0x30 + 16, 0x20 + 10, 0x10 + 5
        {clBtnFace, 4, 0xF0F0F0},           // system colours through the palette
    };
    for (auto& c : cases) EXPECT_EQ(LightenColor(c.Color, c.Factor), c.Result) << std::hex << c.Color;
}

TEST_F(CellDrawingTest, ClippedImagesLeaveTheClipAsItWas) {
    TCustomImageList* images = GridIndicatorImages();
    ASSERT_EQ(images->Count(), 7);
    const int w = images->Width(), h = images->Height();

    // Fits: drawn directly, no clip.
    DrawClipped(images, nullptr, &canvas, TRect(0, 0, 40, 40), 0, 0, taCenter);
    auto blits = rec->Calls(TGdiCallKind::Image);
    ASSERT_FALSE(blits.empty());
    EXPECT_EQ(blits.back().Rect, Bounds((40 - w) / 2, (40 - h) / 2, w, h));
    EXPECT_FALSE(blits.back().Clipped);

    // Larger than the cell: clipped to it, and the context's clip is given back.
    HRGN before = CreateRectRgn(0, 0, 0, 0);
    IntersectClipRect(dc, 0, 0, 500, 500);
    GetClipRgn(dc, before);
    rec->Clear();
    const TRect cell(100, 100, 100 + w - 2, 100 + h - 4);
    DrawClipped(images, nullptr, &canvas, cell, 0, 0, taLeftJustify);
    blits = rec->Calls(TGdiCallKind::Image);
    ASSERT_FALSE(blits.empty());
    EXPECT_TRUE(blits.back().Clipped);
    EXPECT_EQ(blits.back().ClipBox, cell);
    HRGN after = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetClipRgn(dc, after), 1);
    EXPECT_TRUE(EqualRgn(before, after));

    // Without a clip before, none after.
    SelectClipRgn(dc, nullptr);
    DrawClipped(images, nullptr, &canvas, cell, 0, 0, taRightJustify);
    EXPECT_EQ(GetClipRgn(dc, after), 0);
    DeleteObject(before);
    DeleteObject(after);
}

TEST(GridImages, IndicatorAndSortMarkerLists) {
    TCustomImageList* indicators = GridIndicatorImages();
    TCustomImageList* markers = GridSortMarkerImages();
    EXPECT_EQ(indicators->Count(), 7);
    EXPECT_EQ(markers->Count(), 2);
    TBitmap down;
    down.LoadFromResourceName(nullptr, "DBSMDOWNGX");
    EXPECT_EQ(markers->Height(), down.Height());
    EXPECT_EQ(GridSortMarkerFont()->Name(), "Arial");
    EXPECT_EQ(GridSortMarkerFont()->Height(), 1 - down.Height());

    // Image 6 is the outlined arrow with its white parts in the search colour.
    auto colours = [&](TColor search) {
        InitGridImages(search);
        EXPECT_EQ(indicators->Count(), 7);
        TBitmap image;
        indicators->GetBitmap(6, &image);
        std::set<TColor> seen;
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) seen.insert(image.Canvas()->Pixels(x, y));
        return seen;
    };
    EXPECT_TRUE(colours(clRed).count(clRed));
    std::set<TColor> blue = colours(clBlue);
    EXPECT_TRUE(blue.count(clBlue));
    EXPECT_FALSE(blue.count(clRed));
    // Teal is the list's mask colour, so a teal search colour is nudged off it.
    EXPECT_TRUE(colours(0x808000).count(0x7F7F00));
    InitGridImages();
}

TEST(SmallRoutines, GeometryAndIntegers) {
    TRect r(5, 6, 25, 16);
    TransposeRectSize(r);
    EXPECT_EQ(r, TRect(5, 6, 15, 26));
    EXPECT_TRUE(PointInRectGx(TPoint(15, 26), r));  // edges count
    EXPECT_FALSE(PointInRectGx(TPoint(16, 26), r));
    int a = 1, b = 2;
    SwapInt(a, b);
    EXPECT_EQ(a * 10 + b, 21);
    EXPECT_EQ(IntMax(-1, -5), -1);
    EXPECT_EQ(IntMin(-1, -5), -5);
    EXPECT_EQ(IfThenInt(false, 1, 2), 2);
    TGridRect g;
    MakeGridRect(g, 1, 2, 3, 4);
    EXPECT_EQ(g, TGridRect(1, 2, 3, 4));
    EXPECT_THROW(RaiseGridError("bad"), EInvalidGridOperation);
}

TEST(SmallRoutines, KillMessageTakesOnePendingMessage) {
    HWND wnd = AllocateHWnd(TWndMethod());
    int before = QueuedMessageCount();
    PostMessage(wnd, WM_USER + 7, 0, 0);
    PostMessage(wnd, WM_USER + 7, 1, 0);
    KillMessage(wnd, WM_USER + 7);
    EXPECT_EQ(QueuedMessageCount(), before + 1);
    KillMessage(wnd, WM_USER + 7);
    EXPECT_EQ(QueuedMessageCount(), before);
    DeallocateHWnd(wnd);
}

TEST(SmallRoutines, SharedDrawBitmapIsCounted) {
    int users = GridDrawBitmapUsers();
    AcquireGridDrawBitmap();
    AcquireGridDrawBitmap();
    EXPECT_EQ(GridDrawBitmapUsers(), users + 2);
    ReleaseGridDrawBitmap();
    ReleaseGridDrawBitmap();
    EXPECT_EQ(GridDrawBitmapUsers(), users);
}

}  // namespace
