// Combo boxes and list boxes.
#include "platform/gui/StdCtrls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "platform/gui/Clipboard.h"
#include "platform/gui/ControlProps_p.h"
#include "platform/gui/StdCtrls_p.h"
#include "platform/gui/Forms.h"
#include "platform/gui/QtGraphics.h"
#include "platform/gui/WinApi_p.h"
#include "platform/gui/Widgets_p.h"
#include "platform/rtl/SysUtils.h"

// ---------------------------------------------------------------- TCustomComboBox

namespace {

class TNativeComboBox final : public QComboBox {
public:
    TNativeComboBox() { setContextMenuPolicy(Qt::NoContextMenu); }
    std::function<void()> DroppingDown;
    std::function<void()> ClosedUp;
    void showPopup() override {
        if (DroppingDown) FromWidget(DroppingDown);
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        if (ClosedUp) FromWidget(ClosedUp);
    }
};

}  // namespace

struct TComboNative final : TNativeWidget {
    TComboNative() : TNativeWidget(new TNativeComboBox()) {
        TextBox = true;
        Background = true;
    }
    QComboBox* Combo() const { return static_cast<QComboBox*>(Widget.data()); }
    // Beside the items, in their order: their texts as the program gave them
    // (sorted inserts search these, no item is converted back from the
    // widget's text) and their objects.
    std::vector<AnsiString> Texts;
    std::vector<TObject*> Objects;
};

namespace {

class TComboBoxStrings final : public TStrings {
public:
    TComboBoxStrings(TCustomComboBox* owner, TComboNative* native) : owner_(owner), native_(native) {}
    const char* ClassName() const override { return "TComboBoxStrings"; }

    int Add(const AnsiString& S) override { return AddObject(S, nullptr); }
    int AddObject(const AnsiString& S, TObject* AObject) override {
        int index = GetCount();
        if (owner_->Sorted()) {
            // The first place whose item sorts after S: the items stay in order.
            const auto& texts = native_->Texts;
            index = static_cast<int>(std::upper_bound(texts.begin(), texts.end(), S,
                                                      [](const AnsiString& s, const AnsiString& item) {
                                                          return AnsiCompareText(s, item) < 0;
                                                      }) -
                                     texts.begin());
        }
        InsertObject(index, S, AObject);
        return index;
    }
    void Clear() override {
        QSignalBlocker block(Combo());
        Combo()->clear();
        native_->Texts.clear();
        native_->Objects.clear();
    }
    void Delete(int Index) override {
        CheckIndex(Index);
        QSignalBlocker block(Combo());
        Combo()->removeItem(Index);
        native_->Texts.erase(native_->Texts.begin() + Index);
        native_->Objects.erase(native_->Objects.begin() + Index);
    }
    void Insert(int Index, const AnsiString& S) override { InsertObject(Index, S, nullptr); }
    void InsertObject(int Index, const AnsiString& S, TObject* AObject) override {
        if (Index < 0 || Index > GetCount()) Error("List index out of bounds (%d)", Index);
        QSignalBlocker block(Combo());
        // Adding an item changes neither the choice nor the text.
        QString text = Combo()->isEditable() ? Combo()->currentText() : QString();
        int current = Combo()->currentIndex();
        Combo()->insertItem(Index, ToQString(S));
        native_->Texts.insert(native_->Texts.begin() + Index, S);
        native_->Objects.insert(native_->Objects.begin() + Index, AObject);
        if (current < 0) Combo()->setCurrentIndex(-1);
        if (Combo()->isEditable() && Combo()->currentText() != text) Combo()->setEditText(text);
    }

protected:
    AnsiString Get(int Index) const override {
        CheckIndex(Index);
        return native_->Texts[static_cast<size_t>(Index)];
    }
    void Put(int Index, const AnsiString& S) override {
        CheckIndex(Index);
        QSignalBlocker block(Combo());
        Combo()->setItemText(Index, ToQString(S));
        native_->Texts[static_cast<size_t>(Index)] = S;
    }
    TObject* GetObject(int Index) const override {
        CheckIndex(Index);
        return native_->Objects[static_cast<size_t>(Index)];
    }
    void PutObject(int Index, TObject* AObject) override {
        CheckIndex(Index);
        native_->Objects[static_cast<size_t>(Index)] = AObject;
    }
    int GetCount() const override { return Combo()->count(); }

private:
    QComboBox* Combo() const { return native_->Combo(); }
    void CheckIndex(int Index) const {
        if (Index < 0 || Index >= GetCount()) Error("List index out of bounds (%d)", Index);
    }
    TCustomComboBox* owner_;
    TComboNative* native_;
};

}  // namespace

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TWidgetControl(AOwner, new TComboNative()) {
    auto* native = static_cast<TComboNative*>(native_);
    items_ = new TComboBoxStrings(this, native);
    auto* combo = static_cast<TNativeComboBox*>(native->Combo());
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(dropDownCount_);
    QObject::connect(combo, QOverload<int>::of(&QComboBox::activated), combo,
                     [this](int index) { FromWidget([this, index] { UserChose(index); }); });
    QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo, [this] { FromWidget([this] { UserTyped(); }); });
    combo->DroppingDown = [this] { DropDown(); };
    combo->ClosedUp = [this] { CloseUp(); };
    // OnClick is a choice from the list, not a press of the mouse.
    controlStyle_ = csCaptureMouse | csSetCaption | csDoubleClicks | csFixedHeight;
    SetBounds(0, 0, 145, 21);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

