#pragma once
// TfrmMain: the window the user lives in. Its pages, controls, menus, popup
// menus and actions come from TfrmMain.form; every handler the definition may
// bind is declared here from the start. The frame (log pane, sounds, the
// player and alliance boxes, clearing the database, the small menu commands),
// the language load with its captions, and the settings, start-up and
// shutdown are defined in this unit's sources; the imports, views, reports,
// filters and the other commands each live in a source of their own.
#include <chrono>
#include <memory>
#include <vector>

#include "app/uPlanetHighlight.h"
#include "app/uViewOrder.h"
#include "grid/DBGridGx.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/AppEvnts.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/DBCtrls.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"
#include "storage/StAppXMLStorage.h"
#include "storage/StFormStorage.h"

class TMyIniFile;
class THtmlClipboard;
class TKeyValueList;
class TTeMemo;
class TfrmFind;

// Frees a dialog the framework way when it goes out of scope.
struct TFormFree {
    void operator()(TObject* Form) const { FreeObject(Form); }
};

// Raised by a find-or-create when it adds a name (see OnAddAlliance).
using TEntityAddedEvent = Delegate<void(TObject* Sender, const AnsiString& AEntity)>;

class TfrmMain : public TForm {
    TESK_CLASS(TfrmMain, TForm)
public:
    explicit TfrmMain(TComponent* AOwner);
    ~TfrmMain() override;

