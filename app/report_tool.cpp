#include "app/report_tool.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "app/report_evaluate.h"
#include "app/report_archive.h"
#include "app/report_inputs.h"
#include "app/report_options.h"

namespace vespian {

namespace {

namespace fs = std::filesystem;

int fail(std::FILE* err, int code, const std::string& message) {
    std::fprintf(err, "%s\n", message.c_str());
    return code;
}

// What a path names, looked at through a descriptor opened without waiting: a named pipe
// without a writer or a device answers at once.
enum class InputNode { Missing, Unreadable, Folder, Regular, Other };
InputNode inputNode(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        std::error_code error;
        return fs::exists(fs::status(path, error)) ? InputNode::Unreadable : InputNode::Missing;
    }
    struct stat status {};
    const bool known = ::fstat(descriptor, &status) == 0;
    ::close(descriptor);
    if (!known) return InputNode::Unreadable;
    if (S_ISDIR(status.st_mode)) return InputNode::Folder;
    return S_ISREG(status.st_mode) ? InputNode::Regular : InputNode::Other;
}

// The input must be a readable regular file of a known kind before anything is loaded: a pipe
// or a device would block the tool or never end.
bool checkInput(const std::string& path, std::string* message) {
    switch (inputNode(path)) {
    case InputNode::Missing: *message = "找不到文件‘" + path + "’\nno such file ‘" + path + "’"; return false;
    case InputNode::Unreadable:
        *message = "无法打开‘" + path + "’文件\ncannot open the file ‘" + path + "’";
        return false;
    case InputNode::Folder:
        *message = "‘" + path + "’是文件夹，不是文件\n‘" + path + "’ is a folder, not a file";
        return false;
    case InputNode::Other:
        *message = "‘" + path + "’不是普通文件(管道或设备)\n‘" + path + "’ is not a regular file (a pipe or a device)";
        return false;
    case InputNode::Regular: break;
    }
    if (inputKindOf(path) == nullptr) {
        *message = "不能识别‘" + path + "’的文件类型(可用: " + knownExtensions() + ")\nunknown kind of file ‘" + path +
                   "’ (known: " + knownExtensions() + ")";
        return false;
    }
    return true;
}

}  // namespace

int runReportTool(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, TracePictureWriter* pictures,
                  ReportPdfWriter* pdf) {
    if (isArchiveCommand(args)) return runArchiveCommand(args, out, err);
    ReportOptions options;
    std::string message;
    if (!parseReportOptions(args, &options, &message)) {
        std::fprintf(err, "%s\n用 --help 查看用法 / see --help\n", message.c_str());
        return kReportUsage;
    }
    if (options.help) {
        std::fputs(reportUsage().c_str(), out);
        std::fputs(archiveUsage().c_str(), out);
        return kReportOk;
    }
    if (options.evaluationMode()) {
        // Every file of an evaluation is checked as an input file is, before any is read.
        std::vector<std::string> files = options.kinetics;
        if (!options.evaluate.empty()) files.push_back(options.evaluate);
        if (!options.betAutoDatabase.empty()) files.push_back(options.betAutoDatabase);
        for (const std::string& file : files) {
            if (!checkInput(file, &message)) return fail(err, kReportInputRefused, message);
        }
        return runEvaluationMode(options, out, err);
    }
    if (!checkInput(options.input, &message)) return fail(err, kReportInputRefused, message);
    const InputKind& kind = *inputKindOf(options.input);
    const bool wantsCsv = !options.csvPath.empty();
    const bool wantsPng = !options.pngPath.empty();
    const bool wantsPdf = !options.pdfPath.empty();
    LoadedInput loaded = kind.load(options.input);
    if (!loaded.input) return fail(err, kReportInputRefused, loaded.message);
    if (!loaded.input->choose(options, &message)) return fail(err, kReportUsage, message);
    const ReportInput& input = *loaded.input;
    // Asking a kind for an output it does not have is a command-line error.
    if ((wantsCsv && !input.supports(ReportOutput::Csv)) || (wantsPng && !input.supports(ReportOutput::Png)) ||
        (wantsPdf && !input.supports(ReportOutput::Pdf))) {
        return fail(err, kReportUsage,
                    std::string(kind.name) + "不能输出所要的格式\n" + std::string(kind.name) +
                        ": the asked-for output is not available");
    }

    // Formatted before any picture or page is drawn (drawing starts Qt, which takes the user's
    // locale); its numbers keep the point either way.
    const InputSummary fields = input.summary();
    const std::string summary =
        options.json ? summaryJson(options.input, fields) : summaryText(options.input, fields);

    if (wantsCsv && options.csvPath == kStandardOutput) {
        if (!input.writeCsv(out)) return fail(err, kReportOutputFailed, "无法写入标准输出\ncannot write to standard output");
    } else if (wantsCsv && !input.saveCsv(options.csvPath, &message)) {
        return fail(err, kReportOutputFailed, message);
    }
    if (wantsPng) {
        if (pictures == nullptr) {
            return fail(err, kReportOutputFailed, "此版本不能绘制图片\nthis build cannot draw pictures");
        }
        if (!input.savePng(*pictures, options.pngPath, options.width, options.height, &message)) {
            return fail(err, kReportOutputFailed, message);
        }
    }
    if (wantsPdf) {
        if (pdf == nullptr) return fail(err, kReportOutputFailed, "此版本不能输出PDF\nthis build cannot write PDF");
        if (!input.savePdf(*pdf, options.pdfPath, &message)) return fail(err, kReportOutputFailed, message);
    }
    if (options.csvPath != kStandardOutput) std::fputs(summary.c_str(), out);
    return std::fflush(out) == 0 ? kReportOk : fail(err, kReportOutputFailed, "无法写入标准输出\ncannot write to standard output");
}

}  // namespace vespian
