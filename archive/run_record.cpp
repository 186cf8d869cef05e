#include "archive/run_record.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "archive/json_fields.h"
#include "archive/sha256.h"
#include "platform/replace_file.h"

namespace vespian {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr char kWhat[] = "运行记录";

using ordered = nlohmann::ordered_json;

struct EventToJson {
    ordered& out;
    void operator()(const GasChange& e) const {
        out["type"] = "gas";
        out["channel"] = e.channel;
        out["gas"] = e.gas;
    }
    void operator()(const FlowChange& e) const {
        out["type"] = "flow";
        out["channel"] = e.channel;
        out["flow_ml_min"] = e.flowMlMin;
    }
    void operator()(const ValveChange& e) const {
        out["type"] = "valve";
        out["valve"] = e.valve;
        out["on"] = e.on;
    }
    void operator()(const InjectorEvent& e) const {
        out["type"] = "injector";
        out["injector"] = e.injector;
        out["operation"] = e.operation;
    }
    void operator()(const FurnaceStart& e) const {
        out["type"] = "furnace_start";
        out["start_C"] = e.startC;
        ordered segments = ordered::array();
        for (const RecordedSegment& s : e.segments) {
            segments.push_back({{"target_C", s.targetC}, {"rate_C_per_min", s.rateCPerMin}, {"hold_min", s.holdMin}});
        }
        out["segments"] = std::move(segments);
    }
    void operator()(const FurnaceStop& e) const {
        out["type"] = "furnace_stop";
        out["reason"] = e.reason;
    }
    void operator()(const AlarmEvent& e) const {
        out["type"] = "alarm";
        out["code"] = e.code;
    }
    void operator()(const MarkEvent& e) const {
        out["type"] = "mark";
        out["name"] = e.name;
    }
};

RecordedEvent eventFromJson(const JsonFields& f) {
    RecordedEvent event;
    event.timeS = f.number("t_s");
    const std::string type = f.text("type");
    if (type == "gas") {
        event.data = GasChange{f.small("channel", 1, 4), f.text("gas")};
    } else if (type == "flow") {
        event.data = FlowChange{f.small("channel", 1, 4), f.number("flow_ml_min")};
    } else if (type == "valve") {
        event.data = ValveChange{f.small("valve", 0, 1000), f.boolean("on")};
    } else if (type == "injector") {
        event.data = InjectorEvent{f.small("injector", 0, 1000), f.text("operation")};
    } else if (type == "furnace_start") {
        FurnaceStart start;
        start.startC = f.number("start_C");
        f.forEach("segments", [&](const JsonFields& s) {
            start.segments.push_back({s.number("target_C"), s.number("rate_C_per_min"), s.number("hold_min")});
        });
        event.data = std::move(start);
    } else if (type == "furnace_stop") {
        event.data = FurnaceStop{f.text("reason")};
    } else if (type == "alarm") {
        event.data = AlarmEvent{f.small("code", 0, 255)};
    } else if (type == "mark") {
        event.data = MarkEvent{f.text("name")};
    } else {
        f.fail("type", "是未知的事件类型‘" + type + "’");
    }
    return event;
}

}  // namespace

std::string runRecordPathFor(const std::string& tracePath) {
    fs::path path(tracePath);
    path.replace_extension();
    return path.string() + kRunRecordExtension;
}

ordered runRecordToJson(const RunRecord& record) {
    ordered events = ordered::array();
    for (const RecordedEvent& event : record.events) {
        ordered e = {{"t_s", event.timeS}};
        std::visit(EventToJson{e}, event.data);
        events.push_back(std::move(e));
    }
    ordered log = ordered::array();
    for (const MethodLogLine& line : record.methodLog) {
        log.push_back({{"t_s", line.timeS}, {"step", line.step}, {"text", line.text}, {"values", line.values}});
    }
    return ordered{
        {"format", kRunRecordFormat},
        {"kind", kRunRecordKind},
        {"program", record.program},
        {"started", isoLocalTime(record.startedMs)},
        {"ended", isoLocalTime(record.endedMs)},
        {"trace", {{"file", record.traceFile}, {"sha256", record.traceSha256}, {"points", record.tracePoints}}},
        {"instrument",
         {{"description", record.instrument.description},
          {"serial", record.instrument.serial.empty() ? ordered(nullptr) : ordered(record.instrument.serial)},
          {"simulated", record.instrument.simulated}}},
        {"operator", record.operatorName},
        {"host", record.host},
        {"events", std::move(events)},
        {"method", record.method ? ordered(*record.method) : ordered(nullptr)},
        {"method_log", record.method ? std::move(log) : ordered(nullptr)},
    };
}

