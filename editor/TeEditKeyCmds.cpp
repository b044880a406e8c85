#include "editor/TeEditKeyCmds.h"

#include <iterator>
#include <memory>

#include "platform/classes/IntegerIdents.h"
#include "platform/rtti/Published.h"
#include "platform/rtl/SysUtils.h"

namespace {

// In this order the linear search sees them.
const TIdentMapEntry EditorCommandStrs[] = {
    {ecNone, "ecNone"},
    {ecLeft, "ecLeft"},
    {ecRight, "ecRight"},
    {ecUp, "ecUp"},
    {ecDown, "ecDown"},
    {ecWordLeft, "ecWordLeft"},
    {ecWordRight, "ecWordRight"},
    {ecLineStart, "ecLineStart"},
    {ecLineEnd, "ecLineEnd"},
    {ecPageUp, "ecPageUp"},
    {ecPageDown, "ecPageDown"},
    {ecPageLeft, "ecPageLeft"},
    {ecPageRight, "ecPageRight"},
    {ecPageTop, "ecPageTop"},
    {ecPageBottom, "ecPageBottom"},
    {ecEditorTop, "ecEditorTop"},
    {ecEditorBottom, "ecEditorBottom"},
    {ecGotoXY, "ecGotoXY"},
    {ecSelLeft, "ecSelLeft"},
    {ecSelRight, "ecSelRight"},
    {ecSelUp, "ecSelUp"},
    {ecSelDown, "ecSelDown"},
    {ecSelWordLeft, "ecSelWordLeft"},
    {ecSelWordRight, "ecSelWordRight"},
    {ecSelLineStart, "ecSelLineStart"},
    {ecSelLineEnd, "ecSelLineEnd"},
    {ecSelPageUp, "ecSelPageUp"},
    {ecSelPageDown, "ecSelPageDown"},
    {ecSelPageLeft, "ecSelPageLeft"},
    {ecSelPageRight, "ecSelPageRight"},
    {ecSelPageTop, "ecSelPageTop"},
    {ecSelPageBottom, "ecSelPageBottom"},
    {ecSelEditorTop, "ecSelEditorTop"},
    {ecSelEditorBottom, "ecSelEditorBottom"},
    {ecSelGotoXY, "ecSelGotoXY"},
    {ecSelectAll, "ecSelectAll"},
    {ecDeleteLastChar, "ecDeleteLastChar"},
    {ecDeleteChar, "ecDeleteChar"},
    {ecDeleteWord, "ecDeleteWord"},
    {ecDeleteLastWord, "ecDeleteLastWord"},
    {ecDeleteBOL, "ecDeleteBOL"},
    {ecDeleteEOL, "ecDeleteEOL"},
    {ecDeleteLine, "ecDeleteLine"},
    {ecClearAll, "ecClearAll"},
    {ecLineBreak, "ecLineBreak"},
    {ecInsertLine, "ecInsertLine"},
    {ecChar, "ecChar"},
    {ecImeStr, "ecImeStr"},
    {ecUndo, "ecUndo"},
    {ecRedo, "ecRedo"},
    {ecCut, "ecCut"},
    {ecCopy, "ecCopy"},
    {ecPaste, "ecPaste"},
    {ecScrollUp, "ecScrollUp"},
    {ecScrollDown, "ecScrollDown"},
    {ecScrollLeft, "ecScrollLeft"},
    {ecScrollRight, "ecScrollRight"},
    {ecInsertMode, "ecInsertMode"},
    {ecOverwriteMode, "ecOverwriteMode"},
    {ecToggleMode, "ecToggleMode"},
    {ecBlockIndent, "ecBlockIndent"},
    {ecBlockUnindent, "ecBlockUnindent"},
    {ecTab, "ecTab"},
    {ecShiftTab, "ecShiftTab"},
    {ecMatchBracket, "ecMatchBracket"},
    {ecCommentBlock, "ecCommentBlock"},
    {ecNormalSelect, "ecNormalSelect"},
    {ecColumnSelect, "ecColumnSelect"},
    {ecLineSelect, "ecLineSelect"},
    {ecAutoCompletion, "ecAutoCompletion"},
    {ecUserFirst, "ecUserFirst"},
    {ecContextHelp, "ecContextHelp"},
    {ecGotoMarker0, "ecGotoMarker0"},
    {ecGotoMarker1, "ecGotoMarker1"},
    {ecGotoMarker2, "ecGotoMarker2"},
    {ecGotoMarker3, "ecGotoMarker3"},
    {ecGotoMarker4, "ecGotoMarker4"},
    {ecGotoMarker5, "ecGotoMarker5"},
    {ecGotoMarker6, "ecGotoMarker6"},
    {ecGotoMarker7, "ecGotoMarker7"},
    {ecGotoMarker8, "ecGotoMarker8"},
    {ecGotoMarker9, "ecGotoMarker9"},
    {ecSetMarker0, "ecSetMarker0"},
    {ecSetMarker1, "ecSetMarker1"},
    {ecSetMarker2, "ecSetMarker2"},
    {ecSetMarker3, "ecSetMarker3"},
    {ecSetMarker4, "ecSetMarker4"},
    {ecSetMarker5, "ecSetMarker5"},
    {ecSetMarker6, "ecSetMarker6"},
    {ecSetMarker7, "ecSetMarker7"},
    {ecSetMarker8, "ecSetMarker8"},
    {ecSetMarker9, "ecSetMarker9"},
    {ecUpperCase, "ecUpperCase"},
    {ecLowerCase, "ecLowerCase"},
    {ecToggleCase, "ecToggleCase"},
    {ecTitleCase, "ecTitleCase"},
    {ecUpperCaseBlock, "ecUpperCaseBlock"},
    {ecLowerCaseBlock, "ecLowerCaseBlock"},
    {ecToggleCaseBlock, "ecToggleCaseBlock"},
    {ecString, "ecString"},
};
static_assert(std::size(EditorCommandStrs) == 100);

// The default key map, in the order the bindings are added.
struct TDefaultBinding {
    TTeEditorCommand Command;
    WORD Key;
    TShiftState Shift;
};
constexpr TShiftState ssCtrlShift = ssCtrl | ssShift;
const TDefaultBinding DefaultKeyMap[] = {
    {ecUp, VK_UP, 0},
    {ecSelUp, VK_UP, ssShift},
    {ecScrollUp, VK_UP, ssCtrl},
    {ecDown, VK_DOWN, 0},
    {ecSelDown, VK_DOWN, ssShift},
    {ecScrollDown, VK_DOWN, ssCtrl},
    {ecLeft, VK_LEFT, 0},
    {ecSelLeft, VK_LEFT, ssShift},
    {ecWordLeft, VK_LEFT, ssCtrl},
    {ecSelWordLeft, VK_LEFT, ssCtrlShift},
    {ecRight, VK_RIGHT, 0},
    {ecSelRight, VK_RIGHT, ssShift},
    {ecWordRight, VK_RIGHT, ssCtrl},
    {ecSelWordRight, VK_RIGHT, ssCtrlShift},
    {ecPageDown, VK_NEXT, 0},
    {ecSelPageDown, VK_NEXT, ssShift},
    {ecPageBottom, VK_NEXT, ssCtrl},
    {ecSelPageBottom, VK_NEXT, ssCtrlShift},
    {ecPageUp, VK_PRIOR, 0},
    {ecSelPageUp, VK_PRIOR, ssShift},
    {ecPageTop, VK_PRIOR, ssCtrl},
    {ecSelPageTop, VK_PRIOR, ssCtrlShift},
    {ecLineStart, VK_HOME, 0},
    {ecSelLineStart, VK_HOME, ssShift},
    {ecEditorTop, VK_HOME, ssCtrl},
    {ecSelEditorTop, VK_HOME, ssCtrlShift},
    {ecLineEnd, VK_END, 0},
    {ecSelLineEnd, VK_END, ssShift},
    {ecEditorBottom, VK_END, ssCtrl},
    {ecSelEditorBottom, VK_END, ssCtrlShift},
    {ecToggleMode, VK_INSERT, 0},
    {ecCopy, VK_INSERT, ssCtrl},
    {ecCut, VK_DELETE, ssShift},
    {ecPaste, VK_INSERT, ssShift},
    {ecDeleteChar, VK_DELETE, 0},
    {ecDeleteLastChar, VK_BACK, 0},
    {ecDeleteLastChar, VK_BACK, ssShift},
    {ecDeleteLastWord, VK_BACK, ssCtrl},
    {ecUndo, VK_BACK, ssAlt},
    {ecRedo, VK_BACK, ssAlt | ssShift},
    {ecLineBreak, VK_RETURN, 0},
    {ecLineBreak, VK_RETURN, ssShift},
    {ecTab, VK_TAB, 0},
    {ecShiftTab, VK_TAB, ssShift},
    {ecContextHelp, VK_F1, 0},
    {ecSelectAll, 'A', ssCtrl},
    {ecCopy, 'C', ssCtrl},
    {ecPaste, 'V', ssCtrl},
    {ecCut, 'X', ssCtrl},
    {ecBlockIndent, 'I', ssCtrlShift},
    {ecBlockUnindent, 'U', ssCtrlShift},
    {ecLineBreak, 'M', ssCtrl},
    {ecInsertLine, 'N', ssCtrl},
    {ecDeleteWord, 'T', ssCtrl},
    {ecDeleteLine, 'Y', ssCtrl},
    {ecDeleteEOL, 'Y', ssCtrlShift},
    {ecUndo, 'Z', ssCtrl},
    {ecRedo, 'Z', ssCtrlShift},
    {ecGotoMarker0, '0', ssCtrl},
    {ecGotoMarker1, '1', ssCtrl},
    {ecGotoMarker2, '2', ssCtrl},
    {ecGotoMarker3, '3', ssCtrl},
    {ecGotoMarker4, '4', ssCtrl},
    {ecGotoMarker5, '5', ssCtrl},
    {ecGotoMarker6, '6', ssCtrl},
    {ecGotoMarker7, '7', ssCtrl},
    {ecGotoMarker8, '8', ssCtrl},
    {ecGotoMarker9, '9', ssCtrl},
    {ecSetMarker0, '0', ssCtrlShift},
    {ecSetMarker1, '1', ssCtrlShift},
    {ecSetMarker2, '2', ssCtrlShift},
    {ecSetMarker3, '3', ssCtrlShift},
    {ecSetMarker4, '4', ssCtrlShift},
    {ecSetMarker5, '5', ssCtrlShift},
    {ecSetMarker6, '6', ssCtrlShift},
    {ecSetMarker7, '7', ssCtrlShift},
    {ecSetMarker8, '8', ssCtrlShift},
    {ecSetMarker9, '9', ssCtrlShift},
    {ecNormalSelect, 'N', ssCtrlShift},
    {ecColumnSelect, 'C', ssCtrlShift},
    {ecLineSelect, 'L', ssCtrlShift},
    {ecMatchBracket, 'B', ssCtrlShift},
};
static_assert(std::size(DefaultKeyMap) == 82);

// Clears a re-entry flag however the chain is left.
class ReentryGuard {
public:
    explicit ReentryGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~ReentryGuard() { flag_ = false; }
    ReentryGuard(const ReentryGuard&) = delete;
    ReentryGuard& operator=(const ReentryGuard&) = delete;

private:
    bool& flag_;
};

// Calls the handlers from the last added to the first while Go() holds; a
// handler may change the chain, so each index is checked before its call.
template <class Event, class Go, class... Args>
void RunChain(const TMethodList<Event>& Chain, Go go, Args&&... args) {
    for (int i = Chain.Count() - 1; i >= 0 && go(); --i) {
        if (i >= Chain.Count()) continue;
        Event handler = Chain.Items(i);
        handler(args...);
    }
}

}  // namespace

