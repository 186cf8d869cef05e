#include "analysis/bet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "files/record_database.h"
#include "platform/gbk_text.h"
#include "analysis/calibration.h"
#include "trace/peak_table.h"

namespace vespian {
namespace {

// Worked example values, computed by hand (and checked with a desk calculator in float32 /
// double as the record stores them): T = 15 ℃, Pads = 101.3 kPa, Po = 103.0 kPa, 100 mg.
constexpr double kTolerance = 2e-5;  // relative

void expectNear(double actual, double expected) { EXPECT_NEAR(actual, expected, std::fabs(expected) * kTolerance); }

SampleIdentity sampleOf(float weightMg) {
    SampleIdentity sample;
    sample.weightMg = weightMg;
    return sample;
}

class BetTest : public ::testing::Test {
protected:
    BetTest() : db(std::make_unique<RecordDatabase>()), reports(db->reports()) {}

    SurfaceReportRecord& slot() { return reports.records[reports.count]; }

    // A record with the given measured volumes (ml) and N2/He flows, conditions as above.
    void points(std::initializer_list<float> volumes, std::initializer_list<float> n2,
                std::initializer_list<float> he) {
        SurfaceReportRecord& r = slot();
        r.n2_temp_c = 15.0f;
        r.ads_pressure_kpa = 101.3f;
        r.p0_kpa = 103.0f;
        r.weight_mg = 100.0f;
        int i = 0;
        for (float v : volumes) r.volume[i++] = v;
        r.point_count = i;
        r.calib_count = i;
        for (int k = 0; k < i; ++k) r.calib_area[k] = 30000;
        i = 0;
        for (float f : n2) r.n2_flow[i++] = f;
        i = 0;
        for (float f : he) r.he_flow[i++] = f;
    }

    void threePoints() { points({0.8f, 1.0f, 1.15f}, {5, 10, 15}, {45, 40, 35}); }

