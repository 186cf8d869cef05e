#include "platform/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

namespace vespian {

namespace {

namespace fs = std::filesystem;

void discard(const fs::path& temporary) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
}

// An existing regular file is exchanged with the new one in one atomic step and the old
// contents are then removed. A plain rename over an existing file makes ext4 start writing the
// whole new file out at once (its guard for programs that never flush), which doubles the
// time of a large save; the exchange leaves that to the system's normal writeback, as for
// any other written file. False when there is nothing to exchange with, or the file system
// cannot exchange: the caller renames instead.
bool swapIntoPlace(const fs::path& temporary, const fs::path& target) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) return false;
    discard(temporary);  // now holds the old contents
    return true;
}

}  // namespace

bool writeBlock(std::FILE* file, const void* data, size_t bytes) {
    return bytes == 0 || std::fwrite(data, 1, bytes, file) == bytes;
}

ReplaceFileStatus replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write) {
    const fs::path target(path);
    fs::path temporary = target;
    temporary += kReplaceFileSuffix;

    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return ReplaceFileStatus::CannotCreate;
    const bool written = write(file);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        discard(temporary);
        return ReplaceFileStatus::WriteFailed;
    }
    if (swapIntoPlace(temporary, target)) return ReplaceFileStatus::Ok;
    std::error_code error;
    fs::rename(temporary, target, error);
    if (error) {
        discard(temporary);
        return ReplaceFileStatus::CannotReplace;
    }
    return ReplaceFileStatus::Ok;
}

}  // namespace vespian
