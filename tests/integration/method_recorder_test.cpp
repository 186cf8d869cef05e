// vespian-recorder --method as an operator uses it: a refused method runs nothing; a run killed
// with SIGKILL leaves its journal, the next start names the step it stopped at and ends safely
// or goes on when asked; an alarm and an abort end the program with their exit codes; the
// simulator told to raise an alarm at a step does so, and the run ends safely in that step.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "method/console_run.h"
#include "method/method_file.h"
#include "method/method_templates.h"
#include "method/run_journal.h"
#include "sim/simulator_endpoint.h"
#include "sim/simulator_faults.h"
#include "support/child_process.h"
#include "support/pty_pair.h"
#include "support/test_files.h"

namespace vespian {
namespace {

using Clock = std::chrono::steady_clock;

// Reads the child's lines until one holds `text` (kept in *lines); false when time is up.
bool readUntil(testing::ChildProcess& child, const std::string& text, std::chrono::seconds limit,
               std::vector<std::string>* lines) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        const std::optional<std::string> line = child.readLine(std::chrono::milliseconds(500));
        if (!line) continue;
        lines->push_back(*line);
        if (line->find(text) != std::string::npos) return true;
    }
    return false;
}

// Everything the child prints, and its exit status.
int finish(testing::ChildProcess& child, std::vector<std::string>* lines) {
    while (const std::optional<std::string> line = child.readLine(std::chrono::seconds(60))) lines->push_back(*line);
    return child.wait();
}

bool waitFor(const std::function<bool()>& condition) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!condition() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return condition();
}

bool anyHolds(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& line : lines) {
        if (line.find(text) != std::string::npos) return true;
    }
    return false;
}

std::string writeTemplate(const testing::TestFolder& folder, const std::string& fileName) {
    for (const TemplateText& t : shippedTemplateTexts()) {
        if (t.fileName == fileName) testing::writeBytes(folder / fileName, std::string(t.text));
    }
    return folder.file(fileName);
}

TEST(MethodRecorder, ARefusedMethodNamesItsStepAndRunsNothing) {
    testing::TestFolder folder("recorder_refused");
    testing::writeBytes(folder / "bad.json", R"({"format": 1, "name": "坏", "test": "TPD",
        "sample": {"name": "S", "weight_g": 0.1},
        "steps": [{"kind": "gas", "channel": 1, "gas": "氦气", "flow": 30}, {"kind": "heat", "to": 500}]})");
    testing::ChildProcess recorder(VESPIAN_RECORDER,
                                   {"--simulator", "--method", folder.file("bad.json"), "--data", folder.file("SAVE")});
    std::vector<std::string> lines;
    EXPECT_EQ(finish(recorder, &lines), kRunExitRefused);
    EXPECT_TRUE(anyHolds(lines, "第2步：不认识的步骤类型“heat”"));
    EXPECT_FALSE(std::filesystem::exists(folder / "SAVE" / kRunJournalFileName));
    EXPECT_FALSE(anyHolds(lines, "开始运行"));

    // Out of range: validated, every problem named, nothing run.
    testing::writeBytes(folder / "range.json", R"({"format": 1, "name": "坏", "test": "TPD",
        "sample": {"name": "S", "weight_g": 0.1},
        "steps": [{"kind": "gas", "channel": 7, "gas": "氦气", "flow": 30},
                  {"kind": "furnace", "segments": [{"target_c": 1500, "rate_c_per_min": 10, "hold_min": 5}]}]})");
    testing::ChildProcess range(VESPIAN_RECORDER,
                                {"--simulator", "--method", folder.file("range.json"), "--data", folder.file("SAVE")});
    lines.clear();
    EXPECT_EQ(finish(range, &lines), kRunExitRefused);
    EXPECT_TRUE(anyHolds(lines, "第1步（气体）通道：7 超出范围 1–4"));
    EXPECT_TRUE(anyHolds(lines, "第2步（炉子）第1段目标温度：1500 超出范围 1–1100 ℃"));
    EXPECT_FALSE(anyHolds(lines, "开始运行"));
}

