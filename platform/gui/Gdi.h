#pragma once
// The Win32 drawing calls, over our device contexts. Text is bytes of the
// active code page. Coordinates are logical unless a call says otherwise.
#include "platform/gui/GdiDevice.h"
#include "platform/rtl/CodePage.h"

// ---- Device contexts ----
// A memory context compatible with dc (dc may be nullptr); a 1 x 1 bitmap is selected.
HDC CreateCompatibleDC(HDC dc);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A context for measuring text, without pixels of its own (what GetDC(0) gives).
HDC CreateScreenDC();
bool DeleteDC(HDC dc);
// 1-based depth of the saved state; RestoreDC takes it, or -1 for the last one.
int SaveDC(HDC dc);
bool RestoreDC(HDC dc, int savedDC);

// ---- Objects ----
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
bool DeleteObject(HGDIOBJ object);
HGDIOBJ GetStockObject(int index);
HGDIOBJ GetCurrentObject(HDC dc, UINT objectType);
UINT GetObjectType(HGDIOBJ object);
// Fills a LOGFONT (font) or BITMAP (bitmap); returns the bytes written, 0 on failure.
int GetObject(HGDIOBJ object, int size, void* buffer);
bool UnrealizeObject(HGDIOBJ object);

HFONT CreateFontIndirect(const LOGFONT* lf);
HPEN CreatePen(int style, int width, COLORREF color);
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);

// ---- Colours, modes and device facts ----
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
int SetROP2(HDC dc, int mode);
int GetROP2(HDC dc);
int SetTextCharacterExtra(HDC dc, int extra);
int GetTextCharacterExtra(HDC dc);
// Every colour is pure on a true-colour device.
COLORREF GetNearestColor(HDC dc, COLORREF color);
// 96 dpi, 32 bits, NUMCOLORS -1 (more than 256 colours).
int GetDeviceCaps(HDC dc, int index);
// The fixed system palette (classic desktop colours).
COLORREF GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);

// ---- Text ----
bool GetTextMetrics(HDC dc, TEXTMETRIC* tm);
// Returns the size of the record filled, 0 on failure.
UINT GetOutlineTextMetrics(HDC dc, UINT size, OUTLINETEXTMETRIC* otm);
bool GetCharABCWidths(HDC dc, UINT first, UINT last, ABC* widths);
bool GetTextExtentPoint32(HDC dc, const char* text, int length, TSize* size);
// Never GCP_DBCS: the code pages we run on are single-byte.
DWORD GetFontLanguageInfo(HDC dc);
bool TextOut(HDC dc, int x, int y, const char* text, int length);
// ETO_OPAQUE fills rect with the background colour, ETO_CLIPPED clips to it;
// dx, when given, is the advance after each byte.
bool ExtTextOut(HDC dc, int x, int y, UINT options, const TRect* rect, const char* text, UINT length,
                const int* dx);
// Returns the height of the text (from rect's top to the text's bottom with
// DT_VCENTER or DT_BOTTOM); DT_CALCRECT sizes rect without drawing. A length of
// -1 means up to the terminating zero.
int DrawText(HDC dc, const char* text, int length, TRect* rect, UINT format);
int DrawTextEx(HDC dc, const char* text, int length, TRect* rect, UINT format, DRAWTEXTPARAMS* params);

// ---- Lines and shapes ----
bool MoveToEx(HDC dc, int x, int y, TPoint* old);
bool LineTo(HDC dc, int x, int y);
bool Polyline(HDC dc, const TPoint* points, int count);
bool PolyPolyline(HDC dc, const TPoint* points, const DWORD* counts, DWORD lines);
bool Polygon(HDC dc, const TPoint* points, int count);
bool Rectangle(HDC dc, int left, int top, int right, int bottom);
bool Ellipse(HDC dc, int left, int top, int right, int bottom);
int FillRect(HDC dc, const TRect* rect, HBRUSH brush);
int FrameRect(HDC dc, const TRect* rect, HBRUSH brush);
bool InvertRect(HDC dc, const TRect* rect);
bool PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
bool FillRgn(HDC dc, HRGN region, HBRUSH brush);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC dc, int x, int y);
// A dotted frame inverted onto the pixels: drawing it twice leaves them as they were.
bool DrawFocusRect(HDC dc, const TRect* rect);
// 3-D borders; BF_ADJUST shrinks rect to the area inside them.
bool DrawEdge(HDC dc, TRect* rect, UINT edge, UINT flags);
// Buttons, check boxes, radio buttons and scroll arrows of the classic desktop.
bool DrawFrameControl(HDC dc, TRect* rect, UINT type, UINT state);

// ---- Blitting ----
bool BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
bool StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop);

// ---- Mapping ----
int SetMapMode(HDC dc, int mode);
int GetMapMode(HDC dc);
bool SetWindowOrgEx(HDC dc, int x, int y, TPoint* old);
bool GetWindowOrgEx(HDC dc, TPoint* origin);
bool SetWindowExtEx(HDC dc, int cx, int cy, TSize* old);
bool GetWindowExtEx(HDC dc, TSize* extent);
bool SetViewportOrgEx(HDC dc, int x, int y, TPoint* old);
bool GetViewportOrgEx(HDC dc, TPoint* origin);
bool OffsetViewportOrgEx(HDC dc, int dx, int dy, TPoint* old);
bool SetViewportExtEx(HDC dc, int cx, int cy, TSize* old);
bool GetViewportExtEx(HDC dc, TSize* extent);
bool LPtoDP(HDC dc, TPoint* points, int count);
bool DPtoLP(HDC dc, TPoint* points, int count);

// ---- Regions (coordinates as given; as a clip they are device coordinates) ----
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const TRect* rect);
HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode);
int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN region, int dx, int dy);
int GetRgnBox(HRGN region, TRect* box);
bool SetRectRgn(HRGN region, int left, int top, int right, int bottom);
bool PtInRegion(HRGN region, int x, int y);
bool RectInRegion(HRGN region, const TRect* rect);
bool EqualRgn(HRGN a, HRGN b);

// ---- Clipping ----
// A copy of region becomes the clip (nullptr removes it); returns the region kind.
int SelectClipRgn(HDC dc, HRGN region);
int ExtSelectClipRgn(HDC dc, HRGN region, int mode);
// 1 and a copy of the clip in region when the context has one, 0 when it has none.
int GetClipRgn(HDC dc, HRGN region);
// The bounds of the visible clipped area, in logical coordinates.
int GetClipBox(HDC dc, TRect* rect);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
bool RectVisible(HDC dc, const TRect* rect);
bool PtVisible(HDC dc, int x, int y);

// ---- Our pictures and cursors, found by name in any letter case ----
// A new bitmap with a copy of the named picture, or nullptr when there is none.
HBITMAP LoadBitmap(HINSTANCE instance, const char* name);
// OBM_CHECKBOXES: the sheet of classic check boxes (4 x 3 boxes of 13 x 13).
HBITMAP LoadBitmap(HINSTANCE instance, int id);

struct TCursorResource {
    HBITMAP Image = nullptr;  // with alpha: see-through where the cursor shows nothing
    TPoint HotSpot;
    int StandardShape = -1;   // a standard desktop cursor (Qt::CursorShape) instead of a picture
};
// The named cursor (shared, never freed), or nullptr when there is none.
HCURSOR LoadCursor(HINSTANCE instance, const char* name);
