#pragma once
// What the views tell the operator about themselves: the list view's tab and the caption in its
// corner name the list it shows, and the open button's tip names what it opens in each view.

#include <string_view>

#include "app/measurement_state.h"
#include "files/record_database_layout.h"

namespace vespian {

// "标样列表", "样品列表" or "BET列表".
std::string_view listViewTabTitle(RecordList list);
// What the list view shows of the report list: its rows, or one report's page.
enum class ListPage { Rows, BetPage, PorePage };
// The corner caption: the list, or the page and how to leave it.
std::string_view listViewCaption(RecordList list, ListPage page);
// "打开" in the trace view opens a trace file, in the report view a report file, in the list
// view a record database.
std::string_view openToolTip(ViewMode view);

}  // namespace vespian
