#pragma once
// The program's start-up, shared by its entry and by the tests that check it:
// the windowing platform, then every library's registration.

// Registers the classes, hooks and names of every library; calling it again
// does nothing.
void RegisterAppLibrary();

// Starts the windowing platform and registers every library. The desktop's
// services are the caller's choice (the program installs them, tests do not).
void StartTesk(int& argc, char** argv);
