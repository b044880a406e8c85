#include "platform/gui/AppEvnts.h"

#include <algorithm>
#include <vector>

#include "platform/rtti/Published.h"

namespace {

// Stands in for the application's events while any TApplicationEvents exists,
// and hands each event to them in turn.
class TEventHub : public TObject {
public:
    std::vector<TCustomApplicationEvents*> Instances;  // the first hears first
    bool Cancelled = false;

    void Install() {
        if (!Application || installed_) return;
        installed_ = true;
        app_ = Application;
        saved_.OnActivate = app_->OnActivate;
        saved_.OnDeactivate = app_->OnDeactivate;
        saved_.OnException = app_->OnException;
        saved_.OnIdle = app_->OnIdle;
        saved_.OnHint = app_->OnHint;
        saved_.OnMessage = app_->OnMessage;
        saved_.OnMinimize = app_->OnMinimize;
        saved_.OnRestore = app_->OnRestore;
        saved_.OnShowHint = app_->OnShowHint;
        app_->OnActivate = MakeEvent(this, &TEventHub::Activate);
        app_->OnDeactivate = MakeEvent(this, &TEventHub::Deactivate);
        app_->OnException = MakeEvent(this, &TEventHub::Exception);
        app_->OnIdle = MakeEvent(this, &TEventHub::Idle);
        app_->OnHint = MakeEvent(this, &TEventHub::Hint);
        app_->OnMessage = MakeEvent(this, &TEventHub::Message);
        app_->OnMinimize = MakeEvent(this, &TEventHub::Minimize);
        app_->OnRestore = MakeEvent(this, &TEventHub::Restore);
        app_->OnShowHint = MakeEvent(this, &TEventHub::ShowHint);
    }

    void Uninstall() {
        if (!installed_) return;
        installed_ = false;
        // Only while the application is the one we hooked and still ours.
        if (Application != app_ || !app_) return;
        app_->OnActivate = saved_.OnActivate;
        app_->OnDeactivate = saved_.OnDeactivate;
        app_->OnException = saved_.OnException;
        app_->OnIdle = saved_.OnIdle;
        app_->OnHint = saved_.OnHint;
        app_->OnMessage = saved_.OnMessage;
        app_->OnMinimize = saved_.OnMinimize;
        app_->OnRestore = saved_.OnRestore;
        app_->OnShowHint = saved_.OnShowHint;
    }

    // Each instance with a handler, in order, until one cancels.
    template <class F>
    bool Each(F f) {
        bool any = false;
        bool saved = Cancelled;
        Cancelled = false;
        auto list = Instances;
        for (TCustomApplicationEvents* e : list) {
            if (std::find(Instances.begin(), Instances.end(), e) == Instances.end()) continue;
            any = f(e) || any;
            if (Cancelled) break;
        }
        Cancelled = saved;
        return any;
    }

