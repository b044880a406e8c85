#pragma once
// The 10-byte extended float of the component streams (x87 layout, little-endian:
// 64-bit mantissa with an explicit integer bit, 15-bit biased exponent, sign),
// converted by arithmetic so that it works wherever long double is narrower.
#include <cstdint>

void ExtendedToBytes(long double Value, uint8_t Bytes[10]);
long double BytesToExtended(const uint8_t Bytes[10]);
