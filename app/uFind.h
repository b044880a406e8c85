#pragma once
// TfrmFind: asks for a value and the field to look for it in (alliance,
// player, planet name or coordinates "galaxy:system:position"), and whether
// the planet view's filter goes first. Find ends it with result 4, Cancel
// with 1; the window's find command shows it until Cancel.
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TfrmFind : public TForm {
    TESK_CLASS(TfrmFind, TForm)
public:
    explicit TfrmFind(TComponent* AOwner);

    TLabel* lblValue = nullptr;
    TEdit* edtValue = nullptr;
    TRadioGroup* grpField = nullptr;
    TCheckBox* cbxClearFilter = nullptr;
    TButton* btnFind = nullptr;
    TButton* btnCancel = nullptr;
};

// The modal results of the two buttons.
constexpr int FindResultFind = 4;
constexpr int FindResultCancel = 1;
