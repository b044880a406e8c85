// Multi-level titles: the tree built from "|" captions and its parent cells
// painted slice by slice.
#include <gtest/gtest.h>

#include <memory>

#include "grid/DBGridGxTitles.h"
#include "PaintTestSupport.h"

namespace {

AnsiString Dump(THeadTreeNode* Node) {
    AnsiString out;
    THeadTreeNode* n = Node->Child;
    if (!n) return out;
    do {
        if (!out.empty()) out += " ";
        out += n->Text + ":" + std::to_string(n->Height) + "/" + std::to_string(n->Width);
        if (n->Child) out += "[" + Dump(n) + "]";
        n = n->Next;
    } while (n != Node->Child);
    return out;
}

std::vector<TMultiTitleColumnGx> Columns(std::initializer_list<const char*> captions) {
    static const int widths[] = {50, 60, 40, 30};
    std::vector<TMultiTitleColumnGx> cols;
    for (const char* c : captions) {
        TMultiTitleColumnGx col;
        col.Caption = c;
        col.Width = widths[cols.size() % 4];
        cols.push_back(col);
    }
    return cols;
}

TEST(MultiTitleWords, PartsAreCutAtBarsAndNeverEmpty) {
    struct {
        int N;
        const char* S;
        int Start;
        const char* Word;
    } cases[] = {
        {1, "A|B", 1, "A"},   {2, "A|B", 3, "B"},   {2, "A||Bc|d", 4, "Bc"}, {1, "|A", 2, "A"},
        {2, "A|", 0, ""},     {2, "|A", 0, ""},     {3, "A|B", 0, ""},       {1, "", 0, ""},
        {0, "A", 0, ""},      {3, "a|b|c", 5, "c"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(std::string(c.S) + " #" + std::to_string(c.N));
        EXPECT_EQ(NthWordStart(c.N, c.S), c.Start);
        int pos = -1;
        EXPECT_EQ(NthWordWithPos(c.N, c.S, pos), c.Word);
        EXPECT_EQ(pos, c.Start);
        EXPECT_EQ(NthWord(c.N, c.S), c.Word);
    }
}

TEST(MultiTitleTree, BuiltFromCaptions) {
    struct {
        const char* Name;
        std::vector<TMultiTitleColumnGx> Cols;
        int Height;
        const char* Tree;
    } cases[] = {
        {"no bars: one leaf per column", Columns({"x", "y"}), 40, "x:40/50 y:40/60"},
        {"shared first part", Columns({"A|x", "A|y", "B"}), 40, "A:20/111[x:20/50 y:20/60] B:40/40"},
        {"grouping is positional", Columns({"A|x", "B|y", "A|z"}), 40,
         "A:20/50[x:20/50] B:20/60[y:20/60] A:20/40[z:20/40]"},
        {"case-sensitive", Columns({"a|x", "A|y"}), 40, "a:20/50[x:20/50] A:20/60[y:20/60]"},
        {"a single part is not grouped; doubled bars count once", Columns({"A|", "|B", "C||x"}), 40,
         "A|:40/50 |B:40/60 C:20/40[x:20/40]"},
        {"three levels", Columns({"A|B|x", "A|B|y"}), 60, "A:20/111[B:20/111[x:20/50 y:20/60]]"},
        {"a caption equal to the first part joins", Columns({"A|x", "A"}), 40, "A:20/111[x:20/50 :20/60]"},
        {"ends at different levels: parts cut, no parent", Columns({"A|B|x", "B|y"}), 40, "A:20/50[x:20/50] y:40/60"},
        // Each caption is taken apart from the left before its neighbour is looked at,
        // so equal second parts under different first parts stay apart.
        {"equal second parts under different parents", Columns({"A|B|x", "C|B|y"}), 60,
         "A:20/50[B:20/50[x:20/50]] C:20/60[B:20/60[y:20/60]]"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        THeadTreeNode root("Root", 10, 0);
        std::vector<THeadTreeNode*> leaves;
        CreateMultiTitleTree(&root, c.Cols, c.Height, true, leaves);
        EXPECT_EQ(Dump(&root), c.Tree);
        ASSERT_EQ(leaves.size(), c.Cols.size());
        for (THeadTreeNode* leaf : leaves) {
            EXPECT_EQ(leaf->Child, nullptr);
            EXPECT_EQ(leaf->LineWidth, 1);
        }
        // A rebuild starts from nothing.
        CreateMultiTitleTree(&root, c.Cols, c.Height, true, leaves);
        EXPECT_EQ(Dump(&root), c.Tree);
    }
}

TEST(MultiTitleTree, HiddenColumnsAndLeafData) {
    auto cols = Columns({"A|x", "A|y", "A|z"});
    cols[1].Visible = false;
    cols[2].SortMarked = true;
    int tag[3];
    for (int i = 0; i < 3; ++i) cols[static_cast<size_t>(i)].Column = reinterpret_cast<TColumnGx*>(&tag[i]);
    THeadTreeNode root("Root", 10, 0);
    std::vector<THeadTreeNode*> leaves;
    // A hidden column adds nothing to its parent: -1 plus its line with lines, 0 without.
    CreateMultiTitleTree(&root, cols, 40, true, leaves);
    EXPECT_EQ(Dump(&root), "A:20/91[x:20/50 y:20/-1 z:20/40]");
    CreateMultiTitleTree(&root, cols, 40, false, leaves);
    EXPECT_EQ(Dump(&root), "A:20/90[x:20/50 y:20/0 z:20/40]");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(leaves[static_cast<size_t>(i)]->Column, cols[static_cast<size_t>(i)].Column);
        EXPECT_EQ(leaves[static_cast<size_t>(i)]->GetLevel(), 2);
        EXPECT_EQ(leaves[static_cast<size_t>(i)]->LineWidth, 0);
    }
    EXPECT_EQ(leaves[0]->SortMarkerWidth, 0);
    EXPECT_EQ(leaves[2]->SortMarkerWidth, 16);
}

TEST(MultiTitleTree, NodesOutsideTheTreeAndRingsAreRefused) {
    THeadTreeNode root("Root", 10, 0);
    THeadTreeNode stranger("S", 1, 1);
    auto message = [](auto&& f) {
        try {
            f();
        } catch (const Exception& e) {
            return e.Message();
        }
        return AnsiString("no error");
    };
    EXPECT_EQ(message([&] { root.Add(&stranger, "n", 1, 1); }), "Node not in Tree");
    EXPECT_EQ(message([&] { root.AddChild(&stranger, "n", 1, 1); }), "Node not in Tree");
    EXPECT_EQ(message([&] { root.Union(&stranger, &stranger, "n", 1); }), "Node not in Tree");

    THeadTreeNode* a = root.AddChild(&root, "a", 40, 10);
    THeadTreeNode* b = root.AddChild(&root, "b", 40, 10);
    THeadTreeNode* c = root.AddChild(&root, "c", 40, 10);
    THeadTreeNode* bChild = root.AddChild(b, "b1", 20, 10);
    // The end must follow the start in the same ring, before it wraps round.
    EXPECT_EQ(message([&] { root.Union(c, a, "p", 20); }), "ATo not in level");
    EXPECT_EQ(message([&] { root.Union(a, bChild, "p", 20); }), "ATo not in level");
    EXPECT_EQ(Dump(&root), "a:40/10 b:40/10[b1:20/10] c:40/10");

    // Grouping all siblings leaves one parent in the ring.
    root.Union(a, c, "p", 20);
    EXPECT_EQ(Dump(&root), "p:20/30[a:20/10 b:20/10[b1:20/10] c:20/10]");
    EXPECT_EQ(root.Child->Next, root.Child);

    std::vector<AnsiString> order;
    root.ForAllNodes([&](void*, THeadTreeNode* n) { order.push_back(n->Text); }, nullptr);
    EXPECT_EQ(order, (std::vector<AnsiString>{"p", "a", "b", "b1", "c"}));
    EXPECT_TRUE(root.Find(bChild));
    EXPECT_EQ(bChild->GetLevel(), 3);
    root.FreeAllChild();
    EXPECT_EQ(root.Child, nullptr);
}

// ---------------------------------------------------------------------------
// Painting

class TitleParentsTest : public RecordingCanvasTest {
protected:
    // Builds the tree and lays the title cells out left to right with 1-px
    // column lines, as the grid does: each leaf's cell is the bottom part of a
    // title row one pixel lower than the tree, below its parents.
    void Build(std::vector<TMultiTitleColumnGx> cols, int treeHeight) {
        CreateMultiTitleTree(&root, cols, treeHeight, true, leaves);
        const int rowBottom = treeHeight - 1;
        int x = 0;
        cells.clear();
        for (auto& c : cols) {
            THeadTreeNode* leaf = leaves[cells.size()];
            cells.push_back(TRect(x, rowBottom - leaf->Height + 1, x + c.Width, rowBottom));
            x += c.Width + 1;
        }
    }
    TTitleParentPaintGx Params() {
        TTitleParentPaintGx p;
        p.Canvas = &canvas;
        p.VertMargin = 1;
        return p;
    }
    // The area a parent's caption is centred in: the text rectangle widened by its margins.
    static std::pair<int, int> TextArea(const TGdiCall& c) {
        return {c.Rect.Left + c.LeftMargin, c.Rect.Right - c.RightMargin};
    }
    THeadTreeNode root{"Root", 10, 0};
    std::vector<THeadTreeNode*> leaves;
    std::vector<TRect> cells;
};

TEST_F(TitleParentsTest, ParentCaptionIsCentredOverAllItsColumnsWithNegativeMargins) {
    Build(Columns({"A|x", "A|y", "B"}), 40);
    ASSERT_EQ(cells[0], TRect(0, 20, 50, 39));
    ASSERT_EQ(cells[1], TRect(51, 20, 111, 39));
    std::vector<TGdiCall> texts;
    std::vector<TPoint> glyphs;
    std::vector<std::vector<TRect>> fills;
    for (size_t i = 0; i < 3; ++i) {
        rec->Clear();
        DrawTitleParentsGx(leaves[i], cells[i], Params());
        auto t = Top(TGdiCallKind::DrawText);
        if (i == 2) {
            EXPECT_TRUE(rec->Calls().empty()) << "a leaf under the root has no parent cell\n" << rec->Dump();
            continue;
        }
        ASSERT_EQ(t.size(), 1u) << rec->Dump();
        texts.push_back(t[0]);
        fills.emplace_back();
        for (auto& f : Top(TGdiCallKind::FillRect)) fills.back().push_back(f.Rect);
        auto g = rec->Calls(TGdiCallKind::Glyphs);
        ASSERT_FALSE(g.empty());
        glyphs.push_back(g[0].Points.at(0));
    }
    // Each column paints its own slice of the parent (the first one over the column line too),
    // with a 2-px strip where the parent ends and the caption's cell inside the raised frame ...
    EXPECT_EQ(fills[0], (std::vector<TRect>{TRect(0, 1, 2, 18), TRect(2, 1, 51, 18)}));
    EXPECT_EQ(fills[1], (std::vector<TRect>{TRect(109, 1, 111, 18), TRect(51, 1, 109, 18)}));
    EXPECT_LT(texts[1].LeftMargin, 0);
    EXPECT_LT(texts[0].RightMargin, 0);
    // ... while the caption is placed in the parent's whole width, 2 px inside its ends,
    EXPECT_EQ(TextArea(texts[0]), std::make_pair(2, 109));
    EXPECT_EQ(TextArea(texts[1]), std::make_pair(2, 109));
    // so both slices put the glyphs at the same place.
    EXPECT_EQ(glyphs[0], glyphs[1]);
    EXPECT_EQ(texts[0].Text, "A");
    EXPECT_EQ(texts[0].Flags & (DT_CENTER | DT_WORDBREAK), static_cast<UINT>(DT_CENTER | DT_WORDBREAK));
    EXPECT_TRUE(leaves[0]->Host->Drawn);
}

TEST_F(TitleParentsTest, FrameEdgesOnlyWhereTheParentEnds) {
    Build(Columns({"A|x", "A|y", "A|z"}), 40);
    struct {
        UINT First, Second;
    } expected[] = {
        {BF_LEFT | BF_TOP, BF_BOTTOM},   // first column: the left end
        {BF_TOP, BF_BOTTOM},             // middle: no end
        {BF_TOP, BF_RIGHT | BF_BOTTOM},  // last: the right end
    };
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        rec->Clear();
        DrawTitleParentsGx(leaves[i], cells[i], Params());
        auto edges = Top(TGdiCallKind::DrawEdge);
        ASSERT_EQ(edges.size(), 2u) << rec->Dump();
        EXPECT_EQ(edges[0].Flags2, expected[i].First);
        EXPECT_EQ(edges[1].Flags2, expected[i].Second);
        EXPECT_EQ(edges[0].Flags, static_cast<UINT>(BDR_RAISEDINNER));
        // The frame covers the parent's full height over the slice, over the column line but at the end.
        const int right = i == 2 ? cells[i].Right : cells[i].Right + 1;
        EXPECT_EQ(edges[0].Rect, TRect(cells[i].Left, 0, right, 19));
        // The row line under the parent, black.
        auto lines = Top(TGdiCallKind::LineTo);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].Points, (std::vector<TPoint>{TPoint(cells[i].Left, 19), TPoint(right, 19)}));
        EXPECT_EQ(lines[0].Pen.Color, 0u);
    }
}

