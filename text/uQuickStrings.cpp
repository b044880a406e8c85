#include "text/uQuickStrings.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/rtl/Exceptions.h"

const unsigned char* UpcaseTable() { return CodePage::Active().UpperTable(); }

namespace {

using Byte = unsigned char;

inline const Byte* Bytes(const AnsiString& s) { return reinterpret_cast<const Byte*>(s.data()); }

// A length from the caller never reaches past the string it describes.
inline int Clamp(int len, const AnsiString& s) {
    if (len < 0) return 0;
    return static_cast<size_t>(len) > s.size() ? static_cast<int>(s.size()) : len;
}

// Horspool shift of each byte: the distance from its last occurrence in the
// pattern (the last pattern byte left out) to the pattern's end.
void MakeBMTable(const Byte* Buffer, int BufferLen, int32_t* Table) {
    if (BufferLen == 0) throw Exception("BufferLen is 0");
    for (int i = 0; i < 256; ++i) Table[i] = BufferLen;
    for (int i = 0; i < BufferLen - 1; ++i) Table[Buffer[i]] = BufferLen - 1 - i;
    if (BufferLen == 1) Table[Buffer[0]] = 0;
}

void MakeBMTableNoCase(const Byte* Buffer, int BufferLen, int32_t* Table, const Byte* up) {
    if (BufferLen == 0) throw Exception("BufferLen is 0");
    for (int i = 0; i < 256; ++i) Table[i] = BufferLen;
    for (int i = 0; i < BufferLen - 1; ++i) Table[up[Buffer[i]]] = BufferLen - 1 - i;
    if (BufferLen == 1) Table[up[Buffer[0]]] = 0;
}

#if defined(__x86_64__) || defined(__i386__)
// Where a byte's two forms differ in one bit (every letter pair of the code
// pages here does), one compare on the byte with that bit set finds both.
bool OneBitApart(const Byte* pair) { return __builtin_popcount(static_cast<unsigned>(pair[0] ^ pair[1])) <= 1; }

// The lanes of a that hold either byte of the pair; v0 and v1 as made by PairVectors.
template <bool OneBit>
__attribute__((target("avx2"))) inline __m256i MatchPair(__m256i a, __m256i v0, __m256i v1) {
    if constexpr (OneBit) return _mm256_cmpeq_epi8(_mm256_or_si256(a, v1), v0);
    return _mm256_or_si256(_mm256_cmpeq_epi8(a, v0), _mm256_cmpeq_epi8(a, v1));
}
template <bool OneBit>
__attribute__((target("avx2"))) inline void PairVectors(const Byte* pair, __m256i& v0, __m256i& v1) {
    if constexpr (OneBit) {
        const Byte bit = static_cast<Byte>(pair[0] ^ pair[1]);
        v0 = _mm256_set1_epi8(static_cast<char>(pair[0] | bit));
        v1 = _mm256_set1_epi8(static_cast<char>(bit));
    } else {
        v0 = _mm256_set1_epi8(static_cast<char>(pair[0]));
        v1 = _mm256_set1_epi8(static_cast<char>(pair[1]));
    }
}
#endif

// One pattern prepared for repeated forward scans. The case-insensitive table
// is re-indexed by the raw byte (each byte takes the shift of its upper-case
// form), so the scan looks up one table per step instead of two. The entries
// of the pattern's last byte are set to 0 to mark "compare here"; its real
// shift is kept aside.
class Searcher {
public:
    Searcher(const Byte* find, int findLen, bool caseSensitive)
        : pattern_(reinterpret_cast<const char*>(find), static_cast<size_t>(findLen)),
          find_(reinterpret_cast<const Byte*>(pattern_.data())),
          m_(findLen),
          caseSensitive_(caseSensitive),
          up_(UpcaseTable()) {
        if (caseSensitive_) {
            MakeBMTable(find_, m_, skip_);
        } else {
            int32_t folded[256];
            MakeBMTableNoCase(find_, m_, folded, up_);
            for (int b = 0; b < 256; ++b) skip_[b] = folded[up_[b]];
        }
        const Byte last = find_[m_ - 1];
        lastShift_ = skip_[last];
        for (int b = 0; b < 256; ++b)
            if (caseSensitive_ ? b == last : up_[b] == up_[last]) skip_[b] = 0;
        filter_ = Variants(find_[0], first_) && Variants(last, last_);
    }

