#pragma once
// TDateTime: days since 1899-12-30 as a double; the fraction is the time of day.
// Before that day the integral part counts the days back and the fraction's
// absolute value is still the time of day (-1.25 is 1899-12-29 06:00).
#include <cstdint>
#include <functional>

#include "platform/rtl/SysUtils.h"

using TDateTime = double;

constexpr double MSecsPerDay = 86400000.0;
constexpr int DateDelta = 693594;  // days from 0001-01-01 to 1899-12-30

// The clock behind Now, Date and Time; an empty function restores the system's
// local time. Tests set a fixed clock.
using TClockFunction = std::function<TDateTime()>;
void SetClock(TClockFunction clock);
TDateTime Now();
TDateTime Date();  // today at 00:00
TDateTime Time();  // the time of day only

bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);

// EConvertError on a value outside 1..9999 / 1..12 / the month's days, or a time outside the day.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result);
// A date plus a time of day, honouring the sign rule above.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);
TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);
TDateTime IncDay(TDateTime value, int days = 1);

// Specifiers (letter case does not matter): c d dd ddd dddd ddddd dddddd m mm mmm mmmm
// (minutes right after h or hh) yy yyyy h hh n nn s ss z zzz t tt am/pm a/p ampm,
// "/" and ":" as the locale's separators, "..." and '...' literally.
// An empty format means "c".
AnsiString FormatDateTime(const AnsiString& format, TDateTime value, const TFormatSettings& fs = FormatSettings);
void DateTimeToString(AnsiString& result, const AnsiString& format, TDateTime value,
                      const TFormatSettings& fs = FormatSettings);
AnsiString DateTimeToStr(TDateTime value, const TFormatSettings& fs = FormatSettings);
AnsiString DateToStr(TDateTime value, const TFormatSettings& fs = FormatSettings);
AnsiString TimeToStr(TDateTime value, const TFormatSettings& fs = FormatSettings);

// Numbers in ShortDateFormat's order separated by DateSeparator (two numbers
// mean this year); then optionally a time "h:n[:s[.z]]" with AM/PM. EConvertError
// "'text' is not a valid date" (time, date and time) on failure.
TDateTime StrToDate(const AnsiString& s, const TFormatSettings& fs = FormatSettings);
TDateTime StrToTime(const AnsiString& s, const TFormatSettings& fs = FormatSettings);
TDateTime StrToDateTime(const AnsiString& s, const TFormatSettings& fs = FormatSettings);
bool TryStrToDate(const AnsiString& s, TDateTime& value, const TFormatSettings& fs = FormatSettings);
bool TryStrToTime(const AnsiString& s, TDateTime& value, const TFormatSettings& fs = FormatSettings);
bool TryStrToDateTime(const AnsiString& s, TDateTime& value, const TFormatSettings& fs = FormatSettings);

// The database's text form, "YYYY-MM-DD HH:MM:SS", rounded to the second, and back
// (a date alone, fractions of a second and a 'T' between date and time are read too).
AnsiString DateTimeToSqlText(TDateTime value);
// The same with the milliseconds (".mmm") when there are any: nothing is rounded away.
AnsiString DateTimeToSqlTextExact(TDateTime value);
bool TrySqlTextToDateTime(std::string_view text, TDateTime& value);
TDateTime SqlTextToDateTime(const AnsiString& text);  // EConvertError when not a date
