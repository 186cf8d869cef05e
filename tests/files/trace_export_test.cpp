#include "files/trace_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "files/peak_application.h"
#include "files/test_report.h"
#include "platform/gbk_text.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "trace/chromatogram.h"
#include "trace/quant_peak.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::PromptRecord;
using testing::readBytes;
using testing::ScriptedPrompts;

const std::string kHeaderGbk = gbkFromUtf8("\t\t电压\t\t\t温度\t\t\t时间(秒)\r\n");

// A trace of 200 points: signal i / 8 mV, temperature 25 + i / 2 ℃.
std::unique_ptr<Chromatogram> numberedTrace() {
    std::vector<float> s(200), t(200);
    for (int i = 0; i < 200; ++i) {
        s[i] = static_cast<float>(i) / 8.0f;
        t[i] = 25.0f + static_cast<float>(i) / 2.0f;
    }
    auto trace = std::make_unique<Chromatogram>();
    trace->replace(s.data(), t.data(), 200);
    return trace;
}

TEST(TraceExport, RowsEveryIntervalFromTheStartUpToTheEnd) {
    auto trace = numberedTrace();
    const std::string text = traceExportText(trace->signalMv(), trace->temperatureC(), 100, 130, 10);
    EXPECT_EQ(text, kHeaderGbk +
                        "\t\t12.5000\t\t\t75.00\t\t\t20\r\n"
                        "\t\t13.7500\t\t\t80.00\t\t\t22\r\n"
                        "\t\t15.0000\t\t\t85.00\t\t\t24\r\n");
    EXPECT_EQ(traceExportText(trace->signalMv(), trace->temperatureC(), 130, 130, 10), kHeaderGbk);
    EXPECT_EQ(traceExportText(trace->signalMv(), trace->temperatureC(), 130, 100, 1), kHeaderGbk);
    EXPECT_EQ(traceExportText(trace->signalMv(), trace->temperatureC(), 100, 130, 0), kHeaderGbk);  // no endless loop
}

// 1234.5678f is 1234.56774902…: nine characters of text, followed by two tabs.
TEST(TraceExport, TabsFollowTheLengthOfEachText) {
    EXPECT_EQ(traceExportRow(1234.5678f, 100.0f, 5), "\t\t1234.5677\t\t100.00\t\t\t1\r\n");
    EXPECT_EQ(traceExportRow(12.3456f, 12345.67f, 10), "\t\t12.3456\t\t\t12345.67\t\t2\r\n");
    EXPECT_EQ(traceExportRow(-0.5f, -5.0f, 4), "\t\t-0.5000\t\t\t-5.00\t\t\t0\r\n");
}

TEST(TraceExport, TheIntervalMustBeAtLeastOne) {
    EXPECT_EQ(readExportInterval("10").interval, 10);
    EXPECT_FALSE(readExportInterval("10").refusal);
    EXPECT_EQ(readExportInterval(" 3 ").interval, 3);
    for (const char* bad : {"0", "", "-3", "abc", "1.5", "99999999999"}) {
        const ExportInterval r = readExportInterval(bad);
        ASSERT_TRUE(r.refusal) << bad;
        EXPECT_EQ(r.refusal->caption, "警告");
        EXPECT_EQ(r.refusal->text, "取点间隔应为大于 0 的整数。");
    }
    EXPECT_STREQ(exportStatusAfter(true), "数据导出完毕!!");
    EXPECT_STREQ(exportStatusAfter(false), "数据导出被终止!!");
}

class TraceExportFileTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return folder.file(name); }
    testing::TestFolder folder{"trace_export"};
    ScriptedPrompts prompts;
    std::unique_ptr<Chromatogram> trace = numberedTrace();
};

TEST_F(TraceExportFileTest, TheFileDialogOffersTheNameAndTheExtensionIsAppended) {
    prompts.chooseFile(path("result"));
    EXPECT_TRUE(exportTraceData(prompts, *trace, 100, 130, 10, "SAVE"));
    const PromptRecord& dialog = prompts.records().at(0);
    EXPECT_EQ(dialog.kind, PromptRecord::Kind::SaveFile);
    EXPECT_EQ(dialog.caption, "保存文本文件");
    EXPECT_EQ(dialog.text, "文本文件 (*.txt)");
    EXPECT_EQ(dialog.initialDirectory, "SAVE");
    EXPECT_EQ(dialog.initialName, "导出数据");
    EXPECT_EQ(readBytes(path("result.txt")),
              traceExportText(trace->signalMv(), trace->temperatureC(), 100, 130, 10));

    prompts.chooseFile(path("result.TXT"));
    EXPECT_TRUE(exportTraceData(prompts, *trace, 0, 3, 1, "SAVE"));
    EXPECT_TRUE(fs::exists(path("result.TXT.txt")));
}

