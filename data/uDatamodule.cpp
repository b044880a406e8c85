#include "data/uDatamodule.h"

#include <filesystem>
#include <vector>

#include "data/uDeleteMasterRecord.h"
#include "data/uExceptions.h"
#include "platform/classes/IniFiles.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/classes/Strings.h"
#include "platform/db/SqliteCollation.h"
#include "platform/db/SqliteColumnTypes.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Services.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Resources.h"
#include "text/UtFileUtils.h"

TdmMain* dmMain = nullptr;

AnsiString SSNoobIndicator = "n";
AnsiString SSStrongIndicator = "s";
AnsiString SSBannedIndicator = "b";
AnsiString SSInactiveIndicator = "i";
AnsiString SSLongInactiveIndicator = "I";
AnsiString SSVacationIndicator = "v";

TESK_PUBLISHED(TdmMain) {
    Property("OnCreate", &T::OnCreate, &T::OnCreate);
    Property("OnDestroy", &T::OnDestroy, &T::OnDestroy);
    Handler("DataModuleCreate", &T::DataModuleCreate);
    Handler("DataModuleDestroy", &T::DataModuleDestroy);
    Handler("adoConnectionAfterDisconnect", &T::adoConnectionAfterDisconnect);
    Handler("TableBeforePost", &T::TableBeforePost);
    Handler("tblAllianceBeforeDelete", &T::tblAllianceBeforeDelete);
    Handler("tblPlayerBeforeDelete", &T::tblPlayerBeforeDelete);
    Handler("tblAllianceBeforeEdit", &T::tblAllianceBeforeEdit);
    Handler("viewPlanetCalcFields", &T::viewPlanetCalcFields);
    Handler("tblPlayerCalcFields", &T::tblPlayerCalcFields);
    Handler("viewPlanetRatingExpandedGetText", &T::viewPlanetRatingExpandedGetText);
    Handler("viewPlanetBeforeClose", &T::viewPlanetBeforeClose);
    Handler("viewPlanetAfterOpen", &T::viewPlanetAfterOpen);
    Field("adoConnection", &T::adoConnection);
    Field("qryTmp", &T::qryTmp);
    Field("viewPlanet", &T::viewPlanet);
    Field("viewCombat", &T::viewCombat);
    Field("viewAlliance", &T::viewAlliance);
    Field("qryPlanet", &T::qryPlanet);
    Field("qryPlayer", &T::qryPlayer);
    Field("qryAlliance", &T::qryAlliance);
    Field("qryCombat", &T::qryCombat);
    Field("tblAlliance", &T::tblAlliance);
    Field("tblPlayer", &T::tblPlayer);
    Field("ImportConnection", &T::ImportConnection);
    Field("qryImport", &T::qryImport);
    Field("viewGroup", &T::viewGroup);
    Field("dsPlanet", &T::dsPlanet);
    Field("dsCombat", &T::dsCombat);
    Field("dsAlliance", &T::dsAlliance);
    Field("dsPlayer", &T::dsPlayer);
    Field("dsGroup", &T::dsGroup);
}

void SetQueryStatement(TADOQuery* Query, std::initializer_list<AnsiString> Lines) {
    Query->Close();
    Query->SQL()->Clear();
    for (const AnsiString& line : Lines) Query->SQL()->Add(line);
}

namespace {

const char* const kVersionKey = "ZentaraVersion";

AnsiString VersionStatement(const AnsiString& Version) {
    return "UPDATE tblRegistry SET RegValue='" + Version + "' WHERE RegKey='" + kVersionKey + "'";
}

// Adding a column that a file already has is expected (older steps overlap).
bool IsDuplicateColumn(const Exception& E) {
    return Pos("DUPLICATE COLUMN NAME", UpperCase(E.Message())) > 0;
}

AnsiString ReadProgramVersion() {
    TUtFileVersionInfo info(GetModulePath(nullptr));
    return info.GetFileVersion();
}

// The path as a connection-string value; quoted when it holds a separator.
AnsiString ConnectionValue(const AnsiString& Path) {
    bool quote = Path.find(';') != AnsiString::npos || (!Path.empty() && (Path.front() == ' ' || Path.back() == ' '));
    return quote && Path.find('"') == AnsiString::npos ? "\"" + Path + "\"" : Path;
}

}  // namespace

AnsiString FillConnectionFormat(const AnsiString& Format, const AnsiString& Path) {
    AnsiString out;
    bool filled = false;
    for (size_t i = 0; i < Format.size(); ++i) {
        if (Format[i] == '%' && i + 1 < Format.size()) {
            char next = Format[i + 1];
            if (next == '%') {
                out += '%';
                ++i;
                continue;
            }
            if ((next == 's' || next == 'S') && !filled) {
                out += Path;
                filled = true;
                ++i;
                continue;
            }
        }
        out += Format[i];
    }
    return out;
}

// ---------------------------------------------------------------------------
// Life cycle

TdmMain::TdmMain(TComponent* AOwner) : TComponent(AOwner) {
    RegisterDbClasses();
    ReadComponentResource(this);
    if (OnCreate) OnCreate(this);
}

// OnDestroy runs before TComponent marks the components as being destroyed,
// so its disconnect still compacts the file.
void TdmMain::BeforeDestruction() {
    if (!destroyed_) {
        destroyed_ = true;
        try {
            if (OnDestroy) OnDestroy(this);
        } catch (const Exception&) {
            // Nobody is left to tell: the window that showed the log is gone, and
            // destruction must go on.
        }
    }
    TComponent::BeforeDestruction();
}

void TdmMain::DataModuleCreate(TObject*) {
    adoConnection->AfterDisconnect = nullptr;
    adoConnection->BeforeConnect = nullptr;
    adoConnection->Close();
    adoConnection->AfterCommit = MakeEvent(this, &TdmMain::TransactionCommitted);
    adoConnection->AfterRollback = MakeEvent(this, &TdmMain::TransactionRolledBack);
}

