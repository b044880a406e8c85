#pragma once
// A four-function calculator control and its drop-down variant. The keys and
// the display come from the calculator's form definition; ProcessKey is the
// whole state machine, so typed characters, key clicks and tests all go
// through it. Division by zero, 1/0 and the root of a negative number show
// "Error" instead of raising; only C or Escape leave it.
#include "grid/ToolCtrlsGx.h"
#include "grid/ToolCtrlsGxSpeedButton.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"

// Sent to a popup calculator: close without taking the value.
constexpr UINT WM_CLOSEPOPUPGX = WM_USER + 101;

class TCalculatorGx : public TCustomControl {
    TESK_CLASS(TCalculatorGx, TCustomControl)
public:
    enum TCalcStatus { csFirstGx = 0, csValidGx = 1, csErrorGx = 2 };

    explicit TCalculatorGx(TComponent* AOwner);

    // The display as a number; Null while the display shows "Error" (our
    // variants have no error kind). Writing clears the calculator first.
    Variant Value();
    void SetValue(const Variant& Value);
    // One key: a digit, the decimal separator, an operator, 'C', 'A' (Cancel,
    // ignored), 'I' (sign), 'R' (1/x), 'S' (root), backspace, Escape, Ctrl+C, Ctrl+V.
    virtual void ProcessKey(char Key);

    TCalcStatus Status() const { return status_; }
    AnsiString DisplayText() const;
    // The equal key's caption: "=" while an operation waits for its operand, else "Ok".
    AnsiString EqualCaption() const;
    char PendingOperator() const { return operator_; }

    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle Value);
    int PixelsPerInch() const;
    void SetPixelsPerInch(int Value);
    bool OldCreateOrder() const { return false; }
    void SetOldCreateOrder(bool) {}
    int TextHeight() const { return textHeight_; }
    void SetTextHeight(int Value) { textHeight_ = Value; }
    int GetClientWidth() { return ClientWidth(); }
    void SetClientWidthProp(int Value);
    int GetClientHeight() { return ClientHeight(); }
    void SetClientHeightProp(int Value);

    // The form's parts.
    TPanel* Panel1 = nullptr;
    TLabel* TextBox = nullptr;
    TSpeedButtonGx* spEqual = nullptr;
    void SpeedButtonClick(TObject* Sender);

    // The key for a tag of the table (0 and unknown tags: none).
    static char KeyOfTag(int Tag);

    void Loaded() override;
    void Dispatch(TMessage& Message) override;

protected:
    // The definition is read by the constructor under this name.
    explicit TCalculatorGx(TComponent* AOwner, bool ReadDefinition);
    void ReadDefinition();
    void CreateParams(TCreateParams& Params) override;
    void KeyPress(char& Key) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    // Every key of the form.
    std::vector<TSpeedButtonGx*> Keys();

private:
    void SetDisplay(double R);
    double GetDisplay();
    void SetText(const AnsiString& S);
    void Error();
    void Clear();
    void CheckFirst();
    void UpdateEqualCaption();
    TBorderStyle borderStyle_ = bsNone;
    int pixelsPerInch_ = 0;
    bool pixelsPerInchRead_ = false;
    int textHeight_ = 0;
    int heldClientWidth_ = -1;
    int heldClientHeight_ = -1;
    TCalcStatus status_ = csFirstGx;
    char operator_ = '=';
    double operand_ = 0;
};

// What the control that opened a popup calculator sees of it.
class IPopupCalculatorGx {
public:
    virtual ~IPopupCalculatorGx() = default;
    virtual bool IsEqualKeyOk() = 0;
    virtual bool GetFlat() = 0;
    virtual Variant GetValue() = 0;
    virtual void SetFlat(bool Value) = 0;
    virtual void SetValue(const Variant& Value) = 0;
};

// The calculator under an edit: a 3-D popup that never takes the focus and
// closes through its owner's IPopupOwnerGx.
class TPopupCalculatorGx : public TCalculatorGx, public IPopupCalculatorGx {
    TESK_CLASS(TPopupCalculatorGx, TCalculatorGx)
public:
    explicit TPopupCalculatorGx(TComponent* AOwner);

    void ProcessKey(char Key) override;
    bool IsEqualKeyOk() override { return EqualCaption() == "Ok"; }
    bool GetFlat() override { return flat_; }
    Variant GetValue() override { return Value(); }
    void SetFlat(bool Value) override;
    void SetValue(const Variant& V) override { TCalculatorGx::SetValue(V); }

    void WndProc(TMessage& Message) override;
    // A top-level window without a parent: its keys and display are shown with it.
    void CMVisibleChanged(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    virtual void PaintBorder();

private:
    void CloseUp(bool Accept);
    int BorderWidth() const { return Ctl3D() ? 2 : 0; }
    bool flat_ = true;
};
