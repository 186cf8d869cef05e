#include "app/trace_mouse.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/trace_views.h"
#include "trace/chromatogram.h"

namespace vespian {
namespace {

// The trace view of a 600 × 400 plot over 600 s (5 points a pixel), a trace of 3000 points
// (signal i / 1000 mV, 100 ℃), and the button strip at the bottom.
class TraceMouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<float> signal(3000), temperature(3000, 100.0f);
        for (size_t i = 0; i < signal.size(); ++i) signal[i] = static_cast<float>(i) / 1000.0f;
        trace->replace(signal.data(), temperature.data(), 3000);
        view.recordedPoints = 3000;
        layoutTraceView(view);
        buttons.layout(ViewMode::Trace, false, view.areaBottom + 40);
    }
    MouseContext context() { return MouseContext{viewMode, view, tools, *trace, buttons}; }
    MouseOutcome press(int x, int y, int tab = -1) {
        MouseContext c = context();
        return mouse.press(x, y, tab, c);
    }
    MouseOutcome move(int x, int y) {
        MouseContext c = context();
        return mouse.move(x, y, c);
    }
    MouseOutcome rightClick() {
        MouseContext c = context();
        return mouse.rightClick(c);
    }
    MouseOutcome wheel(int delta, bool left = false, bool right = false) {
        MouseContext c = context();
        return mouse.wheel(delta, left, right, c);
    }
    // x of index i (5 points per pixel from xOrigin).
    int xOf(int32_t i) const { return view.xOrigin + i / 5; }
    int midY() const { return (plotRect(view).top + plotRect(view).bottom) / 2; }

    std::unique_ptr<Chromatogram> trace = std::make_unique<Chromatogram>();
    TraceView view = testing::viewWithPlot(600, 400, 600, 5000);
    TraceTools tools;
    ViewButtonStrip buttons;
    ViewMode viewMode = ViewMode::Trace;
    TraceMouse mouse;
};

TEST_F(TraceMouseTest, ManualPickHandsOutTheSortedStretch) {
    selectTraceTool(tools, view, TraceTool::ManualPeak);
    MouseOutcome first = press(xOf(2000), midY());
    EXPECT_FALSE(first.manualPick.has_value());
    EXPECT_TRUE(TraceMouse::manualPickPending(tools));
    EXPECT_EQ(first.cursor, ToolCursor::ManualPeak);
    const MouseOutcome second = press(xOf(500), midY());
    ASSERT_TRUE(second.manualPick.has_value());
    EXPECT_EQ(*second.manualPick, (ManualPick{500, 2000}));
    EXPECT_FALSE(TraceMouse::manualPickPending(tools));
    // The tool stays on: the next two clicks make the next pick; at the plot's last column
    // (598 pixels from time 0) lies point 2990.
    press(xOf(100), midY());
    EXPECT_EQ(*press(plotRect(view).right - 1, midY()).manualPick, (ManualPick{100, 2990}));
    // A click right of a shorter trace is the trace's end.
    trace->deleteStretch(1000, 2000);
    press(xOf(100), midY());
    EXPECT_EQ(*press(plotRect(view).right - 1, midY()).manualPick, (ManualPick{100, trace->shownCount()}));
    // A click outside the plot picks nothing.
    EXPECT_FALSE(press(xOf(100), plotRect(view).top - 5).manualPick.has_value());
    EXPECT_FALSE(TraceMouse::manualPickPending(tools));
    // Switching tools forgets a half-done pick.
    press(xOf(100), midY());
    selectTraceTool(tools, view, TraceTool::ManualPeak);
    EXPECT_FALSE(TraceMouse::manualPickPending(tools));
    // So does leaving the tool.
    press(xOf(100), midY());
    rightClick();
    EXPECT_FALSE(tools.manualPeak);
    EXPECT_FALSE(TraceMouse::manualPickPending(tools));
}

TEST_F(TraceMouseTest, DeleteStretchPairsClicksAndStaysOn) {
    selectTraceTool(tools, view, TraceTool::DeleteStretch);
    EXPECT_FALSE(press(xOf(1000), midY()).traceEdited);
    const MouseOutcome done = press(xOf(500), midY());  // in any order
    EXPECT_TRUE(done.traceEdited);
    EXPECT_EQ(done.redraw, ViewRedraw::Trace);
    // 500 points went, give or take the clock's truncation.
    EXPECT_NEAR(trace->pointCount(), 2500, 1);
    EXPECT_EQ(trace->signalMv()[500], 1.0f);  // the point at 1000 now sits at 500
    EXPECT_TRUE(tools.deleteStretch);
    EXPECT_EQ(tools.pendingDeleteIndex, -1);
}

