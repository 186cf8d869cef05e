#include "app/view_titles.h"

namespace vespian {

std::string_view listViewTabTitle(RecordList list) {
    switch (list) {
    case RecordList::Standards: return "标样列表";
    case RecordList::Samples: return "样品列表";
    case RecordList::Reports: break;
    }
    return "BET列表";
}

std::string_view listViewCaption(RecordList list, ListPage page) {
    switch (list) {
    case RecordList::Standards: return "标样数据";
    case RecordList::Samples: return "对比分析法样品数据";
    case RecordList::Reports: break;
    }
    switch (page) {
    case ListPage::BetPage: return "BET报告页  (按钮或右键菜单返回列表)";
    case ListPage::PorePage: return "孔径分布报告页  (按钮或右键菜单返回列表)";
    case ListPage::Rows: break;
    }
    return "BET分析法样品数据";
}

std::string_view openToolTip(ViewMode view) {
    switch (view) {
    case ViewMode::Trace: return "打开一个谱图文件";
    case ViewMode::Report: return "打开一个报告文件";
    case ViewMode::BetList: break;
    }
    return "打开一个数据库";
}

}  // namespace vespian
