// Instrument control end to end: the frames the control windows' rules build (flows, valves,
// injectors, the furnace programme) travel over a pseudo-terminal to the simulated analyser, and
// the trace that comes back shows the furnace ramp and the peaks that follow; and the automatic
// desorption of four adsorbed positions on a stepped clock, its commands answered by the
// simulator with a desorption peak each.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "app/alarm_poll.h"
#include "app/auto_desorption.h"
#include "app/event_log.h"
#include "app/command_ids.h"
#include "control/flow_setting.h"
#include "control/furnace_program.h"
#include "control/injector_control.h"
#include "control/valve_panel.h"
#include "link/instrument_link.h"
#include "link/serial_driver.h"
#include "sim/simulated_analyser.h"
#include "sim/simulator_endpoint.h"
#include "sim/simulator_faults.h"
#include "sim/stream_reader.h"
#include "support/pty_pair.h"
#include "trace/chromatogram.h"

namespace vespian {
namespace {

using Clock = std::chrono::steady_clock;

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!condition() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

// A desorption peak as the eye judges it: the signal stays more than 8 mV above the baseline for
// 10 s, and the peak ends only once the signal has stayed within 2 mV of it for 10 s again, so a
// point or two misread on a busy line neither makes a peak nor splits one.
struct Peak {
    int32_t start;
    int32_t top;  // the highest point
};

std::vector<Peak> sustainedPeaks(const float* mv, int32_t from, int32_t to, float baseline) {
    constexpr int32_t kDwell = 10 * 5;
    std::vector<Peak> peaks;
    bool inPeak = false;
    int32_t high = 0, low = 0;
    for (int32_t i = from; i < to; ++i) {
        const float level = mv[i] - baseline;
        high = level > 8.0f ? high + 1 : 0;
        low = level < 2.0f ? low + 1 : 0;
        if (!inPeak && high == kDwell) {
            peaks.push_back({i - kDwell + 1, i});
            inPeak = true;
        }
        if (!inPeak) continue;
        if (level > mv[peaks.back().top] - baseline) peaks.back().top = i;
        if (low == kDwell) inPeak = false;
    }
    return peaks;
}

constexpr int32_t kNitrogen = 3;
constexpr int32_t kAmmonia = 0;

TEST(InstrumentControlEndToEnd, ATpdPreparedAndRunFromTheControlRulesOverAPseudoTerminal) {
    testing::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    sim::SimulatorEndpoint endpoint(pty.masterFd(), sim::SimulatorOptions{17, 60.0});
    ASSERT_TRUE(endpoint.start());
    sim::SimulatedAnalyser& analyser = endpoint.analyser();
    SerialDriver driver = SerialDriver::forPort(pty.slavePath());
    auto trace = std::make_unique<Chromatogram>();
    InstrumentReadings readings;
    InstrumentLink link(driver, *trace, readings);
    ASSERT_TRUE(link.open());
    link.start();
    ASSERT_TRUE(waitFor([&] { return trace->pointCount() > 20; }, std::chrono::seconds(20)));

    // Flows: nitrogen carrier, ammonia on channel 2 (120 clamped to its 70).
    FlowChannels flows;
    link.send(setChannelFlow(flows, 1, "30", kNitrogen).frame);
    const FlowSetResult ammonia = setChannelFlow(flows, 2, "120", kAmmonia);
    EXPECT_TRUE(ammonia.message.has_value());
    link.send(ammonia.frame);
    ASSERT_TRUE(waitFor([&] { return analyser.flowSetpoint(2) == 70; }, std::chrono::seconds(5)));
    EXPECT_EQ(analyser.gasCode(1), 1);
    EXPECT_EQ(analyser.gasCode(2), 3);
    ASSERT_TRUE(waitFor([&] { return std::abs(readings.flow2MlMin.load() - 70.0f) < 1.0f; }, std::chrono::seconds(10)))
        << "the measured flow follows with its lag and comes back in the flow frames";

    // Valves: the sample outlet to the vent and back, as the panel's button does.
    ValveStates valves;
    link.send(toggleValve(valves, 6).frame);
    ASSERT_TRUE(waitFor([&] { return analyser.valveOn(6); }, std::chrono::seconds(5)));
    EXPECT_FALSE(analyser.detectorSeesSample());
    link.send(toggleValve(valves, 6).frame);
    ASSERT_TRUE(waitFor([&] { return !analyser.valveOn(6); }, std::chrono::seconds(5)));

    // The injector dialog's adsorb on position 1.
    InjectorState injectors;
    link.send(pressInjectors(injectors, InjectorOperation::Adsorb, {true, false, false, false}).command);
    ASSERT_TRUE(waitFor([&] { return analyser.injectorLoaded(1); }, std::chrono::seconds(5)));

    // The programme dialog: one segment, 600 ℃ at 30 ℃/min, then start.
    FurnaceProgram program{};
    ProgrammeEditor editor(program);
    editor.open();
    editor.editField(0, "600");
    editor.editField(1, "30");
    editor.editField(2, "5");
    for (const Command& frame : editor.addSegment().frames) link.send(frame);
    const int32_t started = trace->pointCount();
    for (const Command& frame : editor.pressStartStop({}).frames) link.send(frame);
    ASSERT_TRUE(waitFor([&] { return analyser.programRunning(); }, std::chrono::seconds(5)));
    // 19 minutes of instrument time: about 19 wall seconds at 60× when the machine keeps up; when
    // it does not, the analyser waits for the terminal and the run takes longer, nothing is lost.
    ASSERT_TRUE(waitFor([&] { return readings.temperatureC.load() >= 599.5f; }, std::chrono::seconds(120)));
    ASSERT_TRUE(waitFor([&] { return trace->pointCount() > started + 20 * 60 * 5; }, std::chrono::seconds(60)));

    // The trace: the furnace ramp at 30 ℃/min and the three desorption peaks on the way.
    const int32_t end = trace->pointCount();
    const float* c = trace->temperatureC();
    const float* mv = trace->signalMv();
    const int32_t minuteLater = started + 60 * 5;
    EXPECT_NEAR(c[minuteLater + 5 * 60 * 5] - c[minuteLater], 150.0f, 5.0f) << "5 minutes at 30 ℃/min";
    float baseline = 0.0f;
    for (int32_t i = started - 10; i < started; ++i) baseline += mv[i] / 10.0f;
    const std::vector<Peak> peaks = sustainedPeaks(mv, started, end, baseline);
    ASSERT_EQ(peaks.size(), 3u) << "one desorption peak for each kind of site";
    for (size_t k = 1; k < peaks.size(); ++k) {
        EXPECT_GT(c[peaks[k].top], c[peaks[k - 1].top] + 50.0f) << "the stronger sites empty at higher temperatures";
    }

    // Stop: the question answered OK sends the stop frame; the furnace is left to cool.
    editor.pressStartStop({});
    for (const Command& frame : editor.answerStop(true).frames) link.send(frame);
    ASSERT_TRUE(waitFor([&] { return !analyser.programRunning(); }, std::chrono::seconds(5)));
    link.close();
    endpoint.stop();
}

// Four positions adsorbed with automatic desorption on: 18 minutes of adsorption, then every 5
// minutes the next position, each answered by a desorption peak in the trace. The minute timers
// fire on the analyser's clock, stepped period by period; nothing waits.
TEST(InstrumentControlEndToEnd, AutomaticDesorptionServesTheFourPositionsAt18And23And28And33Minutes) {
    sim::SimulatedAnalyser analyser(23);
    sim::testing::StreamReader reader;
    auto send = [&](const Command& c) { analyser.receive(c.bytes.data(), c.length); };
    send(StartStream());

    PeakSettings settings{};
    settings.autoDesorb = 1;
    settings.adsorptionMinutes = 18;
    settings.desorbIntervalMinutes = 5;
    InjectorState injectors;
    const InjectorPress press = pressInjectors(injectors, InjectorOperation::Adsorb, {true, true, true, true});
    send(press.command);
    AutoDesorption sequence;
    bool adsorptionTimer = false, intervalTimer = false;
    struct Sent {
        double minute;
        uint8_t byte;
    };
    std::vector<Sent> steps;
    auto apply = [&](const std::vector<DesorptionEffect>& effects) {
        for (const DesorptionEffect& e : effects) {
            if (e.kind == DesorptionEffectKind::SendCommand) {
                steps.push_back({analyser.instrumentSeconds() / 60.0, e.command.bytes[0]});
                send(e.command);
            }
            if (e.kind == DesorptionEffectKind::StartTimer) (e.timerId == kTimerAdsorptionMinutes ? adsorptionTimer : intervalTimer) = true;
            if (e.kind == DesorptionEffectKind::KillTimer) (e.timerId == kTimerAdsorptionMinutes ? adsorptionTimer : intervalTimer) = false;
        }
    };
    apply(sequence.injectorDialogClosed(press.adsorb, press.adsorbed, settings));
    ASSERT_TRUE(adsorptionTimer);

    // 40 minutes, one period at a time; a started minute timer fires every 60 s of the clock.
    const long periodsPerMinute = sim::testing::periodsFor(60.0);
    for (long period = 1; period <= 40 * periodsPerMinute; ++period) {
        sim::testing::run(analyser, 1, &reader);
        if (period % periodsPerMinute != 0) continue;
        if (adsorptionTimer) {
            apply(sequence.adsorptionMinute(settings));
        } else if (intervalTimer) {
            apply(sequence.intervalMinute(settings));
        }
    }
    ASSERT_EQ(steps.size(), 4u);
    const double minutes[] = {18, 23, 28, 33};
    const uint8_t bytes[] = {0xC4, 0xC8, 0xD0, 0xE0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(steps[i].minute, minutes[i], 1e-9);
        EXPECT_EQ(steps[i].byte, bytes[i]);
    }
    EXPECT_FALSE(intervalTimer) << "killed after the fourth position";
    for (int p = 1; p <= 4; ++p) EXPECT_FALSE(analyser.injectorLoaded(p));
    // Each step answered by a peak a few seconds later.
    const float baseline = static_cast<float>(analyser.baselineMv());
    const std::vector<int32_t> peaks = reader.excursions(sim::testing::pointsFor(static_cast<int>(17 * periodsPerMinute)),
                                                         baseline, 10.0f, 2.0f);
    ASSERT_EQ(peaks.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const double minute = peaks[static_cast<size_t>(i)] / (5.0 * kIndexFactor) / 60.0;
        EXPECT_GT(minute, minutes[i]);
        EXPECT_LT(minute, minutes[i] + 0.5);
    }
}

// The fault menu's alarms travel in the temperature frames; the main window's poll shows each
// once when it appears, and acknowledging a sensor alarm stops a running programme with the
// forced-stop frame, which the furnace obeys. A gas leak is shown once and never stops it.
TEST(InstrumentControlEndToEnd, AlarmsFromTheFaultMenuAndTheForcedStop) {
    sim::SimulatedAnalyser analyser(31);
    sim::testing::StreamReader reader;
    auto send = [&](const Command& c) { analyser.receive(c.bytes.data(), c.length); };
    send(StartStream());
    FurnaceProgram program{};
    ProgrammeEditor editor(program);
    editor.open();
    editor.editField(0, "500");
    editor.editField(1, "10");
    editor.editField(2, "30");
    for (const Command& c : editor.addSegment().frames) send(c);
    for (const Command& c : editor.pressStartStop({}).frames) send(c);
    ASSERT_TRUE(analyser.programRunning());

    // One poll on the code last decoded: the forced stop it arms, and the box and its OK.
    AlarmPoll alarmPoll;
    EventLog events;
    std::vector<std::string> shown;
    auto poll = [&] {
        sim::testing::run(analyser, 1, &reader);
        const AlarmPoll::Step step =
            alarmPoll.tick(reader.readings.alarmCode.load(), programmeRuns(program), 0, events);
        if (step.box) {
            shown.emplace_back(step.box->text);
            alarmPoll.acknowledged();
        }
        if (!step.startForcedStopTimer) return;
        if (const std::optional<Command> frame = forceProgrammeStop(program, false)) send(*frame);
    };
    sim::applyFault(analyser, sim::SimulatorFault::Alarm3, 1.0);
    for (int i = 0; i < 20; ++i) poll();
    EXPECT_EQ(shown.size(), 1u) << "shown once while the code persists";
    EXPECT_TRUE(program.running);
    EXPECT_TRUE(analyser.programRunning());

    shown.clear();
    sim::applyFault(analyser, sim::SimulatorFault::Alarm1, 1.0);
    poll();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "温度传感器故障!!!!程序升温已停止!!请检查!!");
    EXPECT_FALSE(program.running);
    EXPECT_FALSE(analyser.programRunning()) << "the forced stop reached the furnace";
    const int commands = analyser.commandsReceived();
    for (int i = 0; i < 20; ++i) poll();
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(analyser.commandsReceived(), commands) << "nothing running: nothing more is sent";
    sim::applyFault(analyser, sim::SimulatorFault::ClearAlarm, 1.0);
    poll();
    EXPECT_EQ(alarmPoll.persistingCode(), 0);
    sim::applyFault(analyser, sim::SimulatorFault::Alarm1, 1.0);
    poll();
    ASSERT_EQ(shown.size(), 2u) << "cleared and back: shown again";
    EXPECT_EQ(shown[1], "温度传感器故障!!!!请检查!!");
    EXPECT_EQ(events.size(), 5u);  // leak, its clearing, sensor, its clearing, sensor
}

}  // namespace
}  // namespace vespian
