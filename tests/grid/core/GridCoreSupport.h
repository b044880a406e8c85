#pragma once
// Fixtures of the grid tests: a shown form, a planet-like table in a
// temporary SQLite file read through a query, and helpers that send mouse
// messages to a grid.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "grid/DBGridGx.h"
#include "platform/db/AdoDataSets.h"
#include "platform/db/SqliteConnection.h"
#include "platform/db/StMemoryDataset.h"
#include "platform/gui/Forms.h"
#include "platform/gui/InputSimulation.h"

namespace gridtest {

// A database file with a planet-like table of Count rows: ID, Name, Galaxy,
// System, Position, Player, Metal (integers), Debris (real, null on every
// fifth row), Note (text 80).
class PlanetDatabase {
public:
    explicit PlanetDatabase(int Count = 40) {
        static int counter = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("tesk-grid-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "planets.mdb").string();
        sqlite3* db = nullptr;
        sqlite3_open(path_.c_str(), &db);
        std::string sql =
            "CREATE TABLE Planet (ID INTEGER PRIMARY KEY, Name VARCHAR(20), Galaxy INTEGER, System INTEGER, "
            "Position INTEGER, Player VARCHAR(30), Metal INTEGER, Debris REAL, Note VARCHAR(80));"
            "BEGIN;";
        for (int i = 1; i <= Count; ++i) {
            sql += "INSERT INTO Planet VALUES (" + std::to_string(i) + ", 'Planet " + std::to_string(i) + "', " +
                   std::to_string(1 + i % 3) + ", " + std::to_string(100 + i) + ", " + std::to_string(1 + i % 15) +
                   ", 'Player " + std::to_string(i % 7) + "', " + std::to_string(i * 1000) + ", " +
                   (i % 5 == 0 ? std::string("NULL") : std::to_string(i * 1.5)) + ", 'note');";
        }
        sql += "COMMIT;";
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    ~PlanetDatabase() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const std::string& Path() const { return path_; }
    AnsiString ConnectionString() const {
        return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_ + ";Persist Security Info=False";
    }

private:
    std::filesystem::path dir_;
    std::string path_;
};

// A shown form holding a grid over a query of the planet table.
class GridTest : public testing::Test {
protected:
    void SetUp() override {
        tick = 1000000;
        SetTickSource([this] { return tick; });
        ResetDoubleClick();
        form = CreateForm<TForm>(nullptr);
        form->SetName("Form");
        form->SetBounds(40, 40, 640, 420);
        connection = new TADOConnection(form);
        connection->SetLoginPrompt(false);
        connection->SetConnectionString(db.ConnectionString());
        query = new TADOQuery(form);
        query->SetConnection(connection);
        query->SQL()->SetText("SELECT * FROM Planet ORDER BY ID");
        source = new TDataSource(form);
        source->SetDataSet(query);
    }
    void TearDown() override {
        FreeObject(form);
        Application->ProcessMessages();
        SetTickSource(nullptr);
    }
    // A grid on the form with the given client size (its border taken off).
    template <class T = TDBGridGx>
    T* MakeGrid(int Width = 400, int Height = 200, bool Show = true) {
        T* g = new T(form);
        g->SetName("Grid" + std::to_string(++gridCount));
        g->SetParent(form);
        g->SetBorderStyle(bsNone);
        g->SetBounds(10, 10, Width, Height);
        if (Show) form->Show();
        return g;
    }
    void Open() { query->Open(); }
    AnsiString Current(const char* Field = "Name") { return query->FieldByName(Field)->AsString(); }

    // Mouse messages in client coordinates.
    static void Press(TWinControl* c, int X, int Y, WPARAM Keys = MK_LBUTTON) {
        c->Perform(WM_LBUTTONDOWN, Keys, MAKELPARAM(X, Y));
    }
    static void Release(TWinControl* c, int X, int Y, WPARAM Keys = 0) {
        c->Perform(WM_LBUTTONUP, Keys, MAKELPARAM(X, Y));
    }
    static void Click(TWinControl* c, int X, int Y) {
        Press(c, X, Y);
        Release(c, X, Y);
    }
    static TPoint CellCenter(TCustomGrid* g, int ACol, int ARow) {
        TRect r = g->CellRect(ACol, ARow);
        return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }

    DWORD tick = 0;
    int gridCount = 0;
    PlanetDatabase db;
    TForm* form = nullptr;
    TADOConnection* connection = nullptr;
    TADOQuery* query = nullptr;
    TDataSource* source = nullptr;
};

// Text height of "Wg" and the metrics of a font, as the grid measures them.
inline int WgHeight(TFont* Font, TEXTMETRIC* Metrics = nullptr) {
    HDC dc = CreateScreenDC();
    HGDIOBJ old = SelectObject(dc, Font->Handle());
    TSize size;
    GetTextExtentPoint32(dc, "Wg", 2, &size);
    if (Metrics) GetTextMetrics(dc, Metrics);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size.cy;
}

inline std::vector<std::string> ColumnNames(TDBGridColumnsGx* Columns) {
    std::vector<std::string> names;
    for (int i = 0; i < Columns->Count(); ++i) names.push_back(Columns->Items(i)->FieldName());
    return names;
}

}  // namespace gridtest
