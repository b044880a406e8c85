#include "platform/gui/Menus.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <algorithm>
#include <map>
#include <set>

#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/QtGraphics.h"
#include "platform/gui/WinApi_p.h"
#include "platform/gui/Widgets_p.h"
#include "platform/rtl/SysUtils.h"

struct TMenuItemNative {
    QPointer<QAction> Action;  // in the menu bar or the menu shown now
};

namespace {

std::set<const TMenuItem*>& LiveItems() {
    static std::set<const TMenuItem*> items;
    return items;
}

TPopupMenuRunner& Runner() {
    static TPopupMenuRunner runner;
    return runner;
}

TMenuItem* ItemOf(QAction* action) {
    if (!action) return nullptr;
    auto* item = reinterpret_cast<TMenuItem*>(action->data().value<quintptr>());
    return LiveItems().count(item) ? item : nullptr;
}

// Runs an item's click once the native menu has closed, as the desktop does
// with a menu command.
void QueueClick(TMenuItem* item) {
    QMetaObject::invokeMethod(
        qApp,
        [item] {
            if (LiveItems().count(item)) FromWidget([item] { item->Click(); });
        },
        Qt::QueuedConnection);
}

void ApplyItem(QAction* action, TMenuItem* item) {
    if (item->IsLine()) {
        action->setSeparator(true);
        action->setVisible(item->Visible());
        return;
    }
    QString text = ToQString(item->Caption());
    if (item->ShortCut()) text += '\t' + ToQString(ShortCutToText(item->ShortCut()));
    action->setText(text);
    action->setEnabled(item->Enabled());
    action->setVisible(item->Visible());
    bool checkable = item->Checked() || item->RadioItem() || item->AutoCheck();
    action->setCheckable(checkable);
    action->setChecked(item->Checked());
    QFont f = action->font();
    f.setBold(item->Default());
    action->setFont(f);
    action->setStatusTip(ToQString(GetLongHint(item->Hint())));
}

void FillMenu(QWidget* menu, TMenuItem* parent, bool popup);

// A native action for an item, with its submenu; the bar's and submenus'
// actions run the click later, a popup's through the chosen action.
QAction* MakeAction(QWidget* container, TMenuItem* item, bool popup,
                    std::map<std::pair<TMenuItem*, int>, QActionGroup*>& groups) {
    auto* action = new QAction(container);
    action->setData(QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(item)));
    item->Native()->Action = action;
    ApplyItem(action, item);
    if (item->RadioItem()) {
        auto key = std::make_pair(item->Parent(), item->GroupIndex());
        QActionGroup*& group = groups[key];
        if (!group) {
            group = new QActionGroup(container);
            group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        }
        group->addAction(action);
    }
    QObject::connect(action, &QAction::hovered, action, [item] {
        if (LiveItems().count(item) && Application) Application->SetHint(GetLongHint(item->Hint()));
    });
    if (item->Count() > 0) {
        auto* sub = new QMenu(container);
        FillMenu(sub, item, popup);
        action->setMenu(sub);
        QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, item, popup] {
            if (!LiveItems().count(item)) return;
            // Opening a submenu is its item's click; its items' actions are brought up to date.
            FromWidget([item] {
                item->Click();
                for (int i = 0; i < item->Count(); ++i) item->Items(i)->InitiateAction();
            });
            if (!LiveItems().count(item)) return;
            for (QAction* a : sub->actions()) {
                if (TMenuItem* child = ItemOf(a)) ApplyItem(a, child);
            }
            (void)popup;
        });
    } else if (!popup) {
        QObject::connect(action, &QAction::triggered, action, [action, item] {
            if (!LiveItems().count(item)) return;
            // The item, not the native action, keeps the check mark.
            action->setChecked(item->Checked());
            QueueClick(item);
        });
    }
    return action;
}

void FillMenu(QWidget* menu, TMenuItem* parent, bool popup) {
    std::map<std::pair<TMenuItem*, int>, QActionGroup*> groups;
    for (int i = 0; i < parent->Count(); ++i) menu->addAction(MakeAction(menu, parent->Items(i), popup, groups));
}

// ---- the bar of a form's main menu

