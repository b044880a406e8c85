// The native side of the window handles: one frame widget per window (border
// and scroll bars) around a client widget (painting and input). Every native
// event that reaches them becomes a message for the window procedure.
#include <QApplication>
#include <QFocusEvent>
#include <QHash>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <deque>
#include <vector>

#include "platform/gui/Gdi.h"
#include "platform/gui/GdiInternal.h"
#include "platform/gui/Input_p.h"
#include "platform/classes/Keys.h"
#include "platform/gui/QtGraphics.h"
#include "platform/gui/QtText_p.h"
#include "platform/gui/WinApi_p.h"

namespace {

// Widgets of our own windows. Focus moves only by our SetFocus, never by Qt's
// tab chain.
class TFrameWidget final : public QWidget {
public:
    TFrameWidget(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {}

protected:
    bool focusNextPrevChild(bool) override { return false; }
};

class TClientWidget final : public QWidget {
public:
    explicit TClientWidget(QWidget* parent) : QWidget(parent) {}
    HWND Wnd = nullptr;

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override {
        if (query == Qt::ImCursorRectangle || query == Qt::ImAnchorRectangle) {
            TCaretState caret = GetCaretState();
            if (caret.Owner == Wnd) {
                const TRect& r = caret.Rect;
                return QRect(r.Left, r.Top, r.Width(), r.Height());
            }
            return QRect();
        }
        if (query == Qt::ImEnabled) return true;
        return QWidget::inputMethodQuery(query);
    }

protected:
    bool focusNextPrevChild(bool) override { return false; }
};

// A native event on its way through the messages made from it; a wrapped
// widget gets it back when a message reaches the default processing.
struct TNativeContext {
    HWND Wnd = nullptr;
    QWidget* Target = nullptr;
    QEvent* Event = nullptr;
    UINT Msgs[3] = {0, 0, 0};
    bool Delivered = false;
};

class TEventBridge final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

struct TBridgeState {
    TEventBridge* Bridge = nullptr;
    QHash<const QObject*, HWND> Widgets;
    std::vector<TNativeContext*> Contexts;
    QObject* DeliveringTo = nullptr;  // a native event handed back to Qt's own handling
    int FocusGuard = 0;
    HWND CursorTarget = nullptr;      // the window of the WM_SETCURSOR being handled
    HCURSOR CurrentCursor = nullptr;
    QTimer* CaretTimer = nullptr;
    bool CaretPhase = true;
    HWND LastMouseWindow = nullptr;
    int WheelRemainder = 0;
    // Windows we asked the desktop to activate whose activation has not come
    // back yet, oldest first.
    std::deque<HWND> ActivationRequests;
};

TBridgeState& BS() {
    static TBridgeState* s = new TBridgeState();
    return *s;
}

TEventBridge* Bridge() {
    if (!BS().Bridge) BS().Bridge = new TEventBridge();
    return BS().Bridge;
}

QWidget* FocusWidgetOf(HWND wnd) {
    TWndHandle* rec = HandleRecord(wnd);
    if (!rec) return nullptr;
    return rec->Client ? rec->Client.data() : rec->Frame.data();
}

bool IsTopLevel(const TWndHandle* rec) { return (rec->Style & WS_CHILD) == 0; }

Qt::WindowFlags TopLevelFlags(const TCreateParams& p) {
    Qt::WindowFlags f;
    bool caption = (p.Style & WS_CAPTION) == WS_CAPTION;
    if (p.Style & WS_POPUP && !caption && p.ExStyle & WS_EX_NOACTIVATE) {
        // Hints and drop-downs: placed where asked, never activated.
        f = Qt::ToolTip | Qt::FramelessWindowHint;
    } else if (p.Style & WS_POPUP && !caption) {
        f = Qt::Tool | Qt::FramelessWindowHint;
    } else if (p.ExStyle & WS_EX_TOOLWINDOW) {
        f = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    } else {
        f = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (p.Style & WS_SYSMENU) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (p.Style & WS_MINIMIZEBOX) f |= Qt::WindowMinimizeButtonHint;
        if (p.Style & WS_MAXIMIZEBOX) f |= Qt::WindowMaximizeButtonHint;
        if (!caption) f |= Qt::FramelessWindowHint;
    }
    if (p.ExStyle & WS_EX_TOPMOST) f |= Qt::WindowStaysOnTopHint;
    if (p.ExStyle & WS_EX_NOACTIVATE) f |= Qt::WindowDoesNotAcceptFocus;
    return f;
}

void Register(HWND wnd) { RegisterLiveHandle(wnd); }

// ---------------------------------------------------------------- scroll bar widgets

void ScrollBarAction(HWND wnd, int bar, int action);
void ScrollBarReleased(HWND wnd, int bar);

class TScrollBarWatcher final : public QObject {
public:
    // Owned by the scroll bar it watches, so that it goes with it.
    TScrollBarWatcher(QScrollBar* watched, HWND wnd, int bar) : QObject(watched), wnd_(wnd), bar_(bar) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease) ScrollBarReleased(wnd_, bar_);
        return false;
    }

private:
    HWND wnd_;
    int bar_;
};

QScrollBar* EnsureScrollBarWidget(HWND wnd, int bar) {
    TWndHandle* rec = HandleRecord(wnd);
    if (!rec || !rec->Frame || rec->Wrapped) return nullptr;
    TScrollBarData& d = rec->Bars[bar];
    if (d.Widget) return d.Widget;
    auto* sb = new QScrollBar(bar == SB_VERT ? Qt::Vertical : Qt::Horizontal, rec->Frame);
    sb->setFocusPolicy(Qt::NoFocus);
    sb->setTracking(true);
    BS().Widgets.insert(sb, wnd);
    QObject::connect(sb, &QAbstractSlider::actionTriggered, sb, [wnd, bar](int action) { ScrollBarAction(wnd, bar, action); });
    sb->installEventFilter(new TScrollBarWatcher(sb, wnd, bar));
    QObject::connect(sb, &QObject::destroyed, [sb] { BS().Widgets.remove(sb); });
    d.Widget = sb;
    SyncScrollBarWidget(wnd, bar);
    return sb;
}

int ClampPos(const TScrollBarData& d, int pos) {
    int maxPos = d.Max - std::max<int>(static_cast<int>(d.Page) - 1, 0);
    if (maxPos < d.Min) maxPos = d.Min;
    return std::clamp(pos, d.Min, maxPos);
}

bool NothingToScroll(const TScrollBarData& d) {
    if (d.Page == 0) return d.Max <= d.Min;
    return static_cast<long long>(d.Page) > static_cast<long long>(d.Max) - d.Min;
}

void SendScroll(HWND wnd, int bar, int code, int pos) {
    UINT msg = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    SendMessage(wnd, msg, MAKEWPARAM(code, pos), 0);
}

void ScrollBarAction(HWND wnd, int bar, int action) {
    TWndHandle* rec = HandleRecord(wnd);
    if (!rec) return;
    TScrollBarData& d = rec->Bars[bar];
    QScrollBar* sb = d.Widget;
    if (!sb) return;
    int code = -1;
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
        case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
        case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
        case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
        case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
        case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
        case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
        default: return;
    }
    if (code == SB_THUMBTRACK) {
        // The thumb follows the mouse; the position changes only when the
        // window sets it.
        d.Tracking = true;
        d.TrackPos = sb->sliderPosition();
        SendScroll(wnd, bar, SB_THUMBTRACK, d.TrackPos);
        return;
    }
    // The bar itself does not move: the window decides where to scroll.
    {
        QSignalBlocker block(sb);
        sb->setSliderPosition(d.Pos);
    }
    SendScroll(wnd, bar, code, 0);
    SyncScrollBarWidget(wnd, bar);
}

void ScrollBarReleased(HWND wnd, int bar) {
    TWndHandle* rec = HandleRecord(wnd);
    if (!rec) return;
    TScrollBarData& d = rec->Bars[bar];
    if (d.Tracking) {
        // The track position stays readable while SB_THUMBPOSITION is handled:
        // the message carries only its low 16 bits.
        SendScroll(wnd, bar, SB_THUMBPOSITION, d.TrackPos);
        if (!HandleRecord(wnd)) return;
        rec = HandleRecord(wnd);
        rec->Bars[bar].Tracking = false;
    }
    if (HandleRecord(wnd)) SendScroll(wnd, bar, SB_ENDSCROLL, 0);
    if (HandleRecord(wnd)) SyncScrollBarWidget(wnd, bar);
}

// ---------------------------------------------------------------- native contexts

struct TContextScope {
    TNativeContext ctx;
    TContextScope(HWND wnd, QWidget* target, QEvent* event, UINT m0, UINT m1 = 0, UINT m2 = 0) {
        ctx.Wnd = wnd;
        ctx.Target = target;
        ctx.Event = event;
        ctx.Msgs[0] = m0;
        ctx.Msgs[1] = m1;
        ctx.Msgs[2] = m2;
        BS().Contexts.push_back(&ctx);
    }
    ~TContextScope() { BS().Contexts.pop_back(); }
};

void DeliverNative(QWidget* target, QEvent* event) {
    QObject* saved = BS().DeliveringTo;
    BS().DeliveringTo = target;
    static_cast<QObject*>(target)->event(event);
    BS().DeliveringTo = saved;
}

// ---------------------------------------------------------------- input

WPARAM MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
    WPARAM k = 0;
    if (buttons & Qt::LeftButton) k |= MK_LBUTTON;
    if (buttons & Qt::RightButton) k |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) k |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier) k |= MK_SHIFT;
    if (mods & Qt::ControlModifier) k |= MK_CONTROL;
    return k;
}

int ButtonIndex(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton: return 0;
        case Qt::RightButton: return 1;
        case Qt::MiddleButton: return 2;
        default: return -1;
    }
}

