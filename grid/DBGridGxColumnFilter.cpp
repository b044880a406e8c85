// A column's filter-row cell: its text, what the text parses to, and the
// value list (a list source, or a lookup field's list) that maps a typed
// display text to a key.
#include "grid/DBGridGx.h"
#include "platform/rtl/SysUtils.h"

namespace {

TField* LookupFieldOf(TColumnGx* Column) {
    TField* f = Column ? Column->Field() : nullptr;
    return f && f->Lookup() ? f : nullptr;
}

}  // namespace

AnsiString TSTColumnFilterGx::GetDataField() {
    if (!dataField_.empty()) return dataField_;
    if (TField* f = LookupFieldOf(column_)) return f->KeyFields();
    return column_ ? column_->FieldName() : AnsiString();
}

AnsiString TSTColumnFilterGx::GetKeyField() {
    if (!keyField_.empty()) return keyField_;
    if (TField* f = LookupFieldOf(column_)) return f->LookupKeyFields();
    return AnsiString();
}

AnsiString TSTColumnFilterGx::GetListField() {
    if (!listField_.empty()) return listField_;
    if (TField* f = LookupFieldOf(column_)) return f->LookupResultField();
    return AnsiString();
}

TDataSet* TSTColumnFilterGx::GetListDataSet() {
    if (listSource_) return listSource_->DataSet();
    if (TField* f = LookupFieldOf(column_)) return f->LookupDataSet();
    return nullptr;
}

// No data set of ours reads its rows through the grid's record-access interface,
// so only a list source gives the filter cell a list.
bool TSTColumnFilterGx::HasListSource() { return listSource_ != nullptr; }

Variant TSTColumnFilterGx::GetKeyValue() { return GetKeyField().empty() ? expression_.Operand1 : keyValue_; }

Variant TSTColumnFilterGx::GetOperand2() { return expression_.Operand2; }

void TSTColumnFilterGx::SetExpressionText(const AnsiString& Value) {
    // Parsed into a copy: a text that does not parse leaves text and expression as they were.
    TSTFilterExpressionGx parsed = expression_;
    Variant key = keyValue_;
    if (!GetKeyField().empty()) {
        parsed.ValueType = stvStringGx;
        ParseSTFilterExpression(Value, parsed);
        if (parsed.Operator1 != fopIsNullGx && parsed.Operator1 != fopIsNotNullGx) {
            const bool empty = Trim(Value).empty();
            TDataSet* list = GetListDataSet();
            if (empty)
                key = Null();
            else if (list)
                key = list->Lookup(GetListField(), Trim(Value), GetKeyField());
            ClearSTFilterExpression(parsed);
            // A text that names no list item filters for rows without a key.
            if (empty)
                parsed.Operator1 = fopNoneGx;
            else if (key.IsNull())
                parsed.Operator1 = fopIsNullGx;
            else {
                parsed.Operator1 = fopInGx;
                parsed.Operand1 = Trim(Value);
            }
        } else {
            key = Null();
        }
    } else {
        TCustomDBGridGx* grid = column_ ? column_->GetGrid() : nullptr;
        TDataSet* ds = grid && grid->DataSource() ? grid->DataSource()->DataSet() : nullptr;
        TField* f = ds ? ds->FindField(GetDataField()) : nullptr;
        if (!f && column_) f = column_->Field();
        if (f) parsed.ValueType = STFilterValueTypeOf(f->DataType());
        ParseSTFilterExpression(Value, parsed);
    }
    expression_ = parsed;
    keyValue_ = key;
    expressionText_ = Value;
}

void TSTColumnFilterGx::Clear() {
    keyValue_ = Null();
    SetExpressionText(AnsiString());
    TCustomDBGridGx* grid = column_ ? column_->GetGrid() : nullptr;
    if (grid && grid->FilterEditing() && grid->FilterEditColumn() == column_->Index()) grid->UpdateFilterEdit(true);
}

void TSTColumnFilterGx::GetExpressionText(AnsiString& Text) {
    if (!listSource_) {
        Text = STFilterExpressionText(expression_);
        return;
    }
    const Variant& v = expression_.Operand1;
    if (!v.IsArray()) {
        Text = VarToStr(v);
        return;
    }
    Text.clear();
    for (int i = v.LowBound(1); i <= v.HighBound(1); ++i) {
        if (i > v.LowBound(1)) Text += ",";
        Text += "'" + VarToStr(v[i]) + "'";
    }
}
