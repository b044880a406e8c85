// Selection colours of the shared grid style.
#include <gtest/gtest.h>

#include <memory>

#include "grid/DBGridGxStyle.h"

namespace {

TEST(GridStyleBlend, ChannelsMoveTowardsAPaleMiddle) {
    struct {
        TColor A, B;
        bool Stretch;
        TColor Result;
    } cases[] = {
        // A white cell and the navy system highlight: red 202, green 202, blue 234.
        {clWhite, clHighlight, true, static_cast<TColor>(RGB(202, 202, 234))},
        {clWhite, clBtnShadow, false, static_cast<TColor>(RGB(212, 212, 212))},
        {clBlack, clBlack, false, static_cast<TColor>(RGB(135, 135, 135))},
        // Stretching past the top is cut at 255.
        {clWhite, clWhite, true, static_cast<TColor>(RGB(255, 255, 255))},
        {clBlack, clBlack, true, static_cast<TColor>(RGB(138, 138, 138))},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Result);
        EXPECT_EQ(Blend(c.A, c.B, c.Stretch), c.Result);
    }
}

struct RuleCase {
    const char* Name;
    TDataCellColorInfoGx Cell;
    int ColorCount;
    bool Highlighted;
    TColor Color;
    TColor FontColor;
};

TDataCellColorInfoGx Cell(bool focused, bool currentRow, bool currentCol) {
    TDataCellColorInfoGx c;
    c.DataLinkActive = true;
    c.Focused = focused;
    c.GridOrEditorFocused = focused;
    c.CurrentRow = currentRow;
    c.CurrentCol = currentCol;
    c.HighlightFocus = true;
    return c;
}
TDataCellColorInfoGx Selected(TDataCellColorInfoGx c) {
    c.Selected = true;
    c.SelectionEmpty = false;
    return c;
}
TDataCellColorInfoGx WithState(TDataCellColorInfoGx c, TGridDrawState s) {
    c.State = s;
    return c;
}
TDataCellColorInfoGx Always(TDataCellColorInfoGx c) {
    c.AlwaysShowSelection = true;
    return c;
}

constexpr TColor kText = clWindowText;
const TColor kPaleHighlight = static_cast<TColor>(RGB(202, 202, 234));
const TColor kPaleShadow = static_cast<TColor>(RGB(212, 212, 212));

class GridStyleRules : public testing::Test {
protected:
    void Check(const RuleCase& c, bool withStyle) {
        SCOPED_TRACE(c.Name);
        TFont font;
        font.SetColor(kText);
        TColor color = clWhite;
        bool result;
        if (withStyle) {
            style.SetColorCountForTest(c.ColorCount);
            result = style.GetCellColors(nullptr, c.Cell, &font, color);
        } else {
            result = DefaultDataCellColorsGx(c.Cell, &font, color);
        }
        EXPECT_EQ(result, c.Highlighted);
        EXPECT_EQ(color, c.Color);
        EXPECT_EQ(font.Color(), c.FontColor);
    }
    TDBGridGxStyle style;
};

TEST_F(GridStyleRules, DataCells) {
    const TGridDrawState sel{gdSelected};
    TDataCellColorInfoGx rowHighlight = Cell(true, true, false);
    rowHighlight.RowHighlight = true;
    TDataCellColorInfoGx editing = WithState(Cell(true, true, true), sel);
    editing.EditorShowing = true;
    TDataCellColorInfoGx inactive = Selected(Cell(true, false, false));
    inactive.DataLinkActive = false;
    TDataCellColorInfoGx rowSelectUnfocused = Always(Selected(Cell(false, true, false)));
    rowSelectUnfocused.RowSelect = true;
    RuleCase cases[] = {
        {"focused, selected record, not the current cell: pale blend, own font", Selected(Cell(true, false, false)),
         -1, true, kPaleHighlight, kText},
        {"focused current cell", WithState(Cell(true, true, true), sel), -1, true, clHighlight, clHighlightText},
        {"focused selected current cell", Selected(Cell(true, true, true)), -1, true, clHighlight, clHighlightText},
        {"256 colours: no blending", Selected(Cell(true, false, false)), 256, true, clHighlight, clHighlightText},
        {"unfocused current cell shown always", Always(WithState(Cell(false, true, true), sel)), -1, true, clBtnShadow,
         clHighlightText},
        {"unfocused current cell without always-show: not highlighted",
         WithState(Cell(false, true, true), sel), -1, false, clWhite, kText},
        {"unfocused selected record", Selected(Cell(false, false, false)), -1, true, kPaleShadow, kText},
        {"unfocused selected record, 256 colours", Selected(Cell(false, false, false)), 256, true, clBtnFace, kText},
        {"unfocused row select: the whole current row is the current cell", rowSelectUnfocused, -1, true, clBtnShadow,
         clHighlightText},
        {"row highlight: other cells of the current row", rowHighlight, -1, true, kPaleHighlight, kText},
        {"row highlight leaves the current cell alone", [] {
             auto c = Cell(true, true, true);
             c.RowHighlight = true;
             return c;
         }(), -1, false, clWhite, kText},
        {"editor showing hides the highlight", editing, -1, false, clWhite, kText},
        {"inactive link: nothing is selected", inactive, -1, false, clWhite, kText},
        {"plain cell", Cell(true, false, false), -1, false, clWhite, kText},
    };
    for (auto& c : cases) Check(c, true);
}

