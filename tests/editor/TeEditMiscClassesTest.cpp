// Positions, tab columns, character scans and the gutter gradient.
#include <gtest/gtest.h>

#include "editor/TeEditMiscClasses.h"
#include "platform/gui/RecordingDevice.h"

namespace {

TSysCharSet CharSet(const char* chars) {
    TSysCharSet set;
    for (const char* p = chars; *p; ++p) set.set(static_cast<unsigned char>(*p));
    return set;
}

// Pretends a far-east locale with 0x81..0x9F as lead bytes, so that the
// double-byte branches can be checked; restores the single-byte locale.
class FarEastLocale {
public:
    FarEastLocale() {
        SysLocale.FarEast = true;
        for (int b = 0x81; b <= 0x9F; ++b) LeadBytes.set(static_cast<size_t>(b));
    }
    ~FarEastLocale() {
        SysLocale.FarEast = false;
        LeadBytes.reset();
    }
};

}  // namespace

TEST(EditorRoutines, ClampingAndOrder) {
    struct Case { int x, mi, ma, expected; };
    for (const Case& c : {Case{5, 1, 3, 3}, Case{5, 7, 3, 7}, Case{0, 1, 3, 1}, Case{2, 1, 3, 2}})
        EXPECT_EQ(MinMax(c.x, c.mi, c.ma), c.expected) << c.x << " in " << c.mi << ".." << c.ma;

    int a = 1, b = 2;
    SwapInt(a, b);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 1);

    EXPECT_EQ(MinPoint(BufferCoord(5, 2), BufferCoord(9, 1)), BufferCoord(9, 1));  // earlier line
    EXPECT_EQ(MinPoint(BufferCoord(5, 2), BufferCoord(3, 2)), BufferCoord(3, 2));  // same line, smaller char
    EXPECT_EQ(MinPoint(BufferCoord(3, 2), BufferCoord(5, 2)), BufferCoord(3, 2));
    EXPECT_EQ(MinPoint(BufferCoord(1, 1), BufferCoord(9, 4)), BufferCoord(1, 1));
}

TEST(EditorRoutines, ExpandedLengthAndCaretColumns) {
    EXPECT_EQ(GetExpandedLength("a\tb", 8), 9);
    EXPECT_EQ(GetExpandedLength("a\tb", 4), 5);
    EXPECT_EQ(GetExpandedLength("\t\t", 3), 6);
    EXPECT_EQ(GetExpandedLength("abc", 4), 3);
    EXPECT_EQ(GetExpandedLength("a\tb", 1), 3);
    EXPECT_EQ(GetExpandedLength("a\tb", 0), 3);  // no division by zero

    struct Case { int index, tabWidth; const char* line; int expected; };
    const Case cases[] = {
        {3, 4, "\tab", 6},     // the tab spans columns 1-4
        {1, 4, "\tab", 1},
        {0, 4, "\tab", 1},
        {2, 4, "\tab", 5},
        {3, 1, "\tab", 3},     // no expansion below width 2
        {3, 4, "abc", 3},      // no tab
        {3, 4, "ab\tc", 3},    // not beyond the first tab
        {4, 4, "ab\tc", 5},    // after the tab: column 5
        {5, 4, "ab\tc", 6},
        {7, 4, "ab\tc", 8},    // two characters past the end, one column each
        {6, 3, "a\t\tb", 9},   // tabs end at columns 3 and 6, b at 7, the end at 8
    };
    for (const Case& c : cases)
        EXPECT_EQ(CharIndex2CaretPos(c.index, c.tabWidth, c.line), c.expected)
            << "index " << c.index << " width " << c.tabWidth << " line '" << c.line << "'";
}

TEST(EditorRoutines, ScanningForCharactersInASingleByteLocale) {
    TSysCharSet seps = CharSet(" ,");
    const AnsiString line = "ab, cd e";
    EXPECT_EQ(StrScanForCharInSet(line, 1, seps), 3);
    EXPECT_EQ(StrScanForCharInSet(line, 4, seps), 4);
    EXPECT_EQ(StrScanForCharInSet(line, 5, seps), 7);
    EXPECT_EQ(StrScanForCharInSet(line, 8, seps), 0);
    EXPECT_EQ(StrScanForCharInSet(line, 0, seps), 0);
    EXPECT_EQ(StrScanForCharInSet(line, 9, seps), 0);
    EXPECT_EQ(StrScanForCharInSet("", 1, seps), 0);

    EXPECT_EQ(StrRScanForCharInSet(line, 8, seps), 7);
    EXPECT_EQ(StrRScanForCharInSet(line, 6, seps), 4);
    EXPECT_EQ(StrRScanForCharInSet(line, 2, seps), 0);
    EXPECT_EQ(StrRScanForCharInSet(line, 50, seps), 7);  // a start past the end scans from the end
    EXPECT_EQ(StrRScanForCharInSet(line, 0, seps), 0);

    // Without a far-east locale there are no double-byte characters.
    EXPECT_EQ(StrScanForMultiByteChar("a\x81" "bc", 1), 0);
    EXPECT_EQ(StrRScanForMultiByteChar("a\x81" "bc", 4), 0);
}

