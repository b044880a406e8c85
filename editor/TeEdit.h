#pragma once
// The plain-text editor control. TCustomTeEdit owns the line list, the undo and
// redo lists, the key map, the text drawer, the gutter and option objects and
// the marks, and keeps caret, selection, scroll position and scroll bars in
// step with them; TTeEdit publishes it and TTeMemo adds the edit-control
// messages. Everything the user does arrives as an editor command; changes are
// recorded as undo items grouped by change number. Work that depends on the
// whole of a change (caret, scroll bars, status reports, repainting) waits for
// the outermost paint lock to end.
#include <vector>

#include "editor/TeEditHighlighter.h"
#include "editor/TeEditKeyCmds.h"
#include "editor/TeEditMarks.h"
#include "editor/TeEditOptions.h"
#include "editor/TeEditTextBuffer.h"
#include "editor/TeEditTextDrawer.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"

class TTeWordWrapPlugin;
class TCustomTeEdit;

// The command bound to the key Code with Shift. LastKey and LastShift hold
// the editor's memory of an unbound key that may begin a two-key binding: a
// two-key binding that starts with it is tried first; afterwards the memory
// holds Code and Shift when they found no command and Code lies in
// 0x1E..0x91, else 0. Data receives the command's data (none for key
// bindings).
TTeEditorCommand TranslateKeyCode(const TTeEditKeyStrokes* Keystrokes, WORD& LastKey, TShiftState& LastShift,
                                  WORD Code, TShiftState Shift, void*& Data);

TESK_DECLARE_EXCEPTION(ETeEditError, Exception);

enum TTeEditorOption {
    eoAltSetsColumnMode,
    eoAutoIndent,
    eoAutoSizeMaxScrollWidth,
    eoDisableScrollArrows,
    eoDragDropEditing,
    eoDropFiles,
    eoEnhanceHomeKey,
    eoEnhanceEndKey,
    eoGroupUndo,
    eoHalfPageScroll,
    eoHideShowScrollbars,
    eoKeepCaretX,
    eoNoCaret,
    eoNoSelection,
    eoRightMouseMovesCursor,
    eoScrollByOneLess,
    eoScrollHintFollows,
    eoScrollPastEof,
    eoScrollPastEol,
    eoShowScrollHint,
    eoShowSpecialChars,
    eoSmartTabDelete,
    eoSmartTabs,
    eoSpecialLineDefaultFg,
    eoTabIndent,
    eoTabsToSpaces,
    eoTrimTrailingSpaces,
};
TESK_ENUM_INFO(TTeEditorOption, eoAltSetsColumnMode, eoAutoIndent, eoAutoSizeMaxScrollWidth, eoDisableScrollArrows,
               eoDragDropEditing, eoDropFiles, eoEnhanceHomeKey, eoEnhanceEndKey, eoGroupUndo, eoHalfPageScroll,
               eoHideShowScrollbars, eoKeepCaretX, eoNoCaret, eoNoSelection, eoRightMouseMovesCursor,
               eoScrollByOneLess, eoScrollHintFollows, eoScrollPastEof, eoScrollPastEol, eoShowScrollHint,
               eoShowSpecialChars, eoSmartTabDelete, eoSmartTabs, eoSpecialLineDefaultFg, eoTabIndent,
               eoTabsToSpaces, eoTrimTrailingSpaces)

// A set of options: bit n is option n.
struct TTeEditorOptions {
    uint32_t Bits = 0;
    constexpr TTeEditorOptions() = default;
    constexpr TTeEditorOptions(std::initializer_list<TTeEditorOption> options) {
        for (TTeEditorOption o : options) Bits |= 1u << o;
    }
    static constexpr TTeEditorOptions FromBits(uint32_t bits) {
        TTeEditorOptions s;
        s.Bits = bits;
        return s;
    }
    constexpr bool Contains(TTeEditorOption o) const { return (Bits >> o) & 1u; }
    constexpr TTeEditorOptions& Include(TTeEditorOption o) { Bits |= 1u << o; return *this; }
    constexpr TTeEditorOptions& Exclude(TTeEditorOption o) { Bits &= ~(1u << o); return *this; }
    friend constexpr bool operator==(TTeEditorOptions, TTeEditorOptions) = default;
};
template <>
struct TSetTraits<TTeEditorOptions> {
    static TSetBits ToBits(const TTeEditorOptions& s) { return OrdToSetBits(s.Bits); }
    static TTeEditorOptions FromBits(const TSetBits& b) {
        return TTeEditorOptions::FromBits(static_cast<uint32_t>(SetBitsToOrd(b)));
    }
};
TESK_SET_INFO(TTeEditorOptions, TTeEditorOption)

