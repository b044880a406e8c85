#include "editor/TeEdit.h"

TTeEditorCommand TranslateKeyCode(const TTeEditKeyStrokes* Keystrokes, WORD& LastKey, TShiftState& LastShift,
                                  WORD Code, TShiftState Shift, void*& Data) {
    Data = nullptr;
    TTeEditorCommand result = ecNone;
    int i = Keystrokes->FindKeycode2(LastKey, LastShift, Code, Shift);
    if (i >= 0) {
        result = Keystrokes->Items(i)->Command();
    } else {
        i = Keystrokes->FindKeycode(Code, Shift);
        if (i >= 0) result = Keystrokes->Items(i)->Command();
    }
    if (result == ecNone && Code >= 0x1E && Code <= 0x91) {
        LastKey = Code;
        LastShift = Shift;
    } else {
        LastKey = 0;
        LastShift = 0;
    }
    return result;
}
