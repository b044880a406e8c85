#pragma once
// TDBNavigator: ten buttons that move through and edit the data set of a data
// source (first, prior, next, last, insert, delete, edit, post, cancel,
// refresh). Each button's hint is the line of Hints with its index; the
// buttons are enabled as the data set's state allows. Delete asks
// "Delete record?" first while ConfirmDelete is on.
#include <cstdint>

#include "platform/db/DB.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ExtCtrls.h"

enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
enum TButtonSet : uint16_t {};
constexpr TButtonSet NavButtonBit(TNavigateBtn b) { return static_cast<TButtonSet>(1u << b); }
constexpr TButtonSet kAllNavButtons = static_cast<TButtonSet>(0x3FF);
TESK_ENUM_INFO(TNavigateBtn, nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel,
               nbRefresh)
TESK_SET_INFO(TButtonSet, TNavigateBtn)

using TNavClick = Delegate<void(TObject* Sender, TNavigateBtn Button)>;

class TDBNavigator;

// One button of a navigator.
class TNavButton : public TSpeedButton {
    TESK_CLASS(TNavButton, TSpeedButton)
public:
    explicit TNavButton(TComponent* AOwner) : TSpeedButton(AOwner) {}
    TNavigateBtn Index() const { return index_; }

private:
    friend class TDBNavigator;
    TNavigateBtn index_ = nbFirst;
};

class TDBNavigator : public TCustomPanel {
    TESK_CLASS(TDBNavigator, TCustomPanel)
public:
    explicit TDBNavigator(TComponent* AOwner);
    ~TDBNavigator() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    TButtonSet VisibleButtons() const { return visibleButtons_; }
    void SetVisibleButtons(TButtonSet Value);
    // One hint per button, in the order of TNavigateBtn; a missing line keeps the default.
    TStrings* Hints() const { return hints_; }
    void SetHints(TStrings* Value) { hints_->Assign(Value); }
    bool ConfirmDelete() const { return confirmDelete_; }
    void SetConfirmDelete(bool Value) { confirmDelete_ = Value; }
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    TNavButton* Buttons(TNavigateBtn Index) const { return buttons_[Index]; }
    // What a click on a button does.
    virtual void BtnClick(TNavigateBtn Index);

    TNavClick BeforeAction;
    TNavClick OnClick;

    void WMSize(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    class TNavDataLink;
    friend class TNavDataLink;
    void ButtonClicked(TObject* Sender);
    void HintsChanged(TObject* Sender);
    void UpdateButtons();
    void Arrange();
    TNavButton* buttons_[10] = {};
    TNavDataLink* dataLink_;
    TStrings* hints_;
    TButtonSet visibleButtons_ = kAllNavButtons;
    bool confirmDelete_ = true;
    bool flat_ = false;
};