inline constexpr TTeEditorOptions kTeDefaultOptions = TTeEditorOptions::FromBits(0x026C0192);

enum TTeEditCaretType { ctVerticalLine, ctHorizontalLine, ctHalfBlock, ctBlock };
TESK_ENUM_INFO(TTeEditCaretType, ctVerticalLine, ctHorizontalLine, ctHalfBlock, ctBlock)
enum TScrollHintFormat { shfTopLineOnly, shfTopToBottom };
TESK_ENUM_INFO(TScrollHintFormat, shfTopLineOnly, shfTopToBottom)

using TTeStatusChanges = uint16_t;
enum : TTeStatusChanges {
    scAll = 1,
    scCaretX = 2,
    scCaretY = 4,
    scLeftChar = 8,
    scTopLine = 16,
    scInsertMode = 32,
    scModified = 64,
    scSelection = 128,
    scReadOnly = 256,
};

// The order of transient painting around a change.
enum TTransientType { ttBefore, ttAfter };

using TPlaceMarkEvent = Delegate<void(TObject* Sender, TTeEditMark*& Mark)>;
using TProcessCommandEvent = Delegate<void(TObject* Sender, TTeEditorCommand& Command, char& AChar, void* Data)>;
using TContextHelpEvent = Delegate<void(TObject* Sender, AnsiString Word)>;
using TDropFilesEvent = Delegate<void(TObject* Sender, int X, int Y, TStrings* AFiles)>;
using TGutterClickEvent =
    Delegate<void(TObject* Sender, TMouseButton Button, int X, int Y, int Line, TTeEditMark* Mark)>;
using TGutterGetTextEvent = Delegate<void(TObject* Sender, int aLine, AnsiString& aText)>;
using TGutterPaintEvent = Delegate<void(TObject* Sender, int aLine, int X, int Y)>;
using TPaintEvent = Delegate<void(TObject* Sender, TCanvas* ACanvas)>;
using TPaintTransient = Delegate<void(TObject* Sender, TCanvas* Canvas, TTransientType TransientType)>;
using TSpecialLineColorsEvent =
    Delegate<void(TObject* Sender, int Line, bool& Special, TColor& FG, TColor& BG)>;
using TReplaceAction = int;
using TReplaceTextEvent = Delegate<void(TObject* Sender, const AnsiString& ASearch, const AnsiString& AReplace,
                                        int Line, int Column, TReplaceAction& Action)>;
// The framework's TScrollEvent (a scroll bar's own event) has another shape.
using TTeScrollEvent = Delegate<void(TObject* Sender, TScrollBarKind ScrollBar)>;
using TStatusChangeEvent = Delegate<void(TObject* Sender, TTeStatusChanges Changes)>;
using THookedCommandEvent =
    Delegate<void(TObject* Sender, bool AfterProcessing, bool& Handled, TTeEditorCommand& Command, char& AChar,
                  void* Data, void* HandlerData)>;

// Something that paints after the text lines (none is registered in the program).
class TTeEditPlugin : public TObject {
public:
    explicit TTeEditPlugin(TCustomTeEdit* AOwner);
    ~TTeEditPlugin() override;
    const char* ClassName() const override { return "TTeEditPlugin"; }
    virtual void AfterPaint(TCanvas* ACanvas, const TRect& AClip, int FirstLine, int LastLine) = 0;
    virtual void LinesInserted(int FirstLine, int Count) = 0;
    virtual void LinesDeleted(int FirstLine, int Count) = 0;
    TCustomTeEdit* Editor() const { return owner_; }

private:
    friend class TCustomTeEdit;
    TCustomTeEdit* owner_;
};

class TCustomTeEdit : public TCustomControl {
    TESK_CLASS(TCustomTeEdit, TCustomControl)
public:
    explicit TCustomTeEdit(TComponent* AOwner);
    ~TCustomTeEdit() override;
    void Loaded() override;
    void Dispatch(TMessage& Message) override;
    void WndProc(TMessage& Message) override;

