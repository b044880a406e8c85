#include "app/uDatabaseTransfer.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/uPower.h"
#include "app/uSpyReportText.h"
#include "data/uDatamodule.h"
#include "data/uExceptions.h"
#include "platform/classes/Registry.h"
#include "platform/db/AdoDataSets.h"
#include "platform/db/SqliteConnection.h"
#include "text/UtFileUtils.h"

const char* const ResearchColumns[15] = {
    "EspionageTechnology", "ComputerTechnology", "WeaponTechnology",     "ShieldingTechnology",
    "ArmourTechnology",    "EnergyTechnology",   "HyperspaceTechnology", "CombustionEngine",
    "ImpulseEngine",       "HyperspaceEngine",   "LaserTechnology",      "IonTechnology",
    "PlasmaTechnology",    "GravitonTechnology", "IntergalacticResearchNetwork",
};

namespace {

constexpr const char* SchemaVersion = "1.1.1.0";

AnsiString Position(TDataSet* Rows) {
    AnsiString text = PlanetCoordinates(Rows);
    if (Rows->FieldByName("IsMoon")->AsString() == "1") text += " moon";
    return text;
}

// ---------------------------------------------------------------- import
AnsiString NotOurs(const AnsiString& FileName) {
    return "\"" + FileNameAsText(FileName) + "\" is no database of this program";
}

// Only a database file of ours can be read; anything else is refused before
// the connection opens it.
void CheckImportFileKind(const AnsiString& FileName) {
    char header[16] = {};
    std::ifstream(FileName, std::ios::binary).read(header, sizeof header);
    if (std::memcmp(header, "SQLite format 3", 16) != 0) throw ETeskException(NotOurs(FileName));
}

// And only at the current version, whose columns the import reads.
void CheckImportVersion(TADOConnection* Connection, const AnsiString& FileName) {
    AnsiString version;
    try {
        TADOQuery read(nullptr);
        read.SetConnection(Connection);
        read.SQL()->Add("SELECT RegValue FROM tblRegistry WHERE RegKey = 'ZentaraVersion'");
        read.Open();
        if (!read.Eof()) version = read.Fields()->Fields(0)->AsString();
    } catch (const Exception&) {
        throw ETeskException(NotOurs(FileName));
    }
    if (version != SchemaVersion)
        throw ETeskException("\"" + FileNameAsText(FileName) + "\" holds database version \"" + version +
                             "\"; open it once with this program before importing it");
}

AnsiString ImportConnectionString(const AnsiString& FileName) {
    // A path with a separator in it is quoted, so the connection reads it whole.
    AnsiString source = FileName.find(';') == AnsiString::npos ? FileName : "\"" + FileName + "\"";
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + source + ";Persist Security Info=False";
}

// An empty local scan time counts as the earliest; a source row without one
// is never newer.
bool SourceIsNewer(TField* Source, TField* Local) {
    if (Source->IsNull()) return false;
    double local = Local->IsNull() ? 0 : Local->AsFloat();
    return Source->AsFloat() > local;
}

bool IsAttackColumn(const AnsiString& Name) {
    AnsiString upper = UpperCase(Name);
    return upper.find("NUMBEROFATTACKS") != AnsiString::npos || upper.find("LASTATTACKED") != AnsiString::npos;
}

int ImportedAllianceID(TdmMain& Data, TDataSet* Source) {
    AnsiString name = Source->FieldByName("tblalliance.Name")->AsString();
    TDataSet* alliances = Data.qryAlliance;
    if (!Data.FindAllianceByName(name)) {
        alliances->Append();
        alliances->FieldByName("Name")->SetAsString(name);
        alliances->FieldByName("AverageScore")->SetValue(Source->FieldByName("AverageScore")->Value());
        alliances->FieldByName("Ranking")->SetValue(Source->FieldByName("Ranking")->Value());
        alliances->Post();
    }
    return alliances->FieldByName("ID")->AsInteger();
}

int ImportedPlayerID(TdmMain& Data, TDataSet* Source, int AllianceID) {
    AnsiString name = Source->FieldByName("tblplayer.Name")->AsString();
    TDataSet* players = Data.qryPlayer;
    if (!Data.FindPlayerByName(name)) {
        players->Append();
        players->FieldByName("Name")->SetAsString(name);
        players->FieldByName("AllianceID")->SetAsInteger(AllianceID);
        players->Post();
    }
    return players->FieldByName("ID")->AsInteger();
}

void CopyPlanetFields(TDataSet* Source, TDataSet* Planet) {
    for (int i = 0; i < Planet->FieldCount(); ++i) {
        TField* field = Planet->Fields()->Fields(i);
        if (field->FieldKind() != fkData || SameText(field->FieldName(), "ID") || IsAttackColumn(field->FieldName()))
            continue;
        TField* source = Source->FindField(field->FieldName());
        if (!source) continue;
        try {
            field->SetValue(source->Value());
        } catch (const Exception&) {
            // A value the column cannot take is left out.
        }
    }
}

void ImportRow(TdmMain& Data, TDataSet* Source) {
    TDataSet* planet = Data.qryPlanet;
    if (Data.FindPlanet(Source->FieldByName("GalaxyID")->AsString(), Source->FieldByName("SolarsystemID")->AsString(),
                        Source->FieldByName("PlanetID")->AsString(), Source->FieldByName("IsMoon")->AsString())) {
        if (!SourceIsNewer(Source->FieldByName("LastScanned"), planet->FieldByName("LastScanned"))) return;
        planet->Edit();
    } else {
        planet->Append();
    }
    try {
        int allianceID = ImportedAllianceID(Data, Source);
        int playerID = ImportedPlayerID(Data, Source, allianceID);
        CopyPlanetFields(Source, planet);
        planet->FieldByName("PlayerID")->SetAsInteger(playerID);
        planet->Post();
    } catch (...) {
        planet->Cancel();
        throw;
    }
}

// ---------------------------------------------------------------- reprocessing
// A figure beyond 64 bits is cleared; the pass goes on.
void RecomputeFigures(TDataSet* Planet) {
    TField* total = Planet->FieldByName("TotalResources");
    try {
        total->SetAsLargeInt(PlanetTotalResources(Planet));
    } catch (const Exception&) {
        total->Clear();
    }
    TField* assault = Planet->FieldByName("AssaultPower");
    try {
        assault->SetAsLargeInt(PlanetAssaultPower(Planet));
    } catch (const Exception&) {
        assault->Clear();
    }
    TField* defence = Planet->FieldByName("DefencePower");
    try {
        defence->SetAsLargeInt(PlanetDefencePower(Planet));
    } catch (const Exception&) {
        defence->Clear();
    }
}

// The player keeps the higher level of each research; an empty planet level
// changes nothing, an empty player level counts as none. A research column
// the planet table does not have is passed over (older files lack the last).
void RaisePlayerResearch(TdmMain& Data, TDataSet* Planet, TDataSet* PlanetColumns) {
    if (!Data.FindPlayerByID(Planet->FieldByName("PlayerID")->AsInteger())) return;
    if (!PlanetColumns->Locate("ID", Planet->FieldByName("ID")->Value(), TLocateOptions())) return;
    TDataSet* player = Data.qryPlayer;
    try {
        player->Edit();
        for (const char* column : ResearchColumns) {
            TField* level = PlanetColumns->FindField(column);
            if (!level) continue;
            TField* own = player->FieldByName(column);
            if (!level->IsNull() && (own->IsNull() || level->AsInteger() > own->AsInteger()))
                own->SetAsInteger(level->AsInteger());
        }
        player->Post();
    } catch (const Exception&) {
        player->Cancel();
    }
}

// Every research column the planet table still holds goes, the network's
// included: one left behind names a field of the planet view twice, and the
// view then cannot open. All or none.
void DropPlanetResearch(TdmMain& Data) {
    static const char* const dropped[] = {
        "EspionageTechnology", "ComputerTechnology", "WeaponTechnology", "ArmourTechnology",
        "EnergyTechnology",    "HyperspaceTechnology", "CombustionEngine", "ImpulseEngine",
        "HyperspaceEngine",    "LaserTechnology",    "IonTechnology",    "PlasmaTechnology",
        "GravitonTechnology",  "ShieldingTechnology", "IntergalacticResearchNetwork",
    };
    std::vector<const char*> held;
    for (const char* column : dropped)
        if (Data.qryTmp->FindField(column)) held.push_back(column);
    Data.qryTmp->Close();
    try {
        TTransactionScope transaction(Data.adoConnection);
        for (const char* column : held) {
            SetQueryStatement(Data.qryTmp, {AnsiString("alter table tblPlanet drop ") + column});
            Data.qryTmp->ExecSQL();
        }
        transaction.Commit();
    } catch (const Exception&) {
        // All or none: the table keeps what it had.
    }
}

void NotePlanetResearchDropped() {
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (registry.OpenKey("Software\\Tesk", true)) registry.WriteBool("DeletedPlanetTechs", true);
}

}  // namespace

