#include "platform/rtl/DateTime.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

TClockFunction& ClockSlot() {
    static TClockFunction clock;
    return clock;
}

// Days between 1970-01-01 and 1899-12-30.
constexpr int64_t kUnixDelta = 25569;

// Proleptic Gregorian calendar, days counted from 1970-01-01.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (month <= 2));
}

// The day number (1899-12-30 = 0) and the milliseconds into that day.
struct Stamp {
    int64_t day;
    int64_t msec;
};

Stamp Split(TDateTime value) {
    double whole = std::trunc(value);
    Stamp s{static_cast<int64_t>(whole), std::llround(std::fabs(value - whole) * MSecsPerDay)};
    if (s.msec >= 86400000) {
        s.msec -= 86400000;
        s.day += 1;
    }
    return s;
}

TDateTime SystemNow() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    if (ms < 0) ms += 1000;
    return ComposeDateTime(EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                           EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), ms));
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool StartsNoCase(const AnsiString& s, size_t at, const char* word) {
    for (size_t k = 0; word[k]; ++k)
        if (at + k >= s.size() || Upper(s[at + k]) != Upper(word[k])) return false;
    return true;
}

AnsiString Number(int value, int digits) {
    AnsiString s = IntToStr(value);
    if (static_cast<int>(s.size()) < digits) s.insert(0, static_cast<size_t>(digits) - s.size(), '0');
    return s;
}

class DateTimeWriter {
public:
    DateTimeWriter(TDateTime value, const TFormatSettings& fs) : fs_(fs) {
        Stamp s = Split(value);
        CivilFromDays(s.day - kUnixDelta, year_, month_, day_);
        hour_ = static_cast<int>(s.msec / 3600000);
        min_ = static_cast<int>(s.msec / 60000 % 60);
        sec_ = static_cast<int>(s.msec / 1000 % 60);
        msec_ = static_cast<int>(s.msec % 1000);
        dow_ = DayOfWeek(value);
        hasTime_ = s.msec != 0;
    }

    void Append(AnsiString& out, const AnsiString& format, int depth) {
        if (format.empty()) {
            AppendDefault(out, depth);
            return;
        }
        char last = ' ';
        size_t i = 0;
        const size_t n = format.size();
        while (i < n) {
            char c = format[i];
            char token = Upper(c);
            if (token >= 'A' && token <= 'Z') {
                if (token == 'M' && last == 'H') token = 'N';
                last = token;
            }
            size_t count = 1;
            while (i + count < n && Upper(format[i + count]) == Upper(c)) ++count;
            switch (token) {
                case 'Y':
                    out += count <= 2 ? Number(year_ % 100, 2) : Number(year_, 4);
                    break;
                case 'M':
                    if (count <= 2) out += Number(month_, static_cast<int>(count));
                    else out += (count == 3 ? fs_.ShortMonthNames : fs_.LongMonthNames)[month_ - 1];
                    break;
                case 'D':
                    if (count <= 2) out += Number(day_, static_cast<int>(count));
                    else if (count == 3) out += fs_.ShortDayNames[dow_ - 1];
                    else if (count == 4) out += fs_.LongDayNames[dow_ - 1];
                    else if (depth < 2) Append(out, count == 5 ? fs_.ShortDateFormat : fs_.LongDateFormat, depth + 1);
                    break;
                case 'H': {
                    int h = hour_;
                    if (TwelveHourClock(format, i + count)) {
                        h %= 12;
                        if (h == 0) h = 12;
                    }
                    out += Number(h, count == 1 ? 1 : 2);
                    break;
                }
                case 'N':
                    out += Number(min_, count == 1 ? 1 : 2);
                    break;
                case 'S':
                    out += Number(sec_, count == 1 ? 1 : 2);
                    break;
                case 'Z':
                    out += Number(msec_, static_cast<int>(std::min<size_t>(count, 3)));
                    break;
                case 'T':
                    if (depth < 2) Append(out, count == 1 ? fs_.ShortTimeFormat : fs_.LongTimeFormat, depth + 1);
                    break;
                case 'C':
                    AppendDefault(out, depth);
                    break;
                case 'A':
                    if (StartsNoCase(format, i, "AM/PM")) {
                        out.append(format, hour_ >= 12 ? i + 3 : i, 2);
                        count = 5;
                    } else if (StartsNoCase(format, i, "A/P")) {
                        out += format[hour_ >= 12 ? i + 2 : i];
                        count = 3;
                    } else if (StartsNoCase(format, i, "AMPM")) {
                        out += hour_ >= 12 ? fs_.TimePMString : fs_.TimeAMString;
                        count = 4;
                    } else {
                        out += c;
                        count = 1;
                    }
                    break;
                case '"':
                case '\'': {
                    size_t close = format.find(c, i + 1);
                    size_t end = close == AnsiString::npos ? n : close;
                    out.append(format, i + 1, end - i - 1);
                    count = end < n ? end - i + 1 : n - i;
                    break;
                }
                case '/':
                    out += fs_.DateSeparator;
                    count = 1;
                    break;
                case ':':
                    out += fs_.TimeSeparator;
                    count = 1;
                    break;
                default:
                    out += c;
                    count = 1;
                    break;
            }
            i += count;
        }
    }

private:
    void AppendDefault(AnsiString& out, int depth) {
        if (depth >= 2) return;
        Append(out, fs_.ShortDateFormat, depth + 1);
        if (hasTime_) {
            out += ' ';
            Append(out, fs_.LongTimeFormat, depth + 1);
        }
    }