    // ---- Components of the definition ----
    TPageControl* pcMain = nullptr;
    // Planet view.
    TTabSheet* tsViewSpyReports = nullptr;
    TPanel* pnlFilterPlanets = nullptr;
    TLabel* lblResources = nullptr;
    TLabel* lblTotal = nullptr;
    TEdit* edtTotalRes = nullptr;
    TLabel* lblMetal = nullptr;
    TEdit* edtMetal = nullptr;
    TLabel* lblCrystal = nullptr;
    TEdit* edtCrystal = nullptr;
    TLabel* lblDeuterium = nullptr;
    TEdit* edtDeut = nullptr;
    TLabel* lblEnergy = nullptr;
    TEdit* edtEnergy = nullptr;
    TLabel* lblAP = nullptr;
    TLabel* lblDP = nullptr;
    TLabel* lblLF = nullptr;
    TLabel* lblHF = nullptr;
    TLabel* lblCR = nullptr;
    TLabel* lblBS = nullptr;
    TLabel* lblBmbr = nullptr;
    TLabel* lblDest = nullptr;
    TLabel* lblDS = nullptr;
    TLabel* lblML = nullptr;
    TLabel* lblSL = nullptr;
    TLabel* lblHL = nullptr;
    TLabel* lblGC = nullptr;
    TLabel* lblIC = nullptr;
    TLabel* lblPC = nullptr;
    TEdit* edtLF = nullptr;
    TEdit* edtHF = nullptr;
    TEdit* edtCR = nullptr;
    TEdit* edtBS = nullptr;
    TEdit* edtBmbr = nullptr;
    TEdit* edtDest = nullptr;
    TEdit* edtDS = nullptr;
    TEdit* edtML = nullptr;
    TEdit* edtSL = nullptr;
    TEdit* edtHL = nullptr;
    TEdit* edtGC = nullptr;
    TEdit* edtIC = nullptr;
    TEdit* edtPC = nullptr;
    TEdit* edtAP = nullptr;
    TEdit* edtDP = nullptr;
    TLabel* Label38 = nullptr;
    TEdit* edtPlanetFilter = nullptr;
    TLabel* Label2 = nullptr;
    TComboBox* cmbPlanetFilter = nullptr;
    TLabel* Label37 = nullptr;
    TComboBox* cmbAge = nullptr;
    TLabel* lblSorted = nullptr;
    TLabel* lblSort = nullptr;
    TDBGridGx* grdPlanet = nullptr;
    // Solar-system paste.
    TTabSheet* tsSolarSystem = nullptr;
    TTeMemo* memSolarSystem = nullptr;
    TCheckBox* cbxDeletePlanets = nullptr;
    TButton* btnProcessSolarSystem = nullptr;
    // Spy paste.
    TTabSheet* tsProcessSpyReports = nullptr;
    TMemo* memSpy = nullptr;
    TLabel* lblPlayer = nullptr;
    TComboBox* cmbPlayer = nullptr;
    TLabel* lblAlliance = nullptr;
    TComboBox* cmbAlliance = nullptr;
    TLabel* lblPlanetFound = nullptr;
    TRadioGroup* grpRating = nullptr;
    TCheckBox* cbxKeepTech = nullptr;
    TCheckBox* cbxKeepDefs = nullptr;
    TCheckBox* cbxKeepBuilds = nullptr;
    TButton* btnProcessSpyReport = nullptr;
    // Combat view.
    TTabSheet* tsViewCombatReports = nullptr;
    TLabel* lblCombatSorted = nullptr;
    TLabel* lblCombatSort = nullptr;
    TLabel* lblMetalRaided = nullptr;
    TEdit* edtMetalRaided = nullptr;
    TLabel* lblCrystalRaided = nullptr;
    TEdit* edtCrystalRaided = nullptr;
    TLabel* lblDeutRaided = nullptr;
    TEdit* edtDeutRaided = nullptr;
    TLabel* lblMetalDebris = nullptr;
    TEdit* edtMetalDebris = nullptr;
    TLabel* lblCrystalDebris = nullptr;
    TEdit* edtCrystalDebris = nullptr;
    TLabel* Label5 = nullptr;
    TEdit* edtCombatFilter = nullptr;
    TLabel* Label6 = nullptr;
    TComboBox* cmbCombatFilter = nullptr;
    TButton* btnDeleteCombat = nullptr;
    TDBGridGx* grdCombat = nullptr;
    // Combat paste.
    TTabSheet* tsProcessCombatReports = nullptr;
    TMemo* memCombat = nullptr;
    TLabel* lblPlayerName = nullptr;
    TEdit* edtPlayerName = nullptr;
    TCheckBox* cbxSubstractResources = nullptr;
    TCheckBox* cbxSubstractDefences = nullptr;
    TCheckBox* cbxSubstractFleet = nullptr;
    TButton* btnProcessCombatReport = nullptr;
    // Alliance view.
    TTabSheet* tsViewAlliance = nullptr;
    TDBNavigator* dbnavAlliances = nullptr;
    TDBGridGx* grdAlliance = nullptr;
    // Alliance paste.
    TTabSheet* tsParseAlliances = nullptr;
    TMemo* memAlliance = nullptr;
    TButton* btnProcessAlliances = nullptr;
    // Player view.
    TTabSheet* tsViewPlayer = nullptr;
    TDBNavigator* dbnavPlayers = nullptr;
    TDBGridGx* grdPlayer = nullptr;
    // Power page.
    TTabSheet* tsCalculatePower = nullptr;
    TGroupBox* grpFleetPower = nullptr;
    TLabel* lbloLF = nullptr;
    TLabel* lbloHF = nullptr;
    TLabel* lbloCR = nullptr;
    TLabel* lbloBS = nullptr;
    TLabel* lbloBmbr = nullptr;
    TLabel* lbloDest = nullptr;
    TLabel* lbloDS = nullptr;
    TEdit* edtoLF = nullptr;
    TEdit* edtoHF = nullptr;
    TEdit* edtoCR = nullptr;
    TEdit* edtoBS = nullptr;
    TEdit* edtoBmbr = nullptr;
    TEdit* edtoDest = nullptr;
    TEdit* edtoDS = nullptr;
    TEdit* edtoAssault = nullptr;
    TGroupBox* grpDefencePower = nullptr;
    TLabel* lbloML = nullptr;
    TLabel* lbloSL = nullptr;
    TLabel* lbloHL = nullptr;
    TLabel* lbloGC = nullptr;
    TLabel* lbloIC = nullptr;
    TLabel* lbloPC = nullptr;
    TLabel* lbloSSD = nullptr;
    TLabel* lbloLSD = nullptr;
    TEdit* edtoML = nullptr;
    TEdit* edtoSL = nullptr;
    TEdit* edtoHL = nullptr;
    TEdit* edtoGC = nullptr;
    TEdit* edtoIC = nullptr;
    TEdit* edtoPC = nullptr;
    TEdit* edtoSSD = nullptr;
    TEdit* edtoLSD = nullptr;
    TEdit* edtoDefence = nullptr;
    // Frame.
    TPanel* pnlLog = nullptr;
    TMemo* memLog = nullptr;
    TStatusBar* sbMain = nullptr;
    TApplicationEvents* ApplicationEvents1 = nullptr;
    TStAppXMLFileStorage* StAppXMLFileStorage1 = nullptr;
    TStFormStorage* StFormStorage1 = nullptr;
    TOpenDialog* foImport = nullptr;
    TSaveDialog* fsaExport = nullptr;

