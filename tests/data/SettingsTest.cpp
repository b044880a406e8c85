// The settings reader that fills in missing keys, and the database groups.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/uIniFiles.h"
#include "platform/classes/ProgramFolder.h"
#include "tests/data/DataTestSupport.h"

using namespace datatest;

namespace {

std::vector<std::string> ListOf(TStrings* s) {
    std::vector<std::string> lines;
    for (int i = 0; i < s->Count(); ++i) lines.push_back(s->Strings(i));
    return lines;
}

const char* const kHeader = "The following identifiers do not exist or are empty in Tesk.ini";

}  // namespace

TEST(MyIniFileTest, MissingTextKeysAreWrittenBackAndListed) {
    TempFolder folder;
    const std::string name = folder.File("Tesk.ini");
    WriteFile(name, "[General]\r\nLanguage=English\r\nEmpty=\r\n");
    TMyIniFile ini(name);
    EXPECT_EQ(ini.GetMissingCount(), 0);
    EXPECT_EQ(ini.ReadString("General", "Language", "German"), "English");
    EXPECT_EQ(ini.GetMissingCount(), 0);

    EXPECT_EQ(ini.ReadString("General", "Sort", "Name ASC"), "Name ASC");
    EXPECT_EQ(ini.GetMissingCount(), 3);
    // Found the second time, as written back.
    EXPECT_EQ(ini.ReadString("General", "Sort", "other"), "Name ASC");
    EXPECT_EQ(ini.ReadString("General", "Empty", "x"), "x");
    EXPECT_EQ(ini.ReadString("New", "Key", ""), "");
    EXPECT_EQ(ini.ReadString("New", "Key", ""), "");  // still empty: listed again
    // Optional keys are written back without being listed.
    EXPECT_EQ(ini.ReadOptionalString("General", "Hint", "a hint"), "a hint");
    EXPECT_EQ(ListOf(ini.GetMissingList()),
              (std::vector<std::string>{kHeader, "", "[General] Sort", "[General] Empty", "[New] Key", "[New] Key"}));
    EXPECT_EQ(ini.GetMissingCount(), 6);
    EXPECT_EQ(ReadFile(name),
              "[General]\r\nLanguage=English\r\nEmpty=x\r\nSort=Name ASC\r\nHint=a hint\r\n[New]\r\nKey=\r\n");
}

TEST(MyIniFileTest, MissingNumbersAreWrittenBackEmptyAndListedOnEveryRun) {
    TempFolder folder;
    const std::string name = folder.File("Tesk.ini");
    WriteFile(name, "[General]\r\nPage=3\r\n");
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        TMyIniFile ini(name);
        EXPECT_EQ(ini.ReadInteger("General", "Page", 0), 3);
        EXPECT_EQ(ini.ReadInteger("General", "Width", 640), 640);
        EXPECT_TRUE(ini.ReadBool("General", "PlaySounds", true));
        EXPECT_EQ(ListOf(ini.GetMissingList()),
                  (std::vector<std::string>{kHeader, "", "[General] Width", "[General] PlaySounds"}));
        EXPECT_EQ(ReadFile(name), "[General]\r\nPage=3\r\nWidth=\r\nPlaySounds=\r\n");
    }
}

