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

// Read once at start-up, so that a search asks with one load and no guard.
bool DetectAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}
const bool kHasAvx2 = DetectAvx2();

inline bool HasAvx2() { return kHasAvx2; }

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

    // The same filter thirty-two windows at a time, two blocks per step; the
    // rest (fewer than 64 windows) is left to the sixteen-byte filter. Aligned
    // to a cache line, so that the speed of its loop, which long texts spend
    // their time in, does not move with the size of unrelated code before it.
#if defined(__x86_64__) || defined(__i386__)
    __attribute__((target("avx2"), aligned(64))) const Byte* FilterScanAvx2(const Byte* s, size_t len, size_t& done) const {
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

// An unaligned load, for the vectors of EightToSixteen below.
[[gnu::always_inline]] inline uint64_t Load64(const Byte* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// n bytes equal; up to sixteen are compared inline (as FastPos compares its
// first start), which saves a call on every start memchr finds.
[[gnu::always_inline]] inline bool SameBytes(const Byte* a, const Byte* b, size_t n) {
    return n <= 16 ? QuickStringsDetail::SameShort(reinterpret_cast<const char*>(a), reinterpret_cast<const char*>(b), n)
                   : std::memcmp(a, b, n) == 0;
}

// The exact search of the len bytes at s: memchr on the first byte, each
// start compared; FastPos comes here past a start that failed.
[[gnu::noinline]] const Byte* ScanExact(const Byte* s, size_t len, const Byte* f, size_t m) {
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

// For each byte of a code page, the one bit in which it differs from its
// other-case form, 0 when case leaves it alone, or kNotOneBit when its forms
// differ in more bits or more than two bytes fold together. Where the bit is
// b, a text byte x is the needle byte n or its other form exactly when
// (x | b) == (n | b).
constexpr uint16_t kNotOneBit = 0x100;

struct CaseBits {
    explicit CaseBits(const Byte* up) {
        for (int b = 0; b < 256; ++b) {
            int others = 0;
            unsigned diff = 0;
            for (int c = 0; c < 256; ++c)
                if (c != b && up[c] == up[b]) {
                    ++others;
                    diff = static_cast<unsigned>(b ^ c);
                }
            bit[b] = others == 0                                    ? 0
                     : others == 1 && __builtin_popcount(diff) == 1 ? static_cast<uint16_t>(diff)
                                                                    : kNotOneBit;
        }
    }
    uint16_t bit[256];
};

// A byte's high nibble with the bit of 0x20 (or 0x10) left out: the bytes
// x and x ^ 0x20 share it, so eight bits of a row tell each low nibble's
// letters paired across that bit.
constexpr int PairKey(int high, int flip) {
    const int k = flip == 0x20 ? 1 : 0;
    return (high & ((1 << k) - 1)) | (high >> (k + 1)) << k;
}

// What a case-insensitive search needs of a code page, made once for each:
// its upper-case map, each byte's case bit, and which bytes share their
// letter with the byte 0x20 away (the letters of these pages but a few) as
// a bitmap indexed by the low nibble, one bit per high nibble, below 0x80
// and from 0x80 on. The line search asks the same in one row per low nibble
// (see PairKey) for 0x20 and 0x10 (cp1251's Ё/ё and a few more), and which
// bytes have a form neither 0x20 nor 0x10 away.
struct CaseFold {
    explicit CaseFold(const Byte* upper) : up(upper), bits(upper) {
        for (int b = 0; b < 256; ++b) {
            const Byte bit = static_cast<Byte>(1u << (b >> 4 & 7));
            if (up[b] == up[b ^ 0x20]) {
                (b < 0x80 ? flipBelow : flipAbove)[b & 15] |= bit;
                across20[b & 15] |= static_cast<Byte>(1u << PairKey(b >> 4, 0x20));
            }
            if (up[b] == up[b ^ 0x10]) across10[b & 15] |= static_cast<Byte>(1u << PairKey(b >> 4, 0x10));
            for (int c = 0; c < 256; ++c)
                if (up[c] == up[b] && c != b && c != (b ^ 0x20) && c != (b ^ 0x10))
                    (b < 0x80 ? elsewhereBelow : elsewhereAbove)[b & 15] |= bit;
        }
    }
    const Byte* up;
    CaseBits bits;
    Byte flipBelow[16] = {};
    Byte flipAbove[16] = {};
    Byte across20[16] = {};
    Byte across10[16] = {};
    // Bytes with a form that is neither 0x20 nor 0x10 away (cp1251's Ў/ў):
    // only the table tells whether they match.
    Byte elsewhereBelow[16] = {};
    Byte elsewhereAbove[16] = {};
};

const CaseFold& CaseFoldOf(const CodePage& page) {
    static const struct {
        CaseFold cp1250{CodePage::ByNumber(1250).UpperTable()};
        CaseFold cp1251{CodePage::ByNumber(1251).UpperTable()};
        CaseFold cp1252{CodePage::ByNumber(1252).UpperTable()};
    } all;
    switch (page.Number()) {
        case 1250: return all.cp1250;
        case 1252: return all.cp1252;
        default: return all.cp1251;
    }
}

#if defined(__x86_64__) || defined(__i386__)
#define TESK_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline

// The splats and small tables of the lane tests below, as one table read
// from memory: the compiler would build each splat in registers with more
// instructions than the tests take, so a pointer to it goes through an
// empty asm.
enum PairedRow { kLow8F, kTop80, kNibble, kBitOfHigh, kKeys20, kKeys10, kSplat20, kSplat20Upper, kSplat10, kPairedRows };
struct PairedConsts {
    alignas(32) Byte row[kPairedRows][16];
};
constexpr PairedConsts MakePairedConsts() {
    PairedConsts c{};
    for (int i = 0; i < 16; ++i) {
        c.row[kLow8F][i] = 0x8F;
        c.row[kTop80][i] = 0x80;
        c.row[kNibble][i] = 0x0F;
        c.row[kBitOfHigh][i] = static_cast<Byte>(1u << (i & 7));
        c.row[kKeys20][i] = static_cast<Byte>(1u << PairKey(i, 0x20));
        c.row[kKeys10][i] = static_cast<Byte>(1u << PairKey(i, 0x10));
        c.row[kSplat20][i] = c.row[kSplat20Upper][i] = 0x20;
        c.row[kSplat10][i] = 0x10;
    }
    return c;
}
constexpr PairedConsts kPaired = MakePairedConsts();

TESK_AVX2_INLINE const Byte* PairedTable() {
    const Byte* k = kPaired.row[0];
    asm("" : "+r"(k));
    return k;
}
TESK_AVX2_INLINE __m128i PairedRowOf(const Byte* k, PairedRow row) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(k + 16 * row));
}

// The lanes of w that hold a byte whose other-case form is the byte 0x20
// away (or another set of bytes, by its rows), as a lane test: the bitmap
// row of the byte's low nibble (an index with its top bit set reads 0, so
// each table answers for its half of the bytes), then the high nibble's bit.
TESK_AVX2_INLINE __m128i PairedAcross(__m128i w, const Byte* belowRows, const Byte* aboveRows) {
    const __m128i below = _mm_loadu_si128(reinterpret_cast<const __m128i*>(belowRows));
    const __m128i above = _mm_loadu_si128(reinterpret_cast<const __m128i*>(aboveRows));
    const Byte* k = PairedTable();
    const __m128i low = PairedRowOf(k, kLow8F);
    const __m128i row = _mm_or_si128(_mm_shuffle_epi8(below, _mm_and_si128(w, low)),
                                     _mm_shuffle_epi8(above, _mm_and_si128(_mm_xor_si128(w, PairedRowOf(k, kTop80)), low)));
    const __m128i high = _mm_and_si128(_mm_srli_epi16(w, 4), PairedRowOf(k, kNibble));
    const __m128i bit = _mm_shuffle_epi8(PairedRowOf(k, kBitOfHigh), high);
    return _mm_cmpeq_epi8(_mm_and_si128(row, bit), bit);
}
TESK_AVX2_INLINE __m128i PairedAcross20(__m128i w, const CaseFold& cf) { return PairedAcross(w, cf.flipBelow, cf.flipAbove); }

// Sixteen bytes of the word made ready once a call for comparing windows
// with: where the byte is paired 0x20 away, a window byte x is the same
// letter exactly when (x | 0x20) == (byte | 0x20); elsewhere the bytes must
// be equal, and lanes that are not are looked up in the table.
struct WordLanes {
    __m128i mask, folded;
};
TESK_AVX2_INLINE WordLanes MakeWordLanes(__m128i f, const CaseFold& cf) {
    const __m128i mask = _mm_and_si128(PairedAcross20(f, cf), _mm_set1_epi8(0x20));
    return {mask, _mm_or_si128(f, mask)};
}
TESK_AVX2_INLINE unsigned UndecidedLanes(__m128i w, const WordLanes& f) {
    return ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(w, f.mask), f.folded))) & 0xFFFFu;
}