TCustomComboBox::~TCustomComboBox() { delete items_; }

void TCustomComboBox::SetItems(TStrings* Value) { items_->Assign(Value); }

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
    if (style_ == Value) return;
    style_ = Value;
    auto* native = static_cast<TComboNative*>(native_);
    QComboBox* combo = native->Combo();
    QSignalBlocker block(combo);
    bool editable = Value == csDropDown || Value == csSimple;
    if (combo->isEditable() != editable) {
        combo->setEditable(editable);
        if (editable) {
            QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo,
                             [this] { FromWidget([this] { UserTyped(); }); });
            if (HandleAllocated()) InstallEventBridge(combo->lineEdit(), Handle());
        }
    }
}

int TCustomComboBox::ItemIndex() { return static_cast<TComboNative*>(native_)->Combo()->currentIndex(); }

void TCustomComboBox::SetItemIndex(int Value) {
    if (InState(csLoading)) {
        // A definition may name the choice before the items: it is made once all is read.
        loadedIndex_ = Value;
        return;
    }
    QComboBox* combo = static_cast<TComboNative*>(native_)->Combo();
    if (Value < -1 || Value >= combo->count()) Value = -1;
    QSignalBlocker block(combo);
    QSignalBlocker blockEdit(combo->lineEdit());
    combo->setCurrentIndex(Value);
    if (Value < 0 && combo->isEditable()) combo->setEditText(QString());
}

void TCustomComboBox::SetSorted(bool Value) {
    if (sorted_ == Value) return;
    sorted_ = Value;
    if (!Value) return;
    // The items already there take their places.
    QComboBox* combo = static_cast<TComboNative*>(native_)->Combo();
    QSignalBlocker block(combo);
    AnsiString chosen = ItemIndex() >= 0 ? items_->Strings(ItemIndex()) : AnsiString();
    bool hadChoice = ItemIndex() >= 0;
    std::vector<std::pair<AnsiString, TObject*>> all;
    for (int i = 0; i < items_->Count(); ++i) all.emplace_back(items_->Strings(i), items_->Objects(i));
    std::stable_sort(all.begin(), all.end(), [](auto& a, auto& b) { return AnsiCompareText(a.first, b.first) < 0; });
    items_->Clear();
    for (auto& [s, o] : all) items_->InsertObject(items_->Count(), s, o);
    if (hadChoice) SetItemIndex(items_->IndexOf(chosen));
}

