// The rules behind the evaluation windows that compare runs or points: saved runs read for
// comparison, the Kissinger plot and its texts, the overlay picture, the least-squares BET texts
// and picture, and pulse titration evaluated pulse by pulse.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "analysis/evaluation_plots.h"
#include "analysis/saved_run.h"
#include "analysis/titration.h"
#include "analysis/titration_uptake.h"
#include "files/test_report.h"
#include "files/test_report_file.h"
#include "platform/gbk_text.h"
#include "support/test_files.h"

namespace vespian {
namespace {

bool hasText(const DrawList& list, const std::string& part) {
    for (const DrawText* t : list.texts()) {
        if (t->text.find(part) != std::string::npos) return true;
    }
    return false;
}

template <typename T>
int countItems(const DrawList& list, auto predicate) {
    int n = 0;
    for (const DrawItem& item : list.items) {
        if (const T* t = std::get_if<T>(&item); t != nullptr && predicate(*t)) ++n;
    }
    return n;
}

// ---- saved runs -----------------------------------------------------------------------------

TEST(SavedRun, ReadsHeaderAndOnlyThePointsInUseAndRefusesWhatIsNoReport) {
    testing::TestFolder folder("saved_run");
    auto report = std::make_unique<TestReport>();
    TestReportHeader& h = report->header();
    writeGbkField(h.sampleName, "铂/氧化铝");
    h.testDate = {2025, 3, 9};
    h.rampRateCPerMin = 15.0f;
    h.reportPointCount = 20;
    h.tmCount = 1;
    h.tmValues[0] = 333.0f;
    h.tmIndices[0] = 7;
    for (int i = 0; i <= 20; ++i) {
        report->signalMv()[i] = 0.25f * static_cast<float>(i);
        report->temperatureC()[i] = 100.0f + static_cast<float>(i);
    }
    const std::string path = folder.file("run.care");
    ASSERT_TRUE(writeReportFile(path, *report).ok);

    SavedRun run;
    const SavedRunResult r = readSavedRun(path, run);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(run.signalMv.size(), 21u);
    EXPECT_FLOAT_EQ(run.signalMv[20], 5.0f);
    EXPECT_FLOAT_EQ(run.temperatureC[7], 107.0f);
    EXPECT_EQ(run.header.tmCount, 1);
    EXPECT_EQ(run.sampleName(), "铂/氧化铝");
    EXPECT_EQ(run.fileName(), "run.care");
    EXPECT_DOUBLE_EQ(run.storedRampRate(), 15.0);
    EXPECT_EQ(run.legend(), "铂/氧化铝  2025-03-09");

    // A Tm count a report cannot hold: refused with the file named, the run as it was.
    h.tmCount = 300;
    const std::string bad = folder.file("bad.care");
    ASSERT_TRUE(writeReportFile(bad, *report).ok);
    const SavedRunResult refused = readSavedRun(bad, run);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.message.find("bad.care"), std::string::npos);
    EXPECT_EQ(run.path, path);
    EXPECT_EQ(run.signalMv.size(), 21u);

    testing::writeBytes(folder / "short.care", std::string(100, '\0'));
    EXPECT_FALSE(readSavedRun(folder.file("short.care"), run).ok);
    EXPECT_FALSE(readSavedRun(folder.file("missing.care"), run).ok);
    EXPECT_FALSE(readSavedRun(folder.path().string(), run).ok);

