#pragma once
// The window system under the controls: window handles, sent and posted
// messages, focus, capture, keyboard state, timers, the caret, per-window
// scroll bars, cursors, system metrics and window placement. Each handle is
// backed by a native widget; the calls keep the Win32 names and rules that the
// controls are written against.
#include <functional>

#include "platform/gui/GdiTypes.h"
#include "platform/gui/Messages.h"
#include "platform/rtl/Delegate.h"

// A window procedure bound to an object: the control's WindowProc, or the
// method given to AllocateHWnd.
using TWndMethod = Delegate<void(TMessage&)>;

// Window styles.
enum : DWORD {
    WS_OVERLAPPED = 0x00000000,
    WS_POPUP = 0x80000000,
    WS_CHILD = 0x40000000,
    WS_MINIMIZE = 0x20000000,
    WS_VISIBLE = 0x10000000,
    WS_DISABLED = 0x08000000,
    WS_CLIPSIBLINGS = 0x04000000,
    WS_CLIPCHILDREN = 0x02000000,
    WS_MAXIMIZE = 0x01000000,
    WS_CAPTION = 0x00C00000,
    WS_BORDER = 0x00800000,
    WS_DLGFRAME = 0x00400000,
    WS_VSCROLL = 0x00200000,
    WS_HSCROLL = 0x00100000,
    WS_SYSMENU = 0x00080000,
    WS_THICKFRAME = 0x00040000,
    WS_SIZEBOX = 0x00040000,
    WS_GROUP = 0x00020000,
    WS_TABSTOP = 0x00010000,
    WS_MINIMIZEBOX = 0x00020000,
    WS_MAXIMIZEBOX = 0x00010000,
    WS_OVERLAPPEDWINDOW = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
};
enum : DWORD {
    WS_EX_DLGMODALFRAME = 0x00000001,
    WS_EX_TOPMOST = 0x00000008,
    WS_EX_TRANSPARENT = 0x00000020,
    WS_EX_TOOLWINDOW = 0x00000080,
    WS_EX_WINDOWEDGE = 0x00000100,
    WS_EX_CLIENTEDGE = 0x00000200,
    WS_EX_CONTROLPARENT = 0x00010000,
    WS_EX_STATICEDGE = 0x00020000,
    WS_EX_APPWINDOW = 0x00040000,
    WS_EX_NOACTIVATE = 0x08000000,
};
// Edit-control styles the controls test.
enum : DWORD {
    ES_LEFT = 0x0000,
    ES_CENTER = 0x0001,
    ES_RIGHT = 0x0002,
    ES_MULTILINE = 0x0004,
    ES_UPPERCASE = 0x0008,
    ES_LOWERCASE = 0x0010,
    ES_PASSWORD = 0x0020,
    ES_AUTOVSCROLL = 0x0040,
    ES_AUTOHSCROLL = 0x0080,
    ES_NOHIDESEL = 0x0100,
    ES_READONLY = 0x0800,
    ES_WANTRETURN = 0x1000,
};
// Window class styles.
enum : UINT {
    CS_VREDRAW = 0x0001,
    CS_HREDRAW = 0x0002,
    CS_DBLCLKS = 0x0008,
    CS_SAVEBITS = 0x0800,
    CS_DROPSHADOW = 0x00020000,
};

// What a control asks of the window it is about to get.
struct TCreateParams {
    const char* Caption = "";
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    UINT ClassStyle = CS_DBLCLKS;  // the window class's style (CS_DBLCLKS, ...)
    char WinClassName[64] = {};
};

// Creates a window backed by a plain native widget of our own. WndParent is the
// parent window for WS_CHILD; a window without WS_CHILD is top level, and a
// popup (WS_POPUP) stays above the window WndParent names, when it has one.
HWND CreateWindowHandle(const TCreateParams& Params, TWndMethod Proc);
// A window without a native widget that only receives messages.
HWND AllocateHWnd(TWndMethod Method);
void DeallocateHWnd(HWND Wnd);
BOOL DestroyWindow(HWND Wnd);
bool IsWindow(HWND Wnd);
// Replaces the window procedure (the handle's own method, not a control's WindowProc).
void SetWindowProc(HWND Wnd, TWndMethod Proc);
TWndMethod GetWindowProc(HWND Wnd);

