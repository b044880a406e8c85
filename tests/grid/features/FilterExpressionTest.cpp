// The filter row's expressions: how a cell's text parses, how it reads back,
// the filter text our data sets receive for it, and the rows that remain.
#include <string>
#include <vector>

#include "grid/DBGridGxDatasetFeatures.h"
#include "platform/rtl/SysUtils.h"
#include "tests/grid/features/FeatureTestSupport.h"

namespace {

using namespace featuretest;

// A parsed operand as text: "null", "a", "[a|b]", numbers as %g.
std::string OperandText(const Variant& V) {
    if (V.IsNull()) return "null";
    if (V.IsArray()) {
        std::string s = "[";
        for (int i = V.LowBound(1); i <= V.HighBound(1); ++i) s += (i > V.LowBound(1) ? "|" : "") + OperandText(V[i]);
        return s + "]";
    }
    if (VarType(V) == varDate) return "date " + DateTimeToSqlText(V.AsDateTime());
    if (VarIsNumeric(V)) {
        char b[40];
        std::snprintf(b, sizeof b, "%g", V.AsDouble());
        return b;
    }
    return V.AsString();
}

struct ParseCase {
    const char* Text;
    TSTFilterValueTypeGx Type;
    TSTFilterOperatorGx Op1;
    const char* Operand1;
    TSTFilterOperatorGx Relation;
    TSTFilterOperatorGx Op2;
    const char* Operand2;
    bool Second;
};

TEST(FilterExpression, ParsesEveryOperatorAndForm) {
    const ParseCase cases[] = {
        {"abc", stvStringGx, fopLikeGx, "abc", fopNoneGx, fopNoneGx, "null", false},
        {"5", stvNumberGx, fopEqualGx, "5", fopNoneGx, fopNoneGx, "null", false},
        {"1,2,3", stvStringGx, fopInGx, "[1|2|3]", fopNoneGx, fopNoneGx, "null", false},
        {"=Null", stvNumberGx, fopIsNullGx, "null", fopNoneGx, fopNoneGx, "null", false},
        {"<>null", stvStringGx, fopIsNotNullGx, "null", fopNoneGx, fopNoneGx, "null", false},
        {"!= NULL", stvStringGx, fopIsNotNullGx, "null", fopNoneGx, fopNoneGx, "null", false},
        {"!=5", stvNumberGx, fopNotEqualGx, "5", fopNoneGx, fopNoneGx, "null", false},
        {"<> 5", stvNumberGx, fopNotEqualGx, "5", fopNoneGx, fopNoneGx, "null", false},
        {">= 2.5", stvNumberGx, fopGreaterOrEqualGx, "2.5", fopNoneGx, fopNoneGx, "null", false},
        {"<=7", stvNumberGx, fopLessOrEqualGx, "7", fopNoneGx, fopNoneGx, "null", false},
        {"~ab*", stvStringGx, fopLikeGx, "ab*", fopNoneGx, fopNoneGx, "null", false},
        {"like ab*", stvStringGx, fopLikeGx, "ab*", fopNoneGx, fopNoneGx, "null", false},
        {"!~abc", stvStringGx, fopNotLikeGx, "abc", fopNoneGx, fopNoneGx, "null", false},
        {"NOT LIKE abc", stvStringGx, fopNotLikeGx, "abc", fopNoneGx, fopNoneGx, "null", false},
        {"In(1,2,3)", stvNumberGx, fopInGx, "[1|2|3]", fopNoneGx, fopNoneGx, "null", false},
        {"in (x)", stvStringGx, fopInGx, "x", fopNoneGx, fopNoneGx, "null", false},
        {"!In(a,b)", stvStringGx, fopNotInGx, "[a|b]", fopNoneGx, fopNoneGx, "null", false},
        {"NOT IN (a,b)", stvStringGx, fopNotInGx, "[a|b]", fopNoneGx, fopNoneGx, "null", false},
        // The second item keeps its blank and its quotes.
        {"In('a', 'b')", stvStringGx, fopInGx, "[a| 'b']", fopNoneGx, fopNoneGx, "null", false},
        {"'it is'", stvStringGx, fopLikeGx, "it is", fopNoneGx, fopNoneGx, "null", false},
        {"O'Neil", stvStringGx, fopLikeGx, "O'Neil", fopNoneGx, fopNoneGx, "null", false},
        {"> 5 AND < 10", stvNumberGx, fopGreaterGx, "5", fopAndGx, fopLessGx, "10", true},
        {"<1 | >9", stvNumberGx, fopLessGx, "1", fopOrGx, fopGreaterGx, "9", true},
        {"a & b", stvStringGx, fopLikeGx, "a", fopAndGx, fopLikeGx, "b", true},
        {"=Null OR > 3", stvNumberGx, fopIsNullGx, "null", fopOrGx, fopGreaterGx, "3", true},
        // A relation with nothing after it reads no second part.
        {"> 5 AND", stvNumberGx, fopGreaterGx, "5", fopAndGx, fopNoneGx, "null", false},
        {"> 3/8/2024", stvDateTimeGx, fopGreaterGx, "date 2024-03-08 00:00:00", fopNoneGx, fopNoneGx, "null", false},
        {"3/8/2024 14:30", stvDateTimeGx, fopEqualGx, "date 2024-03-08 14:30:00", fopNoneGx, fopNoneGx, "null", false},
        {"   ", stvStringGx, fopNoneGx, "null", fopNoneGx, fopNoneGx, "null", false},
        {"", stvNumberGx, fopNoneGx, "null", fopNoneGx, fopNoneGx, "null", false},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.Text);
        TSTFilterExpressionGx e;
        e.ValueType = c.Type;
        bool second = ParseSTFilterExpression(c.Text, e);
        EXPECT_EQ(e.ValueType, c.Type);
        EXPECT_EQ(e.Operator1, c.Op1);
        EXPECT_EQ(OperandText(e.Operand1), c.Operand1);
        EXPECT_EQ(e.Relation, c.Relation);
        EXPECT_EQ(e.Operator2, c.Op2);
        EXPECT_EQ(OperandText(e.Operand2), c.Operand2);
        EXPECT_EQ(second, c.Second);
    }
}

