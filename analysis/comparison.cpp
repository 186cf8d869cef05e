#include "analysis/comparison.h"

#include <cmath>

#include "platform/decimal_text.h"
#include "platform/gbk_text.h"
#include "platform/printf_text.h"
#include "trace/peak_table.h"

namespace vespian {

namespace {

constexpr int32_t kFirstRowOffset = 27;
constexpr int32_t kRowHeight = 20;
constexpr size_t kDetailsNameBytes = 14;

template <typename Table>
bool selectionOn(Table& table, SelectionCommand command) {
    switch (command) {
    case SelectionCommand::SelectAll: SelectAll(table); break;
    case SelectionCommand::Invert: InvertSelection(table); break;
    case SelectionCommand::Clear: ClearSelection(table); break;
    }
    return true;
}

// A number in a fixed-width printf column; the dash in the same width when it has no value.
std::string column(const char* pattern, double value, int width) {
    if (std::isfinite(value)) return printfText(pattern, value);
    std::string dash = gbkFromUtf8(kNoValueText);
    return std::string(static_cast<size_t>(std::max<int>(0, width - static_cast<int>(dash.size()))), ' ') + dash;
}

bool hasDigit(std::string_view text) {
    for (char c : text) {
        if (c >= '0' && c <= '9') return true;
    }
    return false;
}

}  // namespace

// ---- Selection --------------------------------------------------------------------------

int32_t listRowAt(int32_t y, int32_t top, int32_t bottom, int32_t firstRow) {
    if (y < top + kFirstRowOffset || y > bottom) return -1;
    return firstRow + (y - top - kFirstRowOffset) / kRowHeight;
}

bool applySelection(RecordDatabase& database, RecordList list, SelectionCommand command, bool betPageShown) {
    switch (list) {
    case RecordList::Standards: return selectionOn(database.standards(), command);
    case RecordList::Samples: return selectionOn(database.samples(), command);
    case RecordList::Reports: break;
    }
    if (betPageShown) return false;
    return selectionOn(database.reports(), command);
}

bool toggleListRow(RecordDatabase& database, RecordList list, int32_t row) {
    switch (list) {
    case RecordList::Standards: return ToggleRow(database.standards(), row);
    case RecordList::Samples: return ToggleRow(database.samples(), row);
    case RecordList::Reports: break;
    }
    return ToggleRow(database.reports(), row);
}

// ---- Details dialog -----------------------------------------------------------------------

SampleDetails::SampleDetails(SampleTable& samples) : samples_(samples) {
    const int32_t first = nextSelected(0, 1);
    if (first >= 0) show(first);
    forward_ = first >= 0 && nextSelected(first + 1, 1) >= 0;
    back_ = false;
}

int32_t SampleDetails::nextSelected(int32_t from, int32_t step) const {
    const int32_t count = std::clamp(samples_.count, 0, kSampleCapacity);
    for (int32_t i = from; i >= 0 && i < count; i += step) {
        if (samples_.records[i].in_use != 0 && samples_.records[i].selected != 0) return i;
    }
    return -1;
}

void SampleDetails::show(int32_t index) { current_ = index; }

void SampleDetails::next() {
    if (current_ < 0) return;
    back_ = true;
    const int32_t found = nextSelected(current_ + 1, 1);
    if (found >= 0) show(found);
    forward_ = nextSelected(current_ + 1, 1) >= 0;
}

void SampleDetails::previous() {
    if (current_ < 0) return;
    forward_ = true;
    const int32_t found = nextSelected(current_ - 1, -1);
    if (found >= 0) show(found);
    back_ = nextSelected(current_ - 1, -1) >= 0;
}

std::string SampleDetails::numberText() const {
    return current_ < 0 ? std::string() : printfText("%d", samples_.records[current_].number);
}

std::string SampleDetails::nameText() const {
    return current_ < 0 ? std::string() : readGbkField(samples_.records[current_].name);
}

std::string SampleDetails::detailText() const {
    if (current_ < 0) return {};
    const SampleRecord& s = samples_.records[current_];
    // Built in GBK, so the column widths count bytes as the fields do.
    auto g = [](const char* utf8) { return gbkFromUtf8(utf8); };
    auto field = [](const char* bytes, size_t size) { return std::string(bytes, strnlen(bytes, size)); };
    auto textLine = [&](const char* label, const std::string& value, int width) {
        return g(label) + printfText(width == 22 ? "%22s\r\n" : "%24s\r\n", value.c_str());
    };
    std::string text = g(" 样品重量:") + column("%22.3f", s.weight_mg, 22) + "\r\n";
    text += g(" 样品表面积:") + column("%20.3f", s.surface_area, 20) + "\r\n";
    text += g(" 样品峰面积:") + printfText("%20d\r\n", s.peak_area);
    text += textLine(" 送样公司:", field(s.sending_company, sizeof s.sending_company), 22);
    text += textLine(" 测量公司:", field(s.measuring_company, sizeof s.measuring_company), 22);
    text += textLine(" 送样人:", field(s.sender, sizeof s.sender), 24);
    text += textLine(" 测量人:", field(s.measurer, sizeof s.measurer), 24);
    text += textLine(" 审核人:", field(s.reviewer, sizeof s.reviewer), 24);
    text += g(" 送样日期:") + printfText("%13d", s.sample_year) + g("年") + printfText("%2d", s.sample_month) +
            g("月") + printfText("%2d", s.sample_day) + g("日");
    return utf8FromGbk(text);
}

std::vector<DrawPoint> SampleDetails::tracePolyline() const {
    std::vector<DrawPoint> points;
    if (current_ < 0) return points;
    const float* trace = samples_.records[current_].trace;
    const double stored = std::isfinite(trace[0]) ? trace[0] : 0.0;
    const int32_t count = static_cast<int32_t>(std::clamp(stored, 0.0, double(kSampleTraceSize)));
    if (count < 3) return points;
    const int32_t last = std::min(count - 1, kSampleTraceSize - 1);
    // The peak fills the picture whatever its length and height: its points across the width,
    // its lowest value on the base row, its highest on the top row.
    double low = 0.0, high = 0.0;
    bool any = false;
    for (int32_t i = 1; i <= last; ++i) {
        if (!std::isfinite(trace[i])) continue;
        low = any ? std::min(low, double(trace[i])) : double(trace[i]);
        high = any ? std::max(high, double(trace[i])) : double(trace[i]);
        any = true;
    }
    const double rise = high > low ? (kDetailsPictureBase - kDetailsPictureTop) / (high - low) : 0.0;
    for (int32_t i = 1; i <= last; ++i) {
        const double v = std::isfinite(trace[i]) ? double(trace[i]) : low;
        const int32_t x = last > 1 ? (i - 1) * (kDetailsPictureWidth - 1) / (last - 1) : 0;
        points.push_back({x, static_cast<int32_t>(kDetailsPictureBase - (v - low) * rise)});
    }
    return points;
}

void SampleDetails::accept(std::string_view number, std::string_view name) {
    if (current_ < 0) return;
    SampleRecord& s = samples_.records[current_];
    s.number = parseSignedInteger(number);
    writeGbkField(s.name, utf8WithinGbkBytes(name, kDetailsNameBytes));
}

// ---- Storing a recognised peak ----------------------------------------------------------

std::optional<double> comparisonSurfaceArea(double standardArea, int32_t standardPeakArea, double standardWeightMg,
                                            int32_t samplePeakArea, double sampleWeightMg) {
    if (!(standardWeightMg > 0.0) || !(sampleWeightMg > 0.0) || standardPeakArea <= 0 || !(standardArea > 0.0)) {
        return std::nullopt;
    }
    const double area = standardArea * (double(samplePeakArea) / double(standardPeakArea)) *
                        (standardWeightMg / sampleWeightMg);
    if (!std::isfinite(area)) return std::nullopt;
    return area;
}

namespace {

bool usableStandard(const StandardRecord& s) { return s.in_use != 0 && s.weight_mg > 0.0f && s.peak_area > 0; }

std::optional<double> sampleArea(const RecordDatabase& database, const StoreEntries& entries, int32_t peakArea) {
    const StandardTable& standards = database.standards();
    if (entries.standardIndex < 0 || entries.standardIndex >= std::clamp(standards.count, 0, kStandardCapacity)) {
        return std::nullopt;
    }
    const StandardRecord& s = standards.records[entries.standardIndex];
    if (!usableStandard(s)) return std::nullopt;
    return comparisonSurfaceArea(s.surface_area, s.peak_area, s.weight_mg, peakArea, ParseDecimalText(entries.weight));
}

PromptMessage refusal(const char* text) { return {"提示", text, PromptIcon::Warning}; }

}  // namespace

std::vector<StandardChoice> standardChoices(const StandardTable& standards) {
    std::vector<StandardChoice> choices;
    for (int32_t i = 0; i < std::clamp(standards.count, 0, kStandardCapacity); ++i) {
        const StandardRecord& s = standards.records[i];
        if (!usableStandard(s)) continue;
        choices.push_back({i, printfText("%d ", s.number) + readGbkField(s.name) + " (" +
                                  numberText("%.3f", s.surface_area) + " m2/g)"});
    }
    return choices;
}

std::string previewSurfaceArea(const RecordDatabase& database, const StoreEntries& entries, int32_t peakArea) {
    if (entries.kind == StoreKind::Standard) return numberText("%.3f", ParseDecimalText(entries.surfaceArea));
    const std::optional<double> area = sampleArea(database, entries, peakArea);
    return area ? printfText("%.3f", *area) : std::string(kNoValueText);
}

StoreResult storeRecognisedPeak(RecordDatabase& database, const PeakRecord& peak, const StoreEntries& entries,
                                const SampleIdentity& sample, const CalendarDate& today) {
    if (peak.area <= 0) return {false, -1, refusal("峰面积无效,不能保存!")};
    if (!hasDigit(entries.number)) return {false, -1, refusal("请输入正确的编号!")};
    if (entries.name.empty()) return {false, -1, refusal("请输入名称!")};
    const double weight = ParseDecimalText(entries.weight);
    if (!(weight > 0.0)) return {false, -1, refusal("请输入正确的重量!")};
    const int32_t stored = std::clamp(static_cast<int32_t>(std::isfinite(peak.storedPointCount) ? peak.storedPointCount : 0.0f),
                                      0, kPeakRecordPoints);

    if (entries.kind == StoreKind::Standard) {
        const double area = ParseDecimalText(entries.surfaceArea);
        if (!(area > 0.0)) return {false, -1, refusal("请输入正确的标样表面积!")};
        StandardTable& table = database.standards();
        if (table.count < 0 || table.count >= kStandardCapacity) {
            return {false, -1, {"错误", kDatabaseFullText, PromptIcon::Error}};
        }
        StandardRecord& s = table.records[table.count];
        std::memset(&s, 0, sizeof s);
        s.number = parseSignedInteger(entries.number);
        writeGbkField(s.name, entries.name);
        s.weight_mg = static_cast<float>(weight);
        s.surface_area = static_cast<float>(area);
        s.peak_area = peak.area;
        const int32_t n = std::min(stored, kStandardTraceSize - 1);
        s.trace[0] = n;
        for (int32_t i = 0; i < n; ++i) {
            const float v = peak.points[i];
            s.trace[i + 1] = std::isfinite(v) ? static_cast<int32_t>(std::clamp(v, -2e9f, 2e9f)) : 0;
        }
        s.measured_year = today.year;
        s.measured_month = today.month;
        s.measured_day = today.day;
        s.in_use = 1;
        const int32_t index = table.count++;
        return {true, index, {"完成", printfText("标样已保存,其编号为：%d.", s.number), PromptIcon::Information}};
    }

    if (entries.standardIndex < 0) return {false, -1, refusal("请先选择一个标样!")};
    const std::optional<double> area = sampleArea(database, entries, peak.area);
    if (!area) return {false, -1, refusal("无法计算比表面积,请检查所选标样的重量和峰面积!")};
    SampleTable& table = database.samples();
    if (table.count < 0 || table.count >= kSampleCapacity) {
        return {false, -1, {"错误", kDatabaseFullText, PromptIcon::Error}};
    }
    SampleRecord& s = table.records[table.count];
    std::memset(&s, 0, sizeof s);
    s.number = parseSignedInteger(entries.number);
    s.serial = table.count + 1;
    writeGbkField(s.name, entries.name);
    s.weight_mg = static_cast<float>(weight);
    s.surface_area = static_cast<float>(*area);
    s.peak_area = peak.area;
    const int32_t n = std::min(stored, kSampleTraceSize - 1);
    s.trace[0] = static_cast<float>(n);
    for (int32_t i = 0; i < n; ++i) s.trace[i + 1] = peak.points[i];
    copyGbkBytes(s.sending_company, sample.sendingCompany);
    copyGbkBytes(s.measuring_company, sample.measuringCompany);
    copyGbkBytes(s.sender, sample.sender);
    copyGbkBytes(s.measurer, sample.measurer);
    copyGbkBytes(s.reviewer, sample.reviewer);
    s.sample_year = sample.sampleDate[0];
    s.sample_month = sample.sampleDate[1];
    s.sample_day = sample.sampleDate[2];
    s.measured_year = today.year;
    s.measured_month = today.month;
    s.measured_day = today.day;
    s.in_use = 1;
    const int32_t index = table.count++;
    return {true, index,
            {"完成", printfText("样品已保存,其比表面积为：%.3f m2/g.", double(s.surface_area)), PromptIcon::Information}};
}

}  // namespace vespian
