#include "app/uVocabulary.h"

#include <array>

#include "platform/classes/IniFiles.h"

AnsiString ESMetal;
AnsiString ESCrystal;
AnsiString ESDeuterium;
AnsiString ESEnergy;
AnsiString ESSmallCargoShip;
AnsiString ESLargeCargoShip;
AnsiString ESLightFighter;
AnsiString ESHeavyFighter;
AnsiString ESCruiser;
AnsiString ESBattleShip;
AnsiString ESColonyShip;
AnsiString ESRecycler;
AnsiString ESEspionageProbe;
AnsiString ESBomber;
AnsiString ESSolarSatellite;
AnsiString ESDestroyer;
AnsiString ESDeathStar;
AnsiString ESMissileLauncher;
AnsiString ESSmallLaser;
AnsiString ESHeavyLaser;
AnsiString ESGaussCannon;
AnsiString ESIonCannon;
AnsiString ESPlasmaCannon;
AnsiString ESSmallShieldDome;
AnsiString ESLargeShieldDome;
AnsiString ESAntiballisticMissile;
AnsiString ESInterplanetaryMissiles;
AnsiString ESLunarBase;
AnsiString ESSensorPhalanx;
AnsiString ESJumpGate;
AnsiString ESMetalMine;
AnsiString ESCrystalMine;
AnsiString ESDeuteriumSynthesizer;
AnsiString ESSolarPlant;
AnsiString ESFusionPlant;
AnsiString ESRoboticFactory;
AnsiString ESNaniteFactory;
AnsiString ESShipYard;
AnsiString ESMetalStorage;
AnsiString ESCrystalStorage;
AnsiString ESDeuteriumTank;
AnsiString ESResearchLab;
AnsiString ESRocketSilo;
AnsiString ESTerraformer;
AnsiString ESEspionageTechnology;
AnsiString ESComputerTechnology;
AnsiString ESWeaponTechnology;
AnsiString ESShieldingTechnology;
AnsiString ESArmourTechnology;
AnsiString ESEnergyTechnology;
AnsiString ESHyperspaceTechnology;
AnsiString ESCombustionEngine;
AnsiString ESImpulseEngine;
AnsiString ESHyperspaceEngine;
AnsiString ESLaserTechnology;
AnsiString ESIonTechnology;
AnsiString ESPlasmaTechnology;
AnsiString ESGravitonTechnology;
AnsiString ESIntergalacticResearchNetwork;
AnsiString ESCounterEspionage;
AnsiString ESReport;
AnsiString ESHeaderResources;
AnsiString ESHeaderFleets;
AnsiString ESHeaderDefence;
AnsiString ESHeaderBuildings;
AnsiString ESHeaderResearch;
AnsiString ESAt;
AnsiString ESPlanetMoon;
AnsiString ESDefaultPlanetName;
AnsiString BREachOtherOn;
AnsiString BREachOtherAt;
AnsiString BRDefenderParenthesisOpen;
AnsiString BRDefender;
AnsiString BRWeapon;
AnsiString BRShields;
AnsiString BRArmour;
AnsiString BRPercentage;
AnsiString BRAttackerHasWonBattle;
AnsiString BRDefenderHasWonBattle;
AnsiString BRCaptures;
AnsiString BRAttackerLostTotalRes;
AnsiString BRDefenderLostTotalRes;
AnsiString BRCapturesMetal;
AnsiString BRCapturesCrystal;
AnsiString BRCapturesDeuterium;
AnsiString BRNowFloat;
AnsiString BRFloatMetal;
AnsiString BRFloatCrystal;
AnsiString BRUnits;
AnsiString BRWin;
AnsiString BRLose;
AnsiString BRDraw;
AnsiString BRAttacker;
AnsiString SSSolarSystem;
AnsiString SSNoob;
AnsiString SSStrong;
AnsiString SSInactive;
AnsiString SSLongInactive;
AnsiString SSVacation;
AnsiString SSBanned;
// The six status letters live in the data module, whose status column shows them.
AnsiString SSPlanet;
AnsiString SSDebris;
AnsiString SSPlayerNameOnRank;
AnsiString SSAllianceNameOnRankWithMembers;

