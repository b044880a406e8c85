#pragma once
// Colours, fonts, pens, brushes, the canvas, bitmaps, pictures and image lists,
// drawn through the GDI calls of Gdi.h.
#include <initializer_list>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/Streams.h"
#include "platform/classes/UITypes.h"
#include "platform/gui/Gdi.h"
#include "platform/rtti/TypInfo.h"

// ---- Colours ----
// TColor and the cl* constants are in UITypes.h.

// The RGB value of a colour: system colours come from the fixed palette; other
// values (clNone included) pass unchanged.
TColor ColorToRGB(TColor Color);

TESK_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
TESK_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);

// ---- Fonts, pens, brushes ----

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
// A set of font styles: bit i holds element i (so the bits also index the 16 style combinations).
struct TFontStyles {
    uint8_t Bits = 0;
    constexpr TFontStyles() = default;
    constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
        for (TFontStyle s : styles) Bits |= static_cast<uint8_t>(1u << s);
    }
    static constexpr TFontStyles FromBits(unsigned bits) {
        TFontStyles s;
        s.Bits = static_cast<uint8_t>(bits & 0xF);
        return s;
    }
    constexpr bool Contains(TFontStyle s) const { return (Bits >> s) & 1u; }
    constexpr bool Empty() const { return Bits == 0; }
    constexpr TFontStyles& Include(TFontStyle s) { Bits |= static_cast<uint8_t>(1u << s); return *this; }
    constexpr TFontStyles& Exclude(TFontStyle s) { Bits &= static_cast<uint8_t>(~(1u << s)); return *this; }
    friend constexpr TFontStyles operator+(TFontStyles a, TFontStyles b) { return FromBits(a.Bits | b.Bits); }
    friend constexpr TFontStyles operator-(TFontStyles a, TFontStyles b) { return FromBits(a.Bits & ~b.Bits); }
    friend constexpr TFontStyles operator*(TFontStyles a, TFontStyles b) { return FromBits(a.Bits & b.Bits); }
    friend constexpr bool operator==(TFontStyles, TFontStyles) = default;
};
template <>
struct TSetTraits<TFontStyles> {
    static TSetBits ToBits(const TFontStyles& s) { return OrdToSetBits(s.Bits); }
    static TFontStyles FromBits(const TSetBits& b) { return TFontStyles::FromBits(b[0]); }
};

enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// The line-drawing modes that map onto a ROP2 mode.
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotXor, pmXor };
enum TBrushStyle { bsSolid, bsClear };

TESK_ENUM_INFO(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
TESK_SET_INFO(TFontStyles, TFontStyle)
TESK_ENUM_INFO(TFontPitch, fpDefault, fpVariable, fpFixed)
TESK_ENUM_INFO(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)
TESK_ENUM_INFO(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotXor, pmXor)
TESK_ENUM_INFO(TBrushStyle, bsSolid, bsClear)

class TGraphicsObject : public TPersistent {
    TESK_CLASS(TGraphicsObject, TPersistent)
public:
    TNotifyEvent OnChange;

protected:
    virtual void Changed();
};

class TFont : public TGraphicsObject {
    TESK_CLASS(TFont, TGraphicsObject)
public:
    TFont();
    ~TFont() override;
    void Assign(TPersistent* Source) override;

    // The font handle for the current properties. Setting a handle takes over
    // its face, height, style, charset and pitch; the next property change
    // builds a handle of its own again.
    HFONT Handle();
    void SetHandle(HFONT Value);

    const AnsiString& Name() const { return name_; }
    void SetName(const AnsiString& Value);
    // Negative: the character height in pixels; positive: the cell height.
    int Height() const { return height_; }
    void SetHeight(int Value);
    // Points at PixelsPerInch: Height = -MulDiv(Size, PixelsPerInch, 72).
    int Size() const;
    void SetSize(int Value);
    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles Value);
    TFontCharset Charset() const { return charset_; }
    void SetCharset(TFontCharset Value);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch Value);
    // Tenths of a degree, counter-clockwise (900: text running upwards).
    int Orientation() const { return orientation_; }
    void SetOrientation(int Value);
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int Value) { pixelsPerInch_ = Value; }
    // The description the handle is made from.
    LOGFONT LogFont() const;

private:
    void Change();
    AnsiString name_ = "MS Sans Serif";
    int height_ = -11;
    TColor color_ = clWindowText;
    TFontStyles style_;
    TFontCharset charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = fpDefault;
    int orientation_ = 0;
    int pixelsPerInch_ = 96;
    HFONT handle_ = nullptr;
    bool adopted_ = false;
};

class TPen : public TGraphicsObject {
    TESK_CLASS(TPen, TGraphicsObject)
public:
    TPen() = default;
    ~TPen() override;
    void Assign(TPersistent* Source) override;
    HPEN Handle();
    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    int Width() const { return width_; }
    void SetWidth(int Value);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle Value);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode Value);

