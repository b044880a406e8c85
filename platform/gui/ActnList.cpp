#include "platform/gui/ActnList.h"

#include <algorithm>

#include "platform/gui/Forms.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"

// ---------------------------------------------------------------- links

TBasicActionLink::~TBasicActionLink() {
    if (action_) action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
    if (action_ == Value) return;
    if (action_) action_->UnRegisterChanges(this);
    action_ = Value;
    if (action_) action_->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
    if (!action_) return false;
    action_->SetActionComponent(AComponent);
    TBasicAction* action = action_;
    TScopeGuard reset([action] { action->SetActionComponent(nullptr); });
    return action->Execute();
}

bool TBasicActionLink::Update() { return action_ && action_->Update(); }

void TBasicActionLink::Change() {
    if (OnChange) OnChange(action_);
}

void TControlActionLink::SetCaption(const AnsiString& Value) { control_->SetCaption(Value); }
void TControlActionLink::SetEnabled(bool Value) { control_->SetEnabled(Value); }
void TControlActionLink::SetHint(const AnsiString& Value) { control_->SetHint(Value); }
void TControlActionLink::SetVisible(bool Value) { control_->SetVisible(Value); }
void TControlActionLink::SetChecked(bool) {}

TShortCut ShortCutFromMessage(const TMessage& Message) {
    return ShortCut(static_cast<uint16_t>(Message.WParam & 0xFF), KeyDataToShiftState(Message.LParam));
}

// ---------------------------------------------------------------- TBasicAction

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
    // Links left (freed without BeforeDestruction) forget the action.
    for (TBasicActionLink* link : clients_) link->action_ = nullptr;
}

void TBasicAction::BeforeDestruction() {
    // The clients let go: their links drop the action.
    auto clients = clients_;
    for (TBasicActionLink* link : clients) link->SetAction(nullptr);
    TComponent::BeforeDestruction();
}

bool TBasicAction::Execute() {
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}

bool TBasicAction::Update() {
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::SetActionComponent(TComponent* Value) {
    if (actionComponent_ == Value) return;
    if (actionComponent_) actionComponent_->RemoveFreeNotification(this);
    actionComponent_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TBasicAction::Change() {
    auto clients = clients_;
    for (TBasicActionLink* link : clients) link->Change();
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == actionComponent_) actionComponent_ = nullptr;
}

void TBasicAction::RegisterChanges(TBasicActionLink* Link) { clients_.push_back(Link); }

void TBasicAction::UnRegisterChanges(TBasicActionLink* Link) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), Link), clients_.end());
}

// ---------------------------------------------------------------- TContainedAction

void TContainedAction::BeforeDestruction() {
    if (actionList_) actionList_->RemoveAction(this);
    TBasicAction::BeforeDestruction();
}

void TContainedAction::SetActionList(TCustomActionList* Value) {
    if (actionList_ == Value) return;
    if (actionList_) actionList_->RemoveAction(this);
    if (Value) Value->AddAction(this);
}

