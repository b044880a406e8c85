#include "storage/StUtils.h"

#include <algorithm>

#include "platform/rtti/Published.h"

TESK_PUBLISHED(TStComponent) {
    Property("AboutStk", &T::AboutStk, &T::SetAboutStk).Stored(false);
}

uint8_t SetBit(uint8_t Value, int Bit) { return static_cast<uint8_t>(Value | (1u << (Bit & 7))); }

void SetBitBuffer(void* Buffer, int Bit) {
    auto* bytes = static_cast<uint8_t*>(Buffer);
    bytes[(Bit & 255) >> 3] |= static_cast<uint8_t>(1u << (Bit & 7));
}

bool TestBit(uint8_t Value, int Bit) { return (Value >> (Bit & 7)) & 1u; }

bool TestBitBuffer(const void* Buffer, int Bit) {
    const auto* bytes = static_cast<const uint8_t*>(Buffer);
    return (bytes[(Bit & 255) >> 3] >> (Bit & 7)) & 1u;
}

AnsiString GUIDToString(const TGUID& GUID) {
    const uint8_t* d = GUID.D4;
    return Format("{%.8x-%.4x-%.4x-%.2x%.2x-%.2x%.2x%.2x%.2x%.2x%.2x}",
                  {GUID.D1, static_cast<unsigned>(GUID.D2), static_cast<unsigned>(GUID.D3), static_cast<unsigned>(d[0]),
                   static_cast<unsigned>(d[1]), static_cast<unsigned>(d[2]), static_cast<unsigned>(d[3]),
                   static_cast<unsigned>(d[4]), static_cast<unsigned>(d[5]), static_cast<unsigned>(d[6]),
                   static_cast<unsigned>(d[7])});
}

int ReadCharsFromStream(TStream* Stream, char* Buffer, int Count) {
    return static_cast<int>(Stream->Read(Buffer, Count));
}

int WriteStringToStream(TStream* Stream, const AnsiString& S, int Count) {
    Count = std::clamp(Count, 0, static_cast<int>(S.size()));
    return static_cast<int>(Stream->Write(S.data(), Count));
}

bool VarIsInt(const Variant& Value) {
    // Values are always held directly here, so there is no reference to resolve.
    switch (VarType(Value) & varTypeMask) {
        case varSmallint:
        case varInteger:
        case varShortInt:
        case varByte:
        case varWord:
        case varLongWord:
            return (VarType(Value) & varArray) == 0;
        default:
            return false;
    }
}

namespace {

const char kUpperHex[] = "0123456789ABCDEF";
const char kLowerHex[] = "0123456789abcdef";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsDelim(const TSysCharSet& Delims, char c) { return Delims.test(static_cast<unsigned char>(c)); }

}  // namespace

AnsiString BufToHex(const void* Buffer, int Size) {
    const auto* bytes = static_cast<const uint8_t*>(Buffer);
    AnsiString result;
    result.reserve(static_cast<size_t>(std::max(Size, 0)) * 2);
    for (int i = 0; i < Size; ++i) {
        result += kUpperHex[bytes[i] >> 4];
        result += kUpperHex[bytes[i] & 15];
    }
    return result;
}

int HexToBuf(const AnsiString& Hex, void* Buffer, int BufSize) {
    const AnsiString hex = Hex.size() % 2 ? "0" + Hex : Hex;
    const int count = std::min(static_cast<int>(hex.size() / 2), std::max(BufSize, 0));
    auto* bytes = static_cast<uint8_t*>(Buffer);
    for (int i = 0; i < count; ++i) {
        const int hi = HexDigit(hex[2 * i]);
        const int lo = HexDigit(hex[2 * i + 1]);
        if (hi < 0 || lo < 0)
            throw EConvertError(Format("'%s' is not a valid integer value", {"$" + hex.substr(2 * i, 2)}));
        bytes[i] = static_cast<uint8_t>(hi * 16 + lo);
    }
    return count;
}

int WordPosition(int N, const AnsiString& S, const TSysCharSet& Delims) {
    int count = 0;
    size_t i = 0;
    while (i < S.size()) {
        while (i < S.size() && IsDelim(Delims, S[i])) ++i;
        if (i < S.size()) {
            if (++count == N) return static_cast<int>(i) + 1;
            while (i < S.size() && !IsDelim(Delims, S[i])) ++i;
        }
    }
    return 0;
}

AnsiString ExtractWord(int N, const AnsiString& S, const TSysCharSet& Delims) {
    const int pos = WordPosition(N, S, Delims);
    if (pos == 0) return AnsiString();
    size_t end = static_cast<size_t>(pos) - 1;
    while (end < S.size() && !IsDelim(Delims, S[end])) ++end;
    return S.substr(static_cast<size_t>(pos) - 1, end - (static_cast<size_t>(pos) - 1));
}

AnsiString XorEncode(const AnsiString& Key, const AnsiString& Source) {
    AnsiString result;
    result.reserve(Source.size() * 2);
    for (size_t i = 0; i < Source.size(); ++i) {
        auto c = static_cast<uint8_t>(Source[i]);
        if (!Key.empty()) c ^= static_cast<uint8_t>(Key[i % Key.size()]);
        result += kLowerHex[c >> 4];
        result += kLowerHex[c & 15];
    }
    return result;
}

AnsiString XorDecode(const AnsiString& Key, const AnsiString& Source) {
    AnsiString result;
    const size_t pairs = Source.size() / 2;
    result.reserve(pairs);
    for (size_t i = 0; i < pairs; ++i) {
        const int hi = HexDigit(Source[2 * i]);
        const int lo = HexDigit(Source[2 * i + 1]);
        auto c = static_cast<uint8_t>(hi < 0 || lo < 0 ? ' ' : hi * 16 + lo);
        if (!Key.empty()) c ^= static_cast<uint8_t>(Key[i % Key.size()]);
        result += static_cast<char>(c);
    }
    return result;
}
