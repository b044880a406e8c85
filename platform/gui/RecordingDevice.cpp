#include "platform/gui/RecordingDevice.h"

#include <cstdio>

TGdiCall TRecordingDevice::Primitive(TGdiCallKind kind, const TGdiPaint& paint) const {
    TGdiCall c;
    c.Kind = kind;
    c.Depth = depth_;
    c.Rop2 = paint.Rop2;
    if (paint.Clip) {
        c.Clipped = true;
        c.ClipBox = paint.Clip->Box();
    }
    return c;
}

void TRecordingDevice::BeginCall(TGdiCall&& call) {
    call.Depth = depth_++;
    calls_.push_back(std::move(call));
}

void TRecordingDevice::Fill(const TRect& r, COLORREF color, const TGdiPaint& paint) {
    TGdiCall c = Primitive(TGdiCallKind::Fill, paint);
    c.Rect = r;
    c.Color = color;
    calls_.push_back(std::move(c));
}

void TRecordingDevice::Stroke(const std::vector<TPoint>& points, bool closed, bool lastPixel, const TPenDesc& pen,
                              const TGdiPaint& paint) {
    TGdiCall c = Primitive(TGdiCallKind::Stroke, paint);
    c.Points = points;
    c.Pen = pen;
    c.Color = pen.Color;
    c.Flags = closed ? 1 : 0;
    c.Flags2 = lastPixel ? 1 : 0;
    calls_.push_back(std::move(c));
}

void TRecordingDevice::FillPolygon(const std::vector<TPoint>& points, int fillMode, COLORREF color,
                                   const TGdiPaint& paint) {
    TGdiCall c = Primitive(TGdiCallKind::FillPolygon, paint);
    c.Points = points;
    c.Color = color;
    c.Flags = static_cast<UINT>(fillMode);
    calls_.push_back(std::move(c));
}

void TRecordingDevice::EllipseShape(const TRect& r, const TPenDesc* pen, const TBrushDesc* brush,
                                    const TGdiPaint& paint) {
    TGdiCall c = Primitive(TGdiCallKind::EllipseShape, paint);
    c.Rect = r;
    if (pen) c.Pen = *pen;
    else c.Pen.Style = PS_NULL;
    if (brush) c.Brush = *brush;
    else c.Brush.Null = true;
    calls_.push_back(std::move(c));
}

void TRecordingDevice::Glyphs(const TTextRun& run, const TGdiPaint& paint) {
    TGdiCall c = Primitive(TGdiCallKind::Glyphs, paint);
    c.Points = {TPoint(run.X, run.Y)};
    c.Text = run.Text;
    c.Dx = run.Dx;
    c.Font = run.Font;
    c.Color = run.Color;
    calls_.push_back(std::move(c));
}

void TRecordingDevice::Image(const TRect& dst, TGdiBitmap& src, const TRect& srcRect, DWORD rop,
                             const TGdiPaint& paint) {
    TGdiCall c = Primitive(TGdiCallKind::Image, paint);
    c.Rect = dst;
    c.SourceRect = srcRect;
    c.Flags = rop;
    c.Points = {TPoint(src.Width(), src.Height())};
    calls_.push_back(std::move(c));
}

void TRecordingDevice::XorDots(const std::vector<TPoint>& points, const std::vector<COLORREF>& colors,
                               const TGdiPaint& paint) {
    TGdiCall c = Primitive(TGdiCallKind::XorDots, paint);
    c.Points = points;
    if (!colors.empty()) c.Color = colors[0];
    calls_.push_back(std::move(c));
}

void TRecordingDevice::Pixel(int x, int y, COLORREF color, const TGdiPaint& paint) {
    TGdiCall c = Primitive(TGdiCallKind::Pixel, paint);
    c.Points = {TPoint(x, y)};
    c.Color = color;
    calls_.push_back(std::move(c));
}

std::vector<TGdiCall> TRecordingDevice::Calls(TGdiCallKind kind, int depth) const {
    std::vector<TGdiCall> out;
    for (const TGdiCall& c : calls_)
        if (c.Kind == kind && (depth < 0 || c.Depth == depth)) out.push_back(c);
    return out;
}

AnsiString TRecordingDevice::Dump() const {
    AnsiString out;
    char line[256];
    for (const TGdiCall& c : calls_) {
        std::snprintf(line, sizeof line, "%*s%s rect(%d,%d,%d,%d) color %06X flags %X/%X", c.Depth * 2, "",
                      GdiCallKindName(c.Kind), c.Rect.Left, c.Rect.Top, c.Rect.Right, c.Rect.Bottom, c.Color,
                      c.Flags, c.Flags2);
        out += line;
        for (const TPoint& p : c.Points) {
            std::snprintf(line, sizeof line, " (%d,%d)", p.X, p.Y);
            out += line;
        }
        if (!c.Text.empty()) out += " \"" + c.Text + "\"";
        out += "\n";
    }
    return out;
}

HDC CreateRecordingDC(TRecordingDevice** device, TSize size) {
    auto* d = new TRecordingDevice(size);
    if (device) *device = d;
    return new TDeviceContext(d, true);
}
