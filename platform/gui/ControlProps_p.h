#pragma once
// The properties and events most controls publish, for the TESK_PUBLISHED
// blocks of the control sources. Each is one run of TControl or TWinControl
// (ControlProps.cpp), so their accessors are compiled once, not per control.
#include "platform/gui/Controls.h"
#include "platform/gui/Menus.h"
#include "platform/rtti/Published.h"

TESK_PUBLISHED_RUN_DECL(TControl, TControlCommonProps);
TESK_PUBLISHED_RUN_DECL(TWinControl, TWinControlCommonProps);

// Place, look and mouse of every control.
#define TESK_PUBLISH_CONTROL_COMMON() IncludeRun<TControl, TControlCommonProps>()
// Focus and keys of a windowed control.
#define TESK_PUBLISH_WINCONTROL_COMMON() IncludeRun<TWinControl, TWinControlCommonProps>()
