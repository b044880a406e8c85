// 3D cell frames, buttons in cells and tree indents.
#include <gtest/gtest.h>

#include "grid/DBGridGxCellFrames.h"
#include "PaintTestSupport.h"

namespace {

class CellFramesTest : public RecordingCanvasTest {};

TEST_F(CellFramesTest, EdgesFollowTheEndsAndTheCellState) {
    struct {
        const char* Name;
        bool Left, Right, Highlighted, Pressed;
        UINT Edge;
        std::vector<UINT> Flags;
    } cases[] = {
        {"a whole cell", true, true, false, false, BDR_RAISEDINNER, {BF_RECT}},
        {"left end only", true, false, false, false, BDR_RAISEDINNER, {BF_LEFT | BF_TOP, BF_BOTTOM}},
        {"right end only", false, true, false, false, BDR_RAISEDINNER, {BF_TOP, BF_RIGHT | BF_BOTTOM}},
        {"neither end", false, false, false, false, BDR_RAISEDINNER, {BF_TOP, BF_BOTTOM}},
        {"highlighted", true, true, true, false, BDR_SUNKENINNER, {BF_RECT}},
        {"pressed", true, false, false, true, BDR_SUNKENINNER, {BF_LEFT | BF_TOP, BF_BOTTOM}},
    };
    const TRect r(10, 5, 60, 25);
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        rec->Clear();
        DrawCellFrame3DGx(&canvas, r, false, c.Left, c.Right, c.Highlighted, c.Pressed);
        auto edges = Top(TGdiCallKind::DrawEdge);
        ASSERT_EQ(edges.size(), c.Flags.size()) << rec->Dump();
        for (size_t i = 0; i < edges.size(); ++i) {
            EXPECT_EQ(edges[i].Rect, r);
            EXPECT_EQ(edges[i].Flags, c.Edge);
            EXPECT_EQ(edges[i].Flags2, c.Flags[i]);
        }
    }
}

TEST_F(CellFramesTest, FlatFramePaintsItsShadowSidesInTheCellColour) {
    const TRect r(10, 5, 60, 25);
    canvas.Brush()->SetColor(0x00FFEE);
    canvas.Pen()->SetColor(clRed);
    for (bool right : {true, false}) {
        SCOPED_TRACE(right);
        rec->Clear();
        DrawCellFrame3DGx(&canvas, r, true, true, right, false, false);
        auto lines = Top(TGdiCallKind::Polyline);
        ASSERT_EQ(lines.size(), 1u) << rec->Dump();
        EXPECT_EQ(lines[0].Pen.Color, 0x00FFEEu);
        std::vector<TPoint> expected = right ? std::vector<TPoint>{TPoint(10, 24), TPoint(59, 24), TPoint(59, 4)}
                                             : std::vector<TPoint>{TPoint(10, 24), TPoint(60, 24)};
        EXPECT_EQ(lines[0].Points, expected);
        auto edges = Top(TGdiCallKind::DrawEdge);
        ASSERT_EQ(edges.size(), 1u);
        EXPECT_EQ(edges[0].Flags2, static_cast<UINT>(BF_LEFT | BF_TOP));
        EXPECT_EQ(canvas.Pen()->Color(), clRed);
    }
}

TEST_F(CellFramesTest, CellButtonScrolledPartlyOutIsClippedToTheCell) {
    const TRect cell(40, 0, 120, 20);
    struct {
        const char* Name;
        TRect Button;
        bool Clipped;
    } cases[] = {
        {"inside the cell", TRect(103, 0, 120, 20), false},
        {"starting left of the cell", TRect(30, 0, 47, 20), true},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        rec->Clear();
        PaintCellButtonGx(&canvas, nullptr, clWindow, true, false, false, ebsEllipsisGx, cell, c.Button, false);
        ASSERT_FALSE(rec->Calls().empty());
        for (auto& call : rec->Calls()) {
            EXPECT_EQ(call.Clipped, c.Clipped) << GdiCallKindName(call.Kind);
            if (c.Clipped) {
                EXPECT_EQ(call.ClipBox, cell);
            }
        }
        // The clip is gone afterwards.
        rec->Clear();
        canvas.FillRect(TRect(0, 0, 5, 5));
        EXPECT_FALSE(Top(TGdiCallKind::FillRect).at(0).Clipped);
    }
}

TEST_F(CellFramesTest, FlatCellButtonIsSeparatedFromTheTextAndGlyphButtonsAreBoxes) {
    const TRect cell(0, 0, 100, 20);
    PaintCellButtonGx(&canvas, nullptr, 0x123456, true, true, false, ebsDropDownGx, cell, TRect(80, 0, 100, 20), false);
    auto fills = Top(TGdiCallKind::FillRect);
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills[0].Rect, TRect(80, 0, 81, 20));
    EXPECT_EQ(fills[0].Color, 0x123456u);
    EXPECT_EQ(canvas.Brush()->Color(), clBtnFace);

    rec->Clear();
    TBitmap glyph;
    glyph.SetSize(6, 4);
    PaintCellButtonGx(&canvas, &glyph, clWindow, true, false, false, ebsGlyphGx, cell, TRect(80, 0, 100, 20), false);
    auto edges = Top(TGdiCallKind::DrawEdge);
    ASSERT_EQ(edges.size(), 1u);
    EXPECT_EQ(edges[0].Flags, static_cast<UINT>(EDGE_RAISED));
    auto images = rec->Calls(TGdiCallKind::Image);
    ASSERT_EQ(images.size(), 1u) << rec->Dump();
    EXPECT_EQ(images[0].Rect, TRect(87, 8, 93, 12));
}

TEST(TreeIndent, ElementsAndIndents) {
    struct {
        bool Children, Expanded, Next;
        int Element;
    } cases[] = {
        {false, false, true, 6}, {false, false, false, 7}, {true, true, true, 0},
        {true, true, false, 1},  {true, false, true, 3},   {true, false, false, 4},
    };
    for (auto& c : cases) {
        TTreeNodeRowGx node;
        node.HasChildren = c.Children;
        node.Expanded = c.Expanded;
        node.HasNextSibling = c.Next;
        EXPECT_EQ(TreeRowElementGx(node), c.Element);
    }
    EXPECT_EQ(TreeIndentGx(-1), 0);
    EXPECT_EQ(TreeIndentGx(0), 0);
    EXPECT_EQ(TreeIndentGx(3), 54);
}

TEST_F(CellFramesTest, TreeIndentDrawsConnectorsOnlyWhereAncestorsGoOn) {
    TTreeNodeRowGx node;
    node.Level = 3;
    node.AncestorHasNext = {true, false};
    node.HasNextSibling = false;
    DrawTreeIndentGx(&canvas, TRect(0, 0, 200, 18), node, clWindow, true, clWindow);
    auto fills = Top(TGdiCallKind::FillRect);
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills[0].Rect, TRect(0, 0, 54, 18));
    // The first level's slot holds a vertical line, the second none, the row's own slot a connector.
    auto pixels = rec->Calls(TGdiCallKind::SetPixel);
    bool first = false, second = false;
    for (auto& p : pixels) {
        int x = p.Points.at(0).X;
        first |= x < 18;
        second |= x >= 18 && x < 36;
    }
    EXPECT_TRUE(first);
    EXPECT_FALSE(second);
    auto lines = Top(TGdiCallKind::LineTo);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].Pen.Color, static_cast<COLORREF>(clSilver));
}

}  // namespace
