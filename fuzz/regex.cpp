// Fuzzes the regular-expression compiler and matcher. Input layout: one byte of
// options (bits 0-5 the modifiers i r s g m x, bit 6 Cyrillic word characters,
// bit 7 no paired line separator), then the pattern up to the first zero byte,
// then the text. Errors the engine reports as ERegex are expected; the internal
// checks that a compiled program can never fail, a crash, any other exception
// or a wrong group position are findings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "text/Regex.h"

namespace {

bool InternalCheck(int code) { return code == 1000 || code == 1001 || code == 1002 || code == 1004 || code == 1015; }

void CheckGroups(const TRegex& r, size_t textLen) {
    const int len0 = r.MatchLen(0);
    const int pos0 = r.MatchPos(0);
    if (pos0 < 1 || len0 < 0 || static_cast<size_t>(pos0 - 1 + len0) > textLen) std::abort();
    for (int i = 0; i < TRegex::NSUBEXP; ++i) {
        const int pos = r.MatchPos(i), len = r.MatchLen(i);
        if (pos == -1) {
            if (len != -1 || !r.Match(i).empty()) std::abort();
            continue;
        }
        if (pos < 1 || len < 0 || static_cast<size_t>(pos - 1 + len) > textLen) std::abort();
        if (r.Match(i).size() != static_cast<size_t>(len)) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t options = data[0];
    const char* rest = reinterpret_cast<const char*>(data + 1);
    const size_t restLen = size - 1;
    const void* zero = std::memchr(rest, 0, restLen);
    const size_t patternLen = zero ? static_cast<size_t>(static_cast<const char*>(zero) - rest) : restLen;
    const std::string pattern(rest, patternLen);
    const std::string text = zero ? std::string(rest + patternLen + 1, restLen - patternLen - 1) : std::string();
    const size_t textLen = std::strlen(text.c_str());

    TRegex r;
    for (int i = 1; i <= 6; ++i) r.SetModifier(i, (options >> (i - 1)) & 1);
    if (options & 0x40)
        for (int c = 0xC0; c <= 0xFF; ++c) r.WordChars += static_cast<char>(c);
    if (options & 0x80) r.SetLinePairedSeparator("");
    r.SetExpression(pattern);
    try {
        bool found = r.Exec(text);
        int first = found ? r.MatchPos(0) : -1;
        for (int k = 0; found && k < 16; ++k) {
            CheckGroups(r, textLen);
            found = r.ExecNext();
        }
        // The same search again gives the same answer.
        if (r.Exec(text) != (first != -1) || (first != -1 && r.MatchPos(0) != first)) std::abort();
        if (first > 1 && !r.ExecPos(first)) std::abort();
        if (first != -1 && r.MatchPos(0) != first) std::abort();
    } catch (const ERegex& e) {
        if (InternalCheck(e.ErrorCode)) std::abort();
    }
    return 0;
}
