#pragma once
// The standard controls: labels, buttons, check boxes, radio buttons, group
// boxes, edits, memos, combo boxes, list boxes and scroll bars.
//
// Controls whose behaviour is only their public properties and events show a
// native widget as their window (TWidgetControl); the window procedure still
// sees every message first, and the widget's own handling is what the default
// processing runs. The label and the list box are drawn here on the canvas: a
// label has no window, and a list box's owner drawing and item geometry are
// ours. Strings are bytes of the active code page; the widgets get Unicode.
#include <cstdint>
#include <vector>

#include "platform/classes/Alignment.h"
#include "platform/classes/Strings.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Controls.h"

TESK_ENUM_INFO(TAlignment, taLeftJustify, taRightJustify, taCenter)

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
TESK_ENUM_INFO(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth)

enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };
enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };

TESK_ENUM_INFO(TTextLayout, tlTop, tlCenter, tlBottom)
TESK_ENUM_INFO(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase)
TESK_ENUM_INFO(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed)
TESK_ENUM_INFO(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable)
TESK_ENUM_INFO(TListBoxStyle, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw)
TESK_ENUM_INFO(TScrollBarKind, sbHorizontal, sbVertical)
TESK_ENUM_INFO(TScrollCode, scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom,
               scEndScroll)

// The state an owner-drawn item is drawn in (a set).
using TOwnerDrawState = uint16_t;
enum : TOwnerDrawState {
    odSelected = 1u << 0,
    odGrayed = 1u << 1,
    odDisabled = 1u << 2,
    odChecked = 1u << 3,
    odFocused = 1u << 4,
    odDefault = 1u << 5,
    odHotLight = 1u << 6,
    odInactive = 1u << 7,
    odNoAccel = 1u << 8,
    odNoFocusRect = 1u << 9,
    odComboBoxEdit = 1u << 12,
};

class TWinControl;
class TCustomListBox;
using TDrawItemEvent = Delegate<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = Delegate<void(TWinControl* Control, int Index, int& Height)>;
using TLBGetDataEvent = Delegate<void(TWinControl* Control, int Index, AnsiString& Data)>;
using TScrollEvent = Delegate<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

// ---- Controls shown by a native widget ----

// The widget and whatever its control keeps beside it; defined where the widgets are made.
struct TNativeWidget;

class TWidgetControl : public TWinControl {
    TESK_CLASS(TWidgetControl, TWinControl)
public:
    ~TWidgetControl() override;
    TNativeWidget* NativeWidget() const { return native_; }
    // The text of the widget, with or without a window.
    AnsiString GetText() override;

    void CMFontChanged(TMessage& Message) override;
    void CMColorChanged(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;

protected:
    // Native is the widget made by the derived class; the control owns it.
    TWidgetControl(TComponent* AOwner, TNativeWidget* Native);
    void CreateWindowHandle(const TCreateParams& Params) override;
    // The widget's own processing; a right-button release asks for the context menu.
    void DefaultHandler(TMessage& Message) override;
    // Font, colours and the enabled state onto the widget.
    virtual void UpdateNativeLook();

    TNativeWidget* native_;
};

// ---- Labels ----

class TCustomLabel : public TGraphicControl {
    TESK_CLASS(TCustomLabel, TGraphicControl)
public:
    explicit TCustomLabel(TComponent* AOwner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    // Width (and, with WordWrap, height) follow the text as drawn in the label's font.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool Value);
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* Value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout Value);
    // '&' marks the accelerator (drawn underlined); off, '&' is drawn as it is.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool Value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool Value);
    void AdjustBounds();

    void CMTextChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void Loaded() override;

protected:
    void Paint() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Draws (or, with DT_CALCRECT in Flags, measures) the caption into Rect.
    virtual void DoDrawText(TRect& Rect, UINT Flags);
    virtual AnsiString GetLabelText();

private:
    TAlignment alignment_ = taLeftJustify;
    bool autoSize_ = true;
    TWinControl* focusControl_ = nullptr;
    TTextLayout layout_ = tlTop;
    bool showAccelChar_ = true;
    bool transparent_ = false;
    bool wordWrap_ = false;
};

class TLabel : public TCustomLabel {
    TESK_CLASS(TLabel, TCustomLabel)
public:
    explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};

// ---- Buttons, check boxes, radio buttons ----

class TButtonControl : public TWidgetControl {
    TESK_CLASS(TButtonControl, TWidgetControl)
public:
    ~TButtonControl() override;
    // The action whose caption, enabled state, hint and click the button shows.
    TBasicAction* Action() const;
    void SetAction(TBasicAction* Value);
    virtual bool Checked() const { return false; }
    virtual void SetChecked(bool) {}
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool Value);
    void Click() override;

protected:
    TButtonControl(TComponent* AOwner, TNativeWidget* Native);
    // While set, a change of Checked does not count as a click.
    bool ClicksDisabled() const { return clicksDisabled_; }
    void SetClicksDisabled(bool Value) { clicksDisabled_ = Value; }
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    TControlActionLink* actionLink_ = nullptr;

private:
    void DoActionChange(TObject* Sender);
    bool clicksDisabled_ = false;
    bool wordWrap_ = false;
};