namespace {

const std::array<TVocabularyEntry, 110> Entries = {{
    {"EspionageIdentifiers", "ESMetal", "", &ESMetal},
    {"EspionageIdentifiers", "ESCrystal", "", &ESCrystal},
    {"EspionageIdentifiers", "ESDeuterium", "", &ESDeuterium},
    {"EspionageIdentifiers", "ESEnergy", "", &ESEnergy},
    {"EspionageIdentifiers", "ESSmallCargoShip", "", &ESSmallCargoShip},
    {"EspionageIdentifiers", "ESLargeCargoShip", "", &ESLargeCargoShip},
    {"EspionageIdentifiers", "ESLightFighter", "", &ESLightFighter},
    {"EspionageIdentifiers", "ESHeavyFighter", "", &ESHeavyFighter},
    {"EspionageIdentifiers", "ESCruiser", "", &ESCruiser},
    {"EspionageIdentifiers", "ESBattleShip", "", &ESBattleShip},
    {"EspionageIdentifiers", "ESColonyShip", "", &ESColonyShip},
    {"EspionageIdentifiers", "ESRecycler", "", &ESRecycler},
    {"EspionageIdentifiers", "ESEspionageProbe", "", &ESEspionageProbe},
    {"EspionageIdentifiers", "ESBomber", "", &ESBomber},
    {"EspionageIdentifiers", "ESSolarSatellite", "", &ESSolarSatellite},
    {"EspionageIdentifiers", "ESDestroyer", "", &ESDestroyer},
    {"EspionageIdentifiers", "ESDeathStar", "", &ESDeathStar},
    {"EspionageIdentifiers", "ESMissileLauncher", "", &ESMissileLauncher},
    {"EspionageIdentifiers", "ESSmallLaser", "", &ESSmallLaser},
    {"EspionageIdentifiers", "ESHeavyLaser", "", &ESHeavyLaser},
    {"EspionageIdentifiers", "ESGaussCannon", "", &ESGaussCannon},
    {"EspionageIdentifiers", "ESIonCannon", "", &ESIonCannon},
    {"EspionageIdentifiers", "ESPlasmaCannon", "", &ESPlasmaCannon},
    {"EspionageIdentifiers", "ESSmallShieldDome", "", &ESSmallShieldDome},
    {"EspionageIdentifiers", "ESLargeShieldDome", "", &ESLargeShieldDome},
    {"EspionageIdentifiers", "ESAntiballisticMissile", "", &ESAntiballisticMissile},
    {"EspionageIdentifiers", "ESInterplanetaryMissiles", "", &ESInterplanetaryMissiles},
    {"EspionageIdentifiers", "ESLunarBase", "", &ESLunarBase},
    {"EspionageIdentifiers", "ESSensorPhalanx", "", &ESSensorPhalanx},
    {"EspionageIdentifiers", "ESJumpGate", "", &ESJumpGate},
    {"EspionageIdentifiers", "ESMetalMine", "", &ESMetalMine},
    {"EspionageIdentifiers", "ESCrystalMine", "", &ESCrystalMine},
    {"EspionageIdentifiers", "ESDeuteriumSynthesizer", "", &ESDeuteriumSynthesizer},
    {"EspionageIdentifiers", "ESSolarPlant", "", &ESSolarPlant},
    {"EspionageIdentifiers", "ESFusionPlant", "", &ESFusionPlant},
    {"EspionageIdentifiers", "ESRoboticFactory", "", &ESRoboticFactory},
    {"EspionageIdentifiers", "ESNaniteFactory", "", &ESNaniteFactory},
    {"EspionageIdentifiers", "ESShipYard", "", &ESShipYard},
    {"EspionageIdentifiers", "ESMetalStorage", "", &ESMetalStorage},
    {"EspionageIdentifiers", "ESCrystalStorage", "", &ESCrystalStorage},
    {"EspionageIdentifiers", "ESDeuteriumTank", "", &ESDeuteriumTank},
    {"EspionageIdentifiers", "ESResearchLab", "", &ESResearchLab},
    {"EspionageIdentifiers", "ESRocketSilo", "", &ESRocketSilo},
    {"EspionageIdentifiers", "ESTerraformer", "", &ESTerraformer},
    {"EspionageIdentifiers", "ESEspionageTechnology", "", &ESEspionageTechnology},
    {"EspionageIdentifiers", "ESComputerTechnology", "", &ESComputerTechnology},
    {"EspionageIdentifiers", "ESWeaponTechnology", "", &ESWeaponTechnology},
    {"EspionageIdentifiers", "ESShieldingTechnology", "", &ESShieldingTechnology},
    {"EspionageIdentifiers", "ESArmourTechnology", "", &ESArmourTechnology},
    {"EspionageIdentifiers", "ESEnergyTechnology", "", &ESEnergyTechnology},
    {"EspionageIdentifiers", "ESHyperspaceTechnology", "", &ESHyperspaceTechnology},
    {"EspionageIdentifiers", "ESCombustionEngine", "", &ESCombustionEngine},
    {"EspionageIdentifiers", "ESImpulseEngine", "", &ESImpulseEngine},
    {"EspionageIdentifiers", "ESHyperspaceEngine", "", &ESHyperspaceEngine},
    {"EspionageIdentifiers", "ESLaserTechnology", "", &ESLaserTechnology},
    {"EspionageIdentifiers", "ESIonTechnology", "", &ESIonTechnology},
    {"EspionageIdentifiers", "ESPlasmaTechnology", "", &ESPlasmaTechnology},
    {"EspionageIdentifiers", "ESGravitonTechnology", "", &ESGravitonTechnology},
    {"EspionageIdentifiers", "ESIntergalacticResearchNetwork", "", &ESIntergalacticResearchNetwork},
    {"EspionageIdentifiers", "ESCounterEspionage", "", &ESCounterEspionage},
    {"EspionageIdentifiers", "ESReport", "", &ESReport},
    {"EspionageIdentifiers", "ESHeaderResources", "", &ESHeaderResources},
    {"EspionageIdentifiers", "ESHeaderFleets", "", &ESHeaderFleets},
    {"EspionageIdentifiers", "ESHeaderDefence", "", &ESHeaderDefence},
    {"EspionageIdentifiers", "ESHeaderBuildings", "", &ESHeaderBuildings},
    {"EspionageIdentifiers", "ESHeaderResearch", "", &ESHeaderResearch},
    {"EspionageIdentifiers", "ESAt", "", &ESAt},
    {"EspionageIdentifiers", "ESPlanetMoon", "", &ESPlanetMoon},
    {"EspionageIdentifiers", "ESDefaultPlanetName", "", &ESDefaultPlanetName},
    {"BattleIdentifiers", "BREachOtherOn", "", &BREachOtherOn},
    {"BattleIdentifiers", "BREachOtherAt", "", &BREachOtherAt},
    {"BattleIdentifiers", "BRDefenderParenthesisOpen", "", &BRDefenderParenthesisOpen},
    {"BattleIdentifiers", "BRDefender", "", &BRDefender},
    {"BattleIdentifiers", "BRWeapon", "", &BRWeapon},
    {"BattleIdentifiers", "BRShields", "", &BRShields},
    {"BattleIdentifiers", "BRArmour", "", &BRArmour},
    {"BattleIdentifiers", "BRPercentage", "", &BRPercentage},
    {"BattleIdentifiers", "BRAttackerHasWonBattle", "", &BRAttackerHasWonBattle},
    {"BattleIdentifiers", "BRDefenderHasWonBattle", "", &BRDefenderHasWonBattle},
    {"BattleIdentifiers", "BRCaptures", "", &BRCaptures},
    {"BattleIdentifiers", "BRAttackerLostTotalRes", "", &BRAttackerLostTotalRes},
    {"BattleIdentifiers", "BRDefenderLostTotalRes", "", &BRDefenderLostTotalRes},
    {"BattleIdentifiers", "BRCapturesMetal", "", &BRCapturesMetal},
    {"BattleIdentifiers", "BRCapturesCrystal", "", &BRCapturesCrystal},
    {"BattleIdentifiers", "BRCapturesDeuterium", "", &BRCapturesDeuterium},
    {"BattleIdentifiers", "BRNowFloat", "", &BRNowFloat},
    {"BattleIdentifiers", "BRFloatMetal", "", &BRFloatMetal},
    {"BattleIdentifiers", "BRFloatCrystal", "", &BRFloatCrystal},
    {"BattleIdentifiers", "BRUnits", "", &BRUnits},
    {"BattleIdentifiers", "BRWin", "", &BRWin},
    {"BattleIdentifiers", "BRLose", "", &BRLose},
    {"BattleIdentifiers", "BRDraw", "", &BRDraw},
    {"BattleIdentifiers", "BRAttacker", "", &BRAttacker},
    {"SolarSystemIdentifiers", "SSSolarSystem", "", &SSSolarSystem},
    {"SolarSystemIdentifiers", "SSNoob", "", &SSNoob},
    {"SolarSystemIdentifiers", "SSStrong", "", &SSStrong},
    {"SolarSystemIdentifiers", "SSInactive", "", &SSInactive},
    {"SolarSystemIdentifiers", "SSLongInactive", "", &SSLongInactive},
    {"SolarSystemIdentifiers", "SSVacation", "", &SSVacation},
    {"SolarSystemIdentifiers", "SSBanned", "", &SSBanned},
    {"SolarSystemIdentifiers", "SSNoobIndicator", "n", &SSNoobIndicator},
    {"SolarSystemIdentifiers", "SSStrongIndicator", "s", &SSStrongIndicator},
    {"SolarSystemIdentifiers", "SSInactiveIndicator", "i", &SSInactiveIndicator},
    {"SolarSystemIdentifiers", "SSLongInactiveIndicator", "I", &SSLongInactiveIndicator},
    {"SolarSystemIdentifiers", "SSVacationIndicator", "v", &SSVacationIndicator},
    {"SolarSystemIdentifiers", "SSBannedIndicator", "b", &SSBannedIndicator},
    {"SolarSystemIdentifiers", "SSPlanet", "", &SSPlanet},
    {"SolarSystemIdentifiers", "SSDebris", "", &SSDebris},
    {"SolarSystemIdentifiers", "SSPlayerNameOnRank", "", &SSPlayerNameOnRank},
    {"SolarSystemIdentifiers", "SSAllianceNameOnRankWithMembers", "", &SSAllianceNameOnRankWithMembers},
}};

}  // namespace

std::span<const TVocabularyEntry> GameVocabulary() { return Entries; }

void ReadGameVocabulary(TIniFile& Ini) {
    for (const TVocabularyEntry& e : Entries) *e.Value = Ini.ReadString(e.Section, e.Key, e.Default);
}
