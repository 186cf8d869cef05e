#include "control/desktop/control_context.h"

#include <QDateTime>

#include "trace/chromatogram.h"

namespace vespian {

float ControlContext::newestTemperature() const {
    const int32_t count = trace.pointCount();
    return count > 0 ? trace.temperatureC()[count - 1] : readings.temperatureC.load();
}

int32_t ControlContext::pointCount() const { return trace.pointCount(); }

int64_t localWallSeconds() { return QDateTime::currentSecsSinceEpoch(); }

int32_t localSecondOfDay() { return QTime::currentTime().msecsSinceStartOfDay() / 1000; }

}  // namespace vespian
