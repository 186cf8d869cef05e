// vespian-report on report files (.care): the results as the report windows show them, the
// trace as CSV, the printed pages laid out for the PDF writer, and refused files.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "analysis/tp_report_page.h"
#include "app/report_options.h"
#include "files/test_report.h"
#include "files/test_report_file.h"
#include "platform/gbk_text.h"
#include "support/comma_locale.h"
#include "tests/app/report_tool_run.h"

namespace vespian {
namespace {

using testing::readBytes;
using testing::RecordingPdf;
using testing::runTool;
using testing::TestFolder;
using testing::ToolRun;
using testing::writeBytes;

// The value of `"key": ` in the tool's JSON, up to the end of its line.
std::string jsonValueOf(const std::string& json, const std::string& key) {
    const std::string marker = "\"" + key + "\": ";
    const size_t at = json.find(marker);
    if (at == std::string::npos) return "<missing>";
    const size_t start = at + marker.size();
    std::string value = json.substr(start, json.find('\n', start) - start);
    if (!value.empty() && value.back() == ',') value.pop_back();
    return value;
}

class ReportToolCare : public ::testing::Test {
protected:
    // A platinum catalyst measured by titration, with a TPD trace and two Tm values. The
    // titration results stored in the file are stale (zero): the tool shows them recalculated.
    void SetUp() override {
        auto report = std::make_unique<TestReport>();
        TestReportHeader& h = report->header();
        writeGbkField(h.sampleName, "铂催化剂A");
        writeGbkField(h.tester, "王工");
        writeGbkField(h.heading, "氨气程序升温脱附");
        h.sampleWeightG = 0.1f;
        h.testDate = {2026, 12, 9};
        h.upperTempC = 800.0f;
        h.rampRateCPerMin = 10.0f;
        h.titrationTempC = 50.0f;
        h.pulseArea = 1000.0f;
        h.pulseVolumeMl = 0.5f;
        h.pulseCount = 10;
        h.residualArea = 3000.0f;
        h.residualVolumeMl = 1.5f;
        h.stoichiometry = 0.6667f;
        h.atomicMass = 195.08f;
        h.massFraction = 0.005f;
        h.crossSectionNm2 = 0.089f;
        h.tmCount = 2;
        h.tmValues[0] = 245.5f;
        h.tmIndices[0] = 5;
        h.tmValues[1] = 512.0f;
        h.tmIndices[1] = 15;
        h.reportPointCount = 20;
        for (int i = 0; i < 20; ++i) {
            report->signalMv()[i] = 0.25f * static_cast<float>(i % 7);
            report->temperatureC()[i] = 50.0f + 10.0f * static_cast<float>(i);
        }
        ASSERT_TRUE(writeReportFile(care, *report).ok);
    }

