// The simulator's desorption peaks against the deconvolution's peak shapes: the sites empty by
// first-order kinetics along a 10 ℃/min ramp, one reading every 0.2 s. The shape is chosen by
// the information criterion; a Gaussian leaves a tenth of the signal unexplained, the
// first-order desorption shape hardly anything.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "analysis/peak_maxima.h"
#include "analysis/peak_shape_choice.h"
#include "sim/desorption_sites.h"

namespace vespian {
namespace {

TEST(PeakShapesOnTheSimulator, TheSitesPeaksChooseTheFirstOrderDesorptionShape) {
    sim::DesorptionSites sites;
    std::vector<float> signal, temperature;
    for (int i = 0; i < 16'500; ++i) {  // 40 → 590 ℃
        const double t = 40.0 + i * 0.2 / 6.0;
        signal.push_back(static_cast<float>(sites.advance(t, 0.2)));
        temperature.push_back(static_cast<float>(t));
    }
    const TmProposals maxima = proposeTmValues(signal, temperature, 1.0);
    ASSERT_EQ(maxima.count, sim::DesorptionSites::kSites);
    std::vector<int32_t> starts;
    for (const TmProposal& p : maxima.list()) starts.push_back(p.index);

    const ShapeChoice choice = fitBestPeakShape(signal, temperature, starts);
    ASSERT_TRUE(choice.ok());
    const DeconvolutionResult& gaussian = choice.candidates[0];
    const DeconvolutionResult& best = choice.best();
    EXPECT_EQ(best.shape, PeakShape::FirstOrderDesorption);
    EXPECT_GT(gaussian.relativeResidual, 0.05);
    EXPECT_LT(best.relativeResidual, 0.01);
    for (int s = 0; s < sim::DesorptionSites::kSites; ++s) {
        // A full site's detector area is its capacity (mV·s) at 5 points a second.
        const double expected = sim::kAdsorptionSites[s].capacityMvS * 5.0;
        EXPECT_NEAR(best.components[s].area, expected, 0.01 * expected) << "site " << s;
        EXPECT_NEAR(best.components[s].maximumTemperatureC, maxima.proposals[s].temperatureC, 1.5) << "site " << s;
    }
    std::printf("relative residual: Gaussian %.4f, first-order desorption %.4f\n", gaussian.relativeResidual,
                best.relativeResidual);
}

}  // namespace
}  // namespace vespian
