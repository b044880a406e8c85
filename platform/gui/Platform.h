#pragma once
// Start-up of the windowing platform.
#include "platform/rtl/CodePage.h"

// Creates the native application object, then Application, Screen and Mouse;
// later calls do nothing. The desktop's services are not installed: until
// PlatformUseNativeServices, message boxes and file dialogs answer from a
// script and the clipboard lives in memory.
void PlatformInitialize(int& argc, char** argv);

// Installs the desktop's message boxes, file dialogs, beep, browser and clipboard.
void PlatformUseNativeServices();

// Shows an empty main form with the given caption and runs the message loop
// until it is closed; frees the application afterwards.
int RunPlaceholderMainWindow(const AnsiString& title);
