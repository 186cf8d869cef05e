// Evaluations and files of a run, on traces made by hand: the TP report's Tm values from the
// proposals, the titration from the pulses, the pulse saturation rule, and the run's folder.

#include "method/run_evaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "files/test_report.h"
#include "method/pulse_saturation.h"
#include "method/run_files.h"
#include "support/test_files.h"
#include "trace/chromatogram.h"
#include "trace/quant_peak.h"

namespace vespian {
namespace {

MethodFile sampleMethod(TestKind test) {
    MethodFile method;
    method.name = "试验";
    method.test = test;
    method.sample.name = "Pt/Al2O3";
    method.sample.weightG = 0.2;
    method.sample.metal = "铂";
    method.sample.metalFraction = 0.01;
    return method;
}

// A trace of n points with the given signal and a 10 ℃/min ramp from 50 ℃.
std::unique_ptr<Chromatogram> traceOf(int32_t n, const std::function<double(int32_t)>& mv) {
    std::vector<float> signal(static_cast<size_t>(n)), temperature(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        signal[static_cast<size_t>(i)] = static_cast<float>(mv(i));
        temperature[static_cast<size_t>(i)] = 50.0f + static_cast<float>(i) / 5.0f / 6.0f;
    }
    auto trace = std::make_unique<Chromatogram>();
    trace->replace(signal.data(), temperature.data(), n);
    return trace;
}

TEST(RunEvaluation, ATemperatureProgrammedReportGetsItsTmFromTheProposals) {
    // Peaks at points 4500 and 10500: 200 ℃ and 400 ℃ on the ramp.
    auto trace = traceOf(14000, [](int32_t i) {
        return 10.0 * std::exp(-std::pow((i - 4500) / 200.0, 2)) + 6.0 * std::exp(-std::pow((i - 10500) / 250.0, 2));
    });
    RunResults results;
    results.recorded = RunStretch{1000, 13000};
    results.programmeTopC = 450;
    results.programmeRateCPerMin = 10;
    auto report = std::make_unique<TestReport>();
    auto quant = std::make_unique<QuantPeak>();
    const EvaluationOutcome outcome = evaluateRun(EvaluatedKind::Tpd, sampleMethod(TestKind::Tpd), results, *trace,
                                                  *report, *quant, {2024, 5, 1});
    ASSERT_TRUE(outcome.ok) << outcome.message;
    const TestReportHeader& h = report->header();
    ASSERT_EQ(h.tmCount, 2) << outcome.message;
    EXPECT_NEAR(h.tmValues[0], 200.0f, 0.5f);
    EXPECT_NEAR(h.tmValues[1], 400.0f, 0.5f);
    EXPECT_EQ(h.tmIndices[0], 3500) << "within the stretch";
    EXPECT_EQ(h.reportPointCount, 12000);
    EXPECT_EQ(h.upperTempC, 450.0f);
    EXPECT_EQ(h.rampRateCPerMin, 10.0f);
    EXPECT_STREQ(h.sampleName, "Pt/Al2O3");
    EXPECT_EQ(h.testDate.month, 5);
    EXPECT_EQ(outcome.message, "程序升温脱附(TPD)：2 个 Tm 200 ℃，400 ℃");

    RunResults nothing;
    EXPECT_FALSE(evaluateRun(EvaluatedKind::Tpr, sampleMethod(TestKind::Tpr), nothing, *trace, *report, *quant, {}).ok);
}

TEST(RunEvaluation, ATitrationFromThePulsesTakesTheAgreeingOnesAsTheFullPulse) {
    // Six pulses 600 points apart: two taken up whole, one half, three whole ones through.
    const double heights[] = {0, 0, 5, 10, 10, 10};
    auto trace = traceOf(4000, [&](int32_t i) {
        double mv = 0.0;
        for (int k = 0; k < 6; ++k) {
            const int32_t apex = 300 + 600 * k;
            mv += heights[k] * std::exp(-std::pow((i - apex) / 30.0, 2));
        }
        return mv;
    });
    RunResults results;
    RunPulseSeries series;
    series.loopMl = 0.5;
    series.stretch = {100, 3800};
    series.saturated = true;
    for (int k = 0; k < 6; ++k) {
        RunPulse p;
        p.injectPoint = 200 + 600 * k;
        if (heights[k] > 0) {
            p.peakFirst = 300 + 600 * k - 150;
            p.peakLast = 300 + 600 * k + 150;
            p.area = heights[k];
        }
        series.pulses.push_back(p);
    }
    results.pulses = series;
    auto report = std::make_unique<TestReport>();
    auto quant = std::make_unique<QuantPeak>();
    const EvaluationOutcome outcome = evaluateRun(EvaluatedKind::Titration, sampleMethod(TestKind::Titration), results,
                                                  *trace, *report, *quant, {2024, 5, 1});
    ASSERT_TRUE(outcome.ok) << outcome.message;
    const TestReportHeader& h = report->header();
    EXPECT_EQ(h.pulseCount, 6);
    EXPECT_FLOAT_EQ(h.pulseVolumeMl, 0.5f);
    // 3.5 pulses came through of 6: 6 × 0.5 − 3.5 × 0.5 = 1.25 ml taken up.
    EXPECT_NEAR(h.adsorbedVolumeMl, 1.25f, 0.01f);
    EXPECT_FLOAT_EQ(h.stoichiometry, 0.6667f);
    EXPECT_FLOAT_EQ(h.massFraction, 0.01f);
    // dispersion = 0.6667 × 1.25 × 195.08 / 0.01 / 22414 / 0.2
    EXPECT_NEAR(h.dispersion, 0.6667 * h.adsorbedVolumeMl * 195.08 / 0.01 / 22414 / 0.2, 1e-4);

    // Pulse chemisorption: two surface atoms per hydrogen molecule.
    evaluateRun(EvaluatedKind::Titration, sampleMethod(TestKind::Chemisorption), results, *trace, *report, *quant, {});
    EXPECT_FLOAT_EQ(report->header().stoichiometry, 2.0f);
}

TEST(PulseSaturation, TheLastPulsesAgreeOnlyWhenAllCameThroughWithinTheSpread) {
    const std::vector<double> areas = {0, 0, 50, 98, 100, 101};
    // 98 .. 101: a spread of 3 on a mean of 99.67, 3.01 %.
    EXPECT_NEAR(areaSpreadPercent(areas, 3), 3.0 / (299.0 / 3.0) * 100.0, 1e-9);
    EXPECT_TRUE(areasAgree(areas, 3, 3.1));
    EXPECT_FALSE(areasAgree(areas, 3, 3.0));
    EXPECT_TRUE(areasAgree(areas, 2, 1.0));
    EXPECT_FALSE(areasAgree(areas, 4, 50.0)) << "50 against 100";
    EXPECT_FALSE(areasAgree(std::vector<double>{0, 0, 0}, 3, 50.0)) << "taken up whole is no agreement";
    EXPECT_FALSE(areasAgree(std::vector<double>{100, 100}, 3, 5.0)) << "too few";
}

TEST(RunFiles, OneFolderPerRunNamedAfterTheSampleAndTheDateWithTheFilesTheStepsAskFor) {
    EXPECT_EQ(runFolderName("CuO/Al2O3", {2024, 5, 1}), "CuO_Al2O3_2024-05-01");
    EXPECT_EQ(runFolderName("..", {2024, 12, 31}), "样品_2024-12-31");
    testing::TestFolder data("run_files");
    const std::string first = createRunFolder(data.path().string(), "CuO/Al2O3", {2024, 5, 1});
    const std::string second = createRunFolder(data.path().string(), "CuO/Al2O3", {2024, 5, 1});
    EXPECT_EQ(std::filesystem::path(first).filename(), "CuO_Al2O3_2024-05-01");
    EXPECT_EQ(std::filesystem::path(second).filename(), "CuO_Al2O3_2024-05-01-2") << "the first run's files stay";

    auto trace = traceOf(100, [](int32_t i) { return i * 0.01; });
    RunResults results;
    results.recorded = RunStretch{10, 19};
    RunLog log;
    log.methodName = "试验";
    const MethodFile method = sampleMethod(TestKind::Tpr);
    const RunFilesInput input{method, results, log, *trace, nullptr};
    const RunFilesOutcome saved = saveRunFiles(
        SaveStep{false, {SaveItem::Trace, SaveItem::Csv, SaveItem::Log, SaveItem::Report, SaveItem::Pdf}}, first, input);
    EXPECT_EQ(saved.written.size(), 3u);
    EXPECT_EQ(saved.problems.size(), 2u) << "no report and no PDF before an evaluation";
    EXPECT_TRUE(saved.pdfPaths.empty());
    EXPECT_EQ(std::filesystem::file_size(std::filesystem::path(first) / "TPR.lne"), 4u + 8u * 100u);
    const std::string csv = testing::readBytes(std::filesystem::path(first) / "TPR.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 11) << "the header and the ten recorded points";
    EXPECT_NE(testing::readBytes(std::filesystem::path(first) / "TPR.log.json").find("\"method\": \"试验\""),
              std::string::npos);
}

}  // namespace
}  // namespace vespian
