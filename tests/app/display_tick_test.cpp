#include "app/display_tick.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "link/link_watchdog.h"
#include "support/trace_views.h"
#include "trace/chromatogram.h"
#include "trace/trace_view.h"

namespace vespian {
namespace {

using testing::viewWithPlot;

// A hand-over that records what it was given and answers as told.
class RecordingHandOver final : public PeakHandOver {
public:
    PeakHandOverResult handOver(const PeakHandOverContext& c) override {
        calls.push_back({c.firstNew, c.endNew, c.measureMode, c.analysisMethod, c.manualPickPending});
        return answer;
    }
    struct Call {
        int32_t firstNew, endNew;
        MeasureMode mode;
        AnalysisMethod method;
        bool pickPending;
    };
    std::vector<Call> calls;
    PeakHandOverResult answer;
};

class DisplayTickTest : public ::testing::Test {
protected:
    // `n` more points at `mv`, 25 ℃.
    void arrive(int n, float mv = 0.5f) {
        for (int i = 0; i < n; ++i) trace->appendReading(mv, 25.0f);
    }
    DisplayTickResult tick(const DisplayTickInput& input = {}) { return ticker.tick(*trace, view, watchdog, input); }

    std::unique_ptr<Chromatogram> trace = std::make_unique<Chromatogram>();
    TraceView view = viewWithPlot(600, 400, 600);
    LinkWatchdog watchdog;
    DisplayTick ticker;
};

TEST_F(DisplayTickTest, NothingNewDoesNothing) {
    const DisplayTickResult r = tick();
    EXPECT_FALSE(r.newPoints);
    EXPECT_FALSE(r.timeText.has_value());
    EXPECT_FALSE(r.scrolled);
    EXPECT_FALSE(r.peakStepRan);
}

TEST_F(DisplayTickTest, NewPointsAreTakenOverAndTheStatusTextsFollowTheNewest) {
    for (int k = 0; k < 15; ++k) watchdog.tick();
    arrive(11, -0.999f);  // 11 readings fill 10 slots
    const DisplayTickResult r = tick();
    EXPECT_TRUE(r.newPoints);
    EXPECT_EQ(r.firstNew, 0);
    EXPECT_EQ(r.endNew, 10);
    EXPECT_EQ(trace->shownCount(), 10);
    EXPECT_EQ(watchdog.silentTicks(), 0);
    EXPECT_EQ(r.timeText, " 时间: 00:00:02");
    EXPECT_EQ(r.signalText, "电压:-999 (uV)");
    EXPECT_EQ(r.temperatureText, "温度:25.0");
    arrive(5);
    const DisplayTickResult next = tick();
    EXPECT_EQ(next.firstNew, 10);
    EXPECT_EQ(next.endNew, 15);
}

// A run of 5 × the time range taken over tick by tick: the newest point is always in the plot,
// and the scroll range always covers the trace.
TEST_F(DisplayTickTest, TheViewFollowsARunLongerThanTheTimeRange) {
    const PixelRect plot = plotRect(view);
    int scrolls = 0;
    while (trace->pointCount() < 5 * 3000) {
        const int32_t before = trace->pointCount();
        while (trace->pointCount() == before) arrive(1);  // a reading now and then stays in its slot
        const DisplayTickResult r = tick();
        ASSERT_TRUE(r.newPoints);
        if (r.scrolled) ++scrolls;
        const int32_t newest = trace->shownCount() - 1;
        const int32_t x = pointTransform(view).screenX(newest);
        ASSERT_GE(x, view.xOrigin);
        ASSERT_LT(x, plot.right) << newest;
        ASSERT_GE(view.hMax, pointTransform(view).xv(newest) - view.visibleWidth);
    }
    // Each scroll puts the newest point three quarters across; the next comes when it has run
    // the last quarter (150 pixels, 750 points): some 17 scrolls in 15,000 points.
    EXPECT_GE(scrolls, 15);
    EXPECT_GT(view.hScroll, 2400);
}

TEST_F(DisplayTickTest, NoScrollWhileTheOperatorLooksElsewhere) {
    arrive(3500);  // beyond the first range
    DisplayTickInput input;
    input.manualPeakTool = true;
    EXPECT_FALSE(tick(input).scrolled);
    EXPECT_EQ(view.hScroll, 0);
    EXPECT_GT(view.hMax, 0);  // but the range covers the trace
    arrive(10);
    input.manualPeakTool = false;
    input.traceViewShown = false;
    EXPECT_FALSE(tick(input).scrolled);
    view.autoScroll = 0;
    arrive(10);
    EXPECT_FALSE(tick().scrolled);
    view.autoScroll = 1;
    arrive(10);
    EXPECT_TRUE(tick().scrolled);
}

TEST_F(DisplayTickTest, ACutShortensTheRangeEvenWithoutNewPoints) {
    arrive(9000);
    tick();
    const int64_t longRange = view.hMax;
    trace->deleteStretch(0, 8000);
    const DisplayTickResult r = tick();
    EXPECT_FALSE(r.newPoints);
    EXPECT_TRUE(r.rangeChanged);
    EXPECT_LT(view.hMax, longRange);
}

// Step 6 runs only while measuring or calibrating, and only on new points.
TEST_F(DisplayTickTest, ThePeakHandOverGetsTheNewPointsWhileMeasuring) {
    RecordingHandOver handOver;
    handOver.answer.messages.push_back({"警告", "数据缓冲区已满,请将要保存的数据保存后关闭对话框!!!", PromptIcon::Error});
    handOver.answer.dialogs.push_back(164);
    ticker.setPeakHandOver(&handOver);
    arrive(20);
    EXPECT_FALSE(tick().peakStepRan);  // idle
    DisplayTickInput measuring;
    measuring.measureMode = MeasureMode::Measuring;
    measuring.analysisMethod = AnalysisMethod::Bet;
    measuring.manualPickPending = true;
    EXPECT_FALSE(tick(measuring).peakStepRan);  // nothing new
    arrive(6);
    const DisplayTickResult r = tick(measuring);
    EXPECT_TRUE(r.peakStepRan);
    ASSERT_EQ(handOver.calls.size(), 1u);
    EXPECT_EQ(handOver.calls[0].firstNew, 19);
    EXPECT_EQ(handOver.calls[0].endNew, 25);
    EXPECT_EQ(handOver.calls[0].mode, MeasureMode::Measuring);
    EXPECT_EQ(handOver.calls[0].method, AnalysisMethod::Bet);
    EXPECT_TRUE(handOver.calls[0].pickPending);
    ASSERT_EQ(r.peaks.messages.size(), 1u);
    EXPECT_EQ(r.peaks.dialogs, std::vector<int32_t>{164});
    DisplayTickInput calibrating;
    calibrating.measureMode = MeasureMode::Calibrating;
    arrive(3);
    EXPECT_TRUE(tick(calibrating).peakStepRan);
    EXPECT_EQ(handOver.calls.size(), 2u);
    ticker.setPeakHandOver(nullptr);
    arrive(3);
    EXPECT_FALSE(tick(calibrating).peakStepRan);
}

// At the capacity the trace takes no more points: said once, and the watchdog rests instead of
// reconnecting every 2.1 s, until the trace has room again.
TEST_F(DisplayTickTest, AFullTraceIsSaidOnceAndTheWatchdogRests) {
    std::vector<float> values(static_cast<size_t>(kLastPointIndex) - 1, 0.25f);
    trace->replace(values.data(), values.data(), kLastPointIndex - 1);
    while (trace->pointCount() < kLastPointIndex) trace->appendReading(0.3f, 30.0f);
    trace->appendReading(0.4f, 31.0f);  // overwrites the last slot
    DisplayTickResult r = tick();
    EXPECT_TRUE(r.newPoints);
    EXPECT_TRUE(r.traceFullNotice);
    EXPECT_TRUE(ticker.traceFull());
    // The far end is in view.
    EXPECT_LT(pointTransform(view).screenX(kLastPointIndex - 1), plotRect(view).right);
    for (int k = 0; k < 100; ++k) {
        trace->appendReading(0.4f, 31.0f);
        r = tick();
        EXPECT_FALSE(r.newPoints);
        EXPECT_FALSE(r.traceFullNotice);
        EXPECT_FALSE(watchdogTick(watchdog, *trace)) << k;  // 10 s of silence: no reconnect
    }
    trace->clearTrace();
    r = tick();
    EXPECT_FALSE(ticker.traceFull());
    int reconnects = 0;
    for (int k = 0; k < 21; ++k) reconnects += watchdogTick(watchdog, *trace) ? 1 : 0;
    EXPECT_EQ(reconnects, 1);  // silent with room: the watchdog works again
}

}  // namespace
}  // namespace vespian
