#include "grid/DBGridGxInterceptors.h"

#include <algorithm>
#include <vector>

#include "grid/DBGridGx.h"
#include "platform/rtti/Published.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

namespace {

// "a","b",c -> a, b, c: split at commas, blanks around an item and its enclosing double quotes removed.
std::vector<AnsiString> SplitNames(const AnsiString& Text) {
    std::vector<AnsiString> names;
    if (Trim(Text).empty()) return names;
    size_t start = 0;
    for (;;) {
        size_t comma = Text.find(',', start);
        AnsiString item = Trim(Text.substr(start, comma == AnsiString::npos ? AnsiString::npos : comma - start));
        if (item.size() >= 2 && item.front() == '"' && item.back() == '"') item = item.substr(1, item.size() - 2);
        names.push_back(item);
        if (comma == AnsiString::npos) break;
        start = comma + 1;
    }
    return names;
}

}  // namespace

AnsiString TColumnsGxPropertyInterceptor::ColumnsIndex() const {
    AnsiString text;
    TDBGridColumnsGx* columns = Columns();
    if (!columns) return text;
    for (int i = 0; i < columns->Count(); ++i) {
        if (i > 0) text += ",";
        text += "\"" + columns->Items(i)->FieldName() + "\"";
    }
    return text;
}

void TColumnsGxPropertyInterceptor::SetColumnsIndex(const AnsiString& Value) {
    columnsIndex_ = Value;
    TDBGridColumnsGx* columns = Columns();
    if (!columns) return;
    const std::vector<AnsiString> names = SplitNames(Value);
    columns->BeginUpdate();
    auto end = MakeScopeGuard([columns] { columns->EndUpdate(); });
    for (size_t i = 0; i < names.size(); ++i) {
        for (int c = 0; c < columns->Count(); ++c) {
            if (AnsiCompareStr(columns->Items(c)->FieldName(), names[i]) != 0) continue;
            columns->Items(c)->SetIndex(std::min(static_cast<int>(i), columns->Count() - 1));
            break;
        }
    }
}

int TColumnGxPropertyInterceptor::Width() const {
    TColumnGx* column = Column();
    return column ? column->Width() : 0;
}

void TColumnGxPropertyInterceptor::SetWidth(int Value) {
    TColumnGx* column = Column();
    if (!column) return;
    TCustomDBGridGx* grid = column->GetGrid();
    if (grid && grid->AutoFitColWidths()) {
        column->width_ = Value;
        column->SetAssigned(TColumnGx::cvWidth, true);
    } else {
        column->SetWidth(Value);
    }
}

TESK_PUBLISHED(TColumnsGxPropertyInterceptor) {
    Property("ColumnsIndex", &T::ColumnsIndex, &T::SetColumnsIndex);
}

TESK_PUBLISHED(TColumnGxPropertyInterceptor) {
    Property("Width", &T::Width, &T::SetWidth);
}

void RegisterDBGridGxPropertyInterceptors() {
    static const bool done = [] {
        RegisterClasses({ClassInfoOf<TColumnsGxPropertyInterceptor>(), ClassInfoOf<TColumnGxPropertyInterceptor>()});
        RegisterPropertyInterceptor(ClassInfoOf<TDBGridColumnsGx>(), InterceptorClassOf<TColumnsGxPropertyInterceptor>());
        RegisterPropertyInterceptor(ClassInfoOf<TColumnGx>(), InterceptorClassOf<TColumnGxPropertyInterceptor>());
        return true;
    }();
    (void)done;
}
