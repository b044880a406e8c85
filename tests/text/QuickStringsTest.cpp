#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "text/uQuickStrings.h"

namespace {

class QuickStrings : public testing::Test {
protected:
    void SetUp() override { CodePage::SetActive(1251); }
};

int Len(const AnsiString& s) { return static_cast<int>(s.size()); }

// Plain references, written without skip tables.
bool SameAt(const AnsiString& s, int p0, const AnsiString& f, bool cs) {
    for (size_t j = 0; j < f.size(); ++j) {
        char a = s[p0 + j], b = f[j];
        if (cs ? a != b : CharUpper(a) != CharUpper(b)) return false;
    }
    return true;
}

int NaiveForward(const AnsiString& s, const AnsiString& f, int start, bool cs) {
    if (f.empty()) return 0;
    for (int p = start; p + Len(f) - 1 <= Len(s); ++p)
        if (SameAt(s, p - 1, f, cs)) return p;
    return 0;
}

int NaiveBackward(const AnsiString& s, const AnsiString& f, int start, bool cs) {
    if (f.empty() || f.size() > s.size()) return 0;
    int last = Len(s) - Len(f) + 1;
    int from = start == 0 ? last : std::min(start, last);
    for (int p = from; p >= 1; --p)
        if (SameAt(s, p - 1, f, cs)) return p;
    return 0;
}

AnsiString NaiveReplace(const AnsiString& s, const AnsiString& f, const AnsiString& r, bool cs) {
    AnsiString out;
    size_t i = 0;
    while (i < s.size()) {
        if (i + f.size() <= s.size() && SameAt(s, static_cast<int>(i), f, cs)) {
            out += r;
            i += f.size();
        } else {
            out += s[i++];
        }
    }
    return out;
}

AnsiString Bytes(std::initializer_list<int> bytes) {
    AnsiString s;
    for (int b : bytes) s += static_cast<char>(b);
    return s;
}

TEST_F(QuickStrings, RandomisedCrossCheckAgainstNaiveSearchAndReplace) {
    // Per code page, letters whose two forms differ in one bit (a/A, b/B and the
    // page's own), pairs that differ in more bits, bytes without a pair that lie
    // one bit from a letter (the page's multiplication and division signs), a
    // digit and a blank, so that every way of folding is met.
    const struct {
        int page;
        AnsiString alphabet;
    } pages[] = {
        // ya/YA, yo/YO; short u (A1/A2), je (A3/BC), ghe (A5/B4) and dze (BD/BE) are more than one bit apart.
        {1251, "aAbB1 " + Bytes({0xFF, 0xDF, 0xB8, 0xA8, 0xA1, 0xA2, 0xA3, 0xBC, 0xA5, 0xB4, 0xBD, 0xBE})},
        // A with ogonek (A5/B9) is more than one bit apart; the signs D7/F7 have no pair.
        {1250, "aAbB1 " + Bytes({0xC1, 0xE1, 0xA5, 0xB9, 0xD7, 0xF7, 0xDF})},
        // Y with diaeresis (9F/FF) is more than one bit apart; D7/F7 and sharp s DF have no pair.
        {1252, "aAbB1 " + Bytes({0xC9, 0xE9, 0x9F, 0xFF, 0xD7, 0xF7, 0xDF})},
    };
    std::mt19937 rng(20240521);
    for (const auto& cp : pages) {
        CodePage::SetActive(cp.page);
        const AnsiString& alphabet = cp.alphabet;
        auto randomText = [&](size_t len) {
            AnsiString s;
            for (size_t i = 0; i < len; ++i) s += alphabet[rng() % alphabet.size()];
            return s;
        };
        // Each byte in upper or lower case at random, as a user might type a word.
        auto mixCase = [&](AnsiString s) {
            for (char& c : s) c = rng() % 2 ? CharUpper(c) : CharLower(c);
            return s;
        };
        // Short texts check the scan's ends; lines of up to 96 bytes with words of
        // eight to sixteen the scan of a line; longer ones the sixteen-window
        // blocks, and the longest the scans meant for long texts.
        const struct {
            size_t minSource, maxSource, minPiece, maxPiece;
            int rounds;
        } sizes[] = {{0, 20, 1, 6, 20000}, {0, 70, 1, 20, 10000}, {30, 96, 8, 16, 10000}, {0, 1500, 1, 40, 1000}};
        for (const auto& size : sizes) {
            for (int round = 0; round < size.rounds; ++round) {
                const AnsiString src =
                    randomText(size.minSource + rng() % (size.maxSource - size.minSource + 1));
                AnsiString find;
                switch (rng() % 4) {
                    case 0: find = randomText(1); break;
                    case 1: find = randomText(size.minPiece > 1 ? size.minPiece : rng() % 5); break;
                    default:
                        // A piece of the source, often its very start or end.
                        if (src.size() >= size.minPiece) {
                            const size_t most = std::min(src.size(), size.maxPiece) - size.minPiece;
                            const size_t len = size.minPiece + rng() % (most + 1);
                            const size_t at = rng() % 3 == 0   ? 0
                                              : rng() % 2 == 0 ? src.size() - len
                                                               : rng() % (src.size() - len + 1);
                            find = src.substr(at, len);
                            if (rng() % 2) find = rng() % 2 ? AnsiLowerCase(find) : mixCase(find);
                        }
                }
                const int fwdStart = 1 + static_cast<int>(rng() % (src.size() + 2));
                const int backStart = static_cast<int>(rng() % (src.size() + 3));
                SCOPED_TRACE("page " + std::to_string(cp.page) + " source '" + src + "' find '" + find +
                             "' starts " + std::to_string(fwdStart) + "/" + std::to_string(backStart));

                ASSERT_EQ(FastPos(src, find, Len(src), Len(find), fwdStart), NaiveForward(src, find, fwdStart, true));
                // Twice, as a search of many lines for one word asks: the second
                // call must answer as the first.
                for (int again = 0; again < 2; ++again)
                    ASSERT_EQ(FastPosNoCase(src, find, Len(src), Len(find), fwdStart),
                              NaiveForward(src, find, fwdStart, false));
                ASSERT_EQ(FastPosBack(src, find, Len(src), Len(find), backStart),
                          NaiveBackward(src, find, backStart, true));
                ASSERT_EQ(FastPosBackNoCase(src, find, Len(src), Len(find), backStart),
                          NaiveBackward(src, find, backStart, false));
                for (bool cs : {true, false}) {
                    ASSERT_EQ(SmartPos(find, src, cs, fwdStart, true), NaiveForward(src, find, fwdStart, cs));
                    ASSERT_EQ(SmartPos(find, src, cs, backStart, false), NaiveBackward(src, find, backStart, cs));
                }
                if (!find.empty()) {
                    const AnsiString repl = randomText(rng() % 4);
                    ASSERT_EQ(FastReplace(src, find, repl, true), NaiveReplace(src, find, repl, true));
                    ASSERT_EQ(FastReplace(src, find, repl, false), NaiveReplace(src, find, repl, false));
                }
            }
        }
    }
}

TEST_F(QuickStrings, PreparedWordFollowsTheCodePage) {
    // D7/F7 are CHE/che in 1251 but the multiplication and division signs,
    // which have no case, in 1252: the same word searched in the same line
    // must follow the page, also when it was prepared under the other one.
    const AnsiString word = "abcdefg" + Bytes({0xD7});
    const AnsiString line = AnsiString(40, '.') + "ABCDEFG" + Bytes({0xF7}) + AnsiString(20, '.');
    for (int page : {1251, 1252, 1251}) {
        CodePage::SetActive(page);
        for (int again = 0; again < 2; ++again)
            EXPECT_EQ(FastPosNoCase(line, word, Len(line), Len(word), 1), page == 1251 ? 41 : 0) << page;
    }
}

TEST_F(QuickStrings, WordsSearchedByTurnsEachFindTheirOwnPlace) {
    // An importer looks for one word after another in each line: words of
    // the same length and the same first eight bytes, more words than are
    // kept prepared, and a change of code page between turns must each find
    // their own place. D7/F7 have case in 1251 only.
    const AnsiString words[] = {"fleet report", "FLEET REPORX", "Fleet Repo" + Bytes({0xD7, 0xD7}),
                                "metal crystal", "ally members", "SOLAR SYSTEM"};
    const AnsiString lines[] = {
        AnsiString(30, '.') + "FLEET REPORT" + AnsiString(30, '-'),
        "solar system " + AnsiString(20, ' ') + "fleet repo" + Bytes({0xF7, 0xF7}) + " ally MEMBERS" +
            AnsiString(20, '+'),
        AnsiString(10, '=') + "Metal Crystal, fleet reporx and fleet report" + AnsiString(12, '='),
    };
    for (int page : {1251, 1252, 1251}) {
        CodePage::SetActive(page);
        for (int turn = 0; turn < 3; ++turn)
            for (const AnsiString& line : lines)
                for (const AnsiString& word : words)
                    ASSERT_EQ(FastPosNoCase(line, word, Len(line), Len(word), 1), NaiveForward(line, word, 1, false))
                        << "page " << page << " word '" << word << "' line '" << line << "'";
    }
}

TEST_F(QuickStrings, ManyWordsByTurnsInLinesEachFindTheirOwnPlace) {
    // More words than a line search keeps ready side by side: words of one
    // length that share their second and last byte, and words whose end
    // letters' two forms differ in other bits than the usual (1251: i/I B3/B2
    // one bit 0x01 apart, dje 90/80 0x10 apart, short u A2/A1 more bits
    // apart), each searched in lines that hold it in the other case, in
    // rounds, so every word meets a table filled by the others.
    std::vector<AnsiString> words;
    for (const char* middle : {"bcdef", "BCDEF", "xyzzy", "fleet", "metal", "cryst", "ally ", "spy r", "moons", "total"})
        words.push_back(AnsiString("qa") + middle + "az");
    words.push_back(Bytes({0xB3}) + "ncoming fleet" + Bytes({0xB3}));
    words.push_back(Bytes({0x90}) + "ebris field" + Bytes({0x90}));
    words.push_back(Bytes({0xA2}) + "niverse name" + Bytes({0xA2}));
    auto otherCase = [](AnsiString s) {
        for (char& c : s) c = CharUpper(c) != c ? CharUpper(c) : CharLower(c);
        return s;
    };
    std::vector<AnsiString> lines;
    for (size_t i = 0; i < words.size(); ++i)
        lines.push_back(AnsiString(i % 7 + 3, '.') + otherCase(words[i]) + " then " + otherCase(words[(i + 1) % words.size()]) +
                        AnsiString(40, '-'));
    for (int round = 0; round < 3; ++round)
        for (const AnsiString& line : lines)
            for (const AnsiString& word : words)
                ASSERT_EQ(FastPosNoCase(line, word, Len(line), Len(word), 1), NaiveForward(line, word, 1, false))
                    << "round " << round << " word '" << word << "' line '" << line << "'";
}

TEST_F(QuickStrings, LineWordAtEveryOffsetOfEveryLength) {
    // Words of 8 to 32 letters planted in the other case at every offset of
    // texts of 39 to 300 bytes (lines, the overlapping last block of a line,
    // and texts past a line); the rest of the text holds digits and blanks,
    // so the word stands nowhere else, and one more copy with a byte spoilt
    // to its non-letter partner 0x20 away ('@' for '`') lies before it.
    std::mt19937 rng(9103);
    const AnsiString letters = "abcdefghijklmnopqrstuvwxyz" + Bytes({0xE0, 0xE5, 0xEE, 0xFF, 0xB8});
    for (size_t m = 8; m <= 32; ++m) {
        AnsiString word;
        for (size_t j = 0; j < m; ++j) word += letters[rng() % letters.size()];
        AnsiString planted = word;
        for (char& c : planted) c = rng() % 3 ? CharUpper(c) : c;
        AnsiString spoilt = planted;
        spoilt[1 + rng() % (m - 2)] = '`';
        const AnsiString wordWithAt = word.substr(0, 1) + "@" + word.substr(2);
        for (size_t n = 39; n <= 300; ++n) {
            if (n < m) continue;
            for (size_t at = 0; at + m <= n; ++at) {
                AnsiString text;
                for (size_t i = 0; i < n; ++i) text += "0123456789 "[rng() % 11];
                text.replace(at, m, planted);
                if (at >= m) text.replace(at - m, m, spoilt);
                ASSERT_EQ(FastPosNoCase(text, word, Len(text), Len(word), 1), static_cast<int>(at) + 1)
                    << "m " << m << " n " << n << " at " << at;
                // The word at its own place is found from there, and not from one past it.
                ASSERT_EQ(FastPosNoCase(text, word, Len(text), Len(word), static_cast<int>(at) + 1), static_cast<int>(at) + 1);
                ASSERT_EQ(FastPosNoCase(text, word, Len(text), Len(word), static_cast<int>(at) + 2), 0);
                // '@' and '`' are 0x20 apart but no letter: a word with '@' finds no '`'.
                if (at >= m) {
                    ASSERT_EQ(FastPosNoCase(text, wordWithAt, Len(text), Len(wordWithAt), 1), 0);
                }
            }
        }
    }
}

TEST_F(QuickStrings, LineCaseVariants) {
    // Lines of 64 bytes with the word in them in another form; each page's
    // letters paired 0x20 apart, 0x10 apart (Ё/ё), further apart (Ў/ў,
    // Ą/ą, Ÿ/ÿ), and byte pairs 0x20 apart that are not one letter.
    struct Case {
        int page;
        AnsiString word, inText;
        bool same;
    };
    const Case cases[] = {
        {1251, "l" + Bytes({0xB8}) + "gkij lazer", "L" + Bytes({0xA8}) + "GKIJ LAZER", true},
        {1251, Bytes({0xEB, 0xB8, 0xE3, 0xEA, 0xE8, 0xE9, 0x20, 0xEB, 0xE0, 0xE7, 0xE5, 0xF0}),
         Bytes({0xCB, 0xA8, 0xC3, 0xCA, 0xC8, 0xC9, 0x20, 0xCB, 0xC0, 0xC7, 0xC5, 0xD0}), true},
        {1251, Bytes({0xB8}) + "lkin field" + Bytes({0xB8}), Bytes({0xA8}) + "LKIN FIELD" + Bytes({0xA8}), true},
        {1251, "short " + Bytes({0xA2}) + " vowel", "SHORT " + Bytes({0xA1}) + " VOWEL", true},
        {1251, "dje " + Bytes({0x90}) + "letter", "DJE " + Bytes({0x80}) + "LETTER", true},
        {1250, "ogonek " + Bytes({0xB9}) + " here", "OGONEK " + Bytes({0xA5}) + " HERE", true},
        {1252, "diaeresis " + Bytes({0xFF}) + "!", "DIAERESIS " + Bytes({0x9F}) + "!", true},
        {1252, "e acute " + Bytes({0xE9}) + " and more", "E ACUTE " + Bytes({0xC9}) + " AND MORE", true},
        {1252, "times " + Bytes({0xD7}) + " sign", "TIMES " + Bytes({0xF7}) + " SIGN", false},
        {1250, "sharp " + Bytes({0xDF}) + " s here", "SHARP " + Bytes({0xFF}) + " S HERE", false},
        {1251, "mail@host.example", "MAIL`HOST.EXAMPLE", false},
        {1252, "[bracketed] text", "{BRACKETED} TEXT", false},
        {1251, "digits 0123456789", "DIGITS " + Bytes({0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19}), false},
        {1251, "a blank between", "A" + Bytes({0}) + "BLANK" + Bytes({0}) + "BETWEEN", false},
        {1251, "high symbols " + Bytes({0xA0, 0xA7, 0xB1}), "HIGH SYMBOLS " + Bytes({0x80, 0x87, 0x91}), false},
    };
    for (const Case& c : cases) {
        CodePage::SetActive(c.page);
        for (size_t before : {size_t{0}, size_t{5}, size_t{17}, size_t{32}, 63 - c.inText.size(), 64 - c.inText.size()}) {
            AnsiString line = AnsiString(before, '.') + c.inText;
            line += AnsiString(64 - line.size(), '-');
            SCOPED_TRACE("page " + std::to_string(c.page) + " word '" + c.word + "' at " + std::to_string(before));
            ASSERT_EQ(FastPosNoCase(line, c.word, Len(line), Len(c.word), 1), c.same ? static_cast<int>(before) + 1 : 0);
            ASSERT_EQ(FastPosNoCase(line, c.word, Len(line), Len(c.word), 1), NaiveForward(line, c.word, 1, false));
        }
    }
}

TEST_F(QuickStrings, LinesAgreeWithThePlainFoldOnRandomTexts) {
    // Texts of 39 to 300 bytes drawn from an alphabet where most bytes have a
    // partner 0x20 or 0x10 away (letter or not), with words cut from them and
    // changed a little, compared with the plain fold on every page.
    std::mt19937 rng(4711);
    AnsiString alphabet = "aAbB@`[{]}0" + Bytes({0x10, 0x20, 0x00, 0xA8, 0xB8, 0xA1, 0xA2, 0x80, 0x90, 0xC0, 0xE0,
                                                   0xD7, 0xF7, 0xDF, 0xFF, 0x9F, 0xA5, 0xB9, 0xC9, 0xE9});
    for (int page : {1250, 1251, 1252}) {
        CodePage::SetActive(page);
        for (int round = 0; round < 20000; ++round) {
            const size_t n = 39 + rng() % 262;
            AnsiString text;
            for (size_t i = 0; i < n; ++i) text += alphabet[rng() % alphabet.size()];
            const size_t m = 8 + rng() % 25;
            AnsiString word = text.substr(rng() % (n - m + 1), m);
            // A byte 0x20 or 0x10 away (the same letter or not), or its other case.
            for (int flips = static_cast<int>(rng() % 4); flips > 0; --flips) {
                char& c = word[rng() % m];
                switch (rng() % 3) {
                    case 0: c = static_cast<char>(c ^ 0x20); break;
                    case 1: c = static_cast<char>(c ^ 0x10); break;
                    default: c = CharUpper(c) != c ? CharUpper(c) : CharLower(c);
                }
            }
            const int start = 1 + static_cast<int>(rng() % 8);
            SCOPED_TRACE("page " + std::to_string(page) + " round " + std::to_string(round));
            ASSERT_EQ(FastPosNoCase(text, word, Len(text), Len(word), start), NaiveForward(text, word, start, false))
                << "text '" << text << "' word '" << word << "'";
        }
    }
}

TEST_F(QuickStrings, SearchCases) {
    struct Case {
        const char* what;
        int got, want;
    };
    const AnsiString abc = "abcabc";
    const Case cases[] = {
        {"nocase forward from 1", SmartPos("ABC", "xxabcxx", false, 1, true), 3},
        {"nocase forward from 4", SmartPos("ABC", "xxabcxx", false, 4, true), 0},
        {"case-sensitive from 1", SmartPos("ABC", "xxabcxx", true, 1, true), 0},
        {"back from the end", FastPosBack(abc, "abc", 6, 3, 0), 4},
        {"back from 3", FastPosBack(abc, "abc", 6, 3, 3), 1},
        {"back from 5", FastPosBack(abc, "abc", 6, 3, 5), 4},
        {"pattern longer than source", FastPos("ab", "abc", 2, 3, 1), 0},
        {"empty pattern", FastPos(abc, "", 6, 0, 1), 0},
        {"start past the end", FastPos(abc, "c", 6, 1, 7), 0},
        {"start at the last byte", FastPos(abc, "c", 6, 1, 6), 6},
        {"caller's length limits the area", FastPos(abc, "bc", 4, 2, 1), 2},
        {"caller's length hides a match", FastPos(abc, "ca", 2, 2, 1), 0},
        {"length beyond the string is cut", FastPos(abc, "c", 100, 1, 4), 6},
        {"back beyond the string is cut", FastPosBack(abc, "a", 100, 1, 0), 4},
        {"negative back start finds nothing", FastPosBack(abc, "a", 6, 1, -3), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

TEST_F(QuickStrings, CyrillicFoldsLikeLatin) {
    // "privet" in lower case, found in its upper-case spelling; yo folds to YO.
    const AnsiString lower = Bytes({0xEF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2});
    const AnsiString text = "xx " + AnsiUpperCase(lower) + " " + Bytes({0xA8});
    EXPECT_EQ(FastPosNoCase(text, lower, Len(text), Len(lower), 1), 4);
    EXPECT_EQ(FastPos(text, lower, Len(text), Len(lower), 1), 0);
    EXPECT_EQ(SmartPos(Bytes({0xB8}), text, false, 1, true), Len(text));
    EXPECT_EQ(FastReplace(text, lower, "hi", false), "xx hi " + Bytes({0xA8}));
}

TEST_F(QuickStrings, ForwardSearchAssertsOnStartBelowOne) {
    struct Case {
        int (*fn)(const AnsiString&, const AnsiString&, int, int, int);
        const char* message;
    };
    for (const Case& c : {Case{FastPos, "Assertion failure (uQuickStrings, line 544)"},
                          Case{FastPosNoCase, "Assertion failure (uQuickStrings, line 565)"}}) {
        for (const AnsiString& src : {AnsiString(), AnsiString("abc")}) {
            try {
                c.fn(src, "a", Len(src), 1, 0);
                ADD_FAILURE() << "no assertion for '" << src << "'";
            } catch (const EAssertionFailed& e) {
                EXPECT_EQ(e.Message(), c.message);
            }
        }
    }
}

TEST_F(QuickStrings, ReplaceCases) {
    struct Case {
        AnsiString src, find, repl;
        bool cs;
        AnsiString want;
    };
    const Case cases[] = {
        {"aaaa", "aa", "a", true, "aa"},
        {"  two    blanks ", "  ", " ", true, " two  blanks "},
        {"a&b&&c&", "&", "", true, "abc"},
        {"no match here", "zz", "y", true, "no match here"},
        {"", "a", "b", true, ""},
        {"x", "x", AnsiString(100, 'r'), true, AnsiString(100, 'r')},
        {"AbA", "a", "-", false, "-b-"},
        {"AbA", "a", "-", true, "AbA"},
        {"abc", "", "z", true, "abc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FastReplace(c.src, c.find, c.repl, c.cs), c.want) << "'" << c.src << "' '" << c.find << "'";

    // Growth far beyond the first estimate.
    const AnsiString many(1000, 'x');
    AnsiString expected;
    for (int i = 0; i < 1000; ++i) expected += AnsiString(100, 'r');
    EXPECT_EQ(FastReplace(many, "x", AnsiString(100, 'r'), true), expected);
}

// Tag callbacks; UserData counts the calls and keeps the tags seen.
struct TagLog {
    std::vector<AnsiString> seen;
};

void UpperTag(AnsiString& tag, intptr_t data) {
    reinterpret_cast<TagLog*>(data)->seen.push_back(tag);
    tag = AnsiUpperCase(tag);
}

void EmptyTag(AnsiString& tag, intptr_t data) {
    reinterpret_cast<TagLog*>(data)->seen.push_back(tag);
    tag.clear();
}

void LongTag(AnsiString& tag, intptr_t data) {
    reinterpret_cast<TagLog*>(data)->seen.push_back(tag);
    tag = AnsiString(50, '*');
}

TEST_F(QuickStrings, TagReplaceCases) {
    struct Case {
        AnsiString src;
        TFastTagReplaceProc proc;
        AnsiString want;
        std::vector<AnsiString> seen;
    };
    const AnsiString zeroBefore = AnsiString("a") + '\0' + "[#x#]";
    const AnsiString zeroInside = AnsiString("[#x") + '\0' + "#]";
    const Case cases[] = {
        {"a[#x#]b[#y#]c", UpperTag, "aXbYc", {"x", "y"}},
        {"a[#x#]b[#y#]c", EmptyTag, "abc", {"x", "y"}},
        {"a[#x", UpperTag, "a[#x", {}},
        {"a[#x#]b[#y", UpperTag, "aXb[#y", {"x"}},
        {"a[#[#x#]#]", UpperTag, "a[#X#]", {"[#x"}},
        {"[##]", UpperTag, "", {""}},
        {"[#]", UpperTag, "[#]", {}},
        {"#][#x#]", UpperTag, "#]X", {"x"}},
        {zeroBefore, UpperTag, zeroBefore, {}},
        {zeroInside, UpperTag, zeroInside, {}},
        {"[#a#][#b#][#c#]", LongTag, AnsiString(150, '*'), {"a", "b", "c"}},
        {"plain", UpperTag, "plain", {}},
    };
    for (const Case& c : cases) {
        TagLog log;
        EXPECT_EQ(FastTagReplace(c.src, "[#", "#]", c.proc, reinterpret_cast<intptr_t>(&log)), c.want) << c.src;
        EXPECT_EQ(log.seen, c.seen) << c.src;
    }
    // Empty tags or source: unchanged, the callback is not called.
    TagLog log;
    const intptr_t data = reinterpret_cast<intptr_t>(&log);
    EXPECT_EQ(FastTagReplace("a[#x#]", "", "#]", UpperTag, data), "a[#x#]");
    EXPECT_EQ(FastTagReplace("a[#x#]", "[#", "", UpperTag, data), "a[#x#]");
    EXPECT_EQ(FastTagReplace("", "[#", "#]", UpperTag, data), "");
    EXPECT_TRUE(log.seen.empty());
}

TEST_F(QuickStrings, TagReplaceWithoutCallbackAsserts) {
    try {
        FastTagReplace("", "[#", "#]", nullptr, 0);
        ADD_FAILURE() << "no assertion";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Message(), "Assertion failure (uQuickStrings, line 1060)");
    }
}

}  // namespace
