#include "trace/trace_axes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "trace/trace_view.h"
#include "support/trace_views.h"

namespace vespian {
namespace {

constexpr StoredColour kBlue = 0x00C85000u;  // RGB(0, 80, 200)

using testing::viewWithPlot;

// The classic loops, literally: s one by one, no early stop.
AxisLayout literalAxes(const TraceView& v) {
    AxisLayout a;
    const StoredColour inverse = inverseColour(v.backgroundColour);
    a.labels.push_back({"(分钟)", v.X1 - 30, v.Y1 - 25, LabelAlign::Left, LabelVAlign::Top, inverse});
    if (v.virtualWidth > 0) {
        const int32_t range = std::max(v.timeRangeS, 1);
        const float p = static_cast<float>(range) / static_cast<float>(v.virtualWidth);
        const int32_t q = v.visibleWidth / 10;
        int32_t offset = 0;
        for (int32_t s = 0; s <= range - 1; ++s) {
            if (offset <= s / p) {
                const int32_t x = offset + v.xOrigin - v.hScroll;
                if (v.xOrigin <= x && x <= v.X1 - 50) {
                    a.ticks.push_back({x, v.Y1 - 30, x, v.Y1 - 25, inverse});
                    const int minutes = static_cast<int>(offset * p / 60);
                    const int seconds = static_cast<int>(p * offset) % 60;
                    char text[32];
                    if (minutes < 10 && seconds < 10) std::snprintf(text, sizeof text, "0%d:0%d", minutes, seconds);
                    else if (minutes < 10) std::snprintf(text, sizeof text, "0%d:%d", minutes, seconds);
                    else if (seconds < 10) std::snprintf(text, sizeof text, "%d:0%d", minutes, seconds);
                    else std::snprintf(text, sizeof text, "%d:%d", minutes, seconds);
                    a.labels.push_back({text, x, v.Y1 - 24, LabelAlign::CentredOnX, LabelVAlign::Top, inverse});
                }
                offset += q;
                if (q == 0) break;  // every further tick repeats this one
            }
        }
    }
    a.labels.push_back({"(mV)", v.X0 + 25, v.Y0 + 10, LabelAlign::Left, LabelVAlign::Top, v.traceColour});
    const int32_t m = static_cast<int32_t>(v.voltRangeUv / 1000.0);
    if (v.virtualHeight > 0 && m > 0) {
        const float p = static_cast<float>(m * 2) / static_cast<float>(v.virtualHeight);
        const int32_t q = v.visibleHeight / 10;
        const int32_t base = midY(v) + v.vMax / 2 - v.vScroll;
        auto tick = [&](int32_t offset, StoredColour colour) {
            const int32_t y = base - offset;
            if (v.Y0 + 30 <= y && y <= v.Y1 - 30) {
                a.ticks.push_back({v.X0 + 60, y, v.X0 + 65, y, colour});
                char text[32];
                std::snprintf(text, sizeof text, "%.2f", static_cast<double>(offset * p));
                a.labels.push_back({text, v.X0 + 60, y, LabelAlign::RightAligned, LabelVAlign::Centred, v.traceColour});
            }
        };
        int32_t offset = 0;
        for (int32_t s = 0; s <= m - 1; ++s) {
            if (offset <= s / p) {
                tick(offset, v.traceColour);
                offset += q;
                if (q == 0) break;
            }
        }
        offset = 0;
        for (int32_t s = 0; s >= -(m - 1); --s) {
            if (offset >= s / p) {
                tick(offset, 0);
                offset -= q;
                if (q == 0) break;
            }
        }
    }
    a.labels.push_back({"(℃)", v.X1 - 43, v.Y0 + 10, LabelAlign::Left, LabelVAlign::Top, kBlue});
    for (int t = 100; t <= 1200; t += 100) {
        const int32_t y = (v.Y1 - 30) - static_cast<int32_t>(t / 1200.0f * (v.Y1 - v.Y0 - 60));
        a.ticks.push_back({v.X1 - 50, y, v.X1 - 45, y, kBlue});
        a.labels.push_back({std::to_string(t), v.X1 - 43, y, LabelAlign::Left, LabelVAlign::Centred, kBlue});
    }
    return a;
}

std::vector<std::string> texts(const AxisLayout& a) {
    std::vector<std::string> out;
    for (const AxisLabel& l : a.labels) out.push_back(l.text);
    return out;
}

// A plot 600 × 500: X0 = 30, X1 = 745, xOrigin = 95; Y0 = 105, Y1 = 665, midY = 385.
TEST(TraceAxes, HandComputedView) {
    TraceView v = viewWithPlot(600, 500, 600, 5000);
    ASSERT_EQ(v.vScroll, -1);
    const AxisLayout a = computeAxes(v);

    // Time: p = 600 / 600 = 1 s per pixel, q = 60: ticks every 60 s at offsets 0 .. 540 (the
    // tick at 600 would need s = 600, past the last second 599).
    // Signal: m = 5, p = 10 / 500 = 0.02 mV per pixel, q = 50: offsets 0, 50, .. 200 on each
    // side; y = 385 − offset + 1 (vScroll = −1).
    // Temperature: y = 635 − truncate(T / 1200 × 500).
    const std::vector<std::string> expectedTexts = {
        "(分钟)", "00:00", "01:00", "02:00", "03:00", "04:00", "05:00", "06:00", "07:00", "08:00", "09:00",
        "(mV)",   "0.00",  "1.00",  "2.00",  "3.00",  "4.00",  "0.00",  "-1.00", "-2.00", "-3.00", "-4.00",
        "(℃)",    "100",   "200",   "300",   "400",   "500",   "600",   "700",   "800",   "900",   "1000",
        "1100",   "1200"};
    EXPECT_EQ(texts(a), expectedTexts);

    ASSERT_EQ(a.ticks.size(), 10u + 10u + 12u);
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(a.ticks[k], (TickSegment{95 + 60 * k, 635, 95 + 60 * k, 640, 0x00000000u})) << k;
        EXPECT_EQ(a.labels[1 + k].x, 95 + 60 * k);
        EXPECT_EQ(a.labels[1 + k].y, 641);
        EXPECT_EQ(a.labels[1 + k].align, LabelAlign::CentredOnX);
        EXPECT_EQ(a.labels[1 + k].valign, LabelVAlign::Top);
    }
    const int32_t positiveY[] = {386, 336, 286, 236, 186};
    const int32_t negativeY[] = {386, 436, 486, 536, 586};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(a.ticks[10 + k], (TickSegment{90, positiveY[k], 95, positiveY[k], v.traceColour})) << k;
        EXPECT_EQ(a.ticks[15 + k], (TickSegment{90, negativeY[k], 95, negativeY[k], 0x00000000u})) << k;
        EXPECT_EQ(a.labels[12 + k].x, 90);
        EXPECT_EQ(a.labels[12 + k].y, positiveY[k]);
        EXPECT_EQ(a.labels[12 + k].align, LabelAlign::RightAligned);
        EXPECT_EQ(a.labels[12 + k].valign, LabelVAlign::Centred);
        EXPECT_EQ(a.labels[17 + k].y, negativeY[k]);
    }
    const int32_t temperatureY[] = {594, 552, 510, 469, 427, 385, 344, 302, 260, 219, 177, 135};
    for (int k = 0; k < 12; ++k) {
        EXPECT_EQ(a.ticks[20 + k], (TickSegment{695, temperatureY[k], 700, temperatureY[k], kBlue})) << k;
        EXPECT_EQ(a.labels[23 + k].x, 702);
        EXPECT_EQ(a.labels[23 + k].y, temperatureY[k]);
        EXPECT_EQ(a.labels[23 + k].colour, kBlue);
    }
    EXPECT_EQ(a.labels[0], (AxisLabel{"(分钟)", 715, 640, LabelAlign::Left, LabelVAlign::Top, 0x00000000u}));
    EXPECT_EQ(a.labels[11], (AxisLabel{"(mV)", 55, 115, LabelAlign::Left, LabelVAlign::Top, v.traceColour}));
    EXPECT_EQ(a.labels[22], (AxisLabel{"(℃)", 702, 115, LabelAlign::Left, LabelVAlign::Top, kBlue}));
}

