#pragma once
// The grid's find dialog: one window per process, made on first use and
// bound to whichever grid asks (through ShowGridFindDialogHook, stored when
// the grid library registers). Each press of "find next" walks the data set
// from after the last hit, column by column, and moves the grid to the next
// cell whose text matches; a walk that finds nothing, or fails on the way,
// puts the grid back where it was, with the data set's controls enabled again.
#include <vector>

#include "grid/DBCtrlsGxCheck.h"
#include "grid/DBCtrlsGxCombo.h"
#include "grid/DBGridGx.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TDBGridGxFindDlg : public TForm {
    TESK_CLASS(TDBGridGxFindDlg, TForm)
public:
    explicit TDBGridGxFindDlg(TComponent* AOwner);
    ~TDBGridGxFindDlg() override;

    // Binds the dialog to Grid and shows it. Columns: captions with their
    // column objects (nullptr: the grid's visible columns).
    void Execute(TCustomDBGridGx* Grid, const AnsiString& Text, TStrings* Columns, bool Modal);
    // One step of the search (the find button).
    void FindNext();

    TCustomDBGridGx* Grid() const { return grid_; }
    // The columns searched, and the one the search stands in.
    const std::vector<TColumnGx*>& SearchColumns() const { return columns_; }
    int ColumnIndex() const { return columnIndex_; }
    bool FirstSearch() const { return firstSearch_; }

    TLabel* lText = nullptr;
    TLabel* lFindIn = nullptr;
    TLabel* lMatchinType = nullptr;
    TLabel* lFindDirection = nullptr;
    TDBComboBoxGx* cbText = nullptr;
    TDBComboBoxGx* cbFindIn = nullptr;
    TDBComboBoxGx* cbMatchinType = nullptr;
    TDBComboBoxGx* cbFindDirection = nullptr;
    TDBCheckBoxGx* cbCharCase = nullptr;
    TDBCheckBoxGx* cbUseFormat = nullptr;
    TButton* bFind = nullptr;
    TButton* bCancel = nullptr;

    void cbTextChange(TObject* Sender);
    void cbFindInChange(TObject* Sender);
    void cbFindDirectionChange(TObject* Sender);
    void bFindClick(TObject* Sender);
    void bCancelClick(TObject* Sender);
    void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void BuildColumnList();
    // Columns the grid has made anew since: each item takes the grid's
    // column that shows its field now (none when no column does).
    void FollowRebuiltColumns();
    void ListSearchColumns();
    void ResetSearch();
    bool Backward();
    bool Matches(const AnsiString& CellText, const AnsiString& Pattern, bool CaseSensitive);
    AnsiString CellText(TColumnGx* Column);
    void Advance(TDataSet* DataSet, bool Backward);
    // From the current place to the next match; true when found.
    bool Walk(TDataSet* DataSet, bool Backward, const AnsiString& Pattern, bool CaseSensitive);
    TCustomDBGridGx* grid_ = nullptr;
    std::vector<TColumnGx*> columns_;
    // Each cbFindIn item's column and the field it shows ("<All>", the last, has none).
    // The column is only read once the grid's column list still holds it.
    struct TFindInItem {
        TColumnGx* Column;
        AnsiString FieldName;
    };
    std::vector<TFindInItem> findIn_;
    int columnIndex_ = -1;
    bool firstSearch_ = true;
};

// The dialog's one instance (nullptr until first used).
TDBGridGxFindDlg* DBGridGxFindDlg();
void ShowGridFindDialog(TCustomDBGridGx* Grid, const AnsiString& Text, TStrings* Columns, bool Modal);
// Stores ShowGridFindDialog in the grid's hook (the grid library's registration calls it).
void RegisterGridFindDialog();
