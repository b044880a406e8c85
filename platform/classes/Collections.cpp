#include "platform/classes/Collections.h"

#include <algorithm>

#include "platform/classes/Lists.h"
#include "platform/rtl/ScopeGuard.h"

// --- TCollectionItem ---

TCollectionItem::TCollectionItem(TCollection* Collection) {
    if (Collection) Collection->AttachItem(this);
}

TCollectionItem::~TCollectionItem() {
    if (collection_) collection_->DetachItem(this);
}

void TCollectionItem::BeforeDestruction() {
    TPersistent::BeforeDestruction();
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* Value) {
    if (collection_ == Value) return;
    if (collection_) collection_->RemoveItem(this);
    if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
    if (!collection_) return -1;
    const auto& items = collection_->items_;
    auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int Value) {
    int current = Index();
    if (current < 0 || current == Value) return;
    auto& items = collection_->items_;
    if (Value < 0 || Value >= static_cast<int>(items.size())) TList::Error("List index out of bounds", Value);
    items.erase(items.begin() + current);
    items.insert(items.begin() + Value, this);
    Changed(true);
}

void TCollectionItem::SetDisplayName(const AnsiString&) { Changed(false); }

AnsiString TCollectionItem::GetNamePath() {
    if (!collection_) return ClassName();
    return collection_->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

void TCollectionItem::Changed(bool AllItems) {
    if (collection_ && collection_->updateCount_ == 0) collection_->Update(AllItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() { return collection_; }

AnsiString TCollectionItem::GetDisplayName() const { return ClassName(); }

// --- TCollection ---

TCollection::TCollection(TCollectionItemClass ItemClass) : itemClass_(ItemClass) {}

TCollection::~TCollection() {
    // No Update while going; Notify reaches only this base by now.
    updateCount_ = 1;
    Clear();
}

void TCollection::AttachItem(TCollectionItem* Item) {
    items_.push_back(Item);
    Item->collection_ = this;
    Item->id_ = nextId_++;
}

void TCollection::AnnounceItem(TCollectionItem* Item) {
    SetItemName(Item);
    Notify(Item, cnAdded);
    Changed();
}

void TCollection::InsertItem(TCollectionItem* Item) {
    AttachItem(Item);
    AnnounceItem(Item);
}

void TCollection::RemoveItem(TCollectionItem* Item) {
    Notify(Item, cnExtracting);
    DetachItem(Item);
    Changed();
}

void TCollection::DetachItem(TCollectionItem* Item) {
    auto it = std::find(items_.rbegin(), items_.rend(), Item);
    if (it != items_.rend()) items_.erase(std::next(it).base());
    Item->collection_ = nullptr;
}

TCollectionItem* TCollection::Add() {
    if (!itemClass_) throw EInvalidOperation("Collection of " + AnsiString(ClassName()) + " has no item class");
    TCollectionItem* item = itemClass_(this);
    if (item->collection_ == this) AnnounceItem(item);
    else item->SetCollection(this);
    return item;
}

TCollectionItem* TCollection::Insert(int Index) {
    TCollectionItem* item = Add();
    item->SetIndex(Index);
    return item;
}

void TCollection::Delete(int Index) {
    TCollectionItem* item = Items(Index);
    Notify(item, cnDeleting);
    FreeObject(item);
}

void TCollection::Clear() {
    if (items_.empty()) return;
    TUpdateLock lock(this);
    while (!items_.empty()) FreeObject(items_.back());
}

void TCollection::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TCollection*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this) return;
    TUpdateLock lock(this);
    Clear();
    for (int i = 0; i < source->Count(); ++i) Add()->Assign(source->Items(i));
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
    if (updateCount_ <= 0) return;
    --updateCount_;
    Changed();
}

TCollectionItem* TCollection::FindItemID(int ID) const {
    for (TCollectionItem* item : items_)
        if (item->id_ == ID) return item;
    return nullptr;
}

TCollectionItem* TCollection::Items(int Index) const {
    if (Index < 0 || Index >= Count()) TList::Error("List index out of bounds", Index);
    return items_[static_cast<size_t>(Index)];
}

void TCollection::SetItem(int Index, TCollectionItem* Value) { Items(Index)->Assign(Value); }

AnsiString TCollection::GetNamePath() {
    AnsiString result = ClassName();
    TPersistent* owner = GetOwner();
    if (!owner) return result;
    AnsiString ownerPath = owner->GetNamePath();
    if (ownerPath.empty() || propName_.empty()) return result;
    return ownerPath + "." + propName_;
}

void TCollection::Changed() {
    if (updateCount_ == 0) Update(nullptr);
}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Update(TCollectionItem*) {}

void TCollection::SetItemName(TCollectionItem*) {}
