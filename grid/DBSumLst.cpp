#include "grid/DBSumLst.h"

#include <cmath>

#include "grid/DbUtilsGx.h"
#include "grid/GxLibVCL.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"

namespace {

// round(v * 10000), ties to even.
Currency ToCurrency(double Value) { return Currency::FromDouble(Value); }

Currency Add(Currency A, Currency B) { return Currency::FromScaled(A.Scaled + B.Scaled); }
Currency Sub(Currency A, Currency B) { return Currency::FromScaled(A.Scaled - B.Scaled); }

constexpr int64_t kOneRecord = 10000;

}  // namespace

// ---------------------------------------------------------------------------
// TDBSum

void TDBSum::Assign(TPersistent* Source) {
    if (auto* sum = dynamic_cast<TDBSum*>(Source)) {
        SetGroupOperation(sum->groupOperation_);
        SetFieldName(sum->fieldName_);
        oldValue_ = sum->oldValue_;
        sumValue_ = sum->sumValue_;
        return;
    }
    TCollectionItem::Assign(Source);
}

void TDBSum::SetFieldName(const AnsiString& Value) {
    if (Value == fieldName_) return;
    fieldName_ = Value;
    Changed(false);
}

void TDBSum::SetGroupOperation(TGroupOperation Value) {
    if (Value == groupOperation_) return;
    groupOperation_ = Value;
    Changed(false);
}

// ---------------------------------------------------------------------------
// TDBSumCollection

TDBSumCollection::TDBSumCollection(TDBSumListProducer* AOwner)
    : TOwnedCollection(AOwner, ItemClassOf<TDBSum>), producer_(AOwner) {}

TDBSum* TDBSumCollection::FindSum(TGroupOperation GroupOperation, const AnsiString& FieldName) const {
    for (int i = 0; i < Count(); ++i) {
        TDBSum* sum = Items(i);
        if (sum->GroupOperation() == GroupOperation && AnsiCompareTextGx(sum->FieldName(), FieldName) == 0)
            return sum;
    }
    return nullptr;
}

void TDBSumCollection::Update(TCollectionItem* Item) {
    (void)Item;
    if (!producer_ || producer_->OwnerLoading() || producer_->OwnerDestroying()) return;
    producer_->RecalcAll();
}

// ---------------------------------------------------------------------------
// Watching the hooked data sets: one that is freed while hooked is dropped
// without its handlers being written back into it.

class TDBSumListProducer::TWatch : public TComponent {
public:
    explicit TWatch(TDBSumListProducer* Producer) : TComponent(nullptr), producer_(Producer) {}
    const char* ClassName() const override { return "TDBSumListWatch"; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove) producer_->DataSetFreed(AComponent);
    }

private:
    TDBSumListProducer* producer_;
};

// ---------------------------------------------------------------------------
// TDBSumListProducer

TDBSumListProducer::TDBSumListProducer(TComponent* AOwner)
    : owner_(AOwner),
      sumCollection_(std::make_unique<TDBSumCollection>(this)),
      bookmarks_(std::make_unique<TStringList>()),
      watch_(std::make_unique<TWatch>(this)) {}

TDBSumListProducer::~TDBSumListProducer() {
    // Handlers must never outlive the list, whatever state the owner is in.
    active_ = false;
    if (hooked_) UnhookDataSetEvents();
    watch_.reset();
    bookmarks_.reset();
    sumCollection_.reset();
}

void TDBSumListProducer::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TDBSumListProducer*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    SetActive(source->Active());
    SetDataSet(source->DataSet());
    SetExternalRecalc(source->ExternalRecalc());
    sumCollection_->Assign(source->SumCollection());
    SumListChanged = source->SumListChanged;
    SetVirtualRecords(source->VirtualRecords());
    OnAfterRecalcAll = source->OnAfterRecalcAll;
    OnRecalcAll = source->OnRecalcAll;
}

