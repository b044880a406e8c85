// Searching: match positions and groups, stepping through matches, line ends,
// word boundaries, loops, and large inputs.
#include <gtest/gtest.h>

#include <string>

#include "text/Regex.h"

namespace {

const AnsiString& CyrillicLetters() {
    static const AnsiString letters = FromUtf8Literal(
        "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя");
    return letters;
}

class RegexMatch : public testing::Test {
protected:
    void SetUp() override { CodePage::SetActive(1251); }
};

TEST_F(RegexMatch, MatchTable) {
    struct Case {
        const char* pattern;
        const char* modifiers;
        const char* input;
        int pos, len;  // pos -1: no match
        const char* g1 = nullptr;
        const char* g2 = nullptr;
    };
    const Case cases[] = {
        // greedy, lazy and the g modifier
        {"<.*>", "", "<a><b>", 1, 6},
        {"<.*?>", "", "<a><b>", 1, 3},
        {"<.*>", "-g", "<a><b>", 1, 3},
        {"<.*?>", "-g", "<a><b>", 1, 3},
        {"<(.+)>", "-g", "x<a><b>", 2, 3, "a"},
        {"a{2,3}", "", "aaaa", 1, 3},
        {"a{2,3}?", "", "aaaa", 1, 2},
        {"a{2,}", "-g", "aaaa", 1, 2},
        {"(ab){2}", "", "ababab", 1, 4, "ab"},
        {"(ab){2,}?c", "", "abababc", 1, 7, "ab"},
        {"x?y", "", "xy", 1, 2},
        {"x??y", "", "y", 1, 1},
        // alternation takes the first alternative that lets the rest match
        {"(a|ab)(c|bcd)(d*)", "", "abcd", 1, 4, "a", "bcd"},
        {"a|b|c", "", "xxc", 3, 1},
        {"(x|y)+z", "", "xyxyq xyz", 7, 3, "y"},
        {"(a|)b", "", "b", 1, 1, ""},
        // groups
        {"(.*) \\((.*)\\)", "", "Name (Tag)", 1, 10, "Name", "Tag"},
        {"(a)?b", "", "b", 1, 1, ""},
        {"((a)|b)+", "", "ab", 1, 2, "b", "a"},  // group 2 keeps its last text
        // s: '.' and line breaks
        {"a.c", "", "a\nc", 1, 3},
        {"a.c", "-s", "a\nc", -1, 0},
        {"a.c", "-s", "a\rc", -1, 0},
        {"a.c", "-s", "abc", 1, 3},
        {"<TH.*>(.*)</TH>\\s+", "", "<TH class=a>one\r\ntwo</TH>\r\n<TR>", 1, 27, "one\r\ntwo"},
        {"<TH.*>(.*)</TH>\\s+", "-g", "<TH class=a>one\r\ntwo</TH>\r\n<TR>", 1, 26, "one\r\ntwo"},
        {"<TH.*>(.*)</TH>\\s+", "-s", "<TH class=a>one\r\ntwo</TH>\r\n<TR>", -1, 0},
        // classes and escapes
        {"\\s+", "", "a \t\r\nb", 2, 4},
        {"\\d+", "", "abc123", 4, 3},
        {"\\D+", "", "12ab34", 3, 2},
        {"[^abc]+", "", "abcdefabc", 4, 3},
        {"[a-c\\d]+", "", "x1b2z", 2, 3},
        {"[a-\\d]+", "", "x-a5", 2, 3},
        {"\\W+", "", "ab, cd", 3, 2},
        {"\\x41\\x{42}\\.", "", "xAB.", 2, 3},
        {"\\t\\n", "", "a\t\n", 2, 2},
        {"a{x}", "", "aa{x}", 2, 4},
        {"{", "", "a{", 2, 1},
        // case-insensitive matching, inline modifiers, extended syntax
        {"solar", "i", "The SOLAR system", 5, 5},
        {"[a-c]+", "i", "xAbC", 2, 3},
        {"(a(?i)b)c", "", "aBc", 1, 3, "aB"},
        {"(a(?i)b)c", "", "aBC", -1, 0},
        {"a(?i)b", "", "AB", -1, 0},
        {"(?i)a(?-i)b", "", "Ab", 1, 2},
        {"(?s-s)a.c", "", "a\nc", -1, 0},
        {"a b # note\n c", "x", "abc", 1, 3},
        {"a b", "", "a b", 1, 3},
        // back-references
        {"(\\w+) \\1", "i", "Bye BYE", 1, 7, "Bye"},
        {"(\\w+) \\1", "", "Bye BYE", -1, 0},
        {"(ab)\\1*", "", "abababx", 1, 6, "ab"},
        {"(ab)\\1*?x", "", "ababx", 1, 5, "ab"},
        {"(a)\\1{2}", "", "aaaa", 1, 3, "a"},
        {"(a?)\\1*b", "", "b", 1, 1, ""},
        {"(a?)\\1+b", "", "b", 1, 1, ""},
        {"(a)|\\1x", "", "x", -1, 0},  // an unset group matches nothing
        // loops that have to back up (their depth and counter are restored)
        {"(a|ab){1,2}x", "", "abax", 1, 4, "a"},
        {"(a|ab)*?c", "", "abc", 1, 3, "ab"},
        {"(a|ab){2}?x", "", "abax", 1, 4, "a"},
        {"((a|b)+?c){2}", "", "abcbac", 1, 6, "bac", "a"},
        {"((ab|a){1,2}b){2}", "", "abbab", 1, 5, "ab", "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " /" + c.modifiers + " on " + c.input);
        TRegex r;
        r.SetModifierStr(c.modifiers);
        r.SetExpression(c.pattern);
        const bool found = r.Exec(c.input);
        ASSERT_EQ(found, c.pos > 0);
        if (!found) {
            EXPECT_EQ(r.MatchPos(0), -1);
            continue;
        }
        EXPECT_EQ(r.MatchPos(0), c.pos);
        EXPECT_EQ(r.MatchLen(0), c.len);
        EXPECT_EQ(r.Match(0), std::string(c.input).substr(c.pos - 1, c.len));
        if (c.g1) {
            EXPECT_EQ(r.Match(1), c.g1);
        }
        if (c.g2) {
            EXPECT_EQ(r.Match(2), c.g2);
        }
    }
}

TEST_F(RegexMatch, ExecNextWalksAllMatches) {
    TRegex r;
    r.SetExpression(">(\\d+)<");
    ASSERT_TRUE(r.Exec("<td>12</td><td>345</td>"));
    EXPECT_EQ(r.Match(1), "12");
    ASSERT_TRUE(r.ExecNext());
    EXPECT_EQ(r.Match(1), "345");
    EXPECT_EQ(r.MatchPos(1), 16);
    EXPECT_FALSE(r.ExecNext());
    EXPECT_EQ(r.Match(1), "");
    EXPECT_EQ(r.MatchPos(0), -1);
    try {
        r.ExecNext();
        ADD_FAILURE() << "no error";
    } catch (const ERegex& e) {
        EXPECT_EQ(e.ErrorCode, 1007);
        EXPECT_EQ(e.Message(), "TRegex(exec): ExecNext Without Exec[Pos]");
    }

    // An empty match moves on by one character, up to the terminating zero.
    r.SetExpression("x*");
    ASSERT_TRUE(r.Exec("abc"));
    std::vector<int> positions{r.MatchPos(0)};
    while (r.ExecNext()) {
        EXPECT_EQ(r.MatchLen(0), 0);
        positions.push_back(r.MatchPos(0));
    }
    EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 4}));

    // A non-empty match continues right behind itself.
    r.SetExpression("a+|b");
    ASSERT_TRUE(r.Exec("aabab"));
    std::vector<std::string> texts{r.Match(0)};
    while (r.ExecNext()) texts.push_back(r.Match(0));
    EXPECT_EQ(texts, (std::vector<std::string>{"aa", "b", "a", "b"}));
}

