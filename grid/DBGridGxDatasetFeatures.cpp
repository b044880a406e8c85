#include "grid/DBGridGxDatasetFeatures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "grid/DBGridGx.h"
#include "platform/db/DbClassInfo.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

namespace {

// A field name as the filter and sort texts read it whatever its letters.
AnsiString BracketedName(const AnsiString& Name) {
    if (Name.find(']') != AnsiString::npos) throw Exception("The field name cannot be filtered or sorted: " + Name);
    return "[" + Name + "]";
}

// A literal of the filter text: numbers with a point, dates between #, the rest
// quoted. Numbers keep every digit (the shortest text that reads back as the
// same value) and dates their milliseconds, so a typed value finds its row.
AnsiString Literal(const Variant& Value, TSTFilterValueTypeGx Type) {
    if (VarType(Value) == varDate) return "#" + DateTimeToSqlTextExact(Value.AsDateTime()) + "#";
    if (VarIsOrdinal(Value) && VarType(Value) != varBoolean) return IntToStr(static_cast<long long>(Value.AsInt64()));
    if (VarIsNumeric(Value)) {
        const double value = Value.AsDouble();
        if (!std::isfinite(value)) throw EConvertError("'" + VarToStr(Value) + "' is not a valid number");
        char buffer[40];
        for (int digits = 15; digits <= 17; ++digits) {
            std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
            if (std::strtod(buffer, nullptr) == value) break;
        }
        return buffer;
    }
    AnsiString text = VarToStr(Value);
    if (Type == stvBooleanGx) {
        AnsiString word = AnsiUpperCase(Trim(text));
        if (word == "TRUE" || word == "1") return "1";
        if (word == "FALSE" || word == "0") return "0";
    }
    return QuotedStr(text);
}

// F IN (a, b) as (F = a OR F = b); F NOT IN (a, b) as (F <> a AND F <> b).
AnsiString ListComparison(const AnsiString& Field, bool Negated, const Variant& Operand,
                          TSTFilterValueTypeGx Type) {
    const char* op = Negated ? " <> " : " = ";
    if (!Operand.IsArray()) return Field + op + Literal(Operand, Type);
    AnsiString text;
    for (int i = Operand.LowBound(1); i <= Operand.HighBound(1); ++i) {
        if (!text.empty()) text += Negated ? " AND " : " OR ";
        text += Field + op + Literal(Operand[i], Type);
    }
    return "(" + text + ")";
}

AnsiString Comparison(const AnsiString& Field, TSTFilterOperatorGx Op, const Variant& Operand,
                      TSTFilterValueTypeGx Type) {
    switch (Op) {
        case fopIsNullGx: return Field + " = NULL";
        case fopIsNotNullGx: return Field + " <> NULL";
        case fopInGx: return ListComparison(Field, false, Operand, Type);
        case fopNotInGx: return ListComparison(Field, true, Operand, Type);
        case fopEqualGx: case fopNotEqualGx: case fopGreaterGx: case fopLessGx: case fopGreaterOrEqualGx:
        case fopLessOrEqualGx: case fopLikeGx: case fopNotLikeGx:
            return Field + " " + STFilterOperatorSql(Op) + " " + Literal(Operand, Type);
        default: return AnsiString();
    }
}

}  // namespace

AnsiString STFilterExpressionToFilterText(const AnsiString& FieldName, const TSTFilterExpressionGx& Expression) {
    if (Expression.Operator1 == fopNoneGx) return AnsiString();
    const AnsiString field = BracketedName(FieldName);
    AnsiString first = Comparison(field, Expression.Operator1, Expression.Operand1, Expression.ValueType);
    if (Expression.Relation == fopNoneGx || Expression.Operator2 == fopNoneGx) return first;
    AnsiString second = Comparison(field, Expression.Operator2, Expression.Operand2, Expression.ValueType);
    return "(" + first + " " + STFilterOperatorSql(Expression.Relation) + " " + second + ")";
}

