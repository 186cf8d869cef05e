#include "trace/trace_file_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "trace/chromatogram.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::PromptRecord;
using testing::ScriptedPrompts;

class TraceFileCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<float> values = {1.0f, 2.0f, 3.0f};
        trace.replace(values.data(), values.data(), 3);
    }

    std::string path(const std::string& name) const { return scratch.file(name); }

    testing::TestFolder scratch{"trace_commands"};
    ScriptedPrompts prompts;
    Chromatogram trace;
};

TEST_F(TraceFileCommandsTest, SaveAppendsTheExtensionAndUsesTheTraceDialog) {
    prompts.chooseFile(path("run"));
    saveTraceWithDialog(prompts, trace, "SAVE");
    ASSERT_EQ(prompts.records().size(), 1u);
    const PromptRecord& dialog = prompts.records()[0];
    EXPECT_EQ(dialog.kind, PromptRecord::Kind::SaveFile);
    EXPECT_EQ(dialog.caption, "保存谱图文件");
    EXPECT_EQ(dialog.text, "Vespian2002谱图文件 (*.lne)");
    EXPECT_EQ(dialog.initialDirectory, "SAVE");
    EXPECT_EQ(fs::file_size(path("run.lne")), 4u + 8u * 3u);

    prompts.chooseFile(path("upper.LNE"));
    saveTraceWithDialog(prompts, trace, "SAVE");
    EXPECT_TRUE(fs::exists(path("upper.LNE.lne")));
}

TEST_F(TraceFileCommandsTest, ExistingFileIsReplacedOnlyOnYes) {
    std::ofstream(path("old.lne")) << "keep me";
    prompts.chooseFile(path("old.lne"));
    prompts.answerNo();
    saveTraceWithDialog(prompts, trace, "SAVE");
    ASSERT_EQ(prompts.texts(), std::vector<std::string>{"‘" + path("old.lne") + "’文件已经存在，是否要替换它？"});
    EXPECT_EQ(prompts.records()[1].caption, "新建");
    EXPECT_EQ(prompts.records()[1].icon, PromptIcon::Warning);
    EXPECT_EQ(fs::file_size(path("old.lne")), 7u);  // No: nothing written

    prompts.chooseFile(path("old.lne"));
    prompts.answerYes();
    saveTraceWithDialog(prompts, trace, "SAVE");
    EXPECT_EQ(fs::file_size(path("old.lne")), 28u);
    EXPECT_EQ(prompts.unscripted(), 0);
}

TEST_F(TraceFileCommandsTest, CancelAndFailuresAreHandled) {
    prompts.cancelFile();
    saveTraceWithDialog(prompts, trace, "SAVE");
    EXPECT_EQ(prompts.records().size(), 1u);  // only the dialog

    prompts.chooseFile(path("no folder/x"));
    saveTraceWithDialog(prompts, trace, "SAVE");
    ASSERT_EQ(prompts.records().size(), 3u);
    EXPECT_EQ(prompts.records()[2].caption, "错误");
    EXPECT_EQ(prompts.records()[2].text, "无法建立‘" + path("no folder/x.lne") + "’文件");
    EXPECT_EQ(prompts.records()[2].icon, PromptIcon::Error);
}

TEST_F(TraceFileCommandsTest, OpenReplacesTheTraceOrSaysWhyNot) {
    prompts.chooseFile(path("run"));
    saveTraceWithDialog(prompts, trace, "SAVE");
    std::vector<float> other(10, 7.0f);
    trace.replace(other.data(), other.data(), 10);

    prompts.clear();
    prompts.chooseFile(path("run.lne"));
    EXPECT_TRUE(openTraceWithDialog(prompts, trace, "SAVE"));
    EXPECT_EQ(prompts.records()[0].caption, "打开谱图文件");
    EXPECT_EQ(trace.pointCount(), 3);

    std::ofstream(path("bad.lne")) << "not a trace";
    prompts.chooseFile(path("bad.lne"));
    EXPECT_FALSE(openTraceWithDialog(prompts, trace, "SAVE"));
    EXPECT_EQ(prompts.records().back().caption, "错误");
    EXPECT_NE(prompts.records().back().text.find("bad.lne"), std::string::npos);
    EXPECT_EQ(trace.pointCount(), 3);

    prompts.chooseFile(path("missing.lne"));
    EXPECT_FALSE(openTraceWithDialog(prompts, trace, "SAVE"));
    EXPECT_EQ(prompts.records().back().text, "无法打开‘" + path("missing.lne") + "’文件");

    prompts.cancelFile();
    EXPECT_FALSE(openTraceWithDialog(prompts, trace, "SAVE"));
    EXPECT_EQ(trace.pointCount(), 3);
}

// An operator's link to a shared folder stays a link, and the file keeps its permissions; a
// write-protected file is refused with the usual message and left as it was.
TEST_F(TraceFileCommandsTest, LinksPermissionsAndWriteProtectionOfTheTarget) {
    fs::create_directories(scratch / "shared");
    fs::create_symlink("shared/run.lne", scratch / "run.lne");
    prompts.chooseFile(path("run.lne"));
    const TraceFileResult saved = saveTraceWithDialog(prompts, trace, "SAVE");
    EXPECT_TRUE(saved.ok);
    EXPECT_EQ(saved.points, 3);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(scratch / "run.lne")));
    EXPECT_EQ(fs::file_size(scratch / "shared" / "run.lne"), 4u + 8u * 3u);

    fs::permissions(scratch / "shared" / "run.lne", fs::perms::owner_read | fs::perms::owner_write |
                                                        fs::perms::group_read | fs::perms::group_write);
    prompts.chooseFile(path("run.lne"));
    prompts.answerYes();  // replace
    EXPECT_TRUE(saveTraceWithDialog(prompts, trace, "SAVE").ok);
    EXPECT_EQ(fs::status(scratch / "shared" / "run.lne").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write);

    fs::permissions(scratch / "shared" / "run.lne", fs::perms::owner_read | fs::perms::group_read);
    const std::string before = testing::readBytes(scratch / "shared" / "run.lne");
    std::vector<float> longer(10, 7.0f);
    trace.replace(longer.data(), longer.data(), 10);
    prompts.clear();
    prompts.chooseFile(path("run.lne"));
    prompts.answerYes();
    const TraceFileResult refused = saveTraceWithDialog(prompts, trace, "SAVE");
    EXPECT_FALSE(refused.ok);
    ASSERT_EQ(prompts.records().size(), 3u);
    EXPECT_EQ(prompts.records()[2].text, "无法建立‘" + path("run.lne") + "’文件");
    EXPECT_EQ(prompts.records()[2].caption, "错误");
    EXPECT_EQ(testing::readBytes(scratch / "shared" / "run.lne"), before);
    EXPECT_EQ(fs::status(scratch / "shared" / "run.lne").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read);
}

}  // namespace
}  // namespace vespian
