// Evaluation of temperature-programmed desorption on the simulated analyser. Activation energies:
// the
// furnace programme goes out as the program's frames, the instrument's frames come back through
// the frame decoder into a trace, and each run's Tm values come from the automatic proposals on
// the baseline-corrected trace. Kissinger's line through the four heating rates must give back
// the energy of each of the simulator's first-order sites within 3 %. Instrument time runs as
// fast as the frames can be decoded; nothing sleeps. Beside it: the sites' areas from a
// deconvolution, and the plain baseline, which must propose no Tm at all.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <span>
#include <vector>

#include "analysis/baseline.h"
#include "analysis/gaussian_fit.h"
#include "analysis/kissinger.h"
#include "analysis/peak_maxima.h"
#include "link/command_set.h"
#include "sim/desorption_sites.h"
#include "sim/simulated_analyser.h"
#include "sim/stream_reader.h"

namespace vespian {
namespace {

using sim::kAdsorptionSites;
using sim::testing::StreamReader;

constexpr int kTargetC = 700;
constexpr int kSites = static_cast<int>(kAdsorptionSites.size());

struct TpdRun {
    TmProposals proposals;
    int32_t points = 0;
    std::vector<float> corrected;  // baseline-corrected signal
    std::vector<float> temperature;
};

// One TPD from room temperature to kTargetC at `rateCPerMin`, recorded from the start command
// until the furnace reaches the target.
TpdRun runTpd(int rateCPerMin, uint64_t seed) {
    sim::SimulatedAnalyser analyser(seed);
    auto reader = std::make_unique<StreamReader>();
    for (const Command& command : {StartStream(), ProgramFrame(1, kTargetC, static_cast<uint8_t>(rateCPerMin), 0),
                                   ProgramStartFrame()}) {
        analyser.receive(command.bytes.data(), command.length);
    }
    const double seconds = (kTargetC - sim::kAmbientC) / rateCPerMin * 60.0;
    sim::testing::run(analyser, sim::testing::periodsFor(seconds), reader.get());

    TpdRun run;
    run.points = reader->points();
    const std::span<const float> signal(reader->chromatogram.signalMv(), static_cast<size_t>(run.points));
    const std::span<const float> temperature(reader->chromatogram.temperatureC(), static_cast<size_t>(run.points));
    // Below 80 ℃ and above 600 ℃ nothing desorbs: the flat ends carry the baseline.
    run.corrected.resize(signal.size());
    subtractBaseline(signal, baselineFromFlatEnds(signal, 0.05), run.corrected);
    run.temperature.assign(temperature.begin(), temperature.end());
    run.proposals = proposeTmValues(run.corrected, temperature, suggestedProminenceMv(run.corrected));
    return run;
}

TEST(TpdEvaluationOnTheSimulator, FourHeatingRatesGiveBackEachSiteEnergyWithinThreePercent) {
    constexpr std::array<int, 4> kRates = {5, 10, 20, 30};
    std::array<std::vector<double>, kSites> tm;
    std::vector<double> rates;
    for (int rate : kRates) {
        const TpdRun run = runTpd(rate, 100 + rate);
        ASSERT_GT(run.points, 1000);
        ASSERT_EQ(run.proposals.status, TmProposalStatus::Ok);
        ASSERT_EQ(run.proposals.count, kSites) << "one peak per site at " << rate << " ℃/min";
        rates.push_back(rate);
        for (int s = 0; s < kSites; ++s) {
            const TmProposal& p = run.proposals.proposals[s];
            tm[s].push_back(p.temperatureC);
            // The recorded maximum lies where first-order kinetics put it.
            const double expectedC = firstOrderPeakTemperatureK(rate, kAdsorptionSites[s].energyJPerMol,
                                                                kAdsorptionSites[s].frequencyPerS) - 273.15;
            EXPECT_NEAR(p.temperatureC, expectedC, 2.0) << "site " << s << " at " << rate << " ℃/min";
        }
    }
    for (int s = 0; s < kSites; ++s) {
        const KissingerFit fit = kissingerFit(rates, tm[s]);
        ASSERT_TRUE(fit.ok()) << "site " << s;
        const double trueKJ = kAdsorptionSites[s].energyJPerMol / 1000.0;
        EXPECT_NEAR(fit.energyKJPerMol, trueKJ, 0.03 * trueKJ) << "site " << s;
        EXPECT_GT(fit.rSquared, 0.99) << "site " << s;
        EXPECT_LT(fit.energyStandardErrorKJPerMol, 0.03 * trueKJ) << "site " << s;
        std::printf("site %d: E = %.2f ± %.2f kJ/mol (true %.1f), r² = %.6f, Tm = %.1f %.1f %.1f %.1f ℃\n", s,
                    fit.energyKJPerMol, fit.energyStandardErrorKJPerMol, trueKJ, fit.rSquared, tm[s][0], tm[s][1],
                    tm[s][2], tm[s][3]);
    }
}

// An hour of the detector's baseline with the furnace cold: drift and noise, no peak.
TEST(TpdEvaluationOnTheSimulator, TheBaselineAloneProposesNoTm) {
    sim::SimulatedAnalyser analyser(3);
    auto reader = std::make_unique<StreamReader>();
    const Command start = StartStream();
    analyser.receive(start.bytes.data(), start.length);
    sim::testing::run(analyser, sim::testing::periodsFor(3600.0), reader.get());
    const std::span<const float> signal(reader->chromatogram.signalMv(), static_cast<size_t>(reader->points()));
    const std::span<const float> temperature(reader->chromatogram.temperatureC(), signal.size());
    std::vector<float> corrected(signal.size());
    subtractBaseline(signal, baselineFromFlatEnds(signal), corrected);
    const TmProposals found = proposeTmValues(corrected, temperature, suggestedProminenceMv(corrected));
    EXPECT_EQ(found.status, TmProposalStatus::Ok);
    EXPECT_EQ(found.count, 0);
}

// The sites' peaks deconvolved from the Tm proposals: each component holds its site's gas. The
// detector area of a full site is its capacity (mV·s) × 5 points a second, less the readings
// the trace's fast clock overwrites.
TEST(TpdEvaluationOnTheSimulator, DeconvolutionOfOneRunGivesEachSiteItsCapacity) {
    const TpdRun run = runTpd(10, 7);
    ASSERT_EQ(run.proposals.count, kSites);
    std::array<int32_t, kSites> starts{};
    for (int s = 0; s < kSites; ++s) starts[s] = run.proposals.proposals[s].index;
    FitOptions options;
    options.shape = PeakShape::AsymmetricGaussian;
    const DeconvolutionResult fit = fitPeakComponents(run.corrected, run.temperature, starts, options);
    ASSERT_TRUE(fit.converged());
    for (int s = 0; s < kSites; ++s) {
        const double expected = kAdsorptionSites[s].capacityMvS * kPointsPerSecond * kIndexFactor;
        EXPECT_NEAR(fit.components[s].area, expected, 0.04 * expected) << "site " << s;
        // Two half-Gaussians only approximate the first-order shape: the top moves by a few ℃.
        EXPECT_NEAR(fit.components[s].maximumTemperatureC, run.proposals.proposals[s].temperatureC, 5.0);
        // First-order peaks rise slowly and fall fast.
        EXPECT_GT(fit.components[s].risingWidth, fit.components[s].fallingWidth) << "site " << s;
    }
}

}  // namespace
}  // namespace vespian
