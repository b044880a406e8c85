#pragma once
// The system clipboard behind TClipboard (Qt's), and notices of its changes in
// place of the clipboard-viewer chain. Every change calls the listeners; a
// change made by this program's own copy is flagged, so that a watcher can
// leave its own writes alone (the notice may come after the write has
// returned, so detaching a handler around the write is not enough).
#include "platform/gui/Clipboard.h"
#include "platform/gui/WinApi.h"

// Makes TClipboard read and write the system clipboard.
void UseSystemClipboard();

using TClipboardChangeEvent = Delegate<void(bool OwnChange)>;
void AddClipboardListener(TClipboardChangeEvent Listener);
void RemoveClipboardListener(TClipboardChangeEvent Listener);

// Windows that want WM_CLIPBOARDUPDATE (posted; wParam 1 when the change was
// the program's own copy).
BOOL AddClipboardFormatListener(HWND Wnd);
BOOL RemoveClipboardFormatListener(HWND Wnd);

// Puts plain text on the system clipboard as another program would (tests).
void SetForeignClipboardText(const std::string& Utf8);