    // ---- Text --------------------------------------------------------------
    // The lines joined by CR LF, no break after the last one; no side effect.
    AnsiString GetText() override;
    // Replaces every line; records nothing, resets caret, scroll position and
    // both undo lists, fires no OnChange.
    void SetText(const AnsiString& Value);
    // Removes all text, the marks and bookmarks and both undo lists; Modified false.
    void Clear() { ClearAll(); }
    void ClearAll();
    TStrings* Lines() const { return lines_; }
    void SetLines(TStrings* Value);
    TTeEditStringList* EditLines() const { return lines_; }
    AnsiString LineText();
    void SetLineText(const AnsiString& Value);
    bool Modified() const { return modified_; }
    void SetModified(bool Value);
    bool CanUndo();
    bool CanRedo();
    bool CanPaste();
    TTeEditUndoList* UndoList() const { return undoList_; }
    TTeEditUndoList* RedoList() const { return redoList_; }
    // Shared text: the control shows and edits Source's lines with Source's
    // undo lists until it unhooks, is freed, or Source is freed; then it has
    // its own lines and lists back as they were.
    void HookTextBuffer(TCustomTeEdit* Source);
    void UnHookTextBuffer();
    TCustomTeEdit* TextBufferSource() const { return sharedSource_; }

    // ---- Caret and selection -------------------------------------------
    int CaretX() const { return caretX_; }
    int CaretY() const { return caretY_; }
    TBufferCoord CaretXY() const { return BufferCoord(caretX_, caretY_); }
    void SetCaretX(int Value);
    void SetCaretY(int Value);
    // Moves the caret and collapses the selection onto it.
    virtual void SetCaretXY(const TBufferCoord& Value);
    // Moves the caret, keeps the selection.
    virtual void InternalSetCaretXY(const TBufferCoord& Value);
    virtual void SetCaretXYEx(bool CallEnsureCursorPos, TBufferCoord Value);
    TBufferCoord BlockBegin() const;
    TBufferCoord BlockEnd() const;
    void SetBlockBegin(TBufferCoord Value);
    void SetBlockEnd(TBufferCoord Value);
    bool SelAvail() const;
    AnsiString SelText();
    void SetSelText(const AnsiString& Value);
    int SelStart();
    void SetSelStart(int Value);
    int SelEnd();
    void SetSelEnd(int Value);
    int SelLength() { return SelEnd() - SelStart(); }
    void SetSelLength(int Value);
    TTeSelectionMode SelectionMode() const { return selectionMode_; }
    void SetSelectionMode(TTeSelectionMode Value);
    TTeSelectionMode ActiveSelectionMode() const { return activeSelectionMode_; }
    void SetActiveSelectionMode(TTeSelectionMode Value);
    void SetCaretAndSelection(const TBufferCoord& ptCaret, const TBufferCoord& ptBefore, const TBufferCoord& ptAfter);
    void SelectAll();
    void ClearSelection();
    // A char index (line breaks count 2) to a position and back.
    TBufferCoord CharIndexToRowCol(int Index);
    int RowColToCharIndex(TBufferCoord RowCol);
    bool IsPointInSelection(const TBufferCoord& Value) const;
    void SetWordBlock(TBufferCoord Value);

    // ---- View and coordinates -----------------------------------------------
    int TopLine() const { return topLine_; }
    void SetTopLine(int Value);
    int LeftChar() const { return leftChar_; }
    void SetLeftChar(int Value);
    int LinesInWindow() const { return linesInWindow_; }
    int CharsInWindow() const { return charsInWindow_; }
    int CharWidth() const { return charWidth_; }
    int LineHeight() const { return textHeight_; }
    int GutterWidth() const { return gutterWidth_; }
    int TextOffset() const { return textOffset_; }
    int DisplayX();
    int DisplayY();
    TDisplayCoord DisplayXY();
    int DisplayLineCount();
    int RowToLine(int aRow);
    int LineToRow(int aLine);
    TDisplayCoord BufferToDisplayPos(const TBufferCoord& p);
    TBufferCoord DisplayToBufferPos(const TDisplayCoord& p);
    TDisplayCoord PixelsToRowColumn(int aX, int aY);
    TDisplayCoord PixelsToNearestRowColumn(int aX, int aY);
    TPoint RowColumnToPixels(const TDisplayCoord& RowCol);
    void EnsureCursorPosVisible();
    void EnsureCursorPosVisibleEx(bool ForceToMiddle);
    void UpdateScrollBars();
    void InvalidateLine(int Line);
    void InvalidateLines(int FirstLine, int LastLine);
    void InvalidateGutter() { InvalidateGutterLines(-1, -1); }
    void InvalidateGutterLine(int aLine);
    void InvalidateGutterLines(int FirstLine, int LastLine);
    void InvalidateSelection();
    void IncPaintLock();
    void DecPaintLock();
    int PaintLock() const { return paintLock_; }
    AnsiString WordAtCursor();
    AnsiString GetWordAtRowCol(TBufferCoord XY);

