#pragma once
// The main window's title: the program's name, then the record database it works on (its file
// name), marked with "*" while the records hold changes not yet saved to it. Records that have
// no database yet are named as such; with neither, the title is the program's name alone.

#include <string>
#include <string_view>

namespace vespian {

inline constexpr char kUnnamedDatabaseTitle[] = "未命名数据库";

std::string mainWindowTitle(std::string_view databaseTitle, bool unsavedChanges);

}  // namespace vespian
