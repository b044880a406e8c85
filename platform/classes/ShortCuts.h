#pragma once
// Keyboard shortcuts: a virtual-key code with modifier bits above it.
#include <cstdint>

#include "platform/classes/Keys.h"
#include "platform/rtl/CodePage.h"

using TShortCut = uint16_t;
enum : TShortCut { scNone = 0, scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000 };

// 0 when Key does not fit in the low byte.
TShortCut ShortCut(uint16_t Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, uint16_t& Key, TShiftState& Shift);
// "Shift+", "Ctrl+", "Alt+" (in that order) and the key's name: "Ctrl+C",
// "Shift+Ins", "Alt+BkSp", "F1", "Del", "Num +". '' for a key without a name.
AnsiString ShortCutToText(TShortCut ShortCut);
// The reverse, ignoring letter case; "^" also stands for "Ctrl+". 0 when unknown.
TShortCut TextToShortCut(const AnsiString& Text);