    // An hour is on the 12-hour clock when the next 'a' before another 'h'
    // (outside quotes) starts am/pm, a/p or ampm.
    static bool TwelveHourClock(const AnsiString& format, size_t from) {
        char quote = 0;
        for (size_t p = from; p < format.size(); ++p) {
            char c = format[p];
            if (quote) {
                if (c == quote) quote = 0;
                continue;
            }
            if (c == '"' || c == '\'') quote = c;
            else if (c == 'h' || c == 'H') return false;
            else if (c == 'a' || c == 'A')
                return StartsNoCase(format, p, "AM/PM") || StartsNoCase(format, p, "A/P") ||
                       StartsNoCase(format, p, "AMPM");
        }
        return false;
    }

    const TFormatSettings& fs_;
    int year_, month_, day_, hour_, min_, sec_, msec_, dow_;
    bool hasTime_;
};

// --- parsing ---------------------------------------------------------------

class Scanner {
public:
    Scanner(const AnsiString& s, const TFormatSettings& fs) : s_(s), fs_(fs) {}

    void Blanks() {
        while (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
    }
    bool AtEnd() {
        Blanks();
        return pos_ >= s_.size();
    }
    bool Char(char c) {
        Blanks();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    // Up to four digits.
    bool Number(int& value, int& length) {
        Blanks();
        value = 0;
        length = 0;
        while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9' && length < 4) {
            value = value * 10 + (s_[pos_++] - '0');
            ++length;
        }
        return length > 0 && !(pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9');
    }
    bool Word(const AnsiString& word) {
        Blanks();
        if (word.empty() || !AnsiSameText(s_.substr(pos_, word.size()), word)) return false;
        pos_ += word.size();
        return true;
    }
    size_t Pos() const { return pos_; }
    void SetPos(size_t p) { pos_ = p; }

    bool Date(TDateTime& value) {
        char order = 'M';
        for (char c : fs_.ShortDateFormat) {
            char u = Upper(c);
            if (u == 'D' || u == 'M' || u == 'Y') {
                order = u;
                break;
            }
        }
        int n1 = 0, n2 = 0, n3 = 0, l1 = 0, l2 = 0, l3 = 0;
        if (!Number(n1, l1) || !Char(fs_.DateSeparator) || !Number(n2, l2)) return false;
        bool three = false;
        size_t save = pos_;
        if (Char(fs_.DateSeparator)) {
            if (!Number(n3, l3)) return false;
            three = true;
        } else {
            pos_ = save;
        }
        int y, m, d, yearLength;
        if (!three) {
            int dummy;
            TDateTime today = ::Date();
            DecodeDate(today, y, dummy, dummy);
            yearLength = 4;
            if (order == 'D') {
                d = n1;
                m = n2;
            } else {
                m = n1;
                d = n2;
            }
        } else if (order == 'Y') {
            y = n1, yearLength = l1, m = n2, d = n3;
        } else if (order == 'D') {
            d = n1, m = n2, y = n3, yearLength = l3;
        } else {
            m = n1, d = n2, y = n3, yearLength = l3;
        }
        if (yearLength <= 2) {
            int current, dummy;
            DecodeDate(::Date(), current, dummy, dummy);
            int base = current - fs_.TwoDigitYearCenturyWindow;
            y += base / 100 * 100;
            if (fs_.TwoDigitYearCenturyWindow > 0 && y < base) y += 100;
        }
        return TryEncodeDate(y, m, d, value);
    }

    bool Time(TDateTime& value) {
        int baseHour = AmPm();
        int hour, min = 0, sec = 0, msec = 0, length;
        if (!Number(hour, length)) return false;
        bool minutes = false;
        if (Char(fs_.TimeSeparator)) {
            if (!Number(min, length)) return false;
            minutes = true;
            if (Char(fs_.TimeSeparator)) {
                if (!Number(sec, length)) return false;
                if (Char(fs_.DecimalSeparator)) {
                    // Fraction of a second.
                    Blanks();
                    int digits = 0, scale = 100;
                    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') {
                        msec += (s_[pos_++] - '0') * scale;
                        scale /= 10;
                        ++digits;
                    }
                    if (digits == 0) return false;
                }
            }
        }
        if (baseHour < 0) baseHour = AmPm();
        if (baseHour >= 0) {
            if (hour == 0 || hour > 12) return false;
            if (hour == 12) hour = 0;
            hour += baseHour;
        } else if (!minutes) {
            return false;  // a bare number is no time
        }
        return TryEncodeTime(hour, min, sec, msec, value);
    }

private:
    int AmPm() {
        if (Word(fs_.TimeAMString) || Word("AM")) return 0;
        if (Word(fs_.TimePMString) || Word("PM")) return 12;
        return -1;
    }

    const AnsiString& s_;
    const TFormatSettings& fs_;
    size_t pos_ = 0;
};

[[noreturn]] void NotValid(const AnsiString& s, const char* what) {
    throw EConvertError("'" + s + "' is not a valid " + what);
}

}  // namespace

