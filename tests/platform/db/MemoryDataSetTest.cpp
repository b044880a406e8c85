// The memory data set's own rules.
#include <gtest/gtest.h>

#include <cstring>

#include "DbTestSupport.h"

using namespace dbtest;

namespace {

int32_t RecordId(const TBookmarkStr& b) {
    int32_t id = 0;
    if (b.size() == sizeof id) std::memcpy(&id, b.data(), sizeof id);
    return id;
}

class MemoryDataSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ds = new TStMemoryData(owner.get());
        ds->FieldDefs()->Add("GroupName", ftString, 100);
        ds->FieldDefs()->Add("GroupUser", ftString, 40);
        ds->Open();
    }
    void Add(const char* name, const char* user) {
        ds->Append();
        ds->FieldByName("GroupName")->SetAsString(name);
        ds->FieldByName("GroupUser")->SetAsString(user);
        ds->Post();
    }
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TStMemoryData* ds = nullptr;
};

TEST_F(MemoryDataSetTest, ClosingEmptiesAndRecordIdsStartAgain) {
    Add("Main", "me");
    EXPECT_EQ(RecordId(ds->Bookmark()), -2147483647);
    Add("Test", "you");
    EXPECT_EQ(RecordId(ds->Bookmark()), -2147483646);
    ds->Close();
    ds->Open();
    EXPECT_TRUE(ds->IsEmpty());
    EXPECT_TRUE(ds->Eof() && ds->Bof());
    EXPECT_EQ(ds->RecNo(), 0);
    Add("Other", "");
    EXPECT_EQ(RecordId(ds->Bookmark()), -2147483647);
    EXPECT_TRUE(ds->FieldByName("GroupUser")->IsNull());  // empty text reads back as null
}

TEST_F(MemoryDataSetTest, LocateTriesTheCurrentRecordFirstAndStaysWhenNothingMatches) {
    Add("Main", "a");
    Add("Mainframe", "b");
    Add("Backup", "c");
    ds->Last();
    EXPECT_FALSE(ds->Locate("GroupName", "Nowhere", {}));
    EXPECT_EQ(ds->FieldByName("GroupName")->AsString(), "Backup");
    ds->SetRecNo(2);
    EXPECT_TRUE(ds->Locate("GroupName", "MAIN", {loCaseInsensitive, loPartialKey}));
    EXPECT_EQ(ds->RecNo(), 2);  // Mainframe is current and matches
    ds->Close();
    ds->Open();
    EXPECT_FALSE(ds->Locate("GroupName", "Main", {}));
}

TEST_F(MemoryDataSetTest, PersistentFieldsDefineTheColumnsAndAutoIncCountsFromOne) {
    auto* mem = new TStMemoryData(owner.get());
    auto* id = new TAutoIncField(owner.get());
    id->SetFieldName("ID");
    id->SetDataSet(mem);
    auto* title = new TStringField(owner.get());
    title->SetFieldName("Title");
    title->SetSize(4);
    title->SetDataSet(mem);
    for (int round = 0; round < 2; ++round) {
        mem->Open();
        for (const char* t : {"first", "second"}) {
            mem->Append();
            title->SetAsString(t);
            mem->Post();
        }
        EXPECT_EQ(Column(mem, "ID"), (std::vector<std::string>{"1", "2"}));
        EXPECT_EQ(Column(mem, "Title"), (std::vector<std::string>{"firs", "seco"}));  // cut to the size
        mem->Close();
    }
    EXPECT_EQ(mem->FieldCount(), 2);

    auto* odd = new TStMemoryData(owner.get());
    odd->FieldDefs()->Add("Blob", ftADT);
    try {
        odd->Open();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'Blob' is of an unknown type");
    }
    EXPECT_FALSE(odd->Active());
}

TEST_F(MemoryDataSetTest, ReadOnlyFieldsAndValidationRefuseWrites) {
    Add("Main", "a");
    TField* name = ds->FieldByName("GroupName");
    name->SetReadOnly(true);
    ds->Edit();
    try {
        name->SetAsString("x");
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'GroupName' cannot be modified");
    }
    name->SetReadOnly(false);
    struct Guard {
        void Check(TField* f) {
            if (f->AsString() == "bad") throw EDatabaseError("refused");
        }
    } guard;
    name->OnValidate = MakeEvent(&guard, &Guard::Check);
    EXPECT_THROW(name->SetAsString("bad"), EDatabaseError);
    EXPECT_EQ(name->AsString(), "Main");
    EXPECT_FALSE(ds->Modified());
    name->SetAsString("good");
    EXPECT_TRUE(ds->Modified());
    ds->Post();
    EXPECT_EQ(name->AsString(), "good");
}

TEST_F(MemoryDataSetTest, SortNamingAnUnknownFieldFailsTheOpenAlsoWithoutRows) {
    // An empty data set must not take the sort and fail only once rows arrive.
    ds->Close();
    ds->SetSort("GroupName, Nope");
    EXPECT_THROW(ds->Open(), EDatabaseError);
    EXPECT_FALSE(ds->Active());
    ds->SetSort("GroupUser DESC");
    ds->Open();
    Add("Main", "a");
    Add("Test", "b");
    ds->Refresh();
    EXPECT_EQ(Column(ds, "GroupName"), (std::vector<std::string>{"Test", "Main"}));
}

}  // namespace
