// The database groups' in-memory table, as the data module defines it.
#include <gtest/gtest.h>

#include <cstring>

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
