#pragma once
// Sum lists: running sums, averages and counts of a data set's fields, kept
// current by handlers put into the data set's events (each chaining to the
// handler it replaced), and an ordered list of record bookmarks for data sets
// that cannot number their records.
#include <cstdint>
#include <memory>

#include "platform/classes/Collections.h"
#include "platform/classes/Strings.h"
#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtti/TypInfo.h"

enum TGroupOperation : uint8_t { goSum, goAvg, goCount };
TESK_ENUM_INFO(TGroupOperation, goSum, goAvg, goCount)

class TDBSumListProducer;

// One aggregate. Values are Currency: a field value enters as round(v * 10000)
// (ties to even), one counted record as 10000.
class TDBSum : public TCollectionItem {
    TESK_CLASS(TDBSum, TCollectionItem)
public:
    explicit TDBSum(TCollection* Collection) : TCollectionItem(Collection) {}
    // From another TDBSum: the operation, the field name, the old value and the value.
    void Assign(TPersistent* Source) override;

    const AnsiString& FieldName() const { return fieldName_; }
    void SetFieldName(const AnsiString& Value);
    TGroupOperation GroupOperation() const { return groupOperation_; }
    void SetGroupOperation(TGroupOperation Value);

    // The aggregate a footer shows.
    Currency SumValue() const { return sumValue_; }
    void SetSumValue(Currency Value) { sumValue_ = Value; }
    // The current record's contribution before the edit or insert under way.
    Currency OldValue() const { return oldValue_; }
    // The field's value before the edit under way (Null for an insert).
    const Variant& OldVarValue() const { return oldVarValue_; }
    // Behind an average: the non-null values counted and their sum.
    int AvgCount() const { return avgCount_; }
    Currency AvgSum() const { return avgSum_; }

private:
    friend class TDBSumListProducer;
    AnsiString fieldName_;
    TGroupOperation groupOperation_ = goSum;
    Currency oldValue_;
    int avgCount_ = 0;
    Currency avgSum_;
    Variant oldVarValue_;
    Currency sumValue_;
    // The contribution of a record whose delete is under way.
    Currency deleteValue_;
    bool deleteNull_ = false;
};

class TDBSumCollection : public TOwnedCollection {
    TESK_CLASS(TDBSumCollection, TOwnedCollection)
public:
    explicit TDBSumCollection(TDBSumListProducer* AOwner);
    TDBSum* Items(int Index) const { return static_cast<TDBSum*>(TCollection::Items(Index)); }
    TDBSum* Add() { return static_cast<TDBSum*>(TCollection::Add()); }
    // The first sum with that operation whose field name equals FieldName
    // ignoring letter case; nullptr when none.
    TDBSum* FindSum(TGroupOperation GroupOperation, const AnsiString& FieldName) const;

protected:
    // Recounts everything unless the owning component is loading or going.
    void Update(TCollectionItem* Item) override;

private:
    TDBSumListProducer* producer_;
};

class TDBSumListProducer : public TPersistent {
    TESK_CLASS(TDBSumListProducer, TPersistent)
public:
    // Active starts on; nothing is hooked until a data set is set and the owner has loaded.
    explicit TDBSumListProducer(TComponent* AOwner);
    ~TDBSumListProducer() override;
    void Assign(TPersistent* Source) override;

