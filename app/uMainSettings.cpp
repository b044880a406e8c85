// Start-up and shutdown of the main window: "Tesk.ini" read at the first show
// and written at close, the grid layouts, the log file, the database of the
// active group, the caption and status text, the date display format, the
// wheel hook and the application's exception event.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "app/uCommandGuard.h"
#include "app/uGameText.h"
#include "app/uKeyValueList.h"
#include "app/uLanguage.h"
#include "app/uMain.h"
#include "data/uDatamodule.h"
#include "data/uIniFiles.h"
#include "data/uSelectDB.h"
#include "editor/TeEdit.h"
#include "platform/classes/Keys.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/db/DBSort.h"
#include "platform/db/SqliteConnection.h"
#include "platform/gui/ClipboardWatch.h"
#include "platform/rtl/ScopeGuard.h"
#include "text/UtFileUtils.h"
#include "text/uHtmlClipbrd.h"

AnsiString ActiveGroup;
AnsiString GroupUser;
AnsiString GroupPath;
AnsiString ConnectionString;
AnsiString LogFileName;

namespace {

constexpr const char* SettingsFile = "Tesk.ini";
constexpr const char* DefaultConnectionString =
    "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%s;Persist Security Info=False";
constexpr const char* DefaultPrimaryOrderBy = "GalaxyID, SolarSystemID, PlanetID";
constexpr const char* DefaultPlanetSort = "GalaxyID ASC, SolarSystemID ASC, PlanetID ASC";
constexpr const char* DefaultCombatSort = "DateTime DESC";
constexpr const char* DefaultAllianceSort = "AverageScore DESC";
constexpr const char* DefaultPlayerSort = "Name";
constexpr const char* MonthFirstDateFormat = "m\"/\"d\"/\"yyyy";
// The log file keeps the newest lines only.
constexpr int MaxLogLines = 10000;

AnsiString SettingsPath() { return ProgramFolder() + SettingsFile; }

AnsiString WithExtension(const AnsiString& Path, const char* Extension) {
    return std::filesystem::path(Path.c_str()).replace_extension(Extension).string();
}

// Every threshold edit with its key, in the order the file keeps them.
struct TTextKey {
    const char* Key;
    const char* Default;
    TEdit* TfrmMain::*Edit;
};
const TTextKey ThresholdKeys[] = {
    {"Metal", "100000", &TfrmMain::edtMetal},        {"Crystal", "60000", &TfrmMain::edtCrystal},
    {"Deuterium", "40000", &TfrmMain::edtDeut},      {"Energy", "3100", &TfrmMain::edtEnergy},
    {"TotalRes", "200000", &TfrmMain::edtTotalRes},  {"LightFighter", "150", &TfrmMain::edtLF},
    {"HeavyFighter", "90", &TfrmMain::edtHF},        {"Cruiser", "70", &TfrmMain::edtCR},
    {"BattleShip", "50", &TfrmMain::edtBS},          {"Bomber", "20", &TfrmMain::edtBmbr},
    {"Destroyer", "5", &TfrmMain::edtDest},          {"DeathStar", "1", &TfrmMain::edtDS},
    {"MissileLauncher", "150", &TfrmMain::edtML},    {"SmallLaser", "100", &TfrmMain::edtSL},
    {"HeavyLaser", "20", &TfrmMain::edtHL},          {"IonCannon", "20", &TfrmMain::edtIC},
    {"GaussCannon", "10", &TfrmMain::edtGC},         {"PlasmaCannon", "1", &TfrmMain::edtPC}};
const TTextKey PowerKeys[] = {
    {"LightFighter", "0", &TfrmMain::edtoLF},     {"HeavyFighter", "0", &TfrmMain::edtoHF},
    {"Cruiser", "0", &TfrmMain::edtoCR},          {"BattleShip", "0", &TfrmMain::edtoBS},
    {"Destroyer", "0", &TfrmMain::edtoDest},      {"Bomber", "0", &TfrmMain::edtoBmbr},
    {"DeathStar", "0", &TfrmMain::edtoDS},        {"MissileLauncher", "0", &TfrmMain::edtoML},
    {"SmallLaser", "0", &TfrmMain::edtoSL},       {"HeavyLaser", "0", &TfrmMain::edtoHL},
    {"GaussCannon", "0", &TfrmMain::edtoGC},      {"IonCannon", "0", &TfrmMain::edtoIC},
    {"PlasmaCannon", "0", &TfrmMain::edtoPC},     {"SmallShieldDome", "0", &TfrmMain::edtoSSD},
    {"LargeShieldDome", "0", &TfrmMain::edtoLSD}};
struct TCheckKey {
    const char* Section;
    const char* Key;
    TCheckBox* TfrmMain::*Box;
};
const TCheckKey CheckKeys[] = {
    {"ProcessSolarSystem", "DeleteNonExistingPlanets", &TfrmMain::cbxDeletePlanets},
    {"ProcessSpyReport", "KeepOldTech", &TfrmMain::cbxKeepTech},
    {"ProcessSpyReport", "KeepOldDefs", &TfrmMain::cbxKeepDefs},
    {"ProcessSpyReport", "KeepOldBuildings", &TfrmMain::cbxKeepBuilds},
    {"ProcessCombatReport", "SubstractRaidedRes", &TfrmMain::cbxSubstractResources},
    {"ProcessCombatReport", "SubstractDestroyedDef", &TfrmMain::cbxSubstractDefences},
    {"ProcessCombatReport", "SubstractDestroyedFleet", &TfrmMain::cbxSubstractFleet}};

// Reads a layout file when there is one. A file that cannot be read leaves
// the grid with the columns it was designed with, is set aside as
// "<name>.bad", and start-up goes on; the answer is the log line for it
// (empty when all went well), kept until the log file is in the pane.
AnsiString LoadLayout(TDBGridGx* Grid, const char* Name) {
    const AnsiString file = ProgramFolder() + Name;
    if (!IsRegularFile(file)) return AnsiString();
    try {
        Grid->Columns()->LoadFromFile(file);
    } catch (const Exception& e) {
        std::error_code ec;
        std::filesystem::rename(file.c_str(), (file + ".bad").c_str(), ec);
        return Format("%s - Error loading the column layout %s: %s", {LogTimeStamp(), AnsiString(Name), e.Message()});
    }
    return AnsiString();
}

// The file is replaced whole, so a failed write leaves the old layout. A grid
// that follows the fields of a closed data set holds only a placeholder
// column: that is no layout, and writing it would give the view a single
// empty column at the next start, so the file is left as it is.
void SaveLayout(TDBGridGx* Grid, const char* Name) {
    if (Grid->Columns()->State() == csDefault && !Grid->DataLinkActive()) return;
    Grid->Columns()->SaveToFile(ProgramFolder() + Name);
}

// Every line of the file reaches the pane, which the close writes back: a
// zero byte (junk, a file cut by a crash) would end the text there, so it
// shows as a blank.
void LoadLog(TMemo* Log, const AnsiString& FileName) {
    if (!IsRegularFile(FileName)) return;
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    AnsiString text(static_cast<size_t>(stream.Size()), '\0');
    text.resize(static_cast<size_t>(text.empty() ? 0 : stream.Read(&text[0], static_cast<int64_t>(text.size()))));
    std::replace(text.begin(), text.end(), '\0', ' ');
    Log->Lines()->SetText(text);
}

// The file is replaced whole, so a failed write leaves the old log.
void SaveLog(TMemo* Log, const AnsiString& FileName, bool Cut) {
    TStrings* lines = Log->Lines();
    TStringList kept;
    int first = Cut ? std::max(0, lines->Count() - MaxLogLines) : 0;
    for (int i = first; i < lines->Count(); ++i) kept.Add(lines->Strings(i));
    WriteFileAtomically(FileName, kept.Text());
}

void LoadFilters(TMyIniFile& Ini, const char* Section, TKeyValueList* List) {
    TStringList names;
    Ini.ReadSection(Section, &names);
    for (int i = 0; i < names.Count(); ++i)
        List->AddKeyValue(names.Strings(i), Ini.ReadString(Section, names.Strings(i), ""));
}

void SaveFilters(TIniFile& Ini, const char* Section, TKeyValueList* List) {
    Ini.EraseSection(Section);
    for (int i = 0; i < List->Count(); ++i) Ini.WriteString(Section, List->Strings(i), List->GetValueByIndex(i));
}

// Every saved key of "Tesk.ini", in the order of the file.
void WriteSettings(TfrmMain& W, const AnsiString& FileName) {
    TIniFile ini(FileName);
    ini.WriteString("DataBase", "ActiveGroup", ActiveGroup);
    ini.WriteBool("General", "ShowHints", W.ShowHint());
    ini.WriteInteger("General", "ActivePageIndex", W.pcMain->ActivePageIndex());
    ini.WriteString("General", "ActiveLanguage", W.ActiveLanguage());
    ini.WriteString("General", "AccessDateFormat", W.AccessDateFormat);
    ini.WriteBool("General", "AutoCopyReportToClipboard", W.AutoCopyReportToClipboard);
    ini.WriteBool("General", "WatchClipboard", W.mnuWatchClipboard->Checked());
    ini.WriteBool("General", "PlaySounds", W.mnuPlaySounds->Checked());

    ini.WriteInteger("ViewPlanets", "VeryOldReport", W.VeryOldReport);
    ini.WriteInteger("ViewPlanets", "OldReport", W.OldReport);
    ini.WriteInteger("ViewPlanets", "AgingReport", W.AgingReport);
    ini.WriteInteger("ViewPlanets", "NewReport", W.NewReport);
    ini.WriteInteger("ViewPlanets", "FreshReport", W.FreshReport);
    for (const TTextKey& k : ThresholdKeys) ini.WriteString("ViewPlanets", k.Key, (W.*k.Edit)->Text());
    ini.WriteString("ViewPlanets", "PrimaryOrderBy", W.PrimaryOrderBy);
    ini.WriteString("ViewPlanets", "PrimarySortOrder", W.PrimarySortOrder);
    ini.WriteString("ViewPlanets", "SecondaryOrderBy", W.SecondaryOrderBy);
    ini.WriteString("ViewPlanets", "SecondarySortOrder", W.SecondarySortOrder);
    ini.WriteString("ViewPlanets", "Sort", dmMain->PlanetSort);
    ini.WriteInteger("ViewPlanets", "SelectedPlanetID", dmMain->SelectedPlanetID);

    for (const TCheckKey& k : CheckKeys) ini.WriteBool(k.Section, k.Key, (W.*k.Box)->Checked());
    ini.WriteString("ViewCombats", "CombatSort", dmMain->CombatSort);
    ini.WriteString("ViewAlliances", "AllianceSort", dmMain->AllianceSort);
    for (const TTextKey& k : PowerKeys) ini.WriteString("Power", k.Key, (W.*k.Edit)->Text());
    SaveFilters(ini, "Filter", W.PlanetFilters.get());
    SaveFilters(ini, "CombatFilter", W.CombatFilters.get());
    ini.WriteString("ViewPlayers", "PlayerSort", dmMain->PlayerSort);
}

}  // namespace

