#pragma once
// The library's data-aware single-line edit: a masked edit bound to one field
// (or a ";"-separated list of fields) through its own field data link, or
// unbound, holding a Variant. It lays out a row of edit buttons at its right
// edge, an optional image at its left, offers a most-recently-used list, hints
// for text that does not fit, a flat look, and an in-place mode in which a
// host (the grid) owns its keys and placement. A focused edit shows the
// field's edit text, an unfocused one its display text. A text the field
// cannot take is reported with the field's own message and stays in the edit.
#include <memory>
#include <optional>
#include <vector>

#include "grid/ToolCtrlsGx.h"
#include "platform/db/DB.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Mask.h"

// The library's own messages to an edit.
constexpr UINT WM_EDITIMAGECHANGEDGX = WM_USER + 101;  // LParam: the edit image
constexpr UINT WM_IGNORECLICKGX = WM_USER + 102;       // WParam: the button control

// ---------------------------------------------------------------------------
// The binding of a control to fields

class TFieldDataLinkGx : public TDataLink {
public:
    TFieldDataLinkGx();
    const char* ClassName() const override { return "TFieldDataLinkGx"; }

    // The control whose published field names a wrong field in errors.
    TComponent* Control() const { return control_; }
    void SetControl(TComponent* Value) { control_ = Value; }
    // One name, or several separated by ";".
    const AnsiString& FieldName() const { return fieldName_; }
    void SetFieldName(const AnsiString& Value);
    void SetDataSource(TDataSource* Value);
    // The first bound field, or nullptr.
    TField* Field() const { return fields_.empty() ? nullptr : fields_[0]; }
    const std::vector<TField*>& Fields() const { return fields_; }
    bool MultiFields() const { return multiFields_; }
    // Unbound: neither a data source nor a field name.
    bool DataIndependent() const { return dataIndependent_; }
    // Bound: the data set edits and the field can take a value.
    bool Editing() const { return dataIndependent_ ? independentEditing_ : TDataLink::Editing() && CanModify(); }
    bool Modified() const { return modified_; }
    void Modified(bool Value) { modified_ = Value; }
    void SetModified() { modified_ = true; }
    // The unbound value.
    const Variant& Value() const { return value_; }

    bool Edit();
    bool CanModify() const;
    // Before the control's value is set in code: false on a bound control at
    // design time (the field holds the value); else true, a bound link's data
    // set put into edit.
    bool PrepareValueChange();
    // Writes a text or a value to the fields (unbound: keeps it).
    void SetText(const AnsiString& Text);
    void SetValue(const Variant& Value);
    // Reads the value back into the control.
    void Reset() { RecordChanged(nullptr); }
    bool IsBoundField(TField* Field) const;

    TNotifyEvent OnDataChange;
    TNotifyEvent OnEditingChange;
    TNotifyEvent OnUpdateData;
    TNotifyEvent OnActiveChange;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void FocusControl(TField** Field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;
    void DataEvent(TDataEvent Event, intptr_t Info) override;

private:
    void UpdateDataIndependent();
    void UpdateField();
    TComponent* control_ = nullptr;
    AnsiString fieldName_;
    std::vector<TField*> fields_;
    bool multiFields_ = false;
    bool dataIndependent_ = true;
    bool independentEditing_ = false;
    bool modified_ = false;
    Variant value_ = Null();
};

// ---------------------------------------------------------------------------
// The image at the left of an edit

class TEditImageGx : public TPersistent {
    TESK_CLASS(TEditImageGx, TPersistent)
public:
    explicit TEditImageGx(TWinControl* EditControl);
    void Assign(TPersistent* Source) override;

    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* Value);
    bool UseImageHeight() const { return useImageHeight_; }
    void SetUseImageHeight(bool Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    int Width() const { return width_; }
    void SetWidth(int Value);
    // Without telling the edit (it asked for it).
    void SetImageIndexQuietly(int Value) { imageIndex_ = Value; }

private:
    void Changed();
    TWinControl* edit_;
    int imageIndex_ = -1;
    TCustomImageList* images_ = nullptr;
    bool useImageHeight_ = true;
    bool visible_ = false;
    int width_ = 0;
};

// The hint window of an edit's cut text: measured in the edit's font.
class TToolTipsWindow : public THintWindow {
    TESK_CLASS(TToolTipsWindow, THintWindow)
public:
    explicit TToolTipsWindow(TComponent* AOwner) : THintWindow(AOwner) {}
    TRect CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData) override;
};