void TdmMain::WhenCommitted(std::function<void()> Action) {
    const int level = adoConnection->Connected() ? adoConnection->TransactionLevel() : 0;
    if (level == 0)
        Action();
    else
        whenCommitted_.emplace_back(level, std::move(Action));
}

void TdmMain::TransactionCommitted(TObject*, int Level) {
    // What the committed level asked for now belongs to the level around it.
    for (auto& pending : whenCommitted_)
        if (pending.first >= Level) pending.first = Level - 1;
    if (Level != 1) return;
    auto ready = std::move(whenCommitted_);
    whenCommitted_.clear();
    for (auto& pending : ready) pending.second();
}

void TdmMain::TransactionRolledBack(TObject*, int Level) {
    std::erase_if(whenCommitted_, [Level](const auto& pending) { return pending.first >= Level; });
    // The finders' rows may hold values the file no longer has (a rename
    // posted and then undone): none of them may answer from such a row. An
    // inner level's caller may still be editing its own row, so only rows
    // being shown are dropped then.
    for (TADOQuery* finder : {qryPlanet, qryPlayer, qryAlliance, qryCombat}) {
        if (Level == 1) finder->Cancel();
        if (finder->State() == dsBrowse) finder->Close();
    }
}

void TdmMain::DataModuleDestroy(TObject*) {
    adoConnection->Close();
    // The finders go before the connection does.
    adoConnection->AfterCommit = nullptr;
    adoConnection->AfterRollback = nullptr;
}

void TdmMain::adoConnectionAfterDisconnect(TObject*) { CompactDatabase(); }

// ---------------------------------------------------------------------------
// Opening a file

namespace {

// Why there is no database file at Path, naming the path tried.
AnsiString MissingDatabaseCause(const AnsiString& Path) {
    namespace fs = std::filesystem;
    const AnsiString name = "\"" + FileNameAsText(Path) + "\"";
    std::error_code ec;
    const fs::file_status status = fs::status(Path.c_str(), ec);
    if (fs::is_directory(status)) return name + " is a folder, not a database file";
    if (status.type() == fs::file_type::not_found) {
        const fs::path folder = fs::path(Path.c_str()).parent_path();
        if (!folder.empty() && !fs::is_directory(folder, ec))
            return "The folder \"" + FileNameAsText(folder.string()) + "\" of the database " + name +
                   " does not exist";
        return name + " does not exist";
    }
    if (ec) return name + " cannot be reached (" + AnsiString(ec.message()) + ")";
    return name + " is not a database file";
}

}  // namespace

bool TdmMain::OpenDatabase(const AnsiString& Path, const AnsiString& AConnectionFormat) {
    // The previous file is still DatabasePath here, so that is what gets compacted.
    CloseDatabase();
    DatabasePath = Path;
    ConnectionFormat = AConnectionFormat;
    if (!IsRegularFile(Path)) {
        MessageDlg("Tesk cannot function without a database\r\r" + MissingDatabaseCause(Path) +
                       ".\r\rPlease specificy a valid PathName and ConnectionString in Tesk.ini",
                   mtError, MsgDlgButtons({mbOK}));
        throw Exception("Tesk.mdb not found");
    }
    adoConnection->SetConnectionString(FillConnectionFormat(ConnectionFormat, Path));
    bool result = CheckDatabaseVersion();
    if (OnUpdateCaption) OnUpdateCaption(this);
    return result;
}

void TdmMain::CloseDatabase() {
    if (!adoConnection->Connected()) return;
    viewPlanet->Close();
    viewAlliance->Close();
    viewCombat->Close();
    tblAlliance->Close();
    tblPlayer->Close();
    adoConnection->Close();
}

bool TdmMain::CheckDatabaseVersion() {
    // This disconnect compacts nothing; every later one does, once the file
    // is accepted: a refused file (empty, not a database, another version)
    // is left byte for byte as it was.
    adoConnection->AfterDisconnect = nullptr;
    adoConnection->BeforeConnect = nullptr;
    adoConnection->Close();
    try {
        adoConnection->Open();
    } catch (const EDatabaseError& e) {
        MessageDlg(e.Message(), mtError, MsgDlgButtons({mbOK}));
        throw;
    }

    ProgramVersion = ReadProgramVersion();

    SetQueryStatement(qryTmp, {"select regvalue from tblRegistry where regkey=:REGK"});
    qryTmp->Parameters()->ParamByName("REGK")->SetValue(AnsiString(kVersionKey));
    try {
        try {
            qryTmp->Open();
        } catch (const EDatabaseError& e) {
            // A file the engine finds damaged (cut short, overwritten in
            // part) is told apart from an empty file, another program's
            // database or no database at all.
            const char* format = adoConnection->LastErrorIsDamage() ? "\"%s\" is a damaged Tesk database (%s)"
                                                                    : "\"%s\" is not a Tesk database (%s)";
            MessageDlg(Format(format, {FileNameAsText(DatabasePath), e.Message()}), mtError, MsgDlgButtons({mbOK}));
            return false;
        }
        if (qryTmp->IsEmpty()) throw Exception("Your database doesn't contain the correct regvalue in tblPlanet");
        AnsiString stored = qryTmp->Fields()->Fields(0)->AsString();
        qryTmp->Close();
        // A refused file is left as it is; an accepted one gets its name
        // indexes in the code page's order before anything writes to it.
        if (!IsAcceptedVersion(stored)) throw Exception(Format("Database version %s isn't supported", {stored}));
        ReindexNames();
        UpgradeDatabase(stored);
        WidenCountColumns();
    } catch (const Exception& e) {
        MessageDlg(e.Message() + "\r\rPlease be warned the database might not be compatible with this version of Tesk",
                   mtWarning, MsgDlgButtons({mbOK}));
        return false;
    }
    adoConnection->AfterDisconnect = MakeEvent(this, &TdmMain::adoConnectionAfterDisconnect);
    return true;
}

