#pragma once
// Pointer lists: TList (owns nothing), TObjectList (may free its objects) and
// TThreadList (a TList behind a mutex).
#include <mutex>
#include <vector>

#include "platform/classes/Classes.h"

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// Negative, zero or positive, like strcmp.
using TListSortCompare = int (*)(void* Item1, void* Item2);

class TList : public TObject {
public:
    TList() = default;
    ~TList() override;
    const char* ClassName() const override { return "TList"; }

    int Add(void* Item);
    void Insert(int Index, void* Item);
    void Delete(int Index);
    // Removes the first occurrence; answers its former index or -1.
    int Remove(void* Item);
    // Removes the first occurrence without deleting it (lnExtracted); nullptr when absent.
    void* Extract(void* Item);
    int IndexOf(void* Item) const;
    virtual void Clear();
    void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);
    void Sort(TListSortCompare Compare);
    // Drops the nullptr entries.
    void Pack();

    int Count() const { return static_cast<int>(items_.size()); }
    // Shrinking deletes entries from the end; growing appends nullptr entries.
    void SetCount(int NewCount);
    int Capacity() const { return static_cast<int>(items_.capacity()); }
    void SetCapacity(int NewCapacity);
    void* Items(int Index) const;
    void SetItem(int Index, void* Item);
    void* operator[](int Index) const { return Items(Index); }
    void* First() const { return Items(0); }
    void* Last() const { return Items(Count() - 1); }

    [[noreturn]] static void Error(const char* prefix, int value);

protected:
    // Called after an entry was added, and after it left the list.
    virtual void Notify(void* Ptr, TListNotification Action);

private:
    void CheckIndex(int Index) const;
    std::vector<void*> items_;
};

// A TList of objects that frees them on Delete, Clear, Remove and replacement
// while OwnsObjects is set (Extract never frees).
class TObjectList : public TList {
public:
    explicit TObjectList(bool AOwnsObjects = true) : ownsObjects_(AOwnsObjects) {}
    ~TObjectList() override;
    const char* ClassName() const override { return "TObjectList"; }

    bool OwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool v) { ownsObjects_ = v; }

    int Add(TObject* AObject) { return TList::Add(AObject); }
    void Insert(int Index, TObject* AObject) { TList::Insert(Index, AObject); }
    int Remove(TObject* AObject) { return TList::Remove(AObject); }
    TObject* Extract(TObject* Item) { return static_cast<TObject*>(TList::Extract(Item)); }
    int IndexOf(TObject* AObject) const { return TList::IndexOf(AObject); }
    TObject* Items(int Index) const { return static_cast<TObject*>(TList::Items(Index)); }
    void SetItem(int Index, TObject* AObject) { TList::SetItem(Index, AObject); }
    TObject* operator[](int Index) const { return Items(Index); }
    TObject* First() const { return Items(0); }
    TObject* Last() const { return Items(Count() - 1); }

protected:
    void Notify(void* Ptr, TListNotification Action) override;

private:
    bool ownsObjects_;
};

// Duplicates policy shared by the lists that keep one.
enum TDuplicates { dupIgnore, dupAccept, dupError };

// A TList guarded by a mutex. LockList/UnlockList bracket direct use of the list.
class TThreadList : public TObject {
public:
    TThreadList() = default;
    const char* ClassName() const override { return "TThreadList"; }

    // dupIgnore (the default) skips an item that is already there; dupError raises.
    void Add(void* Item);
    void Remove(void* Item);
    void Clear();
    TList* LockList();
    void UnlockList();
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates v) { duplicates_ = v; }

private:
    std::recursive_mutex mutex_;
    TList list_;
    TDuplicates duplicates_ = dupIgnore;
};
