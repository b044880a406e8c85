// The data sets of the data module, as its definition builds them, over a
// database made from the shipped schema.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/data/DataTestSupport.h"

using namespace datatest;

namespace {

using Names = std::vector<std::string>;

Names Join(std::initializer_list<Names> parts) {
    Names all;
    for (const Names& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

const Names kPlanetColumns = {
    "GalaxyID", "SolarsystemID", "PlanetID", "IsMoon", "PlanetName", "LastScanned", "PlayerID", "Report", "Metal",
    "Crystal", "Deuterium", "Energy", "SmallCargoShip", "LargeCargoShip", "LightFighter", "HeavyFighter", "Cruiser",
    "BattleShip", "ColonyShip", "Recycler", "EspionageProbe", "Bomber", "SolarSatellite", "Destroyer", "DeathStar",
    "MissileLauncher", "SmallLaser", "HeavyLaser", "GaussCannon", "IonCannon", "PlasmaCannon", "SmallShieldDome",
    "LargeShieldDome", "Anti-ballisticMissile", "InterplanetaryMissile", "MetalMine", "CrystalMine",
    "DeuteriumSynthesizer", "SolarPlant", "FusionPlant", "RoboticFactory", "NaniteFactory", "ShipYard", "MetalStorage",
    "CrystalStorage", "DeuteriumTank", "ResearchLab", "Terraformer", "RocketSilo", "LunarBase", "SensorPhalanx",
    "JumpGate", "CounterEspionage", "NumberOfAttacks", "LastAttacked", "Rating", "AssaultPower", "DefencePower",
    "TotalResources", "SolarSystemScan", "MetalDebris", "CrystalDebris"};  // and ID
const Names kResearch = {"EspionageTechnology", "ComputerTechnology", "WeaponTechnology", "ShieldingTechnology",
                         "ArmourTechnology", "EnergyTechnology", "HyperspaceTechnology", "CombustionEngine",
                         "ImpulseEngine", "HyperspaceEngine", "LaserTechnology", "IonTechnology", "PlasmaTechnology",
                         "GravitonTechnology", "IntergalacticResearchNetwork"};
const Names kFlagsAndRank = {"Noob", "Strong", "Banned", "Inactive", "LongInactive", "Vacation", "Rank"};
const Names kAllianceColumns = {"ID", "Name", "AverageScore", "Ranking", "Members"};
const Names kCombatColumns = {"DefenderPlanetID", "AttackerPlanetID", "DateTime", "AttackerLostRes", "DefenderLostRes",
                              "MetalRaided", "CrystalRaided", "DeuteriumRaided", "BattleResult"};  // and 4 shared

Names FieldNames(TDataSet* ds) {
    Names names;
    for (int i = 0; i < ds->FieldCount(); ++i) names.push_back(ds->Fields()->Fields(i)->FieldName());
    std::sort(names.begin(), names.end());
    return names;
}

Names Sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
}

class DataSetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        file = folder.File("Tesk.mdb");
        ExecSql(file, SchemaSql() +
                          "INSERT INTO tblAlliance (ID, Name, AverageScore, Ranking, Members) VALUES "
                          "(1, '<none>', NULL, NULL, NULL), (2, 'Evil', 10, 4, 3);"
                          "INSERT INTO tblPlayer (ID, Name, AllianceID, Inactive, Vacation) VALUES "
                          "(1, 'Vega', 2, 1, 1), (2, 'Altair', 1, 0, 0), (3, 'Lost', 99, 0, 0);"
                          "INSERT INTO tblPlanet (ID, GalaxyID, SolarsystemID, PlanetID, IsMoon, PlanetName, PlayerID, "
                          "LastScanned, Rating) VALUES "
                          "(1, 1, 2, 3, 0, 'Home', 1, '2024-03-08 14:05:59', 2), (2, 1, 2, 3, 1, 'Moon', 1, NULL, 0), "
                          "(3, 2, 5, 7, 0, 'Far', 2, NULL, 0), (4, 3, 3, 3, 0, 'Orphan', 3, NULL, 0), "
                          "(5, 4, 4, 4, 0, 'NoOwner', 42, NULL, 0);"
                          "INSERT INTO tblCombat (ID, DefenderPlanetID, AttackerPlanetID, DateTime, MetalRaided, "
                          "MetalDebris, Report, BattleResult) VALUES "
                          "(7, 2, 3, '2024-12-31 23:59:00', 1234567, 1000, 'combat text', 'won');");
        dm = MakeDataModule();
        ASSERT_TRUE(dm->OpenDatabase(file, kDefaultFormat));
    }

