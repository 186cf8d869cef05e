#include "method/run_files.h"

#include <cstdio>
#include <filesystem>

#include "files/test_report_file.h"
#include "files/trace_csv.h"
#include "platform/replace_file.h"
#include "trace/chromatogram.h"
#include "trace/trace_file.h"

namespace vespian {

namespace {

constexpr int kMaxSameDayRuns = 999;

}  // namespace

std::string runFolderName(const std::string& sampleName, const ReportDate& date) {
    std::string name;
    for (char c : sampleName) {
        const auto byte = static_cast<unsigned char>(c);
        name += byte < 0x20 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
                        c == '>' || c == '|'
                    ? '_'
                    : c;
    }
    if (name.empty() || name == "." || name == "..") name = "样品";
    char day[32];
    std::snprintf(day, sizeof day, "_%04d-%02d-%02d", date.year, date.month, date.day);
    return name + day;
}

std::string createRunFolder(const std::string& dataFolder, const std::string& sampleName, const ReportDate& date) {
    namespace fs = std::filesystem;
    const std::string base = runFolderName(sampleName, date);
    std::error_code error;
    fs::create_directories(dataFolder, error);
    for (int n = 1; n <= kMaxSameDayRuns; ++n) {
        const fs::path folder = fs::path(dataFolder) / (n == 1 ? base : base + "-" + std::to_string(n));
        // create_directory says whether it made the folder: an existing one belongs to another run.
        if (fs::create_directory(folder, error)) return folder.string();
        if (error && error != std::errc::file_exists) return {};
    }
    return {};
}

RunFilesOutcome saveRunFiles(const SaveStep& step, const std::string& folder, const RunFilesInput& input) {
    RunFilesOutcome outcome;
    const std::string base = (std::filesystem::path(folder) / std::string(testKindKey(input.method.test))).string();
    for (SaveItem item : step.items) {
        switch (item) {
        case SaveItem::Trace: {
            const std::string path = base + kTraceFileExtension;
            const TraceFileResult saved = saveTraceFile(path, input.trace);
            if (saved.ok) {
                outcome.written.push_back(path);
            } else {
                outcome.problems.push_back(saved.message);
            }
            break;
        }
        case SaveItem::Report: {
            const std::string path = base + kReportFileExtension;
            if (input.report == nullptr) {
                outcome.problems.push_back("还没有评价，不能保存报告“" + path + "”");
                break;
            }
            const ReportFileResult saved = writeReportFile(path, *input.report);
            if (saved.ok) {
                outcome.written.push_back(path);
            } else {
                outcome.problems.push_back(saved.message);
            }
            break;
        }
        case SaveItem::Csv: {
            const std::string path = base + ".csv";
            int32_t first = 0;
            int32_t count = input.trace.pointCount();
            if (input.results.recorded && input.results.recorded->first < count) {
                first = input.results.recorded->first;
                count = std::min(input.results.recorded->last + 1, count) - first;
            }
            const CsvResult saved =
                saveTraceCsv(path, input.trace.signalMv() + first, input.trace.temperatureC() + first, count);
            if (saved.ok) {
                outcome.written.push_back(path);
            } else {
                outcome.problems.push_back(saved.message);
            }
            break;
        }
        case SaveItem::Log: {
            const std::string path = base + ".log.json";
            const std::string text = runLogJson(input.log);
            if (replaceFile(path, [&](std::FILE* file) { return writeBlock(file, text.data(), text.size()); }) ==
                ReplaceFileStatus::Ok) {
                outcome.written.push_back(path);
            } else {
                outcome.problems.push_back("无法写入运行记录“" + path + "”");
            }
            break;
        }
        case SaveItem::Pdf:
            if (input.report == nullptr) {
                outcome.problems.push_back("还没有评价，不能导出 PDF 报告");
            } else {
                outcome.pdfPaths.push_back(base + ".pdf");
            }
            break;
        }
    }
    return outcome;
}

}  // namespace vespian
