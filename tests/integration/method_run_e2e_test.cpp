// A method run end to end over a pseudo-terminal: the runner ticked every 100 ms as the display
// ticks it, its frames written on the serial link to the simulated analyser at 60×, the trace
// coming back through the acquisition thread. A short method (hydrogen over the sample, a ramp
// to 400 ℃, a hold) runs to its end; a sensor alarm mid-ramp makes the analyser safe in the tick
// that sees it and nothing heats afterwards; a combustible-gas alarm shuts the hydrogen off; a
// link cut holds the run, which goes on when the data come back.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "control/control_state.h"
#include "link/instrument_link.h"
#include "link/link_watchdog.h"
#include "link/serial_driver.h"
#include "method/method_runner.h"
#include "sim/simulated_analyser.h"
#include "sim/simulator_endpoint.h"
#include "sim/simulator_faults.h"
#include "support/pty_pair.h"
#include "trace/chromatogram.h"

namespace vespian {
namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;
constexpr double kSpeed = 60.0;

MethodFile shortRamp() {
    WaitStep hot;
    hot.until = WaitKind::Temperature;
    hot.targetC = 400;
    hot.toleranceC = 5;
    hot.timeoutMin = 40;
    WaitStep hold;
    hold.minutes = 3;
    MethodFile method;
    method.name = "短程序";
    method.test = TestKind::Tpr;
    method.sample.name = "S1";
    method.sample.weightG = 0.05;
    method.safety = {"氩气", 30};
    method.steps = {GasStep{1, "氩气", 30}, GasStep{2, "氢气", 10}, ValveStep{0, true}, RecordStep{true},
                    FurnaceStep{false, {{400, 30, 5}}}, hot, hold, RecordStep{false}, FurnaceStep{true, {}},
                    ValveStep{0, false}, GasStep{2, "氢气", 0}, MarkStep{"完"}};
    return method;
}

Bytes bytesOf(const Command& c) { return Bytes(c.bytes.begin(), c.bytes.begin() + c.length); }

class MethodOverSerialLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        endpoint = std::make_unique<sim::SimulatorEndpoint>(pty.masterFd(), sim::SimulatorOptions{7, kSpeed});
        ASSERT_TRUE(endpoint->start());
        driver = std::make_unique<SerialDriver>(SerialDriver::forPort(pty.slavePath()));
        link = std::make_unique<InstrumentLink>(*driver, *trace, readings);
        ASSERT_TRUE(link->open());
        link->start();
        ASSERT_TRUE(tickUntil([&] { return trace->shownCount() > 20; }, std::chrono::seconds(20)));
    }
    void TearDown() override {
        link->close();
        endpoint->stop();
    }
    sim::SimulatedAnalyser& analyser() { return endpoint->analyser(); }

    RunnerInput input() {
        RunnerInput in;
        in.nowS = analyser().instrumentSeconds();
        in.signalMv = trace->signalMv();
        in.temperatureC = trace->temperatureC();
        in.pointCount = trace->shownCount();
        in.furnaceC = readings.temperatureC.load();
        in.alarmCode = readings.alarmCode.load();
        return in;
    }
    void carryOut(const RunnerOutput& out) {
        for (const Command& frame : out.frames) {
            link->send(frame);
            sent.push_back(bytesOf(frame));
        }
        for (const RunRequest& request : out.requests) {
            if (request.kind == RunRequestKind::ZeroSignal) trace->zeroSignal();
        }
        entries.insert(entries.end(), out.entries.begin(), out.entries.end());
    }
    // One display tick: 100 ms of waiting, the points taken over, the watchdog, the runner.
    const RunnerOutput* tick() {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        bool arrived = false;
        while (trace->takeOverPoint()) arrived = true;
        if (arrived) {
            watchdog.pointsArrived();
        } else if (watchdog.tick()) {
            link->reconnect();
        }
        if (!runner.active()) return nullptr;
        const RunnerOutput& out = runner.tick(input());
        carryOut(out);
        return &out;
    }
    bool tickUntil(const std::function<bool()>& condition, std::chrono::seconds limit) {
        const auto deadline = Clock::now() + limit;
        while (!condition() && Clock::now() < deadline) tick();
        return condition();
    }
    bool logged(RunEvent event) const {
        for (const RunLogEntry& e : entries) {
            if (e.event == event) return true;
        }
        return false;
    }
    void startRun() {
        commandsBefore = analyser().commandsReceived();
        carryOut(runner.start(shortRamp(), input()));
        ASSERT_TRUE(tickUntil([&] { return analyser().programRunning(); }, std::chrono::seconds(10)));
    }

    testing::PtyPair pty;
    std::unique_ptr<sim::SimulatorEndpoint> endpoint;
    std::unique_ptr<SerialDriver> driver;
    std::unique_ptr<Chromatogram> trace = std::make_unique<Chromatogram>();
    InstrumentReadings readings;
    std::unique_ptr<InstrumentLink> link;
    LinkWatchdog watchdog;
    ControlState control{};
    FlowChannels flows{};
    MethodRunner runner{control, flows};
    std::vector<Bytes> sent;
    std::vector<RunLogEntry> entries;
    int commandsBefore = 0;
};

