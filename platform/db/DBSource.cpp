// TDataSource and TDataLink: how data events reach the controls.
#include <algorithm>

#include "platform/db/DB.h"

#include "platform/rtl/ScopeGuard.h"

// ---------------------------------------------------------------------------
// TDataSource

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    OnStateChange.Clear();
    OnDataChange.Clear();
    SetDataSet(nullptr);
    for (TDataLink* l : std::vector<TDataLink*>(links_)) {
        l->dataSource_ = nullptr;
        l->UpdateState();
    }
    links_.clear();
}

void TDataSource::SetDataSet(TDataSet* Value) {
    if (Value == dataSet_) return;
    if (dataSet_) {
        dataSet_->UnregisterDataSource(this);
        dataSet_->RemoveFreeNotification(this);
    }
    dataSet_ = Value;
    if (Value) {
        Value->RegisterDataSource(this);
        Value->FreeNotification(this);
    }
    UpdateState();
    if (Value) Value->UpdateBufferCount();
}

void TDataSource::SetEnabled(bool Value) {
    if (enabled_ == Value) return;
    enabled_ = Value;
    NotifyLinks(deDisabledStateChange, Value ? 1 : 0);
    UpdateState();
}

void TDataSource::Edit() {
    if (autoEdit_ && dataSet_ && state_ == dsBrowse) dataSet_->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* DataSet) const { return DataSet && DataSet == dataSet_; }

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == dataSet_) {
        dataSet_ = nullptr;
        UpdateState();
    }
}

void TDataSource::UpdateState() {
    TDataSetState state = enabled_ && dataSet_ ? dataSet_->State() : dsInactive;
    if (state == state_) return;
    state_ = state;
    NotifyLinks(deUpdateState, 0);
    if (OnStateChange) OnStateChange(this);
}

void TDataSource::DataEvent(TDataEvent Event, intptr_t Info) {
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (state_ == dsInactive) return;
    NotifyLinks(Event, Info);
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
        if (OnDataChange) OnDataChange(this, reinterpret_cast<TField*>(Info));
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange) OnDataChange(this, nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData) OnUpdateData(this);
        break;
    default: break;
    }
}

void TDataSource::NotifyLinks(TDataEvent Event, intptr_t Info) {
    // Links that are not controls hear it first, as the framework orders it.
    std::vector<TDataLink*> links(links_);
    for (bool visual : {false, true})
        for (TDataLink* l : links)
            if (l->visualControl_ == visual && std::find(links_.begin(), links_.end(), l) != links_.end())
                l->DataEvent(Event, Info);
}

void TDataSource::AddLink(TDataLink* Link) {
    links_.push_back(Link);
    Link->dataSource_ = this;
    if (dataSet_) dataSet_->UpdateBufferCount();
}

void TDataSource::RemoveLink(TDataLink* Link) {
    links_.erase(std::remove(links_.begin(), links_.end(), Link), links_.end());
    Link->dataSource_ = nullptr;
    if (dataSet_) dataSet_->UpdateBufferCount();
}

// ---------------------------------------------------------------------------
// TDataLink

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
    active_ = editing_ = false;
    if (dataSource_) dataSource_->RemoveLink(this);
}

TDataSet* TDataLink::DataSet() const { return dataSource_ ? dataSource_->DataSet() : nullptr; }

void TDataLink::SetDataSource(TDataSource* Value) {
    if (Value == dataSource_) return;
    if (dataSourceFixed_) DatabaseError("Operation not allowed: the data source is fixed");
    if (dataSource_) dataSource_->RemoveLink(this);
    if (Value) Value->AddLink(this);
    UpdateState();
}

void TDataLink::SetReadOnly(bool Value) {
    if (readOnly_ == Value) return;
    readOnly_ = Value;
    UpdateState();
}

void TDataLink::SetBufferCount(int Value) {
    if (Value < 1) Value = 1;
    if (bufferCount_ == Value) return;
    bufferCount_ = Value;
    TDataSet* ds = DataSet();
    if (active_ && ds) ds->UpdateBufferCount();
}

int TDataLink::ActiveRecord() const {
    TDataSet* ds = DataSet();
    if (!active_ || !ds) return 0;
    return ds->activeRecord_ - firstRecord_;
}

void TDataLink::SetActiveRecord(int Value) {
    TDataSet* ds = DataSet();
    if (!active_ || !ds) return;
    ds->activeRecord_ = Value + firstRecord_;
}

int TDataLink::RecordCount() const {
    TDataSet* ds = DataSet();
    if (!active_ || !ds) return 0;
    int n = static_cast<int>(ds->slots_.size()) - firstRecord_;
    return std::clamp(n, 0, bufferCount_);
}

bool TDataLink::Edit() {
    if (!readOnly_ && dataSource_) dataSource_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord() {
    updating_ = true;
    TScopeGuard done([this] { updating_ = false; });
    UpdateData();
}

int TDataLink::MoveBy(int Distance) {
    TDataSet* ds = DataSet();
    return ds ? ds->MoveBy(Distance) : 0;
}

bool TDataLink::ExecuteAction(TBasicAction* Action) {
    (void)Action;
    return false;
}

bool TDataLink::UpdateAction(TBasicAction* Action) {
    (void)Action;
    return false;
}

void TDataLink::UpdateState() {
    bool active = dataSource_ && dataSource_->State() != dsInactive;
    SetActive(active);
    TDataSetState s = dataSource_ ? dataSource_->State() : dsInactive;
    SetEditing(active && (s == dsEdit || s == dsInsert || s == dsSetKey) && !readOnly_);
}

void TDataLink::SetActive(bool Value) {
    if (active_ == Value) return;
    active_ = Value;
    firstRecord_ = 0;
    if (Value) UpdateRange(0);
    ActiveChanged();
}

void TDataLink::SetEditing(bool Value) {
    if (editing_ == Value) return;
    editing_ = Value;
    EditingChanged();
}

void TDataLink::UpdateRange(int first) {
    TDataSet* ds = DataSet();
    if (!ds) {
        firstRecord_ = 0;
        return;
    }
    int active = ds->activeRecord_;
    int count = static_cast<int>(ds->slots_.size());
    int lo = std::max(0, active - bufferCount_ + 1);
    int hi = std::max(lo, std::min(active, std::max(0, count - bufferCount_)));
    firstRecord_ = std::clamp(first, lo, hi);
}

void TDataLink::DataEvent(TDataEvent Event, intptr_t Info) {
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (Event == deDisabledStateChange) {
        DisabledStateChanged(Info != 0);
        return;
    }
    if (!active_) return;
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
        if (!updating_) RecordChanged(reinterpret_cast<TField*>(Info));
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
        // The window moved by Info records; this link's part follows as little as needed.
        int start = Event == deDataSetScroll ? firstRecord_ - static_cast<int>(Info) : firstRecord_;
        if (dataSource_->State() != dsSetKey) UpdateRange(start);
        if (Event == deDataSetChange)
            DataSetChanged();
        else if (Event == deDataSetScroll)
            DataSetScrolled(firstRecord_ - start);
        else
            LayoutChanged();
        break;
    }
    case deUpdateRecord: UpdateRecord(); break;
    case deCheckBrowseMode: CheckBrowseMode(); break;
    case deFocusControl: FocusControl(reinterpret_cast<TField**>(Info)); break;
    default: break;
    }
}