void TrackInputModifiers(Qt::KeyboardModifiers mods) {
    TrackModifiers(mods & Qt::ShiftModifier, mods & Qt::ControlModifier, mods & Qt::AltModifier);
}

TMsg MakeMsg(HWND wnd, UINT message, WPARAM w, LPARAM l, DWORD time, TPoint screen) {
    TMsg m;
    m.hwnd = wnd;
    m.message = message;
    m.wParam = w;
    m.lParam = l;
    m.time = time;
    m.ptX = screen.X;
    m.ptY = screen.Y;
    return m;
}

void TrackMouseWindow(HWND wnd) {
    HWND last = BS().LastMouseWindow;
    if (last == wnd) return;
    BS().LastMouseWindow = wnd;
    if (last && IsWindow(last)) SendMessage(last, WM_MOUSELEAVE, 0, 0);
}

bool HandleMouse(HWND wnd, QWidget* widget, QMouseEvent* me) {
    TPoint screen(qRound(me->globalPosition().x()), qRound(me->globalPosition().y()));
    TrackCursorPosition(screen);
    TrackInputModifiers(me->modifiers());
    Qt::MouseButtons buttons = me->buttons();
    TrackMouseButtons(buttons & Qt::LeftButton, buttons & Qt::RightButton, buttons & Qt::MiddleButton);
    DWORD time = GetTickCount();
    SetCurrentMessageInfo(time, screen);
    HWND capture = GetCapture();
    HWND target = capture && IsWindow(capture) ? capture : wnd;
    TPoint client = screen;
    ScreenToClient(target, &client);
    WPARAM keys = MouseKeyFlags(buttons, me->modifiers());
    LPARAM pos = MAKELPARAM(client.X, client.Y);
    UINT msg = 0;
    switch (me->type()) {
        case QEvent::MouseMove:
            if (!capture) {
                TrackMouseWindow(target);
                SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
                if (!IsWindow(target)) return true;
            }
            msg = WM_MOUSEMOVE;
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            int b = ButtonIndex(me->button());
            if (b < 0) return true;
            msg = ClassifyButtonPress(target, b, screen, time);
            if (!capture) {
                HWND top = GetTopLevelWindow(target);
                LRESULT ma = SendMessage(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), MAKELPARAM(HTCLIENT, msg));
                TWndHandle* topRec = HandleRecord(top);
                if ((ma == MA_ACTIVATE || ma == MA_ACTIVATEANDEAT) && topRec && top != GetActiveWindow() &&
                    !(topRec->ExStyle & WS_EX_NOACTIVATE))
                    SetActiveWindow(top);
                if (ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT) return true;
                if (!IsWindow(target)) return true;
                SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(HTCLIENT, msg));
                if (!IsWindow(target)) return true;
            }
            break;
        }
        case QEvent::MouseButtonRelease: {
            static const UINT up[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
            int b = ButtonIndex(me->button());
            if (b < 0) return true;
            msg = up[b];
            break;
        }
        default: return false;
    }
    TWndHandle* rec = HandleRecord(target);
    // A part of a wrapped compound widget (the viewport of a text box) gets its own event back.
    QWidget* nativeTarget = rec && rec->Wrapped ? (target == wnd ? widget : FocusWidgetOf(target)) : nullptr;
    TContextScope scope(target, nativeTarget ? nativeTarget : widget, me, msg);
    TMsg m = MakeMsg(target, msg, keys, pos, time, screen);
    ProcessInputMessage(m);
    return true;
}

bool HandleWheel(HWND wnd, QWidget* widget, QWheelEvent* we) {
    TPoint screen(qRound(we->globalPosition().x()), qRound(we->globalPosition().y()));
    TrackInputModifiers(we->modifiers());
    DWORD time = GetTickCount();
    SetCurrentMessageInfo(time, screen);
    QPoint delta = we->angleDelta();
    bool horizontal = delta.y() == 0 && delta.x() != 0;
    int amount = horizontal ? -delta.x() : delta.y();
    if (amount == 0) return true;
    // The wheel goes to the window with the keyboard focus.
    HWND focus = GetFocus();
    HWND target = focus && IsWindow(focus) ? focus : wnd;
    WPARAM keys = MouseKeyFlags(we->buttons(), we->modifiers());
    TWndHandle* rec = HandleRecord(target);
    TContextScope scope(target, rec && rec->Wrapped ? (target == wnd ? widget : FocusWidgetOf(target)) : nullptr, we,
                        horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL);
    if (!scope.ctx.Target) scope.ctx.Msgs[0] = 0;
    TMsg m = MakeMsg(target, horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL,
                     MAKEWPARAM(static_cast<int>(keys), amount), MAKELPARAM(screen.X, screen.Y), time, screen);
    ProcessInputMessage(m);
    return true;
}

bool HandleKey(HWND wnd, QKeyEvent* ke) {
    bool down = ke->type() == QEvent::KeyPress;
    TKeyTranslation t = TranslateKeyEvent(ke);
    if (t.VirtKey == 0) return true;
    // Modifier state before this key, then the key itself.
    TrackInputModifiers(ke->modifiers());
    TrackKey(t.VirtKey, down);
    if (t.SideKey) TrackKey(t.SideKey, down);
    DWORD time = GetTickCount();
    TPoint cursor;
    GetCursorPos(&cursor);
    SetCurrentMessageInfo(time, cursor);
    bool alt = GetKeyState(VK_MENU) < 0;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    HWND focus = GetFocus();
    HWND target = focus && IsWindow(focus) ? focus : wnd;
    bool sys = (alt && !ctrl) || t.VirtKey == VK_F10 || !focus;
    // Releasing Alt itself ends a system keystroke.
    if (!down && t.VirtKey == VK_MENU) sys = !ctrl;
    LPARAM keyData = 1 | (static_cast<LPARAM>(t.ScanCode & 0xFF) << 16);
    if (t.Extended) keyData |= 1 << 24;
    if (alt) keyData |= 1 << 29;
    if (!down || ke->isAutoRepeat()) keyData |= 1 << 30;
    if (!down) keyData |= static_cast<LPARAM>(1u << 31);
    UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    AnsiString chars = down ? KeyCharacters(t.VirtKey, ke->text().toStdString(), ctrl, alt,
                                            GetKeyState(VK_SHIFT) < 0)
                            : AnsiString();
    TWndHandle* rec = HandleRecord(target);
    QWidget* nativeTarget = nullptr;
    if (rec && rec->Wrapped) {
        // The inner part that has the native focus (the line edit of a combo box).
        QWidget* focused = QApplication::focusWidget();
        nativeTarget = focused && HandleFromWidget(focused) == target ? focused : FocusWidgetOf(target);
    }
    UINT charMsg = sys ? WM_SYSCHAR : WM_CHAR;
    // A wrapped widget gets the key when the character (or, for a key without
    // one, the key message) reaches the default processing.
    TContextScope scope(target, nativeTarget, ke, chars.empty() ? msg : charMsg);
    if (!nativeTarget) scope.ctx.Msgs[0] = 0;
    TMsg m = MakeMsg(target, msg, static_cast<WPARAM>(t.VirtKey), keyData, time, cursor);
    bool translated = ProcessInputMessage(m);
    if (!down || !translated || chars.empty()) return true;
    if (m.message != msg || m.wParam != static_cast<WPARAM>(t.VirtKey) || m.hwnd != target) return true;
    for (unsigned char c : chars) {
        if (!IsWindow(target)) break;
        TMsg cm = MakeMsg(target, charMsg, c, keyData & ~(1 << 30), time, cursor);
        ProcessInputMessage(cm);
    }
    return true;
}

