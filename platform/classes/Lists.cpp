#include "platform/classes/Lists.h"

#include <algorithm>
#include <cstdio>

// A derived Notify cannot run from here; TObjectList clears in its own destructor.
TList::~TList() = default;

void TList::Error(const char* prefix, int value) {
    throw EListError(AnsiString(prefix) + " (" + std::to_string(value) + ")");
}

void TList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count()) Error("List index out of bounds", Index);
}

int TList::Add(void* Item) {
    items_.push_back(Item);
    int index = Count() - 1;
    if (Item) Notify(Item, lnAdded);
    return index;
}

void TList::Insert(int Index, void* Item) {
    if (Index < 0 || Index > Count()) Error("List index out of bounds", Index);
    items_.insert(items_.begin() + Index, Item);
    if (Item) Notify(Item, lnAdded);
}

void TList::Delete(int Index) {
    CheckIndex(Index);
    void* item = items_[static_cast<size_t>(Index)];
    items_.erase(items_.begin() + Index);
    if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* Item) {
    int index = IndexOf(Item);
    if (index >= 0) Delete(index);
    return index;
}

void* TList::Extract(void* Item) {
    int index = IndexOf(Item);
    if (index < 0) return nullptr;
    void* result = items_[static_cast<size_t>(index)];
    items_.erase(items_.begin() + index);
    Notify(result, lnExtracted);
    return result;
}

int TList::IndexOf(void* Item) const {
    auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TList::Clear() {
    SetCount(0);
    items_.shrink_to_fit();
}

void TList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    std::swap(items_[static_cast<size_t>(Index1)], items_[static_cast<size_t>(Index2)]);
}

void TList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    void* item = items_[static_cast<size_t>(CurIndex)];
    items_.erase(items_.begin() + CurIndex);
    items_.insert(items_.begin() + NewIndex, item);
}

void TList::Sort(TListSortCompare Compare) {
    std::stable_sort(items_.begin(), items_.end(), [Compare](void* a, void* b) { return Compare(a, b) < 0; });
}

void TList::Pack() {
    // Delete from the end so indexes of the remaining entries stay valid.
    for (int i = Count() - 1; i >= 0; --i)
        if (!items_[static_cast<size_t>(i)]) items_.erase(items_.begin() + i);
}

void TList::SetCount(int NewCount) {
    if (NewCount < 0) Error("List count out of bounds", NewCount);
    if (NewCount > Count()) {
        items_.resize(static_cast<size_t>(NewCount), nullptr);
        return;
    }
    for (int i = Count() - 1; i >= NewCount; --i) Delete(i);
}

void TList::SetCapacity(int NewCapacity) {
    if (NewCapacity < Count()) Error("List capacity out of bounds", NewCapacity);
    if (static_cast<size_t>(NewCapacity) > items_.capacity()) {
        items_.reserve(static_cast<size_t>(NewCapacity));
    } else {
        std::vector<void*> copy;
        copy.reserve(static_cast<size_t>(NewCapacity));
        copy.assign(items_.begin(), items_.end());
        items_.swap(copy);
    }
}

void* TList::Items(int Index) const {
    CheckIndex(Index);
    return items_[static_cast<size_t>(Index)];
}

void TList::SetItem(int Index, void* Item) {
    CheckIndex(Index);
    void* old = items_[static_cast<size_t>(Index)];
    if (old == Item) return;
    items_[static_cast<size_t>(Index)] = Item;
    if (old) Notify(old, lnDeleted);
    if (Item) Notify(Item, lnAdded);
}

void TList::Notify(void*, TListNotification) {}

TObjectList::~TObjectList() { Clear(); }

void TObjectList::Notify(void* Ptr, TListNotification Action) {
    if (ownsObjects_ && Action == lnDeleted) FreeObject(static_cast<TObject*>(Ptr));
    TList::Notify(Ptr, Action);
}

void TThreadList::Add(void* Item) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (duplicates_ == dupAccept || list_.IndexOf(Item) < 0) {
        list_.Add(Item);
    } else if (duplicates_ == dupError) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "Duplicates not allowed in this list ($%.8llX)",
                      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(Item)));
        throw EListError(buffer);
    }
}

void TThreadList::Remove(void* Item) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    list_.Remove(Item);
}

void TThreadList::Clear() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    list_.Clear();
}

TList* TThreadList::LockList() {
    mutex_.lock();
    return &list_;
}

void TThreadList::UnlockList() { mutex_.unlock(); }
