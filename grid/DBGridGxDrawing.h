#pragma once
// The grid's free drawing routines: cell text (aligned, laid out, wrapped,
// cut with an ellipsis), text turned by 90 degrees for vertical titles,
// images clipped to a cell, measuring, lightening a colour, the indicator and
// sort-marker images, and small geometry and integer helpers. They take a
// canvas and plain values and know nothing of grids.
#include <vector>

#include "platform/db/DB.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Grids.h"
#include "platform/gui/StdCtrls.h"  // TTextLayout
#include "platform/gui/WinApi.h"

// DrawText flags of each alignment (tabs expanded, '&' shown as is).
constexpr UINT kAlignFlagsGx[3] = {DT_LEFT | DT_EXPANDTABS | DT_NOPREFIX, DT_RIGHT | DT_EXPANDTABS | DT_NOPREFIX,
                                   DT_CENTER | DT_EXPANDTABS | DT_NOPREFIX};

// The canvas's context with its font, pen and brush in force, for direct
// drawing calls (the canvas's own handle selects them).
HDC CanvasDC(TCanvas* ACanvas);

void WriteCellText(TCanvas* ACanvas, TRect ARect, bool FillRect, int DX, int DY, AnsiString Text,
                   TAlignment Alignment, TTextLayout Layout, bool MultiLine, bool EndEllipsis, int LeftMarg,
                   int RightMarg, bool RightToLeft);

// Draws Text running upwards; answers its length along the turned axis (text
// width plus the italic overhang). CalcOnly measures and draws nothing.
int WriteVerticalText(TCanvas* ACanvas, TRect ARect, bool FillRect, int DX, int DY, const AnsiString& Text,
                      TAlignment Alignment, TTextLayout Layout, bool CalcOnly);

// S, or its head followed by "..." short enough for MaxWidth ("..." alone at least).
void EllipsisText(const AnsiString& S, TCanvas* ACanvas, int MaxWidth, AnsiString& Result);
inline AnsiString EllipsisText(const AnsiString& S, TCanvas* ACanvas, int MaxWidth) {
    AnsiString result;
    EllipsisText(S, ACanvas, MaxWidth, result);
    return result;
}

// The width DrawText gives the text, italic overhang included.
int TextWidthByDrawText(TCanvas* ACanvas, const AnsiString& Text);

// A font like AFont turned by 90 degrees (text running upwards).
HFONT CreateRotatedFont(TFont* AFont);

// Draws image Index of ImageList (or Graphic when ImageList is nullptr) centred
// vertically in ARect, clipped to it when larger.
void DrawClipped(TCustomImageList* ImageList, TGraphic* Graphic, TCanvas* ACanvas, const TRect& ARect, int Index,
                 int DX, TAlignment Alignment);

// Measures Text as DrawText lays it out in ARect less the margins; true when it does not fit.
bool TextExceedsRect(UINT Flags, TCanvas* ACanvas, int HorzMargin, const TRect& ARect, bool MultiLine,
                     int& TextWidth, int& TextHeight, const AnsiString& Text, int VertMargin);

// Each channel c becomes min(255, c + trunc(c / Factor)).
TColor LightenColor(TColor AColor, double Factor);

// ---------------------------------------------------------------------------
// Images shared by every grid.

// The incremental-search colour the seventh indicator image starts with.
constexpr TColor kDefaultIncSearchColorGx = 0x00FFFF;

// Builds the indicator and sort-marker image lists and the sort-marker font;
// called again, it only redraws indicator image 6 in the search colour.
void InitGridImages(TColor IncSearchColor = kDefaultIncSearchColorGx);
// Indicator images: 0 current row, 1 editing, 2 inserting, 3 selected dot,
// 4 selected arrow, 5 outlined arrow, 6 the outlined arrow in the search colour.
TCustomImageList* GridIndicatorImages();
// Sort markers: 0 down, 1 up.
TCustomImageList* GridSortMarkerImages();
// "Arial", one pixel lower than the sort-marker image.
TFont* GridSortMarkerFont();

// The drawing bitmap every grid shares while at least one exists; it only grows.
void AcquireGridDrawBitmap();
void ReleaseGridDrawBitmap();
int GridDrawBitmapUsers();

// ---------------------------------------------------------------------------
// Small routines.

bool FieldsCanModify(const std::vector<TField*>& Fields);
void MakeGridRect(TGridRect& Rect, int Left, int Top, int Right, int Bottom);
[[noreturn]] void RaiseGridError(const AnsiString& Message);
// Invalidates every cell of one row.
void GridInvalidateRow(TCustomGrid* Grid, int Row);
// Takes one pending message of the kind for the window off the queue; a
// WM_QUIT taken this way is posted again.
void KillMessage(HWND Wnd, UINT Msg);
inline int IntMax(int A, int B) { return A > B ? A : B; }
inline int IntMin(int A, int B) { return A < B ? A : B; }
inline int IfThenInt(bool Condition, int TrueValue, int FalseValue) { return Condition ? TrueValue : FalseValue; }
// Exchanges width and height, keeping the top-left corner.
void TransposeRectSize(TRect& Rect);
// Edges included.
bool PointInRectGx(TPoint P, const TRect& R);
inline void SwapInt(int& A, int& B) {
    int t = A;
    A = B;
    B = t;
}
