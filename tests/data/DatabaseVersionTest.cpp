// Opening a database file: the version check, the upgrade chain and its failures.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "platform/rtl/Version.h"
#include "tests/data/DataTestSupport.h"

using namespace datatest;

namespace {

const char* const kWarningTail = "\r\rPlease be warned the database might not be compatible with this version of Tesk";

struct CaptionCounter {
    int calls = 0;
    void Update(TObject*) { ++calls; }
};

struct UpgradeCase {
    const char* schema;  // the columns the file has
    const char* stored;  // the version text it carries
    bool accepted;
    bool ratingsReset;
};

}  // namespace

TEST(DatabaseVersion, EachStoredVersionEndsCurrentOrIsRefusedUntouched) {
    const UpgradeCase cases[] = {
        {"0.9.0.133", "0.9.0.133", true, true},
        {"1.0.0.0", "1.0.0.0", true, true},
        {"1.0.0.1", "1.0.0.1", true, true},
        {"1.0.0.2", "1.0.0.2", true, true},
        {"1.0.0.3", "1.0.0.3", true, true},
        {"1.1.0.0", "1.1.0.0", true, false},
        {"1.1.1.0", "1.1.1.0", true, false},
        {"1.1.1.0", "1.1.2.1", true, false},
        // Only the exact texts of the table are accepted.
        {"1.1.1.0", "1.1.2.4", false, false},
        {"1.1.1.0", "1.1.1.0 ", false, false},
        {"1.1.1.0", "1.1.1", false, false},
        {"0.9.0.133", "", false, false},
    };
    TempFolder folder;
    const std::string current = folder.File("current.mdb");
    ExecSql(current, SchemaSql());

    for (const UpgradeCase& c : cases) {
        SCOPED_TRACE(std::string("schema ") + c.schema + ", stored '" + c.stored + "'");
        const std::string file = folder.File(std::string("v") + c.schema + "-" + std::to_string(&c - cases) + ".mdb");
        MakeDatabase(file, c.schema, c.stored);
        const auto columnsBefore = TableColumns(file, "tblPlanet");
        const uint32_t counterBefore = ChangeCounter(file);
        const bool current_ = std::string(c.stored) == "1.1.1.0" || std::string(c.stored) == "1.1.2.1";

        ScriptedDialogs dialogs;
        CaptionCounter caption;
        auto dm = MakeDataModule();
        dm->OnUpdateCaption = MakeEvent(&caption, &CaptionCounter::Update);
        EXPECT_EQ(dm->OpenDatabase(file, kDefaultFormat), c.accepted);
        EXPECT_EQ(caption.calls, 1);
        EXPECT_TRUE(dm->adoConnection->Connected());
        EXPECT_EQ(dm->ProgramVersion, TESK_VERSION);

        const std::string stored = QuerySql(file, "SELECT RegValue FROM tblRegistry WHERE RegKey='ZentaraVersion'");
        const std::string rating = QuerySql(file, "SELECT group_concat(Rating) FROM tblPlanet");
        if (c.accepted) {
            EXPECT_TRUE(dialogs->Messages.empty());
            EXPECT_EQ(stored, current_ ? c.stored : "1.1.1.0");
            for (const char* table : {"tblPlanet", "tblPlayer", "tblAlliance", "tblCombat"})
                EXPECT_EQ(TableColumns(file, table), TableColumns(current, table)) << table;
        } else {
            ASSERT_EQ(dialogs->Messages.size(), 1u);
            EXPECT_EQ(dialogs->Messages[0].Type, mtWarning);
            EXPECT_EQ(dialogs->Messages[0].Buttons, MsgDlgButtons({mbOK}));
            EXPECT_EQ(dialogs->Messages[0].Text,
                      std::string("Database version ") + c.stored + " isn't supported" + kWarningTail);
            EXPECT_EQ(stored, c.stored);
            EXPECT_EQ(TableColumns(file, "tblPlanet"), columnsBefore);
        }
        EXPECT_EQ(rating, c.ratingsReset ? "0,0" : "3,3");
        // A current or refused file sees no statement at all.
        if (current_ || !c.accepted) {
            EXPECT_EQ(ChangeCounter(file), counterBefore);
        }
    }
}

