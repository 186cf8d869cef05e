#include "archive/report_prefill.h"

#include <map>

namespace vespian {

ReportPrefill reportPrefill(const RunRecord& record) {
    ReportPrefill prefill;
    const FurnaceStart* programme = nullptr;
    size_t programmeIndex = record.events.size();
    for (size_t i = 0; i < record.events.size(); ++i) {
        if (const auto* start = std::get_if<FurnaceStart>(&record.events[i].data)) {
            programme = start;
            programmeIndex = i;
        }
    }
    if (programme != nullptr && !programme->segments.empty()) {
        const RecordedSegment* highest = &programme->segments.front();
        for (const RecordedSegment& segment : programme->segments) {
            if (segment.targetC > highest->targetC) highest = &segment;
        }
        prefill.upperTempC = highest->targetC;
        prefill.rampRateCPerMin = highest->rateCPerMin;
    }

    // The gases in force when the programme started (or at the end, without a programme).
    std::map<int32_t, ChannelGas> channels;
    for (size_t i = 0; i < record.events.size() && i < programmeIndex; ++i) {
        const RunEventData& data = record.events[i].data;
        if (const auto* gas = std::get_if<GasChange>(&data)) {
            channels[gas->channel].channel = gas->channel;
            channels[gas->channel].gas = gas->gas;
        } else if (const auto* flow = std::get_if<FlowChange>(&data)) {
            channels[flow->channel].channel = flow->channel;
            channels[flow->channel].flowMlMin = flow->flowMlMin;
        }
    }
    for (const auto& [number, channel] : channels) {
        if (!channel.gas.empty() && channel.flowMlMin > 0.0) prefill.gases.push_back(channel);
    }
    return prefill;
}

}  // namespace vespian
