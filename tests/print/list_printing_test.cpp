#include "print/list_printing.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/gbk_text.h"

namespace vespian {
namespace {

class PrintPlanTest : public ::testing::Test {
protected:
    // n samples in use; the listed ones selected. Each trace holds `points` values.
    void samples(int32_t n, std::initializer_list<int32_t> selected, int32_t points = 10, float value = 5.0f) {
        SampleTable& t = db->samples();
        t.count = n;
        for (int32_t i = 0; i < n; ++i) {
            SampleRecord& s = t.records[i];
            s.in_use = 1;
            s.serial = i + 1;
            s.trace[0] = float(points);
            for (int32_t k = 1; k <= points; ++k) s.trace[k] = value;
        }
        for (int32_t i : selected) t.records[i].selected = 1;
    }
    std::unique_ptr<RecordDatabase> db = std::make_unique<RecordDatabase>();
};

TEST_F(PrintPlanTest, SixteenSelectedSamplesPrintOnTwoPages) {
    samples(20, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 17}, 10);
    db->samples().records[17].trace[0] = 5000;  // the second page's only sample, far longer
    const std::vector<PrintPage> pages = printPages(*db, PrintKind::Samples, 1);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].first, 0);
    EXPECT_EQ(pages[0].end, 15);
    EXPECT_EQ(pages[1].first, 17);
    EXPECT_EQ(pages[1].end, 20);
    // The first page's scale: 15 × 10 / 5 = 30 seconds, the peaks' own length. The second
    // page's from its single sample: 4999 / 5 = 999.8 → 1000, + 1000 / 50 = 1020.
    EXPECT_EQ(samplePageScales(db->samples(), pages[0].first, pages[0].end).x, 30);
    EXPECT_EQ(samplePageScales(db->samples(), pages[1].first, pages[1].end).x, 1020);
}

TEST_F(PrintPlanTest, CopiesRepeatTheWholeSequence) {
    samples(3, {0, 2});
    const std::vector<PrintPage> pages = printPages(*db, PrintKind::Samples, 2);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].first, pages[1].first);
    EXPECT_EQ(pages[0].end, 3);
}

TEST_F(PrintPlanTest, NothingSelectedPrintsNoPage) {
    samples(3, {});
    EXPECT_TRUE(printPages(*db, PrintKind::Samples, 3).empty());
    db->samples().records[1].selected = 1;
    db->samples().records[1].in_use = 0;  // selected but not in use
    EXPECT_TRUE(printPages(*db, PrintKind::Samples, 1).empty());
}

TEST_F(PrintPlanTest, ReportListPrintsOnePagePerSelectedReportInUse) {
    ReportTable& r = db->reports();
    r.count = 4;
    for (int i = 0; i < 4; ++i) r.records[i].in_use = 1;
    r.records[1].selected = 1;
    r.records[2].selected = -1;
    r.records[2].in_use = 0;
    r.records[3].selected = 1;
    const std::vector<PrintPage> pages = printPages(*db, PrintKind::Reports, 2);
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(pages[0].first, 1);
    EXPECT_EQ(pages[1].first, 3);
    EXPECT_EQ(pages[2].first, 1);
    EXPECT_EQ(printKindFor(RecordList::Standards), PrintKind::Samples);
    EXPECT_EQ(printKindFor(RecordList::Samples), PrintKind::Samples);
    EXPECT_EQ(printKindFor(RecordList::Reports), PrintKind::Reports);
}

TEST_F(PrintPlanTest, ScalesOfTheWrittenExamples) {
    // A largest value of 40 gives 50; the last stored value is not counted.
    samples(1, {0}, 6, 10.0f);
    db->samples().records[0].trace[3] = 40.9f;
    db->samples().records[0].trace[6] = 90.0f;
    EXPECT_EQ(samplePageScales(db->samples(), 0, 1).y, 50);
    db->samples().records[0].trace[3] = 100.0f;
    EXPECT_EQ(samplePageScales(db->samples(), 0, 1).y, 125);
    // Stored lengths summing to 100 points: 20 seconds, the chart's whole width.
    samples(2, {0, 1}, 50);
    EXPECT_EQ(samplePageScales(db->samples(), 0, 2).x, 20);
    // 2 × 2500 points: 1000 seconds + 20.
    samples(2, {0, 1}, 2500);
    EXPECT_EQ(samplePageScales(db->samples(), 0, 2).x, 1020);
    // No points at all: an axis of one second, nothing divides by zero.
    samples(1, {0}, 0);
    EXPECT_EQ(samplePageScales(db->samples(), 0, 1).y, 50);
    EXPECT_EQ(samplePageScales(db->samples(), 0, 1).x, 1);
}

