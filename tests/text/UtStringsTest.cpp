#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/classes/Strings.h"
#include "text/UtBase.h"
#include "text/UtStrings.h"

namespace {

class UtStrings : public testing::Test {
protected:
    void SetUp() override { CodePage::SetActive(1251); }
};

TSysCharSet Set(const AnsiString& chars) {
    TSysCharSet s;
    for (char c : chars) s.set(static_cast<unsigned char>(c));
    return s;
}

TEST_F(UtStrings, PiecesOfStrings) {
    struct Case {
        const char* what;
        AnsiString got, want;
    };
    const Case cases[] = {
        {"left, fewer characters", StrLeft("abc", 5), "abc"},
        {"left", StrLeft("abc", 2), "ab"},
        {"left 0", StrLeft("abc", 0), ""},
        {"left negative", StrLeft("abc", -1), ""},
        {"right", StrRight("abcdef", 2), "ef"},
        {"right, fewer characters", StrRight("ab", 5), "ab"},
        {"right 0", StrRight("ab", 0), ""},
        {"rest", StrRestOf("abcdef", 3), "cdef"},
        {"rest from 1", StrRestOf("abc", 1), "abc"},
        {"rest past the end", StrRestOf("abc", 4), ""},
        {"suffix added", StrEnsureSuffix("\\", "a"), "a\\"},
        {"suffix present", StrEnsureSuffix("\\", "a\\"), "a\\"},
        {"suffix on empty", StrEnsureSuffix("\\", ""), "\\"},
        {"longer suffix partly present", StrEnsureSuffix(".xml", "a.x"), "a.x.xml"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.what;

    AnsiString s("ab\0cd", 5);
    StrResetLength(s);
    EXPECT_EQ(s, "ab");
    s = "abc";
    StrResetLength(s);
    EXPECT_EQ(s, "abc");
}

TEST_F(UtStrings, ContainsChars) {
    const TSysCharSet blanks = Set("\t\n\v\f\r ");
    struct Case {
        AnsiString s;
        TSysCharSet set;
        bool all, want;
    };
    const Case cases[] = {
        {"a b", blanks, false, true},   {"ab", blanks, false, false}, {"", blanks, false, false},
        {"xab", Set("ab"), true, true}, {"xa", Set("ab"), true, false}, {"", TSysCharSet(), true, true},
        {"x", TSysCharSet(), false, true},
    };
    for (const Case& c : cases) EXPECT_EQ(StrContainsChars(c.s, c.set, c.all), c.want) << "'" << c.s << "' " << c.all;
}

TEST_F(UtStrings, Replace) {
    const AnsiString yaLower = FromUtf8Literal("я"), yaUpper = FromUtf8Literal("Я");
    struct Case {
        AnsiString s, search, repl;
        TReplaceFlags flags;
        AnsiString want;
    };
    const Case cases[] = {
        {"a-b-c", "-", "+", 0, "a+b-c"},
        {"a-b-c", "-", "+", rfReplaceAll, "a+b+c"},
        {"A-b-a", "a", "x", rfIgnoreCase, "x-b-a"},
        {"A-b-a", "a", "x", rfIgnoreCase | rfReplaceAll, "x-b-x"},
        {"A-b-a", "a", "x", rfReplaceAll, "A-b-x"},
        {"aab", "ab", "X", 0, "aX"},
        {"abab", "ab", "", rfReplaceAll, ""},
        {"Software\\%FORM_NAME%\\x", "%form_name%", "MainForm", rfIgnoreCase, "Software\\MainForm\\x"},
        {yaUpper + "1" + yaLower, yaLower, "z", rfIgnoreCase | rfReplaceAll, "z1z"},
        {"tail ab", "abc", "X", rfReplaceAll, "tail ab"},
        {"", "a", "b", rfReplaceAll, ""},
        {"", "", "filled", 0, "filled"},
    };
    for (const Case& c : cases) {
        AnsiString s = c.s;
        StrReplace(s, c.search, c.repl, c.flags);
        EXPECT_EQ(s, c.want) << "'" << c.s << "' '" << c.search << "' flags " << c.flags;
    }
    AnsiString s = "abc";
    try {
        StrReplace(s, "", "x", rfReplaceAll);
        ADD_FAILURE() << "blank search accepted";
    } catch (const EUtError& e) {
        EXPECT_EQ(e.Message(), "Search string cannot be blank");
    }
    EXPECT_EQ(s, "abc");
}

TEST_F(UtStrings, Search) {
    const AnsiString privet = FromUtf8Literal("привет"), upper = FromUtf8Literal("xx ПРИВЕТ");
    struct Case {
        AnsiString sub, s;
        int index, want;
    };
    const Case cases[] = {
        {"%form_name%", "Software\\%FORM_NAME%\\x", 1, 10},
        {"aBc", "xABC", 1, 2},
        {"a", "aXa", 2, 3},
        {"a", "aXa", 4, 0},
        {"a", "aXa", 0, 0},
        {"", "abc", 1, 0},
        {"a", "", 1, 0},
        {"abcd", "abc", 1, 0},
        {"a-1", "A_1 a-1", 1, 5},
        {privet, upper, 1, 4},
    };
    for (const Case& c : cases) EXPECT_EQ(StrSearch(c.sub, c.s, c.index), c.want) << "'" << c.sub << "' in '" << c.s << "'";
}

TEST_F(UtStrings, ToStrings) {
    struct Case {
        AnsiString s, sep;
        bool allowEmpty;
        std::vector<AnsiString> want;
    };
    const Case cases[] = {
        {"a,,b", ",", false, {"a", "b"}},
        {"a,,b", ",", true, {"a", "", "b"}},
        {"a,b,", ",", true, {"a", "b"}},
        {",a", ",", true, {"", "a"}},
        {"", ",", true, {}},
        {"\\Software\\\\Tesk\\", "\\", false, {"Software", "Tesk"}},
        {"a::b:c", "::", false, {"a", "b:c"}},
        {"abc", "", false, {"abc"}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.Add("left over");
        StrToStrings(c.s, c.sep, &list, c.allowEmpty);
        std::vector<AnsiString> got;
        for (int i = 0; i < list.Count(); ++i) got.push_back(list.Strings(i));
        EXPECT_EQ(got, c.want) << "'" << c.s << "' at '" << c.sep << "'";
    }
    try {
        StrToStrings("a", ",", nullptr, false);
        ADD_FAILURE() << "no assertion";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Message(), "Assertion failure (UtStrings, line 3653)");
    }
}

TEST_F(UtStrings, FileToString) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("tesk-utstrings-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string bytes("head\0\xFF\r\ntail", 12);
    std::ofstream(dir / "data.bin", std::ios::binary) << bytes;
    std::ofstream(dir / "empty.txt", std::ios::binary).flush();

    EXPECT_EQ(FileToString((dir / "data.bin").string()), bytes);
    EXPECT_EQ(FileToString((dir / "empty.txt").string()), "");
    EXPECT_THROW(FileToString((dir / "missing.txt").string()), EFOpenError);
    std::filesystem::remove_all(dir);
}

TEST(UtBase, MoveChar) {
    struct Case {
        AnsiString source;
        int from;
        AnsiString dest;
        int to, count;
        AnsiString want;
    };
    const Case cases[] = {
        {"abc", 2, "12345", 3, 2, "12bc5"},
        {"abc", 1, "12345", 1, 3, "abc45"},
        {"abc", 2, "12", 2, 5, "1b"},      // cut to what fits in Dest
        {"abc", 3, "12345", 1, 5, "c2345"},  // and in Source
        {"abc", 1, "12345", 1, 0, "12345"},
        {"abc", 4, "12345", 1, 1, "12345"},
        {"abc", 1, "12345", 6, 1, "12345"},
        {"abc", 0, "12345", 1, 1, "12345"},
    };
    for (const Case& c : cases) {
        AnsiString dest = c.dest;
        MoveChar(c.source, c.from, dest, c.to, c.count);
        EXPECT_EQ(dest, c.want) << c.source << " " << c.from << " -> " << c.dest << " " << c.to << " x" << c.count;
    }
    AnsiString self = "abcdef";
    MoveChar(self, 1, self, 3, 4);  // overlapping copy within one string
    EXPECT_EQ(self, "ababcd");
}

}  // namespace
