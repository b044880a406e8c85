#pragma once
// Text, number and currency conversions of the run-time, with the framework's
// rules and names. All text is code-page bytes (AnsiString).
#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"

// ---------------------------------------------------------------------------
// Locale settings: one process-wide object, United States defaults.

struct TFormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char ListSeparator = ',';
    AnsiString ShortDateFormat = "M/d/yyyy";
    AnsiString LongDateFormat = "dddd, MMMM d, yyyy";
    AnsiString ShortTimeFormat = "h:mm AMPM";
    AnsiString LongTimeFormat = "h:mm:ss AMPM";
    AnsiString TimeAMString = "AM";
    AnsiString TimePMString = "PM";
    AnsiString ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    AnsiString LongMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};
    // Sunday first, as DayOfWeek counts.
    AnsiString ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    AnsiString LongDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    AnsiString CurrencyString = "$";
    unsigned char CurrencyFormat = 0;  // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    unsigned char NegCurrFormat = 0;   // 0 "($1)" ... 15 "(1 $)"
    unsigned char CurrencyDecimals = 2;
    // Two-digit years fall into the 100 years that end this many years after now.
    int TwoDigitYearCenturyWindow = 50;
    std::vector<AnsiString> TrueBoolStrs = {"True"};
    std::vector<AnsiString> FalseBoolStrs = {"False"};
};

extern TFormatSettings FormatSettings;

// A set of byte values.
using TSysCharSet = std::bitset<256>;

// Locale facts. The code pages in use are single-byte: FarEast stays false and
// LeadBytes (first bytes of double-byte characters) stays empty, so code with
// double-byte branches takes the single-byte road.
struct TSysLocale {
    bool FarEast = false;
    bool MiddleEast = false;
};
extern TSysLocale SysLocale;
extern TSysCharSet LeadBytes;

// ---------------------------------------------------------------------------
// Format

// One argument of Format. Strings are referenced, not copied: the arguments
// live until the end of the full expression that calls Format.
class TVarRec {
public:
    enum Kind : unsigned char { vtInteger, vtInt64, vtUInt64, vtExtended, vtString, vtChar, vtPointer, vtBoolean };

    TVarRec(int v) : kind_(vtInteger), int_(v) {}
    TVarRec(unsigned v) : kind_(vtInt64), int_(v) {}
    TVarRec(long v) : kind_(sizeof(long) == 4 ? vtInteger : vtInt64), int_(v) {}
    TVarRec(unsigned long v) : kind_(vtUInt64), int_(static_cast<int64_t>(v)) {}
    TVarRec(long long v) : kind_(vtInt64), int_(v) {}
    TVarRec(unsigned long long v) : kind_(vtUInt64), int_(static_cast<int64_t>(v)) {}
    TVarRec(double v) : kind_(vtExtended), double_(v) {}
    TVarRec(bool v) : kind_(vtBoolean), int_(v) {}
    TVarRec(char c) : kind_(vtChar), int_(static_cast<unsigned char>(c)) {}
    TVarRec(const char* s) : kind_(vtString), string_(s ? std::string_view(s) : std::string_view()) {}
    TVarRec(const AnsiString& s) : kind_(vtString), string_(s) {}
    TVarRec(std::string_view s) : kind_(vtString), string_(s) {}
    TVarRec(const void* p) : kind_(vtPointer), pointer_(p) {}
    TVarRec(std::nullptr_t) : kind_(vtPointer), pointer_(nullptr) {}

    Kind VType() const { return kind_; }
    int64_t Int() const { return int_; }
    double Extended() const { return double_; }
    std::string_view String() const { return string_; }
    const void* Pointer() const { return pointer_; }

private:
    Kind kind_;
    int64_t int_ = 0;
    double double_ = 0;
    std::string_view string_;
    const void* pointer_ = nullptr;
};

// "%" ["index:"] ["-"] [width] ["." precision] type, with the types
// d u x (upper-case hex) e f g n m p s and "%%"; width, precision and index may
// be "*" (taken from the arguments). A mismatched or missing argument raises
// EConvertError. The format must be our own text, never user or database text.
AnsiString Format(const AnsiString& format, std::initializer_list<TVarRec> args);
AnsiString FormatV(const AnsiString& format, const TVarRec* args, size_t count);

// ---------------------------------------------------------------------------
// Integers

AnsiString IntToStr(int value);
AnsiString IntToStr(long value);
AnsiString IntToStr(long long value);
AnsiString IntToStr(unsigned value);
AnsiString IntToStr(unsigned long value);
AnsiString IntToStr(unsigned long long value);
// Upper-case hex with at least `digits` digits; negative values as two's complement.
AnsiString IntToHex(int value, int digits);
AnsiString IntToHex(unsigned value, int digits);
AnsiString IntToHex(long value, int digits);
AnsiString IntToHex(unsigned long value, int digits);
AnsiString IntToHex(long long value, int digits);
AnsiString IntToHex(unsigned long long value, int digits);

