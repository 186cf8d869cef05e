#pragma once
// The temperature-programmed report (TPD, TPR, TPO) as window rules: the fields of the one test
// report as the window shows and reads them, the chart of the sample trace with the furnace
// temperature and the Tm marks, the temperature under the pointer, and picking, deleting and
// clearing Tm values. The Tm list keeps the order of picking and holds at most 99 values.
//
// The fields shared by the three report windows (heading, sample name and weight, tester, test
// date) are read and shown here for all of them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/report_form.h"
#include "platform/draw_list.h"

namespace vespian {

class TestReport;
struct TestReportHeader;

// The report windows: 880 wide, content 890 high; the chart bitmap at (45, 95), 775 × 380.
inline constexpr int32_t kReportWindowWidth = 880;
inline constexpr int32_t kReportContentHeight = 890;
inline constexpr int32_t kReportChartLeft = 45;
inline constexpr int32_t kReportChartTop = 95;
inline constexpr int32_t kReportChartWidth = 775;
inline constexpr int32_t kReportChartHeight = 380;
inline constexpr int32_t kReportChartSignalSpan = 375;
inline constexpr int32_t kMaxTmPicks = 99;

inline constexpr DrawColour kSignalColour = rgb(200, 0, 100);
inline constexpr DrawColour kTemperatureColour = rgb(0, 0, 160);
inline constexpr DrawColour kTmColour = rgb(0, 150, 50);
inline constexpr DrawColour kPointerLineColour = rgb(140, 140, 160);
// The temperature scale of chart and page: 0 to 1200 ℃.
inline constexpr float kTemperatureScaleC = 1200.0f;

// Text limits of the shared fields, in GBK bytes.
inline constexpr size_t kHeadingMaxBytes = 199;
inline constexpr size_t kSampleNameMaxBytes = 49;
inline constexpr size_t kTesterMaxBytes = 19;

// The shared fields as shown: texts as they are, the weight "%.4f", the date "%d".
struct CommonReportTexts {
    std::string heading;
    std::string sampleName;
    std::string weight;
    std::string tester;
    std::string year;
    std::string month;
    std::string day;
};
CommonReportTexts commonReportTexts(const TestReportHeader& header);
// Texts cut to their limits at a whole character.
void storeHeading(std::string_view text, TestReportHeader& header);
void storeSampleName(std::string_view text, TestReportHeader& header);
void storeTester(std::string_view text, TestReportHeader& header);

// ReadDecimalField truncated to a whole number (within the int32 range).
int32_t readWholeField(std::string_view text);

struct TpReportTexts {
    CommonReportTexts common;
    std::string upperTemp;  // "%.0f"
    std::string rampRate;   // "%.0f"
    std::vector<std::string> tmLines;  // "Tm = %.0f ℃", in list order
};
TpReportTexts tpReportTexts(const TestReportHeader& header);
// Texts cut to their limits at a whole character, numbers by ReadDecimalField (0 when they do
// not parse), the date truncated to whole numbers.
void readBackTpReport(const TpReportTexts& texts, TestReportHeader& header);

// The window's fields by their control numbers.
namespace tp_field {
using namespace report_field;
inline constexpr int32_t kUpperTemp = 1011;
inline constexpr int32_t kRampRate = 1012;
}  // namespace tp_field

// The temperature-programmed window's form: every field typed, none stored until a read-back
// ("确定", "保存为...", printing), so closing the window leaves the record as it was.
const ReportForm& tpReportForm();

std::string tmLine(float tmC);

// The chart bitmap: the background, the signal curve (a tenth of the span added above), the
// temperature on 0–1200 ℃, and a tick with its label at each Tm of this trace. Positions are
// chart pixels; every one is finite, also for a flat signal or an empty trace.
DrawList tpReportChart(const TestReport& report);
// The chart's background, shared by the report windows.
void addChartBackground(DrawList& list);

// The point under chart x (0 .. 774): trunc(x / 775 × reportPointCount), within the trace.
int32_t chartPointIndex(int32_t chartX, int32_t reportPointCount);
// "温度：%.0f ℃" of the temperature under chart x.
std::string pointerTemperatureText(const TestReport& report, int32_t chartX);

// A click on the chart: appends the temperature under x as the next Tm. False (nothing
// changes) when 99 Tm values are held already.
bool pickTm(TestReport& report, int32_t chartX);
// "删除": removes Tm `selected` (the list's selected line), the later ones move up. A
// selection of −1 (none) or outside the list changes nothing.
bool deleteTm(TestReportHeader& header, int32_t selected);
// "全部清除".
void clearTms(TestReportHeader& header);

}  // namespace vespian