TEST(TraceAxes, ZoomedAndScrolledTimeAxis) {
    // xZoom 2: virtualWidth 1200, p = 0.5 s per pixel, q = 60 pixels = 30 s; tick k at s = 30k
    // (k ≤ 19). Scrolled by 300 the visible ticks are k = 5 .. 15 at x = 95 + 60k − 300.
    TraceView v = viewWithPlot(600, 500, 600, 5000);
    v.xZoom = 2.0f;
    layoutTraceView(v);
    v.hScroll = 300;
    const AxisLayout a = computeAxes(v);
    std::vector<std::string> timeTexts;
    std::vector<int32_t> xs;
    for (const AxisLabel& l : a.labels) {
        if (l.align == LabelAlign::CentredOnX) {
            timeTexts.push_back(l.text);
            xs.push_back(l.x);
        }
    }
    EXPECT_EQ(timeTexts, (std::vector<std::string>{"02:30", "03:00", "03:30", "04:00", "04:30", "05:00", "05:30",
                                                    "06:00", "06:30", "07:00", "07:30"}));
    for (size_t k = 0; k < xs.size(); ++k) EXPECT_EQ(xs[k], 95 + 60 * static_cast<int32_t>(k + 5) - 300);
}

TEST(TraceAxes, TimeLabelFormats) {
    EXPECT_EQ(timeLabel(0, 1.0f), "00:00");
    EXPECT_EQ(timeLabel(65, 1.0f), "01:05");
    EXPECT_EQ(timeLabel(130, 1.0f), "02:10");
    EXPECT_EQ(timeLabel(605, 1.0f), "10:05");
    EXPECT_EQ(timeLabel(610, 1.0f), "10:10");
    EXPECT_EQ(timeLabel(7265, 1.0f), "121:05");
    EXPECT_EQ(timeLabel(60, 2.5f), "02:30");
}

