#include "files/test_report_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "files/test_report.h"
#include "platform/replace_file.h"
#include "platform/saved_files.h"

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

int32_t reportTracePoints(const TestReportHeader& header) {
    if (header.reportPointCount <= 0) return 0;
    return static_cast<int32_t>(reportPointsInUse(header));
}

uint64_t reportBytesClaimed(const TestReportHeader& header) {
    const int32_t points = reportTracePoints(header);
    if (points == 0) return kTestReportHeaderBytes;
    return kReportTemperatureOffset + static_cast<uint64_t>(points) * sizeof(float);
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

std::string reportValueProblem(const TestReport& report, const std::string& path) {
    const TestReportHeader& h = report.header();
    const std::pair<const char*, float> typed[] = {
        {"样品重量", h.sampleWeightG},   {"上限温度", h.upperTempC},    {"升温速率", h.rampRateCPerMin},
        {"滴定温度", h.titrationTempC},  {"脉冲峰面积", h.pulseArea},   {"脉冲峰体积", h.pulseVolumeMl},
        {"剩余峰面积", h.residualArea},  {"化学计量系数", h.stoichiometry}, {"原子质量", h.atomicMass},
        {"质量分数", h.massFraction},    {"原子截面积", h.crossSectionNm2}};
    for (const auto& [name, value] : typed) {
        if (!std::isfinite(value)) return quoted("", path, "的") + name + "不是有限数值";
    }
    for (int32_t k = 0; k < std::clamp(h.tmCount, 0, kMaxTmValues - 1); ++k) {
        if (!std::isfinite(h.tmValues[k])) return quoted("", path, "的第") + std::to_string(k + 1) + "个Tm值不是有限数值";
    }
    const int32_t points = reportTracePoints(h);
    for (int32_t i = 0; i < points; ++i) {
        if (!std::isfinite(report.signalMv()[i]) || !std::isfinite(report.temperatureC()[i])) {
            return quoted("", path, "的谱图第") + std::to_string(i) + "点不是有限数值";
        }
    }
    return {};
}

ReportFileResult writeReportFile(const std::string& path, const TestReport& report) {
    const ReplaceFileStatus status = replaceFile(path, [&](std::FILE* file) { return writeImage(file, report); });
    if (status == ReplaceFileStatus::Ok) {
        fileSaved(SavedFileKind::Report, path);
        return {true, {}};
    }
    return {false, quoted("无法建立", path, "文件")};
}

ReportFileResult readReportFile(const std::string& path, TestReport& report) {
    // Opened without waiting: a pipe without a writer or a device answers at once and is then
    // turned away as not a file.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return {false, quoted("无法打开", path, "文件")};
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return {false, quoted("无法打开", path, "文件：不是普通文件")};
    }
    File file(::fdopen(descriptor, "rb"));
    if (!file) {
        ::close(descriptor);
        return {false, quoted("无法打开", path, "文件")};
    }
    const auto size = static_cast<uint64_t>(status.st_size);

    TestReportHeader header;
    if (size < kTestReportHeaderBytes) {
        return {false, quoted("", path, "不是报告文件：文件太短(") + std::to_string(size) + "字节)"};
    }
    if (std::fread(&header, 1, kTestReportHeaderBytes, file.get()) != kTestReportHeaderBytes) {
        return {false, quoted("无法读取", path, "文件")};
    }
    if (std::string problem = reportHeaderProblem(header, path); !problem.empty()) return {false, problem};
    if (size < reportBytesClaimed(header)) {
        return {false, quoted("", path, "不是完整的报告文件：") + std::to_string(reportTracePoints(header)) +
                           "个点需要" + std::to_string(reportBytesClaimed(header)) + "字节，文件只有" +
                           std::to_string(size) + "字节"};
    }

    // The arrays are read aside first, so a read that fails half way leaves the record whole.
    const uint64_t arrayBytes = std::min<uint64_t>(size, kTestReportBytes) - kTestReportHeaderBytes;
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
