#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/classes/ProgramFolder.h"
#include "platform/rtl/Exceptions.h"
#include "tests/platform/classes/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// Sets an environment variable for one test and puts the old value back.
class EnvGuard {
public:
    EnvGuard(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~EnvGuard() {
        if (had_) setenv(name_, old_.c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(ProgramFolder, TestsCanRedirectIt) {
    TempFolder folder;
    SetProgramFolderForTests(folder.Path());
    EXPECT_EQ(ProgramFolder(), folder.Path() + "/");
    SetProgramFolderForTests("");
    // The test program's own folder is writable, so it is the program folder.
    EXPECT_EQ(ProgramFolder(), ExecutableFolder());
    EXPECT_EQ(ExecutableFolder(), fs::read_symlink("/proc/self/exe").parent_path().string() + "/");
}

TEST(ProgramFolder, ReadOnlyExecutableFolderFallsBackToTheFilledDataFolder) {
    TempFolder exe, home;
    TempFolder::Write(exe.File("Tesk.mdb"), "database");
    TempFolder::Write(exe.File("English.lng"), "language");
    TempFolder::Write(exe.File("tesk"), "program");
    fs::permissions(exe.File("tesk"), fs::perms::owner_exec, fs::perm_options::add);
    fs::create_directory(exe.File("subfolder"));

    EXPECT_EQ(ResolveProgramFolder(exe.Path(), true, home.File("data")), exe.Path() + "/");
    EXPECT_FALSE(fs::exists(home.File("data")));

    std::string data = home.File("share/Tesk");
    EXPECT_EQ(ResolveProgramFolder(exe.Path(), false, data), data + "/");
    EXPECT_EQ(FileNames(data), (std::vector<std::string>{"English.lng", "Tesk.mdb"}));
    EXPECT_EQ(TempFolder::Read(data + "/Tesk.mdb"), "database");

    // Later starts add what is missing and leave the user's files alone.
    TempFolder::Write(data + "/Tesk.mdb", "user data");
    fs::remove(data + "/English.lng");
    ResolveProgramFolder(exe.Path(), false, data);
    EXPECT_EQ(TempFolder::Read(data + "/Tesk.mdb"), "user data");
    EXPECT_EQ(TempFolder::Read(data + "/English.lng"), "language");
}

TEST(ProgramFolder, ADataFolderThatCannotBeCreatedIsReportedWithItsReason) {
    TempFolder exe, home;
    TempFolder::Write(home.File("share"), "a file where a folder should be");
    const std::string data = home.File("share/Tesk");
    try {
        ResolveProgramFolder(exe.Path(), false, data);
        FAIL() << "no error";
    } catch (const EOSError& e) {
        EXPECT_EQ(e.Message(), "Cannot create the program folder " + data + ". Not a directory (" + exe.Path() +
                                   " is not writable)");
    }
    EXPECT_TRUE(fs::is_regular_file(home.File("share")));
}

TEST(ProgramFolder, UserDataFolderFollowsXdg) {
    {
        EnvGuard xdg("XDG_DATA_HOME", "/srv/data");
        EXPECT_EQ(UserDataFolder(), "/srv/data/Tesk/");
    }
    {
        EnvGuard xdg("XDG_DATA_HOME", nullptr);
        EnvGuard home("HOME", "/home/anna");
        EXPECT_EQ(UserDataFolder(), "/home/anna/.local/share/Tesk/");
    }
    {
        EnvGuard xdg("XDG_DATA_HOME", "relative/ignored");
        EnvGuard home("HOME", "/home/anna");
        EXPECT_EQ(UserDataFolder(), "/home/anna/.local/share/Tesk/");
    }
}

TEST(WriteFileAtomically, ReplacesWholeFilesKeepingModeAndLinks) {
    TempFolder folder;
    std::string file = folder.File("settings.xml");
    WriteFileAtomically(file, AnsiString("new\0file", 8));
    EXPECT_EQ(TempFolder::Read(file), AnsiString("new\0file", 8));

    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
                    fs::perm_options::replace);
    WriteFileAtomically(file, "second");
    EXPECT_EQ(TempFolder::Read(file), "second");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::create_symlink(file, folder.File("link.xml"));
    WriteFileAtomically(folder.File("link.xml"), "through the link");
    EXPECT_TRUE(fs::is_symlink(folder.File("link.xml")));
    EXPECT_EQ(TempFolder::Read(file), "through the link");

    // No temporary file is left behind.
    EXPECT_EQ(FileNames(folder.Path()), (std::vector<std::string>{"link.xml", "settings.xml"}));
}

TEST(WriteFileAtomically, FailuresRaiseAndLeaveTheOldFile) {
    TempFolder folder;
    fs::create_directory(folder.File("dir"));
    const std::string names[] = {folder.File("missing/x.txt"), folder.File("dir")};
    for (const auto& name : names) {
        try {
            WriteFileAtomically(name, "x");
            ADD_FAILURE() << "wrote " << name;
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message().rfind("Cannot create file " + name + ". ", 0), 0u) << e.Message();
        }
    }
    EXPECT_TRUE(fs::is_directory(folder.File("dir")));
    EXPECT_EQ(FileNames(folder.Path()), (std::vector<std::string>{"dir"}));
}
