// The whole road of a multi-point BET measurement in the running window, offscreen: peaks
// appended to the trace are recognised by the display tick, a calibration peak opens "标定吸附量",
// a measured peak "多点BET取点设定", the third point's "完成" leads to "生成报告"; the committed
// report is saved with the database and is the same after the program starts again from the file.

#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "app/command_ids.h"
#include "app/status_texts.h"
#include "app/desktop/database_wiring.h"
#include "app/desktop/list_wiring.h"
#include "app/desktop/report_wiring.h"
#include "app/desktop/surface_wiring.h"
#include "app/desktop/view_area.h"
#include "files/database_settings.h"
#include "platform/gbk_text.h"
#include "audit_rows.h"
#include "modal_watch.h"
#include "program_fixture.h"
#include "analysis/calibration.h"
#include "trace/desktop/quant_peak_window.h"
#include "trace/peak_detector.h"
#include "trace/peak_hand_over.h"

namespace vespian {
namespace {

using testing::onModal;

namespace fs = std::filesystem;

void setField(QDialog& dialog, const char* name, const char* text) {
    auto* edit = dialog.findChild<QLineEdit*>(name);
    ASSERT_NE(edit, nullptr) << name;
    edit->setText(text);
}

void press(QDialog& dialog, const char* name) {
    auto* button = dialog.findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

class SurfaceRoadTest : public testing::ProgramFixture {
protected:
    // The program's own hand-over, with the recogniser's default settings.
    void begin() {
        start(0.0001);
        prompts.clear();
        state().settings.sample.weightMg = 100.0f;
        copyGbkBytes(state().settings.sample.name, gbkFromUtf8("氧化铝"));
        window()->dispatch(kCmdBetMethod);
    }

    // A clean peak of `heightMv` on a flat baseline, appended and taken over tick by tick.
    void appendPeak(float heightMv) {
        Chromatogram& trace = *state().chromatogram;
        std::vector<float> shape;
        shape.insert(shape.end(), 100, 0.0f);
        for (int i = 0; i < 50; ++i) shape.push_back(heightMv * static_cast<float>(i) / 50.0f);
        for (int i = 0; i < 350; ++i) shape.push_back(heightMv * static_cast<float>(350 - i) / 350.0f);
        shape.insert(shape.end(), 200, 0.0f);
        for (size_t i = 0; i < shape.size(); ++i) {
            trace.appendReading(shape[i], 25.0f);
            if (i % 10 == 9) window()->displayTick();
        }
        window()->displayTick();
        QApplication::processEvents();  // what the hand-over opens once the tick has returned
    }
    void mode(int32_t command) { state().measurement.apply(command); }  // without the injector dialog

    SurfaceReportRecord& slot() { return state().database->reports().records[state().database->reports().count]; }
};

TEST_F(SurfaceRoadTest, CalibrationThreePointsReportSavedAndTheSameAfterAReload) {
    begin();
    const float n2Flows[3] = {5.0f, 10.0f, 15.0f};
    const char* n2Texts[3] = {"5", "10", "15"};
    const char* heTexts[3] = {"45", "40", "35"};
    int calibrations = 0;
    int points = 0;
    bool openFlagSeen = false;
    for (int k = 0; k < 3; ++k) {
        mode(kCmdCalibration);
        ASSERT_EQ(state().measurement.measureMode(), MeasureMode::Calibrating);
        onModal("标定吸附量", [&, k](QDialog& dialog) {
            openFlagSeen = program->surface()->peakDialogOpen();
            setField(dialog, "volumeEdit", "3");
            setField(dialog, "n2FlowEdit", n2Texts[k]);
            setField(dialog, "heFlowEdit", heTexts[k]);
            press(dialog, "okButton");
            ++calibrations;
        });
        appendPeak(6.0f);
        ASSERT_EQ(calibrations, k + 1) << "the calibration peak opened no dialog";
        EXPECT_EQ(slot().calib_count, k + 1);
        EXPECT_EQ(state().peaks->count, 0);

        mode(kCmdStartMeasurement);
        ASSERT_EQ(state().measurement.measureMode(), MeasureMode::Measuring);
        onModal("多点BET取点设定", [&, k](QDialog& dialog) {
            ++points;
            if (k < 2) {
                press(dialog, "continueButton");
                return;
            }
            onModal("生成报告", [&](QDialog& report) {
                setField(report, "weightEdit", "100");
                QApplication::processEvents();
                EXPECT_TRUE(report.grab().save(VESPIAN_BUILD_DIR "/bet_report_dialog_road.png"));
                press(report, "commitButton");
            });
            press(dialog, "finishButton");
        });
        appendPeak(2.0f + static_cast<float>(k));  // ever larger adsorption peaks
        ASSERT_EQ(points, k + 1) << "the measured peak opened no dialog";
    }
    EXPECT_TRUE(openFlagSeen);
    EXPECT_FALSE(program->surface()->peakDialogOpen());

    const ReportTable& reports = state().database->reports();
    ASSERT_EQ(reports.count, 1);
    const SurfaceReportRecord& report = reports.records[0];
    EXPECT_EQ(report.number, 1);
    EXPECT_EQ(report.in_use, 1);
    EXPECT_EQ(report.point_count, 3);
    EXPECT_EQ(report.calib_count, 3);
    EXPECT_EQ(readGbkField(report.name), "氧化铝");
    EXPECT_EQ(report.weight_mg, 100.0f);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(report.n2_flow[k], n2Flows[k]) << k;
        EXPECT_GT(report.calib_area[k], 0) << k;
        // The calibration peaks are alike; the adsorption peaks grow with their height.
        EXPECT_NEAR(report.calib_area[k], report.calib_area[0], report.calib_area[0] / 100 + 1) << k;
        if (k > 0) {
            EXPECT_GT(report.peak_area[k], report.peak_area[k - 1]) << k;
            EXPECT_GT(report.rel_pressure[k], report.rel_pressure[k - 1]) << k;
        }
    }
    EXPECT_TRUE(std::isfinite(report.bet_area));
    EXPECT_NE(report.bet_area, 0.0f);
    EXPECT_LE(std::fabs(report.correlation), 1.0001f);
    // The next calibration starts from this report's loop volume.
    EXPECT_EQ(state().zevid.betCalibration[0], 3.0f);

    // Saved from the list view into a database of the operator's naming.
    state().measurement.selectView(ViewMode::BetList);
    program->lists()->showList(RecordList::Reports);
    const std::string path = (folder / "SAVE" / "bet.03D").string();
    prompts.chooseFile(path);
    window()->dispatch(kCmdSave);
    ASSERT_TRUE(fs::exists(path));
    SurfaceReportRecord before;
    std::memcpy(&before, &report, sizeof before);

    // The program again, from the remembered file: the same report, shown in the BET list.
    program.reset();
    start(0.0001);
    ASSERT_EQ(state().databasePath, path);
    ASSERT_EQ(state().database->reports().count, 1);
    EXPECT_EQ(std::memcmp(&before, &state().database->reports().records[0], sizeof before), 0);
    state().measurement.selectView(ViewMode::BetList);
    window()->viewArea()->showToolbarOfView();
    program->lists()->showList(RecordList::Reports);
    EXPECT_TRUE(window()->viewArea()->screenImage().save(VESPIAN_BUILD_DIR "/bet_list_road.png"));
    const QRect inside = window()->viewArea()->viewInside();
    window()->viewArea()->doubleClickAt(QPoint(inside.left() + 30, inside.top() + 25 + 10));
    EXPECT_EQ(state().betDetail, 1);
    EXPECT_EQ(state().selectedRow, 0);
    EXPECT_TRUE(window()->viewArea()->screenImage().save(VESPIAN_BUILD_DIR "/bet_page_road.png"));
}

// The simulated analyser's calibration loop, recognised with the program's own default
// settings, opens "标定吸附量" from the running display timer; while it is open the trace keeps
// being taken over and the status clock keeps moving.
TEST_F(SurfaceRoadTest, TheLiveViewKeepsMovingWhileTheCalibrationDialogIsOpen) {
    start(50.0);
    prompts.clear();
    window()->dispatch(kCmdBetMethod);
    // Calibration zeroes the signal at the newest point: there must be one.
    ASSERT_TRUE(testing::waitUntil([&] { return state().chromatogram->shownCount() > 100; }));
    window()->dispatch(kCmdCalibration);
    ASSERT_EQ(state().measurement.measureMode(), MeasureMode::Calibrating);
    bool opened = false;
    bool moved = false;
    onModal("标定吸附量", [&](QDialog& dialog) {
        opened = true;
        const int32_t shown = state().chromatogram->shownCount();
        const std::string clock = status(kStatusPartTime);
        moved = testing::waitUntil(
            [&] { return state().chromatogram->shownCount() > shown + 50 && status(kStatusPartTime) != clock; }, 20000);
        EXPECT_TRUE(dialog.grab().save(VESPIAN_BUILD_DIR "/calibration_dialog_live.png"));
        press(dialog, "cancelButton");
    });
    ASSERT_TRUE(testing::waitUntil([&] { return opened; }, 60000)) << "the loop's peak opened no dialog";
    EXPECT_TRUE(moved) << "the display tick stood still under the dialog";
    EXPECT_TRUE(window()->grab().save(VESPIAN_BUILD_DIR "/calibration_live_window.png"));
}

TEST_F(SurfaceRoadTest, AMeasuredPeakBeforeAnyCalibrationIsRefusedAndDropped) {
    begin();
    mode(kCmdStartMeasurement);
    appendPeak(4.0f);
    const std::vector<std::string> texts = prompts.texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), kCalibrateFirstText), texts.end());
    EXPECT_EQ(state().peaks->count, 0);
    EXPECT_EQ(slot().point_count, 0);
}

