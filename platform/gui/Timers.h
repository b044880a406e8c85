#pragma once
// TTimer: OnTimer every Interval milliseconds while Enabled, from WM_TIMER of
// a helper window (so the tick count that tests control drives it too).
#include "platform/classes/Classes.h"
#include "platform/gui/WinApi.h"
#include "platform/rtti/TypInfo.h"

class TTimer : public TComponent {
    TESK_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    UINT Interval() const { return interval_; }
    void SetInterval(UINT Value);
    TNotifyEvent OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent Value);
    void Loaded() override;

protected:
    virtual void Timer();

private:
    void UpdateTimer();
    void WndProc(TMessage& Message);
    bool enabled_ = true;
    UINT interval_ = 1000;
    TNotifyEvent onTimer_;
    HWND window_ = nullptr;
};
