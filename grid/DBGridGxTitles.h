#pragma once
// Multi-level column titles: captions such as "Group|Name" are cut at '|' and
// neighbouring columns whose captions begin with the same part share one
// parent title cell. THeadTreeNode is that tree; CreateMultiTitleTree builds
// it from the columns' captions and DrawTitleParentsGx paints the parent
// cells above one column's own title, slice by slice.
#include <functional>
#include <vector>

#include "grid/DBGridGxDrawing.h"
#include "platform/classes/Classes.h"
#include "platform/gui/Graphics.h"

class TColumnGx;
class THeadTreeNode;

// Calls Proc(Data, Node) for a node of the tree.
using THeadTreeProc = std::function<void(void* Data, THeadTreeNode* Node)>;

class THeadTreeNode : public TObject {
public:
    // An empty node: no children, no host, a ring of itself.
    THeadTreeNode();
    // CreateText: a node with its caption part and size.
    THeadTreeNode(const AnsiString& AText, int AHeight, int AWidth);
    // A root (no host) frees all its descendants first.
    ~THeadTreeNode() override;
    const char* ClassName() const override { return "THeadTreeNode"; }

    // A new sibling right after AAfter in its ring, with AAfter's host;
    // "Node not in Tree" when AAfter does not belong to this tree.
    THeadTreeNode* Add(THeadTreeNode* AAfter, const AnsiString& AText, int AHeight, int AWidth);
    // A new last child of ANode; "Node not in Tree" as for Add.
    THeadTreeNode* AddChild(THeadTreeNode* ANode, const AnsiString& AText, int AHeight, int AWidth);
    // Frees every descendant, depth first.
    void FreeAllChild();
    // ANode is this node, one of its ring siblings or below any of them.
    bool Find(THeadTreeNode* ANode);
    // Host links up to the root (the root is level 0).
    int GetLevel();
    // Puts the siblings AFrom ... ATo under a new parent of AText that takes
    // AHeight from each of them; "ATo not in level" when ATo does not follow
    // AFrom in the same ring.
    void Union(THeadTreeNode* AFrom, THeadTreeNode* ATo, const AnsiString& AText, int AHeight);
    // Every node below this one, depth first: each child, then its subtree.
    void ForAllNodes(const THeadTreeProc& Proc, void* Data);

    THeadTreeNode* Child = nullptr;  // first of the child ring; nil for a leaf
    TColumnGx* Column = nullptr;     // a leaf's column
    bool Drawn = false;              // painted in the current paint cycle
    int Height = 0;
    THeadTreeNode* Host = nullptr;   // the parent; nil for the root
    THeadTreeNode* Next;             // the next sibling; the last points back to the first
    AnsiString Text;
    int LineWidth = 0;               // 1 with column lines, added between sibling widths
    int Width = 0;
    int SortMarkerWidth = 0;         // 16 for a leaf whose title shows a sort marker
};

// ---------------------------------------------------------------------------
// The parts of a caption, cut at '|'. Runs of bars count as one and leading
// bars are skipped, so no part is empty. Positions are 1-based.

// Where the N-th part begins; 0 when there are fewer parts.
int NthWordStart(int N, const AnsiString& S);
// The N-th part ("" when there are fewer).
AnsiString NthWord(int N, const AnsiString& S);
AnsiString NthWordWithPos(int N, const AnsiString& S, int& Pos);

// ---------------------------------------------------------------------------
// Building the tree

// What the tree needs of one column, in collection order.
struct TMultiTitleColumnGx {
    TColumnGx* Column = nullptr;
    AnsiString Caption;
    bool Visible = true;
    int Width = 0;
    bool SortMarked = false;  // the title shows a sort marker
};

// Rebuilds the tree under Root from the columns' captions: one leaf per column
// (Leaves[i] for column i) of TitleRowHeight, each grouping level above a
// leaf taking 20 pixels of it.
void CreateMultiTitleTree(THeadTreeNode* Root, const std::vector<TMultiTitleColumnGx>& Columns, int TitleRowHeight,
                          bool ColLines, std::vector<THeadTreeNode*>& Leaves);

// ---------------------------------------------------------------------------
// Painting the parent cells above a column title

// Writes text the way the grid writes cell text (the free WriteCellText
// arguments without the canvas and the reading order).
using TTitleTextWriterGx = std::function<void(const TRect& ARect, bool FillRect, int DX, int DY, const AnsiString& Text,
                                              TAlignment Alignment, TTextLayout Layout, bool MultiLine,
                                              bool EndEllipsis, int LeftMarg, int RightMarg)>;
// The 3D frame of a cell with only the edges where the cell really ends.
using TTitleFrameDrawerGx = std::function<void(const TRect& ARect, bool DrawLeftEdge, bool DrawRightEdge)>;

struct TTitleParentPaintGx {
    TCanvas* Canvas = nullptr;
    bool ColLines = true;
    bool RowLines = true;
    bool Flat = false;
    // Fixed cells are being painted with raised 3D frames.
    bool Fixed3D = true;
    // The column is the last frozen one while the grid is scrolled sideways.
    bool LastFrozenScrolled = false;
    int VertMargin = 1;  // the title text's vertical margin
    bool EndEllipsis = false;
    // nullptr: the free WriteCellText, left to right.
    TTitleTextWriterGx WriteText;
    // nullptr: DrawCellFrame3DGx, not flat.
    TTitleFrameDrawerGx DrawFrame;
};

// Paints the parent cells of Leaf above the column title cell C (the part of
// the parent over this column only; the text is placed as if centred over the
// whole parent) and marks them drawn. Uses the canvas's brush and font.
void DrawTitleParentsGx(THeadTreeNode* Leaf, const TRect& C, const TTitleParentPaintGx& P);
