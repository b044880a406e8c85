#pragma once
// The library's data-aware check box: three states mapped to a field (a
// Boolean field's value, or a text compared with ValueChecked and
// ValueUnchecked, each of which may list ";"-separated alternatives), or to
// an unbound value. Drawn here with the library's button painter; the
// framework's native check box is not used, since its look is specified.
#include "grid/DBCtrlsGx.h"
#include "platform/gui/StdCtrls.h"

using TUpdateCheckDataEventGx = Delegate<void(TObject* Sender, bool& Handled)>;

class TCustomDBCheckBoxGx : public TCustomControl {
    TESK_CLASS(TCustomDBCheckBoxGx, TCustomControl)
public:
    explicit TCustomDBCheckBoxGx(TComponent* AOwner);
    ~TCustomDBCheckBoxGx() override;

    TFieldDataLinkGx* DataLink() const { return dataLink_.get(); }
    TField* Field() const { return dataLink_->Field(); }
    TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(TDataSource* Value);
    const AnsiString& DataField() const { return dataLink_->FieldName(); }
    void SetDataField(const AnsiString& Value);
    bool ReadOnly() const { return dataLink_->ReadOnly(); }
    void SetReadOnly(bool Value) { dataLink_->SetReadOnly(Value); }

    // taRightJustify (the default): the box at the left, the caption to its right.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool Value) { allowGrayed_ = Value; }
    bool AlwaysShowBorder() const { return alwaysShowBorder_; }
    void SetAlwaysShowBorder(bool Value);
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    TCheckBoxState State() const { return state_; }
    // Written from outside: goes to the field at once.
    void SetStateProp(TCheckBoxState Value);
    bool IsStateStored() const { return dataLink_->DataIndependent() && state_ != cbUnchecked; }
    bool Checked() { return GetChecked(); }
    void SetCheckedProp(bool Value) { SetChecked(Value); }
    const AnsiString& ValueChecked() const { return valueChecked_; }
    void SetValueChecked(const AnsiString& Value);
    const AnsiString& ValueUnchecked() const { return valueUnchecked_; }
    void SetValueUnchecked(const AnsiString& Value);
    bool Modified() const { return modified_; }
    bool Pressed() const { return pressed_; }
    // The state the field's value gives.
    TCheckBoxState FieldState();

    TUpdateCheckDataEventGx OnUpdateData;

    virtual bool IsDataIndependent() { return dataLink_->DataIndependent(); }
    virtual void DrawCaption(TCanvas* ACanvas, TRect Rect);
    virtual void DrawCheck(TCanvas* ACanvas, TRect Rect);
    virtual void DrawCheckBoxAndCaption(TCanvas* ACanvas);
    virtual void SetState(TCheckBoxState Value);
    virtual void UpdateDataLinkValue();
    virtual void Toggle();
    virtual void UpdateData(TObject* Sender);
    virtual bool GetChecked() { return state_ == cbChecked; }
    virtual void SetChecked(bool Value) { SetStateProp(Value ? cbChecked : cbUnchecked); }

    void Dispatch(TMessage& Message) override;
    void WndProc(TMessage& Message) override;
    void CMExit(TMessage& Message) override;
    void CMEnter(TMessage& Message) override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    void CMTextChanged(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;

protected:
    void Paint() override;
    void CreateWnd() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // The box's square and the caption's rectangle.
    TRect CheckRect();
    TRect CaptionRect();

private:
    void DataChange(TObject* Sender);
    bool MatchesAlternative(const AnsiString& Text, const AnsiString& Alternatives);
    std::unique_ptr<TFieldDataLinkGx> dataLink_;
    TAlignment alignment_ = taRightJustify;
    bool allowGrayed_ = false;
    bool alwaysShowBorder_ = false;
    bool clicksDisabled_ = false;
    bool mouseOver_ = false;
    bool modified_ = false;
    bool flat_ = false;
    TCheckBoxState state_ = cbUnchecked;
    AnsiString valueChecked_ = "True";
    AnsiString valueUnchecked_ = "False";
    bool inUpdate_ = false;
    bool pressed_ = false;
    bool mousePressed_ = false;
};

class TDBCheckBoxGx : public TCustomDBCheckBoxGx {
    TESK_CLASS(TDBCheckBoxGx, TCustomDBCheckBoxGx)
public:
    explicit TDBCheckBoxGx(TComponent* AOwner) : TCustomDBCheckBoxGx(AOwner) {}
};
