#include "platform/gui/Gdi.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstring>

#include "platform/gui/GdiInternal.h"

HGDIOBJ StockGdiObject(int index);  // GdiDevice.cpp

namespace {

// The classic desktop palette: fixed, so that every run and every test sees
// the same colours (a highlight of navy, buttons of silver).
const COLORREF kSysColors[SYSTEM_COLOR_COUNT] = {
    RGB(192, 192, 192),  // scroll bar
    RGB(0, 128, 128),    // desktop
    RGB(0, 0, 128),      // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(192, 192, 192),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(192, 192, 192),  // active border
    RGB(192, 192, 192),  // inactive border
    RGB(128, 128, 128),  // application workspace
    RGB(0, 0, 128),      // highlight
    RGB(255, 255, 255),  // highlighted text
    RGB(192, 192, 192),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(192, 192, 192),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(0, 0, 0),        // 3-D dark shadow
    RGB(223, 223, 223),  // 3-D light
    RGB(0, 0, 0),        // tooltip text
    RGB(255, 255, 225),  // tooltip background
    RGB(180, 180, 180),  // (unused)
    RGB(0, 0, 255),      // hot-tracked item
    RGB(16, 132, 208),   // active caption gradient
    RGB(192, 192, 192),  // inactive caption gradient
    RGB(0, 0, 128),      // menu highlight
    RGB(192, 192, 192),  // menu bar
};

// A device without pixels: measuring contexts draw nowhere.
class TNullDevice final : public TGdiDevice {
public:
    TSize Size() const override {
        if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            if (QScreen* s = app->primaryScreen()) return {s->geometry().width(), s->geometry().height()};
        return {1024, 768};
    }
    void Fill(const TRect&, COLORREF, const TGdiPaint&) override {}
    void Stroke(const std::vector<TPoint>&, bool, bool, const TPenDesc&, const TGdiPaint&) override {}
    void FillPolygon(const std::vector<TPoint>&, int, COLORREF, const TGdiPaint&) override {}
    void EllipseShape(const TRect&, const TPenDesc*, const TBrushDesc*, const TGdiPaint&) override {}
    void Glyphs(const TTextRun&, const TGdiPaint&) override {}
    void Image(const TRect&, TGdiBitmap&, const TRect&, DWORD, const TGdiPaint&) override {}
    void XorDots(const std::vector<TPoint>&, const std::vector<COLORREF>&, const TGdiPaint&) override {}
    void Pixel(int, int, COLORREF, const TGdiPaint&) override {}
};

TGdiPaint CopyPaint(HDC dc) {
    TGdiPaint p = dc->Paint();
    p.Rop2 = R2_COPYPEN;
    return p;
}

// Fills a logical rectangle with a colour, as brushes fill (ROP2 does not apply).
void FillSolid(HDC dc, const TRect& r, COLORREF color) {
    TRect d = dc->ToDevice(r);
    if (!IsRectEmpty(d)) dc->Device()->Fill(d, color, CopyPaint(dc));
}

// A brush handle, or a system colour index + 1 as Win32 allows.
bool BrushColor(HBRUSH brush, COLORREF* color) {
    auto value = reinterpret_cast<uintptr_t>(brush);
    if (value == 0) return false;
    if (value <= static_cast<uintptr_t>(SYSTEM_COLOR_COUNT)) {
        *color = GetSysColor(static_cast<int>(value) - 1);
        return true;
    }
    if (brush->Desc().Null) return false;
    *color = brush->Desc().Color;
    return true;
}

std::vector<TPoint> ToDevicePoints(HDC dc, const TPoint* points, int count) {
    std::vector<TPoint> out;
    out.reserve(count > 0 ? count : 0);
    for (int i = 0; i < count; ++i) out.push_back(dc->ToDevice(points[i]));
    return out;
}

uint8_t CharSetOfCodePage() {
    switch (CodePage::Active().Number()) {
        case 1250: return EASTEUROPE_CHARSET;
        case 1252: return ANSI_CHARSET;
        default: return RUSSIAN_CHARSET;
    }
}

}  // namespace

// ---- Device contexts ----

HDC CreateCompatibleDC(HDC) { return TDeviceContext::CreateMemory(); }

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) { return new TGdiBitmap(width, height); }

HDC CreateScreenDC() { return new TDeviceContext(new TNullDevice, true); }

bool DeleteDC(HDC dc) {
    delete dc;
    return dc != nullptr;
}

int SaveDC(HDC dc) { return dc ? dc->Save() : 0; }

bool RestoreDC(HDC dc, int savedDC) { return dc && dc->Restore(savedDC); }

// ---- Objects ----

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) { return dc && object ? dc->Select(object) : nullptr; }

bool DeleteObject(HGDIOBJ object) {
    if (!object) return false;
    object->Release();
    return true;
}

HGDIOBJ GetStockObject(int index) { return StockGdiObject(index); }

HGDIOBJ GetCurrentObject(HDC dc, UINT objectType) { return dc ? dc->Current(objectType) : nullptr; }

UINT GetObjectType(HGDIOBJ object) { return object ? object->ObjectType() : 0; }

int GetObject(HGDIOBJ object, int size, void* buffer) {
    if (!object) return 0;
    if (object->ObjectType() == OBJ_FONT) {
        if (!buffer) return sizeof(LOGFONT);
        int n = std::min<int>(size, sizeof(LOGFONT));
        std::memcpy(buffer, &static_cast<HFONT>(object)->LogFont(), n);
        return n;
    }
    if (object->ObjectType() == OBJ_BITMAP) {
        if (!buffer) return sizeof(BITMAP);
        auto* b = static_cast<HBITMAP>(object);
        BITMAP bm;
        bm.bmWidth = b->Width();
        bm.bmHeight = b->Height();
        bm.bmWidthBytes = b->Width() * 4;
        int n = std::min<int>(size, sizeof(BITMAP));
        std::memcpy(buffer, &bm, n);
        return n;
    }
    return 0;
}

bool UnrealizeObject(HGDIOBJ object) { return object != nullptr; }

HFONT CreateFontIndirect(const LOGFONT* lf) { return lf ? new TGdiFont(*lf) : nullptr; }

HPEN CreatePen(int style, int width, COLORREF color) {
    return new TGdiPen({static_cast<DWORD>(style), width, color});
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD, const DWORD*) {
    COLORREF color = brush ? brush->lbColor : 0;
    if (brush && brush->lbStyle == BS_NULL) style = (style & ~PS_STYLE_MASK) | PS_NULL;
    return new TGdiPen({style, static_cast<int>(width), color});
}

HBRUSH CreateSolidBrush(COLORREF color) { return new TGdiBrush({false, color}); }

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
    if (!brush) return nullptr;
    return new TGdiBrush({brush->lbStyle == BS_NULL, brush->lbColor});
}

// ---- Colours, modes and device facts ----