// Sent messages run the window procedure at once; exceptions raised there are
// handed to the exception handler installed below, never to the caller.
LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
// The procedure the window system falls back on: it passes what a window does
// not handle to its parent (wheel, context menu, cursor) and does nothing else.
LRESULT DefWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
// Posted messages wait in one queue served by the native event loop. A null
// window makes a thread message (WM_QUIT).
BOOL PostMessage(HWND Wnd, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
void PostQuitMessage(int ExitCode);
// Looks for the first queued message for Wnd (any window when null) whose number
// lies in [MsgFilterMin, MsgFilterMax] (all when both are 0); PM_REMOVE takes it out.
BOOL PeekMessage(TMsg* Msg, HWND Wnd, UINT MsgFilterMin, UINT MsgFilterMax, UINT RemoveMsg);
// Runs the window procedure of a queued message.
LRESULT DispatchMessage(const TMsg& Msg);
// Number of queued messages (tests).
int QueuedMessageCount();

// Where queued and input messages go once they are taken: the application
// installs its message processing (OnMessage, key and dialog handling). It
// returns true when the message was translated and dispatched normally, so that
// a key message may produce its characters.
using TMessageProcessor = Delegate<bool(TMsg&)>;
void SetMessageProcessor(TMessageProcessor Processor);
// Called from inside a catch block with the exception of a dispatch.
using TExceptionHandler = std::function<void()>;
void SetDispatchExceptionHandler(TExceptionHandler Handler);
// Runs Fn and hands any exception to the dispatch exception handler.
void ProtectedCall(const std::function<void()>& Fn);

// One pass of the message loop: fires due timers, then handles one queued
// message, or else the native events pending (waiting for one when Wait).
// Returns true when something was handled.
bool PumpMessages(bool Wait);

// The time and cursor position of the message being processed.
DWORD GetMessageTime();
DWORD GetMessagePos();

// Geometry. Rectangles are in the parent's client coordinates (screen
// coordinates for top-level windows); the client area excludes the border and
// the scroll bars.
BOOL MoveWindow(HWND Wnd, int X, int Y, int Width, int Height, BOOL Repaint = 1);
enum : UINT {
    SWP_NOSIZE = 0x0001,
    SWP_NOMOVE = 0x0002,
    SWP_NOZORDER = 0x0004,
    SWP_NOREDRAW = 0x0008,
    SWP_NOACTIVATE = 0x0010,
    SWP_FRAMECHANGED = 0x0020,
    SWP_SHOWWINDOW = 0x0040,
    SWP_HIDEWINDOW = 0x0080,
    SWP_NOOWNERZORDER = 0x0200,
};
extern const HWND HWND_TOP;
extern const HWND HWND_BOTTOM;
extern const HWND HWND_TOPMOST;
extern const HWND HWND_NOTOPMOST;
BOOL SetWindowPos(HWND Wnd, HWND InsertAfter, int X, int Y, int Cx, int Cy, UINT Flags);
BOOL GetWindowRect(HWND Wnd, TRect* Rect);  // screen coordinates
BOOL GetClientRect(HWND Wnd, TRect* Rect);  // (0, 0, client width, client height)
BOOL ClientToScreen(HWND Wnd, TPoint* Point);
BOOL ScreenToClient(HWND Wnd, TPoint* Point);
int MapWindowPoints(HWND From, HWND To, TPoint* Points, UINT Count);
HWND GetParent(HWND Wnd);
HWND SetParent(HWND Child, HWND NewParent);
bool IsChild(HWND Parent, HWND Wnd);
HWND GetTopLevelWindow(HWND Wnd);
// The deepest visible window of ours under a screen point.
HWND WindowFromPoint(TPoint Point);
// Re-reads the border styles and recomputes the client area (WM_NCCALCSIZE,
// then WM_SIZE when the client size changed).
void UpdateWindowFrame(HWND Wnd);

// Styles (GWL_STYLE, GWL_EXSTYLE); WS_VSCROLL and WS_HSCROLL follow the bars.
enum : int { GWL_EXSTYLE = -20, GWL_STYLE = -16, GWL_ID = -12 };
LONG GetWindowLong(HWND Wnd, int Index);
LONG SetWindowLong(HWND Wnd, int Index, LONG NewLong);

// Showing and enabling.
enum : int {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_NORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_MAXIMIZE = 3,
    SW_SHOWNOACTIVATE = 4,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_SHOWMINNOACTIVE = 7,
    SW_SHOWNA = 8,
    SW_RESTORE = 9,
    SW_SHOWDEFAULT = 10,
};
BOOL ShowWindow(HWND Wnd, int CmdShow);
bool IsWindowVisible(HWND Wnd);  // the window and all its parents are shown
BOOL EnableWindow(HWND Wnd, BOOL Enable);
bool IsWindowEnabled(HWND Wnd);
bool IsIconic(HWND Wnd);
bool IsZoomed(HWND Wnd);
BOOL SetWindowText(HWND Wnd, const char* Text);
// The window region: the window keeps only the pixels inside it (size grips).
int SetWindowRgn(HWND Wnd, HRGN Rgn, BOOL Redraw);

// The desktop: a parent window for popups that belong to no form.
HWND GetDesktopWindow();

// Activation of top-level windows.
HWND GetActiveWindow();
HWND SetActiveWindow(HWND Wnd);
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND Wnd);

