#pragma once
// The drawing objects behind the GDI handles, the device context (our HDC)
// and the device interface it draws through. A context keeps the state the
// drawing calls read (selected objects, colours, modes, mapping, clipping) and
// hands a device ready-made primitives in device pixels; a device puts them on
// pixels (QtPainterDevice.cpp) or writes them down (RecordingDevice.h).
#include <memory>
#include <vector>

#include "platform/gui/GdiTypes.h"
#include "platform/rtl/CodePage.h"

class TGdiDevice;
struct TRegionData;
struct TBitmapData;

class TGdiObject {
public:
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;
    virtual ~TGdiObject() = default;
    virtual UINT ObjectType() const = 0;

    void AddRef() { ++refs_; }
    // Frees the object when the last holder lets go; stock objects live for ever.
    void Release();
    bool IsStock() const { return stock_; }
    void MakeStock() { stock_ = true; }

protected:
    TGdiObject() = default;

private:
    int refs_ = 1;
    bool stock_ = false;
};

class TGdiFont final : public TGdiObject {
public:
    explicit TGdiFont(const LOGFONT& lf) : lf_(lf) {}
    UINT ObjectType() const override { return OBJ_FONT; }
    const LOGFONT& LogFont() const { return lf_; }

private:
    LOGFONT lf_;
};

struct TPenDesc {
    DWORD Style = PS_SOLID;  // PS_ style with end-cap, join and geometric bits
    int Width = 1;           // 0 draws like 1
    COLORREF Color = 0;
    int Kind() const { return static_cast<int>(Style & PS_STYLE_MASK); }
    bool IsNull() const { return Kind() == static_cast<int>(PS_NULL); }
    friend bool operator==(const TPenDesc&, const TPenDesc&) = default;
};

class TGdiPen final : public TGdiObject {
public:
    explicit TGdiPen(const TPenDesc& d) : desc_(d) {}
    UINT ObjectType() const override { return OBJ_PEN; }
    const TPenDesc& Desc() const { return desc_; }

private:
    TPenDesc desc_;
};

struct TBrushDesc {
    bool Null = false;
    COLORREF Color = 0xFFFFFF;
    friend bool operator==(const TBrushDesc&, const TBrushDesc&) = default;
};

class TGdiBrush final : public TGdiObject {
public:
    explicit TGdiBrush(const TBrushDesc& d) : desc_(d) {}
    UINT ObjectType() const override { return OBJ_BRUSH; }
    const TBrushDesc& Desc() const { return desc_; }

private:
    TBrushDesc desc_;
};

// A set of pixels (rectangles and polygons), in device coordinates when it
// clips a context.
class TGdiRegion final : public TGdiObject {
public:
    TGdiRegion();
    explicit TGdiRegion(const TRect& r);
    ~TGdiRegion() override;
    UINT ObjectType() const override { return OBJ_REGION; }

    void Assign(const TGdiRegion& other);
    void SetRect(const TRect& r);
    void SetPolygon(const TPoint* points, int count, int fillMode);
    // RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF or RGN_COPY of a and b into this region.
    int Combine(const TGdiRegion& a, const TGdiRegion* b, int mode);
    void Offset(int dx, int dy);
    // NULLREGION, SIMPLEREGION or COMPLEXREGION.
    int Kind() const;
    bool IsEmpty() const;
    TRect Box() const;
    bool Contains(TPoint p) const;
    bool Intersects(const TRect& r) const;
    bool Equals(const TGdiRegion& other) const;
    // The region as non-overlapping rectangles, top to bottom.
    std::vector<TRect> Rects() const;

    TRegionData& Data() { return *data_; }
    const TRegionData& Data() const { return *data_; }

private:
    std::unique_ptr<TRegionData> data_;
};

// A bitmap of fixed size (32 bits per pixel); a memory context draws on the one
// selected into it. Pixels outside the picture's alpha count as transparent
// only when the bitmap is drawn with BLEND_ALPHA.
class TGdiBitmap final : public TGdiObject {
public:
    TGdiBitmap(int width, int height, bool withAlpha = false);
    ~TGdiBitmap() override;
    UINT ObjectType() const override { return OBJ_BITMAP; }
    int Width() const;
    int Height() const;
    // The device that draws on the bitmap's pixels.
    TGdiDevice* Device();
    TBitmapData& Data() { return *data_; }
    const TBitmapData& Data() const { return *data_; }

private:
    std::unique_ptr<TBitmapData> data_;
};

