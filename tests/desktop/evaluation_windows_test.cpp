// The evaluation windows beside the written reports, on the offscreen platform through their
// widgets and the scripted prompts: the TP report window's evaluation panel (baseline, Tm
// proposals accepted into the written list, deconvolution, amounts, CSV), a fit that does not
// converge, the Kissinger window on first-order runs, the overlay saved as PNG and printed, the
// least-squares BET panel, the pulse uptake panel, and the menu "评价".

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/bet.h"
#include "analysis/desktop/bet_lsq_panel.h"
#include "analysis/desktop/bet_report_dialog.h"
#include "analysis/desktop/evaluation_plot_view.h"
#include "analysis/desktop/kissinger_window.h"
#include "analysis/desktop/run_overlay_window.h"
#include "analysis/desktop/titration_report_dialog.h"
#include "analysis/desktop/titration_uptake_panel.h"
#include "analysis/desktop/tp_evaluation_panel.h"
#include "analysis/desktop/tp_report_dialog.h"
#include "analysis/evaluation_plots.h"
#include "analysis/kissinger.h"
#include "app/desktop/evaluation_wiring.h"
#include "files/record_database.h"
#include "files/test_report.h"
#include "files/test_report_file.h"
#include "platform/gbk_text.h"
#include "program_fixture.h"
#include "desktop/find_child.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPrompts;

using testing::child;

