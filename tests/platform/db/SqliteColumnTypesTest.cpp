// Redeclaring integer columns: the declarations as files hold them, written by
// the schema script or grown by ALTER TABLE, and only the named integer
// columns change.
#include <gtest/gtest.h>

#include "platform/db/SqliteColumnTypes.h"

namespace {

TEST(SqliteColumnTypes, OnlyTheNamedIntegerColumnsAreRedeclared) {
    const std::vector<AnsiString> counts = {"Metal", "Anti-ballisticMissile", "Debris", "Name", "Total"};
    struct Case {
        const char* create;
        const char* expected;
    } cases[] = {
        {"CREATE TABLE t (\n  ID INTEGER PRIMARY KEY AUTOINCREMENT,\n  Metal INTEGER,\n  Rating INTEGER\n)",
         "CREATE TABLE t (\n  ID INTEGER PRIMARY KEY AUTOINCREMENT,\n  Metal BIGINT,\n  Rating INTEGER\n)"},
        // Columns added later are appended as the statement wrote them.
        {"CREATE TABLE t (ID INTEGER PRIMARY KEY, metal integer, Debris Int)",
         "CREATE TABLE t (ID INTEGER PRIMARY KEY, metal BIGINT, Debris BIGINT)"},
        // Quoted names, constraints after the type, a comment, a text column of the same name.
        {"CREATE TABLE \"t\" (\"Anti-ballisticMissile\" INTEGER NOT NULL DEFAULT 0, [Debris] int /* x, y */ "
         "CHECK (Debris >= 0), Name TEXT(50) COLLATE NOCASE)",
         "CREATE TABLE \"t\" (\"Anti-ballisticMissile\" BIGINT NOT NULL DEFAULT 0, [Debris] BIGINT /* x, y */ "
         "CHECK (Debris >= 0), Name TEXT(50) COLLATE NOCASE)"},
        // Already 64-bit, no type at all, a table constraint: nothing changes.
        {"CREATE TABLE t (Metal BIGINT, Total, PRIMARY KEY (Metal, Total))",
         "CREATE TABLE t (Metal BIGINT, Total, PRIMARY KEY (Metal, Total))"},
        {"CREATE TABLE t (Rate DECIMAL(10, 2), Metal UNSIGNED BIG INT)",
         "CREATE TABLE t (Rate DECIMAL(10, 2), Metal BIGINT)"},
        {"not a table at all", "not a table at all"},
        {"CREATE TABLE t (Metal", "CREATE TABLE t (Metal"},
    };
    for (const Case& c : cases) EXPECT_EQ(RetypeIntegerColumns(c.create, counts, "BIGINT"), c.expected) << c.create;
}

}  // namespace
