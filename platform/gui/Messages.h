#pragma once
// Window messages: the record every window procedure receives, and the message
// numbers. Standard messages keep their Windows numbers; the framework's own
// notices (CM_) and the reflected child notifications (CN_) live in a private
// range above WM_APP.
#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using BOOL = int;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

// A window handle: an opaque record owned by the window system.
struct TWndHandle;
using HWND = TWndHandle*;

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;

    WORD WParamLo() const { return static_cast<WORD>(WParam & 0xFFFF); }
    WORD WParamHi() const { return static_cast<WORD>((WParam >> 16) & 0xFFFF); }
    WORD LParamLo() const { return static_cast<WORD>(static_cast<uintptr_t>(LParam) & 0xFFFF); }
    WORD LParamHi() const { return static_cast<WORD>((static_cast<uintptr_t>(LParam) >> 16) & 0xFFFF); }
};

inline constexpr WORD LOWORD(uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
inline constexpr WORD HIWORD(uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
inline constexpr LPARAM MAKELPARAM(int lo, int hi) {
    return static_cast<LPARAM>(static_cast<int32_t>((static_cast<uint32_t>(lo) & 0xFFFF) |
                                                    ((static_cast<uint32_t>(hi) & 0xFFFF) << 16)));
}
inline constexpr WPARAM MAKEWPARAM(int lo, int hi) {
    return static_cast<WPARAM>(static_cast<uint32_t>(MAKELPARAM(lo, hi)));
}
// Signed coordinates packed into a parameter (client points of mouse messages).
inline constexpr int GET_X_LPARAM(LPARAM l) { return static_cast<int16_t>(l & 0xFFFF); }
inline constexpr int GET_Y_LPARAM(LPARAM l) { return static_cast<int16_t>((l >> 16) & 0xFFFF); }
inline constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM w) { return static_cast<int16_t>((w >> 16) & 0xFFFF); }
inline constexpr WORD GET_KEYSTATE_WPARAM(WPARAM w) { return static_cast<WORD>(w & 0xFFFF); }

// A message as it comes off the queue, seen by Application->OnMessage.
struct TMsg {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    int ptX = 0;  // cursor position in screen coordinates when the message was made
    int ptY = 0;
};

// Standard window messages.
enum : UINT {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_ENABLE = 0x000A,
    WM_SETREDRAW = 0x000B,
    WM_SETTEXT = 0x000C,
    WM_GETTEXT = 0x000D,
    WM_GETTEXTLENGTH = 0x000E,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ERASEBKGND = 0x0014,
    WM_SYSCOLORCHANGE = 0x0015,
    WM_SHOWWINDOW = 0x0018,
    WM_ACTIVATEAPP = 0x001C,
    WM_CANCELMODE = 0x001F,
    WM_SETCURSOR = 0x0020,
    WM_MOUSEACTIVATE = 0x0021,
    WM_GETMINMAXINFO = 0x0024,
    WM_WINDOWPOSCHANGING = 0x0046,
    WM_WINDOWPOSCHANGED = 0x0047,
    WM_CONTEXTMENU = 0x007B,
    WM_NCCREATE = 0x0081,
    WM_NCDESTROY = 0x0082,
    WM_NCCALCSIZE = 0x0083,
    WM_NCHITTEST = 0x0084,
    WM_NCPAINT = 0x0085,
    WM_NCACTIVATE = 0x0086,
    WM_GETDLGCODE = 0x0087,
    WM_NCMOUSEMOVE = 0x00A0,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_DEADCHAR = 0x0103,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_SYSCHAR = 0x0106,
    WM_IME_STARTCOMPOSITION = 0x010D,
    WM_IME_ENDCOMPOSITION = 0x010E,
    WM_IME_COMPOSITION = 0x010F,
    WM_INITDIALOG = 0x0110,
    WM_COMMAND = 0x0111,
    WM_SYSCOMMAND = 0x0112,
    WM_TIMER = 0x0113,
    WM_HSCROLL = 0x0114,
    WM_VSCROLL = 0x0115,
    WM_INITMENU = 0x0116,
    WM_INITMENUPOPUP = 0x0117,
    WM_MENUSELECT = 0x011F,
    WM_ENTERIDLE = 0x0121,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    WM_MOUSEHWHEEL = 0x020E,
    WM_PARENTNOTIFY = 0x0210,
    WM_ENTERMENULOOP = 0x0211,
    WM_EXITMENULOOP = 0x0212,
    WM_CAPTURECHANGED = 0x0215,
    WM_DROPFILES = 0x0233,
    WM_IME_NOTIFY = 0x0282,
    WM_MOUSEHOVER = 0x02A1,
    WM_MOUSELEAVE = 0x02A3,
    WM_CUT = 0x0300,
    WM_COPY = 0x0301,
    WM_PASTE = 0x0302,
    WM_CLEAR = 0x0303,
    WM_UNDO = 0x0304,
    WM_DRAWCLIPBOARD = 0x0308,
    WM_CHANGECBCHAIN = 0x030D,
    WM_PRINTCLIENT = 0x0318,
    WM_CLIPBOARDUPDATE = 0x031D,
    WM_USER = 0x0400,
    WM_APP = 0x8000,

    WM_KEYFIRST = WM_KEYDOWN,
    WM_KEYLAST = 0x0109,
    WM_MOUSEFIRST = WM_MOUSEMOVE,
    WM_MOUSELAST = WM_MOUSEHWHEEL,
};

// The framework's notices between controls.
enum : UINT {
    CM_BASE = 0xB000,
    CM_ACTIVATE = CM_BASE + 0x00,
    CM_DEACTIVATE = CM_BASE + 0x01,
    CM_GOTFOCUS = CM_BASE + 0x02,
    CM_LOSTFOCUS = CM_BASE + 0x03,
    CM_CANCELMODE = CM_BASE + 0x04,
    CM_DIALOGKEY = CM_BASE + 0x05,
    CM_DIALOGCHAR = CM_BASE + 0x06,
    CM_FOCUSCHANGED = CM_BASE + 0x07,
    CM_PARENTFONTCHANGED = CM_BASE + 0x08,
    CM_PARENTCOLORCHANGED = CM_BASE + 0x09,
    CM_HITTEST = CM_BASE + 0x0A,
    CM_VISIBLECHANGED = CM_BASE + 0x0B,
    CM_ENABLEDCHANGED = CM_BASE + 0x0C,
    CM_COLORCHANGED = CM_BASE + 0x0D,
    CM_FONTCHANGED = CM_BASE + 0x0E,
    CM_CURSORCHANGED = CM_BASE + 0x0F,
    CM_CTL3DCHANGED = CM_BASE + 0x10,
    CM_PARENTCTL3DCHANGED = CM_BASE + 0x11,
    CM_TEXTCHANGED = CM_BASE + 0x12,
    CM_MOUSEENTER = CM_BASE + 0x13,
    CM_MOUSELEAVE = CM_BASE + 0x14,
    CM_MENUCHANGED = CM_BASE + 0x15,
    CM_APPKEYDOWN = CM_BASE + 0x16,
    CM_APPSYSCOMMAND = CM_BASE + 0x17,
    CM_BUTTONPRESSED = CM_BASE + 0x18,
    CM_SHOWINGCHANGED = CM_BASE + 0x19,
    CM_ENTER = CM_BASE + 0x1A,
    CM_EXIT = CM_BASE + 0x1B,
    CM_DESIGNHITTEST = CM_BASE + 0x1C,
    CM_ICONCHANGED = CM_BASE + 0x1D,
    CM_WANTSPECIALKEY = CM_BASE + 0x1E,
    CM_INVOKEHELP = CM_BASE + 0x1F,
    CM_WINDOWHOOK = CM_BASE + 0x20,
    CM_RELEASE = CM_BASE + 0x21,  // a form (or a helper window) frees itself after the current message
    CM_SHOWHINTCHANGED = CM_BASE + 0x22,
    CM_PARENTSHOWHINTCHANGED = CM_BASE + 0x23,
    CM_SYSCOLORCHANGE = CM_BASE + 0x24,
    CM_WININICHANGE = CM_BASE + 0x25,
    CM_FONTCHANGE = CM_BASE + 0x26,
    CM_TIMECHANGE = CM_BASE + 0x27,
    CM_TABSTOPCHANGED = CM_BASE + 0x28,
    CM_UIACTIVATE = CM_BASE + 0x29,
    CM_UIDEACTIVATE = CM_BASE + 0x2A,
    CM_DOCWINDOWACTIVATE = CM_BASE + 0x2B,
    CM_CONTROLLISTCHANGE = CM_BASE + 0x2C,
    CM_GETDATALINK = CM_BASE + 0x2D,
    CM_CHILDKEY = CM_BASE + 0x2E,
    CM_DRAG = CM_BASE + 0x2F,
    CM_HINTSHOW = CM_BASE + 0x30,
    CM_DIALOGHANDLE = CM_BASE + 0x31,
    CM_ISTOOLCONTROL = CM_BASE + 0x32,
    CM_RECREATEWND = CM_BASE + 0x33,
    CM_INVALIDATE = CM_BASE + 0x34,
    CM_SYSFONTCHANGED = CM_BASE + 0x35,
    CM_CONTROLCHANGE = CM_BASE + 0x36,
    CM_CHANGED = CM_BASE + 0x37,
    CM_BORDERCHANGED = CM_BASE + 0x38,
    CM_BIDIMODECHANGED = CM_BASE + 0x39,
    CM_PARENTBIDIMODECHANGED = CM_BASE + 0x3A,
    CM_ALLCHILDRENFLIPPED = CM_BASE + 0x3B,
    CM_ACTIONUPDATE = CM_BASE + 0x3C,
    CM_ACTIONEXECUTE = CM_BASE + 0x3D,
    CM_HINTSHOWPAUSE = CM_BASE + 0x3E,
    CM_MOUSEWHEEL = CM_BASE + 0x3F,
    CM_ISSHORTCUT = CM_BASE + 0x40,
    CM_INPUTLANGCHANGE = CM_BASE + 0x41,
};

// Notifications reflected back to the child that sent them: CN_BASE + the message.
enum : UINT {
    CN_BASE = 0xBC00,
    CN_CHARTOITEM = CN_BASE + 0x002F,
    CN_COMMAND = CN_BASE + WM_COMMAND,
    CN_HSCROLL = CN_BASE + WM_HSCROLL,
    CN_VSCROLL = CN_BASE + WM_VSCROLL,
    CN_KEYDOWN = CN_BASE + WM_KEYDOWN,
    CN_KEYUP = CN_BASE + WM_KEYUP,
    CN_CHAR = CN_BASE + WM_CHAR,
    CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN,
    CN_SYSCHAR = CN_BASE + WM_SYSCHAR,
    CN_NOTIFY = CN_BASE + 0x004E,
};

// Mouse-message key flags (wParam).
enum : WPARAM {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
};

// WM_GETDLGCODE answers.
enum : LRESULT {
    DLGC_WANTARROWS = 0x0001,
    DLGC_WANTTAB = 0x0002,
    DLGC_WANTALLKEYS = 0x0004,
    DLGC_WANTMESSAGE = 0x0004,
    DLGC_HASSETSEL = 0x0008,
    DLGC_DEFPUSHBUTTON = 0x0010,
    DLGC_UNDEFPUSHBUTTON = 0x0020,
    DLGC_RADIOBUTTON = 0x0040,
    DLGC_WANTCHARS = 0x0080,
    DLGC_STATIC = 0x0100,
    DLGC_BUTTON = 0x2000,
};

// Hit-test codes (WM_NCHITTEST results, low word of WM_SETCURSOR's lParam).
enum : int {
    HTERROR = -2,
    HTTRANSPARENT = -1,
    HTNOWHERE = 0,
    HTCLIENT = 1,
    HTCAPTION = 2,
    HTSYSMENU = 3,
    HTGROWBOX = 4,
    HTMENU = 5,
    HTHSCROLL = 6,
    HTVSCROLL = 7,
    HTMINBUTTON = 8,
    HTMAXBUTTON = 9,
    HTLEFT = 10,
    HTRIGHT = 11,
    HTTOP = 12,
    HTTOPLEFT = 13,
    HTTOPRIGHT = 14,
    HTBOTTOM = 15,
    HTBOTTOMLEFT = 16,
    HTBOTTOMRIGHT = 17,
    HTBORDER = 18,
};

// WM_SIZE kinds (wParam).
enum : WPARAM { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

// WM_ACTIVATE states, WM_MOUSEACTIVATE answers.
enum : int { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };
enum : LRESULT { MA_ACTIVATE = 1, MA_ACTIVATEANDEAT = 2, MA_NOACTIVATE = 3, MA_NOACTIVATEANDEAT = 4 };

// WM_SYSCOMMAND codes.
enum : WPARAM {
    SC_SIZE = 0xF000,
    SC_MOVE = 0xF010,
    SC_MINIMIZE = 0xF020,
    SC_MAXIMIZE = 0xF030,
    SC_CLOSE = 0xF060,
    SC_RESTORE = 0xF120,
};

// Scroll bars: which bar, WM_HSCROLL/WM_VSCROLL request codes, SCROLLINFO masks,
// EnableScrollBar arrows.
enum : int { SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3 };
enum : int {
    SB_LINEUP = 0,
    SB_LINELEFT = 0,
    SB_LINEDOWN = 1,
    SB_LINERIGHT = 1,
    SB_PAGEUP = 2,
    SB_PAGELEFT = 2,
    SB_PAGEDOWN = 3,
    SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_LEFT = 6,
    SB_BOTTOM = 7,
    SB_RIGHT = 7,
    SB_ENDSCROLL = 8,
};
enum : UINT {
    SIF_RANGE = 0x0001,
    SIF_PAGE = 0x0002,
    SIF_POS = 0x0004,
    SIF_DISABLENOSCROLL = 0x0008,
    SIF_TRACKPOS = 0x0010,
    SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS,
};
enum : UINT {
    ESB_ENABLE_BOTH = 0,
    ESB_DISABLE_LTUP = 1,
    ESB_DISABLE_LEFT = 1,
    ESB_DISABLE_UP = 1,
    ESB_DISABLE_RTDN = 2,
    ESB_DISABLE_RIGHT = 2,
    ESB_DISABLE_DOWN = 2,
    ESB_DISABLE_BOTH = 3,
};

// Notification codes carried in WM_COMMAND's high word.
enum : WORD {
    BN_CLICKED = 0,
    BN_DOUBLECLICKED = 5,
    EN_SETFOCUS = 0x0100,
    EN_KILLFOCUS = 0x0200,
    EN_CHANGE = 0x0300,
    EN_UPDATE = 0x0400,
    EN_MAXTEXT = 0x0501,
    LBN_SELCHANGE = 1,
    LBN_DBLCLK = 2,
    CBN_SELCHANGE = 1,
};

// Edit, button and list-box control messages.
enum : UINT {
    EM_GETSEL = 0x00B0,
    EM_SETSEL = 0x00B1,
    EM_GETRECT = 0x00B2,
    EM_SETRECT = 0x00B3,
    EM_SETRECTNP = 0x00B4,
    EM_SCROLL = 0x00B5,
    EM_LINESCROLL = 0x00B6,
    EM_SCROLLCARET = 0x00B7,
    EM_GETMODIFY = 0x00B8,
    EM_SETMODIFY = 0x00B9,
    EM_GETLINECOUNT = 0x00BA,
    EM_LINEINDEX = 0x00BB,
    EM_LINELENGTH = 0x00C1,
    EM_REPLACESEL = 0x00C2,
    EM_GETLINE = 0x00C4,
    EM_LIMITTEXT = 0x00C5,
    EM_CANUNDO = 0x00C6,
    EM_UNDO = 0x00C7,
    EM_LINEFROMCHAR = 0x00C9,
    EM_EMPTYUNDOBUFFER = 0x00CD,
    EM_GETFIRSTVISIBLELINE = 0x00CE,
    EM_SETREADONLY = 0x00CF,
    EM_GETLIMITTEXT = 0x00D5,
    EM_POSFROMCHAR = 0x00D6,
    EM_CHARFROMPOS = 0x00D7,
    EM_GETSELTEXT = WM_USER + 62,
    BM_GETCHECK = 0x00F0,
    BM_SETCHECK = 0x00F1,
    BM_GETSTATE = 0x00F2,
    BM_SETSTATE = 0x00F3,
    BM_CLICK = 0x00F5,
    LB_ADDSTRING = 0x0180,
    LB_RESETCONTENT = 0x0184,
    LB_SETCURSEL = 0x0186,
    LB_GETCURSEL = 0x0188,
    LB_GETCOUNT = 0x018B,
    LB_SELECTSTRING = 0x018C,
    LB_GETTOPINDEX = 0x018E,
    LB_FINDSTRING = 0x018F,
    LB_SETTOPINDEX = 0x0197,
    LB_GETITEMRECT = 0x0198,
    LB_SETCOUNT = 0x01A7,
    LB_ITEMFROMPOINT = 0x01A9,
};

// Check-box states (BM_SETCHECK).
enum : WPARAM { BST_UNCHECKED = 0, BST_CHECKED = 1, BST_INDETERMINATE = 2 };

// Input-method composition flags.
enum : LPARAM { GCS_RESULTSTR = 0x0800 };
enum : WPARAM { IMN_SETOPENSTATUS = 0x0008 };

// PeekMessage options.
enum : UINT { PM_NOREMOVE = 0x0000, PM_REMOVE = 0x0001, PM_NOYIELD = 0x0002 };