class TMenuBarWidget final : public QMenuBar {
public:
    explicit TMenuBarWidget(QWidget* parent) : QMenuBar(parent) {
        setObjectName("TeskMainMenuBar");
        setNativeMenuBar(false);
    }
    TMainMenu* Shown = nullptr;
    bool Dirty = true;
    void Rebuild(TMainMenu* menu) {
        clear();
        for (auto& o : owned_)
            if (o) o->deleteLater();
        owned_.clear();
        Shown = menu;
        Dirty = false;
        if (!menu) return;
        // The bar's actions live in a holder of their own, freed at the next build.
        auto* holder = new QWidget(this);
        holder->hide();
        owned_.push_back(holder);
        std::map<std::pair<TMenuItem*, int>, QActionGroup*> groups;
        TMenuItem* root = menu->Items();
        for (int i = 0; i < root->Count(); ++i) addAction(MakeAction(holder, root->Items(i), false, groups));
    }

private:
    std::vector<QPointer<QObject>> owned_;
};

TMenuBarWidget* BarOf(TCustomForm* form, bool create) {
    if (!form || !form->HandleAllocated()) return nullptr;
    TWndHandle* rec = HandleRecord(form->Handle());
    if (!rec || !rec->Frame) return nullptr;
    auto* bar = rec->Frame->findChild<TMenuBarWidget*>("TeskMainMenuBar", Qt::FindDirectChildrenOnly);
    if (!bar && create) bar = new TMenuBarWidget(rec->Frame);
    return bar;
}

bool HasVisibleItems(TMenu* menu) {
    TMenuItem* root = menu->Items();
    for (int i = 0; i < root->Count(); ++i)
        if (root->Items(i)->Visible()) return true;
    return false;
}

int PlaceMenuBar(TCustomForm* Form, const TRect& Frame) {
    auto* menu = dynamic_cast<TMainMenu*>(Form->Menu());
    bool show = menu && HasVisibleItems(menu) && Frame.Width() > 0;
    TMenuBarWidget* bar = BarOf(Form, show);
    if (!bar) return 0;
    if (!show) {
        bar->hide();
        if (bar->Shown) bar->Rebuild(nullptr);
        return 0;
    }
    if (bar->Shown != menu || bar->Dirty) bar->Rebuild(menu);
    if (Screen) bar->setFont(ToQFont(Screen->MenuFont()));
    int height = bar->sizeHint().height();
    bar->setGeometry(Frame.Left, Frame.Top, Frame.Width(), height);
    bar->show();
    bar->raise();
    return height;
}

bool PopupIsShortCut(TPopupMenu* Menu, TMessage& Message) { return Menu->IsShortCut(Message); }
bool PopupAutoPopup(TPopupMenu* Menu) { return Menu->AutoPopup(); }
void PopupShow(TPopupMenu* Menu, TControl* Component, int X, int Y) {
    Menu->SetPopupComponent(Component);
    Menu->Popup(X, Y);
}
TComponent* PopupAsComponent(TPopupMenu* Menu) { return Menu; }

}  // namespace

void InstallMenuHooks() {
    TPopupMenuHooks popup;
    popup.IsShortCut = &PopupIsShortCut;
    popup.AutoPopup = &PopupAutoPopup;
    popup.Popup = &PopupShow;
    popup.AsComponent = &PopupAsComponent;
    SetPopupMenuHooks(popup);
    TMainMenuHooks main;
    main.PlaceBar = &PlaceMenuBar;
    SetMainMenuHooks(main);
}

// ---------------------------------------------------------------- helpers

AnsiString StripHotkey(const AnsiString& Text) {
    AnsiString s;
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '&') {
            if (i + 1 < Text.size() && Text[i + 1] == '&') {
                s += '&';
                ++i;
            }
            continue;
        }
        s += Text[i];
    }
    return s;
}

char GetHotkey(const AnsiString& Text) {
    for (size_t i = 0; i + 1 < Text.size(); ++i) {
        if (Text[i] != '&') continue;
        if (Text[i + 1] == '&') {
            ++i;
            continue;
        }
        return AnsiUpperCase(AnsiString(1, Text[i + 1]))[0];
    }
    return 0;
}

bool IsAccel(WPARAM Key, const AnsiString& Caption) {
    const char hotkey = GetHotkey(Caption);
    return hotkey != 0 && AnsiUpperCase(AnsiString(1, static_cast<char>(Key)))[0] == hotkey;
}

void SetPopupMenuRunner(TPopupMenuRunner R) { Runner() = std::move(R); }

