#include "analysis/tp_report_page.h"

#include <algorithm>
#include <cmath>

#include "analysis/tp_report.h"
#include "files/test_report.h"
#include "platform/gbk_text.h"
#include "platform/printf_text.h"
#include "trace/peak_picture.h"

namespace vespian {

namespace {

// The chart frame on the page.
constexpr float kLeft = 100.0f;
constexpr float kTop = 140.0f;
constexpr float kRight = 650.0f;
constexpr float kBottom = 500.0f;
constexpr float kChartUnitsWide = 550.0f;
constexpr float kChartUnitsHigh = 360.0f;

constexpr float kAxisType = 13.0f;
constexpr float kHeaderType = 14.0f;
constexpr float kDataType = 16.0f;
constexpr float kRowStep = 25.0f;
constexpr float kSecondColumn = 280.0f;
constexpr DrawColour kLogoColour = rgb(0, 96, 112);

// The Tm list below the data block: nine rows a column, five columns of 100 units.
constexpr float kTmIndent = 50.0f;
constexpr float kTmColumnStep = 100.0f;
constexpr int32_t kTmColumns = 5;
constexpr float kTmListBottom = 925.0f;

int32_t rowsBetween(float top, float bottom) { return static_cast<int32_t>((bottom - top) / kRowStep) + 1; }

// The signal scale of the page: the extent of the points drawn with the print margins.
struct PrintScale {
    float lo = 0.0f;
    float range = 0.0f;
};

PrintScale printScale(const float* signal, int32_t count) {
    float lo = 0.0f;
    float hi = 0.0f;
    if (count > 0) {
        lo = 90000.0f;
        hi = -90000.0f;
        for (int32_t i = 0; i < count; ++i) {
            lo = std::min(lo, signal[i]);
            hi = std::max(hi, signal[i]);
        }
    }
    const float span = hi - lo;
    lo = lo - span / 15.0f;
    hi = hi + 3.0f * span / 15.0f;
    return {lo, hi - lo};
}

std::vector<std::string> headingLines(const std::string& heading) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : heading) {
        if (c == '\r') continue;
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::vector<DataRow> tpDataRows(const TestReportHeader& h) {
    return {
        {"样品名称：" + readGbkField(h.sampleName), "样品重量[g]：" + numberText("%.4f", h.sampleWeightG)},
        {"上限温度[℃]：" + numberText("%.0f", h.upperTempC), "检测员：" + readGbkField(h.tester)},
        {"升温速率[℃/分]：" + numberText("%.0f", h.rampRateCPerMin),
         printfText("检测日期：%d-%d-%d", h.testDate.year, h.testDate.month, h.testDate.day)},
        {"", ""},
    };
}

// Tm lines from `first`, in columns, from `top` down to the list's bottom; returns the index
// after the last one placed.
int32_t addTmLines(ReportPageBuilder& page, const TestReportHeader& h, int32_t first, float top) {
    const int32_t rows = rowsBetween(top, kTmListBottom);
    const int32_t count = std::clamp(h.tmCount, 0, kMaxTmPicks);
    int32_t k = first;
    for (; k < count && k - first < rows * kTmColumns; ++k) {
        const int32_t slot = k - first;
        const float x = kLeft + kTmIndent + kTmColumnStep * static_cast<float>(slot / rows);
        const float y = top + kRowStep * static_cast<float>(slot % rows);
        page.text(x, y, numberText("%5.0f", h.tmValues[k]) + " ℃", kDataType);
    }
    return k;
}

}  // namespace

ReportPageBuilder::ReportPageBuilder(int32_t width, int32_t height)
    : sx_(static_cast<float>(width) / kPageUnitsWide), sy_(static_cast<float>(height) / kPageUnitsHigh) {}

int32_t ReportPageBuilder::px(float x) const { return static_cast<int32_t>(x * sx_); }
int32_t ReportPageBuilder::py(float y) const { return static_cast<int32_t>(y * sy_); }

void ReportPageBuilder::text(float x, float y, std::string text, float size, HAlign h, VAlign v, DrawColour colour,
                             FontFace face) {
    if (text.empty()) return;
    DrawText t;
    t.x = px(x);
    t.y = py(y);
    t.text = std::move(text);
    t.pixelSize = pixelSize(size);
    t.face = face;
    t.h = h;
    t.v = v;
    t.colour = colour;
    list_.add(std::move(t));
}

void ReportPageBuilder::line(float x1, float y1, float x2, float y2, DrawColour colour) {
    list_.add(DrawLine{{px(x1), py(y1)}, {px(x2), py(y2)}, colour, penWidth()});
}

void ReportPageBuilder::frame(float left, float top, float right, float bottom, DrawColour colour) {
    list_.add(DrawFrame{{px(left), py(top), px(right) + 1, py(bottom) + 1}, colour, penWidth()});
}

void ReportPageBuilder::polyline(std::vector<DrawPoint> points, DrawColour colour) {
    if (points.empty()) return;
    list_.add(DrawPolyline{std::move(points), colour, penWidth()});
}

int32_t ReportPageBuilder::pixelSize(float size) const {
    return std::max(1, static_cast<int32_t>(std::lround(size * sy_)));
}

int32_t ReportPageBuilder::penWidth() const { return std::max(1, static_cast<int32_t>(sy_)); }

DrawList ReportPageBuilder::take() {
    DrawList out;
    std::swap(out, list_);
    return out;
}

void addReportFrame(ReportPageBuilder& page, const std::string& heading, const ReportLetterhead& letterhead) {
    float y = 20.0f;
    for (std::string& line : headingLines(heading)) {
        page.text(375.0f, y, std::move(line), kHeaderType, HAlign::Centre);
        y += kHeaderType + 2.0f;
    }
    // Our mark: a detector peak in a square.
    page.frame(480.0f, 36.0f, 516.0f, 72.0f, kLogoColour);
    page.polyline({{page.px(483), page.py(67)},
                   {page.px(491), page.py(66)},
                   {page.px(498), page.py(42)},
                   {page.px(504), page.py(65)},
                   {page.px(513), page.py(67)}},
                  kSignalColour);
    page.text(602.5f, 40.0f, letterhead.supplierName, kHeaderType, HAlign::Centre);
    page.text(600.0f, 70.0f, letterhead.webAddress, kHeaderType, HAlign::Centre, VAlign::Top, kBlack, FontFace::Hei);
    page.text(167.5f, 70.0f, kReportProductTitle, kHeaderType, HAlign::Centre);
    page.line(50.0f, 90.0f, 680.0f, 90.0f);
    page.line(50.0f, 950.0f, 680.0f, 950.0f);
    page.text(160.0f, 955.0f, hotlineLine(letterhead), kAxisType, HAlign::Centre);
    page.text(540.0f, 955.0f, emailLine(letterhead), kAxisType, HAlign::Centre);
}

void addReportChart(ReportPageBuilder& page, const TestReport& report, bool temperature) {
    const TestReportHeader& h = report.header();
    const int32_t count = std::clamp(h.reportPointCount, 0, kLastPointIndex);
    const float* signal = report.signalMv();
    const PrintScale scale = printScale(signal, count);
    const int32_t seconds = count / kPointsPerSecond;

    page.frame(kLeft, kTop, kRight, kBottom);
    for (int32_t k = 0; k <= 10; ++k) {
        const float y = kBottom - 36.0f * static_cast<float>(k);
        page.line(kLeft - 5.0f, y, kLeft, y, kSignalColour);
        page.text(kLeft - 7.0f, y,
                  numberText("%.3f", scale.lo + static_cast<float>(k) / 10.0f * scale.range), kAxisType,
                  HAlign::Right, VAlign::Centre, kSignalColour);
        const float x = kLeft + 55.0f * static_cast<float>(k);
        page.line(x, kBottom, x, kBottom + 5.0f);
        const auto secondsAt = static_cast<int32_t>(55.0f * static_cast<float>(k) / kChartUnitsWide *
                                                    static_cast<float>(seconds));
        page.text(x, kBottom + 7.0f, std::to_string(secondsAt), kAxisType, HAlign::Centre);
        if (temperature) {
            page.line(kRight, y, kRight + 5.0f, y, kTemperatureColour);
            page.text(kRight + 7.0f, y, std::to_string(k * 120), kAxisType, HAlign::Left, VAlign::Centre,
                      kTemperatureColour);
        }
    }
    page.text(kLeft, kTop - 18.0f, "[mV]", kAxisType, HAlign::Centre, VAlign::Top, kSignalColour);
    if (temperature) page.text(kRight, kTop - 18.0f, "[℃]", kAxisType, HAlign::Centre, VAlign::Top, kTemperatureColour);
    page.text(kRight + (temperature ? 30.0f : 18.0f), kBottom + 7.0f, "[秒]", kAxisType);

    if (seconds <= 0) return;  // fewer than five points: no time scale to draw them on
    const int32_t left = page.px(kLeft);
    const int32_t bottom = page.py(kBottom);
    const float wide = kChartUnitsWide * page.sx();
    const float high = kChartUnitsHigh * page.sy();
    const auto xOf = [&](int32_t i) {
        return left + static_cast<int32_t>(static_cast<float>(i) / static_cast<float>(kPointsPerSecond) /
                                           static_cast<float>(seconds) * wide);
    };
    PolylineBuilder signalLine;
    PolylineBuilder temperatureLine;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = xOf(i);
        signalLine.add({x, bottom - scaledDepth(signal[i], scale.lo, scale.range, high)});
        if (temperature) {
            temperatureLine.add({x, bottom - scaledDepth(report.temperatureC()[i], 0.0f, kTemperatureScaleC, high)});
        }
    }
    page.polyline(signalLine.finish(), kSignalColour);
    if (!temperature) return;
    page.polyline(temperatureLine.finish(), kTemperatureColour);
    const int32_t tms = std::clamp(h.tmCount, 0, kMaxTmPicks);
    for (int32_t k = 0; k < tms; ++k) {
        const int32_t index = h.tmIndices[k];
        if (index < 0 || index > count) continue;
        const int32_t x = xOf(index);
        const int32_t up = scaledDepth(signal[index], scale.lo, scale.range, high);
        page.add(DrawLine{{x, bottom - up}, {x, bottom - up - page.py(5.0f)}, kTmColour, page.penWidth()});
        DrawText label;
        label.x = x;
        label.pixelSize = page.pixelSize(kAxisType);
        label.y = bottom - up - page.py(6.0f) - label.pixelSize;  // the bottom edge at 494 − h
        label.text = numberText("%.0f", h.tmValues[k]);
        label.h = HAlign::Centre;
        label.colour = kTmColour;
        page.add(std::move(label));
    }
}