void ImportDatabaseFile(TdmMain& Data, const AnsiString& FileName, ITransferProgress& Progress) {
    if (!IsRegularFile(FileName)) throw ETeskException("Access database doesn't exist");
    TADOConnection* source = Data.ImportConnection;
    TDataSet* rows = Data.qryImport;
    struct CloseSource {
        TADOConnection* connection;
        ~CloseSource() {
            connection->Close();
        }
    } closeSource{source};
    CheckImportFileKind(FileName);
    source->SetConnectionString(ImportConnectionString(FileName));
    source->Open();
    CheckImportVersion(source, FileName);
    rows->Open();
    Progress.Start(rows->RecordCount());
    while (!rows->Eof() && !Progress.Stopped()) {
        TTransactionScope transaction(Data.adoConnection);
        Progress.ShowRow(Position(rows));
        ImportRow(Data, rows);
        Progress.RowDone();
        rows->Next();
        transaction.Commit();
    }
}

bool SameDatabaseFile(const AnsiString& A, const AnsiString& B) {
    if (A == B) return true;
    std::error_code error;
    return std::filesystem::equivalent(A, B, error);
}

void ExportDatabase(TdmMain& Data, const AnsiString& FileName) {
    if (SameDatabaseFile(FileName, Data.DatabasePath)) return;
    if (Data.adoConnection->Connected()) {
        Data.adoConnection->BackupTo(FileName);
        return;
    }
    const std::filesystem::path target = FileName;
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    std::error_code error;
    if (std::filesystem::copy_file(Data.DatabasePath, temporary,
                                   std::filesystem::copy_options::overwrite_existing, error))
        std::filesystem::rename(temporary, target, error);
    if (error) {
        std::filesystem::remove(temporary);
        throw ETeskException("Cannot copy the database to \"" + FileNameAsText(FileName) + "\": " + error.message());
    }
}

