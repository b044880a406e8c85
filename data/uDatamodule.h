#pragma once
// TdmMain: the game database's data module. It owns the connection to the
// database file and the data sets that the windows bind to (all described by
// its form definition, TdmMain.form), opens a file, checks and upgrades its
// schema version, and compacts the file after every disconnect once a file
// has been opened. It finds, creates and renames single rows for the imports,
// writes the alliance and player pages' edits and guards their deletes.
#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "platform/db/DbClassInfo.h"
#include "platform/classes/Classes.h"
#include "platform/db/AdoDataSets.h"
#include "platform/db/DB.h"
#include "platform/db/SqliteConnection.h"
#include "platform/db/StMemoryDataset.h"
#include "platform/rtti/TypInfo.h"

// Closes the query and gives it a new statement, one line per item.
void SetQueryStatement(TADOQuery* Query, std::initializer_list<AnsiString> Lines);

// A log line of the data module for the main window.
using TLogMessage = Delegate<void(TObject* Sender, const AnsiString& Msg)>;

class TdmMain : public TComponent {
    TESK_CLASS(TdmMain, TComponent)
public:
    // Builds the module from its definition and runs OnCreate.
    explicit TdmMain(TComponent* AOwner);
    // Runs OnDestroy (which disconnects, and so compacts the open file). Free
    // the module with FreeObject or through its owner: a plain delete skips it.
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
    // Normal, Raidable, Friendly, Inactive, Dangerous, nOOb, Crashable,
    // Blocked; the language load replaces these defaults.
    std::array<AnsiString, 8> RatingCaptions = {"Normal",    "Raidable", "Friendly",  "Inactive",
                                                "Dangerous", "nOOb",     "Crashable", "Blocked"};
    // Sums over the selected combats, whole: every digit of a 64-bit count.
    int64_t SumMetalRaided = 0;
    int64_t SumCrystalRaided = 0;
    int64_t SumDeuteriumRaided = 0;
    int64_t SumMetalDebris = 0;
    int64_t SumCrystalDebris = 0;
    int SelectionCount = 0;

    TLogMessage OnLogMessage;
    // A compaction that failed, with the text that names the file and why.
    TLogMessage OnCompactionFailed;
    // Asked after every OpenDatabase that got as far as the version check; the
    // main window rewrites its caption.
    TNotifyEvent OnUpdateCaption;
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;

    // ---- Connection, version check, upgrade, compaction ----
    // Closes the open file (compacting it once compaction is bound), then opens
    // Path with AConnectionFormat (one "%s" for the path). True when the file
    // is open and its schema current. A missing file shows an error box and
    // raises Exception "Tesk.mdb not found"; a failure to connect shows its
    // reason in an error box and raises; a file that is no Tesk database is
    // named in an error box and answers False.
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
    // Whether a stored version is one UpgradeDatabase takes.
    static bool IsAcceptedVersion(const AnsiString& Version);
    // The upgrade steps. Each runs in a transaction of its own and answers
    // True when its version statement ran; an error other than a column that
    // already exists rolls the step back and is raised.
    bool UpgradeStepA();
    bool UpgradeStepB();
    bool UpgradeStepC();
    bool UpgradeStepD();
    bool UpgradeStepE();
    bool UpgradeStepF();
    // Compacts the file at DatabasePath in place. A failure leaves the file as
    // it was, answers False and is told through OnCompactionFailed (through
    // OnLogMessage while that is unbound).
    bool CompactDatabase();

    // ---- Finders ----
    // Each answers True when exactly one row matched and leaves its data set
    // open on whatever matched. Texts reach the database as parameters; names
    // match as the database compares them (without regard to case).
    //
    // A planet or moon (Moon "0" or "1") in qryPlanet. Two or more rows raise
    // a plain Exception, which the imports do not take for their own.
    bool FindPlanet(const AnsiString& Galaxy, const AnsiString& SolarSystem, const AnsiString& Position,
                    const AnsiString& Moon);
    // The ones by ID answer without a new query when their data set already
    // shows that row and the file still holds it.
    bool FindPlanetByID(int PlanetID);
    // Likewise when qryPlayer already shows exactly this name; two or more
    // rows raise ETeskException.
    bool FindPlayerByName(const AnsiString& PlayerName);
    bool FindPlayerByID(int PlayerID);
    bool FindAllianceByID(int AllianceID);
    bool FindAllianceByName(const AnsiString& AllianceName);
    bool FindCombatByID(int CombatID);
    // Closes the finder data sets that show rows (not those being edited),
    // so that no shortcut answers from a row read before: after a grid's
    // write bypassed them, and as a paste begins (another program may have
    // changed the file since the last one).
    void ForgetFinderRows();

