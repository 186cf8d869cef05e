#include "method/method_file.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "platform/replace_file.h"

namespace vespian {

namespace {

using Json = nlohmann::ordered_json;

// A method holds a few dozen steps; anything this large is not one.
constexpr size_t kMaxMethodBytes = 1 << 20;

struct KeyName {
    TestKind kind;
    std::string_view key;
};
constexpr KeyName kTestKinds[] = {{TestKind::Tpd, "TPD"},           {TestKind::Tpr, "TPR"},
                                  {TestKind::Tpo, "TPO"},           {TestKind::Titration, "titration"},
                                  {TestKind::Chemisorption, "chemisorption"}, {TestKind::Other, "other"}};

struct ReportName {
    EvaluatedKind kind;
    std::string_view key;
    std::string_view name;
};
constexpr ReportName kReportKinds[] = {{EvaluatedKind::Tpd, "TPD", "程序升温脱附(TPD)"},
                                       {EvaluatedKind::Tpr, "TPR", "程序升温还原(TPR)"},
                                       {EvaluatedKind::Tpo, "TPO", "程序升温氧化(TPO)"},
                                       {EvaluatedKind::Titration, "titration", "氢氧滴定"},
                                       {EvaluatedKind::Desorption, "desorption", "脱附量测试"}};

struct ItemName {
    SaveItem item;
    std::string_view key;
};
constexpr ItemName kSaveItems[] = {{SaveItem::Trace, "trace"}, {SaveItem::Report, "report"}, {SaveItem::Pdf, "pdf"},
                                   {SaveItem::Csv, "csv"},     {SaveItem::Log, "log"}};

struct WaitName {
    WaitKind kind;
    std::string_view key;
};
constexpr WaitName kWaitKinds[] = {{WaitKind::Time, "time"},
                                   {WaitKind::Temperature, "temperature"},
                                   {WaitKind::Cooled, "cooled"},
                                   {WaitKind::Stable, "stable"}};

std::string inQuotes(std::string_view text) { return "“" + std::string(text) + "”"; }

// Reads the fields of one JSON object, remembering which it took, so that a field it does not
// know is reported rather than ignored. The first problem found is kept.
class ObjectReader {
public:
    ObjectReader(const Json& object, std::string where, int32_t step)
        : object_(object), where_(std::move(where)), step_(step) {}

    bool failed() const { return !message_.empty(); }
    const std::string& message() const { return message_; }
    int32_t step() const { return step_; }

    void fail(const std::string& text) {
        if (message_.empty()) message_ = where_ + "：" + text;
    }

    const Json* field(const char* key, bool required) {
        used_.insert(key);
        const auto it = object_.find(key);
        if (it == object_.end()) {
            if (required) fail("缺少字段" + inQuotes(key));
            return nullptr;
        }
        return &*it;
    }

    void number(const char* key, double* out) { readNumber(field(key, true), key, out); }
    void optionalNumber(const char* key, std::optional<double>* out) {
        double value = 0.0;
        if (readNumber(field(key, false), key, &value)) *out = value;
    }
    void optionalNumber(const char* key, double* out) { readNumber(field(key, false), key, out); }

    void integer(const char* key, int32_t* out) { readInteger(field(key, true), key, out); }
    void optionalInteger(const char* key, int32_t* out) { readInteger(field(key, false), key, out); }

    void boolean(const char* key, bool* out) {
        const Json* value = field(key, true);
        if (value == nullptr) return;
        if (!value->is_boolean()) return wrongType(key, " true 或 false");
        *out = value->get<bool>();
    }

    void text(const char* key, std::string* out) { readText(field(key, true), key, out); }
    void optionalText(const char* key, std::string* out) { readText(field(key, false), key, out); }

    // A text that must be one of the given keys.
    template <typename Entry, size_t N, typename Value>
    void choice(const char* key, const Entry (&entries)[N], Value* out, bool required = true) {
        std::string value;
        const Json* json = field(key, required);
        if (!readText(json, key, &value)) return;
        for (const Entry& entry : entries) {
            if (entry.key == value) {
                *out = entry.kind;
                return;
            }
        }
        fail("字段" + inQuotes(key) + "的值" + inQuotes(value) + "不认识");
    }

