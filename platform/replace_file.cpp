#include "platform/replace_file.h"

#include <filesystem>

namespace vespian {

namespace {

namespace fs = std::filesystem;

void discard(const fs::path& temporary) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
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
    std::error_code error;
    fs::rename(temporary, target, error);
    if (error) {
        discard(temporary);
        return ReplaceFileStatus::CannotReplace;
    }
    return ReplaceFileStatus::Ok;
}

}  // namespace vespian