TEST_F(TraceExportFileTest, DeclinedCancelledOrUnwritableExportsReportFailure) {
    prompts.chooseFile(path("result.txt"));
    EXPECT_TRUE(exportTraceData(prompts, *trace, 0, 10, 1, "SAVE"));
    const std::string before = readBytes(path("result.txt"));

    prompts.chooseFile(path("result.txt"));
    prompts.answerNo();
    EXPECT_FALSE(exportTraceData(prompts, *trace, 0, 100, 1, "SAVE"));
    EXPECT_EQ(prompts.texts().back(), "‘" + path("result.txt") + "’文件已经存在，是否要替换它？");
    EXPECT_EQ(readBytes(path("result.txt")), before);

    prompts.cancelFile();
    EXPECT_FALSE(exportTraceData(prompts, *trace, 0, 100, 1, "SAVE"));

    prompts.clear();
    prompts.chooseFile(path("nowhere/x"));
    EXPECT_FALSE(exportTraceData(prompts, *trace, 0, 100, 1, "SAVE"));
    ASSERT_EQ(prompts.records().size(), 2u);
    EXPECT_EQ(prompts.records()[1].caption, "错误");
    EXPECT_EQ(prompts.records()[1].text, "无法建立‘" + path("nowhere/x.txt") + "’文件");
}

TEST(PeakApplication, TheDialogsButtonsLeadWhereTheChoiceSays) {
    EXPECT_EQ(applyToAction(ApplyToButton::Ok, PeakUse::Quantitative), ApplyToAction::OpenQuantWindow);
    EXPECT_EQ(applyToAction(ApplyToButton::Ok, PeakUse::Sample), ApplyToAction::ApplySample);
    EXPECT_EQ(applyToAction(ApplyToButton::ExportText, PeakUse::Sample), ApplyToAction::OpenExportDialog);
    EXPECT_EQ(applyToAction(ApplyToButton::Cancel, PeakUse::Quantitative), ApplyToAction::None);
}

TEST(PeakApplication, ASampleStretchGoesIntoTheReportAndIsQuantified) {
    // Points 100 .. 104 of the trace: 0, 250, 500, 250, 0 mV — stretch area 1000.
    std::vector<float> s(200, 9.0f), t(200);
    const float bump[5] = {0.0f, 250.0f, 500.0f, 250.0f, 0.0f};
    for (int i = 0; i < 5; ++i) s[100 + i] = bump[i];
    for (int i = 0; i < 200; ++i) t[i] = 300.0f + static_cast<float>(i);
    auto trace = std::make_unique<Chromatogram>();
    trace->replace(s.data(), t.data(), 200);
    auto quant = std::make_unique<QuantPeak>();
    quant->volumeMl = 0.5f;
    quant->area = 2000.0f;

    auto report = std::make_unique<TestReport>();
    report->header().tmCount = 1;
    report->header().tmIndices[0] = 50;
    report->header().sampleWeightG = 0.25f;
    report->signalMv()[5] = 77.0f;  // beyond the new stretch: stays
    const SampleApplication a = applySampleStretch(*report, *trace, 100, 104, *quant);
    EXPECT_EQ(a.reportPointCount, 4);
    EXPECT_EQ(a.area, 1000.0f);
    EXPECT_EQ(a.amountMl, 0.25f);
    const TestReportHeader& h = report->header();
    EXPECT_EQ(h.reportPointCount, 4);
    EXPECT_EQ(h.pulseArea, 2000.0f);
    EXPECT_EQ(h.pulseVolumeMl, 0.5f);
    EXPECT_EQ(h.residualArea, 1000.0f);
    EXPECT_EQ(h.residualVolumeMl, 0.25f);
    EXPECT_EQ(report->signalMv()[2], 500.0f);
    EXPECT_EQ(report->temperatureC()[4], 404.0f);
    EXPECT_EQ(report->signalMv()[5], 77.0f);
    EXPECT_EQ(h.tmCount, 1);  // the Tm list stays
    EXPECT_EQ(h.tmIndices[0], 50);
    EXPECT_EQ(h.sampleWeightG, 0.25f);

    // No quantitative peak yet: the amount is 0, not a division by zero.
    quant->area = 0.0f;
    EXPECT_EQ(applySampleStretch(*report, *trace, 100, 104, *quant).amountMl, 0.0f);
    EXPECT_EQ(report->header().residualVolumeMl, 0.0f);
}

}  // namespace
}  // namespace vespian
