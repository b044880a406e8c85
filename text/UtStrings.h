#pragma once
// Small string routines for the settings storage and the importers. Byte
// strings of the active code page; positions are 1-based.
#include <bitset>

#include "platform/rtl/SysUtils.h"
#include "text/UtBase.h"

class TStrings;

using TSysCharSet = std::bitset<256>;

// The first Count characters ('' for Count <= 0, all when the string is shorter).
AnsiString StrLeft(const AnsiString& S, int Count);
// The last Count characters (all when the string is shorter).
AnsiString StrRight(const AnsiString& S, int Count);
// The characters from position N to the end ('' when N lies past the end).
AnsiString StrRestOf(const AnsiString& S, int N);
AnsiString StrEnsureSuffix(const AnsiString& Suffix, const AnsiString& Text);
// True for an empty set. CheckAll: every character of the set occurs in S;
// otherwise some character of S is in the set.
bool StrContainsChars(const AnsiString& S, const TSysCharSet& Chars, bool CheckAll);
// In place; Flags: rfReplaceAll, rfIgnoreCase. An empty Search raises EUtError
// "Search string cannot be blank" unless S is empty too (S then becomes Replace).
void StrReplace(AnsiString& S, const AnsiString& Search, const AnsiString& Replace, TReplaceFlags Flags);
// Case-insensitive; 0 when not found, when either string is empty or Index < 1.
int StrSearch(const AnsiString& SubStr, const AnsiString& S, int Index);
// Cuts S at its first zero character.
void StrResetLength(AnsiString& S);
// Clears List and adds the pieces of S between the separators; empty pieces
// before a separator only with AllowEmpty, the last piece when it is not empty.
void StrToStrings(const AnsiString& S, const AnsiString& Sep, TStrings* List, bool AllowEmpty);
// The whole file's bytes; EFOpenError when it cannot be opened.
AnsiString FileToString(const AnsiString& FileName);