// ---------------------------------------------------------------- window events
void TfrmMain::FormCreate(TObject*) {
    Shown = false;
    ErrorRecorded = false;
    if (!dmMain) dmMain = new TdmMain(this);
    dmMain->OnUpdateCaption = TNotifyEvent(this, &TfrmMain::UpdateCaption);
    dmMain->OnCompactionFailed = TLogMessage(this, &TfrmMain::CompactionFailed);
    Clipboard = std::make_unique<THtmlClipboard>();
    AddClipboardListener(TClipboardChangeEvent(this, &TfrmMain::ClipboardNotice));
    OnAddAlliance = TEntityAddedEvent(this, &TfrmMain::AddAlliance);
    OnAddPlayer = TEntityAddedEvent(this, &TfrmMain::AddPlayer);
    PlanetFilters = std::make_unique<TKeyValueList>();
    PlanetFilters->SetCombobox(cmbPlanetFilter);
    CombatFilters = std::make_unique<TKeyValueList>();
    CombatFilters->SetCombobox(cmbCombatFilter);
}

// A failure ends the first show where it happened; the window stays up with
// the error recorded, so that closing it saves nothing.
void TfrmMain::FormShow(TObject*) {
    try {
        FirstShow();
    } catch (...) {
        Application->HandleException(this);
    }
}

