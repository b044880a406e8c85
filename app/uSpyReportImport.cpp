#include "app/uSpyReportImport.h"

#include <utility>
#include <vector>

#include "app/uGameText.h"
#include "app/uPower.h"
#include "app/uVocabulary.h"
#include "platform/gui/Services.h"

namespace {

struct UnitColumn {
    const AnsiString* Word;
    const char* Column;
};

const UnitColumn kFleet[] = {
    {&ESSmallCargoShip, "SmallCargoShip"}, {&ESLargeCargoShip, "LargeCargoShip"}, {&ESLightFighter, "LightFighter"},
    {&ESHeavyFighter, "HeavyFighter"},     {&ESCruiser, "Cruiser"},               {&ESBattleShip, "BattleShip"},
    {&ESBomber, "Bomber"},                 {&ESDestroyer, "Destroyer"},           {&ESDeathStar, "DeathStar"},
    {&ESRecycler, "Recycler"},             {&ESColonyShip, "ColonyShip"},         {&ESSolarSatellite, "SolarSatellite"},
    {&ESEspionageProbe, "EspionageProbe"}};

const UnitColumn kDefence[] = {{&ESMissileLauncher, "MissileLauncher"},
                               {&ESSmallLaser, "SmallLaser"},
                               {&ESHeavyLaser, "HeavyLaser"},
                               {&ESIonCannon, "IonCannon"},
                               {&ESGaussCannon, "GaussCannon"},
                               {&ESPlasmaCannon, "PlasmaCannon"},
                               {&ESSmallShieldDome, "SmallShieldDome"},
                               {&ESLargeShieldDome, "LargeShieldDome"},
                               {&ESAntiballisticMissile, "Anti-ballisticMissile"},
                               {&ESInterplanetaryMissiles, "InterplanetaryMissile"}};

const UnitColumn kBuildings[] = {
    {&ESMetalMine, "MetalMine"},         {&ESCrystalMine, "CrystalMine"},
    {&ESDeuteriumSynthesizer, "DeuteriumSynthesizer"}, {&ESSolarPlant, "SolarPlant"},
    {&ESFusionPlant, "FusionPlant"},     {&ESRoboticFactory, "RoboticFactory"},
    {&ESNaniteFactory, "NaniteFactory"}, {&ESShipYard, "ShipYard"},
    {&ESMetalStorage, "MetalStorage"},   {&ESCrystalStorage, "CrystalStorage"},
    {&ESDeuteriumTank, "DeuteriumTank"}, {&ESResearchLab, "ResearchLab"},
    {&ESRocketSilo, "RocketSilo"},       {&ESTerraformer, "Terraformer"},
    {&ESLunarBase, "LunarBase"},         {&ESSensorPhalanx, "SensorPhalanx"},
    {&ESJumpGate, "JumpGate"}};

const UnitColumn kResearch[] = {{&ESEspionageTechnology, "EspionageTechnology"},
                                {&ESComputerTechnology, "ComputerTechnology"},
                                {&ESWeaponTechnology, "WeaponTechnology"},
                                {&ESShieldingTechnology, "ShieldingTechnology"},
                                {&ESArmourTechnology, "ArmourTechnology"},
                                {&ESEnergyTechnology, "EnergyTechnology"},
                                {&ESHyperspaceTechnology, "HyperspaceTechnology"},
                                {&ESCombustionEngine, "CombustionEngine"},
                                {&ESImpulseEngine, "ImpulseEngine"},
                                {&ESHyperspaceEngine, "HyperspaceEngine"},
                                {&ESLaserTechnology, "LaserTechnology"},
                                {&ESIonTechnology, "IonTechnology"},
                                {&ESPlasmaTechnology, "PlasmaTechnology"},
                                {&ESGravitonTechnology, "GravitonTechnology"},
                                {&ESIntergalacticResearchNetwork, "IntergalacticResearchNetwork"}};

AnsiString IncompleteReportMessage() {
    return Format("This spy report is incomplete or badly formatted. Make sure you copy from \"%s ... \" untill "
                  "\"... %s:xx%%\"",
                  {ESHeaderResources, ESCounterEspionage});
}

// Where a report begins at or after From: the header word with the "[" of
// its coordinates on the same line. Chatter that only holds the word ("I got
// Intel on you!") begins nothing. 0 when no report begins.
int FindReportStart(const AnsiString& Text, int From) {
    for (int p = FindWord(ESHeaderResources, Text, From); p > 0; p = FindWord(ESHeaderResources, Text, p + 1)) {
        const size_t after = static_cast<size_t>(p) - 1 + ESHeaderResources.size();
        size_t lineEnd = Text.find_first_of("\r\n", after);
        if (lineEnd == AnsiString::npos) lineEnd = Text.size();
        if (Text.find('[', after) < lineEnd) return p;
    }
    return 0;
}

// The owner line "<header> Name [G:S:P" with the running position. The
// coordinates are plain decimal digits; anything else refuses the report.
struct ReportHeader {
    AnsiString Name, Galaxy, System, Position, IsMoon;
    int G = 0, S = 0, P = 0;
};

ReportHeader ReadHeader(const AnsiString& Report, int& Pos) {
    ReportHeader h;
    h.Name = ExtractBetween(ESHeaderResources, "[", Report, Pos, false);
    const AnsiString g = ExtractBetween("[", ":", Report, Pos, false);
    const AnsiString s = ExtractBetween(":", ":", Report, Pos, false);
    const AnsiString p = ExtractBetween(":", "]", Report, Pos, false);
    if (!TryReadCoordinate(g, h.G) || !TryReadCoordinate(s, h.S) || !TryReadCoordinate(p, h.P))
        throw ETeskException(IncompleteReportMessage());
    // One value for the lookup, the row and the log.
    h.Galaxy = IntToStr(h.G);
    h.System = IntToStr(h.S);
    h.Position = IntToStr(h.P);
    h.IsMoon = AnsiString(1, h.Name == ESPlanetMoon ? '1' : '0');
    return h;
}

// The data set shows exactly the one stored row of the header's place.
bool ShowsPlanet(TDataSet* Planet, const ReportHeader& H) {
    if (!Planet->Active() || Planet->State() != dsBrowse || Planet->RecordCount() != 1) return false;
    auto is = [&](const char* Column, int Value) {
        TField* f = Planet->FieldByName(Column);
        return !f->IsNull() && f->AsLargeInt() == Value;
    };
    return is("GalaxyID", H.G) && is("SolarsystemID", H.S) && is("PlanetID", H.P) &&
           is("IsMoon", H.IsMoon == "1" ? 1 : 0);
}

void ClearColumns(TDataSet* DataSet, const UnitColumn* Units, size_t N) {
    for (size_t i = 0; i < N; ++i) DataSet->FieldByName(Units[i].Column)->Clear();
}

// Each unit's number after its word, searched from the section's header;
// a missing word gives 0. AsNumber keeps only integers (else "0").
void ReadUnits(TDataSet* DataSet, const UnitColumn* Units, size_t N, const AnsiString& Report, int Pos,
               bool AsNumber) {
    for (size_t i = 0; i < N; ++i) {
        AnsiString value = AsNumber ? ExtractBetweenInt(*Units[i].Word, " ", Report, Pos, true)
                                    : ExtractBetween(*Units[i].Word, " ", Report, Pos, true);
        DataSet->FieldByName(Units[i].Column)->SetAsString(value);
    }
}

bool IsBefore(TField* Stored, TDateTime Time) { return Stored->IsNull() || Stored->AsDateTime() < Time; }

class SpyReportRun {
public:
    SpyReportRun(TdmMain* dm, ISpyReportPage& Page) : dm_(dm), page_(Page) {}

