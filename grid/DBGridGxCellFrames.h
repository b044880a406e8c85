#pragma once
// Decorations drawn in and around grid cells: the 3D cell frame, the edit
// buttons a column shows permanently, the tree indent with its connectors and
// node boxes, and the flat window border.
#include <vector>

#include "grid/ToolCtrlsGx.h"
#include "platform/gui/Graphics.h"

// One level of tree indent.
constexpr int kTreeIndentLevelGx = 18;

// The raised (or, highlighted or pressed, sunken) inner edge around R. A cell
// passes both edges; a title parent shared by several columns passes an edge
// only where the parent really ends. Flat: the bottom (and right) line is
// painted over in the brush colour and only the top (and left) edge is drawn.
// RightToLeft: R is in mirrored coordinates; the edges are drawn unmirrored.
void DrawCellFrame3DGx(TCanvas* Canvas, const TRect& R, bool Flat, bool DrawLeftEdge, bool DrawRightEdge,
                       bool Highlighted, bool Pressed, bool RightToLeft = false);

// One edit button shown in a cell. A button that begins left of the cell
// (scrolled) is clipped to it; flat buttons are separated from the text by a
// line of the cell colour. Glyph buttons are a raised box with the glyph
// centred; the others are painted by PaintButtonControlGx. DownButton as there.
void PaintCellButtonGx(TCanvas* Canvas, TBitmap* Glyph, TColor Background, bool Enabled, bool Flat, bool Themed,
                       TEditButtonStyleGx Style, const TRect& CellRect, TRect ButtonRect, bool RightToLeft,
                       int DownButton = 0);

// A row of a tree-shaped data set.
struct TTreeNodeRowGx {
    int Level = 0;                        // 1 for a top-level node
    std::vector<bool> AncestorHasNext;    // per ancestor level, outermost first: a sibling follows it
    bool HasChildren = false;
    bool Expanded = false;
    bool HasNextSibling = false;
};

// The indent of a node of that level, never negative.
inline int TreeIndentGx(int Level) { return Level > 0 ? Level * kTreeIndentLevelGx : 0; }
// The element of DrawTreeElement that shows the row itself.
int TreeRowElementGx(const TTreeNodeRowGx& Node);
// Fills the indent at the left of CellRect with Background and draws a
// connector or a plain slot per ancestor level and the row's own element.
// With RowLines the row line under the indent is painted in GridColor (so the
// connectors run on) and a silver line closes the indent on the right.
void DrawTreeIndentGx(TCanvas* Canvas, const TRect& CellRect, const TTreeNodeRowGx& Node, TColor Background,
                      bool RowLines, TColor GridColor);

// The sunken outer edge around a flat grid's window rectangle, on its window DC.
void DrawFlatBorderGx(HDC DC, const TRect& WindowRect);
