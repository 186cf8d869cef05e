#include "method/run_log.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace vespian {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kEventKeys[] = {"run_start", "step_start", "step_end", "pulse",     "mark",
                                           "paused",    "resumed",    "skipped",  "link_lost", "link_back",
                                           "alarm",     "note",       "run_end"};

}  // namespace

std::string frameHex(const Command& command) {
    std::string text;
    char byte[4];
    for (uint32_t i = 0; i < command.length && i < command.bytes.size(); ++i) {
        std::snprintf(byte, sizeof byte, i == 0 ? "%02X" : " %02X", command.bytes[i]);
        text += byte;
    }
    return text;
}

std::string_view runEventKey(RunEvent event) { return kEventKeys[static_cast<size_t>(event)]; }

std::string runLogJson(const RunLog& log) {
    Json root;
    root["method"] = log.methodName;
    root["sample"] = log.sampleName;
    root["started"] = log.startedWallS;
    Json entries = Json::array();
    for (const RunLogEntry& entry : log.entries) {
        Json e;
        e["run_s"] = std::round(entry.runS * 10.0) / 10.0;
        e["wall"] = entry.wallS;
        e["step"] = entry.step;
        e["event"] = std::string(runEventKey(entry.event));
        e["text"] = entry.text;
        if (!entry.frames.empty()) e["frames"] = entry.frames;
        entries.push_back(std::move(e));
    }
    root["entries"] = std::move(entries);
    return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string runLogLine(const RunLogEntry& entry) {
    const auto seconds = static_cast<int64_t>(std::max(0.0, entry.runS));
    char clock[32];
    std::snprintf(clock, sizeof clock, "[%02lld:%02lld:%02lld] ", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return clock + entry.text;
}

}  // namespace vespian