void TfrmMain::FirstShow() {
    actLoadSettings->Execute();
    srand(GetTickCount());
    FillAllianceCombo();
    FillPlayerCombo();
    cmbPlayer->SetItemIndex(-1);
    cmbAlliance->SetItemIndex(-1);
    grpRating->SetItemIndex(-1);
    actPopulateCombatReports->Execute();
    actPopulateEspionageReports->Execute();
    dmMain->OnLogMessage = TLogMessage(this, &TfrmMain::DataModuleLogMessage);
    Shown = true;
    FocusActivePage();
}

// The wheel moves the focused control's rows: the window starts on the shown
// page's grid or text, not on the tab bar, whose rows are the pages.
void TfrmMain::FocusActivePage() {
    TTabSheet* page = pcMain->ActivePage();
    const std::pair<TTabSheet*, TWinControl*> controls[] = {
        {tsViewSpyReports, grdPlanet},       {tsViewCombatReports, grdCombat}, {tsViewAlliance, grdAlliance},
        {tsViewPlayer, grdPlayer},           {tsSolarSystem, memSolarSystem},  {tsProcessSpyReports, memSpy},
        {tsProcessCombatReports, memCombat}, {tsParseAlliances, memAlliance},  {tsCalculatePower, edtoLF}};
    for (const auto& [sheet, control] : controls)
        if (sheet == page && control->CanFocus()) SetActiveControl(control);
}

