// How the data-aware grid paints itself: the window message (with an
// off-screen buffer when needed), the paint cycle with the grid's own line
// colours, and the cell painter with its order of the owner's events.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>

#include "grid/DBGridGx.h"
#include "grid/DBGridGxCellFrames.h"
#include "grid/DBGridGxDrawing.h"
#include "grid/DBGridGxStyle.h"
#include "grid/DBGridGxTitles.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

namespace {

// The canvas's font already draws as Font (the cell before was of the same
// column font, in the same colour): assigning it again would only make the
// canvas build the same font anew for every cell. The handles' descriptions
// are compared, so a font taken over from a handle is never taken for one
// made from its properties.
void UseFont(TCanvas* Canvas, TFont* Font) {
    TFont* current = Canvas->Font();
    if (current->Color() == Font->Color() && current->PixelsPerInch() == Font->PixelsPerInch() &&
        std::memcmp(&current->Handle()->LogFont(), &Font->Handle()->LogFont(), sizeof(LOGFONT)) == 0)
        return;
    current->Assign(Font);
}

// Visual themes are off: fixed cells are always drawn the classic way.
constexpr bool kThemesEnabled = false;

// Lines of one area of the grid: the positions of the lines after its
// columns and after its rows.
struct TAreaLines {
    TRect Area;
    std::vector<int> Xs;
    std::vector<int> Ys;
};

// The positions of the lines after cells First..Last of an axis, starting at Pos, up to Limit.
std::vector<int> LinePositions(const TGridAxisDrawInfo& Axis, int First, int Last, int Pos, int Limit) {
    std::vector<int> lines;
    const int lw = Axis.EffectiveLineWidth;
    if (lw <= 0) return lines;
    for (int i = First; i <= Last && i < Axis.GridCellCount && Pos < Limit; ++i) {
        const int extent = Axis.GetExtent(i);
        if (extent + lw <= 0) continue;  // a hidden cell takes no room, nor does its line
        lines.push_back(Pos + extent + lw / 2);
        Pos += extent + lw;
    }
    return lines;
}

// Draws the vertical and horizontal lines of an area: kinds switched on in
// the line colour, kinds switched off in the background colour.
void DrawAreaLines(TCanvas* Canvas, const TAreaLines& L, int VertWidth, int HorzWidth, bool VertOn, bool HorzOn,
                   TColor LineColor, TColor BackColor) {
    if (IsRectEmpty(L.Area)) return;
    HDC dc = CanvasDC(Canvas);
    auto stroke = [&](const std::vector<TPoint>& points, int width, TColor color) {
        if (points.empty() || width <= 0) return;
        LOGBRUSH lb;
        lb.lbStyle = BS_SOLID;
        lb.lbColor = static_cast<COLORREF>(ColorToRGB(color));
        HPEN pen = width > 1 ? ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER,
                                            static_cast<DWORD>(width), &lb, 0, nullptr)
                             : CreatePen(PS_SOLID, 1, lb.lbColor);
        HGDIOBJ old = SelectObject(dc, pen);
        std::vector<DWORD> counts(points.size() / 2, 2);
        PolyPolyline(dc, points.data(), counts.data(), static_cast<DWORD>(counts.size()));
        SelectObject(dc, old);
        DeleteObject(pen);
    };
    std::vector<TPoint> v;
    for (int x : L.Xs) {
        if (x < L.Area.Left || x >= L.Area.Right) continue;
        v.push_back(TPoint(x, L.Area.Top));
        v.push_back(TPoint(x, L.Area.Bottom));
    }
    stroke(v, VertWidth, VertOn ? LineColor : BackColor);
    std::vector<TPoint> h;
    for (int y : L.Ys) {
        if (y < L.Area.Top || y >= L.Area.Bottom) continue;
        h.push_back(TPoint(L.Area.Left, y));
        h.push_back(TPoint(L.Area.Right, y));
    }
    stroke(h, HorzWidth, HorzOn ? LineColor : BackColor);
}

UINT CheckStateOf(TCheckBoxState State) {
    switch (State) {
        case cbChecked: return BST_CHECKED;
        case cbGrayed: return BST_INDETERMINATE;
        default: return BST_UNCHECKED;
    }
}

// A check box of the standard size centred in R (R's extent where R is smaller).
void DrawCheckBoxCell(TCanvas* Canvas, const TRect& R, TCheckBoxState State, bool Flat) {
    const int w = DefaultCheckBoxWidth();
    const int h = DefaultCheckBoxHeight();
    TRect box = R;
    if (R.Width() > w) {
        box.Left = R.Left + (R.Width() - w) / 2;
        box.Right = box.Left + w;
    }
    if (R.Height() > h) {
        box.Top = R.Top + (R.Height() - h) / 2;
        box.Bottom = box.Top + h;
    }
    PaintButtonControlGx(CanvasDC(Canvas), box, Canvas->Brush()->Color(), bpkCheckBoxGx, 0, Flat, false, true,
                         static_cast<int>(CheckStateOf(State)));
}

TEditButtonStyleGx ButtonStyleOf(TEditStyleGx Style) {
    switch (Style) {
        case esEllipsisGx: return ebsEllipsisGx;
        case esUpDownGx: return ebsUpDownGx;
        default: return ebsDropDownGx;
    }
}

}  // namespace

// The parts of painting that reach into the grid's state.
struct TDBGridGxPainter {
    static void Lines(TCustomDBGridGx* G, const TGridDrawInfo& Info);
    static void Cells(TCustomDBGridGx* G, const TGridDrawInfo& Info);
    static void Indicator(TCustomDBGridGx* G, int ACol, int ARow, TRect R, TGridDrawState AState,
                          const TCellTypeGx& CellType, int XFrameOffs);
    static void Title(TCustomDBGridGx* G, TColumnGx* Column, int ACol, int ARow, TRect& R, TGridDrawState AState,
                      const TCellTypeGx& CellType, int XFrameOffs, int YFrameOffs, bool& Highlighted, bool& Pressed,
                      TColor& TitleColor);
    static void DataCell(TCustomDBGridGx* G, TColumnGx* Column, int ACol, int ARow, const TRect& Cell, TRect& R,
                         TGridDrawState AState, bool Has3D, int XFrameOffs, int YFrameOffs, bool& Highlighted);
    static void Footer(TCustomDBGridGx* G, TColumnGx* Column, int ACol, int ARow, TRect& R, TGridDrawState AState,
                       const TCellTypeGx& CellType, bool Has3D, int XFrameOffs, int YFrameOffs, bool& Highlighted);
    static void CellButtons(TCustomDBGridGx* G, TColumnGx* Column, TRect R, bool Has3D);
    static bool DuplicateOfPrevious(TCustomDBGridGx* G, TColumnGx* Column, int ARow, const AnsiString& Text);
    static void IncSearchText(TCustomDBGridGx* G, TColumnGx* Column, const TRect& R, int XFrameOffs, int YFrameOffs);
    static bool ActiveControl(TCustomDBGridGx* G);
};

// ---------------------------------------------------------------------------
// The window message

