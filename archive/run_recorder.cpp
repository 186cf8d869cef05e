#include "archive/run_recorder.h"

#include <algorithm>

#include "archive/workstation.h"

namespace vespian {

RunRecorder::RunRecorder() {
    base_.operatorName = systemLogin();
    base_.host = hostName();
}

void RunRecorder::setProgram(std::string nameAndVersion) { base_.program = std::move(nameAndVersion); }
void RunRecorder::setOperator(std::string login) { base_.operatorName = std::move(login); }
void RunRecorder::setInstrument(InstrumentIdentity instrument) { base_.instrument = std::move(instrument); }

namespace {

double secondsBetween(WallMs from, WallMs to) { return static_cast<double>(to - from) / 1000.0; }

}  // namespace

void RunRecorder::add(WallMs at, RunEventData data) {
    // Events come in time order; one told late still goes where its time puts it.
    const auto after = std::upper_bound(events_.begin(), events_.end(), at,
                                        [](WallMs t, const TimedEvent& e) { return t < e.at; });
    events_.insert(after, TimedEvent{at, std::move(data)});
}

void RunRecorder::begin(WallMs at) {
    startedMs_ = at;
    events_.clear();
    if (!methodRunning_) {
        method_.reset();
        methodLog_.clear();
    }
    for (int32_t i = 0; i < kRecordedChannels; ++i) {
        const ChannelInForce& channel = channels_[static_cast<size_t>(i)];
        if (!channel.gas.empty()) add(at, GasChange{i + 1, channel.gas});
        if (channel.flowMlMin) add(at, FlowChange{i + 1, *channel.flowMlMin});
    }
    for (const auto& [valve, on] : valves_) add(at, ValveChange{valve, on});
}

void RunRecorder::gasChanged(WallMs at, int32_t channel, std::string gas) {
    if (channel >= 1 && channel <= kRecordedChannels) channels_[static_cast<size_t>(channel - 1)].gas = gas;
    add(at, GasChange{channel, std::move(gas)});
}

void RunRecorder::flowChanged(WallMs at, int32_t channel, double flowMlMin) {
    if (channel >= 1 && channel <= kRecordedChannels) channels_[static_cast<size_t>(channel - 1)].flowMlMin = flowMlMin;
    add(at, FlowChange{channel, flowMlMin});
}

void RunRecorder::valveChanged(WallMs at, int32_t valve, bool on) {
    const auto known = std::find_if(valves_.begin(), valves_.end(), [&](const auto& v) { return v.first == valve; });
    if (known != valves_.end()) {
        known->second = on;
    } else {
        valves_.emplace_back(valve, on);
    }
    add(at, ValveChange{valve, on});
}

void RunRecorder::injector(WallMs at, int32_t injector, std::string operation) {
    add(at, InjectorEvent{injector, std::move(operation)});
}

void RunRecorder::furnaceStarted(WallMs at, double startC, std::vector<RecordedSegment> segments) {
    add(at, FurnaceStart{startC, std::move(segments)});
}

void RunRecorder::furnaceStopped(WallMs at, std::string reason) { add(at, FurnaceStop{std::move(reason)}); }
void RunRecorder::alarm(WallMs at, int32_t code) { add(at, AlarmEvent{code}); }
void RunRecorder::mark(WallMs at, std::string name) { add(at, MarkEvent{std::move(name)}); }

void RunRecorder::methodStarted(nlohmann::json method) {
    method_ = std::move(method);
    methodLog_.clear();
    methodRunning_ = true;
}

void RunRecorder::methodLog(WallMs at, int32_t step, std::string text, nlohmann::json values) {
    methodLog_.push_back({at, step, std::move(text), std::move(values)});
}

void RunRecorder::methodEnded() { methodRunning_ = false; }

RunRecord RunRecorder::record(WallMs endedAt, int32_t tracePoints) const {
    RunRecord record = base_;
    record.startedMs = startedMs_;
    record.endedMs = endedAt;
    record.tracePoints = tracePoints;
    for (const TimedEvent& event : events_) record.events.push_back({secondsBetween(startedMs_, event.at), event.data});
    record.method = method_;
    if (method_) {
        for (const TimedLogLine& line : methodLog_) {
            record.methodLog.push_back({secondsBetween(startedMs_, line.at), line.step, line.text, line.values});
        }
    }
    return record;
}

ReportPrefill RunRecorder::prefill() const { return reportPrefill(record(startedMs_, 0)); }

}  // namespace vespian
