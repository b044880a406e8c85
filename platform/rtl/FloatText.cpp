// Floating-point and currency text: FloatToStr, FloatToStrF, FormatFloat,
// StrToFloat and the currency forms.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "platform/rtl/SysUtils.h"

namespace {

// value = 0.digits * 10^exponent; digits hold no trailing zeros and are empty for zero.
struct Decimal {
    bool negative = false;
    int exponent = 0;
    std::string digits;
};

constexpr int kNoLimit = 9999;

// An exact decimal form of a value before rounding: value = 0.digits * 10^exponent.
struct Exact {
    bool negative = false;
    int exponent = 0;
    std::string digits;  // empty for zero
};

// The double's first 18 significant digits, like the framework's extended-precision conversion.
Exact FromDouble(double value) {
    Exact e;
    double v = std::fabs(value);
    if (v == 0) return e;
    e.negative = std::signbit(value);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17e", v);
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') e.digits += *p;
    e.exponent = std::atoi(p + 1) + 1;
    return e;
}

// A fixed-point value with `scale` decimals, digit for digit.
Exact FromScaled(int64_t scaled, int scale) {
    Exact e;
    if (scaled == 0) return e;
    e.negative = scaled < 0;
    uint64_t magnitude = e.negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
    e.digits = std::to_string(magnitude);
    e.exponent = static_cast<int>(e.digits.size()) - scale;
    return e;
}

// Rounds half away from zero to at most `precision` significant digits and at
// most `decimals` digits after the point.
Decimal ToDecimal(const Exact& e, int precision, int decimals) {
    Decimal d;
    if (e.digits.empty()) return d;
    precision = std::clamp(precision, 1, 19);
    int exponent = e.exponent;
    int keep = std::min<int>(precision, decimals >= kNoLimit ? kNoLimit : exponent + decimals);
    if (keep < 0) return d;
    std::string kept = e.digits.substr(0, static_cast<size_t>(std::min<int>(keep, static_cast<int>(e.digits.size()))));
    if (keep < static_cast<int>(e.digits.size()) && e.digits[static_cast<size_t>(keep)] >= '5') {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<size_t>(i)] == '9') kept[static_cast<size_t>(i--)] = '0';
        if (i >= 0) {
            ++kept[static_cast<size_t>(i)];
        } else {
            kept.insert(kept.begin(), '1');
            ++exponent;
        }
    }
    while (!kept.empty() && kept.back() == '0') kept.pop_back();
    if (kept.empty()) return d;
    d.negative = e.negative;
    d.exponent = exponent;
    d.digits = kept;
    return d;
}

char DigitAt(const Decimal& d, int index) {
    return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[static_cast<size_t>(index)] : '0';
}

std::string ExponentText(int exponent, int minDigits, bool plus) {
    std::string digits = std::to_string(std::abs(exponent));
    if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), '0');
    if (exponent < 0) return "-" + digits;
    return plus ? "+" + digits : digits;
}

// Integer digits of a decimal (no leading zeros; empty when below 1).
std::string IntegerPart(const Decimal& d) {
    std::string s;
    for (int i = 0; i < d.exponent; ++i) s += DigitAt(d, i);
    return s;
}

std::string FractionPart(const Decimal& d) {
    std::string s;
    for (int i = std::min(d.exponent, 0); i < 0; ++i) s += '0';
    for (int i = std::max(d.exponent, 0); i < static_cast<int>(d.digits.size()); ++i) s += d.digits[static_cast<size_t>(i)];
    return s;
}

std::string Group(const std::string& integer, char separator) {
    std::string out;
    int n = static_cast<int>(integer.size());
    for (int i = 0; i < n; ++i) {
        out += integer[static_cast<size_t>(i)];
        int place = n - i;
        if (place > 1 && (place - 1) % 3 == 0) out += separator;
    }
    return out;
}

std::string GeneralText(const Decimal& d, int precision, int expDigits, const TFormatSettings& fs) {
    if (d.digits.empty()) return "0";
    std::string out;
    if (d.exponent > precision || d.exponent < -3) {
        out += d.digits[0];
        if (d.digits.size() > 1) {
            out += fs.DecimalSeparator;
            out.append(d.digits, 1);
        }
        out += 'E';
        out += ExponentText(d.exponent - 1, std::clamp(expDigits, 0, 4), false);
    } else {
        std::string integer = IntegerPart(d);
        out = integer.empty() ? "0" : integer;
        std::string fraction = FractionPart(d);
        if (!fraction.empty()) out += fs.DecimalSeparator + fraction;
    }
    return d.negative ? "-" + out : out;
}

