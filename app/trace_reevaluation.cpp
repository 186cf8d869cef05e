#include "app/trace_reevaluation.h"

#include <memory>

#include "trace/peak_detector.h"
#include "trace/peak_table.h"

namespace vespian {

std::vector<FoundPeak> recognisePeaks(const float* signalMv, int32_t pointCount, const PeakSettings& settings) {
    std::vector<FoundPeak> found;
    PeakDetector detector;
    // Only the stretches and areas are kept: the table is emptied whenever it fills, so a long
    // trace is not cut off at the live table's hundred peaks.
    auto table = std::make_unique<PeakTable>();
    for (int32_t shown = kDetectorMinimumPoints; shown <= pointCount; ++shown) {
        if (table->full()) table->clear();
        if (!detector.step(signalMv, shown, settings, *table, false)) continue;
        found.push_back({detector.peakStart(), detector.peakEnd(), table->records[table->count - 1].area});
    }
    return found;
}

nlohmann::json reevaluationParameters(const PeakSettings& s, int32_t pointCount) {
    return {{"recogniser", "whole trace"},
            {"points", pointCount},
            {"min_width", s.minWidth},
            {"max_width", s.maxWidth},
            {"min_height_uV", s.minHeightUv},
            {"start_slope_uV", s.startSlopeUv},
            {"end_slope_uV", s.endSlopeUv}};
}

std::vector<ResultValue> reevaluationResults(const std::vector<FoundPeak>& peaks) {
    std::vector<ResultValue> results;
    for (size_t i = 0; i < peaks.size(); ++i) {
        ResultValue r;
        r.name = "peak_area";
        r.value = peaks[i].area;
        r.unit = kPeakAreaUnit;
        results.push_back(std::move(r));
    }
    ResultValue count;
    count.name = "peak_count";
    count.value = static_cast<double>(peaks.size());
    results.push_back(std::move(count));
    return results;
}

}  // namespace vespian
