#include "platform/classes/Classes.h"

#include <algorithm>

void FreeObject(TObject* object) {
    if (!object) return;
    object->BeforeDestruction();
    delete object;
}

void TPersistent::Assign(TPersistent* Source) {
    if (Source) {
        Source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
    AnsiString sourceName = Source ? Source->ClassName() : "nil";
    throw EConvertError("Cannot assign a " + sourceName + " to a " + ClassName());
}

AnsiString TPersistent::GetNamePath() {
    AnsiString result = ClassName();
    if (TPersistent* owner = GetOwner()) {
        AnsiString ownerPath = owner->GetNamePath();
        if (!ownerPath.empty()) result = ownerPath + "." + result;
    }
    return result;
}

void TPersistent::DefineProperties(TFiler&) {}

void TComponent::WriteState(TWriter&) {}

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

void TComponent::BeforeDestruction() {
    if (beforeDestructionDone_) return;
    beforeDestructionDone_ = true;
    Destroying();
}

TComponent::~TComponent() {
    // Subclass destructors have run; notices below reach only TComponent-level
    // behaviour, so anything that needs virtual dispatch belongs in BeforeDestruction.
    Destroying();
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& back = other->freeNotifies_;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        other->Notification(this, opRemove);
    }
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= ComponentCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return components_[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
    if (!owner_) return -1;
    const auto& list = owner_->components_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const AnsiString& AName) const {
    if (AName.empty()) return nullptr;
    for (TComponent* c : components_)
        if (AnsiSameText(c->name_, AName)) return c;
    return nullptr;
}

namespace {

bool IsValidIdent(const AnsiString& s) {
    auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (s.empty() || !alpha(s[0])) return false;
    for (char c : s)
        if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

}  // namespace

void TComponent::SetName(const AnsiString& NewName) {
    if (name_ == NewName) return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError("'" + NewName + "' is not a valid component name");
    if (owner_) owner_->ValidateRename(this, name_, NewName);
    else ValidateRename(nullptr, name_, NewName);
    name_ = NewName;
}

void TComponent::ValidateRename(TComponent* AComponent, const AnsiString&, const AnsiString& NewName) {
    if (AComponent && !NewName.empty()) {
        TComponent* other = FindComponent(NewName);
        if (other && other != AComponent)
            throw EComponentError("A component named " + NewName + " already exists");
    }
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (AComponent->owner_) AComponent->owner_->RemoveComponent(AComponent);
    ValidateRename(AComponent, AnsiString(), AComponent->name_);
    Insert(AComponent);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    Notification(AComponent, opRemove);
    Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
    components_.push_back(AComponent);
    AComponent->owner_ = this;
}

void TComponent::Remove(TComponent* AComponent) {
    components_.erase(std::remove(components_.begin(), components_.end(), AComponent), components_.end());
    AComponent->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* child = components_.back();
        // A child that others watch goes with a removal notice, so that siblings
        // holding it (they hear through the owner) drop it before it is freed.
        if (child->state_ & csFreeNotification) RemoveComponent(child);
        else Remove(child);
        FreeObject(child);
    }
}

void TComponent::Destroying() {
    if (state_ & csDestroying) return;
    state_ |= csDestroying;
    for (TComponent* c : components_) c->Destroying();
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    state_ |= csFreeNotification;
    if (owner_ && AComponent->owner_ == owner_) return;  // siblings hear each other through the owner
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) == freeNotifies_.end())
        freeNotifies_.push_back(AComponent);
    auto& other = AComponent->freeNotifies_;
    if (std::find(other.begin(), other.end(), this) == other.end()) other.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    RemoveNotification(AComponent);
    if (AComponent) AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), AComponent), freeNotifies_.end());
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
    // Owned components hear about every removal among their siblings.
    for (size_t i = components_.size(); i-- > 0;) {
        if (i < components_.size()) components_[i]->Notification(AComponent, Operation);
    }
}

AnsiString TComponent::GetNamePath() { return name_; }

void TComponent::Loaded() { state_ &= ~csLoading; }
