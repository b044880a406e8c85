// Window handles, message queue, focus, capture, keyboard state, timers, the
// caret state, metrics and placement. The native widgets behind the handles
// live in QtBridge.cpp.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <set>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <unordered_set>
#include <vector>

#include "platform/gui/Input.h"
#include "platform/gui/WinApi_p.h"
#include "platform/classes/Keys.h"

const HWND HWND_TOP = nullptr;
const HWND HWND_BOTTOM = reinterpret_cast<HWND>(1);
const HWND HWND_TOPMOST = reinterpret_cast<HWND>(-1);
const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);

namespace {

constexpr int kDoubleClickTime = 500;
constexpr int kMinTimerElapse = 10;

struct TTimerEntry {
    HWND Wnd = nullptr;
    uintptr_t Id = 0;
    UINT Elapse = 0;
    DWORD Due = 0;
    bool Pending = false;  // a WM_TIMER waits in the queue
};

class TQueueDispatcher : public QObject {
public:
    static QEvent::Type EventType() {
        static const int type = QEvent::registerEventType();
        return static_cast<QEvent::Type>(type);
    }
    void customEvent(QEvent* e) override;
};

struct TWindowSystem {
    std::unordered_set<HWND> Live;
    std::deque<TMsg> Queue;
    TQueueDispatcher* Dispatcher = nullptr;
    QTimer* TimerWake = nullptr;
    TMessageProcessor Processor;
    TExceptionHandler ExceptionHandler;
    HWND Focus = nullptr;
    HWND Capture = nullptr;
    HWND Active = nullptr;
    std::vector<HWND> ActivationHistory;  // most recent first
    BYTE Keys[256] = {};
    std::vector<TTimerEntry> Timers;
    TTickSource Tick;
    QElapsedTimer Clock;
    DWORD MessageTime = 0;
    TPoint MessagePos;
    TCaretState Caret;
    int CaretPending = 0;
    struct {
        HWND Wnd = nullptr;
        int Button = 0;
        DWORD Time = 0;
        TPoint Pos;
        bool Valid = false;
    } LastPress;
    bool Quitting = false;
    int PumpDepth = 0;
    std::deque<HWND> Graveyard;
};

TWindowSystem& WS() {
    static TWindowSystem* ws = new TWindowSystem();
    return *ws;
}

TQueueDispatcher* Dispatcher() {
    TWindowSystem& ws = WS();
    if (!ws.Dispatcher) ws.Dispatcher = new TQueueDispatcher();
    return ws.Dispatcher;
}

void DispatchNextQueued() {
    TWindowSystem& ws = WS();
    if (ws.Queue.empty()) return;
    TMsg msg = ws.Queue.front();
    ws.Queue.pop_front();
    if (msg.message == WM_TIMER) {
        for (TTimerEntry& t : ws.Timers)
            if (t.Wnd == msg.hwnd && t.Id == msg.wParam) t.Pending = false;
    }
    if (msg.hwnd && !IsWindow(msg.hwnd)) return;
    SetCurrentMessageInfo(msg.time, TPoint(msg.ptX, msg.ptY));
    ProcessInputMessage(msg);
}

void TQueueDispatcher::customEvent(QEvent* e) {
    // Inside our own pump the queue is served one message per pass there; the
    // event only wakes the loop. Under a native loop (a dialog of the desktop)
    // it delivers the message itself.
    if (e->type() == EventType() && WS().PumpDepth == 0) DispatchNextQueued();
}

void ScheduleTimerWake();

void CheckTimers() {
    TWindowSystem& ws = WS();
    if (ws.Timers.empty()) return;
    DWORD now = GetTickCount();
    // Copy: posting may not change the list, but be safe against re-entry.
    for (size_t i = 0; i < ws.Timers.size(); ++i) {
        TTimerEntry& t = ws.Timers[i];
        if (static_cast<int32_t>(now - t.Due) < 0) continue;
        t.Due = now + t.Elapse;
        if (t.Pending) continue;
        t.Pending = true;
        HWND wnd = t.Wnd;
        uintptr_t id = t.Id;
        PostMessage(wnd, WM_TIMER, id, 0);
    }
    ScheduleTimerWake();
}

void ScheduleTimerWake() {
    TWindowSystem& ws = WS();
    if (!QCoreApplication::instance()) return;
    if (!ws.TimerWake) {
        ws.TimerWake = new QTimer();
        ws.TimerWake->setSingleShot(true);
        QObject::connect(ws.TimerWake, &QTimer::timeout, [] { CheckTimers(); });
    }
    if (ws.Timers.empty()) {
        ws.TimerWake->stop();
        return;
    }
    DWORD now = GetTickCount();
    int32_t wait = INT32_MAX;
    for (const TTimerEntry& t : ws.Timers) wait = std::min(wait, static_cast<int32_t>(t.Due - now));
    ws.TimerWake->start(std::max(0, wait));
}

void ForgetWindow(HWND wnd) {
    TWindowSystem& ws = WS();
    ws.Timers.erase(std::remove_if(ws.Timers.begin(), ws.Timers.end(), [&](const TTimerEntry& t) { return t.Wnd == wnd; }),
                    ws.Timers.end());
    ws.Queue.erase(std::remove_if(ws.Queue.begin(), ws.Queue.end(), [&](const TMsg& m) { return m.hwnd == wnd; }),
                   ws.Queue.end());
    ws.ActivationHistory.erase(std::remove(ws.ActivationHistory.begin(), ws.ActivationHistory.end(), wnd),
                               ws.ActivationHistory.end());
    if (ws.LastPress.Wnd == wnd) ws.LastPress.Valid = false;
    if (ws.Caret.Owner == wnd) ws.Caret = TCaretState();
}

bool IsAncestorOrSelf(HWND ancestor, HWND wnd) {
    for (HWND w = wnd; w; w = GetParent(w))
        if (w == ancestor) return true;
    return false;
}

void ActivateTopLevel(HWND top) {
    TWindowSystem& ws = WS();
    HWND old = ws.Active;
    if (old == top) return;
    // A capture does not survive a change of the active window.
    if (ws.Capture && (!top || GetTopLevelWindow(ws.Capture) != top)) {
        HWND cap = ws.Capture;
        SendMessage(cap, WM_CANCELMODE, 0, 0);
        if (ws.Capture == cap) ReleaseCapture();
    }
    ws.Active = top;
    if (top) {
        ws.ActivationHistory.erase(std::remove(ws.ActivationHistory.begin(), ws.ActivationHistory.end(), top),
                                   ws.ActivationHistory.end());
        ws.ActivationHistory.insert(ws.ActivationHistory.begin(), top);
    }
    if (old && IsWindow(old)) {
        SendMessage(old, WM_NCACTIVATE, 0, 0);
        SendMessage(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(top));
    }
    if (ws.Active != top) return;
    if (!top) {
        if (ws.Focus) SetFocus(nullptr);
        return;
    }
    if (TWndHandle* rec = HandleRecord(top)) {
        if (rec->Frame && !(rec->ExStyle & WS_EX_NOACTIVATE)) NativeActivated(top, true);
    }
    SendMessage(top, WM_NCACTIVATE, 1, 0);
    SendMessage(top, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
}

}  // namespace

// ---------------------------------------------------------------- handles

TWndHandle* HandleRecord(HWND Wnd) {
    if (!Wnd) return nullptr;
    TWindowSystem& ws = WS();
    if (ws.Live.find(Wnd) == ws.Live.end()) return nullptr;
    return Wnd->Destroyed ? nullptr : Wnd;
}

bool IsWindow(HWND Wnd) { return HandleRecord(Wnd) != nullptr; }

HWND AllocateHWnd(TWndMethod Method) {
    HWND wnd = new TWndHandle();
    wnd->Proc = Method;
    wnd->MessageOnly = true;
    WS().Live.insert(wnd);
    return wnd;
}

void DeallocateHWnd(HWND Wnd) { DestroyWindow(Wnd); }

void SetWindowProc(HWND Wnd, TWndMethod Proc) {
    if (TWndHandle* rec = HandleRecord(Wnd)) rec->Proc = Proc;
}

TWndMethod GetWindowProc(HWND Wnd) {
    TWndHandle* rec = HandleRecord(Wnd);
    return rec ? rec->Proc : TWndMethod();
}

BOOL DestroyWindow(HWND Wnd) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec) return 0;
    TWindowSystem& ws = WS();
    // Children first, as the window system does.
    std::vector<HWND> children;
    for (HWND h : ws.Live)
        if (h->Parent == Wnd && !h->Destroyed) children.push_back(h);
    for (HWND child : children) DestroyWindow(child);
    if (ws.Capture == Wnd) {
        ws.Capture = nullptr;
        SendMessage(Wnd, WM_CAPTURECHANGED, 0, 0);
    }
    SendMessage(Wnd, WM_DESTROY, 0, 0);
    // Canvases that still hold a context of this window give it back now,
    // while the window's painter still exists.
    ReleaseWindowDCs(Wnd);
    rec = HandleRecord(Wnd);
    if (!rec) return 1;
    rec->Destroyed = true;
    if (ws.Focus == Wnd) ws.Focus = nullptr;
    if (ws.Capture == Wnd) ws.Capture = nullptr;
    bool wasActive = ws.Active == Wnd;
    if (wasActive) ws.Active = nullptr;
    ForgetWindow(Wnd);
    for (int bar = 0; bar < 2; ++bar) rec->Bars[bar].Widget = nullptr;
    if (QWidget* frame = rec->Frame) {
        RemoveEventBridge(frame);
        if (rec->Client && rec->Client != frame) RemoveEventBridge(rec->Client);
        frame->hide();
        if (rec->Wrapped) {
            // The wrapped widget belongs to its control, which deletes it.
            frame->setParent(nullptr);
        } else {
            frame->setParent(nullptr);
            frame->deleteLater();
        }
    }
    SendMessage(Wnd, WM_NCDESTROY, 0, 0);
    ws.Live.erase(Wnd);
    // The record is kept a while so that its address (the handle) is not
    // handed out again at once: a late message for the old window must not
    // reach a new one.
    *Wnd = TWndHandle();
    Wnd->Destroyed = true;
    ws.Graveyard.push_back(Wnd);
    if (ws.Graveyard.size() > 4096) {
        delete ws.Graveyard.front();
        ws.Graveyard.pop_front();
    }
    if (wasActive) {
        for (HWND h : ws.ActivationHistory)
            if (IsWindowVisible(h)) {
                ActivateTopLevel(h);
                break;
            }
    }
    return 1;
}

