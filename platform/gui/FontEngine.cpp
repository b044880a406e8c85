// Fonts: LOGFONT descriptions realised as Qt fonts with GDI-style metrics.
#include <QFontInfo>
#include <QFontMetrics>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <map>
#include <string>

#include "platform/gui/GdiInternal.h"
#include "platform/gui/QtText_p.h"

namespace {

struct TFaceAlias {
    const char* Face;
    const char* Family;
};

// The faces the forms ask for, drawn with metric-compatible or look-alike
// families that the set-up installs.
const TFaceAlias kAliases[] = {
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"MS Sans Serif", "DejaVu Sans"},
    {"Microsoft Sans Serif", "DejaVu Sans"},
    {"MS Shell Dlg", "DejaVu Sans"},
    {"MS Shell Dlg 2", "DejaVu Sans"},
    {"Tahoma", "DejaVu Sans"},
    {"Verdana", "DejaVu Sans"},
    {"System", "DejaVu Sans"},
    {"Default", "DejaVu Sans"},
    {"", "DejaVu Sans"},
};

// The pixel size a positive (cell) height asks for: the em square scaled so that
// ascent + descent fill the cell.
int EmForCellHeight(const QString& family, const LOGFONT& lf) {
    QFont probe(family);
    probe.setPixelSize(1000);
    probe.setBold(lf.lfWeight >= 600);
    probe.setItalic(lf.lfItalic != 0);
    QRawFont raw = QRawFont::fromFont(probe);
    qreal cell = raw.isValid() ? raw.ascent() + raw.descent() : 1150.0;
    if (cell <= 0) cell = 1150.0;
    return std::max(1, static_cast<int>(std::lround(lf.lfHeight * 1000.0 / cell)));
}

// The italic angle from the font's 'post' table (16.16 degrees), 0 when absent.
double ItalicAngleOf(const QRawFont& raw) {
    QByteArray post = raw.fontTable("post");
    if (post.size() < 8) return 0.0;
    qint32 fixed = qFromBigEndian<qint32>(post.constData() + 4);
    return fixed / 65536.0;
}

}  // namespace

QString MapFaceName(const char* faceName) {
    std::string face(faceName ? faceName : "");
    for (const TFaceAlias& a : kAliases)
        if (AnsiSameText(face, a.Face)) return QString::fromLatin1(a.Family);
    return ToQString(face);
}

TFontFace::TFontFace(const LOGFONT& lf) {
    char face[LF_FACESIZE + 1] = {};
    std::memcpy(face, lf.lfFaceName, LF_FACESIZE);
    QString family = MapFaceName(face);
    Font = QFont(family);
    Font.setKerning(false);
    Font.setHintingPreference(QFont::PreferFullHinting);
    Font.setBold(lf.lfWeight >= 600);
    Font.setItalic(lf.lfItalic != 0);
    Font.setUnderline(lf.lfUnderline != 0);
    Font.setStrikeOut(lf.lfStrikeOut != 0);
    if ((lf.lfPitchAndFamily & 0x3) == FIXED_PITCH) {
        Font.setFixedPitch(true);
        Font.setStyleHint(QFont::Monospace);
    }
    int px;
    if (lf.lfHeight < 0)
        px = -lf.lfHeight;
    else if (lf.lfHeight > 0)
        px = EmForCellHeight(family, lf);
    else
        px = 11;
    Font.setPixelSize(px);

    QFontMetrics fm(Font);
    Raw = QRawFont::fromFont(Font);
    Ascent = fm.ascent();
    Descent = fm.descent();
    Height = Ascent + Descent;
    InternalLeading = std::max(0, Height - px);
    ExternalLeading = std::max(0, fm.leading());
    AveCharWidth = fm.averageCharWidth();
    MaxCharWidth = fm.maxWidth();
    Weight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : lf.lfWeight;
    Italic = lf.lfItalic != 0;
    Underline = lf.lfUnderline != 0;
    StrikeOut = lf.lfStrikeOut != 0;
    FixedPitch = QFontInfo(Font).fixedPitch();
    CharSet = lf.lfCharSet;
    if (Italic) {
        double angle = Raw.isValid() ? ItalicAngleOf(Raw) : 0.0;
        if (angle == 0.0) angle = -12.0;  // a slanted upright face
        ItalicAngle = static_cast<int>(std::lround(angle * 10));
        SlopeRise = 1000;
        SlopeRun = static_cast<int>(std::lround(std::tan(-angle * M_PI / 180.0) * 1000));
    }
}

