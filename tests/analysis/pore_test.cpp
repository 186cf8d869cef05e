#include "analysis/pore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <memory>

#include "analysis/bet.h"
#include "files/record_database.h"
#include "platform/gbk_text.h"
#include "support/scripted_prompts.h"

namespace vespian {
namespace {

class PoreTest : public ::testing::Test {
protected:
    PoreTest() : table(*static_cast<PoreTable*>(std::calloc(1, sizeof(PoreTable)))) {}
    ~PoreTest() override { std::free(&table); }

    // Three points at P/Po 0.5, 0.6, 0.7 with pore sizes 20, 30, 50 Å and 1.0, 1.5, 2.5 ml.
    void threePoints() {
        table.count = 3;
        const float p[] = {0.5f, 0.6f, 0.7f};
        const float r[] = {20, 30, 50};
        const float v[] = {1.0f, 1.5f, 2.5f};
        for (int i = 0; i < 3; ++i) {
            table.relativePressure[i] = p[i];
            table.poreSize[i] = r[i];
            table.adsorbed[i] = v[i];
            table.peakArea[i] = 1000 * (i + 1);
            table.trace[i][0] = 1;
            table.trace[i][1] = i;
        }
    }

    PoreTable& table;
    std::unique_ptr<RecordDatabase> db = std::make_unique<RecordDatabase>();
    SampleIdentity sample;
    CalendarDate today{2025, 2, 14};
};

TEST_F(PoreTest, ReportRightAfterStartHasNoPointsTodayAndTheTypedNumber) {
    sample.weightMg = 88.0f;
    sample.sendingCompany = gbkFromUtf8("材料所");
    sample.reviewer = gbkFromUtf8("审");
    sample.sampleDate[0] = 2024;
    const PoreReportResult result = createPoreReport(db->reports(), table, "-17", "孔径样品一号样品", sample, today);
    ASSERT_TRUE(result.created);
    EXPECT_EQ(result.message.text, "孔径报告已生成,其编号为：-17.");
    EXPECT_EQ(result.message.caption, "完成");
    EXPECT_EQ(result.message.icon, PromptIcon::Information);
    EXPECT_EQ(db->reports().count, 1);
    const SurfaceReportRecord& r = db->reports().records[0];
    EXPECT_EQ(r.number, -17);
    EXPECT_EQ(readGbkField(r.name), "孔径样品一号样");  // 14 bytes
    EXPECT_EQ(r.point_count, 0);
    EXPECT_EQ(r.measured_year, 2025);
    EXPECT_EQ(r.measured_month, 2);
    EXPECT_EQ(r.measured_day, 14);
    EXPECT_EQ(r.weight_mg, 88.0f);
    EXPECT_EQ(readGbkField(r.sending_company), "材料所");
    EXPECT_EQ(readGbkField(r.reviewer), "审");
    EXPECT_EQ(r.sample_year, 2024);
    EXPECT_EQ(r.in_use, 1);
    EXPECT_EQ(r.selected, 0);
}

TEST_F(PoreTest, FullReportTableRefuses) {
    db->reports().count = kReportCapacity;
    ASSERT_TRUE(poreReportRefusal(db->reports()).has_value());
    EXPECT_EQ(poreReportRefusal(db->reports())->text, "当前库已存数据,请“新建”或“打开”另一个库文件");
    EXPECT_FALSE(createPoreReport(db->reports(), table, "1", "x", sample, today).created);
    EXPECT_EQ(db->reports().count, kReportCapacity);
    db->reports().count = kReportCapacity - 1;
    EXPECT_FALSE(poreReportRefusal(db->reports()).has_value());
}

TEST_F(PoreTest, ABetMeasurementInProgressMovesOnInsteadOfBecomingThePoreReport) {
    SurfaceReportRecord& slot = db->reports().records[0];
    slot.calib_count = 2;
    slot.point_count = 1;
    slot.calib_area[0] = 30000;
    threePoints();
    ASSERT_TRUE(createPoreReport(db->reports(), table, "3", "p", sample, today).created);
    EXPECT_EQ(db->reports().records[0].point_count, 3);
    EXPECT_EQ(db->reports().records[0].calib_count, 0);
    EXPECT_EQ(db->reports().records[0].calib_area[0], 0);
    EXPECT_EQ(db->reports().records[1].calib_count, 2);
    EXPECT_EQ(db->reports().records[1].calib_area[0], 30000);
}

TEST_F(PoreTest, DistributionThroughTheNumericLibrary) {
    threePoints();
    computePoreDistribution(table);
    // Halsey: 3.54 Å × (5 / −ln 0.5)^(1/3) = 6.8399 Å; at 0.7: 8.5356 Å.
    EXPECT_NEAR(table.thickness[0], 6.83993, 1e-4);
    EXPECT_NEAR(table.thickness[2], 8.53563, 1e-4);
    // dV/dr between neighbours: (1.5 − 1.0)/(30 − 20) and (2.5 − 1.5)/(50 − 30).
    EXPECT_EQ(table.distribution[0], 0.0f);
    EXPECT_FLOAT_EQ(table.distribution[1], 0.05f);
    EXPECT_FLOAT_EQ(table.distribution[2], 0.05f);
}

TEST_F(PoreTest, DeletingPoints) {
    deleteCurrentPorePoint(table);  // no points: nothing
    EXPECT_EQ(table.count, 0);
    EXPECT_EQ(table.current, 0);

    threePoints();
    table.current = 1;
    deleteCurrentPorePoint(table);
    EXPECT_EQ(table.count, 2);
    EXPECT_EQ(table.poreSize[1], 50.0f);
    EXPECT_EQ(table.peakArea[1], 3000);
    EXPECT_EQ(table.trace[1][1], 2);
    EXPECT_EQ(table.current, 1);
    deleteCurrentPorePoint(table);
    EXPECT_EQ(table.count, 1);
    EXPECT_EQ(table.current, 0);  // clamped to the last point
    deleteCurrentPorePoint(table);
    EXPECT_EQ(table.count, 0);
    EXPECT_EQ(table.current, 0);

    threePoints();
    table.current = 2;
    table.deadVolumeCount = 4;
    clearPorePoints(table);
    EXPECT_EQ(table.count, 0);
    EXPECT_EQ(table.current, 0);
    EXPECT_EQ(table.deadVolumeCount, 4);
    clearDeadVolumes(table);
    EXPECT_EQ(table.deadVolumeCount, 0);
}

TEST_F(PoreTest, DeletionsAskFirst) {
    testing::ScriptedPrompts prompts;
    threePoints();
    prompts.answerNo();
    EXPECT_FALSE(deleteCurrentPorePointAsked(prompts, table));
    EXPECT_EQ(table.count, 3);
    prompts.answerYes();
    EXPECT_TRUE(deleteCurrentPorePointAsked(prompts, table));
    EXPECT_EQ(table.count, 2);
    prompts.answerNo();
    EXPECT_FALSE(deleteAllPorePointsAsked(prompts, table));
    prompts.answerYes();
    EXPECT_TRUE(deleteAllPorePointsAsked(prompts, table));
    EXPECT_EQ(table.count, 0);
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"你真的要删除这一个条记录吗?", "你真的要删除这一个条记录吗?",
                                                         "你真的要删除所有孔径记录吗?", "你真的要删除所有孔径记录吗?"}));
    EXPECT_EQ(prompts.records()[0].caption, "删除");
    EXPECT_EQ(prompts.records()[0].icon, PromptIcon::Question);
}

