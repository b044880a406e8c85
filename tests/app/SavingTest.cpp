// What the main window saves when it closes, and what the user hears when a
// settings file cannot be written: a full disk at exit, a close while a long
// command runs, keys that cannot be written back at start, stored values the
// views cannot take.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <memory>

#include "app/uCommandGuard.h"
#include "app/uProgress.h"
#include "platform/classes/ProgramFolder.h"
#include "tests/app/AppTestSupport.h"
#include "tests/data/DataTestSupport.h"
#include "tests/platform/classes/SmallDisk.h"

using namespace apptest;

namespace {

const char* const kSavedFiles[] = {"Tesk.ini", "Planet.grd", "Tesk.log", "TeskSettings.xml"};

// The program folder on a disk that can be made full: a small tmpfs where the
// tests may mount one, else the fixture's folder under a file-size limit of
// zero, which fails every write as a full disk does.
class FillableFolder {
public:
    explicit FillableFolder(MainWindowFixture& f) : f_(f), disk_(4 << 20) {
        if (!disk_.Available()) return;
        for (const char* name : {"English.lng", "Tesk.mdb"})
            std::filesystem::copy_file(f.folder.File(name), disk_.File(name));
        SetProgramFolderForTests(disk_.File(""));
    }
    ~FillableFolder() {
        limit_.reset();
        f_.Free();
    }
    std::string File(const std::string& name) const {
        return disk_.Available() ? disk_.File(name) : f_.folder.File(name);
    }
    void Fill() {
        if (disk_.Available())
            disk_.Fill();
        else
            limit_ = std::make_unique<FileSizeLimit>(0);
    }
    void Empty() {
        limit_.reset();
        std::filesystem::remove(File("filler"));
    }
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const char* name : kSavedFiles) files[name] = ReadFile(File(name));
        return files;
    }

private:
    MainWindowFixture& f_;
    SmallDisk disk_;
    std::unique_ptr<FileSizeLimit> limit_;
};

std::string IniValue(const std::string& ini, const std::string& key) {
    size_t at = ini.find("\n" + key + "=");
    if (at == std::string::npos) return "<missing>";
    at += key.size() + 2;
    return ini.substr(at, ini.find_first_of("\r\n", at) - at);
}