    std::unique_ptr<RecordDatabase> db;
    ReportTable& reports;
    BetRawVolumes raw;
    PeakTable peaks;
};

TEST_F(BetTest, WorkedExampleFromCalibrationToOnePointReport) {
    // Calibration: loop 3.0 ml, calibration peak 30000; N2 10 and He 40 ml/min.
    const CalibrationOpening opening = openCalibration(reports, 30000, BetCalibrationDefaults{});
    ASSERT_TRUE(opening.open);
    EXPECT_EQ(opening.texts.volume, "3.00");
    CalibrationAccept accepted =
        acceptCalibration(reports, peaks, 30000, {"3.0", "10", "40", "103.0", "15", "101.3"});
    ASSERT_TRUE(accepted.close);

    // The BET peak of area 10000: 1.000 ml measured.
    ASSERT_TRUE(acceptBetPeak(reports).openPointDialog);
    const BetPointTexts texts = beginBetPoint(reports, 10000);
    EXPECT_EQ(texts.volume, "1.00");
    EXPECT_EQ(slot().volume[0], 1.0f);
    EXPECT_TRUE(closeBetPoint(reports, peaks, BetPointClose::Finish));
    EXPECT_EQ(slot().point_count, 1);

    slot().weight_mg = 100.0f;
    ComputeBet(slot(), raw, true);
    expectNear(slot().volume[0], 9.479167);        // ml/g at 273 K, 101.3 kPa
    expectNear(slot().rel_pressure[0], 0.196699);  // 0.2 × 101.3 / 103
    expectNear(slot().bet_y[0], 0.0258317);
    // One point: the line through the origin.
    expectNear(slot().slope, 0.1313262);
    EXPECT_EQ(slot().intercept, 0.0f);
    EXPECT_EQ(slot().correlation, 1.0f);
    EXPECT_EQ(slot().pair_first, 0);
    EXPECT_EQ(slot().pair_second, 0);
    expectNear(slot().bet_area, 4.36 * 0.196699 / 0.0258317);
    EXPECT_EQ(raw.volume[0], 1.0f);
}

TEST_F(BetTest, TwoPointsDrawTheLineThroughBoth) {
    points({0.8f, 1.0f}, {5, 10}, {45, 40});
    slot().pair_first = 5;  // whatever was there before
    ComputeBet(slot(), raw, true);
    EXPECT_EQ(slot().pair_first, 0);
    EXPECT_EQ(slot().pair_second, 1);
    EXPECT_EQ(slot().correlation, 1.0f);
    expectNear(slot().slope, 0.1164005);
    expectNear(slot().intercept, 0.00293587);
    // The line meets both points.
    expectNear(slot().intercept + slot().slope * slot().rel_pressure[1], slot().bet_y[1]);
}

TEST_F(BetTest, ThreePointsUseTheMiddlePairAndCorrelateAll) {
    threePoints();
    ComputeBet(slot(), raw, true);
    EXPECT_EQ(slot().pair_first, 0);  // 3 / 2 − 1
    EXPECT_EQ(slot().pair_second, 1);
    expectNear(slot().volume[2], 10.901041);
    expectNear(slot().rel_pressure[2], 0.2950486);
    expectNear(slot().bet_y[2], 0.0383943);
    expectNear(slot().slope, 0.1164005);
    expectNear(slot().intercept, 0.00293587);
    expectNear(slot().correlation, 0.999641);
    expectNear(slot().bet_area, 36.53537);
}

TEST_F(BetTest, DefaultPairsOfFiveAndSevenPoints) {
    points({0.5f, 0.6f, 0.7f, 0.8f, 0.9f}, {2, 4, 6, 8, 10}, {48, 46, 44, 42, 40});
    ComputeBet(slot(), raw, true);
    EXPECT_EQ(slot().pair_first, 1);
    EXPECT_EQ(slot().pair_second, 2);
    points({0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f, 1.1f}, {2, 4, 6, 8, 10, 12, 14}, {48, 46, 44, 42, 40, 38, 36});
    ComputeBet(slot(), raw, true);
    EXPECT_EQ(slot().pair_first, 2);
    EXPECT_EQ(slot().pair_second, 3);
    // The line goes through points 2 and 3.
    expectNear(slot().intercept + slot().slope * slot().rel_pressure[2], slot().bet_y[2]);
    expectNear(slot().intercept + slot().slope * slot().rel_pressure[3], slot().bet_y[3]);
}

TEST_F(BetTest, AnotherPairChangesTheLineButNotTheCorrelation) {
    threePoints();
    ComputeBet(slot(), raw, true);
    const float correlation = slot().correlation;
    slot().pair_first = 0;
    slot().pair_second = 2;
    ComputeBet(slot(), raw, false);
    EXPECT_EQ(slot().correlation, correlation);
    expectNear(slot().slope, 0.1220670);
    expectNear(slot().intercept, 0.00237858);
    expectNear(slot().bet_area, 35.03541);
    // The volumes were normalised once, from the raw values, not twice.
    expectNear(slot().volume[0], 7.583333);
}

TEST_F(BetTest, DoublingTheWeightHalvesVolumesAndAreaAndBackExactly) {
    threePoints();
    BetReportSession session(reports, raw);
    SampleIdentity sample;
    sample.weightMg = 100.0f;
    ASSERT_TRUE(session.open(sample));
    const SurfaceReportRecord before = slot();

    EXPECT_TRUE(session.weightEdited("200"));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(slot().volume[i], before.volume[i] / 2) << i;
        EXPECT_EQ(slot().bet_y[i], before.bet_y[i] * 2) << i;
        EXPECT_EQ(slot().rel_pressure[i], before.rel_pressure[i]) << i;
    }
    EXPECT_EQ(slot().bet_area, before.bet_area / 2);
    expectNear(slot().bet_area, 18.26768);

