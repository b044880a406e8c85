#pragma once
// Helpers of the graphics tests: a bitmap to draw on and read back, and a font
// selected into a context.
#include <cstring>

#include "platform/gui/Graphics.h"
#include "platform/gui/QtGraphics.h"
#include "platform/gui/RecordingDevice.h"

// A white bitmap whose context the tests draw on with the GDI calls.
struct TSurface {
    TBitmap Bitmap;
    TSurface(int w, int h, COLORREF fill = RGB(255, 255, 255)) {
        Bitmap.SetSize(w, h);
        Clear(fill);
    }
    HDC Dc() { return Bitmap.Canvas()->Handle(); }
    // Read from the pixels themselves, whatever the context's clip.
    COLORREF At(int x, int y) {
        QRgb p = ToQImage(&Bitmap).pixel(x, y);
        return RGB(qRed(p), qGreen(p), qBlue(p));
    }
    void Clear(COLORREF fill) {
        TRect all(0, 0, Bitmap.Width(), Bitmap.Height());
        HBRUSH b = CreateSolidBrush(fill);
        FillRect(Dc(), &all, b);
        DeleteObject(b);
    }
    // The bounds of the pixels (within a part of the bitmap) that differ from the background.
    TRect Ink(COLORREF background, TRect within = TRect(0, 0, 1 << 20, 1 << 20)) {
        QImage img = ToQImage(&Bitmap);
        IntersectRect(&within, within, TRect(0, 0, img.width(), img.height()));
        QRgb bg = qRgb(GetRValue(background), GetGValue(background), GetBValue(background));
        TRect box;
        bool any = false;
        for (int y = within.Top; y < within.Bottom; ++y)
            for (int x = within.Left; x < within.Right; ++x)
                if ((img.pixel(x, y) | 0xFF000000u) != bg) {
                    if (!any) box = TRect(x, y, x + 1, y + 1);
                    box.Left = std::min(box.Left, x);
                    box.Top = std::min(box.Top, y);
                    box.Right = std::max(box.Right, x + 1);
                    box.Bottom = std::max(box.Bottom, y + 1);
                    any = true;
                }
        return box;
    }
};

inline HFONT MakeFont(const char* face, int height, int escapement = 0, bool italic = false) {
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWeight = FW_NORMAL;
    lf.lfEscapement = lf.lfOrientation = escapement;
    lf.lfItalic = italic ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

inline int TextWidthOn(HDC dc, const AnsiString& s) {
    TSize size;
    GetTextExtentPoint32(dc, s.data(), static_cast<int>(s.size()), &size);
    return size.cx;
}

inline int LineHeightOn(HDC dc) {
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    return tm.tmHeight;
}
