#include "app/window_title.h"

#include "app/program_state.h"

namespace vespian {

std::string mainWindowTitle(std::string_view databaseTitle, bool unsavedChanges) {
    std::string title = kProgramTitle;
    if (databaseTitle.empty() && !unsavedChanges) return title;
    title += " - ";
    title += databaseTitle.empty() ? std::string_view(kUnnamedDatabaseTitle) : databaseTitle;
    if (unsavedChanges) title += "*";
    return title;
}

}  // namespace vespian
