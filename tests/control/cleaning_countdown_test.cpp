#include "control/cleaning_countdown.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vespian {
namespace {

// The dialog's timer on a stepped clock: each step is fired when it is due and the next one is
// scheduled from what it returns.
struct Timeline {
    int64_t nowMs = 0;
    int64_t dueMs = -1;
    struct Sent { int64_t atMs; uint8_t byte1; };
    std::vector<Sent> frames;
    std::vector<std::string> shown;

    void apply(const CleaningStep& step) {
        if (step.frame) frames.push_back({nowMs, step.frame->bytes[1]});
        if (step.nextTickMs > 0) {
            dueMs = nowMs + step.nextTickMs;
        } else {
            dueMs = -1;
        }
    }
    // Runs the timer until it stops or `untilMs`; the selection may change at `switchAtMs`.
    void run(CleaningCountdown& countdown, int64_t untilMs, int32_t selection, int64_t switchAtMs = -1,
             int32_t switchedSelection = 0) {
        while (dueMs >= 0 && dueMs <= untilMs) {
            nowMs = dueMs;
            const int32_t selected = switchAtMs >= 0 && nowMs >= switchAtMs ? switchedSelection : selection;
            const CleaningStep step = countdown.tick(selected);
            shown.push_back(step.display);
            apply(step);
        }
    }
};

TEST(CleaningCountdown, FullCleaningShowsSixtyDownToZeroAndStopsAfterSixtyPointOneSeconds) {
    CleaningCountdown countdown;
    Timeline t;
    EXPECT_EQ(countdown.shown().display, "00") << "before the first start";
    t.apply(countdown.start(1));
    t.run(countdown, 1'000'000, 1);
    ASSERT_EQ(t.frames.size(), 2u);
    EXPECT_EQ(t.frames[0].atMs, 0);
    EXPECT_EQ(t.frames[0].byte1, 0x11);
    EXPECT_EQ(t.frames[1].atMs, 60'100);
    EXPECT_EQ(t.frames[1].byte1, 0x21);
    ASSERT_EQ(t.shown.size(), 61u);
    EXPECT_EQ(t.shown.front(), "60");
    EXPECT_EQ(t.shown[50], "10");
    EXPECT_EQ(t.shown[51], "09");
    EXPECT_EQ(t.shown[59], "01");
    EXPECT_EQ(t.shown.back(), "00");
    EXPECT_FALSE(countdown.counting());
    EXPECT_TRUE(countdown.shown().startEnabled);
}

TEST(CleaningCountdown, StartAndExitAreDisabledFromThePressOnWhileCounting) {
    CleaningCountdown countdown;
    Timeline t;
    const CleaningStep pressed = countdown.start(0);
    EXPECT_FALSE(pressed.startEnabled) << "no way out before the first tick, 100 ms later";
    EXPECT_FALSE(countdown.shown().startEnabled);
    t.apply(pressed);
    t.run(countdown, 5'000, 0);
    EXPECT_FALSE(countdown.shown().startEnabled);
    EXPECT_TRUE(countdown.counting());
}

TEST(CleaningCountdown, StopEndsAtTheNextTickNamingTheChannelSelectedThen) {
    CleaningCountdown countdown;
    Timeline t;
    t.apply(countdown.start(0));
    t.run(countdown, 10'100, 0);
    countdown.stop();
    t.run(countdown, 1'000'000, 0, 10'500, 1);  // the operator picks channel 2 meanwhile
    ASSERT_EQ(t.frames.size(), 2u);
    EXPECT_EQ(t.frames[0].byte1, 0x10);
    EXPECT_EQ(t.frames[1].byte1, 0x21) << "the stop names the channel selected at that moment";
    EXPECT_EQ(t.frames[1].atMs, 11'100);
    EXPECT_EQ(t.shown.back(), "00");
}

TEST(CleaningCountdown, NoSelectionCleansChannelOneAndStopWhileIdleDoesNothing) {
    CleaningCountdown countdown;
    countdown.stop();
    EXPECT_FALSE(countdown.counting());
    const CleaningStep idleTick = countdown.tick(0);
    EXPECT_FALSE(idleTick.frame.has_value());
    EXPECT_EQ(idleTick.nextTickMs, 0);
    const CleaningStep start = countdown.start(-1);
    ASSERT_TRUE(start.frame.has_value());
    EXPECT_EQ(start.frame->bytes[0], 0x3C);
    EXPECT_EQ(start.frame->bytes[1], 0x10);
    EXPECT_EQ(start.nextTickMs, 100);
}

TEST(CleaningCountdown, Digits) {
    EXPECT_EQ(cleaningDigits(60), "60");
    EXPECT_EQ(cleaningDigits(10), "10");
    EXPECT_EQ(cleaningDigits(9), "09");
    EXPECT_EQ(cleaningDigits(0), "00");
}

}  // namespace
}  // namespace vespian
