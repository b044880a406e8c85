// The grid control base and its in-place editor.
#include "platform/gui/Grids.h"

#include <algorithm>

#include "platform/gui/Clipboard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Services.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"

namespace {

[[noreturn]] void InvalidOp(const char* Message) { throw EInvalidGridOperation(Message); }

}  // namespace

// ---------------------------------------------------------------------------
// TInplaceEdit

TESK_PUBLISHED(TInplaceEdit) {}

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomControl(AOwner) {
    SetParentCtl3D(false);
    SetCtl3D(false);
    SetTabStop(false);
    SetVisible(false);
    SetCursor(crIBeam);
    controlStyle_ = (controlStyle_ | csOpaque) & ~csSetCaption;
}

TInplaceEdit::~TInplaceEdit() {
    if (caretCreated_) DestroyCaret();
}

void TInplaceEdit::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_CLIPSIBLINGS | static_cast<DWORD>(ES_AUTOHSCROLL);
    Params.Style &= ~WS_BORDER;
}

void TInplaceEdit::SetTextBuf(const AnsiString& Value) {
    if (Value == text_) return;
    text_ = maxLength_ > 0 && static_cast<int>(Value.size()) > maxLength_ ? Value.substr(0, maxLength_) : Value;
    selStart_ = selLength_ = anchor_ = caret_ = 0;
    scroll_ = 0;
    Invalidate();
    Change();
}

void TInplaceEdit::SetEditText(const AnsiString& Value) { SetTextBuf(Value); }

void TInplaceEdit::SetMaxLength(int Value) {
    maxLength_ = Value < 0 ? 0 : Value;
    if (maxLength_ > 0 && static_cast<int>(text_.size()) > maxLength_) SetTextBuf(text_.substr(0, maxLength_));
}

void TInplaceEdit::SetSelStart(int Value) {
    int n = static_cast<int>(text_.size());
    selStart_ = std::clamp(Value, 0, n);
    selLength_ = 0;
    anchor_ = caret_ = selStart_;
    UpdateCaret();
    Invalidate();
}

void TInplaceEdit::SetSelLength(int Value) {
    int n = static_cast<int>(text_.size());
    selLength_ = std::clamp(Value, 0, n - selStart_);
    anchor_ = selStart_;
    caret_ = selStart_ + selLength_;
    UpdateCaret();
    Invalidate();
}

AnsiString TInplaceEdit::SelText() const { return text_.substr(static_cast<size_t>(selStart_), static_cast<size_t>(selLength_)); }

void TInplaceEdit::SetSelText(const AnsiString& Value) { ReplaceSelection(Value, false); }

void TInplaceEdit::SelectAll() {
    selStart_ = 0;
    selLength_ = static_cast<int>(text_.size());
    anchor_ = 0;
    caret_ = selLength_;
    UpdateCaret();
    Invalidate();
}

void TInplaceEdit::Deselect() {
    selStart_ = caret_;
    selLength_ = 0;
    anchor_ = caret_;
    Invalidate();
}

void TInplaceEdit::ReplaceSelection(const AnsiString& Value, bool User) {
    AnsiString insert = Value;
    int room = maxLength_ > 0 ? maxLength_ - (static_cast<int>(text_.size()) - selLength_) : INT32_MAX;
    if (room < static_cast<int>(insert.size())) insert = insert.substr(0, static_cast<size_t>(std::max(0, room)));
    if (insert.empty() && selLength_ == 0) return;
    text_.replace(static_cast<size_t>(selStart_), static_cast<size_t>(selLength_), insert);
    selStart_ += static_cast<int>(insert.size());
    selLength_ = 0;
    anchor_ = caret_ = selStart_;
    if (User) modified_ = true;
    UpdateCaret();
    Invalidate();
    Change();
}

void TInplaceEdit::MoveCaret(int Pos, bool Extend) {
    int n = static_cast<int>(text_.size());
    Pos = std::clamp(Pos, 0, n);
    if (!Extend) anchor_ = Pos;
    caret_ = Pos;
    selStart_ = std::min(anchor_, caret_);
    selLength_ = std::abs(caret_ - anchor_);
    UpdateCaret();
    Invalidate();
}

void TInplaceEdit::Change() {
    if (HandleAllocated() && Parent() && Parent()->HandleAllocated())
        SendMessage(Parent()->Handle(), WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), reinterpret_cast<LPARAM>(Handle()));
    if (OnChange) OnChange(this);
}

bool TInplaceEdit::EditCanModify() { return !readOnly_ && (!grid_ || grid_->CanEditModify()); }

namespace {

// Measured apart from the window, whose context is only taken while painting.
int MeasureText(TFont* Font, const AnsiString& Text) {
    HDC dc = CreateScreenDC();
    HGDIOBJ old = SelectObject(dc, Font->Handle());
    TSize size;
    GetTextExtentPoint32(dc, Text.c_str(), static_cast<int>(Text.size()), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size.cx;
}

}  // namespace

void TInplaceEdit::SetAlignment(TAlignment Value) {
    if (alignment_ == Value) return;
    alignment_ = Value;
    scroll_ = 0;
    UpdateCaret();
    Invalidate();
}

int TInplaceEdit::TextOrigin() {
    TRect r = EditRect();
    if (alignment_ != taLeftJustify) {
        int room = r.Width() - 4;
        int width = MeasureText(Font(), text_);
        if (width < room) return r.Left + 2 + (alignment_ == taRightJustify ? room - width : (room - width) / 2);
    }
    return r.Left + 2 - scroll_;
}

int TInplaceEdit::TextX(int Index) {
    AnsiString head = text_.substr(0, static_cast<size_t>(std::clamp(Index, 0, static_cast<int>(text_.size()))));
    return TextOrigin() + MeasureText(Font(), head);
}

void TInplaceEdit::DestroyWnd() {
    if (auto* canvas = dynamic_cast<TControlCanvas*>(Canvas())) canvas->FreeHandle();
    TCustomControl::DestroyWnd();
}

int TInplaceEdit::CharFromX(int X) {
    int n = static_cast<int>(text_.size());
    for (int i = 0; i < n; ++i) {
        int mid = (TextX(i) + TextX(i + 1)) / 2;
        if (X < mid) return i;
    }
    return n;
}

void TInplaceEdit::UpdateCaret() {
    if (!HandleAllocated() || !caretCreated_) return;
    TRect r = EditRect();
    int x = TextX(caret_);
    // Keep the caret inside the text area by scrolling the text.
    if (x < r.Left + 2) {
        scroll_ -= r.Left + 2 - x;
        x = r.Left + 2;
    } else if (x > r.Right - 2) {
        scroll_ += x - (r.Right - 2);
        x = r.Right - 2;
    }
    if (scroll_ < 0) scroll_ = 0;
    SetCaretPos(x, r.Top + 1);
}

TRect TInplaceEdit::EditRect() const {
    if (editRectSet_) return editRect_;
    return TRect(0, 0, width_, height_);
}

void TInplaceEdit::Paint() {
    TCanvas* c = Canvas();
    TRect client = ClientRect();
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(client);
    c->SetFont(Font());
    TRect r = EditRect();
    int y = r.Top + 1;
    int x = TextOrigin();
    c->Brush()->SetStyle(bsClear);
    c->TextRect(r, x, y, text_);
    if (selLength_ > 0 && Focused()) {
        int x1 = TextX(selStart_), x2 = TextX(selStart_ + selLength_);
        TRect sel(std::max(x1, r.Left), r.Top, std::min(x2, r.Right), r.Bottom);
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clHighlight);
        c->Font()->SetColor(clHighlightText);
        c->TextRect(sel, x1, y, SelText());
        c->Font()->SetColor(Font()->Color());
    }
}

void TInplaceEdit::Invalidate() { TCustomControl::Invalidate(); }

void TInplaceEdit::Move(const TRect& Loc) {
    SetBounds(Loc.Left, Loc.Top, Loc.Width(), Loc.Height());
    BoundsChanged();
    if (!Visible()) SetVisible(true);
    if (grid_ && grid_->Focused()) SetFocus();
}

void TInplaceEdit::UpdateLoc(const TRect& Loc) {
    SetBounds(Loc.Left, Loc.Top, Loc.Width(), Loc.Height());
    BoundsChanged();
}

bool TInplaceEdit::PosEqual(const TRect& Rect) const { return BoundsRect() == Rect; }

void TInplaceEdit::Hide() {
    if (!Visible()) return;
    bool hadFocus = HandleAllocated() && GetFocus() == Handle();
    SetVisible(false);
    if (hadFocus && grid_ && grid_->CanFocus()) grid_->SetFocus();
}

void TInplaceEdit::SetFocus() {
    if (Visible() && CanFocus()) TCustomControl::SetFocus();
}

bool TInplaceEdit::Focused() { return HandleAllocated() && GetFocus() == Handle(); }

void TInplaceEdit::BoundsChanged() {
    if (!editRectSet_) editRect_ = TRect(0, 0, width_, height_);
    UpdateCaret();
}