COLORREF SetTextColor(HDC dc, COLORREF color) {
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->State().TextColor, color & 0xFFFFFF);
}
COLORREF GetTextColor(HDC dc) { return dc ? dc->State().TextColor : CLR_INVALID; }

COLORREF SetBkColor(HDC dc, COLORREF color) {
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->State().BkColor, color & 0xFFFFFF);
}
COLORREF GetBkColor(HDC dc) { return dc ? dc->State().BkColor : CLR_INVALID; }

int SetBkMode(HDC dc, int mode) {
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    return std::exchange(dc->State().BkMode, mode);
}
int GetBkMode(HDC dc) { return dc ? dc->State().BkMode : 0; }

int SetROP2(HDC dc, int mode) {
    if (!dc || mode < R2_BLACK || mode > R2_WHITE) return 0;
    return std::exchange(dc->State().Rop2, mode);
}
int GetROP2(HDC dc) { return dc ? dc->State().Rop2 : 0; }

int SetTextCharacterExtra(HDC dc, int extra) {
    if (!dc) return 0x80000000;
    return std::exchange(dc->State().CharExtra, extra);
}
int GetTextCharacterExtra(HDC dc) { return dc ? dc->State().CharExtra : 0x80000000; }

COLORREF GetNearestColor(HDC, COLORREF color) { return color & 0xFFFFFF; }

int GetDeviceCaps(HDC dc, int index) {
    switch (index) {
        case LOGPIXELSX:
        case LOGPIXELSY: return 96;
        case BITSPIXEL: return 32;
        case PLANES: return 1;
        case NUMCOLORS: return -1;
        case SIZEPALETTE: return 0;
        case HORZRES: return dc ? dc->Device()->Size().cx : 0;
        case VERTRES: return dc ? dc->Device()->Size().cy : 0;
        default: return 0;
    }
}

COLORREF GetSysColor(int index) {
    if (index < 0 || index >= SYSTEM_COLOR_COUNT) return 0;
    return kSysColors[index];
}

HBRUSH GetSysColorBrush(int index) {
    static TGdiBrush* brushes[SYSTEM_COLOR_COUNT] = {};
    if (index < 0 || index >= SYSTEM_COLOR_COUNT) return nullptr;
    if (!brushes[index]) {
        brushes[index] = new TGdiBrush({false, kSysColors[index]});
        brushes[index]->MakeStock();
    }
    return brushes[index];
}

// ---- Text ----

bool GetTextMetrics(HDC dc, TEXTMETRIC* tm) {
    if (!dc || !tm) return false;
    const LOGFONT& lf = dc->Font();
    const TFontFace& f = FontFace(lf);
    *tm = TEXTMETRIC();
    tm->tmHeight = f.Height;
    tm->tmAscent = f.Ascent;
    tm->tmDescent = f.Descent;
    tm->tmInternalLeading = f.InternalLeading;
    tm->tmExternalLeading = f.ExternalLeading;
    tm->tmAveCharWidth = f.AveCharWidth;
    tm->tmMaxCharWidth = f.MaxCharWidth;
    tm->tmWeight = f.Weight;
    tm->tmOverhang = 0;
    tm->tmItalic = f.Italic ? 1 : 0;
    tm->tmUnderlined = f.Underline ? 1 : 0;
    tm->tmStruckOut = f.StrikeOut ? 1 : 0;
    tm->tmPitchAndFamily = static_cast<uint8_t>((f.FixedPitch ? 0 : TMPF_FIXED_PITCH) | TMPF_TRUETYPE |
                                                (lf.lfPitchAndFamily & 0xF0));
    tm->tmCharSet = lf.lfCharSet == DEFAULT_CHARSET ? CharSetOfCodePage() : lf.lfCharSet;
    return true;
}

UINT GetOutlineTextMetrics(HDC dc, UINT size, OUTLINETEXTMETRIC* otm) {
    if (!dc) return 0;
    if (!otm) return sizeof(OUTLINETEXTMETRIC);
    if (size < sizeof(OUTLINETEXTMETRIC)) return 0;
    const TFontFace& f = FontFace(dc->Font());
    *otm = OUTLINETEXTMETRIC();
    GetTextMetrics(dc, &otm->otmTextMetrics);
    otm->otmfsSelection = (f.Italic ? 1u : 0u) | (f.Weight >= 600 ? 0x20u : 0u);
    otm->otmsCharSlopeRise = f.SlopeRise;
    otm->otmsCharSlopeRun = f.SlopeRun;
    otm->otmItalicAngle = f.ItalicAngle;
    otm->otmEMSquare = f.Raw.isValid() ? static_cast<UINT>(f.Raw.unitsPerEm()) : 2048;
    otm->otmAscent = f.Ascent;
    otm->otmDescent = -f.Descent;
    otm->otmLineGap = static_cast<UINT>(f.ExternalLeading);
    otm->otmsXHeight = f.Raw.isValid() ? static_cast<UINT>(f.Raw.xHeight()) : 0;
    otm->otmsCapEmHeight = static_cast<UINT>(f.Ascent);
    otm->otmrcFontBox = TRect(0, f.Ascent, f.MaxCharWidth, -f.Descent);
    otm->otmsUnderscoreSize = std::max(1, f.Height / 14);
    otm->otmsUnderscorePosition = -1;
    otm->otmsStrikeoutSize = static_cast<UINT>(std::max(1, f.Height / 14));
    otm->otmsStrikeoutPosition = f.Ascent / 3;
    return sizeof(OUTLINETEXTMETRIC);
}

bool GetCharABCWidths(HDC dc, UINT first, UINT last, ABC* widths) {
    if (!dc || !widths || last < first || last > 0xFF) return false;
    const TFontFace& f = FontFace(dc->Font());
    for (UINT c = first; c <= last; ++c) widths[c - first] = f.Abc(static_cast<unsigned char>(c));
    return true;
}

bool GetTextExtentPoint32(HDC dc, const char* text, int length, TSize* size) {
    if (!dc || !size || length < 0) return false;
    const TFontFace& f = FontFace(dc->Font());
    size->cx = f.TextWidth(text, length, dc->State().CharExtra);
    size->cy = f.Height;
    return true;
}

DWORD GetFontLanguageInfo(HDC) { return 0; }

bool TextOut(HDC dc, int x, int y, const char* text, int length) {
    return ExtTextOut(dc, x, y, 0, nullptr, text, static_cast<UINT>(std::max(length, 0)), nullptr);
}

namespace {
bool ContainsRect(const TRect& outer, const TRect& inner) {
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right && inner.Bottom <= outer.Bottom;
}
}  // namespace

