// Virtual keys of physical keys, and the characters key presses type.
#include <QGuiApplication>
#include <QKeyEvent>

#include "platform/gui/Input.h"
#include "platform/gui/Input_p.h"
#include "platform/classes/Keys.h"

namespace {

// The keys whose meaning moves with the keyboard layout, by their position
// (evdev code): the virtual key a US keyboard gives there. Shortcuts then work
// the same on every layout.
int PositionalKey(unsigned evdev) {
    static const int row[] = {
        0, 0, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', VK_OEM_MINUS, VK_OEM_PLUS, 0, 0,  // 0-15
        'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', VK_OEM_4, VK_OEM_6, 0, 0,               // 16-29
        'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L', VK_OEM_1, VK_OEM_7, VK_OEM_3, 0, VK_OEM_5,   // 30-43
        'Z', 'X', 'C', 'V', 'B', 'N', 'M', VK_OEM_COMMA, VK_OEM_PERIOD, VK_OEM_2,                 // 44-53
    };
    if (evdev < sizeof(row) / sizeof(row[0])) return row[evdev];
    if (evdev == 86) return VK_OEM_102;
    return 0;
}

// A Cyrillic letter typed without a scan code (a synthesised event): the key
// that carries it on the standard Russian layout.
int CyrillicKey(char32_t upper) {
    struct Pair {
        char32_t ch;
        int vk;
    };
    static const Pair pairs[] = {
        {U'Й', 'Q'}, {U'Ц', 'W'}, {U'У', 'E'}, {U'К', 'R'}, {U'Е', 'T'}, {U'Н', 'Y'}, {U'Г', 'U'},
        {U'Ш', 'I'}, {U'Щ', 'O'}, {U'З', 'P'}, {U'Х', VK_OEM_4}, {U'Ъ', VK_OEM_6}, {U'Ф', 'A'},
        {U'Ы', 'S'}, {U'В', 'D'}, {U'А', 'F'}, {U'П', 'G'}, {U'Р', 'H'}, {U'О', 'J'}, {U'Л', 'K'},
        {U'Д', 'L'}, {U'Ж', VK_OEM_1}, {U'Э', VK_OEM_7}, {U'Я', 'Z'}, {U'Ч', 'X'}, {U'С', 'C'},
        {U'М', 'V'}, {U'И', 'B'}, {U'Т', 'N'}, {U'Ь', 'M'}, {U'Б', VK_OEM_COMMA}, {U'Ю', VK_OEM_PERIOD},
        {U'Ё', VK_OEM_3},
    };
    for (const Pair& p : pairs)
        if (p.ch == upper) return p.vk;
    return 0;
}

// Printable keys of the US layout, shifted or not, by Qt key code.
int SymbolKey(int key) {
    switch (key) {
        case Qt::Key_Exclam: return '1';
        case Qt::Key_At: return '2';
        case Qt::Key_NumberSign: return '3';
        case Qt::Key_Dollar: return '4';
        case Qt::Key_Percent: return '5';
        case Qt::Key_AsciiCircum: return '6';
        case Qt::Key_Ampersand: return '7';
        case Qt::Key_Asterisk: return '8';
        case Qt::Key_ParenLeft: return '9';
        case Qt::Key_ParenRight: return '0';
        case Qt::Key_Minus:
        case Qt::Key_Underscore: return VK_OEM_MINUS;
        case Qt::Key_Equal:
        case Qt::Key_Plus: return VK_OEM_PLUS;
        case Qt::Key_BracketLeft:
        case Qt::Key_BraceLeft: return VK_OEM_4;
        case Qt::Key_BracketRight:
        case Qt::Key_BraceRight: return VK_OEM_6;
        case Qt::Key_Backslash:
        case Qt::Key_Bar: return VK_OEM_5;
        case Qt::Key_Semicolon:
        case Qt::Key_Colon: return VK_OEM_1;
        case Qt::Key_Apostrophe:
        case Qt::Key_QuoteDbl: return VK_OEM_7;
        case Qt::Key_Comma:
        case Qt::Key_Less: return VK_OEM_COMMA;
        case Qt::Key_Period:
        case Qt::Key_Greater: return VK_OEM_PERIOD;
        case Qt::Key_Slash:
        case Qt::Key_Question: return VK_OEM_2;
        case Qt::Key_QuoteLeft:
        case Qt::Key_AsciiTilde: return VK_OEM_3;
        case Qt::Key_Space: return VK_SPACE;
        default: return 0;
    }
}

int KeypadKey(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return VK_NUMPAD0 + (key - Qt::Key_0);
    switch (key) {
        case Qt::Key_Asterisk: return VK_MULTIPLY;
        case Qt::Key_Plus: return VK_ADD;
        case Qt::Key_Minus: return VK_SUBTRACT;
        case Qt::Key_Period:
        case Qt::Key_Comma: return VK_DECIMAL;
        case Qt::Key_Slash: return VK_DIVIDE;
        case Qt::Key_Enter: return VK_RETURN;
        default: return 0;
    }
}

int FunctionKey(int key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + (key - Qt::Key_F1);
    switch (key) {
        case Qt::Key_Escape: return VK_ESCAPE;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return VK_TAB;
        case Qt::Key_Backspace: return VK_BACK;
        case Qt::Key_Return:
        case Qt::Key_Enter: return VK_RETURN;
        case Qt::Key_Insert: return VK_INSERT;
        case Qt::Key_Delete: return VK_DELETE;
        case Qt::Key_Pause: return VK_PAUSE;
        case Qt::Key_Print:
        case Qt::Key_SysReq: return VK_SNAPSHOT;
        case Qt::Key_Clear: return VK_CLEAR;
        case Qt::Key_Home: return VK_HOME;
        case Qt::Key_End: return VK_END;
        case Qt::Key_Left: return VK_LEFT;
        case Qt::Key_Up: return VK_UP;
        case Qt::Key_Right: return VK_RIGHT;
        case Qt::Key_Down: return VK_DOWN;
        case Qt::Key_PageUp: return VK_PRIOR;
        case Qt::Key_PageDown: return VK_NEXT;
        case Qt::Key_Shift: return VK_SHIFT;
        case Qt::Key_Control: return VK_CONTROL;
        case Qt::Key_Alt:
        case Qt::Key_AltGr: return VK_MENU;
        case Qt::Key_Meta:
        case Qt::Key_Super_L: return VK_LWIN;
        case Qt::Key_Super_R: return VK_RWIN;
        case Qt::Key_Menu: return VK_APPS;
        case Qt::Key_CapsLock: return VK_CAPITAL;
        case Qt::Key_NumLock: return VK_NUMLOCK;
        case Qt::Key_ScrollLock: return VK_SCROLL;
        case Qt::Key_Space: return VK_SPACE;
        default: return 0;
    }
}

// Scan codes (set 1) of the keys, for the key data of key messages.
struct TScan {
    int Code;
    bool Extended;
};

TScan ScanOfKey(int vk) {
    switch (vk) {
        case VK_ESCAPE: return {0x01, false};
        case VK_BACK: return {0x0E, false};
        case VK_TAB: return {0x0F, false};
        case VK_RETURN: return {0x1C, false};
        case VK_CONTROL: return {0x1D, false};
        case VK_SHIFT: return {0x2A, false};
        case VK_MENU: return {0x38, false};
        case VK_SPACE: return {0x39, false};
        case VK_CAPITAL: return {0x3A, false};
        case VK_NUMLOCK: return {0x45, false};
        case VK_SCROLL: return {0x46, false};
        case VK_HOME: return {0x47, true};
        case VK_UP: return {0x48, true};
        case VK_PRIOR: return {0x49, true};
        case VK_LEFT: return {0x4B, true};
        case VK_RIGHT: return {0x4D, true};
        case VK_END: return {0x4F, true};
        case VK_DOWN: return {0x50, true};
        case VK_NEXT: return {0x51, true};
        case VK_INSERT: return {0x52, true};
        case VK_DELETE: return {0x53, true};
        case VK_DIVIDE: return {0x35, true};
        case VK_LWIN: return {0x5B, true};
        case VK_RWIN: return {0x5C, true};
        case VK_APPS: return {0x5D, true};
        default: break;
    }
    if (vk >= VK_F1 && vk <= VK_F10) return {0x3B + (vk - VK_F1), false};
    if (vk == VK_F11) return {0x57, false};
    if (vk == VK_F12) return {0x58, false};
    // The positional keys: find the evdev code, which equals the set 1 code there.
    for (unsigned evdev = 1; evdev <= 86; ++evdev)
        if (PositionalKey(evdev) == vk) return {static_cast<int>(evdev), false};
    return {0, false};
}

AnsiString& ImeResult() {
    static AnsiString text;
    return text;
}

bool NativeScanCodesArePositions() {
    static int known = -1;
    if (known < 0) {
        QString platform = QGuiApplication::platformName();
        known = platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland")) ? 1 : 0;
    }
    return known == 1;
}

}  // namespace

