#include "platform/gui/GdiDevice.h"

#include <QPolygon>
#include <algorithm>
#include <cstring>

#include "platform/gui/GdiInternal.h"

void TGdiObject::Release() {
    if (stock_) return;
    if (--refs_ == 0) delete this;
}

// ---- Regions ----

TGdiRegion::TGdiRegion() : data_(std::make_unique<TRegionData>()) {}

TGdiRegion::TGdiRegion(const TRect& r) : data_(std::make_unique<TRegionData>()) { SetRect(r); }

TGdiRegion::~TGdiRegion() = default;

void TGdiRegion::Assign(const TGdiRegion& other) { data_->Region = other.data_->Region; }

void TGdiRegion::SetRect(const TRect& r) {
    data_->Region = IsRectEmpty(r) ? QRegion() : QRegion(ToQRect(r));
}

void TGdiRegion::SetPolygon(const TPoint* points, int count, int fillMode) {
    QPolygon poly;
    for (int i = 0; i < count; ++i) poly << QPoint(points[i].X, points[i].Y);
    data_->Region = QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
}

int TGdiRegion::Combine(const TGdiRegion& a, const TGdiRegion* b, int mode) {
    const QRegion& ra = a.data_->Region;
    QRegion rb = b ? b->data_->Region : QRegion();
    switch (mode) {
        case RGN_AND: data_->Region = ra.intersected(rb); break;
        case RGN_OR: data_->Region = ra.united(rb); break;
        case RGN_XOR: data_->Region = ra.xored(rb); break;
        case RGN_DIFF: data_->Region = ra.subtracted(rb); break;
        case RGN_COPY: data_->Region = ra; break;
        default: return RGN_ERROR;
    }
    return Kind();
}

void TGdiRegion::Offset(int dx, int dy) { data_->Region.translate(dx, dy); }

