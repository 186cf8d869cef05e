#include "analysis/peak_maxima.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace vespian {
namespace {

std::vector<float> ramp(size_t n, float startC = 50.0f, float perPoint = 0.1f) {
    std::vector<float> t(n);
    for (size_t i = 0; i < n; ++i) t[i] = startC + perPoint * static_cast<float>(i);
    return t;
}

TEST(TmProposals, ProminenceIsTheHeightAboveTheHigherSaddleComputedByHand) {
    // Maxima at 2 (5 over the lowest points 0 and 0) and at 4 (3, cut off from the higher
    // peak by the 2 at point 3, and from the end by 0: prominence 3 − 2 = 1).
    const std::vector<float> signal = {0, 1, 5, 2, 3, 1, 0};
    const TmProposals all = proposeTmValues(signal, ramp(signal.size()), 0.0, 0);
    ASSERT_EQ(all.status, TmProposalStatus::Ok);
    ASSERT_EQ(all.count, 2);
    EXPECT_EQ(all.proposals[0].index, 2);
    EXPECT_FLOAT_EQ(all.proposals[0].prominenceMv, 5.0f);
    EXPECT_FLOAT_EQ(all.proposals[0].temperatureC, 50.2f);
    EXPECT_EQ(all.proposals[1].index, 4);
    EXPECT_FLOAT_EQ(all.proposals[1].prominenceMv, 1.0f);
    EXPECT_FLOAT_EQ(all.proposals[1].heightMv, 3.0f);

    const TmProposals strict = proposeTmValues(signal, ramp(signal.size()), 1.5, 0);
    ASSERT_EQ(strict.count, 1);
    EXPECT_EQ(strict.proposals[0].index, 2);
}

TEST(TmProposals, FlatTopsTwinsAndTheEndsOfTheStretch) {
    const TmProposals plateau = proposeTmValues(std::vector<float>{0, 2, 2, 2, 0}, ramp(5), 0.0, 0);
    ASSERT_EQ(plateau.count, 1);
    EXPECT_EQ(plateau.proposals[0].index, 2) << "a flat top counts once, at its middle";

    // Equal twins do not cut each other off: each stands 3 above the ends.
    const TmProposals twins = proposeTmValues(std::vector<float>{0, 3, 1, 3, 0}, ramp(5), 0.0, 0);
    ASSERT_EQ(twins.count, 2);
    EXPECT_FLOAT_EQ(twins.proposals[0].prominenceMv, 3.0f);
    EXPECT_FLOAT_EQ(twins.proposals[1].prominenceMv, 3.0f);

    // A stretch cut on a flank: highest at its first or last point, no maximum inside.
    EXPECT_EQ(proposeTmValues(std::vector<float>{9, 7, 5, 3, 1}, ramp(5), 0.0, 0).count, 0);
    EXPECT_EQ(proposeTmValues(std::vector<float>{1, 3, 5, 7, 9}, ramp(5), 0.0, 0).count, 0);
    // A rising plateau that runs into the end is no maximum either.
    EXPECT_EQ(proposeTmValues(std::vector<float>{0, 1, 4, 4, 4}, ramp(5), 0.0, 0).count, 0);
}

TEST(TmProposals, TwoDesorptionPeaksOnANoisyDriftingBaselineAndNothingOnTheBaselineAlone) {
    constexpr int kPoints = 18'000;  // an hour of trace
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 0.01f);
    std::vector<float> baseline(kPoints), signal(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        // The detector's slow wander: 0.15 mV over an hour, 0.05 mV over twenty minutes.
        baseline[i] = 0.15f * std::sin(6.2832f * i / 18'000.0f) + 0.05f * std::sin(6.2832f * i / 6'000.0f + 1.0f) +
                      noise(random);
        const double z1 = (i - 5'000) / 400.0, z2 = (i - 11'000) / 600.0;
        signal[i] = baseline[i] + static_cast<float>(20.0 * std::exp(-0.5 * z1 * z1) + 8.0 * std::exp(-0.5 * z2 * z2));
    }
    const std::vector<float> temperature = ramp(kPoints, 50.0f, 0.05f);