    // A ramp that was never stored (0 or nonsense) asks the operator.
    run.header.rampRateCPerMin = std::nanf("");
    EXPECT_DOUBLE_EQ(run.storedRampRate(), 0.0);
    run.header.rampRateCPerMin = -5.0f;
    EXPECT_DOUBLE_EQ(run.storedRampRate(), 0.0);
}

// ---- Kissinger ------------------------------------------------------------------------------

TEST(KissingerTexts, FirstOrderPeaksGiveTheirEnergyBackInTheResultLine) {
    const double energy = 120e3, frequency = 1e13;
    std::vector<double> rates{5.0, 10.0, 20.0}, tm;
    for (double b : rates) tm.push_back(firstOrderPeakTemperatureK(b, energy, frequency) - 273.15);
    const KissingerFit fit = kissingerFit(rates, tm);
    ASSERT_TRUE(fit.ok());
    const std::vector<std::string> lines = kissingerResultLines(fit);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Ea = 120.0 ± 0.0 kJ/mol");
    EXPECT_EQ(lines[1], "r² = 1.0000");

    const DrawList chart = kissingerChart(fit, 600, 400);
    EXPECT_EQ(countItems<DrawFrame>(chart, [](const DrawFrame& f) { return f.box.right - f.box.left == 9; }), 3);
    EXPECT_EQ(countItems<DrawPolyline>(chart, [](const DrawPolyline& l) { return l.points.size() == 2; }), 1);
    // Exact first-order runs lie on the drawn line: each mark's centre within a pixel of it.
    const DrawPolyline* line = nullptr;
    for (const DrawItem& item : chart.items) {
        if (const auto* l = std::get_if<DrawPolyline>(&item)) line = l;
    }
    ASSERT_NE(line, nullptr);
    const DrawPoint a = line->points[0], b = line->points[1];
    for (const DrawItem& item : chart.items) {
        const auto* f = std::get_if<DrawFrame>(&item);
        if (f == nullptr || f->box.right - f->box.left != 9) continue;
        const double cx = f->box.left + 4, cy = f->box.top + 4;
        EXPECT_NEAR(a.y + (b.y - a.y) * (cx - a.x) / (b.x - a.x), cy, 1.5);
    }
    EXPECT_TRUE(hasText(chart, "1000/Tm"));
    EXPECT_TRUE(hasText(chart, "ln(β/Tm²)"));

    // Two runs: an energy without a standard error, said so.
    const KissingerFit two = kissingerFit(std::span(rates).first(2), std::span(tm).first(2));
    EXPECT_NE(kissingerResultLines(two)[0].find("无标准误差"), std::string::npos);
    // A line that rises gives no energy, and the text says why instead of a number.
    const std::vector<double> falling{tm[2], tm[1], tm[0]};
    const KissingerFit wrong = kissingerFit(rates, falling);
    EXPECT_EQ(wrong.status, KissingerStatus::EnergyNotPositive);
    EXPECT_EQ(kissingerResultLines(wrong)[0].find("Ea"), std::string::npos);
    EXPECT_EQ(countItems<DrawFrame>(kissingerChart(wrong, 600, 400), [](const DrawFrame& f) { return f.width == 2; }), 3);
}

// ---- overlay --------------------------------------------------------------------------------

TEST(OverlayChart, EachRunInItsColourWithItsLegendAndUnweighedRunsNamedAsLeftOut) {
    std::vector<float> s1(300), t1(300), s2(200), t2(200);
    for (int i = 0; i < 300; ++i) {
        s1[i] = 1.0f + 0.01f * i;
        t1[i] = 100.0f + i;
    }
    for (int i = 0; i < 200; ++i) {
        s2[i] = 2.0f;
        t2[i] = 150.0f + 2.0f * i;
    }
    const OverlayRun runs[] = {{s1, t1, 0.2}, {s2, t2, 0.0}};
    const std::string legends[] = {"样品甲  2024-01-02", "样品乙  2024-01-03"};
    const DrawList plain = overlayChart(runs, legends, false, 800, 500);
    EXPECT_EQ(countItems<DrawPolyline>(plain, [](const DrawPolyline& l) { return l.colour == overlayDrawColour(0); }), 1);
    EXPECT_EQ(countItems<DrawPolyline>(plain, [](const DrawPolyline& l) { return l.colour == overlayDrawColour(1); }), 1);
    EXPECT_NE(overlayDrawColour(0), overlayDrawColour(1));
    EXPECT_TRUE(hasText(plain, "样品甲  2024-01-02"));
    EXPECT_TRUE(hasText(plain, "信号 [mV]"));
    // Every curve point inside the plotting frame.
    const DrawBox a = plotArea(800, 500);
    for (const DrawItem& item : plain.items) {
        if (const auto* l = std::get_if<DrawPolyline>(&item)) {
            for (const DrawPoint& p : l->points) {
                EXPECT_GE(p.x, a.left);
                EXPECT_LT(p.x, a.right);
                EXPECT_GE(p.y, a.top);
                EXPECT_LT(p.y, a.bottom);
            }
        }
    }
    const DrawList perGram = overlayChart(runs, legends, true, 800, 500);
    EXPECT_EQ(countItems<DrawPolyline>(perGram, [](const DrawPolyline&) { return true; }), 1);
    EXPECT_TRUE(hasText(perGram, "样品乙  2024-01-03（无样品重量，未画出）"));
    EXPECT_TRUE(hasText(perGram, "信号 [mV/g]"));
}

// ---- least-squares BET ---------------------------------------------------------------------

TEST(BetLeastSquaresTexts, KnownIsothermGivesItsAreaAndFlagsPointsOutsideTheRange) {
    // BET isotherm of C = 100, Vm = 0.5 ml/g: area 0.5 × 4.36 = 2.18 m²/g.
    const double c = 100.0, vm = 0.5;
    const std::vector<double> x{0.03, 0.08, 0.15, 0.22, 0.28};
    std::vector<double> v;
    for (double p : x) v.push_back(vm * c * p / ((1.0 - p) * (1.0 - p + c * p)));
    const BetLeastSquares all = fitBetLeastSquares(x, v);
    ASSERT_TRUE(all.ok());
    const std::vector<std::string> lines = betLeastSquaresLines(all);
    auto has = [&](const std::string& s) {
        for (const std::string& l : lines) {
            if (l.find(s) != std::string::npos) return true;
        }
        return false;
    };
    EXPECT_TRUE(has("C = 100.0"));
    EXPECT_TRUE(has("Vm = 0.5000 ml/g"));
    EXPECT_TRUE(has("比表面积 = 2.180 m²/g"));
    EXPECT_TRUE(has("注意：1个所用测量点在0.05–0.30 P/Po范围之外"));
    EXPECT_TRUE(has("C > 0：通过"));
    EXPECT_TRUE(has("V(1−P/Po)随P/Po递增：通过"));

    const DrawList chart = betLeastSquaresChart(x, all, 600, 400);
    // The flagged point drawn in red, the others in blue, all chosen (filled).
    EXPECT_EQ(countItems<DrawFill>(chart, [](const DrawFill& f) { return f.colour == rgb(210, 0, 0); }), 1);
    EXPECT_EQ(countItems<DrawFill>(chart, [](const DrawFill& f) { return f.colour == rgb(0, 90, 200); }), 4);

    const bool one[] = {false, true, false, false, false};
    const BetLeastSquares single = fitBetLeastSquares(x, v, one);
    EXPECT_EQ(betLeastSquaresLines(single), std::vector<std::string>{"请至少选择两个测量点。"});
    const DrawList hollow = betLeastSquaresChart(x, single, 600, 400);
    EXPECT_EQ(countItems<DrawFrame>(hollow, [](const DrawFrame& f) { return f.width == 2; }), 4);
}

// ---- pulse titration ------------------------------------------------------------------------

TEST(TitrationUptake, PulsesAreFoundMeasuredAndAddUpToDispersionAndHemisphereSize) {
    // Five pulses 200 points apart on a small offset: the sample takes 80 %, 40 %, then nothing.
    const double full = 4.0 * 12.0 * std::sqrt(2.0 * M_PI);  // height 4 mV, σ 12 points
    const double shares[] = {0.2, 0.6, 1.0, 1.0, 1.0};
    std::vector<float> signal;
    for (int i = 0; i < 1100; ++i) {
        double v = 0.3;
        for (int k = 0; k < 5; ++k) {
            const double z = (i - 150.0 - 200.0 * k) / 12.0;
            v += shares[k] * 4.0 * std::exp(-0.5 * z * z);
        }
        signal.push_back(static_cast<float>(v));
    }
    const TitrationPulses pulses = findTitrationPulses(signal, 0.0);
    ASSERT_EQ(pulses.areas.size(), 5u);
    for (int k = 0; k < 5; ++k) {
        EXPECT_NEAR(pulses.maxima[k], 150 + 200 * k, 1);
        EXPECT_NEAR(pulses.areas[k], shares[k] * full, 0.01 * full) << k;
    }

    // 0.05 ml loop at 0 ℃ and 101.325 kPa: 2.2307 µmol a pulse; taken up 1.2 pulses = 2.6769 µmol
    // H₂. 0.5 g of 1 % Pt holds 25.631 µmol Pt; D = 2 × 2.6769 / 25.631 = 0.20888, and the
    // hemisphere model gives d = 1.12 nm / D ≈ 5.36 nm.
    TitrationInput in;
    in.fullPulseArea = full;
    in.loop = {0.05, 0.0, kStandardPressureKPa};
    in.sampleWeightG = 0.5;
    in.metal = Metal::Platinum;
    in.metalContent = MetalContent::fromPercent(1.0);
    const TitrationUptake r = titrationUptake(pulses.areas, in);
    EXPECT_NEAR(r.uptake.totalMicromol, 2.6769, 0.03);
    EXPECT_NEAR(r.uptake.cumulativeMicromol[1], r.uptake.totalMicromol, 0.03);
    ASSERT_EQ(r.dispersion.status, MetalStatus::Ok);
    EXPECT_NEAR(r.dispersion.value, 0.2089, 0.003);
    ASSERT_EQ(r.size.status, MetalStatus::Ok);
    EXPECT_NEAR(r.size.diameterNm, 1.12 / r.dispersion.value, 0.02);

    const std::vector<std::string> lines = titrationUptakeLines(r, in);
    bool sizeLine = false;
    for (const std::string& l : lines) sizeLine = sizeLine || l.find("平均粒径（半球模型） = 5.") == 0;
    EXPECT_TRUE(sizeLine);
    // The chart marks and numbers every pulse found, with a border between neighbours.
    const DrawList chart = titrationPulseChart(signal, pulses, 700, 300);
    EXPECT_EQ(countItems<DrawFrame>(chart, [](const DrawFrame& f) { return f.width == 2; }), 5);
    EXPECT_EQ(countItems<DrawLine>(chart, [](const DrawLine& l) { return l.dotted; }), 4);
    EXPECT_TRUE(hasText(chart, "5"));
    ASSERT_EQ(pulses.ends.size(), 5u);
    EXPECT_GT(pulses.ends[0], 190);
    EXPECT_LT(pulses.ends[0], 310);
    const std::string csv = titrationUptakeCsv(pulses.areas, r);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 6);

