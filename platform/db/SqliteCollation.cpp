#include "platform/db/SqliteCollation.h"

#include <sqlite3.h>

#include "platform/rtl/CodePage.h"

namespace {

// One character of UTF-8 text; a byte that starts no valid sequence stands
// for itself, so damaged text still orders the same way every time.
char32_t NextChar(const unsigned char* s, int length, int& i) {
    const unsigned char c = s[i];
    int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (c < 0x80 || (c >= 0x80 && c < 0xC0) || c >= 0xF8 || i + extra >= length) {
        ++i;
        return c;
    }
    char32_t u = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const unsigned char d = s[i + k];
        if ((d & 0xC0) != 0x80) {
            ++i;
            return c;
        }
        u = (u << 6) | (d & 0x3F);
    }
    i += extra + 1;
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
    const auto* sa = reinterpret_cast<const unsigned char*>(a);
    const auto* sb = reinterpret_cast<const unsigned char*>(b);
    int i = 0, j = 0;
    while (i < lengthA && j < lengthB) {
        const char32_t ca = Fold(cp, NextChar(sa, lengthA, i));
        const char32_t cb = Fold(cp, NextChar(sb, lengthB, j));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (i < lengthA) return 1;
    if (j < lengthB) return -1;
    return 0;
}

bool InstallCodePageCollation(sqlite3* db) {
    return sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, &Collate, nullptr) == SQLITE_OK;
}

int CodePageCollationMark() { return CodePage::Active().Number(); }
