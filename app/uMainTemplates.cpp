// Reports rendered through the user's template files, the combat summary and
// the sums of the selected combats.
#include "app/uMain.h"

void TfrmMain::grdCombatCellClick(TColumnGx*) {}
void TfrmMain::actGenerateCombatSummaryExecute(TObject*) {}
void TfrmMain::actPopulateCombatReportsExecute(TObject*) {}
void TfrmMain::actPopulateEspionageReportsExecute(TObject*) {}
void TfrmMain::CombatTemplateClick(TObject*) {}
void TfrmMain::EspionageTemplateClick(TObject*) {}
