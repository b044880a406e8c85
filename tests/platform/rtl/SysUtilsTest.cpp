#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/rtl/SysUtils.h"

namespace {

// Restores the global locale settings after a test changes them.
struct SettingsGuard {
    SettingsGuard() : saved(FormatSettings) {}
    ~SettingsGuard() { FormatSettings = saved; }
    TFormatSettings saved;
};

TEST(Format, Specifiers) {
    struct Case {
        AnsiString expected, actual;
    };
    int value = 42;
    const Case cases[] = {
        {"a 5 b", Format("a %d b", {5})},
        {"-7", Format("%d", {-7})},
        {"-007", Format("%.3d", {-7})},
        {"4000000000", Format("%d", {4000000000u})},
        {"9223372036854775807", Format("%d", {std::numeric_limits<int64_t>::max()})},
        {"4294967295", Format("%u", {-1})},
        {"FF", Format("%x", {255})},
        {"&#xE9;", Format("&#x%.2x;", {0xE9})},
        {"0000BEEF", Format("%.8x", {0xBEEF})},
        {"FFFFFFFF", Format("%x", {-1})},
        {"FFFFFFFFFFFFFFFF", Format("%x", {int64_t(-1)})},
        {"   42|42   |", Format("%5d|%-5d|", {value, value})},
        {"abc  |  abc|ab", Format("%-5s|%5s|%.2s", {"abc", "abc", "abc"})},
        {"b a b", Format("%1:s %0:s %s", {"a", "b"})},
        {"x   y", Format("%s%*s", {"x", 4, "y"})},
        {"100%", Format("%d%%", {100})},
        {"c", Format("%s", {'c'})},
        {"1,234,567", Format("%.0n", {1234567})},
        {"-1,234.50", Format("%n", {-1234.5})},
        {"0", Format("%.0n", {0})},
        // Integers keep every digit, past the 15 a double holds.
        {"9,223,372,036,854,775,807", Format("%.0n", {INT64_MAX})},
        {"-9,007,199,254,740,993.00", Format("%n", {int64_t(-9007199254740993)})},
        {"9007199254740993.0", Format("%.1f", {int64_t(9007199254740993)})},
        {"3.14", Format("%.2f", {3.14159})},
        {"2.50", Format("%f", {2.5})},
        {"1.50000000000000E+000", Format("%e", {1.5})},
        {"1.5E-010", Format("%g", {1.5e-10})},
        {"0.1", Format("%g", {0.1})},
        {"1.2.3.4", Format("%u.%u.%u.%u", {1u, 2u, 3u, 4u})},
        {"  1 22333", Format("%3d%3d%3d", {1, 22, 333})},
        {"$%s", Format("$%s", {AnsiString("%s")})},
    };
    for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected);
}

TEST(Format, ArgumentTextIsNeverReformatted) {
    AnsiString name = "100%d %s %%";
    EXPECT_EQ(Format("Player %s has %d planets", {name, 3}), "Player 100%d %s %% has 3 planets");
}

TEST(Format, PointerIsUpperHexOfFullWidth) {
    const void* p = reinterpret_cast<const void*>(uintptr_t{0xABCDEF});
    AnsiString expected = AnsiString(2 * sizeof(void*) - 6, '0') + "ABCDEF";
    EXPECT_EQ(Format("$%p", {p}), "$" + expected);
}

TEST(Format, MismatchedOrMissingArgumentsRaise) {
    try {
        Format("%d items", {"x"});
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Format '%d items' invalid or incompatible with argument");
    }
    EXPECT_THROW(Format("%s", {5}), EConvertError);
    EXPECT_THROW(Format("%d", {1.5}), EConvertError);
    EXPECT_THROW(Format("%x", {"a"}), EConvertError);
    EXPECT_THROW(Format("%d", {true}), EConvertError);
    EXPECT_THROW(Format("%q", {1}), EConvertError);
    EXPECT_THROW(Format("abc %", {1}), EConvertError);
    try {
        Format("%s and %s", {"one"});
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "No argument for format '%s and %s'");
    }
}

