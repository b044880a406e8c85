#pragma once
// Window procedure hooks: any number of clients watch and alter the messages
// of a control, before and after the control's own handling, without knowing
// about each other. One record per hooked control holds two ordered chains
// and takes the control's WindowProc; removing the last entry gives it back.
//
// A handler may send messages to the same control, add or remove entries, or
// destroy the control while a dispatch runs: every nesting level keeps its own
// next entry per chain, and a destroyed control stops all levels. The record
// of a destroyed control is freed later, from a posted message, so that the
// dispatch in progress can finish.
#include <vector>

#include "platform/gui/Controls.h"
#include "storage/StUtils.h"

enum TStHookOrder { hoBefore, hoAfter };
TESK_ENUM_INFO(TStHookOrder, hoBefore, hoAfter)

// True when the message is handled.
using TStHookProc = Delegate<bool(TMessage& Msg)>;
using TStHookMessageEvent = Delegate<void(TObject* Sender, TMessage& Msg, bool& Handled)>;

class TStWndProcHook;

class TStHookInfos : public TObject {
public:
    explicit TStHookInfos(TControl* AControl);
    ~TStHookInfos() override;
    const char* ClassName() const override { return "TStHookInfos"; }

    void Add(TStHookOrder Order, const TStHookProc& Proc);
    // The first entry of that order with the same handler; nothing when none.
    void Delete(TStHookOrder Order, const TStHookProc& Proc);
    void WindowMethod(TMessage& Msg);
    // Once: no handler runs any more, nothing is restored, the record is freed later.
    void ControlDestroyed();
    void SetManager(TStWndProcHook* Value);

    TControl* Control() const { return control_; }
    bool Hooked() const { return hooked_; }
    bool IsControlDestroyed() const { return controlDestroyed_; }
    int EntryCount(TStHookOrder Order) const;
    bool Dispatching() const { return depth_ > 0; }

private:
    struct Entry {
        TStHookProc proc;
        Entry* next = nullptr;
    };
    void HookControl();
    void UnhookControl();
    // The next-entry slot of a dispatch level for a chain.
    Entry*& Slot(int Level, TStHookOrder Order) { return stack_[static_cast<size_t>(Level * 2 + Order)]; }
    void RunChain(TStHookOrder Order, TMessage& Msg, bool& Handled);

    Entry* first_[2] = {};
    Entry* last_[2] = {};
    std::vector<Entry*> stack_;
    int depth_ = 0;
    TControl* control_;
    bool controlDestroyed_ = false;
    TWndMethod oldWndProc_;
    bool hooked_ = false;
    TStWndProcHook* manager_ = nullptr;
};

class TStWndProcHook : public TComponent {
public:
    TStWndProcHook() : TComponent(nullptr) {}
    ~TStWndProcHook() override;
    const char* ClassName() const override { return "TStWndProcHook"; }

    // False for a nil or dying control, or an unassigned handler.
    bool AddHook(TControl* AControl, TStHookOrder Order, const TStHookProc& Proc);
    // False when nothing is hooked for the control.
    bool RemoveHook(TControl* AControl, TStHookOrder Order, const TStHookProc& Proc);
    TStHookInfos* Find(const TControl* AControl) const;
    int RecordCount() const { return static_cast<int>(list_.size()); }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TStHookInfos;
    void Attach(TStHookInfos* Infos);
    void Detach(TStHookInfos* Infos);
    std::vector<TStHookInfos*> list_;
};

// The process's hook manager, created on first use.
TStWndProcHook* WndProcHook();
// Records waiting to be freed by the posted release message (tests).
int PendingHookReleases();

// The component face: Control's messages go through BeforeMessage and
// AfterMessage while Active.
class TStWindowHook : public TStComponent {
    TESK_CLASS(TStWindowHook, TStComponent)
public:
    explicit TStWindowHook(TComponent* AOwner);
    ~TStWindowHook() override;

    bool Active() const { return active_; }
    void SetActive(bool Value);
    TControl* Control() const { return control_; }
    void SetControl(TControl* Value);
    TStHookMessageEvent BeforeMessage() const { return beforeMessage_; }
    void SetBeforeMessage(const TStHookMessageEvent& Value);
    TStHookMessageEvent AfterMessage() const { return afterMessage_; }
    void SetAfterMessage(const TStHookMessageEvent& Value);

    void DefineProperties(TFiler& Filer) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    bool DoBeforeMessage(TMessage& Msg);
    bool DoAfterMessage(TMessage& Msg);

private:
    void HookControl();
    void UnhookControl();
    bool active_ = true;
    TControl* control_ = nullptr;
    TStHookMessageEvent beforeMessage_;
    TStHookMessageEvent afterMessage_;
};
