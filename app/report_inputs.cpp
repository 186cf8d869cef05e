#include "app/report_inputs.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

#include "app/report_options.h"
#include "files/json_text.h"
#include "files/trace_csv.h"
#include "files/trace_summary.h"
#include "trace/chromatogram.h"
#include "trace/trace_file.h"
#include "trace/trace_picture.h"

namespace vespian {

namespace {

SummaryField rangeField(const char* key, const char* label, const std::optional<ValueRange>& range, bool max,
                        int decimals, const char* unit) {
    if (!range) return {key, label, "null", "—"};
    const float value = max ? range->max : range->min;
    return {key, label, jsonNumber(value), fixedText(value, decimals) + " " + unit};
}

std::string englishProblem(TraceFileProblem problem, const std::string& path) {
    switch (problem) {
    case TraceFileProblem::NotATraceFile:
        return "‘" + path + "’ is not a trace file: its size does not fit a point count of 0 to 9,999,999";
    case TraceFileProblem::ReadFailed: return "cannot read the file ‘" + path + "’";
    default: return "cannot open the file ‘" + path + "’";
    }
}

class TraceInput final : public ReportInput {
public:
    TraceInput() : trace_(std::make_unique<Chromatogram>()) {}
    Chromatogram& trace() { return *trace_; }

    InputSummary summary() const override {
        const int32_t n = trace_->pointCount();
        const TraceSummary s = summarizeTrace(trace_->signalMv(), trace_->temperatureC(), n);
        InputSummary summary{"trace", {}};
        summary.fields = {
            {"points", "点数 points", std::to_string(s.points), std::to_string(s.points)},
            {"duration_s", "时长 duration", jsonNumber(s.durationS), fixedText(s.durationS, 1) + " s"},
            rangeField("signal_min_mV", "信号最小值 signal min", s.signalMv, false, 3, "mV"),
            rangeField("signal_max_mV", "信号最大值 signal max", s.signalMv, true, 3, "mV"),
            rangeField("temperature_min_C", "温度最小值 temperature min", s.temperatureC, false, 1, "℃"),
            rangeField("temperature_max_C", "温度最大值 temperature max", s.temperatureC, true, 1, "℃"),
        };
        return summary;
    }

    bool supports(ReportOutput output) const override {
        return output == ReportOutput::Csv || output == ReportOutput::Png;
    }

    bool writeCsv(std::FILE* out) const override {
        return writeTraceCsv(out, trace_->signalMv(), trace_->temperatureC(), trace_->pointCount());
    }

    bool saveCsv(const std::string& path, std::string* error) const override {
        const CsvResult result = saveTraceCsv(path, trace_->signalMv(), trace_->temperatureC(), trace_->pointCount());
        if (!result.ok) *error = result.message;
        return result.ok;
    }

    bool savePng(TracePictureWriter& writer, const std::string& path, int32_t width, int32_t height,
                 std::string* error) const override {
        return writer.savePng(path, *trace_, width, height, error);
    }

private:
    std::unique_ptr<Chromatogram> trace_;
};

}  // namespace

LoadedInput loadTraceInput(const std::string& path) {
    auto input = std::make_unique<TraceInput>();
    const TraceFileResult result = loadTraceFile(path, input->trace());
    if (!result.ok) return {nullptr, result.message + "\n" + englishProblem(result.problem, path)};
    return {std::move(input), {}};
}

namespace {

constexpr InputKind kInputKinds[] = {
    {".lne", "谱图文件 trace file", loadTraceInput},
    {".care", "报告文件 report file", loadReportFileInput},
    {".03D", "数据库文件 record database", loadDatabaseInput},
};

bool endsWithIgnoringCase(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace

std::string fixedText(double value, int decimals) {
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr);
}

bool ReportInput::choose(const ReportOptions& options, std::string* error) {
    const char* option = !options.page.empty()         ? "--page"
                         : !options.letterhead.empty() ? "--letterhead"
                         : !options.table.empty()      ? "--table"
                                                       : nullptr;
    if (option == nullptr) return true;
    *error = std::string("该文件没有选项") + option + "\nthis kind of file takes no " + option;
    return false;
}

bool ReportInput::writeCsv(std::FILE*) const { return false; }

bool ReportInput::saveCsv(const std::string&, std::string* error) const {
    *error = "该文件不能输出CSV\nthis kind of file has no CSV form";
    return false;
}

bool ReportInput::savePng(TracePictureWriter&, const std::string&, int32_t, int32_t, std::string* error) const {
    *error = "该文件不能输出PNG图片\nthis kind of file has no picture";
    return false;
}

bool ReportInput::savePdf(ReportPdfWriter&, const std::string&, std::string* error) const {
    *error = "该文件不能输出PDF\nthis kind of file has no printed pages";
    return false;
}

std::span<const InputKind> inputKinds() { return kInputKinds; }

const InputKind* inputKindOf(const std::string& path) {
    for (const InputKind& kind : kInputKinds) {
        if (endsWithIgnoringCase(path, kind.extension)) return &kind;
    }
    return nullptr;
}

std::string knownExtensions() {
    std::string list;
    for (const InputKind& kind : kInputKinds) {
        if (!list.empty()) list += ", ";
        list += kind.extension;
    }
    return list;
}

}  // namespace vespian