bool TDBSumListProducer::OwnerLoading() const { return owner_ && owner_->InState(csLoading); }
bool TDBSumListProducer::OwnerDesigning() const { return owner_ && owner_->InState(csDesigning); }
bool TDBSumListProducer::OwnerDestroying() const { return owner_ && owner_->InState(csDestroying); }

bool TDBSumListProducer::Blocked() const { return OwnerLoading() || (OwnerDesigning() && !designTimeWork_); }

void TDBSumListProducer::Activate(bool Recalc) {
    active_ = true;
    if (Blocked()) return;
    HookDataSetEvents();
    if (Recalc) RecalcAll();
}

void TDBSumListProducer::Deactivate(bool Clear) {
    active_ = false;
    if (Blocked()) return;
    UnhookDataSetEvents();
    if (Clear) ClearSumValues();
}

void TDBSumListProducer::SetActive(bool Value) {
    if (Value == active_) return;
    if (Value)
        Activate(true);
    else
        Deactivate(true);
}

void TDBSumListProducer::SetDataSet(TDataSet* Value) {
    if (Value && Value == dataSet_ && Value->InState(csDestroying)) {
        UnhookDataSetEvents();
        dataSet_ = nullptr;
        return;
    }
    if (Value == dataSet_) return;
    if (OwnerLoading() || (OwnerDesigning() && !designTimeWork_)) {
        dataSet_ = Value;
        return;
    }
    bool wasActive = active_;
    Deactivate(true);
    dataSet_ = Value;
    if (wasActive) Activate(true);
}

void TDBSumListProducer::SetExternalRecalc(bool Value) {
    externalRecalc_ = Value;
    RecalcAll();
}

void TDBSumListProducer::SetVirtualRecords(bool Value) {
    if (Value == virtualRecords_) return;
    virtualRecords_ = Value;
    if (Value) RecalcAll();
}

void TDBSumListProducer::Loaded() {
    if (dataSet_ && active_) Activate(true);
}

void TDBSumListProducer::DataSetFreed(TComponent* AComponent) {
    if (AComponent == masterDataSet_) {
        masterDataSet_ = nullptr;
        masterPropInfo_ = nullptr;
        savedMasterAfterScroll_.Clear();
    }
    if (AComponent == dataSet_) {
        dataSet_ = nullptr;
        hooked_ = false;
        masterDataSet_ = nullptr;
        masterPropInfo_ = nullptr;
        ForgetSavedHandlers();
        bookmarks_->Clear();
        calculating_ = false;
    }
}

// ----- Hooking -----

void TDBSumListProducer::HookDataSetEvents() {
    if (!dataSet_ || hooked_) return;
    masterPropInfo_ = GetPropInfo(dataSet_, "MasterSource", TypeKinds({tkClass}));
    masterDataSet_ = masterPropInfo_ ? GetDataSourcePropDataSet(dataSet_, masterPropInfo_) : nullptr;

    savedAfterCancel_ = dataSet_->AfterCancel;
    savedAfterClose_ = dataSet_->AfterClose;
    savedAfterEdit_ = dataSet_->AfterEdit;
    savedAfterInsert_ = dataSet_->AfterInsert;
    savedAfterOpen_ = dataSet_->AfterOpen;
    savedAfterPost_ = dataSet_->AfterPost;
    savedAfterScroll_ = dataSet_->AfterScroll;
    savedBeforeDelete_ = dataSet_->BeforeDelete;
    savedAfterDelete_ = dataSet_->AfterDelete;
    dataSet_->AfterCancel = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetAfterCancel);
    dataSet_->AfterClose = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetAfterClose);
    dataSet_->AfterEdit = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetAfterEdit);
    dataSet_->AfterInsert = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetAfterInsert);
    dataSet_->AfterOpen = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetAfterOpen);
    dataSet_->AfterPost = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetAfterPost);
    dataSet_->AfterScroll = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetAfterScroll);
    dataSet_->BeforeDelete = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetBeforeDelete);
    dataSet_->AfterDelete = TDataSetNotifyEvent(this, &TDBSumListProducer::DataSetAfterDelete);
    dataSet_->FreeNotification(watch_.get());
    if (masterDataSet_) {
        savedMasterAfterScroll_ = masterDataSet_->AfterScroll;
        masterDataSet_->AfterScroll = TDataSetNotifyEvent(this, &TDBSumListProducer::MasterDataSetAfterScroll);
        masterDataSet_->FreeNotification(watch_.get());
    }
    hooked_ = true;
}