void TInplaceEdit::UpdateContents() {
    if (!grid_) return;
    text_.clear();
    SetEditMask(grid_->GetEditMask(grid_->Col(), grid_->Row()));
    SetMaxLength(grid_->GetEditLimit());
    AnsiString t = grid_->GetEditText(grid_->Col(), grid_->Row());
    text_ = maxLength_ > 0 && static_cast<int>(t.size()) > maxLength_ ? t.substr(0, static_cast<size_t>(maxLength_)) : t;
    selStart_ = selLength_ = anchor_ = caret_ = 0;
    scroll_ = 0;
    modified_ = false;
    Invalidate();
}

bool TInplaceEdit::CopySelection() {
    if (selLength_ <= 0) return false;
    Clipboard()->SetAsText(SelText());
    return true;
}

void TInplaceEdit::PasteText() {
    AnsiString t = Clipboard()->AsText();
    // One line only.
    size_t cut = t.find_first_of("\r\n");
    if (cut != AnsiString::npos) t.resize(cut);
    if ((t.empty() && selLength_ == 0) || !EditCanModify()) return;
    ReplaceSelection(t, true);
}

void TInplaceEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_GETDLGCODE: WMGetDlgCode(Message); return;
        case EM_GETSEL:
            if (Message.WParam) *reinterpret_cast<DWORD*>(Message.WParam) = static_cast<DWORD>(selStart_);
            if (Message.LParam) *reinterpret_cast<DWORD*>(Message.LParam) = static_cast<DWORD>(selStart_ + selLength_);
            Message.Result = MAKELPARAM(selStart_, selStart_ + selLength_);
            return;
        case EM_SETSEL: {
            int s = static_cast<int>(static_cast<intptr_t>(Message.WParam));
            int e = static_cast<int>(Message.LParam);
            int n = static_cast<int>(text_.size());
            if (s < 0) {
                Deselect();
                return;
            }
            if (e < 0 || e > n) e = n;
            anchor_ = std::clamp(s, 0, n);
            MoveCaret(e, true);
            return;
        }
        case EM_SETRECTNP:
        case EM_SETRECT:
            if (Message.LParam) {
                editRect_ = *reinterpret_cast<const TRect*>(Message.LParam);
                editRectSet_ = true;
            } else {
                editRectSet_ = false;
            }
            UpdateCaret();
            Invalidate();
            return;
        case EM_GETRECT:
            if (Message.LParam) *reinterpret_cast<TRect*>(Message.LParam) = EditRect();
            return;
        case EM_SCROLLCARET: UpdateCaret(); return;
        case EM_GETMODIFY: Message.Result = modified_ ? 1 : 0; return;
        case EM_SETMODIFY: modified_ = Message.WParam != 0; return;
        case EM_LIMITTEXT: SetMaxLength(static_cast<int>(Message.WParam)); return;
        case EM_SETREADONLY: readOnly_ = Message.WParam != 0; Message.Result = 1; return;
        // With nothing selected these change nothing: the grid is not asked to edit.
        case WM_CUT:
            if (selLength_ > 0 && EditCanModify() && CopySelection()) ReplaceSelection("", true);
            return;
        case WM_COPY: CopySelection(); return;
        case WM_PASTE: PasteText(); return;
        case WM_CLEAR:
            if (selLength_ > 0 && EditCanModify()) ReplaceSelection("", true);
            return;
        default: break;
    }
    TCustomControl::Dispatch(Message);
}

void TInplaceEdit::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (grid_ && grid_->Options().Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
}

void TInplaceEdit::WMSetFocus(TMessage& Message) {
    TCustomControl::WMSetFocus(Message);
    if (!caretCreated_) {
        int h = std::max(1, EditRect().Height() - 2);
        CreateCaret(Handle(), nullptr, 1, h);
        caretCreated_ = true;
    }
    UpdateCaret();
    ShowCaret(Handle());
    if (autoSelect_) SelectAll();
}

void TInplaceEdit::WMKillFocus(TMessage& Message) {
    if (caretCreated_) {
        DestroyCaret();
        caretCreated_ = false;
    }
    Invalidate();
    TCustomControl::WMKillFocus(Message);
}

void TInplaceEdit::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    BoundsChanged();
}

void TInplaceEdit::WMKeyDown(TMessage& Message) {
    // Navigation keys belong to the grid.
    TShiftState shift = KeyDataToShiftState(Message.LParam);
    WORD key = static_cast<WORD>(Message.WParam);
    bool toGrid = false;
    int n = static_cast<int>(text_.size());
    switch (key) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_ESCAPE:
        case VK_F2: toGrid = true; break;
        case VK_TAB: toGrid = !(shift & ssAlt); break;
        case VK_DELETE: toGrid = (shift & ssCtrl) != 0; break;
        case VK_HOME:
        case VK_END:
            toGrid = (shift & ssCtrl) != 0 || (selStart_ == 0 && selLength_ == n);
            break;
        case VK_LEFT: toGrid = !(shift & ssShift) && caret_ == 0 && selLength_ == 0; break;
        case VK_RIGHT: toGrid = !(shift & ssShift) && caret_ == n && selLength_ == 0; break;
        default: break;
    }
    if (toGrid && grid_ && grid_->Options().Contains(goTabs) == false && key == VK_TAB) toGrid = false;
    if (toGrid && grid_) {
        grid_->KeyDown(key, shift);
        return;
    }
    TCustomControl::WMKeyDown(Message);
}

void TInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    bool extend = (Shift & ssShift) != 0;
    int n = static_cast<int>(text_.size());
    switch (Key) {
        case VK_LEFT: MoveCaret(!extend && selLength_ > 0 ? selStart_ : caret_ - 1, extend); Key = 0; break;
        case VK_RIGHT: MoveCaret(!extend && selLength_ > 0 ? selStart_ + selLength_ : caret_ + 1, extend); Key = 0; break;
        case VK_HOME: MoveCaret(0, extend); Key = 0; break;
        case VK_END: MoveCaret(n, extend); Key = 0; break;
        case VK_DELETE:
            if (Shift & ssShift) {
                Perform(WM_CUT, 0, 0);
            } else if ((selLength_ > 0 || caret_ < n) && EditCanModify()) {
                // Delete at the end deletes nothing and leaves the record as it was.
                if (selLength_ == 0) {
                    selStart_ = caret_;
                    selLength_ = 1;
                }
                ReplaceSelection("", true);
            }
            Key = 0;
            break;
        case VK_INSERT:
            if (Shift & ssShift) Perform(WM_PASTE, 0, 0);
            else if (Shift & ssCtrl) Perform(WM_COPY, 0, 0);
            Key = 0;
            break;
        default: break;
    }
}

void TInplaceEdit::KeyUp(WORD& Key, TShiftState Shift) {
    if (grid_) grid_->KeyUp(Key, Shift);
    TCustomControl::KeyUp(Key, Shift);
}

void TInplaceEdit::KeyPress(char& Key) {
    if (grid_) {
        // The grid may take a key first (Enter toggles the editor).
        grid_->KeyPress(Key);
        if (Key == 0) return;
        unsigned char k = static_cast<unsigned char>(Key);
        if (k >= 32 && !grid_->CanEditAcceptKey(Key)) {
            Key = 0;
            MessageBeep(0);
            return;
        }
    }
    TCustomControl::KeyPress(Key);
}

void TInplaceEdit::WMChar(TMessage& Message) {
    if (DoKeyPress(Message)) return;
    unsigned char ch = static_cast<unsigned char>(Message.WParam & 0xFF);
    switch (ch) {
        case 1:  // Ctrl+A
            SelectAll();
            return;
        case 3: Perform(WM_COPY, 0, 0); return;
        case 22: Perform(WM_PASTE, 0, 0); return;
        case 24: Perform(WM_CUT, 0, 0); return;
        case VK_BACK:
            // Backspace at the start deletes nothing and leaves the record as it was.
            if ((selLength_ > 0 || caret_ > 0) && EditCanModify()) {
                if (selLength_ == 0) {
                    selStart_ = caret_ - 1;
                    selLength_ = 1;
                }
                ReplaceSelection("", true);
            }
            return;
        default: break;
    }
    // A full box with nothing selected takes no character.
    bool room = maxLength_ <= 0 || selLength_ > 0 || static_cast<int>(text_.size()) < maxLength_;
    if (ch >= 32 && room && EditCanModify()) ReplaceSelection(AnsiString(1, static_cast<char>(ch)), true);
}

void TInplaceEdit::DblClick() {
    if (grid_) grid_->DblClick();
}

bool TInplaceEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (grid_) {
        TMessage m;
        m.Msg = CM_MOUSEWHEEL;
        m.WParam = MAKEWPARAM(Shift, WheelDelta);
        m.LParam = MAKELPARAM(MousePos.X, MousePos.Y);
        return grid_->Perform(CM_MOUSEWHEEL, m.WParam, m.LParam) != 0;
    }
    return TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TInplaceEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (!Focused()) SetFocus();
        MoveCaret(CharFromX(X), (Shift & ssShift) != 0);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TInplaceEdit::MouseMove(TShiftState Shift, int X, int Y) {
    if ((Shift & ssLeft) && MouseCapture()) MoveCaret(CharFromX(X), true);
    TCustomControl::MouseMove(Shift, X, Y);
}