    Searcher(const Searcher&) = delete;
    Searcher& operator=(const Searcher&) = delete;

    // Made for this pattern, case rule and code page.
    bool Serves(const Byte* find, int findLen, bool caseSensitive, const Byte* up) const {
        return findLen == m_ && caseSensitive == caseSensitive_ && up == up_ &&
               std::memcmp(find, find_, static_cast<size_t>(findLen)) == 0;
    }

    // First match inside the len bytes at s, or nullptr.
    const Byte* Find(const Byte* s, size_t len) const {
        if (len < static_cast<size_t>(m_)) return nullptr;
        if (m_ == 1 && caseSensitive_) return static_cast<const Byte*>(std::memchr(s, find_[0], len));
        size_t done = 0;
        if (filter_) {
            if (const Byte* hit = HasAvx2() ? FilterScanAvx2(s, len, done) : FilterScan(s, len, done)) return hit;
        }
        return BMPos(s + done, len - done);
    }

private:
    // The bytes that equal b (case-insensitive: that fold to the same letter);
    // false when there are more than two, which the filter does not handle.
    bool Variants(Byte b, Byte* out) const {
        if (caseSensitive_) {
            out[0] = out[1] = b;
            return true;
        }
        int n = 0;
        for (int c = 0; c < 256; ++c) {
            if (up_[c] != up_[b]) continue;
            if (n == 2) return false;
            out[n++] = static_cast<Byte>(c);
        }
        if (n == 1) out[1] = out[0];
        return n > 0;
    }

    // Checks sixteen windows at a time by their first and last byte and
    // compares the rest only where both agree; done is set to the first window
    // not yet looked at. Without SSE2 nothing is done here.
    const Byte* FilterScan(const Byte* s, size_t len, size_t& done) const {
#if defined(__SSE2__)
        const size_t m = static_cast<size_t>(m_);
        const __m128i f0 = _mm_set1_epi8(static_cast<char>(first_[0]));
        const __m128i f1 = _mm_set1_epi8(static_cast<char>(first_[1]));
        const __m128i l0 = _mm_set1_epi8(static_cast<char>(last_[0]));
        const __m128i l1 = _mm_set1_epi8(static_cast<char>(last_[1]));
        size_t i = 0;
        for (; i + m - 1 + 16 <= len; i += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + m - 1));
            const __m128i fa = _mm_or_si128(_mm_cmpeq_epi8(a, f0), _mm_cmpeq_epi8(a, f1));
            const __m128i lb = _mm_or_si128(_mm_cmpeq_epi8(b, l0), _mm_cmpeq_epi8(b, l1));
            unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(fa, lb)));
            while (mask) {
                const Byte* w = s + i + static_cast<size_t>(__builtin_ctz(mask));
                if (SameWindow(w)) return w;
                mask &= mask - 1;
            }
        }
        done = i;
#else
        (void)s;
        (void)len;
        done = 0;
#endif
        return nullptr;
    }

    static bool HasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
        static const bool has = __builtin_cpu_supports("avx2");
        return has;
#else
        return false;
#endif
    }

    // The same filter thirty-two windows at a time, two blocks per step; the
    // rest (fewer than 64 windows) is left to the sixteen-byte filter.
