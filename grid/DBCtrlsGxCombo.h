#pragma once
// The library's data-aware combo box, on the data-aware edit. With Items only
// it offers them as completions of free text; with KeyItems it is a pick list
// that stores the key of the chosen item and shows its text (the text itself
// is then read-only, and typing searches the items).
#include "grid/DBCtrlsGx.h"
#include "grid/DBGridGxTypes.h"

class TDropDownBoxGx : public TPersistent {
    TESK_CLASS(TDropDownBoxGx, TPersistent)
public:
    TDropDownBoxGx() = default;
    void Assign(TPersistent* Source) override;

    TDropDownAlign Align() const { return align_; }
    void SetAlign(TDropDownAlign Value) { align_ = Value; }
    // Typing a character opens the list.
    bool AutoDrop() const { return autoDrop_; }
    void SetAutoDrop(bool Value) { autoDrop_ = Value; }
    int Rows() const { return rows_; }
    void SetRows(int Value) { rows_ = Value; }
    // The list has a size grip.
    bool Sizable() const { return sizable_; }
    void SetSizable(bool Value) { sizable_ = Value; }
    // 0: the edit's width; -1: the widest item's.
    int Width() const { return width_; }
    void SetWidth(int Value) { width_ = Value; }

private:
    TDropDownAlign align_ = daLeft;
    bool autoDrop_ = false;
    int rows_ = 7;
    bool sizable_ = false;
    int width_ = 0;
};

using TAcceptEventGx = Delegate<void(TObject* Sender, bool& Accept)>;
using TGetItemsCountEventGx = Delegate<int(TObject* Sender)>;

class TCustomDBComboBoxGx : public TCustomDBEditGx {
    TESK_CLASS(TCustomDBComboBoxGx, TCustomDBEditGx)
public:
    explicit TCustomDBComboBoxGx(TComponent* AOwner);
    ~TCustomDBComboBoxGx() override;

    TDropDownBoxGx* DropDownBox() const { return dropDownBox_.get(); }
    void SetDropDownBox(TDropDownBoxGx* Value) { dropDownBox_->Assign(Value); }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int Value);
    TStrings* Items() const { return items_.get(); }
    void SetItems(TStrings* Value) { items_->Assign(Value); }
    TStrings* KeyItems() const { return keyItems_.get(); }
    void SetKeyItems(TStrings* Value) { keyItems_->Assign(Value); }
    // KeyItems is not empty: the combo stores keys.
    bool KeyBased() const { return keyBased_; }
    int ItemsCount() const { return itemsCount_; }
    bool ListVisible() const { return ListDroppedDown(); }
    // Created on the first drop-down.
    TPopupListboxGx* PopupList() const { return popupList_; }
    // The list's class (a replacement serves if it offers the popup list's operations).
    using TPopupListCreate = TPopupListboxGx* (*)(TComponent* Owner);
    void SetPopupListClass(TPopupListCreate Value) { popupListCreate_ = Value; }

    TNotInListEventGx OnNotInList;
    TCloseUpEventGx OnCloseUp;
    TAcceptEventGx OnClosingUp;
    TNotifyEvent OnDropDown;
    TGetImageIndexEventGx OnGetItemImageIndex;
    TGetItemsCountEventGx OnGetItemsCount;

    virtual bool LocateText(const AnsiString& AText, bool Partial);
    virtual void ProcessSearchKey(char Key);
    virtual int GetItemsCount();
    virtual void InternalSetItemIndex(int Index);

    void Clear();
    void WndProc(TMessage& Message) override;

    TEditButtonGx* CreateEditButton() override;
    TAlignment GetFieldAlignment() override;
    int GetCurrentImageIndex() override;
    AnsiString GetDisplayText() override;
    Variant GetVariantValue() override;
    bool IsValidChar(char Key) override;
    void ButtonDown(bool IsDown) override;
    void CloseUp(bool Accept) override;
    void DataChanged() override;
    void DropDown() override;
    void EditButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) override;
    void InternalSetText(const AnsiString& AText) override;
    void InternalSetValue(const Variant& AValue) override;
    void UpdateDataLinkValue() override;
    void UpdateMaxLengthFromField(TField* Field) override;
    void UpdateReadOnlyState() override;
    void UpdateImageIndex() override;
    void UpdateData(TObject* Sender) override;

protected:
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void CMExit(TMessage& Message) override;

private:
    void ItemsChanged(TObject* Sender);
    void KeyItemsChanged(TObject* Sender);
    void ListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ListGetImageIndex(TObject* Sender, int ItemIndex, int& ImageIndex);
    bool MayChange();
    // Up (-1) or down (+1) by one item, as the arrow keys and the wheel do.
    bool StepItem(int Delta);
    void CompleteText(char Key);
    int IndexOfText(const AnsiString& AText) const;
    std::unique_ptr<TDropDownBoxGx> dropDownBox_;
    int itemIndex_ = -1;
    std::unique_ptr<TStringList> items_;
    std::unique_ptr<TStringList> keyItems_;
    TPopupListboxGx* popupList_ = nullptr;
    TPopupListCreate popupListCreate_ = nullptr;
    int itemsCount_ = 0;
    bool keyBased_ = false;
    Variant value_ = Null();
    int imageIndex_ = -1;
    int widthBeforeSizing_ = -1;
    int rowsBeforeSizing_ = -1;
};

class TDBComboBoxGx : public TCustomDBComboBoxGx {
    TESK_CLASS(TDBComboBoxGx, TCustomDBComboBoxGx)
public:
    explicit TDBComboBoxGx(TComponent* AOwner) : TCustomDBComboBoxGx(AOwner) {}
};