    const Json* object(const char* key, bool required) {
        const Json* value = field(key, required);
        if (value != nullptr && !value->is_object()) {
            wrongType(key, "对象");
            return nullptr;
        }
        return value;
    }

    const Json* array(const char* key, bool required) {
        const Json* value = field(key, required);
        if (value != nullptr && !value->is_array()) {
            wrongType(key, "数组");
            return nullptr;
        }
        return value;
    }

    // Every field of the object must have been asked for.
    void finish() {
        for (auto it = object_.begin(); it != object_.end(); ++it) {
            if (used_.count(it.key()) == 0) {
                fail("不认识的字段" + inQuotes(it.key()));
                return;
            }
        }
    }

private:
    void wrongType(const char* key, const char* wanted) {
        fail("字段" + inQuotes(key) + "应为" + wanted);
    }

    bool readNumber(const Json* value, const char* key, double* out) {
        if (value == nullptr) return false;
        if (!value->is_number()) {
            wrongType(key, "数值");
            return false;
        }
        const double v = value->get<double>();
        if (!std::isfinite(v)) {
            wrongType(key, "有限的数值");
            return false;
        }
        *out = v;
        return true;
    }

    bool readInteger(const Json* value, const char* key, int32_t* out) {
        double v = 0.0;
        if (value == nullptr) return false;
        if (!value->is_number() || !std::isfinite(v = value->get<double>()) || v != std::trunc(v) ||
            v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
            wrongType(key, "整数");
            return false;
        }
        *out = static_cast<int32_t>(v);
        return true;
    }

    bool readText(const Json* value, const char* key, std::string* out) {
        if (value == nullptr) return false;
        if (!value->is_string()) {
            wrongType(key, "文字");
            return false;
        }
        *out = value->get<std::string>();
        return true;
    }

