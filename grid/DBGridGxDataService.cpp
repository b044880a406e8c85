#include "grid/DBGridGxDataService.h"

#include "grid/DBGridGx.h"

namespace {

// The grid's data set and the feature entry that serves it, or nullptr.
TDatasetFeaturesGx* FeaturesOf(TCustomDBGridGx* Grid, TDataSet*& DataSet) {
    DataSet = Grid && Grid->DataSource() ? Grid->DataSource()->DataSet() : nullptr;
    return DataSet ? GetDatasetFeaturesForDataSet(DataSet) : nullptr;
}

}  // namespace

bool TDBGridGxDataService::MoveRecords(TCustomDBGridGx* Grid, TStrings* Bookmarks, int Target, int Offset,
                                       bool OnlyTest) {
    return DefaultMoveRecords(Grid, Bookmarks, Target, Offset, OnlyTest);
}

bool TDBGridGxDataService::DefaultMoveRecords(TCustomDBGridGx* Grid, TStrings* Bookmarks, int Target, int Offset,
                                              bool OnlyTest) {
    TDataSet* dataSet;
    TDatasetFeaturesGx* features = FeaturesOf(Grid, dataSet);
    return features && features->MoveRecords(Grid, Bookmarks, Target, Offset, OnlyTest);
}

void TDBGridGxDataService::ApplyFilter(TCustomDBGridGx* Grid) {
    if (ApplyFilterEvent)
        ApplyFilterEvent(Grid);
    else
        DefaultApplyFilter(Grid);
}

void TDBGridGxDataService::ApplySorting(TCustomDBGridGx* Grid) {
    if (ApplySortingEvent)
        ApplySortingEvent(Grid);
    else
        DefaultApplySorting(Grid);
}

void TDBGridGxDataService::DefaultApplyFilter(TCustomDBGridGx* Grid) {
    TDataSet* dataSet;
    if (TDatasetFeaturesGx* features = FeaturesOf(Grid, dataSet)) features->ApplyFilter(Grid, dataSet, true);
}

void TDBGridGxDataService::DefaultApplySorting(TCustomDBGridGx* Grid) {
    TDataSet* dataSet;
    if (TDatasetFeaturesGx* features = FeaturesOf(Grid, dataSet)) features->ApplySorting(Grid, dataSet, true);
}

TDBGridGxDataService* DBGridGxDataService() {
    static TDBGridGxDataService service;
    return &service;
}

void TCustomDBGridGx::DefaultApplySorting() { DBGridGxDataService()->ApplySorting(this); }