void TCustomDBGridGx::WMPaint(TMessage& Message) {
    if (NeedsBufferedPaint() && !DBGridGxSettings().DisableBufferedPaint) bufferedPaint_ = true;
    if (bufferedPaint_ && Message.WParam == 0) {
        HDC screen = CreateScreenDC();
        HBITMAP bitmap = CreateCompatibleBitmap(screen, ClientWidth(), ClientHeight());
        DeleteDC(screen);
        HDC memory = CreateCompatibleDC(nullptr);
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        HRGN region = CreateRectRgnIndirect(&ps.rcPaint);
        Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), reinterpret_cast<LPARAM>(memory));
        SelectClipRgn(memory, region);
        DeleteObject(region);
        Message.WParam = reinterpret_cast<WPARAM>(memory);
        TScopeGuard releaseBuffer([&] {
            EndPaint(Handle(), &ps);
            SelectObject(memory, oldBitmap);
            DeleteDC(memory);
            DeleteObject(bitmap);
        });
        // What was painted reaches the screen even when a cell raised.
        std::exception_ptr fault;
        {
            TScopeGuard clearDC([&] { Message.WParam = 0; });
            try {
                WMPaint(Message);
            } catch (...) {
                fault = std::current_exception();
            }
        }
        BitBlt(dc, 0, 0, ClientWidth(), ClientHeight(), memory, 0, 0, SRCCOPY);
        if (fault) std::rethrow_exception(fault);
        return;
    }
    TCustomGrid::WMPaint(Message);
}

bool TCustomDBGridGx::NeedsBufferedPaint() {
    return ThemedFixedCells() || (TreeViewActive() && dbOptions_.Contains(dgRowLines));
}

bool TCustomDBGridGx::ThemedFixedCells() const {
    return kThemesEnabled && !flat_ && optionsGx_.Contains(dghFixed3D) && dbOptions_.Contains(dgColLines) &&
           dbOptions_.Contains(dgRowLines);
}

void TCustomDBGridGx::DrawBorder() {
    if (!flat_ || BorderStyle() != bsSingle || !Ctl3D() || !HandleAllocated()) return;
    HDC dc = GetWindowDC(Handle());
    if (!dc) return;
    TRect r;
    GetWindowRect(Handle(), &r);
    OffsetRect(&r, -r.Left, -r.Top);
    DrawFlatBorderGx(dc, r);
    ReleaseDC(Handle(), dc);
}

// ---------------------------------------------------------------------------
// The paint cycle

void TCustomDBGridGx::Paint() {
    if (paintLock_ > 0) return;
    TCanvas* canvas = Canvas();
    HDC dc = CanvasDC(canvas);
    const bool mirrored = UseRightToLeftAlignment();
    if (mirrored) {
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowOrgEx(dc, ClientWidth(), 0, nullptr);
        SetWindowExtEx(dc, -ClientWidth(), ClientHeight(), nullptr);
        SetViewportExtEx(dc, ClientWidth(), ClientHeight(), nullptr);
    }
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TDBGridGxPainter::Lines(this, info);
    TDBGridGxPainter::Cells(this, info);

    // What lies beyond the last column and the last row.
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    const int right = info.Horz.GridBoundary;
    const int bottom = info.Vert.GridBoundary;
    if (right < ClientWidth()) canvas->FillRect(TRect(right, 0, ClientWidth(), ClientHeight()));
    if (bottom < ClientHeight()) canvas->FillRect(TRect(0, bottom, right, ClientHeight()));

    if (dbOptions_.Contains(dgTitles) && useMultiTitle_ && titleRoot_)
        titleRoot_->ForAllNodes([](void*, THeadTreeNode* node) { node->Drawn = false; }, nullptr);

    // The row's focus frame, drawn once here and never by the cells of a row-select grid.
    TDBGridGxStyle* style = Style();
    if (CanDrawRowFocusRect() && style && style->DrawFocusRect()) {
        TRect rowRect = BoxRect(indicatorOffset_, Row(), ColCount() - 1, Row());
        if (!IsRectEmpty(rowRect)) canvas->DrawFocusRect(rowRect);
    }
    if (gridDragState_ == 7) DrawMovingLine();
    if (mirrored) {
        SetMapMode(dc, MM_TEXT);
        SetWindowOrgEx(dc, 0, 0, nullptr);
    }
}

void TDBGridGxPainter::Lines(TCustomDBGridGx* G, const TGridDrawInfo& Info) {
    const TGridAxisDrawInfo& h = Info.Horz;
    const TGridAxisDrawInfo& v = Info.Vert;
    if (h.EffectiveLineWidth <= 0 && v.EffectiveLineWidth <= 0) return;
    TCanvas* canvas = G->Canvas();
    const TGridOptions options = G->TCustomGrid::Options();
    const TColor fixedLine = (G->Flat() || G->ThemedFixedCells()) ? clBtnShadow : clBlack;
    const TColor dataLine = ColorToRGB(G->Color()) == 0xC0C0C0 ? TColor(0x808080) : TColor(0xC0C0C0);
    const int fixedCols = G->FixedCols();
    const int fixedRows = G->FixedRows();
    const int colCount = G->ColCount();
    const int rowCount = G->RowCount();

    // Footer rows count as their own area only when they look fixed.
    const bool footerArea = G->FooterRowCount() > 0 &&
                            (G->OptionsGx().Contains(dghFooter3D) || G->FooterColor() == clBtnFace);
    int footerTop = v.GridBoundary;
    if (footerArea) {
        int pos = v.FixedBoundary;
        const int firstFooter = rowCount - G->FooterRowCount();
        for (int r = v.FirstGridCell; r < firstFooter && r < rowCount; ++r)
            pos += std::max(0, v.GetExtent(r) + v.EffectiveLineWidth);
        footerTop = std::min(pos, v.GridBoundary);
    }
    // Frozen columns get data lines unless they are drawn as fixed cells.
    int frozenWidth = 0;
    if (G->FrozenCols() > 0 && !G->OptionsGx().Contains(dghFrozen3D)) {
        for (int c = G->IndicatorOffset(); c < fixedCols; ++c)
            frozenWidth += std::max(0, h.GetExtent(c) + h.EffectiveLineWidth);
    }
    const int frozenLeft = h.FixedBoundary - frozenWidth;

    const std::vector<int> fixedXs = LinePositions(h, 0, fixedCols - 1, 0, h.GridBoundary);
    std::vector<int> scrollXs = LinePositions(h, h.FirstGridCell, colCount - 1, h.FixedBoundary, h.GridBoundary);
    std::vector<int> allXs = fixedXs;
    allXs.insert(allXs.end(), scrollXs.begin(), scrollXs.end());
    const std::vector<int> titleYs = LinePositions(v, 0, fixedRows - 1, 0, v.GridBoundary);
    const std::vector<int> bodyYs = LinePositions(v, v.FirstGridCell, rowCount - 1, v.FixedBoundary, v.GridBoundary);

    const bool fixedVert = options.Contains(goFixedVertLine);
    const bool fixedHorz = options.Contains(goFixedHorzLine);
    const bool dataVert = options.Contains(goVertLine);
    const bool dataHorz = options.Contains(goHorzLine);
    const int vw = h.EffectiveLineWidth;  // vertical lines are as wide as the columns' lines
    const int hw = v.EffectiveLineWidth;

    // The title rows across the whole width.
    DrawAreaLines(canvas, {TRect(0, 0, h.GridBoundary, v.FixedBoundary), allXs, titleYs}, vw, hw, fixedVert, fixedHorz,
                  fixedLine, G->FixedColor());
    // The indicator column (and frozen columns drawn as fixed ones) over the data rows.
    DrawAreaLines(canvas, {TRect(0, v.FixedBoundary, frozenLeft, footerTop), fixedXs, bodyYs}, vw, hw, fixedVert,
                  fixedHorz, fixedLine, G->FixedColor());
    if (frozenWidth > 0)
        DrawAreaLines(canvas, {TRect(frozenLeft, v.FixedBoundary, h.FixedBoundary, footerTop), fixedXs, bodyYs}, vw,
                      hw, dataVert, dataHorz, dataLine, G->Color());
    DrawAreaLines(canvas, {TRect(h.FixedBoundary, v.FixedBoundary, h.GridBoundary, footerTop), scrollXs, bodyYs}, vw,
                  hw, dataVert, dataHorz, dataLine, G->Color());
    if (footerArea && footerTop < v.GridBoundary) {
        DrawAreaLines(canvas, {TRect(0, footerTop, h.GridBoundary, v.GridBoundary), allXs, bodyYs}, vw, hw, fixedVert,
                      fixedHorz, fixedLine, G->FixedColor());
        if (dataHorz && hw > 0)
            DrawAreaLines(canvas, {TRect(0, footerTop - hw, h.GridBoundary, footerTop), {}, {footerTop - hw + hw / 2}},
                          vw, hw, false, true, fixedLine, G->FixedColor());
    }
}

