// Pattern compilation: error codes and texts, the node program for the
// constructs whose form matters, modifiers and the properties around them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "text/Regex.h"

namespace {

// Reads the compiled program back as a list of node names in byte order.
class TProbeRegex : public TRegex {
public:
    using TRegex::FirstCharSetHas;
    using TRegex::ProgramCode;

    std::string Dump() {
        Exec("");  // compiles
        const std::vector<unsigned char>& p = ProgramCode();
        std::string out;
        size_t i = 1;
        while (i < p.size()) {
            const unsigned char k = p[i];
            const unsigned char* o = p.data() + i + 5;
            int32_t a = 0, b = 0;
            if (k == BRACES || k == BRACESNG || k == LOOP || k == LOOPNG) {
                std::memcpy(&a, o, 4);
                std::memcpy(&b, o + 4, 4);
            }
            std::string item;
            size_t operand = 0;
            switch (k) {
                case EEND: item = "EEND"; break;
                case BOL: item = "BOL"; break;
                case EOL: item = "EOL"; break;
                case ANY: item = "ANY"; break;
                case BRANCH: item = "BRANCH"; break;
                case BACK: item = "BACK"; break;
                case NOTHING: item = "NOTHING"; break;
                case STAR: item = "STAR"; break;
                case PLUS: item = "PLUS"; break;
                case STARNG: item = "STARNG"; break;
                case PLUSNG: item = "PLUSNG"; break;
                case ANYDIGIT: item = "ANYDIGIT"; break;
                case NOTDIGIT: item = "NOTDIGIT"; break;
                case COMMENT: item = "COMMENT"; break;
                case LOOPENTRY: item = "LOOPENTRY"; break;
                case BOLML: item = "BOLML"; break;
                case EOLML: item = "EOLML"; break;
                case ANYML: item = "ANYML"; break;
                case BOUND: item = "BOUND"; break;
                case NOTBOUND: item = "NOTBOUND"; break;
                case EXACTLY:
                case EXACTLYCI:
                    item = std::string(k == EXACTLY ? "EXACTLY(" : "EXACTLYCI(") + reinterpret_cast<const char*>(o) + ")";
                    operand = std::strlen(reinterpret_cast<const char*>(o)) + 1;
                    break;
                case ANYOFTINYSET:
                case ANYBUTTINYSET:
                    item = std::string(k == ANYOFTINYSET ? "ANYOFTINYSET(" : "ANYBUTTINYSET(") +
                           std::string(reinterpret_cast<const char*>(o), 3) + ")";
                    operand = 3;
                    break;
                case ANYOFFULLSET:
                    item = "ANYOFFULLSET";
                    operand = 32;
                    break;
                case BRACES:
                case BRACESNG:
                    item = std::string(k == BRACES ? "BRACES(" : "BRACESNG(") + std::to_string(a) + "," +
                           std::to_string(b) + ")";
                    operand = 8;
                    break;
                case LOOP:
                case LOOPNG:
                    item = std::string(k == LOOP ? "LOOP(" : "LOOPNG(") + std::to_string(a) + "," +
                           std::to_string(b) + ")";
                    operand = 12;
                    break;
                case BSUBEXP:
                case BSUBEXPCI:
                    item = std::string(k == BSUBEXP ? "BSUBEXP" : "BSUBEXPCI") + std::to_string(o[0]);
                    operand = 1;
                    break;
                default:
                    if (k > OPEN && k < CLOSE)
                        item = "OPEN" + std::to_string(k - OPEN);
                    else if (k > CLOSE && k <= CLOSE + 14)
                        item = "CLOSE" + std::to_string(k - CLOSE);
                    else
                        item = "?" + std::to_string(k);
            }
            out += (out.empty() ? "" : " ") + item;
            i += 5 + operand;
        }
        return out;
    }

    const unsigned char* NodeOperand(size_t nodeIndex) {
        Exec("");
        return &ProgramCode()[nodeIndex + 5];
    }
};

std::string Groups(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "(a)";
    return s;
}

class RegexCompile : public testing::Test {
protected:
    struct Case {
        std::string pattern;
        const char* modifiers;
        int code;
        const char* message;
    };

    void SetUp() override { CodePage::SetActive(1251); }