void HandleInputMethod(HWND wnd, QInputMethodEvent* ie) {
    QString commit = ie->commitString();
    if (commit.isEmpty()) return;
    HWND focus = GetFocus();
    HWND target = focus && IsWindow(focus) ? focus : wnd;
    SetImeResultString(FromQString(commit));
    SendMessage(target, WM_IME_STARTCOMPOSITION, 0, 0);
    SendMessage(target, WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
    SendMessage(target, WM_IME_ENDCOMPOSITION, 0, 0);
    SetImeResultString(AnsiString());
}

// ---------------------------------------------------------------- painting

using TReleaseDCsHook = void (*)(HWND Wnd);
TReleaseDCsHook& ReleaseDCsHook() {
    static TReleaseDCsHook hook = nullptr;
    return hook;
}

QSize ClientSize(const TWndHandle* rec) { return QSize(rec->ClientInFrame.Width(), rec->ClientInFrame.Height()); }

// Gives back the GetDC contexts of a window: their painters hold the pixels.
void EndWindowDCs(HWND wnd) {
    if (ReleaseDCsHook()) ReleaseDCsHook()(wnd);
    TWndHandle* rec = HandleRecord(wnd);
    if (!rec) return;
    auto open = std::move(rec->WindowDCs);
    rec->WindowDCs.clear();
    for (HDC dc : open) FreePaintDC(dc);
    delete rec->DCPainter;
    rec->DCPainter = nullptr;
}

// The pixels at the client size; a new size keeps what still fits and makes
// the whole area invalid.
void EnsureBacking(TWndHandle* rec) {
    QSize size = ClientSize(rec);
    if (rec->Backing.size() == size && !rec->Backing.isNull()) return;
    if (!rec->WindowDCs.empty()) EndWindowDCs(rec);
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(QColor(212, 208, 200));
    if (!rec->Backing.isNull()) {
        QPainter p(&image);
        p.drawImage(0, 0, rec->Backing);
    }
    rec->Backing = image;
    rec->Invalid = QRegion(0, 0, size.width(), size.height());
}

void PaintPass(HWND wnd) {
    TWndHandle* rec = HandleRecord(wnd);
    if (!rec || rec->Wrapped || rec->InPaint) return;
    EnsureBacking(rec);
    if (rec->Invalid.isEmpty()) return;
    EndWindowDCs(wnd);
    rec = HandleRecord(wnd);
    if (!rec) return;
    QPainter painter(&rec->Backing);
    rec->PaintRegion = rec->Invalid;
    rec->Invalid = QRegion();
    rec->Painter = &painter;
    rec->InPaint = true;
    rec->PaintDC = nullptr;
    SendMessage(wnd, WM_PAINT, 0, 0);
    rec = HandleRecord(wnd);
    if (!rec) return;
    // Contexts taken during the pass draw with its painter, which ends here.
    EndWindowDCs(wnd);
    if (rec->PaintDC) FreePaintDC(rec->PaintDC);
    rec->PaintDC = nullptr;
    rec->Painter = nullptr;
    rec->InPaint = false;
    rec->PaintRegion = QRegion();
}

// A wrapped widget paints itself; controls without windows on it come after.
void PaintWrapped(HWND wnd, QWidget* widget, QPaintEvent* pe) {
    DeliverNative(widget, pe);
    TWndHandle* rec = HandleRecord(wnd);
    if (!rec || rec->InPaint) return;
    QPainter painter(widget);
    rec->PaintRegion = pe->region();
    rec->Painter = &painter;
    rec->InPaint = true;
    rec->PaintDC = nullptr;
    SendMessage(wnd, WM_PAINT, 0, 0);
    rec = HandleRecord(wnd);
    if (!rec) return;
    if (rec->PaintDC) FreePaintDC(rec->PaintDC);
    rec->PaintDC = nullptr;
    rec->Painter = nullptr;
    rec->InPaint = false;
}

void PaintClient(HWND wnd, QWidget* widget, QPaintEvent* pe) {
    TWndHandle* rec = HandleRecord(wnd);
    if (!rec) return;
    if (rec->Wrapped) {
        PaintWrapped(wnd, widget, pe);
        return;
    }
    // What was drawn through GetDC is finished before the pixels are shown.
    EndWindowDCs(wnd);
    PaintPass(wnd);
    rec = HandleRecord(wnd);
    if (!rec) return;
    QPainter painter(widget);
    painter.setClipRegion(pe->region());
    painter.drawImage(0, 0, rec->Backing);
    DrawCaretIfOwned(wnd, painter);
}

void DrawEdgeLines(QPainter& p, QRect r, QColor topLeft, QColor bottomRight) {
    p.setPen(topLeft);
    p.drawLine(r.left(), r.bottom(), r.left(), r.top());
    p.drawLine(r.left(), r.top(), r.right(), r.top());
    p.setPen(bottomRight);
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
    p.drawLine(r.right(), r.bottom(), r.left(), r.bottom());
}

bool& DefaultNcPaint() {
    static bool flag = false;
    return flag;
}

}  // namespace

void RequestDefaultFramePaint() { DefaultNcPaint() = true; }

namespace {

void PaintFrame(HWND wnd, QWidget* frame, QPaintEvent* pe) {
    TWndHandle* rec = HandleRecord(wnd);
    if (!rec) return;
    (void)pe;
    QPainter painter(frame);
    rec->FramePainter = &painter;
    bool saved = DefaultNcPaint();
    DefaultNcPaint() = false;
    SendMessage(wnd, WM_NCPAINT, 1, 0);
    bool drawDefault = DefaultNcPaint();
    DefaultNcPaint() = saved;
    rec = HandleRecord(wnd);
    if (!rec) return;
    rec->FramePainter = nullptr;
    if (!drawDefault) return;
    QRect r = frame->rect();
    auto sys = [](int index) { return ToQColorRef(GetSysColor(index)); };
    if (rec->Style & WS_CHILD) {
        // The plain border outside, the sunken edge inside it.
        if (rec->Style & WS_BORDER) {
            painter.setPen(sys(COLOR_WINDOWFRAME));
            painter.drawRect(r.adjusted(0, 0, -1, -1));
            r.adjust(1, 1, -1, -1);
        }
        if (rec->ExStyle & WS_EX_CLIENTEDGE) {
            DrawEdgeLines(painter, r, sys(COLOR_BTNSHADOW), sys(COLOR_BTNHIGHLIGHT));
            DrawEdgeLines(painter, r.adjusted(1, 1, -1, -1), sys(COLOR_3DDKSHADOW), sys(COLOR_3DLIGHT));
        }
    }
    // The box where both bars meet.
    if (rec->Bars[SB_VERT].Visible && rec->Bars[SB_HORZ].Visible) {
        const TRect& c = rec->ClientInFrame;
        painter.fillRect(QRect(c.Right, c.Bottom, GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL)),
                         sys(COLOR_BTNFACE));
    }
}

// ---------------------------------------------------------------- the filter

bool TEventBridge::eventFilter(QObject* watched, QEvent* event) {
    TBridgeState& bs = BS();
    if (bs.DeliveringTo == watched) return false;
    HWND wnd = bs.Widgets.value(watched, nullptr);
    TWndHandle* rec = HandleRecord(wnd);
    if (!rec) return false;
    auto* widget = static_cast<QWidget*>(watched);
    bool isClient = widget == rec->Client.data();
    bool isFrame = widget == rec->Frame.data();
    // An inner widget of a wrapped compound widget: its input is the window's,
    // its painting its own.
    bool isInner = rec->Wrapped && !isFrame;
    // A window of its own inside a compound control (a combo box's drop-down
    // list) takes its input itself, or it could never be chosen from. The
    // press that opened it left the control holding the mouse: its release
    // comes here, so the hold ends here too.
    if (isInner && rec->Frame && widget->window() != rec->Frame->window()) {
        const QEvent::Type t = event->type();
        if ((t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease || t == QEvent::MouseMove) &&
            GetCapture() == wnd)
            ReleaseCapture();
        return false;
    }
    bool handled = false;
    ProtectedCall([&] {
        switch (event->type()) {
            case QEvent::Paint:
                if (isInner) break;
                if (isClient) {
                    PaintClient(wnd, widget, static_cast<QPaintEvent*>(event));
                    handled = true;
                } else if (isFrame) {
                    PaintFrame(wnd, widget, static_cast<QPaintEvent*>(event));
                    handled = true;
                }
                break;
            case QEvent::MouseMove:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
                if (isClient || rec->Wrapped) handled = HandleMouse(wnd, widget, static_cast<QMouseEvent*>(event));
                else handled = true;  // the border takes no clicks
                break;
            case QEvent::Wheel:
                handled = HandleWheel(wnd, widget, static_cast<QWheelEvent*>(event));
                break;
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
                handled = HandleKey(wnd, static_cast<QKeyEvent*>(event));
                // The key went to the focused window. Qt hands a key that a
                // native widget ignored (every release) on to each parent,
                // whose filter would send it to the focused window again.
                event->accept();
                break;
            case QEvent::ShortcutOverride:
                // Keys are ours: no native shortcut may take them first.
                event->accept();
                handled = true;
                break;
            case QEvent::InputMethod:
                HandleInputMethod(wnd, static_cast<QInputMethodEvent*>(event));
                handled = !rec->Wrapped;
                break;
            case QEvent::FocusIn:
                // Focus coming with an echoed activation of another window is not the user's.
                if (bs.FocusGuard == 0 && (bs.ActivationRequests.empty() || GetTopLevelWindow(wnd) == GetActiveWindow()))
                    NativeFocusIn(wnd);
                break;
            case QEvent::FocusOut:
                if (bs.FocusGuard == 0)
                    NativeFocusOut(wnd, static_cast<QFocusEvent*>(event)->reason() == Qt::ActiveWindowFocusReason);
                break;
            case QEvent::Leave:
                if (isClient && bs.LastMouseWindow == wnd) TrackMouseWindow(nullptr);
                break;
            case QEvent::ContextMenu:
                handled = true;  // made from the right button (WM_CONTEXTMENU)
                break;
            case QEvent::Close:
                if (isFrame && IsTopLevel(rec)) {
                    event->ignore();
                    SendMessage(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
                    handled = true;
                }
                break;
            case QEvent::Move:
            case QEvent::Resize:
                if (isFrame && IsTopLevel(rec) && rec->LayoutDepth == 0) {
                    // Moved or sized by the desktop (or by Qt on show).
                    QRect g(widget->pos(), widget->size());
                    TRect b(g.left(), g.top(), g.left() + g.width(), g.top() + g.height());
                    if (!(b == rec->Bounds)) {
                        rec->Bounds = b;
                        if (!widget->isMinimized() && !widget->isMaximized() && !widget->isFullScreen())
                            rec->NormalBounds = b;
                        LayoutWindowFrame(wnd);
                        if (HandleRecord(wnd)) SendMessage(wnd, WM_WINDOWPOSCHANGED, 0, 0);
                        if (HandleRecord(wnd) && event->type() == QEvent::Move)
                            SendMessage(wnd, WM_MOVE, 0, MAKELPARAM(b.Left, b.Top));
                    }
                }
                break;
            case QEvent::WindowStateChange:
                if (isFrame && IsTopLevel(rec)) {
                    Qt::WindowStates st = widget->windowState();
                    rec->ShowState = (st & Qt::WindowMinimized)   ? SW_SHOWMINIMIZED
                                     : (st & Qt::WindowMaximized) ? SW_SHOWMAXIMIZED
                                                                  : SW_SHOWNORMAL;
                    rec->LastClientSize = TSize(-1, -1);
                    LayoutWindowFrame(wnd);
                }
                break;
            case QEvent::WindowActivate:
                if (isFrame && IsTopLevel(rec)) NativeActivated(wnd, false);
                break;
            default:
                break;
        }
    });
    return handled;
}

}  // namespace

// ---------------------------------------------------------------- creation

HWND HandleFromWidget(const QObject* Widget) { return BS().Widgets.value(Widget, nullptr); }

