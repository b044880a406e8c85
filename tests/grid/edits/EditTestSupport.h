#pragma once
// Fixtures of the edit-control tests: a shown form over a small SQLite table
// read through a query, and a reader of the stored values.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/db/AdoDataSets.h"
#include "platform/gui/Forms.h"
#include "platform/gui/InputSimulation.h"
#include "platform/gui/Services.h"

namespace edittest {

// Item(ID, Name text 20, Qty integer, Active BIT, Mark integer, Kind text 10):
// 1 Alpha 5 true 1 b / 2 Beta 7 false 0 a / 3 Gamma null null 7 null.
class ItemDatabase {
public:
    ItemDatabase() {
        static int counter = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("tesk-edits-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "items.mdb").string();
        Exec("CREATE TABLE Item (ID INTEGER PRIMARY KEY, Name VARCHAR(20), Qty INTEGER, Active BIT, Mark INTEGER, "
             "Kind VARCHAR(10));"
             "INSERT INTO Item VALUES (1, 'Alpha', 5, 1, 1, 'b');"
             "INSERT INTO Item VALUES (2, 'Beta', 7, 0, 0, 'a');"
             "INSERT INTO Item VALUES (3, 'Gamma', NULL, NULL, 7, NULL);");
    }
    ~ItemDatabase() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    void Exec(const std::string& Sql) const {
        sqlite3* db = nullptr;
        sqlite3_open(path_.c_str(), &db);
        sqlite3_exec(db, Sql.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    // The stored text of one cell ("NULL" for null).
    std::string Stored(const std::string& Column, int Id, const std::string& Table = "Item") const {
        sqlite3* db = nullptr;
        sqlite3_open(path_.c_str(), &db);
        sqlite3_stmt* st = nullptr;
        std::string sql = "SELECT " + Column + " FROM " + Table + " WHERE ID = " + std::to_string(Id);
        sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
        std::string out = "?";
        if (sqlite3_step(st) == SQLITE_ROW)
            out = sqlite3_column_type(st, 0) == SQLITE_NULL ? "NULL"
                                                            : reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        sqlite3_close(db);
        return out;
    }
    AnsiString ConnectionString() const { return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_ + ";"; }

private:
    std::filesystem::path dir_;
    std::string path_;
};

class EditTest : public testing::Test {
protected:
    void SetUp() override {
        dialogs = std::make_shared<TScriptedDialogService>();
        SetDialogService(dialogs);
        form = CreateForm<TForm>(nullptr);
        form->SetBounds(60, 60, 420, 260);
        connection = new TADOConnection(form);
        connection->SetLoginPrompt(false);
        connection->SetConnectionString(db.ConnectionString());
        query = new TADOQuery(form);
        query->SetConnection(connection);
        query->SQL()->SetText("SELECT * FROM Item ORDER BY ID");
        source = new TDataSource(form);
        source->SetDataSet(query);
    }
    void TearDown() override {
        FreeObject(form);
        Application->ProcessMessages();
        SetDialogService(nullptr);
    }
    // A control of the form, placed and named.
    template <class T>
    T* Make(const char* Name, int Left, int Top, int Width = 160, int Height = 21) {
        T* c = new T(form);
        c->SetName(Name);
        c->SetParent(form);
        c->SetBounds(Left, Top, Width, Height);
        return c;
    }
    void ShowForm() { form->Show(); }
    // Types characters as WM_CHAR messages.
    static void Type(TWinControl* c, const std::string& Text) {
        for (char ch : Text) c->Perform(WM_CHAR, static_cast<unsigned char>(ch), 0);
    }

    ItemDatabase db;
    std::shared_ptr<TScriptedDialogService> dialogs;
    TForm* form = nullptr;
    TADOConnection* connection = nullptr;
    TADOQuery* query = nullptr;
    TDataSource* source = nullptr;
};

}  // namespace edittest
