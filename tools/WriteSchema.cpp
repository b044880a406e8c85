// Build tool: writes an empty database file from a schema script, with the
// program's own name collation, and marks the file as indexed with it.
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/db/SqliteCollation.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s schema.sql database\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream sql;
    sql << in.rdbuf();
    sqlite3* db = nullptr;
    if (sqlite3_open(argv[2], &db) != SQLITE_OK) {
        std::fprintf(stderr, "cannot create %s: %s\n", argv[2], sqlite3_errmsg(db));
        return 1;
    }
    if (!InstallCodePageCollation(db)) {
        std::fprintf(stderr, "%s: %s\n", argv[2], sqlite3_errmsg(db));
        sqlite3_close(db);
        std::remove(argv[2]);
        return 1;
    }
    const std::string script = sql.str() + "\nPRAGMA user_version=" + std::to_string(CodePageCollationMark()) + ";\n";
    char* error = nullptr;
    if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error);
        sqlite3_free(error);
        sqlite3_close(db);
        std::remove(argv[2]);
        return 1;
    }
    sqlite3_close(db);
    return 0;
}
