#include "storage/StWindowHook.h"

#include <algorithm>

#include "platform/gui/Forms.h"
#include "platform/gui/WinApi.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Streaming.h"

TESK_PUBLISHED(TStWindowHook) {
    Property("Active", &T::Active, &T::SetActive).Default(true);
    Property("Control", &T::Control, &T::SetControl).Stored([](T& h) {
        return h.Control() && !dynamic_cast<TCustomForm*>(h.Control());
    });
    Property("BeforeMessage", &T::BeforeMessage, &T::SetBeforeMessage);
    Property("AfterMessage", &T::AfterMessage, &T::SetAfterMessage);
}

namespace {

// Frees the records of destroyed controls from a posted message, after the
// dispatch that saw the destruction has unwound.
class TStReleaser : public TObject {
public:
    const char* ClassName() const override { return "TStReleaser"; }

    void DefReleaseObject(TStHookInfos* Infos) {
        if (std::find(pending_.begin(), pending_.end(), Infos) == pending_.end()) pending_.push_back(Infos);
        if (!handle_) handle_ = AllocateHWnd(TWndMethod(this, &TStReleaser::WndProc));
        PostMessage(handle_, CM_RELEASE, reinterpret_cast<WPARAM>(Infos), 0);
    }
    int Pending() const { return static_cast<int>(pending_.size()); }

private:
    void WndProc(TMessage& Msg) {
        ProtectedCall([&] {
            if (Msg.Msg != CM_RELEASE) {
                Msg.Result = DefWindowProc(handle_, Msg.Msg, Msg.WParam, Msg.LParam);
                return;
            }
            auto* infos = reinterpret_cast<TStHookInfos*>(Msg.WParam);
            auto it = std::find(pending_.begin(), pending_.end(), infos);
            if (it == pending_.end()) return;
            if (infos->Dispatching()) {
                // A message loop inside the dispatch got here first: wait for it to unwind.
                PostMessage(handle_, CM_RELEASE, Msg.WParam, 0);
                return;
            }
            pending_.erase(it);
            delete infos;
        });
    }
    HWND handle_ = nullptr;
    std::vector<TStHookInfos*> pending_;
};

// Both live to the end of the program; they are left to the operating system
// then, since the window system they talk to is gone by static destruction.
TStReleaser* Releaser() {
    static TStReleaser* releaser = new TStReleaser;
    return releaser;
}

}  // namespace

TStWndProcHook* WndProcHook() {
    static TStWndProcHook* hook = new TStWndProcHook;
    return hook;
}

int PendingHookReleases() { return Releaser()->Pending(); }

// ---------------------------------------------------------------------------
// TStHookInfos

TStHookInfos::TStHookInfos(TControl* AControl) : control_(AControl) {}

TStHookInfos::~TStHookInfos() {
    SetManager(nullptr);
    UnhookControl();
    for (Entry* head : first_)
        while (head) {
            Entry* next = head->next;
            delete head;
            head = next;
        }
}

void TStHookInfos::SetManager(TStWndProcHook* Value) {
    if (manager_ == Value) return;
    if (manager_) manager_->Detach(this);
    manager_ = Value;
    if (manager_) manager_->Attach(this);
}

int TStHookInfos::EntryCount(TStHookOrder Order) const {
    int n = 0;
    for (Entry* e = first_[Order]; e; e = e->next) ++n;
    return n;
}

void TStHookInfos::Add(TStHookOrder Order, const TStHookProc& Proc) {
    auto* entry = new Entry{Proc, nullptr};
    if (!first_[Order]) first_[Order] = entry;
    else last_[Order]->next = entry;
    last_[Order] = entry;
    // A level that already ran off the end of this chain still calls the new entry.
    for (int level = 0; level < depth_; ++level)
        if (!Slot(level, Order)) Slot(level, Order) = entry;
    HookControl();
}

