// Peaks and the test report in the running program, offscreen with the scripted prompts: a
// manual pick and its "应用于..." choices, the recogniser's hand-over in the display tick (the
// comparison method's quantitative-peak window, the BET method's orders), the report panel in
// the report view opening its windows, the report file under File → "打开" / "保存", the
// stretch export, and the page "识峰参数" of the settings dialog kept in InitData.Set.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QDialog>
#include <QTimer>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>

#include "analysis/bet.h"
#include "app/command_ids.h"
#include "app/desktop/report_wiring.h"
#include "app/desktop/settings_dialog.h"
#include "app/desktop/view_area.h"
#include "files/desktop/report_panel_view.h"
#include "files/peak_application.h"
#include "files/test_report.h"
#include "files/test_report_file.h"
#include "platform/gbk_text.h"
#include "audit_rows.h"
#include "modal_watch.h"
#include "program_fixture.h"
#include "trace/desktop/quant_peak_window.h"
#include "trace/quant_peak.h"

namespace vespian {
namespace {

using testing::child;
using testing::onNextModal;

using testing::ProgramFixture;
using testing::waitUntil;

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A bell-shaped peak of `heightMv` centred at `centre` with spread `sigma` points.
float bell(int i, int centre, float sigma, float heightMv) {
    const float z = static_cast<float>(i - centre) / sigma;
    return heightMv * std::exp(-0.5f * z * z);
}

class ReportWiringTest : public ProgramFixture {
protected:
    void SetUp() override {
        start(0.0001);  // a quiet instrument: the test puts the points in itself
        reports = program->reports();
        ASSERT_NE(reports, nullptr);
        prompts.clear();  // the first start's notes about missing settings files
    }

    // A loaded trace: 1000 points with one peak at 500 on a ramp from 100 ℃.
    void loadPeakTrace() {
        std::vector<float> s(1000), t(1000);
        for (int i = 0; i < 1000; ++i) {
            s[i] = 0.5f + bell(i, 500, 60.0f, 8.0f);
            t[i] = 100.0f + 0.5f * static_cast<float>(i);
        }
        state().chromatogram->replace(s.data(), t.data(), 1000);
        window()->displayTick();
    }

    // The pick's second click: the view area says so, the window hands it to the wiring.
    void pick(int start, int end) { emit window()->viewArea()->manualPick(start, end); }

    // One point, then one display tick: the recogniser sees each point as the newest.
    void tickPoint(float mv) {
        state().chromatogram->appendReading(mv, 50.0f);
        window()->displayTick();
    }

    // Measuring in the given method, with the recogniser's usual thresholds and no automatic
    // desorption (no instrument writes of its own in these tests).
    void measure(int method) {
        PeakSettings peak = kPeakSettingsPreset;
        peak.autoDesorb = 0;
        peak.minWidth = 2;  // the second, narrower peak of a test is kept too
        state().settings.peak = peak;
        window()->dispatch(method);
        startMeasurement();
        ASSERT_EQ(state().measurement.measureMode(), MeasureMode::Measuring);
        prompts.clear();  // what starting a measurement opens is not this test's
        for (int i = 0; i < 150; ++i) tickPoint(0.0f);
    }

    // Start ends by opening the injector dialog, left here without a button.
    void startMeasurement() {
        onNextModal([](QWidget& injector) { qobject_cast<QDialog*>(&injector)->reject(); });
        window()->dispatch(kCmdStartMeasurement);
    }

    // A peak of 5 mV over about 900 points, ticked in point by point, then flat baseline; then
    // what the hand-over opens once the tick has returned.
    void tickPeak() {
        for (int i = 0; i < 1000; ++i) tickPoint(bell(i, 400, 80.0f, 5.0f));
        for (int i = 0; i < 150; ++i) tickPoint(0.0f);
        QApplication::processEvents();
    }

