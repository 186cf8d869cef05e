#include "analysis/comparison_lists.h"

#include <algorithm>
#include <string>

#include "analysis/bet_list.h"
#include "platform/gbk_text.h"
#include "platform/printf_text.h"

namespace vespian {

namespace {

constexpr const char* kStandardTitles[kStandardListColumns] = {"编号", "名称", "重量[mg]", "表面积", "峰面积",
                                                                "测量日期"};
constexpr const char* kSampleTitles[kSampleListColumns] = {"序号",   "名称",     "重量 [mg]", "比表面积 [m2/g]",
                                                            "峰面积", "送样公司", "测量公司",  "送样人",
                                                            "测量人", "审核人",   "送样日期",  "测量日期"};

template <int Columns, typename Table, typename Cells>
DrawList columnList(const Table& table, const char* const (&titles)[Columns], std::span<const int32_t> widths,
                    int32_t screenWidth, int32_t height, int32_t firstRow, int32_t hScroll, Cells cellsOf) {
    DrawList list;
    const int32_t total = widths.empty() ? 0 : widths[0];
    list.add(DrawLine{{-hScroll, kBetListHeaderHeight}, {std::max(screenWidth, total) - hScroll, kBetListHeaderHeight}});
    int32_t left[Columns];
    int32_t right[Columns];
    int32_t x = 0;
    for (int c = 0; c < Columns; ++c) {
        const int32_t w = static_cast<size_t>(c + 1) < widths.size() ? std::max(widths[c + 1], 0) : 0;
        left[c] = x;
        right[c] = x + w;
        x += w;
        if (w == 0) continue;
        DrawText title;
        title.x = (left[c] + right[c]) / 2 - hScroll;
        title.y = kBetListHeaderHeight / 2;
        title.text = titles[c];
        title.h = HAlign::Centre;
        title.v = VAlign::Centre;
        // A title wider than its column (the fixed widths leave "比表面积 [m2/g]" 80 pixels)
        // stays inside it rather than running over its neighbours.
        title.clip = {left[c] + 1 - hScroll, 0, right[c] - hScroll, kBetListHeaderHeight};
        list.add(title);
        if (right[c] < total) list.add(DrawLine{{right[c] - hScroll, 0}, {right[c] - hScroll, height}});
    }
    const int32_t count = std::clamp(table.count, 0, Table::kCapacity);
    for (int32_t row = 0;; ++row) {
        const int32_t top = kBetListHeaderHeight + kListRowHeight * row;
        const int32_t index = firstRow + row;
        if (top >= height || index >= count) break;
        if (index < 0) continue;
        const auto& record = table.records[index];
        if (record.in_use == 0) continue;
        std::string cells[Columns];
        cellsOf(record, cells);
        for (int c = 0; c < Columns; ++c) {
            if (right[c] == left[c]) continue;
            DrawText cell;
            cell.x = right[c] - 10 - hScroll;
            cell.y = top + kListRowHeight / 2;
            cell.text = std::move(cells[c]);
            cell.h = HAlign::Right;
            cell.v = VAlign::Centre;
            cell.colour = record.selected != 0 ? kSelectedRowColour : kBlack;
            cell.clip = {left[c] + 1 - hScroll, top, right[c] - hScroll, top + kListRowHeight};
            list.add(cell);
        }
    }
    return list;
}

std::string date(int32_t year, int32_t month, int32_t day) { return printfText("%d-%d-%d", year, month, day); }

}  // namespace

void standardCells(const StandardRecord& s, std::string (&cells)[kStandardListColumns]) {
    cells[0] = printfText("%d", s.number);
    cells[1] = readGbkField(s.name);
    cells[2] = numberText("%.3f", s.weight_mg);
    cells[3] = numberText("%.4f", s.surface_area);
    cells[4] = printfText("%d", s.peak_area);
    cells[5] = printfText("%4d", s.measured_year) + "年" + printfText("%2d", s.measured_month) + "月" +
               printfText("%2d", s.measured_day) + "日";
}

void sampleCells(const SampleRecord& s, std::string (&cells)[kSampleListColumns]) {
    cells[0] = printfText("%d", s.serial);
    cells[1] = readGbkField(s.name);
    cells[2] = numberText("%.1f", s.weight_mg);
    cells[3] = numberText("%.3f", s.surface_area);
    cells[4] = printfText("%d", s.peak_area);
    cells[5] = readGbkField(s.sending_company);
    cells[6] = readGbkField(s.measuring_company);
    cells[7] = readGbkField(s.sender);
    cells[8] = readGbkField(s.measurer);
    cells[9] = readGbkField(s.reviewer);
    cells[10] = date(s.sample_year, s.sample_month, s.sample_day);
    cells[11] = date(s.measured_year, s.measured_month, s.measured_day);
}

DrawList standardListDrawing(const StandardTable& standards, std::span<const int32_t> widths,
                             int32_t screenWidth, int32_t height, int32_t firstRow, int32_t hScroll) {
    return columnList<kStandardListColumns>(standards, kStandardTitles, widths, screenWidth, height, firstRow, hScroll,
                                            [](const StandardRecord& r, auto& cells) { standardCells(r, cells); });
}

DrawList sampleListDrawing(const SampleTable& samples, std::span<const int32_t> widths,
                           int32_t screenWidth, int32_t height, int32_t firstRow, int32_t hScroll) {
    return columnList<kSampleListColumns>(samples, kSampleTitles, widths, screenWidth, height, firstRow, hScroll,
                                          [](const SampleRecord& r, auto& cells) { sampleCells(r, cells); });
}

}  // namespace vespian