    // ---- Commands, clipboard, undo ------------------------------------
    virtual void CommandProcessor(TTeEditorCommand Command, char AChar, void* Data);
    virtual void ExecuteCommand(TTeEditorCommand Command, char AChar, void* Data);
    void Undo();
    void Redo();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void BeginUndoBlock();
    void EndUndoBlock();
    void LockUndo();
    void UnlockUndo();
    void SetSelTextPrimitive(const AnsiString& Value);
    void SetSelTextPrimitiveEx(TTeSelectionMode PasteMode, const char* Value, bool AddToUndoList);
    void DoLinesInserted(int FirstLine, int Count);
    void DoLinesDeleted(int FirstLine, int Count);
    void SetDefaultKeystrokes();
    TTeEditorCommand TranslateKey(WORD Code, TShiftState Shift, void*& Data);

    // ---- Bookmarks and marks ---------------------------------------------
    bool GetBookMark(int BookMark, int& X, int& Y) const;
    bool IsBookmark(int BookMark) const;
    void SetBookMark(int BookMark, int X, int Y);
    void ClearBookMark(int BookMark);
    void GotoBookMark(int BookMark);
    TTeEditMark* BookmarkSlot(int BookMark) const;
    TTeEditMarkList* Marks() const { return marks_; }

    // ---- Words and brackets ----------------------------------------------
    bool IsIdentChar(unsigned char AChar) const;
    bool IsWordChar(unsigned char AChar) const;
    bool IsWhiteChar(unsigned char AChar) const { return AChar != 0 && !IsWordChar(AChar); }
    TSysCharSet IdentChars() const;
    virtual TBufferCoord NextWordPos() { return NextWordPosEx(CaretXY()); }
    virtual TBufferCoord NextWordPosEx(const TBufferCoord& XY);
    virtual TBufferCoord PrevWordPos() { return PrevWordPosEx(CaretXY()); }
    virtual TBufferCoord PrevWordPosEx(const TBufferCoord& XY);
    virtual TBufferCoord WordStart() { return WordStartEx(CaretXY()); }
    virtual TBufferCoord WordStartEx(const TBufferCoord& XY);
    virtual TBufferCoord WordEnd() { return WordEndEx(CaretXY()); }
    virtual TBufferCoord WordEndEx(const TBufferCoord& XY);
    virtual TBufferCoord GetMatchingBracket() { return GetMatchingBracketEx(CaretXY()); }
    virtual TBufferCoord GetMatchingBracketEx(const TBufferCoord& APoint);
    virtual void FindMatchingBracket();

    // ---- Extension points ---------------------------------------------
    void AddFocusControl(TWinControl* aControl);
    void RemoveFocusControl(TWinControl* aControl);
    void RegisterCommandHandler(const THookedCommandEvent& AHandlerProc, void* AHandlerData);
    void UnregisterCommandHandler(const THookedCommandEvent& AHandlerProc);
    void AddKeyDownHandler(const TKeyEvent& h) { kbdHandler_->AddKeyDownHandler(h); }
    void RemoveKeyDownHandler(const TKeyEvent& h) { kbdHandler_->RemoveKeyDownHandler(h); }
    void AddKeyPressHandler(const TKeyPressEvent& h) { kbdHandler_->AddKeyPressHandler(h); }
    void RemoveKeyPressHandler(const TKeyPressEvent& h) { kbdHandler_->RemoveKeyPressHandler(h); }
    std::vector<TTeEditPlugin*>& Plugins() { return plugins_; }
    void SetFocus() override;