TEST(Format, UsesLocaleSeparators) {
    SettingsGuard guard;
    FormatSettings.ThousandSeparator = ' ';
    FormatSettings.DecimalSeparator = ',';
    EXPECT_EQ(Format("%.0n", {9876543}), "9 876 543");
    EXPECT_EQ(Format("%.1f", {2.25}), "2,3");
}

TEST(IntegerText, ParseTable) {
    struct Case {
        const char* text;
        bool ok;
        int value;
    } cases[] = {
        {"123", true, 123},         {"-45", true, -45},         {"+7", true, 7},
        {"  12", true, 12},         {"$FF", true, 255},         {"$ff", true, 255},
        {"0x1A", true, 26},         {"-$10", true, -16},        {"$FFFFFFFF", true, -1},
        {"2147483647", true, 2147483647}, {"-2147483648", true, std::numeric_limits<int>::min()},
        {"2147483648", false, 0},   {"$100000000", false, 0},   {"", false, 0},
        {"12 ", false, 0},          {"1.5", false, 0},          {"abc", false, 0},
        {"-", false, 0},            {"$", false, 0},            {"0x", false, 0},
    };
    for (const Case& c : cases) {
        int v = -999;
        EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
        EXPECT_EQ(StrToIntDef(c.text, -1), c.ok ? c.value : -1) << c.text;
    }
    try {
        StrToInt("12a");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'12a' is not a valid integer value");
    }
    EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(StrToInt64("$FFFFFFFF"), 0xFFFFFFFFll);
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
    EXPECT_EQ(IntToStr(int64_t(-9000000000)), "-9000000000");
    EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(IntToStr(std::numeric_limits<uint64_t>::max()), "18446744073709551615");
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-7), "-7");
    EXPECT_EQ(IntToStr(std::numeric_limits<int>::min()), "-2147483648");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(int64_t(-1), 2), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(0xE9u, 1), "E9");
}

