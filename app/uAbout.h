#pragma once
// TfrmAbout: the about window, a 640 x 480 picture with labels over it; the
// version label shows the program's version on every show.
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TfrmAbout : public TForm {
    TESK_CLASS(TfrmAbout, TForm)
public:
    explicit TfrmAbout(TComponent* AOwner);

    TImage* imgAbout = nullptr;
    TLabel* lblTitle = nullptr;
    TLabel* lblVersionCaption = nullptr;
    TLabel* lblVersion = nullptr;
    TLabel* lblText = nullptr;
    TButton* btnClose = nullptr;

    void FormShow(TObject* Sender);
};

// The program's version, "%u.%u.%u.%u".
AnsiString ProgramVersionText();
