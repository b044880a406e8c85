// The main window's whole-database commands: importing another database file,
// exporting the open one and reprocessing the stored planets. Import and
// reprocessing show the progress window, which pumps the message loop once
// per row inside that row's transaction: the window's commands stay disabled
// and clipboard notices are ignored meanwhile. Failures are shown to the
// user, never passed over in silence.
#include <memory>

#include "app/uCommandGuard.h"
#include "app/uDatabaseTransfer.h"
#include "app/uMain.h"
#include "app/uProgress.h"
#include "data/uDatamodule.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/gui/Services.h"

namespace {

class ProgressWindow : public ITransferProgress {
public:
    explicit ProgressWindow(TfrmProgress* Form) : form_(Form) {}
    void Start(int RowCount) override {
        form_->pbRecord->SetMaxValue(RowCount);
        form_->Show();
    }
    void ShowRow(const AnsiString& Position) override {
        form_->lblProgress->SetCaption(Position);
        form_->lblProgress->Repaint();
    }
    void RowDone() override {
        form_->pbRecord->AddProgress(1);
        form_->pbRecord->Repaint();
        Application->ProcessMessages();
    }
    bool Stopped() const override { return form_->Closed; }

private:
    TfrmProgress* form_;
};

void ShowFailure(const Exception& E) { MessageDlg(E.Message(), mtError, MsgDlgButtons({mbOK})); }

// A pass over rows with the progress window up; a failure is shown once the
// window is gone.
template <class Pass>
void RunWithProgress(const char* Caption, Pass Run) {
    std::unique_ptr<TfrmProgress, TFormFree> progress(CreateForm<TfrmProgress>(nullptr));
    if (Caption) progress->SetCaption(Caption);
    ProgressWindow window(progress.get());
    try {
        Run(window);
    } catch (const Exception& E) {
        progress.reset();
        ShowFailure(E);
    }
}

}  // namespace

void TfrmMain::actImportDataExecute(TObject*) {
    if (CommandRunning()) return;
    foImport->SetInitialDir(ProgramFolder());
    if (!foImport->Execute()) return;
    {
        TCommandGuard guard(alMain);
        RunWithProgress(nullptr,
                        [&](ProgressWindow& window) { ImportDatabaseFile(*dmMain, foImport->FileName(), window); });
        FillPlayerCombo();
        FillAllianceCombo();
    }
    if (pcMain->ActivePage() == tsViewSpyReports) actRefreshPlanetGrid->Execute();
}

void TfrmMain::actExportDataExecute(TObject*) {
    fsaExport->SetInitialDir(ProgramFolder());
    if (!fsaExport->Execute()) return;
    try {
        ExportDatabase(*dmMain, fsaExport->FileName());
    } catch (const Exception& E) {
        ShowFailure(E);
    }
}

// The dialog closes all the same; the export then copies nothing.
void TfrmMain::fsaExportSaveDialogCanClose(TObject*, bool&) {
    if (SameDatabaseFile(fsaExport->FileName(), dmMain->DatabasePath))
        MessageDlg("You can export to the source database dummy", mtWarning, MsgDlgButtons({mbOK}));
}

void TfrmMain::actReprocessPlanetsExecute(TObject*) {
    if (CommandRunning()) return;
    {
        TCommandGuard guard(alMain);
        RunWithProgress("Reprocessing data", [](ProgressWindow& window) { ReprocessPlanets(*dmMain, window); });
    }
    if (pcMain->ActivePage() == tsViewSpyReports) actRefreshPlanetGrid->Execute();
}
