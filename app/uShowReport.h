#pragma once
// TfrmShowReport: a report in a memo, shown modally, with the choice of
// copying it to the clipboard when the window closes.
#include "platform/gui/ActnList.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TfrmShowReport : public TForm {
    TESK_CLASS(TfrmShowReport, TForm)
public:
    explicit TfrmShowReport(TComponent* AOwner);

    TMemo* memReport = nullptr;
    TCheckBox* cbxCopyToClipboard = nullptr;
    TButton* btnClose = nullptr;
    TActionList* alShowReport = nullptr;
    TAction* actClose = nullptr;
    TAction* actSelectAll = nullptr;

    void actCloseExecute(TObject* Sender);
    void actSelectAllExecute(TObject* Sender);
};
