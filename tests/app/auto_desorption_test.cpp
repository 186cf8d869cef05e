#include "app/auto_desorption.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "app/command_ids.h"

namespace vespian {
namespace {

using Kind = DesorptionEffectKind;
using Sent = std::vector<std::pair<int, uint8_t>>;  // minute, desorption byte

PeakSettings settings(bool desorbAfterPeak = false, bool autoZero = false) {
    PeakSettings s;
    s.autoDesorb = 1;
    s.autoZero = autoZero ? 1 : 0;
    s.desorbAfterPeak = desorbAfterPeak ? 1 : 0;
    s.adsorptionMinutes = 18;
    s.desorbIntervalMinutes = 5;
    return s;
}

constexpr std::array<bool, 4> kAllFour{true, true, true, true};

// Plays the desktop side: keeps the timers the effects start and kill, and notes every byte sent.
struct Window {
    AutoDesorption sequence;
    std::set<int32_t> timers;
    Sent sent;
    int zeroings = 0;
    int minute = 0;

    void apply(const std::vector<DesorptionEffect>& effects) {
        for (const DesorptionEffect& e : effects) {
            switch (e.kind) {
            case Kind::StartTimer:
                EXPECT_EQ(e.periodMs, 60'000);
                timers.insert(e.timerId);
                break;
            case Kind::KillTimer: timers.erase(e.timerId); break;
            case Kind::SendCommand:
                ASSERT_EQ(e.command.length, 1u);
                sent.emplace_back(minute, e.command.bytes[0]);
                break;
            case Kind::ZeroSignal: ++zeroings; break;
            case Kind::Repaint: break;
            }
        }
    }
    // One minute passes: the minute timer that runs now ticks once.
    void minutePasses(const PeakSettings& s) {
        ++minute;
        if (timers.count(kTimerAdsorptionMinutes)) {
            apply(sequence.adsorptionMinute(s));
        } else if (timers.count(kTimerDesorbInterval)) {
            apply(sequence.intervalMinute(s));
        }
    }
};

TEST(AutoDesorption, FourPositionsAtEighteenTwentyThreeTwentyEightAndThirtyThreeMinutes) {
    const PeakSettings s = settings();
    Window w;
    w.apply(w.sequence.injectorDialogClosed(true, kAllFour, s));
    EXPECT_EQ(w.timers, (std::set<int32_t>{kTimerAdsorptionMinutes}));
    EXPECT_TRUE(w.sequence.waitingForAdsorption());
    for (int m = 0; m < 40; ++m) w.minutePasses(s);
    EXPECT_EQ(w.sent, (Sent{{18, 0xC4}, {23, 0xC8}, {28, 0xD0}, {33, 0xE0}}));
    EXPECT_TRUE(w.timers.empty());  // the interval timer ends with the last position
    EXPECT_FALSE(w.sequence.waitingForAdsorption());
    EXPECT_EQ(w.zeroings, 0);
    for (int p = 1; p <= 4; ++p) EXPECT_FALSE(w.sequence.positionAdsorbed(p));
}

TEST(AutoDesorption, OnlyAdsorbedPositionsInOrderAndZeroingWhenAsked) {
    const PeakSettings s = settings(false, true);
    Window w;
    w.apply(w.sequence.injectorDialogClosed(true, {false, true, false, true}, s));
    for (int m = 0; m < 40; ++m) w.minutePasses(s);
    EXPECT_EQ(w.sent, (Sent{{18, 0xC8}, {23, 0xE0}}));
    EXPECT_EQ(w.zeroings, 2);
    EXPECT_TRUE(w.timers.empty());
}

TEST(AutoDesorption, WithoutAnAdsorbedPositionNothingIsSent) {
    const PeakSettings s = settings();
    Window w;
    w.apply(w.sequence.injectorDialogClosed(true, {false, false, false, false}, s));
    for (int m = 0; m < 30; ++m) w.minutePasses(s);
    EXPECT_TRUE(w.sent.empty());
    EXPECT_TRUE(w.timers.empty());  // the interval timer gives up after one interval
}

TEST(AutoDesorption, PeakDesorbsTheNextPositionAtOnceAndRestartsTheCount) {
    const PeakSettings s = settings(true);
    Window w;
    w.apply(w.sequence.injectorDialogClosed(true, kAllFour, s));
    // A peak while the samples still adsorb changes nothing.
    for (int m = 0; m < 10; ++m) w.minutePasses(s);
    EXPECT_TRUE(w.sequence.peakRecognised(s).empty());
    EXPECT_EQ(w.sequence.minuteCounter(), 10);

    for (int m = 0; m < 10; ++m) w.minutePasses(s);  // minute 20
    w.apply(w.sequence.peakRecognised(s));
    EXPECT_EQ(w.sequence.minuteCounter(), 0);
    for (int m = 0; m < 20; ++m) w.minutePasses(s);
    EXPECT_EQ(w.sent, (Sent{{18, 0xC4}, {20, 0xC8}, {25, 0xD0}, {30, 0xE0}}));
    EXPECT_TRUE(w.timers.empty());
}

TEST(AutoDesorption, PeakOnTheLastPositionEndsTheIntervalTimer) {
    const PeakSettings s = settings(true);
    Window w;
    w.apply(w.sequence.injectorDialogClosed(true, {true, false, false, true}, s));
    for (int m = 0; m < 19; ++m) w.minutePasses(s);
    EXPECT_EQ(w.timers, (std::set<int32_t>{kTimerDesorbInterval}));
    w.apply(w.sequence.peakRecognised(s));
    EXPECT_EQ(w.sent, (Sent{{18, 0xC4}, {19, 0xE0}}));
    EXPECT_TRUE(w.timers.empty());
    EXPECT_TRUE(w.sequence.peakRecognised(s).empty());  // nothing left to desorb
}

TEST(AutoDesorption, PeakStepNeedsBothOptions) {
    for (auto [autoDesorb, afterPeak] : {std::pair{1, 0}, std::pair{0, 1}}) {
        PeakSettings s = settings(true);
        Window w;
        w.apply(w.sequence.injectorDialogClosed(true, kAllFour, s));
        for (int m = 0; m < 19; ++m) w.minutePasses(s);
        s.autoDesorb = autoDesorb;
        s.desorbAfterPeak = afterPeak;
        EXPECT_TRUE(w.sequence.peakRecognised(s).empty());
    }
    // Before any adsorption there is no sequence to advance.
    AutoDesorption fresh;
    EXPECT_TRUE(fresh.peakRecognised(settings(true)).empty());
}

TEST(AutoDesorption, WithoutAutoDesorbTheDialogStartsNoTimer) {
    PeakSettings s = settings();
    s.autoDesorb = 0;
    Window w;
    w.apply(w.sequence.injectorDialogClosed(true, kAllFour, s));
    EXPECT_TRUE(w.timers.empty());
    EXPECT_TRUE(w.sequence.sequenceStarted());
    EXPECT_TRUE(w.sequence.waitingForAdsorption());
}

TEST(AutoDesorption, ANewAdsorptionRestartsTheSequence) {
    const PeakSettings s = settings();
    Window w;
    w.apply(w.sequence.injectorDialogClosed(true, kAllFour, s));
    for (int m = 0; m < 20; ++m) w.minutePasses(s);  // position 1 desorbed at 18
    w.apply(w.sequence.injectorDialogClosed(true, kAllFour, s));
    EXPECT_EQ(w.timers, (std::set<int32_t>{kTimerAdsorptionMinutes}));
    EXPECT_EQ(w.sequence.minuteCounter(), 0);
    for (int m = 0; m < 18; ++m) w.minutePasses(s);
    EXPECT_EQ(w.sent, (Sent{{18, 0xC4}, {38, 0xC4}}));
}

TEST(AutoDesorption, DialogWithoutAdsorbKeepsTheTimersButTakesTheStates) {
    const PeakSettings s = settings();
    Window w;
    w.apply(w.sequence.injectorDialogClosed(true, kAllFour, s));
    for (int m = 0; m < 20; ++m) w.minutePasses(s);  // minute 20: positions 2–4 wait
    // The operator desorbed position 3 by hand.
    w.apply(w.sequence.injectorDialogClosed(false, {false, true, false, true}, s));
    EXPECT_EQ(w.sequence.minuteCounter(), 0);
    EXPECT_EQ(w.timers, (std::set<int32_t>{kTimerDesorbInterval}));
    for (int m = 0; m < 15; ++m) w.minutePasses(s);
    EXPECT_EQ(w.sent, (Sent{{18, 0xC4}, {25, 0xC8}, {30, 0xE0}}));
}

TEST(AutoDesorption, StopKillsBothTimersAndResetsTheCount) {
    const PeakSettings s = settings();
    Window w;
    w.apply(w.sequence.injectorDialogClosed(true, kAllFour, s));
    for (int m = 0; m < 7; ++m) w.minutePasses(s);
    w.apply(w.sequence.measurementStopped());
    EXPECT_TRUE(w.timers.empty());
    EXPECT_EQ(w.sequence.minuteCounter(), 0);
    // A tick that was already queued does nothing.
    EXPECT_TRUE(w.sequence.adsorptionMinute(s).empty());
    EXPECT_TRUE(w.sequence.intervalMinute(s).empty());
    EXPECT_EQ(w.sequence.minuteCounter(), 0);
}

// What the sequence goes on with after the injector dialog: positions it already desorbed must not
// come back (they would be desorbed twice), nor may untouched ones be lost.
TEST(AutoDesorption, PositionsAfterTheInjectorDialogKeepWhatTheSequenceAlreadyServed) {
    const PeakSettings s = settings();
    Window w;
    w.apply(w.sequence.injectorDialogClosed(true, kAllFour, s));
    for (int m = 0; m < 18; ++m) w.minutePasses(s);  // position 1 desorbed at minute 18
    ASSERT_FALSE(w.sequence.positionAdsorbed(1));

    // Desorbing position 3 by hand leaves 2 and 4; position 1 stays served.
    using Positions = std::array<bool, 4>;
    EXPECT_EQ(positionsAfterInjectorDialog(w.sequence, false, true, 0b0100), (Positions{false, true, false, true}));
    // Adsorbing position 1 again adds it to those waiting.
    EXPECT_EQ(positionsAfterInjectorDialog(w.sequence, true, false, 0b0001), (Positions{true, true, true, true}));
    // Closed without a button: nothing changes, whatever was ticked.
    EXPECT_EQ(positionsAfterInjectorDialog(w.sequence, false, false, 0b1111), (Positions{false, true, true, true}));
    // No box ticked: the button changes nothing either.
    EXPECT_EQ(positionsAfterInjectorDialog(w.sequence, true, false, 0), (Positions{false, true, true, true}));

    // Carried on: the hand-desorbed position 3 is skipped, nothing is sent twice.
    w.apply(w.sequence.injectorDialogClosed(false, positionsAfterInjectorDialog(w.sequence, false, true, 0b0100), s));
    for (int m = 0; m < 15; ++m) w.minutePasses(s);
    EXPECT_EQ(w.sent, (Sent{{18, 0xC4}, {23, 0xC8}, {28, 0xE0}}));
}

}  // namespace
}  // namespace vespian