TEST_F(RegexMatch, ExecPosBounds) {
    TRegex r;
    r.SetExpression("abc");
    try {
        r.ExecPos(1);
        ADD_FAILURE() << "no error";
    } catch (const ERegex& e) {
        EXPECT_EQ(e.ErrorCode, 1005);
        EXPECT_EQ(e.Message(), "TRegex(exec): No Input String Specified");
    }
    r.SetInputString("xabcabc");
    try {
        r.ExecPos(0);
        ADD_FAILURE() << "no error";
    } catch (const ERegex& e) {
        EXPECT_EQ(e.ErrorCode, 1006);
        EXPECT_EQ(e.Message(), "TRegex(exec): Offset Must Be Greater Then 0");
    }
    ASSERT_TRUE(r.ExecPos(3));
    EXPECT_EQ(r.MatchPos(0), 5);
    EXPECT_FALSE(r.ExecPos(6));
    EXPECT_FALSE(r.ExecPos(9));  // length + 2
    r.SetExpression("x*");
    ASSERT_TRUE(r.ExecPos(8));  // length + 1: the empty match at the end
    EXPECT_EQ(r.MatchPos(0), 8);

    // '^' is the input start whatever the offset; under m a line start too.
    r.SetExpression("^abc");
    r.SetInputString("xabc");
    EXPECT_FALSE(r.ExecPos(2));
    r.SetModifierStr("m");
    r.SetInputString("x\r\nabc");
    ASSERT_TRUE(r.ExecPos(1));
    EXPECT_EQ(r.MatchPos(0), 4);
}

