// The runner against a scripted analyser: the test writes the trace and the readings, ticks the
// runner and looks at the frames it sends. Frame bytes are the ones the control dialogs send,
// worked out by hand from the command layouts.

#include "method/method_runner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "method/run_journal.h"
#include "support/test_files.h"

namespace vespian {
namespace {

using Bytes = std::vector<uint8_t>;

WaitStep timeWait(double minutes) {
    WaitStep w;
    w.minutes = minutes;
    return w;
}
WaitStep temperatureWait(double targetC, double toleranceC) {
    WaitStep w;
    w.until = WaitKind::Temperature;
    w.targetC = targetC;
    w.toleranceC = toleranceC;
    return w;
}
WaitStep cooledWait(double belowC) {
    WaitStep w;
    w.until = WaitKind::Cooled;
    w.belowC = belowC;
    return w;
}
WaitStep stableWait(double minutes, double driftMvPerMin) {
    WaitStep w;
    w.until = WaitKind::Stable;
    w.minutes = minutes;
    w.driftMvPerMin = driftMvPerMin;
    return w;
}

Bytes bytesOf(const Command& c) { return Bytes(c.bytes.begin(), c.bytes.begin() + c.length); }

MethodFile methodOf(std::vector<MethodStep> steps) {
    MethodFile method;
    method.name = "试验";
    method.test = TestKind::Other;
    method.sample.name = "S1";
    method.sample.weightG = 0.1;
    method.safety = {"氩气", 30};
    method.steps = std::move(steps);
    return method;
}

// A scripted analyser: points at 5 per second, the furnace temperature and the alarm as the
// test sets them, and every frame the runner sends kept in order.
struct Bench {
    ControlState control{};
    FlowChannels flows{};
    MethodRunner runner{control, flows};
    std::vector<float> signal = std::vector<float>(200000, 0.0f);
    std::vector<float> temperature = std::vector<float>(200000, 25.0f);
    int32_t points = 0;
    double now = 0.0;
    float furnaceC = 25.0f;
    int32_t alarm = 0;
    std::vector<Bytes> sent;
    std::vector<RunLogEntry> entries;
    std::vector<RunRequest> requests;
    std::vector<PromptMessage> prompts;

