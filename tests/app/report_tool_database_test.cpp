// vespian-report on record databases (.03D): the counts and BET results, each list as CSV, the
// BET pages laid out for the PDF writer, and refused files.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "app/report_options.h"
#include "files/record_database.h"
#include "platform/gbk_text.h"
#include "print/list_printing.h"
#include "tests/app/report_tool_run.h"

namespace vespian {
namespace {

using testing::readBytes;
using testing::RecordingPdf;
using testing::runTool;
using testing::TestFolder;
using testing::ToolRun;
using testing::writeBytes;

// The data rows of a CSV (after the byte-order mark and the header row).
std::vector<std::string> csvRows(const std::string& csv) {
    std::vector<std::string> rows;
    size_t at = csv.find("\r\n");
    while (at != std::string::npos && at + 2 < csv.size()) {
        const size_t end = csv.find("\r\n", at + 2);
        rows.push_back(csv.substr(at + 2, end - at - 2));
        at = end;
    }
    return rows;
}

class ReportToolDatabase : public ::testing::Test {
protected:
    // One standard, two samples, three BET reports of which the second is selected.
    void SetUp() override {
        db = std::make_unique<RecordDatabase>();
        StandardRecord& s = db->standards().records[0];
        s.number = 7;
        writeGbkField(s.name, "氧化铝标样");
        s.in_use = 1;
        db->standards().count = 1;
        for (int i = 0; i < 2; ++i) {
            SampleRecord& m = db->samples().records[i];
            m.number = 100 + i;
            m.serial = i + 1;
            writeGbkField(m.name, i == 0 ? "样品甲" : "样品乙");
            m.in_use = 1;
        }
        db->samples().count = 2;
        const char* names[] = {"BET-1", "活性炭", "BET-3"};
        for (int i = 0; i < 3; ++i) {
            SurfaceReportRecord& r = db->reports().records[i];
            r.number = i + 1;
            writeGbkField(r.name, names[i]);
            r.bet_area = 100.0f * static_cast<float>(i + 1) + 0.25f;
            r.point_count = 5;
            r.in_use = 1;
            r.selected = i == 1;
        }
        db->reports().count = 3;
        ASSERT_TRUE(saveDatabase(file, *db).ok);
    }

    TestFolder folder{"report-tool-database"};
    std::string file = folder.file("lab.03D");
    std::unique_ptr<RecordDatabase> db;
};

TEST_F(ReportToolDatabase, SummaryCountsTheListsAndGivesTheBetResults) {
    const ToolRun text = runTool({file});
    ASSERT_EQ(text.code, kReportOk) << text.err;
    for (const char* line : {"类型 kind: database\n", "标样 standards: 1\n", "样品 samples: 2\n",
                             "BET报告 reports: 3\n", "选中的报告 reports selected: 1\n",
                             "BET结果 BET results: 1 BET-1 100.250 m²/g; 2 活性炭 200.250 m²/g; 3 BET-3 300.250 m²/g\n"}) {
        EXPECT_NE(text.out.find(line), std::string::npos) << line << "\n" << text.out;
    }
    const ToolRun json = runTool({file, "--json"});
    ASSERT_EQ(json.code, kReportOk);
    EXPECT_NE(json.out.find("\"samples\": 2,\n"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("{\"number\": 2, \"name\": \"活性炭\", \"bet_area_m2_g\": 200.25, \"points\": 5, "
                            "\"selected\": true}"),
              std::string::npos)
        << json.out;
}

TEST_F(ReportToolDatabase, EachListAsCsvWithTheListExportsRule) {
    // Reports by default; one selected, so that one alone.
    ToolRun r = runTool({file, "--csv", "-"});
    ASSERT_EQ(r.code, kReportOk) << r.err;
    EXPECT_EQ(r.out.rfind("\xEF\xBB\xBF编号,名称,重量[mg],BET比表面积[m2/g]", 0), 0u);
    std::vector<std::string> rows = csvRows(r.out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].rfind("2,活性炭,", 0), 0u) << rows[0];

    // Samples: none selected, so all of them, to a file.
    const std::string csv = folder.file("samples.csv");
    r = runTool({file, "--table", "samples", "--csv", csv});
    ASSERT_EQ(r.code, kReportOk) << r.err;
    EXPECT_NE(r.out.find("类型 kind: database"), std::string::npos);  // the summary as well
    rows = csvRows(readBytes(csv));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].rfind("1,100,样品甲,", 0), 0u) << rows[0];
    EXPECT_EQ(rows[1].rfind("2,101,样品乙,", 0), 0u) << rows[1];

