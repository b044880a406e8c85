#include "DbTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <unistd.h>

#include "platform/rtl/DateTime.h"

namespace dbtest {

namespace {

std::atomic<int> g_counter{0};

void CalcDouble(TDataSet* ds) {
    TField* score = ds->FieldByName("Score");
    if (!score->IsNull()) ds->FieldByName("Double")->SetAsInteger(score->AsInteger() * 2);
}

std::string SqlText(const char* s) {
    if (!s) return "NULL";
    std::string out = "'";
    for (const char* p = s; *p; ++p) {
        if (*p == '\'') out += '\'';
        out += *p;
    }
    return out + "'";
}

}  // namespace

TempDatabase::TempDatabase(const std::string& schema) {
    dir_ = std::filesystem::temp_directory_path() /
           ("tesk-db-" + std::to_string(getpid()) + "-" + std::to_string(++g_counter));
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "test.mdb").string();
    sqlite3* db = nullptr;
    if (sqlite3_open(path_.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot create the test database");
    char* error = nullptr;
    int rc = sqlite3_exec(db, schema.c_str(), nullptr, nullptr, &error);
    std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error("schema: " + message);
}

TempDatabase::~TempDatabase() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

AnsiString TempDatabase::ConnectionString() const {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_ + ";Persist Security Info=False";
}

void TempDatabase::Exec(const std::string& sql) const {
    sqlite3* db = nullptr;
    sqlite3_open(path_.c_str(), &db);
    char* error = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error(sql + ": " + message);
}

std::string TempDatabase::Scalar(const std::string& sql) const {
    sqlite3* db = nullptr;
    sqlite3_open(path_.c_str(), &db);
    sqlite3_stmt* stmt = nullptr;
    std::string out = "<none>";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
        const unsigned char* t = sqlite3_column_text(stmt, 0);
        out = t ? reinterpret_cast<const char*>(t) : "<null>";
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

const std::vector<SampleRow>& SampleRows() {
    static const std::vector<SampleRow> rows = {
        {"Main", 30, "2024-03-08 10:00:00", 1},   {"beta", 10, "2024-03-07 09:00:00", 2},
        {"Alpha", 20, "2024-03-09 12:00:00", 1},  {"o'neil", std::nullopt, "2024-03-01 08:00:00", 2},
        {"alpha2", 20, nullptr, 1},               {"Gamma", 40, "2024-03-10 00:00:00", 2},
        {"delta", 50, "2024-02-28 23:59:59", 1},  {"Epsilon", 5, "2024-03-08 00:00:00", 2},
        {"zeta", 45, "2024-08-03 10:00:00", 1},   {"Eta", 15, "2023-12-31 12:00:00", 2},
    };
    return rows;
}

std::vector<std::string> SampleNames() {
    std::vector<std::string> names;
    for (const SampleRow& r : SampleRows()) names.push_back(r.name);
    return names;
}

void AddPersistentFields(TDataSet* ds, TComponent* owner, const FieldSetup& setup) {
    auto add = [&](TField* f, const char* name) {
        f->SetFieldName(name);
        f->SetDataSet(ds);
        return f;
    };
    add(new TAutoIncField(owner), "ID");
    TField* name = add(new TStringField(owner), "Name");
    name->SetSize(50);
    add(new TIntegerField(owner), "Score");
    add(new TDateTimeField(owner), "Seen");
    add(new TIntegerField(owner), "TeamID");
    TField* dbl = new TIntegerField(owner);
    dbl->SetFieldKind(fkCalculated);
    add(dbl, "Double");
    TField* team = new TStringField(owner);
    team->SetFieldKind(fkLookup);
    team->SetLookupDataSet(setup.teams);
    team->SetKeyFields("TeamID");
    team->SetLookupKeyFields("ID");
    team->SetLookupResultField("Title");
    add(team, "Team");
    ds->OnCalcFields = TDataSetNotifyEvent(&CalcDouble);
}

TDataSet* MemoryMaker::Make(TComponent* owner, const FieldSetup& setup) {
    auto* ds = new TStMemoryData(owner);
    if (setup.persistent) {
        AddPersistentFields(ds, owner, setup);
    } else {
        ds->FieldDefs()->Add("ID", ftAutoInc);
        ds->FieldDefs()->Add("Name", ftString, 50);
        ds->FieldDefs()->Add("Score", ftInteger);
        ds->FieldDefs()->Add("Seen", ftDateTime);
        ds->FieldDefs()->Add("TeamID", ftInteger);
    }
    ds->Open();
    for (const SampleRow& r : SampleRows()) {
        ds->Append();
        ds->FieldByName("Name")->SetAsString(r.name);
        if (r.score) ds->FieldByName("Score")->SetAsInteger(*r.score);
        if (r.seen) ds->FieldByName("Seen")->SetAsDateTime(SqlTextToDateTime(r.seen));
        ds->FieldByName("TeamID")->SetAsInteger(r.team);
        ds->Post();
    }
    ds->First();
    return ds;
}

TDataSet* SqliteMaker::Make(TComponent* owner, const FieldSetup& setup) {
    db = std::make_unique<TempDatabase>(
        "CREATE TABLE t (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT(50), Score INTEGER, Seen DATETIME, "
        "TeamID INTEGER);");
    std::string sql;
    for (const SampleRow& r : SampleRows())
        sql += "INSERT INTO t (Name, Score, Seen, TeamID) VALUES (" + SqlText(r.name) + ", " +
               (r.score ? std::to_string(*r.score) : std::string("NULL")) + ", " + SqlText(r.seen) + ", " +
               std::to_string(r.team) + ");";
    db->Exec(sql);
    connection = new TADOConnection(owner);
    connection->SetConnectionString(db->ConnectionString());
    auto* q = new TADOQuery(owner);
    q->SetConnection(connection);
    q->SQL()->Add("select * from t");
    if (setup.persistent) AddPersistentFields(q, owner, setup);
    q->Open();
    return q;
}

TStMemoryData* MakeTeams(TComponent* owner) {
    auto* teams = new TStMemoryData(owner);
    teams->FieldDefs()->Add("ID", ftInteger);
    teams->FieldDefs()->Add("Title", ftString, 20);
    teams->Open();
    const char* titles[] = {"Red", "Blue"};
    for (int i = 0; i < 2; ++i) {
        teams->Append();
        teams->FieldByName("ID")->SetAsInteger(i + 1);
        teams->FieldByName("Title")->SetAsString(titles[i]);
        teams->Post();
    }
    teams->First();
    return teams;
}

int RecordingLink::Count(const std::string& e) const {
    return static_cast<int>(std::count(events.begin(), events.end(), e));
}

std::vector<std::string> RecordingLink::Window(const char* field) {
    std::vector<std::string> out;
    int saved = ActiveRecord();
    for (int i = 0; i < RecordCount(); ++i) {
        SetActiveRecord(i);
        out.push_back(DataSet()->FieldByName(field)->AsString());
    }
    SetActiveRecord(saved);
    return out;
}

std::vector<std::string> Column(TDataSet* ds, const char* field) {
    std::vector<std::string> out;
    ds->First();
    while (!ds->Eof()) {
        out.push_back(ds->FieldByName(field)->AsString());
        ds->Next();
    }
    return out;
}

}  // namespace dbtest
