#pragma once
// TfrmSelectDB: the database-group chooser. On show it reads the groups of
// "Tesk.ini" into the data module's viewGroup and makes the active group the
// current row (the last group stays current when the active one is not
// listed); OK and Cancel close it. The caller reads GroupName, GroupUser and
// GroupPath of viewGroup's current row after OK and closes viewGroup.
//
// The list is grdSelectDB, a grid on the data module's dsGroup. StFormStorage1
// keeps the window's placement and the grid's columns in the main window's
// settings file (when there is a main window).
#include "grid/DBGridGx.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "storage/StFormStorage.h"

class TfrmSelectDB : public TForm {
    TESK_CLASS(TfrmSelectDB, TForm)
public:
    explicit TfrmSelectDB(TComponent* AOwner);

    // The main window's active group, set by the caller before showing.
    AnsiString ActiveGroup;

    TDBGridGx* grdSelectDB = nullptr;
    TButton* btnOk = nullptr;
    TButton* btnCancel = nullptr;
    TStFormStorage* StFormStorage1 = nullptr;

    void FormShow(TObject* Sender);
};