TEST_F(RegexMatch, LineEndsUnderM) {
    auto positions = [](const char* pattern, const char* modifiers, const AnsiString& input) {
        TRegex r;
        r.SetModifierStr(modifiers);
        r.SetExpression(pattern);
        std::vector<int> out;
        for (bool ok = r.Exec(input); ok; ok = r.ExecNext()) out.push_back(r.MatchPos(0));
        return out;
    };
    // A CR LF pair is one line end: nothing fires between its halves.
    EXPECT_EQ(positions("^", "m", "a\r\nb\nc\rd"), (std::vector<int>{1, 4, 6, 8}));
    EXPECT_EQ(positions("$", "m", "a\r\nb\nc\rd"), (std::vector<int>{2, 5, 7, 9}));
    EXPECT_EQ(positions("^", "", "a\r\nb"), (std::vector<int>{1}));
    EXPECT_EQ(positions("$", "", "a\r\nb"), (std::vector<int>{5}));
    EXPECT_EQ(positions("^\\w", "m", "ab\r\ncd"), (std::vector<int>{1, 5}));
    EXPECT_EQ(positions("(?m)$", "", "ab\ncd"), (std::vector<int>{3, 6}));
    EXPECT_EQ(positions(".+", "-s", "ab\r\ncd\re"), (std::vector<int>{1, 5, 8}));

    // LineSeparators is read at every search.
    TRegex r;
    r.SetModifierStr("m-s");
    r.SetExpression("^.");
    r.LineSeparators = "|";
    r.SetLinePairedSeparator("");
    ASSERT_TRUE(r.Exec("a\nb|c"));
    ASSERT_TRUE(r.ExecNext());
    EXPECT_EQ(r.Match(0), "c");
}

