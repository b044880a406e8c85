// The window shell: construction from the definition, the log pane, sounds,
// the player and alliance boxes, clearing the database and the small menu
// commands.
#include "app/uMain.h"

#include "app/uAbout.h"
#include "app/uKeyValueList.h"
#include "data/uDatamodule.h"
#include "editor/TeEdit.h"
#include "platform/gui/Services.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Resources.h"
#include "storage/StRegistration.h"
#include "text/uHtmlClipbrd.h"

TfrmMain* frmMain = nullptr;

namespace {

// Pages of the makers' community; the web-page actions open them.
constexpr const char* HelpPage = "https://tesk.example.org/forum/help";
constexpr const char* ReportBugPage = "https://tesk.example.org/forum/bugs/new";
constexpr const char* KnownBugsPage = "https://tesk.example.org/forum/bugs";
constexpr const char* WishlistPage = "https://tesk.example.org/forum/wishes";
constexpr const char* AddWishPage = "https://tesk.example.org/forum/wishes/new";
constexpr const char* CommunityPage = "https://tesk.example.org/";

constexpr int LogPaneHeight = 150;

void OpenPage(const char* Url) { ShellExecute(0, "open", Url, nullptr, nullptr, SW_SHOWNORMAL); }

}  // namespace

TfrmMain::TfrmMain(TComponent* AOwner) : TForm(AOwner) {
    RegisterStorageClasses();
    ReadComponentResource(this);
    BindViewsToData();
}

TfrmMain::~TfrmMain() {
    // The combo boxes may be gone already: the lists must not touch them.
    for (TKeyValueList* list : {PlanetFilters.get(), CombatFilters.get()})
        if (list) list->SetCombobox(nullptr);
    if (frmMain == this) frmMain = nullptr;
}

// ---------------------------------------------------------------- log pane
void TfrmMain::AddToLog(const AnsiString& Text) {
    batchedLogLines_.push_back(Text);
    if (logBatches_ == 0 || std::chrono::steady_clock::now() - logWritten_ >= std::chrono::milliseconds(100))
        FlushLog();
}

void TfrmMain::BeginLogBatch() {
    if (logBatches_++ == 0) logWritten_ = std::chrono::steady_clock::now();
}

void TfrmMain::EndLogBatch() {
    if (--logBatches_ == 0) FlushLog();
}

void TfrmMain::FlushLog() {
    if (batchedLogLines_.empty()) return;
    std::vector<AnsiString> lines;
    lines.swap(batchedLogLines_);
    memLog->AppendLines(lines);
    // Keep the newest line in view.
    memLog->SetCaretPos(TPoint{0, memLog->Lines()->Count() - 1});
    memLog->ScrollCaret();
    memLog->Repaint();
    logWritten_ = std::chrono::steady_clock::now();
}

void TfrmMain::DataModuleLogMessage(TObject*, const AnsiString& Text) { AddToLog(Text); }
void TfrmMain::PlanetLog(TObject*, const AnsiString& Text) { AddToLog(Text); }

void TfrmMain::HideLog(TObject*) { pnlLog->SetHeight(0); }
// The pane grows upwards, so that the status bar stays the window's last line.
void TfrmMain::ShowLog(TObject*) {
    pnlLog->SetBounds(pnlLog->Left(), sbMain->Top() - LogPaneHeight, pnlLog->Width(), LogPaneHeight);
}

void TfrmMain::actClearLogExecute(TObject*) {
    batchedLogLines_.clear();
    memLog->Lines()->Clear();
}

void TfrmMain::Beep(unsigned SoundType) {
    if (mnuPlaySounds->Checked()) MessageBeep(SoundType);
}

// ---------------------------------------------------------------- boxes
void TfrmMain::FillPlayerCombo() {
    TADOQuery* q = dmMain->qryTmp;
    SetQueryStatement(q, {"select name from tblplayer order by name"});
    q->Open();
    cmbPlayer->Items()->Clear();
    for (q->First(); !q->Eof(); q->Next()) cmbPlayer->Items()->Add(q->Fields()->Fields(0)->AsString());
    q->Close();
}

