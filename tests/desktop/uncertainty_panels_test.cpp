// The evaluation panels state each result as value ± u with the expanded uncertainty on
// request, and list the checks' flags with their reasons: the pulse uptake panel (with the
// laboratory's stated uncertainties from the data folder), the least-squares BET panel with its
// automatic range, the peak evaluation panel with the shape chosen by AIC, and the kinetics
// window's whole-peak fit. Screenshots at 1366 × 768 go to /tmp/evalwire.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/bet.h"
#include "analysis/desktop/bet_lsq_panel.h"
#include "analysis/desktop/kissinger_window.h"
#include "analysis/desktop/titration_uptake_panel.h"
#include "analysis/desktop/tp_evaluation_panel.h"
#include "analysis/desorption_kinetics.h"
#include "analysis/kissinger.h"
#include "analysis/stated_uncertainties.h"
#include "files/test_report.h"
#include "files/test_report_file.h"
#include "platform/gbk_text.h"
#include "desktop/find_child.h"
#include "support/bet_isotherm.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

namespace vespian {
namespace {

using testing::ScriptedPrompts;

using testing::child;

// A screenshot as a 1366 × 768 laptop shows it (the program gives a taller window scroll bars).
void shoot(QWidget& w, const char* name) {
    w.resize(std::min(w.width(), 1366 - 8), std::min(w.height(), 768 - 34));
    QApplication::processEvents();
    std::filesystem::create_directories("/tmp/evalwire");
    EXPECT_TRUE(w.grab().save(QString("/tmp/evalwire/") + name));
}

// The number before " ± " after `label = ` and the u after it.
std::pair<double, double> valueAndU(const QString& text, const QString& label) {
    const qsizetype at = text.indexOf(label + " = ");
    if (at < 0) return {NAN, NAN};
    const QString rest = text.mid(at + label.size() + 3).section('\n', 0, 0);
    return {rest.section(" ± ", 0, 0).toDouble(), rest.section(" ± ", 1, 1).section(' ', 0, 0).toDouble()};
}

// Five pulses still taken up 60 %, 50 %, 40 %, 30 %, 20 %: the series never saturates.
void fillUnsaturatedPulses(TestReport& report) {
    TestReportHeader& h = report.header();
    h.reportPointCount = 1099;
    h.sampleWeightG = 0.5f;
    h.pulseVolumeMl = 0.05f;
    h.atomicMass = 195.08f;
    h.massFraction = 0.01f;
    h.stoichiometry = 2.0f;
    const double shares[] = {0.4, 0.5, 0.6, 0.7, 0.8};
    for (int i = 0; i <= 1099; ++i) {
        double v = 0.3 + 0.01 * std::sin(1.3 * i);
        for (int k = 0; k < 5; ++k) v += shares[k] * 4.0 * std::exp(-0.5 * std::pow((i - 150.0 - 200.0 * k) / 12.0, 2));
        report.signalMv()[i] = static_cast<float>(v);
    }
    h.pulseArea = static_cast<float>(4.0 * 12.0 * std::sqrt(2.0 * M_PI));
}

TEST(UncertaintyPanels, PulseUptakeShowsEachResultWithUAndTheUnsaturatedSeries) {
    testing::TestFolder plain{"uncertainty-panels-plain"}, stated{"uncertainty-panels-stated"};
    testing::writeBytes(stated.file(kStatedUncertaintiesFileName), "loop_volume_relative = 0.05\n");
    ScriptedPrompts prompts;
    auto report = std::make_unique<TestReport>();
    fillUnsaturatedPulses(*report);

    TitrationUptakePanel panel(nullptr, *report, prompts, plain.path().string());
    panel.show();
    const auto [uptake, u] = valueAndU(panel.uncertaintyText(), "累计吸附量");
    EXPECT_GT(uptake, 0.0) << panel.uncertaintyText().toStdString();
    EXPECT_GT(u, 0.0);
    EXPECT_LT(u, 0.05 * uptake);
    EXPECT_TRUE(panel.uncertaintyText().contains("分散度 = ")) << panel.uncertaintyText().toStdString();
    EXPECT_TRUE(panel.flagText().contains("脉冲序列未达到饱和")) << panel.flagText().toStdString();
    child<QCheckBox>(panel, "expandedBox")->setChecked(true);
    EXPECT_TRUE(panel.uncertaintyText().contains("(k = 2)"));
    EXPECT_NEAR(valueAndU(panel.uncertaintyText(), "累计吸附量").second, 2.0 * u, 0.06 * u);
    shoot(panel, "titration_uptake_uncertainty.png");

    // A 5 % loop volume stated by the laboratory: the uptake's u grows with it.
    TitrationUptakePanel loose(nullptr, *report, prompts, stated.path().string());
    EXPECT_GT(valueAndU(loose.uncertaintyText(), "累计吸附量").second, 4.0 * u) << loose.uncertaintyText().toStdString();

    // The export carries the results and the flags after the pulses, then the trace's hash and
    // the settings; whoever keeps the record is told of it once, with the same settings.
    std::vector<std::string> told;
    panel.setEvaluationExport({"c0ffee", [&](const std::string& path, std::span<const ResultLine> lines,
                                             std::span<const PlausibilityFlag>,
                                             std::span<const EvaluationParameter> parameters) {
                                   told.push_back(path);
                                   EXPECT_FALSE(lines.empty());
                                   EXPECT_EQ(parameters.back().name, "化学计量系数");
                               }});
    const std::string csv = plain.file("pulses.csv");
    prompts.chooseFile(csv);
    child<QPushButton>(panel, "exportButton")->click();
    const std::string exported = testing::readBytes(csv);
    EXPECT_NE(exported.find("\n结果,值,标准不确定度u,扩展不确定度U(k=2),单位\n累计吸附量,"), std::string::npos) << exported;
    EXPECT_NE(exported.find("\n⚠,pulses_not_saturated,"), std::string::npos) << exported;
    const std::string loop = child<QLineEdit>(panel, "loopVolumeEdit")->text().toStdString();
    EXPECT_NE(exported.find("\n谱图SHA-256,c0ffee\n评价参数,值\n"), std::string::npos) << exported;
    EXPECT_NE(exported.find("\n定量管体积[ml]," + loop + "\n"), std::string::npos) << exported;
    EXPECT_EQ(told, std::vector<std::string>{csv});
}

TEST(UncertaintyPanels, BetPanelProposesTheIsothermsRangeAndFlagsALineThatFailsTheCriteria) {
    BetLsqPanel panel(nullptr, testing::betIsothermRecord());
    panel.show();
    EXPECT_TRUE(child<QLabel>(panel, "autoRangeLabel")->text().startsWith("自动范围：P/Po 0.059–0.246，6个点"))
        << child<QLabel>(panel, "autoRangeLabel")->text().toStdString();
    QListWidget* ranges = child<QListWidget>(panel, "rangeList");
    ASSERT_EQ(ranges->count(), 15);
    EXPECT_TRUE(ranges->item(ranges->count() - 1)->text().contains("V")) << "the whole run fails on the plateau";

    // All seven ticked: the plateau breaks the rising uptake, said in red beside the result.
    QListWidget* points = child<QListWidget>(panel, "pointList");
    for (int k = 0; k < points->count(); ++k) points->item(k)->setCheckState(Qt::Checked);
    EXPECT_TRUE(panel.flagText().contains("BET一致性判据未满足")) << panel.flagText().toStdString();
    shoot(panel, "bet_lsq_auto_range.png");

    child<QPushButton>(panel, "useAutoRangeButton")->click();
    EXPECT_EQ(points->item(6)->checkState(), Qt::Unchecked);
    EXPECT_EQ(points->item(0)->checkState(), Qt::Checked);
    EXPECT_TRUE(panel.flagText().isEmpty()) << panel.flagText().toStdString();
    const auto [area, u] = valueAndU(panel.uncertaintyText(), "比表面积（最小二乘）");
    EXPECT_NEAR(area, 87.2, 0.02 * 87.2) << panel.uncertaintyText().toStdString();
    EXPECT_GT(u, 0.0);
    EXPECT_GT(valueAndU(panel.uncertaintyText(), "比表面积（书面两点法）").second, 0.0);
}

TEST(UncertaintyPanels, PeakPanelGivesAmountsWithUFlagsATmOutsideTheProgrammeAndChoosesAShape) {
    testing::TestFolder folder{"uncertainty-panels-tp"};
    ScriptedPrompts prompts;
    auto report = std::make_unique<TestReport>();
    TestReportHeader& h = report->header();
    h.sampleWeightG = 0.2f;
    h.pulseArea = 500.0f;
    h.pulseVolumeMl = 1.0f;
    h.upperTempC = 250.0f;  // the programme stopped below the second peak's 285 ℃
    h.reportPointCount = 1000;
    for (int i = 0; i <= 1000; ++i) {
        const double a = (i - 350.0) / 35.0, b = (i - 470.0) / 45.0;
        report->signalMv()[i] = static_cast<float>(0.5 + 8.0 * std::exp(-0.5 * a * a) + 5.0 * std::exp(-0.5 * b * b) +
                                                   0.05 * std::sin(i * 1.7));
        report->temperatureC()[i] = 50.0f + 0.5f * static_cast<float>(i);
    }
    h.tmCount = 2;
    h.tmIndices[0] = 350;
    h.tmValues[0] = 225.0f;
    h.tmIndices[1] = 470;
    h.tmValues[1] = 285.0f;
    TpEvaluationPanel panel(nullptr, *report, prompts, folder.path().string());
    panel.show();
    const auto [amount, u] = valueAndU(panel.uncertaintyText(), "峰1 吸附量");
    EXPECT_GT(amount, 0.0) << panel.uncertaintyText().toStdString();
    EXPECT_GT(u, 0.0);
    EXPECT_TRUE(panel.flagText().contains("Tm = 285 ℃超出程序升温范围")) << panel.flagText().toStdString();
    // No baseline subtracted: the 0.5 mV level is a large share of each peak's area.
    EXPECT_TRUE(panel.flagText().contains("基线偏移")) << panel.flagText().toStdString();

    child<QPushButton>(panel, "bestShapeButton")->click();
    EXPECT_TRUE(panel.residualText().startsWith("峰形按AIC选择：")) << panel.residualText().toStdString();
    EXPECT_TRUE(panel.residualText().contains("（采用）"));
    EXPECT_TRUE(panel.uncertaintyText().contains("组分2 Tm = ")) << panel.uncertaintyText().toStdString();
    shoot(panel, "tp_evaluation_uncertainty.png");
}

// A saved TPD run of 6,000 points at heating rate β: a first-order peak of 150 kJ/mol and
// ν = 10¹³ s⁻¹ along the recorded ramp.
std::string writeKineticRun(const testing::TestFolder& folder, double rate) {
    auto r = std::make_unique<TestReport>();
    TestReportHeader& h = r->header();
    writeGbkField(h.sampleName, "Pt/Al2O3");
    h.rampRateCPerMin = static_cast<float>(rate);
    constexpr int kPoints = 6000;
    const double tm = firstOrderPeakTemperatureK(rate, 150e3, 1e13) - 273.15;
    std::vector<float> t(kPoints);
    for (int i = 0; i < kPoints; ++i) t[i] = static_cast<float>(tm - 120.0 + rate / 300.0 * i);
    const std::vector<float> s = polanyiWignerSignal(t, 0.2, 150.0, 1e13, 1.0, 3000.0);
    std::copy(s.begin(), s.end(), r->signalMv());
    std::copy(t.begin(), t.end(), r->temperatureC());
    h.reportPointCount = kPoints - 1;
    h.tmCount = 1;
    const auto top = std::max_element(s.begin(), s.end()) - s.begin();
    h.tmIndices[0] = static_cast<int32_t>(top);
    h.tmValues[0] = t[static_cast<size_t>(top)];
    const std::string path = folder.file("run" + std::to_string(static_cast<int>(rate)) + ".care");
    EXPECT_TRUE(writeReportFile(path, *r).ok);
    return path;
}

TEST(UncertaintyPanels, KineticsWindowFitsTheWholePeaksBesideKissingerAndRedhead) {
    testing::TestFolder folder{"uncertainty-panels-kinetics"};
    ScriptedPrompts prompts;
    KissingerWindow window(nullptr, prompts, folder.path().string());
    window.show();
    for (double rate : {10.0, 15.0, 20.0, 30.0}) ASSERT_TRUE(window.addRunFile(writeKineticRun(folder, rate)));
    EXPECT_TRUE(window.redheadText().contains("假定指前因子 ν = 1.0×10^13 s⁻¹")) << window.redheadText().toStdString();
    EXPECT_TRUE(window.kineticsText().isEmpty());
    // Each fit made is told with its results and the runs it came from.
    std::vector<ResultLine> told;
    std::vector<EvaluationParameter> toldSettings;
    window.setEvaluationExport({{}, [&](const std::string& path, std::span<const ResultLine> lines,
                                        std::span<const PlausibilityFlag>,
                                        std::span<const EvaluationParameter> parameters) {
                                    EXPECT_TRUE(path.empty());
                                    told.assign(lines.begin(), lines.end());
                                    toldSettings.assign(parameters.begin(), parameters.end());
                                }});
    window.fitKinetics();
    ASSERT_TRUE(window.kinetics().fit.ok()) << window.kineticsText().toStdString();
    EXPECT_NEAR(window.kinetics().fit.energyKJPerMol.value, 150.0, 1.5);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told[0].name, "activation_energy");
    EXPECT_DOUBLE_EQ(told[0].value.value, window.kinetics().fit.energyKJPerMol.value);
    EXPECT_GT(told[0].value.u, 0.0);
    EXPECT_NEAR(told[1].value.value, std::log(window.kinetics().fit.frequencyPerS), 1e-9);
    ASSERT_EQ(toldSettings.size(), 6u);  // the evaluation, the order and four runs
    EXPECT_NE(toldSettings[2].value.find("run10.care (10.0"), std::string::npos) << toldSettings[2].value;
    EXPECT_TRUE(window.kineticsText().startsWith("Ea = 1")) << window.kineticsText().toStdString();
    EXPECT_TRUE(window.kineticsText().contains("95 %")) << window.kineticsText().toStdString();
    EXPECT_TRUE(window.kineticsText().contains("n = 1（固定）"));
    shoot(window, "kinetics_window.png");
}

}  // namespace
}  // namespace vespian