    // The same text again recomputes nothing; back to 100 restores every value.
    EXPECT_FALSE(session.weightEdited("200.0"));
    EXPECT_TRUE(session.weightEdited("100"));
    EXPECT_EQ(std::memcmp(&slot(), &before, sizeof before), 0);
}

TEST_F(BetTest, ReportSessionOpensCommitsAndAbandons) {
    threePoints();
    reports.count = 4;  // the record under construction is slot 4
    reports.records[4] = reports.records[0];
    BetReportSession session(reports, raw);
    SampleIdentity sample;
    sample.weightMg = 250.0f;
    sample.name = gbkFromUtf8("氧化铝");
    sample.sendingCompany = gbkFromUtf8("化工所");
    sample.reviewer = gbkFromUtf8("王工");
    sample.sender = gbkFromUtf8("李");
    sample.measuringCompany = gbkFromUtf8("测试中心");
    ASSERT_TRUE(session.open(sample));
    EXPECT_EQ(session.index(), 4);
    EXPECT_EQ(session.weightText(), "250.0");
    EXPECT_EQ(session.nameText(), "氧化铝");
    EXPECT_TRUE(session.pairsEnabled());
    EXPECT_EQ(session.pairChoices(), (std::vector<std::string>{"1", "2", "3"}));

    session.nameEdited("一个很长很长很长很长的样品名称");
    EXPECT_EQ(session.nameText(), "一个很长很长很长很");  // 18 of at most 19 bytes

    session.pairChosen(1, 2);
    EXPECT_EQ(session.record().pair_first, 1);

    BetCalibrationDefaults defaults;
    slot().calib_volume_ml = 2.5f;
    sample.measurer = gbkFromUtf8("张");
    sample.sampleDate[0] = 2024;
    sample.sampleDate[1] = 3;
    sample.sampleDate[2] = 9;
    const BetCommitResult committed = session.commit(sample, defaults, CalendarDate{2024, 3, 11});
    ASSERT_TRUE(committed.committed);
    EXPECT_EQ(reports.count, 5);
    const SurfaceReportRecord& r = reports.records[4];
    EXPECT_EQ(r.number, 5);
    EXPECT_EQ(r.in_use, 1);
    EXPECT_EQ(readGbkField(r.sending_company), "化工所");
    EXPECT_EQ(readGbkField(r.reviewer), "王工");
    EXPECT_EQ(readGbkField(r.sender), "李");
    EXPECT_EQ(readGbkField(r.measuring_company), "测试中心");
    EXPECT_EQ(readGbkField(r.measurer), "张");
    EXPECT_EQ(r.sample_year * 10000 + r.sample_month * 100 + r.sample_day, 20240309);
    EXPECT_EQ(r.measured_year * 10000 + r.measured_month * 100 + r.measured_day, 20240311);
    EXPECT_EQ(defaults.loopVolumeMl, 2.5f);
    EXPECT_EQ(defaults.n2TemperatureC, 15.0f);
    EXPECT_EQ(defaults.adsorptionPressureKpa, 101.3f);
    EXPECT_EQ(defaults.saturatedPressureKpa, 103.0f);
}

// A cleared weight field: the results follow it (to no finite value), and the report is not
// committed until a weight is typed, then with the results of that weight.
TEST_F(BetTest, AClearedWeightIsRecomputedAndRefusedAtCommit) {
    threePoints();
    BetReportSession session(reports, raw);
    ASSERT_TRUE(session.open(sampleOf(100.0f)));
    const float areaAt100 = slot().bet_area;
    EXPECT_TRUE(session.weightEdited(""));
    EXPECT_EQ(slot().weight_mg, 0.0f);
    EXPECT_NE(slot().bet_area, areaAt100);
    BetCalibrationDefaults defaults;
    const BetCommitResult refused = session.commit(SampleIdentity{}, defaults, CalendarDate{});
    EXPECT_FALSE(refused.committed);
    EXPECT_EQ(refused.message.text, kSampleWeightText);
    EXPECT_EQ(reports.count, 0);

    EXPECT_TRUE(session.weightEdited("200"));
    ASSERT_TRUE(session.commit(SampleIdentity{}, defaults, CalendarDate{}).committed);
    EXPECT_EQ(reports.records[0].weight_mg, 200.0f);
    EXPECT_EQ(reports.records[0].bet_area, areaAt100 / 2);
}

// Calibrating one point twice counts two calibrations, but the next point still has none.
TEST_F(BetTest, ARepeatedCalibrationDoesNotCalibrateTheNextPoint) {
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(acceptCalibration(reports, peaks, 30000, {"3", "10", "40", "103", "15", "101.3"}).close);
    }
    EXPECT_EQ(slot().calib_count, 2);
    ASSERT_TRUE(acceptBetPeak(reports).openPointDialog);
    ASSERT_TRUE(beginBetPoint(reports, 10000).opened);
    closeBetPoint(reports, peaks, BetPointClose::Continue);
    const BetPeakDecision second = acceptBetPeak(reports);
    EXPECT_FALSE(second.openPointDialog);
    EXPECT_EQ(second.message.text, kCalibrateFirstText);
    EXPECT_FALSE(beginBetPoint(reports, 10000).opened);
    EXPECT_EQ(slot().peak_area[1], 0) << "a refused point is left as it was";
}