TEST(EditorRoutines, ScanningSkipsDoubleByteCharacters) {
    FarEastLocale locale;
    // Bytes: 1 'a', 2-3 a pair whose second byte is ',', 4 ',', 5-6 a pair, 7 'b'.
    const AnsiString line = "a\x81,,\x82" "bb";
    TSysCharSet comma = CharSet(",");
    EXPECT_EQ(StrScanForCharInSet(line, 1, comma), 4);  // the trail byte at 3 never matches
    EXPECT_EQ(StrScanForCharInSet(line, 3, comma), 4);  // a start on a trail byte moves on
    EXPECT_EQ(StrRScanForCharInSet(line, 3, comma), 0);
    EXPECT_EQ(StrRScanForCharInSet(line, 7, comma), 4);
    EXPECT_EQ(StrScanForCharInSet(line, 1, CharSet("b")), 7);

    EXPECT_EQ(StrScanForMultiByteChar(line, 1), 2);
    EXPECT_EQ(StrScanForMultiByteChar(line, 3), 5);  // after a trail byte at Start
    EXPECT_EQ(StrScanForMultiByteChar(line, 6), 0);
    EXPECT_EQ(StrRScanForMultiByteChar(line, 7), 5);
    EXPECT_EQ(StrRScanForMultiByteChar(line, 4), 2);
    EXPECT_EQ(StrRScanForMultiByteChar(line, 1), 0);
}

TEST(EditorRoutines, EndOfLine) {
    const char text[] = "ab\r\ncd";
    EXPECT_EQ(GetEOL(text), text + 2);
    EXPECT_EQ(GetEOL(text + 4), text + 6);  // the terminating NUL
    const char lf[] = "\nx";
    EXPECT_EQ(GetEOL(lf), lf);
    EXPECT_EQ(GetEOL(nullptr), nullptr);
}

TEST(EditorRoutines, DoubleByteCharacterClasses) {
    struct Case { unsigned flags; int expected; };
    const Case cases[] = {
        {C3_SYMBOL, 9},
        {C3_HALFWIDTH, 1},
        {C3_HALFWIDTH | C3_ALPHA, 1},
        {C3_HALFWIDTH | C3_SYMBOL, 2},
        {C3_HALFWIDTH | C3_LEXICAL | C3_ALPHA, 2},
        {C3_HALFWIDTH | C3_KATAKANA, 3},
        {C3_HALFWIDTH | C3_DIACRITIC, 0},
        {C3_FULLWIDTH, 4},
        {C3_FULLWIDTH | C3_ALPHA, 4},
        {C3_FULLWIDTH | C3_SYMBOL, 5},
        {C3_LEXICAL, 5},
        {C3_FULLWIDTH | C3_KATAKANA, 6},
        {C3_HIRAGANA, 7},
        {C3_FULLWIDTH | C3_HIRAGANA | C3_ALPHA, 7},
        {C3_IDEOGRAPH | C3_ALPHA, 8},
        {C3_ALPHA, 0},
        {0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(GetDBCSCharClass(c.flags), c.expected) << std::hex << c.flags;
}

class GradientTest : public testing::Test {
protected:
    void SetUp() override {
        dc = CreateRecordingDC(&rec);
        canvas.SetHandle(dc);
    }
    void TearDown() override {
        canvas.SetHandle(nullptr);
        DeleteDC(dc);
    }
    std::vector<TGdiCall> Fills() const { return rec->Calls(TGdiCallKind::FillRect, 0); }

    TRecordingDevice* rec = nullptr;
    HDC dc = nullptr;
    TCanvas canvas;
};

TEST_F(GradientTest, OneStepPaintsTwoBandsFromStartToEndColour) {
    PaintGradient(&canvas, 0x000010, 0x302010, true, TRect(10, 5, 21, 25), 1);
    auto fills = Fills();
    ASSERT_EQ(fills.size(), 2u) << rec->Dump();
    EXPECT_EQ(fills[0].Rect, TRect(10, 5, 16, 25));  // MulDiv(1, 11, 2) rounds 5.5 up
    EXPECT_EQ(fills[1].Rect, TRect(16, 5, 21, 25));
    EXPECT_EQ(fills[0].Brush.Color, 0x000010u);
    EXPECT_EQ(fills[1].Brush.Color, 0x302010u);
}

TEST_F(GradientTest, VerticalBandsCoverTheRectangleWithEvenSteps) {
    PaintGradient(&canvas, clBlack, 0x0000FF, false, TRect(0, 0, 4, 10), 4);
    auto fills = Fills();
    ASSERT_EQ(fills.size(), 4u) << rec->Dump();
    int top = 0;
    const COLORREF reds[] = {0, 85, 170, 255};  // start + MulDiv(i, 255, 3)
    for (size_t i = 0; i < fills.size(); ++i) {
        EXPECT_EQ(fills[i].Rect.Left, 0);
        EXPECT_EQ(fills[i].Rect.Right, 4);
        EXPECT_EQ(fills[i].Rect.Top, top) << "band " << i;
        top = fills[i].Rect.Bottom;
        EXPECT_EQ(fills[i].Brush.Color, reds[i]) << "band " << i;
    }
    EXPECT_EQ(top, 10);

    // System colours are resolved; steps above 256 are cut to 256.
    rec->Clear();
    PaintGradient(&canvas, clBtnFace, clBtnFace, true, TRect(0, 0, 1000, 2), 1000);
    fills = Fills();
    ASSERT_EQ(fills.size(), 256u);
    EXPECT_EQ(fills.front().Brush.Color, static_cast<COLORREF>(ColorToRGB(clBtnFace)));
    EXPECT_EQ(fills.back().Rect.Right, 1000);
}