AnsiString GridFilterText(TCustomDBGridGx* Grid) {
    AnsiString text;
    TDBGridColumnsGx* columns = Grid->Columns();
    for (int i = 0; i < columns->Count(); ++i) {
        TColumnGx* column = columns->Items(i);
        TSTColumnFilterGx* filter = column->STFilter();
        if (column->FieldName().empty()) continue;
        TSTFilterExpressionGx expression = filter->Expression();
        // With a key field the typed text stands for the key it maps to.
        if (!filter->GetKeyField().empty() && expression.Operator1 == fopInGx) expression.Operand1 = filter->KeyValue();
        AnsiString part = STFilterExpressionToFilterText(filter->GetDataField(), expression);
        if (part.empty()) continue;
        if (!text.empty()) text += " AND ";
        text += part;
    }
    return text;
}

AnsiString GridSortText(TCustomDBGridGx* Grid) {
    AnsiString text;
    TColumnsGxList* marked = Grid->SortMarkedColumns();
    for (int i = 0; i < marked->Count(); ++i) {
        TColumnGx* column = marked->Items(i);
        if (!column || column->Title()->SortMarker() == smNoneGx) continue;
        TField* field = column->Field();
        // Only stored fields can order the rows.
        if (!field || field->FieldKind() != fkData) continue;
        if (!text.empty()) text += ", ";
        text += BracketedName(field->FieldName()) + (column->Title()->SortMarker() == smDownGx ? " DESC" : " ASC");
    }
    return text;
}

void TTextDatasetFeaturesGx::ApplySorting(TCustomDBGridGx* Grid, TDataSet* DataSet, bool KeepRecord) {
    AnsiString sort = GridSortText(Grid);
    if (sort == DataSet->Sort()) return;
    TRecordKeeper keeper(DataSet, KeepRecord);
    DataSet->SetSort(sort);
    keeper.Restore();
}

void TTextDatasetFeaturesGx::ApplyFilter(TCustomDBGridGx* Grid, TDataSet* DataSet, bool KeepRecord) {
    AnsiString filter = GridFilterText(Grid);
    TRecordKeeper keeper(DataSet, KeepRecord);
    if (filter.empty()) {
        DataSet->SetFiltered(false);
        DataSet->SetFilter(AnsiString());
    } else if (DataSet->Filtered()) {
        // Checked against the fields before anything changes.
        DataSet->SetFilter(filter);
    } else {
        AnsiString old = DataSet->Filter();
        DataSet->SetFilter(filter);
        try {
            DataSet->SetFiltered(true);
        } catch (...) {
            DataSet->SetFilter(old);
            throw;
        }
    }
    keeper.Restore();
}