    r = runTool({file, "--table", "standards", "--csv", "-"});
    rows = csvRows(r.out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].rfind("7,氧化铝标样,", 0), 0u) << rows[0];

    r = runTool({file, "--table", "pores", "--csv", "-"});
    EXPECT_EQ(r.code, kReportUsage);
    EXPECT_NE(r.err.find("unknown table \"pores\""), std::string::npos);
    EXPECT_EQ(runTool({file, "--page", "tp"}).code, kReportUsage);
}

TEST_F(ReportToolDatabase, PdfHasTheSelectedBetPagesOrAllWhenNoneIsSelected) {
    RecordingPdf pdf;
    const std::string out = folder.file("bet.pdf");
    ASSERT_EQ(runTool({file, "--pdf", out}, nullptr, &pdf).code, kReportOk);
    EXPECT_EQ(pdf.document, kPrintDocumentName);
    ASSERT_EQ(pdf.pages.size(), 1u);
    EXPECT_TRUE(pdf.pageHas(0, "活性炭"));
    EXPECT_FALSE(pdf.pageHas(0, "BET-1"));

    db->reports().records[1].selected = 0;
    ASSERT_TRUE(saveDatabase(file, *db).ok);
    ASSERT_EQ(runTool({file, "--pdf", out}, nullptr, &pdf).code, kReportOk);
    ASSERT_EQ(pdf.pages.size(), 3u);
    EXPECT_TRUE(pdf.pageHas(0, "BET-1"));
    EXPECT_TRUE(pdf.pageHas(2, "BET-3"));

    // An empty database has no page: said so, exit 3, no file.
    emptyDatabase(*db);
    ASSERT_TRUE(saveDatabase(file, *db).ok);
    const std::string none = folder.file("none.pdf");
    const ToolRun r = runTool({file, "--pdf", none}, nullptr, &pdf);
    EXPECT_EQ(r.code, kReportOutputFailed);
    EXPECT_NE(r.err.find("no BET report"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(none));
}

TEST_F(ReportToolDatabase, DamagedDatabasesAreRefusedWithTwo) {
    // Counts that do not match the length.
    std::string bytes = readBytes(file);
    bytes.resize(bytes.size() - 100);
    const std::string cut = folder.file("cut.03D");
    writeBytes(cut, bytes);
    ToolRun r = runTool({cut, "--json"});
    EXPECT_EQ(r.code, kReportInputRefused);
    EXPECT_NE(r.err.find("cannot use the record database"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());

    // A BET report claiming eleven points, and a weight without a value.
    db->reports().records[2].point_count = 11;
    const std::string eleven = folder.file("eleven.03D");
    ASSERT_TRUE(saveDatabase(eleven, *db).ok);
    r = runTool({eleven});
    EXPECT_EQ(r.code, kReportInputRefused);
    EXPECT_NE(r.err.find("BET报告第3条的点数11超出范围(0-10)"), std::string::npos) << r.err;
    db->reports().records[2].point_count = 10;
    db->samples().records[1].weight_mg = std::nanf("");
    ASSERT_TRUE(saveDatabase(eleven, *db).ok);
    r = runTool({eleven});
    EXPECT_EQ(r.code, kReportInputRefused);
    EXPECT_NE(r.err.find("样品第2条的重量不是有限数值"), std::string::npos) << r.err;
    db->samples().records[1].weight_mg = 12.0f;
    db->reports().records[2].bet_area = std::nanf("");  // a result may be without a value
    ASSERT_TRUE(saveDatabase(eleven, *db).ok);
    EXPECT_EQ(runTool({eleven}).code, kReportOk);

    const std::string text = folder.file("notes.03d");
    writeBytes(text, "this is not a database");
    EXPECT_EQ(runTool({text}).code, kReportInputRefused);
    // A new database: ten zero bytes, three empty lists.
    const std::string fresh = folder.file("new.03D");
    ASSERT_TRUE(createEmptyDatabase(fresh));
    r = runTool({fresh});
    EXPECT_EQ(r.code, kReportOk) << r.err;
    EXPECT_NE(r.out.find("BET结果 BET results: —\n"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace vespian
