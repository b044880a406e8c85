#include "storage/UtMime.h"

#include <algorithm>
#include <cstdint>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kLineBytes = 57;  // 76 characters

const int8_t* Decoding() {
    static const auto table = [] {
        struct {
            int8_t value[256];
        } t;
        for (int i = 0; i < 256; ++i) t.value[i] = -1;
        for (int i = 0; i < 64; ++i) t.value[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
        return t;
    }();
    return table.value;
}

}  // namespace

int MimeEncodedSize(int InputSize) {
    if (InputSize <= 0) return 0;
    return (InputSize + 2) / 3 * 4 + (InputSize - 1) / kLineBytes * 2;
}

int MimeDecodedSize(int InputSize) { return InputSize <= 0 ? 0 : (InputSize + 3) / 4 * 3; }

AnsiString MimeEncodeString(const AnsiString& S) {
    AnsiString out;
    out.reserve(static_cast<size_t>(MimeEncodedSize(static_cast<int>(S.size()))));
    const auto* in = reinterpret_cast<const unsigned char*>(S.data());
    const size_t n = S.size();
    for (size_t line = 0; line < n; line += kLineBytes) {
        if (line > 0) out += "\r\n";
        const size_t end = std::min(n, line + kLineBytes);
        size_t i = line;
        for (; i + 3 <= end; i += 3) {
            const uint32_t v = (in[i] << 16) | (in[i + 1] << 8) | in[i + 2];
            out += kAlphabet[v >> 18];
            out += kAlphabet[(v >> 12) & 63];
            out += kAlphabet[(v >> 6) & 63];
            out += kAlphabet[v & 63];
        }
        if (end - i == 1) {
            const uint32_t v = in[i] << 16;
            out += kAlphabet[v >> 18];
            out += kAlphabet[(v >> 12) & 63];
            out += "==";
        } else if (end - i == 2) {
            const uint32_t v = (in[i] << 16) | (in[i + 1] << 8);
            out += kAlphabet[v >> 18];
            out += kAlphabet[(v >> 12) & 63];
            out += kAlphabet[(v >> 6) & 63];
            out += '=';
        }
    }
    return out;
}

AnsiString MimeDecodeString(const AnsiString& S) {
    const int8_t* table = Decoding();
    AnsiString out;
    out.reserve(static_cast<size_t>(MimeDecodedSize(static_cast<int>(S.size()))));
    uint32_t bits = 0;
    int pending = 0;
    for (unsigned char c : S) {
        const int v = table[c];
        if (v < 0) continue;
        bits = (bits << 6) | static_cast<uint32_t>(v);
        if (++pending == 4) {
            out += static_cast<char>(bits >> 16);
            out += static_cast<char>(bits >> 8);
            out += static_cast<char>(bits);
            bits = 0;
            pending = 0;
        }
    }
    if (pending == 3) {
        out += static_cast<char>(bits >> 10);
        out += static_cast<char>(bits >> 2);
    } else if (pending == 2) {
        out += static_cast<char>(bits >> 4);
    }
    return out;
}