#if defined(__x86_64__) || defined(__i386__)
    __attribute__((target("avx2"))) const Byte* FilterScanAvx2(const Byte* s, size_t len, size_t& done) const {
        return OneBitApart(first_) && OneBitApart(last_) ? FilterScanAvx2As<true>(s, len, done)
                                                        : FilterScanAvx2As<false>(s, len, done);
    }
    template <bool OneBit>
    __attribute__((target("avx2"))) const Byte* FilterScanAvx2As(const Byte* s, size_t len, size_t& done) const {
        const size_t m = static_cast<size_t>(m_);
        __m256i f0, f1, l0, l1;
        PairVectors<OneBit>(first_, f0, f1);
        PairVectors<OneBit>(last_, l0, l1);
        size_t i = 0;
        for (; i + m - 1 + 64 <= len; i += 64) {
            uint64_t mask = 0;
            for (size_t half = 0; half < 64; half += 32) {
                const Byte* at = s + i + half;
                const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
                const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + m - 1));
                const __m256i fa = MatchPair<OneBit>(a, f0, f1);
                const __m256i lb = MatchPair<OneBit>(b, l0, l1);
                mask |= static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_and_si256(fa, lb))))
                        << half;
            }
            while (mask) {
                const Byte* w = s + i + static_cast<size_t>(__builtin_ctzll(mask));
                if (SameWindow(w)) return w;
                mask &= mask - 1;
            }
        }
        size_t rest = 0;
        const Byte* hit = FilterScan(s + i, len - i, rest);
        done = i + rest;
        return hit;
    }
#else
    const Byte* FilterScanAvx2(const Byte* s, size_t len, size_t& done) const { return FilterScan(s, len, done); }
#endif

    bool SameWindow(const Byte* w) const {
        const size_t m = static_cast<size_t>(m_);
        if (caseSensitive_) return std::memcmp(w, find_, m - 1) == 0;
        for (size_t j = m - 1; j > 0; --j)
            if (up_[w[j - 1]] != up_[find_[j - 1]]) return false;
        return true;
    }

    const Byte* BMPos(const Byte* s, size_t len) const {
        const size_t m = static_cast<size_t>(m_);
        size_t e = m - 1;
        while (e < len) {
            int32_t k = skip_[s[e]];
            // Most bytes of a text are not in the pattern: the full shift is taken
            // on a predicted branch, so the next step need not wait for the table.
            if (k == m_) {
                e += m;
                continue;
            }
            if (k == 0) {
                if (SameWindow(s + e - (m - 1))) return s + e - (m - 1);
                k = lastShift_;
            }
            e += static_cast<size_t>(k);
        }
        return nullptr;
    }

    std::string pattern_;
    const Byte* find_;
    int m_;
    bool caseSensitive_;
    const Byte* up_;
    int32_t lastShift_;
    int32_t skip_[256];
    bool filter_;
    Byte first_[2];
    Byte last_[2];
};

// The searchers of the last few patterns, so that a search of a short text
// does not pay for building the shift table and the filter every time.
const Searcher& CachedSearcher(const Byte* find, int findLen, bool caseSensitive) {
    struct Cache {
        std::unique_ptr<Searcher> slots[4];
        unsigned next = 0;
    };
    thread_local Cache cache;
    const Byte* up = UpcaseTable();
    for (const auto& slot : cache.slots)
        if (slot && slot->Serves(find, findLen, caseSensitive, up)) return *slot;
    std::unique_ptr<Searcher>& slot = cache.slots[cache.next++ % 4];
    slot = std::make_unique<Searcher>(find, findLen, caseSensitive);
    return *slot;
}

// For each byte, the bytes that fold to the same upper-case letter: two at
// most (the byte twice when it stands alone), or none marked when more do.
// Made once for each code page, so a short search needs no pattern table.
struct FoldPairs {
    explicit FoldPairs(const Byte* up) {
        int count[256] = {};
        Byte first[256], second[256];
        for (int c = 0; c < 256; ++c) {
            const Byte u = up[c];
            if (count[u] == 0) first[u] = static_cast<Byte>(c);
            if (count[u] == 1) second[u] = static_cast<Byte>(c);
            ++count[u];
        }
        for (int b = 0; b < 256; ++b) {
            const Byte u = up[b];
            ok[b] = count[u] <= 2;
            pair[b][0] = first[u];
            pair[b][1] = count[u] == 2 ? second[u] : first[u];
        }
    }
    Byte pair[256][2];
    bool ok[256];
};