TEST(TraceAxes, EqualsTheLiteralLoopsOnRandomViews) {
    std::mt19937 rng(2024);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int n = 0; n < 600; ++n) {
        const int32_t range = std::vector<int32_t>{0, 1, 7, 59, 600, 3600, 12345, 86400}[pick(0, 7)] + pick(0, 3);
        const int32_t volts = std::vector<int32_t>{0, 999, 1000, 5000, 20000, 123456, 2000000}[pick(0, 6)];
        TraceView v = viewWithPlot(pick(5, 900), pick(5, 700), range, volts);
        v.xZoom = std::vector<float>{1.0f, 1.2f, 1.44f, 3.7f, 25.0f, 400.0f}[pick(0, 5)];
        v.yZoom = std::vector<float>{1.0f, 1.2f, 2.0f, 9.5f, 77.0f}[pick(0, 4)];
        layoutTraceView(v);
        v.hScroll = v.hMax > 0 ? pick(0, v.hMax) : 0;
        if (v.vMax > 0) v.vScroll = pick(-1, v.vMax);
        v.traceColour = static_cast<StoredColour>(pick(0, 0xFFFFFF));
        v.backgroundColour = static_cast<StoredColour>(pick(0, 0xFFFFFF));
        const AxisLayout fast = computeAxes(v);
        const AxisLayout literal = literalAxes(v);
        ASSERT_EQ(fast.ticks, literal.ticks) << "case " << n;
        ASSERT_EQ(fast.labels, literal.labels) << "case " << n;
    }
}

TEST(TraceAxes, EqualsTheLiteralLoopsWhenZoomedFarIntoLongRanges) {
    // Far into a long range the loops start at the first visible tick (closed forms of the tick
    // chain); the literal loops walk every second from 0.
    std::mt19937 rng(99);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int n = 0; n < 40; ++n) {
        TraceView v = viewWithPlot(pick(40, 900), pick(40, 600), pick(1, 3'000'000), pick(0, 3'000'000));
        v.xZoom = std::vector<float>{7.0f, 130.0f, 2500.0f, 40000.0f, kMaxZoom}[pick(0, 4)];
        v.yZoom = std::vector<float>{3.0f, 900.0f, 20000.0f}[pick(0, 2)];
        layoutTraceView(v);
        v.hScroll = pick(0, 3) == 0 ? v.hMax : pick(0, v.hMax);
        v.vScroll = pick(0, v.vMax);
        const AxisLayout fast = computeAxes(v);
        const AxisLayout literal = literalAxes(v);
        ASSERT_EQ(fast.ticks, literal.ticks) << "case " << n;
        ASSERT_EQ(fast.labels, literal.labels) << "case " << n;
    }
}

TEST(TraceAxes, TicksSpacedBelowOnePixelGiveOneTick) {
    TraceView v = viewWithPlot(8, 7, 600, 5000);  // q = 0 on both axes
    const AxisLayout a = computeAxes(v);
    EXPECT_EQ(a.ticks.size(), 1u + 2u + 12u);  // time 0, signal 0 on both sides, temperatures
    const AxisLayout literal = literalAxes(v);
    EXPECT_EQ(a.ticks, literal.ticks);
    EXPECT_EQ(a.labels, literal.labels);
}

