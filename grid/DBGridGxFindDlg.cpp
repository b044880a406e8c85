#include "grid/DBGridGxFindDlg.h"

#include "grid/GxLibVCL.h"
#include "platform/gui/Services.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Resources.h"

namespace {

TDBGridGxFindDlg* instance = nullptr;

// Fills a pick list whose keys are its texts.
void SetPickList(TDBComboBoxGx* Combo, const std::vector<AnsiString>& Texts) {
    TUpdateLock items(Combo->Items());
    TUpdateLock keys(Combo->KeyItems());
    Combo->Items()->Clear();
    Combo->KeyItems()->Clear();
    for (const AnsiString& t : Texts) {
        Combo->Items()->Add(t);
        Combo->KeyItems()->Add(t);
    }
}

}  // namespace

TDBGridGxFindDlg::TDBGridGxFindDlg(TComponent* AOwner) : TForm(AOwner) {
    ReadComponentResource(this);
    // The texts are the library's messages, in the active code page.
    SetCaption(SFindDialogCaptionGx());
    lText->SetCaption(SFindTextLabelGx());
    lFindIn->SetCaption(SFindInLabelGx());
    lMatchinType->SetCaption(SFindMatchingLabelGx());
    lFindDirection->SetCaption(SFindDirectionLabelGx());
    cbCharCase->SetCaption(SFindCharCaseGx());
    cbUseFormat->SetCaption(SFindUseFormatGx());
    bFind->SetCaption(SFindNextGx());
    bCancel->SetCaption(SFindCloseGx());
    SetPickList(cbMatchinType, {SFindMatchAnyPartGx(), SFindMatchWholeGx(), SFindMatchFromStartGx()});
    SetPickList(cbFindDirection, {SFindDirectionUpGx(), SFindDirectionDownGx(), SFindDirectionAllGx()});
    cbMatchinType->SetValue(Variant(SFindMatchAnyPartGx()));
    cbFindDirection->SetValue(Variant(SFindDirectionAllGx()));
    cbCharCase->SetStateProp(cbUnchecked);
    cbUseFormat->SetStateProp(cbChecked);
}

TDBGridGxFindDlg::~TDBGridGxFindDlg() {
    if (instance == this) instance = nullptr;
}

void TDBGridGxFindDlg::Notification(TComponent* AComponent, TOperation Operation) {
    TForm::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == grid_) {
        grid_ = nullptr;
        columns_.clear();
        findIn_.clear();
    }
}

void TDBGridGxFindDlg::Execute(TCustomDBGridGx* Grid, const AnsiString& Text, TStrings* Columns, bool Modal) {
    if (grid_ != Grid) {
        if (grid_) grid_->RemoveFreeNotification(this);
        grid_ = Grid;
        if (grid_) grid_->FreeNotification(this);
    }
    columnIndex_ = -1;
    cbText->SetText(Text);
    // The columns to search in, then "<All>"; each item carries its column.
    findIn_.clear();
    std::vector<AnsiString> captions;
    auto item = [](TColumnGx* Column) { return TFindInItem{Column, Column ? Column->FieldName() : AnsiString()}; };
    if (Columns) {
        for (int i = 0; i < Columns->Count(); ++i) {
            captions.push_back(Columns->Strings(i));
            findIn_.push_back(item(dynamic_cast<TColumnGx*>(Columns->Objects(i))));
        }
    } else if (Grid) {
        TColumnsGxList* visible = Grid->VisibleColumns();
        for (int i = 0; i < visible->Count(); ++i) {
            captions.push_back(visible->Items(i)->Title()->Caption());
            findIn_.push_back(item(visible->Items(i)));
        }
    }
    captions.push_back(SFindAllColumnsGx());
    findIn_.push_back(TFindInItem{nullptr, AnsiString()});
    SetPickList(cbFindIn, captions);
    int current = Grid ? Grid->SelectedIndex() : -1;
    if (current >= 0) cbFindIn->SetValue(Variant(Grid->Columns()->Items(current)->Title()->Caption()));
    firstSearch_ = true;
    if (Visible()) Hide();
    SetActiveControl(cbText);
    BuildColumnList();
    if (Modal) {
        SetFormStyle(fsNormal);
        ShowModal();
    } else {
        SetFormStyle(fsStayOnTop);
        Show();
    }
}

void TDBGridGxFindDlg::BuildColumnList() {
    const int count = static_cast<int>(findIn_.size());
    if (cbFindIn->ItemIndex() < 0 && count > 0) {
        // Nothing chosen: "<All>".
        cbFindIn->SetItemIndex(count - 1);
    }
    FollowRebuiltColumns();
    ListSearchColumns();
    ResetSearch();
}