private:
    void Change();
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
    HPEN handle_ = nullptr;
};

class TBrush : public TGraphicsObject {
    TESK_CLASS(TBrush, TGraphicsObject)
public:
    TBrush() = default;
    ~TBrush() override;
    void Assign(TPersistent* Source) override;
    HBRUSH Handle();
    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle Value);

private:
    void Change();
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    HBRUSH handle_ = nullptr;
};

// ---- Canvas ----

class TGraphic;
class TBitmap;

// Drawing surface over a device context: the selected font, pen and brush are
// realised in the context when a drawing call needs them (and only when they
// have changed, so that modes set on the Handle directly stay in force).
class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;
    const char* ClassName() const override { return "TCanvas"; }

    void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color);
    void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
    void Draw(int X, int Y, TGraphic* Graphic);
    void DrawFocusRect(const TRect& Rect);
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const TRect& Rect) { Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
    void FillRect(const TRect& Rect);
    void FrameRect(const TRect& Rect);
    void LineTo(int X, int Y);
    void MoveTo(int X, int Y);
    void Polygon(const std::vector<TPoint>& Points);
    void Polyline(const std::vector<TPoint>& Points);
    // Counts[i] points make line i.
    void PolyPolyline(const std::vector<TPoint>& Points, const std::vector<int>& Counts);
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& Rect) { Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
    void StretchDraw(const TRect& Rect, TGraphic* Graphic);
    TSize TextExtent(const AnsiString& Text);
    int TextHeight(const AnsiString& Text);
    int TextWidth(const AnsiString& Text);
    void TextOut(int X, int Y, const AnsiString& Text);
    // Text clipped to Rect; the rectangle is filled with the brush unless the brush is clear.
    void TextRect(const TRect& Rect, int X, int Y, const AnsiString& Text);
    void Refresh();

    // Nesting count only: painting runs on one thread.
    void Lock() { ++lockCount_; }
    void Unlock() { --lockCount_; }
    bool TryLock() { ++lockCount_; return true; }
    int LockCount() const { return lockCount_; }

    // The visible, clipped area in logical coordinates.
    TRect ClipRect();
    HDC Handle();
    void SetHandle(HDC Value);
    bool HandleAllocated() const { return handle_ != nullptr; }

    TFont* Font() const { return font_; }
    void SetFont(TFont* Value) { font_->Assign(Value); }
    TPen* Pen() const { return pen_; }
    void SetPen(TPen* Value) { pen_->Assign(Value); }
    TBrush* Brush() const { return brush_; }
    void SetBrush(TBrush* Value) { brush_->Assign(Value); }
    TPoint PenPos();
    void SetPenPos(TPoint Value) { MoveTo(Value.X, Value.Y); }
    TColor Pixels(int X, int Y);
    void SetPixels(int X, int Y, TColor Value);
    DWORD CopyMode() const { return copyMode_; }
    void SetCopyMode(DWORD Value) { copyMode_ = Value; }
    // ExtTextOut options added to every TextOut and TextRect.
    UINT TextFlags() const { return textFlags_; }
    void SetTextFlags(UINT Value) { textFlags_ = Value; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    enum : int { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };
    virtual void Changed();
    virtual void Changing();
    // Makes a handle when a drawing call needs one; the base class has none to make.
    virtual void CreateHandle();
    void RequiredState(int State);
    // Puts stock objects back into the context so that ours can be freed.
    void DeselectHandles();

private:
    void FontChanged(TObject* Sender);
    void PenChanged(TObject* Sender);
    void BrushChanged(TObject* Sender);
    HDC handle_ = nullptr;
    int state_ = 0;
    TFont* font_;
    TPen* pen_;
    TBrush* brush_;
    int lockCount_ = 0;
    DWORD copyMode_ = SRCCOPY;
    UINT textFlags_ = 0;
};

// ---- Pictures ----

class TGraphic : public TPersistent {
    TESK_CLASS(TGraphic, TPersistent)
public:
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int Value) = 0;
    virtual void SetHeight(int Value) = 0;
    virtual bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool Value);
    bool Modified() const { return modified_; }
    void SetModified(bool Value) { modified_ = Value; }
    virtual void LoadFromFile(const AnsiString& FileName);
    virtual void LoadFromStream(TStream* Stream);

    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    friend class TPicture;
    virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;
    virtual void Changed(TObject* Sender);

private:
    bool transparent_ = false;
    bool modified_ = false;
};

// Lends a device context to a locked canvas for the length of a paint; the
// canvas lets go of it and is unlocked however the paint ends.
class TCanvasPaintScope {
public:
    TCanvasPaintScope(TCanvas* Canvas, HDC DC) : canvas_(Canvas) {
        canvas_->Lock();
        canvas_->SetHandle(DC);
    }
    ~TCanvasPaintScope() {
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
    }
    TCanvasPaintScope(const TCanvasPaintScope&) = delete;
    TCanvasPaintScope& operator=(const TCanvasPaintScope&) = delete;

private:
    TCanvas* canvas_;
};

