#pragma once
// What every import needs of the main window: the log pane and the sounds
// (which the window plays only while its sound option is on).
#include "platform/gui/WinApi.h"
#include "platform/rtl/CodePage.h"

class IImportHost {
public:
    virtual ~IImportHost() = default;
    virtual void AddToLog(const AnsiString& Line) = 0;
    // MB_ICONASTERISK for success, MB_ICONHAND for an error.
    virtual void Beep(UINT SoundType) = 0;
};