std::string CurrencyText(const std::string& number, bool negative, const TFormatSettings& fs) {
    const std::string& c = fs.CurrencyString;
    if (!negative) {
        switch (fs.CurrencyFormat) {
            case 1: return number + c;
            case 2: return c + " " + number;
            case 3: return number + " " + c;
            default: return c + number;
        }
    }
    switch (fs.NegCurrFormat) {
        case 1: return "-" + c + number;
        case 2: return c + "-" + number;
        case 3: return c + number + "-";
        case 4: return "(" + number + c + ")";
        case 5: return "-" + number + c;
        case 6: return number + "-" + c;
        case 7: return number + c + "-";
        case 8: return "-" + number + " " + c;
        case 9: return "-" + c + " " + number;
        case 10: return number + " " + c + "-";
        case 11: return c + " " + number + "-";
        case 12: return c + " -" + number;
        case 13: return number + "- " + c;
        case 14: return "(" + c + " " + number + ")";
        case 15: return "(" + number + " " + c + ")";
        default: return "(" + c + number + ")";
    }
}

}  // namespace

namespace {

std::string ExactToText(const Exact& value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& fs) {
    precision = std::clamp(precision, 1, 19);
    switch (format) {
        case ffExponent: {
            Decimal d = ToDecimal(value, precision, kNoLimit);
            std::string out;
            out += DigitAt(d, 0);
            if (precision > 1) {
                out += fs.DecimalSeparator;
                for (int i = 1; i < precision; ++i) out += DigitAt(d, i);
            }
            out += 'E';
            out += ExponentText(d.digits.empty() ? 0 : d.exponent - 1, std::clamp(digits, 0, 4), true);
            return d.negative ? "-" + out : out;
        }
        case ffFixed:
        case ffNumber:
        case ffCurrency: {
            digits = std::clamp(digits, 0, 18);
            Decimal d = ToDecimal(value, precision, digits);
            if (d.exponent > precision) return GeneralText(d, precision, 0, fs);
            std::string integer = IntegerPart(d);
            if (integer.empty()) integer.push_back('0');
            if (format != ffFixed) integer = Group(integer, fs.ThousandSeparator);
            std::string out = integer;
            if (digits > 0) {
                std::string fraction = FractionPart(d);
                fraction.resize(static_cast<size_t>(digits), '0');
                out += fs.DecimalSeparator + fraction;
            }
            if (format == ffCurrency) return CurrencyText(out, d.negative, fs);
            return d.negative ? "-" + out : out;
        }
        default:
            return GeneralText(ToDecimal(value, precision, kNoLimit), precision, digits, fs);
    }
}

}  // namespace

AnsiString FloatToTextInternal(double value, TFloatFormat format, int precision, int digits,
                               const TFormatSettings& fs) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    return ExactToText(FromDouble(value), format, std::min(precision, 18), digits, fs);
}

AnsiString FloatToStr(double value, const TFormatSettings& fs) {
    return FloatToTextInternal(value, ffGeneral, 15, 0, fs);
}

AnsiString FloatToStrF(double value, TFloatFormat format, int precision, int digits, const TFormatSettings& fs) {
    return FloatToTextInternal(value, format, precision, digits, fs);
}

// ---------------------------------------------------------------------------
// FormatFloat

namespace {

struct Section {
    std::string_view text;
    int intPlaces = 0;   // digit placeholders before the point
    int minInt = 0;      // from the first '0' before the point up to the point
    int decPlaces = 0;   // placeholders after the point
    int minDec = 0;      // up to the last '0' after the point
    bool thousands = false;
    bool scientific = false;
};

// Splits at ';' outside quotes; at most three sections count.
std::vector<std::string_view> SplitSections(std::string_view format) {
    std::vector<std::string_view> sections;
    size_t start = 0;
    char quote = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections.push_back(format.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(format.substr(start));
    if (sections.size() > 3) sections.resize(3);
    return sections;
}

Section ScanSection(std::string_view text) {
    Section s;
    s.text = text;
    bool point = false;
    int firstZero = -1;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"' || c == '\'') {
            size_t close = text.find(c, i + 1);
            i = close == std::string_view::npos ? text.size() : close;
        } else if (c == '#' || c == '0') {
            if (point) {
                ++s.decPlaces;
                if (c == '0') s.minDec = s.decPlaces;
            } else {
                if (c == '0' && firstZero < 0) firstZero = s.intPlaces;
                ++s.intPlaces;
            }
        } else if (c == '.') {
            point = true;
        } else if (c == ',') {
            s.thousands = true;
        } else if ((c == 'E' || c == 'e') && i + 1 < text.size() && (text[i + 1] == '+' || text[i + 1] == '-')) {
            s.scientific = true;
            i += 1;
            while (i + 1 < text.size() && text[i + 1] == '0') ++i;
        }
    }
    s.minInt = firstZero < 0 ? 0 : s.intPlaces - firstZero;
    return s;
}

