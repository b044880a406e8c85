#pragma once
// Data-set routines the grid library shares.
#include "platform/db/DB.h"
#include "platform/rtti/TypInfo.h"

// The data set's own bookmark comparison: negative, 0 or positive.
int DataSetCompareBookmarks(TDataSet* DataSet, const TBookmarkStr& Bookmark1, const TBookmarkStr& Bookmark2);

// The data set of the data source that a class-typed published property of
// Instance holds; nullptr when the property holds no data source.
TDataSet* GetDataSourcePropDataSet(TObject* Instance, const TPropInfo* PropInfo);
