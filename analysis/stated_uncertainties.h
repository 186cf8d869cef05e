#pragma once
// The input uncertainties an evaluation starts from: the operator's stated ones (settings with
// defaults) and those the recorded data show themselves — the detector's noise over an
// integration window and the scatter of several calibration pulses.

#include <cstdint>
#include <span>
#include <string>

namespace vespian {

// Standard uncertainties of the readings and entries, as settings.
struct StatedUncertainties {
    double loopVolumeRelative = 0.01;    // of the loop's volume (its calibration certificate)
    double balanceResolutionG = 0.0001;  // the balance's last digit
    double temperatureC = 0.5;           // a temperature reading (loop, nitrogen)
    double pressureKPa = 0.3;            // a pressure reading or entry (mixture, Po)
    double flowRelative = 0.01;          // a mass-flow reading, of its value
    double massFractionRelative = 0.0;   // the metal content as stated by its maker
};

// The laboratory's stated uncertainties, kept in the data folder as "Uncertainty.ini": one
// "key = value" a line (loop_volume_relative, balance_resolution_g, temperature_c,
// pressure_kpa, flow_relative, mass_fraction_relative; '#' begins a comment). A missing file,
// an unknown key or a value that is not a finite number ≥ 0 leaves that default.
inline constexpr char kStatedUncertaintiesFileName[] = "Uncertainty.ini";
StatedUncertainties parseStatedUncertainties(const std::string& text);
StatedUncertainties readStatedUncertainties(const std::string& dataFolder);
// The file itself; false (defaults in *stated) when it is not a readable regular file.
bool readStatedUncertaintiesFile(const std::string& path, StatedUncertainties* stated);

// The weight is the difference of two balance readings (tare and gross), each rounded to the
// resolution: u = resolution · √(2/12).
double weightUncertaintyG(double balanceResolutionG);

// The detector's point-to-point noise (mV): the median absolute difference of neighbouring
// points, scaled to a standard deviation (× 1.4826 / √2). Peaks and drift barely touch it.
// 0 for fewer than three points.
double pointNoiseMv(std::span<const float> signalMv);

// u of an area summed over `points` readings of noise σ (mV × points), the baseline under it
// taken as the mean level of `baselinePoints` readings (0: a baseline taken as exact):
// u² = σ² (N + N² / N_b).
double integratedAreaUncertainty(double noiseMv, int64_t points, int64_t baselinePoints = 0);

// Several calibration pulses picked for one quantitative peak: their mean area, standard
// deviation (the scatter of one pulse) and the uncertainty of their mean.
struct CalibrationScatter {
    int32_t count = 0;
    double meanArea = 0.0;
    double standardDeviation = 0.0;  // 0 for fewer than two pulses
    double meanUncertainty = 0.0;    // standardDeviation / √count
};
CalibrationScatter calibrationScatter(std::span<const double> pulseAreas);

}  // namespace vespian
