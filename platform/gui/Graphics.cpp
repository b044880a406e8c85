#include "platform/gui/Graphics.h"

#include <QPainter>
#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/gui/GdiInternal.h"
#include "platform/gui/QtGraphics.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtti/Published.h"

TColor ColorToRGB(TColor Color) {
    if (Color < 0) return static_cast<TColor>(GetSysColor(Color & 0xFF));
    return Color;
}

namespace {

COLORREF Ref(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)) & 0xFFFFFF; }

int PenModeRop2(TPenMode mode) {
    switch (mode) {
        case pmBlack: return R2_BLACK;
        case pmWhite: return R2_WHITE;
        case pmNop: return R2_NOP;
        case pmNot: return R2_NOT;
        case pmNotXor: return R2_NOTXORPEN;
        case pmXor: return R2_XORPEN;
        default: return R2_COPYPEN;
    }
}

// A copy of part of a bitmap with an alpha channel: pixels of the key colour
// become see-through, or take the fill colour when one is given.
HBITMAP KeyedCopy(HBITMAP source, const TRect& part, COLORREF key, const COLORREF* fill) {
    QImage img = source->Data().Image.copy(ToQRect(part)).convertToFormat(QImage::Format_ARGB32);
    QRgb keyRgb = qRgb(GetRValue(key), GetGValue(key), GetBValue(key));
    QRgb fillRgb = fill ? qRgb(GetRValue(*fill), GetGValue(*fill), GetBValue(*fill)) : 0;
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] | 0xFF000000u) == keyRgb) line[x] = fill ? fillRgb : 0;
    }
    auto* out = new TGdiBitmap(img.width(), img.height(), true);
    out->Data().Image = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return out;
}

// Draws a bitmap with its alpha channel onto a context.
void BlendOnto(HDC dc, const TRect& dest, HBITMAP bitmap, const TRect& part) {
    HDC mem = CreateCompatibleDC(dc);
    SelectObject(mem, bitmap);
    StretchBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), mem, part.Left, part.Top, part.Width(),
               part.Height(), BLEND_ALPHA);
    DeleteDC(mem);
}

}  // namespace

// ---- Graphics objects ----

void TGraphicsObject::Changed() {
    if (OnChange) OnChange(this);
}

TFont::TFont() = default;

TFont::~TFont() {
    if (handle_) DeleteObject(handle_);
}

LOGFONT TFont::LogFont() const {
    LOGFONT lf;
    lf.lfHeight = height_;
    lf.lfEscapement = orientation_;
    lf.lfOrientation = orientation_;
    lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style_.Contains(fsItalic) ? 1 : 0;
    lf.lfUnderline = style_.Contains(fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = style_.Contains(fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = charset_;
    lf.lfPitchAndFamily = pitch_ == fpFixed ? FIXED_PITCH : pitch_ == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
    std::strncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
    return lf;
}

HFONT TFont::Handle() {
    if (!handle_) {
        LOGFONT lf = LogFont();
        handle_ = CreateFontIndirect(&lf);
    }
    return handle_;
}

void TFont::SetHandle(HFONT Value) {
    if (Value == handle_) return;
    if (handle_) DeleteObject(handle_);
    handle_ = Value;
    adopted_ = Value != nullptr;
    if (Value) {
        const LOGFONT& lf = Value->LogFont();
        char face[LF_FACESIZE + 1] = {};
        std::memcpy(face, lf.lfFaceName, LF_FACESIZE);
        name_ = face;
        height_ = lf.lfHeight;
        TFontStyles s;
        if (lf.lfWeight >= 600) s.Include(fsBold);
        if (lf.lfItalic) s.Include(fsItalic);
        if (lf.lfUnderline) s.Include(fsUnderline);
        if (lf.lfStrikeOut) s.Include(fsStrikeOut);
        style_ = s;
        charset_ = lf.lfCharSet;
        int pitch = lf.lfPitchAndFamily & 0x3;
        pitch_ = pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault;
    }
    Changed();
}

void TFont::Change() {
    if (handle_) DeleteObject(handle_);
    handle_ = nullptr;
    adopted_ = false;
    Changed();
}

// A setter rebuilds the handle when the value differs, and always after a
// handle was taken over (so that setting the height gives the plain font back).
void TFont::SetName(const AnsiString& Value) {
    // A font always has a face: an empty name (as an unwritten name reads) keeps the one it has.
    if (Value.empty() || (Value == name_ && !adopted_)) return;
    name_ = Value;
    Change();
}

void TFont::SetHeight(int Value) {
    if (Value == height_ && !adopted_) return;
    height_ = Value;
    Change();
}

int TFont::Size() const { return -MulDiv(height_, 72, pixelsPerInch_); }

void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, pixelsPerInch_, 72)); }