    RunnerInput input() const {
        RunnerInput in;
        in.nowS = now;
        in.signalMv = signal.data();
        in.temperatureC = temperature.data();
        in.pointCount = points;
        in.furnaceC = furnaceC;
        in.alarmCode = alarm;
        return in;
    }
    const RunnerOutput& keep(const RunnerOutput& out) {
        for (const Command& c : out.frames) sent.push_back(bytesOf(c));
        entries.insert(entries.end(), out.entries.begin(), out.entries.end());
        requests.insert(requests.end(), out.requests.begin(), out.requests.end());
        prompts.insert(prompts.end(), out.prompts.begin(), out.prompts.end());
        return out;
    }
    const RunnerOutput& start(const MethodFile& method, int32_t first = 0, RunJournal* journal = nullptr) {
        return keep(runner.start(method, input(), first, journal));
    }
    // One tick `seconds` later, with the points of that time (level from `mv`) unless silent.
    const RunnerOutput& tick(double seconds = 0.2, bool silent = false) {
        const int32_t until = static_cast<int32_t>(std::lround((now + seconds) * 5.0));
        now += seconds;
        if (!silent) {
            for (; points < until; ++points) {
                signal[static_cast<size_t>(points)] = level(points / 5.0);
                temperature[static_cast<size_t>(points)] = furnaceC;
            }
        }
        return keep(runner.tick(input()));
    }
    // Ticks until `seconds` have passed.
    void run(double seconds, double tickS = 0.2) {
        const double end = now + seconds - 1e-9;
        while (now < end) tick(tickS);
    }
    bool logged(RunEvent event, const std::string& text = {}) const {
        for (const RunLogEntry& e : entries) {
            if (e.event == event && e.text.find(text) != std::string::npos) return true;
        }
        return false;
    }
    std::function<float(double)> level = [](double) { return 0.0f; };
};

TEST(MethodRunner, StepsThatOnlySendSendWhatTheDialogsSendInOneTick) {
    Bench b;
    const MethodFile method = methodOf({
        GasStep{1, "氩气", 30},
        GasStep{2, "氢气", 120},  // the flow dialog sets hydrogen's largest, 99
        ValveStep{3, true},
        ValveStep{3, true},  // believed on already: the same frame again
        ValveStep{3, false},
        FurnaceStep{false, {{500, 10, 30}, {600, 5, 10}}},
        FurnaceStep{false, {{300, 10, 5}}},  // while the first runs: the dialog's stop first
        RecordStep{true},
        MarkStep{"还原开始"},
        RecordStep{false},
        FurnaceStep{true, {}},
    });
    b.points = 40;
    const RunnerOutput& out = b.start(method);
    EXPECT_TRUE(out.ended);
    EXPECT_EQ(b.runner.progress(b.now).end, RunEnd::Completed);
    const std::vector<Bytes> expected = {
        {0x3B, 0x12, 0x00, 0x1E},                          // channel 1, argon (code 2), 30
        {0x3B, 0x24, 0x00, 0x63},                          // channel 2, hydrogen (code 4), 99
        {0x3A, 0x13}, {0x3A, 0x13}, {0x3A, 0x23},          // valve 3 on, on, off
        {0x3E, 0x01, 0x01, 0xF4, 0x0A, 0x00, 0x1E, 0x00},  // segment 1: 500 ℃, 10 ℃/min, 30 min
        {0x3E, 0x02, 0x02, 0x58, 0x05, 0x00, 0x0A, 0x00},  // segment 2: 600 ℃, 5 ℃/min, 10 min
        {0x3E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x30},  // start
        {0x3E, 0x01, 0x01, 0xF4, 0x0A, 0x00, 0x1E, 0x31},  // stop with segment 1's values
        {0x3E, 0x01, 0x01, 0x2C, 0x0A, 0x00, 0x05, 0x00},  // 300 ℃, 10 ℃/min, 5 min
        {0x3E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x30},
        {0x44, 0x45},                                      // "DE": the measurement starts
        {0x3E, 0x01, 0x01, 0x2C, 0x0A, 0x00, 0x05, 0x31},  // the last stop
    };
    EXPECT_EQ(b.sent, expected);
    // The control windows show what the run set.
    EXPECT_EQ(b.flows.channel[1].gasIndex, 13);
    EXPECT_EQ(b.flows.channel[1].setpoint, 99);
    EXPECT_EQ(gasNameOf(b.flows.channel[0]), "氩气");
    EXPECT_EQ(b.control.valves.state[3], 0);
    EXPECT_EQ(b.control.programme.running, 0);
    ASSERT_EQ(b.requests.size(), 1u);
    EXPECT_EQ(b.requests[0].kind, RunRequestKind::ZeroSignal);
    ASSERT_EQ(b.runner.results().marks.size(), 1u);
    EXPECT_EQ(b.runner.results().marks[0].point, 39);
    EXPECT_EQ(b.runner.results().recorded->first, 40);
    // Every step's start and end is in the log, the start with the frames it sent.
    int starts = 0, ends = 0;
    for (const RunLogEntry& e : b.runner.log().entries) {
        starts += e.event == RunEvent::StepStart;
        ends += e.event == RunEvent::StepEnd;
    }
    EXPECT_EQ(starts, 11);
    EXPECT_EQ(ends, 11);
    EXPECT_TRUE(b.logged(RunEvent::StepStart, "第2步（气体）：2#通道 氢气 120 ml/min（超过该气体的最大流量，按 99 ml/min 设定）"));
    EXPECT_EQ(b.runner.log().entries[1].frames, std::vector<std::string>{"3B 12 00 1E"});
}

TEST(MethodRunner, WaitsForTimeTemperatureCoolingAndAStableBaselineAndPauseHoldsTheClock) {
    Bench b;
    const MethodFile method = methodOf({
        timeWait(1.0),
        temperatureWait(300, 5),
        cooledWait(100),
        stableWait(1.0, 0.05),
        MarkStep{"完"},
    });
    b.start(method);
    b.run(30);
    b.keep(b.runner.pause(b.input()));
    b.run(60);
    EXPECT_EQ(b.runner.progress(b.now).step, 0) << "paused: the minute is not over";
    b.keep(b.runner.resume(b.input()));
    b.run(29);
    EXPECT_EQ(b.runner.progress(b.now).step, 0);
    b.run(1.2);
    EXPECT_EQ(b.runner.progress(b.now).step, 1) << "a minute of waiting, the pause not counted";

    b.furnaceC = 294.0f;
    b.run(5);
    EXPECT_EQ(b.runner.progress(b.now).step, 1);
    b.furnaceC = 296.0f;
    b.tick();
    EXPECT_EQ(b.runner.progress(b.now).step, 2);
    b.furnaceC = 100.0f;
    b.run(5);
    EXPECT_EQ(b.runner.progress(b.now).step, 2) << "below, not at";
    b.furnaceC = 99.5f;
    b.tick();
    EXPECT_EQ(b.runner.progress(b.now).step, 3);

    // Drifting by 0.2 mV a minute, then flat: a minute of flat signal ends the wait.
    const double flatFrom = b.now + 90.0;
    b.level = [&](double t) { return static_cast<float>(0.2 / 60.0 * std::min(t, flatFrom)); };
    b.run(89);
    EXPECT_EQ(b.runner.progress(b.now).step, 3) << "a whole minute of drift seen since 60 s";
    b.run(62);
    EXPECT_EQ(b.runner.progress(b.now).end, RunEnd::Completed);
    EXPECT_TRUE(b.logged(RunEvent::Paused));
    EXPECT_TRUE(b.sent.empty());
}

TEST(MethodRunner, SkipGoesOnAndAWaitThatNeverComesEndsTheRunSafely) {
    Bench b;
    b.start(methodOf({timeWait(60.0), GasStep{1, "氦气", 20}}));
    b.run(5);
    b.keep(b.runner.skipStep(b.input()));
    EXPECT_EQ(b.runner.progress(b.now).end, RunEnd::Completed);
    EXPECT_TRUE(b.logged(RunEvent::Skipped, "第1步（等待）被操作员跳过"));
    EXPECT_EQ(b.sent, (std::vector<Bytes>{{0x3B, 0x12, 0x00, 0x14}}));

    Bench t;
    WaitStep hot = temperatureWait(500, 5);
    hot.timeoutMin = 2.0;
    t.start(methodOf({GasStep{1, "氦气", 20}, hot, MarkStep{"不到"}}));
    t.sent.clear();
    t.run(119);
    EXPECT_TRUE(t.runner.active());
    t.run(1.2);
    EXPECT_EQ(t.runner.progress(t.now).end, RunEnd::Aborted);
    EXPECT_EQ(t.sent, (std::vector<Bytes>{{0x3B, 0x12, 0x00, 0x1E}})) << "helium 20 becomes argon 30";
    ASSERT_EQ(t.prompts.size(), 1u);
    EXPECT_NE(t.prompts[0].text.find("等待超过 2 分钟仍未达到"), std::string::npos);
    EXPECT_FALSE(t.logged(RunEvent::StepStart, "标记"));
}

MethodFile rampWithHydrogen() {
    return methodOf({GasStep{1, "氩气", 30}, GasStep{2, "氢气", 10}, ValveStep{0, true},
                     FurnaceStep{false, {{800, 10, 30}}}, temperatureWait(800, 5),
                     FurnaceStep{true, {}}});
}

TEST(MethodRunner, ASensorAlarmMidRampStopsTheFurnaceAndPutsEveryChannelOnTheInertGasInThatTick) {
    Bench b;
    b.start(rampWithHydrogen());
    b.run(10);
    b.furnaceC = 300.0f;
    b.sent.clear();
    b.alarm = 1;
    const RunnerOutput& out = b.tick();
    EXPECT_TRUE(out.ended);
    EXPECT_TRUE(out.furnaceForcedStop);
    const std::vector<Bytes> expected = {
        {0x3E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x31},  // the forced stop
        {0x3B, 0x12, 0x00, 0x1E},                          // channel 1: argon 30
        {0x3B, 0x24, 0x00, 0x00},                          // channel 2: hydrogen shut off
        {0x3B, 0x22, 0x00, 0x1E},                          // then argon 30
    };
    EXPECT_EQ(b.sent, expected);
    EXPECT_EQ(b.runner.progress(b.now).end, RunEnd::Alarm);
    EXPECT_EQ(b.control.programme.running, 0);
    ASSERT_EQ(b.prompts.size(), 1u);
    EXPECT_NE(b.prompts[0].text.find("温度传感器故障！方法“试验”在第 5 步停止"), std::string::npos);
    // Nothing more goes out, whatever comes.
    b.alarm = 0;
    b.run(60);
    EXPECT_EQ(b.sent.size(), expected.size());
}

TEST(MethodRunner, ACombustibleGasAlarmShutsTheFlammableGasAndPurgesButLeavesTheFurnace) {
    Bench b;
    b.start(rampWithHydrogen());
    b.run(10);
    b.sent.clear();
    b.alarm = 3;
    b.tick();
    EXPECT_EQ(b.sent, (std::vector<Bytes>{{0x3B, 0x24, 0x00, 0x00}, {0x3B, 0x22, 0x00, 0x1E}}));
    EXPECT_EQ(b.control.programme.running, 1) << "the alarm never stops the programme";
    EXPECT_EQ(b.runner.progress(b.now).end, RunEnd::Alarm);
    EXPECT_TRUE(b.logged(RunEvent::Alarm, "关闭可燃气体并吹扫；关闭通道 2#；氩气 30 ml/min 通入 2#"));
}

TEST(MethodRunner, ASilentLinkHoldsTheStepsThatNeedTheAnalyserAndTheLogSaysHowLong) {
    Bench b;
    WaitStep hot = temperatureWait(200, 5);
    hot.timeoutMin = 2.0;
    b.start(methodOf({timeWait(1.0), GasStep{1, "氦气", 20}, hot, MarkStep{"完"}}));
    b.run(30);
    for (int i = 0; i < 20; ++i) b.tick(0.1, true);
    EXPECT_FALSE(b.logged(RunEvent::LinkLost));
    b.tick(0.1, true);
    EXPECT_TRUE(b.logged(RunEvent::LinkLost)) << "the 21st silent tick, as the watchdog counts";
    // The wait for time goes on; the gas step after it waits for the link.
    while (b.now < 70.0) b.tick(0.1, true);
    EXPECT_TRUE(b.sent.empty());
    EXPECT_EQ(b.runner.progress(b.now).step, 1);
    b.points = static_cast<int32_t>(b.now * 5) - 1;  // points again
    b.tick();
    EXPECT_TRUE(b.logged(RunEvent::LinkBack, "中断了 38.1 秒"));
    EXPECT_EQ(b.sent, (std::vector<Bytes>{{0x3B, 0x12, 0x00, 0x14}}));

    // Cut again during the temperature wait, for longer than its time-out: the lost time does
    // not count towards it.
    b.run(60);
    for (int i = 0; i < 900; ++i) b.tick(0.1, true);
    b.points = static_cast<int32_t>(b.now * 5) - 1;
    b.tick();
    EXPECT_TRUE(b.runner.active());
    b.run(50);
    EXPECT_TRUE(b.runner.active());
    b.run(15);
    EXPECT_EQ(b.runner.progress(b.now).end, RunEnd::Aborted) << "two minutes of waiting with the link up";
}

// A dosing loop answering the runner: every switch of valve 3 on brings a pulse 8 s later of the
// next height in the list (0: taken up whole, no peak).
struct LoopBench : Bench {
    std::vector<float> heights;
    std::vector<double> pulseAt;
    size_t injected = 0;