const TTypeInfo* TypeInfoTTeEditorCommand() {
    static const TTypeInfo* info = [] {
        const TTypeInfo* ti = MakeOrdinalTypeInfo("TTeEditorCommand", tkInteger, otUWord, 0, 65535);
        RegisterIntegerConsts(ti, &IdentToEditorCommand, &EditorCommandToIdent);
        return ti;
    }();
    return info;
}

bool EditorCommandToIdent(int Command, AnsiString& Ident) {
    return IntToIdent(Command, Ident, EditorCommandStrs, std::size(EditorCommandStrs));
}

bool IdentToEditorCommand(const AnsiString& Ident, int& Command) {
    return IdentToInt(Ident, Command, EditorCommandStrs, std::size(EditorCommandStrs));
}

AnsiString EditorCommandToText(TTeEditorCommand Command) {
    AnsiString ident;
    if (EditorCommandToIdent(Command, ident)) return ident;
    return IntToStr(static_cast<int>(Command));
}

// ---------------------------------------------------------------------------
// TTeEditKeyStroke

TESK_PUBLISHED(TTeEditKeyStroke) {
    Property("Command", TypeInfoTTeEditorCommand(), &T::Command, &T::SetCommand);
    Property("ShortCut", TypeInfoTShortCut(), &T::ShortCut, &T::SetShortCut).Default(0);
    Property("ShortCut2", TypeInfoTShortCut(), &T::ShortCut2, &T::SetShortCut2).Default(0);
}

