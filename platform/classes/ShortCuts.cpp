#include "platform/classes/ShortCuts.h"

namespace {

// Names of the keys that are not letters, digits or function keys.
AnsiString KeyName(unsigned key) {
    switch (key) {
    case VK_BACK: return "BkSp";
    case VK_TAB: return "Tab";
    case VK_RETURN: return "Enter";
    case VK_ESCAPE: return "Esc";
    case VK_SPACE: return "Space";
    case VK_PRIOR: return "PgUp";
    case VK_NEXT: return "PgDn";
    case VK_END: return "End";
    case VK_HOME: return "Home";
    case VK_LEFT: return "Left";
    case VK_UP: return "Up";
    case VK_RIGHT: return "Right";
    case VK_DOWN: return "Down";
    case VK_INSERT: return "Ins";
    case VK_DELETE: return "Del";
    case VK_PAUSE: return "Pause";
    case VK_CAPITAL: return "Caps Lock";
    case VK_SNAPSHOT: return "Prnt Scrn";
    case VK_APPS: return "Application";
    case VK_MULTIPLY: return "Num *";
    case VK_ADD: return "Num +";
    case VK_SUBTRACT: return "Num -";
    case VK_DECIMAL: return "Num Del";
    case VK_DIVIDE: return "Num /";
    case VK_NUMLOCK: return "Num Lock";
    case VK_SCROLL: return "Scroll Lock";
    case VK_OEM_1: return ";";
    case VK_OEM_PLUS: return "=";
    case VK_OEM_COMMA: return ",";
    case VK_OEM_MINUS: return "-";
    case VK_OEM_PERIOD: return ".";
    case VK_OEM_2: return "/";
    case VK_OEM_3: return "`";
    case VK_OEM_4: return "[";
    case VK_OEM_5: return "\\";
    case VK_OEM_6: return "]";
    case VK_OEM_7: return "'";
    case VK_OEM_102: return "\\";
    default: break;
    }
    if (key >= '0' && key <= '9') return AnsiString(1, static_cast<char>(key));
    if (key >= 'A' && key <= 'Z') return AnsiString(1, static_cast<char>(key));
    // The number pad's digits read like the others.
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return AnsiString(1, static_cast<char>('0' + key - VK_NUMPAD0));
    if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
    return AnsiString();
}

bool TakeFront(AnsiString& text, const char* front) {
    AnsiString f(front);
    if (text.size() < f.size() || !AnsiSameText(text.substr(0, f.size()), f)) return false;
    text.erase(0, f.size());
    return true;
}

}  // namespace

TShortCut ShortCut(uint16_t Key, TShiftState Shift) {
    if (Key > 0xFF) return 0;
    TShortCut result = Key;
    if (Shift & ssShift) result |= scShift;
    if (Shift & ssCtrl) result |= scCtrl;
    if (Shift & ssAlt) result |= scAlt;
    return result;
}

void ShortCutToKey(TShortCut ShortCut, uint16_t& Key, TShiftState& Shift) {
    Key = ShortCut & ~(scShift | scCtrl | scAlt);
    Shift = 0;
    if (ShortCut & scShift) Shift |= ssShift;
    if (ShortCut & scCtrl) Shift |= ssCtrl;
    if (ShortCut & scAlt) Shift |= ssAlt;
}

AnsiString ShortCutToText(TShortCut ShortCut) {
    AnsiString name = KeyName(ShortCut & 0xFF);
    if (name.empty()) return name;
    AnsiString result;
    if (ShortCut & scShift) result += "Shift+";
    if (ShortCut & scCtrl) result += "Ctrl+";
    if (ShortCut & scAlt) result += "Alt+";
    return result + name;
}

TShortCut TextToShortCut(const AnsiString& Text) {
    AnsiString text = Text;
    TShortCut shift = 0;
    for (;;) {
        if (TakeFront(text, "Shift+")) shift |= scShift;
        else if (TakeFront(text, "^")) shift |= scCtrl;
        else if (TakeFront(text, "Ctrl+")) shift |= scCtrl;
        else if (TakeFront(text, "Alt+")) shift |= scAlt;
        else break;
    }
    if (text.empty()) return 0;
    for (unsigned key = 0x08; key <= 0xFF; ++key)
        if (AnsiSameText(text, KeyName(key))) return static_cast<TShortCut>(key | shift);
    return 0;
}
