// The surface-area dialogs on the offscreen platform: they carry out the core rules (trace/
// calibration.h, analysis/bet.h, analysis/comparison.h, analysis/pore.h) and show their texts.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>
#include <memory>

#include "analysis/desktop/bet_point_dialog.h"
#include "analysis/desktop/bet_report_dialog.h"
#include "analysis/desktop/comparison_details_dialog.h"
#include "analysis/desktop/comparison_store_dialog.h"
#include "analysis/desktop/pore_dialogs.h"
#include "files/desktop/database_delete.h"
#include "files/desktop/database_save_dialog.h"
#include "platform/gbk_text.h"
#include "print/desktop/print_settings_dialog.h"
#include "desktop/find_child.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "analysis/desktop/calibration_dialog.h"
#include "trace/peak_table.h"

namespace vespian {
namespace {

using testing::ScriptedPrompts;

using testing::child;

QString text(const QWidget& parent, const char* name) { return child<QLineEdit>(parent, name)->text(); }

class SurfaceDialogsTest : public ::testing::Test {
protected:
    SurfaceDialogsTest() : peaks(std::make_unique<PeakTable>()) {}

    ReportTable& reports() { return db->reports(); }
    SurfaceReportRecord& slot() { return reports().records[reports().count]; }

    // Three measured points with their calibrations, as the point dialog leaves them.
    void threePoints() {
        SurfaceReportRecord& r = slot();
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
    }

    std::unique_ptr<RecordDatabase> db = std::make_unique<RecordDatabase>();
    std::unique_ptr<PeakTable> peaks;
    ScriptedPrompts prompts;
};

TEST_F(SurfaceDialogsTest, CalibrationDialogRefusesABadLoopVolumeAndStoresAGoodOne) {
    peaks->count = 1;
    peaks->records[0].area = 30000;
    const CalibrationOpening opening = openCalibration(reports(), 30000, BetCalibrationDefaults{});
    CalibrationDialog dialog(nullptr, reports(), *peaks, opening.texts, prompts, QImage());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "标定吸附量");
    EXPECT_EQ(text(dialog, "numberEdit"), "1");
    EXPECT_EQ(text(dialog, "peakAreaEdit"), "30000");
    EXPECT_EQ(text(dialog, "volumeEdit"), "3.00");
    EXPECT_EQ(text(dialog, "p0Edit"), "103.00");
    EXPECT_TRUE(child<QLineEdit>(dialog, "peakAreaEdit")->isReadOnly());

    child<QLineEdit>(dialog, "volumeEdit")->setText("0");
    child<QPushButton>(dialog, "okButton")->click();
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"请输入一个正确的定量管体积!"});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(slot().calib_count, 0);

    child<QLineEdit>(dialog, "volumeEdit")->setText("2.5");
    child<QLineEdit>(dialog, "n2FlowEdit")->setText("10");
    child<QLineEdit>(dialog, "heFlowEdit")->setText("40");
    child<QPushButton>(dialog, "okButton")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(slot().calib_count, 1);
    EXPECT_EQ(slot().calib_volume_ml, 2.5f);
    EXPECT_EQ(slot().n2_flow[0], 10.0f);
    EXPECT_EQ(slot().calib_area[0], 30000);
    EXPECT_EQ(peaks->count, 0);
}

TEST_F(SurfaceDialogsTest, CalibrationCloseBoxStoresNothingButEmptiesThePeakTable) {
    peaks->count = 2;
    CalibrationDialog dialog(nullptr, reports(), *peaks, CalibrationTexts{}, prompts, QImage());
    dialog.show();
    dialog.close();
    EXPECT_EQ(peaks->count, 0);
    EXPECT_EQ(slot().calib_count, 0);
}

// The display tick's hand-over asks the record first; should the dialog still be asked for a
// peak the record cannot take, it says why, writes no point, and the peak goes.
TEST_F(SurfaceDialogsTest, APeakTheRecordCannotTakeIsReportedAndDropped) {
    peaks->count = 1;
    peaks->records[0].area = 500;
    EXPECT_FALSE(BetPointDialog::run(nullptr, reports(), *peaks, prompts, QImage()));
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"请先标定吸附量！！！"});
    EXPECT_EQ(prompts.records()[0].caption, "提示");
    EXPECT_EQ(slot().peak_area[0], 0);
    EXPECT_EQ(peaks->count, 0);
}

