#pragma once
// The data export ("导出数据", and "导出为文本" of "应用于..."): the trace points of the current
// peak stretch, every interval-th from its start up to (not including) its end, as a
// tab-separated GBK text with CR LF line ends — voltage "%3.4f" mV, temperature "%4.2f" ℃ and
// time "%d" s (the index / 5).
//
// The dialog "导出数据设置" asks for the interval (10 at first). An interval below 1 is refused
// with a message (stepping by it would never end), and a file that cannot be written ends in
// "数据导出被终止!!", never in "数据导出完毕!!".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "files/text_file_name.h"
#include "platform/prompts.h"

namespace vespian {

class Chromatogram;

inline constexpr char kTextFileFilter[] = "文本文件 (*.txt)";
inline constexpr char kTextFilePattern[] = "*.txt";
inline constexpr char kExportDataDefaultName[] = "导出数据";

inline constexpr char kExportDialogTitle[] = "导出数据设置";
inline constexpr char kExportIntervalLabel[] = "取点间隔为：";
inline constexpr char kExportIntervalDefault[] = "10";
inline constexpr char kExportStatusHint[] = "取点间隔：每隔X个点取一个点";
inline constexpr char kExportRunning[] = "数据导出中...";
inline constexpr char kExportDone[] = "数据导出完毕!!";
inline constexpr char kExportAborted[] = "数据导出被终止!!";
// How long "数据导出中..." stays at least, so the operator sees that something happened.
inline constexpr int32_t kExportRunningMs = 1000;

// The header line, UTF-8 (written as GBK).
inline constexpr char kTraceExportHeader[] = "\t\t电压\t\t\t温度\t\t\t时间(秒)\r\n";

// One row: "\t\t" voltage, two tabs after a voltage text of 9 or more characters and three
// otherwise, the temperature, two or three tabs by the same rule at 8, the time, CR LF.
std::string traceExportRow(float voltageMv, float temperatureC, int32_t index);

// The whole text (GBK bytes) of the stretch start .. end − 1 in steps of `interval` (≥ 1). The
// stretch is kept inside the trace's arrays.
std::string traceExportText(const float* signalMv, const float* temperatureC, int32_t start, int32_t end,
                            int32_t interval);

// The file dialog, the ".txt" rule, the replace question and the write. False when cancelled,
// declined or not written (each failure to write is reported with "无法建立‘%s’文件").
bool exportTraceData(Prompts& prompts, const Chromatogram& trace, int32_t peakStart, int32_t peakEnd,
                     int32_t interval, const std::string& dataFolder);

// The dialog's "导出数据": the interval field read as a signed whole number, or the refusal to
// show (caption "警告") when it is not at least 1.
struct ExportInterval {
    int32_t interval = 0;
    std::optional<PromptMessage> refusal;
};
ExportInterval readExportInterval(std::string_view text);

// The status text after an export.
inline const char* exportStatusAfter(bool exported) { return exported ? kExportDone : kExportAborted; }

}  // namespace vespian