void InstallEventBridge(QWidget* Widget, HWND Wnd) {
    BS().Widgets.insert(Widget, Wnd);
    Widget->installEventFilter(Bridge());
}

void RemoveEventBridge(QWidget* Widget) {
    BS().Widgets.remove(Widget);
    Widget->removeEventFilter(Bridge());
}

HWND CreateWindowHandle(const TCreateParams& Params, TWndMethod Proc) {
    HWND wnd = new TWndHandle();
    wnd->Proc = Proc;
    wnd->Style = Params.Style;
    wnd->ExStyle = Params.ExStyle;
    wnd->ClassStyle = Params.ClassStyle;
    wnd->Text = Params.Caption ? Params.Caption : "";
    wnd->Bounds = Bounds(Params.X, Params.Y, std::max(0, Params.Width), std::max(0, Params.Height));
    wnd->NormalBounds = wnd->Bounds;
    QWidget* parentWidget = nullptr;
    if (Params.Style & WS_CHILD) {
        TWndHandle* parent = HandleRecord(Params.WndParent);
        if (!parent) {
            delete wnd;
            return nullptr;
        }
        wnd->Parent = Params.WndParent;
        parentWidget = parent->Client ? parent->Client.data() : parent->Frame.data();
    }
    QWidget* ownerWidget = nullptr;
    if (!parentWidget && (Params.Style & WS_POPUP)) {
        // A popup stays above its owner's window.
        if (TWndHandle* owner = HandleRecord(GetTopLevelWindow(Params.WndParent)))
            if (owner->Frame && !owner->MessageOnly) ownerWidget = owner->Frame;
    }
    auto* frame = new TFrameWidget(parentWidget ? parentWidget : ownerWidget,
                                   parentWidget ? Qt::Widget : TopLevelFlags(Params));
    frame->setAttribute(Qt::WA_NoSystemBackground);
    frame->setMouseTracking(true);
    auto* client = new TClientWidget(frame);
    client->Wnd = wnd;
    client->setAttribute(Qt::WA_OpaquePaintEvent);
    client->setAttribute(Qt::WA_NoSystemBackground);
    client->setAttribute(Qt::WA_InputMethodEnabled);
    client->setMouseTracking(true);
    client->setFocusPolicy(Qt::NoFocus);
    frame->setFocusPolicy(Qt::NoFocus);
    frame->setFocusProxy(client);
    if (!parentWidget) {
        if (Params.ExStyle & WS_EX_NOACTIVATE || (Params.Style & WS_POPUP && (Params.Style & WS_CAPTION) != WS_CAPTION))
            frame->setAttribute(Qt::WA_ShowWithoutActivating);
        frame->setWindowTitle(ToQString(wnd->Text));
    }
    wnd->Frame = frame;
    wnd->Client = client;
    Register(wnd);
    InstallEventBridge(frame, wnd);
    InstallEventBridge(client, wnd);
    wnd->LayoutDepth++;
    if (parentWidget) {
        frame->setGeometry(Params.X, Params.Y, std::max(0, Params.Width), std::max(0, Params.Height));
    } else {
        // Position of the whole window, size of what is inside the desktop's frame.
        frame->move(Params.X, Params.Y);
        frame->resize(std::max(0, Params.Width), std::max(0, Params.Height));
    }
    wnd->LayoutDepth--;
    if (Params.Style & WS_DISABLED) {
        wnd->Enabled = false;
        frame->setEnabled(false);
    }
    // The first layout is quiet: the window procedure is not ready for messages yet.
    wnd->LayoutDepth++;
    LayoutWindowFrame(wnd);
    wnd->LayoutDepth--;
    if (Params.Style & WS_VISIBLE && parentWidget) ShowWindow(wnd, SW_SHOWNA);
    return wnd;
}

HWND CreateWrappedWindowHandle(const TCreateParams& Params, TWndMethod Proc, QWidget* Widget) {
    HWND wnd = new TWndHandle();
    wnd->Proc = Proc;
    wnd->Style = Params.Style;
    wnd->ExStyle = Params.ExStyle;
    wnd->ClassStyle = Params.ClassStyle;
    wnd->Wrapped = true;
    wnd->Text = Params.Caption ? Params.Caption : "";
    wnd->Bounds = Bounds(Params.X, Params.Y, std::max(0, Params.Width), std::max(0, Params.Height));
    wnd->NormalBounds = wnd->Bounds;
    if (Params.Style & WS_CHILD) {
        TWndHandle* parent = HandleRecord(Params.WndParent);
        if (!parent) return nullptr;
        wnd->Parent = Params.WndParent;
        Widget->setParent(parent->Client ? parent->Client.data() : parent->Frame.data());
    }
    Widget->setMouseTracking(true);
    wnd->Frame = Widget;
    wnd->Client = Widget;
    Register(wnd);
    InstallEventBridge(Widget, wnd);
    // Inner widgets of a compound native control (the line edit of a combo box)
    // report to the same window.
    for (QWidget* child : Widget->findChildren<QWidget*>()) InstallEventBridge(child, wnd);
    wnd->LayoutDepth++;
    Widget->setGeometry(Params.X, Params.Y, std::max(0, Params.Width), std::max(0, Params.Height));
    LayoutWindowFrame(wnd);
    wnd->LayoutDepth--;
    if (Params.Style & WS_VISIBLE && (Params.Style & WS_CHILD)) ShowWindow(wnd, SW_SHOWNA);
    return wnd;
}

bool PassToNativeWidget(HWND Wnd, UINT Msg) {
    auto& contexts = BS().Contexts;
    for (auto it = contexts.rbegin(); it != contexts.rend(); ++it) {
        TNativeContext* c = *it;
        if (c->Wnd != Wnd || !c->Target || c->Delivered) continue;
        if (Msg != c->Msgs[0] && Msg != c->Msgs[1] && Msg != c->Msgs[2]) continue;
        c->Delivered = true;
        DeliverNative(c->Target, c->Event);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- layout

void LayoutWindowFrame(HWND Wnd) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || rec->MessageOnly || !rec->Frame) return;
    bool quiet = rec->LayoutDepth > 0;
    QWidget* frame = rec->Frame;
    TRect rects[3];
    rects[0] = TRect(0, 0, frame->width(), frame->height());
    if (IsTopLevel(rec) && !frame->testAttribute(Qt::WA_WState_Created)) {
        rects[0] = TRect(0, 0, rec->Bounds.Width(), rec->Bounds.Height());
    }
    if (rec->Wrapped) {
        rec->ClientInFrame = rects[0];
    } else {
        if (quiet) DefWindowProc(Wnd, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(rects));
        else SendMessage(Wnd, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(rects));
        rec = HandleRecord(Wnd);
        if (!rec) return;
        TRect c = rects[0];
        rec->ClientInFrame = c;
        rec->LayoutDepth++;
        if (rec->Client && rec->Client != rec->Frame) rec->Client->setGeometry(c.Left, c.Top, c.Width(), c.Height());
        int cx = GetSystemMetrics(SM_CXVSCROLL);
        int cy = GetSystemMetrics(SM_CYHSCROLL);
        for (int bar = 0; bar < 2; ++bar) {
            TScrollBarData& d = rec->Bars[bar];
            if (d.Visible) EnsureScrollBarWidget(Wnd, bar);
            if (!d.Widget) continue;
            if (bar == SB_VERT) d.Widget->setGeometry(c.Right, c.Top, cx, c.Height());
            else d.Widget->setGeometry(c.Left, c.Bottom, c.Width(), cy);
            d.Widget->setVisible(d.Visible);
        }
        rec->LayoutDepth--;
        frame->update();
    }
    rec->Style &= ~DWORD(WS_VSCROLL | WS_HSCROLL);
    if (rec->Bars[SB_VERT].Visible) rec->Style |= WS_VSCROLL;
    if (rec->Bars[SB_HORZ].Visible) rec->Style |= WS_HSCROLL;
    TSize size(rec->ClientInFrame.Width(), rec->ClientInFrame.Height());
    if (size == rec->LastClientSize) return;
    rec->LastClientSize = size;
    if (quiet) return;
    WPARAM kind = SIZE_RESTORED;
    if (rec->ShowState == SW_SHOWMINIMIZED) kind = SIZE_MINIMIZED;
    if (rec->ShowState == SW_SHOWMAXIMIZED) kind = SIZE_MAXIMIZED;
    SendMessage(Wnd, WM_SIZE, kind, MAKELPARAM(size.cx, size.cy));
}

void UpdateWindowFrame(HWND Wnd) {
    if (TWndHandle* rec = HandleRecord(Wnd)) {
        rec->LastClientSize = TSize(-1, -1);
        LayoutWindowFrame(Wnd);
    }
}

// ---------------------------------------------------------------- geometry

