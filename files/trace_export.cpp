#include "files/trace_export.h"

#include <algorithm>
#include <filesystem>

#include "platform/gbk_text.h"
#include "platform/printf_text.h"
#include "platform/replace_file.h"
#include "trace/chromatogram.h"
#include "trace/peak_settings_form.h"

namespace vespian {

namespace {

bool exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

}  // namespace

std::string traceExportRow(float voltageMv, float temperatureC, int32_t index) {
    const std::string voltage = printfText("%3.4f", static_cast<double>(voltageMv));
    const std::string temperature = printfText("%4.2f", static_cast<double>(temperatureC));
    std::string row = "\t\t" + voltage;
    row += voltage.size() >= 9 ? "\t\t" : "\t\t\t";
    row += temperature;
    row += temperature.size() >= 8 ? "\t\t" : "\t\t\t";
    row += std::to_string(index / kPointsPerSecond);
    row += "\r\n";
    return row;
}

namespace {

// Calls `out` with the header, then each row, in order.
template <typename Out>
void produceTraceExport(const float* signalMv, const float* temperatureC, int32_t start, int32_t end,
                        int32_t interval, Out&& out) {
    out(gbkFromUtf8(kTraceExportHeader));
    if (interval < 1) return;
    start = std::max(start, 0);
    end = std::min(end, kMaxPoints);
    for (int64_t i = start; i < end; i += interval) {
        const auto index = static_cast<int32_t>(i);
        out(traceExportRow(signalMv[index], temperatureC[index], index));
    }
}

}  // namespace

std::string traceExportText(const float* signalMv, const float* temperatureC, int32_t start, int32_t end,
                            int32_t interval) {
    std::string text;
    produceTraceExport(signalMv, temperatureC, start, end, interval, [&](const std::string& part) { text += part; });
    return text;
}

bool exportTraceData(Prompts& prompts, const Chromatogram& trace, int32_t peakStart, int32_t peakEnd,
                     int32_t interval, const std::string& dataFolder) {
    if (interval < 1) return false;
    FileDialogRequest request{"保存文本文件", kTextFileFilter, kTextFilePattern, dataFolder};
    request.initialName = kExportDataDefaultName;
    const std::optional<std::string> chosen = prompts.saveFileName(request);
    if (!chosen) return false;
    const std::string path = withTextExtension(*chosen);
    if (exists(path) && !prompts.askYesNo("新建", "‘" + path + "’文件已经存在，是否要替换它？", PromptIcon::Warning)) {
        return false;
    }
    // Rows go out in blocks, so a stretch of millions of points never sits in memory as text.
    const ReplaceFileStatus status = replaceFile(path, [&](std::FILE* f) {
        std::string block;
        bool ok = true;
        produceTraceExport(trace.signalMv(), trace.temperatureC(), peakStart, peakEnd, interval,
                           [&](const std::string& part) {
                               block += part;
                               if (block.size() >= 64 * 1024) {
                                   ok = ok && writeBlock(f, block.data(), block.size());
                                   block.clear();
                               }
                           });
        return ok && writeBlock(f, block.data(), block.size());
    });
    if (status != ReplaceFileStatus::Ok) {
        prompts.message("错误", "无法建立‘" + path + "’文件", PromptIcon::Error);
        return false;
    }
    return true;
}

ExportInterval readExportInterval(std::string_view text) {
    ExportInterval r;
    int32_t value = 0;
    if (!parseWholeNumber(text, &value) || value < 1) {
        r.refusal = PromptMessage{"警告", "取点间隔应为大于 0 的整数。", PromptIcon::Warning};
        return r;
    }
    r.interval = value;
    return r;
}

}  // namespace vespian
