#pragma once
// Shared set-up of the import fuzz targets: the windowing platform offscreen,
// the shipped language file's words, and the data module over a database file
// made from the shipped schema in a temporary folder. Message boxes answer No
// without being kept. A finding is a crash, a hang, an import that returns
// with a transaction still open, or a database that breaks an invariant after
// the import: two planet rows at one place and moon flag, a player or an
// alliance without a name, a count that is no 64-bit integer or a total that
// is not the sum of its resources, or a row changed by a refused report.
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/uImportHost.h"
#include "app/uVocabulary.h"
#include "data/uDatamodule.h"
#include "fuzz/FuzzPlatform.h"
#include "fuzz/FuzzScratch.h"
#include "platform/classes/IniFiles.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Services.h"

namespace importfuzz {

class SilentDialogs : public IDialogService {
public:
    int MessageDialog(const TMessageDlgRequest&) override { return mrNo; }
    bool FileDialog(TFileDialogRequest&) override { return false; }
};

// Keeps the log lines, so a check can tell a refused import from a stored one.
class SilentHost : public virtual IImportHost {
public:
    void AddToLog(const AnsiString& Line) override { Log.push_back(Line); }
    void Beep(UINT) override {}
    // Whether some line's text after its time stamp begins with Start (a
    // name inside a warning never counts).
    bool Logged(const std::string& Start) const {
        for (const std::string& l : Log) {
            const size_t p = l.find(" - ");
            if (p != std::string::npos && l.compare(p + 3, Start.size(), Start) == 0) return true;
        }
        return false;
    }
    std::vector<std::string> Log;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The data module, made once per process; its tables are emptied every so
// often so that the file stays small.
inline TdmMain* DataModule() {
    static TdmMain* dm = [] {
        fuzzplatform::StartOffscreen();
        SetDialogService(std::make_shared<SilentDialogs>());
        TIniFile ini(AnsiString(TESK_SOURCE_DIR) + "/resources/lang/English.lng");
        ReadGameVocabulary(ini);
        std::string folder = (fuzzscratch::Root() / "tesk-import-fuzz-XXXXXX").string();
        if (!mkdtemp(folder.data())) abort();
        const std::string file = folder + "/Tesk.mdb";
        sqlite3* db = nullptr;
        if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) abort();
        const std::string schema = ReadFile(std::string(TESK_SOURCE_DIR) + "/resources/schema.sql");
        if (sqlite3_exec(db, schema.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) abort();
        sqlite3_close(db);
        auto* module = new TdmMain(nullptr);
        if (!module->OpenDatabase(file, "Data Source=%s")) abort();
        // Every import commits; without waiting for the disk a run takes
        // thousands of inputs instead of dozens.
        module->adoConnection->Execute("PRAGMA synchronous=OFF");
        return module;
    }();
    static unsigned runs = 0;
    if (++runs % 256 == 0) {
        // The finders answer from the rows they show: close them first.
        for (TADOQuery* q : {dm->qryPlanet, dm->qryPlayer, dm->qryAlliance, dm->qryCombat}) q->Close();
        dm->adoConnection->Execute("DELETE FROM tblPlanet; DELETE FROM tblPlayer; DELETE FROM tblAlliance; "
                                   "DELETE FROM tblCombat");
    }
    return dm;
}

// Every import must leave no transaction behind.
inline void CheckClosed(TdmMain* dm) {
    if (dm->adoConnection->InTransaction()) abort();
}

// The first column of the first row of a statement on the module's file.
inline std::string Scalar(TdmMain* dm, const char* Sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(dm->adoConnection->Handle(), Sql, -1, &st, nullptr) != SQLITE_OK) abort();
    std::string value;
    if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
        value = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    return value;
}

// Every row of the four tables, in one text.
inline std::string Snapshot(TdmMain* dm) {
    std::string all;
    for (const char* table : {"tblPlanet", "tblPlayer", "tblAlliance", "tblCombat"}) {
        sqlite3_stmt* st = nullptr;
        const std::string sql = std::string("SELECT * FROM ") + table + " ORDER BY ID";
        if (sqlite3_prepare_v2(dm->adoConnection->Handle(), sql.c_str(), -1, &st, nullptr) != SQLITE_OK) abort();
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const unsigned char* text = sqlite3_column_text(st, c);
                all += text ? std::string(reinterpret_cast<const char*>(text),
                                          static_cast<size_t>(sqlite3_column_bytes(st, c)))
                            : std::string("\x01null");
                all += '\x02';
            }
            all += '\x03';
        }
        sqlite3_finalize(st);
    }
    return all;
}

// Counts are stored as 64-bit integers, never as text or as a real that a
// count beyond 64 bits would have become, and a stored total is the whole
// sum of the resources it was built from.
inline void CheckCounts(TdmMain* dm) {
    for (const char* table : {"tblPlanet", "tblCombat"}) {
        const std::string sql = std::string("SELECT * FROM ") + table;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(dm->adoConnection->Handle(), sql.c_str(), -1, &st, nullptr) != SQLITE_OK) abort();
        while (sqlite3_step(st) == SQLITE_ROW) {
            __int128 resources = 0;
            bool totalStored = false;
            int64_t total = 0;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const char* decl = sqlite3_column_decltype(st, c);
                if (!decl || std::string(decl) != "BIGINT") continue;
                const int type = sqlite3_column_type(st, c);
                if (type != SQLITE_INTEGER && type != SQLITE_NULL) abort();
                const std::string name = sqlite3_column_name(st, c);
                const int64_t value = sqlite3_column_int64(st, c);
                if (name == "Metal" || name == "Crystal" || name == "Deuterium") resources += value;
                if (name == "TotalResources" && type == SQLITE_INTEGER) totalStored = true, total = value;
            }
            if (totalStored && resources != total) abort();
        }
        sqlite3_finalize(st);
    }
}

// What holds after every import, stored or refused.
inline void CheckInvariants(TdmMain* dm) {
    CheckClosed(dm);
    if (Scalar(dm, "SELECT count(*) FROM (SELECT 1 FROM tblPlanet GROUP BY GalaxyID, SolarsystemID, PlanetID, IsMoon "
                   "HAVING count(*) > 1)") != "0")
        abort();
    if (Scalar(dm, "SELECT count(*) FROM tblPlayer WHERE Name IS NULL OR trim(Name)=''") != "0") abort();
    if (Scalar(dm, "SELECT count(*) FROM tblAlliance WHERE Name IS NULL OR trim(Name)=''") != "0") abort();
    CheckCounts(dm);
}

// A refused report leaves every row as it was.
inline void CheckUnchanged(TdmMain* dm, const std::string& Before) {
    if (Snapshot(dm) != Before) abort();
}

}  // namespace importfuzz
