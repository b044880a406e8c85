#pragma once
// Shared set-up of the import fuzz targets: the windowing platform offscreen,
// the shipped language file's words, and the data module over a database file
// made from the shipped schema in a temporary folder. Message boxes answer No
// without being kept. A finding is a crash, a hang, or an import that returns
// with a transaction still open.
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "app/uImportHost.h"
#include "app/uVocabulary.h"
#include "data/uDatamodule.h"
#include "fuzz/FuzzPlatform.h"
#include "platform/classes/IniFiles.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Services.h"

namespace importfuzz {

class SilentDialogs : public IDialogService {
public:
    int MessageDialog(const TMessageDlgRequest&) override { return mrNo; }
    bool FileDialog(TFileDialogRequest&) override { return false; }
};

class SilentHost : public virtual IImportHost {
public:
    void AddToLog(const AnsiString&) override {}
    void Beep(UINT) override {}
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
        char folder[] = "/tmp/tesk-import-fuzz-XXXXXX";
        if (!mkdtemp(folder)) abort();
        const std::string file = std::string(folder) + "/Tesk.mdb";
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

}  // namespace importfuzz
