#pragma once
// The mouse tools of the trace view. At most one is on at a time; the coordinate readout and the
// zoom box keep their flags in the trace view itself (coordinateMode, rubberBandMode).

#include <cstdint>

#include "trace/trace_view.h"

namespace vespian {

enum class TraceTool { None, DeleteStretch, ManualPeak, Readout, ZoomBox };

struct TraceTools {
    bool deleteStretch = false;
    int32_t pendingDeleteIndex = -1;  // the first click of a deletion pair
    bool manualPeak = false;
    int32_t pendingPickIndex = -1;    // the first click of a manual peak pick
};

// Switches one tool on and every other off; a half-done deletion or pick is forgotten.
void selectTraceTool(TraceTools& tools, TraceView& view, TraceTool tool);
// The tool that is on, in the order a right click leaves them: zoom box, manual peak, readout,
// delete-a-stretch.
TraceTool activeTraceTool(const TraceTools& tools, const TraceView& view);
// A right click: switches off the tool that is on and says which it was.
TraceTool leaveTraceTool(TraceTools& tools, TraceView& view);

}  // namespace vespian
