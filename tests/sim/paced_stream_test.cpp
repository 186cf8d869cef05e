#include "sim/paced_stream.h"

#include <gtest/gtest.h>

#include <vector>

#include "stream_reader.h"

namespace vespian::sim {
namespace {

using Clock = PacedStream::Clock;
using std::chrono::milliseconds;
using testing::send;

// Driven with made-up instants, so nothing here depends on the machine's speed.
class PacedStreamTest : public ::testing::Test {
protected:
    PacedStreamTest() { send(analyser, StartStream()); }

    std::vector<uint8_t> takeAll(PacedStream& stream) {
        std::vector<uint8_t> bytes(stream.queued());
        bytes.resize(stream.take(bytes.data(), bytes.size()));
        return bytes;
    }

    SimulatedAnalyser analyser;
    const Clock::time_point origin = Clock::now();
};

TEST_F(PacedStreamTest, BytesBecomeDueEvenlyOverTheirPeriodAtTheSpeed) {
    PacedStream stream(analyser, 2.0, origin);
    stream.advanceTo(origin);
    EXPECT_EQ(stream.queued(), 0u) << "the first period has only begun";
    stream.advanceTo(origin + milliseconds(50));
    EXPECT_EQ(stream.queued(), kPeriodBytes / 2);
    EXPECT_GT(stream.nextDue(), origin + milliseconds(50));
    EXPECT_LT(stream.nextDue(), origin + milliseconds(51)) << "2 × 1880 bytes a second";
    stream.advanceTo(origin + milliseconds(100));
    EXPECT_EQ(stream.queued(), kPeriodBytes);
    EXPECT_DOUBLE_EQ(analyser.instrumentSeconds(), 2 * kPeriodSeconds) << "the second period has begun";
}

TEST_F(PacedStreamTest, AFullQueueLosesTheNewestBytes) {
    PacedStream stream(analyser, 1.0, origin, 1000);
    stream.advanceTo(origin + milliseconds(1000));
    EXPECT_EQ(stream.queued(), 1000u);
    EXPECT_EQ(stream.lostBytes(), 5 * kPeriodBytes - 1000);
    testing::StreamReader reader;
    reader.feed(takeAll(stream));
    EXPECT_EQ(reader.unknownFrames(), 0) << "the oldest bytes are kept in order";
}

TEST_F(PacedStreamTest, AQueueThatHoldsTheClockLosesNothingAndRunsOnWhereItStood) {
    PacedStream stream(analyser, 1.0, origin, 1000, WhenFull::HoldClock);
    testing::StreamReader reader;
    size_t taken = 0;
    // A reader that takes 1000 bytes a second from a line that offers 1960.
    for (int s = 1; s <= 10; ++s) {
        stream.advanceTo(origin + std::chrono::seconds(s));
        ASSERT_EQ(stream.queued(), 1000u) << "second " << s;
        const std::vector<uint8_t> bytes = takeAll(stream);
        taken += bytes.size();
        reader.feed(bytes);
    }
    EXPECT_EQ(stream.lostBytes(), 0u);
    EXPECT_EQ(stream.holds(), 10u);
    EXPECT_EQ(reader.unknownFrames(), 0);
    EXPECT_EQ(reader.frames(), static_cast<long>(taken / 4)) << "every byte offered arrived, on the frame grid";
    // The instrument's time went on only as far as its bytes were taken: about 5 s, not 10.
    EXPECT_NEAR(analyser.instrumentSeconds(), static_cast<double>(taken) / kPeriodBytes * kPeriodSeconds,
                kPeriodSeconds);
    EXPECT_GT(stream.nextDue(), origin + std::chrono::seconds(10)) << "the next byte after the held one";
}

TEST_F(PacedStreamTest, ClearingResumesOnTheNextFrameBoundary) {
    PacedStream stream(analyser, 1.0, origin);
    stream.advanceTo(origin + milliseconds(50));
    ASSERT_EQ(stream.queued(), kPeriodBytes / 4);  // 94 bytes: in the middle of a frame
    stream.clear();
    stream.advanceTo(origin + milliseconds(190));
    EXPECT_EQ(stream.queued(), 0u) << "the rest of the cut period is dropped";
    stream.advanceTo(origin + milliseconds(300));
    const std::vector<uint8_t> bytes = takeAll(stream);
    ASSERT_EQ(bytes.size(), kPeriodBytes / 2);
    EXPECT_EQ(bytes[0], 0x60);
}

}  // namespace
}  // namespace vespian::sim