class TButton : public TButtonControl {
    TESK_CLASS(TButton, TButtonControl)
public:
    explicit TButton(TComponent* AOwner);
    // Enter anywhere on the form clicks the default button (unless another button has the focus).
    bool Default() const { return default_; }
    void SetDefault(bool Value);
    // Esc anywhere on the form clicks the cancel button.
    bool Cancel() const { return cancel_; }
    void SetCancel(bool Value) { cancel_ = Value; }
    // Clicking sets the form's ModalResult to this.
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int Value) { modalResult_ = Value; }
    void Click() override;

    void Dispatch(TMessage& Message) override;
    void CMDialogKey(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;
    void CMFocusChanged(TMessage& Message) override;

protected:
    void DefaultHandler(TMessage& Message) override;

private:
    void UpdateDefaultLook();
    bool default_ = false;
    bool cancel_ = false;
    int modalResult_ = 0;
    bool active_ = false;  // the button that Enter would click now
};

class TCustomCheckBox : public TButtonControl {
    TESK_CLASS(TCustomCheckBox, TButtonControl)
public:
    explicit TCustomCheckBox(TComponent* AOwner);
    // Where the caption stands beside the box: taRightJustify puts it on the right.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool Value) { allowGrayed_ = Value; }
    TCheckBoxState State() const { return state_; }
    // Setting a new state clicks the box (OnClick), unless clicks are disabled.
    void SetState(TCheckBoxState Value);
    bool Checked() const override { return state_ == cbChecked; }
    void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
    // What a click by the user does: unchecked -> (grayed ->) checked -> unchecked.
    virtual void Toggle();
    // The width that shows the box and its whole caption on one line, in the
    // control's font.
    int CaptionFitWidth() const;

    void Dispatch(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;

protected:
    void DefaultHandler(TMessage& Message) override;

private:
    TAlignment alignment_ = taRightJustify;
    bool allowGrayed_ = false;
    TCheckBoxState state_ = cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
    TESK_CLASS(TCheckBox, TCustomCheckBox)
public:
    explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
};

// Checking a radio button unchecks the radio buttons beside it (same parent).
class TRadioButton : public TButtonControl {
    TESK_CLASS(TRadioButton, TButtonControl)
public:
    explicit TRadioButton(TComponent* AOwner);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    bool Checked() const override { return checked_; }
    void SetChecked(bool Value) override;

    void Dispatch(TMessage& Message) override;
    void CMDialogChar(TMessage& Message) override;

protected:
    void DefaultHandler(TMessage& Message) override;

private:
    TAlignment alignment_ = taRightJustify;
    bool checked_ = false;
};

// ---- Group box ----

class TCustomGroupBox : public TWidgetControl {
    TESK_CLASS(TCustomGroupBox, TWidgetControl)
public:
    explicit TCustomGroupBox(TComponent* AOwner);
    void CMDialogChar(TMessage& Message) override;
    void CMTextChanged(TMessage& Message) override;

protected:
    // Below the caption and inside the frame.
    void AdjustClientRect(TRect& Rect) override;
    void DefaultHandler(TMessage& Message) override;
};

class TGroupBox : public TCustomGroupBox {
    TESK_CLASS(TGroupBox, TCustomGroupBox)
public:
    explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
};

// ---- Edits and memos ----

// An edit control: single line (a memo: several). Positions (SelStart,
// EM_GETSEL) count a line break as the two characters CR LF, as the text
// does. The edit messages (EM_GETSEL, EM_SETSEL, EM_SETRECTNP, EM_REPLACESEL,
// EM_GETMODIFY, ..., WM_CUT/WM_COPY/WM_PASTE/WM_CLEAR/WM_UNDO, WM_GETTEXT,
// WM_SETTEXT) are answered by the default processing, so a derived class sees
// them first; characters typed or sent as WM_CHAR go in the same way. A change
// of the text sends EN_CHANGE to the parent, which hands it back as CN_COMMAND
// (OnChange); without a parent window the change is reported at once.
class TCustomEdit : public TWidgetControl {
    TESK_CLASS(TCustomEdit, TWidgetControl)
public:
    explicit TCustomEdit(TComponent* AOwner);

