#include "trace/peak_hand_over.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "trace/chromatogram.h"
#include "trace/manual_peak.h"

namespace vespian {
namespace {

PeakSettings thresholds() {
    PeakSettings s = kPeakSettingsPreset;
    s.minWidth = 0;
    return s;
}

// A trace whose newest shown point closes a clean peak: flat 0, a peak of 5000 µV from 300 to
// 700, flat again until `shown`.
class HandOverTest : public ::testing::Test {
protected:
    HandOverTest() : trace(std::make_unique<Chromatogram>()), table(std::make_unique<PeakTable>()) {
        signal.assign(2000, 0.0f);
        for (int32_t i = 300; i <= 350; ++i) signal[i] = static_cast<float>(i - 300) * 0.1f;
        for (int32_t i = 350; i < 700; ++i) signal[i] = 5.0f * static_cast<float>(700 - i) / 350.0f;
        temperature.assign(2000, 100.0f);
    }

    void show(int32_t n) { trace->replace(signal.data(), temperature.data(), n); }

    // Ticks with one more shown point each until something is handed over or the trace ends.
    PeakTickOutcome tickUntilPeak(PeakTickInput input) {
        input.newPoints = true;
        for (int32_t n = 1; n <= 2000; ++n) {
            show(n);
            PeakTickOutcome out = rules.tick(input, *trace, thresholds(), *table, detector);
            if (out.peakEnd != 0 || !out.messages.empty() || table->count > 0) return out;
        }
        return {};
    }

    std::vector<float> signal;
    std::vector<float> temperature;
    std::unique_ptr<Chromatogram> trace;
    std::unique_ptr<PeakTable> table;
    PeakDetector detector;
    PeakHandOverRules rules;
};

TEST_F(HandOverTest, OnlyWhileMeasuringOrCalibratingAndOnlyOnNewPoints) {
    PeakTickInput input;
    input.measureMode = 0;
    EXPECT_EQ(tickUntilPeak(input).openDialog, 0);
    EXPECT_EQ(table->count, 0);
    EXPECT_FALSE(detector.inPeak());

    input.measureMode = kMeasureModeMeasuring;
    input.newPoints = false;
    show(2000);
    const PeakTickOutcome idle = rules.tick(input, *trace, thresholds(), *table, detector);
    EXPECT_FALSE(idle.ran);
}

TEST_F(HandOverTest, ComparisonMethodOpensTheQuantitativePeakWindowOnceThenRefreshesIt) {
    PeakTickInput input;
    input.measureMode = kMeasureModeMeasuring;
    input.analysisMethod = kAnalysisComparison;
    const PeakTickOutcome first = tickUntilPeak(input);
    EXPECT_TRUE(first.ran);
    EXPECT_EQ(first.openDialog, kQuantPeakWindowTemplate);
    EXPECT_TRUE(first.peakRecognised);
    EXPECT_FALSE(first.refreshQuantWindow);
    EXPECT_EQ(first.peakStart, detector.peakStart());
    EXPECT_LT(first.peakStart, 300);
    EXPECT_GT(first.peakEnd, 700);
    EXPECT_EQ(table->count, 1);

    table->clear();
    detector.reset();
    input.quantWindowOpen = true;
    const PeakTickOutcome second = tickUntilPeak(input);
    EXPECT_EQ(second.openDialog, 0);
    EXPECT_TRUE(second.refreshQuantWindow);
    EXPECT_TRUE(second.peakRecognised);
}

TEST_F(HandOverTest, AHalfDoneManualPickKeepsThePeakInTheTable) {
    PeakTickInput input;
    input.measureMode = kMeasureModeMeasuring;
    input.manualPickPending = true;
    const PeakTickOutcome out = tickUntilPeak(input);
    EXPECT_EQ(table->count, 1);  // recorded
    EXPECT_EQ(out.openDialog, 0);  // but not handed over
    EXPECT_FALSE(out.peakRecognised);
}

TEST_F(HandOverTest, BetMethodAsksTheRecordThenOpensThePointOrCalibrationDialog) {
    PeakTickInput input;
    input.measureMode = kMeasureModeMeasuring;
    input.analysisMethod = kAnalysisBet;
    input.betPointRefusal = {"提示", "请先标定吸附量！！！", PromptIcon::Information};
    PeakTickOutcome out = tickUntilPeak(input);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].caption, "提示");
    EXPECT_EQ(out.messages[0].text, "请先标定吸附量！！！");
    EXPECT_EQ(out.messages[0].icon, PromptIcon::Information);
    EXPECT_EQ(out.openDialog, 0);
    EXPECT_FALSE(out.peakRecognised);
    EXPECT_EQ(table->count, 0) << "the refused peak must not become the next point's";
    input.betPointRefusal = {};