TEST_F(RegexMatch, WordBoundariesAndCyrillicWords) {
    TRegex r;
    r.SetExpression("\\bcat\\b");
    EXPECT_TRUE(r.Exec("a cat."));
    EXPECT_EQ(r.MatchPos(0), 3);
    EXPECT_FALSE(r.Exec("concatenate"));
    r.SetExpression("\\Bcat\\B");
    EXPECT_TRUE(r.Exec("concatenate"));

    const AnsiString text = FromUtf8Literal("Это кот, а не котенок");
    const AnsiString word = FromUtf8Literal("кот");
    TRegex plain, cyr;
    cyr.WordChars += CyrillicLetters();
    for (TRegex* x : {&plain, &cyr}) x->SetExpression("\\b" + word + "\\b");
    EXPECT_FALSE(plain.Exec(text));  // Cyrillic letters are no word characters by default
    ASSERT_TRUE(cyr.Exec(text));
    EXPECT_EQ(cyr.MatchPos(0), 5);
    EXPECT_FALSE(cyr.ExecNext());  // "котенок" is not bounded after "кот"

    cyr.SetExpression("\\w+");
    ASSERT_TRUE(cyr.Exec(text));
    EXPECT_EQ(cyr.Match(0), FromUtf8Literal("Это"));
    plain.SetExpression("\\w+");
    EXPECT_FALSE(plain.Exec(text));

    // Under i the Cyrillic range holds both cases; with r it holds Yo as well.
    TRegex ci;
    ci.SetModifierStr("i");
    ci.SetExpression(FromUtf8Literal("^[а-я]+$"));
    EXPECT_TRUE(ci.Exec(FromUtf8Literal("ПРИВЕТ")));
    EXPECT_TRUE(ci.Exec(FromUtf8Literal("ЁЛКА")));
    ci.SetModifierStr("-r");
    EXPECT_TRUE(ci.Exec(FromUtf8Literal("ПРИВЕТ")));
    EXPECT_FALSE(ci.Exec(FromUtf8Literal("ЁЛКА")));

    TRegex back;
    back.SetModifierStr("i");
    back.WordChars += CyrillicLetters();
    back.SetExpression("(\\w+) \\1");
    ASSERT_TRUE(back.Exec(FromUtf8Literal("ну да ДА")));
    EXPECT_EQ(back.Match(1), FromUtf8Literal("да"));
}

TEST_F(RegexMatch, LoopNestingLimit) {
    auto nested = [](int depth) {
        std::string p = "a";
        for (int i = 0; i < depth; ++i) p = "(" + p + ")+?";
        return p;
    };
    TRegex r;
    r.SetExpression(nested(10));
    EXPECT_TRUE(r.Exec("aaa"));
    r.SetExpression(nested(11));
    try {
        r.Exec("aaa");
        ADD_FAILURE() << "no error";
    } catch (const ERegex& e) {
        EXPECT_EQ(e.ErrorCode, 1014);
        EXPECT_EQ(e.Message(), "TRegex(exec): Loop Stack Exceeded");
    }
    EXPECT_EQ(r.MatchPos(0), -1);

    // Loops one after another never add up.
    std::string sequence;
    for (int i = 0; i < 14; ++i) sequence += "(a|b){1,2}";
    r.SetExpression(sequence);
    ASSERT_TRUE(r.Exec(std::string(20, 'a') + "b"));
    EXPECT_EQ(r.MatchLen(0), 21);
}

