#pragma once
// Collections of persistent items: TCollection, TCollectionItem and TOwnedCollection.
//
// Create items through Add or Insert. An item joins its collection in its
// constructor (so a derived constructor can already ask for Collection and
// Index), but the collection announces it (Notify cnAdded, then Update) only
// once the whole item is built. Likewise FreeObject takes an item out with the
// notices while it is still whole; a plain delete leaves silently.
#include <vector>

#include "platform/classes/Classes.h"

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
public:
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;
    const char* ClassName() const override { return "TCollectionItem"; }
    void BeforeDestruction() override;

    TCollection* Collection() const { return collection_; }
    // Moves the item to another collection (or out of any, with nullptr).
    virtual void SetCollection(TCollection* Value);
    // Unique within the collection, never reused.
    int ID() const { return id_; }
    int Index() const;
    // Moves the item to Value and reports a change of all items.
    virtual void SetIndex(int Value);
    AnsiString DisplayName() const { return GetDisplayName(); }
    virtual void SetDisplayName(const AnsiString& Value);
    // "<collection name path>[<index>]", or the class name outside a collection.
    AnsiString GetNamePath() override;

protected:
    // Update(nullptr) when AllItems, else Update(this), unless the collection is updating.
    virtual void Changed(bool AllItems);
    TPersistent* GetOwner() override;
    // The class name unless overridden.
    virtual AnsiString GetDisplayName() const;

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int id_ = 0;
};

// Creates one item for the collection; the item joins it in its constructor.
using TCollectionItemClass = TCollectionItem* (*)(TCollection* Collection);

// The factory of an item class: ItemClassOf<TMyItem>.
template <class T>
TCollectionItem* ItemClassOf(TCollection* Collection) {
    return new T(Collection);
}

class TCollection : public TPersistent {
public:
    explicit TCollection(TCollectionItemClass ItemClass);
    ~TCollection() override;
    const char* ClassName() const override { return "TCollection"; }

    TCollectionItem* Add();
    // Add, then move the new item to Index.
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    // BeginUpdate, Clear, Add().Assign(item) for each source item, EndUpdate.
    void Assign(TPersistent* Source) override;
    virtual void BeginUpdate();
    // The outermost EndUpdate calls Update(nullptr) once.
    virtual void EndUpdate();
    TCollectionItem* FindItemID(int ID) const;

    int Count() const { return static_cast<int>(items_.size()); }
    TCollectionItem* Items(int Index) const;
    // Assigns Value to the item at Index.
    void SetItem(int Index, TCollectionItem* Value);
    TCollectionItem* operator[](int Index) const { return Items(Index); }
    TCollectionItemClass ItemClass() const { return itemClass_; }
    int UpdateCount() const { return updateCount_; }
    TPersistent* Owner() { return GetOwner(); }

    // The owner's property that holds this collection, for GetNamePath.
    const AnsiString& PropName() const { return propName_; }
    void SetPropName(const AnsiString& Value) { propName_ = Value; }
    // "<owner's name path>.<PropName>" when both are known, else the class name.
    AnsiString GetNamePath() override;

protected:
    // Update(nullptr) unless updating.
    virtual void Changed();
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
    // A change of Item, or of the whole collection when Item is nullptr.
    virtual void Update(TCollectionItem* Item);
    virtual void SetItemName(TCollectionItem* Item);

private:
    friend class TCollectionItem;
    void AttachItem(TCollectionItem* Item);
    void AnnounceItem(TCollectionItem* Item);
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);
    void DetachItem(TCollectionItem* Item);

    TCollectionItemClass itemClass_;
    std::vector<TCollectionItem*> items_;
    int updateCount_ = 0;
    int nextId_ = 0;
    AnsiString propName_;
};

class TOwnedCollection : public TCollection {
public:
    TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
        : TCollection(ItemClass), owner_(AOwner) {}
    const char* ClassName() const override { return "TOwnedCollection"; }

protected:
    TPersistent* GetOwner() override { return owner_; }

private:
    TPersistent* owner_;
};
