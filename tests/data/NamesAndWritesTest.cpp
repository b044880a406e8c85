// Names that differ only in case (Cyrillic included) are one row; a failed
// write leaves no transaction open; finders never answer from a removed row.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>

#include "data/uExceptions.h"
#include "platform/rtl/CodePage.h"
#include "tests/data/DataTestSupport.h"

using namespace datatest;

namespace {

// Literals of this file are UTF-8; the program's names are code-page bytes.
AnsiString Cp(const char* utf8) { return FromUtf8Literal(utf8); }

// A file system that runs out of space on request: every write of every file
// then fails as a full disk does. Registered as the default while it lives,
// so the data module's connection runs on it without knowing.
class FullDisk {
public:
    FullDisk() {
        real_ = sqlite3_vfs_find(nullptr);
        vfs_ = *real_;
        vfs_.zName = "tesk-full-disk";
        vfs_.szOsFile = static_cast<int>(sizeof(File)) + real_->szOsFile;
        vfs_.pAppData = this;
        vfs_.xOpen = &Open;
        methods_.iVersion = 1;
        methods_.xClose = [](sqlite3_file* f) {
            int rc = Real(f)->pMethods ? Real(f)->pMethods->xClose(Real(f)) : SQLITE_OK;
            return rc;
        };
        methods_.xRead = [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
            return Real(f)->pMethods->xRead(Real(f), b, n, o);
        };
        methods_.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
            if (Self(f)->full_) return SQLITE_FULL;
            return Real(f)->pMethods->xWrite(Real(f), b, n, o);
        };
        methods_.xTruncate = [](sqlite3_file* f, sqlite3_int64 s) {
            return Real(f)->pMethods->xTruncate(Real(f), s);
        };
        methods_.xSync = [](sqlite3_file* f, int flags) { return Real(f)->pMethods->xSync(Real(f), flags); };
        methods_.xFileSize = [](sqlite3_file* f, sqlite3_int64* s) {
            return Real(f)->pMethods->xFileSize(Real(f), s);
        };
        methods_.xLock = [](sqlite3_file* f, int l) { return Real(f)->pMethods->xLock(Real(f), l); };
        methods_.xUnlock = [](sqlite3_file* f, int l) { return Real(f)->pMethods->xUnlock(Real(f), l); };
        methods_.xCheckReservedLock = [](sqlite3_file* f, int* r) {
            return Real(f)->pMethods->xCheckReservedLock(Real(f), r);
        };
        methods_.xFileControl = [](sqlite3_file* f, int op, void* a) {
            return Real(f)->pMethods->xFileControl(Real(f), op, a);
        };
        methods_.xSectorSize = [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); };
        methods_.xDeviceCharacteristics = [](sqlite3_file* f) {
            return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
        };
        sqlite3_vfs_register(&vfs_, 1);
    }
    ~FullDisk() { sqlite3_vfs_unregister(&vfs_); }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
    void SetFull(bool full) { full_ = full; }

private:
    struct File {
        sqlite3_file base;
        FullDisk* owner;
    };
    static sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<sqlite3_file*>(reinterpret_cast<File*>(f) + 1); }
    static FullDisk* Self(sqlite3_file* f) { return reinterpret_cast<File*>(f)->owner; }
    static int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* f, int flags, int* outFlags) {
        auto* self = static_cast<FullDisk*>(vfs->pAppData);
        auto* file = reinterpret_cast<File*>(f);
        std::memset(file, 0, sizeof(File));
        int rc = self->real_->xOpen(self->real_, name, Real(f), flags, outFlags);
        if (rc != SQLITE_OK) return rc;
        file->owner = self;
        file->base.pMethods = &self->methods_;
        return SQLITE_OK;
    }

    sqlite3_vfs* real_ = nullptr;
    sqlite3_vfs vfs_{};
    sqlite3_io_methods methods_{};
    bool full_ = false;
};

// Inserting that one name into the table fails with "refused".
std::string RefuseNamed(const std::string& table, const std::string& name) {
    return "CREATE TRIGGER refuse_" + name + " BEFORE INSERT ON " + table + " WHEN NEW.Name='" + name +
           "' BEGIN SELECT RAISE(ABORT, 'refused'); END;";
}

