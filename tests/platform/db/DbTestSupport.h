#pragma once
// Shared fixtures of the data-access tests: a temporary SQLite file, the
// sample rows, data sets over both back ends, and a link that records what it hears.
#include <sqlite3.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/db/AdoDataSets.h"
#include "platform/db/DB.h"
#include "platform/db/StMemoryDataset.h"

namespace dbtest {

// A database file in its own temporary folder, removed afterwards.
class TempDatabase {
public:
    explicit TempDatabase(const std::string& schema);
    ~TempDatabase();
    const std::string& Path() const { return path_; }
    AnsiString ConnectionString() const;
    // Runs statements straight through the C API (not through the code under test).
    void Exec(const std::string& sql) const;
    // The first column of the first row as text; "<null>" for NULL, "<none>" without a row.
    std::string Scalar(const std::string& sql) const;

private:
    std::filesystem::path dir_;
    std::string path_;
};

struct SampleRow {
    const char* name;
    std::optional<int> score;
    const char* seen;  // database text, nullptr for null
    int team;
};

// Ten rows with a null score, a null date, names that differ only in case and
// equal scores, so that order, filter and search cases have something to tell apart.
const std::vector<SampleRow>& SampleRows();
// The names in natural order (the order the rows were added).
std::vector<std::string> SampleNames();

// Which fields a data set gets: those made from its columns, or persistent ones
// with a calculated field "Double" (Score * 2) and a lookup field "Team" (the
// Title of the Teams row whose ID is TeamID).
struct FieldSetup {
    bool persistent = false;
    TDataSet* teams = nullptr;
};

// Columns of every sample data set: ID (auto-increment), Name (text 50),
// Score (integer), Seen (date and time), TeamID (integer); the SQLite table is "t".
class SampleMaker {
public:
    virtual ~SampleMaker() = default;
    virtual TDataSet* Make(TComponent* owner, const FieldSetup& setup) = 0;
    virtual const char* Kind() const = 0;
};

class MemoryMaker : public SampleMaker {
public:
    TDataSet* Make(TComponent* owner, const FieldSetup& setup) override;
    const char* Kind() const override { return "memory"; }
};

class SqliteMaker : public SampleMaker {
public:
    TDataSet* Make(TComponent* owner, const FieldSetup& setup) override;
    const char* Kind() const override { return "sqlite"; }
    std::unique_ptr<TempDatabase> db;
    TADOConnection* connection = nullptr;
};

// A memory data set with ID and Title: (1, "Red"), (2, "Blue").
TStMemoryData* MakeTeams(TComponent* owner);

void AddPersistentFields(TDataSet* ds, TComponent* owner, const FieldSetup& setup);

// Records the data events a link hears.
class RecordingLink : public TDataLink {
public:
    std::vector<std::string> events;
    void Reset() { events.clear(); }
    int Count(const std::string& e) const;
    // Field values of every record in this link's window, read through ActiveRecord.
    std::vector<std::string> Window(const char* field = "Name");
    using TDataLink::FirstRecord;

protected:
    void ActiveChanged() override { events.push_back(Active() ? "active" : "inactive"); }
    void DataSetChanged() override { events.push_back("change"); }
    void DataSetScrolled(int Distance) override { events.push_back("scroll " + std::to_string(Distance)); }
    void LayoutChanged() override { events.push_back("layout"); }
    void RecordChanged(TField* Field) override {
        events.push_back(Field ? "record " + Field->FieldName() : std::string("record"));
    }
    void EditingChanged() override { events.push_back(Editing() ? "editing" : "browsing"); }
};

// Values of one field over all records, in the data set's current order.
std::vector<std::string> Column(TDataSet* ds, const char* field = "Name");

// Counts a data set event.
struct EventCounter {
    int count = 0;
    void Hit(TDataSet*) { ++count; }
    TDataSetNotifyEvent Event() { return MakeEvent(this, &EventCounter::Hit); }
};

}  // namespace dbtest