    // True when every report was stored or rejected as stale; a report
    // refused as incomplete is logged, kept for the user and the run goes on.
    bool Run() {
        const AnsiString memo = page_.ReportText();
        if (Trim(memo).empty()) throw ETeskException("Nothing to process");
        int count = 0;
        for (int p = FindReportStart(memo, 1); p > 0; p = FindReportStart(memo, p + 1)) ++count;
        if (count == 0) throw ETeskException("Nothing to process");
        initialCount_ = count;
        // The memo is read once and written once: the reports that were
        // taken leave it, everything else (a refused or failed report and
        // those after it) stays.
        std::vector<std::pair<int, int>> taken;  // 1-based start, length
        auto rest = [&] {
            AnsiString kept;
            int from = 1;
            for (const auto& [start, length] : taken) {
                kept += Copy(memo, from, start - from);
                from = start + length;
            }
            return Trim(kept + Copy(memo, from, memo.size()));
        };
        bool refused = false;
        try {
            for (int start = FindReportStart(memo, 1); start > 0;) {
                const int next = FindReportStart(memo, start + 1);
                const int counter = FindWord(ESCounterEspionage, memo, start);
                const int percent = counter > 0 ? FindWord("%", memo, counter) : 0;
                // A report ends at its own closing line; one that reaches
                // into the next report's header was cut short.
                if (percent == 0 || (next > 0 && percent > next)) {
                    page_.LogError("spy report", ETeskException(IncompleteReportMessage()));
                    refused = true;
                    start = next;
                    continue;
                }
                const int end = percent + 1;
                ImportReport(NormaliseGameText(Copy(memo, start, end - start)));
                taken.emplace_back(start, end - start);
                if (initialCount_ > 1) page_.ClearOwnerSelection();
                start = next;
            }
        } catch (...) {
            page_.SetReportText(rest());
            throw;
        }
        page_.ShowPlanetFound(true);
        page_.SetRating(-1);
        page_.SetReportText(refused ? rest() : AnsiString());
        return !refused;
    }

private:
    void ImportReport(const AnsiString& Report) {
        TTransactionScope transaction(dm_->adoConnection);
        int playerID = GetSpyReportPlayerID(dm_, Report, &page_);
        if (dm_->FindPlayerByID(playerID)) {
            page_.ShowPlanetFound(true);
            page_.SelectPlayer(dm_->qryPlayer->FieldByName("Name")->AsString(), false);
            if (dm_->FindAllianceByID(dm_->qryPlayer->FieldByName("AllianceID")->AsInteger()))
                page_.SelectAlliance(dm_->qryAlliance->FieldByName("Name")->AsString());
        } else {
            if (page_.PlayerText().empty()) throw ENoPlayerException("No player selected or entered");
            // Inside the report's transaction, so a failed report leaves no new player behind.
            playerID = dm_->FindOrCreatePlayer(page_.PlayerText(), page_.AllianceText());
        }

        int pos = 1;
        const ReportHeader h = ReadHeader(Report, pos);
        const TDateTime reportTime = ParseReportDateTime(ExtractBetween(ESAt, "\r\n", Report, pos, false));

        TADOQuery* planet = dm_->qryPlanet;
        // The owner lookup found the planet inside this transaction and left
        // the planet query on it: no second query for the same row.
        const bool found = ShowsPlanet(planet, h) || dm_->FindPlanet(h.Galaxy, h.System, h.Position, h.IsMoon);
        if (found) {
            planet->Edit();
        } else {
            planet->Append();
            planet->FieldByName("GalaxyID")->SetAsInteger(h.G);
            planet->FieldByName("SolarsystemID")->SetAsInteger(h.S);
            planet->FieldByName("PlanetID")->SetAsInteger(h.P);
        }
        TField* lastAttacked = planet->FieldByName("LastAttacked");
        const bool accepted = !found || (IsBefore(lastAttacked, reportTime) &&
                                         (IsBefore(planet->FieldByName("LastScanned"), reportTime) ||
                                          planet->FieldByName("Metal")->IsNull()));
        if (!accepted) {
            const bool olderThanCombat = !lastAttacked->IsNull() && lastAttacked->AsDateTime() > reportTime;
            page_.AddToLog(Format(olderThanCombat ? "%s - Error: Spy report on %s:%s:%s is older than the latest "
                                                    "combat report"
                                                  : "%s - Error: Spy report on %s:%s:%s has already been processed",
                                  {LogTimeStamp(), h.Galaxy, h.System, h.Position}));
            planet->Cancel();
            transaction.Rollback();
            return;
        }

        planet->FieldByName("PlanetName")->SetAsString(h.Name);
        planet->FieldByName("IsMoon")->SetAsString(h.IsMoon);
        planet->FieldByName("LastScanned")->SetAsDateTime(reportTime);
        planet->FieldByName("PlayerID")->SetAsInteger(playerID);
        WriteResources(Report, pos);
        WriteFleet(Report);
        WriteDefence(Report);
        WriteBuildings(Report);
        pos = WriteResearch(Report, playerID);
        planet->FieldByName("CounterEspionage")
            ->SetAsString(ExtractBetween(ESCounterEspionage, "%", Report, pos, true));
        planet->FieldByName("Report")->SetAsString(Report);
        TField* rating = planet->FieldByName("Rating");
        if (initialCount_ == 1 && page_.Rating() >= 0) rating->SetAsInteger(page_.Rating());
        if (rating->IsNull()) rating->SetAsInteger(0);
        planet->Post();
        transaction.Commit();
        page_.AddToLog(Format("%s - Message: Spy report on %s:%s:%s processed successfully",
                              {LogTimeStamp(), h.Galaxy, h.System, h.Position}));
    }