void TTeEditKeyStroke::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TTeEditKeyStroke*>(Source)) {
        command_ = source->command_;
        key_ = source->key_;
        key2_ = source->key2_;
        shift_ = source->shift_;
        shift2_ = source->shift2_;
        return;
    }
    TCollectionItem::Assign(Source);
}

TShortCut TTeEditKeyStroke::ShortCut() const { return ::ShortCut(key_, shift_); }

TShortCut TTeEditKeyStroke::ShortCut2() const { return ::ShortCut(key2_, shift2_); }

int TTeEditKeyStroke::FindShortcuts(TShortCut First, TShortCut Second) const {
    auto* strokes = dynamic_cast<TTeEditKeyStrokes*>(Collection());
    return strokes ? strokes->FindShortcut2(First, Second) : -1;
}

void TTeEditKeyStroke::SetShortCut(TShortCut Value) {
    if (Value != 0) {
        int found = FindShortcuts(Value, ShortCut2());
        if (found != -1 && found != Index()) throw ETeKeyError("Shortcut already exists");
    }
    WORD key = 0;
    TShiftState shift = 0;
    ShortCutToKey(Value, key, shift);
    if (key != key_) key_ = key;
    if (shift != shift_) shift_ = shift;
}

void TTeEditKeyStroke::SetShortCut2(TShortCut Value) {
    if (Value != 0) {
        int found = FindShortcuts(ShortCut(), Value);
        if (found != -1 && found != Index()) throw ETeKeyError("Shortcut already exists");
    }
    WORD key = 0;
    TShiftState shift = 0;
    ShortCutToKey(Value, key, shift);
    if (key != key2_) key2_ = key;
    if (shift != shift2_) shift2_ = shift;
}

