#include "trace/chromatogram.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace vespian {
namespace {

// Appends readings whose signal and temperature both carry the reading's number.
void appendNumbered(Chromatogram& c, int count, int firstNumber = 0) {
    for (int k = 0; k < count; ++k) c.appendReading(static_cast<float>(firstNumber + k), static_cast<float>(firstNumber + k));
}

void takeOverAll(Chromatogram& c) {
    while (c.takeOverPoint()) {
    }
}

TEST(ChromatogramIndex, FirstTwoReadingsShareSlotZeroAndTheClockStallsAt102) {
    Chromatogram c;
    c.appendReading(1.0f, 20.0f);
    EXPECT_EQ(c.pointCount(), 0);  // clock 1 × 0.990181 truncates to 0
    c.appendReading(2.0f, 21.0f);
    EXPECT_EQ(c.pointCount(), 1);
    EXPECT_EQ(c.signalMv()[0], 2.0f);  // the second reading overwrote the first
    EXPECT_EQ(c.temperatureC()[0], 21.0f);

    appendNumbered(c, 99);  // clock 101
    EXPECT_EQ(c.pointCount(), 100);
    c.appendReading(0.0f, 0.0f);  // clock 102: 100.998 truncates to 100 again
    EXPECT_EQ(c.pointCount(), 100);
    EXPECT_EQ(c.sampleClock(), 102.0f);
    c.appendReading(0.0f, 0.0f);
    EXPECT_EQ(c.pointCount(), 101);
}

TEST(ChromatogramIndex, CapacityStopsAtTheLastSlotAndOverwritesIt) {
    Chromatogram c;
    std::vector<float> zeros(kLastPointIndex - 1, 0.0f);
    c.replace(zeros.data(), zeros.data(), kLastPointIndex - 1);
    c.appendReading(1.0f, 1.0f);
    c.appendReading(2.0f, 2.0f);
    EXPECT_EQ(c.pointCount(), kLastPointIndex);
    c.appendReading(3.0f, 30.0f);
    c.appendReading(4.0f, 40.0f);
    EXPECT_EQ(c.pointCount(), kLastPointIndex);  // the index never reaches the capacity
    EXPECT_EQ(c.signalMv()[kLastPointIndex], 4.0f);
    EXPECT_EQ(c.temperatureC()[kLastPointIndex], 40.0f);
}

TEST(ChromatogramOffset, ZeroingAndRestoring) {
    Chromatogram c;
    c.zeroSignal();  // nothing shown yet: the offset stays
    EXPECT_EQ(c.zeroOffsetMv(), 0.0f);

    c.appendReading(2.5f, 0.0f);
    c.appendReading(2.5f, 0.0f);
    takeOverAll(c);
    c.zeroSignal();
    EXPECT_EQ(c.zeroOffsetMv(), 2.5f);
    c.appendReading(3.0f, 0.0f);
    EXPECT_EQ(c.signalMv()[1], 0.5f);
    EXPECT_EQ(c.signalMv()[0], 2.5f);  // stored points keep their values

    // A second zeroing adds the newest shown (already relative) value: the level stays put.
    c.appendReading(2.5f, 0.0f);
    takeOverAll(c);
    c.zeroSignal();
    EXPECT_EQ(c.zeroOffsetMv(), 2.5f);

    c.restoreSignal();
    EXPECT_EQ(c.zeroOffsetMv(), 0.0f);
    EXPECT_EQ(c.signalMv()[1], 0.5f);
}

TEST(ChromatogramEdits, ReversePolarityNegatesOnlyShownPoints) {
    Chromatogram c;
    appendNumbered(c, 6, 1);  // clock 6 -> 5 points
    takeOverAll(c);
    ASSERT_EQ(c.shownCount(), 5);
    c.appendReading(10.0f, 0.0f);
    c.appendReading(11.0f, 0.0f);  // slot 5 and 6 arrive but are not taken over
    c.reversePolarity();
    EXPECT_EQ(c.signalMv()[0], -2.0f);
    EXPECT_EQ(c.signalMv()[4], -6.0f);
    EXPECT_EQ(c.signalMv()[5], 10.0f);
    c.appendReading(12.0f, 0.0f);
    EXPECT_EQ(c.signalMv()[c.pointCount() - 1], 12.0f);  // later readings keep the polarity
}

TEST(ChromatogramEdits, ClearRestartsAtSlotZeroWithTheClock) {
    Chromatogram c;
    appendNumbered(c, 50);
    takeOverAll(c);
    c.clearTrace();
    EXPECT_EQ(c.pointCount(), 0);
    EXPECT_EQ(c.shownCount(), 0);
    EXPECT_EQ(c.sampleClock(), 0.0f);
    c.appendReading(7.0f, 0.0f);
    c.appendReading(8.0f, 0.0f);
    EXPECT_EQ(c.pointCount(), 1);
    EXPECT_EQ(c.signalMv()[0], 8.0f);
}

TEST(ChromatogramEdits, DeleteStretchMovesTheTailAndRederivesTheCounters) {
    Chromatogram c;
    appendNumbered(c, 101);  // clock 101 -> 100 points, slot i holds reading i + 1 (after slot 0)
    ASSERT_EQ(c.pointCount(), 100);
    const float atThirty = c.signalMv()[30];
    const float atNinetyNine = c.signalMv()[99];

    c.deleteStretch(30, 10);  // clicks in either order
    // clock 101 − 20 / 0.990181 = 80.80; × 0.990181 = 80.008
    EXPECT_EQ(c.pointCount(), 80);
    EXPECT_EQ(c.shownCount(), 80);
    EXPECT_EQ(c.signalMv()[10], atThirty);
    EXPECT_EQ(c.temperatureC()[10], atThirty);
    EXPECT_EQ(c.signalMv()[79], atNinetyNine);

    const float clock = c.sampleClock();
    c.deleteStretch(40, 40);  // removes nothing, re-derives the counters
    EXPECT_EQ(c.pointCount(), 80);
    EXPECT_EQ(c.sampleClock(), clock);

    c.deleteStretch(-5, 1'000'000);  // clicks beyond the trace are clamped to it
    EXPECT_EQ(c.pointCount(), 0);
}

TEST(ChromatogramEdits, ReplaceSetsTheCountersAsALoadedFile) {
    Chromatogram c;
    std::vector<float> values(1000, 1.5f);
    c.replace(values.data(), values.data(), 1000);
    EXPECT_EQ(c.pointCount(), 1000);
    EXPECT_EQ(c.shownCount(), 1000);
    EXPECT_NEAR(c.sampleClock(), 1009.916f, 0.001f);
    // Acquisition continues after the loaded points. The float32 clock 1009.9163 × 0.990181 is
    // just below 1000, so the first new reading stalls in slot 1000 and the second replaces it.
    c.appendReading(9.0f, 0.0f);
    EXPECT_EQ(c.pointCount(), 1000);
    c.appendReading(10.0f, 0.0f);
    EXPECT_EQ(c.pointCount(), 1001);
    EXPECT_EQ(c.signalMv()[1000], 10.0f);
    EXPECT_EQ(c.signalMv()[999], 1.5f);
}

TEST(ChromatogramStretch, CopyStretchIsInclusiveAndBounded) {
    const float source[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    float destination[8] = {};
    EXPECT_EQ(copyStretch(source, destination, 5, 9, 10), 4);
    EXPECT_EQ(destination[0], 5.0f);
    EXPECT_EQ(destination[4], 9.0f);
    EXPECT_EQ(destination[5], 0.0f);

    float small[3] = {-1, -1, -1};
    EXPECT_EQ(copyStretch(source, small, 2, 11, 2), 9);  // the result is end − start, not the count
    EXPECT_EQ(small[1], 3.0f);
    EXPECT_EQ(small[2], -1.0f);
}

TEST(ChromatogramStretch, AreaRemovesTheRampBetweenTheEnds) {
    // Ramp (i/2)·(3 − 1) = 0, 1, 2 taken from 1, 2, 3: area 1 + 1 + 1.
    const float rising[3] = {1.0f, 2.0f, 3.0f};
    EXPECT_FLOAT_EQ(stretchArea(rising, 0, 2), 3.0f);
    // A peak on a flat baseline of 1: 1 + 4 + 1 with nothing removed.
    const float peak[5] = {9.0f, 1.0f, 4.0f, 1.0f, 9.0f};
    EXPECT_FLOAT_EQ(stretchArea(peak, 1, 3), 6.0f);
    EXPECT_FLOAT_EQ(stretchArea(peak, 2, 2), 4.0f);  // one point: the value itself
    EXPECT_EQ(stretchArea(peak, 3, 2), 0.0f);
}

// Every reading k stores k as signal and temperature, so a point read below the published count
// with differing halves was seen half written.
TEST(ChromatogramConcurrency, ReaderNeverSeesHalfWrittenPointsWhileEditing) {
    Chromatogram c;
    std::atomic<bool> done{false};
    std::thread appender([&] {
        for (int k = 1; k <= 200'000; ++k) c.appendReading(static_cast<float>(k), static_cast<float>(k));
        done = true;
    });
    int edits = 0;
    long checked = 0;
    std::vector<float> loaded(50, 3.0f);
    // At least a hundred rounds, so a reader that starts late (a busy or sanitised machine) still
    // checks something.
    for (int round = 0; !done || round < 100; ++round) {
        takeOverAll(c);
        const int32_t n = c.pointCount();
        ASSERT_LE(c.shownCount(), n);
        for (int32_t i = std::max(0, n - 20); i < n; ++i) {
            ASSERT_EQ(c.signalMv()[i], c.temperatureC()[i]) << "slot " << i;
            ++checked;
        }
        switch (edits++ % 3) {
        case 0: c.deleteStretch(n / 4, n / 2); break;
        case 1: c.replace(loaded.data(), loaded.data(), 50); break;
        default: if (edits % 64 == 2) c.clearTrace(); break;
        }
    }
    appender.join();
    EXPECT_GT(checked, 0);
    EXPECT_LE(c.pointCount(), 200'000);
}

// Right after a trace load the next reading lands after the loaded points, and a delete
// re-derives the counters from the loaded clock. The clock after loading 1000 points is
// 1000 / 0.990181 = 1009.917: the first reading takes it to 1010.917 (index 1000.99, so it stays
// at 1000 and the reading waits in slot 1000), the second to 1011.917 (index 1001).
TEST(ChromatogramEdits, DeleteAndAppendRightAfterALoad) {
    auto trace = std::make_unique<Chromatogram>();
    std::vector<float> signal(1000), temperature(1000, 50.0f);
    for (int i = 0; i < 1000; ++i) signal[i] = static_cast<float>(i);
    trace->replace(signal.data(), temperature.data(), 1000);
    EXPECT_NEAR(trace->sampleClock(), 1009.917f, 0.001f);
    trace->appendReading(5000.0f, 60.0f);
    EXPECT_EQ(trace->pointCount(), 1000);
    EXPECT_EQ(trace->signalMv()[1000], 5000.0f);
    trace->appendReading(5001.0f, 61.0f);
    EXPECT_EQ(trace->pointCount(), 1001);
    EXPECT_EQ(trace->signalMv()[1000], 5001.0f);
    EXPECT_EQ(trace->temperatureC()[1000], 61.0f);
    EXPECT_EQ(trace->signalMv()[999], 999.0f);  // the loaded points stay

    // Deleting 100 .. 199: clock 1009.917 − 100 / 0.990181 = 908.925, index 899.99 → 899.
    trace->replace(signal.data(), temperature.data(), 1000);
    trace->deleteStretch(100, 200);
    EXPECT_EQ(trace->pointCount(), 899);
    EXPECT_EQ(trace->shownCount(), 899);
    EXPECT_EQ(trace->signalMv()[100], 200.0f);  // the point at 200 now sits at 100
    EXPECT_EQ(trace->signalMv()[898], 998.0f);
    // The next reading goes into slot 899 (which held the moved point 999) and shows it.
    trace->appendReading(7777.0f, 70.0f);
    EXPECT_EQ(trace->signalMv()[899], 7777.0f);
    EXPECT_EQ(trace->pointCount(), 900);
}

// At the capacity: a delete makes room, the next readings fill it; an append at the capacity
// overwrites the last slot only.
TEST(ChromatogramEdits, DeleteAndAppendAtTheCapacity) {
    auto trace = std::make_unique<Chromatogram>();
    std::vector<float> values(static_cast<size_t>(kLastPointIndex), 1.0f);
    trace->replace(values.data(), values.data(), kLastPointIndex);
    ASSERT_EQ(trace->pointCount(), kLastPointIndex);
    trace->appendReading(2.0f, 2.0f);
    trace->appendReading(3.0f, 3.0f);
    EXPECT_EQ(trace->pointCount(), kLastPointIndex);
    EXPECT_EQ(trace->signalMv()[kLastPointIndex], 3.0f);  // the last slot, overwritten
    EXPECT_EQ(trace->signalMv()[kLastPointIndex - 1], 1.0f);

    // Ten points go; the clock's truncation costs one more index, as with every deletion.
    trace->deleteStretch(0, 10);
    EXPECT_EQ(trace->pointCount(), kLastPointIndex - 11);
    EXPECT_EQ(trace->shownCount(), kLastPointIndex - 11);
    EXPECT_EQ(trace->signalMv()[kLastPointIndex - 10], 3.0f);  // the last slot moved down with the rest
    for (int i = 0; i < 20; ++i) trace->appendReading(4.0f, 4.0f);
    EXPECT_EQ(trace->pointCount(), kLastPointIndex);
    EXPECT_EQ(trace->signalMv()[kLastPointIndex - 1], 4.0f);
}

}  // namespace
}  // namespace vespian
