#pragma once
// Editor commands with their names, the bindings of keys to commands with the
// default key map, and the chains of keyboard and mouse handlers that see
// input before the editor does.
#include <cstdint>
#include <vector>

#include "editor/TeEditMiscClasses.h"
#include "platform/classes/Collections.h"
#include "platform/classes/ShortCuts.h"
#include "platform/gui/Controls.h"
#include "platform/rtti/TypInfo.h"

// ---------------------------------------------------------------------------
// Commands

using TTeEditorCommand = uint16_t;

// Names of the values below; a stored Command property reads and writes them.
const TTypeInfo* TypeInfoTTeEditorCommand();

inline constexpr TTeEditorCommand ecNone = 0;

// Caret moves.
inline constexpr TTeEditorCommand ecLeft = 1;
inline constexpr TTeEditorCommand ecRight = 2;
inline constexpr TTeEditorCommand ecUp = 3;
inline constexpr TTeEditorCommand ecDown = 4;
inline constexpr TTeEditorCommand ecWordLeft = 5;
inline constexpr TTeEditorCommand ecWordRight = 6;
inline constexpr TTeEditorCommand ecLineStart = 7;
inline constexpr TTeEditorCommand ecLineEnd = 8;
inline constexpr TTeEditorCommand ecPageUp = 9;
inline constexpr TTeEditorCommand ecPageDown = 10;
inline constexpr TTeEditorCommand ecPageLeft = 11;
inline constexpr TTeEditorCommand ecPageRight = 12;
inline constexpr TTeEditorCommand ecPageTop = 13;
inline constexpr TTeEditorCommand ecPageBottom = 14;
inline constexpr TTeEditorCommand ecEditorTop = 15;
inline constexpr TTeEditorCommand ecEditorBottom = 16;
inline constexpr TTeEditorCommand ecGotoXY = 17;

// The same moves extending the selection.
inline constexpr TTeEditorCommand ecSelection = 100;
inline constexpr TTeEditorCommand ecSelLeft = ecLeft + ecSelection;
inline constexpr TTeEditorCommand ecSelRight = ecRight + ecSelection;
inline constexpr TTeEditorCommand ecSelUp = ecUp + ecSelection;
inline constexpr TTeEditorCommand ecSelDown = ecDown + ecSelection;
inline constexpr TTeEditorCommand ecSelWordLeft = ecWordLeft + ecSelection;
inline constexpr TTeEditorCommand ecSelWordRight = ecWordRight + ecSelection;
inline constexpr TTeEditorCommand ecSelLineStart = ecLineStart + ecSelection;
inline constexpr TTeEditorCommand ecSelLineEnd = ecLineEnd + ecSelection;
inline constexpr TTeEditorCommand ecSelPageUp = ecPageUp + ecSelection;
inline constexpr TTeEditorCommand ecSelPageDown = ecPageDown + ecSelection;
inline constexpr TTeEditorCommand ecSelPageLeft = ecPageLeft + ecSelection;
inline constexpr TTeEditorCommand ecSelPageRight = ecPageRight + ecSelection;
inline constexpr TTeEditorCommand ecSelPageTop = ecPageTop + ecSelection;
inline constexpr TTeEditorCommand ecSelPageBottom = ecPageBottom + ecSelection;
inline constexpr TTeEditorCommand ecSelEditorTop = ecEditorTop + ecSelection;
inline constexpr TTeEditorCommand ecSelEditorBottom = ecEditorBottom + ecSelection;
inline constexpr TTeEditorCommand ecSelGotoXY = ecGotoXY + ecSelection;

