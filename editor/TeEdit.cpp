// The control core: construction, properties, line-list events, caret and
// selection rules, focus, keys and the window messages. Painting, scrolling
// and the mouse, the editing commands, undo and the word moves live in their
// own units.
#include "editor/TeEdit.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "editor/TeEditWordWrap.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Streaming.h"
#include "platform/rtl/ScopeGuard.h"

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

// ---------------------------------------------------------------------------
// Type information

TESK_PUBLISHED(TCustomTeEdit) {}

TESK_PUBLISHED(TTeEdit) {
    Property("Align", &T::Align, &T::SetAlign).Default(alNone);
    Property("Anchors", &T::Anchors, &T::SetAnchors).Default(akDefault);
    Property("Constraints", &T::Constraints, &T::SetConstraints);
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Default(clWindow);
    Property("ActiveLineColor", TypeInfoTColor(), &T::ActiveLineColor, &T::SetActiveLineColor).Default(clNone);
    Property("Ctl3D", &T::Ctl3D, &T::SetCtl3D).Default(true);
    Property("ParentCtl3D", &T::ParentCtl3D, &T::SetParentCtl3D).Default(true);
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("Font", &T::Font, &T::SetFont);
    Property("Height", &T::Height, &T::SetHeight).Default(150);
    Property("Width", &T::Width, &T::SetWidth).Default(200);
    Property("Hint", &T::Hint, &T::SetHint);
    Property("ParentColor", &T::ParentColor, &T::SetParentColor).Default(false);
    Property("ParentFont", &T::ParentFont, &T::SetParentFont).Default(false);
    Property("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).Default(true);
    Property("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
    Property("ShowHint", &T::ShowHint, &T::SetShowHint);
    Property("TabOrder", &T::TabOrder, &T::SetTabOrder).Default(-1);
    Property("TabStop", &T::TabStop, &T::SetTabStop).Default(true);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    Property("Cursor", TypeInfoTCursor(), &T::Cursor, &T::SetCursor).Default(crIBeam);
    Property("BookMarkOptions", &T::BookMarkOptions, &T::SetBookMarkOptions);
    Property("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
    Property("ExtraLineSpacing", &T::ExtraLineSpacing, &T::SetExtraLineSpacing).Default(0);
    Property("Gutter", &T::Gutter, &T::SetGutter);
    Property("HideSelection", &T::HideSelection, &T::SetHideSelection).Default(false);
    Property("Highlighter", &T::Highlighter, &T::SetHighlighter);
    Property("InsertCaret", &T::InsertCaret, &T::SetInsertCaret).Default(ctVerticalLine);
    Property("InsertMode", &T::InsertMode, &T::SetInsertMode).Default(true);
    Property("Keystrokes", &T::Keystrokes, &T::SetKeystrokes).Stored(false);
    Property("Lines", &T::Lines, &T::SetLines);
    Property("MaxScrollWidth", &T::MaxScrollWidth, &T::SetMaxScrollWidth).Default(1024);
    Property("MaxUndo", &T::MaxUndo, &T::SetMaxUndo).Default(1024);
    Property("Options", &T::Options, &T::SetOptions).Default(kTeDefaultOptions);
    Property("OverwriteCaret", &T::OverwriteCaret, &T::SetOverwriteCaret).Default(ctBlock);
    Property("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(false);
    Property("RightEdge", &T::RightEdge, &T::SetRightEdge).Default(80);
    Property("RightEdgeColor", TypeInfoTColor(), &T::RightEdgeColor, &T::SetRightEdgeColor).Default(clSilver);
    Property("ScrollHintColor", TypeInfoTColor(), &T::ScrollHintColor, &T::SetScrollHintColor).Default(clInfoBk);
    Property("ScrollHintFormat", &T::ScrollHintFormat, &T::SetScrollHintFormat).Default(shfTopLineOnly);
    Property("ScrollBars", &T::ScrollBars, &T::SetScrollBars).Default(ssBoth);
    Property("SearchEngine", &T::SearchEngine, &T::SetSearchEngine);
    Property("SelectedColor", &T::SelectedColor, &T::SetSelectedColor);
    Property("SelectionMode", &T::SelectionMode, &T::SetSelectionMode).Default(smNormal);
    Property("TabWidth", &T::TabWidth, &T::SetTabWidth).Default(8);
    Property("WantReturns", &T::WantReturns, &T::SetWantReturns).Default(true);
    Property("WantTabs", &T::WantTabs, &T::SetWantTabs).Default(false);
    Property("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(false);
    Property("WordWrapGlyph", &T::WordWrapGlyph, &T::SetWordWrapGlyph);
    Property("OnChange", &T::OnChange, &T::OnChange);
    Property("OnClearBookmark", &T::OnClearBookmark, &T::OnClearBookmark);
    Property("OnPlaceBookmark", &T::OnPlaceBookmark, &T::OnPlaceBookmark);
    Property("OnCommandProcessed", &T::OnCommandProcessed, &T::OnCommandProcessed);
    Property("OnProcessCommand", &T::OnProcessCommand, &T::OnProcessCommand);
    Property("OnProcessUserCommand", &T::OnProcessUserCommand, &T::OnProcessUserCommand);
    Property("OnContextHelp", &T::OnContextHelp, &T::OnContextHelp);
    Property("OnDropFiles", &T::OnDropFiles, &T::OnDropFiles);
    Property("OnGutterClick", &T::OnGutterClick, &T::OnGutterClick);
    Property("OnGutterGetText", &T::OnGutterGetText, &T::OnGutterGetText);
    Property("OnGutterPaint", &T::OnGutterPaint, &T::OnGutterPaint);
    Property("OnPaint", &T::OnPaint, &T::OnPaint);
    Property("OnPaintTransient", &T::OnPaintTransient, &T::OnPaintTransient);
    Property("OnSpecialLineColors", &T::OnSpecialLineColors, &T::OnSpecialLineColors);
    Property("OnMouseCursor", &T::OnMouseCursor, &T::OnMouseCursor);
    Property("OnReplaceText", &T::OnReplaceText, &T::OnReplaceText);
    Property("OnScroll", &T::OnScroll, &T::OnScroll);
    Property("OnStatusChange", &T::OnStatusChange, &T::OnStatusChange);
    Property("OnClick", &T::OnClick, &T::OnClick);
    Property("OnDblClick", &T::OnDblClick, &T::OnDblClick);
    Property("OnDragDrop", &T::OnDragDrop, &T::OnDragDrop);
    Property("OnDragOver", &T::OnDragOver, &T::OnDragOver);
    Property("OnEndDrag", &T::OnEndDrag, &T::OnEndDrag);
    Property("OnEnter", &T::OnEnter, &T::OnEnter);
    Property("OnExit", &T::OnExit, &T::OnExit);
    Property("OnKeyDown", &T::OnKeyDown, &T::OnKeyDown);
    Property("OnKeyPress", &T::OnKeyPress, &T::OnKeyPress);
    Property("OnKeyUp", &T::OnKeyUp, &T::OnKeyUp);
    Property("OnMouseDown", &T::OnMouseDown, &T::OnMouseDown);
    Property("OnMouseMove", &T::OnMouseMove, &T::OnMouseMove);
    Property("OnMouseUp", &T::OnMouseUp, &T::OnMouseUp);
}

TESK_PUBLISHED(TTeMemo) {}


// ---------------------------------------------------------------------------
// Plug-ins

TTeEditPlugin::TTeEditPlugin(TCustomTeEdit* AOwner) : owner_(AOwner) {
    if (owner_) owner_->plugins_.push_back(this);
}

TTeEditPlugin::~TTeEditPlugin() {
    if (!owner_) return;
    auto& list = owner_->plugins_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

// ---------------------------------------------------------------------------
// Construction

TCustomTeEdit::TCustomTeEdit(TComponent* AOwner) : TCustomControl(AOwner) {
    lines_ = new TTeEditStringList;
    lines_->OnChange = TNotifyEvent(this, &TCustomTeEdit::LinesChanged);
    lines_->OnChanging = TNotifyEvent(this, &TCustomTeEdit::LinesChanging);
    lines_->OnLinesCleared = TNotifyEvent(this, &TCustomTeEdit::ListCleared);
    lines_->OnLinesDeleted = TTeStringListChangeEvent(this, &TCustomTeEdit::ListDeleted);
    lines_->OnLinesInserted = TTeStringListChangeEvent(this, &TCustomTeEdit::ListInserted);
    lines_->OnLinesReplaced = TTeStringListChangeEvent(this, &TCustomTeEdit::ListPutted);
    fontDummy_ = new TFont;
    undoList_ = new TTeEditUndoList;
    undoList_->OnAddedUndo = TNotifyEvent(this, &TCustomTeEdit::UndoRedoAdded);
    redoList_ = new TTeEditUndoList;
    redoList_->OnAddedUndo = TNotifyEvent(this, &TCustomTeEdit::UndoRedoAdded);
    SetDoubleBuffered(false);
    activeLineColor_ = clNone;
    selectedColor_ = new TTeSelectedColor;
    selectedColor_->OnChange = TNotifyEvent(this, &TCustomTeEdit::SelectedColorsChanged);
    bookMarkOpt_ = new TTeBookMarkOpt(this);
    bookMarkOpt_->OnChange = TNotifyEvent(this, &TCustomTeEdit::BookMarkOptionsChanged);
    rightEdge_ = 80;
    gutter_ = new TTeGutter;
    gutter_->OnChange = TNotifyEvent(this, &TCustomTeEdit::GutterChanged);
    gutterWidth_ = gutter_->Width();
    wordWrapGlyph_ = new TTeGlyph(nullptr, "TeEditWrapped", 0x00FF00);
    wordWrapGlyph_->OnChange = TNotifyEvent(this, &TCustomTeEdit::WordWrapGlyphChange);
    textOffset_ = gutterWidth_ + 2;
    controlStyle_ |= csOpaque | csSetCaption;
    SetHeight(150);
    SetWidth(200);
    TControl::SetCursor(crIBeam);
    SetColor(clWindow);
    fontDummy_->SetName("Courier New");
    fontDummy_->SetSize(10);
    fontDummy_->SetCharset(DEFAULT_CHARSET);
    textDrawer_ = new TTeTextDrawer(TFontStyles{fsBold}, fontDummy_);
    Font()->Assign(fontDummy_);
    Font()->OnChange = TNotifyEvent(this, &TCustomTeEdit::FontChangedHandler);
    SetParentFont(false);
    SetParentColor(false);
    SetTabStop(true);
    inserting_ = true;
    maxScrollWidth_ = 1024;
    scrollBars_ = ssBoth;
    borderStyle_ = bsSingle;
    insertCaret_ = ctVerticalLine;
    overwriteCaret_ = ctBlock;
    selectionMode_ = activeSelectionMode_ = smNormal;
    kbdHandler_ = new TTeEditKbdHandler;
    keyStrokes_ = new TTeEditKeyStrokes(this);
    marks_ = new TTeEditMarkList(this);
    marks_->OnChange = TNotifyEvent(this, &TCustomTeEdit::MarkListChange);
    SetDefaultKeystrokes();
    rightEdgeColor_ = clSilver;
    imeCount_ = 0;
    wantReturns_ = true;
    wantTabs_ = false;
    tabWidth_ = 8;
    lines_->SetTabWidth(8);
    leftChar_ = topLine_ = caretX_ = lastCaretX_ = caretY_ = 1;
    blockBegin_ = blockEnd_ = BufferCoord(1, 1);
    options_ = kTeDefaultOptions;
    scrollTimer_ = new TTimer(this);
    scrollTimer_->SetEnabled(false);
    scrollTimer_->SetInterval(100);
    scrollTimer_->SetOnTimer(TNotifyEvent(this, &TCustomTeEdit::ScrollTimerHandler));
    scrollHintColor_ = clInfoBk;
    scrollHintFormat_ = shfTopLineOnly;
    RecalcCharExtent();
    SizeOrFontChanged(true);
}

TCustomTeEdit::~TCustomTeEdit() {
    SetHighlighter(nullptr);
    UnHookTextBuffer();
    for (TCustomTeEdit* user : std::vector<TCustomTeEdit*>(sharedUsers_)) user->UnHookTextBuffer();
    // The window's last messages (focus loss) must still find every part whole.
    if (HandleAllocated()) {
        if (GetCaretState().Owner == Handle()) DestroyCaret();
        DestroyHandle();
    }
    for (TTeEditPlugin* p : std::vector<TTeEditPlugin*>(plugins_)) {
        p->owner_ = nullptr;
        delete p;
    }
    plugins_.clear();
    hookedCommandHandlers_.clear();
    delete wordWrapPlugin_;
    wordWrapPlugin_ = nullptr;
    delete marks_;
    marks_ = nullptr;
    for (TTeEditMark*& m : bookMarks_) m = nullptr;
    delete bookMarkOpt_;
    delete keyStrokes_;
    delete kbdHandler_;
    delete textDrawer_;
    delete fontDummy_;
    delete selectedColor_;
    delete undoList_;
    delete redoList_;
    lines_->OnChange = nullptr;
    lines_->OnChanging = nullptr;
    lines_->OnLinesCleared = nullptr;
    lines_->OnLinesDeleted = nullptr;
    lines_->OnLinesInserted = nullptr;
    lines_->OnLinesReplaced = nullptr;
    delete lines_;
    delete gutter_;
    delete wordWrapGlyph_;
    delete internalBookmarkImage_;
}

void TCustomTeEdit::Loaded() {
    TCustomControl::Loaded();
    GutterChanged(this);
    UpdateScrollBars();
}

void TCustomTeEdit::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.ClassStyle &= ~(CS_HREDRAW | CS_VREDRAW);
    if (borderStyle_ == bsSingle) Params.Style |= WS_BORDER;
    Params.Style |= WS_CLIPCHILDREN;
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) Params.Style |= WS_VSCROLL;
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) Params.Style |= WS_HSCROLL;
    if (Ctl3D() && borderStyle_ == bsSingle) {
        Params.Style &= ~WS_BORDER;
        Params.ExStyle |= WS_EX_CLIENTEDGE;
    }
}

void TCustomTeEdit::CreateWnd() {
    TCustomControl::CreateWnd();
    // Files dropped from the desktop are not taken here (no drop source exists);
    // the option is kept for its other effects.
    SizeOrFontChanged(true);
    UpdateScrollBars();
}

void TCustomTeEdit::DestroyWnd() { TCustomControl::DestroyWnd(); }

void TCustomTeEdit::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == searchEngine_) searchEngine_ = nullptr;
    if (AComponent == highlighter_) {
        highlighter_ = nullptr;
        if (!(ComponentState() & csDestroying)) {
            RecalcCharExtent();
            SizeOrFontChanged(true);
        }
    }
    // Normally unhooked by the source's destructor; this only covers a source freed otherwise.
    if (AComponent == sharedSource_) RestoreOwnText(false);
    if (bookMarkOpt_ && AComponent == bookMarkOpt_->BookmarkImages()) {
        bookMarkOpt_->SetBookmarkImages(nullptr);
        InvalidateGutterLines(-1, -1);
    }
}

// ---------------------------------------------------------------------------
// Streaming of the key map

namespace {
bool HasBinding(const TTeEditKeyStrokes* List, const TTeEditKeyStroke* K, bool WithCommand) {
    int i = List->FindShortcut2(K->ShortCut(), K->ShortCut2());
    return i >= 0 && (!WithCommand || List->Items(i)->Command() == K->Command());
}
}  // namespace

void KeystrokesDifference(const TTeEditKeyStrokes* Map, const TTeEditKeyStrokes* Base, TTeEditKeyStrokes* Removed,
                          TTeEditKeyStrokes* Added) {
    for (int i = 0; i < Base->Count(); ++i)
        if (!HasBinding(Map, Base->Items(i), true)) Removed->Add()->Assign(Base->Items(i));
    for (int i = 0; i < Map->Count(); ++i)
        if (!HasBinding(Base, Map->Items(i), true)) Added->Add()->Assign(Map->Items(i));
}

void TCustomTeEdit::DefineProperties(TFiler& Filer) {
    TCustomControl::DefineProperties(Filer);
    TTeEditKeyStrokes defaults(nullptr);
    defaults.ResetDefaults();
    TTeEditKeyStrokes removed(nullptr), added(nullptr);
    KeystrokesDifference(keyStrokes_, &defaults, &removed, &added);
    bool differs = removed.Count() > 0 || added.Count() > 0;
    Filer.DefineProperty(
        "RemovedKeystrokes",
        [this](TReader& Reader) {
            TTeEditKeyStrokes list(nullptr);
            if (Reader.ReadValue() != vaCollection) throw EReadError("Invalid property value");
            Reader.ReadCollection(&list);
            for (int i = 0; i < list.Count(); ++i) {
                int at = keyStrokes_->FindShortcut2(list.Items(i)->ShortCut(), list.Items(i)->ShortCut2());
                if (at >= 0) keyStrokes_->Delete(at);
            }
        },
        [this](TWriter& Writer) {
            TTeEditKeyStrokes base(nullptr), rem(nullptr), add(nullptr);
            base.ResetDefaults();
            KeystrokesDifference(keyStrokes_, &base, &rem, &add);
            Writer.WriteCollection(&rem);
        },
        differs);
    Filer.DefineProperty(
        "AddedKeystrokes",
        [this](TReader& Reader) {
            TTeEditKeyStrokes list(nullptr);
            if (Reader.ReadValue() != vaCollection) throw EReadError("Invalid property value");
            Reader.ReadCollection(&list);
            for (int i = 0; i < list.Count(); ++i)
                if (!HasBinding(keyStrokes_, list.Items(i), false)) keyStrokes_->Add()->Assign(list.Items(i));
        },
        [this](TWriter& Writer) {
            TTeEditKeyStrokes base(nullptr), rem(nullptr), add(nullptr);
            base.ResetDefaults();
            KeystrokesDifference(keyStrokes_, &base, &rem, &add);
            Writer.WriteCollection(&add);
        },
        differs);
}

// ---------------------------------------------------------------------------
// Text

AnsiString TCustomTeEdit::GetText() { return lines_->Text(); }

void TCustomTeEdit::SetText(const AnsiString& Value) { lines_->SetText(Value); }

void TCustomTeEdit::SetName(const AnsiString& NewName) {
    AnsiString old = Name();
    TCustomControl::SetName(NewName);
    if ((ComponentState() & csDesigning) && !(ComponentState() & csLoading)) {
        AnsiString t = GetText();
        while (!t.empty() && static_cast<unsigned char>(t.back()) <= ' ') t.pop_back();
        if (t == old) SetText(NewName);
    }
}

void TCustomTeEdit::SetTextBuf(const AnsiString& Value) { SetText(Value); }

void TCustomTeEdit::ClearAll() {
    lines_->Clear();
    // Each bookmark is one of the marks: empty the slots, then free every mark once.
    for (TTeEditMark*& m : bookMarks_) m = nullptr;
    marks_->ClearMarks();
    undoList_->Clear();
    redoList_->Clear();
    SetModified(false);
}

void TCustomTeEdit::SetLines(TStrings* Value) {
    if (HandleAllocated() || true) lines_->Assign(Value);
}

AnsiString TCustomTeEdit::LineText() {
    if (caretY_ >= 1 && caretY_ <= lines_->Count()) return lines_->Strings(caretY_ - 1);
    return "";
}

void TCustomTeEdit::SetLineText(const AnsiString& Value) {
    if (caretY_ >= 1 && caretY_ <= std::max(lines_->Count(), 1)) {
        if (lines_->Count() == 0) lines_->Add(Value);
        else lines_->SetStrings(caretY_ - 1, Value);
    }
}

int TCustomTeEdit::LengthOfLine(int Line) const {
    if (Line < 1 || Line > lines_->Count()) return 0;
    return static_cast<int>(lines_->Strings(Line - 1).size());
}

void TCustomTeEdit::SetModified(bool Value) {
    if (Value == modified_) return;
    modified_ = Value;
    if (options_.Contains(eoGroupUndo) && !Value && undoList_->CanUndo()) undoList_->AddGroupBreak();
    undoList_->SetInitialState(!Value);
    StatusChanged(scModified);
}

void TCustomTeEdit::UpdateModifiedStatus() {
    bool m = !undoList_->GetInitialState();
    if (m != modified_) {
        modified_ = m;
        StatusChanged(scModified);
    }
}

bool TCustomTeEdit::CanUndo() { return !ReadOnly() && undoList_->CanUndo(); }
bool TCustomTeEdit::CanRedo() { return !ReadOnly() && redoList_->CanUndo(); }

bool TCustomTeEdit::CanPaste() {
    return !ReadOnly() && (Clipboard()->HasFormat(CF_TEXT) ||
                           Clipboard()->HasFormat(RegisterClipboardFormat("TeEdit Control Block Type")));
}

// ---------------------------------------------------------------------------
// Shared text

void TCustomTeEdit::HookTextBuffer(TCustomTeEdit* Source) {
    if (!Source || Source == this || Source->lines_ == lines_) return;
    for (TCustomTeEdit* s = Source->sharedSource_; s; s = s->sharedSource_)
        if (s == this) return;  // a ring of controls sharing each other's text
    UnHookTextBuffer();
    const bool wrapped = wordWrap_;
    if (wrapped) SetWordWrap(false);
    ownLines_ = lines_;
    ownUndoList_ = undoList_;
    ownRedoList_ = redoList_;
    sharedSource_ = Source;
    Source->sharedUsers_.push_back(this);
    Source->FreeNotification(this);
    lines_ = Source->lines_;
    undoList_ = Source->undoList_;
    redoList_ = Source->redoList_;
    if (wrapped) SetWordWrap(true);
    SetCaretAndSelection(CaretXY(), CaretXY(), CaretXY());
    Invalidate();
    UpdateScrollBars();
}

void TCustomTeEdit::UnHookTextBuffer() { RestoreOwnText(true); }

void TCustomTeEdit::RestoreOwnText(bool SourceAlive) {
    if (!sharedSource_) return;
    if (SourceAlive) {
        auto& users = sharedSource_->sharedUsers_;
        users.erase(std::remove(users.begin(), users.end(), this), users.end());
        sharedSource_->RemoveFreeNotification(this);
    }
    sharedSource_ = nullptr;
    const bool wrapped = wordWrap_;
    if (wrapped) SetWordWrap(false);
    lines_ = ownLines_;
    undoList_ = ownUndoList_;
    redoList_ = ownRedoList_;
    ownLines_ = nullptr;
    ownUndoList_ = ownRedoList_ = nullptr;
    if (wrapped) SetWordWrap(true);
    if (ComponentState() & csDestroying) return;
    SetCaretAndSelection(CaretXY(), CaretXY(), CaretXY());
    Invalidate();
    if (options_.Contains(eoAutoSizeMaxScrollWidth)) {
        int longest = 0;
        for (int i = 0; i < lines_->Count(); ++i) longest = std::max(longest, lines_->GetExpandedStringLength(i));
        if (longest > maxScrollWidth_) SetMaxScrollWidth(longest);
    }
    UpdateScrollBars();
}

// ---------------------------------------------------------------------------
// Line-list events

void TCustomTeEdit::LinesChanging(TObject* Sender) {
    linesChanging_ = true;
    ForwardToSharers(&TCustomTeEdit::LinesChanging, Sender);
}

void TCustomTeEdit::LinesChanged(TObject* Sender) {
    linesChanging_ = false;
    for (TCustomTeEdit* user : std::vector<TCustomTeEdit*>(sharedUsers_)) user->LinesChanged(Sender);
    if (HandleAllocated()) {
        UpdateScrollBars();
        TTeSelectionMode mode = activeSelectionMode_;
        SetBlockBegin(CaretXY());
        activeSelectionMode_ = mode;
        if (!IsRectEmpty(invalidateRect_)) InvalidateRect(invalidateRect_, false);
        invalidateRect_ = TRect();
        gutter_->AutoSizeDigitCount(lines_->Count());
        if (!options_.Contains(eoScrollPastEof)) SetTopLine(topLine_);
    }
}

void TCustomTeEdit::ListCleared(TObject* Sender) {
    ForwardToSharers(&TCustomTeEdit::ListCleared, Sender);
    if (wordWrap_ && wordWrapPlugin_) wordWrapPlugin_->Reset();
    undoList_->Clear();
    redoList_->Clear();
    invalidateRect_ = TRect();
    Invalidate();
    SetCaretXY(BufferCoord(1, 1));
    SetTopLine(1);
    SetLeftChar(1);
    statusChanges_ |= scAll;
}

void TCustomTeEdit::ListDeleted(TObject* Sender, int aIndex, int aCount) {
    ForwardToSharers(&TCustomTeEdit::ListDeleted, Sender, aIndex, aCount);
    if (wordWrap_ && wordWrapPlugin_) wordWrapPlugin_->LinesDeleted(aIndex, aCount);
    InvalidateLines(aIndex + 1, INT_MAX);
    InvalidateGutterLines(aIndex + 1, INT_MAX);
}

void TCustomTeEdit::ListInserted(TObject* Sender, int Index, int aCount) {
    ForwardToSharers(&TCustomTeEdit::ListInserted, Sender, Index, aCount);
    if (wordWrap_ && wordWrapPlugin_) wordWrapPlugin_->LinesInserted(Index, aCount);
    InvalidateLines(Index + 1, INT_MAX);
    InvalidateGutterLines(Index + 1, INT_MAX);
    if (options_.Contains(eoAutoSizeMaxScrollWidth)) {
        int len = lines_->GetExpandedStringLength(Index);
        if (len > maxScrollWidth_) SetMaxScrollWidth(len);
    }
}

void TCustomTeEdit::ListPutted(TObject* Sender, int Index, int aCount) {
    ForwardToSharers(&TCustomTeEdit::ListPutted, Sender, Index, aCount);
    if (wordWrap_ && wordWrapPlugin_) {
        if (wordWrapPlugin_->LinesPutted(Index, aCount) != 0) InvalidateGutterLines(Index + 1, INT_MAX);
        InvalidateLines(Index + 1, wordWrapPlugin_ ? INT_MAX : Index + aCount);
    }
    InvalidateGutterLines(Index + 1, Index + aCount);
    InvalidateLines(Index + 1, Index + aCount);
    if (options_.Contains(eoAutoSizeMaxScrollWidth)) {
        int len = lines_->GetExpandedStringLength(Index);
        if (len > maxScrollWidth_) SetMaxScrollWidth(len);
    }
}

void TCustomTeEdit::UndoRedoAdded(TObject* Sender) {
    ForwardToSharers(&TCustomTeEdit::UndoRedoAdded, Sender);
    UpdateModifiedStatus();
    TTeEditUndoItem* top = undoList_->PeekItem();
    if (Sender == undoList_ && !undoList_->RedoInProgress() && !(top && top->Reason() == urGroupBreak))
        redoList_->Clear();
    auto* list = static_cast<TTeEditUndoList*>(Sender);
    if (list->BlockCount() == 0) DoChange();
}

void TCustomTeEdit::DoChange() {
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------
// Option objects

void TCustomTeEdit::BookMarkOptionsChanged(TObject*) { InvalidateGutter(); }
void TCustomTeEdit::SelectedColorsChanged(TObject*) { InvalidateSelection(); }
void TCustomTeEdit::WordWrapGlyphChange(TObject*) {
    if (!(ComponentState() & csLoading)) InvalidateGutter();
}
void TCustomTeEdit::MarkListChange(TObject*) { InvalidateGutter(); }
void TCustomTeEdit::HighlighterAttrChanged(TObject*) {
    RecalcCharExtent();
    SizeOrFontChanged(true);
    Invalidate();
}

void TCustomTeEdit::GutterChanged(TObject*) {
    if (ComponentState() & csLoading) return;
    SetGutterWidth(gutter_->RealGutterWidth(charWidth_));
    Invalidate();
}

void TCustomTeEdit::SetGutterWidth(int Value) {
    Value = std::max(Value, 0);
    if (gutterWidth_ == Value) return;
    gutterWidth_ = Value;
    textOffset_ = gutterWidth_ + 2 - (leftChar_ - 1) * charWidth_;
    if (HandleAllocated() && charWidth_ > 0) {
        charsInWindow_ = std::max(ClientWidth() - gutterWidth_ - 2, 0) / charWidth_;
        if (wordWrap_ && wordWrapPlugin_) wordWrapPlugin_->DisplayChanged();
        UpdateScrollBars();
        Invalidate();
    }
}

// ---------------------------------------------------------------------------
// Size and font

void TCustomTeEdit::RecalcCharExtent() {
    std::vector<TFontStyles> styles;
    if (highlighter_ && highlighter_->GetAttribCount() > 0) {
        for (int i = 0; i < highlighter_->GetAttribCount(); ++i) styles.push_back(highlighter_->GetAttribute(i)->Style());
    } else {
        styles.push_back(Font()->Style());
    }
    textDrawer_->SetBaseFont(Font());
    int w = 0, h = 0;
    for (TFontStyles s : styles) {
        textDrawer_->SetBaseStyle(s);
        w = std::max(w, textDrawer_->GetCharWidth());
        h = std::max(h, textDrawer_->GetCharHeight());
    }
    textDrawer_->SetBaseStyle(Font()->Style());
    charWidth_ = w;
    textHeight_ = h + extraLineSpacing_;
    textOffset_ = gutterWidth_ + 2 - (leftChar_ - 1) * charWidth_;
}

void TCustomTeEdit::FontChangedHandler(TObject*) {
    RecalcCharExtent();
    SizeOrFontChanged(true);
}

void TCustomTeEdit::SetFont(TFont* Value) {
    // A face whose characters differ in width cannot keep fixed cells: take the
    // named face as a fixed-pitch font instead.
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Value->Handle());
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    if (tm.tmAveCharWidth == tm.tmMaxCharWidth || (tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0) {
        Font()->Assign(Value);
    } else {
        fontDummy_->SetColor(Value->Color());
        fontDummy_->SetPitch(fpFixed);
        fontDummy_->SetSize(Value->Size());
        fontDummy_->SetStyle(Value->Style());
        fontDummy_->SetName(Value->Name());
        Font()->Assign(fontDummy_);
    }
    if (gutter_->ShowLineNumbers()) GutterChanged(this);
}

void TCustomTeEdit::SizeOrFontChanged(bool bFont) {
    if (!HandleAllocated() || charWidth_ == 0) return;
    charsInWindow_ = std::max(ClientWidth() - gutterWidth_ - 2, 0) / charWidth_;
    linesInWindow_ = textHeight_ > 0 ? ClientHeight() / textHeight_ : 0;
    if (wordWrap_ && wordWrapPlugin_) {
        wordWrapPlugin_->DisplayChanged();
        Invalidate();
    }
    if (bFont) {
        if (gutter_->ShowLineNumbers()) GutterChanged(this);
        else UpdateScrollBars();
        InitializeCaret();
        caretChanged_ = false;
        Invalidate();
    } else {
        UpdateScrollBars();
    }
    scrollBarsChanged_ = false;
    if (!options_.Contains(eoScrollPastEol)) SetLeftChar(leftChar_);
    if (!options_.Contains(eoScrollPastEof)) SetTopLine(topLine_);
}

void TCustomTeEdit::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    SizeOrFontChanged(false);
}

void TCustomTeEdit::SetExtraLineSpacing(int Value) {
    extraLineSpacing_ = Value;
    RecalcCharExtent();
    SizeOrFontChanged(true);
}

// ---------------------------------------------------------------------------
// Paint lock and status

void TCustomTeEdit::IncPaintLock() { ++paintLock_; }

void TCustomTeEdit::DecPaintLock() {
    if (paintLock_ > 0) --paintLock_;
    if (paintLock_ != 0 || !HandleAllocated()) return;
    if (scrollBarsChanged_) UpdateScrollBars();
    if (caretChanged_) UpdateCaret();
    if (statusChanges_ != 0) DoOnStatusChange(statusChanges_);
}

void TCustomTeEdit::StatusChanged(TTeStatusChanges AChanges) {
    statusChanges_ |= AChanges;
    if (paintLock_ == 0) DoOnStatusChange(statusChanges_);
}

void TCustomTeEdit::DoOnStatusChange(TTeStatusChanges Changes) {
    if (OnStatusChange) {
        OnStatusChange(this, Changes);
        statusChanges_ = 0;
    }
}

// ---------------------------------------------------------------------------
// Caret and selection

void TCustomTeEdit::SetCaretX(int Value) { InternalSetCaretXY(BufferCoord(Value, caretY_)); }
void TCustomTeEdit::SetCaretY(int Value) { InternalSetCaretXY(BufferCoord(caretX_, Value)); }

void TCustomTeEdit::SetCaretXY(const TBufferCoord& Value) {
    TTeSelectionMode mode = activeSelectionMode_;
    IncPaintLock();
    InternalSetCaretXY(Value);
    SetBlockBegin(CaretXY());
    activeSelectionMode_ = mode;
    DecPaintLock();
}

void TCustomTeEdit::InternalSetCaretXY(const TBufferCoord& Value) { SetCaretXYEx(true, Value); }

void TCustomTeEdit::SetCaretXYEx(bool CallEnsureCursorPos, TBufferCoord Value) {
    bool windowed = HandleAllocated();
    if (windowed) DoOnPaintTransient(ttBefore);
    int nMaxX = wordWrap_ ? INT_MAX : maxScrollWidth_ + 1;
    if (Value.Line > lines_->Count()) Value.Line = lines_->Count();
    if (Value.Line < 1) {
        Value.Line = 1;
        if (!options_.Contains(eoScrollPastEol)) nMaxX = 1;
    } else if (!options_.Contains(eoScrollPastEol)) {
        nMaxX = LengthOfLine(Value.Line) + 1;
    }
    if (Value.Char > nMaxX && !(options_.Contains(eoScrollPastEol) && options_.Contains(eoAutoSizeMaxScrollWidth)))
        Value.Char = nMaxX;
    if (Value.Char < 1) Value.Char = 1;
    if (Value.Char != caretX_ || Value.Line != caretY_) {
        IncPaintLock();
        if (caretX_ != Value.Char) {
            caretX_ = Value.Char;
            StatusChanged(scCaretX);
        }
        if (caretY_ != Value.Line) {
            if (activeLineColor_ != clNone) {
                InvalidateLine(Value.Line);
                InvalidateLine(caretY_);
            }
            caretY_ = Value.Line;
            StatusChanged(scCaretY);
        }
        lastCaretX_ = DisplayX();
        mbcsStepAside_ = false;
        if (CallEnsureCursorPos) EnsureCursorPosVisible();
        caretChanged_ = true;
        scrollBarsChanged_ = true;
        DecPaintLock();
    } else {
        lastCaretX_ = DisplayX();
    }
    if (windowed) DoOnPaintTransient(ttAfter);
}

TBufferCoord TCustomTeEdit::BlockBegin() const {
    if (blockEnd_.Line < blockBegin_.Line || (blockEnd_.Line == blockBegin_.Line && blockEnd_.Char < blockBegin_.Char))
        return blockEnd_;
    return blockBegin_;
}

TBufferCoord TCustomTeEdit::BlockEnd() const {
    if (blockEnd_.Line < blockBegin_.Line || (blockEnd_.Line == blockBegin_.Line && blockEnd_.Char < blockBegin_.Char))
        return blockBegin_;
    return blockEnd_;
}

void TCustomTeEdit::SetBlockBegin(TBufferCoord Value) {
    activeSelectionMode_ = selectionMode_;
    if (options_.Contains(eoScrollPastEol) && !wordWrap_) Value.Char = MinMax(Value.Char, 1, maxScrollWidth_ + 1);
    else Value.Char = std::max(Value.Char, 1);
    Value.Line = MinMax(Value.Line, 1, lines_->Count());
    if (activeSelectionMode_ == smNormal) {
        if (Value.Line >= 1 && Value.Line <= lines_->Count()) Value.Char = std::min(Value.Char, LengthOfLine(Value.Line) + 1);
        else Value.Char = 1;
    }
    bool changed = !(Value == blockBegin_) || !(Value == blockEnd_);
    if (SelAvail()) {
        if (blockBegin_.Line < blockEnd_.Line)
            InvalidateLines(std::min(Value.Line, blockBegin_.Line), std::max(Value.Line, blockEnd_.Line));
        else
            InvalidateLines(std::min(Value.Line, blockEnd_.Line), std::max(Value.Line, blockBegin_.Line));
    }
    blockBegin_ = Value;
    blockEnd_ = Value;
    if (changed) StatusChanged(scSelection);
}

void TCustomTeEdit::SetBlockEnd(TBufferCoord Value) {
    if (options_.Contains(eoNoSelection)) return;
    if (options_.Contains(eoScrollPastEol) && !wordWrap_) Value.Char = MinMax(Value.Char, 1, maxScrollWidth_ + 1);
    else Value.Char = std::max(Value.Char, 1);
    Value.Line = MinMax(Value.Line, 1, lines_->Count());
    if (activeSelectionMode_ == smNormal) {
        if (Value.Line >= 1 && Value.Line <= lines_->Count()) Value.Char = std::min(Value.Char, LengthOfLine(Value.Line) + 1);
        else Value.Char = 1;
    }
    if (Value == blockEnd_) return;
    if (activeSelectionMode_ == smColumn && Value.Char != blockEnd_.Char) {
        InvalidateLines(std::min({blockBegin_.Line, blockEnd_.Line, Value.Line}),
                        std::max({blockBegin_.Line, blockEnd_.Line, Value.Line}));
    } else {
        InvalidateLines(std::min(blockEnd_.Line, Value.Line), std::max(blockEnd_.Line, Value.Line));
    }
    blockEnd_ = Value;
    StatusChanged(scSelection);
}

bool TCustomTeEdit::SelAvail() const {
    if (blockBegin_ == blockEnd_) return false;
    if (activeSelectionMode_ == smColumn) return blockBegin_.Char != blockEnd_.Char;
    return true;
}

void TCustomTeEdit::SetSelectionMode(TTeSelectionMode Value) {
    if (selectionMode_ != Value) {
        selectionMode_ = Value;
        SetActiveSelectionMode(Value);
    }
}

void TCustomTeEdit::SetActiveSelectionMode(TTeSelectionMode Value) {
    if (activeSelectionMode_ == Value) return;
    if (SelAvail()) InvalidateSelection();
    activeSelectionMode_ = Value;
    KeepNormalBlockInText();
    if (SelAvail()) InvalidateSelection();
    StatusChanged(scSelection);
}

// A block made in column mode may reach past the ends of its lines; taken as
// a stretch of text it ends where its lines end, as a block made in normal
// mode does, so that taking it out never adds blanks.
void TCustomTeEdit::KeepNormalBlockInText() {
    if (activeSelectionMode_ != smNormal || lines_->Count() == 0) return;
    auto keep = [this](TBufferCoord& p) {
        if (p.Line >= 1 && p.Line <= lines_->Count()) p.Char = MinMax(p.Char, 1, LengthOfLine(p.Line) + 1);
    };
    keep(blockBegin_);
    keep(blockEnd_);
}

void TCustomTeEdit::SetCaretAndSelection(const TBufferCoord& ptCaret, const TBufferCoord& ptBefore,
                                         const TBufferCoord& ptAfter) {
    TTeSelectionMode mode = activeSelectionMode_;
    IncPaintLock();
    InternalSetCaretXY(ptCaret);
    SetBlockBegin(ptBefore);
    SetBlockEnd(ptAfter);
    activeSelectionMode_ = mode;
    KeepNormalBlockInText();
    DecPaintLock();
}

void TCustomTeEdit::SelectAll() {
    if (lines_->Count() == 0) return;
    TBufferCoord last = BufferCoord(LengthOfLine(lines_->Count()) + 1, lines_->Count());
    SetCaretAndSelection(last, BufferCoord(1, 1), last);
}

void TCustomTeEdit::ClearSelection() {
    if (SelAvail()) SetSelText("");
}

int TCustomTeEdit::RowColToCharIndex(TBufferCoord RowCol) {
    int result = 0;
    RowCol.Line = std::min(lines_->Count(), RowCol.Line) - 1;
    for (int i = 0; i < RowCol.Line; ++i) result += static_cast<int>(lines_->Strings(i).size()) + 2;
    return result + RowCol.Char - 1;
}

TBufferCoord TCustomTeEdit::CharIndexToRowCol(int Index) {
    int x = 0, y = 0, chars = 0;
    while (y < lines_->Count()) {
        x = static_cast<int>(lines_->Strings(y).size());
        if (chars + x + 2 > Index) {
            x = Index - chars;
            break;
        }
        chars += x + 2;
        x = 0;
        ++y;
    }
    return BufferCoord(x + 1, y + 1);
}

int TCustomTeEdit::SelStart() {
    if (SelAvail()) return RowColToCharIndex(BlockBegin());
    return RowColToCharIndex(CaretXY());
}

void TCustomTeEdit::SetSelStart(int Value) {
    InternalSetCaretXY(CharIndexToRowCol(Value));
    SetBlockBegin(CaretXY());
}

int TCustomTeEdit::SelEnd() {
    if (SelAvail()) return RowColToCharIndex(BlockEnd());
    return RowColToCharIndex(CaretXY());
}

void TCustomTeEdit::SetSelEnd(int Value) { SetBlockEnd(CharIndexToRowCol(Value)); }

void TCustomTeEdit::SetSelLength(int Value) { SetSelEnd(SelStart() + Value); }

bool TCustomTeEdit::IsPointInSelection(const TBufferCoord& Value) const {
    TBufferCoord bb = BlockBegin(), be = BlockEnd();
    if (Value.Line < bb.Line || Value.Line > be.Line || bb == be) return false;
    switch (activeSelectionMode_) {
        case smLine: return true;
        case smColumn: {
            int lo = std::min(bb.Char, be.Char), hi = std::max(bb.Char, be.Char);
            return Value.Char >= lo && Value.Char < hi;
        }
        default:
            if (Value.Line == bb.Line && Value.Char < bb.Char) return false;
            if (Value.Line == be.Line && Value.Char >= be.Char) return false;
            return true;
    }
}

// ---------------------------------------------------------------------------
// Coordinates

int TCustomTeEdit::DisplayX() { return DisplayXY().Column; }
int TCustomTeEdit::DisplayY() {
    if (!wordWrap_ || !wordWrapPlugin_) return caretY_;
    return DisplayXY().Row;
}

TDisplayCoord TCustomTeEdit::DisplayXY() {
    TDisplayCoord result = BufferToDisplayPos(CaretXY());
    if (wordWrap_ && caretAtEndOfRow_ && result.Column == 1 && result.Row > 1) {
        result.Row -= 1;
        result.Column = wordWrapPlugin_ ? wordWrapPlugin_->GetRowLength(result.Row) + 1 : result.Column;
    }
    return result;
}

int TCustomTeEdit::DisplayLineCount() {
    if (wordWrap_ && wordWrapPlugin_) return wordWrapPlugin_->RowCount();
    return lines_->Count();
}

int TCustomTeEdit::RowToLine(int aRow) {
    if (!wordWrap_ || !wordWrapPlugin_) return aRow;
    return DisplayToBufferPos(DisplayCoord(1, aRow)).Line;
}

int TCustomTeEdit::LineToRow(int aLine) {
    if (!wordWrap_ || !wordWrapPlugin_) return aLine;
    return BufferToDisplayPos(BufferCoord(1, aLine)).Row;
}

TDisplayCoord TCustomTeEdit::BufferToDisplayPos(const TBufferCoord& p) {
    TDisplayCoord result = DisplayCoord(p.Char, p.Line);
    if (p.Line >= 1 && p.Line <= lines_->Count())
        result.Column = CharIndex2CaretPos(p.Char, tabWidth_, lines_->Strings(p.Line - 1));
    if (wordWrap_ && wordWrapPlugin_) result = wordWrapPlugin_->BufferToDisplayPos(BufferCoord(result.Column, p.Line));
    return result;
}

TBufferCoord TCustomTeEdit::DisplayToBufferPos(const TDisplayCoord& p) {
    TBufferCoord result;
    if (wordWrap_ && wordWrapPlugin_) result = wordWrapPlugin_->DisplayToBufferPos(p);
    else result = BufferCoord(p.Column, p.Row);
    if (result.Line >= 1 && result.Line <= lines_->Count()) {
        const AnsiString s = lines_->Strings(result.Line - 1);
        int l = static_cast<int>(s.size());
        int x = 0, i = 0;
        while (x < result.Char) {
            ++i;
            if (i <= l && s[static_cast<size_t>(i - 1)] == '\t') x += tabWidth_ - x % tabWidth_;
            else ++x;
        }
        result.Char = i;
    }
    return result;
}

TDisplayCoord TCustomTeEdit::PixelsToRowColumn(int aX, int aY) {
    int cw = std::max(charWidth_, 1), lh = std::max(textHeight_, 1);
    int dx = aX - gutterWidth_ - 2;
    int col = (dx >= 0 ? dx / cw : -((-dx + cw - 1) / cw)) + leftChar_;
    int row = (aY >= 0 ? aY / lh : -((-aY + lh - 1) / lh)) + topLine_;
    return DisplayCoord(std::max(1, col), std::max(1, row));
}

TDisplayCoord TCustomTeEdit::PixelsToNearestRowColumn(int aX, int aY) {
    int cw = std::max(charWidth_, 1), lh = std::max(textHeight_, 1);
    aY = std::max(0, std::min(aY, linesInWindow_ * lh - 1));
    double f = static_cast<double>(aX - gutterWidth_ - 2) / cw;
    int col = leftChar_ + static_cast<int>(f < 0 ? -std::floor(-f + 0.5) : std::floor(f + 0.5));
    int row = aY / lh + topLine_;
    return DisplayCoord(std::max(1, col), std::max(1, row));
}

TPoint TCustomTeEdit::RowColumnToPixels(const TDisplayCoord& RowCol) {
    return TPoint((RowCol.Column - 1) * charWidth_ + textOffset_, (RowCol.Row - topLine_) * textHeight_);
}

// ---------------------------------------------------------------------------
// Invalidation

void TCustomTeEdit::InvalidateRect(const TRect& aRect, bool aErase) {
    if (HandleAllocated()) ::InvalidateRect(Handle(), &aRect, aErase);
}

void TCustomTeEdit::InvalidateLines(int FirstLine, int LastLine) {
    InvalidateRowBand(FirstLine, LastLine, gutterWidth_, ClientWidth());
}

void TCustomTeEdit::InvalidateGutterLines(int FirstLine, int LastLine) {
    InvalidateRowBand(FirstLine, LastLine, 0, gutterWidth_);
}

// The rows showing lines FirstLine..LastLine (-1, -1: all rows) between the
// x positions Left and Right.
void TCustomTeEdit::InvalidateRowBand(int FirstLine, int LastLine, int Left, int Right) {
    if (!HandleAllocated() || !Visible()) return;
    TRect rc;
    if (FirstLine == -1 && LastLine == -1) {
        rc = TRect(Left, 0, Right, ClientHeight());
    } else {
        FirstLine = std::max(FirstLine, 1);
        LastLine = std::max(LastLine, 1);
        if (LastLine < FirstLine) std::swap(FirstLine, LastLine);
        if (LastLine >= lines_->Count()) LastLine = INT_MAX;
        if (wordWrap_ && wordWrapPlugin_) {
            FirstLine = LineToRow(FirstLine);
            if (LastLine <= lines_->Count()) LastLine = LineToRow(LastLine + 1) - 1;
        }
        FirstLine = std::max(FirstLine, topLine_);
        LastLine = std::min(LastLine, topLine_ + linesInWindow_);
        if (LastLine < FirstLine) return;
        rc = TRect(Left, textHeight_ * (FirstLine - topLine_), Right, textHeight_ * (LastLine - topLine_ + 1));
    }
    InvalidateOrCollect(rc);
}

// While lines change, what to repaint is gathered and invalidated once at the end.
void TCustomTeEdit::InvalidateOrCollect(const TRect& Rect) {
    if (linesChanging_) UnionRect(&invalidateRect_, invalidateRect_, Rect);
    else InvalidateRect(Rect, false);
}

void TCustomTeEdit::InvalidateGutterLine(int aLine) {
    if (aLine < 1 || aLine > lines_->Count()) return;
    InvalidateGutterLines(aLine, aLine);
}

void TCustomTeEdit::InvalidateLine(int Line) {
    if (!HandleAllocated() || !Visible() || Line < 1 || (Line > lines_->Count() && Line != 1)) return;
    if (wordWrap_ && wordWrapPlugin_) {
        InvalidateLines(Line, Line);
        return;
    }
    if (Line < topLine_ || Line > topLine_ + linesInWindow_) return;
    InvalidateOrCollect(
        TRect(gutterWidth_, textHeight_ * (Line - topLine_), ClientWidth(), textHeight_ * (Line - topLine_ + 1)));
}

void TCustomTeEdit::InvalidateSelection() { InvalidateLines(BlockBegin().Line, BlockEnd().Line); }

// ---------------------------------------------------------------------------
// Caret

bool TCustomTeEdit::IsFocusedOrAlwaysShown() { return alwaysShowCaret_ || (HandleAllocated() && Focused()); }

void TCustomTeEdit::InitializeCaret() {
    if (!HandleAllocated()) return;
    TTeEditCaretType ct = inserting_ ? insertCaret_ : overwriteCaret_;
    int cw = 0, ch = 0;
    switch (ct) {
        case ctHorizontalLine:
            cw = charWidth_;
            ch = 2;
            caretOffset_ = TPoint(0, textHeight_ - 2);
            break;
        case ctHalfBlock:
            cw = charWidth_;
            ch = (textHeight_ - 2) / 2;
            caretOffset_ = TPoint(0, ch);
            break;
        case ctBlock:
            cw = charWidth_;
            ch = textHeight_ - 2;
            caretOffset_ = TPoint(0, 0);
            break;
        default:
            cw = 2;
            ch = textHeight_ - 2;
            caretOffset_ = TPoint(-1, 0);
            break;
    }
    caretVisible_ = false;
    if (IsFocusedOrAlwaysShown()) {
        CreateCaret(Handle(), nullptr, cw, ch);
        UpdateCaret();
    }
}

void TCustomTeEdit::HideCaretNow() {
    if (caretVisible_ && HandleAllocated() && HideCaret(Handle())) caretVisible_ = false;
}

void TCustomTeEdit::UpdateCaret() {
    if (paintLock_ != 0 || !IsFocusedOrAlwaysShown()) {
        caretChanged_ = true;
        return;
    }
    caretChanged_ = false;
    TPoint p = RowColumnToPixels(DisplayXY());
    int cx = p.X + caretOffset_.X;
    int cy = p.Y + caretOffset_.Y + 1;
    TRect textArea = ClientRect();
    textArea.Left = gutterWidth_;
    SetCaretPos(cx, cy);
    bool inside = cx >= textArea.Left && cx < textArea.Right && cy >= textArea.Top && cy < textArea.Bottom;
    if (inside && !options_.Contains(eoNoCaret)) {
        if (!caretVisible_ && ShowCaret(Handle())) caretVisible_ = true;
    } else {
        HideCaretNow();
    }
    // The input method places its window from the caret rectangle the platform reports.
}

void TCustomTeEdit::SetInsertMode(bool Value) {
    if (inserting_ == Value) return;
    inserting_ = Value;
    if (!(ComponentState() & csDesigning)) InitializeCaret();
    StatusChanged(scInsertMode);
}

void TCustomTeEdit::SetInsertCaret(TTeEditCaretType Value) {
    if (insertCaret_ == Value) return;
    insertCaret_ = Value;
    InitializeCaret();
}

void TCustomTeEdit::SetOverwriteCaret(TTeEditCaretType Value) {
    if (overwriteCaret_ == Value) return;
    overwriteCaret_ = Value;
    InitializeCaret();
}

// ---------------------------------------------------------------------------
// Focus

void TCustomTeEdit::WMSetFocus(TMessage& Message) {
    TCustomControl::WMSetFocus(Message);
    CommandProcessor(480, '\0', nullptr);
    InitializeCaret();
    if (hideSelection_ && SelAvail()) InvalidateSelection();
}

void TCustomTeEdit::WMKillFocus(TMessage& Message) {
    TCustomControl::WMKillFocus(Message);
    CommandProcessor(481, '\0', nullptr);
    if (!Focused() && !alwaysShowCaret_) {
        HideCaretNow();
        if (HandleAllocated() && GetCaretState().Owner == Handle()) DestroyCaret();
        caretVisible_ = false;
        if (hideSelection_ && SelAvail()) InvalidateSelection();
    }
}

void TCustomTeEdit::SetFocus() {
    if (!focusList_.empty()) {
        focusList_.front()->SetFocus();
        return;
    }
    TCustomControl::SetFocus();
}

void TCustomTeEdit::AddFocusControl(TWinControl* aControl) { focusList_.push_back(aControl); }

void TCustomTeEdit::RemoveFocusControl(TWinControl* aControl) {
    focusList_.erase(std::remove(focusList_.begin(), focusList_.end(), aControl), focusList_.end());
}

// ---------------------------------------------------------------------------
// Keys

TTeEditorCommand TCustomTeEdit::TranslateKey(WORD Code, TShiftState Shift, void*& Data) {
    return TranslateKeyCode(keyStrokes_, lastKey_, lastShift_, Code, Shift, Data);
}

void TCustomTeEdit::KeyDown(WORD& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    kbdHandler_->ExecuteKeyDown(this, Key, Shift);
    if (Key == 0) return;
    void* data = nullptr;
    TTeEditorCommand cmd = TranslateKey(Key, Shift, data);
    if (cmd != ecNone) {
        Key = 0;
        ignoreNextChar_ = true;
        CommandProcessor(cmd, '\0', data);
    } else {
        ignoreNextChar_ = false;
    }
}

void TCustomTeEdit::KeyUp(WORD& Key, TShiftState Shift) {
    TCustomControl::KeyUp(Key, Shift);
    kbdHandler_->ExecuteKeyUp(this, Key, Shift);
}

void TCustomTeEdit::KeyPress(char& Key) {
    if (imeCount_ > 0) {
        --imeCount_;
        return;
    }
    if (!ignoreNextChar_) {
        TCustomControl::KeyPress(Key);
        kbdHandler_->ExecuteKeyPress(this, Key);
        CommandProcessor(ecChar, Key, nullptr);
    }
    ignoreNextChar_ = false;
}

void TCustomTeEdit::SetDefaultKeystrokes() { keyStrokes_->ResetDefaults(); }

void TCustomTeEdit::SetKeystrokes(TTeEditKeyStrokes* Value) {
    if (!Value) keyStrokes_->Clear();
    else keyStrokes_->Assign(Value);
}

void TCustomTeEdit::RegisterCommandHandler(const THookedCommandEvent& AHandlerProc, void* AHandlerData) {
    for (const auto& h : hookedCommandHandlers_)
        if (h.Event == AHandlerProc) return;
    hookedCommandHandlers_.push_back({AHandlerProc, AHandlerData});
}

void TCustomTeEdit::UnregisterCommandHandler(const THookedCommandEvent& AHandlerProc) {
    for (auto it = hookedCommandHandlers_.begin(); it != hookedCommandHandlers_.end(); ++it) {
        if (it->Event == AHandlerProc) {
            hookedCommandHandlers_.erase(it);
            return;
        }
    }
}

void TCustomTeEdit::NotifyHookedCommandHandlers(bool AfterProcessing, TTeEditorCommand& Command, char& AChar,
                                                void* Data) {
    bool handled = false;
    for (const auto& h : std::vector<THookedCommandHandler>(hookedCommandHandlers_))
        h.Event(this, AfterProcessing, handled, Command, AChar, Data, h.Data);
    if (handled) Command = ecNone;
}

// ---------------------------------------------------------------------------
// Messages

void TCustomTeEdit::WndProc(TMessage& Message) {
    // Alt+Backspace would beep as a system character.
    if (Message.Msg == WM_SYSCHAR && Message.WParam == VK_BACK && (GetKeyState(VK_MENU) & 0x8000)) {
        Message.Msg = 0;
        return;
    }
    TCustomControl::WndProc(Message);
}

namespace {
// Copies Text into the caller's buffer of Size bytes: at most Size - 1 bytes
// and a terminating 0; nothing at all for a buffer of 0.
LRESULT CopyToBuffer(const AnsiString& Text, WPARAM Size, LPARAM Buffer) {
    if (Size == 0 || Buffer == 0) return 0;
    size_t n = std::min(Text.size(), static_cast<size_t>(Size) - 1);
    char* out = reinterpret_cast<char*>(Buffer);
    memcpy(out, Text.data(), n);
    out[n] = '\0';
    return static_cast<LRESULT>(n);
}
}  // namespace

void TCustomTeEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_GETDLGCODE:
            TCustomControl::Dispatch(Message);
            Message.Result |= DLGC_WANTARROWS | DLGC_WANTCHARS;
            if (wantTabs_) Message.Result |= DLGC_WANTTAB;
            if (wantReturns_) Message.Result |= DLGC_WANTALLKEYS;
            return;
        case WM_GETTEXT: Message.Result = CopyToBuffer(GetText(), Message.WParam, Message.LParam); return;
        case WM_GETTEXTLENGTH: Message.Result = static_cast<LRESULT>(GetText().size()); return;
        case WM_SETTEXT:
            Message.Result = 0;
            SetText(Message.LParam ? AnsiString(reinterpret_cast<const char*>(Message.LParam)) : AnsiString());
            Message.Result = -1;
            return;
        case WM_CLEAR:
            if (!ReadOnly()) SetSelText("");
            return;
        case WM_COPY:
            CopyToClipboard();
            Message.Result = 1;
            return;
        case WM_CUT:
            if (!ReadOnly()) CutToClipboard();
            Message.Result = 1;
            return;
        case WM_PASTE:
            if (!ReadOnly()) PasteFromClipboard();
            Message.Result = 1;
            return;
        case WM_UNDO: Undo(); return;
        case WM_CAPTURECHANGED:
            scrollTimer_->SetEnabled(false);
            TCustomControl::Dispatch(Message);
            return;
        case WM_DROPFILES: Message.Result = 0; return;  // no desktop drops arrive here
        case WM_IME_COMPOSITION: {
            // The platform hands the committed text over in LParam (zero-terminated code-page text).
            if ((Message.WParam & 0x800) && Message.LParam) {
                AnsiString s(reinterpret_cast<const char*>(Message.LParam));
                // Qt sends no characters after a commit, so nothing is to be swallowed.
                CommandProcessor(ecImeStr, '\0', &s);
            }
            TCustomControl::Dispatch(Message);
            return;
        }
        default: TCustomControl::Dispatch(Message); return;
    }
}

