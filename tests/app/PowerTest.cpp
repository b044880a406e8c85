// Power figures: every unit's weight, the probe rounding, and figures past
// 32 bits kept whole while those beyond 64 bits are refused.
#include <gtest/gtest.h>

#include <array>

#include "app/uPower.h"
#include "platform/rtl/SysUtils.h"

namespace {

int64_t Defence(std::array<int64_t, 8> c) { return CalcDefencePower(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]); }
int64_t Assault(std::array<int64_t, 13> c) {
    return CalcAssaultPower(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], c[11], c[12]);
}

TEST(PowerTest, EachDefenceUnitCountsWithItsWeight) {
    const int32_t weights[8] = {80, 100, 250, 1100, 150, 3000, 1, 1};
    for (int i = 0; i < 8; ++i) {
        std::array<int64_t, 8> counts{};
        counts[i] = 1;
        EXPECT_EQ(Defence(counts), weights[i]) << "parameter " << i + 1;
    }
    EXPECT_EQ(Defence({}), 0);
    EXPECT_EQ(Defence({1, 0, 0, 1, 0, 0, 0, 0}), 1180);
    EXPECT_EQ(Defence({0, 0, 0, 0, 0, 0, 1, 0}), 1);
}

TEST(PowerTest, EachShipCountsWithItsWeightAndDestroyersOutweighBombers) {
    // Small cargo, large cargo, LF, HF, cruiser, battle ship, destroyer,
    // bomber, solar satellite, death star, recycler, probes, colony ship.
    const int32_t weights[13] = {5, 5, 50, 150, 400, 1000, 2000, 1000, 1, 10000, 1, 0, 50};
    for (int i = 0; i < 13; ++i) {
        std::array<int64_t, 13> counts{};
        counts[i] = 1;
        EXPECT_EQ(Assault(counts), weights[i]) << "parameter " << i + 1;
    }
}

TEST(PowerTest, ProbesCountAHundredthRoundedHalfToEven) {
    struct Case {
        int64_t probes, power;
    } cases[] = {{0, 0}, {49, 0}, {50, 0}, {51, 1}, {149, 1}, {150, 2}, {250, 2}, {350, 4}, {-150, -2}};
    for (const Case& c : cases) {
        std::array<int64_t, 13> counts{};
        counts[11] = c.probes;
        EXPECT_EQ(Assault(counts), c.power) << c.probes << " probes";
    }
}

TEST(PowerTest, FiguresPast32BitsAreWholeAndBeyond64BitsRefused) {
    EXPECT_EQ(Defence({26843546, 0, 0, 0, 0, 0, 0, 0}), 2147483680);
    EXPECT_EQ(Assault({0, 0, 0, 0, 0, 0, 0, 0, 0, 214749, 0, 0, 0}), 2147490000);
    EXPECT_EQ(Defence({2147483647, 2147483647, 0, 0, 0, 0, 2147483647, 2147483647}), 2147483647LL * 182);
    // Probes are counted exactly, however many.
    EXPECT_EQ(Assault({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, INT64_MAX, 0}), INT64_MAX / 100);
    EXPECT_EQ(Assault({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9007199254740993 * 100 + 50, 0}), 9007199254740994);
    struct Case {
        std::array<int64_t, 8> defence;
        const char* message;
    } cases[] = {
        {{INT64_MAX / 80 + 1, 0, 0, 0, 0, 0, 0, 0}, "'9223372036854775840' is not a valid integer value"},
        {{0, 0, 0, 0, 0, 0, INT64_MAX, 1}, "'9223372036854775808' is not a valid integer value"},
        {{0, 0, 0, 0, 0, 0, INT64_MIN, -1}, "'-9223372036854775809' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        try {
            Defence(c.defence);
            ADD_FAILURE() << c.message;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_EQ(SumOfCounts({INT64_MAX, 0, -1}), INT64_MAX - 1);
    EXPECT_THROW(SumOfCounts({INT64_MAX, 1}), EConvertError);
}

}  // namespace
