#include "app/trace_mouse.h"

#include <algorithm>

#include "trace/chromatogram.h"

namespace vespian {

namespace {

constexpr int32_t kHoverBelow = 16;

bool inPlot(const TraceView& view, int32_t x, int32_t y) { return plotRect(view).contains(x, y); }

}  // namespace

ToolCursor TraceMouse::cursorOf(TraceTool tool) {
    switch (tool) {
    case TraceTool::DeleteStretch: return ToolCursor::DeleteStretch;
    case TraceTool::Readout: return ToolCursor::Readout;
    case TraceTool::ManualPeak: return ToolCursor::ManualPeak;
    case TraceTool::ZoomBox: return ToolCursor::ZoomBox;
    case TraceTool::None: break;
    }
    return ToolCursor::Arrow;
}

// Over the plot a tool shows its cursor and its cursor line; elsewhere the arrow.
void TraceMouse::toolCursorAt(int32_t x, int32_t y, MouseContext& c, MouseOutcome& out) const {
    const TraceTool tool = activeTraceTool(c.tools, c.view);
    if (c.viewMode != ViewMode::Trace || tool == TraceTool::None || !inPlot(c.view, x, y)) return;
    out.cursor = cursorOf(tool);
    out.cursorLineX = x;
}

MouseOutcome TraceMouse::press(int32_t x, int32_t y, int32_t tab, MouseContext& c) {
    MouseOutcome out;
    if (tab >= 0 && tab != static_cast<int32_t>(c.viewMode)) {
        out.selectTab = tab;
        return out;
    }
    if (c.viewMode == ViewMode::Trace) {
        TraceView& v = c.view;
        TraceTools& tools = c.tools;
        const bool plot = inPlot(v, x, y);
        const TraceTool tool = activeTraceTool(tools, v);
        if (tool == TraceTool::ZoomBox) {
            if (v.rubberBandStarted != 0) {
                // The second corner: a click beyond the plot ends the box at the plot's edge.
                const PixelRect r = plotRect(v);
                const int32_t cx = std::clamp(x, r.left, r.right - 1);
                const int32_t cy = std::clamp(y, r.top, r.bottom - 1);
                out.zoomed = rubberBandComplete(v, cx, cy);
                out.redraw = out.zoomed ? ViewRedraw::Full : ViewRedraw::Trace;  // the band goes either way
            } else if (plot) {
                rubberBandBegin(v, x, y);
                out.redraw = ViewRedraw::Trace;
            }
        } else if (tool == TraceTool::ManualPeak && plot) {
            const int32_t index = clickIndex(v, x, c.trace.shownCount());
            if (tools.pendingPickIndex < 0) {
                tools.pendingPickIndex = index;
            } else {
                out.manualPick = ManualPick{std::min(tools.pendingPickIndex, index), std::max(tools.pendingPickIndex, index)};
                tools.pendingPickIndex = -1;  // the tool stays on for the next pick
            }
        } else if (tool == TraceTool::DeleteStretch && plot) {
            const int32_t index = clickIndex(v, x, c.trace.shownCount());
            if (tools.pendingDeleteIndex < 0) {
                tools.pendingDeleteIndex = index;
            } else {
                c.trace.deleteStretch(tools.pendingDeleteIndex, index);
                tools.pendingDeleteIndex = -1;  // the tool stays on for the next pair
                setRecordedPoints(v, c.trace.shownCount());
                out.traceEdited = true;
                out.redraw = ViewRedraw::Trace;
            }
        }
        toolCursorAt(x, y, c, out);
    }
    // A button can be pressed wherever it is drawn.
    if (std::optional<int32_t> button = c.buttons.hitTest(x, y)) out.viewButton = *button;
    return out;
}

MouseOutcome TraceMouse::move(int32_t x, int32_t y, MouseContext& c) {
    MouseOutcome out;
    if (c.viewMode == ViewMode::Trace) {
        TraceView& v = c.view;
        const TraceTool tool = activeTraceTool(c.tools, v);
        if (tool == TraceTool::ZoomBox && v.rubberBandStarted != 0) {
            const PixelRect r = plotRect(v);
            if (rubberBandMove(v, std::clamp(x, r.left, r.right - 1), std::clamp(y, r.top, r.bottom - 1))) {
                out.redraw = ViewRedraw::Trace;
            }
        }
        toolCursorAt(x, y, c, out);
        if (tool == TraceTool::Readout && inPlot(v, x, y)) out.readout = readoutText(v, x, c.trace);
    }
    out.bevels = c.buttons.mouseMoved(x, y);
    return out;
}

MouseOutcome TraceMouse::release(int32_t x, int32_t y, MouseContext& c) {
    MouseOutcome out;
    toolCursorAt(x, y, c, out);
    return out;
}

MouseOutcome TraceMouse::rightClick(MouseContext& c) {
    MouseOutcome out;
    const TraceTool left = leaveTraceTool(c.tools, c.view);
    if (left == TraceTool::None) return out;
    if (left == TraceTool::Readout) out.readout = "坐标：";
    out.redraw = ViewRedraw::Full;
    return out;
}

MouseOutcome TraceMouse::wheel(int32_t delta, bool leftHeld, bool rightHeld, MouseContext& c) {
    MouseOutcome out;
    if (c.viewMode != ViewMode::Trace || delta == 0) return out;
    const WheelButton button = rightHeld ? WheelButton::Right : leftHeld ? WheelButton::Left : WheelButton::None;
    const WheelResult result = vespian::wheel(c.view, delta, button);
    if (result.zoomed) {
        out.zoomed = true;
        out.redraw = ViewRedraw::Full;
    } else if (result.scrolled) {
        out.redraw = ViewRedraw::Trace;
    }
    return out;
}

MouseOutcome TraceMouse::leave(MouseContext& c) {
    MouseOutcome out;
    out.bevels = c.buttons.mouseLeft();
    return out;
}

bool HoverHelp::moved(int32_t x, int32_t y) {
    x_ = x;
    y_ = y;
    moving_ = true;
    const bool hide = shown_;
    shown_ = false;
    return hide;
}

bool HoverHelp::left() {
    x_ = y_ = -1;
    const bool hide = shown_;
    shown_ = false;
    return hide;
}

std::optional<int32_t> HoverHelp::tick(const ViewButtonStrip& buttons) {
    if (moving_) {
        moving_ = false;  // rests from now on; the next tick shows the help
        return std::nullopt;
    }
    if (shown_ || x_ < 0) return std::nullopt;
    const std::optional<int32_t> index = buttons.hitTest(x_, y_);
    if (index && !viewButtonLabel(*index).empty()) {
        shown_ = true;
        return index;
    }
    return std::nullopt;
}

PixelRect placeHoverBox(int32_t mouseX, int32_t mouseY, int32_t width, int32_t height, int32_t areaWidth,
                        int32_t areaHeight) {
    int32_t left = mouseX;
    int32_t top = mouseY + kHoverBelow;
    if (top + height > areaHeight) top = mouseY - kHoverBelow - height;
    if (left + width > areaWidth) left = areaWidth - width;
    left = std::max(left, 0);
    top = std::max(top, 0);
    return PixelRect{left, top, left + width, top + height};
}

}  // namespace vespian