bool TDBGridGxPainter::ActiveControl(TCustomDBGridGx* G) {
    if (TCustomForm* form = GetParentForm(G)) return form->ActiveControl() == G;
    return G->FocusInsideGrid();
}

void TDBGridGxPainter::Cells(TCustomDBGridGx* G, const TGridDrawInfo& Info) {
    const TGridAxisDrawInfo& h = Info.Horz;
    const TGridAxisDrawInfo& v = Info.Vert;
    TCanvas* canvas = G->Canvas();
    HDC dc = CanvasDC(canvas);
    const TGridOptions options = G->TCustomGrid::Options();
    const TGridRect selection = G->TCustomGrid::Selection();
    const bool activeControl = ActiveControl(G);
    const bool editorShowing = G->InplaceEditor() && G->InplaceEditor()->Visible();
    const int fixedCols = G->FixedCols();
    const int fixedRows = G->FixedRows();
    // A cell whose painting raises (an owner's handler, a value that cannot
    // be shown) never stops the others: the first fault goes on to the
    // framework's paint handling once every cell has been painted.
    std::exception_ptr fault;

    auto area = [&](int firstCol, int lastCol, int firstRow, int lastRow, int left, int top) {
        int y = top;
        for (int r = firstRow; r <= lastRow && r < G->RowCount() && y < v.GridBoundary; ++r) {
            const int rowH = v.GetExtent(r);
            int x = left;
            for (int c = firstCol; c <= lastCol && c < G->ColCount() && x < h.GridBoundary; ++c) {
                const int colW = h.GetExtent(c);
                TRect cell(x, y, std::min(x + colW, h.GridBoundary), std::min(y + rowH, v.GridBoundary));
                x += std::max(0, colW + h.EffectiveLineWidth);
                if (colW <= 0 || rowH <= 0 || IsRectEmpty(cell) || !RectVisible(dc, &cell)) continue;
                TGridDrawState state;
                const bool fixed = c < fixedCols || r < fixedRows;
                if (fixed) state.Include(gdFixed);
                const bool current = c == G->Col() && r == G->Row();
                if (current && activeControl) state.Include(gdFocused);
                if (c >= selection.Left && c <= selection.Right && r >= selection.Top && r <= selection.Bottom)
                    state.Include(gdSelected);
                if (!(current && options.Contains(goEditing) && editorShowing)) {
                    canvas->Font()->Assign(G->Font());
                    canvas->Brush()->SetStyle(bsSolid);
                    canvas->Brush()->SetColor(fixed ? G->FixedColor() : G->Color());
                    if (state.Contains(gdSelected) &&
                        !(state.Contains(gdFocused) && !options.Contains(goDrawFocusSelected) &&
                          !options.Contains(goRowSelect))) {
                        canvas->Brush()->SetColor(clHighlight);
                        canvas->Font()->SetColor(clHighlightText);
                    }
                    canvas->FillRect(cell);
                }
                try {
                    G->DrawCell(c, r, cell, state);
                } catch (...) {
                    if (!fault) fault = std::current_exception();
                }
                // The base grid's raised edges and focus frame belong to its own cell drawing, which this
                // grid replaces: its cells draw their frames and the focus frame themselves, once.
                if (G->TCustomGrid::DefaultDrawing()) {
                    if (fixed && G->Ctl3D()) {
                        UINT flags = 0;
                        if (options.Contains(goFixedVertLine)) flags |= BF_LEFT | BF_RIGHT;
                        if (options.Contains(goFixedHorzLine)) flags |= BF_TOP | BF_BOTTOM;
                        TRect edge = cell;
                        if (flags) DrawEdge(CanvasDC(canvas), &edge, BDR_RAISEDINNER, flags);
                    }
                    if (current && state.Contains(gdFocused) &&
                        !(options.Contains(goEditing) && options.Contains(goAlwaysShowEditor)) &&
                        !options.Contains(goRowSelect))
                        canvas->DrawFocusRect(cell);
                }
            }
            y += std::max(0, rowH + v.EffectiveLineWidth);
        }
    };
    const int cols = G->ColCount() - 1;
    const int rows = G->RowCount() - 1;
    area(0, fixedCols - 1, 0, fixedRows - 1, 0, 0);
    area(h.FirstGridCell, cols, 0, fixedRows - 1, h.FixedBoundary, 0);
    area(0, fixedCols - 1, v.FirstGridCell, rows, 0, v.FixedBoundary);
    area(h.FirstGridCell, cols, v.FirstGridCell, rows, h.FixedBoundary, v.FixedBoundary);
    if (fault) std::rethrow_exception(fault);
}

// ---------------------------------------------------------------------------
// One cell

