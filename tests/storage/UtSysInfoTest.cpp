// System folders, system information and the Windows version classification.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "platform/classes/ProgramFolder.h"
#include "platform/gui/Forms.h"
#include "storage/UtSysInfo.h"

namespace {

// Sets an environment variable for the scope and restores it afterwards.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~EnvVar() {
        if (old_) setenv(name_, old_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(UtSysInfo, Folders) {
    EnvVar home("HOME", "/home/someone");
    {
        EnvVar config("XDG_CONFIG_HOME", "/cfg/here/");
        EnvVar data("XDG_DATA_HOME", "/data");
        EXPECT_EQ(GetAppdataFolder(), "/cfg/here");
        EXPECT_EQ(GetSpecialFolderLocation(CSIDL_LOCAL_APPDATA), "/data");
    }
    {
        EnvVar config("XDG_CONFIG_HOME", "relative");  // not absolute: ignored
        EnvVar data("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(GetAppdataFolder(), "/home/someone/.config");
        EXPECT_EQ(GetSpecialFolderLocation(CSIDL_LOCAL_APPDATA), "/home/someone/.local/share");
    }
    EXPECT_EQ(GetSpecialFolderLocation(0x0005), "");

    const AnsiString temp = GetWindowsTempFolder();
    EXPECT_FALSE(temp.empty());
    EXPECT_NE(temp.back(), '/');

    SetProgramFolderForTests("/opt/tesk/");
    EXPECT_EQ(GetWindowsFolder(), "/opt/tesk");
    SetProgramFolderForTests("");

    HMODULE module = reinterpret_cast<HMODULE>(0x1234);
    UnloadModule(module);
    EXPECT_EQ(module, nullptr);
}

TEST(UtSysInfo, WindowsVersions) {
    struct Case {
        uint32_t platform, major, minor;
        const char* service;
        uint32_t kernel;
        TWindowsVersion version;
    };
    const Case cases[] = {
        {1, 4, 0, "", 0, wvWin95},
        {1, 4, 0, " B ", 0, wvWin95OSR2},
        {1, 4, 3, "C", 0, wvWin95OSR2},
        {1, 4, 10, "", 0, wvWin98},
        {1, 4, 10, "A", 0, wvWin98SE},
        {1, 4, 10, "A", 0x0004005A, wvWinME},
        {1, 4, 90, "", 0, wvWinME},
        {1, 4, 91, "", 0, wvUnknown},
        {2, 3, 1, "", 0, wvWinNT31},
        {2, 3, 5, "", 0, wvWinNT35},
        {2, 3, 51, "", 0, wvWinNT351},
        {2, 3, 2, "", 0, wvUnknown},
        {2, 4, 0, "Service Pack 6", 0, wvWinNT4},
        {2, 5, 0, "", 0, wvWin2000},
        {2, 5, 1, "", 0, wvWinXP},
        {2, 5, 2, "", 0, wvWin2003},
        {2, 6, 0, "", 0, wvUnknown},
        {0, 4, 0, "", 0, wvUnknown},
    };
    for (const Case& c : cases) {
        TOSVersionInfo info;
        info.dwPlatformId = c.platform;
        info.dwMajorVersion = c.major;
        info.dwMinorVersion = c.minor;
        info.szCSDVersion = c.service;
        EXPECT_EQ(ClassifyWindowsVersion(info, c.kernel), c.version) << c.platform << " " << c.major << "." << c.minor;
    }

    // No Windows runs underneath: the fixed answers.
    EXPECT_EQ(GetWindowsVersion(), wvUnknown);
    const TStSystemInfo& info = StSystemInfo();
    EXPECT_GE(info.ProcessorCount, 1);
    EXPECT_GT(info.PageSize, 0);
    EXPECT_EQ(info.AllocationGranularity, info.PageSize);
    EXPECT_FALSE(info.IsWinNT);
    EXPECT_EQ(info.KernelVersionHi, 0u);
}

TEST(UtSysInfo, DragCursors) {
    ASSERT_NE(Screen, nullptr);
    RegisterDragCursors();
    EXPECT_EQ(Screen->Cursors(100), Screen->Cursors(crMultiDrag));
    EXPECT_EQ(Screen->Cursors(101), Screen->Cursors(crDrag));
    EXPECT_EQ(Screen->Cursors(103), Screen->Cursors(crMultiDrag));
}

}  // namespace
