// The main window's import, export and reprocessing commands: the file
// dialogs, the progress window, the commands switched off while a pass runs,
// and the failures shown to the user.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/uCommandGuard.h"
#include "app/uDatabaseTransfer.h"
#include "app/uProgress.h"
#include "platform/classes/Registry.h"
#include "platform/gui/InputSimulation.h"
#include "tests/app/AppTestSupport.h"
#include "tests/data/DataTestSupport.h"

using namespace apptest;

namespace {

class TransferWindowTest : public ::testing::Test {
public:
    void SetUp() override {
        w = f.Open();
        ASSERT_TRUE(dmMain->OpenDatabase(db(), "Data Source=%s"));
        w->SetActiveLanguage("English");
        w->pcMain->SetActivePage(w->tsViewAlliance);
    }
    std::string db() const { return f.folder.File("Tesk.mdb"); }
    // What a pass sees of the window after each planet row it writes.
    void Watch(TDataSet*) {
        busy.push_back(CommandRunning() && !w->actFind->Enabled() && !w->actExportData->Enabled());
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (auto* p = dynamic_cast<TfrmProgress*>(Screen->Forms(i))) {
                captions.push_back(p->Caption() + " " + p->lblProgress->Caption());
                if (captions.size() == 2) SaveWindowImage(p->Handle(), "/tmp/tesk-progress.png");
            }
    }

