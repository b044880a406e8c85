#include "app/uPlanet.h"

#include "app/uGameText.h"
#include "app/uVocabulary.h"

namespace {

const char* const kNoAlliance = "<none>";

AnsiString Text(TDataSet* DataSet, const char* Field) { return DataSet->FieldByName(Field)->AsString(); }

}  // namespace

TPlanet::TPlanet(TdmMain* DataModule) : dm_(DataModule) {}

void TPlanet::DoLog(const AnsiString& Text) {
    if (!OnLog) return;
    if (!dm_) {
        OnLog(this, Text);
        return;
    }
    // A warning speaks of a change: it is logged once the change is stored.
    TPlanetLogEvent log = OnLog;
    TObject* sender = this;
    dm_->WhenCommitted([log, sender, Text] { log(sender, Text); });
}

AnsiString TPlanet::Owner() const {
    return AllianceName.empty() ? PlayerName : PlayerName + " (" + AllianceName + ")";
}

void TPlanet::Store() {
    // The file keeps names cut to their columns; compared in full they would
    // never match again.
    PlanetName = TdmMain::NameInColumn(PlanetName);
    PlayerName = TdmMain::NameInColumn(PlayerName);
    AllianceName = TdmMain::NameInColumn(AllianceName);
    if (Trim(PlayerName).empty()) {
        // Nobody to give the planet to: what is stored stays, and no
        // nameless player is made.
        DoLog(Format("%s - Warning: Planet \"%s\" at [%s:%s:%s] shows no player; the position was left as stored",
                     {LogTimeStamp(), PlanetName, Galaxy, SolarSystem, Position}));
        return;
    }
    StoreOne("0");
    if (HasMoon)
        StoreOne("1");
    else
        dm_->DeleteDestroyedPlanet(Galaxy, SolarSystem, Position, "1");
}

void TPlanet::AppendRow(const AnsiString& IsMoon) {
    TADOQuery* planet = dm_->qryPlanet;
    planet->Append();
    dm_->InitNewPlanetRecord();
    planet->FieldByName("GalaxyID")->SetAsString(Galaxy);
    planet->FieldByName("SolarsystemID")->SetAsString(SolarSystem);
    planet->FieldByName("PlanetID")->SetAsString(Position);
    planet->FieldByName("IsMoon")->SetAsString(IsMoon);
    planet->FieldByName("PlanetName")->SetAsString(PlanetName);
    // The player's own transaction nests in ours and may reopen other data
    // sets, but not the planet query being appended to.
    const int playerID = dm_->FindOrCreatePlayer(PlayerName, AllianceName);
    planet->FieldByName("PlayerID")->SetAsInteger(playerID);
}

