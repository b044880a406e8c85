#pragma once
// Byte strings of the active ANSI code page, and the tables behind every
// case-insensitive comparison in the system. The page is fixed at start-up
// (TESK_CODEPAGE = 1250, 1251 or 1252; 1251 by default).
#include <cstdint>
#include <string>
#include <string_view>

using AnsiString = std::string;
using WideString = std::u16string;

// Win32 character-type bits (GetStringTypeEx, CT_CTYPE1).
enum : unsigned short {
    C1_UPPER = 0x0001, C1_LOWER = 0x0002, C1_DIGIT = 0x0004, C1_SPACE = 0x0008,
    C1_PUNCT = 0x0010, C1_CNTRL = 0x0020, C1_BLANK = 0x0040, C1_XDIGIT = 0x0080,
    C1_ALPHA = 0x0100
};
// The same, CT_CTYPE3 (the Far-East classification).
enum : unsigned short {
    C3_NONSPACING = 0x0001, C3_DIACRITIC = 0x0002, C3_VOWELMARK = 0x0004, C3_SYMBOL = 0x0008,
    C3_KATAKANA = 0x0010, C3_HIRAGANA = 0x0020, C3_HALFWIDTH = 0x0040, C3_FULLWIDTH = 0x0080,
    C3_IDEOGRAPH = 0x0100, C3_KASHIDA = 0x0200, C3_LEXICAL = 0x0400, C3_ALPHA = 0x8000
};

class CodePage {
public:
    // The process-wide page; the first call reads TESK_CODEPAGE. Inline, as
    // every case-insensitive compare asks for it.
    static const CodePage& Active() { return active_ ? *active_ : FirstActive(); }
    // The active page, or null while none has been asked for or set.
    static const CodePage* ActiveIfChosen() { return active_; }
    // Switches the active page (start-up and tests only; tables are shared).
    static void SetActive(int number);
    static const CodePage& ByNumber(int number);  // 1250, 1251 or 1252; others give 1251

    int Number() const { return number_; }
    unsigned char Upper(unsigned char c) const { return upper_[c]; }
    unsigned char Lower(unsigned char c) const { return lower_[c]; }
    unsigned short CharType(unsigned char c) const { return type_[c]; }
    char16_t ToUnicode(unsigned char c) const { return toUnicode_[c]; }
    // '?' for a character the page cannot hold.
    unsigned char FromUnicode(char32_t u) const;
    const unsigned char* UpperTable() const { return upper_; }
    const unsigned char* LowerTable() const { return lower_; }

private:
    static const CodePage& FirstActive();
    static inline const CodePage* active_ = nullptr;
    CodePage(int number, const char16_t* toUnicode, const unsigned char* upper,
             const unsigned char* lower, const unsigned short* type);
    int number_;
    const char16_t* toUnicode_;
    const unsigned char* upper_;
    const unsigned char* lower_;
    const unsigned short* type_;
    // Unicode -> byte, sorted by code point for a binary search.
    char16_t reverseKeys_[256];
    unsigned char reverseValues_[256];
};

// Case mapping and comparison on the active page.
AnsiString AnsiUpperCase(const AnsiString& s);
AnsiString AnsiLowerCase(const AnsiString& s);
// Only ASCII letters change (the framework's UpperCase/LowerCase).
AnsiString UpperCase(const AnsiString& s);
AnsiString LowerCase(const AnsiString& s);
// <0, 0, >0 like strcmp; Text ignores letter case (fold, then compare bytes).
int AnsiCompareText(std::string_view a, std::string_view b);
int AnsiCompareStr(const AnsiString& a, const AnsiString& b);
bool AnsiSameText(const AnsiString& a, const AnsiString& b);
bool AnsiSameStr(const AnsiString& a, const AnsiString& b);
int CompareText(const AnsiString& a, const AnsiString& b);  // ASCII-only folding
bool SameText(const AnsiString& a, const AnsiString& b);
// In-place buffer conversions (CharUpperBuffA / CharLowerBuffA); return the length.
unsigned CharUpperBuff(char* buffer, unsigned length);
unsigned CharLowerBuff(char* buffer, unsigned length);
char CharUpper(char c);
char CharLower(char c);
bool IsCharAlpha(char c);
bool IsCharUpper(char c);
bool IsCharLower(char c);
bool IsCharAlphaNumeric(char c);

// Decodes the UTF-8 character at s[i] into u and moves i past it; false, with
// i moved by one, for a byte that starts no valid sequence.
bool DecodeUtf8Char(std::string_view s, size_t& i, char32_t& u);

// True for valid UTF-8: no overlong form, surrogate or value past U+10FFFF.
bool IsValidUtf8(std::string_view s);
// True for bytes an editor saved as UTF-8: valid UTF-8 (no overlong form,
// surrogate or value past U+10FFFF) holding some character outside ASCII.
bool HoldsUtf8Letters(std::string_view s);

// Conversions at the edges of the system.
AnsiString Utf8ToAnsi(const std::string& utf8);
// The same, telling whether some character had no place in the code page
// (or was no valid UTF-8) and so became "?".
AnsiString Utf8ToAnsi(std::string_view utf8, bool& Lost);
std::string AnsiToUtf8(const AnsiString& ansi);
WideString AnsiToWide(const AnsiString& ansi);
AnsiString WideToAnsi(const WideString& wide);
// A file name (the system's bytes, UTF-8 here) as text of the active code
// page for a message; bytes that are no UTF-8 are shown as they are.
AnsiString FileNameAsText(const AnsiString& FileName);
// For literals written in UTF-8 in our sources (messages in Russian, for example).
inline AnsiString FromUtf8Literal(const char* utf8) { return Utf8ToAnsi(utf8); }