bool ExtTextOut(HDC dc, int x, int y, UINT options, const TRect* rect, const char* text, UINT length,
                const int* dx) {
    if (!dc) return false;
    const LOGFONT& lf = dc->Font();
    const TFontFace& face = FontFace(lf);
    const TDeviceContext::TState& st = dc->State();
    AnsiString s(text ? text : "", text ? length : 0);
    std::vector<int> advances(s.size());
    int width = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        advances[i] = dx ? dx[i] : face.Advance(static_cast<unsigned char>(s[i])) + st.CharExtra;
        width += advances[i];
    }
    // The box the glyph cells cover, in logical coordinates.
    int esc = ((lf.lfEscapement % 3600) + 3600) % 3600;
    TRect box(x, y, x + width, y + face.Height);
    if (esc == 900) box = TRect(x, y - width, x + face.Height, y);
    else if (esc == 2700) box = TRect(x - face.Height, y, x, y + width);

    TGdiCall call = dc->MakeCall(TGdiCallKind::ExtTextOut);
    if (dc->Recording()) {
        call.Rect = box;
        call.Points = {TPoint(x, y)};
        if (rect) call.SourceRect = *rect;
        call.Flags = options;
        call.Text = s;
        call.Dx = advances;
    }
    TGdiCallScope scope(dc, std::move(call));

    TGdiDevice* device = dc->Device();
    if ((options & ETO_OPAQUE) && rect) FillSolid(dc, *rect, st.BkColor);
    TGdiRegion clip;
    std::unique_ptr<TGdiRegion> rectClip;
    if ((options & ETO_CLIPPED) && rect) {
        // Text well inside its rectangle (as in most grid cells) is drawn under
        // the context's own clip: the pixels are the same, and the painter is
        // not given a new clip region for every cell. (A slanted face may be
        // slanted by the painter beyond its outlines' boxes: it is clipped.)
        const TRect limit = dc->ToDevice(*rect);
        const TPoint at = dc->ToDevice(TPoint(x, y));
        const bool inside = esc == 0 && !dc->Mirrored() && !face.Italic && !face.Underline && !face.StrikeOut &&
                            (st.BkMode != OPAQUE || s.empty() || ContainsRect(limit, dc->ToDevice(box))) &&
                            face.InkWithin(s.data(), s.size(), advances.data(), at.X, at.Y, limit);
        if (!inside) rectClip = std::make_unique<TGdiRegion>(limit);
    }
    TGdiPaint paint = dc->Paint(rectClip.get(), clip);
    paint.Rop2 = R2_COPYPEN;
    // The cells' background, unless the opaque rectangle (in the same colour)
    // already covers every pixel of it that the clip lets through.
    const bool covered = (options & ETO_OPAQUE) && rect && (options & ETO_CLIPPED);
    if (st.BkMode == OPAQUE && (esc == 0 || esc == 900 || esc == 2700) && !s.empty() && !covered)
        device->Fill(dc->ToDevice(box), st.BkColor, paint);
    if (s.empty()) return true;

    TTextRun run;
    TPoint origin = dc->ToDevice(TPoint(x, y));
    if (dc->Mirrored() && esc == 0) origin.X -= width;  // the line still reads left to right
    run.X = origin.X;
    run.Y = origin.Y;
    run.Text = std::move(s);
    run.Dx = std::move(advances);
    run.Font = lf;
    run.Color = st.TextColor;
    device->Glyphs(run, paint);
    return true;
}

namespace {

struct TTextLine {
    AnsiString Text;
    std::vector<bool> Underline;  // prefix-marked characters
    int Width = 0;
};

class TTextLayout {
public:
    TTextLayout(const TFontFace& face, int charExtra, UINT format, int tabWidth)
        : face_(face), extra_(charExtra), format_(format), tabWidth_(tabWidth) {}

    // Advance of byte c when the line so far is x wide.
    int Advance(char c, int x) const {
        if (c == '\t' && (format_ & DT_EXPANDTABS) && tabWidth_ > 0) return tabWidth_ - (x % tabWidth_);
        return face_.Advance(static_cast<unsigned char>(c)) + extra_;
    }

    int Measure(const AnsiString& s, std::vector<int>* dx = nullptr) const {
        int x = 0;
        if (dx) dx->clear();
        for (char c : s) {
            int a = Advance(c, x);
            if (dx) dx->push_back(a);
            x += a;
        }
        return x;
    }

    // Cuts the text to fit width with "..." at its end; "..." alone when nothing fits.
    void Ellipsis(TTextLine& line, int width) const {
        static const AnsiString dots = "...";
        int dotsWidth = Measure(dots);
        size_t keep = line.Text.size();
        while (keep > 0 && Measure(line.Text.substr(0, keep)) + dotsWidth > width) --keep;
        line.Text = line.Text.substr(0, keep) + dots;
        line.Underline.resize(keep);
        line.Underline.resize(line.Text.size(), false);
        line.Width = Measure(line.Text);
    }

    // Splits a paragraph at blanks so that each line fits width; a word wider
    // than the line stays whole on a line of its own.
    void Wrap(const AnsiString& para, const std::vector<bool>& marks, int width, std::vector<TTextLine>& out) const {
        size_t n = para.size();
        size_t pos = 0;
        auto blank = [](char c) { return c == ' ' || c == '\t'; };
        if (n == 0) {
            out.push_back(TTextLine());
            return;
        }
        while (pos < n) {
            size_t i = pos, end = n, breakAt = std::string::npos;
            int x = 0;
            bool cut = false;
            while (i < n) {
                char c = para[i];
                if (blank(c)) {
                    if (i == pos || !blank(para[i - 1])) breakAt = i;
                    x += Advance(c, x);
                    ++i;
                    continue;
                }
                int a = Advance(c, x);
                if (x + a > width && i > pos) {
                    if (breakAt != std::string::npos && breakAt > pos) {
                        end = breakAt;
                    } else {
                        end = i;
                        while (end < n && !blank(para[end])) ++end;
                    }
                    cut = true;
                    break;
                }
                x += a;
                ++i;
            }
            if (!cut) end = n;
            TTextLine line;
            line.Text = para.substr(pos, end - pos);
            line.Underline.assign(marks.begin() + pos, marks.begin() + end);
            if (cut)
                while (!line.Text.empty() && blank(line.Text.back())) {
                    line.Text.pop_back();
                    line.Underline.pop_back();
                }
            line.Width = Measure(line.Text);
            out.push_back(std::move(line));
            pos = end;
            if (cut)
                while (pos < n && blank(para[pos])) ++pos;
        }
    }

private:
    const TFontFace& face_;
    int extra_;
    UINT format_;
    int tabWidth_;
};

}  // namespace

int DrawText(HDC dc, const char* text, int length, TRect* rect, UINT format) {
    return DrawTextEx(dc, text, length, rect, format, nullptr);
}

