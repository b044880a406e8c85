// The main window's texts from the language file: field labels (hence the
// grid titles), rating names, page captions, menus and actions, and the
// re-layout of the label bars whose widths follow the words.
#include <algorithm>
#include <initializer_list>

#include "app/uLanguage.h"
#include "app/uMain.h"
#include "data/uDatamodule.h"
#include "data/uIniFiles.h"

AnsiString iRecord;
AnsiString ifrmShowReportPlanet;
AnsiString ifrmShowReportAttak;

namespace {

constexpr const char* ViewBase = "ViewBase";
constexpr const char* Interfase = "Interfase";
constexpr const char* MenuSection = "Menu";

constexpr int LabelGap = 3;    // from a label to the control it names
constexpr int ControlGap = 5;  // from a control to the next label

void Label(TDataSet* DataSet, std::initializer_list<const char*> Fields, const AnsiString& Text) {
    for (const char* name : Fields)
        if (TField* f = DataSet->FindField(name)) f->SetDisplayLabel(Text);
}

AnsiString LabelOf(TDataSet* DataSet, const char* Field) {
    TField* f = DataSet->FindField(Field);
    return f ? f->DisplayLabel() : AnsiString();
}

void TitlesFromLabels(TDBGridGx* Grid) {
    TDBGridColumnsGx* columns = Grid->Columns();
    for (int i = 0; i < columns->Count(); ++i)
        if (TField* f = columns->Items(i)->Field()) columns->Items(i)->Title()->SetCaption(f->DisplayLabel());
}

// Each control right of the one before it; the first keeps its place.
void Chain(std::initializer_list<TControl*> Controls) {
    TControl* previous = nullptr;
    for (TControl* c : Controls) {
        if (previous) {
            int gap = dynamic_cast<TLabel*>(previous) ? LabelGap : ControlGap;
            c->SetLeft(previous->Left() + previous->Width() + gap);
        }
        previous = c;
    }
}

}  // namespace