    // Selects the whole text when the edit is entered with the keyboard.
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool Value) { autoSelect_ = Value; }
    // The height follows the font.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool Value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle Value);
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase Value);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool Value) { hideSelection_ = Value; }
    // 0: no limit of ours.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int Value);
    bool OEMConvert() const { return oemConvert_; }
    void SetOEMConvert(bool Value) { oemConvert_ = Value; }
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char Value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value);
    // Changed by the user since the text was last set.
    bool Modified();
    void SetModified(bool Value);
    bool CanUndo();

    int SelStart();
    void SetSelStart(int Value);
    int SelLength();
    void SetSelLength(int Value);
    AnsiString SelText();
    void SetSelText(const AnsiString& Value);
    void SelectAll();
    void ClearSelection();
    void Clear();
    void ClearUndo();
    void Undo();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    TNotifyEvent OnChange;

    void Dispatch(TMessage& Message) override;
    void CMEnter(TMessage& Message) override;

protected:
    TCustomEdit(TComponent* AOwner, bool MultiLine);
    virtual void Change();
    // The edit window's own processing of the edit and text messages.
    void DefaultHandler(TMessage& Message) override;
    void UpdateNativeLook() override;
    void Loaded() override;
    void AdjustHeight();
    bool MultiLine() const { return multiLine_; }

private:
    void TextChanged();
    friend struct TEditNative;
    bool multiLine_;
    bool autoSelect_ = true;
    bool autoSize_ = true;
    TBorderStyle borderStyle_ = bsSingle;
    TEditCharCase charCase_ = ecNormal;
    bool hideSelection_ = true;
    int maxLength_ = 0;
    bool oemConvert_ = false;
    char passwordChar_ = 0;
    bool readOnly_ = false;
    bool creating_ = false;
};

class TEdit : public TCustomEdit {
    TESK_CLASS(TEdit, TCustomEdit)
public:
    explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

class TCustomMemo : public TCustomEdit {
    TESK_CLASS(TCustomMemo, TCustomEdit)
public:
    explicit TCustomMemo(TComponent* AOwner);
    ~TCustomMemo() override;
    // One item per line; Lines->Text and the memo's Text use CR LF.
    TStrings* Lines() const { return lines_; }
    void SetLines(TStrings* Value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle Value);
    // Lines wrap at the window's width (Lines still counts the lines of the text).
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool Value);
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool Value) { wantReturns_ = Value; }
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool Value) { wantTabs_ = Value; }
    // The caret as (column, line), both from 0.
    TPoint CaretPos();
    void SetCaretPos(TPoint Value);
    // Scrolls the text so that the caret is in view.
    void ScrollCaret();
    // Adds the lines after the last one in one edit of the text, laid out
    // once: what a Lines()->Add of each would leave.
    void AppendLines(const std::vector<AnsiString>& NewLines);

    void Dispatch(TMessage& Message) override;

protected:
    void DefaultHandler(TMessage& Message) override;

private:
    TStrings* lines_;
    TAlignment alignment_ = taLeftJustify;
    TScrollStyle scrollBars_ = ssNone;
    bool wordWrap_ = true;
    bool wantReturns_ = true;
    bool wantTabs_ = false;
};

class TMemo : public TCustomMemo {
    TESK_CLASS(TMemo, TCustomMemo)
public:
    explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
};

// ---- Combo box ----

// OnChange and OnClick come from the user only: a choice from the list fires
// OnClick and then OnSelect (or OnChange without OnSelect), typing fires
// OnChange. Setting Text or ItemIndex in code fires neither. With Sorted,
// Items->Add puts an item in its place; Insert puts it where it is told.
class TCustomComboBox : public TWidgetControl {
    TESK_CLASS(TCustomComboBox, TWidgetControl)
public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle Value);
    TStrings* Items() const { return items_; }
    void SetItems(TStrings* Value);
    int ItemIndex();
    void SetItemIndex(int Value);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool Value);
    // The most rows the open list shows.
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int Value);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int Value) { itemHeight_ = Value; }
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase Value) { charCase_ = Value; }
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int Value);
    bool DroppedDown();
    void SetDroppedDown(bool Value);
    int SelStart();
    void SetSelStart(int Value);
    int SelLength();
    void SetSelLength(int Value);
    AnsiString SelText();
    void SelectAll();
    void Clear();
    void AddItem(const AnsiString& Item, TObject* AObject) { items_->AddObject(Item, AObject); }

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

    void Dispatch(TMessage& Message) override;
    void Loaded() override;

protected:
    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    void DefaultHandler(TMessage& Message) override;
    void UpdateNativeLook() override;