TEST_F(SurfaceDialogsTest, PointDialogContinueAndFinish) {
    slot().calib_count = 1;
    slot().calib_volume_ml = 3.0f;
    slot().calib_area[0] = 30000;
    peaks->count = 1;
    BetPointTexts texts = beginBetPoint(reports(), 10000);
    {
        BetPointDialog dialog(nullptr, reports(), *peaks, texts, QImage());
        dialog.show();
        EXPECT_EQ(text(dialog, "volumeEdit"), "1.00");
        EXPECT_TRUE(child<QLineEdit>(dialog, "volumeEdit")->isReadOnly());
        child<QPushButton>(dialog, "continueButton")->click();
        EXPECT_EQ(dialog.result(), BetPointDialog::kContinue);
    }
    EXPECT_EQ(slot().point_count, 1);
    EXPECT_EQ(peaks->count, 0);

    texts.canContinue = false;  // the tenth point
    BetPointDialog last(nullptr, reports(), *peaks, texts, QImage());
    EXPECT_FALSE(child<QPushButton>(last, "continueButton")->isEnabled());
    child<QPushButton>(last, "finishButton")->click();
    EXPECT_EQ(last.result(), QDialog::Accepted);
    EXPECT_EQ(slot().point_count, 2);
}

TEST_F(SurfaceDialogsTest, ReportDialogRecomputesAndCommits) {
    threePoints();
    BetRawVolumes raw;
    SampleIdentity sample;
    sample.weightMg = 100.0f;
    sample.name = gbkFromUtf8("氧化铝");
    sample.sendingCompany = gbkFromUtf8("化工所");
    BetCalibrationDefaults defaults;
    BetReportDialog dialog(nullptr, reports(), raw, sample, defaults, prompts);
    dialog.show();
    QApplication::processEvents();
    ASSERT_TRUE(dialog.opened());
    EXPECT_EQ(text(dialog, "weightEdit"), "100.0");
    EXPECT_EQ(text(dialog, "nameEdit"), "氧化铝");
    auto* first = child<QComboBox>(dialog, "firstPointBox");
    auto* second = child<QComboBox>(dialog, "secondPointBox");
    EXPECT_TRUE(first->isEnabled());
    EXPECT_EQ(first->count(), 3);
    EXPECT_EQ(first->currentText(), "1");
    EXPECT_EQ(second->currentText(), "2");
    const float area = dialog.session().record().bet_area;

    child<QLineEdit>(dialog, "weightEdit")->setText("200");
    EXPECT_EQ(dialog.session().record().bet_area, area / 2);
    second->setCurrentIndex(2);
    EXPECT_EQ(dialog.session().record().pair_second, 2);
    EXPECT_NE(dialog.session().record().bet_area, area / 2);
    EXPECT_TRUE(dialog.grab().save(VESPIAN_BUILD_DIR "/bet_report_dialog.png"));

    child<QPushButton>(dialog, "commitButton")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(reports().count, 1);
    EXPECT_EQ(reports().records[0].number, 1);
    EXPECT_EQ(reports().records[0].in_use, 1);
    EXPECT_EQ(readGbkField(reports().records[0].sending_company), "化工所");
    EXPECT_EQ(defaults.loopVolumeMl, 3.0f);
}

TEST_F(SurfaceDialogsTest, ReportDialogAbandonKeepsTheCalibrations) {
    threePoints();
    BetRawVolumes raw;
    SampleIdentity sample;
    sample.weightMg = 50.0f;
    BetCalibrationDefaults defaults;
    BetReportDialog dialog(nullptr, reports(), raw, sample, defaults, prompts);
    dialog.show();
    child<QPushButton>(dialog, "abandonButton")->click();
    EXPECT_EQ(reports().count, 0);
    EXPECT_EQ(slot().point_count, 0);
    EXPECT_EQ(slot().calib_count, 3);
}