void TCustomComboBox::SetDropDownCount(int Value) {
    dropDownCount_ = Value;
    static_cast<TComboNative*>(native_)->Combo()->setMaxVisibleItems(std::max(1, Value));
}

void TCustomComboBox::SetMaxLength(int Value) {
    maxLength_ = Value;
    if (QLineEdit* e = static_cast<TComboNative*>(native_)->Combo()->lineEdit()) e->setMaxLength(Value > 0 ? Value : 32767);
}

bool TCustomComboBox::DroppedDown() {
    QComboBox* combo = static_cast<TComboNative*>(native_)->Combo();
    return combo->view() && combo->view()->isVisible();
}

void TCustomComboBox::SetDroppedDown(bool Value) {
    QComboBox* combo = static_cast<TComboNative*>(native_)->Combo();
    if (Value) combo->showPopup();
    else combo->hidePopup();
}

int TCustomComboBox::SelStart() {
    QLineEdit* e = static_cast<TComboNative*>(native_)->Combo()->lineEdit();
    if (!e) return 0;
    return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}

void TCustomComboBox::SetSelStart(int Value) {
    if (QLineEdit* e = static_cast<TComboNative*>(native_)->Combo()->lineEdit()) e->setCursorPosition(Value);
}

int TCustomComboBox::SelLength() {
    QLineEdit* e = static_cast<TComboNative*>(native_)->Combo()->lineEdit();
    return e && e->hasSelectedText() ? static_cast<int>(e->selectedText().size()) : 0;
}

void TCustomComboBox::SetSelLength(int Value) {
    if (QLineEdit* e = static_cast<TComboNative*>(native_)->Combo()->lineEdit()) e->setSelection(SelStart(), Value);
}

AnsiString TCustomComboBox::SelText() {
    QLineEdit* e = static_cast<TComboNative*>(native_)->Combo()->lineEdit();
    return e ? FromQString(e->selectedText()) : AnsiString();
}

void TCustomComboBox::SelectAll() {
    if (QLineEdit* e = static_cast<TComboNative*>(native_)->Combo()->lineEdit()) e->selectAll();
}

void TCustomComboBox::Clear() {
    items_->Clear();
    SetText(AnsiString());
}

void TCustomComboBox::UserChose(int Index) {
    (void)Index;
    Click();
    Select();
}

void TCustomComboBox::UserTyped() { Change(); }

void TCustomComboBox::Change() {
    if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
    if (OnSelect) OnSelect(this);
    else Change();
}