void TDBSumListProducer::UnhookDataSetEvents() {
    if (dataSet_ && hooked_) {
        dataSet_->AfterCancel = savedAfterCancel_;
        dataSet_->AfterClose = savedAfterClose_;
        dataSet_->AfterEdit = savedAfterEdit_;
        dataSet_->AfterInsert = savedAfterInsert_;
        dataSet_->AfterOpen = savedAfterOpen_;
        dataSet_->AfterPost = savedAfterPost_;
        dataSet_->AfterScroll = savedAfterScroll_;
        dataSet_->BeforeDelete = savedBeforeDelete_;
        dataSet_->AfterDelete = savedAfterDelete_;
        dataSet_->RemoveFreeNotification(watch_.get());
        if (masterDataSet_) {
            masterDataSet_->AfterScroll = savedMasterAfterScroll_;
            masterDataSet_->RemoveFreeNotification(watch_.get());
        }
    }
    ForgetSavedHandlers();
    masterDataSet_ = nullptr;
    masterPropInfo_ = nullptr;
    hooked_ = false;
    pendingInsert_ = false;
    pendingDelete_ = false;
    bookmarks_->Clear();
}

// ----- Counting -----

TField* TDBSumListProducer::SumField(const TDBSum* Sum) const {
    return Sum->fieldName_.empty() ? nullptr : dataSet_->FindField(Sum->fieldName_);
}

Currency TDBSumListProducer::Average(Currency Sum, int Count) {
    if (Count == 0) return Currency();
    return Currency::FromScaled(std::llrint(static_cast<double>(Sum.Scaled) / Count));
}

void TDBSumListProducer::RaiseChanged() {
    if (SumListChanged) SumListChanged(this);
}

void TDBSumListProducer::ClearSumValues() {
    for (int i = 0; i < sumCollection_->Count(); ++i) {
        TDBSum* sum = sumCollection_->Items(i);
        sum->sumValue_ = Currency();
        sum->oldValue_ = Currency();
        sum->avgSum_ = Currency();
        sum->avgCount_ = 0;
    }
    pendingDelete_ = false;
    RaiseChanged();
}

void TDBSumListProducer::RecalcAll() {
    if (OwnerDesigning() && !designTimeWork_) return;
    if (OwnerLoading() || !active_ || !dataSet_ || !dataSet_->Active() || !hooked_) return;
    ClearSumValues();
    bookmarkCursor_ = -1;
    if (OnRecalcAll) OnRecalcAll(this);
    if (!externalRecalc_) {
        bool walk = !dataSet_->IsSequenced() && virtualRecords_;
        for (int i = 0; i < sumCollection_->Count() && !walk; ++i) walk = Counts(sumCollection_->Items(i));
        if (walk) {
            bool keepBookmarks = !dataSet_->IsSequenced() && virtualRecords_;
            // The walk ends where the user was, not on the first record.
            const TBookmarkStr start = dataSet_->IsEmpty() ? TBookmarkStr() : dataSet_->Bookmark();
            dataSet_->DisableControls();
            {
                TScopeGuard enableControls([&] { dataSet_->EnableControls(); });
                TScopeGuard stopOnFailure([&] { calculating_ = false; });
                TScopeGuard returnToStart([&] { ReturnTo(start); });
                bookmarks_->Clear();
                calculating_ = true;
                dataSet_->First();
                while (!dataSet_->Eof()) {
                    for (int i = 0; i < sumCollection_->Count(); ++i) {
                        TDBSum* sum = sumCollection_->Items(i);
                        if (!Counts(sum)) continue;
                        TField* field = SumField(sum);
                        bool null = field && field->IsNull();
                        switch (sum->groupOperation_) {
                            case goSum:
                                if (!null) sum->sumValue_ = Add(sum->sumValue_, ToCurrency(field->AsFloat()));
                                break;
                            case goAvg:
                                if (!null) {
                                    ++sum->avgCount_;
                                    sum->avgSum_ = Add(sum->avgSum_, ToCurrency(field->AsFloat()));
                                }
                                break;
                            case goCount:
                                if (!null) sum->sumValue_ = Add(sum->sumValue_, Currency::FromScaled(kOneRecord));
                                break;
                        }
                    }
                    if (keepBookmarks) bookmarks_->Add(dataSet_->Bookmark());
                    dataSet_->Next();
                }
                for (int i = 0; i < sumCollection_->Count(); ++i) {
                    TDBSum* sum = sumCollection_->Items(i);
                    if (sum->groupOperation_ == goAvg) sum->sumValue_ = Average(sum->avgSum_, sum->avgCount_);
                }
                stopOnFailure.Dismiss();
            }
            if (OnAfterRecalcAll) OnAfterRecalcAll(this);
        }
    }
    savedFiltered_ = dataSet_->Filtered();
    savedFilter_ = dataSet_->Filter();
    calculating_ = false;
    RaiseChanged();
}

