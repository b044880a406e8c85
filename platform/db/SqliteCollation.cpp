#include "platform/db/SqliteCollation.h"

#include <sqlite3.h>

#include <string_view>

#include "platform/rtl/CodePage.h"

namespace {

// One character of UTF-8 text; a byte that starts no valid sequence stands
// for itself, so damaged text still orders the same way every time.
char32_t NextChar(std::string_view s, size_t& i) {
    char32_t u;
    DecodeUtf8Char(s, i, u);
    return u;
}

char32_t Fold(const CodePage& cp, char32_t u) {
    if (u < 0x80) return cp.Upper(static_cast<unsigned char>(u));
    const unsigned char b = cp.FromUnicode(u);
    if (b == '?') return u;  // not in the page: only equal to itself
    return cp.ToUnicode(cp.Upper(b));
}

int Collate(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return CodePageNoCaseCompare(static_cast<const char*>(a), lengthA, static_cast<const char*>(b), lengthB);
}

}  // namespace

int CodePageNoCaseCompare(const char* a, int lengthA, const char* b, int lengthB) {
    const CodePage& cp = CodePage::Active();
    const std::string_view sa(a, static_cast<size_t>(lengthA)), sb(b, static_cast<size_t>(lengthB));
    size_t i = 0, j = 0;
    while (i < sa.size() && j < sb.size()) {
        const char32_t ca = Fold(cp, NextChar(sa, i));
        const char32_t cb = Fold(cp, NextChar(sb, j));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (i < sa.size()) return 1;
    if (j < sb.size()) return -1;
    return 0;
}

bool InstallCodePageCollation(sqlite3* db) {
    return sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, &Collate, nullptr) == SQLITE_OK;
}

int CodePageCollationMark() { return CodePage::Active().Number(); }
