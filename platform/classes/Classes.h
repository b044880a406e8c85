#pragma once
// The object model: TObject, TPersistent and TComponent (ownership, names,
// removal notices, the loading protocol).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Delegate.h"
#include "platform/rtl/Exceptions.h"

TESK_DECLARE_EXCEPTION(EComponentError, Exception);

struct TClassInfo;  // run-time type information of a class (platform/rtti)
class TFiler;       // component streaming (platform/rtti)
class TWriter;

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // Overridden per class by the type-information declarations of platform/rtti.
    virtual const char* ClassName() const { return "TObject"; }
    virtual const TClassInfo* ClassInfo() const { return nullptr; }
    // FreeObject calls it before the destructors, while virtual calls reach the whole object:
    // teardown that runs events goes here; a destructor only keeps a plain delete safe.
    virtual void BeforeDestruction() {}
};

// The one way components are freed (or FreeAndNil, or by their owner); a plain delete is only kept safe.
void FreeObject(TObject* object);
template <typename T>
void FreeAndNil(T*& object) {
    T* o = object;
    object = nullptr;
    FreeObject(o);
}

class TPersistent : public TObject {
public:
    const char* ClassName() const override { return "TPersistent"; }
    // Copies Source into this object; by default asks Source to AssignTo(this).
    virtual void Assign(TPersistent* Source);
    // "<owner's name path>.<class name>", or the class name alone without an owner.
    virtual AnsiString GetNamePath();
    virtual void DefineProperties(TFiler& Filer);

protected:
    virtual void AssignTo(TPersistent* Dest);
    virtual TPersistent* GetOwner() { return nullptr; }

private:
    [[noreturn]] void AssignError(TPersistent* Source);
};

enum TComponentStateBit : uint32_t {
    csLoading = 1u << 0,
    csReading = 1u << 1,
    csWriting = 1u << 2,
    csDestroying = 1u << 3,
    csDesigning = 1u << 4,
    csAncestor = 1u << 5,
    csUpdating = 1u << 6,
    csFixups = 1u << 7,
    csFreeNotification = 1u << 8,
    csInline = 1u << 9,
};
using TComponentState = uint32_t;

enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    const char* ClassName() const override { return "TComponent"; }
    void BeforeDestruction() override;

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int Index) const;
    int ComponentIndex() const;
    // Finds an owned component by name, ignoring letter case; nullptr when none.
    TComponent* FindComponent(const AnsiString& AName) const;

    const AnsiString& Name() const { return name_; }
    // A name is empty or an identifier (EComponentError "'x y' is not a valid
    // component name"); the owner refuses a name already in use, ignoring case.
    virtual void SetName(const AnsiString& NewName);
    intptr_t Tag() const { return tag_; }
    void SetTag(intptr_t v) { tag_ = v; }

    TComponentState ComponentState() const { return state_; }
    bool InState(TComponentState bits) const { return (state_ & bits) != 0; }
    void SetComponentStateBits(TComponentState bits) { state_ |= bits; }
    void ClearComponentStateBits(TComponentState bits) { state_ &= ~bits; }

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    // Frees the owned components, the last created first.
    void DestroyComponents();
    void Destroying();

    // Asks AComponent to tell this component when it is destroyed (and the reverse).
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    AnsiString GetNamePath() override;
    // Ends the loading protocol: clears csLoading.
    virtual void Loaded();
    // The writer calls it just before it writes the component's properties,
    // so that a component can bring what it writes up to date.
    virtual void WriteState(TWriter& Writer);
    // The component that encloses this one in a form definition, given by the
    // reader before the properties (controls take it as their parent).
    virtual void SetParentComponent(TComponent* Value) { (void)Value; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual bool HasParent() const { return false; }

protected:
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    TPersistent* GetOwner() override { return owner_; }
    virtual void ValidateRename(TComponent* AComponent, const AnsiString& CurName, const AnsiString& NewName);

private:
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void RemoveNotification(TComponent* AComponent);

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    AnsiString name_;
    intptr_t tag_ = 0;
    TComponentState state_ = 0;
    bool beforeDestructionDone_ = false;
};
