#include "app/uProgram.h"

#include "app/uMain.h"
#include "data/uDatamodule.h"
#include "editor/TeEditKeyCmds.h"
#include "grid/DBGridGxStyle.h"
#include "storage/UtSysInfo.h"

void PrepareProgram() {
    static const bool done = [] {
        RegisterDragCursors();
        DBGridGxDefaultStyle();
        TypeInfoTTeEditorCommand();
        return true;
    }();
    (void)done;
}

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
    return 0;
}