enum TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TGraphic {
    TESK_CLASS(TBitmap, TGraphic)
public:
    TBitmap();
    ~TBitmap() override;
    void Assign(TPersistent* Source) override;

    TCanvas* Canvas();
    // The bitmap's handle (a 0 x 0 bitmap until it has a size); a new handle is
    // taken over and freed with the bitmap.
    HBITMAP Handle();
    void SetHandle(HBITMAP Value);
    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int Value) override;
    void SetHeight(int Value) override;
    // Keeps the pixels that still fit; new ones are white.
    void SetSize(int AWidth, int AHeight);
    // tmAuto: the bottom-left pixel; tmFixed: the colour set.
    TColor TransparentColor();
    void SetTransparentColor(TColor Value);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode Value);
    // One of our built-in pictures; EResNotFound when there is none of that name.
    void LoadFromResourceName(HINSTANCE Instance, const AnsiString& ResName);

protected:
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
    friend class TBitmapCanvas;
    void NewImage(HBITMAP bitmap);
    HBITMAP handle_ = nullptr;
    TCanvas* canvas_ = nullptr;
    TColor transparentColor_ = clDefault;
    TTransparentMode transparentMode_ = tmAuto;
};

// A picture read from JPEG data through libjpeg; EInvalidGraphic when the data
// is not a sound JPEG.
class TJPEGImage : public TGraphic {
    TESK_CLASS(TJPEGImage, TGraphic)
public:
    TJPEGImage();
    ~TJPEGImage() override;
    void Assign(TPersistent* Source) override;
    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int) override;
    void SetHeight(int) override;
    void LoadFromStream(TStream* Stream) override;
    void LoadFromBytes(const void* Data, size_t Size);
    // The decoded picture.
    TBitmap* Bitmap() const { return bitmap_; }

protected:
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;
    void AssignTo(TPersistent* Dest) override;

private:
    TBitmap* bitmap_;
};

class TPicture : public TPersistent {
    TESK_CLASS(TPicture, TPersistent)
public:
    TPicture();
    ~TPicture() override;
    void Assign(TPersistent* Source) override;
    TGraphic* Graphic() const { return graphic_; }
    // A copy of Value (nullptr clears the picture).
    void SetGraphic(TGraphic* Value);
    // The picture as a bitmap; a picture of another kind is replaced by an empty bitmap.
    TBitmap* Bitmap();
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    // .jpg and .jpeg files; EInvalidGraphic for others.
    void LoadFromFile(const AnsiString& FileName);

    TNotifyEvent OnChange;

private:
    void GraphicChanged(TObject* Sender);
    void Take(TGraphic* graphic);
    TGraphic* graphic_ = nullptr;
};

// ---- Image lists ----

class TCustomImageList;

// Tells a user of an image list that its images changed.
class TChangeLink : public TObject {
public:
    ~TChangeLink() override;
    const char* ClassName() const override { return "TChangeLink"; }
    TCustomImageList* Sender = nullptr;
    TNotifyEvent OnChange;
    virtual void Change();
};

class TCustomImageList : public TComponent {
    TESK_CLASS(TCustomImageList, TComponent)
public:
    explicit TCustomImageList(TComponent* AOwner);
    static TCustomImageList* CreateSize(int AWidth, int AHeight);
    ~TCustomImageList() override;
    void Assign(TPersistent* Source) override;

    int Width() const { return width_; }
    void SetWidth(int Value);
    int Height() const { return height_; }
    void SetHeight(int Value);
    int Count() const { return static_cast<int>(images_.size()); }
    // clNone draws the images over what is there; a colour fills their masked parts.
    TColor BkColor() const { return bkColor_; }
    void SetBkColor(TColor Value);

    // A bitmap Width wide per image (a wider one gives several); Mask is white
    // where the image is see-through (nullptr: nowhere). Returns the first index.
    int Add(TBitmap* Image, TBitmap* Mask);
    // Pixels of MaskColor become see-through.
    int AddMasked(TBitmap* Image, TColor MaskColor);
    void Delete(int Index);
    void Clear();
    // Disabled images are drawn embossed in the button shadow and highlight colours.
    void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
    // Image Index drawn on a bitmap of the list's size (on BkColor, or the mask colour white).
    bool GetBitmap(int Index, TBitmap* Image);

    void RegisterChanges(TChangeLink* Value);
    void UnRegisterChanges(TChangeLink* Value);
    TNotifyEvent OnChange;

protected:
    virtual void Change();

private:
    void Store(HBITMAP image, int at);
    int width_ = 16;
    int height_ = 16;
    TColor bkColor_ = clNone;
    std::vector<HBITMAP> images_;  // with alpha
    std::vector<TChangeLink*> links_;
};

class TImageList : public TCustomImageList {
    TESK_CLASS(TImageList, TCustomImageList)
public:
    using TCustomImageList::TCustomImageList;
};
