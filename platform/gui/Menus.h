#pragma once
// Menus: the main menu of a form (a bar above its client area), popup menus
// and their items.
//
// An item's caption marks its accelerator with '&'; the caption "-" makes a
// separator line. Items nest: an item with items opens a submenu (and its
// OnClick runs as the submenu opens). A radio item with a GroupIndex unchecks
// the other radio items of its group beside it when checked; AutoCheck flips
// Checked on every click. An item bound to an action shows the action's
// caption, shortcut, hint, enabled, visible and checked state and runs the
// action when clicked.
//
// Shortcuts are ours, never the native menu's: the main menu answers its
// form's shortcut check (an item's shortcut fires its click even while a text
// box has the focus), and a control's popup menu answers for the control.
// Captions show the shortcut's text beside them.
#include <functional>
#include <vector>

#include "platform/classes/ShortCuts.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Controls.h"

class TMenu;
class TMenuItem;
class TCustomImageList;

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };
enum TPopupAlignment { paLeft, paRight, paCenter };
enum TTrackButton { tbRightButton, tbLeftButton };
enum TFindItemKind { fkCommand, fkHandle, fkShortCut };
TESK_ENUM_INFO(TMenuBreak, mbNone, mbBreak, mbBarBreak)
TESK_ENUM_INFO(TPopupAlignment, paLeft, paRight, paCenter)
TESK_ENUM_INFO(TTrackButton, tbRightButton, tbLeftButton)

// What an action tells a menu item.
class TMenuActionLink : public TActionLink {
public:
    explicit TMenuActionLink(TMenuItem* AClient);
    const char* ClassName() const override { return "TMenuActionLink"; }
    void SetCaption(const AnsiString& Value) override;
    void SetChecked(bool Value) override;
    void SetEnabled(bool Value) override;
    void SetHint(const AnsiString& Value) override;
    void SetShortCut(TShortCut Value) override;
    void SetVisible(bool Value) override;
    void SetGroupIndex(int Value) override;
    void SetAutoCheck(bool Value) override;
    void SetImageIndex(int Value) override;

private:
    TMenuItem* item_;
};

// The native side of an item; defined where the menus are shown.
struct TMenuItemNative;

class TMenuItem : public TComponent {
    TESK_CLASS(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;
    void BeforeDestruction() override;

    // The items below this one.
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int Index) const;
    TMenuItem* operator[](int Index) const { return Items(Index); }
    void Add(TMenuItem* Item);
    // Raises EMenuError "Menu inserted twice" for an item that has a parent already.
    void Insert(int Index, TMenuItem* Item);
    void Delete(int Index);
    void Remove(TMenuItem* Item);
    // Frees every item below this one.
    void Clear();
    int IndexOf(const TMenuItem* Item) const;
    // The item below this one with that caption (ignoring '&' and letter case).
    TMenuItem* Find(const AnsiString& ACaption) const;
    TMenuItem* Parent() const { return parent_; }
    int MenuIndex() const;
    void SetMenuIndex(int Value);
    // The menu this item belongs to, through its parents.
    TMenu* GetParentMenu() const;
    bool IsLine() const { return caption_ == "-"; }

    // Runs the click: AutoCheck, then OnClick, or the action when there is no OnClick.
    virtual void Click();
    // Updates the action the item is bound to.
    void InitiateAction();

    const AnsiString& Caption() const { return caption_; }
    void SetCaption(const AnsiString& Value);
    bool Checked() const { return checked_; }
    void SetChecked(bool Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    bool Default() const { return default_; }
    void SetDefault(bool Value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int Value);
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool Value);
    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool Value);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    const AnsiString& Hint() const { return hint_; }
    void SetHint(const AnsiString& Value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    TMenuBreak Break() const { return break_; }
    void SetBreak(TMenuBreak Value);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int Value) { helpContext_ = Value; }
    TBasicAction* Action() const;
    void SetAction(TBasicAction* Value);

    TNotifyEvent OnClick;

    void SetParentComponent(TComponent* Value) override;
    TComponent* GetParentComponent() const override;
    bool HasParent() const override { return true; }
    TMenuItemNative* Native() const { return native_; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);
    // Something the menu shows changed (Rebuild: the items below changed).
    void MenuChanged(bool Rebuild);