int TGdiRegion::Kind() const {
    if (data_->Region.isEmpty()) return NULLREGION;
    return data_->Region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

bool TGdiRegion::IsEmpty() const { return data_->Region.isEmpty(); }

TRect TGdiRegion::Box() const {
    return data_->Region.isEmpty() ? TRect() : FromQRect(data_->Region.boundingRect());
}

bool TGdiRegion::Contains(TPoint p) const { return data_->Region.contains(QPoint(p.X, p.Y)); }

bool TGdiRegion::Intersects(const TRect& r) const {
    return !IsRectEmpty(r) && data_->Region.intersects(ToQRect(r));
}

bool TGdiRegion::Equals(const TGdiRegion& other) const { return data_->Region == other.data_->Region; }

std::vector<TRect> TGdiRegion::Rects() const {
    std::vector<TRect> out;
    for (const QRect& r : data_->Region) out.push_back(FromQRect(r));
    return out;
}

// ---- Bitmaps ----

TGdiBitmap::TGdiBitmap(int width, int height, bool withAlpha) : data_(std::make_unique<TBitmapData>()) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    data_->Image = QImage(width, height, withAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    // A new bitmap is white, and see-through when it has an alpha channel.
    data_->Image.fill(withAlpha ? Qt::transparent : Qt::white);
}

TGdiBitmap::~TGdiBitmap() {
    // The device may hold a painter on the image; it goes first.
    data_->Device.reset();
}

int TGdiBitmap::Width() const { return data_->Image.width(); }
int TGdiBitmap::Height() const { return data_->Image.height(); }

TGdiDevice* TGdiBitmap::Device() {
    if (!data_->Device) data_->Device = CreateImageDevice(this);
    return data_->Device.get();
}

// ---- Stock objects ----

HGDIOBJ StockGdiObject(int index);

namespace {

LOGFONT DefaultLogFont() {
    LOGFONT lf;
    lf.lfHeight = -11;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(lf.lfFaceName, "MS Sans Serif");
    return lf;
}

template <typename T>
T* Stock(T* object) {
    object->MakeStock();
    return object;
}

}  // namespace

HGDIOBJ StockGdiObject(int index) {
    static TGdiBrush* brushes[] = {
        Stock(new TGdiBrush({false, RGB(255, 255, 255)})), Stock(new TGdiBrush({false, RGB(192, 192, 192)})),
        Stock(new TGdiBrush({false, RGB(128, 128, 128)})), Stock(new TGdiBrush({false, RGB(64, 64, 64)})),
        Stock(new TGdiBrush({false, RGB(0, 0, 0)})),       Stock(new TGdiBrush({true, 0})),
    };
    static TGdiPen* pens[] = {
        Stock(new TGdiPen({PS_SOLID, 1, RGB(255, 255, 255)})),
        Stock(new TGdiPen({PS_SOLID, 1, RGB(0, 0, 0)})),
        Stock(new TGdiPen({PS_NULL, 1, 0})),
    };
    static TGdiFont* systemFont = Stock(new TGdiFont(DefaultLogFont()));
    if (index >= WHITE_BRUSH && index <= NULL_BRUSH) return brushes[index];
    if (index >= WHITE_PEN && index <= NULL_PEN) return pens[index - WHITE_PEN];
    if (index == SYSTEM_FONT || index == DEFAULT_GUI_FONT) return systemFont;
    return nullptr;
}

// ---- Device contexts ----

TDeviceContext::TDeviceContext(TGdiDevice* device, bool ownsDevice, const TGdiRegion* visible)
    : device_(device), ownsDevice_(ownsDevice) {
    if (visible) {
        visible_ = std::make_unique<TGdiRegion>();
        visible_->Assign(*visible);
    }
    state_.Font = static_cast<HFONT>(StockGdiObject(DEFAULT_GUI_FONT));
    state_.Pen = static_cast<HPEN>(StockGdiObject(BLACK_PEN));
    state_.Brush = static_cast<HBRUSH>(StockGdiObject(WHITE_BRUSH));
}

TDeviceContext* TDeviceContext::CreateMemory() {
    auto* dc = new TDeviceContext(nullptr, false);
    dc->memory_ = true;
    // Like the other defaults, the 1 x 1 bitmap is a stock object: a caller
    // selects it back in before deleting its own bitmap.
    static TGdiBitmap* stock = [] {
        auto* b = new TGdiBitmap(1, 1);
        b->MakeStock();
        return b;
    }();
    dc->state_.Bitmap = stock;
    return dc;
}

TDeviceContext::~TDeviceContext() {
    for (TState& s : saved_) Release(s);
    Release(state_);
    if (ownsDevice_) delete device_;
}

void TDeviceContext::Retain(TState& s) {
    s.Font->AddRef();
    s.Pen->AddRef();
    s.Brush->AddRef();
    if (s.Bitmap) s.Bitmap->AddRef();
}

void TDeviceContext::Release(TState& s) {
    s.Font->Release();
    s.Pen->Release();
    s.Brush->Release();
    if (s.Bitmap) s.Bitmap->Release();
}

TGdiDevice* TDeviceContext::Device() const { return memory_ ? state_.Bitmap->Device() : device_; }

HGDIOBJ TDeviceContext::Select(HGDIOBJ object) {
    if (!object) return nullptr;
    HGDIOBJ old = nullptr;
    switch (object->ObjectType()) {
        case OBJ_FONT: old = state_.Font; state_.Font = static_cast<HFONT>(object); break;
        case OBJ_PEN: old = state_.Pen; state_.Pen = static_cast<HPEN>(object); break;
        case OBJ_BRUSH: old = state_.Brush; state_.Brush = static_cast<HBRUSH>(object); break;
        case OBJ_BITMAP:
            if (!memory_) return nullptr;
            old = state_.Bitmap;
            state_.Bitmap = static_cast<HBITMAP>(object);
            effectiveValid_ = false;
            break;
        default: return nullptr;
    }
    object->AddRef();
    // The context's own hold goes; the caller's handle stays valid as long as the caller holds it.
    old->Release();
    return old;
}

HGDIOBJ TDeviceContext::Current(UINT objectType) const {
    switch (objectType) {
        case OBJ_FONT: return state_.Font;
        case OBJ_PEN: return state_.Pen;
        case OBJ_BRUSH: return state_.Brush;
        case OBJ_BITMAP: return state_.Bitmap;
        default: return nullptr;
    }
}

namespace {

// MulDiv with rounding half away from zero.
int Scale(int v, int num, int den) {
    if (den == 0) return v;
    long long p = static_cast<long long>(v) * num;
    long long q = den;
    if (q < 0) { p = -p; q = -q; }
    long long r = p >= 0 ? (p + q / 2) / q : -((-p + q / 2) / q);
    return static_cast<int>(r);
}

}  // namespace

TPoint TDeviceContext::ToDevice(TPoint p) const {
    const TState& s = state_;
    if (s.MapMode == MM_TEXT)
        return {p.X - s.WindowOrg.X + s.ViewportOrg.X, p.Y - s.WindowOrg.Y + s.ViewportOrg.Y};
    return {Scale(p.X - s.WindowOrg.X, s.ViewportExt.cx, s.WindowExt.cx) + s.ViewportOrg.X,
            Scale(p.Y - s.WindowOrg.Y, s.ViewportExt.cy, s.WindowExt.cy) + s.ViewportOrg.Y};
}

TPoint TDeviceContext::ToLogical(TPoint p) const {
    const TState& s = state_;
    if (s.MapMode == MM_TEXT)
        return {p.X - s.ViewportOrg.X + s.WindowOrg.X, p.Y - s.ViewportOrg.Y + s.WindowOrg.Y};
    return {Scale(p.X - s.ViewportOrg.X, s.WindowExt.cx, s.ViewportExt.cx) + s.WindowOrg.X,
            Scale(p.Y - s.ViewportOrg.Y, s.WindowExt.cy, s.ViewportExt.cy) + s.WindowOrg.Y};
}

TRect TDeviceContext::ToDevice(const TRect& r) const {
    TPoint a = ToDevice(r.TopLeft());
    TPoint b = ToDevice(r.BottomRight());
    return TRect(std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y));
}

