#include "grid/DbUtilsGx.h"

int DataSetCompareBookmarks(TDataSet* DataSet, const TBookmarkStr& Bookmark1, const TBookmarkStr& Bookmark2) {
    return DataSet->CompareBookmarks(Bookmark1, Bookmark2);
}

TDataSet* GetDataSourcePropDataSet(TObject* Instance, const TPropInfo* PropInfo) {
    if (!Instance || !PropInfo || PropInfo->Kind() != tkClass) return nullptr;
    auto* source = dynamic_cast<TDataSource*>(GetObjectProp(Instance, PropInfo));
    return source ? source->DataSet() : nullptr;
}