// ---------------------------------------------------------------------------
// TCustomGrid

TESK_PUBLISHED(TCustomGrid) {}

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
    // The grid raises its own double clicks from MouseDown.
    controlStyle_ = csCaptureMouse | csOpaque | csDoubleClicks;
    SetBounds(0, 0, 320, 120);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    SetColRowExtent(colWidths_, colCount_, defaultColWidth_);
    SetColRowExtent(rowHeights_, rowCount_, defaultRowHeight_);
    tabStops_.assign(static_cast<size_t>(colCount_), 1);
    current_ = anchor_ = topLeft_ = TGridCoord{fixedCols_, fixedRows_};
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::SetColRowExtent(std::vector<int>& Sizes, int Count, int Default) {
    Sizes.resize(static_cast<size_t>(std::max(0, Count)), Default);
}

void TCustomGrid::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_TABSTOP;
    if (HorzBarShown()) Params.Style |= WS_HSCROLL;
    if (VertBarShown()) Params.Style |= WS_VSCROLL;
    if (borderStyle_ == bsSingle) {
        if (Ctl3D()) Params.ExStyle |= WS_EX_CLIENTEDGE;
        else Params.Style |= WS_BORDER;
    }
}

void TCustomGrid::CreateWnd() {
    TCustomControl::CreateWnd();
    UpdateScrollRange();
}

void TCustomGrid::DestroyWnd() {
    // A context taken for drawing outside a paint goes before its window.
    if (auto* canvas = dynamic_cast<TControlCanvas*>(Canvas())) canvas->FreeHandle();
    TCustomControl::DestroyWnd();
}

void TCustomGrid::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == inplaceEdit_) {
        inplaceEdit_ = nullptr;
        inplaceCol_ = inplaceRow_ = -1;
    }
}

void TCustomGrid::Loaded() {
    TCustomControl::Loaded();
    if (HandleAllocated()) UpdateScrollRange();
}

// ---- counts and sizes

void TCustomGrid::ChangeSize(int NewColCount, int NewRowCount) {
    int oldCols = colCount_, oldRows = rowCount_;
    if (NewColCount == oldCols && NewRowCount == oldRows) return;
    colCount_ = NewColCount;
    rowCount_ = NewRowCount;
    SetColRowExtent(colWidths_, colCount_, defaultColWidth_);
    SetColRowExtent(rowHeights_, rowCount_, defaultRowHeight_);
    tabStops_.resize(static_cast<size_t>(colCount_), 1);
    auto clampCoord = [this](TGridCoord& c) {
        c.X = std::clamp(c.X, 0, colCount_ - 1);
        c.Y = std::clamp(c.Y, 0, rowCount_ - 1);
    };
    clampCoord(current_);
    clampCoord(anchor_);
    topLeft_.X = std::clamp(topLeft_.X, std::min(fixedCols_, colCount_ - 1), colCount_ - 1);
    topLeft_.Y = std::clamp(topLeft_.Y, std::min(fixedRows_, rowCount_ - 1), rowCount_ - 1);
    SizeChanged(oldCols, oldRows);
    if (HandleAllocated()) {
        UpdateScrollRange();
        if (editorMode_) UpdateEdit();
    }
    InvalidateGrid();
}

void TCustomGrid::SizeChanged(int, int) {}

void TCustomGrid::SetColCount(int Value) {
    if (Value < 1) Value = 1;
    if (Value == colCount_) return;
    if (Value <= fixedCols_) fixedCols_ = Value - 1;
    ChangeSize(Value, rowCount_);
}

void TCustomGrid::SetRowCount(int Value) {
    if (Value < 1) Value = 1;
    if (Value == rowCount_) return;
    if (Value <= fixedRows_) fixedRows_ = Value - 1;
    ChangeSize(colCount_, Value);
}

void TCustomGrid::SetFixedCols(int Value) {
    if (Value == fixedCols_) return;
    if (Value < 0) InvalidOp("Grid index out of range");
    if (Value >= colCount_) InvalidOp("Fixed column count must be less than column count");
    fixedCols_ = Value;
    // A current cell among the fixed columns stays (a derived grid may keep it there).
    topLeft_.X = std::max(topLeft_.X, fixedCols_);
    if (topLeft_.X >= colCount_) topLeft_.X = colCount_ - 1;
    if (HandleAllocated()) UpdateScrollRange();
    InvalidateGrid();
}

void TCustomGrid::SetFixedRows(int Value) {
    if (Value == fixedRows_) return;
    if (Value < 0) InvalidOp("Grid index out of range");
    if (Value >= rowCount_) InvalidOp("Fixed row count must be less than row count");
    fixedRows_ = Value;
    topLeft_.Y = std::max(topLeft_.Y, fixedRows_);
    if (topLeft_.Y >= rowCount_) topLeft_.Y = rowCount_ - 1;
    if (current_.Y < fixedRows_) current_.Y = fixedRows_;
    if (anchor_.Y < fixedRows_) anchor_.Y = fixedRows_;
    if (HandleAllocated()) UpdateScrollRange();
    InvalidateGrid();
}

void TCustomGrid::SetDefaultColWidth(int Value) {
    defaultColWidth_ = Value;
    colWidths_.assign(static_cast<size_t>(colCount_), Value);
    ColWidthsChanged();
    InvalidateGrid();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
    defaultRowHeight_ = Value;
    rowHeights_.assign(static_cast<size_t>(rowCount_), Value);
    RowHeightsChanged();
    InvalidateGrid();
}

void TCustomGrid::SetGridLineWidth(int Value) {
    if (Value == gridLineWidth_) return;
    gridLineWidth_ = Value < 0 ? 0 : Value;
    if (HandleAllocated()) UpdateScrollRange();
    InvalidateGrid();
}

int TCustomGrid::ColWidths(int Index) const {
    if (Index < 0 || Index >= static_cast<int>(colWidths_.size())) return defaultColWidth_;
    return colWidths_[static_cast<size_t>(Index)];
}

void TCustomGrid::SetColWidths(int Index, int Value) {
    if (Index < 0 || Index >= colCount_) InvalidOp("Grid index out of range");
    if (colWidths_[static_cast<size_t>(Index)] == Value) return;
    colWidths_[static_cast<size_t>(Index)] = Value;
    ColWidthsChanged();
}

int TCustomGrid::RowHeights(int Index) const {
    if (Index < 0 || Index >= static_cast<int>(rowHeights_.size())) return defaultRowHeight_;
    return rowHeights_[static_cast<size_t>(Index)];
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
    if (Index < 0 || Index >= rowCount_) InvalidOp("Grid index out of range");
    if (rowHeights_[static_cast<size_t>(Index)] == Value) return;
    rowHeights_[static_cast<size_t>(Index)] = Value;
    RowHeightsChanged();
}

bool TCustomGrid::TabStops(int Index) const {
    if (Index < 0 || Index >= static_cast<int>(tabStops_.size())) return true;
    return tabStops_[static_cast<size_t>(Index)] != 0;
}

void TCustomGrid::SetTabStops(int Index, bool Value) {
    if (Index < 0 || Index >= colCount_) InvalidOp("Grid index out of range");
    tabStops_[static_cast<size_t>(Index)] = Value ? 1 : 0;
}

void TCustomGrid::ColWidthsChanged() {
    if (HandleAllocated()) {
        UpdateScrollRange();
        if (editorMode_) UpdateEdit();
    }
    InvalidateGrid();
}

void TCustomGrid::RowHeightsChanged() {
    if (HandleAllocated()) {
        UpdateScrollRange();
        if (editorMode_) UpdateEdit();
    }
    InvalidateGrid();
}