void TDBSumListProducer::ReturnTo(const TBookmarkStr& Bookmark) noexcept {
    try {
        if (!Bookmark.empty() && dataSet_->BookmarkValid(Bookmark))
            dataSet_->GotoBookmark(Bookmark);
        else
            dataSet_->First();
    } catch (...) {
        // Positioning after a failed walk must not hide the walk's own error.
    }
}

// ----- Incremental updates -----

void TDBSumListProducer::DataSetAfterEdit(TDataSet* DataSet) {
    if (active_) {
        for (int i = 0; i < sumCollection_->Count(); ++i) {
            TDBSum* sum = sumCollection_->Items(i);
            if (!Counts(sum)) continue;
            TField* field = SumField(sum);
            bool null = field && field->IsNull();
            if (sum->groupOperation_ == goCount) {
                sum->oldValue_ = Currency::FromScaled(null ? 0 : kOneRecord);
            } else {
                sum->oldValue_ = null ? Currency() : ToCurrency(field->AsFloat());
                sum->oldVarValue_ = field->Value();
            }
        }
    }
    if (savedAfterEdit_) savedAfterEdit_(DataSet);
}

void TDBSumListProducer::DataSetAfterInsert(TDataSet* DataSet) {
    if (active_) {
        // A new record has contributed nothing yet, whatever defaults its fields got.
        for (int i = 0; i < sumCollection_->Count(); ++i) {
            TDBSum* sum = sumCollection_->Items(i);
            if (!Counts(sum)) continue;
            sum->oldValue_ = Currency();
            sum->oldVarValue_ = Null();
        }
        if (VirtualMode()) {
            // A record being inserted may answer a bookmark that leads nowhere yet.
            TBookmarkStr bookmark = dataSet_->Bookmark();
            if (!bookmark.empty() && dataSet_->BookmarkValid(bookmark))
                bookmarks_->Add(bookmark);
            else
                pendingInsert_ = true;
        }
    }
    if (savedAfterInsert_) savedAfterInsert_(DataSet);
}