void TCustomTeEdit::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TCustomTeEdit::WMCancelMode(TMessage&) {}

// ---------------------------------------------------------------------------
// Properties with side effects

void TCustomTeEdit::SetActiveLineColor(TColor Value) {
    if (activeLineColor_ == Value) return;
    activeLineColor_ = Value;
    InvalidateLine(caretY_);
}

void TCustomTeEdit::SetBorderStyle(TBorderStyle Value) {
    if (borderStyle_ == Value) return;
    borderStyle_ = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomTeEdit::SetHideSelection(bool Value) {
    if (hideSelection_ == Value) return;
    hideSelection_ = Value;
    InvalidateSelection();
}

void TCustomTeEdit::SetHighlighter(TTeCustomHighlighter* Value) {
    if (Value == highlighter_) return;
    if (highlighter_) {
        highlighter_->UnhookAttrChangeEvent(TNotifyEvent(this, &TCustomTeEdit::HighlighterAttrChanged));
        highlighter_->RemoveFreeNotification(this);
    }
    highlighter_ = Value;
    if (Value) {
        Value->HookAttrChangeEvent(TNotifyEvent(this, &TCustomTeEdit::HighlighterAttrChanged));
        Value->FreeNotification(this);
    }
    if (!(ComponentState() & (csLoading | csDestroying))) {
        RecalcCharExtent();
        Invalidate();
        SizeOrFontChanged(true);
    }
}

void TCustomTeEdit::SetMaxScrollWidth(int Value) {
    Value = MinMax(Value, 1, INT_MAX - 1);
    if (maxScrollWidth_ == Value) return;
    maxScrollWidth_ = Value;
    if (options_.Contains(eoScrollPastEol)) UpdateScrollBars();
}

void TCustomTeEdit::SetMaxUndo(int Value) {
    if (Value < 0) return;
    undoList_->SetMaxUndo(Value);
    redoList_->SetMaxUndo(Value);
}

void TCustomTeEdit::SetOptions(TTeEditorOptions Value) {
    if (Value == options_) return;
    bool wasPastEol = options_.Contains(eoScrollPastEol);
    if (!wasPastEol) SetLeftChar(leftChar_);
    if (!options_.Contains(eoScrollPastEof)) SetTopLine(topLine_);
    TTeEditorOptions old = options_;
    options_ = Value;
    InternalSetCaretXY(CaretXY());
    if (options_.Contains(eoScrollPastEol)) {
        TBufferCoord anchor = blockBegin_, end = blockEnd_;
        SetBlockBegin(anchor);
        SetBlockEnd(end);
    }
    showSpecChar_ = options_.Contains(eoShowSpecialChars);
    if (old.Contains(eoShowSpecialChars) != options_.Contains(eoShowSpecialChars)) Invalidate();
    const TTeEditorOption bars[] = {eoDisableScrollArrows, eoHideShowScrollbars, eoScrollPastEof, eoScrollPastEol};
    for (TTeEditorOption o : bars) {
        if (old.Contains(o) != options_.Contains(o)) {
            UpdateScrollBars();
            break;
        }
    }
}

void TCustomTeEdit::SetReadOnly(bool Value) {
    if (readOnly_ == Value) return;
    readOnly_ = Value;
    StatusChanged(scReadOnly);
}

void TCustomTeEdit::SetRightEdge(int Value) {
    if (rightEdge_ == Value) return;
    rightEdge_ = Value;
    Invalidate();
}

void TCustomTeEdit::SetRightEdgeColor(TColor Value) {
    if (rightEdgeColor_ == Value) return;
    rightEdgeColor_ = Value;
    if (HandleAllocated()) {
        int x = textOffset_ + rightEdge_ * charWidth_;
        TRect rc(x - 1, 0, x + 1, ClientHeight());
        InvalidateRect(rc, false);
    }
}

void TCustomTeEdit::SetScrollBars(TScrollStyle Value) {
    if (scrollBars_ == Value) return;
    scrollBars_ = Value;
    UpdateScrollBars();
    Invalidate();
}

void TCustomTeEdit::SetSearchEngine(TTeEditSearchCustom* Value) {
    if (searchEngine_ == Value) return;
    searchEngine_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TCustomTeEdit::SetTabWidth(int Value) {
    Value = MinMax(Value, 1, 256);
    if (tabWidth_ == Value) return;
    tabWidth_ = Value;
    lines_->SetTabWidth(Value);
    Invalidate();
    if (wordWrap_ && wordWrapPlugin_) wordWrapPlugin_->Reset();
}

void TCustomTeEdit::SetWordWrap(bool Value) {
    if (wordWrap_ == Value) return;
    Invalidate();
    bool caretVisible = HandleAllocated() && DisplayY() >= topLine_ && DisplayY() < topLine_ + linesInWindow_;
    int oldTopLine = RowToLine(topLine_);
    wordWrap_ = Value;
    if (Value) {
        wordWrapPlugin_ = new TTeWordWrapPlugin(this);
        leftChar_ = 1;
        textOffset_ = gutterWidth_ + 2;
    } else {
        delete wordWrapPlugin_;
        wordWrapPlugin_ = nullptr;
    }
    topLine_ = 1;
    SetTopLine(LineToRow(oldTopLine));
    UpdateScrollBars();
    if (options_.Contains(eoScrollPastEol)) {
        InternalSetCaretXY(CaretXY());
        TBufferCoord a = blockBegin_, e = blockEnd_;
        SetBlockBegin(a);
        SetBlockEnd(e);
    }
    if (caretVisible) EnsureCursorPosVisible();
}

// ---------------------------------------------------------------------------
// Events fired by the control

void TCustomTeEdit::DoOnClearBookmark(TTeEditMark*& Mark) {
    if (OnClearBookmark) OnClearBookmark(this, Mark);
}

void TCustomTeEdit::DoOnCommandProcessed(TTeEditorCommand Command, char AChar, void* Data) {
    if (OnCommandProcessed) OnCommandProcessed(this, Command, AChar, Data);
}

void TCustomTeEdit::DoOnPlaceMark(TTeEditMark*& Mark) {
    if (OnPlaceBookmark) OnPlaceBookmark(this, Mark);
}

TReplaceAction TCustomTeEdit::DoOnReplaceText(const AnsiString& ASearch, const AnsiString& AReplace, int Line,
                                              int Column) {
    TReplaceAction action = 0;
    if (OnReplaceText) OnReplaceText(this, ASearch, AReplace, Line, Column, action);
    return action;
}

void TCustomTeEdit::DoOnProcessCommand(TTeEditorCommand& Command, char& AChar, void* Data) {
    if (Command < ecUserFirst) {
        if (OnProcessCommand) OnProcessCommand(this, Command, AChar, Data);
    } else if (OnProcessUserCommand) {
        OnProcessUserCommand(this, Command, AChar, Data);
    }
}

bool TCustomTeEdit::DoOnSpecialLineColors(int Line, TColor& Foreground, TColor& Background) {
    bool special = false;
    if (OnSpecialLineColors) OnSpecialLineColors(this, Line, special, Foreground, Background);
    return special;
}

void TCustomTeEdit::DoOnPaint() {
    if (OnPaint) {
        Canvas()->Font()->Assign(Font());
        Canvas()->Brush()->SetColor(Color());
        OnPaint(this, Canvas());
    }
}

void TCustomTeEdit::DoOnPaintTransientEx(TTransientType TransientType, bool Lock) {
    if (!OnPaintTransient) return;
    Canvas()->Font()->Assign(Font());
    Canvas()->Brush()->SetColor(Color());
    if (Lock) IncPaintLock();
    TScopeGuard unlock([this, Lock] {
        if (Lock) DecPaintLock();
    });
    OnPaintTransient(this, Canvas(), TransientType);
}

void TCustomTeEdit::DoOnPaintTransient(TTransientType TransientType) { DoOnPaintTransientEx(TransientType, false); }

// ---------------------------------------------------------------------------
// Bookmarks

TTeEditMark* TCustomTeEdit::BookmarkSlot(int BookMark) const {
    return BookMark >= 0 && BookMark <= 9 ? bookMarks_[BookMark] : nullptr;
}

bool TCustomTeEdit::GetBookMark(int BookMark, int& X, int& Y) const {
    TTeEditMark* m = BookmarkSlot(BookMark);
    if (!m) return false;
    X = m->Char();
    Y = m->Line();
    return true;
}

bool TCustomTeEdit::IsBookmark(int BookMark) const { return BookmarkSlot(BookMark) != nullptr; }

void TCustomTeEdit::ClearBookMark(int BookMark) {
    TTeEditMark* m = BookmarkSlot(BookMark);
    if (!m) return;
    DoOnClearBookmark(m);
    marks_->Remove(bookMarks_[BookMark]);
    delete bookMarks_[BookMark];
    bookMarks_[BookMark] = nullptr;
}

void TCustomTeEdit::GotoBookMark(int BookMark) {
    TTeEditMark* m = BookmarkSlot(BookMark);
    if (!m || m->Line() > lines_->Count()) return;
    IncPaintLock();
    SetCaretXYEx(false, BufferCoord(m->Char(), m->Line()));
    EnsureCursorPosVisibleEx(true);
    if (SelAvail()) InvalidateSelection();
    blockBegin_ = blockEnd_ = CaretXY();
    DecPaintLock();
}

void TCustomTeEdit::SetBookMark(int BookMark, int X, int Y) {
    if (BookMark < 0 || BookMark > 9 || Y < 1 || Y > std::max(1, lines_->Count())) return;
    auto* mark = new TTeEditMark(this);
    mark->SetLine(Y);
    mark->SetChar(X);
    mark->SetImage(BookMark);
    mark->SetBookmarkNumber(BookMark);
    mark->SetVisible(true);
    mark->SetInternalImage(bookMarkOpt_->BookmarkImages() == nullptr);
    TTeEditMark* placed = mark;
    DoOnPlaceMark(placed);
    if (!placed) {
        delete mark;
        return;
    }
    if (bookMarks_[BookMark]) ClearBookMark(BookMark);
    bookMarks_[BookMark] = placed;
    marks_->Add(placed);
}
