#include "files/test_report_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "files/test_report.h"
#include "platform/gbk_text.h"
#include "support/test_files.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::TestFolder;
using testing::writeBytes;

// A report of `count` + 1 points: signal i = i / 4, temperature 100 + i, two Tm values.
std::unique_ptr<TestReport> sampleReport(int32_t count) {
    auto report = std::make_unique<TestReport>();
    TestReportHeader& h = report->header();
    writeGbkField(h.sampleName, "铂/氧化铝");
    writeGbkField(h.heading, "程序升温脱附");
    h.sampleWeightG = 0.25f;
    h.testDate = {2024, 5, 17};
    h.upperTempC = 800.0f;
    h.tmCount = 2;
    h.tmValues[0] = 412.0f;
    h.tmIndices[0] = count / 2;
    h.tmValues[1] = 530.0f;
    h.tmIndices[1] = count;
    h.reportPointCount = count;
    for (int32_t i = 0; i <= count; ++i) {
        report->signalMv()[i] = static_cast<float>(i) / 4.0f;
        report->temperatureC()[i] = 100.0f + static_cast<float>(i);
    }
    return report;
}

std::string headerBytes(const TestReport& report) {
    std::string bytes(kTestReportHeaderBytes, '\0');
    report.imagePrefix(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
    return bytes;
}

template <typename T>
T valueAt(const std::string& path, uint64_t offset) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    T value{};
    in.read(reinterpret_cast<char*>(&value), sizeof value);
    return value;
}

std::string prefixOf(const std::string& path, size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(n, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(n));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

bool sameFiles(const std::string& a, const std::string& b) {
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    std::vector<char> ba(1 << 20), bb(1 << 20);
    while (fa && fb) {
        fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
        fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
        if (fa.gcount() != fb.gcount() || std::memcmp(ba.data(), bb.data(), static_cast<size_t>(fa.gcount())) != 0) {
            return false;
        }
    }
    return !fa && !fb;
}

TEST(ReportFileName, TheExtensionIsAppendedUnlessItIsExactlyCare) {
    EXPECT_EQ(withReportExtension("abc"), "abc.care");
    EXPECT_EQ(withReportExtension("abc.CARE"), "abc.CARE.care");
    EXPECT_EQ(withReportExtension("SAVE/tpd.care"), "SAVE/tpd.care");
    EXPECT_EQ(withReportExtension("care"), "care.care");
    EXPECT_EQ(defaultReportPath("SAVE"), "SAVE/新文件.care");
    EXPECT_EQ(defaultReportPath("run/SAVE/"), "run/SAVE/新文件.care");
}

TEST(ReportFileWrite, FullSizeWithTheHeaderAndTheUsedPointsAndHolesForTheRest) {
    TestFolder folder("report_file");
    auto report = sampleReport(999);
    report->signalMv()[5000] = 7.0f;  // left over from a longer trace: beyond the count
    const std::string path = folder.file("r.care");
    ASSERT_TRUE(writeReportFile(path, *report).ok);

    EXPECT_EQ(fs::file_size(path), 80'001'156u);
    EXPECT_EQ(prefixOf(path, kTestReportHeaderBytes), headerBytes(*report));
    EXPECT_EQ(valueAt<float>(path, kReportSignalOffset + 4 * 999), 999.0f / 4.0f);
    EXPECT_EQ(valueAt<float>(path, kReportSignalOffset + 4 * 1000), 0.0f);
    EXPECT_EQ(valueAt<float>(path, kReportSignalOffset + 4 * 5000), 0.0f);
    EXPECT_EQ(valueAt<float>(path, kReportTemperatureOffset), 100.0f);
    EXPECT_EQ(valueAt<float>(path, kReportTemperatureOffset + 4 * 999), 1099.0f);
    EXPECT_EQ(valueAt<float>(path, kTestReportBytes - 4), 0.0f);
    // The unused 79.99 MB take no disk space.
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_LT(static_cast<uint64_t>(info.st_blocks) * 512u, 1u << 20);
    EXPECT_FALSE(fs::exists(path + ".part"));
}

TEST(ReportFileWrite, SavedReopenedAndSavedAgainGivesTheSameBytes) {
    TestFolder folder("report_file");
    auto report = sampleReport(2500);
    const std::string first = folder.file("first.care");
    ASSERT_TRUE(writeReportFile(first, *report).ok);

    auto reopened = std::make_unique<TestReport>();
    reopened->signalMv()[9'000'000] = 3.0f;  // whatever it held is replaced by the file's zeros
    ASSERT_TRUE(readReportFile(first, *reopened).ok);
    EXPECT_EQ(headerBytes(*reopened), headerBytes(*report));
    EXPECT_EQ(reopened->signalMv()[2500], 625.0f);
    EXPECT_EQ(reopened->temperatureC()[2500], 2600.0f);
    EXPECT_EQ(reopened->signalMv()[9'000'000], 0.0f);
    EXPECT_EQ(readGbkField(reopened->header().sampleName), "铂/氧化铝");

    const std::string second = folder.file("second.care");
    ASSERT_TRUE(writeReportFile(second, *reopened).ok);
    EXPECT_TRUE(sameFiles(first, second));
}

TEST(ReportFileWrite, AnEmptyTraceStillGivesTheWholeLayout) {
    TestFolder folder("report_file");
    auto report = std::make_unique<TestReport>();
    report->header().reportPointCount = 0;
    report->signalMv()[0] = 1.5f;
    const std::string path = folder.file("empty.care");
    ASSERT_TRUE(writeReportFile(path, *report).ok);
    EXPECT_EQ(fs::file_size(path), 80'001'156u);
    EXPECT_EQ(valueAt<float>(path, kReportSignalOffset), 1.5f);  // point 0 belongs to the trace
}

TEST(ReportFileWrite, AFailedWriteSaysSoAndLeavesTheOldFile) {
    TestFolder folder("report_file");
    auto report = sampleReport(10);
    // No such folder.
    const std::string missing = folder.file("gone/r.care");
    ReportFileResult r = writeReportFile(missing, *report);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "无法建立‘" + missing + "’文件");
    // A folder of that name.
    fs::create_directory(folder / "dir.care");
    EXPECT_FALSE(writeReportFile(folder.file("dir.care"), *report).ok);
    EXPECT_TRUE(fs::is_directory(folder / "dir.care"));

    // The disk fills up half way: the limit on file size stands in for a full disk.
    const std::string kept = folder.file("kept.care");
    writeBytes(kept, "old report");
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    r = writeReportFile(kept, *report);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(readBytes(kept), "old report");
    EXPECT_FALSE(fs::exists(kept + ".part"));
}