    TComponent* Owner() const { return owner_; }
    bool Active() const { return active_; }
    void SetActive(bool Value);
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* Value);
    bool ExternalRecalc() const { return externalRecalc_; }
    void SetExternalRecalc(bool Value);
    bool VirtualRecords() const { return virtualRecords_; }
    void SetVirtualRecords(bool Value);
    // When off (the default), nothing is hooked or counted while the owner is designed.
    bool DesignTimeWork() const { return designTimeWork_; }
    void SetDesignTimeWork(bool Value) { designTimeWork_ = Value; }
    TDBSumCollection* SumCollection() const { return sumCollection_.get(); }
    bool Hooked() const { return hooked_; }
    TDataSet* MasterDataSet() const { return masterDataSet_; }
    // The bookmarks of every record in data-set order (virtual records).
    TStringList* BookmarkList() const { return bookmarks_.get(); }

    // From the owner's Loaded, once the owner's loading has ended: activates
    // with a recount when a data set is set and Active is on.
    void Loaded();

    // Raised after a recount has cleared the sums, before the walk.
    TNotifyEvent OnRecalcAll;
    // Raised after the walk.
    TNotifyEvent OnAfterRecalcAll;
    // Raised after every change of the aggregates.
    TNotifyEvent SumListChanged;

    virtual int GetRecNo();
    virtual int IndexOfBookmark(const TBookmarkStr& Bookmark);
    virtual void SetRecNo(int Value);
    virtual void DataSetAfterCancel(TDataSet* DataSet);
    virtual void DataSetAfterClose(TDataSet* DataSet);
    virtual void DataSetAfterEdit(TDataSet* DataSet);
    virtual void DataSetAfterInsert(TDataSet* DataSet);
    virtual void DataSetAfterOpen(TDataSet* DataSet);
    virtual void DataSetAfterPost(TDataSet* DataSet);
    virtual void DataSetAfterScroll(TDataSet* DataSet);
    virtual void DataSetBeforeDelete(TDataSet* DataSet);
    virtual void UnhookDataSetEvents();
    void ForgetSavedHandlers();
    virtual bool IsSequenced();
    virtual int GetRecordCount();
    virtual void ClearSumValues();
    virtual void RecalcAll();
    virtual void HookDataSetEvents();
    // The sums lose a deleted record only once its delete has succeeded.
    virtual void DataSetAfterDelete(TDataSet* DataSet);

protected:
    TPersistent* GetOwner() override { return owner_; }
    void MasterDataSetAfterScroll(TDataSet* DataSet);

private:
    class TWatch;
    friend class TWatch;
    friend class TDBSumCollection;

    bool OwnerLoading() const;
    bool OwnerDesigning() const;
    bool OwnerDestroying() const;
    bool Blocked() const;
    void Activate(bool Recalc);
    void Deactivate(bool Clear);
    bool VirtualMode() const;
    // A sum naming a field the data set does not have counts nothing (its footer stays empty).
    bool Counts(const TDBSum* Sum) const {
        if (Sum->fieldName_.empty()) return Sum->groupOperation_ == goCount;
        return dataSet_ && dataSet_->FindField(Sum->fieldName_);
    }
    // The sum's field on the data set; nullptr for a count without a field name.
    TField* SumField(const TDBSum* Sum) const;
    void RaiseChanged();
    // After a full recount: back to the record the walk started from (the
    // first one when it is gone).
    void ReturnTo(const TBookmarkStr& Bookmark) noexcept;
    static Currency Average(Currency Sum, int Count);
    // A watched data set is gone: forget it without touching it.
    void DataSetFreed(TComponent* AComponent);

    bool virtualRecords_ = false;
    bool calculating_ = false;
    bool active_ = true;
    TDataSet* dataSet_ = nullptr;
    bool designTimeWork_ = false;
    bool hooked_ = false;
    bool externalRecalc_ = false;
    AnsiString savedFilter_;
    bool savedFiltered_ = false;
    TDataSet* masterDataSet_ = nullptr;
    const TPropInfo* masterPropInfo_ = nullptr;
    int bookmarkCursor_ = -1;
    TComponent* owner_;
    std::unique_ptr<TDBSumCollection> sumCollection_;
    bool pendingInsert_ = false;
    bool pendingDelete_ = false;
    TBookmarkStr deleteBookmark_;
    std::unique_ptr<TStringList> bookmarks_;
    std::unique_ptr<TWatch> watch_;

    TDataSetNotifyEvent savedAfterCancel_;
    TDataSetNotifyEvent savedAfterClose_;
    TDataSetNotifyEvent savedAfterEdit_;
    TDataSetNotifyEvent savedAfterInsert_;
    TDataSetNotifyEvent savedAfterOpen_;
    TDataSetNotifyEvent savedAfterPost_;
    TDataSetNotifyEvent savedAfterScroll_;
    TDataSetNotifyEvent savedBeforeDelete_;
    TDataSetNotifyEvent savedAfterDelete_;
    TDataSetNotifyEvent savedMasterAfterScroll_;
};