void TCustomDBGridGx::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    colCellParams_->Col = ACol;
    colCellParams_->Row = ARow;
    if (ARect.Right <= ARect.Left) return;
    TCanvas* canvas = Canvas();
    if (Loading()) {
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(ARect);
        return;
    }
    TRect r = ARect;
    const TCellTypeGx cellType = GetCellType(ACol, ARow);
    const bool has3D = CellHas3DFrame(ACol, ARow, cellType);
    int xFrameOffs = 2;
    if (has3D) {
        InflateRect(&r, -1, -1);
        xFrameOffs = 1;
    }
    const int yFrameOffs = flat_ ? xFrameOffs - 1 : xFrameOffs;
    const int dataCol = ACol - indicatorOffset_;
    const int dataRow = ARow - titleOffset_;
    const bool themed = ThemedFixedCells();
    bool highlighted = false;
    bool pressed = false;
    bool firstTitleRow = false;
    TColor titleColor = FixedColor();
    TColumnGx* column = nullptr;

    canvas->Brush()->SetStyle(bsSolid);
    if (AState.Contains(gdFixed) && dataCol < 0) {
        TDBGridGxPainter::Indicator(this, ACol, ARow, r, AState, cellType, xFrameOffs);
    } else if (dataCol < columns_->Count()) {
        column = columns_->Items(dataCol);
        if (dataRow >= 0) {
            UseFont(canvas, column->Font());
            canvas->Brush()->SetColor(column->Color());
        } else {
            canvas->Font()->Assign(column->Title()->Font());
            canvas->Brush()->SetColor(column->Title()->Color());
        }
        if (ARow == 0 && dbOptions_.Contains(dgTitles)) {
            firstTitleRow = true;
            TDBGridGxPainter::Title(this, column, ACol, ARow, r, AState, cellType, xFrameOffs, yFrameOffs,
                                    highlighted, pressed, titleColor);
        } else if (dataRow < 0) {
            // Filter row, and title rows above the first.
            if (has3D && themed) canvas->FillRect(r);
            DrawTitleCell(ACol, ARow, r, AState, cellType, highlighted);
        } else if (!DataLinkActive()) {
            canvas->FillRect(r);
        } else if (cellType.Vert != ctData || dataRow >= dataLink_->RecordCount()) {
            TDBGridGxPainter::Footer(this, column, ACol, ARow, r, AState, cellType, has3D, xFrameOffs, yFrameOffs,
                                     highlighted);
        } else {
            TDBGridGxPainter::DataCell(this, column, ACol, ARow, ARect, r, AState, has3D, xFrameOffs, yFrameOffs,
                                       highlighted);
        }
    } else {
        canvas->FillRect(r);
    }

    // The focus frame of a data, footer or empty cell.
    TDBGridGxStyle* style = Style();
    if (dataRow >= 0 && dbDefaultDrawing_ && AState.Contains(gdFocused) && Focused() && !Designing() &&
        !dbOptions_.Contains(dgRowSelect) && !(InplaceEditor() && InplaceEditor()->Visible()) &&
        TDBGridGxPainter::ActiveControl(this) && style && style->DrawFocusRect())
        canvas->DrawFocusRect(r);

    if (has3D) {
        InflateRect(&r, 1, 1);
        if (!themed) DrawCellFrame3DGx(canvas, r, flat_, true, true, highlighted, pressed, false);
    }
    if (firstTitleRow && column && useMultiTitle_) {
        THeadTreeNode* leaf = TitleLeaf(dataCol);
        if (leaf && leaf->Host && leaf->Host != titleRoot_) {
            canvas->Font()->Assign(titleFont_);
            canvas->Brush()->SetColor(highlighted ? titleColor : FixedColor());
            TTitleParentPaintGx p;
            p.Canvas = canvas;
            p.ColLines = dbOptions_.Contains(dgColLines);
            p.RowLines = dbOptions_.Contains(dgRowLines);
            p.Flat = flat_;
            p.Fixed3D = has3D && !themed;
            p.LastFrozenScrolled = ACol == FixedCols() - 1 && LeftCol() > FixedCols();
            p.VertMargin = yFrameOffs;
            p.EndEllipsis = column->Title()->EndEllipsis();
            p.WriteText = [this, canvas](const TRect& R, bool Fill, int DX, int DY, const AnsiString& Text,
                                         TAlignment Alignment, TTextLayout Layout, bool MultiLine, bool EndEllipsis,
                                         int LeftMarg, int RightMarg) {
                WriteCellText(canvas, R, Fill, DX, DY, Text, Alignment, Layout, MultiLine, EndEllipsis, LeftMarg,
                              RightMarg, false);
            };
            p.DrawFrame = [this, canvas](const TRect& R, bool Left, bool Right) {
                DrawCellFrame3DGx(canvas, R, flat_, Left, Right, false, false, false);
            };
            DrawTitleParentsGx(leaf, r, p);
        }
    }
}

void TDBGridGxPainter::Indicator(TCustomDBGridGx* G, int ACol, int ARow, TRect R, TGridDrawState AState,
                                 const TCellTypeGx& CellType, int XFrameOffs) {
    TCanvas* canvas = G->Canvas();
    TColor color = G->FixedColor();
    if (CellType.Vert == ctFiller && G->FooterRowCount() > 0 && !G->OptionsGx().Contains(dghFrozen3D))
        color = G->Color();
    canvas->Brush()->SetColor(color);
    if (!G->DataLinkActive()) {
        canvas->FillRect(R);
        return;
    }
    const int dataRow = ARow - G->TitleOffset();
    bool selected = G->Selection()->SelectionType() == gstAll;
    const bool dataRowShown = CellType.Vert == ctData && dataRow >= 0 && dataRow < G->DataLink()->RecordCount();
    if (dataRowShown && G->Options().Contains(dgMultiSelect)) {
        G->ActivateDrawRow(ARow);
        {
            TScopeGuard restoreDrawRow([&] { G->RestoreDrawRow(); });
            selected = G->SelectedRows()->CurrentRowSelected();
        }
    }
    if (selected) {
        G->GetHighlightColors(ACol, ARow, canvas->Font(), color, true, AState, CellType);
        canvas->Brush()->SetColor(color);
    }
    canvas->FillRect(R);
    const bool current = dataRowShown && dataRow == G->DataLink()->ActiveRecord();
    if (current) G->indicatorRow_ = ARow;
    if (!current && !selected) return;
    int index = 0;
    switch (G->DataLink()->DataSet()->State()) {
        case dsBrowse:
            if (current)
                index = selected ? 5 : (G->IncSearchActive() ? 6 : 0);
            else
                index = -1;
            break;
        case dsEdit: index = 1; break;
        case dsInsert: index = 2; break;
        default: index = 0; break;
    }
    if (index < 0) return;
    TCustomImageList* images = GridIndicatorImages();
    images->Draw(canvas, R.Right - images->Width() - XFrameOffs, (R.Top + R.Bottom - images->Height()) / 2, index,
                 true);
}

