// The texts views are filtered with: the variables, the age choices, a
// player's or alliance's condition and the names a saved filter may have.
#include <gtest/gtest.h>

#include "app/uFilterText.h"

namespace {

const TDateTime Day = EncodeDate(2024, 7, 25);
const char* const MonthFirst = "m\"/\"d\"/\"yyyy";
const char* const DayFirst = "d\"/\"m\"/\"yyyy";

TEST(FilterTextTest, VariablesReplacedInEitherDateOrderAndAnyCase) {
    const TFilterLimits limits{"139000", "44002", "25000"};
    struct Case {
        const char* Text;
        const char* Format;
        const char* Expected;
    } cases[] = {
        {"LastScanned > :WEEK", MonthFirst, "LastScanned > 7/18/2024"},
        {"LastScanned > :week", DayFirst, "LastScanned > 18/7/2024"},
        {"(LastScanned >= :Today) or (LastScanned < :YESTERDAY)", MonthFirst,
         "(LastScanned >= 7/25/2024) or (LastScanned < 7/24/2024)"},
        {"LastAttacked < :MONTH", DayFirst, "LastAttacked < 25/6/2024"},
        {"(AssaultPower > :ASSAULT) AND (DefencePower < :defence) AND (TotalResources > :RESOURCES)", MonthFirst,
         "(AssaultPower > 139000) AND (DefencePower < 44002) AND (TotalResources > 25000)"},
        {"Metal > 1000", MonthFirst, "Metal > 1000"},
    };
    for (const Case& c : cases) EXPECT_EQ(ReplaceFilterVariables(c.Text, Day, c.Format, limits), c.Expected) << c.Text;
}

TEST(FilterTextTest, AgeChoices) {
    const char* expected[] = {
        "",
        "(LastScanned > 7/25/2024)",
        "(LastScanned > 7/22/2024)",
        "(LastScanned < 7/22/2024)",
        "(LastAttacked > 7/25/2024)",
        "(LastAttacked > 7/22/2024)",
        "(LastAttacked < 7/22/2024)",
        "",
    };
    for (int choice = 0; choice < 8; ++choice)
        EXPECT_EQ(AgeFilterText(choice, Day, MonthFirst), expected[choice]) << choice;
    EXPECT_EQ(AgeFilterText(-1, Day, MonthFirst), "");
    EXPECT_EQ(AgeFilterText(3, Day, DayFirst), "(LastScanned < 22/7/2024)");
}

TEST(FilterTextTest, NameConditionQuotesTheName) {
    EXPECT_EQ(NameCondition("tblPlayer.Name", "O'Neil"), "(tblPlayer.Name = 'O''Neil')");
    EXPECT_EQ(NameCondition("tblAlliance.Name", "<none>"), "(tblAlliance.Name = '<none>')");
}

TEST(FilterTextTest, SavedFilterNamesThatTheSettingsFileKeeps) {
    struct Case {
        const char* Name;
        const char* Filter;
        bool Storable;
    } cases[] = {
        {"Big fleets", "AssaultPower > :ASSAULT", true},
        {"\xC1\xEE\xE3\xE0\xF2\xFB\xE5 (rich)", "Metal > 100000", true},
        {"'quoted' inside", "Metal > 1", true},
        {"", "Metal > 1", false},
        {"   ", "Metal > 1", false},
        {"a=b", "Metal > 1", false},
        {"[Section", "Metal > 1", false},
        {"  ;comment", "Metal > 1", false},
        {"'enclosed'", "Metal > 1", false},
        {"\"enclosed\"", "Metal > 1", false},
        {"Names", "'Bravo' = tblPlayer.Name OR tblPlayer.Name = 'Alpha'", false},
        {"Names", "(tblPlayer.Name = 'Alpha')", true},
    };
    for (const Case& c : cases) {
        AnsiString problem = SavedFilterProblem(c.Name, c.Filter);
        EXPECT_EQ(problem.empty(), c.Storable) << "[" << c.Name << "] " << problem;
    }
    EXPECT_EQ(SavedFilterProblem("a=b", ""), "The filter name \"a=b\" may not hold \"=\".");
}

}  // namespace