int DrawTextEx(HDC dc, const char* text, int length, TRect* rect, UINT format, DRAWTEXTPARAMS* params) {
    if (!dc || !rect) return 0;
    if (!text) text = "";
    if (length < 0) length = static_cast<int>(std::strlen(text));
    const TFontFace& face = FontFace(dc->Font());
    int tabChars = params && params->iTabLength > 0 ? params->iTabLength : 8;
    if (format & DT_TABSTOP) {
        tabChars = static_cast<int>((format >> 8) & 0xFF);
        format &= ~0xFF00u;
    }
    int leftMargin = params ? params->iLeftMargin : 0;
    int rightMargin = params ? params->iRightMargin : 0;
    int lineHeight = face.Height + ((format & DT_EXTERNALLEADING) ? face.ExternalLeading : 0);
    TTextLayout layout(face, dc->State().CharExtra, format, tabChars * face.AveCharWidth);

    // Prefix characters: "&x" underlines x, "&&" is one ampersand.
    AnsiString shown;
    std::vector<bool> marks;
    for (int i = 0; i < length; ++i) {
        char c = text[i];
        if (c == '\0') break;
        if (c == '&' && !(format & DT_NOPREFIX) && i + 1 < length) {
            ++i;
            shown += text[i];
            marks.push_back(text[i] != '&' && !(format & DT_HIDEPREFIX));
            continue;
        }
        shown += c;
        marks.push_back(false);
    }
    if (params) params->uiLengthDrawn = static_cast<UINT>(length);

    int areaLeft = rect->Left + leftMargin;
    int areaRight = rect->Right - rightMargin;
    int areaWidth = areaRight - areaLeft;
    std::vector<TTextLine> lines;
    if (!shown.empty()) {
        bool single = (format & DT_SINGLELINE) != 0;
        size_t start = 0;
        while (start <= shown.size()) {
            size_t stop = single ? shown.size() : shown.find_first_of("\r\n", start);
            if (stop == std::string::npos) stop = shown.size();
            AnsiString para = shown.substr(start, stop - start);
            std::vector<bool> paraMarks(marks.begin() + start, marks.begin() + stop);
            if ((format & DT_WORDBREAK) && !single) {
                layout.Wrap(para, paraMarks, areaWidth, lines);
            } else {
                TTextLine line;
                line.Text = para;
                line.Underline = paraMarks;
                line.Width = layout.Measure(para);
                lines.push_back(std::move(line));
            }
            if (stop >= shown.size()) break;
            start = stop + ((shown[stop] == '\r' && stop + 1 < shown.size() && shown[stop + 1] == '\n') ? 2 : 1);
        }
        if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS))
            for (TTextLine& line : lines)
                if (line.Width > areaWidth) layout.Ellipsis(line, areaWidth);
    }
    int textHeight = static_cast<int>(lines.size()) * lineHeight;

    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const TTextLine& line : lines) {
            int w = line.Width;
            // Count the overhang of a slanted last character.
            if (face.Italic && !line.Text.empty()) w += std::max(0, -face.Abc(static_cast<unsigned char>(line.Text.back())).abcC);
            widest = std::max(widest, w);
        }
        rect->Right = rect->Left + leftMargin + widest + rightMargin;
        rect->Bottom = rect->Top + textHeight;
        return textHeight;
    }

    int top = rect->Top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            top = rect->Top + (rect->Height() - textHeight) / 2;
        else if (format & DT_BOTTOM)
            top = rect->Bottom - textHeight;
    }
    int result = (format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)) ? top - rect->Top + textHeight
                                                                                     : textHeight;

    TGdiCall call = dc->MakeCall(TGdiCallKind::DrawText);
    if (dc->Recording()) {
        call.Rect = *rect;
        call.Text = AnsiString(text, static_cast<size_t>(length));
        call.Flags = format;
        call.LeftMargin = leftMargin;
        call.RightMargin = rightMargin;
        call.TabLength = tabChars;
        call.Result = result;
    }
    TGdiCallScope scope(dc, std::move(call));

    UINT options = (format & DT_NOCLIP) ? 0u : static_cast<UINT>(ETO_CLIPPED);
    const COLORREF textColor = dc->State().TextColor;
    for (size_t i = 0; i < lines.size(); ++i) {
        const TTextLine& line = lines[i];
        int y = top + static_cast<int>(i) * lineHeight;
        if (!(format & DT_NOCLIP) && y >= rect->Bottom) break;
        int x = areaLeft;
        if (format & DT_CENTER)
            x = areaLeft + (areaWidth - line.Width) / 2;
        else if (format & DT_RIGHT)
            x = areaRight - line.Width;
        std::vector<int> dx;
        layout.Measure(line.Text, &dx);
        ExtTextOut(dc, x, y, options, rect, line.Text.data(), static_cast<UINT>(line.Text.size()), dx.data());
        // Underlined prefix characters.
        int cx = x;
        for (size_t k = 0; k < line.Text.size(); ++k) {
            if (k < line.Underline.size() && line.Underline[k]) {
                TGdiRegion scratch;
                std::unique_ptr<TGdiRegion> clip;
                if (options) clip = std::make_unique<TGdiRegion>(dc->ToDevice(*rect));
                TGdiPaint paint = dc->Paint(clip.get(), scratch);
                paint.Rop2 = R2_COPYPEN;
                dc->Device()->Fill(dc->ToDevice(TRect(cx, y + face.Ascent + 1, cx + dx[k], y + face.Ascent + 2)),
                                   textColor, paint);
            }
            cx += dx[k];
        }
    }
    return result;
}

// ---- Lines and shapes ----

bool MoveToEx(HDC dc, int x, int y, TPoint* old) {
    if (!dc) return false;
    if (old) *old = dc->State().Pos;
    dc->State().Pos = TPoint(x, y);
    return true;
}

bool LineTo(HDC dc, int x, int y) {
    if (!dc) return false;
    TPoint from = dc->State().Pos;
    TGdiCall call = dc->MakeCall(TGdiCallKind::LineTo);
    call.Points = {from, TPoint(x, y)};
    TGdiCallScope scope(dc, std::move(call));
    dc->Device()->Stroke({dc->ToDevice(from), dc->ToDevice(TPoint(x, y))}, false, false, dc->Pen(), dc->Paint());
    dc->State().Pos = TPoint(x, y);
    return true;
}

bool Polyline(HDC dc, const TPoint* points, int count) {
    if (!dc || !points || count < 2) return false;
    TGdiCall call = dc->MakeCall(TGdiCallKind::Polyline);
    call.Points.assign(points, points + count);
    TGdiCallScope scope(dc, std::move(call));
    dc->Device()->Stroke(ToDevicePoints(dc, points, count), false, false, dc->Pen(), dc->Paint());
    return true;
}

bool PolyPolyline(HDC dc, const TPoint* points, const DWORD* counts, DWORD lines) {
    if (!dc || !points || !counts) return false;
    TGdiCall call = dc->MakeCall(TGdiCallKind::PolyPolyline);
    size_t total = 0;
    for (DWORD i = 0; i < lines; ++i) {
        total += counts[i];
        call.Counts.push_back(static_cast<int>(counts[i]));
    }
    call.Points.assign(points, points + total);
    TGdiCallScope scope(dc, std::move(call));
    const TPoint* p = points;
    for (DWORD i = 0; i < lines; ++i) {
        int n = static_cast<int>(counts[i]);
        if (n >= 2) dc->Device()->Stroke(ToDevicePoints(dc, p, n), false, false, dc->Pen(), dc->Paint());
        p += n;
    }
    return true;
}

