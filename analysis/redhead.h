#pragma once
// Redhead's estimate of the activation energy of desorption from one run: for first-order
// desorption with a pre-exponential factor ν that must be assumed,
//     E = R Tm (ln(ν Tm / β) − 3.64),
// β in K/s. The estimate holds to about 1.5 % for 10⁸ < ν/β < 10¹³ K⁻¹; its worth rests on the
// assumed ν, which is therefore stated with it.

#include <cstdint>
#include <string>

namespace vespian {

inline constexpr double kRedheadDefaultFrequencyPerS = 1e13;  // an atom's vibration frequency

enum class RedheadStatus : uint8_t {
    Ok,
    InvalidRate,         // β not above 0
    InvalidTemperature,  // Tm not above absolute zero
    InvalidFrequency,    // ν not above 0
    NoEnergy             // ν so small for this β and Tm that no positive energy results
};

struct RedheadEstimate {
    RedheadStatus status = RedheadStatus::InvalidRate;
    double energyKJPerMol = 0.0;
    double assumedFrequencyPerS = kRedheadDefaultFrequencyPerS;
    bool withinValidity = false;  // ν/β between 10⁸ and 10¹³ K⁻¹

    bool ok() const { return status == RedheadStatus::Ok; }
};

RedheadEstimate redheadEstimate(double tmC, double rateCPerMin,
                                double assumedFrequencyPerS = kRedheadDefaultFrequencyPerS);

// "Redhead估算：Ea = 143.0 kJ/mol（假定指前因子 ν = 1.0×10^13 s⁻¹）", or why there is none.
std::string redheadText(const RedheadEstimate& estimate);

}  // namespace vespian
