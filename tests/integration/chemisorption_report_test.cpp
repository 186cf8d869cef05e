// One chemisorption test from the instrument to the report file. A TPD on the simulated analyser:
// the furnace programme goes out as the program's frames through the instrument link, the
// detector and temperature frames come back into the trace; the operator takes one desorption
// peak as the quantitative peak (0.5 ml), picks the next one by hand and applies it as
// "样品", marks its Tm in the report's chart, saves the report, opens it again and saves it
// once more: the same bytes. And a measurement in the comparison method: the display tick's
// recogniser, with its default settings, hands the TPD's desorption peaks to the
// quantitative-peak window, which takes exactly the recognised stretch.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "analysis/tp_report.h"
#include "files/peak_application.h"
#include "files/test_report.h"
#include "files/test_report_commands.h"
#include "files/test_report_file.h"
#include "link/command_set.h"
#include "link/instrument_link.h"
#include "sim/simulator_driver.h"
#include "sim/stream_reader.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "trace/chromatogram.h"
#include "trace/manual_peak.h"
#include "trace/peak_hand_over.h"
#include "trace/quant_peak.h"

namespace vespian {
namespace {

using Clock = std::chrono::steady_clock;
using testing::ScriptedPrompts;
using testing::TestFolder;

bool waitFor(const std::function<bool()>& condition, std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!condition() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

// The first point at or above `celsius` from `from` on, or −1.
int32_t firstAtOrAbove(const Chromatogram& trace, float celsius, int32_t from) {
    for (int32_t i = from; i < trace.shownCount(); ++i) {
        if (trace.temperatureC()[i] >= celsius) return i;
    }
    return -1;
}

bool sameFiles(const std::string& a, const std::string& b) {
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    std::vector<char> ba(1 << 20), bb(1 << 20);
    while (fa && fb) {
        fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
        fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
        if (fa.gcount() != fb.gcount() || std::memcmp(ba.data(), bb.data(), static_cast<size_t>(fa.gcount())) != 0) {
            return false;
        }
    }
    return !fa && !fb;
}

TEST(ChemisorptionReport, TpdFromTheSimulatorToAReportFileThatReopensAsTheSameBytes) {
    // The furnace heats from 25 to 400 ℃ at 20 ℃/min: 18.75 minutes, about 5600 points.
    sim::SimulatorDriver driver(sim::SimulatorOptions{31, 0.0});
    auto trace = std::make_unique<Chromatogram>();
    InstrumentReadings readings;
    InstrumentLink link(driver, *trace, readings);
    ASSERT_TRUE(link.open());
    link.start();
    link.send(ProgramFrame(1, 400, 20, 0));
    link.send(ProgramStartFrame());
    ASSERT_TRUE(waitFor([&] { return driver.analyser().programRunning(); }, std::chrono::seconds(10)));
    ASSERT_TRUE(waitFor([&] { return readings.temperatureC.load() >= 399.5f; }, std::chrono::seconds(120)));
    link.close();
    while (trace->takeOverPoint()) {
    }
    ASSERT_GT(trace->shownCount(), 5000);

    // The sites desorb near 150 and 290 ℃ at this rate: the first as the quantitative peak, the
    // second as the sample, each picked by hand between the temperatures around it.
    const int32_t quantStart = firstAtOrAbove(*trace, 90.0f, 0);
    const int32_t quantEnd = firstAtOrAbove(*trace, 205.0f, quantStart);
    const int32_t sampleStart = quantEnd;
    const int32_t sampleEnd = firstAtOrAbove(*trace, 370.0f, sampleStart);
    ASSERT_GT(quantStart, 0);
    ASSERT_GT(sampleEnd, sampleStart);

    ManualPeakPick pick;
    PeakDetector detector;
    auto quant = std::make_unique<QuantPeak>();
    completeManualPick(quantEnd, quantStart, trace->shownCount(), pick, detector);  // clicked right to left
    ASSERT_EQ(applyToAction(ApplyToButton::Ok, PeakUse::Quantitative), ApplyToAction::OpenQuantWindow);
    quant->take(trace->signalMv(), pick.start, pick.end);
    closeQuantWindow(*quant, quantWindowTexts(*quant).volume);  // the shown volume, then typed over
    closeQuantWindow(*quant, "0.5");
    ASSERT_GT(quant->area, 0.0f);

    completeManualPick(sampleStart, sampleEnd, trace->shownCount(), pick, detector);
    auto report = std::make_unique<TestReport>();
    report->applyStartDefaults();
    ASSERT_EQ(applyToAction(ApplyToButton::Ok, PeakUse::Sample), ApplyToAction::ApplySample);
    const SampleApplication applied = applySampleStretch(*report, *trace, pick.start, pick.end, *quant);
    EXPECT_EQ(applied.reportPointCount, sampleEnd - sampleStart);
    EXPECT_GT(applied.area, 0.0f);
    EXPECT_FLOAT_EQ(applied.amountMl, applied.area / quant->area * 0.5f);

    // The operator clicks the chart at the top of the peak.
    const TestReportHeader& h = report->header();
    int32_t top = 0;
    for (int32_t i = 0; i < h.reportPointCount; ++i) {
        if (report->signalMv()[i] > report->signalMv()[top]) top = i;
    }
    const int32_t x = static_cast<int32_t>(static_cast<int64_t>(top) * kReportChartWidth / h.reportPointCount);
    ASSERT_TRUE(pickTm(*report, x));
    EXPECT_NEAR(h.tmIndices[0], top, h.reportPointCount / kReportChartWidth + 1);
    EXPECT_NEAR(h.tmValues[0], 290.0f, 25.0f);
    TpReportTexts typed = tpReportTexts(h);
    typed.common.sampleName = "NH3-TPD 样品";
    typed.common.weight = "0.1000";
    typed.rampRate = "20";
    typed.upperTemp = "400";
    readBackTpReport(typed, report->header());

    TestFolder folder("chemisorption");
    ScriptedPrompts prompts;
    ReportLocation location = startReportLocation(folder.path().string());
    prompts.chooseFile(folder.file("tpd"));
    ASSERT_TRUE(saveReportAs(prompts, *report, location));
    const std::string saved = folder.file("tpd.care");
    EXPECT_EQ(location.currentPath, saved);
    EXPECT_EQ(std::filesystem::file_size(saved), kTestReportBytes);

    auto reopened = std::make_unique<TestReport>();
    prompts.chooseFile(saved);
    ASSERT_TRUE(openReport(prompts, *reopened, location));
    EXPECT_EQ(std::memcmp(&reopened->header(), &report->header(), kTestReportHeaderBytes), 0);
    EXPECT_EQ(std::memcmp(reopened->signalMv(), report->signalMv(), sizeof(float) * (h.reportPointCount + 1)), 0);
    EXPECT_EQ(reopened->header().tmValues[0], h.tmValues[0]);

    location.currentPath = folder.file("again.care");
    ASSERT_TRUE(quickWriteReport(prompts, *reopened, location));
    EXPECT_TRUE(sameFiles(saved, folder.file("again.care")));
    EXPECT_TRUE(prompts.scriptUsedUp());
    EXPECT_EQ(prompts.unscripted(), 0);
}

TEST(ChemisorptionReport, AnAutomaticPeakInTheComparisonMethodReachesTheQuantitativePeakWindow) {
    // Ten seconds of baseline, the signal zeroed as the start of a measurement does, then a TPD
    // to 500 ℃ at 20 ℃/min; the recogniser runs with the default settings.
    sim::SimulatedAnalyser analyser(23);
    auto reader = std::make_unique<sim::testing::StreamReader>();
    sim::testing::send(analyser, StartStream());
    sim::testing::run(analyser, sim::testing::periodsFor(10.0), reader.get());
    Chromatogram& trace = reader->chromatogram;
    while (trace.takeOverPoint()) {
    }
    trace.zeroSignal();
    const int32_t zeroed = trace.shownCount();
    sim::testing::send(analyser, ProgramFrame(1, 500, 20, 0));
    sim::testing::send(analyser, ProgramStartFrame());
    sim::testing::run(analyser, sim::testing::periodsFor(25 * 60.0), reader.get());

    // The display tick, replayed: one new point a tick, measuring in the comparison method.
    auto table = std::make_unique<PeakTable>();
    PeakDetector detector;
    PeakHandOverRules rules;
    PeakTickInput input;
    input.measureMode = kMeasureModeMeasuring;
    input.analysisMethod = kAnalysisComparison;
    input.newPoints = true;
    std::vector<PeakTickOutcome> handed;
    while (trace.takeOverPoint()) {
        PeakTickOutcome out = rules.tick(input, trace, kPeakSettingsPreset, *table, detector);
        if (out.openDialog != 0 || out.refreshQuantWindow) {
            handed.push_back(out);
            input.quantWindowOpen = true;  // the window stays open for the next peaks
        }
    }
    ASSERT_GE(handed.size(), 2u);
    EXPECT_EQ(handed[0].openDialog, kQuantPeakWindowTemplate);
    EXPECT_TRUE(handed[0].peakRecognised);
    EXPECT_EQ(handed[1].openDialog, 0);
    EXPECT_TRUE(handed[1].refreshQuantWindow);
    EXPECT_EQ(table->count, static_cast<int32_t>(handed.size()));

    // The first peak holds the top of the low-temperature site (near 150 ℃ at this rate).
    const PeakTickOutcome& first = handed[0];
    EXPECT_GT(first.peakStart, zeroed);
    int32_t top = first.peakStart;
    for (int32_t i = first.peakStart; i <= first.peakEnd; ++i) {
        if (trace.signalMv()[i] > trace.signalMv()[top]) top = i;
    }
    EXPECT_GT(top, first.peakStart + 100);
    EXPECT_LT(top, first.peakEnd - 100);
    EXPECT_GE(first.peakEnd - first.peakStart, 500);  // at least the default five blocks
    auto record = std::make_unique<PeakRecord>();
    integratePeak(trace.signalMv(), first.peakStart, first.peakEnd, *record);
    EXPECT_EQ(table->records[0].area, record->area);
    EXPECT_GT(record->area, 0);

    // The window takes the recognised stretch.
    auto quant = std::make_unique<QuantPeak>();
    quant->take(trace.signalMv(), first.peakStart, first.peakEnd);
    EXPECT_EQ(quant->lastIndex, first.peakEnd - first.peakStart);
    EXPECT_EQ(quant->area, stretchArea(trace.signalMv(), first.peakStart, first.peakEnd));
    EXPECT_GT(quant->area, 0.0f);
    const QuantWindowTexts texts = quantWindowTexts(*quant);
    EXPECT_EQ(texts.area, std::to_string(static_cast<int64_t>(std::lround(quant->area))));
    // Closing it empties the table the "buffer full" warning asks the operator to free.
    closeHandedOverQuantWindow(*table);
    EXPECT_EQ(table->count, 0);
}

}  // namespace
}  // namespace vespian
