#include "control/cleaning_countdown.h"

namespace vespian {

namespace {

int32_t channelOf(int32_t selected) { return selected == 1 ? 1 : 0; }

}  // namespace

std::string cleaningDigits(int32_t seconds) {
    if (seconds < 0) seconds = 0;
    return seconds >= 10 ? std::to_string(seconds) : "0" + std::to_string(seconds);
}

CleaningStep CleaningCountdown::start(int32_t selectedChannel) {
    counter_ = kCleaningSeconds;
    counting_ = true;
    CleaningStep step = shown_;
    step.frame = CleaningFrame(channelOf(selectedChannel), true);
    // Disabled from the press on, not from the first tick: leaving in the 100 ms before it
    // would leave the channel flushing with no stop frame ever sent.
    step.startEnabled = false;
    step.nextTickMs = kCleaningFirstTickMs;
    shown_.startEnabled = false;
    return step;
}

CleaningStep CleaningCountdown::tick(int32_t selectedChannel) {
    CleaningStep step;
    if (!counting_) return shown_;  // a tick that was queued before the timer stopped
    if (counter_ <= 0) {
        counting_ = false;
        step.display = "00";
        step.startEnabled = true;
        // The stop names the channel selected now, which may differ from the one started.
        step.frame = CleaningFrame(channelOf(selectedChannel), false);
        step.nextTickMs = 0;
    } else {
        step.display = cleaningDigits(counter_);
        step.startEnabled = false;
        --counter_;
        step.nextTickMs = kCleaningTickMs;
    }
    shown_ = step;
    shown_.frame.reset();
    return step;
}

}  // namespace vespian
