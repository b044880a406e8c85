#pragma once
// Scanning of text copied from the game's pages. Positions are 1-based and a
// scan moves a running position forward, so that one scan's end word can be
// the next scan's start word. Words are found without regard to case.
#include "platform/db/SqliteConnection.h"
#include "platform/rtl/DateTime.h"

// The 1-based position of Word in Text from From on, without regard to case;
// 0 when it is missing, Word is empty or From lies outside Text.
int FindWord(const AnsiString& Word, const AnsiString& Text, int From = 1);

// The text between StartTag (searched from Pos) and the next EndTag after it,
// trimmed; "0" with Pos unchanged when StartTag is missing. Unless Peek, Pos
// moves to EndTag. A missing EndTag raises EAssertionFailed
// "Couldn't find <EndTag> in text starting from position <n> (uMain, line 938)".
AnsiString ExtractBetween(const AnsiString& StartTag, const AnsiString& EndTag, const AnsiString& Text, int& Pos,
                          bool Peek);
// ExtractBetween's text read as a count (GameNumberText), else "0".
AnsiString ExtractBetweenInt(const AnsiString& StartTag, const AnsiString& EndTag, const AnsiString& Text, int& Pos,
                             bool Peek);
// A count as the game writes it: decimal digits with an optional minus, the
// digits perhaps in groups of three joined by "." or "," ("15.400",
// "1,250,000"). The whole number's decimal text, of any length (the column
// it goes to decides whether it fits); empty when Text is no such count.
AnsiString GameNumberText(const AnsiString& Text);
// A coordinate of a page: plain decimal digits that fit an integer. Hex,
// signs, blanks and separators do not read.
bool TryReadCoordinate(const AnsiString& Text, int& Value);

// Text when it is an integer, else Default.
AnsiString IntTextOrDefault(const AnsiString& Text, const AnsiString& Default);
int StrToIntOrDefault(const AnsiString& Text, int Default);

// "mm-dd hh:nn:ss" (after trimming; anything after it is ignored) in the
// current year, or the year before when that date lies more than a day ahead
// of now (a December report read in January) or does not exist this year
// (29 February). EConvertError when it is no such date.
TDateTime ParseReportDateTime(const AnsiString& Text);

// The three single passes that every pasted game text gets: TAB to a blank,
// CR LF to CR LF and a blank, two blanks to one.
AnsiString NormaliseGameText(const AnsiString& Text);

// The start of every log line: now in the short date and long time format.
AnsiString LogTimeStamp();
