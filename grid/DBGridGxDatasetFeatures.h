#pragma once
// The feature object of our own data sets (SQLite queries and tables, memory
// tables): they order and filter their fetched rows themselves, so the grid's
// sort markers become the data set's Sort text and the filter row's
// expressions its Filter text. Operands are written as the filter's own
// literals (texts quoted with doubled quotes, numbers, #dates#), never pasted.
// The filter row's Local setting and the grid's SortLocal change nothing here:
// these data sets always work on the rows they hold.
#include <functional>
#include <vector>

#include "grid/DBGridGxDataService.h"
#include "grid/DbUtilsGxFilterExpression.h"

class TTextDatasetFeaturesGx : public TDatasetFeaturesGx {
public:
    const char* ClassName() const override { return "TTextDatasetFeaturesGx"; }
    void ApplySorting(TCustomDBGridGx* Grid, TDataSet* DataSet, bool KeepRecord) override;
    void ApplyFilter(TCustomDBGridGx* Grid, TDataSet* DataSet, bool KeepRecord) override;
};

// Memory tables also move records: a move is the record's values deleted and
// inserted again at the new place (so only tables that track no changes and
// have no generated or read-only fields move, and only while unsorted).
class TMemoryDatasetFeaturesGx : public TTextDatasetFeaturesGx {
public:
    const char* ClassName() const override { return "TMemoryDatasetFeaturesGx"; }
    bool MoveRecords(TCustomDBGridGx* Grid, TStrings* Bookmarks, int Target, int Offset, bool OnlyTest) override;
};

// Hears a record that a move taken back put in again, under its new bookmark.
using TMovedBackEvent = std::function<void(const TBookmarkStr& Was, const TBookmarkStr& Now)>;

// Moves the records of Moved (their values, in the data set's order) before the record
// Anchor, or to the end when Anchor is empty; Adjust(i) may change the i-th
// record's fields before it is posted. Answers the first moved record's new
// bookmark, which is left current. The copies go in before the records leave;
// a post or delete refused on the way takes the whole move back (the data
// set's events are not asked again for that) and raises, so no record is lost
// or there twice. A record put in again where it stood gets a new bookmark,
// which PutBack hears. Null values stay Null.
TBookmarkStr MoveDataSetRecords(TDataSet* DataSet, const std::vector<TBookmarkStr>& Moved, const TBookmarkStr& Anchor,
                                const std::function<void(size_t)>& Adjust = nullptr,
                                const TMovedBackEvent& PutBack = nullptr);

// The data set's filter text for one expression on FieldName; empty when the
// expression has no comparison. A list operand of In or !In becomes a chain of
// = joined by OR (or of <> joined by AND).
AnsiString STFilterExpressionToFilterText(const AnsiString& FieldName, const TSTFilterExpressionGx& Expression);

// Keeps the current record current across a change of order or filter, when it stays in the view.
class TRecordKeeper {
public:
    TRecordKeeper(TDataSet* DataSet, bool Keep) : dataSet_(DataSet) {
        if (Keep && DataSet->Active() && !DataSet->IsEmpty()) bookmark_ = DataSet->Bookmark();
    }
    void Restore() {
        if (!bookmark_.empty() && dataSet_->BookmarkValid(bookmark_)) dataSet_->GotoBookmark(bookmark_);
    }

private:
    TDataSet* dataSet_;
    TBookmarkStr bookmark_;
};

// Every column's filter-row expression, joined by AND; empty without any.
AnsiString GridFilterText(TCustomDBGridGx* Grid);
// The sort-marked columns in marking order ("[Name] DESC, [Galaxy] ASC"); empty without any.
AnsiString GridSortText(TCustomDBGridGx* Grid);
