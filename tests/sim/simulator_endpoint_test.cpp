#include "sim/simulator_endpoint.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "link/serial_driver.h"
#include "stream_reader.h"
#include "support/pty_pair.h"

namespace vespian::sim {
namespace {

using Clock = std::chrono::steady_clock;
using testing::StreamReader;
using vespian::testing::PtyPair;

// The program's side: the kernel serial backend on the slave end of the pair.
std::unique_ptr<Device> openPort(const PtyPair& pty) {
    SerialDriver driver = SerialDriver::forPort(pty.slavePath());
    std::unique_ptr<Device> device;
    EXPECT_EQ(driver.openByLocation(0, &device), DeviceStatus::Ok);
    if (device != nullptr) {
        EXPECT_EQ(device->setBaudRate(38400), DeviceStatus::Ok);
        EXPECT_EQ(device->setTimeouts(2000, 1000), DeviceStatus::Ok);
    }
    return device;
}

void sendTo(Device& device, const Command& command) {
    uint32_t written = 0;
    ASSERT_EQ(device.write(command.bytes.data(), command.length, &written), DeviceStatus::Ok);
}

std::vector<uint8_t> readBytes(Device& device, size_t length) {
    std::vector<uint8_t> bytes(length);
    uint32_t received = 0;
    EXPECT_EQ(device.read(bytes.data(), static_cast<uint32_t>(length), &received), DeviceStatus::Ok);
    bytes.resize(received);
    return bytes;
}

template <typename Condition>
bool waitFor(Condition condition) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!condition() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return condition();
}

TEST(SimulatorEndpointConcurrency, ServesTheAnalyserOverAPseudoTerminal) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    SimulatorEndpoint endpoint(pty.masterFd(), {9, 5.0});
    ASSERT_TRUE(endpoint.start());
    std::unique_ptr<Device> port = openPort(pty);
    ASSERT_NE(port, nullptr);

    sendTo(*port, FlowFrame(1, 1, 66));
    sendTo(*port, StartStream());
    ASSERT_TRUE(waitFor([&] { return endpoint.analyser().streaming(); }));
    EXPECT_EQ(endpoint.analyser().flowSetpoint(1), 66);

    const std::vector<uint8_t> bytes = readBytes(*port, 5 * kPeriodBytes);
    ASSERT_EQ(bytes.size(), 5 * kPeriodBytes);
    StreamReader reader;
    reader.feed(bytes);
    EXPECT_EQ(reader.unknownFrames(), 0) << "the line was quiet before '7': the first byte begins a frame";
    EXPECT_EQ(reader.points(), testing::pointsFor(5));
    EXPECT_NEAR(reader.point(reader.points() - 1), endpoint.analyser().baselineMv(), 0.1);
    EXPECT_FLOAT_EQ(reader.readings.temperatureC.load(), 25.0f);
    EXPECT_GT(reader.readings.flow1MlMin.load(), 30.0f) << "heading for 66 ml/min";
}

TEST(SimulatorEndpointConcurrency, AsFastAsPossibleWaitsForTheTerminalWithoutLosingBytes) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    SimulatorEndpoint endpoint(pty.masterFd(), {9, 0.0});
    ASSERT_TRUE(endpoint.start());
    std::unique_ptr<Device> port = openPort(pty);
    ASSERT_NE(port, nullptr);
    sendTo(*port, StartStream());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the terminal fills up
    StreamReader reader;
    reader.feed(readBytes(*port, 100 * kPeriodBytes));
    EXPECT_EQ(reader.unknownFrames(), 0);
    EXPECT_EQ(reader.points(), testing::pointsFor(100));
}

// Nobody reads while a fast analyser streams: the terminal fills, the analyser waits for it, and
// what the reader then takes is whole frames from the first byte to the last.
TEST(SimulatorEndpointConcurrency, AFullTerminalMakesThePacedAnalyserWaitInsteadOfLosingBytes) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    SimulatorEndpoint endpoint(pty.masterFd(), {9, kMaxSpeed});
    ASSERT_TRUE(endpoint.start());
    std::unique_ptr<Device> port = openPort(pty);
    ASSERT_NE(port, nullptr);
    sendTo(*port, StartStream());
    ASSERT_TRUE(waitFor([&] { return endpoint.holds() > 0; })) << "the terminal and the queue filled up";
    // Far more than the terminal and the analyser's queue hold together.
    StreamReader reader;
    constexpr size_t kChunk = 64 * 1024;
    for (int i = 0; i < 8; ++i) {
        const std::vector<uint8_t> bytes = readBytes(*port, kChunk);
        ASSERT_EQ(bytes.size(), kChunk);
        reader.feed(bytes);
    }
    EXPECT_EQ(reader.unknownFrames(), 0);
    EXPECT_EQ(reader.frames(), static_cast<long>(8 * kChunk / 4));
    EXPECT_EQ(reader.points(), testing::pointsFor(static_cast<int>(8 * kChunk / kPeriodBytes))) << "no period missing";
}

TEST(SimulatorEndpointConcurrency, StopsPromptlyAndServesAgainAfterARestart) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    SimulatorEndpoint endpoint(pty.masterFd(), {9, 1.0});
    ASSERT_TRUE(endpoint.start());
    const auto stopping = Clock::now();
    endpoint.stop();
    EXPECT_FALSE(endpoint.running());
    // The wake pipe ends the thread's wait at once; the bound only catches a thread that waits on
    // for its data, and leaves room for a busy machine.
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - stopping).count(), 5.0);

    std::unique_ptr<Device> port = openPort(pty);
    ASSERT_NE(port, nullptr);
    sendTo(*port, ValveFrame(2, true));  // waits in the terminal until the endpoint serves again
    ASSERT_TRUE(endpoint.start());
    EXPECT_TRUE(waitFor([&] { return endpoint.analyser().valveOn(2); }));
}

}  // namespace
}  // namespace vespian::sim