TEST_F(PoreTest, PointDialogTextsAndAccept) {
    threePoints();
    table.atmosphericPressure[0] = 101.3f;
    table.weight[0] = 50.0f;
    const PorePointTexts texts = porePointTexts(table, 0);
    EXPECT_EQ(texts.atmosphericPressure, "101.30");
    EXPECT_EQ(texts.weight, "50.00");
    EXPECT_EQ(texts.peakArea, "1000");
    EXPECT_EQ(texts.relativePressure, "0.500000");
    EXPECT_EQ(texts.poreSize, "20.0");
    EXPECT_EQ(texts.adsorbed, "1.0000");
    // Kelvin radius 9.53 / ln 2 plus the layer: 20.5888 Å.
    EXPECT_EQ(texts.kelvinPoreSize.substr(0, 6), "20.588");
    EXPECT_EQ(porePointTexts(table, 3).weight, "");

    // Given back as shown, the measured values stay as they were, unrounded.
    table.poreSize[0] = 20.04f;
    table.weight[0] = 50.004f;
    const PorePointTexts shown = porePointTexts(table, 0);
    acceptPorePoint(table, 0, shown.weight, shown.relativePressure, shown.poreSize);
    EXPECT_EQ(table.poreSize[0], 20.04f);
    EXPECT_EQ(table.weight[0], 50.004f);
    EXPECT_EQ(table.relativePressure[0], 0.5f);
    acceptPorePoint(table, 0, "60.5", "0.45", "18.2");
    EXPECT_EQ(table.weight[0], 60.5f);
    EXPECT_EQ(table.relativePressure[0], 0.45f);
    EXPECT_EQ(table.poreSize[0], 18.2f);
    acceptPorePoint(table, 7, "1", "1", "1");  // beyond the points: nothing
    EXPECT_EQ(table.weight[7], 0.0f);
}