// ---------------------------------------------------------------------------
// Upgrade

namespace {

using TStep = bool (TdmMain::*)();
struct TRoute {
    const char* version;
    std::vector<TStep> steps;
};

const std::vector<TRoute>& UpgradeRoutes() {
    static const std::vector<TRoute> routes = {
        {"0.9.0.133", {&TdmMain::UpgradeStepA, &TdmMain::UpgradeStepB, &TdmMain::UpgradeStepC,
                       &TdmMain::UpgradeStepD, &TdmMain::UpgradeStepE}},
        {"1.0.0.0", {&TdmMain::UpgradeStepB, &TdmMain::UpgradeStepC, &TdmMain::UpgradeStepD, &TdmMain::UpgradeStepE}},
        {"1.0.0.1", {&TdmMain::UpgradeStepC, &TdmMain::UpgradeStepD, &TdmMain::UpgradeStepE}},
        {"1.0.0.2", {&TdmMain::UpgradeStepD, &TdmMain::UpgradeStepE}},
        {"1.0.0.3", {&TdmMain::UpgradeStepE}},
        {"1.1.0.0", {&TdmMain::UpgradeStepF}},
        {"1.1.1.0", {}},
        {"1.1.2.1", {}},
    };
    return routes;
}

}  // namespace

bool TdmMain::IsAcceptedVersion(const AnsiString& Version) {
    for (const TRoute& route : UpgradeRoutes())
        if (Version == route.version) return true;
    return false;
}

bool TdmMain::UpgradeDatabase(const AnsiString& Version) {
    for (const TRoute& route : UpgradeRoutes()) {
        if (Version != route.version) continue;
        for (TStep step : route.steps) (this->*step)();
        return true;
    }
    return false;
}

namespace {

// The columns that hold counts: resources, units, buildings, debris, raided
// and lost resources, and the figures built from them.
const std::vector<AnsiString>& PlanetCountColumns() {
    static const std::vector<AnsiString> columns = {
        "Metal", "Crystal", "Deuterium", "Energy", "SmallCargoShip", "LargeCargoShip", "LightFighter",
        "HeavyFighter", "Cruiser", "BattleShip", "ColonyShip", "Recycler", "EspionageProbe", "Bomber",
        "SolarSatellite", "Destroyer", "DeathStar", "MissileLauncher", "SmallLaser", "HeavyLaser", "GaussCannon",
        "IonCannon", "PlasmaCannon", "SmallShieldDome", "LargeShieldDome", "Anti-ballisticMissile",
        "InterplanetaryMissile", "MetalMine", "CrystalMine", "DeuteriumSynthesizer", "SolarPlant", "FusionPlant",
        "RoboticFactory", "NaniteFactory", "ShipYard", "MetalStorage", "CrystalStorage", "DeuteriumTank",
        "ResearchLab", "Terraformer", "RocketSilo", "LunarBase", "SensorPhalanx", "JumpGate", "AssaultPower",
        "DefencePower", "TotalResources", "MetalDebris", "CrystalDebris"};
    return columns;
}

const std::vector<AnsiString>& CombatCountColumns() {
    static const std::vector<AnsiString> columns = {"AttackerLostRes", "DefenderLostRes", "MetalRaided",
                                                    "CrystalRaided", "DeuteriumRaided", "MetalDebris",
                                                    "CrystalDebris"};
    return columns;
}

}  // namespace

void TdmMain::WidenCountColumns() {
    // Files of earlier builds (and the columns the upgrade steps add) declare
    // counts as 32-bit integers; the values they hold stay as they are.
    SetIntegerColumnTypes(adoConnection, "tblPlanet", PlanetCountColumns(), "BIGINT");
    SetIntegerColumnTypes(adoConnection, "tblCombat", CombatCountColumns(), "BIGINT");
}

void TdmMain::ReindexNames() {
    const int mark = CodePageCollationMark();
    SetQueryStatement(qryTmp, {"PRAGMA user_version"});
    qryTmp->Open();
    const int stored = qryTmp->Fields()->Fields(0)->AsInteger();
    std::vector<std::pair<AnsiString, AnsiString>> indexes;  // name, statement
    if (stored != mark) {
        SetQueryStatement(qryTmp, {"SELECT name, sql FROM sqlite_master WHERE type='index' AND sql IS NOT NULL"});
        for (qryTmp->Open(); !qryTmp->Eof(); qryTmp->Next())
            indexes.emplace_back(qryTmp->Fields()->Fields(0)->AsString(), qryTmp->Fields()->Fields(1)->AsString());
    }
    qryTmp->Close();
    if (stored == mark) return;

    TTransactionScope transaction(adoConnection);
    for (const auto& [name, statement] : indexes) {
        const AnsiString quoted = "\"" + StringReplace(name, "\"", "\"\"", rfReplaceAll) + "\"";
        TTransactionScope attempt(adoConnection);
        try {
            adoConnection->Execute("REINDEX " + quoted);
            attempt.Commit();
        } catch (const EDatabaseError& e) {
            // Names that only the new fold makes equal were stored twice
            // under a unique index. Nothing is dropped: the index stops
            // being unique and the finders report the namesakes.
            const AnsiString unique = "CREATE UNIQUE INDEX";
            if (Pos("UNIQUE", UpperCase(e.Message())) == 0 ||
                UpperCase(statement.substr(0, unique.size())) != unique)
                throw;
            adoConnection->Execute("DROP INDEX " + quoted);
            adoConnection->Execute("CREATE INDEX" + statement.substr(unique.size()));
            attempt.Commit();
            DoLogMessage(Format("%s - Warning: index %s holds names that differ only in case; it is no longer unique",
                                {DateTimeToStr(Now()), name}));
        }
    }
    adoConnection->Execute("PRAGMA user_version=" + IntToStr(mark));
    transaction.Commit();
}