void click(QWidget* widget, int x, int y) {
    const QPointF at(x, y);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

double cellNumber(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item != nullptr ? item->text().toDouble() : std::nan("");
}

// Two overlapping desorption peaks (Tm 225 ℃ and 285 ℃) on a drifting baseline with a little
// detector ripple, 1001 points, 50 → 550 ℃.
void fillTwoPeaks(TestReport& report) {
    TestReportHeader& h = report.header();
    writeGbkField(h.sampleName, "CuO/ZnO");
    h.sampleWeightG = 0.2f;
    h.testDate = {2025, 6, 1};
    h.rampRateCPerMin = 10.0f;
    h.pulseVolumeMl = 1.0f;
    h.reportPointCount = 1000;
    for (int i = 0; i <= 1000; ++i) {
        const double a = (i - 350.0) / 35.0, b = (i - 470.0) / 45.0;
        report.signalMv()[i] = static_cast<float>(0.5 + 0.002 * i + 8.0 * std::exp(-0.5 * a * a) +
                                                  5.0 * std::exp(-0.5 * b * b) + 0.05 * std::sin(i * 1.7));
        report.temperatureC()[i] = 50.0f + 0.5f * static_cast<float>(i);
    }
}

class EvaluationWindowsTest : public ::testing::Test {
protected:
    EvaluationWindowsTest() : report(std::make_unique<TestReport>()) {
        fillTwoPeaks(*report);
        location = startReportLocation(folder.path().string());
    }

    ReportWindowContext context() {
        return ReportWindowContext{*report, location, prompts, letterhead, [] {}, QRect(500, 0, 1100, 900)};
    }

    // The report window with its evaluation panel open, the automatic baseline, both proposals.
    TpEvaluationPanel* openPanelWithProposals(TpReportDialog& dialog) {
        dialog.show();
        child<QPushButton>(dialog, "evaluateButton")->click();
        TpEvaluationPanel* panel = dialog.evaluationPanel();
        EXPECT_NE(panel, nullptr);
        if (panel == nullptr) return nullptr;
        EXPECT_TRUE(panel->isVisible());
        child<QComboBox>(*panel, "baselineBox")->setCurrentIndex(2);
        child<QLineEdit>(*panel, "prominenceEdit")->setText("1");
        child<QPushButton>(*panel, "proposeButton")->click();
        return panel;
    }

    testing::TestFolder folder{"evaluation_windows"};
    ScriptedPrompts prompts;
    std::unique_ptr<TestReport> report;
    ReportLocation location;
    ReportLetterhead letterhead{"示例仪器服务部", "www.example.cn", "400-000-0000", "service@example.cn"};
};

TEST_F(EvaluationWindowsTest, PanelProposesTmThatOneClickAcceptsAndDeconvolutionFindsBothComponents) {
    ReportWindowContext c = context();
    TpReportDialog dialog(nullptr, c);
    TpEvaluationPanel* panel = openPanelWithProposals(dialog);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->evaluation().baselineKind(), BaselineKind::FlatEnds);
    QListWidget* proposals = child<QListWidget>(*panel, "proposalList");
    ASSERT_EQ(proposals->count(), 2);
    EXPECT_TRUE(proposals->item(0)->text().startsWith("Tm = 22")) << proposals->item(0)->text().toStdString();
    EXPECT_TRUE(proposals->item(1)->text().startsWith("Tm = 28")) << proposals->item(1)->text().toStdString();

    // One click each, second first: the written list keeps the picking order.
    QListWidget* written = child<QListWidget>(dialog, "tmList");
    emit proposals->itemClicked(proposals->item(1));
    emit proposals->itemClicked(proposals->item(0));
    ASSERT_EQ(report->header().tmCount, 2);
    // The second peak's maximum on the sum sits a little below its own centre (470).
    EXPECT_NEAR(report->header().tmIndices[0], 470, 12);
    EXPECT_NEAR(report->header().tmIndices[1], 350, 3);
    ASSERT_EQ(written->count(), 2);
    EXPECT_TRUE(written->item(0)->text().startsWith("Tm = 28"));
    EXPECT_EQ(child<QListWidget>(*panel, "tmList")->count(), 2);

    child<QPushButton>(*panel, "fitButton")->click();
    EXPECT_TRUE(prompts.records().empty()) << prompts.records()[0].text;
    ASSERT_TRUE(panel->evaluation().hasFit());
    EXPECT_TRUE(child<QLabel>(*panel, "residualLabel")->text().startsWith("残差：RMS = "));
    QTableWidget* table = child<QTableWidget>(*panel, "resultTable");
    ASSERT_EQ(table->rowCount(), 4);  // two peaks, two components
    EXPECT_EQ(table->item(2, 0)->text(), "组分");
    // Components in the order of their starts: 285 ℃ first, then 225 ℃, each at its own centre.
    EXPECT_NEAR(cellNumber(table, 2, 2), 285.0, 1.0);
    EXPECT_NEAR(cellNumber(table, 3, 2), 225.0, 1.0);
    // Areas 5 × 45 × √(2π) and 8 × 35 × √(2π) mV × points, shares of their sum.
    EXPECT_NEAR(cellNumber(table, 2, 3), 564.0, 6.0);
    EXPECT_NEAR(cellNumber(table, 3, 3), 701.9, 7.0);
    EXPECT_NEAR(cellNumber(table, 2, 4) + cellNumber(table, 3, 4), 100.0, 0.02);
    // No quantitative peak area in the record: no amounts made up.
    EXPECT_EQ(table->item(2, 5)->text(), "—");

    // The quantitative peak as large as both components: together one loop of 1 ml at 0 ℃,
    // 44.615 µmol, per 0.2 g 223.07 µmol/g.
    const double total = cellNumber(table, 2, 3) + cellNumber(table, 3, 3);
    child<QLineEdit>(*panel, "referenceAreaEdit")->setText(QString::number(total, 'f', 3));
    child<QLineEdit>(*panel, "loopTempEdit")->setText("0");
    emit child<QLineEdit>(*panel, "loopTempEdit")->editingFinished();
    EXPECT_NEAR(cellNumber(table, 2, 5) + cellNumber(table, 3, 5), 44.615, 0.01);
    EXPECT_NEAR(cellNumber(table, 2, 6) + cellNumber(table, 3, 6), 223.07, 0.05);

    // A mistyped field stops the amounts and says which field.
    child<QLineEdit>(*panel, "loopPressureEdit")->setText("1O1");
    emit child<QLineEdit>(*panel, "loopPressureEdit")->editingFinished();
    EXPECT_EQ(table->item(2, 5)->text(), "—");
    EXPECT_TRUE(child<QLabel>(*panel, "statusLabel")->text().contains("定量管压力[kPa]"));
    child<QLineEdit>(*panel, "loopPressureEdit")->setText("101.325");
    emit child<QLineEdit>(*panel, "loopPressureEdit")->editingFinished();

    // The components and their sum are drawn over the signal.
    const QImage& chart = child<ReportChartView>(*panel, "evaluationChart")->picture();
    int black = 0;
    for (int y = 0; y < chart.height(); ++y) {
        if (chart.pixelColor(271, y) == QColor(0, 0, 0)) ++black;
    }
    EXPECT_GE(black, 1);
    panel->resize(panel->sizeHint());
    QApplication::processEvents();
    EXPECT_TRUE(panel->grab().save(VESPIAN_BUILD_DIR "/tp_evaluation_panel.png"));
    EXPECT_TRUE(dialog.grab().save(VESPIAN_BUILD_DIR "/tp_report_with_evaluation.png"));

    // Exported: the rows as CSV in the chosen file.
    const std::string csv = folder.file("peaks.csv");
    prompts.chooseFile(csv);
    child<QPushButton>(*panel, "exportButton")->click();
    const std::string text = testing::readBytes(csv);
    EXPECT_EQ(text.substr(0, text.find('\n')), "\xEF\xBB\xBF类别,序号,Tm[℃],面积[mV×点],份额[%],吸附量[µmol],吸附量[µmol/g]");
    EXPECT_NE(text.find("\n组分,2,225.0,"), std::string::npos) << text;
}

