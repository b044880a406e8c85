#pragma once
// Small helpers of the settings storage and the form placement: the component
// base class, bits of set buffers, GUID text, stream shortcuts, hexadecimal and
// XOR-coded text, and word extraction.
#include <cstdint>

#include "platform/classes/Streams.h"
#include "platform/rtl/Variants.h"
#include "platform/rtti/TypInfo.h"
#include "text/UtStrings.h"

// Errors of the storage, placement and hook components.
TESK_DECLARE_EXCEPTION(EStkException, Exception);

enum TStkAboutInfo { StkAbout };
TESK_ENUM_INFO(TStkAboutInfo, StkAbout)

// Base of the storage, placement and hook components. AboutStk exists for the
// designer only: it is never stored and does nothing at run time.
class TStComponent : public TComponent {
    TESK_CLASS(TStComponent, TComponent)
public:
    explicit TStComponent(TComponent* AOwner) : TComponent(AOwner) {}
    TStkAboutInfo AboutStk() const { return StkAbout; }
    void SetAboutStk(TStkAboutInfo) {}
};

// Bits of a byte and of a set buffer. The buffer form takes bit numbers 0..255
// (a larger number wraps around), so the buffer must hold 32 bytes for the
// full range.
uint8_t SetBit(uint8_t Value, int Bit);
void SetBitBuffer(void* Buffer, int Bit);
bool TestBit(uint8_t Value, int Bit);
bool TestBitBuffer(const void* Buffer, int Bit);

struct TGUID {
    uint32_t D1 = 0;
    uint16_t D2 = 0;
    uint16_t D3 = 0;
    uint8_t D4[8] = {};
};
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper-case hex digits.
AnsiString GUIDToString(const TGUID& GUID);

int ReadCharsFromStream(TStream* Stream, char* Buffer, int Count);
// Writes the first Count characters of S (at most all of S).
int WriteStringToStream(TStream* Stream, const AnsiString& S, int Count);

// True for the integer variant types up to 32 bits; Int64 is not one of them.
bool VarIsInt(const Variant& Value);

// Two upper-case hex digits per byte.
AnsiString BufToHex(const void* Buffer, int Size);
// Fills at most BufSize bytes from hex text (odd length: a leading "0" is
// assumed) and answers how many were written; a pair that is not hexadecimal
// raises EConvertError.
int HexToBuf(const AnsiString& Hex, void* Buffer, int BufSize);

// Words are runs of characters outside Delims; N counts from 1.
// WordPosition answers the word's 1-based position, 0 when there are fewer words.
int WordPosition(int N, const AnsiString& S, const TSysCharSet& Delims);
AnsiString ExtractWord(int N, const AnsiString& S, const TSysCharSet& Delims);

// Each character XORed with the key (repeated; an empty key leaves it as it is)
// and written as two lower-case hex digits. XorDecode(K, XorEncode(K, S)) == S;
// XorDecode reads a pair that is not hexadecimal as a blank and never fails.
AnsiString XorEncode(const AnsiString& Key, const AnsiString& Source);
AnsiString XorDecode(const AnsiString& Key, const AnsiString& Source);