void TDBGridGxPainter::Title(TCustomDBGridGx* G, TColumnGx* Column, int ACol, int ARow, TRect& R,
                             TGridDrawState AState, const TCellTypeGx& CellType, int XFrameOffs, int YFrameOffs,
                             bool& Highlighted, bool& Pressed, TColor& TitleColor) {
    TCanvas* canvas = G->Canvas();
    TColumnTitleGx* title = Column->Title();
    const bool themed = G->ThemedFixedCells();
    Pressed = G->titlePressed_ && G->pressedCol_ == ACol;
    AnsiString caption;
    if (G->useMultiTitle_) {
        THeadTreeNode* leaf = G->TitleLeaf(CellType.DataCol);
        caption = leaf ? leaf->Text : title->Caption();
        if (leaf) R.Top = R.Bottom - leaf->Height + 3;
    } else {
        caption = title->Caption();
    }
    TCustomImageList* titleImages = G->TitleImages();
    int imageWidth = 0;
    if (titleImages && title->ImageIndex() != -1) {
        caption.clear();
        imageWidth = titleImages->Width();
    }
    TRect tr = R;
    TSortMarkerGx marker = title->SortMarker();
    TColor color = canvas->Brush()->Color();
    if (Column->Field() && G->OnGetBtnParams) {
        G->OnGetBtnParams(G, Column, canvas->Font(), color, marker, Pressed);
        canvas->Brush()->SetColor(color);
    }
    int pressOffset = 0;
    if (Pressed) {
        pressOffset = (G->useMultiTitle_ || G->TitleHeight() != 0 || G->TitleLines() != 0) ? 2 : 1;
        tr.Top += pressOffset;
    }
    int markerImage = marker == smDownGx ? 0 : (marker == smUpGx ? 1 : -1);
    const bool marked = markerImage >= 0;
    int indexWidth = 0;
    if (marked) {
        tr.Right -= 16;
        if (G->SortMarkedColumns()->Count() > 1) {
            TFont* saved = new TFont();
            saved->Assign(canvas->Font());
            canvas->Font()->Assign(GridSortMarkerFont());
            indexWidth = canvas->TextWidth(IntToStr(title->SortIndex()));
            canvas->Font()->Assign(saved);
            delete saved;
        }
        // Too narrow: first the marker image goes, then the sort index.
        if (tr.Left + imageWidth > tr.Right) {
            tr.Right += 14 - indexWidth;
            markerImage = -1;
        }
        if (tr.Left + imageWidth > tr.Right) {
            tr.Right += indexWidth + 2;
            indexWidth = 0;
        }
    }
    canvas->Font()->Assign(title->Font());
    if (Column->Field() && G->OnGetBtnParams) {
        TColor ignored = canvas->Brush()->Color();
        TSortMarkerGx again = marker;
        G->OnGetBtnParams(G, Column, canvas->Font(), ignored, again, Pressed);
    }
    color = canvas->Brush()->Color();
    const bool selected = G->IsSelectedCell(ACol, ARow, CellType);
    Highlighted = G->GetHighlightColors(ACol, ARow, canvas->Font(), color, selected, AState, CellType);
    canvas->Brush()->SetColor(color);
    TitleColor = color;
    if (!themed && tr.Right < R.Right) canvas->FillRect(TRect(tr.Right, R.Top, R.Right, R.Bottom));

    const bool vertical = title->Orientation() == tohVertical;
    if (G->useMultiTitle_) {
        if (vertical)
            WriteVerticalText(canvas, tr, !themed, XFrameOffs, YFrameOffs + 2, caption, taCenter, tlBottom, false);
        else
            G->WriteCellText(canvas, tr, !themed, XFrameOffs, YFrameOffs, caption, taCenter, tlCenter, true,
                             title->EndEllipsis(), pressOffset, -pressOffset, false);
    } else if (G->TitleHeight() != 0 || G->TitleLines() != 0) {
        if (vertical)
            WriteVerticalText(canvas, tr, !themed, XFrameOffs, YFrameOffs + 2, caption, title->Alignment(), tlBottom,
                              false);
        else
            G->WriteCellText(canvas, tr, !themed, XFrameOffs, YFrameOffs, caption, title->Alignment(), tlCenter, true,
                             title->EndEllipsis(), pressOffset, -pressOffset, false);
    } else {
        if (vertical) {
            WriteVerticalText(canvas, tr, !themed, XFrameOffs, YFrameOffs + 2, caption, title->Alignment(), tlBottom,
                              false);
        } else {
            OffsetRect(&tr, pressOffset, 0);
            G->WriteCellText(canvas, tr, !themed, XFrameOffs, YFrameOffs, caption, title->Alignment(), tlTop, false,
                             title->EndEllipsis(), 0, 0, false);
        }
    }
    if (titleImages && title->ImageIndex() != -1)
        DrawClipped(titleImages, nullptr, canvas, tr, title->ImageIndex(), pressOffset,
                    G->useMultiTitle_ ? taCenter : title->Alignment());
    if (marked) {
        TCustomImageList* markers = GridSortMarkerImages();
        const int x = R.Right - markers->Width() - 2 - indexWidth + pressOffset;
        const int y = (R.Top + R.Bottom - markers->Height()) / 2 + pressOffset;
        if (markerImage >= 0) markers->Draw(canvas, x, y, markerImage, true);
        if (indexWidth != 0) {
            canvas->Font()->Assign(GridSortMarkerFont());
            if (Highlighted) canvas->Font()->SetColor(clWhite);
            if (themed) canvas->Brush()->SetStyle(bsClear);
            canvas->TextOut(R.Right - indexWidth - 2 + pressOffset, y - 1, IntToStr(title->SortIndex()));
            canvas->Brush()->SetStyle(bsSolid);
        }
        canvas->Font()->Assign(G->TitleFont());
        if (Highlighted) canvas->Font()->SetColor(clWhite);
    }
}

void TCustomDBGridGx::DrawTitleCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState,
                                    const TCellTypeGx& CellType, bool& Highlighted) {
    TCanvas* canvas = Canvas();
    const int index = dbOptions_.Contains(dgIndicator) ? ACol - 1 : ACol;
    TColumnGx* column = index >= 0 && index < columns_->Count() ? columns_->Items(index) : nullptr;
    const bool filterCell = IsFilterRow(ARow) && ACol >= indicatorOffset_;
    if (filterCell && column && column->Visible() && column->STFilter()->Visible()) {
        const int buttonWidth = flat_ ? GetDefaultFlatButtonWidth() : GetSystemMetrics(SM_CXVSCROLL);
        const bool dropDown = column->STFilter()->ListSource() != nullptr || recordAccess_ != nullptr;
        TRect textRect = ARect;
        if (dropDown) textRect.Right -= buttonWidth + (flat_ ? 1 : 0);
        canvas->Font()->Assign(Font());
        canvas->Font()->SetColor(clBlue);
        TColor color = LightenColor(FixedColor(), 8);
        const bool selected = IsSelectedCell(ACol, ARow, CellType);
        Highlighted = GetHighlightColors(ACol, ARow, canvas->Font(), color, selected, AState, CellType);
        canvas->Brush()->SetColor(color);
        const AnsiString text = column->FieldName().empty() ? AnsiString() : column->STFilter()->ExpressionText();
        ::WriteCellText(canvas, textRect, true, 0, 0, text, taLeftJustify, column->Layout(), false, false, 0, 0, false);
        if (dropDown) {
            TRect button(textRect.Right, ARect.Top, ARect.Right, std::min(ARect.Bottom, ARect.Top + editButtonHeight_));
            PaintCellButtonGx(canvas, nullptr, color, true, flat_, ThemedFixedCells(), ebsDropDownGx, ARect, button,
                              false);
            if (button.Bottom < ARect.Bottom)
                canvas->FillRect(TRect(button.Left, button.Bottom, ARect.Right, ARect.Bottom));
        }
        return;
    }
    TColor color = ACol < indicatorOffset_ ? FixedColor() : (column ? column->Title()->Color() : FixedColor());
    const bool selected = IsSelectedCell(ACol, ARow, CellType);
    Highlighted = GetHighlightColors(ACol, ARow, canvas->Font(), color, selected, AState, CellType);
    canvas->Brush()->SetColor(color);
    if (!ThemedFixedCells()) canvas->FillRect(ARect);
}

