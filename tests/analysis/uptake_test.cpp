#include "analysis/uptake.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace vespian {
namespace {

TEST(Uptake, OneMillilitreLoopAtRoomTemperatureHolds40_87Micromol) {
    const GasAmount loop = gasAmount({1.000, 25.0, 101.325});
    ASSERT_EQ(loop.status, UptakeStatus::NoSampleWeight);
    EXPECT_NEAR(loop.micromol, 40.87, 0.005);
    EXPECT_NEAR(loop.micromol, 40.873989, 1e-6);
    // At 0 ℃ and standard pressure a millilitre is exactly 1/22,414 mol.
    EXPECT_NEAR(gasAmount({1.0, 0.0, 101.325}).micromol, 1e6 / 22414.0, 1e-9);
    // The BET loop defaults, 15 ℃ and 101.3 kPa: 273.15/288.15 × 101.3/101.325 × 44.6150.
    const GasAmount bet = gasAmount({1.0, 15.0, 101.3}, 0.25);
    EXPECT_EQ(bet.status, UptakeStatus::Ok);
    EXPECT_NEAR(bet.micromol, 42.282051, 1e-5);
    EXPECT_NEAR(bet.micromolPerGram, 4.0 * 42.282051, 4e-5);
}

TEST(Uptake, PeakAreasScaleTheLoopAndThePerGramValueNeedsAWeight) {
    const GasLoop loop{1.0, 25.0, 101.325};
    const GasAmount half = peakAmount(1000.0, 2000.0, loop, 0.5);
    EXPECT_EQ(half.status, UptakeStatus::Ok);
    EXPECT_NEAR(half.micromol, 20.436994, 1e-5);
    EXPECT_NEAR(half.micromolPerGram, 40.873989, 1e-5);

    const GasAmount unweighed = peakAmount(1000.0, 2000.0, loop, 0.0);
    EXPECT_EQ(unweighed.status, UptakeStatus::NoSampleWeight);
    EXPECT_NEAR(unweighed.micromol, 20.436994, 1e-5);
    EXPECT_EQ(unweighed.micromolPerGram, 0.0);
    EXPECT_EQ(peakAmount(1000.0, 2000.0, loop, -1.0).micromolPerGram, 0.0);
}

TEST(Uptake, UnphysicalLoopsAndMissingReferencesGiveZeroWithTheReason) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const GasLoop& bad : {GasLoop{0.0, 25.0, 101.3}, GasLoop{1.0, -273.15, 101.3}, GasLoop{1.0, 25.0, 0.0},
                               GasLoop{nan, 25.0, 101.3}, GasLoop{1.0, 25.0, nan}}) {
        const GasAmount a = peakAmount(1000.0, 2000.0, bad, 1.0);
        EXPECT_EQ(a.status, UptakeStatus::InvalidLoop);
        EXPECT_EQ(a.micromol, 0.0);
        EXPECT_EQ(gasAmount(bad).status, UptakeStatus::InvalidLoop);
    }
    const GasLoop loop{1.0, 25.0, 101.325};
    EXPECT_EQ(peakAmount(1000.0, 0.0, loop, 1.0).status, UptakeStatus::NoReferenceArea);
    EXPECT_EQ(peakAmount(1000.0, 0.0, loop, 1.0).micromol, 0.0);
    EXPECT_EQ(peakAmount(nan, 2000.0, loop, 1.0).status, UptakeStatus::NoReferenceArea);
}

TEST(Uptake, PulsesAddUpWhatTheSampleKeptAndNoiseOnFullPulsesCancels) {
    const GasLoop loop{1.0, 0.0, 101.325};  // 44.6150 µmol a pulse
    const double perPulse = 1e6 / 22414.0;
    const std::vector<double> areas = {0.0, 0.0, 500.0, 900.0, 1010.0, 990.0};
    const PulseUptake uptake = pulseUptake(areas, 1000.0, loop, 0.2);
    ASSERT_EQ(uptake.status, UptakeStatus::Ok);
    ASSERT_EQ(uptake.count, 6);
    EXPECT_NEAR(uptake.pulseMicromol[2], 0.5 * perPulse, 1e-9);
    EXPECT_NEAR(uptake.pulseMicromol[4], -0.01 * perPulse, 1e-9) << "a pulse above full counts negative";
    EXPECT_NEAR(uptake.cumulativeMicromol[1], 2.0 * perPulse, 1e-9);
    EXPECT_NEAR(uptake.cumulativeMicromol[3], 2.6 * perPulse, 1e-9);
    EXPECT_NEAR(uptake.totalMicromol, 2.6 * perPulse, 1e-9) << "+1 % and −1 % cancel";
    EXPECT_NEAR(uptake.totalMicromol, 115.998929, 1e-5);
    EXPECT_NEAR(uptake.totalMicromolPerGram, 5.0 * 115.998929, 5e-5);

    EXPECT_EQ(pulseUptake(areas, 0.0, loop, 1.0).status, UptakeStatus::NoReferenceArea);
    EXPECT_EQ(pulseUptake(areas, 1000.0, loop, 0.0).status, UptakeStatus::NoSampleWeight);
    EXPECT_EQ(pulseUptake(areas, 1000.0, loop, 0.0).totalMicromolPerGram, 0.0);

    const std::vector<double> many(kMaxTitrationPulses + 5, 0.0);
    const PulseUptake capped = pulseUptake(many, 1000.0, loop, 1.0);
    EXPECT_EQ(capped.status, UptakeStatus::TooManyPulses);
    EXPECT_EQ(capped.count, kMaxTitrationPulses);
    EXPECT_NEAR(capped.totalMicromol, kMaxTitrationPulses * perPulse, 1e-6);
}

}  // namespace
}  // namespace vespian
