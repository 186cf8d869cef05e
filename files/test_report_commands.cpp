#include "files/test_report_commands.h"

#include <filesystem>

#include "files/test_report.h"
#include "files/test_report_file.h"
#include "platform/prompts.h"

namespace vespian {

namespace {

FileDialogRequest reportDialog(const char* title, const std::string& dataFolder) {
    return {title, kReportFileFilter, kReportFilePattern, dataFolder};
}

bool exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

}  // namespace

ReportLocation startReportLocation(const std::string& dataFolder) {
    return {defaultReportPath(dataFolder), dataFolder};
}

bool saveReportAs(Prompts& prompts, const TestReport& report, ReportLocation& location) {
    const std::optional<std::string> chosen = prompts.saveFileName(reportDialog("保存报告", location.dataFolder));
    if (!chosen) return false;
    const std::string path = withReportExtension(*chosen);
    if (exists(path) && !prompts.askYesNo("新建", "‘" + path + "’文件已经存在，是否要替换它？", PromptIcon::Warning)) {
        return false;
    }
    const ReportFileResult written = writeReportFile(path, report);
    if (!written.ok) {
        prompts.message("错误", written.message, PromptIcon::Error);
        return false;
    }
    location.currentPath = path;
    return true;
}

bool openReport(Prompts& prompts, TestReport& report, ReportLocation& location) {
    const std::optional<std::string> chosen = prompts.openFileName(reportDialog("打开报告", location.dataFolder));
    if (!chosen) return false;
    const ReportFileResult read = readReportFile(*chosen, report);
    if (!read.ok) {
        prompts.message("错误", read.message, PromptIcon::Error);
        return false;
    }
    location.currentPath = *chosen;
    return true;
}

bool quickWriteReport(Prompts& prompts, const TestReport& report, const ReportLocation& location) {
    const ReportFileResult written = writeReportFile(location.currentPath, report);
    if (!written.ok) prompts.message("错误", written.message, PromptIcon::Error);
    return written.ok;
}

}  // namespace vespian