void TFont::SetColor(TColor Value) {
    if (Value == color_) return;
    color_ = Value;
    Changed();
}

void TFont::SetStyle(TFontStyles Value) {
    if (Value == style_ && !adopted_) return;
    style_ = Value;
    Change();
}

void TFont::SetCharset(TFontCharset Value) {
    if (Value == charset_ && !adopted_) return;
    charset_ = Value;
    Change();
}

void TFont::SetPitch(TFontPitch Value) {
    if (Value == pitch_ && !adopted_) return;
    pitch_ = Value;
    Change();
}

void TFont::SetOrientation(int Value) {
    if (Value == orientation_ && !adopted_) return;
    orientation_ = Value;
    Change();
}

void TFont::Assign(TPersistent* Source) {
    if (auto* f = dynamic_cast<TFont*>(Source)) {
        if (f == this) return;
        name_ = f->name_;
        height_ = f->height_;
        color_ = f->color_;
        style_ = f->style_;
        charset_ = f->charset_;
        pitch_ = f->pitch_;
        orientation_ = f->orientation_;
        pixelsPerInch_ = f->pixelsPerInch_;
        if (handle_) DeleteObject(handle_);
        handle_ = nullptr;
        adopted_ = f->adopted_;
        // A taken-over handle (a turned font) travels as a handle of our own.
        if (f->adopted_ && f->handle_) handle_ = CreateFontIndirect(&f->handle_->LogFont());
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

TPen::~TPen() {
    if (handle_) DeleteObject(handle_);
}

HPEN TPen::Handle() {
    if (!handle_) {
        static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        handle_ = CreatePen(styles[style_], width_, Ref(color_));
    }
    return handle_;
}

void TPen::Change() {
    if (handle_) DeleteObject(handle_);
    handle_ = nullptr;
    Changed();
}

void TPen::SetColor(TColor Value) {
    if (Value == color_) return;
    color_ = Value;
    Change();
}

void TPen::SetWidth(int Value) {
    if (Value == width_ || Value < 0) return;
    width_ = Value;
    Change();
}

void TPen::SetStyle(TPenStyle Value) {
    if (Value == style_) return;
    style_ = Value;
    Change();
}

void TPen::SetMode(TPenMode Value) {
    if (Value == mode_) return;
    mode_ = Value;
    Changed();
}

void TPen::Assign(TPersistent* Source) {
    if (auto* p = dynamic_cast<TPen*>(Source)) {
        if (p == this) return;
        color_ = p->color_;
        width_ = p->width_;
        style_ = p->style_;
        mode_ = p->mode_;
        Change();
        return;
    }
    TGraphicsObject::Assign(Source);
}

TBrush::~TBrush() {
    if (handle_) DeleteObject(handle_);
}

HBRUSH TBrush::Handle() {
    if (!handle_) {
        LOGBRUSH lb;
        lb.lbStyle = style_ == bsClear ? BS_NULL : BS_SOLID;
        lb.lbColor = Ref(color_);
        handle_ = CreateBrushIndirect(&lb);
    }
    return handle_;
}

void TBrush::Change() {
    if (handle_) DeleteObject(handle_);
    handle_ = nullptr;
    Changed();
}

void TBrush::SetColor(TColor Value) {
    if (Value == color_ && style_ == bsSolid) return;
    color_ = Value;
    // Giving a clear brush a colour makes it solid again.
    if (style_ == bsClear) style_ = bsSolid;
    Change();
}

void TBrush::SetStyle(TBrushStyle Value) {
    if (Value == style_) return;
    style_ = Value;
    Change();
}

void TBrush::Assign(TPersistent* Source) {
    if (auto* b = dynamic_cast<TBrush*>(Source)) {
        if (b == this) return;
        color_ = b->color_;
        style_ = b->style_;
        Change();
        return;
    }
    TGraphicsObject::Assign(Source);
}

// ---- Canvas ----

TCanvas::TCanvas() : font_(new TFont), pen_(new TPen), brush_(new TBrush) {
    font_->OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
    pen_->OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
    brush_->OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
}

TCanvas::~TCanvas() {
    SetHandle(nullptr);
    delete font_;
    delete pen_;
    delete brush_;
}

void TCanvas::FontChanged(TObject*) {
    if (state_ & csFontValid) {
        state_ &= ~csFontValid;
        if (handle_) SelectObject(handle_, GetStockObject(SYSTEM_FONT));
    }
}

void TCanvas::PenChanged(TObject*) {
    if (state_ & csPenValid) {
        state_ &= ~csPenValid;
        if (handle_) SelectObject(handle_, GetStockObject(BLACK_PEN));
    }
}

void TCanvas::BrushChanged(TObject*) {
    if (state_ & csBrushValid) {
        state_ &= ~csBrushValid;
        if (handle_) SelectObject(handle_, GetStockObject(WHITE_BRUSH));
    }
}

void TCanvas::Changed() {
    if (OnChange) OnChange(this);
}

void TCanvas::Changing() {
    if (OnChanging) OnChanging(this);
}

void TCanvas::CreateHandle() {}

void TCanvas::DeselectHandles() {
    if (handle_ && (state_ & (csFontValid | csPenValid | csBrushValid))) {
        SelectObject(handle_, GetStockObject(BLACK_PEN));
        SelectObject(handle_, GetStockObject(WHITE_BRUSH));
        SelectObject(handle_, GetStockObject(SYSTEM_FONT));
        state_ &= ~(csFontValid | csPenValid | csBrushValid);
    }
}

void TCanvas::RequiredState(int State) {
    int needed = State & ~state_;
    if (!needed) return;
    if (needed & csHandleValid) {
        CreateHandle();
        if (!handle_) throw EInvalidOperation("Canvas does not allow drawing");
    }
    if (needed & csFontValid) {
        SelectObject(handle_, font_->Handle());
        SetTextColor(handle_, Ref(font_->Color()));
    }
    if (needed & csPenValid) {
        SelectObject(handle_, pen_->Handle());
        SetROP2(handle_, PenModeRop2(pen_->Mode()));
    }
    if (needed & csBrushValid) {
        SelectObject(handle_, brush_->Handle());
        if (brush_->Style() == bsSolid) {
            SetBkColor(handle_, Ref(brush_->Color()));
            SetBkMode(handle_, OPAQUE);
        } else {
            SetBkColor(handle_, ~Ref(brush_->Color()) & 0xFFFFFF);
            SetBkMode(handle_, TRANSPARENT);
        }
    }
    state_ |= needed;
}

// Handing out the context selects the canvas's font, pen and brush into it,
// so GDI calls made on the handle draw with what the canvas was given.
HDC TCanvas::Handle() {
    RequiredState(csHandleValid | csFontValid | csPenValid | csBrushValid);
    return handle_;
}

void TCanvas::SetHandle(HDC Value) {
    if (handle_ == Value) return;
    DeselectHandles();
    handle_ = Value;
    state_ = Value ? csHandleValid : 0;
}

void TCanvas::Refresh() { DeselectHandles(); }

TRect TCanvas::ClipRect() {
    RequiredState(csHandleValid);
    TRect r;
    GetClipBox(handle_, &r);
    return r;
}

TPoint TCanvas::PenPos() {
    RequiredState(csHandleValid);
    TPoint p;
    MoveToEx(handle_, 0, 0, &p);
    MoveToEx(handle_, p.X, p.Y, nullptr);
    return p;
}

TColor TCanvas::Pixels(int X, int Y) {
    RequiredState(csHandleValid);
    COLORREF c = ::GetPixel(handle_, X, Y);
    return c == CLR_INVALID ? -1 : static_cast<TColor>(c);
}

void TCanvas::SetPixels(int X, int Y, TColor Value) {
    Changing();
    RequiredState(csHandleValid | csPenValid);
    ::SetPixel(handle_, X, Y, Ref(Value));
    Changed();
}

void TCanvas::FillRect(const TRect& Rect) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ::FillRect(handle_, &Rect, brush_->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& Rect) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ::FrameRect(handle_, &Rect, brush_->Handle());
    Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Rectangle(handle_, X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Ellipse(handle_, X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::MoveTo(int X, int Y) {
    RequiredState(csHandleValid);
    MoveToEx(handle_, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::LineTo(handle_, X, Y);
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Polygon(handle_, Points.data(), static_cast<int>(Points.size()));
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Polyline(handle_, Points.data(), static_cast<int>(Points.size()));
    Changed();
}

void TCanvas::PolyPolyline(const std::vector<TPoint>& Points, const std::vector<int>& Counts) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    std::vector<DWORD> counts(Counts.begin(), Counts.end());
    size_t total = 0;
    for (DWORD c : counts) total += c;
    if (total <= Points.size())
        ::PolyPolyline(handle_, Points.data(), counts.data(), static_cast<DWORD>(counts.size()));
    Changed();
}

TSize TCanvas::TextExtent(const AnsiString& Text) {
    RequiredState(csHandleValid | csFontValid);
    TSize s;
    GetTextExtentPoint32(handle_, Text.data(), static_cast<int>(Text.size()), &s);
    return s;
}

int TCanvas::TextHeight(const AnsiString& Text) { return TextExtent(Text).cy; }

int TCanvas::TextWidth(const AnsiString& Text) { return TextExtent(Text).cx; }

void TCanvas::TextOut(int X, int Y, const AnsiString& Text) {
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    ExtTextOut(handle_, X, Y, textFlags_, nullptr, Text.data(), static_cast<UINT>(Text.size()), nullptr);
    MoveTo(X + TextWidth(Text), Y);
    Changed();
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const AnsiString& Text) {
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    UINT options = ETO_CLIPPED | textFlags_;
    if (brush_->Style() != bsClear) options |= ETO_OPAQUE;
    ExtTextOut(handle_, X, Y, options, &Rect, Text.data(), static_cast<UINT>(Text.size()), nullptr);
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& Rect) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ::DrawFocusRect(handle_, &Rect);
    Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    HDC src = Canvas->Handle();
    StretchBlt(handle_, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), src, Source.Left, Source.Top,
               Source.Width(), Source.Height(), copyMode_);
    Changed();
}

void TCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color) {
    if (!Bitmap || Bitmap->Empty()) return;
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    // The colour gives way to the brush, or to what is below when the brush is clear.
    COLORREF brush = Ref(brush_->Color());
    TRect part;
    IntersectRect(&part, Source, TRect(0, 0, Bitmap->Width(), Bitmap->Height()));
    if (!IsRectEmpty(part)) {
        HBITMAP keyed = KeyedCopy(Bitmap->Handle(), part, Ref(Color), brush_->Style() == bsClear ? nullptr : &brush);
        TRect dest(Dest.Left + part.Left - Source.Left, Dest.Top + part.Top - Source.Top,
                   Dest.Right + part.Right - Source.Right, Dest.Bottom + part.Bottom - Source.Bottom);
        BlendOnto(handle_, dest, keyed, TRect(0, 0, part.Width(), part.Height()));
        DeleteObject(keyed);
    }
    Changed();
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
    if (!Graphic || Graphic->Empty()) return;
    Changing();
    RequiredState(csHandleValid);
    Graphic->Draw(this, Bounds(X, Y, Graphic->Width(), Graphic->Height()));
    Changed();
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
    if (!Graphic || Graphic->Empty()) return;
    Changing();
    RequiredState(csHandleValid);
    Graphic->Draw(this, Rect);
    Changed();
}

// ---- Graphics ----

void TGraphic::SetTransparent(bool Value) {
    if (Value == transparent_) return;
    transparent_ = Value;
    Changed(this);
}

void TGraphic::Changed(TObject*) {
    modified_ = true;
    if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const AnsiString& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TGraphic::LoadFromStream(TStream*) {
    throw EInvalidGraphicOperation(AnsiString("Cannot read a ") + ClassName() + " from a stream");
}

// A bitmap's canvas: a memory context with the bitmap selected.
class TBitmapCanvas final : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }
    const char* ClassName() const override { return "TBitmapCanvas"; }

    void FreeContext() {
        if (HDC dc = HandleAllocated() ? Handle() : nullptr) {
            SetHandle(nullptr);
            DeleteDC(dc);
        }
    }

protected:
    void CreateHandle() override {
        HDC dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bitmap_->Handle());
        SetHandle(dc);
    }

