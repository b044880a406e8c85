#include <gtest/gtest.h>

#include "platform/rtl/DateTime.h"

namespace {

struct SettingsGuard {
    SettingsGuard() : saved(FormatSettings) {}
    ~SettingsGuard() {
        FormatSettings = saved;
        SetClock(nullptr);
    }
    TFormatSettings saved;
};

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return ComposeDateTime(EncodeDate(y, mo, d), EncodeTime(h, mi, s, ms));
}

TEST(DateTime, EncodeDecodeAndDayOfWeek) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
    EXPECT_EQ(EncodeDate(2024, 2, 29), 45351.0);
    EXPECT_DOUBLE_EQ(EncodeTime(18, 0, 0, 0), 0.75);

    struct Case {
        int y, m, d, h, mi, s, ms, dow;
    } cases[] = {
        {1899, 12, 30, 0, 0, 0, 0, 7},    {1899, 12, 29, 6, 0, 0, 0, 6}, {1, 1, 1, 23, 59, 59, 999, 2},
        {2024, 3, 8, 13, 45, 30, 250, 6}, {9999, 12, 31, 12, 0, 0, 1, 6}, {1600, 2, 29, 0, 0, 1, 0, 3},
    };
    for (const Case& c : cases) {
        TDateTime v = At(c.y, c.m, c.d, c.h, c.mi, c.s, c.ms);
        int y, m, d, h, mi, s, ms;
        DecodeDate(v, y, m, d);
        DecodeTime(v, h, mi, s, ms);
        EXPECT_EQ((std::vector<int>{y, m, d, h, mi, s, ms}), (std::vector<int>{c.y, c.m, c.d, c.h, c.mi, c.s, c.ms}))
            << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(DayOfWeek(v), c.dow) << c.y << "-" << c.m << "-" << c.d;
    }
    // Before 1899-12-30 the fraction still counts forward from midnight.
    EXPECT_DOUBLE_EQ(At(1899, 12, 29, 6), -1.25);

    TDateTime v;
    for (auto [y, m, d] : {std::tuple{2023, 2, 29}, {2024, 13, 1}, {0, 1, 1}, {10000, 1, 1}, {2024, 4, 31}, {2024, 1, 0}}) {
        EXPECT_FALSE(TryEncodeDate(y, m, d, v)) << y << "-" << m << "-" << d;
        EXPECT_THROW(EncodeDate(y, m, d), EConvertError);
    }
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
}

TEST(DateTime, InjectableClock) {
    SettingsGuard guard;
    TDateTime fixed = At(2024, 3, 8, 13, 45, 30);
    SetClock([fixed] { return fixed; });
    EXPECT_EQ(Now(), fixed);
    EXPECT_EQ(Date(), EncodeDate(2024, 3, 8));
    EXPECT_DOUBLE_EQ(Time(), EncodeTime(13, 45, 30, 0));
    SetClock(nullptr);
    EXPECT_GT(Now(), EncodeDate(2020, 1, 1));
}

TEST(DateTime, FormatDateTimeSpecifiers) {
    SettingsGuard guard;
    TDateTime v = At(2024, 3, 8, 13, 5, 9, 42);
    TDateTime morning = At(2007, 11, 25, 0, 7, 3);
    struct Case {
        const char* format;
        TDateTime value;
        const char* expected;
    } cases[] = {
        {"mm/dd hh:nn", v, "03/08 13:05"},
        {"mm\"-\"dd\" \"hh\":\"nn\":\"ss", v, "03-08 13:05:09"},
        {"m\"/\"d\"/\"yyyy", v, "3/8/2024"},
        {"dd.mm.yyyy", v, "08.03.2024"},
        {"mm.dd.yyyy", v, "03.08.2024"},
        {"d/m/yy", v, "8/3/24"},
        {"ddd dddd mmm mmmm", v, "Fri Friday Mar March"},
        {"ddddd", v, "3/8/2024"},
        {"dddddd", v, "Friday, March 8, 2024"},
        {"ddddd hh:nn:ss", v, "3/8/2024 13:05:09"},
        {"hh:mm", v, "13:05"},        // m after h is minutes
        {"h:m mm", v, "13:5 03"},     // only right after h
        {"HH:NN:SS.ZZZ", v, "13:05:09.042"},
        {"s z", v, "9 42"},
        {"h:nn am/pm", v, "1:05 pm"},
        {"h:nn AM/PM", morning, "12:07 AM"},
        {"h:nn a/p", v, "1:05 p"},
        {"hh ampm", morning, "12 AM"},
        {"t", v, "1:05 PM"},
        {"tt", v, "1:05:09 PM"},
        {"c", v, "3/8/2024 1:05:09 PM"},
        {"c", EncodeDate(2024, 3, 8), "3/8/2024"},
        {"", v, "3/8/2024 1:05:09 PM"},
        {"'at' hh 'o''clock'", v, "at 13 oclock"},
        {"yyyy\"", v, "2024"},
        {"x;[yyyy]", v, "x;[2024]"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.format, c.value), c.expected) << c.format;

    FormatSettings.DateSeparator = '.';
    FormatSettings.TimeSeparator = '-';
    FormatSettings.ShortDateFormat = "dd/mm/yyyy";
    EXPECT_EQ(FormatDateTime("mm/dd hh:nn", v), "03.08 13-05");
    EXPECT_EQ(FormatDateTime("m\"/\"d\"/\"yyyy", v), "3/8/2024");  // quoted separators stay
    EXPECT_EQ(DateToStr(v), "08.03.2024");
    // A short date format naming itself must not recurse without end.
    FormatSettings.ShortDateFormat = "ddddd c";
    EXPECT_NO_THROW(FormatDateTime("c", v));
}

