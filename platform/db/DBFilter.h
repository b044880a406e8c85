#pragma once
// Filter expressions in the ADO filter syntax, evaluated on typed values:
//   (LastScanned > 3/8/2024) AND (tblPlayer.Name = 'O''Neil' OR Metal >= 1000)
// Comparisons = <> < > <= >=, LIKE and NOT LIKE ('*' or '%' match any run of
// characters; a null value matches neither),
// AND, OR, parentheses, 'quoted' strings, numbers, NULL, #-quoted dates and
// unquoted dates such as 3/8/2024 read in the configured day/month order.
// Names may be qualified ("table.column") or bracketed ("[Anti-ballisticMissile]").
// Brackets nest at most 128 deep; AND and OR chains may be of any length.
#include <memory>
#include <string>
#include <vector>

#include "platform/db/DBValue.h"
#include "platform/rtl/CodePage.h"

// The order in which the filter reads dates such as 3/8/2024: the order of the
// date format given (m/d/yyyy by default, or d/m/yyyy). Process-wide, set by the
// window that writes the dates.
void SetFilterDateFormat(const AnsiString& dateFormat);
bool FilterDateDayFirst();

// Reads a date as the filter does ("3/8/2024", "2024-03-08", optionally
// followed by a time "14:05[:30]"); false when the text is no date.
bool ParseFilterDate(const AnsiString& text, double& value);

class TDbFilter {
public:
    // Parses the text; a syntax error raises EDatabaseError naming the text.
    explicit TDbFilter(const AnsiString& text);
    ~TDbFilter();
    TDbFilter(const TDbFilter&) = delete;
    TDbFilter& operator=(const TDbFilter&) = delete;

    const AnsiString& Text() const { return text_; }
    // Resolves the field names and converts the literals to the fields' types;
    // an unknown name or a value of the wrong type raises EDatabaseError.
    void Bind(TDbRowSource& source);
    // Only after Bind; a null value matches no comparison but "= NULL".
    bool Matches(uint32_t row) const;

    struct Node;

private:
    [[noreturn]] void Fail(const AnsiString& detail) const;
    bool Eval(int node, uint32_t row) const;
    bool Compare(const Node& comparison, uint32_t row) const;

    AnsiString text_;
    std::vector<Node> nodes_;
    std::vector<int> children_;     // the terms of the AND and OR groups
    std::vector<AnsiString> names_;  // each field name once
    int root_ = -1;
    TDbRowSource* source_ = nullptr;
    mutable std::string scratch_;
};
