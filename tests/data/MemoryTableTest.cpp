// The database groups' in-memory table, as the data module defines it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <tuple>

#include "data/StMemoryDataset.h"
#include "tests/data/DataTestSupport.h"

using namespace datatest;

namespace {

int32_t RecordId(const TBookmarkStr& b) {
    int32_t id = 0;
    if (b.size() == sizeof id) std::memcpy(&id, b.data(), sizeof id);
    return id;
}

void AddGroup(TStMemoryData* groups, const char* name, const char* user, const char* path) {
    groups->Append();
    groups->FieldByName("GroupName")->SetAsString(name);
    groups->FieldByName("GroupUser")->SetAsString(user);
    groups->FieldByName("GroupPath")->SetAsString(path);
    groups->Post();
}

}  // namespace

TEST(MemoryTable, GroupsAreLocatedByNameWithTheOptionsAsked) {
    auto dm = MakeDataModule();
    TStMemoryData* groups = dm->viewGroup;
    groups->Open();
    AddGroup(groups, "Main", "me", "/data/Tesk.mdb");
    AddGroup(groups, "Test", "", "/data/Test.mdb");
    AddGroup(groups, "Backup", "you", "/data/Backup.mdb");
    EXPECT_EQ(groups->RecordCount(), 3);
    try {
        groups->FieldByName("GroupName")->SetAsString("x");
        ADD_FAILURE() << "written in browse mode";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Dataset not in edit or insert mode");
    }

    ASSERT_TRUE(groups->Locate("GroupName", AnsiString("Test"), {}));
    EXPECT_EQ(groups->RecNo(), 2);
    EXPECT_TRUE(groups->FieldByName("GroupUser")->IsNull());  // the empty text reads back as null

    struct {
        const char* key;
        TLocateOptions options;
        bool found;
    } const cases[] = {
        {"Main", {}, true},
        {"MAIN", {}, false},
        {"Ma", {}, false},
        {"MAIN", {loCaseInsensitive}, true},
        {"Ma", {loPartialKey}, true},
        {"ma", {loPartialKey}, false},
        {"ma", {loCaseInsensitive, loPartialKey}, true},
        {"Mainframe", {loPartialKey}, false},
    };
    for (const auto& c : cases) {
        groups->Last();
        EXPECT_EQ(groups->Locate("GroupName", AnsiString(c.key), c.options), c.found) << c.key;
        // Found: the row is current; not found: the row stays where it was.
        EXPECT_EQ(groups->FieldByName("GroupName")->AsString(), c.found ? "Main" : "Backup") << c.key;
    }
}

TEST(MemoryTable, ClosingEmptiesTheTableAndRecordIdsStartAgain) {
    auto dm = MakeDataModule();
    TStMemoryData* groups = dm->viewGroup;
    for (int round = 0; round < 2; ++round) {
        groups->Open();
        EXPECT_TRUE(groups->IsEmpty());
        AddGroup(groups, "Main", "me", "/a");
        EXPECT_EQ(RecordId(groups->Bookmark()), -2147483647);
        AddGroup(groups, "Test", "me", "/b");
        EXPECT_EQ(RecordId(groups->Bookmark()), -2147483646);
        groups->Close();
    }
}

namespace {

// A source table of three rows: Code, Name, Score.
std::unique_ptr<TStMemoryData> MakeSource() {
    auto source = std::make_unique<TStMemoryData>(nullptr);
    source->FieldDefs()->Add("Code", ftInteger);
    source->FieldDefs()->Add("Name", ftString, 20);
    source->FieldDefs()->Add("Score", ftInteger);
    source->Open();
    for (auto [code, name, score] : {std::tuple{1, "Main", 10}, {2, "Side", 20}, {3, "Old", 30}}) {
        source->Append();
        source->FieldByName("Code")->SetAsInteger(code);
        source->FieldByName("Name")->SetAsString(name);
        source->FieldByName("Score")->SetAsInteger(score);
        source->Post();
    }
    return source;
}

// "Code:Name:Score" of every row in order.
std::vector<std::string> Rows(TDataSet* ds) {
    std::vector<std::string> rows;
    for (ds->First(); !ds->Eof(); ds->Next())
        rows.push_back(ds->FieldByName("Code")->AsString() + ":" + ds->FieldByName("Name")->AsString() + ":" +
                       ds->FieldByName("Score")->AsString());
    return rows;
}

void Edit(TDataSet* ds, int code, int score) {
    ASSERT_TRUE(ds->Locate("Code", code, TLocateOptions()));
    ds->Edit();
    ds->FieldByName("Score")->SetAsInteger(score);
    ds->Post();
}

void Add(TDataSet* ds, int code, const char* name, int score) {
    ds->Append();
    ds->FieldByName("Code")->SetAsInteger(code);
    ds->FieldByName("Name")->SetAsString(name);
    ds->FieldByName("Score")->SetAsInteger(score);
    ds->Post();
}

}  // namespace