const FoldPairs& FoldPairsOf(const CodePage& page) {
    static const FoldPairs cp1250(CodePage::ByNumber(1250).UpperTable());
    static const FoldPairs cp1251(CodePage::ByNumber(1251).UpperTable());
    static const FoldPairs cp1252(CodePage::ByNumber(1252).UpperTable());
    switch (page.Number()) {
        case 1250: return cp1250;
        case 1252: return cp1252;
        default: return cp1251;
    }
}

// The window at w equals the pattern but for letter case, its last byte already compared.
// Most false candidates differ at once in the second or middle byte; past
// those, a loop with no branch inside costs the real match less.
inline bool SameFolded(const Byte* w, const Byte* f, size_t m, const Byte* up) {
    if (up[w[m / 2]] != up[f[m / 2]] || up[w[m > 2]] != up[f[m > 2]]) return false;
    unsigned diff = 0;
    for (size_t j = 0; j + 1 < m; ++j) diff |= static_cast<unsigned>(up[w[j]] ^ up[f[j]]);
    return diff == 0;
}

// Case-insensitive searches of texts up to this length are scanned directly,
// without the cached searcher and its lookup.
constexpr size_t kShortText = 512;

// The first and last byte filter of the searcher, sixteen windows at a time,
// with the pattern's end bytes given by the caller; the last block overlaps
// the one before it rather than reading past the text.
const Byte* ScanShort(const Byte* s, size_t len, const Byte* f, size_t m, const Byte* up, const Byte* first,
                      const Byte* last) {
    if (len < m) return nullptr;
    const size_t windows = len - m + 1;
    auto same = [&](const Byte* w) { return SameFolded(w, f, m, up); };
#if defined(__SSE2__)
    if (windows >= 16) {
        const __m128i f0 = _mm_set1_epi8(static_cast<char>(first[0]));
        const __m128i f1 = _mm_set1_epi8(static_cast<char>(first[1]));
        const __m128i l0 = _mm_set1_epi8(static_cast<char>(last[0]));
        const __m128i l1 = _mm_set1_epi8(static_cast<char>(last[1]));
        size_t i = 0;
        unsigned keep = 0xFFFF;
        for (;;) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + m - 1));
            const __m128i fa = _mm_or_si128(_mm_cmpeq_epi8(a, f0), _mm_cmpeq_epi8(a, f1));
            const __m128i lb = _mm_or_si128(_mm_cmpeq_epi8(b, l0), _mm_cmpeq_epi8(b, l1));
            unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(fa, lb))) & keep;
            while (mask) {
                const Byte* w = s + i + static_cast<size_t>(__builtin_ctz(mask));
                if (same(w)) return w;
                mask &= mask - 1;
            }
            if (i + 16 >= windows) return nullptr;
            i += 16;
            if (i + 16 > windows) {
                // Only the windows not yet looked at count in the overlapping block.
                const size_t seen = i - (windows - 16);
                i = windows - 16;
                keep = 0xFFFFu << seen & 0xFFFFu;
            }
        }
    }
#endif
    for (size_t i = 0; i < windows; ++i) {
        const Byte a = s[i], b = s[i + m - 1];
        if ((a == first[0] || a == first[1]) && (b == last[0] || b == last[1]) && same(s + i)) return s + i;
    }
    return nullptr;
}