// The cursor line follows the mouse over the plot for each of the four tools, and only there.
TEST_F(TraceMouseTest, EveryToolDrawsTheCursorLineInsideThePlot) {
    EXPECT_EQ(move(xOf(100), midY()).cursorLineX, -1);  // no tool
    for (TraceTool tool : {TraceTool::Readout, TraceTool::ManualPeak, TraceTool::DeleteStretch, TraceTool::ZoomBox}) {
        selectTraceTool(tools, view, tool);
        const MouseOutcome inside = move(xOf(100), midY());
        EXPECT_EQ(inside.cursorLineX, xOf(100)) << static_cast<int>(tool);
        EXPECT_NE(inside.cursor, ToolCursor::Arrow);
        const MouseOutcome outside = move(xOf(100), plotRect(view).bottom + 3);
        EXPECT_EQ(outside.cursorLineX, -1);
        EXPECT_EQ(outside.cursor, ToolCursor::Arrow);
    }
}

TEST_F(TraceMouseTest, ReadoutShowsThePointUnderTheCursorAndRightClickClearsIt) {
    selectTraceTool(tools, view, TraceTool::Readout);
    MouseOutcome m = move(xOf(1500), midY());
    ASSERT_TRUE(m.readout.has_value());
    EXPECT_EQ(*m.readout, "坐标：电压=1.500 [mV] , 温度=100.0 [℃]");
    EXPECT_FALSE(move(xOf(1500), plotRect(view).top - 10).readout.has_value());  // outside: kept
    const MouseOutcome right = rightClick();
    EXPECT_EQ(right.readout, "坐标：");
    EXPECT_EQ(right.redraw, ViewRedraw::Full);
    EXPECT_EQ(view.coordinateMode, 0);
    // With no tool on, a right click does nothing.
    const MouseOutcome nothing = rightClick();
    EXPECT_EQ(nothing.redraw, ViewRedraw::None);
    EXPECT_FALSE(nothing.readout.has_value());
}

// The zoom box: only a press in the plot starts it; the second press completes it (at the
// plot's edge when outside), the band ends and is drawn no more.
TEST_F(TraceMouseTest, ZoomBoxStartsOnlyInThePlotAndEndsWithItsZoom) {
    selectTraceTool(tools, view, TraceTool::ZoomBox);
    // A press on a view button below the plot starts no box (and presses the button).
    const ButtonRect b = buttons.rect(0);
    ASSERT_FALSE(b.empty());
    const MouseOutcome onButton = press(b.left + 3, b.top + 3);
    EXPECT_EQ(view.rubberBandStarted, 0);
    EXPECT_EQ(onButton.viewButton, 0);
    EXPECT_EQ(press(10, 70).redraw, ViewRedraw::None);  // left of the frame
    EXPECT_EQ(view.rubberBandStarted, 0);

    const PixelRect plot = plotRect(view);
    EXPECT_EQ(press(plot.left + 100, plot.top + 50).redraw, ViewRedraw::Trace);
    EXPECT_EQ(view.rubberBandStarted, 1);
    EXPECT_EQ(move(plot.left + 200, plot.top + 150).redraw, ViewRedraw::Trace);
    EXPECT_EQ(view.bandX2, plot.left + 200);
    const MouseOutcome done = press(plot.left + 399, plot.top + 249);
    EXPECT_TRUE(done.zoomed);
    EXPECT_EQ(done.redraw, ViewRedraw::Full);
    EXPECT_EQ(view.rubberBandStarted, 0);  // no band left to draw
    EXPECT_FLOAT_EQ(view.xZoom, 598.0f / 299.0f);
    EXPECT_EQ(view.autoScroll, 0);
    EXPECT_EQ(view.rubberBandMode, 1);  // ready for the next box

    // A second corner outside the plot ends the box at the plot's edge.
    press(plot.left + 10, plot.top + 10);
    const MouseOutcome outside = press(plot.right + 40, plot.bottom + 40);
    EXPECT_TRUE(outside.zoomed);
    EXPECT_EQ(view.rubberBandStarted, 0);
}

