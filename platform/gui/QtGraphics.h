#pragma once
// Bridges between the drawing layer and Qt, for the window system and the
// controls of platform/gui.
#include <QColor>
#include <QCursor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRegion>

#include "platform/gui/Graphics.h"

// A device context over a painter that the window system opened on a widget
// for a paint; Visible is the area being painted (what ClipRect and
// RectVisible answer from). Free it with FreePaintDC before the painter ends.
HDC CreatePaintDC(QPainter* Painter, const QRegion& Visible, QSize Size);
void FreePaintDC(HDC Dc);

QColor ToQColor(TColor Color);
// The Qt font a TFont draws with (face names mapped to the installed families).
QFont ToQFont(TFont* Font);
// A copy of a bitmap's pixels.
QImage ToQImage(HBITMAP Bitmap);
QImage ToQImage(TBitmap* Bitmap);
// The bitmap's pixels replaced by an image (converted to 32 bits).
void AssignQImage(TBitmap* Bitmap, const QImage& Image);
// The cursor for a named cursor resource (or the standard shape it stands for).
QCursor ToQCursor(HCURSOR Cursor);
