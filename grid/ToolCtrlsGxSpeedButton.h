#pragma once
// TSpeedButtonGx: the edit-button control under the name forms use for a
// free-standing key, with its style and hot look published beside the speed
// button's own properties (the calculator's keys are such buttons).
#include "grid/ToolCtrlsGx.h"

class TSpeedButtonGx : public TEditButtonControlGx {
    TESK_CLASS(TSpeedButtonGx, TEditButtonControlGx)
public:
    explicit TSpeedButtonGx(TComponent* AOwner) : TEditButtonControlGx(AOwner) {}
};
