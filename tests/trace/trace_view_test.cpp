#include "trace/trace_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "trace/chromatogram.h"
#include "support/trace_views.h"

namespace vespian {
namespace {

// A view whose plot is `width` × `height` pixels (visibleWidth × visibleHeight): X0 = 30,
// X1 = X0 + 115 + width; Y0 = 105, Y1 = Y0 + 60 + height.
using testing::viewWithPlot;

TEST(TraceViewLayout, FrameFieldsFromTheArea) {
    TraceView v;
    setViewArea(v, 1000, 700);
    EXPECT_EQ(v.areaLeft, 0);
    EXPECT_EQ(v.areaRight, 1000);
    EXPECT_EQ(v.areaTop, 55);
    EXPECT_EQ(v.areaBottom, 700);
    EXPECT_TRUE(layoutTraceView(v));
    EXPECT_EQ(v.X0, 30);
    EXPECT_EQ(v.X1, 950);
    EXPECT_EQ(v.Y0, 105);
    EXPECT_EQ(v.Y1, 685);
    EXPECT_EQ(v.xOrigin, 95);
    EXPECT_EQ(v.visibleWidth, 805);
    EXPECT_EQ(v.visibleHeight, 520);
    EXPECT_EQ(midY(v), 395);
    const PixelRect plot = plotRect(v);
    EXPECT_EQ(plot.left, 96);
    EXPECT_EQ(plot.right, 899);
    EXPECT_EQ(plot.top, 136);
    EXPECT_EQ(plot.bottom, 654);
    EXPECT_TRUE(plot.contains(96, 136));
    EXPECT_FALSE(plot.contains(899, 200));  // right edge excluded
    EXPECT_FALSE(plot.contains(200, 654));  // bottom edge excluded
}

TEST(TraceViewLayout, MinimumsOfTheAreaAndFrame) {
    TraceView v;
    setViewArea(v, -20, 10);
    EXPECT_EQ(v.areaRight, 0);
    EXPECT_EQ(v.areaBottom, 55);
    EXPECT_FALSE(layoutTraceView(v));
    EXPECT_EQ(v.X1, v.X0 + 4);
    EXPECT_EQ(v.Y1, v.Y0 + 4);
    EXPECT_FALSE(v.roomToDraw);
}

TEST(TraceViewLayout, RoomTestOfStep2) {
    // xOrigin ≥ X1 − 30 ⟺ X1 − X0 ≤ 95: a client width of 175 gives X1 − X0 = 95.
    TraceView narrow;
    setViewArea(narrow, 175, 700);
    EXPECT_FALSE(layoutTraceView(narrow));
    TraceView wideEnough;
    setViewArea(wideEnough, 176, 700);
    EXPECT_TRUE(layoutTraceView(wideEnough));
    // Y0 + 30 ≥ Y1 − 30 ⟺ Y1 − Y0 ≤ 60: bottom 180 gives Y1 − Y0 = 60.
    TraceView low;
    setViewArea(low, 1000, 180);
    EXPECT_FALSE(layoutTraceView(low));
    TraceView highEnough;
    setViewArea(highEnough, 1000, 181);
    EXPECT_TRUE(layoutTraceView(highEnough));
}

TEST(TraceViewLayout, NoRoomLeavesTheVirtualSizesAlone) {
    TraceView v = viewWithPlot(600, 400);
    v.xZoom = 2.0f;
    layoutTraceView(v);
    EXPECT_EQ(v.virtualWidth, 1200);
    setViewArea(v, 100, 700);
    EXPECT_FALSE(layoutTraceView(v));
    EXPECT_EQ(v.virtualWidth, 1200);
    EXPECT_EQ(v.hMax, 600);
}

TEST(TraceViewLayout, VirtualSizesAndTheNotSetVerticalPosition) {
    TraceView v = viewWithPlot(600, 400);
    EXPECT_EQ(v.virtualWidth, 600);
    EXPECT_EQ(v.hMax, 0);
    EXPECT_EQ(v.virtualHeight, 400);
    EXPECT_EQ(v.vMax, 0);
    EXPECT_EQ(v.vScroll, -1);  // vMax = 0: not set

    v.yZoom = 1.5f;
    layoutTraceView(v);
    EXPECT_EQ(v.virtualHeight, 600);
    EXPECT_EQ(v.vMax, 200);
    EXPECT_EQ(v.vScroll, 100);  // −1 became vMax / 2
    v.vScroll = 30;
    layoutTraceView(v);
    EXPECT_EQ(v.vScroll, 30);  // a set position stays

    v.yZoom = 1.0f;
    layoutTraceView(v);
    EXPECT_EQ(v.vScroll, -1);  // vMax = 0 again
}

// A smaller window keeps the same signal in the middle of the plot: the vertical position keeps
// its share of the range instead of being clipped to the new, smaller range.
TEST(TraceViewLayout, AResizeKeepsTheVerticalPositionRelative) {
    TraceView v = viewWithPlot(600, 400);
    v.yZoom = 3.0f;
    layoutTraceView(v);
    ASSERT_EQ(v.vMax, 800);
    v.vScroll = 600;  // three quarters down
    const PointTransform before = pointTransform(v);
    const float middleMv = static_cast<float>(before.signalBase - midY(v)) / before.virtualHeightF * before.fullScaleF;

    setViewArea(v, v.areaRight, v.areaBottom - 300);  // the plot 100 pixels high
    layoutTraceView(v);
    ASSERT_EQ(v.visibleHeight, 100);
    EXPECT_EQ(v.vMax, 200);
    EXPECT_EQ(v.vScroll, 150) << "not clipped to the new maximum, 200";
    const PointTransform after = pointTransform(v);
    EXPECT_NEAR(after.screenYSignal(middleMv), midY(v), 1) << "the same signal stays in the middle";

    setViewArea(v, v.areaRight, v.areaBottom + 300);  // and back
    layoutTraceView(v);
    EXPECT_EQ(v.vScroll, 600);
    // A zoom at one size is the zoom's own business: the position is not scaled again.
    zoomInY(v);
    EXPECT_EQ(v.vScroll, 720);
}

TEST(TraceViewLayout, DamagedZoomFactorsAreBroughtBackIntoRange) {
    TraceView v = viewWithPlot(600, 400);
    v.xZoom = std::numeric_limits<float>::quiet_NaN();
    v.yZoom = 0.25f;
    layoutTraceView(v);
    EXPECT_EQ(v.xZoom, 1.0f);
    EXPECT_EQ(v.yZoom, 1.0f);
    v.xZoom = 1e30f;
    layoutTraceView(v);
    EXPECT_EQ(v.xZoom, kMaxZoom);
    EXPECT_GT(v.virtualWidth, 0);
}

// Time range 600 s, xZoom 1, a plot 600 pixels wide: point 1500
// (300 s) lies at xOrigin + 300.
TEST(TraceViewTransforms, Point1500OfA600SecondRangeIsAtXOriginPlus300) {
    TraceView v = viewWithPlot(600, 400, 600);
    ASSERT_EQ(v.virtualWidth, 600);
    const PointTransform t = pointTransform(v);
    EXPECT_EQ(t.xv(1500), 300);
    EXPECT_EQ(t.screenX(1500), v.xOrigin + 300);
    EXPECT_EQ(t.screenX(0), v.xOrigin);
    EXPECT_EQ(t.screenX(3000), v.xOrigin + 600);
    EXPECT_EQ(readoutIndex(v, v.xOrigin + 300), 1500);
    EXPECT_EQ(clickIndex(v, v.xOrigin + 300, 5000), 1500);
    v.hScroll = 100;
    EXPECT_EQ(pointTransform(v).screenX(1500), v.xOrigin + 200);
}

// Voltage range 5000 µV (S = 10 mV), yZoom 1, so vMax = 0 and
// vScroll = −1: 2.5 mV lies at midY − truncate(visibleHeight / 4) + 1. The +1 is the "not set"
// vertical position −1 itself, which the screen transform subtracts (y = midY + vMax/2 − ys − vScroll).
TEST(TraceViewTransforms, TwoAndAHalfMillivoltsAtAQuarterHeightPlusOne) {
    for (int32_t height : {400, 401, 402, 403, 517}) {
        TraceView v = viewWithPlot(600, height, 600, 5000);
        ASSERT_EQ(v.vMax, 0);
        ASSERT_EQ(v.vScroll, -1);
        ASSERT_EQ(fullScaleMv(v), 10);
        const PointTransform t = pointTransform(v);
        EXPECT_EQ(t.ys(2.5f), height / 4) << height;
        EXPECT_EQ(t.screenYSignal(2.5f), midY(v) - height / 4 + 1) << height;
        EXPECT_EQ(t.screenYSignal(0.0f), midY(v) + 1);  // even zero sits one below midY
        // With the position set to 0 instead of "not set", the +1 disappears.
        TraceView set = v;
        set.vScroll = 0;
        EXPECT_EQ(pointTransform(set).screenYSignal(2.5f), midY(v) - height / 4);
    }
}

TEST(TraceViewTransforms, TemperatureScaleIsFixed) {
    TraceView v = viewWithPlot(600, 480);
    const PointTransform t = pointTransform(v);
    EXPECT_EQ(t.screenYTemperature(0.0f), v.Y1 - 30);
    EXPECT_EQ(t.screenYTemperature(600.0f), v.Y1 - 30 - 240);
    EXPECT_EQ(t.screenYTemperature(1200.0f), v.Y1 - 30 - 480);
    v.yZoom = 3.0f;
    v.vScroll = 77;
    layoutTraceView(v);
    EXPECT_EQ(pointTransform(v).screenYTemperature(600.0f), v.Y1 - 30 - 240);  // neither zoomed nor scrolled
}

TEST(TraceViewTransforms, Float32AndTruncationAsWritten) {
    TraceView v = viewWithPlot(700, 400, 7, 3000);
    const PointTransform t = pointTransform(v);
    // xv(i) = truncate(700 × (i / 35)) in float32 within the time range; beyond it, 700 pixels
    // for each whole range and the same rule for the remainder.
    for (int32_t i = 0; i < 200; ++i) {
        const int32_t k = i / 35;
        const float within = 700.0f * (static_cast<float>(i - 35 * k) / 35.0f);
        EXPECT_EQ(t.xv(i), 700 * k + static_cast<int32_t>(within)) << i;
    }
    // ys(v) = truncate(400 × (v / 6)): negative values truncate towards zero.
    EXPECT_EQ(t.ys(-0.01f), static_cast<int32_t>(400.0f * (-0.01f / 6.0f)));
    EXPECT_EQ(t.ys(-0.01f), 0);
    EXPECT_EQ(t.ys(-1.0f), -66);
    EXPECT_EQ(t.yt(-50.0f), -16);
}

TEST(TraceViewTransforms, NonFiniteValuesDoNotMisbehave) {
    TraceView v = viewWithPlot(600, 400);
    const PointTransform t = pointTransform(v);
    EXPECT_EQ(t.ys(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(t.ys(std::numeric_limits<float>::infinity()), INT32_MAX);
    EXPECT_EQ(t.screenYSignal(std::numeric_limits<float>::infinity()), -(1 << 30));
    EXPECT_EQ(t.screenYSignal(-std::numeric_limits<float>::infinity()), 1 << 30);
    EXPECT_EQ(t.yt(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(TraceViewGuards, TimeRangeBelowOneSecondCountsAsOneSecond) {
    for (int32_t range : {0, -5}) {
        TraceView v = viewWithPlot(600, 400, range);
        EXPECT_EQ(pointsPerFullWidth(v), 5);
        const PointTransform t = pointTransform(v);
        EXPECT_EQ(t.xv(5), 600);
        EXPECT_EQ(t.xv(1), 120);
        EXPECT_EQ(autoScrollPosition(v, 1000), 0);  // unzoomed: nowhere to scroll
        EXPECT_EQ(readoutIndex(v, v.xOrigin + 120), 1);
        EXPECT_GT(pixelsPerPoint(v), 0.0f);
    }
}

TEST(TraceViewGuards, VoltageRangeBelow500MicrovoltsIsOneMillivoltFullScale) {
    for (int32_t range : {0, 1, 499, -3000}) {
        TraceView v = viewWithPlot(600, 400, 600, range);
        EXPECT_EQ(fullScaleMv(v), 1) << range;
        EXPECT_EQ(pointTransform(v).ys(0.5f), 200);
    }
    EXPECT_EQ(fullScaleMv(viewWithPlot(600, 400, 600, 500)), 1);
    EXPECT_EQ(fullScaleMv(viewWithPlot(600, 400, 600, 999)), 1);
    EXPECT_EQ(fullScaleMv(viewWithPlot(600, 400, 600, 1000)), 2);
    EXPECT_EQ(fullScaleMv(viewWithPlot(600, 400, 600, INT32_MAX)), int64_t{INT32_MAX} * 2 / 1000);
}

TEST(TraceViewGuards, ZeroVirtualWidthDividesByNothing) {
    // X1 − X0 between 96 and 115: room for the frame, but no plot width.
    TraceView v;
    setViewArea(v, 30 + 110 + 50, 600);
    ASSERT_TRUE(layoutTraceView(v));
    EXPECT_LE(v.visibleWidth, 0);
    EXPECT_LE(v.virtualWidth, 0);
    EXPECT_EQ(v.hMax, 0);
    EXPECT_FALSE(visibleIndexRange(v).valid);
    EXPECT_EQ(clickIndex(v, 200, 100), 0);
    EXPECT_EQ(readoutIndex(v, 200), -1);
    std::vector<float> values(10, 1.0f);
    EXPECT_EQ(readoutText(v, 200, values.data(), values.data(), 10), "坐标：");
    // A width of exactly 0 as well.
    TraceView w;
    setViewArea(w, 30 + 115 + 50, 600);
    ASSERT_TRUE(layoutTraceView(w));
    EXPECT_EQ(w.virtualWidth, 0);
    EXPECT_FALSE(visibleIndexRange(w).valid);
    EXPECT_EQ(readoutIndex(w, 150), -1);
    EXPECT_EQ(clickIndex(w, 150, 100), 0);
    EXPECT_EQ(pointTransform(w).xv(12345), 0);
}

TEST(TraceViewIndices, VisibleIndexRangeOfStep1) {
    TraceView v = viewWithPlot(600, 400, 600);  // G = 600 / 3000 = 0.2 pixels per point
    IndexRange r = visibleIndexRange(v);
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.first, 0);
    EXPECT_EQ(r.last, 3000);
    v.xZoom = 2.0f;
    layoutTraceView(v);
    v.hScroll = 100;  // G = 0.4
    r = visibleIndexRange(v);
    EXPECT_EQ(r.first, 250);
    EXPECT_EQ(r.last, 1750);
}

TEST(TraceViewIndices, ClickIndexIsClampedToTheShownCount) {
    TraceView v = viewWithPlot(600, 400, 600);  // 5 points per pixel
    EXPECT_EQ(clickIndex(v, v.xOrigin + 10, 1000), 50);
    // A click right of the last shown point maps to at most shownCount.
    EXPECT_EQ(clickIndex(v, v.xOrigin + 500, 1000), 1000);
    EXPECT_EQ(clickIndex(v, v.X1 - 52, 1000), 1000);
    // A click left of the last shown point maps to an index no larger than shownCount.
    EXPECT_LE(clickIndex(v, v.xOrigin + 199, 1000), 1000);
    EXPECT_EQ(clickIndex(v, v.xOrigin + 199, 1000), 995);
    // Never below 0 (left of time 0).
    EXPECT_EQ(clickIndex(v, v.xOrigin - 20, 1000), 0);
    EXPECT_EQ(clickIndex(v, v.xOrigin + 10, 0), 0);
    v.xZoom = 2.0f;
    layoutTraceView(v);
    v.hScroll = 600;
    EXPECT_EQ(clickIndex(v, v.xOrigin + 1, 100000), truncateToInt(601.0f * (3000.0f / 1200.0f)));
}

TEST(TraceViewReadout, TextOfTheIndexUnderTheCursor) {
    TraceView v = viewWithPlot(600, 400, 600);
    std::vector<float> signal(2000), temperature(2000);
    for (size_t i = 0; i < signal.size(); ++i) {
        signal[i] = 0.001f * static_cast<float>(i);
        temperature[i] = 25.0f + 0.1f * static_cast<float>(i);
    }
    EXPECT_EQ(readoutIndex(v, v.xOrigin + 100), 500);
    EXPECT_EQ(readoutText(v, v.xOrigin + 100, signal.data(), temperature.data(), 2000),
              "坐标：电压=0.500 [mV] , 温度=75.0 [℃]");
    // A readout right of the newest point shows only the caption.
    EXPECT_EQ(readoutText(v, v.xOrigin + 400, signal.data(), temperature.data(), 2000), "坐标：");
    EXPECT_EQ(readoutText(v, v.xOrigin + 399, signal.data(), temperature.data(), 2000),
              "坐标：电压=1.995 [mV] , 温度=224.5 [℃]");
    EXPECT_EQ(readoutText(v, v.xOrigin - 5, signal.data(), temperature.data(), 2000), "坐标：");

    Chromatogram trace;
    trace.replace(signal.data(), temperature.data(), 2000);
    EXPECT_EQ(readoutText(v, v.xOrigin + 100, trace), "坐标：电压=0.500 [mV] , 温度=75.0 [℃]");
    EXPECT_EQ(readoutText(v, v.xOrigin + 401, trace), "坐标：");
}

TEST(TraceViewColours, CursorAndInverse) {
    EXPECT_EQ(cursorColour(0x00FFFFFFu), (~((0x00FFFFFFu - 8u) * 16u)) & 0x00FFFFFFu);
    EXPECT_EQ(cursorColour(0x00FFFFFFu), 0x0000008Fu);
    EXPECT_EQ(cursorColour(0x00000000u), 0x0000007Fu);  // (−8 × 16) wraps: ~0xFFFFFF80 = 0x7F
    EXPECT_EQ(inverseColour(0x00FFFFFFu), 0x00000000u);
    EXPECT_EQ(inverseColour(0x00102030u), 0x00EFDFCFu);
}

TEST(TraceViewZoom, InFromOneGivesOnePointTwoThenOnePointFourFour) {
    TraceView v = viewWithPlot(600, 400);
    zoomIn(v);
    EXPECT_EQ(v.xZoom, 1.2f);
    EXPECT_EQ(v.yZoom, 1.2f);
    zoomIn(v);
    EXPECT_FLOAT_EQ(v.xZoom, 1.44f);
    EXPECT_FLOAT_EQ(v.yZoom, 1.44f);
    EXPECT_EQ(v.virtualWidth, truncateToInt(600.0f * v.xZoom));
    EXPECT_EQ(v.hMax, v.virtualWidth - 600);
}

TEST(TraceViewZoom, OutAtOneStaysAtOne) {
    TraceView v = viewWithPlot(600, 400);
    zoomOut(v);
    EXPECT_EQ(v.xZoom, 1.0f);
    EXPECT_EQ(v.yZoom, 1.0f);
    v.xZoom = 1.1f;
    v.yZoom = 1.44f;
    zoomOut(v);
    EXPECT_EQ(v.xZoom, 1.0f);  // 0.88 → 1.0
    EXPECT_FLOAT_EQ(v.yZoom, 1.152f);
}

TEST(TraceViewZoom, ScrollPositionsMoveByAFifthInIntegers) {
    TraceView v = viewWithPlot(600, 400);
    v.xZoom = v.yZoom = 3.0f;
    layoutTraceView(v);
    v.hScroll = 104;
    v.vScroll = 57;
    zoomIn(v);
    EXPECT_EQ(v.hScroll, 124);  // 104 + 20
    EXPECT_EQ(v.vScroll, 68);   // 57 + 11
    zoomOut(v);
    EXPECT_EQ(v.hScroll, 100);  // 124 − 24
    EXPECT_EQ(v.vScroll, 55);   // 68 − 13
    // "Not set" survives a zoom: −1 / 5 = 0, and the layout then centres it.
    TraceView w = viewWithPlot(600, 400);
    ASSERT_EQ(w.vScroll, -1);
    zoomIn(w);
    EXPECT_EQ(w.vMax, 80);
    EXPECT_EQ(w.vScroll, 40);
}

TEST(TraceViewZoom, AxisButtonsAndRestore) {
    TraceView v = viewWithPlot(600, 400);
    EXPECT_TRUE(viewButton(v, 0));
    EXPECT_EQ(v.xZoom, 1.2f);
    EXPECT_EQ(v.yZoom, 1.0f);
    EXPECT_TRUE(viewButton(v, 2));
    EXPECT_EQ(v.yZoom, 1.2f);
    EXPECT_TRUE(viewButton(v, 1));
    EXPECT_EQ(v.xZoom, 1.0f);  // 0.96, not below 1.0
    EXPECT_TRUE(viewButton(v, 3));
    EXPECT_EQ(v.yZoom, 1.0f);
    v.xZoom = 5.0f;
    v.yZoom = 4.0f;
    layoutTraceView(v);
    v.hScroll = 300;
    v.vScroll = 200;
    EXPECT_TRUE(viewButton(v, 4));
    EXPECT_EQ(v.xZoom, 1.0f);
    EXPECT_EQ(v.yZoom, 1.0f);
    EXPECT_EQ(v.hScroll, 0);
    EXPECT_EQ(v.vScroll, -1);  // 0, then "not set" again as vMax = 0
    EXPECT_FALSE(viewButton(v, 5));
    EXPECT_FALSE(viewButton(v, -1));
}

TEST(TraceViewZoom, ZoomInStopsAtTheGuardLimit) {
    TraceView v = viewWithPlot(600, 400);
    for (int k = 0; k < 200; ++k) zoomIn(v);
    EXPECT_LE(v.xZoom, kMaxZoom);
    EXPECT_GT(v.xZoom, kMaxZoom / 1.2f);
    EXPECT_GT(v.virtualWidth, 0);
    EXPECT_GE(v.hMax, 0);
}

TEST(TraceViewWheel, NoButtonZoomsForwardOutBackwardIn) {
    TraceView v = viewWithPlot(600, 400);
    EXPECT_TRUE(wheel(v, -120, WheelButton::None).zoomed);
    EXPECT_EQ(v.xZoom, 1.2f);
    EXPECT_EQ(v.yZoom, 1.2f);
    EXPECT_TRUE(wheel(v, 120, WheelButton::None).zoomed);
    EXPECT_EQ(v.xZoom, 1.0f);  // 0.96, not below 1.0
    EXPECT_FALSE(wheel(v, 0, WheelButton::None).zoomed);
}

TEST(TraceViewWheel, RightButtonScrollsTheTimeAxisAndStopsAutoScroll) {
    TraceView v = viewWithPlot(600, 400);
    v.xZoom = 2.0f;
    layoutTraceView(v);  // hMax = 600
    v.hScroll = 100;
    ASSERT_EQ(v.autoScroll, 1);
    WheelResult r = wheel(v, -120, WheelButton::Right);
    EXPECT_TRUE(r.scrolled);
    EXPECT_EQ(v.hScroll, 160);
    EXPECT_EQ(v.autoScroll, 0);
    wheel(v, 120, WheelButton::Right);
    wheel(v, 120, WheelButton::Right);
    wheel(v, 120, WheelButton::Right);
    EXPECT_EQ(v.hScroll, 0);  // clamped
    v.hScroll = 580;
    wheel(v, -1, WheelButton::Right);
    EXPECT_EQ(v.hScroll, 600);
    EXPECT_EQ(v.xZoom, 2.0f);  // no zoom
}

TEST(TraceViewWheel, LeftButtonScrollsTheValueAxis) {
    TraceView v = viewWithPlot(600, 400);
    v.yZoom = 1.5f;
    layoutTraceView(v);  // vMax = 200, vScroll = 100
    wheel(v, 120, WheelButton::Left);
    EXPECT_EQ(v.vScroll, 70);
    wheel(v, -120, WheelButton::Left);
    wheel(v, -120, WheelButton::Left);
    EXPECT_EQ(v.vScroll, 130);
    for (int k = 0; k < 10; ++k) wheel(v, -120, WheelButton::Left);
    EXPECT_EQ(v.vScroll, 200);
    EXPECT_EQ(v.autoScroll, 1);
}

TEST(TraceViewScrollBars, LinePageAndThumbClamped) {
    TraceView v = viewWithPlot(600, 400);
    v.xZoom = 2.0f;
    v.yZoom = 2.0f;
    layoutTraceView(v);  // hMax 600, vMax 400, vScroll 200
    ScrollResult r = scrollHorizontal(v, ScrollAction::LineDown);
    EXPECT_EQ(v.hScroll, 10);
    EXPECT_TRUE(r.changed);
    EXPECT_TRUE(r.startAutoScrollTimer);
    EXPECT_EQ(v.autoScroll, 0);
    scrollHorizontal(v, ScrollAction::PageDown);
    EXPECT_EQ(v.hScroll, 310);
    scrollHorizontal(v, ScrollAction::PageDown);
    EXPECT_EQ(v.hScroll, 600);
    r = scrollHorizontal(v, ScrollAction::LineDown);
    EXPECT_FALSE(r.changed);
    EXPECT_TRUE(r.startAutoScrollTimer);  // a user scroll all the same
    scrollHorizontal(v, ScrollAction::Thumb, 42);
    EXPECT_EQ(v.hScroll, 42);
    scrollHorizontal(v, ScrollAction::PageUp);
    EXPECT_EQ(v.hScroll, 0);
    scrollHorizontal(v, ScrollAction::Thumb, 9999);
    EXPECT_EQ(v.hScroll, 600);

    v.autoScroll = 1;
    r = scrollVertical(v, ScrollAction::LineUp);
    EXPECT_EQ(v.vScroll, 190);
    EXPECT_FALSE(r.startAutoScrollTimer);
    EXPECT_EQ(v.autoScroll, 1);
    scrollVertical(v, ScrollAction::PageDown);
    EXPECT_EQ(v.vScroll, 390);
    scrollVertical(v, ScrollAction::LineDown);
    EXPECT_EQ(v.vScroll, 400);
    scrollVertical(v, ScrollAction::Thumb, -5);
    EXPECT_EQ(v.vScroll, 0);
}

TEST(TraceViewRubberBand, BeginMoveAndComplete) {
    TraceView v = viewWithPlot(600, 400);  // plot rectangle 598 × 398
    v.rubberBandMode = 1;
    rubberBandBegin(v, 200, 200);
    EXPECT_EQ(v.rubberBandStarted, 1);
    EXPECT_EQ(v.bandX2, 200);
    EXPECT_TRUE(rubberBandMove(v, 250, 260));
    EXPECT_EQ(v.bandX2, 250);
    EXPECT_EQ(v.bandY2, 260);
    ASSERT_TRUE(rubberBandComplete(v, 499, 399));
    // fx = 598 / 299 = 2, fy = 398 / 199 = 2.
    EXPECT_EQ(v.xZoom, 2.0f);
    EXPECT_EQ(v.yZoom, 2.0f);
    EXPECT_EQ(v.hScroll, (0 + 200 - 30 - 65) * 2);
    EXPECT_EQ(v.vScroll, (-1 + 200 - 30 - 105) * 2);
    EXPECT_EQ(v.autoScroll, 0);
    EXPECT_EQ(v.rubberBandStarted, 0);
    EXPECT_EQ(v.rubberBandMode, 1);  // the mode stays for the next band
    EXPECT_EQ(v.virtualWidth, 1200);  // laid out again
    EXPECT_FALSE(rubberBandMove(v, 1, 1));
}

TEST(TraceViewRubberBand, CornersInAnyOrderAndEmptyBands) {
    TraceView v = viewWithPlot(600, 400);
    rubberBandBegin(v, 499, 398);
    ASSERT_TRUE(rubberBandComplete(v, 200, 200));
    EXPECT_EQ(v.xZoom, 2.0f);
    EXPECT_EQ(v.hScroll, 210);

    TraceView w = viewWithPlot(600, 400);
    w.hScroll = 0;
    rubberBandBegin(w, 300, 200);
    EXPECT_FALSE(rubberBandComplete(w, 300, 250));  // no width: nothing zooms
    EXPECT_EQ(w.xZoom, 1.0f);
    EXPECT_EQ(w.autoScroll, 1);
    EXPECT_FALSE(rubberBandComplete(w, 320, 250));  // not started
}

TEST(TraceViewAutoScroll, NewestPointIsBroughtBackIntoView) {
    TraceView v = viewWithPlot(600, 400, 600);
    v.xZoom = 2.0f;  // virtual width 1200, so hMax 600
    layoutTraceView(v);
    ASSERT_EQ(v.hMax, 600);
    // Point 1600: xv = 1200 × 1600 / 3000 = 640; three quarters of 600 is 450: hScroll 190.
    EXPECT_EQ(autoScrollPosition(v, 1600), 190);
    EXPECT_TRUE(applyAutoScroll(v, 1600, true, true, false));
    EXPECT_EQ(pointTransform(v).screenX(1600), v.xOrigin + 450);
    EXPECT_FALSE(applyAutoScroll(v, 1600, true, true, false));  // already there: nothing to redraw
    EXPECT_EQ(autoScrollPosition(v, 3000), 600);  // the end of the time range: no further than hMax
    EXPECT_EQ(autoScrollPosition(v, 99), 0);
    EXPECT_EQ(autoScrollPosition(v, -50), 0);

    EXPECT_FALSE(applyAutoScroll(v, 2000, false, true, false));
    EXPECT_FALSE(applyAutoScroll(v, 2000, true, false, false));
    EXPECT_FALSE(applyAutoScroll(v, 2000, true, true, true));
    v.rubberBandMode = 1;
    EXPECT_FALSE(applyAutoScroll(v, 2000, true, true, false));
    v.rubberBandMode = 0;
    v.autoScroll = 0;
    EXPECT_FALSE(applyAutoScroll(v, 2000, true, true, false));
    EXPECT_EQ(v.hScroll, 190);
}

}  // namespace
}  // namespace vespian

namespace vespian {
namespace {

using testing::viewWithPlot;

// A run longer than the time range: 600 s across 600 pixels, so 5 points per pixel and 3000
// points per range.
TEST(TraceViewLongRun, ScrollRangeCoversTheWholeRecordedTrace) {
    TraceView v = viewWithPlot(600, 400, 600);
    EXPECT_EQ(v.hMax, 0);
    // 5 × the range: point 14,999 lies 4 ranges (2400 px) plus truncate(600 × 2999/3000) = 599 px
    // in, and the range ends with it three quarters across the plot (450 px).
    EXPECT_TRUE(setRecordedPoints(v, 15000));
    EXPECT_EQ(pointTransform(v).xv(14999), 2999);
    EXPECT_EQ(v.hMax, 2999 - 450);
    // 100 × the range.
    setRecordedPoints(v, 300000);
    EXPECT_EQ(v.hMax, 59999 - 450);
    // At the capacity: point 9,999,998 = 3333 ranges + 998, truncate(600 × 998/3000) = 199.
    setRecordedPoints(v, kLastPointIndex);
    EXPECT_EQ(pointTransform(v).xv(kLastPointIndex - 1), 3333 * 600 + 199);
    EXPECT_EQ(v.hMax, 3333 * 600 + 199 - 450);
    // A shorter trace (after a cut) shrinks the range and pulls the position back with it.
    v.hScroll = v.hMax;
    setRecordedPoints(v, 15000);
    EXPECT_EQ(v.hMax, 2549);
    EXPECT_EQ(v.hScroll, 2549);
    // A short trace leaves the written range.
    setRecordedPoints(v, 1000);
    EXPECT_EQ(v.hMax, 0);
    EXPECT_FALSE(setRecordedPoints(v, 2000));
}

// The take-over loop as the display tick runs it: after every point the newest one must lie
// inside the plot, at every zoom, for runs of 5 × and 100 × the range.
TEST(TraceViewLongRun, AutoScrollKeepsTheNewestPointInsideThePlot) {
    for (float zoom : {1.0f, 1.2f, 7.0f}) {
        TraceView v = viewWithPlot(600, 400, 600);
        v.xZoom = zoom;
        layoutTraceView(v);
        const PixelRect plot = plotRect(v);
        int scrolls = 0;
        for (int32_t n = 0; n < 300000; n += (n < 15000 ? 1 : 97)) {
            setRecordedPoints(v, n + 1);
            if (applyAutoScroll(v, n, pointRightOfPlot(v, n), true, false)) ++scrolls;
            const int32_t x = pointTransform(v).screenX(n);
            ASSERT_GE(x, v.xOrigin) << "zoom " << zoom << " point " << n;  // time 0 lies on the axis
            ASSERT_LT(x, plot.right) << "zoom " << zoom << " point " << n;
        }
        EXPECT_GT(scrolls, 10);
    }
}

TEST(TraceViewLongRun, AutoScrollAtTheCapacity) {
    TraceView v = viewWithPlot(600, 400, 600);
    setRecordedPoints(v, kLastPointIndex);
    const int32_t newest = kLastPointIndex - 1;
    ASSERT_TRUE(pointRightOfPlot(v, newest));
    EXPECT_TRUE(applyAutoScroll(v, newest, true, true, false));
    EXPECT_EQ(v.hScroll, v.hMax);
    EXPECT_EQ(pointTransform(v).screenX(newest), v.xOrigin + 450);
    // Deep zoom: far beyond 32 bits of pixels, still exact.
    v.xZoom = kMaxZoom;
    layoutTraceView(v);
    ASSERT_GT(v.hMax, int64_t{1} << 36);
    EXPECT_TRUE(applyAutoScroll(v, newest, pointRightOfPlot(v, newest), true, false));
    EXPECT_EQ(pointTransform(v).screenX(newest), v.xOrigin + 450);
    EXPECT_EQ(pointTransform(v).screenX(newest - 1), v.xOrigin + 450 - 20000);  // 20,000 pixels a point
}

// Clicks, the readout and the drawn range map back to the same points far along the run as
// they do at its start: to the point drawn there, or its neighbour where float32 puts the point
// a pixel early (truncate(3000 × (1 / 3000)) is 0), exactly as in the first time range.
TEST(TraceViewLongRun, ClicksAndReadoutMapCorrectlyAnywhere) {
    TraceView v = viewWithPlot(600, 400, 600);
    v.xZoom = 5.0f;  // one point per pixel
    layoutTraceView(v);
    setRecordedPoints(v, kLastPointIndex);
    for (int64_t scroll : {int64_t{0}, int64_t{2999}, int64_t{15001}, int64_t{4'000'000}, v.hMax}) {
        v.hScroll = scroll;
        const PointTransform t = pointTransform(v);
        const IndexRange range = visibleIndexRange(v);
        ASSERT_TRUE(range.valid);
        const int32_t last = std::min(range.last, kLastPointIndex - 1);
        for (int32_t i : {range.first, range.first + 1, (range.first + last) / 2, last - 1, last}) {
            const int32_t x = t.screenX(i);
            EXPECT_NEAR(clickIndex(v, x, kLastPointIndex), i, 1) << scroll;
            EXPECT_NEAR(readoutIndex(v, x), i, 1) << scroll;
            const int32_t back = clickIndex(v, x, kLastPointIndex);
            EXPECT_LE(std::abs(t.screenX(back) - x), 1) << scroll;  // drawn where it was clicked
        }
        // The first drawn index lies at the plot's left edge.
        EXPECT_EQ(t.screenX(range.first), v.xOrigin) << scroll;
    }
    // A click at 10,000 seconds into the run, 5 pixels per second: hand-computed.
    v.hScroll = 10000 * 5 - 100;
    EXPECT_EQ(clickIndex(v, v.xOrigin + 100, kLastPointIndex), 50000);
    EXPECT_EQ(readoutIndex(v, v.xOrigin + 100), 50000);
    std::vector<float> signal(50001, 0.0f), temperature(50001, 0.0f);
    signal[50000] = 1.25f;
    temperature[50000] = 333.3f;
    EXPECT_EQ(readoutText(v, v.xOrigin + 100, signal.data(), temperature.data(), 50001),
              "坐标：电压=1.250 [mV] , 温度=333.3 [℃]");
}

TEST(TraceViewLongRun, ZoomFarAlongTheRunStaysAtTheSameTime) {
    TraceView v = viewWithPlot(600, 400, 600);
    setRecordedPoints(v, 3'000'000);
    // 500 ranges and 104 pixels: the remainder moves by its fifth, as at the start of a run.
    v.hScroll = 500 * 600 + 104;
    zoomIn(v);
    ASSERT_EQ(v.virtualWidth, 720);
    EXPECT_EQ(v.hScroll, 500 * 720 + 124);
    zoomOut(v);
    EXPECT_EQ(v.virtualWidth, 600);
    EXPECT_EQ(v.hScroll, 500 * 600 + 100);
    // The first visible point stays within the zoom's own rounding of where it was.
    v.xZoom = 3.0f;
    layoutTraceView(v);
    v.hScroll = 1'000'000;
    const int32_t before = visibleIndexRange(v).first;
    for (int k = 0; k < 6; ++k) zoomInX(v);
    EXPECT_NEAR(visibleIndexRange(v).first, before, 5);
    for (int k = 0; k < 6; ++k) zoomOutX(v);
    EXPECT_NEAR(visibleIndexRange(v).first, before, 10);
}

TEST(TraceViewLongRun, RubberBandFarAlongTheRunZoomsOnTheBand) {
    TraceView v = viewWithPlot(600, 400, 600);  // plot rectangle 598 × 398
    setRecordedPoints(v, 6'000'000);
    v.hScroll = 1000 * 600;  // 1000 ranges in: point 3,000,000 at the plot's left edge
    const int32_t bandStart = clickIndex(v, 200, 6'000'000);
    ASSERT_EQ(bandStart, 3'000'000 + (200 - 95) * 5);
    rubberBandBegin(v, 200, 200);
    ASSERT_TRUE(rubberBandComplete(v, 499, 399));  // fx = 598 / 299 = 2
    EXPECT_EQ(v.virtualWidth, 1200);
    EXPECT_EQ(v.hScroll, 1000 * 1200 + 105 * 2);
    EXPECT_EQ(visibleIndexRange(v).first, bandStart);
}

TEST(TraceViewScrollBar, LargeRangesAreShownInSteps) {
    const ScrollBarScale small = scrollBarScale(600);
    EXPECT_EQ(small.unit, 1);
    EXPECT_EQ(small.barMax, 600);
    EXPECT_EQ(small.barPosition(250), 250);
    EXPECT_EQ(small.positionOf(250), 250);
    EXPECT_EQ(small.positionOf(600), 600);

    const int64_t max = int64_t{3} << 32;  // 12 × 2^30
    const ScrollBarScale big = scrollBarScale(max);
    EXPECT_EQ(big.unit, 13);
    EXPECT_LE(big.barMax, kScrollBarLimit);
    EXPECT_EQ(big.barPosition(max), big.barMax);
    EXPECT_EQ(big.positionOf(big.barMax), max);  // the bar's end is the trace's end
    EXPECT_EQ(big.positionOf(big.barMax - 1), (big.barMax - 1) * int64_t{13});
    EXPECT_EQ(big.positionOf(1000), 13000);
    EXPECT_EQ(big.barPosition(13000), 1000);
    EXPECT_EQ(scrollBarScale(0).barMax, 0);
    EXPECT_EQ(scrollBarScale(-5).barMax, 0);
}

}  // namespace
}  // namespace vespian