bool TfrmMain::CloseQuery() {
    closing_ = true;
    return TForm::CloseQuery();
}

// The window closes in any case. While an import or a reprocessing pass runs,
// its commands are disabled and the files it is changing are still moving, so
// the save waits for its end; the program ends right after.
void TfrmMain::FormClose(TObject*, TCloseAction&) {
    closing_ = true;
    AfterCommand([this] { SaveAtClose(); });
}

void TfrmMain::SaveAtClose() {
    // Called directly: the action is only the menu's way to it.
    if (Shown || !ErrorRecorded) {
        actSaveSettingsExecute(actSaveSettings);
    } else {
        try {
            dmMain->CloseDatabase();
        } catch (const Exception& e) {
            ReportSettingsProblem(e.Message());
        }
    }
    if (!closeProblems_.empty()) {
        AnsiString text = "Tesk could not save everything before closing; these files keep what they held before:\r";
        for (const AnsiString& problem : closeProblems_) text += "\r" + problem;
        closeProblems_.clear();
        MessageDlg(text, mtError, MsgDlgButtons({mbOK}));
    }
    try {
        PlanetFilters.reset();
        CombatFilters.reset();
    } catch (...) {
    }
}

void TfrmMain::FormDestroy(TObject*) {
    // A data module that outlives the window (it compacts when it goes) no
    // longer reports to it.
    if (dmMain) {
        if (dmMain->OnCompactionFailed == TLogMessage(this, &TfrmMain::CompactionFailed))
            dmMain->OnCompactionFailed = nullptr;
        if (dmMain->OnLogMessage == TLogMessage(this, &TfrmMain::DataModuleLogMessage)) dmMain->OnLogMessage = nullptr;
    }
    PlanetFilters.reset();
    CombatFilters.reset();
    Clipboard.reset();
    RemoveClipboardListener(TClipboardChangeEvent(this, &TfrmMain::ClipboardNotice));
}

