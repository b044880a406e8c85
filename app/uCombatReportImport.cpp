#include "app/uCombatReportImport.h"

#include "app/uGameText.h"
#include "app/uPower.h"
#include "app/uVocabulary.h"
#include "data/uExceptions.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Services.h"

namespace {

AnsiString IncompleteCombatMessage() {
    return Format("This combat report is incomplete or badly formatted. Make sure you copy from \"The following "
                  "fleets ... \" untill \"... %s xxx %s xxx %s.\"",
                  {BRNowFloat, BRFloatMetal, BRFloatCrystal});
}

struct Coordinates {
    AnsiString Galaxy, System, Position;
};

// "(G:S:P)" from the running position on. Coordinates are plain decimal
// digits, written back in one form, so the lookup and the row agree.
Coordinates ReadCoordinates(const AnsiString& Text, int& Pos) {
    Coordinates c;
    AnsiString* parts[] = {&c.Galaxy, &c.System, &c.Position};
    const char* ends[] = {":", ":", ")"};
    const char* starts[] = {"(", ":", ":"};
    for (int i = 0; i < 3; ++i) {
        const AnsiString text = ExtractBetween(starts[i], ends[i], Text, Pos, false);
        int value;
        if (!TryReadCoordinate(text, value)) throw ETeskException(IncompleteCombatMessage());
        *parts[i] = IntToStr(value);
    }
    return c;
}

int Level(const AnsiString& Word, const AnsiString& Text, int& Pos) {
    return StrToInt(ExtractBetween(Word, BRPercentage, Text, Pos, false)) / 10;
}

struct Technology {
    int Weapon, Shields, Armour;
};

Technology ReadTechnology(const AnsiString& Text, int& Pos) {
    Technology t;
    t.Weapon = Level(BRWeapon, Text, Pos);
    t.Shields = Level(BRShields, Text, Pos);
    t.Armour = Level(BRArmour, Text, Pos);
    return t;
}

class CombatRun {
public:
    CombatRun(TdmMain* dm, ICombatReportPage& Page) : dm_(dm), page_(Page) {}

    void Run() {
        const AnsiString you = page_.PlayerName();
        if (you.empty())
            throw ETeskException("Please specify your playername so technologies like weapons, shielding and armour "
                                 "of opponent can be found");
        AnsiString text = page_.CombatText();
        if (text.empty()) throw ETeskException("Nothing to process");
        if (FindWord(BRNowFloat, text, 1) == 0) throw ETeskException(IncompleteCombatMessage());
        text = NormaliseGameText(text);
        page_.SetCombatText(text);

        TTransactionScope transaction(dm_->adoConnection);
        int pos = 1;
        const TDateTime time = BattleTime(text, pos);

        const AnsiString attacker = ExtractBetween(BRAttacker, BRDefenderParenthesisOpen, text, pos, false);
        const int attackerID = FindOrAddPlayer(attacker);
        const Coordinates from = ReadCoordinates(text, pos);
        const int attackerTechPos = pos;
        const int attackerPlanetID = FindOrAddAttackerPlanet(from, attackerID);

        int pos2 = 1;
        const AnsiString defender = ExtractBetween(BRDefender, BRDefenderParenthesisOpen, text, pos2, false);
        const int defenderID = FindOrAddPlayer(defender);
        const Coordinates to = ReadCoordinates(text, pos);
        AnsiString isMoon = "0";
        if (dm_->FindPlanet(to.Galaxy, to.System, to.Position, "1") && AskMoon(to)) isMoon = "1";

        // The levels in the report are the opponent's, so they go to the
        // opponent's row: the defender's follow his coordinates, the
        // attacker's follow the attacker's.
        bool youAttack;
        if (AnsiSameText(you, attacker))
            youAttack = true;
        else if (AnsiSameText(you, defender))
            youAttack = false;
        else
            throw ETeskException(Format("This combat took place between %s and %s, your name %s doesn't match",
                                        {attacker, defender, you}));
        const Technology defenderTech = ReadTechnology(text, pos);
        int p = attackerTechPos;
        const Technology opponentTech = youAttack ? defenderTech : ReadTechnology(text, p);
        WriteTechnology(youAttack ? defender : attacker, opponentTech);

        const int defenderPlanetID = FindOrAddDefenderPlanet(to, isMoon, defenderID);
        RefuseDuplicate(time, defenderPlanetID);

        TADOQuery* planet = dm_->qryPlanet;
        if (!dm_->FindPlanet(to.Galaxy, to.System, to.Position, isMoon))
            throw ETeskException(
                Format("Planet %s:%s:%s:%s is supposed to exist", {to.Galaxy, to.System, to.Position, isMoon}));
        planet->Edit();
        planet->FieldByName("LastAttacked")->SetAsDateTime(time);
        TField* attacks = planet->FieldByName("NumberOfAttacks");
        attacks->SetAsInteger(attacks->AsInteger() + 1);
        TField* scanned = planet->FieldByName("LastScanned");
        const bool older = !scanned->IsNull() && scanned->AsDateTime() > time;

        const AnsiString result = WriteCombat(text, pos, time, attackerPlanetID, defenderPlanetID);
        if (result == BRWin) {
            if (older)
                page_.AddToLog(LogTimeStamp() +
                               " - Message: Combat report was older than latest spy report, resources, defences & "
                               "fleet not adjusted");
            else
                AdjustDefenderPlanet();
        }
        if (planet->State() == dsEdit || planet->State() == dsInsert) planet->Post();
        transaction.Commit();
        page_.SetCombatText("");
        page_.AddToLog(Format("%s - Message: Combat report on %s:%s:%s processed successfully",
                              {LogTimeStamp(), to.Galaxy, to.System, to.Position}));
    }

private:
    TDateTime BattleTime(const AnsiString& Text, int Pos) {
        try {
            return ParseReportDateTime(ExtractBetween(BREachOtherAt, "\r\n", Text, Pos, true));
        } catch (const EConvertError&) {
        }
        try {
            return ParseReportDateTime(ExtractBetween(BREachOtherOn, "\r\n", Text, Pos, true));
        } catch (const Exception&) {
            throw ETeskException("Tesk can't find the date and time in the combat report. Please check the language "
                                 "variables BREachOtherOn && BREachOtherAt");
        }
    }

