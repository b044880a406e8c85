#pragma once
// System folders, the start-up system information and the classification of
// the Windows version, and the extra drag cursors.
//
// On this platform the Windows folder is the program folder, the temporary
// folder is the system's, the user's application-data folder is
// $XDG_CONFIG_HOME (by default ~/.config) and the local one $XDG_DATA_HOME (by
// default ~/.local/share). Folder names come without a trailing separator;
// a folder that cannot be found is ''.
#include <cstdint>

#include "platform/rtl/CodePage.h"
#include "text/UtFileUtils.h"

enum : int {
    CSIDL_APPDATA = 0x001A,
    CSIDL_LOCAL_APPDATA = 0x001C,
};

AnsiString GetWindowsFolder();
AnsiString GetWindowsTempFolder();
// GetSpecialFolderLocation(CSIDL_APPDATA).
AnsiString GetAppdataFolder();
AnsiString GetSpecialFolderLocation(int Folder);

// No module is ever loaded here; only the handle is cleared.
void UnloadModule(HMODULE& Module);

enum TWindowsVersion {
    wvUnknown, wvWin95, wvWin95OSR2, wvWin98, wvWin98SE, wvWinME, wvWinNT31, wvWinNT35, wvWinNT351,
    wvWinNT4, wvWin2000, wvWinXP, wvWin2003
};

// The parts of the system's version record that the classification reads.
struct TOSVersionInfo {
    uint32_t dwMajorVersion = 0;
    uint32_t dwMinorVersion = 0;
    uint32_t dwBuildNumber = 0;
    uint32_t dwPlatformId = 0;  // 1: Windows 9x, 2: Windows NT
    AnsiString szCSDVersion;     // the service-pack text
};
enum : uint32_t { VER_PLATFORM_WIN32s = 0, VER_PLATFORM_WIN32_WINDOWS = 1, VER_PLATFORM_WIN32_NT = 2 };

// The version record of this system: fixed values (platform 0, version 0.0),
// since no Windows runs underneath.
TOSVersionInfo GetVersionRecord();
TWindowsVersion ClassifyWindowsVersion(const TOSVersionInfo& Info, uint32_t KernelProductVersionHigh);
// The running system's version, which is always wvUnknown here.
TWindowsVersion GetWindowsVersion();

// Start-up system information, set before main and read-only afterwards.
struct TStSystemInfo {
    int ProcessorCount = 1;
    int AllocationGranularity = 4096;  // the page size: memory is mapped page by page
    int PageSize = 4096;
    bool IsWinNT = false;
    // The high part of the kernel module's product version; 0, as the system
    // library has no version resource here.
    uint32_t KernelVersionHi = 0;
    bool IsWin95 = false, IsWin95OSR2 = false, IsWin98 = false, IsWin98SE = false, IsWinME = false;
    bool IsWinNT3 = false, IsWinNT31 = false, IsWinNT35 = false, IsWinNT351 = false;
    bool IsWinNT4 = false, IsWin2K = false, IsWinXP = false, IsWin2003 = false;
};
const TStSystemInfo& StSystemInfo();

// Fills the screen's cursor slots 100 to 103 from the system's drag cursors once the screen object
// exists; call it at start-up after the forms layer is up. Never raises.
void RegisterDragCursors();
