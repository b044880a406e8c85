#pragma once
// Start-up of the windowing platform.
#include "platform/rtl/CodePage.h"

// Creates the application object of the windowing system once; later calls do nothing.
void PlatformInitialize(int& argc, char** argv);

// Shows an empty main window with the given caption and runs until it is closed.
int RunPlaceholderMainWindow(const AnsiString& title);
