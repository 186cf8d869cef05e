// The instrument model behind the frames: furnace programme, desorption, pulses, flows, valves.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "sim/simulated_analyser.h"
#include "trace/init_data.h"
#include "trace/peak_detector.h"
#include "stream_reader.h"

namespace vespian::sim {
namespace {

using namespace testing;

// Runs on (not streaming, which costs next to nothing) until `minutes` of instrument time.
void runUntilMinute(SimulatedAnalyser& analyser, double minutes) {
    run(analyser, periodsFor(minutes * 60.0 - analyser.instrumentSeconds()));
}

TEST(SimulatedFurnace, RampsAtTheProgrammedRateThenHoldsAfterTheLastSegment) {
    SimulatedAnalyser analyser;
    send(analyser, ProgramFrame(1, 300, 10, 5));
    runUntilMinute(analyser, 2.0);
    EXPECT_FLOAT_EQ(analyser.furnaceTemperatureC(), 25.0f) << "a loaded programme waits for start";
    send(analyser, ProgramStartFrame());
    runUntilMinute(analyser, 2.0 + 20.0);
    EXPECT_NEAR(analyser.furnaceTemperatureC(), 225.0f, 0.05f);
    runUntilMinute(analyser, 2.0 + 27.4);
    EXPECT_NEAR(analyser.furnaceTemperatureC(), 299.0f, 0.05f);
    runUntilMinute(analyser, 2.0 + 27.6);
    EXPECT_FLOAT_EQ(analyser.furnaceTemperatureC(), 300.0f);
    runUntilMinute(analyser, 2.0 + 60.0);
    EXPECT_FLOAT_EQ(analyser.furnaceTemperatureC(), 300.0f);
    EXPECT_TRUE(analyser.programRunning()) << "the instrument never ends the programme itself";
}

TEST(SimulatedFurnace, RunsSegmentsInNumberOrderAndCoolsWhenStopped) {
    SimulatedAnalyser analyser;
    send(analyser, ProgramFrame(2, 150, 5, 2));  // loaded first, run second
    send(analyser, ProgramFrame(1, 100, 10, 1));
    send(analyser, ProgramStartFrame());
    runUntilMinute(analyser, 8.4);
    EXPECT_FLOAT_EQ(analyser.furnaceTemperatureC(), 100.0f) << "holding segment 1 for a minute";
    runUntilMinute(analyser, 13.5);
    EXPECT_NEAR(analyser.furnaceTemperatureC(), 125.0f, 0.05f) << "segment 2 at 5 ℃/min";
    runUntilMinute(analyser, 19.0);
    EXPECT_FLOAT_EQ(analyser.furnaceTemperatureC(), 150.0f);

    send(analyser, ProgramStopFrame());
    EXPECT_FALSE(analyser.programRunning());
    runUntilMinute(analyser, 20.0);
    EXPECT_GT(analyser.furnaceTemperatureC(), 140.0f) << "a furnace does not drop like a stone";
    EXPECT_LT(analyser.furnaceTemperatureC(), 148.0f) << "but it does cool";
    runUntilMinute(analyser, 100.0);
    EXPECT_GT(analyser.furnaceTemperatureC(), 25.0f);
    EXPECT_LT(analyser.furnaceTemperatureC(), 27.0f);
    send(analyser, ProgramStartFrame());
    const float before = analyser.furnaceTemperatureC();
    runUntilMinute(analyser, 110.0);
    EXPECT_FLOAT_EQ(analyser.furnaceTemperatureC(), before) << "the stop forgot the programme";
}

TEST(SimulatedDesorption, HeatingEmptiesTheSitesAsPeaksAtAFewHundredDegreesAndAdsorbingRefills) {
    SimulatedAnalyser analyser;
    for (const Command& command : {StartStream(), ProgramFrame(1, 600, 10, 5), ProgramStartFrame()}) {
        send(analyser, command);
    }
    StreamReader reader;
    double coldest = 0.0;  // largest desorption signal below 80 ℃
    for (long i = 0; i < periodsFor(60 * 60.0); ++i) {
        run(analyser, 1, &reader);
        if (analyser.furnaceTemperatureC() < 80.0f) {
            coldest = std::max(coldest, analyser.signalMv() - analyser.baselineMv());
        }
    }
    EXPECT_LT(coldest, 0.2) << "below 80 ℃ the sample holds on to its gas";
    const float baseline = reader.meanOf(0, 50);
    const std::vector<int32_t> peaks = reader.excursions(0, baseline, 5.0f, 1.0f);
    ASSERT_EQ(peaks.size(), 3u);
    for (int32_t apex : peaks) {
        while (apex + 1 < reader.points() && reader.point(apex + 1) > reader.point(apex) - 0.05f) ++apex;
        const float apexC = reader.pointTemperature(apex);
        EXPECT_GT(apexC, 100.0f);
        EXPECT_LT(apexC, 500.0f);
        EXPECT_GT(reader.point(apex) - baseline, 8.0f) << "at " << apexC << " ℃";
    }
    for (int site = 0; site < 3; ++site) EXPECT_LT(analyser.adsorbedCoverage(site), 0.01);
    InjectorPositions none;
    send(analyser, InjectorCommand(InjectorOperation::Adsorb, none));
    EXPECT_LT(analyser.adsorbedCoverage(1), 0.01) << "no position ticked: no pulse";
    InjectorPositions first;
    first.position[0] = true;
    send(analyser, InjectorCommand(InjectorOperation::Adsorb, first));
    for (int site = 0; site < 3; ++site) EXPECT_DOUBLE_EQ(analyser.adsorbedCoverage(site), 1.0);
}

class SimulatedPeaks : public ::testing::Test {
protected:
    SimulatedPeaks() { send(analyser, StartStream()); }

