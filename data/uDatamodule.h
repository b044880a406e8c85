#pragma once
// TdmMain: the game database's data module. It owns the connection to the
// database file and the data sets that the windows bind to (all described by
// its form definition, TdmMain.form), opens a file, checks and upgrades its
// schema version, and compacts the file after every disconnect once a file
// has been opened.
#include <array>

#include "data/DbClassInfo.h"
#include "platform/classes/Classes.h"
#include "platform/db/AdoDataSets.h"
#include "platform/db/DB.h"
#include "platform/db/SqliteConnection.h"
#include "platform/db/StMemoryDataset.h"
#include "platform/rtti/TypInfo.h"

// A log line of the data module for the main window.
using TLogMessage = Delegate<void(TObject* Sender, const AnsiString& Msg)>;

class TdmMain : public TComponent {
    TESK_CLASS(TdmMain, TComponent)
public:
    // Builds the module from its definition and runs OnCreate.
    explicit TdmMain(TComponent* AOwner);
    ~TdmMain() override;
    // Runs OnDestroy (which disconnects, and so compacts the open file).
    void BeforeDestruction() override;

    // ---- Components of the definition ----
    TADOConnection* adoConnection = nullptr;
    TADOQuery* qryTmp = nullptr;
    TADOQuery* viewPlanet = nullptr;
    TADOQuery* viewCombat = nullptr;
    TADOQuery* viewAlliance = nullptr;
    TADOQuery* qryPlanet = nullptr;
    TADOQuery* qryPlayer = nullptr;
    TADOQuery* qryAlliance = nullptr;
    TADOQuery* qryCombat = nullptr;
    TADOTable* tblAlliance = nullptr;
    TADOTable* tblPlayer = nullptr;
    TADOConnection* ImportConnection = nullptr;
    TADOQuery* qryImport = nullptr;
    TStMemoryData* viewGroup = nullptr;
    TDataSource* dsPlanet = nullptr;
    TDataSource* dsCombat = nullptr;
    TDataSource* dsAlliance = nullptr;
    TDataSource* dsPlayer = nullptr;
    TDataSource* dsGroup = nullptr;

    // ---- Shared state ----
    // The executable's file version, "%u.%u.%u.%u".
    AnsiString ProgramVersion;
    // The file and the connection-string format of the last OpenDatabase.
    AnsiString DatabasePath;
    AnsiString ConnectionFormat;
    // The planet row to return to when viewPlanet opens again.
    int SelectedPlanetID = 0;
    // Sort texts of the pages' data sets ("Field ASC, Other DESC").
    AnsiString PlanetSort;
    AnsiString CombatSort;
    AnsiString AllianceSort;
    AnsiString PlayerSort;
    // Normal, Raidable, Friendly, Inactive, Dangerous, nOOb, Crashable, Blocked.
    std::array<AnsiString, 8> RatingCaptions;
    // Sums over the selected combats.
    double SumMetalRaided = 0;
    double SumCrystalRaided = 0;
    double SumDeuteriumRaided = 0;
    double SumMetalDebris = 0;
    double SumCrystalDebris = 0;
    int SelectionCount = 0;

    TLogMessage OnLogMessage;
    // Asked after every OpenDatabase that got as far as the version check; the
    // main window rewrites its caption.
    TNotifyEvent OnUpdateCaption;
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;

    // ---- Connection, version check, upgrade, compaction ----
    // Closes the open file (compacting it once compaction is bound), then opens
    // Path with AConnectionFormat (one "%s" for the path). True when the file
    // is open and its schema current. A missing file shows an error box and
    // raises Exception "Tesk.mdb not found"; a failure to connect raises.
    bool OpenDatabase(const AnsiString& Path, const AnsiString& AConnectionFormat);
    // Closes the pages' data sets and disconnects; nothing when not connected.
    void CloseDatabase();
    // Connects, reads the stored schema version and upgrades the file; a
    // refused or failed check shows a warning box and answers False (the
    // connection stays open).
    bool CheckDatabaseVersion();
    // Runs the steps that bring Version up to date; False for a version that is
    // not accepted (nothing runs). A failing step raises its error.
    bool UpgradeDatabase(const AnsiString& Version);
    // The upgrade steps. Each runs in a transaction of its own and answers
    // True when its version statement ran; an error other than a column that
    // already exists rolls the step back and is raised.
    bool UpgradeStepA();
    bool UpgradeStepB();
    bool UpgradeStepC();
    bool UpgradeStepD();
    bool UpgradeStepE();
    bool UpgradeStepF();
    // Compacts the file at DatabasePath in place; errors are dropped (False).
    bool CompactDatabase();

    // ---- Handlers of the definition ----
    void DataModuleCreate(TObject* Sender);
    void DataModuleDestroy(TObject* Sender);
    void adoConnectionAfterDisconnect(TObject* Sender);

private:
    bool RunUpgradeStatements(std::initializer_list<AnsiString> Statements);
    bool destroyed_ = false;
};

extern TdmMain* dmMain;

// The connection string for a file: Format with its one "%s" replaced by Path
// ("%%" stands for a percent sign). Nothing else in Format is interpreted.
AnsiString FillConnectionFormat(const AnsiString& Format, const AnsiString& Path);