// ---------------------------------------------------------------- sending and posting

void SetDispatchExceptionHandler(TExceptionHandler Handler) { WS().ExceptionHandler = std::move(Handler); }

void ProtectedCall(const std::function<void()>& Fn) {
    try {
        Fn();
    } catch (...) {
        TWindowSystem& ws = WS();
        if (ws.ExceptionHandler) {
            try {
                ws.ExceptionHandler();
            } catch (...) {
                // The handler itself failed: nothing sensible is left to do with it.
            }
        }
    }
}

LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || !rec->Proc) return 0;
    TMessage m;
    m.Msg = Msg;
    m.WParam = WParam;
    m.LParam = LParam;
    TWndMethod proc = rec->Proc;
    ProtectedCall([&] { proc(m); });
    return m.Result;
}

BOOL PostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Wnd && !IsWindow(Wnd)) return 0;
    TMsg m;
    m.hwnd = Wnd;
    m.message = Msg;
    m.wParam = WParam;
    m.lParam = LParam;
    m.time = GetTickCount();
    TPoint p;
    GetCursorPos(&p);
    m.ptX = p.X;
    m.ptY = p.Y;
    WS().Queue.push_back(m);
    if (QCoreApplication::instance())
        QCoreApplication::postEvent(Dispatcher(), new QEvent(TQueueDispatcher::EventType()));
    return 1;
}

