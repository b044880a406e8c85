// The device that puts primitives on pixels with a QPainter: on a bitmap's
// image, or with a painter opened by the window system during a paint.
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <map>

#include "platform/gui/GdiInternal.h"
#include "platform/gui/QtGraphics.h"

namespace {

class TQtPainterDevice final : public TGdiDevice {
public:
    explicit TQtPainterDevice(TGdiBitmap* bitmap) : bitmap_(bitmap) {}
    TQtPainterDevice(QPainter* painter, QSize size) : external_(painter), size_(size) { external_->save(); }
    ~TQtPainterDevice() override {
        if (external_)
            external_->restore();
        else
            End();
    }

    void End() {
        lastFill_.valid = false;
        if (own_.isActive()) own_.end();
    }

    TSize Size() const override {
        if (bitmap_) return {bitmap_->Width(), bitmap_->Height()};
        return {size_.width(), size_.height()};
    }

    void Fill(const TRect& r, COLORREF color, const TGdiPaint& paint) override {
        if (IsRectEmpty(r) || paint.Rop2 == R2_NOP) return;
        // The same opaque fill again with nothing drawn between (a grid fills
        // each cell, then writes its text on that background): the pixels
        // already hold it.
        const bool copy = paint.Rop2 == R2_COPYPEN;
        if (copy && lastFill_.valid && lastFill_.rect == r && lastFill_.color == color &&
            (paint.Clip ? lastFill_.clipped && lastFill_.clip == paint.Clip->Data().Region : !lastFill_.clipped))
            return;
        QPainter& p = Begin(paint, false);
        p.fillRect(ToQRect(r), RopColor(color, paint.Rop2));
        if (copy) {
            lastFill_.valid = true;
            lastFill_.rect = r;
            lastFill_.color = color;
            lastFill_.clipped = paint.Clip != nullptr;
            lastFill_.clip = paint.Clip ? paint.Clip->Data().Region : QRegion();
        }
    }

    void Stroke(const std::vector<TPoint>& points, bool closed, bool lastPixel, const TPenDesc& pen,
                const TGdiPaint& paint) override {
        if (points.empty() || pen.IsNull() || paint.Rop2 == R2_NOP) return;
        QPainter& p = Begin(paint, false);
        p.setPen(MakePen(pen, paint.Rop2, lastPixel));
        p.setBrush(Qt::NoBrush);
        if (points.size() == 2 && !closed) {
            // One segment (a grid line): the painter's line path, with no polygon to build.
            p.drawLine(QPoint(points[0].X, points[0].Y), QPoint(points[1].X, points[1].Y));
            return;
        }
        QPolygon poly;
        for (const TPoint& pt : points) poly << QPoint(pt.X, pt.Y);
        if (points.size() == 1) {
            if (lastPixel) p.drawPoint(poly[0]);
        } else if (closed) {
            p.drawPolygon(poly);
        } else {
            p.drawPolyline(poly);
        }
    }