bool TdmMain::RunUpgradeStatements(std::initializer_list<AnsiString> Statements) {
    // Anything but an existing column leaves the file as the step found it.
    TTransactionScope transaction(adoConnection);
    bool versionWritten = false;
    size_t index = 0;
    for (const AnsiString& statement : Statements) {
        ++index;
        try {
            qryTmp->SQL()->Clear();
            qryTmp->SQL()->Add(statement);
            qryTmp->ExecSQL();
            if (index == Statements.size()) versionWritten = true;
        } catch (const Exception& e) {
            if (!IsDuplicateColumn(e)) {
                qryTmp->Close();
                qryTmp->SQL()->Clear();
                throw;
            }
        }
    }
    qryTmp->Close();
    qryTmp->SQL()->Clear();
    transaction.Commit();
    return versionWritten;
}

bool TdmMain::UpgradeStepA() {
    return RunUpgradeStatements({
        "ALTER TABLE tblPlanet Add AssaultPower Int",
        "ALTER TABLE tblPlanet Add DefencePower Int",
        "ALTER TABLE tblPlanet Add TotalResources Int",
        "ALTER TABLE tblAlliance Add AverageScore Int",
        "ALTER TABLE tblAlliance Add Members Int",
        "ALTER TABLE tblAlliance Add Ranking Int",
        "ALTER TABLE tblPlayer Add EspionageTechnology Int",
        "ALTER TABLE tblPlayer Add ComputerTechnology Int",
        "ALTER TABLE tblPlayer Add WeaponTechnology Int",
        "ALTER TABLE tblPlayer Add ArmourTechnology Int",
        "ALTER TABLE tblPlayer Add EnergyTechnology Int",
        "ALTER TABLE tblPlayer Add HyperspaceTechnology Int",
        "ALTER TABLE tblPlayer Add CombustionEngine Int",
        "ALTER TABLE tblPlayer Add ImpulseEngine Int",
        "ALTER TABLE tblPlayer Add HyperspaceEngine Int",
        "ALTER TABLE tblPlayer Add LaserTechnology Int",
        "ALTER TABLE tblPlayer Add IonTechnology Int",
        "ALTER TABLE tblPlayer Add PlasmaTechnology Int",
        "ALTER TABLE tblPlayer Add GravitonTechnology Int",
        "ALTER TABLE tblPlayer Add ShieldingTechnology Int",
        "ALTER TABLE tblPlayer Add TimesAttacked Int",
        "ALTER TABLE tblAlliance Add Members Int",
        VersionStatement("1.0.0.0"),
    });
}

bool TdmMain::UpgradeStepB() {
    return RunUpgradeStatements({
        "ALTER TABLE tblAlliance Add Members Int",
        VersionStatement("1.0.0.1"),
    });
}

// Changes no column. It records the version that steps D and E resume from,
// so that a later failure leaves a file the next start can still upgrade.
bool TdmMain::UpgradeStepC() { return RunUpgradeStatements({VersionStatement("1.0.0.2")}); }

bool TdmMain::UpgradeStepD() {
    return RunUpgradeStatements({
        "ALTER TABLE tblPlayer Add IntergalacticResearchNetwork Int",
        "ALTER TABLE tblPlanet Add Terraformer Int",
        VersionStatement("1.0.0.3"),
    });
}

bool TdmMain::UpgradeStepE() {
    RunUpgradeStatements({"UPDATE tblPlanet SET Rating=0"});
    return RunUpgradeStatements({
        "ALTER TABLE tblPlayer Add Noob Int",
        "ALTER TABLE tblPlayer Add Strong Int",
        "ALTER TABLE tblPlayer Add Banned Int",
        "ALTER TABLE tblPlayer Add Inactive Int",
        "ALTER TABLE tblPlayer Add LongInactive Int",
        "ALTER TABLE tblPlayer Add Vacation Int",
        "ALTER TABLE tblPlayer Add Rank Int",
        "ALTER TABLE tblPlanet Add SolarSystemScan DATETIME",
        "ALTER TABLE tblPlanet Add MetalDebris Int",
        "ALTER TABLE tblPlanet Add CrystalDebris Int",
        VersionStatement("1.1.1.0"),
    });
}

bool TdmMain::UpgradeStepF() {
    return RunUpgradeStatements({
        "ALTER TABLE tblPlanet Add SolarSystemScan DATETIME",
        "ALTER TABLE tblPlanet Add MetalDebris Int",
        "ALTER TABLE tblPlanet Add CrystalDebris Int",
        VersionStatement("1.1.1.0"),
    });
}

// ---------------------------------------------------------------------------
// Compaction

bool TdmMain::CompactDatabase() {
    // VACUUM rewrites the file in place under the engine's own locking and
    // journal: the file is never deleted, renamed or copied beside itself,
    // and a VACUUM that fails (a full disk, a folder that takes no journal)
    // leaves it as it was.
    try {
        TADOConnection engine(nullptr);
        engine.SetConnectionString("Data Source=" + ConnectionValue(DatabasePath));
        engine.Open();
        engine.Execute("VACUUM");
        engine.Close();
        return true;
    } catch (const Exception& e) {
        const AnsiString text = Format("Unable to compact the database \"%s\" (%s); it keeps what it held",
                                       {FileNameAsText(DatabasePath), e.Message()});
        if (OnCompactionFailed)
            OnCompactionFailed(this, text);
        else
            DoLogMessage(Format("%s - Error: %s", {DateTimeToStr(Now()), text}));
        return false;
    }
}