    struct Case {
        int32_t mode;
        bool dialogOpen;
        int32_t expected;
    };
    for (const Case c : {Case{kMeasureModeMeasuring, false, kBetPointDialogTemplate},
                         Case{kMeasureModeCalibrating, false, kCalibrationDialogTemplate},
                         Case{kMeasureModeCalibrating, true, 0}}) {
        table->clear();
        detector.reset();
        input.measureMode = c.mode;
        input.peakDialogOpen = c.dialogOpen;
        out = tickUntilPeak(input);
        EXPECT_TRUE(out.messages.empty());
        EXPECT_EQ(out.openDialog, c.expected) << c.mode;
        EXPECT_EQ(table->count, 1);
    }
}

// A busy window, or the simulator at twenty times, takes over several points a tick: each is
// stepped, so the same peak is found as with one point a tick.
TEST_F(HandOverTest, EveryTakenOverPointIsSteppedWhateverTheTicksTake) {
    PeakTickInput input;
    input.measureMode = kMeasureModeCalibrating;
    input.analysisMethod = kAnalysisBet;
    const PeakTickOutcome single = tickUntilPeak(input);
    ASSERT_EQ(single.openDialog, kCalibrationDialogTemplate);
    for (const int32_t perTick : {10, 37, 2000}) {
        SCOPED_TRACE(perTick);
        table->clear();
        detector.reset();
        PeakTickOutcome handed;
        for (int32_t n = perTick; n <= 2000 && handed.openDialog == 0; n += perTick) {
            show(n);
            input.newPoints = perTick;
            handed = rules.tick(input, *trace, thresholds(), *table, detector);
        }
        EXPECT_EQ(handed.openDialog, kCalibrationDialogTemplate);
        EXPECT_EQ(handed.peakStart, single.peakStart);
        EXPECT_EQ(handed.peakEnd, single.peakEnd);
        EXPECT_EQ(handed.peakRecord, 0);
    }
}

// Calibrating, then measuring: the calibration peak under way at the change never arrives as a
// point, and what the table held is gone.
TEST_F(HandOverTest, ARestartDropsThePeakUnderWayAndEmptiesTheTable) {
    PeakTickInput input;
    input.measureMode = kMeasureModeCalibrating;
    input.analysisMethod = kAnalysisBet;
    input.newPoints = 1;
    for (int32_t n = 1; n <= 400; ++n) {  // into the peak's fall
        show(n);
        ASSERT_EQ(rules.tick(input, *trace, thresholds(), *table, detector).openDialog, 0);
    }
    table->count = 3;
    rules.restart(*table, detector);
    EXPECT_EQ(table->count, 0);
    input.measureMode = kMeasureModeMeasuring;
    for (int32_t n = 401; n <= 2000; ++n) {
        show(n);
        const PeakTickOutcome out = rules.tick(input, *trace, thresholds(), *table, detector);
        ASSERT_EQ(out.openDialog, 0) << n;
        ASSERT_TRUE(out.messages.empty());
    }
    EXPECT_EQ(table->count, 0);
    EXPECT_FALSE(detector.inPeak());
}

TEST_F(HandOverTest, AFullTableIsToldOnceUntilItHasRoomAgain) {
    table->count = kPeakTableCapacity;
    PeakTickInput input;
    input.measureMode = kMeasureModeCalibrating;
    input.newPoints = true;
    show(2000);
    // The signal at the end of the trace would open a peak; a full table runs no detection.
    signal[1999] = 1.0f;
    show(2000);
    PeakTickOutcome out = rules.tick(input, *trace, thresholds(), *table, detector);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].caption, "警告");
    EXPECT_EQ(out.messages[0].text, "数据缓冲区已满,请将要保存的数据保存后关闭对话框!!!");
    EXPECT_EQ(out.messages[0].icon, PromptIcon::Error);
    EXPECT_FALSE(out.ran);
    EXPECT_FALSE(detector.inPeak());
    for (int i = 0; i < 5; ++i) {
        out = rules.tick(input, *trace, thresholds(), *table, detector);
        EXPECT_TRUE(out.messages.empty());
        EXPECT_FALSE(out.ran);
    }
    // The dialog emptied it: detection resumes, and the next filling is told again.
    table->clear();
    out = rules.tick(input, *trace, thresholds(), *table, detector);
    EXPECT_TRUE(out.ran);
    EXPECT_FALSE(rules.fullNoticeGiven());
    table->count = kPeakTableCapacity;
    out = rules.tick(input, *trace, thresholds(), *table, detector);
    EXPECT_EQ(out.messages.size(), 1u);
}

TEST(ManualPeak, TheSecondClickSortsClampsAndWritesBothStretches) {
    ManualPeakPick pick;
    PeakDetector detector;
    completeManualPick(900, 120, 1000, pick, detector);
    EXPECT_TRUE(pick.picked);
    EXPECT_EQ(pick.start, 120);
    EXPECT_EQ(pick.end, 900);
    EXPECT_EQ(detector.peakStart(), 120);
    EXPECT_EQ(detector.peakEnd(), 900);

    completeManualPick(-5, 5000, 1000, pick, detector);
    EXPECT_EQ(pick.start, 0);
    EXPECT_EQ(pick.end, 1000);  // a click maps to at most the shown count
}

}  // namespace
}  // namespace vespian
