// The windows around a picked or recognised peak on the offscreen platform: "应用于...", the
// quantitative-peak window (modal and handed over), the data export dialog, the peak settings
// page, the report panel and the letterhead page.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "files/desktop/letterhead_page.h"
#include "files/desktop/report_panel_view.h"
#include "files/desktop/trace_export_dialog.h"
#include "files/test_report.h"
#include "files/trace_export.h"
#include "platform/gbk_text.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "trace/chromatogram.h"
#include "trace/desktop/apply_to_dialog.h"
#include "trace/desktop/peak_settings_page.h"
#include "trace/desktop/quant_peak_window.h"
#include "trace/peak_detector.h"
#include "trace/peak_table.h"
#include "trace/quant_peak.h"

#include "modal_watch.h"

namespace vespian {
namespace {

using testing::child;
using testing::onNextModal;

using testing::ScriptedPrompts;

bool waitUntil(const std::function<bool()>& condition, int milliseconds = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

class PeakWindowsTest : public ::testing::Test {
protected:
    PeakWindowsTest()
        : trace(std::make_unique<Chromatogram>()), quant(std::make_unique<QuantPeak>()),
          report(std::make_unique<TestReport>()), table(std::make_unique<PeakTable>()) {
        std::vector<float> s(600, 0.0f), t(600);
        for (int i = 0; i < 600; ++i) {
            const float z = (static_cast<float>(i) - 300.0f) / 30.0f;
            s[i] = 5.0f * std::exp(-0.5f * z * z);
            t[i] = 200.0f + static_cast<float>(i);
        }
        trace->replace(s.data(), t.data(), 600);
    }

    std::unique_ptr<Chromatogram> trace;
    std::unique_ptr<QuantPeak> quant;
    std::unique_ptr<TestReport> report;
    std::unique_ptr<PeakTable> table;
    PeakDetector detector;
    ScriptedPrompts prompts;
    testing::TestFolder folder{"peak_windows"};
};

TEST_F(PeakWindowsTest, ApplyToOffersQuantitativeFirstAndSaysWhatWasChosen) {
    ApplyToDialog dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), "应用于...");
    EXPECT_EQ(dialog.size(), QSize(280, 150));
    EXPECT_TRUE(child<QRadioButton>(dialog, "quantitativeRadio")->isChecked());
    child<QPushButton>(dialog, "okButton")->click();
    EXPECT_EQ(dialog.action(), ApplyToAction::OpenQuantWindow);

    ApplyToDialog second(nullptr);
    child<QRadioButton>(second, "sampleRadio")->setChecked(true);
    child<QPushButton>(second, "okButton")->click();
    EXPECT_EQ(second.action(), ApplyToAction::ApplySample);

