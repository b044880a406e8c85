#include "platform/rtti/Extended.h"

#include <cmath>

void ExtendedToBytes(long double Value, uint8_t Bytes[10]) {
    uint64_t mantissa = 0;
    int exponent = 0;  // biased
    const bool negative = std::signbit(Value);
    if (std::isnan(Value)) {
        exponent = 0x7FFF;
        mantissa = 0xC000000000000000ull;
    } else if (std::isinf(Value)) {
        exponent = 0x7FFF;
        mantissa = 0x8000000000000000ull;
    } else if (Value != 0) {
        int e = 0;
        long double m = std::frexp(std::fabs(Value), &e);  // m in [0.5, 1)
        exponent = e - 1 + 16383;
        mantissa = static_cast<uint64_t>(std::ldexp(m, 64));
        if (exponent <= 0) {  // below the normal range: a denormal
            int shift = 1 - exponent;
            mantissa = shift >= 64 ? 0 : mantissa >> shift;
            exponent = 0;
        } else if (exponent >= 0x7FFF) {
            exponent = 0x7FFF;
            mantissa = 0x8000000000000000ull;
        }
    }
    for (int i = 0; i < 8; ++i) Bytes[i] = static_cast<uint8_t>(mantissa >> (8 * i));
    const unsigned top = static_cast<unsigned>(exponent) | (negative ? 0x8000u : 0u);
    Bytes[8] = static_cast<uint8_t>(top);
    Bytes[9] = static_cast<uint8_t>(top >> 8);
}

long double BytesToExtended(const uint8_t Bytes[10]) {
    uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i) mantissa |= static_cast<uint64_t>(Bytes[i]) << (8 * i);
    const unsigned top = Bytes[8] | (static_cast<unsigned>(Bytes[9]) << 8);
    const bool negative = (top & 0x8000u) != 0;
    const int exponent = static_cast<int>(top & 0x7FFFu);
    long double v;
    if (exponent == 0x7FFF) {
        v = (mantissa << 1) == 0 ? HUGE_VALL : NAN;
    } else if (exponent == 0) {
        v = std::ldexp(static_cast<long double>(mantissa), -16382 - 63);
    } else {
        v = std::ldexp(static_cast<long double>(mantissa), exponent - 16383 - 63);
    }
    return negative ? -v : v;
}
