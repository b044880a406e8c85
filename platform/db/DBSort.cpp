#include "platform/db/DBSort.h"

#include <algorithm>
#include <deque>
#include <numeric>

#include "platform/rtl/Exceptions.h"

namespace {

AnsiString Trim(const AnsiString& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

AnsiString StripBrackets(const AnsiString& name) {
    AnsiString out;
    for (char c : name)
        if (c != '[' && c != ']') out += c;
    return out;
}

template <typename T>
int Cmp(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

std::vector<TDbSortKey> ParseSortText(const AnsiString& text) {
    std::vector<TDbSortKey> keys;
    if (Trim(text).empty()) return keys;
    size_t start = 0;
    for (;;) {
        // Commas inside brackets belong to the name.
        size_t pos = start;
        bool bracket = false;
        while (pos < text.size() && (bracket || text[pos] != ',')) {
            if (text[pos] == '[') bracket = true;
            if (text[pos] == ']') bracket = false;
            ++pos;
        }
        AnsiString item = Trim(text.substr(start, pos - start));
        TDbSortKey key;
        size_t blank = item.find_last_of(" \t");
        if (blank != AnsiString::npos && item.find(']', blank) == AnsiString::npos) {
            AnsiString word = item.substr(blank + 1);
            if (SameText(word, "DESC") || SameText(word, "ASC")) {
                key.descending = SameText(word, "DESC");
                item = Trim(item.substr(0, blank));
            }
        }
        key.name = StripBrackets(item);
        if (key.name.empty()) throw EDatabaseError("Invalid sort \"" + text + "\": field name expected");
        keys.push_back(key);
        if (pos >= text.size()) break;
        start = pos + 1;
    }
    return keys;
}

void SortRows(std::vector<uint32_t>& rows, const std::vector<TDbSortKey>& keys, TDbRowSource& source) {
    // The names are checked even when there is nothing to order, so that a
    // bad sort fails where it is set and not once rows arrive.
    if (keys.empty()) return;
    struct Column {
        TDbKind kind;
        bool descending;
        std::vector<TDbCell> cells;
    };
    std::vector<Column> columns;
    std::deque<std::string> owned;  // texts of computed fields outlive the scratch
    std::string scratch;
    for (const TDbSortKey& key : keys) {
        Column col;
        int field = source.ResolveField(key.name, col.kind);
        if (field < 0) throw EDatabaseError("Field '" + key.name + "' not found");
        col.descending = key.descending;
        col.cells.resize(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            TDbCell& cell = col.cells[i];
            source.ReadCell(field, rows[i], cell, scratch);
            if (!cell.null && col.kind == TDbKind::Text && !scratch.empty() && cell.s.data() == scratch.data()) {
                owned.emplace_back(cell.s);
                cell.s = owned.back();
            }
        }
        columns.push_back(std::move(col));
    }
    if (rows.size() < 2) return;
    std::vector<uint32_t> order(rows.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        for (const Column& col : columns) {
            const TDbCell& x = col.cells[a];
            const TDbCell& y = col.cells[b];
            int c;
            if (x.null || y.null) {
                c = x.null == y.null ? 0 : (x.null ? -1 : 1);
            } else {
                switch (col.kind) {
                case TDbKind::Text: c = AnsiCompareText(x.s, y.s); break;
                case TDbKind::Integer:
                case TDbKind::Boolean: c = Cmp(x.i, y.i); break;
                default: c = Cmp(x.d, y.d); break;
                }
            }
            if (c != 0) return col.descending ? c > 0 : c < 0;
        }
        return false;
    });
    std::vector<uint32_t> sorted(rows.size());
    for (size_t i = 0; i < order.size(); ++i) sorted[i] = rows[order[i]];
    rows.swap(sorted);
}
