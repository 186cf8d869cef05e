// The analyser's gas path and sample behind the frames: valves that route the sample's gas to the
// detector or away, temperature-programmed reduction and oxidation, ammonia adsorption, pulse
// titration on the metal surface, cleaning, carrier changes, the flows of channels 3 and 4, and
// the fault menu's faults.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "sim/reducible_sample.h"
#include "sim/simulated_analyser.h"
#include "sim/simulator_faults.h"
#include "stream_reader.h"

namespace vespian::sim {
namespace {

using namespace testing;

constexpr int kArgon = 2;
constexpr int kAmmonia = 3;
constexpr int kHydrogen = 4;
constexpr int kOxygen = 8;

void runMinutes(SimulatedAnalyser& analyser, double minutes, StreamReader* reader = nullptr) {
    run(analyser, periodsFor(minutes * 60.0), reader);
}

// First-order peak maximum (K) at heating rate beta (K/s): E/(R T²) = ν/β · exp(−E/(R T)).
double firstOrderPeakK(const RedoxKinetics& k, double betaKPerS) {
    double low = 300.0, high = 1500.0;
    for (int i = 0; i < 100; ++i) {
        const double t = 0.5 * (low + high);
        const double lhs = k.energyJPerMol / (8.314462618 * t * t);
        const double rhs = k.frequencyPerS / betaKPerS * std::exp(-k.energyJPerMol / (8.314462618 * t));
        (lhs > rhs ? low : high) = t;
    }
    return 0.5 * (low + high);
}

// Index of the largest value of `series` whose temperature lies in [fromC, toC).
int32_t maximumBetween(const std::vector<double>& series, const StreamReader& reader, float fromC, float toC) {
    int32_t best = -1;
    for (int32_t i = 0; i < static_cast<int32_t>(series.size()); ++i) {
        const float c = reader.pointTemperature(i);
        if (c < fromC || c >= toC) continue;
        if (best < 0 || series[static_cast<size_t>(i)] > series[static_cast<size_t>(best)]) best = i;
    }
    return best;
}

// A TPR: argon carrier, hydrogen through treatment port 1, cold trap in; the twin runs the same
// without opening the hydrogen, so the difference is the hydrogen's doing alone.
TEST(SimulatedReduction, HydrogenOverTheHeatedSampleGivesTwoConsumptionPeaksWhereTheKineticsPutThem) {
    SimulatedAnalyser withHydrogen(21), without(21);
    StreamReader a, b;
    for (SimulatedAnalyser* s : {&withHydrogen, &without}) {
        for (const Command& c : {StartStream(), FlowFrame(1, kArgon, 30), FlowFrame(2, kHydrogen, 3),
                                 ValveFrame(5, true)}) {
            send(*s, c);
        }
    }
    send(withHydrogen, ValveFrame(0, true));
    send(without, ValveFrame(0, false));  // the same switch's blip, no hydrogen
    runMinutes(withHydrogen, 5, &a);
    runMinutes(without, 5, &b);
    EXPECT_NEAR(withHydrogen.oxidisedFraction(0), 1.0, 1e-6) << "no reduction at room temperature";
    const int32_t heated = a.points();
    for (SimulatedAnalyser* s : {&withHydrogen, &without}) {
        send(*s, ProgramFrame(1, 700, 10, 5));
        send(*s, ProgramStartFrame());
    }
    runMinutes(withHydrogen, 75, &a);
    runMinutes(without, 75, &b);
    ASSERT_EQ(a.points(), b.points());

    std::vector<double> consumption(static_cast<size_t>(a.points()));
    const double offset = a.meanOf(heated - 100, heated) - b.meanOf(heated - 100, heated);
    EXPECT_LT(offset, -0.3) << "hydrogen in the measuring cell shifts the baseline";
    double area = 0.0;
    for (int32_t i = 0; i < a.points(); ++i) {
        consumption[static_cast<size_t>(i)] = a.point(i) - b.point(i) - offset;
        if (i >= heated) area += consumption[static_cast<size_t>(i)] / kPointsPerSecond;
    }
    const double beta = 10.0 / 60.0;
    for (size_t s = 0; s < kOxideSpecies.size(); ++s) {
        const double expectedC = firstOrderPeakK(kOxideSpecies[s].reduction, beta) - 273.15;
        const int32_t apex = maximumBetween(consumption, a, static_cast<float>(expectedC - 60),
                                            static_cast<float>(expectedC + 60));
        ASSERT_GE(apex, 0);
        EXPECT_NEAR(a.pointTemperature(apex), expectedC, 3.0) << "species " << s;
        EXPECT_GT(consumption[static_cast<size_t>(apex)], 10.0) << "species " << s;
        EXPECT_LT(withHydrogen.oxidisedFraction(static_cast<int>(s)), 1e-3);
    }
    // Each reading is the mean of its period, so the trace's area is the capacities' sum, less
    // the one reading in a hundred that the trace's clock overwrites.
    EXPECT_NEAR(area, (kOxideSpecies[0].capacityMvS + kOxideSpecies[1].capacityMvS) * kIndexFactor, 150.0);
    EXPECT_DOUBLE_EQ(without.oxidisedFraction(1), 1.0);
}

TEST(SimulatedOxidation, OxygenReoxidisesTheReducedSampleAndBurnsItsCarbon) {
    SimulatedAnalyser analyser(4);
    for (const Command& c : {FlowFrame(1, kArgon, 30), FlowFrame(2, kHydrogen, 3), ValveFrame(0, true),
                             ProgramFrame(1, 700, 20, 5), ProgramStartFrame()}) {
        send(analyser, c);
    }
    runMinutes(analyser, 40);
    EXPECT_LT(analyser.oxidisedFraction(0), 1e-3);
    EXPECT_DOUBLE_EQ(analyser.carbonLeft(), 1.0) << "hydrogen leaves the carbon";
    for (const Command& c : {ProgramStopFrame(), ValveFrame(0, false), FlowFrame(2, kOxygen, 3)}) send(analyser, c);
    runMinutes(analyser, 120);  // cools in argon
    ASSERT_LT(analyser.furnaceTemperatureC(), 60.0f);
    EXPECT_LT(analyser.oxidisedFraction(1), 1e-3) << "argon changes nothing";
    send(analyser, StartStream());
    send(analyser, ValveFrame(0, true));
    StreamReader reader;
    runMinutes(analyser, 5, &reader);
    const float before = reader.meanOf(reader.points() - 100, reader.points());
    send(analyser, ProgramFrame(1, 800, 10, 5));
    send(analyser, ProgramStartFrame());
    runMinutes(analyser, 85, &reader);
    EXPECT_GT(analyser.oxidisedFraction(0), 0.999);
    EXPECT_GT(analyser.oxidisedFraction(1), 0.999);
    EXPECT_LT(analyser.carbonLeft(), 1e-3);
    float highest = -1e9f;
    for (int32_t i = 0; i < reader.points(); ++i) highest = std::max(highest, reader.point(i) - before);
    EXPECT_GT(highest, 10.0f) << "the consumption shows";
}

// The detector sees the sample's gas only while the sample tube is in line and its outlet goes to
// the detector; the sample desorbs all the same.
TEST(SimulatedGasPath, VentAndBypassHideTheDesorptionButTheSampleStillEmpties) {
    for (int valve : {6, 4}) {
        SimulatedAnalyser analyser(8);
        for (const Command& c : {StartStream(), ValveFrame(valve, true), ProgramFrame(1, 600, 20, 5),
                                 ProgramStartFrame()}) {
            send(analyser, c);
        }
        EXPECT_FALSE(analyser.detectorSeesSample());
        StreamReader reader;
        runMinutes(analyser, 35, &reader);
        const float baseline = reader.meanOf(0, 50);
        EXPECT_TRUE(reader.excursions(50, baseline, 1.0f, 0.5f).empty()) << "valve " << valve;
        for (int site = 0; site < 3; ++site) EXPECT_LT(analyser.adsorbedCoverage(site), 0.01) << "valve " << valve;
    }
}

TEST(SimulatedGasPath, AmmoniaOverTheCoolSampleFillsItsSites) {
    SimulatedAnalyser analyser(9);
    for (const Command& c : {ProgramFrame(1, 600, 30, 10), ProgramStartFrame()}) send(analyser, c);
    runMinutes(analyser, 30);
    ASSERT_LT(analyser.adsorbedCoverage(0), 0.01);
    // Ammonia at 600 ℃ does not stay on the sample.
    for (const Command& c : {FlowFrame(2, kAmmonia, 30), ValveFrame(1, true)}) send(analyser, c);
    runMinutes(analyser, 2);
    EXPECT_LT(analyser.adsorbedCoverage(0), 0.01);
    // Through the loop it never reaches the sample.
    send(analyser, ProgramStopFrame());
    send(analyser, ValveFrame(2, true));
    runMinutes(analyser, 120);
    ASSERT_LT(analyser.furnaceTemperatureC(), 100.0f);
    EXPECT_LT(analyser.adsorbedCoverage(0), 0.01);
    send(analyser, ValveFrame(2, false));
    runMinutes(analyser, 1);
    EXPECT_GT(analyser.adsorbedCoverage(0), 0.99);
}

// Pulse titration of the reduced metal: full-size pulses through the bypass, then oxygen pulses
// through the sample are taken up, first wholly, then partly, until they pass whole; hydrogen
// pulses then titrate the oxygen with twice the volume.
TEST(SimulatedTitration, PulsesAreTakenUpUntilTheSurfaceIsSaturated) {
    SimulatedAnalyser analyser(12);
    StreamReader reader;
    for (const Command& c : {StartStream(), FlowFrame(1, kArgon, 30), FlowFrame(2, kHydrogen, 10),
                             ValveFrame(0, true)}) {
        send(analyser, c);
    }
    runMinutes(analyser, 1, &reader);
    EXPECT_DOUBLE_EQ(analyser.metalHydrogenCovered(), 1.0);
    // Purge, then oxygen into the loop (treatment port 2, loop fill).
    for (const Command& c : {ValveFrame(0, false), FlowFrame(2, kOxygen, 10), ValveFrame(1, true),
                             ValveFrame(2, true)}) {
        send(analyser, c);
    }
    runMinutes(analyser, 3, &reader);
    ASSERT_TRUE(analyser.dosingLoopFull());
    EXPECT_DOUBLE_EQ(analyser.metalHydrogenCovered(), 1.0) << "the loop's gas never touched the sample";

    // Each pulse: the loop switched in, four minutes, switched back to refill. The peak's area
    // over the minute after the switch, above the straight line between the quiet stretches
    // before it and after it (the baseline drifts a little over minutes).
    std::vector<double> areas;
    auto pulse = [&] {
        const int32_t from = reader.points();
        send(analyser, ValveFrame(3, true));
        runMinutes(analyser, 4, &reader);
        send(analyser, ValveFrame(3, false));
        const int32_t to = from + 60 * kPointsPerSecond;
        const double before = reader.meanOf(from - 50, from);
        const double after = reader.meanOf(to, to + 50);
        double area = 0.0;
        for (int32_t i = from; i < to; ++i) area += reader.point(i) - (before + (after - before) * (i - from + 25) / (to - from + 50));
        areas.push_back(area / kPointsPerSecond);
    };
    send(analyser, ValveFrame(4, true));
    for (int i = 0; i < 3; ++i) pulse();
    send(analyser, ValveFrame(4, false));
    const double full = (areas[0] + areas[1] + areas[2]) / 3.0;
    // 0.5 ml at 40 mV/ml, oxygen answering 0.8: 16 mV high; two half-Gaussians of 1.5 s and 4 s.
    const double expectedFull = 16.0 * std::sqrt(2.0 * 3.14159265) * (1.5 + 4.0) / 2.0 * kIndexFactor;
    EXPECT_NEAR(full, expectedFull, 0.03 * expectedFull);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(areas[static_cast<size_t>(i)], full, 0.03 * full);
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(analyser.loopPulseTaken(i), 0.0);

    for (int i = 0; i < 6; ++i) pulse();
    double oxygenTaken = 0.0;
    for (int i = 3; i < 9; ++i) {
        const double taken = analyser.loopPulseTaken(i);
        oxygenTaken += taken;
        // What reaches the detector is what the surface left of the pulse.
        EXPECT_NEAR(areas[static_cast<size_t>(i)] / full, (0.5 - taken) / 0.5, 0.03) << "pulse " << i;
    }
    EXPECT_GT(analyser.loopPulseTaken(3), 0.45) << "the first pulse is taken up almost whole";
    EXPECT_GT(analyser.loopPulseTaken(4), 0.3);
    EXPECT_LT(analyser.loopPulseTaken(5), 0.3) << "then partly";
    EXPECT_DOUBLE_EQ(analyser.loopPulseTaken(8), 0.0) << "saturated: the last pulses pass whole";
    EXPECT_NEAR(oxygenTaken, 0.75 * MetalSurface::kSurfaceAtomsMl, 1e-9);
    EXPECT_NEAR(analyser.metalOxygenCovered(), 1.0, 1e-9);

    // Hydrogen pulses titrate the oxygen: 3/2 H2 per atom against 3/4 O2.
    for (const Command& c : {FlowFrame(2, kHydrogen, 10), ValveFrame(1, false), ValveFrame(0, true)}) send(analyser, c);
    runMinutes(analyser, 1, &reader);
    double hydrogenTaken = 0.0;
    for (int i = 9; i < 19; ++i) {
        pulse();
        hydrogenTaken += analyser.loopPulseTaken(i);
    }
    EXPECT_NEAR(hydrogenTaken, 2.0 * oxygenTaken, 1e-9);
    EXPECT_NEAR(analyser.metalHydrogenCovered(), 1.0, 1e-9);
    EXPECT_EQ(analyser.loopPulses(), 19);

    // An empty loop sends nothing: switched in again without being flushed in between.
    send(analyser, ValveFrame(2, false));
    send(analyser, ValveFrame(3, true));
    EXPECT_EQ(analyser.loopPulses(), 20);
    send(analyser, ValveFrame(3, false));
    send(analyser, ValveFrame(3, true));
    EXPECT_EQ(analyser.loopPulses(), 20);
    EXPECT_FALSE(analyser.dosingLoopFull());
}

TEST(SimulatedGasPath, CleaningFlushesAtFullFlowAndReturnsToTheSetpoint) {
    SimulatedAnalyser analyser;
    send(analyser, CleaningFrame(1, true));
    run(analyser, periodsFor(20.0));
    EXPECT_NEAR(analyser.measuredFlow(2), kFlushFlowMlMin, 0.5);
    EXPECT_NEAR(analyser.measuredFlow(1), 30.0, 0.01) << "the other channel is left alone";
    send(analyser, CleaningFrame(1, false));
    run(analyser, periodsFor(3.0));
    EXPECT_LT(analyser.measuredFlow(2), 60.0) << "it lags back";
    run(analyser, periodsFor(30.0));
    EXPECT_NEAR(analyser.measuredFlow(2), 30.0, 0.1);
}

TEST(SimulatedGasPath, NewCarrierGasPassesAsABroadWave) {
    SimulatedAnalyser analyser(2);
    send(analyser, StartStream());
    StreamReader reader;
    run(analyser, periodsFor(10.0), &reader);
    const float baseline = reader.meanOf(0, reader.points());
    send(analyser, FlowFrame(1, kHydrogen, 30));
    run(analyser, periodsFor(120.0), &reader);
    const std::vector<int32_t> waves = reader.excursions(0, baseline, 1.5f, 0.5f);
    ASSERT_EQ(waves.size(), 1u);
    int32_t above = 0;
    for (int32_t i = 0; i < reader.points(); ++i) above += reader.point(i) - baseline > 1.0f ? 1 : 0;
    EXPECT_GT(above, 10 * 5) << "a wave, not a spike";
    EXPECT_NEAR(reader.point(reader.points() - 1), baseline, 0.3f);
    // The same gas again changes nothing.
    const int32_t again = reader.points();
    send(analyser, FlowFrame(1, kHydrogen, 40));
    run(analyser, periodsFor(60.0), &reader);
    EXPECT_TRUE(reader.excursions(again, baseline, 1.5f, 0.5f).empty());
}

TEST(SimulatedStream, ChannelsThreeAndFourTravelInFramesTheProgramReadsPast) {
    SimulatedAnalyser analyser;
    send(analyser, StartStream());
    send(analyser, FlowFrame(3, 1, 45));
    run(analyser, periodsFor(30.0));
    const std::vector<uint8_t> bytes = emit(analyser);
    int flow3 = 0, flow4 = 0;
    for (size_t i = 0; i < bytes.size(); i += 4) {
        const int value = (bytes[i + 1] << 16) | (bytes[i + 2] << 8) | bytes[i + 3];
        if (bytes[i] == 0x65) {
            ++flow3;
            EXPECT_NEAR(value / 10.0, 45.0, 0.2);
        }
        if (bytes[i] == 0x66) {
            ++flow4;
            EXPECT_NEAR(value / 10.0, 30.0, 0.1);
        }
    }
    EXPECT_EQ(flow3, 2);
    EXPECT_EQ(flow4, 2);
    StreamReader reader;
    reader.feed(bytes);
    EXPECT_EQ(reader.unknownFrames(), 0);
    EXPECT_NEAR(reader.readings.flow1MlMin.load(), 30.0f, 0.1f) << "channel 3 does not leak into the readings";
}

TEST(SimulatedFurnace, ProgrammeEndsAtTheFirstSegmentNotLoaded) {
    SimulatedAnalyser analyser;
    for (const Command& c : {ProgramFrame(1, 100, 10, 1), ProgramFrame(3, 300, 10, 1), ProgramStartFrame()}) {
        send(analyser, c);
    }
    runMinutes(analyser, 40);
    EXPECT_FLOAT_EQ(analyser.furnaceTemperatureC(), 100.0f) << "as the program's list shows: segment 1 only";
}

TEST(SimulatorFaults, EachMenuEntryActsOnTheStream) {
    SimulatedAnalyser analyser(5);
    send(analyser, StartStream());
    auto alarmOf = [&] {
        StreamReader reader;
        reader.feed(emit(analyser));
        return reader.readings.alarmCode.load();
    };
    for (auto [fault, code] : {std::pair{SimulatorFault::Alarm1, 1}, {SimulatorFault::Alarm2, 2},
                               {SimulatorFault::Alarm3, 3}, {SimulatorFault::ClearAlarm, 0}}) {
        applyFault(analyser, fault, 1.0);
        EXPECT_EQ(alarmOf(), code);
    }
    applyFault(analyser, SimulatorFault::Silence3, 10.0);  // 3 wall seconds at 10× are 30 instrument seconds
    int silent = 0;
    while (emit(analyser).empty() && silent < 1000) ++silent;
    EXPECT_EQ(silent, 150);
    applyFault(analyser, SimulatorFault::Silence10, 0.0);
    silent = 0;
    while (emit(analyser).empty() && silent < 1000) ++silent;
    EXPECT_EQ(silent, 50) << "as fast as read: instrument seconds";
    applyFault(analyser, SimulatorFault::Garbage, 1.0);
    EXPECT_EQ(emit(analyser).size(), kPeriodBytes + kGarbageBytes);
    applyFault(analyser, SimulatorFault::InsertByte, 1.0);
    EXPECT_EQ(emit(analyser).size(), kPeriodBytes + 1);
    EXPECT_EQ(silenceSeconds(SimulatorFault::Silence30), 30.0);
    EXPECT_EQ(kSimulatorFaults.size(), 9u);
}

// Set to clear by itself, an alarm lasts its wall seconds in the instrument's time and then goes,
// as a sensor that recovers; "解除报警" still clears it at once.
TEST(SimulatorFaults, AnAlarmSetToClearByItselfGoesAfterItsTime) {
    SimulatedAnalyser analyser(5);
    send(analyser, StartStream());
    auto alarmOf = [&] {
        StreamReader reader;
        reader.feed(emit(analyser));
        return reader.readings.alarmCode.load();
    };
    const SimulatorFaultSettings selfClear{2.0};
    applyFault(analyser, SimulatorFault::Alarm2, 5.0, selfClear);  // 2 wall seconds at 5× are 50 periods
    int periods = 0;
    while (alarmOf() == 2 && periods < 1000) ++periods;
    EXPECT_EQ(periods, 50);
    EXPECT_EQ(alarmOf(), 0);
    applyFault(analyser, SimulatorFault::Alarm1, 5.0, selfClear);
    EXPECT_EQ(alarmOf(), 1);
    applyFault(analyser, SimulatorFault::ClearAlarm, 5.0, selfClear);
    EXPECT_EQ(alarmOf(), 0);
    applyFault(analyser, SimulatorFault::Alarm3, 5.0);  // without the setting it stays
    for (int i = 0; i < 200; ++i) ASSERT_EQ(alarmOf(), 3) << i;
}

}  // namespace
}  // namespace vespian::sim