TEST_F(GridStyleRules, DataCellsWithoutAStyleNeverBlend) {
    const TGridDrawState sel{gdSelected};
    RuleCase cases[] = {
        {"focused, selected record", Selected(Cell(true, false, false)), -1, true, clHighlight, clHighlightText},
        {"unfocused selected record", Selected(Cell(false, false, false)), -1, true, clBtnFace, kText},
        {"unfocused current cell shown always", Always(WithState(Cell(false, true, true), sel)), -1, true, clBtnShadow,
         clHighlightText},
        {"plain cell", Cell(true, false, false), -1, false, clWhite, kText},
    };
    for (auto& c : cases) Check(c, false);
}

TEST_F(GridStyleRules, OtherCells) {
    struct {
        const char* Name;
        bool Selected, Focused, Indicator, Title, AfterData;
        int ColorCount;
        bool Result;
        TColor Color, FontColor;
    } cases[] = {
        {"selected title, focused", true, true, false, true, false, -1, true, 0x404040, 0xFFFFFF},
        {"selected title, unfocused", true, false, false, true, false, -1, true, 0x404040, 0xFFFFFF},
        {"selected row's indicator", true, false, true, false, false, -1, true, 0x404040, 0xFFFFFF},
        {"indicator of the row after the data", true, true, true, false, true, -1, true, kPaleHighlight, kText},
        {"footer, focused, 256 colours", true, true, false, false, false, 256, true, clHighlight, clHighlightText},
        {"footer, unfocused", true, false, false, false, false, -1, true, kPaleShadow, kText},
        {"footer, unfocused, 256 colours", true, false, false, false, false, 256, true, clBtnFace, kText},
        {"not selected", false, true, true, true, false, -1, false, clWhite, kText},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        THighlightCellInfoGx cell;
        cell.Selected = c.Selected;
        cell.Focused = c.Focused;
        cell.IndicatorColumn = c.Indicator;
        cell.TitleArea = c.Title;
        cell.RowAfterData = c.AfterData;
        TFont font;
        font.SetColor(kText);
        TColor color = clWhite;
        style.SetColorCountForTest(c.ColorCount);
        EXPECT_EQ(style.GetHighlightColors(nullptr, cell, &font, color), c.Result);
        EXPECT_EQ(color, c.Color);
        EXPECT_EQ(font.Color(), c.FontColor);
        // Without a style the dark grey stays; the rest is the plain highlight or button face.
        TFont plainFont;
        plainFont.SetColor(kText);
        TColor plain = clWhite;
        DefaultHighlightColorsGx(cell, &plainFont, plain);
        if (c.Result && c.Color != 0x404040) {
            EXPECT_EQ(plain, c.Focused ? clHighlight : clBtnFace);
        }
    }
}

TEST(GridStyleObject, ColourDepthFollowsSystemColourChanges) {
    TDBGridGxStyle style;
    EXPECT_TRUE(style.BlendColors());
    EXPECT_TRUE(style.DrawFocusRect());
    EXPECT_EQ(style.ColorCount(), -1);
    ASSERT_NE(style.Handle(), nullptr);
    style.SetColorCountForTest(256);
    SendMessage(style.Handle(), WM_SIZE, 0, 0);
    EXPECT_EQ(style.ColorCount(), 256);
    SendMessage(style.Handle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(style.ColorCount(), -1);
}

struct FakeGrid : TObject {
    int detached = 0;
    void StyleGone(TObject*) { ++detached; }
};

TEST(GridStyleObject, GridsAttachOnceAndAreDetachedWhenTheStyleGoes) {
    FakeGrid a, b;
    auto* ga = reinterpret_cast<TCustomDBGridGx*>(&a);
    auto* gb = reinterpret_cast<TCustomDBGridGx*>(&b);
    auto style = std::make_unique<TDBGridGxStyle>();
    style->AddGrid(ga, TNotifyEvent(&a, &FakeGrid::StyleGone));
    style->AddGrid(ga, TNotifyEvent(&a, &FakeGrid::StyleGone));
    style->AddGrid(gb, TNotifyEvent(&b, &FakeGrid::StyleGone));
    EXPECT_EQ(style->GridCount(), 2);
    style->RemoveGrid(gb);
    EXPECT_FALSE(style->HasGrid(gb));
    style.reset();
    EXPECT_EQ(a.detached, 1);
    EXPECT_EQ(b.detached, 0);
}

TEST(GridStyleObject, SharedStyleIsNilOnceFreed) {
    RecreateDBGridGxDefaultStyle();
    TDBGridGxStyle* shared = DBGridGxDefaultStyle();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(DBGridGxDefaultStyle(), shared);
    FreeDBGridGxDefaultStyle();
    EXPECT_EQ(DBGridGxDefaultStyle(), nullptr);
    RecreateDBGridGxDefaultStyle();
    EXPECT_NE(DBGridGxDefaultStyle(), nullptr);
}

}  // namespace