TEST_F(TitleParentsTest, GrandparentsAreDrawnAboveParentsAndFlatGridsUseGreyLines) {
    Build(Columns({"G|A|x", "G|A|y", "G|z"}), 60);
    ASSERT_EQ(Dump(&root), "G:20/152[A:20/111[x:20/50 y:20/60] z:40/40]");
    auto p = Params();
    p.Flat = true;
    p.Fixed3D = false;
    rec->Clear();
    DrawTitleParentsGx(leaves[0], cells[0], p);
    auto texts = Top(TGdiCallKind::DrawText);
    ASSERT_EQ(texts.size(), 2u) << rec->Dump();
    EXPECT_EQ(texts[0].Text, "A");
    EXPECT_EQ(texts[1].Text, "G");
    EXPECT_EQ(TextArea(texts[0]), std::make_pair(2, 109));
    EXPECT_EQ(TextArea(texts[1]), std::make_pair(2, 150));
    // Without the 3D frame the captions fill their cells to the row lines.
    auto fills = Top(TGdiCallKind::FillRect);
    ASSERT_EQ(fills.size(), 4u);
    EXPECT_EQ(fills[1].Rect, TRect(2, 20, 51, 39));
    EXPECT_EQ(fills[3].Rect, TRect(2, 0, 51, 19));
    EXPECT_TRUE(Top(TGdiCallKind::DrawEdge).empty());
    for (auto& l : Top(TGdiCallKind::LineTo)) EXPECT_EQ(l.Pen.Color, 0x808080u);
    EXPECT_TRUE(leaves[0]->Host->Drawn && leaves[0]->Host->Host->Drawn);

    // The last column reaches the grandparent from a lower level and finds the same place for it.
    rec->Clear();
    DrawTitleParentsGx(leaves[2], cells[2], p);
    texts = Top(TGdiCallKind::DrawText);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(TextArea(texts[0]), std::make_pair(2, 150));
}

}  // namespace
