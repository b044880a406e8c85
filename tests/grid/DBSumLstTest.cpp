// The sum list against a full recount of an in-memory data set.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "grid/DBSumLst.h"
#include "platform/db/StMemoryDataset.h"
#include "platform/rtti/Published.h"

// A memory data set whose deletes can be refused by the store and which can
// claim not to number its records.
class TSumTestData : public TStMemoryData {
public:
    explicit TSumTestData(TComponent* AOwner) : TStMemoryData(AOwner) {}
    bool IsSequenced() const override { return sequenced; }
    bool failDelete = false;
    bool sequenced = true;

protected:
    void InternalDelete() override {
        if (failDelete) DatabaseError("Delete refused");
    }
};

// A detail data set with a published master source.
class TSumTestDetail : public TSumTestData {
    TESK_CLASS(TSumTestDetail, TComponent)
public:
    explicit TSumTestDetail(TComponent* AOwner) : TSumTestData(AOwner) {}
    TDataSource* MasterSource() const { return master_; }
    void SetMasterSource(TDataSource* Value) { master_ = Value; }

private:
    TDataSource* master_ = nullptr;
};

TESK_PUBLISHED(TSumTestDetail) {
    Property("MasterSource", ClassInfoOf<TComponent>()->TypeInfo(), &T::MasterSource, &T::SetMasterSource);
}

namespace {

struct TCounter {
    int count = 0;
    void Hit(TObject*) { ++count; }
    void HitDataSet(TDataSet*) { ++count; }
    TNotifyEvent Event() { return MakeEvent(this, &TCounter::Hit); }
    TDataSetNotifyEvent DataSetEvent() { return MakeEvent(this, &TCounter::HitDataSet); }
};

// Debris: a float with nulls; Flag: an integer every new record gets 1 in.
class SumListTest : public testing::Test {
protected:
    void SetUp() override {
        ds = new TSumTestData(owner.get());
        ds->FieldDefs()->Add("Name", ftString, 20);
        ds->FieldDefs()->Add("Debris", ftFloat);
        ds->FieldDefs()->Add("Flag", ftInteger);
        ds->OnNewRecord = MakeEvent(this, &SumListTest::NewRecord);
        ds->Open();
        const std::optional<double> debris[] = {5, 2.5, std::nullopt, 10.25, 0.125, std::nullopt, 7};
        int i = 0;
        for (auto d : debris) {
            ds->Append();
            ds->FieldByName("Name")->SetAsString("r" + std::to_string(i++));
            if (d) ds->FieldByName("Debris")->SetAsFloat(*d);
            if (i % 3 == 0) ds->FieldByName("Flag")->Clear();
            ds->Post();
        }
        ds->First();
        list = std::make_unique<TDBSumListProducer>(owner.get());
        Add(goSum, "Debris");
        Add(goAvg, "debris");  // names ignore letter case
        Add(goCount, "");
        Add(goCount, "Debris");
        Add(goCount, "Flag");
    }
    void TearDown() override { list.reset(); }

    void NewRecord(TDataSet* d) { d->FieldByName("Flag")->SetAsInteger(1); }
    void Add(TGroupOperation op, const char* field) {
        TDBSum* sum = list->SumCollection()->Add();
        sum->SetGroupOperation(op);
        sum->SetFieldName(field);
    }

