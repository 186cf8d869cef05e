#include "analysis/stated_uncertainties.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

namespace vespian {

namespace {

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

StatedUncertainties parseStatedUncertainties(const std::string& text) {
    StatedUncertainties stated;
    const struct {
        std::string_view key;
        double StatedUncertainties::*field;
    } keys[] = {{"loop_volume_relative", &StatedUncertainties::loopVolumeRelative},
                {"balance_resolution_g", &StatedUncertainties::balanceResolutionG},
                {"temperature_c", &StatedUncertainties::temperatureC},
                {"pressure_kpa", &StatedUncertainties::pressureKPa},
                {"flow_relative", &StatedUncertainties::flowRelative},
                {"mass_fraction_relative", &StatedUncertainties::massFractionRelative}};
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::string_view view(line);
        view = view.substr(0, view.find('#'));
        const size_t equals = view.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = trimmed(view.substr(0, equals));
        const std::string_view number = trimmed(view.substr(equals + 1));
        double value = 0.0;
        const auto [end, failure] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (failure != std::errc() || end != number.data() + number.size() || !std::isfinite(value) || value < 0.0) {
            continue;
        }
        for (const auto& k : keys) {
            if (k.key == key) stated.*k.field = value;
        }
    }
    return stated;
}

bool readStatedUncertaintiesFile(const std::string& path, StatedUncertainties* stated) {
    *stated = {};
    // Only a regular file: a pipe or a device named here would never end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::ostringstream text;
    text << file.rdbuf();
    *stated = parseStatedUncertainties(text.str());
    return true;
}

StatedUncertainties readStatedUncertainties(const std::string& dataFolder) {
    StatedUncertainties stated;
    readStatedUncertaintiesFile(dataFolder + "/" + kStatedUncertaintiesFileName, &stated);
    return stated;
}

double weightUncertaintyG(double balanceResolutionG) {
    return std::abs(balanceResolutionG) * std::sqrt(2.0 / 12.0);
}

double pointNoiseMv(std::span<const float> signalMv) {
    if (signalMv.size() < 3) return 0.0;
    std::vector<float> differences;
    differences.reserve(signalMv.size() - 1);
    for (size_t i = 1; i < signalMv.size(); ++i) {
        const float d = signalMv[i] - signalMv[i - 1];
        if (std::isfinite(d)) differences.push_back(std::abs(d));
    }
    if (differences.empty()) return 0.0;
    const auto middle = differences.begin() + static_cast<std::ptrdiff_t>(differences.size() / 2);
    std::nth_element(differences.begin(), middle, differences.end());
    return 1.482602218505602 * static_cast<double>(*middle) / std::sqrt(2.0);
}

double integratedAreaUncertainty(double noiseMv, int64_t points, int64_t baselinePoints) {
    if (!(noiseMv > 0.0) || points <= 0) return 0.0;
    const auto n = static_cast<double>(points);
    const double baseline = baselinePoints > 0 ? n * n / static_cast<double>(baselinePoints) : 0.0;
    return noiseMv * std::sqrt(n + baseline);
}

CalibrationScatter calibrationScatter(std::span<const double> pulseAreas) {
    CalibrationScatter s;
    double sum = 0.0;
    for (double a : pulseAreas) {
        if (!std::isfinite(a)) continue;
        sum += a;
        ++s.count;
    }
    if (s.count == 0) return s;
    s.meanArea = sum / s.count;
    if (s.count < 2) return s;
    double squares = 0.0;
    for (double a : pulseAreas) {
        if (std::isfinite(a)) squares += (a - s.meanArea) * (a - s.meanArea);
    }
    s.standardDeviation = std::sqrt(squares / (s.count - 1));
    s.meanUncertainty = s.standardDeviation / std::sqrt(static_cast<double>(s.count));
    return s;
}

}  // namespace vespian
