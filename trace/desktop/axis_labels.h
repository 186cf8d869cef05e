#pragma once
// The trace window's axis labels drawn onto its canvas with the program's font: the texts the
// core's axis layout places (trace_axes.h), in the trace window and in pictures of a trace alike.

#include <QImage>
#include <vector>

#include "trace/trace_axes.h"

namespace vespian {

void drawAxisLabels(QImage& canvas, const std::vector<AxisLabel>& labels);

}  // namespace vespian
