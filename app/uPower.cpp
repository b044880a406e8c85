#include "app/uPower.h"

#include <cmath>
#include <initializer_list>
#include <utility>

namespace {

// Sum of count times weight, wrapping like the 32-bit registers it was made for.
uint32_t WeightedSum(std::initializer_list<std::pair<int32_t, uint32_t>> Terms) {
    uint32_t sum = 0;
    for (auto [count, weight] : Terms) sum += static_cast<uint32_t>(count) * weight;
    return sum;
}

// A hundredth of the probes, to the nearest integer with ties to even.
uint32_t ProbeTerm(int32_t Probes) {
    long double value = static_cast<long double>(Probes) * 0.01L;
    return static_cast<uint32_t>(static_cast<int64_t>(std::nearbyintl(value)));
}

}  // namespace

int32_t CalcDefencePower(int32_t MissileLauncher, int32_t SmallLaser, int32_t HeavyLaser, int32_t GaussCannon,
                         int32_t IonCannon, int32_t PlasmaCannon, int32_t SmallShieldDome, int32_t LargeShieldDome) {
    return static_cast<int32_t>(WeightedSum({{MissileLauncher, 80},
                                             {SmallLaser, 100},
                                             {HeavyLaser, 250},
                                             {GaussCannon, 1100},
                                             {IonCannon, 150},
                                             {PlasmaCannon, 3000},
                                             {SmallShieldDome, 1},
                                             {LargeShieldDome, 1}}));
}

int32_t CalcAssaultPower(int32_t SmallCargoShip, int32_t LargeCargoShip, int32_t LightFighter,
                         int32_t HeavyFighter, int32_t Cruiser, int32_t BattleShip, int32_t Destroyer,
                         int32_t Bomber, int32_t SolarSatellite, int32_t DeathStar, int32_t Recycler,
                         int32_t EspionageProbe, int32_t ColonyShip) {
    return static_cast<int32_t>(ProbeTerm(EspionageProbe) + WeightedSum({{SmallCargoShip, 5},
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
