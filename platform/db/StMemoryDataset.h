#pragma once
// TStMemoryData: a data set whose rows live in memory only. Its fields come
// from FieldDefs or from persistent fields; closing it empties it. Record
// identities (the bookmarks) start at -2147483647 with every open, and
// auto-increment fields count from 1. Locate tries the current record first.
#include "platform/db/DB.h"

class TStMemoryData : public TDataSet {
public:
    explicit TStMemoryData(TComponent* AOwner);
    const char* ClassName() const override { return "TStMemoryData"; }

    bool Locate(const AnsiString& KeyFields, const Variant& KeyValues, TLocateOptions Options) override;

protected:
    void InternalOpen() override;
    void InternalClose() override;
    void InternalPost(bool Inserting) override;

private:
    int64_t autoIncValue_ = 1;
    bool defsFromFields_ = false;
};