// Painting: invalid areas are repainted by WM_PAINT in the next event-loop pass
// (UpdateWindow repaints at once).
BOOL InvalidateRect(HWND Wnd, const TRect* Rect, BOOL Erase);
BOOL ValidateRect(HWND Wnd, const TRect* Rect);
BOOL UpdateWindow(HWND Wnd);
enum : UINT {
    RDW_INVALIDATE = 0x0001,
    RDW_ERASE = 0x0004,
    RDW_FRAME = 0x0400,
    RDW_UPDATENOW = 0x0100,
    RDW_ALLCHILDREN = 0x0080,
    RDW_NOCHILDREN = 0x0040,
};
BOOL RedrawWindow(HWND Wnd, const TRect* Update, HRGN Region, UINT Flags);
// Scrolling invalidates the area that moves (a repaint is as good as a copy here).
BOOL ScrollWindow(HWND Wnd, int Dx, int Dy, const TRect* Rect, const TRect* ClipRect);
enum : UINT { SW_SCROLLCHILDREN = 0x0001, SW_INVALIDATE = 0x0002, SW_ERASE = 0x0004 };
int ScrollWindowEx(HWND Wnd, int Dx, int Dy, const TRect* Scroll, const TRect* Clip, HRGN Update, TRect* UpdateRect,
                   UINT Flags);
BOOL GetUpdateRect(HWND Wnd, TRect* Rect, BOOL Erase);
// Each window keeps its client pixels: WM_PAINT redraws the invalid part of
// them (BeginPaint gives its device context), and GetDC draws on them at any
// time, shown at the next pass of the event loop. GetDC(nullptr) measures
// only; GetWindowDC draws on the border only while WM_NCPAINT is handled.
struct PAINTSTRUCT {
    HDC hdc = nullptr;
    BOOL fErase = 0;
    TRect rcPaint;
};
HDC BeginPaint(HWND Wnd, PAINTSTRUCT* Paint);
BOOL EndPaint(HWND Wnd, const PAINTSTRUCT* Paint);
HDC GetDC(HWND Wnd);
HDC GetWindowDC(HWND Wnd);
int ReleaseDC(HWND Wnd, HDC Dc);
// Called before a paint pass of Wnd, so that whoever holds contexts from
// GetDC on it gives them back first.
void SetWindowDCsReleaseHook(void (*Hook)(HWND Wnd));

// Keyboard focus: WM_KILLFOCUS and WM_SETFOCUS carry the other window.
HWND SetFocus(HWND Wnd);
HWND GetFocus();

// Mouse capture: every mouse message goes to the capturing window. Taking it
// away sends WM_CAPTURECHANGED (and WM_CANCELMODE when lost to another window).
HWND SetCapture(HWND Wnd);
BOOL ReleaseCapture();
HWND GetCapture();

// Keyboard state as tracked from the input: bit 0x80 down, bit 0x01 toggled.
short GetKeyState(int VirtKey);
short GetAsyncKeyState(int VirtKey);
BOOL GetKeyboardState(BYTE* KeyState);  // 256 bytes
BOOL SetKeyboardState(const BYTE* KeyState);

// Timers: WM_TIMER with the id in wParam, at most one waiting per timer.
uintptr_t SetTimer(HWND Wnd, uintptr_t IDEvent, UINT Elapse, void* TimerFunc = nullptr);
BOOL KillTimer(HWND Wnd, uintptr_t IDEvent);
// The tick count in milliseconds; tests replace its source and advance it.
DWORD GetTickCount();
using TTickSource = std::function<DWORD()>;
void SetTickSource(TTickSource Source);  // empty = the monotonic clock
UINT GetDoubleClickTime();                // 500

