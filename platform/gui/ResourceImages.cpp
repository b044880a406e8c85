// The pictures and cursors the program loads by name, drawn by our own code
// the first time any of them is asked for.
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/gui/Gdi.h"
#include "platform/gui/GdiInternal.h"
#include "platform/gui/QtGraphics.h"

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kTeal = qRgb(0, 128, 128);     // mask colour 0x808000 of the outlined arrow
const QRgb kMagenta = qRgb(255, 0, 255);  // mask colour of the sort markers
const QRgb kLime = qRgb(0, 255, 0);       // mask colour of the wrap glyph
const QRgb kSilver = qRgb(192, 192, 192);

// Indicator pictures fit the 11-pixel indicator column less its frame; sort
// markers fit the 16 pixels titles keep for them.
constexpr int kIndicatorWidth = 8, kIndicatorHeight = 10;
constexpr int kMarkerWidth = 12, kMarkerHeight = 10;

QImage Blank(int w, int h, QRgb fill) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

void Put(QImage& img, int x, int y, QRgb c) {
    if (x >= 0 && y >= 0 && x < img.width() && y < img.height()) img.setPixel(x, y, c);
}

// A triangle pointing right: rows top..top+2*half, widest (half + 1) at the middle.
void RightTriangle(QImage& img, int left, int top, int half, QRgb c) {
    for (int i = 0; i <= 2 * half; ++i) {
        int w = half + 1 - std::abs(i - half);
        for (int x = 0; x < w; ++x) Put(img, left + x, top + i, c);
    }
}

QImage CurrentRowArrow() {
    QImage img = Blank(kIndicatorWidth, kIndicatorHeight, kWhite);
    RightTriangle(img, 2, 1, 4, kBlack);
    return img;
}

QImage EditMarker() {
    QImage img = Blank(kIndicatorWidth, kIndicatorHeight, kWhite);
    for (int x : {1, 2, 4, 5}) {
        Put(img, x, 1, kBlack);
        Put(img, x, 8, kBlack);
    }
    for (int y = 2; y <= 7; ++y) Put(img, 3, y, kBlack);
    return img;
}

QImage InsertMarker() {
    QImage img = Blank(kIndicatorWidth, kIndicatorHeight, kWhite);
    for (int i = 0; i <= 6; ++i) {
        Put(img, 3, 2 + i, kBlack);
        Put(img, i, 5, kBlack);
    }
    for (int d = 1; d <= 2; ++d) {
        Put(img, 3 - d, 5 - d, kBlack);
        Put(img, 3 + d, 5 - d, kBlack);
        Put(img, 3 - d, 5 + d, kBlack);
        Put(img, 3 + d, 5 + d, kBlack);
    }
    return img;
}

void Dot(QImage& img, int left, int top) {
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            if ((x != 0 && x != 3) || (y != 0 && y != 3)) Put(img, left + x, top + y, kBlack);
}

QImage SelectedDot() {
    QImage img = Blank(kIndicatorWidth, kIndicatorHeight, kWhite);
    Dot(img, 2, 3);
    return img;
}

QImage SelectedArrow() {
    QImage img = Blank(kIndicatorWidth, kIndicatorHeight, kWhite);
    RightTriangle(img, 0, 2, 3, kBlack);
    Dot(img, 4, 3);
    return img;
}

// The current-row arrow outlined in black and filled white, on teal.
QImage OutlinedArrow() {
    QImage img = Blank(kIndicatorWidth, kIndicatorHeight, kTeal);
    RightTriangle(img, 1, 0, 4, kBlack);
    RightTriangle(img, 2, 2, 2, kWhite);
    return img;
}

QImage SortMarker(bool down) {
    QImage img = Blank(kMarkerWidth, kMarkerHeight, kMagenta);
    const QRgb dark = qRgb(64, 64, 64);
    for (int i = 0; i < 5; ++i) {
        int y = down ? 2 + i : 7 - i;
        for (int x = 1 + i; x <= 9 - i; ++x) Put(img, x, y, dark);
    }
    return img;
}

// Ten numbered bookmarks of 11 x 14 side by side.
QImage BookmarkStrip() {
    QImage img = Blank(110, 14, kSilver);
    QPainter p(&img);
    QFont f(MapFaceName("Tahoma"));
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    for (int i = 0; i < 10; ++i) {
        int x = i * 11;
        QPolygon shape;
        shape << QPoint(x + 1, 0) << QPoint(x + 9, 0) << QPoint(x + 9, 13) << QPoint(x + 5, 10) << QPoint(x + 1, 13);
        p.setPen(QColor(0, 0, 96));
        p.setBrush(QColor(0, 64, 160));
        p.drawPolygon(shape);
        p.setPen(Qt::white);
        p.drawText(QRect(x + 1, 0, 9, 11), Qt::AlignCenter, QString::number(i));
    }
    return img;
}

// A hooked arrow: down the right side, then back to the left.
QImage WrapGlyph() {
    QImage img = Blank(15, 14, kLime);
    const QRgb c = qRgb(0, 0, 128);
    for (int y = 2; y <= 9; ++y) {
        Put(img, 11, y, c);
        Put(img, 12, y, c);
    }
    for (int x = 5; x <= 12; ++x) {
        Put(img, x, 9, c);
        Put(img, x, 10, c);
    }
    for (int i = 0; i <= 3; ++i)
        for (int y = 9 - i; y <= 10 + i; ++y) Put(img, 1 + i, y, c);
    return img;
}

