#pragma once
// Points, rectangles and the handles, records and constants of the drawing
// calls. Rectangles are half-open: Right and Bottom lie just outside.
#include <cstdint>

#include "platform/gui/Messages.h"

struct TPoint {
    int X = 0;
    int Y = 0;
    constexpr TPoint() = default;
    constexpr TPoint(int x, int y) : X(x), Y(y) {}
    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    constexpr TSize() = default;
    constexpr TSize(int w, int h) : cx(w), cy(h) {}
    friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
    constexpr TRect(TPoint topLeft, TPoint bottomRight)
        : Left(topLeft.X), Top(topLeft.Y), Right(bottomRight.X), Bottom(bottomRight.Y) {}
    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr TPoint TopLeft() const { return {Left, Top}; }
    constexpr TPoint BottomRight() const { return {Right, Bottom}; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

constexpr TPoint Point(int X, int Y) { return {X, Y}; }
constexpr TRect Rect(int Left, int Top, int Right, int Bottom) { return {Left, Top, Right, Bottom}; }
constexpr TRect Bounds(int Left, int Top, int Width, int Height) { return {Left, Top, Left + Width, Top + Height}; }

// The Win32 rectangle helpers.
constexpr bool IsRectEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }
inline void SetRect(TRect* r, int l, int t, int rt, int b) { *r = TRect(l, t, rt, b); }
inline void SetRectEmpty(TRect* r) { *r = TRect(); }
inline void InflateRect(TRect* r, int dx, int dy) { r->Left -= dx; r->Top -= dy; r->Right += dx; r->Bottom += dy; }
inline void OffsetRect(TRect* r, int dx, int dy) { r->Left += dx; r->Top += dy; r->Right += dx; r->Bottom += dy; }
constexpr bool PtInRect(const TRect& r, TPoint p) { return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom; }
constexpr bool EqualRect(const TRect& a, const TRect& b) { return a == b; }
// False (and an empty result) when the two do not overlap.
inline bool IntersectRect(TRect* dst, const TRect& a, const TRect& b) {
    TRect r(a.Left > b.Left ? a.Left : b.Left, a.Top > b.Top ? a.Top : b.Top,
            a.Right < b.Right ? a.Right : b.Right, a.Bottom < b.Bottom ? a.Bottom : b.Bottom);
    if (IsRectEmpty(r)) r = TRect();
    *dst = r;
    return !IsRectEmpty(r);
}
// An empty rectangle does not widen the union.
inline bool UnionRect(TRect* dst, const TRect& a, const TRect& b) {
    if (IsRectEmpty(a)) {
        *dst = IsRectEmpty(b) ? TRect() : b;
    } else if (IsRectEmpty(b)) {
        *dst = a;
    } else {
        *dst = TRect(a.Left < b.Left ? a.Left : b.Left, a.Top < b.Top ? a.Top : b.Top,
                     a.Right > b.Right ? a.Right : b.Right, a.Bottom > b.Bottom ? a.Bottom : b.Bottom);
    }
    return !IsRectEmpty(*dst);
}

// 0x00BBGGRR as the drawing calls take it.
using COLORREF = uint32_t;
constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Handles of drawing objects: our own objects (GdiDevice.h), reference-counted
// so that an object still selected into a device context outlives DeleteObject.
class TGdiObject;
class TGdiFont;
class TGdiPen;
class TGdiBrush;
class TGdiBitmap;
class TGdiRegion;
class TDeviceContext;
struct TCursorResource;
using HGDIOBJ = TGdiObject*;
using HFONT = TGdiFont*;
using HPEN = TGdiPen*;
using HBRUSH = TGdiBrush*;
using HBITMAP = TGdiBitmap*;
using HRGN = TGdiRegion*;
using HDC = TDeviceContext*;
using HCURSOR = const TCursorResource*;
// The program module; resources are ours, so any value finds them.
using HINSTANCE = void*;

// Font description; 60 bytes like its Win32 namesake, so that it can be compared
// byte for byte.
constexpr int LF_FACESIZE = 32;
struct LOGFONT {
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};
static_assert(sizeof(LOGFONT) == 60, "LOGFONT is compared byte for byte");

struct TEXTMETRIC {
    int32_t tmHeight = 0;
    int32_t tmAscent = 0;
    int32_t tmDescent = 0;
    int32_t tmInternalLeading = 0;
    int32_t tmExternalLeading = 0;
    int32_t tmAveCharWidth = 0;
    int32_t tmMaxCharWidth = 0;
    int32_t tmWeight = 0;
    int32_t tmOverhang = 0;
    int32_t tmDigitizedAspectX = 96;
    int32_t tmDigitizedAspectY = 96;
    uint8_t tmFirstChar = 0x20;
    uint8_t tmLastChar = 0xFF;
    uint8_t tmDefaultChar = 0x1F;
    uint8_t tmBreakChar = 0x20;
    uint8_t tmItalic = 0;
    uint8_t tmUnderlined = 0;
    uint8_t tmStruckOut = 0;
    uint8_t tmPitchAndFamily = 0;
    uint8_t tmCharSet = 0;
};

struct ABC {
    int abcA = 0;
    unsigned abcB = 0;
    int abcC = 0;
};

struct OUTLINETEXTMETRIC {
    UINT otmSize = sizeof(OUTLINETEXTMETRIC);
    TEXTMETRIC otmTextMetrics;
    UINT otmfsSelection = 0;    // bit 0 italic, 5 bold
    int otmsCharSlopeRise = 1;  // the italic slope: Run horizontal per Rise vertical
    int otmsCharSlopeRun = 0;
    int otmItalicAngle = 0;  // tenths of a degree, negative leaning right
    UINT otmEMSquare = 0;
    int otmAscent = 0;
    int otmDescent = 0;
    UINT otmLineGap = 0;
    UINT otmsCapEmHeight = 0;
    UINT otmsXHeight = 0;
    TRect otmrcFontBox;
    int otmsUnderscoreSize = 0;
    int otmsUnderscorePosition = 0;
    UINT otmsStrikeoutSize = 0;
    int otmsStrikeoutPosition = 0;
};

struct DRAWTEXTPARAMS {
    UINT cbSize = sizeof(DRAWTEXTPARAMS);
    int iTabLength = 0;  // in average character widths
    int iLeftMargin = 0;
    int iRightMargin = 0;
    UINT uiLengthDrawn = 0;
};

struct LOGBRUSH {
    UINT lbStyle = 0;
    COLORREF lbColor = 0;
    uintptr_t lbHatch = 0;
};

struct BITMAP {
    int bmType = 0;
    int bmWidth = 0;
    int bmHeight = 0;
    int bmWidthBytes = 0;
    WORD bmPlanes = 1;
    WORD bmBitsPixel = 32;
    void* bmBits = nullptr;
};

// DrawText and DrawTextEx.
enum : UINT {
    DT_TOP = 0x0,
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_TABSTOP = 0x80,
    DT_NOCLIP = 0x100,
    DT_EXTERNALLEADING = 0x200,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
    DT_INTERNAL = 0x1000,
    DT_EDITCONTROL = 0x2000,
    DT_PATH_ELLIPSIS = 0x4000,
    DT_END_ELLIPSIS = 0x8000,
    DT_MODIFYSTRING = 0x10000,
    DT_RTLREADING = 0x20000,
    DT_WORD_ELLIPSIS = 0x40000,
    DT_HIDEPREFIX = 0x100000,
};

// ExtTextOut options.
enum : UINT { ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4 };

// Background modes.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };

// Mapping modes.
enum : int { MM_TEXT = 1, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8 };

// Region combination modes and region kinds.
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum : int { RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
// Polygon fill modes.
enum : int { ALTERNATE = 1, WINDING = 2 };

// Raster operations of the blitting calls.
enum : DWORD {
    SRCCOPY = 0x00CC0020,
    SRCPAINT = 0x00EE0086,
    SRCAND = 0x008800C6,
    SRCINVERT = 0x00660046,
    NOTSRCCOPY = 0x00330008,
    DSTINVERT = 0x00550009,
    PATCOPY = 0x00F00021,
    PATINVERT = 0x005A0049,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
};

// Line drawing modes (SetROP2).
enum : int { R2_BLACK = 1, R2_NOT = 6, R2_XORPEN = 7, R2_NOTXORPEN = 10, R2_NOP = 11, R2_COPYPEN = 13, R2_WHITE = 16 };

// Pens.
enum : DWORD {
    PS_SOLID = 0,
    PS_DASH = 1,
    PS_DOT = 2,
    PS_DASHDOT = 3,
    PS_DASHDOTDOT = 4,
    PS_NULL = 5,
    PS_INSIDEFRAME = 6,
    PS_STYLE_MASK = 0xF,
    PS_ENDCAP_ROUND = 0x0,
    PS_ENDCAP_SQUARE = 0x100,
    PS_ENDCAP_FLAT = 0x200,
    PS_ENDCAP_MASK = 0xF00,
    PS_JOIN_ROUND = 0x0,
    PS_JOIN_BEVEL = 0x1000,
    PS_JOIN_MITER = 0x2000,
    PS_JOIN_MASK = 0xF000,
    PS_COSMETIC = 0x0,
    PS_GEOMETRIC = 0x10000,
};

// Brushes.
enum : UINT { BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = 1 };

// Stock objects.
enum : int {
    WHITE_BRUSH = 0,
    LTGRAY_BRUSH = 1,
    GRAY_BRUSH = 2,
    DKGRAY_BRUSH = 3,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    WHITE_PEN = 6,
    BLACK_PEN = 7,
    NULL_PEN = 8,
    SYSTEM_FONT = 13,
    DEFAULT_GUI_FONT = 17,
};

// Object kinds (GetObjectType, GetCurrentObject).
enum : UINT { OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_DC = 3, OBJ_FONT = 6, OBJ_BITMAP = 7, OBJ_REGION = 8, OBJ_MEMDC = 10 };

// Fonts.
enum : int { FW_DONTCARE = 0, FW_NORMAL = 400, FW_BOLD = 700 };
enum : uint8_t {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    SHIFTJIS_CHARSET = 128,
    EASTEUROPE_CHARSET = 238,
    RUSSIAN_CHARSET = 204,
    OEM_CHARSET = 255,
};
enum : uint8_t { OUT_DEFAULT_PRECIS = 0, OUT_TT_ONLY_PRECIS = 7 };
enum : uint8_t { CLIP_DEFAULT_PRECIS = 0 };
enum : uint8_t { DEFAULT_QUALITY = 0 };
enum : uint8_t { DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2 };
// tmPitchAndFamily bits; TMPF_FIXED_PITCH set means a variable-pitch font.
enum : uint8_t { TMPF_FIXED_PITCH = 0x1, TMPF_VECTOR = 0x2, TMPF_TRUETYPE = 0x4, TMPF_DEVICE = 0x8 };
// GetFontLanguageInfo.
enum : DWORD { GCP_DBCS = 0x0001 };

// DrawEdge.
enum : UINT {
    BDR_RAISEDOUTER = 0x1,
    BDR_SUNKENOUTER = 0x2,
    BDR_RAISEDINNER = 0x4,
    BDR_SUNKENINNER = 0x8,
    BDR_OUTER = 0x3,
    BDR_INNER = 0xC,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
    EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
};
enum : UINT {
    BF_LEFT = 0x1,
    BF_TOP = 0x2,
    BF_RIGHT = 0x4,
    BF_BOTTOM = 0x8,
    BF_TOPLEFT = BF_TOP | BF_LEFT,
    BF_TOPRIGHT = BF_TOP | BF_RIGHT,
    BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT,
    BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT,
    BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
    BF_MIDDLE = 0x800,
    BF_SOFT = 0x1000,
    BF_ADJUST = 0x2000,
    BF_FLAT = 0x4000,
    BF_MONO = 0x8000,
};

// DrawFrameControl.
enum : UINT { DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4 };
enum : UINT {
    DFCS_BUTTONCHECK = 0x0,
    DFCS_BUTTONRADIOIMAGE = 0x1,
    DFCS_BUTTONRADIOMASK = 0x2,
    DFCS_BUTTONRADIO = 0x4,
    DFCS_BUTTON3STATE = 0x8,
    DFCS_BUTTONPUSH = 0x10,
    DFCS_SCROLLUP = 0x0,
    DFCS_SCROLLDOWN = 0x1,
    DFCS_SCROLLLEFT = 0x2,
    DFCS_SCROLLRIGHT = 0x3,
    DFCS_SCROLLCOMBOBOX = 0x5,
    DFCS_SCROLLSIZEGRIP = 0x8,
    DFCS_INACTIVE = 0x100,
    DFCS_PUSHED = 0x200,
    DFCS_CHECKED = 0x400,
    DFCS_TRANSPARENT = 0x800,
    DFCS_HOT = 0x1000,
    DFCS_ADJUSTRECT = 0x2000,
    DFCS_FLAT = 0x4000,
    DFCS_MONO = 0x8000,
};

// GetDeviceCaps.
enum : int {
    HORZRES = 8,
    VERTRES = 10,
    BITSPIXEL = 12,
    PLANES = 14,
    NUMCOLORS = 24,
    RASTERCAPS = 38,
    LOGPIXELSX = 88,
    LOGPIXELSY = 90,
    SIZEPALETTE = 104,
};

// The system colours (GetSysColor); TColor system values are 0x80000000 | index.
enum : int {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29,
    COLOR_MENUBAR = 30,
    COLOR_3DFACE = COLOR_BTNFACE,
    COLOR_3DSHADOW = COLOR_BTNSHADOW,
    COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT,
    COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT,
    COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT,
};
constexpr int SYSTEM_COLOR_COUNT = 31;

// System bitmaps (LoadBitmap with no module).
enum : int { OBM_CHECKBOXES = 32759 };
