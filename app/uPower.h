#pragma once
// The two strength figures of a planet: the assault power of its fleet and the
// defence power of its defences, weighted sums of unit counts. The arithmetic
// wraps at 32 bits as the stored figures always did; the probe term rounds
// half to even.
#include <cstdint>

// Missile launchers, small lasers, heavy lasers, Gauss cannons, ion cannons,
// plasma cannons, small and large shield domes.
int32_t CalcDefencePower(int32_t MissileLauncher, int32_t SmallLaser, int32_t HeavyLaser, int32_t GaussCannon,
                         int32_t IonCannon, int32_t PlasmaCannon, int32_t SmallShieldDome, int32_t LargeShieldDome);

// Small and large cargo ships, light and heavy fighters, cruisers, battle
// ships, destroyers, bombers, solar satellites, death stars, recyclers,
// espionage probes, colony ships.
int32_t CalcAssaultPower(int32_t SmallCargoShip, int32_t LargeCargoShip, int32_t LightFighter,
                         int32_t HeavyFighter, int32_t Cruiser, int32_t BattleShip, int32_t Destroyer,
                         int32_t Bomber, int32_t SolarSatellite, int32_t DeathStar, int32_t Recycler,
                         int32_t EspionageProbe, int32_t ColonyShip);