    ApplyToDialog third(nullptr);
    child<QPushButton>(third, "cancelButton")->click();
    EXPECT_EQ(third.action(), ApplyToAction::None);
}

TEST_F(PeakWindowsTest, ASampleStretchGoesIntoTheReport) {
    quant->volumeMl = 0.5f;
    quant->area = 2.0f * stretchArea(trace->signalMv(), 200, 400);
    PeakUseContext context{*trace, *quant, *report, detector, prompts, folder.path().string()};
    onNextModal([](QWidget& dialog) {
        child<QRadioButton>(dialog, "sampleRadio")->setChecked(true);
        child<QPushButton>(dialog, "okButton")->click();
    });
    EXPECT_EQ(runApplyToDialog(nullptr, context, 200, 400), ApplyToAction::ApplySample);
    EXPECT_EQ(report->header().reportPointCount, 200);
    EXPECT_EQ(report->signalMv()[100], trace->signalMv()[300]);
    EXPECT_FLOAT_EQ(report->header().residualVolumeMl, 0.25f);
}

TEST_F(PeakWindowsTest, QuantitativeThenTheWindowTakesTheStretchAndTheTypedVolume) {
    quant->volumeMl = 0.1f;
    PeakUseContext context{*trace, *quant, *report, detector, prompts, folder.path().string()};
    onNextModal([](QWidget& dialog) { child<QPushButton>(dialog, "okButton")->click(); });
    bool checked = false;
    QTimer::singleShot(0, [&] {
        onNextModal([&](QWidget& window) {
            EXPECT_EQ(window.windowTitle(), "表面积数据属性");
            EXPECT_EQ(window.size(), QSize(445, 550));
            EXPECT_EQ(child<QLineEdit>(window, "volumeEdit")->text(), "0.100");
            EXPECT_EQ(child<QLineEdit>(window, "areaEdit")->text(),
                      QString::number(std::lround(stretchArea(trace->signalMv(), 200, 400))));
            child<QLineEdit>(window, "volumeEdit")->setText("0.5 ml");
            child<QPushButton>(window, "closeButton")->click();
            checked = true;
        });
    });
    EXPECT_EQ(runApplyToDialog(nullptr, context, 200, 400), ApplyToAction::OpenQuantWindow);
    EXPECT_TRUE(checked);
    EXPECT_EQ(quant->volumeMl, 0.5f);
    EXPECT_EQ(quant->lastIndex, 200);
    EXPECT_EQ(quant->area, stretchArea(trace->signalMv(), 200, 400));
}

TEST_F(PeakWindowsTest, TheCloseBoxKeepsTheVolumeAndThePictureShowsThePeak) {
    quant->volumeMl = 0.25f;
    QuantPeakWindow window(nullptr, *quant, trace->signalMv(), 200, 400);
    window.show();
    child<QLineEdit>(window, "volumeEdit")->setText("9");
    window.close();
    EXPECT_EQ(quant->volumeMl, 0.25f);
    // The peak's top (point 100 of the stretch) is at the picture's top, its ends at the bottom.
    const QImage& picture = window.picture();
    EXPECT_EQ(picture.size(), QSize(400, 270));
    int onLine = 0;
    for (int y = 0; y < 12; ++y) {
        if (picture.pixelColor(200, y) == QColor(200, 0, 100)) ++onLine;
    }
    EXPECT_GE(onLine, 1);
    EXPECT_TRUE(window.grab().save(VESPIAN_BUILD_DIR "/quant_peak_window.png"));
}

TEST_F(PeakWindowsTest, TheHandedOverWindowTakesFurtherPeaksAndEmptiesTheTableWhenClosed) {
    table->count = 3;
    QPointer<QuantPeakWindow> window =
        showHandedOverQuantWindow(nullptr, *quant, *table, trace->signalMv(), 200, 400, 6817);
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->isModal());
    EXPECT_TRUE(window->isVisible());
    // The recogniser's area, in its unit, not the stretch's own sum.
    EXPECT_EQ(child<QLineEdit>(*window, "areaEdit")->text(), "6817");
    EXPECT_EQ(child<QLabel>(*window, "areaUnit")->text(), "×20uV·s");
    child<QLineEdit>(*window, "volumeEdit")->setText("0.75");
    window->takePeak(trace->signalMv(), 250, 350, 2100);
    EXPECT_EQ(quant->lastIndex, 100);
    EXPECT_EQ(child<QLineEdit>(*window, "areaEdit")->text(), "2100");
    EXPECT_EQ(child<QLineEdit>(*window, "volumeEdit")->text(), "0.75");  // what was typed stays
    EXPECT_EQ(table->count, 3);
    child<QPushButton>(*window, "closeButton")->click();
    EXPECT_EQ(quant->volumeMl, 0.75f);
    EXPECT_EQ(table->count, 0);
    EXPECT_TRUE(waitUntil([&] { return window.isNull(); }));  // deleted once closed
}