bool Polygon(HDC dc, const TPoint* points, int count) {
    if (!dc || !points || count < 2) return false;
    TGdiCall call = dc->MakeCall(TGdiCallKind::Polygon);
    call.Points.assign(points, points + count);
    TGdiCallScope scope(dc, std::move(call));
    std::vector<TPoint> pts = ToDevicePoints(dc, points, count);
    if (!dc->Brush().Null) dc->Device()->FillPolygon(pts, ALTERNATE, dc->Brush().Color, dc->Paint());
    dc->Device()->Stroke(pts, true, true, dc->Pen(), dc->Paint());
    return true;
}

bool Rectangle(HDC dc, int left, int top, int right, int bottom) {
    if (!dc) return false;
    TRect r(std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom));
    TGdiCall call = dc->MakeCall(TGdiCallKind::Rectangle);
    call.Rect = r;
    TGdiCallScope scope(dc, std::move(call));
    TRect d = dc->ToDevice(r);
    if (d.Width() < 1 || d.Height() < 1) return true;
    const TPenDesc& pen = dc->Pen();
    // The outline runs on the rectangle's last pixels; a null pen leaves the
    // right and bottom pixels out.
    if (!dc->Brush().Null) {
        TRect inner = pen.IsNull() ? TRect(d.Left, d.Top, d.Right - 1, d.Bottom - 1)
                                   : TRect(d.Left + 1, d.Top + 1, d.Right - 1, d.Bottom - 1);
        if (!IsRectEmpty(inner)) dc->Device()->Fill(inner, dc->Brush().Color, dc->Paint());
    }
    if (!pen.IsNull()) {
        std::vector<TPoint> outline = {TPoint(d.Left, d.Top), TPoint(d.Right - 1, d.Top),
                                       TPoint(d.Right - 1, d.Bottom - 1), TPoint(d.Left, d.Bottom - 1)};
        dc->Device()->Stroke(outline, true, true, pen, dc->Paint());
    }
    return true;
}

bool Ellipse(HDC dc, int left, int top, int right, int bottom) {
    if (!dc) return false;
    TRect r(std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom));
    TGdiCall call = dc->MakeCall(TGdiCallKind::Ellipse);
    call.Rect = r;
    TGdiCallScope scope(dc, std::move(call));
    const TPenDesc& pen = dc->Pen();
    const TBrushDesc& brush = dc->Brush();
    dc->Device()->EllipseShape(dc->ToDevice(r), pen.IsNull() ? nullptr : &pen, brush.Null ? nullptr : &brush,
                               dc->Paint());
    return true;
}

int FillRect(HDC dc, const TRect* rect, HBRUSH brush) {
    if (!dc || !rect) return 0;
    COLORREF color = 0;
    bool solid = BrushColor(brush, &color);
    TGdiCall call = dc->MakeCall(TGdiCallKind::FillRect);
    call.Rect = *rect;
    call.Color = color;
    call.Brush = TBrushDesc{!solid, color};
    TGdiCallScope scope(dc, std::move(call));
    if (solid) FillSolid(dc, *rect, color);
    return 1;
}

int FrameRect(HDC dc, const TRect* rect, HBRUSH brush) {
    if (!dc || !rect) return 0;
    COLORREF color = 0;
    bool solid = BrushColor(brush, &color);
    TGdiCall call = dc->MakeCall(TGdiCallKind::FrameRect);
    call.Rect = *rect;
    call.Color = color;
    call.Brush = TBrushDesc{!solid, color};
    TGdiCallScope scope(dc, std::move(call));
    const TRect& r = *rect;
    if (!solid || IsRectEmpty(r)) return 1;
    FillSolid(dc, TRect(r.Left, r.Top, r.Right, r.Top + 1), color);
    FillSolid(dc, TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom), color);
    FillSolid(dc, TRect(r.Left, r.Top + 1, r.Left + 1, r.Bottom - 1), color);
    FillSolid(dc, TRect(r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1), color);
    return 1;
}

bool InvertRect(HDC dc, const TRect* rect) {
    if (!dc || !rect) return false;
    TGdiCall call = dc->MakeCall(TGdiCallKind::InvertRect);
    call.Rect = *rect;
    TGdiCallScope scope(dc, std::move(call));
    TGdiPaint paint = dc->Paint();
    paint.Rop2 = R2_NOT;
    dc->Device()->Fill(dc->ToDevice(*rect), 0, paint);
    return true;
}

bool PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
    if (!dc) return false;
    TRect r = Bounds(x, y, width, height);
    TGdiCall call = dc->MakeCall(TGdiCallKind::PatBlt);
    call.Rect = r;
    call.Flags = rop;
    TGdiCallScope scope(dc, std::move(call));
    TGdiPaint paint = dc->Paint();
    COLORREF color = dc->Brush().Color;
    switch (rop) {
        case PATCOPY:
            if (dc->Brush().Null) return true;
            paint.Rop2 = R2_COPYPEN;
            break;
        case PATINVERT:
            if (dc->Brush().Null) return true;
            paint.Rop2 = R2_XORPEN;
            break;
        case DSTINVERT: paint.Rop2 = R2_NOT; break;
        case BLACKNESS: paint.Rop2 = R2_COPYPEN; color = 0; break;
        case WHITENESS: paint.Rop2 = R2_COPYPEN; color = 0xFFFFFF; break;
        default: return false;
    }
    dc->Device()->Fill(dc->ToDevice(r), color, paint);
    return true;
}

bool FillRgn(HDC dc, HRGN region, HBRUSH brush) {
    if (!dc || !region) return false;
    COLORREF color = 0;
    bool solid = BrushColor(brush, &color);
    TGdiCall call = dc->MakeCall(TGdiCallKind::FillRgn);
    call.Rect = region->Box();
    call.Color = color;
    TGdiCallScope scope(dc, std::move(call));
    if (!solid) return true;
    for (const TRect& r : region->Rects()) FillSolid(dc, r, color);
    return true;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    if (!dc) return CLR_INVALID;
    TGdiCall call = dc->MakeCall(TGdiCallKind::SetPixel);
    call.Points = {TPoint(x, y)};
    call.Color = color;
    TGdiCallScope scope(dc, std::move(call));
    TPoint d = dc->ToDevice(TPoint(x, y));
    dc->Device()->Pixel(d.X, d.Y, color & 0xFFFFFF, CopyPaint(dc));
    return color & 0xFFFFFF;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    if (!dc) return CLR_INVALID;
    TPoint d = dc->ToDevice(TPoint(x, y));
    if (const TGdiRegion* clip = dc->EffectiveClip())
        if (!clip->Contains(d)) return CLR_INVALID;
    return dc->Device()->GetPixel(d.X, d.Y);
}