    // ---- Properties ----------------------------------------------------
    TColor ActiveLineColor() const { return activeLineColor_; }
    void SetActiveLineColor(TColor Value);
    TTeBookMarkOpt* BookMarkOptions() const { return bookMarkOpt_; }
    void SetBookMarkOptions(TTeBookMarkOpt* Value) { bookMarkOpt_->Assign(Value); }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle Value);
    int ExtraLineSpacing() const { return extraLineSpacing_; }
    void SetExtraLineSpacing(int Value);
    TTeGutter* Gutter() const { return gutter_; }
    void SetGutter(TTeGutter* Value) { gutter_->Assign(Value); }
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool Value);
    TTeCustomHighlighter* Highlighter() const { return highlighter_; }
    void SetHighlighter(TTeCustomHighlighter* Value);
    TTeEditCaretType InsertCaret() const { return insertCaret_; }
    void SetInsertCaret(TTeEditCaretType Value);
    bool InsertMode() const { return inserting_; }
    void SetInsertMode(bool Value);
    TTeEditKeyStrokes* Keystrokes() const { return keyStrokes_; }
    void SetKeystrokes(TTeEditKeyStrokes* Value);
    int MaxScrollWidth() const { return maxScrollWidth_; }
    void SetMaxScrollWidth(int Value);
    int MaxUndo() const { return undoList_->MaxUndo(); }
    void SetMaxUndo(int Value);
    TTeEditorOptions Options() const { return options_; }
    void SetOptions(TTeEditorOptions Value);
    TTeEditCaretType OverwriteCaret() const { return overwriteCaret_; }
    void SetOverwriteCaret(TTeEditCaretType Value);
    virtual bool GetReadOnly() const { return readOnly_; }
    bool ReadOnly() const { return GetReadOnly(); }
    virtual void SetReadOnly(bool Value);
    int RightEdge() const { return rightEdge_; }
    void SetRightEdge(int Value);
    TColor RightEdgeColor() const { return rightEdgeColor_; }
    void SetRightEdgeColor(TColor Value);
    TColor ScrollHintColor() const { return scrollHintColor_; }
    void SetScrollHintColor(TColor Value) { scrollHintColor_ = Value; }
    TScrollHintFormat ScrollHintFormat() const { return scrollHintFormat_; }
    void SetScrollHintFormat(TScrollHintFormat Value) { scrollHintFormat_ = Value; }
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle Value);
    TTeEditSearchCustom* SearchEngine() const { return searchEngine_; }
    void SetSearchEngine(TTeEditSearchCustom* Value);
    TTeSelectedColor* SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TTeSelectedColor* Value) { selectedColor_->Assign(Value); }
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int Value);
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool Value) { wantReturns_ = Value; }
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool Value) { wantTabs_ = Value; }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool Value);
    TTeGlyph* WordWrapGlyph() const { return wordWrapGlyph_; }
    void SetWordWrapGlyph(TTeGlyph* Value) { wordWrapGlyph_->Assign(Value); }
    TTeWordWrapPlugin* WordWrapPlugin() const { return wordWrapPlugin_; }
    void SetFont(TFont* Value);
    TTeTextDrawer* TextDrawer() const { return textDrawer_; }
    bool IsScrolling() const { return isScrolling_; }
    // The scroll-timer handler (tests call it in place of the timer).
    void ScrollTimerHandler(TObject* Sender);
    TTimer* ScrollTimer() const { return scrollTimer_; }

    // ---- Events -------------------------------------------------------
    TNotifyEvent OnChange;
    TPlaceMarkEvent OnClearBookmark;
    TPlaceMarkEvent OnPlaceBookmark;
    TProcessCommandEvent OnCommandProcessed;
    TProcessCommandEvent OnProcessCommand;
    TProcessCommandEvent OnProcessUserCommand;
    TContextHelpEvent OnContextHelp;
    TDropFilesEvent OnDropFiles;
    TGutterClickEvent OnGutterClick;
    TGutterGetTextEvent OnGutterGetText;
    TGutterPaintEvent OnGutterPaint;
    TPaintEvent OnPaint;
    TPaintTransient OnPaintTransient;
    TSpecialLineColorsEvent OnSpecialLineColors;
    TMouseCursorEvent OnMouseCursor;
    TReplaceTextEvent OnReplaceText;
    TTeScrollEvent OnScroll;
    TStatusChangeEvent OnStatusChange;

    // Message handlers.
    void WMSize(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    void WMCancelMode(TMessage& Message) override;
    void WMSetCursor(TMessage& Message) override;
    void WMHScroll(TMessage& Message) override;
    void WMVScroll(TMessage& Message) override;
    void WMMouseWheel(TMessage& Message) override;
    void DblClick() override;
    void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) override;
    void DragDrop(TObject* Source, int X, int Y) override;
    void DoEndDrag(TObject* Target, int X, int Y) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Paint() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void SetTextBuf(const AnsiString& Value) override;
    // The key map is streamed as its differences from the default map:
    // "RemovedKeystrokes" and "AddedKeystrokes".
    void DefineProperties(TFiler& Filer) override;
    // While designing, a text that is the old name follows a rename.
    void SetName(const AnsiString& NewName) override;

    virtual void InvalidateRect(const TRect& aRect, bool aErase);
    virtual void DoChange();
    virtual void LinesChanged(TObject* Sender);
    virtual void NotifyHookedCommandHandlers(bool AfterProcessing, TTeEditorCommand& Command, char& AChar, void* Data);
    virtual void PaintGutter(const TRect& AClip, int aFirstRow, int aLastRow);
    virtual void PaintTextLines(TRect AClip, int aFirstRow, int aLastRow, int FirstCol, int LastCol);
    virtual void UpdateMouseCursor();
    virtual void DoOnClearBookmark(TTeEditMark*& Mark);
    virtual void DoOnCommandProcessed(TTeEditorCommand Command, char AChar, void* Data);
    virtual void DoOnGutterClick(TMouseButton Button, int X, int Y);
    virtual void DoOnPaint();
    virtual void DoOnPaintTransientEx(TTransientType TransientType, bool Lock);
    virtual void DoOnPaintTransient(TTransientType TransientType);
    virtual void DoOnPlaceMark(TTeEditMark*& Mark);
    virtual void DoOnProcessCommand(TTeEditorCommand& Command, char& AChar, void* Data);
    // What to do with one match found for a replace: OnReplaceText decides;
    // without a handler the answer stays 0, which stops the replacing.
    virtual TReplaceAction DoOnReplaceText(const AnsiString& ASearch, const AnsiString& AReplace, int Line,
                                           int Column);
    virtual bool DoOnSpecialLineColors(int Line, TColor& Foreground, TColor& Background);
    virtual void DoOnStatusChange(TTeStatusChanges Changes);
    void StatusChanged(TTeStatusChanges AChanges);

