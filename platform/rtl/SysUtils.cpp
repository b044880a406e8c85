#include "platform/rtl/SysUtils.h"

#include <charconv>
#include <algorithm>
#include <cstdio>
#include <limits>

TFormatSettings FormatSettings;
TSysLocale SysLocale;
TSysCharSet LeadBytes;

namespace {

[[noreturn]] void InvalidFormat(const AnsiString& format) {
    throw EConvertError("Format '" + format + "' invalid or incompatible with argument");
}

AnsiString UnsignedToHex(uint64_t value, int digits) {
    static const char hex[] = "0123456789ABCDEF";
    AnsiString out;
    do {
        out += hex[value & 15];
        value >>= 4;
    } while (value);
    while (static_cast<int>(out.size()) < digits) out += '0';
    std::reverse(out.begin(), out.end());
    return out;
}

// Plain decimal digits: grids write numbers for every cell they paint, so no format string is parsed.
AnsiString UnsignedToDec(uint64_t value) {
    char buffer[24];
    const char* end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return AnsiString(buffer, static_cast<size_t>(end - buffer));
}

AnsiString SignedToDec(int64_t value) {
    char buffer[24];
    const char* end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return AnsiString(buffer, static_cast<size_t>(end - buffer));
}

// Parses an integer the framework's way. `bits` is 32 or 64; hex digits may
// fill all bits (so "$FFFFFFFF" is -1 as a 32-bit value).
bool ParseInteger(const AnsiString& s, int bits, int64_t& result) {
    size_t i = 0, n = s.size();
    while (i < n && s[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < n && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n) return false;
    uint64_t value = 0;
    if (hex) {
        const uint64_t limit = bits == 32 ? 0xFFFFFFFFull : std::numeric_limits<uint64_t>::max();
        for (; i < n; ++i) {
            char c = s[i];
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else return false;
            if (value > (limit >> 4)) return false;
            value = (value << 4) | static_cast<uint64_t>(d);
        }
        int64_t v = bits == 32 ? static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(value)))
                               : static_cast<int64_t>(value);
        result = negative ? static_cast<int64_t>(0 - static_cast<uint64_t>(v)) : v;
        if (bits == 32) result = static_cast<int32_t>(static_cast<uint32_t>(result));
        return true;
    }
    // Magnitude limit: the largest positive value, one more when negative.
    const uint64_t maxPositive = bits == 32 ? 0x7FFFFFFFull : 0x7FFFFFFFFFFFFFFFull;
    const uint64_t limit = negative ? maxPositive + 1 : maxPositive;
    for (; i < n; ++i) {
        char c = s[i];
        if (c < '0' || c > '9') return false;
        unsigned d = static_cast<unsigned>(c - '0');
        if (value > (limit - d) / 10) return false;
        value = value * 10 + d;
    }
    result = negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
    return true;
}

AnsiString Pad(AnsiString text, int width, bool left) {
    if (width > static_cast<int>(text.size())) {
        AnsiString fill(static_cast<size_t>(width) - text.size(), ' ');
        text = left ? text + fill : fill + text;
    }
    return text;
}

}  // namespace

// Float formatting lives in FloatText.cpp.
AnsiString FloatToTextInternal(double value, TFloatFormat format, int precision, int digits,
                               const TFormatSettings& fs);

// ---------------------------------------------------------------------------
// Format

AnsiString Format(const AnsiString& format, std::initializer_list<TVarRec> args) {
    return FormatV(format, args.begin(), args.size());
}