void PostQuitMessage(int ExitCode) { PostMessage(nullptr, WM_QUIT, static_cast<WPARAM>(ExitCode), 0); }

BOOL PeekMessage(TMsg* Msg, HWND Wnd, UINT MsgFilterMin, UINT MsgFilterMax, UINT RemoveMsg) {
    TWindowSystem& ws = WS();
    bool all = MsgFilterMin == 0 && MsgFilterMax == 0;
    for (auto it = ws.Queue.begin(); it != ws.Queue.end(); ++it) {
        if (Wnd && it->hwnd != Wnd) continue;
        if (!all && (it->message < MsgFilterMin || it->message > MsgFilterMax)) continue;
        if (Msg) *Msg = *it;
        if (RemoveMsg & PM_REMOVE) {
            if (it->message == WM_TIMER)
                for (TTimerEntry& t : ws.Timers)
                    if (t.Wnd == it->hwnd && t.Id == it->wParam) t.Pending = false;
            ws.Queue.erase(it);
        }
        return 1;
    }
    return 0;
}

LRESULT DispatchMessage(const TMsg& Msg) {
    if (!Msg.hwnd) return 0;
    return SendMessage(Msg.hwnd, Msg.message, Msg.wParam, Msg.lParam);
}

int QueuedMessageCount() { return static_cast<int>(WS().Queue.size()); }

void SetMessageProcessor(TMessageProcessor Processor) { WS().Processor = Processor; }

bool ProcessInputMessage(TMsg& Msg) {
    TWindowSystem& ws = WS();
    bool result = false;
    ProtectedCall([&] {
        if (ws.Processor) {
            result = ws.Processor(Msg);
        } else {
            if (Msg.message == WM_QUIT) {
                ws.Quitting = true;
                return;
            }
            DispatchMessage(Msg);
            result = true;
        }
    });
    return result;
}

