#pragma once
// The two strength figures of a planet: the assault power of its fleet and the
// defence power of its defences, weighted sums of unit counts. Counts and
// figures are 64-bit; a figure beyond 64 bits raises the conversion error a
// count beyond its column raises, never a wrapped number. The probe term
// rounds half to even.
#include <cstdint>
#include <initializer_list>

class TDataSet;

// Missile launchers, small lasers, heavy lasers, Gauss cannons, ion cannons,
// plasma cannons, small and large shield domes.
int64_t CalcDefencePower(int64_t MissileLauncher, int64_t SmallLaser, int64_t HeavyLaser, int64_t GaussCannon,
                         int64_t IonCannon, int64_t PlasmaCannon, int64_t SmallShieldDome, int64_t LargeShieldDome);

// Small and large cargo ships, light and heavy fighters, cruisers, battle
// ships, destroyers, bombers, solar satellites, death stars, recyclers,
// espionage probes, colony ships.
int64_t CalcAssaultPower(int64_t SmallCargoShip, int64_t LargeCargoShip, int64_t LightFighter,
                         int64_t HeavyFighter, int64_t Cruiser, int64_t BattleShip, int64_t Destroyer,
                         int64_t Bomber, int64_t SolarSatellite, int64_t DeathStar, int64_t Recycler,
                         int64_t EspionageProbe, int64_t ColonyShip);

// The figures of the current planet row, from the counts its columns hold
// (every import and the reprocessing compute them alike); EConvertError as
// above.
int64_t PlanetTotalResources(TDataSet* Planet);
int64_t PlanetAssaultPower(TDataSet* Planet);
int64_t PlanetDefencePower(TDataSet* Planet);

// Value as a count; beyond 64 bits it raises EConvertError.
int64_t WholeCount(__int128 Value);

// The sum of counts (total resources); beyond 64 bits it raises EConvertError.
int64_t SumOfCounts(std::initializer_list<int64_t> Counts);

// Numerator / Denominator (Denominator > 0) to the nearest integer, ties to
// even; a quotient beyond 64 bits raises EConvertError.
int64_t RoundedQuotient(__int128 Numerator, int64_t Denominator);