void SetClock(TClockFunction clock) { ClockSlot() = std::move(clock); }

TDateTime Now() {
    const TClockFunction& clock = ClockSlot();
    return clock ? clock() : SystemNow();
}

TDateTime Date() { return DateOf(Now()); }
TDateTime Time() { return TimeOf(Now()); }

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
        return false;
    result = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                                 kUnixDelta);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime result;
    if (!TryEncodeDate(year, month, day, result)) throw EConvertError("Invalid argument to date encode");
    return result;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result) {
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999) return false;
    result = ((hour * 3600 + min * 60 + sec) * 1000.0 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    TDateTime result;
    if (!TryEncodeTime(hour, min, sec, msec, result)) throw EConvertError("Invalid argument to time encode");
    return result;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
    double t = std::fabs(time - std::trunc(time));
    return date < 0 ? date - t : date + t;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    CivilFromDays(Split(value).day - kUnixDelta, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec) {
    int64_t ms = Split(value).msec;
    hour = static_cast<int>(ms / 3600000);
    min = static_cast<int>(ms / 60000 % 60);
    sec = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

int DayOfWeek(TDateTime value) {
    int64_t r = (Split(value).day + DateDelta) % 7;
    if (r < 0) r += 7;
    return static_cast<int>(r) + 1;
}

TDateTime DateOf(TDateTime value) { return static_cast<double>(Split(value).day); }
TDateTime TimeOf(TDateTime value) { return static_cast<double>(Split(value).msec) / MSecsPerDay; }
TDateTime IncDay(TDateTime value, int days) { return value + days; }

void DateTimeToString(AnsiString& result, const AnsiString& format, TDateTime value, const TFormatSettings& fs) {
    result.clear();
    DateTimeWriter(value, fs).Append(result, format, 0);
}

AnsiString FormatDateTime(const AnsiString& format, TDateTime value, const TFormatSettings& fs) {
    AnsiString result;
    DateTimeToString(result, format, value, fs);
    return result;
}

AnsiString DateTimeToStr(TDateTime value, const TFormatSettings& fs) { return FormatDateTime("", value, fs); }
AnsiString DateToStr(TDateTime value, const TFormatSettings& fs) { return FormatDateTime("ddddd", value, fs); }
AnsiString TimeToStr(TDateTime value, const TFormatSettings& fs) { return FormatDateTime("tt", value, fs); }

bool TryStrToDate(const AnsiString& s, TDateTime& value, const TFormatSettings& fs) {
    Scanner scan(s, fs);
    TDateTime d;
    if (!scan.Date(d) || !scan.AtEnd()) return false;
    value = d;
    return true;
}

bool TryStrToTime(const AnsiString& s, TDateTime& value, const TFormatSettings& fs) {
    Scanner scan(s, fs);
    TDateTime t;
    if (!scan.Time(t) || !scan.AtEnd()) return false;
    value = t;
    return true;
}

bool TryStrToDateTime(const AnsiString& s, TDateTime& value, const TFormatSettings& fs) {
    Scanner scan(s, fs);
    TDateTime d, t = 0;
    if (scan.Date(d)) {
        if (scan.AtEnd() || (scan.Time(t) && scan.AtEnd())) {
            value = ComposeDateTime(d, t);
            return true;
        }
        return false;
    }
    return TryStrToTime(s, value, fs);
}

TDateTime StrToDate(const AnsiString& s, const TFormatSettings& fs) {
    TDateTime v;
    if (!TryStrToDate(s, v, fs)) NotValid(s, "date");
    return v;
}

TDateTime StrToTime(const AnsiString& s, const TFormatSettings& fs) {
    TDateTime v;
    if (!TryStrToTime(s, v, fs)) NotValid(s, "time");
    return v;
}

TDateTime StrToDateTime(const AnsiString& s, const TFormatSettings& fs) {
    TDateTime v;
    if (!TryStrToDateTime(s, v, fs)) NotValid(s, "date and time");
    return v;
}

// --- database text ------------------------------------------------------------

AnsiString DateTimeToSqlText(TDateTime value) {
    Stamp s = Split(value);
    int64_t seconds = (s.msec + 500) / 1000;
    if (seconds >= 86400) {
        seconds -= 86400;
        s.day += 1;
    }
    int y, m, d;
    CivilFromDays(s.day - kUnixDelta, y, m, d);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return buffer;
}

AnsiString DateTimeToSqlTextExact(TDateTime value) {
    Stamp s = Split(value);
    int64_t ms = s.msec % 1000;
    if (ms == 0) return DateTimeToSqlText(value);
    int64_t seconds = s.msec / 1000;
    int y, m, d;
    CivilFromDays(s.day - kUnixDelta, y, m, d);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", y, m, d,
                  static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60), static_cast<int>(ms));
    return buffer;
}