    // Actions.
    TActionList* alMain = nullptr;
    TAction* actSelectUser = nullptr;
    TAction* actImportData = nullptr;
    TAction* actExportData = nullptr;
    TAction* actExit = nullptr;
    TAction* actProcessSolarSystem = nullptr;
    TAction* actProcessSpyReport = nullptr;
    TAction* actProcessCombatReport = nullptr;
    TAction* actProcessAlliances = nullptr;
    TAction* actFind = nullptr;
    TAction* actDeletePlanet = nullptr;
    TAction* actEditFilters = nullptr;
    TAction* actClearFilter = nullptr;
    TAction* actApplyFilter = nullptr;
    TAction* actRateRaidable = nullptr;
    TAction* actRateNormal = nullptr;
    TAction* actRateFriendly = nullptr;
    TAction* actRateDangerous = nullptr;
    TAction* actRateCrashable = nullptr;
    TAction* actRatePlayerRaidable = nullptr;
    TAction* actRatePlayerNormal = nullptr;
    TAction* actRatePlayerFriendly = nullptr;
    TAction* actRatePlayerDangerous = nullptr;
    TAction* actRatePlayerCrashable = nullptr;
    TAction* actRateAllianceRaidable = nullptr;
    TAction* actRateAllianceNormal = nullptr;
    TAction* actRateAllianceFriendly = nullptr;
    TAction* actRateAllianceDangerous = nullptr;
    TAction* actRateAllianceCrashable = nullptr;
    TAction* actFilterByAlliance = nullptr;
    TAction* actFilterByPlayer = nullptr;
    TAction* actShowGeneratedEspionageReport = nullptr;
    TAction* actShowOriginalEspionageReport = nullptr;
    TAction* actCopyReportPlainText = nullptr;
    TAction* actCopyReportEnhanced = nullptr;
    TAction* actRefreshPlanetGrid = nullptr;
    TAction* actDeleteCombat = nullptr;
    TAction* actGenerateCombatSummary = nullptr;
    TAction* actPopulateCombatReports = nullptr;
    TAction* actPopulateEspionageReports = nullptr;
    TAction* actSelectLanguage = nullptr;
    TAction* actLoadLanguage = nullptr;
    TAction* actLoadSettings = nullptr;
    TAction* actSaveSettings = nullptr;
    TAction* actClearDB = nullptr;
    TAction* actReprocessPlanets = nullptr;
    TAction* actClearLog = nullptr;
    TAction* actPaste = nullptr;
    TAction* actSelectAll = nullptr;
    TAction* actAbout = nullptr;
    TAction* actHelp = nullptr;
    TAction* actViewWishlist = nullptr;
    TAction* actAddWish = nullptr;
    TAction* actViewKnownBugs = nullptr;
    TAction* actReportBug = nullptr;
    TAction* actVisitSorvens = nullptr;

