// The scanning helpers of the game-text imports.
#include <gtest/gtest.h>

#include "app/uGameText.h"
#include "tests/app/ImportTestSupport.h"

namespace {

TEST(GameTextTest, ExtractBetweenMovesToTheEndTagUnlessPeeking) {
    const AnsiString text = "Intel on Home [1:234:5] time 07-23";
    int pos = 1;
    EXPECT_EQ(ExtractBetween("Intel on", "[", text, pos, false), "Home");
    EXPECT_EQ(pos, 15);
    EXPECT_EQ(ExtractBetween("[", ":", text, pos, false), "1");
    EXPECT_EQ(ExtractBetween(":", ":", text, pos, false), "234");
    EXPECT_EQ(ExtractBetween(":", "]", text, pos, false), "5");
    EXPECT_EQ(pos, 23);
    // Peek leaves the position; the start word is found case-insensitively.
    EXPECT_EQ(ExtractBetween("] TIME", "3", text, pos, true), "07-2");
    EXPECT_EQ(pos, 23);
    // A missing start word: "0", position unchanged.
    EXPECT_EQ(ExtractBetween("Fleet", " ", text, pos, false), "0");
    EXPECT_EQ(pos, 23);
    // CR LF and blanks around the value go.
    int p2 = 1;
    EXPECT_EQ(ExtractBetween("a", "b", AnsiString("a \r\n 12 \r\nb"), p2, false), "12");
}

TEST(GameTextTest, AMissingEndTagIsAnAssertionNamingTagAndPosition) {
    int pos = 1;
    try {
        ExtractBetween("[", "]", "Home [1:2:3", pos, false);
        FAIL();
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Message(), "Couldn't find ] in text starting from position 7 (uMain, line 938)");
    }
    EXPECT_EQ(pos, 1);
    // A start word at the very end leaves nothing to search: still the assertion, no out-of-range read.
    EXPECT_THROW(ExtractBetween("3", "]", "Home [1:2:3", pos, false), EAssertionFailed);
}

TEST(GameTextTest, IntegersOrDefaults) {
    int pos = 1;
    EXPECT_EQ(ExtractBetweenInt("Metal:", "Crystal", "Metal: 12.345 Crystal", pos, false), "12345");
    pos = 1;
    EXPECT_EQ(ExtractBetweenInt("Metal:", "Crystal", "Metal: 12.34 Crystal", pos, false), "0");
    pos = 1;
    EXPECT_EQ(ExtractBetweenInt("Metal:", "Crystal", "Metal: -12 Crystal", pos, false), "-12");
    EXPECT_EQ(IntTextOrDefault("42", "x"), "42");
    EXPECT_EQ(IntTextOrDefault("4 2", "x"), "x");
    EXPECT_EQ(IntTextOrDefault("99999999999", "x"), "x");
    EXPECT_EQ(StrToIntOrDefault("17", -1), 17);
    EXPECT_EQ(StrToIntOrDefault("", -1), -1);
    EXPECT_EQ(StrToIntOrDefault("1e3", -1), -1);
}

TEST(GameTextTest, CountsReadWithTheirThousandsSeparators) {
    struct Case {
        const char* text;
        const char* number;  // "" for no count
    } cases[] = {
        {"0", "0"},           {"15400", "15400"},       {"15.400", "15400"},     {"1,250,000", "1250000"},
        {"1.250.000", "1250000"}, {"-1.500", "-1500"},  {"3,000,000,000", "3000000000"},
        {"99999999999999999999", "99999999999999999999"},
        {"1.5", ""},          {"1234.567", ""},          {"1.250,000", ""},       {"1..250", ""},
        {".250", ""},         {"250.", ""},              {"12.3456", ""},         {"0x1F", ""},
        {"$1F", ""},          {"+5", ""},                {"1 250", ""},           {"-", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(GameNumberText(c.text), c.number) << c.text;
}

TEST(GameTextTest, CoordinatesArePlainDecimalDigits) {
    struct Case {
        const char* text;
        int value;  // -1: refused
    } cases[] = {{"1", 1},      {"234", 234}, {"007", 7},   {"2147483647", 2147483647},
                 {"0x1", -1},   {"$1", -1},   {"-1", -1},   {"+1", -1},
                 {" 1", -1},    {"1.000", -1}, {"", -1},    {"2147483648", -1},
                 {"99999999999", -1}};
    for (const Case& c : cases) {
        int v = -1;
        EXPECT_EQ(TryReadCoordinate(c.text, v), c.value >= 0) << c.text;
        if (c.value >= 0) EXPECT_EQ(v, c.value) << c.text;
    }
}

TEST(GameTextTest, ReportDatesTakeThisYearOrTheYearBeforeWhenAheadOfNow) {
    SetClock([] { return importtest::At(1, 5, 12, 0, 0); });
    EXPECT_EQ(ParseReportDateTime(" 01-04 14:05:09 trailing"), importtest::At(1, 4, 14, 5, 9));
    // Within a day ahead (clocks differ): still this year.
    EXPECT_EQ(ParseReportDateTime("01-06 11:00:00"), importtest::At(1, 6, 11, 0, 0));
    // A December report read in January is last year's.
    EXPECT_EQ(ParseReportDateTime("12-31 23:59:59"), EncodeDate(2023, 12, 31) + EncodeTime(23, 59, 59, 0));
    for (const char* bad : {"", "13-01 00:00:00", "02-30 00:00:00", "07-23 25:00:00", "aa-bb cc:dd:ee", "07-23"})
        EXPECT_THROW(ParseReportDateTime(bad), EConvertError) << bad;
    // 29 February read in a year without it is the leap year's before.
    SetClock([] { return EncodeDate(2025, 3, 1) + EncodeTime(9, 0, 0, 0); });
    EXPECT_EQ(ParseReportDateTime("02-29 10:00:00"), EncodeDate(2024, 2, 29) + EncodeTime(10, 0, 0, 0));
    SetClock([] { return EncodeDate(2024, 3, 1) + EncodeTime(9, 0, 0, 0); });
    EXPECT_EQ(ParseReportDateTime("02-29 10:00:00"), EncodeDate(2024, 2, 29) + EncodeTime(10, 0, 0, 0));
    // Neither this year nor the last has it.
    SetClock([] { return EncodeDate(2026, 3, 1) + EncodeTime(9, 0, 0, 0); });
    EXPECT_THROW(ParseReportDateTime("02-29 10:00:00"), EConvertError);
    SetClock(nullptr);
}

TEST(GameTextTest, NormalisationIsOnePassPerRule) {
    EXPECT_EQ(NormaliseGameText("a\tb"), "a b");
    EXPECT_EQ(NormaliseGameText("a\r\nb"), "a\r\n b");
    EXPECT_EQ(NormaliseGameText("a   b"), "a  b");
    EXPECT_EQ(NormaliseGameText("a    b"), "a  b");
    EXPECT_EQ(NormaliseGameText("a\r\n b"), "a\r\n b");
    EXPECT_EQ(NormaliseGameText("x\t\ty"), "x y");
}

}  // namespace