class NamesAndWritesTest : public ::testing::Test {
protected:
    void Open(const std::string& extraSql = "") {
        file = folder.File("Tesk.mdb");
        MakeGameDatabase(file, extraSql);
        OpenFile();
    }
    void OpenFile() {
        dm = MakeDataModule();
        dm->SetOnLogMessage(MakeEvent(&log, &LogLines::Receive));
        ASSERT_TRUE(dm->OpenDatabase(file, kDefaultFormat));
    }
    std::string Query(const std::string& sql) const { return QuerySql(file, sql); }
    // Counts in the file; the SQL text is UTF-8 as the file stores it.
    std::string Count(const std::string& table, const std::string& utf8Name) const {
        return Query("SELECT Count(*) FROM " + table + " WHERE Name='" + utf8Name + "'");
    }
    bool NoTransactionOpen() const {
        return dm->adoConnection->TransactionLevel() == 0 && sqlite3_get_autocommit(dm->adoConnection->Handle());
    }

    TempFolder folder;
    std::string file;
    ScriptedDialogs dialogs;
    LogLines log;
    DataModulePtr dm;
};

}  // namespace

TEST_F(NamesAndWritesTest, CyrillicNamesInAnyCaseAreOnePlayerAndOneAlliance) {
    ASSERT_EQ(CodePage::Active().Number(), 1251);
    Open();
    const int first = dm->FindOrCreatePlayer(Cp("иван грозный"), Cp("стражи ёлки"));
    const int allianceID = dm->qryPlayer->FieldByName("AllianceID")->AsInteger();
    const char* const spellings[][2] = {
        {"ИВАН ГРОЗНЫЙ", "СТРАЖИ ЁЛКИ"},
        {"Иван Грозный", "Стражи Ёлки"},
        {"иВАН гРОЗНЫЙ", "сТРАЖИ ёЛКИ"},
    };
    for (const auto& s : spellings) {
        SCOPED_TRACE(s[0]);
        EXPECT_EQ(dm->FindOrCreatePlayer(Cp(s[0]), Cp(s[1])), first);
        EXPECT_EQ(dm->qryPlayer->FieldByName("AllianceID")->AsInteger(), allianceID);
        EXPECT_TRUE(dm->FindAllianceByName(Cp(s[1])));
        EXPECT_EQ(dm->qryAlliance->FieldByName("ID")->AsInteger(), allianceID);
    }
    EXPECT_EQ(Query("SELECT Count(*) FROM tblPlayer"), "4");
    EXPECT_EQ(Query("SELECT Count(*) FROM tblAlliance"), "4");
    // The name keeps the spelling it was first stored with.
    EXPECT_EQ(Count("tblPlayer", "ИВАН ГРОЗНЫЙ"), "1");
    EXPECT_EQ(Query("SELECT Name FROM tblPlayer WHERE ID=" + std::to_string(first)), "иван грозный");

    // Letters that the code page cannot hold are not all one "?": an
    // imported file's names in another script stay apart.
    EXPECT_NO_THROW(ExecSql(file, "INSERT INTO tblAlliance (Name) VALUES ('a\xE4\xB8\x80'), ('a\xE4\xB8\x81'), ('a?');"));
    EXPECT_EQ(Query("PRAGMA integrity_check"), "ok");
}

TEST_F(NamesAndWritesTest, UniqueIndexRefusesANameDifferingOnlyInCyrillicCase) {
    Open("INSERT INTO tblPlayer (Name, AllianceID) VALUES ('Пётр', 1);"
         "INSERT INTO tblAlliance (Name) VALUES ('Щит');");
    const struct {
        const char* table;
        const char* name;
    } cases[] = {{"tblPlayer", "ПЁТР"}, {"tblPlayer", "пётр"}, {"tblAlliance", "щит"}, {"tblAlliance", "ЩИТ"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Through the program's connection and through a raw one.
        EXPECT_THROW(dm->adoConnection->Execute(AnsiString("INSERT INTO ") + c.table + " (Name) VALUES ('" +
                                                Cp(c.name) + "')"),
                     EDatabaseError);
        try {
            ExecSql(file, std::string("INSERT INTO ") + c.table + " (Name) VALUES ('" + c.name + "')");
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("UNIQUE"), std::string::npos) << e.what();
        }
    }
    // Another name still goes in.
    EXPECT_NO_THROW(dm->adoConnection->Execute(Cp("INSERT INTO tblAlliance (Name) VALUES ('Щиты')")));
    EXPECT_EQ(Query("PRAGMA integrity_check"), "ok");
}

