// Buttons, check boxes, radio buttons and group boxes.
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
#include "platform/gui/Menus.h"
#include "platform/gui/QtGraphics.h"
#include "platform/gui/WinApi_p.h"
#include "platform/gui/Widgets_p.h"
#include "platform/rtl/SysUtils.h"

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

int TCustomCheckBox::CaptionFitWidth() const {
    auto* box = static_cast<QCheckBox*>(native_->Widget.data());
    return box ? box->sizeHint().width() : Width();
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
