#pragma once
// The base of the string, file and version helpers: their exception class and
// the character copy the path joining uses.
#include "platform/rtl/Exceptions.h"

TESK_DECLARE_EXCEPTION(EUtError, Exception);

// Copies Count characters of Source, from the 1-based FromIndex on, over Dest
// from the 1-based ToIndex on. Dest keeps its length: a range that reaches
// past either string is shortened to what fits.
void MoveChar(const AnsiString& Source, int FromIndex, AnsiString& Dest, int ToIndex, int Count);