private:
    TBitmap* bitmap_;
};

TBitmap::TBitmap() : handle_(new TGdiBitmap(0, 0)) {}

TBitmap::~TBitmap() {
    delete canvas_;
    handle_->Release();
}

TCanvas* TBitmap::Canvas() {
    if (!canvas_) canvas_ = new TBitmapCanvas(this);
    return canvas_;
}

HBITMAP TBitmap::Handle() { return handle_; }

void TBitmap::SetHandle(HBITMAP Value) {
    if (!Value || Value == handle_) return;
    NewImage(Value);
}

void TBitmap::NewImage(HBITMAP bitmap) {
    HBITMAP old = handle_;
    handle_ = bitmap;
    if (canvas_ && canvas_->HandleAllocated()) SelectObject(canvas_->Handle(), bitmap);
    old->Release();
    Changed(this);
}

bool TBitmap::Empty() const { return handle_->Width() == 0 || handle_->Height() == 0; }
int TBitmap::Width() const { return handle_->Width(); }
int TBitmap::Height() const { return handle_->Height(); }
void TBitmap::SetWidth(int Value) { SetSize(Value, Height()); }
void TBitmap::SetHeight(int Value) { SetSize(Width(), Value); }

void TBitmap::SetSize(int AWidth, int AHeight) {
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (AWidth == Width() && AHeight == Height()) return;
    auto* next = new TGdiBitmap(AWidth, AHeight);
    if (!Empty() && AWidth > 0 && AHeight > 0) {
        QPainter p(&next->Data().Image);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, handle_->Data().Image);
    }
    NewImage(next);
}