TEST_F(EvaluationWindowsTest, AFitThatDoesNotConvergeSaysSoAndChangesNothing) {
    ReportWindowContext c = context();
    TpReportDialog dialog(nullptr, c);
    TpEvaluationPanel* panel = openPanelWithProposals(dialog);
    ASSERT_NE(panel, nullptr);
    QListWidget* proposals = child<QListWidget>(*panel, "proposalList");
    ASSERT_EQ(proposals->count(), 2);
    emit proposals->itemClicked(proposals->item(0));
    emit proposals->itemClicked(proposals->item(1));
    child<QPushButton>(*panel, "fitButton")->click();
    ASSERT_TRUE(panel->evaluation().hasFit());
    QTableWidget* table = child<QTableWidget>(*panel, "resultTable");
    const QString firstTm = table->item(2, 2)->text();
    const QString residual = child<QLabel>(*panel, "residualLabel")->text();

    // One iteration of the asymmetric shape cannot converge.
    child<QCheckBox>(*panel, "asymmetricBox")->setChecked(true);
    child<QSpinBox>(*panel, "iterationsBox")->setValue(1);
    child<QPushButton>(*panel, "fitButton")->click();
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].caption, "峰解析");
    EXPECT_TRUE(prompts.records()[0].text.starts_with("拟合未收敛")) << prompts.records()[0].text;
    EXPECT_EQ(report->header().tmCount, 2);
    EXPECT_EQ(child<QListWidget>(dialog, "tmList")->count(), 2);
    ASSERT_TRUE(panel->evaluation().hasFit());
    EXPECT_EQ(panel->evaluation().fitted().shape, PeakShape::Gaussian);
    EXPECT_EQ(table->item(2, 2)->text(), firstTm);
    EXPECT_EQ(child<QLabel>(*panel, "residualLabel")->text(), residual);

    // No Tm to start from: said, nothing changes.
    child<QPushButton>(dialog, "clearTmButton")->click();
    EXPECT_EQ(child<QListWidget>(*panel, "tmList")->count(), 0);  // the panel follows the written list
    child<QPushButton>(*panel, "fitButton")->click();
    ASSERT_EQ(prompts.records().size(), 2u);
    EXPECT_TRUE(prompts.records()[1].text.find("Tm") != std::string::npos);
}

