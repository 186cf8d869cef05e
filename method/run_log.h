#pragma once
// The log of a method run: when each step began and ended, with the frames it sent and the
// values it set, and what happened on the way (pulses and their areas, pauses, a lost link and
// the time it cost, alarms, the end). A plain record, written beside the trace as JSON.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/command_set.h"

namespace vespian {

enum class RunEvent {
    RunStart,
    StepStart,
    StepEnd,
    Pulse,
    Mark,
    Paused,
    Resumed,
    Skipped,
    LinkLost,
    LinkBack,
    Alarm,
    Note,
    RunEnd,
};

struct RunLogEntry {
    double runS = 0.0;    // run clock, s since the run started
    int64_t wallS = 0;    // seconds since the epoch
    int32_t step = 0;     // 1-based; 0 for the run itself
    RunEvent event = RunEvent::Note;
    std::string text;     // for the operator
    std::vector<std::string> frames;  // the frames sent, as hexadecimal bytes "3B 12 00 1E"
};

struct RunLog {
    std::string methodName;
    std::string sampleName;
    int64_t startedWallS = 0;
    std::vector<RunLogEntry> entries;
};

std::string frameHex(const Command& command);
std::string_view runEventKey(RunEvent event);
// The log as pretty-printed JSON.
std::string runLogJson(const RunLog& log);
// One line for a console: "[01:02:03] 第3步（气体）开始：1#通道 氩气 30 ml/min".
std::string runLogLine(const RunLogEntry& entry);

}  // namespace vespian