    ReportWiring* reports = nullptr;
};

// ---- manual pick --------------------------------------------------------------------------

TEST_F(ReportWiringTest, APickAppliedAsSampleGoesIntoTheReportAndItsPanel) {
    loadPeakTrace();
    state().quantPeak->volumeMl = 0.5f;
    state().quantPeak->area = 2.0f * stretchArea(state().chromatogram->signalMv(), 300, 700);
    onNextModal([](QWidget& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "应用于...");
        child<QRadioButton>(dialog, "sampleRadio")->setChecked(true);
        child<QPushButton>(dialog, "okButton")->click();
    });
    pick(300, 700);

    const TestReportHeader& h = state().report->header();
    EXPECT_EQ(h.reportPointCount, 400);
    for (int i : {0, 200, 400}) {
        EXPECT_EQ(state().report->signalMv()[i], state().chromatogram->signalMv()[300 + i]) << i;
        EXPECT_EQ(state().report->temperatureC()[i], state().chromatogram->temperatureC()[300 + i]) << i;
    }
    EXPECT_FLOAT_EQ(h.residualVolumeMl, 0.25f);
    EXPECT_EQ(h.pulseVolumeMl, 0.5f);
    // The pick is the stretch the data export works on.
    EXPECT_EQ(state().peakDetector.peakStart(), 300);
    EXPECT_EQ(state().peakDetector.peakEnd(), 700);
    EXPECT_TRUE(reports->lastPick().picked);
    EXPECT_EQ(prompts.unscripted(), 0);
}

TEST_F(ReportWiringTest, APickAppliedAsQuantitativePeakTakesTheTypedVolumeAndCancelChangesNothing) {
    loadPeakTrace();
    state().quantPeak->volumeMl = 0.1f;
    onNextModal([](QWidget& dialog) { child<QPushButton>(dialog, "okButton")->click(); });
    QTimer::singleShot(0, [] {
        onNextModal([](QWidget& window) {
            EXPECT_EQ(window.windowTitle(), "表面积数据属性");
            EXPECT_TRUE(window.isModal());
            child<QLineEdit>(window, "volumeEdit")->setText("0.75");
            child<QPushButton>(window, "closeButton")->click();
        });
    });
    pick(400, 600);
    EXPECT_EQ(state().quantPeak->volumeMl, 0.75f);
    EXPECT_EQ(state().quantPeak->lastIndex, 200);
    EXPECT_EQ(state().quantPeak->area, stretchArea(state().chromatogram->signalMv(), 400, 600));

    // "取消": the report and the quantitative peak stay as they were.
    const int32_t count = state().report->header().reportPointCount;
    onNextModal([](QWidget& dialog) { child<QPushButton>(dialog, "cancelButton")->click(); });
    pick(100, 200);
    EXPECT_EQ(state().quantPeak->lastIndex, 200);
    EXPECT_EQ(state().report->header().reportPointCount, count);
}

TEST_F(ReportWiringTest, ThePickedStretchIsExportedFromTheMenuAndFromApplyTo) {
    loadPeakTrace();
    onNextModal([](QWidget& dialog) { child<QPushButton>(dialog, "cancelButton")->click(); });
    pick(130, 100);  // either order: the stretch is sorted

    const std::string target = folder.string() + "/SAVE/stretch";
    prompts.chooseFile(target);
    onNextModal([](QWidget& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "导出数据设置");
        child<QPushButton>(dialog, "exportButton")->click();
        child<QPushButton>(dialog, "doneButton")->click();
    });
    window()->dispatch(kCmdExportData);
    const std::string text = fileBytes(target + ".txt");
    // Rows at 100, 110 and 120 (interval 10), times 20, 22 and 24 s.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << text;
    EXPECT_NE(text.find("\t\t20\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\t\t24\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("\t\t26\r\n"), std::string::npos) << text;

    // "导出为文本" of "应用于..." opens the same dialog for the new pick.
    bool exportShown = false;
    onNextModal([&](QWidget& dialog) {
        child<QPushButton>(dialog, "exportButton")->click();  // "导出为文本"
    });
    QTimer::singleShot(0, [&] {
        onNextModal([&](QWidget& dialog) {
            exportShown = dialog.windowTitle() == "导出数据设置";
            child<QPushButton>(dialog, "cancelButton")->click();
        });
    });
    pick(200, 260);
    EXPECT_TRUE(exportShown);
    EXPECT_EQ(state().peakDetector.peakStart(), 200);
}

// ---- the recogniser's hand-over -----------------------------------------------------------

TEST_F(ReportWiringTest, ARecognisedPeakInTheComparisonMethodOpensTheQuantWindowModelessAndFeedsIt) {
    measure(kCmdComparisonMethod);
    EXPECT_EQ(reports->quantWindow(), nullptr);
    tickPeak();
    QuantPeakWindow* quant = reports->quantWindow();
    ASSERT_NE(quant, nullptr);
    EXPECT_TRUE(quant->isVisible());
    EXPECT_FALSE(quant->isModal());
    EXPECT_EQ(state().peaks->count, 1);
    // The window shows the recognised stretch, not an older pick.
    const int32_t first = state().peakDetector.peakEnd() - state().peakDetector.peakStart();
    EXPECT_GT(first, 500);
    EXPECT_EQ(state().quantPeak->lastIndex, first);
    EXPECT_EQ(state().quantPeak->area,
              stretchArea(state().chromatogram->signalMv(), state().peakDetector.peakStart(),
                          state().peakDetector.peakEnd()));

    // A second, narrower peak goes into the open window; no second window.
    for (int i = 0; i < 800; ++i) tickPoint(bell(i, 300, 55.0f, 4.0f));
    for (int i = 0; i < 150; ++i) tickPoint(0.0f);
    QApplication::processEvents();
    EXPECT_EQ(state().peaks->count, 2);
    EXPECT_EQ(reports->quantWindow(), quant);
    EXPECT_EQ(window()->findChildren<QuantPeakWindow*>().size(), 1);
    EXPECT_EQ(state().quantPeak->lastIndex, state().peakDetector.peakEnd() - state().peakDetector.peakStart());
    EXPECT_LT(state().quantPeak->lastIndex, first);

    // Closing takes the volume and empties the table, as the buffer warning promises.
    child<QLineEdit>(*quant, "volumeEdit")->setText("0.250");
    child<QPushButton>(*quant, "closeButton")->click();
    EXPECT_TRUE(waitUntil([&] { return reports->quantWindow() == nullptr; }, 3000));
    EXPECT_EQ(state().peaks->count, 0);
    EXPECT_EQ(state().quantPeak->volumeMl, 0.25f);
    EXPECT_EQ(prompts.records().size(), 0u);
}

TEST_F(ReportWiringTest, AQuantitativePickClosesTheHandedOverWindowSoItsOldVolumeCannotReturn) {
    measure(kCmdComparisonMethod);
    tickPeak();
    QPointer<QuantPeakWindow> handed = reports->quantWindow();
    ASSERT_FALSE(handed.isNull());
    child<QLineEdit>(*handed, "volumeEdit")->setText("0.9");

    onNextModal([](QWidget& dialog) { child<QPushButton>(dialog, "okButton")->click(); });
    QTimer::singleShot(0, [] {
        onNextModal([](QWidget& window) {
            child<QLineEdit>(window, "volumeEdit")->setText("0.6");
            child<QPushButton>(window, "closeButton")->click();
        });
    });
    pick(200, 500);
    EXPECT_TRUE(waitUntil([&] { return handed.isNull(); }, 3000));
    EXPECT_EQ(reports->quantWindow(), nullptr);
    EXPECT_EQ(state().quantPeak->volumeMl, 0.6f);
    EXPECT_EQ(state().quantPeak->lastIndex, 300);
}

TEST_F(ReportWiringTest, NoPeakIsHandedOverWhileIdleOrWithTheManualPeakTool) {
    PeakSettings peak = kPeakSettingsPreset;
    peak.autoDesorb = 0;
    state().settings.peak = peak;
    for (int i = 0; i < 150; ++i) tickPoint(0.0f);
    tickPeak();  // idle: the recogniser does not run
    EXPECT_EQ(state().peaks->count, 0);
    EXPECT_EQ(reports->quantWindow(), nullptr);

    window()->dispatch(kCmdComparisonMethod);
    startMeasurement();
    window()->dispatch(kCmdManualPeak);
    ASSERT_TRUE(state().tools.manualPeak);
    tickPeak();
    EXPECT_EQ(state().peaks->count, 0);
    EXPECT_EQ(reports->quantWindow(), nullptr);
}

TEST_F(ReportWiringTest, InTheBetMethodThePeakGoesToThePointDialogOnlyWhenCalibratedAndNoneIsOpen) {
    int pointDialogs = 0;
    window()->handlePeakDialog(kBetPointDialogTemplate, [&] { ++pointDialogs; });
    measure(kCmdBetMethod);

    // No calibration in the record under construction: the operator is told to calibrate
    // first, and the refused peak leaves the table.
    tickPeak();
    EXPECT_EQ(pointDialogs, 0);
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].text, kCalibrateFirstText);
    EXPECT_EQ(prompts.records()[0].caption, "提示");
    EXPECT_EQ(state().peaks->count, 0);