    static void ExpectCompileError(const std::string& pattern, const char* modifiers, int code,
                                   const char* message) {
        SCOPED_TRACE(pattern);
        TRegex r;
        r.SetModifierStr(modifiers);
        r.SetExpression(pattern);
        try {
            r.Exec("abc");
            ADD_FAILURE() << "no error";
        } catch (const ERegex& e) {
            EXPECT_EQ(e.ErrorCode, code);
            EXPECT_EQ(e.Message(), message);
            EXPECT_EQ(r.CompilerErrorOffset(), 0);  // no compilation under way any more
        }
    }
};

TEST_F(RegexCompile, ErrorsCarryCodeAndExactMessage) {
    const Case cases[] = {
        {"a{2,1}", "", 124, "TRegex(comp): BRACE Min Param Greater then Max (pos 5)"},
        {"*a", "", 115, "TRegex(comp): ?+*{ Follows Nothing (pos 1)"},
        {"a|+", "", 115, "TRegex(comp): ?+*{ Follows Nothing (pos 3)"},
        {"a**", "", 107, "TRegex(comp): Nested *?+ (pos 2)"},
        {"a{2}{3}", "", 107, "TRegex(comp): Nested *?+ (pos 4)"},
        {"a*??", "", 107, "TRegex(comp): Nested *?+ (pos 3)"},
        {"(a*)*", "", 106, "TRegex(comp): *+ Operand Could Be Empty (pos 4)"},
        {"(a?){2}", "", 106, "TRegex(comp): *+ Operand Could Be Empty (pos 4)"},
        {"(a", "", 103, "TRegex(comp): ParseReg Unmatched () (pos 2)"},
        {"a)", "", 104, "TRegex(comp): ParseReg Unmatched () (pos 1)"},
        {"(?:abc)", "", 127, "TRegex(comp): Urecognized Modifier (pos 2)"},
        {"(?i", "", 127, "TRegex(comp): Urecognized Modifier (pos 3)"},
        {"(?#abc", "", 125, "TRegex(comp): Unclosed (?#Comment) (pos 6)"},
        {Groups(15), "", 102, "TRegex(comp): ParseReg Too Many () (pos 43)"},
        {"[z-a]", "", 109, "TRegex(comp): Invalid [] Range (pos 4)"},
        {"[\xE0-\xDF]", "-r", 109, "TRegex(comp): Invalid [] Range (pos 4)"},
        {"[a", "", 113, "TRegex(comp): Unmatched [] (pos 2)"},
        {"[]", "", 113, "TRegex(comp): Unmatched [] (pos 2)"},
        {"[a\\", "", 110, "TRegex(comp): Parse Atom Trailing \\ (pos 3)"},
        {"[a-\\", "", 110, "TRegex(comp): Parse Atom Trailing \\ (pos 4)"},
        {"a\\", "", 116, "TRegex(comp): Trailing \\ (pos 2)"},
        {"\\x4", "", 111, "TRegex(comp): No Hex Code After \\x (pos 3)"},
        {"\\x", "", 111, "TRegex(comp): No Hex Code After \\x (pos 2)"},
        {"\\x{4", "", 111, "TRegex(comp): No Hex Code After \\x (pos 4)"},
        {"\\x{123}", "", 112, "TRegex(comp): Hex Code After \\x Is Too Big (pos 5)"},
        {"\\xG1", "", 108, "TRegex(comp): Bad Hex Digit (pos 2)"},
        {"\\x1G", "", 108, "TRegex(comp): Bad Hex Digit (pos 3)"},
        {"a{123456789}", "", 122, "TRegex(comp): BRACES Argument Too Big (pos 11)"},
    };
    for (const Case& c : cases) ExpectCompileError(c.pattern, c.modifiers, c.code, c.message);
}

// A zero character cannot stand in a literal or a set, wherever the escape is.
TEST_F(RegexCompile, ZeroCharacterEscapesAreRefused) {
    const Case cases[] = {
        {"\\x00", "", 129, "TRegex(comp): Zero Hex Code After \\x (pos 3)"},
        {"a\\x00b", "", 129, "TRegex(comp): Zero Hex Code After \\x (pos 4)"},
        {"\\x{0}", "", 129, "TRegex(comp): Zero Hex Code After \\x (pos 4)"},
        {"\\x{000}", "i", 129, "TRegex(comp): Zero Hex Code After \\x (pos 6)"},
        {"\\x{}", "", 111, "TRegex(comp): No Hex Code After \\x (pos 3)"},
        {"a\\x{}*", "", 111, "TRegex(comp): No Hex Code After \\x (pos 4)"},
        {"[\\x00]", "", 129, "TRegex(comp): Zero Hex Code After \\x (pos 4)"},
        {"[a\\x{0}]", "", 129, "TRegex(comp): Zero Hex Code After \\x (pos 6)"},
        {"[\\x00-\\x20]", "", 129, "TRegex(comp): Zero Hex Code After \\x (pos 4)"},
        {"[\\x01-\\x{}]", "", 111, "TRegex(comp): No Hex Code After \\x (pos 9)"},
        {"(\\x00|b)*c", "", 129, "TRegex(comp): Zero Hex Code After \\x (pos 4)"},
        {"\\x{0}{2}", "", 129, "TRegex(comp): Zero Hex Code After \\x (pos 4)"},
    };
    for (const Case& c : cases) ExpectCompileError(c.pattern, c.modifiers, c.code, c.message);
}

TEST_F(RegexCompile, CompileErrorLeavesNoProgramAndRepeats) {
    TProbeRegex r;
    r.SetExpression("(a");
    EXPECT_THROW(r.Exec("a"), ERegex);
    EXPECT_TRUE(r.ProgramCode().empty());
    EXPECT_THROW(r.Exec("a"), ERegex);
    r.SetExpression("(a)");
    EXPECT_TRUE(r.Exec("a"));
}

TEST_F(RegexCompile, FourteenGroupsCompile) {
    TRegex r;
    r.SetExpression(Groups(14));
    ASSERT_TRUE(r.Exec(std::string(14, 'a')));
    EXPECT_EQ(r.MatchPos(14), 14);
}

TEST_F(RegexCompile, NodeProgramOfTypicalConstructs) {
    struct Case {
        const char* pattern;
        const char* modifiers;
        const char* nodes;
    };
    const Case cases[] = {
        {"[abc]", "", "BRANCH ANYOFTINYSET(abc) EEND"},
        {"[cab]", "", "BRANCH ANYOFTINYSET(abc) EEND"},
        {"[^ab]", "", "BRANCH ANYBUTTINYSET(abb) EEND"},
        {"[abcd]", "", "BRANCH ANYOFFULLSET EEND"},
        {"[a]", "i", "BRANCH ANYOFTINYSET(Aaa) EEND"},
        {"[]a]", "", "BRANCH ANYOFTINYSET(]aa) EEND"},
        {"[a-]", "", "BRANCH ANYOFTINYSET(-aa) EEND"},
        {"[-a]", "", "BRANCH ANYOFTINYSET(-aa) EEND"},
        {"[\\D\\b]", "", "BRANCH ANYOFTINYSET(Dbb) EEND"},
        {"(?i)abc", "", "BRANCH COMMENT EXACTLYCI(abc) EEND"},
        {"a(?i)b|c", "", "BRANCH EXACTLY(a) COMMENT EXACTLYCI(b) BRANCH EXACTLYCI(c) EEND"},
        {"(a(?i)b)c", "", "BRANCH OPEN1 BRANCH EXACTLY(a) COMMENT EXACTLYCI(b) CLOSE1 EXACTLY(c) EEND"},
        {"a(?#note)b", "", "BRANCH EXACTLY(a) COMMENT EXACTLY(b) EEND"},
        {"a{x}", "", "BRANCH EXACTLY(a) EXACTLY({x}) EEND"},
        {"{", "", "BRANCH EXACTLY({) EEND"},
        {"a{,2}", "", "BRANCH EXACTLY(a) EXACTLY({,2}) EEND"},
        {"ab*", "", "BRANCH EXACTLY(a) STAR EXACTLY(b) EEND"},
        {"abc+?", "", "BRANCH EXACTLY(ab) PLUSNG EXACTLY(c) EEND"},
        {"x?", "", "BRANCH BRANCH EXACTLY(x) BRANCH NOTHING EEND"},
        {"x?", "-g", "BRANCH BRACESNG(0,1) EXACTLY(x) EEND"},
        {"x*", "-g", "BRANCH STARNG EXACTLY(x) EEND"},
        {"x{2,}", "", "BRANCH BRACES(2,2147483646) EXACTLY(x) EEND"},
        {"x{3}?", "", "BRANCH BRACESNG(3,3) EXACTLY(x) EEND"},
        {"(ab)*", "", "BRANCH BRANCH OPEN1 BRANCH EXACTLY(ab) CLOSE1 BACK BRANCH NOTHING EEND"},
        {"(ab)+", "", "BRANCH OPEN1 BRANCH EXACTLY(ab) CLOSE1 BRANCH BACK BRANCH NOTHING EEND"},
        {"(ab){1,3}", "", "BRANCH LOOPENTRY OPEN1 BRANCH EXACTLY(ab) CLOSE1 LOOP(1,3) EEND"},
        {"(ab)+?", "", "BRANCH LOOPENTRY OPEN1 BRANCH EXACTLY(ab) CLOSE1 LOOPNG(1,2147483646) EEND"},
        {"(ab)*", "-g", "BRANCH LOOPENTRY OPEN1 BRANCH EXACTLY(ab) CLOSE1 LOOPNG(0,2147483646) EEND"},
        {".", "", "BRANCH ANY EEND"},
        {".", "-s", "BRANCH ANYML EEND"},
        {"^a$", "", "BRANCH BOL EXACTLY(a) EOL EEND"},
        {"^a$", "m", "BRANCH BOLML EXACTLY(a) EOLML EEND"},
        {"\\A\\Z\\b\\B", "m", "BRANCH BOL EOL BOUND NOTBOUND EEND"},
        {"\\d\\D\\w\\W\\s", "", "BRANCH ANYDIGIT NOTDIGIT ANYOFFULLSET ANYOFFULLSET ANYOFFULLSET EEND"},
        {"(a)\\1", "", "BRANCH OPEN1 BRANCH EXACTLY(a) CLOSE1 BSUBEXP1 EEND"},
        {"(a)\\1", "i", "BRANCH OPEN1 BRANCH EXACTLYCI(a) CLOSE1 BSUBEXPCI1 EEND"},
        {"\\t\\x41\\x{42}\\.", "", "BRANCH EXACTLY(\t) EXACTLY(A) EXACTLY(B) EXACTLY(.) EEND"},
        {"a b # note\r\n c", "x", "BRANCH EXACTLY(ab) COMMENT COMMENT EXACTLY(c) EEND"},
        {"ab *", "x", "BRANCH EXACTLY(a) STAR EXACTLY(b) EEND"},
        {"a|", "", "BRANCH EXACTLY(a) BRANCH NOTHING EEND"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        TProbeRegex r;
        r.SetModifierStr(c.modifiers);
        r.SetExpression(c.pattern);
        EXPECT_EQ(r.Dump(), c.nodes);
    }
}

TEST_F(RegexCompile, FullSetsHoldTheClassOrItsComplement) {
    TProbeRegex plain, negated;
    plain.SetExpression("[abcd]");
    negated.SetExpression("[^abcd]");
    const unsigned char* p = plain.NodeOperand(6);
    const unsigned char* n = negated.NodeOperand(6);
    for (int c = 0; c < 256; ++c) {
        const bool in = c >= 'a' && c <= 'd';
        EXPECT_EQ(((p[c >> 3] >> (c & 7)) & 1) != 0, in) << c;
        EXPECT_EQ(((n[c >> 3] >> (c & 7)) & 1) != 0, !in) << c;
    }
}

TEST_F(RegexCompile, RussianRangesIncludeYo) {
    // 0xE0-0xFF and 0xC0-0xDF are the Cyrillic alphabets; Yo lies outside them.
    const AnsiString lowerYo = "\xB8", upperYo = "\xA8";
    struct Case {
        const char* pattern;
        const char* modifiers;
        bool lower, upper;
    };
    const Case cases[] = {
        {"^[\xE0-\xFF]$", "", true, false},  {"^[\xC0-\xDF]$", "", false, true},
        {"^[\xE0-\xDF]$", "", true, true},   {"^[\xE0-\xFF]$", "-r", false, false},
        {"^[\xC0-\xDF]$", "-r", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + c.modifiers);
        TRegex r;
        r.SetModifierStr(c.modifiers);
        r.SetExpression(c.pattern);
        EXPECT_EQ(r.Exec(lowerYo), c.lower);
        EXPECT_EQ(r.Exec(upperYo), c.upper);
    }
}

TEST_F(RegexCompile, EmptySpaceCharsFailTheSetCheck) {
    TRegex r;
    r.SpaceChars = "";
    r.SetExpression("a\\s");
    try {
        r.Exec("a ");
        ADD_FAILURE() << "no error";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Message(), "TRegex.ParseAtom(subroutine EmitRangeC): empty range");
    }
}

TEST_F(RegexCompile, ModifierDefaultsStringsAndIndexes) {
    TRegex r;
    const bool defaults[] = {false, true, true, true, false, false};
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(r.Modifier(i), defaults[i - 1]) << i;

    r.SetModifierStr("igs");
    EXPECT_TRUE(r.Modifier(1));
    EXPECT_TRUE(r.Modifier(2));  // left as it was
    r.SetModifierStr("-g");
    EXPECT_FALSE(r.Modifier(4));
    EXPECT_TRUE(r.Modifier(1));
    r.SetModifierStr("M-IS");  // upper case letters; '-' stays off for the rest
    EXPECT_TRUE(r.Modifier(5));
    EXPECT_FALSE(r.Modifier(1));
    EXPECT_FALSE(r.Modifier(3));
    r.SetModifierStr("-m");

    try {
        r.SetModifierStr("iq");
        ADD_FAILURE() << "no error";
    } catch (const ERegex& e) {
        EXPECT_EQ(e.ErrorCode, 1013);
        EXPECT_EQ(e.Message(), "Unknown error");
    }
    EXPECT_TRUE(r.Modifier(1));  // the letter before the bad one was applied

    for (int bad : {0, 7, -1}) {
        EXPECT_THROW(r.Modifier(bad), ERegex);
        EXPECT_THROW(r.SetModifier(bad, true), ERegex);
    }
    r.SetModifier(6, true);
    EXPECT_TRUE(r.Modifier(6));
}

TEST_F(RegexCompile, ModifierChangeRecompilesAtNextSearch) {
    TRegex r;
    r.SetExpression("a.c");
    EXPECT_TRUE(r.Exec("a\nc"));
    r.SetModifier(3, false);  // s off
    EXPECT_FALSE(r.Exec("a\nc"));
    r.SetModifierStr("i");
    EXPECT_TRUE(r.Exec("AxC"));
}

TEST_F(RegexCompile, ExpressionProperty) {
    TRegex r;
    EXPECT_EQ(r.Expression(), "");
    try {
        r.Exec("abc");
        ADD_FAILURE() << "no error";
    } catch (const ERegex& e) {
        EXPECT_EQ(e.ErrorCode, 1003);
        EXPECT_EQ(e.Message(), "TRegex(exec): Not Assigned Expression Property");
    }
    r.SetExpression("b");
    EXPECT_EQ(r.Expression(), "b");
    EXPECT_TRUE(r.Exec("abc"));
    r.SetExpression("");
    EXPECT_EQ(r.Expression(), "");
    EXPECT_THROW(r.Exec("abc"), ERegex);
}

TEST_F(RegexCompile, LinePairedSeparator) {
    TRegex r;
    try {
        r.SetLinePairedSeparator("\n\n");
        ADD_FAILURE() << "no error";
    } catch (const ERegex& e) {
        EXPECT_EQ(e.ErrorCode, 128);
        EXPECT_EQ(e.Message(),
                  "TRegex(comp): LinePairedSeparator must countain two different chars or no chars at all (pos 0)");
        EXPECT_EQ(e.CompilerErrorOffset, 0);
    }
    EXPECT_THROW(r.SetLinePairedSeparator("abc"), ERegex);
    EXPECT_THROW(r.SetLinePairedSeparator("a"), ERegex);

    // Without the pair, CR and LF are two line ends, so "^" also fires between them.
    r.SetModifierStr("m");
    r.SetExpression("^");
    r.SetLinePairedSeparator("");
    ASSERT_TRUE(r.Exec("a\r\nb"));
    ASSERT_TRUE(r.ExecNext());
    EXPECT_EQ(r.MatchPos(0), 3);
    r.SetLinePairedSeparator("\r\n");
    ASSERT_TRUE(r.Exec("a\r\nb"));
    ASSERT_TRUE(r.ExecNext());
    EXPECT_EQ(r.MatchPos(0), 4);
}

TEST_F(RegexCompile, FirstCharSet) {
    struct Case {
        const char* pattern;
        const char* modifiers;
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"abc", "", "a", "bA"},
        {"abc", "i", "aA", "b"},
        {"(a|b)c", "", "ab", "c"},
        {"x*y", "", "xy", "z"},
        {"x+y", "", "x", "y"},
        {"(ab){2}c", "", "a", "c"},
        {"(ab)*c", "", "ac", "b"},
        {"(a{0,2}){2}b", "", "ab", "c"},  // the loop body can be empty
        {"\\d", "", "09", "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        TProbeRegex r;
        r.SetModifierStr(c.modifiers);
        r.SetExpression(c.pattern);
        r.Exec("");
        for (const char* p = c.in; *p; ++p) EXPECT_TRUE(r.FirstCharSetHas(static_cast<unsigned char>(*p))) << *p;
        for (const char* p = c.out; *p; ++p) EXPECT_FALSE(r.FirstCharSetHas(static_cast<unsigned char>(*p))) << *p;
    }
}

}  // namespace