TEST_F(EvaluationWindowsTest, TwoClicksOnTheChartMakeTheBaselineAndOneClickTwiceIsRefused) {
    TpEvaluationPanel panel(nullptr, *report, prompts, folder.path().string());
    panel.show();
    child<QComboBox>(panel, "baselineBox")->setCurrentIndex(1);
    ReportChartView* chart = child<ReportChartView>(panel, "evaluationChart");
    click(chart, 40, 100);
    EXPECT_EQ(panel.evaluation().baselineKind(), BaselineKind::None);
    EXPECT_EQ(child<QLabel>(panel, "statusLabel")->text(), "请点击基线的第二个点。");
    click(chart, 740, 100);
    ASSERT_EQ(panel.evaluation().baselineKind(), BaselineKind::TwoPoints);
    EXPECT_NEAR(panel.evaluation().baseline().slopeMvPerPoint, 0.002, 2e-4);
    click(chart, 300, 100);
    click(chart, 300, 100);
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].text, "两个基线点相同，请在谱图上点击两个不同的位置。");
    EXPECT_EQ(panel.evaluation().baselineKind(), BaselineKind::TwoPoints);
    // A mistyped prominence is refused with a message.
    child<QLineEdit>(panel, "prominenceEdit")->setText("abc");
    child<QPushButton>(panel, "proposeButton")->click();
    EXPECT_EQ(prompts.records().size(), 2u);
    EXPECT_EQ(child<QListWidget>(panel, "proposalList")->count(), 0);
}

// ---- Kissinger ------------------------------------------------------------------------------

// A saved run at heating rate β whose second Tm is the first-order peak of 120 kJ/mol and
// A = 10¹³ /s; the first Tm is another peak. rampStored false leaves the ramp out of the file.
std::string writeKissingerRun(const testing::TestFolder& folder, const char* name, double rate, bool rampStored) {
    auto r = std::make_unique<TestReport>();
    TestReportHeader& h = r->header();
    writeGbkField(h.sampleName, "Pt/Al2O3");
    h.rampRateCPerMin = rampStored ? static_cast<float>(rate) : 0.0f;
    h.reportPointCount = 10;
    h.tmCount = 2;
    h.tmValues[0] = 120.0f;
    h.tmValues[1] = static_cast<float>(firstOrderPeakTemperatureK(rate, 120e3, 1e13) - 273.15);
    h.tmIndices[0] = 2;
    h.tmIndices[1] = 6;
    const std::string path = folder.file(name);
    EXPECT_TRUE(writeReportFile(path, *r).ok);
    return path;
}

TEST_F(EvaluationWindowsTest, KissingerOnFirstOrderRunsGivesTheKnownEnergyAndAsksForAMissingRamp) {
    KissingerWindow window(nullptr, prompts, folder.path().string());
    window.show();
    prompts.chooseFile(writeKissingerRun(folder, "b5.care", 5.0, true));
    child<QPushButton>(window, "addButton")->click();
    EXPECT_EQ(prompts.records().at(0).caption, "打开报告文件");
    EXPECT_EQ(window.runCount(), 1);
    EXPECT_EQ(window.resultText(), "至少需要两个不同升温速率的谱图。");
    ASSERT_TRUE(window.addRunFile(writeKissingerRun(folder, "b10.care", 10.0, true)));
    ASSERT_TRUE(window.addRunFile(writeKissingerRun(folder, "b20.care", 20.0, false)));
    EXPECT_EQ(window.resultText(), "请输入第3个报告（b20.care）的升温速率[℃/分]。");

    QTableWidget* table = child<QTableWidget>(window, "runTable");
    EXPECT_EQ(table->item(0, 2)->text(), "5");
    EXPECT_EQ(table->item(2, 2)->text(), "");
    table->item(2, 2)->setText("20");
    // The first Tm of each run is the other peak: the energy comes from choosing the second.
    EXPECT_FALSE(window.resultText().startsWith("Ea = 120.0"));
    for (int row = 0; row < 3; ++row) {
        auto* box = qobject_cast<QComboBox*>(table->cellWidget(row, 3));
        ASSERT_NE(box, nullptr);
        ASSERT_EQ(box->count(), 2);
        box->setCurrentIndex(1);
    }
    EXPECT_TRUE(window.resultText().startsWith("Ea = 120.0 ± 0.0 kJ/mol\nr² = 1.0000")) << window.resultText().toStdString();
    EXPECT_TRUE(window.fit().ok());
    QApplication::processEvents();
    EXPECT_TRUE(window.grab().save(VESPIAN_BUILD_DIR "/kissinger_window.png"));

    // A typed ramp that is no number is asked for again.
    table->item(1, 2)->setText("ten");
    EXPECT_EQ(window.resultText(), "请输入第2个报告（b10.care）的升温速率[℃/分]。");
    table->item(1, 2)->setText("10");
    // A report without Tm cannot take part, and says so.
    auto bare = std::make_unique<TestReport>();
    bare->header().reportPointCount = 5;
    ASSERT_TRUE(writeReportFile(folder.file("bare.care"), *bare).ok);
    EXPECT_FALSE(window.addRunFile(folder.file("bare.care")));
    EXPECT_EQ(prompts.records().back().text, "‘bare.care’中没有Tm值，请先在报告中选定Tm。");
    table->setCurrentCell(0, 0);
    child<QPushButton>(window, "removeButton")->click();
    EXPECT_EQ(window.runCount(), 2);
    EXPECT_TRUE(window.resultText().contains("无标准误差"));
}

