// Random patterns over the part of the dialect whose backtracking order is the
// same as ECMAScript's (literals, '.', classes, \w, \b, groups, alternation,
// greedy and lazy quantifiers), checked against the standard library's matcher
// as an independent reference: every match of a search loop, with its groups.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

#include "text/Regex.h"

namespace {

struct Generated {
    std::string ours, reference;
    bool compareGroups = true;  // false when a repeated group holds another group
};

class PatternGenerator {
public:
    PatternGenerator(unsigned seed, bool allLazy) : rng_(seed), allLazy_(allLazy) {}

    Generated Next() {
        groups_ = 0;
        Generated g;
        Alternation(0, g);
        return g;
    }

private:
    int Rnd(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    void Alternation(int depth, Generated& g) {
        int branches = 1 + (Rnd(4) == 0 ? 1 + Rnd(2) : 0);
        for (int i = 0; i < branches; ++i) {
            if (i > 0) g.ours += '|', g.reference += '|';
            int pieces = 1 + Rnd(3);
            for (int k = 0; k < pieces; ++k) Piece(depth, g);
        }
    }

    void Piece(int depth, Generated& g) {
        const int groupsBefore = groups_;
        const bool isGroup = Atom(depth, g);
        const bool innerGroups = groups_ > groupsBefore + 1;
        std::string q;
        bool repeats = true;
        switch (Rnd(10)) {
            case 5: q = "*"; break;
            case 6: q = "+"; break;
            case 7: q = "?", repeats = false; break;
            case 8: q = "{" + std::to_string(1 + Rnd(3)) + "}"; break;
            case 9: {
                int lo = 1 + Rnd(2);
                q = "{" + std::to_string(lo) + "," + (Rnd(3) == 0 ? "" : std::to_string(lo + Rnd(3))) + "}";
                break;
            }
            default: return;
        }
        const bool lazy = Rnd(3) == 0;
        g.ours += q + (lazy ? "?" : "");
        g.reference += q + (lazy || allLazy_ ? "?" : "");
        if (isGroup && innerGroups && repeats) g.compareGroups = false;
    }

    // Returns whether the atom is a group.
    bool Atom(int depth, Generated& g) {
        static const char* const simple[] = {"a", "b", "c", "a", "b", ".", "[ab]", "[^a]", "[b-c]", "\\w"};
        int r = Rnd(14);
        if (r < 10 || depth >= 3 || groups_ >= 14) {
            const char* s = simple[Rnd(10)];
            g.ours += s, g.reference += s;
            return false;
        }
        if (r == 10 && depth > 0) {
            g.ours += "\\b", g.reference += "\\b";
            return false;
        }
        ++groups_;
        g.ours += '(', g.reference += '(';
        Alternation(depth + 1, g);
        g.ours += ')', g.reference += ')';
        return true;
    }

    std::mt19937 rng_;
    bool allLazy_;
    int groups_ = 0;
};

struct Found {
    int pos, len;
    std::vector<int> groups;  // position and length of each group, -1 = unset
    bool operator==(const Found&) const = default;
};

std::string Describe(const std::vector<Found>& v) {
    std::string s;
    for (const Found& f : v) {
        s += "[" + std::to_string(f.pos) + "," + std::to_string(f.len);
        for (size_t i = 0; i < f.groups.size(); i += 2)
            s += " g" + std::to_string(i / 2 + 1) + "=" + std::to_string(f.groups[i]) + "/" + std::to_string(f.groups[i + 1]);
        s += "] ";
    }
    return s;
}

std::vector<Found> Ours(TRegex& r, const std::string& input, int groupCount, bool withGroups) {
    std::vector<Found> out;
    for (bool ok = r.Exec(input); ok && out.size() < 50; ok = r.ExecNext()) {
        Found f{r.MatchPos(0), r.MatchLen(0), {}};
        if (withGroups)
            for (int i = 1; i <= groupCount; ++i) f.groups.push_back(r.MatchPos(i)), f.groups.push_back(r.MatchLen(i));
        out.push_back(f);
    }
    return out;
}

// The same search loop over the reference: continue after the match, one
// further after an empty one.
std::vector<Found> Reference(const std::regex& re, const std::string& input, bool withGroups) {
    std::vector<Found> out;
    size_t offset = 0;
    while (offset <= input.size() && out.size() < 50) {
        std::smatch m;
        auto flags = offset > 0 ? std::regex_constants::match_prev_avail : std::regex_constants::match_default;
        if (!std::regex_search(input.begin() + static_cast<long>(offset), input.end(), m, re, flags)) break;
        const int pos = static_cast<int>(offset + m.position(0));
        const int len = static_cast<int>(m.length(0));
        Found f{pos + 1, len, {}};
        if (withGroups)
            for (size_t i = 1; i < m.size(); ++i) {
                if (m[i].matched) {
                    f.groups.push_back(static_cast<int>(offset + m.position(i)) + 1);
                    f.groups.push_back(static_cast<int>(m.length(i)));
                } else {
                    f.groups.push_back(-1), f.groups.push_back(-1);
                }
            }
        out.push_back(f);
        offset = static_cast<size_t>(pos + len) + (len == 0 ? 1 : 0);
    }
    return out;
}

void CrossCheck(unsigned seed, const char* modifiers, bool allLazy, bool ignoreCase, const char* alphabet) {
    PatternGenerator gen(seed, allLazy);
    std::mt19937 rng(seed * 7 + 1);
    const std::string letters(alphabet);
    int compared = 0;
    for (int n = 0; n < 1500; ++n) {
        const Generated g = gen.Next();
        TRegex ours;
        ours.SetModifierStr(modifiers);
        ours.SetExpression(g.ours);
        try {
            ours.Exec("");
        } catch (const ERegex& e) {
            continue;  // patterns the dialect refuses, e.g. a repeated atom that can be empty
        }
        std::regex ref;
        try {
            ref = std::regex(g.reference, ignoreCase ? std::regex::ECMAScript | std::regex::icase : std::regex::ECMAScript);
        } catch (const std::regex_error&) {
            continue;
        }
        int groupCount = 0;
        for (char c : g.ours) groupCount += c == '(';
        for (int k = 0; k < 6; ++k) {
            std::string input;
            int len = std::uniform_int_distribution<int>(0, 12)(rng);
            for (int i = 0; i < len; ++i) input += letters[std::uniform_int_distribution<size_t>(0, letters.size() - 1)(rng)];
            const std::vector<Found> a = Ours(ours, input, groupCount, g.compareGroups);
            const std::vector<Found> b = Reference(ref, input, g.compareGroups);
            ASSERT_EQ(Describe(a), Describe(b)) << "pattern " << g.ours << " /" << modifiers << " on \"" << input << "\"";
            ++compared;
        }
    }
    EXPECT_GT(compared, 3000);  // most generated patterns are valid in both dialects
}

TEST(RegexCrossCheck, GreedyAndLazy) { CrossCheck(1, "", false, false, "abc "); }
TEST(RegexCrossCheck, AllLazyWithoutG) { CrossCheck(2, "-g", true, false, "abc"); }
TEST(RegexCrossCheck, IgnoreCase) { CrossCheck(3, "i", false, true, "abcAB"); }

}  // namespace