    MainWindowFixture f;
    TfrmMain* w = nullptr;
    std::vector<bool> busy;
    std::vector<std::string> captions;
};

TEST_F(TransferWindowTest, ImportShowsProgressKeepsCommandsOffAndRefillsTheBoxes) {
    const std::string source = f.folder.File("Other.mdb");
    datatest::MakeGameDatabase(source);
    dmMain->qryPlanet->AfterPost = MakeEvent(static_cast<TransferWindowTest*>(this), &TransferWindowTest::Watch);
    f.dialogs->QueueFile(source);
    w->actImportData->Execute();
    ASSERT_EQ(f.dialogs->FileDialogs.size(), 1u);
    EXPECT_EQ(f.dialogs->FileDialogs[0].Filter, "Microsoft Access Databases (*.mdb)|*.mdb|All files (*.*)|*.*");
    EXPECT_TRUE(f.dialogs->Messages.empty());
    EXPECT_EQ(QuerySql(db(), "SELECT count(*) FROM tblPlanet"), "4");
    EXPECT_EQ(busy, std::vector<bool>(4, true));
    ASSERT_EQ(captions.size(), 4u);
    EXPECT_EQ(captions[1], "Busy importing... 1:2:3 moon");
    EXPECT_GE(w->cmbPlayer->Items()->IndexOf("Rigel"), 0);
    EXPECT_GE(w->cmbAlliance->Items()->IndexOf("Evil"), 0);
    // Afterwards the commands are back and the progress window is gone.
    EXPECT_FALSE(CommandRunning());
    EXPECT_TRUE(w->actFind->Enabled());
    for (int i = 0; i < Screen->FormCount(); ++i) EXPECT_EQ(dynamic_cast<TfrmProgress*>(Screen->Forms(i)), nullptr);

    // A file of another kind is refused with a message.
    const std::string foreign = f.folder.File("song.mdb");
    WriteFile(foreign, "la la la");
    f.dialogs->QueueFile(foreign);
    w->actImportData->Execute();
    ASSERT_EQ(f.dialogs->Messages.size(), 1u);
    EXPECT_EQ(f.dialogs->Messages[0].Type, mtError);
    EXPECT_EQ(f.dialogs->Messages[0].Text, "\"" + foreign + "\" is no database of this program");
    EXPECT_TRUE(w->actFind->Enabled());

    // A cancelled dialog does nothing.
    w->actImportData->Execute();
    EXPECT_EQ(f.dialogs->Messages.size(), 1u);
}

TEST_F(TransferWindowTest, ExportWarnsOnTheDatabaseItselfAndShowsAFailure) {
    ExecSql(db(), "INSERT INTO tblAlliance (Name) VALUES ('Evil');");
    const std::string copy = f.folder.File("Export.mdb");
    f.dialogs->QueueFile(copy);
    w->actExportData->Execute();
    EXPECT_EQ(QuerySql(copy, "SELECT Name FROM tblAlliance"), "Evil");
    EXPECT_TRUE(f.dialogs->Messages.empty());

    f.dialogs->QueueFile(dmMain->DatabasePath);
    const uint32_t counter = datatest::ChangeCounter(db());
    w->actExportData->Execute();
    ASSERT_EQ(f.dialogs->Messages.size(), 1u);
    EXPECT_EQ(f.dialogs->Messages[0].Text, "You can export to the source database dummy");
    EXPECT_EQ(f.dialogs->Messages[0].Type, mtWarning);
    EXPECT_EQ(datatest::ChangeCounter(db()), counter);

    const std::string nowhere = f.folder.File("gone/Export.mdb");
    f.dialogs->QueueFile(nowhere);
    w->actExportData->Execute();
    ASSERT_EQ(f.dialogs->Messages.size(), 2u);
    EXPECT_EQ(f.dialogs->Messages[1].Type, mtError);
    EXPECT_NE(f.dialogs->Messages[1].Text.find(nowhere), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(nowhere));
}

TEST_F(TransferWindowTest, ReprocessingRunsWithItsOwnCaption) {
    SetRegistryFolderForTests(f.folder.File(""));
    ExecSql(db(),
            "INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>');"
            "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (1, 'Vega', 1);"
            "INSERT INTO tblPlanet (ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlayerID, Metal, Crystal)"
            " VALUES (1, 1, 2, 3, 0, 1, 5, 6);");
    dmMain->qryPlanet->AfterPost = MakeEvent(static_cast<TransferWindowTest*>(this), &TransferWindowTest::Watch);
    w->actReprocessPlanets->Execute();
    EXPECT_EQ(QuerySql(db(), "SELECT TotalResources FROM tblPlanet"), "11");
    EXPECT_EQ(captions, std::vector<std::string>{"Reprocessing data 1:2:3"});
    EXPECT_EQ(busy, std::vector<bool>{true});
    EXPECT_TRUE(f.dialogs->Messages.empty());
    SetRegistryFolderForTests("");
}

// A database of an older version with research left in its planet table
// (all fifteen columns, the network's too): the planet view says why it stays
// empty, and reprocessing leaves a file it opens.
TEST_F(TransferWindowTest, ResearchLeftInThePlanetTableIsNamedAndReprocessingClearsIt) {
    SetRegistryFolderForTests(f.folder.File(""));
    std::string sql;
    for (const char* column : ResearchColumns) sql += std::string("ALTER TABLE tblPlanet ADD COLUMN ") + column + " INTEGER;";
    ExecSql(db(), sql +
                      "INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>');"
                      "INSERT INTO tblPlayer (ID, Name, AllianceID, WeaponTechnology) VALUES (1, 'Vega', 1, 3);"
                      "INSERT INTO tblPlanet (ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlayerID, Metal,"
                      " WeaponTechnology, IntergalacticResearchNetwork) VALUES (1, 1, 2, 3, 0, 1, 5, 7, 2);");
    w->pcMain->SetActivePage(w->tsViewSpyReports);
    f.dialogs->Messages.clear();
    f.dialogs->QueueAnswer(mrNo);
    w->actRefreshPlanetGrid->Execute();
    ASSERT_EQ(f.dialogs->Messages.size(), 1u);
    EXPECT_EQ(f.dialogs->Messages[0].Type, mtWarning);
    EXPECT_NE(f.dialogs->Messages[0].Text.find("research"), std::string::npos);
    EXPECT_FALSE(dmMain->viewPlanet->Active());

    f.dialogs->QueueAnswer(mrYes);
    w->actRefreshPlanetGrid->Execute();
    EXPECT_EQ(f.dialogs->Messages.size(), 2u);
    ASSERT_TRUE(dmMain->viewPlanet->Active());
    EXPECT_EQ(dmMain->viewPlanet->RecordCount(), 1);
    EXPECT_EQ(QuerySql(db(), "SELECT WeaponTechnology || '/' || IntergalacticResearchNetwork FROM tblPlayer"), "7/2");
    for (const char* column : ResearchColumns)
        EXPECT_EQ(datatest::TableColumns(db(), "tblPlanet").count(UpperCase(column)), 0u) << column;
    SetRegistryFolderForTests("");
}

}  // namespace
