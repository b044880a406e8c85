-- The empty game database, at schema version 1.1.1.0.
-- Declared types give the data sets their field types: INTEGER a 32-bit
-- integer, TINYINT a byte, TEXT(n) a text of at most n characters, TEXT a
-- memo, DATETIME a date and time (stored as 'YYYY-MM-DD HH:MM:SS').
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
  Metal INTEGER,
  Crystal INTEGER,
  Deuterium INTEGER,
  Energy INTEGER,
  SmallCargoShip INTEGER,
  LargeCargoShip INTEGER,
  LightFighter INTEGER,
  HeavyFighter INTEGER,
  Cruiser INTEGER,
  BattleShip INTEGER,
  ColonyShip INTEGER,
  Recycler INTEGER,
  EspionageProbe INTEGER,
  Bomber INTEGER,
  SolarSatellite INTEGER,
  Destroyer INTEGER,
  DeathStar INTEGER,
  MissileLauncher INTEGER,
  SmallLaser INTEGER,
  HeavyLaser INTEGER,
  GaussCannon INTEGER,
  IonCannon INTEGER,
  PlasmaCannon INTEGER,
  SmallShieldDome INTEGER,
  LargeShieldDome INTEGER,
  "Anti-ballisticMissile" INTEGER,
  InterplanetaryMissile INTEGER,
  MetalMine INTEGER,
  CrystalMine INTEGER,
  DeuteriumSynthesizer INTEGER,
  SolarPlant INTEGER,
  FusionPlant INTEGER,
  RoboticFactory INTEGER,
  NaniteFactory INTEGER,
  ShipYard INTEGER,
  MetalStorage INTEGER,
  CrystalStorage INTEGER,
  DeuteriumTank INTEGER,
  ResearchLab INTEGER,
  Terraformer INTEGER,
  RocketSilo INTEGER,
  LunarBase INTEGER,
  SensorPhalanx INTEGER,
  JumpGate INTEGER,
  CounterEspionage INTEGER,
  NumberOfAttacks INTEGER,
  LastAttacked DATETIME,
  Rating INTEGER,
  AssaultPower INTEGER,
  DefencePower INTEGER,
  TotalResources INTEGER,
  SolarSystemScan DATETIME,
  MetalDebris INTEGER,
  CrystalDebris INTEGER
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
  AttackerLostRes INTEGER,
  DefenderLostRes INTEGER,
  MetalRaided INTEGER,
  CrystalRaided INTEGER,
  DeuteriumRaided INTEGER,
  Report TEXT,
  MetalDebris INTEGER,
  CrystalDebris INTEGER,
  BattleResult TEXT(50)
);
CREATE INDEX tblCombat_DefenderPlanetID ON tblCombat (DefenderPlanetID);
CREATE INDEX tblCombat_DateTime ON tblCombat (DateTime);

CREATE TABLE tblRegistry (
  RegKey TEXT(50) PRIMARY KEY,
  RegValue TEXT(255)
);
INSERT INTO tblRegistry (RegKey, RegValue) VALUES ('ZentaraVersion', '1.1.1.0');