void TDBSumListProducer::DataSetAfterPost(TDataSet* DataSet) {
    if (active_) {
        for (int i = 0; i < sumCollection_->Count(); ++i) {
            TDBSum* sum = sumCollection_->Items(i);
            if (!Counts(sum)) continue;
            TField* field = SumField(sum);
            bool null = field && field->IsNull();
            switch (sum->groupOperation_) {
                case goSum:
                    sum->sumValue_ = Sub(sum->sumValue_, sum->oldValue_);
                    if (!null) sum->sumValue_ = Add(sum->sumValue_, ToCurrency(field->AsFloat()));
                    break;
                case goAvg:
                    if (null) {
                        if (!sum->oldVarValue_.IsNull()) --sum->avgCount_;
                        sum->avgSum_ = Sub(sum->avgSum_, sum->oldValue_);
                    } else {
                        if (sum->oldVarValue_.IsNull()) ++sum->avgCount_;
                        sum->avgSum_ = Add(Sub(sum->avgSum_, sum->oldValue_), ToCurrency(field->AsFloat()));
                    }
                    sum->sumValue_ = Average(sum->avgSum_, sum->avgCount_);
                    break;
                case goCount:
                    sum->sumValue_ = Sub(sum->sumValue_, sum->oldValue_);
                    if (!null) sum->sumValue_ = Add(sum->sumValue_, Currency::FromScaled(kOneRecord));
                    break;
            }
        }
        if (VirtualMode() && pendingInsert_) {
            TBookmarkStr current = dataSet_->Bookmark();
            int count = bookmarks_->Count();
            int index = bookmarkCursor_ < 0 || bookmarkCursor_ >= count ? 0 : bookmarkCursor_;
            if (count > 0) {
                while (index > 0 && DataSetCompareBookmarks(dataSet_, (*bookmarks_)[index], current) > 0) --index;
                while (index < count && DataSetCompareBookmarks(dataSet_, (*bookmarks_)[index], current) < 0) ++index;
            }
            bookmarks_->Insert(index, current);
            pendingInsert_ = false;
        }
        RaiseChanged();
    }
    if (savedAfterPost_) savedAfterPost_(DataSet);
}

void TDBSumListProducer::DataSetBeforeDelete(TDataSet* DataSet) {
    if (savedBeforeDelete_) savedBeforeDelete_(DataSet);
    if (!active_) return;
    // Remember what the record gives; it is taken off once the delete has happened.
    for (int i = 0; i < sumCollection_->Count(); ++i) {
        TDBSum* sum = sumCollection_->Items(i);
        if (!Counts(sum)) continue;
        TField* field = SumField(sum);
        sum->deleteNull_ = field && field->IsNull();
        if (sum->groupOperation_ == goCount)
            sum->deleteValue_ = Currency::FromScaled(sum->deleteNull_ ? 0 : kOneRecord);
        else
            sum->deleteValue_ = sum->deleteNull_ ? Currency() : ToCurrency(field->AsFloat());
    }
    deleteBookmark_ = VirtualMode() ? dataSet_->Bookmark() : TBookmarkStr();
    pendingDelete_ = true;
}

void TDBSumListProducer::DataSetAfterDelete(TDataSet* DataSet) {
    if (active_ && pendingDelete_) {
        pendingDelete_ = false;
        for (int i = 0; i < sumCollection_->Count(); ++i) {
            TDBSum* sum = sumCollection_->Items(i);
            if (!Counts(sum)) continue;
            switch (sum->groupOperation_) {
                case goSum:
                case goCount: sum->sumValue_ = Sub(sum->sumValue_, sum->deleteValue_); break;
                case goAvg:
                    sum->avgSum_ = Sub(sum->avgSum_, sum->deleteValue_);
                    if (!sum->deleteNull_) --sum->avgCount_;
                    sum->sumValue_ = Average(sum->avgSum_, sum->avgCount_);
                    break;
            }
        }
        if (VirtualMode() && !deleteBookmark_.empty()) {
            int index = IndexOfBookmark(deleteBookmark_);
            if (index >= 0) bookmarks_->Delete(index);
            if (bookmarkCursor_ >= bookmarks_->Count()) bookmarkCursor_ = bookmarks_->Count() - 1;
        }
        deleteBookmark_.clear();
        RaiseChanged();
    }
    if (savedAfterDelete_) savedAfterDelete_(DataSet);
}

void TDBSumListProducer::DataSetAfterCancel(TDataSet* DataSet) {
    if (savedAfterCancel_) savedAfterCancel_(DataSet);
    pendingInsert_ = false;
}