TKeyTranslation TranslateKey(unsigned NativeScanCode, int QtKey, bool Keypad) {
    TKeyTranslation t;
    unsigned evdev = NativeScanCode >= 8 ? NativeScanCode - 8 : 0;
    // Modifiers: which side.
    switch (evdev) {
        case 42: t.SideKey = VK_LSHIFT; break;
        case 54: t.SideKey = VK_RSHIFT; break;
        case 29: t.SideKey = VK_LCONTROL; break;
        case 97: t.SideKey = VK_RCONTROL; t.Extended = true; break;
        case 56: t.SideKey = VK_LMENU; break;
        case 100: t.SideKey = VK_RMENU; t.Extended = true; break;
        default: break;
    }
    if (int vk = evdev ? PositionalKey(evdev) : 0) {
        t.VirtKey = vk;
        t.ScanCode = static_cast<int>(evdev);
        return t;
    }
    if (Keypad) t.VirtKey = KeypadKey(QtKey);
    if (!t.VirtKey) t.VirtKey = FunctionKey(QtKey);
    if (!t.VirtKey && QtKey >= Qt::Key_A && QtKey <= Qt::Key_Z) t.VirtKey = 'A' + (QtKey - Qt::Key_A);
    if (!t.VirtKey && QtKey >= Qt::Key_0 && QtKey <= Qt::Key_9) t.VirtKey = '0' + (QtKey - Qt::Key_0);
    if (!t.VirtKey) t.VirtKey = SymbolKey(QtKey);
    if (!t.VirtKey && QtKey >= 0x400 && QtKey < 0x500) t.VirtKey = CyrillicKey(static_cast<char32_t>(QtKey));
    // Latin letters with accents typed on other layouts: their base letter's key.
    if (!t.VirtKey && QtKey >= 0xC0 && QtKey <= 0xFF) t.VirtKey = 0;
    if (!t.SideKey) {
        if (t.VirtKey == VK_SHIFT) t.SideKey = VK_LSHIFT;
        if (t.VirtKey == VK_CONTROL) t.SideKey = VK_LCONTROL;
        if (t.VirtKey == VK_MENU) t.SideKey = QtKey == Qt::Key_AltGr ? VK_RMENU : VK_LMENU;
    }
    if (evdev && evdev < 0x80) {
        t.ScanCode = static_cast<int>(evdev);
        if (evdev >= 96) {
            TScan s = ScanOfKey(t.VirtKey);
            t.ScanCode = s.Code;
            t.Extended = s.Extended || t.Extended;
        }
    } else {
        TScan s = ScanOfKey(t.VirtKey);
        t.ScanCode = s.Code;
        t.Extended = t.Extended || s.Extended;
    }
    if (Keypad && (t.VirtKey == VK_RETURN)) t.Extended = true;
    return t;
}

