// The export steps shared by every "导出" command: extension, the replace question, the write
// through a temporary file and the messages when it fails.

#include "platform/export_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/scripted_prompts.h"
#include "support/test_files.h"

namespace vespian {
namespace {

using testing::readBytes;
using testing::ScriptedPrompts;
using testing::TestFolder;
using testing::writeBytes;
namespace fs = std::filesystem;

TEST(ExportFile, ExtensionIsAddedUnlessPresentInAnyCase) {
    EXPECT_EQ(withExtension("report", ".pdf"), "report.pdf");
    EXPECT_EQ(withExtension("report.PDF", ".pdf"), "report.PDF");
    EXPECT_EQ(withExtension("report.pdf.png", ".pdf"), "report.pdf.png.pdf");
    EXPECT_EQ(withExtension("pdf", ".pdf"), "pdf.pdf");
    EXPECT_EQ(withExtension("", ".png"), ".png");
}

TEST(ExportFile, ChoosingAsksBeforeReplacingAndHonoursCancel) {
    TestFolder folder("export_file");
    ScriptedPrompts prompts;
    const FileDialogRequest request{"导出PDF", "PDF文件 (*.pdf)", "*.pdf", folder.path().string(), "报告"};

    prompts.chooseFile(folder.file("new"));
    EXPECT_EQ(chooseExportFile(prompts, request, kPdfExtension), folder.file("new.pdf"));
    EXPECT_EQ(prompts.records().back().caption, "导出PDF");
    EXPECT_EQ(prompts.records().back().initialName, "报告");

    writeBytes(folder / "old.pdf", "old");
    prompts.chooseFile(folder.file("old.pdf"));
    prompts.answerNo();
    EXPECT_EQ(chooseExportFile(prompts, request, kPdfExtension), std::nullopt);
    EXPECT_EQ(prompts.texts().back(), "‘" + folder.file("old.pdf") + "’文件已经存在，是否要替换它？");

    prompts.chooseFile(folder.file("old"));  // the extension is added before the question
    prompts.answerYes();
    EXPECT_EQ(chooseExportFile(prompts, request, kPdfExtension), folder.file("old.pdf"));

    prompts.cancelFile();
    EXPECT_EQ(chooseExportFile(prompts, request, kPdfExtension), std::nullopt);
    EXPECT_EQ(prompts.unscripted(), 0);
}

TEST(ExportFile, FailedWritesAreSaidAndLeaveTheOldFile) {
    TestFolder folder("export_file");
    ScriptedPrompts prompts;
    EXPECT_TRUE(writeExportBytes(prompts, folder.file("a.csv"), "x,y\r\n"));
    EXPECT_EQ(readBytes(folder / "a.csv"), "x,y\r\n");

    const std::string nowhere = folder.file("missing/a.csv");
    EXPECT_FALSE(writeExportBytes(prompts, nowhere, "x"));
    EXPECT_EQ(prompts.texts().back(), "无法建立‘" + nowhere + "’文件");

    // A read-only file is not replaced, and the operator is told (not silently skipped).
    writeBytes(folder / "locked.csv", "kept");
    fs::permissions(folder / "locked.csv", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const size_t before = prompts.records().size();
    EXPECT_FALSE(writeExportBytes(prompts, folder.file("locked.csv"), "new"));
    ASSERT_EQ(prompts.records().size(), before + 1);
    EXPECT_EQ(prompts.records().back().caption, "错误");
    EXPECT_EQ(prompts.texts().back(), "‘" + folder.file("locked.csv") + "’文件是只读的,文件没有保存");
    EXPECT_EQ(readBytes(folder / "locked.csv"), "kept");

    // A writer that fails: one message, nothing claimed.
    prompts.chooseFile(folder.file("b"));
    EXPECT_FALSE(exportToChosenFile(prompts, {"导出PDF", "", "", "", ""}, kPdfExtension,
                                    [](const std::string&) { return false; }));
    EXPECT_EQ(prompts.texts().back(), "写入‘" + folder.file("b.pdf") + "’文件失败,文件没有保存");
    prompts.chooseFile(folder.file("c"));
    std::string written;
    EXPECT_TRUE(exportToChosenFile(prompts, {"导出PDF", "", "", "", ""}, kPdfExtension, [&](const std::string& path) {
        written = path;
        return true;
    }));
    EXPECT_EQ(written, folder.file("c.pdf"));
}

}  // namespace
}  // namespace vespian