// Up to sixteen bytes at p in one vector: the whole of them from sixteen on,
// else two overlapping halves of eight (m at least 8).
TESK_AVX2_INLINE __m128i EightToSixteen(const Byte* p, size_t m) {
    return _mm_set_epi64x(static_cast<long long>(Load64(p + m - 8)), static_cast<long long>(Load64(p)));
}
// The byte of a window or word behind lane of such a vector.
inline size_t LaneByte(unsigned lane, size_t m) { return lane < 8 ? lane : m - 16 + lane; }

// The window at w holds the word f of m bytes but for case; lanes are the
// word's first sixteen bytes as MakeWordLanes made them (m from 8 to 16: as
// EightToSixteen packs them).
TESK_AVX2_INLINE bool SameLetters(const Byte* w, const Byte* f, size_t m, const CaseFold& cf, const WordLanes& lanes) {
    const Byte* up = cf.up;
    if (m < 8) {
        for (size_t j = 0; j < m; ++j)
            if (w[j] != f[j] && up[w[j]] != up[f[j]]) return false;
        return true;
    }
    if (m <= 16) {
        for (unsigned u = UndecidedLanes(EightToSixteen(w, m), lanes); u; u &= u - 1) {
            const size_t j = LaneByte(static_cast<unsigned>(__builtin_ctz(u)), m);
            if (up[w[j]] != up[f[j]]) return false;
        }
        return true;
    }
    for (size_t j = 0;;) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + j));
        const WordLanes piece = j == 0 ? lanes : MakeWordLanes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(f + j)), cf);
        for (unsigned u = UndecidedLanes(x, piece); u; u &= u - 1) {
            const size_t k = j + static_cast<size_t>(__builtin_ctz(u));
            if (up[w[k]] != up[f[k]]) return false;
        }
        if (j + 16 >= m) return true;
        j = std::min(j + 16, m - 16);
    }
}