    LoopBench() {
        level = [this](double t) {
            float mv = 0.02f * static_cast<float>(std::sin(t * 7.0));  // a little noise
            for (size_t k = 0; k < pulseAt.size(); ++k) {
                const double dt = t - pulseAt[k];
                if (dt < 0.0 || dt > 40.0 || k >= heights.size()) continue;
                mv += heights[k] * static_cast<float>(dt < 2.0 ? dt / 2.0 : std::exp(-(dt - 2.0) / 3.0));
            }
            return mv;
        };
    }
    void watchLoop(size_t from) {
        for (size_t i = from; i < sent.size(); ++i) {
            if (sent[i] == Bytes{0x3A, 0x13}) pulseAt.push_back(now + 8.0);
        }
    }
    void runPulses(double seconds, double tickS) {
        const double end = now + seconds;
        while (now < end && runner.active()) {
            const size_t before = sent.size();
            tick(tickS);
            watchLoop(before);
        }
    }
};

TEST(MethodRunner, PulsesUntilThreeSuccessiveAreasAgreeEachRecognisedAndIntegrated) {
    for (const double tickS : {0.2, 6.0}) {  // the display's pace, and a simulator at 60×
        SCOPED_TRACE(tickS);
        LoopBench b;
        b.heights = {0, 0, 5, 18, 20, 20.2f, 19.9f, 20, 20};
        PulsesStep pulses;
        pulses.intervalS = 60;
        pulses.agreeCount = 3;
        pulses.agreePercent = 3;
        pulses.maxCount = 9;
        pulses.injectS = 10;
        b.points = 100;
        b.now = 20.0;
        b.start(methodOf({pulses, MarkStep{"完"}}));
        b.watchLoop(0);
        b.runPulses(1200, tickS);
        ASSERT_EQ(b.runner.progress(b.now).end, RunEnd::Completed);
        const RunPulseSeries& series = *b.runner.results().pulses;
        ASSERT_EQ(series.pulses.size(), 7u) << "saturated at the seventh";
        EXPECT_TRUE(series.saturated);
        EXPECT_EQ(series.pulses[0].area, 0.0);
        EXPECT_EQ(series.pulses[1].area, 0.0);
        EXPECT_GT(series.pulses[2].area, 0.0);
        EXPECT_NEAR(series.pulses[3].area / series.pulses[4].area, 18.0 / 20.0, 0.02);
        EXPECT_NEAR(series.pulses[5].area / series.pulses[4].area, 20.2 / 20.0, 0.02);
        // The loop went in every 60 s and out again after 10.
        size_t on = 0, off = 0;
        for (const Bytes& f : b.sent) {
            on += f == Bytes{0x3A, 0x13};
            off += f == Bytes{0x3A, 0x23};
        }
        EXPECT_EQ(on, 7u);
        EXPECT_EQ(off, 7u);
        EXPECT_EQ(b.control.valves.state[3], 0);
        EXPECT_TRUE(b.logged(RunEvent::Note, "样品已饱和：最后 3 个峰面积相差"));
    }

    LoopBench growing;
    growing.heights = {2, 4, 6, 8, 10};
    PulsesStep pulses;
    pulses.maxCount = 5;
    growing.points = 100;
    growing.now = 20.0;
    growing.start(methodOf({pulses}));
    growing.watchLoop(0);
    growing.runPulses(600, 1.0);
    EXPECT_EQ(growing.runner.results().pulses->pulses.size(), 5u);
    EXPECT_FALSE(growing.runner.results().pulses->saturated);
    EXPECT_TRUE(growing.logged(RunEvent::Note, "已注入最多的 5 个脉冲，未达到饱和"));
}

TEST(MethodRunner, TheJournalFollowsTheStepsAndGoesWhenTheRunEndsAndARunGoesOnWithItsGasPath) {
    testing::TestFolder folder("runner_journal");
    RunJournal journal(folder.file(kRunJournalFileName));
    Bench b;
    const MethodFile method = methodOf(
        {GasStep{1, "氩气", 30}, ValveStep{0, true}, GasStep{2, "氢气", 10}, timeWait(1.0), MarkStep{"完"}});
    b.start(method, 0, &journal);
    const InterruptedRun during = inspectRunJournal(journal.path());
    ASSERT_TRUE(during.readable) << during.message;
    EXPECT_EQ(during.step, 3);
    EXPECT_EQ(during.method, method);
    b.run(61);
    EXPECT_FALSE(b.runner.active());
    EXPECT_FALSE(std::filesystem::exists(journal.path()));

    // Taken up again at the wait: the gases and the valve the earlier steps set go out first.
    Bench again;
    again.start(method, 3);
    EXPECT_EQ(again.sent, (std::vector<Bytes>{{0x3B, 0x12, 0x00, 0x1E}, {0x3B, 0x24, 0x00, 0x0A}, {0x3A, 0x10}}));
    EXPECT_EQ(again.runner.progress(again.now).step, 3);
    EXPECT_EQ(again.control.valves.state[0], 1);
}

TEST(MethodRunner, ProgressSaysWhatIsLeftOfTheStepAndTheRun) {
    Bench b;
    b.start(methodOf({timeWait(10.0), timeWait(5.0)}));
    b.run(120);
    const RunProgress p = b.runner.progress(b.now);
    EXPECT_EQ(p.step, 0);
    EXPECT_EQ(p.stepCount, 2);
    EXPECT_NEAR(p.stepElapsedS, 120.0, 0.3);
    EXPECT_NEAR(p.stepRemainingS, 480.0, 0.3);
    EXPECT_NEAR(p.runRemainingS, 780.0, 0.3);
    EXPECT_NEAR(p.stepFraction, 0.2, 0.001);
    EXPECT_EQ(p.stepText, "第1步（等待）：等待 10 分钟");
}

}  // namespace
}  // namespace vespian
