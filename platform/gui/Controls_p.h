#pragma once
// What the control sources share beyond the public header: the control that
// holds the capture, the handle-to-control list and the point of a mouse message.
#include <utility>
#include <vector>

#include "platform/gui/Controls.h"

TControl*& CaptureControlRef();
// Handle -> control, for FindControl.
std::vector<std::pair<HWND, TWinControl*>>& HandleControls();
void ReleaseCanvasesOf(HWND wnd);
TPoint MessagePoint(const TMessage& m);
