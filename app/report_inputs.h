#pragma once
// The kinds of file vespian-report reads, each known by its extension, and what each gives: a
// summary, CSV, pictures, printed pages. Each kind is one entry in the table of
// report_inputs.cpp with its own ReportInput: trace files (.lne), report files (.care) and
// record databases (.03D).

#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "app/report_pdf.h"
#include "app/report_summary.h"

namespace vespian {

class TracePictureWriter;
struct ReportOptions;

enum class ReportOutput { Csv, Png, Pdf };

// One loaded input file.
class ReportInput {
public:
    virtual ~ReportInput() = default;
    virtual InputSummary summary() const = 0;
    virtual bool supports(ReportOutput output) const = 0;
    // Takes the choices of the command line that belong to this kind (--page, --table); false
    // with a message when one does not fit it. A kind without choices refuses them all.
    virtual bool choose(const ReportOptions& options, std::string* error);
    // CSV to an open stream (standard output); false when a write fails.
    virtual bool writeCsv(std::FILE* out) const;
    // To a file, replaced only when complete; false with a message (Chinese, then English).
    virtual bool saveCsv(const std::string& path, std::string* error) const;
    virtual bool savePng(TracePictureWriter& writer, const std::string& path, int32_t width, int32_t height,
                         std::string* error) const;
    virtual bool savePdf(ReportPdfWriter& writer, const std::string& path, std::string* error) const;
};

struct LoadedInput {
    std::unique_ptr<ReportInput> input;  // null when the file was refused
    std::string message;                 // why, Chinese then English
};

struct InputKind {
    std::string_view extension;  // ".lne", compared without regard to case
    std::string_view name;       // "谱图文件 trace file"
    LoadedInput (*load)(const std::string& path);
};

// The loaders of the kinds, each in its own file.
LoadedInput loadTraceInput(const std::string& path);
LoadedInput loadReportFileInput(const std::string& path);
LoadedInput loadDatabaseInput(const std::string& path);

// Fixed decimals whatever the locale (a Qt application sets the user's).
std::string fixedText(double value, int decimals);

std::span<const InputKind> inputKinds();
// The kind whose extension the path ends in; null when none.
const InputKind* inputKindOf(const std::string& path);
// ".lne" (and the others, comma-separated), for messages.
std::string knownExtensions();

}  // namespace vespian