TEST(TraceAxes, HugeRangesStopAtTheEdgeOfThePlot) {
    // Ten million seconds at xZoom 1: p ≈ 16667 s per pixel, ten ticks; the literal loop would
    // walk ten million seconds. INT32_MAX seconds or microvolts would take the literal loops
    // seconds; here they take microseconds.
    TraceView v = viewWithPlot(600, 500, 10'000'000, INT32_MAX);
    // The thread's own processor time: what the loops cost, whatever else the machine runs.
    auto cpuMs = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
    };
    const double start = cpuMs();
    AxisLayout a = computeAxes(v);
    v.timeRangeS = INT32_MAX;
    v.xZoom = kMaxZoom;
    v.yZoom = kMaxZoom;
    layoutTraceView(v);
    v.hScroll = v.hMax;
    v.vScroll = v.vMax / 3;
    AxisLayout b = computeAxes(v);
    EXPECT_LT(cpuMs() - start, 200.0);
    int timeTicks = 0;
    for (const TickSegment& t : a.ticks) timeTicks += t.y1 == v.Y1 - 30 ? 1 : 0;
    EXPECT_EQ(timeTicks, 10);
    EXPECT_EQ(a.labels[1].text, "00:00");
    EXPECT_EQ(a.labels[2].text, timeLabel(60, 10'000'000.0f / 600.0f));
    for (const TickSegment& t : b.ticks) {
        EXPECT_GE(t.y1, v.Y0 + 30);
        EXPECT_LE(t.y1, v.Y1 - 25);
        EXPECT_LE(t.x1, v.X1 - 45);
    }
}

TEST(TraceAxes, NoRoomNoAxesAndNoWidthNoTimeTicks) {
    TraceView v;
    setViewArea(v, 100, 100);
    layoutTraceView(v);
    EXPECT_TRUE(computeAxes(v).ticks.empty());
    EXPECT_TRUE(computeAxes(v).labels.empty());

    TraceView w;
    w.voltRangeUv = 5000;
    setViewArea(w, 30 + 115 + 50, 600);  // virtualWidth 0
    layoutTraceView(w);
    const AxisLayout a = computeAxes(w);
    for (const TickSegment& t : a.ticks) EXPECT_NE(t.y1, w.Y1 - 30);  // no time tick
    EXPECT_EQ(a.labels[0].text, "(分钟)");
    EXPECT_EQ(a.labels[1].text, "(mV)");
}

}  // namespace
}  // namespace vespian

namespace vespian {
namespace {

using testing::viewWithPlot;

std::vector<std::string> timeLabels(const AxisLayout& axes, int32_t labelY) {
    std::vector<std::string> out;
    for (const AxisLabel& label : axes.labels) {
        if (label.y == labelY && label.align == LabelAlign::CentredOnX) out.push_back(label.text);
    }
    return out;
}

// 600 s across 600 pixels: 1 s a pixel, a tick every 60 pixels (one minute).
TEST(TraceAxesLongRun, LaterTimeRangesCarryOnTheClock) {
    TraceView v = viewWithPlot(600, 400, 600);
    setRecordedPoints(v, 20 * 3000);
    v.hScroll = 2 * 600;  // the third range: 20 minutes in
    const AxisLayout axes = computeAxes(v);
    const std::vector<std::string> labels = timeLabels(axes, v.Y1 - 24);
    ASSERT_EQ(labels.size(), 10u);
    EXPECT_EQ(labels.front(), "20:00");
    EXPECT_EQ(labels[1], "21:00");
    EXPECT_EQ(labels.back(), "29:00");
    EXPECT_EQ(axes.ticks.front().x1, v.xOrigin);

    // Straddling two ranges: the second range's ticks start where it begins, and the first
    // range's last tick before it is dropped only where the labels would collide.
    v.hScroll = 2 * 600 + 300;
    const std::vector<std::string> straddling = timeLabels(computeAxes(v), v.Y1 - 24);
    EXPECT_EQ(straddling, (std::vector<std::string>{"25:00", "26:00", "27:00", "28:00", "29:00", "30:00", "31:00",
                                                    "32:00", "33:00", "34:00", "35:00"}));
}

TEST(TraceAxesLongRun, LabelsAfterWholeRanges) {
    EXPECT_EQ(timeLabelAfter(1200, 60, 1.0f), "21:00");
    EXPECT_EQ(timeLabelAfter(3600 * 30, 5, 1.0f), "1800:05");
    EXPECT_EQ(timeLabelAfter(600, 7, 0.5f), "10:03");
    // At the capacity: 1,999,999 s is 33333 minutes and 19 seconds.
    EXPECT_EQ(timeLabelAfter(1'999'800, 199, 1.0f), "33333:19");
}

}  // namespace
}  // namespace vespian
