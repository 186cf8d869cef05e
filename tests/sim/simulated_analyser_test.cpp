#include "sim/simulated_analyser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include "stream_reader.h"

namespace vespian::sim {
namespace {

using namespace testing;

bool isFrameType(uint8_t byte) { return byte >= 0x60 && byte <= 0x66; }

TEST(SimulatedAnalyserStream, SendsSeventyTwoDetectorFramesAPeriodBetweenStartAndHalt) {
    SimulatedAnalyser analyser;
    EXPECT_TRUE(emit(analyser).empty());
    send(analyser, StartStream());
    const std::vector<uint8_t> bytes = emit(analyser);
    ASSERT_EQ(bytes.size(), kPeriodBytes);  // 1960 bytes a second: half of what 38400 baud carries
    int counts[7] = {};
    int run = 0;
    int longestRun = 0;
    for (size_t i = 0; i < bytes.size(); i += 4) {
        ASSERT_TRUE(isFrameType(bytes[i])) << "offset " << i;
        ++counts[bytes[i] - 0x60];
        run = bytes[i] == 0x60 ? run + 1 : 0;
        longestRun = std::max(longestRun, run);
    }
    EXPECT_EQ(counts[0], 72);
    EXPECT_LE(longestRun, 6) << "the other frames are spread between the detector frames";
    EXPECT_GE(counts[1], 1);  // temperature
    EXPECT_GE(counts[2], 1);  // auxiliary
    EXPECT_GE(counts[3], 1);  // flow 1
    EXPECT_GE(counts[4], 1);  // flow 2
    EXPECT_EQ(counts[5], 2);  // flow 3, read past by the program
    EXPECT_EQ(counts[6], 2);  // flow 4
    send(analyser, Halt());
    EXPECT_TRUE(emit(analyser).empty());
    EXPECT_DOUBLE_EQ(analyser.instrumentSeconds(), 3 * kPeriodSeconds) << "time runs while quiet";
}

TEST(SimulatedAnalyserStream, SteadyBaselineDecodesToOnePointPerPeriodAtTheModelLevel) {
    SimulatedAnalyser analyser(3);
    send(analyser, StartStream());
    StreamReader reader;
    constexpr int kPeriods = 600;
    double sum = 0.0;
    double sumSquares = 0.0;
    for (int period = 0; period < kPeriods; ++period) {
        const int32_t slot = reader.points();  // the next reading lands here
        reader.feed(emit(analyser));
        const double point = reader.point(slot);
        ASSERT_NEAR(point, analyser.lastPointMv(), 0.03) << "period " << period;
        ASSERT_NEAR(point, analyser.baselineMv(), 0.08) << "period " << period;
        sum += point;
        sumSquares += point * point;
    }
    EXPECT_EQ(reader.unknownFrames(), 0);
    EXPECT_EQ(reader.points(), pointsFor(kPeriods));
    const double mean = sum / kPeriods;
    const double deviation = std::sqrt(sumSquares / kPeriods - mean * mean);
    EXPECT_GT(mean, 1.0);
    EXPECT_LT(mean, 6.0);
    EXPECT_GT(deviation, 0.003) << "a live detector shows some noise";
    EXPECT_LT(deviation, 0.05) << "but its baseline is steady";
}

TEST(SimulatedAnalyserStream, TemperatureAndFlowsDecodeToTheModelValues) {
    SimulatedAnalyser analyser;
    for (const Command& command : {ProgramFrame(1, 200, 30, 10), ProgramStartFrame(), FlowFrame(1, 1, 50),
                                   FlowFrame(2, 4, 80), StartStream()}) {
        send(analyser, command);
    }
    StreamReader reader;
    for (int period = 0; period < 150; ++period) {
        reader.feed(emit(analyser));
        ASSERT_NEAR(reader.readings.temperatureC.load(), analyser.furnaceTemperatureC(), 0.051f);
        ASSERT_NEAR(reader.readings.flow1MlMin.load(), analyser.measuredFlow(1), 0.051f);
        ASSERT_NEAR(reader.readings.flow2MlMin.load(), analyser.measuredFlow(2), 0.051f);
    }
    EXPECT_NEAR(analyser.furnaceTemperatureC(), 40.0f, 0.1f);  // 30 s at 30 ℃/min
    EXPECT_NEAR(reader.pointTemperature(reader.points() - 1), 40.0f, 0.2f);
    EXPECT_EQ(reader.readings.alarmCode.load(), 0);
}

TEST(SimulatedAnalyserCommands, EveryCommandOfTheCommandSetActs) {
    SimulatedAnalyser analyser;
    InjectorPositions oneAndThree;
    oneAndThree.position[0] = oneAndThree.position[2] = true;
    InjectorPositions one;
    one.position[0] = true;
    const Command commands[] = {StartStream(), CalibrationOn(), MeasureOn(),
                                InjectorCommand(InjectorOperation::Adsorb, oneAndThree),
                                InjectorCommand(InjectorOperation::Desorb, one), AutoDesorbStep(4),
                                ValveFrame(7, true), ValveFrame(6, true), ValveFrame(6, false),
                                FlowFrame(3, 2, 150), CleaningFrame(1, true), ProgramFrame(1, 300, 10, 5),
                                ProgramStartFrame()};
    for (const Command& command : commands) send(analyser, command);
    EXPECT_EQ(analyser.commandsReceived(), static_cast<int>(std::size(commands)));
    EXPECT_EQ(analyser.bytesSkipped(), 0);
    EXPECT_TRUE(analyser.streaming());
    EXPECT_FALSE(analyser.calibrationMode());
    EXPECT_FALSE(analyser.injectorLoaded(1)) << "desorbed again";
    EXPECT_FALSE(analyser.injectorLoaded(2));
    EXPECT_TRUE(analyser.injectorLoaded(3));
    EXPECT_EQ(analyser.peaksTriggered(), 4)
        << "one calibration loop, the uptakes of 1 and 3, the desorption of 1 (4 held nothing)";
    EXPECT_TRUE(analyser.valveOn(7));
    EXPECT_FALSE(analyser.valveOn(6));
    EXPECT_EQ(analyser.flowSetpoint(3), 150);
    EXPECT_EQ(analyser.gasCode(3), 2);
    EXPECT_EQ(analyser.flowSetpoint(1), 30) << "other channels keep their setpoints";
    EXPECT_TRUE(analyser.cleaning(1));
    EXPECT_FALSE(analyser.cleaning(0));
    EXPECT_TRUE(analyser.programRunning());

    for (const Command& command : {Halt(), CleaningFrame(1, false), ProgramStopFrame(1, 300, 10, 5)}) {
        send(analyser, command);
    }
    EXPECT_FALSE(analyser.streaming());
    EXPECT_FALSE(analyser.cleaning(1));
    EXPECT_FALSE(analyser.programRunning());
}

TEST(SimulatedAnalyserCommands, SplitCommandsAreReassembledAndNoiseIsSkipped) {
    std::vector<uint8_t> script = {0x00, 'x', 'D', 0x12};  // noise; a lone 'D' is noise too
    for (const Command& command : {FlowFrame(2, 3, 0x0123), ProgramFrame(1, 200, 20, 30), ValveFrame(4, true),
                                   CalibrationOn(), ProgramStartFrame(), StartStream()}) {
        script.insert(script.end(), command.bytes.begin(), command.bytes.begin() + command.length);
    }
    // Malformed commands are consumed whole: injector operation 3, valve action 5, flow channel
    // 5, segment 11. Then one more good command.
    script.insert(script.end(), {0xC3, ':', 0x55, ';', 0x50, 0, 10, '>', 11, 0, 100, 10, 0, 1, 0, '<', 0x10});
    for (size_t chunk : {size_t{1}, size_t{3}, size_t{5}}) {
        SimulatedAnalyser analyser;
        for (size_t at = 0; at < script.size(); at += chunk) {
            analyser.receive(script.data() + at, std::min(chunk, script.size() - at));
        }
        EXPECT_EQ(analyser.commandsReceived(), 7) << "chunks of " << chunk;
        EXPECT_EQ(analyser.bytesSkipped(), 4);
        EXPECT_EQ(analyser.flowSetpoint(2), 0x0123);
        EXPECT_EQ(analyser.gasCode(2), 3);
        EXPECT_TRUE(analyser.valveOn(4));
        EXPECT_TRUE(analyser.calibrationMode());
        EXPECT_TRUE(analyser.cleaning(0));
        send(analyser, Halt());
        run(analyser, periodsFor(60.0));
        EXPECT_NEAR(analyser.furnaceTemperatureC(), 45.0f, 0.1f) << "segment 1 ramps at 20 ℃/min";
    }
}

class SimulatedAnalyserFaults : public ::testing::Test {
protected:
    // Two analysers with one seed: the twin shows what the faulted one would have sent.
    SimulatedAnalyserFaults() {
        send(faulted, StartStream());
        send(twin, StartStream());
    }
    SimulatedAnalyser faulted{5};
    SimulatedAnalyser twin{5};
};

TEST_F(SimulatedAnalyserFaults, GarbageHoldsNoFrameTypeAndSpreadsOverPeriods) {
    faulted.injectGarbage(1000);
    StreamReader reader;
    size_t garbage = 0;
    for (int period = 0; period < 4; ++period) {
        const std::vector<uint8_t> bad = emit(faulted);
        const std::vector<uint8_t> good = emit(twin);
        ASSERT_LE(bad.size(), kMaxPeriodBytes);
        const size_t extra = bad.size() - good.size();
        EXPECT_TRUE(std::none_of(bad.begin(), bad.begin() + static_cast<long>(extra), isFrameType));
        EXPECT_TRUE(std::equal(good.begin(), good.end(), bad.begin() + static_cast<long>(extra)))
            << "the frames themselves are untouched";
        garbage += extra;
        reader.feed(bad);
    }
    EXPECT_EQ(garbage, 1000u);
    EXPECT_GT(reader.unknownFrames(), 100);
    for (int period = 0; period < 20; ++period) reader.feed(emit(faulted));
    EXPECT_NEAR(reader.point(reader.points() - 1), faulted.baselineMv(), 0.1) << "the grid is found again";
}

TEST_F(SimulatedAnalyserFaults, InsertedByteShiftsTheGridByOne) {
    faulted.insertByte(0x42);
    const std::vector<uint8_t> bad = emit(faulted);
    const std::vector<uint8_t> good = emit(twin);
    ASSERT_EQ(bad.size(), good.size() + 1);
    EXPECT_EQ(bad[0], 0x42);
    EXPECT_TRUE(std::equal(good.begin(), good.end(), bad.begin() + 1));
    StreamReader reader;
    reader.feed(bad);
    reader.feed(emit(faulted));
    EXPECT_EQ(reader.unknownFrames(), 1);
    EXPECT_EQ(reader.frames() - reader.unknownFrames(), 2 * kFramesPerPeriod - 1) << "one frame lost finding the grid";
}

TEST_F(SimulatedAnalyserFaults, SilenceSendsNothingForThatLongAndAlarmsTravelInTemperatureFrames) {
    faulted.silence(1.0);
    for (int period = 0; period < 5; ++period) EXPECT_TRUE(emit(faulted).empty()) << period;
    EXPECT_DOUBLE_EQ(faulted.instrumentSeconds(), 5 * kPeriodSeconds) << "the instrument ran on";
    faulted.setAlarm(3);
    const std::vector<uint8_t> bytes = emit(faulted);
    int temperatureFrames = 0;
    for (size_t i = 0; i < bytes.size(); i += 4) {
        if (bytes[i] != 0x61) continue;
        ++temperatureFrames;
        EXPECT_EQ(bytes[i + 1], 3);
        EXPECT_EQ((bytes[i + 2] << 8) | bytes[i + 3], 250) << "25.0 ℃ all the same";
    }
    EXPECT_GT(temperatureFrames, 0);
    StreamReader reader;
    reader.feed(bytes);
    EXPECT_EQ(reader.readings.alarmCode.load(), 3);
    faulted.setAlarm(0);
    reader.feed(emit(faulted));
    EXPECT_EQ(reader.readings.alarmCode.load(), 0);
}

TEST(SimulatedAnalyserDeterminism, OneSeedAndOneScriptGiveTheSameBytes) {
    auto record = [](uint64_t seed) {
        SimulatedAnalyser analyser(seed);
        std::vector<uint8_t> bytes;
        for (int period = 0; period < 400; ++period) {
            if (period == 0) send(analyser, StartStream());
            if (period == 10) send(analyser, FlowFrame(1, 1, 60));
            if (period == 20) send(analyser, AutoDesorbStep(2));
            if (period == 30) send(analyser, CalibrationOn());
            if (period == 40) send(analyser, ValveFrame(2, true));
            if (period == 50) analyser.injectGarbage(30);
            const std::vector<uint8_t> chunk = emit(analyser);
            bytes.insert(bytes.end(), chunk.begin(), chunk.end());
        }
        return bytes;
    };
    const std::vector<uint8_t> first = record(42);
    EXPECT_EQ(first, record(42));
    EXPECT_NE(first, record(43));
}

TEST(SimulatedAnalyserConcurrency, CommandsArriveWhileFramesAreProduced) {
    SimulatedAnalyser analyser;
    send(analyser, StartStream());
    constexpr int kToggles = 400;
    std::thread producer([&] { run(analyser, 1500); });
    for (int i = 0; i < kToggles; ++i) {
        const Command command = ValveFrame(i % 8, (i / 8) % 2 == 0);
        analyser.receive(command.bytes.data(), 1);  // each command in two writes
        analyser.receive(command.bytes.data() + 1, 1);
    }
    producer.join();
    EXPECT_EQ(analyser.commandsReceived(), kToggles + 1);
    EXPECT_DOUBLE_EQ(analyser.instrumentSeconds(), 1500 * kPeriodSeconds);
}

}  // namespace
}  // namespace vespian::sim
