// Scrolling (TopLine, LeftChar, the scroll bars with their 16-bit scaling,
// the scroll messages, the hint and the wheel) and the mouse (caret placement,
// selection by click, Shift, Alt and drag, drag scrolling on the timer, word
// selection by double click, gutter clicks and the cursor).
#include <algorithm>
#include <climits>
#include <cmath>

#include "editor/TeEdit.h"
#include "editor/TeEditGuards.h"
#include "editor/TeEditWordWrap.h"
#include "platform/gui/Forms.h"

namespace {
THintWindow* gScrollHint = nullptr;

THintWindow* ScrollHintWindow() {
    if (!gScrollHint) gScrollHint = new THintWindow(Application);
    return gScrollHint;
}
}  // namespace

int TCustomTeEdit::LongestLineLength() { return lines_->GetLengthOfLongestLine(); }

// ---------------------------------------------------------------------------
// TopLine and LeftChar

void TCustomTeEdit::SetTopLine(int Value) {
    int maxTop = options_.Contains(eoScrollPastEof) ? DisplayLineCount() : DisplayLineCount() - linesInWindow_ + 1;
    Value = MinMax(Value, 1, std::max(maxTop, 1));
    if (Value == topLine_) return;
    int delta = topLine_ - Value;
    topLine_ = Value;
    if (HandleAllocated()) {
        if (std::abs(delta) < linesInWindow_) {
            TRect rc = ClientRect();
            ScrollWindow(Handle(), 0, textHeight_ * delta, &rc, &rc);
        } else {
            Invalidate();
        }
    }
    UpdateScrollBars();
    StatusChanged(scTopLine);
}

void TCustomTeEdit::SetLeftChar(int Value) {
    if (wordWrap_) Value = 1;
    int maxVal;
    if (options_.Contains(eoScrollPastEol) && options_.Contains(eoAutoSizeMaxScrollWidth))
        maxVal = INT_MAX - charsInWindow_;
    else if (options_.Contains(eoScrollPastEol))
        maxVal = maxScrollWidth_ - charsInWindow_ + 1;
    else
        maxVal = std::max(LongestLineLength() - charsInWindow_ + 1, 1);
    Value = MinMax(Value, 1, std::max(maxVal, 1));
    if (Value == leftChar_) return;
    int delta = leftChar_ - Value;
    leftChar_ = Value;
    textOffset_ = gutterWidth_ + 2 - (leftChar_ - 1) * charWidth_;
    if (HandleAllocated()) {
        TRect rc = ClientRect();
        rc.Left = gutterWidth_ + 2;
        if (std::abs(delta) < charsInWindow_) ScrollWindow(Handle(), delta * charWidth_, 0, &rc, &rc);
        else InvalidateLines(-1, -1);
    }
    if (options_.Contains(eoScrollPastEol) && options_.Contains(eoAutoSizeMaxScrollWidth) &&
        leftChar_ + charsInWindow_ > maxScrollWidth_)
        SetMaxScrollWidth(leftChar_ + charsInWindow_);
    else
        UpdateScrollBars();
    StatusChanged(scLeftChar);
}

void TCustomTeEdit::EnsureCursorPosVisible() { EnsureCursorPosVisibleEx(false); }

void TCustomTeEdit::EnsureCursorPosVisibleEx(bool ForceToMiddle) {
    TTePaintLock lock(this);
    int x = DisplayX();
    if (x < leftChar_) SetLeftChar(x);
    else if (x >= leftChar_ + charsInWindow_ && charsInWindow_ > 0) SetLeftChar(x - charsInWindow_ + 1);
    else SetLeftChar(leftChar_);
    int y = DisplayY();
    if (!ForceToMiddle) {
        if (y < topLine_) SetTopLine(y);
        else if (y > topLine_ + std::max(linesInWindow_, 1) - 1) SetTopLine(y - (linesInWindow_ - 1));
        else SetTopLine(topLine_);
    } else if (y < topLine_ - 1 || y > topLine_ + linesInWindow_ - 2) {
        if (y < topLine_) SetTopLine(y - linesInWindow_ / 2);
        else SetTopLine(y - (linesInWindow_ - 1) + linesInWindow_ / 2);
    }
}

// ---------------------------------------------------------------------------
// Scroll bars