// Every row of every table as SQLite quotes its values, in rowid order: equal
// dumps hold the same values byte for byte.
std::string Dump(const std::string& file) {
    std::string dump;
    for (const char* table : {"tblAlliance", "tblPlayer", "tblPlanet", "tblCombat", "tblRegistry", "sqlite_sequence"}) {
        const std::string columns = QuerySql(
            file, std::string("SELECT group_concat('quote(\"'||name||'\")', '||'',''||') FROM pragma_table_info('") +
                      table + "')");
        dump += std::string(table) + ": " +
                QuerySql(file, "SELECT group_concat(r, char(10)) FROM (SELECT " + columns + " AS r FROM " + table +
                                   " ORDER BY rowid)") +
                "\n";
    }
    return dump;
}

std::string DeclaredTypes(const std::string& file, const char* table) {
    return QuerySql(file, std::string("SELECT group_concat(name||' '||type, ', ') FROM pragma_table_info('") + table +
                              "')");
}

// A file written by the build whose count columns were 32-bit integers opens
// with its counts 64-bit and every value it held, values past 32 bits put
// there by hand included; a second open finds nothing left to do.
TEST(DatabaseVersion, AFileWith32BitCountColumnsIsWidenedAndKeepsEveryValue) {
    TempFolder folder;
    const std::string current = folder.File("current.mdb");
    ExecSql(current, SchemaSql());
    const std::string file = folder.File("Tesk.mdb");
    ExecSql(file, ReadFile(TESK_SOURCE_DIR "/tests/fixtures/schema-32-bit-counts.sql") + MarkIndexedSql() +
                      "INSERT INTO tblAlliance (ID, Name, AverageScore) VALUES (1, '<none>', NULL), (2, 'Evil', 7);"
                      "INSERT INTO tblPlayer (ID, Name, AllianceID, WeaponTechnology) VALUES (1, 'Vega', 2, 12), "
                      "(2, '\xD0\x92\xD0\xB5\xD0\xB3\xD0\xB0', 1, NULL);"
                      "INSERT INTO tblPlanet (ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID, "
                      "LastScanned, Report, Metal, Crystal, Energy, LightFighter, TotalResources, AssaultPower, "
                      "MetalDebris, Rating) VALUES "
                      "(1, 1, 2, 3, 0, 'Home', 1, '2024-07-23 14:05:09', 'Intel on Home\r\n x', 3000000000, "
                      "-5, -150, 9223372036854775807, 3000000000, 450000000000, 12, 2), "
                      "(2, 1, 2, 3, 1, 'Moon', 2, NULL, NULL, NULL, 0, NULL, NULL, NULL, NULL, NULL, 0), "
                      "(3, 4, 4, 4, 0, 'Gone', 2, NULL, NULL, 1, 1, 1, 1, 2, 3, 4, 0);"
                      "DELETE FROM tblPlanet WHERE ID = 3;"
                      "INSERT INTO tblCombat (ID, DefenderPlanetID, AttackerPlanetID, DateTime, AttackerLostRes, "
                      "MetalRaided, Report, MetalDebris, BattleResult) VALUES (1, 1, 2, '2024-07-24 10:00:00', "
                      "5000000000, 2147483648, 'battle', -9223372036854775807, 'Won');");
    const std::string before = Dump(file);
    ASSERT_NE(DeclaredTypes(file, "tblPlanet"), DeclaredTypes(current, "tblPlanet"));

    {
        ScriptedDialogs dialogs;
        auto dm = MakeDataModule();
        ASSERT_TRUE(dm->OpenDatabase(file, kDefaultFormat));
        EXPECT_TRUE(dialogs->Messages.empty());
        for (const char* table : {"tblPlanet", "tblPlayer", "tblAlliance", "tblCombat", "tblRegistry"})
            EXPECT_EQ(DeclaredTypes(file, table), DeclaredTypes(current, table)) << table;
        EXPECT_EQ(Dump(file), before);
        EXPECT_EQ(QuerySql(file, "PRAGMA integrity_check"), "ok");

        // The counts read and write past 32 bits through the finders and the scratch query.
        ASSERT_TRUE(dm->FindPlanet("1", "2", "3", "0"));
        EXPECT_EQ(dm->qryPlanet->FieldByName("Metal")->AsLargeInt(), 3000000000);
        SetQueryStatement(dm->qryTmp, {"select * from tblCombat"});
        dm->qryTmp->Open();
        EXPECT_EQ(dm->qryTmp->FieldByName("MetalDebris")->AsLargeInt(), -INT64_MAX);
        dm->qryTmp->Edit();
        dm->qryTmp->FieldByName("DefenderLostRes")->SetAsLargeInt(6000000000);
        dm->qryTmp->Post();
        dm->qryTmp->Close();
    }
    EXPECT_EQ(QuerySql(file, "SELECT DefenderLostRes FROM tblCombat"), "6000000000");
    ExecSql(file, "UPDATE tblCombat SET DefenderLostRes = NULL");
    EXPECT_EQ(Dump(file), before);

    const uint32_t counter = ChangeCounter(file);
    ScriptedDialogs dialogs;
    auto dm = MakeDataModule();
    EXPECT_TRUE(dm->OpenDatabase(file, kDefaultFormat));
    EXPECT_EQ(ChangeCounter(file), counter);
}