// ---------------------------------------------------------------------------
// Finders

namespace {

const char* const kNoneAlliance = "<none>";
const char* const kPlanetCondition =
    "where ((GalaxyID=:GAL) AND (SolarsystemID=:SOL) AND (PlanetID=:PLAN) AND (IsMoon=:Moon))";

AnsiString TimeStamp() { return DateTimeToStr(Now()); }

// The data set shows a stored row whose field holds ID.
bool ShowsRow(TDataSet* DataSet, const char* Field, int ID) {
    if (!DataSet->Active() || DataSet->IsEmpty() || DataSet->State() == dsInsert) return false;
    TField* f = DataSet->FieldByName(Field);
    return !f->IsNull() && f->AsInteger() == ID;
}

bool IsTextField(const TField* Field) {
    return Field->DataType() == ftString || Field->DataType() == ftWideString;
}

// A text as an SQL literal: in single quotes, each quote inside doubled.
AnsiString QuotedValue(const TField* Field) {
    AnsiString out = "'";
    for (char c : Field->AsString()) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

AnsiString NumberValue(const TField* Field) { return Field->IsNull() ? AnsiString("0") : Field->AsString(); }

}  // namespace

int TdmMain::OpenFinder(TADOQuery* Query, const char* Select, const char* Condition,
                        std::initializer_list<Variant> Values) {
    // The same statement as the open data set's: it keeps its columns and
    // fields and reads its rows from the file anew with the new values, so
    // that an import finding row after row sets its columns up once.
    TStrings* sql = Query->SQL();
    const bool again = Query->Active() && Query->State() == dsBrowse && sql->Count() == 2 &&
                       sql->Strings(0) == Select && sql->Strings(1) == Condition;
    if (!again) SetQueryStatement(Query, {Select, Condition});
    int i = 0;
    for (const Variant& v : Values) Query->Parameters()->Items(i++)->SetValue(v);
    if (again)
        Query->Refresh();
    else
        Query->Open();
    Query->Last();
    return Query->RecordCount();
}

bool TdmMain::FindPlanet(const AnsiString& Galaxy, const AnsiString& SolarSystem, const AnsiString& Position,
                         const AnsiString& Moon) {
    int count = OpenFinder(qryPlanet, "select * from tblPlanet", kPlanetCondition, {Galaxy, SolarSystem, Position, Moon});
    if (count >= 2) throw Exception("2 planets found where only one was expected");
    return count == 1;
}

void TdmMain::ForgetFinderRows() {
    for (TADOQuery* finder : {qryPlanet, qryPlayer, qryAlliance, qryCombat})
        if (finder->State() == dsBrowse) finder->Close();
}

bool TdmMain::RowInFile(const char* Table, int ID) {
    // A statement of its own (kept prepared by the connection): qryTmp may
    // be in the middle of a caller's work.
    TSqliteStatement probe(*adoConnection, std::string("select 1 from ") + Table + " where ID=?");
    probe.BindInt64(1, ID);
    return probe.Step();
}

bool TdmMain::FindPlanetByID(int PlanetID) {
    if (ShowsRow(qryPlanet, "ID", PlanetID) && RowInFile("tblPlanet", PlanetID)) return true;
    return OpenFinder(qryPlanet, "select * from tblPlanet", "where ID=:ID", {PlanetID}) == 1;
}

bool TdmMain::FindPlayerByName(const AnsiString& Name) {
    const AnsiString PlayerName = NameInColumn(Name);
    if (qryPlayer->Active() && !qryPlayer->IsEmpty() && qryPlayer->State() != dsInsert &&
        qryPlayer->FieldByName("Name")->AsString() == PlayerName &&
        RowInFile("tblPlayer", qryPlayer->FieldByName("ID")->AsInteger()))
        return true;
    int count = OpenFinder(qryPlayer, "select * from tblPlayer", "where name=:NAME", {PlayerName});
    if (count >= 2)
        throw ETeskException(Format("%d players found when looking for \"%s\". There is supposed to be only one, "
                                    "please delete the redundant players.",
                                    {count, PlayerName}));
    return count == 1;
}

bool TdmMain::FindPlayerByID(int PlayerID) {
    if (ShowsRow(qryPlayer, "ID", PlayerID) && RowInFile("tblPlayer", PlayerID)) return true;
    return OpenFinder(qryPlayer, "select * from tblPlayer", "where ID=:ID", {PlayerID}) == 1;
}

bool TdmMain::FindAllianceByID(int AllianceID) {
    if (ShowsRow(qryAlliance, "ID", AllianceID) && RowInFile("tblAlliance", AllianceID)) return true;
    return OpenFinder(qryAlliance, "select * from tblAlliance", "where ID=:ID", {AllianceID}) == 1;
}

bool TdmMain::FindAllianceByName(const AnsiString& AllianceName) {
    return OpenFinder(qryAlliance, "select * from tblAlliance", "where name=:NAME", {NameInColumn(AllianceName)}) == 1;
}

bool TdmMain::FindCombatByID(int CombatID) {
    return OpenFinder(qryCombat, "select * from tblCombat", "where ID=:ID", {CombatID}) == 1;
}

// ---------------------------------------------------------------------------
// Rows

int TdmMain::FindOrAppendAlliance(const AnsiString& AllianceName) {
    if (FindAllianceByName(AllianceName)) return qryAlliance->FieldByName("ID")->AsInteger();
    if (qryAlliance->RecordCount() > 1) {
        // A file from before names were unique may hold the name more than
        // once: take the oldest row rather than adding yet another.
        TField* id = qryAlliance->FieldByName("ID");
        int lowest = 0;
        for (qryAlliance->First(); !qryAlliance->Eof(); qryAlliance->Next())
            if (lowest == 0 || id->AsInteger() < lowest) lowest = id->AsInteger();
        qryAlliance->Locate("ID", lowest, TLocateOptions());
        return lowest;
    }
    qryAlliance->Append();
    qryAlliance->FieldByName("Name")->SetAsString(AllianceName);
    qryAlliance->Post();
    return qryAlliance->FieldByName("ID")->AsInteger();
}

int TdmMain::GetNoneAllianceID() { return FindOrAppendAlliance(kNoneAlliance); }

Variant TdmMain::GetAllianceID(const AnsiString& AllianceName) {
    if (Trim(AllianceName).empty()) return GetNoneAllianceID();
    return FindOrAppendAlliance(AllianceName);
}

int TdmMain::FindOrCreatePlayer(const AnsiString& PlayerName, const AnsiString& AllianceName) {
    if (Trim(PlayerName).empty()) throw ETeskException("A player without a name cannot be stored");
    TTransactionScope transaction(adoConnection);
    try {
        if (FindPlayerByName(PlayerName)) {
            qryPlayer->Edit();
        } else {
            qryPlayer->Append();
            qryPlayer->FieldByName("Name")->SetAsString(PlayerName);
        }
        qryPlayer->FieldByName("AllianceID")->SetValue(GetAllianceID(AllianceName));
        qryPlayer->Post();
        int id = qryPlayer->FieldByName("ID")->AsInteger();
        transaction.Commit();
        return id;
    } catch (...) {
        // Rows posted inside the rolled-back level are gone from the file;
        // the caller's own finders (a planet being edited) stay as they are.
        for (TADOQuery* finder : {qryPlayer, qryAlliance}) {
            finder->Cancel();
            finder->Close();
        }
        throw;
    }
}

void TdmMain::SetPlayerAlliance(int PlayerID, const AnsiString& AllianceName) {
    // Editing an empty result would append a nameless player instead.
    if (!FindPlayerByID(PlayerID))
        throw ETeskException(Format("Could not locate Player with ID: %d", {PlayerID}));
    qryPlayer->Edit();
    qryPlayer->FieldByName("AllianceID")->SetValue(GetAllianceID(AllianceName));
    qryPlayer->Post();
}

void TdmMain::SetPlayerName(int PlayerID, const AnsiString& NewName) { RenamePlayer(PlayerID, NewName, true); }

void TdmMain::RenamePlayer(int PlayerID, const AnsiString& NewName, bool MayMerge) {
    if (!FindPlayerByID(PlayerID))
        throw ETeskException(Format("RenamePlayer: Could not locate Player with ID: %d", {PlayerID}));
    qryPlayer->Edit();
    qryPlayer->FieldByName("Name")->SetAsString(NewName);
    try {
        qryPlayer->Post();
        return;
    } catch (const Exception& e) {
        // Taken for a namesake holding the name.
        qryPlayer->Cancel();
        if (!MayMerge)
            throw ETeskException(
                Format("RenamePlayer: Could not rename Player %d to %s: %s", {PlayerID, NewName, e.Message()}));
        if (!FindPlayerByName(NewName))
            throw ETeskException(Format("RenamePlayer: Could not locate Player with name: %s", {NewName}));
        int namesake = qryPlayer->FieldByName("ID")->AsInteger();
        // The refusal had another cause when the name finds the player itself.
        if (namesake == PlayerID)
            throw ETeskException(
                Format("RenamePlayer: Could not rename Player %d to %s: %s", {PlayerID, NewName, e.Message()}));
        try {
            ExecuteInTransaction({"UPDATE tblPlanet SET PlayerID=" + IntToStr(PlayerID) +
                                      " WHERE PlayerID=" + IntToStr(namesake),
                                  "DELETE FROM tblPlayer where ID=" + IntToStr(namesake)});
        } catch (const Exception& merge) {
            // Rolled back; a retry would only meet the namesake again.
            DoLogMessage(Format("%s - Error processing %s: %s", {TimeStamp(), "tblPlayer", merge.Message()}));
            throw ETeskException(Format("RenamePlayer: Could not merge Player %d into Player %d: %s",
                                        {namesake, PlayerID, merge.Message()}));
        }
    }
    RenamePlayer(PlayerID, NewName, false);
}

void TdmMain::DeleteDestroyedPlanet(const AnsiString& Galaxy, const AnsiString& SolarSystem,
                                    const AnsiString& Position, const AnsiString& Moon) {
    auto setStatement = [&](const char* First) {
        SetQueryStatement(qryTmp, {First, kPlanetCondition});
        const AnsiString* values[] = {&Galaxy, &SolarSystem, &Position, &Moon};
        for (int i = 0; i < 4; ++i) qryTmp->Parameters()->Items(i)->SetValue(*values[i]);
    };
    setStatement("select PlanetName from tblPlanet");
    qryTmp->SetPrepared(true);
    qryTmp->Open();
    if (qryTmp->IsEmpty()) return;
    const AnsiString line =
        Moon == "1" ? Format("%s - Warning: Moon [%s:%s:%s] has been destroyed", {TimeStamp(), Galaxy, SolarSystem, Position})
                    : Format("%s - Warning: Planet %s [%s:%s:%s] has been destroyed",
                             {TimeStamp(), qryTmp->Fields()->Fields(0)->AsString(), Galaxy, SolarSystem, Position});
    TTransactionScope transaction(adoConnection);
    setStatement("delete from tblPlanet");
    qryTmp->ExecSQL();
    WhenCommitted([this, line] { DoLogMessage(line); });
    // The planet finder may still show the row: its shortcut asks the file.
    transaction.Commit();
}

void TdmMain::InitNewPlanetRecord() {
    if (qryPlanet->State() != dsInsert) return;
    for (int i = 0; i < qryPlanet->FieldCount(); ++i) {
        TField* f = qryPlanet->Fields()->Fields(i);
        if (f->FieldKind() == fkData && f->DataType() != ftAutoInc) f->Clear();
    }
    qryPlanet->FieldByName("LastScanned")->SetAsDateTime(Now());
    qryPlanet->FieldByName("NumberOfAttacks")->SetAsInteger(0);
}

void TdmMain::DoLogMessage(const AnsiString& Msg) {
    if (OnLogMessage) OnLogMessage(this, Msg);
}

bool TdmMain::LoadGroups(const AnsiString& Section) {
    viewGroup->Close();
    viewGroup->Open();
    TIniFile ini(ProgramFolder() + "Tesk.ini");
    TStringList keys;
    ini.ReadSection(Section, &keys);
    TField* name = viewGroup->FieldByName("GroupName");
    TField* user = viewGroup->FieldByName("GroupUser");
    TField* path = viewGroup->FieldByName("GroupPath");
    for (int i = 1; keys.IndexOf("GroupName" + IntToStr(i)) >= 0; ++i) {
        AnsiString group = ini.ReadString(Section, "GroupName" + IntToStr(i), "");
        viewGroup->Append();
        name->SetAsString(group);
        user->SetAsString(ini.ReadString(Section, group + "_User", "Unknown"));
        path->SetAsString(ini.ReadString(Section, group + "_Path", "Unknown"));
        viewGroup->Post();
    }
    return true;
}

// ---------------------------------------------------------------------------
// Statements of the grids' handlers

void TdmMain::ExecuteStatements(std::initializer_list<AnsiString> Statements) {
    for (const AnsiString& statement : Statements) {
        SetQueryStatement(qryTmp, {statement});
        qryTmp->ExecSQL();
    }
}

void TdmMain::ExecuteInTransaction(std::initializer_list<AnsiString> Statements) {
    TTransactionScope transaction(adoConnection);
    ExecuteStatements(Statements);
    transaction.Commit();
}

void TdmMain::WriteForGrid(TDataSet* DataSet, const AnsiString& Table, const std::function<void()>& Write) {
    try {
        TTransactionScope transaction(adoConnection);
        Write();
        transaction.Commit();
        ForgetFinderRows();
    } catch (const Exception& e) {
        DoLogMessage(Format("%s - Error processing %s: %s", {TimeStamp(), Table, e.Message()}));
        // The grid goes back to the row as the file holds it.
        DataSet->Cancel();
        Abort();
    }
}

void TdmMain::TableBeforePost(TDataSet* DataSet) {
    AnsiString table = static_cast<TADOTable*>(DataSet)->TableName();
    bool inserting = DataSet->State() == dsInsert;
    std::vector<AnsiString> lines;
    TField* key = nullptr;
    AnsiString names, values;
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        TField* f = DataSet->Fields()->Fields(i);
        if (f->FieldKind() != fkData) continue;
        if (f->DataType() == ftAutoInc) {
            key = f;
            continue;
        }
        AnsiString value = IsTextField(f) ? QuotedValue(f) : NumberValue(f);
        if (inserting) {
            names += (names.empty() ? "" : ",") + f->FieldName();
            values += (values.empty() ? "" : ",") + value;
        } else {
            lines.push_back(f->FieldName() + "=" + value + ",");
        }
    }
    if (inserting) {
        lines = {"INSERT INTO " + table, "(" + names + ")", "VALUES (" + values + ")"};
    } else {
        lines.insert(lines.begin(), "update " + table + " set");
        lines.back().pop_back();
        lines.push_back("WHERE ID=" + (key ? key->AsString() : AnsiString()));
    }

