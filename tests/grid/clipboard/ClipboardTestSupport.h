#pragma once
// Fixtures of the grid clipboard tests: a table whose texts hold separators,
// quotes, braces and line breaks, an empty table of the same shape to paste
// into, a grid over each on a shown form, the in-memory clipboard and
// scripted dialogs.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "grid/DBGridGxImpExp.h"
#include "platform/db/AdoDataSets.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Services.h"

namespace cliptest {

// Item and Copy: ID, Name, Amount (integer), Price (real), Note. Item holds
// the rows below; Copy is empty.
struct TItem {
    int Id;
    const char* Name;
    int Amount;
    const char* Price;  // SQL literal, "NULL" for none
    const char* Note;
};

inline const std::vector<TItem>& Items() {
    static const std::vector<TItem> items = {
        {1, "alpha", 10, "1.5", "plain"},
        {2, "b;eta \"q\"", 20, "NULL", "line1\r\nline2"},
        {3, "gam{m}a\\", -30, "2.25", "tab\there"},
        {4, "delta", 40, "0.5", ""},
    };
    return items;
}

class ItemDatabase {
public:
    ItemDatabase() {
        static int counter = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("tesk-clip-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "items.mdb").string();
        sqlite3* db = nullptr;
        sqlite3_open(path_.c_str(), &db);
        const char* shape = " (ID INTEGER PRIMARY KEY, Name VARCHAR(40), Amount INTEGER, Price REAL, Note VARCHAR(80))";
        Exec(db, std::string("CREATE TABLE Item") + shape + "; CREATE TABLE Copy" + shape);
        for (const TItem& i : Items()) {
            sqlite3_stmt* st = nullptr;
            const std::string sql = std::string("INSERT INTO Item VALUES (?, ?, ?, ") + i.Price + ", ?)";
            sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
            sqlite3_bind_int(st, 1, i.Id);
            sqlite3_bind_text(st, 2, i.Name, -1, SQLITE_STATIC);
            sqlite3_bind_int(st, 3, i.Amount);
            sqlite3_bind_text(st, 4, i.Note, -1, SQLITE_STATIC);
            sqlite3_step(st);
            sqlite3_finalize(st);
        }
        sqlite3_close(db);
    }
    ~ItemDatabase() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    AnsiString ConnectionString() const { return "Data Source=" + path_; }

private:
    static void Exec(sqlite3* db, const std::string& sql) { sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr); }
    std::filesystem::path dir_;
    std::string path_;
};

class ClipboardTest : public testing::Test {
protected:
    void SetUp() override {
        clipboard = std::make_shared<TMemoryClipboardBackend>();
        SetClipboardBackend(clipboard);
        dialogs = std::make_shared<TScriptedDialogService>();
        SetDialogService(dialogs);
        form = CreateForm<TForm>(nullptr);
        form->SetBounds(40, 40, 700, 400);
        connection = new TADOConnection(form);
        connection->SetLoginPrompt(false);
        connection->SetConnectionString(db.ConnectionString());
        items = MakeQuery("SELECT * FROM Item ORDER BY ID");
        copies = MakeQuery("SELECT * FROM Copy ORDER BY ID");
        grid = MakeGrid(items, 10);
        target = MakeGrid(copies, 300);
        form->Show();
        items->Open();
        copies->Open();
        Application->ProcessMessages();
    }
    void TearDown() override {
        FreeObject(form);
        Application->ProcessMessages();
        SetClipboardBackend(nullptr);
        SetDialogService(nullptr);
    }
    TADOQuery* MakeQuery(const char* Sql) {
        auto* q = new TADOQuery(form);
        q->SetConnection(connection);
        q->SQL()->SetText(Sql);
        return q;
    }
    // A grid with the Name, Amount, Price and Note columns.
    TDBGridGx* MakeGrid(TDataSet* DataSet, int Top) {
        auto* source = new TDataSource(form);
        source->SetDataSet(DataSet);
        auto* g = new TDBGridGx(form);
        g->SetParent(form);
        g->SetBounds(10, Top, 600, 150);
        g->SetDataSource(source);
        for (const char* n : {"Name", "Amount", "Price", "Note"}) g->Columns()->Add()->SetFieldName(n);
        return g;
    }
    // Puts the Item table back as it started and reads it again.
    void ResetItems() {
        items->Close();
        std::string sql = "DELETE FROM Item;";
        for (const TItem& i : Items())
            sql += "INSERT INTO Item VALUES (" + std::to_string(i.Id) + ", '" + i.Name + "', " + std::to_string(i.Amount) +
                   ", " + i.Price + ", '" + i.Note + "');";
        connection->Execute(sql);
        items->Open();
    }
    TColumnGx* Column(TCustomDBGridGx* g, int Index) { return g->Columns()->Items(Index); }
    TBookmarkStr BookmarkOf(TDataSet* ds, int Id) {
        ds->Locate("ID", Id, {});
        return ds->Bookmark();
    }
    // The rectangle from column C1 of record Id1 to column C2 of record Id2.
    void SelectRectangle(int C1, int Id1, int C2, int Id2) {
        const TBookmarkStr from = BookmarkOf(items, Id1), to = BookmarkOf(items, Id2);
        grid->Selection()->Rect()->Select(C1, from, false);
        grid->Selection()->Rect()->Select(C2, to, true);
        ASSERT_EQ(grid->Selection()->SelectionType(), gstRectangle);
    }
    void SelectRecords(std::initializer_list<int> Ids) {
        for (int id : Ids) {
            items->Locate("ID", id, {});
            grid->SelectedRows()->SetCurrentRowSelected(true);
        }
    }
    // What a writer gives for the grid's selection (or all of it).
    template <class T>
    std::string Export(bool All = false, TCustomDBGridGx* Grid = nullptr) {
        TMemoryStream s;
        WriteGridToExportStream(ExportClassOf<T>(), Grid ? Grid : grid, &s, All);
        return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
    }
    template <class T>
    void Import(const std::string& Bytes, TCustomDBGridGx* Grid, bool All = false) {
        TMemoryStream s;
        if (!Bytes.empty()) s.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
        s.SetPosition(0);
        ReadGridFromImportStream(ImportClassOf<T>(), Grid, &s, All);
    }
    // Every row of a data set as text cells, in its order, the position kept.
    static std::vector<std::vector<std::string>> Rows(TDataSet* ds, std::vector<const char*> Fields = {"Name", "Amount", "Price", "Note"}) {
        std::vector<std::vector<std::string>> rows;
        const TBookmarkStr at = ds->Bookmark();
        ds->DisableControls();
        ds->First();
        while (!ds->Eof()) {
            std::vector<std::string> row;
            for (const char* f : Fields) row.push_back(ds->FieldByName(f)->IsNull() ? "<null>" : ds->FieldByName(f)->AsString());
            rows.push_back(row);
            ds->Next();
        }
        if (!at.empty() && ds->BookmarkValid(at)) ds->GotoBookmark(at);
        ds->EnableControls();
        return rows;
    }
    std::string ClipboardBytes(TClipboardFormat Format) {
        std::string data;
        clipboard->GetData(ClipboardFormatMimeType(Format), data);
        return data;
    }

    ItemDatabase db;
    std::shared_ptr<TMemoryClipboardBackend> clipboard;
    std::shared_ptr<TScriptedDialogService> dialogs;
    TForm* form = nullptr;
    TADOConnection* connection = nullptr;
    TADOQuery* items = nullptr;
    TADOQuery* copies = nullptr;
    TDBGridGx* grid = nullptr;
    TDBGridGx* target = nullptr;
};

}  // namespace cliptest