inline constexpr TTeEditorCommand ecSelectAll = 199;
inline constexpr TTeEditorCommand ecCopy = 201;
inline constexpr TTeEditorCommand ecScrollUp = 211;
inline constexpr TTeEditorCommand ecScrollDown = 212;
inline constexpr TTeEditorCommand ecScrollLeft = 213;
inline constexpr TTeEditorCommand ecScrollRight = 214;
inline constexpr TTeEditorCommand ecInsertMode = 221;
inline constexpr TTeEditorCommand ecOverwriteMode = 222;
inline constexpr TTeEditorCommand ecToggleMode = 223;
inline constexpr TTeEditorCommand ecNormalSelect = 231;
inline constexpr TTeEditorCommand ecColumnSelect = 232;
inline constexpr TTeEditorCommand ecLineSelect = 233;
inline constexpr TTeEditorCommand ecMatchBracket = 250;
inline constexpr TTeEditorCommand ecCommentBlock = 251;

// Bookmarks: the command plus the marker number 0..9.
inline constexpr TTeEditorCommand ecGotoMarker0 = 301;
inline constexpr TTeEditorCommand ecGotoMarker1 = 302;
inline constexpr TTeEditorCommand ecGotoMarker2 = 303;
inline constexpr TTeEditorCommand ecGotoMarker3 = 304;
inline constexpr TTeEditorCommand ecGotoMarker4 = 305;
inline constexpr TTeEditorCommand ecGotoMarker5 = 306;
inline constexpr TTeEditorCommand ecGotoMarker6 = 307;
inline constexpr TTeEditorCommand ecGotoMarker7 = 308;
inline constexpr TTeEditorCommand ecGotoMarker8 = 309;
inline constexpr TTeEditorCommand ecGotoMarker9 = 310;
inline constexpr TTeEditorCommand ecSetMarker0 = 351;
inline constexpr TTeEditorCommand ecSetMarker1 = 352;
inline constexpr TTeEditorCommand ecSetMarker2 = 353;
inline constexpr TTeEditorCommand ecSetMarker3 = 354;
inline constexpr TTeEditorCommand ecSetMarker4 = 355;
inline constexpr TTeEditorCommand ecSetMarker5 = 356;
inline constexpr TTeEditorCommand ecSetMarker6 = 357;
inline constexpr TTeEditorCommand ecSetMarker7 = 358;
inline constexpr TTeEditorCommand ecSetMarker8 = 359;
inline constexpr TTeEditorCommand ecSetMarker9 = 360;

inline constexpr TTeEditorCommand ecContextHelp = 490;

// Edits.
inline constexpr TTeEditorCommand ecDeleteLastChar = 501;
inline constexpr TTeEditorCommand ecDeleteChar = 502;
inline constexpr TTeEditorCommand ecDeleteWord = 503;
inline constexpr TTeEditorCommand ecDeleteLastWord = 504;
inline constexpr TTeEditorCommand ecDeleteBOL = 505;
inline constexpr TTeEditorCommand ecDeleteEOL = 506;
inline constexpr TTeEditorCommand ecDeleteLine = 507;
inline constexpr TTeEditorCommand ecClearAll = 508;
inline constexpr TTeEditorCommand ecLineBreak = 509;
inline constexpr TTeEditorCommand ecInsertLine = 510;
inline constexpr TTeEditorCommand ecChar = 511;
inline constexpr TTeEditorCommand ecImeStr = 550;

inline constexpr TTeEditorCommand ecUndo = 601;
inline constexpr TTeEditorCommand ecRedo = 602;
inline constexpr TTeEditorCommand ecCut = 603;
inline constexpr TTeEditorCommand ecPaste = 604;
inline constexpr TTeEditorCommand ecBlockIndent = 610;
inline constexpr TTeEditorCommand ecBlockUnindent = 611;
inline constexpr TTeEditorCommand ecTab = 612;
inline constexpr TTeEditorCommand ecShiftTab = 613;