std::string runRecordText(const RunRecord& record) {
    return runRecordToJson(record).dump(2, ' ', false, ordered::error_handler_t::replace) + "\n";
}

RunRecordRead parseRunRecord(std::string_view text) {
    RunRecordRead read;
    try {
        const json document = parseJsonDocument(text, kWhat);
        const JsonFields top(document, kWhat);
        const int64_t format = top.integer("format", 0, INT32_MAX);
        if (format > kRunRecordFormat) {
            throw JsonFieldError("运行记录的格式版本" + std::to_string(format) + "比本程序能读的(" +
                                 std::to_string(kRunRecordFormat) + ")新，请用较新版本的程序打开");
        }
        if (format < 1) top.fail("format", "不是有效的格式版本");
        if (top.text("kind") != kRunRecordKind) top.fail("kind", "不是运行记录");
        RunRecord& r = read.record;
        r.program = top.text("program");
        r.startedMs = top.time("started");
        r.endedMs = top.time("ended");
        const JsonFields trace = top.object("trace");
        r.traceFile = trace.text("file");
        r.traceSha256 = trace.text("sha256");
        if (!isSha256Hex(r.traceSha256)) trace.fail("sha256", "不是SHA-256值(64位十六进制小写)");
        r.tracePoints = static_cast<int32_t>(trace.integer("points", 0, INT32_MAX));
        const JsonFields instrument = top.object("instrument");
        r.instrument.description = instrument.text("description");
        r.instrument.serial = instrument.optionalText("serial");
        r.instrument.simulated = instrument.boolean("simulated");
        r.operatorName = top.text("operator");
        r.host = top.text("host");
        top.forEach("events", [&](const JsonFields& e) { r.events.push_back(eventFromJson(e)); });
        if (top.has("method")) {
            r.method = top.raw("method");
            if (!r.method->is_object()) top.fail("method", "应为对象或null");
            if (top.has("method_log")) {
                top.forEach("method_log", [&](const JsonFields& l) {
                    MethodLogLine line;
                    line.timeS = l.number("t_s");
                    line.step = static_cast<int32_t>(l.integer("step", 0, INT32_MAX));
                    line.text = l.text("text");
                    line.values = l.raw("values");
                    r.methodLog.push_back(std::move(line));
                });
            }
        }
        read.ok = true;
    } catch (const JsonFieldError& error) {
        read.ok = false;
        read.message = error.what();
        read.record = {};
    }
    return read;
}

RunRecordRead readRunRecord(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {false, "无法打开‘" + path + "’文件", {}};
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return {false, "无法读取‘" + path + "’文件", {}};
    RunRecordRead read = parseRunRecord(text.str());
    if (!read.ok) read.message = "‘" + path + "’：" + read.message;
    return read;
}

RunRecordWrite writeRunRecordBeside(const std::string& tracePath, RunRecord record) {
    RunRecordWrite result;
    result.path = runRecordPathFor(tracePath);
    const FileHash hash = sha256OfFile(tracePath);
    if (!hash.ok) {
        result.message = hash.message;
        return result;
    }
    record.traceFile = fs::path(tracePath).filename().string();
    record.traceSha256 = hash.hex;
    const std::string text = runRecordText(record);
    const ReplaceFileStatus status =
        replaceFile(result.path, [&](std::FILE* file) { return writeBlock(file, text.data(), text.size()); });
    if (status != ReplaceFileStatus::Ok) {
        result.message = "无法建立‘" + result.path + "’文件";
        return result;
    }
    result.ok = true;
    result.traceSha256 = hash.hex;
    return result;
}

}  // namespace vespian
