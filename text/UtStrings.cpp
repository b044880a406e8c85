#include "text/UtStrings.h"

#include <cstring>

#include "platform/classes/Streams.h"
#include "platform/classes/Strings.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

// The case map of the active code page: lower, upper and swapped forms.
inline unsigned char LowerOf(unsigned char c) { return CodePage::Active().Lower(c); }
inline unsigned char UpperOf(unsigned char c) { return CodePage::Active().Upper(c); }
inline unsigned char SwapOf(unsigned char c) {
    const CodePage& cp = CodePage::Active();
    const unsigned short type = cp.CharType(c);
    if (type & C1_UPPER) return cp.Lower(c);
    if (type & C1_LOWER) return cp.Upper(c);
    return c;
}

inline unsigned char At(const AnsiString& s, size_t i) { return static_cast<unsigned char>(s[i]); }

}  // namespace

AnsiString StrLeft(const AnsiString& S, int Count) {
    if (Count <= 0) return AnsiString();
    return S.substr(0, static_cast<size_t>(Count));
}

AnsiString StrRight(const AnsiString& S, int Count) {
    if (Count <= 0) return AnsiString();
    if (static_cast<size_t>(Count) >= S.size()) return S;
    return S.substr(S.size() - static_cast<size_t>(Count));
}

AnsiString StrRestOf(const AnsiString& S, int N) {
    const size_t from = N < 1 ? 0 : static_cast<size_t>(N) - 1;
    return from >= S.size() ? AnsiString() : S.substr(from);
}

AnsiString StrEnsureSuffix(const AnsiString& Suffix, const AnsiString& Text) {
    if (Text.size() >= Suffix.size() && Text.compare(Text.size() - Suffix.size(), Suffix.size(), Suffix) == 0)
        return Text;
    return Text + Suffix;
}

bool StrContainsChars(const AnsiString& S, const TSysCharSet& Chars, bool CheckAll) {
    if (Chars.none()) return true;
    if (!CheckAll) {
        for (char c : S)
            if (Chars.test(static_cast<unsigned char>(c))) return true;
        return false;
    }
    TSysCharSet seen;
    for (char c : S) seen.set(static_cast<unsigned char>(c));
    return (Chars & ~seen).none();
}

void StrReplace(AnsiString& S, const AnsiString& Search, const AnsiString& Replace, TReplaceFlags Flags) {
    if (Search.empty()) {
        if (!S.empty()) throw EUtError("Search string cannot be blank");
        S = Replace;
        return;
    }
    if (S.empty()) return;
    const bool ignoreCase = (Flags & rfIgnoreCase) != 0;
    const bool all = (Flags & rfReplaceAll) != 0;
    const AnsiString search = ignoreCase ? AnsiUpperCase(Search) : Search;
    auto same = [&](unsigned char a, unsigned char b) { return ignoreCase ? UpperOf(a) == b : a == b; };

    AnsiString result;
    result.reserve(S.size());
    size_t i = 0;
    while (i < S.size()) {
        if (!same(At(S, i), At(search, 0))) {
            result += S[i++];
            continue;
        }
        size_t j = 1;
        while (j < search.size() && i + j < S.size() && same(At(S, i + j), At(search, j))) ++j;
        if (j < search.size()) {
            result += S[i++];
            continue;
        }
        result += Replace;
        i += search.size();
        if (!all) {
            result.append(S, i, AnsiString::npos);
            break;
        }
    }
    S = std::move(result);
}

int StrSearch(const AnsiString& SubStr, const AnsiString& S, int Index) {
    if (SubStr.empty() || S.empty() || Index < 1) return 0;
    const unsigned char first = LowerOf(At(SubStr, 0));
    for (size_t i = static_cast<size_t>(Index) - 1; i + SubStr.size() <= S.size(); ++i) {
        if (LowerOf(At(S, i)) != first) continue;
        size_t j = 1;
        for (; j < SubStr.size(); ++j) {
            const unsigned char c = At(S, i + j), want = At(SubStr, j);
            if (c != want && c != SwapOf(want)) break;
        }
        if (j == SubStr.size()) return static_cast<int>(i) + 1;
    }
    return 0;
}

void StrResetLength(AnsiString& S) {
    const size_t zero = S.find('\0');
    if (zero != AnsiString::npos) S.resize(zero);
}

void StrToStrings(const AnsiString& S, const AnsiString& Sep, TStrings* List, bool AllowEmpty) {
    AssertAt(List != nullptr, "UtStrings", 3653);
    TUpdateLock lock(List);
    List->Clear();
    size_t from = 0;
    // An empty separator occurs nowhere.
    for (size_t at; !Sep.empty() && (at = S.find(Sep, from)) != AnsiString::npos; from = at + Sep.size()) {
        if (at > from || AllowEmpty) List->Add(S.substr(from, at - from));
    }
    if (from < S.size()) List->Add(S.substr(from));
}

AnsiString FileToString(const AnsiString& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    AnsiString result(static_cast<size_t>(stream.Size()), '\0');
    if (!result.empty()) stream.ReadBuffer(result.data(), static_cast<int64_t>(result.size()));
    return result;
}