AnsiString FormatV(const AnsiString& format, const TVarRec* args, size_t count) {
    AnsiString out;
    size_t next = 0;  // the next argument
    const size_t n = format.size();
    size_t i = 0;

    auto argument = [&]() -> const TVarRec& {
        if (next >= count) throw EConvertError("No argument for format '" + format + "'");
        return args[next++];
    };
    // A number, or "*" taken from the arguments; -1 when there is none.
    auto readNumber = [&]() -> int {
        if (i < n && format[i] == '*') {
            ++i;
            const TVarRec& a = argument();
            if (a.VType() != TVarRec::vtInteger && a.VType() != TVarRec::vtInt64) InvalidFormat(format);
            return static_cast<int>(std::clamp<int64_t>(a.Int(), 0, 0xFFFF));
        }
        if (i >= n || format[i] < '0' || format[i] > '9') return -1;
        int value = 0;
        while (i < n && format[i] >= '0' && format[i] <= '9') {
            value = std::min(value * 10 + (format[i] - '0'), 0xFFFF);
            ++i;
        }
        return value;
    };

    while (i < n) {
        char c = format[i++];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i < n && format[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        int number = readNumber();
        if (i < n && format[i] == ':') {
            next = static_cast<size_t>(std::max(number, 0));
            ++i;
            number = -1;
        }
        bool left = false;
        if (i < n && format[i] == '-') {
            left = true;
            ++i;
        }
        if (number < 0) number = readNumber();
        int width = number;
        int precision = -1;
        if (i < n && format[i] == '.') {
            ++i;
            precision = readNumber();
            if (precision < 0) precision = 0;
        }
        if (i >= n) InvalidFormat(format);
        char type = format[i++];
        if (type >= 'A' && type <= 'Z') type = static_cast<char>(type - 'A' + 'a');

        const TVarRec& a = argument();
        const bool isInt = a.VType() == TVarRec::vtInteger || a.VType() == TVarRec::vtInt64 ||
                           a.VType() == TVarRec::vtUInt64;
        AnsiString text;
        switch (type) {
            case 'd':
            case 'u': {
                if (!isInt) InvalidFormat(format);
                bool negative = false;
                uint64_t magnitude;
                if (a.VType() == TVarRec::vtUInt64) {
                    magnitude = static_cast<uint64_t>(a.Int());
                } else if (type == 'u') {
                    magnitude = a.VType() == TVarRec::vtInteger ? static_cast<uint32_t>(a.Int())
                                                                 : static_cast<uint64_t>(a.Int());
                } else {
                    negative = a.Int() < 0;
                    magnitude = negative ? 0 - static_cast<uint64_t>(a.Int()) : static_cast<uint64_t>(a.Int());
                }
                text = UnsignedToDec(magnitude);
                if (precision > static_cast<int>(text.size())) text.insert(0, precision - text.size(), '0');
                if (negative) text.insert(0, 1, '-');
                break;
            }
            case 'x': {
                if (!isInt) InvalidFormat(format);
                uint64_t bitsValue = a.VType() == TVarRec::vtInteger ? static_cast<uint32_t>(a.Int())
                                                                      : static_cast<uint64_t>(a.Int());
                text = UnsignedToHex(bitsValue, precision);
                break;
            }
            case 'e':
            case 'f':
            case 'g':
            case 'n':
            case 'm': {
                // Integers are accepted too, so that callers can pass counts to "%.0n";
                // a signed one is written digit for digit, past the 15 a double holds.
                if (type != 'e' && type != 'g' && (a.VType() == TVarRec::vtInteger || a.VType() == TVarRec::vtInt64)) {
                    const TFloatFormat fixed = type == 'f' ? ffFixed : type == 'n' ? ffNumber : ffCurrency;
                    const int defaultDigits = type == 'm' ? FormatSettings.CurrencyDecimals : 2;
                    text = IntegerToStrF(a.Int(), fixed, precision < 0 ? defaultDigits : std::min(precision, 18),
                                         FormatSettings);
                    break;
                }
                double value;
                if (a.VType() == TVarRec::vtExtended) value = a.Extended();
                else if (a.VType() == TVarRec::vtUInt64) value = static_cast<double>(static_cast<uint64_t>(a.Int()));
                else if (isInt) value = static_cast<double>(a.Int());
                else InvalidFormat(format);
                switch (type) {
                    case 'e':
                        text = FloatToTextInternal(value, ffExponent, precision < 0 || precision > 18 ? 15 : precision,
                                                   3, FormatSettings);
                        break;
                    case 'g':
                        text = FloatToTextInternal(value, ffGeneral, precision < 0 || precision > 18 ? 15 : precision,
                                                   3, FormatSettings);
                        break;
                    case 'f':
                        text = FloatToTextInternal(value, ffFixed, 18, precision < 0 ? 2 : std::min(precision, 18),
                                                   FormatSettings);
                        break;
                    case 'n':
                        text = FloatToTextInternal(value, ffNumber, 18, precision < 0 ? 2 : std::min(precision, 18),
                                                   FormatSettings);
                        break;
                    default:
                        text = FloatToTextInternal(
                            value, ffCurrency, 18,
                            precision < 0 ? FormatSettings.CurrencyDecimals : std::min(precision, 18),
                            FormatSettings);
                        break;
                }
                break;
            }
            case 'p':
                if (a.VType() != TVarRec::vtPointer) InvalidFormat(format);
                text = UnsignedToHex(reinterpret_cast<uintptr_t>(a.Pointer()), 2 * sizeof(void*));
                break;
            case 's':
                if (a.VType() == TVarRec::vtString) text.assign(a.String());
                else if (a.VType() == TVarRec::vtChar) text.assign(1, static_cast<char>(a.Int()));
                else InvalidFormat(format);
                if (precision >= 0 && precision < static_cast<int>(text.size())) text.resize(precision);
                break;
            default:
                InvalidFormat(format);
        }
        out += Pad(std::move(text), width, left);
    }
    return out;
}

// ---------------------------------------------------------------------------
// Integers

AnsiString IntToStr(int value) { return SignedToDec(value); }
AnsiString IntToStr(long value) { return SignedToDec(value); }
AnsiString IntToStr(long long value) { return SignedToDec(value); }
AnsiString IntToStr(unsigned value) { return UnsignedToDec(value); }
AnsiString IntToStr(unsigned long value) { return UnsignedToDec(value); }
AnsiString IntToStr(unsigned long long value) { return UnsignedToDec(value); }

AnsiString IntToHex(int value, int digits) { return UnsignedToHex(static_cast<uint32_t>(value), digits); }
AnsiString IntToHex(unsigned value, int digits) { return UnsignedToHex(value, digits); }
AnsiString IntToHex(long value, int digits) {
    return sizeof(long) == 4 ? IntToHex(static_cast<int>(value), digits) : UnsignedToHex(static_cast<uint64_t>(value), digits);
}
AnsiString IntToHex(unsigned long value, int digits) { return UnsignedToHex(value, digits); }
AnsiString IntToHex(long long value, int digits) { return UnsignedToHex(static_cast<uint64_t>(value), digits); }
AnsiString IntToHex(unsigned long long value, int digits) { return UnsignedToHex(value, digits); }

bool TryStrToInt(const AnsiString& s, int& value) {
    int64_t v;
    if (!ParseInteger(s, 32, v)) return false;
    value = static_cast<int>(v);
    return true;
}

int StrToInt(const AnsiString& s) {
    int v;
    if (!TryStrToInt(s, v)) throw EConvertError("'" + s + "' is not a valid integer value");
    return v;
}

int StrToIntDef(const AnsiString& s, int defaultValue) {
    int v;
    return TryStrToInt(s, v) ? v : defaultValue;
}

bool TryStrToInt64(const AnsiString& s, int64_t& value) { return ParseInteger(s, 64, value); }

int64_t StrToInt64(const AnsiString& s) {
    int64_t v;
    if (!TryStrToInt64(s, v)) throw EConvertError("'" + s + "' is not a valid integer value");
    return v;
}

int64_t StrToInt64Def(const AnsiString& s, int64_t defaultValue) {
    int64_t v;
    return TryStrToInt64(s, v) ? v : defaultValue;
}

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    int64_t product = static_cast<int64_t>(number) * numerator;
    int64_t quotient = product / denominator;
    int64_t remainder = product % denominator;
    // Round half away from zero: |2r| >= |d| moves one step away from zero.
    if (remainder != 0) {
        uint64_t twice = 2 * static_cast<uint64_t>(remainder < 0 ? -remainder : remainder);
        uint64_t divisor = static_cast<uint64_t>(denominator < 0 ? -static_cast<int64_t>(denominator) : denominator);
        if (twice >= divisor) quotient += ((product < 0) != (denominator < 0)) ? -1 : 1;
    }
    if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min()) return -1;
    return static_cast<int>(quotient);
}