class ReportFileReadTest : public ::testing::Test {
protected:
    void SetUp() override {
        report = sampleReport(300);
        source = sampleReport(600);
        writeReportFile(full(), *source);
        original = headerBytes(*report);
    }

    std::string full() const { return folder.file("full.care"); }

    // The record must be exactly as before: header and a few points of both arrays.
    void expectUnchanged() const {
        EXPECT_EQ(headerBytes(*report), original);
        EXPECT_EQ(report->signalMv()[300], 75.0f);
        EXPECT_EQ(report->signalMv()[301], 0.0f);
        EXPECT_EQ(report->temperatureC()[0], 100.0f);
    }

    std::string withHeaderValue(size_t offset, int32_t value, const std::string& name) const {
        std::string bytes = prefixOf(full(), 5000);
        std::memcpy(bytes.data() + offset, &value, sizeof value);
        writeBytes(folder.path() / name, bytes);
        return folder.file(name);
    }

    TestFolder folder{"report_read"};
    std::unique_ptr<TestReport> report;
    std::unique_ptr<TestReport> source;
    std::string original;
};

TEST_F(ReportFileReadTest, CountsThatCannotBeHeldAreRefusedAndChangeNothing) {
    struct Case {
        size_t offset;
        int32_t value;
        const char* message;
    };
    for (const Case c : {Case{1152, -1, "不是报告文件：点数-1超出范围(0-9999999)"},
                         Case{1152, 10'000'000, "不是报告文件：点数10000000超出范围(0-9999999)"},
                         Case{348, 100, "不是报告文件：Tm值个数100超出范围(0-99)"},
                         Case{348, -3, "不是报告文件：Tm值个数-3超出范围(0-99)"},
                         Case{752 + 4, 10'000'000, "不是报告文件：第2个Tm值的位置10000000超出谱图范围"},
                         Case{752, -1, "不是报告文件：第1个Tm值的位置-1超出谱图范围"}}) {
        const std::string path = withHeaderValue(c.offset, c.value, "bad.care");
        const ReportFileResult r = readReportFile(path, *report);
        EXPECT_FALSE(r.ok) << c.message;
        EXPECT_EQ(r.message, "‘" + path + "’" + c.message);
        expectUnchanged();
    }
    // A Tm index beyond the list's count is not looked at (the header alone, without a trace).
    std::string bytes = prefixOf(full(), kTestReportHeaderBytes);
    const int32_t none = 0, beyond = -1;
    std::memcpy(bytes.data() + 1152, &none, 4);
    std::memcpy(bytes.data() + 752 + 8, &beyond, 4);
    writeBytes(folder.path() / "unused.care", bytes);
    EXPECT_TRUE(readReportFile(folder.file("unused.care"), *report).ok);
}