void TCustomComboBox::DropDown() {
    if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
    if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::UpdateNativeLook() { TWidgetControl::UpdateNativeLook(); }

void TCustomComboBox::Loaded() {
    TWidgetControl::Loaded();
    if (loadedIndex_ >= 0) SetItemIndex(loadedIndex_);
    loadedIndex_ = -1;
}

void TCustomComboBox::Dispatch(TMessage& Message) { TWidgetControl::Dispatch(Message); }

void TCustomComboBox::DefaultHandler(TMessage& Message) {
    QComboBox* combo = static_cast<TComboNative*>(native_)->Combo();
    auto get = [&] { return FromQString(combo->currentText()); };
    auto set = [&](const AnsiString& t) {
        QSignalBlocker block(combo);
        if (combo->isEditable()) {
            QSignalBlocker blockEdit(combo->lineEdit());
            int i = combo->findText(ToQString(t), Qt::MatchFixedString);
            if (i >= 0 && combo->itemText(i) == ToQString(t)) combo->setCurrentIndex(i);
            combo->setEditText(ToQString(t));
        } else {
            // A list without an edit shows the item of that text, if there is one.
            combo->setCurrentIndex(combo->findText(ToQString(t), Qt::MatchFixedString));
        }
    };
    if (HandleTextMessage(this, Message, get, set)) return;
    switch (Message.Msg) {
        case WM_GETDLGCODE:
            Message.Result = DLGC_WANTARROWS | (combo->isEditable() ? DLGC_WANTCHARS | DLGC_HASSETSEL : 0);
            return;
        case WM_PASTE:
            if (QLineEdit* e = combo->lineEdit()) {
                AnsiString text = Clipboard()->AsText();
                size_t brk = text.find_first_of("\r\n");
                if (brk != AnsiString::npos) text.resize(brk);
                e->insert(ToQString(text));
                Change();
            }
            return;
        case WM_COPY:
        case WM_CUT:
            if (QLineEdit* e = combo->lineEdit(); e && e->hasSelectedText()) {
                Clipboard()->SetAsText(FromQString(e->selectedText()));
                if (Message.Msg == WM_CUT) {
                    e->del();
                    Change();
                }
            }
            return;
        case WM_CHAR:
            // The clipboard characters go through the program's clipboard.
            if (combo->isEditable()) {
                switch (Message.WParam & 0xFF) {
                    case 3: Perform(WM_COPY, 0, 0); return;
                    case 22: Perform(WM_PASTE, 0, 0); return;
                    case 24: Perform(WM_CUT, 0, 0); return;
                    default: break;
                }
            }
            break;
        default: break;
    }
    TWidgetControl::DefaultHandler(Message);
}

// ---------------------------------------------------------------- TCustomListBox

class TListBoxStrings final : public TStrings {
public:
    explicit TListBoxStrings(TCustomListBox* owner) : owner_(owner) {}
    const char* ClassName() const override { return "TListBoxStrings"; }

    int Add(const AnsiString& S) override { return AddObject(S, nullptr); }
    int AddObject(const AnsiString& S, TObject* AObject) override {
        int index = GetCount();
        if (owner_->Sorted()) {
            // The first place whose item sorts after S.
            index = static_cast<int>(std::upper_bound(items_.begin(), items_.end(), S,
                                                      [](const AnsiString& s, const auto& item) {
                                                          return AnsiCompareText(s, item.first) < 0;
                                                      }) -
                                     items_.begin());
        }
        InsertObject(index, S, AObject);
        return index;
    }
    void Clear() override {
        items_.clear();
        owner_->itemIndex_ = -1;
        owner_->topIndex_ = 0;
        Changed();
    }
    void Delete(int Index) override {
        CheckIndex(Index);
        items_.erase(items_.begin() + Index);
        if (owner_->itemIndex_ == Index) owner_->itemIndex_ = -1;
        else if (owner_->itemIndex_ > Index) --owner_->itemIndex_;
        Changed();
    }
    void Insert(int Index, const AnsiString& S) override { InsertObject(Index, S, nullptr); }
    void InsertObject(int Index, const AnsiString& S, TObject* AObject) override {
        if (Index < 0 || Index > GetCount()) Error("List index out of bounds (%d)", Index);
        items_.insert(items_.begin() + Index, {S, AObject});
        if (owner_->itemIndex_ >= Index) ++owner_->itemIndex_;
        Changed();
    }
    void Sort() {
        std::stable_sort(items_.begin(), items_.end(),
                         [](auto& a, auto& b) { return AnsiCompareText(a.first, b.first) < 0; });
        Changed();
    }

protected:
    AnsiString Get(int Index) const override {
        CheckIndex(Index);
        return items_[static_cast<size_t>(Index)].first;
    }
    void Put(int Index, const AnsiString& S) override {
        CheckIndex(Index);
        items_[static_cast<size_t>(Index)].first = S;
        Changed();
    }
    TObject* GetObject(int Index) const override {
        CheckIndex(Index);
        return items_[static_cast<size_t>(Index)].second;
    }
    void PutObject(int Index, TObject* AObject) override {
        CheckIndex(Index);
        items_[static_cast<size_t>(Index)].second = AObject;
    }
    int GetCount() const override { return static_cast<int>(items_.size()); }
    void SetUpdateState(bool Updating) override {
        if (!Updating) Changed();
    }

private:
    void Changed() {
        if (UpdateCount() == 0) owner_->ItemsChanged();
    }
    void CheckIndex(int Index) const {
        if (Index < 0 || Index >= GetCount()) Error("List index out of bounds (%d)", Index);
    }
    TCustomListBox* owner_;
    std::vector<std::pair<AnsiString, TObject*>> items_;
};

TCustomListBox::TCustomListBox(TComponent* AOwner) : TCustomControl(AOwner), items_(new TListBoxStrings(this)) {
    controlStyle_ = csSetCaption | csDoubleClicks | csOpaque | csCaptureMouse | csClickEvents;
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    itemHeight_ = FontTextHeight(Font());
}

TCustomListBox::~TCustomListBox() { delete items_; }

void TCustomListBox::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (borderStyle_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateWnd() {
    TCustomControl::CreateWnd();
    UpdateScrollBar();
}

void TCustomListBox::SetItems(TStrings* Value) { items_->Assign(Value); }

void TCustomListBox::SetStyle(TListBoxStyle Value) {
    if (style_ == Value) return;
    style_ = Value;
    if (Value == lbStandard) itemHeight_ = FontTextHeight(Font());
    ItemsChanged();
}

int TCustomListBox::Count() const { return IsVirtual() ? virtualCount_ : items_->Count(); }

void TCustomListBox::SetCount(int Value) {
    if (!IsVirtual()) return;
    virtualCount_ = std::max(0, Value);
    if (itemIndex_ >= virtualCount_) itemIndex_ = -1;
    ItemsChanged();
}

AnsiString TCustomListBox::ItemText(int Index) {
    if (Index < 0 || Index >= Count()) return AnsiString();
    if (IsVirtual()) {
        AnsiString data;
        if (OnData) OnData(this, Index, data);
        return data;
    }
    return items_->Strings(Index);
}

void TCustomListBox::SetItemIndex(int Value) {
    if (Value < -1 || Value >= Count()) Value = -1;
    if (itemIndex_ == Value) return;
    itemIndex_ = Value;
    if (Value >= 0) MakeVisible(Value);
    Invalidate();
}

void TCustomListBox::SetItemHeight(int Value) {
    if (Value <= 0 || itemHeight_ == Value) return;
    if (style_ == lbStandard) return;  // the font decides
    itemHeight_ = Value;
    ItemsChanged();
}

void TCustomListBox::SetTopIndex(int Value) {
    int maxTop = std::max(0, Count() - VisibleRows());
    Value = std::clamp(Value, 0, maxTop);
    if (topIndex_ == Value) return;
    topIndex_ = Value;
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::SetSorted(bool Value) {
    if (sorted_ == Value) return;
    sorted_ = Value;
    if (Value) static_cast<TListBoxStrings*>(items_)->Sort();
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
    if (borderStyle_ == Value) return;
    borderStyle_ = Value;
    RecreateWnd();
}

int TCustomListBox::VisibleRows() { return std::max(1, ClientHeight() / std::max(1, itemHeight_)); }

int TCustomListBox::ItemAtPos(TPoint Pos, bool Existing) {
    TRect client = ClientRect();
    if (!PtInRect(client, Pos) && Existing) return -1;
    int index = topIndex_ + Pos.Y / std::max(1, itemHeight_);
    if (Pos.Y < 0) index = topIndex_ - 1;
    if (index < Count() && index >= 0) return index;
    return Existing ? -1 : std::max(0, Count());
}

TRect TCustomListBox::ItemRect(int Index) {
    int top = (Index - topIndex_) * itemHeight_;
    return TRect(0, top, ClientWidth(), top + itemHeight_);
}

void TCustomListBox::Clear() {
    if (IsVirtual()) SetCount(0);
    else items_->Clear();
}

void TCustomListBox::ItemsChanged() {
    int maxTop = std::max(0, Count() - VisibleRows());
    if (topIndex_ > maxTop) topIndex_ = maxTop;
    if (itemIndex_ >= Count()) itemIndex_ = -1;
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::UpdateScrollBar() {
    if (!HandleAllocated()) return;
    int rows = VisibleRows();
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = std::max(0, Count() - 1);
    si.nPage = static_cast<UINT>(rows);
    si.nPos = topIndex_;
    SetScrollInfo(Handle(), SB_VERT, &si, 1);
    ShowScrollBar(Handle(), SB_VERT, Count() > rows);
}

void TCustomListBox::MakeVisible(int Index) {
    if (Index < topIndex_) SetTopIndex(Index);
    else if (Index >= topIndex_ + VisibleRows()) SetTopIndex(Index - VisibleRows() + 1);
}

void TCustomListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
    bool owner = style_ == lbOwnerDrawFixed || style_ == lbOwnerDrawVariable || style_ == lbVirtualOwnerDraw;
    if (owner && OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    TCanvas* canvas = Canvas();
    canvas->FillRect(Rect);
    if (Index < Count()) {
        AnsiString text = ItemText(Index);
        TRect r = Rect;
        r.Left += 2;
        canvas->Brush()->SetStyle(bsClear);
        DrawText(TextDC(canvas), text.c_str(), static_cast<int>(text.size()), &r,
                 DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
        canvas->Brush()->SetStyle(bsSolid);
    }
}

void TCustomListBox::Paint() {
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    TRect client = ClientRect();
    canvas->FillRect(client);
    int rows = VisibleRows() + 1;
    for (int i = topIndex_; i < Count() && i < topIndex_ + rows; ++i) {
        TRect r = ItemRect(i);
        TOwnerDrawState state = 0;
        bool selected = i == itemIndex_;
        if (selected) state |= odSelected;
        if (selected && Focused()) state |= odFocused;
        if (!Enabled()) state |= odDisabled;
        canvas->Font()->Assign(Font());
        if (selected) {
            canvas->Brush()->SetColor(clHighlight);
            canvas->Font()->SetColor(clHighlightText);
        } else {
            canvas->Brush()->SetColor(Color());
            if (!Enabled()) canvas->Font()->SetColor(clGrayText);
        }
        canvas->Brush()->SetStyle(bsSolid);
        DrawItem(i, r, state);
        if (state & odFocused) canvas->DrawFocusRect(r);
    }
}

void TCustomListBox::SelectFromUser(int Index) {
    if (Index < 0 || Index >= Count()) return;
    bool changed = Index != itemIndex_;
    SetItemIndex(Index);
    if (changed) Click();
}

int TCustomListBox::SelectString(int Start, const AnsiString& Prefix) {
    int count = Count();
    if (count == 0) return -1;
    if (Start < -1 || Start >= count) Start = -1;
    AnsiString p = AnsiUpperCase(Prefix);
    for (int n = 1; n <= count; ++n) {
        int i = (Start + n) % count;
        AnsiString t = AnsiUpperCase(ItemText(i));
        if (t.compare(0, p.size(), p) == 0) {
            SetItemIndex(i);
            return i;
        }
    }
    return -1;
}

void TCustomListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        int index = ItemAtPos(TPoint(X, Y), true);
        if (index >= 0) SelectFromUser(index);
        tracking_ = true;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomListBox::MouseMove(TShiftState Shift, int X, int Y) {
    if (tracking_ && (Shift & ssLeft)) {
        int index = ItemAtPos(TPoint(X, Y), false);
        if (Y < 0) index = std::max(0, topIndex_ - 1);
        if (index >= Count()) index = Count() - 1;
        if (index >= 0) SelectFromUser(index);
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    tracking_ = false;
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomListBox::DblClick() { TCustomControl::DblClick(); }

void TCustomListBox::DoEnter() {
    Invalidate();
    TCustomControl::DoEnter();
}

void TCustomListBox::DoExit() {
    Invalidate();
    TCustomControl::DoExit();
}

void TCustomListBox::WMKeyDown(TMessage& Message) {
    if (DoKeyDown(Message)) return;
    int count = Count();
    if (count == 0) return;
    int rows = VisibleRows();
    int i = itemIndex_;
    switch (Message.WParam) {
        case VK_UP: i = std::max(0, i - 1); break;
        case VK_DOWN: i = std::min(count - 1, i + 1); break;
        case VK_PRIOR: i = std::max(0, i - (rows - 1)); break;
        case VK_NEXT: i = std::min(count - 1, std::max(0, i) + (rows - 1)); break;
        case VK_HOME: i = 0; break;
        case VK_END: i = count - 1; break;
        default: return;
    }
    SelectFromUser(i);
}

void TCustomListBox::WMVScroll(TMessage& Message) {
    int rows = VisibleRows();
    switch (LOWORD(Message.WParam)) {
        case SB_LINEUP: SetTopIndex(topIndex_ - 1); break;
        case SB_LINEDOWN: SetTopIndex(topIndex_ + 1); break;
        case SB_PAGEUP: SetTopIndex(topIndex_ - rows); break;
        case SB_PAGEDOWN: SetTopIndex(topIndex_ + rows); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: SetTopIndex(HIWORD(Message.WParam)); break;
        case SB_TOP: SetTopIndex(0); break;
        case SB_BOTTOM: SetTopIndex(Count()); break;
        default: break;
    }
}

void TCustomListBox::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    ItemsChanged();
}

void TCustomListBox::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    if (style_ == lbStandard) {
        itemHeight_ = FontTextHeight(Font());
        ItemsChanged();
    }
}

void TCustomListBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_GETDLGCODE: Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; return;
        case WM_CHAR: {
            if (DoKeyPress(Message)) return;
            auto c = static_cast<unsigned char>(Message.WParam & 0xFF);
            // Type-ahead: the next item that starts with the letter.
            if (c >= 32) {
                int i = SelectString(itemIndex_, AnsiString(1, static_cast<char>(c)));
                if (i >= 0) Click();
            }
            return;
        }
        case WM_MOUSEWHEEL: {
            int delta = GET_WHEEL_DELTA_WPARAM(Message.WParam);
            SetTopIndex(topIndex_ - delta / 120 * 3);
            Message.Result = 1;
            return;
        }
        case LB_GETCOUNT: Message.Result = Count(); return;
        case LB_GETCURSEL: Message.Result = itemIndex_; return;
        case LB_SETCURSEL:
            SetItemIndex(static_cast<int>(static_cast<int32_t>(Message.WParam)));
            Message.Result = itemIndex_;
            return;
        case LB_GETTOPINDEX: Message.Result = topIndex_; return;
        case LB_SETTOPINDEX: SetTopIndex(static_cast<int>(Message.WParam)); return;
        case LB_SELECTSTRING: {
            int start = static_cast<int>(static_cast<int16_t>(Message.WParam & 0xFFFF));
            if ((Message.WParam & 0xFFFF) == 0xFFFF) start = -1;
            Message.Result = SelectString(start, TextIn(Message));
            return;
        }
        case LB_FINDSTRING: {
            AnsiString p = AnsiUpperCase(TextIn(Message));
            int count = Count();
            int start = (Message.WParam & 0xFFFF) == 0xFFFF ? -1 : static_cast<int>(Message.WParam);
            Message.Result = -1;
            for (int n = 1; n <= count; ++n) {
                int i = (start + n + count) % count;
                if (AnsiUpperCase(ItemText(i)).compare(0, p.size(), p) == 0) {
                    Message.Result = i;
                    break;
                }
            }
            return;
        }
        case LB_GETITEMRECT:
            if (auto* r = reinterpret_cast<TRect*>(Message.LParam)) *r = ItemRect(static_cast<int>(Message.WParam));
            Message.Result = 1;
            return;
        case LB_ITEMFROMPOINT: {
            TPoint p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
            int i = ItemAtPos(p, true);
            Message.Result = MAKELPARAM(i < 0 ? std::max(0, Count() - 1) : i, i < 0 ? 1 : 0);
            return;
        }
        case LB_SETCOUNT: SetCount(static_cast<int>(Message.WParam)); return;
        case LB_ADDSTRING: Message.Result = items_->Add(TextIn(Message)); return;
        case LB_RESETCONTENT: Clear(); return;
        default: break;
    }
    TCustomControl::Dispatch(Message);
}