void TCustomGrid::SetOptions(TGridOptions Value) {
    if (Value == options_) return;
    if (Value.Contains(goRowSelect)) Value.Exclude(goAlwaysShowEditor);
    options_ = Value;
    if (!options_.Contains(goEditing)) HideEditor();
    if (options_.Contains(goRowSelect)) anchor_.X = colCount_ - 1;
    if (options_.Contains(goAlwaysShowEditor)) SetEditorMode(true);
    InvalidateGrid();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
    if (Value == scrollBars_) return;
    bool hadHorz = HorzBarShown(), hadVert = VertBarShown();
    scrollBars_ = Value;
    if (HandleAllocated()) {
        // A bar that the grid no longer keeps is taken away; a derived grid may run one itself.
        if (hadHorz && !HorzBarShown()) ShowScrollBar(Handle(), SB_HORZ, 0);
        if (hadVert && !VertBarShown()) ShowScrollBar(Handle(), SB_VERT, 0);
        UpdateScrollRange();
    }
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value) {
    if (Value == borderStyle_) return;
    borderStyle_ = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomGrid::SetDefaultDrawing(bool Value) {
    if (Value == defaultDrawing_) return;
    defaultDrawing_ = Value;
    InvalidateGrid();
}

void TCustomGrid::SetFixedColor(TColor Value) {
    if (Value == fixedColor_) return;
    fixedColor_ = Value;
    InvalidateGrid();
}

void TCustomGrid::SetEditorMode(bool Value) {
    if (!Value) {
        HideEditor();
    } else {
        ShowEditor();
        if (inplaceEdit_ && inplaceEdit_->Visible()) inplaceEdit_->SelectAll();
    }
}

// ---- geometry

void TCustomGrid::CalcAxis(TGridAxisDrawInfo& Axis, int FixedCount, int FirstCell, int CellCount, int Extent,
                           bool Lines, const std::vector<int>* Sizes, int DefaultSize) {
    Axis.EffectiveLineWidth = Lines ? gridLineWidth_ : 0;
    Axis.FixedCellCount = FixedCount;
    Axis.FirstGridCell = FirstCell;
    Axis.GridCellCount = CellCount;
    Axis.GridExtent = Extent;
    Axis.Extents.assign(static_cast<size_t>(CellCount), DefaultSize);
    if (Sizes)
        for (int i = 0; i < CellCount && i < static_cast<int>(Sizes->size()); ++i)
            Axis.Extents[static_cast<size_t>(i)] = (*Sizes)[static_cast<size_t>(i)];
    int boundary = 0;
    for (int i = 0; i < FixedCount && i < CellCount; ++i)
        boundary += std::max(0, Axis.GetExtent(i) + Axis.EffectiveLineWidth);
    Axis.FixedBoundary = boundary;
}

void TCustomGrid::FillAxis(TGridAxisDrawInfo& Axis) {
    Axis.GridBoundary = Axis.FixedBoundary;
    Axis.FullVisBoundary = Axis.FixedBoundary;
    Axis.LastFullVisibleCell = Axis.FirstGridCell;
    for (int i = Axis.FirstGridCell; i < Axis.GridCellCount; ++i) {
        Axis.GridBoundary += std::max(0, Axis.GetExtent(i) + Axis.EffectiveLineWidth);
        if (Axis.GridBoundary > Axis.GridExtent + Axis.EffectiveLineWidth) {
            Axis.GridBoundary = Axis.GridExtent;
            break;
        }
        Axis.LastFullVisibleCell = i;
        Axis.FullVisBoundary = Axis.GridBoundary;
    }
}

void TCustomGrid::CalcFixedInfo(TGridDrawInfo& DrawInfo) {
    bool vert = options_.Contains(goFixedVertLine) || options_.Contains(goVertLine);
    bool horz = options_.Contains(goFixedHorzLine) || options_.Contains(goHorzLine);
    CalcAxis(DrawInfo.Horz, fixedCols_, topLeft_.X, colCount_, ClientWidth(), vert, &colWidths_, defaultColWidth_);
    CalcAxis(DrawInfo.Vert, fixedRows_, topLeft_.Y, rowCount_, ClientHeight(), horz, &rowHeights_,
             defaultRowHeight_);
}

void TCustomGrid::CalcDrawInfo(TGridDrawInfo& DrawInfo) {
    CalcFixedInfo(DrawInfo);
    FillAxis(DrawInfo.Horz);
    FillAxis(DrawInfo.Vert);
}

bool TCustomGrid::AxisSpan(const TGridAxisDrawInfo& Axis, int First, int Last, int& Start, int& End) {
    if (Last < First) std::swap(First, Last);
    int lw = Axis.EffectiveLineWidth;
    auto step = [&](int i) { return std::max(0, Axis.GetExtent(i) + lw); };
    auto startOf = [&](int i) {
        int pos = 0;
        if (i < Axis.FixedCellCount) {
            for (int k = 0; k < i; ++k) pos += step(k);
        } else {
            pos = Axis.FixedBoundary;
            for (int k = Axis.FirstGridCell; k < i; ++k) pos += step(k);
        }
        return pos;
    };
    if (First >= Axis.FixedCellCount && First < Axis.FirstGridCell) {
        if (Last < Axis.FirstGridCell) return false;
        First = Axis.FirstGridCell;
    }
    if (Last >= Axis.FixedCellCount && Last < Axis.FirstGridCell) Last = Axis.FixedCellCount - 1;
    if (Last < First) return false;
    Start = startOf(First);
    End = startOf(Last) + Axis.GetExtent(Last);
    if (Start > Axis.GridBoundary) return false;
    if (End > Axis.GridBoundary) End = Axis.GridBoundary;
    return End > Start;
}

TRect TCustomGrid::BoxRect(int ALeft, int ATop, int ARight, int ABottom) {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    int l, r, t, b;
    if (!AxisSpan(info.Horz, ALeft, ARight, l, r) || !AxisSpan(info.Vert, ATop, ABottom, t, b)) return TRect();
    return TRect(l, t, r, b);
}

TRect TCustomGrid::CellRect(int ACol, int ARow) { return BoxRect(ACol, ARow, ACol, ARow); }

int TCustomGrid::AxisCellAt(const TGridAxisDrawInfo& Axis, int Pos) {
    if (Pos < 0) return -1;
    int lw = Axis.EffectiveLineWidth;
    if (Pos < Axis.FixedBoundary) {
        int acc = 0;
        for (int i = 0; i < Axis.FixedCellCount; ++i) {
            int w = std::max(0, Axis.GetExtent(i) + lw);
            if (w > 0 && Pos < acc + w) return i;
            acc += w;
        }
        return -1;
    }
    int acc = Axis.FixedBoundary;
    for (int i = Axis.FirstGridCell; i < Axis.GridCellCount; ++i) {
        if (acc >= Axis.GridExtent) break;
        int w = std::max(0, Axis.GetExtent(i) + lw);
        if (w > 0 && Pos < acc + w) return Pos < Axis.GridExtent ? i : -1;
        acc += w;
    }
    return -1;
}

TGridCoord TCustomGrid::CalcCoordFromPoint(int X, int Y, const TGridDrawInfo& DrawInfo) {
    TGridCoord c{AxisCellAt(DrawInfo.Horz, X), AxisCellAt(DrawInfo.Vert, Y)};
    if (c.X < 0 || c.Y < 0) return TGridCoord{-1, -1};
    return c;
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    return CalcCoordFromPoint(X, Y, info);
}

int TCustomGrid::VisibleColCount() {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    return info.Horz.LastFullVisibleCell - topLeft_.X + 1;
}

int TCustomGrid::VisibleRowCount() {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    return info.Vert.LastFullVisibleCell - topLeft_.Y + 1;
}

TGridCoord TCustomGrid::CalcMaxTopLeft(const TGridCoord& Coord, const TGridDrawInfo& DrawInfo) {
    auto maxFirst = [](const TGridAxisDrawInfo& axis, int last) {
        int room = axis.GridExtent - axis.FixedBoundary;
        int first = last;
        int used = std::max(0, axis.GetExtent(last) + axis.EffectiveLineWidth);
        while (first > axis.FixedCellCount) {
            int w = std::max(0, axis.GetExtent(first - 1) + axis.EffectiveLineWidth);
            if (used + w > room) break;
            used += w;
            --first;
        }
        return std::max(first, axis.FixedCellCount);
    };
    return TGridCoord{maxFirst(DrawInfo.Horz, Coord.X), maxFirst(DrawInfo.Vert, Coord.Y)};
}

// ---- current cell and scrolling

TGridRect TCustomGrid::Selection() const {
    return TGridRect(std::min(anchor_.X, current_.X), std::min(anchor_.Y, current_.Y), std::max(anchor_.X, current_.X),
                     std::max(anchor_.Y, current_.Y));
}

void TCustomGrid::SetSelection(const TGridRect& Value) {
    TGridRect old = Selection();
    anchor_ = Value.TopLeft();
    current_ = Value.BottomRight();
    InvalidateRectOfCells(old);
    InvalidateRectOfCells(Selection());
}

bool TCustomGrid::SelectCell(int, int) { return true; }

void TCustomGrid::SetCol(int Value) {
    if (Value != current_.X) FocusCell(Value, current_.Y, true);
}

void TCustomGrid::SetRow(int Value) {
    if (Value != current_.Y) FocusCell(current_.X, Value, true);
}

void TCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor) {
    MoveCurrent(ACol, ARow, MoveAnchor, true);
    UpdateEdit();
    Click();
}

void TCustomGrid::MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show) {
    MoveCurrent(ACol, ARow, MoveAnchor, Show);
}

