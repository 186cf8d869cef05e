#include "files/report_panel.h"

#include <algorithm>
#include <string>

#include "files/test_report.h"
#include "platform/gbk_text.h"
#include "platform/printf_text.h"

namespace vespian {

namespace {

constexpr const char* kCaptions[kReportPanelColumns] = {"类型", "名称", "重量", "测试员", "测量日期"};
constexpr int32_t kCellIndent = 4;
constexpr int32_t kRows = 3;

int32_t totalWidth(const std::array<int32_t, kReportPanelColumns>& widths) {
    int32_t total = 0;
    for (int32_t w : widths) total += w > 0 ? w : 0;
    return total;
}

}  // namespace

std::array<int32_t, kReportPanelColumns> reportPanelWidths(const int32_t (&listColumns)[20]) {
    return {listColumns[1], listColumns[2], listColumns[3], listColumns[9], listColumns[12]};
}

const char* reportKindTitle(ReportKind kind) {
    switch (kind) {
        case ReportKind::Titration:
            return "氢氧滴定报告";
        case ReportKind::TemperatureProgrammed:
            return "程序升温测试";
        case ReportKind::Desorption:
            return "脱附量测试";
    }
    return "";
}

DrawList reportPanelDrawing(const TestReportHeader& report, const std::array<int32_t, kReportPanelColumns>& widths,
                            int32_t width, int32_t height) {
    DrawList list;
    list.add(DrawFill{{0, 0, width, height}, kWhite});
    const int32_t ruleEnd = std::max(width, totalWidth(widths));
    list.add(DrawLine{{0, kReportPanelHeaderHeight}, {ruleEnd, kReportPanelHeaderHeight}});

    const std::string cells[kReportPanelColumns - 1] = {
        readGbkField(report.sampleName),
        numberText("%.4f", report.sampleWeightG),
        readGbkField(report.tester),
        printfText("%d年%d月%d日", report.testDate.year, report.testDate.month, report.testDate.day),
    };
    int32_t left = 0;
    for (int32_t c = 0; c < kReportPanelColumns; ++c) {
        if (widths[c] <= 0) continue;
        const int32_t right = left + widths[c];
        const DrawBox column{left, 0, right - 1, height};
        DrawText caption;
        caption.x = left + kCellIndent;
        caption.y = kReportPanelHeaderHeight / 2;
        caption.text = kCaptions[c];
        caption.pixelSize = kReportPanelFontPixels;
        caption.v = VAlign::Centre;
        caption.clip = column;
        list.add(caption);
        for (int32_t row = 0; row < kRows; ++row) {
            DrawText cell = caption;
            cell.y = kReportPanelFirstRowY + row * kReportPanelRowStep;
            cell.v = VAlign::Top;
            cell.text = c == 0 ? reportKindTitle(static_cast<ReportKind>(row)) : cells[c - 1];
            list.add(cell);
        }
        list.add(DrawLine{{right - 1, 0}, {right - 1, height}});
        left = right;
    }
    return list;
}

int32_t reportPanelRowAt(int32_t x, int32_t y, const std::array<int32_t, kReportPanelColumns>& widths) {
    if (x < 0 || x >= std::max(totalWidth(widths), 1)) return -1;
    // Each row's band starts a little above its text, so a click on the text's upper edge counts.
    const int32_t top = kReportPanelFirstRowY - 2;
    if (y < top) return -1;
    const int32_t row = (y - top) / kReportPanelRowStep;
    return row < kRows ? row : -1;
}

}  // namespace vespian