    SimulatedAnalyser analyser{11};
    StreamReader reader;
};

TEST_F(SimulatedPeaks, DesorptionGivesAPeakFarAboveTheNoise) {
    InjectorPositions second;
    second.position[1] = true;
    send(analyser, InjectorCommand(InjectorOperation::Adsorb, second));
    EXPECT_EQ(analyser.peaksTriggered(), 1) << "the uptake";
    run(analyser, periodsFor(400.0), &reader);
    const int32_t quiet = reader.points() / 2;
    const float baseline = reader.meanOf(quiet, reader.points());
    auto areaFrom = [&](int32_t from) { return (reader.meanOf(from, reader.points()) - baseline) * (reader.points() - from); };
    const double quietArea = areaFrom(quiet);

    const int32_t injected = reader.points();
    send(analyser, AutoDesorbStep(2));
    EXPECT_EQ(analyser.peaksTriggered(), 2);
    run(analyser, periodsFor(240.0), &reader);
    const float* signal = reader.chromatogram.signalMv();
    const auto apex = static_cast<int32_t>(std::max_element(signal + injected, signal + reader.points()) - signal);
    EXPECT_GT(reader.point(apex) - baseline, 15.0f);
    EXPECT_LT(reader.point(apex) - baseline, 60.0f);
    EXPECT_GT(apex - injected, 20 * 5) << "the gas needs its time to the detector";
    EXPECT_LT(apex - injected, 30 * 5);
    EXPECT_NEAR(reader.point(injected + 5 * 5), baseline, 0.1f) << "and nothing comes before it";
    EXPECT_GT(areaFrom(injected), 300.0);
    EXPECT_GT(areaFrom(injected), 100.0 * std::abs(quietArea));
    // The lines' mixing volumes give it a long exponential tail: a minute after the apex it is
    // still well above the noise, after four minutes back on the baseline.
    EXPECT_GT(reader.point(apex + 60 * 5) - baseline, 0.5f);
    EXPECT_NEAR(reader.point(reader.points() - 1), baseline, 0.1f) << "back on the baseline";
}

TEST_F(SimulatedPeaks, EveryTickedPositionTakesUpThenDesorbsAsItsOwnPeak) {
    InjectorPositions all;
    std::fill(std::begin(all.position), std::end(all.position), true);
    send(analyser, InjectorCommand(InjectorOperation::Desorb, all));
    EXPECT_EQ(analyser.peaksTriggered(), 0) << "nothing adsorbed, nothing to desorb";
    send(analyser, InjectorCommand(InjectorOperation::Adsorb, all));
    EXPECT_EQ(analyser.peaksTriggered(), 4);
    send(analyser, InjectorCommand(InjectorOperation::Adsorb, all));
    EXPECT_EQ(analyser.peaksTriggered(), 4) << "already loaded: no further uptake";
    run(analyser, periodsFor(1200.0), &reader);
    const float baseline = static_cast<float>(analyser.baselineMv());
    // The uptakes are dips below the baseline, one a position.
    StreamReader inverted;
    for (int32_t i = 0; i < reader.points(); ++i) inverted.chromatogram.appendReading(2 * baseline - reader.point(i), 0.0f);
    EXPECT_EQ(inverted.excursions(0, baseline, 8.0f, 2.0f).size(), 4u);
    EXPECT_TRUE(reader.excursions(0, baseline, 8.0f, 2.0f).empty());

    const int32_t desorbed = reader.points();
    send(analyser, InjectorCommand(InjectorOperation::Desorb, all));
    EXPECT_EQ(analyser.peaksTriggered(), 8);
    run(analyser, periodsFor(1200.0), &reader);
    EXPECT_EQ(reader.excursions(desorbed, baseline, 10.0f, 2.0f).size(), 4u);
}

TEST_F(SimulatedPeaks, CalibrationModeDosesEveryFourMinutesUntilMeasurement) {
    send(analyser, CalibrationOn());
    run(analyser, periodsFor(900.0), &reader);
    const float baseline = static_cast<float>(analyser.baselineMv());
    const std::vector<int32_t> loops = reader.excursions(0, baseline, 10.0f, 2.0f);
    ASSERT_EQ(loops.size(), 4u);
    EXPECT_LT(loops[0], 40 * 5) << "the first loop comes shortly after entering the mode";
    for (size_t i = 1; i < loops.size(); ++i) EXPECT_NEAR(loops[i] - loops[i - 1], 240 * 5, 15);
    send(analyser, MeasureOn());
    const int32_t measuring = reader.points();
    run(analyser, periodsFor(300.0), &reader);
    EXPECT_TRUE(reader.excursions(measuring, baseline, 10.0f, 2.0f).empty());
}

// The instrument's peaks are what the recogniser's default settings were made for: a BET
// measurement on the simulator, zeroed as the program zeroes at the start of each mode, finds
// every calibration loop and every desorption, each once, and no adsorption dip.
TEST(SimulatedPeaksAndTheRecogniser, TheDefaultSettingsFindLoopsAndDesorptionsButNoUptake) {
    SimulatedAnalyser analyser(7);
    StreamReader reader;
    Chromatogram& trace = reader.chromatogram;
    auto table = std::make_unique<PeakTable>();
    PeakDetector detector;
    auto enter = [&](const Command& command) {
        while (trace.takeOverPoint()) {
        }
        trace.zeroSignal();
        detector.restart();
        send(analyser, command);
    };
    // Each point stepped in turn; the recognised peaks' widths in 100-point blocks.
    auto runFor = [&](double seconds) {
        std::vector<int32_t> widths;
        for (long i = 0; i < periodsFor(seconds); ++i) {
            run(analyser, 1, &reader);
            while (trace.takeOverPoint()) {
                if (detector.step(trace.signalMv(), trace.shownCount(), kFirstStartPeakSettings, *table, false)) {
                    widths.push_back((detector.peakEnd() - detector.peakStart()) / kIntegrationBlock);
                }
            }
        }
        return widths;
    };
    send(analyser, StartStream());
    runFor(30.0);

    enter(CalibrationOn());
    const std::vector<int32_t> loops = runFor(700.0);  // loops at 30, 270 and 510 s
    ASSERT_EQ(loops.size(), 3u);
    for (int32_t w : loops) {
        EXPECT_GE(w, kFirstStartPeakSettings.minWidth + 1) << "with room to spare";
        EXPECT_LE(w, 15);
    }
    const int32_t loopArea = table->records[0].area;
    EXPECT_NEAR(table->records[2].area, loopArea, loopArea / 10);

    enter(MeasureOn());
    InjectorPositions first;
    first.position[0] = true;
    send(analyser, InjectorCommand(InjectorOperation::Adsorb, first));
    EXPECT_TRUE(runFor(400.0).empty()) << "the uptake's recovery is no peak";
    send(analyser, InjectorCommand(InjectorOperation::Desorb, first));
    const std::vector<int32_t> desorbed = runFor(300.0);
    ASSERT_EQ(desorbed.size(), 1u);
    EXPECT_GE(desorbed[0], kFirstStartPeakSettings.minWidth + 1);
    // 30 mV against the loop's 40, alike in shape.
    EXPECT_NEAR(table->records[3].area, loopArea * 3 / 4, loopArea / 10);
}

TEST(SimulatedGasPath, FlowsLagBehindTheirSetpointsAndValvesBlipTheDetector) {
    SimulatedAnalyser analyser;
    EXPECT_FLOAT_EQ(analyser.measuredFlow(1), 30.0f);
    send(analyser, FlowFrame(1, 1, 80));
    run(analyser, periodsFor(3.0));
    EXPECT_NEAR(analyser.measuredFlow(1), 30.0f + 50.0f * (1.0f - std::exp(-1.0f)), 1.5f) << "one time constant";
    run(analyser, periodsFor(20.0));
    EXPECT_NEAR(analyser.measuredFlow(1), 80.0f, 0.1f);
    EXPECT_FLOAT_EQ(analyser.measuredFlow(2), 30.0f);

    send(analyser, ValveFrame(3, true));
    EXPECT_LT(analyser.signalMv() - analyser.baselineMv(), -0.3);
    run(analyser, periodsFor(15.0));
    const double settled = analyser.signalMv();
    EXPECT_NEAR(settled - analyser.baselineMv(), 0.0, 1e-3);
    send(analyser, ValveFrame(3, true));
    EXPECT_DOUBLE_EQ(analyser.signalMv(), settled) << "already on: nothing moves";
}

}  // namespace
}  // namespace vespian::sim