bool PumpMessages(bool Wait) {
    TWindowSystem& ws = WS();
    CheckTimers();
    // One queued message per pass, as a message loop takes them.
    if (!ws.Queue.empty()) {
        DispatchNextQueued();
        return true;
    }
    bool processed = false;
    if (QCoreApplication::instance()) {
        ++ws.PumpDepth;
        QAbstractEventDispatcher* disp = QAbstractEventDispatcher::instance();
        if (disp) {
            processed = disp->processEvents(Wait ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
        } else {
            QCoreApplication::processEvents();
        }
        --ws.PumpDepth;
    }
    CheckTimers();
    if (!ws.Queue.empty()) {
        DispatchNextQueued();
        return true;
    }
    if (!processed) ForgetActivationRequests();
    return processed;
}

void SetCurrentMessageInfo(DWORD Time, TPoint ScreenPos) {
    WS().MessageTime = Time;
    WS().MessagePos = ScreenPos;
}

DWORD GetMessageTime() { return WS().MessageTime; }

DWORD GetMessagePos() {
    TPoint p = WS().MessagePos;
    return static_cast<DWORD>(MAKELPARAM(p.X, p.Y));
}

// ---------------------------------------------------------------- default processing

LRESULT DefWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec) return 0;
    if (rec->Wrapped) {
        // A native control takes the focus when clicked, before it sees the click.
        bool press = Msg == WM_LBUTTONDOWN || Msg == WM_LBUTTONDBLCLK || Msg == WM_RBUTTONDOWN ||
                     Msg == WM_MBUTTONDOWN;
        if (press && rec->Frame && (rec->Frame->focusPolicy() & Qt::ClickFocus) && GetFocus() != Wnd &&
            rec->Frame->isEnabled())
            SetFocus(Wnd);
        if (!HandleRecord(Wnd)) return 0;
        if (PassToNativeWidget(Wnd, Msg)) return 0;
    }
    switch (Msg) {
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
        case WM_CONTEXTMENU:
            if (rec->Parent) return SendMessage(rec->Parent, Msg, WParam, LParam);
            return 0;
        case WM_SETCURSOR:
            if (rec->Parent && SendMessage(rec->Parent, WM_SETCURSOR, WParam, LParam)) return 1;
            if (LOWORD(static_cast<uintptr_t>(LParam)) == HTCLIENT) {
                ApplyCursor(Wnd, LoadStandardCursor(IDC_ARROW));
                return 0;
            }
            return 0;
        case WM_MOUSEACTIVATE:
            if (rec->Parent) {
                LRESULT r = SendMessage(rec->Parent, WM_MOUSEACTIVATE, WParam, LParam);
                if (r) return r;
            }
            return MA_ACTIVATE;
        case WM_RBUTTONUP: {
            TPoint p(GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam));
            ClientToScreen(Wnd, &p);
            SendMessage(Wnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Wnd), MAKELPARAM(p.X, p.Y));
            return 0;
        }
        case WM_CLOSE:
            DestroyWindow(Wnd);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(WParam) != WA_INACTIVE && !IsIconic(Wnd) && !IsAncestorOrSelf(Wnd, GetFocus()))
                SetFocus(Wnd);
            return 0;
        case WM_SYSKEYDOWN:
            if (WParam == VK_F4) SendMessage(GetTopLevelWindow(Wnd), WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        case WM_SYSCOMMAND:
            switch (WParam & 0xFFF0) {
                case SC_CLOSE: SendMessage(Wnd, WM_CLOSE, 0, 0); break;
                case SC_MINIMIZE: ShowWindow(Wnd, SW_MINIMIZE); break;
                case SC_MAXIMIZE: ShowWindow(Wnd, SW_MAXIMIZE); break;
                case SC_RESTORE: ShowWindow(Wnd, SW_RESTORE); break;
                default: break;
            }
            return 0;
        case WM_CANCELMODE:
            if (WS().Capture == Wnd) ReleaseCapture();
            return 0;
        case WM_NCCALCSIZE: {
            auto* rects = reinterpret_cast<TRect*>(LParam);
            if (!rects) return 0;
            TRect& r = rects[0];
            int border = 0;
            if (rec->Style & WS_BORDER) border += 1;
            if (rec->ExStyle & WS_EX_CLIENTEDGE) border += 2;
            if ((rec->Style & WS_CHILD) == 0) border = 0;  // the desktop draws top-level frames
            InflateRect(&r, -border, -border);
            if (rec->Bars[SB_VERT].Visible) r.Right -= GetSystemMetrics(SM_CXVSCROLL);
            if (rec->Bars[SB_HORZ].Visible) r.Bottom -= GetSystemMetrics(SM_CYHSCROLL);
            if (r.Right < r.Left) r.Right = r.Left;
            if (r.Bottom < r.Top) r.Bottom = r.Top;
            return 0;
        }
        case WM_NCHITTEST: {
            TPoint p(GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam));
            TRect wr;
            GetWindowRect(Wnd, &wr);
            if (!PtInRect(wr, p)) return HTNOWHERE;
            TPoint c = p;
            ScreenToClient(Wnd, &c);
            TRect cr;
            GetClientRect(Wnd, &cr);
            if (PtInRect(cr, c)) return HTCLIENT;
            if (rec->Bars[SB_VERT].Visible && c.X >= cr.Right) return HTVSCROLL;
            if (rec->Bars[SB_HORZ].Visible && c.Y >= cr.Bottom) return HTHSCROLL;
            return HTBORDER;
        }
        case WM_PAINT: {
            // Validates the window; BeginPaint lets the window erase its background.
            PAINTSTRUCT ps;
            BeginPaint(Wnd, &ps);
            EndPaint(Wnd, &ps);
            return 0;
        }
        case WM_IME_COMPOSITION:
            // The composed text arrives as characters.
            if (LParam & GCS_RESULTSTR) {
                AnsiString text = ImmGetResultString();
                for (unsigned char c : text) {
                    if (!IsWindow(Wnd)) break;
                    SendMessage(Wnd, WM_CHAR, c, 1);
                }
            }
            return 0;
        case WM_GETMINMAXINFO: return 0;
        case WM_NCPAINT:
            RequestDefaultFramePaint();
            return 0;
        case WM_SETTEXT: {
            const char* text = reinterpret_cast<const char*>(LParam);
            SetWindowText(Wnd, text ? text : "");
            return 1;
        }
        case WM_GETTEXT: {
            char* buffer = reinterpret_cast<char*>(LParam);
            if (!buffer || WParam == 0) return 0;
            size_t n = std::min<size_t>(rec->Text.size(), WParam - 1);
            std::memcpy(buffer, rec->Text.data(), n);
            buffer[n] = 0;
            return static_cast<LRESULT>(n);
        }
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(rec->Text.size());
        default:
            return 0;
    }
}