private:
    friend class TMenu;
    friend class TMenuActionLink;
    void DoActionChange(TObject* Sender);
    void TurnSiblingsOff();
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;  // set on the root item of a menu
    TMenuActionLink* actionLink_ = nullptr;
    TMenuItemNative* native_;
    AnsiString caption_;
    bool checked_ = false;
    bool enabled_ = true;
    bool default_ = false;
    int groupIndex_ = 0;
    bool radioItem_ = false;
    bool autoCheck_ = false;
    TShortCut shortCut_ = 0;
    bool visible_ = true;
    AnsiString hint_;
    int imageIndex_ = -1;
    TMenuBreak break_ = mbNone;
    int helpContext_ = 0;
};

class TMenu : public TComponent {
    TESK_CLASS(TMenu, TComponent)
public:
    ~TMenu() override;
    void BeforeDestruction() override;
    // The root: its items are the menu's.
    TMenuItem* Items() const { return items_; }
    // The item whose shortcut is the key of a key message: runs its click when it
    // (and every item above it) is enabled; answers whether the key was taken.
    virtual bool IsShortCut(TMessage& Message);
    // Searches every level; fkShortCut compares the shortcut.
    TMenuItem* FindItem(int Value, TFindItemKind Kind) const;
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* Value);

    TNotifyEvent OnChange;

    // Read from a definition, the menu's items are its children.
    void SetParentComponent(TComponent*) override {}

protected:
    explicit TMenu(TComponent* AOwner);
    friend class TMenuItem;
    // An item of the menu changed what it shows (Rebuild: its items changed).
    virtual void MenuChanged(TMenuItem* Item, bool Rebuild);
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TMenuItem* items_;
    TCustomImageList* images_ = nullptr;
};

// The menu of a form (its Menu property): a bar along the top of the window.
class TMainMenu : public TMenu {
    TESK_CLASS(TMainMenu, TMenu)
public:
    explicit TMainMenu(TComponent* AOwner);
    void BeforeDestruction() override;
    bool AutoMerge() const { return autoMerge_; }
    void SetAutoMerge(bool Value) { autoMerge_ = Value; }
    // Also Alt with the accelerator of an item of the bar opens it.
    bool IsShortCut(TMessage& Message) override;
    // The form showing the menu (its Menu), or nullptr.
    TCustomForm* Form() const;

protected:
    void MenuChanged(TMenuItem* Item, bool Rebuild) override;

private:
    bool FormShortCut(TMessage& Message);
    TCustomForm* owningForm_ = nullptr;
    bool autoMerge_ = false;
};

class TPopupMenu : public TMenu {
    TESK_CLASS(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* AOwner);
    // Shows the menu at a screen point and runs the click of the item chosen.
    virtual void Popup(int X, int Y);
    // The control the menu was shown for.
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* Value);
    // Shown by a right click on a control that has it as its PopupMenu.
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool Value) { autoPopup_ = Value; }
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment Value) { alignment_ = Value; }
    TTrackButton TrackButton() const { return trackButton_; }
    void SetTrackButton(TTrackButton Value) { trackButton_ = Value; }

    TNotifyEvent OnPopup;
    TNotifyEvent OnClose;

protected:
    virtual void DoPopup(TObject* Sender);
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TComponent* popupComponent_ = nullptr;
    bool autoPopup_ = true;
    TPopupAlignment alignment_ = paLeft;
    TTrackButton trackButton_ = tbRightButton;
};

TESK_DECLARE_EXCEPTION(EMenuError, Exception);

// What showing a popup menu does: the native menu by default; tests install a
// runner that answers the item "chosen" (nullptr: the menu was dismissed).
using TPopupMenuRunner = std::function<TMenuItem*(TPopupMenu* Menu, TPoint ScreenPos)>;
void SetPopupMenuRunner(TPopupMenuRunner Runner);
// Tells the controls and forms how to ask a popup menu for its shortcuts and
// how to place a main menu's bar; RegisterGuiLibrary calls it.
void InstallMenuHooks();

// Items made in code.
TMenuItem* NewItem(const AnsiString& ACaption, TShortCut AShortCut, bool AChecked, bool AEnabled,
                   TNotifyEvent AOnClick, int AHelpContext, const AnsiString& AName);
TMenuItem* NewLine();
// The caption without its '&' marks ("&&" stays one '&').
AnsiString StripHotkey(const AnsiString& Text);
// The accelerator of a caption, upper-cased; 0 when it has none.
char GetHotkey(const AnsiString& Text);
// Key, a typed character, is the caption's accelerator (in either case).
bool IsAccel(WPARAM Key, const AnsiString& Caption);