void TfrmMain::ClipboardNotice(bool OwnChange) {
    if (!OwnChange && OnClipboardChanged) OnClipboardChanged(this);
}

void TfrmMain::FormResize(TObject*) {
    int width = Width();
    if (sbMain->Panels()->Count() > 0) sbMain->Panels()->Items(0)->SetWidth(width - width / 4);
    for (TCheckBox* box : {cbxKeepTech, cbxKeepDefs, cbxKeepBuilds}) box->SetWidth(width - box->Left() - 5);
    edtCombatFilter->SetWidth(width - edtCombatFilter->Left() - 25);
    FitCombatOptions();
}

// The combat page's options show their whole captions in the platform's font:
// their panel grows to the widest one (the report memo beside it keeps at
// least a third of the window) and each box fills the panel.
void TfrmMain::FitCombatOptions() {
    const std::initializer_list<TCheckBox*> boxes = {cbxSubstractResources, cbxSubstractDefences, cbxSubstractFleet};
    TWinControl* panel = cbxSubstractResources->Parent();
    if (!panel) return;
    constexpr int DesignedWidth = 380, Margin = 8;
    int need = DesignedWidth;
    for (TCheckBox* box : boxes) need = std::max(need, box->Left() + box->CaptionFitWidth() + Margin);
    const int width = std::min(need, std::max(DesignedWidth, ClientWidth() * 2 / 3));
    if (panel->Width() != width) panel->SetWidth(width);
    for (TCheckBox* box : boxes) box->SetWidth(width - box->Left() - Margin);
}

// The settings stores report a file they had to set aside or could not
// write through the application's exception handling; the user hears of
// those. Everything else is only recorded.
void TfrmMain::ApplicationEvents1Exception(TObject* Sender, Exception* E) {
    if (dynamic_cast<TStCustomAppStorage*>(Sender) || dynamic_cast<TStFormPlacement*>(Sender)) {
        ReportSettingsProblem(E->Message());
        return;
    }
    ErrorRecorded = true;
}

void TfrmMain::ReportSettingsProblem(const AnsiString& Text) {
    if (std::find(reportedProblems_.begin(), reportedProblems_.end(), Text) != reportedProblems_.end()) return;
    reportedProblems_.push_back(Text);
    const AnsiString line = Format("%s - Error: %s", {LogTimeStamp(), Text});
    if (closing_) {
        closeProblems_.push_back(Text);
    } else if (!Shown) {
        MessageDlg(Text, mtError, MsgDlgButtons({mbOK}));
    }
    LogLine(line);
}

// Told as a file that could not be saved: at a group switch in the log, at
// the close in its box as well.
void TfrmMain::CompactionFailed(TObject*, const AnsiString& Text) { ReportSettingsProblem(Text); }

void TfrmMain::LogLine(const AnsiString& Line) {
    if (logLoaded_)
        AddToLog(Line);
    else
        heldLogLines_.push_back(Line);
}

void TfrmMain::LogFileLoaded() {
    logLoaded_ = true;
    std::vector<AnsiString> held;
    held.swap(heldLogLines_);
    for (const AnsiString& line : held) AddToLog(line);
}

// A wheel notch becomes an Up or Down key for the same window, so grids and
// memos move one row per notch.
void TfrmMain::AppMessage(TMsg& Msg, bool& Handled) {
    if (Msg.message != WM_MOUSEWHEEL) return;
    Msg.message = WM_KEYDOWN;
    Msg.wParam = static_cast<int32_t>(Msg.wParam) > 0 ? VK_UP : VK_DOWN;
    Handled = false;
}

