#pragma once
// Fixtures of the data-service tests: a small fleet table in a temporary
// SQLite file (texts with quotes, nulls in every kind of column, dates) read
// through a query, and a shown grid over it.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "grid/DBGridGx.h"
#include "platform/db/AdoDataSets.h"
#include "platform/gui/Forms.h"
#include "platform/gui/InputSimulation.h"

namespace featuretest {

// ID  Name         Metal  Debris  Seen
//  1  Alpha          100    1.5   2024-03-01
//  2  Beta           250   null   2024-03-08 12:00
//  3  O'Neil         500   3.25   2024-03-09
//  4  Gamma          750    4     null
//  5  null          1000    5     2024-04-01
//  6  Alpha Prime     50   null   2023-12-31
class FleetDatabase {
public:
    FleetDatabase() {
        static int counter = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("tesk-features-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "fleet.mdb").string();
        sqlite3* db = nullptr;
        sqlite3_open(path_.c_str(), &db);
        sqlite3_exec(db,
                     "CREATE TABLE Fleet (ID INTEGER PRIMARY KEY, Name VARCHAR(30), Metal INTEGER, Debris REAL, "
                     "Seen DATETIME);"
                     "INSERT INTO Fleet VALUES (1, 'Alpha', 100, 1.5, '2024-03-01 00:00:00');"
                     "INSERT INTO Fleet VALUES (2, 'Beta', 250, NULL, '2024-03-08 12:00:00');"
                     "INSERT INTO Fleet VALUES (3, 'O''Neil', 500, 3.25, '2024-03-09 00:00:00');"
                     "INSERT INTO Fleet VALUES (4, 'Gamma', 750, 4, NULL);"
                     "INSERT INTO Fleet VALUES (5, NULL, 1000, 5, '2024-04-01 00:00:00');"
                     "INSERT INTO Fleet VALUES (6, 'Alpha Prime', 50, NULL, '2023-12-31 00:00:00');",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    ~FleetDatabase() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    AnsiString ConnectionString() const { return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_ + ";"; }
    const std::filesystem::path& Dir() const { return dir_; }

private:
    std::filesystem::path dir_;
    std::string path_;
};

class FleetGridTest : public testing::Test {
protected:
    void SetUp() override {
        form = CreateForm<TForm>(nullptr);
        form->SetName("Form");
        form->SetBounds(40, 40, 560, 300);
        connection = new TADOConnection(form);
        connection->SetLoginPrompt(false);
        connection->SetConnectionString(db.ConnectionString());
        query = new TADOQuery(form);
        query->SetConnection(connection);
        query->SQL()->SetText("SELECT * FROM Fleet ORDER BY ID");
        source = new TDataSource(form);
        source->SetDataSet(query);
        grid = new TDBGridGx(form);
        grid->SetName("Grid");
        grid->SetParent(form);
        grid->SetBorderStyle(bsNone);
        grid->SetBounds(10, 10, 520, 240);
        for (const char* n : {"Name", "Metal", "Debris", "Seen"}) grid->Columns()->Add()->SetFieldName(n);
        grid->SetDataSource(source);
        query->Open();
        form->Show();
        Application->ProcessMessages();
    }
    void TearDown() override {
        FreeObject(form);
        Application->ProcessMessages();
    }
    TColumnGx* Column(const char* FieldName) {
        for (int i = 0; i < grid->Columns()->Count(); ++i)
            if (grid->Columns()->Items(i)->FieldName() == FieldName) return grid->Columns()->Items(i);
        return nullptr;
    }
    // The IDs of the records the query shows, in order; the current record stays.
    std::vector<int> Ids() {
        std::vector<int> ids;
        TBookmarkStr bookmark = query->IsEmpty() ? TBookmarkStr() : query->Bookmark();
        query->DisableControls();
        for (query->First(); !query->Eof(); query->Next()) ids.push_back(query->FieldByName("ID")->AsInteger());
        if (!bookmark.empty()) query->GotoBookmark(bookmark);
        query->EnableControls();
        return ids;
    }

    FleetDatabase db;
    TForm* form = nullptr;
    TADOConnection* connection = nullptr;
    TADOQuery* query = nullptr;
    TDataSource* source = nullptr;
    TDBGridGx* grid = nullptr;
};

}  // namespace featuretest