BOOL SetWindowPos(HWND Wnd, HWND InsertAfter, int X, int Y, int Cx, int Cy, UINT Flags) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || rec->MessageOnly) return 0;
    TRect old = rec->Bounds;
    TRect b = old;
    if (!(Flags & SWP_NOMOVE)) OffsetRect(&b, X - b.Left, Y - b.Top);
    if (!(Flags & SWP_NOSIZE)) {
        b.Right = b.Left + std::max(0, Cx);
        b.Bottom = b.Top + std::max(0, Cy);
    }
    QWidget* frame = rec->Frame;
    bool changed = !(b == old);
    if (changed || (Flags & SWP_FRAMECHANGED)) {
        rec->Bounds = b;
        if (rec->ShowState == SW_SHOWNORMAL) rec->NormalBounds = b;
        rec->LayoutDepth++;
        if (IsTopLevel(rec)) {
            frame->move(b.Left, b.Top);
            if (rec->FixedSize) frame->setFixedSize(b.Width(), b.Height());
            else frame->resize(b.Width(), b.Height());
        } else {
            frame->setGeometry(b.Left, b.Top, b.Width(), b.Height());
        }
        rec->LayoutDepth--;
        if (Flags & SWP_FRAMECHANGED) rec->LastClientSize = TSize(-1, -1);
        LayoutWindowFrame(Wnd);
        if (!HandleRecord(Wnd)) return 1;
    }
    // The offscreen platform cannot stack top-level windows.
    bool canStack = !IsTopLevel(rec) || QGuiApplication::platformName() != QLatin1String("offscreen");
    if (!(Flags & SWP_NOZORDER) && canStack) {
        if (InsertAfter == HWND_TOP || InsertAfter == HWND_TOPMOST) frame->raise();
        else if (InsertAfter == HWND_BOTTOM) frame->lower();
        else if (TWndHandle* after = HandleRecord(InsertAfter)) {
            if (after->Frame) frame->stackUnder(after->Frame);
        }
        if (IsTopLevel(rec) && (InsertAfter == HWND_TOPMOST || InsertAfter == HWND_NOTOPMOST)) {
            bool top = InsertAfter == HWND_TOPMOST;
            if (((rec->ExStyle & WS_EX_TOPMOST) != 0) != top) {
                rec->ExStyle = top ? rec->ExStyle | WS_EX_TOPMOST : rec->ExStyle & ~WS_EX_TOPMOST;
                bool visible = frame->isVisible();
                frame->setWindowFlag(Qt::WindowStaysOnTopHint, top);
                if (visible) frame->show();
            }
        }
    }
    if (Flags & SWP_SHOWWINDOW) ShowWindow(Wnd, (Flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (Flags & SWP_HIDEWINDOW) ShowWindow(Wnd, SW_HIDE);
    if (changed && HandleRecord(Wnd)) {
        SendMessage(Wnd, WM_WINDOWPOSCHANGED, 0, 0);
        if (HandleRecord(Wnd) && (b.Left != old.Left || b.Top != old.Top))
            SendMessage(Wnd, WM_MOVE, 0, MAKELPARAM(b.Left, b.Top));
    }
    return 1;
}

BOOL MoveWindow(HWND Wnd, int X, int Y, int Width, int Height, BOOL) {
    return SetWindowPos(Wnd, nullptr, X, Y, Width, Height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL GetWindowRect(HWND Wnd, TRect* Rect) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !Rect || !rec->Frame) return 0;
    if (IsTopLevel(rec)) {
        *Rect = rec->Bounds;
        return 1;
    }
    TPoint p = rec->Bounds.TopLeft();
    ClientToScreen(rec->Parent, &p);
    *Rect = Bounds(p.X, p.Y, rec->Bounds.Width(), rec->Bounds.Height());
    return 1;
}

BOOL GetClientRect(HWND Wnd, TRect* Rect) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !Rect) return 0;
    *Rect = TRect(0, 0, rec->ClientInFrame.Width(), rec->ClientInFrame.Height());
    return 1;
}

namespace {
// The screen position of a window's client origin, from our own bounds (the
// widgets may not have been laid out by Qt yet).
TPoint ClientOrigin(HWND wnd) {
    TWndHandle* rec = HandleRecord(wnd);
    if (!rec) return TPoint();
    TPoint p(rec->Bounds.Left + rec->ClientInFrame.Left, rec->Bounds.Top + rec->ClientInFrame.Top);
    if (IsTopLevel(rec)) {
        if (rec->Frame && rec->Frame->isVisible() && rec->Client) {
            QPoint g = rec->Client->mapToGlobal(QPoint(0, 0));
            return TPoint(g.x(), g.y());
        }
        return p;
    }
    TPoint parent = ClientOrigin(rec->Parent);
    return TPoint(parent.X + p.X, parent.Y + p.Y);
}
}  // namespace

BOOL ClientToScreen(HWND Wnd, TPoint* Point) {
    if (!HandleRecord(Wnd) || !Point) return 0;
    TPoint o = ClientOrigin(Wnd);
    Point->X += o.X;
    Point->Y += o.Y;
    return 1;
}

BOOL ScreenToClient(HWND Wnd, TPoint* Point) {
    if (!HandleRecord(Wnd) || !Point) return 0;
    TPoint o = ClientOrigin(Wnd);
    Point->X -= o.X;
    Point->Y -= o.Y;
    return 1;
}

int MapWindowPoints(HWND From, HWND To, TPoint* Points, UINT Count) {
    TPoint from = From ? ClientOrigin(From) : TPoint();
    TPoint to = To ? ClientOrigin(To) : TPoint();
    int dx = from.X - to.X;
    int dy = from.Y - to.Y;
    for (UINT i = 0; i < Count; ++i) {
        Points[i].X += dx;
        Points[i].Y += dy;
    }
    return MAKELPARAM(dx, dy);
}

HWND GetParent(HWND Wnd) {
    TWndHandle* rec = HandleRecord(Wnd);
    return rec ? rec->Parent : nullptr;
}

HWND SetParent(HWND Child, HWND NewParent) {
    TWndHandle* rec = HandleRecord(Child);
    if (!rec) return nullptr;
    HWND old = rec->Parent;
    TWndHandle* parent = HandleRecord(NewParent);
    if (!parent || !rec->Frame || !(rec->Style & WS_CHILD)) return old;
    rec->Parent = NewParent;
    bool visible = rec->Frame->isVisibleTo(rec->Frame->parentWidget());
    rec->Frame->setParent(parent->Client ? parent->Client.data() : parent->Frame.data());
    rec->Frame->setGeometry(rec->Bounds.Left, rec->Bounds.Top, rec->Bounds.Width(), rec->Bounds.Height());
    rec->Frame->setVisible(visible && rec->Shown);
    return old;
}

bool IsChild(HWND Parent, HWND Wnd) {
    for (HWND w = GetParent(Wnd); w; w = GetParent(w))
        if (w == Parent) return true;
    return false;
}

HWND GetTopLevelWindow(HWND Wnd) {
    HWND w = Wnd;
    while (HWND p = GetParent(w)) w = p;
    return w;
}

HWND WindowFromPoint(TPoint Point) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
    QWidget* w = QApplication::widgetAt(Point.X, Point.Y);
    for (; w; w = w->parentWidget()) {
        HWND h = HandleFromWidget(w);
        if (h) return h;
    }
    return nullptr;
}

LONG GetWindowLong(HWND Wnd, int Index) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec) return 0;
    switch (Index) {
        case GWL_STYLE: {
            DWORD s = rec->Style;
            if (rec->Shown) s |= WS_VISIBLE;
            if (!rec->Enabled) s |= WS_DISABLED;
            if (rec->ShowState == SW_SHOWMINIMIZED) s |= WS_MINIMIZE;
            if (rec->ShowState == SW_SHOWMAXIMIZED) s |= WS_MAXIMIZE;
            return static_cast<LONG>(s);
        }
        case GWL_EXSTYLE: return static_cast<LONG>(rec->ExStyle);
        default: return 0;
    }
}

LONG SetWindowLong(HWND Wnd, int Index, LONG NewLong) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec) return 0;
    LONG old = GetWindowLong(Wnd, Index);
    DWORD v = static_cast<DWORD>(NewLong);
    if (Index == GWL_STYLE) {
        rec->Style = (v & ~(WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE)) |
                     (rec->Style & (WS_VSCROLL | WS_HSCROLL));
        bool vs = (v & WS_VSCROLL) != 0, hs = (v & WS_HSCROLL) != 0;
        rec->Bars[SB_VERT].Visible = vs;
        rec->Bars[SB_HORZ].Visible = hs;
    } else if (Index == GWL_EXSTYLE) {
        rec->ExStyle = v;
    }
    return old;
}

// ---------------------------------------------------------------- showing

void ApplyShowState(HWND Wnd, int CmdShow) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !rec->Frame) return;
    QWidget* frame = rec->Frame;
    rec->LayoutDepth++;
    switch (CmdShow) {
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
            rec->ShowState = SW_SHOWMINIMIZED;
            if (frame->isVisible() || CmdShow != SW_MINIMIZE) frame->showMinimized();
            break;
        case SW_SHOWMAXIMIZED:
            rec->ShowState = SW_SHOWMAXIMIZED;
            frame->showMaximized();
            break;
        default:
            if (rec->ShowState != SW_SHOWNORMAL || frame->isMinimized() || frame->isMaximized()) {
                rec->ShowState = SW_SHOWNORMAL;
                frame->showNormal();
                frame->move(rec->NormalBounds.Left, rec->NormalBounds.Top);
                frame->resize(rec->NormalBounds.Width(), rec->NormalBounds.Height());
            } else {
                frame->show();
            }
            break;
    }
    rec->LayoutDepth--;
    // Maximising changes the size by itself; take it over.
    QRect g(frame->pos(), frame->size());
    TRect b(g.left(), g.top(), g.left() + g.width(), g.top() + g.height());
    if (rec->ShowState == SW_SHOWMAXIMIZED && !(b == rec->Bounds)) {
        rec->Bounds = b;
        LayoutWindowFrame(Wnd);
        if (HandleRecord(Wnd)) SendMessage(Wnd, WM_WINDOWPOSCHANGED, 0, 0);
    } else if (rec->ShowState == SW_SHOWNORMAL) {
        rec->LastClientSize = TSize(-1, -1);
        LayoutWindowFrame(Wnd);
    }
}

