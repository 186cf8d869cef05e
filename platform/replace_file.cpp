#include "platform/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace vespian {

namespace {

namespace fs = std::filesystem;

constexpr int kMostLinks = 40;  // as the kernel's own limit on a path's links

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

// Whether the operator may write the file. The administrator may write anything, so for root a
// file without any write permission counts as the read-only mark it is meant to be.
bool mayWrite(const fs::path& target, const struct stat& info) {
    if (::geteuid() == 0) return (info.st_mode & 0222) != 0;
    return ::access(target.c_str(), W_OK) == 0;
}

}  // namespace

bool writeBlock(std::FILE* file, const void* data, size_t bytes) {
    return bytes == 0 || std::fwrite(data, 1, bytes, file) == bytes;
}

std::string resolveLinks(const std::string& path) {
    fs::path current(path);
    for (int hop = 0; hop < kMostLinks; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error)) || error) return current.string();
        const fs::path next = fs::read_symlink(current, error);
        if (error) return current.string();
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return path;
}

ReplaceFileStatus replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write) {
    const fs::path target(resolveLinks(path));
    fs::path temporary = target;
    temporary += kReplaceFileSuffix;

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISREG(old.st_mode) && !mayWrite(target, old)) return ReplaceFileStatus::ReadOnly;

    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return ReplaceFileStatus::CannotCreate;
    if (exists && S_ISREG(old.st_mode)) {
        // The new file is the old one with new contents: same permissions, same owner where
        // the system lets us keep it (only the owner's group may change without privileges).
        ::fchmod(::fileno(file), old.st_mode & 07777);
        if (::fchown(::fileno(file), old.st_uid, old.st_gid) != 0) {
            (void)::fchown(::fileno(file), static_cast<uid_t>(-1), old.st_gid);
        }
    }
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