TEST_F(TraceMouseTest, TabsAndViewButtons) {
    const MouseOutcome tab = press(20, 60, 1);
    EXPECT_EQ(tab.selectTab, 1);
    EXPECT_EQ(press(20, 60, 0).selectTab, std::nullopt);  // the tab shown
    const ButtonRect b = buttons.rect(4);
    EXPECT_EQ(press(b.left + 1, b.top + 1).viewButton, 4);
    // The highlight follows the mouse.
    const MouseOutcome over = move(b.left + 1, b.top + 1);
    ASSERT_EQ(over.bevels.size(), 1u);
    EXPECT_EQ(over.bevels[0], (BevelChange{4, Bevel::Raised}));
    MouseContext c = context();
    const MouseOutcome gone = mouse.leave(c);
    ASSERT_EQ(gone.bevels.size(), 1u);
    EXPECT_EQ(gone.bevels[0], (BevelChange{4, Bevel::Flat}));
}

TEST_F(TraceMouseTest, WheelZoomsOrScrollsTheTraceViewOnly) {
    MouseOutcome z = wheel(-120);
    EXPECT_TRUE(z.zoomed);
    EXPECT_EQ(z.redraw, ViewRedraw::Full);
    EXPECT_FLOAT_EQ(view.xZoom, 1.2f);
    const MouseOutcome scrolled = wheel(-120, false, true);
    EXPECT_EQ(scrolled.redraw, ViewRedraw::Trace);
    EXPECT_EQ(view.hScroll, 60);
    EXPECT_EQ(view.autoScroll, 0);
    viewMode = ViewMode::Report;
    EXPECT_EQ(wheel(-120).redraw, ViewRedraw::None);
    EXPECT_FLOAT_EQ(view.xZoom, 1.2f);
}

// Far along a long run the tools still act on the points under the mouse.
TEST_F(TraceMouseTest, ToolsMapClicksFarAlongALongRun) {
    std::vector<float> signal(600000), temperature(600000, 100.0f);
    for (size_t i = 0; i < signal.size(); ++i) signal[i] = static_cast<float>(i % 1000) / 1000.0f;
    trace->replace(signal.data(), temperature.data(), 600000);
    setRecordedPoints(view, 600000);
    view.hScroll = 100 * 600;  // point 300,000 at the plot's left edge
    selectTraceTool(tools, view, TraceTool::ManualPeak);
    press(view.xOrigin + 10, midY());
    const MouseOutcome pick = press(view.xOrigin + 30, midY());
    ASSERT_TRUE(pick.manualPick.has_value());
    EXPECT_EQ(*pick.manualPick, (ManualPick{300050, 300150}));
    selectTraceTool(tools, view, TraceTool::Readout);
    EXPECT_EQ(move(view.xOrigin + 100, midY()).readout, "坐标：电压=0.500 [mV] , 温度=100.0 [℃]");
}

TEST(HoverHelp, ShownAfterTheMouseRestsAndHiddenWhenItMoves) {
    ViewButtonStrip buttons;
    buttons.layout(ViewMode::Trace, false, 600);
    const ButtonRect b = buttons.rect(1);
    HoverHelp hover;
    EXPECT_FALSE(hover.moved(b.left + 2, b.top + 2));
    EXPECT_FALSE(hover.tick(buttons).has_value());  // it was moving
    EXPECT_EQ(hover.tick(buttons), 1);              // it rested for a tick
    EXPECT_TRUE(hover.shown());
    EXPECT_FALSE(hover.tick(buttons).has_value());  // shown once
    EXPECT_TRUE(hover.moved(b.left + 3, b.top + 2));  // hide
    hover.tick(buttons);
    EXPECT_EQ(hover.tick(buttons), 1);
    EXPECT_TRUE(hover.left());
    EXPECT_FALSE(hover.tick(buttons).has_value());
    hover.moved(300, 100);  // not over a button
    hover.tick(buttons);
    EXPECT_FALSE(hover.tick(buttons).has_value());
}

// The help box below the view buttons would run under the status bar: it goes above the mouse.
TEST(HoverHelp, TheBoxStaysWholeInsideTheArea) {
    const PixelRect free = placeHoverBox(100, 300, 80, 20, 1000, 700);
    EXPECT_EQ(free.left, 100);
    EXPECT_EQ(free.top, 316);
    EXPECT_EQ(free.bottom, 336);
    const PixelRect nearBottom = placeHoverBox(20, 690, 80, 20, 1000, 700);
    EXPECT_EQ(nearBottom.top, 690 - 16 - 20);
    EXPECT_LE(nearBottom.bottom, 700);
    const PixelRect nearRight = placeHoverBox(990, 100, 80, 20, 1000, 700);
    EXPECT_EQ(nearRight.right, 1000);
    const PixelRect tiny = placeHoverBox(5, 5, 80, 20, 50, 30);
    EXPECT_EQ(tiny.left, 0);
    EXPECT_EQ(tiny.top, 0);
}

}  // namespace
}  // namespace vespian