TEST(MulDiv, RoundsHalfAwayFromZeroAndFailsWithMinusOne) {
    struct Case {
        int a, b, c, expected;
    } cases[] = {
        {10, 1, 4, 3},     {-10, 1, 4, -3},  {10, -1, 4, -3}, {10, 1, -4, -3}, {-10, -1, -4, -3},
        {9, 1, 4, 2},      {11, 1, 4, 3},    {7, 1, 2, 4},    {-7, 1, 2, -4},  {5, 3, 7, 2},
        {100, 96, 96, 100}, {1 << 30, 4, 2, -1},  // result too large
        {1 << 30, 4, 4, 1 << 30},                 // intermediate beyond 32 bits
        {5, 5, 0, -1},     {0, 0, 0, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(FloatText, FloatToStrAndFloatToStrF) {
    struct Case {
        AnsiString expected, actual;
    } cases[] = {
        {"0", FloatToStr(0)},
        {"0.1", FloatToStr(0.1)},
        {"0.3", FloatToStr(0.1 + 0.2)},
        {"-2.5", FloatToStr(-2.5)},
        {"123456789012345", FloatToStr(123456789012345.0)},
        {"1E15", FloatToStr(1e15)},
        {"1.5E-7", FloatToStr(1.5e-7)},
        {"0.0001", FloatToStr(0.0001)},
        {"1E-5", FloatToStr(0.00001)},
        {"0.333333333333333", FloatToStr(1.0 / 3)},
        {"3.14", FloatToStrF(3.14159, ffFixed, 15, 2)},
        {"1,234,567.89", FloatToStrF(1234567.891, ffNumber, 15, 2)},
        {"$1,234.50", FloatToStrF(1234.5, ffCurrency, 15, 2)},
        {"($1,234.50)", FloatToStrF(-1234.5, ffCurrency, 15, 2)},
        {"1.2346E+003", FloatToStrF(1234.56, ffExponent, 5, 3)},
        {"0.13", FloatToStrF(0.125, ffFixed, 15, 2)},  // exact halves round away from zero
        {"NAN", FloatToStr(std::nan(""))},
        {"-INF", FloatToStr(-INFINITY)},
    };
    for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected);
}

TEST(FloatText, FormatFloatMasks) {
    struct Case {
        const char* format;
        double value;
        const char* expected;
    } cases[] = {
        {"0.00", 3.14159, "3.14"},
        {"0.00", -0.5, "-0.50"},
        {"0.00", 0.004, "0.00"},
        {"#,##0", 1234567, "1,234,567"},
        {"#,##0", 999, "999"},
        {"#,##0", 0, "0"},
        {"#,##0.00", 1234.5, "1,234.50"},
        {"0.##", 1.5, "1.5"},
        {"0.##", 1, "1"},
        {"#.##", 0.25, ".25"},
        {"000", 7, "007"},
        {"0", 2.5, "3"},
        {"0", -2.5, "-3"},
        {"# ### ### ### ##0", 1234567, "1 234 567"},
        {"# ### ### ### ##0", -1234, "-1 234"},
        {"# ### ### ### ##0", 123456789012345.0, "123 456 789 012 345"},
        {"# ### ### ### ##0", 0, "0"},
        {"0.00;(0.00)", -3.5, "(3.50)"},
        {"0.00;(0.00)", -0.001, "0.00"},
        {"#,##0", -1234567, "-1,234,567"},
        {"0,000", 5, "0,005"},
        {".00", 12.5, "12.50"},
        {"0.00;(0.00);zero", 0, "zero"},
        {"0.0;-0.0;\"nil\"", 0.01, "nil"},
        {"\"Total: \"0", 12, "Total: 12"},
        {"0.00E+00", 12345, "1.23E+04"},
        {"0.0E-0", 0.00012, "1.2E-4"},
        {"", 2.5, "2.5"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatFloat(c.format, c.value), c.expected) << c.format << " " << c.value;
    EXPECT_EQ(FormatCurr("#,##0.00", Currency::FromScaled(123456789)), "12,345.68");
    // Digits beyond the mask's placeholders go before the first, as with any value.
    EXPECT_EQ(FormatInteger("# ### ### ### ##0", 3000000000), "3 000 000 000");
    EXPECT_EQ(FormatInteger("# ### ### ### ##0", 9007199254740993), "9007 199 254 740 993");
    EXPECT_EQ(FormatInteger("#,##0", -INT64_MAX), "-9,223,372,036,854,775,807");
    EXPECT_EQ(FormatInteger("", 3000000000), "3000000000");
}

TEST(FloatText, ParseTable) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"1.5", true, 1.5},  {" -2.25 ", true, -2.25}, {"1e3", true, 1000}, {"1.5E-2", true, 0.015},
        {".5", true, 0.5},   {"7", true, 7},           {"", false, 0},      {"1,5", false, 0},
        {"abc", false, 0},   {"1e", false, 0},         {"1.5x", false, 0},  {"1e999", false, 0},
    };
    for (const Case& c : cases) {
        double v = 0;
        EXPECT_EQ(TryStrToFloat(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }
    SettingsGuard guard;
    FormatSettings.DecimalSeparator = ',';
    EXPECT_DOUBLE_EQ(StrToFloat("1,5"), 1.5);
    EXPECT_THROW(StrToFloat("1.5"), EConvertError);
    EXPECT_EQ(FloatToStr(1.5), "1,5");
    // Text written with the locale reads back to the same value.
    for (double v : {0.1, 1.0 / 3, -123456.789, 1e-12, 6.02214076e23}) EXPECT_EQ(StrToFloat(FloatToStr(v)), std::stod(FloatToStr(v, TFormatSettings{})));
}

TEST(FloatText, CurrencyRoundsHalfToEven) {
    EXPECT_EQ(Currency::FromDouble(0.00025).Scaled, 2);
    EXPECT_EQ(Currency::FromDouble(0.00035).Scaled, 4);
    EXPECT_EQ(StrToCurr("12.3456").Scaled, 123456);
    EXPECT_EQ(CurrToStr(Currency::FromScaled(-15000)), "-1.5");
    EXPECT_THROW(Currency::FromDouble(1e300), EConvertError);
    // Currency text comes from the scaled integer: no digit is lost.
    Currency largest = Currency::FromScaled(std::numeric_limits<int64_t>::max());
    EXPECT_EQ(CurrToStr(largest), "922337203685477.5807");
    EXPECT_EQ(CurrToStrF(largest, ffNumber, 4), "922,337,203,685,477.5807");
    EXPECT_EQ(FormatCurr("0.00", Currency::FromScaled(-123450)), "-12.35");
    EXPECT_EQ(CurrToStrF(Currency::FromScaled(-12345), ffCurrency, 2), "($1.23)");
}

TEST(Booleans, TextTable) {
    struct Case {
        const char* text;
        bool ok;
        bool value;
    } cases[] = {
        {"True", true, true}, {"tRUE", true, true}, {"false", true, false}, {"-1", true, true},
        {"0", true, false},   {"2.5", true, true},  {"0.0", true, false},   {"yes", false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        bool v = !c.value;
        EXPECT_EQ(TryStrToBool(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    EXPECT_THROW(StrToBool("maybe"), EConvertError);
    EXPECT_TRUE(StrToBoolDef("maybe", true));
    EXPECT_EQ(BoolToStr(true), "-1");
    EXPECT_EQ(BoolToStr(false, true), "False");
    SettingsGuard guard;
    FormatSettings.TrueBoolStrs = {"Ja", "Yes"};
    EXPECT_TRUE(StrToBool("yes"));
    EXPECT_EQ(BoolToStr(true, true), "Ja");
}

TEST(Strings, TrimQuoteAndSearch) {
    EXPECT_EQ(Trim(" \t\r\n ab c\x01 "), "ab c");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a \n"), "  a");
    EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");  // bytes above 127 are not blanks
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(AnsiQuotedStr("a\"b", '"'), "\"a\"\"b\"");
    EXPECT_EQ(AnsiDequotedStr("\"a\"\"b\" rest", '"'), "a\"b");
    EXPECT_EQ(AnsiDequotedStr("''", '\''), "");
    EXPECT_EQ(AnsiDequotedStr("'open", '\''), "'open");
    EXPECT_EQ(AnsiDequotedStr("plain", '\''), "plain");

    EXPECT_EQ(StringReplace("aXbxc", "x", "-", rfReplaceAll), "aXb-c");
    EXPECT_EQ(StringReplace("aXbxc", "x", "-", rfReplaceAll | rfIgnoreCase), "a-b-c");
    EXPECT_EQ(StringReplace("aXbxc", "x", "-", rfIgnoreCase), "a-bxc");
    EXPECT_EQ(StringReplace("aaa", "a", "aa", rfReplaceAll), "aaaaaa");
    EXPECT_EQ(StringReplace(FromUtf8Literal("ЯяЯ"), FromUtf8Literal("я"), "1", rfReplaceAll | rfIgnoreCase), "111");

    EXPECT_EQ(Pos("lo", "hello"), 4);
    EXPECT_EQ(Pos("x", "hello"), 0);
    EXPECT_EQ(Pos("", "hello"), 0);
    EXPECT_EQ(PosEx("l", "hello", 4), 4);
    EXPECT_EQ(PosEx("l", "hello", 9), 0);
    EXPECT_EQ(Copy("hello", 2, 3), "ell");
    EXPECT_EQ(Copy("hello", 0, 2), "he");
    EXPECT_EQ(Copy("hello", 4, 100), "lo");
    EXPECT_EQ(Copy("hello", 6, 1), "");
    EXPECT_EQ(Copy("hello", 2, -1), "");

    AnsiString s = "hello";
    Delete(s, 2, 2);
    EXPECT_EQ(s, "hlo");
    Delete(s, 0, 1);
    Delete(s, 4, 1);
    EXPECT_EQ(s, "hlo");
    Delete(s, 2, 99);
    EXPECT_EQ(s, "h");
    Insert("ey", s, 2);
    EXPECT_EQ(s, "hey");
    Insert(">", s, -3);
    Insert("<", s, 99);
    EXPECT_EQ(s, ">hey<");
}

}  // namespace
