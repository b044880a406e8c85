#pragma once
// What a property store keeps of a grid's columns beyond their published
// properties: the order the user left them in (ColumnsIndex on the column
// collection, the field names as "Name","Score") and each column's width.
#include "grid/DBGridGxColumns.h"
#include "grid/GxLibVCL.h"

class TColumnsGxPropertyInterceptor : public TStoragePropertyInterceptor {
    TESK_CLASS(TColumnsGxPropertyInterceptor, TStoragePropertyInterceptor)
public:
    explicit TColumnsGxPropertyInterceptor(TObject* Target) : TStoragePropertyInterceptor(Target) {}
    TDBGridColumnsGx* Columns() const { return dynamic_cast<TDBGridColumnsGx*>(Target()); }
    // Reading gives the current order; writing moves each named column to its
    // place in the list (names without a column are skipped).
    AnsiString ColumnsIndex() const;
    void SetColumnsIndex(const AnsiString& Value);

private:
    AnsiString columnsIndex_;
};

class TColumnGxPropertyInterceptor : public TStoragePropertyInterceptor {
    TESK_CLASS(TColumnGxPropertyInterceptor, TStoragePropertyInterceptor)
public:
    explicit TColumnGxPropertyInterceptor(TObject* Target) : TStoragePropertyInterceptor(Target) {}
    TColumnGx* Column() const { return dynamic_cast<TColumnGx*>(Target()); }
    int Width() const;
    // Under AutoFitColWidths the width is kept as it is, without a new layout.
    void SetWidth(int Value);
};

// Registers both for the column collection and the column classes (and so for their descendants).
void RegisterDBGridGxPropertyInterceptors();
