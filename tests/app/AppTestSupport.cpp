#include "tests/app/AppTestSupport.h"

#include <gtest/gtest.h>

#include "platform/classes/ProgramFolder.h"
#include "platform/gui/Forms.h"

namespace apptest {

std::string ShippedFile(const std::string& relative) {
    return ReadFile(std::string(TESK_SOURCE_DIR) + "/resources/" + relative);
}

void MakeEmptyDatabase(const std::string& path) { ExecSql(path, datatest::SchemaSql()); }

MainWindowFixture::MainWindowFixture()
    : dialogs(std::make_shared<TScriptedDialogService>()), system(std::make_shared<TRecordingSystemService>()) {
    SetProgramFolderForTests(folder.File(""));
    SetDialogService(dialogs);
    SetSystemService(system);
    WriteFile(folder.File("English.lng"), ShippedFile("lang/English.lng"));
    MakeEmptyDatabase(folder.File("Tesk.mdb"));
    dmMain = new TdmMain(nullptr);
}

TfrmMain* MainWindowFixture::Open() {
    form = CreateForm<TfrmMain>(nullptr);
    frmMain = form;
    return form;
}

void MainWindowFixture::Free() {
    if (form) FreeObject(form);
    form = nullptr;
    frmMain = nullptr;
    if (dmMain) FreeObject(dmMain);
    dmMain = nullptr;
}

TfrmMain* MainWindowFixture::Start() {
    if (form) Free();
    if (!dmMain) dmMain = new TdmMain(nullptr);
    Open()->Show();
    return form;
}

MainWindowFixture::~MainWindowFixture() {
    Free();
    TakeTermination();
    SetDialogService(nullptr);
    SetSystemService(nullptr);
    SetProgramFolderForTests("");
}

TColumnGx* ColumnOf(TDBGridGx* Grid, const char* FieldName) {
    for (int i = 0; i < Grid->Columns()->Count(); ++i)
        if (SameText(Grid->Columns()->Items(i)->FieldName(), FieldName)) return Grid->Columns()->Items(i);
    ADD_FAILURE() << "no column " << FieldName;
    return nullptr;
}

std::string LastLog(TfrmMain* Form) {
    const int n = Form->memLog->Lines()->Count();
    if (n == 0) return "";
    std::string line = Form->memLog->Lines()->Strings(n - 1);
    size_t p = line.find(" - ");
    return p == std::string::npos ? line : line.substr(p + 3);
}

bool TakeTermination() {
    Application->ProcessMessages();
    bool ended = Application->Terminated();
    // Run returns at once when an end was requested, and clears the request.
    if (ended) Application->Run();
    return ended;
}

}  // namespace apptest
