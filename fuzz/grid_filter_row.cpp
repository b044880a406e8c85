// Fuzzes the filter row's expression parser. Input layout: one byte of options
// (bits 0-2: the column's value type, 0 to 4; bit 3: the comma is the decimal
// separator), then the cell's text. The general exception (with one of the
// parser's texts) and the conversion error are the expected answers to a bad
// text. A text that parses must render, and the filter text it becomes must
// be one the data sets' own filter parser accepts. A crash, a
// hang, deep recursion or any other exception is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "grid/DBGridGxDatasetFeatures.h"
#include "grid/DbUtilsGxFilterExpression.h"
#include "platform/db/DBFilter.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 1) return 0;
    const uint8_t options = Data[0];
    const std::string text(reinterpret_cast<const char*>(Data) + 1, Size - 1);
    TSTFilterExpressionGx expression;
    expression.ValueType = static_cast<TSTFilterValueTypeGx>((options & 7) % 5);
    const char separator = FormatSettings.DecimalSeparator;
    FormatSettings.DecimalSeparator = (options & 8) ? ',' : '.';
    bool parsed = false;
    try {
        ParseSTFilterExpression(text, expression);
        parsed = true;
    } catch (const EConvertError&) {
    } catch (const Exception&) {
    }
    if (parsed) {
        // The shown text and the filter text never fail on a parsed expression.
        (void)STFilterExpressionText(expression);
        AnsiString filter;
        try {
            filter = STFilterExpressionToFilterText("Field", expression);
        } catch (const EConvertError&) {
            // A number too large for the filter's literals.
        }
        if (!filter.empty()) {
            try {
                TDbFilter check(filter);
            } catch (const EDatabaseError&) {
                std::abort();
            }
        }
    }
    FormatSettings.DecimalSeparator = separator;
    return 0;
}
