#pragma once
// What every import needs of the main window: the log pane and the sounds
// (which the window plays only while its sound option is on).
#include <exception>

#include "app/uGameText.h"
#include "platform/gui/WinApi.h"
#include "platform/rtl/CodePage.h"

class IImportHost {
public:
    virtual ~IImportHost() = default;
    virtual void AddToLog(const AnsiString& Line) = 0;
    // Shows the lines the log may hold back, before a box stops the import.
    virtual void ShowHeldLog() {}
    // MB_ICONASTERISK for success, MB_ICONHAND for an error.
    virtual void Beep(UINT SoundType) = 0;

    // An import's failure: "<time> - Error processing <What>: <message>".
    void LogError(const char* What, const std::exception& E) {
        AddToLog(Format("%s - Error processing %s: %s", {LogTimeStamp(), AnsiString(What), AnsiString(E.what())}));
    }
    // The same line with the error sound.
    void ReportError(const char* What, const std::exception& E) {
        LogError(What, E);
        Beep(MB_ICONHAND);
    }
};
