// Title-click orders of the views and the planet view's cell colours, as
// plain rules.
#include <gtest/gtest.h>

#include "app/uPlanetHighlight.h"
#include "app/uViewOrder.h"

namespace {

TEST(ViewOrderTest, TitleClicksBuildAndToggleThePrimaryAndSecondaryOrders) {
    TViewOrder order{CoordinateOrderBy, "Coordinates", "ASC", "", "", ""};
    struct {
        const char* OrderBy;
        const char* Caption;
        bool Ctrl;
        const char* Sort;
        const char* Label;
    } const clicks[] = {
        {"Metal", "Metal", false, "Metal ASC", "Metal asc"},
        {"Metal", "Metal", false, "Metal DESC", "Metal desc"},
        {"PlanetName", "Planet", true, "Metal DESC,PlanetName ASC", "Metal desc && Planet asc"},
        {"PlanetName", "Planet", true, "Metal DESC,PlanetName DESC", "Metal desc && Planet desc"},
        {CoordinateOrderBy, "Coordinates", true,
         "Metal DESC,GalaxyID ASC, SolarSystemID ASC, PlanetID ASC", "Metal desc && Coordinates asc"},
        {"Crystal", "Crystal", false, "Crystal ASC", "Crystal asc"},
        {CoordinateOrderBy, "Coordinates", false, "GalaxyID ASC, SolarSystemID ASC, PlanetID ASC", "Coordinates asc"},
        {CoordinateOrderBy, "Coordinates", false, "GalaxyID DESC, SolarSystemID DESC, PlanetID DESC",
         "Coordinates desc"},
    };
    for (const auto& c : clicks) {
        order.TitleClick(c.OrderBy, c.Caption, c.Ctrl);
        EXPECT_EQ(order.SortText(), c.Sort) << c.OrderBy << (c.Ctrl ? " with Ctrl" : "");
        EXPECT_EQ(order.Label(), c.Label) << c.OrderBy;
    }
    // A direction that is neither word becomes ascending.
    EXPECT_EQ(ToggledDirection(""), "ASC");
    EXPECT_EQ(ToggledDirection("DESC"), "ASC");
}

TEST(ViewOrderTest, PlayerTitleClicksToggleOneColumn) {
    struct {
        const char* Sort;
        const char* Field;
        const char* After;
    } const cases[] = {
        {"Name", "Name", "Name ASC"},        // no direction yet
        {"Name ASC", "Name", "Name DESC"},   {"Name DESC", "Name", "Name ASC"},
        {"name asc", "Name", "Name DESC"},   // the search ignores case
        {"Name DESC", "Rank", "Rank ASC"},   {"", "Rank", "Rank ASC"},
    };
    for (const auto& c : cases) EXPECT_EQ(PlayerSortAfterClick(c.Sort, c.Field), c.After) << c.Sort << " / " << c.Field;
}

TEST(PlanetHighlightTest, DefaultLimitsGiveTheDerivedPowers) {
    THighlightLimits limits{};
    auto set = [&](TLimit l, int v) { limits[static_cast<size_t>(l)] = v; };
    set(TLimit::LightFighter, 150);
    set(TLimit::HeavyFighter, 90);
    set(TLimit::Cruiser, 70);
    set(TLimit::BattleShip, 50);
    set(TLimit::Destroyer, 5);
    set(TLimit::Bomber, 20);
    set(TLimit::DeathStar, 1);
    set(TLimit::MissileLauncher, 150);
    set(TLimit::SmallLaser, 100);
    set(TLimit::HeavyLaser, 20);
    set(TLimit::GaussCannon, 10);
    set(TLimit::IonCannon, 20);
    set(TLimit::PlasmaCannon, 1);
    DeriveHighlightLimits(limits);
    EXPECT_EQ(limits[static_cast<size_t>(TLimit::DefencePower)], 44002);
    EXPECT_EQ(limits[static_cast<size_t>(TLimit::AssaultPower)], 139000);
}

TEST(PlanetHighlightTest, RulesInTheirOrder) {
    THighlightLimits limits{};
    limits.fill(100);
    const TReportAgeBands bands;
    const TCellLook grid{0xFFFFFF, 0x000000, false};
    auto cell = [](const char* Field, int64_t Value) {
        TPlanetCell c;
        c.Limit = LimitOfColumn(Field);
        c.Value = Value;
        return c;
    };
    struct {
        const char* What;
        TPlanetCell Cell;
        TColor Brush, Font;
        bool Bold, Arrow;
    } cases[] = {
        {"equal to its limit", cell("Metal", 100), 0xFFFFFF, 0x000000, false, true},
        {"metal above", cell("Metal", 101), 0xC0DCC0, 0x000000, false, true},
        {"total above", cell("totalresources", 101), 0xC0DCC0, 0x000000, false, true},
        {"assault above", cell("AssaultPower", 101), 0xFFFFFF, 0x0000FF, true, true},
        {"energy above", cell("Energy", 101), 0x00FFFF, 0x000000, false, true},
        {"unit above", cell("PlasmaCannon", 101), 0xFFFFFF, 0x0000FF, false, true},
        {"death stars are no column's limit", cell("DeathStar", 101), 0xFFFFFF, 0x000000, false, true},
        {"Null counts as 0", cell("Metal", 0), 0xFFFFFF, 0x000000, false, true},
    };
    // Rating 1 and a banned, inactive player: the rating brush and the first status colour,
    // unless a limit fired on the cell.
    cases[0].Cell.Rating = 1, cases[0].Cell.Status[psBanned] = true, cases[0].Cell.Status[psInactive] = true;
    cases[0].Brush = 0xAACD66, cases[0].Font = 0xFF0000;
    cases[1].Cell.Rating = 4;
    cases[7].Cell.Rating = 3, cases[7].Cell.Status[psNoob] = true;
    cases[7].Brush = 0x7F7FFF, cases[7].Font = 0x008000;
    cases[6].Cell.Rating = 4, cases[6].Cell.Status[psLongInactive] = true;
    cases[6].Brush = 0xF0CAA6, cases[6].Font = 0xC4E4FF;
    for (const auto& c : cases) {
        TCellLook look = PlanetCellLook(c.Cell, limits, bands, grid);
        EXPECT_EQ(look.Brush, c.Brush) << c.What;
        EXPECT_EQ(look.FontColor, c.Font) << c.What;
        EXPECT_EQ(look.Bold, c.Bold) << c.What;
        EXPECT_EQ(look.MayDrawArrow, c.Arrow) << c.What;
    }

    // Selected, and Friendly: the grey font wins over everything but the report age.
    TPlanetCell friendly = cell("Metal", 500);
    friendly.Selected = true;
    friendly.Rating = 2;
    friendly.Status[psStrong] = true;
    TCellLook look = PlanetCellLook(friendly, limits, bands, grid);
    EXPECT_EQ(look.Brush, 0xFFFF00);
    EXPECT_EQ(look.FontColor, 0xCFD1CF);
    EXPECT_FALSE(look.MayDrawArrow);
    friendly.Limit.reset();
    friendly.IsLastScanned = true;
    friendly.AgeDays = 2;
    EXPECT_EQ(PlanetCellLook(friendly, limits, bands, grid).Brush, 0x9EF4A4);

    TPlanetCell selected;
    selected.Selected = true;
    look = PlanetCellLook(selected, limits, bands, grid);
    EXPECT_EQ(look.Brush, 0xFFFF00);
    EXPECT_EQ(look.FontColor, 0x000000);
}

TEST(PlanetHighlightTest, ReportAgeBands) {
    const TReportAgeBands bands;  // 0, 1, 3, 5, 10
    struct {
        std::optional<int> Days;
        TColor Brush;
    } const cases[] = {{0, 0x70B2FC}, {1, 0x6FED6F}, {2, 0x9EF4A4}, {3, 0x9EF4A4}, {4, 0xB3F7C0},
                       {5, 0xB3F7C0}, {6, 0xE1FDE5}, {10, 0xE1FDE5}, {11, 0xE0E0E0}, {std::nullopt, 0xE0E0E0}};
    for (const auto& c : cases) EXPECT_EQ(ReportAgeColor(c.Days, bands), c.Brush) << (c.Days ? *c.Days : -1);
    EXPECT_EQ(ReportAgeColor(3, TReportAgeBands{3, 4, 5, 6, 7}), 0x70B2FC);
}

}  // namespace
