// Regenerated spy reports of the selected planets, the report window and the
// stored original reports.
#include "app/uMain.h"

void TfrmMain::actShowGeneratedEspionageReportExecute(TObject*) {}
void TfrmMain::actShowOriginalEspionageReportExecute(TObject*) {}
void TfrmMain::actCopyReportPlainTextExecute(TObject*) {}
void TfrmMain::actCopyReportEnhancedExecute(TObject*) {}