BOOL ShowWindow(HWND Wnd, int CmdShow) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !rec->Frame) return 0;
    BOOL wasVisible = rec->Shown;
    QWidget* frame = rec->Frame;
    if (CmdShow == SW_HIDE) {
        if (!rec->Shown) return wasVisible;
        rec->Shown = false;
        // A hidden window keeps neither focus nor capture.
        HWND focus = GetFocus();
        bool hadFocus = focus && (focus == Wnd || IsChild(Wnd, focus));
        if (GetCapture() && (GetCapture() == Wnd || IsChild(Wnd, GetCapture()))) ReleaseCapture();
        SendMessage(Wnd, WM_SHOWWINDOW, 0, 0);
        frame->hide();
        if (IsTopLevel(rec)) {
            if (GetActiveWindow() == Wnd) {
                SetActiveWindow(NextActivationCandidate(Wnd));
            }
        } else if (hadFocus) {
            SetFocus(GetTopLevelWindow(Wnd) == GetActiveWindow() ? rec->Parent : nullptr);
        }
        return wasVisible;
    }
    bool activate = IsTopLevel(rec) && CmdShow != SW_SHOWNA && CmdShow != SW_SHOWNOACTIVATE &&
                    CmdShow != SW_SHOWMINNOACTIVE && !(rec->ExStyle & WS_EX_NOACTIVATE) &&
                    !frame->testAttribute(Qt::WA_ShowWithoutActivating);
    if (!rec->Shown) {
        rec->Shown = true;
        SendMessage(Wnd, WM_SHOWWINDOW, 1, 0);
        rec = HandleRecord(Wnd);
        if (!rec) return wasVisible;
    }
    if (IsTopLevel(rec)) {
        if (!frame->isVisible()) UpdateMinMaxInfo(Wnd);
        rec = HandleRecord(Wnd);
        if (!rec) return wasVisible;
        if (CmdShow == SW_SHOWNOACTIVATE || CmdShow == SW_SHOWNA) frame->setAttribute(Qt::WA_ShowWithoutActivating, true);
        ApplyShowState(Wnd, CmdShow);
        if (!HandleRecord(Wnd)) return wasVisible;
        if (activate && CmdShow != SW_SHOWMINIMIZED && CmdShow != SW_MINIMIZE) SetActiveWindow(Wnd);
    } else {
        frame->show();
    }
    return wasVisible;
}

bool IsWindowVisible(HWND Wnd) {
    for (HWND w = Wnd; w; w = GetParent(w)) {
        TWndHandle* rec = HandleRecord(w);
        if (!rec || !rec->Shown) return false;
    }
    return Wnd != nullptr;
}

BOOL EnableWindow(HWND Wnd, BOOL Enable) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec) return 0;
    BOOL wasDisabled = !rec->Enabled;
    bool enable = Enable != 0;
    if (rec->Enabled == enable) return wasDisabled;
    rec->Enabled = enable;
    if (rec->Frame) rec->Frame->setEnabled(enable);
    if (!enable) {
        HWND focus = GetFocus();
        if (focus == Wnd) SetFocus(nullptr);
        if (GetCapture() == Wnd) ReleaseCapture();
    }
    SendMessage(Wnd, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

bool IsWindowEnabled(HWND Wnd) {
    TWndHandle* rec = HandleRecord(Wnd);
    return rec && rec->Enabled;
}

bool IsIconic(HWND Wnd) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (rec && rec->StateSource) return IsIconic(rec->StateSource());
    return rec && rec->ShowState == SW_SHOWMINIMIZED;
}

bool IsZoomed(HWND Wnd) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (rec && rec->StateSource) return IsZoomed(rec->StateSource());
    return rec && rec->ShowState == SW_SHOWMAXIMIZED;
}

BOOL SetWindowText(HWND Wnd, const char* Text) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec) return 0;
    rec->Text = Text ? Text : "";
    if (IsTopLevel(rec) && rec->Frame) rec->Frame->setWindowTitle(ToQString(rec->Text));
    return 1;
}

int SetWindowRgn(HWND Wnd, HRGN Rgn, BOOL) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !rec->Frame) return 0;
    if (Rgn) {
        rec->Frame->setMask(Rgn->Data().Region);
        Rgn->Release();  // the window owns the region now
    } else {
        rec->Frame->clearMask();
    }
    return 1;
}

// ---------------------------------------------------------------- painting

BOOL InvalidateRect(HWND Wnd, const TRect* Rect, BOOL) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !rec->Client) return 0;
    QRect all(0, 0, rec->ClientInFrame.Width(), rec->ClientInFrame.Height());
    QRect r = Rect ? QRect(Rect->Left, Rect->Top, Rect->Width(), Rect->Height()).intersected(all) : all;
    if (r.isEmpty()) return 1;
    if (!rec->Wrapped) rec->Invalid += r;
    rec->Client->update(r);
    return 1;
}

BOOL ValidateRect(HWND Wnd, const TRect* Rect) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec) return 0;
    if (Rect) rec->Invalid -= QRect(Rect->Left, Rect->Top, Rect->Width(), Rect->Height());
    else rec->Invalid = QRegion();
    return 1;
}

BOOL GetUpdateRect(HWND Wnd, TRect* Rect, BOOL) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec) return 0;
    QRect b = rec->Invalid.boundingRect();
    if (Rect) *Rect = TRect(b.left(), b.top(), b.left() + b.width(), b.top() + b.height());
    return !rec->Invalid.isEmpty();
}

BOOL UpdateWindow(HWND Wnd) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !rec->Client) return 0;
    if (!rec->Invalid.isEmpty() && rec->Client->isVisible()) rec->Client->repaint(rec->Invalid);
    return 1;
}

void RepaintNow(HWND Wnd) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !rec->Frame) return;
    if (rec->Frame->isVisible()) rec->Frame->repaint();
}

BOOL RedrawWindow(HWND Wnd, const TRect* Update, HRGN Region, UINT Flags) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !rec->Client) return 0;
    if (Flags & RDW_INVALIDATE) {
        if (Region) {
            if (!rec->Wrapped) rec->Invalid += Region->Data().Region;
            rec->Client->update(Region->Data().Region);
        } else {
            InvalidateRect(Wnd, Update, 1);
        }
        if (Flags & RDW_ALLCHILDREN) {
            std::vector<HWND> kids;
            ChildWindows(Wnd, kids);
            for (HWND k : kids) RedrawWindow(k, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | (Flags & RDW_FRAME));
        }
    }
    if (Flags & RDW_FRAME && rec->Frame) rec->Frame->update();
    if (Flags & RDW_UPDATENOW) UpdateWindow(Wnd);
    return 1;
}

BOOL ScrollWindow(HWND Wnd, int Dx, int Dy, const TRect* Rect, const TRect* ClipRect) {
    return ScrollWindowEx(Wnd, Dx, Dy, Rect, ClipRect, nullptr, nullptr,
                          Rect ? UINT(SW_INVALIDATE) : UINT(SW_INVALIDATE | SW_SCROLLCHILDREN)) != 0;
}

int ScrollWindowEx(HWND Wnd, int Dx, int Dy, const TRect* Scroll, const TRect* Clip, HRGN Update, TRect* UpdateRect,
                   UINT Flags) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !rec->Client) return 0;
    QRect client(0, 0, rec->ClientInFrame.Width(), rec->ClientInFrame.Height());
    QRect area = Scroll ? QRect(Scroll->Left, Scroll->Top, Scroll->Width(), Scroll->Height()).intersected(client) : client;
    QRect clip = Clip ? QRect(Clip->Left, Clip->Top, Clip->Width(), Clip->Height()).intersected(client) : client;
    QRegion exposed;
    if (rec->Wrapped) {
        exposed = QRegion(area.intersected(clip));
    } else {
        EnsureBacking(rec);
        EndWindowDCs(Wnd);
        rec = HandleRecord(Wnd);
        if (!rec) return 0;
        // Move the pixels that stay visible, and what was still to be painted there.
        QRect target = area.translated(Dx, Dy).intersected(clip);
        QRect source = target.translated(-Dx, -Dy);
        if (!target.isEmpty()) {
            QImage copy = rec->Backing.copy(source);
            QPainter p(&rec->Backing);
            p.drawImage(target.topLeft(), copy);
        }
        QRegion pending = rec->Invalid.intersected(area);
        rec->Invalid -= QRegion(area.intersected(clip));
        rec->Invalid += pending.translated(Dx, Dy).intersected(clip);
        exposed = QRegion(area.intersected(clip)) - QRegion(target);
    }
    if (Flags & SW_INVALIDATE || !Update) {
        if (!rec->Wrapped) rec->Invalid += exposed;
    }
    rec->Client->update(area.intersected(clip));
    if (Update) Update->Data().Region = exposed;
    QRect box = exposed.boundingRect();
    if (UpdateRect) *UpdateRect = TRect(box.left(), box.top(), box.left() + box.width(), box.top() + box.height());
    if (Flags & SW_SCROLLCHILDREN) {
        std::vector<HWND> kids;
        ChildWindows(Wnd, kids);
        for (HWND k : kids) {
            TWndHandle* kr = HandleRecord(k);
            if (!kr) continue;
            if (Scroll && !area.intersects(QRect(kr->Bounds.Left, kr->Bounds.Top, kr->Bounds.Width(), kr->Bounds.Height())))
                continue;
            SetWindowPos(k, nullptr, kr->Bounds.Left + Dx, kr->Bounds.Top + Dy, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (exposed.isEmpty()) return NULLREGION;
    return exposed.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

HDC BeginPaint(HWND Wnd, PAINTSTRUCT* Paint) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !Paint) return nullptr;
    if (!rec->InPaint || !rec->Painter) {
        // WM_PAINT sent by hand: there is no pass to draw in; ask for one.
        InvalidateRect(Wnd, nullptr, 1);
        *Paint = PAINTSTRUCT();
        return nullptr;
    }
    if (!rec->PaintDC) {
        rec->PaintDC = CreatePaintDC(rec->Painter, rec->PaintRegion, ClientSize(rec));
        if (!rec->Wrapped) SendMessage(Wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(rec->PaintDC), 0);
        rec = HandleRecord(Wnd);
        if (!rec) return nullptr;
    }
    Paint->hdc = rec->PaintDC;
    Paint->fErase = 0;
    QRect box = rec->PaintRegion.boundingRect();
    Paint->rcPaint = TRect(box.left(), box.top(), box.left() + box.width(), box.top() + box.height());
    return rec->PaintDC;
}

BOOL EndPaint(HWND, const PAINTSTRUCT*) { return 1; }

HDC GetDC(HWND Wnd) {
    if (!Wnd) return CreateScreenDC();
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || rec->MessageOnly) return nullptr;
    QSize size = ClientSize(rec);
    QPainter* painter = nullptr;
    if (rec->InPaint && rec->Painter) {
        // Inside the paint pass the pixels already have a painter.
        painter = rec->Painter;
    } else {
        if (rec->Wrapped) return CreateScreenDC();
        EnsureBacking(rec);
        if (!rec->DCPainter) rec->DCPainter = new QPainter(&rec->Backing);
        painter = rec->DCPainter;
        if (rec->Client) rec->Client->update();
    }
    HDC dc = CreatePaintDC(painter, QRegion(0, 0, size.width(), size.height()), size);
    rec->WindowDCs.push_back(dc);
    return dc;
}