// ---------------------------------------------------------------------------
// The host of an edit in in-place mode

class IInplaceEditHolderGx {
public:
    virtual ~IInplaceEditHolderGx() = default;
    virtual bool InplaceEditCanModify(TControl* Control) = 0;
    virtual void GetMouseDownInfo(TPoint& Pos, DWORD& Time) = 0;
    virtual void InplaceEditWndProc(TControl* Control, TMessage& Message) = 0;
    virtual void InplaceEditKeyDown(TControl* Control, WORD& Key, TShiftState Shift) = 0;
    virtual void InplaceEditKeyPress(TControl* Control, char& Key) = 0;
    virtual void InplaceEditKeyUp(TControl* Control, WORD& Key, TShiftState Shift) = 0;
};

using TEditCheckDrawRequiredStateEventGx = Delegate<void(TObject* Sender, bool& DrawState)>;
using TGetImageIndexOfEditEventGx = Delegate<void(TObject* Sender, int& ImageIndex)>;
using TUpdateDataEventGx = Delegate<void(TObject* Sender, bool& Handled)>;

// ---------------------------------------------------------------------------
// The edit

class TCustomDBEditGx : public TCustomMaskEdit {
    TESK_CLASS(TCustomDBEditGx, TCustomMaskEdit)
public:
    explicit TCustomDBEditGx(TComponent* AOwner);
    ~TCustomDBEditGx() override;

    // ---- binding
    TDataSource* DataSource() { return GetDataSource(); }
    AnsiString DataField() { return GetDataField(); }
    TField* Field() const { return dataLink_->Field(); }
    TFieldDataLinkGx* DataLink() const { return dataLink_.get(); }
    // The text as a string, or the unbound value.
    Variant Value() { return GetVariantValue(); }
    void SetValue(const Variant& V) { SetVariantValue(V); }
    // Text shown and edited; writing it goes to the field (see UpdateData).
    AnsiString Text() { return TCustomMaskEdit::Text(); }
    void SetText(const AnsiString& Value);
    bool IsTextStored() { return dataLink_->DataIndependent() && !Text().empty(); }

    // ---- look and behaviour
    TAlignment Alignment();
    void SetAlignment(TAlignment Value);
    bool IsAlignmentStored() const { return alignmentSet_; }
    bool AlwaysShowBorder() const { return alwaysShowBorder_; }
    void SetAlwaysShowBorder(bool Value);
    const AnsiString& EditMask() const { return TCustomMaskEdit::EditMask(); }
    void SetEditMask(const AnsiString& Value);
    bool IsEditMaskStored() const { return editMaskSet_; }
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    bool HighlightRequired() const { return highlightRequired_; }
    void SetHighlightRequired(bool Value);
    TCustomImageList* Images() const { return editImage_->Images(); }
    void SetImages(TCustomImageList* Value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value);
    bool ShowHint() const { return showHintSet_; }
    void SetShowHint(bool Value);
    bool Tooltips() const { return tooltips_; }
    void SetTooltips(bool Value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool Value);
    TEditButtonGx* EditButton() const { return editButton_.get(); }
    void SetEditButton(TEditButtonGx* Value) { editButton_->Assign(Value); }
    TEditButtonsGx* EditButtons() const { return editButtons_.get(); }
    void SetEditButtons(TEditButtonsGx* Value) { editButtons_->Assign(Value); }
    TEditImageGx* EditImage() const { return editImage_.get(); }
    void SetEditImage(TEditImageGx* Value) { editImage_->Assign(Value); }
    TMRUListGx* MRUList() const { return mruList_.get(); }
    void SetMRUList(TMRUListGx* Value) { mruList_->Assign(Value); }
    TMRUListboxGx* MRUListbox() const { return mruListbox_; }