// The value's digits as the section will show them.
struct Digits {
    Decimal decimal;
    std::string integer;   // padded to minInt
    std::string fraction;  // trailing zeros kept down to minDec
    int exponent = 0;      // scientific only
};

Digits Prepare(const Section& s, const Exact& value) {
    Digits r;
    if (s.scientific) {
        int places = std::max(s.intPlaces + s.decPlaces, 1);
        r.decimal = ToDecimal(value, places, kNoLimit);
        int lead = std::max(s.intPlaces, 1);
        if (!r.decimal.digits.empty()) r.exponent = r.decimal.exponent - lead;
        for (int i = 0; i < lead; ++i)
            if (!r.decimal.digits.empty()) r.integer += DigitAt(r.decimal, i);
        while (!r.integer.empty() && r.integer[0] == '0') r.integer.erase(0, 1);
        for (int i = lead; i < static_cast<int>(r.decimal.digits.size()); ++i) r.fraction += r.decimal.digits[static_cast<size_t>(i)];
    } else {
        r.decimal = ToDecimal(value, 19, s.decPlaces);
        r.integer = IntegerPart(r.decimal);
        r.fraction = FractionPart(r.decimal);
    }
    if (static_cast<int>(r.integer.size()) < s.minInt)
        r.integer.insert(0, static_cast<size_t>(s.minInt) - r.integer.size(), '0');
    if (static_cast<int>(r.fraction.size()) > s.decPlaces) r.fraction.resize(static_cast<size_t>(s.decPlaces));
    while (static_cast<int>(r.fraction.size()) > s.minDec && r.fraction.back() == '0') r.fraction.pop_back();
    if (static_cast<int>(r.fraction.size()) < s.minDec) r.fraction.resize(static_cast<size_t>(s.minDec), '0');
    return r;
}

