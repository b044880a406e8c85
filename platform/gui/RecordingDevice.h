#pragma once
// A device that draws nothing and writes down every drawing call and every
// primitive it receives, for tests of painting code. Text is measured with the
// real fonts, so positions worked out from GetTextMetrics and
// GetTextExtentPoint32 match what would be drawn.
#include <vector>

#include "platform/gui/GdiDevice.h"

class TRecordingDevice final : public TGdiDevice {
public:
    explicit TRecordingDevice(TSize size = TSize(800, 600)) : size_(size) {}

    TSize Size() const override { return size_; }
    void Fill(const TRect& r, COLORREF color, const TGdiPaint& paint) override;
    void Stroke(const std::vector<TPoint>& points, bool closed, bool lastPixel, const TPenDesc& pen,
                const TGdiPaint& paint) override;
    void FillPolygon(const std::vector<TPoint>& points, int fillMode, COLORREF color, const TGdiPaint& paint) override;
    void EllipseShape(const TRect& r, const TPenDesc* pen, const TBrushDesc* brush, const TGdiPaint& paint) override;
    void Glyphs(const TTextRun& run, const TGdiPaint& paint) override;
    void Image(const TRect& dst, TGdiBitmap& src, const TRect& srcRect, DWORD rop, const TGdiPaint& paint) override;
    void XorDots(const std::vector<TPoint>& points, const std::vector<COLORREF>& colors,
                 const TGdiPaint& paint) override;
    void Pixel(int x, int y, COLORREF color, const TGdiPaint& paint) override;

    bool Records() const override { return true; }
    void BeginCall(TGdiCall&& call) override;
    void EndCall() override { --depth_; }

    // Everything in the order it happened.
    const std::vector<TGdiCall>& Calls() const { return calls_; }
    // The entries of one kind; with depth >= 0 only those at that depth.
    std::vector<TGdiCall> Calls(TGdiCallKind kind, int depth = -1) const;
    void Clear() { calls_.clear(); }
    // One line per entry, for a failing test's message.
    AnsiString Dump() const;

private:
    TGdiCall Primitive(TGdiCallKind kind, const TGdiPaint& paint) const;
    TSize size_;
    int depth_ = 0;
    std::vector<TGdiCall> calls_;
};

// A context that draws on a recording device it owns; free it with DeleteDC.
HDC CreateRecordingDC(TRecordingDevice** device, TSize size = TSize(800, 600));