// Raster operation for drawing a bitmap with its own alpha channel.
constexpr DWORD BLEND_ALPHA = 0xFFFFFFFF;

// How a primitive touches pixels: the clip (nullptr: the whole device) and the
// line-drawing mode (R2_ value).
struct TGdiPaint {
    const TGdiRegion* Clip = nullptr;
    int Rop2 = R2_COPYPEN;
};

// A string placed by the context: glyph cells start at (X, Y), the top-left of
// the first cell; byte i advances by Dx[i]. A font with escapement turns the
// line around (X, Y), counter-clockwise in tenths of a degree.
struct TTextRun {
    int X = 0;
    int Y = 0;
    AnsiString Text;
    std::vector<int> Dx;
    LOGFONT Font;
    COLORREF Color = 0;
};

// One entry of a recording: a drawing call made by the program, or a primitive
// a device received. Calls made inside another call (DrawText writing its
// lines, DrawEdge filling its borders) have a greater Depth.
enum class TGdiCallKind {
    // Drawing calls, with the arguments as passed (logical coordinates).
    FillRect,
    FrameRect,
    InvertRect,
    PatBlt,
    Rectangle,
    Ellipse,
    LineTo,
    Polyline,
    PolyPolyline,
    Polygon,
    FillRgn,
    SetPixel,
    ExtTextOut,
    DrawText,
    DrawEdge,
    DrawFrameControl,
    DrawFocusRect,
    BitBlt,
    StretchBlt,
    // Primitives received by the device (device coordinates).
    Fill,
    Stroke,
    FillPolygon,
    EllipseShape,
    Glyphs,
    Image,
    XorDots,
    Pixel,
};
const char* GdiCallKindName(TGdiCallKind kind);

struct TGdiCall {
    TGdiCallKind Kind = TGdiCallKind::FillRect;
    int Depth = 0;
    TRect Rect;        // the call's rectangle: target, cell, edge or destination
    TRect SourceRect;  // blits: the source; ExtTextOut: its option rectangle
    std::vector<TPoint> Points;
    std::vector<int> Counts;  // PolyPolyline: points per line
    AnsiString Text;
    std::vector<int> Dx;
    UINT Flags = 0;   // DrawText format, DrawEdge edge, frame type, ExtTextOut options, blit rop
    UINT Flags2 = 0;  // DrawEdge flags, frame state
    int LeftMargin = 0, RightMargin = 0, TabLength = 0;
    COLORREF Color = 0;    // text or pen or fill colour
    COLORREF BkColor = 0;  // background colour of the context
    int BkMode = OPAQUE;
    int Rop2 = R2_COPYPEN;
    LOGFONT Font;
    TPenDesc Pen;
    TBrushDesc Brush;
    bool Clipped = false;  // whether a clip restricted the call
    TRect ClipBox;         // its bounds in device coordinates
    int Result = 0;        // DrawText: the height returned
};

class TGdiDevice {
public:
    virtual ~TGdiDevice() = default;
    virtual TSize Size() const = 0;

    // All coordinates are device pixels; rectangles are half-open.
    virtual void Fill(const TRect& r, COLORREF color, const TGdiPaint& paint) = 0;
    // Joined lines; lastPixel false leaves out the end point as line drawing does.
    virtual void Stroke(const std::vector<TPoint>& points, bool closed, bool lastPixel, const TPenDesc& pen,
                        const TGdiPaint& paint) = 0;
    virtual void FillPolygon(const std::vector<TPoint>& points, int fillMode, COLORREF color,
                             const TGdiPaint& paint) = 0;
    // The ellipse inside r; a null pen or brush draws no outline or interior.
    virtual void EllipseShape(const TRect& r, const TPenDesc* pen, const TBrushDesc* brush,
                              const TGdiPaint& paint) = 0;
    virtual void Glyphs(const TTextRun& run, const TGdiPaint& paint) = 0;
    // Copies (or blends, with BLEND_ALPHA) srcRect of the bitmap into dst, stretching as needed.
    virtual void Image(const TRect& dst, TGdiBitmap& src, const TRect& srcRect, DWORD rop,
                       const TGdiPaint& paint) = 0;
    // XORs each point's pixel with the colour of the same index.
    virtual void XorDots(const std::vector<TPoint>& points, const std::vector<COLORREF>& colors,
                         const TGdiPaint& paint) = 0;
    virtual void Pixel(int x, int y, COLORREF color, const TGdiPaint& paint) = 0;
    // CLR_INVALID where the device cannot read back (a widget, a recording).
    virtual COLORREF GetPixel(int x, int y) { (void)x; (void)y; return CLR_INVALID; }
    // The bitmap this device draws on, if it draws on one.
    virtual TGdiBitmap* Bitmap() { return nullptr; }