    void WriteResources(const AnsiString& Report, int& Pos) {
        TADOQuery* planet = dm_->qryPlanet;
        const AnsiString words[] = {ESMetal, ESCrystal, ESDeuterium, ESEnergy, "\r\n"};
        const char* columns[] = {"Metal", "Crystal", "Deuterium", "Energy"};
        for (int i = 0; i < 4; ++i) {
            // The column refuses a count it cannot hold.
            planet->FieldByName(columns[i])->SetAsString(ExtractBetweenInt(words[i], words[i + 1], Report, Pos, false));
        }
        planet->FieldByName("TotalResources")->SetAsLargeInt(PlanetTotalResources(planet));
    }

    void WriteFleet(const AnsiString& Report) {
        TADOQuery* planet = dm_->qryPlanet;
        const int pos = FindWord(ESHeaderFleets, Report);
        if (pos == 0) {
            ClearColumns(planet, kFleet, std::size(kFleet));
            planet->FieldByName("AssaultPower")->Clear();
            return;
        }
        ReadUnits(planet, kFleet, std::size(kFleet), Report, pos, true);
        planet->FieldByName("AssaultPower")->SetAsLargeInt(PlanetAssaultPower(planet));
    }

    void WriteDefence(const AnsiString& Report) {
        TADOQuery* planet = dm_->qryPlanet;
        const int pos = FindWord(ESHeaderDefence, Report);
        if (pos == 0) {
            if (page_.KeepDefences()) return;
            ClearColumns(planet, kDefence, std::size(kDefence));
            planet->FieldByName("DefencePower")->Clear();
            return;
        }
        ReadUnits(planet, kDefence, std::size(kDefence), Report, pos, true);
        planet->FieldByName("DefencePower")->SetAsLargeInt(PlanetDefencePower(planet));
    }

