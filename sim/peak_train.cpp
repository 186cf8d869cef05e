#include "sim/peak_train.h"

#include <algorithm>
#include <cmath>

namespace vespian::sim {

namespace {

// Beyond this many standard deviations a Gaussian flank is below the detector's noise; an
// exponential tail is followed until it has fallen by e^-kDecayReach.
constexpr double kReach = 8.0;
constexpr double kDecayReach = 18.0;

// Where the tail turns exponential, in standard deviations of its Gaussian top: there the
// Gaussian falls as fast as the exponential, so the joined curve bends smoothly.
double joint(const GasPulse& pulse) { return pulse.tailS / pulse.decayS; }

}  // namespace

double pulseShape(const GasPulse& pulse, double seconds) {
    const double offset = seconds - pulse.apexS;
    if (offset < 0.0) {
        const double z = offset / pulse.frontS;
        return z > -kReach ? std::exp(-0.5 * z * z) : 0.0;
    }
    const double z = offset / pulse.tailS;
    if (pulse.decayS <= 0.0) return z < kReach ? std::exp(-0.5 * z * z) : 0.0;
    const double k = joint(pulse);
    if (z < k) return std::exp(-0.5 * z * z);
    const double exponent = 0.5 * k * k - k * z;
    return exponent > -kDecayReach ? std::exp(exponent) : 0.0;
}

double pulseEnd(const GasPulse& pulse) {
    if (pulse.decayS <= 0.0) return pulse.apexS + kReach * pulse.tailS;
    const double k = joint(pulse);
    return pulse.apexS + pulse.tailS * std::max(k, (kDecayReach + 0.5 * k * k) / k);
}

void PeakTrain::add(const GasPulse& pulse) {
    if (count_ < kCapacity) {
        pulses_[count_++] = pulse;
        return;
    }
    int first = 0;
    for (int i = 1; i < count_; ++i) {
        if (pulseEnd(pulses_[i]) < pulseEnd(pulses_[first])) first = i;
    }
    pulses_[first] = pulse;
}

void PeakTrain::expire(double seconds) {
    int kept = 0;
    for (int i = 0; i < count_; ++i) {
        if (pulseEnd(pulses_[i]) >= seconds) pulses_[kept++] = pulses_[i];
    }
    count_ = kept;
}

double PeakTrain::signalAt(double seconds) const {
    double sum = 0.0;
    for (int i = 0; i < count_; ++i) sum += pulses_[i].heightMv * pulseShape(pulses_[i], seconds);
    return sum;
}

}  // namespace vespian::sim