TEST(DatabaseVersion, FileWithoutVersionRowOrNoDatabaseAtAllIsRefused) {
    TempFolder folder;
    const std::string noRow = folder.File("norow.mdb");
    ExecSql(noRow, SchemaSql() + "DELETE FROM tblRegistry;");
    const std::string garbage = folder.File("garbage.mdb");
    {
        std::FILE* f = std::fopen(garbage.c_str(), "wb");
        ASSERT_TRUE(f);
        std::fputs("Standard Jet DB, not what this program reads\n", f);
        std::fclose(f);
    }
    ScriptedDialogs dialogs;
    auto dm = MakeDataModule();
    EXPECT_FALSE(dm->OpenDatabase(noRow, kDefaultFormat));
    EXPECT_TRUE(dm->adoConnection->Connected());
    ASSERT_EQ(dialogs->Messages.size(), 1u);
    EXPECT_EQ(dialogs->Messages[0].Type, mtWarning);
    EXPECT_EQ(dialogs->Messages[0].Text,
              std::string("Your database doesn't contain the correct regvalue in tblPlanet") + kWarningTail);

    // No database at all: the box names the file and says what it is not.
    EXPECT_FALSE(dm->OpenDatabase(garbage, kDefaultFormat));
    ASSERT_EQ(dialogs->Messages.size(), 2u);
    EXPECT_EQ(dialogs->Messages[1].Type, mtError);
    EXPECT_EQ(dialogs->Messages[1].Text, "\"" + garbage + "\" is not a Tesk database (file is not a database)");
}

// A file the connection cannot open is shown to the user before the open
// fails; nothing about it goes unsaid.
TEST(DatabaseVersion, AFileThatCannotBeOpenedIsShownAndTheOpenFails) {
    datatest::TempFolder folder;
    const std::string file = folder.File("locked.mdb");
    ExecSql(file, SchemaSql());
    ASSERT_EQ(::chmod(file.c_str(), 0), 0);
    ASSERT_EQ(::chmod(std::filesystem::path(file).parent_path().c_str(), 0755), 0);
    ScriptedDialogs dialogs;
    auto dm = MakeDataModule();
    {
        // Root reads any file: the open runs as nobody, where the test runs as root.
        struct OtherUser {
            const bool root = ::geteuid() == 0;
            OtherUser() {
                if (root && (::setegid(65534) != 0 || ::seteuid(65534) != 0)) std::abort();
            }
            ~OtherUser() {
                if (root && (::seteuid(0) != 0 || ::setegid(0) != 0)) std::abort();
            }
        } other;
        if (std::FILE* f = std::fopen(file.c_str(), "rb")) {
            std::fclose(f);
            GTEST_SKIP() << "the file cannot be made unreadable here";
        }
        EXPECT_THROW(dm->OpenDatabase(file, kDefaultFormat), EDatabaseError);
    }
    ASSERT_EQ(dialogs->Messages.size(), 1u);
    EXPECT_EQ(dialogs->Messages[0].Type, mtError);
    EXPECT_NE(dialogs->Messages[0].Text.find(file), std::string::npos) << dialogs->Messages[0].Text;
    EXPECT_FALSE(dm->adoConnection->Connected());
}