    const Json& object_;
    std::string where_;
    int32_t step_;
    std::set<std::string, std::less<>> used_;
    std::string message_;
};

std::string stepWhere(int32_t number, std::string_view kindName) {
    std::string where = "第" + std::to_string(number) + "步";
    if (!kindName.empty()) where += "（" + std::string(kindName) + "）";
    return where;
}

void readGas(ObjectReader& r, GasStep* s) {
    r.integer("channel", &s->channel);
    r.text("gas", &s->gas);
    r.number("flow", &s->flowMlMin);
}

void readValve(ObjectReader& r, ValveStep* s) {
    r.integer("valve", &s->valve);
    r.boolean("on", &s->on);
}

void readFurnace(ObjectReader& r, FurnaceStep* s) {
    struct Action {
        bool kind;
        std::string_view key;
    };
    static constexpr Action kActions[] = {{false, "start"}, {true, "stop"}};
    r.choice("action", kActions, &s->stop, false);
    if (r.failed() || s->stop) return;
    const Json* segments = r.array("segments", true);
    if (segments == nullptr) return;
    for (size_t i = 0; i < segments->size() && !r.failed(); ++i) {
        const Json& entry = (*segments)[i];
        const std::string name = "温控段" + std::to_string(i + 1);
        if (!entry.is_object()) {
            r.fail(name + "应为对象");
            return;
        }
        ObjectReader segment(entry, name, r.step());
        FurnaceSegment value;
        segment.number("target_c", &value.targetC);
        segment.number("rate_c_per_min", &value.rateCPerMin);
        segment.number("hold_min", &value.holdMin);
        segment.finish();
        if (segment.failed()) {
            r.fail(segment.message());
            return;
        }
        s->segments.push_back(value);
    }
}

void readWait(ObjectReader& r, WaitStep* s) {
    r.choice("until", kWaitKinds, &s->until);
    if (r.failed()) return;
    switch (s->until) {
    case WaitKind::Time:
        r.number("minutes", &s->minutes);
        break;
    case WaitKind::Temperature:
        r.number("target_c", &s->targetC);
        r.number("tolerance_c", &s->toleranceC);
        break;
    case WaitKind::Cooled:
        r.number("below_c", &s->belowC);
        break;
    case WaitKind::Stable:
        r.number("drift_mv_per_min", &s->driftMvPerMin);
        r.number("minutes", &s->minutes);
        break;
    }
    r.optionalNumber("timeout_min", &s->timeoutMin);
}

void readPulses(ObjectReader& r, PulsesStep* s) {
    r.number("interval_s", &s->intervalS);
    r.integer("agree_count", &s->agreeCount);
    r.number("agree_percent", &s->agreePercent);
    r.integer("max_count", &s->maxCount);
    r.number("loop_ml", &s->loopMl);
    r.optionalInteger("loop_valve", &s->loopValve);
    r.optionalNumber("inject_s", &s->injectS);
    r.optionalNumber("min_height_mv", &s->minHeightMv);
    r.optionalNumber("expected_uptake_ml", &s->expectedUptakeMl);
}

void readRecord(ObjectReader& r, RecordStep* s) {
    struct Action {
        bool kind;
        std::string_view key;
    };
    static constexpr Action kActions[] = {{true, "start"}, {false, "stop"}};
    r.choice("action", kActions, &s->start);
}

void readSave(ObjectReader& r, SaveStep* s) {
    const Json* items = r.array("items", false);
    if (items == nullptr) {
        s->items = defaultSaveItems(s->exportStep);
        return;
    }
    for (const Json& item : *items) {
        if (!item.is_string()) return r.fail("字段“items”应为文字的数组");
        const std::string key = item.get<std::string>();
        bool known = false;
        for (const ItemName& entry : kSaveItems) {
            if (entry.key == key) {
                s->items.push_back(entry.item);
                known = true;
            }
        }
        if (!known) return r.fail("不认识的保存项" + inQuotes(key));
    }
}

// One step; on failure the message names the step.
bool readStep(const Json& json, int32_t number, MethodStep* out, std::string* message) {
    if (!json.is_object()) {
        *message = stepWhere(number, {}) + "：应为对象";
        return false;
    }
    std::string kind;
    {
        ObjectReader probe(json, stepWhere(number, {}), number);
        probe.text("kind", &kind);
        if (probe.failed()) {
            *message = probe.message();
            return false;
        }
    }
    auto read = [&](auto step, auto reader) {
        ObjectReader r(json, stepWhere(number, stepKindName(MethodStep{step})), number);
        r.field("kind", true);
        reader(r, &step);
        if (!r.failed()) r.finish();
        if (r.failed()) {
            *message = r.message();
            return false;
        }
        *out = std::move(step);
        return true;
    };
    if (kind == "gas") return read(GasStep{}, readGas);
    if (kind == "valve") return read(ValveStep{}, readValve);
    if (kind == "furnace") return read(FurnaceStep{}, readFurnace);
    if (kind == "wait") return read(WaitStep{}, readWait);
    if (kind == "pulses") return read(PulsesStep{}, readPulses);
    if (kind == "record") return read(RecordStep{}, readRecord);
    if (kind == "mark") return read(MarkStep{}, [](ObjectReader& r, MarkStep* s) { r.text("name", &s->name); });
    if (kind == "evaluate") {
        return read(EvaluateStep{}, [](ObjectReader& r, EvaluateStep* s) { r.choice("report", kReportKinds, &s->report); });
    }
    if (kind == "save" || kind == "export") {
        SaveStep save;
        save.exportStep = kind == "export";
        return read(save, readSave);
    }
    *message = stepWhere(number, {}) + "：不认识的步骤类型" + inQuotes(kind);
    return false;
}

MethodReadResult refused(std::string message, int32_t step = 0) {
    MethodReadResult result;
    result.message = std::move(message);
    result.step = step;
    return result;
}

// Whole numbers are written without a fraction, so the file reads as it was typed.
Json numberJson(double value) {
    if (value == std::trunc(value) && std::abs(value) < 9.0e15) return Json(static_cast<int64_t>(value));
    return Json(value);
}

Json stepJson(const MethodStep& step) {
    Json j;
    j["kind"] = std::string(stepKindKey(step));
    std::visit(
        [&](const auto& s) {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, GasStep>) {
                j["channel"] = s.channel;
                j["gas"] = s.gas;
                j["flow"] = numberJson(s.flowMlMin);
            } else if constexpr (std::is_same_v<T, ValveStep>) {
                j["valve"] = s.valve;
                j["on"] = s.on;
            } else if constexpr (std::is_same_v<T, FurnaceStep>) {
                j["action"] = s.stop ? "stop" : "start";
                if (!s.stop) {
                    Json segments = Json::array();
                    for (const FurnaceSegment& segment : s.segments) {
                        Json e;
                        e["target_c"] = numberJson(segment.targetC);
                        e["rate_c_per_min"] = numberJson(segment.rateCPerMin);
                        e["hold_min"] = numberJson(segment.holdMin);
                        segments.push_back(std::move(e));
                    }
                    j["segments"] = std::move(segments);
                }
            } else if constexpr (std::is_same_v<T, WaitStep>) {
                for (const WaitName& entry : kWaitKinds) {
                    if (entry.kind == s.until) j["until"] = std::string(entry.key);
                }
                switch (s.until) {
                case WaitKind::Time:
                    j["minutes"] = numberJson(s.minutes);
                    break;
                case WaitKind::Temperature:
                    j["target_c"] = numberJson(s.targetC);
                    j["tolerance_c"] = numberJson(s.toleranceC);
                    break;
                case WaitKind::Cooled:
                    j["below_c"] = numberJson(s.belowC);
                    break;
                case WaitKind::Stable:
                    j["drift_mv_per_min"] = numberJson(s.driftMvPerMin);
                    j["minutes"] = numberJson(s.minutes);
                    break;
                }
                if (s.timeoutMin) j["timeout_min"] = numberJson(*s.timeoutMin);
            } else if constexpr (std::is_same_v<T, PulsesStep>) {
                j["interval_s"] = numberJson(s.intervalS);
                j["agree_count"] = s.agreeCount;
                j["agree_percent"] = numberJson(s.agreePercent);
                j["max_count"] = s.maxCount;
                j["loop_ml"] = numberJson(s.loopMl);
                j["loop_valve"] = s.loopValve;
                j["inject_s"] = numberJson(s.injectS);
                j["min_height_mv"] = numberJson(s.minHeightMv);
                if (s.expectedUptakeMl) j["expected_uptake_ml"] = numberJson(*s.expectedUptakeMl);
            } else if constexpr (std::is_same_v<T, RecordStep>) {
                j["action"] = s.start ? "start" : "stop";
            } else if constexpr (std::is_same_v<T, MarkStep>) {
                j["name"] = s.name;
            } else if constexpr (std::is_same_v<T, EvaluateStep>) {
                j["report"] = std::string(reportKindKey(s.report));
            } else if constexpr (std::is_same_v<T, SaveStep>) {
                Json items = Json::array();
                for (SaveItem item : s.items) items.push_back(std::string(saveItemKey(item)));
                j["items"] = std::move(items);
            }
        },
        step);
    return j;
}

}  // namespace

