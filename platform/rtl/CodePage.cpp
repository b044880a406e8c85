#include "platform/rtl/CodePage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/rtl/CodePageTables.inc"

namespace {

int PageFromEnvironment() {
    const char* v = std::getenv("TESK_CODEPAGE");
    if (!v) return 1251;
    int n = std::atoi(v);
    return (n == 1250 || n == 1252) ? n : 1251;
}

}  // namespace

CodePage::CodePage(int number, const char16_t* toUnicode, const unsigned char* upper,
                   const unsigned char* lower, const unsigned short* type)
    : number_(number), toUnicode_(toUnicode), upper_(upper), lower_(lower), type_(type) {
    int order[256];
    for (int i = 0; i < 256; ++i) order[i] = i;
    std::stable_sort(order, order + 256, [&](int a, int b) { return toUnicode[a] < toUnicode[b]; });
    for (int i = 0; i < 256; ++i) {
        reverseKeys_[i] = toUnicode[order[i]];
        reverseValues_[i] = static_cast<unsigned char>(order[i]);
    }
}

const CodePage& CodePage::ByNumber(int number) {
    static const CodePage cp1250(1250, kCp1250ToUnicode, kCp1250Upper, kCp1250Lower, kCp1250CharType);
    static const CodePage cp1251(1251, kCp1251ToUnicode, kCp1251Upper, kCp1251Lower, kCp1251CharType);
    static const CodePage cp1252(1252, kCp1252ToUnicode, kCp1252Upper, kCp1252Lower, kCp1252CharType);
    switch (number) {
        case 1250: return cp1250;
        case 1252: return cp1252;
        default: return cp1251;
    }
}

const CodePage& CodePage::FirstActive() {
    if (!active_) active_ = &ByNumber(PageFromEnvironment());
    return *active_;
}

void CodePage::SetActive(int number) { active_ = &ByNumber(number); }

unsigned char CodePage::FromUnicode(char32_t u) const {
    if (u > 0xFFFF) return '?';
    auto it = std::lower_bound(reverseKeys_, reverseKeys_ + 256, static_cast<char16_t>(u));
    if (it == reverseKeys_ + 256 || *it != u) return '?';
    return reverseValues_[it - reverseKeys_];
}

AnsiString AnsiUpperCase(const AnsiString& s) {
    AnsiString r(s);
    CharUpperBuff(r.data(), static_cast<unsigned>(r.size()));
    return r;
}

AnsiString AnsiLowerCase(const AnsiString& s) {
    AnsiString r(s);
    CharLowerBuff(r.data(), static_cast<unsigned>(r.size()));
    return r;
}

AnsiString UpperCase(const AnsiString& s) {
    AnsiString r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}

AnsiString LowerCase(const AnsiString& s) {
    AnsiString r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return r;
}

int AnsiCompareText(std::string_view a, std::string_view b) {
    const unsigned char* up = CodePage::Active().UpperTable();
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = up[static_cast<unsigned char>(a[i])], cb = up[static_cast<unsigned char>(b[i])];
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int AnsiCompareStr(const AnsiString& a, const AnsiString& b) {
    int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

bool AnsiSameText(const AnsiString& a, const AnsiString& b) {
    return a.size() == b.size() && AnsiCompareText(a, b) == 0;
}

bool AnsiSameStr(const AnsiString& a, const AnsiString& b) { return a == b; }

int CompareText(const AnsiString& a, const AnsiString& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'a' && ca <= 'z') ca -= 32;
        if (cb >= 'a' && cb <= 'z') cb -= 32;
        if (ca != cb) return ca - cb;
    }
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

bool SameText(const AnsiString& a, const AnsiString& b) { return CompareText(a, b) == 0; }

unsigned CharUpperBuff(char* buffer, unsigned length) {
    const unsigned char* up = CodePage::Active().UpperTable();
    for (unsigned i = 0; i < length; ++i)
        buffer[i] = static_cast<char>(up[static_cast<unsigned char>(buffer[i])]);
    return length;
}

unsigned CharLowerBuff(char* buffer, unsigned length) {
    const unsigned char* lo = CodePage::Active().LowerTable();
    for (unsigned i = 0; i < length; ++i)
        buffer[i] = static_cast<char>(lo[static_cast<unsigned char>(buffer[i])]);
    return length;
}

char CharUpper(char c) { return static_cast<char>(CodePage::Active().Upper(static_cast<unsigned char>(c))); }
char CharLower(char c) { return static_cast<char>(CodePage::Active().Lower(static_cast<unsigned char>(c))); }
bool IsCharAlpha(char c) { return CodePage::Active().CharType(static_cast<unsigned char>(c)) & C1_ALPHA; }
bool IsCharUpper(char c) { return CodePage::Active().CharType(static_cast<unsigned char>(c)) & C1_UPPER; }
bool IsCharLower(char c) { return CodePage::Active().CharType(static_cast<unsigned char>(c)) & C1_LOWER; }
bool IsCharAlphaNumeric(char c) {
    return CodePage::Active().CharType(static_cast<unsigned char>(c)) & (C1_ALPHA | C1_DIGIT);
}

bool DecodeUtf8Char(std::string_view s, size_t& i, char32_t& u) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    u = c;
    if (c < 0x80) { ++i; return true; }
    int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= s.size()) { ++i; return false; }
    char32_t code = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned char d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80) { ++i; return false; }
        code = (code << 6) | (d & 0x3F);
    }
    i += extra + 1;
    u = code;
    return true;
}