int TContainedAction::Index() const {
    if (!actionList_) return -1;
    auto& list = actionList_->actions_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TContainedAction::SetIndex(int Value) {
    if (!actionList_) return;
    auto& list = actionList_->actions_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    Value = std::clamp(Value, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + Value, this);
}

bool TContainedAction::Execute() {
    if (actionList_ && actionList_->ExecuteAction(this)) return true;
    if (ApplicationExecuteAction(this)) return true;
    return TBasicAction::Execute();
}

bool TContainedAction::Update() {
    if (actionList_ && actionList_->UpdateAction(this)) return true;
    if (ApplicationUpdateAction(this)) return true;
    return TBasicAction::Update();
}

void TContainedAction::SetParentComponent(TComponent* Value) {
    if (auto* list = dynamic_cast<TCustomActionList*>(Value)) SetActionList(list);
}

TComponent* TContainedAction::GetParentComponent() const { return actionList_; }

// ---------------------------------------------------------------- TCustomAction

TCustomAction::TCustomAction(TComponent* AOwner) : TContainedAction(AOwner), secondaryShortCuts_(new TStringList()) {}

TCustomAction::~TCustomAction() { delete secondaryShortCuts_; }

bool TCustomAction::Execute() {
    if (ActionList() && ActionList()->State() != asNormal) return false;
    Update();
    if (!enabled_) return false;
    if (autoCheck_) SetChecked(!checked_);
    return TContainedAction::Execute();
}

namespace {
template <class F>
void ForLinks(const std::vector<TBasicActionLink*>& clients, F f) {
    auto copy = clients;
    for (TBasicActionLink* l : copy)
        if (auto* link = dynamic_cast<TActionLink*>(l)) f(link);
}
}  // namespace

void TCustomAction::SetCaption(const AnsiString& Value) {
    if (caption_ == Value) return;
    ForLinks(clients_, [&](TActionLink* l) { l->SetCaption(Value); });
    caption_ = Value;
    Change();
}

void TCustomAction::SetChecked(bool Value) {
    if (checked_ == Value || checking_) return;
    checking_ = true;
    TScopeGuard done([this] { checking_ = false; });
    ForLinks(clients_, [&](TActionLink* l) { l->SetChecked(Value); });
    checked_ = Value;
    if (Value && groupIndex_ > 0 && ActionList()) {
        for (int i = 0; i < ActionList()->ActionCount(); ++i) {
            auto* other = dynamic_cast<TCustomAction*>(ActionList()->Actions(i));
            if (other && other != this && other->groupIndex_ == groupIndex_) other->SetChecked(false);
        }
    }
    Change();
}

void TCustomAction::SetAutoCheck(bool Value) {
    if (autoCheck_ == Value) return;
    ForLinks(clients_, [&](TActionLink* l) { l->SetAutoCheck(Value); });
    autoCheck_ = Value;
    Change();
}

void TCustomAction::SetEnabled(bool Value) {
    if (enabled_ == Value) return;
    if (ActionList() && ActionList()->State() == asSuspended) {
        enabled_ = Value;
        return;
    }
    ForLinks(clients_, [&](TActionLink* l) { l->SetEnabled(Value); });
    enabled_ = Value;
    Change();
}

void TCustomAction::SetGroupIndex(int Value) {
    if (groupIndex_ == Value) return;
    groupIndex_ = Value;
    ForLinks(clients_, [&](TActionLink* l) { l->SetGroupIndex(Value); });
    Change();
}

void TCustomAction::SetHint(const AnsiString& Value) {
    if (hint_ == Value) return;
    ForLinks(clients_, [&](TActionLink* l) { l->SetHint(Value); });
    hint_ = Value;
    Change();
}

void TCustomAction::SetImageIndex(int Value) {
    if (imageIndex_ == Value) return;
    ForLinks(clients_, [&](TActionLink* l) { l->SetImageIndex(Value); });
    imageIndex_ = Value;
    Change();
}

void TCustomAction::SetShortCut(TShortCut Value) {
    if (shortCut_ == Value) return;
    ForLinks(clients_, [&](TActionLink* l) { l->SetShortCut(Value); });
    shortCut_ = Value;
    Change();
}

void TCustomAction::SetSecondaryShortCuts(TStrings* Value) { secondaryShortCuts_->Assign(Value); }

bool TCustomAction::IsShortCut(TShortCut Value) const {
    if (Value == 0) return false;
    if (shortCut_ == Value) return true;
    for (int i = 0; i < secondaryShortCuts_->Count(); ++i)
        if (TextToShortCut(secondaryShortCuts_->Strings(i)) == Value) return true;
    return false;
}

void TCustomAction::SetVisible(bool Value) {
    if (visible_ == Value) return;
    ForLinks(clients_, [&](TActionLink* l) { l->SetVisible(Value); });
    visible_ = Value;
    Change();
}

// ---------------------------------------------------------------- TCustomActionList

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {
    form_ = dynamic_cast<TCustomForm*>(AOwner);
    if (form_) form_->AddShortCutHandler(Delegate<bool(TMessage&)>(this, &TCustomActionList::IsShortCut));
    if (Application) Application->IdleHandlers.push_back(Delegate<void()>(this, &TCustomActionList::Idle));
}

TCustomActionList::~TCustomActionList() {
    for (TContainedAction* a : actions_) a->actionList_ = nullptr;
}

void TCustomActionList::BeforeDestruction() {
    // A form being destroyed takes its shortcut handlers with it.
    if (form_ && !form_->InState(csDestroying))
        form_->RemoveShortCutHandler(Delegate<bool(TMessage&)>(this, &TCustomActionList::IsShortCut));
    form_ = nullptr;
    if (Application) {
        auto& idle = Application->IdleHandlers;
        idle.erase(std::remove(idle.begin(), idle.end(), Delegate<void()>(this, &TCustomActionList::Idle)),
                   idle.end());
    }
    while (!actions_.empty()) {
        TContainedAction* a = actions_.back();
        RemoveAction(a);
    }
    TComponent::BeforeDestruction();
}

void TCustomActionList::AddAction(TContainedAction* Action) {
    actions_.push_back(Action);
    Action->actionList_ = this;
    Action->FreeNotification(this);
}

void TCustomActionList::RemoveAction(TContainedAction* Action) {
    actions_.erase(std::remove(actions_.begin(), actions_.end(), Action), actions_.end());
    if (Action->actionList_ == this) Action->actionList_ = nullptr;
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == images_) images_ = nullptr;
    if (auto* a = dynamic_cast<TContainedAction*>(AComponent)) RemoveAction(a);
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action) {
    bool handled = false;
    if (OnExecute) OnExecute(Action, handled);
    return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action) {
    bool handled = false;
    if (OnUpdate) OnUpdate(Action, handled);
    return handled;
}