void TCustomGrid::MoveCurrent(int ACol, int ARow, bool MoveAnchorToo, bool Show) {
    if (ACol < 0 || ARow < 0 || ACol >= colCount_ || ARow >= rowCount_) InvalidOp("Grid index out of range");
    if (!SelectCell(ACol, ARow)) return;
    TGridRect oldSel = Selection();
    TGridCoord old = current_;
    if (!options_.Contains(goAlwaysShowEditor)) HideEditor();
    current_ = TGridCoord{ACol, ARow};
    if (MoveAnchorToo || !options_.Contains(goRangeSelect)) {
        anchor_ = current_;
        if (options_.Contains(goRowSelect)) anchor_.X = colCount_ - 1;
    }
    if (options_.Contains(goRowSelect)) current_.X = std::max(fixedCols_, std::min(current_.X, colCount_ - 1));
    if (Show) ClampInView(current_);
    InvalidateRectOfCells(oldSel);
    InvalidateRectOfCells(Selection());
    if (options_.Contains(goRowSelect)) {
        InvalidateRow(old.Y);
        InvalidateRow(current_.Y);
    } else {
        InvalidateCell(old.X, old.Y);
        InvalidateCell(current_.X, current_.Y);
    }
}

void TCustomGrid::MoveAnchor(const TGridCoord& NewAnchor) {
    if (!options_.Contains(goRangeSelect)) {
        MoveCurrent(NewAnchor.X, NewAnchor.Y, true, true);
        return;
    }
    TGridRect old = Selection();
    anchor_ = NewAnchor;
    if (options_.Contains(goRowSelect)) anchor_.X = colCount_ - 1;
    ClampInView(NewAnchor);
    InvalidateRectOfCells(old);
    InvalidateRectOfCells(Selection());
}

void TCustomGrid::ClampInView(const TGridCoord& Coord) {
    if (!HandleAllocated()) return;
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridCoord maxTL = CalcMaxTopLeft(TGridCoord{colCount_ - 1, rowCount_ - 1}, info);
    TGridCoord tl = topLeft_;
    auto firstShowing = [](const TGridAxisDrawInfo& axis, int cell) {
        // The first cell with which `cell` is the last fully visible one.
        int room = axis.GridExtent - axis.FixedBoundary;
        int first = cell;
        int used = std::max(0, axis.GetExtent(cell) + axis.EffectiveLineWidth);
        while (first > axis.FixedCellCount) {
            int w = std::max(0, axis.GetExtent(first - 1) + axis.EffectiveLineWidth);
            if (used + w > room) break;
            used += w;
            --first;
        }
        return first;
    };
    if (Coord.X >= fixedCols_) {
        if (Coord.X < tl.X) tl.X = Coord.X;
        else if (Coord.X > info.Horz.LastFullVisibleCell) tl.X = std::max(fixedCols_, firstShowing(info.Horz, Coord.X));
        tl.X = std::min(tl.X, std::max(maxTL.X, fixedCols_));
        if (Coord.X < tl.X) tl.X = Coord.X;
    }
    if (Coord.Y >= fixedRows_) {
        if (Coord.Y < tl.Y) tl.Y = Coord.Y;
        else if (Coord.Y > info.Vert.LastFullVisibleCell) tl.Y = std::max(fixedRows_, firstShowing(info.Vert, Coord.Y));
        tl.Y = std::min(tl.Y, std::max(maxTL.Y, fixedRows_));
        if (Coord.Y < tl.Y) tl.Y = Coord.Y;
    }
    MoveTopLeft(tl.X, tl.Y);
}

void TCustomGrid::MoveTopLeft(int ALeft, int ATop) {
    if (ALeft == topLeft_.X && ATop == topLeft_.Y) return;
    TGridCoord old = topLeft_;
    topLeft_ = TGridCoord{ALeft, ATop};
    TopLeftChanged();
    ScrollData(old.X - ALeft, old.Y - ATop);
}

void TCustomGrid::ScrollData(int DX, int DY) {
    if (DX == 0 && DY == 0) return;
    // Repainting the scrolled part gives the same picture as moving its pixels.
    InvalidateGrid();
}

void TCustomGrid::SetTopRow(int Value) {
    if (Value < fixedRows_ || Value >= rowCount_) return;
    MoveTopLeft(topLeft_.X, Value);
}

void TCustomGrid::SetLeftCol(int Value) {
    if (Value < fixedCols_ || Value >= colCount_) return;
    MoveTopLeft(Value, topLeft_.Y);
}

void TCustomGrid::TopLeftChanged() {
    if (HandleAllocated()) UpdateScrollPos();
    if (editorMode_ && inplaceEdit_) UpdateEdit();
}

void TCustomGrid::UpdateScrollPos() {
    if (!HandleAllocated()) return;
    if (HorzBarShown()) SetScrollPos(Handle(), SB_HORZ, topLeft_.X - fixedCols_, 1);
    if (VertBarShown()) SetScrollPos(Handle(), SB_VERT, topLeft_.Y - fixedRows_, 1);
}

void TCustomGrid::UpdateScrollRange() {
    if (!HandleAllocated()) return;
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridCoord maxTL = CalcMaxTopLeft(TGridCoord{colCount_ - 1, rowCount_ - 1}, info);
    auto setBar = [this](int bar, int range, int pos) {
        SCROLLINFO si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = 0;
        si.nMax = std::max(0, range);
        si.nPage = 0;
        si.nPos = std::clamp(pos, 0, si.nMax);
        SetScrollInfo(Handle(), bar, &si, 1);
    };
    if (HorzBarShown()) setBar(SB_HORZ, maxTL.X - fixedCols_, topLeft_.X - fixedCols_);
    if (VertBarShown()) setBar(SB_VERT, maxTL.Y - fixedRows_, topLeft_.Y - fixedRows_);
    // Scrolled further than the client area now needs.
    TGridCoord tl{std::min(topLeft_.X, std::max(maxTL.X, fixedCols_)), std::min(topLeft_.Y, std::max(maxTL.Y, fixedRows_))};
    if (tl.X != topLeft_.X || tl.Y != topLeft_.Y) MoveTopLeft(tl.X, tl.Y);
}

void TCustomGrid::ModifyScrollBar(int Bar, int ScrollCode, int Pos) {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridCoord maxTL = CalcMaxTopLeft(TGridCoord{colCount_ - 1, rowCount_ - 1}, info);
    bool horz = Bar == SB_HORZ;
    int fixed = horz ? fixedCols_ : fixedRows_;
    int cur = horz ? topLeft_.X : topLeft_.Y;
    int maxFirst = std::max(fixed, horz ? maxTL.X : maxTL.Y);
    int page = std::max(1, horz ? info.Horz.LastFullVisibleCell - topLeft_.X + 1 : info.Vert.LastFullVisibleCell - topLeft_.Y + 1);
    int next = cur;
    switch (ScrollCode) {
        case SB_LINEUP: next = cur - 1; break;
        case SB_LINEDOWN: next = cur + 1; break;
        case SB_PAGEUP: next = cur - page; break;
        case SB_PAGEDOWN: next = cur + page; break;
        case SB_THUMBPOSITION: next = fixed + Pos; break;
        case SB_THUMBTRACK:
            if (!options_.Contains(goThumbTracking)) return;
            next = fixed + Pos;
            break;
        case SB_TOP: next = fixed; break;
        case SB_BOTTOM: next = maxFirst; break;
        default: return;
    }
    next = std::clamp(next, fixed, maxFirst);
    if (horz) MoveTopLeft(next, topLeft_.Y);
    else MoveTopLeft(topLeft_.X, next);
}

void TCustomGrid::WMHScroll(TMessage& Message) {
    if (Message.LParam) {
        TCustomControl::WMHScroll(Message);
        return;
    }
    ModifyScrollBar(SB_HORZ, LOWORD(Message.WParam), static_cast<int16_t>(HIWORD(Message.WParam)));
}

void TCustomGrid::WMVScroll(TMessage& Message) {
    if (Message.LParam) {
        TCustomControl::WMVScroll(Message);
        return;
    }
    ModifyScrollBar(SB_VERT, LOWORD(Message.WParam), static_cast<int16_t>(HIWORD(Message.WParam)));
}

void TCustomGrid::TimedScroll(int Direction) {
    // Direction bits: 1 left, 2 right, 4 up, 8 down.
    TGridCoord c = current_;
    if ((Direction & 1) && c.X > fixedCols_) --c.X;
    if ((Direction & 2) && c.X < colCount_ - 1) ++c.X;
    if ((Direction & 4) && c.Y > fixedRows_) --c.Y;
    if ((Direction & 8) && c.Y < rowCount_ - 1) ++c.Y;
    if (!(c == current_)) MoveCurrent(c.X, c.Y, false, true);
}

// ---- invalidation

void TCustomGrid::InvalidateRectOfCells(const TGridRect& Cells) {
    if (!HandleAllocated() || Cells.Left < 0) return;
    TRect r = BoxRect(Cells.Left, Cells.Top, Cells.Right, Cells.Bottom);
    if (IsRectEmpty(r)) return;
    // The lines around the cells go with them.
    r.Right += gridLineWidth_;
    r.Bottom += gridLineWidth_;
    ::InvalidateRect(Handle(), &r, 0);
}

void TCustomGrid::InvalidateGridRect(const TGridRect& ARect) { InvalidateRectOfCells(ARect); }

