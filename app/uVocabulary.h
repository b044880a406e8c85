#pragma once
// The game's words: every word the importers, the clipboard classifier and
// the generated reports look for or write. Only the language load writes them;
// they stay empty until a language file has been read.
#include <span>

#include "platform/rtl/SysUtils.h"

class TIniFile;

// Spy reports.
extern AnsiString ESMetal;
extern AnsiString ESCrystal;
extern AnsiString ESDeuterium;
extern AnsiString ESEnergy;
extern AnsiString ESSmallCargoShip;
extern AnsiString ESLargeCargoShip;
extern AnsiString ESLightFighter;
extern AnsiString ESHeavyFighter;
extern AnsiString ESCruiser;
extern AnsiString ESBattleShip;
extern AnsiString ESColonyShip;
extern AnsiString ESRecycler;
extern AnsiString ESEspionageProbe;
extern AnsiString ESBomber;
extern AnsiString ESSolarSatellite;
extern AnsiString ESDestroyer;
extern AnsiString ESDeathStar;
extern AnsiString ESMissileLauncher;
extern AnsiString ESSmallLaser;
extern AnsiString ESHeavyLaser;
extern AnsiString ESGaussCannon;
extern AnsiString ESIonCannon;
extern AnsiString ESPlasmaCannon;
extern AnsiString ESSmallShieldDome;
extern AnsiString ESLargeShieldDome;
extern AnsiString ESAntiballisticMissile;
extern AnsiString ESInterplanetaryMissiles;
extern AnsiString ESLunarBase;
extern AnsiString ESSensorPhalanx;
extern AnsiString ESJumpGate;
extern AnsiString ESMetalMine;
extern AnsiString ESCrystalMine;
extern AnsiString ESDeuteriumSynthesizer;
extern AnsiString ESSolarPlant;
extern AnsiString ESFusionPlant;
extern AnsiString ESRoboticFactory;
extern AnsiString ESNaniteFactory;
extern AnsiString ESShipYard;
extern AnsiString ESMetalStorage;
extern AnsiString ESCrystalStorage;
extern AnsiString ESDeuteriumTank;
extern AnsiString ESResearchLab;
extern AnsiString ESRocketSilo;
extern AnsiString ESTerraformer;
extern AnsiString ESEspionageTechnology;
extern AnsiString ESComputerTechnology;
extern AnsiString ESWeaponTechnology;
extern AnsiString ESShieldingTechnology;
extern AnsiString ESArmourTechnology;
extern AnsiString ESEnergyTechnology;
extern AnsiString ESHyperspaceTechnology;
extern AnsiString ESCombustionEngine;
extern AnsiString ESImpulseEngine;
extern AnsiString ESHyperspaceEngine;
extern AnsiString ESLaserTechnology;
extern AnsiString ESIonTechnology;
extern AnsiString ESPlasmaTechnology;
extern AnsiString ESGravitonTechnology;
extern AnsiString ESIntergalacticResearchNetwork;
extern AnsiString ESCounterEspionage;
extern AnsiString ESReport;
extern AnsiString ESHeaderResources;
extern AnsiString ESHeaderFleets;
extern AnsiString ESHeaderDefence;
extern AnsiString ESHeaderBuildings;
extern AnsiString ESHeaderResearch;
extern AnsiString ESAt;
extern AnsiString ESPlanetMoon;
extern AnsiString ESDefaultPlanetName;
// Combat reports.
extern AnsiString BREachOtherOn;
extern AnsiString BREachOtherAt;
extern AnsiString BRDefenderParenthesisOpen;
extern AnsiString BRDefender;
extern AnsiString BRWeapon;
extern AnsiString BRShields;
extern AnsiString BRArmour;
extern AnsiString BRPercentage;
extern AnsiString BRAttackerHasWonBattle;
extern AnsiString BRDefenderHasWonBattle;
extern AnsiString BRCaptures;
extern AnsiString BRAttackerLostTotalRes;
extern AnsiString BRDefenderLostTotalRes;
extern AnsiString BRCapturesMetal;
extern AnsiString BRCapturesCrystal;
extern AnsiString BRCapturesDeuterium;
extern AnsiString BRNowFloat;
extern AnsiString BRFloatMetal;
extern AnsiString BRFloatCrystal;
extern AnsiString BRUnits;
extern AnsiString BRWin;
extern AnsiString BRLose;
extern AnsiString BRDraw;
extern AnsiString BRAttacker;
// Solar-system views.
extern AnsiString SSSolarSystem;
extern AnsiString SSNoob;
extern AnsiString SSStrong;
extern AnsiString SSInactive;
extern AnsiString SSLongInactive;
extern AnsiString SSVacation;
extern AnsiString SSBanned;
extern AnsiString SSNoobIndicator;
extern AnsiString SSStrongIndicator;
extern AnsiString SSInactiveIndicator;
extern AnsiString SSLongInactiveIndicator;
extern AnsiString SSVacationIndicator;
extern AnsiString SSBannedIndicator;
extern AnsiString SSPlanet;
extern AnsiString SSDebris;
extern AnsiString SSPlayerNameOnRank;
extern AnsiString SSAllianceNameOnRankWithMembers;

// One word of the language file: its section, key, built-in default (empty
// where there is none) and the variable it fills.
struct TVocabularyEntry {
    const char* Section;
    const char* Key;
    const char* Default;
    AnsiString* Value;
};

// The 110 words in the order the language load reads them.
std::span<const TVocabularyEntry> GameVocabulary();
// Fills every word from a language file, in that order (through the file's own
// reader, so the settings reader writes back and lists what is missing).
void ReadGameVocabulary(TIniFile& Ini);