private:
    friend struct TComboNative;
    void UserChose(int Index);
    void UserTyped();
    TStrings* items_;
    TComboBoxStyle style_ = csDropDown;
    bool sorted_ = false;
    int dropDownCount_ = 8;
    int itemHeight_ = 16;
    TEditCharCase charCase_ = ecNormal;
    int maxLength_ = 0;
    int loadedIndex_ = -1;  // an ItemIndex read before the items
};

class TComboBox : public TCustomComboBox {
    TESK_CLASS(TComboBox, TCustomComboBox)
public:
    explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};

// ---- List box ----

// A list drawn here: lbStandard draws the items' text, the owner-draw styles
// call DrawItem (OnDrawItem) per visible item with its rectangle and state,
// and the virtual styles take the count from Count and the text from OnData.
// The vertical scroll bar of the window scrolls by items.
class TCustomListBox : public TCustomControl {
    TESK_CLASS(TCustomListBox, TCustomControl)
public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle Value);
    TStrings* Items() const { return items_; }
    void SetItems(TStrings* Value);
    // The number of items; for the virtual styles it is set here.
    int Count() const;
    void SetCount(int Value);
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int Value);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int Value);
    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int Value);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool Value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle Value);
    bool IntegralHeight() const { return integralHeight_; }
    void SetIntegralHeight(bool Value) { integralHeight_ = Value; }
    // The item under a client point: -1 off the items, or (Existing false) the
    // index the point would have.
    int ItemAtPos(TPoint Pos, bool Existing);
    TRect ItemRect(int Index);
    // The text of an item (OnData for the virtual styles).
    AnsiString ItemText(int Index);
    void Clear();
    void AddItem(const AnsiString& Item, TObject* AObject) { items_->AddObject(Item, AObject); }
    // The rows that fit in the window.
    int VisibleRows();

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;
    TLBGetDataEvent OnData;

    void Dispatch(TMessage& Message) override;
    void WMKeyDown(TMessage& Message) override;
    void WMVScroll(TMessage& Message) override;
    void WMSize(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;

protected:
    void Paint() override;
    // Draws one item; the default fills the rectangle and writes the text.
    virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DblClick() override;
    void DoEnter() override;
    void DoExit() override;
    // A change of the items (from Items or Count).
    virtual void ItemsChanged();

private:
    friend class TListBoxStrings;
    bool IsVirtual() const { return style_ == lbVirtual || style_ == lbVirtualOwnerDraw; }
    void UpdateScrollBar();
    void MakeVisible(int Index);
    int SelectString(int Start, const AnsiString& Prefix);
    void SelectFromUser(int Index);
    TStrings* items_;
    TListBoxStyle style_ = lbStandard;
    int virtualCount_ = 0;
    int itemIndex_ = -1;
    int itemHeight_ = 13;
    int topIndex_ = 0;
    bool sorted_ = false;
    TBorderStyle borderStyle_ = bsSingle;
    bool integralHeight_ = false;
    bool tracking_ = false;
};

class TListBox : public TCustomListBox {
    TESK_CLASS(TListBox, TCustomListBox)
public:
    explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
};

// ---- Scroll bar ----

class TScrollBar : public TWidgetControl {
    TESK_CLASS(TScrollBar, TWidgetControl)
public:
    explicit TScrollBar(TComponent* AOwner);
    TScrollBarKind Kind() const { return kind_; }
    void SetKind(TScrollBarKind Value);
    int Min() const { return min_; }
    void SetMin(int Value) { SetParams(position_, Value, max_); }
    int Max() const { return max_; }
    void SetMax(int Value) { SetParams(position_, min_, Value); }
    int Position() const { return position_; }
    void SetPosition(int Value) { SetParams(Value, min_, max_); }
    int PageSize() const { return pageSize_; }
    void SetPageSize(int Value);
    int SmallChange() const { return smallChange_; }
    void SetSmallChange(int Value) { smallChange_ = Value; }
    int LargeChange() const { return largeChange_; }
    void SetLargeChange(int Value) { largeChange_ = Value; }
    // Raises EInvalidOperation "Scroll bar property out of range" when Min > Max.
    void SetParams(int APosition, int AMin, int AMax);

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;

    void Dispatch(TMessage& Message) override;

protected:
    virtual void Change();
    virtual void Scroll(TScrollCode ScrollCode, int& ScrollPos);

private:
    friend struct TScrollBarNative;
    void UserAction(int Action);
    void UpdateNative();
    TScrollBarKind kind_ = sbHorizontal;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int pageSize_ = 0;
    int smallChange_ = 1;
    int largeChange_ = 1;
};
