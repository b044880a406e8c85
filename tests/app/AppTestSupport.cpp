#include "tests/app/AppTestSupport.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/classes/ProgramFolder.h"
#include "platform/gui/Forms.h"

namespace apptest {

TempFolder::TempFolder() {
    char pattern[] = "/tmp/tesk-app-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("no temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ShippedFile(const std::string& relative) {
    return ReadFile(std::string(TESK_SOURCE_DIR) + "/resources/" + relative);
}

void ExecSql(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    char* error = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error(message);
}

std::string QuerySql(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    std::string result = "<error>";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
        if (sqlite3_step(st) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(st, 0);
            result = text ? reinterpret_cast<const char*>(text) : "<null>";
        } else {
            result = "<none>";
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return result;
}

void MakeEmptyDatabase(const std::string& path) { ExecSql(path, ShippedFile("schema.sql")); }

MainWindowFixture::MainWindowFixture()
    : dialogs(std::make_shared<TScriptedDialogService>()), system(std::make_shared<TRecordingSystemService>()) {
    SetProgramFolderForTests(folder.File(""));
    SetDialogService(dialogs);
    SetSystemService(system);
    WriteFile(folder.File("English.lng"), ShippedFile("lang/English.lng"));
    MakeEmptyDatabase(folder.File("Tesk.mdb"));
    dmMain = new TdmMain(nullptr);
}

TfrmMain* MainWindowFixture::Open() {
    form = CreateForm<TfrmMain>(nullptr);
    frmMain = form;
    return form;
}

void MainWindowFixture::Free() {
    if (form) FreeObject(form);
    form = nullptr;
    frmMain = nullptr;
    if (dmMain) FreeObject(dmMain);
    dmMain = nullptr;
}

MainWindowFixture::~MainWindowFixture() {
    Free();
    TakeTermination();
    SetDialogService(nullptr);
    SetSystemService(nullptr);
    SetProgramFolderForTests("");
}

bool TakeTermination() {
    Application->ProcessMessages();
    bool ended = Application->Terminated();
    // Run returns at once when an end was requested, and clears the request.
    if (ended) Application->Run();
    return ended;
}

}  // namespace apptest
