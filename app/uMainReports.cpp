// Regenerated spy reports of the selected planets, to the clipboard or in the
// report window, and the stored original report.
#include "app/uMain.h"
#include "app/uShowReport.h"
#include "app/uSpyReportText.h"
#include "data/uDatamodule.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

// The planet view moved to each selected row in turn; Each gets the row's ID.
template <class F>
void ForEachSelectedPlanet(TDBGridGx* Grid, F Each) {
    TBookmarkListGx* selected = Grid->SelectedRows();
    for (int i = 0; i < selected->Count(); ++i) {
        dmMain->viewPlanet->GotoBookmark(selected->Items(i));
        Each(dmMain->viewPlanet->FieldByName("tblplanet.ID")->AsInteger());
    }
}

}  // namespace

void TfrmMain::actCopyReportPlainTextExecute(TObject*) {
    if (grdPlanet->SelectedRows()->Count() == 0) return;
    AnsiString text;
    ForEachSelectedPlanet(grdPlanet, [&](int ID) {
        text += GenerateEspionageReport(dmMain, ID, dmMain->ProgramVersion) + "\r\n\r\n";
    });
    CopyToClipboard(text);
}

void TfrmMain::actCopyReportEnhancedExecute(TObject*) {
    Screen->SetCursor(crHourGlass);
    TScopeGuard cursor([] { Screen->SetCursor(crDefault); });
    AnsiString text;
    bool first = true;
    ForEachSelectedPlanet(grdPlanet, [&](int ID) {
        if (!first) text += AnsiString(52, '_') + "\r\n\r\n";
        first = false;
        text += GenerateEspionageReportBBCode(dmMain, ID);
    });
    CopyToClipboard(text + GeneratedByFooter(dmMain->ProgramVersion));
}

void TfrmMain::actShowGeneratedEspionageReportExecute(TObject*) {
    TBookmarkListGx* selected = grdPlanet->SelectedRows();
    if (selected->Count() == 0) return;
    TADOQuery* view = dmMain->viewPlanet;
    view->GotoBookmark(selected->Items(0));
    const AnsiString caption = ifrmShowReportPlanet + " " + PlanetCoordinates(view);
    ShowReportWindow(
        GenerateEspionageReport(dmMain, view->FieldByName("tblplanet.ID")->AsInteger(), dmMain->ProgramVersion),
        caption);
}

void TfrmMain::actShowOriginalEspionageReportExecute(TObject*) {
    TBookmarkListGx* selected = grdPlanet->SelectedRows();
    if (selected->Count() == 0) return;
    TADOQuery* view = dmMain->viewPlanet;
    view->GotoBookmark(selected->Items(0));
    AnsiString report = view->FieldByName("Report")->AsString();
    if (report.empty()) report = "No intel available";
    ShowReportWindow(report, ifrmShowReportPlanet + " " + PlanetCoordinates(view));
}