TEST_F(NamesAndWritesTest, FileIndexedWithThePlainCollationIsReindexedOnce) {
    file = folder.File("old.mdb");
    ExecSql(file,
            SchemaSql() +
                "INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>'), (2, 'Стражи');"
                "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (1, 'Иван', 2), (2, 'Zed', 1), (3, 'аня', 1);",
            /*plainCollation=*/true);
    ASSERT_EQ(Query("PRAGMA user_version"), "0");
    OpenFile();
    EXPECT_EQ(Query("PRAGMA user_version"), "1251");
    EXPECT_EQ(Query("PRAGMA integrity_check"), "ok");
    EXPECT_TRUE(log.lines.empty());
    // The index now orders by the fold: the page lists Cyrillic names in
    // alphabetical order whatever their case.
    EXPECT_EQ(Query("SELECT group_concat(Name, ',') FROM (SELECT Name FROM tblPlayer ORDER BY Name)"),
              "Zed,аня,Иван");
    EXPECT_EQ(dm->FindOrCreatePlayer(Cp("ИВАН"), Cp("СТРАЖИ")), 1);
    EXPECT_EQ(dm->qryPlayer->FieldByName("AllianceID")->AsInteger(), 2);
    EXPECT_EQ(Query("SELECT Count(*) FROM tblPlayer"), "3");
    dm.reset();

    // Once: the next open rebuilds nothing and writes nothing.
    const uint32_t counter = ChangeCounter(file);
    OpenFile();
    dm->adoConnection->AfterDisconnect = nullptr;  // no compaction either
    dm->CloseDatabase();
    EXPECT_EQ(ChangeCounter(file), counter);
}

TEST_F(NamesAndWritesTest, CaseTwinsStoredEarlierKeepTheirRowsAndAreReported) {
    // Written when only ASCII letters folded: two rows the new fold makes equal.
    file = folder.File("old.mdb");
    ExecSql(file,
            SchemaSql() +
                "INSERT INTO tblAlliance (ID, Name) VALUES (1, '<none>');"
                "INSERT INTO tblPlayer (ID, Name, AllianceID) VALUES (1, 'иван', 1), (2, 'ИВАН', 1);",
            /*plainCollation=*/true);
    OpenFile();
    EXPECT_EQ(Query("SELECT Count(*) FROM tblPlayer"), "2");
    EXPECT_EQ(Query("SELECT sql FROM sqlite_master WHERE name='tblPlayer_Name'"),
              "CREATE INDEX tblPlayer_Name ON tblPlayer (Name)");
    EXPECT_EQ(Query("SELECT sql FROM sqlite_master WHERE name='tblAlliance_Name'"),
              "CREATE UNIQUE INDEX tblAlliance_Name ON tblAlliance (Name)");
    EXPECT_EQ(Query("PRAGMA integrity_check"), "ok");
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("tblPlayer_Name"), std::string::npos);
    // The finder names the namesakes, so the user can remove one.
    EXPECT_THROW(dm->FindPlayerByName(Cp("Иван")), ETeskException);
}

