#include "platform/saved_files.h"

#include <utility>

namespace vespian {

namespace {

SavedFileListener& listener() {
    static SavedFileListener theListener;
    return theListener;
}

}  // namespace

SavedFileListener setSavedFileListener(SavedFileListener next) { return std::exchange(listener(), std::move(next)); }

void fileSaved(SavedFileKind kind, const std::string& path) {
    if (listener()) listener()(kind, path);
}

}  // namespace vespian