void TCustomGrid::InvalidateCell(int ACol, int ARow) { InvalidateRectOfCells(TGridRect(ACol, ARow, ACol, ARow)); }

void TCustomGrid::InvalidateRow(int ARow) {
    if (!HandleAllocated() || ARow < 0 || ARow >= rowCount_) return;
    TRect r = BoxRect(0, ARow, colCount_ - 1, ARow);
    if (IsRectEmpty(r)) return;
    r.Left = 0;
    r.Right = ClientWidth();
    r.Bottom += gridLineWidth_;
    ::InvalidateRect(Handle(), &r, 0);
}

void TCustomGrid::InvalidateCol(int ACol) {
    if (!HandleAllocated() || ACol < 0 || ACol >= colCount_) return;
    TRect r = BoxRect(ACol, 0, ACol, rowCount_ - 1);
    if (IsRectEmpty(r)) return;
    r.Top = 0;
    r.Bottom = ClientHeight();
    r.Right += gridLineWidth_;
    ::InvalidateRect(Handle(), &r, 0);
}

// ---- moving columns and rows

void TCustomGrid::MoveAdjust(int& CellPos, int FromIndex, int ToIndex) {
    int lo = std::min(FromIndex, ToIndex), hi = std::max(FromIndex, ToIndex);
    if (CellPos > hi || CellPos < lo) return;
    if (CellPos == FromIndex) CellPos = ToIndex;
    else if (FromIndex < ToIndex) --CellPos;
    else ++CellPos;
}

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex) return;
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= colCount_ || ToIndex >= colCount_)
        InvalidOp("Grid index out of range");
    auto move = [&](auto& v) {
        auto item = v[static_cast<size_t>(FromIndex)];
        v.erase(v.begin() + FromIndex);
        v.insert(v.begin() + ToIndex, item);
    };
    move(colWidths_);
    move(tabStops_);
    MoveAdjust(current_.X, FromIndex, ToIndex);
    MoveAdjust(anchor_.X, FromIndex, ToIndex);
    MoveAdjust(inplaceCol_, FromIndex, ToIndex);
    ColumnMoved(FromIndex, ToIndex);
    InvalidateGrid();
    if (HandleAllocated()) UpdateScrollRange();
}

void TCustomGrid::MoveRow(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex) return;
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= rowCount_ || ToIndex >= rowCount_)
        InvalidOp("Grid index out of range");
    int h = rowHeights_[static_cast<size_t>(FromIndex)];
    rowHeights_.erase(rowHeights_.begin() + FromIndex);
    rowHeights_.insert(rowHeights_.begin() + ToIndex, h);
    MoveAdjust(current_.Y, FromIndex, ToIndex);
    MoveAdjust(anchor_.Y, FromIndex, ToIndex);
    MoveAdjust(inplaceRow_, FromIndex, ToIndex);
    RowMoved(FromIndex, ToIndex);
    InvalidateGrid();
}

void TCustomGrid::ColumnMoved(int, int) {}
void TCustomGrid::RowMoved(int, int) {}

// ---- the editor

AnsiString TCustomGrid::GetEditText(int, int) { return ""; }
void TCustomGrid::SetEditText(int, int, const AnsiString&) {}
AnsiString TCustomGrid::GetEditMask(int, int) { return ""; }
int TCustomGrid::GetEditLimit() { return 0; }
bool TCustomGrid::CanEditModify() { return canEditModify_; }
bool TCustomGrid::CanEditAcceptKey(char) { return true; }
bool TCustomGrid::CanGridAcceptKey(WORD, TShiftState) { return true; }

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

bool TCustomGrid::CanEditShow() {
    if (!options_.Contains(goEditing) || options_.Contains(goRowSelect) || !editorMode_ || !HandleAllocated())
        return false;
    if (options_.Contains(goAlwaysShowEditor)) return true;
    TCustomForm* form = GetParentForm(this);
    if (form && form->ActiveControl() == this) return true;
    HWND focus = GetFocus();
    return focus == Handle() || (inplaceEdit_ && inplaceEdit_->HandleAllocated() && focus == inplaceEdit_->Handle());
}

void TCustomGrid::ShowEditor() {
    editorMode_ = true;
    UpdateEdit();
}

void TCustomGrid::HideEditor() {
    editorMode_ = false;
    if (!inplaceEdit_) return;
    TScopeGuard hide([this] {
        inplaceCol_ = inplaceRow_ = -1;
        inplaceEdit_->Hide();
    });
    UpdateText();
}

void TCustomGrid::ShowEditorChar(char Ch) {
    ShowEditor();
    if (inplaceEdit_ && inplaceEdit_->Visible() && inplaceEdit_->HandleAllocated())
        PostMessage(inplaceEdit_->Handle(), WM_CHAR, static_cast<unsigned char>(Ch), 0);
}

void TCustomGrid::UpdateText() {
    if (inplaceEdit_ && inplaceCol_ != -1 && inplaceRow_ != -1 && editUpdate_ == 0)
        SetEditText(inplaceCol_, inplaceRow_, inplaceEdit_->Text());
}

void TCustomGrid::InvalidateEditor() {
    inplaceCol_ = inplaceRow_ = -1;
    UpdateEdit();
}

void TCustomGrid::UpdateEdit() {
    if (!CanEditShow()) {
        if (inplaceEdit_ && inplaceEdit_->Visible()) {
            inplaceCol_ = inplaceRow_ = -1;
            inplaceEdit_->Hide();
        }
        return;
    }
    if (!inplaceEdit_) {
        inplaceEdit_ = CreateEditor();
        inplaceEdit_->SetGrid(this);
        inplaceEdit_->SetParent(this);
    }
    if (current_.X != inplaceCol_ || current_.Y != inplaceRow_) {
        inplaceCol_ = current_.X;
        inplaceRow_ = current_.Y;
        {
            ++editUpdate_;
            TScopeGuard updated([this] { --editUpdate_; });
            inplaceEdit_->UpdateContents();
        }
        canEditModify_ = true;
    }
    TRect r = CellRect(current_.X, current_.Y);
    if (IsRectEmpty(r)) {
        inplaceEdit_->Hide();
        return;
    }
    inplaceEdit_->Move(r);
}

// ---- keys

void TCustomGrid::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS;
    if (options_.Contains(goRowSelect)) return;
    if (options_.Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
    if (options_.Contains(goEditing)) Message.Result |= DLGC_WANTCHARS;
}

void TCustomGrid::KeyDown(WORD& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0 || !CanGridAcceptKey(Key, Shift)) {
        Key = 0;
        return;
    }
    TGridCoord cur = current_;
    int page = std::max(1, VisibleRowCount());
    bool ctrl = (Shift & ssCtrl) != 0;
    auto nextVisibleCol = [this](int from, int dir) {
        for (int c = from; c >= fixedCols_ && c < colCount_; c += dir)
            if (ColWidths(c) > 0) return c;
        return -1;
    };
    switch (Key) {
        case VK_UP: cur.Y = ctrl ? topLeft_.Y : cur.Y - 1; break;
        case VK_DOWN: cur.Y = cur.Y + 1; break;
        case VK_PRIOR: cur.Y -= page; break;
        case VK_NEXT: cur.Y += page; break;
        case VK_LEFT: {
            int c = nextVisibleCol(cur.X - 1, -1);
            if (c >= 0) cur.X = c;
            break;
        }
        case VK_RIGHT: {
            int c = nextVisibleCol(cur.X + 1, 1);
            if (c >= 0) cur.X = c;
            break;
        }
        case VK_HOME:
            if (ctrl) cur.Y = fixedRows_;
            cur.X = fixedCols_;
            break;
        case VK_END:
            if (ctrl) cur.Y = rowCount_ - 1;
            cur.X = colCount_ - 1;
            break;
        case VK_TAB:
            if (!options_.Contains(goTabs) || (Shift & ssAlt)) return;
            {
                bool back = (Shift & ssShift) != 0;
                TGridCoord c = cur;
                for (int guard = colCount_ * rowCount_; guard > 0; --guard) {
                    c.X += back ? -1 : 1;
                    if (c.X >= colCount_) {
                        c.X = fixedCols_;
                        if (++c.Y >= rowCount_) c.Y = fixedRows_;
                    } else if (c.X < fixedCols_) {
                        c.X = colCount_ - 1;
                        if (--c.Y < fixedRows_) c.Y = rowCount_ - 1;
                    }
                    if (c == current_) break;
                    if (TabStops(c.X) && ColWidths(c.X) > 0) {
                        cur = c;
                        break;
                    }
                }
            }
            break;
        case VK_F2: SetEditorMode(true); return;
        default: return;
    }
    cur.X = std::clamp(cur.X, fixedCols_, colCount_ - 1);
    cur.Y = std::clamp(cur.Y, fixedRows_, rowCount_ - 1);
    if (!(cur == current_)) {
        bool extend = (Shift & ssShift) && options_.Contains(goRangeSelect) && Key != VK_TAB;
        FocusCell(cur.X, cur.Y, !extend);
    }
}

