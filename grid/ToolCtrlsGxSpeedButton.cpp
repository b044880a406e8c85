#include "grid/ToolCtrlsGxSpeedButton.h"

#include "platform/rtti/Published.h"

// Style and Active come with the edit-button control's table.
TESK_PUBLISHED(TSpeedButtonGx) {}
