#include "grid/DBGridGxInterceptors.h"

#include <algorithm>
#include <vector>

#include "grid/DBGridGx.h"
#include "platform/rtti/Published.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

namespace {

// "a","b,c",d -> a, b,c, d: a name in double quotes runs to its closing quote
// (a doubled quote inside stands for one), so it may hold commas; a name
// without quotes runs to the next comma, blanks around it removed.
std::vector<AnsiString> SplitNames(const AnsiString& Text) {
    std::vector<AnsiString> names;
    if (Trim(Text).empty()) return names;
    size_t pos = 0;
    for (;;) {
        while (pos < Text.size() && Text[pos] == ' ') ++pos;
        AnsiString item;
        if (pos < Text.size() && Text[pos] == '"') {
            for (++pos; pos < Text.size(); ++pos) {
                if (Text[pos] != '"') item += Text[pos];
                else if (pos + 1 < Text.size() && Text[pos + 1] == '"') item += Text[++pos];
                else break;
            }
            size_t comma = Text.find(',', pos);
            pos = comma;
        } else {
            size_t comma = Text.find(',', pos);
            item = Trim(Text.substr(pos, comma == AnsiString::npos ? AnsiString::npos : comma - pos));
            pos = comma;
        }
        names.push_back(item);
        if (pos == AnsiString::npos) break;
        ++pos;
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
        text += AnsiQuotedStr(columns->Items(i)->FieldName(), '"');
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
