#pragma once
// Start-up of the windowing platform.
#include "platform/rtl/CodePage.h"

// Creates the native application object, then Application, Screen and Mouse;
// later calls do nothing. The desktop's services are not installed: until
// PlatformUseNativeServices, message boxes and file dialogs answer from a
// script and the clipboard lives in memory.
void PlatformInitialize(int& argc, char** argv);

// Makes the classes of the windowing and data-access libraries known to
// FindClass and installs the menus' hooks; calling it again does nothing.
void RegisterGuiLibrary();

// Installs the desktop's message boxes, file dialogs, beep, browser and clipboard.
void PlatformUseNativeServices();