class SavingTest : public ::testing::Test {
protected:
    void SetUp() override { WriteFile(f.folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n"); }
    MainWindowFixture f;
};

}  // namespace

// Exit on a full disk: the user is told which files could not be written, the
// program ends, and every file keeps the bytes it had.
TEST_F(SavingTest, ExitOnAFullDiskNamesWhatWasNotSavedEndsAndKeepsTheOldFiles) {
    FillableFolder folder(f);
    WriteFile(folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
    TfrmMain* w = f.Start();
    Application->SetMainForm(w);  // closing it ends the program
    ASSERT_TRUE(w->Shown);
    w->AddToLog("first run");
    w->Close();
    ASSERT_TRUE(TakeTermination());
    const std::map<std::string, std::string> before = folder.Files();
    for (const auto& [name, bytes] : before) ASSERT_FALSE(bytes.empty()) << name;

    w = f.Start();
    Application->SetMainForm(w);
    ASSERT_TRUE(w->Shown);
    w->edtMetal->SetText("777");
    w->AddToLog("second run");
    folder.Fill();
    f.dialogs->Messages.clear();
    w->actExit->Execute();
    EXPECT_TRUE(TakeTermination()) << "the window stayed open";
    ASSERT_EQ(f.dialogs->Messages.size(), 1u);
    EXPECT_EQ(f.dialogs->Messages[0].Type, mtError);
    const std::string& text = f.dialogs->Messages[0].Text;
    for (const char* name : kSavedFiles) EXPECT_NE(text.find(name), std::string::npos) << name << " in " << text;
    EXPECT_EQ(folder.Files(), before);

    // Freeing the window tries nothing the user has not been told of.
    f.Free();
    EXPECT_EQ(f.dialogs->Messages.size(), 1u);
    EXPECT_EQ(folder.Files(), before);
    folder.Empty();
}

// Closing the window while an import runs: the pass goes on to its end (or
// until its progress window is closed), and then the settings, the layouts
// and the log are saved with what the import added.
TEST_F(SavingTest, ClosingDuringAnImportSavesWhenTheImportEnds) {
    const std::string source = f.folder.File("Other.mdb");
    datatest::MakeGameDatabase(source);
    TfrmMain* w = f.Start();
    Application->SetMainForm(w);
    ASSERT_TRUE(w->Shown);
    w->edtMetal->SetText("777");
    int rows = 0;
    bool savedTooEarly = false;
    struct Watch {
        std::function<void()> Run;
        void AfterPost(TDataSet*) { Run(); }
    } watch{[&] {
        if (++rows != 1) return;
        w->Close();
        savedTooEarly = IniValue(ReadFile(f.folder.File("Tesk.ini")), "Metal") == "777";
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (auto* p = dynamic_cast<TfrmProgress*>(Screen->Forms(i))) p->Close();
    }};
    dmMain->qryPlanet->AfterPost = MakeEvent(&watch, &Watch::AfterPost);
    f.dialogs->QueueFile(source);
    w->actImportData->Execute();
    dmMain->qryPlanet->AfterPost = nullptr;
    EXPECT_EQ(rows, 1);  // the closed progress window stopped the pass
    EXPECT_FALSE(savedTooEarly);
    EXPECT_TRUE(TakeTermination());
    const std::string ini = ReadFile(f.folder.File("Tesk.ini"));
    EXPECT_EQ(IniValue(ini, "Metal"), "777") << ini;
    EXPECT_TRUE(std::filesystem::exists(f.folder.File("Planet.grd")));
    EXPECT_TRUE(std::filesystem::exists(f.folder.File("Tesk.log")));
    EXPECT_TRUE(f.dialogs->Messages.empty()) << f.dialogs->Messages[0].Text;
}

// A stored order a view cannot take is logged once with its value, the view
// takes its default order, and the close saves as always.
TEST_F(SavingTest, AStoredOrderTheViewCannotTakeFallsBackToItsDefault) {
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        int page;  // the page whose view takes it
        const char* fallback;
    } const cases[] = {
        {"ViewPlanets", "Sort", "Bogus ASC", 0, "GalaxyID ASC, SolarSystemID ASC, PlanetID ASC"},
        {"ViewPlanets", "Sort", "GalaxyID ASC,,", 0, "GalaxyID ASC, SolarSystemID ASC, PlanetID ASC"},
        {"ViewCombats", "CombatSort", "Nothing DESC", 3, "DateTime DESC"},
        {"ViewAlliances", "AllianceSort", "Missing", 5, "AverageScore DESC"},
        {"ViewPlayers", "PlayerSort", "Nobody ASC", 7, "Name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        WriteFile(f.folder.File("Tesk.ini"), std::string("[General]\r\nActiveLanguage=English\r\nActivePageIndex=") +
                                                 std::to_string(c.page) + "\r\n[" + c.section + "]\r\n" + c.key +
                                                 "=" + c.value + "\r\n");
        std::filesystem::remove(f.folder.File("Tesk.log"));
        f.dialogs->Messages.clear();
        TfrmMain* w = f.Start();
        EXPECT_TRUE(w->Shown);
        EXPECT_FALSE(w->ErrorRecorded);
        EXPECT_TRUE(f.dialogs->Messages.empty()) << f.dialogs->Messages[0].Text;
        const AnsiString log = w->memLog->Lines()->Text();
        EXPECT_NE(log.find(std::string("[") + c.section + "] " + c.key + "=" + c.value), std::string::npos) << log;
        EXPECT_EQ(w->memLog->Lines()->Count(), 1) << log;
        TDataSet* views[] = {dmMain->viewPlanet, dmMain->viewCombat, dmMain->tblAlliance, dmMain->tblPlayer};
        TDataSet* shown = views[c.page == 0 ? 0 : c.page == 3 ? 1 : c.page == 5 ? 2 : 3];
        EXPECT_TRUE(shown->Active());
        EXPECT_EQ(shown->Sort(), c.fallback);
        w->Close();
        EXPECT_EQ(IniValue(ReadFile(f.folder.File("Tesk.ini")), c.key), c.fallback);
        EXPECT_EQ(IniValue(ReadFile(f.folder.File("Tesk.ini")), "Metal"), "100000");
    }
}

// Keys missing from "Tesk.ini" on a full disk: one message, the start goes on
// with the defaults and opens the database, and the file keeps its bytes.
TEST_F(SavingTest, AStartThatCannotWriteBackItsKeysSaysSoOnceAndOpensTheDatabase) {
    FillableFolder folder(f);
    WriteFile(folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
    TfrmMain* w = f.Start();  // a first start marks the database as indexed
    ASSERT_TRUE(w->Shown);
    f.Free();
    const std::string ini = "[General]\r\nActiveLanguage=English\r\n[ViewPlanets]\r\nMetal=555\r\n";
    WriteFile(folder.File("Tesk.ini"), ini);
    folder.Fill();
    f.dialogs->Messages.clear();
    w = f.Start();
    EXPECT_TRUE(w->Shown);
    ASSERT_EQ(f.dialogs->Messages.size(), 1u);
    const std::string text = f.dialogs->Messages[0].Text;
    EXPECT_EQ(text.rfind("Unable to write to " + folder.File("Tesk.ini") + ". ", 0), 0u) << text;
    EXPECT_NE(text.find("take their default values"), std::string::npos) << text;
    EXPECT_TRUE(dmMain->viewPlanet->Active());
    EXPECT_EQ(w->edtMetal->Text(), "555");
    EXPECT_EQ(w->edtCrystal->Text(), "60000");
    EXPECT_NE(w->memLog->Lines()->Text().find(" - Error: " + text), std::string::npos);
    EXPECT_EQ(ReadFile(folder.File("Tesk.ini")), ini);
    f.Free();
    folder.Empty();
}

// A start that finds every key only reads "Tesk.ini": a file that cannot be
// written (a full disk here, as for a read-only one) gives no message, and no
// start rewrites it, so its inode and times stay as they were.
TEST_F(SavingTest, AStartThatFindsEveryKeyWritesNothing) {
    const struct Case {
        const char* name;
        bool full;
    } cases[] = {{"writable", false}, {"full disk", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FillableFolder folder(f);
        WriteFile(folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
        TfrmMain* w = f.Start();
        ASSERT_TRUE(w->Shown);
        w->Close();  // the close fills in every saved key
        f.Free();
        const std::string ini = ReadFile(folder.File("Tesk.ini"));
        struct stat before {};
        ASSERT_EQ(stat(folder.File("Tesk.ini").c_str(), &before), 0);
        if (c.full) folder.Fill();
        f.dialogs->Messages.clear();
        w = f.Start();
        EXPECT_TRUE(w->Shown);
        EXPECT_TRUE(f.dialogs->Messages.empty()) << f.dialogs->Messages[0].Text;
        EXPECT_EQ(w->memLog->Lines()->Text().find("Tesk.ini"), std::string::npos) << w->memLog->Lines()->Text();
        struct stat after {};
        ASSERT_EQ(stat(folder.File("Tesk.ini").c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
        EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
        EXPECT_EQ(ReadFile(folder.File("Tesk.ini")), ini);
        f.Free();
        folder.Empty();
    }
}

// A compaction that fails at Exit (a full disk, or a file gone from under the
// program) is told once: in the one box of the close and in the log file,
// and the database keeps the bytes it had.
TEST_F(SavingTest, ACompactionThatFailsIsReportedOnceAndTheDatabaseKept) {
    const struct Case {
        const char* name;
        bool full;  // else the file goes away
    } cases[] = {{"full disk", true}, {"file gone", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FillableFolder folder(f);
        WriteFile(folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n");
        const std::string db = folder.File("Tesk.mdb");
        TfrmMain* w = f.Start();
        ASSERT_TRUE(w->Shown);
        ASSERT_EQ(dmMain->DatabasePath, db);
        w->AddToLog("before the close");
        const std::string bytes = ReadFile(db);
        if (c.full)
            folder.Fill();
        else
            std::filesystem::remove(db);
        f.dialogs->Messages.clear();
        w->Close();
        ASSERT_EQ(f.dialogs->Messages.size(), 1u);
        const std::string text = f.dialogs->Messages[0].Text;
        const std::string problem = "Unable to compact the database \"" + db + "\"";
        const size_t at = text.find(problem);
        EXPECT_NE(at, std::string::npos) << text;
        EXPECT_EQ(text.find(problem, at + 1), std::string::npos) << text;
        f.Free();
        EXPECT_EQ(f.dialogs->Messages.size(), 1u);
        if (c.full) {
            folder.Empty();
            EXPECT_TRUE(ReadFile(db) == bytes);
        } else {
            EXPECT_FALSE(std::filesystem::exists(db));
            const std::string log = ReadFile(folder.File("Tesk.log"));
            const size_t line = log.find(" - Error: " + problem);
            EXPECT_NE(line, std::string::npos) << log;
            EXPECT_EQ(log.find(problem, line + 10 + problem.size()), std::string::npos) << log;
        }
    }
}

// The group switch writes the log pane first; when it cannot, the user is
// told, the open database stays and the pane keeps its lines.
TEST_F(SavingTest, AGroupSwitchThatCannotWriteTheLogKeepsTheOpenDatabase) {
    FillableFolder folder(f);
    MakeEmptyDatabase(folder.File("side.mdb"));
    WriteFile(folder.File("Tesk.ini"), "[General]\r\nActiveLanguage=English\r\n[DBGroup]\r\nGroupName1=Side\r\n"
                                       "Side_User=Bob\r\nSide_Path=" + folder.File("side.mdb") + "\r\n");
    TfrmMain* w = f.Start();
    ASSERT_TRUE(w->Shown);
    w->AddToLog("main line");
    const AnsiString path = dmMain->DatabasePath;
    dmMain->LoadGroups("DBGroup");
    ASSERT_TRUE(dmMain->viewGroup->Locate("GroupName", AnsiString("Side"), TLocateOptions()));
    folder.Fill();
    f.dialogs->Messages.clear();
    w->SwitchToSelectedGroup();
    ASSERT_EQ(f.dialogs->Messages.size(), 1u);
    EXPECT_NE(f.dialogs->Messages[0].Text.find("Tesk.log"), std::string::npos) << f.dialogs->Messages[0].Text;
    EXPECT_EQ(dmMain->DatabasePath, path);
    EXPECT_EQ(ActiveGroup, "");
    EXPECT_NE(w->memLog->Lines()->Text().find("main line"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder.File("Tesk.log")));
    f.Free();
    folder.Empty();
}

// Other damaged values never stop the start either: the window is shown, the
// database is open and the close saves.
TEST_F(SavingTest, DamagedValuesNeverStopTheStart) {
    const char* const lines[] = {
        "[ViewPlanets]\r\nMetal=lots",          "[ViewPlanets]\r\nVeryOldReport=old",
        "[ViewPlanets]\r\nSelectedPlanetID=x",  "[ViewPlanets]\r\nPrimaryOrderBy=Nowhere",
        "[ViewPlanets]\r\nSecondaryOrderBy=,",  "[ViewPlanets]\r\nPrimarySortOrder=SIDEWAYS",
        "[General]\r\nActivePageIndex=99",      "[General]\r\nActivePageIndex=-5",
        "[General]\r\nAccessDateFormat=%s%d",   "[General]\r\nShowHints=maybe",
        "[Power]\r\nLightFighter=-",            "[Filter]\r\nBroken=Metal >>> (",
        "[CombatFilter]\r\n=no name",           "[DataBase]\r\nConnectionString=%s%s%n",
        "[DataBase]\r\nConnectionString=Provider=X;Data Source=;",
    };
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        WriteFile(f.folder.File("Tesk.ini"), std::string("[General]\r\nActiveLanguage=English\r\n") + line + "\r\n");
        f.dialogs->Messages.clear();
        TfrmMain* w = f.Start();
        EXPECT_TRUE(w->Shown);
        EXPECT_FALSE(w->ErrorRecorded);
        EXPECT_TRUE(f.dialogs->Messages.empty()) << f.dialogs->Messages[0].Text;
        EXPECT_TRUE(dmMain->viewPlanet->Active());
        w->edtCrystal->SetText("4321");
        w->Close();
        EXPECT_EQ(IniValue(ReadFile(f.folder.File("Tesk.ini")), "Crystal"), "4321");
    }
}