TEST(DateTime, StrToDateFollowsShortDateFormat) {
    SettingsGuard guard;
    SetClock([] { return At(2025, 6, 15, 10); });
    struct Case {
        const char* shortFormat;
        char separator;
        const char* text;
        bool ok;
        TDateTime expected;
    } cases[] = {
        {"M/d/yyyy", '/', "3/8/2024", true, EncodeDate(2024, 3, 8)},
        {"M/d/yyyy", '/', " 03/08/2024 ", true, EncodeDate(2024, 3, 8)},
        {"M/d/yyyy", '/', "3/8", true, EncodeDate(2025, 3, 8)},
        {"M/d/yyyy", '/', "3/8/24", true, EncodeDate(2024, 3, 8)},
        {"M/d/yyyy", '/', "3/8/75", true, EncodeDate(1975, 3, 8)},
        {"M/d/yyyy", '/', "3/8/74", true, EncodeDate(2074, 3, 8)},
        {"dd.mm.yyyy", '.', "08.03.2024", true, EncodeDate(2024, 3, 8)},
        {"yyyy-mm-dd", '-', "2024-03-08", true, EncodeDate(2024, 3, 8)},
        {"M/d/yyyy", '/', "2/30/2024", false, 0},
        {"M/d/yyyy", '/', "3.8.2024", false, 0},
        {"M/d/yyyy", '/', "3/8/2024x", false, 0},
        {"M/d/yyyy", '/', "", false, 0},
    };
    for (const Case& c : cases) {
        FormatSettings.ShortDateFormat = c.shortFormat;
        FormatSettings.DateSeparator = c.separator;
        TDateTime v = -1;
        EXPECT_EQ(TryStrToDate(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.expected) << c.text;
        }
    }
    FormatSettings = guard.saved;
    EXPECT_DOUBLE_EQ(StrToDateTime("3/8/2024 1:05:09 PM"), At(2024, 3, 8, 13, 5, 9));
    EXPECT_DOUBLE_EQ(StrToDateTime("3/8/2024 13:05"), At(2024, 3, 8, 13, 5));
    EXPECT_DOUBLE_EQ(StrToDateTime("12:30:15.5"), EncodeTime(12, 30, 15, 500));
    EXPECT_DOUBLE_EQ(StrToTime("12:00 AM"), 0.0);
    EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(At(1999, 12, 31, 23, 59, 59))), At(1999, 12, 31, 23, 59, 59));
    try {
        StrToDateTime("3/8/2024 25:00");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'3/8/2024 25:00' is not a valid date and time");
    }
    EXPECT_THROW(StrToDate("tomorrow"), EConvertError);
    EXPECT_THROW(StrToTime("13 PM"), EConvertError);
    EXPECT_THROW(StrToTime("7"), EConvertError);
}

TEST(DateTime, SqlTextRoundTrip) {
    struct Case {
        TDateTime value;
        const char* text;
    } cases[] = {
        {At(2024, 3, 8, 13, 5, 9), "2024-03-08 13:05:09"},
        {At(1899, 12, 30), "1899-12-30 00:00:00"},
        {At(1899, 12, 29, 6), "1899-12-29 06:00:00"},
        {At(1, 1, 1), "0001-01-01 00:00:00"},
        {At(9999, 12, 31, 23, 59, 59), "9999-12-31 23:59:59"},
        {At(2024, 2, 29, 23, 59, 59, 600), "2024-03-01 00:00:00"},  // rounds to the second
        {At(2024, 2, 29, 12, 0, 0, 499), "2024-02-29 12:00:00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DateTimeToSqlText(c.value), c.text);
        TDateTime back = SqlTextToDateTime(c.text);
        EXPECT_EQ(DateTimeToSqlText(back), c.text);
    }
    // Every second of a day survives text and back exactly.
    TDateTime day = EncodeDate(2023, 10, 29);
    for (int s = 0; s < 86400; s += 7) {
        TDateTime v = ComposeDateTime(day, EncodeTime(s / 3600, s / 60 % 60, s % 60, 0));
        ASSERT_EQ(SqlTextToDateTime(DateTimeToSqlText(v)), v) << s;
    }
    EXPECT_EQ(SqlTextToDateTime("2024-03-08"), EncodeDate(2024, 3, 8));
    EXPECT_DOUBLE_EQ(SqlTextToDateTime("2024-03-08T10:20"), At(2024, 3, 8, 10, 20));
    EXPECT_DOUBLE_EQ(SqlTextToDateTime("2024-03-08 10:20:30.250"), At(2024, 3, 8, 10, 20, 30, 250));
    for (const char* bad : {"", "2024-3-8", "2024-02-30 00:00:00", "2024-03-08 24:00:00", "2024-03-08 10:20:30x",
                            "2024/03/08", "2024-03-08 "}) {
        TDateTime v;
        EXPECT_FALSE(TrySqlTextToDateTime(bad, v)) << bad;
    }
    EXPECT_THROW(SqlTextToDateTime("garbage"), EConvertError);
}

}  // namespace
