#include "analysis/tp_evaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <variant>
#include <vector>

#include "analysis/tp_report.h"
#include "files/test_report.h"

namespace vespian {
namespace {

// Two desorption peaks on a drifting baseline, 1001 points on a ramp 50 → 550 ℃.
struct Synthetic {
    std::vector<float> signal, temperature;
};
Synthetic twoPeaksOnDrift(double drift = 0.002) {
    Synthetic s;
    for (int i = 0; i <= 1000; ++i) {
        const double a = (i - 350.0) / 35.0, b = (i - 600.0) / 45.0;
        s.signal.push_back(static_cast<float>(0.5 + drift * i + 8.0 * std::exp(-0.5 * a * a) + 5.0 * std::exp(-0.5 * b * b)));
        s.temperature.push_back(50.0f + 0.5f * static_cast<float>(i));
    }
    return s;
}

double gaussArea(double h, double sigma) { return h * sigma * std::sqrt(2.0 * std::numbers::pi); }

template <typename T>
int countItems(const DrawList& list, auto predicate) {
    int n = 0;
    for (const DrawItem& item : list.items) {
        if (const T* t = std::get_if<T>(&item); t != nullptr && predicate(*t)) ++n;
    }
    return n;
}

TEST(TpEvaluation, FlatEndsBaselineRemovesTheDriftAndTheProposalsFindBothPeaks) {
    const Synthetic s = twoPeaksOnDrift();
    TpEvaluation e(s.signal, s.temperature);
    EXPECT_EQ(e.baselineKind(), BaselineKind::None);
    EXPECT_FLOAT_EQ(e.corrected()[1000], s.signal[1000]);
    ASSERT_EQ(e.useFlatEndsBaseline(), BaselineStatus::Ok);
    EXPECT_EQ(e.baselineKind(), BaselineKind::FlatEnds);
    EXPECT_NEAR(e.corrected()[0], 0.0, 0.01);
    EXPECT_NEAR(e.corrected()[1000], 0.0, 0.01);
    EXPECT_NEAR(e.corrected()[350], 8.0, 0.05);

    const TmProposals& p = e.propose(1.0);
    ASSERT_EQ(p.count, 2);
    EXPECT_NEAR(p.proposals[0].index, 350, 2);
    EXPECT_NEAR(p.proposals[0].temperatureC, 225.0f, 1.0f);
    EXPECT_NEAR(p.proposals[1].index, 600, 2);
    // A prominence above both peaks proposes nothing.
    EXPECT_EQ(e.propose(20.0).count, 0);
}

TEST(TpEvaluation, TwoClickedPointsMakeTheBaselineAndBadClicksAreRefusedKeepingTheOldOne) {
    const Synthetic s = twoPeaksOnDrift();
    TpEvaluation e(s.signal, s.temperature);
    ASSERT_EQ(e.useBaselineThrough(50, 950), BaselineStatus::Ok);
    EXPECT_NEAR(e.baseline().slopeMvPerPoint, 0.002, 1e-4);
    EXPECT_NEAR(e.corrected()[950], 0.0, 0.02);
    EXPECT_EQ(e.useBaselineThrough(100, 100), BaselineStatus::SamePoint);
    EXPECT_EQ(e.useBaselineThrough(10, 5000), BaselineStatus::PointOutside);
    EXPECT_EQ(e.baselineKind(), BaselineKind::TwoPoints);
    EXPECT_NEAR(e.baseline().slopeMvPerPoint, 0.002, 1e-4);
    EXPECT_FALSE(baselineStatusText(BaselineStatus::SamePoint).empty());
    EXPECT_TRUE(baselineStatusText(BaselineStatus::Ok).empty());
    // Back to none: the recorded signal again.
    e.useNoBaseline();
    EXPECT_FLOAT_EQ(e.corrected()[500], s.signal[500]);
}

TEST(TpEvaluation, FitRecoversTheComponentsAndOnlyAConvergedFitReplacesTheHeldOne) {
    const Synthetic s = twoPeaksOnDrift();
    TpEvaluation e(s.signal, s.temperature);
    e.useFlatEndsBaseline();
    const int32_t starts[] = {340, 610};
    const DeconvolutionResult r = e.fit(starts, PeakShape::Gaussian);
    ASSERT_TRUE(r.converged()) << static_cast<int>(r.status);
    ASSERT_TRUE(e.hasFit());
    ASSERT_EQ(e.fitted().componentCount, 2);
    EXPECT_NEAR(e.fitted().components[0].maximumTemperatureC, 225.0, 1.0);
    EXPECT_NEAR(e.fitted().components[1].maximumTemperatureC, 350.0, 1.0);
    EXPECT_NEAR(e.fitted().components[0].area, gaussArea(8.0, 35.0), 0.02 * gaussArea(8.0, 35.0));

    // One iteration cannot converge: the result says so and the held fit stays.
    FitOptions once;
    once.maxIterations = 1;
    const int32_t other[] = {200, 800};
    const DeconvolutionResult failed = e.fit(other, once);
    EXPECT_EQ(failed.status, FitStatus::NotConverged);
    EXPECT_FALSE(fitStatusText(failed.status).empty());
    ASSERT_TRUE(e.hasFit());
    EXPECT_NEAR(e.fitted().components[0].maximumTemperatureC, 225.0, 1.0);
    // Starts on one point cannot be told apart; nothing changes either.
    const int32_t same[] = {350, 350};
    EXPECT_EQ(e.fit(same, PeakShape::Gaussian).status, FitStatus::StartsTooClose);
    EXPECT_EQ(e.fitted().componentCount, 2);

    // Gaussian peaks keep the Gaussian when the shape is chosen, and it is held.
    const ShapeChoice choice = e.fitBestShape(starts);
    ASSERT_TRUE(choice.ok());
    EXPECT_EQ(e.fitted().shape, PeakShape::Gaussian);
    EXPECT_DOUBLE_EQ(e.fitted().aic, choice.candidates[0].aic);

    // A new baseline makes a new curve: the fit and the proposals made on the old one go.
    e.propose(1.0);
    e.useNoBaseline();
    EXPECT_FALSE(e.hasFit());
    EXPECT_EQ(e.proposals().count, 0);
}

TEST(TpEvaluation, AcceptingATmAppendsInPickingOrderAndRefusesAFullListOrAPointOutside) {
    auto report = std::make_unique<TestReport>();
    TestReportHeader& h = report->header();
    h.reportPointCount = 1000;
    EXPECT_TRUE(appendTm(h, 600, 350.0f));
    EXPECT_TRUE(appendTm(h, 350, 225.0f));
    ASSERT_EQ(h.tmCount, 2);
    EXPECT_EQ(h.tmIndices[0], 600);
    EXPECT_FLOAT_EQ(h.tmValues[1], 225.0f);
    EXPECT_FALSE(appendTm(h, 1001, 1.0f));
    EXPECT_FALSE(appendTm(h, -1, 1.0f));
    EXPECT_FALSE(appendTm(h, 10, std::nanf("")));
    EXPECT_EQ(h.tmCount, 2);
    while (h.tmCount < kMaxTmPicks) ASSERT_TRUE(appendTm(h, 1, 1.0f));
    EXPECT_FALSE(appendTm(h, 1, 1.0f));
    EXPECT_EQ(h.tmCount, kMaxTmPicks);
}

TEST(PeakSegments, ValleysDivideThePeaksAndEachAreaIsItsOwnPeak) {
    std::vector<float> signal, temperature;
    for (int i = 0; i <= 1000; ++i) {
        const double a = (i - 300.0) / 30.0, b = (i - 700.0) / 40.0;
        signal.push_back(static_cast<float>(6.0 * std::exp(-0.5 * a * a) + 3.0 * std::exp(-0.5 * b * b)));
        temperature.push_back(100.0f + static_cast<float>(i));
    }
    // Any order, repeats and points outside are taken as one sorted set.
    const int32_t tm[] = {700, 300, 700, 5000, -3};
    const std::vector<PeakSegment> s = peakSegments(signal, temperature, tm);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].tmIndex, 300);
    EXPECT_EQ(s[0].first, 0);
    EXPECT_GT(s[0].last, 420);
    EXPECT_LT(s[0].last, 560);
    EXPECT_EQ(s[1].first, s[0].last + 1);
    EXPECT_EQ(s[1].last, 1000);
    EXPECT_FLOAT_EQ(s[1].tmC, 800.0f);
    EXPECT_NEAR(s[0].area, gaussArea(6.0, 30.0), 0.01 * gaussArea(6.0, 30.0));
    EXPECT_NEAR(s[1].area, gaussArea(3.0, 40.0), 0.01 * gaussArea(3.0, 40.0));
    EXPECT_TRUE(peakSegments(signal, temperature, {}).empty());
}