TEST(FilterExpression, ACommaIsADecimalSeparatorInANumberColumnWhereTheLocaleSaysSo) {
    TFormatSettings saved = FormatSettings;
    FormatSettings.DecimalSeparator = ',';
    TSTFilterExpressionGx number, text;
    number.ValueType = stvNumberGx;
    text.ValueType = stvStringGx;
    ParseSTFilterExpression("1,5", number);
    ParseSTFilterExpression("1,5", text);
    FormatSettings = saved;
    EXPECT_EQ(number.Operator1, fopEqualGx);
    EXPECT_EQ(OperandText(number.Operand1), "1.5");
    EXPECT_EQ(text.Operator1, fopInGx);
}

TEST(FilterExpression, FaultsNameTheWholeText) {
    const struct {
        const char* Text;
        const char* Message;
    } cases[] = {
        {"'abc", "Quote is absent: 'abc"},
        {"  In 1 ", "'(' expected: In 1"},
        {"In(1,2", "')' expected: In(1,2"},
        {"(5", "Error in expression: (5"},
        {"NOT 5", "Error in expression: NOT 5"},
        {"AND 5", "Error in expression: AND 5"},
        {"> null", "Unexpected expression before Null: > null"},
        {">", "Unexpected expression after operator: >"},
        {"> (", "Unexpected expression after operator: > ("},
        {"> 1,2", "Unexpected expression after operator: > 1,2"},
        {"> 5 < 10", "Unexpected AND or OR: > 5 < 10"},
        {"> 5 (", "Incorrect expression: > 5 ("},
        {"> 5 AND (", "Incorrect expression: > 5 AND ("},
        // Nothing after the second comparison is dropped unseen.
        {"> 5 AND < 10 OR > 20", "Incorrect expression: > 5 AND < 10 OR > 20"},
        {"> 5 AND < 10 )", "Incorrect expression: > 5 AND < 10 )"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        TSTFilterExpressionGx e;
        e.ValueType = stvNumberGx;
        try {
            ParseSTFilterExpression(c.Text, e);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& x) {
            ADD_FAILURE() << "conversion error " << x.Message();
        } catch (const Exception& x) {
            EXPECT_EQ(x.Message(), c.Message);
        }
    }
    // A text that is no number in a number column is the run-time's conversion error.
    TSTFilterExpressionGx e;
    e.ValueType = stvNumberGx;
    EXPECT_THROW(ParseSTFilterExpression("> abc", e), EConvertError);
}

TEST(FilterExpression, ALongRunOfNotsIsRefusedWithoutExhaustingTheStack) {
    TSTFilterExpressionGx e;
    e.ValueType = stvStringGx;
    std::string text(100000, '!');
    EXPECT_THROW(ParseSTFilterExpression(text, e), Exception);
}

TEST(FilterExpression, ReadsBackAsTheFilterRowShowsIt) {
    const struct {
        const char* Text;
        TSTFilterValueTypeGx Type;
        const char* Shown;
    } cases[] = {
        {"abc", stvStringGx, "~ 'abc'"},
        {">5 and <10", stvNumberGx, "> 5 AND < 10"},
        {"=null", stvNumberGx, "=Null"},
        {"<>null", stvStringGx, "<>Null"},
        {"1,2", stvNumberGx, "In (1,2)"},
        {"!in(a,b)", stvStringGx, "!In (a,b)"},
        {">= 3/8/2024", stvDateTimeGx, ">= 3/8/2024"},
        {"", stvStringGx, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        TSTFilterExpressionGx e;
        e.ValueType = c.Type;
        ParseSTFilterExpression(c.Text, e);
        EXPECT_EQ(STFilterExpressionText(e), c.Shown);
    }
}

// ---------------------------------------------------------------------------
// What the data set receives

class FilterRowDataSet : public FleetGridTest {};

TEST_F(FilterRowDataSet, EachExpressionBecomesTheQuerysFilterAndLeavesTheRightRows) {
    const struct {
        const char* Field;
        const char* Text;
        const char* Filter;  // what the query receives
        std::vector<int> Ids;
    } cases[] = {
        {"Name", "Alpha", "[Name] LIKE 'Alpha'", {1}},
        {"Name", "alpha*", "[Name] LIKE 'alpha*'", {1, 6}},
        {"Name", "!~Alpha*", "[Name] NOT LIKE 'Alpha*'", {2, 3, 4}},
        {"Name", "NOT LIKE %a", "[Name] NOT LIKE '%a'", {3, 6}},
        {"Name", "O'Neil", "[Name] LIKE 'O''Neil'", {3}},
        {"Name", "= O'Neil", "[Name] = 'O''Neil'", {3}},
        {"Name", "'Beta'", "[Name] LIKE 'Beta'", {2}},
        {"Name", "x' OR 1=1", "([Name] LIKE 'x''' OR [Name] LIKE '1=1')", {}},
        {"Name", "Alpha,Beta", "([Name] = 'Alpha' OR [Name] = 'Beta')", {1, 2}},
        {"Name", "In(Alpha,O'Neil)", "([Name] = 'Alpha' OR [Name] = 'O''Neil')", {1, 3}},
        {"Name", "!In(Alpha,Beta)", "([Name] <> 'Alpha' AND [Name] <> 'Beta')", {3, 4, 6}},
        {"Name", "=Null", "[Name] = NULL", {5}},
        {"Name", "<>null", "[Name] <> NULL", {1, 2, 3, 4, 6}},
        {"Name", "> B", "[Name] > 'B'", {2, 3, 4}},
        {"Metal", "500", "[Metal] = 500", {3}},
        {"Metal", "> 100 AND < 750", "([Metal] > 100 AND [Metal] < 750)", {2, 3}},
        {"Metal", "<= 100 | >= 1000", "([Metal] <= 100 OR [Metal] >= 1000)", {1, 5, 6}},
        {"Metal", ">=250 & <>500", "([Metal] >= 250 AND [Metal] <> 500)", {2, 4, 5}},
        {"Metal", "!=500", "[Metal] <> 500", {1, 2, 4, 5, 6}},
        {"Metal", "< 50", "[Metal] < 50", {}},
        {"Metal", "> -5 AND < 1e300", "([Metal] > -5 AND [Metal] < 1e+300)", {1, 2, 3, 4, 5, 6}},
        {"Debris", "0.000001", "[Debris] = 1e-06", {}},
        {"Metal", "In(100, 1000)", "([Metal] = 100 OR [Metal] = 1000)", {1, 5}},
        {"Metal", "NOT IN (100,1000)", "([Metal] <> 100 AND [Metal] <> 1000)", {2, 3, 4, 6}},
        {"Debris", "=Null", "[Debris] = NULL", {2, 6}},
        {"Debris", "1.5", "[Debris] = 1.5", {1}},
        {"Debris", "> 3", "[Debris] > 3", {3, 4, 5}},
        {"Seen", ">= 3/8/2024", "[Seen] >= #2024-03-08 00:00:00#", {2, 3, 5}},
        {"Seen", "< 3/8/2024 AND <> Null", "([Seen] < #2024-03-08 00:00:00# AND [Seen] <> NULL)", {1, 6}},
        {"Seen", "3/8/2024 12:00", "[Seen] = #2024-03-08 12:00:00#", {2}},
        {"Seen", "=Null", "[Seen] = NULL", {4}},
        {"Name", "", "", {1, 2, 3, 4, 5, 6}},
        {"Metal", "   ", "", {1, 2, 3, 4, 5, 6}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Field) + ": " + c.Text);
        for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->STFilter()->Clear();
        Column(c.Field)->STFilter()->SetExpressionText(c.Text);
        DBGridGxDataService()->ApplyFilter(grid);
        EXPECT_EQ(query->Filter(), c.Filter);
        EXPECT_EQ(query->Filtered(), *c.Filter != 0);
        EXPECT_EQ(Ids(), c.Ids);
    }
}

TEST_F(FilterRowDataSet, ColumnsCombineWithAndAndTheCurrentRecordStaysWhenItPasses) {
    query->Locate("ID", 6, {});
    Column("Name")->STFilter()->SetExpressionText("Alpha*");
    Column("Metal")->STFilter()->SetExpressionText("< 500");
    DBGridGxDataService()->ApplyFilter(grid);
    EXPECT_EQ(query->Filter(), "[Name] LIKE 'Alpha*' AND [Metal] < 500");
    EXPECT_EQ(Ids(), (std::vector<int>{1, 6}));
    EXPECT_EQ(query->FieldByName("ID")->AsInteger(), 6);
}

TEST_F(FilterRowDataSet, AFaultyTextKeepsTheCellsTextAndTheDataSetsFilter) {
    Column("Metal")->STFilter()->SetExpressionText("> 100");
    DBGridGxDataService()->ApplyFilter(grid);
    EXPECT_THROW(Column("Metal")->STFilter()->SetExpressionText("> 5 AND < 10 OR > 20"), Exception);
    EXPECT_EQ(Column("Metal")->STFilter()->ExpressionText(), "> 100");
    EXPECT_EQ(Column("Metal")->STFilter()->Expression().Operator1, fopGreaterGx);
    // A LIKE on a number is the data set's own refusal; the filter in force stays.
    Column("Metal")->STFilter()->SetExpressionText("~5");
    EXPECT_THROW(DBGridGxDataService()->ApplyFilter(grid), EDatabaseError);
    EXPECT_EQ(query->Filter(), "[Metal] > 100");
    EXPECT_TRUE(query->Filtered());
    EXPECT_EQ(Ids(), (std::vector<int>{2, 3, 4, 5}));
}

}  // namespace

