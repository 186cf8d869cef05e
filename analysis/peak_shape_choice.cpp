#include "analysis/peak_shape_choice.h"

#include <algorithm>

namespace vespian {

ShapeChoice fitBestPeakShape(std::span<const float> signalMv, std::span<const float> temperatureC,
                             std::span<const int32_t> startIndices, std::span<const PeakShape> shapes,
                             const FitOptions& options) {
    ShapeChoice choice;
    choice.candidateCount = static_cast<int32_t>(std::min<size_t>(shapes.size(), kMaxShapeCandidates));
    for (int32_t i = 0; i < choice.candidateCount; ++i) {
        FitOptions o = options;
        o.shape = shapes[static_cast<size_t>(i)];
        DeconvolutionResult& fit = choice.candidates[static_cast<size_t>(i)];
        fit = fitPeakComponents(signalMv, temperatureC, startIndices, o);
        if (!fit.converged()) continue;
        if (choice.chosen < 0 || fit.aic < choice.candidates[static_cast<size_t>(choice.chosen)].aic) choice.chosen = i;
    }
    return choice;
}

std::string peakShapeName(PeakShape shape) {
    switch (shape) {
        case PeakShape::Gaussian: return "高斯";
        case PeakShape::AsymmetricGaussian: return "非对称高斯";
        case PeakShape::FirstOrderDesorption: return "一级脱附";
    }
    return "高斯";
}

}  // namespace vespian