void TfrmMain::ApplyLanguageToMainForm(TMyIniFile& Ini) {
    auto read = [&](const char* Section, const char* Key, const char* Default = "") {
        return ReadLanguageKey(Ini, Section, Key, Default);
    };
    auto vb = [&](const char* Key, const char* Default = "") { return read(ViewBase, Key, Default); };
    auto in = [&](const char* Key, const char* Default = "") { return read(Interfase, Key, Default); };

    // 1. Field labels.
    TDataSet* planet = dmMain->viewPlanet;
    Label(planet, {"tblplanet.ID"}, vb("VBID", "ID"));
    Label(planet, {"GalaxyID"}, vb("VBGalaxy", "G"));
    Label(planet, {"SolarsystemID"}, vb("VBSolarSystem", "S"));
    Label(planet, {"PlanetID"}, vb("VBPlanet", "P"));
    Label(planet, {"IsMoon"}, vb("VBMoon", "M"));
    Label(planet, {"RatingExpanded", "Rating"}, vb("VBRating", "Rating"));
    Label(planet, {"tblalliance.Name"}, vb("VBAlliance", "Alliance"));
    Label(planet, {"AverageScore"}, vb("VBAverageAllianceScore", "AS"));
    Label(planet, {"tblplayer.Name"}, vb("VBPlayer", "Player"));
    Label(planet, {"NumberOfAttacks"}, vb("VBNumberOfAttacks", "NoA"));
    Label(planet, {"LastScanned"}, vb("VBLastScanned", "Scanned"));
    Label(planet, {"TotalResources"}, vb("VBTotal", "Total"));
    Label(planet, {"AssaultPower"}, vb("VBAssaultPower", "Assault"));
    Label(planet, {"DefencePower"}, vb("VBDefencePower", "Defence"));
    Label(planet, {"Metal"}, vb("VBMetal", "Metal"));
    Label(planet, {"Crystal"}, vb("VBCrystal", "Crystal"));
    Label(planet, {"Deuterium"}, vb("VBDeuterium", "Deut"));
    Label(planet, {"Energy"}, vb("VBEnergy", "Energy"));
    Label(planet, {"MetalMine"}, vb("VBMetalMine", "MM"));
    Label(planet, {"CrystalMine"}, vb("VBCrystalMine", "CM"));
    Label(planet, {"DeuteriumSynthesizer"}, vb("VBDeuteriumSynthesizer", "DS"));
    Label(planet, {"LightFighter"}, vb("VBLightFighter", "LF"));
    Label(planet, {"HeavyFighter"}, vb("VBHeavyFighter", "HF"));
    Label(planet, {"Cruiser"}, vb("VBCruiser", "CR"));
    Label(planet, {"BattleShip"}, vb("VBBattleship", "BS"));
    Label(planet, {"Bomber"}, vb("VBBomber", "Bmbr"));
    Label(planet, {"Destroyer"}, vb("VBDestroyer", "Dest"));
    Label(planet, {"DeathStar"}, vb("VBDeathStar", "DS"));
    Label(planet, {"MissileLauncher"}, vb("VBMissile", "ML"));
    Label(planet, {"SmallLaser"}, vb("VBSmallLaser", "SL"));
    Label(planet, {"HeavyLaser"}, vb("VBHeavyLaser", "HL"));
    Label(planet, {"GaussCannon"}, vb("VBGaussCannon", "GC"));
    Label(planet, {"IonCannon"}, vb("VBIonCannon", "IC"));
    Label(planet, {"PlasmaCannon"}, vb("VBPlasmaCannon", "PC"));
    Label(planet, {"SmallShieldDome"}, vb("VBSmallShieldDome", "SSD"));
    Label(planet, {"LargeShieldDome"}, vb("VBLargeShieldDome", "LSD"));
    Label(planet, {"Anti-ballisticMissile"}, vb("VBAntiBallisticMissile", "ABM"));
    Label(planet, {"InterplanetaryMissile"}, vb("VBInterplanetaryMissile", "IPM"));
    Label(planet, {"LastAttacked"}, vb("VBLastAttacked", "Last attacked"));
    Label(planet, {"PlanetName"}, vb("VBPlanetName", "Planet"));
    Label(planet, {"EspionageTechnology"}, vb("VBEspionageTech", "Esp tech"));
    Label(planet, {"ComputerTechnology"}, vb("VBComputerTech", "Comp tech"));
    Label(planet, {"ArmourTechnology"}, vb("VBArmourTech", "Arm tech"));
    Label(planet, {"ShieldingTechnology"}, vb("VBShieldTech", "Shield tech"));
    Label(planet, {"WeaponTechnology"}, vb("VBWeaponTech", "Weap tech"));
    Label(planet, {"LaserTechnology"}, vb("VBLaserTech", "Las tech"));
    Label(planet, {"HyperspaceTechnology"}, vb("VBHyperspaceTech", "Hyper tech"));
    Label(planet, {"CombustionEngine"}, vb("VBCombustionEngine", "Combust"));
    Label(planet, {"HyperspaceEngine"}, vb("VBHyperEngine", "Hyper eng"));
    Label(planet, {"ImpulseEngine"}, vb("VBImpulseEngine", "Impulse eng"));
    Label(planet, {"IonTechnology"}, vb("VBIonTech", "Ion tech"));
    Label(planet, {"EnergyTechnology"}, vb("VBEnergyTech", "Energy tech"));
    Label(planet, {"PlasmaTechnology"}, vb("VBPlasmaTech", "Plasma tech"));
    Label(planet, {"GravitonTechnology"}, vb("VBGravitonTech", "Grav tech"));
    Label(planet, {"IntergalacticResearchNetwork"}, vb("VBIntergalacticResearchNetwork", "IRN"));
    Label(planet, {"SensorPhalanx"}, vb("VBSensorPhalanx", "SP"));
    Label(planet, {"SolarSystemScan"}, vb("VBSolarSystemScan", "Scanned"));
    Label(planet, {"MetalDebris"}, vb("VBMetalDebris", "Metal debris"));
    Label(planet, {"CrystalDebris"}, vb("VBCrystalDebris", "Crystal debris"));
    Label(planet, {"Vacation"}, vb("VBVacationIndicator", "v"));
    Label(planet, {"Strong"}, vb("VBStrongIndicator", "s"));
    Label(planet, {"Noob"}, vb("VBNoobIndicator", "n"));
    Label(planet, {"Banned"}, vb("VBBannedIndicator", "b"));
    Label(planet, {"Inactive"}, vb("VBInactiveIndicator", "i"));
    Label(planet, {"LongInactive"}, vb("VBLongInactiveIndicator", "I"));
    Label(planet, {"Status"}, vb("VBStatus", "Status"));

    TDataSet* combat = dmMain->viewCombat;
    Label(combat, {"tblCombat.ID"}, vb("VBID", "ID"));
    Label(combat, {"Galaxy"}, vb("VBGalaxy", "G"));
    Label(combat, {"SolarSystem"}, vb("VBSolarSystem", "S"));
    Label(combat, {"Planet"}, vb("VBPlanet", "P"));
    Label(combat, {"tblAlliance.Name"}, vb("VBAlliance", "Alliance"));
    Label(combat, {"tblPlayer.Name"}, vb("VBPlayer", "Player"));
    Label(combat, {"Moon"}, vb("VBMoon", "M"));
    Label(combat, {"DateTime"}, vb("VBWhen", "When"));
    Label(combat, {"BattleResult"}, vb("VBResult", "Result"));
    Label(combat, {"MetalRaided"}, vb("VBMetalRaided", "Metal raided"));
    Label(combat, {"CrystalRaided"}, vb("VBCrystalRaided", "Crystal raided"));
    Label(combat, {"DeuteriumRaided"}, vb("VBDeuteriumRaided", "Deuterium raided"));
    Label(combat, {"AttackerLostRes"}, vb("VBAttackerLostRes", "Attacker lost res."));
    Label(combat, {"DefenderLostRes"}, vb("VBDefenderLostRes", "Defender lost res."));
    Label(combat, {"tblCombat.MetalDebris"}, vb("VBMetalDebris", "Metal debris"));
    Label(combat, {"tblCombat.CrystalDebris"}, vb("VBCrystalDebris", "Crystal debris"));

    TDataSet* alliance = dmMain->tblAlliance;
    Label(alliance, {"ID"}, vb("VBID", "ID"));
    Label(alliance, {"Name"}, vb("VBNameAlliance", "Name"));
    Label(alliance, {"AverageScore"}, vb("VBAverageScore", "Average Score"));
    Label(alliance, {"Ranking"}, vb("VBAllianceRanking", "Ranking"));
    Label(alliance, {"Members"}, vb("VBMembers", "Members"));

    TDataSet* player = dmMain->tblPlayer;
    Label(player, {"ID"}, vb("VBID", "ID"));
    // The player page shows the planet view's words for the same things.
    for (const char* f : {"EspionageTechnology", "ComputerTechnology", "WeaponTechnology", "ShieldingTechnology",
                          "ArmourTechnology", "EnergyTechnology", "HyperspaceTechnology", "CombustionEngine",
                          "ImpulseEngine", "HyperspaceEngine", "LaserTechnology", "IonTechnology", "PlasmaTechnology",
                          "GravitonTechnology", "IntergalacticResearchNetwork"})
        Label(player, {f}, LabelOf(planet, f));
    Label(player, {"Name"}, LabelOf(planet, "tblplayer.Name"));
    Label(player, {"Alliance"}, vb("VBNameAlliance"));
    for (const char* f : {"Noob", "Strong", "Banned", "Inactive", "LongInactive", "Vacation"})
        Label(player, {f}, LabelOf(planet, f));
    Label(player, {"Rank"}, vb("VBPlayerRanking"));
    Label(player, {"Status"}, vb("VBStatus", "Status"));

    // 2. Rating names.
    const char* ratingKeys[8][2] = {{"RCNormal", "Normal"},       {"RCRaidable", "Raidable"}, {"RCFriendly", "Friendly"},
                                    {"RCInactive", "Inactive"},   {"RCDangerous", "Dangerous"}, {"RCnOOb", "nOOb"},
                                    {"RCCrashable", "Crashable"}, {"RCBlocked", "Blocked"}};
    for (int i = 0; i < 8; ++i) dmMain->RatingCaptions[i] = read("RatingCaptions", ratingKeys[i][0], ratingKeys[i][1]);

    // 3. Planet view page.
    tsViewSpyReports->SetCaption(in("iSpyName", "View Spy Reports"));
    grdPlanet->SetHint(in("ihSpyTable", "Rightmouse click to choose an action"));
    lblResources->SetCaption(in("iResources", "Resources"));
    lblTotal->SetCaption(in("iSpyTotal", "Total"));
    lblAP->SetCaption(in("iSpyAssaultPower", "Assault"));
    lblDP->SetCaption(in("iSpyDefencePower", "Defence"));
    lblMetal->SetCaption(in("iSpyMetal", "Metal"));
    lblCrystal->SetCaption(in("iSpyCrystal", "Crystal"));
    lblDeuterium->SetCaption(in("iSpyDeuterium", "Deuterium"));
    lblEnergy->SetCaption(in("iSpyEnergy", "Energy"));
    lblLF->SetCaption(in("iLightFighter", "LF"));
    lblHF->SetCaption(in("iHeavyFighter", "HF"));
    lblCR->SetCaption(in("iCruiser", "CR"));
    lblBS->SetCaption(in("iBattleship", "BS"));
    lblBmbr->SetCaption(in("iBomber", "Bmbr"));
    lblDest->SetCaption(in("iDestroyer", "Dest"));
    lblDS->SetCaption(in("iDeathStar", "DS"));
    lblML->SetCaption(in("iMissile", "ML"));
    lblSL->SetCaption(in("iSmallLaser", "SL"));
    lblHL->SetCaption(in("iHeavyLaser", "HL"));
    lblGC->SetCaption(in("iGaussCannon", "GC"));
    lblIC->SetCaption(in("iIonCannon", "IC"));
    lblPC->SetCaption(in("iPlasmaCannon", "PC"));
    Label38->SetCaption(in("iFilter", "Filter"));
    Label2->SetCaption(in("iPredefined", "Predefined"));
    Label37->SetCaption(in("iTime", "Time"));
    lblSorted->SetCaption(in("iSorted", "Sorted by "));
    TitlesFromLabels(grdPlanet);
    Chain({lblResources, lblTotal, edtTotalRes, lblMetal, edtMetal, lblCrystal, edtCrystal, lblDeuterium, edtDeut,
           lblEnergy, edtEnergy});
    Chain({Label38, edtPlanetFilter});
    Chain({Label2, cmbPlanetFilter, Label37, cmbAge, lblSorted, lblSort});
    // The sort text takes the rest of the bar and ends in "..." when longer.
    lblSort->SetWidth(std::max(0, lblSort->Parent()->ClientWidth() - lblSort->Left() - ControlGap));

    // 4. Paste pages and the combat view.
    tsSolarSystem->SetCaption(in("iPSSName", "Paste Solar System"));
    cbxDeletePlanets->SetCaption(in("iPSSClear", "Delete planets which do not longer exist"));
    actProcessSolarSystem->SetCaption(in("iPSSProcess", "Process &solar system"));
    tsProcessSpyReports->SetCaption(in("iPSpyName", "Paste Spy Reports"));
    lblAlliance->SetCaption(in("iPSpyAlliance", "Alliance"));
    lblPlayer->SetCaption(in("iPSpyPlayer", "Player"));
    actProcessSpyReport->SetCaption(in("iPSpyProcess", "Process s&py report"));
    grpRating->SetCaption(in("iPSpyPRate", "Rate planet:"));
    cbxKeepTech->SetCaption(in("iPSpyKeepTech", "Keep old techs if current spy report is incomplete"));
    cbxKeepDefs->SetCaption(in("iPSpyKeepDefs", "Keep old defences if current spy report is incomplete"));
    cbxKeepBuilds->SetCaption(in("iPSpyKeepBuilds", "Keep old buildings if current spy report is incomplete"));
    tsViewCombatReports->SetCaption(in("iCombatName", "View Combat Reports"));
    grdCombat->SetHint(in("ihCombatTable", "Doubleclick to view the combat report"));
    lblCombatSorted->SetCaption(in("iSorted", "Sorted by "));
    Chain({lblCombatSorted, lblCombatSort});
    lblCombatSort->SetWidth(std::max(0, btnDeleteCombat->Left() - lblCombatSort->Left() - ControlGap));
    lblMetalRaided->SetCaption(in("iCombatMetalRaided", "Metal raided"));
    lblCrystalRaided->SetCaption(in("iCombatCrystalRaided", "Crystal raided"));
    lblDeutRaided->SetCaption(in("iCombatDeuteriumRaided", "Deut raided"));
    lblMetalDebris->SetCaption(in("iCombatMetalDebris", "Metal debris"));
    lblCrystalDebris->SetCaption(in("iCombatCrystalDebris", "Crystal debris"));
    Label5->SetCaption(in("iFilter", "Filter"));
    Label6->SetCaption(in("iPredefined", "Predefined"));
    btnDeleteCombat->SetCaption(in("iCombatDelete", "&Delete"));
    TitlesFromLabels(grdCombat);
    Chain({lblMetalRaided, edtMetalRaided, lblCrystalRaided, edtCrystalRaided, lblDeutRaided, edtDeutRaided,
           lblMetalDebris, edtMetalDebris, lblCrystalDebris, edtCrystalDebris});
    Chain({Label5, edtCombatFilter});
    Chain({Label6, cmbCombatFilter});

    // 5. Combat paste page and the alliance view.
    tsProcessCombatReports->SetCaption(in("iPCombatName", "Paste Combat Reports"));
    cbxSubstractResources->SetCaption(
        in("iPCombatSubRes", "Substract raided resources from last known values (if you have won)"));
    cbxSubstractDefences->SetCaption(in("iPCombatSubDefs", "Substract 25% of last known defences (if you have won)"));
    cbxSubstractFleet->SetCaption(in("iPCombatSubFleet", "Substract 100% of last known fleet (if you have won)"));
    lblPlayerName->SetCaption(in("iPCombatPlayerName", "Your ingame name"));
    actProcessCombatReport->SetCaption(in("iPCombatProcess", "Process c&ombat report"));
    tsViewAlliance->SetCaption(in("iAllianceName", "View Alliances"));
    grdAlliance->SetHint(in("ihAllianceTable"));
    TitlesFromLabels(grdAlliance);
    const char* navigator[10][2] = {{"iNavigatorFirst", "First record"}, {"iNavigatorPrior", "Prior record"},
                                    {"iNavigatorNext", "Next record"},   {"iNavigatorLast", "Last record"},
                                    {"iNavigatorIns", "Insert record"},  {"iNavigatorDel", "Delete record"},
                                    {"iNavigatorEdit", "Edit record"},   {"iNavigatorPost", "Post edit"},
                                    {"iNavigatorCancel", "Cancel edit"}, {"iNavigatorRefresh", "Refresh data"}};
    dbnavAlliances->Hints()->Clear();
    for (const auto& n : navigator) dbnavAlliances->Hints()->Add(in(n[0], n[1]));

    // 6. Alliance paste page and the player view.
    tsParseAlliances->SetCaption(in("iPAllianceName", "Paste Alliances"));
    actProcessAlliances->SetCaption(in("iPAllianceProcess", "&Process alliances"));
    tsViewPlayer->SetCaption(in("iPlayerName", "View Players"));
    grdPlayer->SetHint(in("ihPlayerTable"));
    dbnavPlayers->Hints()->Clear();
    dbnavPlayers->Hints()->AddStrings(dbnavAlliances->Hints());
    TitlesFromLabels(grdPlayer);

    // 7. Power page: the planet view's words, and the two domes of its own.
    tsCalculatePower->SetCaption(in("iPowerName", "Calculate Power"));
    grpFleetPower->SetCaption(lblAP->Caption());
    grpDefencePower->SetCaption(lblDP->Caption());
    const std::pair<TLabel*, TLabel*> twins[] = {{lbloLF, lblLF}, {lbloHF, lblHF}, {lbloCR, lblCR}, {lbloBS, lblBS},
                                                 {lbloBmbr, lblBmbr}, {lbloDest, lblDest}, {lbloDS, lblDS},
                                                 {lbloML, lblML}, {lbloSL, lblSL}, {lbloHL, lblHL},
                                                 {lbloGC, lblGC}, {lbloIC, lblIC}, {lbloPC, lblPC}};
    for (const auto& [power, planetLabel] : twins) power->SetCaption(planetLabel->Caption());
    lbloSSD->SetCaption(in("iSmallShieldDome", "SSD"));
    lbloLSD->SetCaption(in("iLargeShieldDome", "LSD"));

    // 8. Menus; an entry bound to an action words the action.
    auto entry = [&](TMenuItem* Item, const char* Key, const char* Default, const char* HintKey,
                     const char* HintDefault = "") {
        AnsiString caption = read(MenuSection, Key, Default);
        AnsiString hint = read(MenuSection, HintKey, HintDefault);
        if (auto* action = dynamic_cast<TCustomAction*>(Item->Action())) {
            action->SetCaption(caption);
            action->SetHint(hint);
        } else {
            Item->SetCaption(caption);
            Item->SetHint(hint);
        }
    };
    entry(m1, "m1", "Menu", "m1h");
    entry(m2, "m2", "Report", "m2h");
    entry(m3, "m3", "Planets", "m3h");
    entry(aSelectDB, "aSelectDB", "Select DataBase...", "ahSelectUser");
    entry(m4, "m4", "Combat", "m4h");
    entry(m5, "m5", "Options", "m5h");
    entry(m6, "m6", "Help", "m6h");
    entry(aImportData, "aImportData", "Import data from...", "ahImportData", "Import data from an access database");
    entry(aExportData, "aExportData", "Export data to...", "ahExportData", "Export data to an access database");
    entry(aExit, "aExit", "Exit", "ahExit");
    entry(aProcessSS, "aProcessSS", "Process solar system", "ahProcessSS", "Process and store a solar system");
    entry(aProcessSpyReport, "aProcessSpyReport", "Process spy report", "ahProcessSpyReport",
          "Process and store one or more spy reports");
    entry(aProcessCombatReport, "aProcessCombatReport", "Process combat report", "ahProcessCombatReport",
          "Process and store the combat report");
    entry(aProcessAlliances, "aProcessAlliances", "Process alliance", "ahProcessAlliances");
    entry(mFind, "mFind", "Find...", "mhFind", "Find alliance, player or planet");
    entry(mDeletePlanet, "mDeletePlanet", "Delete planet(s)", "mhDeletePlanet", "Delete selected planet(s)");
    entry(mEditFilters, "mEditFilters", "Edit filters...", "mhEditFilters");
    entry(mClearFilter, "mClearFilter", "Clear filter", "mhClearFilter");
    struct TRateEntries {
        TMenuItem* Menu;
        const char* Key;
        const char* Default;
        const char* HintKey;
        TMenuItem* Items[5];
        const char* Keys[5];
    };
    const TRateEntries rates[] = {
        {mRatePlanet, "mRatePlanet", "Rate planet(s)", "mhRatePlanet",
         {mRPlanetRaid, mRPlanetNormal, mRPlanetFriend, mRPlanetDanger, mRPanetCrash},
         {"mRPlanetRaid", "mRPlanetNormal", "mRPlanetFriend", "mRPlanetDanger", "mRPanetCrash"}},
        {mRatePlayer, "mRatePlayer", "Rate player", "mhRatePlayer",
         {mRPlayerRaid, mRPlayerNormal, mRPlayerFriend, mRPlayerDanger, mRPlayerCrash},
         {"mRPlayerRaid", "mRPlayerNormal", "mRPlayerFriend", "mRPlayerDanger", "mRPlayerCrash"}},
        {mRateAlliance, "mRateAlliance", "Rate alliance", "mhRateAlliance",
         {mRAllianceRaid, mRAllianceNormal, mRAllianceFriend, mRAllianceDanger, mRAllianceCrash},
         {"mRAllianceRaid", "mRAllianceNormal", "mRAllianceFriend", "mRAllianceDanger", "mRAllianceCrash"}}};
    const char* rateDefaults[5] = {"Raidable", "Normal", "Friendly", "Dangerous", "Crashable"};
    for (const TRateEntries& r : rates) {
        entry(r.Menu, r.Key, r.Default, r.HintKey);
        for (int i = 0; i < 5; ++i) {
            AnsiString hintKey = AnsiString("mh") + (r.Keys[i] + 1);
            entry(r.Items[i], r.Keys[i], rateDefaults[i], hintKey.c_str());
        }
    }
    entry(mFilterByAlliance, "mFilterByAlliance", "Filter by alliance", "mhFilterByAlliance",
          "Hold [shift] to add it to the current filter");
    entry(mFilterByPlayer, "mFilterByPlayer", "Filter by player", "mhFilterByPlayer",
          "Hold [shift] to add it to the current filter");
    entry(mGeneratedEspReport, "mGeneratedEspReport", "Show generated espionage report", "mhGeneratedEspReport",
          "Show generated espionage report of selected planet");
    entry(mOriginalEspReport, "mOriginalEspReport", "Show original espionage report", "mhOriginalEspReport",
          "Show original espionage report of selected planet");
    entry(mCopyReportPlainText, "mCopyReportPlainText", "Copy report(s) plaintext to clipboard",
          "mhCopyReportPlainText", "Copy generated plaintext espionage reports of selected planet(s) to clipboard");
    entry(mCopyReportEnhanced, "mCopyReportEnhanced", "Copy report(s) enhanced to clipboard", "mhCopyReportEnhanced",
          "Copy generated enhanced espionage reports of selected planet(s) to clipboard");
    entry(mRefreshPlanetGrid, "mRefreshPlanetGrid", "&Refresh", "mhRefreshPlanetGrid",
          "Apply thresholds and refresh grid");
    entry(mDeleteCombat, "mDeleteCombat", "Delete", "mhDeleteCombat");
    entry(mnuWatchClipboard, "mClipboard", "Watch clipboard", "mhClipboard");
    entry(mnuPlaySounds, "mAlert", "Audio alerts on processing", "mhAlert");
    entry(mSelectLanguage, "mSelectLanguage", "&Select language...", "mhSelectLanguage");
    entry(mDateformat, "mDateformat", "Dateformat", "mhDateformat");
    entry(mnuddmmyyyy, "mDateFormat1", "dd-mm-yyyy", "mhDateFormat1");
    entry(mnummddyyyy, "mDateFormat2", "mm-dd-yyyy", "mhDateFormat2");
    entry(mClearDB, "mClearDB", "&Clear database", "mhClearDB", "Clear the contents of all tables");
    entry(mReprocessPlanets, "mReprocessPlanets", "Reprocess data", "mhReprocessPlanets",
          "Reprocess data to fill AssaultPower, DefencePower and TotalResources");
    entry(mClearLog, "mClearLog", "C&lear log", "mhClearLog");
    entry(mHelp, "mHelp", "Help", "mhHelp", "Visit Tesk forum");
    entry(mnuHints, "mHits", "Hints", "mhHits", "Toggle hints on / off");
    entry(mViewWishlist, "mViewWishlist", "View wishlist...", "mhViewWishlist");
    entry(mAddWish, "mAddWish", "Add a wish...", "mhAddWish");
    entry(mViewKnownBugs, "mViewKnownBugs", "View known bugs...", "mhViewKnownBugs");
    entry(mReportBug, "mReportBug", "Report a bug...", "mhReportBug");
    entry(mAbout, "mAbout", "About...", "mhAbout", "Everything about Tesk...");

    // The three window words.
    ifrmShowReportPlanet = in("ifrmShowReportPlanet", "Planet");
    ifrmShowReportAttak = in("ifrmShowReportAttak", "Attack against");
    iRecord = in("iRecord", "Records:");
}