// ---------------------------------------------------------------------------
// Booleans

AnsiString BoolToStr(bool value, bool useBoolStrs) {
    if (!useBoolStrs) return value ? "-1" : "0";
    const auto& words = value ? FormatSettings.TrueBoolStrs : FormatSettings.FalseBoolStrs;
    if (!words.empty()) return words.front();
    return value ? "True" : "False";
}

bool TryStrToBool(const AnsiString& s, bool& value) {
    double number;
    if (TryStrToFloat(s, number)) {
        value = number != 0;
        return true;
    }
    auto matches = [&](const std::vector<AnsiString>& words, const char* fallback) {
        if (words.empty()) return AnsiSameText(s, fallback);
        return std::any_of(words.begin(), words.end(), [&](const AnsiString& w) { return AnsiSameText(s, w); });
    };
    if (matches(FormatSettings.TrueBoolStrs, "True")) {
        value = true;
        return true;
    }
    if (matches(FormatSettings.FalseBoolStrs, "False")) {
        value = false;
        return true;
    }
    return false;
}

bool StrToBool(const AnsiString& s) {
    bool v;
    if (!TryStrToBool(s, v)) throw EConvertError("'" + s + "' is not a valid boolean value");
    return v;
}

bool StrToBoolDef(const AnsiString& s, bool defaultValue) {
    bool v;
    return TryStrToBool(s, v) ? v : defaultValue;
}