namespace {

void AppendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

}  // namespace

AnsiString Utf8ToAnsi(const std::string& utf8) {
    bool lost;
    return Utf8ToAnsi(std::string_view(utf8), lost);
}

AnsiString Utf8ToAnsi(std::string_view utf8, bool& Lost) {
    const CodePage& cp = CodePage::Active();
    Lost = false;
    // Never longer than its source: written in place, cut at the end. A
    // malformed byte becomes "?", as a character the code page lacks does.
    AnsiString out(utf8.size(), '\0');
    size_t n = 0;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) { out[n++] = static_cast<char>(c); ++i; continue; }
        char32_t u;
        const unsigned char b = DecodeUtf8Char(utf8, i, u) ? cp.FromUnicode(u) : '?';
        if (b == '?') Lost = true;
        out[n++] = static_cast<char>(b);
    }
    out.resize(n);
    return out;
}

bool IsValidUtf8(std::string_view s) {
    const auto* b = reinterpret_cast<const unsigned char*>(s.data());
    const size_t n = s.size();
    for (size_t i = 0; i < n;) {
        const unsigned char c = b[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int follow;
        char32_t u;
        if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
            u = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
            u = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
            u = c & 0x07;
        } else {
            return false;
        }
        if (n - i <= static_cast<size_t>(follow)) return false;
        for (int k = 1; k <= follow; ++k) {
            if ((b[i + k] & 0xC0) != 0x80) return false;
            u = (u << 6) | (b[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past the last code point.
        if ((follow == 2 && u < 0x800) || (follow == 3 && (u < 0x10000 || u > 0x10FFFF)) ||
            (u >= 0xD800 && u <= 0xDFFF))
            return false;
        i += static_cast<size_t>(follow) + 1;
    }
    return true;
}

bool HoldsUtf8Letters(std::string_view s) {
    const bool beyondAscii =
        std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return beyondAscii && IsValidUtf8(s);
}

AnsiString FileNameAsText(const AnsiString& FileName) {
    char32_t u;
    for (size_t i = 0; i < FileName.size();)
        if (!DecodeUtf8Char(FileName, i, u)) return FileName;
    return Utf8ToAnsi(FileName);
}

std::string AnsiToUtf8(const AnsiString& ansi) {
    const CodePage& cp = CodePage::Active();
    std::string out;
    out.reserve(ansi.size() * 2);
    for (char c : ansi) AppendUtf8(out, cp.ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

WideString AnsiToWide(const AnsiString& ansi) {
    const CodePage& cp = CodePage::Active();
    WideString out;
    out.reserve(ansi.size());
    for (char c : ansi) out += cp.ToUnicode(static_cast<unsigned char>(c));
    return out;
}

AnsiString WideToAnsi(const WideString& wide) {
    const CodePage& cp = CodePage::Active();
    AnsiString out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t u = wide[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < wide.size()) {
            char32_t lo = wide[i + 1];
            if (lo >= 0xDC00 && lo < 0xE000) { u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00); ++i; }
        }
        out += static_cast<char>(cp.FromUnicode(u));
    }
    return out;
}
