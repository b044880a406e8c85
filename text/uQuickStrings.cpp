#include "text/uQuickStrings.h"

#include <algorithm>
#include <cstring>

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

// One pattern prepared for repeated forward scans. The case-insensitive table
// is re-indexed by the raw byte (each byte takes the shift of its upper-case
// form), so the scan looks up one table per step instead of two.
class Searcher {
public:
    Searcher(const Byte* find, int findLen, bool caseSensitive)
        : find_(find), m_(findLen), caseSensitive_(caseSensitive), up_(UpcaseTable()) {
        if (caseSensitive_) {
            MakeBMTable(find_, m_, skip_);
        } else {
            int32_t folded[256];
            MakeBMTableNoCase(find_, m_, folded, up_);
            for (int b = 0; b < 256; ++b) skip_[b] = folded[up_[b]];
        }
    }

    // First match inside the len bytes at s, or nullptr.
    const Byte* Find(const Byte* s, size_t len) const {
        if (len < static_cast<size_t>(m_)) return nullptr;
        return caseSensitive_ ? BMPos(s, len) : BMPosNoCase(s, len);
    }

private:
    const Byte* BMPos(const Byte* s, size_t len) const {
        const size_t m = static_cast<size_t>(m_);
        if (m == 1) return static_cast<const Byte*>(std::memchr(s, find_[0], len));
        const Byte last = find_[m - 1];
        size_t e = m - 1;
        while (e < len) {
            const Byte c = s[e];
            if (c == last && std::memcmp(s + e - (m - 1), find_, m - 1) == 0) return s + e - (m - 1);
            e += static_cast<size_t>(skip_[c]);
        }
        return nullptr;
    }

    const Byte* BMPosNoCase(const Byte* s, size_t len) const {
        const size_t m = static_cast<size_t>(m_);
        const Byte* up = up_;
        const Byte last = up[find_[m - 1]];
        if (m == 1) {
            for (size_t i = 0; i < len; ++i)
                if (up[s[i]] == last) return s + i;
            return nullptr;
        }
        size_t e = m - 1;
        while (e < len) {
            const Byte c = s[e];
            if (up[c] == last) {
                const Byte* w = s + e - (m - 1);
                size_t j = m - 1;
                while (j > 0 && up[w[j - 1]] == up[find_[j - 1]]) --j;
                if (j == 0) return w;
            }
            e += static_cast<size_t>(skip_[c]);
        }
        return nullptr;
    }

    const Byte* find_;
    int m_;
    bool caseSensitive_;
    const Byte* up_;
    int32_t skip_[256];
};

int ForwardPos(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen, int StartPos,
               bool caseSensitive) {
    SourceLen = Clamp(SourceLen, Source);
    FindLen = Clamp(FindLen, Find);
    if (FindLen < 1 || FindLen > SourceLen) return 0;
    if (StartPos > SourceLen) return 0;
    Searcher searcher(Bytes(Find), FindLen, caseSensitive);
    const Byte* area = Bytes(Source) + (StartPos - 1);
    const Byte* hit = searcher.Find(area, static_cast<size_t>(SourceLen - (StartPos - 1)));
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
    AssertAt(StartPos >= 1, "uQuickStrings", 544);
    return ForwardPos(Source, Find, SourceLen, FindLen, StartPos, true);
}

int FastPosNoCase(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen, int StartPos) {
    AssertAt(StartPos >= 1, "uQuickStrings", 565);
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
    const Searcher searcher(Bytes(Find), static_cast<int>(m), CaseSensitive);
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