void TDBGridGxFindDlg::ListSearchColumns() {
    columns_.clear();
    const int index = cbFindIn->ItemIndex();
    const int count = static_cast<int>(findIn_.size());
    if (index >= 0 && index + 1 < count) {
        // One column; none when the grid no longer shows its field.
        if (TColumnGx* column = findIn_[static_cast<size_t>(index)].Column) columns_.push_back(column);
    } else {
        for (int i = 0; i + 1 < count; ++i)
            if (TColumnGx* column = findIn_[static_cast<size_t>(i)].Column) columns_.push_back(column);
    }
}

// The grid frees its columns when it makes them anew (default columns after
// the data set reopens, a layout loaded): a held column is used only while
// the grid's list still holds it for the same field; the pointers are
// compared, never followed, before that.
void TDBGridGxFindDlg::FollowRebuiltColumns() {
    if (!grid_) return;
    TDBGridColumnsGx* columns = grid_->Columns();
    auto holds = [columns](TColumnGx* Column) {
        for (int i = 0; i < columns->Count(); ++i)
            if (columns->Items(i) == Column) return true;
        return false;
    };
    bool changed = false;
    for (TFindInItem& item : findIn_) {
        if (item.FieldName.empty() && !item.Column) continue;  // "<All>"
        if (item.Column && holds(item.Column) && SameText(item.Column->FieldName(), item.FieldName)) continue;
        TColumnGx* now = nullptr;
        for (int i = 0; i < columns->Count() && !now && !item.FieldName.empty(); ++i)
            if (columns->Items(i)->Visible() && SameText(columns->Items(i)->FieldName(), item.FieldName))
                now = columns->Items(i);
        item.Column = now;
        changed = true;
    }
    if (!changed) return;
    ListSearchColumns();
    const int last = static_cast<int>(columns_.size()) - 1;
    if (columnIndex_ > last) columnIndex_ = last;
}

void TDBGridGxFindDlg::ResetSearch() {
    firstSearch_ = true;
    bool up = cbFindDirection->Text() == SFindDirectionUpGx();
    columnIndex_ = up ? static_cast<int>(columns_.size()) - 1 : 0;
}

void TDBGridGxFindDlg::cbTextChange(TObject*) { ResetSearch(); }

void TDBGridGxFindDlg::cbFindDirectionChange(TObject*) { ResetSearch(); }

void TDBGridGxFindDlg::cbFindInChange(TObject*) { BuildColumnList(); }

void TDBGridGxFindDlg::bFindClick(TObject*) { FindNext(); }

void TDBGridGxFindDlg::bCancelClick(TObject*) { Close(); }

void TDBGridGxFindDlg::FormKeyDown(TObject*, WORD& Key, TShiftState) {
    if (Key != VK_RETURN && Key != VK_ESCAPE) return;
    // A control that wants the key (an open list, a modified box) has it first.
    if (TWinControl* focused = ActiveControl())
        if (focused->Perform(CM_WANTSPECIALKEY, Key, 0) != 0) return;
    if (Key == VK_ESCAPE) {
        if (!Modal()) Close();
        else SetModalResult(mrCancel);
    } else {
        FindNext();
    }
    cbText->SetModified(false);
    Key = 0;
}

bool TDBGridGxFindDlg::Backward() {
    bool up = cbFindDirection->Text() == SFindDirectionUpGx();
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    return up != ctrl;
}

AnsiString TDBGridGxFindDlg::CellText(TColumnGx* Column) {
    if (cbUseFormat->Checked()) return Column->GetDisplayText();
    TField* f = Column->Field();
    return f ? f->AsString() : AnsiString();
}

bool TDBGridGxFindDlg::Matches(const AnsiString& Text, const AnsiString& Pattern, bool CaseSensitive) {
    AnsiString text = CaseSensitive ? Text : AnsiUpperCaseGx(Text);
    AnsiString pattern = CaseSensitive ? Pattern : AnsiUpperCaseGx(Pattern);
    const AnsiString match = cbMatchinType->Text();
    if (match == SFindMatchWholeGx()) return text == pattern;
    if (match == SFindMatchFromStartGx()) return text.compare(0, pattern.size(), pattern) == 0;
    // An empty pattern occurs nowhere: "find" with nothing typed reports that.
    return !pattern.empty() && text.find(pattern) != AnsiString::npos;
}