// The windows at w.. w + 31 whose first and last byte x pass (x | k) == g.
TESK_AVX2_INLINE uint32_t EndsMatch(const Byte* w, size_t m, __m256i k0, __m256i g0, __m256i k1, __m256i g1) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w + m - 1));
    const __m256i both =
        _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(a, k0), g0), _mm256_cmpeq_epi8(_mm256_or_si256(b, k1), g1));
    return static_cast<uint32_t>(_mm256_movemask_epi8(both));
}

// The case-insensitive search where the word's first and last bytes differ
// from their other forms in one bit at most (k0, k1): windows whose first
// and last bytes pass (x | k) == (byte | k) are compared whole. Nothing is
// made for the word but four vectors, so a word costs the same whatever was
// searched before it. Sixty-four windows a step on long texts; the last
// block overlaps the one before rather than reading past the text.
__attribute__((target("avx2"))) const Byte* FoldedScanAvx2(const Byte* s, size_t len, const Byte* f, size_t m,
                                                           const CaseFold& cf, Byte k0, Byte k1) {
    const size_t windows = len - m + 1;
    const WordLanes lanes =
        MakeWordLanes(m < 8 ? _mm_setzero_si128()
                            : m <= 16 ? EightToSixteen(f, m) : _mm_loadu_si128(reinterpret_cast<const __m128i*>(f)),
                      cf);
    if (windows < 32) {
        // Too short for one block of thirty-two: sixteen, or one at a time.
        const Byte g0 = static_cast<Byte>(f[0] | k0), g1 = static_cast<Byte>(f[m - 1] | k1);
        if (windows < 16) {
            for (size_t i = 0; i < windows; ++i)
                if ((s[i] | k0) == g0 && (s[i + m - 1] | k1) == g1 && SameLetters(s + i, f, m, cf, lanes)) return s + i;
            return nullptr;
        }
        const __m128i vk0 = _mm_set1_epi8(static_cast<char>(k0)), vg0 = _mm_set1_epi8(static_cast<char>(g0));
        const __m128i vk1 = _mm_set1_epi8(static_cast<char>(k1)), vg1 = _mm_set1_epi8(static_cast<char>(g1));
        unsigned keep = 0xFFFFu;
        for (size_t i = 0;;) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + m - 1));
            unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
                                _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, vk0), vg0), _mm_cmpeq_epi8(_mm_or_si128(b, vk1), vg1)))) &
                            keep;
            for (; mask; mask &= mask - 1) {
                const Byte* w = s + i + static_cast<size_t>(__builtin_ctz(mask));
                if (SameLetters(w, f, m, cf, lanes)) return w;
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
    const __m256i vk0 = _mm256_set1_epi8(static_cast<char>(k0));
    const __m256i vg0 = _mm256_set1_epi8(static_cast<char>(f[0] | k0));
    const __m256i vk1 = _mm256_set1_epi8(static_cast<char>(k1));
    const __m256i vg1 = _mm256_set1_epi8(static_cast<char>(f[m - 1] | k1));
    size_t i = 0;
    for (; i + 64 <= windows; i += 64) {
        for (uint64_t mask = EndsMatch(s + i, m, vk0, vg0, vk1, vg1) | static_cast<uint64_t>(EndsMatch(s + i + 32, m, vk0, vg0, vk1, vg1)) << 32; mask; mask &= mask - 1) {
            const Byte* w = s + i + static_cast<size_t>(__builtin_ctzll(mask));
            if (SameLetters(w, f, m, cf, lanes)) return w;
        }
    }
    if (i == windows) return nullptr;
    for (uint32_t keep = ~0u;; keep = ~0u) {
        if (i + 32 > windows) {
            const size_t seen = i - (windows - 32);
            i = windows - 32;
            keep = ~0u << seen;
        }
        for (uint32_t mask = EndsMatch(s + i, m, vk0, vg0, vk1, vg1) & keep; mask; mask &= mask - 1) {
            const Byte* w = s + i + static_cast<size_t>(__builtin_ctz(mask));
            if (SameLetters(w, f, m, cf, lanes)) return w;
        }
        if (i + 32 >= windows) return nullptr;
        i += 32;
    }
}
#endif

