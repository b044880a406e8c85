#include "platform/db/DBSort.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <deque>
#include <numeric>
#include <string>
#include <type_traits>

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

namespace {

// One key's value beside the row it belongs to: sorting these pairs reads
// memory in order, where sorting row numbers by looked-up cells jumps around.
template <typename T>
struct TKeyedRow {
    T key;
    uint32_t row;
};

// Stable order of the entries by their unsigned keys: a byte at a time from
// the lowest (each pass keeps the order of the one before), skipping the
// bytes in which all keys agree.
void RadixSort(std::vector<TKeyedRow<uint64_t>>& keyed) {
    const size_t n = keyed.size();
    if (n < 2) return;
    std::vector<std::array<uint32_t, 256>> counts(8);
    for (auto& c : counts) c.fill(0);
    for (const auto& k : keyed)
        for (int b = 0; b < 8; ++b) ++counts[b][(k.key >> (8 * b)) & 0xFF];
    std::vector<TKeyedRow<uint64_t>> other(n);
    for (int b = 0; b < 8; ++b) {
        std::array<uint32_t, 256>& c = counts[b];
        if (c[(keyed[0].key >> (8 * b)) & 0xFF] == n) continue;
        uint32_t at = 0;
        for (uint32_t& slot : c) {
            const uint32_t count = slot;
            slot = at;
            at += count;
        }
        for (const auto& k : keyed) other[c[(k.key >> (8 * b)) & 0xFF]++] = k;
        keyed.swap(other);
    }
}

// Rows ordered by one numeric key: nulls first when ascending and last when
// descending, equal keys in their previous order (as the general compare does).
// Integers are sorted by their bits, turned so that unsigned order is theirs
// (reversed for descending); other numbers by comparison.
template <typename T>
void SortByNumber(std::vector<uint32_t>& rows, const TDbSortKey& key, int field, TDbRowSource& source) {
    constexpr bool integral = std::is_same_v<T, int64_t>;
    using TKey = std::conditional_t<integral, uint64_t, double>;
    const uint64_t flip = key.descending ? ~(uint64_t(1) << 63) : uint64_t(1) << 63;
    std::vector<TKeyedRow<TKey>> keyed;
    std::vector<uint32_t> nulls;
    keyed.reserve(rows.size());
    auto add = [&](T value, uint32_t row) {
        if constexpr (integral)
            keyed.push_back({static_cast<uint64_t>(value) ^ flip, row});
        else
            keyed.push_back({value, row});
    };
    const int64_t* stored = integral ? source.StoredIntegers(field) : nullptr;
    TDbCell cell;
    std::string scratch;
    for (uint32_t row : rows) {
        if (stored) {
            if (stored[row] == INT64_MIN)
                nulls.push_back(row);
            else
                add(static_cast<T>(stored[row]), row);
            continue;
        }
        source.ReadCell(field, row, cell, scratch);
        if (cell.null)
            nulls.push_back(row);
        else if constexpr (integral)
            add(cell.i, row);
        else
            add(cell.d, row);
    }
    if constexpr (integral) {
        RadixSort(keyed);
    } else if (key.descending) {
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const TKeyedRow<TKey>& a, const TKeyedRow<TKey>& b) { return b.key < a.key; });
    } else {
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const TKeyedRow<TKey>& a, const TKeyedRow<TKey>& b) { return a.key < b.key; });
    }
    auto out = rows.begin();
    if (!key.descending) out = std::copy(nulls.begin(), nulls.end(), out);
    for (const auto& k : keyed) *out++ = k.row;
    if (key.descending) std::copy(nulls.begin(), nulls.end(), out);
}

}  // namespace

void SortRows(std::vector<uint32_t>& rows, const std::vector<TDbSortKey>& keys, TDbRowSource& source) {
    // The names are checked even when there is nothing to order, so that a
    // bad sort fails where it is set and not once rows arrive.
    if (keys.empty()) return;
    if (keys.size() == 1) {
        TDbKind kind;
        const int field = source.ResolveField(keys[0].name, kind);
        if (field < 0) throw EDatabaseError("Field '" + keys[0].name + "' not found");
        if (kind == TDbKind::Integer || kind == TDbKind::Boolean) {
            SortByNumber<int64_t>(rows, keys[0], field, source);
            return;
        }
        if (kind != TDbKind::Text) {
            SortByNumber<double>(rows, keys[0], field, source);
            return;
        }
    }
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
