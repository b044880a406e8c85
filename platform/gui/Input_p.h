#pragma once
// Key translation shared by the windowing sources: a native key event to the
// virtual key of the physical key, and the characters a key press types.
#include <string>

#include "platform/rtl/CodePage.h"

class QKeyEvent;

struct TKeyTranslation {
    int VirtKey = 0;   // 0: a key we do not map
    int SideKey = 0;   // VK_LSHIFT, VK_RCONTROL, ... for a modifier key
    int ScanCode = 0;  // the keyboard's scan code (set 1)
    bool Extended = false;
};

TKeyTranslation TranslateKeyEvent(const QKeyEvent* Event);
// From the parts of a key event, so that tables can be tested without events:
// the native scan code (0 when unknown), Qt's key code and whether the key is
// on the keypad.
TKeyTranslation TranslateKey(unsigned NativeScanCode, int QtKey, bool Keypad);
// The characters (code-page bytes) a key press produces by the desktop rules:
// Ctrl+letter 1..26, Enter 13 (Ctrl+Enter 10), Backspace 8 (Ctrl+Backspace
// 127), Tab 9, Esc 27; otherwise the text the keyboard layout typed.
AnsiString KeyCharacters(int VirtKey, const std::string& TextUtf8, bool Ctrl, bool Alt, bool Shift);
// The composed text of the input method while WM_IME_COMPOSITION is handled.
void SetImeResultString(const AnsiString& Text);
