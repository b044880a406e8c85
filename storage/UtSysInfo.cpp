#include "storage/UtSysInfo.h"

#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "platform/gui/Forms.h"
#include "platform/rtl/SysUtils.h"

namespace {

TStSystemInfo MakeSystemInfo() {
    TStSystemInfo info;
    const unsigned cpus = std::thread::hardware_concurrency();
    info.ProcessorCount = cpus > 0 ? static_cast<int>(cpus) : 1;
    const long page = ::sysconf(_SC_PAGESIZE);
    if (page > 0) info.PageSize = info.AllocationGranularity = static_cast<int>(page);
    const TOSVersionInfo record = GetVersionRecord();
    info.IsWinNT = record.dwPlatformId == VER_PLATFORM_WIN32_NT;
    info.KernelVersionHi = 0;
    switch (ClassifyWindowsVersion(record, info.KernelVersionHi)) {
        case wvUnknown: break;
        case wvWin95: info.IsWin95 = true; break;
        case wvWin95OSR2: info.IsWin95OSR2 = true; break;
        case wvWin98: info.IsWin98 = true; break;
        case wvWin98SE: info.IsWin98SE = true; break;
        case wvWinME: info.IsWinME = true; break;
        case wvWinNT31: info.IsWinNT3 = info.IsWinNT31 = true; break;
        case wvWinNT35: info.IsWinNT3 = info.IsWinNT35 = true; break;
        case wvWinNT351: info.IsWinNT3 = info.IsWinNT351 = true; break;
        case wvWinNT4: info.IsWinNT4 = true; break;
        case wvWin2000: info.IsWin2K = true; break;
        case wvWinXP: info.IsWinXP = true; break;
        case wvWin2003: info.IsWin2003 = true; break;
    }
    return info;
}

const TStSystemInfo& startupInfo = StSystemInfo();

}  // namespace

void UnloadModule(HMODULE& Module) { Module = nullptr; }

TOSVersionInfo GetVersionRecord() { return TOSVersionInfo(); }

TWindowsVersion ClassifyWindowsVersion(const TOSVersionInfo& Info, uint32_t KernelProductVersionHigh) {
    const AnsiString service = Trim(Info.szCSDVersion);
    const uint32_t major = Info.dwMajorVersion, minor = Info.dwMinorVersion;
    constexpr uint32_t kMeKernel = 0x0004005A;
    if (Info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        if (minor < 10) return service == "B" || service == "C" ? wvWin95OSR2 : wvWin95;
        if (minor < 90) {
            if (KernelProductVersionHigh == kMeKernel) return wvWinME;
            return service == "A" ? wvWin98SE : wvWin98;
        }
        if (minor == 90) return wvWinME;
    } else if (Info.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (major == 3) {
            if (minor == 1) return wvWinNT31;
            if (minor == 5) return wvWinNT35;
            if (minor == 51) return wvWinNT351;
        } else if (major == 4) {
            return wvWinNT4;
        } else if (major == 5) {
            if (minor == 0) return wvWin2000;
            if (minor == 1) return wvWinXP;
            if (minor == 2) return wvWin2003;
        }
    }
    return wvUnknown;
}

TWindowsVersion GetWindowsVersion() { return ClassifyWindowsVersion(GetVersionRecord(), StSystemInfo().KernelVersionHi); }

const TStSystemInfo& StSystemInfo() {
    static const TStSystemInfo info = MakeSystemInfo();
    return info;
}

void RegisterDragCursors() {
    if (!Screen) return;
    // The slots share the handles: the screen never destroys a cursor it is given.
    Screen->SetCursors(100, Screen->Cursors(crMultiDrag));
    Screen->SetCursors(101, Screen->Cursors(crDrag));
    Screen->SetCursors(102, Screen->Cursors(crMultiDrag));
    Screen->SetCursors(103, Screen->Cursors(crMultiDrag));
}