bool TrySqlTextToDateTime(std::string_view text, TDateTime& value) {
    size_t i = 0;
    auto digits = [&](size_t count, int& out) {
        out = 0;
        for (size_t k = 0; k < count; ++k, ++i) {
            if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
            out = out * 10 + (text[i] - '0');
        }
        return true;
    };
    auto literal = [&](char c) {
        if (i < text.size() && text[i] == c) {
            ++i;
            return true;
        }
        return false;
    };
    int y, mo, d, h = 0, mi = 0, s = 0, ms = 0;
    if (!digits(4, y) || !literal('-') || !digits(2, mo) || !literal('-') || !digits(2, d)) return false;
    if (i < text.size()) {
        if (!literal(' ') && !literal('T')) return false;
        if (!digits(2, h) || !literal(':') || !digits(2, mi)) return false;
        if (literal(':')) {
            if (!digits(2, s)) return false;
            if (literal('.')) {
                int scale = 100, count = 0;
                while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
                    ms += (text[i++] - '0') * scale;
                    scale /= 10;
                    ++count;
                }
                if (count == 0) return false;
            }
        }
        if (i != text.size()) return false;
    }
    TDateTime date, time;
    if (!TryEncodeDate(y, mo, d, date) || !TryEncodeTime(h, mi, s, ms, time)) return false;
    value = ComposeDateTime(date, time);
    return true;
}

TDateTime SqlTextToDateTime(const AnsiString& text) {
    TDateTime v;
    if (!TrySqlTextToDateTime(text, v)) throw EConvertError("'" + text + "' is not a valid date and time");
    return v;
}
