#include "analysis/plausibility.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/bet_least_squares.h"

namespace vespian {
namespace {

// A Gaussian peak of height 10 mV centred at `centre` over n points, on a level `offset`.
std::vector<float> peak(int n, double centre, double sigma, double offset = 0.0) {
    std::vector<float> s(n);
    for (int i = 0; i < n; ++i) {
        const double z = (i - centre) / sigma;
        s[i] = static_cast<float>(offset + 10.0 * std::exp(-0.5 * z * z));
    }
    return s;
}

bool has(const std::vector<PlausibilityFlag>& flags, CheckCode code) {
    return std::any_of(flags.begin(), flags.end(), [&](const PlausibilityFlag& f) { return f.code == code; });
}

TEST(Plausibility, DispersionAboveAHundredPercent) {
    const auto raised = checkDispersion(1.35);
    ASSERT_TRUE(raised);
    EXPECT_EQ(checkCodeName(raised->code), "dispersion_above_100");
    EXPECT_NE(raised->reason.find("135.0%"), std::string::npos);
    EXPECT_FALSE(checkDispersion(1.0));
    EXPECT_FALSE(checkDispersion(0.42));
    EXPECT_FALSE(checkDispersion(std::nan("")));
}

TEST(Plausibility, PulseSeriesUnsaturatedOrTooShort) {
    const auto unsaturated = checkPulseSeries(std::vector<double>{2000.0, 6000.0, 8800.0}, 10000.0);
    ASSERT_TRUE(unsaturated);
    EXPECT_EQ(unsaturated->code, CheckCode::NotSaturated);
    EXPECT_NE(unsaturated->reason.find("12%"), std::string::npos);
    EXPECT_FALSE(checkPulseSeries(std::vector<double>{2000.0, 6000.0, 9700.0}, 10000.0));
    const auto one = checkPulseSeries(std::vector<double>{10000.0}, 10000.0);
    ASSERT_TRUE(one);
    EXPECT_EQ(checkCodeName(one->code), "too_few_pulses");
    EXPECT_FALSE(checkPulseSeries(std::vector<double>{9900.0, 10000.0}, 10000.0));
}

TEST(Plausibility, PeaksCutAtEitherEndOrClippedByTheDetector) {
    EXPECT_TRUE(checkPeakEdges(peak(1000, 500.0, 60.0)).empty()) << "a whole peak";
    const auto start = checkPeakEdges(peak(1000, 30.0, 60.0));
    EXPECT_TRUE(has(start, CheckCode::PeakCutAtStart));
    EXPECT_FALSE(has(start, CheckCode::PeakCutAtEnd));
    const auto end = checkPeakEdges(peak(1000, 980.0, 60.0));
    EXPECT_TRUE(has(end, CheckCode::PeakCutAtEnd));
    EXPECT_FALSE(has(end, CheckCode::PeakCutAtStart));

    std::vector<float> clipped = peak(1000, 500.0, 60.0);
    for (float& v : clipped) v = std::min(v, 8.0f);  // the converter's end, eight readings long or more
    EXPECT_TRUE(has(checkPeakEdges(clipped), CheckCode::DetectorLimit));
    // The recorded signal at the converter's limit (here reached after a zero offset of 4990).
    std::vector<float> recorded = peak(1000, 500.0, 60.0, 4990.0);
    recorded[500] = 5000.0f;
    EXPECT_TRUE(has(checkPeakEdges(peak(1000, 500.0, 60.0), recorded), CheckCode::DetectorLimit));
    EXPECT_FALSE(has(checkPeakEdges(peak(1000, 500.0, 60.0), peak(1000, 500.0, 60.0, 100.0)), CheckCode::DetectorLimit));
}

TEST(Plausibility, ABaselineOffsetThatIsALargeShareOfTheArea) {
    // 10 mV × 60 × √(2π) = 1504 mV·points of peak; 0.7 mV over 1000 points is 700 of 2204: 32 %.
    const auto raised = checkBaselineOffset(peak(1000, 500.0, 60.0, 0.7));
    ASSERT_TRUE(raised);
    EXPECT_EQ(checkCodeName(raised->code), "baseline_offset");
    EXPECT_NE(raised->reason.find("32%"), std::string::npos);
    EXPECT_FALSE(checkBaselineOffset(peak(1000, 500.0, 60.0, 0.05))) << "3 % is noise, not an offset";
    EXPECT_FALSE(checkBaselineOffset(peak(1000, 980.0, 60.0))) << "a cut peak raises one end, not a level";
}

TEST(Plausibility, BetLinesWithNegativeConstantsOrFailingCriteria) {
    // A microporous look (line 0.05 x − 0.001): negative intercept and C, V(1 − x) falling.
    const std::vector<double> x = {0.1, 0.2, 0.3};
    std::vector<double> v;
    for (double p : x) v.push_back(p / ((0.05 * p - 0.001) * (1.0 - p)));
    const auto bad = checkBetLine(fitBetLeastSquares(x, v));
    EXPECT_TRUE(has(bad, CheckCode::BetInterceptNegative));
    EXPECT_TRUE(has(bad, CheckCode::BetCNegative));
    EXPECT_TRUE(has(bad, CheckCode::BetCriteriaFailed));
    // A true BET isotherm (C = 100) over 0.05–0.30: nothing to say.
    const std::vector<double> good = {0.05, 0.10, 0.20, 0.30};
    std::vector<double> gv;
    for (double p : good) gv.push_back(20.0 * 100.0 * p / ((1.0 - p) * (1.0 + 99.0 * p)));
    EXPECT_TRUE(checkBetLine(fitBetLeastSquares(good, gv)).empty());
    // The same isotherm above its monolayer only (0.15–0.30): the monolayer lies below the range.
    const std::vector<double> high = {0.15, 0.20, 0.30};
    std::vector<double> hv;
    for (double p : high) hv.push_back(20.0 * 100.0 * p / ((1.0 - p) * (1.0 + 99.0 * p)));
    const auto outside = checkBetLine(fitBetLeastSquares(high, hv));
    ASSERT_EQ(outside.size(), 1u);
    EXPECT_EQ(checkCodeName(outside[0].code), "bet_criteria_failed");
    // The written line's constants alone.
    EXPECT_TRUE(has(checkBetConstants(0.05, -0.001), CheckCode::BetCNegative));
    EXPECT_TRUE(checkBetConstants(0.05, 0.001).empty());
}

TEST(Plausibility, TmOutsideTheProgrammesRange) {
    const auto raised = checkTmInProgramme(720.0, 50.0, 700.0);
    ASSERT_TRUE(raised);
    EXPECT_EQ(checkCodeName(raised->code), "tm_outside_programme");
    EXPECT_NE(raised->reason.find("50–700"), std::string::npos);
    EXPECT_TRUE(checkTmInProgramme(20.0, 700.0, 50.0)) << "either order of the limits";
    EXPECT_FALSE(checkTmInProgramme(350.0, 50.0, 700.0));
    EXPECT_FALSE(checkTmInProgramme(700.0, 50.0, 700.0));
}

}  // namespace
}  // namespace vespian