AnsiString TTeEditKeyStroke::GetDisplayName() const {
    AnsiString result = EditorCommandToText(command_) + " - " + ShortCutToText(ShortCut());
    if (ShortCut2() != 0) result += " " + ShortCutToText(ShortCut2());
    if (result.empty()) return TCollectionItem::GetDisplayName();
    return result;
}

// ---------------------------------------------------------------------------
// TTeEditKeyStrokes

TESK_PUBLISHED(TTeEditKeyStrokes) {}

TTeEditKeyStrokes::TTeEditKeyStrokes(TPersistent* AOwner)
    : TCollection(ItemClassOf<TTeEditKeyStroke>), owner_(AOwner) {}

void TTeEditKeyStrokes::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TTeEditKeyStrokes*>(Source)) {
        if (source == this) return;
        Clear();
        for (int i = 0; i < source->Count(); ++i) Add()->Assign(source->Items(i));
        return;
    }
    TCollection::Assign(Source);
}

void TTeEditKeyStrokes::AddKey(TTeEditorCommand ACmd, WORD AKey, TShiftState AShift) {
    TTeEditKeyStroke* item = Add();
    try {
        item->SetKey(AKey);
        item->SetShift(AShift);
        item->SetCommand(ACmd);
    } catch (...) {
        FreeObject(item);
        throw;
    }
}

