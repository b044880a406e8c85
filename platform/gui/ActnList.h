#pragma once
// Actions: commands with a caption, hint, shortcuts, enabled, visible and
// checked state, shared by the buttons and menu items bound to them.
//
// A client (button, menu item) binds an action through an action link: the
// action's properties are copied to the client when it is bound and whenever
// they change, and a click on the client executes the action. Execute first
// updates the action (OnUpdate) and does nothing while it is disabled.
//
// An action list owned by a form answers the form's shortcut check, so an
// action's shortcut (or any of its secondary shortcuts) runs it before the
// focused control sees the key: the first action of the list with that
// shortcut handles it. While the application is idle, the lists update their
// actions.
#include <vector>

#include "platform/classes/ShortCuts.h"
#include "platform/classes/Strings.h"
#include "platform/gui/Controls.h"

class TBasicAction;
class TCustomActionList;
class TCustomImageList;

class TBasicActionLink : public TObject {
public:
    explicit TBasicActionLink(TObject* AClient) : client_(AClient) {}
    ~TBasicActionLink() override;
    const char* ClassName() const override { return "TBasicActionLink"; }

    TObject* Client() const { return client_; }
    TBasicAction* Action() const { return action_; }
    void SetAction(TBasicAction* Value);
    // Executes the action for the client (AComponent becomes its ActionComponent).
    virtual bool Execute(TComponent* AComponent = nullptr);
    virtual bool Update();

    // The action changed; the client reads what it shows again.
    TNotifyEvent OnChange;

protected:
    friend class TBasicAction;
    virtual void Change();

    TObject* client_;
    TBasicAction* action_ = nullptr;
};

// What an action tells the clients it links to.
class TActionLink : public TBasicActionLink {
public:
    using TBasicActionLink::TBasicActionLink;
    const char* ClassName() const override { return "TActionLink"; }
    virtual void SetCaption(const AnsiString&) {}
    virtual void SetChecked(bool) {}
    virtual void SetEnabled(bool) {}
    virtual void SetHint(const AnsiString&) {}
    virtual void SetShortCut(TShortCut) {}
    virtual void SetVisible(bool) {}
    virtual void SetGroupIndex(int) {}
    virtual void SetAutoCheck(bool) {}
    virtual void SetImageIndex(int) {}
};

// Caption, enabled state, hint and visibility of a control.
class TControlActionLink : public TActionLink {
public:
    explicit TControlActionLink(TControl* AClient) : TActionLink(AClient), control_(AClient) {}
    const char* ClassName() const override { return "TControlActionLink"; }
    void SetCaption(const AnsiString& Value) override;
    void SetEnabled(bool Value) override;
    void SetHint(const AnsiString& Value) override;
    void SetVisible(bool Value) override;
    void SetChecked(bool Value) override;

private:
    TControl* control_;
};

using TActionEvent = Delegate<void(TBasicAction* Action, bool& Handled)>;

class TBasicAction : public TComponent {
    TESK_CLASS(TBasicAction, TComponent)
public:
    explicit TBasicAction(TComponent* AOwner);
    ~TBasicAction() override;
    void BeforeDestruction() override;

    // OnExecute; false when there is none to run.
    virtual bool Execute();
    // OnUpdate; false when there is none.
    virtual bool Update();
    // The component whose click is being executed.
    TComponent* ActionComponent() const { return actionComponent_; }
    void SetActionComponent(TComponent* Value);
    int ClientCount() const { return static_cast<int>(clients_.size()); }

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

protected:
    friend class TBasicActionLink;
    // Tells every client link.
    virtual void Change();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void RegisterChanges(TBasicActionLink* Link);
    void UnRegisterChanges(TBasicActionLink* Link);
    std::vector<TBasicActionLink*> clients_;

private:
    TComponent* actionComponent_ = nullptr;
};

