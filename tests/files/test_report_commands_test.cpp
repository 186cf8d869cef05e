#include "files/test_report_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "files/test_report.h"
#include "files/test_report_file.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::PromptRecord;
using testing::readBytes;
using testing::ScriptedPrompts;
using testing::writeBytes;

class ReportCommandsTest : public ::testing::Test {
protected:
    ReportCommandsTest() : report(std::make_unique<TestReport>()) {
        report->header().reportPointCount = 4;
        report->header().sampleWeightG = 0.5f;
        location = startReportLocation(folder.path().string());
    }

    std::string path(const std::string& name) const { return folder.file(name); }

    testing::TestFolder folder{"report_commands"};
    ScriptedPrompts prompts;
    std::unique_ptr<TestReport> report;
    ReportLocation location;
};

TEST_F(ReportCommandsTest, SaveAsUsesTheReportDialogAndTheExtensionRule) {
    EXPECT_EQ(location.currentPath, path("新文件.care"));
    prompts.chooseFile(path("abc"));
    EXPECT_TRUE(saveReportAs(prompts, *report, location));
    ASSERT_EQ(prompts.records().size(), 1u);
    const PromptRecord& dialog = prompts.records()[0];
    EXPECT_EQ(dialog.kind, PromptRecord::Kind::SaveFile);
    EXPECT_EQ(dialog.caption, "保存报告");
    EXPECT_EQ(dialog.text, "Vespian2002报告 (*.care)");
    EXPECT_EQ(dialog.initialDirectory, folder.path().string());
    EXPECT_EQ(fs::file_size(path("abc.care")), 80'001'156u);
    EXPECT_EQ(location.currentPath, path("abc.care"));

    prompts.chooseFile(path("abc.CARE"));
    EXPECT_TRUE(saveReportAs(prompts, *report, location));
    EXPECT_TRUE(fs::exists(path("abc.CARE.care")));
    EXPECT_EQ(location.currentPath, path("abc.CARE.care"));

    prompts.cancelFile();
    EXPECT_FALSE(saveReportAs(prompts, *report, location));
    EXPECT_EQ(location.currentPath, path("abc.CARE.care"));
}

TEST_F(ReportCommandsTest, AnExistingFileIsReplacedOnlyOnYesAndNoLeavesTheCurrentFile) {
    writeBytes(path("old.care"), "keep");
    prompts.chooseFile(path("old.care"));
    prompts.answerNo();
    EXPECT_FALSE(saveReportAs(prompts, *report, location));
    ASSERT_EQ(prompts.texts(), std::vector<std::string>{"‘" + path("old.care") + "’文件已经存在，是否要替换它？"});
    EXPECT_EQ(prompts.records()[1].caption, "新建");
    EXPECT_EQ(prompts.records()[1].icon, PromptIcon::Warning);
    EXPECT_EQ(readBytes(path("old.care")), "keep");
    // "确定" must not land on the file the operator chose not to replace.
    EXPECT_EQ(location.currentPath, path("新文件.care"));

    prompts.chooseFile(path("old.care"));
    prompts.answerYes();
    EXPECT_TRUE(saveReportAs(prompts, *report, location));
    EXPECT_EQ(fs::file_size(path("old.care")), 80'001'156u);
}

TEST_F(ReportCommandsTest, ASaveThatCannotBeWrittenIsReported) {
    prompts.chooseFile(path("missing/r"));
    EXPECT_FALSE(saveReportAs(prompts, *report, location));
    ASSERT_EQ(prompts.records().size(), 2u);
    EXPECT_EQ(prompts.records()[1].caption, "错误");
    EXPECT_EQ(prompts.records()[1].text, "无法建立‘" + path("missing/r.care") + "’文件");
    EXPECT_EQ(prompts.records()[1].icon, PromptIcon::Error);
    EXPECT_EQ(location.currentPath, path("新文件.care"));
}

TEST_F(ReportCommandsTest, OpenReplacesTheRecordAndBecomesTheCurrentFile) {
    ASSERT_TRUE(writeReportFile(path("t.care"), *report).ok);
    auto other = std::make_unique<TestReport>();
    prompts.chooseFile(path("t.care"));
    EXPECT_TRUE(openReport(prompts, *other, location));
    EXPECT_EQ(prompts.records()[0].kind, PromptRecord::Kind::OpenFile);
    EXPECT_EQ(prompts.records()[0].caption, "打开报告");
    EXPECT_EQ(prompts.records()[0].text, "Vespian2002报告 (*.care)");
    EXPECT_EQ(other->header().sampleWeightG, 0.5f);
    EXPECT_EQ(location.currentPath, path("t.care"));

    // Not a report: refused with its reason; the record and the current file stay.
    std::string bad(2000, '\0');
    bad[1152 + 3] = '\x80';  // point count negative
    writeBytes(path("bad.care"), bad);
    other->header().sampleWeightG = 2.0f;
    prompts.clear();
    prompts.chooseFile(path("bad.care"));
    EXPECT_FALSE(openReport(prompts, *other, location));
    ASSERT_EQ(prompts.records().size(), 2u);
    EXPECT_EQ(prompts.records()[1].caption, "错误");
    EXPECT_NE(prompts.records()[1].text.find("不是报告文件"), std::string::npos);
    EXPECT_EQ(other->header().sampleWeightG, 2.0f);
    EXPECT_EQ(location.currentPath, path("t.care"));

    prompts.clear();
    prompts.cancelFile();
    EXPECT_FALSE(openReport(prompts, *other, location));
    EXPECT_EQ(prompts.records().size(), 1u);
}

TEST_F(ReportCommandsTest, QuickWriteGoesToTheCurrentFileWithoutAsking) {
    EXPECT_TRUE(quickWriteReport(prompts, *report, location));
    EXPECT_TRUE(prompts.records().empty());
    EXPECT_EQ(fs::file_size(path("新文件.care")), 80'001'156u);
    report->header().sampleWeightG = 0.75f;
    EXPECT_TRUE(quickWriteReport(prompts, *report, location));  // overwrites, no question
    auto back = std::make_unique<TestReport>();
    ASSERT_TRUE(readReportFile(path("新文件.care"), *back).ok);
    EXPECT_EQ(back->header().sampleWeightG, 0.75f);

    location.currentPath = path("gone/x.care");
    EXPECT_FALSE(quickWriteReport(prompts, *report, location));
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].text, "无法建立‘" + path("gone/x.care") + "’文件");
}

}  // namespace
}  // namespace vespian