    // Main menu.
    TMainMenu* mnuMain = nullptr;
    TMenuItem* m1 = nullptr;
    TMenuItem* aSelectDB = nullptr;
    TMenuItem* aImportData = nullptr;
    TMenuItem* aExportData = nullptr;
    TMenuItem* aExit = nullptr;
    TMenuItem* m2 = nullptr;
    TMenuItem* aProcessSS = nullptr;
    TMenuItem* aProcessSpyReport = nullptr;
    TMenuItem* aProcessCombatReport = nullptr;
    TMenuItem* aProcessAlliances = nullptr;
    TMenuItem* m3 = nullptr;
    TMenuItem* mFind = nullptr;
    TMenuItem* mDeletePlanet = nullptr;
    TMenuItem* mEditFilters = nullptr;
    TMenuItem* mClearFilter = nullptr;
    TMenuItem* mRatePlanet = nullptr;
    TMenuItem* mRPlanetRaid = nullptr;
    TMenuItem* mRPlanetNormal = nullptr;
    TMenuItem* mRPlanetFriend = nullptr;
    TMenuItem* mRPlanetDanger = nullptr;
    TMenuItem* mRPanetCrash = nullptr;
    TMenuItem* mRatePlayer = nullptr;
    TMenuItem* mRPlayerRaid = nullptr;
    TMenuItem* mRPlayerNormal = nullptr;
    TMenuItem* mRPlayerFriend = nullptr;
    TMenuItem* mRPlayerDanger = nullptr;
    TMenuItem* mRPlayerCrash = nullptr;
    TMenuItem* mRateAlliance = nullptr;
    TMenuItem* mRAllianceRaid = nullptr;
    TMenuItem* mRAllianceNormal = nullptr;
    TMenuItem* mRAllianceFriend = nullptr;
    TMenuItem* mRAllianceDanger = nullptr;
    TMenuItem* mRAllianceCrash = nullptr;
    TMenuItem* mFilterByAlliance = nullptr;
    TMenuItem* mFilterByPlayer = nullptr;
    TMenuItem* mGeneratedEspReport = nullptr;
    TMenuItem* mOriginalEspReport = nullptr;
    TMenuItem* mCopyReportPlainText = nullptr;
    TMenuItem* mCopyReportEnhanced = nullptr;
    TMenuItem* mRefreshPlanetGrid = nullptr;
    TMenuItem* m4 = nullptr;
    TMenuItem* mDeleteCombat = nullptr;
    TMenuItem* m5 = nullptr;
    TMenuItem* mnuWatchClipboard = nullptr;
    TMenuItem* mnuPlaySounds = nullptr;
    TMenuItem* mSelectLanguage = nullptr;
    TMenuItem* mDateformat = nullptr;
    TMenuItem* mnuddmmyyyy = nullptr;
    TMenuItem* mnummddyyyy = nullptr;
    TMenuItem* mClearDB = nullptr;
    TMenuItem* mReprocessPlanets = nullptr;
    TMenuItem* mClearLog = nullptr;
    TMenuItem* m6 = nullptr;
    TMenuItem* mHelp = nullptr;
    TMenuItem* mnuHints = nullptr;
    TMenuItem* mViewWishlist = nullptr;
    TMenuItem* mAddWish = nullptr;
    TMenuItem* mViewKnownBugs = nullptr;
    TMenuItem* mReportBug = nullptr;
    TMenuItem* mVisitSorvens = nullptr;
    TMenuItem* mAbout = nullptr;
    // Popup menus of the planet and combat grids.
    TPopupMenu* popPlanet = nullptr;
    TMenuItem* pmOriginalEspReport = nullptr;
    TPopupMenu* popCombat = nullptr;
    TMenuItem* pmGenerateCombatSummary = nullptr;

    // ---- Window words and state ----
    // The coordinates word; the views name the coordinate sort with it.
    AnsiString iCoordinates;
    // The language in use; writing it loads that language (empty: the chooser).
    const AnsiString& ActiveLanguage() const { return activeLanguage_; }
    void SetActiveLanguage(const AnsiString& Value);

