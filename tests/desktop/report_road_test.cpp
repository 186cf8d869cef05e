// One temperature-programmed desorption from the trace to the printed page, in the running
// program offscreen: a recorded trace with a calibration pulse and a desorption peak on a 30
// ℃/min ramp; the pulse picked by hand as the quantitative peak (0.5 ml), the desorption peak
// picked by hand as the sample; the report panel's "程序升温测试" row; the Tm picked on the chart
// at the peak's top; saved as a report file; the record changed and the file opened again
// through File → "打开", written once more byte for byte the same; printed to PDF and read back.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "analysis/desktop/tp_report_frame.h"
#include "analysis/tp_report.h"
#include "app/command_ids.h"
#include "app/desktop/report_wiring.h"
#include "app/desktop/settings_dialog.h"
#include "app/desktop/view_area.h"
#include "files/desktop/report_panel_view.h"
#include "files/peak_application.h"
#include "files/test_report.h"
#include "platform/gbk_text.h"
#include "modal_watch.h"
#include "program_fixture.h"
#include "trace/quant_peak.h"
#include "trace/trace_view.h"

namespace vespian {
namespace {

using testing::child;
using testing::onNextModal;

using testing::ProgramFixture;

constexpr int kPoints = 2000;
constexpr int kPulseCentre = 200;
constexpr int kPeakCentre = 1100;

float temperatureAt(int i) { return 100.0f + 0.1f * static_cast<float>(i); }  // 30 ℃/min at 5 points/s

float signalAt(int i) {
    const float pulse = (static_cast<float>(i) - kPulseCentre) / 25.0f;
    const float peak = (static_cast<float>(i) - kPeakCentre) / 160.0f;
    return 0.3f + 3.0f * std::exp(-0.5f * pulse * pulse) + 9.0f * std::exp(-0.5f * peak * peak);
}

void click(QWidget* widget, QPoint at) {
    const QPointF p(at);
    QMouseEvent press(QEvent::MouseButtonPress, p, widget->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, widget->mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

QString pdfText(const std::string& pdf) {
    QProcess process;
    process.start("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

class ReportRoadTest : public ProgramFixture {
protected:
    // The view-area x of the first pixel whose click lands on `index` or just past it.
    int pixelOf(int index) {
        const TraceView& v = state().view;
        for (int x = v.X0; x < v.X1; ++x) {
            if (clickIndex(v, x, state().chromatogram->shownCount()) >= index) return x;
        }
        ADD_FAILURE() << "index " << index << " is not in view";
        return v.X0;
    }

    // Two clicks of the manual-peak tool around index a .. b; the answer to "应用于..." is
    // scripted by the caller. Returns the stretch the pick took.
    std::pair<int32_t, int32_t> pickByHand(int a, int b) {
        const int y = (state().view.Y0 + state().view.Y1) / 2;
        window()->viewArea()->clickAt(QPoint(pixelOf(a), y));
        window()->viewArea()->clickAt(QPoint(pixelOf(b), y));
        return {program->reports()->lastPick().start, program->reports()->lastPick().end};
    }
};

TEST_F(ReportRoadTest, ADesorptionPeakFromTheTraceToTheSavedReopenedAndPrintedReport) {
    start(0.0001);
    prompts.clear();

    // The recorded run, taken over by the display tick as the acquisition would hand it.
    std::vector<float> s(kPoints), t(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        s[i] = signalAt(i);
        t[i] = temperatureAt(i);
    }
    state().chromatogram->replace(s.data(), t.data(), kPoints - 1);
    state().chromatogram->appendReading(s.back(), t.back());
    window()->displayTick();
    ASSERT_GE(state().chromatogram->shownCount(), kPoints - 1);
    window()->dispatch(kCmdManualPeak);
    ASSERT_TRUE(state().tools.manualPeak);

    // The calibration pulse as the quantitative peak of 0.5 ml.
    onNextModal([](QWidget& dialog) { child<QPushButton>(dialog, "okButton")->click(); });
    QTimer::singleShot(0, [] {
        onNextModal([](QWidget& window) {
            child<QLineEdit>(window, "volumeEdit")->setText("0.5");
            child<QPushButton>(window, "closeButton")->click();
        });
    });
    const auto [qStart, qEnd] = pickByHand(kPulseCentre - 120, kPulseCentre + 120);
    EXPECT_NEAR(qStart, kPulseCentre - 120, 3);
    EXPECT_NEAR(qEnd, kPulseCentre + 120, 3);
    EXPECT_EQ(state().quantPeak->volumeMl, 0.5f);
    const float pulseArea = state().quantPeak->area;
    EXPECT_GT(pulseArea, 0.0f);

    // The desorption peak as the sample.
    onNextModal([](QWidget& dialog) {
        child<QRadioButton>(dialog, "sampleRadio")->setChecked(true);
        child<QPushButton>(dialog, "okButton")->click();
    });
    const auto [sStart, sEnd] = pickByHand(kPeakCentre - 700, kPeakCentre + 700);
    TestReport& report = *state().report;
    ASSERT_EQ(report.header().reportPointCount, sEnd - sStart);
    EXPECT_EQ(report.temperatureC()[0], temperatureAt(sStart));
    EXPECT_EQ(report.header().pulseArea, pulseArea);
    // The areas keep the 0.3 mV level under each stretch (only a ramp between the ends is taken
    // off): about 260 for the pulse and 4030 for the peak, so about 15.5 pulses of 0.5 ml.
    const float amount = report.header().residualVolumeMl;
    EXPECT_NEAR(amount, sampleAmount(report.header().residualArea, pulseArea, 0.5f), 1e-6f);
    EXPECT_GT(amount, 7.0f);
    EXPECT_LT(amount, 8.5f);

    // The report view's "程序升温测试" row opens the window; the Tm is picked at the peak's top.
    window()->dispatch(kCmdReportView);
    ReportPanelView* panel = program->reports()->reportPanel();
    ASSERT_TRUE(testing::waitUntil([&] { return panel->isVisible(); }, 3000));
    const int peakIndex = kPeakCentre - sStart;
    int chartX = 0;
    while (chartX < kReportChartWidth - 1 && chartPointIndex(chartX, report.header().reportPointCount) < peakIndex) {
        ++chartX;
    }
    const std::string saved = state().dataFolder + "TPD-HZSM5";
    bool windowSeen = false;
    onNextModal([&](QWidget& window) {
        windowSeen = window.objectName() == "tpReportDialog";
        child<QLineEdit>(window, "sampleNameEdit")->setText("HZSM-5");
        child<QLineEdit>(window, "testerEdit")->setText("王五");
        child<QLineEdit>(window, "weightEdit")->setText("0.1000");
        child<QLineEdit>(window, "upperTempEdit")->setText("300");
        child<QLineEdit>(window, "rampRateEdit")->setText("30");
        child<QLineEdit>(window, "yearEdit")->setText("2026");
        child<QLineEdit>(window, "monthEdit")->setText("12");
        child<QLineEdit>(window, "dayEdit")->setText("9");
        child<QTextEdit>(window, "headingEdit")->setPlainText("氨气程序升温脱附");
        auto* chart = child<ReportChartView>(window, "chart");
        click(chart, QPoint(chartX, 100));
        EXPECT_EQ(child<QListWidget>(window, "tmList")->count(), 1);
        EXPECT_TRUE(window.grab().save(VESPIAN_BUILD_DIR "/tpd_report_window_tm.png"));
        prompts.chooseFile(saved);
        child<QPushButton>(window, "saveAsButton")->click();
        child<QPushButton>(window, "okButton")->click();
    });
    click(panel, QPoint(20, kReportPanelFirstRowY + kReportPanelRowStep + 8));
    ASSERT_TRUE(windowSeen);
    ASSERT_EQ(report.header().tmCount, 1);
    EXPECT_NEAR(report.header().tmValues[0], temperatureAt(kPeakCentre), 1.0f);
    EXPECT_NEAR(report.header().tmIndices[0], peakIndex, 3);
    EXPECT_EQ(readGbkField(report.header().sampleName), "HZSM-5");
    EXPECT_EQ(state().reportPath, saved + ".care");
    const std::string bytes = fileBytes(saved + ".care");
    ASSERT_EQ(bytes.size(), kTestReportBytes);

    // Changed in memory, then opened again: the saved record comes back whole.
    writeGbkField(report.header().sampleName, "别的样品");
    report.header().tmCount = 0;
    report.signalMv()[5] = -1.0f;
    prompts.chooseFile(saved + ".care");
    window()->dispatch(kCmdOpen);
    EXPECT_EQ(readGbkField(report.header().sampleName), "HZSM-5");
    EXPECT_EQ(report.header().tmCount, 1);
    EXPECT_EQ(report.signalMv()[5], signalAt(sStart + 5));
    window()->dispatch(kCmdSave);
    EXPECT_TRUE(fileBytes(saved + ".care") == bytes) << "the reopened report was not written back byte for byte";

    // The supplier's letterhead set in the settings, then printed from the window to PDF.
    onNextModal([](QWidget& dialog) {
        child<QTabWidget>(dialog, "settingsTabs")->setCurrentIndex(SettingsDialog::kLetterheadTab);
        child<QLineEdit>(dialog, "supplierEdit")->setText("示例仪器服务部");
        child<QLineEdit>(dialog, "hotlineEdit")->setText("400-000-0000");
        child<QPushButton>(dialog, "okButton")->click();
    });
    window()->dispatch(kCmdSettings);
    SettingsDialog::forgetRememberedTab();
    const std::string pdf = folder.string() + "/tpd_report.pdf";
    QPrinter& printer = ReportWindow::printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    printer.setPageSize(QPageSize(QPageSize::A4));
    onNextModal([&](QWidget& window) {
        prompts.answerYes();
        child<QPushButton>(window, "printButton")->click();
        if (window.isVisible()) window.close();
    });
    click(panel, QPoint(20, kReportPanelFirstRowY + kReportPanelRowStep + 8));
    EXPECT_EQ(ReportWindow::printer().docName(), "程序升温分析报告");
    const QString text = pdfText(pdf);
    char tm[32];
    std::snprintf(tm, sizeof tm, "%.0f ℃", report.header().tmValues[0]);
    for (const char* expected : {"氨气程序升温脱附", "样品名称：HZSM-5", "样品重量[g]：0.1000", "检测员：王五",
                                 "上限温度[℃]：300", "升温速率[℃/分]：30", "检测日期：2026-12-9", "Tm值：",
                                 "示例仪器服务部", "服务热线：400-000-0000"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected).normalized(QString::NormalizationForm_KC)))
            << expected << "\n" << text.toStdString();
    }
    EXPECT_TRUE(text.contains(QString::fromUtf8(tm).normalized(QString::NormalizationForm_KC))) << tm;
    QProcess::execute("pdftoppm", {"-r", "60", "-png", "-f", "1", "-l", "1", "-singlefile", QString::fromStdString(pdf),
                                   VESPIAN_BUILD_DIR "/tpd_report_page"});
    EXPECT_EQ(prompts.unscripted(), 0);
    for (const std::string& said : prompts.texts()) EXPECT_EQ(said.find("功能尚未提供"), std::string::npos) << said;
}

}  // namespace
}  // namespace vespian
