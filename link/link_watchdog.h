#pragma once
// The link watchdog: counts 100 ms ticks without a new trace point and, after 21 of them (about
// 2.1 s), asks for the link to be closed, reopened and started again. It keeps asking every
// 2.1 s while no data come, whether or not an analyser was ever found, so an instrument that is
// switched on or plugged in later is picked up without the operator doing anything.

#include <cstdint>

namespace vespian {

class LinkWatchdog {
public:
    static constexpr int32_t kSilentTickLimit = 20;  // the 21st silent tick reconnects

    // New points arrived: the link is alive.
    void pointsArrived() { silentTicks_ = 0; }
    // One 100 ms tick; true when the link is to be reconnected now.
    bool tick() {
        if (++silentTicks_ > kSilentTickLimit) {
            silentTicks_ = 0;
            return true;
        }
        return false;
    }
    int32_t silentTicks() const { return silentTicks_; }

private:
    int32_t silentTicks_ = 0;
};

}  // namespace vespian
