#include "sim/peak_train.h"

#include <cmath>

namespace vespian::sim {

namespace {

// Beyond this many standard deviations the peak is below the detector's noise.
constexpr double kReach = 8.0;

double endOf(const GasPulse& pulse) { return pulse.apexS + kReach * pulse.tailS; }

}  // namespace

void PeakTrain::add(const GasPulse& pulse) {
    if (count_ < kCapacity) {
        pulses_[count_++] = pulse;
        return;
    }
    int first = 0;
    for (int i = 1; i < count_; ++i) {
        if (endOf(pulses_[i]) < endOf(pulses_[first])) first = i;
    }
    pulses_[first] = pulse;
}

void PeakTrain::expire(double seconds) {
    int kept = 0;
    for (int i = 0; i < count_; ++i) {
        if (endOf(pulses_[i]) >= seconds) pulses_[kept++] = pulses_[i];
    }
    count_ = kept;
}

double PeakTrain::signalAt(double seconds) const {
    double sum = 0.0;
    for (int i = 0; i < count_; ++i) {
        const GasPulse& pulse = pulses_[i];
        const double offset = seconds - pulse.apexS;
        const double width = offset < 0.0 ? pulse.frontS : pulse.tailS;
        const double z = offset / width;
        if (std::abs(z) < kReach) sum += pulse.heightMv * std::exp(-0.5 * z * z);
    }
    return sum;
}

}  // namespace vespian::sim
