#include "data/uDatamodule.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/gui/Services.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Resources.h"
#include "text/UtFileUtils.h"

TdmMain* dmMain = nullptr;

TESK_PUBLISHED(TdmMain) {
    Property("OnCreate", &T::OnCreate, &T::OnCreate);
    Property("OnDestroy", &T::OnDestroy, &T::OnDestroy);
    Handler("DataModuleCreate", &T::DataModuleCreate);
    Handler("DataModuleDestroy", &T::DataModuleDestroy);
    Handler("adoConnectionAfterDisconnect", &T::adoConnectionAfterDisconnect);
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

namespace {

const char* const kVersionKey = "ZentaraVersion";

AnsiString VersionStatement(const AnsiString& Version) {
    return "UPDATE tblRegistry SET RegValue='" + Version + "' WHERE RegKey='" + kVersionKey + "'";
}

// Adding a column that a file already has is expected (older steps overlap).
bool IsDuplicateColumn(const Exception& E) {
    return Pos("DUPLICATE COLUMN NAME", UpperCase(E.Message())) > 0;
}

// A regular file (not a folder) at Path.
bool DatabaseFileExists(const AnsiString& Path) {
    std::error_code ec;
    return !Path.empty() && std::filesystem::is_regular_file(std::filesystem::path(Path), ec);
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

TdmMain::~TdmMain() {
    // Deleted without FreeObject: the components are still there, so the
    // destruction event can disconnect (and compact) now.
    if (!destroyed_) {
        destroyed_ = true;
        try {
            if (OnDestroy) OnDestroy(this);
        } catch (const Exception&) {
        }
    }
}

void TdmMain::BeforeDestruction() {
    if (!destroyed_) {
        destroyed_ = true;
        try {
            if (OnDestroy) OnDestroy(this);
        } catch (const Exception&) {
            // Destruction goes on; the disconnect's own compaction drops its errors too.
        }
    }
    TComponent::BeforeDestruction();
}

void TdmMain::DataModuleCreate(TObject*) {
    adoConnection->AfterDisconnect = nullptr;
    adoConnection->BeforeConnect = nullptr;
    adoConnection->Close();
}

void TdmMain::DataModuleDestroy(TObject*) { adoConnection->Close(); }

void TdmMain::adoConnectionAfterDisconnect(TObject*) { CompactDatabase(); }

// ---------------------------------------------------------------------------
// Opening a file

bool TdmMain::OpenDatabase(const AnsiString& Path, const AnsiString& AConnectionFormat) {
    // The previous file is still DatabasePath here, so that is what gets compacted.
    CloseDatabase();
    DatabasePath = Path;
    ConnectionFormat = AConnectionFormat;
    if (!DatabaseFileExists(Path)) {
        MessageDlg("Tesk cannot function without a database\r\rPlease specificy a valid PathName and "
                   "ConnectionString in Tesk.ini",
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
    // This disconnect compacts nothing; every later one does.
    adoConnection->AfterDisconnect = nullptr;
    adoConnection->BeforeConnect = nullptr;
    adoConnection->Close();
    adoConnection->AfterDisconnect = MakeEvent(this, &TdmMain::adoConnectionAfterDisconnect);
    adoConnection->Open();

    ProgramVersion = ReadProgramVersion();

    qryTmp->Close();
    qryTmp->SQL()->Clear();
    qryTmp->SQL()->Add("select regvalue from tblRegistry where regkey=:REGK");
    qryTmp->Parameters()->ParamByName("REGK")->SetValue(AnsiString(kVersionKey));
    try {
        qryTmp->Open();
        if (qryTmp->IsEmpty()) throw Exception("Your database doesn't contain the correct regvalue in tblPlanet");
        AnsiString stored = qryTmp->Fields()->Fields(0)->AsString();
        if (!UpgradeDatabase(stored)) throw Exception(Format("Database version %s isn't supported", {stored}));
    } catch (const Exception& e) {
        MessageDlg(e.Message() + "\r\rPlease be warned the database might not be compatible with this version of Tesk",
                   mtWarning, MsgDlgButtons({mbOK}));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Upgrade

bool TdmMain::UpgradeDatabase(const AnsiString& Version) {
    using TStep = bool (TdmMain::*)();
    struct TRoute {
        const char* version;
        std::vector<TStep> steps;
    };
    static const TRoute routes[] = {
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
    for (const TRoute& route : routes) {
        if (Version != route.version) continue;
        for (TStep step : route.steps) (this->*step)();
        return true;
    }
    return false;
}

bool TdmMain::RunUpgradeStatements(std::initializer_list<AnsiString> Statements) {
    adoConnection->BeginTrans();
    bool versionWritten = false;
    auto clearQuery = [this] {
        qryTmp->Close();
        qryTmp->SQL()->Clear();
    };
    try {
        size_t index = 0;
        for (const AnsiString& statement : Statements) {
            ++index;
            try {
                qryTmp->SQL()->Clear();
                qryTmp->SQL()->Add(statement);
                qryTmp->ExecSQL();
                if (index == Statements.size()) versionWritten = true;
            } catch (const Exception& e) {
                if (!IsDuplicateColumn(e)) throw;
            }
        }
    } catch (...) {
        // Anything but an existing column leaves the file as the step found it.
        clearQuery();
        try {
            adoConnection->RollbackTrans();
        } catch (const Exception&) {
        }
        throw;
    }
    clearQuery();
    adoConnection->CommitTrans();
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
    // journal: the file is never deleted, renamed or copied beside itself.
    try {
        TADOConnection engine(nullptr);
        engine.SetConnectionString("Data Source=" + ConnectionValue(DatabasePath));
        engine.Open();
        engine.Execute("VACUUM");
        engine.Close();
        return true;
    } catch (const Exception&) {
        return false;
    }
}
