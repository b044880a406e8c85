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
#include "platform/gui/Forms.h"
#include "platform/gui/QtGraphics.h"
#include "platform/gui/WinApi_p.h"
#include "platform/gui/Widgets_p.h"
#include "platform/rtl/SysUtils.h"

// ---------------------------------------------------------------- helpers

QString ToQText(const AnsiString& Text) {
    AnsiString s;
    s.reserve(Text.size());
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '\r') {
            if (i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
            s += '\n';
        } else {
            s += Text[i];
        }
    }
    return ToQString(s);
}

AnsiString FromQText(const QString& Text) {
    AnsiString s = FromQString(Text);
    AnsiString out;
    out.reserve(s.size() + s.size() / 16);
    for (char c : s) {
        if (c == '\n') out += "\r\n";
        else out += c;
    }
    return out;
}

void ApplyControlLook(QWidget* Widget, TControl* Control, bool Background, bool TextBox) {
    Widget->setFont(ToQFont(Control->Font()));
    QPalette pal = QApplication::palette(Widget);
    QColor text = ToQColor(Control->Font()->Color());
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(g, QPalette::Text, text);
        pal.setColor(g, QPalette::WindowText, text);
        pal.setColor(g, QPalette::ButtonText, text);
    }
    if (Background) {
        QColor back = ToQColor(Control->Color());
        for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive})
            pal.setColor(g, TextBox ? QPalette::Base : QPalette::Window, back);
    }
    Widget->setPalette(pal);
}

namespace {

// The font's height in pixels as the GDI measures it (for sizes that follow the font).
int FontTextHeight(TFont* Font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font->Handle());
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
}

void StoreSel(const TMessage& Message, int start, int end) {
    if (auto* p = reinterpret_cast<DWORD*>(Message.WParam)) *p = static_cast<DWORD>(start);
    if (auto* p = reinterpret_cast<DWORD*>(Message.LParam)) *p = static_cast<DWORD>(end);
}

// Copies text into a WM_GETTEXT buffer; answers the characters copied.
LRESULT CopyTextOut(const AnsiString& text, const TMessage& Message) {
    char* buffer = reinterpret_cast<char*>(Message.LParam);
    if (!buffer || Message.WParam == 0) return 0;
    size_t n = std::min<size_t>(text.size(), Message.WParam - 1);
    std::copy(text.begin(), text.begin() + static_cast<long>(n), buffer);
    buffer[n] = 0;
    return static_cast<LRESULT>(n);
}

AnsiString TextIn(const TMessage& Message) {
    const char* text = reinterpret_cast<const char*>(Message.LParam);
    return text ? AnsiString(text) : AnsiString();
}

// Answers the text messages from a getter and setter of the widget's text.
template <class Get, class Set>
bool HandleTextMessage(TControl* control, TMessage& Message, Get get, Set set) {
    switch (Message.Msg) {
        case WM_GETTEXT: Message.Result = CopyTextOut(get(), Message); return true;
        case WM_GETTEXTLENGTH: Message.Result = static_cast<LRESULT>(get().size()); return true;
        case WM_SETTEXT:
            set(TextIn(Message));
            Message.Result = 1;
            control->Perform(CM_TEXTCHANGED, 0, 0);
            return true;
        default: return false;
    }
}

}  // namespace

// ---------------------------------------------------------------- TWidgetControl

TWidgetControl::TWidgetControl(TComponent* AOwner, TNativeWidget* Native) : TWinControl(AOwner), native_(Native) {}

TWidgetControl::~TWidgetControl() {
    // The window goes first; the widget it showed is ours.
    if (HandleAllocated()) DestroyHandle();
    if (native_) {
        delete native_->Widget.data();
        delete native_;
    }
}

void TWidgetControl::CreateWindowHandle(const TCreateParams& Params) {
    QWidget* widget = native_->Widget;
    if (!widget) return;
    HWND wnd = CreateWrappedWindowHandle(Params, TWndMethod(static_cast<TWinControl*>(this), &TWinControl::MainWndProc),
                                         widget);
    SetWindowHandle(wnd);
    if (!wnd) return;
    UpdateNativeLook();
    if (!Enabled()) EnableWindow(wnd, 0);
}

AnsiString TWidgetControl::GetText() {
    LRESULT n = Perform(WM_GETTEXTLENGTH, 0, 0);
    if (n <= 0) return AnsiString();
    AnsiString s(static_cast<size_t>(n) + 1, '\0');
    LRESULT got = Perform(WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(std::max<LRESULT>(0, std::min(got, n))));
    return s;
}

void TWidgetControl::DefaultHandler(TMessage& Message) {
    if (Message.Msg == WM_RBUTTONUP && HandleAllocated()) {
        // The widget sees the release; the context menu is ours (WM_CONTEXTMENU).
        PassToNativeWidget(Handle(), WM_RBUTTONUP);
        TPoint p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
        ::ClientToScreen(Handle(), &p);
        SendMessage(Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(p.X, p.Y));
        return;
    }
    TWinControl::DefaultHandler(Message);
}

void TWidgetControl::UpdateNativeLook() {
    if (QWidget* w = native_->Widget) ApplyControlLook(w, this, native_->Background, native_->TextBox);
}

void TWidgetControl::CMFontChanged(TMessage& Message) {
    TWinControl::CMFontChanged(Message);
    UpdateNativeLook();
}

void TWidgetControl::CMColorChanged(TMessage& Message) {
    TWinControl::CMColorChanged(Message);
    UpdateNativeLook();
}

void TWidgetControl::CMEnabledChanged(TMessage& Message) {
    TWinControl::CMEnabledChanged(Message);
    if (!HandleAllocated() && native_->Widget) native_->Widget->setEnabled(Enabled());
}

// ---------------------------------------------------------------- TCustomLabel

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    controlStyle_ |= csOpaque | csReplicatable;
    SetParentColor(true);
    SetBounds(0, 0, 65, 17);
}

AnsiString TCustomLabel::GetLabelText() { return Caption(); }

