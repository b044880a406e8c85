#pragma once
// TApplicationEvents: the application's events as a component on a form, so
// that a form definition binds them. Several may exist; each event goes to
// all of them, the most recently created (or activated) first, until one
// calls CancelDispatch. With none that handles an exception, the application
// shows it as usual.
#include "platform/gui/ActnList.h"
#include "platform/gui/Forms.h"

class TCustomApplicationEvents : public TComponent {
    TESK_CLASS(TCustomApplicationEvents, TComponent)
public:
    explicit TCustomApplicationEvents(TComponent* AOwner);
    void BeforeDestruction() override;
    ~TCustomApplicationEvents() override;

    // This one hears the events first from now on.
    void Activate();
    // The event being dispatched goes no further.
    void CancelDispatch();

    TActionEvent OnActionExecute;
    TActionEvent OnActionUpdate;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TExceptionEvent OnException;
    TIdleEvent OnIdle;
    TNotifyEvent OnHint;
    TMessageEvent OnMessage;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    TShowHintEvent OnShowHint;
};

class TApplicationEvents : public TCustomApplicationEvents {
    TESK_CLASS(TApplicationEvents, TCustomApplicationEvents)
public:
    explicit TApplicationEvents(TComponent* AOwner) : TCustomApplicationEvents(AOwner) {}
};