TEST_F(PeakWindowsTest, TheExportDialogRefusesAnIntervalBelowOneAndReportsItsResult) {
    TraceExportDialog dialog(nullptr, prompts, *trace, 100, 130, folder.path().string());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "导出数据设置");
    QLineEdit* interval = child<QLineEdit>(dialog, "intervalEdit");
    QLabel* status = child<QLabel>(dialog, "statusText");
    EXPECT_EQ(interval->text(), "10");
    EXPECT_EQ(status->text(), "取点间隔：每隔X个点取一个点");
    // Only digits can be typed.
    interval->setText("");
    interval->insert("-5a");
    EXPECT_EQ(interval->text(), "");

    child<QPushButton>(dialog, "exportButton")->click();
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].caption, "警告");
    EXPECT_EQ(prompts.records()[0].text, "取点间隔应为大于 0 的整数。");

    interval->setText("10");
    prompts.chooseFile(folder.file("stretch"));
    child<QPushButton>(dialog, "exportButton")->click();
    EXPECT_EQ(status->text(), "数据导出中...");
    EXPECT_TRUE(waitUntil([&] { return status->text() == "数据导出完毕!!"; }));
    EXPECT_EQ(testing::readBytes(folder / "stretch.txt"),
              traceExportText(trace->signalMv(), trace->temperatureC(), 100, 130, 10));
    EXPECT_TRUE(dialog.isVisible());  // open for further exports

    prompts.chooseFile(folder.file("gone/x"));
    child<QPushButton>(dialog, "exportButton")->click();
    EXPECT_EQ(status->text(), "数据导出被终止!!");
    EXPECT_EQ(prompts.records().back().caption, "错误");
    child<QPushButton>(dialog, "doneButton")->click();
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(PeakWindowsTest, ThePeakSettingsPageEditsAndChecksTheSettings) {
    PeakSettings settings = kFirstStartPeakSettings;
    PeakSettingsPage page(nullptr, settings);
    page.show();
    EXPECT_EQ(child<QLineEdit>(page, "minHeightEdit")->text(), "1000");
    EXPECT_FALSE(child<QCheckBox>(page, "autoDesorbCheck")->isChecked());
    child<QPushButton>(page, "peakDefaultsButton")->click();
    EXPECT_TRUE(child<QCheckBox>(page, "autoDesorbCheck")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(page, "desorbAfterPeakCheck")->isChecked());
    EXPECT_EQ(child<QLineEdit>(page, "adsorptionEdit")->text(), "18");

    child<QLineEdit>(page, "maxWidthEdit")->setText("abc");
    EXPECT_FALSE(page.apply(settings, prompts));
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].caption, "警告");
    EXPECT_EQ(prompts.records()[0].text, "“峰宽(秒)最大”应为 0 到 100000 之间的整数。");
    EXPECT_EQ(settings.autoDesorb, 0);  // nothing applied

    child<QLineEdit>(page, "maxWidthEdit")->setText("600");
    child<QLineEdit>(page, "startSlopeEdit")->setText("25");
    child<QCheckBox>(page, "autoZeroCheck")->setChecked(false);
    ASSERT_TRUE(page.apply(settings, prompts));
    EXPECT_EQ(settings.maxWidth, 600);
    EXPECT_EQ(settings.startSlopeUv, 25);
    EXPECT_EQ(settings.autoDesorb, 1);
    EXPECT_EQ(settings.autoZero, 0);
    EXPECT_TRUE(page.grab().save(VESPIAN_BUILD_DIR "/peak_settings_page.png"));
}

TEST_F(PeakWindowsTest, TheReportPanelOpensTheKindOfTheRowClicked) {
    writeGbkField(report->header().sampleName, "CuO/ZnO");
    report->header().sampleWeightG = 0.5f;
    report->header().testDate = {2024, 6, 1};
    ReportPanelView panel(nullptr, *report, kReportPanelDefaultWidths);
    panel.resize(760, 120);
    panel.show();
    std::vector<ReportKind> chosen;
    QObject::connect(&panel, &ReportPanelView::reportChosen, [&](ReportKind kind) { chosen.push_back(kind); });
    for (int y : {35, 55, 75, 10}) {
        const QPointF at(20, y);
        QMouseEvent press(QEvent::MouseButtonPress, at, panel.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&panel, &press);
    }
    EXPECT_EQ(chosen, (std::vector<ReportKind>{ReportKind::Titration, ReportKind::TemperatureProgrammed,
                                               ReportKind::Desorption}));
    const QImage shot = panel.grab().toImage();
    EXPECT_TRUE(shot.save(VESPIAN_BUILD_DIR "/report_panel.png"));
    EXPECT_EQ(shot.pixelColor(149, 60), QColor(Qt::black));  // the rule after the first column
}

TEST_F(PeakWindowsTest, TheLetterheadPageWritesItsFile) {
    ReportLetterhead letterhead;
    LetterheadPage page(nullptr, letterhead);
    child<QLineEdit>(page, "supplierEdit")->setText("  示例仪器服务部 ");
    child<QLineEdit>(page, "hotlineEdit")->setText("400-000-0000");
    ASSERT_TRUE(page.apply(letterhead, folder.file("ReportLetterhead.ini"), prompts));
    EXPECT_EQ(letterhead.supplierName, "示例仪器服务部");
    ReportLetterhead back;
    ASSERT_TRUE(readLetterhead(folder.file("ReportLetterhead.ini"), back));
    EXPECT_EQ(back, letterhead);

    child<QLineEdit>(page, "webEdit")->setText("www.example.cn");
    EXPECT_FALSE(page.apply(letterhead, folder.file("missing/l.ini"), prompts));
    EXPECT_EQ(letterhead.webAddress, "");
    EXPECT_EQ(prompts.records().back().caption, "错误");
}

}  // namespace
}  // namespace vespian