// ---- overlay --------------------------------------------------------------------------------

TEST_F(EvaluationWindowsTest, OverlaySavesAPngAndPrints) {
    const std::string first = folder.file("a.care");
    ASSERT_TRUE(writeReportFile(first, *report).ok);
    report->header().sampleWeightG = 0.0f;
    writeGbkField(report->header().sampleName, "未称重");
    for (int i = 0; i <= 1000; ++i) report->signalMv()[i] *= 0.5f;
    const std::string second = folder.file("b.care");
    ASSERT_TRUE(writeReportFile(second, *report).ok);

    RunOverlayWindow window(nullptr, prompts, folder.path().string());
    window.show();
    // Nothing to save yet: said so, no file dialog.
    child<QPushButton>(window, "savePictureButton")->click();
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].kind, testing::PromptRecord::Kind::Message);
    ASSERT_TRUE(window.addRunFile(first));
    ASSERT_TRUE(window.addRunFile(second));
    QListWidget* list = child<QListWidget>(window, "runList");
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(list->item(0)->text().startsWith("CuO/ZnO  2025-06-01"));
    EXPECT_FALSE(window.addRunFile(folder.file("none.care")));

    child<QCheckBox>(window, "perGramBox")->setChecked(true);
    QApplication::processEvents();
    const std::string png = folder.file("overlay");
    prompts.chooseFile(png);
    child<QPushButton>(window, "savePictureButton")->click();
    QImage saved;
    ASSERT_TRUE(saved.load(QString::fromStdString(png + ".png")));
    EXPECT_EQ(saved.size(), QSize(kOverlayPictureWidth, kOverlayPictureHeight));
    EXPECT_TRUE(window.grab().save(VESPIAN_BUILD_DIR "/run_overlay_window.png"));
    // Per gram the unweighed run is left out: below the legend (top left) only the first run's
    // colour is on the picture.
    auto colourCount = [&](DrawColour c) {
        const QColor want((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
        int n = 0;
        for (int y = 100; y < saved.height(); y += 2) {
            for (int x = 0; x < saved.width(); x += 2) n += saved.pixelColor(x, y) == want ? 1 : 0;
        }
        return n;
    };
    EXPECT_GT(colourCount(overlayDrawColour(0)), 50);
    EXPECT_EQ(colourCount(overlayDrawColour(1)), 0);
    child<QCheckBox>(window, "perGramBox")->setChecked(false);
    const QImage both = window.plot()->render(kOverlayPictureWidth, kOverlayPictureHeight);
    saved = both;
    EXPECT_GT(colourCount(overlayDrawColour(1)), 50);
    child<QCheckBox>(window, "perGramBox")->setChecked(true);

    const std::string pdf = folder.file("overlay.pdf");
    QPrinter& printer = ReportWindow::printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    prompts.answerYes();
    child<QPushButton>(window, "printButton")->click();
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_GT(fs::file_size(pdf), 1000u);
}

// ---- least-squares BET ---------------------------------------------------------------------

TEST_F(EvaluationWindowsTest, BetPanelFitsTheChosenPointsAndFlagsOnesOutsideTheRange) {
    SurfaceReportRecord record{};
    writeGbkField(record.name, "活性炭");
    record.point_count = 5;
    const double x[] = {0.03, 0.08, 0.15, 0.22, 0.28};
    for (int k = 0; k < 5; ++k) {
        record.rel_pressure[k] = static_cast<float>(x[k]);
        record.volume[k] = static_cast<float>(0.5 * 100 * x[k] / ((1 - x[k]) * (1 - x[k] + 100 * x[k])));
    }
    record.bet_area = 2.1f;
    BetLsqPanel panel(nullptr, record);
    panel.show();
    QListWidget* points = child<QListWidget>(panel, "pointList");
    ASSERT_EQ(points->count(), 5);
    // The point at 0.03 is flagged and starts unchosen; the four inside make the line.
    EXPECT_TRUE(points->item(0)->text().endsWith("（范围外）"));
    EXPECT_EQ(points->item(0)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(panel.resultText().contains("比表面积 = 2.180 m²/g")) << panel.resultText().toStdString();
    EXPECT_TRUE(panel.resultText().contains("C = 100.0"));
    EXPECT_TRUE(child<QLabel>(panel, "writtenLabel")->text().contains("2.100"));
    points->item(0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(panel.resultText().contains("注意：1个所用测量点在0.05–0.30 P/Po范围之外"));
    QApplication::processEvents();
    EXPECT_TRUE(panel.grab().save(VESPIAN_BUILD_DIR "/bet_lsq_panel.png"));
    for (int k = 0; k < 4; ++k) points->item(k)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(panel.resultText(), "请至少选择两个测量点。");
}

TEST_F(EvaluationWindowsTest, TheBetReportDialogOpensTheLeastSquaresPanelOverItsPoints) {
    auto db = std::make_unique<RecordDatabase>();
    ReportTable& reports = db->reports();
    SurfaceReportRecord& r = reports.records[reports.count];
    r.n2_temp_c = 15.0f;
    r.ads_pressure_kpa = 101.3f;
    r.p0_kpa = 103.0f;
    r.calib_volume_ml = 3.0f;
    const float volumes[] = {0.8f, 1.0f, 1.15f};
    for (int i = 0; i < 3; ++i) {
        r.volume[i] = volumes[i];
        r.n2_flow[i] = 5.0f * (i + 1);
        r.he_flow[i] = 50.0f - r.n2_flow[i];
    }
    r.point_count = 3;
    r.calib_count = 3;
    BetRawVolumes raw;
    SampleIdentity sample;
    sample.weightMg = 100.0f;
    BetCalibrationDefaults defaults;
    BetReportDialog dialog(nullptr, reports, raw, sample, defaults, prompts);
    dialog.show();
    ASSERT_TRUE(dialog.opened());
    QApplication::processEvents();
    EXPECT_TRUE(dialog.grab().save(VESPIAN_BUILD_DIR "/bet_report_with_least_squares.png"));
    int points = -1;
    QString written;
    QTimer::singleShot(0, [&] {
        auto* panel = qobject_cast<BetLsqPanel*>(QApplication::activeModalWidget());
        if (panel == nullptr) return;
        points = panel->findChild<QListWidget*>("pointList")->count();
        written = panel->findChild<QLabel*>("writtenLabel")->text();
        panel->close();
    });
    child<QPushButton>(dialog, "leastSquaresButton")->click();
    EXPECT_EQ(points, 3);
    EXPECT_TRUE(written.endsWith(QString::fromStdString(betAreaText(dialog.session().record()) + " m²/g")))
        << written.toStdString();
    EXPECT_EQ(reports.count, 0);  // nothing committed by looking
}

// ---- pulse uptake ---------------------------------------------------------------------------

TEST_F(EvaluationWindowsTest, PulseUptakeAddsUpToTheHemisphereParticleSize) {
    // Five pulses: the sample takes 80 %, 40 %, then nothing; 0.05 ml at 0 ℃ a pulse, 0.5 g of
    // 1 % Pt: D = 0.209, d ≈ 5.36 nm.
    TestReportHeader& h = report->header();
    h.reportPointCount = 1099;
    h.sampleWeightG = 0.5f;
    h.pulseVolumeMl = 0.05f;
    h.atomicMass = 195.08f;
    h.massFraction = 0.01f;  // the report's unit: 1 % metal
    h.stoichiometry = 2.0f;
    const double shares[] = {0.2, 0.6, 1.0, 1.0, 1.0};
    for (int i = 0; i <= 1099; ++i) {
        double v = 0.3;
        for (int k = 0; k < 5; ++k) {
            const double z = (i - 150.0 - 200.0 * k) / 12.0;
            v += shares[k] * 4.0 * std::exp(-0.5 * z * z);
        }
        report->signalMv()[i] = static_cast<float>(v);
    }
    h.pulseArea = static_cast<float>(4.0 * 12.0 * std::sqrt(2.0 * M_PI));
    TitrationUptakePanel panel(nullptr, *report, prompts, folder.path().string());
    panel.show();
    child<QLineEdit>(panel, "loopTempEdit")->setText("0");
    child<QPushButton>(panel, "calculateButton")->click();
    EXPECT_EQ(child<QComboBox>(panel, "metalBox")->currentText(), "铂");  // named as the report names it
    EXPECT_EQ(child<QLineEdit>(panel, "massFractionEdit")->text(), "0.0100");
    EXPECT_EQ(child<QLabel>(panel, "massFractionPercent")->text(), "= 1.00 %");
    QTableWidget* table = child<QTableWidget>(panel, "pulseTable");
    ASSERT_EQ(table->rowCount(), 5);
    // The full pulse's area is taken as recorded, not as rounded for the eye: each untouched
    // pulse adds less than a thousandth of a pulse (2.23 µmol).
    EXPECT_NEAR(cellNumber(table, 4, 3), 2.677, 0.01);
    for (int k = 2; k < 5; ++k) EXPECT_NEAR(cellNumber(table, k, 2), 0.0, 0.0023) << k;
    const QString text = panel.resultText();
    const QString label = "平均粒径（半球模型） = ";
    const qsizetype at = text.indexOf(label);
    ASSERT_GE(at, 0) << text.toStdString();
    const double diameter = text.mid(at + label.size()).section(' ', 0, 0).toDouble();
    EXPECT_NEAR(diameter, 1.12 / 0.2089, 0.1) << text.toStdString();
    EXPECT_TRUE(text.contains("铂 分散度 = 20.9")) << text.toStdString();
    QApplication::processEvents();
    EXPECT_TRUE(panel.grab().save(VESPIAN_BUILD_DIR "/titration_uptake_panel.png"));
    const std::string csv = folder.file("pulses.csv");
    prompts.chooseFile(csv);
    child<QPushButton>(panel, "exportButton")->click();
    const std::string exported = testing::readBytes(csv);
    // The header and five pulses, then the results with their uncertainties.
    const std::string pulseRows = exported.substr(0, exported.find("结果,"));
    EXPECT_EQ(std::count(pulseRows.begin(), pulseRows.end(), '\n'), 6);
    EXPECT_EQ(exported.substr(0, exported.find('\n')), "\xEF\xBB\xBF脉冲,面积[mV×点],吸附量[µmol],累计吸附量[µmol]");
    child<QLineEdit>(panel, "massFractionEdit")->setText("一");
    child<QPushButton>(panel, "calculateButton")->click();
    EXPECT_EQ(panel.resultText(), "请在“质量分数”中输入一个数值。");
    EXPECT_EQ(table->rowCount(), 0);
}

TEST_F(EvaluationWindowsTest, TheTitrationReportOpensItsUptakePanelOverTheSameRecord) {
    ReportWindowContext c = context();
    TitrationReportDialog dialog(nullptr, c);
    dialog.show();
    QString seen;
    QTimer::singleShot(0, [&] {
        auto* panel = qobject_cast<TitrationUptakePanel*>(QApplication::activeModalWidget());
        if (panel == nullptr) return;
        seen = panel->findChild<QLineEdit*>("loopVolumeEdit")->text();
        panel->close();
    });
    child<QPushButton>(dialog, "evaluateButton")->click();
    EXPECT_EQ(seen, "1.000");  // the record's pulse volume
}

// ---- the menu ------------------------------------------------------------------------------

class EvaluationMenuTest : public testing::ProgramFixture {};

TEST_F(EvaluationMenuTest, TheMenuHoldsTheEvaluationsAndSaysWhenThereIsNothingToEvaluate) {
    start(0.0001);
    QMenu* menu = window()->findChild<QMenu*>("evaluationMenu");
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (QAction* a : menu->actions()) texts << a->text();
    EXPECT_EQ(texts, QStringList({"峰解析...", "动力学分析...", "谱图叠加...", "BET 最小二乘...", "脉冲吸附量..."}));
    // In the menu bar: before help, which stays last, and with a mnemonic of its own.
    QStringList bar;
    for (QAction* a : window()->menuBar()->actions()) bar << a->text();
    const qsizetype at = bar.indexOf(menu->title());
    ASSERT_GE(at, 0);
    ASSERT_LT(at + 1, bar.size());
    EXPECT_TRUE(bar[at + 1].startsWith("帮助"));
    const QString mnemonic = menu->title().mid(menu->title().indexOf('&'), 2);
    EXPECT_EQ(bar.filter(mnemonic).size(), 1) << mnemonic.toStdString();
    state().report->header().reportPointCount = 0;
    prompts.clear();
    window()->findChild<QAction*>("evaluationPeaks")->trigger();
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].text, "当前报告没有谱图数据：请先应用一段谱图或打开报告文件。");
    window()->findChild<QAction*>("evaluationBet")->trigger();
    ASSERT_EQ(prompts.records().size(), 2u);
    EXPECT_EQ(prompts.records()[1].text, "数据库中没有至少含两个测量点的BET报告。");
}

TEST_F(EvaluationMenuTest, TheWindowsOpenWithTheCurrentReport) {
    start(0.0001);
    fillTwoPeaks(*state().report);
    state().report->header().tmCount = 1;
    state().report->header().tmValues[0] = 226.0f;
    state().report->header().tmIndices[0] = 352;
    state().reportPath = (folder / "SAVE" / "current.care").string();
    ASSERT_TRUE(writeReportFile(state().reportPath, *state().report).ok);
    prompts.clear();

    int overlayRuns = -1, kissingerRuns = -1, proposals = -1;
    auto closeModal = [&](auto inspect) {
        QTimer::singleShot(0, [inspect] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) return;
            inspect(modal);
            modal->close();
        });
    };
    closeModal([&](QWidget* w) {
        if (auto* o = qobject_cast<RunOverlayWindow*>(w)) overlayRuns = o->runCount();
    });
    window()->findChild<QAction*>("evaluationOverlay")->trigger();
    closeModal([&](QWidget* w) {
        if (auto* k = qobject_cast<KissingerWindow*>(w)) kissingerRuns = k->runCount();
    });
    window()->findChild<QAction*>("evaluationKissinger")->trigger();
    closeModal([&](QWidget* w) {
        auto* p = qobject_cast<TpEvaluationPanel*>(w);
        if (p == nullptr) return;
        p->findChild<QComboBox*>("baselineBox")->setCurrentIndex(2);
        p->findChild<QLineEdit*>("prominenceEdit")->setText("1");
        p->findChild<QPushButton*>("proposeButton")->click();
        proposals = p->findChild<QListWidget*>("proposalList")->count();
    });
    window()->findChild<QAction*>("evaluationPeaks")->trigger();
    EXPECT_EQ(overlayRuns, 1);
    EXPECT_EQ(kissingerRuns, 1);
    EXPECT_EQ(proposals, 2);
    EXPECT_TRUE(prompts.records().empty());
}

}  // namespace
}  // namespace vespian