TMenuItem* NewItem(const AnsiString& ACaption, TShortCut AShortCut, bool AChecked, bool AEnabled,
                   TNotifyEvent AOnClick, int AHelpContext, const AnsiString& AName) {
    auto* item = new TMenuItem(nullptr);
    item->SetName(AName);
    item->SetCaption(ACaption);
    item->SetShortCut(AShortCut);
    item->SetChecked(AChecked);
    item->SetEnabled(AEnabled);
    item->OnClick = AOnClick;
    item->SetHelpContext(AHelpContext);
    return item;
}

TMenuItem* NewLine() {
    auto* item = new TMenuItem(nullptr);
    item->SetCaption("-");
    return item;
}

// ---------------------------------------------------------------- TMenuActionLink

TMenuActionLink::TMenuActionLink(TMenuItem* AClient) : TActionLink(AClient), item_(AClient) {}
void TMenuActionLink::SetCaption(const AnsiString& Value) { item_->SetCaption(Value); }
void TMenuActionLink::SetChecked(bool Value) { item_->SetChecked(Value); }
void TMenuActionLink::SetEnabled(bool Value) { item_->SetEnabled(Value); }
void TMenuActionLink::SetHint(const AnsiString& Value) { item_->SetHint(Value); }
void TMenuActionLink::SetShortCut(TShortCut Value) { item_->SetShortCut(Value); }
void TMenuActionLink::SetVisible(bool Value) { item_->SetVisible(Value); }
void TMenuActionLink::SetGroupIndex(int Value) { item_->SetGroupIndex(Value); }
void TMenuActionLink::SetAutoCheck(bool Value) { item_->SetAutoCheck(Value); }
void TMenuActionLink::SetImageIndex(int Value) { item_->SetImageIndex(Value); }

// ---------------------------------------------------------------- TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), native_(new TMenuItemNative()) {
    LiveItems().insert(this);
}