void TDBGridGxPainter::DataCell(TCustomDBGridGx* G, TColumnGx* Column, int ACol, int ARow, const TRect& Cell,
                                TRect& R, TGridDrawState AState, bool Has3D, int XFrameOffs, int YFrameOffs,
                                bool& Highlighted) {
    TCanvas* canvas = G->Canvas();
    TColCellParamsGx* params = G->colCellParams_;
    const int dataCol = ACol - G->IndicatorOffset();
    const int dataRow = ARow - G->TitleOffset();
    TDataSet* dataSet = G->DataLink()->DataSet();
    G->ActivateDrawRow(ARow);
    {
        TScopeGuard restoreDrawRow([&] { G->RestoreDrawRow(); });
        // Row colours stripe only columns without a colour of their own, and need record numbers.
        TColor background = Column->Color();
        TDBGridGxSumList* sums = G->SumList();
        if (background == G->Color() && G->DataLinkActive() &&
            (dataSet->IsSequenced() || (sums->Active() && sums->IsSequenced()))) {
            const int recNo = sums->GetRecNo();
            background = (recNo % 2 != 0) ? G->OddRowColor() : G->EvenRowColor();
        }
        canvas->Brush()->SetColor(background);

        const TRect fullR = R;
        if (G->TreeViewActive() && dataCol == 0) {
            G->DrawDataCellBackground(dataCol, dataRow, R, AState);
            R.Left += G->GetTreeIndent();
        }
        int buttonsWidth = 0;
        if (Column->AlwaysShowEditButton()) {
            buttonsWidth = Column->GetEditButtonsWidth();
            R.Right -= buttonsWidth;
        }

        params->Text = Column->GetDisplayText();
        params->State = AState;
        params->Font = canvas->Font();
        params->Alignment = Column->Alignment();
        params->Background = canvas->Brush()->Color();
        params->ImageIndex = Column->GetImageIndex();
        params->CheckboxState = Column->GetCheckboxState();

        G->GetCellParams(Column, params->Font, params->Background, AState);
        Column->GetColCellParams(false, params);

        TGridDrawState state = AState;
        Highlighted = G->GetDataCellColors(dataCol, dataRow, params->Font, params->Background, AState, params->Text);
        if (Highlighted) state.Include(gdSelected);
        canvas->Brush()->SetColor(params->Background);

        bool duplicateHidden = false;
        if (Column->HideDuplicates() && DuplicateOfPrevious(G, Column, ARow, params->Text)) {
            params->Text.clear();
            params->ImageIndex = -1;
            duplicateHidden = true;
        }

        if (G->DefaultDrawing() && !IsRectEmpty(R)) {
            TRect content = R;
            if (Column->ImageList() && Column->ShowImageAndText()) {
                const TColor keep = canvas->Brush()->Color();
                canvas->Brush()->SetColor(Column->Color());
                canvas->FillRect(content);
                const TRect imageRect(content.Left, content.Top, content.Left + Column->ImageList()->Width() + 4,
                                      content.Bottom);
                DrawClipped(Column->ImageList(), nullptr, canvas, imageRect, params->ImageIndex, 0, taCenter);
                canvas->Brush()->SetColor(keep);
                content.Left = imageRect.Right + 1;
            }
            switch (Column->GetColumnType()) {
                case ctKeyImageList:
                    canvas->FillRect(content);
                    DrawClipped(Column->ImageList(), nullptr, canvas, content, params->ImageIndex, 0, taCenter);
                    break;
                case ctCheckboxes:
                    canvas->FillRect(content);
                    DrawCheckBoxCell(canvas, content, params->CheckboxState, G->Flat());
                    break;
                default:
                    G->WriteCellText(canvas, content, true, XFrameOffs, YFrameOffs, params->Text, params->Alignment,
                                     Column->Layout(), Column->WordWrap() && G->MultiLineRows(), Column->EndEllipsis(),
                                     0, 0, Column->UseRightToLeftReading());
                    break;
            }
        }

        if (Column->AlwaysShowEditButton()) CellButtons(G, Column, TRect(R.Left, R.Top, R.Right + buttonsWidth, R.Bottom), Has3D);

        // A required field left empty in the record being edited.
        TField* field = Column->Field();
        const TDataSetState dsState = dataSet->State();
        if (Column->HighlightRequired() && dataRow == G->savedActiveRecord_ &&
            (dsState == dsEdit || dsState == dsInsert) && field && field->Required() && field->IsNull()) {
            bool draw = true;
            if (Column->OnCheckDrawRequiredState) Column->OnCheckDrawRequiredState(Column, params->Text, draw);
            if (draw) {
                TPen* pen = canvas->Pen();
                const TColor color = pen->Color();
                const TPenStyle style = pen->Style();
                pen->SetColor(0x0000FF);
                pen->SetStyle(psDot);
                canvas->MoveTo(R.Left + 2, R.Bottom - 1);
                canvas->LineTo(R.Right - 3, R.Bottom - 1);
                pen->SetColor(color);
                pen->SetStyle(style);
            }
        }

        if (G->Columns()->State() == csDefault) G->DrawDataCell(R, field, state);
        G->DrawColumnCell(R, dataCol, Column, state);

        if (G->IncSearchActive() && state.Contains(gdSelected) && dataRow == G->savedActiveRecord_ &&
            dataCol == G->SelectedIndex() && (G->Options().Contains(dgAlwaysShowSelection) || G->Focused()) &&
            !G->Designing() && !(G->InplaceEditor() && G->InplaceEditor()->Visible()) && ActiveControl(G))
            IncSearchText(G, Column, R, XFrameOffs, YFrameOffs);

        if (duplicateHidden && G->Options().Contains(dgRowLines)) {
            TPen* pen = canvas->Pen();
            const TColor color = pen->Color();
            pen->SetColor(Column->Color());
            canvas->MoveTo(Cell.Left, Cell.Top - 1);
            canvas->LineTo(Cell.Right, Cell.Top - 1);
            pen->SetColor(color);
        }
        if (Column->AlwaysShowEditButton() && G->Flat()) R.Right = fullR.Right;
    }
}

bool TDBGridGxPainter::DuplicateOfPrevious(TCustomDBGridGx* G, TColumnGx* Column, int ARow, const AnsiString& Text) {
    const int dataRow = ARow - G->TitleOffset();
    if (dataRow <= 0) return false;
    TDataLink* link = G->DataLink();
    TColCellParamsGx* shared = SharedColCellParams();
    TFont font;
    font.Assign(Column->Font());
    link->SetActiveRecord(dataRow - 1);
    TScopeGuard releaseFont([&] { shared->Font = nullptr; });
    {
        TScopeGuard restoreRecord([&] { link->SetActiveRecord(dataRow); });
        shared->Col = G->DataToRawColumn(Column->Index());
        shared->Row = ARow - 1;
        shared->Font = &font;
        shared->Text = Column->GetDisplayText();
        shared->Alignment = Column->Alignment();
        shared->Background = Column->Color();
        shared->ImageIndex = Column->GetImageIndex();
        shared->CheckboxState = Column->GetCheckboxState();
        shared->State = TGridDrawState();
        G->GetCellParams(Column, shared->Font, shared->Background, shared->State);
        Column->GetColCellParams(false, shared);
    }
    return shared->Text == Text;
}

