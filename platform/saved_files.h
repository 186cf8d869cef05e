#pragma once
// Where the program's saves complete: the functions that write a report, a record database or an
// export tell this one listener of each file they saved, so the archive hears of every save
// without each dialog calling it. Without a listener (the command-line tools) nothing happens.
// The listener runs on the saving thread, after the file is in place.

#include <functional>
#include <string>

namespace vespian {

enum class SavedFileKind { Report, Database, Export };

using SavedFileListener = std::function<void(SavedFileKind kind, const std::string& path)>;

// Replaces the listener (empty: none); the one before it, so that a test can put it back.
SavedFileListener setSavedFileListener(SavedFileListener listener);
void fileSaved(SavedFileKind kind, const std::string& path);

}  // namespace vespian