MethodReadResult readMethodText(std::string_view text) {
    if (text.size() > kMaxMethodBytes) return refused("方法文件太大，不是一个测试方法");
    const Json root = Json::parse(text.begin(), text.end(), nullptr, false);
    if (root.is_discarded()) return refused("方法文件不是有效的 JSON 文本");
    if (!root.is_object()) return refused("方法文件应为一个 JSON 对象");

    MethodFile method;
    ObjectReader top(root, "方法文件", 0);
    top.integer("format", &method.format);
    if (top.failed()) return refused(top.message());
    if (method.format != kMethodFormat) {
        return refused("方法文件的格式 " + std::to_string(method.format) + " 不受支持（本程序读格式 " +
                       std::to_string(kMethodFormat) + "）");
    }
    top.text("name", &method.name);
    top.choice("test", kTestKinds, &method.test);
    if (const Json* sample = top.object("sample", true)) {
        ObjectReader r(*sample, "样品", 0);
        r.text("name", &method.sample.name);
        r.number("weight_g", &method.sample.weightG);
        r.optionalText("tester", &method.sample.tester);
        r.optionalNumber("reducible_umol", &method.sample.reducibleUmol);
        r.optionalText("metal", &method.sample.metal);
        r.optionalNumber("metal_fraction", &method.sample.metalFraction);
        r.finish();
        if (r.failed()) top.fail(r.message());
    }
    if (const Json* safety = top.object("safety", false)) {
        ObjectReader r(*safety, "安全设置", 0);
        r.text("inert_gas", &method.safety.inertGas);
        r.number("safe_flow", &method.safety.safeFlowMlMin);
        r.finish();
        if (r.failed()) top.fail(r.message());
    }
    const Json* steps = top.array("steps", true);
    if (!top.failed()) top.finish();
    if (top.failed()) return refused(top.message());

    for (size_t i = 0; i < steps->size(); ++i) {
        const auto number = static_cast<int32_t>(i + 1);
        MethodStep step;
        std::string message;
        if (!readStep((*steps)[i], number, &step, &message)) return refused(message, number);
        method.steps.push_back(std::move(step));
    }
    MethodReadResult result;
    result.ok = true;
    result.method = std::move(method);
    return result;
}