    void Activate(TObject* Sender) {
        Each([&](auto* e) { return e->OnActivate ? (e->OnActivate(Sender), true) : false; });
        if (saved_.OnActivate) saved_.OnActivate(Sender);
    }
    void Deactivate(TObject* Sender) {
        Each([&](auto* e) { return e->OnDeactivate ? (e->OnDeactivate(Sender), true) : false; });
        if (saved_.OnDeactivate) saved_.OnDeactivate(Sender);
    }
    void Exception(TObject* Sender, ::Exception* E) {
        bool handled = Each([&](auto* e) { return e->OnException ? (e->OnException(Sender, E), true) : false; });
        if (handled) return;
        if (saved_.OnException) saved_.OnException(Sender, E);
        else if (Application) Application->ShowException(E);
    }
    void Idle(TObject* Sender, bool& Done) {
        Each([&](auto* e) { return e->OnIdle ? (e->OnIdle(Sender, Done), true) : false; });
        if (saved_.OnIdle) saved_.OnIdle(Sender, Done);
    }
    void Hint(TObject* Sender) {
        Each([&](auto* e) { return e->OnHint ? (e->OnHint(Sender), true) : false; });
        if (saved_.OnHint) saved_.OnHint(Sender);
    }
    void Message(TMsg& Msg, bool& Handled) {
        Each([&](auto* e) {
            if (!e->OnMessage || Handled) return false;
            e->OnMessage(Msg, Handled);
            return true;
        });
        if (!Handled && saved_.OnMessage) saved_.OnMessage(Msg, Handled);
    }
    void Minimize(TObject* Sender) {
        Each([&](auto* e) { return e->OnMinimize ? (e->OnMinimize(Sender), true) : false; });
        if (saved_.OnMinimize) saved_.OnMinimize(Sender);
    }
    void Restore(TObject* Sender) {
        Each([&](auto* e) { return e->OnRestore ? (e->OnRestore(Sender), true) : false; });
        if (saved_.OnRestore) saved_.OnRestore(Sender);
    }
    void ShowHint(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo) {
        Each([&](auto* e) { return e->OnShowHint ? (e->OnShowHint(HintStr, CanShow, HintInfo), true) : false; });
        if (saved_.OnShowHint) saved_.OnShowHint(HintStr, CanShow, HintInfo);
    }

private:
    struct {
        TNotifyEvent OnActivate, OnDeactivate, OnHint, OnMinimize, OnRestore;
        TExceptionEvent OnException;
        TIdleEvent OnIdle;
        TMessageEvent OnMessage;
        TShowHintEvent OnShowHint;
    } saved_;
    bool installed_ = false;
    TApplication* app_ = nullptr;
};

TEventHub& Hub() {
    static TEventHub* hub = new TEventHub();
    return *hub;
}

}  // namespace

bool ApplicationExecuteAction(TBasicAction* Action) {
    bool handled = false;
    Hub().Each([&](TCustomApplicationEvents* e) {
        if (!e->OnActionExecute || handled) return false;
        e->OnActionExecute(Action, handled);
        return true;
    });
    return handled;
}

bool ApplicationUpdateAction(TBasicAction* Action) {
    bool handled = false;
    Hub().Each([&](TCustomApplicationEvents* e) {
        if (!e->OnActionUpdate || handled) return false;
        e->OnActionUpdate(Action, handled);
        return true;
    });
    return handled;
}

TCustomApplicationEvents::TCustomApplicationEvents(TComponent* AOwner) : TComponent(AOwner) {
    Hub().Instances.insert(Hub().Instances.begin(), this);
    Hub().Install();
}

void TCustomApplicationEvents::BeforeDestruction() {
    auto& list = Hub().Instances;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (list.empty()) Hub().Uninstall();
    TComponent::BeforeDestruction();
}

TCustomApplicationEvents::~TCustomApplicationEvents() {
    auto& list = Hub().Instances;
    if (std::find(list.begin(), list.end(), this) == list.end()) return;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (list.empty()) Hub().Uninstall();
}

void TCustomApplicationEvents::Activate() {
    auto& list = Hub().Instances;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.insert(list.begin(), this);
}

void TCustomApplicationEvents::CancelDispatch() { Hub().Cancelled = true; }

TESK_PUBLISHED(TCustomApplicationEvents) {}

TESK_PUBLISHED(TApplicationEvents) {
    Property("OnActionExecute", &T::OnActionExecute, &T::OnActionExecute);
    Property("OnActionUpdate", &T::OnActionUpdate, &T::OnActionUpdate);
    Property("OnActivate", &T::OnActivate, &T::OnActivate);
    Property("OnDeactivate", &T::OnDeactivate, &T::OnDeactivate);
    Property("OnException", &T::OnException, &T::OnException);
    Property("OnHint", &T::OnHint, &T::OnHint);
    Property("OnIdle", &T::OnIdle, &T::OnIdle);
    Property("OnMessage", &T::OnMessage, &T::OnMessage);
    Property("OnMinimize", &T::OnMinimize, &T::OnMinimize);
    Property("OnRestore", &T::OnRestore, &T::OnRestore);
    Property("OnShowHint", &T::OnShowHint, &T::OnShowHint);
}