// ---------------------------------------------------------------- settings
void TfrmMain::actLoadSettingsExecute(TObject*) {
    TMyIniFile ini(SettingsPath());
    // Keys the file lacks and cannot take back (a full disk, a file that
    // cannot be replaced) are told once; the load goes on with the defaults.
    AnsiString eraseFailure;
    TScopeGuard reportWriteBack([&] {
        const AnsiString& failure = ini.WriteBackFailure().empty() ? eraseFailure : ini.WriteBackFailure();
        if (!failure.empty())
            ReportSettingsProblem(failure + ". The settings missing from it take their default values");
    });
    const auto loadLayout = [this](TDBGridGx* Grid, const char* Name) {
        const AnsiString line = LoadLayout(Grid, Name);
        if (!line.empty()) LogLine(line);
    };
    ActiveGroup = ini.ReadString("DataBase", "ActiveGroup", "");
    GroupUser = ini.ReadString("DBGroup", ActiveGroup + "_User", "");
    GroupPath = ini.ReadString("DBGroup", ActiveGroup + "_Path", ProgramFolder() + "Tesk.mdb");
    ConnectionString = ini.ReadString("DataBase", "ConnectionString", DefaultConnectionString);

    SetActiveLanguage(ini.ReadString("General", "ActiveLanguage", ""));

    SetShowHint(ini.ReadBool("General", "ShowHints", true));
    mnuHints->SetChecked(ShowHint());
    AccessDateFormat = ini.ReadString("General", "AccessDateFormat", MonthFirstDateFormat);
    if (SameText(AccessDateFormat, MonthFirstDateFormat))
        mnummddyyyy->SetChecked(true);
    else
        mnuddmmyyyy->SetChecked(true);
    AutoCopyReportToClipboard = ini.ReadBool("General", "AutoCopyReportToClipboard", true);
    mnuWatchClipboard->SetChecked(ini.ReadBool("General", "WatchClipboard", true));
    mnuPlaySounds->SetChecked(ini.ReadBool("General", "PlaySounds", true));

    VeryOldReport = ini.ReadInteger("ViewPlanets", "VeryOldReport", 10);
    OldReport = ini.ReadInteger("ViewPlanets", "OldReport", 5);
    AgingReport = ini.ReadInteger("ViewPlanets", "AgingReport", 3);
    NewReport = ini.ReadInteger("ViewPlanets", "NewReport", 1);
    FreshReport = ini.ReadInteger("ViewPlanets", "FreshReport", 0);
    for (const TTextKey& k : ThresholdKeys) (this->*k.Edit)->SetText(ini.ReadString("ViewPlanets", k.Key, k.Default));
    PrimaryOrderBy = ini.ReadString("ViewPlanets", "PrimaryOrderBy", DefaultPrimaryOrderBy);
    if (PrimaryOrderBy.empty()) PrimaryOrderBy = DefaultPrimaryOrderBy;
    PrimarySortOrder = ini.ReadString("ViewPlanets", "PrimarySortOrder", "ASC");
    SecondaryOrderBy = ini.ReadString("ViewPlanets", "SecondaryOrderBy", "");
    SecondarySortOrder = ini.ReadString("ViewPlanets", "SecondarySortOrder", "ASC");
    dmMain->PlanetSort = ini.ReadString("ViewPlanets", "Sort", DefaultPlanetSort);
    loadLayout(grdPlanet, "Planet.grd");
    dmMain->SelectedPlanetID = ini.ReadInteger("ViewPlanets", "SelectedPlanetID", -1);

    for (const TCheckKey& k : CheckKeys) (this->*k.Box)->SetChecked(ini.ReadBool(k.Section, k.Key, true));
    edtPlayerName->SetText(GroupUser);
    dmMain->CombatSort = ini.ReadString("ViewCombats", "CombatSort", DefaultCombatSort);
    loadLayout(grdCombat, "Combat.grd");
    dmMain->AllianceSort = ini.ReadString("ViewAlliances", "AllianceSort", DefaultAllianceSort);
    loadLayout(grdAlliance, "Alliance.grd");
    for (const TTextKey& k : PowerKeys) (this->*k.Edit)->SetText(ini.ReadString("Power", k.Key, k.Default));

    // Saved filters of older versions move into "Filter". Their keys are
    // only looked for, never written back: a file without them is left alone.
    if (ini.SectionExists("CustomFilter")) {
        try {
            for (int n = 0;; ++n) {
                AnsiString caption = ini.TIniFile::ReadString("CustomFilter", "Caption" + std::to_string(n), "");
                if (caption.empty()) break;
                ini.WriteString("Filter", caption,
                                ini.TIniFile::ReadString("CustomFilter", "Filter" + std::to_string(n), ""));
            }
        } catch (const Exception&) {
        }
        try {
            ini.EraseSection("CustomFilter");
        } catch (const EIniFileException& e) {
            // The old section stays, to be moved again at the next start.
            eraseFailure = e.Message();
        }
    }
    LoadFilters(ini, "Filter", PlanetFilters.get());
    LoadFilters(ini, "CombatFilter", CombatFilters.get());

    dmMain->PlayerSort = ini.ReadString("ViewPlayers", "PlayerSort", DefaultPlayerSort);
    loadLayout(grdPlayer, "Player.grd");

    TakeUsableOrders();

    LogFileName = WithExtension(GroupPath, ".log");
    LoadLog(memLog, LogFileName);
    LogFileLoaded();

    // A format that names no file cannot open one; the file keeps it (it is
    // never saved), this start uses the default.
    if (ConnectionStringValue(FillConnectionFormat(ConnectionString, GroupPath), "Data Source").empty()) {
        LogLine(Format("%s - Error: [DataBase] ConnectionString=%s in %s names no Data Source; the default is used",
                       {LogTimeStamp(), ConnectionString, AnsiString(SettingsFile)}));
        ConnectionString = DefaultConnectionString;
    }
    dmMain->OpenDatabase(GroupPath, ConnectionString);

    int page = ini.ReadInteger("General", "ActivePageIndex", tsViewSpyReports->PageIndex());
    if (page >= 0 && page < pcMain->PageCount()) pcMain->SetActivePageIndex(page);
    UpdateDateDisplayFormat();
}