    TempFolder folder;
    std::string file;
    ScriptedDialogs dialogs;
    DataModulePtr dm;
};

}  // namespace

TEST_F(DataSetsTest, EachDataSetExposesExactlyItsFieldsWithTheColumnsTypesAndSizes) {
    struct {
        TDataSet* ds;
        Names fields;
    } const cases[] = {
        {dm->viewPlanet,
         Join({{"tblplanet.ID"}, kPlanetColumns, {"tblplayer.Name"}, kResearch, kFlagsAndRank,
               {"tblalliance.ID", "tblalliance.Name", "AverageScore", "Ranking", "Members", "RatingExpanded", "Status"}})},
        {dm->viewCombat,
         Join({kCombatColumns,
               {"tblCombat.ID", "tblCombat.Report", "tblCombat.MetalDebris", "tblCombat.CrystalDebris", "tblPlayer.Name",
                "tblAlliance.Name", "GalaxyID", "SolarsystemID", "PlanetID", "PlanetName", "Galaxy", "SolarSystem",
                "Planet", "Moon"}})},
        {dm->viewAlliance, kAllianceColumns},
        {dm->qryPlanet, Join({{"ID"}, kPlanetColumns})},
        {dm->qryPlayer, Join({{"ID", "Name", "AllianceID"}, kResearch, kFlagsAndRank})},
        {dm->qryAlliance, kAllianceColumns},
        {dm->qryCombat, Join({{"ID", "Report", "MetalDebris", "CrystalDebris"}, kCombatColumns})},
        {dm->tblAlliance, kAllianceColumns},
        {dm->tblPlayer,
         Join({{"ID", "Name", "AllianceID", "TimesAttacked", "Alliance", "Status"}, kResearch, kFlagsAndRank})},
        // The rows of another file: the planet view's columns, without its computed ones.
        {dm->qryImport,
         Join({{"tblplanet.ID"}, kPlanetColumns, {"tblplayer.Name"}, kResearch, kFlagsAndRank,
               {"tblalliance.ID", "tblalliance.Name", "AverageScore", "Ranking", "Members"}})},
    };
    dm->ImportConnection->SetConnectionString("Data Source=" + file);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ds->Name());
        EXPECT_FALSE(c.ds->DefaultFields());
        EXPECT_EQ(FieldNames(c.ds), Sorted(c.fields));
        c.ds->Open();
        // Every data field has the type and size of its column in the file.
        for (int i = 0; i < c.ds->FieldCount(); ++i) {
            TField* f = c.ds->Fields()->Fields(i);
            if (f->FieldKind() != fkData) continue;
            const TFieldDef& def = c.ds->FieldDefs()->Items(c.ds->FieldDefs()->IndexOf(f->FieldName()));
            EXPECT_EQ(f->DataType(), def.DataType) << f->FieldName();
            if (f->DataType() == ftWideString) {
                EXPECT_EQ(f->Size(), def.Size) << f->FieldName();
            }
        }
    }

    struct {
        TDataSet* ds;
        const char* field;
        TFieldKind kind;
        TFieldType type;
        int size;
    } const computed[] = {
        {dm->viewPlanet, "RatingExpanded", fkCalculated, ftString, 30},
        {dm->viewPlanet, "Status", fkCalculated, ftString, 20},
        {dm->tblPlayer, "Status", fkCalculated, ftString, 20},
        {dm->tblPlayer, "Alliance", fkLookup, ftWideString, 50},
        {dm->viewCombat, "Moon", fkData, ftWord, 0},
        {dm->viewGroup, "GroupName", fkData, ftString, 100},
        {dm->viewGroup, "GroupUser", fkData, ftString, 40},
        {dm->viewGroup, "GroupPath", fkData, ftString, 255},
    };
    for (const auto& c : computed) {
        TField* f = c.ds->FieldByName(c.field);
        EXPECT_EQ(f->FieldKind(), c.kind) << c.field;
        EXPECT_EQ(f->DataType(), c.type) << c.field;
        EXPECT_EQ(f->Size(), c.size) << c.field;
    }
    EXPECT_TRUE(dm->viewPlanet->FieldByName("tblplanet.ID")->ReadOnly());
    EXPECT_EQ(dm->viewGroup->FieldCount(), 3);
}