    WriteForGrid(DataSet, table, [&] {
        qryTmp->Close();
        qryTmp->SQL()->Clear();
        for (const AnsiString& line : lines) qryTmp->SQL()->Add(line);
        qryTmp->ExecSQL();
        if (inserting && key) {
            // The row held by the grid gets the file's new ID, so that a
            // later edit of it finds its row.
            TADOQuery rowid(nullptr);
            rowid.SetConnection(adoConnection);
            rowid.SQL()->Add("select last_insert_rowid()");
            rowid.Open();
            // The ID is read-only for the user (the row writer finds the row by it).
            bool readOnly = key->ReadOnly();
            key->SetReadOnly(false);
            TScopeGuard restore([&] { key->SetReadOnly(readOnly); });
            key->SetAsInteger(rowid.Fields()->Fields(0)->AsInteger());
        }
    });
}

int TdmMain::AskMasterDelete(const AnsiString& Prompt, const AnsiString& ListStatement,
                             const AnsiString& DeletedName, bool WithAlliance) {
    std::unique_ptr<IMasterDeleteDialog> dialog = NewMasterDeleteDialog();
    dialog->SetTargetID(-1);
    dialog->SetPrompt(Prompt);
    SetQueryStatement(qryTmp, {ListStatement});
    qryTmp->Open();
    int duplicate = -1;
    for (; !qryTmp->Eof(); qryTmp->Next()) {
        TFields* f = qryTmp->Fields();
        int id = f->Fields(0)->AsInteger();
        AnsiString name = f->Fields(1)->AsString();
        AnsiString text = WithAlliance ? name + " - " + f->Fields(2)->AsString() + "(" + IntToStr(id) + ")"
                                       : name + " (" + IntToStr(id) + ")";
        int index = dialog->Masters()->AddObject(text, MasterIDObject(id));
        if (duplicate < 0 && name == DeletedName) duplicate = index;
    }
    qryTmp->Close();
    dialog->SetItemIndex(duplicate);
    if (dialog->ShowModal() != mrOk) Abort();
    return dialog->TargetID();
}

