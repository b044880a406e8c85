// Compaction after every disconnect, once the version check has accepted the file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <map>

#include "tests/data/DataTestSupport.h"

using namespace datatest;

namespace {

// A current database whose many deleted rows left free pages behind.
void MakeFragmentedDatabase(const std::string& file) {
    ExecSql(file, SchemaSql() +
                      "INSERT INTO tblAlliance (Name) VALUES ('<none>');"
                      "INSERT INTO tblPlayer (Name, AllianceID) VALUES ('Vega', 1);"
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 600) "
                      "INSERT INTO tblPlanet (GalaxyID, SolarsystemID, PlanetID, IsMoon, PlayerID, Report) "
                      "SELECT 1, i, 1, 0, 1, hex(randomblob(1500)) FROM n;"
                      "DELETE FROM tblPlanet WHERE ID > 20;");
}

std::string ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int FreePages(const std::string& file) { return std::stoi(QuerySql(file, "PRAGMA freelist_count")); }

std::string Counts(const std::string& file) {
    return QuerySql(file, "SELECT (SELECT count(*) FROM tblPlanet) || '/' || (SELECT count(*) FROM tblPlayer) || '/' || "
                          "(SELECT count(*) FROM tblAlliance) || '/' || (SELECT RegValue FROM tblRegistry)");
}

ino_t Inode(const std::string& file) {
    struct stat st {};
    EXPECT_EQ(stat(file.c_str(), &st), 0) << file;
    return st.st_ino;
}

}  // namespace

TEST(Compaction, EachDisconnectCompactsTheFileItLeavesInPlace) {
    TempFolder folder;
    const std::string first = folder.File("first.mdb"), second = folder.File("second.mdb");
    MakeFragmentedDatabase(first);
    MakeFragmentedDatabase(second);
    ASSERT_GT(FreePages(first), 0);
    const std::string firstCounts = Counts(first), secondCounts = Counts(second);
    const ino_t firstInode = Inode(first), secondInode = Inode(second);
    const std::vector<std::string> files = folder.Files();

    ScriptedDialogs dialogs;
    auto dm = MakeDataModule();
    // The first open after creation has nothing bound yet: nothing is compacted.
    ASSERT_TRUE(dm->OpenDatabase(first, kDefaultFormat));
    EXPECT_GT(FreePages(first), 0);

    // Switching groups compacts the file being left, not the one being opened.
    ASSERT_TRUE(dm->OpenDatabase(second, kDefaultFormat));
    EXPECT_EQ(FreePages(first), 0);
    EXPECT_EQ(Counts(first), firstCounts);
    EXPECT_GT(FreePages(second), 0);

    // The data module's end disconnects once more.
    dm.reset();
    EXPECT_EQ(FreePages(second), 0);
    EXPECT_EQ(Counts(second), secondCounts);

    // Never deleted, renamed or copied beside itself.
    EXPECT_EQ(Inode(first), firstInode);
    EXPECT_EQ(Inode(second), secondInode);
    EXPECT_EQ(folder.Files(), files);
    EXPECT_TRUE(dialogs->Messages.empty());
}

TEST(Compaction, RefusedFilesAreLeftAsTheyWereAndFailuresAreTold) {
    TempFolder folder;
    const std::string refused = folder.File("refused.mdb"), gone = folder.File("gone.mdb");
    const std::string empty = folder.File("empty.mdb"), garbage = folder.File("garbage.mdb");
    MakeFragmentedDatabase(refused);
    ExecSql(refused, "UPDATE tblRegistry SET RegValue='9.9.9.9';");
    MakeFragmentedDatabase(gone);
    std::ofstream(empty, std::ios::binary).flush();
    std::ofstream(garbage, std::ios::binary) << std::string(3000, '\x5A') << "not a database";
    std::map<std::string, std::string> before;
    for (const std::string& file : {refused, empty, garbage}) before[file] = ReadBytes(file);

    ScriptedDialogs dialogs;
    auto dm = MakeDataModule();
    // Each refused file is closed by the next open and once more at the end.
    for (const std::string& file : {refused, empty, garbage, refused}) {
        SCOPED_TRACE(file);
        EXPECT_FALSE(dm->OpenDatabase(file, kDefaultFormat));
        EXPECT_EQ(ReadBytes(file), before[file]);
    }
    dm.reset();
    for (const std::string& file : {refused, empty, garbage}) EXPECT_EQ(ReadBytes(file), before[file]) << file;
    EXPECT_GT(FreePages(refused), 0);

    // A file that went away meanwhile: compaction fails, creates nothing and
    // says so once per attempt to whoever listens (the window decides about
    // boxes), else to the log.
    dm = MakeDataModule();
    ASSERT_TRUE(dm->OpenDatabase(gone, kDefaultFormat));
    LogLines failures, log;
    dm->OnCompactionFailed = MakeEvent(&failures, &LogLines::Receive);
    dm->SetOnLogMessage(MakeEvent(&log, &LogLines::Receive));
    std::remove(gone.c_str());
    dialogs->Messages.clear();
    EXPECT_FALSE(dm->CompactDatabase());
    ASSERT_EQ(failures.lines.size(), 1u);
    EXPECT_EQ(failures.lines[0].rfind("Unable to compact the database \"" + gone + "\" (", 0), 0u)
        << failures.lines[0];
    EXPECT_TRUE(log.lines.empty());
    dm->OnCompactionFailed = nullptr;
    dm.reset();
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find(" - Error: Unable to compact the database \"" + gone + "\" ("), std::string::npos)
        << log.lines[0];
    EXPECT_TRUE(dialogs->Messages.empty());
    EXPECT_EQ(folder.Files(), (std::vector<std::string>{"empty.mdb", "garbage.mdb", "refused.mdb"}));
}

// File names are the system's bytes: a folder named in letters outside the
// code page (or inside it, stored as UTF-8 on disk) opens and compacts in place.
TEST(Compaction, AFolderNamedInAnyLettersOpensAndIsCompactedThere) {
    TempFolder folder;
    const std::string inner = folder.File("\xD0\xA2\xD0\xB5\xD1\x81\xD0\xBA \xE6\x98\x9F");  // "Теск 星" in UTF-8
    ASSERT_EQ(mkdir(inner.c_str(), 0755), 0);
    const std::string file = inner + "/Tesk.mdb";
    MakeFragmentedDatabase(file);
    const std::string counts = Counts(file);
    const ino_t inode = Inode(file);

    ScriptedDialogs dialogs;
    auto dm = MakeDataModule();
    ASSERT_TRUE(dm->OpenDatabase(file, kDefaultFormat));
    dm.reset();
    EXPECT_EQ(FreePages(file), 0);
    EXPECT_EQ(Counts(file), counts);
    EXPECT_EQ(Inode(file), inode);
    EXPECT_TRUE(dialogs->Messages.empty());
}