// The classic check boxes: columns normal, checked, pushed, pushed and
// checked; rows check box, radio button, three-state box.
QImage CheckBoxSheet() {
    auto* bitmap = new TGdiBitmap(52, 39);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    TRect all(0, 0, 52, 39);
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    const UINT kinds[3] = {DFCS_BUTTONCHECK, DFCS_BUTTONRADIO, DFCS_BUTTON3STATE};
    const UINT states[4] = {0, DFCS_CHECKED, DFCS_PUSHED, DFCS_PUSHED | DFCS_CHECKED};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) {
            TRect r = Bounds(col * 13, row * 13, 13, 13);
            DrawFrameControl(dc, &r, DFC_BUTTON, kinds[row] | states[col]);
        }
    DeleteDC(dc);
    EndImagePainting(bitmap);
    QImage img = bitmap->Data().Image.copy();
    bitmap->Release();
    return img;
}

using TPictureMaker = std::function<QImage()>;

const std::map<std::string, TPictureMaker>& PictureMakers() {
    static const std::map<std::string, TPictureMaker> makers = {
        {"DBGARROWGX", CurrentRowArrow},
        {"DBEDITGX", EditMarker},
        {"DBINSERTGX", InsertMarker},
        {"DBMULTIDOTGX", SelectedDot},
        {"DBMULTIARROWGX", SelectedArrow},
        {"DBGARROWGXW", OutlinedArrow},
        {"DBSMDOWNGX", [] { return SortMarker(true); }},
        {"DBSMUPGX", [] { return SortMarker(false); }},
        {"TEEDITINTERNALIMAGES", BookmarkStrip},
        {"TEEDITWRAPPED", WrapGlyph},
        {"OBM_CHECKBOXES", CheckBoxSheet},
    };
    return makers;
}

const QImage* FindPicture(const std::string& name) {
    static std::map<std::string, QImage> made;
    std::string key = UpperCase(name);
    auto it = made.find(key);
    if (it != made.end()) return &it->second;
    const auto& makers = PictureMakers();
    auto maker = makers.find(key);
    if (maker == makers.end()) return nullptr;
    return &made.emplace(key, maker->second()).first->second;
}

// A 32 x 32 cursor: a black arrow with a white rim, see-through elsewhere.
TCursorResource* MakeArrowCursor(const QPolygonF& shape, TPoint hotSpot) {
    auto* bitmap = new TGdiBitmap(32, 32, true);
    QImage& img = bitmap->Data().Image;
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, false);
        QPen rim(Qt::white);
        rim.setWidth(1);
        p.setPen(rim);
        p.setBrush(Qt::black);
        p.drawPolygon(shape);
    }
    bitmap->MakeStock();
    auto* cursor = new TCursorResource;
    cursor->Image = bitmap;
    cursor->HotSpot = hotSpot;
    return cursor;
}

QPolygonF DownArrow() {
    return QPolygonF({QPointF(13, 2), QPointF(18, 2), QPointF(18, 16), QPointF(24, 16), QPointF(15.5, 27),
                      QPointF(7, 16), QPointF(13, 16)});
}

QPolygonF Turned(const QPolygonF& down, double degrees) {
    QTransform t;
    t.translate(15.5, 15.5);
    t.rotate(degrees);
    t.translate(-15.5, -15.5);
    return t.map(down);
}

}  // namespace

HBITMAP LoadBitmap(HINSTANCE, const char* name) {
    if (!name) return nullptr;
    const QImage* picture = FindPicture(name);
    if (!picture) return nullptr;
    auto* b = new TGdiBitmap(0, 0);
    b->Data().Image = picture->copy();
    return b;
}

HBITMAP LoadBitmap(HINSTANCE instance, int id) {
    return id == OBM_CHECKBOXES ? LoadBitmap(instance, "OBM_CHECKBOXES") : nullptr;
}

HCURSOR LoadCursor(HINSTANCE, const char* name) {
    if (!name) return nullptr;
    static const std::map<std::string, std::function<TCursorResource*()>> makers = {
        {"DOWNCURGX", [] { return MakeArrowCursor(DownArrow(), TPoint(15, 27)); }},
        {"RIGHTCURGX", [] { return MakeArrowCursor(Turned(DownArrow(), -90), TPoint(27, 15)); }},
        {"LEFTCURGX", [] { return MakeArrowCursor(Turned(DownArrow(), 90), TPoint(4, 15)); }},
    };
    // Kept for the life of the process (callers hold the handles), reachable to the end.
    static auto& made = *new std::map<std::string, TCursorResource*>;
    std::string key = UpperCase(name);
    auto it = made.find(key);
    if (it != made.end()) return it->second;
    auto maker = makers.find(key);
    if (maker == makers.end()) return nullptr;
    return made.emplace(key, maker->second()).first->second;
}

QCursor ToQCursor(HCURSOR Cursor) {
    if (!Cursor) return QCursor(Qt::ArrowCursor);
    if (Cursor->StandardShape >= 0) return QCursor(static_cast<Qt::CursorShape>(Cursor->StandardShape));
    return QCursor(QPixmap::fromImage(Cursor->Image->Data().Image), Cursor->HotSpot.X, Cursor->HotSpot.Y);
}