// Each failing write rolls back the level it opened; the caller's own level
// stays for the caller to roll back. Nothing is left for a later write to
// join, and that write reaches the file.
TEST_F(NamesAndWritesTest, FailedWritesLeaveNoTransactionOpen) {
    FullDisk disk;
    const struct {
        const char* what;
        std::string extraSql;
        bool insideCallersTransaction;
        bool diskFull;
        std::function<void(TdmMain*)> write;
    } cases[] = {
        {"refused insert", RefuseNamed("tblPlayer", "Deneb"), true, false,
         [](TdmMain* dm) { dm->FindOrCreatePlayer("Deneb", "Evil"); }},
        {"refused insert of the alliance", RefuseNamed("tblAlliance", "Good"), false, false,
         [](TdmMain* dm) { dm->FindOrCreatePlayer("Deneb", "Good"); }},
        // One player without an alliance at most: Altair already is one.
        {"constraint", "CREATE UNIQUE INDEX lonely ON tblPlayer (AllianceID) WHERE AllianceID=1;", true, false,
         [](TdmMain* dm) { dm->FindOrCreatePlayer("Deneb", ""); }},
        {"disk full", "", false, true, [](TdmMain* dm) { dm->FindOrCreatePlayer("Deneb", "Good"); }},
        {"refused delete", RefuseSql("tblPlanet", "DELETE"), true, false,
         [](TdmMain* dm) { dm->DeleteDestroyedPlanet("1", "2", "3", "1"); }},
        {"disk full on delete", "", false, true, [](TdmMain* dm) { dm->DeleteDestroyedPlanet("1", "2", "3", "1"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Open(c.extraSql);
        if (c.insideCallersTransaction) dm->adoConnection->BeginTrans();
        disk.SetFull(c.diskFull);
        EXPECT_THROW(c.write(dm.get()), Exception);
        disk.SetFull(false);
        EXPECT_EQ(dm->adoConnection->TransactionLevel(), c.insideCallersTransaction ? 1 : 0);
        if (c.insideCallersTransaction) dm->adoConnection->RollbackTrans();
        EXPECT_TRUE(NoTransactionOpen());

        // The next write lands and outlives the program.
        const int id = dm->FindOrCreatePlayer("Sirius", "Evil");
        EXPECT_TRUE(NoTransactionOpen());
        dm.reset();
        EXPECT_EQ(Query("SELECT ID FROM tblPlayer WHERE Name='Sirius'"), std::to_string(id));
        EXPECT_EQ(Query("SELECT Count(*) FROM tblPlayer WHERE Name='Deneb'"), "0");
        EXPECT_EQ(Query("SELECT Count(*) FROM tblPlanet WHERE ID=2"), "1");
        EXPECT_EQ(Query("PRAGMA integrity_check"), "ok");
        std::remove(file.c_str());
    }
}

TEST_F(NamesAndWritesTest, FindersGoToTheFileAfterARowIsRemoved) {
    Open();
    // A player deleted on the player page.
    const int deneb = dm->FindOrCreatePlayer("Deneb", "");
    dm->tblPlayer->Open();
    ASSERT_TRUE(dm->tblPlayer->Locate("ID", deneb, TLocateOptions()));
    dialogs->QueueAnswer(mrYes);
    dm->tblPlayer->Delete();
    EXPECT_FALSE(dm->FindPlayerByID(deneb));
    const int again = dm->FindOrCreatePlayer("Deneb", "Evil");
    EXPECT_NE(again, deneb);
    EXPECT_EQ(Query("SELECT Count(*) FROM tblPlayer WHERE Name='Deneb'"), "1");

    // An alliance deleted on the alliance page.
    ASSERT_TRUE(dm->FindAllianceByID(3));
    dm->tblAlliance->Open();
    ASSERT_TRUE(dm->tblAlliance->Locate("ID", 3, TLocateOptions()));
    dialogs->QueueAnswer(mrYes);
    dm->tblAlliance->Delete();
    EXPECT_FALSE(dm->FindAllianceByID(3));

    // A destroyed moon.
    ASSERT_TRUE(dm->FindPlanetByID(2));
    dm->DeleteDestroyedPlanet("1", "2", "3", "1");
    EXPECT_FALSE(dm->FindPlanetByID(2));
    EXPECT_TRUE(dm->FindPlanetByID(1));

    // A player made inside a transaction that its caller rolled back.
    dm->adoConnection->BeginTrans();
    const int vanished = dm->FindOrCreatePlayer("Mira", "");
    dm->adoConnection->RollbackTrans();
    EXPECT_FALSE(dm->FindPlayerByID(vanished));
    EXPECT_NO_THROW(dm->FindOrCreatePlayer("Mira", ""));
    EXPECT_EQ(Query("SELECT Count(*) FROM tblPlayer WHERE Name='Mira'"), "1");

    // A row removed by another program: the shortcut asks the file.
    ASSERT_TRUE(dm->FindPlayerByName("Rigel"));
    ExecSql(file, "DELETE FROM tblPlayer WHERE Name='Rigel';");
    EXPECT_FALSE(dm->FindPlayerByName("Rigel"));
}

// The merge of a rename that fails is rolled back, logged and reported; the
// rename is not tried again against the namesake it could not remove.
TEST_F(NamesAndWritesTest, FailedMergeOfARenameIsReported) {
    Open(RefuseSql("tblPlayer", "DELETE"));
    try {
        dm->SetPlayerName(1, "Rigel");
        ADD_FAILURE() << "renamed";
    } catch (const ETeskException& e) {
        EXPECT_NE(std::string(e.Message()).find("refused"), std::string::npos) << e.Message();
    }
    EXPECT_TRUE(NoTransactionOpen());
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("refused"), std::string::npos);
    EXPECT_EQ(Query("SELECT group_concat(PlayerID) FROM tblPlanet"), "1,1,2,3");
    EXPECT_EQ(Query("SELECT Name FROM tblPlayer WHERE ID=1"), "Vega");
}