    bool AskMoon(const Coordinates& c) {
        return MessageDlg(Format("Did the combat take place on the moon of %s:%s:%s ?", {c.Galaxy, c.System, c.Position}),
                          mtConfirmation, mbYesNo) == mrYes;
    }

    int FindOrAddPlayer(const AnsiString& Name) {
        // No player is made without a name.
        if (Trim(Name).empty()) throw ETeskException(IncompleteCombatMessage());
        TADOQuery* player = dm_->qryPlayer;
        if (!dm_->FindPlayerByName(Name)) {
            const int none = dm_->GetNoneAllianceID();
            player->Append();
            player->FieldByName("Name")->SetAsString(Name);
            player->FieldByName("AllianceID")->SetAsInteger(none);
            player->Post();
        }
        return player->FieldByName("ID")->AsInteger();
    }

    void AppendPlanet(const Coordinates& c, const AnsiString& IsMoon, int PlayerID) {
        TADOQuery* planet = dm_->qryPlanet;
        planet->Append();
        planet->FieldByName("GalaxyID")->SetAsString(c.Galaxy);
        planet->FieldByName("SolarsystemID")->SetAsString(c.System);
        planet->FieldByName("PlanetID")->SetAsString(c.Position);
        planet->FieldByName("IsMoon")->SetAsString(IsMoon);
        planet->FieldByName("PlayerID")->SetAsInteger(PlayerID);
        planet->Post();
    }

    int FindOrAddAttackerPlanet(const Coordinates& c, int PlayerID) {
        if (!dm_->FindPlanet(c.Galaxy, c.System, c.Position, "0")) AppendPlanet(c, "0", PlayerID);
        return dm_->qryPlanet->FieldByName("ID")->AsInteger();
    }

    int FindOrAddDefenderPlanet(const Coordinates& c, AnsiString& IsMoon, int PlayerID) {
        if (!dm_->FindPlanet(c.Galaxy, c.System, c.Position, IsMoon)) {
            if (AskMoon(c)) IsMoon = "1";
            AppendPlanet(c, IsMoon, PlayerID);
        }
        return dm_->qryPlanet->FieldByName("ID")->AsInteger();
    }

    void WriteTechnology(const AnsiString& Name, const Technology& Tech) {
        if (!dm_->FindPlayerByName(Name)) throw ETeskException(Format("Player %s is supposed to exist", {Name}));
        TADOQuery* player = dm_->qryPlayer;
        player->Edit();
        player->FieldByName("WeaponTechnology")->SetAsInteger(Tech.Weapon);
        player->FieldByName("ShieldingTechnology")->SetAsInteger(Tech.Shields);
        player->FieldByName("ArmourTechnology")->SetAsInteger(Tech.Armour);
        player->Post();
    }

    // The same battle is the same time at the same planet; two battles in
    // one second at different planets are both stored.
    void RefuseDuplicate(TDateTime Time, int DefenderPlanetID) {
        TADOQuery* tmp = dm_->qryTmp;
        SetQueryStatement(tmp, {"select ID from tblcombat where DateTime=:DT and DefenderPlanetID=:PID"});
        tmp->Parameters()->Items(0)->SetValue(Variant::MakeDate(Time));
        tmp->Parameters()->Items(1)->SetValue(DefenderPlanetID);
        tmp->Open();
        const bool duplicate = !tmp->IsEmpty();
        tmp->Close();
        if (duplicate) throw ETeskException("This report has already been processed");
    }

