#include "grid/CalcGx.h"

#include <cmath>

#include "platform/gui/Clipboard.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Resources.h"

namespace {

// The key of each tag; tag 0 has none.
constexpr char kKeyOfTag[24] = {0,   '7', '8', '9', '/', 'S', 'C', '4', '5', '6', '*', '%',
                                'A', '1', '2', '3', '-', 'R', 8,   '0', 'I', '.', '+', '='};

}  // namespace

// ---------------------------------------------------------------------------
// TCalculatorGx

TCalculatorGx::TCalculatorGx(TComponent* AOwner) : TCalculatorGx(AOwner, true) {}

TCalculatorGx::TCalculatorGx(TComponent* AOwner, bool Read) : TCustomControl(AOwner) {
    SetBounds(0, 0, 184, 127);
    SetTabStop(true);
    if (Read) ReadDefinition();
}

void TCalculatorGx::ReadDefinition() {
    // Descendants read the calculator's own definition.
    ReadComponentResource(this, "TCalculatorGx.form");
    for (TSpeedButtonGx* key : Keys()) {
        key->SetStyle(ebsGlyphGx);
        key->SetActive(true);
    }
    Clear();
    UpdateEqualCaption();
}

std::vector<TSpeedButtonGx*> TCalculatorGx::Keys() {
    std::vector<TSpeedButtonGx*> keys;
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* key = dynamic_cast<TSpeedButtonGx*>(Components(i))) keys.push_back(key);
    return keys;
}

char TCalculatorGx::KeyOfTag(int Tag) { return Tag > 0 && Tag < 24 ? kKeyOfTag[Tag] : 0; }

void TCalculatorGx::SpeedButtonClick(TObject* Sender) {
    auto* key = dynamic_cast<TComponent*>(Sender);
    if (!key) return;
    if (char c = KeyOfTag(static_cast<int>(key->Tag()))) ProcessKey(c);
}

void TCalculatorGx::Loaded() {
    TCustomControl::Loaded();
    // Client sizes read from the definition wait until the border is known.
    if (heldClientWidth_ >= 0) SetClientWidth(heldClientWidth_);
    if (heldClientHeight_ >= 0) SetClientHeight(heldClientHeight_);
    heldClientWidth_ = heldClientHeight_ = -1;
    if (pixelsPerInch_ > 0 && pixelsPerInch_ != Screen->PixelsPerInch()) {
        ChangeScale(Screen->PixelsPerInch(), pixelsPerInch_);
        pixelsPerInch_ = Screen->PixelsPerInch();
    }
}

void TCalculatorGx::SetBorderStyle(TBorderStyle Value) {
    if (Value == borderStyle_) return;
    borderStyle_ = Value;
    if (HandleAllocated()) RecreateWnd();
}

int TCalculatorGx::PixelsPerInch() const { return pixelsPerInch_ > 0 ? pixelsPerInch_ : Screen->PixelsPerInch(); }

void TCalculatorGx::SetPixelsPerInch(int Value) {
    if (Value != 0 && Value < 36) return;
    if (InState(csLoading)) {
        if (pixelsPerInchRead_) return;
        pixelsPerInchRead_ = true;
    }
    pixelsPerInch_ = Value;
}

void TCalculatorGx::SetClientWidthProp(int Value) {
    if (InState(csReading)) heldClientWidth_ = Value;
    else SetClientWidth(Value);
}

void TCalculatorGx::SetClientHeightProp(int Value) {
    if (InState(csReading)) heldClientHeight_ = Value;
    else SetClientHeight(Value);
}

void TCalculatorGx::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (borderStyle_ == bsSingle) Params.Style |= WS_BORDER;
}

// ---- display

AnsiString TCalculatorGx::DisplayText() const { return TextBox ? TextBox->Caption() : AnsiString("0"); }

void TCalculatorGx::SetText(const AnsiString& S) {
    if (TextBox) TextBox->SetCaption(S);
}

// A result past the largest number (or one whose shown digits would read back
// as such) is the error state: no later key has to read "INF" as a number.
void TCalculatorGx::SetDisplay(double R) {
    AnsiString text = FloatToStrF(R, ffGeneral, 15, 0);
    double shown = 0;
    if (!std::isfinite(R) || !TryStrToFloat(text, shown) || !std::isfinite(shown)) {
        Error();
        return;
    }
    SetText(text);
}