TEST_F(DataSetsTest, JoinsHideOrphansAndFindersTellPlanetFromMoon) {
    dm->viewPlanet->Open();
    Names planets;
    for (dm->viewPlanet->First(); !dm->viewPlanet->Eof(); dm->viewPlanet->Next())
        planets.push_back(dm->viewPlanet->FieldByName("PlanetName")->AsString() + "/" +
                          dm->viewPlanet->FieldByName("tblplayer.Name")->AsString() + "/" +
                          dm->viewPlanet->FieldByName("tblalliance.Name")->AsString());
    EXPECT_EQ(Sorted(planets), (Names{"Far/Altair/<none>", "Home/Vega/Evil", "Moon/Vega/Evil"}));

    for (int moon : {0, 1}) {
        TADOQuery* q = dm->qryPlanet;
        q->Close();
        q->Parameters()->ParamByName("Gal")->SetValue(AnsiString("1"));
        q->Parameters()->ParamByName("Sol")->SetValue(AnsiString("2"));
        q->Parameters()->ParamByName("Plan")->SetValue(AnsiString("3"));
        q->Parameters()->ParamByName("Moon")->SetValue(moon);
        q->Open();
        ASSERT_EQ(q->RecordCount(), 1);
        EXPECT_EQ(q->FieldByName("PlanetName")->AsString(), moon ? "Moon" : "Home");
        EXPECT_TRUE(q->CanModify());
    }
    for (TDataSet* view : {(TDataSet*)dm->viewPlanet, (TDataSet*)dm->viewCombat, (TDataSet*)dm->viewAlliance}) {
        view->Open();
        EXPECT_FALSE(view->CanModify()) << view->Name();
    }

    // The import query reads a second file through the second connection, in coordinate order.
    dm->ImportConnection->SetConnectionString("Data Source=" + file);
    dm->qryImport->Open();
    Names order;
    for (; !dm->qryImport->Eof(); dm->qryImport->Next()) order.push_back(dm->qryImport->FieldByName("PlanetName")->AsString());
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order.back(), "Far");
    dm->ImportConnection->Close();
    EXPECT_FALSE(dm->qryImport->Active());
}

// The combat page shows its coordinates with the planet view closed: they come
// from the combat view's own join, not from the other page's data set.
TEST_F(DataSetsTest, CombatCoordinatesComeFromTheCombatViewsOwnJoinAndPlayerLookupsFromTheAllianceTable) {
    dm->viewCombat->Open();
    ASSERT_EQ(dm->viewCombat->RecordCount(), 1);
    ASSERT_FALSE(dm->viewPlanet->Active());
    const char* lookups[] = {"Galaxy", "SolarSystem", "Planet", "Moon"};
    AnsiString values;
    for (const char* name : lookups) values += dm->viewCombat->FieldByName(name)->AsString() + ";";
    EXPECT_EQ(values, "1;2;3;1;");
    EXPECT_EQ(dm->viewCombat->FieldByName("PlanetName")->AsString(), "Moon");
    EXPECT_EQ(dm->viewCombat->FieldByName("tblCombat.Report")->AsString(), "combat text");

    dm->tblPlayer->Open();
    Names players;
    for (; !dm->tblPlayer->Eof(); dm->tblPlayer->Next())
        players.push_back(dm->tblPlayer->FieldByName("Name")->AsString() + "=" +
                          dm->tblPlayer->FieldByName("Alliance")->AsString());
    EXPECT_EQ(players, (Names{"Altair=", "Lost=", "Vega="}));  // name order; tblAlliance is closed
    dm->tblAlliance->Open();
    dm->tblPlayer->First();
    EXPECT_EQ(dm->tblPlayer->FieldByName("Alliance")->AsString(), "<none>");
    dm->tblPlayer->Last();
    EXPECT_EQ(dm->tblPlayer->FieldByName("Alliance")->AsString(), "Evil");
}