    AnsiString WriteCombat(const AnsiString& Text, int& Pos, TDateTime Time, int AttackerPlanetID,
                           int DefenderPlanetID) {
        dm_->FindCombatByID(0);
        TADOQuery* combat = dm_->qryCombat;
        combat->Append();
        combat->FieldByName("DateTime")->SetAsDateTime(Time);
        AnsiString result;
        if (FindWord(BRAttackerHasWonBattle, Text, Pos) > 0) {
            result = BRWin;
            combat->FieldByName("MetalRaided")->SetAsString(ExtractBetweenInt(BRCaptures, BRCapturesMetal, Text, Pos, false));
            combat->FieldByName("CrystalRaided")
                ->SetAsString(ExtractBetweenInt(BRCapturesMetal, BRCapturesCrystal, Text, Pos, false));
            combat->FieldByName("DeuteriumRaided")
                ->SetAsString(ExtractBetweenInt(BRCapturesCrystal, BRCapturesDeuterium, Text, Pos, false));
        } else if (FindWord(BRDefenderHasWonBattle, Text, Pos) > 0) {
            result = BRLose;
        } else {
            result = BRDraw;
        }
        combat->FieldByName("BattleResult")->SetAsString(result);
        combat->FieldByName("AttackerLostRes")
            ->SetAsString(ExtractBetweenInt(BRAttackerLostTotalRes, BRUnits, Text, Pos, false));
        combat->FieldByName("DefenderLostRes")
            ->SetAsString(ExtractBetweenInt(BRDefenderLostTotalRes, BRUnits, Text, Pos, false));
        combat->FieldByName("MetalDebris")->SetAsString(ExtractBetweenInt(BRNowFloat, BRFloatMetal, Text, Pos, false));
        combat->FieldByName("CrystalDebris")
            ->SetAsString(ExtractBetweenInt(BRFloatMetal, BRFloatCrystal, Text, Pos, false));
        combat->FieldByName("DefenderPlanetID")->SetAsInteger(DefenderPlanetID);
        combat->FieldByName("AttackerPlanetID")->SetAsInteger(AttackerPlanetID);
        combat->FieldByName("Report")->SetAsString(Text);
        combat->Post();
        return result;
    }

    void AdjustDefenderPlanet() {
        TADOQuery* planet = dm_->qryPlanet;
        TADOQuery* combat = dm_->qryCombat;
        if (planet->State() != dsEdit) return;
        auto count = [&](const char* column) { return planet->FieldByName(column)->AsLargeInt(); };
        if (page_.SubtractResources()) {
            const char* resources[][2] = {
                {"Metal", "MetalRaided"}, {"Crystal", "CrystalRaided"}, {"Deuterium", "DeuteriumRaided"}};
            for (auto& r : resources) {
                const __int128 left = static_cast<__int128>(count(r[0])) - combat->FieldByName(r[1])->AsLargeInt();
                if (left > 0) planet->FieldByName(r[0])->SetAsLargeInt(WholeCount(left));
            }
            planet->FieldByName("TotalResources")->SetAsLargeInt(PlanetTotalResources(planet));
        }
        if (page_.SubtractDefences()) {
            // Three quarters of each, half to even, counted exactly at any size.
            for (const char* column :
                 {"MissileLauncher", "SmallLaser", "HeavyLaser", "IonCannon", "GaussCannon", "PlasmaCannon"})
                planet->FieldByName(column)->SetAsLargeInt(RoundedQuotient(static_cast<__int128>(count(column)) * 3, 4));
            planet->FieldByName("DefencePower")->SetAsLargeInt(PlanetDefencePower(planet));
        }
        if (page_.SubtractFleet()) {
            for (const char* column : {"SmallCargoShip", "LargeCargoShip", "LightFighter", "HeavyFighter", "Cruiser",
                                       "BattleShip", "Destroyer", "Bomber", "DeathStar", "ColonyShip",
                                       "EspionageProbe", "SolarSatellite", "AssaultPower"})
                planet->FieldByName(column)->SetAsInteger(0);
        }
    }

    TdmMain* dm_;
    ICombatReportPage& page_;
};

void CancelEdits(TdmMain* dm) {
    for (TDataSet* ds : {static_cast<TDataSet*>(dm->qryPlanet), static_cast<TDataSet*>(dm->qryPlayer),
                         static_cast<TDataSet*>(dm->qryCombat), static_cast<TDataSet*>(dm->qryAlliance)})
        ds->Cancel();
}

}  // namespace

void ProcessCombatReport(TdmMain* dm, ICombatReportPage& Page) {
    try {
        CombatRun(dm, Page).Run();
        Page.Beep(MB_ICONASTERISK);
    } catch (const std::exception& e) {
        CancelEdits(dm);
        Page.ReportError("combat report", e);
    }
}