double TCalculatorGx::GetDisplay() {
    if (status_ == csErrorGx) return 0;
    return StrToFloat(Trim(DisplayText()));
}

void TCalculatorGx::Error() {
    status_ = csErrorGx;
    SetText("Error");
}

void TCalculatorGx::Clear() {
    status_ = csFirstGx;
    SetText("0");
    operator_ = '=';
    operand_ = 0;
}

void TCalculatorGx::CheckFirst() {
    if (status_ != csFirstGx) return;
    status_ = csValidGx;
    SetText("0");
}

AnsiString TCalculatorGx::EqualCaption() const {
    bool pending = operand_ != 0 && status_ == csValidGx &&
                   (operator_ == '*' || operator_ == '+' || operator_ == '-' || operator_ == '/');
    return pending ? "=" : "Ok";
}

void TCalculatorGx::UpdateEqualCaption() {
    if (spEqual) spEqual->SetCaption(EqualCaption());
}

Variant TCalculatorGx::Value() {
    if (status_ == csErrorGx) return Null();
    return Variant(GetDisplay());
}

void TCalculatorGx::SetValue(const Variant& V) {
    Clear();
    if (!VarIsNull(V) && !VarIsEmpty(V)) SetDisplay(V.AsDouble());
    UpdateEqualCaption();
}

// ---- keys

void TCalculatorGx::ProcessKey(char Key) {
    const char sep = FormatSettings.DecimalSeparator;
    if (status_ == csErrorGx && Key != 'C' && Key != 27) {
        UpdateEqualCaption();
        return;
    }
    AnsiString text = DisplayText();
    if (Key == sep || Key == ',' || Key == '.') {
        CheckFirst();
        text = DisplayText();
        if (text.find(sep) == AnsiString::npos) SetText(text + sep);
    } else if (Key >= '0' && Key <= '9') {
        CheckFirst();
        text = DisplayText();
        if (text == "0") text.clear();
        size_t limit = text.find('-') != AnsiString::npos ? 16 : 15;
        if (text.find('E') == AnsiString::npos && text.size() < limit) text += Key;
        SetText(text);
    } else if (Key == 8) {
        CheckFirst();
        text = DisplayText();
        if (text.size() == 1 || (text.size() == 2 && text[0] == '-')) SetText("0");
        else SetText(text.substr(0, text.size() - 1));
    } else if (Key == 'I') {
        SetDisplay(-GetDisplay());
    } else if (Key == 'R' || Key == 'S') {
        status_ = csFirstGx;
        double r = GetDisplay();
        if (Key == 'R') {
            if (r == 0) Error();
            else SetDisplay(1 / r);
        } else {
            if (r < 0) Error();
            else SetDisplay(std::sqrt(r));
        }
    } else if (Key == 'C' || Key == 27) {
        Clear();
    } else if (Key == 3) {
        Clipboard()->SetAsText(DisplayText());
    } else if (Key == 22) {
        if (Clipboard()->HasFormat(CF_TEXT)) SetDisplay(StrToFloat(Trim(Clipboard()->AsText())));
    } else if (Key == '+' || Key == '-' || Key == '*' || Key == '/' || Key == '%' || Key == '=' || Key == 13) {
        if (status_ == csValidGx) {
            status_ = csFirstGx;
            double r = GetDisplay();
            if (Key == '%') {
                if (operator_ == '*' || operator_ == '/') r = r / 100;
                else if (operator_ == '+' || operator_ == '-') r = operand_ * r / 100;
            }
            switch (operator_) {
                case '*': SetDisplay(operand_ * r); break;
                case '+': SetDisplay(operand_ + r); break;
                case '-': SetDisplay(operand_ - r); break;
                case '/':
                    if (r == 0) Error();
                    else SetDisplay(operand_ / r);
                    break;
                default: break;
            }
        }
        operator_ = Key;
        operand_ = GetDisplay();
    }
    UpdateEqualCaption();
}

void TCalculatorGx::KeyPress(char& Key) {
    TCustomControl::KeyPress(Key);
    if (Key == 0) return;
    ProcessKey(Key);
    Key = 0;
}

void TCalculatorGx::KeyDown(WORD& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == VK_DELETE) {
        ProcessKey('C');
        Key = 0;
    }
}

bool TCalculatorGx::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelDown(Shift, MousePos)) return true;
    if (status_ != csErrorGx) {
        SetDisplay(GetDisplay() - 1);
        UpdateEqualCaption();
    }
    return true;
}

