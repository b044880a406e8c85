// Handlers whose work lands later; their actions stay disabled.
#include "app/uMain.h"

// Filters and find.
void TfrmMain::actApplyFilterExecute(TObject*) {}
void TfrmMain::actClearFilterExecute(TObject*) {}
void TfrmMain::actEditFiltersExecute(TObject*) {}
void TfrmMain::actFilterByAllianceExecute(TObject*) {}
void TfrmMain::actFilterByPlayerExecute(TObject*) {}
void TfrmMain::actFindExecute(TObject*) {}
void TfrmMain::FilterChange(TObject*) {}
void TfrmMain::cmbPlanetFilterClick(TObject*) {}
void TfrmMain::cmbCombatFilterClick(TObject*) {}
void TfrmMain::edtPlanetFilterKeyDown(TObject*, WORD&, TShiftState) {}
void TfrmMain::edtPlanetFilterDblClick(TObject*) {}

// Import, export and reprocessing.
void TfrmMain::actImportDataExecute(TObject*) {}
void TfrmMain::actExportDataExecute(TObject*) {}
void TfrmMain::fsaExportSaveDialogCanClose(TObject*, bool&) {}
void TfrmMain::actReprocessPlanetsExecute(TObject*) {}

void TfrmMain::DisablePendingActions() {
    for (TAction* a : {actApplyFilter, actClearFilter, actEditFilters, actFilterByAlliance, actFilterByPlayer, actFind,
                       actImportData, actExportData, actReprocessPlanets})
        a->SetEnabled(false);
}