void TDBSumListProducer::DataSetAfterOpen(TDataSet* DataSet) {
    if (active_) RecalcAll();
    if (savedAfterOpen_) savedAfterOpen_(DataSet);
}

void TDBSumListProducer::DataSetAfterClose(TDataSet* DataSet) {
    if (active_) {
        ClearSumValues();
        calculating_ = false;
        bookmarks_->Clear();
    }
    if (savedAfterClose_) savedAfterClose_(DataSet);
}

void TDBSumListProducer::DataSetAfterScroll(TDataSet* DataSet) {
    if (savedAfterScroll_) savedAfterScroll_(DataSet);
    if (!active_ || calculating_ || !dataSet_) return;
    if ((dataSet_->Filtered() && dataSet_->Filter() != savedFilter_) || dataSet_->Filtered() != savedFiltered_)
        RecalcAll();
}

void TDBSumListProducer::MasterDataSetAfterScroll(TDataSet* DataSet) {
    if (savedMasterAfterScroll_) savedMasterAfterScroll_(DataSet);
    if (active_ && !calculating_) RecalcAll();
}

// ----- Virtual records -----

bool TDBSumListProducer::VirtualMode() const {
    return dataSet_ && !dataSet_->IsSequenced() && virtualRecords_ && active_;
}

bool TDBSumListProducer::IsSequenced() {
    if (dataSet_ && dataSet_->IsSequenced()) return true;
    return dataSet_ && virtualRecords_ && active_ &&
           (bookmarks_->Count() > 0 || (dataSet_->Bof() && dataSet_->Eof()));
}

int TDBSumListProducer::GetRecordCount() {
    if (!dataSet_) return 0;
    return VirtualMode() ? bookmarks_->Count() : dataSet_->RecordCount();
}

int TDBSumListProducer::GetRecNo() {
    if (!dataSet_) return 0;
    return VirtualMode() ? IndexOfBookmark(dataSet_->Bookmark()) + 1 : dataSet_->RecNo();
}

void TDBSumListProducer::SetRecNo(int Value) {
    if (!dataSet_) return;
    if (VirtualMode())
        dataSet_->SetBookmark((*bookmarks_)[Value - 1]);
    else
        dataSet_->SetRecNo(Value);
}

int TDBSumListProducer::IndexOfBookmark(const TBookmarkStr& Bookmark) {
    int count = bookmarks_->Count();
    if (count == 0 || !dataSet_) return -1;
    int index = bookmarkCursor_ < 0 || bookmarkCursor_ >= count ? 0 : bookmarkCursor_;
    int cmp = DataSetCompareBookmarks(dataSet_, (*bookmarks_)[index], Bookmark);
    while (cmp > 0) {
        if (--index < 0) return -1;
        cmp = DataSetCompareBookmarks(dataSet_, (*bookmarks_)[index], Bookmark);
    }
    while (cmp < 0) {
        if (++index >= count) return -1;
        cmp = DataSetCompareBookmarks(dataSet_, (*bookmarks_)[index], Bookmark);
    }
    if (cmp != 0) return -1;
    bookmarkCursor_ = index;
    return index;
}

TESK_PUBLISHED(TDBSum) {
    Property("FieldName", &T::FieldName, &T::SetFieldName);
    Property("GroupOperation", &T::GroupOperation, &T::SetGroupOperation).Default(goSum);
}

TESK_PUBLISHED(TDBSumCollection) {}

TESK_PUBLISHED(TDBSumListProducer) {}

void TDBSumListProducer::ForgetSavedHandlers() {
    for (TDataSetNotifyEvent* e : {&savedAfterCancel_, &savedAfterClose_, &savedAfterEdit_, &savedAfterInsert_,
                                   &savedAfterOpen_, &savedAfterPost_, &savedAfterScroll_, &savedBeforeDelete_,
                                   &savedAfterDelete_, &savedMasterAfterScroll_})
        e->Clear();
}