int TdmMain::CountDependants(const AnsiString& Statement) {
    SetQueryStatement(qryTmp, {Statement});
    qryTmp->Open();
    int count = qryTmp->Fields()->Fields(0)->AsInteger();
    qryTmp->Close();
    return count;
}

void TdmMain::tblAllianceBeforeDelete(TDataSet* DataSet) {
    AnsiString name = DataSet->FieldByName("Name")->AsString();
    if (name == kNoneAlliance) Abort();
    AnsiString id = DataSet->FieldByName("ID")->AsString();
    int players = CountDependants("SELECT Count(ID) FROM tblPlayer WHERE AllianceID=" + id);
    if (players >= 1) {
        int target = AskMasterDelete(
            "The alliance you want to delete is linked to several players, do you want to delete the alliance or "
            "redirect the linked players to a different alliance?",
            "SELECT tblAlliance.ID, tblAlliance.Name FROM tblAlliance WHERE (tblAlliance.ID<>" + id +
                ") ORDER BY tblAlliance.Name",
            name, false);
        WriteForGrid(DataSet, "tblAlliance", [&] {
            // Players of a deleted alliance join "<none>", so their planets
            // stay in the planet view.
            if (target == -1) target = GetNoneAllianceID();
            ExecuteStatements({"UPDATE tblPlayer SET AllianceID=" + IntToStr(target) + " WHERE AllianceID=" + id,
                               "DELETE FROM tblAlliance WHERE ID=" + id});
        });
        return;
    }
    if (MessageDlg("Are you sure you want to delete alliance " + name + "?", mtConfirmation, mbYesNo) != mrYes)
        Abort();
    WriteForGrid(DataSet, "tblAlliance", [&] { ExecuteStatements({"DELETE FROM tblAlliance WHERE ID=" + id}); });
}

