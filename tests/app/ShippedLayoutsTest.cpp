// The column layouts shipped beside the program (resources/layouts): what a
// player reads first on the left, the identities and the report texts hidden,
// every other column kept. They are written by the grids' own layout writer
// from the designed columns, so a change of the designed columns or of the
// layout format shows here as a difference. To write them again:
//   TESK_WRITE_SHIPPED_LAYOUTS=1 build/tests/test_app --gtest_filter='ShippedLayouts*'
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "app/uProgram.h"
#include "tests/app/AppTestSupport.h"

using namespace apptest;

namespace {

struct TShownColumn {
    const char* Field;
    int Width;
};

struct TLayoutDesign {
    const char* File;
    TDBGridGx* TfrmMain::*Grid;
    std::vector<TShownColumn> Shown;        // first, in this order
    std::set<std::string> Hidden;           // kept, not shown
};

const std::vector<TLayoutDesign>& Designs() {
    static const std::vector<TLayoutDesign> designs = {
        {"Planet.grd",
         &TfrmMain::grdPlanet,
         {{"GalaxyID", 24},     {"SolarsystemID", 32},  {"PlanetID", 24},      {"IsMoon", 20},
          {"PlanetName", 110},  {"tblplayer.Name", 100}, {"tblalliance.Name", 70}, {"Status", 44},
          {"RatingExpanded", 66}, {"LastScanned", 76},  {"TotalResources", 68}, {"Metal", 66},
          {"Crystal", 66},      {"Deuterium", 66},      {"Energy", 48},        {"AssaultPower", 66},
          {"DefencePower", 66}, {"LightFighter", 44},   {"HeavyFighter", 44},  {"Cruiser", 44},
          {"BattleShip", 44},   {"Bomber", 44},         {"Destroyer", 44},     {"DeathStar", 44},
          {"MissileLauncher", 44}, {"SmallLaser", 44},  {"HeavyLaser", 44},    {"GaussCannon", 44},
          {"IonCannon", 44},    {"PlasmaCannon", 44},   {"SmallShieldDome", 44}, {"LargeShieldDome", 44},
          {"LastAttacked", 76}, {"NumberOfAttacks", 36}},
         {"tblplanet.ID", "PlayerID", "Report", "Rating", "tblalliance.ID", "Noob", "Strong", "Banned",
          "Inactive", "LongInactive", "Vacation"}},
        {"Combat.grd",
         &TfrmMain::grdCombat,
         {{"DateTime", 110},       {"Galaxy", 24},          {"SolarSystem", 32},     {"Planet", 24},
          {"Moon", 20},            {"tblPlayer.Name", 100}, {"tblAlliance.Name", 70}, {"BattleResult", 56},
          {"MetalRaided", 84},     {"CrystalRaided", 92},   {"DeuteriumRaided", 110}, {"AttackerLostRes", 118},
          {"DefenderLostRes", 118}, {"tblCombat.MetalDebris", 84}, {"tblCombat.CrystalDebris", 92}},
         // The defender planet's coordinates again, from the planet table.
         {"tblCombat.ID", "DefenderPlanetID", "AttackerPlanetID", "tblCombat.Report", "GalaxyID", "SolarsystemID",
          "PlanetID", "PlanetName"}},
        {"Alliance.grd",
         &TfrmMain::grdAlliance,
         {{"Name", 160}, {"Members", 60}, {"Ranking", 60}, {"AverageScore", 90}},
         {"ID"}},
        {"Player.grd",
         &TfrmMain::grdPlayer,
         {{"Name", 110}, {"Alliance", 90}, {"Rank", 50}, {"Status", 44}},
         {"ID", "AllianceID", "Noob", "Strong", "Banned", "Inactive", "LongInactive", "Vacation"}},
    };
    return designs;
}

TColumnGx* ColumnOf(TDBGridColumnsGx* Columns, const std::string& Field) {
    for (int i = 0; i < Columns->Count(); ++i)
        if (SameText(Columns->Items(i)->FieldName(), Field)) return Columns->Items(i);
    return nullptr;
}

std::set<std::string> FieldNames(TDBGridColumnsGx* Columns) {
    std::set<std::string> names;
    for (int i = 0; i < Columns->Count(); ++i) names.insert(Columns->Items(i)->FieldName());
    return names;
}

// The designed columns of the grid (those of the definition, else those made
// from its view's fields), arranged.
std::string DesignedLayout(TfrmMain* w, const TLayoutDesign& Design, const std::string& Folder) {
    TDBGridColumnsGx* columns = (w->*Design.Grid)->Columns();
    for (size_t i = 0; i < Design.Shown.size(); ++i) {
        TColumnGx* column = ColumnOf(columns, Design.Shown[i].Field);
        EXPECT_NE(column, nullptr) << Design.File << ": " << Design.Shown[i].Field;
        if (!column) continue;
        column->SetIndex(static_cast<int>(i));
        column->SetWidth(Design.Shown[i].Width);
    }
    for (const std::string& field : Design.Hidden)
        if (TColumnGx* column = ColumnOf(columns, field)) column->SetVisible(false);
    const std::string file = Folder + Design.File;
    columns->SaveToFile(file);
    return ReadFile(file);
}

TEST(ShippedLayoutsTest, AreTheDesignedColumnsArrangedByTheLayoutWriter) {
    PrepareProgram();
    MainWindowFixture f;
    TfrmMain* w = f.Open();
    ASSERT_TRUE(dmMain->OpenDatabase(f.folder.File("Tesk.mdb"), "Data Source=%s"));
    for (TDataSource* source : {dmMain->dsPlanet, dmMain->dsCombat, dmMain->dsAlliance, dmMain->dsPlayer})
        source->DataSet()->Open();

    const char* rewrite = std::getenv("TESK_WRITE_SHIPPED_LAYOUTS");
    const std::string shipped = std::string(TESK_SOURCE_DIR) + "/resources/layouts/";
    for (const TLayoutDesign& design : Designs()) {
        SCOPED_TRACE(design.File);
        TDBGridGx* grid = w->*design.Grid;
        const std::set<std::string> designed = FieldNames(grid->Columns());
        const std::string layout = DesignedLayout(w, design, f.folder.File(""));
        if (rewrite && *rewrite) WriteFile(shipped + design.File, layout);
        EXPECT_TRUE(ReadFile(shipped + design.File) == layout)
            << "the designed columns or the layout format changed: write the layouts again (see the top of this file)";

        // Loaded as at start-up: the designed columns, each naming a field of
        // its view, the identities and texts hidden, the rest shown.
        grid->Columns()->LoadFromFile((shipped + design.File).c_str());
        EXPECT_EQ(FieldNames(grid->Columns()), designed);
        TDataSet* view = grid->DataSource()->DataSet();
        for (int i = 0; i < grid->Columns()->Count(); ++i) {
            TColumnGx* column = grid->Columns()->Items(i);
            TField* field = view->FindField(column->FieldName());
            EXPECT_NE(field, nullptr) << column->FieldName();
            const bool memo = field && field->DataType() == ftMemo;
            EXPECT_EQ(column->Visible(), !design.Hidden.count(column->FieldName()) && !memo) << column->FieldName();
            if (i < static_cast<int>(design.Shown.size())) EXPECT_EQ(column->FieldName(), design.Shown[i].Field);
        }
    }
}

}  // namespace