void TCustomLabel::DoDrawText(TRect& Rect, UINT Flags) {
    AnsiString text = GetLabelText();
    if ((Flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == "&"))) text += ' ';
    if (!showAccelChar_) Flags |= DT_NOPREFIX;
    TCanvas* canvas = Canvas();
    if (!canvas->HandleAllocated()) {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, Font()->Handle());
        DrawText(dc, text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return;
    }
    canvas->Font()->Assign(Font());
    if (!Enabled()) {
        // Embossed: the highlight one pixel down and right, the shadow over it.
        OffsetRect(&Rect, 1, 1);
        canvas->Font()->SetColor(clBtnHighlight);
        DrawText(TextDC(canvas), text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
        OffsetRect(&Rect, -1, -1);
        canvas->Font()->SetColor(clBtnShadow);
        DrawText(TextDC(canvas), text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
    } else {
        DrawText(TextDC(canvas), text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
    }
}

void TCustomLabel::Paint() {
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    if (!transparent_) {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(r);
    }
    canvas->Brush()->SetStyle(bsClear);
    UINT align = alignment_ == taRightJustify ? DT_RIGHT : alignment_ == taCenter ? DT_CENTER : DT_LEFT;
    UINT flags = DT_EXPANDTABS | align;
    if (wordWrap_) flags |= DT_WORDBREAK;
    if (layout_ != tlTop) {
        TRect calc = r;
        DoDrawText(calc, flags | DT_CALCRECT);
        int h = calc.Height();
        if (layout_ == tlBottom) OffsetRect(&r, 0, r.Height() - h);
        else OffsetRect(&r, 0, (r.Height() - h) / 2);
    }
    DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
    if (InState(csLoading | csReading) || !autoSize_) return;
    TRect r = ClientRect();
    UINT flags = DT_CALCRECT | DT_EXPANDTABS;
    if (wordWrap_) flags |= DT_WORDBREAK;
    else r.Right = r.Left + 32767;
    DoDrawText(r, flags);
    int x = Left();
    if (alignment_ == taRightJustify) x += Width() - r.Right;
    SetBounds(x, Top(), r.Right, r.Bottom);
}

void TCustomLabel::SetAlignment(TAlignment Value) {
    if (alignment_ == Value) return;
    alignment_ = Value;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value) {
    if (autoSize_ == Value) return;
    autoSize_ = Value;
    AdjustBounds();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
    focusControl_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TCustomLabel::SetLayout(TTextLayout Value) {
    if (layout_ == Value) return;
    layout_ = Value;
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
    if (showAccelChar_ == Value) return;
    showAccelChar_ = Value;
    Invalidate();
    AdjustBounds();
}

void TCustomLabel::SetTransparent(bool Value) {
    if (transparent_ == Value) return;
    transparent_ = Value;
    if (Value) controlStyle_ &= ~csOpaque;
    else controlStyle_ |= csOpaque;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
    if (wordWrap_ == Value) return;
    wordWrap_ = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::CMTextChanged(TMessage&) {
    Invalidate();
    AdjustBounds();
}

void TCustomLabel::CMFontChanged(TMessage& Message) {
    TGraphicControl::CMFontChanged(Message);
    AdjustBounds();
}

void TCustomLabel::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_DIALOGCHAR) {
        // The accelerator of the caption focuses FocusControl.
        AnsiString text = GetLabelText();
        if (focusControl_ && Enabled() && showAccelChar_ && focusControl_->CanFocus()) {
            char key = static_cast<char>(Message.WParam);
            size_t amp = text.find('&');
            while (amp != AnsiString::npos && amp + 1 < text.size() && text[amp + 1] == '&')
                amp = text.find('&', amp + 2);
            if (amp != AnsiString::npos && amp + 1 < text.size() &&
                AnsiUpperCase(AnsiString(1, text[amp + 1])) == AnsiUpperCase(AnsiString(1, key))) {
                focusControl_->SetFocus();
                Message.Result = 1;
                return;
            }
        }
        return;
    }
    TGraphicControl::Dispatch(Message);
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

// ---------------------------------------------------------------- TButtonControl

TButtonControl::TButtonControl(TComponent* AOwner, TNativeWidget* Native) : TWidgetControl(AOwner, Native) {
    // The click comes from the widget (a press and release over it, or the space bar).
    controlStyle_ = csSetCaption | csDoubleClicks;
    SetParentColor(true);
    SetTabStop(true);
}

TButtonControl::~TButtonControl() { delete actionLink_; }

TBasicAction* TButtonControl::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TButtonControl::SetAction(TBasicAction* Value) {
    if (!Value) {
        delete actionLink_;
        actionLink_ = nullptr;
        return;
    }
    if (!actionLink_) {
        actionLink_ = new TControlActionLink(this);
        actionLink_->OnChange = MakeEvent(this, &TButtonControl::DoActionChange);
    }
    actionLink_->SetAction(Value);
    Value->FreeNotification(this);
    ActionChange(Value, InState(csLoading));
}

void TButtonControl::DoActionChange(TObject* Sender) {
    if (actionLink_ && Sender == actionLink_->Action()) ActionChange(Sender, false);
}

void TButtonControl::ActionChange(TObject* Sender, bool CheckDefaults) {
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (!action) return;
    if (!CheckDefaults || Caption().empty()) SetCaption(action->Caption());
    if (!CheckDefaults || Enabled()) SetEnabled(action->Enabled());
    if (!CheckDefaults || Hint().empty()) SetHint(action->Hint());
    if (!CheckDefaults || Visible()) SetVisible(action->Visible());
    if (!CheckDefaults || !Checked()) {
        bool saved = clicksDisabled_;
        clicksDisabled_ = true;
        SetChecked(action->Checked());
        clicksDisabled_ = saved;
    }
}

void TButtonControl::Loaded() {
    TWidgetControl::Loaded();
    if (actionLink_ && actionLink_->Action()) ActionChange(actionLink_->Action(), false);
}

void TButtonControl::Notification(TComponent* AComponent, TOperation Operation) {
    TWidgetControl::Notification(AComponent, Operation);
    if (Operation == opRemove && actionLink_ && AComponent == actionLink_->Action()) SetAction(nullptr);
}

void TButtonControl::SetWordWrap(bool Value) { wordWrap_ = Value; }

void TButtonControl::Click() {
    // An OnClick of its own goes first; otherwise the action runs.
    if (OnClick) OnClick(this);
    else if (actionLink_ && actionLink_->Action()) actionLink_->Execute(this);
}

// ---------------------------------------------------------------- TButton

namespace {

class TNativePushButton final : public QPushButton {
public:
    TNativePushButton() { setAutoDefault(false); }
};

}  // namespace

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner, new TNativeWidget(new TNativePushButton())) {
    auto* button = static_cast<QPushButton*>(native_->Widget.data());
    QObject::connect(button, &QPushButton::clicked, button, [this] { FromWidget([this] { Click(); }); });
    SetBounds(0, 0, 75, 25);
}

void TButton::SetDefault(bool Value) {
    if (default_ == Value) return;
    default_ = Value;
    active_ = Value;
    if (HandleAllocated())
        if (TCustomForm* form = GetParentForm(this))
            form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
    UpdateDefaultLook();
}

void TButton::UpdateDefaultLook() {
    if (auto* b = static_cast<QPushButton*>(native_->Widget.data())) b->setDefault(active_);
}

void TButton::Click() {
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
    TButtonControl::Click();
}

void TButton::CMDialogKey(TMessage& Message) {
    bool enter = Message.WParam == VK_RETURN && active_;
    bool escape = Message.WParam == VK_ESCAPE && cancel_;
    TShiftState shift = KeyDataToShiftState(Message.LParam) & (ssShift | ssCtrl | ssAlt);
    if ((enter || escape) && shift == 0 && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogKey(Message);
}

namespace {
// The character after the '&' of a caption, upper-cased; 0 when there is none.
char AccelOf(const AnsiString& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return AnsiUpperCase(AnsiString(1, caption[i + 1]))[0];
    }
    return 0;
}

bool IsAccel(WPARAM key, const AnsiString& caption) {
    char a = AccelOf(caption);
    return a != 0 && AnsiUpperCase(AnsiString(1, static_cast<char>(key)))[0] == a;
}
}  // namespace

void TButton::CMDialogChar(TMessage& Message) {
    if (IsAccel(Message.WParam, Caption()) && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogChar(Message);
}

void TButton::CMFocusChanged(TMessage& Message) {
    auto* sender = reinterpret_cast<TWinControl*>(Message.LParam);
    if (dynamic_cast<TButton*>(sender)) active_ = sender == this;
    else active_ = default_;
    UpdateDefaultLook();
    TButtonControl::CMFocusChanged(Message);
}

void TButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case CM_DIALOGKEY: CMDialogKey(Message); return;
        case CM_DIALOGCHAR: CMDialogChar(Message); return;
        case CM_FOCUSCHANGED: CMFocusChanged(Message); return;
        default: TButtonControl::Dispatch(Message); return;
    }
}

void TButton::DefaultHandler(TMessage& Message) {
    auto* button = static_cast<QPushButton*>(native_->Widget.data());
    if (HandleTextMessage(this, Message, [&] { return FromQString(button->text()); },
                          [&](const AnsiString& t) { button->setText(ToQString(t)); }))
        return;
    switch (Message.Msg) {
        case WM_GETDLGCODE:
            Message.Result = DLGC_BUTTON | (active_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
            return;
        case BM_CLICK: Click(); return;
        default: TButtonControl::DefaultHandler(Message); return;
    }
}

// ---------------------------------------------------------------- TCustomCheckBox

namespace {

class TNativeCheckBox final : public QCheckBox {
public:
    explicit TNativeCheckBox(TCustomCheckBox* owner) : owner_(owner) {}

protected:
    // A click asks the control; it sets the new state itself.
    void nextCheckState() override {
        FromWidget([this] { owner_->Toggle(); });
    }

private:
    TCustomCheckBox* owner_;
};

class TNativeRadioButton final : public QRadioButton {
public:
    explicit TNativeRadioButton(TRadioButton* owner) : owner_(owner) { setAutoExclusive(false); }

protected:
    void nextCheckState() override {
        FromWidget([this] {
            if (!owner_->Checked()) owner_->SetChecked(true);
        });
    }

private:
    TRadioButton* owner_;
};

void SetButtonDirection(QAbstractButton* b, TAlignment alignment) {
    // taLeftJustify puts the caption on the left of the box.
    b->setLayoutDirection(alignment == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

}  // namespace

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner)
    : TButtonControl(AOwner, new TNativeWidget(new TNativeCheckBox(this))) {
    native_->Background = true;
    SetBounds(0, 0, 97, 17);
}

void TCustomCheckBox::SetAlignment(TAlignment Value) {
    if (alignment_ == Value) return;
    alignment_ = Value;
    SetButtonDirection(static_cast<QAbstractButton*>(native_->Widget.data()), Value);
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
    if (state_ == Value) return;
    state_ = Value;
    if (auto* box = static_cast<QCheckBox*>(native_->Widget.data())) {
        QSignalBlocker block(box);
        box->setTristate(Value == cbGrayed || allowGrayed_);
        box->setCheckState(Value == cbChecked ? Qt::Checked : Value == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
    }
    if (!ClicksDisabled()) Click();
}

void TCustomCheckBox::Toggle() {
    switch (state_) {
        case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
        case cbChecked: SetState(cbUnchecked); break;
        case cbGrayed: SetState(cbChecked); break;
    }
}

void TCustomCheckBox::CMDialogChar(TMessage& Message) {
    if (IsAccel(Message.WParam, Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogChar(Message);
}

void TCustomCheckBox::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_DIALOGCHAR) {
        CMDialogChar(Message);
        return;
    }
    TButtonControl::Dispatch(Message);
}

void TCustomCheckBox::DefaultHandler(TMessage& Message) {
    auto* box = static_cast<QCheckBox*>(native_->Widget.data());
    if (HandleTextMessage(this, Message, [&] { return FromQString(box->text()); },
                          [&](const AnsiString& t) { box->setText(ToQString(t)); }))
        return;
    switch (Message.Msg) {
        case WM_GETDLGCODE: Message.Result = DLGC_BUTTON; return;
        case BM_GETCHECK:
            Message.Result = static_cast<LRESULT>(state_ == cbChecked ? BST_CHECKED
                                                  : state_ == cbGrayed ? BST_INDETERMINATE
                                                                       : BST_UNCHECKED);
            return;
        case BM_SETCHECK: {
            // The window's own check mark, without a click.
            bool saved = ClicksDisabled();
            SetClicksDisabled(true);
            SetState(Message.WParam == BST_CHECKED ? cbChecked : Message.WParam == BST_INDETERMINATE ? cbGrayed : cbUnchecked);
            SetClicksDisabled(saved);
            return;
        }
        case BM_CLICK: Toggle(); return;
        default: TButtonControl::DefaultHandler(Message); return;
    }
}

// ---------------------------------------------------------------- TRadioButton

TRadioButton::TRadioButton(TComponent* AOwner)
    : TButtonControl(AOwner, new TNativeWidget(new TNativeRadioButton(this))) {
    native_->Background = true;
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::SetAlignment(TAlignment Value) {
    if (alignment_ == Value) return;
    alignment_ = Value;
    SetButtonDirection(static_cast<QAbstractButton*>(native_->Widget.data()), Value);
}

void TRadioButton::SetChecked(bool Value) {
    if (checked_ == Value) return;
    checked_ = Value;
    SetTabStop(Value);
    if (auto* b = static_cast<QRadioButton*>(native_->Widget.data())) {
        QSignalBlocker block(b);
        b->setChecked(Value);
    }
    if (!Value) return;
    if (TWinControl* parent = Parent()) {
        for (int i = 0; i < parent->ControlCount(); ++i) {
            auto* sibling = dynamic_cast<TRadioButton*>(parent->Controls(i));
            if (sibling && sibling != this) sibling->SetChecked(false);
        }
    }
    if (!ClicksDisabled()) Click();
}

void TRadioButton::CMDialogChar(TMessage& Message) {
    if (IsAccel(Message.WParam, Caption()) && CanFocus()) {
        SetFocus();
        if (Focused() && !checked_) SetChecked(true);
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogChar(Message);
}

void TRadioButton::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_DIALOGCHAR) {
        CMDialogChar(Message);
        return;
    }
    TButtonControl::Dispatch(Message);
}

void TRadioButton::DefaultHandler(TMessage& Message) {
    auto* b = static_cast<QRadioButton*>(native_->Widget.data());
    if (HandleTextMessage(this, Message, [&] { return FromQString(b->text()); },
                          [&](const AnsiString& t) { b->setText(ToQString(t)); }))
        return;
    switch (Message.Msg) {
        case WM_GETDLGCODE: Message.Result = DLGC_BUTTON | DLGC_RADIOBUTTON; return;
        case BM_GETCHECK: Message.Result = checked_ ? BST_CHECKED : BST_UNCHECKED; return;
        case BM_SETCHECK: {
            bool saved = ClicksDisabled();
            SetClicksDisabled(true);
            SetChecked(Message.WParam == BST_CHECKED);
            SetClicksDisabled(saved);
            return;
        }
        case BM_CLICK:
            if (!checked_) SetChecked(true);
            return;
        default: TButtonControl::DefaultHandler(Message); return;
    }
}

// ---------------------------------------------------------------- TCustomGroupBox

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TWidgetControl(AOwner, new TNativeWidget(new QGroupBox())) {
    controlStyle_ = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks | csReplicatable;
    native_->Background = true;
    static_cast<QGroupBox*>(native_->Widget.data())->setAutoFillBackground(true);
    SetParentColor(true);
    SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
    TWidgetControl::AdjustClientRect(Rect);
    Rect.Top += FontTextHeight(Font());
    InflateRect(&Rect, -1, -1);
    if (Ctl3D()) InflateRect(&Rect, -1, -1);
}

void TCustomGroupBox::CMDialogChar(TMessage& Message) {
    if (IsAccel(Message.WParam, Caption()) && CanFocus()) {
        SelectNext(nullptr, true, true);
        Message.Result = 1;
        return;
    }
    TWidgetControl::CMDialogChar(Message);
}

void TCustomGroupBox::CMTextChanged(TMessage& Message) {
    TWidgetControl::CMTextChanged(Message);
    Realign();
}

void TCustomGroupBox::DefaultHandler(TMessage& Message) {
    auto* box = static_cast<QGroupBox*>(native_->Widget.data());
    if (HandleTextMessage(this, Message, [&] { return FromQString(box->title()); },
                          [&](const AnsiString& t) { box->setTitle(ToQString(t)); }))
        return;
    TWidgetControl::DefaultHandler(Message);
}

// ---------------------------------------------------------------- edits

// What the edit control does with its widget, for a single line (QLineEdit)
// and for a memo (QPlainTextEdit). Positions are those of the program's text.
struct TEditNative : TNativeWidget {
    using TNativeWidget::TNativeWidget;
    TCustomEdit* Owner = nullptr;
    bool SettingText = false;  // a change made by WM_SETTEXT is not the user's
    bool Modified = false;
    QRect Formatting;          // EM_SETRECTNP, in client coordinates; empty for the whole window

    virtual AnsiString Text() const = 0;
    virtual void SetText(const AnsiString& text) = 0;
    virtual void GetSel(int& start, int& end) const = 0;
    // Anchor and caret; -1 for the caret means the end.
    virtual void SetSel(int anchor, int caret) = 0;
    // Replaces the selection (no limit or case check here).
    virtual void Insert(const AnsiString& text) = 0;
    virtual void DeleteSelection() = 0;
    virtual void Backspace() = 0;
    virtual void DeleteForward() = 0;
    // One level of undo, as the edit control keeps it: what the text was
    // before the last change (a run of typing counts as one change).
    AnsiString UndoText;
    int UndoStart = 0, UndoEnd = 0;
    bool HasUndo = false;
    bool Typing = false;
    void Snapshot(bool typing) {
        if (!(typing && Typing && HasUndo)) {
            UndoText = Text();
            GetSel(UndoStart, UndoEnd);
            HasUndo = true;
        }
        Typing = typing;
    }
    void Undo() {
        if (!HasUndo) return;
        // Undoing again brings the change back.
        AnsiString now = Text();
        int s = 0, e = 0;
        GetSel(s, e);
        SetText(UndoText);
        SetSel(UndoStart, UndoEnd);
        UndoText = now;
        UndoStart = s;
        UndoEnd = e;
        Typing = false;
    }
    bool CanUndo() const { return HasUndo; }
    void ClearUndo() {
        HasUndo = false;
        Typing = false;
    }
    virtual void SetReadOnly(bool value) = 0;
    virtual void SetMaxLength(int value) = 0;
    virtual int CharFromPos(int x, int y) const = 0;
    virtual void ApplyMargins() = 0;
    // Moves the caret for a key the widget did not get itself (a sent message).
    virtual bool MoveKey(WORD key, bool shift) = 0;
    int Length() const { return static_cast<int>(Text().size()); }
};

namespace {

class TNativeLineEdit final : public QLineEdit {
public:
    TNativeLineEdit() { setContextMenuPolicy(Qt::NoContextMenu); }
};

struct TLineEditNative final : TEditNative {
    TLineEditNative() : TEditNative(new TNativeLineEdit()) {
        TextBox = true;
        Background = true;
    }
    QLineEdit* Edit() const { return static_cast<QLineEdit*>(Widget.data()); }

    AnsiString Text() const override { return FromQString(Edit()->text()); }
    void SetText(const AnsiString& text) override { Edit()->setText(ToQString(text)); }
    void GetSel(int& start, int& end) const override {
        QLineEdit* e = Edit();
        if (e->hasSelectedText()) {
            start = e->selectionStart();
            end = e->selectionEnd();
        } else {
            start = end = e->cursorPosition();
        }
        // Characters outside the code page are one byte each in ours too.
    }
    void SetSel(int anchor, int caret) override {
        QLineEdit* e = Edit();
        int len = static_cast<int>(e->text().size());
        if (caret < 0 || caret > len) caret = len;
        anchor = std::clamp(anchor, 0, len);
        e->setSelection(anchor, caret - anchor);
        if (anchor == caret) e->setCursorPosition(caret);
    }
    void Insert(const AnsiString& text) override { Edit()->insert(ToQString(text)); }
    void DeleteSelection() override {
        if (Edit()->hasSelectedText()) Edit()->del();
    }
    void Backspace() override { Edit()->backspace(); }
    void DeleteForward() override { Edit()->del(); }
    void SetReadOnly(bool value) override { Edit()->setReadOnly(value); }
    void SetMaxLength(int value) override { Edit()->setMaxLength(value > 0 ? value : 32767); }
    int CharFromPos(int x, int y) const override { return Edit()->cursorPositionAt(QPoint(x, y)); }
    void ApplyMargins() override {
        QLineEdit* e = Edit();
        if (Formatting.isNull()) {
            e->setTextMargins(0, 0, 0, 0);
            return;
        }
        e->setTextMargins(Formatting.left(), Formatting.top(), std::max(0, e->width() - Formatting.right() - 1),
                          std::max(0, e->height() - Formatting.bottom() - 1));
    }
    bool MoveKey(WORD key, bool shift) override {
        QLineEdit* e = Edit();
        switch (key) {
            case VK_LEFT: e->cursorBackward(shift); return true;
            case VK_RIGHT: e->cursorForward(shift); return true;
            case VK_HOME: e->home(shift); return true;
            case VK_END: e->end(shift); return true;
            case VK_DELETE:
                if (!e->isReadOnly()) e->del();
                return true;
            default: return false;
        }
    }
};

class TNativePlainTextEdit final : public QPlainTextEdit {
public:
    void SetMargins(int left, int top, int right, int bottom) { setViewportMargins(left, top, right, bottom); }
};

struct TMemoNative final : TEditNative {
    TMemoNative() : TEditNative(new TNativePlainTextEdit()) {
        TextBox = true;
        Background = true;
        Memo()->setContextMenuPolicy(Qt::NoContextMenu);
        Memo()->setTabChangesFocus(false);
    }
    QPlainTextEdit* Memo() const { return static_cast<QPlainTextEdit*>(Widget.data()); }
    QTextDocument* Doc() const { return Memo()->document(); }

    // Program positions count each line break as two.
    int ToProgram(int pos) const { return pos + Doc()->findBlock(pos).blockNumber(); }
    int FromProgram(int pos) const {
        if (pos <= 0) return 0;
        for (QTextBlock b = Doc()->begin(); b.isValid(); b = b.next()) {
            int start = b.position() + b.blockNumber();
            int len = static_cast<int>(b.text().size());
            if (pos <= start + len) return b.position() + (pos - start);
            if (pos == start + len + 1) return b.position() + len;  // between CR and LF
        }
        return std::max(0, Doc()->characterCount() - 1);
    }

    AnsiString Text() const override { return FromQText(Memo()->toPlainText()); }
    void SetText(const AnsiString& text) override { Memo()->setPlainText(ToQText(text)); }
    void GetSel(int& start, int& end) const override {
        QTextCursor c = Memo()->textCursor();
        start = ToProgram(c.selectionStart());
        end = ToProgram(c.selectionEnd());
    }
    void SetSel(int anchor, int caret) override {
        int last = std::max(0, Doc()->characterCount() - 1);
        QTextCursor c(Doc());
        c.setPosition(std::clamp(FromProgram(anchor), 0, last));
        int to = caret < 0 ? last : std::clamp(FromProgram(caret), 0, last);
        c.setPosition(to, QTextCursor::KeepAnchor);
        Memo()->setTextCursor(c);
    }
    void Insert(const AnsiString& text) override { Memo()->insertPlainText(ToQText(text)); }
    void DeleteSelection() override {
        QTextCursor c = Memo()->textCursor();
        if (c.hasSelection()) {
            c.removeSelectedText();
            Memo()->setTextCursor(c);
        }
    }
    void Backspace() override {
        QTextCursor c = Memo()->textCursor();
        c.deletePreviousChar();
        Memo()->setTextCursor(c);
    }
    void DeleteForward() override {
        QTextCursor c = Memo()->textCursor();
        c.deleteChar();
        Memo()->setTextCursor(c);
    }
    void SetReadOnly(bool value) override { Memo()->setReadOnly(value); }
    void SetMaxLength(int) override {}
    int CharFromPos(int x, int y) const override { return ToProgram(Memo()->cursorForPosition(QPoint(x, y)).position()); }
    void ApplyMargins() override {
        auto* m = static_cast<TNativePlainTextEdit*>(Memo());
        if (Formatting.isNull()) {
            m->SetMargins(0, 0, 0, 0);
            return;
        }
        m->SetMargins(Formatting.left(), Formatting.top(), std::max(0, m->width() - Formatting.right() - 1),
                              std::max(0, m->height() - Formatting.bottom() - 1));
    }
    bool MoveKey(WORD key, bool shift) override {
        QTextCursor c = Memo()->textCursor();
        QTextCursor::MoveMode mode = shift ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
        switch (key) {
            case VK_LEFT: c.movePosition(QTextCursor::Left, mode); break;
            case VK_RIGHT: c.movePosition(QTextCursor::Right, mode); break;
            case VK_UP: c.movePosition(QTextCursor::Up, mode); break;
            case VK_DOWN: c.movePosition(QTextCursor::Down, mode); break;
            case VK_HOME: c.movePosition(QTextCursor::StartOfLine, mode); break;
            case VK_END: c.movePosition(QTextCursor::EndOfLine, mode); break;
            case VK_DELETE:
                if (!Memo()->isReadOnly()) c.deleteChar();
                break;
            default: return false;
        }
        Memo()->setTextCursor(c);
        return true;
    }
};

TEditNative* MakeEditNative(bool multiLine) {
    if (multiLine) return new TMemoNative();
    return new TLineEditNative();
}

}  // namespace

TCustomEdit::TCustomEdit(TComponent* AOwner) : TCustomEdit(AOwner, false) {}

TCustomEdit::TCustomEdit(TComponent* AOwner, bool MultiLine)
    : TWidgetControl(AOwner, MakeEditNative(MultiLine)), multiLine_(MultiLine) {
    controlStyle_ = csClickEvents | csSetCaption | csDoubleClicks | csFixedHeight;
    if (MultiLine) controlStyle_ &= ~csFixedHeight;
    auto* native = static_cast<TEditNative*>(native_);
    native->Owner = this;
    QWidget* widget = native->Widget;
    auto changed = [this, native] {
        if (!native->SettingText) native->Modified = true;
        FromWidget([this] { TextChanged(); });
    };
    if (MultiLine) {
        QObject::connect(static_cast<QPlainTextEdit*>(widget), &QPlainTextEdit::textChanged, widget, changed);
    } else {
        QObject::connect(static_cast<QLineEdit*>(widget), &QLineEdit::textChanged, widget, changed);
    }
    SetBounds(0, 0, 121, 25);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

void TCustomEdit::TextChanged() {
    // EN_CHANGE comes from a window: before it exists, or while loading, nothing is told.
    if (!HandleAllocated() || InState(csLoading) || creating_) return;
    TWinControl* parent = Parent();
    if (parent && parent->HandleAllocated())
        SendMessage(parent->Handle(), WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), reinterpret_cast<LPARAM>(Handle()));
    else
        Change();
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

void TCustomEdit::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_COMMAND) {
        if (HIWORD(Message.WParam) == EN_CHANGE && !creating_) Change();
        return;
    }
    if (Message.Msg == CM_ENTER) {
        CMEnter(Message);
        return;
    }
    TWidgetControl::Dispatch(Message);
}

void TCustomEdit::CMEnter(TMessage& Message) {
    if (autoSelect_ && !(controlState_ & csLButtonDown) && !multiLine_) SelectAll();
    TWidgetControl::CMEnter(Message);
}

void TCustomEdit::UpdateNativeLook() {
    TWidgetControl::UpdateNativeLook();
    auto* native = static_cast<TEditNative*>(native_);
    if (multiLine_) static_cast<QPlainTextEdit*>(native->Widget.data())->setFrameShape(
        borderStyle_ == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
    else static_cast<QLineEdit*>(native->Widget.data())->setFrame(borderStyle_ != bsNone);
}

void TCustomEdit::Loaded() {
    TWidgetControl::Loaded();
    AdjustHeight();
}

void TCustomEdit::AdjustHeight() {
    if (!autoSize_ || multiLine_ || InState(csLoading)) return;
    // The font's height and room for the border and the text's margins.
    int h = FontTextHeight(Font()) + (borderStyle_ == bsNone ? 2 : 8);
    if (h != Height()) SetHeight(h);
}

void TCustomEdit::SetAutoSize(bool Value) {
    if (autoSize_ == Value) return;
    autoSize_ = Value;
    if (Value) AdjustHeight();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
    if (borderStyle_ == Value) return;
    borderStyle_ = Value;
    UpdateNativeLook();
    AdjustHeight();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
    if (charCase_ == Value) return;
    charCase_ = Value;
    if (Value == ecNormal) return;
    AnsiString t = Text();
    AnsiString converted = Value == ecUpperCase ? AnsiUpperCase(t) : AnsiLowerCase(t);
    if (converted != t) SetText(converted);
}

void TCustomEdit::SetMaxLength(int Value) {
    if (maxLength_ == Value) return;
    maxLength_ = Value;
    static_cast<TEditNative*>(native_)->SetMaxLength(Value);
}

void TCustomEdit::SetPasswordChar(char Value) {
    if (passwordChar_ == Value) return;
    passwordChar_ = Value;
    if (!multiLine_)
        static_cast<QLineEdit*>(native_->Widget.data())->setEchoMode(Value ? QLineEdit::Password : QLineEdit::Normal);
}

void TCustomEdit::SetReadOnly(bool Value) {
    if (readOnly_ == Value) return;
    readOnly_ = Value;
    static_cast<TEditNative*>(native_)->SetReadOnly(Value);
}

bool TCustomEdit::Modified() { return Perform(EM_GETMODIFY, 0, 0) != 0; }
void TCustomEdit::SetModified(bool Value) { Perform(EM_SETMODIFY, Value ? 1 : 0, 0); }
bool TCustomEdit::CanUndo() { return Perform(EM_CANUNDO, 0, 0) != 0; }

int TCustomEdit::SelStart() {
    DWORD start = 0, end = 0;
    Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int Value) { Perform(EM_SETSEL, static_cast<WPARAM>(Value), Value); }

int TCustomEdit::SelLength() {
    DWORD start = 0, end = 0;
    Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int Value) {
    int start = SelStart();
    Perform(EM_SETSEL, static_cast<WPARAM>(start), start + Value);
}

AnsiString TCustomEdit::SelText() {
    int start = SelStart();
    int length = SelLength();
    AnsiString t = Text();
    if (start < 0 || start > static_cast<int>(t.size())) return AnsiString();
    return t.substr(static_cast<size_t>(start), static_cast<size_t>(length));
}

void TCustomEdit::SetSelText(const AnsiString& Value) {
    Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TCustomEdit::SelectAll() { Perform(EM_SETSEL, 0, -1); }
void TCustomEdit::ClearSelection() { Perform(WM_CLEAR, 0, 0); }
void TCustomEdit::Clear() { SetText(AnsiString()); }
void TCustomEdit::ClearUndo() { Perform(EM_EMPTYUNDOBUFFER, 0, 0); }
void TCustomEdit::Undo() { Perform(WM_UNDO, 0, 0); }
void TCustomEdit::CopyToClipboard() { Perform(WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { Perform(WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE, 0, 0); }

void TCustomEdit::DefaultHandler(TMessage& Message) {
    auto* native = static_cast<TEditNative*>(native_);
    auto typed = [&](AnsiString text, bool typing) {
        // What the user puts in: the letter case and the length limit apply.
        if (readOnly_) return;
        if (charCase_ == ecUpperCase) text = AnsiUpperCase(text);
        else if (charCase_ == ecLowerCase) text = AnsiLowerCase(text);
        if (maxLength_ > 0) {
            int s = 0, e = 0;
            native->GetSel(s, e);
            int room = maxLength_ - (native->Length() - (e - s));
            if (room <= 0) return;
            if (static_cast<int>(text.size()) > room) text.resize(static_cast<size_t>(room));
        }
        native->Snapshot(typing);
        native->Insert(text);
    };
    switch (Message.Msg) {
        case WM_GETTEXT: Message.Result = CopyTextOut(native->Text(), Message); return;
        case WM_GETTEXTLENGTH: Message.Result = native->Length(); return;
        case WM_SETTEXT: {
            native->SettingText = true;
            struct TDone {
                TEditNative* n;
                ~TDone() { n->SettingText = false; }
            } done{native};
            native->SetText(TextIn(Message));
            native->Modified = false;
            native->ClearUndo();
            Message.Result = 1;
            Perform(CM_TEXTCHANGED, 0, 0);
            return;
        }
        case WM_GETDLGCODE: Message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL; return;
        case EM_GETSEL: {
            int s = 0, e = 0;
            native->GetSel(s, e);
            StoreSel(Message, s, e);
            Message.Result = MAKELPARAM(std::min(s, 0xFFFF), std::min(e, 0xFFFF));
            return;
        }
        case EM_SETSEL: {
            int start = static_cast<int>(static_cast<int32_t>(Message.WParam));
            int end = static_cast<int>(Message.LParam);
            if (start == -1) {
                // No selection: the caret stays where it is.
                int s = 0, e = 0;
                native->GetSel(s, e);
                native->SetSel(e, e);
                return;
            }
            native->SetSel(start, end);
            return;
        }
        case EM_REPLACESEL:
            if (!readOnly_) {
                native->Snapshot(false);
                native->Insert(TextIn(Message));
                native->Modified = true;
            }
            return;
        case EM_GETMODIFY: Message.Result = native->Modified ? 1 : 0; return;
        case EM_SETMODIFY: native->Modified = Message.WParam != 0; return;
        case EM_CANUNDO: Message.Result = native->CanUndo() ? 1 : 0; return;
        case EM_UNDO:
        case WM_UNDO:
            if (!readOnly_) native->Undo();
            Message.Result = 1;
            return;
        case EM_EMPTYUNDOBUFFER: native->ClearUndo(); return;
        case EM_LIMITTEXT: SetMaxLength(static_cast<int>(Message.WParam)); return;
        case EM_GETLIMITTEXT: Message.Result = maxLength_ > 0 ? maxLength_ : 0x7FFFFFFE; return;
        case EM_SETREADONLY:
            SetReadOnly(Message.WParam != 0);
            Message.Result = 1;
            return;
        case EM_GETRECT: {
            auto* r = reinterpret_cast<TRect*>(Message.LParam);
            if (!r) return;
            if (native->Formatting.isNull()) *r = TRect(1, 1, Width() - 2, Height() - 2);
            else *r = TRect(native->Formatting.left(), native->Formatting.top(), native->Formatting.right() + 1,
                            native->Formatting.bottom() + 1);
            return;
        }
        case EM_SETRECT:
        case EM_SETRECTNP: {
            auto* r = reinterpret_cast<const TRect*>(Message.LParam);
            native->Formatting = r ? QRect(r->Left, r->Top, r->Width(), r->Height()) : QRect();
            native->ApplyMargins();
            return;
        }
        case EM_SCROLLCARET: return;
        case EM_CHARFROMPOS: {
            int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
            Message.Result = native->CharFromPos(x, y);
            return;
        }
        case WM_COPY:
        case WM_CUT: {
            int s = 0, e = 0;
            native->GetSel(s, e);
            if (e > s && passwordChar_ == 0) Clipboard()->SetAsText(native->Text().substr(static_cast<size_t>(s),
                                                                                         static_cast<size_t>(e - s)));
            if (Message.Msg == WM_CUT && !readOnly_ && e > s) {
                native->Snapshot(false);
                native->DeleteSelection();
                native->Modified = true;
            }
            Message.Result = 1;
            return;
        }
        case WM_PASTE: {
            if (readOnly_) return;
            AnsiString text = Clipboard()->AsText();
            if (!multiLine_) {
                // A single line takes the clipboard up to its first line break.
                size_t brk = text.find_first_of("\r\n");
                if (brk != AnsiString::npos) text.resize(brk);
            }
            typed(text, false);
            Message.Result = 1;
            return;
        }
        case WM_CLEAR:
            if (!readOnly_) {
                native->Snapshot(false);
                native->DeleteSelection();
            }
            return;
        case WM_CHAR: {
            auto c = static_cast<unsigned char>(Message.WParam & 0xFF);
            if (c >= 32 && c != 127) {
                typed(AnsiString(1, static_cast<char>(c)), true);
                return;
            }
            switch (c) {
                case 1: SelectAll(); return;
                case 3: Perform(WM_COPY, 0, 0); return;
                case 22: Perform(WM_PASTE, 0, 0); return;
                case 24: Perform(WM_CUT, 0, 0); return;
                case 26: Perform(WM_UNDO, 0, 0); return;
                case 8:
                    if (readOnly_) return;
                    native->Snapshot(true);
                    if (!(HandleAllocated() && PassToNativeWidget(Handle(), WM_CHAR))) native->Backspace();
                    return;
                default: break;
            }
            break;
        }
        case WM_KEYDOWN: {
            bool shift = GetKeyState(VK_SHIFT) < 0;
            bool ctrl = GetKeyState(VK_CONTROL) < 0;
            // The clipboard keys of the edit control, through the program's clipboard.
            if (Message.WParam == VK_INSERT && ctrl && !shift) {
                Perform(WM_COPY, 0, 0);
                return;
            }
            if (Message.WParam == VK_INSERT && shift && !ctrl) {
                Perform(WM_PASTE, 0, 0);
                return;
            }
            if (Message.WParam == VK_DELETE && shift && !ctrl) {
                Perform(WM_CUT, 0, 0);
                return;
            }
            bool deleting = Message.WParam == VK_DELETE && !readOnly_;
            if (deleting) native->Snapshot(false);
            else native->Typing = false;  // moving the caret ends a run of typing
            if (HandleAllocated() && PassToNativeWidget(Handle(), WM_KEYDOWN)) return;
            if (!ctrl) native->MoveKey(static_cast<WORD>(Message.WParam), shift);
            return;
        }
        default: break;
    }
    TWidgetControl::DefaultHandler(Message);
}

// ---------------------------------------------------------------- TCustomMemo

namespace {

// The lines of a memo, read from and written to its text.
class TMemoStrings final : public TStrings {
public:
    explicit TMemoStrings(TCustomMemo* memo, TMemoNative* native) : memo_(memo), native_(native) {}
    const char* ClassName() const override { return "TMemoStrings"; }

    void Clear() override { memo_->SetText(AnsiString()); }
    void Delete(int Index) override {
        CheckIndex(Index);
        QTextDocument* doc = native_->Doc();
        QTextBlock b = doc->findBlockByNumber(Index);
        QTextCursor c(doc);
        if (b.next().isValid()) {
            c.setPosition(b.position());
            c.setPosition(b.next().position(), QTextCursor::KeepAnchor);
        } else if (b.previous().isValid()) {
            c.setPosition(b.previous().position() + b.previous().length() - 1);
            c.setPosition(b.position() + b.length() - 1, QTextCursor::KeepAnchor);
        } else {
            c.select(QTextCursor::Document);
        }
        c.removeSelectedText();
    }
    void Insert(int Index, const AnsiString& S) override {
        int count = GetCount();
        if (Index < 0 || Index > count) Error("List index out of bounds (%d)", Index);
        QTextDocument* doc = native_->Doc();
        QTextCursor c(doc);
        QString line = ToQText(S);
        if (Index < count) {
            c.setPosition(doc->findBlockByNumber(Index).position());
            c.insertText(line + '\n');
            return;
        }
        QTextBlock last = doc->lastBlock();
        c.setPosition(last.position() + last.length() - 1);
        // The last line of the text is empty (an empty memo, or a final line
        // break): the new line goes there and ends with a break; otherwise it
        // goes after a new break.
        if (last.text().isEmpty()) c.insertText(line + '\n');
        else c.insertText('\n' + line);
    }

protected:
    AnsiString Get(int Index) const override {
        CheckIndex(Index);
        return FromQString(native_->Doc()->findBlockByNumber(Index).text());
    }
    void Put(int Index, const AnsiString& S) override {
        CheckIndex(Index);
        QTextBlock b = native_->Doc()->findBlockByNumber(Index);
        QTextCursor c(native_->Doc());
        c.setPosition(b.position());
        c.setPosition(b.position() + b.length() - 1, QTextCursor::KeepAnchor);
        c.insertText(ToQText(S));
    }
    int GetCount() const override {
        QTextDocument* doc = native_->Doc();
        int n = doc->blockCount();
        // A last empty line (after a final break, or of an empty memo) is not a line.
        if (doc->lastBlock().text().isEmpty()) --n;
        return n;
    }
    void SetTextStr(const AnsiString& Value) override { memo_->SetText(Value); }
    void SetUpdateState(bool Updating) override { native_->Memo()->setUpdatesEnabled(!Updating); }

private:
    void CheckIndex(int Index) const {
        if (Index < 0 || Index >= GetCount()) Error("List index out of bounds (%d)", Index);
    }
    TCustomMemo* memo_;
    TMemoNative* native_;
};

}  // namespace

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner, true) {
    lines_ = new TMemoStrings(this, static_cast<TMemoNative*>(native_));
    SetBounds(0, 0, 185, 89);
    SetAutoSize(false);
    auto* memo = static_cast<QPlainTextEdit*>(native_->Widget.data());
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

TCustomMemo::~TCustomMemo() { delete lines_; }

void TCustomMemo::SetLines(TStrings* Value) { lines_->Assign(Value); }

void TCustomMemo::SetAlignment(TAlignment Value) {
    if (alignment_ == Value) return;
    alignment_ = Value;
    auto* memo = static_cast<QPlainTextEdit*>(native_->Widget.data());
    QTextOption opt = memo->document()->defaultTextOption();
    opt.setAlignment(Value == taRightJustify ? Qt::AlignRight : Value == taCenter ? Qt::AlignHCenter : Qt::AlignLeft);
    memo->document()->setDefaultTextOption(opt);
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
    if (scrollBars_ == Value) return;
    scrollBars_ = Value;
    auto* memo = static_cast<QPlainTextEdit*>(native_->Widget.data());
    bool v = Value == ssVertical || Value == ssBoth;
    bool h = Value == ssHorizontal || Value == ssBoth;
    memo->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TCustomMemo::SetWordWrap(bool Value) {
    if (wordWrap_ == Value) return;
    wordWrap_ = Value;
    static_cast<QPlainTextEdit*>(native_->Widget.data())
        ->setLineWrapMode(Value ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

TPoint TCustomMemo::CaretPos() {
    QTextCursor c = static_cast<QPlainTextEdit*>(native_->Widget.data())->textCursor();
    return TPoint(c.positionInBlock(), c.blockNumber());
}

void TCustomMemo::SetCaretPos(TPoint Value) {
    auto* memo = static_cast<QPlainTextEdit*>(native_->Widget.data());
    QTextBlock b = memo->document()->findBlockByNumber(std::max(0, Value.Y));
    if (!b.isValid()) b = memo->document()->lastBlock();
    QTextCursor c(memo->document());
    c.setPosition(b.position() + std::clamp(Value.X, 0, b.length() - 1));
    memo->setTextCursor(c);
}

void TCustomMemo::ScrollCaret() { static_cast<QPlainTextEdit*>(native_->Widget.data())->ensureCursorVisible(); }

void TCustomMemo::Dispatch(TMessage& Message) { TCustomEdit::Dispatch(Message); }

void TCustomMemo::DefaultHandler(TMessage& Message) {
    auto* native = static_cast<TMemoNative*>(native_);
    switch (Message.Msg) {
        case WM_GETDLGCODE: {
            LRESULT code = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
            if (wantReturns_) code |= DLGC_WANTALLKEYS;
            if (wantTabs_) code |= DLGC_WANTTAB;
            Message.Result = code;
            return;
        }
        case WM_CHAR: {
            auto c = static_cast<unsigned char>(Message.WParam & 0xFF);
            if (c == 13 || c == 10) {
                if (!ReadOnly()) {
                    native->Snapshot(true);
                    native->Insert("\r\n");
                    native->Modified = true;
                }
                return;
            }
            if (c == 9) {
                if (!ReadOnly()) {
                    native->Snapshot(true);
                    native->Insert("\t");
                    native->Modified = true;
                }
                return;
            }
            break;
        }
        case EM_GETLINECOUNT: Message.Result = std::max(1, native->Doc()->blockCount()); return;
        case EM_LINEFROMCHAR: {
            int pos = static_cast<int>(static_cast<int32_t>(Message.WParam));
            if (pos < 0) {
                int s = 0, e = 0;
                native->GetSel(s, e);
                pos = s;
            }
            Message.Result = native->Doc()->findBlock(native->FromProgram(pos)).blockNumber();
            return;
        }
        case EM_LINEINDEX: {
            int line = static_cast<int>(static_cast<int32_t>(Message.WParam));
            if (line < 0) line = native->Memo()->textCursor().blockNumber();
            QTextBlock b = native->Doc()->findBlockByNumber(line);
            Message.Result = b.isValid() ? b.position() + b.blockNumber() : -1;
            return;
        }
        case EM_LINELENGTH: {
            int pos = static_cast<int>(static_cast<int32_t>(Message.WParam));
            QTextBlock b = pos < 0 ? native->Memo()->textCursor().block() : native->Doc()->findBlock(native->FromProgram(pos));
            Message.Result = b.isValid() ? b.text().size() : 0;
            return;
        }
        case EM_GETFIRSTVISIBLELINE:
            Message.Result = native->Memo()->cursorForPosition(QPoint(1, 1)).blockNumber();
            return;
        case EM_SCROLLCARET: ScrollCaret(); return;
        default: break;
    }
    TCustomEdit::DefaultHandler(Message);
}

// ---------------------------------------------------------------- TCustomComboBox

namespace {

class TNativeComboBox final : public QComboBox {
public:
    explicit TNativeComboBox(TCustomComboBox* owner) : owner_(owner) { setContextMenuPolicy(Qt::NoContextMenu); }
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

private:
    TCustomComboBox* owner_;
};

}  // namespace

struct TComboNative final : TNativeWidget {
    explicit TComboNative(TCustomComboBox* owner) : TNativeWidget(new TNativeComboBox(owner)) {
        TextBox = true;
        Background = true;
    }
    QComboBox* Combo() const { return static_cast<QComboBox*>(Widget.data()); }
    std::vector<TObject*> Objects;  // beside the items, in their order
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
            // The first place whose item sorts after S.
            index = 0;
            while (index < GetCount() && AnsiCompareText(Get(index), S) <= 0) ++index;
        }
        InsertObject(index, S, AObject);
        return index;
    }
    void Clear() override {
        QSignalBlocker block(Combo());
        Combo()->clear();
        native_->Objects.clear();
    }
    void Delete(int Index) override {
        CheckIndex(Index);
        QSignalBlocker block(Combo());
        Combo()->removeItem(Index);
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
        native_->Objects.insert(native_->Objects.begin() + Index, AObject);
        if (current < 0) Combo()->setCurrentIndex(-1);
        if (Combo()->isEditable() && Combo()->currentText() != text) Combo()->setEditText(text);
    }

protected:
    AnsiString Get(int Index) const override {
        CheckIndex(Index);
        return FromQString(Combo()->itemText(Index));
    }
    void Put(int Index, const AnsiString& S) override {
        CheckIndex(Index);
        QSignalBlocker block(Combo());
        Combo()->setItemText(Index, ToQString(S));
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

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TWidgetControl(AOwner, new TComboNative(this)) {
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
            index = 0;
            while (index < GetCount() && AnsiCompareText(items_[static_cast<size_t>(index)].first, S) <= 0) ++index;
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

// ---------------------------------------------------------------- TScrollBar

struct TScrollBarNative final : TNativeWidget {
    TScrollBarNative() : TNativeWidget(new QScrollBar(Qt::Horizontal)) {}
    QScrollBar* Bar() const { return static_cast<QScrollBar*>(Widget.data()); }
};

TScrollBar::TScrollBar(TComponent* AOwner) : TWidgetControl(AOwner, new TScrollBarNative()) {
    QScrollBar* bar = static_cast<TScrollBarNative*>(native_)->Bar();
    bar->setFocusPolicy(Qt::NoFocus);
    controlStyle_ = csFramed | csDoubleClicks | csOpaque;
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar,
                     [this](int action) { FromWidget([this, action] { UserAction(action); }); });
    QObject::connect(bar, &QAbstractSlider::sliderReleased, bar, [this] {
        FromWidget([this] {
            int pos = position_;
            Scroll(scEndScroll, pos);
        });
    });
    SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
    SetTabStop(true);
    UpdateNative();
}

void TScrollBar::SetKind(TScrollBarKind Value) {
    if (kind_ == Value) return;
    kind_ = Value;
    static_cast<TScrollBarNative*>(native_)->Bar()->setOrientation(Value == sbVertical ? Qt::Vertical : Qt::Horizontal);
    if (!InState(csLoading)) SetBounds(Left(), Top(), Height(), Width());
}

void TScrollBar::SetPageSize(int Value) {
    if (pageSize_ == Value || Value > max_ - min_ + 1) return;
    pageSize_ = std::max(0, Value);
    UpdateNative();
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
    if (AMax < AMin || AMax < pageSize_) throw EInvalidOperation("Scroll bar property out of range");
    APosition = std::clamp(APosition, AMin, AMax);
    bool changed = APosition != position_;
    min_ = AMin;
    max_ = AMax;
    position_ = APosition;
    UpdateNative();
    if (changed) Change();
}

void TScrollBar::UpdateNative() {
    QScrollBar* bar = static_cast<TScrollBarNative*>(native_)->Bar();
    QSignalBlocker block(bar);
    int top = max_ - std::max(pageSize_ - 1, 0);
    bar->setRange(min_, std::max(min_, top));
    bar->setPageStep(pageSize_ > 0 ? pageSize_ : largeChange_);
    bar->setSingleStep(smallChange_);
    bar->setValue(position_);
    bar->setSliderPosition(position_);
}

void TScrollBar::UserAction(int Action) {
    TScrollCode code;
    int pos = position_;
    QScrollBar* bar = static_cast<TScrollBarNative*>(native_)->Bar();
    switch (Action) {
        case QAbstractSlider::SliderSingleStepAdd: code = scLineDown; pos += smallChange_; break;
        case QAbstractSlider::SliderSingleStepSub: code = scLineUp; pos -= smallChange_; break;
        case QAbstractSlider::SliderPageStepAdd: code = scPageDown; pos += largeChange_; break;
        case QAbstractSlider::SliderPageStepSub: code = scPageUp; pos -= largeChange_; break;
        case QAbstractSlider::SliderToMinimum: code = scTop; pos = min_; break;
        case QAbstractSlider::SliderToMaximum: code = scBottom; pos = max_; break;
        case QAbstractSlider::SliderMove: code = scTrack; pos = bar->sliderPosition(); break;
        default: return;
    }
    pos = std::clamp(pos, min_, max_);
    Scroll(code, pos);
    SetPosition(pos);
    bar->setSliderPosition(position_);
}

void TScrollBar::Change() {
    if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, int& ScrollPos) {
    if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}

// ---------------------------------------------------------------- published

TESK_PUBLISHED(TWidgetControl) {}

TESK_PUBLISHED(TCustomLabel) {}

TESK_PUBLISHED(TLabel) {
    TESK_PUBLISH_CONTROL_COMMON();
    Property("Alignment", &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
    Property("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("FocusControl", &T::FocusControl, &T::SetFocusControl);
    Property("Layout", &T::Layout, &T::SetLayout).Default(tlTop);
    Property("ShowAccelChar", &T::ShowAccelChar, &T::SetShowAccelChar).Default(true);
    Property("Transparent", &T::Transparent, &T::SetTransparent).Default(false);
    Property("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(false);
    Property("OnMouseEnter", &T::OnMouseEnter, &T::OnMouseEnter);
    Property("OnMouseLeave", &T::OnMouseLeave, &T::OnMouseLeave);
}

TESK_PUBLISHED(TButtonControl) {}

TESK_PUBLISHED(TButton) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Action", &T::Action, &T::SetAction);
    Property("Cancel", &T::Cancel, &T::SetCancel).Default(false);
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("Default", &T::Default, &T::SetDefault).Default(false);
    Property("ModalResult", &T::ModalResult, &T::SetModalResult).Default(0);
    Property("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(false);
}

TESK_PUBLISHED(TCustomCheckBox) {}

TESK_PUBLISHED(TCheckBox) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Action", &T::Action, &T::SetAction);
    Property("Alignment", &T::Alignment, &T::SetAlignment).Default(taRightJustify);
    Property("AllowGrayed", &T::AllowGrayed, &T::SetAllowGrayed).Default(false);
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("Checked", &T::Checked, &T::SetChecked).Default(false);
    Property("State", &T::State, &T::SetState).Default(cbUnchecked);
    Property("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(false);
}

TESK_PUBLISHED(TRadioButton) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Action", &T::Action, &T::SetAction);
    Property("Alignment", &T::Alignment, &T::SetAlignment).Default(taRightJustify);
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("Checked", &T::Checked, &T::SetChecked).Default(false);
    Property("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(false);
}

TESK_PUBLISHED(TCustomGroupBox) {}

TESK_PUBLISHED(TGroupBox) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
}

TESK_PUBLISHED(TCustomEdit) {}

#define TESK_PUBLISH_EDIT_COMMON()                                                    \
    Property("AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(true);          \
    Property("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);   \
    Property("CharCase", &T::CharCase, &T::SetCharCase).Default(ecNormal);            \
    Property("HideSelection", &T::HideSelection, &T::SetHideSelection).Default(true); \
    Property("MaxLength", &T::MaxLength, &T::SetMaxLength).Default(0);                \
    Property("OEMConvert", &T::OEMConvert, &T::SetOEMConvert).Default(false);         \
    Property("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(false);               \
    Property("OnChange", &T::OnChange, &T::OnChange)

TESK_PUBLISHED(TEdit) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    TESK_PUBLISH_EDIT_COMMON();
    Property("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
    Property("PasswordChar", &T::PasswordChar, &T::SetPasswordChar).Default(0);
    Property("Text", &T::Text, &T::SetText);
}

TESK_PUBLISHED(TCustomMemo) {}

TESK_PUBLISHED(TMemo) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    TESK_PUBLISH_EDIT_COMMON();
    Property("Alignment", &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
    Property("Lines", &T::Lines, &T::SetLines);
    Property("ScrollBars", &T::ScrollBars, &T::SetScrollBars).Default(ssNone);
    Property("WantReturns", &T::WantReturns, &T::SetWantReturns).Default(true);
    Property("WantTabs", &T::WantTabs, &T::SetWantTabs).Default(false);
    Property("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(true);
}

TESK_PUBLISHED(TCustomComboBox) {}

TESK_PUBLISHED(TComboBox) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Style", &T::Style, &T::SetStyle).Default(csDropDown);
    Property("CharCase", &T::CharCase, &T::SetCharCase).Default(ecNormal);
    Property("DropDownCount", &T::DropDownCount, &T::SetDropDownCount).Default(8);
    Property("ItemHeight", &T::ItemHeight, &T::SetItemHeight);
    Property("MaxLength", &T::MaxLength, &T::SetMaxLength).Default(0);
    Property("Sorted", &T::Sorted, &T::SetSorted).Default(false);
    Property("Items", &T::Items, &T::SetItems);
    Property("Text", &T::Text, &T::SetText);
    Property("ItemIndex", &T::ItemIndex, &T::SetItemIndex).Default(-1);
    Property("OnChange", &T::OnChange, &T::OnChange);
    Property("OnCloseUp", &T::OnCloseUp, &T::OnCloseUp);
    Property("OnDrawItem", &T::OnDrawItem, &T::OnDrawItem);
    Property("OnDropDown", &T::OnDropDown, &T::OnDropDown);
    Property("OnMeasureItem", &T::OnMeasureItem, &T::OnMeasureItem);
    Property("OnSelect", &T::OnSelect, &T::OnSelect);
}

TESK_PUBLISHED(TCustomListBox) {}

TESK_PUBLISHED(TListBox) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
    Property("IntegralHeight", &T::IntegralHeight, &T::SetIntegralHeight).Default(false);
    Property("ItemHeight", &T::ItemHeight, &T::SetItemHeight);
    Property("Items", &T::Items, &T::SetItems);
    Property("Sorted", &T::Sorted, &T::SetSorted).Default(false);
    Property("Style", &T::Style, &T::SetStyle).Default(lbStandard);
    Property("OnData", &T::OnData, &T::OnData);
    Property("OnDrawItem", &T::OnDrawItem, &T::OnDrawItem);
    Property("OnMeasureItem", &T::OnMeasureItem, &T::OnMeasureItem);
}

TESK_PUBLISHED(TScrollBar) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Kind", &T::Kind, &T::SetKind).Default(sbHorizontal);
    Property("LargeChange", &T::LargeChange, &T::SetLargeChange).Default(1);
    Property("Max", &T::Max, &T::SetMax).Default(100);
    Property("Min", &T::Min, &T::SetMin).Default(0);
    Property("PageSize", &T::PageSize, &T::SetPageSize).Default(0);
    Property("Position", &T::Position, &T::SetPosition).Default(0);
    Property("SmallChange", &T::SmallChange, &T::SetSmallChange).Default(1);
    Property("OnChange", &T::OnChange, &T::OnChange);
    Property("OnScroll", &T::OnScroll, &T::OnScroll);
}