void TCustomGrid::KeyPress(char& Key) {
    TCustomControl::KeyPress(Key);
    if (Key == '\r' && !options_.Contains(goAlwaysShowEditor) && options_.Contains(goEditing)) {
        SetEditorMode(!editorMode_);
        Key = 0;
    }
}

void TCustomGrid::WMChar(TMessage& Message) {
    unsigned char ch = static_cast<unsigned char>(Message.WParam & 0xFF);
    if (options_.Contains(goEditing) && (ch == VK_BACK || ch >= 32)) {
        if (DoKeyPress(Message)) return;
        ShowEditorChar(static_cast<char>(Message.WParam & 0xFF));
        return;
    }
    TCustomControl::WMChar(Message);
}

// ---- mouse

void TCustomGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                                  TGridDrawInfo& FixedInfo) {
    State = gsNormal;
    Index = -1;
    CalcDrawInfo(FixedInfo);
    const int zone = 7;
    // Columns are sized from the fixed rows, rows from the fixed columns.
    if (options_.Contains(goColSizing) && Y >= 0 && Y < FixedInfo.Vert.FixedBoundary) {
        const TGridAxisDrawInfo& h = FixedInfo.Horz;
        int line = h.EffectiveLineWidth;
        int pos = 0;
        auto check = [&](int i) {
            int w = std::max(0, h.GetExtent(i) + line);
            pos += w;
            if (w == 0) return false;
            int edge = pos - line;  // the right edge of the cell, where its line starts
            int half = line < zone ? (zone - line) / 2 : 0;
            if (X >= edge - half && X < edge + std::max(line, zone - half)) {
                State = gsColSizing;
                Index = i;
                SizingPos = edge;
                SizingOfs = edge - X;
                return true;
            }
            return false;
        };
        for (int i = 0; i < h.FixedCellCount; ++i)
            if (check(i)) return;
        for (int i = h.FirstGridCell; i < h.GridCellCount && pos < h.GridBoundary; ++i)
            if (check(i)) return;
    }
    if (options_.Contains(goRowSizing) && X >= 0 && X < FixedInfo.Horz.FixedBoundary) {
        const TGridAxisDrawInfo& v = FixedInfo.Vert;
        int line = v.EffectiveLineWidth;
        int pos = 0;
        auto check = [&](int i) {
            int w = std::max(0, v.GetExtent(i) + line);
            pos += w;
            if (w == 0) return false;
            int edge = pos - line;
            int half = line < zone ? (zone - line) / 2 : 0;
            if (Y >= edge - half && Y < edge + std::max(line, zone - half)) {
                State = gsRowSizing;
                Index = i;
                SizingPos = edge;
                SizingOfs = edge - Y;
                return true;
            }
            return false;
        };
        for (int i = 0; i < v.FixedCellCount; ++i)
            if (check(i)) return;
        for (int i = v.FirstGridCell; i < v.GridCellCount && pos < v.GridBoundary; ++i)
            if (check(i)) return;
    }
}

bool TCustomGrid::Sizing(int X, int Y) {
    TGridState state;
    int index, pos, ofs;
    TGridDrawInfo info;
    CalcSizingState(X, Y, state, index, pos, ofs, info);
    return state != gsNormal;
}

void TCustomGrid::DrawSizingLine(const TGridDrawInfo& DrawInfo) {
    if (!HandleAllocated()) return;
    TCanvas* c = Canvas();
    TPenMode oldMode = c->Pen()->Mode();
    c->Pen()->SetStyle(psDot);
    c->Pen()->SetMode(pmXor);
    c->Pen()->SetWidth(1);
    if (gridState_ == gsColSizing) {
        c->MoveTo(sizingPos_, 0);
        c->LineTo(sizingPos_, DrawInfo.Vert.GridBoundary);
    } else if (gridState_ == gsRowSizing) {
        c->MoveTo(0, sizingPos_);
        c->LineTo(DrawInfo.Horz.GridBoundary, sizingPos_);
    }
    c->Pen()->SetMode(oldMode);
    c->Pen()->SetStyle(psSolid);
    // The window's context is not kept past the line.
    if (auto* canvas = dynamic_cast<TControlCanvas*>(c)) canvas->FreeHandle();
}

void TCustomGrid::DrawMove() {
    // The drop place of a moved column is shown by repainting its cells.
    if (gridState_ == gsColMoving && movePos_ >= 0) InvalidateCol(movePos_);
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && !(Shift & ssDouble)) {
        if (CanFocus() && !Focused() && !(inplaceEdit_ && inplaceEdit_->Focused())) SetFocus();
        TGridDrawInfo info;
        TGridState state;
        int index = -1, pos = 0, ofs = 0;
        CalcSizingState(X, Y, state, index, pos, ofs, info);
        if (state == gsColSizing || state == gsRowSizing) {
            HideEditor();
            gridState_ = state;
            sizingIndex_ = index;
            sizingPos_ = pos;
            sizingOfs_ = ofs;
            DrawSizingLine(info);
            sizingLineShown_ = true;
        } else {
            TGridCoord cell = CalcCoordFromPoint(X, Y, info);
            if (cell.X >= 0 && cell.Y >= 0) {
                bool fixedRow = cell.Y < fixedRows_, fixedCol = cell.X < fixedCols_;
                if (fixedRow && !fixedCol && options_.Contains(goColMoving)) {
                    HideEditor();
                    gridState_ = gsColMoving;
                    moveIndex_ = movePos_ = cell.X;
                    hitTest_ = TPoint(X, Y);
                    moveStarted_ = false;
                } else if (fixedCol && !fixedRow && options_.Contains(goRowMoving)) {
                    HideEditor();
                    gridState_ = gsRowMoving;
                    moveIndex_ = movePos_ = cell.Y;
                    hitTest_ = TPoint(X, Y);
                    moveStarted_ = false;
                } else if (!fixedRow && !fixedCol) {
                    bool wasCurrent = cell == current_;
                    if ((Shift & ssShift) && options_.Contains(goRangeSelect)) {
                        MoveAnchor(cell);
                    } else {
                        MoveCurrent(cell.X, cell.Y, true, true);
                        UpdateEdit();
                        Click();
                    }
                    if (options_.Contains(goRangeSelect)) gridState_ = gsSelecting;
                    if (wasCurrent && options_.Contains(goEditing) && !options_.Contains(goAlwaysShowEditor))
                        ShowEditor();
                }
            }
        }
    } else if (Button == mbLeft && (Shift & ssDouble)) {
        DblClick();
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::DoSizingMouseMove(int X, int Y) {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    if (sizingLineShown_) DrawSizingLine(info);
    sizingPos_ = (gridState_ == gsColSizing ? X : Y) + sizingOfs_;
    DrawSizingLine(info);
    sizingLineShown_ = true;
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
    switch (gridState_) {
        case gsColSizing:
        case gsRowSizing: DoSizingMouseMove(X, Y); break;
        case gsColMoving: {
            if (!moveStarted_ && std::abs(X - hitTest_.X) < Mouse->DragThreshold()) break;
            moveStarted_ = true;
            TGridCoord cell = MouseCoord(X, std::max(0, std::min(Y, RowHeights(0) - 1)));
            if (cell.X >= fixedCols_ && cell.X != movePos_) {
                DrawMove();
                movePos_ = cell.X;
                DrawMove();
            }
            break;
        }
        case gsRowMoving: {
            if (!moveStarted_ && std::abs(Y - hitTest_.Y) < Mouse->DragThreshold()) break;
            moveStarted_ = true;
            TGridCoord cell = MouseCoord(0, Y);
            if (cell.Y >= fixedRows_) movePos_ = cell.Y;
            break;
        }
        case gsSelecting: {
            TGridCoord cell = MouseCoord(X, Y);
            if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && !(cell == current_)) MoveCurrent(cell.X, cell.Y, false, true);
            break;
        }
        default: break;
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGridState state = gridState_;
    gridState_ = gsNormal;
    switch (state) {
        case gsColSizing:
        case gsRowSizing: {
            TGridDrawInfo info;
            CalcDrawInfo(info);
            gridState_ = state;
            if (sizingLineShown_) DrawSizingLine(info);
            gridState_ = gsNormal;
            sizingLineShown_ = false;
            // The new size is where the line was let go, less the cell's left or top edge.
            int start = 0;
            const TGridAxisDrawInfo& axis = state == gsColSizing ? info.Horz : info.Vert;
            int first = axis.FirstGridCell;
            if (sizingIndex_ < axis.FixedCellCount) {
                for (int i = 0; i < sizingIndex_; ++i) start += std::max(0, axis.GetExtent(i) + axis.EffectiveLineWidth);
            } else {
                start = axis.FixedBoundary;
                for (int i = first; i < sizingIndex_; ++i) start += std::max(0, axis.GetExtent(i) + axis.EffectiveLineWidth);
            }
            int size = sizingPos_ - start;
            if (size > 1) {
                if (state == gsColSizing) SetColWidths(sizingIndex_, size);
                else SetRowHeights(sizingIndex_, size);
            }
            break;
        }
        case gsColMoving:
            if (moveStarted_ && movePos_ != moveIndex_ && movePos_ >= fixedCols_) MoveColumn(moveIndex_, movePos_);
            else InvalidateCol(moveIndex_);
            moveIndex_ = movePos_ = -1;
            break;
        case gsRowMoving:
            if (moveStarted_ && movePos_ != moveIndex_ && movePos_ >= fixedRows_) MoveRow(moveIndex_, movePos_);
            moveIndex_ = movePos_ = -1;
            break;
        default: break;
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomGrid::CancelMode() {
    if (gridState_ == gsColSizing || gridState_ == gsRowSizing) {
        if (sizingLineShown_) {
            TGridDrawInfo info;
            CalcDrawInfo(info);
            DrawSizingLine(info);
        }
        sizingLineShown_ = false;
    } else if (gridState_ == gsColMoving) {
        InvalidateGrid();
    }
    gridState_ = gsNormal;
    moveIndex_ = movePos_ = -1;
}

void TCustomGrid::WMCancelMode(TMessage& Message) {
    TCustomControl::WMCancelMode(Message);
    CancelMode();
}

void TCustomGrid::CMCancelMode(TMessage& Message) {
    (void)Message;
    CancelMode();
}

bool TCustomGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelDown(Shift, MousePos)) return true;
    if (current_.Y < rowCount_ - 1) FocusCell(current_.X, current_.Y + 1, true);
    return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelUp(Shift, MousePos)) return true;
    if (current_.Y > fixedRows_) FocusCell(current_.X, current_.Y - 1, true);
    return true;
}

void TCustomGrid::WMSetCursor(TMessage& Message) {
    if (static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(Message.LParam))) == HTCLIENT && gridState_ == gsNormal) {
        DWORD mp = GetMessagePos();
        TPoint p = ScreenToClient(TPoint(GET_X_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp))),
                                         GET_Y_LPARAM(static_cast<LPARAM>(static_cast<int32_t>(mp)))));
        TGridDrawInfo info;
        TGridState state;
        int index, pos, ofs;
        CalcSizingState(p.X, p.Y, state, index, pos, ofs, info);
        if (state == gsColSizing || state == gsRowSizing) {
            ::SetCursor(Screen->Cursors(state == gsColSizing ? crHSplit : crVSplit));
            Message.Result = 1;
            return;
        }
    }
    TCustomControl::WMSetCursor(Message);
}

// ---- focus, size and the rest

void TCustomGrid::WMSetFocus(TMessage& Message) {
    TCustomControl::WMSetFocus(Message);
    if (inplaceEdit_ && inplaceEdit_->Visible() && reinterpret_cast<HWND>(Message.WParam) != inplaceEdit_->Handle())
        inplaceEdit_->SetFocus();
    if (options_.Contains(goRowSelect)) InvalidateRow(current_.Y);
    else InvalidateCell(current_.X, current_.Y);
}

void TCustomGrid::WMKillFocus(TMessage& Message) {
    TCustomControl::WMKillFocus(Message);
    if (options_.Contains(goRowSelect)) InvalidateRow(current_.Y);
    else InvalidateCell(current_.X, current_.Y);
}

void TCustomGrid::DoExit() {
    TCustomControl::DoExit();
    if (!options_.Contains(goAlwaysShowEditor)) HideEditor();
}

void TCustomGrid::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    UpdateScrollRange();
    if (editorMode_ && inplaceEdit_) UpdateEdit();
}

void TCustomGrid::WMTimer(TMessage& Message) {
    (void)Message;
    if (gridState_ != gsSelecting || !HandleAllocated()) return;
    TPoint p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    TGridDrawInfo info;
    CalcDrawInfo(info);
    int dir = 0;
    if (p.X < info.Horz.FixedBoundary) dir |= 1;
    else if (p.X > info.Horz.GridBoundary) dir |= 2;
    if (p.Y < info.Vert.FixedBoundary) dir |= 4;
    else if (p.Y > info.Vert.GridBoundary) dir |= 8;
    if (dir) TimedScroll(dir);
}

void TCustomGrid::WMCommand(TMessage& Message) {
    if (inplaceEdit_ && inplaceEdit_->HandleAllocated() &&
        reinterpret_cast<HWND>(Message.LParam) == inplaceEdit_->Handle() && HIWORD(Message.WParam) == EN_CHANGE) {
        UpdateText();
        return;
    }
    TCustomControl::WMCommand(Message);
}

void TCustomGrid::CMFontChanged(TMessage& Message) {
    if (inplaceEdit_) inplaceEdit_->SetFont(Font());
    TCustomControl::CMFontChanged(Message);
}

void TCustomGrid::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_GETDLGCODE: WMGetDlgCode(Message); return;
        case WM_TIMER: WMTimer(Message); return;
        case CM_CANCELMODE: CMCancelMode(Message); return;
        default: break;
    }
    TCustomControl::Dispatch(Message);
}

void TCustomGrid::ChangeScale(int M, int D) {
    TCustomControl::ChangeScale(M, D);
    if (M == D || D == 0) return;
    for (auto& w : colWidths_) w = MulDiv(w, M, D);
    for (auto& h : rowHeights_) h = MulDiv(h, M, D);
    defaultColWidth_ = MulDiv(defaultColWidth_, M, D);
    defaultRowHeight_ = MulDiv(defaultRowHeight_, M, D);
    ColWidthsChanged();
    RowHeightsChanged();
}

// ---- painting

void TCustomGrid::Paint() {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TCanvas* c = Canvas();
    TRect clip = c->ClipRect();
    const TGridAxisDrawInfo& h = info.Horz;
    const TGridAxisDrawInfo& v = info.Vert;
    bool focused = Focused() || (inplaceEdit_ && inplaceEdit_->Focused());
    TGridRect sel = Selection();
    auto paintCells = [&](int firstCol, int lastCol, int firstRow, int lastRow, int left, int top) {
        int y = top;
        for (int r = firstRow; r <= lastRow && r < rowCount_ && y < v.GridBoundary; ++r) {
            int rowH = v.GetExtent(r);
            int x = left;
            for (int col = firstCol; col <= lastCol && col < colCount_ && x < h.GridBoundary; ++col) {
                int colW = h.GetExtent(col);
                TRect cell(x, y, std::min(x + colW, h.GridBoundary), std::min(y + rowH, v.GridBoundary));
                x += std::max(0, colW + h.EffectiveLineWidth);
                if (colW <= 0 || IsRectEmpty(cell)) continue;
                TRect dummy;
                if (!IntersectRect(&dummy, cell, clip)) continue;
                TGridDrawState state;
                if (col < fixedCols_ || r < fixedRows_) state.Include(gdFixed);
                else if (col >= sel.Left && col <= sel.Right && r >= sel.Top && r <= sel.Bottom) {
                    if (!(col == current_.X && r == current_.Y) || options_.Contains(goDrawFocusSelected) ||
                        options_.Contains(goRowSelect))
                        state.Include(gdSelected);
                }
                if (col == current_.X && r == current_.Y && focused) state.Include(gdFocused);
                if (defaultDrawing_) {
                    c->Brush()->SetStyle(bsSolid);
                    if (state.Contains(gdFixed)) c->Brush()->SetColor(fixedColor_);
                    else if (state.Contains(gdSelected)) c->Brush()->SetColor(clHighlight);
                    else c->Brush()->SetColor(Color());
                    c->FillRect(cell);
                }
                DrawCell(col, r, cell, state);
                if (defaultDrawing_ && state.Contains(gdFocused) && !state.Contains(gdFixed) &&
                    !options_.Contains(goRowSelect) && !(editorMode_ && inplaceEdit_ && inplaceEdit_->Visible()))
                    c->DrawFocusRect(cell);
            }
            y += std::max(0, rowH + v.EffectiveLineWidth);
        }
    };
    // Grid lines first, cells over them.
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    if (h.EffectiveLineWidth > 0 || v.EffectiveLineWidth > 0) {
        c->Brush()->SetColor(clSilver);
        c->FillRect(TRect(0, 0, h.GridBoundary, v.GridBoundary));
    }
    paintCells(0, fixedCols_ - 1, 0, fixedRows_ - 1, 0, 0);
    paintCells(h.FirstGridCell, colCount_ - 1, 0, fixedRows_ - 1, h.FixedBoundary, 0);
    paintCells(0, fixedCols_ - 1, v.FirstGridCell, rowCount_ - 1, 0, v.FixedBoundary);
    paintCells(h.FirstGridCell, colCount_ - 1, v.FirstGridCell, rowCount_ - 1, h.FixedBoundary, v.FixedBoundary);
    // The area beyond the cells.
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    if (h.GridBoundary < ClientWidth()) c->FillRect(TRect(h.GridBoundary, 0, ClientWidth(), ClientHeight()));
    if (v.GridBoundary < ClientHeight()) c->FillRect(TRect(0, v.GridBoundary, h.GridBoundary, ClientHeight()));
}