// Leading blanks, a sign, decimal digits or "$"/"0x" and hex digits; nothing after.
int StrToInt(const AnsiString& s);  // EConvertError "'s' is not a valid integer value"
int StrToIntDef(const AnsiString& s, int defaultValue);
bool TryStrToInt(const AnsiString& s, int& value);
int64_t StrToInt64(const AnsiString& s);
int64_t StrToInt64Def(const AnsiString& s, int64_t defaultValue);
bool TryStrToInt64(const AnsiString& s, int64_t& value);

// Win32 MulDiv: a*b/c through 64 bits, rounded half away from zero; -1 when c
// is 0 or the result does not fit.
int MulDiv(int number, int numerator, int denominator);

// ---------------------------------------------------------------------------
// Floating point and currency

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// Fixed-point currency: the value times 10000.
struct Currency {
    int64_t Scaled = 0;
    Currency() = default;
    static Currency FromScaled(int64_t scaled);
    // Rounds to the nearest 1/10000, ties to even; EConvertError when out of range.
    static Currency FromDouble(double value);
    double ToDouble() const { return static_cast<double>(Scaled) / 10000.0; }
    friend bool operator==(Currency a, Currency b) = default;
    friend auto operator<=>(Currency a, Currency b) = default;
};

// 15 significant digits, shortest form ("0.1", "1E20", "1.5E-7").
AnsiString FloatToStr(double value, const TFormatSettings& fs = FormatSettings);
AnsiString FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                       const TFormatSettings& fs = FormatSettings);
// Masks of '0', '#', '.', ',', "E+"/"E-", quoted literals, sections split by ';'
// (positive;negative;zero); other characters are copied.
AnsiString FormatFloat(const AnsiString& format, double value, const TFormatSettings& fs = FormatSettings);
// The same masks and the fixed, number and currency formats for a 64-bit
// integer, every digit kept (a double holds only 15 of its 19).
AnsiString FormatInteger(const AnsiString& format, int64_t value, const TFormatSettings& fs = FormatSettings);
AnsiString IntegerToStrF(int64_t value, TFloatFormat format, int digits, const TFormatSettings& fs = FormatSettings);
AnsiString FormatCurr(const AnsiString& format, Currency value, const TFormatSettings& fs = FormatSettings);
AnsiString CurrToStr(Currency value, const TFormatSettings& fs = FormatSettings);
AnsiString CurrToStrF(Currency value, TFloatFormat format, int digits, const TFormatSettings& fs = FormatSettings);

// Blanks around, a sign, digits with the locale's decimal separator, an optional exponent.
double StrToFloat(const AnsiString& s, const TFormatSettings& fs = FormatSettings);
double StrToFloatDef(const AnsiString& s, double defaultValue, const TFormatSettings& fs = FormatSettings);
bool TryStrToFloat(const AnsiString& s, double& value, const TFormatSettings& fs = FormatSettings);
Currency StrToCurr(const AnsiString& s, const TFormatSettings& fs = FormatSettings);
bool TryStrToCurr(const AnsiString& s, Currency& value, const TFormatSettings& fs = FormatSettings);

// ---------------------------------------------------------------------------
// Booleans

// "-1"/"0", or the first of TrueBoolStrs/FalseBoolStrs.
AnsiString BoolToStr(bool value, bool useBoolStrs = false);
// A number (non-zero is true) or one of the boolean words in any letter case.
bool TryStrToBool(const AnsiString& s, bool& value);
bool StrToBool(const AnsiString& s);  // EConvertError "'s' is not a valid boolean value"
bool StrToBoolDef(const AnsiString& s, bool defaultValue);

// ---------------------------------------------------------------------------
// Strings (positions are 1-based; 0 means not found)

// Remove characters <= ' ' (blanks and control characters).
AnsiString Trim(const AnsiString& s);
AnsiString TrimLeft(const AnsiString& s);
AnsiString TrimRight(const AnsiString& s);

AnsiString QuotedStr(const AnsiString& s);  // 'it''s'
AnsiString AnsiQuotedStr(const AnsiString& s, char quote);
// The text inside a leading quote up to its closing quote, doubled quotes made single;
// s unchanged when it is not quoted.
AnsiString AnsiDequotedStr(const AnsiString& s, char quote);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
AnsiString StringReplace(const AnsiString& s, const AnsiString& oldPattern, const AnsiString& newPattern,
                         TReplaceFlags flags);

int Pos(const AnsiString& sub, const AnsiString& s);
int PosEx(const AnsiString& sub, const AnsiString& s, int offset = 1);
// Index below 1 counts as 1; the count is clamped to the end of the text.
AnsiString Copy(const AnsiString& s, int index, int count);
// Nothing happens for an index outside 1..Length(s).
void Delete(AnsiString& s, int index, int count);
// An index below 1 inserts at the start, past the end appends.
void Insert(const AnsiString& sub, AnsiString& s, int index);
AnsiString StringOfChar(char c, int count);
int CompareStr(const AnsiString& a, const AnsiString& b);