void TCustomTeEdit::UpdateScrollBars() {
    if (!HandleAllocated() || paintLock_ != 0) {
        scrollBarsChanged_ = true;
        return;
    }
    scrollBarsChanged_ = false;
    // Showing or hiding a bar resizes the client area, whose WM_SIZE asks for
    // another update. That one only takes note; the bars are set again here
    // from the new measures. Where a shown bar makes the text fit and a hidden
    // one makes it overflow, they would flip for ever: after two rounds the
    // bars stay shown.
    if (updatingScrollBars_) {
        scrollBarsResized_ = true;
        return;
    }
    TValueRestorer<bool> updating(updatingScrollBars_, true);
    for (int round = 0; round < 4; ++round) {
        scrollBarsResized_ = false;
        ApplyScrollBars(round < 2);
        if (!scrollBarsResized_) break;
    }
    scrollBarsChanged_ = false;
}

void TCustomTeEdit::ApplyScrollBars(bool MayHide) {
    HWND h = Handle();
    if (scrollBars_ == ssNone) {
        ShowScrollBar(h, SB_BOTH, false);
        return;
    }
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    if (!options_.Contains(eoHideShowScrollbars)) si.fMask |= SIF_DISABLENOSCROLL;
    auto setBar = [&](int bar, int range, int page, int pos) {
        bool scaled = range > 32767;
        if (scaled) {
            si.nMin = 0;
            si.nMax = 32767;
            si.nPage = static_cast<UINT>(MulDiv(32767, page, range));
            si.nPos = MulDiv(32767, pos, range);
        } else {
            si.nMin = 1;
            si.nMax = std::max(range, 1);
            si.nPage = static_cast<UINT>(std::max(page, 0));
            si.nPos = pos;
        }
        bool show = !(MayHide && options_.Contains(eoHideShowScrollbars) && !scaled && range <= page);
        ShowScrollBar(h, bar, show);
        SetScrollInfo(h, bar, &si, true);
        UINT flags;
        if (!options_.Contains(eoDisableScrollArrows) && range > page) flags = ESB_ENABLE_BOTH;
        else if (pos <= 1 && range <= pos + page - 1) flags = ESB_DISABLE_BOTH;
        else flags = (pos <= 1 ? ESB_DISABLE_LTUP : 0u) | (range <= pos + page - 1 ? ESB_DISABLE_RTDN : 0u);
        EnableScrollBar(h, bar == SB_HORZ ? SB_HORZ : SB_VERT, flags);
    };
    if ((scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) && !wordWrap_) {
        int range = options_.Contains(eoScrollPastEol) ? maxScrollWidth_ : std::max(LongestLineLength(), 1);
        setBar(SB_HORZ, range, charsInWindow_, leftChar_);
    } else {
        ShowScrollBar(h, SB_HORZ, false);
    }
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) {
        int range = DisplayLineCount();
        if (options_.Contains(eoScrollPastEof)) range += linesInWindow_ - 1;
        setBar(SB_VERT, std::max(range, 1), linesInWindow_, topLine_);
    } else {
        ShowScrollBar(h, SB_VERT, false);
    }
}

void TCustomTeEdit::ShowScrollHint(bool Show) {
    THintWindow* hint = ScrollHintWindow();
    if (!Show) {
        if (hint->HandleAllocated()) ShowWindow(hint->Handle(), SW_HIDE);
        return;
    }
    hint->SetColor(scrollHintColor_);
    AnsiString text;
    if (scrollHintFormat_ == shfTopToBottom)
        text = Format("%d - %d", {RowToLine(topLine_),
                                  RowToLine(topLine_ + std::min(linesInWindow_, DisplayLineCount() - topLine_))});
    else
        text = Format("Top Line: %d", {RowToLine(topLine_)});
    TRect r = hint->CalcHintRect(200, text, nullptr);
    int w = r.Width(), hh = r.Height();
    TPoint p(ClientWidth() - w - 4, 10);
    if (options_.Contains(eoScrollHintFollows)) {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        GetScrollInfo(Handle(), SB_VERT, &si);
        int arrow = GetSystemMetrics(SM_CYVSCROLL);
        p.Y = arrow + (si.nMax > 0 ? static_cast<int>(
                                         std::lround(double(ClientHeight() - 2 * arrow) * si.nTrackPos / si.nMax))
                                   : 0) +
              hh / 2;
    }
    p = ClientToScreen(p);
    hint->ActivateHint(TRect(p.X, p.Y, p.X + w, p.Y + hh), text);
}

