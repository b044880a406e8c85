#pragma once
// Drives windows as a user would, for tests: each call builds the native event
// and sends it through the same translation as real input (OnMessage, dialog
// keys, WM_KEYDOWN then WM_CHAR, double clicks by time and distance, the wheel
// to the focused window). Coordinates are client coordinates of the window.
#include <vector>

#include "platform/classes/Keys.h"
#include "platform/gui/WinApi.h"
#include "platform/rtl/CodePage.h"

enum class TSimButton { Left, Right, Middle };

// Press and release of a key with the modifiers held (their keys go down
// before it and come up after it). Text is what the keyboard layout types
// (UTF-8); empty lets the US layout decide for letters and digits.
// SimulateKeyDown and SimulateKeyUp send the key alone, the modifiers only as
// the state of the event.
void SimulateKey(HWND Wnd, WORD VirtKey, TShiftState Shift = 0, const char* TextUtf8 = "");
void SimulateKeyDown(HWND Wnd, WORD VirtKey, TShiftState Shift = 0, const char* TextUtf8 = "", bool AutoRepeat = false);
void SimulateKeyUp(HWND Wnd, WORD VirtKey, TShiftState Shift = 0);
// Types text character by character (UTF-8) as a keyboard layout does: each
// key press carries the character, with no scan code (so a Cyrillic letter is
// mapped to its key on the standard Russian layout). Shift adds to the
// modifiers (capital letters add Shift themselves).
void SimulateTyping(HWND Wnd, const char* TextUtf8, TShiftState Shift = 0);

// An input method committing composed text (UTF-8) to the window, as Qt hands it over.
void SimulateInputMethodCommit(HWND Wnd, const char* TextUtf8);

void SimulateMouseMove(HWND Wnd, int X, int Y, TShiftState Shift = 0);
void SimulateMouseDown(HWND Wnd, TSimButton Button, int X, int Y, TShiftState Shift = 0);
void SimulateMouseUp(HWND Wnd, TSimButton Button, int X, int Y, TShiftState Shift = 0);
void SimulateClick(HWND Wnd, int X, int Y, TShiftState Shift = 0, TSimButton Button = TSimButton::Left);
// Two clicks within the double-click time and distance.
void SimulateDoubleClick(HWND Wnd, int X, int Y, TShiftState Shift = 0);
// One notch is 120; positive turns away from the user.
void SimulateWheel(HWND Wnd, int Delta, int X, int Y, TShiftState Shift = 0);

// A click on a part of a window's scroll bar (SB_VERT or SB_HORZ).
enum class TScrollBarPart { LineUp, LineDown, PageUp, PageDown };
void SimulateScrollBarClick(HWND Wnd, int Bar, TScrollBarPart Part);
// Drags the thumb of a scroll bar by Pixels along the bar, then lets it go.
void SimulateScrollBarDrag(HWND Wnd, int Bar, int Pixels);

// Forgets the last click, so that the next one is not taken as a double click.
void ResetDoubleClick();

// The window's client pixels after any pending paint (0x00BBGGRR), and a
// picture of the whole window (children included) written as PNG.
COLORREF GetWindowPixel(HWND Wnd, int X, int Y);
// A pixel of the whole window as shown (border and scroll bars included), in
// window coordinates.
COLORREF GetWindowImagePixel(HWND Wnd, int X, int Y);
bool SaveWindowImage(HWND Wnd, const AnsiString& FileName);
// Several windows (a form and its drop-down, say) as they stand on the screen, in one PNG.
bool SaveWindowsImage(const std::vector<HWND>& Windows, const AnsiString& FileName);
// Runs the paint pass of a window (and its children) now, shown or not.
void PaintWindowNow(HWND Wnd);