TEST_F(SurfaceDialogsTest, DetailsDialogWalksTheSelectedSamples) {
    SampleTable& t = db->samples();
    t.count = 4;
    for (int i = 0; i < 4; ++i) {
        t.records[i].in_use = 1;
        t.records[i].number = 10 + i;
        t.records[i].trace[0] = 30;
        for (int k = 1; k < 30; ++k) t.records[i].trace[k] = float(k * 10);
    }
    t.records[1].selected = 1;
    t.records[3].selected = -1;
    SampleDetailsDialog dialog(nullptr, t);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "详细信息");
    EXPECT_EQ(dialog.size(), QSize(430, 480));
    for (const QWidget* w : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(dialog.rect().contains(w->geometry())) << w->objectName().toStdString();
    }
    EXPECT_EQ(text(dialog, "numberEdit"), "11");
    EXPECT_FALSE(child<QPushButton>(dialog, "previousButton")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(dialog, "nextButton")->isEnabled());
    EXPECT_TRUE(child<QPlainTextEdit>(dialog, "detailText")->toPlainText().startsWith(" 样品重量:"));
    child<QPushButton>(dialog, "nextButton")->click();
    EXPECT_EQ(text(dialog, "numberEdit"), "13");
    EXPECT_TRUE(child<QPushButton>(dialog, "previousButton")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(dialog, "nextButton")->isEnabled());
    // The trace of 29 points is drawn across the picture's shown part, from edge to edge.
    const QImage picture = dialog.picture();
    auto drawnIn = [&](int from, int to) {
        int dark = 0;
        for (int x = from; x < to; ++x) {
            for (int y = 0; y < 220; ++y) dark += qBlue(picture.pixel(x, y)) == 160 && qRed(picture.pixel(x, y)) == 0;
        }
        return dark;
    };
    EXPECT_GT(drawnIn(0, 10), 0);
    EXPECT_GT(drawnIn(310, 320), 0);
    EXPECT_TRUE(dialog.grab().save(VESPIAN_BUILD_DIR "/sample_details.png"));
    child<QLineEdit>(dialog, "numberEdit")->setText("99");
    child<QPushButton>(dialog, "okButton")->click();
    EXPECT_EQ(t.records[3].number, 99);
}

TEST_F(SurfaceDialogsTest, StoreDialogStoresAStandardThenASampleAgainstIt) {
    auto peak = std::make_unique<PeakRecord>();
    peak->area = 20000;
    SampleIdentity sample;
    sample.number = 7;
    sample.weightMg = 50.0f;
    sample.name = gbkFromUtf8("标样");
    {
        ComparisonStoreDialog dialog(nullptr, *db, *peak, sample, prompts, CalendarDate{2025, 1, 1});
        dialog.show();
        // No standard yet: only a standard can be stored.
        EXPECT_TRUE(child<QRadioButton>(dialog, "standardRadio")->isChecked());
        EXPECT_EQ(text(dialog, "numberEdit"), "7");
        EXPECT_EQ(text(dialog, "weightEdit"), "50.000");
        child<QLineEdit>(dialog, "areaEdit")->setText("100");
        child<QPushButton>(dialog, "storeButton")->click();
        EXPECT_TRUE(dialog.result().stored);
    }
    EXPECT_EQ(db->standards().count, 1);
    peak->area = 10000;
    sample.weightMg = 100.0f;
    ComparisonStoreDialog dialog(nullptr, *db, *peak, sample, prompts, CalendarDate{2025, 1, 1});
    dialog.show();
    EXPECT_TRUE(child<QRadioButton>(dialog, "sampleRadio")->isChecked());
    EXPECT_EQ(child<QComboBox>(dialog, "standardBox")->count(), 1);
    EXPECT_EQ(child<QLabel>(dialog, "areaPreview")->text(), "25.000");
    child<QLineEdit>(dialog, "weightEdit")->setText("50");
    EXPECT_EQ(child<QLabel>(dialog, "areaPreview")->text(), "50.000");
    child<QPushButton>(dialog, "storeButton")->click();
    EXPECT_EQ(db->samples().count, 1);
    EXPECT_EQ(db->samples().records[0].surface_area, 50.0f);
    EXPECT_EQ(prompts.texts().back(), "样品已保存,其比表面积为：50.000 m2/g.");
}

TEST_F(SurfaceDialogsTest, PoreReportDialogAndFullTable) {
    auto* pore = static_cast<PoreTable*>(std::calloc(1, sizeof(PoreTable)));
    SampleIdentity sample;
    sample.number = 12;
    {
        PoreReportDialog dialog(nullptr, reports(), *pore, sample, prompts, CalendarDate{2025, 3, 4});
        dialog.show();
        EXPECT_EQ(text(dialog, "numberEdit"), "12");
        child<QLineEdit>(dialog, "numberEdit")->setText("21");
        child<QPushButton>(dialog, "okButton")->click();
    }
    EXPECT_EQ(reports().count, 1);
    EXPECT_EQ(reports().records[0].number, 21);
    EXPECT_EQ(prompts.texts().back(), "孔径报告已生成,其编号为：21.");
    reports().count = kReportCapacity;
    EXPECT_FALSE(PoreReportDialog::run(nullptr, reports(), *pore, sample, prompts, CalendarDate{}));
    EXPECT_EQ(prompts.texts().back(), kDatabaseFullText);

    // "孔径数据属性" is for reading: every field read-only, the pressures, flows and the
    // dead-volume list disabled; "确定" leaves the point as measured, unrounded.
    pore->count = 1;
    pore->weight[0] = 5.004f;
    pore->poreSize[0] = 20.04f;
    {
        PorePointDialog point(nullptr, *pore, 0);
        point.show();
        EXPECT_EQ(text(point, "weightEdit"), "5.00");
        for (const QLineEdit* edit : point.findChildren<QLineEdit*>()) {
            EXPECT_TRUE(edit->isReadOnly()) << edit->objectName().toStdString();
        }
        for (const char* name : {"atmosphericPressureEdit", "saturatedPressureEdit", "n2FlowEdit", "mixedFlowEdit"}) {
            EXPECT_FALSE(child<QLineEdit>(point, name)->isEnabled()) << name;
        }
        EXPECT_TRUE(child<QLineEdit>(point, "weightEdit")->isEnabled());
        EXPECT_FALSE(child<QComboBox>(point, "deadVolumeList")->isEnabled());
        EXPECT_TRUE(point.grab().save(VESPIAN_BUILD_DIR "/pore_point_dialog.png"));
        child<QPushButton>(point, "okButton")->click();
    }
    EXPECT_EQ(pore->weight[0], 5.004f);
    EXPECT_EQ(pore->poreSize[0], 20.04f);
    std::free(pore);
}

