#pragma once
// The printed pages of the three chemisorption reports, as draw lists in the printer's device
// pixels. Positions are laid out on a page of 730 × 1032 units and scaled by width / 730 and
// height / 1032. Every page has the same frame: the heading, the letterhead (supplier's name,
// our logo, web address, "CXM-2600化学分析仪数据报告"), rules at 90 and 950, the chart from
// (100, 140) to (650, 500) with its axes, the data block in 16-unit type from y 600, and the
// footer with the service hotline and e-mail.
//
// The temperature-programmed page also draws the temperature on its right axis and the Tm
// marks, and lists the Tm values under "Tm值：". Nine fit below the data block in one column;
// more go into columns side by side, and what does not fit on the page continues on a second.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "files/report_letterhead.h"
#include "platform/draw_list.h"

namespace vespian {

class TestReport;

inline constexpr char kTpReportDocumentName[] = "程序升温分析报告";
inline constexpr char kTitrationDocumentName[] = "氢氧滴定分析报告";
inline constexpr char kDesorptionDocumentName[] = "脱附量测试";
inline constexpr char kReportProductTitle[] = "CXM-2600化学分析仪数据报告";

inline constexpr float kPageUnitsWide = 730.0f;
inline constexpr float kPageUnitsHigh = 1032.0f;

// Page units to device pixels, and the primitives the pages are made of.
class ReportPageBuilder {
public:
    ReportPageBuilder(int32_t width, int32_t height);

    float sx() const { return sx_; }
    float sy() const { return sy_; }
    int32_t px(float x) const;
    int32_t py(float y) const;
    // A text anchored at page position (x, y) in `size`-unit type.
    void text(float x, float y, std::string text, float size, HAlign h = HAlign::Left, VAlign v = VAlign::Top,
              DrawColour colour = kBlack, FontFace face = FontFace::Song);
    void line(float x1, float y1, float x2, float y2, DrawColour colour = kBlack);
    void frame(float left, float top, float right, float bottom, DrawColour colour = kBlack);
    void polyline(std::vector<DrawPoint> devicePoints, DrawColour colour);
    // An item already in device pixels.
    void add(DrawItem item) { list_.add(std::move(item)); }
    // The pixel size of `size`-unit type, and the width of a one-unit line.
    int32_t pixelSize(float size) const;
    int32_t penWidth() const;

    DrawList take();

private:
    DrawList list_;
    float sx_;
    float sy_;
};

// The frame every report page shares: heading, letterhead, rules and footer.
void addReportFrame(ReportPageBuilder& page, const std::string& heading, const ReportLetterhead& letterhead);

// The chart with its axes: the signal on the left axis with the print margins (a fifteenth of
// the span below, three fifteenths above), seconds along the bottom; with `temperature` also
// the temperature on the right axis (0–1200 ℃) and the Tm marks.
void addReportChart(ReportPageBuilder& page, const TestReport& report, bool temperature);

// Rows of the data block, two columns 280 units apart from x 100, 25 units apart from `top`.
// An empty right text leaves the column empty; a row of two empty texts is a rule.
using DataRow = std::pair<std::string, std::string>;
void addDataRows(ReportPageBuilder& page, const std::vector<DataRow>& rows, float top);

// The temperature-programmed report: one page, or two when the Tm list does not fit.
std::vector<DrawList> tpReportPages(const TestReport& report, const ReportLetterhead& letterhead, int32_t width,
                                    int32_t height);

}  // namespace vespian
