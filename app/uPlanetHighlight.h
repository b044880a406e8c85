#pragma once
// How a cell of the planet view looks: the brush and font a row's values give
// it against the highlight limits, its rating and player status, and the age
// of its spy report. Pure rules over plain values, so the window only reads
// the row and paints; colours are $BBGGRR.
#include <array>
#include <cstdint>
#include <optional>

#include "platform/classes/UITypes.h"
#include "platform/rtl/CodePage.h"

// The limits, in the order of the columns they are compared with.
enum class TLimit {
    TotalResources, Metal, Crystal, Deuterium, Energy,
    LightFighter, HeavyFighter, Cruiser, BattleShip, Bomber, Destroyer, DeathStar,
    MissileLauncher, SmallLaser, HeavyLaser, GaussCannon, IonCannon, PlasmaCannon,
    AssaultPower, DefencePower,
    Count
};
using THighlightLimits = std::array<int64_t, static_cast<size_t>(TLimit::Count)>;

// The limit a column is compared with; none for other columns (and for death
// stars, which only feed the assault-power limit).
std::optional<TLimit> LimitOfColumn(const AnsiString& FieldName);

// Assault and defence limits derived from the unit limits.
void DeriveHighlightLimits(THighlightLimits& Limits);

// Report-age bands in whole days.
struct TReportAgeBands {
    int Fresh = 0, New = 1, Aging = 3, Old = 5, VeryOld = 10;
};
// The brush of a report that many whole days old; none: never scanned.
TColor ReportAgeColor(std::optional<int> Days, const TReportAgeBands& Bands);

// Player status flags of a row, in the order they colour the font.
enum TPlayerStatus { psBanned, psVacation, psInactive, psLongInactive, psStrong, psNoob, psCount };

struct TPlanetCell {
    bool Selected = false;
    int Rating = 0;
    std::array<bool, psCount> Status{};
    // The cell's column and its value (Null counts as 0).
    std::optional<TLimit> Limit;
    int64_t Value = 0;
    // For the LastScanned column: the report's age; nullopt when not scanned.
    bool IsLastScanned = false;
    std::optional<int> AgeDays;
};

struct TCellLook {
    TColor Brush;
    TColor FontColor;
    bool Bold = false;
    // Whether the title's sort arrow may be drawn over this cell's column.
    bool MayDrawArrow = true;
};

// Applies the rules to a look that starts as the grid's own.
TCellLook PlanetCellLook(const TPlanetCell& Cell, const THighlightLimits& Limits, const TReportAgeBands& Bands,
                         TCellLook Look);