TEST_F(PoreTest, ThumbnailFrameCaptionAndTrace) {
    threePoints();
    table.trace[1][0] = 4;
    table.trace[1][1] = 10;
    table.trace[1][2] = 20;
    table.trace[1][3] = 30;
    table.trace[1][4] = 40;
    table.current = 1;
    const DrawList current = poreThumbnail(table, 1);
    ASSERT_NE(current.findText("第2次"), nullptr);
    EXPECT_EQ(current.findText("第2次")->colour, kWhite);
    const DrawPolyline* line = nullptr;
    const DrawFill* strip = nullptr;
    for (const DrawItem& item : current.items) {
        if (const auto* p = std::get_if<DrawPolyline>(&item)) line = p;
        if (const auto* f = std::get_if<DrawFill>(&item)) strip = f;
    }
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->colour, rgb(50, 0, 150));
    ASSERT_NE(line, nullptr);
    // Four points across the thumbnail from x 2 to 99, not a sliver; baseline 75, 0.16 per unit.
    const std::vector<DrawPoint> expected{{2, 73}, {34, 71}, {66, 70}, {99, 68}};
    EXPECT_EQ(line->points, expected);

    const DrawList other = poreThumbnail(table, 0);
    for (const DrawItem& item : other.items) {
        if (const auto* f = std::get_if<DrawFill>(&item)) {
            EXPECT_EQ(f->colour, rgb(0, 0, 50));
        }
    }
}

TEST_F(PoreTest, ClickFindsTheThumbnail) {
    threePoints();
    EXPECT_EQ(porePointAt(table, 5, 5, 250, 0), 0);
    EXPECT_EQ(porePointAt(table, 115, 5, 250, 0), 1);
    EXPECT_EQ(porePointAt(table, 5, 115, 250, 0), 2);   // two columns fit in 250 pixels
    EXPECT_EQ(porePointAt(table, 115, 115, 250, 0), -1);  // no fourth point
    EXPECT_EQ(porePointAt(table, 225, 5, 250, 0), -1);   // right of the grid
    EXPECT_EQ(porePointAt(table, 5, 5, 250, 110), 2);
}

}  // namespace
}  // namespace vespian

// ---- A measured BET point kept as a pore point ----------------------------------------------

namespace vespian {
namespace {

class PorePointAppendTest : public ::testing::Test {
protected:
    PorePointAppendTest() : table(*static_cast<PoreTable*>(std::calloc(1, sizeof(PoreTable)))) {
        record.p0_kpa = 100.0f;
        record.ads_pressure_kpa = 95.0f;
        record.n2_flow[2] = 10.0f;
        record.he_flow[2] = 30.0f;
        record.volume[2] = 0.75f;
        peak->area = 4321;
        peak->storedPointCount = 4.0f;
        const float mv[] = {2.0f, 12.4f, 52.0f, 7.6f};
        std::copy(std::begin(mv), std::end(mv), peak->points);
    }
    ~PorePointAppendTest() override { std::free(&table); }