#if defined(__x86_64__) || defined(__i386__)
template <bool OneBit>
__attribute__((target("avx2"))) const Byte* ScanShortAvx2As(const Byte* s, size_t len, const Byte* f, size_t m,
                                                             const Byte* up, const Byte* first, const Byte* last) {
    const size_t windows = len - m + 1;
    __m256i f0, f1, l0, l1;
    PairVectors<OneBit>(first, f0, f1);
    PairVectors<OneBit>(last, l0, l1);
    size_t i = 0;
    uint32_t keep = ~0u;
    for (;;) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + m - 1));
        const __m256i fa = MatchPair<OneBit>(a, f0, f1);
        const __m256i lb = MatchPair<OneBit>(b, l0, l1);
        uint32_t mask = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_and_si256(fa, lb))) & keep;
        while (mask) {
            const Byte* w = s + i + static_cast<size_t>(__builtin_ctz(mask));
            if (SameFolded(w, f, m, up)) return w;
            mask &= mask - 1;
        }
        if (i + 32 >= windows) return nullptr;
        i += 32;
        if (i + 32 > windows) {
            const size_t seen = i - (windows - 32);
            i = windows - 32;
            keep = ~0u << seen;
        }
    }
}

// The same filter thirty-two windows at a time; the caller checks for AVX2.
const Byte* ScanShortAvx2(const Byte* s, size_t len, const Byte* f, size_t m, const Byte* up, const Byte* first,
                          const Byte* last) {
    if (len < m + 31) return ScanShort(s, len, f, m, up, first, last);
    return OneBitApart(first) && OneBitApart(last) ? ScanShortAvx2As<true>(s, len, f, m, up, first, last)
                                                   : ScanShortAvx2As<false>(s, len, f, m, up, first, last);
}
#endif

bool HasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

inline const Byte* ScanShortBest(const Byte* s, size_t len, const Byte* f, size_t m, const Byte* up, const Byte* first,
                          const Byte* last) {
#if defined(__x86_64__) || defined(__i386__)
    if (HasAvx2()) return ScanShortAvx2(s, len, f, m, up, first, last);
#endif
    return ScanShort(s, len, f, m, up, first, last);
}

// An exact search that starts as the plain one does, with memchr on the
// pattern's first byte: nothing to set up, and nothing scans faster when that
// byte is rare. Once its occurrences prove common (more than one false start
// per 256 bytes), the rest of the text goes to the filtering searcher.
[[gnu::noinline]] const Byte* ExactBySearcher(const Byte* p, size_t len, const Byte* f, size_t m) {
    return CachedSearcher(f, static_cast<int>(m), true).Find(p, len);
}

// n bytes equal; up to sixteen are compared inline with two overlapping
// loads, which saves a call on every start memchr finds.
[[gnu::always_inline]] inline bool SameBytes(const Byte* a, const Byte* b, size_t n) {
    if (n >= 8 && n <= 16) {
        uint64_t a0, a1, b0, b1;
        std::memcpy(&a0, a, 8);
        std::memcpy(&b0, b, 8);
        std::memcpy(&a1, a + n - 8, 8);
        std::memcpy(&b1, b + n - 8, 8);
        return ((a0 ^ b0) | (a1 ^ b1)) == 0;
    }
    if (n >= 4 && n < 8) {
        uint32_t a0, a1, b0, b1;
        std::memcpy(&a0, a, 4);
        std::memcpy(&b0, b, 4);
        std::memcpy(&a1, a + n - 4, 4);
        std::memcpy(&b1, b + n - 4, 4);
        return ((a0 ^ b0) | (a1 ^ b1)) == 0;
    }
    if (n < 4) {
        for (size_t i = 0; i < n; ++i)
            if (a[i] != b[i]) return false;
        return true;
    }
    return std::memcmp(a, b, n) == 0;
}

