#include "link/capture_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "link/capturing_driver.h"
#include "link/instrument_link.h"
#include "link/replay_driver.h"
#include "support/test_files.h"
#include "support/fake_link_driver.h"
#include "trace/chromatogram.h"

namespace vespian {
namespace {

using testing::readBytes;
using testing::writeBytes;

namespace fs = std::filesystem;
using namespace std::string_literals;
using Clock = std::chrono::steady_clock;

std::string le32(uint32_t value) {
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

const std::string kHeader = std::string("TRVCAP\r\n", 8) + le32(1) + le32(38400);

std::string chunk(uint32_t ms, const std::string& bytes) { return le32(ms) + le32(static_cast<uint32_t>(bytes.size())) + bytes; }

class CaptureFileTest : public ::testing::Test {
protected:

    CaptureLoadResult load(const std::string& bytes, CaptureRecording* recording) {
        writeBytes(folder / "c.cap", bytes);
        return loadCapture((folder / "c.cap").string(), recording);
    }

    testing::TestFolder scratch{"capture_test"};
    const fs::path folder = scratch.path();
};

TEST_F(CaptureFileTest, WriterGathersBytesIntoTimedChunks) {
    CaptureWriter writer;
    ASSERT_TRUE(writer.open((folder / "w.cap").string()));
    const uint8_t a[] = {0x61, 0x00, 0x03};
    const uint8_t b[] = {0xE8};
    const uint8_t c[] = {0x60, 0x80};
    writer.append(a, 3, 100);
    writer.append(b, 1, 105);  // within one tick of the chunk's start: same chunk
    writer.append(c, 2, 250);
    ASSERT_TRUE(writer.close());
    EXPECT_EQ(readBytes(folder / "w.cap"),
              kHeader + chunk(100, "\x61\x00\x03\xE8"s) + chunk(250, "\x60\x80"s));
}

TEST_F(CaptureFileTest, LongRunsSplitAtTheChunkLimit) {
    CaptureWriter writer;
    ASSERT_TRUE(writer.open((folder / "w.cap").string()));
    std::vector<uint8_t> bytes(kMaxCaptureChunk + 10, 0x62);
    writer.append(bytes.data(), bytes.size(), 7);
    ASSERT_TRUE(writer.close());
    CaptureRecording recording;
    ASSERT_TRUE(loadCapture((folder / "w.cap").string(), &recording).ok);
    ASSERT_EQ(recording.chunks.size(), 2u);
    EXPECT_EQ(recording.chunks[0].length, kMaxCaptureChunk);
    EXPECT_EQ(recording.chunks[1].length, 10u);
    EXPECT_EQ(recording.bytes.size(), bytes.size());
}

TEST_F(CaptureFileTest, TruncatedFileKeepsItsWholeChunks) {
    CaptureRecording recording;
    const std::string whole = kHeader + chunk(0, "\x61\x00\x03\xE8"s);
    ASSERT_TRUE(load(whole + chunk(20, "\x60\x80\x00\x00"s).substr(0, 10), &recording).ok);
    EXPECT_TRUE(recording.truncated);
    ASSERT_EQ(recording.chunks.size(), 1u);
    EXPECT_EQ(recording.bytes.size(), 4u);
    ASSERT_TRUE(load(whole + "\x01\x02"s, &recording).ok);  // cut inside a chunk header
    EXPECT_TRUE(recording.truncated);
    EXPECT_EQ(recording.chunks.size(), 1u);
}

TEST_F(CaptureFileTest, BadFilesAreRefusedWithAMessage) {
    CaptureRecording recording;
    for (const std::string& bytes : {std::string(), std::string("TRVCAP"), std::string(16, 'x'),
                                     std::string("TRVCAP\r\n", 8) + le32(2) + le32(38400),
                                     kHeader + le32(0) + le32(0),                      // empty chunk
                                     kHeader + le32(0) + le32(kMaxCaptureChunk + 1),  // oversize chunk
                                     kHeader + chunk(50, "a") + chunk(40, "b")}) {      // time runs back
        CaptureLoadResult result = load(bytes, &recording);
        EXPECT_FALSE(result.ok) << bytes.size();
        EXPECT_NE(result.message.find("c.cap"), std::string::npos);
        EXPECT_TRUE(recording.chunks.empty());
    }
    EXPECT_FALSE(loadCapture((folder / "missing.cap").string(), &recording).ok);
}

// Recording the bytes of a link and replaying them as fast as they are read gives the same
// trace and readings as the live run.
TEST_F(CaptureFileTest, ReplayConcurrencyReproducesTheRecordedRun) {
    std::vector<uint8_t> stream = {0x61, 0x00, 0x03, 0xE8, 0x63, 0x00, 0x01, 0x2C, 0x33};  // last: garbage
    for (int i = 0; i < 72 * 3; ++i) stream.insert(stream.end(), {0x60, static_cast<uint8_t>(0x80 + i % 7), 0x00, 0x00});

    const fs::path capture = folder / "run.cap";
    Chromatogram live;
    {
        auto fake = std::make_unique<testing::FakeLinkDriver>();
        testing::FakeLinkDriver* source = fake.get();
        source->setDevices({{"TRV-8800", 5}});
        CapturingDriver capturing(std::move(fake));
        ASSERT_TRUE(capturing.open(capture.string()));
        InstrumentReadings readings;
        InstrumentLink link(capturing, live, readings);
        ASSERT_TRUE(link.open());
        link.start();
        source->feed(stream);
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (source->pendingBytes() > 0 && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        link.close();
        ASSERT_TRUE(capturing.close());
    }
    ASSERT_GE(live.pointCount(), 1);

    CaptureRecording recording;
    ASSERT_TRUE(loadCapture(capture.string(), &recording).ok);
    EXPECT_EQ(recording.bytes, stream);
    ReplayDriver replay(std::move(recording), /*paced=*/false);
    Chromatogram replayed;
    InstrumentReadings readings;
    InstrumentLink link(replay, replayed, readings);
    ASSERT_TRUE(link.open());
    link.start();
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!replay.finished() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    link.close();
    ASSERT_EQ(replayed.pointCount(), live.pointCount());
    EXPECT_EQ(replayed.sampleClock(), live.sampleClock());
    for (int32_t i = 0; i < live.pointCount(); ++i) {
        EXPECT_EQ(replayed.signalMv()[i], live.signalMv()[i]);
        EXPECT_EQ(replayed.temperatureC()[i], 100.0f);
    }
    EXPECT_EQ(readings.flow1MlMin.load(), 30.0f);
}

TEST_F(CaptureFileTest, PacedReplayKeepsTheRecordedTimes) {
    CaptureRecording recording;
    ASSERT_TRUE(load(kHeader + chunk(0, "\x61\x00\x03\xE8"s) + chunk(300, "\x62\x00\x00\x00"s), &recording).ok);
    ReplayDriver replay(std::move(recording), /*paced=*/true);
    std::unique_ptr<Device> device;
    ASSERT_EQ(replay.openByLocation(1, &device), DeviceStatus::Ok);
    device->setTimeouts(50, 50);
    uint8_t buffer[8];
    uint32_t received = 0;
    ASSERT_EQ(device->read(buffer, 8, &received), DeviceStatus::Ok);
    EXPECT_EQ(received, 4u);  // only the first chunk is due
    ASSERT_EQ(device->read(buffer, 8, &received), DeviceStatus::Ok);
    EXPECT_EQ(received, 0u);  // the second is 300 ms away: the 50 ms read times out
    EXPECT_FALSE(replay.finished());
    device->setTimeouts(2000, 50);
    const auto started = Clock::now();
    ASSERT_EQ(device->read(buffer, 8, &received), DeviceStatus::Ok);
    EXPECT_EQ(received, 4u);
    EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(1500));
    EXPECT_TRUE(replay.finished());
    device->close();
    EXPECT_EQ(device->read(buffer, 8, &received), DeviceStatus::InvalidHandle);
}

}  // namespace
}  // namespace vespian
