#pragma once
// Byte-string search, replacement and tag filling for game text. Positions are
// 1-based; 0 means not found. Case-insensitive forms fold through UpcaseTable.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/rtl/CodePage.h"

// The upper-case map of the active code page (256 entries, read-only).
const unsigned char* UpcaseTable();

// Tag is in: the text between the tags; out: what replaces the whole tag.
// UserData is handed through from the caller of FastTagReplace unchanged.
using TFastTagReplaceProc = void (*)(AnsiString& Tag, intptr_t UserData);

namespace QuickStringsDetail {
[[noreturn, gnu::cold]] void StartBelowOne(int Line);
// The exact search on from a first byte found at Hit (where a pattern of up
// to sixteen bytes did not hold), up to End bytes of Source.
int FastPosPast(const AnsiString& Source, const AnsiString& Find, const char* Hit, size_t End, size_t FindLen);

// Up to sixteen bytes equal, compared with no call.
[[gnu::always_inline]] inline bool SameShort(const char* a, const char* b, size_t n) {
    auto load64 = [](const char* p) { uint64_t v; std::memcpy(&v, p, 8); return v; };
    auto load32 = [](const char* p) { uint32_t v; std::memcpy(&v, p, 4); return v; };
    if (n >= 8) return ((load64(a) ^ load64(b)) | (load64(a + n - 8) ^ load64(b + n - 8))) == 0;
    if (n >= 4) return ((load32(a) ^ load32(b)) | (load32(a + n - 4) ^ load32(b + n - 4))) == 0;
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}
}  // namespace QuickStringsDetail

// The lengths are the callers'; lengths beyond the strings are cut to them.
// Inline, as a search of a line costs little more than the call: memchr on
// the first byte and the candidate compared in place, as the plain search
// does; only past a false start (or for a longer pattern) does a loop take over.
inline int FastPos(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen, int StartPos) {
    if (StartPos < 1) QuickStringsDetail::StartBelowOne(544);
    const size_t n = SourceLen < 0 ? 0 : std::min(static_cast<size_t>(SourceLen), Source.size());
    const size_t m = FindLen < 0 ? 0 : std::min(static_cast<size_t>(FindLen), Find.size());
    const size_t from = static_cast<size_t>(StartPos) - 1;
    if (m == 0 || from >= n || n - from < m) return 0;
    const char* s = Source.data() + from;
    const char* hit = static_cast<const char*>(std::memchr(s, Find[0], n - from - m + 1));
    if (!hit) return 0;
    if (m <= 16 && QuickStringsDetail::SameShort(hit, Find.data(), m)) return static_cast<int>(hit - Source.data()) + 1;
    return QuickStringsDetail::FastPosPast(Source, Find, hit, n, m);
}
int FastPosNoCase(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen, int StartPos);
// Last occurrence starting at or before StartPos (0 = from the end).
int FastPosBack(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen, int StartPos);
int FastPosBackNoCase(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen,
                      int StartPos);

// Every non-overlapping occurrence, left to right; the inserted text is not searched again.
AnsiString FastReplace(const AnsiString& Source, const AnsiString& Find, const AnsiString& Replace,
                       bool CaseSensitive);

// Every span from TagStart to the next TagEnd becomes what Proc makes of the text between.
AnsiString FastTagReplace(const AnsiString& Source, const AnsiString& TagStart, const AnsiString& TagEnd,
                          TFastTagReplaceProc Proc, intptr_t UserData);

// Note the order: the text searched for comes first.
int SmartPos(const AnsiString& SearchStr, const AnsiString& SourceStr, bool CaseSensitive, int StartPos,
             bool ForwardSearch);
