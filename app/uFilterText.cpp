#include "app/uFilterText.h"

#include "text/uQuickStrings.h"

namespace {

AnsiString DatePart(TDateTime Day, const AnsiString& DateFormat) { return FormatDateTime(DateFormat, Day); }

bool EnclosedInQuotes(const AnsiString& Text) {
    return Text.size() >= 2 && (Text.front() == '"' || Text.front() == '\'') && Text.back() == Text.front();
}

}  // namespace

AnsiString ReplaceFilterVariables(const AnsiString& Text, TDateTime Today, const AnsiString& DateFormat,
                                  const TFilterLimits& Limits) {
    const std::pair<const char*, AnsiString> variables[] = {
        {":TODAY", DatePart(Today, DateFormat)},
        {":YESTERDAY", DatePart(Today - 1, DateFormat)},
        {":WEEK", DatePart(Today - 7, DateFormat)},
        {":MONTH", DatePart(Today - 30, DateFormat)},
        {":ASSAULT", Limits.Assault},
        {":DEFENCE", Limits.Defence},
        {":RESOURCES", Limits.Resources},
    };
    AnsiString result = Text;
    for (const auto& [name, value] : variables) result = FastReplace(result, name, value, false);
    return result;
}

AnsiString AgeFilterText(int Choice, TDateTime Today, const AnsiString& DateFormat) {
    struct AgeChoice {
        const char* Column;
        const char* Operator;
        int DaysBack;
    };
    static const AgeChoice choices[] = {
        {"LastScanned", " > ", 0},  {"LastScanned", " > ", 3},  {"LastScanned", " < ", 3},
        {"LastAttacked", " > ", 0}, {"LastAttacked", " > ", 3}, {"LastAttacked", " < ", 3},
    };
    if (Choice < 1 || Choice > 6) return "";
    const AgeChoice& c = choices[Choice - 1];
    return AnsiString("(") + c.Column + c.Operator + DatePart(Today - c.DaysBack, DateFormat) + ")";
}

AnsiString NameCondition(const AnsiString& Column, const AnsiString& Name) {
    return "(" + Column + " = " + QuotedStr(Name) + ")";
}

AnsiString SavedFilterProblem(const AnsiString& Untrimmed, const AnsiString& Filter) {
    const AnsiString Name = Trim(Untrimmed);
    if (Name.empty()) return "A filter needs a name.";
    const AnsiString quoted = "\"" + Name + "\"";
    if (Name.find('=') != AnsiString::npos) return "The filter name " + quoted + " may not hold \"=\".";
    if (Name.front() == '[' || Name.front() == ';')
        return "The filter name " + quoted + " may not start with \"[\" or \";\".";
    if (EnclosedInQuotes(Name)) return "The filter name " + quoted + " may not be enclosed in quotes.";
    if (EnclosedInQuotes(Trim(Filter)))
        return "The filter " + quoted + " may not start and end with the same quote; put it in brackets.";
    return "";
}