    bool AutoCopyReportToClipboard = true;
    int VeryOldReport = 10, OldReport = 5, AgingReport = 3, NewReport = 1, FreshReport = 0;
    AnsiString AccessDateFormat = "m\"/\"d\"/\"yyyy";
    AnsiString PrimaryOrderBy, PrimarySortOrder, SecondaryOrderBy, SecondarySortOrder;
    // Set at the end of the first show; set by any exception that reaches the
    // application. Together they decide whether closing saves the settings.
    bool Shown = false;
    bool ErrorRecorded = false;
    // A settings file that could not be read or written, or a database that
    // could not be compacted. The user hears of each text once: in a box
    // while the window is not up yet, in the log pane once it is, and in one
    // box with all that could not be saved while the window closes. The log
    // keeps every one.
    void ReportSettingsProblem(const AnsiString& Text);
    // Marks the close, so that the window placement's save failing before
    // FormClose joins the list of what could not be saved.
    bool CloseQuery() override;

    TEntityAddedEvent OnAddAlliance;
    TEntityAddedEvent OnAddPlayer;

    std::unique_ptr<THtmlClipboard> Clipboard;
    std::unique_ptr<TKeyValueList> PlanetFilters;
    std::unique_ptr<TKeyValueList> CombatFilters;

    // ---- Window shell ----
    void AddToLog(const AnsiString& Text);
    // While a batch is open (they nest), the lines of AddToLog are held and
    // laid out together: when the outermost batch ends, on FlushLog (before
    // a box) and once a tenth of a second has gone by since the pane was
    // last written, so that a long import still shows how far it got.
    void BeginLogBatch();
    void EndLogBatch();
    void FlushLog();
    void Beep(unsigned SoundType);
    void DataModuleLogMessage(TObject* Sender, const AnsiString& Text);
    void CompactionFailed(TObject* Sender, const AnsiString& Text);
    void PlanetLog(TObject* Sender, const AnsiString& Text);
    void HideLog(TObject* Sender);
    void ShowLog(TObject* Sender);
    void FillPlayerCombo();
    void FillAllianceCombo();
    void AddAlliance(TObject* Sender, const AnsiString& AEntity);
    void AddPlayer(TObject* Sender, const AnsiString& AEntity);
    void actClearLogExecute(TObject* Sender);
    void actClearDBExecute(TObject* Sender);
    void actExitExecute(TObject* Sender);
    void actAboutExecute(TObject* Sender);
    void mnuHintsClick(TObject* Sender);
    void mnuddmmyyyyClick(TObject* Sender);
    void mnummddyyyyClick(TObject* Sender);
    void mnuPlaySoundsClick(TObject* Sender);
    void mnuWatchClipboardClick(TObject* Sender);
    void actHelpExecute(TObject* Sender);
    void actReportBugExecute(TObject* Sender);
    void actViewKnownBugsExecute(TObject* Sender);
    void actViewWishlistExecute(TObject* Sender);
    void actAddWishExecute(TObject* Sender);
    void actVisitSorvensExecute(TObject* Sender);

    // ---- Language ----
    void actLoadLanguageExecute(TObject* Sender);
    void actSelectLanguageExecute(TObject* Sender);
    void ApplyLanguageToMainForm(TMyIniFile& Ini);

    // ---- Settings, start-up and shutdown ----
    void AppMessage(TMsg& Msg, bool& Handled);
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormDestroy(TObject* Sender);
    void FormResize(TObject* Sender);
    void FitCombatOptions();
    void ApplicationEvents1Exception(TObject* Sender, Exception* E);
    void actLoadSettingsExecute(TObject* Sender);
    void actSaveSettingsExecute(TObject* Sender);
    void actSelectUserExecute(TObject* Sender);
    // After the group dialog's OK: the log written, the group of the group
    // list's current row taken, its database and log opened.
    void SwitchToSelectedGroup();
    void UpdateCaption(TObject* Sender = nullptr);
    void SetStatusText(const AnsiString& Text, int Count);
    void UpdateDateDisplayFormat();

