#pragma once
#include <functional>

#include "platform/rtl/CodePage.h"

// The program's life: the start-up work that other parts ask for (run once,
// before the first form), the data module and the main window, the wheel
// hook, and the message loop until the main window closes.

// Drag cursors, the grids' shared style and the editor's command names.
// Later calls do nothing.
void PrepareProgram();

// Whether the program folder (settings, database, language files) can be
// used; when neither it nor its fallback can be made, the user is told why.
// Folder answers the folder or raises; the program asks ProgramFolder.
bool ProgramFolderReady(const std::function<AnsiString()>& Folder);

// Creates the data module and the main window, runs the message loop and
// frees everything; the platform must be initialised. Answers the exit code.
int RunProgram();
