#include "link/acquisition_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "link/instrument_link.h"
#include "support/fake_link_driver.h"
#include "trace/chromatogram.h"

namespace vespian {
namespace {

using testing::FakeLinkDriver;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

const Bytes kTemperature100 = {0x61, 0x00, 0x03, 0xE8};
const Bytes kTemperature25 = {0x61, 0x00, 0x00, 0xFA};
const Bytes kDetectorZero = {0x60, 0x80, 0x00, 0x00};

Bytes repeated(const Bytes& frame, int times) {
    Bytes bytes;
    for (int i = 0; i < times; ++i) bytes.insert(bytes.end(), frame.begin(), frame.end());
    return bytes;
}

bool waitFor(const std::function<bool()>& condition) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!condition() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return condition();
}

// The acquisition thread over a scripted device whose reads time out after 2 ms.
class AcquisitionConcurrency : public ::testing::Test {
protected:
    void SetUp() override {
        driver.setDevices({{"TRV-8800", 1}});
        ASSERT_TRUE(link.open());
        link.start();
    }
    // Feeds the bytes and waits until the thread has read them all and one more read has begun,
    // so the last of them has been decoded.
    void feedAndDrain(const Bytes& bytes) {
        driver.feed(bytes);
        ASSERT_TRUE(waitFor([&] { return driver.pendingBytes() == 0; }));
        const long reads = driver.reads();
        ASSERT_TRUE(waitFor([&] { return driver.reads() > reads + 1; }));
    }

    FakeLinkDriver driver;
    Chromatogram chromatogram;
    InstrumentReadings readings;
    InstrumentLink link{driver, chromatogram, readings};
};

TEST_F(AcquisitionConcurrency, FailedByteDropsThePartialFrame) {
    feedAndDrain({0x61, 0x00});  // then the read times out: the two bytes are dropped
    feedAndDrain(kTemperature100);
    EXPECT_EQ(readings.temperatureC.load(), 100.0f);
    EXPECT_EQ(readings.lastReadStatus.load(), 0);
}

TEST_F(AcquisitionConcurrency, UnknownInsertedByteRealignsAfterOneFrame) {
    // 00 61 00 03 is unknown, so E8 is discarded and the next frame lines up again. Skipping
    // whole frames instead would never line up and leave the temperature at 0.
    Bytes stream = {0x00};
    stream.insert(stream.end(), kTemperature100.begin(), kTemperature100.end());
    stream.insert(stream.end(), kTemperature25.begin(), kTemperature25.end());
    feedAndDrain(stream);
    EXPECT_EQ(readings.temperatureC.load(), 25.0f);
}

TEST_F(AcquisitionConcurrency, MisreadFramesOfAKnownTypeAreDecodedAsSuch) {
    // An inserted 0x61 before detector frames reads as the temperature frame 61 60 80 00
    // (alarm 0x60, −3276.8 ℃); 00 60 80 00 then costs one more byte; the rest line up. Two
    // detector frames are lost, so 74 are needed for one reading.
    Bytes stream = kTemperature100;
    stream.push_back(0x61);
    const Bytes detector = repeated(kDetectorZero, 74);
    stream.insert(stream.end(), detector.begin(), detector.end());
    feedAndDrain(stream);
    EXPECT_EQ(readings.alarmCode.load(), 0x60);
    EXPECT_FLOAT_EQ(readings.temperatureC.load(), -3276.8f);
    ASSERT_EQ(chromatogram.sampleClock(), 1.0f);
    EXPECT_EQ(chromatogram.signalMv()[0], 0.0f);
    EXPECT_FLOAT_EQ(chromatogram.temperatureC()[0], -3276.8f);
}

TEST_F(AcquisitionConcurrency, GarbageNeverCorruptsTheStore) {
    // Pseudo-random bytes, then a clean stream: the thread survives, stores only whole readings
    // and lines up again.
    uint32_t state = 12345;
    Bytes garbage(20000);
    for (uint8_t& b : garbage) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(state >> 24);
    }
    feedAndDrain(garbage);
    EXPECT_TRUE(link.threadRunning());
    EXPECT_LE(chromatogram.pointCount(), 20000 / (4 * 72) + 1);
    Bytes clean = repeated(kTemperature25, 4);
    const Bytes detector = repeated(kDetectorZero, 72 * 3);
    clean.insert(clean.end(), detector.begin(), detector.end());
    const float before = chromatogram.sampleClock();
    feedAndDrain(clean);
    EXPECT_EQ(readings.temperatureC.load(), 25.0f);
    EXPECT_GE(chromatogram.sampleClock(), before + 2.0f);  // at most the first reading is torn
}

TEST(AcquisitionStopConcurrency, StopEndsTheThreadWithinTheReadTimeout) {
    FakeLinkDriver driver;
    driver.setDevices({{"TRV-8800", 1}});
    driver.setReadWaitMs(1000);  // a silent instrument: each read waits out the 1 s time-out
    Chromatogram chromatogram;
    InstrumentReadings readings;
    InstrumentLink link(driver, chromatogram, readings);
    ASSERT_TRUE(link.open());
    link.start();
    ASSERT_TRUE(waitFor([&] { return driver.reads() >= 1; }));
    const auto started = Clock::now();
    link.close();
    EXPECT_FALSE(link.threadRunning());
    // One read time-out, with room for a slow (sanitised) machine.
    EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(2500));
}

// A thread created while the link is paused (the signal-zero command starts it so) reads
// nothing until the link is started.
TEST(AcquisitionPauseConcurrency, NoReadsWhilePaused) {
    FakeLinkDriver driver;
    driver.setDevices({{"TRV-8800", 1}});
    Chromatogram chromatogram;
    InstrumentReadings readings;
    InstrumentLink link(driver, chromatogram, readings);
    ASSERT_TRUE(link.open());  // open leaves the link paused
    ASSERT_TRUE(link.paused());
    link.ensureAcquisition();
    ASSERT_TRUE(link.threadRunning());
    driver.feed(repeated(kTemperature100, 4));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(driver.reads(), 0);
    EXPECT_EQ(driver.pendingBytes(), 16u);
    link.start();
    EXPECT_TRUE(waitFor([&] { return driver.pendingBytes() == 0; }));
    EXPECT_TRUE(waitFor([&] { return readings.temperatureC.load() == 100.0f; }));
    link.close();
}

// A failing read is recorded as the last read status (the link-status poll shows it) and a read
// that works again clears it.
TEST_F(AcquisitionConcurrency, ReadErrorSetsTheLastReadStatus) {
    feedAndDrain(kTemperature25);
    EXPECT_EQ(readings.lastReadStatus.load(), 0);
    driver.failReads(DeviceStatus::IoError);
    EXPECT_TRUE(waitFor([&] { return readings.lastReadStatus.load() == static_cast<int32_t>(DeviceStatus::IoError); }));
    driver.failReads(DeviceStatus::Ok);
    EXPECT_TRUE(waitFor([&] { return readings.lastReadStatus.load() == 0; }));
    feedAndDrain(kTemperature100);
    EXPECT_EQ(readings.temperatureC.load(), 100.0f);
}

}  // namespace
}  // namespace vespian
