#include "sim/simulator_driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "link/instrument_link.h"
#include "stream_reader.h"

namespace vespian::sim {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using testing::StreamReader;

int32_t listedCount(SimulatorDriver& driver) {
    char buffer[kDescriptionBufferSize] = {};
    char* descriptions[1] = {buffer};
    int32_t count = -1;
    EXPECT_EQ(driver.listByDescription(descriptions, &count), DeviceStatus::Ok);
    return count;
}

std::unique_ptr<Device> openAnalyser(SimulatorDriver& driver) {
    std::unique_ptr<Device> device;
    EXPECT_EQ(driver.openByLocation(kSimulatorLocation, &device), DeviceStatus::Ok);
    return device;
}

DeviceStatus sendTo(Device& device, const Command& command) {
    uint32_t written = 0;
    return device.write(command.bytes.data(), command.length, &written);
}

std::vector<uint8_t> readBytes(Device& device, size_t length) {
    std::vector<uint8_t> bytes(length);
    uint32_t received = 0;
    EXPECT_EQ(device.read(bytes.data(), static_cast<uint32_t>(length), &received), DeviceStatus::Ok);
    bytes.resize(received);
    return bytes;
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

TEST(SimulatorDriver, ListsOneAnalyserAndOpensOneHandleAtATime) {
    SimulatorDriver driver;
    char buffer[kDescriptionBufferSize] = {};
    char* descriptions[2] = {buffer, nullptr};
    uint32_t locations[2] = {};
    int32_t count = 0;
    ASSERT_EQ(driver.listByDescription(descriptions, &count), DeviceStatus::Ok);
    EXPECT_EQ(count, 1);
    EXPECT_STREQ(buffer, "TRV-8800");
    ASSERT_EQ(driver.listByLocation(locations, &count), DeviceStatus::Ok);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(locations[0], 0x5A01u);
    std::unique_ptr<Device> device;
    EXPECT_EQ(driver.openByLocation(0x5A02, &device), DeviceStatus::DeviceNotFound);

    device = openAnalyser(driver);
    ASSERT_NE(device, nullptr);
    std::unique_ptr<Device> second;
    EXPECT_EQ(driver.openByLocation(kSimulatorLocation, &second), DeviceStatus::DeviceNotOpened);
    EXPECT_EQ(device->setBaudRate(kLineBaudRate), DeviceStatus::Ok);
    EXPECT_EQ(device->setDataCharacteristics(kBits8, kStopBits1, kParityNone), DeviceStatus::Ok);
    EXPECT_EQ(device->setTimeouts(kReadTimeoutMs, kWriteTimeoutMs), DeviceStatus::Ok);
    EXPECT_EQ(device->purge(kPurgeRx | kPurgeTx), DeviceStatus::Ok);
    EXPECT_EQ(device->setLatencyTimer(kLatencyTimerMs), DeviceStatus::Ok);
    EXPECT_EQ(sendTo(*device, FlowFrame(2, 4, 77)), DeviceStatus::Ok);
    EXPECT_EQ(driver.analyser().flowSetpoint(2), 77) << "writes are the analyser's commands";

    EXPECT_EQ(device->close(), DeviceStatus::Ok);
    EXPECT_EQ(device->close(), DeviceStatus::Ok) << "closing twice is harmless";
    uint8_t byte = 0x37;
    uint32_t done = 7;
    EXPECT_EQ(device->read(&byte, 1, &done), DeviceStatus::InvalidHandle);
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(device->write(&byte, 1, &done), DeviceStatus::InvalidHandle);
    EXPECT_FALSE(driver.analyser().streaming()) << "the write after close went nowhere";
    EXPECT_NE(openAnalyser(driver), nullptr) << "closing frees the bridge";
}

TEST(SimulatorDriver, AsFastAsPossibleFillsAReadAtOnceFromWholeFrames) {
    SimulatorDriver driver({7, 0.0});
    std::unique_ptr<Device> device = openAnalyser(driver);
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(sendTo(*device, StartStream()), DeviceStatus::Ok);
    const std::vector<uint8_t> bytes = readBytes(*device, 4096);
    ASSERT_EQ(bytes.size(), 4096u);
    // 4096 bytes are eleven periods: the instrument ran over two seconds during the read.
    EXPECT_GE(driver.analyser().instrumentSeconds(), 2.0);
    EXPECT_LE(driver.analyser().instrumentSeconds(), 2.6);
    StreamReader reader;
    reader.feed(bytes);
    EXPECT_EQ(reader.unknownFrames(), 0) << "the first byte begins a frame";
    EXPECT_EQ(reader.points(), testing::pointsFor(10));
    EXPECT_NEAR(reader.point(reader.points() - 1), driver.analyser().baselineMv(), 0.1);
}

TEST(SimulatorDriver, ReadTimesOutWithNoBytesWhileTheAnalyserIsQuiet) {
    for (double speed : {1.0, 0.0}) {
        SimulatorDriver driver({1, speed});
        std::unique_ptr<Device> device = openAnalyser(driver);
        ASSERT_NE(device, nullptr);
        ASSERT_EQ(device->setTimeouts(150, 1000), DeviceStatus::Ok);
        const auto start = Clock::now();
        EXPECT_TRUE(readBytes(*device, 1).empty());
        EXPECT_GE(secondsSince(start), 0.14) << "speed " << speed;
    }
}

TEST(SimulatorDriver, RealSpeedDeliversAsTheInstrumentClockRuns) {
    SimulatorDriver driver({3, 1.0});
    std::unique_ptr<Device> device = openAnalyser(driver);
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(device->setTimeouts(50, 1000), DeviceStatus::Ok);
    const double openedAt = driver.analyser().instrumentSeconds();
    ASSERT_EQ(sendTo(*device, StartStream()), DeviceStatus::Ok);
    const auto start = Clock::now();
    std::vector<uint8_t> bytes;
    while (secondsSince(start) < 0.3) {
        const std::vector<uint8_t> chunk = readBytes(*device, 4096);
        bytes.insert(bytes.end(), chunk.begin(), chunk.end());
    }
    const double wall = secondsSince(start);
    const double instrument = driver.analyser().instrumentSeconds() - openedAt;
    // Only periods produced since the open can have been delivered, and those kept to the wall.
    EXPECT_LE(bytes.size(), static_cast<size_t>(instrument / kPeriodSeconds + 0.5) * kPeriodBytes);
    EXPECT_LE(instrument, wall + kPeriodSeconds + 1e-9);
    // About 1880 bytes a second: what was due by the last read's end has been delivered.
    EXPECT_GE(bytes.size(), static_cast<size_t>((0.3 - 2 * kPeriodSeconds) * 1880));
    StreamReader reader;
    reader.feed(bytes);
    EXPECT_EQ(reader.unknownFrames(), 0);
}

TEST(SimulatorDriver, TheInstrumentRunsOnWhileClosedAndKeepsItsState) {
    SimulatorDriver driver({5, 10.0});
    std::unique_ptr<Device> device = openAnalyser(driver);
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(sendTo(*device, FlowFrame(1, 1, 55)), DeviceStatus::Ok);
    ASSERT_EQ(sendTo(*device, StartStream()), DeviceStatus::Ok);
    device.reset();  // closes
    const double closedAt = driver.analyser().instrumentSeconds();
    const auto start = Clock::now();
    std::this_thread::sleep_for(milliseconds(300));
    driver.catchUp();
    EXPECT_GE(driver.analyser().instrumentSeconds() - closedAt, 10.0 * 0.3 - 2 * kPeriodSeconds);
    EXPECT_LE(driver.analyser().instrumentSeconds() - closedAt, 10.0 * secondsSince(start) + kPeriodSeconds);

    device = openAnalyser(driver);
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(driver.analyser().streaming()) << "reopening the link does not reset the instrument";
    ASSERT_EQ(device->setTimeouts(5000, 1000), DeviceStatus::Ok);
    const std::vector<uint8_t> bytes = readBytes(*device, 3 * kPeriodBytes);
    ASSERT_EQ(bytes.size(), 3 * kPeriodBytes) << "a read waits until its length has arrived";
    StreamReader reader;
    reader.feed(bytes);
    EXPECT_EQ(reader.unknownFrames(), 0) << "a fresh handle starts on a frame";
    EXPECT_GT(reader.readings.flow1MlMin.load(), 40.0f) << "the flow kept settling towards 55";
}

TEST(SimulatorDriver, UnpluggedTheInstrumentVanishesAndItsOldHandleStaysDead) {
    SimulatorDriver driver({2, 1.0});
    std::unique_ptr<Device> old = openAnalyser(driver);
    ASSERT_NE(old, nullptr);
    ASSERT_EQ(sendTo(*old, StartStream()), DeviceStatus::Ok);
    const auto unplugged = Clock::now();
    driver.unplug(0.4);

    EXPECT_EQ(listedCount(driver), 0);
    std::unique_ptr<Device> device;
    EXPECT_EQ(driver.openByLocation(kSimulatorLocation, &device), DeviceStatus::DeviceNotFound);
    uint8_t buffer[16];
    uint32_t received = 0;
    const auto readStart = Clock::now();
    EXPECT_EQ(old->read(buffer, sizeof buffer, &received), DeviceStatus::IoError);
    EXPECT_GE(secondsSince(readStart), 0.09) << "a failing read does not return at once";
    EXPECT_EQ(sendTo(*old, Halt()), DeviceStatus::IoError);
    EXPECT_TRUE(driver.analyser().streaming()) << "the command never reached the instrument";

    std::this_thread::sleep_until(unplugged + milliseconds(450));
    EXPECT_EQ(listedCount(driver), 1);
    EXPECT_EQ(old->read(buffer, sizeof buffer, &received), DeviceStatus::IoError) << "replugged: new handle";
    device = openAnalyser(driver);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(old->close(), DeviceStatus::Ok);
    EXPECT_EQ(readBytes(*device, sizeof buffer).size(), sizeof buffer)
        << "the instrument kept streaming, and closing the dead handle left the new one alone";
}

// The acquisition thread reads while this thread writes commands on the same handle.
TEST(SimulatorDriverConcurrency, TheInstrumentLinkRecordsTheSimulatedTrace) {
    SimulatorDriver driver({6, 20.0});
    Chromatogram chromatogram;
    InstrumentReadings readings;
    {
        InstrumentLink link(driver, chromatogram, readings);
        ASSERT_TRUE(link.open());
        link.start();
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        for (uint16_t flow = 31; chromatogram.pointCount() < 60 && Clock::now() < deadline; ++flow) {
            link.send(FlowFrame(1, 1, flow));
            std::this_thread::sleep_for(milliseconds(5));
        }
        link.close();
    }
    ASSERT_GE(chromatogram.pointCount(), 60);
    EXPECT_FALSE(driver.analyser().streaming()) << "closing the link halts the stream";
    const double baseline = driver.analyser().baselineMv();
    for (int32_t i = 0; i < chromatogram.pointCount(); ++i) {
        ASSERT_NEAR(chromatogram.signalMv()[i], baseline, 0.2) << "point " << i;
        ASSERT_FLOAT_EQ(chromatogram.temperatureC()[i], 25.0f) << "point " << i;
    }
    EXPECT_GT(readings.flow1MlMin.load(), 30.0f);
    EXPECT_EQ(readings.lastReadStatus.load(), 0);
    EXPECT_EQ(driver.analyser().commandsReceived(), driver.analyser().flowSetpoint(1) - 30 + 2) << "with '7' and 'H'";
}

}  // namespace
}  // namespace vespian::sim