    // ---- Imports and the clipboard ----
    void actProcessSpyReportExecute(TObject* Sender);
    void memSpyExit(TObject* Sender);
    void actProcessCombatReportExecute(TObject* Sender);
    void actProcessSolarSystemExecute(TObject* Sender);
    void actProcessAlliancesExecute(TObject* Sender);
    void actPasteExecute(TObject* Sender);
    void memSpyKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
    void memCombatKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
    void memSolarSystemKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
    void memAllianceKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
    // Asked on every clipboard change once a language has been loaded.
    void ClipboardChanged(TObject* Sender);
    TNotifyEvent OnClipboardChanged;
    void ClipboardNotice(bool OwnChange);

    // ---- Views, sorting, ratings, power ----
    void pcMainChange(TObject* Sender);
    void grdPlanetTitleClick(TColumnGx* Column);
    void grdCombatTitleClick(TColumnGx* Column);
    void grdPlayerTitleClick(TColumnGx* Column);
    void grdPlanetDrawColumnCell(TObject* Sender, const TRect& Rect, int DataCol, TColumnGx* Column,
                                 TGridDrawState State);
    void grdPlanetGetBtnParams(TObject* Sender, TColumnGx* Column, TFont* AFont, TColor& Background,
                               TSortMarkerGx& SortMarker, bool IsDown);
    void grdCombatGetBtnParams(TObject* Sender, TColumnGx* Column, TFont* AFont, TColor& Background,
                               TSortMarkerGx& SortMarker, bool IsDown);
    void grdPlanetDblClick(TObject* Sender);
    void grdCombatDblClick(TObject* Sender);
    void grdCombatCellClick(TColumnGx* Column);
    void edtLFChange(TObject* Sender);
    void edtoLFChange(TObject* Sender);
    void edtoMLChange(TObject* Sender);
    void actRefreshPlanetGridExecute(TObject* Sender);
    void actDeletePlanetExecute(TObject* Sender);
    void actDeleteCombatExecute(TObject* Sender);
    void actSelectAllExecute(TObject* Sender);
    void actRateRaidableExecute(TObject* Sender);
    void actRateNormalExecute(TObject* Sender);
    void actRateFriendlyExecute(TObject* Sender);
    void actRateDangerousExecute(TObject* Sender);
    void actRateCrashableExecute(TObject* Sender);
    void actRatePlayerRaidableExecute(TObject* Sender);
    void actRatePlayerNormalExecute(TObject* Sender);
    void actRatePlayerFriendlyExecute(TObject* Sender);
    void actRatePlayerDangerousExecute(TObject* Sender);
    void actRatePlayerCrashableExecute(TObject* Sender);
    void actRateAllianceRaidableExecute(TObject* Sender);
    void actRateAllianceNormalExecute(TObject* Sender);
    void actRateAllianceFriendlyExecute(TObject* Sender);
    void actRateAllianceDangerousExecute(TObject* Sender);
    void actRateAllianceCrashableExecute(TObject* Sender);
    // The four grids on the data module's sources (made before the window).
    void BindViewsToData();
    // The limits of the planet view from its edits, the derived two shown.
    void UpdateHighlightThresholds();
    // Ratings 0..4 of the selected planets, of the one selected planet's
    // player, or of its alliance's players' planets.
    void RateSelectedPlanets(BYTE Rating);
    void RatePlayerOfSelectedPlanet(BYTE Rating);
    void RateAllianceOfSelectedPlanet(BYTE Rating);
    // Whether the key is held now, from the keyboard state.
    static bool IsControlKeyDown();
    static bool IsShiftKeyDown();
    // The planet grid's order captions (its order fields are above) and the
    // combat grid's order; the limits the planet grid's drawing compares with.
    AnsiString PrimaryCaption, SecondaryCaption;
    TViewOrder CombatOrder;
    THighlightLimits HighlightLimits{};
    // The report window with Text; afterwards its copy choice is remembered
    // and, when ticked, the text goes to the clipboard.
    void ShowReportWindow(const AnsiString& Text, const AnsiString& Caption);
    // Our own text on the clipboard, which the watcher leaves alone.
    void CopyToClipboard(const AnsiString& Text);