// The caret: one per program. CreateCaret starts it hidden; ShowCaret and
// HideCaret count as in Win32 (shown at count 0). It is drawn by us, inverted,
// on top of the owner's painting.
BOOL CreateCaret(HWND Wnd, HBITMAP Bitmap, int Width, int Height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND Wnd);
BOOL HideCaret(HWND Wnd);
BOOL SetCaretPos(int X, int Y);
BOOL GetCaretPos(TPoint* Point);
UINT GetCaretBlinkTime();
struct TCaretState {
    HWND Owner = nullptr;
    TRect Rect;
    int HideCount = 0;
    bool Visible = false;  // owner set and count 0
};
TCaretState GetCaretState();

// The window menu of a top-level window. The desktop shows it, so only the
// state of its commands is kept here, for code that greys them as it opens
// (WM_INITMENUPOPUP with a non-zero high word of lParam).
struct TWindowMenu;
using HMENU = TWindowMenu*;
enum : UINT { MF_BYCOMMAND = 0, MF_ENABLED = 0, MF_GRAYED = 1, MF_DISABLED = 2 };
// Revert puts every command back to enabled and answers nullptr.
HMENU GetSystemMenu(HWND Wnd, BOOL Revert);
// Each answers the command's state before the call, 0xFFFFFFFF when the menu has no such command.
UINT EnableMenuItem(HMENU Menu, UINT IDEnableItem, UINT Enable);
UINT GetMenuState(HMENU Menu, UINT Id, UINT Flags);

// Scroll bars of a window (SB_HORZ, SB_VERT).
struct SCROLLINFO {
    UINT cbSize = sizeof(SCROLLINFO);
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};
int SetScrollInfo(HWND Wnd, int Bar, const SCROLLINFO* Info, BOOL Redraw);
BOOL GetScrollInfo(HWND Wnd, int Bar, SCROLLINFO* Info);
int SetScrollPos(HWND Wnd, int Bar, int Pos, BOOL Redraw);
int GetScrollPos(HWND Wnd, int Bar);
BOOL SetScrollRange(HWND Wnd, int Bar, int MinPos, int MaxPos, BOOL Redraw);
BOOL GetScrollRange(HWND Wnd, int Bar, int* MinPos, int* MaxPos);
BOOL ShowScrollBar(HWND Wnd, int Bar, BOOL Show);
BOOL EnableScrollBar(HWND Wnd, UINT SBFlags, UINT Arrows);
// What the native bar shows (tests): visible, enabled.
bool IsScrollBarVisible(HWND Wnd, int Bar);
bool IsScrollBarEnabled(HWND Wnd, int Bar);

// Cursors. Standard cursors by IDC_ id; the drawn resource cursors come from
// the graphics resources.
enum : uintptr_t {
    IDC_ARROW = 32512,
    IDC_IBEAM = 32513,
    IDC_WAIT = 32514,
    IDC_CROSS = 32515,
    IDC_UPARROW = 32516,
    IDC_SIZENWSE = 32642,
    IDC_SIZENESW = 32643,
    IDC_SIZEWE = 32644,
    IDC_SIZENS = 32645,
    IDC_SIZEALL = 32646,
    IDC_NO = 32648,
    IDC_HAND = 32649,
    IDC_APPSTARTING = 32650,
    IDC_HELP = 32651,
    // Ours: the split and drag shapes have no IDC_ in Win32 but a native shape here.
    IDC_HSPLIT_ = 0x7F10,
    IDC_VSPLIT_ = 0x7F11,
    IDC_DRAG_ = 0x7F12,
    IDC_MULTIDRAG_ = 0x7F13,
    IDC_NODROP_ = 0x7F14,
};
HCURSOR LoadStandardCursor(uintptr_t IdcId);
// Sets the cursor of the window whose WM_SETCURSOR is being handled (or the
// window under the mouse); returns the previous one.
HCURSOR SetCursor(HCURSOR Cursor);
HCURSOR GetCursor();
BOOL GetCursorPos(TPoint* Point);
BOOL SetCursorPos(int X, int Y);