    // A recording device writes the drawing calls down as they are made.
    virtual bool Records() const { return false; }
    virtual void BeginCall(TGdiCall&& call) { (void)call; }
    virtual void EndCall() {}
};

// The context behind an HDC.
class TDeviceContext {
public:
    struct TState {
        HFONT Font = nullptr;
        HPEN Pen = nullptr;
        HBRUSH Brush = nullptr;
        HBITMAP Bitmap = nullptr;  // memory contexts only
        COLORREF TextColor = 0;
        COLORREF BkColor = 0xFFFFFF;
        int BkMode = OPAQUE;
        int Rop2 = R2_COPYPEN;
        int CharExtra = 0;
        int MapMode = MM_TEXT;
        TPoint WindowOrg;
        TSize WindowExt{1, 1};
        TPoint ViewportOrg;
        TSize ViewportExt{1, 1};
        TPoint Pos;
        std::shared_ptr<TGdiRegion> Clip;  // application clip in device coordinates, or none
    };

    // A context over a device (owned when ownsDevice); visible, in device
    // coordinates, restricts every drawing (nullptr: the whole device).
    TDeviceContext(TGdiDevice* device, bool ownsDevice, const TGdiRegion* visible = nullptr);
    // A memory context; it draws on the bitmap selected into it (1 x 1 at first).
    static TDeviceContext* CreateMemory();
    TDeviceContext(const TDeviceContext&) = delete;
    TDeviceContext& operator=(const TDeviceContext&) = delete;
    ~TDeviceContext();

    bool IsMemory() const { return memory_; }
    TGdiDevice* Device() const;
    TState& State() { return state_; }
    const TState& State() const { return state_; }

    // Selects a font, pen, brush or (memory contexts) bitmap; returns the one it replaces.
    HGDIOBJ Select(HGDIOBJ object);
    HGDIOBJ Current(UINT objectType) const;
    const LOGFONT& Font() const { return state_.Font->LogFont(); }
    const TPenDesc& Pen() const { return state_.Pen->Desc(); }
    const TBrushDesc& Brush() const { return state_.Brush->Desc(); }

    // Logical <-> device coordinates.
    TPoint ToDevice(TPoint p) const;
    TRect ToDevice(const TRect& r) const;  // normalised
    TPoint ToLogical(TPoint p) const;
    TRect ToLogical(const TRect& r) const;
    bool Mirrored() const;  // the x axis runs right to left on the device

    // Clipping, device coordinates: the application clip (nullptr: none) and what
    // really limits drawing (nullptr: nothing but the device's edges).
    void SetClip(const TGdiRegion* region);
    const TGdiRegion* Clip() const { return state_.Clip.get(); }
    const TGdiRegion* EffectiveClip();
    // The bounds of the visible, clipped area in device coordinates.
    TRect ClipBox();
    TGdiPaint Paint();
    TGdiPaint Paint(const TGdiRegion* extraClip, TGdiRegion& scratch);

    int Save();
    bool Restore(int index);

    // Recording: the device writes the call down when it records.
    bool Recording() const { return Device()->Records(); }
    TGdiCall MakeCall(TGdiCallKind kind);

private:
    TDeviceContext() = default;
    void Release(TState& s);
    void Retain(TState& s);

    TGdiDevice* device_ = nullptr;
    bool ownsDevice_ = false;
    bool memory_ = false;
    std::unique_ptr<TGdiRegion> visible_;
    TState state_;
    std::vector<TState> saved_;
    std::unique_ptr<TGdiRegion> effective_;
    bool effectiveValid_ = false;
};

// Opens a recorded call for the life of the scope, so that what it draws is
// written down beneath it.
class TGdiCallScope {
public:
    TGdiCallScope(HDC dc, TGdiCall&& call);
    ~TGdiCallScope();
    TGdiCallScope(const TGdiCallScope&) = delete;
    TGdiCallScope& operator=(const TGdiCallScope&) = delete;

private:
    TGdiDevice* device_ = nullptr;
};