TMenuItem::~TMenuItem() {
    LiveItems().erase(this);
    for (TMenuItem* child : items_) child->parent_ = nullptr;
    if (parent_) {
        auto& list = parent_->items_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    delete actionLink_;
    delete native_;
}

void TMenuItem::BeforeDestruction() {
    // The items below go with this one.
    while (!items_.empty()) {
        TMenuItem* child = items_.back();
        items_.pop_back();
        child->parent_ = nullptr;
        FreeObject(child);
    }
    if (parent_) parent_->Remove(this);
    TComponent::BeforeDestruction();
}

TMenuItem* TMenuItem::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw EMenuError("Menu index out of range");
    return items_[static_cast<size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (!Item) return;
    if (Item->parent_) throw EMenuError("Menu inserted twice");
    if (Index < 0 || Index > Count()) throw EMenuError("Menu index out of range");
    items_.insert(items_.begin() + Index, Item);
    Item->parent_ = this;
    MenuChanged(true);
}

void TMenuItem::Delete(int Index) {
    TMenuItem* item = Items(Index);
    items_.erase(items_.begin() + Index);
    item->parent_ = nullptr;
    MenuChanged(true);
}

void TMenuItem::Remove(TMenuItem* Item) {
    int i = IndexOf(Item);
    if (i < 0) throw EMenuError("Sub-menu is not in menu");
    Delete(i);
}

void TMenuItem::Clear() {
    while (!items_.empty()) {
        TMenuItem* item = items_.back();
        items_.pop_back();
        item->parent_ = nullptr;
        FreeObject(item);
    }
    MenuChanged(true);
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
    auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenuItem* TMenuItem::Find(const AnsiString& ACaption) const {
    AnsiString wanted = StripHotkey(ACaption);
    for (TMenuItem* item : items_)
        if (SameText(StripHotkey(item->caption_), wanted)) return item;
    return nullptr;
}

int TMenuItem::MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int Value) {
    if (!parent_) return;
    TMenuItem* parent = parent_;
    int count = parent->Count();
    Value = std::clamp(Value, 0, count - 1);
    if (Value == MenuIndex()) return;
    parent->Delete(MenuIndex());
    parent->Insert(Value, this);
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* item = this;
    while (item->parent_) item = item->parent_;
    return item->menu_;
}

void TMenuItem::MenuChanged(bool Rebuild) {
    if (!Rebuild && native_->Action) ApplyItem(native_->Action, this);
    if (TMenu* menu = GetParentMenu()) menu->MenuChanged(this, Rebuild);
}

void TMenuItem::Click() {
    if (!enabled_) return;
    auto* action = dynamic_cast<TCustomAction*>(Action());
    if (autoCheck_ && !(action && action->AutoCheck())) SetChecked(!checked_);
    if (OnClick) OnClick(this);
    else if (actionLink_ && actionLink_->Action()) actionLink_->Execute(this);
}

void TMenuItem::InitiateAction() {
    if (actionLink_) actionLink_->Update();
}

void TMenuItem::SetCaption(const AnsiString& Value) {
    if (caption_ == Value) return;
    bool wasLine = IsLine();
    caption_ = Value;
    MenuChanged(wasLine != IsLine());
}

void TMenuItem::TurnSiblingsOff() {
    if (!parent_) return;
    for (TMenuItem* item : parent_->items_)
        if (item != this && item->radioItem_ && item->groupIndex_ == groupIndex_) item->SetChecked(false);
}

void TMenuItem::SetChecked(bool Value) {
    if (checked_ == Value) return;
    checked_ = Value;
    if (Value && radioItem_) TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::SetEnabled(bool Value) {
    if (enabled_ == Value) return;
    enabled_ = Value;
    MenuChanged(false);
}

void TMenuItem::SetDefault(bool Value) {
    if (default_ == Value) return;
    if (Value && parent_)
        for (TMenuItem* item : parent_->items_)
            if (item != this) item->SetDefault(false);
    default_ = Value;
    MenuChanged(false);
}

void TMenuItem::SetGroupIndex(int Value) {
    if (groupIndex_ == Value) return;
    groupIndex_ = Value;
    if (checked_ && radioItem_) TurnSiblingsOff();
    MenuChanged(true);
}

void TMenuItem::SetRadioItem(bool Value) {
    if (radioItem_ == Value) return;
    radioItem_ = Value;
    if (checked_ && radioItem_) TurnSiblingsOff();
    MenuChanged(true);
}

void TMenuItem::SetAutoCheck(bool Value) {
    if (autoCheck_ == Value) return;
    autoCheck_ = Value;
    MenuChanged(false);
}

void TMenuItem::SetShortCut(TShortCut Value) {
    if (shortCut_ == Value) return;
    shortCut_ = Value;
    MenuChanged(false);
}

void TMenuItem::SetVisible(bool Value) {
    if (visible_ == Value) return;
    visible_ = Value;
    // A top item of a bar that appears or goes may change the window's client area.
    MenuChanged(parent_ && !parent_->parent_);
}

void TMenuItem::SetHint(const AnsiString& Value) {
    hint_ = Value;
    MenuChanged(false);
}

void TMenuItem::SetImageIndex(int Value) { imageIndex_ = Value; }

void TMenuItem::SetBreak(TMenuBreak Value) { break_ = Value; }

TBasicAction* TMenuItem::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TMenuItem::SetAction(TBasicAction* Value) {
    if (!Value) {
        delete actionLink_;
        actionLink_ = nullptr;
        return;
    }
    if (!actionLink_) {
        actionLink_ = new TMenuActionLink(this);
        actionLink_->OnChange = MakeEvent(this, &TMenuItem::DoActionChange);
    }
    actionLink_->SetAction(Value);
    Value->FreeNotification(this);
    ActionChange(Value, false);
}

void TMenuItem::DoActionChange(TObject* Sender) {
    if (actionLink_ && Sender == actionLink_->Action()) ActionChange(Sender, false);
}

void TMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (!action) return;
    if (!CheckDefaults || caption_.empty()) SetCaption(action->Caption());
    if (!CheckDefaults || !checked_) SetChecked(action->Checked());
    if (!CheckDefaults || enabled_) SetEnabled(action->Enabled());
    if (!CheckDefaults || hint_.empty()) SetHint(action->Hint());
    if (!CheckDefaults || shortCut_ == 0) SetShortCut(action->ShortCut());
    if (!CheckDefaults || visible_) SetVisible(action->Visible());
    if (!CheckDefaults || groupIndex_ == 0) SetGroupIndex(action->GroupIndex());
    if (!CheckDefaults || !autoCheck_) SetAutoCheck(action->AutoCheck());
    if (!CheckDefaults || imageIndex_ < 0) SetImageIndex(action->ImageIndex());
}

void TMenuItem::Loaded() {
    TComponent::Loaded();
    if (actionLink_ && actionLink_->Action()) ActionChange(actionLink_->Action(), false);
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && actionLink_ && AComponent == actionLink_->Action()) SetAction(nullptr);
}

