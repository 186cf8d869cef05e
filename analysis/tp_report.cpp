#include "analysis/tp_report.h"

#include <algorithm>
#include <cmath>

#include "files/test_report.h"
#include "platform/decimal_text.h"
#include "platform/gbk_text.h"
#include "platform/printf_text.h"
#include "trace/peak_picture.h"

namespace vespian {

namespace {

constexpr int32_t kLabelPixels = 13;
constexpr DrawColour kChartPaper = rgb(252, 252, 248);
constexpr DrawColour kChartGrid = rgb(226, 229, 234);

template <size_t N>
void storeText(char (&field)[N], std::string_view text, size_t limit) {
    writeGbkField(field, utf8WithinGbkBytes(text, limit));
}

float readFloatField(std::string_view text) { return static_cast<float>(ReadDecimalField(text)); }

// The signal's lowest and highest value over the points drawn (i < count), the scan starting
// from 90,000 and −90,000 as the program's charts do.
struct SignalExtent {
    float lo = 90000.0f;
    float hi = -90000.0f;
};
SignalExtent signalExtent(const float* signal, int32_t count) {
    SignalExtent e;
    for (int32_t i = 0; i < count; ++i) {
        if (signal[i] < e.lo) e.lo = signal[i];
        if (signal[i] > e.hi) e.hi = signal[i];
    }
    return e;
}

int32_t chartX(int64_t index, int32_t count) {
    if (count <= 0) return 0;
    return static_cast<int32_t>(static_cast<float>(index) / static_cast<float>(count) *
                                static_cast<float>(kReportChartWidth));
}

}  // namespace

CommonReportTexts commonReportTexts(const TestReportHeader& h) {
    return {readGbkField(h.heading),
            readGbkField(h.sampleName),
            numberText("%.4f", h.sampleWeightG),
            readGbkField(h.tester),
            std::to_string(h.testDate.year),
            std::to_string(h.testDate.month),
            std::to_string(h.testDate.day)};
}

int32_t readWholeField(std::string_view text) {
    const double v = std::trunc(ReadDecimalField(text));
    if (!(v == v)) return 0;
    return static_cast<int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
}

void storeHeading(std::string_view text, TestReportHeader& h) { storeText(h.heading, text, kHeadingMaxBytes); }
void storeSampleName(std::string_view text, TestReportHeader& h) {
    storeText(h.sampleName, text, kSampleNameMaxBytes);
}
void storeTester(std::string_view text, TestReportHeader& h) { storeText(h.tester, text, kTesterMaxBytes); }

std::string tmLine(float tmC) { return "Tm = " + numberText("%.0f", tmC) + " ℃"; }

TpReportTexts tpReportTexts(const TestReportHeader& h) {
    TpReportTexts t;
    t.common = commonReportTexts(h);
    t.upperTemp = numberText("%.0f", h.upperTempC);
    t.rampRate = numberText("%.0f", h.rampRateCPerMin);
    const int32_t count = std::clamp(h.tmCount, 0, kMaxTmPicks);
    for (int32_t k = 0; k < count; ++k) t.tmLines.push_back(tmLine(h.tmValues[k]));
    return t;
}

namespace {

std::vector<FieldText> tpFormTexts(const TestReportHeader& h) {
    namespace f = tp_field;
    const TpReportTexts t = tpReportTexts(h);
    return {{f::kHeading, t.common.heading}, {f::kSampleName, t.common.sampleName}, {f::kWeight, t.common.weight},
            {f::kTester, t.common.tester},   {f::kYear, t.common.year},             {f::kMonth, t.common.month},
            {f::kDay, t.common.day},         {f::kUpperTemp, t.upperTemp},          {f::kRampRate, t.rampRate}};
}

std::vector<FieldText> tpFieldChanged(TestReportHeader& h, int32_t field, std::string_view text) {
    namespace f = tp_field;
    switch (field) {
        case f::kHeading: storeHeading(text, h); break;
        case f::kSampleName: storeSampleName(text, h); break;
        case f::kWeight: h.sampleWeightG = readFloatField(text); break;
        case f::kTester: storeTester(text, h); break;
        case f::kYear: h.testDate.year = readWholeField(text); break;
        case f::kMonth: h.testDate.month = readWholeField(text); break;
        case f::kDay: h.testDate.day = readWholeField(text); break;
        case f::kUpperTemp: h.upperTempC = readFloatField(text); break;
        case f::kRampRate: h.rampRateCPerMin = readFloatField(text); break;
        default: break;
    }
    return {};
}

bool tpEditable(int32_t field) {
    namespace f = tp_field;
    return field == f::kHeading || field == f::kSampleName || field == f::kWeight || field == f::kTester ||
           field == f::kYear || field == f::kMonth || field == f::kDay || field == f::kUpperTemp ||
           field == f::kRampRate;
}

bool tpTakesTextBack(int32_t) { return false; }

}  // namespace

const ReportForm& tpReportForm() {
    static constexpr ReportForm form{tpFormTexts, tpFieldChanged, tpEditable, tpTakesTextBack};
    return form;
}

void readBackTpReport(const TpReportTexts& t, TestReportHeader& h) {
    namespace f = tp_field;
    const std::pair<int32_t, const std::string*> typed[] = {
        {f::kHeading, &t.common.heading}, {f::kSampleName, &t.common.sampleName}, {f::kWeight, &t.common.weight},
        {f::kTester, &t.common.tester},   {f::kYear, &t.common.year},             {f::kMonth, &t.common.month},
        {f::kDay, &t.common.day},         {f::kUpperTemp, &t.upperTemp},          {f::kRampRate, &t.rampRate}};
    for (const auto& [field, text] : typed) tpFieldChanged(h, field, *text);
}

void addChartBackground(DrawList& list) {
    list.add(DrawFill{{0, 0, kReportChartWidth, kReportChartHeight}, kChartPaper});
    for (int32_t k = 1; k < 10; ++k) {
        const int32_t x = kReportChartWidth * k / 10;
        const int32_t y = kReportChartHeight * k / 10;
        list.add(DrawLine{{x, 0}, {x, kReportChartHeight}, kChartGrid});
        list.add(DrawLine{{0, y}, {kReportChartWidth, y}, kChartGrid});
    }
}

DrawList tpReportChart(const TestReport& report) {
    DrawList list;
    addChartBackground(list);
    const TestReportHeader& h = report.header();
    const int32_t count = std::clamp(h.reportPointCount, 0, kLastPointIndex);
    const float* signal = report.signalMv();
    const float* temperature = report.temperatureC();

    SignalExtent e = signalExtent(signal, count);
    e.hi = e.hi + (e.hi - e.lo) / 10.0f;
    const float range = e.hi - e.lo;
    const auto height = static_cast<int32_t>(kReportChartHeight);

    if (count > 0) {
        PolylineBuilder signalLine;
        PolylineBuilder temperatureLine;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t x = chartX(i, count);
            // The first point is scaled to the full height, the others to 375 pixels.
            const float span = i == 0 ? static_cast<float>(kReportChartHeight) : static_cast<float>(kReportChartSignalSpan);
            signalLine.add({x, height - scaledDepth(signal[i], e.lo, range, span)});
            temperatureLine.add({x, height - scaledDepth(temperature[i], 0.0f, kTemperatureScaleC,
                                                         static_cast<float>(kReportChartHeight))});
        }
        list.add(DrawPolyline{signalLine.finish(), kSignalColour});
        list.add(DrawPolyline{temperatureLine.finish(), kTemperatureColour});
    }