    // ---- state
    bool BorderShown() const { return borderShown_; }
    bool ListDroppedDown() const { return droppedDown_; }
    int ButtonsWidth() const { return buttonsWidth_; }
    int ImageWidth() const { return imageWidth_; }
    // The edit-button controls, the first for EditButton.
    int ButtonControlCount() const { return static_cast<int>(buttons_.size()); }
    TEditButtonControlGx* ButtonControl(int Index) const { return buttons_.at(static_cast<size_t>(Index)).Button; }
    TShape* ButtonSeparator(int Index) const { return buttons_.at(static_cast<size_t>(Index)).Separator; }
    // The rectangle the text is drawn in.
    TRect EditRect() { return GetEditRect(); }
    // The text an unfocused edit paints.
    AnsiString DisplayText() { return GetDisplayText(); }

    // ---- in-place mode
    TWinControl* InplaceEditHolder() const { return holder_; }
    void SetInplaceEditHolder(TWinControl* Value);
    void MoveToRect(const TRect& Rect);
    bool InplaceVisible();
    void SetInplaceVisible(bool Value);

    TButtonClickEventGx OnButtonClick;
    TButtonDownEventGx OnButtonDown;
    TEditCheckDrawRequiredStateEventGx OnCheckDrawRequiredState;
    TGetImageIndexOfEditEventGx OnGetImageIndex;
    TUpdateDataEventGx OnUpdateData;

    void SetFocus() override;
    void Dispatch(TMessage& Message) override;
    void WndProc(TMessage& Message) override;
    void Loaded() override;
    void Reset() override;
    bool EditCanModify() override;
    void SetDataSourceProp(TDataSource* Value) { SetDataSource(Value); }
    void SetDataFieldProp(const AnsiString& Value) { SetDataField(Value); }

