#include "analysis/list_scroll.h"

#include "analysis/bet_list.h"

namespace vespian {

namespace {

constexpr int32_t kListPage = 10;
constexpr int32_t kListSidewaysLine = 2;
constexpr int32_t kBetPageExtent = 1000;
constexpr int32_t kBetPagePage = 100;

}  // namespace

ListViewScroll recordListScroll(int32_t count, int32_t totalWidth, int32_t width, int32_t height) {
    const int32_t rowsShown = std::max(height - kBetListHeaderHeight, 0) / kListRowHeight;
    ListViewScroll s;
    s.vertical = {std::max(count - rowsShown, 0), 1, kListPage};
    s.horizontal = {std::max(totalWidth - width, 0), kListSidewaysLine, kListPage};
    return s;
}

ListViewScroll betPageScroll(int32_t width, int32_t height, int32_t pageHeight) {
    ListViewScroll s;
    s.vertical = {std::max(pageHeight - height, 0), 1, kBetPagePage};
    s.horizontal = {std::max(kBetPageExtent - width, 0), 1, kBetPagePage};
    return s;
}

ScrollAxis poreGridScroll(int32_t count, int32_t columns, int32_t rowsShown) {
    const int32_t perRow = std::max(columns, 1);
    const int32_t rows = (std::max(count, 0) + perRow - 1) / perRow;
    return {std::max(rows - 1, 0), 1, std::max(rowsShown / 2, 1)};
}

}  // namespace vespian