void TDBGridGxPainter::IncSearchText(TCustomDBGridGx* G, TColumnGx* Column, const TRect& R, int XFrameOffs,
                                     int YFrameOffs) {
    TCanvas* canvas = G->Canvas();
    const AnsiString& typed = G->IncSearchText();
    const AnsiString full = G->colCellParams_->Text;
    TRect r = R;
    r.Left += XFrameOffs;
    r.Right -= XFrameOffs;
    r.Top += YFrameOffs;
    r.Bottom -= YFrameOffs;
    if (XFrameOffs > 0) ++r.Bottom;
    TAlignment alignment = G->colCellParams_->Alignment;
    UINT flags = kAlignFlagsGx[alignment];
    if (Column->WordWrap() && G->MultiLineRows()) {
        flags |= DT_WORDBREAK;
        if (Column->UseRightToLeftReading()) flags |= DT_RTLREADING;
    }
    DRAWTEXTPARAMS dtp;
    if (alignment != taLeftJustify && full.size() >= typed.size())
        dtp.iRightMargin = canvas->TextWidth(full.substr(typed.size()));
    const TColor brush = canvas->Brush()->Color();
    const TColor font = canvas->Font()->Color();
    const TDBGridGxUnitSettings& settings = DBGridGxSettings();
    canvas->Brush()->SetColor(settings.IncSearchColor);
    canvas->Font()->SetColor(settings.IncSearchTextColor);
    HDC dc = CanvasDC(canvas);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(settings.IncSearchColor)));
    DrawTextEx(dc, typed.c_str(), static_cast<int>(typed.size()), &r, flags, &dtp);
    canvas->Brush()->SetColor(brush);
    canvas->Font()->SetColor(font);
}

void TDBGridGxPainter::CellButtons(TCustomDBGridGx* G, TColumnGx* Column, TRect R, bool Has3D) {
    // R: the cell's text rectangle with the buttons' room still in it.
    TCanvas* canvas = G->Canvas();
    const bool flat = G->Flat();
    const int buttonWidth = G->editButtonWidth_ + (flat ? 1 : 0);
    const int buttonHeight = G->EditButtonHeight();
    const TColor background = canvas->Brush()->Color();
    const bool enabled = G->DataLink()->Active();
    int left = R.Right - Column->GetEditButtonsWidth();
    auto paint = [&](TEditButtonStyleGx style, TBitmap* glyph, int width, int shift) {
        TRect button(left + shift, R.Top - shift, left + width + shift, R.Top + buttonHeight - shift);
        if (flat && Has3D) canvas->FillRect(TRect(button.Left - 1, R.Top, button.Left, R.Bottom));
        PaintCellButtonGx(canvas, glyph, background, enabled, flat, G->ThemedFixedCells(), style, R, button, false);
        left += width;
    };
    const TEditStyleGx editStyle = GetColumnEditStyle(Column);
    if (editStyle != esSimpleGx) paint(ButtonStyleOf(editStyle), nullptr, buttonWidth, Has3D ? 1 : 0);
    for (int i = 0; i < Column->EditButtons()->Count(); ++i) {
        TEditButtonGx* b = Column->EditButtons()->Items(i);
        if (!b->Visible()) continue;
        paint(b->Style(), b->GetGlyph(), b->Width() > 0 ? b->Width() + (flat ? 1 : 0) : buttonWidth, 0);
    }
    if (buttonHeight < G->DefaultRowHeight()) {
        const int start = R.Right - Column->GetEditButtonsWidth();
        canvas->FillRect(TRect(start, R.Top + buttonHeight, R.Right, R.Bottom));
    }
}

void TDBGridGxPainter::Footer(TCustomDBGridGx* G, TColumnGx* Column, int ACol, int ARow, TRect& R,
                              TGridDrawState AState, const TCellTypeGx& CellType, bool Has3D, int XFrameOffs,
                              int YFrameOffs, bool& Highlighted) {
    TCanvas* canvas = G->Canvas();
    const bool themed = G->ThemedFixedCells();
    const int dataCol = ACol - G->IndicatorOffset();
    if (G->FooterRowCount() > 0 && CellType.Vert == ctFooter) {
        const int footerRow = CellType.Index;
        TColumnFooterGx* footer = Column->UsedFooter(footerRow);
        canvas->Font()->Assign(footer->Font());
        canvas->Brush()->SetColor(footer->Color());
        if (G->DefaultDrawing()) {
            TColor background = canvas->Brush()->Color();
            TAlignment alignment = footer->Alignment();
            AnsiString text = G->GetFooterValue(footerRow, Column);
            if (G->OnGetFooterParams)
                G->OnGetFooterParams(G, dataCol, footerRow, Column, canvas->Font(), background, alignment, AState, text);
            const bool selected = G->IsSelectedCell(ACol, ARow, CellType);
            Highlighted = G->GetHighlightColors(ACol, ARow, canvas->Font(), background, selected, AState, CellType);
            canvas->Brush()->SetColor(background);
            const bool fill = !(background == clBtnFace && Has3D && themed);
            G->WriteCellText(canvas, R, fill, XFrameOffs, YFrameOffs, text, alignment, Column->Layout(),
                             footer->WordWrap() && G->MultiLineRows(), footer->EndEllipsis(), 0, 0, false);
        }
        if (G->OnDrawFooterCell) G->OnDrawFooterCell(G, dataCol, footerRow, Column, R, AState);
        return;
    }
    TColor color = canvas->Brush()->Color();
    const bool selected = G->IsSelectedCell(ACol, ARow, CellType);
    Highlighted = G->GetHighlightColors(ACol, ARow, canvas->Font(), color, selected, AState, CellType);
    canvas->Brush()->SetColor(color);
    canvas->FillRect(R);
}

// ---------------------------------------------------------------------------
// Content of a data cell for owners that draw cells themselves

void TCustomDBGridGx::DefaultDrawColumnCell(const TRect& Rect, int, TColumnGx* Column, TGridDrawState) {
    if (!Column) return;
    TCanvas* canvas = Canvas();
    TRect r = Rect;
    int margin = 2;
    if (optionsGx_.Contains(dghFooter3D)) {
        InflateRect(&r, -1, -1);
        margin = 1;
    }
    const int vertMargin = flat_ ? margin - 1 : margin;
    switch (Column->GetColumnType()) {
        case ctKeyImageList: {
            canvas->FillRect(r);
            TField* field = Column->Field();
            int index = Column->NotInKeyListIndex();
            if (field) {
                int k = Column->KeyList()->IndexOf(field->Text());
                if (k >= 0) index = k;
            }
            DrawClipped(Column->ImageList(), nullptr, canvas, r, index, 0, taCenter);
            break;
        }
        case ctCheckboxes:
            canvas->FillRect(r);
            DrawCheckBoxCell(canvas, r, Column->GetCheckboxState(), flat_);
            break;
        default:
            ::WriteCellText(canvas, r, true, margin, vertMargin, Column->GetDisplayText(), Column->Alignment(),
                            Column->Layout(), Column->WordWrap() && multiLineRows_, Column->EndEllipsis(), 0, 0,
                            Column->UseRightToLeftReading());
            break;
    }
}

