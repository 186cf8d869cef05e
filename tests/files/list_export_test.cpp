#include "files/list_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <memory>

#include "platform/gbk_text.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

namespace vespian {
namespace {

using testing::readBytes;
using testing::ScriptedPrompts;
using testing::TestFolder;
using testing::writeBytes;

const int32_t kAllColumns[13] = {1450, 150, 200, 100, 80, 80, 140, 140, 80, 120, 80, 130, 150};

std::string spaces(size_t n) { return std::string(n, ' '); }
std::string g(const char* utf8) { return gbkFromUtf8(utf8); }

// The header, column ends 6, 26, 41, 58, 68, 88, 108, 118, 128, 138, 158 counted in GBK bytes.
const std::string kHeader = g("序号") + spaces(2) + g("名称") + spaces(16) + g("重量 [mg]") + spaces(6) +
                            g("比表面积 [m2/g]") + spaces(2) + g("峰面积") + spaces(4) + g("送样公司") + spaces(12) +
                            g("测量公司") + spaces(12) + g("送样人") + spaces(4) + g("测量人") + spaces(4) +
                            g("审核人") + spaces(4) + g("送样日期") + spaces(12) + g("测量日期") + "\r\n";
const std::string kDashes = std::string(182, '-') + "\r\n";

class SampleExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        SampleTable& t = db->samples();
        t.count = 3;
        for (int i = 0; i < 3; ++i) {
            SampleRecord& s = t.records[i];
            s.in_use = 1;
            s.serial = i + 1;
            writeGbkField(s.name, "Al2O3");
            s.weight_mg = 100.0f;
            s.surface_area = 25.5f;
            s.peak_area = 12345;
            writeGbkField(s.sending_company, "化工所");
            writeGbkField(s.measuring_company, "中心");
            writeGbkField(s.sender, "甲");
            writeGbkField(s.measurer, "乙");
            writeGbkField(s.reviewer, "丙");
            s.sample_year = 2024;
            s.sample_month = 5;
            s.sample_day = 6;
            s.measured_year = 2024;
            s.measured_month = 12;
            s.measured_day = 1;
        }
    }
    SampleRecord& sample(int i) { return db->samples().records[i]; }
    std::unique_ptr<RecordDatabase> db = std::make_unique<RecordDatabase>();
};

TEST_F(SampleExportTest, NoSelectedSampleGivesHeaderAndDashLine) {
    EXPECT_EQ(sampleListText(db->samples(), kAllColumns), kHeader + kDashes);
}

TEST_F(SampleExportTest, SelectedSamplesInTableOrderWithByteColumns) {
    sample(2).selected = -1;
    sample(1).selected = 1;
    const std::string row2 = "2" + spaces(5) + "Al2O3" + spaces(15) + "100.0" + spaces(10) + "25.500" + spaces(11) +
                             "12345" + spaces(5) + g("化工所") + spaces(14) + g("中心") + spaces(16) + g("甲") +
                             spaces(8) + g("乙") + spaces(8) + g("丙") + spaces(8) + "2024-5-6" + spaces(12) +
                             "2024-12-1\r\n";
    std::string row3 = row2;
    row3[0] = '3';
    EXPECT_EQ(sampleListText(db->samples(), kAllColumns), kHeader + kDashes + row2 + row3);
}

TEST_F(SampleExportTest, ALongCellMovesTheRestOfItsLineOnly) {
    sample(0).selected = 1;
    // 30 bytes in a column of 20 (68..88): the following cells move right, nothing is cut.
    writeGbkField(sample(0).sending_company, "很长很长很长很长的送样公司名称");
    const std::string text = sampleListText(db->samples(), kAllColumns);
    EXPECT_EQ(text.substr(0, kHeader.size()), kHeader);
    const std::string row = text.substr(kHeader.size() + kDashes.size());
    EXPECT_EQ(row.substr(68, 30), g("很长很长很长很长的送样公司名称"));
    EXPECT_EQ(row.substr(98, 4), g("中心"));  // straight after: no room left to pad
    EXPECT_EQ(row.substr(102, 6), spaces(6));  // padded up to its own end, 108
    EXPECT_EQ(row.substr(108, 2), g("甲"));
}

