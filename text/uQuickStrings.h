#pragma once
// Byte-string search, replacement and tag filling for game text. Positions are
// 1-based; 0 means not found. Case-insensitive forms fold through UpcaseTable.
#include <cstdint>

#include "platform/rtl/CodePage.h"

// The upper-case map of the active code page (256 entries, read-only).
const unsigned char* UpcaseTable();

// Tag is in: the text between the tags; out: what replaces the whole tag.
// UserData is handed through from the caller of FastTagReplace unchanged.
using TFastTagReplaceProc = void (*)(AnsiString& Tag, intptr_t UserData);

// The lengths are the callers'; lengths beyond the strings are cut to them.
int FastPos(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen, int StartPos);
int FastPosNoCase(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen, int StartPos);
// Last occurrence starting at or before StartPos (0 = from the end).
int FastPosBack(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen, int StartPos);
int FastPosBackNoCase(const AnsiString& Source, const AnsiString& Find, int SourceLen, int FindLen,
                      int StartPos);

// Every non-overlapping occurrence, left to right; the inserted text is not searched again.
AnsiString FastReplace(const AnsiString& Source, const AnsiString& Find, const AnsiString& Replace,
                       bool CaseSensitive);

// Every span from TagStart to the next TagEnd becomes what Proc makes of the text between.
AnsiString FastTagReplace(const AnsiString& Source, const AnsiString& TagStart, const AnsiString& TagEnd,
                          TFastTagReplaceProc Proc, intptr_t UserData);

// Note the order: the text searched for comes first.
int SmartPos(const AnsiString& SearchStr, const AnsiString& SourceStr, bool CaseSensitive, int StartPos,
             bool ForwardSearch);