HDC GetWindowDC(HWND Wnd) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec) return nullptr;
    if (rec->FramePainter) {
        HDC dc = CreatePaintDC(rec->FramePainter, QRegion(rec->Frame->rect()), rec->Frame->size());
        rec->WindowDCs.push_back(dc);
        return dc;
    }
    // Outside a frame paint the border cannot be drawn on; measuring still works.
    return CreateScreenDC();
}

int ReleaseDC(HWND Wnd, HDC Dc) {
    if (!Dc) return 0;
    TWndHandle* rec = HandleRecord(Wnd);
    if (rec) {
        auto it = std::find(rec->WindowDCs.begin(), rec->WindowDCs.end(), Dc);
        if (it != rec->WindowDCs.end()) {
            rec->WindowDCs.erase(it);
            FreePaintDC(Dc);
            if (rec->WindowDCs.empty() && rec->DCPainter) {
                delete rec->DCPainter;
                rec->DCPainter = nullptr;
            }
            if (rec->Client) rec->Client->update();
            return 1;
        }
    }
    DeleteDC(Dc);
    return 1;
}

const QImage& PaintWindowPixels(HWND Wnd) {
    static const QImage empty;
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || rec->Wrapped) return empty;
    PaintPass(Wnd);
    rec = HandleRecord(Wnd);
    if (!rec) return empty;
    EndWindowDCs(Wnd);
    return rec->Backing;
}

void SetWindowDCsReleaseHook(void (*Hook)(HWND Wnd)) { ReleaseDCsHook() = Hook; }

void ReleaseWindowDCs(HWND Wnd) { EndWindowDCs(Wnd); }

// ---------------------------------------------------------------- native focus

void SetNativeFocus(HWND Wnd) {
    TBridgeState& bs = BS();
    bs.FocusGuard++;
    if (QWidget* w = FocusWidgetOf(Wnd)) {
        w->setFocus(Qt::OtherFocusReason);
    } else if (QWidget* current = QApplication::focusWidget()) {
        if (HandleFromWidget(current)) current->clearFocus();
    }
    bs.FocusGuard--;
}

// Once the event loop runs dry, a request still waiting was answered by no
// activation (the window was hidden, or already active for the desktop).
void ForgetActivationRequests() { BS().ActivationRequests.clear(); }

void NativeActivated(HWND TopLevel, bool FromUs) {
    TWndHandle* rec = HandleRecord(TopLevel);
    if (!rec || !rec->Frame) return;
    TBridgeState& bs = BS();
    std::deque<HWND>& requests = bs.ActivationRequests;
    if (FromUs) {
        if (!rec->Frame->isVisible() || (requests.empty() && rec->Frame->isActiveWindow())) return;
        requests.push_back(TopLevel);
        bs.FocusGuard++;
        rec->Frame->activateWindow();
        bs.FocusGuard--;
        return;
    }
    // While our own requests are on their way, the desktop's activations are
    // their echoes or older than them; following those would undo our last
    // request and, answered with a request of its own, echo without end.
    if (!requests.empty()) {
        auto echo = std::find(requests.begin(), requests.end(), TopLevel);
        if (echo != requests.end()) requests.erase(requests.begin(), echo + 1);
        return;
    }
    // The desktop activated one of our windows (a click, the task bar); a
    // window that must not take the activation is left alone.
    if (rec->ExStyle & WS_EX_NOACTIVATE || rec->Frame->testAttribute(Qt::WA_ShowWithoutActivating)) return;
    if (GetActiveWindow() != TopLevel && rec->Frame->isActiveWindow()) SetActiveWindow(TopLevel);
}

// ---------------------------------------------------------------- scroll bars

void SyncScrollBarWidget(HWND Wnd, int Bar) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || Bar < 0 || Bar > 1) return;
    TScrollBarData& d = rec->Bars[Bar];
    QScrollBar* sb = d.Widget;
    if (!sb) return;
    QSignalBlocker block(sb);
    int maxPos = d.Max - std::max<int>(static_cast<int>(d.Page) - 1, 0);
    sb->setRange(d.Min, std::max(d.Min, maxPos));
    sb->setPageStep(std::max<int>(1, static_cast<int>(d.Page)));
    sb->setSingleStep(1);
    if (!d.Tracking) sb->setValue(d.Pos);
    sb->setEnabled(d.Enabled);
}

int SetScrollInfo(HWND Wnd, int Bar, const SCROLLINFO* Info, BOOL) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !Info || (Bar != SB_HORZ && Bar != SB_VERT)) return 0;
    TScrollBarData& d = rec->Bars[Bar];
    if (Info->fMask & SIF_RANGE) {
        d.Min = Info->nMin;
        d.Max = Info->nMax;
    }
    if (Info->fMask & SIF_PAGE) {
        long long range = static_cast<long long>(d.Max) - d.Min + 1;
        d.Page = static_cast<UINT>(std::clamp<long long>(Info->nPage, 0, std::max<long long>(range, 0)));
    } else if (Info->fMask & SIF_RANGE) {
        long long range = static_cast<long long>(d.Max) - d.Min + 1;
        if (static_cast<long long>(d.Page) > range) d.Page = static_cast<UINT>(std::max<long long>(range, 0));
    }
    if (Info->fMask & SIF_POS) d.Pos = Info->nPos;
    d.Pos = ClampPos(d, d.Pos);
    int pos = d.Pos;
    if (Info->fMask & (SIF_RANGE | SIF_PAGE)) {
        bool empty = NothingToScroll(d);
        bool show = d.Visible;
        if (Info->fMask & SIF_DISABLENOSCROLL) {
            show = d.Visible || !empty;
            d.Enabled = !empty;
        } else if (empty) {
            show = false;
        } else {
            show = true;
            d.Enabled = true;
        }
        if (show != d.Visible) {
            d.Visible = show;
            SyncScrollBarWidget(Wnd, Bar);
            LayoutWindowFrame(Wnd);
            return pos;
        }
    }
    SyncScrollBarWidget(Wnd, Bar);
    return pos;
}

BOOL GetScrollInfo(HWND Wnd, int Bar, SCROLLINFO* Info) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !Info || (Bar != SB_HORZ && Bar != SB_VERT)) return 0;
    const TScrollBarData& d = rec->Bars[Bar];
    if (Info->fMask & SIF_RANGE) {
        Info->nMin = d.Min;
        Info->nMax = d.Max;
    }
    if (Info->fMask & SIF_PAGE) Info->nPage = d.Page;
    if (Info->fMask & SIF_POS) Info->nPos = d.Pos;
    if (Info->fMask & SIF_TRACKPOS) Info->nTrackPos = d.Tracking ? d.TrackPos : d.Pos;
    return 1;
}

int SetScrollPos(HWND Wnd, int Bar, int Pos, BOOL Redraw) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || (Bar != SB_HORZ && Bar != SB_VERT)) return 0;
    int old = rec->Bars[Bar].Pos;
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = Pos;
    SetScrollInfo(Wnd, Bar, &si, Redraw);
    return old;
}

int GetScrollPos(HWND Wnd, int Bar) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || (Bar != SB_HORZ && Bar != SB_VERT)) return 0;
    return rec->Bars[Bar].Pos;
}

BOOL SetScrollRange(HWND Wnd, int Bar, int MinPos, int MaxPos, BOOL Redraw) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    si.nMin = MinPos;
    si.nMax = MaxPos;
    return SetScrollInfo(Wnd, Bar, &si, Redraw) >= 0 && IsWindow(Wnd);
}

BOOL GetScrollRange(HWND Wnd, int Bar, int* MinPos, int* MaxPos) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || (Bar != SB_HORZ && Bar != SB_VERT)) return 0;
    if (MinPos) *MinPos = rec->Bars[Bar].Min;
    if (MaxPos) *MaxPos = rec->Bars[Bar].Max;
    return 1;
}

BOOL ShowScrollBar(HWND Wnd, int Bar, BOOL Show) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec) return 0;
    bool changed = false;
    for (int b = 0; b < 2; ++b) {
        if (Bar != SB_BOTH && Bar != b) continue;
        if (rec->Bars[b].Visible != (Show != 0)) {
            rec->Bars[b].Visible = Show != 0;
            changed = true;
        }
        SyncScrollBarWidget(Wnd, b);
    }
    if (changed) LayoutWindowFrame(Wnd);
    return 1;
}

BOOL EnableScrollBar(HWND Wnd, UINT SBFlags, UINT Arrows) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec) return 0;
    for (int b = 0; b < 2; ++b) {
        if (static_cast<int>(SBFlags) != SB_BOTH && static_cast<int>(SBFlags) != b) continue;
        // One arrow alone cannot be greyed here; both arrows grey the bar.
        rec->Bars[b].Enabled = Arrows != ESB_DISABLE_BOTH;
        SyncScrollBarWidget(Wnd, b);
    }
    return 1;
}