// Rows taken from a source, changed, and written back: the status field
// says what happened to each row and the apply replays exactly that.
TEST(MemoryTable, ChangesAreTrackedAndAppliedToTheSource) {
    auto source = MakeSource();
    TStMemoryData table(nullptr);
    table.SetDataSet(source.get());
    table.SetLoadStructure(true);
    table.SetLoadRecords(true);
    table.SetApplyMode(amMerge);
    table.SetIndexFieldNames("Code");
    table.Open();

    ASSERT_EQ(table.FieldCount(), 4);
    TField* status = table.Fields()->Fields(3);
    EXPECT_EQ(status->FieldName(), "C67F70Z90");
    EXPECT_FALSE(status->Visible());
    EXPECT_EQ(Rows(&table), (std::vector<std::string>{"1:Main:10", "2:Side:20", "3:Old:30"}));
    for (table.First(); !table.Eof(); table.Next()) EXPECT_EQ(table.RecordStatus(), TStMemoryData::rsUnchanged);

    Edit(&table, 2, 25);
    Edit(&table, 2, 26);
    EXPECT_EQ(table.RecordStatus(), TStMemoryData::rsUpdated);
    Add(&table, 4, "New", 40);
    EXPECT_EQ(table.RecordStatus(), TStMemoryData::rsInserted);
    Edit(&table, 4, 41);
    EXPECT_EQ(table.RecordStatus(), TStMemoryData::rsInserted);
    ASSERT_TRUE(table.Locate("Code", 3, TLocateOptions()));
    table.Delete();
    // A row the source never held leaves nothing to delete there.
    Add(&table, 5, "Temp", 50);
    table.Delete();
    ASSERT_EQ(table.DeletedKeys().size(), 1u);
    EXPECT_EQ(table.DeletedKeys()[0].AsInteger(), 3);
    EXPECT_EQ(Rows(source.get()), (std::vector<std::string>{"1:Main:10", "2:Side:20", "3:Old:30"}));

    table.ApplyChanges();
    EXPECT_EQ(Rows(source.get()), (std::vector<std::string>{"1:Main:10", "2:Side:26", "4:New:41"}));
    EXPECT_TRUE(table.DeletedKeys().empty());
    for (table.First(); !table.Eof(); table.Next()) EXPECT_EQ(table.RecordStatus(), TStMemoryData::rsUnchanged);
    // Nothing left to apply: a second apply changes nothing.
    table.ApplyChanges();
    EXPECT_EQ(Rows(source.get()), (std::vector<std::string>{"1:Main:10", "2:Side:26", "4:New:41"}));

    // A row the source lost meanwhile: skipped, or refused with ExactApply.
    Edit(&table, 1, 11);
    ASSERT_TRUE(source->Locate("Code", 1, TLocateOptions()));
    source->Delete();
    table.SetExactApply(true);
    try {
        table.ApplyChanges();
        ADD_FAILURE() << "applied";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Record not found");
    }
    table.SetExactApply(false);
    table.ApplyChanges();
    EXPECT_EQ(Rows(source.get()), (std::vector<std::string>{"2:Side:26", "4:New:41"}));

    // Without an apply mode there is no status field.
    table.Close();
    table.SetApplyMode(amNone);
    table.Open();
    EXPECT_EQ(table.FieldCount(), 3);
    EXPECT_EQ(table.FindField("C67F70Z90"), nullptr);
}

