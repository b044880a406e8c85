#pragma once
// Client-side sorting by the ADO sort text "F1 ASC, F2 DESC": no direction
// means ascending, names ignore case and may be qualified or bracketed. Nulls
// come first when ascending, text compares through the code page's case
// folding, and equal keys keep their previous order.
#include <cstdint>
#include <vector>

#include "platform/db/DBValue.h"

struct TDbSortKey {
    AnsiString name;
    bool descending = false;
};

// An empty text gives no keys; an item without a name raises EDatabaseError.
std::vector<TDbSortKey> ParseSortText(const AnsiString& text);

// Reorders rows by the keys; an unknown field raises EDatabaseError.
void SortRows(std::vector<uint32_t>& rows, const std::vector<TDbSortKey>& keys, TDbRowSource& source);