bool TCustomActionList::IsShortCut(TMessage& Message) {
    if (state_ != asNormal) return false;
    if (Message.Msg != CN_KEYDOWN && Message.Msg != CN_SYSKEYDOWN && Message.Msg != WM_KEYDOWN &&
        Message.Msg != WM_SYSKEYDOWN)
        return false;
    TShortCut shortCut = ShortCutFromMessage(Message);
    if (shortCut == 0) return false;
    auto actions = actions_;
    for (TContainedAction* a : actions) {
        auto* action = dynamic_cast<TCustomAction*>(a);
        if (!action || !action->IsShortCut(shortCut)) continue;
        // The first action with the key takes it, run or not.
        return action->Execute();
    }
    return false;
}

void TCustomActionList::UpdateActions() {
    if (state_ != asNormal) return;
    auto actions = actions_;
    for (TContainedAction* a : actions)
        if (std::find(actions_.begin(), actions_.end(), a) != actions_.end()) a->Update();
}

void TCustomActionList::Idle() {
    // Only the lists of a form that is on the screen keep their actions current.
    if (form_ && !form_->Visible()) return;
    UpdateActions();
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
    images_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TCustomActionList::SetState(TActionListState Value) {
    if (state_ == Value) return;
    state_ = Value;
    if (state_ == asSuspendedEnabled) {
        for (TContainedAction* a : actions_)
            if (auto* c = dynamic_cast<TCustomAction*>(a)) c->SetEnabled(true);
    }
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- published

#include "platform/gui/Graphics.h"

TESK_PUBLISHED(TBasicAction) {}

TESK_PUBLISHED(TContainedAction) {
    Property("Category", &T::Category, &T::SetCategory);
}

TESK_PUBLISHED(TCustomAction) {}

TESK_PUBLISHED(TAction) {
    Property("AutoCheck", &T::AutoCheck, &T::SetAutoCheck).Default(false);
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("Checked", &T::Checked, &T::SetChecked).Default(false);
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("GroupIndex", &T::GroupIndex, &T::SetGroupIndex).Default(0);
    Property("HelpContext", &T::HelpContext, &T::SetHelpContext).Default(0);
    Property("Hint", &T::Hint, &T::SetHint);
    Property("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(-1);
    Property("ShortCut", TypeInfoTShortCut(), &T::ShortCut, &T::SetShortCut).Default(0);
    Property("SecondaryShortCuts", &T::SecondaryShortCuts, &T::SetSecondaryShortCuts);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    Property("OnExecute", &T::OnExecute, &T::OnExecute);
    Property("OnUpdate", &T::OnUpdate, &T::OnUpdate);
}

TESK_PUBLISHED(TCustomActionList) {}

TESK_PUBLISHED(TActionList) {
    Property("Images", &T::Images, &T::SetImages);
    Property("State", &T::State, &T::SetState).Default(asNormal);
    Property("OnChange", &T::OnChange, &T::OnChange);
    Property("OnExecute", &T::OnExecute, &T::OnExecute);
    Property("OnUpdate", &T::OnUpdate, &T::OnUpdate);
}
