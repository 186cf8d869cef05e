#include "app/view_buttons.h"

namespace vespian {

namespace {

constexpr std::string_view kLabels[kViewButtonCount] = {
    "横坐标放大", "横坐标缩小", "纵坐标放大", "纵坐标缩小", "还原量程",
    {},
    "孔径记录属性", "删除该条记录", "删除所有孔径记录", "孔径报告",
    "样品详细资料", "全选", "反选", "取消选择", "删除所选数据", "删除所有数据",
    {}, {}, {}, {},
    "返回列表",
};

}  // namespace

ViewButtonRange viewButtonRange(ViewMode view, bool betDetailPage) {
    switch (view) {
    case ViewMode::Trace: return {kViewButtonXZoomIn, kViewButtonRestoreRange};
    case ViewMode::Report: return {kViewButtonPoreProperties, kViewButtonPoreReport};
    case ViewMode::BetList:
        if (betDetailPage) return {kViewButtonLeaveDetail, kViewButtonLeaveDetail};
        return {kViewButtonSampleDetails, kViewButtonDeleteAll};
    }
    return {kViewButtonXZoomIn, kViewButtonRestoreRange};
}

std::string_view viewButtonLabel(int32_t index) {
    if (index < 0 || index >= kViewButtonCount) return {};
    return kLabels[index];
}

std::optional<ButtonRect> viewButtonRect(int32_t k, int32_t stripBottom) {
    if (stripBottom < kViewButtonMinStripBottom) return std::nullopt;
    const int32_t left = kViewButtonLeft + kViewButtonPitch * k;
    return ButtonRect{left, stripBottom - kViewButtonTopAbove, left + kViewButtonWidth,
                      stripBottom - kViewButtonBottomAbove};
}

void ViewButtonStrip::layout(ViewMode view, bool betDetailPage, int32_t stripBottom) {
    const ViewButtonRange range = viewButtonRange(view, betDetailPage);
    const bool shown = stripBottom >= kViewButtonMinStripBottom;
    const bool changed = !laidOut_ || range.first != range_.first || range.last != range_.last ||
                         stripBottom != stripBottom_ || shown != shown_;
    range_ = range;
    stripBottom_ = stripBottom;
    shown_ = shown;
    laidOut_ = true;
    if (changed) resetBevels();
}

void ViewButtonStrip::resetBevels() {
    current_ = -1;
    currentBevel_ = Bevel::Flat;
}

ButtonRect ViewButtonStrip::rect(int32_t index) const {
    if (!shown_ || !range_.contains(index)) return {};
    return viewButtonRect(index - range_.first, stripBottom_).value_or(ButtonRect{});
}

std::optional<int32_t> ViewButtonStrip::hitTest(int32_t x, int32_t y) const {
    if (!shown_) return std::nullopt;
    for (int32_t i = range_.first; i <= range_.last; ++i) {
        if (rect(i).contains(x, y)) return i;
    }
    return std::nullopt;
}

std::vector<BevelChange> ViewButtonStrip::moveTo(int32_t index) {
    std::vector<BevelChange> changes;
    if (index == current_) return changes;  // still on the same button: it keeps its bevel
    if (current_ >= 0) changes.push_back({current_, Bevel::Flat});
    current_ = index;
    currentBevel_ = index >= 0 ? Bevel::Raised : Bevel::Flat;
    if (index >= 0) changes.push_back({index, Bevel::Raised});
    return changes;
}

std::vector<BevelChange> ViewButtonStrip::mouseMoved(int32_t x, int32_t y) { return moveTo(hitTest(x, y).value_or(-1)); }

std::vector<BevelChange> ViewButtonStrip::mouseLeft() { return moveTo(-1); }

std::vector<BevelChange> ViewButtonStrip::pressed(int32_t index) {
    std::vector<BevelChange> changes;
    if (!shown_ || !range_.contains(index)) return changes;
    if (current_ >= 0 && current_ != index) changes.push_back({current_, Bevel::Flat});
    current_ = index;
    currentBevel_ = Bevel::Pressed;
    changes.push_back({index, Bevel::Pressed});
    return changes;
}

Bevel ViewButtonStrip::bevel(int32_t index) const { return index == current_ ? currentBevel_ : Bevel::Flat; }

}  // namespace vespian
