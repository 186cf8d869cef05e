#include "analysis/pore.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "analysis/bet.h"
#include "platform/decimal_text.h"
#include "platform/gbk_text.h"
#include "platform/printf_text.h"

namespace vespian {

namespace {

constexpr size_t kPoreReportNameBytes = 14;
constexpr double kPorePictureHeight = 400.0;  // 64 of the 75 pixels above the thumbnail's baseline

template <typename T>
void shiftDown(T* values, int32_t from, int32_t count) {
    std::memmove(&values[from], &values[from + 1], sizeof(T) * static_cast<size_t>(count - from - 1));
}

bool validIndex(const PoreTable& table, int32_t index) {
    return index >= 0 && index < std::clamp(table.count, 0, kPorePointCapacity);
}

bool betWorkInProgress(const SurfaceReportRecord& r) {
    return r.calib_count != 0 || r.point_count != 0 || r.calib_volume_ml != 0.0f;
}

}  // namespace

bool appendPorePoint(PoreTable& table, const SurfaceReportRecord& record, int32_t point, const PeakRecord& peak,
                     float weightMg) {
    const int32_t i = std::max(table.count, 0);
    if (i >= kPorePointCapacity || point < 0 || point >= kBetMaxPoints) return false;
    table.relativePressure[i] = betRelativePressure(record, point);
    table.poreSize[i] = static_cast<float>(ztmath::_r(table.relativePressure[i]));
    table.thickness[i] = 0.0f;
    table.distribution[i] = 0.0f;
    table.saturatedPressure[i] = record.p0_kpa;
    table.atmosphericPressure[i] = record.ads_pressure_kpa;
    table.n2Flow[i] = record.n2_flow[point];
    table.mixedFlow[i] = record.n2_flow[point] + record.he_flow[point];
    table.weight[i] = weightMg;
    table.adsorbed[i] = record.volume[point];
    table.peakArea[i] = peak.area;
    int32_t* trace = table.trace[i];
    const float stored = std::isfinite(peak.storedPointCount) ? peak.storedPointCount : 0.0f;
    const int32_t n = std::clamp(static_cast<int32_t>(stored), 0, std::min(kPoreTraceSize - 1, kPeakRecordPoints));
    trace[0] = n;
    // The picture keeps the peak's shape at a height the thumbnail shows whole, whatever the
    // detector's range: its largest excursion from the start is kPorePictureHeight.
    double largest = 0.0;
    for (int32_t k = 0; k < n; ++k) {
        const double v = double(peak.points[k]) - double(peak.points[0]);
        if (std::isfinite(v)) largest = std::max(largest, std::fabs(v));
    }
    const double scale = largest > 0.0 ? kPorePictureHeight / largest : 0.0;
    for (int32_t k = 0; k < n; ++k) {
        const double v = (double(peak.points[k]) - double(peak.points[0])) * scale;
        trace[k + 1] = std::isfinite(v) ? static_cast<int32_t>(std::lround(v)) : 0;
    }
    table.count = i + 1;
    return true;
}

void clearPorePoints(PoreTable& table) {
    table.count = 0;
    table.current = 0;
}

void clearDeadVolumes(PoreTable& table) { table.deadVolumeCount = 0; }

void deleteCurrentPorePoint(PoreTable& table) {
    const int32_t count = std::clamp(table.count, 0, kPorePointCapacity);
    if (count < 1) return;
    const int32_t i = std::clamp(table.current, 0, count - 1);
    shiftDown(table.poreSize, i, count);
    shiftDown(table.thickness, i, count);
    shiftDown(table.saturatedPressure, i, count);
    shiftDown(table.relativePressure, i, count);
    shiftDown(table.n2Flow, i, count);
    shiftDown(table.mixedFlow, i, count);
    shiftDown(table.distribution, i, count);
    shiftDown(table.atmosphericPressure, i, count);
    shiftDown(table.weight, i, count);
    shiftDown(table.adsorbed, i, count);
    shiftDown(table.peakArea, i, count);
    std::memmove(table.trace[i], table.trace[i + 1], sizeof table.trace[0] * static_cast<size_t>(count - i - 1));
    table.count = count - 1;
    table.current = std::max(0, std::min(table.current, table.count - 1));
}

bool deleteCurrentPorePointAsked(Prompts& prompts, PoreTable& table) {
    if (!prompts.askYesNo(kDeletePoreCaption, kDeletePorePointQuestion, PromptIcon::Question)) return false;
    const int32_t before = table.count;
    deleteCurrentPorePoint(table);
    return table.count != before;
}

bool deleteAllPorePointsAsked(Prompts& prompts, PoreTable& table) {
    if (!prompts.askYesNo(kDeletePoreCaption, kDeleteAllPorePointsQuestion, PromptIcon::Question)) return false;
    clearPorePoints(table);
    return true;
}

void computePoreDistribution(PoreTable& table) {
    const int32_t count = std::clamp(table.count, 0, kPorePointCapacity);
    for (int32_t i = 0; i < count; ++i) {
        table.thickness[i] = static_cast<float>(ztmath::_t(table.relativePressure[i]));
        ztmath::_U_mlg(i, table.thickness, table.poreSize, table.adsorbed, table.distribution);
    }
}

std::optional<PromptMessage> poreReportRefusal(const ReportTable& reports) {
    if (reports.count >= 0 && reports.count < kReportCapacity) return std::nullopt;
    return PromptMessage{"错误", kDatabaseFullText, PromptIcon::Error};
}

PoreReportResult createPoreReport(ReportTable& reports, PoreTable& table, std::string_view numberText,
                                  std::string_view name, const SampleIdentity& sample, const CalendarDate& today) {
    if (std::optional<PromptMessage> refused = poreReportRefusal(reports)) return {false, -1, *refused};
    const int32_t index = reports.count;
    SurfaceReportRecord& r = reports.records[index];
    if (betWorkInProgress(r) && index + 1 < kReportCapacity) reports.records[index + 1] = r;
    std::memset(&r, 0, sizeof r);
    r.number = parseSignedInteger(numberText);
    writeGbkField(r.name, utf8WithinGbkBytes(name, kPoreReportNameBytes));
    r.weight_mg = sample.weightMg;
    copyGbkBytes(r.sending_company, sample.sendingCompany);
    copyGbkBytes(r.measuring_company, sample.measuringCompany);
    copyGbkBytes(r.sender, sample.sender);
    copyGbkBytes(r.measurer, sample.measurer);
    copyGbkBytes(r.reviewer, sample.reviewer);
    r.sample_year = sample.sampleDate[0];
    r.sample_month = sample.sampleDate[1];
    r.sample_day = sample.sampleDate[2];
    r.measured_year = today.year;
    r.measured_month = today.month;
    r.measured_day = today.day;
    r.point_count = std::clamp(table.count, 0, kPorePointCapacity);
    r.in_use = 1;
    r.selected = 0;
    computePoreDistribution(table);
    reports.count += 1;
    return {true, index, {"完成", printfText("孔径报告已生成,其编号为：%d.", r.number), PromptIcon::Information}};
}

PorePointTexts porePointTexts(const PoreTable& table, int32_t i) {
    if (!validIndex(table, i)) return {};
    return {numberText("%.2f", table.atmosphericPressure[i]),
            numberText("%.2f", table.saturatedPressure[i]),
            numberText("%.2f", table.n2Flow[i]),
            numberText("%.2f", table.mixedFlow[i]),
            numberText("%.2f", table.weight[i]),
            printfText("%d", table.peakArea[i]),
            numberText("%.6f", table.relativePressure[i]),
            numberText("%.1f", table.poreSize[i]),
            numberText("%.4f", table.adsorbed[i]),
            numberText("%.6f", ztmath::_r(table.relativePressure[i]))};
}

void acceptPorePoint(PoreTable& table, int32_t i, std::string_view weight, std::string_view relativePressure,
                     std::string_view poreSize) {
    if (!validIndex(table, i)) return;
    // A field that still shows what it was given keeps the measured value: reading it back
    // from its rounded text would cut the pore size to 0.1 Å and the weight to 0.01 mg.
    const PorePointTexts shown = porePointTexts(table, i);
    if (weight != shown.weight) table.weight[i] = static_cast<float>(ParseDecimalText(weight));
    if (relativePressure != shown.relativePressure) {
        table.relativePressure[i] = static_cast<float>(ParseDecimalText(relativePressure));
    }
    if (poreSize != shown.poreSize) table.poreSize[i] = static_cast<float>(ParseDecimalText(poreSize));
}

DrawList poreThumbnail(const PoreTable& table, int32_t index) {
    DrawList thumb;
    constexpr int32_t s = kPoreThumbnailSize;
    const DrawColour light = rgb(190, 190, 190);
    const DrawColour dark = rgb(80, 80, 80);
    thumb.add(DrawLine{{0, 0}, {s - 1, 0}, light});
    thumb.add(DrawLine{{0, 0}, {0, s - 1}, light});
    thumb.add(DrawLine{{0, s - 1}, {s - 1, s - 1}, dark});
    thumb.add(DrawLine{{s - 1, 0}, {s - 1, s - 1}, dark});
    thumb.add(DrawLine{{1, 80}, {s - 2, 80}, rgb(210, 210, 210)});

    const bool current = index == table.current;
    thumb.add(DrawFill{{1, 81, s - 1, s - 1}, current ? rgb(50, 0, 150) : rgb(0, 0, 50)});
    DrawText caption;
    caption.x = s / 2;
    caption.y = 81 + 10;
    caption.text = printfText("第%d次", index + 1);
    caption.h = HAlign::Centre;
    caption.v = VAlign::Centre;
    caption.colour = kWhite;
    caption.pixelSize = 12;
    thumb.add(caption);

    if (!validIndex(table, index)) return thumb;
    const int32_t* trace = table.trace[index];
    const int32_t n = std::clamp(trace[0], 0, kPoreTraceSize - 1);
    if (n < 2) return thumb;
    DrawPolyline line;
    line.colour = rgb(0, 0, 160);
    line.clip = {1, 1, s - 1, 80};
    // However few points the peak has, they run across the thumbnail inside its frame.
    for (int32_t i = 1; i <= n; ++i) {
        line.points.push_back({2 + (i - 1) * (s - 5) / (n - 1), static_cast<int32_t>(75.0 - 0.16 * trace[i])});
    }
    thumb.add(std::move(line));
    return thumb;
}

int32_t porePointAt(const PoreTable& table, int32_t x, int32_t y, int32_t width, int32_t scroll) {
    if (x < 0 || y < 0) return -1;
    const int32_t columns = std::max(1, width / kPoreThumbnailPitch);
    const int32_t column = x / kPoreThumbnailPitch;
    if (column >= columns) return -1;
    const int32_t index = (y + scroll) / kPoreThumbnailPitch * columns + column;
    return validIndex(table, index) ? index : -1;
}

}  // namespace vespian
