#pragma once
// What a run record tells the report windows, so that an operator does not type the heating rate,
// the upper temperature and the gases again: taken from the last furnace programme started
// during the run (a pretreatment's programme comes before the test's own), and the gases that
// flowed when it started.

#include <optional>
#include <string>
#include <vector>

#include "archive/run_record.h"

namespace vespian {

struct ChannelGas {
    int32_t channel = 0;
    std::string gas;
    double flowMlMin = 0.0;
};

struct ReportPrefill {
    // The rate of the segment that climbs to the programme's highest target, and that target.
    std::optional<double> rampRateCPerMin;
    std::optional<double> upperTempC;
    // Channels with a gas and a flow above zero, by channel number.
    std::vector<ChannelGas> gases;
};

ReportPrefill reportPrefill(const RunRecord& record);

}  // namespace vespian
