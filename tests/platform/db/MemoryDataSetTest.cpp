// The memory data set's own rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <numeric>
#include <optional>

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

// Sorting by one number: signs, values far apart (which differ only in high
// bytes) and close together, ties and nulls, in both directions, must give the
// order a stable comparison gives: nulls first ascending and last descending,
// equal values in their previous order.
TEST_F(MemoryDataSetTest, NumberSortsOrderSignsTiesAndNullsAsAStableCompare) {
    auto* mem = new TStMemoryData(owner.get());
    mem->FieldDefs()->Add("Tag", ftString, 8);
    mem->FieldDefs()->Add("Count", ftLargeint);
    mem->FieldDefs()->Add("Ratio", ftFloat);
    mem->FieldDefs()->Add("Flag", ftBoolean);
    mem->Open();
    struct Row {
        const char* tag;
        std::optional<int64_t> count;
        std::optional<double> ratio;
        std::optional<bool> flag;
    };
    const Row rows[] = {
        {"a", 5, 0.5, true},
        {"b", -3, -2.25, false},
        {"c", std::nullopt, std::nullopt, std::nullopt},
        {"d", INT64_MAX, 1e300, true},
        {"e", 5, 0.5, std::nullopt},
        {"f", INT64_MIN + 1, -1e300, false},
        {"g", int64_t(1) << 40, 0.0, true},
        {"h", -1, -0.5, false},
        {"i", std::nullopt, std::nullopt, true},
        {"j", 256, 256.0, false},
        {"k", 0, -0.0, std::nullopt},
        {"l", -(int64_t(1) << 40), 2.5, true},
    };
    for (const Row& r : rows) {
        mem->Append();
        mem->FieldByName("Tag")->SetAsString(r.tag);
        if (r.count) mem->FieldByName("Count")->SetAsLargeInt(*r.count);
        if (r.ratio) mem->FieldByName("Ratio")->SetAsFloat(*r.ratio);
        if (r.flag) mem->FieldByName("Flag")->SetAsBoolean(*r.flag);
        mem->Post();
    }
    // The expected order of the tags for one field as numbers (nullopt for null).
    auto expected = [&](auto value, bool descending) {
        std::vector<size_t> order(std::size(rows));
        std::iota(order.begin(), order.end(), size_t(0));
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            const auto x = value(rows[a]), y = value(rows[b]);
            if (!x || !y) return descending ? (x && !y) : (!x && y);
            return descending ? *y < *x : *x < *y;
        });
        std::vector<std::string> tags;
        for (size_t i : order) tags.push_back(rows[i].tag);
        return tags;
    };
    auto count = [](const Row& r) { return r.count; };
    auto ratio = [](const Row& r) { return r.ratio; };
    auto flag = [](const Row& r) { return r.flag ? std::optional<int>(*r.flag) : std::nullopt; };
    for (bool descending : {false, true}) {
        const char* dir = descending ? " DESC" : "";
        SCOPED_TRACE(dir);
        mem->SetSort(std::string("Count") + dir);
        EXPECT_EQ(Column(mem, "Tag"), expected(count, descending));
        mem->SetSort(std::string("Ratio") + dir);
        EXPECT_EQ(Column(mem, "Tag"), expected(ratio, descending));
        mem->SetSort(std::string("Flag") + dir);
        EXPECT_EQ(Column(mem, "Tag"), expected(flag, descending));
    }
}

}  // namespace