std::string Apply(const Section& s, const Digits& d, bool minus, const TFormatSettings& fs) {
    std::string out;
    if (minus) out += '-';
    const int len = static_cast<int>(d.integer.size());
    int intSeen = 0, decSeen = 0;
    bool point = false, integerDone = false, digitOut = false;
    auto putIntegerDigit = [&](int place) {
        digitOut = true;
        out += d.integer[static_cast<size_t>(len - place)];
        if (s.thousands && place > 1 && (place - 1) % 3 == 0) out += fs.ThousandSeparator;
    };
    // Digits that have no placeholder of their own go before the first one.
    auto putExtraDigits = [&](int places) {
        if (integerDone) return;
        integerDone = true;
        for (int place = len; place > places; --place) putIntegerDigit(place);
    };
    const std::string_view t = s.text;
    for (size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        if (c == '"' || c == '\'') {
            size_t close = t.find(c, i + 1);
            size_t end = close == std::string_view::npos ? t.size() : close;
            out.append(t.substr(i + 1, end - i - 1));
            i = end;
        } else if (c == '#' || c == '0') {
            if (!point) {
                int place = s.intPlaces - intSeen++;
                putExtraDigits(s.intPlaces);
                if (place <= len) putIntegerDigit(place);
            } else {
                if (decSeen < static_cast<int>(d.fraction.size())) out += d.fraction[static_cast<size_t>(decSeen)];
                ++decSeen;
            }
        } else if (c == '.') {
            if (point) continue;
            point = true;
            putExtraDigits(s.intPlaces);
            if (!d.fraction.empty()) out += fs.DecimalSeparator;
        } else if (c == ',') {
            // Only asks for thousand separators.
        } else if ((c == 'E' || c == 'e') && i + 1 < t.size() && (t[i + 1] == '+' || t[i + 1] == '-') && s.scientific) {
            bool plus = t[i + 1] == '+';
            i += 1;
            int expDigits = 0;
            while (i + 1 < t.size() && t[i + 1] == '0') {
                ++i;
                ++expDigits;
            }
            out += c;
            out += ExponentText(d.exponent, std::min(expDigits, 4), plus);
        } else if (!point && intSeen > 0 && intSeen < s.intPlaces && !digitOut) {
            // A literal between digit placeholders groups digits ("# ### ##0"):
            // before the first digit there is nothing to group.
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

namespace {

std::string FormatExact(const AnsiString& format, const Exact& value, const TFormatSettings& fs) {
    std::vector<std::string_view> sections = SplitSections(format);
    auto usable = [&](size_t i) { return i < sections.size() && !sections[i].empty(); };
    size_t which = 0;
    if (value.negative && usable(1)) which = 1;
    else if (value.digits.empty() && usable(2)) which = 2;
    Section section = ScanSection(sections[which]);
    Digits digits = Prepare(section, value);
    // A value that rounds to zero is shown as zero: by the zero section when
    // there is one, else by the first (never as a negative value).
    if (digits.decimal.digits.empty() && which != 2) {
        size_t zero = usable(2) ? 2 : 0;
        if (zero != which) {
            which = zero;
            section = ScanSection(sections[which]);
            digits = Prepare(section, Exact());
        }
    }
    bool minus = which == 0 && digits.decimal.negative && !digits.decimal.digits.empty();
    return Apply(section, digits, minus, fs);
}

}  // namespace

AnsiString FormatFloat(const AnsiString& format, double value, const TFormatSettings& fs) {
    if (format.empty() || std::isnan(value) || std::isinf(value)) return FloatToStr(value, fs);
    return FormatExact(format, FromDouble(value), fs);
}

AnsiString FormatInteger(const AnsiString& format, int64_t value, const TFormatSettings& fs) {
    if (format.empty()) return IntToStr(static_cast<long long>(value));
    return FormatExact(format, FromScaled(value, 0), fs);
}

AnsiString IntegerToStrF(int64_t value, TFloatFormat format, int digits, const TFormatSettings& fs) {
    return ExactToText(FromScaled(value, 0), format, 19, digits, fs);
}

// ---------------------------------------------------------------------------
// Currency

Currency Currency::FromScaled(int64_t scaled) {
    Currency c;
    c.Scaled = scaled;
    return c;
}

Currency Currency::FromDouble(double value) {
    double scaled = std::nearbyint(value * 10000.0);
    if (!(std::fabs(scaled) < 9.2233720368547758e18)) throw EConvertError("Floating point value out of currency range");
    return FromScaled(static_cast<int64_t>(scaled));
}

// Currency text is made from the scaled integer, so no digit is lost to binary fractions.
AnsiString FormatCurr(const AnsiString& format, Currency value, const TFormatSettings& fs) {
    if (format.empty()) return CurrToStr(value, fs);
    return FormatExact(format, FromScaled(value.Scaled, 4), fs);
}

AnsiString CurrToStr(Currency value, const TFormatSettings& fs) {
    return ExactToText(FromScaled(value.Scaled, 4), ffGeneral, 19, 0, fs);
}

AnsiString CurrToStrF(Currency value, TFloatFormat format, int digits, const TFormatSettings& fs) {
    return ExactToText(FromScaled(value.Scaled, 4), format, 19, digits, fs);
}

// ---------------------------------------------------------------------------
// Parsing

bool TryStrToFloat(const AnsiString& s, double& value, const TFormatSettings& fs) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    // Rebuild in the "C" form: sign, digits, '.', exponent.
    std::string text;
    size_t i = b;
    bool negative = false;
    if (i < e && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    int mantissaDigits = 0;
    while (i < e && s[i] >= '0' && s[i] <= '9') {
        text += s[i++];
        ++mantissaDigits;
    }
    if (i < e && s[i] == fs.DecimalSeparator) {
        text += '.';
        ++i;
        while (i < e && s[i] >= '0' && s[i] <= '9') {
            text += s[i++];
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return false;
    if (i < e && (s[i] == 'e' || s[i] == 'E')) {
        text += 'e';
        ++i;
        if (i < e && (s[i] == '+' || s[i] == '-')) text += s[i++];
        int expDigits = 0;
        while (i < e && s[i] >= '0' && s[i] <= '9') {
            text += s[i++];
            ++expDigits;
        }
        if (expDigits == 0) return false;
    }
    if (i != e) return false;
    double v = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), v);
    if (result.ec == std::errc::result_out_of_range) {
        // Underflow becomes 0; overflow is an error.
        bool tiny = text.find("e-") != std::string::npos;
        if (!tiny) return false;
        v = 0;
    } else if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return false;
    }
    value = negative ? -v : v;
    return true;
}

double StrToFloat(const AnsiString& s, const TFormatSettings& fs) {
    double v;
    if (!TryStrToFloat(s, v, fs)) throw EConvertError("'" + s + "' is not a valid floating point value");
    return v;
}

double StrToFloatDef(const AnsiString& s, double defaultValue, const TFormatSettings& fs) {
    double v;
    return TryStrToFloat(s, v, fs) ? v : defaultValue;
}

bool TryStrToCurr(const AnsiString& s, Currency& value, const TFormatSettings& fs) {
    double v;
    if (!TryStrToFloat(s, v, fs)) return false;
    double scaled = std::nearbyint(v * 10000.0);
    if (!(std::fabs(scaled) < 9.2233720368547758e18)) return false;
    value = Currency::FromScaled(static_cast<int64_t>(scaled));
    return true;
}

Currency StrToCurr(const AnsiString& s, const TFormatSettings& fs) {
    Currency c;
    if (!TryStrToCurr(s, c, fs)) throw EConvertError("'" + s + "' is not a valid floating point value");
    return c;
}