class TContainedAction : public TBasicAction {
    TESK_CLASS(TContainedAction, TBasicAction)
public:
    explicit TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}
    void BeforeDestruction() override;

    TCustomActionList* ActionList() const { return actionList_; }
    void SetActionList(TCustomActionList* Value);
    const AnsiString& Category() const { return category_; }
    void SetCategory(const AnsiString& Value) { category_ = Value; }
    int Index() const;
    void SetIndex(int Value);
    // The list's OnExecute, then the application's, then OnExecute.
    bool Execute() override;
    bool Update() override;

    void SetParentComponent(TComponent* Value) override;
    TComponent* GetParentComponent() const override;
    bool HasParent() const override { return actionList_ != nullptr; }

private:
    friend class TCustomActionList;
    TCustomActionList* actionList_ = nullptr;
    AnsiString category_;
};

class TCustomAction : public TContainedAction {
    TESK_CLASS(TCustomAction, TContainedAction)
public:
    explicit TCustomAction(TComponent* AOwner);
    ~TCustomAction() override;

    // Update, then (when enabled) flip Checked for AutoCheck and run the action.
    bool Execute() override;

    const AnsiString& Caption() const { return caption_; }
    void SetCaption(const AnsiString& Value);
    bool Checked() const { return checked_; }
    // Checking an action of a group (GroupIndex > 0) unchecks the others of its list.
    void SetChecked(bool Value);
    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int Value);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int Value) { helpContext_ = Value; }
    const AnsiString& Hint() const { return hint_; }
    void SetHint(const AnsiString& Value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut Value);
    // More shortcuts as text ("Ctrl+Ins"), one per line.
    TStrings* SecondaryShortCuts() const { return secondaryShortCuts_; }
    void SetSecondaryShortCuts(TStrings* Value);
    bool IsShortCut(TShortCut Value) const;
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);

private:
    AnsiString caption_;
    bool checked_ = false;
    bool autoCheck_ = false;
    bool enabled_ = true;
    int groupIndex_ = 0;
    int helpContext_ = 0;
    AnsiString hint_;
    int imageIndex_ = -1;
    TShortCut shortCut_ = 0;
    TStrings* secondaryShortCuts_;
    bool visible_ = true;
    bool checking_ = false;
};

class TAction : public TCustomAction {
    TESK_CLASS(TAction, TCustomAction)
public:
    explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

enum TActionListState { asNormal, asSuspended, asSuspendedEnabled };
TESK_ENUM_INFO(TActionListState, asNormal, asSuspended, asSuspendedEnabled)

class TCustomActionList : public TComponent {
    TESK_CLASS(TCustomActionList, TComponent)
public:
    explicit TCustomActionList(TComponent* AOwner);
    ~TCustomActionList() override;
    void BeforeDestruction() override;

    int ActionCount() const { return static_cast<int>(actions_.size()); }
    TContainedAction* Actions(int Index) const { return actions_.at(static_cast<size_t>(Index)); }
    // OnExecute and OnUpdate of the list see every action of it first.
    virtual bool ExecuteAction(TBasicAction* Action);
    virtual bool UpdateAction(TBasicAction* Action);
    // Runs the first action whose shortcut is the key of a WM_KEYDOWN/WM_SYSKEYDOWN.
    bool IsShortCut(TMessage& Message);
    // Updates every action (OnUpdate).
    void UpdateActions();

    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* Value);
    // Suspended: nothing executes or updates.
    TActionListState State() const { return state_; }
    void SetState(TActionListState Value);

    TActionEvent OnExecute;
    TActionEvent OnUpdate;
    TNotifyEvent OnChange;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TContainedAction;
    void AddAction(TContainedAction* Action);
    void RemoveAction(TContainedAction* Action);
    void Idle();
    std::vector<TContainedAction*> actions_;
    TCustomImageList* images_ = nullptr;
    TActionListState state_ = asNormal;
    TCustomForm* form_ = nullptr;  // the form whose shortcuts the list answers
};

class TActionList : public TCustomActionList {
    TESK_CLASS(TActionList, TCustomActionList)
public:
    explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};

// The shortcut of a key message (WM_KEYDOWN, WM_SYSKEYDOWN) with the modifiers held.
TShortCut ShortCutFromMessage(const TMessage& Message);

// The application-wide action events (TApplicationEvents) are asked between
// an action list and the action's own handler.
bool ApplicationExecuteAction(TBasicAction* Action);
bool ApplicationUpdateAction(TBasicAction* Action);