// The case-insensitive search of the len bytes (at least m) at s for f.
[[gnu::noinline]] const Byte* NoCaseScan(const Byte* s, size_t len, const Byte* f, size_t m) {
    const CodePage& page = CodePage::Active();
#if defined(__x86_64__) || defined(__i386__)
    const CaseFold& cf = CaseFoldOf(page);
    const unsigned k0 = cf.bits.bit[f[0]], k1 = cf.bits.bit[f[m - 1]];
    if (((k0 | k1) & kNotOneBit) == 0 && HasAvx2())
        return FoldedScanAvx2(s, len, f, m, cf, static_cast<Byte>(k0), static_cast<Byte>(k1));
#endif
    // The filter on the two forms of each end byte, where they have two at most.
    const FoldPairs& pairs = FoldPairsOf(page);
    if (pairs.ok[f[0]] && pairs.ok[f[m - 1]])
        return ScanShortBest(s, len, f, m, page.UpperTable(), pairs.pair[f[0]], pairs.pair[f[m - 1]]);
    return NoCaseBySearcher(s, len, f, m);
}

// The general search of the len bytes at s, answered as a 1-based position
// in the text at base.
[[gnu::noinline]] int NoCaseFrom(const Byte* base, const Byte* s, size_t len, const Byte* f, size_t m) {
    const Byte* hit = NoCaseScan(s, len, f, m);
    return hit ? static_cast<int>(hit - base) + 1 : 0;
}

// The part of the text a forward search looks at: the caller's lengths cut
// to the strings, from StartPos (at least 1) on; false when no match fits.
struct SearchArea {
    const Byte* s;
    size_t len;
    const Byte* f;
    size_t m;
};