    // Calibrated: the point dialog opens.
    SurfaceReportRecord& record = state().database->reports().records[state().database->reports().count];
    record.calib_count = 1;
    record.calib_area[0] = 30000;
    tickPeak();
    EXPECT_EQ(pointDialogs, 1);

    // A point dialog open already: the peak waits in the table.
    reports->setPeakDialogOpen(true);
    EXPECT_TRUE(reports->peakDialogOpen());
    tickPeak();
    EXPECT_EQ(pointDialogs, 1);
    EXPECT_EQ(state().peaks->count, 2);
    EXPECT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(reports->quantWindow(), nullptr);  // not the comparison method's window
}

// ---- report view, panel and file ----------------------------------------------------------

TEST_F(ReportWiringTest, TheReportViewShowsThePanelWhoseRowsOpenTheThreeReportWindows) {
    writeGbkField(state().report->header().sampleName, "Pt/Al2O3");
    writeGbkField(state().report->header().tester, "李四");
    state().report->header().testDate = {2026, 12, 9};
    ReportPanelView* panel = reports->reportPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->isVisible());

    window()->dispatch(kCmdReportView);
    ASSERT_TRUE(waitUntil([&] { return panel->isVisible(); }, 3000));
    EXPECT_EQ(panel->geometry(), reports->reportPanelRect());
    EXPECT_GT(panel->width(), 700);
    EXPECT_EQ(panel->height(), 96);
    const QImage shot = window()->grab().toImage();
    EXPECT_TRUE(shot.save(VESPIAN_BUILD_DIR "/report_view_panel.png"));

    const char* expected[] = {"titrationReportDialog", "tpReportDialog", "desorptionTestDialog"};
    for (int row = 0; row < 3; ++row) {
        QString opened;
        onNextModal([&](QWidget& dialog) {
            opened = dialog.objectName();
            dialog.close();
        });
        const QPointF at(20, kReportPanelFirstRowY + row * kReportPanelRowStep + 8);
        QMouseEvent press(QEvent::MouseButtonPress, at, panel->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(panel, &press);
        EXPECT_EQ(opened.toStdString(), expected[row]) << row;
    }

    window()->dispatch(kCmdTraceView);
    EXPECT_TRUE(waitUntil([&] { return !panel->isVisible(); }, 3000));
}