    // No calibration pulse: said so, no size made up.
    in.fullPulseArea = 0.0;
    const TitrationUptake none = titrationUptake(pulses.areas, in);
    EXPECT_NE(none.size.status, MetalStatus::Ok);
    EXPECT_NE(titrationUptakeLines(none, in)[0].find("标定脉冲面积"), std::string::npos);
}

TEST(TitrationUptake, MetalContentIsOneUnitWhereverItIsTyped) {
    // 0.6667 × 22.60 µmol × 106.42 g/mol / (0.25 g × 0.01): 64.14 %, the report's mass fraction
    // taken as it is stored.
    const MetalContent content = MetalContent::fromFraction(0.01);
    const Dispersion d = metalDispersion(22.60, 0.6667, 106.42, content.massFraction(), 0.25);
    EXPECT_NEAR(100.0 * d.value, 64.14, 0.01);
    // The pulse panel names the metal as the report's list does.
    EXPECT_EQ(metalConstants(Metal::Palladium).name, "钯");
    for (int32_t k = 0; k < static_cast<int32_t>(kMetalPresets.size()); ++k) {
        EXPECT_EQ(metalPresetName(k), metalConstants(kMetalPresets[static_cast<size_t>(k)].metal).name);
    }
}

TEST(TitrationUptake, TheMetalIsRecognisedByItsAtomicMass) {
    EXPECT_EQ(metalByAtomicMass(195.08), Metal::Platinum);
    EXPECT_EQ(metalByAtomicMass(106.4), Metal::Palladium);
    EXPECT_EQ(metalByAtomicMass(102.9), Metal::Rhodium);
    EXPECT_EQ(metalByAtomicMass(58.7), Metal::Nickel);
}

}  // namespace
}  // namespace vespian