// These two names are also the edit controls' letter-case values: in a
// namespace of their own they do not clash where both are declared (a unit
// that sees both names them TeEditCaseCommands::ecUpperCase).
namespace TeEditCaseCommands {
inline constexpr TTeEditorCommand ecUpperCase = 620;
inline constexpr TTeEditorCommand ecLowerCase = 621;
}  // namespace TeEditCaseCommands
using namespace TeEditCaseCommands;
inline constexpr TTeEditorCommand ecToggleCase = 622;
inline constexpr TTeEditorCommand ecTitleCase = 623;
inline constexpr TTeEditorCommand ecUpperCaseBlock = 625;
inline constexpr TTeEditorCommand ecLowerCaseBlock = 626;
inline constexpr TTeEditorCommand ecToggleCaseBlock = 627;
inline constexpr TTeEditorCommand ecString = 630;

inline constexpr TTeEditorCommand ecAutoCompletion = 650;

// Commands from here on are the application's own.
inline constexpr TTeEditorCommand ecUserFirst = 1001;

// The name of a command; false for a value without one.
bool EditorCommandToIdent(int Command, AnsiString& Ident);
// The value of a command name (letter case ignored); false for an unknown name.
bool IdentToEditorCommand(const AnsiString& Ident, int& Command);
// The name, or the decimal number for a value without one.
AnsiString EditorCommandToText(TTeEditorCommand Command);

// ---------------------------------------------------------------------------
// Key bindings

TESK_DECLARE_EXCEPTION(ETeKeyError, Exception);

class TTeEditKeyStrokes;

// A key (or two keys pressed one after the other) bound to a command.
class TTeEditKeyStroke : public TCollectionItem {
    TESK_CLASS(TTeEditKeyStroke, TCollectionItem)
public:
    explicit TTeEditKeyStroke(TCollection* Collection) : TCollectionItem(Collection) {}
    void Assign(TPersistent* Source) override;

    WORD Key() const { return key_; }
    void SetKey(WORD Value) { key_ = Value; }
    TShiftState Shift() const { return shift_; }
    void SetShift(TShiftState Value) { shift_ = Value; }
    WORD Key2() const { return key2_; }
    void SetKey2(WORD Value) { key2_ = Value; }
    TShiftState Shift2() const { return shift2_; }
    void SetShift2(TShiftState Value) { shift2_ = Value; }
    TTeEditorCommand Command() const { return command_; }
    void SetCommand(TTeEditorCommand Value) { command_ = Value; }

    // Key and Shift as one shortcut. Setting one that another binding with the
    // same ShortCut2 already has raises ETeKeyError and changes nothing.
    TShortCut ShortCut() const;
    void SetShortCut(TShortCut Value);
    // The same for the second key.
    TShortCut ShortCut2() const;
    void SetShortCut2(TShortCut Value);

protected:
    // "<command> - <shortcut>[ <shortcut2>]".
    AnsiString GetDisplayName() const override;

private:
    // The index of the first binding with both shortcuts, -1 when none.
    int FindShortcuts(TShortCut First, TShortCut Second) const;

    WORD key_ = 0;
    TShiftState shift_ = 0;
    WORD key2_ = 0;
    TShiftState shift2_ = 0;
    TTeEditorCommand command_ = ecNone;
};

class TTeEditKeyStrokes : public TCollection {
    TESK_CLASS(TTeEditKeyStrokes, TCollection)
public:
    explicit TTeEditKeyStrokes(TPersistent* AOwner);
    void Assign(TPersistent* Source) override;

    TTeEditKeyStroke* Add() { return static_cast<TTeEditKeyStroke*>(TCollection::Add()); }
    // A binding set directly, without the duplicate test.
    void AddKey(TTeEditorCommand ACmd, WORD AKey, TShiftState AShift);
    TTeEditKeyStroke* Items(int Index) const { return static_cast<TTeEditKeyStroke*>(TCollection::Items(Index)); }
    TTeEditKeyStroke* operator[](int Index) const { return Items(Index); }

