#pragma once
// Qt-side insides of the drawing layer, shared by the graphics sources of
// platform/gui only.
#include <QFont>
#include <QImage>
#include <QRawFont>
#include <QRegion>
#include <memory>

#include "platform/gui/GdiDevice.h"

struct TRegionData {
    QRegion Region;
};

struct TBitmapData {
    QImage Image;
    std::unique_ptr<TGdiDevice> Device;
};

inline QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }
inline TRect FromQRect(const QRect& r) { return TRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()); }
inline QColor ToQColorRef(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline COLORREF FromQRgb(QRgb c) { return RGB(qRed(c), qGreen(c), qBlue(c)); }

// A realised font: the Qt font for a LOGFONT with the metrics the drawing calls
// answer, and integer advances per byte of the active code page. Glyphs are
// placed at these advances, so measuring and drawing always agree.
class TFontFace {
public:
    explicit TFontFace(const LOGFONT& lf);

    QFont Font;
    QRawFont Raw;
    int Ascent = 0;
    int Descent = 0;
    int Height = 0;
    int InternalLeading = 0;
    int ExternalLeading = 0;
    int AveCharWidth = 0;
    int MaxCharWidth = 0;
    int Weight = FW_NORMAL;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    bool FixedPitch = false;
    uint8_t CharSet = DEFAULT_CHARSET;
    // The italic slope, as the outline metrics give it.
    int SlopeRise = 1;
    int SlopeRun = 0;
    int ItalicAngle = 0;  // tenths of a degree

    int Advance(unsigned char c) const;
    quint32 Glyph(unsigned char c) const;
    ABC Abc(unsigned char c) const;
    int TextWidth(const char* text, int length, int charExtra = 0) const;
    // Whether the glyphs of text, their cells starting at (x, y) and advancing
    // by dx, put no pixel outside r (a pixel of margin around each outline).
    bool InkWithin(const char* text, size_t length, const int* dx, int x, int y, const TRect& r) const;

private:
    void Fill() const;
    mutable int page_ = 0;
    mutable int advance_[256] = {};
    mutable quint32 glyph_[256] = {};
    mutable int left_[256] = {};
    mutable int right_[256] = {};
    // Each glyph's outline box from its cell's top-left, widened to whole pixels.
    mutable TRect ink_[256] = {};
};

// The realised font for a description; cached for the life of the process.
const TFontFace& FontFace(const LOGFONT& lf);
// The installed family drawn for a face name of the classic desktop.
QString MapFaceName(const char* faceName);

// A device that draws on a QImage (memory contexts, bitmaps) or with a painter
// someone else opened (a widget during its paint).
std::unique_ptr<TGdiDevice> CreateImageDevice(TGdiBitmap* bitmap);

// Closes the painter a bitmap's device keeps open, before its pixels are
// changed directly.
void EndImagePainting(TGdiBitmap* bitmap);
