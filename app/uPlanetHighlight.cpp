// The planet view's cell colours.
#include "app/uPlanetHighlight.h"

#include <cstring>

#include "app/uPower.h"

namespace {

constexpr TColor SelectedBrush = 0xFFFF00;
constexpr TColor FriendlyFont = 0xCFD1CF;
constexpr TColor ResourceBrush = 0xC0DCC0;
constexpr TColor EnergyBrush = 0x00FFFF;
constexpr TColor UnitFont = 0x0000FF;
constexpr int FriendlyRating = 2;

struct TColumnLimit {
    const char* FieldName;
    TLimit Limit;
};
constexpr TColumnLimit ColumnLimits[] = {
    {"TotalResources", TLimit::TotalResources}, {"Metal", TLimit::Metal},
    {"Crystal", TLimit::Crystal},               {"Deuterium", TLimit::Deuterium},
    {"Energy", TLimit::Energy},                 {"LightFighter", TLimit::LightFighter},
    {"HeavyFighter", TLimit::HeavyFighter},     {"Cruiser", TLimit::Cruiser},
    {"BattleShip", TLimit::BattleShip},         {"Bomber", TLimit::Bomber},
    {"Destroyer", TLimit::Destroyer},           {"MissileLauncher", TLimit::MissileLauncher},
    {"SmallLaser", TLimit::SmallLaser},         {"HeavyLaser", TLimit::HeavyLaser},
    {"GaussCannon", TLimit::GaussCannon},       {"IonCannon", TLimit::IonCannon},
    {"PlasmaCannon", TLimit::PlasmaCannon},     {"AssaultPower", TLimit::AssaultPower},
    {"DefencePower", TLimit::DefencePower},
};

int64_t At(const THighlightLimits& Limits, TLimit L) { return Limits[static_cast<size_t>(L)]; }

// Rule of the limits: true when the value is above its limit, with the look it gives.
bool ApplyLimit(const TPlanetCell& Cell, const THighlightLimits& Limits, TCellLook& Look) {
    if (!Cell.Limit || Cell.Value <= At(Limits, *Cell.Limit)) return false;
    switch (*Cell.Limit) {
        case TLimit::TotalResources:
        case TLimit::Metal:
        case TLimit::Crystal:
        case TLimit::Deuterium:
            Look.Brush = ResourceBrush;
            break;
        case TLimit::AssaultPower:
        case TLimit::DefencePower:
            Look.FontColor = UnitFont;
            Look.Bold = true;
            break;
        case TLimit::Energy:
            Look.Brush = EnergyBrush;
            break;
        default:
            Look.FontColor = UnitFont;
            break;
    }
    return true;
}

void ApplyRatingAndStatus(const TPlanetCell& Cell, TCellLook& Look) {
    switch (Cell.Rating) {
        case 1: Look.Brush = 0xAACD66; break;
        case 4: Look.Brush = 0xF0CAA6; break;
        case 3: Look.Brush = 0x7F7FFF; break;
        default: break;
    }
    static constexpr TColor StatusFont[psCount] = {0xFF0000, 0xFF0000, 0x13458B, 0xC4E4FF, 0x0000FF, 0x008000};
    for (int s = 0; s < psCount; ++s)
        if (Cell.Status[s]) {
            Look.FontColor = StatusFont[s];
            break;
        }
}

}  // namespace

std::optional<TLimit> LimitOfColumn(const AnsiString& FieldName) {
    for (const TColumnLimit& c : ColumnLimits)
        if (strcasecmp(c.FieldName, FieldName.c_str()) == 0) return c.Limit;
    return std::nullopt;
}

// A failing figure gives a limit of 0; the arithmetic itself wraps and cannot fail.
void DeriveHighlightLimits(THighlightLimits& L) {
    auto at = [&](TLimit x) { return L[static_cast<size_t>(x)]; };
    L[static_cast<size_t>(TLimit::DefencePower)] =
        CalcDefencePower(at(TLimit::MissileLauncher), at(TLimit::SmallLaser), at(TLimit::HeavyLaser),
                         at(TLimit::GaussCannon), at(TLimit::IonCannon), at(TLimit::PlasmaCannon), 1, 1);
    L[static_cast<size_t>(TLimit::AssaultPower)] =
        CalcAssaultPower(0, 0, at(TLimit::LightFighter), at(TLimit::HeavyFighter), at(TLimit::Cruiser),
                         at(TLimit::BattleShip), at(TLimit::Destroyer), at(TLimit::Bomber), 0, at(TLimit::DeathStar), 0,
                         0, 0);
}

TColor ReportAgeColor(std::optional<int> Days, const TReportAgeBands& B) {
    if (!Days) return 0xE0E0E0;
    const int n = *Days;
    if (n <= B.Fresh) return 0x70B2FC;
    if (n <= B.New) return 0x6FED6F;
    if (n <= B.Aging) return 0x9EF4A4;
    if (n <= B.Old) return 0xB3F7C0;
    if (n <= B.VeryOld) return 0xE1FDE5;
    return 0xE0E0E0;
}

TCellLook PlanetCellLook(const TPlanetCell& Cell, const THighlightLimits& Limits, const TReportAgeBands& Bands,
                         TCellLook Look) {
    if (Cell.Selected) {
        Look.Brush = SelectedBrush;
        Look.FontColor = 0x000000;
    }
    if (Cell.Rating == FriendlyRating) {
        Look.FontColor = FriendlyFont;
        Look.MayDrawArrow = false;
    } else if (!ApplyLimit(Cell, Limits, Look)) {
        ApplyRatingAndStatus(Cell, Look);
    }
    if (Cell.IsLastScanned) Look.Brush = ReportAgeColor(Cell.AgeDays, Bands);
    return Look;
}
