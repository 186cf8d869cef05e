#include "analysis/comparison.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/gbk_text.h"
#include "trace/peak_table.h"

namespace vespian {
namespace {

class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        StandardTable& t = db->standards();
        t.count = 4;
        for (int i = 0; i < 4; ++i) t.records[i].in_use = 1;
        t.records[2].in_use = 0;  // a slot not in use
    }
    std::unique_ptr<RecordDatabase> db = std::make_unique<RecordDatabase>();
};

TEST(ListRows, RowsStartTwentySevenPixelsBelowTheTop) {
    EXPECT_EQ(listRowAt(126, 100, 400, 5), -1);
    EXPECT_EQ(listRowAt(127, 100, 400, 5), 5);
    EXPECT_EQ(listRowAt(146, 100, 400, 5), 5);
    EXPECT_EQ(listRowAt(147, 100, 400, 5), 6);
    EXPECT_EQ(listRowAt(400, 100, 400, 0), 13);
    EXPECT_EQ(listRowAt(401, 100, 400, 0), -1);
}

TEST_F(SelectionTest, ClickOutsideTheRecordsOrOnAnUnusedSlotChangesNothing) {
    EXPECT_FALSE(ToggleRow(db->standards(), 4));   // below the last record
    EXPECT_FALSE(ToggleRow(db->standards(), 2));   // not in use
    EXPECT_FALSE(ToggleRow(db->standards(), -1));
    EXPECT_EQ(db->standards().records[2].selected, 0);
    EXPECT_TRUE(ToggleRow(db->standards(), 1));
    EXPECT_EQ(db->standards().records[1].selected, 1);
    EXPECT_TRUE(ToggleRow(db->standards(), 1));
    EXPECT_EQ(db->standards().records[1].selected, 0);
}

TEST_F(SelectionTest, SelectAllThenClickThenInvert) {
    StandardTable& t = db->standards();
    SelectAll(t);
    EXPECT_EQ(t.records[0].selected, -1);
    EXPECT_EQ(t.records[2].selected, 0);  // not in use: untouched
    EXPECT_TRUE(ToggleRow(t, 1));
    EXPECT_EQ(t.records[1].selected, 0);
    InvertSelection(t);
    EXPECT_EQ(t.records[1].selected, -1);
    EXPECT_EQ(t.records[0].selected, 0);
    EXPECT_EQ(t.records[3].selected, 0);
    ClearSelection(t);
    EXPECT_EQ(t.records[1].selected, 0);
}

TEST_F(SelectionTest, ARowSelectedByAClickIsUnselectedByInvert) {
    StandardTable& t = db->standards();
    ToggleRow(t, 3);
    EXPECT_EQ(t.records[3].selected, 1);
    InvertSelection(t);
    EXPECT_EQ(t.records[3].selected, 0);
    EXPECT_EQ(t.records[0].selected, -1);
}

TEST_F(SelectionTest, ReportListSelectionOnlyInListMode) {
    ReportTable& r = db->reports();
    r.count = 2;
    r.records[0].in_use = 1;
    r.records[1].in_use = 1;
    EXPECT_FALSE(applySelection(*db, RecordList::Reports, SelectionCommand::SelectAll, true));
    EXPECT_EQ(r.records[0].selected, 0);
    EXPECT_TRUE(applySelection(*db, RecordList::Reports, SelectionCommand::SelectAll, false));
    EXPECT_EQ(r.records[1].selected, -1);
    EXPECT_TRUE(toggleListRow(*db, RecordList::Reports, 1));
    EXPECT_EQ(r.records[1].selected, 0);
    EXPECT_TRUE(applySelection(*db, RecordList::Standards, SelectionCommand::Invert, true));
    EXPECT_EQ(db->standards().records[0].selected, -1);
}

// ---- Details dialog -----------------------------------------------------------------------

class DetailsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SampleTable& t = db->samples();
        t.count = 6;
        for (int i = 0; i < 6; ++i) {
            t.records[i].in_use = 1;
            t.records[i].number = 100 + i;
        }
    }
    SampleTable& samples() { return db->samples(); }
    std::unique_ptr<RecordDatabase> db = std::make_unique<RecordDatabase>();
};

TEST_F(DetailsTest, NoSelectedSampleShowsNothingAndAcceptChangesNothing) {
    SampleDetails details(samples());
    EXPECT_EQ(details.current(), -1);
    EXPECT_FALSE(details.canGoBack());
    EXPECT_FALSE(details.canGoForward());
    EXPECT_EQ(details.numberText(), "");
    EXPECT_EQ(details.detailText(), "");
    details.accept("7", "x");
    EXPECT_EQ(samples().records[0].number, 100);
}

TEST_F(DetailsTest, ExactlyOneSelectedSampleDisablesBothButtons) {
    samples().records[3].selected = 1;
    SampleDetails details(samples());
    EXPECT_EQ(details.current(), 3);
    EXPECT_EQ(details.numberText(), "103");
    EXPECT_FALSE(details.canGoBack());
    EXPECT_FALSE(details.canGoForward());
}