void TMenuItem::SetParentComponent(TComponent* Value) {
    if (parent_) parent_->Remove(this);
    if (auto* item = dynamic_cast<TMenuItem*>(Value)) item->Add(this);
    else if (auto* menu = dynamic_cast<TMenu*>(Value)) menu->Items()->Add(this);
}

TComponent* TMenuItem::GetParentComponent() const {
    if (parent_ && parent_->menu_) return parent_->menu_;
    return parent_;
}

// ---------------------------------------------------------------- TMenu

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner) {
    items_ = new TMenuItem(this);
    items_->menu_ = this;
}

TMenu::~TMenu() = default;

void TMenu::BeforeDestruction() {
    if (items_) {
        TMenuItem* root = items_;
        items_ = nullptr;
        root->menu_ = nullptr;
        FreeObject(root);
    }
    TComponent::BeforeDestruction();
}

void TMenu::MenuChanged(TMenuItem*, bool) {
    if (OnChange) OnChange(this);
}

void TMenu::SetImages(TCustomImageList* Value) {
    images_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == images_) images_ = nullptr;
}

namespace {
TMenuItem* FindShortCut(TMenuItem* parent, TShortCut shortCut) {
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (item->ShortCut() == shortCut) return item;
        if (TMenuItem* found = FindShortCut(item, shortCut)) return found;
    }
    return nullptr;
}

enum TClickResult { crDisabled, crClicked, crShortCutMoved };

// The items above run their clicks first, as when their menus are opened.
TClickResult ClickChain(TMenuItem* item, TShortCut shortCut, bool top) {
    if (!item) return crClicked;
    TClickResult r = ClickChain(item->Parent(), shortCut, false);
    if (r != crClicked) return r;
    if (!item->Parent()) return crClicked;  // the root
    if (!item->Enabled()) return crDisabled;
    item->InitiateAction();
    if (top && item->ShortCut() != shortCut) return crShortCutMoved;
    if (!item->Enabled()) return crDisabled;
    item->Click();
    return crClicked;
}
}  // namespace

TMenuItem* TMenu::FindItem(int Value, TFindItemKind Kind) const {
    if (Kind != fkShortCut || !items_) return nullptr;
    return FindShortCut(items_, static_cast<TShortCut>(Value));
}

bool TMenu::IsShortCut(TMessage& Message) {
    if (Message.Msg != CN_KEYDOWN && Message.Msg != CN_SYSKEYDOWN && Message.Msg != WM_KEYDOWN &&
        Message.Msg != WM_SYSKEYDOWN)
        return false;
    TShortCut shortCut = ShortCutFromMessage(Message);
    if (shortCut == 0) return false;
    TMenuItem* item = nullptr;
    for (int tries = 0; tries < 8; ++tries) {
        item = FindItem(shortCut, fkShortCut);
        if (!item) return false;
        if (ClickChain(item, shortCut, true) != crShortCutMoved) break;
    }
    return item != nullptr;
}

// ---------------------------------------------------------------- TMainMenu

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {
    owningForm_ = dynamic_cast<TCustomForm*>(AOwner);
    if (owningForm_) owningForm_->AddShortCutHandler(Delegate<bool(TMessage&)>(this, &TMainMenu::FormShortCut));
}

void TMainMenu::BeforeDestruction() {
    if (owningForm_ && !owningForm_->InState(csDestroying)) {
        owningForm_->RemoveShortCutHandler(Delegate<bool(TMessage&)>(this, &TMainMenu::FormShortCut));
        if (owningForm_->Menu() == this) owningForm_->SetMenu(nullptr);
    }
    owningForm_ = nullptr;
    TMenu::BeforeDestruction();
}

TCustomForm* TMainMenu::Form() const {
    // A form on its way out answers nothing more.
    if (!owningForm_ || owningForm_->InState(csDestroying)) return nullptr;
    return owningForm_->Menu() == this ? owningForm_ : nullptr;
}

bool TMainMenu::FormShortCut(TMessage& Message) {
    // Only the menu the form shows answers its keys.
    if (!Form()) return false;
    return IsShortCut(Message);
}

