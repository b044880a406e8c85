#pragma once
// TfrmProgress: the small window a long pass over many rows shows, always on
// top: the row being processed and a gauge. Closing it sets Closed, which the
// pass reads after each row to stop there.
#include "platform/gui/Forms.h"
#include "platform/gui/Gauges.h"
#include "platform/gui/StdCtrls.h"

class TfrmProgress : public TForm {
    TESK_CLASS(TfrmProgress, TForm)
public:
    explicit TfrmProgress(TComponent* AOwner);

    TLabel* lblProgress = nullptr;
    TGauge* pbRecord = nullptr;

    bool Closed = false;

    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
};