bool TCalculatorGx::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelUp(Shift, MousePos)) return true;
    if (status_ != csErrorGx) {
        SetDisplay(GetDisplay() + 1);
        UpdateEqualCaption();
    }
    return true;
}

void TCalculatorGx::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    }
    TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TPopupCalculatorGx

TPopupCalculatorGx::TPopupCalculatorGx(TComponent* AOwner) : TCalculatorGx(AOwner, false) {
    SetVisible(false);
    ReadDefinition();
    SetTabStop(false);
    SetCtl3D(true);
    SetParentCtl3D(false);
    // The 3-D border lies outside the calculator's client area.
    SetBounds(Left(), Top(), Width() + 2 * BorderWidth(), Height() + 2 * BorderWidth());
}

void TPopupCalculatorGx::CreateParams(TCreateParams& Params) {
    TCalculatorGx::CreateParams(Params);
    SetDropDownWindowParams(Params, Ctl3D());
}

void TPopupCalculatorGx::CMVisibleChanged(TMessage& Message) {
    TCalculatorGx::CMVisibleChanged(Message);
    if (!Parent()) UpdateShowing();
}

void TPopupCalculatorGx::SetFlat(bool Value) {
    if (Value == flat_) return;
    flat_ = Value;
    for (TSpeedButtonGx* key : Keys()) key->SetFlat(flat_);
}

void TPopupCalculatorGx::CloseUp(bool Accept) {
    if (auto* owner = dynamic_cast<IPopupOwnerGx*>(Owner())) owner->CloseUp(Accept);
}

void TPopupCalculatorGx::ProcessKey(char Key) {
    if ((Key == 13 || Key == '=') && IsEqualKeyOk()) {
        CloseUp(true);
        return;
    }
    TCalculatorGx::ProcessKey(Key);
}

void TPopupCalculatorGx::KeyDown(WORD& Key, TShiftState Shift) {
    if (Key == VK_ESCAPE) {
        CloseUp(false);
        Key = 0;
        return;
    }
    TCalculatorGx::KeyDown(Key, Shift);
}

void TPopupCalculatorGx::PaintBorder() {
    if (!HandleAllocated() || !Ctl3D()) return;
    HDC dc = GetWindowDC(Handle());
    if (!dc) return;
    TRect r(0, 0, Width(), Height());
    HBRUSH b = CreateSolidBrush(GetSysColor(COLOR_3DDKSHADOW));
    FrameRect(dc, &r, b);
    DeleteObject(b);
    InflateRect(&r, -1, -1);
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    ReleaseDC(Handle(), dc);
}

void TPopupCalculatorGx::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_MOUSEACTIVATE: Message.Result = MA_NOACTIVATE; return;
        case WM_CLOSEPOPUPGX: CloseUp(false); return;
        case WM_GETDLGCODE: Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS; return;
        case CM_WANTSPECIALKEY:
            if (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) {
                Message.Result = 1;
                return;
            }
            break;
        case WM_NCCALCSIZE: {
            TCalculatorGx::WndProc(Message);
            if (auto* rects = reinterpret_cast<TRect*>(Message.LParam)) InflateRect(&rects[0], -BorderWidth(), -BorderWidth());
            return;
        }
        case WM_NCPAINT: PaintBorder(); return;
        default: break;
    }
    TCalculatorGx::WndProc(Message);
}

// ---------------------------------------------------------------------------

TESK_PUBLISHED(TCalculatorGx) {
    Property("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsNone);
    Property("ClientHeight", &T::GetClientHeight, &T::SetClientHeightProp);
    Property("ClientWidth", &T::GetClientWidth, &T::SetClientWidthProp);
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor);
    Property("Ctl3D", &T::Ctl3D, &T::SetCtl3D).Default(true);
    Property("Font", &T::Font, &T::SetFont);
    Property("OldCreateOrder", &T::OldCreateOrder, &T::SetOldCreateOrder).Default(false);
    Property("PixelsPerInch", &T::PixelsPerInch, &T::SetPixelsPerInch);
    Property("TextHeight", &T::TextHeight, &T::SetTextHeight);
    Field("Panel1", &T::Panel1);
    Field("TextBox", &T::TextBox);
    Field("spEqual", &T::spEqual);
    Handler("SpeedButtonClick", &T::SpeedButtonClick);
}

TESK_PUBLISHED(TPopupCalculatorGx) {}