TColor TBitmap::TransparentColor() {
    if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
    if (Empty()) return clDefault;
    return static_cast<TColor>(FromQRgb(handle_->Data().Image.pixel(0, Height() - 1)));
}

void TBitmap::SetTransparentColor(TColor Value) {
    transparentColor_ = Value;
    transparentMode_ = Value == clDefault ? tmAuto : tmFixed;
    Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
    if (Value == transparentMode_) return;
    transparentMode_ = Value;
    if (Value == tmAuto) transparentColor_ = clDefault;
    Changed(this);
}

void TBitmap::Assign(TPersistent* Source) {
    if (!Source) {
        SetSize(0, 0);
        return;
    }
    if (auto* b = dynamic_cast<TBitmap*>(Source)) {
        if (b == this) return;
        auto* copy = new TGdiBitmap(0, 0);
        copy->Data().Image = b->handle_->Data().Image.copy();
        transparentColor_ = b->transparentColor_;
        transparentMode_ = b->transparentMode_;
        SetTransparent(b->Transparent());
        NewImage(copy);
        return;
    }
    TGraphic::Assign(Source);
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const AnsiString& ResName) {
    HBITMAP b = LoadBitmap(Instance, ResName.c_str());
    if (!b) throw EResNotFound("Resource " + ResName + " not found");
    NewImage(b);
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (Empty()) return;
    HDC dc = ACanvas->Handle();
    TRect whole(0, 0, Width(), Height());
    if (Transparent()) {
        HBITMAP keyed = KeyedCopy(handle_, whole, Ref(TransparentColor()), nullptr);
        BlendOnto(dc, Rect, keyed, whole);
        DeleteObject(keyed);
        return;
    }
    StretchBlt(dc, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), Canvas()->Handle(), 0, 0, Width(), Height(),
               ACanvas->CopyMode());
}