    // The virtual operations, in the order descendants rely on.
    virtual bool IsValueAvailable() { return true; }
    virtual TFieldDataLinkGx* CreateDataLink() { return new TFieldDataLinkGx(); }
    virtual TEditButtonGx* CreateEditButton() { return new TEditButtonGx(this, false); }
    virtual TEditButtonControlGx* CreateEditButtonControl();
    virtual TEditButtonsGx* CreateEditButtons() { return new TEditButtonsGx(this); }
    virtual TEditImageGx* CreateEditImage() { return new TEditImageGx(this); }
    virtual TMRUListboxGx* CreateMRUListbox();
    virtual bool IsDataIndependent() { return dataLink_->DataIndependent(); }
    virtual TAlignment GetFieldAlignment();
    virtual AnsiString GetFieldEditMask();
    virtual int GetCurrentImageIndex() { return editImage_->ImageIndex(); }
    virtual AnsiString GetDataField() { return dataLink_->FieldName(); }
    virtual TDataSource* GetDataSource() { return dataLink_->DataSource(); }
    virtual AnsiString GetDisplayText();
    virtual Variant GetVariantValue();
    virtual bool IsValidChar(char Key);
    virtual void ActiveChange(TObject* Sender);
    virtual void UpdateHeight();
    virtual void ButtonDown(bool IsDown);
    virtual TRect GetEditRect();
    virtual void CloseUp(bool Accept);
    virtual void DataChanged();
    virtual void DropDown();
    virtual void EditButtonClick(TObject* Sender);
    virtual void EditButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void EditButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    virtual void EditButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void EditingChange(TObject* Sender);
    virtual void FilterMRUItem(const AnsiString& Item, bool& Accept);
    virtual void InternalSetText(const AnsiString& AText);
    virtual void InternalSetValue(const Variant& AValue);
    virtual void UpdateDataLinkValue();
    virtual void StoreMRUListboxSize();
    virtual void PaintRequiredState(TCanvas* ACanvas);
    virtual void UpdateMaxLengthFromField(TField* Field);
    virtual void SetDataField(const AnsiString& Value);
    virtual void SetDataSource(TDataSource* Value);
    virtual void SetFocused(bool Value);
    virtual void SetVariantValue(const Variant& Value);
    virtual void UpdateReadOnlyState();
    virtual void UpdateFixedHeightStyle();
    virtual void SetControlShowHint();
    virtual void UpdateImageIndex();
    virtual void UpdateMRUList();
    virtual void UpdateData(TObject* Sender);

protected:
    void Change() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CreateWnd() override;
    void Resize() override;
    void CMEnter(TMessage& Message) override;
    void CMExit(TMessage& Message) override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMHintShow(TMessage& Message) override;
    void WMPaint(TMessage& Message) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;
    // Rebuilds the button controls from EditButton and EditButtons.
    void UpdateEditButtonControls();
    void UpdateBorderShown();
    bool Focused_() const { return focused_; }
    bool InUpdate() const { return inUpdate_; }
    bool JustDropped() const { return justDropped_; }
    void SetJustDropped(bool Value) { justDropped_ = Value; }
    void SetDroppedDown(bool Value) { droppedDown_ = Value; }
    IInplaceEditHolderGx* InplaceHolderIntf() const { return holderIntf_; }
    bool AllowEnter = false;  // Enter and Tab reach the text
    bool AllowTab = false;
    // Sets the native text without counting it as the user's change.
    void ShowText(const AnsiString& AText);
    // Sets the text as a change of the value, to be written by UpdateData.
    void ChangeText(const AnsiString& AText);
    // Makes EditButton again (a descendant's constructor: the virtual call reaches it there).
    void RecreateEditButton();
    // A key an open drop-down list takes from the edit: page and line moves,
    // and Home or End with Ctrl down.
    static bool IsListMoveKey(WPARAM Key);

private:
    struct TButtonPair {
        TShape* Separator = nullptr;
        TEditButtonControlGx* Button = nullptr;
    };
    void ButtonsChanged(TObject* Sender);
    void DataChangedEvent(TObject* Sender);
    void MRUDropDown(TObject* Sender);
    void MRUCloseUp(TObject* Sender, bool Accept);
    void UpdateEditRect();
    TEditButtonGx* ButtonItem(int Index) const;
    bool IsButtonShortCut(WORD Key, TShiftState Shift);
    void PaintUnfocused(HDC DC);
    void ReportFieldError(const Exception& E);

    bool alwaysShowBorder_ = false;
    bool alignmentSet_ = false;
    bool editMaskSet_ = false;
    std::unique_ptr<TEditButtonGx> editButton_;
    std::unique_ptr<TEditButtonsGx> editButtons_;
    std::unique_ptr<TEditImageGx> editImage_;
    bool flat_ = false;
    bool highlightRequired_ = false;
    std::unique_ptr<TMRUListGx> mruList_;
    TMRUListboxGx* mruListbox_ = nullptr;
    bool readOnly_ = false;
    bool showHintSet_ = false;
    bool tooltips_ = false;
    bool wordWrap_ = false;
    TAlignment alignment_ = taLeftJustify;
    bool borderShown_ = false;
    std::unique_ptr<TFieldDataLinkGx> dataLink_;
    bool inUpdate_ = false;
    bool droppedDown_ = false;
    std::vector<TButtonPair> buttons_;
    bool focused_ = false;
    int imageWidth_ = 0;
    int buttonsWidth_ = 0;
    TWinControl* holder_ = nullptr;
    IInplaceEditHolderGx* holderIntf_ = nullptr;
    bool mouseOver_ = false;
    bool justDropped_ = false;
    bool settingText_ = false;
    bool reportingError_ = false;
    std::optional<Variant> pendingValue_;  // set through Value, not yet written
};
