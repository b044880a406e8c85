#include "app/uPower.h"

#include <utility>

#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

namespace {

AnsiString Int128ToStr(__int128 Value) {
    const bool negative = Value < 0;
    unsigned __int128 magnitude = negative ? -static_cast<unsigned __int128>(Value) : Value;
    AnsiString digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    return negative ? "-" + digits : digits;
}

__int128 WeightedSum(std::initializer_list<std::pair<int64_t, int>> Terms) {
    __int128 sum = 0;
    for (auto [count, weight] : Terms) sum += static_cast<__int128>(count) * weight;
    return sum;
}

int64_t Count(TDataSet* Planet, const char* Column) { return Planet->FieldByName(Column)->AsLargeInt(); }

}  // namespace

// 128 bits hold any sum of a few dozen 64-bit counts times small weights.
int64_t WholeCount(__int128 Value) {
    if (Value < INT64_MIN || Value > INT64_MAX)
        throw EConvertError("'" + Int128ToStr(Value) + "' is not a valid integer value");
    return static_cast<int64_t>(Value);
}

int64_t RoundedQuotient(__int128 Numerator, int64_t Denominator) {
    __int128 quotient = Numerator / Denominator;
    const __int128 remainder = Numerator % Denominator;  // takes the numerator's sign
    const __int128 twice = (remainder < 0 ? -remainder : remainder) * 2;
    if (twice > Denominator || (twice == Denominator && quotient % 2 != 0)) quotient += Numerator < 0 ? -1 : 1;
    return WholeCount(quotient);
}

int64_t SumOfCounts(std::initializer_list<int64_t> Counts) {
    __int128 sum = 0;
    for (int64_t count : Counts) sum += count;
    return WholeCount(sum);
}

int64_t CalcDefencePower(int64_t MissileLauncher, int64_t SmallLaser, int64_t HeavyLaser, int64_t GaussCannon,
                         int64_t IonCannon, int64_t PlasmaCannon, int64_t SmallShieldDome, int64_t LargeShieldDome) {
    return WholeCount(WeightedSum({{MissileLauncher, 80},
                                {SmallLaser, 100},
                                {HeavyLaser, 250},
                                {GaussCannon, 1100},
                                {IonCannon, 150},
                                {PlasmaCannon, 3000},
                                {SmallShieldDome, 1},
                                {LargeShieldDome, 1}}));
}

int64_t CalcAssaultPower(int64_t SmallCargoShip, int64_t LargeCargoShip, int64_t LightFighter,
                         int64_t HeavyFighter, int64_t Cruiser, int64_t BattleShip, int64_t Destroyer,
                         int64_t Bomber, int64_t SolarSatellite, int64_t DeathStar, int64_t Recycler,
                         int64_t EspionageProbe, int64_t ColonyShip) {
    // A hundredth of the probes, to the nearest integer with ties to even.
    const int64_t probes = RoundedQuotient(EspionageProbe, 100);
    return WholeCount(probes + WeightedSum({{SmallCargoShip, 5},
                                         {LargeCargoShip, 5},
                                         {LightFighter, 50},
                                         {HeavyFighter, 150},
                                         {Cruiser, 400},
                                         {BattleShip, 1000},
                                         {Destroyer, 2000},
                                         {Bomber, 1000},
                                         {SolarSatellite, 1},
                                         {DeathStar, 10000},
                                         {Recycler, 1},
                                         {ColonyShip, 50}}));
}

int64_t PlanetTotalResources(TDataSet* Planet) {
    return SumOfCounts({Count(Planet, "Metal"), Count(Planet, "Crystal"), Count(Planet, "Deuterium")});
}

int64_t PlanetAssaultPower(TDataSet* Planet) {
    return CalcAssaultPower(Count(Planet, "SmallCargoShip"), Count(Planet, "LargeCargoShip"),
                            Count(Planet, "LightFighter"), Count(Planet, "HeavyFighter"), Count(Planet, "Cruiser"),
                            Count(Planet, "BattleShip"), Count(Planet, "Destroyer"), Count(Planet, "Bomber"),
                            Count(Planet, "SolarSatellite"), Count(Planet, "DeathStar"), Count(Planet, "Recycler"),
                            Count(Planet, "EspionageProbe"), Count(Planet, "ColonyShip"));
}

int64_t PlanetDefencePower(TDataSet* Planet) {
    return CalcDefencePower(Count(Planet, "MissileLauncher"), Count(Planet, "SmallLaser"), Count(Planet, "HeavyLaser"),
                            Count(Planet, "GaussCannon"), Count(Planet, "IonCannon"), Count(Planet, "PlasmaCannon"),
                            Count(Planet, "SmallShieldDome"), Count(Planet, "LargeShieldDome"));
}