// ---- Picture ----

TPicture::TPicture() = default;

TPicture::~TPicture() { delete graphic_; }

void TPicture::GraphicChanged(TObject*) {
    if (OnChange) OnChange(this);
}

void TPicture::Take(TGraphic* graphic) {
    delete graphic_;
    graphic_ = graphic;
    if (graphic_) graphic_->OnChange = TNotifyEvent(this, &TPicture::GraphicChanged);
    GraphicChanged(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
    if (Value == graphic_) return;
    TGraphic* copy = nullptr;
    if (dynamic_cast<TJPEGImage*>(Value))
        copy = new TJPEGImage;
    else if (Value)
        copy = new TBitmap;
    if (copy) copy->Assign(Value);
    Take(copy);
}

TBitmap* TPicture::Bitmap() {
    if (auto* b = dynamic_cast<TBitmap*>(graphic_)) return b;
    auto* b = new TBitmap;
    Take(b);
    return b;
}

void TPicture::LoadFromFile(const AnsiString& FileName) {
    size_t dot = FileName.find_last_of('.');
    AnsiString ext = dot == AnsiString::npos ? AnsiString() : LowerCase(FileName.substr(dot));
    if (ext != ".jpg" && ext != ".jpeg") throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->LoadFromFile(FileName);
    Take(jpeg.release());
}

void TPicture::Assign(TPersistent* Source) {
    if (!Source) {
        SetGraphic(nullptr);
    } else if (auto* p = dynamic_cast<TPicture*>(Source)) {
        SetGraphic(p->graphic_);
    } else if (auto* g = dynamic_cast<TGraphic*>(Source)) {
        SetGraphic(g);
    } else {
        TPersistent::Assign(Source);
    }
}

// ---- Image lists ----

TChangeLink::~TChangeLink() {
    if (Sender) Sender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
    if (Sender && OnChange) OnChange(Sender);
}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList* TCustomImageList::CreateSize(int AWidth, int AHeight) {
    auto* list = new TCustomImageList(nullptr);
    list->width_ = AWidth;
    list->height_ = AHeight;
    return list;
}

TCustomImageList::~TCustomImageList() {
    for (HBITMAP b : images_) b->Release();
    for (TChangeLink* link : links_) link->Sender = nullptr;
}

void TCustomImageList::Assign(TPersistent* Source) {
    if (auto* list = dynamic_cast<TCustomImageList*>(Source)) {
        if (list == this) return;
        for (HBITMAP b : images_) b->Release();
        images_.clear();
        width_ = list->width_;
        height_ = list->height_;
        bkColor_ = list->bkColor_;
        for (HBITMAP b : list->images_) {
            auto* copy = new TGdiBitmap(0, 0, true);
            copy->Data().Image = b->Data().Image.copy();
            images_.push_back(copy);
        }
        Change();
        return;
    }
    TComponent::Assign(Source);
}

void TCustomImageList::SetWidth(int Value) {
    if (Value == width_ || Value <= 0) return;
    width_ = Value;
    Clear();
}

void TCustomImageList::SetHeight(int Value) {
    if (Value == height_ || Value <= 0) return;
    height_ = Value;
    Clear();
}

void TCustomImageList::SetBkColor(TColor Value) {
    if (Value == bkColor_) return;
    bkColor_ = Value;
    Change();
}

void TCustomImageList::Change() {
    for (TChangeLink* link : std::vector<TChangeLink*>(links_)) link->Change();
    if (OnChange) OnChange(this);
}

void TCustomImageList::Store(HBITMAP image, int at) {
    images_.insert(images_.begin() + at, image);
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
    if (!Image || Image->Width() < width_ || width_ <= 0) return -1;
    int n = Image->Width() / width_;
    int first = Count();
    const QImage& src = Image->Handle()->Data().Image;
    const QImage* mask = Mask && !Mask->Empty() ? &Mask->Handle()->Data().Image : nullptr;
    for (int i = 0; i < n; ++i) {
        QImage cell(width_, height_, QImage::Format_ARGB32);
        cell.fill(Qt::transparent);
        for (int y = 0; y < height_ && y < src.height(); ++y)
            for (int x = 0; x < width_; ++x) {
                int sx = i * width_ + x;
                bool clear = mask && sx < mask->width() && y < mask->height() && (mask->pixel(sx, y) & 0xFFFFFF) != 0;
                if (!clear) cell.setPixel(x, y, src.pixel(sx, y) | 0xFF000000u);
            }
        auto* b = new TGdiBitmap(0, 0, true);
        b->Data().Image = cell.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        Store(b, first + i);
    }
    Change();
    return first;
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
    if (!Image || Image->Empty()) return -1;
    TColor key = MaskColor == clDefault ? Image->TransparentColor() : MaskColor;
    TBitmap mask;
    mask.SetSize(Image->Width(), Image->Height());
    QImage& m = mask.Handle()->Data().Image;
    const QImage& src = Image->Handle()->Data().Image;
    QRgb keyRgb = 0xFF000000u | qRgb(GetRValue(Ref(key)), GetGValue(Ref(key)), GetBValue(Ref(key)));
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            m.setPixel(x, y, (src.pixel(x, y) | 0xFF000000u) == keyRgb ? 0xFFFFFFFFu : 0xFF000000u);
    return Add(Image, &mask);
}

void TCustomImageList::Delete(int Index) {
    if (Index < 0 || Index >= Count()) throw EInvalidOperation("Invalid image list index");
    images_[Index]->Release();
    images_.erase(images_.begin() + Index);
    Change();
}

void TCustomImageList::Clear() {
    for (HBITMAP b : images_) b->Release();
    images_.clear();
    Change();
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
    if (!Canvas || Index < 0 || Index >= Count()) return;
    HDC dc = Canvas->Handle();
    TRect dest = Bounds(X, Y, width_, height_);
    TRect whole(0, 0, width_, height_);
    if (bkColor_ != clNone) {
        HBRUSH b = CreateSolidBrush(Ref(bkColor_));
        ::FillRect(dc, &dest, b);
        DeleteObject(b);
    }
    if (Enabled) {
        BlendOnto(dc, dest, images_[Index], whole);
        return;
    }
    // Disabled: the dark parts of the image, embossed.
    const QImage& src = images_[Index]->Data().Image;
    auto shape = [&](COLORREF color) {
        QImage img(width_, height_, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        QRgb rgb = qRgb(GetRValue(color), GetGValue(color), GetBValue(color));
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                QRgb p = src.pixel(x, y);
                if (qAlpha(p) > 127 && qGray(p) < 192) img.setPixel(x, y, rgb);
            }
        auto* b = new TGdiBitmap(0, 0, true);
        b->Data().Image = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        return b;
    };
    HBITMAP light = shape(GetSysColor(COLOR_BTNHIGHLIGHT));
    HBITMAP dark = shape(GetSysColor(COLOR_BTNSHADOW));
    BlendOnto(dc, Bounds(X + 1, Y + 1, width_, height_), light, whole);
    BlendOnto(dc, dest, dark, whole);
    DeleteObject(light);
    DeleteObject(dark);
}

bool TCustomImageList::GetBitmap(int Index, TBitmap* Image) {
    if (!Image || Index < 0 || Index >= Count()) return false;
    Image->SetSize(width_, height_);
    TRect whole(0, 0, width_, height_);
    HBRUSH b = CreateSolidBrush(bkColor_ == clNone ? RGB(255, 255, 255) : Ref(bkColor_));
    ::FillRect(Image->Canvas()->Handle(), &whole, b);
    DeleteObject(b);
    BlendOnto(Image->Canvas()->Handle(), whole, images_[Index], whole);
    return true;
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
    if (!Value) return;
    if (std::find(links_.begin(), links_.end(), Value) == links_.end()) links_.push_back(Value);
    Value->Sender = this;
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
    auto it = std::find(links_.begin(), links_.end(), Value);
    if (it == links_.end()) return;
    links_.erase(it);
    Value->Sender = nullptr;
}

// ---- Qt bridges ----

QColor ToQColor(TColor Color) {
    COLORREF c = Ref(Color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

QFont ToQFont(TFont* Font) { return FontFace(Font->LogFont()).Font; }

QImage ToQImage(HBITMAP Bitmap) { return Bitmap ? Bitmap->Data().Image.copy() : QImage(); }

QImage ToQImage(TBitmap* Bitmap) { return ToQImage(Bitmap->Handle()); }

void AssignQImage(TBitmap* Bitmap, const QImage& Image) {
    auto* b = new TGdiBitmap(0, 0);
    b->Data().Image = Image.convertToFormat(QImage::Format_RGB32);
    Bitmap->SetHandle(b);
}

// ---- Published properties ----

TESK_PUBLISHED(TGraphicsObject) {}

TESK_PUBLISHED(TFont) {
    // A stored font always says its character set and style, default or not.
    Property("Charset", TypeInfoTFontCharset(), &T::Charset, &T::SetCharset).NoDefault();
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor).NoDefault();
    Property("Height", &T::Height, &T::SetHeight).NoDefault();
    Property("Name", &T::Name, &T::SetName);
    Property("Orientation", &T::Orientation, &T::SetOrientation).Default(0);
    Property("Pitch", &T::Pitch, &T::SetPitch).Default(fpDefault);
    Property("Size", &T::Size, &T::SetSize).Stored(false);
    Property("Style", &T::Style, &T::SetStyle).NoDefault();
}

TESK_PUBLISHED(TPen) {
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Default(clBlack);
    Property("Mode", &T::Mode, &T::SetMode).Default(pmCopy);
    Property("Style", &T::Style, &T::SetStyle).Default(psSolid);
    Property("Width", &T::Width, &T::SetWidth).Default(1);
}

TESK_PUBLISHED(TBrush) {
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Default(clWhite);
    Property("Style", &T::Style, &T::SetStyle).Default(bsSolid);
}

TESK_PUBLISHED(TGraphic) {}
TESK_PUBLISHED(TBitmap) {}
TESK_PUBLISHED(TJPEGImage) {}
TESK_PUBLISHED(TPicture) {}

TESK_PUBLISHED(TCustomImageList) {
    Property("BkColor", TypeInfoTColor(), &T::BkColor, &T::SetBkColor).Default(clNone);
    Property("Height", &T::Height, &T::SetHeight).Default(16);
    Property("Width", &T::Width, &T::SetWidth).Default(16);
    Property("OnChange", &T::OnChange, &T::OnChange);
}

TESK_PUBLISHED(TImageList) {}