    // The aggregates a walk over every record gives, in the order of the sums.
    std::vector<int64_t> Recount() {
        TBookmarkStr here = ds->Bookmark();
        int64_t sum = 0, all = 0, debrisCount = 0, flags = 0;
        for (ds->First(); !ds->Eof(); ds->Next()) {
            ++all;
            TField* d = ds->FieldByName("Debris");
            if (!d->IsNull()) {
                sum += std::llrint(d->AsFloat() * 10000);
                ++debrisCount;
            }
            if (!ds->FieldByName("Flag")->IsNull()) ++flags;
        }
        if (!here.empty()) ds->GotoBookmark(here);
        int64_t avg = debrisCount ? std::llrint(static_cast<double>(sum) / debrisCount) : 0;
        return {sum, avg, all * 10000, debrisCount * 10000, flags * 10000};
    }
    std::vector<int64_t> Kept() {
        std::vector<int64_t> v;
        for (int i = 0; i < list->SumCollection()->Count(); ++i)
            v.push_back(list->SumCollection()->Items(i)->SumValue().Scaled);
        return v;
    }

    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TSumTestData* ds = nullptr;
    std::unique_ptr<TDBSumListProducer> list;
};

TEST_F(SumListTest, AggregatesStayEqualToAFullRecountThroughAMixOfChanges) {
    list->SetDataSet(ds);
    ASSERT_TRUE(list->Hooked());
    EXPECT_EQ(Kept(), Recount());
    EXPECT_EQ(list->SumCollection()->Items(0)->SumValue().Scaled, 248750);  // 5 + 2.5 + 10.25 + 0.125 + 7

    auto field = [&](const char* name) { return ds->FieldByName(name); };
    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"edit 5 -> 7", [&] { ds->First(); ds->Edit(); field("Debris")->SetAsFloat(7); ds->Post(); }},
        {"edit to null", [&] { ds->SetRecNo(2); ds->Edit(); field("Debris")->Clear(); ds->Post(); }},
        {"edit null to a value", [&] { ds->SetRecNo(3); ds->Edit(); field("Debris")->SetAsFloat(1.5); ds->Post(); }},
        {"edit then cancel", [&] { ds->SetRecNo(4); ds->Edit(); field("Debris")->SetAsFloat(99); ds->Cancel(); }},
        {"insert with a value and a defaulted flag",
         [&] { ds->SetRecNo(2); ds->Insert(); field("Debris")->SetAsFloat(3.25); ds->Post(); }},
        {"insert without a value", [&] { ds->Insert(); ds->Post(); }},
        {"append then cancel", [&] { ds->Append(); field("Debris")->SetAsFloat(50); ds->Cancel(); }},
        {"delete", [&] { ds->SetRecNo(1); ds->Delete(); }},
        {"delete a record with nulls", [&] { ds->SetRecNo(5); ds->Delete(); }},
        {"refused delete", [&] {
             ds->SetRecNo(3);
             ds->failDelete = true;
             EXPECT_THROW(ds->Delete(), EDatabaseError);
             ds->failDelete = false;
         }},
        {"filter on", [&] { ds->SetFilter("Debris > 2"); ds->SetFiltered(true); }},
        {"edit while filtered", [&] { ds->First(); ds->Edit(); field("Debris")->SetAsFloat(4); ds->Post(); }},
        {"filter text changed", [&] { ds->SetFilter("Debris > 4"); }},
        {"filter off", [&] { ds->SetFiltered(false); }},
        {"edit the flag to null", [&] { ds->Last(); ds->Edit(); field("Flag")->Clear(); ds->Post(); }},
        {"insert at the end", [&] { ds->Append(); field("Debris")->SetAsFloat(0.5); ds->Post(); }},
        {"scroll", [&] { ds->First(); ds->Next(); ds->Next(); }},
    };
    for (const auto& [name, step] : steps) {
        SCOPED_TRACE(name);
        step();
        EXPECT_EQ(Kept(), Recount());
    }
    // The data set's controls were left enabled by every recount.
    EXPECT_FALSE(ds->ControlsDisabled());
}

TEST_F(SumListTest, SavedHandlersAreCalledAndRestored) {
    TCounter afterPost, afterScroll, beforeDelete, afterDelete, afterOpen;
    ds->AfterPost = afterPost.DataSetEvent();
    ds->AfterScroll = afterScroll.DataSetEvent();
    ds->BeforeDelete = beforeDelete.DataSetEvent();
    ds->AfterDelete = afterDelete.DataSetEvent();
    ds->AfterOpen = afterOpen.DataSetEvent();
    list->SetDataSet(ds);
    EXPECT_NE(ds->AfterPost, afterPost.DataSetEvent());

    ds->First();
    ds->Next();
    ds->Edit();
    ds->FieldByName("Debris")->SetAsFloat(1);
    ds->Post();
    ds->Delete();
    ds->Close();
    ds->Open();
    EXPECT_EQ(afterPost.count, 1);
    EXPECT_GE(afterScroll.count, 2);
    EXPECT_EQ(beforeDelete.count, 1);
    EXPECT_EQ(afterDelete.count, 1);
    EXPECT_EQ(afterOpen.count, 1);
    // Reopened: the list counted the empty set (a memory data set empties on close).
    EXPECT_EQ(Kept(), Recount());

    list->SetActive(false);
    EXPECT_FALSE(list->Hooked());
    EXPECT_EQ(ds->AfterPost, afterPost.DataSetEvent());
    EXPECT_EQ(ds->AfterScroll, afterScroll.DataSetEvent());
    EXPECT_EQ(ds->BeforeDelete, beforeDelete.DataSetEvent());
    EXPECT_EQ(ds->AfterDelete, afterDelete.DataSetEvent());
    EXPECT_EQ(ds->AfterOpen, afterOpen.DataSetEvent());
    EXPECT_FALSE(ds->AfterEdit);
    EXPECT_EQ(Kept(), std::vector<int64_t>(5, 0));
}

TEST_F(SumListTest, ARecountThatFailsLeavesTheControlsEnabledAndLaterRecountsWork) {
    list->SetDataSet(ds);
    TCounter recalcs;
    list->OnRecalcAll = recalcs.Event();
    EXPECT_THROW(Add(goSum, "Name"), Exception);  // "r0" is no number
    EXPECT_FALSE(ds->ControlsDisabled());
    list->SumCollection()->Delete(list->SumCollection()->Count() - 1);
    EXPECT_EQ(Kept(), Recount());
    // A sum naming a field the data set lacks counts nothing, and never fails the recount.
    EXPECT_NO_THROW(Add(goSum, "Missing"));
    EXPECT_FALSE(ds->ControlsDisabled());
    list->SumCollection()->Delete(list->SumCollection()->Count() - 1);
    EXPECT_EQ(Kept(), Recount());
    // Scroll-driven recounts still run (the list is not stuck "calculating").
    int before = recalcs.count;
    ds->SetFiltered(true);
    EXPECT_EQ(recalcs.count, before + 1);
}