TEST(MyIniFileTest, DatesAndTimesAreReadThroughTheSameFillingRead) {
    TempFolder folder;
    const std::string name = folder.File("Tesk.ini");
    WriteFile(name, "[General]\r\nBadDate=tomorrow\r\n");
    TMyIniFile ini(name);
    const TDateTime day = EncodeDate(2024, 3, 8);
    const TDateTime time = (14 * 3600 + 5 * 60 + 9) / 86400.0;
    ini.WriteDate("General", "Day", day);
    ini.WriteDateTime("General", "Moment", day + time);
    ini.WriteTime("General", "Time", time);
    EXPECT_EQ(ini.ReadDate("General", "Day", 0), day);
    EXPECT_NEAR(ini.ReadDateTime("General", "Moment", 0), day + time, 1e-6);
    EXPECT_NEAR(ini.ReadTime("General", "Time", 0), time, 1e-6);
    EXPECT_EQ(ini.GetMissingCount(), 0);

    // A text that is no date gives the default; a missing one is written
    // back empty and listed, like a missing number.
    EXPECT_EQ(ini.ReadDateTime("General", "BadDate", day), day);
    EXPECT_EQ(ini.ReadDate("General", "Missing", day), day);
    EXPECT_EQ(ini.ReadTime("General", "MissingTime", time), time);
    EXPECT_EQ(ListOf(ini.GetMissingList()),
              (std::vector<std::string>{kHeader, "", "[General] Missing", "[General] MissingTime"}));
    EXPECT_NE(ReadFile(name).find("\r\nMissing=\r\nMissingTime=\r\n"), std::string::npos) << ReadFile(name);
}

// The read goes on with its default; the caller hears of the failure once,
// from WriteBackFailure, and no later read tries to write again.
TEST(MyIniFileTest, AWriteBackThatFailsReachesTheCaller) {
    TempFolder folder;
    // A folder where the file should be: nothing can be written there.
    const std::string name = folder.File("Tesk.ini");
    std::filesystem::create_directory(name);
    TMyIniFile ini(name);
    EXPECT_TRUE(ini.WriteBackFailure().empty());
    EXPECT_EQ(ini.ReadString("General", "Sort", "Name"), "Name");
    EXPECT_EQ(ini.WriteBackFailure(), "Unable to write to " + name + ". Is a directory");
    EXPECT_EQ(ini.ReadInteger("General", "Count", 7), 7);
    EXPECT_EQ(ini.ReadOptionalString("General", "Hint", "none"), "none");
    EXPECT_EQ(ini.WriteBackFailure(), "Unable to write to " + name + ". Is a directory");
    // Still listed as missing: the language load names them all.
    EXPECT_EQ(ini.GetMissingCount(), 4);
    EXPECT_TRUE(std::filesystem::is_directory(name));
}

TEST(LoadGroupsTest, GroupsAreNumberedFromOneUntilTheFirstGap) {
    TempFolder folder;
    SetProgramFolderForTests(folder.File(""));
    const std::string name = folder.File("Tesk.ini");
    const std::string text =
        "[DBGroup]\r\nGroupName1=Main\r\nMain_User=Anna\r\nMain_Path=/games/main.mdb\r\n"
        "groupname2=Side\r\nGroupName4=Lost\r\nLost_User=Bob\r\n";
    WriteFile(name, text);
    ScriptedDialogs dialogs;
    DataModulePtr dm = MakeDataModule();
    for (int call = 0; call < 2; ++call) {  // each call starts afresh
        dm->LoadGroups("DBGroup");
        std::vector<std::string> rows;
        for (dm->viewGroup->First(); !dm->viewGroup->Eof(); dm->viewGroup->Next())
            rows.push_back(dm->viewGroup->FieldByName("GroupName")->AsString() + "|" +
                           dm->viewGroup->FieldByName("GroupUser")->AsString() + "|" +
                           dm->viewGroup->FieldByName("GroupPath")->AsString());
        EXPECT_EQ(rows, (std::vector<std::string>{"Main|Anna|/games/main.mdb", "Side|Unknown|Unknown"}));
    }
    EXPECT_EQ(ReadFile(name), text);  // nothing written

    // Keys 1 and 3 without 2: one group.
    WriteFile(name, "[DBGroup]\r\nGroupName1=A\r\nGroupName3=C\r\n");
    dm->LoadGroups("DBGroup");
    EXPECT_EQ(dm->viewGroup->RecordCount(), 1);
    std::filesystem::remove(name);
    dm->LoadGroups("DBGroup");
    EXPECT_EQ(dm->viewGroup->RecordCount(), 0);
    dm.reset();
    SetProgramFolderForTests("");
}