TRect TDeviceContext::ToLogical(const TRect& r) const {
    TPoint a = ToLogical(r.TopLeft());
    TPoint b = ToLogical(r.BottomRight());
    return TRect(std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y));
}

bool TDeviceContext::Mirrored() const {
    const TState& s = state_;
    return s.MapMode != MM_TEXT && (s.ViewportExt.cx < 0) != (s.WindowExt.cx < 0);
}

void TDeviceContext::SetClip(const TGdiRegion* region) {
    if (region) {
        auto copy = std::make_shared<TGdiRegion>();
        copy->Assign(*region);
        state_.Clip = std::move(copy);
    } else {
        state_.Clip.reset();
    }
    effectiveValid_ = false;
}

const TGdiRegion* TDeviceContext::EffectiveClip() {
    if (!visible_ && !state_.Clip) return nullptr;
    if (!effectiveValid_) {
        if (!effective_) effective_ = std::make_unique<TGdiRegion>();
        if (visible_ && state_.Clip)
            effective_->Combine(*visible_, state_.Clip.get(), RGN_AND);
        else
            effective_->Assign(visible_ ? *visible_ : *state_.Clip);
        effectiveValid_ = true;
    }
    return effective_.get();
}

TRect TDeviceContext::ClipBox() {
    TSize size = Device()->Size();
    TRect bounds(0, 0, size.cx, size.cy);
    const TGdiRegion* clip = EffectiveClip();
    if (!clip) return bounds;
    TRect box;
    IntersectRect(&box, clip->Box(), bounds);
    return box;
}

