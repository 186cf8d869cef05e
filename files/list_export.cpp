#include "files/list_export.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/export_file.h"
#include "platform/gbk_text.h"
#include "platform/printf_text.h"
#include "platform/prompts.h"
#include "platform/replace_file.h"

namespace vespian {

namespace {

std::string field(const char* bytes, size_t size) { return std::string(bytes, strnlen(bytes, size)); }

std::string date(int32_t year, int32_t month, int32_t day) { return printfText("%d-%d-%d", year, month, day); }

template <typename Table>
bool anySelected(const Table& table) {
    for (int32_t i = 0; i < std::clamp(table.count, 0, Table::kCapacity); ++i) {
        if (table.records[i].in_use != 0 && table.records[i].selected != 0) return true;
    }
    return false;
}

// The records a CSV export writes.
template <typename Table, typename Row>
void forExported(const Table& table, Row row) {
    const bool onlySelected = anySelected(table);
    for (int32_t i = 0; i < std::clamp(table.count, 0, Table::kCapacity); ++i) {
        const auto& r = table.records[i];
        if (r.in_use == 0 || (onlySelected && r.selected == 0)) continue;
        row(r);
    }
}

// Writes `bytes` to the chosen file after the usual questions. True when written.
bool writeChosen(Prompts& prompts, const FileDialogRequest& request, std::string (*extension)(const std::string&),
                 const std::string& bytes) {
    const std::optional<std::string> chosen = prompts.saveFileName(request);
    if (!chosen) return false;
    const std::optional<std::string> path = confirmExportPath(prompts, extension(*chosen));
    return path && writeExportBytes(prompts, *path, bytes);
}

}  // namespace

std::string sampleListText(const SampleTable& samples, std::span<const int32_t> widths) {
    auto line = [&](const std::string (&cells)[kSampleExportColumns]) {
        std::string out;
        for (int c = 0; c < kSampleExportColumns; ++c) {
            if (static_cast<size_t>(c + 1) >= widths.size() || widths[c + 1] == 0) continue;
            out += cells[c];
            if (c + 1 < kSampleExportColumns) {
                const size_t end = static_cast<size_t>(kSampleExportColumnEnds[c]);
                if (out.size() < end) out.append(end - out.size(), ' ');
            }
        }
        // Every line ends, even when the last column is switched off.
        return out + "\r\n";
    };
    const std::string header[kSampleExportColumns] = {
        gbkFromUtf8("序号"),     gbkFromUtf8("名称"),     gbkFromUtf8("重量 [mg]"), gbkFromUtf8("比表面积 [m2/g]"),
        gbkFromUtf8("峰面积"),   gbkFromUtf8("送样公司"), gbkFromUtf8("测量公司"),  gbkFromUtf8("送样人"),
        gbkFromUtf8("测量人"),   gbkFromUtf8("审核人"),   gbkFromUtf8("送样日期"),  gbkFromUtf8("测量日期")};
    std::string text = line(header);
    text += std::string(kSampleExportDashes, '-') + "\r\n";
    for (int32_t i = 0; i < std::clamp(samples.count, 0, kSampleCapacity); ++i) {
        const SampleRecord& s = samples.records[i];
        if (s.selected == 0) continue;
        const std::string cells[kSampleExportColumns] = {printfText("%d", s.serial),
                                                         field(s.name, sizeof s.name),
                                                         gbkFromUtf8(numberText("%.1f", s.weight_mg)),
                                                         gbkFromUtf8(numberText("%.3f", s.surface_area)),
                                                         printfText("%d", s.peak_area),
                                                         field(s.sending_company, sizeof s.sending_company),
                                                         field(s.measuring_company, sizeof s.measuring_company),
                                                         field(s.sender, sizeof s.sender),
                                                         field(s.measurer, sizeof s.measurer),
                                                         field(s.reviewer, sizeof s.reviewer),
                                                         date(s.sample_year, s.sample_month, s.sample_day),
                                                         date(s.measured_year, s.measured_month, s.measured_day)};
        text += line(cells);
    }
    return text;
}

std::string csvCell(const std::string& utf8) {
    if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
    std::string quoted = "\"";
    for (char c : utf8) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

// A number for a spreadsheet: empty when it has no value.
std::string csvNumber(const char* pattern, double value) {
    return std::isfinite(value) ? printfText(pattern, value) : std::string();
}

std::string csvDate(int32_t year, int32_t month, int32_t day) {
    if (year == 0 && month == 0 && day == 0) return {};
    return printfText("%04d-%02d-%02d", year, month, day);
}

void csvRow(std::string& out, const std::vector<std::string>& cells) {
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) out += ',';
        out += csvCell(cells[i]);
    }
    out += "\r\n";
}

