#pragma once
// Keyboard input helpers for controls.
#include "platform/gui/WinApi.h"
#include "platform/rtl/CodePage.h"

// The text the input method composed, while WM_IME_COMPOSITION with
// GCS_RESULTSTR is being handled; empty otherwise.
AnsiString ImmGetResultString();
