#include "analysis/bet_list.h"

#include <algorithm>

#include "analysis/bet.h"
#include "platform/gbk_text.h"
#include "platform/printf_text.h"

namespace vespian {

namespace {

struct Column {
    const char* title;
    int32_t width;
};
constexpr Column kColumns[] = {{"编号", 60}, {"名称", 130}, {"重量", 100}, {"BET比表面积 [m2/g]", 130}, {"送样单位", 170}};

DrawText cell(int32_t x, int32_t y, std::string content, HAlign h, DrawColour colour, DrawBox clip) {
    DrawText t;
    t.x = x;
    t.y = y;
    t.text = std::move(content);
    t.h = h;
    t.v = VAlign::Centre;
    t.colour = colour;
    t.clip = clip;
    return t;
}

}  // namespace

DrawList betListDrawing(const ReportTable& reports, int32_t width, int32_t height, int32_t firstRow,
                        int32_t hScroll) {
    DrawList list;
    const int32_t across = std::max(width, kBetListMinWidth);
    list.add(DrawLine{{-hScroll, kBetListHeaderHeight}, {across - hScroll, kBetListHeaderHeight}});
    int32_t left = -hScroll;
    int32_t edges[5];
    for (int c = 0; c < 5; ++c) {
        const int32_t right = left + kColumns[c].width;
        edges[c] = right;
        list.add(cell((left + right) / 2, kBetListHeaderHeight / 2, kColumns[c].title, HAlign::Centre, kBlack, {}));
        list.add(DrawLine{{right, 0}, {right, height}});
        left = right;
    }
    const int32_t count = std::clamp(reports.count, 0, kReportCapacity);
    for (int32_t row = 0;; ++row) {
        const int32_t top = kBetListHeaderHeight + kListRowHeight * row;
        const int32_t index = firstRow + row;
        if (top >= height || index >= count) break;
        if (index < 0) continue;
        const SurfaceReportRecord& r = reports.records[index];
        if (r.in_use == 0) continue;
        const DrawColour colour = r.selected != 0 ? kSelectedRowColour : kBlack;
        const int32_t y = top + kListRowHeight / 2;
        const std::string texts[5] = {printfText("%d", r.number), readGbkField(r.name), numberText("%.1f", r.weight_mg),
                                      betAreaText(r), readGbkField(r.sending_company)};
        int32_t cellLeft = -hScroll;
        for (int c = 0; c < 5; ++c) {
            const DrawBox clip{cellLeft + 1, top, edges[c], top + kListRowHeight};
            if (c == 0) {
                list.add(cell(edges[c] - 10, y, texts[c], HAlign::Right, colour, clip));
            } else {
                list.add(cell((cellLeft + edges[c]) / 2, y, texts[c], HAlign::Centre, colour, clip));
            }
            cellLeft = edges[c];
        }
    }
    return list;
}

int32_t betRowAtDoubleClick(const ReportTable& reports, int32_t y, int32_t top, int32_t bottom, int32_t firstRow) {
    if (y < top + kBetListHeaderHeight || y >= bottom) return -1;
    const int32_t index = firstRow + (y - top - kBetListHeaderHeight) / kListRowHeight;
    if (index < 0 || index >= std::clamp(reports.count, 0, kReportCapacity)) return -1;
    return index;
}

}  // namespace vespian