[[gnu::always_inline]] inline const Byte* ScanExact(const Byte* s, size_t len, const Byte* f, size_t m) {
    if (len < m) return nullptr;
    const Byte* p = s;
    const Byte* const lastStart = s + (len - m);
    size_t misses = 0;
    while (p <= lastStart) {
        const Byte* c = static_cast<const Byte*>(std::memchr(p, f[0], static_cast<size_t>(lastStart - p) + 1));
        if (!c) return nullptr;
        if (SameBytes(c + 1, f + 1, m - 1)) return c;
        p = c + 1;
        if (++misses >= 4 && misses * 256 > static_cast<size_t>(p - s))
            return ExactBySearcher(p, static_cast<size_t>(s + len - p), f, m);
    }
    return nullptr;
}

[[gnu::noinline]] const Byte* NoCaseBySearcher(const Byte* s, size_t len, const Byte* f, size_t m) {
    return CachedSearcher(f, static_cast<int>(m), false).Find(s, len);
}

// Inlined into each caller, so that a search of a line pays for no more calls than it needs.
[[gnu::always_inline]] inline int ForwardPos(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen, int StartPos,
               bool caseSensitive) {
    SourceLen = Clamp(SourceLen, Source);
    FindLen = Clamp(FindLen, Find);
    if (FindLen < 1 || FindLen > SourceLen) return 0;
    if (StartPos > SourceLen) return 0;
    const Byte* area = Bytes(Source) + (StartPos - 1);
    const size_t areaLen = static_cast<size_t>(SourceLen - (StartPos - 1));
    const Byte* f = Bytes(Find);
    const size_t m = static_cast<size_t>(FindLen);
    const Byte* hit;
    if (caseSensitive) {
        // memchr on the first byte beats the filter even on a line of text.
        hit = ScanExact(area, areaLen, f, m);
    } else {
        const CodePage& page = CodePage::Active();
        const Byte* up = page.UpperTable();
        const FoldPairs& pairs = FoldPairsOf(page);
        if (areaLen <= kShortText && pairs.ok[f[0]] && pairs.ok[f[m - 1]])
            hit = ScanShortBest(area, areaLen, f, m, up, pairs.pair[f[0]], pairs.pair[f[m - 1]]);
        else
            hit = NoCaseBySearcher(area, areaLen, f, m);
    }
    return hit ? static_cast<int>(hit - Bytes(Source)) + 1 : 0;
}

int BackwardPos(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen, int StartPos,
                bool caseSensitive) {
    SourceLen = Clamp(SourceLen, Source);
    FindLen = Clamp(FindLen, Find);
    if (FindLen < 1 || SourceLen < FindLen) return 0;
    int p = StartPos;
    if (StartPos == 0 || static_cast<long long>(StartPos) + FindLen > SourceLen) p = SourceLen - FindLen + 1;
    const Byte* s = Bytes(Source);
    const Byte* f = Bytes(Find);
    if (caseSensitive) {
        for (; p >= 1; --p) {
            const Byte* w = s + p - 1;
            if (w[0] != f[0]) continue;
            int j = FindLen - 1;
            while (j > 0 && w[j] == f[j]) --j;
            if (j == 0) return p;
        }
    } else {
        const Byte* up = UpcaseTable();
        const Byte first = up[f[0]];
        for (; p >= 1; --p) {
            const Byte* w = s + p - 1;
            if (up[w[0]] != first) continue;
            int j = FindLen - 1;
            while (j > 0 && up[w[j]] == up[f[j]]) --j;
            if (j == 0) return p;
        }
    }
    return 0;
}

// First occurrence of tag in [from, end), exact.
size_t FindExact(const AnsiString& s, const AnsiString& tag, size_t from, size_t end) {
    if (from > end || end - from < tag.size()) return AnsiString::npos;
    const void* hit = memmem(s.data() + from, end - from, tag.data(), tag.size());
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - s.data()) : AnsiString::npos;
}

}  // namespace

int FastPos(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen, int StartPos) {
    if (StartPos < 1) AssertAt(false, "uQuickStrings", 544);  // no call on the way of a valid search
    return ForwardPos(Source, Find, SourceLen, FindLen, StartPos, true);
}