void TCustomDBGridGx::WriteCellText(TCanvas* ACanvas, TRect ARect, bool FillRect, int DX, int DY,
                                    const AnsiString& Text, TAlignment Alignment, TTextLayout Layout, bool MultiLine,
                                    bool EndEllipsis, int LeftMarg, int RightMarg, bool RightToLeft) {
    if (!RightToLeft && !UseRightToLeftAlignment()) {
        ::WriteCellText(ACanvas, ARect, FillRect, DX, DY, Text, Alignment, Layout, MultiLine, EndEllipsis, LeftMarg,
                        RightMarg, RightToLeft);
        return;
    }
    // Mirrored around the cell, with left and right alignment exchanged.
    HDC dc = CanvasDC(ACanvas);
    const int saved = SaveDC(dc);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowOrgEx(dc, ARect.Left + ARect.Right, 0, nullptr);
    SetWindowExtEx(dc, -1, 1, nullptr);
    SetViewportExtEx(dc, 1, 1, nullptr);
    if (Alignment == taLeftJustify)
        Alignment = taRightJustify;
    else if (Alignment == taRightJustify)
        Alignment = taLeftJustify;
    {
        TScopeGuard restoreDC([&] { RestoreDC(dc, saved); });
        ::WriteCellText(ACanvas, ARect, FillRect, DX, DY, Text, Alignment, Layout, MultiLine, EndEllipsis, LeftMarg,
                        RightMarg, RightToLeft);
    }
}

// ---------------------------------------------------------------------------
// Colours

bool TCustomDBGridGx::GetDataCellColors(int DataCol, int DataRow, TFont* AFont, TColor& AColor,
                                        TGridDrawState State, const AnsiString& Text) {
    TDataCellColorInfoGx cell;
    cell.ACol = DataCol + indicatorOffset_;
    cell.ARow = DataRow + titleOffset_;
    cell.DataCol = DataCol;
    cell.DataRow = DataRow;
    cell.State = State;
    cell.Text = Text;
    cell.DataLinkActive = DataLinkActive();
    if (cell.DataLinkActive && selection_->SelectionType() != gstNon)
        cell.Selected = selection_->DataCellSelected(DataCol, dataLink_->DataSet()->Bookmark());
    cell.Focused = Focused();
    cell.GridOrEditorFocused = GridOrEditorFocused();
    cell.CurrentRow = cell.ARow == Row();
    cell.CurrentCol = cell.ACol == Col();
    cell.SelectionEmpty = selection_->SelectionType() == gstNon;
    cell.RowSelect = dbOptions_.Contains(dgRowSelect);
    cell.AlwaysShowSelection = dbOptions_.Contains(dgAlwaysShowSelection);
    cell.HighlightFocus = optionsGx_.Contains(dghHighlightFocus);
    cell.RowHighlight = optionsGx_.Contains(dghRowHighlight);
    cell.EditorShowing = InplaceEditor() && InplaceEditor()->Visible();
    cell.DC = Canvas()->HandleAllocated() ? Canvas()->Handle() : nullptr;
    if (TDBGridGxStyle* style = Style()) return style->GetCellColors(this, cell, AFont, AColor);
    return DefaultDataCellColorsGx(cell, AFont, AColor);
}

bool TCustomDBGridGx::GetHighlightColors(int ACol, int ARow, TFont* AFont, TColor& AColor, bool Selected,
                                         TGridDrawState State, const TCellTypeGx& CellType) {
    THighlightCellInfoGx cell;
    cell.ACol = ACol;
    cell.ARow = ARow;
    cell.DataCol = CellType.DataCol;
    cell.DataRow = ARow - titleOffset_;
    cell.State = State;
    cell.Selected = Selected;
    cell.Focused = Focused();
    cell.IndicatorColumn = CellType.Horz == ctIndicator;
    cell.TitleArea = CellType.Vert == ctTitle || CellType.Vert == ctFilter;
    cell.RowAfterData = CellType.Vert == ctFiller;
    if (TDBGridGxStyle* style = Style()) return style->GetHighlightColors(this, cell, AFont, AColor);
    return DefaultHighlightColorsGx(cell, AFont, AColor);
}

void TCustomDBGridGx::GetCellParams(TColumnGx* Column, TFont* AFont, TColor& Background, TGridDrawState State) {
    if (OnGetCellParams) OnGetCellParams(this, Column, AFont, Background, State);
}

// ---------------------------------------------------------------------------
// The title tree

THeadTreeNode* TCustomDBGridGx::TitleLeaf(int Index) const {
    return Index >= 0 && Index < static_cast<int>(titleLeaves_.size()) ? titleLeaves_[static_cast<size_t>(Index)]
                                                                       : nullptr;
}

namespace {

// Gives every node below N its height (the caption wrapped to the node's
// width, plus the margin; the cell of a parent sits above its children, a leaf
// reaches down to the row's bottom) and answers the tree's height.
int MeasureTitleNodes(THeadTreeNode* N, HDC DC, TFont*& Last, int Margin) {
    struct TChild {
        THeadTreeNode* Node;
        int Below;
    };
    std::vector<TChild> children;
    int height = 0;
    THeadTreeNode* c = N->Child;
    if (!c) return 0;
    do {
        TFont* font = c->Column ? c->Column->Title()->Font() : Last;
        if (c->Column) Last = font;
        int own = 0;
        if (c->Width >= 1) {
            const AnsiString text = c->Text.empty() ? AnsiString(" ") : c->Text;
            HGDIOBJ old = SelectObject(DC, font->Handle());
            if (c->Column && c->Column->Title()->Orientation() == tohVertical) {
                TSize size;
                GetTextExtentPoint32(DC, text.c_str(), static_cast<int>(text.size()), &size);
                own = size.cx + 6;
            } else {
                TRect r(0, 0, std::max(1, c->Width - 4 - c->LineWidth - c->SortMarkerWidth), 0);
                own = DrawText(DC, text.c_str(), static_cast<int>(text.size()), &r,
                               DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS) +
                      Margin;
            }
            SelectObject(DC, old);
        }
        const int below = c->Child ? MeasureTitleNodes(c, DC, Last, Margin) : 0;
        height = std::max(height, own + below);
        children.push_back({c, below});
        c = c->Next;
    } while (c != N->Child);
    for (const TChild& k : children) k.Node->Height = k.Node->Child ? height - k.Below : height;
    N->Height = height;
    return height;
}

}  // namespace

int TCustomDBGridGx::MeasureMultiTitleHeight(HDC DC) {
    if (!titleRoot_) return 0;
    std::vector<TMultiTitleColumnGx> columns;
    for (int i = 0; i < columns_->Count(); ++i) {
        TColumnGx* c = columns_->Items(i);
        TMultiTitleColumnGx m;
        m.Column = c;
        m.Caption = c->Title()->Caption();
        m.Visible = c->Visible();
        m.Width = c->Width();
        m.SortMarked = c->Title()->SortMarker() != smNoneGx;
        columns.push_back(m);
    }
    CreateMultiTitleTree(titleRoot_, columns, RowHeights(0), dbOptions_.Contains(dgColLines), titleLeaves_);
    TFont* last = titleFont_;
    const int tree = MeasureTitleNodes(titleRoot_, DC, last, vTitleMargin_);
    return tree - (optionsGx_.Contains(dghFixed3D) ? 1 : 3);
}

void TCustomDBGridGx::SetIncSearch(bool Active, const AnsiString& Text) {
    if (Active == incSearching_ && Text == incSearchText_) return;
    incSearching_ = Active;
    incSearchText_ = Active ? Text : AnsiString();
    if (HandleAllocated()) InvalidateCell(Col(), Row());
}