void TfrmMain::TakeUsableOrders() {
    struct TStoredOrder {
        TDataSet* View;
        AnsiString& Sort;
        const char* Section;
        const char* Key;
        const char* Default;
    } const orders[] = {{dmMain->viewPlanet, dmMain->PlanetSort, "ViewPlanets", "Sort", DefaultPlanetSort},
                        {dmMain->viewCombat, dmMain->CombatSort, "ViewCombats", "CombatSort", DefaultCombatSort},
                        {dmMain->tblAlliance, dmMain->AllianceSort, "ViewAlliances", "AllianceSort",
                         DefaultAllianceSort},
                        {dmMain->tblPlayer, dmMain->PlayerSort, "ViewPlayers", "PlayerSort", DefaultPlayerSort}};
    for (const TStoredOrder& o : orders) {
        // The views' fields are made with the data module, so a closed view knows them.
        AnsiString problem;
        try {
            for (const TDbSortKey& key : ParseSortText(o.Sort))
                if (!o.View->FindField(key.name)) problem = "Field '" + key.name + "' not found";
        } catch (const EDatabaseError& e) {
            problem = e.Message();
        }
        if (problem.empty()) continue;
        LogLine(Format("%s - Error: [%s] %s=%s in %s cannot order the view (%s); it is ordered by %s",
                       {LogTimeStamp(), AnsiString(o.Section), AnsiString(o.Key), o.Sort, AnsiString(SettingsFile),
                        problem, AnsiString(o.Default)}));
        o.Sort = o.Default;
    }
}

