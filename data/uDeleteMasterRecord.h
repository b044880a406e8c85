#pragma once
// The question the delete guards of the alliance and player pages ask when
// the row to delete still has rows that point at it: delete anyway, redirect
// those rows to another master, or cancel.
//
// The guards talk to the dialog through IMasterDeleteDialog, made by the
// factory below; the program uses TfmMasterDelete, tests install a scripted
// stand-in.
#include <functional>
#include <memory>

#include "platform/classes/Classes.h"

class TStrings;

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
