#pragma once
// The report panel of the main window's report view: a header row and three rows, one per
// report kind, each showing the one test report's sample name, weight, tester and date. A
// click on a row opens that kind's window. Drawn as a draw list in panel pixels; the column
// widths are those of the record list's matching columns, and a column of width 0 is left out.

#include <array>
#include <cstdint>

#include "platform/draw_list.h"

namespace vespian {

struct TestReportHeader;

enum class ReportKind { Titration = 0, TemperatureProgrammed = 1, Desorption = 2 };

inline constexpr int32_t kReportPanelColumns = 5;
inline constexpr std::array<int32_t, kReportPanelColumns> kReportPanelDefaultWidths = {150, 200, 100, 120, 150};
inline constexpr int32_t kReportPanelHeaderHeight = 25;
inline constexpr int32_t kReportPanelFirstRowY = 30;
inline constexpr int32_t kReportPanelRowStep = 20;
inline constexpr int32_t kReportPanelFontPixels = 13;

// The panel's widths from the twelve-column list (ZEvid's column block, element 1..12 the
// widths): kind ← column 1, name ← 2, weight ← 3, tester ← 9 (测量人), date ← 12.
std::array<int32_t, kReportPanelColumns> reportPanelWidths(const int32_t (&listColumns)[20]);

const char* reportKindTitle(ReportKind kind);  // "氢氧滴定报告", "程序升温测试", "脱附量测试"

DrawList reportPanelDrawing(const TestReportHeader& report, const std::array<int32_t, kReportPanelColumns>& widths,
                            int32_t width, int32_t height);

// The row under a click: 0, 1 or 2 (titration, temperature-programmed, desorption), −1 for none.
int32_t reportPanelRowAt(int32_t x, int32_t y, const std::array<int32_t, kReportPanelColumns>& widths);

}  // namespace vespian
