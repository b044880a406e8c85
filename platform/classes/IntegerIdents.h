#pragma once
// Names for integer values of particular types (colours, cursors, charsets,
// editor commands), so that stored properties read and write as names.
#include <cstddef>

#include "platform/classes/UITypes.h"
#include "platform/rtl/CodePage.h"

using TIdentToInt = bool (*)(const AnsiString& Ident, int& Int);
using TIntToIdent = bool (*)(int Int, AnsiString& Ident);

// Registers the two conversions for a type, identified by an opaque key (its
// type information). A later registration for the same key wins.
void RegisterIntegerConsts(const void* IntegerType, TIdentToInt IdentToInt, TIntToIdent IntToIdent);
// nullptr when the type has no conversions.
TIdentToInt FindIdentToInt(const void* IntegerType);
TIntToIdent FindIntToIdent(const void* IntegerType);

// A table of named values and the look-ups over it (names ignore letter case;
// the first entry with a value gives its name).
struct TIdentMapEntry {
    int Value;
    const char* Name;
};
bool IdentToInt(const AnsiString& Ident, int& Int, const TIdentMapEntry* Map, size_t Count);
bool IntToIdent(int Int, AnsiString& Ident, const TIdentMapEntry* Map, size_t Count);

// clBlack ... clWhite, the system colours clScrollBar ... clMenuBar, clNone, clDefault.
bool ColorToIdent(int Color, AnsiString& Ident);
bool IdentToColor(const AnsiString& Ident, int& Color);
// The name, else "$00BBGGRR" hex.
AnsiString ColorToString(TColor Color);
// A name or a number ("$hex" too); EConvertError otherwise.
TColor StringToColor(const AnsiString& S);

// crDefault, crNone, crArrow ... crSizeAll.
bool CursorToIdent(int Cursor, AnsiString& Ident);
bool IdentToCursor(const AnsiString& Ident, int& Cursor);

// ANSI_CHARSET (0), DEFAULT_CHARSET (1), SYMBOL_CHARSET (2), ... RUSSIAN_CHARSET (204),
// EASTEUROPE_CHARSET (238), OEM_CHARSET (255).
bool CharsetToIdent(int Charset, AnsiString& Ident);
bool IdentToCharset(const AnsiString& Ident, int& Charset);