    void FillPolygon(const std::vector<TPoint>& points, int fillMode, COLORREF color,
                     const TGdiPaint& paint) override {
        if (points.size() < 3 || paint.Rop2 == R2_NOP) return;
        QPainter& p = Begin(paint, false);
        p.setPen(Qt::NoPen);
        p.setBrush(RopColor(color, paint.Rop2));
        QPolygon poly;
        for (const TPoint& pt : points) poly << QPoint(pt.X, pt.Y);
        p.drawPolygon(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    }

    void EllipseShape(const TRect& r, const TPenDesc* pen, const TBrushDesc* brush, const TGdiPaint& paint) override {
        if (r.Width() < 2 || r.Height() < 2 || paint.Rop2 == R2_NOP) return;
        QPainter& p = Begin(paint, false);
        p.setPen(pen && !pen->IsNull() ? MakePen(*pen, paint.Rop2, true) : QPen(Qt::NoPen));
        p.setBrush(brush && !brush->Null ? QBrush(RopColor(brush->Color, paint.Rop2)) : QBrush(Qt::NoBrush));
        p.drawEllipse(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    }

    void Glyphs(const TTextRun& run, const TGdiPaint& paint) override {
        if (run.Text.empty()) return;
        const TFontFace& face = FontFace(run.Font);
        if (!face.Raw.isValid()) return;
        QPainter& p = Begin(paint, true);
        QList<quint32> glyphs;
        QList<QPointF> positions;
        glyphs.reserve(static_cast<qsizetype>(run.Text.size()));
        positions.reserve(static_cast<qsizetype>(run.Text.size()));
        int x = 0;
        for (size_t i = 0; i < run.Text.size(); ++i) {
            auto c = static_cast<unsigned char>(run.Text[i]);
            if (quint32 g = face.Glyph(c)) {
                glyphs << g;
                positions << QPointF(x, face.Ascent);
            }
            x += i < run.Dx.size() ? run.Dx[i] : face.Advance(c);
        }
        QGlyphRun gr;
        gr.setRawFont(face.Raw);
        gr.setGlyphIndexes(glyphs);
        gr.setPositions(positions);
        p.setPen(ToQColorRef(run.Color));
        if (run.Font.lfEscapement != 0) {
            p.save();
            p.translate(run.X, run.Y);
            p.rotate(-run.Font.lfEscapement / 10.0);
            if (!glyphs.isEmpty()) p.drawGlyphRun(QPointF(0, 0), gr);
            DecorateLine(p, face, 0, 0, x);
            p.restore();
        } else {
            if (!glyphs.isEmpty()) p.drawGlyphRun(QPointF(run.X, run.Y), gr);
            DecorateLine(p, face, run.X, run.Y, x);
        }
    }

    void Image(const TRect& dst, TGdiBitmap& src, const TRect& srcRect, DWORD rop, const TGdiPaint& paint) override {
        if (IsRectEmpty(dst) || IsRectEmpty(srcRect)) return;
        const QImage& image = src.Data().Image;
        // A bitmap drawn onto itself is read from a copy.
        QImage copy;
        const QImage* from = &image;
        if (&src == bitmap_) {
            copy = image.copy(ToQRect(srcRect));
            from = &copy;
        }
        QRect fromRect = from == &copy ? QRect(0, 0, copy.width(), copy.height()) : ToQRect(srcRect);
        QPainter& p = Begin(paint, false);
        switch (rop) {
            case BLEND_ALPHA: p.setCompositionMode(QPainter::CompositionMode_SourceOver); break;
            case SRCINVERT: p.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
            case SRCAND: p.setCompositionMode(QPainter::RasterOp_SourceAndDestination); break;
            case SRCPAINT: p.setCompositionMode(QPainter::RasterOp_SourceOrDestination); break;
            case NOTSRCCOPY: p.setCompositionMode(QPainter::RasterOp_NotSource); break;
            default: p.setCompositionMode(QPainter::CompositionMode_Source); break;
        }
        if (rop != BLEND_ALPHA && from->hasAlphaChannel()) {
            // Copy operations see the picture as opaque, as a device bitmap would be.
            QImage opaque = from->copy(fromRect).convertToFormat(QImage::Format_RGB32);
            p.drawImage(ToQRect(dst), opaque);
        } else {
            p.drawImage(ToQRect(dst), *from, fromRect);
        }
    }

    void XorDots(const std::vector<TPoint>& points, const std::vector<COLORREF>& colors,
                 const TGdiPaint& paint) override {
        if (points.empty()) return;
        TGdiPaint xorPaint = paint;
        xorPaint.Rop2 = R2_XORPEN;
        QPainter& p = Begin(xorPaint, false);
        std::map<COLORREF, QPolygon> byColor;
        for (size_t i = 0; i < points.size(); ++i) byColor[colors[i]] << QPoint(points[i].X, points[i].Y);
        for (auto& [color, pts] : byColor) {
            if (color == 0) continue;  // XOR with black changes nothing
            QPen pen(ToQColorRef(color));
            pen.setWidth(1);
            pen.setCosmetic(true);
            p.setPen(pen);
            p.drawPoints(pts);
        }
    }

    void Pixel(int x, int y, COLORREF color, const TGdiPaint& paint) override {
        Fill(TRect(x, y, x + 1, y + 1), color, paint);
    }

    COLORREF GetPixel(int x, int y) override {
        if (!bitmap_) return CLR_INVALID;
        const QImage& image = bitmap_->Data().Image;
        if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return CLR_INVALID;
        return FromQRgb(image.pixel(x, y));
    }

    TGdiBitmap* Bitmap() override { return bitmap_; }

private:
    QPainter& Painter() {
        if (external_) return *external_;
        if (!own_.isActive()) {
            own_.begin(&bitmap_->Data().Image);
            clipValid_ = false;
        }
        return own_;
    }

    QPainter& Begin(const TGdiPaint& paint, bool text) {
        lastFill_.valid = false;  // whatever is drawn now may cover it
        QPainter& p = Painter();
        if (paint.Clip) {
            const QRegion& r = paint.Clip->Data().Region;
            if (!clipValid_ || !clipOn_ || clip_ != r) {
                p.setClipRegion(r);
                clip_ = r;
                clipOn_ = true;
                clipValid_ = true;
            }
        } else if (!clipValid_ || clipOn_) {
            // The whole device rather than setClipping(false): the raster engine
            // ignores a later complex clip region after clipping was switched off.
            TSize s = Size();
            p.setClipRegion(QRegion(0, 0, s.cx, s.cy));
            clipOn_ = false;
            clipValid_ = true;
        }
        // The painter tells its engine of every change of hints, asked for or
        // not; a run of cells asks for the same hints again and again.
        const QPainter::RenderHints hints = text ? QPainter::TextAntialiasing : QPainter::RenderHints();
        if ((p.renderHints() & (QPainter::Antialiasing | QPainter::TextAntialiasing)) != hints) {
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setRenderHint(QPainter::TextAntialiasing, text);
        }
        switch (paint.Rop2) {
            case R2_XORPEN: p.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
            case R2_NOTXORPEN: p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination); break;
            case R2_NOT: p.setCompositionMode(QPainter::RasterOp_NotDestination); break;
            default: p.setCompositionMode(QPainter::CompositionMode_SourceOver); break;
        }
        return p;
    }

    static QColor RopColor(COLORREF color, int rop2) {
        if (rop2 == R2_BLACK) return QColor(0, 0, 0);
        if (rop2 == R2_WHITE) return QColor(255, 255, 255);
        return ToQColorRef(color);
    }

    static QPen MakePen(const TPenDesc& d, int rop2, bool lastPixel) {
        QPen pen(RopColor(d.Color, rop2));
        bool geometric = (d.Style & PS_GEOMETRIC) != 0 || d.Width > 1;
        if (!geometric) {
            pen.setWidth(1);
            pen.setCosmetic(true);
            // A flat cap leaves the end point out, as line drawing does.
            pen.setCapStyle(lastPixel ? Qt::SquareCap : Qt::FlatCap);
        } else {
            pen.setWidth(std::max(1, d.Width));
            switch (d.Style & PS_ENDCAP_MASK) {
                case PS_ENDCAP_FLAT: pen.setCapStyle(Qt::FlatCap); break;
                case PS_ENDCAP_SQUARE: pen.setCapStyle(Qt::SquareCap); break;
                default: pen.setCapStyle(Qt::RoundCap); break;
            }
            switch (d.Style & PS_JOIN_MASK) {
                case PS_JOIN_MITER: pen.setJoinStyle(Qt::MiterJoin); break;
                case PS_JOIN_BEVEL: pen.setJoinStyle(Qt::BevelJoin); break;
                default: pen.setJoinStyle(Qt::RoundJoin); break;
            }
        }
        switch (d.Kind()) {
            case PS_DASH: pen.setDashPattern({18, 6}); break;
            case PS_DOT: pen.setDashPattern({3, 3}); break;
            case PS_DASHDOT: pen.setDashPattern({9, 6, 3, 6}); break;
            case PS_DASHDOTDOT: pen.setDashPattern({9, 3, 3, 3, 3, 3}); break;
            default: break;
        }
        return pen;
    }

    // Underline and strike-out lines of a run, in the run's own frame.
    static void DecorateLine(QPainter& p, const TFontFace& face, int x, int y, int width) {
        if (!face.Underline && !face.StrikeOut) return;
        int thick = std::max(1, face.Height / 14);
        if (face.Underline) p.fillRect(QRect(x, y + face.Ascent + 1, width, thick), p.pen().color());
        if (face.StrikeOut) p.fillRect(QRect(x, y + face.Ascent - face.Ascent / 3, width, thick), p.pen().color());
    }

    TGdiBitmap* bitmap_ = nullptr;
    QPainter* external_ = nullptr;
    QPainter own_;
    QSize size_;
    QRegion clip_;
    bool clipOn_ = false;
    bool clipValid_ = false;
    // The last opaque fill, while nothing else has been drawn since.
    struct {
        bool valid = false;
        TRect rect;
        COLORREF color = 0;
        bool clipped = false;
        QRegion clip;
    } lastFill_;
};

}  // namespace

std::unique_ptr<TGdiDevice> CreateImageDevice(TGdiBitmap* bitmap) {
    return std::make_unique<TQtPainterDevice>(bitmap);
}

void EndImagePainting(TGdiBitmap* bitmap) {
    if (auto* d = static_cast<TQtPainterDevice*>(bitmap->Data().Device.get())) d->End();
}

HDC CreatePaintDC(QPainter* Painter, const QRegion& Visible, QSize Size) {
    TGdiRegion visible;
    visible.Data().Region = Visible;
    return new TDeviceContext(new TQtPainterDevice(Painter, Size), true, &visible);
}

void FreePaintDC(HDC Dc) { delete Dc; }