    const int32_t tms = std::clamp(h.tmCount, 0, kMaxTmPicks);
    for (int32_t k = 0; k < tms; ++k) {
        const int32_t index = h.tmIndices[k];
        // A Tm picked on an earlier, longer stretch has no place on this one.
        if (index < 0 || index > count) continue;
        const int32_t x = chartX(index, count);
        const int32_t up = scaledDepth(signal[index], e.lo, range, static_cast<float>(kReportChartHeight));
        list.add(DrawLine{{x, height - up}, {x, height - 5 - up}, kTmColour});
        DrawText label;
        label.x = x;
        label.y = height - 6 - up - kLabelPixels;  // the label's bottom edge at 374 − h
        label.text = numberText("%.0f", h.tmValues[k]);
        label.pixelSize = kLabelPixels;
        label.h = HAlign::Centre;
        label.colour = kTmColour;
        list.add(label);
    }
    return list;
}

int32_t chartPointIndex(int32_t x, int32_t reportPointCount) {
    if (reportPointCount <= 0) return 0;
    x = std::clamp(x, 0, kReportChartWidth - 1);
    const auto i = static_cast<int32_t>(static_cast<double>(x) / kReportChartWidth * reportPointCount);
    return std::clamp(i, 0, std::min(reportPointCount, kLastPointIndex));
}

std::string pointerTemperatureText(const TestReport& report, int32_t x) {
    const int32_t i = chartPointIndex(x, report.header().reportPointCount);
    return "温度：" + numberText("%.0f", report.temperatureC()[i]) + " ℃";
}

bool pickTm(TestReport& report, int32_t x) {
    TestReportHeader& h = report.header();
    if (h.tmCount >= kMaxTmPicks) return false;
    if (h.tmCount < 0) h.tmCount = 0;
    const int32_t i = chartPointIndex(x, h.reportPointCount);
    h.tmValues[h.tmCount] = report.temperatureC()[i];
    h.tmIndices[h.tmCount] = i;
    ++h.tmCount;
    return true;
}

bool deleteTm(TestReportHeader& h, int32_t selected) {
    if (selected < 0 || selected >= h.tmCount || selected >= kMaxTmPicks) return false;
    for (int32_t k = selected; k + 1 < h.tmCount; ++k) {
        h.tmValues[k] = h.tmValues[k + 1];
        h.tmIndices[k] = h.tmIndices[k + 1];
    }
    --h.tmCount;
    return true;
}

void clearTms(TestReportHeader& h) { h.tmCount = 0; }

}  // namespace vespian
