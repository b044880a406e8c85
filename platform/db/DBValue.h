#pragma once
// Typed cell values as the sort, filter and locate code reads them.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/rtl/CodePage.h"

// How a field's values are held and compared.
enum class TDbKind : uint8_t { Integer, Float, DateTime, Text, Boolean };

// One cell read without copying: Text views point into the row store (or into
// a scratch string supplied by the caller).
struct TDbCell {
    bool null = true;
    int64_t i = 0;           // Integer, Boolean
    double d = 0;            // Float, DateTime
    std::string_view s;      // Text
};

// Something that holds rows and can name its fields for an expression.
class TDbRowSource {
public:
    virtual ~TDbRowSource() = default;
    // The field's handle, or -1 when there is no field of that name.
    virtual int ResolveField(const AnsiString& name, TDbKind& kind) = 0;
    virtual void ReadCell(int field, uint32_t row, TDbCell& cell, std::string& scratch) = 0;
    // The stored values of an integer field indexed by row, INT64_MIN for
    // null; nullptr where the field's values are not stored so (the default).
    virtual const int64_t* StoredIntegers(int field) {
        (void)field;
        return nullptr;
    }
};