void TdmMain::tblPlayerBeforeDelete(TDataSet* DataSet) {
    AnsiString name = DataSet->FieldByName("Name")->AsString();
    AnsiString id = DataSet->FieldByName("ID")->AsString();
    int planets = CountDependants("SELECT Count(ID) FROM tblPlanet WHERE PlayerID=" + id);
    if (planets >= 1) {
        int target = AskMasterDelete(
            "The player you want to delete is linked to several planets, do you want to delete those planets or "
            "redirect the ownership of those planets to a different player?",
            "SELECT tblPlayer.ID, tblPlayer.Name, tblAlliance.Name FROM tblPlayer, tblAlliance WHERE "
            "(tblPlayer.AllianceID =tblAlliance.ID) AND (tblPlayer.ID<>" +
                id + ") ORDER BY tblPlayer.Name, tblPlayer.ID",
            name, true);
        WriteForGrid(DataSet, "tblPlayer", [&] {
            // Delete means the planets too, as the question says.
            ExecuteStatements({target == -1 ? "DELETE FROM tblPlanet WHERE PlayerID=" + id
                                            : "UPDATE tblPlanet SET PlayerID=" + IntToStr(target) +
                                                  " WHERE PlayerID=" + id,
                               "DELETE FROM tblPlayer where ID=" + id});
        });
        return;
    }
    if (MessageDlg("Are you sure you want to delete player " + name + "?", mtConfirmation, mbYesNo) != mrYes)
        Abort();
    WriteForGrid(DataSet, "tblPlayer", [&] { ExecuteStatements({"DELETE FROM tblPlayer where ID=" + id}); });
}

void TdmMain::tblAllianceBeforeEdit(TDataSet* DataSet) {
    if (DataSet->FieldByName("Name")->AsString() == kNoneAlliance) Abort();
}

// ---------------------------------------------------------------------------
// Computed fields and the planet view's row

namespace {

void CalcStatus(TDataSet* DataSet) {
    static const std::pair<const char*, const AnsiString*> flags[] = {
        {"Noob", &SSNoobIndicator},         {"Strong", &SSStrongIndicator},
        {"Banned", &SSBannedIndicator},     {"Inactive", &SSInactiveIndicator},
        {"LongInactive", &SSLongInactiveIndicator}, {"Vacation", &SSVacationIndicator}};
    AnsiString text;
    for (const auto& [name, word] : flags) {
        TField* f = DataSet->FieldByName(name);
        if (!f->IsNull() && f->AsInteger() == 1) text += " " + *word;
    }
    if (!text.empty()) DataSet->FieldByName("Status")->SetAsString("(" + Trim(text) + ")");
}

}  // namespace

void TdmMain::viewPlanetCalcFields(TDataSet* DataSet) { CalcStatus(DataSet); }

void TdmMain::tblPlayerCalcFields(TDataSet* DataSet) { CalcStatus(DataSet); }

void TdmMain::viewPlanetRatingExpandedGetText(TField* Sender, AnsiString& Text, bool) {
    // Ratings 0..4 name Normal, Raidable, Friendly, Dangerous and Crashable.
    static const int caption[] = {0, 1, 2, 4, 6};
    TField* rating = Sender->DataSet()->FieldByName("Rating");
    int value = rating->IsNull() ? 0 : rating->AsInteger();
    Text = RatingCaptions[static_cast<size_t>(value >= 0 && value <= 4 ? caption[value] : 0)];
}

void TdmMain::viewPlanetBeforeClose(TDataSet* DataSet) {
    SelectedPlanetID = DataSet->IsEmpty() ? 0 : DataSet->FieldByName("tblplanet.ID")->AsInteger();
}

void TdmMain::viewPlanetAfterOpen(TDataSet* DataSet) {
    if (DataSet->Sort() != PlanetSort) DataSet->SetSort(PlanetSort);
    if (SelectedPlanetID > 0) DataSet->Locate("tblplanet.ID", SelectedPlanetID, TLocateOptions());
}
