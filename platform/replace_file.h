#pragma once
// Saving a file the safe way: the contents go into a temporary file beside the target (same
// folder, so the rename cannot cross file systems), which is then renamed over the target. A
// save that fails at any point removes the temporary file and leaves the old file as it was.
//
// What the operator's file is stays what it was: a symbolic link is written through to the
// file it names (the link stays a link), the new file keeps the old one's permissions (and,
// where allowed, its owner), and a file the operator may not write is refused, not replaced.

#include <cstdio>
#include <functional>
#include <string>

namespace vespian {

enum class ReplaceFileStatus {
    Ok,
    CannotCreate,   // the temporary file could not be created (folder missing, no permission)
    WriteFailed,    // writing or closing failed (disk full, I/O error)
    CannotReplace,  // the rename over the target failed (the target is a folder, say)
    ReadOnly,       // the target exists and may not be written
};

// The temporary file's name: the target's name with this suffix.
inline constexpr char kReplaceFileSuffix[] = ".part";

// Calls `write` with the open temporary file; `write` returns false when it could not write
// everything. Only a complete, closed file replaces the target.
ReplaceFileStatus replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write);

// fwrite of `bytes` bytes; true when all were written (also for 0 bytes).
bool writeBlock(std::FILE* file, const void* data, size_t bytes);

// The file a path finally names: symbolic links followed (relative links from their own
// folder), also when the last one points to a file that does not exist yet. A loop of links
// gives the path itself.
std::string resolveLinks(const std::string& path);

}  // namespace vespian
