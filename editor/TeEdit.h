#pragma once
// The editor control's own routines that the text store and the key map need.
#include "editor/TeEditKeyCmds.h"

// The command bound to the key Code with Shift. LastKey and LastShift hold
// the editor's memory of an unbound key that may begin a two-key binding: a
// two-key binding that starts with it is tried first; afterwards the memory
// holds Code and Shift when they found no command and Code lies in
// 0x1E..0x91, else 0. Data receives the command's data (none for key
// bindings).
TTeEditorCommand TranslateKeyCode(const TTeEditKeyStrokes* Keystrokes, WORD& LastKey, TShiftState& LastShift,
                                  WORD Code, TShiftState Shift, void*& Data);