TEST_F(SurfaceRoadTest, TheCalibrationCloseBoxStoresNothingAndTheNextPeakOpensItAgain) {
    begin();
    window()->dispatch(kCmdCalibration);  // the menu's "标定吸附量"
    ASSERT_EQ(state().measurement.measureMode(), MeasureMode::Calibrating);
    int opened = 0;
    onModal("标定吸附量", [&](QDialog& dialog) {
        ++opened;
        dialog.reject();
    });
    appendPeak(5.0f);
    ASSERT_EQ(opened, 1);
    EXPECT_EQ(slot().calib_count, 0);
    EXPECT_EQ(state().peaks->count, 0);
    auto calibrationRows = [&] { return testing::auditRows(*state().archiving.archive(), {"标定吸附量"}); };
    EXPECT_TRUE(calibrationRows().empty()) << "nothing stored, nothing audited";

    onModal("标定吸附量", [&](QDialog& dialog) {
        ++opened;
        setField(dialog, "volumeEdit", "-1");  // refused: the dialog stays
        press(dialog, "okButton");
        EXPECT_TRUE(dialog.isVisible());
        setField(dialog, "volumeEdit", "2.5");
        press(dialog, "okButton");
    });
    appendPeak(5.0f);
    ASSERT_EQ(opened, 2);
    EXPECT_EQ(slot().calib_count, 1);
    EXPECT_EQ(slot().calib_volume_ml, 2.5f);
    // The stored calibration is one audit row, from no calibration to this one.
    const std::vector<AuditRow> rows = calibrationRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NE(rows[0].entry.oldValue.find("\"calibrations\":0"), std::string::npos) << rows[0].entry.oldValue;
    EXPECT_NE(rows[0].entry.newValue.find("\"loop_ml\":2.5,"), std::string::npos) << rows[0].entry.newValue;
    EXPECT_NE(rows[0].entry.newValue.find("\"calibrations\":1"), std::string::npos);
    const std::vector<std::string> texts = prompts.texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), kLoopVolumeText), texts.end());
}

