#pragma once
// Base64 text encoding (the RFC 2045 alphabet, '=' as the fill character), in
// lines of 76 characters joined by CR LF.
#include "platform/rtl/CodePage.h"

// Characters needed for N bytes, line breaks included.
int MimeEncodedSize(int InputSize);
// The most bytes that N characters can give.
int MimeDecodedSize(int InputSize);

AnsiString MimeEncodeString(const AnsiString& S);
// Characters outside the alphabet (line breaks, fill characters, anything else)
// are skipped.
AnsiString MimeDecodeString(const AnsiString& S);