void TCustomTeEdit::WMHScroll(TMessage& Message) {
    int code = LOWORD(Message.WParam);
    int pos = static_cast<int16_t>(HIWORD(Message.WParam));
    int range = options_.Contains(eoScrollPastEol) ? maxScrollWidth_ : std::max(LongestLineLength(), 1);
    switch (code) {
        case SB_LINELEFT: SetLeftChar(leftChar_ - 1); break;
        case SB_LINERIGHT: SetLeftChar(leftChar_ + 1); break;
        case SB_PAGELEFT: SetLeftChar(leftChar_ - (charsInWindow_ - (options_.Contains(eoScrollByOneLess) ? 1 : 0))); break;
        case SB_PAGERIGHT: SetLeftChar(leftChar_ + (charsInWindow_ - (options_.Contains(eoScrollByOneLess) ? 1 : 0))); break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            isScrolling_ = true;
            SetLeftChar(range > 32767 ? MulDiv(range, static_cast<uint16_t>(pos), 32767) : static_cast<uint16_t>(pos));
            break;
        case SB_LEFT: SetLeftChar(1); break;
        case SB_RIGHT:
            SetLeftChar(options_.Contains(eoScrollPastEol) ? maxScrollWidth_ - charsInWindow_ + 1 : LongestLineLength());
            break;
        case SB_ENDSCROLL: isScrolling_ = false; break;
        default: break;
    }
    Message.Result = 0;
    if (OnScroll) OnScroll(this, sbHorizontal);
}

void TCustomTeEdit::WMVScroll(TMessage& Message) {
    int code = LOWORD(Message.WParam);
    int pos = static_cast<uint16_t>(HIWORD(Message.WParam));
    int step = linesInWindow_ - (options_.Contains(eoScrollByOneLess) ? 1 : 0);
    switch (code) {
        case SB_LINEUP: SetTopLine(topLine_ - 1); break;
        case SB_LINEDOWN: SetTopLine(topLine_ + 1); break;
        case SB_PAGEUP: SetTopLine(topLine_ - step); break;
        case SB_PAGEDOWN: SetTopLine(topLine_ + step); break;
        case SB_TOP: SetTopLine(1); break;
        case SB_BOTTOM: SetTopLine(DisplayLineCount()); break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            isScrolling_ = true;
            if (DisplayLineCount() > 32767) SetTopLine(MulDiv(DisplayLineCount() + linesInWindow_ - 1, pos, 32767));
            else SetTopLine(pos);
            if (options_.Contains(eoShowScrollHint)) ShowScrollHint(true);
            break;
        case SB_ENDSCROLL:
            isScrolling_ = false;
            if (options_.Contains(eoShowScrollHint)) ShowScrollHint(false);
            break;
        default: break;
    }
    Update();
    Message.Result = 0;
    if (OnScroll) OnScroll(this, sbVertical);
}

void TCustomTeEdit::DoMouseWheelScroll(int Delta, TShiftState Shift) {
    int lines;
    if (Shift & ssCtrl) {
        lines = linesInWindow_;
        if (options_.Contains(eoHalfPageScroll)) lines /= 2;
    } else {
        lines = Mouse->WheelScrollLines();
        if (lines == -1 || lines > linesInWindow_) lines = linesInWindow_;
    }
    mouseWheelAccumulator_ += Delta;
    int notches = mouseWheelAccumulator_ / 120;
    mouseWheelAccumulator_ %= 120;
    if (notches != 0) SetTopLine(topLine_ - notches * lines);
    Update();
    if (OnScroll) OnScroll(this, sbVertical);
}

void TCustomTeEdit::WMMouseWheel(TMessage& Message) {
    TCustomControl::WMMouseWheel(Message);
    if (ComponentState() & csDesigning) return;
    int delta = static_cast<int16_t>(HIWORD(Message.WParam));
    DoMouseWheelScroll(delta, KeysToShiftState(LOWORD(Message.WParam)));
    Message.Result = 1;
}

// ---------------------------------------------------------------------------
// Mouse

void TCustomTeEdit::ComputeCaret(int X, int Y) {
    TDisplayCoord vc = PixelsToNearestRowColumn(X, Y);
    vc.Row = MinMax(vc.Row, 1, std::max(DisplayLineCount(), 1));
    IncPaintLock();
    InternalSetCaretXY(DisplayToBufferPos(vc));
    DecPaintLock();
}

void TCustomTeEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TBufferCoord oldBegin = blockBegin_, oldEnd = blockEnd_;
    bool wasSelected = false;
    if (Button == mbLeft && SelAvail()) {
        mouseDownX_ = X;
        mouseDownY_ = Y;
        wasSelected = true;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && (Shift & ssDouble)) return;
    kbdHandler_->ExecuteMouseDown(this, Button, Shift, X, Y);
    if (Button == mbRight) {
        if (options_.Contains(eoRightMouseMovesCursor)) {
            TBufferCoord at = DisplayToBufferPos(PixelsToRowColumn(X, Y));
            if (SelAvail() && IsPointInSelection(at)) return;
            InvalidateSelection();
            blockEnd_ = blockBegin_;
            ComputeCaret(X, Y);
        } else {
            return;
        }
    }
    if (Button == mbLeft) {
        ComputeCaret(X, Y);
        blockBegin_ = oldBegin;
        blockEnd_ = oldEnd;
        SetMouseCapture(true);
        waitForDragging_ = false;
        bool prepare = wasSelected && options_.Contains(eoDragDropEditing) && X >= gutterWidth_ + 2 &&
                       selectionMode_ == smNormal &&
                       IsPointInSelection(DisplayToBufferPos(PixelsToRowColumn(X, Y)));
        if (prepare) {
            waitForDragging_ = true;
        } else if (!dblClicked_) {
            if (Shift & ssShift) {
                SetBlockEnd(CaretXY());
            } else {
                if (options_.Contains(eoAltSetsColumnMode) && activeSelectionMode_ != smLine)
                    SetSelectionMode((Shift & ssAlt) ? smColumn : smNormal);
                SetBlockBegin(CaretXY());
            }
        }
    }
    if (X < gutterWidth_) {
        possibleGutterClick_ = true;
        if (Button == mbRight) DoOnGutterClick(Button, X, Y);
    }
    if (CanFocus() && !Focused()) SetFocus();
}

void TCustomTeEdit::ComputeScroll(int X, int Y) {
    if (!MouseCapture() && !Dragging()) {
        scrollTimer_->SetEnabled(false);
        return;
    }
    TRect box(gutterWidth_, 0, gutterWidth_ + charsInWindow_ * charWidth_, linesInWindow_ * textHeight_);
    if (borderStyle_ == bsNone) box = TRect(box.Left + 2, box.Top + 2, box.Right - 2, box.Bottom - 2);
    int cw = std::max(charWidth_, 1), lh = std::max(textHeight_, 1);
    if (X < box.Left) scrollDeltaX_ = (X - box.Left) / cw - 1;
    else if (X >= box.Right) scrollDeltaX_ = (X - box.Right) / cw + 1;
    else scrollDeltaX_ = 0;
    if (Y < box.Top) scrollDeltaY_ = (Y - box.Top) / lh - 1;
    else if (Y >= box.Bottom) scrollDeltaY_ = (Y - box.Bottom) / lh + 1;
    else scrollDeltaY_ = 0;
    scrollTimer_->SetEnabled(scrollDeltaX_ != 0 || scrollDeltaY_ != 0);
}

void TCustomTeEdit::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (MouseCapture() && waitForDragging_) {
        if (std::abs(mouseDownX_ - X) >= GetSystemMetrics(SM_CXDRAG) ||
            std::abs(mouseDownY_ - Y) >= GetSystemMetrics(SM_CYDRAG)) {
            waitForDragging_ = false;
            BeginDrag(false);
        }
        return;
    }
    if ((Shift & ssLeft) && MouseCapture()) {
        ComputeScroll(X, Y);
        TDisplayCoord p = PixelsToNearestRowColumn(X, Y);
        p.Row = MinMax(p.Row, 1, std::max(DisplayLineCount(), 1));
        if (scrollDeltaX_ != 0) p.Column = DisplayX();
        if (scrollDeltaY_ != 0) p.Row = DisplayY();
        InternalSetCaretXY(DisplayToBufferPos(p));
        SetBlockEnd(CaretXY());
        if (possibleGutterClick_ && blockBegin_.Line != caretY_) gutterDragging_ = true;
    }
}

void TCustomTeEdit::ScrollTimerHandler(TObject*) {
    TPoint p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    TDisplayCoord c = PixelsToRowColumn(p.X, p.Y);
    c.Row = MinMax(c.Row, 1, std::max(DisplayLineCount(), 1));
    if (scrollDeltaX_ != 0) {
        SetLeftChar(leftChar_ + scrollDeltaX_);
        c.Column = leftChar_;
        if (scrollDeltaX_ > 0) c.Column += charsInWindow_;
    }
    if (scrollDeltaY_ != 0) {
        if (GetKeyState(VK_SHIFT) & 0x8000) SetTopLine(topLine_ + scrollDeltaY_ * linesInWindow_);
        else SetTopLine(topLine_ + scrollDeltaY_);
        c.Row = topLine_;
        if (scrollDeltaY_ > 0) c.Row += linesInWindow_ - 1;
        c.Row = MinMax(c.Row, 1, std::max(DisplayLineCount(), 1));
    }
    TBufferCoord target = DisplayToBufferPos(c);
    if (!(target == CaretXY())) {
        IncPaintLock();
        InternalSetCaretXY(target);
        if (MouseCapture()) SetBlockEnd(CaretXY());
        DecPaintLock();
    }
    ComputeScroll(p.X, p.Y);
}

void TCustomTeEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    kbdHandler_->ExecuteMouseUp(this, Button, Shift, X, Y);
    scrollTimer_->SetEnabled(false);
    if (Button == mbRight && (Shift & (ssShift | ssAlt | ssCtrl | ssLeft | ssMiddle)) == 0 && PopupMenu()) return;
    SetMouseCapture(false);
    if (possibleGutterClick_ && X < gutterWidth_ && Button != mbRight) {
        DoOnGutterClick(Button, X, Y);
    } else if (waitForDragging_ && !dblClicked_) {
        ComputeCaret(X, Y);
        if (!(Shift & ssShift)) SetBlockBegin(CaretXY());
        SetBlockEnd(CaretXY());
        waitForDragging_ = false;
    }
    dblClicked_ = false;
    possibleGutterClick_ = false;
    gutterDragging_ = false;
}

void TCustomTeEdit::DblClick() {
    TPoint p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    if (p.X >= gutterWidth_ + 2) {
        if (!options_.Contains(eoNoSelection)) SetWordBlock(CaretXY());
        TCustomControl::DblClick();
        dblClicked_ = true;
        SetMouseCapture(false);
    } else {
        TCustomControl::DblClick();
    }
}

void TCustomTeEdit::DoOnGutterClick(TMouseButton Button, int X, int Y) {
    if (!OnGutterClick) return;
    int line = RowToLine(PixelsToRowColumn(X, Y).Row);
    if (line > lines_->Count()) return;
    TTeEditMark* marks[TTeEditMarkList::kMaxMarksPerLine];
    marks_->GetMarksForLine(line, marks);
    TTeEditMark* clicked = nullptr;
    int offset = 0;
    for (TTeEditMark* m : marks) {
        if (!m) break;
        offset += bookMarkOpt_->Xoffset();
        if (offset > X) {
            clicked = m;
            break;
        }
    }
    OnGutterClick(this, Button, X, Y, line, clicked);
}

void TCustomTeEdit::WMSetCursor(TMessage& Message) {
    if (LOWORD(Message.LParam) == HTCLIENT && !(ComponentState() & csDesigning) && HandleAllocated() &&
        reinterpret_cast<HWND>(Message.WParam) == Handle()) {
        UpdateMouseCursor();
        Message.Result = 1;
        return;
    }
    TCustomControl::WMSetCursor(Message);
}

void TCustomTeEdit::UpdateMouseCursor() {
    TPoint p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    TCursor cursor;
    if (p.X < gutterWidth_) {
        cursor = gutter_->Cursor();
    } else {
        TBufferCoord at = DisplayToBufferPos(PixelsToRowColumn(p.X, p.Y));
        cursor = (options_.Contains(eoDragDropEditing) && !MouseCapture() && IsPointInSelection(at)) ? crArrow
                                                                                                     : Cursor();
        if (OnMouseCursor) OnMouseCursor(this, at, cursor);
        kbdHandler_->ExecuteMouseCursor(this, at, cursor);
    }
    ::SetCursor(Screen->Cursors(cursor));
}

void TCustomTeEdit::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    TCustomControl::DragOver(Source, X, Y, State, Accept);
    auto* src = dynamic_cast<TCustomTeEdit*>(Source);
    if (!src || ReadOnly()) {
        Accept = false;
        return;
    }
    Accept = true;
    SetDragCursor((GetKeyState(VK_CONTROL) & 0x8000) ? crMultiDrag : crDrag);
    if (src != this) {
        ComputeCaret(X, Y);
        return;
    }
    if (State == dsDragLeave) {
        ComputeCaret(mouseDownX_, mouseDownY_);
        return;
    }
    TDisplayCoord c = PixelsToNearestRowColumn(X, Y);
    c.Column = MinMax(c.Column, leftChar_, leftChar_ + charsInWindow_ - 1);
    c.Row = MinMax(c.Row, topLine_, topLine_ + linesInWindow_ - 1);
    InternalSetCaretXY(DisplayToBufferPos(c));
    ComputeScroll(X, Y);
}

void TCustomTeEdit::DoEndDrag(TObject* Target, int X, int Y) {
    TCustomControl::DoEndDrag(Target, X, Y);
    scrollTimer_->SetEnabled(false);
}
