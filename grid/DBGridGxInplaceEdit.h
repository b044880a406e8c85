#pragma once
// The data grid's in-place cell editor: the edit box that TCustomDBGridGx lays
// over its focused data cell. Beyond the framework's editor it takes the
// current column's look (alignment, font, colour, read-only state, edit mask,
// which is stored and not enforced), and the column's edit style with the
// button and pop-up behind it: a pick list, the column's lookup grid, a month
// calendar, a calculator or up-down steps, plus the column's extra edit
// buttons, completion while typing in list columns, an image beside the text,
// the required-field mark and the column's MRU list.
//
// The text reaches the grid on every change (the grid's edit text); the grid
// writes it into the field when the edit is committed (UpdateData). Composed
// input-method text arrives as plain characters: the code page has no lead
// bytes, so nothing is ever joined, and the system keeps no input-method
// settings per window (ImeName and ImeMode are stored only).
#include <vector>

#include "grid/CalcGx.h"
#include "grid/DBGridGx.h"
#include "grid/ToolCtrlsGx.h"

class TPopupDataGridGx;

// A column's lookup grid, handed out by the unit that makes it (nullptr until
// then, and for a column without lookup field): the editor only borrows it.
using TColumnDataListProc = TPopupDataGridGx* (*)(TColumnGx* Column);
extern TColumnDataListProc ColumnDataListHook;

class TDBGridInplaceEdit : public TInplaceEdit, public IPopupOwnerGx {
    TESK_CLASS(TDBGridInplaceEdit, TInplaceEdit)
public:
    explicit TDBGridInplaceEdit(TComponent* AOwner);
    ~TDBGridInplaceEdit() override;

    TCustomDBGridGx* DBGrid() const;
    // The column under the editor, nullptr when there is none.
    TColumnGx* Column() const;
    TDataSource* DataSource() const { return dataSource_; }

    TEditStyleGx EditStyle() const { return editStyle_; }
    // Stores the style, picks the pop-up that goes with it and follows the column's read-only state.
    void SetEditStyle(TEditStyleGx Value);
    TWinControl* ActiveList() const { return activeList_; }
    bool ListVisible() const { return listVisible_; }
    // The pop-ups, made on first use.
    TPopupListboxGx* PickList();
    TPopupMonthCalendarGx* Calendar();
    TPopupDataGridGx* DataList() const { return dataList_; }
    TMRUListGx* MRUList() const { return mruList_; }
    TMRUListboxGx* MRUListbox() const { return mruListbox_; }
    int ButtonWidth() const;
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool Value);
    int ImageIndex() const { return imageIndex_; }
    // The main button first, then the column's visible extra buttons.
    int ButtonControlCount() const { return static_cast<int>(buttons_.size()); }
    TEditButtonControlGx* ButtonControl(int Index) const { return buttons_.at(static_cast<size_t>(Index)).Control; }

    void DropDown();
    void CloseUp(bool Accept) override;

    void UpdateContents() override;
    void BoundsChanged() override;
    void Dispatch(TMessage& Message) override;
    void WndProc(TMessage& Message) override;

    // The virtual operations, in slot order.
    virtual void UpdateImageIndex();
    virtual TEditButtonControlGx* CreateEditButtonControl();
    virtual TMRUListboxGx* CreateMRUListControl();
    virtual TPopupCalculatorGx* GetPopupCalculator();
    virtual void EditButtonDown(bool BottomHalf);
    virtual void UpdateEditRect();
    // Completes Text typed before the caret from the column's list; true when the key is consumed.
    virtual bool ProcessTypedText(const AnsiString& Text);
    virtual void EditButtonClick(TObject* Sender);
    virtual void EditButtonMouseDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
    virtual void EditButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    virtual void ListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void FilterMRUItem(const AnsiString& Item, bool& Accept);
    virtual void UpdateMRUList();
    virtual void PaintRequiredState(TCanvas* ACanvas);
    virtual void EditTextChanged();

protected:
    void CreateParams(TCreateParams& Params) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void Change() override;
    void KeyPress(char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void WMKillFocus(TMessage& Message) override;
    void WMChar(TMessage& Message) override;

private:
    struct TButton {
        TEditButtonControlGx* Control = nullptr;
        TEditButtonGx* Item = nullptr;  // nullptr for the main button
    };
    // The style UpdateContents applies: GetColumnEditStyle's, with every key field of a lookup modifiable.
    TEditStyleGx ContentsEditStyle(TColumnGx* Column);
    void TakeColumnLook(TColumnGx* Column);
    void UpdateButtons(TColumnGx* Column);
    void ClearButtons();
    // The button whose control is Sender, nullptr when none is.
    const TButton* ButtonOf(TObject* Sender) const;
    int ButtonsWidth() const;
    int ImageRoom();
    // Keys for an open or openable pop-up; true when consumed.
    bool DropDownKeys(TMessage& Message);
    bool PopupOwnsKey(WORD Key, TShiftState Shift) const;
    void FollowPopupSelection();
    bool MRUKeys(TMessage& Message);
    bool EditKeyDown(WORD& Key, TShiftState Shift);
    bool OverText(int X, int Y) const;
    bool HasDropDownStyle() const;
    void StepValue(bool Up);
    void DropDownPickList(TColumnGx* Column);
    void DropDownDataList(TColumnGx* Column);
    void PlacePopup(TWinControl* Popup);
    void AcceptChoice(TColumnGx* Column);
    void TextToGrid();
    void SetEditorText(const AnsiString& Text, int SelStart, int SelLength);
    bool CompleteFromLookup(TColumnGx* Column, const AnsiString& Candidate);
    bool CompleteFromPickList(TColumnGx* Column, const AnsiString& Candidate);
    void DataListCloseUp(TObject* Sender, bool Accept);
    void MRUCloseUp(TObject* Sender, bool Accept);
    void ButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
    void ButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void ButtonClick(TObject* Sender);
    void PickListGetImageIndex(TObject* Sender, int ItemIndex, int& ImageIndex);

    TDataSource* dataSource_ = nullptr;
    TEditStyleGx editStyle_ = esSimpleGx;
    TWinControl* activeList_ = nullptr;
    bool listVisible_ = false;
    TPopupListboxGx* pickList_ = nullptr;
    TPopupDataGridGx* dataList_ = nullptr;
    TPopupMonthCalendarGx* calendar_ = nullptr;
    TPopupCalculatorGx* calculator_ = nullptr;
    TMRUListGx* mruList_ = nullptr;
    TMRUListboxGx* mruListbox_ = nullptr;
    std::vector<TButton> buttons_;
    bool wantReturns_ = false;
    int imageIndex_ = -1;
    bool textChanged_ = false;
    int listWidthBefore_ = 0;
    int listHeightBefore_ = 0;
    bool inMessage_ = false;
    bool mruPending_ = false;
    bool settingText_ = false;
    unsigned char swallowChar_ = 0;
    AnsiString textBeforeDrop_;
};
