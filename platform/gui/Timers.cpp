#include "platform/gui/Timers.h"

#include "platform/gui/Forms.h"
#include "platform/rtti/Published.h"

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
    window_ = AllocateHWnd(TWndMethod(this, &TTimer::WndProc));
}

TTimer::~TTimer() {
    enabled_ = false;
    UpdateTimer();
    DeallocateHWnd(window_);
}

void TTimer::UpdateTimer() {
    KillTimer(window_, 1);
    if (interval_ != 0 && enabled_ && onTimer_ && !InState(csLoading)) SetTimer(window_, 1, interval_);
}

void TTimer::SetEnabled(bool Value) {
    if (enabled_ == Value) return;
    enabled_ = Value;
    UpdateTimer();
}

void TTimer::SetInterval(UINT Value) {
    if (interval_ == Value) return;
    interval_ = Value;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
    onTimer_ = Value;
    UpdateTimer();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::Timer() {
    if (onTimer_) onTimer_(this);
}

void TTimer::WndProc(TMessage& Message) {
    if (Message.Msg != WM_TIMER) {
        Message.Result = DefWindowProc(window_, Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    try {
        Timer();
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
}

TESK_PUBLISHED(TTimer) {
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("Interval", &T::Interval, &T::SetInterval).Default(1000);
    Property("OnTimer", &T::OnTimer, &T::SetOnTimer);
}