bool PlanetTableHoldsResearch(TdmMain& Data) {
    TADOQuery* columns = Data.qryTmp;
    SetQueryStatement(columns, {"select * from tblPlanet where 0 = 1"});
    columns->Open();
    bool held = false;
    for (const char* column : ResearchColumns) held = held || columns->FindField(column);
    columns->Close();
    return held;
}

bool ReprocessPlanets(TdmMain& Data, ITransferProgress& Progress) {
    TADOQuery* planet = Data.qryPlanet;
    TADOQuery* columns = Data.qryTmp;
    SetQueryStatement(planet, {"select * from tblPlanet"});
    planet->Open();
    planet->First();
    SetQueryStatement(columns, {"Select * from tblPlanet"});
    columns->Open();
    Progress.Start(planet->RecordCount());
    while (!planet->Eof() && !Progress.Stopped()) {
        TTransactionScope transaction(Data.adoConnection);
        Progress.ShowRow(Position(planet));
        planet->Edit();
        RecomputeFigures(planet);
        planet->Post();
        RaisePlayerResearch(Data, planet, columns);
        Progress.RowDone();
        planet->Next();
        transaction.Commit();
    }
    // Stopped early, the planets not yet seen still hold research that would be lost.
    if (!planet->Eof()) return false;
    DropPlanetResearch(Data);
    NotePlanetResearchDropped();
    return true;
}