int TTeEditKeyStrokes::FindKeycode(WORD Code, TShiftState SS) const {
    for (int i = 0; i < Count(); ++i) {
        const TTeEditKeyStroke* item = Items(i);
        if (item->Key() == Code && item->Shift() == SS && item->Key2() == 0) return i;
    }
    return -1;
}

int TTeEditKeyStrokes::FindKeycode2(WORD Code1, TShiftState SS1, WORD Code2, TShiftState SS2) const {
    for (int i = 0; i < Count(); ++i) {
        const TTeEditKeyStroke* item = Items(i);
        if (item->Key() == Code1 && item->Shift() == SS1 && item->Key2() == Code2 && item->Shift2() == SS2)
            return i;
    }
    return -1;
}

int TTeEditKeyStrokes::FindShortcut2(TShortCut SC, TShortCut SC2) const {
    for (int i = 0; i < Count(); ++i) {
        const TTeEditKeyStroke* item = Items(i);
        if (item->ShortCut() == SC && item->ShortCut2() == SC2) return i;
    }
    return -1;
}

void TTeEditKeyStrokes::ResetDefaults() {
    Clear();
    for (const TDefaultBinding& b : DefaultKeyMap) AddKey(b.Command, b.Key, b.Shift);
}

// ---------------------------------------------------------------------------
// TTeEditKbdHandler

void TTeEditKbdHandler::ExecuteKeyPress(TObject* Sender, char& Key) {
    if (inKeyPress_) return;
    ReentryGuard guard(inKeyPress_);
    RunChain(keyPressChain_, [&Key] { return Key != '\0'; }, Sender, Key);
}

void TTeEditKbdHandler::ExecuteKeyDown(TObject* Sender, WORD& Key, TShiftState Shift) {
    if (inKeyDown_) return;
    ReentryGuard guard(inKeyDown_);
    RunChain(keyDownChain_, [&Key] { return Key != 0; }, Sender, Key, Shift);
}

void TTeEditKbdHandler::ExecuteKeyUp(TObject* Sender, WORD& Key, TShiftState Shift) {
    if (inKeyUp_) return;
    ReentryGuard guard(inKeyUp_);
    RunChain(keyUpChain_, [&Key] { return Key != 0; }, Sender, Key, Shift);
}

void TTeEditKbdHandler::ExecuteMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (inMouseDown_) return;
    ReentryGuard guard(inMouseDown_);
    RunChain(mouseDownChain_, [] { return true; }, Sender, Button, Shift, X, Y);
}

void TTeEditKbdHandler::ExecuteMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (inMouseUp_) return;
    ReentryGuard guard(inMouseUp_);
    RunChain(mouseUpChain_, [] { return true; }, Sender, Button, Shift, X, Y);
}

void TTeEditKbdHandler::ExecuteMouseCursor(TObject* Sender, const TBufferCoord& aLineCharPos, TCursor& aCursor) {
    if (inMouseCursor_) return;
    ReentryGuard guard(inMouseCursor_);
    RunChain(mouseCursorChain_, [] { return true; }, Sender, aLineCharPos, aCursor);
}