// The copies go in first and the records leave afterwards, so a post refused
// half-way takes back the copies made so far and nothing is lost; a Null value
// moves as Null, not as the value a new record starts with.
TBookmarkStr MoveDataSetRecords(TDataSet* DataSet, const std::vector<TBookmarkStr>& Moved, const TBookmarkStr& Anchor,
                                const std::function<void(size_t)>& Adjust) {
    // They keep their order among themselves.
    std::vector<TBookmarkStr> moved = Moved;
    std::stable_sort(moved.begin(), moved.end(), [DataSet](const TBookmarkStr& a, const TBookmarkStr& b) {
        return DataSet->CompareBookmarks(a, b) < 0;
    });
    std::vector<std::vector<std::pair<TField*, Variant>>> values;
    for (const TBookmarkStr& b : moved) {
        DataSet->GotoBookmark(b);
        auto& record = values.emplace_back();
        for (int i = 0; i < DataSet->FieldCount(); ++i) {
            TField* f = DataSet->Fields()->Fields(i);
            if (f->FieldKind() == fkData) record.emplace_back(f, f->Value());
        }
    }
    auto abandon = [DataSet] {
        if (DataSet->State() == dsInsert || DataSet->State() == dsEdit) DataSet->Cancel();
    };
    auto remove = [&](const TBookmarkStr& b) {
        try {
            if (!DataSet->BookmarkValid(b)) return;
            DataSet->GotoBookmark(b);
            DataSet->Delete();
        } catch (...) {
            abandon();
        }
    };
    std::vector<TBookmarkStr> copies;
    try {
        // Each goes in right before the anchor, after the ones before it (without one, at the end).
        for (size_t i = 0; i < values.size(); ++i) {
            if (Anchor.empty()) {
                DataSet->Append();
            } else {
                DataSet->GotoBookmark(Anchor);
                DataSet->Insert();
            }
            for (const auto& [f, v] : values[i]) {
                if (v.IsNull()) f->Clear();
                else f->SetValue(v);
            }
            if (Adjust) Adjust(i);
            DataSet->Post();
            copies.push_back(DataSet->Bookmark());
        }
    } catch (...) {
        abandon();
        for (auto it = copies.rbegin(); it != copies.rend(); ++it) remove(*it);
        throw;
    }
    // A record that refuses to leave stays, and its copy goes instead.
    std::exception_ptr refused;
    for (size_t i = 0; i < moved.size(); ++i) {
        try {
            DataSet->GotoBookmark(moved[i]);
            DataSet->Delete();
        } catch (...) {
            abandon();
            if (!refused) refused = std::current_exception();
            remove(copies[i]);
            copies[i].clear();
        }
    }
    TBookmarkStr first;
    for (const TBookmarkStr& b : copies)
        if (!b.empty()) {
            first = b;
            break;
        }
    if (!first.empty()) DataSet->GotoBookmark(first);
    if (refused) std::rethrow_exception(refused);
    return first;
}

bool TMemoryDatasetFeaturesGx::MoveRecords(TCustomDBGridGx* Grid, TStrings* Bookmarks, int Target, int Offset,
                                           bool OnlyTest) {
    auto* table = dynamic_cast<TStMemoryData*>(Grid->DataSource() ? Grid->DataSource()->DataSet() : nullptr);
    if (!table || !table->Active() || !table->CanModify() || table->ApplyMode() != amNone || !table->Sort().empty())
        return false;
    for (int i = 0; i < table->FieldCount(); ++i) {
        TField* f = table->Fields()->Fields(i);
        if (f->FieldKind() == fkData && (f->DataType() == ftAutoInc || f->ReadOnly())) return false;
    }
    std::vector<TBookmarkStr> moved;
    for (int i = 0; i < Bookmarks->Count(); ++i) {
        if (!table->BookmarkValid(Bookmarks->Strings(i))) return false;
        moved.push_back(Bookmarks->Strings(i));
    }
    if (moved.empty() || OnlyTest) return !moved.empty();
    table->CheckBrowseMode();
    table->DisableControls();
    auto enable = MakeScopeGuard([table] { table->EnableControls(); });
    // The anchor: the first record from Target + Offset on that does not move.
    TBookmarkStr anchor;
    for (int recNo = std::max(Target + Offset, 1); recNo <= table->RecordCount(); ++recNo) {
        table->SetRecNo(recNo);
        TBookmarkStr b = table->Bookmark();
        if (std::find(moved.begin(), moved.end(), b) == moved.end()) {
            anchor = b;
            break;
        }
    }
    MoveDataSetRecords(table, moved, anchor);
    return true;
}

void RegisterDBGridGxDatasetFeatures() {
    static const bool done = [] {
        RegisterDbClasses();
        RegisterDatasetFeatures(ClassInfoOf<TCustomADODataSet>(), new TTextDatasetFeaturesGx);
        RegisterDatasetFeatures(ClassInfoOf<TStMemoryData>(), new TMemoryDatasetFeaturesGx);
        return true;
    }();
    (void)done;
}
