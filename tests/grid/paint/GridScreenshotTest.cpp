// A grid over a 1,000-row SQLite table, with two title levels, a footer and
// a selected row, painted offscreen and written as a PNG for a person to look
// at (its path is printed).
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "grid/DBGridGx.h"
#include "platform/db/AdoDataSets.h"
#include "platform/gui/Forms.h"
#include "platform/gui/InputSimulation.h"

namespace {

std::string MakeTable(const std::filesystem::path& dir, int Count) {
    std::filesystem::create_directories(dir);
    std::string path = (dir / "planets.mdb").string();
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    std::string sql =
        "CREATE TABLE Planet (ID INTEGER PRIMARY KEY, Galaxy INTEGER, System INTEGER, Position INTEGER, "
        "Name VARCHAR(20), Player VARCHAR(30), Metal INTEGER);BEGIN;";
    for (int i = 1; i <= Count; ++i)
        sql += "INSERT INTO Planet VALUES (" + std::to_string(i) + "," + std::to_string(1 + i % 9) + "," +
               std::to_string(1 + i % 499) + "," + std::to_string(1 + i % 15) + ",'Planet " + std::to_string(i) +
               "','Player " + std::to_string(i % 37) + "'," + std::to_string(i * 1375 % 100000) + ");";
    sql += "COMMIT;";
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path;
}

TEST(GridScreenshot, ThousandRowsTwoTitleLevelsFooterAndSelection) {
    const auto dir = std::filesystem::temp_directory_path() / ("tesk-grid-shot-" + std::to_string(getpid()));
    const std::string path = MakeTable(dir, 1000);
    TForm* form = CreateForm<TForm>(nullptr);
    form->SetBounds(20, 20, 660, 360);
    auto* connection = new TADOConnection(form);
    connection->SetLoginPrompt(false);
    connection->SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";");
    auto* query = new TADOQuery(form);
    query->SetConnection(connection);
    query->SQL()->SetText("SELECT * FROM Planet ORDER BY ID");
    auto* source = new TDataSource(form);
    source->SetDataSet(query);

    auto* grid = new TDBGridGx(form);
    grid->SetParent(form);
    grid->SetBounds(8, 8, 620, 300);
    grid->SetUseMultiTitle(true);
    grid->SetOptions(grid->Options() + dgRowSelect + dgMultiSelect);
    grid->SetOddRowColor(clInfoBk);
    grid->SetFooterRowCount(1);
    grid->SetFooterColor(clBtnFace);
    struct {
        const char* Field;
        const char* Caption;
        int Width;
    } columns[] = {{"Galaxy", "Coordinates|Galaxy", 50}, {"System", "Coordinates|System", 55},
                   {"Position", "Coordinates|Pos", 40},  {"Name", "Planet", 110},
                   {"Player", "Owner", 110},             {"Metal", "Resources|Metal", 80}};
    for (auto& c : columns) {
        TColumnGx* col = grid->Columns()->Add();
        col->SetFieldName(c.Field);
        col->Title()->SetCaption(c.Caption);
        col->SetWidth(c.Width);
    }
    grid->Columns()->Items(0)->Title()->SetSortMarker(smUpGx);
    grid->Columns()->Items(3)->Footer()->SetValueType(fvtStaticText);
    grid->Columns()->Items(3)->Footer()->SetValue("1000 planets");
    source->SetDataSet(query);
    grid->SetDataSource(source);
    query->Open();
    form->Show();
    query->SetRecNo(4);  // an even record: white under the selection
    grid->SelectedRows()->SetCurrentRowSelected(true);
    query->SetRecNo(5);
    grid->SetFocus();

    PaintWindowNow(form->Handle());
    const std::string png = (std::filesystem::temp_directory_path() / "tesk-grid-screenshot.png").string();
    ASSERT_TRUE(SaveWindowImage(grid->Handle(), png));
    std::printf("grid screenshot: %s\n", png.c_str());
    EXPECT_GT(std::filesystem::file_size(png), 1000u);

    // A few pixels: the selected row's pale blend, the current row's highlight, the dark grey
    // indicator of the selected row, and the parent title spanning its columns.
    auto pixel = [&](int col, int row, int dx, int dy) {
        TRect r = grid->CellRect(col, row);
        return GetWindowPixel(grid->Handle(), r.Left + dx, r.Top + dy);
    };
    const int selectedRow = grid->TitleOffset() + 3;
    EXPECT_EQ(pixel(4, selectedRow, 1, 1), RGB(202, 202, 234));
    EXPECT_EQ(pixel(4, grid->Row(), 1, 1), static_cast<COLORREF>(ColorToRGB(clHighlight)));
    EXPECT_EQ(pixel(0, selectedRow, 2, 2), 0x404040u);
    EXPECT_NE(grid->TitleLeaf(0)->Host, grid->TitleTreeRoot());

    FreeObject(form);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

}  // namespace