[[gnu::always_inline]] inline bool ForwardArea(const AnsiString& Source, const AnsiString& Find, int SourceLen,
                                               int FindLen, int StartPos, SearchArea& a) {
    const size_t n = static_cast<size_t>(Clamp(SourceLen, Source));
    const size_t m = static_cast<size_t>(Clamp(FindLen, Find));
    if (m == 0 || m > n || static_cast<size_t>(StartPos) > n) return false;
    a.s = Bytes(Source) + (StartPos - 1);
    a.len = n - static_cast<size_t>(StartPos - 1);
    a.f = Bytes(Find);
    a.m = m;
    return a.len >= m;
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

#if defined(__x86_64__) || defined(__i386__)
// Lines (texts up to kLineText bytes with at least thirty-two windows) are
// searched for words of eight to thirty-two bytes with nothing made for the
// word: the end bytes pick windows, and a window picked is compared with the
// word as it stands, so a call costs the same whatever was searched before.
constexpr size_t kLineText = 256;

// The pages' fold tables, made at start-up so that the line search reaches
// them with no guard; kLineSearch, set after them, keeps a search that runs
// before (from another unit's start-up) on the general path.
const struct {
    CaseFold cp1250{CodePage::ByNumber(1250).UpperTable()};
    CaseFold cp1251{CodePage::ByNumber(1251).UpperTable()};
    CaseFold cp1252{CodePage::ByNumber(1252).UpperTable()};
    const CaseFold& Of(const CodePage& page) const {
        const int n = page.Number();
        return n == 1250 ? cp1250 : n == 1252 ? cp1252 : cp1251;
    }
} kLineFolds;
const bool kLineSearch = DetectAvx2();

// The lanes of x that are not a letter paired across a flip bit (0x20 with
// the rows across20 and keys kKeys20, 0x10 with across10 and kKeys10): a
// row per low nibble, the bit of the high nibble without the flip's bit.
TESK_AVX2_INLINE __m128i NotPaired(__m128i x, const Byte* rows, const Byte* k, PairedRow keys) {
    const __m128i nibble = PairedRowOf(k, kNibble);
    const __m128i row = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rows)), _mm_and_si128(x, nibble));
    const __m128i bit = _mm_shuffle_epi8(PairedRowOf(k, keys),
                                         _mm_and_si128(_mm_srli_epi16(x, 4), nibble));
    return _mm_cmpeq_epi8(_mm_and_si128(row, bit), _mm_setzero_si128());
}
// The lanes of a window's sixteen bytes (x) and the word's (y) not shown to
// hold the same letter: equal bytes pass, and so do bytes 0x20 or 0x10
// apart where the window's byte is a letter paired across that bit. Bytes
// 0x20 apart that are not one letter ('@' and '`') stay open.
TESK_AVX2_INLINE unsigned OpenLanesBoth(__m128i x, __m128i y, const CaseFold& cf, const Byte* k) {
    const __m128i d = _mm_xor_si128(x, y);
    const __m128i zero = _mm_setzero_si128();
    const __m128i at20 = _mm_andnot_si128(NotPaired(x, cf.across20, k, kKeys20),
                                          _mm_cmpeq_epi8(d, PairedRowOf(k, kSplat20)));
    const __m128i at10 = _mm_andnot_si128(NotPaired(x, cf.across10, k, kKeys10),
                                          _mm_cmpeq_epi8(d, PairedRowOf(k, kSplat10)));
    return ~static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(d, zero), _mm_or_si128(at20, at10)))) &
           0xFFFFu;
}

// The lanes that lanes(x, y) leaves open over the window at w and the word
// f. Long: the word has 17 to 32 bytes (head and tail, overlapping), else 8
// to 16 (first eight and last eight).
template <bool Long, class TLanes>
TESK_AVX2_INLINE unsigned WindowLanes(const Byte* w, const Byte* f, size_t m, TLanes lanes) {
    if constexpr (Long)
        return lanes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(w)), _mm_loadu_si128(reinterpret_cast<const __m128i*>(f))) |
               lanes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(w + m - 16)),
                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(f + m - 16)));
    else
        return lanes(EightToSixteen(w, m), EightToSixteen(f, m));
}

// The window at w holds the word f with no lane but those equal or letters
// 0x20 or 0x10 apart.
template <bool Long>
TESK_AVX2_INLINE bool SameByVectors(const Byte* w, const Byte* f, size_t m, const CaseFold& cf, const Byte* k) {
    return WindowLanes<Long>(w, f, m, [&](__m128i x, __m128i y) __attribute__((target("avx2"), always_inline)) {
               return OpenLanesBoth(x, y, cf, k);
           }) == 0;
}