// One position on: the next column of the list, or the next record's first
// (backward: the previous column, or the previous record's last).
void TDBGridGxFindDlg::Advance(TDataSet* DataSet, bool Back) {
    const int last = static_cast<int>(columns_.size()) - 1;
    if (!Back) {
        if (columnIndex_ < last) {
            ++columnIndex_;
        } else {
            DataSet->Next();
            columnIndex_ = 0;
        }
    } else {
        if (columnIndex_ > 0) {
            --columnIndex_;
        } else {
            DataSet->Prior();
            columnIndex_ = last;
        }
    }
}

bool TDBGridGxFindDlg::Walk(TDataSet* DataSet, bool Back, const AnsiString& Pattern, bool CaseSensitive) {
    if (cbFindDirection->Text() == SFindDirectionAllGx() && firstSearch_) {
        // Backward (Ctrl held) the whole walk starts at the last record's last
        // column, so that no cell of that record is passed over.
        if (Back) DataSet->Last();
        else DataSet->First();
        columnIndex_ = Back ? static_cast<int>(columns_.size()) - 1 : 0;
    } else if (!firstSearch_) {
        Advance(DataSet, Back);  // on from the last hit
    }
    while (!(Back ? DataSet->Bof() : DataSet->Eof())) {
        TColumnGx* column = columns_[static_cast<size_t>(columnIndex_)];
        if (Matches(CellText(column), Pattern, CaseSensitive)) {
            firstSearch_ = false;
            // The matching column becomes current, whatever the case option.
            grid_->SetSelectedIndex(column->Index());
            return true;
        }
        Advance(DataSet, Back);
    }
    return false;
}

void TDBGridGxFindDlg::FindNext() {
    const bool back = Backward();
    const AnsiString pattern = cbText->Text();
    if (cbText->Items()->IndexOf(pattern) < 0) cbText->Items()->Add(pattern);
    FollowRebuiltColumns();
    if (!grid_ || !grid_->DataSource() || columns_.empty()) return;
    TDataSet* ds = grid_->DataSource()->DataSet();
    if (!ds || !ds->Active()) return;
    const int last = static_cast<int>(columns_.size()) - 1;
    if (columnIndex_ < 0 || columnIndex_ > last) columnIndex_ = back ? last : 0;

    // A cell edit still pending is written and posted first, as leaving the
    // cell would; a text the field refuses calls the find off (the grid shows
    // the field's message and keeps the text), and nothing has moved.
    try {
        ds->CheckBrowseMode();
    } catch (...) {
        // The grid's editor took the focus back, but behind a modal dialog
        // it cannot have the keys: Escape would cancel the kept edit.
        if (Modal() && cbText->CanFocus()) cbText->SetFocus();
        throw;
    }

    bool found = false;
    {
        // Whatever happens on the walk, the data set's controls come back on.
        TControlsDisabled<TDataSet> quiet(ds);
        grid_->SaveBookmark();
        try {
            found = Walk(ds, back, pattern, cbCharCase->Checked());
        } catch (...) {
            // A walk that failed leaves the grid where it was.
            grid_->RestoreBookmark();
            throw;
        }
        if (!found) grid_->RestoreBookmark();
    }
    if (!found) MessageDlg(Format(STextNotFoundGx(), {pattern}), mtInformation, MsgDlgButtons({mbOK}), 0);
}

// ---------------------------------------------------------------------------

TDBGridGxFindDlg* DBGridGxFindDlg() { return instance; }


void ShowGridFindDialog(TCustomDBGridGx* Grid, const AnsiString& Text, TStrings* Columns, bool Modal) {
    if (!instance) instance = CreateForm<TDBGridGxFindDlg>(Application);
    instance->Execute(Grid, Text, Columns, Modal);
}

void RegisterGridFindDialog() { ShowGridFindDialogHook = &ShowGridFindDialog; }

TESK_PUBLISHED(TDBGridGxFindDlg) {
    Field("lText", &T::lText);
    Field("lFindIn", &T::lFindIn);
    Field("lMatchinType", &T::lMatchinType);
    Field("lFindDirection", &T::lFindDirection);
    Field("cbText", &T::cbText);
    Field("cbFindIn", &T::cbFindIn);
    Field("cbMatchinType", &T::cbMatchinType);
    Field("cbFindDirection", &T::cbFindDirection);
    Field("cbCharCase", &T::cbCharCase);
    Field("cbUseFormat", &T::cbUseFormat);
    Field("bFind", &T::bFind);
    Field("bCancel", &T::bCancel);
    Handler("cbTextChange", &T::cbTextChange);
    Handler("cbFindInChange", &T::cbFindInChange);
    Handler("cbFindDirectionChange", &T::cbFindDirectionChange);
    Handler("bFindClick", &T::bFindClick);
    Handler("bCancelClick", &T::bCancelClick);
    Handler("FormKeyDown", &T::FormKeyDown);
}