TEST(MethodRecorder, ARunKilledMidStepIsNamedAtTheNextStartAndEndedSafelyOrContinued) {
    testing::TestFolder folder("recorder_killed");
    const std::string method = writeTemplate(folder, "tpr.json");
    const std::string data = folder.file("SAVE");
    const std::vector<std::string> args = {"--simulator", "--speed", "60", "--method", method, "--data", data};
    {
        testing::ChildProcess recorder(VESPIAN_RECORDER, args);
        std::vector<std::string> lines;
        ASSERT_TRUE(readUntil(recorder, "第4步（等待）开始", std::chrono::seconds(30), &lines));
        recorder.kill();
    }
    const InterruptedRun run = inspectRunJournal((std::filesystem::path(data) / kRunJournalFileName).string());
    ASSERT_TRUE(run.readable) << run.message;
    EXPECT_EQ(run.step, 3);
    EXPECT_EQ(run.nextSafeStep, 3) << "the wait for 300 ℃ is waited for again";
    EXPECT_EQ(run.methodPath, method);

    // Started again as before: the program says where the run stopped and does nothing else.
    testing::ChildProcess again(VESPIAN_RECORDER, args);
    std::vector<std::string> lines;
    EXPECT_EQ(finish(again, &lines), kRunExitInterrupted);
    EXPECT_TRUE(anyHolds(lines, "上次运行的方法“TPR 程序升温还原”在第 4 步（等待）中断"));
    EXPECT_TRUE(anyHolds(lines, "用 --resume 从第 4 步继续"));

    // Going on: the run starts at the wait, after setting the gases again.
    {
        std::vector<std::string> resumeArgs = args;
        resumeArgs.push_back("--resume");
        testing::ChildProcess resumed(VESPIAN_RECORDER, resumeArgs);
        lines.clear();
        ASSERT_TRUE(readUntil(resumed, "第4步（等待）开始", std::chrono::seconds(30), &lines));
        EXPECT_TRUE(anyHolds(lines, "从第 4 步继续"));
        EXPECT_FALSE(anyHolds(lines, "第1步"));
        resumed.kill();
    }

    std::vector<std::string> safeArgs = args;
    safeArgs.push_back("--end-safely");
    testing::ChildProcess safely(VESPIAN_RECORDER, safeArgs);
    lines.clear();
    EXPECT_EQ(finish(safely, &lines), kRunExitCompleted);
    EXPECT_TRUE(anyHolds(lines, "仪器已进入安全状态：炉子停止，各通道切换为氩气"));
    EXPECT_FALSE(inspectRunJournal((std::filesystem::path(data) / kRunJournalFileName).string()).found);
}

TEST(MethodRecorder, AnAlarmEndsTheProgramWithItsExitCodeAndSoDoesAnAbortedRun) {
    testing::TestFolder folder("recorder_alarm");
    testing::writeBytes(folder / "hot.json", R"({"format": 1, "name": "升温", "test": "other",
        "sample": {"name": "S", "weight_g": 0.1}, "safety": {"inert_gas": "氮气", "safe_flow": 20},
        "steps": [{"kind": "gas", "channel": 1, "gas": "氮气", "flow": 30},
                  {"kind": "furnace", "segments": [{"target_c": 900, "rate_c_per_min": 20, "hold_min": 5}]},
                  {"kind": "wait", "until": "temperature", "target_c": 900, "tolerance_c": 5, "timeout_min": 2}]})");
    testing::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    sim::SimulatorEndpoint endpoint(pty.masterFd(), sim::SimulatorOptions{3, 60.0});
    ASSERT_TRUE(endpoint.start());
    const std::vector<std::string> args = {"--port", pty.slavePath(), "--speed", "60", "--method",
                                           folder.file("hot.json"), "--data", folder.file("SAVE")};
    {
        testing::ChildProcess recorder(VESPIAN_RECORDER, args);
        std::vector<std::string> lines;
        ASSERT_TRUE(readUntil(recorder, "第3步（等待）开始", std::chrono::seconds(30), &lines));
        sim::applyFault(endpoint.analyser(), sim::SimulatorFault::Alarm2, 60.0);
        EXPECT_EQ(finish(recorder, &lines), kRunExitAlarm);
        EXPECT_TRUE(anyHolds(lines, "温度传感器未置于炉中！"));
        // The last frames may still be on the line when the program has ended.
        EXPECT_TRUE(waitFor([&] { return !endpoint.analyser().programRunning(); }));
        EXPECT_TRUE(waitFor([&] { return endpoint.analyser().flowSetpoint(1) == 20; }))
            << "nitrogen at the method's safe flow";
        EXPECT_EQ(endpoint.analyser().gasCode(1), 1);
    }
    sim::applyFault(endpoint.analyser(), sim::SimulatorFault::ClearAlarm, 60.0);

    // 900 ℃ at 20 ℃/min takes 44 minutes; the wait allows 2: the run is aborted, safely.
    testing::ChildProcess recorder(VESPIAN_RECORDER, args);
    std::vector<std::string> lines;
    EXPECT_EQ(finish(recorder, &lines), kRunExitAborted);
    EXPECT_TRUE(anyHolds(lines, "等待超过 2 分钟仍未达到，运行中止"));
    EXPECT_TRUE(waitFor([&] { return !endpoint.analyser().programRunning(); }));
    endpoint.stop();
}

