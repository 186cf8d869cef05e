#include "app/trace_tools.h"

namespace vespian {

void selectTraceTool(TraceTools& tools, TraceView& view, TraceTool tool) {
    tools.deleteStretch = tool == TraceTool::DeleteStretch;
    tools.pendingDeleteIndex = -1;
    tools.manualPeak = tool == TraceTool::ManualPeak;
    tools.pendingPickIndex = -1;
    view.coordinateMode = tool == TraceTool::Readout ? 1 : 0;
    view.rubberBandMode = tool == TraceTool::ZoomBox ? 1 : 0;
    view.rubberBandStarted = 0;
}

TraceTool activeTraceTool(const TraceTools& tools, const TraceView& view) {
    if (view.rubberBandMode != 0) return TraceTool::ZoomBox;
    if (tools.manualPeak) return TraceTool::ManualPeak;
    if (view.coordinateMode != 0) return TraceTool::Readout;
    if (tools.deleteStretch) return TraceTool::DeleteStretch;
    return TraceTool::None;
}

TraceTool leaveTraceTool(TraceTools& tools, TraceView& view) {
    const TraceTool active = activeTraceTool(tools, view);
    switch (active) {
    case TraceTool::ZoomBox:
        view.rubberBandMode = 0;
        view.rubberBandStarted = 0;
        break;
    case TraceTool::ManualPeak:
        tools.manualPeak = false;
        tools.pendingPickIndex = -1;
        break;
    case TraceTool::Readout: view.coordinateMode = 0; break;
    case TraceTool::DeleteStretch:
        tools.deleteStretch = false;
        tools.pendingDeleteIndex = -1;
        break;
    case TraceTool::None: break;
    }
    return active;
}

}  // namespace vespian
