#include "analysis/redhead.h"

#include <cmath>

#include "analysis/kissinger.h"
#include "platform/printf_text.h"

namespace vespian {

namespace {

constexpr double kZeroCelsiusK = 273.15;
constexpr double kRedheadConstant = 3.64;

bool positive(double v) { return std::isfinite(v) && v > 0.0; }

}  // namespace

RedheadEstimate redheadEstimate(double tmC, double rateCPerMin, double assumedFrequencyPerS) {
    RedheadEstimate e;
    e.assumedFrequencyPerS = assumedFrequencyPerS;
    const double tm = tmC + kZeroCelsiusK;
    if (!positive(rateCPerMin)) return e;  // InvalidRate
    if (!positive(tm)) {
        e.status = RedheadStatus::InvalidTemperature;
        return e;
    }
    if (!positive(assumedFrequencyPerS)) {
        e.status = RedheadStatus::InvalidFrequency;
        return e;
    }
    const double beta = rateCPerMin / 60.0;  // K/s
    const double energy = kGasConstantJPerMolK * tm * (std::log(assumedFrequencyPerS * tm / beta) - kRedheadConstant);
    if (!(energy > 0.0)) {
        e.status = RedheadStatus::NoEnergy;
        return e;
    }
    e.status = RedheadStatus::Ok;
    e.energyKJPerMol = energy / 1000.0;
    const double ratio = assumedFrequencyPerS / beta;
    e.withinValidity = ratio >= 1e8 && ratio <= 1e13;
    return e;
}

std::string redheadText(const RedheadEstimate& e) {
    const int exponent = e.assumedFrequencyPerS > 0.0 ? static_cast<int>(std::floor(std::log10(e.assumedFrequencyPerS))) : 0;
    const double mantissa = e.assumedFrequencyPerS > 0.0 ? e.assumedFrequencyPerS / std::pow(10.0, exponent) : 0.0;
    const std::string assumption = numberText("%.1f", mantissa) + printfText("×10^%d s⁻¹", exponent);
    switch (e.status) {
        case RedheadStatus::Ok:
            return "Redhead估算：Ea = " + numberText("%.1f", e.energyKJPerMol) + " kJ/mol（假定指前因子 ν = " +
                   assumption + (e.withinValidity ? "）" : "；ν/β超出公式适用范围）");
        case RedheadStatus::InvalidRate: return "Redhead估算：升温速率不大于0，无法估算。";
        case RedheadStatus::InvalidTemperature: return "Redhead估算：Tm无效，无法估算。";
        case RedheadStatus::InvalidFrequency: return "Redhead估算：指前因子不大于0，无法估算。";
        case RedheadStatus::NoEnergy: return "Redhead估算：假定的指前因子过小，得不到正的活化能。";
    }
    return "Redhead估算：无法估算。";
}

}  // namespace vespian