TEST_F(PrintPlanTest, SamplePageLayoutOnTheGrid) {
    samples(2, {0, 1}, 4, 20.0f);
    SampleRecord& s = db->samples().records[1];
    writeGbkField(s.name, "样品乙");
    s.weight_mg = 12.5f;
    s.surface_area = 25.0f;
    s.peak_area = 777;
    s.measured_year = 2024;
    s.measured_month = 3;
    s.measured_day = 9;
    s.trace[3] = 30.0f;  // the peak of the second sample
    const int32_t W = 4200, H = 5900;  // 5 printer pixels per grid unit
    const DrawList page = samplePage(db->samples(), 0, 2, W, H, "氮吸附报告", CalendarDate{2025, 1, 2});

    const DrawText* header = page.findText("氮吸附报告");
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->x, 500);
    EXPECT_EQ(header->y, 360);
    EXPECT_EQ(header->pixelSize, 147);  // 28 × 4200 / 800
    EXPECT_EQ(header->face, FontFace::Hei);
    const DrawText* date = page.findText("打印日期：2025-1-2");
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->x, 4200 - 500);
    EXPECT_EQ(date->h, HAlign::Right);
    EXPECT_EQ(page.findText("编号")->y, 3400);
    bool squared = false;  // the "2" of m²
    for (const DrawText* t : page.texts()) squared = squared || (t->text == "2" && t->after == "[m");
    EXPECT_TRUE(squared);

    // Rows: y = H × (0.58k + 18.2) / 29.5.
    const DrawText* name = page.findText("样品乙");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->y, static_cast<int32_t>(5900 * (0.58 + 18.2) / 29.5));
    EXPECT_EQ(name->x, 1000);
    EXPECT_NE(page.findText("12.500"), nullptr);
    EXPECT_NE(page.findText("777"), nullptr);
    EXPECT_NE(page.findText("25.000"), nullptr);
    EXPECT_NE(page.findText("2024- 3- 9"), nullptr);

    // The X labels run to the scale (two peaks of 4 points: 2 s), the Y labels to 50.
    std::vector<std::string> xLabels;
    for (const DrawText* t : page.texts()) {
        if (t->y == 5900 * 528 / 1180 && t->h == HAlign::Centre) xLabels.push_back(t->text);
    }
    ASSERT_EQ(xLabels.size(), 11u);
    EXPECT_EQ(xLabels[5], "1");
    EXPECT_EQ(xLabels[10], "2");
    const DrawText* y50 = nullptr;
    for (const DrawText* t : page.texts()) {
        if (t->text == "50" && t->h == HAlign::Right) y50 = t;
    }
    ASSERT_NE(y50, nullptr);
    EXPECT_EQ(y50->x, 660);
    EXPECT_EQ(y50->h, HAlign::Right);
    EXPECT_EQ(y50->y, 2500 - 1600);

    // The traces follow each other; the second sample's serial marks its peak.
    std::vector<const DrawPolyline*> traces;
    for (const DrawItem& item : page.items) {
        if (const auto* p = std::get_if<DrawPolyline>(&item)) traces.push_back(p);
    }
    ASSERT_EQ(traces.size(), 2u);
    EXPECT_EQ(traces[0]->colour, rgb(210, 0, 50));
    EXPECT_EQ(traces[1]->points.front().x, traces[0]->points.back().x);
    // Short as they are, the two peaks fill the chart, and the second ends inside it.
    const int32_t chartLeft = 700, chartRight = W - 700;
    EXPECT_GT(traces[1]->points.back().x, (chartLeft + chartRight) / 2);
    EXPECT_LE(traces[1]->points.back().x, chartRight);
    const DrawText* serial = page.findText("2");
    for (const DrawText* t : page.texts()) {
        if (t->text == "2" && t->colour == rgb(0, 220, 220)) serial = t;
    }
    EXPECT_EQ(serial->colour, rgb(0, 220, 220));
}

TEST_F(PrintPlanTest, APoreReportPrintsItsDistributionAndABetReportItsBetPage) {
    auto pores = std::unique_ptr<PoreTable>(new PoreTable{});
    pores->count = 2;
    pores->poreSize[0] = 40.0f;
    pores->poreSize[1] = 20.0f;
    ReportTable& r = db->reports();
    r.count = 2;
    r.records[0].in_use = r.records[0].selected = 1;
    r.records[0].point_count = 2;  // a pore report: no BET field written
    r.records[1].in_use = r.records[1].selected = 1;
    r.records[1].calib_count = 1;
    r.records[1].point_count = 1;
    r.records[1].rel_pressure[0] = 0.1f;
    const std::vector<PrintPage> pages = printPages(*db, PrintKind::Reports, 1);
    ASSERT_EQ(pages.size(), 2u);
    const DrawList pore = printedPage(*db, pages[0], 4200, 5900, {}, {}, pores.get());
    EXPECT_NE(pore.findText("孔径分布"), nullptr);
    EXPECT_NE(pore.findText("20.0"), nullptr);
    EXPECT_NE(printedPage(*db, pages[1], 4200, 5900, {}, {}, pores.get()).findText("BET绘图"), nullptr);
    EXPECT_NE(printedPage(*db, pages[0], 4200, 5900, {}, {}).findText("BET绘图"), nullptr) << "no pore points at hand";
}

TEST(PrintSettingsRules, HeaderKeepsAtMost199Bytes) {
    PrintSettings settings;
    EXPECT_FALSE(settings.confirmed);
    std::string header(150, 'a');
    for (int i = 0; i < 40; ++i) header += "样";
    acceptPrintSettings(settings, header);
    EXPECT_TRUE(settings.confirmed);
    EXPECT_EQ(gbkLength(settings.header), 198u);  // 150 + 24 characters of 2 bytes
}

}  // namespace
}  // namespace vespian
