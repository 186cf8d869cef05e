#include "files/test_report_file.h"

#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "files/test_report.h"
#include "platform/replace_file.h"

namespace vespian {

namespace {

namespace fs = std::filesystem;

std::string quoted(const char* before, const std::string& name, const char* after) {
    return std::string(before) + "‘" + name + "’" + after;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool writeImage(std::FILE* file, const TestReport& report) {
    const auto used = static_cast<size_t>(reportPointsInUse(report.header()));
    if (!writeBlock(file, &report.header(), kTestReportHeaderBytes)) return false;
    if (!writeBlock(file, report.signalMv(), used * sizeof(float))) return false;
    if (::fseeko(file, static_cast<off_t>(kReportTemperatureOffset), SEEK_SET) != 0) return false;
    if (!writeBlock(file, report.temperatureC(), used * sizeof(float))) return false;
    // The unused ends of both arrays stay holes; the file still has its full length.
    if (std::fflush(file) != 0) return false;
    return ::ftruncate(::fileno(file), static_cast<off_t>(kTestReportBytes)) == 0;
}

}  // namespace

std::string withReportExtension(const std::string& name) {
    const size_t n = sizeof kReportFileExtension - 1;
    if (name.size() >= n && name.compare(name.size() - n, n, kReportFileExtension) == 0) return name;
    return name + kReportFileExtension;
}

std::string defaultReportPath(const std::string& dataFolder) {
    return (fs::path(dataFolder) / kDefaultReportName).string();
}

int64_t reportPointsInUse(const TestReportHeader& header) {
    const int64_t used = static_cast<int64_t>(header.reportPointCount) + 1;
    if (used < 0) return 0;
    return used > kMaxPoints ? kMaxPoints : used;
}

std::string reportHeaderProblem(const TestReportHeader& h, const std::string& path) {
    if (h.reportPointCount < 0 || h.reportPointCount > kLastPointIndex) {
        return quoted("", path, "不是报告文件：点数") + std::to_string(h.reportPointCount) + "超出范围(0-9999999)";
    }
    if (h.tmCount < 0 || h.tmCount >= kMaxTmValues) {
        return quoted("", path, "不是报告文件：Tm值个数") + std::to_string(h.tmCount) + "超出范围(0-99)";
    }
    for (int32_t k = 0; k < h.tmCount; ++k) {
        if (h.tmIndices[k] < 0 || h.tmIndices[k] > kLastPointIndex) {
            return quoted("", path, "不是报告文件：第") + std::to_string(k + 1) + "个Tm值的位置" +
                   std::to_string(h.tmIndices[k]) + "超出谱图范围";
        }
    }
    return {};
}

ReportFileResult writeReportFile(const std::string& path, const TestReport& report) {
    const ReplaceFileStatus status = replaceFile(path, [&](std::FILE* file) { return writeImage(file, report); });
    if (status == ReplaceFileStatus::Ok) return {true, {}};
    return {false, quoted("无法建立", path, "文件")};
}

ReportFileResult readReportFile(const std::string& path, TestReport& report) {
    std::error_code error;
    if (fs::is_directory(path, error)) return {false, quoted("无法打开", path, "文件")};
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return {false, quoted("无法打开", path, "文件")};
    const uintmax_t size = fs::file_size(path, error);
    if (error) return {false, quoted("无法读取", path, "文件")};

    // The header as the file leaves it: a short file replaces only its start.
    TestReportHeader header = report.header();
    const size_t headerBytes = static_cast<size_t>(std::min<uintmax_t>(size, kTestReportHeaderBytes));
    if (std::fread(&header, 1, headerBytes, file.get()) != headerBytes) {
        return {false, quoted("无法读取", path, "文件")};
    }
    if (std::string problem = reportHeaderProblem(header, path); !problem.empty()) return {false, problem};

    // The arrays are read aside first, so a read that fails half way leaves the record whole.
    const uint64_t arrayBytes = std::min<uint64_t>(size, kTestReportBytes) - headerBytes;
    std::unique_ptr<unsigned char[]> arrays;
    if (arrayBytes > 0) {
        arrays.reset(new (std::nothrow) unsigned char[arrayBytes]);
        if (!arrays) return {false, quoted("内存不足，无法读取", path, "文件")};
        if (std::fread(arrays.get(), 1, arrayBytes, file.get()) != arrayBytes) {
            return {false, quoted("无法读取", path, "文件")};
        }
    }
    report.header() = header;
    if (arrayBytes > 0) report.readImage(kTestReportHeaderBytes, arrays.get(), arrayBytes);
    return {true, {}};
}

}  // namespace vespian
