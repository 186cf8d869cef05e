#pragma once
// The peak recogniser over a whole saved trace with the settings of now, as it would have run
// live: every peak it closes, with its stretch and area, each of which the operator may apply as
// a live peak is applied. The saved trace is only read. What the archive keeps of it: the
// settings as parameters, each peak's area as a result.

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "archive/registration.h"
#include "trace/init_data.h"

namespace vespian {

struct FoundPeak {
    int32_t start = 0;  // point indices of the trace
    int32_t end = 0;
    int32_t area = 0;   // ×20 µV·s, as a live peak's
};

std::vector<FoundPeak> recognisePeaks(const float* signalMv, int32_t pointCount, const PeakSettings& settings);

nlohmann::json reevaluationParameters(const PeakSettings& settings, int32_t pointCount);
std::vector<ResultValue> reevaluationResults(const std::vector<FoundPeak>& peaks);

}  // namespace vespian
