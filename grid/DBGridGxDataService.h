#pragma once
// The one router between the grids and the data-set feature registry: a
// grid asks it to apply its sort markers, its filter row or a record move,
// and it hands the request to the feature object registered for the class of
// the grid's data set. A program may take over sorting or filtering for every
// grid by assigning the events.
#include "grid/DbUtilsGxFeatures.h"
#include "platform/classes/Classes.h"

using TDBGridGxDataServiceEvent = Delegate<void(TCustomDBGridGx* Grid)>;

class TDBGridGxDataService : public TPersistent {
public:
    const char* ClassName() const override { return "TDBGridGxDataService"; }

    // Replace the default sorting and filtering when assigned.
    TDBGridGxDataServiceEvent ApplySortingEvent;
    TDBGridGxDataServiceEvent ApplyFilterEvent;

    virtual bool MoveRecords(TCustomDBGridGx* Grid, TStrings* Bookmarks, int Target, int Offset, bool OnlyTest);
    virtual bool DefaultMoveRecords(TCustomDBGridGx* Grid, TStrings* Bookmarks, int Target, int Offset,
                                    bool OnlyTest);
    virtual void ApplyFilter(TCustomDBGridGx* Grid);
    virtual void ApplySorting(TCustomDBGridGx* Grid);
    virtual void DefaultApplyFilter(TCustomDBGridGx* Grid);
    virtual void DefaultApplySorting(TCustomDBGridGx* Grid);
};

// The shared service, made on first use and kept for the process.
TDBGridGxDataService* DBGridGxDataService();

// Registers the feature object that sorts and filters our own data sets
// (queries, tables and memory tables) through their Sort and Filter texts.
// Calling it again does nothing.
void RegisterDBGridGxDatasetFeatures();
