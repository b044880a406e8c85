#pragma once
// TfrmFilterEditor: the saved filters of one view as rows of name and
// expression. The row CurrentRow is edited in edtName and memFilter and
// written back to its row when another row is chosen and on OK; a double
// click on a field or an operator puts it into the expression at the caret.
// A name or expression that the settings file would not give back as it is
// is refused with a message before it reaches a row, so the row stays
// current. OK ends the dialog with result 1, Cancel with 2.
#include "platform/gui/ActnList.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/ValEdit.h"

class TfrmFilterEditor : public TForm {
    TESK_CLASS(TfrmFilterEditor, TForm)
public:
    explicit TfrmFilterEditor(TComponent* AOwner);

    TValueListEditor* lstFilters = nullptr;
    TLabel* lblName = nullptr;
    TEdit* edtName = nullptr;
    TLabel* lblFilter = nullptr;
    TMemo* memFilter = nullptr;
    TGroupBox* grpFields = nullptr;
    TListBox* lstFields = nullptr;
    TGroupBox* grpOperators = nullptr;
    TListBox* lstOperators = nullptr;
    TValueListEditor* lstRatings = nullptr;
    TButton* btnNew = nullptr;
    TButton* btnDelete = nullptr;
    TButton* btnCopy = nullptr;
    TButton* btnOk = nullptr;
    TButton* btnCancel = nullptr;
    TActionList* alFilterEditor = nullptr;
    TAction* actNewFilter = nullptr;
    TAction* actDeleteFilter = nullptr;
    TAction* actCopy = nullptr;
    TAction* actSaveFilter = nullptr;
    TAction* actLoadFilter = nullptr;
    TAction* actOK = nullptr;
    TAction* actCancel = nullptr;

    // The row whose name and expression are in the edit fields; -1 for none.
    int CurrentRow = -1;
    // Set while a row is removed or added: no save or load runs meanwhile.
    bool IsDeleting = false;
    bool IsAdding = false;

    // Rows count from 1 (row 0 holds the titles).
    int FilterCount() const { return lstFilters->Strings()->Count(); }
    AnsiString FilterName(int Row) const { return lstFilters->Cells(0, Row); }
    AnsiString FilterText(int Row) const { return lstFilters->Cells(1, Row); }
    void AddFilter(const AnsiString& Name, const AnsiString& Filter);

    void grdFiltersSelectCell(TObject* Sender, int ACol, int ARow, bool& CanSelect);
    void actSaveFilterExecute(TObject* Sender);
    void actLoadFilterExecute(TObject* Sender);
    void actNewFilterExecute(TObject* Sender);
    void actDeleteFilterExecute(TObject* Sender);
    void actCopyExecute(TObject* Sender);
    void actOKExecute(TObject* Sender);
    void actCancelExecute(TObject* Sender);
    void lstFieldsDblClick(TObject* Sender);

private:
    bool CurrentRowValid() const { return CurrentRow >= 1 && CurrentRow <= FilterCount(); }
    // False, after saying why, when the edit fields hold a filter the
    // settings file would not keep; true when there is nothing to write.
    bool EditsStorable();
    void AppendNewRow();
};

// The name New gives a row, and its expression.
extern const char* const NewFilterName;