void addDataRows(ReportPageBuilder& page, const std::vector<DataRow>& rows, float top) {
    float y = top;
    for (const DataRow& row : rows) {
        if (row.first.empty() && row.second.empty()) {
            page.line(kLeft, y + kRowStep / 2.0f - 4.0f, kRight, y + kRowStep / 2.0f - 4.0f);
        } else {
            page.text(kLeft, y, row.first, kDataType);
            page.text(kLeft + kSecondColumn, y, row.second, kDataType);
        }
        y += kRowStep;
    }
}

std::vector<DrawList> tpReportPages(const TestReport& report, const ReportLetterhead& letterhead, int32_t width,
                                    int32_t height) {
    const TestReportHeader& h = report.header();
    std::vector<DrawList> pages;
    ReportPageBuilder page(width, height);
    addReportFrame(page, readGbkField(h.heading), letterhead);
    addReportChart(page, report, true);
    page.line(kLeft, 580.0f, kRight, 580.0f);
    addDataRows(page, tpDataRows(h), 600.0f);
    page.text(kLeft, 700.0f, "Tm值：", kDataType);
    int32_t next = addTmLines(page, h, 0, 725.0f);
    pages.push_back(page.take());
    while (next < std::clamp(h.tmCount, 0, kMaxTmPicks)) {
        ReportPageBuilder more(width, height);
        addReportFrame(more, readGbkField(h.heading), letterhead);
        more.text(kLeft, kTop, "Tm值：", kDataType);
        next = addTmLines(more, h, next, kTop + kRowStep);
        pages.push_back(more.take());
    }
    return pages;
}

}  // namespace vespian