    // The index of the first single-key binding of Code with Shift, -1 when none.
    int FindKeycode(WORD Code, TShiftState SS) const;
    // The index of the first two-key binding of both keys, -1 when none.
    int FindKeycode2(WORD Code1, TShiftState SS1, WORD Code2, TShiftState SS2) const;
    // The index of the first binding with both shortcuts, -1 when none.
    int FindShortcut2(TShortCut SC, TShortCut SC2) const;
    // Replaces the bindings by the default key map.
    void ResetDefaults();

protected:
    TPersistent* GetOwner() override { return owner_; }

private:
    TPersistent* owner_;
};

// ---------------------------------------------------------------------------
// Keyboard and mouse handler chains

// (Sender, buffer position under the mouse, the cursor to show).
using TMouseCursorEvent = Delegate<void(TObject* Sender, const TBufferCoord& aLineCharPos, TCursor& aCursor)>;

// An ordered list of handlers of one event type.
template <class Event>
class TMethodList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const Event& Items(int Index) const { return items_[static_cast<size_t>(Index)]; }
    void Add(const Event& AHandler) { items_.push_back(AHandler); }
    // Removes the first entry equal to AHandler.
    void Remove(const Event& AHandler) {
        for (auto it = items_.begin(); it != items_.end(); ++it) {
            if (*it == AHandler) {
                items_.erase(it);
                return;
            }
        }
    }

private:
    std::vector<Event> items_;
};

// Runs the handlers of each chain, the last added first. A handler that makes
// the same event happen again is not re-entered.
class TTeEditKbdHandler : public TObject {
public:
    const char* ClassName() const override { return "TTeEditKbdHandler"; }

    // The key chains stop once a handler has set the key (character) to 0.
    void ExecuteKeyPress(TObject* Sender, char& Key);
    void ExecuteKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
    void ExecuteKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
    // The mouse chains call every handler.
    void ExecuteMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ExecuteMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ExecuteMouseCursor(TObject* Sender, const TBufferCoord& aLineCharPos, TCursor& aCursor);

    void AddKeyPressHandler(const TKeyPressEvent& AHandler) { keyPressChain_.Add(AHandler); }
    void RemoveKeyPressHandler(const TKeyPressEvent& AHandler) { keyPressChain_.Remove(AHandler); }
    void AddKeyDownHandler(const TKeyEvent& AHandler) { keyDownChain_.Add(AHandler); }
    void RemoveKeyDownHandler(const TKeyEvent& AHandler) { keyDownChain_.Remove(AHandler); }
    void AddKeyUpHandler(const TKeyEvent& AHandler) { keyUpChain_.Add(AHandler); }
    void RemoveKeyUpHandler(const TKeyEvent& AHandler) { keyUpChain_.Remove(AHandler); }
    void AddMouseDownHandler(const TMouseEvent& AHandler) { mouseDownChain_.Add(AHandler); }
    void RemoveMouseDownHandler(const TMouseEvent& AHandler) { mouseDownChain_.Remove(AHandler); }
    void AddMouseUpHandler(const TMouseEvent& AHandler) { mouseUpChain_.Add(AHandler); }
    void RemoveMouseUpHandler(const TMouseEvent& AHandler) { mouseUpChain_.Remove(AHandler); }
    void AddMouseCursorHandler(const TMouseCursorEvent& AHandler) { mouseCursorChain_.Add(AHandler); }
    void RemoveMouseCursorHandler(const TMouseCursorEvent& AHandler) { mouseCursorChain_.Remove(AHandler); }

private:
    TMethodList<TKeyPressEvent> keyPressChain_;
    TMethodList<TKeyEvent> keyDownChain_;
    TMethodList<TKeyEvent> keyUpChain_;
    TMethodList<TMouseEvent> mouseDownChain_;
    TMethodList<TMouseEvent> mouseUpChain_;
    TMethodList<TMouseCursorEvent> mouseCursorChain_;
    bool inKeyPress_ = false;
    bool inKeyDown_ = false;
    bool inKeyUp_ = false;
    bool inMouseDown_ = false;
    bool inMouseUp_ = false;
    bool inMouseCursor_ = false;
};