TEST_F(RegexMatch, GameTextPatterns) {
    // The clipboard classifier and the solar-system header.
    TRegex header;
    header.SetModifierStr("igs");
    header.SetExpression("Solar system (\\d+):(\\d+)");
    ASSERT_TRUE(header.Exec("<title>x</title><b>SOLAR SYSTEM 3:117</b>"));
    EXPECT_EQ(header.Match(1), "3");
    EXPECT_EQ(header.Match(2), "117");

    // The galaxy row cells, lazily one after another.
    TRegex cells;
    cells.WordChars += CyrillicLetters();
    cells.SetModifierStr("ris");
    cells.SetModifier(4, false);
    cells.SetExpression("<TH.*>(.*)</TH>\\s+");
    const AnsiString row = FromUtf8Literal(
        "<th class=\"pos\">7</th>\r\n<th><img src=p.gif></th>\r\n<th>  Новая Земля-2 (moon)</th>\r\n");
    std::vector<AnsiString> whole, contents;
    for (bool ok = cells.Exec(row); ok; ok = cells.ExecNext()) {
        whole.push_back(cells.Match(0));
        contents.push_back(cells.Match(1));
    }
    ASSERT_EQ(contents.size(), 3u);
    EXPECT_EQ(whole[0], "<th class=\"pos\">7</th>\r");  // \s+ is lazy too
    EXPECT_EQ(contents[0], "7");

    TRegex item;
    item.WordChars += CyrillicLetters();
    item.SetExpression(">(\\d+)<");
    ASSERT_TRUE(item.Exec(whole[0]));
    EXPECT_EQ(item.Match(1), "7");
    item.SetModifierStr("-s");
    item.SetExpression(">\\s*([\\w\\s\\-]*\\w).*<");
    ASSERT_TRUE(item.Exec("<th>" + contents[2] + "</th>"));
    EXPECT_EQ(item.Match(1), FromUtf8Literal("Новая Земля-2"));

    // One line of the alliance statistics.
    TRegex alliance;
    alliance.SetModifierStr("igs");
    alliance.SetExpression("(\\d+)\\s+.\\s+([\\w.\\s-]+)\\s+(\\d+)\\s+(\\d+)\\s+(\\d+)");
    ASSERT_TRUE(alliance.Exec("12 * Some Name 10 99 4321"));
    EXPECT_EQ(alliance.Match(1), "12");
    EXPECT_EQ(alliance.Match(2), "Some Name");
    EXPECT_EQ(alliance.Match(3), "10");
    EXPECT_EQ(alliance.Match(5), "4321");
    ASSERT_TRUE(alliance.Exec("3 - Club 77 5 20 1000"));
    EXPECT_EQ(alliance.Match(2), "Club 77");
    EXPECT_EQ(alliance.Match(3), "5");
}

TEST_F(RegexMatch, GroupAccessors) {
    TRegex r;
    r.SetExpression("(a)(b)?");
    EXPECT_EQ(r.Match(0), "");  // no input yet
    EXPECT_EQ(r.MatchPos(0), -1);
    ASSERT_TRUE(r.Exec("xa"));
    for (int i : {-1, 15, 100}) {
        EXPECT_EQ(r.Match(i), "");
        EXPECT_EQ(r.MatchPos(i), -1);
        EXPECT_EQ(r.MatchLen(i), -1);
    }
    EXPECT_EQ(r.MatchPos(1), 2);
    EXPECT_EQ(r.MatchLen(1), 1);
    EXPECT_EQ(r.MatchPos(2), -1);
    EXPECT_EQ(r.MatchLen(2), -1);
    r.SetInputString("a");  // a new input clears the groups
    EXPECT_EQ(r.MatchPos(0), -1);
    EXPECT_THROW(r.ExecNext(), ERegex);

    // The input ends at its first zero byte.
    r.SetExpression("b");
    EXPECT_FALSE(r.Exec(std::string("a\0b", 3)));
}

TEST_F(RegexMatch, LargeInputsNeitherCrashNorHang) {
    const size_t mb = size_t(1) << 20;
    TRegex r;
    r.SetExpression("(a|b)*");
    std::string ab;
    for (size_t i = 0; i < mb / 2; ++i) ab += "ab";
    ASSERT_TRUE(r.Exec(ab));
    EXPECT_EQ(r.MatchLen(0), static_cast<int>(mb));
    EXPECT_EQ(r.Match(1), "b");

    r.SetModifierStr("-s");
    r.SetExpression(".*x");
    ASSERT_TRUE(r.Exec(std::string(mb, 'a') + "x"));
    EXPECT_EQ(r.MatchLen(0), static_cast<int>(mb) + 1);
    EXPECT_FALSE(r.Exec(std::string(mb, 'a')));
    // Line ends stop the dot: the attempts on every earlier line fail.
    std::string lines;
    while (lines.size() < mb) lines += std::string(60, 'a') + "\r\n";
    ASSERT_TRUE(r.Exec(lines + "yx"));
    EXPECT_EQ(r.MatchLen(0), 2);
}