TEST_F(SumListTest, ExternalRecalcOnlyClearsAndAsksTheOwner) {
    list->SetDataSet(ds);
    TCounter recalc, after;
    list->OnRecalcAll = recalc.Event();
    list->OnAfterRecalcAll = after.Event();
    list->SetExternalRecalc(true);
    EXPECT_EQ(recalc.count, 1);
    EXPECT_EQ(after.count, 0);
    EXPECT_EQ(Kept(), std::vector<int64_t>(5, 0));
    list->SetExternalRecalc(false);
    EXPECT_EQ(after.count, 1);
    EXPECT_EQ(Kept(), Recount());
}

TEST_F(SumListTest, NothingIsHookedWhileTheOwnerLoads) {
    owner->SetComponentStateBits(csLoading);
    list->SetDataSet(ds);
    EXPECT_FALSE(list->Hooked());
    EXPECT_FALSE(ds->AfterPost);
    // The owner's Loaded ends its loading first, then hands on.
    owner->ClearComponentStateBits(csLoading);
    list->Loaded();
    EXPECT_TRUE(list->Hooked());
    EXPECT_EQ(Kept(), Recount());
}

TEST_F(SumListTest, FindSumComparesFieldNamesIgnoringCase) {
    TDBSumCollection* sums = list->SumCollection();
    EXPECT_EQ(sums->FindSum(goAvg, "DEBRIS"), sums->Items(1));
    EXPECT_EQ(sums->FindSum(goCount, ""), sums->Items(2));
    EXPECT_EQ(sums->FindSum(goCount, "flag"), sums->Items(4));
    EXPECT_EQ(sums->FindSum(goAvg, "Flag"), nullptr);
}

TEST_F(SumListTest, AFreedDataSetIsDroppedWithoutBeingTouched) {
    list->SetDataSet(ds);
    delete ds;
    ds = nullptr;
    EXPECT_EQ(list->DataSet(), nullptr);
    EXPECT_FALSE(list->Hooked());
    list->SetActive(false);
}

TEST_F(SumListTest, AMasterScrollRecounts) {
    auto* master = new TStMemoryData(owner.get());
    master->FieldDefs()->Add("Key", ftInteger);
    master->Open();
    for (int k = 1; k <= 3; ++k) {
        master->Append();
        master->FieldByName("Key")->SetAsInteger(k);
        master->Post();
    }
    auto* source = new TDataSource(owner.get());
    source->SetDataSet(master);
    auto* detail = new TSumTestDetail(owner.get());
    detail->SetMasterSource(source);
    detail->FieldDefs()->Add("Debris", ftFloat);
    detail->Open();
    TCounter masterScroll, recalcs;
    master->AfterScroll = masterScroll.DataSetEvent();
    list->SumCollection()->Clear();
    list->SetDataSet(detail);
    EXPECT_EQ(list->MasterDataSet(), master);
    list->OnRecalcAll = recalcs.Event();
    master->First();
    master->Next();
    EXPECT_EQ(masterScroll.count, 2);
    EXPECT_EQ(recalcs.count, 2);
    list->SetDataSet(nullptr);
    EXPECT_EQ(master->AfterScroll, masterScroll.DataSetEvent());
}

// Virtual records: a data set that cannot number its records gets them from the list.
TEST_F(SumListTest, VirtualRecordsNumberAnUnsequencedDataSet) {
    ds->sequenced = false;
    list->SetDataSet(ds);
    EXPECT_FALSE(list->IsSequenced());
    list->SetVirtualRecords(true);
    ASSERT_TRUE(list->IsSequenced());
    EXPECT_EQ(list->GetRecordCount(), 7);
    // Look-ups forwards and backwards from the last position found.
    for (int n : {6, 2, 7, 1, 4}) {
        list->SetRecNo(n);
        EXPECT_EQ(ds->FieldByName("Name")->AsString(), "r" + std::to_string(n - 1));
        EXPECT_EQ(list->GetRecNo(), n);
    }

    // An insert in the middle lands in its place once posted; a cancelled one is forgotten.
    list->SetRecNo(3);
    ds->Insert();
    ds->FieldByName("Name")->SetAsString("new");
    ds->Post();
    EXPECT_EQ(list->GetRecordCount(), 8);
    EXPECT_EQ(list->GetRecNo(), 3);
    ds->Append();
    ds->Cancel();
    EXPECT_EQ(list->GetRecordCount(), 8);
    list->SetRecNo(4);
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "r2");

    // A delete takes the bookmark out only when it happens.
    ds->failDelete = true;
    EXPECT_THROW(ds->Delete(), EDatabaseError);
    EXPECT_EQ(list->GetRecordCount(), 8);
    ds->failDelete = false;
    TBookmarkStr deleted = ds->Bookmark();
    ds->Delete();
    EXPECT_EQ(list->GetRecordCount(), 7);
    EXPECT_EQ(list->IndexOfBookmark(deleted), -1);
    list->SetRecNo(7);
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "r6");
    EXPECT_EQ(Kept(), Recount());
}

}  // namespace