TEST_F(SurfaceDialogsTest, SaveDialogWritesOnItsFirstTickAndCloses) {
    testing::TestFolder folder("save_dialog");
    reports().count = 2;
    const std::string path = folder.file("lab.03D");
    const DatabaseFileResult saved = DatabaseSaveDialog::save(nullptr, *db, path);
    EXPECT_TRUE(saved.ok) << saved.message;
    EXPECT_EQ(std::filesystem::file_size(path), databaseFileBytes(0, 0, 2));

    DatabaseSaveDialog dialog(nullptr, *db, folder.path().string());
    EXPECT_EQ(dialog.windowTitle(), "数据存盘");
    EXPECT_EQ(dialog.barValue(), 1);
    dialog.exec();
    EXPECT_FALSE(dialog.result().ok);
    EXPECT_EQ(dialog.result().message, kDatabaseSaveFailedText);

    // The exit flow with the dialog as its saver.
    DatabaseName name = databaseNamed(path);
    DatabaseSession session{*db, name, folder.path().string(), folder.file("Database.ini"), prompts,
                            DatabaseSaveDialog::saver(nullptr, *db)};
    reports().count = 3;
    EXPECT_EQ(saveAtExit(session), LeaveDecision::Proceed);
    EXPECT_EQ(std::filesystem::file_size(path), databaseFileBytes(0, 0, 3));
}

TEST_F(SurfaceDialogsTest, DeleteSelectedAsksAndShowsProgress) {
    StandardTable& t = db->standards();
    t.count = 5;
    for (int i = 0; i < 5; ++i) {
        t.records[i].in_use = 1;
        t.records[i].number = i;
    }
    t.records[2].selected = 1;
    t.records[3].selected = 1;
    prompts.answerNo();
    EXPECT_EQ(deleteSelectedAsked(nullptr, prompts, *db, RecordList::Standards, false), 0);
    EXPECT_EQ(t.count, 5);
    prompts.answerYes();
    EXPECT_EQ(deleteSelectedAsked(nullptr, prompts, *db, RecordList::Standards, false), 2);
    EXPECT_EQ(t.count, 3);
    EXPECT_EQ(t.records[2].number, 4);
    EXPECT_EQ(prompts.records()[0].caption, "删除选择数据");
    EXPECT_EQ(prompts.texts()[0], "所有选择的数据将要被删除,您确定吗?");
    prompts.answerYes();
    EXPECT_TRUE(deleteAllAsked(prompts, *db, RecordList::Standards));
    EXPECT_EQ(t.count, 0);
    EXPECT_EQ(prompts.texts().back(), "所有数据将要被删除,您确定吗?");
}

TEST_F(SurfaceDialogsTest, PrintSettingsKeepTheHeaderOnOkOnly) {
    PrintSettings settings;
    settings.header = "旧标头";
    {
        PrintSettingsDialog dialog(nullptr, settings);
        EXPECT_EQ(dialog.windowTitle(), "打印设置");
        EXPECT_EQ(text(dialog, "headerEdit"), "旧标头");
        child<QLineEdit>(dialog, "headerEdit")->setText("新标头");
        child<QPushButton>(dialog, "cancelButton")->click();
    }
    EXPECT_EQ(settings.header, "旧标头");
    EXPECT_FALSE(settings.confirmed);
    PrintSettingsDialog dialog(nullptr, settings);
    child<QLineEdit>(dialog, "headerEdit")->setText("新标头");
    child<QPushButton>(dialog, "okButton")->click();
    EXPECT_EQ(settings.header, "新标头");
    EXPECT_TRUE(settings.confirmed);
}

}  // namespace
}  // namespace vespian