TEST(EvaluationRows, AmountsAgainstTheQuantitativePeakAndTheirCsv) {
    // A peak as large as the quantitative peak holds one loop: 1 ml at 0 ℃, 101.325 kPa is
    // 1 / 22,414 mol = 44.615 µmol; per 0.1 g 446.15 µmol/g.
    PeakSegment p1{100, 0, 199, 120.0f, 500.0};
    PeakSegment p2{300, 200, 400, 300.0f, 1500.0};
    const PeakSegment peaks[] = {p1, p2};
    DeconvolutionResult fit;
    fit.status = FitStatus::Converged;
    fit.componentCount = 1;
    fit.components[0].area = 1000.0;
    fit.components[0].areaShare = 1.0;
    fit.components[0].maximumTemperatureC = 250.0f;
    UptakeReference ref{1000.0, GasLoop{1.0, 0.0, kStandardPressureKPa}, 0.1};
    const std::vector<EvaluationRow> rows = evaluationRows(peaks, &fit, ref);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].kind, "峰");
    EXPECT_NEAR(rows[0].share, 0.25, 1e-12);
    EXPECT_NEAR(rows[1].amount.micromol, 1.5 * 44.6149, 1e-3);
    EXPECT_EQ(rows[2].kind, "组分");
    EXPECT_NEAR(rows[2].amount.micromol, 44.6149, 1e-3);
    EXPECT_NEAR(rows[2].amount.micromolPerGram, 446.149, 1e-2);

    const std::string csv = evaluationCsv(rows);
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "\xEF\xBB\xBF类别,序号,Tm[℃],面积[mV×点],份额[%],吸附量[µmol],吸附量[µmol/g]");
    EXPECT_NE(csv.find("组分,1,250.0,1000.000,100.00,44.6150,446.1497\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("峰,2,300.0,1500.000,75.00,66.9225,"), std::string::npos) << csv;

    // Without a quantitative peak no amount is invented: the amount columns stay empty.
    const std::vector<EvaluationRow> none = evaluationRows(peaks, nullptr, UptakeReference{});
    ASSERT_EQ(none.size(), 2u);
    EXPECT_EQ(none[0].amount.status, UptakeStatus::InvalidLoop);
    EXPECT_NE(evaluationCsv(none).find("峰,1,120.0,500.000,25.00,,\n"), std::string::npos);
}

TEST(TpEvaluationChart, ShowsProposalsAsHollowMarksAndEveryComponentWithTheSum) {
    const Synthetic s = twoPeaksOnDrift();
    TpEvaluation e(s.signal, s.temperature);
    e.useFlatEndsBaseline();
    e.propose(1.0);
    const int32_t starts[] = {350, 600};
    ASSERT_TRUE(e.fit(starts, PeakShape::AsymmetricGaussian).converged());
    const int32_t tm[] = {350};
    const DrawList chart = tpEvaluationChart(e, tm);
    EXPECT_EQ(countItems<DrawFrame>(chart, [](const DrawFrame& f) { return f.colour == kProposalColour; }), 2);
    EXPECT_EQ(countItems<DrawPolyline>(chart, [](const DrawPolyline&) { return true; }), 1 + 2 + 1);
    EXPECT_EQ(countItems<DrawPolyline>(chart, [](const DrawPolyline& l) { return l.colour == kFitSumColour; }), 1);
    EXPECT_EQ(countItems<DrawLine>(chart, [](const DrawLine& l) { return l.colour == kTmColour; }), 1);
    // Every position lies on the chart.
    for (const DrawItem& item : chart.items) {
        if (const auto* l = std::get_if<DrawPolyline>(&item)) {
            for (const DrawPoint& p : l->points) {
                EXPECT_GE(p.y, 0);
                EXPECT_LT(p.y, kReportChartHeight);
            }
        }
    }
    EXPECT_EQ(evaluationChartX(350, 1001), 271);
    EXPECT_EQ(evaluationChartIndex(271, 1001), 350);
    EXPECT_EQ(evaluationChartIndex(-5, 1001), 0);
    EXPECT_EQ(evaluationChartIndex(9999, 1001), 1000);
}

TEST(TpEvaluationChart, AFlatOrTinyStretchDrawsWithoutFailing) {
    const std::vector<float> flat(50, 1.0f), temp(50, 100.0f);
    TpEvaluation e(flat, temp);
    const DrawList chart = tpEvaluationChart(e, {});
    EXPECT_EQ(countItems<DrawPolyline>(chart, [](const DrawPolyline& l) { return l.points.size() == kReportChartWidth; }), 1);
    const std::vector<float> one(1, 1.0f);
    TpEvaluation tiny(one, one);
    EXPECT_EQ(countItems<DrawPolyline>(tpEvaluationChart(tiny, {}), [](const DrawPolyline&) { return true; }), 0);
}

}  // namespace
}  // namespace vespian
