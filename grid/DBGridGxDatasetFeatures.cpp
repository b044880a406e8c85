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

namespace {

using TRecordValues = std::vector<std::pair<TField*, Variant>>;

// The data set's own events, and its fields' validation and change events,
// silenced while it lives. Taking a move back undoes the move's own copies
// and deletes, no edit of the user's: a handler that refused a delete or a
// post there would leave a record twice, or lose one.
class TQuietDataSet {
public:
    explicit TQuietDataSet(TDataSet* DataSet) : dataSet_(DataSet) {
        for (auto event : kEvents) {
            events_.push_back(DataSet->*event);
            (DataSet->*event).Clear();
        }
        for (int i = 0; i < DataSet->FieldCount(); ++i) {
            TField* f = DataSet->Fields()->Fields(i);
            fields_.push_back({f, f->OnValidate, f->OnChange});
            f->OnValidate.Clear();
            f->OnChange.Clear();
        }
    }
    ~TQuietDataSet() {
        for (size_t i = 0; i < std::size(kEvents); ++i) dataSet_->*kEvents[i] = events_[i];
        for (const TFieldEvents& f : fields_) {
            f.Field->OnValidate = f.OnValidate;
            f.Field->OnChange = f.OnChange;
        }
    }
    TQuietDataSet(const TQuietDataSet&) = delete;
    TQuietDataSet& operator=(const TQuietDataSet&) = delete;

private:
    static constexpr TDataSetNotifyEvent TDataSet::*kEvents[] = {
        &TDataSet::BeforeInsert, &TDataSet::AfterInsert, &TDataSet::BeforeEdit,   &TDataSet::AfterEdit,
        &TDataSet::BeforePost,   &TDataSet::AfterPost,   &TDataSet::BeforeCancel, &TDataSet::AfterCancel,
        &TDataSet::BeforeDelete, &TDataSet::AfterDelete, &TDataSet::BeforeScroll, &TDataSet::AfterScroll,
        &TDataSet::OnNewRecord};
    struct TFieldEvents {
        TField* Field;
        TFieldNotifyEvent OnValidate, OnChange;
    };
    TDataSet* dataSet_;
    std::vector<TDataSetNotifyEvent> events_;
    std::vector<TFieldEvents> fields_;
};

void AbandonEdit(TDataSet* DataSet) {
    if (DataSet->State() == dsInsert || DataSet->State() == dsEdit) DataSet->Cancel();
}

// A record with these values goes in before Before (at the end when that is
// empty or gone) and is posted; its bookmark is added to Into as soon as it
// is stored, also when the post raises after that (in AfterPost).
void PutRecord(TDataSet* DataSet, const TRecordValues& Values, const TBookmarkStr& Before,
               const std::function<void()>& Adjust, std::vector<TBookmarkStr>& Into) {
    if (Before.empty() || !DataSet->BookmarkValid(Before)) {
        DataSet->Append();
    } else {
        DataSet->GotoBookmark(Before);
        DataSet->Insert();
    }
    for (const auto& [f, v] : Values) {
        if (v.IsNull()) f->Clear();
        else f->SetValue(v);
    }
    if (Adjust) Adjust();
    try {
        DataSet->Post();
    } catch (...) {
        if (DataSet->State() == dsBrowse) Into.push_back(DataSet->Bookmark());
        throw;
    }
    Into.push_back(DataSet->Bookmark());
}

// Takes a move back: each record that left goes in again where it stood
// (before the record that followed it; the last first, so that one put back
// can be the next one's place), then the copies leave. PutBack hears each
// record put in again under its new bookmark.
void TakeBackMove(TDataSet* DataSet, const std::vector<TBookmarkStr>& Moved, const std::vector<TBookmarkStr>& Next,
                  const std::vector<TRecordValues>& Values, const std::vector<TBookmarkStr>& Copies,
                  const TMovedBackEvent& PutBack) {
    TQuietDataSet quiet(DataSet);
    AbandonEdit(DataSet);
    std::vector<std::pair<TBookmarkStr, TBookmarkStr>> back;
    for (size_t i = Moved.size(); i-- > 0;) {
        if (DataSet->BookmarkValid(Moved[i])) continue;
        TBookmarkStr before = Next[i];
        for (const auto& [was, now] : back)
            if (was == before) before = now;
        std::vector<TBookmarkStr> put;
        PutRecord(DataSet, Values[i], before, nullptr, put);
        back.emplace_back(Moved[i], put.back());
    }
    for (auto it = Copies.rbegin(); it != Copies.rend(); ++it) {
        if (!DataSet->BookmarkValid(*it)) continue;
        DataSet->GotoBookmark(*it);
        DataSet->Delete();
    }
    if (PutBack)
        for (const auto& [was, now] : back) PutBack(was, now);
}

}  // namespace

// The copies go in first and the records leave afterwards. Whatever the data
// set refuses on the way (a post, a delete), the move is taken back whole:
// the set is as it was or as moved, never with a record twice or one lost.
// A Null value moves as Null, not as the value a new record starts with.
TBookmarkStr MoveDataSetRecords(TDataSet* DataSet, const std::vector<TBookmarkStr>& Moved, const TBookmarkStr& Anchor,
                                const std::function<void(size_t)>& Adjust, const TMovedBackEvent& PutBack) {
    // They keep their order among themselves.
    std::vector<TBookmarkStr> moved = Moved;
    std::stable_sort(moved.begin(), moved.end(), [DataSet](const TBookmarkStr& a, const TBookmarkStr& b) {
        return DataSet->CompareBookmarks(a, b) < 0;
    });
    std::vector<TRecordValues> values;
    std::vector<TBookmarkStr> next;  // the record after each, for taking the move back
    for (const TBookmarkStr& b : moved) {
        DataSet->GotoBookmark(b);
        auto& record = values.emplace_back();
        for (int i = 0; i < DataSet->FieldCount(); ++i) {
            TField* f = DataSet->Fields()->Fields(i);
            if (f->FieldKind() == fkData) record.emplace_back(f, f->Value());
        }
        next.push_back(DataSet->MoveBy(1) == 1 ? DataSet->Bookmark() : TBookmarkStr());
    }
    std::vector<TBookmarkStr> copies;
    try {
        // Each goes in right before the anchor, after the ones before it (without one, at the end).
        for (size_t i = 0; i < values.size(); ++i)
            PutRecord(DataSet, values[i], Anchor, Adjust ? std::function<void()>([&] { Adjust(i); }) : nullptr, copies);
        for (const TBookmarkStr& b : moved) {
            DataSet->GotoBookmark(b);
            DataSet->Delete();
        }
    } catch (...) {
        TakeBackMove(DataSet, moved, next, values, copies, PutBack);
        throw;
    }
    TBookmarkStr first = copies.empty() ? TBookmarkStr() : copies.front();
    if (!first.empty()) DataSet->GotoBookmark(first);
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
    // Records a refused move put in again keep their place in the caller's list.
    MoveDataSetRecords(table, moved, anchor, nullptr, [Bookmarks](const TBookmarkStr& Was, const TBookmarkStr& Now) {
        for (int i = 0; i < Bookmarks->Count(); ++i)
            if (Bookmarks->Strings(i) == Was) Bookmarks->SetStrings(i, Now);
    });
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