// A window SameByVectors refused differs from the word for sure: no open
// lane's byte has a form only the table knows.
template <bool Long>
TESK_AVX2_INLINE bool DiffersForSure(const Byte* w, const Byte* f, size_t m, const CaseFold& cf, const Byte* k) {
    return WindowLanes<Long>(w, f, m, [&](__m128i x, __m128i y) __attribute__((target("avx2"), always_inline)) {
               return OpenLanesBoth(x, y, cf, k) &
                      static_cast<unsigned>(_mm_movemask_epi8(PairedAcross(x, cf.elsewhereBelow, cf.elsewhereAbove)));
           }) == 0;
}

// 1 where the window at w holds the word f but for case, 0 where it does
// not, -1 where an open lane's byte has a form only the table knows.
template <bool Long>
TESK_AVX2_INLINE int LineWindow(const Byte* w, const Byte* f, size_t m, const CaseFold& cf, const Byte* k) {
    if (SameByVectors<Long>(w, f, m, cf, k)) return 1;
    return DiffersForSure<Long>(w, f, m, cf, k) ? 0 : -1;
}

// The windows at w.. w + 31 whose end bytes x pass (x | 0x20) == g.
TESK_AVX2_INLINE uint32_t LineEnds(const Byte* w, size_t m, __m256i g0, __m256i g1, const Byte* k) {
    const __m256i c = _mm256_load_si256(reinterpret_cast<const __m256i*>(k + 16 * kSplat20));
    return EndsMatch(w, m, c, g0, c, g1);
}

// The windows picked by mask (bit 0: the window at s) in order: the
// position of the first that holds the word, 0 if none does; a window with
// a lane the vectors cannot decide hands the search from there on to the
// general path.
template <bool Long>
TESK_AVX2_INLINE int LineCandidates(uint64_t mask, const Byte* base, const Byte* s, size_t len, const Byte* f,
                                    size_t m, const CaseFold& cf, const Byte* k) {
    for (; mask; mask &= mask - 1) {
        const size_t j = static_cast<size_t>(__builtin_ctzll(mask));
        const int same = LineWindow<Long>(s + j, f, m, cf, k);
        if (same > 0) return static_cast<int>(s + j - base) + 1;
        if (same < 0) return NoCaseFrom(base, s + j, len - j, f, m);
    }
    return 0;
}

// A line of more than sixty-four windows, sixty-four a step; the last
// step's second block overlaps the first rather than reading past the text
// (a window seen twice fails or matches alike).
template <bool Long>
[[gnu::noinline]] __attribute__((target("avx2"))) int NoCaseLongLine(const Byte* base, const Byte* s, size_t len, const Byte* f,
                                                   size_t m, const CaseFold& cf) {
    const Byte* k = PairedTable();
    const __m256i g0 = _mm256_set1_epi8(static_cast<char>(f[0] | 0x20));
    const __m256i g1 = _mm256_set1_epi8(static_cast<char>(f[m - 1] | 0x20));
    const size_t last = len - m + 1 - 32;  // the start of the last block
    for (size_t i = 0;;) {
        const size_t next = std::min(i + 32, last);
        const uint64_t mask =
            LineEnds(s + i, m, g0, g1, k) | static_cast<uint64_t>(LineEnds(s + next, m, g0, g1, k)) << (next - i);
        if (mask)
            if (const int at = LineCandidates<Long>(mask, base, s + i, len - i, f, m, cf, k)) return at;
        if (next == last) return 0;
        i = std::min(next + 32, last);
    }
}

// The windows of mask after the first, for NoCaseLine.
template <bool Long>
[[gnu::noinline]] __attribute__((target("avx2"))) int NoCaseLineRest(uint64_t mask, const Byte* base, const Byte* s,
                                                                     size_t len, const Byte* f, size_t m) {
    return LineCandidates<Long>(mask, base, s, len, f, m, kLineFolds.Of(CodePage::Active()), PairedTable());
}