int FastPosNoCase(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen, int StartPos) {
    if (StartPos < 1) AssertAt(false, "uQuickStrings", 565);
    return ForwardPos(Source, Find, SourceLen, FindLen, StartPos, false);
}

int FastPosBack(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen, int StartPos) {
    return BackwardPos(Source, Find, SourceLen, FindLen, StartPos, true);
}

int FastPosBackNoCase(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen,
                      int StartPos) {
    return BackwardPos(Source, Find, SourceLen, FindLen, StartPos, false);
}

AnsiString FastReplace(const AnsiString& Source, const AnsiString& Find, const AnsiString& Replace,
                       bool CaseSensitive) {
    if (Source.empty() || Find.empty()) return Source;
    const size_t n = Source.size();
    const size_t m = Find.size();
    const Searcher& searcher = CachedSearcher(Bytes(Find), static_cast<int>(m), CaseSensitive);
    const Byte* s = Bytes(Source);

    AnsiString result;
    result.reserve(Replace.size() <= m ? n : n + n / 4);
    size_t read = 0;
    while (n - read >= m) {
        const Byte* hit = searcher.Find(s + read, n - read);
        if (!hit) break;
        const size_t pos = static_cast<size_t>(hit - s);
        result.append(Source, read, pos - read);
        result.append(Replace);
        read = pos + m;
    }
    result.append(Source, read, AnsiString::npos);
    return result;
}

AnsiString FastTagReplace(const AnsiString& Source, const AnsiString& TagStart, const AnsiString& TagEnd,
                          TFastTagReplaceProc Proc, intptr_t UserData) {
    AssertAt(Proc != nullptr, "uQuickStrings", 1060);
    if (Source.empty() || TagStart.empty() || TagEnd.empty()) return Source;

    const long long len = static_cast<long long>(Source.size());
    // The last place an end tag can start, and a start tag with room for an end tag behind it.
    const long long endLimit = len - static_cast<long long>(TagEnd.size());
    const long long startLimit = endLimit - static_cast<long long>(TagStart.size());
    // The tags are searched only up to the first zero byte.
    const void* zero = std::memchr(Source.data(), 0, Source.size());
    const size_t textEnd = zero ? static_cast<size_t>(static_cast<const char*>(zero) - Source.data()) : Source.size();

    AnsiString result;
    result.reserve(Source.size());
    size_t read = 0;
    AnsiString tag;
    while (static_cast<long long>(read) <= startLimit) {
        const size_t p = FindExact(Source, TagStart, read, textEnd);
        if (p == AnsiString::npos || static_cast<long long>(p) > startLimit) break;
        const size_t inner = p + TagStart.size();
        const size_t q = FindExact(Source, TagEnd, inner, textEnd);
        if (q == AnsiString::npos || static_cast<long long>(q) > endLimit) break;
        result.append(Source, read, p - read);
        tag.assign(Source, inner, q - inner);
        Proc(tag, UserData);
        if (!tag.empty()) result.append(tag);
        read = q + TagEnd.size();
    }
    result.append(Source, read, AnsiString::npos);
    return result;
}

int SmartPos(const AnsiString& SearchStr, const AnsiString& SourceStr, bool CaseSensitive, int StartPos,
             bool ForwardSearch) {
    const int sourceLen = static_cast<int>(SourceStr.size());
    const int findLen = static_cast<int>(SearchStr.size());
    if (CaseSensitive)
        return ForwardSearch ? FastPos(SourceStr, SearchStr, sourceLen, findLen, StartPos)
                             : FastPosBack(SourceStr, SearchStr, sourceLen, findLen, StartPos);
    return ForwardSearch ? FastPosNoCase(SourceStr, SearchStr, sourceLen, findLen, StartPos)
                         : FastPosBackNoCase(SourceStr, SearchStr, sourceLen, findLen, StartPos);
}