TEST_F(BetTest, FewerThanThreePointsDisableThePairLists) {
    points({0.8f, 1.0f}, {5, 10}, {45, 40});
    BetReportSession session(reports, raw);
    ASSERT_TRUE(session.open(sampleOf(100.0f)));
    EXPECT_FALSE(session.pairsEnabled());
}

TEST_F(BetTest, AbandonAfterThreePointsKeepsTheCalibrations) {
    threePoints();
    BetReportSession session(reports, raw);
    ASSERT_TRUE(session.open(sampleOf(100.0f)));
    session.abandon();
    EXPECT_EQ(slot().point_count, 0);
    EXPECT_EQ(slot().calib_count, 3);
    EXPECT_EQ(reports.count, 0);
    // The next peak at the same slot needs no new calibration.
    EXPECT_TRUE(acceptBetPeak(reports).openPointDialog);
}

TEST_F(BetTest, PeakWithoutCalibrationAsksForOne) {
    const BetPeakDecision decision = acceptBetPeak(reports);
    EXPECT_FALSE(decision.openPointDialog);
    EXPECT_EQ(decision.message.text, "请先标定吸附量！！！");
    EXPECT_EQ(decision.message.caption, "提示");
    EXPECT_EQ(decision.message.icon, PromptIcon::Information);
    slot().calib_count = 2;
    slot().point_count = 2;
    EXPECT_FALSE(acceptBetPeak(reports).openPointDialog);
}

TEST_F(BetTest, AnEleventhPointIsRefused) {
    points({1, 1, 1, 1, 1, 1, 1, 1, 1}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {40, 40, 40, 40, 40, 40, 40, 40, 40});
    slot().calib_count = 10;
    slot().calib_area[9] = 100;
    ASSERT_TRUE(acceptBetPeak(reports).openPointDialog);
    const BetPointTexts tenth = beginBetPoint(reports, 50);
    EXPECT_FALSE(tenth.canContinue);  // the tenth point can only finish the report
    EXPECT_TRUE(closeBetPoint(reports, peaks, BetPointClose::Finish));
    EXPECT_EQ(slot().point_count, 10);
    slot().calib_count = 11;
    const BetPeakDecision eleventh = acceptBetPeak(reports);
    EXPECT_FALSE(eleventh.openPointDialog);
    EXPECT_EQ(eleventh.message.text, kBetPointsFullText);
    // A closing that is not "完成" or "继续>>" never counts past ten either.
    EXPECT_FALSE(closeBetPoint(reports, peaks, BetPointClose::Continue));
    EXPECT_EQ(slot().point_count, 10);
}

