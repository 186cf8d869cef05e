#include "files/report_panel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <memory>

#include "files/report_letterhead.h"
#include "files/test_report.h"
#include "platform/gbk_text.h"
#include "support/test_files.h"

namespace vespian {
namespace {

using testing::readBytes;
using testing::TestFolder;
using testing::writeBytes;

TestReportHeader panelReport() {
    TestReportHeader h;
    writeGbkField(h.sampleName, "Pt/Al2O3");
    writeGbkField(h.tester, "李四");
    h.sampleWeightG = 0.1234f;
    h.testDate = {2024, 5, 17};
    return h;
}

TEST(ReportPanel, ColumnsMatchTheRecordListsWidths) {
    const int32_t columns[20] = {1450, 150, 200, 100, 80, 80, 140, 140, 80, 120, 80, 130, 150};
    EXPECT_EQ(reportPanelWidths(columns), kReportPanelDefaultWidths);
}

TEST(ReportPanel, ThreeRowsShowTheSameRecordUnderTheirKinds) {
    const DrawList list = reportPanelDrawing(panelReport(), kReportPanelDefaultWidths, 800, 200);
    const char* captions[] = {"类型", "名称", "重量", "测试员", "测量日期"};
    const int32_t lefts[] = {0, 150, 350, 450, 570};
    for (int c = 0; c < 5; ++c) {
        const DrawText* t = list.findText(captions[c]);
        ASSERT_NE(t, nullptr) << captions[c];
        EXPECT_EQ(t->x, lefts[c] + 4);
        EXPECT_EQ(t->y, 12);
        EXPECT_EQ(t->v, VAlign::Centre);
    }
    int names = 0;
    for (const DrawText* t : list.texts()) {
        if (t->text == "Pt/Al2O3") {
            EXPECT_EQ(t->x, 154);
            EXPECT_EQ(t->y, 30 + 20 * names);
            ++names;
        }
    }
    EXPECT_EQ(names, 3);
    EXPECT_NE(list.findText("0.1234"), nullptr);
    EXPECT_NE(list.findText("李四"), nullptr);
    EXPECT_NE(list.findText("2024年5月17日"), nullptr);
    EXPECT_EQ(list.findText("氢氧滴定报告")->y, 30);
    EXPECT_EQ(list.findText("程序升温测试")->y, 50);
    EXPECT_EQ(list.findText("脱附量测试")->y, 70);
}

TEST(ReportPanel, AZeroWidthColumnIsLeftOutAndTheOthersCloseUp) {
    const std::array<int32_t, 5> widths = {150, 200, 0, 120, 150};
    const DrawList list = reportPanelDrawing(panelReport(), widths, 800, 200);
    EXPECT_EQ(list.findText("重量"), nullptr);
    EXPECT_EQ(list.findText("0.1234"), nullptr);
    EXPECT_EQ(list.findText("测试员")->x, 354);
    TestReportHeader undefined = panelReport();
    undefined.sampleWeightG = std::numeric_limits<float>::quiet_NaN();
    EXPECT_NE(reportPanelDrawing(undefined, kReportPanelDefaultWidths, 800, 200).findText("—"), nullptr);
}

TEST(ReportPanel, ClicksPickTheRowUnderThem) {
    EXPECT_EQ(reportPanelRowAt(10, 30, kReportPanelDefaultWidths), 0);
    EXPECT_EQ(reportPanelRowAt(700, 47, kReportPanelDefaultWidths), 0);
    EXPECT_EQ(reportPanelRowAt(10, 48, kReportPanelDefaultWidths), 1);
    EXPECT_EQ(reportPanelRowAt(10, 75, kReportPanelDefaultWidths), 2);
    EXPECT_EQ(reportPanelRowAt(10, 20, kReportPanelDefaultWidths), -1);   // the header
    EXPECT_EQ(reportPanelRowAt(10, 95, kReportPanelDefaultWidths), -1);   // below the rows
    EXPECT_EQ(reportPanelRowAt(720, 30, kReportPanelDefaultWidths), -1);  // right of the columns
}

TEST(ReportLetterhead, StartsEmptyAndKeepsWhatTheOperatorEnters) {
    TestFolder folder("letterhead");
    ReportLetterhead l;
    l.supplierName = "unchanged";
    ASSERT_TRUE(readLetterhead(folder.file("none.ini"), l));
    EXPECT_EQ(l, ReportLetterhead{});
    EXPECT_EQ(hotlineLine(l), "");
    EXPECT_EQ(emailLine(l), "");

    l = {"华东分析仪器服务部", "www.example.cn", "400-000-0000", "service@example.cn"};
    ASSERT_TRUE(writeLetterhead(folder.file("l.ini"), l));
    EXPECT_EQ(readBytes(folder / "l.ini"),
              "supplier=华东分析仪器服务部\nweb=www.example.cn\nhotline=400-000-0000\nemail=service@example.cn\n");
    ReportLetterhead back;
    ASSERT_TRUE(readLetterhead(folder.file("l.ini"), back));
    EXPECT_EQ(back, l);
    EXPECT_EQ(hotlineLine(back), "服务热线：400-000-0000");
    EXPECT_EQ(emailLine(back), "电子邮件：service@example.cn");
}

TEST(ReportLetterhead, EntriesAreOneTrimmedLineOfAtMost100Characters) {
    EXPECT_EQ(cleanLetterheadEntry("  a b \r\nsecond"), "a b");
    EXPECT_EQ(cleanLetterheadEntry(std::string(150, 'x')).size(), 100u);
    std::string chinese;
    for (int i = 0; i < 120; ++i) chinese += "测";
    EXPECT_EQ(cleanLetterheadEntry(chinese).size(), 300u);  // 100 characters of 3 bytes

    TestFolder folder("letterhead");
    writeBytes(folder / "odd.ini", "junk\nweb= x.cn \r\nsupplier\nemail=a=b\n");
    ReportLetterhead l;
    ASSERT_TRUE(readLetterhead(folder.file("odd.ini"), l));
    EXPECT_EQ(l.webAddress, "x.cn");
    EXPECT_EQ(l.email, "a=b");
    EXPECT_EQ(l.supplierName, "");
    std::filesystem::create_directory(folder / "dir.ini");
    l.hotline = "kept";
    EXPECT_FALSE(readLetterhead(folder.file("dir.ini"), l));
    EXPECT_EQ(l.hotline, "kept");
}

}  // namespace
}  // namespace vespian