void TfrmMain::FillAllianceCombo() {
    TADOQuery* v = dmMain->viewAlliance;
    v->Close();
    v->Open();
    cmbAlliance->Items()->Clear();
    for (v->First(); !v->Eof(); v->Next()) cmbAlliance->Items()->Add(v->FieldByName("Name")->AsString());
}

void TfrmMain::AddAlliance(TObject*, const AnsiString& AEntity) {
    if (cmbAlliance->Items()->IndexOf(AEntity) < 0) cmbAlliance->Items()->Add(AEntity);
}

void TfrmMain::AddPlayer(TObject*, const AnsiString& AEntity) {
    if (cmbPlayer->Items()->IndexOf(AEntity) < 0) cmbPlayer->Items()->Add(AEntity);
}

// ---------------------------------------------------------------- clear database
// All four tables go in one transaction, so a failure leaves every one of them
// as it was. Declining keeps the boxes as they are.
void TfrmMain::actClearDBExecute(TObject*) {
    if (MessageDlg("Are you sure you want to clear all tables?", mtWarning, mbYesNoCancel) == mrYes) {
        dmMain->ExecuteInTransaction(
            {"delete from tblCombat", "delete from tblPlanet", "delete from tblPlayer", "delete from tblAlliance"});
        cmbPlayer->Items()->Clear();
        cmbAlliance->Items()->Clear();
    }
    actRefreshPlanetGrid->Execute();
}

// ---------------------------------------------------------------- menu commands
void TfrmMain::actExitExecute(TObject*) { Close(); }

void TfrmMain::actAboutExecute(TObject*) {
    std::unique_ptr<TfrmAbout, TFormFree> about(CreateForm<TfrmAbout>(this));
    about->ShowModal();
}

void TfrmMain::mnuHintsClick(TObject*) {
    SetShowHint(!ShowHint());
    mnuHints->SetChecked(ShowHint());
}

void TfrmMain::mnuddmmyyyyClick(TObject*) {
    AccessDateFormat = "d\"/\"m\"/\"yyyy";
    UpdateDateDisplayFormat();
}

void TfrmMain::mnummddyyyyClick(TObject*) {
    AccessDateFormat = "m\"/\"d\"/\"yyyy";
    UpdateDateDisplayFormat();
}

void TfrmMain::mnuPlaySoundsClick(TObject*) { mnuPlaySounds->SetChecked(!mnuPlaySounds->Checked()); }
void TfrmMain::mnuWatchClipboardClick(TObject*) { mnuWatchClipboard->SetChecked(!mnuWatchClipboard->Checked()); }

void TfrmMain::actHelpExecute(TObject*) { OpenPage(HelpPage); }
void TfrmMain::actReportBugExecute(TObject*) { OpenPage(ReportBugPage); }
void TfrmMain::actViewKnownBugsExecute(TObject*) { OpenPage(KnownBugsPage); }
void TfrmMain::actViewWishlistExecute(TObject*) { OpenPage(WishlistPage); }
void TfrmMain::actAddWishExecute(TObject*) { OpenPage(AddWishPage); }
void TfrmMain::actVisitSorvensExecute(TObject*) { OpenPage(CommunityPage); }

