#include "app/uSpyReportImport.h"

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

// The owner line "<header> Name [G:S:P" with the running position.
struct ReportHeader {
    AnsiString Name, Galaxy, System, Position, IsMoon;
};

ReportHeader ReadHeader(const AnsiString& Report, int& Pos) {
    ReportHeader h;
    h.Name = ExtractBetween(ESHeaderResources, "[", Report, Pos, false);
    h.Galaxy = ExtractBetween("[", ":", Report, Pos, false);
    h.System = ExtractBetween(":", ":", Report, Pos, false);
    h.Position = ExtractBetween(":", "]", Report, Pos, false);
    h.IsMoon = AnsiString(1, h.Name == ESPlanetMoon ? '1' : '0');
    return h;
}

int32_t Count(TDataSet* DataSet, const char* Column) { return DataSet->FieldByName(Column)->AsInteger(); }

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

    void Run() {
        const AnsiString memo = page_.ReportText();
        if (Trim(memo).empty()) throw ETeskException("Nothing to process");
        int count = 0;
        for (int p = FindWord(ESHeaderResources, memo); p > 0; p = FindWord(ESHeaderResources, memo, p + 1)) ++count;
        if (count == 0) throw ETeskException("Nothing to process");
        initialCount_ = count;
        while (count > 0) {
            --count;
            ImportNext();
        }
        page_.ShowPlanetFound(true);
        page_.SetRating(-1);
        page_.SetReportText("");
    }

private:
    // Cuts the first report of the page's text, imports it, and takes it off the page.
    void ImportNext() {
        AnsiString memo = page_.ReportText();
        const int start = FindWord(ESHeaderResources, memo);
        const int counter = FindWord(ESCounterEspionage, memo);
        const int percent = counter > 0 ? FindWord("%", memo, counter) : 0;
        // The closing line must follow the header; junk before the header
        // could otherwise give a negative length.
        if (start == 0 || percent == 0 || percent + 1 <= start) throw ETeskException(IncompleteReportMessage());
        const int end = percent + 1;
        const AnsiString report = NormaliseGameText(Copy(memo, start, end - start));
        ImportReport(report);
        if (initialCount_ > 1) {
            Delete(memo, start, end - start);
            page_.SetReportText(Trim(memo));
            page_.ClearOwnerSelection();
        } else {
            page_.SetReportText("");
        }
    }

    void ImportReport(const AnsiString& Report) {
        int playerID = GetSpyReportPlayerID(dm_, Report);
        TTransactionScope transaction(dm_->adoConnection);
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
        const bool found = dm_->FindPlanet(h.Galaxy, h.System, h.Position, h.IsMoon);
        if (found) {
            planet->Edit();
        } else {
            planet->Append();
            planet->FieldByName("GalaxyID")->SetAsString(h.Galaxy);
            planet->FieldByName("SolarsystemID")->SetAsString(h.System);
            planet->FieldByName("PlanetID")->SetAsString(h.Position);
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
        uint32_t total = 0;
        for (int i = 0; i < 4; ++i) {
            AnsiString value = ExtractBetweenInt(words[i], words[i + 1], Report, Pos, false);
            planet->FieldByName(columns[i])->SetAsString(value);
            if (i < 3) total += static_cast<uint32_t>(StrToInt(value));
        }
        planet->FieldByName("TotalResources")->SetAsInteger(static_cast<int32_t>(total));
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
        planet->FieldByName("AssaultPower")
            ->SetAsInteger(CalcAssaultPower(
                Count(planet, "SmallCargoShip"), Count(planet, "LargeCargoShip"), Count(planet, "LightFighter"),
                Count(planet, "HeavyFighter"), Count(planet, "Cruiser"), Count(planet, "BattleShip"),
                Count(planet, "Destroyer"), Count(planet, "Bomber"), Count(planet, "SolarSatellite"),
                Count(planet, "DeathStar"), Count(planet, "Recycler"), Count(planet, "EspionageProbe"),
                Count(planet, "ColonyShip")));
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
        planet->FieldByName("DefencePower")
            ->SetAsInteger(CalcDefencePower(Count(planet, "MissileLauncher"), Count(planet, "SmallLaser"),
                                            Count(planet, "HeavyLaser"), Count(planet, "GaussCannon"),
                                            Count(planet, "IonCannon"), Count(planet, "PlasmaCannon"),
                                            Count(planet, "SmallShieldDome"), Count(planet, "LargeShieldDome")));
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

int GetSpyReportPlayerID(TdmMain* dm, const AnsiString& Text) {
    if (Text.empty()) return -1;
    try {
        int pos = 1;
        const ReportHeader h = ReadHeader(Text, pos);
        if (dm->FindPlanet(h.Galaxy, h.System, h.Position, h.IsMoon))
            return dm->qryPlanet->FieldByName("PlayerID")->AsInteger();
    } catch (const Exception&) {
        MessageDlg(IncompleteReportMessage(), mtError, MsgDlgButtons({mbOK}));
    }
    return -1;
}

void ProcessSpyReports(TdmMain* dm, ISpyReportPage& Page) {
    try {
        SpyReportRun(dm, Page).Run();
        Page.Beep(MB_ICONASTERISK);
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