    // ---- Rows ----
    // Runs the statements through qryTmp in one transaction; an error rolls
    // back and is raised.
    void ExecuteInTransaction(std::initializer_list<AnsiString> Statements);
    // The ID of the "<none>" alliance of players without one, made when missing.
    int GetNoneAllianceID();
    // The ID of the alliance of that name, made when missing; "" gives "<none>".
    Variant GetAllianceID(const AnsiString& AllianceName);
    // The player's ID, made when missing, moved to the alliance (to "<none>"
    // for ""). Runs in a transaction of its own, which nests in the caller's;
    // an error rolls that level back and is raised, the caller's level is
    // left to the caller.
    int FindOrCreatePlayer(const AnsiString& PlayerName, const AnsiString& AllianceName);
    void SetPlayerAlliance(int PlayerID, const AnsiString& AllianceName);
    // Renames a player. When a namesake refuses the name, the namesake's
    // planets go to this player and the namesake is removed, then the rename
    // is tried once more; a second refusal raises ETeskException.
    void SetPlayerName(int PlayerID, const AnsiString& NewName);
    // Removes the planet or moon at the position, with a warning line to the
    // log; nothing when there is none.
    void DeleteDestroyedPlanet(const AnsiString& Galaxy, const AnsiString& SolarSystem, const AnsiString& Position,
                               const AnsiString& Moon);
    // A row being appended to qryPlanet: every value null, LastScanned now,
    // NumberOfAttacks 0.
    void InitNewPlanetRecord();
    void DoLogMessage(const AnsiString& Msg);
    // Runs Action now outside a transaction; inside one, when the outermost
    // level commits, and never when the level it was asked in is rolled
    // back. A warning about a change is logged this way, so that no line
    // speaks of a change the file does not hold.
    void WhenCommitted(std::function<void()> Action);
    // The width of the Name columns (and of PlanetName): longer names are
    // stored cut, and are looked up by that cut form.
    static constexpr int NameWidth = 50;
    static AnsiString NameInColumn(const AnsiString& Name) { return Name.substr(0, NameWidth); }
    void SetOnLogMessage(TLogMessage Value) { OnLogMessage = Value; }
    // Reads the database groups of the section of "Tesk.ini" in the program
    // folder into viewGroup. The result means nothing.
    bool LoadGroups(const AnsiString& Section);

    // ---- Handlers of the definition ----
    void DataModuleCreate(TObject* Sender);
    void DataModuleDestroy(TObject* Sender);
    void adoConnectionAfterDisconnect(TObject* Sender);
    // Writes a posted row of the alliance or player page to the file.
    void TableBeforePost(TDataSet* DataSet);
    // The delete guards of the two pages and the protection of "<none>".
    void tblAllianceBeforeDelete(TDataSet* DataSet);
    void tblPlayerBeforeDelete(TDataSet* DataSet);
    void tblAllianceBeforeEdit(TDataSet* DataSet);
    void viewPlanetCalcFields(TDataSet* DataSet);
    void tblPlayerCalcFields(TDataSet* DataSet);
    void viewPlanetRatingExpandedGetText(TField* Sender, AnsiString& Text, bool DisplayText);
    void viewPlanetBeforeClose(TDataSet* DataSet);
    void viewPlanetAfterOpen(TDataSet* DataSet);

private:
    // Rebuilds every index of a file whose indexes were not built with the
    // code page's fold (PRAGMA user_version), in one transaction, and marks
    // the file. A unique index that the fold finds duplicates in becomes a
    // plain one, so the check never locks the user out of stored rows.
    void ReindexNames();
    // Declares the count columns of a file as 64-bit integers where it still
    // has them as 32-bit ones; every stored value stays as it is.
    void WidenCountColumns();
    // Whether the file still holds the row of the table with that ID.
    bool RowInFile(const char* Table, int ID);
    bool RunUpgradeStatements(std::initializer_list<AnsiString> Statements);
    // Runs the statements through qryTmp, one after the other.
    void ExecuteStatements(std::initializer_list<AnsiString> Statements);
    // Gives a finder its two lines and parameters (by position), opens it, goes
    // to the last row and answers the count.
    int OpenFinder(TADOQuery* Query, const char* Select, const char* Condition, std::initializer_list<Variant> Values);
    // The alliance's ID after FindAllianceByName, appending the row when missing.
    int FindOrAppendAlliance(const AnsiString& AllianceName);
    void RenamePlayer(int PlayerID, const AnsiString& NewName, bool MayMerge);
    // The first column of the statement's first row, through qryTmp.
    int CountDependants(const AnsiString& Statement);
    // A grid's write of its row or delete, in one transaction. After it the
    // finders forget the rows it went past; when it fails: a log line, the
    // edit is cancelled and so is the grid's operation (EAbort).
    void WriteForGrid(TDataSet* DataSet, const AnsiString& Table, const std::function<void()>& Write);
    // The dialog of a delete guard whose row has dependants: the target ID, -1
    // for none; Abort when the user cancels.
    int AskMasterDelete(const AnsiString& Prompt, const AnsiString& ListStatement, const AnsiString& DeletedName,
                        bool WithAlliance);
    // Pending actions of WhenCommitted with the level they belong to.
    void TransactionCommitted(TObject* Sender, int Level);
    void TransactionRolledBack(TObject* Sender, int Level);
    std::vector<std::pair<int, std::function<void()>>> whenCommitted_;
    bool destroyed_ = false;
};

// The status letters of the language file, in the player status column.
extern AnsiString SSNoobIndicator;
extern AnsiString SSStrongIndicator;
extern AnsiString SSBannedIndicator;
extern AnsiString SSInactiveIndicator;
extern AnsiString SSLongInactiveIndicator;
extern AnsiString SSVacationIndicator;

extern TdmMain* dmMain;

// The connection string for a file: Format with its one "%s" replaced by Path
// ("%%" stands for a percent sign). Nothing else in Format is interpreted.
AnsiString FillConnectionFormat(const AnsiString& Format, const AnsiString& Path);