// ---------------------------------------------------------------- focus and activation

HWND GetFocus() { return WS().Focus; }

HWND SetFocus(HWND Wnd) {
    TWindowSystem& ws = WS();
    HWND old = ws.Focus;
    if (Wnd && !IsWindow(Wnd)) return nullptr;
    if (Wnd == old) return old;
    if (Wnd) {
        HWND top = GetTopLevelWindow(Wnd);
        if (top != ws.Active) {
            ActivateTopLevel(top);
            if (ws.Focus == Wnd) return old;
            old = ws.Focus;
        }
    }
    ws.Focus = Wnd;
    if (old && IsWindow(old)) SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(Wnd), 0);
    if (ws.Focus != Wnd) return old;  // a handler moved the focus on
    SetNativeFocus(Wnd);
    if (Wnd) SendMessage(Wnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND GetActiveWindow() { return WS().Active; }

HWND GetDesktopWindow() {
    static HWND desktop = AllocateHWnd(TWndMethod());
    return desktop;
}

HWND SetActiveWindow(HWND Wnd) {
    HWND old = WS().Active;
    if (Wnd && !IsWindow(Wnd)) return nullptr;
    ActivateTopLevel(Wnd ? GetTopLevelWindow(Wnd) : nullptr);
    return old;
}

HWND GetForegroundWindow() { return WS().Active; }

BOOL SetForegroundWindow(HWND Wnd) {
    SetActiveWindow(Wnd);
    return 1;
}

void NativeFocusIn(HWND Wnd) {
    if (!IsWindow(Wnd) || WS().Focus == Wnd) return;
    SetFocus(Wnd);
}

void NativeFocusOut(HWND Wnd, bool WindowDeactivated) {
    TWindowSystem& ws = WS();
    if (!WindowDeactivated || ws.Focus != Wnd) return;
    // The desktop took the activation away from the program.
    if (QApplication::activeWindow() == nullptr) ActivateTopLevel(nullptr);
}

// ---------------------------------------------------------------- capture

HWND GetCapture() { return WS().Capture; }

HWND SetCapture(HWND Wnd) {
    TWindowSystem& ws = WS();
    HWND old = ws.Capture;
    if (Wnd && !IsWindow(Wnd)) return old;
    if (old == Wnd) return old;
    ws.Capture = Wnd;
    if (old && IsWindow(old)) SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(Wnd));
    return old;
}

BOOL ReleaseCapture() {
    TWindowSystem& ws = WS();
    HWND old = ws.Capture;
    if (!old) return 1;
    ws.Capture = nullptr;
    if (IsWindow(old)) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return 1;
}

// ---------------------------------------------------------------- keyboard state

namespace {
void SetKeyDown(int vk, bool down) {
    BYTE& k = WS().Keys[vk & 0xFF];
    if (down) {
        if (!(k & 0x80)) k ^= 0x01;
        k |= 0x80;
    } else {
        k &= static_cast<BYTE>(~0x80);
    }
}
bool KeyDown(int vk) { return (WS().Keys[vk & 0xFF] & 0x80) != 0; }
}  // namespace

void TrackKey(int VirtKey, bool Down) {
    SetKeyDown(VirtKey, Down);
    switch (VirtKey) {
        case VK_LSHIFT:
        case VK_RSHIFT: SetKeyDown(VK_SHIFT, KeyDown(VK_LSHIFT) || KeyDown(VK_RSHIFT)); break;
        case VK_LCONTROL:
        case VK_RCONTROL: SetKeyDown(VK_CONTROL, KeyDown(VK_LCONTROL) || KeyDown(VK_RCONTROL)); break;
        case VK_LMENU:
        case VK_RMENU: SetKeyDown(VK_MENU, KeyDown(VK_LMENU) || KeyDown(VK_RMENU)); break;
        case VK_SHIFT:
            if (!Down) {
                SetKeyDown(VK_LSHIFT, false);
                SetKeyDown(VK_RSHIFT, false);
            }
            break;
        case VK_CONTROL:
            if (!Down) {
                SetKeyDown(VK_LCONTROL, false);
                SetKeyDown(VK_RCONTROL, false);
            }
            break;
        case VK_MENU:
            if (!Down) {
                SetKeyDown(VK_LMENU, false);
                SetKeyDown(VK_RMENU, false);
            }
            break;
        default: break;
    }
}

