#include "analysis/uptake.h"

#include <algorithm>
#include <cmath>

namespace vespian {

namespace {

bool positive(double v) { return std::isfinite(v) && v > 0.0; }

bool validLoop(const GasLoop& gas) {
    return positive(gas.volumeMl) && positive(gas.pressureKPa) && positive(gas.temperatureC + kZeroCelsiusK);
}

double loopMicromol(const GasLoop& gas) {
    return gas.volumeMl * (gas.pressureKPa / kStandardPressureKPa) * (kZeroCelsiusK / (gas.temperatureC + kZeroCelsiusK)) /
           kMolarVolumeMlPerMol * 1e6;
}

// Fills the per-gram value, or marks its absence; amounts stay.
void perGram(GasAmount& amount, double sampleWeightG) {
    if (positive(sampleWeightG)) {
        amount.micromolPerGram = amount.micromol / sampleWeightG;
    } else {
        amount.status = UptakeStatus::NoSampleWeight;
    }
}

}  // namespace

GasAmount gasAmount(const GasLoop& gas, double sampleWeightG) {
    GasAmount amount;
    if (!validLoop(gas)) {
        amount.status = UptakeStatus::InvalidLoop;
        return amount;
    }
    amount.micromol = loopMicromol(gas);
    perGram(amount, sampleWeightG);
    return amount;
}

GasAmount peakAmount(double peakArea, double referenceArea, const GasLoop& loop, double sampleWeightG) {
    GasAmount amount;
    if (!validLoop(loop)) {
        amount.status = UptakeStatus::InvalidLoop;
    } else if (!positive(referenceArea) || !std::isfinite(peakArea)) {
        amount.status = UptakeStatus::NoReferenceArea;
    } else {
        amount.micromol = peakArea / referenceArea * loopMicromol(loop);
        perGram(amount, sampleWeightG);
    }
    return amount;
}

PulseUptake pulseUptake(std::span<const double> pulseAreas, double fullPulseArea, const GasLoop& loop,
                        double sampleWeightG) {
    PulseUptake uptake;
    if (!validLoop(loop)) {
        uptake.status = UptakeStatus::InvalidLoop;
        return uptake;
    }
    if (!positive(fullPulseArea)) {
        uptake.status = UptakeStatus::NoReferenceArea;
        return uptake;
    }
    const double perPulse = loopMicromol(loop);
    uptake.count = static_cast<int32_t>(std::min<size_t>(pulseAreas.size(), kMaxTitrationPulses));
    double total = 0.0;
    for (int32_t k = 0; k < uptake.count; ++k) {
        // A pulse whose area could not be read adds nothing rather than poisoning the sum.
        const double area = std::isfinite(pulseAreas[k]) ? pulseAreas[k] : fullPulseArea;
        uptake.pulseMicromol[k] = perPulse * (1.0 - area / fullPulseArea);
        total += uptake.pulseMicromol[k];
        uptake.cumulativeMicromol[k] = total;
    }
    uptake.totalMicromol = total;
    if (pulseAreas.size() > static_cast<size_t>(kMaxTitrationPulses)) uptake.status = UptakeStatus::TooManyPulses;
    if (positive(sampleWeightG)) {
        uptake.totalMicromolPerGram = total / sampleWeightG;
    } else if (uptake.status == UptakeStatus::Ok) {
        uptake.status = UptakeStatus::NoSampleWeight;
    }
    return uptake;
}

}  // namespace vespian