bool TMainMenu::IsShortCut(TMessage& Message) {
    if (TMenu::IsShortCut(Message)) return true;
    TShortCut shortCut = ShortCutFromMessage(Message);
    if ((shortCut & ~0xFF) != scAlt || !Items()) return false;
    // Alt with the accelerator of an item of the bar opens it.
    char key = static_cast<char>(shortCut & 0xFF);
    for (int i = 0; i < Items()->Count(); ++i) {
        TMenuItem* item = Items()->Items(i);
        if (!item->Visible() || !item->Enabled() || GetHotkey(item->Caption()) != key) continue;
        if (TMenuBarWidget* bar = BarOf(Form(), false)) {
            if (item->Native()->Action) bar->setActiveAction(item->Native()->Action);
        }
        if (item->Count() == 0) item->Click();
        return true;
    }
    return false;
}

void TMainMenu::MenuChanged(TMenuItem* Item, bool Rebuild) {
    TMenu::MenuChanged(Item, Rebuild);
    TCustomForm* form = Form();
    if (!Rebuild || !form || !form->HandleAllocated()) return;
    if (TMenuBarWidget* bar = BarOf(form, false)) bar->Dirty = true;
    // The bar is built again as the window lays out its frame.
    UpdateWindowFrame(form->Handle());
}

// ---------------------------------------------------------------- TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
    if (popupComponent_ == Value) return;
    if (popupComponent_) popupComponent_->RemoveFreeNotification(this);
    popupComponent_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == popupComponent_) popupComponent_ = nullptr;
}

void TPopupMenu::DoPopup(TObject* Sender) {
    if (OnPopup) OnPopup(Sender);
}

void TPopupMenu::Popup(int X, int Y) {
    DoPopup(this);
    for (int i = 0; Items() && i < Items()->Count(); ++i) Items()->Items(i)->InitiateAction();
    TMenuItem* chosen = nullptr;
    if (Runner()) {
        chosen = Runner()(this, TPoint(X, Y));
    } else {
        QMenu menu;
        if (Screen) menu.setFont(ToQFont(Screen->MenuFont()));
        FillMenu(&menu, Items(), true);
        int width = menu.sizeHint().width();
        if (alignment_ == paRight) X -= width;
        else if (alignment_ == paCenter) X -= width / 2;
        chosen = ItemOf(menu.exec(QPoint(X, Y)));
    }
    if (OnClose) OnClose(this);
    if (chosen && LiveItems().count(chosen)) chosen->Click();
}

// ---------------------------------------------------------------- published

#include "platform/rtti/Published.h"

TESK_PUBLISHED(TMenuItem) {
    Property("Action", &T::Action, &T::SetAction);
    Property("AutoCheck", &T::AutoCheck, &T::SetAutoCheck).Default(false);
    Property("Break", &T::Break, &T::SetBreak).Default(mbNone);
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("Checked", &T::Checked, &T::SetChecked).Default(false);
    Property("Default", &T::Default, &T::SetDefault).Default(false);
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("GroupIndex", &T::GroupIndex, &T::SetGroupIndex).Default(0);
    Property("HelpContext", &T::HelpContext, &T::SetHelpContext).Default(0);
    Property("Hint", &T::Hint, &T::SetHint);
    Property("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(-1);
    Property("RadioItem", &T::RadioItem, &T::SetRadioItem).Default(false);
    Property("ShortCut", TypeInfoTShortCut(), &T::ShortCut, &T::SetShortCut).Default(0);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    Property("OnClick", &T::OnClick, &T::OnClick);
}

TESK_PUBLISHED(TMenu) {}

TESK_PUBLISHED(TMainMenu) {
    Property("AutoMerge", &T::AutoMerge, &T::SetAutoMerge).Default(false);
    Property("Images", &T::Images, &T::SetImages);
    Property("OnChange", &T::OnChange, &T::OnChange);
}

TESK_PUBLISHED(TPopupMenu) {
    Property("Alignment", &T::Alignment, &T::SetAlignment).Default(paLeft);
    Property("AutoPopup", &T::AutoPopup, &T::SetAutoPopup).Default(true);
    Property("Images", &T::Images, &T::SetImages);
    Property("TrackButton", &T::TrackButton, &T::SetTrackButton).Default(tbRightButton);
    Property("OnChange", &T::OnChange, &T::OnChange);
    Property("OnClose", &T::OnClose, &T::OnClose);
    Property("OnPopup", &T::OnPopup, &T::OnPopup);
}
