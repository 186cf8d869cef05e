#pragma once
// Which peak shape describes a run: the deconvolution is fitted with each candidate shape from
// the same starting points, and the converged fit with the lowest Akaike criterion is taken.
// Shapes with equal parameter counts are thereby compared on their residuals alone; a shape
// with more parameters must lower the residuals by more than its extra parameters cost.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "analysis/gaussian_fit.h"

namespace vespian {

inline constexpr std::array<PeakShape, 2> kDefaultShapeCandidates = {PeakShape::Gaussian,
                                                                     PeakShape::FirstOrderDesorption};
inline constexpr int32_t kMaxShapeCandidates = 3;

struct ShapeChoice {
    int32_t candidateCount = 0;
    std::array<DeconvolutionResult, kMaxShapeCandidates> candidates{};  // in the order asked
    int32_t chosen = -1;  // index of the converged candidate of lowest AIC; −1 when none converged

    bool ok() const { return chosen >= 0; }
    // The chosen fit, or the first candidate's (with its status) when none converged.
    const DeconvolutionResult& best() const { return candidates[static_cast<size_t>(chosen >= 0 ? chosen : 0)]; }
    std::span<const DeconvolutionResult> list() const {
        return {candidates.data(), static_cast<size_t>(candidateCount)};
    }
};

// At most kMaxShapeCandidates shapes are tried; options.shape is ignored.
ShapeChoice fitBestPeakShape(std::span<const float> signalMv, std::span<const float> temperatureC,
                             std::span<const int32_t> startIndices,
                             std::span<const PeakShape> shapes = kDefaultShapeCandidates,
                             const FitOptions& options = {});

// The shape's name for the screen: "高斯", "非对称高斯", "一级脱附".
std::string peakShapeName(PeakShape shape);

}  // namespace vespian
