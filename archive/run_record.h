#pragma once
// The run record: a small JSON file beside a saved trace (run1.lne → run1.run.json) that says how
// the trace was recorded: when, on which instrument, by whom, with which furnace programme, gases,
// flows, valves and injections, which method ran and what it logged, and the SHA-256 of the
// trace file it belongs to. The trace file itself keeps its layout; a trace without a record
// loads as before.
//
// Times of events are seconds from the record's start, the moment of the trace's point 0, so an
// event at t_s lies at point 5 × t_s of the trace. Events before the start have negative times.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "archive/wall_time.h"

namespace vespian {

inline constexpr int32_t kRunRecordFormat = 1;
inline constexpr char kRunRecordExtension[] = ".run.json";
inline constexpr char kRunRecordKind[] = "vespian-run-record";

struct InstrumentIdentity {
    std::string description;  // the device's USB description, "TRV-8800"
    std::string serial;       // empty when the link gives none
    bool simulated = false;
};

struct RecordedSegment {
    double targetC = 0.0;
    double rateCPerMin = 0.0;
    double holdMin = 0.0;
};

struct GasChange {
    int32_t channel = 0;  // 1 .. 4
    std::string gas;      // as the gas table names it
};
struct FlowChange {
    int32_t channel = 0;
    double flowMlMin = 0.0;  // the set point sent
};
struct ValveChange {
    int32_t valve = 0;  // as the gas-path panel numbers them
    bool on = false;
};
struct InjectorEvent {
    int32_t injector = 0;
    std::string operation;  // what the injector dialog did, in its own words
};
struct FurnaceStart {
    double startC = 0.0;  // the furnace temperature when started
    std::vector<RecordedSegment> segments;
};
struct FurnaceStop {
    std::string reason;  // "operator", "alarm", …
};
struct AlarmEvent {
    int32_t code = 0;
};
struct MarkEvent {
    std::string name;
};

using RunEventData =
    std::variant<GasChange, FlowChange, ValveChange, InjectorEvent, FurnaceStart, FurnaceStop, AlarmEvent, MarkEvent>;

struct RecordedEvent {
    double timeS = 0.0;
    RunEventData data;
};

// One line of a method run's log.
struct MethodLogLine {
    double timeS = 0.0;
    int32_t step = 0;  // 1-based step number; 0 for lines about the run as a whole
    std::string text;
    nlohmann::json values = nlohmann::json::object();  // what was sent or measured
};

struct RunRecord {
    WallMs startedMs = 0;
    WallMs endedMs = 0;
    std::string program;      // name and version of the program that wrote it
    std::string traceFile;    // the trace's file name, without folder
    std::string traceSha256;  // of the trace file as saved
    int32_t tracePoints = 0;
    InstrumentIdentity instrument;
    std::string operatorName;
    std::string host;
    std::vector<RecordedEvent> events;  // in time order
    std::optional<nlohmann::json> method;  // the method file's content as it ran
    std::vector<MethodLogLine> methodLog;
};

// run1.lne → run1.run.json: the last extension of the file name replaced (or the record's
// extension added when the name has none).
std::string runRecordPathFor(const std::string& tracePath);

// Members in a fixed, readable order.
nlohmann::ordered_json runRecordToJson(const RunRecord& record);
std::string runRecordText(const RunRecord& record);  // indented JSON, UTF-8, ends in a newline

struct RunRecordRead {
    bool ok = false;
    std::string message;  // for the operator when !ok: what is wrong and where
    RunRecord record;
};

// Refuses anything but a whole record of a format this program knows; unknown members are
// ignored, so later programs may add to the format without making it unreadable here.
RunRecordRead parseRunRecord(std::string_view text);
RunRecordRead readRunRecord(const std::string& path);

struct RunRecordWrite {
    bool ok = false;
    std::string message;
    std::string path;         // the record's file
    std::string traceSha256;  // of the trace file as it lies on disk
};

// Hashes the saved trace file, fills in the record's trace name and hash, and writes the record
// beside the trace (a temporary file renamed into place). Called right after the trace's save.
RunRecordWrite writeRunRecordBeside(const std::string& tracePath, RunRecord record);

}  // namespace vespian
