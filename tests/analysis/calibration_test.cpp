#include "analysis/calibration.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "trace/peak_table.h"

namespace vespian {
namespace {

class CalibrationTest : public ::testing::Test {
protected:
    CalibrationTest() : reports(*static_cast<ReportTable*>(std::calloc(1, sizeof(ReportTable)))) {}
    ~CalibrationTest() override { std::free(&reports); }

    SurfaceReportRecord& slot() { return reports.records[reports.count]; }

    ReportTable& reports;
    PeakTable peaks;
    BetCalibrationDefaults defaults{2.0f, 20.0f, 100.0f, 102.0f};
    CalibrationEntries entries{"3.0", "10", "40", "103.0", "15", "101.3"};
};

TEST_F(CalibrationTest, FirstCalibrationStartsFromTheDefaults) {
    reports.count = 6;
    const CalibrationOpening opening = openCalibration(reports, 30000, defaults);
    ASSERT_TRUE(opening.open);
    EXPECT_EQ(opening.texts.number, "7");
    EXPECT_EQ(opening.texts.peakArea, "30000");
    EXPECT_EQ(opening.texts.volume, "2.00");
    EXPECT_EQ(opening.texts.n2Temperature, "20.00");
    EXPECT_EQ(opening.texts.adsorptionPressure, "100.00");
    EXPECT_EQ(opening.texts.p0, "102.00");
    EXPECT_EQ(opening.texts.n2Flow, "0.00");
    EXPECT_EQ(slot().calib_volume_ml, 2.0f);
    EXPECT_EQ(slot().p0_kpa, 102.0f);
}

TEST_F(CalibrationTest, LaterCalibrationsOfferTheRecordsValuesAndThePreviousFlows) {
    slot().calib_volume_ml = 3.0f;
    slot().p0_kpa = 103.0f;
    slot().point_count = 2;
    slot().n2_flow[1] = 12.5f;
    slot().he_flow[1] = 37.5f;
    const CalibrationOpening opening = openCalibration(reports, 100, defaults);
    EXPECT_EQ(opening.texts.volume, "3.00");
    EXPECT_EQ(opening.texts.p0, "103.00");
    EXPECT_EQ(opening.texts.n2Flow, "12.50");
    EXPECT_EQ(opening.texts.heFlow, "37.50");
}

TEST_F(CalibrationTest, AcceptStoresCalibrationKAndEmptiesThePeakTable) {
    slot().point_count = 1;
    peaks.count = 2;
    openCalibration(reports, 30000, defaults);
    const CalibrationAccept accepted = acceptCalibration(reports, peaks, 30000, entries);
    EXPECT_TRUE(accepted.close);
    EXPECT_TRUE(accepted.message.text.empty());
    EXPECT_EQ(peaks.count, 0);
    EXPECT_EQ(slot().calib_volume_ml, 3.0f);
    EXPECT_EQ(slot().n2_flow[1], 10.0f);
    EXPECT_EQ(slot().he_flow[1], 40.0f);
    EXPECT_EQ(slot().p0_kpa, 103.0f);
    EXPECT_EQ(slot().n2_temp_c, 15.0f);
    EXPECT_EQ(slot().ads_pressure_kpa, 101.3f);
    EXPECT_EQ(slot().calib_area[1], 30000);
    EXPECT_EQ(slot().calib_area[0], 0);
    EXPECT_EQ(slot().calib_count, 1);
    // A second calibration of the same point replaces it and counts again.
    acceptCalibration(reports, peaks, 31000, entries);
    EXPECT_EQ(slot().calib_area[1], 31000);
    EXPECT_EQ(slot().calib_count, 2);
}

TEST_F(CalibrationTest, LoopVolumeNotAboveZeroKeepsTheDialogOpenAndStoresNothing) {
    peaks.count = 1;
    for (const char* volume : {"0", "", "-3", "abc", "0.0"}) {
        entries.volume = volume;
        const CalibrationAccept refused = acceptCalibration(reports, peaks, 30000, entries);
        EXPECT_FALSE(refused.close) << volume;
        EXPECT_EQ(refused.message.text, "请输入一个正确的定量管体积!");
        EXPECT_EQ(refused.message.caption, "提示");
        EXPECT_EQ(refused.message.icon, PromptIcon::Error);
    }
    EXPECT_EQ(slot().calib_count, 0);
    EXPECT_EQ(slot().calib_area[0], 0);
    EXPECT_EQ(slot().n2_flow[0], 0.0f);
    EXPECT_EQ(peaks.count, 1);
}

TEST_F(CalibrationTest, CancelStoresNothingButEmptiesThePeakTable) {
    peaks.count = 4;
    openCalibration(reports, 30000, defaults);
    cancelCalibration(peaks);
    EXPECT_EQ(peaks.count, 0);
    EXPECT_EQ(slot().calib_count, 0);
}

TEST_F(CalibrationTest, EleventhCalibrationAndFullTableAreRefused) {
    slot().point_count = 10;
    const CalibrationOpening eleventh = openCalibration(reports, 1, defaults);
    EXPECT_FALSE(eleventh.open);
    EXPECT_EQ(eleventh.message.text, kCalibrationsFullText);
    peaks.count = 1;
    const CalibrationAccept accepted = acceptCalibration(reports, peaks, 1, entries);
    EXPECT_TRUE(accepted.close);
    EXPECT_EQ(peaks.count, 0);
    EXPECT_EQ(slot().calib_count, 0);

    reports.count = kReportCapacity;
    const CalibrationOpening full = openCalibration(reports, 1, defaults);
    EXPECT_FALSE(full.open);
    EXPECT_EQ(full.message.text, kDatabaseFullText);
    EXPECT_EQ(full.message.caption, "错误");
}

}  // namespace
}  // namespace vespian