void TStHookInfos::Delete(TStHookOrder Order, const TStHookProc& Proc) {
    Entry* prev = nullptr;
    Entry* e = first_[Order];
    while (e && !(e->proc == Proc)) {
        prev = e;
        e = e->next;
    }
    if (!e) return;
    if (prev) prev->next = e->next;
    else first_[Order] = e->next;
    if (last_[Order] == e) last_[Order] = prev;
    // A level about to call this entry goes on with the one after it.
    for (int level = 0; level < depth_; ++level)
        if (Slot(level, Order) == e) Slot(level, Order) = e->next;
    delete e;
    if (!first_[hoBefore] && !first_[hoAfter]) UnhookControl();
}

void TStHookInfos::HookControl() {
    if (hooked_ || controlDestroyed_ || !control_) return;
    oldWndProc_ = control_->WindowProc;
    control_->WindowProc = TWndMethod(this, &TStHookInfos::WindowMethod);
    hooked_ = true;
}

void TStHookInfos::UnhookControl() {
    if (!hooked_ || controlDestroyed_) return;
    if (control_) control_->WindowProc = oldWndProc_;
    hooked_ = false;
}

void TStHookInfos::RunChain(TStHookOrder Order, TMessage& Msg, bool& Handled) {
    const int level = depth_ - 1;
    Slot(level, Order) = first_[Order];
    while (!Handled && !controlDestroyed_) {
        Entry* e = Slot(level, Order);
        if (!e) break;
        Slot(level, Order) = e->next;
        // The entry may be deleted by its own handler: call a copy.
        const TStHookProc proc = e->proc;
        Handled = proc(Msg);
    }
}

void TStHookInfos::WindowMethod(TMessage& Msg) {
    Msg.Result = 0;
    if (static_cast<size_t>((depth_ + 1) * 2) > stack_.size()) stack_.resize(static_cast<size_t>((depth_ + 1) * 2));
    ++depth_;
    Slot(depth_ - 1, hoBefore) = nullptr;
    Slot(depth_ - 1, hoAfter) = nullptr;
    struct Pop {
        int& depth;
        ~Pop() {
            if (depth > 0) --depth;
        }
    } pop{depth_};
    bool handled = false;
    RunChain(hoBefore, Msg, handled);
    if (handled || controlDestroyed_) return;
    if (oldWndProc_) oldWndProc_(Msg);
    if (controlDestroyed_) return;
    RunChain(hoAfter, Msg, handled);
}

void TStHookInfos::ControlDestroyed() {
    if (controlDestroyed_) return;
    controlDestroyed_ = true;
    oldWndProc_ = TWndMethod();
    SetManager(nullptr);
    Releaser()->DefReleaseObject(this);
}

// ---------------------------------------------------------------------------
// TStWndProcHook

TStWndProcHook::~TStWndProcHook() {
    std::vector<TStHookInfos*> records = list_;
    for (TStHookInfos* r : records) delete r;
}

void TStWndProcHook::Attach(TStHookInfos* Infos) {
    if (std::find(list_.begin(), list_.end(), Infos) == list_.end()) list_.push_back(Infos);
}

void TStWndProcHook::Detach(TStHookInfos* Infos) {
    list_.erase(std::remove(list_.begin(), list_.end(), Infos), list_.end());
}

TStHookInfos* TStWndProcHook::Find(const TControl* AControl) const {
    for (TStHookInfos* r : list_)
        if (r->Control() == AControl) return r;
    return nullptr;
}

bool TStWndProcHook::AddHook(TControl* AControl, TStHookOrder Order, const TStHookProc& Proc) {
    if (!AControl || AControl->InState(csDestroying) || !Proc) return false;
    TStHookInfos* infos = Find(AControl);
    if (!infos) {
        infos = new TStHookInfos(AControl);
        infos->SetManager(this);
        AControl->FreeNotification(this);
    }
    infos->Add(Order, Proc);
    return true;
}

bool TStWndProcHook::RemoveHook(TControl* AControl, TStHookOrder Order, const TStHookProc& Proc) {
    if (!AControl || !Proc) return false;
    TStHookInfos* infos = Find(AControl);
    if (!infos) return false;
    infos->Delete(Order, Proc);
    return true;
}

void TStWndProcHook::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    // The notice comes from the component's last destructor: compare addresses, not types.
    for (TStHookInfos* r : list_)
        if (static_cast<TComponent*>(r->Control()) == AComponent) {
            r->ControlDestroyed();
            return;
        }
}