// The search of a line (see kLineText) from s, answered as a 1-based
// position in the text at base. Where the word's end bytes differ from their
// other forms in 0x20 (or not at all), windows are picked by (x | 0x20)
// with no table on the way. Up to sixty-four windows take two blocks, the
// second overlapping the first. The path calls nothing but in tail
// position, so it saves few registers.
template <bool Long>
__attribute__((target("avx2"))) int NoCaseLine(const Byte* base, const Byte* s, size_t len, const Byte* f, size_t m) {
    const CodePage* page = CodePage::ActiveIfChosen();
    if (!page) return NoCaseFrom(base, s, len, f, m);
    const CaseFold& cf = kLineFolds.Of(*page);
    if (((cf.bits.bit[f[0]] | cf.bits.bit[f[m - 1]]) & ~0x20u) != 0) return NoCaseFrom(base, s, len, f, m);
    const size_t last = len - m + 1 - 32;
    if (last > 32) return NoCaseLongLine<Long>(base, s, len, f, m, cf);
    const Byte* k = PairedTable();
    const __m256i g0 = _mm256_set1_epi8(static_cast<char>(f[0] | 0x20));
    const __m256i g1 = _mm256_set1_epi8(static_cast<char>(f[m - 1] | 0x20));
    uint64_t mask = LineEnds(s, m, g0, g1, k) | static_cast<uint64_t>(LineEnds(s + last, m, g0, g1, k)) << last;
    // The first window picked is compared here; anything else (another
    // window, a lane only the table decides) goes on in a loop of its own:
    // straight code needs no registers saved.
    // A line often holds one false start before the word: a window whose
    // open lanes all differ for sure is passed here too.
    if (mask == 0) return 0;
    size_t j = static_cast<size_t>(__builtin_ctzll(mask));
    if (SameByVectors<Long>(s + j, f, m, cf, k)) return static_cast<int>(s + j - base) + 1;
    if (!DiffersForSure<Long>(s + j, f, m, cf, k)) return NoCaseLineRest<Long>(mask, base, s, len, f, m);
    mask &= mask - 1;
    if (mask == 0) return 0;
    j = static_cast<size_t>(__builtin_ctzll(mask));
    if (SameByVectors<Long>(s + j, f, m, cf, k)) return static_cast<int>(s + j - base) + 1;
    return NoCaseLineRest<Long>(mask, base, s, len, f, m);
}
#endif

// Raises the assertion of a forward search given a start below 1; kept out
// of line and known not to return, so a valid search saves nothing for it.
[[noreturn, gnu::cold, gnu::noinline]] void RaiseStartBelowOne(int line) {
    AssertAt(false, "uQuickStrings", line);
    __builtin_unreachable();
}

}  // namespace

namespace QuickStringsDetail {

void StartBelowOne(int Line) { RaiseStartBelowOne(Line); }

int FastPosPast(const AnsiString& Source, const AnsiString& Find, const char* Hit, size_t End, size_t FindLen) {
    // A longer pattern is compared there, from this start on.
    const Byte* next = reinterpret_cast<const Byte*>(FindLen > 16 ? Hit : Hit + 1);
    const Byte* hit = ScanExact(next, static_cast<size_t>(Bytes(Source) + End - next), Bytes(Find), FindLen);
    return hit ? static_cast<int>(hit - Bytes(Source)) + 1 : 0;
}

}  // namespace QuickStringsDetail

int FastPosNoCase(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen, int StartPos) {
    if (StartPos < 1) RaiseStartBelowOne(565);
#if defined(__x86_64__) || defined(__i386__)
    // A line, with lengths inside the strings as callers mostly give them,
    // goes straight on: a negative length turns huge and fails the tests,
    // and so does a start past the end, by the area's length.
    const size_t n = static_cast<unsigned>(SourceLen), m = static_cast<unsigned>(FindLen);
    const size_t len = n - static_cast<size_t>(StartPos - 1);
    if (n <= Source.size() && m <= Find.size() && m - 8 <= 24 && len - (m + 31) <= kLineText - (m + 31) && kLineSearch) {
        const Byte* s = Bytes(Source) + (StartPos - 1);
        return m > 16 ? NoCaseLine<true>(Bytes(Source), s, len, Bytes(Find), m)
                      : NoCaseLine<false>(Bytes(Source), s, len, Bytes(Find), m);
    }
#endif
    SearchArea a;
    if (!ForwardArea(Source, Find, SourceLen, FindLen, StartPos, a)) return 0;
    return NoCaseFrom(Bytes(Source), a.s, a.len, a.f, a.m);
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
