#pragma once
// The data-set feature registry. Sorting by title markers, the filter row and
// record moving depend on what a kind of data set can do; the grid knows none
// of it and asks the feature object registered for the data set's class. The
// nearest registered ancestor serves a class, so one entry for a base class
// serves all its descendants until a nearer one is registered. The registry
// lives as long as the process and frees its entries at the end.
#include <climits>

#include "platform/db/DB.h"
#include "platform/rtti/TypInfo.h"

class TCustomDBGridGx;
class TStrings;

// What a kind of data set does for the grid. A request it cannot serve answers False or does nothing.
class TDatasetFeaturesGx : public TObject {
public:
    TDatasetFeaturesGx() = default;
    const char* ClassName() const override { return "TDatasetFeaturesGx"; }
    // The data-set class this entry serves (set when registered).
    const TClassInfo* DataSetClass() const { return dataSetClass_; }

    // Moves the records named by Bookmarks before record number Target (1-based)
    // plus Offset; with OnlyTest it only says whether it could.
    virtual bool MoveRecords(TCustomDBGridGx* Grid, TStrings* Bookmarks, int Target, int Offset, bool OnlyTest);
    // Orders DataSet by the grid's sort-marked columns. KeepRecord: the current
    // record stays current.
    virtual void ApplySorting(TCustomDBGridGx* Grid, TDataSet* DataSet, bool KeepRecord);
    // Filters DataSet by the grid's filter-row expressions. KeepRecord: the
    // current record stays current when it passes.
    virtual void ApplyFilter(TCustomDBGridGx* Grid, TDataSet* DataSet, bool KeepRecord);

private:
    friend void RegisterDatasetFeatures(const TClassInfo*, TDatasetFeaturesGx*);
    const TClassInfo* dataSetClass_ = nullptr;
};

// 0 when DataSetClass is named ClassName (ignoring case), 1 when its parent is, and so on; INT_MAX when none is.
int ClassDistance(const TClassInfo* DataSetClass, const AnsiString& ClassName);

// Registers Features (the registry owns it) for DataSetClass and its descendants.
void RegisterDatasetFeatures(const TClassInfo* DataSetClass, TDatasetFeaturesGx* Features);
// Removes and frees the entry; nothing happens for one not registered.
void UnregisterDatasetFeatures(TDatasetFeaturesGx* Features);

// The entry registered for the nearest ancestor of DataSetClass (or the class
// itself); the first registered wins between equally near ones. nullptr when none.
TDatasetFeaturesGx* FindDatasetFeaturesClass(const TClassInfo* DataSetClass);
TDatasetFeaturesGx* GetDatasetFeaturesForDataSet(TDataSet* DataSet);