    void WriteBuildings(const AnsiString& Report) {
        TADOQuery* planet = dm_->qryPlanet;
        const int pos = FindWord(ESHeaderBuildings, Report);
        if (pos == 0) {
            if (!page_.KeepBuildings()) ClearColumns(planet, kBuildings, std::size(kBuildings));
            return;
        }
        // Levels go through the column's own conversion: a level that is no
        // number fails the report.
        ReadUnits(planet, kBuildings, std::size(kBuildings), Report, pos, false);
    }

    // The owner's research; answers the position the counter-espionage scan starts from.
    int WriteResearch(const AnsiString& Report, int PlayerID) {
        int pos = FindWord(ESHeaderResearch + " \r\n", Report);
        if (pos == 0) pos = FindWord(ESHeaderResearch + "\r\n", Report);
        if (pos == 0 && page_.KeepTech()) return 1;
        if (!dm_->FindPlayerByID(PlayerID))
            throw ETeskException(Format("Player %d is supposed to exist", {PlayerID}));
        TADOQuery* player = dm_->qryPlayer;
        player->Edit();
        if (pos == 0)
            ClearColumns(player, kResearch, std::size(kResearch));
        else
            ReadUnits(player, kResearch, std::size(kResearch), Report, pos, true);
        player->Post();
        return pos == 0 ? 1 : pos;
    }

    TdmMain* dm_;
    ISpyReportPage& page_;
    int initialCount_ = 0;
};

}  // namespace

int GetSpyReportPlayerID(TdmMain* dm, const AnsiString& Text, IImportHost* Host) {
    if (Text.empty()) return -1;
    try {
        int pos = 1;
        const ReportHeader h = ReadHeader(Text, pos);
        if (dm->FindPlanet(h.Galaxy, h.System, h.Position, h.IsMoon))
            return dm->qryPlanet->FieldByName("PlayerID")->AsInteger();
    } catch (const Exception&) {
        if (Host) Host->ShowHeldLog();
        MessageDlg(IncompleteReportMessage(), mtError, MsgDlgButtons({mbOK}));
    }
    return -1;
}

void ProcessSpyReports(TdmMain* dm, ISpyReportPage& Page) {
    try {
        dm->ForgetFinderRows();
        // A report refused as incomplete was logged; only the error sound then.
        Page.Beep(SpyReportRun(dm, Page).Run() ? MB_ICONASTERISK : MB_ICONHAND);
    } catch (const std::exception& e) {
        dm->qryPlanet->Cancel();
        dm->qryPlayer->Cancel();
        Page.ReportError("spy report", e);
    }
}

void PreviewSpyReportOwner(TdmMain* dm, ISpyReportPage& Page) {
    const int playerID = GetSpyReportPlayerID(dm, Page.ReportText());
    // The lookup leaves the planet query on the planet it found.
    const int rating = playerID >= 0 ? dm->qryPlanet->FieldByName("Rating")->AsInteger() : -1;
    if (playerID >= 0 && dm->FindPlayerByID(playerID)) {
        Page.ShowPlanetFound(true);
        Page.SelectPlayer(dm->qryPlayer->FieldByName("Name")->AsString(), true);
        if (dm->FindAllianceByID(dm->qryPlayer->FieldByName("AllianceID")->AsInteger()))
            Page.SelectAlliance(dm->qryAlliance->FieldByName("Name")->AsString());
        Page.SetRating(rating);
    } else {
        Page.ShowPlanetFound(false);
        Page.SetRating(-1);
    }
}