private:
    friend class TTeMemo;
    friend class TTeWordWrapPlugin;

    // Line-list events.
    void LinesChanging(TObject* Sender);
    void ListCleared(TObject* Sender);
    void ListDeleted(TObject* Sender, int aIndex, int aCount);
    void ListInserted(TObject* Sender, int Index, int aCount);
    void ListPutted(TObject* Sender, int Index, int aCount);
    void UndoRedoAdded(TObject* Sender);
    void BookMarkOptionsChanged(TObject* Sender);
    void GutterChanged(TObject* Sender);
    void SelectedColorsChanged(TObject* Sender);
    void WordWrapGlyphChange(TObject* Sender);
    void FontChangedHandler(TObject* Sender);
    void MarkListChange(TObject* Sender);
    void HighlighterAttrChanged(TObject* Sender);

    // Geometry and caret.
    void RecalcCharExtent();
    void SizeOrFontChanged(bool bFont);
    void SetGutterWidth(int Value);
    void InitializeCaret();
    void UpdateCaret();
    void HideCaretNow();
    void ComputeCaret(int X, int Y);
    void UpdateModifiedStatus();
    bool IsFocusedOrAlwaysShown();
    int LengthOfLine(int Line) const;  // 1-based; 0 for a missing line

    // Painting (painting unit).
    void PaintOneMark(int aRow, TTeEditMark* aMark, int& aGutterOff);
    void PaintRun(const AnsiString& Text, int CharsBefore, int First, int Last, TRect& TokenRect, bool SpecialChars);

    // Scrolling and mouse (scrolling unit).
    void ComputeScroll(int X, int Y);
    void ShowScrollHint(bool Show);
    void DoMouseWheelScroll(int Delta, TShiftState Shift);
    int LongestLineLength();

    // Editing (commands unit).
    void MoveCaretAndSelection(const TBufferCoord& ptBefore, const TBufferCoord& ptAfter, bool SelectionCommand);
    void MoveCaretHorz(int DX, bool SelectionCommand);
    void MoveCaretVert(int DY, bool SelectionCommand);
    void DoHomeKey(bool Selection);
    void DoEndKey(bool Selection);
    void DoTypeChar(char AChar);
    void DoImeString(const AnsiString& S);
    void DoLineBreak(TTeEditorCommand Command);
    void DoBackspace(TTeEditorCommand Command);
    void DoDeleteChar();
    void DoDeleteForward(TTeEditorCommand Command);
    void DoDeleteBackward(TTeEditorCommand Command);
    void DoDeleteLine();
    void DoTabKey();
    void DoShiftTabKey();
    void DoBlockIndent();
    void DoBlockUnindent();
    void DoCaseChange(TTeEditorCommand Cmd);
    void DoSetMarker(int N, void* Data);
    void DoScrollLine(int Delta);
    void DeleteSelection(const TBufferCoord& BB, const TBufferCoord& BE);
    int InsertNormal(const AnsiString& Value, TBufferCoord& Caret);
    int InsertLine(const AnsiString& Value, TBufferCoord& Caret);
    int InsertColumn(const AnsiString& Value, TBufferCoord& Caret, bool AddToUndoList);
    // Whether the text primitive records the lines it touches rather than the
    // text it takes out and puts in: so it does for column and line blocks.
    bool RecordsWholeLines(TTeSelectionMode PasteMode, const AnsiString& Value) const;
    // Records the block Value is about to replace as the text taken out,
    // unless the text primitive records whole lines; answers whether it does.
    bool RecordBlockReplaced(TTeSelectionMode PasteMode, const AnsiString& Value);
    // Takes the block out and records it, with the side the caret stood on.
    void DeleteBlockRecorded();
    struct TWholeLines {
        int First = 1;
        int LineCount = 0;  // of the whole text, before the change
        std::vector<AnsiString> Old;
        TBufferCoord Anchor, End, Caret;
        TTeSelectionMode Mode = smNormal;
    };
    TWholeLines CaptureLines(int First, int Last) const;
    void FollowChosenSelectionMode();
    void KeepNormalBlockInText();
    void RecordLinesReplaced(const TWholeLines& W);
    void SetLineWithTrim(int Index0, const AnsiString& S);
    int LeftSpaces(const AnsiString& Line) const;
    AnsiString GetLeftSpacing(int CharCount, bool WantTabs) const;
    void ClipboardWrite(const AnsiString& S);

    // Invalidation of a band of rows, gathered while the lines change.
    void InvalidateRowBand(int FirstLine, int LastLine, int Left, int Right);
    void InvalidateOrCollect(const TRect& Rect);

    // Undo and redo (undo unit).
    void ReplayStep(TTeEditUndoList* From, TTeEditUndoList* To, void (TCustomTeEdit::*Apply)());
    void UndoItem();
    void RedoItem();
    void InsertBlockAt(const TBufferCoord& Start, const AnsiString& Text, TTeSelectionMode Mode);
    void SwapPlace(TTeEditUndoItem* Item, TTeEditUndoList* To);
    void RecordPadding(const TBufferCoord& At);
    void ApplyScrollBars(bool MayHide);
    // Puts an insert-like item's text in place of its range and records the
    // reverse on To; answers the end of the text put in.
    TBufferCoord SwapRangeText(TTeEditUndoItem* Item, TTeEditUndoList* To);

    // Owned objects.
    TTeEditStringList* lines_;
    TTeEditUndoList* undoList_;
    TTeEditUndoList* redoList_;
    // While the text of another control is shared: that control, and the
    // control's own line list and undo lists, kept aside. A control whose text
    // is shared passes its list events on to the controls sharing it.
    TCustomTeEdit* sharedSource_ = nullptr;
    TTeEditStringList* ownLines_ = nullptr;
    TTeEditUndoList* ownUndoList_ = nullptr;
    TTeEditUndoList* ownRedoList_ = nullptr;
    std::vector<TCustomTeEdit*> sharedUsers_;
    void RestoreOwnText(bool SourceAlive);
    template <typename... Args>
    void ForwardToSharers(void (TCustomTeEdit::*Handler)(TObject*, Args...), TObject* Sender, Args... args) {
        for (TCustomTeEdit* user : std::vector<TCustomTeEdit*>(sharedUsers_)) (user->*Handler)(Sender, args...);
    }
    TFont* fontDummy_;
    TTeTextDrawer* textDrawer_;
    TTeSelectedColor* selectedColor_;
    TTeBookMarkOpt* bookMarkOpt_;
    TTeGutter* gutter_;
    TTeGlyph* wordWrapGlyph_;
    TTeEditKbdHandler* kbdHandler_;
    TTeEditKeyStrokes* keyStrokes_;
    TTeEditMarkList* marks_;
    TTimer* scrollTimer_;
    TTeInternalImage* internalBookmarkImage_ = nullptr;
    TTeWordWrapPlugin* wordWrapPlugin_ = nullptr;
    std::vector<TWinControl*> focusList_;
    struct THookedCommandHandler {
        THookedCommandEvent Event;
        void* Data;
    };
    std::vector<THookedCommandHandler> hookedCommandHandlers_;
    std::vector<TTeEditPlugin*> plugins_;
    friend class TTeEditPlugin;
    TTeEditMark* bookMarks_[10] = {};

    // State.
    bool alwaysShowCaret_ = false;
    TBufferCoord blockBegin_{1, 1};
    TBufferCoord blockEnd_{1, 1};
    int caretX_ = 1;
    int lastCaretX_ = 1;
    int caretY_ = 1;
    int charsInWindow_ = 0;
    int charWidth_ = 0;
    int imeCount_ = 0;
    bool mbcsStepAside_ = false;
    bool inserting_ = true;
    int linesInWindow_ = 0;
    int leftChar_ = 1;
    int maxScrollWidth_ = 1024;
    int paintLock_ = 0;
    int rightEdge_ = 80;
    TColor rightEdgeColor_ = clSilver;
    TColor scrollHintColor_ = clInfoBk;
    TScrollHintFormat scrollHintFormat_ = shfTopLineOnly;
    TScrollStyle scrollBars_ = ssBoth;
    int textHeight_ = 0;
    int textOffset_ = 0;
    int topLine_ = 1;
    TTeCustomHighlighter* highlighter_ = nullptr;
    TColor activeLineColor_ = clNone;
    int mouseDownX_ = 0;
    int mouseDownY_ = 0;
    TBorderStyle borderStyle_ = bsSingle;
    bool hideSelection_ = false;
    int mouseWheelAccumulator_ = 0;
    TTeEditCaretType overwriteCaret_ = ctBlock;
    TTeEditCaretType insertCaret_ = ctVerticalLine;
    TPoint caretOffset_;
    bool modified_ = false;
    int extraLineSpacing_ = 0;
    TTeSelectionMode selectionMode_ = smNormal;
    TTeSelectionMode activeSelectionMode_ = smNormal;
    bool wantReturns_ = true;
    bool wantTabs_ = false;
    bool wordWrap_ = false;
    bool caretAtEndOfRow_ = false;
    int tabWidth_ = 8;
    TRect invalidateRect_;
    // State flags.
    bool caretChanged_ = false;
    bool scrollBarsChanged_ = false;
    bool updatingScrollBars_ = false;
    bool scrollBarsResized_ = false;
    bool linesChanging_ = false;
    bool ignoreNextChar_ = false;
    bool caretVisible_ = false;
    bool dblClicked_ = false;
    bool possibleGutterClick_ = false;
    bool waitForDragging_ = false;
    bool gutterDragging_ = false;
    TTeEditorOptions options_ = kTeDefaultOptions;
    TTeStatusChanges statusChanges_ = 0;
    WORD lastKey_ = 0;
    TShiftState lastShift_ = 0;
    TTeEditSearchCustom* searchEngine_ = nullptr;
    int scrollDeltaX_ = 0;
    int scrollDeltaY_ = 0;
    bool isScrolling_ = false;
    bool showSpecChar_ = false;
    int gutterWidth_ = 0;
    bool readOnly_ = false;
    bool redoing_ = false;
};

class TTeEdit : public TCustomTeEdit {
    TESK_CLASS(TTeEdit, TCustomTeEdit)
public:
    explicit TTeEdit(TComponent* AOwner) : TCustomTeEdit(AOwner) {}
};

// The editor with the edit-control messages, so that code written for a plain
// edit control can read and change its text and selection.
class TTeMemo : public TTeEdit {
    TESK_CLASS(TTeMemo, TTeEdit)
public:
    explicit TTeMemo(TComponent* AOwner) : TTeEdit(AOwner) {}
    void Dispatch(TMessage& Message) override;

private:
    void EMGetSel(TMessage& Msg);
    void EMSetSel(TMessage& Msg);
    void EMReplaceSel(TMessage& Msg);
    void EMGetLine(TMessage& Msg);
    void EMCharFromPos(TMessage& Msg);
    void EMGetSelText(TMessage& Msg);
};

// The bindings of Base that Map lacks (Removed) and those of Map that Base
// lacks (Added); a binding is its two shortcuts and its command.
void KeystrokesDifference(const TTeEditKeyStrokes* Map, const TTeEditKeyStrokes* Base, TTeEditKeyStrokes* Removed,
                          TTeEditKeyStrokes* Added);