TEST_F(DetailsTest, NavigationVisitsTheSelectedSamplesInUse) {
    samples().records[1].selected = -1;
    samples().records[2].selected = 1;
    samples().records[2].in_use = 0;  // selected but not in use: skipped
    samples().records[4].selected = 1;
    samples().records[5].selected = 1;
    SampleDetails details(samples());
    EXPECT_EQ(details.current(), 1);
    EXPECT_TRUE(details.canGoForward());
    details.next();
    EXPECT_EQ(details.current(), 4);
    EXPECT_TRUE(details.canGoBack());
    EXPECT_TRUE(details.canGoForward());
    details.next();
    EXPECT_EQ(details.current(), 5);
    EXPECT_FALSE(details.canGoForward());
    details.previous();
    EXPECT_EQ(details.current(), 4);
    EXPECT_TRUE(details.canGoForward());
    details.previous();
    EXPECT_EQ(details.current(), 1);
    EXPECT_FALSE(details.canGoBack());
}

TEST_F(DetailsTest, DetailTextKeepsItsByteColumnsAndCrLf) {
    SampleRecord& s = samples().records[0];
    s.selected = 1;
    s.weight_mg = 12.5f;
    s.surface_area = 3.25f;
    s.peak_area = 4567;
    writeGbkField(s.sending_company, "化工所");
    writeGbkField(s.measuring_company, "Lab");
    writeGbkField(s.sender, "张");
    writeGbkField(s.measurer, "li");
    writeGbkField(s.reviewer, "王五");
    s.sample_year = 2024;
    s.sample_month = 3;
    s.sample_day = 9;
    SampleDetails details(samples());
    const std::string expected =
        " 样品重量:                12.500\r\n"
        " 样品表面积:               3.250\r\n"
        " 样品峰面积:                4567\r\n"
        " 送样公司:                " "化工所\r\n"  // 22 bytes: 16 spaces and 6 GBK bytes
        " 测量公司:                   Lab\r\n"
        " 送样人:                      张\r\n"
        " 测量人:                      li\r\n"
        " 审核人:                    王五\r\n"
        " 送样日期:         2024年 3月 9日";
    EXPECT_EQ(details.detailText(), expected);
}

TEST_F(DetailsTest, TracePictureAndAccept) {
    SampleRecord& s = samples().records[2];
    s.selected = 1;
    s.trace[0] = 4;  // three stored points
    s.trace[1] = 100;
    s.trace[2] = 50;
    s.trace[3] = -10;
    SampleDetails details(samples());
    // A short peak fills the picture: across its width, its highest value on row 20, its lowest
    // on row 200 (60 of 110 above the lowest: row 200 − 98.2).
    const std::vector<DrawPoint> expected{{0, 20}, {159, 101}, {319, 200}};
    EXPECT_EQ(details.tracePolyline(), expected);
    s.trace[2] = 100;
    s.trace[3] = 100;  // flat: along the base row
    EXPECT_EQ(details.tracePolyline()[1].y, 200);
    s.trace[0] = 6000;  // beyond the array: stops at its last element, at the right edge
    EXPECT_EQ(details.tracePolyline().size(), 4999u);
    EXPECT_EQ(details.tracePolyline().back().x, 319);

    details.accept("-42", "一二三四五六七八");
    EXPECT_EQ(s.number, -42);
    EXPECT_EQ(readGbkField(s.name), "一二三四五六七");  // 14 bytes
}

// ---- Comparison rule and storing ----------------------------------------------------------

TEST(ComparisonRule, ProportionalToPeakAreaPerWeight) {
    // Standard 100 m²/g, 50 mg, peak 20000; sample 100 mg, peak 10000:
    // 100 × (10000 / 20000) × (50 / 100) = 25 m²/g.
    EXPECT_DOUBLE_EQ(*comparisonSurfaceArea(100.0, 20000, 50.0, 10000, 100.0), 25.0);
    EXPECT_DOUBLE_EQ(*comparisonSurfaceArea(80.0, 1000, 20.0, 3000, 20.0), 240.0);
    EXPECT_FALSE(comparisonSurfaceArea(100.0, 0, 50.0, 10000, 100.0));
    EXPECT_FALSE(comparisonSurfaceArea(100.0, 20000, 0.0, 10000, 100.0));
    EXPECT_FALSE(comparisonSurfaceArea(100.0, 20000, 50.0, 10000, 0.0));
    EXPECT_FALSE(comparisonSurfaceArea(0.0, 20000, 50.0, 10000, 10.0));
}

class StoreTest : public ::testing::Test {
protected:
    StoreTest() : peak(std::make_unique<PeakRecord>()) {
        peak->area = 10000;
        peak->storedPointCount = 3;
        peak->points[0] = 1.9f;
        peak->points[1] = 25.7f;
        peak->points[2] = -3.5f;
        sample.sendingCompany = gbkFromUtf8("送样单位");
        sample.measuringCompany = gbkFromUtf8("测试中心");
        sample.sender = gbkFromUtf8("甲");
        sample.measurer = gbkFromUtf8("乙");
        sample.reviewer = gbkFromUtf8("丙");
        sample.sampleDate[0] = 2024;
        sample.sampleDate[1] = 5;
        sample.sampleDate[2] = 6;
    }