TEST_F(ReportFileReadTest, AFileShorterThanItsPointsIsRefusedAndChangesNothing) {
    // 600 points claimed: the file must reach the temperature of point 600.
    const uint64_t needed = kReportTemperatureOffset + 601 * 4;
    const std::string start = prefixOf(full(), kReportSignalOffset + 601 * 4);
    const auto cut = [&](uint64_t size) {
        writeBytes(folder / "cut.care", start);
        fs::resize_file(folder / "cut.care", size);  // longer: a hole that reads as zeros
    };
    for (const uint64_t size : {uint64_t{0}, uint64_t{100}, uint64_t{kTestReportHeaderBytes},
                                kReportSignalOffset + 4 * 400, needed - 1}) {
        cut(size);
        const ReportFileResult r = readReportFile(folder.file("cut.care"), *report);
        EXPECT_FALSE(r.ok) << size;
        EXPECT_NE(r.message.find(size < kTestReportHeaderBytes ? "文件太短" : "不是完整的报告文件"), std::string::npos)
            << r.message;
        expectUnchanged();
    }
    cut(needed);
    ASSERT_TRUE(readReportFile(folder.file("cut.care"), *report).ok);
    EXPECT_EQ(report->header().reportPointCount, 600);
    EXPECT_EQ(report->signalMv()[600], 150.0f);

    // Without a trace the header alone is a whole report.
    std::string head = prefixOf(full(), kTestReportHeaderBytes);
    const int32_t none = 0;
    std::memcpy(head.data() + 1152, &none, 4);
    writeBytes(folder.path() / "head.care", head);
    report = sampleReport(300);
    ASSERT_TRUE(readReportFile(folder.file("head.care"), *report).ok);
    EXPECT_EQ(report->header().reportPointCount, 0);
}

TEST_F(ReportFileReadTest, APipeOrADeviceIsRefusedWithoutWaiting) {
    // Nobody writes into the pipe: a blocking open would wait for ever.
    const std::string pipe = folder.file("pipe.care");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {pipe, std::string("/dev/zero")}) {
        const ReportFileResult r = readReportFile(path, *report);
        EXPECT_FALSE(r.ok) << path;
        EXPECT_NE(r.message.find("不是普通文件"), std::string::npos) << r.message;
        expectUnchanged();
    }
}

TEST_F(ReportFileReadTest, AnOversizedFileIsReadUpToTheRecordsSize) {
    {
        std::ofstream out(full(), std::ios::binary | std::ios::app);
        out << std::string(1000, '\x7f');
    }
    ASSERT_TRUE(readReportFile(full(), *report).ok);
    EXPECT_EQ(headerBytes(*report), headerBytes(*source));
    EXPECT_EQ(report->temperatureC()[kMaxPoints - 1], 0.0f);
}

TEST_F(ReportFileReadTest, RandomFilesNeverCrashAndRefusedOnesChangeNothing) {
    std::mt19937 random(20240517);
    int refused = 0;
    for (int i = 0; i < 60; ++i) {
        report = sampleReport(300);
        std::string bytes(random() % 3000, '\0');
        for (char& b : bytes) b = static_cast<char>(random());
        if (i % 3 == 0 && bytes.size() >= kTestReportHeaderBytes) {
            // Plausible counts, random everything else: accepted.
            const int32_t count = static_cast<int32_t>(random() % 1000);
            const int32_t tm = 0;
            std::memcpy(bytes.data() + 1152, &count, 4);
            std::memcpy(bytes.data() + 348, &tm, 4);
        }
        writeBytes(folder.path() / "random.care", bytes);
        const ReportFileResult r = readReportFile(folder.file("random.care"), *report);
        if (!r.ok) {
            ++refused;
            EXPECT_FALSE(r.message.empty());
            expectUnchanged();
        } else {
            EXPECT_GE(report->header().reportPointCount, 0);
            EXPECT_LT(report->header().tmCount, 100);
        }
    }
    EXPECT_GT(refused, 20);
}

TEST_F(ReportFileReadTest, FilesThatCannotBeOpenedAreNamed) {
    ReportFileResult r = readReportFile(folder.file("none.care"), *report);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "无法打开‘" + folder.file("none.care") + "’文件");
    fs::create_directory(folder / "d.care");
    EXPECT_FALSE(readReportFile(folder.file("d.care"), *report).ok);
    expectUnchanged();
}

}  // namespace
}  // namespace vespian
