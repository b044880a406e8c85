#pragma once
// Insides of the window system, shared by the windowing sources of platform/gui:
// the record behind a window handle and the bridge to the native widgets.
#include <QImage>
#include <functional>
#include <map>
#include <memory>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <vector>

#include "platform/gui/WinApi.h"

class QPainter;
class QCursor;
class QScrollBar;
class QPaintEvent;
class QEvent;
class TWinControl;

struct TScrollBarData {
    int Min = 0;
    int Max = 0;
    UINT Page = 0;
    int Pos = 0;
    int TrackPos = 0;
    bool Tracking = false;
    bool Visible = false;
    bool Enabled = true;
    QScrollBar* Widget = nullptr;
};

// Listed while alive, so that a handle kept beyond its window is refused.
struct TWindowMenu {
    TWindowMenu();
    ~TWindowMenu();
    TWindowMenu(const TWindowMenu&) = delete;
    TWindowMenu& operator=(const TWindowMenu&) = delete;
    std::map<UINT, UINT> States;  // command -> MF_GRAYED / MF_DISABLED bits
};

struct TWndHandle {
    TWndMethod Proc;
    HWND Parent = nullptr;          // the parent of a child window
    QPointer<QWidget> Frame;        // the whole window: border and scroll bars
    QPointer<QWidget> Client;       // the client area: painting and input (== Frame for a wrapped widget)
    bool Wrapped = false;           // a widget of Qt's own, not drawn by us
    bool FixedSize = false;         // a top-level window the user cannot size
    bool MessageOnly = false;       // AllocateHWnd
    DWORD Style = 0;
    DWORD ExStyle = 0;
    UINT ClassStyle = 0;
    TRect Bounds;                   // parent client coordinates; screen for top level
    TRect ClientInFrame;            // the client area within the frame
    TSize LastClientSize{-1, -1};   // as last announced by WM_SIZE
    TScrollBarData Bars[2];         // SB_HORZ, SB_VERT
    TPoint MinPosition{-1, -1};     // placement positions kept for round trips
    TPoint MaxPosition{-1, -1};
    bool Destroyed = false;
    bool Enabled = true;
    bool Shown = false;             // ShowWindow state of this window itself
    int ShowState = SW_SHOWNORMAL;  // normal, minimised or maximised
    TRect NormalBounds;             // bounds in the normal state
    // The client area's pixels: WM_PAINT draws into them, the widget shows
    // them. Invalid is what the next paint pass redraws.
    QImage Backing;
    QRegion Invalid;
    bool InPaint = false;
    HDC PaintDC = nullptr;          // during WM_PAINT (BeginPaint)
    QRegion PaintRegion;
    QPainter* Painter = nullptr;
    QPainter* FramePainter = nullptr;  // during WM_NCPAINT
    std::vector<HDC> WindowDCs;     // GetDC contexts not yet released
    QPainter* DCPainter = nullptr;  // the painter they share on the pixels
    int LayoutDepth = 0;
    std::string Text;
    // A window whose minimised and maximised state this one reports (the
    // application window answers for the main form).
    std::function<HWND()> StateSource;
    std::unique_ptr<TWindowMenu> WindowMenu;  // made by the first GetSystemMenu
};

// The live record behind a handle, or nullptr.
TWndHandle* HandleRecord(HWND Wnd);
// The handle a widget (frame, client or scroll bar) belongs to.
HWND HandleFromWidget(const QObject* Widget);
// The widget a control may wrap: the window uses it as frame and client, and
// its own processing is what DefaultHandler runs.
HWND CreateWrappedWindowHandle(const TCreateParams& Params, TWndMethod Proc, QWidget* Widget);
// Lets the wrapped widget handle the native event the current message came from.
// Returns false when the message did not come from a native event.
bool PassToNativeWidget(HWND Wnd, UINT Msg);

// The bridge: native events of our widgets become messages.
void InstallEventBridge(QWidget* Widget, HWND Wnd);
void RemoveEventBridge(QWidget* Widget);
// Recomputes the frame layout (border, bars, client) after a change of size,
// style or bar visibility; sends WM_SIZE when the client size changed.
void LayoutWindowFrame(HWND Wnd);
void SyncScrollBarWidget(HWND Wnd, int Bar);
void DrawCaretIfOwned(HWND Wnd, QPainter& Painter);
void InvalidateCaret();
// DefWindowProc's part of WM_NCPAINT: the border and the box between the bars
// are drawn once the message returns.
void RequestDefaultFramePaint();
// Applies a cursor to the widget of a window.
void ApplyCursor(HWND Wnd, HCURSOR Cursor);
// Focus bookkeeping when the native focus moved by itself (a click on a wrapped
// widget, window activation by the desktop).
void NativeFocusIn(HWND Wnd);
void NativeFocusOut(HWND Wnd, bool WindowDeactivated);
// FromUs: we activated it and the native window should follow; otherwise the
// desktop activated it.
void NativeActivated(HWND TopLevel, bool FromUs);
void ForgetActivationRequests();
// Tracked keyboard state updates from input.
void TrackKey(int VirtKey, bool Down);
void TrackModifiers(bool Shift, bool Control, bool Alt);
void TrackMouseButtons(bool Left, bool Right, bool Middle);
// Message time and position of the input being translated.
void SetCurrentMessageInfo(DWORD Time, TPoint ScreenPos);
void TrackCursorPosition(TPoint ScreenPos);
// Runs the installed processor (Application) for an input or queued message.
bool ProcessInputMessage(TMsg& Msg);
// Applies the show state of a top-level window to its widget.
void ApplyShowState(HWND Wnd, int CmdShow);
// Mouse button double-click synthesis: turns a press into a double-click
// message when it follows the previous press closely enough.
UINT ClassifyButtonPress(HWND Wnd, int Button, TPoint ScreenPos, DWORD Time);
void ResetDoubleClickTracking();
// A repaint of the whole client area of a window and its children.
void RepaintNow(HWND Wnd);
// Gives back every context GetDC handed out for the window (canvases first).
void ReleaseWindowDCs(HWND Wnd);
void RegisterLiveHandle(HWND Wnd);
void ChildWindows(HWND Parent, std::vector<HWND>& Out);
HWND NextActivationCandidate(HWND Except);
QScrollBar* ScrollBarWidget(HWND Wnd, int Bar);
void SetNativeFocus(HWND Wnd);
// Runs the paint pass of a window into its pixels when part of it is invalid
// (also for a hidden window), and returns them.
const QImage& PaintWindowPixels(HWND Wnd);
