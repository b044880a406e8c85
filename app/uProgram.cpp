#include "app/uProgram.h"

#include "app/uMain.h"
#include "data/uDatamodule.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/gui/Services.h"
#include "platform/rtl/Exceptions.h"

bool ProgramFolderReady(const std::function<AnsiString()>& Folder) {
    try {
        Folder();
        return true;
    } catch (const Exception& e) {
        MessageDlg(e.Message(), mtError, MsgDlgButtons({mbOK}));
        return false;
    }
}

int RunProgram() {
    Application->Initialize();
    Application->SetTitle("Tesk");
    if (!ProgramFolderReady(ProgramFolder)) {
        DoneApplication();
        return 1;
    }
    PrepareProgram();
    dmMain = new TdmMain(Application);
    Application->CreateForm(frmMain);
    Application->OnMessage = TMessageEvent(frmMain, &TfrmMain::AppMessage);
    Application->Run();
    Application->OnMessage = nullptr;
    DoneApplication();
    dmMain = nullptr;
    return 0;
}
