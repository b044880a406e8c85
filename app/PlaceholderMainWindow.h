#pragma once
// The window the program shows until its main window is built.
#include "platform/rtl/CodePage.h"

// Shows an empty main form with the given caption and runs the message loop
// until it is closed; frees the application afterwards.
int RunPlaceholderMainWindow(const AnsiString& title);