TEST_F(SampleExportTest, ColumnWithZeroWidthIsLeftOutAndLinesStillEnd) {
    sample(0).selected = 1;
    int32_t widths[13];
    std::copy(std::begin(kAllColumns), std::end(kAllColumns), widths);
    widths[2] = 0;   // name
    widths[12] = 0;  // measurement date, the column that ends the line
    const std::string text = sampleListText(db->samples(), widths);
    const std::string header = text.substr(0, text.find("\r\n") + 2);
    // The weight column follows the serial directly and is padded to its own end, 41.
    EXPECT_EQ(header.substr(0, 41), g("序号") + spaces(2) + g("重量 [mg]") + spaces(26));
    EXPECT_EQ(header.substr(header.size() - 22), g("送样日期") + spaces(12) + "\r\n");
    EXPECT_EQ(text.substr(text.size() - 22), "2024-5-6" + spaces(12) + "\r\n");
    EXPECT_EQ(text.find("Al2O3"), std::string::npos);
}

TEST_F(SampleExportTest, ValuesWithoutAResultAreDashes) {
    sample(0).selected = 1;
    sample(0).surface_area = std::numeric_limits<float>::infinity();
    const std::string text = sampleListText(db->samples(), kAllColumns);
    EXPECT_EQ(text.find("inf"), std::string::npos);
    EXPECT_NE(text.find(g("—")), std::string::npos);
}

TEST(ExportNames, TextAndCsvExtensions) {
    EXPECT_EQ(withTextExtension("result"), "result.txt");
    EXPECT_EQ(withTextExtension("result.txt"), "result.txt");
    EXPECT_EQ(withTextExtension("result.TXT"), "result.TXT.txt");
    EXPECT_EQ(withCsvExtension("list"), "list.csv");
    EXPECT_EQ(withCsvExtension("list.CSV"), "list.CSV");
}

TEST_F(SampleExportTest, DialogFlowAsksBeforeReplacingAndReportsFailures) {
    TestFolder folder("list_export");
    ScriptedPrompts prompts;
    sample(0).selected = 1;

    prompts.chooseFile(folder.file("result"));
    EXPECT_TRUE(exportSampleListWithDialog(prompts, db->samples(), kAllColumns, folder.path().string()));
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].caption, "保存文本文件");
    EXPECT_EQ(prompts.records()[0].text, "文本文件 (*.txt)");
    EXPECT_EQ(prompts.records()[0].initialName, "unname");
    EXPECT_EQ(readBytes(folder / "result.txt"), sampleListText(db->samples(), kAllColumns));

    writeBytes(folder / "keep.txt", "old");
    prompts.chooseFile(folder.file("keep.txt"));
    prompts.answerNo();
    EXPECT_FALSE(exportSampleListWithDialog(prompts, db->samples(), kAllColumns, folder.path().string()));
    EXPECT_EQ(prompts.texts().back(), "‘" + folder.file("keep.txt") + "’文件已经存在，是否要替换它？");
    EXPECT_EQ(readBytes(folder / "keep.txt"), "old");

    const std::string nowhere = folder.file("missing/out.txt");
    prompts.chooseFile(nowhere);
    EXPECT_FALSE(exportSampleListWithDialog(prompts, db->samples(), kAllColumns, folder.path().string()));
    EXPECT_EQ(prompts.texts().back(), "无法建立‘" + nowhere + "’文件");
    EXPECT_EQ(prompts.records().back().caption, "错误");

    // A folder where the file should go: the rename fails and says so.
    std::filesystem::create_directories(folder / "taken.txt");
    prompts.chooseFile(folder.file("taken.txt"));
    prompts.answerYes();
    EXPECT_FALSE(exportSampleListWithDialog(prompts, db->samples(), kAllColumns, folder.path().string()));
    EXPECT_EQ(prompts.texts().back(), "写入‘" + folder.file("taken.txt") + "’文件失败,文件没有保存");

    prompts.cancelFile();
    EXPECT_FALSE(exportSampleListWithDialog(prompts, db->samples(), kAllColumns, folder.path().string()));
    EXPECT_EQ(prompts.unscripted(), 0);
}