// ---------------------------------------------------------------- published
TESK_PUBLISHED(TfrmMain) {
    Field("pcMain", &T::pcMain);
    Field("tsViewSpyReports", &T::tsViewSpyReports);
    Field("pnlFilterPlanets", &T::pnlFilterPlanets);
    Field("lblResources", &T::lblResources);
    Field("lblTotal", &T::lblTotal);
    Field("edtTotalRes", &T::edtTotalRes);
    Field("lblMetal", &T::lblMetal);
    Field("edtMetal", &T::edtMetal);
    Field("lblCrystal", &T::lblCrystal);
    Field("edtCrystal", &T::edtCrystal);
    Field("lblDeuterium", &T::lblDeuterium);
    Field("edtDeut", &T::edtDeut);
    Field("lblEnergy", &T::lblEnergy);
    Field("edtEnergy", &T::edtEnergy);
    Field("lblAP", &T::lblAP);
    Field("lblDP", &T::lblDP);
    Field("lblLF", &T::lblLF);
    Field("lblHF", &T::lblHF);
    Field("lblCR", &T::lblCR);
    Field("lblBS", &T::lblBS);
    Field("lblBmbr", &T::lblBmbr);
    Field("lblDest", &T::lblDest);
    Field("lblDS", &T::lblDS);
    Field("lblML", &T::lblML);
    Field("lblSL", &T::lblSL);
    Field("lblHL", &T::lblHL);
    Field("lblGC", &T::lblGC);
    Field("lblIC", &T::lblIC);
    Field("lblPC", &T::lblPC);
    Field("edtLF", &T::edtLF);
    Field("edtHF", &T::edtHF);
    Field("edtCR", &T::edtCR);
    Field("edtBS", &T::edtBS);
    Field("edtBmbr", &T::edtBmbr);
    Field("edtDest", &T::edtDest);
    Field("edtDS", &T::edtDS);
    Field("edtML", &T::edtML);
    Field("edtSL", &T::edtSL);
    Field("edtHL", &T::edtHL);
    Field("edtGC", &T::edtGC);
    Field("edtIC", &T::edtIC);
    Field("edtPC", &T::edtPC);
    Field("edtAP", &T::edtAP);
    Field("edtDP", &T::edtDP);
    Field("Label38", &T::Label38);
    Field("edtPlanetFilter", &T::edtPlanetFilter);
    Field("Label2", &T::Label2);
    Field("cmbPlanetFilter", &T::cmbPlanetFilter);
    Field("Label37", &T::Label37);
    Field("cmbAge", &T::cmbAge);
    Field("lblSorted", &T::lblSorted);
    Field("lblSort", &T::lblSort);
    Field("grdPlanet", &T::grdPlanet);
    Field("tsSolarSystem", &T::tsSolarSystem);
    Field("memSolarSystem", &T::memSolarSystem);
    Field("cbxDeletePlanets", &T::cbxDeletePlanets);
    Field("btnProcessSolarSystem", &T::btnProcessSolarSystem);
    Field("tsProcessSpyReports", &T::tsProcessSpyReports);
    Field("memSpy", &T::memSpy);
    Field("lblPlayer", &T::lblPlayer);
    Field("cmbPlayer", &T::cmbPlayer);
    Field("lblAlliance", &T::lblAlliance);
    Field("cmbAlliance", &T::cmbAlliance);
    Field("lblPlanetFound", &T::lblPlanetFound);
    Field("grpRating", &T::grpRating);
    Field("cbxKeepTech", &T::cbxKeepTech);
    Field("cbxKeepDefs", &T::cbxKeepDefs);
    Field("cbxKeepBuilds", &T::cbxKeepBuilds);
    Field("btnProcessSpyReport", &T::btnProcessSpyReport);
    Field("tsViewCombatReports", &T::tsViewCombatReports);
    Field("lblCombatSorted", &T::lblCombatSorted);
    Field("lblCombatSort", &T::lblCombatSort);
    Field("lblMetalRaided", &T::lblMetalRaided);
    Field("edtMetalRaided", &T::edtMetalRaided);
    Field("lblCrystalRaided", &T::lblCrystalRaided);
    Field("edtCrystalRaided", &T::edtCrystalRaided);
    Field("lblDeutRaided", &T::lblDeutRaided);
    Field("edtDeutRaided", &T::edtDeutRaided);
    Field("lblMetalDebris", &T::lblMetalDebris);
    Field("edtMetalDebris", &T::edtMetalDebris);
    Field("lblCrystalDebris", &T::lblCrystalDebris);
    Field("edtCrystalDebris", &T::edtCrystalDebris);
    Field("Label5", &T::Label5);
    Field("edtCombatFilter", &T::edtCombatFilter);
    Field("Label6", &T::Label6);
    Field("cmbCombatFilter", &T::cmbCombatFilter);
    Field("btnDeleteCombat", &T::btnDeleteCombat);
    Field("grdCombat", &T::grdCombat);
    Field("tsProcessCombatReports", &T::tsProcessCombatReports);
    Field("memCombat", &T::memCombat);
    Field("lblPlayerName", &T::lblPlayerName);
    Field("edtPlayerName", &T::edtPlayerName);
    Field("cbxSubstractResources", &T::cbxSubstractResources);
    Field("cbxSubstractDefences", &T::cbxSubstractDefences);
    Field("cbxSubstractFleet", &T::cbxSubstractFleet);
    Field("btnProcessCombatReport", &T::btnProcessCombatReport);
    Field("tsViewAlliance", &T::tsViewAlliance);
    Field("dbnavAlliances", &T::dbnavAlliances);
    Field("grdAlliance", &T::grdAlliance);
    Field("tsParseAlliances", &T::tsParseAlliances);
    Field("memAlliance", &T::memAlliance);
    Field("btnProcessAlliances", &T::btnProcessAlliances);
    Field("tsViewPlayer", &T::tsViewPlayer);
    Field("dbnavPlayers", &T::dbnavPlayers);
    Field("grdPlayer", &T::grdPlayer);
    Field("tsCalculatePower", &T::tsCalculatePower);
    Field("grpFleetPower", &T::grpFleetPower);
    Field("lbloLF", &T::lbloLF);
    Field("lbloHF", &T::lbloHF);
    Field("lbloCR", &T::lbloCR);
    Field("lbloBS", &T::lbloBS);
    Field("lbloBmbr", &T::lbloBmbr);
    Field("lbloDest", &T::lbloDest);
    Field("lbloDS", &T::lbloDS);
    Field("edtoLF", &T::edtoLF);
    Field("edtoHF", &T::edtoHF);
    Field("edtoCR", &T::edtoCR);
    Field("edtoBS", &T::edtoBS);
    Field("edtoBmbr", &T::edtoBmbr);
    Field("edtoDest", &T::edtoDest);
    Field("edtoDS", &T::edtoDS);
    Field("edtoAssault", &T::edtoAssault);
    Field("grpDefencePower", &T::grpDefencePower);
    Field("lbloML", &T::lbloML);
    Field("lbloSL", &T::lbloSL);
    Field("lbloHL", &T::lbloHL);
    Field("lbloGC", &T::lbloGC);
    Field("lbloIC", &T::lbloIC);
    Field("lbloPC", &T::lbloPC);
    Field("lbloSSD", &T::lbloSSD);
    Field("lbloLSD", &T::lbloLSD);
    Field("edtoML", &T::edtoML);
    Field("edtoSL", &T::edtoSL);
    Field("edtoHL", &T::edtoHL);
    Field("edtoGC", &T::edtoGC);
    Field("edtoIC", &T::edtoIC);
    Field("edtoPC", &T::edtoPC);
    Field("edtoSSD", &T::edtoSSD);
    Field("edtoLSD", &T::edtoLSD);
    Field("edtoDefence", &T::edtoDefence);
    Field("pnlLog", &T::pnlLog);
    Field("memLog", &T::memLog);
    Field("sbMain", &T::sbMain);
    Field("ApplicationEvents1", &T::ApplicationEvents1);
    Field("StAppXMLFileStorage1", &T::StAppXMLFileStorage1);
    Field("StFormStorage1", &T::StFormStorage1);
    Field("foImport", &T::foImport);
    Field("fsaExport", &T::fsaExport);
    Field("alMain", &T::alMain);
    Field("actSelectUser", &T::actSelectUser);
    Field("actImportData", &T::actImportData);
    Field("actExportData", &T::actExportData);
    Field("actExit", &T::actExit);
    Field("actProcessSolarSystem", &T::actProcessSolarSystem);
    Field("actProcessSpyReport", &T::actProcessSpyReport);
    Field("actProcessCombatReport", &T::actProcessCombatReport);
    Field("actProcessAlliances", &T::actProcessAlliances);
    Field("actFind", &T::actFind);
    Field("actDeletePlanet", &T::actDeletePlanet);
    Field("actEditFilters", &T::actEditFilters);
    Field("actClearFilter", &T::actClearFilter);
    Field("actApplyFilter", &T::actApplyFilter);
    Field("actRateRaidable", &T::actRateRaidable);
    Field("actRateNormal", &T::actRateNormal);
    Field("actRateFriendly", &T::actRateFriendly);
    Field("actRateDangerous", &T::actRateDangerous);
    Field("actRateCrashable", &T::actRateCrashable);
    Field("actRatePlayerRaidable", &T::actRatePlayerRaidable);
    Field("actRatePlayerNormal", &T::actRatePlayerNormal);
    Field("actRatePlayerFriendly", &T::actRatePlayerFriendly);
    Field("actRatePlayerDangerous", &T::actRatePlayerDangerous);
    Field("actRatePlayerCrashable", &T::actRatePlayerCrashable);
    Field("actRateAllianceRaidable", &T::actRateAllianceRaidable);
    Field("actRateAllianceNormal", &T::actRateAllianceNormal);
    Field("actRateAllianceFriendly", &T::actRateAllianceFriendly);
    Field("actRateAllianceDangerous", &T::actRateAllianceDangerous);
    Field("actRateAllianceCrashable", &T::actRateAllianceCrashable);
    Field("actFilterByAlliance", &T::actFilterByAlliance);
    Field("actFilterByPlayer", &T::actFilterByPlayer);
    Field("actShowGeneratedEspionageReport", &T::actShowGeneratedEspionageReport);
    Field("actShowOriginalEspionageReport", &T::actShowOriginalEspionageReport);
    Field("actCopyReportPlainText", &T::actCopyReportPlainText);
    Field("actCopyReportEnhanced", &T::actCopyReportEnhanced);
    Field("actRefreshPlanetGrid", &T::actRefreshPlanetGrid);
    Field("actDeleteCombat", &T::actDeleteCombat);
    Field("actGenerateCombatSummary", &T::actGenerateCombatSummary);
    Field("actPopulateCombatReports", &T::actPopulateCombatReports);
    Field("actPopulateEspionageReports", &T::actPopulateEspionageReports);
    Field("actSelectLanguage", &T::actSelectLanguage);
    Field("actLoadLanguage", &T::actLoadLanguage);
    Field("actLoadSettings", &T::actLoadSettings);
    Field("actSaveSettings", &T::actSaveSettings);
    Field("actClearDB", &T::actClearDB);
    Field("actReprocessPlanets", &T::actReprocessPlanets);
    Field("actClearLog", &T::actClearLog);
    Field("actPaste", &T::actPaste);
    Field("actSelectAll", &T::actSelectAll);
    Field("actAbout", &T::actAbout);
    Field("actHelp", &T::actHelp);
    Field("actViewWishlist", &T::actViewWishlist);
    Field("actAddWish", &T::actAddWish);
    Field("actViewKnownBugs", &T::actViewKnownBugs);
    Field("actReportBug", &T::actReportBug);
    Field("actVisitSorvens", &T::actVisitSorvens);
    Field("mnuMain", &T::mnuMain);
    Field("m1", &T::m1);
    Field("aSelectDB", &T::aSelectDB);
    Field("aImportData", &T::aImportData);
    Field("aExportData", &T::aExportData);
    Field("aExit", &T::aExit);
    Field("m2", &T::m2);
    Field("aProcessSS", &T::aProcessSS);
    Field("aProcessSpyReport", &T::aProcessSpyReport);
    Field("aProcessCombatReport", &T::aProcessCombatReport);
    Field("aProcessAlliances", &T::aProcessAlliances);
    Field("m3", &T::m3);
    Field("mFind", &T::mFind);
    Field("mDeletePlanet", &T::mDeletePlanet);
    Field("mEditFilters", &T::mEditFilters);
    Field("mClearFilter", &T::mClearFilter);
    Field("mRatePlanet", &T::mRatePlanet);
    Field("mRPlanetRaid", &T::mRPlanetRaid);
    Field("mRPlanetNormal", &T::mRPlanetNormal);
    Field("mRPlanetFriend", &T::mRPlanetFriend);
    Field("mRPlanetDanger", &T::mRPlanetDanger);
    Field("mRPanetCrash", &T::mRPanetCrash);
    Field("mRatePlayer", &T::mRatePlayer);
    Field("mRPlayerRaid", &T::mRPlayerRaid);
    Field("mRPlayerNormal", &T::mRPlayerNormal);
    Field("mRPlayerFriend", &T::mRPlayerFriend);
    Field("mRPlayerDanger", &T::mRPlayerDanger);
    Field("mRPlayerCrash", &T::mRPlayerCrash);
    Field("mRateAlliance", &T::mRateAlliance);
    Field("mRAllianceRaid", &T::mRAllianceRaid);
    Field("mRAllianceNormal", &T::mRAllianceNormal);
    Field("mRAllianceFriend", &T::mRAllianceFriend);
    Field("mRAllianceDanger", &T::mRAllianceDanger);
    Field("mRAllianceCrash", &T::mRAllianceCrash);
    Field("mFilterByAlliance", &T::mFilterByAlliance);
    Field("mFilterByPlayer", &T::mFilterByPlayer);
    Field("mGeneratedEspReport", &T::mGeneratedEspReport);
    Field("mOriginalEspReport", &T::mOriginalEspReport);
    Field("mCopyReportPlainText", &T::mCopyReportPlainText);
    Field("mCopyReportEnhanced", &T::mCopyReportEnhanced);
    Field("mRefreshPlanetGrid", &T::mRefreshPlanetGrid);
    Field("m4", &T::m4);
    Field("mDeleteCombat", &T::mDeleteCombat);
    Field("m5", &T::m5);
    Field("mnuWatchClipboard", &T::mnuWatchClipboard);
    Field("mnuPlaySounds", &T::mnuPlaySounds);
    Field("mSelectLanguage", &T::mSelectLanguage);
    Field("mDateformat", &T::mDateformat);
    Field("mnuddmmyyyy", &T::mnuddmmyyyy);
    Field("mnummddyyyy", &T::mnummddyyyy);
    Field("mClearDB", &T::mClearDB);
    Field("mReprocessPlanets", &T::mReprocessPlanets);
    Field("mClearLog", &T::mClearLog);
    Field("m6", &T::m6);
    Field("mHelp", &T::mHelp);
    Field("mnuHints", &T::mnuHints);
    Field("mViewWishlist", &T::mViewWishlist);
    Field("mAddWish", &T::mAddWish);
    Field("mViewKnownBugs", &T::mViewKnownBugs);
    Field("mReportBug", &T::mReportBug);
    Field("mVisitSorvens", &T::mVisitSorvens);
    Field("mAbout", &T::mAbout);
    Field("popPlanet", &T::popPlanet);
    Field("pmOriginalEspReport", &T::pmOriginalEspReport);
    Field("popCombat", &T::popCombat);
    Field("pmGenerateCombatSummary", &T::pmGenerateCombatSummary);
    Handler("DataModuleLogMessage", &T::DataModuleLogMessage);
    Handler("PlanetLog", &T::PlanetLog);
    Handler("HideLog", &T::HideLog);
    Handler("ShowLog", &T::ShowLog);
    Handler("AddAlliance", &T::AddAlliance);
    Handler("AddPlayer", &T::AddPlayer);
    Handler("actClearLogExecute", &T::actClearLogExecute);
    Handler("actClearDBExecute", &T::actClearDBExecute);
    Handler("actExitExecute", &T::actExitExecute);
    Handler("actAboutExecute", &T::actAboutExecute);
    Handler("mnuHintsClick", &T::mnuHintsClick);
    Handler("mnuddmmyyyyClick", &T::mnuddmmyyyyClick);
    Handler("mnummddyyyyClick", &T::mnummddyyyyClick);
    Handler("mnuPlaySoundsClick", &T::mnuPlaySoundsClick);
    Handler("mnuWatchClipboardClick", &T::mnuWatchClipboardClick);
    Handler("actHelpExecute", &T::actHelpExecute);
    Handler("actReportBugExecute", &T::actReportBugExecute);
    Handler("actViewKnownBugsExecute", &T::actViewKnownBugsExecute);
    Handler("actViewWishlistExecute", &T::actViewWishlistExecute);
    Handler("actAddWishExecute", &T::actAddWishExecute);
    Handler("actVisitSorvensExecute", &T::actVisitSorvensExecute);
    Handler("actLoadLanguageExecute", &T::actLoadLanguageExecute);
    Handler("actSelectLanguageExecute", &T::actSelectLanguageExecute);
    Handler("FormCreate", &T::FormCreate);
    Handler("FormShow", &T::FormShow);
    Handler("FormClose", &T::FormClose);
    Handler("FormDestroy", &T::FormDestroy);
    Handler("FormResize", &T::FormResize);
    Handler("ApplicationEvents1Exception", &T::ApplicationEvents1Exception);
    Handler("actLoadSettingsExecute", &T::actLoadSettingsExecute);
    Handler("actSaveSettingsExecute", &T::actSaveSettingsExecute);
    Handler("actSelectUserExecute", &T::actSelectUserExecute);
    Handler("actProcessSpyReportExecute", &T::actProcessSpyReportExecute);
    Handler("memSpyExit", &T::memSpyExit);
    Handler("actProcessCombatReportExecute", &T::actProcessCombatReportExecute);
    Handler("actProcessSolarSystemExecute", &T::actProcessSolarSystemExecute);
    Handler("actProcessAlliancesExecute", &T::actProcessAlliancesExecute);
    Handler("actPasteExecute", &T::actPasteExecute);
    Handler("memSpyKeyUp", &T::memSpyKeyUp);
    Handler("memCombatKeyUp", &T::memCombatKeyUp);
    Handler("memSolarSystemKeyUp", &T::memSolarSystemKeyUp);
    Handler("memAllianceKeyUp", &T::memAllianceKeyUp);
    Handler("ClipboardChanged", &T::ClipboardChanged);
    Handler("pcMainChange", &T::pcMainChange);
    Handler("grdPlanetTitleClick", &T::grdPlanetTitleClick);
    Handler("grdCombatTitleClick", &T::grdCombatTitleClick);
    Handler("grdPlayerTitleClick", &T::grdPlayerTitleClick);
    Handler("grdPlanetDrawColumnCell", &T::grdPlanetDrawColumnCell);
    Handler("grdPlanetGetBtnParams", &T::grdPlanetGetBtnParams);
    Handler("grdCombatGetBtnParams", &T::grdCombatGetBtnParams);
    Handler("grdPlanetDblClick", &T::grdPlanetDblClick);
    Handler("grdCombatDblClick", &T::grdCombatDblClick);
    Handler("grdCombatCellClick", &T::grdCombatCellClick);
    Handler("edtLFChange", &T::edtLFChange);
    Handler("edtoLFChange", &T::edtoLFChange);
    Handler("edtoMLChange", &T::edtoMLChange);
    Handler("actRefreshPlanetGridExecute", &T::actRefreshPlanetGridExecute);
    Handler("actDeletePlanetExecute", &T::actDeletePlanetExecute);
    Handler("actDeleteCombatExecute", &T::actDeleteCombatExecute);
    Handler("actSelectAllExecute", &T::actSelectAllExecute);
    Handler("actRateRaidableExecute", &T::actRateRaidableExecute);
    Handler("actRateNormalExecute", &T::actRateNormalExecute);
    Handler("actRateFriendlyExecute", &T::actRateFriendlyExecute);
    Handler("actRateDangerousExecute", &T::actRateDangerousExecute);
    Handler("actRateCrashableExecute", &T::actRateCrashableExecute);
    Handler("actRatePlayerRaidableExecute", &T::actRatePlayerRaidableExecute);
    Handler("actRatePlayerNormalExecute", &T::actRatePlayerNormalExecute);
    Handler("actRatePlayerFriendlyExecute", &T::actRatePlayerFriendlyExecute);
    Handler("actRatePlayerDangerousExecute", &T::actRatePlayerDangerousExecute);
    Handler("actRatePlayerCrashableExecute", &T::actRatePlayerCrashableExecute);
    Handler("actRateAllianceRaidableExecute", &T::actRateAllianceRaidableExecute);
    Handler("actRateAllianceNormalExecute", &T::actRateAllianceNormalExecute);
    Handler("actRateAllianceFriendlyExecute", &T::actRateAllianceFriendlyExecute);
    Handler("actRateAllianceDangerousExecute", &T::actRateAllianceDangerousExecute);
    Handler("actRateAllianceCrashableExecute", &T::actRateAllianceCrashableExecute);
    Handler("actShowGeneratedEspionageReportExecute", &T::actShowGeneratedEspionageReportExecute);
    Handler("actShowOriginalEspionageReportExecute", &T::actShowOriginalEspionageReportExecute);
    Handler("actCopyReportPlainTextExecute", &T::actCopyReportPlainTextExecute);
    Handler("actCopyReportEnhancedExecute", &T::actCopyReportEnhancedExecute);
    Handler("actGenerateCombatSummaryExecute", &T::actGenerateCombatSummaryExecute);
    Handler("actPopulateCombatReportsExecute", &T::actPopulateCombatReportsExecute);
    Handler("actPopulateEspionageReportsExecute", &T::actPopulateEspionageReportsExecute);
    Handler("CombatTemplateClick", &T::CombatTemplateClick);
    Handler("EspionageTemplateClick", &T::EspionageTemplateClick);
    Handler("actApplyFilterExecute", &T::actApplyFilterExecute);
    Handler("actClearFilterExecute", &T::actClearFilterExecute);
    Handler("actEditFiltersExecute", &T::actEditFiltersExecute);
    Handler("actFilterByAllianceExecute", &T::actFilterByAllianceExecute);
    Handler("actFilterByPlayerExecute", &T::actFilterByPlayerExecute);
    Handler("actFindExecute", &T::actFindExecute);
    Handler("FilterChange", &T::FilterChange);
    Handler("cmbPlanetFilterClick", &T::cmbPlanetFilterClick);
    Handler("cmbCombatFilterClick", &T::cmbCombatFilterClick);
    Handler("edtPlanetFilterKeyDown", &T::edtPlanetFilterKeyDown);
    Handler("edtPlanetFilterDblClick", &T::edtPlanetFilterDblClick);
    Handler("actImportDataExecute", &T::actImportDataExecute);
    Handler("actExportDataExecute", &T::actExportDataExecute);
    Handler("fsaExportSaveDialogCanClose", &T::fsaExportSaveDialogCanClose);
    Handler("actReprocessPlanetsExecute", &T::actReprocessPlanetsExecute);
}