TEST_F(ReportWiringTest, FileOpenAndSaveInTheReportViewReadAndWriteTheReportFile) {
    loadPeakTrace();
    window()->dispatch(kCmdReportView);

    // "保存" right after start-up: the data folder's "新文件.care".
    writeGbkField(state().report->header().sampleName, "第一份");
    window()->dispatch(kCmdSave);
    const std::string first = state().dataFolder + kDefaultReportName;
    EXPECT_EQ(std::filesystem::file_size(first), kTestReportBytes);
    EXPECT_EQ(state().reportPath, first);

    // A changed record, then File → "打开" of the saved one: the saved record returns whole.
    const std::string before = fileBytes(first);
    writeGbkField(state().report->header().sampleName, "改过的");
    state().report->header().reportPointCount = 77;
    prompts.chooseFile(first);
    window()->dispatch(kCmdOpen);
    EXPECT_EQ(readGbkField(state().report->header().sampleName), "第一份");
    EXPECT_EQ(state().report->header().reportPointCount, 0);
    EXPECT_EQ(state().reportPath, first);
    window()->dispatch(kCmdSave);
    EXPECT_EQ(fileBytes(first), before);

    // A cancelled open changes nothing; in the trace view File → "打开" is the trace's again.
    prompts.cancelFile();
    window()->dispatch(kCmdOpen);
    EXPECT_EQ(readGbkField(state().report->header().sampleName), "第一份");
    window()->dispatch(kCmdTraceView);
    prompts.cancelFile();
    window()->dispatch(kCmdOpen);
    ASSERT_FALSE(prompts.records().empty());
    EXPECT_EQ(prompts.records().back().caption, "打开谱图文件");
    for (const auto& record : prompts.records()) EXPECT_EQ(record.text.find("功能尚未提供"), std::string::npos);
}

