#pragma once
// Peak areas as amounts of gas. The quantitative peak is a gas loop of known volume filled at
// a stated temperature and pressure; as an ideal gas it holds V · (P / 101.325 kPa) ·
// (273.15 K / T) / 22,414 ml/mol. A peak of another area holds the same gas in proportion to
// its area. Amounts are in µmol and, with the sample weight, µmol per gram.

#include <array>
#include <cstdint>
#include <span>

namespace vespian {

inline constexpr double kMolarVolumeMlPerMol = 22414.0;  // ideal gas at 0 ℃ and 101.325 kPa
inline constexpr double kStandardPressureKPa = 101.325;
inline constexpr double kZeroCelsiusK = 273.15;
inline constexpr int32_t kMaxTitrationPulses = 100;

struct GasLoop {
    double volumeMl = 0.0;
    double temperatureC = 0.0;
    double pressureKPa = kStandardPressureKPa;
};

enum class UptakeStatus : uint8_t {
    Ok,
    InvalidLoop,       // volume or pressure not above 0, or temperature not above absolute zero
    NoReferenceArea,   // the quantitative peak's (or a full pulse's) area is not above 0
    NoSampleWeight,    // amounts are valid, the per-gram values are 0
    TooManyPulses      // more than kMaxTitrationPulses: the first ones are counted
};

struct GasAmount {
    UptakeStatus status = UptakeStatus::Ok;
    double micromol = 0.0;
    double micromolPerGram = 0.0;
};

// µmol of an ideal gas of the given volume at the given temperature and pressure; 0 with
// InvalidLoop when the state is not physical.
GasAmount gasAmount(const GasLoop& gas, double sampleWeightG = 0.0);

// A peak (or a fitted component) of `peakArea` against the quantitative peak of
// `referenceArea` whose loop is `loop`. Areas in the same unit (mV × points).
GasAmount peakAmount(double peakArea, double referenceArea, const GasLoop& loop, double sampleWeightG);

// Pulse chemisorption: every pulse brings one loop of gas; what the sample does not take up
// reaches the detector. The uptake of pulse k is loop × (1 − area_k / fullPulseArea), where a
// full pulse is one that came through untouched (the quantitative peak). A pulse a little larger
// than full (noise on a saturated sample) counts negative, so the noise does not add up.
struct PulseUptake {
    UptakeStatus status = UptakeStatus::Ok;
    int32_t count = 0;
    std::array<double, kMaxTitrationPulses> pulseMicromol{};
    std::array<double, kMaxTitrationPulses> cumulativeMicromol{};
    double totalMicromol = 0.0;
    double totalMicromolPerGram = 0.0;
};

PulseUptake pulseUptake(std::span<const double> pulseAreas, double fullPulseArea, const GasLoop& loop,
                        double sampleWeightG);

}  // namespace vespian
