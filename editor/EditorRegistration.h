#pragma once
// The editor library's one registration call (see EditorRegistration.cpp).

// Makes the editor's classes known to FindClass and its command names known to
// the streaming, after the windowing library's; calling it again does nothing.
void RegisterEditorLibrary();