// A step that fails for any reason but an existing column is rolled back as a
// whole and the check answers False; the steps before it stay, and the version
// they left lets the next start go on from there.
TEST(DatabaseVersion, FailingStepRollsBackAndTheNextOpenResumes) {
    TempFolder folder;
    const std::string file = folder.File("old.mdb");
    MakeDatabase(file, "1.0.0.1", "1.0.0.1");
    ExecSql(file,
            "CREATE TRIGGER refuse BEFORE UPDATE ON tblRegistry WHEN NEW.RegValue='1.0.0.3' "
            "BEGIN SELECT RAISE(ABORT, 'registry is locked'); END;");

    ScriptedDialogs dialogs;
    auto dm = MakeDataModule();
    EXPECT_FALSE(dm->OpenDatabase(file, kDefaultFormat));
    ASSERT_EQ(dialogs->Messages.size(), 1u);
    EXPECT_NE(dialogs->Messages[0].Text.find("registry is locked"), std::string::npos);
    EXPECT_NE(dialogs->Messages[0].Text.find(kWarningTail), std::string::npos);
    dm.reset();

    // Step C stood and step D left nothing behind, not even the column it added first.
    EXPECT_EQ(QuerySql(file, "SELECT RegValue FROM tblRegistry"), "1.0.0.2");
    EXPECT_EQ(TableColumns(file, "tblPlayer").count("INTERGALACTICRESEARCHNETWORK"), 0u);
    EXPECT_EQ(QuerySql(file, "SELECT group_concat(Rating) FROM tblPlanet"), "3,3");

    ExecSql(file, "DROP TRIGGER refuse;");
    dm = MakeDataModule();
    EXPECT_TRUE(dm->OpenDatabase(file, kDefaultFormat));
    dm.reset();
    EXPECT_EQ(QuerySql(file, "SELECT RegValue FROM tblRegistry"), "1.1.1.0");
    EXPECT_EQ(TableColumns(file, "tblPlayer").count("INTERGALACTICRESEARCHNETWORK"), 1u);
    EXPECT_EQ(QuerySql(file, "SELECT group_concat(Rating) FROM tblPlanet"), "0,0");
}

TEST(DatabaseVersion, MissingFileShowsTheErrorAndRaisesBeforeTouchingTheConnection) {
    TempFolder folder;
    const std::string file = folder.File("Tesk.mdb");
    ExecSql(file, SchemaSql());
    ScriptedDialogs dialogs;
    CaptionCounter caption;
    auto dm = MakeDataModule();
    dm->OnUpdateCaption = MakeEvent(&caption, &CaptionCounter::Update);
    ASSERT_TRUE(dm->OpenDatabase(file, kDefaultFormat));
    const AnsiString connectionString = dm->adoConnection->ConnectionString();

    const struct {
        std::string path, cause;
    } cases[] = {{folder.File("nowhere.mdb"), "\"" + folder.File("nowhere.mdb") + "\" does not exist"},
                 {folder.File(""), "\"" + folder.File("") + "\" is a folder, not a database file"},
                 {folder.File("no/such/Tesk.mdb"), "The folder \"" + folder.File("no/such") + "\" of the database \"" +
                                                       folder.File("no/such/Tesk.mdb") + "\" does not exist"}};
    for (const auto& [missing, cause] : cases) {
        SCOPED_TRACE(missing);
        dialogs->Messages.clear();
        try {
            dm->OpenDatabase(missing, "Data Source=%s");
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.ClassName(), "Exception");
            EXPECT_EQ(e.Message(), "Tesk.mdb not found");
        }
        ASSERT_EQ(dialogs->Messages.size(), 1u);
        EXPECT_EQ(dialogs->Messages[0].Type, mtError);
        EXPECT_EQ(dialogs->Messages[0].Buttons, MsgDlgButtons({mbOK}));
        EXPECT_EQ(dialogs->Messages[0].Text,
                  "Tesk cannot function without a database\r\r" + cause + ".\r\r"
                  "Please specificy a valid PathName and ConnectionString in Tesk.ini");
        EXPECT_FALSE(dm->adoConnection->Connected());
        EXPECT_EQ(dm->adoConnection->ConnectionString(), connectionString);
        EXPECT_EQ(dm->DatabasePath, missing);
        EXPECT_EQ(dm->ConnectionFormat, "Data Source=%s");
    }
    EXPECT_EQ(caption.calls, 1);
}

TEST(DatabaseVersion, ConnectionFormatTakesThePathAsTextOnly) {
    struct {
        const char* format;
        const char* path;
        const char* expected;
    } const cases[] = {
        {kDefaultFormat, "/data/Tesk.mdb",
         "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/data/Tesk.mdb;Persist Security Info=False"},
        // The path is never read as a format, and nothing but the first %s is filled.
        {"Data Source=%s", "/data/100%s %d.mdb", "Data Source=/data/100%s %d.mdb"},
        {"Data Source=%s;X=%s;Y=%d", "/a", "Data Source=/a;X=%s;Y=%d"},
        {"Pct=%%;Data Source=%s", "/a", "Pct=%;Data Source=/a"},
        {"Data Source=/fixed.mdb", "/a", "Data Source=/fixed.mdb"},
        {"Data Source=%s%", "/a", "Data Source=/a%"},
    };
    for (const auto& c : cases) EXPECT_EQ(FillConnectionFormat(c.format, c.path), c.expected) << c.format;
}
