#include "method/run_journal.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "method/method_plan.h"
#include "platform/replace_file.h"

namespace vespian {

namespace {

using Json = nlohmann::ordered_json;

constexpr size_t kMaxJournalBytes = 2 << 20;

bool isEvaluationOrSave(const MethodStep& step) {
    return std::holds_alternative<EvaluateStep>(step) || std::holds_alternative<SaveStep>(step);
}

}  // namespace

bool RunJournal::record(const MethodFile& method, const std::string& methodPath, int32_t step, int64_t startedWallS,
                        int64_t nowWallS) {
    if (method_ != &method || methodJson_.empty()) {
        methodJson_ = methodText(method);
        method_ = &method;
    }
    Json root;
    root["journal"] = kRunJournalFormat;
    root["method_path"] = methodPath;
    root["step"] = step;
    root["started"] = startedWallS;
    root["updated"] = nowWallS;
    root["method"] = Json::parse(methodJson_, nullptr, false);
    const std::string text = root.dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
    return replaceFile(path_, [&](std::FILE* file) { return writeBlock(file, text.data(), text.size()); }) ==
           ReplaceFileStatus::Ok;
}

bool RunJournal::finish() {
    methodJson_.clear();
    method_ = nullptr;
    return std::remove(path_.c_str()) == 0 || errno == ENOENT;
}

InterruptedRun inspectRunJournal(const std::string& path) {
    InterruptedRun run;
    std::ifstream in(path, std::ios::binary);
    if (!in) return run;
    run.found = true;
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<size_t>(in.gcount()));
        if (text.size() > kMaxJournalBytes) {
            run.message = "方法运行记录“" + path + "”太大，无法读取";
            return run;
        }
    }
    const Json root = Json::parse(text, nullptr, false);
    if (!root.is_object() || !root.contains("journal") || root["journal"] != kRunJournalFormat ||
        !root.contains("step") || !root["step"].is_number_integer() || !root.contains("method") ||
        !root["method"].is_object()) {
        run.message = "方法运行记录“" + path + "”无法读取";
        return run;
    }
    const MethodReadResult method = readMethodText(root["method"].dump());
    const int64_t step = root["step"].get<int64_t>();
    if (!method.ok || step < 0 || step > static_cast<int64_t>(method.method.steps.size())) {
        run.message = "方法运行记录“" + path + "”中的方法无法读取" + (method.ok ? "" : "：" + method.message);
        return run;
    }
    run.readable = true;
    run.method = method.method;
    run.step = static_cast<int32_t>(step);
    if (root.contains("method_path") && root["method_path"].is_string()) run.methodPath = root["method_path"];
    if (root.contains("started") && root["started"].is_number_integer()) run.startedWallS = root["started"];
    if (root.contains("updated") && root["updated"].is_number_integer()) run.updatedWallS = root["updated"];
    run.nextSafeStep = nextSafeStep(run.method, run.step);
    return run;
}

int32_t nextSafeStep(const MethodFile& method, int32_t step) {
    const auto count = static_cast<int32_t>(method.steps.size());
    if (step < 0) return 0;
    if (step >= count) return count;
    const MethodStep& current = method.steps[static_cast<size_t>(step)];
    const std::vector<PlannedState> states = planStates(method);
    const bool recording = states[static_cast<size_t>(step)].recording ||
                           (std::holds_alternative<RecordStep>(current) && std::get<RecordStep>(current).start);
    if (!recording && std::holds_alternative<WaitStep>(current)) return step;
    int32_t next = step + 1;
    if (recording) {
        // Past the stop of the recording that was cut short.
        while (next < count && states[static_cast<size_t>(next)].recording) ++next;
    }
    if (recording || std::holds_alternative<PulsesStep>(current)) {
        while (next < count && isEvaluationOrSave(method.steps[static_cast<size_t>(next)])) ++next;
    }
    return next;
}

SafeState endInterruptedRunSafely(const InterruptedRun& run, ControlState& control, FlowChannels& flows) {
    const std::vector<PlannedState> states = planStates(run.method);
    const PlannedState& planned = states[static_cast<size_t>(std::clamp(run.step, 0, static_cast<int32_t>(states.size()) - 1))];
    for (int32_t n = 0; n < kFlowChannelCount; ++n) {
        const ChannelPlan& c = planned.channels[static_cast<size_t>(n)];
        if (c.gasIndex < 0) continue;
        flows.channel[static_cast<size_t>(n)].gasIndex = c.gasIndex;
        flows.channel[static_cast<size_t>(n)].setpoint = static_cast<int32_t>(c.flowMlMin);
    }
    return safeStateFor(SafeStateCause::AfterCrash, control, flows, run.method.safety, channelsUsed(run.method));
}

bool canGoOn(const InterruptedRun& run) {
    return run.readable && run.nextSafeStep < static_cast<int32_t>(run.method.steps.size());
}

std::string interruptedRunQuestion(const InterruptedRun& run) {
    std::string text = interruptedRunText(run) + "\n\n";
    if (canGoOn(run)) text += "“是”：从第 " + std::to_string(run.nextSafeStep + 1) + " 步继续运行；\n";
    text += "“否”：让仪器进入安全状态（炉子停止，各通道切换为" + run.method.safety.inertGas +
            "），结束这次运行；\n“取消”：暂不处理，下次启动时再问。";
    return text;
}

std::string madeSafeText(const MethodSafety& safety) {
    return "仪器已进入安全状态：炉子停止，各通道切换为" + safety.inertGas;
}

std::string interruptedRunText(const InterruptedRun& run) {
    if (!run.readable) return run.message;
    const auto count = static_cast<int32_t>(run.method.steps.size());
    std::string text = "上次运行的方法“" + run.method.name + "”在第 " + std::to_string(run.step + 1) + " 步";
    if (run.step < count) text += "（" + std::string(stepKindName(run.method.steps[static_cast<size_t>(run.step)])) + "）";
    text += "中断。";
    if (run.nextSafeStep < count) {
        text += "可以让仪器进入安全状态并结束，或从第 " + std::to_string(run.nextSafeStep + 1) + " 步（" +
                std::string(stepKindName(run.method.steps[static_cast<size_t>(run.nextSafeStep)])) + "）继续。";
    } else {
        text += "后面没有可以继续的步骤，请让仪器进入安全状态并结束。";
    }
    return text;
}

}  // namespace vespian