MethodReadResult readMethodFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return refused("无法打开方法文件“" + path + "”");
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<size_t>(in.gcount()));
        if (text.size() > kMaxMethodBytes) return refused("方法文件太大，不是一个测试方法");
    }
    return readMethodText(text);
}

std::string methodText(const MethodFile& method) {
    Json root;
    root["format"] = method.format;
    root["name"] = method.name;
    root["test"] = std::string(testKindKey(method.test));
    Json sample;
    sample["name"] = method.sample.name;
    sample["weight_g"] = numberJson(method.sample.weightG);
    if (!method.sample.tester.empty()) sample["tester"] = method.sample.tester;
    if (method.sample.reducibleUmol) sample["reducible_umol"] = numberJson(*method.sample.reducibleUmol);
    if (!method.sample.metal.empty()) sample["metal"] = method.sample.metal;
    if (method.sample.metalFraction) sample["metal_fraction"] = numberJson(*method.sample.metalFraction);
    root["sample"] = std::move(sample);
    Json safety;
    safety["inert_gas"] = method.safety.inertGas;
    safety["safe_flow"] = numberJson(method.safety.safeFlowMlMin);
    root["safety"] = std::move(safety);
    Json steps = Json::array();
    for (const MethodStep& step : method.steps) steps.push_back(stepJson(step));
    root["steps"] = std::move(steps);
    // Texts that are not UTF-8 become U+FFFD rather than making the file unwritable.
    return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string writeMethodFile(const std::string& path, const MethodFile& method) {
    const std::string text = methodText(method);
    const ReplaceFileStatus status =
        replaceFile(path, [&](std::FILE* file) { return writeBlock(file, text.data(), text.size()); });
    if (status == ReplaceFileStatus::Ok) return {};
    return "无法保存方法文件“" + path + "”";
}

std::string_view stepKindKey(const MethodStep& step) {
    static constexpr std::string_view kKeys[] = {"gas",    "valve", "furnace", "wait",
                                                 "pulses", "record", "mark",   "evaluate"};
    if (const auto* save = std::get_if<SaveStep>(&step)) return save->exportStep ? "export" : "save";
    return kKeys[step.index()];
}

std::string_view stepKindName(const MethodStep& step) {
    static constexpr std::string_view kNames[] = {"气体", "阀门", "炉子", "等待", "脉冲", "记录", "标记", "评价"};
    if (const auto* save = std::get_if<SaveStep>(&step)) return save->exportStep ? "导出" : "保存";
    return kNames[step.index()];
}

std::string_view testKindKey(TestKind kind) {
    for (const KeyName& entry : kTestKinds) {
        if (entry.kind == kind) return entry.key;
    }
    return "other";
}

std::string_view reportKindKey(EvaluatedKind kind) {
    for (const ReportName& entry : kReportKinds) {
        if (entry.kind == kind) return entry.key;
    }
    return {};
}

std::string_view reportKindName(EvaluatedKind kind) {
    for (const ReportName& entry : kReportKinds) {
        if (entry.kind == kind) return entry.name;
    }
    return {};
}

std::string_view saveItemKey(SaveItem item) {
    for (const ItemName& entry : kSaveItems) {
        if (entry.item == item) return entry.key;
    }
    return {};
}

std::vector<SaveItem> defaultSaveItems(bool exportStep) {
    if (exportStep) return {SaveItem::Pdf, SaveItem::Csv};
    return {SaveItem::Trace, SaveItem::Report, SaveItem::Log};
}

}  // namespace vespian