bool DrawFocusRect(HDC dc, const TRect* rect) {
    if (!dc || !rect) return false;
    TGdiCall call = dc->MakeCall(TGdiCallKind::DrawFocusRect);
    call.Rect = *rect;
    TGdiCallScope scope(dc, std::move(call));
    TRect r = dc->ToDevice(*rect);
    if (IsRectEmpty(r)) return true;
    // Every other pixel of the frame inverted, on a checker fixed to the device.
    std::vector<TPoint> pts;
    std::vector<COLORREF> colors;
    auto dot = [&](int x, int y) {
        if ((x + y) & 1) return;
        pts.emplace_back(x, y);
        colors.push_back(RGB(255, 255, 255));
    };
    for (int x = r.Left; x < r.Right; ++x) {
        dot(x, r.Top);
        if (r.Bottom - 1 > r.Top) dot(x, r.Bottom - 1);
    }
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
        dot(r.Left, y);
        if (r.Right - 1 > r.Left) dot(r.Right - 1, y);
    }
    dc->Device()->XorDots(pts, colors, dc->Paint());
    return true;
}

namespace {

// One ring of a 3-D border: the top and left sides in one colour, the bottom
// and right ones (which own the corners they share) in the other.
void EdgeRing(HDC dc, const TRect& r, UINT sides, COLORREF topLeft, COLORREF bottomRight) {
    int right = (sides & BF_RIGHT) ? r.Right - 1 : r.Right;
    int bottom = (sides & BF_BOTTOM) ? r.Bottom - 1 : r.Bottom;
    if (sides & BF_TOP) FillSolid(dc, TRect(r.Left, r.Top, right, r.Top + 1), topLeft);
    if (sides & BF_LEFT) FillSolid(dc, TRect(r.Left, r.Top, r.Left + 1, bottom), topLeft);
    if (sides & BF_BOTTOM) FillSolid(dc, TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom), bottomRight);
    if (sides & BF_RIGHT) FillSolid(dc, TRect(r.Right - 1, r.Top, r.Right, r.Bottom), bottomRight);
}

void ShrinkSides(TRect& r, UINT sides) {
    if (sides & BF_LEFT) ++r.Left;
    if (sides & BF_TOP) ++r.Top;
    if (sides & BF_RIGHT) --r.Right;
    if (sides & BF_BOTTOM) --r.Bottom;
}

COLORREF Sys(int index) { return GetSysColor(index); }

}  // namespace

bool DrawEdge(HDC dc, TRect* rect, UINT edge, UINT flags) {
    if (!dc || !rect) return false;
    TGdiCall call = dc->MakeCall(TGdiCallKind::DrawEdge);
    call.Rect = *rect;
    call.Flags = edge;
    call.Flags2 = flags;
    TGdiCallScope scope(dc, std::move(call));
    TRect r = *rect;
    UINT sides = flags & BF_RECT;
    struct {
        UINT raised, sunken;
        COLORREF raisedTL, raisedBR, sunkenTL, sunkenBR;
    } rings[2] = {
        {BDR_RAISEDOUTER, BDR_SUNKENOUTER, Sys(COLOR_3DLIGHT), Sys(COLOR_3DDKSHADOW), Sys(COLOR_BTNSHADOW),
         Sys(COLOR_BTNHIGHLIGHT)},
        {BDR_RAISEDINNER, BDR_SUNKENINNER, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW), Sys(COLOR_3DDKSHADOW),
         Sys(COLOR_3DLIGHT)},
    };
    for (int i = 0; i < 2; ++i) {
        bool raised = (edge & rings[i].raised) != 0;
        bool sunken = (edge & rings[i].sunken) != 0;
        if (!raised && !sunken) continue;
        COLORREF tl = raised ? rings[i].raisedTL : rings[i].sunkenTL;
        COLORREF br = raised ? rings[i].raisedBR : rings[i].sunkenBR;
        if (flags & BF_MONO) {
            tl = br = i == 0 ? Sys(COLOR_WINDOWFRAME) : Sys(COLOR_WINDOW);
        } else if (flags & BF_FLAT) {
            tl = br = i == 0 ? Sys(COLOR_BTNSHADOW) : Sys(COLOR_BTNFACE);
        }
        EdgeRing(dc, r, sides, tl, br);
        ShrinkSides(r, sides);
    }
    if (flags & BF_MIDDLE) FillSolid(dc, r, (flags & BF_MONO) ? Sys(COLOR_WINDOW) : Sys(COLOR_BTNFACE));
    if (flags & BF_ADJUST) *rect = r;
    return true;
}

namespace {

// The classic check mark: seven columns, each three pixels high, in a 13 x 13
// box; other sizes scale it.
void CheckMark(HDC dc, const TRect& box, COLORREF color) {
    static const int tops[7] = {6, 7, 8, 7, 6, 5, 4};
    int side = box.Width();
    double unit = (side - 4) / 9.0;
    for (int i = 0; i < 7; ++i) {
        int x0 = box.Left + static_cast<int>((2 + (1 + i) * unit) + 0.5);
        int x1 = box.Left + static_cast<int>((2 + (2 + i) * unit) + 0.5);
        int y0 = box.Top + static_cast<int>(2 + (tops[i] - 2) * unit + 0.5);
        int y1 = box.Top + static_cast<int>(2 + (tops[i] + 1) * unit + 0.5);
        if (x1 <= x0) x1 = x0 + 1;
        if (y1 <= y0) y1 = y0 + 1;
        FillSolid(dc, TRect(x0, y0, x1, y1), color);
    }
}

// A filled triangle pointing in the scroll direction, centred in r.
void Arrow(HDC dc, const TRect& r, UINT kind, COLORREF color) {
    int side = std::min(r.Width(), r.Height());
    int h = std::max(2, (side - 4) / 3);  // rows of the arrow; it is 2h - 1 wide
    bool vertical = kind == DFCS_SCROLLUP || kind == DFCS_SCROLLDOWN || kind == DFCS_SCROLLCOMBOBOX;
    int cx = r.Left + (r.Width() - (vertical ? 2 * h - 1 : h)) / 2;
    int cy = r.Top + (r.Height() - (vertical ? h : 2 * h - 1)) / 2;
    for (int i = 0; i < h; ++i) {
        switch (kind) {
            case DFCS_SCROLLUP: FillSolid(dc, TRect(cx + h - 1 - i, cy + i, cx + h + i, cy + i + 1), color); break;
            case DFCS_SCROLLLEFT: FillSolid(dc, TRect(cx + i, cy + h - 1 - i, cx + i + 1, cy + h + i), color); break;
            case DFCS_SCROLLRIGHT: FillSolid(dc, TRect(cx + h - 1 - i, cy + h - 1 - i, cx + h - i, cy + h + i), color); break;
            default: FillSolid(dc, TRect(cx + i, cy + i, cx + 2 * h - 1 - i, cy + i + 1), color); break;
        }
    }
}

void FlatFrame(HDC dc, const TRect& r, COLORREF frame, COLORREF face) {
    HBRUSH b = CreateSolidBrush(frame);
    FrameRect(dc, &r, b);
    DeleteObject(b);
    TRect inner = r;
    InflateRect(&inner, -1, -1);
    FillSolid(dc, inner, face);
}

}  // namespace

