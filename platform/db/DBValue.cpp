#include "platform/db/DBValue.h"

#include <cmath>
#include <cstdio>

namespace {

// Days from 1970-01-01 for a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(y + (m <= 2));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

const int64_t kEpochShift = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Reads exactly n digits at pos.
bool Digits(std::string_view t, size_t& pos, size_t n, int& out) {
    if (pos + n > t.size()) return false;
    int v = 0;
    for (size_t i = 0; i < n; ++i) {
        char c = t[pos + i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    pos += n;
    out = v;
    return true;
}

}  // namespace

bool DbEncodeDate(int year, int month, int day, double& value) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    value = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                                kEpochShift);
    return true;
}

bool DbEncodeTime(int hour, int minute, int second, int msec, double& value) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
        msec > 999)
        return false;
    value = static_cast<double>(((hour * 60 + minute) * 60 + second) * 1000 + msec) / 86400000.0;
    return true;
}

bool ParseDbDateTime(std::string_view t, double& value) {
    size_t pos = 0;
    int y, mo, d;
    if (!Digits(t, pos, 4, y) || pos >= t.size() || t[pos++] != '-' || !Digits(t, pos, 2, mo) ||
        pos >= t.size() || t[pos++] != '-' || !Digits(t, pos, 2, d))
        return false;
    double date;
    if (!DbEncodeDate(y, mo, d, date)) return false;
    double time = 0;
    if (pos < t.size()) {
        if (t[pos] != ' ' && t[pos] != 'T') return false;
        ++pos;
        int h, mi, s = 0, ms = 0;
        if (!Digits(t, pos, 2, h) || pos >= t.size() || t[pos++] != ':' || !Digits(t, pos, 2, mi)) return false;
        if (pos < t.size() && t[pos] == ':') {
            ++pos;
            if (!Digits(t, pos, 2, s)) return false;
            if (pos < t.size() && t[pos] == '.') {
                ++pos;
                int scale = 100;
                size_t start = pos;
                while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9') {
                    ms += (t[pos] - '0') * scale;
                    scale /= 10;
                    ++pos;
                }
                if (pos == start) return false;
            }
        }
        if (pos != t.size() || !DbEncodeTime(h, mi, s, ms, time)) return false;
    }
    value = date < 0 ? date - time : date + time;
    return true;
}

AnsiString FormatDbDateTime(double value) {
    if (!std::isfinite(value)) return AnsiString();
    double dayPart = std::trunc(value);
    int64_t secs = std::llround(std::fabs(value - dayPart) * 86400.0);
    int64_t day = static_cast<int64_t>(dayPart);
    if (secs >= 86400) {
        secs -= 86400;
        ++day;
    }
    int y, m, d;
    CivilFromDays(day + kEpochShift, y, m, d);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, static_cast<int>(secs / 3600),
                  static_cast<int>(secs / 60 % 60), static_cast<int>(secs % 60));
    return buf;
}

int DbCompareText(std::string_view a, std::string_view b) {
    const unsigned char* up = CodePage::Active().UpperTable();
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = up[static_cast<unsigned char>(a[i])], cb = up[static_cast<unsigned char>(b[i])];
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