    StoreResult storeStandard(int32_t peakArea, const char* area = "100") {
        peak->area = peakArea;
        StoreEntries e{StoreKind::Standard, "7", "标样A", "50", area, -1};
        return storeRecognisedPeak(*db, *peak, e, sample, today);
    }

    std::unique_ptr<RecordDatabase> db = std::make_unique<RecordDatabase>();
    std::unique_ptr<PeakRecord> peak;
    SampleIdentity sample;
    CalendarDate today{2025, 1, 31};
};

TEST_F(StoreTest, StandardKeepsItsKnownAreaAndTruncatedTrace) {
    const StoreResult result = storeStandard(20000);
    ASSERT_TRUE(result.stored) << result.message.text;
    EXPECT_EQ(result.index, 0);
    EXPECT_EQ(result.message.text, "标样已保存,其编号为：7.");
    const StandardRecord& s = db->standards().records[0];
    EXPECT_EQ(db->standards().count, 1);
    EXPECT_EQ(s.number, 7);
    EXPECT_EQ(readGbkField(s.name), "标样A");
    EXPECT_EQ(s.weight_mg, 50.0f);
    EXPECT_EQ(s.surface_area, 100.0f);
    EXPECT_EQ(s.peak_area, 20000);
    EXPECT_EQ(s.trace[0], 3);
    EXPECT_EQ(s.trace[1], 1);
    EXPECT_EQ(s.trace[2], 25);
    EXPECT_EQ(s.trace[3], -3);
    EXPECT_EQ(s.measured_year, 2025);
    EXPECT_EQ(s.measured_day, 31);
    EXPECT_EQ(s.in_use, 1);
    EXPECT_EQ(s.selected, 0);
}

TEST_F(StoreTest, SampleMeasuredAgainstAStandard) {
    ASSERT_TRUE(storeStandard(20000).stored);
    const std::vector<StandardChoice> choices = standardChoices(db->standards());
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].label, "7 标样A (100.000 m2/g)");

    StoreEntries e{StoreKind::Sample, "31", "样品B", "100", "", choices[0].index};
    EXPECT_EQ(previewSurfaceArea(*db, e, 10000), "25.000");
    peak->area = 10000;
    const StoreResult result = storeRecognisedPeak(*db, *peak, e, sample, today);
    ASSERT_TRUE(result.stored) << result.message.text;
    EXPECT_EQ(result.message.text, "样品已保存,其比表面积为：25.000 m2/g.");
    const SampleRecord& s = db->samples().records[0];
    EXPECT_EQ(s.number, 31);
    EXPECT_EQ(s.serial, 1);
    EXPECT_EQ(s.surface_area, 25.0f);
    EXPECT_EQ(s.peak_area, 10000);
    EXPECT_EQ(s.trace[0], 3.0f);
    EXPECT_EQ(s.trace[2], 25.7f);
    EXPECT_EQ(readGbkField(s.sending_company), "送样单位");
    EXPECT_EQ(readGbkField(s.measuring_company), "测试中心");
    EXPECT_EQ(readGbkField(s.sender), "甲");
    EXPECT_EQ(readGbkField(s.measurer), "乙");
    EXPECT_EQ(readGbkField(s.reviewer), "丙");
    EXPECT_EQ(s.sample_month, 5);
    EXPECT_EQ(s.measured_month, 1);
}

TEST_F(StoreTest, UnusableEntriesAreRefusedWithAMessage) {
    EXPECT_EQ(storeStandard(0).message.text, "峰面积无效,不能保存!");
    EXPECT_EQ(storeStandard(100, "0").message.text, "请输入正确的标样表面积!");
    StoreEntries e{StoreKind::Sample, "", "x", "10", "", -1};
    EXPECT_EQ(storeRecognisedPeak(*db, *peak, e, sample, today).message.text, "请输入正确的编号!");
    e.number = "3";
    e.weight = "0";
    EXPECT_EQ(storeRecognisedPeak(*db, *peak, e, sample, today).message.text, "请输入正确的重量!");
    e.weight = "10";
    EXPECT_EQ(storeRecognisedPeak(*db, *peak, e, sample, today).message.text, "请先选择一个标样!");
    e.standardIndex = 0;  // no standard there
    EXPECT_FALSE(storeRecognisedPeak(*db, *peak, e, sample, today).stored);
    EXPECT_EQ(previewSurfaceArea(*db, e, 100), "—");
    EXPECT_EQ(db->samples().count, 0);
    EXPECT_EQ(db->standards().count, 0);
}

TEST_F(StoreTest, FullTablesRefuseWithTheFullTableMessage) {
    db->standards().count = kStandardCapacity;
    const StoreResult result = storeStandard(100);
    EXPECT_FALSE(result.stored);
    EXPECT_EQ(result.message.text, kDatabaseFullText);
    EXPECT_EQ(result.message.caption, "错误");
    EXPECT_EQ(db->standards().count, kStandardCapacity);
}

}  // namespace
}  // namespace vespian
