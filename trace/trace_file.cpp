#include "trace/trace_file.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/replace_file.h"
#include "trace/chromatogram.h"

namespace vespian {

namespace {

namespace fs = std::filesystem;

static_assert(sizeof(int32_t) == 4 && sizeof(float) == 4, "the trace file stores 4-byte values");

constexpr uintmax_t kCountBytes = sizeof(int32_t);

uintmax_t expectedSize(int32_t n) { return kCountBytes + 2u * sizeof(float) * static_cast<uintmax_t>(n); }

std::string quoted(const char* before, const std::string& name, const char* after) {
    return std::string(before) + "‘" + name + "’" + after;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::string withTraceExtension(const std::string& name) {
    const size_t n = sizeof kTraceFileExtension - 1;
    if (name.size() >= n && name.compare(name.size() - n, n, kTraceFileExtension) == 0) return name;
    return name + kTraceFileExtension;
}

TraceFileResult saveTraceFile(const std::string& path, const Chromatogram& chromatogram) {
    const std::string failure = quoted("无法建立", path, "文件");
    // The count is read once: points that arrive while writing belong to the next save.
    const int32_t n = chromatogram.pointCount();
    const size_t bytes = static_cast<size_t>(n) * sizeof(float);
    const ReplaceFileStatus status = replaceFile(path, [&](std::FILE* file) {
        return writeBlock(file, &n, sizeof n) && writeBlock(file, chromatogram.signalMv(), bytes) &&
               writeBlock(file, chromatogram.temperatureC(), bytes);
    });
    if (status != ReplaceFileStatus::Ok) return {false, failure, TraceFileProblem::CannotCreate};
    return {true, {}, TraceFileProblem::None, n};
}

TraceFileResult loadTraceFile(const std::string& path, Chromatogram& chromatogram) {
    File file(std::fopen(path.c_str(), "rb"));
    std::error_code error;
    if (!file || fs::is_directory(path, error)) {
        return {false, quoted("无法打开", path, "文件"), TraceFileProblem::CannotOpen};
    }

    const uintmax_t size = fs::file_size(path, error);
    int32_t n = -1;
    if (error || size < kCountBytes || std::fread(&n, sizeof n, 1, file.get()) != 1) {
        return {false, quoted("", path, "不是谱图文件：文件太短"), TraceFileProblem::NotATraceFile};
    }
    if (n < 0 || n > kLastPointIndex) {
        return {false, quoted("", path, "不是谱图文件：点数") + std::to_string(n) + "超出范围(0-9999999)",
                TraceFileProblem::NotATraceFile};
    }
    if (size != expectedSize(n)) {
        return {false, quoted("", path, "不是谱图文件：文件长度") + std::to_string(size) + "字节与点数" +
                           std::to_string(n) + "不符(应为" + std::to_string(expectedSize(n)) + "字节)",
                TraceFileProblem::NotATraceFile};
    }

    // Read aside first: a read that fails half way must leave the trace as it was.
    std::vector<float> signal(static_cast<size_t>(n));
    std::vector<float> temperature(static_cast<size_t>(n));
    if (std::fread(signal.data(), sizeof(float), signal.size(), file.get()) != signal.size() ||
        std::fread(temperature.data(), sizeof(float), temperature.size(), file.get()) != temperature.size()) {
        return {false, quoted("无法读取", path, "文件"), TraceFileProblem::ReadFailed};
    }
    chromatogram.replace(signal.data(), temperature.data(), n);
    return {true, {}, TraceFileProblem::None, n};
}

}  // namespace vespian
