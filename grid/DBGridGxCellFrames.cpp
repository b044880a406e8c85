#include "grid/DBGridGxCellFrames.h"

#include <algorithm>

#include "grid/DBGridGxDrawing.h"

// ---------------------------------------------------------------------------
// The 3D cell frame

void DrawCellFrame3DGx(TCanvas* Canvas, const TRect& R, bool Flat, bool DrawLeftEdge, bool DrawRightEdge,
                       bool Highlighted, bool Pressed, bool RightToLeft) {
    HDC dc = CanvasDC(Canvas);
    const UINT edge = (Highlighted || Pressed) ? BDR_SUNKENINNER : BDR_RAISEDINNER;
    TRect r = R;
    int savedDC = 0;
    // The part drawn with the left edge and the part drawn with the right one.
    UINT topPart = DrawLeftEdge ? BF_LEFT | BF_TOP : BF_TOP;
    UINT bottomPart = DrawRightEdge ? BF_RIGHT | BF_BOTTOM : BF_BOTTOM;
    if (RightToLeft) {
        // Edges are drawn on the device's own axes, so that light still falls from the top left.
        TPoint corners[2] = {r.TopLeft(), r.BottomRight()};
        LPtoDP(dc, corners, 2);
        r = TRect(std::min(corners[0].X, corners[1].X), std::min(corners[0].Y, corners[1].Y),
                  std::max(corners[0].X, corners[1].X), std::max(corners[0].Y, corners[1].Y));
        savedDC = SaveDC(dc);
        SetMapMode(dc, MM_TEXT);
        SetWindowOrgEx(dc, 0, 0, nullptr);
        SetViewportOrgEx(dc, 0, 0, nullptr);
        topPart = DrawLeftEdge ? BF_TOP | BF_RIGHT : BF_TOP;
        bottomPart = DrawRightEdge ? BF_LEFT | BF_BOTTOM : BF_BOTTOM;
    }
    if (!Flat) {
        if (DrawLeftEdge && DrawRightEdge) {
            DrawEdge(dc, &r, edge, BF_RECT);
        } else {
            TRect a = r;
            DrawEdge(dc, &a, edge, topPart);
            TRect b = r;
            DrawEdge(dc, &b, edge, bottomPart);
        }
    } else {
        // The shadow lines of a flat frame vanish into the cell colour.
        TPen* pen = Canvas->Pen();
        const TColor savedPen = pen->Color();
        pen->SetColor(Canvas->Brush()->Color());
        const bool sideOnLeft = RightToLeft;
        std::vector<TPoint> line;
        if (DrawRightEdge) {
            const int x = sideOnLeft ? r.Left : r.Right - 1;
            line = {TPoint(sideOnLeft ? r.Right - 1 : r.Left, r.Bottom - 1), TPoint(x, r.Bottom - 1), TPoint(x, r.Top - 1)};
        } else {
            line = {TPoint(r.Left, r.Bottom - 1), TPoint(r.Right, r.Bottom - 1)};
        }
        Canvas->Polyline(line);
        pen->SetColor(savedPen);
        TRect a = r;
        DrawEdge(CanvasDC(Canvas), &a, edge, topPart);
    }
    if (RightToLeft) RestoreDC(dc, savedDC);
}

// ---------------------------------------------------------------------------
// Buttons in cells