std::string standardsCsv(const StandardTable& standards) {
    std::string out = kCsvByteOrderMark;
    csvRow(out, {"编号", "名称", "重量[mg]", "表面积[m2/g]", "峰面积", "测量日期"});
    forExported(standards, [&](const StandardRecord& s) {
        csvRow(out, {printfText("%d", s.number), readGbkField(s.name), csvNumber("%.3f", s.weight_mg),
                     csvNumber("%.4f", s.surface_area), printfText("%d", s.peak_area),
                     csvDate(s.measured_year, s.measured_month, s.measured_day)});
    });
    return out;
}

std::string samplesCsv(const SampleTable& samples) {
    std::string out = kCsvByteOrderMark;
    csvRow(out, {"序号", "编号", "名称", "重量[mg]", "比表面积[m2/g]", "峰面积", "送样公司", "测量公司", "送样人",
                 "测量人", "审核人", "送样日期", "测量日期"});
    forExported(samples, [&](const SampleRecord& s) {
        csvRow(out, {printfText("%d", s.serial), printfText("%d", s.number), readGbkField(s.name),
                     csvNumber("%.1f", s.weight_mg), csvNumber("%.3f", s.surface_area), printfText("%d", s.peak_area),
                     readGbkField(s.sending_company), readGbkField(s.measuring_company), readGbkField(s.sender),
                     readGbkField(s.measurer), readGbkField(s.reviewer),
                     csvDate(s.sample_year, s.sample_month, s.sample_day),
                     csvDate(s.measured_year, s.measured_month, s.measured_day)});
    });
    return out;
}

std::string reportsCsv(const ReportTable& reports) {
    std::string out = kCsvByteOrderMark;
    csvRow(out, {"编号", "名称", "重量[mg]", "BET比表面积[m2/g]", "斜率", "截距", "相关系数", "点数", "Po[kPa]",
                 "N2温度[C]", "吸附压力[kPa]", "定量管体积[ml]", "送样单位", "测量单位", "送样人", "审核人", "测量日期"});
    forExported(reports, [&](const SurfaceReportRecord& r) {
        csvRow(out, {printfText("%d", r.number), readGbkField(r.name), csvNumber("%.1f", r.weight_mg),
                     csvNumber("%.3f", r.bet_area), csvNumber("%f", r.slope), csvNumber("%f", r.intercept),
                     csvNumber("%f", r.correlation), printfText("%d", r.point_count), csvNumber("%.2f", r.p0_kpa),
                     csvNumber("%.2f", r.n2_temp_c), csvNumber("%.2f", r.ads_pressure_kpa),
                     csvNumber("%.3f", r.calib_volume_ml), readGbkField(r.sending_company),
                     readGbkField(r.measuring_company), readGbkField(r.sender), readGbkField(r.reviewer),
                     csvDate(r.measured_year, r.measured_month, r.measured_day)});
    });
    return out;
}

std::string withCsvExtension(const std::string& name) { return withExtension(name, kCsvExtension); }

bool exportSampleListWithDialog(Prompts& prompts, const SampleTable& samples,
                                std::span<const int32_t> widths, const std::string& dataFolder) {
    return writeChosen(prompts, {"保存文本文件", "文本文件 (*.txt)", "*.txt", dataFolder, "unname"}, withTextExtension,
                       sampleListText(samples, widths));
}

bool exportCsvWithDialog(Prompts& prompts, const RecordDatabase& database, RecordList list,
                         const std::string& dataFolder) {
    std::string bytes;
    const char* name = "";
    switch (list) {
    case RecordList::Standards:
        bytes = standardsCsv(database.standards());
        name = "标样列表";
        break;
    case RecordList::Samples:
        bytes = samplesCsv(database.samples());
        name = "样品列表";
        break;
    case RecordList::Reports:
        bytes = reportsCsv(database.reports());
        name = "BET报告列表";
        break;
    }
    return writeChosen(prompts, {"导出为CSV", "CSV文件 (*.csv)", "*.csv", dataFolder, name}, withCsvExtension, bytes);
}

}  // namespace vespian