// ---------------------------------------------------------------------------
// Strings

namespace {
bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= ' '; }
}  // namespace

AnsiString Trim(const AnsiString& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsTrimmed(s[b])) ++b;
    while (e > b && IsTrimmed(s[e - 1])) --e;
    return s.substr(b, e - b);
}

AnsiString TrimLeft(const AnsiString& s) {
    size_t b = 0;
    while (b < s.size() && IsTrimmed(s[b])) ++b;
    return s.substr(b);
}

AnsiString TrimRight(const AnsiString& s) {
    size_t e = s.size();
    while (e > 0 && IsTrimmed(s[e - 1])) --e;
    return s.substr(0, e);
}

AnsiString QuotedStr(const AnsiString& s) { return AnsiQuotedStr(s, '\''); }

AnsiString AnsiQuotedStr(const AnsiString& s, char quote) {
    AnsiString out;
    out.reserve(s.size() + 2);
    out += quote;
    for (char c : s) {
        if (c == quote) out += quote;
        out += c;
    }
    out += quote;
    return out;
}

AnsiString AnsiDequotedStr(const AnsiString& s, char quote) {
    if (s.empty() || s[0] != quote) return s;
    AnsiString out;
    for (size_t i = 1; i < s.size(); ++i) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                out += quote;
                ++i;
            } else {
                return out;
            }
        } else {
            out += s[i];
        }
    }
    return s;  // no closing quote
}

AnsiString StringReplace(const AnsiString& s, const AnsiString& oldPattern, const AnsiString& newPattern,
                         TReplaceFlags flags) {
    if (oldPattern.empty()) return s;
    const bool ignoreCase = (flags & rfIgnoreCase) != 0;
    const AnsiString haystack = ignoreCase ? AnsiUpperCase(s) : s;
    const AnsiString needle = ignoreCase ? AnsiUpperCase(oldPattern) : oldPattern;
    AnsiString out;
    size_t from = 0;
    while (true) {
        size_t at = haystack.find(needle, from);
        if (at == AnsiString::npos) break;
        out.append(s, from, at - from);
        out += newPattern;
        from = at + needle.size();
        if (!(flags & rfReplaceAll)) break;
    }
    out.append(s, from, AnsiString::npos);
    return out;
}

int Pos(const AnsiString& sub, const AnsiString& s) { return PosEx(sub, s, 1); }

int PosEx(const AnsiString& sub, const AnsiString& s, int offset) {
    if (sub.empty() || offset < 1 || offset > static_cast<int>(s.size())) return 0;
    size_t at = s.find(sub, static_cast<size_t>(offset - 1));
    return at == AnsiString::npos ? 0 : static_cast<int>(at) + 1;
}

AnsiString Copy(const AnsiString& s, int index, int count) {
    if (index < 1) index = 1;
    if (count <= 0 || index > static_cast<int>(s.size())) return AnsiString();
    return s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

void Delete(AnsiString& s, int index, int count) {
    if (index < 1 || index > static_cast<int>(s.size()) || count <= 0) return;
    s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

void Insert(const AnsiString& sub, AnsiString& s, int index) {
    if (index < 1) index = 1;
    if (index > static_cast<int>(s.size())) index = static_cast<int>(s.size()) + 1;
    s.insert(static_cast<size_t>(index - 1), sub);
}

AnsiString StringOfChar(char c, int count) { return count > 0 ? AnsiString(static_cast<size_t>(count), c) : ""; }

int CompareStr(const AnsiString& a, const AnsiString& b) {
    int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