TEST(CsvExport, QuotingAndByteOrderMark) {
    EXPECT_EQ(csvCell("plain"), "plain");
    EXPECT_EQ(csvCell("a,b"), "\"a,b\"");
    EXPECT_EQ(csvCell("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csvCell("two\nlines"), "\"two\nlines\"");
}

TEST_F(SampleExportTest, CsvHoldsSelectedRecordsOrAllOfThem) {
    writeGbkField(sample(1).name, "a,b");
    const std::string all = samplesCsv(db->samples());
    EXPECT_EQ(all.substr(0, 3), "\xEF\xBB\xBF");
    const std::string header = "序号,编号,名称,重量[mg],比表面积[m2/g],峰面积,送样公司,测量公司,送样人,测量人,审核人,送样日期,测量日期\r\n";
    EXPECT_EQ(all.substr(3, header.size()), header);
    const std::string first = "1,0,Al2O3,100.0,25.500,12345,化工所,中心,甲,乙,丙,2024-05-06,2024-12-01\r\n";
    EXPECT_EQ(all.substr(3 + header.size(), first.size()), first);
    EXPECT_NE(all.find(",\"a,b\","), std::string::npos);
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 4);

    sample(2).selected = 1;
    const std::string selected = samplesCsv(db->samples());
    EXPECT_EQ(std::count(selected.begin(), selected.end(), '\n'), 2);
    EXPECT_EQ(selected.substr(selected.size() - 2), "\r\n");
    EXPECT_EQ(selected.find("\r\n1,"), std::string::npos);
}

TEST(CsvExport, ReportsAndStandards) {
    auto db = std::make_unique<RecordDatabase>();
    ReportTable& r = db->reports();
    r.count = 2;
    r.records[0].in_use = 1;
    r.records[0].number = 1;
    r.records[0].bet_area = 36.535f;
    r.records[0].point_count = 3;
    r.records[1].in_use = 1;
    r.records[1].number = 2;
    r.records[1].bet_area = std::numeric_limits<float>::quiet_NaN();
    const std::string csv = reportsCsv(r);
    EXPECT_NE(csv.find("\r\n1,,0.0,36.535,0.000000,0.000000,0.000000,3,"), std::string::npos);
    EXPECT_NE(csv.find("\r\n2,,0.0,,"), std::string::npos);
    EXPECT_EQ(csv.find("nan"), std::string::npos);

    StandardTable& s = db->standards();
    s.count = 1;
    s.records[0].in_use = 1;
    s.records[0].number = 4;
    s.records[0].surface_area = 99.25f;
    EXPECT_EQ(standardsCsv(s), "\xEF\xBB\xBF编号,名称,重量[mg],表面积[m2/g],峰面积,测量日期\r\n4,,0.000,99.2500,0,\r\n");

    TestFolder folder("csv_export");
    ScriptedPrompts prompts;
    prompts.chooseFile(folder.file("bet"));
    EXPECT_TRUE(exportCsvWithDialog(prompts, *db, RecordList::Reports, folder.path().string()));
    EXPECT_EQ(prompts.records()[0].caption, "导出为CSV");
    EXPECT_EQ(prompts.records()[0].initialName, "BET报告列表");
    EXPECT_EQ(readBytes(folder / "bet.csv"), csv);
}

}  // namespace
}  // namespace vespian
