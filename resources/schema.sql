-- The empty game database, at schema version 1.1.1.0.
-- Declared types give the data sets their field types: INTEGER a 32-bit
-- integer, BIGINT a 64-bit integer (every count: resources, units, buildings,
-- debris, raided and lost resources, and the figures built from them),
-- TINYINT a byte, TEXT(n) a text of at most n characters, TEXT a memo,
-- DATETIME a date and time (stored as 'YYYY-MM-DD HH:MM:SS'). A file whose
-- counts are still declared INTEGER is redeclared when it is opened.
-- AUTOINCREMENT keeps deleted IDs from coming back: rows that still name a
-- deleted player, alliance or planet must not attach to a new one.

CREATE TABLE tblPlanet (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  GalaxyID INTEGER,
  SolarsystemID INTEGER,
  PlanetID INTEGER,
  IsMoon TINYINT,
  PlanetName TEXT(50),
  LastScanned DATETIME,
  PlayerID INTEGER,
  Report TEXT,
  Metal BIGINT,
  Crystal BIGINT,
  Deuterium BIGINT,
  Energy BIGINT,
  SmallCargoShip BIGINT,
  LargeCargoShip BIGINT,
  LightFighter BIGINT,
  HeavyFighter BIGINT,
  Cruiser BIGINT,
  BattleShip BIGINT,
  ColonyShip BIGINT,
  Recycler BIGINT,
  EspionageProbe BIGINT,
  Bomber BIGINT,
  SolarSatellite BIGINT,
  Destroyer BIGINT,
  DeathStar BIGINT,
  MissileLauncher BIGINT,
  SmallLaser BIGINT,
  HeavyLaser BIGINT,
  GaussCannon BIGINT,
  IonCannon BIGINT,
  PlasmaCannon BIGINT,
  SmallShieldDome BIGINT,
  LargeShieldDome BIGINT,
  "Anti-ballisticMissile" BIGINT,
  InterplanetaryMissile BIGINT,
  MetalMine BIGINT,
  CrystalMine BIGINT,
  DeuteriumSynthesizer BIGINT,
  SolarPlant BIGINT,
  FusionPlant BIGINT,
  RoboticFactory BIGINT,
  NaniteFactory BIGINT,
  ShipYard BIGINT,
  MetalStorage BIGINT,
  CrystalStorage BIGINT,
  DeuteriumTank BIGINT,
  ResearchLab BIGINT,
  Terraformer BIGINT,
  RocketSilo BIGINT,
  LunarBase BIGINT,
  SensorPhalanx BIGINT,
  JumpGate BIGINT,
  CounterEspionage INTEGER,
  NumberOfAttacks INTEGER,
  LastAttacked DATETIME,
  Rating INTEGER,
  AssaultPower BIGINT,
  DefencePower BIGINT,
  TotalResources BIGINT,
  SolarSystemScan DATETIME,
  MetalDebris BIGINT,
  CrystalDebris BIGINT
);
CREATE INDEX tblPlanet_Key ON tblPlanet (GalaxyID, SolarsystemID, PlanetID, IsMoon);
CREATE INDEX tblPlanet_PlayerID ON tblPlanet (PlayerID);

CREATE TABLE tblPlayer (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Name TEXT(50) COLLATE NOCASE,
  AllianceID INTEGER,
  EspionageTechnology INTEGER,
  ComputerTechnology INTEGER,
  WeaponTechnology INTEGER,
  ShieldingTechnology INTEGER,
  ArmourTechnology INTEGER,
  EnergyTechnology INTEGER,
  HyperspaceTechnology INTEGER,
  CombustionEngine INTEGER,
  ImpulseEngine INTEGER,
  HyperspaceEngine INTEGER,
  LaserTechnology INTEGER,
  IonTechnology INTEGER,
  PlasmaTechnology INTEGER,
  GravitonTechnology INTEGER,
  IntergalacticResearchNetwork INTEGER,
  TimesAttacked INTEGER,
  Noob INTEGER,
  Strong INTEGER,
  Banned INTEGER,
  Inactive INTEGER,
  LongInactive INTEGER,
  Vacation INTEGER,
  Rank INTEGER
);
-- Index names are global in the file, so they carry the table's name; the
-- player and alliance pages order by the column Name.
CREATE UNIQUE INDEX tblPlayer_Name ON tblPlayer (Name);
CREATE INDEX tblPlayer_AllianceID ON tblPlayer (AllianceID);

CREATE TABLE tblAlliance (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Name TEXT(50) COLLATE NOCASE,
  AverageScore INTEGER,
  Ranking INTEGER,
  Members INTEGER
);
CREATE UNIQUE INDEX tblAlliance_Name ON tblAlliance (Name);

CREATE TABLE tblCombat (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  DefenderPlanetID INTEGER,
  AttackerPlanetID INTEGER,
  DateTime DATETIME,
  AttackerLostRes BIGINT,
  DefenderLostRes BIGINT,
  MetalRaided BIGINT,
  CrystalRaided BIGINT,
  DeuteriumRaided BIGINT,
  Report TEXT,
  MetalDebris BIGINT,
  CrystalDebris BIGINT,
  BattleResult TEXT(50)
);
CREATE INDEX tblCombat_DefenderPlanetID ON tblCombat (DefenderPlanetID);
CREATE INDEX tblCombat_DateTime ON tblCombat (DateTime);

CREATE TABLE tblRegistry (
  RegKey TEXT(50) PRIMARY KEY,
  RegValue TEXT(255)
);
INSERT INTO tblRegistry (RegKey, RegValue) VALUES ('ZentaraVersion', '1.1.1.0');