TEST_F(MethodOverSerialLine, RunsToItsEndAndTheAnalyserHoldsWhatTheRunSent) {
    startRun();
    // 12.5 minutes of ramp and 3 of hold: some 16 s at 60×.
    ASSERT_TRUE(tickUntil([&] { return !runner.active(); }, std::chrono::seconds(120)));
    EXPECT_EQ(runner.progress(0).end, RunEnd::Completed) << runner.progress(0).endMessage;
    // The last frames are on their way: every one reaches the analyser as a command.
    EXPECT_TRUE(tickUntil([&] { return analyser().commandsReceived() - commandsBefore == static_cast<int>(sent.size()); },
                          std::chrono::seconds(5)));
    EXPECT_EQ(analyser().bytesSkipped(), 0);
    EXPECT_FALSE(analyser().programRunning());
    EXPECT_FALSE(analyser().valveOn(0));
    EXPECT_EQ(analyser().gasCode(2), 4);
    EXPECT_EQ(analyser().flowSetpoint(2), 0);
    EXPECT_EQ(analyser().gasCode(1), 2);
    EXPECT_EQ(analyser().flowSetpoint(1), 30);
    ASSERT_TRUE(runner.results().recorded.has_value());
    const RunStretch stretch = *runner.results().recorded;
    // The recorded stretch holds the ramp: from near room temperature to the 400 ℃ hold.
    EXPECT_LT(trace->temperatureC()[stretch.first], 60.0f);
    EXPECT_NEAR(trace->temperatureC()[stretch.last], 400.0f, 6.0f);
}

TEST_F(MethodOverSerialLine, ASensorAlarmMidRampMakesTheAnalyserSafeInTheTickThatSeesItAndNothingHeatsAfterwards) {
    startRun();
    ASSERT_TRUE(tickUntil([&] { return readings.temperatureC.load() > 150.0f; }, std::chrono::seconds(60)));
    const size_t before = sent.size();
    sim::applyFault(analyser(), sim::SimulatorFault::Alarm1, kSpeed);
    // The tick that ends the run is the first to see the alarm: it sends the whole safe state.
    std::vector<Bytes> inThatTick;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (inThatTick.empty() && Clock::now() < deadline) {
        const RunnerOutput* out = tick();
        if (out == nullptr || !out->ended) continue;
        for (const Command& frame : out->frames) inThatTick.push_back(bytesOf(frame));
    }
    EXPECT_EQ(inThatTick, (std::vector<Bytes>{{0x3E, 0, 0, 0, 0, 0, 0, 0x31},
                                              {0x3B, 0x12, 0x00, 0x1E},
                                              {0x3B, 0x24, 0x00, 0x00},
                                              {0x3B, 0x22, 0x00, 0x1E}}));
    EXPECT_EQ(sent.size(), before + 4);
    EXPECT_EQ(runner.progress(0).end, RunEnd::Alarm);
    // The frames arrive in order: the furnace stops first, argon reaches channel 2 last.
    ASSERT_TRUE(tickUntil([&] { return !analyser().programRunning(); }, std::chrono::seconds(5)));
    ASSERT_TRUE(tickUntil([&] { return analyser().gasCode(2) == 2; }, std::chrono::seconds(5)))
        << "argon on the hydrogen's channel";
    EXPECT_EQ(analyser().flowSetpoint(2), 30);
    const float stoppedAt = analyser().furnaceTemperatureC();
    for (int i = 0; i < 30; ++i) tick();  // three wall seconds, three minutes of the furnace
    EXPECT_LT(analyser().furnaceTemperatureC(), stoppedAt) << "cooling";
    EXPECT_EQ(sent.size(), before + 4) << "nothing sent after the safe state";
}

TEST_F(MethodOverSerialLine, ACombustibleGasAlarmShutsTheHydrogenOff) {
    startRun();
    ASSERT_TRUE(tickUntil([&] { return readings.temperatureC.load() > 100.0f; }, std::chrono::seconds(60)));
    sim::applyFault(analyser(), sim::SimulatorFault::Alarm3, kSpeed);
    ASSERT_TRUE(tickUntil([&] { return !runner.active(); }, std::chrono::seconds(10)));
    EXPECT_EQ(runner.progress(0).end, RunEnd::Alarm);
    ASSERT_TRUE(tickUntil([&] { return analyser().gasCode(2) == 2; }, std::chrono::seconds(5)));
    EXPECT_EQ(analyser().flowSetpoint(2), 30) << "purged with argon";
    EXPECT_EQ(analyser().gasCode(1), 2) << "the carrier was argon already and stays";
    EXPECT_TRUE(analyser().programRunning()) << "a gas leak does not stop the furnace";
}

TEST_F(MethodOverSerialLine, ALinkCutMidRunHoldsTheRunWhichGoesOnWhenTheDataComeBack) {
    startRun();
    ASSERT_TRUE(tickUntil([&] { return readings.temperatureC.load() > 100.0f; }, std::chrono::seconds(60)));
    analyser().silence(4.0 * kSpeed);  // four wall seconds
    ASSERT_TRUE(tickUntil([&] { return logged(RunEvent::LinkLost); }, std::chrono::seconds(10)));
    EXPECT_TRUE(runner.progress(analyser().instrumentSeconds()).linkLost);
    ASSERT_TRUE(tickUntil([&] { return logged(RunEvent::LinkBack); }, std::chrono::seconds(20)));
    ASSERT_TRUE(tickUntil([&] { return !runner.active(); }, std::chrono::seconds(120)));
    EXPECT_EQ(runner.progress(0).end, RunEnd::Completed) << runner.progress(0).endMessage;
}

}  // namespace
}  // namespace vespian