TEST_F(SurfaceRoadTest, TheOpenFlagIsTold) {
    begin();
    std::vector<bool> told;
    program->surface()->setDialogOpenListener([&](bool open) { told.push_back(open); });
    mode(kCmdCalibration);
    onModal("标定吸附量", [&](QDialog& dialog) { press(dialog, "okButton"); });
    appendPeak(5.0f);
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
}

// The quantitative-peak window's "存为标样/样品": the stored records appear in the lists.
TEST_F(SurfaceRoadTest, ARecognisedPeakIsStoredAsAStandardThenAsASample) {
    begin();
    auto peak = std::make_unique<PeakRecord>();
    peak->area = 20000;
    peak->storedPointCount = 30;
    for (int i = 0; i < 30; ++i) peak->points[i] = static_cast<float>(i < 15 ? i : 30 - i);
    onModal("保存为标样/样品", [](QDialog& dialog) {
        setField(dialog, "areaEdit", "100");
        press(dialog, "storeButton");
    });
    EXPECT_TRUE(program->surface()->openComparisonStore(*peak).stored);
    ASSERT_EQ(state().database->standards().count, 1);
    EXPECT_EQ(state().database->standards().records[0].surface_area, 100.0f);

    peak->area = 10000;
    onModal("保存为标样/样品", [](QDialog& dialog) { press(dialog, "storeButton"); });
    EXPECT_TRUE(program->surface()->openComparisonStore(*peak).stored);
    ASSERT_EQ(state().database->samples().count, 1);
    EXPECT_EQ(state().database->samples().records[0].surface_area, 50.0f);  // half the standard's peak

    // Cancelled: nothing stored.
    onModal("保存为标样/样品", [](QDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(program->surface()->openComparisonStore(*peak).stored);
    EXPECT_EQ(state().database->samples().count, 1);
}

// The running program's own hand-over: a peak recognised in the comparison method opens the
// quantitative-peak window, whose "存为标样/样品" keeps that peak in the record database.
TEST_F(SurfaceRoadTest, TheQuantWindowOfARecognisedPeakStoresItAsAStandard) {
    start(0.0001);
    prompts.clear();
    state().settings.sample.weightMg = 100.0f;
    copyGbkBytes(state().settings.sample.name, gbkFromUtf8("氧化铝"));
    window()->dispatch(kCmdComparisonMethod);
    mode(kCmdStartMeasurement);
    appendPeak(5.0f);
    QuantPeakWindow* quant = program->reports()->quantWindow();
    ASSERT_NE(quant, nullptr);
    auto* store = quant->findChild<QPushButton*>("storeButton");
    ASSERT_NE(store, nullptr);
    EXPECT_TRUE(store->isVisible());
    ASSERT_GT(state().peaks->count, 0);
    const int32_t area = state().peaks->records[state().peaks->count - 1].area;
    // One peak, one area in one unit: the window shows the recogniser's area, as the store
    // dialog does and as the record keeps it.
    const QString shown = QString::number(area) + " " + QString::fromUtf8(kPeakAreaUnit);
    EXPECT_EQ(quant->findChild<QLineEdit*>("areaEdit")->text() + " " + quant->findChild<QLabel*>("areaUnit")->text(),
              shown);
    // The store dialog opens over the modeless quantitative-peak window: look for it among the
    // top-level windows rather than as the application's active modal widget.
    QTimer::singleShot(50, [shown] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(w);
            if (dialog == nullptr || !dialog->isVisible() || dialog->windowTitle() != "保存为标样/样品") continue;
            EXPECT_EQ(dialog->findChild<QLabel*>("peakAreaLabel")->text(), "峰面积：" + shown);
            setField(*dialog, "areaEdit", "100");
            press(*dialog, "storeButton");
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the store dialog refused the entries";
                dialog->reject();
            }
            return;
        }
        ADD_FAILURE() << "the store dialog did not open";
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    store->click();
    ASSERT_EQ(state().database->standards().count, 1);
    EXPECT_EQ(state().database->standards().records[0].surface_area, 100.0f);
    EXPECT_EQ(state().database->standards().records[0].peak_area, area);
    quant->close();
}

TEST(RecognisedPeakPicture, DrawsTheStoredPointsAndSurvivesAFlatOrEmptyPeak) {
    auto peak = std::make_unique<PeakRecord>();
    const QImage empty = recognisedPeakPicture(*peak);
    EXPECT_EQ(empty.size(), QSize(384, 259));
    auto inked = [](const QImage& image) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
        }
        return n;
    };
    EXPECT_EQ(inked(empty), 0);
    peak->storedPointCount = 50;
    const QImage flat = recognisedPeakPicture(*peak);
    EXPECT_GT(inked(flat), 300);  // a line across
    for (int i = 0; i < 50; ++i) peak->points[i] = static_cast<float>(25 - std::abs(25 - i));
    const QImage shaped = recognisedPeakPicture(*peak);
    // The top of the peak reaches the picture's upper part, the ends its lower part.
    bool topInked = false;
    for (int x = 150; x < 234; ++x) topInked = topInked || shaped.pixel(x, 12) != qRgb(255, 255, 255);
    EXPECT_TRUE(topInked);
    EXPECT_NE(shaped.pixel(10, 249), qRgb(255, 255, 255));
    peak->storedPointCount = 1e9f;  // a damaged count reads no further than the record
    EXPECT_EQ(recognisedPeakPicture(*peak).size(), QSize(384, 259));
}

}  // namespace
}  // namespace vespian