TGdiPaint TDeviceContext::Paint() {
    TGdiPaint p;
    p.Clip = EffectiveClip();
    p.Rop2 = state_.Rop2;
    return p;
}

TGdiPaint TDeviceContext::Paint(const TGdiRegion* extraClip, TGdiRegion& scratch) {
    TGdiPaint p = Paint();
    if (extraClip) {
        if (p.Clip)
            scratch.Combine(*p.Clip, extraClip, RGN_AND);
        else
            scratch.Assign(*extraClip);
        p.Clip = &scratch;
    }
    return p;
}

int TDeviceContext::Save() {
    saved_.push_back(state_);
    Retain(saved_.back());
    return static_cast<int>(saved_.size());
}

bool TDeviceContext::Restore(int index) {
    int count = static_cast<int>(saved_.size());
    if (index < 0) index = count + 1 + index;
    if (index < 1 || index > count) return false;
    while (static_cast<int>(saved_.size()) > index) {
        Release(saved_.back());
        saved_.pop_back();
    }
    Release(state_);
    state_ = saved_.back();  // the saved state's holds move over
    saved_.pop_back();
    effectiveValid_ = false;
    return true;
}

TGdiCall TDeviceContext::MakeCall(TGdiCallKind kind) {
    TGdiCall c;
    c.Kind = kind;
    c.Color = state_.TextColor;
    c.BkColor = state_.BkColor;
    c.BkMode = state_.BkMode;
    c.Rop2 = state_.Rop2;
    c.Font = Font();
    c.Pen = Pen();
    c.Brush = Brush();
    if (const TGdiRegion* clip = EffectiveClip()) {
        c.Clipped = true;
        c.ClipBox = clip->Box();
    }
    return c;
}

TGdiCallScope::TGdiCallScope(HDC dc, TGdiCall&& call) {
    TGdiDevice* d = dc->Device();
    if (d->Records()) {
        device_ = d;
        device_->BeginCall(std::move(call));
    }
}

TGdiCallScope::~TGdiCallScope() {
    if (device_) device_->EndCall();
}

const char* GdiCallKindName(TGdiCallKind kind) {
    switch (kind) {
        case TGdiCallKind::FillRect: return "FillRect";
        case TGdiCallKind::FrameRect: return "FrameRect";
        case TGdiCallKind::InvertRect: return "InvertRect";
        case TGdiCallKind::PatBlt: return "PatBlt";
        case TGdiCallKind::Rectangle: return "Rectangle";
        case TGdiCallKind::Ellipse: return "Ellipse";
        case TGdiCallKind::LineTo: return "LineTo";
        case TGdiCallKind::Polyline: return "Polyline";
        case TGdiCallKind::PolyPolyline: return "PolyPolyline";
        case TGdiCallKind::Polygon: return "Polygon";
        case TGdiCallKind::FillRgn: return "FillRgn";
        case TGdiCallKind::SetPixel: return "SetPixel";
        case TGdiCallKind::ExtTextOut: return "ExtTextOut";
        case TGdiCallKind::DrawText: return "DrawText";
        case TGdiCallKind::DrawEdge: return "DrawEdge";
        case TGdiCallKind::DrawFrameControl: return "DrawFrameControl";
        case TGdiCallKind::DrawFocusRect: return "DrawFocusRect";
        case TGdiCallKind::BitBlt: return "BitBlt";
        case TGdiCallKind::StretchBlt: return "StretchBlt";
        case TGdiCallKind::Fill: return "Fill";
        case TGdiCallKind::Stroke: return "Stroke";
        case TGdiCallKind::FillPolygon: return "FillPolygon";
        case TGdiCallKind::EllipseShape: return "EllipseShape";
        case TGdiCallKind::Glyphs: return "Glyphs";
        case TGdiCallKind::Image: return "Image";
        case TGdiCallKind::XorDots: return "XorDots";
        case TGdiCallKind::Pixel: return "Pixel";
    }
    return "?";
}