void TrackModifiers(bool Shift, bool Control, bool Alt) {
    struct {
        int generic, left, right;
        bool down;
    } mods[] = {{VK_SHIFT, VK_LSHIFT, VK_RSHIFT, Shift},
                {VK_CONTROL, VK_LCONTROL, VK_RCONTROL, Control},
                {VK_MENU, VK_LMENU, VK_RMENU, Alt}};
    for (auto& m : mods) {
        if (KeyDown(m.generic) == m.down) continue;
        if (m.down) {
            SetKeyDown(m.left, true);
            SetKeyDown(m.generic, true);
        } else {
            SetKeyDown(m.left, false);
            SetKeyDown(m.right, false);
            SetKeyDown(m.generic, false);
        }
    }
}

void TrackMouseButtons(bool Left, bool Right, bool Middle) {
    SetKeyDown(VK_LBUTTON, Left);
    SetKeyDown(VK_RBUTTON, Right);
    SetKeyDown(VK_MBUTTON, Middle);
}

short GetKeyState(int VirtKey) {
    BYTE k = WS().Keys[VirtKey & 0xFF];
    return static_cast<short>(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

short GetAsyncKeyState(int VirtKey) { return static_cast<short>(GetKeyState(VirtKey) & 0x8000); }

BOOL GetKeyboardState(BYTE* KeyState) {
    if (!KeyState) return 0;
    std::memcpy(KeyState, WS().Keys, 256);
    return 1;
}

BOOL SetKeyboardState(const BYTE* KeyState) {
    if (!KeyState) return 0;
    std::memcpy(WS().Keys, KeyState, 256);
    return 1;
}

// ---------------------------------------------------------------- timers and clock

uintptr_t SetTimer(HWND Wnd, uintptr_t IDEvent, UINT Elapse, void*) {
    TWindowSystem& ws = WS();
    if (Wnd && !IsWindow(Wnd)) return 0;
    UINT elapse = std::max<UINT>(Elapse, kMinTimerElapse);
    DWORD due = GetTickCount() + elapse;
    for (TTimerEntry& t : ws.Timers)
        if (t.Wnd == Wnd && t.Id == IDEvent) {
            t.Elapse = elapse;
            t.Due = due;
            ScheduleTimerWake();
            return IDEvent ? IDEvent : 1;
        }
    TTimerEntry t;
    t.Wnd = Wnd;
    t.Id = IDEvent;
    t.Elapse = elapse;
    t.Due = due;
    ws.Timers.push_back(t);
    ScheduleTimerWake();
    return IDEvent ? IDEvent : 1;
}

BOOL KillTimer(HWND Wnd, uintptr_t IDEvent) {
    TWindowSystem& ws = WS();
    auto it = std::find_if(ws.Timers.begin(), ws.Timers.end(),
                           [&](const TTimerEntry& t) { return t.Wnd == Wnd && t.Id == IDEvent; });
    if (it == ws.Timers.end()) return 0;
    ws.Timers.erase(it);
    // A tick already waiting would arrive after the timer is gone; drop it.
    ws.Queue.erase(std::remove_if(ws.Queue.begin(), ws.Queue.end(),
                                  [&](const TMsg& m) {
                                      return m.hwnd == Wnd && m.message == WM_TIMER && m.wParam == IDEvent;
                                  }),
                   ws.Queue.end());
    ScheduleTimerWake();
    return 1;
}

DWORD GetTickCount() {
    TWindowSystem& ws = WS();
    if (ws.Tick) return ws.Tick();
    if (!ws.Clock.isValid()) ws.Clock.start();
    // Start well above zero so that "long ago" stays representable.
    return static_cast<DWORD>(ws.Clock.elapsed() + 100000);
}

void SetTickSource(TTickSource Source) {
    WS().Tick = std::move(Source);
    // Timers keep their remaining time relative to the new clock.
    DWORD now = GetTickCount();
    for (TTimerEntry& t : WS().Timers) t.Due = now + t.Elapse;
    WS().LastPress.Valid = false;
    ScheduleTimerWake();
}

UINT GetDoubleClickTime() { return kDoubleClickTime; }

// ---------------------------------------------------------------- double clicks

UINT ClassifyButtonPress(HWND Wnd, int Button, TPoint ScreenPos, DWORD Time) {
    static const UINT down[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static const UINT dbl[3] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
    TWindowSystem& ws = WS();
    auto& last = ws.LastPress;
    TWndHandle* rec = HandleRecord(Wnd);
    bool wantsDouble = rec && (rec->ClassStyle & CS_DBLCLKS);
    if (last.Valid && last.Wnd == Wnd && last.Button == Button && Time - last.Time <= GetDoubleClickTime() &&
        std::abs(ScreenPos.X - last.Pos.X) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
        std::abs(ScreenPos.Y - last.Pos.Y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2) {
        last.Valid = false;
        return wantsDouble ? dbl[Button] : down[Button];
    }
    last.Wnd = Wnd;
    last.Button = Button;
    last.Time = Time;
    last.Pos = ScreenPos;
    last.Valid = true;
    return down[Button];
}

void ResetDoubleClickTracking() { WS().LastPress.Valid = false; }

// ---------------------------------------------------------------- caret

BOOL CreateCaret(HWND Wnd, HBITMAP, int Width, int Height) {
    if (!IsWindow(Wnd)) return 0;
    TWindowSystem& ws = WS();
    InvalidateCaret();
    ws.Caret.Owner = Wnd;
    ws.Caret.Rect = TRect(ws.Caret.Rect.Left, ws.Caret.Rect.Top, ws.Caret.Rect.Left + std::max(1, Width),
                          ws.Caret.Rect.Top + std::max(1, Height));
    if (Width <= 0) ws.Caret.Rect.Right = ws.Caret.Rect.Left + 1;
    ws.Caret.HideCount = 1;
    ws.Caret.Visible = false;
    return 1;
}

BOOL DestroyCaret() {
    TWindowSystem& ws = WS();
    if (!ws.Caret.Owner) return 0;
    InvalidateCaret();
    ws.Caret = TCaretState();
    return 1;
}

BOOL ShowCaret(HWND Wnd) {
    TWindowSystem& ws = WS();
    if (!ws.Caret.Owner || (Wnd && Wnd != ws.Caret.Owner)) return 0;
    if (ws.Caret.HideCount > 0) --ws.Caret.HideCount;
    ws.Caret.Visible = ws.Caret.HideCount == 0;
    InvalidateCaret();
    return 1;
}

BOOL HideCaret(HWND Wnd) {
    TWindowSystem& ws = WS();
    if (!ws.Caret.Owner || (Wnd && Wnd != ws.Caret.Owner)) return 0;
    InvalidateCaret();
    ++ws.Caret.HideCount;
    ws.Caret.Visible = false;
    return 1;
}

BOOL SetCaretPos(int X, int Y) {
    TWindowSystem& ws = WS();
    if (!ws.Caret.Owner) return 0;
    if (ws.Caret.Rect.Left == X && ws.Caret.Rect.Top == Y) return 1;
    InvalidateCaret();
    OffsetRect(&ws.Caret.Rect, X - ws.Caret.Rect.Left, Y - ws.Caret.Rect.Top);
    InvalidateCaret();
    return 1;
}

BOOL GetCaretPos(TPoint* Point) {
    if (!Point) return 0;
    *Point = WS().Caret.Rect.TopLeft();
    return 1;
}

UINT GetCaretBlinkTime() { return 530; }

TCaretState GetCaretState() { return WS().Caret; }

// ---------------------------------------------------------------- window menu

namespace {
std::set<const TWindowMenu*>& LiveWindowMenus() {
    static std::set<const TWindowMenu*> menus;
    return menus;
}
bool IsLiveMenu(HMENU Menu) { return Menu && LiveWindowMenus().count(Menu) > 0; }

void ResetWindowMenu(TWindowMenu& Menu) {
    Menu.States.clear();
    for (UINT command : {SC_SIZE, SC_MOVE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE, SC_RESTORE}) Menu.States[command] = MF_ENABLED;
}
}  // namespace

TWindowMenu::TWindowMenu() { LiveWindowMenus().insert(this); }
TWindowMenu::~TWindowMenu() { LiveWindowMenus().erase(this); }

HMENU GetSystemMenu(HWND Wnd, BOOL Revert) {
    TWndHandle* rec = HandleRecord(Wnd);
    if (!rec || rec->Parent) return nullptr;
    if (!rec->WindowMenu) {
        rec->WindowMenu = std::make_unique<TWindowMenu>();
        ResetWindowMenu(*rec->WindowMenu);
    }
    if (Revert) {
        ResetWindowMenu(*rec->WindowMenu);
        return nullptr;
    }
    return rec->WindowMenu.get();
}

UINT EnableMenuItem(HMENU Menu, UINT IDEnableItem, UINT Enable) {
    if (!IsLiveMenu(Menu)) return 0xFFFFFFFFu;
    auto it = Menu->States.find(IDEnableItem);
    if (it == Menu->States.end()) return 0xFFFFFFFFu;
    const UINT before = it->second;
    it->second = Enable & (MF_GRAYED | MF_DISABLED);
    return before;
}

UINT GetMenuState(HMENU Menu, UINT Id, UINT) {
    if (!IsLiveMenu(Menu)) return 0xFFFFFFFFu;
    auto it = Menu->States.find(Id);
    return it == Menu->States.end() ? 0xFFFFFFFFu : it->second;
}

// ---------------------------------------------------------------- metrics

int GetSystemMetrics(int Index) {
    switch (Index) {
        case SM_CXSCREEN:
        case SM_CYSCREEN: {
            TMonitorInfo m = GetMonitorInfoAt(0);
            return Index == SM_CXSCREEN ? m.Monitor.Width() : m.Monitor.Height();
        }
        case SM_CXFULLSCREEN:
        case SM_CYFULLSCREEN: {
            TMonitorInfo m = GetMonitorInfoAt(0);
            return Index == SM_CXFULLSCREEN ? m.WorkArea.Width() : m.WorkArea.Height() - 19;
        }
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
        case SM_CYVSCROLL:
        case SM_CXHSCROLL:
        case SM_CYVTHUMB:
        case SM_CXHTHUMB: return 17;
        case SM_CYCAPTION: return 19;
        case SM_CXBORDER:
        case SM_CYBORDER: return 1;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME: return 3;
        case SM_CXFRAME:
        case SM_CYFRAME: return 4;
        case SM_CXEDGE:
        case SM_CYEDGE: return 2;
        case SM_CXICON:
        case SM_CYICON:
        case SM_CXCURSOR:
        case SM_CYCURSOR: return 32;
        case SM_CXSMICON:
        case SM_CYSMICON: return 16;
        case SM_CYMENU: return 19;
        case SM_CXMIN: return 112;
        case SM_CYMIN: return 27;
        case SM_CXSIZE:
        case SM_CYSIZE: return 18;
        case SM_CXDOUBLECLK:
        case SM_CYDOUBLECLK:
        case SM_CXDRAG:
        case SM_CYDRAG: return 4;
        case SM_SWAPBUTTON: return 0;
        case SM_CMONITORS: return GetMonitorCount();
        default: return 0;
    }
}

BOOL SystemParametersInfo(UINT Action, UINT, void* PvParam, UINT) {
    if (!PvParam) return 0;
    switch (Action) {
        case SPI_GETWORKAREA: *static_cast<TRect*>(PvParam) = GetMonitorInfoAt(0).WorkArea; return 1;
        case SPI_GETWHEELSCROLLLINES: *static_cast<UINT*>(PvParam) = 3; return 1;
        case SPI_GETKEYBOARDDELAY: *static_cast<int*>(PvParam) = 1; return 1;
        case SPI_GETKEYBOARDSPEED: *static_cast<DWORD*>(PvParam) = 31; return 1;
        default: return 0;
    }
}

int GetMonitorCount() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return 1;
    return std::max<int>(1, static_cast<int>(QGuiApplication::screens().size()));
}

TMonitorInfo GetMonitorInfoAt(int Index) {
    TMonitorInfo info;
    info.Monitor = TRect(0, 0, 1024, 768);
    info.WorkArea = info.Monitor;
    info.Primary = Index == 0;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return info;
    QList<QScreen*> screens = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    if (screens.isEmpty() || !primary) return info;
    // The primary screen comes first.
    screens.removeAll(primary);
    screens.prepend(primary);
    if (Index < 0 || Index >= screens.size()) Index = 0;
    QScreen* s = screens[Index];
    QRect g = s->geometry();
    QRect w = s->availableGeometry();
    info.Monitor = TRect(g.left(), g.top(), g.left() + g.width(), g.top() + g.height());
    info.WorkArea = TRect(w.left(), w.top(), w.left() + w.width(), w.top() + w.height());
    info.Primary = s == primary;
    return info;
}

int MonitorIndexFromRect(const TRect& Rect) {
    int best = 0;
    long bestArea = -1;
    int count = GetMonitorCount();
    for (int i = 0; i < count; ++i) {
        TRect r;
        if (IntersectRect(&r, Rect, GetMonitorInfoAt(i).Monitor)) {
            long area = static_cast<long>(r.Width()) * r.Height();
            if (area > bestArea) {
                bestArea = area;
                best = i;
            }
        }
    }
    if (bestArea >= 0) return best;
    return MonitorIndexFromPoint(TPoint((Rect.Left + Rect.Right) / 2, (Rect.Top + Rect.Bottom) / 2));
}

int MonitorIndexFromPoint(TPoint Point) {
    int best = 0;
    long bestDistance = -1;
    int count = GetMonitorCount();
    for (int i = 0; i < count; ++i) {
        TRect m = GetMonitorInfoAt(i).Monitor;
        long dx = Point.X < m.Left ? m.Left - Point.X : Point.X >= m.Right ? Point.X - m.Right + 1 : 0;
        long dy = Point.Y < m.Top ? m.Top - Point.Y : Point.Y >= m.Bottom ? Point.Y - m.Bottom + 1 : 0;
        long d = dx * dx + dy * dy;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

// ---------------------------------------------------------------- handle table helpers

void RegisterLiveHandle(HWND Wnd) { WS().Live.insert(Wnd); }

void ChildWindows(HWND Parent, std::vector<HWND>& Out) {
    for (HWND h : WS().Live)
        if (h->Parent == Parent && !h->Destroyed) Out.push_back(h);
}

// The window to activate when the active one goes away: the last active one
// still shown.
HWND NextActivationCandidate(HWND Except) {
    for (HWND h : WS().ActivationHistory)
        if (h != Except && IsWindowVisible(h) && IsWindowEnabled(h)) return h;
    return nullptr;
}