    PoreTable& table;
    SurfaceReportRecord record{};
    std::unique_ptr<PeakRecord> peak = std::make_unique<PeakRecord>();
};

TEST_F(PorePointAppendTest, KeepsThePointsPressuresFlowsVolumeAndPeak) {
    table.count = 1;
    ASSERT_TRUE(appendPorePoint(table, record, 2, *peak, 120.5f));
    EXPECT_EQ(table.count, 2);
    // N2 fraction 0.25 of a 95 kPa mixture over Po 100 kPa.
    EXPECT_NEAR(table.relativePressure[1], 0.2375f, 1e-6f);
    EXPECT_FLOAT_EQ(table.poreSize[1], static_cast<float>(ztmath::_r(table.relativePressure[1])));
    EXPECT_GT(table.poreSize[1], 0.0f);
    EXPECT_FLOAT_EQ(table.saturatedPressure[1], 100.0f);
    EXPECT_FLOAT_EQ(table.atmosphericPressure[1], 95.0f);
    EXPECT_FLOAT_EQ(table.n2Flow[1], 10.0f);
    EXPECT_FLOAT_EQ(table.mixedFlow[1], 40.0f);
    EXPECT_FLOAT_EQ(table.adsorbed[1], 0.75f);
    EXPECT_FLOAT_EQ(table.weight[1], 120.5f);
    EXPECT_EQ(table.peakArea[1], 4321);
    // The picture: the stored count, then each point above the first, the highest at 400.
    EXPECT_EQ(table.trace[1][0], 4);
    EXPECT_EQ(table.trace[1][1], 0);
    EXPECT_EQ(table.trace[1][2], 83);   // 10.4 of 50
    EXPECT_EQ(table.trace[1][3], 400);
    EXPECT_EQ(table.trace[1][4], 45);   // 5.6 of 50
    // The same relative pressure the BET evaluation will compute for this point.
    EXPECT_FLOAT_EQ(table.relativePressure[1], betRelativePressure(record, 2));
    // The kept point is one the point dialog shows.
    EXPECT_EQ(porePointTexts(table, 1).peakArea, "4321");
    EXPECT_EQ(porePointTexts(table, 1).relativePressure, "0.237500");
}

TEST_F(PorePointAppendTest, AFullTableOrAMissingPointKeepsNothing) {
    table.count = kPorePointCapacity;
    table.peakArea[kPorePointCapacity - 1] = 7;
    EXPECT_FALSE(appendPorePoint(table, record, 2, *peak, 1.0f));
    EXPECT_EQ(table.count, kPorePointCapacity);
    EXPECT_EQ(table.peakArea[kPorePointCapacity - 1], 7);

    table.count = 0;
    EXPECT_FALSE(appendPorePoint(table, record, -1, *peak, 1.0f));
    EXPECT_FALSE(appendPorePoint(table, record, kBetMaxPoints, *peak, 1.0f));
    EXPECT_EQ(table.count, 0);
}

TEST_F(PorePointAppendTest, TheHighestExcursionFillsThePictureWhicheverWay) {
    // A small peak below its start (inverted polarity) and a flat one.
    const float mv[] = {1.0f, 0.9f, 0.5f, 0.8f};
    std::copy(std::begin(mv), std::end(mv), peak->points);
    ASSERT_TRUE(appendPorePoint(table, record, 2, *peak, 1.0f));
    EXPECT_EQ(table.trace[0][2], -80);
    EXPECT_EQ(table.trace[0][3], -400);
    EXPECT_EQ(table.trace[0][4], -160);
    std::fill_n(peak->points, 4, 3.0f);
    ASSERT_TRUE(appendPorePoint(table, record, 2, *peak, 1.0f));
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(table.trace[1][k], 0) << k;
    // A value that is no number draws at the baseline and does not spoil the others.
    peak->points[1] = std::numeric_limits<float>::quiet_NaN();
    peak->points[2] = 5.0f;
    ASSERT_TRUE(appendPorePoint(table, record, 2, *peak, 1.0f));
    EXPECT_EQ(table.trace[2][2], 0);
    EXPECT_EQ(table.trace[2][3], 400);
}

TEST_F(PorePointAppendTest, AnUnsoundPeakCountNeverOverrunsThePicture) {
    peak->storedPointCount = 1.0e9f;
    ASSERT_TRUE(appendPorePoint(table, record, 2, *peak, 1.0f));
    EXPECT_EQ(table.trace[0][0], kPoreTraceSize - 1);
    peak->storedPointCount = std::numeric_limits<float>::quiet_NaN();
    ASSERT_TRUE(appendPorePoint(table, record, 2, *peak, 1.0f));
    EXPECT_EQ(table.trace[1][0], 0);
    peak->storedPointCount = -5.0f;
    ASSERT_TRUE(appendPorePoint(table, record, 2, *peak, 1.0f));
    EXPECT_EQ(table.trace[2][0], 0);
    // A negative count in the table is taken as none.
    table.count = -3;
    ASSERT_TRUE(appendPorePoint(table, record, 2, *peak, 1.0f));
    EXPECT_EQ(table.count, 1);
}

}  // namespace
}  // namespace vespian
