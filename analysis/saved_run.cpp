#include "analysis/saved_run.h"

#include <sys/types.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "analysis/run_overlay.h"
#include "files/test_report_file.h"
#include "platform/gbk_text.h"

namespace vespian {

namespace {

namespace fs = std::filesystem;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string quoted(const char* before, const std::string& name, const char* after) {
    return std::string(before) + "‘" + name + "’" + after;
}

// Reads `count` floats at `offset`; what lies beyond the file's end stays zero, as in a report
// file whose unused points are holes.
bool readFloats(std::FILE* file, uint64_t offset, uint64_t fileSize, std::vector<float>& out, size_t count) {
    out.assign(count, 0.0f);
    if (offset >= fileSize) return true;
    const uint64_t available = (fileSize - offset) / sizeof(float);
    const size_t n = static_cast<size_t>(std::min<uint64_t>(available, count));
    if (::fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
    return std::fread(out.data(), sizeof(float), n, file) == n;
}

}  // namespace

std::string SavedRun::sampleName() const { return readGbkField(header.sampleName); }

std::string SavedRun::fileName() const { return fs::path(path).filename().string(); }

double SavedRun::storedRampRate() const {
    const double rate = header.rampRateCPerMin;
    return std::isfinite(rate) && rate > 0.0 ? rate : 0.0;
}

std::string SavedRun::legend() const {
    std::string name = sampleName();
    if (name.empty()) name = fileName();
    return overlayLegend(name, header.testDate.year, header.testDate.month, header.testDate.day);
}

SavedRunResult readSavedRun(const std::string& path, SavedRun& run) {
    std::error_code error;
    if (fs::is_directory(path, error)) return {false, quoted("无法打开", path, "文件")};
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return {false, quoted("无法打开", path, "文件")};
    const uintmax_t size = fs::file_size(path, error);
    if (error) return {false, quoted("无法读取", path, "文件")};
    if (size < kTestReportHeaderBytes) return {false, quoted("", path, "不是报告文件：文件太短")};

    SavedRun fresh;
    fresh.path = path;
    if (std::fread(&fresh.header, 1, kTestReportHeaderBytes, file.get()) != kTestReportHeaderBytes) {
        return {false, quoted("无法读取", path, "文件")};
    }
    if (std::string problem = reportHeaderProblem(fresh.header, path); !problem.empty()) return {false, problem};
    const auto used = static_cast<size_t>(reportPointsInUse(fresh.header));
    if (!readFloats(file.get(), kReportSignalOffset, size, fresh.signalMv, used) ||
        !readFloats(file.get(), kReportTemperatureOffset, size, fresh.temperatureC, used)) {
        return {false, quoted("无法读取", path, "文件")};
    }
    run = std::move(fresh);
    return {true, {}};
}

}  // namespace vespian