TEST_F(BetTest, FullReportTableRefusesPeaksAndCommits) {
    reports.count = kReportCapacity;
    const BetPeakDecision decision = acceptBetPeak(reports);
    EXPECT_FALSE(decision.openPointDialog);
    EXPECT_EQ(decision.message.text, "当前库已存数据,请“新建”或“打开”另一个库文件");
    EXPECT_EQ(decision.message.caption, "错误");
    BetReportSession session(reports, raw);
    EXPECT_FALSE(session.open(SampleIdentity{}));

    // A session opened on the last slot commits; one whose slot has been taken meanwhile
    // gets the full-table message.
    reports.count = kReportCapacity - 1;
    ASSERT_TRUE(session.open(sampleOf(10.0f)));
    BetCalibrationDefaults defaults;
    reports.count = kReportCapacity;
    const BetCommitResult late = session.commit(SampleIdentity{}, defaults, CalendarDate{});
    EXPECT_FALSE(late.committed);
    EXPECT_EQ(late.message.text, kDatabaseFullText);
    EXPECT_EQ(reports.count, kReportCapacity);
}

TEST_F(BetTest, PointDialogShowsThePointAndEveryCloseEmptiesThePeakTable) {
    slot().calib_count = 1;
    slot().calib_volume_ml = 3.0f;
    slot().calib_area[0] = 30000;
    slot().n2_flow[0] = 10;
    slot().he_flow[0] = 40;
    slot().p0_kpa = 103;
    slot().n2_temp_c = 15;
    slot().ads_pressure_kpa = 101.3f;
    reports.count = 0;
    const BetPointTexts texts = beginBetPoint(reports, 12345);
    EXPECT_EQ(texts.number, "1");
    EXPECT_EQ(texts.peakArea, "12345");
    EXPECT_EQ(texts.volume, "1.23");
    EXPECT_EQ(texts.n2Flow, "10.00");
    EXPECT_EQ(texts.heFlow, "40.00");
    EXPECT_EQ(texts.p0, "103.00");
    EXPECT_EQ(texts.n2Temperature, "15.00");
    EXPECT_EQ(texts.adsorptionPressure, "101.30");
    EXPECT_EQ(slot().peak_area[0], 12345);

    peaks.count = 3;
    EXPECT_FALSE(closeBetPoint(reports, peaks, BetPointClose::Cancel));
    EXPECT_EQ(peaks.count, 0);
    EXPECT_EQ(slot().point_count, 0);  // the next peak overwrites slot 0
    peaks.count = 1;
    EXPECT_FALSE(closeBetPoint(reports, peaks, BetPointClose::Continue));
    EXPECT_EQ(peaks.count, 0);
    EXPECT_EQ(slot().point_count, 1);
}

TEST_F(BetTest, DegenerateInputsGiveNoValueInsteadOfInfOrNan) {
    // Zero weight: infinite volumes.
    threePoints();
    slot().weight_mg = 0.0f;
    ComputeBet(slot(), raw, true);
    EXPECT_FALSE(std::isfinite(slot().volume[0]));
    EXPECT_EQ(betAreaText(slot()), "—");

    // Zero flows: no N2 fraction.
    threePoints();
    slot().n2_flow[0] = 0;
    slot().he_flow[0] = 0;
    ComputeBet(slot(), raw, true);
    EXPECT_TRUE(std::isnan(slot().rel_pressure[0]));

    // A pair with equal P/Po.
    threePoints();
    slot().n2_flow[1] = 5;
    slot().he_flow[1] = 45;
    ComputeBet(slot(), raw, true);
    EXPECT_FALSE(std::isfinite(slot().slope));
    EXPECT_EQ(betAreaText(slot()), "—");
    threePoints();
    ComputeBet(slot(), raw, true);
    EXPECT_EQ(betAreaText(slot()), "36.535");
    EXPECT_EQ(betAreaText(slot(), "%.2f m2/g"), "36.54 m2/g");
}

TEST_F(BetTest, StoredPairOutsideThePointsFallsBackToTheMiddlePair) {
    threePoints();
    ComputeBet(slot(), raw, true);
    slot().pair_first = 7;
    slot().pair_second = -1;
    ComputeBet(slot(), raw, false);
    EXPECT_EQ(slot().pair_first, 0);
    EXPECT_EQ(slot().pair_second, 1);
    // A pore report's point count beyond ten never reads past the arrays.
    slot().point_count = 150;
    EXPECT_EQ(betPointCount(slot()), 10);
    ComputeBet(slot(), raw, false);
}

}  // namespace
}  // namespace vespian