#include "analysis/evaluation_number.h"

namespace vespian {
namespace {

TEST(EvaluationNumber, OnlyAWholeFiniteNumberIsTaken) {
    EXPECT_EQ(evaluationNumber(" 12.5 "), 12.5);
    EXPECT_EQ(evaluationNumber("-3"), -3.0);
    EXPECT_EQ(evaluationNumber("1e3"), 1000.0);
    for (const char* bad : {"", "  ", "1O0", "12.5 ml", "1.2.3", "inf", "nan", "0x10", "1e999", "-", "."}) {
        EXPECT_FALSE(evaluationNumber(bad).has_value()) << bad;
    }
    EXPECT_EQ(evaluationNumberMessage("定量管温度[℃]"), "请在“定量管温度[℃]”中输入一个数值。");
}

}  // namespace
}  // namespace vespian

#include "support/comma_locale.h"

namespace vespian {
namespace {

TEST(EvaluationNumber, ReadsThePointInADecimalCommaLocale) {
    testing::CommaLocale german;
    ASSERT_TRUE(german.active());
    EXPECT_EQ(evaluationNumber("12.5"), 12.5);
    EXPECT_EQ(evaluationNumber("+0.25"), 0.25);
    EXPECT_FALSE(evaluationNumber("12,5").has_value());
    EXPECT_FALSE(evaluationNumber("+-1").has_value());
}

}  // namespace
}  // namespace vespian