bool IsScrollBarVisible(HWND Wnd, int Bar) {
    TWndHandle* rec = HandleRecord(Wnd);
    return rec && (Bar == SB_HORZ || Bar == SB_VERT) && rec->Bars[Bar].Visible;
}

bool IsScrollBarEnabled(HWND Wnd, int Bar) {
    TWndHandle* rec = HandleRecord(Wnd);
    return rec && (Bar == SB_HORZ || Bar == SB_VERT) && rec->Bars[Bar].Enabled;
}

QScrollBar* ScrollBarWidget(HWND Wnd, int Bar) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || (Bar != SB_HORZ && Bar != SB_VERT)) return nullptr;
    return rec->Bars[Bar].Widget;
}

// ---------------------------------------------------------------- caret drawing

namespace {
// The caret is drawn over the window's finished pixels as they go to the
// screen, so showing, hiding, moving or blinking it only puts those pixels out
// again: the window is not asked to paint, which would hide and show the caret
// once more and never come to rest.
void RefreshCaretPixels(const TCaretState& Caret) {
    TWndHandle* rec = HandleRecord(Caret.Owner);
    if (!rec || !rec->Client) return;
    const TRect& r = Caret.Rect;
    rec->Client->update(QRect(r.Left, r.Top, r.Width(), r.Height()));
}
}  // namespace

void InvalidateCaret() {
    TCaretState c = GetCaretState();
    TBridgeState& bs = BS();
    if (!bs.CaretTimer && QCoreApplication::instance()) {
        bs.CaretTimer = new QTimer();
        QObject::connect(bs.CaretTimer, &QTimer::timeout, [] {
            BS().CaretPhase = !BS().CaretPhase;
            TCaretState s = GetCaretState();
            if (s.Owner && s.Visible) RefreshCaretPixels(s);
        });
        bs.CaretTimer->start(static_cast<int>(GetCaretBlinkTime()));
    }
    bs.CaretPhase = true;
    if (bs.CaretTimer) bs.CaretTimer->start(static_cast<int>(GetCaretBlinkTime()));
    if (c.Owner) RefreshCaretPixels(c);
}

void DrawCaretIfOwned(HWND Wnd, QPainter& Painter) {
    TCaretState c = GetCaretState();
    if (c.Owner != Wnd || !c.Visible || !BS().CaretPhase) return;
    Painter.save();
    Painter.setClipping(false);
    Painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    Painter.fillRect(QRect(c.Rect.Left, c.Rect.Top, c.Rect.Width(), c.Rect.Height()), QColor(255, 255, 255));
    Painter.restore();
}

// ---------------------------------------------------------------- cursors

void ApplyCursor(HWND Wnd, HCURSOR Cursor) {
    BS().CurrentCursor = Cursor;
    QWidget* w = FocusWidgetOf(Wnd);
    if (!w) return;
    if (Cursor) w->setCursor(ToQCursor(Cursor));
    else w->setCursor(Qt::BlankCursor);
}

HCURSOR LoadStandardCursor(uintptr_t IdcId) {
    struct TStandard {
        uintptr_t Id;
        Qt::CursorShape Shape;
    };
    static const TStandard shapes[] = {
        {IDC_ARROW, Qt::ArrowCursor},         {IDC_IBEAM, Qt::IBeamCursor},
        {IDC_WAIT, Qt::WaitCursor},           {IDC_CROSS, Qt::CrossCursor},
        {IDC_UPARROW, Qt::UpArrowCursor},     {IDC_SIZENWSE, Qt::SizeFDiagCursor},
        {IDC_SIZENESW, Qt::SizeBDiagCursor},  {IDC_SIZEWE, Qt::SizeHorCursor},
        {IDC_SIZENS, Qt::SizeVerCursor},      {IDC_SIZEALL, Qt::SizeAllCursor},
        {IDC_NO, Qt::ForbiddenCursor},        {IDC_HAND, Qt::PointingHandCursor},
        {IDC_APPSTARTING, Qt::BusyCursor},    {IDC_HELP, Qt::WhatsThisCursor},
        {IDC_HSPLIT_, Qt::SplitHCursor},      {IDC_VSPLIT_, Qt::SplitVCursor},
        {IDC_DRAG_, Qt::DragMoveCursor},      {IDC_MULTIDRAG_, Qt::DragCopyCursor},
        {IDC_NODROP_, Qt::ForbiddenCursor},
    };
    static TCursorResource resources[sizeof(shapes) / sizeof(shapes[0])];
    for (size_t i = 0; i < sizeof(shapes) / sizeof(shapes[0]); ++i) {
        if (shapes[i].Id != IdcId) continue;
        resources[i].StandardShape = shapes[i].Shape;
        return &resources[i];
    }
    return nullptr;
}

HCURSOR SetCursor(HCURSOR Cursor) {
    HCURSOR old = BS().CurrentCursor;
    HWND target = BS().LastMouseWindow;
    if (target && IsWindow(target)) ApplyCursor(target, Cursor);
    else BS().CurrentCursor = Cursor;
    return old;
}

HCURSOR GetCursor() { return BS().CurrentCursor; }

namespace {
// Without a real pointer (the offscreen platform) the cursor is where the last
// mouse event put it.
bool& PointerIsReal() {
    static bool real = QGuiApplication::platformName() != QLatin1String("offscreen");
    return real;
}
TPoint& TrackedCursor() {
    static TPoint p;
    return p;
}
}  // namespace

void TrackCursorPosition(TPoint ScreenPos) { TrackedCursor() = ScreenPos; }

BOOL GetCursorPos(TPoint* Point) {
    if (!Point) return 0;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || !PointerIsReal()) {
        *Point = TrackedCursor();
        return 1;
    }
    QPoint p = QCursor::pos();
    *Point = TPoint(p.x(), p.y());
    return 1;
}

BOOL SetCursorPos(int X, int Y) {
    TrackedCursor() = TPoint(X, Y);
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) QCursor::setPos(X, Y);
    return 1;
}

// ---------------------------------------------------------------- size limits

void UpdateMinMaxInfo(HWND Wnd) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !rec->Frame || !IsTopLevel(rec)) return;
    MINMAXINFO mmi;
    TMonitorInfo m = GetMonitorInfoAt(MonitorIndexFromRect(rec->Bounds));
    mmi.ptMaxSize = TPoint(m.WorkArea.Width(), m.WorkArea.Height());
    mmi.ptMaxPosition = TPoint(m.WorkArea.Left, m.WorkArea.Top);
    mmi.ptMinTrackSize = TPoint(rec->FixedSize ? rec->Bounds.Width() : 0, rec->FixedSize ? rec->Bounds.Height() : 0);
    mmi.ptMaxTrackSize = TPoint(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (rec->FixedSize) mmi.ptMaxTrackSize = mmi.ptMinTrackSize;
    SendMessage(Wnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    rec = HandleRecord(Wnd);
    if (!rec || !rec->Frame) return;
    // The maximised size and position have no counterpart here.
    rec->Frame->setMinimumSize(std::max(0, mmi.ptMinTrackSize.X), std::max(0, mmi.ptMinTrackSize.Y));
    rec->Frame->setMaximumSize(std::clamp(mmi.ptMaxTrackSize.X, 0, QWIDGETSIZE_MAX),
                               std::clamp(mmi.ptMaxTrackSize.Y, 0, QWIDGETSIZE_MAX));
}

// ---------------------------------------------------------------- placement

BOOL GetWindowPlacement(HWND Wnd, WINDOWPLACEMENT* Placement) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !Placement) return 0;
    Placement->length = sizeof(WINDOWPLACEMENT) <= 44 ? sizeof(WINDOWPLACEMENT) : 44;
    Placement->flags = 0;
    switch (rec->ShowState) {
        case SW_SHOWMINIMIZED:
            Placement->showCmd = SW_SHOWMINIMIZED;
            if (rec->Frame && (rec->Frame->windowState() & Qt::WindowMaximized))
                Placement->flags |= WPF_RESTORETOMAXIMIZED;
            break;
        case SW_SHOWMAXIMIZED: Placement->showCmd = SW_SHOWMAXIMIZED; break;
        default: Placement->showCmd = SW_SHOWNORMAL; break;
    }
    Placement->ptMinPosition = rec->MinPosition;
    Placement->ptMaxPosition = rec->MaxPosition;
    Placement->rcNormalPosition = rec->ShowState == SW_SHOWNORMAL ? rec->Bounds : rec->NormalBounds;
    return 1;
}

BOOL SetWindowPlacement(HWND Wnd, const WINDOWPLACEMENT* Placement) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !Placement) return 0;
    rec->MinPosition = Placement->ptMinPosition;
    rec->MaxPosition = Placement->ptMaxPosition;
    const TRect& r = Placement->rcNormalPosition;
    rec->NormalBounds = r;
    if (rec->ShowState == SW_SHOWNORMAL)
        SetWindowPos(Wnd, nullptr, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    if (!HandleRecord(Wnd)) return 1;
    switch (Placement->showCmd) {
        case SW_HIDE:
            if (rec->Shown) ShowWindow(Wnd, SW_HIDE);
            break;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE: ShowWindow(Wnd, static_cast<int>(Placement->showCmd)); break;
        case SW_SHOWMAXIMIZED: ShowWindow(Wnd, SW_SHOWMAXIMIZED); break;
        default:
            ShowWindow(Wnd, static_cast<int>(Placement->showCmd));
            if (HandleRecord(Wnd) && rec->ShowState == SW_SHOWNORMAL)
                SetWindowPos(Wnd, nullptr, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
            break;
    }
    return 1;
}
