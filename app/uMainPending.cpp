// Handlers whose work lands later; their actions stay disabled.
#include "app/uMain.h"

// Views, sorting, ratings, power.
void TfrmMain::pcMainChange(TObject*) {}
void TfrmMain::grdPlanetTitleClick(TColumnGx*) {}
void TfrmMain::grdCombatTitleClick(TColumnGx*) {}
void TfrmMain::grdPlayerTitleClick(TColumnGx*) {}
void TfrmMain::grdPlanetDrawColumnCell(TObject*, const TRect& Rect, int DataCol, TColumnGx* Column,
                                       TGridDrawState State) {
    grdPlanet->DefaultDrawColumnCell(Rect, DataCol, Column, State);
}
void TfrmMain::grdCombatDrawColumnCell(TObject*, const TRect&, int, TColumnGx*, TGridDrawState) {}
void TfrmMain::grdPlanetDblClick(TObject*) {}
void TfrmMain::grdCombatDblClick(TObject*) {}
void TfrmMain::grdCombatCellClick(TColumnGx*) {}
void TfrmMain::edtLFChange(TObject*) {}
void TfrmMain::edtoLFChange(TObject*) {}
void TfrmMain::edtoMLChange(TObject*) {}
void TfrmMain::actRefreshPlanetGridExecute(TObject*) {}
void TfrmMain::actDeletePlanetExecute(TObject*) {}
void TfrmMain::actDeleteCombatExecute(TObject*) {}
void TfrmMain::actSelectAllExecute(TObject*) {}
void TfrmMain::actRateRaidableExecute(TObject*) {}
void TfrmMain::actRateNormalExecute(TObject*) {}
void TfrmMain::actRateFriendlyExecute(TObject*) {}
void TfrmMain::actRateDangerousExecute(TObject*) {}
void TfrmMain::actRateCrashableExecute(TObject*) {}
void TfrmMain::actRatePlayerRaidableExecute(TObject*) {}
void TfrmMain::actRatePlayerNormalExecute(TObject*) {}
void TfrmMain::actRatePlayerFriendlyExecute(TObject*) {}
void TfrmMain::actRatePlayerDangerousExecute(TObject*) {}
void TfrmMain::actRatePlayerCrashableExecute(TObject*) {}
void TfrmMain::actRateAllianceRaidableExecute(TObject*) {}
void TfrmMain::actRateAllianceNormalExecute(TObject*) {}
void TfrmMain::actRateAllianceFriendlyExecute(TObject*) {}
void TfrmMain::actRateAllianceDangerousExecute(TObject*) {}
void TfrmMain::actRateAllianceCrashableExecute(TObject*) {}

// Reports.
void TfrmMain::actShowGeneratedEspionageReportExecute(TObject*) {}
void TfrmMain::actShowOriginalEspionageReportExecute(TObject*) {}
void TfrmMain::actCopyReportPlainTextExecute(TObject*) {}
void TfrmMain::actCopyReportEnhancedExecute(TObject*) {}
void TfrmMain::actGenerateCombatSummaryExecute(TObject*) {}
void TfrmMain::actPopulateCombatReportsExecute(TObject*) {}
void TfrmMain::actPopulateEspionageReportsExecute(TObject*) {}
void TfrmMain::CombatTemplateClick(TObject*) {}
void TfrmMain::EspionageTemplateClick(TObject*) {}

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
    for (TAction* a : {actRefreshPlanetGrid, actDeletePlanet, actDeleteCombat, actSelectAll,
                       actRateRaidable, actRateNormal, actRateFriendly, actRateDangerous, actRateCrashable,
                       actRatePlayerRaidable, actRatePlayerNormal, actRatePlayerFriendly, actRatePlayerDangerous,
                       actRatePlayerCrashable, actRateAllianceRaidable, actRateAllianceNormal, actRateAllianceFriendly,
                       actRateAllianceDangerous, actRateAllianceCrashable,
                       actShowGeneratedEspionageReport, actShowOriginalEspionageReport, actCopyReportPlainText,
                       actCopyReportEnhanced, actGenerateCombatSummary, actPopulateCombatReports,
                       actPopulateEspionageReports,
                       actApplyFilter, actClearFilter, actEditFilters, actFilterByAlliance, actFilterByPlayer, actFind,
                       actImportData, actExportData, actReprocessPlanets})
        a->SetEnabled(false);
}