    // ---- Reports ----
    void actShowGeneratedEspionageReportExecute(TObject* Sender);
    void actShowOriginalEspionageReportExecute(TObject* Sender);
    void actCopyReportPlainTextExecute(TObject* Sender);
    void actCopyReportEnhancedExecute(TObject* Sender);
    void actGenerateCombatSummaryExecute(TObject* Sender);
    void actPopulateCombatReportsExecute(TObject* Sender);
    void actPopulateEspionageReportsExecute(TObject* Sender);
    void CombatTemplateClick(TObject* Sender);
    void EspionageTemplateClick(TObject* Sender);

    // ---- Filters and find ----
    void actApplyFilterExecute(TObject* Sender);
    void actClearFilterExecute(TObject* Sender);
    void actEditFiltersExecute(TObject* Sender);
    void actFilterByAllianceExecute(TObject* Sender);
    void actFilterByPlayerExecute(TObject* Sender);
    void actFindExecute(TObject* Sender);
    void FilterChange(TObject* Sender);
    void cmbPlanetFilterClick(TObject* Sender);
    void cmbCombatFilterClick(TObject* Sender);
    void edtPlanetFilterKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
    void edtPlanetFilterDblClick(TObject* Sender);

    // ---- Import, export and reprocessing ----
    void actImportDataExecute(TObject* Sender);
    void actExportDataExecute(TObject* Sender);
    void fsaExportSaveDialogCanClose(TObject* Sender, bool& CanClose);
    void actReprocessPlanetsExecute(TObject* Sender);

private:
    void FirstShow();
    void FocusActivePage();
    // Posts a view's row edited in place before the view closes.
    void PostPendingEdit(TDataSet* DataSet);
    // The planet view's fields that its cell drawing reads, found once.
    std::shared_ptr<struct TPlanetDrawFields> planetDrawFields_;
    // The faults of the planet cells' colouring already told in the log:
    // a paint repeats them many times a second.
    std::vector<AnsiString> planetPaintFaults_;
    // Filters: the text set on the view (a refused text shows the data
    // layer's message and leaves the view unfiltered); the current planet
    // row's player or alliance as the filter; the find dialog's search.
    void SetViewFilter(TDataSet* View, const AnsiString& Filter);
    void FilterByCurrent(const char* Column, const char* FilterColumn);
    bool FindInPlanetView(TfrmFind* Find);
    // After a find sorted the planet view by its key: the label and the arrow.
    void ShowFoundOrder(const AnsiString& OrderBy, const AnsiString& Caption);
    void ShowSortText(TLabel* Label, const AnsiString& Text);
    // "Records: N" for the rows a view shows.
    void ShowRecordCount(TDataSet* View);
    // The planet view failed to open: on research columns left in the planet
    // table, says so and offers reprocessing.
    bool OfferReprocessing();
    bool offeringReprocessing_ = false;
    AnsiString activeLanguage_;
    // Shutdown: the save once no command runs any more, the one box with
    // what could not be saved, then the filter lists freed.
    void SaveAtClose();
    // A line for the log pane; kept back until the log file is in the pane,
    // which loading the file would otherwise wipe out.
    void LogLine(const AnsiString& Line);
    void LogFileLoaded();
    // A stored order naming no field of its view (or no field at all) is
    // logged with its value and the view's default order taken instead: a
    // damaged settings file never stops the start.
    void TakeUsableOrders();
    bool closing_ = false;
    bool logLoaded_ = false;
    std::vector<AnsiString> reportedProblems_;
    std::vector<AnsiString> closeProblems_;
    std::vector<AnsiString> heldLogLines_;
    int logBatches_ = 0;
    std::vector<AnsiString> batchedLogLines_;
    std::chrono::steady_clock::time_point logWritten_;
};

extern TfrmMain* frmMain;

// Settings, start-up and shutdown keep these for the active database group.
extern AnsiString ActiveGroup;
extern AnsiString GroupUser;
extern AnsiString GroupPath;
extern AnsiString ConnectionString;
extern AnsiString LogFileName;
// The record-count word of the status bar and the report window's words.
extern AnsiString iRecord;
extern AnsiString ifrmShowReportPlanet;
extern AnsiString ifrmShowReportAttak;