void TFontFace::Fill() const {
    const CodePage& cp = CodePage::Active();
    page_ = cp.Number();
    QFontMetrics fm(Font);
    for (int c = 0; c < 256; ++c) {
        QChar ch(static_cast<char16_t>(c < 0x20 ? 0x20 : cp.ToUnicode(static_cast<unsigned char>(c))));
        QList<quint32> g = Raw.isValid() ? Raw.glyphIndexesForString(QString(ch)) : QList<quint32>();
        glyph_[c] = g.isEmpty() ? 0 : g[0];
        int adv;
        if (!g.isEmpty()) {
            QList<QPointF> a = Raw.advancesForGlyphIndexes(g);
            adv = a.isEmpty() ? fm.horizontalAdvance(ch) : static_cast<int>(std::lround(a[0].x()));
        } else {
            adv = fm.horizontalAdvance(ch);
        }
        advance_[c] = adv;
        left_[c] = fm.leftBearing(ch);
        right_[c] = fm.rightBearing(ch);
        const QRectF box = glyph_[c] ? Raw.boundingRect(glyph_[c]) : QRectF();
        ink_[c] = box.isEmpty() ? TRect()
                                : TRect(static_cast<int>(std::floor(box.left())) - 1,
                                        Ascent + static_cast<int>(std::floor(box.top())) - 1,
                                        static_cast<int>(std::ceil(box.right())) + 1,
                                        Ascent + static_cast<int>(std::ceil(box.bottom())) + 1);
    }
    // Control characters take no room and draw nothing.
    for (int c = 0; c < 0x20; ++c) {
        advance_[c] = 0;
        glyph_[c] = 0;
        left_[c] = right_[c] = 0;
        ink_[c] = TRect();
    }
}

int TFontFace::Advance(unsigned char c) const {
    if (page_ != CodePage::Active().Number()) Fill();
    return advance_[c];
}

quint32 TFontFace::Glyph(unsigned char c) const {
    if (page_ != CodePage::Active().Number()) Fill();
    return glyph_[c];
}

ABC TFontFace::Abc(unsigned char c) const {
    if (page_ != CodePage::Active().Number()) Fill();
    ABC abc;
    abc.abcA = left_[c];
    abc.abcC = right_[c];
    abc.abcB = static_cast<unsigned>(std::max(0, advance_[c] - left_[c] - right_[c]));
    return abc;
}

bool TFontFace::InkWithin(const char* text, size_t length, const int* dx, int x, int y, const TRect& r) const {
    if (page_ != CodePage::Active().Number()) Fill();
    for (size_t i = 0; i < length; x += dx[i], ++i) {
        const TRect& ink = ink_[static_cast<unsigned char>(text[i])];
        if (ink.Left == ink.Right) continue;  // nothing drawn
        if (x + ink.Left < r.Left || x + ink.Right > r.Right || y + ink.Top < r.Top || y + ink.Bottom > r.Bottom)
            return false;
    }
    return true;
}

int TFontFace::TextWidth(const char* text, int length, int charExtra) const {
    if (page_ != CodePage::Active().Number()) Fill();
    int w = 0;
    for (int i = 0; i < length; ++i) w += advance_[static_cast<unsigned char>(text[i])] + charExtra;
    return w;
}

const TFontFace& FontFace(const LOGFONT& lf) {
    // Keyed by the description with the bytes after the face name's end cleared.
    LOGFONT key = lf;
    size_t n = strnlen(key.lfFaceName, LF_FACESIZE);
    std::memset(key.lfFaceName + n, 0, LF_FACESIZE - n);
    // Text is mostly written run after run in one font: the face of the last
    // call is answered without a lookup (faces live as long as the program).
    static LOGFONT lastKey;
    static const TFontFace* lastFace = nullptr;
    if (lastFace && std::memcmp(&lastKey, &key, sizeof key) == 0) return *lastFace;
    std::string bytes(reinterpret_cast<const char*>(&key), sizeof(key));
    static std::map<std::string, std::unique_ptr<TFontFace>> cache;
    auto it = cache.find(bytes);
    if (it == cache.end()) it = cache.emplace(bytes, std::make_unique<TFontFace>(key)).first;
    lastKey = key;
    lastFace = it->second.get();
    return *lastFace;
}