TKeyTranslation TranslateKeyEvent(const QKeyEvent* Event) {
    unsigned scan = NativeScanCodesArePositions() ? Event->nativeScanCode() : 0;
    return TranslateKey(scan, Event->key(), (Event->modifiers() & Qt::KeypadModifier) != 0);
}

AnsiString KeyCharacters(int VirtKey, const std::string& TextUtf8, bool Ctrl, bool Alt, bool Shift) {
    if (Ctrl && !Alt) {
        if (VirtKey >= 'A' && VirtKey <= 'Z') return AnsiString(1, static_cast<char>(VirtKey - 'A' + 1));
        switch (VirtKey) {
            case VK_OEM_4: return AnsiString(1, '\x1B');
            case VK_OEM_5: return AnsiString(1, '\x1C');
            case VK_OEM_6: return AnsiString(1, '\x1D');
            case '6': return Shift ? AnsiString(1, '\x1E') : AnsiString();
            case VK_OEM_MINUS: return Shift ? AnsiString(1, '\x1F') : AnsiString();
            case VK_RETURN: return AnsiString(1, '\n');
            case VK_BACK: return AnsiString(1, '\x7F');
            case VK_SPACE: return AnsiString(1, ' ');
            default: return AnsiString();
        }
    }
    switch (VirtKey) {
        case VK_RETURN: return AnsiString(1, '\r');
        case VK_BACK: return AnsiString(1, '\b');
        case VK_TAB: return AnsiString(1, '\t');
        case VK_ESCAPE: return AnsiString(1, '\x1B');
        default: break;
    }
    AnsiString out;
    for (unsigned char c : Utf8ToAnsi(TextUtf8))
        if (c >= 0x20 && c != 0x7F) out += static_cast<char>(c);
    if (!out.empty()) return out;
    if (!TextUtf8.empty()) return out;  // control characters only
    // A synthesised event without text: what the US layout types.
    if (VirtKey >= 'A' && VirtKey <= 'Z') return AnsiString(1, static_cast<char>(Shift ? VirtKey : VirtKey + 32));
    if (VirtKey >= '0' && VirtKey <= '9' && !Shift) return AnsiString(1, static_cast<char>(VirtKey));
    if (VirtKey == VK_SPACE) return AnsiString(1, ' ');
    if (VirtKey >= VK_NUMPAD0 && VirtKey <= VK_NUMPAD9) return AnsiString(1, static_cast<char>('0' + VirtKey - VK_NUMPAD0));
    return out;
}

void SetImeResultString(const AnsiString& Text) { ImeResult() = Text; }

AnsiString ImmGetResultString() { return ImeResult(); }