void TfrmMain::actSaveSettingsExecute(TObject*) {
    // Each file on its own: one that cannot be written keeps its old contents
    // and is reported, and the others are saved all the same. The log goes
    // last, so that it keeps those reports.
    const auto attempt = [this](const std::function<void()>& Save) {
        try {
            Save();
        } catch (const std::exception& e) {
            const auto* own = dynamic_cast<const Exception*>(&e);
            ReportSettingsProblem(own ? own->Message() : AnsiString(e.what()));
        }
    };
    attempt([this] { WriteSettings(*this, SettingsPath()); });
    attempt([this] { SaveLayout(grdPlanet, "Planet.grd"); });
    attempt([this] { SaveLayout(grdCombat, "Combat.grd"); });
    attempt([this] { SaveLayout(grdAlliance, "Alliance.grd"); });
    attempt([this] { SaveLayout(grdPlayer, "Player.grd"); });
    // The layouts are written from the open views; the database is closed
    // (and compacted) only then, and before the log, which so keeps a
    // compaction that failed.
    attempt([] { dmMain->CloseDatabase(); });
    attempt([this] { SaveLog(memLog, LogFileName, true); });
}

// ---------------------------------------------------------------- group switch
void TfrmMain::actSelectUserExecute(TObject*) {
    std::unique_ptr<TfrmSelectDB, TFormFree> dialog(CreateForm<TfrmSelectDB>(this));
    ApplyLanguageToSelectDBForm(dialog.get(), activeLanguage_);
    dialog->ActiveGroup = ActiveGroup;
    if (dialog->ShowModal() != mrOk) return;
    // OK over an empty list chose no group: the open database stays.
    TDataSet* groups = dmMain->viewGroup;
    if (!groups->Active() || groups->IsEmpty()) {
        groups->Close();
        return;
    }
    SwitchToSelectedGroup();
}

void TfrmMain::SwitchToSelectedGroup() {
    TDataSet* groups = dmMain->viewGroup;
    try {
        SaveLog(memLog, LogFileName, false);
    } catch (const Exception& e) {
        // Clearing the pane now would lose its lines: the switch waits until
        // the log can be written.
        const AnsiString text = e.Message() + ". The open database stays, and the log pane keeps its lines";
        groups->Close();
        MessageDlg(text, mtError, MsgDlgButtons({mbOK}));
        LogLine(Format("%s - Error: %s", {LogTimeStamp(), text}));
        return;
    }
    memLog->Lines()->Clear();
    // What the switch logs (the file left that could not be compacted) goes
    // after the lines of the new group's log.
    logLoaded_ = false;

    ActiveGroup = groups->FieldByName("GroupName")->AsString();
    GroupUser = groups->FieldByName("GroupUser")->AsString();
    GroupPath = groups->FieldByName("GroupPath")->AsString();
    groups->Close();

    LogFileName = WithExtension(GroupPath, ".log");
    edtPlayerName->SetText(GroupUser);
    // The new group's log comes into the pane whatever the open does, so that
    // the close never writes an empty pane over it.
    try {
        dmMain->OpenDatabase(GroupPath, ConnectionString);
        pcMainChange(pcMain);
    } catch (...) {
        LoadLog(memLog, LogFileName);
        LogFileLoaded();
        throw;
    }
    LoadLog(memLog, LogFileName);
    LogFileLoaded();
}

// ---------------------------------------------------------------- caption and status
void TfrmMain::UpdateCaption(TObject*) {
    static const AnsiString format = FromUtf8Literal("Tesk v%sr (%s) [База: %s]");
    SetCaption(Format(format, {dmMain->ProgramVersion, activeLanguage_, ActiveGroup}));
}

void TfrmMain::SetStatusText(const AnsiString& Text, int Count) {
    if (sbMain->Panels()->Count() < 2) return;
    sbMain->Panels()->Items(1)->SetText(Text + " " + (Count == 0 ? AnsiString() : std::to_string(Count)));
}

void TfrmMain::UpdateDateDisplayFormat() {
    AnsiString format = mnuddmmyyyy->Checked() ? "dd.mm.yyyy" : "mm.dd.yyyy";
    for (TField* f : {dmMain->viewCombat->FindField("DateTime"), dmMain->viewPlanet->FindField("SolarSystemScan"),
                      dmMain->viewPlanet->FindField("LastScanned"), dmMain->viewPlanet->FindField("LastAttacked")})
        if (auto* d = dynamic_cast<TDateTimeField*>(f)) d->SetDisplayFormat(format);
    pcMainChange(pcMain);
}