TEST_F(RegexMatch, RunawayMatchesRaiseTheirOwnErrors) {
    struct Case {
        const char* pattern;
        std::string input;
        int code;
        const char* message;
    };
    const Case cases[] = {
        // exponential backtracking
        {"(a|a)*b", std::string(40, 'a') + "xb", TRegex::reeStepLimitExceeded,
         "TRegex(exec): Match Step Limit Exceeded"},
        // a loop whose body matches the empty string
        {"(a{0,1})*b", "cb", TRegex::reeStepLimitExceeded, "TRegex(exec): Match Step Limit Exceeded"},
        // more choice points than the matcher keeps
        {"(a|b)*", std::string(size_t(3) << 20, 'a'), TRegex::reeBacktrackStackExceeded,
         "TRegex(exec): Backtrack Stack Exceeded"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        TRegex r;
        r.SetExpression(c.pattern);
        try {
            r.Exec(c.input);
            ADD_FAILURE() << "no error";
        } catch (const ERegex& e) {
            EXPECT_EQ(e.ErrorCode, c.code);
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(r.MatchPos(0), -1);
        EXPECT_THROW(r.ExecNext(), ERegex);
        // The object stays usable.
        r.SetExpression("a");
        EXPECT_TRUE(r.Exec("ba"));
    }
}

TEST_F(RegexMatch, PatternsWithManyFirstCharactersFindTheirStartAnywhere) {
    // A start of three or more possible characters is searched for many
    // bytes at a time: every place in and across those blocks, bytes from
    // both halves of the code page, and the end of the input (where only an
    // empty match can start) must be found as a byte-by-byte search finds them.
    struct Case {
        const char* pattern;
        unsigned char start;  // the byte planted in the filler
        AnsiString filler;    // bytes none of which can start a match
    };
    const Case cases[] = {
        {"[\\xE0-\\xFF\\d#]", 0xE0, AnsiString(80, 'a')},
        {"[\\xE0-\\xFF\\d#]", '7', AnsiString(80, '\xC0')},
        {"[\\xE0-\\xFF\\d#]", 0xFF, AnsiString(80, '\x7F')},
        {"Tom|Sawyer|Huckleberry|Finn|\\x80", 0x80, AnsiString(80, 'o')},
        {"[\\x01\\x8F\\xF0]", 0x8F, AnsiString(80, '\x0F')},
    };
    for (const Case& c : cases) {
        TRegex r;
        r.SetExpression(c.pattern);
        for (size_t at = 0; at < c.filler.size(); ++at) {
            AnsiString input = c.filler;
            input[at] = static_cast<char>(c.start);
            SCOPED_TRACE(std::string(c.pattern) + " at " + std::to_string(at));
            ASSERT_TRUE(r.Exec(input));
            EXPECT_EQ(r.MatchPos(0), static_cast<int>(at) + 1);
            // Nothing in the filler before or after it.
            if (at + 1 < input.size()) {
                EXPECT_FALSE(r.ExecPos(static_cast<int>(at) + 2));
            }
        }
        EXPECT_FALSE(r.Exec(c.filler));
    }
    // An empty match can start only at the end.
    TRegex end;
    end.SetExpression("x|y|z|$");
    for (size_t length : {0, 1, 31, 32, 33, 64, 95}) {
        ASSERT_TRUE(end.Exec(AnsiString(length, 'a'))) << length;
        EXPECT_EQ(end.MatchPos(0), static_cast<int>(length) + 1) << length;
        EXPECT_EQ(end.MatchLen(0), 0) << length;
    }
}

}  // namespace
