#include "libs/zt_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vespian::ztmath {
namespace {

TEST(ZtMathAbs, MagnitudeAndTheOneValueWithoutACounterpart) {
    EXPECT_EQ(_Abs(-999), 999);
    EXPECT_EQ(_Abs(-1000), 1000);  // the status bar switches to mV here
    EXPECT_EQ(_Abs(1000), 1000);
    EXPECT_EQ(_Abs(0), 0);
    EXPECT_EQ(_Abs(std::numeric_limits<int32_t>::min()), std::numeric_limits<int32_t>::max());
}

TEST(ZtMathThickness, HalseyAtHandComputedPressures) {
    // ln p = −5 makes the bracket 1: one statistical monolayer, 3.54 Å.
    EXPECT_NEAR(_t(static_cast<float>(std::exp(-5.0))), 3.54, 1e-5);
    // ln p = −5/8 makes it 8, cube root 2: 7.08 Å.
    EXPECT_NEAR(_t(static_cast<float>(std::exp(-0.625))), 7.08, 1e-5);
    // The layer thickens towards saturation.
    EXPECT_LT(_t(0.3f), _t(0.9f));
}

TEST(ZtMathPoreSize, KelvinRadiusPlusTheLayer) {
    // ln p = −1: Kelvin radius 9.53 Å, layer 3.54 × 5^(1/3) = 6.0533 Å.
    EXPECT_NEAR(_r(static_cast<float>(std::exp(-1.0))), 9.53 + 6.05333, 1e-4);
    // ln p = −5: 1.906 + 3.54.
    EXPECT_NEAR(_r(static_cast<float>(std::exp(-5.0))), 1.906 + 3.54, 1e-4);
}

TEST(ZtMathDomain, PressuresOutsideTheOpenIntervalGiveZero) {
    for (float p : {0.0f, 1.0f, -0.5f, 1.5f, std::numeric_limits<float>::quiet_NaN()}) {
        EXPECT_EQ(_t(p), 0.0) << p;
        EXPECT_EQ(_r(p), 0.0) << p;
    }
}

TEST(ZtMathDistribution, FiniteDifferenceBetweenNeighbours) {
    float thickness[kPoreTableSize] = {};
    float poreSize[kPoreTableSize] = {20.0f, 10.0f, 10.0f};
    float adsorbed[kPoreTableSize] = {5.0f, 3.0f, 1.0f};
    float distribution[kPoreTableSize];
    for (float& d : distribution) d = -1.0f;

    EXPECT_NEAR(_U_mlg(1, thickness, poreSize, adsorbed, distribution), 0.2, 1e-7);  // |2 / 10|
    EXPECT_FLOAT_EQ(distribution[1], 0.2f);
    EXPECT_EQ(_U_mlg(0, thickness, poreSize, adsorbed, distribution), 0.0);  // no neighbour
    EXPECT_EQ(distribution[0], 0.0f);
    EXPECT_EQ(_U_mlg(2, thickness, poreSize, adsorbed, distribution), 0.0);  // equal sizes
    EXPECT_EQ(distribution[2], 0.0f);

    // Outside the tables or without them: nothing written.
    EXPECT_EQ(_U_mlg(kPoreTableSize, thickness, poreSize, adsorbed, distribution), 0.0);
    EXPECT_EQ(_U_mlg(-1, thickness, poreSize, adsorbed, distribution), 0.0);
    EXPECT_EQ(_U_mlg(1, thickness, nullptr, adsorbed, distribution), 0.0);
    EXPECT_EQ(distribution[3], -1.0f);
}

}  // namespace
}  // namespace vespian::ztmath