TEST_F(DataSetsTest, CaptionsAndDisplayFormats) {
    struct {
        TDataSet* ds;
        const char* field;
        const char* label;
    } const labels[] = {
        {dm->viewPlanet, "GalaxyID", "Gal"},
        {dm->viewPlanet, "tblplanet.ID", "ID"},
        {dm->viewPlanet, "Anti-ballisticMissile", "ABM"},
        {dm->viewPlanet, "NumberOfAttacks", "Number Of Attacks"},
        {dm->viewPlanet, "tblalliance.Name", "Alliance"},
        {dm->viewPlanet, "LongInactive", "I"},
        {dm->viewPlanet, "Rank", "PR"},
        {dm->viewPlanet, "EspionageTechnology", "EspionageTechnology"},
        {dm->viewPlanet, "IntergalacticResearchNetwork", "IRN"},
        {dm->viewPlanet, "Metal", "Metal"},
        {dm->tblPlayer, "HyperspaceEngine", "HyperspaceEng"},
        {dm->tblPlayer, "HyperspaceTechnology", "Hyperspace"},
        {dm->tblPlayer, "Inactive", "i"},
        {dm->tblPlayer, "Name", "Name"},
        {dm->viewCombat, "tblPlayer.Name", "Player"},
        {dm->viewCombat, "tblCombat.CrystalDebris", "CrystalDebris"},
        {dm->viewGroup, "GroupPath", "Path"},
    };
    for (const auto& l : labels) EXPECT_EQ(l.ds->FieldByName(l.field)->DisplayLabel(), l.label) << l.field;

    dm->viewPlanet->Open();
    ASSERT_TRUE(dm->viewPlanet->Locate("PlanetName", AnsiString("Home"), {}));
    EXPECT_EQ(dm->viewPlanet->FieldByName("LastScanned")->DisplayText(), "03/08 14:05");
    dm->viewCombat->Open();
    EXPECT_EQ(dm->viewCombat->FieldByName("DateTime")->DisplayText(), "12/31 23:59");
    EXPECT_EQ(dm->viewCombat->FieldByName("MetalRaided")->DisplayText(), "1 234 567");
    EXPECT_EQ(dm->viewCombat->FieldByName("tblCombat.MetalDebris")->DisplayText(), "1 000");
}

TEST_F(DataSetsTest, DataSourcesAndTablePagesInBatchMode) {
    const std::pair<TDataSource*, TDataSet*> sources[] = {
        {dm->dsPlanet, dm->viewPlanet}, {dm->dsCombat, dm->viewCombat}, {dm->dsAlliance, dm->tblAlliance},
        {dm->dsPlayer, dm->tblPlayer},  {dm->dsGroup, dm->viewGroup}};
    for (const auto& [source, ds] : sources) EXPECT_EQ(source->DataSet(), ds) << source->Name();

    // The pages' tables hold their edits; only the data module's own statements
    // (the before-post handler) write the file.
    dm->tblAlliance->BeforePost = nullptr;
    dm->tblAlliance->Open();
    ASSERT_TRUE(dm->tblAlliance->Locate("Name", AnsiString("Evil"), {}));
    dm->tblAlliance->Edit();
    dm->tblAlliance->FieldByName("Name")->SetAsString("Good");
    dm->tblAlliance->Post();
    EXPECT_EQ(QuerySql(file, "SELECT Name FROM tblAlliance WHERE ID=2"), "Evil");
}
