#include "analysis/pore_page.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "analysis/bet.h"
#include "files/record_database.h"

namespace vespian {
namespace {

class PorePageTest : public ::testing::Test {
protected:
    PorePageTest() : table(*static_cast<PoreTable*>(std::calloc(1, sizeof(PoreTable)))) {
        // Four points measured at falling pressure (pore sizes 50, 30, 20, 25 Å).
        const float p[] = {0.8f, 0.6f, 0.4f, 0.5f};
        const float r[] = {50, 30, 20, 25};
        const float v[] = {3.0f, 2.0f, 1.0f, 1.5f};
        table.count = 4;
        for (int i = 0; i < 4; ++i) {
            table.relativePressure[i] = p[i];
            table.poreSize[i] = r[i];
            table.adsorbed[i] = v[i];
        }
    }
    ~PorePageTest() override { std::free(&table); }

    PoreTable& table;
    std::unique_ptr<RecordDatabase> db = std::make_unique<RecordDatabase>();
};

TEST_F(PorePageTest, APoreReportIsTheOneWithoutBetFields) {
    SampleIdentity sample;
    ASSERT_TRUE(createPoreReport(db->reports(), table, "5", "孔", sample, CalendarDate{2025, 3, 1}).created);
    EXPECT_TRUE(isPoreReport(db->reports().records[0]));
    SurfaceReportRecord bet{};
    bet.calib_count = 1;
    bet.calib_area[0] = 30000;
    bet.point_count = 1;
    bet.rel_pressure[0] = 0.2f;
    EXPECT_FALSE(isPoreReport(bet));
    bet.calib_count = 0;
    bet.calib_area[0] = 0;
    EXPECT_FALSE(isPoreReport(bet)) << "a point's pressure is a BET field";
}

TEST_F(PorePageTest, TheDistributionRunsByPoreSizeOverTheReportsPointsAndIsShownAsPlotAndTable) {
    SampleIdentity sample;
    ASSERT_TRUE(createPoreReport(db->reports(), table, "5", "孔", sample, CalendarDate{2025, 3, 1}).created);
    SurfaceReportRecord& report = db->reports().records[0];
    report.point_count = 3;  // the report was made of the first three points
    const std::vector<PoreDistributionRow> rows = poreDistribution(report, table);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].point, 2);
    EXPECT_EQ(rows[1].point, 1);
    EXPECT_EQ(rows[2].point, 0);
    EXPECT_EQ(rows[0].poreSize, 20.0f);
    // dV/dr between neighbouring measured points: |2.0 − 3.0| / |30 − 50|.
    EXPECT_FLOAT_EQ(rows[1].distribution, 0.05f);

    const DrawList page = porePage(report, table, 1.0, 1.0);
    EXPECT_NE(page.findText("孔径分布"), nullptr);
    EXPECT_NE(page.findText("孔径点数：3"), nullptr);
    EXPECT_NE(page.findText("测量日期：2025年3月1日"), nullptr);
    EXPECT_NE(page.findText("dV/dr[ml/Å]"), nullptr);
    const DrawText* smallest = page.findText("20.0");
    ASSERT_NE(smallest, nullptr);
    const DrawText* largest = page.findText("50.0");
    ASSERT_NE(largest, nullptr);
    EXPECT_LT(smallest->y, largest->y) << "the table runs from the smallest pore up";
    EXPECT_NE(page.findText("0.050000"), nullptr);
    const DrawPolyline* curve = nullptr;
    for (const DrawItem& item : page.items) {
        if (const auto* p = std::get_if<DrawPolyline>(&item)) curve = p;
    }
    ASSERT_NE(curve, nullptr);
    ASSERT_EQ(curve->points.size(), 3u);
    EXPECT_LT(curve->points[0].x, curve->points[2].x);
    EXPECT_GE(curve->points[0].x, kPorePageFrame.left);
    EXPECT_LE(curve->points[2].x, kPorePageFrame.right);
    // Heights within the frame.
    for (const DrawPoint& p : curve->points) {
        EXPECT_GE(p.y, kPorePageFrame.top);
        EXPECT_LE(p.y, kPorePageFrame.bottom);
    }

    // More points than a 1000-unit page holds: the page grows with its table.
    EXPECT_EQ(porePageHeight(3), 1000);
    EXPECT_GT(porePageHeight(200), 520 + 14 * 200);
    report.point_count = 0;
    EXPECT_NE(porePage(report, table, 1.0, 1.0).findText("没有孔径数据点"), nullptr);
}

}  // namespace
}  // namespace vespian