    const double prominence = suggestedProminenceMv(signal);
    EXPECT_DOUBLE_EQ(prominence, kMinSuggestedProminenceMv) << "noise of 0.01 mV needs only the floor";
    const TmProposals found = proposeTmValues(signal, temperature, prominence);
    ASSERT_EQ(found.count, 2);
    EXPECT_NEAR(found.proposals[0].index, 5'000, 10);
    EXPECT_NEAR(found.proposals[0].temperatureC, 300.0f, 0.5f);
    EXPECT_NEAR(found.proposals[1].index, 11'000, 15);
    EXPECT_NEAR(found.proposals[1].temperatureC, 600.0f, 0.75f);
    EXPECT_GT(found.proposals[1].prominenceMv, 7.5f);

    EXPECT_EQ(proposeTmValues(baseline, temperature, suggestedProminenceMv(baseline)).count, 0);
    EXPECT_EQ(proposeTmValues(baseline, temperature, 0.0).status, TmProposalStatus::Truncated)
        << "without a floor the noise is all maxima";
}

TEST(TmProposals, SuggestedProminenceFollowsTheNoise) {
    std::mt19937 random(3);
    std::normal_distribution<float> noise(0.0f, 0.2f);
    std::vector<float> noisy(50'000);
    for (size_t i = 0; i < noisy.size(); ++i) noisy[i] = 0.001f * static_cast<float>(i) + noise(random);
    EXPECT_NEAR(suggestedProminenceMv(noisy), 2.0, 0.1) << "ten σ, the steady rise ignored";
    EXPECT_DOUBLE_EQ(suggestedProminenceMv(std::vector<float>{1.0f}), kMinSuggestedProminenceMv);
}

TEST(TmProposals, BeyondTheListTheMostProminentAreKeptInPointOrder) {
    // 150 teeth of rising height: tooth k stands k + 1 mV above zero between them.
    std::vector<float> teeth;
    for (int k = 0; k < 150; ++k) {
        teeth.push_back(0.0f);
        teeth.push_back(static_cast<float>(k + 1));
    }
    teeth.push_back(0.0f);
    const TmProposals found = proposeTmValues(teeth, ramp(teeth.size()), 0.0, 0);
    EXPECT_EQ(found.status, TmProposalStatus::Truncated);
    ASSERT_EQ(found.count, kMaxTmProposals);
    EXPECT_EQ(found.proposals[0].index, 2 * 51 + 1) << "teeth 0..50 are the least prominent";
    EXPECT_FLOAT_EQ(found.proposals[kMaxTmProposals - 1].prominenceMv, 150.0f);
    for (int k = 1; k < found.count; ++k) EXPECT_LT(found.proposals[k - 1].index, found.proposals[k].index);
}

TEST(TmProposals, UnusableInputsAreReported) {
    EXPECT_EQ(proposeTmValues(std::vector<float>{1, 2}, ramp(2), 0.0).status, TmProposalStatus::TooFewPoints);
    EXPECT_EQ(proposeTmValues(std::vector<float>{0, 1, 0}, ramp(4), 0.0).status, TmProposalStatus::TooFewPoints);
    std::vector<float> broken = {0, 1, std::numeric_limits<float>::infinity(), 1, 0};
    const TmProposals none = proposeTmValues(broken, ramp(5), 0.0);
    EXPECT_EQ(none.status, TmProposalStatus::NonFiniteSignal);
    EXPECT_EQ(none.count, 0);
}

TEST(TmProposals, MovingMeanClipsItsWindowAtTheEnds) {
    std::vector<float> out(5);
    smoothSignal(std::vector<float>{0, 0, 3, 0, 0}, 1, out);
    EXPECT_EQ(out, (std::vector<float>{0, 1, 1, 1, 0}));
    std::vector<float> edge(3);
    smoothSignal(std::vector<float>{3, 0, 0}, 1, edge);
    EXPECT_EQ(edge, (std::vector<float>{1.5f, 1, 0}));
    smoothSignal(std::vector<float>{3, 0, 0}, 0, edge);
    EXPECT_EQ(edge, (std::vector<float>{3, 0, 0}));
}

}  // namespace
}  // namespace vespian