// ---- settings page ------------------------------------------------------------------------

TEST_F(ReportWiringTest, ThePeakSettingsPageIsKeptInInitDataAndARefusedEntryKeepsEverything) {
    const PeakSettings before = state().settings.peak;
    onNextModal([](QWidget& dialog) {
        auto* tabs = child<QTabWidget>(dialog, "settingsTabs");
        ASSERT_EQ(tabs->count(), 5);
        EXPECT_EQ(tabs->tabText(SettingsDialog::kPeakTab), "识峰参数");
        tabs->setCurrentIndex(2);
        child<QLineEdit>(dialog, "minWidthEdit")->setText("7");
        child<QLineEdit>(dialog, "minHeightEdit")->setText("2500");
        child<QCheckBox>(dialog, "autoZeroCheck")->setChecked(false);
        EXPECT_TRUE(dialog.grab().save(VESPIAN_BUILD_DIR "/settings_peak_page.png"));
        child<QPushButton>(dialog, "okButton")->click();
    });
    window()->dispatch(kCmdSettings);
    EXPECT_EQ(state().settings.peak.minWidth, 7);
    EXPECT_EQ(state().settings.peak.minHeightUv, 2500);
    EXPECT_EQ(state().settings.peak.autoZero, 0);
    EXPECT_EQ(state().settings.peak.maxWidth, before.maxWidth);

    // Written at once: a fresh read of InitData.Set has them.
    Settings stored;
    ASSERT_TRUE(readInitData(state().settingsPath(kInitDataFileName), stored));
    EXPECT_EQ(stored.peak.minWidth, 7);
    EXPECT_EQ(stored.peak.minHeightUv, 2500);
    EXPECT_EQ(stored.peak.autoZero, 0);

    // A width that is not a number is refused: the dialog stays, nothing changes.
    bool stayed = false;
    onNextModal([&](QWidget& dialog) {
        auto* tabs = child<QTabWidget>(dialog, "settingsTabs");
        EXPECT_EQ(tabs->currentIndex(), 2);  // reopens on the page of the last OK
        child<QLineEdit>(dialog, "minWidthEdit")->setText("x7");
        child<QLineEdit>(dialog, "maxWidthEdit")->setText("10");
        child<QPushButton>(dialog, "okButton")->click();
        stayed = dialog.isVisible();
        child<QPushButton>(dialog, "cancelButton")->click();
    });
    window()->dispatch(kCmdSettings);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(state().settings.peak.minWidth, 7);
    EXPECT_EQ(state().settings.peak.maxWidth, before.maxWidth);
    ASSERT_FALSE(prompts.records().empty());
    EXPECT_EQ(prompts.records().back().caption, "警告");
    SettingsDialog::forgetRememberedTab();
}

