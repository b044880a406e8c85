#pragma once
// The filter row's editor: a combo box laid over a filter cell, with the grid
// as its edit holder (the grid handles its keys and its list).
#include "grid/DBCtrlsGxCombo.h"

class TInplaceFilterEditGx : public TDBComboBoxGx {
    TESK_CLASS(TInplaceFilterEditGx, TDBComboBoxGx)
public:
    explicit TInplaceFilterEditGx(TComponent* AOwner) : TDBComboBoxGx(AOwner) {}
    // The key value the shown text stands for (Null without a key field).
    const Variant& FilterValue() const { return filterValue_; }
    void SetValueAndText(const Variant& Value, const AnsiString& Text);
    TRect GetEditRect() override;

protected:
    // The holder sees the keys before the combo box steps through its items.
    void KeyDown(WORD& Key, TShiftState Shift) override;

private:
    Variant filterValue_ = Null();
};
