// The data-aware grid: when a cell may be edited and the in-place editor's text.
#include "grid/DBGridGx.h"

#include <algorithm>
#include <cstdlib>

#include "grid/DbUtilsGx.h"
#include "grid/GxLibVCL.h"
#include "platform/classes/ShortCuts.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Streaming.h"

// ---------------------------------------------------------------------------
// Editing permissions and the editor's text

bool TCustomDBGridGx::CanEditByAllowedOperations() const {
    if (!DataLinkActive()) return false;
    TDataSet* ds = dataLink_->DataSet();
    return (allowedOperations_.Contains(alopUpdateGx) || ds->State() == dsInsert) &&
           (!ds->IsEmpty() || allowedOperations_.Contains(alopInsertGx) || allowedOperations_.Contains(alopAppendGx));
}

bool TCustomDBGridGx::InternalCanEditModify() {
    if (readOnly_ || !dataLink_->Active() || dataLink_->ReadOnly()) return false;
    int index = SelectedIndex();
    if (index < 0) return false;
    TColumnGx* column = columns_->Items(index);
    if (column->ReadOnly()) return false;
    TField* field = column->Field();
    if (!field) return false;
    if (field->Lookup()) {
        std::vector<TField*> keys;
        if (field->KeyFields().empty()) return false;
        field->DataSet()->GetFieldList(keys, field->KeyFields());
        if (keys.empty() || !FieldsCanModify(keys)) return false;
    } else if (!field->CanModify()) {
        return false;
    }
    bool memo = field->DataType() == ftMemo || field->DataType() == ftFmtMemo;
    if (field->IsBlob() && !field->OnSetText && !(memo && drawMemoText_)) return false;
    if (!column->CanModify(false)) return false;
    dataLink_->Edit();
    bool editing = dataLink_->Editing();
    if (editing) dataLink_->Modified();
    return editing;
}

bool TCustomDBGridGx::CanEditModify() {
    int index = SelectedIndex();
    if (index >= 0 && columns_->Items(index)->GetColumnType() == ctCheckboxes) return false;
    return InternalCanEditModify();
}

bool TCustomDBGridGx::CanEditShow() {
    if (layoutRunning_) return false;
    bool result = TCustomGrid::CanEditShow();
    int index = SelectedIndex();
    if (result) {
        if (index < 0) result = false;
        else {
            TColumnGx* column = columns_->Items(index);
            TColumnGxType kind = column->GetColumnType();
            if (kind == ctKeyImageList || kind == ctCheckboxes) result = false;
            // A column that cannot be changed (read-only column, field or data set) opens no editor.
            else if (column->ReadOnly() || !column->CanModify(false)) result = false;
        }
    }
    if (result && selection_->SelectionType() != gstNon)
        result = !optionsGx_.Contains(dghClearSelection) || !allowedSelections_.Contains(gstRectangle);
    return result;
}

bool TCustomDBGridGx::ColumnEditable(int DataCol) {
    if (DataCol < 0 || DataCol >= columns_->Count()) return false;
    return columns_->Items(DataCol)->CanModify(false) && dbOptions_.Contains(dgEditing);
}

bool TCustomDBGridGx::EditorAlwaysShown() {
    return dbOptions_.Contains(dgAlwaysShowEditor) && !filterEditing_;
}

void TCustomDBGridGx::ShowEditor() {
    if (filterEditing_) StopEditFilter();
    TCustomGrid::ShowEditor();
}

AnsiString TCustomDBGridGx::GetEditMask(int ACol, int) {
    if (!dataLink_->Active()) return "";
    int index = RawToDataColumn(ACol);
    if (index < 0 || index >= columns_->Count()) return "";
    TColumnGx* column = columns_->Items(index);
    if (!column->EditMask().empty()) return column->EditMask();
    if (column->KeyList()->Count() > 0) return "";
    TField* field = column->Field();
    return field ? field->EditMask() : AnsiString();
}

int TCustomDBGridGx::GetEditLimit() {
    int index = SelectedIndex();
    if (index < 0) return 0;
    TColumnGx* column = columns_->Items(index);
    if (column->KeyList()->Count() > 0) return 0;
    TField* field = column->Field();
    if (!field) return 0;
    switch (field->DataType()) {
        // Every text field of a fixed size, the wide ones that VARCHAR columns make included.
        case ftString:
        case ftFixedChar:
        case ftWideString:
        case ftGuid: return field->Size();
        default: return 0;
    }
}

AnsiString TCustomDBGridGx::GetEditText(int ACol, int) {
    int index = RawToDataColumn(ACol);
    if (!dataLink_->Active() || index < 0 || index >= columns_->Count()) return "";
    TColumnGx* column = columns_->Items(index);
    TField* field = column->Field();
    if (!field) return "";
    AnsiString text;
    if (column->KeyList()->Count() > 0) {
        int k = column->KeyList()->IndexOf(field->Text());
        text = k >= 0 && k < column->PickList()->Count() ? column->PickList()->Strings(k) : AnsiString();
    } else if (drawMemoText_ && (field->DataType() == ftMemo || field->DataType() == ftFmtMemo)) {
        text = StringReplace(StringReplace(field->AsString(), "\r\n", "\n", rfReplaceAll), "\n", "\r\n", rfReplaceAll);
    } else {
        text = field->Text();
    }
    editKeyValue_ = field->Lookup() && !field->KeyFields().empty() ? field->DataSet()->FieldValues(field->KeyFields())
                                                                    : Variant();
    // A lookup column's special row stands for its own value and, when asked
    // to, for keys the list does not hold: the editor shows what the cell shows.
    TSpecRowGx* special = column->DropDownSpecRow();
    if (field->Lookup() && special->Visible() &&
        (VarEquals(editKeyValue_, special->Value()) || (special->ShowIfNotInKeyList() && !column->LocateLookupRecord()))) {
        editKeyValue_ = special->Value();
        text = special->GetCellText(0);
    }
    if (column->OnGetCellParams) {
        TFont font;
        font.Assign(column->Font());
        TColCellParamsGx params;
        params.Text = text;
        params.Font = &font;
        column->GetColCellParams(true, &params);
        text = params.Text;
    }
    return text;
}

void TCustomDBGridGx::SetEditText(int, int, const AnsiString& Value) { editText_ = Value; }
