#include "sim/metal_surface.h"

#include <algorithm>
#include <cmath>

namespace vespian::sim {

namespace {

// How completely a pulse is taken up against the room left: nearly whole while the room is a
// few pulses, a fraction once it is less than one.
constexpr double kUptakeSharpness = 2.0;

double uptake(double room, double ml) {
    if (room <= 0.0 || ml <= 0.0) return 0.0;
    return std::min(room, ml * (1.0 - std::exp(-kUptakeSharpness * room / ml)));
}

}  // namespace

double MetalSurface::hydrogenRoom() const {
    const double bare = 1.0 - hydrogen_ - oxygen_;
    return kSurfaceAtomsMl * (1.5 * oxygen_ + 0.5 * bare);
}

double MetalSurface::oxygenRoom() const {
    const double bare = 1.0 - hydrogen_ - oxygen_;
    return kSurfaceAtomsMl * (0.75 * hydrogen_ + 0.5 * bare);
}

double MetalSurface::takeUp(bool isOxygen, double ml) {
    const double room = isOxygen ? oxygenRoom() : hydrogenRoom();
    const double taken = uptake(room, ml);
    if (taken <= 0.0) return 0.0;
    // The atoms that can react turn over in proportion to the share of the room used.
    const double share = taken / room;
    if (isOxygen) {
        const double turned = (1.0 - oxygen_) * share;
        hydrogen_ *= 1.0 - share;
        oxygen_ += turned;
    } else {
        const double turned = (1.0 - hydrogen_) * share;
        oxygen_ *= 1.0 - share;
        hydrogen_ += turned;
    }
    hydrogen_ = std::clamp(hydrogen_, 0.0, 1.0);
    oxygen_ = std::clamp(oxygen_, 0.0, 1.0 - hydrogen_);
    return taken;
}

}  // namespace vespian::sim