// The simulator in the recorder raises sensor alarm 1 as step 4 (the wait during the ramp) starts:
// the run ends there with the forced stop and the inert gas, as its saved log shows.
TEST(MethodRecorder, TheSimulatorRaisesTheAlarmAtTheChosenStepAndTheRunEndsSafelyThere) {
    testing::TestFolder folder("recorder_step_alarm");
    testing::writeBytes(folder / "ramp.json", R"({"format": 1, "name": "升温", "test": "other",
        "sample": {"name": "S", "weight_g": 0.1}, "safety": {"inert_gas": "氮气", "safe_flow": 20},
        "steps": [{"kind": "gas", "channel": 1, "gas": "氮气", "flow": 30},
                  {"kind": "furnace", "segments": [{"target_c": 900, "rate_c_per_min": 20, "hold_min": 5}]},
                  {"kind": "save", "items": ["log"]},
                  {"kind": "wait", "until": "temperature", "target_c": 900, "tolerance_c": 5, "timeout_min": 120},
                  {"kind": "gas", "channel": 1, "gas": "氦气", "flow": 30}]})");
    const std::string data = folder.file("SAVE");
    testing::ChildProcess recorder(VESPIAN_RECORDER, {"--simulator", "--speed", "60", "--method", folder.file("ramp.json"),
                                                      "--data", data, "--alarm-at-step", "4:1"});
    std::vector<std::string> lines;
    EXPECT_EQ(finish(recorder, &lines), kRunExitAlarm);
    EXPECT_TRUE(anyHolds(lines, "模拟仪器：第4步开始时报警1"));
    EXPECT_TRUE(anyHolds(lines, "第4步（等待）开始"));
    EXPECT_TRUE(anyHolds(lines, "温度传感器故障！方法“升温”在第 4 步停止"));
    EXPECT_FALSE(anyHolds(lines, "第5步"));

    std::optional<std::filesystem::path> logPath;
    for (const auto& file : std::filesystem::recursive_directory_iterator(data)) {
        if (file.path().string().ends_with(".log.json")) logPath = file.path();
    }
    ASSERT_TRUE(logPath) << "the log saved by step 3, brought up to the run's end";
    std::ifstream in(*logPath);
    const nlohmann::json log = nlohmann::json::parse(in);
    std::vector<nlohmann::json> alarms;
    for (const nlohmann::json& entry : log["entries"]) {
        if (entry["event"] == "alarm") alarms.push_back(entry);
        EXPECT_LE(entry["step"].get<int>(), 4) << "nothing after the alarm's step";
    }
    ASSERT_EQ(alarms.size(), 1u);
    EXPECT_EQ(alarms[0]["step"], 4);
    const std::vector<std::string> frames = alarms[0]["frames"].get<std::vector<std::string>>();
    ASSERT_EQ(frames.size(), 2u) << "the forced stop, then channel 1 on nitrogen";
    EXPECT_EQ(frames[0], "3E 00 00 00 00 00 00 31");
    EXPECT_EQ(log["entries"].back()["event"], "run_end");

    // Only the simulator can be told, and only for a method run.
    testing::ChildProcess refused(VESPIAN_RECORDER, {"--simulator", "--alarm-at-step", "4:1"});
    lines.clear();
    EXPECT_EQ(finish(refused, &lines), 2);
    EXPECT_TRUE(anyHolds(lines, "--alarm-at-step 只能与 --simulator 和 --method 一起使用"));
    testing::ChildProcess malformed(VESPIAN_RECORDER, {"--simulator", "--method", folder.file("ramp.json"),
                                                        "--alarm-at-step", "4:9"});
    lines.clear();
    EXPECT_EQ(finish(malformed, &lines), 2);
    EXPECT_TRUE(anyHolds(lines, "报警代码 9 必须是 1、2 或 3"));
}

}  // namespace
}  // namespace vespian