bool DrawFrameControl(HDC dc, TRect* rect, UINT type, UINT state) {
    if (!dc || !rect) return false;
    if (type != DFC_BUTTON && type != DFC_SCROLL) return false;
    TGdiCall call = dc->MakeCall(TGdiCallKind::DrawFrameControl);
    call.Rect = *rect;
    call.Flags = type;
    call.Flags2 = state;
    TGdiCallScope scope(dc, std::move(call));
    const TRect r = *rect;
    bool inactive = (state & DFCS_INACTIVE) != 0;
    bool pushed = (state & DFCS_PUSHED) != 0;
    bool flat = (state & DFCS_FLAT) != 0;

    if (type == DFC_SCROLL) {
        UINT kind = state & 0xFF;
        if (flat || pushed)
            FlatFrame(dc, r, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNFACE));
        else {
            TRect e = r;
            DrawEdge(dc, &e, EDGE_RAISED, BF_RECT | BF_MIDDLE);
        }
        if (kind == DFCS_SCROLLSIZEGRIP) return true;
        TRect a = r;
        if (pushed) OffsetRect(&a, 1, 1);
        if (inactive) {
            TRect lit = a;
            OffsetRect(&lit, 1, 1);
            Arrow(dc, lit, kind, Sys(COLOR_BTNHIGHLIGHT));
            Arrow(dc, a, kind, Sys(COLOR_BTNSHADOW));
        } else {
            Arrow(dc, a, kind, Sys(COLOR_BTNTEXT));
        }
        return true;
    }

    UINT kind = state & 0x1F;
    if (kind == DFCS_BUTTONPUSH) {
        TRect e = r;
        if (flat)
            FlatFrame(dc, r, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNFACE));
        else
            DrawEdge(dc, &e, (pushed || (state & DFCS_CHECKED)) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
        if (state & DFCS_ADJUSTRECT) InflateRect(rect, flat ? -1 : -2, flat ? -1 : -2);
        return true;
    }

    // Check boxes and radio buttons: a square centred in the rectangle.
    int side = std::min(r.Width(), r.Height());
    if (side <= 0) return true;
    TRect box = Bounds(r.Left + (r.Width() - side) / 2, r.Top + (r.Height() - side) / 2, side, side);
    bool checked = (state & DFCS_CHECKED) != 0;
    bool mixed = checked && (kind & DFCS_BUTTON3STATE);
    COLORREF face = (pushed || inactive || mixed) ? Sys(COLOR_BTNFACE) : Sys(COLOR_WINDOW);
    COLORREF mark = (inactive || mixed) ? Sys(COLOR_BTNSHADOW) : Sys(COLOR_WINDOWTEXT);

    if (kind & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK)) {
        HPEN pen = CreatePen(PS_SOLID, 1, Sys(COLOR_BTNSHADOW));
        HBRUSH brush = CreateSolidBrush(face);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        Ellipse(dc, box.Left, box.Top, box.Right, box.Bottom);
        if (checked) {
            SelectObject(dc, GetStockObject(NULL_PEN));
            HBRUSH dot = CreateSolidBrush(mark);
            SelectObject(dc, dot);
            int inset = side / 3;
            Ellipse(dc, box.Left + inset, box.Top + inset, box.Right - inset, box.Bottom - inset);
            SelectObject(dc, brush);
            DeleteObject(dot);
        }
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(brush);
        return true;
    }

    if (flat || (state & DFCS_MONO)) {
        FlatFrame(dc, box, flat ? Sys(COLOR_BTNSHADOW) : Sys(COLOR_WINDOWFRAME), face);
    } else {
        TRect e = box;
        DrawEdge(dc, &e, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        FillSolid(dc, e, face);
    }
    if (checked) CheckMark(dc, box, mark);
    return true;
}

// ---- Blitting ----

bool StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop) {
    if (!dst) return false;
    if (!src || rop == PATCOPY || rop == PATINVERT || rop == DSTINVERT || rop == BLACKNESS || rop == WHITENESS)
        return PatBlt(dst, x, y, width, height, rop);
    bool stretch = width != srcWidth || height != srcHeight;
    TGdiCall call = dst->MakeCall(stretch ? TGdiCallKind::StretchBlt : TGdiCallKind::BitBlt);
    call.Rect = Bounds(x, y, width, height);
    call.SourceRect = Bounds(srcX, srcY, srcWidth, srcHeight);
    call.Flags = rop;
    TGdiCallScope scope(dst, std::move(call));
    TGdiBitmap* bitmap = src->Device()->Bitmap();
    if (!bitmap) return false;
    TRect from = src->ToDevice(Bounds(srcX, srcY, srcWidth, srcHeight));
    TRect to = dst->ToDevice(Bounds(x, y, width, height));
    if (!stretch) {
        // Only the part of the source that exists is copied.
        TRect inside;
        IntersectRect(&inside, from, TRect(0, 0, bitmap->Width(), bitmap->Height()));
        to = TRect(to.Left + inside.Left - from.Left, to.Top + inside.Top - from.Top,
                   to.Right + inside.Right - from.Right, to.Bottom + inside.Bottom - from.Bottom);
        from = inside;
    }
    if (IsRectEmpty(from) || IsRectEmpty(to)) return true;
    dst->Device()->Image(to, *bitmap, from, rop, CopyPaint(dst));
    return true;
}

bool BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
    return StretchBlt(dst, x, y, width, height, src, srcX, srcY, width, height, rop);
}

// ---- Mapping ----

int SetMapMode(HDC dc, int mode) {
    if (!dc || (mode != MM_TEXT && mode != MM_ANISOTROPIC && mode != MM_ISOTROPIC)) return 0;
    int old = std::exchange(dc->State().MapMode, mode);
    if (mode == MM_TEXT) {
        dc->State().WindowExt = TSize(1, 1);
        dc->State().ViewportExt = TSize(1, 1);
    }
    return old;
}
int GetMapMode(HDC dc) { return dc ? dc->State().MapMode : 0; }

bool SetWindowOrgEx(HDC dc, int x, int y, TPoint* old) {
    if (!dc) return false;
    if (old) *old = dc->State().WindowOrg;
    dc->State().WindowOrg = TPoint(x, y);
    return true;
}
bool GetWindowOrgEx(HDC dc, TPoint* origin) {
    if (!dc || !origin) return false;
    *origin = dc->State().WindowOrg;
    return true;
}

