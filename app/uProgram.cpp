#include "app/uProgram.h"

#include "app/uMain.h"
#include "data/uDatamodule.h"

int RunProgram() {
    Application->Initialize();
    Application->SetTitle("Tesk");
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