void PaintCellButtonGx(TCanvas* Canvas, TBitmap* Glyph, TColor Background, bool Enabled, bool Flat, bool Themed,
                       TEditButtonStyleGx Style, const TRect& CellRect, TRect ButtonRect, bool RightToLeft,
                       int DownButton) {
    HDC dc = CanvasDC(Canvas);
    if (RightToLeft) {
        const int mirror = CellRect.Left + CellRect.Right;
        ButtonRect = TRect(mirror - ButtonRect.Right, ButtonRect.Top, mirror - ButtonRect.Left, ButtonRect.Bottom);
    }
    const bool clip = RightToLeft ? ButtonRect.Right > CellRect.Right : ButtonRect.Left < CellRect.Left;
    int savedDC = 0;
    if (clip) {
        savedDC = SaveDC(dc);
        IntersectClipRect(dc, CellRect.Left, CellRect.Top, CellRect.Right, CellRect.Bottom);
    }
    TBrush* brush = Canvas->Brush();
    const TColor savedBrush = brush->Color();
    if (Flat) {
        brush->SetColor(Themed ? clBtnFace : Background);
        if (RightToLeft) {
            Canvas->FillRect(TRect(ButtonRect.Right - 1, ButtonRect.Top, ButtonRect.Right, ButtonRect.Bottom));
            --ButtonRect.Right;
        } else {
            Canvas->FillRect(TRect(ButtonRect.Left, ButtonRect.Top, ButtonRect.Left + 1, ButtonRect.Bottom));
            ++ButtonRect.Left;
        }
    }
    if (Style == ebsGlyphGx) {
        if (Flat) {
            brush->SetColor(Background);
            Canvas->FrameRect(ButtonRect);
            brush->SetColor(clBtnFace);
            TRect inner = ButtonRect;
            InflateRect(&inner, -1, -1);
            Canvas->FillRect(inner);
        } else {
            TRect box = ButtonRect;
            DrawEdge(CanvasDC(Canvas), &box, EDGE_RAISED, BF_RECT | BF_MIDDLE);
        }
        if (Glyph && !Glyph->Empty()) {
            const int x = (ButtonRect.Left + ButtonRect.Right - Glyph->Width()) / 2;
            const int y = (ButtonRect.Top + ButtonRect.Bottom - Glyph->Height()) / 2;
            Canvas->Draw(x, y, Glyph);
        }
    } else {
        PaintButtonControlGx(CanvasDC(Canvas), ButtonRect, Background, EditButtonStyleToPaintKind(Style), DownButton,
                             Flat, false, Enabled, 0);
    }
    brush->SetColor(savedBrush);
    if (clip) RestoreDC(dc, savedDC);
}

// ---------------------------------------------------------------------------
// Tree indent

int TreeRowElementGx(const TTreeNodeRowGx& Node) {
    if (!Node.HasChildren) return Node.HasNextSibling ? 6 : 7;
    if (Node.Expanded) return Node.HasNextSibling ? 0 : 1;
    return Node.HasNextSibling ? 3 : 4;
}

void DrawTreeIndentGx(TCanvas* Canvas, const TRect& CellRect, const TTreeNodeRowGx& Node, TColor Background,
                      bool RowLines, TColor GridColor) {
    const int indent = TreeIndentGx(Node.Level);
    if (indent <= 0) return;
    const TRect area(CellRect.Left, CellRect.Top, CellRect.Left + indent, CellRect.Bottom);
    TBrush* brush = Canvas->Brush();
    const TColor savedBrush = brush->Color();
    brush->SetColor(Background);
    Canvas->FillRect(area);
    const bool oddAlign = (CellRect.Top & 1) != 0;
    auto slot = [&](int level) {
        return TRect(area.Left + level * kTreeIndentLevelGx, area.Top, area.Left + (level + 1) * kTreeIndentLevelGx,
                     area.Bottom);
    };
    for (int level = 0; level < Node.Level - 1; ++level) {
        const bool hasNext = static_cast<size_t>(level) < Node.AncestorHasNext.size() &&
                             Node.AncestorHasNext[static_cast<size_t>(level)];
        if (hasNext) DrawTreeElement(Canvas, slot(level), 9, 1.0, 1.0, oddAlign);
    }
    DrawTreeElement(Canvas, slot(Node.Level - 1), TreeRowElementGx(Node), 1.0, 1.0, oddAlign);
    if (RowLines) {
        TPen* pen = Canvas->Pen();
        const TColor savedPen = pen->Color();
        pen->SetColor(GridColor);
        Canvas->MoveTo(area.Left, area.Bottom);
        Canvas->LineTo(area.Right, area.Bottom);
        pen->SetColor(clSilver);
        Canvas->MoveTo(area.Right - 1, area.Top);
        Canvas->LineTo(area.Right - 1, area.Bottom + 1);
        pen->SetColor(savedPen);
    }
    brush->SetColor(savedBrush);
}

// ---------------------------------------------------------------------------
// Flat border

void DrawFlatBorderGx(HDC DC, const TRect& WindowRect) {
    TRect r = WindowRect;
    DrawEdge(DC, &r, BDR_SUNKENOUTER, BF_RECT);
}