TEST_F(ReportWiringTest, TheLetterheadPageIsWrittenToItsFileAndAFileThatCannotBeWrittenKeepsEverything) {
    const std::string path = state().settingsPath(kLetterheadFileName);
    onNextModal([](QWidget& dialog) {
        auto* tabs = child<QTabWidget>(dialog, "settingsTabs");
        ASSERT_EQ(tabs->count(), 5);
        EXPECT_EQ(tabs->tabText(SettingsDialog::kLetterheadTab), "报告抬头");
        tabs->setCurrentIndex(SettingsDialog::kLetterheadTab);
        child<QLineEdit>(dialog, "supplierEdit")->setText("  示例仪器服务部 ");
        child<QLineEdit>(dialog, "hotlineEdit")->setText("400-000-0000");
        child<QPushButton>(dialog, "okButton")->click();
    });
    window()->dispatch(kCmdSettings);
    EXPECT_EQ(state().letterhead.supplierName, "示例仪器服务部");
    EXPECT_EQ(state().letterhead.hotline, "400-000-0000");
    ReportLetterhead stored;
    ASSERT_TRUE(readLetterhead(path, stored));
    EXPECT_EQ(stored, state().letterhead);

    // The file's place taken by a folder: the write fails, is said, and nothing is applied —
    // not the letterhead, not the peak page's entries.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    const PeakSettings peakBefore = state().settings.peak;
    bool stayed = false;
    onNextModal([&](QWidget& dialog) {
        auto* tabs = child<QTabWidget>(dialog, "settingsTabs");
        tabs->setCurrentIndex(SettingsDialog::kPeakTab);
        child<QLineEdit>(dialog, "minHeightEdit")->setText("3333");
        tabs->setCurrentIndex(SettingsDialog::kLetterheadTab);
        child<QLineEdit>(dialog, "supplierEdit")->setText("别的公司");
        child<QPushButton>(dialog, "okButton")->click();
        stayed = dialog.isVisible();
        child<QPushButton>(dialog, "cancelButton")->click();
    });
    window()->dispatch(kCmdSettings);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(state().letterhead.supplierName, "示例仪器服务部");
    EXPECT_EQ(state().settings.peak.minHeightUv, peakBefore.minHeightUv);
    ASSERT_FALSE(prompts.records().empty());
    EXPECT_EQ(prompts.records().back().caption, "错误");
    SettingsDialog::forgetRememberedTab();
}

TEST_F(ReportWiringTest, TheArchivePageWritesTheLaboratoryConnectionOnlyWhenChangedAndStaysWhenItCannot) {
    const std::string path = state().settingsPath(kArchiveSettingsFileName);
    auto setConnection = [&](const char* text, bool* stayed) {
        onNextModal([=](QWidget& dialog) {
            auto* tabs = child<QTabWidget>(dialog, "settingsTabs");
            ASSERT_EQ(tabs->tabText(SettingsDialog::kArchiveTab), "档案");
            tabs->setCurrentIndex(SettingsDialog::kArchiveTab);
            child<QLineEdit>(dialog, "laboratoryEdit")->setText(text);
            child<QPushButton>(dialog, "okButton")->click();
            if (stayed != nullptr) *stayed = dialog.isVisible();
            if (dialog.isVisible()) child<QPushButton>(dialog, "cancelButton")->click();
        });
        window()->dispatch(kCmdSettings);
    };
    // Looked at and left as it was: no file is made.
    setConnection("", nullptr);
    EXPECT_FALSE(std::filesystem::exists(path));
    setConnection(" host=lab-server port=5432 dbname=archive ", nullptr);
    EXPECT_EQ(readLaboratoryConnection(path), "host=lab-server port=5432 dbname=archive");
    // The connection string is not in the audit trail: it may hold a password.
    for (const AuditRow& row : testing::auditRows(*state().archiving.archive(), {})) {
        EXPECT_EQ(row.entry.newValue.find("lab-server"), std::string::npos) << row.entry.subject;
    }

    // The file's place taken by a folder: said, and the dialog stays.
    std::filesystem::remove(path);
    std::filesystem::create_directories(std::filesystem::path(path) / "inside");
    bool stayed = false;
    setConnection("host=other", &stayed);
    EXPECT_TRUE(stayed);
    ASSERT_FALSE(prompts.records().empty());
    EXPECT_EQ(prompts.records().back().text, "无法保存档案设置到Archive.ini文件");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    SettingsDialog::forgetRememberedTab();
}