void TPlanet::StoreOne(const AnsiString& IsMoon) {
    if (Galaxy.empty() || SolarSystem.empty() || Position.empty()) return;
    TTransactionScope transaction(dm_->adoConnection);
    TADOQuery* planet = dm_->qryPlanet;

    const bool found = dm_->FindPlanet(Galaxy, SolarSystem, Position, IsMoon);
    bool sameName = false, samePlayer = false, sameAlliance = false;
    AnsiString oldPlayer, oldAlliance;
    int storedPlayerID = 0;
    if (found) {
        sameName = AnsiSameText(Text(planet, "PlanetName"), PlanetName) && PlanetName != ESDefaultPlanetName;
        storedPlayerID = planet->FieldByName("PlayerID")->AsInteger();
        if (dm_->FindPlayerByID(storedPlayerID)) {
            oldPlayer = Text(dm_->qryPlayer, "Name");
            if (dm_->FindAllianceByID(dm_->qryPlayer->FieldByName("AllianceID")->AsInteger()))
                oldAlliance = Text(dm_->qryAlliance, "Name");
        }
        samePlayer = AnsiSameText(oldPlayer, PlayerName);
        if (AllianceName.empty()) AllianceName = kNoAlliance;
        sameAlliance = AnsiSameText(oldAlliance, AllianceName);
    }

    auto switchedAlliance = [&] {
        DoLog(Format("%s - Warning: Player %s switched from alliance %s to alliance %s",
                     {LogTimeStamp(), PlayerName, oldAlliance, AllianceName}));
    };
    auto rename = [&] {
        planet->Edit();
        planet->FieldByName("PlanetName")->SetAsString(PlanetName);
    };

    if (!sameName && !samePlayer) {
        if (found) dm_->DeleteDestroyedPlanet(Galaxy, SolarSystem, Position, IsMoon);
        DoLog(Format("%s - Warning: Player %s established the colony \"%s\" at [%s:%s:%s]",
                     {LogTimeStamp(), Owner(), PlanetName, Galaxy, SolarSystem, Position}));
        AppendRow(IsMoon);
    } else if (!sameName && !sameAlliance) {
        switchedAlliance();
        rename();
        dm_->FindOrCreatePlayer(PlayerName, AllianceName);
    } else if (!sameName) {
        rename();
    } else if (!samePlayer) {
        if (!dm_->FindPlayerByName(PlayerName)) {
            if (!sameAlliance)
                DoLog(Format("%s - Warning: Player renamed himself from %s to %s and switched from alliance %s to "
                             "alliance %s",
                             {LogTimeStamp(), oldPlayer, PlayerName, oldAlliance, AllianceName}));
            else
                DoLog(Format("%s - Warning: Player renamed himself from %s to %s",
                             {LogTimeStamp(), oldPlayer, PlayerName}));
            dm_->SetPlayerName(storedPlayerID, PlayerName);
            if (!sameAlliance) dm_->SetPlayerAlliance(storedPlayerID, AllianceName);
        } else {
            dm_->DeleteDestroyedPlanet(Galaxy, SolarSystem, Position, IsMoon);
            DoLog(Format("%s - Warning: Player %s established a colony at [%s:%s:%s]",
                         {LogTimeStamp(), Owner(), Galaxy, SolarSystem, Position}));
            AppendRow(IsMoon);
        }
    } else if (!sameAlliance) {
        switchedAlliance();
        dm_->SetPlayerAlliance(storedPlayerID, AllianceName);
    }

    // The scan itself: debris and scan time, whatever changed above.
    if (planet->State() != dsEdit && planet->State() != dsInsert) planet->Edit();
    planet->FieldByName("MetalDebris")->SetAsString(MetalDebris);
    planet->FieldByName("CrystalDebris")->SetAsString(CrystalDebris);
    planet->FieldByName("SolarSystemScan")->SetAsDateTime(Now());
    planet->Post();

    UpdatePlayerStatus(PlayerName, Strong, LongInactive, Inactive, Banned, Vacation, Noob);
    if (dm_->FindAllianceByName(AllianceName)) {
        dm_->qryAlliance->Edit();
        dm_->qryAlliance->FieldByName("Ranking")->SetAsString(AllianceRank);
        dm_->qryAlliance->FieldByName("Members")->SetAsString(AllianceMembers);
        dm_->qryAlliance->Post();
    }
    transaction.Commit();
}

void TPlanet::UpdatePlayerStatus(const AnsiString& Name, bool AStrong, bool ALongInactive, bool AInactive,
                                 bool ABanned, bool AVacation, bool ANoob) {
    if (!dm_->FindPlayerByName(Name)) return;
    TADOQuery* player = dm_->qryPlayer;
    player->Edit();
    player->FieldByName("Rank")->SetAsString(PlayerRank);
    struct Flag {
        const char* Column;
        const AnsiString& Word;
        bool Value;
    };
    const Flag flags[] = {{"Strong", SSStrong, AStrong},   {"Noob", SSNoob, ANoob},
                          {"Vacation", SSVacation, AVacation}, {"Banned", SSBanned, ABanned},
                          {"Inactive", SSInactive, AInactive}, {"LongInactive", SSLongInactive, ALongInactive}};
    AnsiString changes;
    for (const Flag& f : flags) {
        TField* column = player->FieldByName(f.Column);
        const bool old = !column->IsNull() && column->AsInteger() == 1;
        if (old != f.Value) changes += (changes.empty() ? "" : ", ") + f.Word;
        column->SetAsInteger(f.Value ? 1 : 0);
    }
    if (!changes.empty())
        DoLog(Format("%s - Warning: Status of player %s changed to %s", {LogTimeStamp(), Owner(), changes}));
    player->Post();
}

void TPlanet::CheckDestroyedColony() {
    if (!dm_->FindPlanet(Galaxy, SolarSystem, Position, "0")) return;
    // One transaction, so the warning is logged only with the deletions.
    TTransactionScope transaction(dm_->adoConnection);
    AnsiString owner;
    if (dm_->FindPlayerByID(dm_->qryPlanet->FieldByName("PlayerID")->AsInteger())) {
        owner = Text(dm_->qryPlayer, "Name");
        if (dm_->FindAllianceByID(dm_->qryPlayer->FieldByName("AllianceID")->AsInteger())) {
            const AnsiString alliance = Text(dm_->qryAlliance, "Name");
            if (!alliance.empty()) owner += " (" + alliance + ")";
        }
    }
    DoLog(Format("%s - Warning: Player %s has destroyed colony [%s:%s:%s]",
                 {LogTimeStamp(), owner, Galaxy, SolarSystem, Position}));
    dm_->DeleteDestroyedPlanet(Galaxy, SolarSystem, Position, "0");
    dm_->DeleteDestroyedPlanet(Galaxy, SolarSystem, Position, "1");
    transaction.Commit();
}