    TestFolder folder{"report-tool-care"};
    std::string care = folder.file("catalyst.care");
};

TEST_F(ReportToolCare, SummaryGivesTheResultsTheWindowsShow) {
    const ToolRun text = runTool({care});
    ASSERT_EQ(text.code, kReportOk) << text.err;
    for (const char* line : {"类型 kind: report\n", "样品名称 sample: 铂催化剂A\n", "样品重量 weight: 0.1000 g\n",
                             "检测员 tester: 王工\n", "检测日期 date: 2026-12-9\n", "点数 points: 21\n",
                             "上限温度 upper temperature: 800 ℃\n", "Tm值 Tm: Tm = 246 ℃; Tm = 512 ℃\n",
                             "吸附体积 adsorbed volume: 3.500 ml\n", "吸附量 adsorbed per gram: 35.000 ml/g\n",
                             "脱附总量 desorbed total: 1.500 ml\n", "脱附量 desorbed per gram: 15.000 ml/g\n"}) {
        EXPECT_NE(text.out.find(line), std::string::npos) << line << "\n" << text.out;
    }

    const ToolRun json = runTool({care, "--json"});
    ASSERT_EQ(json.code, kReportOk) << json.err;
    EXPECT_EQ(json.out.front(), '{');
    EXPECT_EQ(jsonValueOf(json.out, "kind"), "\"report\"");
    EXPECT_EQ(jsonValueOf(json.out, "sample_name"), "\"铂催化剂A\"");
    EXPECT_EQ(jsonValueOf(json.out, "sample_weight_g"), "0.1");
    EXPECT_EQ(jsonValueOf(json.out, "tm_C"), "[245.5, 512]");
    EXPECT_EQ(jsonValueOf(json.out, "pulse_count"), "10");
    EXPECT_EQ(jsonValueOf(json.out, "adsorbed_volume_ml"), "3.5");
    // 0.6667 × 3.5 × 195.08 / 0.005 / 22414 / 0.1 and 3.5 × 2 × 602000 × 0.089 / 0.005 / 22414 / 0.1
    EXPECT_NEAR(std::stod(jsonValueOf(json.out, "dispersion")), 40.618, 0.01);
    EXPECT_NEAR(std::stod(jsonValueOf(json.out, "active_area_m2_g")), 33465.5, 5.0);
    EXPECT_NEAR(std::stod(jsonValueOf(json.out, "desorbed_per_gram_ml_g")), 15.0, 1e-4);
}

TEST_F(ReportToolCare, ACommaDesktopChangesNoNumber) {
    testing::CommaLocale german;
    ASSERT_TRUE(german.active());
    const ToolRun text = runTool({care});
    ASSERT_EQ(text.code, kReportOk) << text.err;
    EXPECT_NE(text.out.find("样品重量 weight: 0.1000 g\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("质量分数 mass fraction: 0.0050\n"), std::string::npos) << text.out;
    const ToolRun json = runTool({care, "--json"});
    EXPECT_EQ(jsonValueOf(json.out, "sample_weight_g"), "0.1");
    RecordingPdf pdf;
    ASSERT_EQ(runTool({care, "--pdf", folder.file("t.pdf"), "--page", "titration"}, nullptr, &pdf).code, kReportOk);
    EXPECT_TRUE(pdf.pageHas(0, "质量分数：0.0050"));
    const ToolRun csv = runTool({care, "--csv", "-"});
    EXPECT_NE(csv.out.find("\n0.6,0.75,80\n"), std::string::npos) << csv.out;
}

TEST_F(ReportToolCare, ResultsWithoutAValueAreNullAndDashed) {
    // No weight: no per-gram figure, dispersion or active area. A heading of two lines stays on
    // one line of the text summary.
    auto report = std::make_unique<TestReport>();
    ASSERT_TRUE(readReportFile(care, *report).ok);
    report->header().sampleWeightG = 0.0f;
    report->header().tmCount = 0;
    writeGbkField(report->header().heading, "氨气程序升温脱附\r\n第二行");
    ASSERT_TRUE(writeReportFile(care, *report).ok);

    const ToolRun json = runTool({care, "--json"});
    ASSERT_EQ(json.code, kReportOk) << json.err;
    EXPECT_EQ(jsonValueOf(json.out, "heading"), "\"氨气程序升温脱附\\r\\n第二行\"");
    EXPECT_EQ(jsonValueOf(json.out, "dispersion"), "null");
    EXPECT_EQ(jsonValueOf(json.out, "desorbed_per_gram_ml_g"), "null");
    EXPECT_EQ(jsonValueOf(json.out, "tm_C"), "[]");
    EXPECT_EQ(json.out.find("inf"), std::string::npos);
    EXPECT_EQ(json.out.find("nan"), std::string::npos);
    const ToolRun text = runTool({care});
    EXPECT_NE(text.out.find("金属分散度 dispersion: —\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("标题 heading: 氨气程序升温脱附 第二行\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Tm值 Tm: —\n"), std::string::npos) << text.out;
}

TEST_F(ReportToolCare, CsvHoldsTheReportTrace) {
    const std::string csv = folder.file("catalyst.csv");
    const ToolRun r = runTool({care, "--csv", csv});
    ASSERT_EQ(r.code, kReportOk) << r.err;
    const std::string bytes = readBytes(csv);
    EXPECT_EQ(bytes.substr(0, bytes.find('\n')), "\xEF\xBB\xBFtime_s,signal_mV,temperature_C");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 22);  // header and the points 0 .. 20
    EXPECT_NE(bytes.find("\n0.6,0.75,80\n"), std::string::npos);  // point 3

    const ToolRun toOut = runTool({care, "--csv", "-"});
    ASSERT_EQ(toOut.code, kReportOk);
    EXPECT_EQ(toOut.out, bytes);  // the CSV alone, no summary
}

TEST_F(ReportToolCare, PdfPagesAreThePrintedPagesOfTheChosenTest) {
    RecordingPdf pdf;
    const std::string out = folder.file("tp.pdf");
    ASSERT_EQ(runTool({care, "--pdf", out}, nullptr, &pdf).code, kReportOk);
    EXPECT_EQ(pdf.document, kTpReportDocumentName);
    ASSERT_EQ(pdf.pages.size(), 1u);
    EXPECT_TRUE(pdf.pageHas(0, kReportProductTitle));
    EXPECT_TRUE(pdf.pageHas(0, "Tm值"));
    EXPECT_EQ(readBytes(out).rfind("%PDF", 0), 0u);

    ASSERT_EQ(runTool({care, "--pdf", out, "--page", "titration"}, nullptr, &pdf).code, kReportOk);
    EXPECT_EQ(pdf.document, "氢氧滴定分析报告");
    // The page prints the recalculated result, not the stale zero of the file.
    EXPECT_TRUE(pdf.pageHas(0, "吸附体积[ml]：3.500"));

    ASSERT_EQ(runTool({care, "--pdf", out, "--page", "desorption"}, nullptr, &pdf).code, kReportOk);
    EXPECT_EQ(pdf.document, "脱附量测试");

    // The letterhead comes from the operator's file when given.
    const std::string letterhead = folder.file("ReportLetterhead.ini");
    writeBytes(letterhead, "hotline=400-123-4567\n");
    ASSERT_EQ(runTool({care, "--pdf", out, "--letterhead", letterhead}, nullptr, &pdf).code, kReportOk);
    EXPECT_TRUE(pdf.pageHas(0, "400-123-4567"));
}

TEST_F(ReportToolCare, WrongChoicesAndFailedOutputsGiveTheirCodes) {
    RecordingPdf pdf;
    const std::string out = folder.file("x.pdf");
    ToolRun r = runTool({care, "--pdf", out, "--page", "bet"}, nullptr, &pdf);
    EXPECT_EQ(r.code, kReportUsage);
    EXPECT_NE(r.err.find("unknown page \"bet\""), std::string::npos);
    r = runTool({care, "--table", "samples"}, nullptr, &pdf);
    EXPECT_EQ(r.code, kReportUsage);
    EXPECT_NE(r.err.find("--table"), std::string::npos);
    r = runTool({care, "--png", folder.file("x.png")}, nullptr, &pdf);
    EXPECT_EQ(r.code, kReportUsage);  // a report file has no picture of its own
    r = runTool({care, "--pdf", "-"}, nullptr, &pdf);
    EXPECT_EQ(r.code, kReportUsage);
    r = runTool({care, "--letterhead", folder.path().string(), "--pdf", out}, nullptr, &pdf);
    EXPECT_EQ(r.code, kReportUsage);
    EXPECT_NE(r.err.find("letterhead"), std::string::npos);
    r = runTool({care, "--letterhead", folder.file("mistyped.ini"), "--pdf", out}, nullptr, &pdf);
    EXPECT_EQ(r.code, kReportUsage);
    EXPECT_NE(r.err.find("no letterhead file"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out));

    // A writer that fails, and a build without one: exit 3, no summary as if all went well.
    pdf.failWith = "无法建立\ncannot write";
    r = runTool({care, "--pdf", out}, nullptr, &pdf);
    EXPECT_EQ(r.code, kReportOutputFailed);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos);
    EXPECT_TRUE(r.out.empty());
    r = runTool({care, "--pdf", out});
    EXPECT_EQ(r.code, kReportOutputFailed);
    EXPECT_TRUE(r.out.empty());
    r = runTool({care, "--csv", folder.file("no/such/folder/x.csv")});
    EXPECT_EQ(r.code, kReportOutputFailed);
}

TEST_F(ReportToolCare, DamagedAndForeignFilesAreRefusedWithTwo) {
    // Shorter than a report's header: not a report at all.
    const std::string shortFile = folder.file("short.care");
    writeBytes(shortFile, "hello");
    ToolRun r = runTool({shortFile});
    EXPECT_EQ(r.code, kReportInputRefused);
    EXPECT_NE(r.err.find("不是报告文件：文件太短"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());

    // The header and part of its 21 points: the missing ones would read as zeros.
    const std::string cut = folder.file("cut.care");
    writeBytes(cut, readBytes(care).substr(0, kTestReportHeaderBytes + 21 * 4));
    r = runTool({cut, "--csv", "-"});
    EXPECT_EQ(r.code, kReportInputRefused);
    EXPECT_NE(r.err.find("不是完整的报告文件"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());

    // A typed value or a trace point without a value is nothing the program writes.
    auto report = std::make_unique<TestReport>();
    ASSERT_TRUE(readReportFile(care, *report).ok);
    report->signalMv()[7] = std::nanf("");
    const std::string noValue = folder.file("nan.care");
    ASSERT_TRUE(writeReportFile(noValue, *report).ok);
    r = runTool({noValue});
    EXPECT_EQ(r.code, kReportInputRefused);
    EXPECT_NE(r.err.find("谱图第7点不是有限数值"), std::string::npos) << r.err;
    report->signalMv()[7] = 0.0f;
    report->header().atomicMass = INFINITY;
    ASSERT_TRUE(writeReportFile(noValue, *report).ok);
    EXPECT_EQ(runTool({noValue}).code, kReportInputRefused);

    // A header whose Tm count cannot be held.
    std::string bytes = readBytes(care).substr(0, kTestReportHeaderBytes);
    const int32_t badCount = 500;
    bytes.replace(offsetof(TestReportHeader, tmCount), 4, reinterpret_cast<const char*>(&badCount), 4);
    const std::string damaged = folder.file("damaged.care");
    writeBytes(damaged, bytes);
    r = runTool({damaged, "--json"});
    EXPECT_EQ(r.code, kReportInputRefused);
    EXPECT_NE(r.err.find("cannot use the report file"), std::string::npos) << r.err;

    EXPECT_EQ(runTool({folder.file("missing.care")}).code, kReportInputRefused);
    // The extension is known in any letter case.
    const std::string upper = folder.file("CATALYST.CARE");
    writeBytes(upper, readBytes(care));
    EXPECT_EQ(runTool({upper}).code, kReportOk);
}

}  // namespace
}  // namespace vespian