TEST_F(ReportWiringTest, WithoutItsCallbackTheDialogHasNoPeakPageAndFallsBackFromARememberedOne) {
    // The last OK of this run was on the peak page; a dialog without that page opens on colours.
    onNextModal([](QWidget& dialog) {
        child<QTabWidget>(dialog, "settingsTabs")->setCurrentIndex(SettingsDialog::kPeakTab);
        child<QPushButton>(dialog, "okButton")->click();
    });
    window()->dispatch(kCmdSettings);
    ASSERT_EQ(SettingsDialog::rememberedTab(), SettingsDialog::kPeakTab);
    const DisplaySettings display{state().view.backgroundColour, state().view.traceColour, 600, 1000};
    SettingsDialog plain(nullptr, display, prompts, {}, {});
    EXPECT_EQ(child<QTabWidget>(plain, "settingsTabs")->count(), 2);
    EXPECT_EQ(plain.currentTab(), SettingsDialog::kColourTab);
    EXPECT_TRUE(plain.pageCreated(SettingsDialog::kColourTab));
    EXPECT_FALSE(plain.pageCreated(SettingsDialog::kPeakTab));
    SettingsDialog::forgetRememberedTab();
}

// ---- start-up ------------------------------------------------------------------------------

class ReportWiringSeededTest : public ProgramFixture {};

TEST_F(ReportWiringSeededTest, TheQuantitativeVolumeStartsAsTheSeededReportsPulseVolume) {
    // NewData.ini seeds the report; its calibration pulse volume is the quantitative peak's.
    std::vector<char> seed(kNewDataSeedBytes, 0);
    const float volume = 0.375f;
    std::memcpy(seed.data() + offsetof(TestReportHeader, pulseVolumeMl), &volume, sizeof volume);
    std::memcpy(seed.data(), "seeded", 7);
    std::ofstream(folder / kNewDataFileName, std::ios::binary).write(seed.data(), static_cast<long>(seed.size()));
    start(0.0001);
    EXPECT_EQ(readGbkField(state().report->header().sampleName), "seeded");
    EXPECT_EQ(state().quantPeak->volumeMl, volume);

    // The panel shows the seeded record once the report view is chosen.
    window()->dispatch(kCmdReportView);
    EXPECT_TRUE(waitUntil([&] { return program->reports()->reportPanel()->isVisible(); }, 3000));
}

// ---- the hand-over's translation ----------------------------------------------------------

TEST(PeakHandOverBridge, TheContextAndTheRulesAnswerAreCarriedOverFieldByField) {
    Chromatogram trace;
    const PeakHandOverContext context{trace, 10, 12, MeasureMode::Calibrating, AnalysisMethod::Bet, true};
    const PromptMessage refusal{"提示", kCalibrateFirstText, PromptIcon::Information};
    const PeakTickInput in = peakTickInput(context, true, false, true, refusal);
    EXPECT_EQ(in.measureMode, kMeasureModeCalibrating);
    EXPECT_EQ(in.analysisMethod, kAnalysisBet);
    EXPECT_EQ(in.newPoints, 2);
    EXPECT_TRUE(in.manualPeakMode);
    EXPECT_TRUE(in.manualPickPending);
    EXPECT_FALSE(in.quantWindowOpen);
    EXPECT_TRUE(in.peakDialogOpen);
    EXPECT_EQ(in.betPointRefusal.text, kCalibrateFirstText);
    EXPECT_EQ(peakTickInput({trace, 12, 12, MeasureMode::Measuring, AnalysisMethod::Comparison, false}, false, true,
                            false, {})
                  .newPoints,
              0);

    PeakTickOutcome outcome;
    EXPECT_TRUE(handOverResult(outcome).empty());
    outcome.openDialog = kCalibrationDialogTemplate;
    outcome.peakRecognised = true;
    outcome.messages.push_back({"警告", kPeakBufferFullText, PromptIcon::Error});
    const PeakHandOverResult r = handOverResult(outcome);
    EXPECT_EQ(r.dialogs, std::vector<int32_t>{kCalibrationDialogTemplate});
    EXPECT_TRUE(r.peakRecognised);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text, kPeakBufferFullText);
}

}  // namespace
}  // namespace vespian