bool SetWindowExtEx(HDC dc, int cx, int cy, TSize* old) {
    if (!dc) return false;
    if (old) *old = dc->State().WindowExt;
    // Extents only count in the scaling modes.
    if (dc->State().MapMode == MM_TEXT) return true;
    if (cx == 0 || cy == 0) return false;
    dc->State().WindowExt = TSize(cx, cy);
    return true;
}
bool GetWindowExtEx(HDC dc, TSize* extent) {
    if (!dc || !extent) return false;
    *extent = dc->State().WindowExt;
    return true;
}

bool SetViewportOrgEx(HDC dc, int x, int y, TPoint* old) {
    if (!dc) return false;
    if (old) *old = dc->State().ViewportOrg;
    dc->State().ViewportOrg = TPoint(x, y);
    return true;
}
bool GetViewportOrgEx(HDC dc, TPoint* origin) {
    if (!dc || !origin) return false;
    *origin = dc->State().ViewportOrg;
    return true;
}
bool OffsetViewportOrgEx(HDC dc, int dx, int dy, TPoint* old) {
    if (!dc) return false;
    TPoint& org = dc->State().ViewportOrg;
    if (old) *old = org;
    org = TPoint(org.X + dx, org.Y + dy);
    return true;
}

bool SetViewportExtEx(HDC dc, int cx, int cy, TSize* old) {
    if (!dc) return false;
    if (old) *old = dc->State().ViewportExt;
    if (dc->State().MapMode == MM_TEXT) return true;
    if (cx == 0 || cy == 0) return false;
    dc->State().ViewportExt = TSize(cx, cy);
    return true;
}
bool GetViewportExtEx(HDC dc, TSize* extent) {
    if (!dc || !extent) return false;
    *extent = dc->State().ViewportExt;
    return true;
}

bool LPtoDP(HDC dc, TPoint* points, int count) {
    if (!dc || !points) return false;
    for (int i = 0; i < count; ++i) points[i] = dc->ToDevice(points[i]);
    return true;
}

bool DPtoLP(HDC dc, TPoint* points, int count) {
    if (!dc || !points) return false;
    for (int i = 0; i < count; ++i) points[i] = dc->ToLogical(points[i]);
    return true;
}

// ---- Regions ----

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    return new TGdiRegion(TRect(std::min(left, right), std::min(top, bottom), std::max(left, right),
                                std::max(top, bottom)));
}

HRGN CreateRectRgnIndirect(const TRect* rect) {
    return rect ? CreateRectRgn(rect->Left, rect->Top, rect->Right, rect->Bottom) : nullptr;
}

HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode) {
    auto* r = new TGdiRegion();
    if (points && count >= 3) r->SetPolygon(points, count, fillMode);
    return r;
}

int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
    if (!dst || !src1 || (mode != RGN_COPY && !src2)) return RGN_ERROR;
    return dst->Combine(*src1, src2, mode);
}

int OffsetRgn(HRGN region, int dx, int dy) {
    if (!region) return RGN_ERROR;
    region->Offset(dx, dy);
    return region->Kind();
}

int GetRgnBox(HRGN region, TRect* box) {
    if (!region || !box) return RGN_ERROR;
    *box = region->Box();
    return region->Kind();
}

bool SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
    if (!region) return false;
    region->SetRect(TRect(std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)));
    return true;
}

bool PtInRegion(HRGN region, int x, int y) { return region && region->Contains(TPoint(x, y)); }

bool RectInRegion(HRGN region, const TRect* rect) { return region && rect && region->Intersects(*rect); }

bool EqualRgn(HRGN a, HRGN b) { return a && b && a->Equals(*b); }

// ---- Clipping ----

namespace {

// The clip to combine with: the context's own, or the whole device when it has none.
void CurrentClipOrDevice(HDC dc, TGdiRegion& r) {
    if (dc->Clip()) {
        r.Assign(*dc->Clip());
    } else {
        TSize s = dc->Device()->Size();
        r.SetRect(TRect(0, 0, s.cx, s.cy));
    }
}

int ClipKind(HDC dc) {
    const TGdiRegion* clip = dc->EffectiveClip();
    return clip ? clip->Kind() : SIMPLEREGION;
}

}  // namespace

int SelectClipRgn(HDC dc, HRGN region) {
    if (!dc) return RGN_ERROR;
    dc->SetClip(region);
    return ClipKind(dc);
}

int ExtSelectClipRgn(HDC dc, HRGN region, int mode) {
    if (!dc) return RGN_ERROR;
    if (mode == RGN_COPY) return SelectClipRgn(dc, region);
    if (!region) return RGN_ERROR;
    TGdiRegion current;
    CurrentClipOrDevice(dc, current);
    TGdiRegion result;
    if (result.Combine(current, region, mode) == RGN_ERROR) return RGN_ERROR;
    dc->SetClip(&result);
    return ClipKind(dc);
}

int GetClipRgn(HDC dc, HRGN region) {
    if (!dc || !region) return -1;
    if (!dc->Clip()) return 0;
    region->Assign(*dc->Clip());
    return 1;
}

int GetClipBox(HDC dc, TRect* rect) {
    if (!dc || !rect) return RGN_ERROR;
    TRect box = dc->ClipBox();
    *rect = IsRectEmpty(box) ? TRect() : dc->ToLogical(box);
    return IsRectEmpty(box) ? NULLREGION : ClipKind(dc);
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
    if (!dc) return RGN_ERROR;
    TGdiRegion current;
    CurrentClipOrDevice(dc, current);
    TGdiRegion rect(dc->ToDevice(TRect(left, top, right, bottom)));
    TGdiRegion result;
    result.Combine(current, &rect, RGN_AND);
    dc->SetClip(&result);
    return ClipKind(dc);
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
    if (!dc) return RGN_ERROR;
    TGdiRegion current;
    CurrentClipOrDevice(dc, current);
    TGdiRegion rect(dc->ToDevice(TRect(left, top, right, bottom)));
    TGdiRegion result;
    result.Combine(current, &rect, RGN_DIFF);
    dc->SetClip(&result);
    return ClipKind(dc);
}

bool RectVisible(HDC dc, const TRect* rect) {
    if (!dc || !rect) return false;
    TRect d = dc->ToDevice(*rect);
    if (const TGdiRegion* clip = dc->EffectiveClip()) return clip->Intersects(d);
    TSize s = dc->Device()->Size();
    TRect inside;
    return IntersectRect(&inside, d, TRect(0, 0, s.cx, s.cy));
}

bool PtVisible(HDC dc, int x, int y) {
    if (!dc) return false;
    TPoint d = dc->ToDevice(TPoint(x, y));
    if (const TGdiRegion* clip = dc->EffectiveClip()) return clip->Contains(d);
    TSize s = dc->Device()->Size();
    return PtInRect(TRect(0, 0, s.cx, s.cy), d);
}