// ---------------------------------------------------------------------------
// TStWindowHook

TStWindowHook::TStWindowHook(TComponent* AOwner) : TStComponent(AOwner) {}

TStWindowHook::~TStWindowHook() {
    SetActive(false);
    SetControl(nullptr);
}

bool TStWindowHook::DoBeforeMessage(TMessage& Msg) {
    bool handled = false;
    if (beforeMessage_) beforeMessage_(this, Msg, handled);
    return handled;
}

bool TStWindowHook::DoAfterMessage(TMessage& Msg) {
    bool handled = false;
    if (afterMessage_) afterMessage_(this, Msg, handled);
    return handled;
}

void TStWindowHook::HookControl() {
    if (!control_) return;
    if (afterMessage_) WndProcHook()->AddHook(control_, hoAfter, TStHookProc(this, &TStWindowHook::DoAfterMessage));
    if (beforeMessage_)
        WndProcHook()->AddHook(control_, hoBefore, TStHookProc(this, &TStWindowHook::DoBeforeMessage));
}

void TStWindowHook::UnhookControl() {
    if (!control_) return;
    if (afterMessage_)
        WndProcHook()->RemoveHook(control_, hoAfter, TStHookProc(this, &TStWindowHook::DoAfterMessage));
    if (beforeMessage_)
        WndProcHook()->RemoveHook(control_, hoBefore, TStHookProc(this, &TStWindowHook::DoBeforeMessage));
}

void TStWindowHook::SetActive(bool Value) {
    if (active_ == Value) return;
    if (!InState(csDesigning)) {
        if (Value) HookControl();
        else UnhookControl();
    }
    active_ = Value;
}

void TStWindowHook::SetControl(TControl* Value) {
    if (control_ == Value) return;
    const bool savedActive = active_;
    SetActive(false);
    if (control_) control_->RemoveFreeNotification(this);
    if (Value && Value->InState(csDestroying)) {
        control_ = nullptr;
        return;
    }
    control_ = Value;
    if (control_) control_->FreeNotification(this);
    SetActive(savedActive);
}

void TStWindowHook::SetBeforeMessage(const TStHookMessageEvent& Value) {
    if (active_ && !InState(csDesigning) && control_) {
        const TStHookProc proc(this, &TStWindowHook::DoBeforeMessage);
        if (Value && !beforeMessage_) WndProcHook()->AddHook(control_, hoBefore, proc);
        else if (!Value && beforeMessage_) WndProcHook()->RemoveHook(control_, hoBefore, proc);
    }
    beforeMessage_ = Value;
}

void TStWindowHook::SetAfterMessage(const TStHookMessageEvent& Value) {
    if (active_ && !InState(csDesigning) && control_) {
        const TStHookProc proc(this, &TStWindowHook::DoAfterMessage);
        if (Value && !afterMessage_) WndProcHook()->AddHook(control_, hoAfter, proc);
        else if (!Value && afterMessage_) WndProcHook()->RemoveHook(control_, hoAfter, proc);
    }
    afterMessage_ = Value;
}

void TStWindowHook::Notification(TComponent* AComponent, TOperation Operation) {
    TStComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && (AComponent == control_ || AComponent == Owner() || !Owner())) {
        // The control is going: its record goes through the releaser, nothing to unhook.
        if (AComponent == control_) {
            control_ = nullptr;
        } else {
            SetControl(nullptr);
        }
    }
}

void TStWindowHook::DefineProperties(TFiler& Filer) {
    TStComponent::DefineProperties(Filer);
    // A form that hooks itself is stored as a flag: the reference would name the root.
    const bool isForm = control_ && control_ == Owner() && dynamic_cast<TCustomForm*>(Owner());
    Filer.DefineProperty(
        "IsForm",
        [this](TReader& Reader) {
            if (Reader.ReadBoolean())
                if (auto* form = dynamic_cast<TCustomForm*>(Owner())) SetControl(form);
        },
        [isForm](TWriter& Writer) { Writer.WriteBoolean(isForm); }, isForm);
}