// Every digit of a number and the milliseconds of a date reach the data set's
// filter: the typed value finds its row, and only its row.
TEST_F(FilterRowDataSet, LiteralsKeepEveryDigitAndTheMilliseconds) {
    query->Close();
    connection->Execute(
        "UPDATE Fleet SET Metal = 1234567890123456 WHERE ID = 4;"
        "UPDATE Fleet SET Debris = 0.30000000000000004, Seen = '2024-03-08 23:59:59.700' WHERE ID = 2;");
    query->Open();
    const struct {
        const char* Field;
        const char* Text;
        std::vector<int> Ids;
    } cases[] = {
        {"Metal", "= 1234567890123456", {4}},
        {"Metal", "1234567890123457", {}},
        {"Metal", "> 1234567890123455", {4}},
        {"Debris", "0.30000000000000004", {2}},
        {"Debris", "0.3", {}},
        {"Seen", "3/8/2024 23:59:59.700", {2}},
        {"Seen", "3/9/2024", {3}},
        {"Seen", "< 3/8/2024 23:59:59.700", {1, 6}},
        {"Seen", "> 3/8/2024 23:59:59.699", {2, 3, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Field) + ": " + c.Text);
        for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->STFilter()->Clear();
        Column(c.Field)->STFilter()->SetExpressionText(c.Text);
        DBGridGxDataService()->ApplyFilter(grid);
        EXPECT_EQ(Ids(), c.Ids) << query->Filter();
    }
}