TEST(MemoryTable, AppendModeAppliesOnlyNewRowsAndTheSourceCanBeClosedAfterLoading) {
    auto source = MakeSource();
    TStMemoryData table(nullptr);
    table.SetDataSet(source.get());
    table.SetLoadStructure(true);
    table.SetLoadRecords(true);
    table.SetDataSetClosed(true);
    table.SetApplyMode(amAppend);
    table.SetCapacity(100);
    table.Open();
    EXPECT_FALSE(source->Active());
    EXPECT_EQ(table.RecordCount(), 3);
    Edit(&table, 1, 99);
    Add(&table, 7, "Seven", 70);
    ASSERT_TRUE(table.Locate("Code", 2, TLocateOptions()));
    table.Delete();
    source->Open();  // a closed memory table is empty again
    table.ApplyChanges();
    EXPECT_EQ(Rows(source.get()), (std::vector<std::string>{"7:Seven:70"}));

    // Copying on request, both ways, by field name.
    TStMemoryData copy(nullptr);
    copy.CopyStructure(&table);
    EXPECT_EQ(copy.FieldDefs()->Count(), 3);  // without the status field
    copy.LoadFromDataSet(&table);
    EXPECT_EQ(Rows(&copy), (std::vector<std::string>{"1:Main:99", "3:Old:30", "7:Seven:70"}));
    copy.SaveToDataSet(source.get());
    EXPECT_EQ(source->RecordCount(), 4);
    EXPECT_EQ(table.Capacity(), 100);
}

TEST(MemoryTable, RecordObjectsAddMoveAndRemoveRows) {
    auto table = MakeSource();
    auto* added = new TStMemoryRecord(table.get());
    EXPECT_EQ(added->Owner(), table.get());
    EXPECT_EQ(added->ID(), -2147483647 + 3);
    EXPECT_EQ(added->Index(), 3);
    EXPECT_EQ(table->RecordCount(), 4);
    auto* first = new TStMemoryRecord(table.get(), 0);
    EXPECT_EQ(first->Index(), 0);
    EXPECT_EQ(RecordId(table->Bookmark()), first->ID());
    table->Edit();
    table->FieldByName("Name")->SetAsString("First");
    table->Post();

    first->SetIndex(2);
    EXPECT_EQ(first->Index(), 2);
    EXPECT_EQ(first->Values("Name").AsString(), "First");
    std::vector<std::string> names;
    for (table->First(); !table->Eof(); table->Next()) names.push_back(table->FieldByName("Name")->AsString());
    EXPECT_EQ(names, (std::vector<std::string>{"Main", "Side", "First", "Old", ""}));

    delete first;
    EXPECT_EQ(table->RecordCount(), 4);
    table->Close();
    EXPECT_EQ(added->Owner(), nullptr);
    EXPECT_EQ(added->Index(), -1);
    delete added;  // nothing left to remove
}

TEST(MemoryTable, BlobsAreReadAndWrittenThroughStreams) {
    TStMemoryData table(nullptr);
    table.FieldDefs()->Add("Notes", ftMemo);
    table.Open();
    TField* notes = table.FieldByName("Notes");
    try {
        table.CreateBlobStream(notes, bmRead);
        ADD_FAILURE() << "a stream without a record";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "No data found");
    }
    table.Append();
    {
        auto stream = table.CreateBlobStream(notes, bmWrite);
        stream->Write("long ", 5);
        stream->Write("text", 4);
    }
    EXPECT_TRUE(table.Modified());
    table.Post();
    EXPECT_EQ(notes->AsString(), "long text");

    auto reader = table.CreateBlobStream(notes, bmRead);
    char buffer[16] = {};
    EXPECT_EQ(reader->Read(buffer, sizeof buffer), 9);
    EXPECT_STREQ(buffer, "long text");
    EXPECT_THROW(reader->Write("x", 1), EDatabaseError);
    // Writing needs edit mode.
    EXPECT_THROW(table.CreateBlobStream(notes, bmReadWrite), EDatabaseError);
}
