#pragma once
// The question the delete guards of the alliance and player pages ask when
// the row to delete still has rows that point at it: delete anyway, redirect
// those rows to another master, or cancel.
//
// The guards talk to the dialog through IMasterDeleteDialog, made by the
// factory below: TfmMasterDelete unless a test installs a scripted stand-in.
#include <functional>
#include <memory>

#include "platform/gui/ActnList.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class IMasterDeleteDialog {
public:
    virtual ~IMasterDeleteDialog() = default;
    // The chosen master's ID; -1 for none (delete instead of redirect).
    virtual int TargetID() const = 0;
    virtual void SetTargetID(int Value) = 0;
    // The explanation above the list.
    virtual void SetPrompt(const AnsiString& Text) = 0;
    // The candidates: each entry's text, its object the candidate's ID.
    virtual TStrings* Masters() = 0;
    // The selected entry; -1 for none.
    virtual void SetItemIndex(int Index) = 0;
    // Shows the dialog modally and answers its modal result.
    virtual int ShowModal() = 0;
};

using TMasterDeleteDialogFactory = std::function<std::unique_ptr<IMasterDeleteDialog>()>;

// A new dialog from the installed factory.
std::unique_ptr<IMasterDeleteDialog> NewMasterDeleteDialog();
// Replaces the factory; an empty one returns to TfmMasterDelete.
void SetMasterDeleteDialogFactory(TMasterDeleteDialogFactory Factory);

// An entry's ID as the list keeps it, and back.
inline TObject* MasterIDObject(int ID) { return reinterpret_cast<TObject*>(static_cast<intptr_t>(ID)); }
inline int MasterIDOf(TObject* Object) { return static_cast<int>(reinterpret_cast<intptr_t>(Object)); }

// "Delete or redirect ?": the explanation, the list of candidates and the
// buttons Cancel, Delete and Redirect. Delete closes with OK and leaves
// TargetID as the caller set it (-1); Redirect takes the selected entry's ID
// into TargetID and closes with OK, and is enabled only while an entry is
// selected.
class TfmMasterDelete : public TForm {
    TESK_CLASS(TfmMasterDelete, TForm)
public:
    explicit TfmMasterDelete(TComponent* AOwner);

    int TargetID = -1;

    TLabel* Label1 = nullptr;
    TListBox* lstMasters = nullptr;
    TButton* btnCancel = nullptr;
    TButton* btnDelete = nullptr;
    TButton* btnRedirect = nullptr;
    TActionList* alMasterDelete = nullptr;
    TAction* actCancel = nullptr;
    TAction* actDeleteChildren = nullptr;
    TAction* actRedirectChildren = nullptr;

    void actCancelExecute(TObject* Sender);
    void actDeleteChildrenExecute(TObject* Sender);
    void actRedirectChildrenExecute(TObject* Sender);
    void actRedirectChildrenUpdate(TObject* Sender);
};