// Fixed metrics, so that layouts are the same everywhere.
enum : int {
    SM_CXSCREEN = 0,
    SM_CYSCREEN = 1,
    SM_CXVSCROLL = 2,
    SM_CYHSCROLL = 3,
    SM_CYCAPTION = 4,
    SM_CXBORDER = 5,
    SM_CYBORDER = 6,
    SM_CXDLGFRAME = 7,
    SM_CYDLGFRAME = 8,
    SM_CYVTHUMB = 9,
    SM_CXHTHUMB = 10,
    SM_CXICON = 11,
    SM_CYICON = 12,
    SM_CXCURSOR = 13,
    SM_CYCURSOR = 14,
    SM_CYMENU = 15,
    SM_CXFULLSCREEN = 16,
    SM_CYFULLSCREEN = 17,
    SM_CYVSCROLL = 20,
    SM_CXHSCROLL = 21,
    SM_SWAPBUTTON = 23,
    SM_CXMIN = 28,
    SM_CYMIN = 29,
    SM_CXSIZE = 30,
    SM_CYSIZE = 31,
    SM_CXFRAME = 32,
    SM_CYFRAME = 33,
    SM_CXDOUBLECLK = 36,
    SM_CYDOUBLECLK = 37,
    SM_CXEDGE = 45,
    SM_CYEDGE = 46,
    SM_CXSMICON = 49,
    SM_CYSMICON = 50,
    SM_CXDRAG = 68,
    SM_CYDRAG = 69,
    SM_CMONITORS = 80,
};
int GetSystemMetrics(int Index);
enum : UINT {
    SPI_GETWORKAREA = 0x0030,
    SPI_GETWHEELSCROLLLINES = 0x0068,
    SPI_GETKEYBOARDDELAY = 0x0016,
    SPI_GETKEYBOARDSPEED = 0x000A,
};
BOOL SystemParametersInfo(UINT Action, UINT Param, void* PvParam, UINT WinIni);

// Monitors: the screens' rectangles and work areas.
struct TMonitorInfo {
    TRect Monitor;
    TRect WorkArea;
    bool Primary = false;
};
int GetMonitorCount();
TMonitorInfo GetMonitorInfoAt(int Index);
int MonitorIndexFromRect(const TRect& Rect);  // the one it overlaps most, else the nearest
int MonitorIndexFromPoint(TPoint Point);

// Placement of a top-level window. rcNormalPosition is the window's position
// and client size in its normal state (the frame drawn by the desktop is not
// counted), so that storing and restoring it never grows the window.
enum : UINT { WPF_SETMINPOSITION = 1, WPF_RESTORETOMAXIMIZED = 2 };
struct WINDOWPLACEMENT {
    UINT length = 44;
    UINT flags = 0;
    UINT showCmd = 0;
    TPoint ptMinPosition{-1, -1};
    TPoint ptMaxPosition{-1, -1};
    TRect rcNormalPosition;
};
BOOL GetWindowPlacement(HWND Wnd, WINDOWPLACEMENT* Placement);
BOOL SetWindowPlacement(HWND Wnd, const WINDOWPLACEMENT* Placement);

// The size limits of a top-level window, asked with WM_GETMINMAXINFO before it
// is shown and whenever UpdateMinMaxInfo is called.
struct MINMAXINFO {
    TPoint ptReserved;
    TPoint ptMaxSize;
    TPoint ptMaxPosition;
    TPoint ptMinTrackSize;
    TPoint ptMaxTrackSize;
};
void UpdateMinMaxInfo(HWND Wnd);

// MessageBeep kinds.
enum : UINT {
    MB_OK = 0x00000000,
    MB_OKCANCEL = 0x00000001,
    MB_ABORTRETRYIGNORE = 0x00000002,
    MB_YESNOCANCEL = 0x00000003,
    MB_YESNO = 0x00000004,
    MB_RETRYCANCEL = 0x00000005,
    MB_ICONHAND = 0x00000010,
    MB_ICONERROR = 0x00000010,
    MB_ICONSTOP = 0x00000010,
    MB_ICONQUESTION = 0x00000020,
    MB_ICONEXCLAMATION = 0x00000030,
    MB_ICONWARNING = 0x00000030,
    MB_ICONASTERISK = 0x00000040,
    MB_ICONINFORMATION = 0x00000040,
    MB_DEFBUTTON1 = 0x00000000,
    MB_DEFBUTTON2 = 0x00000100,
    MB_DEFBUTTON3 = 0x00000200,
    MB_APPLMODAL = 0x00000000,
    MB_TASKMODAL = 0x00002000,
    MB_TYPEMASK = 0x0000000F,
    MB_ICONMASK = 0x000000F0,
    MB_DEFMASK = 0x00000F00,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };
