// The data grid's in-place cell editor: styles, buttons, pop-ups, completion,
// MRU list and the required-field mark.
#include "grid/DBGridGxInplaceEdit.h"

#include <algorithm>
#include <cmath>

#include "grid/DBGridGxDrawing.h"
#include "grid/DBLookupGridsGx.h"
#include "grid/GxLibVCL.h"
#include "platform/classes/ShortCuts.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtti/Published.h"

TColumnDataListProc ColumnDataListHook = nullptr;

namespace {

bool IsNumericField(TField* Field) {
    if (!Field) return false;
    switch (Field->DataType()) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftFloat:
        case ftCurrency:
        case ftBCD:
        case ftFMTBcd:
        case ftLargeint:
        case ftAutoInc: return true;
        default: return false;
    }
}

// The first item that begins with Text, case-insensitively; -1 when none does.
int LocateItemStartingWith(TStrings* Items, const AnsiString& Text) {
    for (int i = 0; i < Items->Count(); ++i) {
        const AnsiString& item = Items->Strings(i);
        if (item.size() >= Text.size() && AnsiCompareTextGx(item.substr(0, Text.size()), Text) == 0) return i;
    }
    return -1;
}

// A list column whose typed text must come from the list: a lookup column or one with key and pick lists.
bool KeyedListColumn(TColumnGx* Column) {
    TColumnGxType kind = Column->GetColumnType();
    return kind == ctLookupField || kind == ctKeyPickList;
}

}  // namespace

TESK_PUBLISHED(TDBGridInplaceEdit) {}

TDBGridInplaceEdit::TDBGridInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner) {
    dataSource_ = new TDataSource(this);
    mruList_ = new TMRUListGx(this);
    mruList_->OnCloseUp = MakeEvent(this, &TDBGridInplaceEdit::MRUCloseUp);
}

TDBGridInplaceEdit::~TDBGridInplaceEdit() {
    if (dataList_) dataList_->RemoveFreeNotification(this);
    delete mruList_;
}

TCustomDBGridGx* TDBGridInplaceEdit::DBGrid() const { return dynamic_cast<TCustomDBGridGx*>(Grid()); }

TColumnGx* TDBGridInplaceEdit::Column() const {
    TCustomDBGridGx* grid = DBGrid();
    if (!grid) return nullptr;
    int index = grid->SelectedIndex();
    return index >= 0 && index < grid->Columns()->Count() ? grid->Columns()->Items(index) : nullptr;
}

void TDBGridInplaceEdit::CreateParams(TCreateParams& Params) {
    TInplaceEdit::CreateParams(Params);
    if (wantReturns_) Params.Style = (Params.Style | ES_MULTILINE) & ~static_cast<DWORD>(ES_AUTOHSCROLL);
}

void TDBGridInplaceEdit::SetWantReturns(bool Value) {
    if (wantReturns_ == Value) return;
    wantReturns_ = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TDBGridInplaceEdit::Notification(TComponent* AComponent, TOperation Operation) {
    TInplaceEdit::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == dataList_) {
        if (activeList_ == dataList_) activeList_ = nullptr;
        dataList_ = nullptr;
    }
    if (AComponent == pickList_) pickList_ = nullptr;
    if (AComponent == calendar_) calendar_ = nullptr;
    if (AComponent == calculator_) calculator_ = nullptr;
    if (AComponent == mruListbox_) mruListbox_ = nullptr;
    if (AComponent == activeList_) activeList_ = nullptr;
}

// ---------------------------------------------------------------------------
// Style and contents

TEditStyleGx TDBGridInplaceEdit::ContentsEditStyle(TColumnGx* Column) {
    TEditStyleGx style = GetColumnEditStyle(Column);
    if (style != esDataListGx) return style;
    // Unlike the painted button, the editor needs every key field modifiable, designing or not.
    TField* field = Column->Field();
    std::vector<TField*> keys;
    field->DataSet()->GetFieldList(keys, field->KeyFields());
    for (TField* k : keys)
        if (!k->CanModify()) return esSimpleGx;
    return style;
}

void TDBGridInplaceEdit::SetEditStyle(TEditStyleGx Value) {
    editStyle_ = Value;
    TColumnGx* column = Column();
    switch (Value) {
        case esPickListGx: activeList_ = PickList(); break;
        case esDataListGx: {
            TPopupDataGridGx* list = column && ColumnDataListHook ? ColumnDataListHook(column) : nullptr;
            if (list != dataList_) {
                if (dataList_) dataList_->RemoveFreeNotification(this);
                dataList_ = list;
                if (list) {
                    list->SetVisible(false);
                    list->SetParentCtl3D(false);
                    list->SetCtl3D(true);
                    list->FreeNotification(this);
                    list->OnUserCloseUp = MakeEvent(this, &TDBGridInplaceEdit::DataListCloseUp);
                }
            }
            activeList_ = dataList_;
            break;
        }
        case esDateCalendarGx: activeList_ = Calendar(); break;
        case esDropDownGx:
            activeList_ = column && IsNumericField(column->Field()) ? GetPopupCalculator() : nullptr;
            break;
        default: activeList_ = nullptr; break;
    }
    if (column) SetReadOnly(column->ReadOnly());
    Invalidate();
}

TPopupListboxGx* TDBGridInplaceEdit::PickList() {
    if (!pickList_) {
        pickList_ = new TPopupListboxGx(this);
        pickList_->SetVisible(false);
        pickList_->SetCtl3D(true);
        pickList_->OnMouseUp = MakeEvent(this, &TDBGridInplaceEdit::ListMouseUp);
        pickList_->OnGetImageIndex = MakeEvent(this, &TDBGridInplaceEdit::PickListGetImageIndex);
    }
    if (TColumnGx* column = Column()) pickList_->SetImageList(column->ImageList());
    return pickList_;
}

TPopupMonthCalendarGx* TDBGridInplaceEdit::Calendar() {
    if (!calendar_) {
        calendar_ = new TPopupMonthCalendarGx(this);
        calendar_->SetVisible(false);
    }
    return calendar_;
}

TPopupCalculatorGx* TDBGridInplaceEdit::GetPopupCalculator() {
    if (!calculator_) {
        calculator_ = new TPopupCalculatorGx(this);
        calculator_->SetVisible(false);
    }
    return calculator_;
}

TMRUListboxGx* TDBGridInplaceEdit::CreateMRUListControl() {
    auto* list = new TMRUListboxGx(this);
    list->SetVisible(false);
    list->SetSorted(true);
    list->SetCtl3D(false);
    list->OnMouseUp = MakeEvent(this, &TDBGridInplaceEdit::ListMouseUp);
    return list;
}

void TDBGridInplaceEdit::UpdateContents() {
    TColumnGx* column = Column();
    if (listVisible_) CloseUp(false);
    if (mruListbox_ && mruListbox_->Visible()) mruList_->CloseUp(false);
    if (!column) {
        SetEditStyle(esSimpleGx);
        ClearButtons();
        TInplaceEdit::UpdateContents();
        return;
    }
    SetEditStyle(ContentsEditStyle(column));
    UpdateButtons(column);
    TakeColumnLook(column);
    {
        TValueRestorer<bool> setting(settingText_, true);
        TInplaceEdit::UpdateContents();
    }
    // The grid's edit text is this cell's from now on, not the one edited before.
    if (TCustomDBGridGx* grid = DBGrid()) grid->editText_ = Text();
    mruList_->Assign(column->MRUList());
    textChanged_ = false;
    UpdateImageIndex();
    UpdateEditRect();
}

// Font, colour, alignment and read-only state as the column's cell parameters give them for editing.
void TDBGridInplaceEdit::TakeColumnLook(TColumnGx* Column) {
    TCustomDBGridGx* grid = DBGrid();
    TFont font;
    TColCellParamsGx params;
    params.Font = &font;
    params.Col = grid->Col();
    params.Row = grid->Row();
    params.State = TGridDrawState{gdSelected, gdFocused};
    Column->FillColCellParams(&params);
    TColor background = params.Background;
    grid->GetCellParams(Column, &font, background, params.State);
    params.Background = background;
    Column->GetColCellParams(true, &params);
    Font()->Assign(&font);
    SetColor(params.Background);
    SetAlignment(params.Alignment);
    SetReadOnly(params.ReadOnly || !Column->CanModify(false));
    // Kept for the column; the desktop has no input-method selection to hand them to.
    SetImeMode(Column->ImeMode());
    SetImeName(Column->ImeName());
}

// ---------------------------------------------------------------------------
// Buttons and layout

int TDBGridInplaceEdit::ButtonWidth() const {
    TCustomDBGridGx* grid = DBGrid();
    return grid && grid->Flat() ? GetDefaultFlatButtonWidth() + 1 : GetSystemMetrics(SM_CXVSCROLL);
}

TEditButtonControlGx* TDBGridInplaceEdit::CreateEditButtonControl() {
    auto* button = new TEditButtonControlGx(this);
    button->SetBounds(0, 0, 10, 17);
    button->SetVisible(true);
    button->SetTransparent(false);
    button->SetParent(this);
    return button;
}

void TDBGridInplaceEdit::ClearButtons() {
    for (TButton& b : buttons_) delete b.Control;
    buttons_.clear();
}

void TDBGridInplaceEdit::UpdateButtons(TColumnGx* Column) {
    std::vector<TEditButtonGx*> extra;
    for (int i = 0; i < Column->EditButtons()->Count(); ++i)
        if (Column->EditButtons()->Items(i)->Visible()) extra.push_back(Column->EditButtons()->Items(i));
    size_t wanted = (editStyle_ != esSimpleGx ? 1 : 0) + extra.size();
    while (buttons_.size() > wanted) {
        delete buttons_.back().Control;
        buttons_.pop_back();
    }
    while (buttons_.size() < wanted) {
        TButton b;
        b.Control = CreateEditButtonControl();
        b.Control->OnDown = MakeEvent(this, &TDBGridInplaceEdit::ButtonDown);
        b.Control->OnMouseMove = MakeEvent(this, &TDBGridInplaceEdit::ButtonMouseMove);
        b.Control->OnClick = MakeEvent(this, &TDBGridInplaceEdit::ButtonClick);
        buttons_.push_back(b);
    }
    bool flat = DBGrid()->Flat();
    size_t i = 0;
    if (editStyle_ != esSimpleGx) {
        TEditButtonControlGx* main = buttons_[0].Control;
        buttons_[0].Item = nullptr;
        TEditButtonStyleGx style = editStyle_ == esEllipsisGx ? ebsEllipsisGx
                                   : editStyle_ == esUpDownGx ? ebsUpDownGx
                                                              : ebsDropDownGx;
        main->SetStyle(style);
        main->SetFlat(flat);
        main->Glyph()->Assign(nullptr);
        main->SetCaption("");
        main->SetWidth(ButtonWidth());
        i = 1;
    }
    for (TEditButtonGx* item : extra) {
        TButton& b = buttons_[i++];
        b.Item = item;
        b.Control->SetStyle(item->Style());
        b.Control->SetFlat(flat);
        b.Control->Glyph()->Assign(item->Glyph());
        b.Control->SetNumGlyphs(item->NumGlyphs());
        b.Control->SetHint(item->Hint());
        b.Control->SetShowHint(!item->Hint().empty());
        b.Control->SetWidth(item->Width() > 0 ? item->Width() : ButtonWidth());
    }
}

const TDBGridInplaceEdit::TButton* TDBGridInplaceEdit::ButtonOf(TObject* Sender) const {
    for (const TButton& b : buttons_)
        if (b.Control == Sender) return &b;
    return nullptr;
}

int TDBGridInplaceEdit::ButtonsWidth() const {
    int width = 0;
    for (const TButton& b : buttons_) width += b.Control->Width();
    return width;
}

int TDBGridInplaceEdit::ImageRoom() {
    TColumnGx* column = Column();
    if (!column || !column->ImageList() || !column->ShowImageAndText()) return 0;
    return column->ImageList()->Width() + 5;
}

void TDBGridInplaceEdit::BoundsChanged() {
    TInplaceEdit::BoundsChanged();
    UpdateEditRect();
}

void TDBGridInplaceEdit::UpdateEditRect() {
    TCustomDBGridGx* grid = DBGrid();
    if (!grid) return;
    bool flat = grid->Flat();
    TColumnGx* column = Column();
    bool rtl = column && column->UseRightToLeftAlignment();
    int w = Width(), h = Height();
    // Buttons stand at the right (the left for right-to-left), the main one outermost.
    int x = rtl ? 0 : w;
    for (const TButton& b : buttons_) {
        int bw = b.Control->Width();
        if (rtl) {
            b.Control->SetBounds(x, 0, bw, h);
            x += bw;
        } else {
            x -= bw;
            b.Control->SetBounds(x, 0, bw, h);
        }
    }
    TRect r(2, flat ? 1 : 2, w - 2, flat ? h - 1 : h);
    int buttons = ButtonsWidth();
    if (rtl) r.Left += buttons;
    else r.Right -= buttons;
    int image = ImageRoom();
    if (rtl) r.Right -= image;
    else r.Left += image;
    if (column && grid->TreeViewActive() && column->Index() == 0) r.Left += grid->GetTreeIndent() + 1;
    TEXTMETRIC tm{};
    HDC dc = CreateScreenDC();
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    if (tm.tmHeight > r.Height()) r.Bottom += 1;
    if (r.Right < r.Left) r.Right = r.Left;
    Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

// ---------------------------------------------------------------------------
// Painting

void TDBGridInplaceEdit::Paint() {
    TInplaceEdit::Paint();
    TColumnGx* column = Column();
    if (column && column->ImageList() && column->ShowImageAndText() && imageIndex_ >= 0) {
        TRect r = EditRect();
        int iw = column->ImageList()->Width();
        int left = column->UseRightToLeftAlignment() ? r.Right + 3 : r.Left - iw - 3;
        column->ImageList()->Draw(Canvas(), left, (Height() - column->ImageList()->Height()) / 2, imageIndex_);
    }
    PaintRequiredState(Canvas());
}

void TDBGridInplaceEdit::PaintRequiredState(TCanvas* ACanvas) {
    TColumnGx* column = Column();
    TCustomDBGridGx* grid = DBGrid();
    if (!column || !grid || !column->HighlightRequired() || !grid->DataLinkActive()) return;
    TDataSet* ds = grid->DataLink()->DataSet();
    TField* field = column->Field();
    bool draw = (ds->State() == dsEdit || ds->State() == dsInsert) && field && field->Required() && field->IsNull();
    if (column->OnCheckDrawRequiredState) column->OnCheckDrawRequiredState(column, Text(), draw);
    if (!draw) return;
    TRect r = EditRect();
    ACanvas->Pen()->SetColor(clRed);
    ACanvas->Pen()->SetStyle(psDot);
    ACanvas->Pen()->SetWidth(1);
    ACanvas->MoveTo(r.Left + 2, Height() - 1);
    ACanvas->LineTo(r.Right - 3, Height() - 1);
    ACanvas->Pen()->SetStyle(psSolid);
}

void TDBGridInplaceEdit::UpdateImageIndex() {
    TColumnGx* column = Column();
    if (!column || !column->ImageList()) return;
    int index = -1;
    if (column->PickList()->Count() > 0) {
        index = column->PickList()->IndexOf(Text());
    } else if (TField* field = column->Field()) {
        switch (field->DataType()) {
            case ftSmallint:
            case ftInteger:
            case ftWord:
            case ftFloat:
            case ftCurrency:
            case ftBCD:
            case ftFMTBcd: {
                // A value past 32 bits is no image index: it shows none instead of raising.
                double value = field->IsNull() ? -1 : std::round(field->AsFloat());
                index = value >= INT32_MIN && value <= INT32_MAX ? static_cast<int>(value) : -1;
                break;
            }
            default: break;
        }
    }
    if (index == -1) index = column->NotInKeyListIndex();
    if (index != imageIndex_) {
        imageIndex_ = index;
        Invalidate();
    }
}

// ---------------------------------------------------------------------------
// Text

void TDBGridInplaceEdit::Change() {
    TInplaceEdit::Change();
    if (!settingText_) EditTextChanged();
}

void TDBGridInplaceEdit::EditTextChanged() {
    textChanged_ = true;
    UpdateImageIndex();
    if (editStyle_ == esDataListGx) TextToGrid();
    // The MRU list follows once the message that changed the text is done.
    if (inMessage_) mruPending_ = true;
    else UpdateMRUList();
}

// The lookup column's key follows the text: the list record whose result is the text, or none.
void TDBGridInplaceEdit::TextToGrid() {
    TCustomDBGridGx* grid = DBGrid();
    TColumnGx* column = Column();
    TField* field = column ? column->Field() : nullptr;
    if (!grid || !field || !field->Lookup() || !column->CanModify(false)) return;
    TDataSet* list = field->LookupDataSet();
    Variant key = Null();
    if (list && list->Active() &&
        list->Locate(field->LookupResultField(), Variant(Text()), TLocateOptions{loCaseInsensitive}))
        key = list->FieldValues(field->LookupKeyFields());
    grid->editKeyValue_ = key;
}

void TDBGridInplaceEdit::SetEditorText(const AnsiString& Text, int SelStart, int SelLength) {
    SetEditText(Text);
    SetSelStart(SelStart);
    SetSelLength(SelLength);
    SetModified(true);
}

// ---------------------------------------------------------------------------
// Drop-down and close-up

bool TDBGridInplaceEdit::HasDropDownStyle() const {
    switch (editStyle_) {
        case esPickListGx:
        case esDataListGx:
        case esDateCalendarGx: return true;
        case esDropDownGx: return activeList_ != nullptr;
        default: return false;
    }
}

void TDBGridInplaceEdit::DropDown() {
    if (listVisible_ || !activeList_) return;
    if (mruListbox_ && mruListbox_->Visible()) mruList_->CloseUp(false);
    TColumnGx* column = Column();
    if (!column) return;
    if (activeList_ == dataList_) {
        DropDownDataList(column);
    } else if (activeList_ == calendar_) {
        TDateTime date = Date();
        if (!Text().empty() && !TryStrToDate(Text(), date)) date = Date();
        calendar_->SetDateQuietly(date);
        calendar_->UpdateSize();
    } else if (activeList_ == calculator_) {
        calculator_->SetFlat(DBGrid()->Flat());
        Variant value = Null();
        double number = 0;
        if (!Text().empty() && TryStrToFloat(Text(), number)) value = Variant(number);
        calculator_->SetValue(value);
    } else if (activeList_ == pickList_) {
        DropDownPickList(column);
    }
    textBeforeDrop_ = Text();
    listWidthBefore_ = activeList_->Width();
    listHeightBefore_ = activeList_->Height();
    PlacePopup(activeList_);
    listVisible_ = true;
    if (HandleAllocated() && Focused()) ShowCaret(Handle());
}

void TDBGridInplaceEdit::DropDownPickList(TColumnGx* Column) {
    TPopupListboxGx* list = pickList_;
    list->SetColor(Color());
    list->Font()->Assign(Font());  // the list sizes its rows to its font itself
    {
        TUpdateLock lock(list->Items());
        list->Items()->Assign(Column->PickList());
    }
    int index;
    if (Column->KeyList()->Count() > 0) {
        TField* field = Column->Field();
        index = field ? Column->KeyList()->IndexOf(field->Text()) : -1;
        if (Text() != (index >= 0 && index < list->Items()->Count() ? list->Items()->Strings(index) : AnsiString()))
            index = list->Items()->IndexOf(Text());
    } else {
        index = list->Items()->IndexOf(Text());
    }
    list->SetItemIndex(index);
    int rows = std::clamp(list->Items()->Count(), 1, std::max<int>(1, static_cast<int>(Column->DropDownRows())));
    list->SetRowCount(rows);
    HDC dc = CreateScreenDC();
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.Font()->Assign(Font());
    int widest = 0;
    for (int i = 0; i < list->Items()->Count(); ++i)
        widest = std::max(widest, canvas.TextWidth(list->Items()->Strings(i)));
    canvas.SetHandle(nullptr);
    DeleteDC(dc);
    if (list->ImageList()) widest += list->ImageList()->Width() + 4;
    if (rows < list->Items()->Count()) widest += GetSystemMetrics(SM_CXVSCROLL);
    list->SetWidth(std::max(Width(), widest + 2 * list->BorderWidth() + 6));
}

void TDBGridInplaceEdit::DropDownDataList(TColumnGx* Column) {
    TField* field = Column->Field();
    dataSource_->SetDataSet(field ? field->LookupDataSet() : nullptr);
    dataList_->SetRowCount(std::max<int>(1, static_cast<int>(Column->DropDownRows())));
    int width = Column->DropDownWidth();
    if (width == -1) {
        width = 0;
        for (int i = 0; i < dataList_->Columns()->Count(); ++i) width += dataList_->Columns()->Items(i)->Width() + 1;
        width += GetSystemMetrics(SM_CXVSCROLL) + 4;
    } else if (width == 0) {
        width = Width();
    }
    dataList_->SetWidth(std::max(width, Width()));
    dataList_->SetKeyValue(DBGrid()->editKeyValue_);
}

void TDBGridInplaceEdit::PlacePopup(TWinControl* Popup) {
    TRect r = BoundsRect();
    TPoint topLeft = Parent() ? Parent()->ClientToScreen(r.TopLeft()) : r.TopLeft();
    TRect anchor(topLeft.X, topLeft.Y, topLeft.X + r.Width(), topLeft.Y + r.Height());
    TDropDownAlign align = Column() && Column()->UseRightToLeftAlignment() ? daRight : daLeft;
    if (Popup == dataList_) {
        dataList_->DropDownAt(anchor, align);
        return;
    }
    AlignDropDownWindowRect(anchor, Popup, align);
    SetWindowPos(Popup->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Popup->SetVisible(true);
}

void TDBGridInplaceEdit::CloseUp(bool Accept) {
    if (!listVisible_ || !activeList_) return;
    if (GetCapture()) ReleaseCapture();
    TColumnGx* column = Column();
    TWinControl* list = activeList_;
    // A size the user gave the list stays with the column.
    if (column && (list == pickList_ || list == dataList_) &&
        (list->Width() != listWidthBefore_ || list->Height() != listHeightBefore_)) {
        if (list == pickList_ && pickList_->ItemHeight() > 0)
            column->SetDropDownRows(static_cast<uint32_t>(std::max(1, pickList_->RowCount())));
        else if (list == dataList_)
            column->SetDropDownRows(static_cast<uint32_t>(dataList_->RowCount()));
        column->SetDropDownWidth(list->Width());
    }
    if (list == dataList_) {
        // The grid tells DataListCloseUp again; the flag keeps it from coming back here.
        listVisible_ = false;
        dataList_->CloseUp(false);
        listVisible_ = true;
    } else {
        SetWindowPos(list->Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
        list->SetVisible(false);
    }
    listVisible_ = false;
    if (list == dataList_) dataSource_->SetDataSet(nullptr);
    if (HandleAllocated() && Focused()) ShowCaret(Handle());
    if (Accept && column) AcceptChoice(column);
    else if (!Accept) SetEditText(textBeforeDrop_);  // moving in the list showed other items
    Invalidate();
}

void TDBGridInplaceEdit::AcceptChoice(TColumnGx* Column) {
    TCustomDBGridGx* grid = DBGrid();
    if (activeList_ == pickList_) {
        int index = pickList_->ItemIndex();
        if (index < 0 || !grid->CanEditModify()) return;
        AnsiString text = pickList_->Items()->Strings(index);
        SetEditText(text);
        grid->SetEditText(grid->Col(), grid->Row(), text);
        if (Column->KeyList()->Count() > 0 && index < Column->KeyList()->Count())
            grid->editKeyValue_ = Variant(Column->KeyList()->Strings(index));
        SelectAll();
        UpdateImageIndex();
    } else if (activeList_ == dataList_) {
        if (!Column->CanModify(true)) return;
        grid->editKeyValue_ = dataList_->KeyValue();
        SetEditText(dataList_->Text());
        grid->SetEditText(grid->Col(), grid->Row(), dataList_->Text());
        SelectAll();
    } else if (activeList_ == calendar_) {
        if (!Column->CanModify(true)) return;
        SetEditText(DateToStr(calendar_->Date()));
        SelectAll();
    } else if (activeList_ == calculator_) {
        if (!Column->CanModify(true)) return;
        Variant value = calculator_->GetValue();
        SetEditText(VarIsNull(value) ? AnsiString() : VarToStr(value));
        SelectAll();
    }
}

void TDBGridInplaceEdit::DataListCloseUp(TObject*, bool Accept) {
    if (listVisible_ && activeList_ == dataList_) CloseUp(Accept);
}

void TDBGridInplaceEdit::ListMouseUp(TObject* Sender, TMouseButton Button, TShiftState, int X, int Y) {
    if (Button != mbLeft) return;
    if (Sender == mruListbox_ && mruListbox_) {
        mruList_->CloseUp(PtInRect(mruListbox_->ClientRect(), TPoint(X, Y)));
        return;
    }
    if (pickList_ && Sender == pickList_) CloseUp(PtInRect(pickList_->ClientRect(), TPoint(X, Y)));
}

void TDBGridInplaceEdit::PickListGetImageIndex(TObject*, int ItemIndex, int& ImageIndex) { ImageIndex = ItemIndex; }

// ---------------------------------------------------------------------------
// Buttons

void TDBGridInplaceEdit::ButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled) {
    EditButtonMouseDown(Sender, TopButton, AutoRepeat, Handled);
}

void TDBGridInplaceEdit::EditButtonMouseDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled) {
    TColumnGx* column = Column();
    if (!column) return;
    if (const TButton* b = ButtonOf(Sender); b && b->Item) {
        if (b->Item->OnDown) b->Item->OnDown(DBGrid(), TopButton, AutoRepeat, Handled);
        return;
    }
    if (column->OnEditButtonDown) column->OnEditButtonDown(DBGrid(), TopButton, AutoRepeat, Handled);
    if (!Handled) EditButtonDown(!TopButton);
}

void TDBGridInplaceEdit::EditButtonDown(bool BottomHalf) {
    if (editStyle_ == esUpDownGx) {
        StepValue(!BottomHalf);
        return;
    }
    if (listVisible_) CloseUp(false);
    else DropDown();
}

void TDBGridInplaceEdit::StepValue(bool Up) {
    TColumnGx* column = Column();
    TCustomDBGridGx* grid = DBGrid();
    if (!column || !grid) return;
    // The step starts from what was typed.
    if (Text() != grid->editText_ || textChanged_) {
        grid->SetEditText(grid->Col(), grid->Row(), Text());
        grid->DataLink()->NotifyUpdateData();
        textChanged_ = false;
    }
    double step = column->Increment();
    if (!Up) step = -step;
    if (column->GetColumnType() != ctCommon) step = -step;
    if (column->GetColumnType() == ctCommon) {
        TField* field = column->Field();
        if (!field || !column->CanModify(true)) return;
        double value = field->IsNull() ? 0 : field->AsFloat();
        field->SetAsFloat(value + step);
    } else {
        column->SetNextFieldValue(step);
    }
    grid->InvalidateEditor();
    SelectAll();
}

void TDBGridInplaceEdit::ButtonClick(TObject* Sender) { EditButtonClick(Sender); }

void TDBGridInplaceEdit::EditButtonClick(TObject* Sender) {
    TColumnGx* column = Column();
    const TButton* b = ButtonOf(Sender);
    if (!column || !b) return;
    if (b->Item) {
        if (b->Item->OnClick) b->Item->OnClick(b->Item);
        return;
    }
    if (editStyle_ == esEllipsisGx || editStyle_ == esDropDownGx) {
        bool handled = false;
        if (column->OnEditButtonClick) column->OnEditButtonClick(DBGrid(), handled);
        if (!handled) DBGrid()->EditButtonClick();
    }
}

void TDBGridInplaceEdit::ButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {
    EditButtonMouseMove(Sender, Shift, X, Y);
}

void TDBGridInplaceEdit::EditButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {
    // A drag from the main button into the open list hands the mouse to the list.
    if (!listVisible_ || !activeList_ || buttons_.empty() || Sender != buttons_[0].Control || !(Shift & ssLeft))
        return;
    TControl* button = buttons_[0].Control;
    TPoint inList = activeList_->ScreenToClient(button->ClientToScreen(TPoint(X, Y)));
    if (!PtInRect(activeList_->ClientRect(), inList)) return;
    button->Perform(WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
    if (GetCapture()) ReleaseCapture();
    activeList_->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(inList.X, inList.Y));
}

// ---------------------------------------------------------------------------
// MRU list

void TDBGridInplaceEdit::FilterMRUItem(const AnsiString& Item, bool& Accept) {
    Accept = mruList_->ItemBeginsWith(Item, Text());
}

void TDBGridInplaceEdit::UpdateMRUList() {
    TColumnGx* column = Column();
    if (!column || !mruList_->Active() || listVisible_ || !Visible()) {
        if (mruListbox_ && mruListbox_->Visible()) mruList_->CloseUp(false);
        return;
    }
    if (!mruListbox_) mruListbox_ = CreateMRUListControl();
    TStrings* items = column->MRUList()->Items();
    {
        TUpdateLock lock(mruListbox_->Items());
        mruListbox_->Items()->Clear();
        for (int i = 0; i < items->Count(); ++i) {
            bool accept = true;
            FilterMRUItem(items->Strings(i), accept);
            if (column->MRUList()->OnFilterItem) column->MRUList()->OnFilterItem(this, accept);
            if (accept) mruListbox_->Items()->Add(items->Strings(i));
        }
    }
    if (mruListbox_->Items()->Count() == 0) {
        if (mruListbox_->Visible()) mruList_->CloseUp(false);
        return;
    }
    mruListbox_->Font()->Assign(Font());
    mruListbox_->SetWidth(Width());
    mruListbox_->SetRowCount(std::min(mruList_->Rows(), mruListbox_->Items()->Count()));
    mruListbox_->UpdateScrollBar();
    AlignDropDownWindow(this, mruListbox_, daLeft);
    SetWindowPos(mruListbox_->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    mruListbox_->SetVisible(true);
}

void TDBGridInplaceEdit::MRUCloseUp(TObject*, bool Accept) {
    if (!mruListbox_ || !mruListbox_->Visible()) return;
    TColumnGx* column = Column();
    if (column) column->MRUList()->SetRows(mruListbox_->RowCount());
    mruListbox_->SetVisible(false);
    int index = mruListbox_->ItemIndex();
    if (Accept && index >= 0 && DBGrid() && DBGrid()->CanEditModify()) {
        SetEditText(mruListbox_->Items()->Strings(index));
        SelectAll();
    }
}

// ---------------------------------------------------------------------------
// Completion while typing

bool TDBGridInplaceEdit::ProcessTypedText(const AnsiString& Typed) {
    TColumnGx* column = Column();
    if (!column) return false;
    // Backspace deletes as usual; completing it again would undo the deletion.
    if (Typed.empty()) return false;
    AnsiString candidate = Text().substr(0, static_cast<size_t>(SelStart())) + Typed;
    if (editStyle_ == esDataListGx) {
        CompleteFromLookup(column, candidate);
        return true;
    }
    TColumnGxType kind = column->GetColumnType();
    if (editStyle_ == esPickListGx || kind == ctKeyPickList)
        return CompleteFromPickList(column, candidate) || kind == ctKeyPickList;
    return false;
}

bool TDBGridInplaceEdit::CompleteFromLookup(TColumnGx* Column, const AnsiString& Candidate) {
    TCustomDBGridGx* grid = DBGrid();
    TField* field = Column->Field();
    TDataSet* list = field ? field->LookupDataSet() : nullptr;
    if (!grid->CanEditByAllowedOperations() || !list || !list->Active()) return true;
    const bool found = list->Locate(field->LookupResultField(), Variant(Candidate),
                                    TLocateOptions{loCaseInsensitive, loPartialKey});
    // A letter that is refused leaves the record as it was.
    if ((!found && !Column->OnNotInList) || !grid->CanEditModify()) return true;
    if (found) {
        grid->DataLink()->Edit();
        grid->DataLink()->Modified();
        AnsiString found = list->FieldByName(field->LookupResultField())->Text();
        SetEditorText(found, static_cast<int>(Candidate.size()), static_cast<int>(found.size() - Candidate.size()));
        grid->editKeyValue_ = list->FieldValues(field->LookupKeyFields());
        grid->SetEditText(grid->Col(), grid->Row(), found);
        if (dataList_) dataList_->SetKeyValue(grid->editKeyValue_);
    } else if (Column->OnNotInList) {
        grid->DataLink()->Edit();
        grid->DataLink()->Modified();
        SetEditorText(Candidate, static_cast<int>(Candidate.size()), 0);
        grid->editKeyValue_ = Null();
        grid->SetEditText(grid->Col(), grid->Row(), Candidate);
    }
    return true;
}

bool TDBGridInplaceEdit::CompleteFromPickList(TColumnGx* Column, const AnsiString& Candidate) {
    TCustomDBGridGx* grid = DBGrid();
    int index = LocateItemStartingWith(Column->PickList(), Candidate);
    // A letter that is refused leaves the record as it was: asking the grid
    // whether the cell can be modified puts the record into editing.
    if (index < 0 && !(Column->GetColumnType() == ctKeyPickList && Column->OnNotInList)) return false;
    if (!grid->CanEditModify()) return false;
    if (index >= 0) {
        grid->DataLink()->Edit();
        grid->DataLink()->Modified();
        AnsiString item = Column->PickList()->Strings(index);
        SetEditorText(item, static_cast<int>(Candidate.size()), static_cast<int>(item.size() - Candidate.size()));
        grid->SetEditText(grid->Col(), grid->Row(), item);
        if (pickList_ && listVisible_ && activeList_ == pickList_) pickList_->SetItemIndex(index);
        return true;
    }
    if (Column->GetColumnType() == ctKeyPickList && Column->OnNotInList) {
        SetEditorText(Candidate, static_cast<int>(Candidate.size()), 0);
        grid->editKeyValue_ = Null();
        grid->SetEditText(grid->Col(), grid->Row(), Candidate);
        if (pickList_) pickList_->SetItemIndex(-1);
    }
    return false;
}

// ---------------------------------------------------------------------------
// Keys

bool TDBGridInplaceEdit::PopupOwnsKey(WORD Key, TShiftState Shift) const {
    bool shift = (Shift & ssShift) != 0, ctrl = (Shift & ssCtrl) != 0;
    switch (Key) {
        case VK_PRIOR:
        case VK_NEXT:
        case VK_UP:
        case VK_DOWN: return !shift;
        case VK_HOME:
        case VK_END: return ctrl;
        case VK_LEFT:
        case VK_RIGHT: return activeList_ == calendar_;
        default: return false;
    }
}

// After a moving key the editor shows what the list now points at.
void TDBGridInplaceEdit::FollowPopupSelection() {
    TCustomDBGridGx* grid = DBGrid();
    if (activeList_ == dataList_ && dataList_) {
        if (dataList_->Text() != Text()) {
            SetEditText(dataList_->Text());
            grid->editKeyValue_ = dataList_->KeyValue();
            SelectAll();
        }
    } else if (activeList_ == pickList_ && pickList_) {
        int index = pickList_->ItemIndex();
        if (index >= 0 && pickList_->Items()->Strings(index) != Text()) {
            SetEditText(pickList_->Items()->Strings(index));
            SelectAll();
        }
    }
}

bool TDBGridInplaceEdit::DropDownKeys(TMessage& Message) {
    if (!HasDropDownStyle()) return false;
    bool keyMsg = Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN;
    if (keyMsg) {
        WORD key = static_cast<WORD>(Message.WParam);
        TShiftState shift = KeyDataToShiftState(Message.LParam);
        if (Message.Msg == WM_SYSKEYDOWN) shift |= ssAlt;
        bool alt = (shift & ssAlt) != 0;
        if ((key == VK_UP || key == VK_DOWN) && alt) {
            if (listVisible_) CloseUp(true);
            else DropDown();
            return true;
        }
        if ((key == VK_RETURN || key == VK_ESCAPE) && listVisible_ && activeList_ != calculator_ && !alt) {
            CloseUp(key == VK_RETURN);
            swallowChar_ = key == VK_RETURN ? 13 : 27;
            return true;
        }
        if (key == VK_RETURN && (shift & (ssCtrl | ssAlt | ssShift)) == ssCtrl && !listVisible_) {
            DropDown();
            return true;
        }
    }
    if (Message.Msg == WM_CHAR) {
        auto ch = static_cast<unsigned char>(Message.WParam & 0xFF);
        // The character of the Enter or Esc that closed the list.
        if (swallowChar_ != 0 && ch == swallowChar_) {
            swallowChar_ = 0;
            return true;
        }
        swallowChar_ = 0;
        if (ch == 10 && !listVisible_) return true;  // Ctrl+Enter's line feed opened the list
        if (ch >= 32 && !listVisible_ && Column() && Column()->AutoDropDown()) DropDown();
    }
    if (!listVisible_) return false;
    if (activeList_ == calculator_) {
        if (Message.Msg == WM_CHAR) {
            auto ch = static_cast<unsigned char>(Message.WParam & 0xFF);
            if (ch == 13 || ch == 27 || ch >= 32) {
                calculator_->ProcessKey(static_cast<char>(ch));
                return true;
            }
        }
        if (keyMsg && (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) return true;
        return false;
    }
    if (keyMsg) {
        WORD key = static_cast<WORD>(Message.WParam);
        if (PopupOwnsKey(key, KeyDataToShiftState(Message.LParam))) {
            activeList_->Perform(WM_KEYDOWN, Message.WParam, Message.LParam);
            FollowPopupSelection();
            return true;
        }
    }
    return false;
}

bool TDBGridInplaceEdit::MRUKeys(TMessage& Message) {
    if (!mruListbox_ || !mruListbox_->Visible()) return false;
    if (Message.Msg == WM_KEYDOWN) {
        WORD key = static_cast<WORD>(Message.WParam);
        TShiftState shift = KeyDataToShiftState(Message.LParam);
        bool moving = ((key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN) && !(shift & ssAlt)) ||
                      ((key == VK_HOME || key == VK_END) && (shift & ssCtrl));
        if (moving) {
            mruListbox_->Perform(WM_KEYDOWN, Message.WParam, Message.LParam);
            return true;
        }
        return key == VK_RETURN || key == VK_ESCAPE;
    }
    if (Message.Msg == WM_CHAR) {
        auto ch = static_cast<unsigned char>(Message.WParam & 0xFF);
        if (ch == 13 || ch == 27) {
            mruList_->CloseUp(ch == 13);
            return true;
        }
    }
    return false;
}

void TDBGridInplaceEdit::WndProc(TMessage& Message) {
    bool input = Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN || Message.Msg == WM_CHAR;
    if (input && (DropDownKeys(Message) || MRUKeys(Message))) return;
    bool outer = !inMessage_;
    TValueRestorer<bool> inside(inMessage_, true);
    TInplaceEdit::WndProc(Message);
    if (outer && mruPending_) {
        mruPending_ = false;
        UpdateMRUList();
    }
}

void TDBGridInplaceEdit::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_KEYDOWN) {
        WORD key = static_cast<WORD>(Message.WParam);
        TShiftState shift = KeyDataToShiftState(Message.LParam);
        if (EditKeyDown(key, shift)) return;
        // With returns wanted, Up and Down move inside the text.
        if (wantReturns_ && (key == VK_UP || key == VK_DOWN)) {
            TCustomControl::Dispatch(Message);
            return;
        }
    }
    TInplaceEdit::Dispatch(Message);
}

// Within the text's columns: between the image and the buttons, at any height.
bool TDBGridInplaceEdit::OverText(int X, int Y) const {
    TRect r = EditRect();
    return PtInRect(TRect(r.Left, 0, r.Right, Height()), TPoint(X, Y));
}

void TDBGridInplaceEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    // A press beside the text (over the image or the buttons' edge) does not move the caret.
    if (!MouseCapture() && !OverText(X, Y)) return;
    TInplaceEdit::MouseDown(Button, Shift, X, Y);
}

void TDBGridInplaceEdit::MouseMove(TShiftState Shift, int X, int Y) {
    // Over the buttons or the image the pointer is the arrow.
    SetCursor(MouseCapture() || OverText(X, Y) ? crIBeam : crDefault);
    TInplaceEdit::MouseMove(Shift, X, Y);
}

// Key-down handling before the framework editor's; true when the key was taken.
bool TDBGridInplaceEdit::EditKeyDown(WORD& Key, TShiftState Shift) {
    TCustomDBGridGx* grid = DBGrid();
    TColumnGx* column = Column();
    if (!grid || !column) return false;
    if (KeyedListColumn(column) && Key == VK_DELETE && Shift == 0) {
        bool atEnd = SelLength() == 0 && SelStart() >= static_cast<int>(Text().size());
        if (atEnd || !column->OnNotInList) {
            if (atEnd && !Text().empty() && grid->CanEditModify()) {
                if (column->GetColumnType() == ctLookupField) {
                    grid->DataLink()->Edit();
                    grid->editKeyValue_ = Null();
                }
                SetEditText("");
                grid->SetEditText(grid->Col(), grid->Row(), "");
            }
            return true;
        }
    }
    TShortCut sc = ShortCut(Key, Shift);
    // Keys the grid answers even while the editor is open.
    bool gridKey = (Key == VK_RETURN && grid->OptionsGx().Contains(dghEnterAsTab)) ||
                   (sc != 0 && sc == DBGridGxSettings().CopyPriorValueKey) ||
                   (sc != 0 && sc == DBGridGxSettings().FindDialogKey && grid->OptionsGx().Contains(dghDialogFind));
    if (gridKey) {
        grid->KeyDown(Key, Shift);
        return true;
    }
    for (const TButton& b : buttons_)
        if (b.Item && b.Item->ShortCut() != 0 && b.Item->ShortCut() == sc) {
            b.Control->Click();
            return true;
        }
    return false;
}

void TDBGridInplaceEdit::KeyPress(char& Key) {
    auto ch = static_cast<unsigned char>(Key);
    TColumnGx* column = Column();
    // In a list column without a not-in-list handler Backspace only steps back.
    if (ch == 8 && column && KeyedListColumn(column) && !column->OnNotInList) {
        if (SelStart() > 0) SetSelStart(SelStart() - 1);
        Key = 0;
        return;
    }
    TInplaceEdit::KeyPress(Key);
    if (Key == 0) return;
    ch = static_cast<unsigned char>(Key);
    if ((ch >= 32 || ch == 8) && ProcessTypedText(ch == 8 ? AnsiString() : AnsiString(1, Key))) Key = 0;
}

void TDBGridInplaceEdit::WMChar(TMessage& Message) {
    auto ch = static_cast<unsigned char>(Message.WParam & 0xFF);
    // The line feed of Ctrl+Enter belongs to multi-line editing only.
    if (ch == 10 && !wantReturns_) return;
    TInplaceEdit::WMChar(Message);
    if (ch == 8 && mruList_->Active() && Text().empty()) UpdateMRUList();
}

bool TDBGridInplaceEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (listVisible_) {
        if (activeList_ == dataList_ && dataList_ && (Shift & ssCtrl))
            dataList_->Perform(WM_KEYDOWN, WheelDelta > 0 ? VK_UP : VK_DOWN, 0);
        return true;
    }
    return TInplaceEdit::DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TDBGridInplaceEdit::WMKillFocus(TMessage& Message) {
    HWND to = reinterpret_cast<HWND>(Message.WParam);
    auto owns = [to](TWinControl* c) { return c && c->HandleAllocated() && c->Handle() == to; };
    if (listVisible_ && !owns(activeList_)) CloseUp(false);
    if (mruListbox_ && mruListbox_->Visible() && !owns(mruListbox_)) mruList_->CloseUp(false);
    TInplaceEdit::WMKillFocus(Message);
}

// ---------------------------------------------------------------------------
// The grid's editor

TInplaceEdit* TCustomDBGridGx::CreateEditor() { return new TDBGridInplaceEdit(this); }
