#include "files/test_report.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/gbk_text.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;

void writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

template <typename T>
void put(std::vector<uint8_t>& bytes, size_t offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

template <typename T>
T at(const TestReport& report, uint64_t offset) {
    T value;
    EXPECT_EQ(report.copyImage(offset, &value, sizeof value), sizeof value);
    return value;
}

class TestReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("test_report_test_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                  std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // A NewData.ini image of `size` bytes: header fields at their offsets, then signal point
    // i = i + 0.5.
    static std::vector<uint8_t> newDataImage(size_t size) {
        std::vector<uint8_t> bytes(std::max(size, kNewDataSeedBytes), 0);
        const std::string name = gbkFromUtf8("铂催化剂");
        std::memcpy(bytes.data(), name.data(), name.size());
        put(bytes, 52, 0.5f);        // sampleWeightG
        put(bytes, 304, 0.25f);      // pulseVolumeMl
        put(bytes, 348, int32_t{3});  // tmCount
        put(bytes, 352, 350.0f);     // tmValues[0]
        put(bytes, 1152, int32_t{1234});  // reportPointCount
        for (size_t i = 0; kTestReportHeaderBytes + 4 * i + 4 <= bytes.size(); ++i) {
            put(bytes, kTestReportHeaderBytes + 4 * i, static_cast<float>(i) + 0.5f);
        }
        bytes.resize(size);
        return bytes;
    }

    fs::path folder;
};

TEST_F(TestReportTest, HeaderFieldsSitAtTheirImageOffsets) {
    TestReport report;
    TestReportHeader& h = report.header();
    writeGbkField(h.sampleName, "样品");
    h.sampleWeightG = 0.125f;
    writeGbkField(h.tester, "张三");
    h.testDate = {2024, 5, 17};
    writeGbkField(h.heading, "TPD");
    h.upperTempC = 800.0f;
    h.pulseVolumeMl = 0.5f;
    h.pulseCount = 12;
    h.crossSectionNm2 = 0.089f;
    h.activeAreaM2g = 3.5f;
    h.tmCount = 2;
    h.tmValues[0] = 412.5f;
    h.tmIndices[99] = 777;
    h.reportPointCount = 24711;
    report.signalMv()[0] = -1.5f;
    report.temperatureC()[0] = 25.0f;

    std::vector<uint8_t> image(kTestReportHeaderBytes + 4);
    report.imagePrefix(image.data(), image.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data()), 5), "\xD1\xF9\xC6\xB7" + std::string(1, '\0'));
    EXPECT_EQ(at<float>(report, 52), 0.125f);
    EXPECT_EQ(image[56], 0xD5);  // 张 = D5C5
    EXPECT_EQ(at<int32_t>(report, 76), 2024);
    EXPECT_EQ(at<int32_t>(report, 80), 5);
    EXPECT_EQ(at<int32_t>(report, 84), 17);
    EXPECT_EQ(image[88], 'T');
    EXPECT_EQ(at<float>(report, 288), 800.0f);
    EXPECT_EQ(at<float>(report, 304), 0.5f);
    EXPECT_EQ(at<int32_t>(report, 308), 12);
    EXPECT_EQ(at<float>(report, 336), 0.089f);
    EXPECT_EQ(at<float>(report, 344), 3.5f);
    EXPECT_EQ(at<int32_t>(report, 348), 2);
    EXPECT_EQ(at<float>(report, 352), 412.5f);
    EXPECT_EQ(at<int32_t>(report, 1148), 777);
    EXPECT_EQ(at<int32_t>(report, 1152), 24711);
    EXPECT_EQ(at<float>(report, 1156), -1.5f);
    EXPECT_EQ(at<float>(report, 40'001'156), 25.0f);
}

TEST_F(TestReportTest, ImageRangesCrossingPartBoundariesMapOntoBothParts) {
    TestReport report;
    // Header end and first signal point: count 7, signal[0] = 2.0.
    uint8_t headerToSignal[8];
    const int32_t count = 7;
    const float two = 2.0f;
    std::memcpy(headerToSignal, &count, 4);
    std::memcpy(headerToSignal + 4, &two, 4);
    EXPECT_EQ(report.readImage(1152, headerToSignal, 8), 8u);
    EXPECT_EQ(report.header().reportPointCount, 7);
    EXPECT_EQ(report.signalMv()[0], 2.0f);

    // Last signal point and first temperature point.
    uint8_t signalToTemperature[8];
    const float last = 9.25f, first = 300.0f;
    std::memcpy(signalToTemperature, &last, 4);
    std::memcpy(signalToTemperature + 4, &first, 4);
    EXPECT_EQ(report.readImage(40'001'152, signalToTemperature, 8), 8u);
    EXPECT_EQ(report.signalMv()[kMaxPoints - 1], 9.25f);
    EXPECT_EQ(report.temperatureC()[0], 300.0f);
    EXPECT_EQ(report.temperatureC()[1], 0.0f);

    // The image ends at 80,001,156: bytes beyond it are ignored.
    uint8_t tail[10];
    const float hot = 1100.0f;
    std::memcpy(tail, &hot, 4);
    std::memset(tail + 4, 0xEE, 6);
    EXPECT_EQ(report.readImage(80'001'152, tail, sizeof tail), 4u);
    EXPECT_EQ(report.temperatureC()[kMaxPoints - 1], 1100.0f);
    EXPECT_EQ(report.readImage(80'001'156, tail, sizeof tail), 0u);

    // And out again across the same boundaries.
    uint8_t out[16];
    std::memset(out, 0x55, sizeof out);
    EXPECT_EQ(report.copyImage(40'001'152, out, 8), 8u);
    EXPECT_EQ(std::memcmp(out, signalToTemperature, 8), 0);
    std::memset(out, 0x55, sizeof out);
    EXPECT_EQ(report.copyImage(80'001'150, out, sizeof out), 6u);
    EXPECT_EQ(out[6], 0x55);  // the rest of the caller's buffer is untouched
    float outHot;
    std::memcpy(&outHot, out + 2, 4);
    EXPECT_EQ(outHot, 1100.0f);
}

TEST_F(TestReportTest, NewDataSeedsAtMost100000Bytes) {
    struct Case {
        size_t fileSize;
        bool lastSeedPointWhole;  // signal[24710], the point that ends at byte 100,000
    };
    for (const Case c : {Case{99'999, false}, Case{100'000, true}, Case{150'000, true}}) {
        SCOPED_TRACE(c.fileSize);
        const fs::path path = folder / "NewData.ini";
        writeBytes(path, newDataImage(c.fileSize));
        TestReport report;
        report.signalMv()[24710] = -1.0f;  // BF800000
        report.signalMv()[24711] = -2.0f;
        float quantVolume = -1.0f;
        ASSERT_TRUE(report.seedFromNewData(path.string(), &quantVolume));

        EXPECT_EQ(readGbkField(report.header().sampleName), "铂催化剂");
        EXPECT_EQ(report.header().sampleWeightG, 0.5f);
        EXPECT_EQ(report.header().tmCount, 3);
        EXPECT_EQ(report.header().tmValues[0], 350.0f);
        EXPECT_EQ(report.header().reportPointCount, 0);  // 1234 in the file
        EXPECT_EQ(quantVolume, 0.25f);
        EXPECT_EQ(report.signalMv()[0], 0.5f);
        EXPECT_EQ(report.signalMv()[24709], 24709.5f);
        if (c.lastSeedPointWhole) {
            EXPECT_EQ(report.signalMv()[24710], 24710.5f);
        } else {
            // Three bytes from the file, the top byte of −1.0 kept.
            const float fromFile = 24710.5f;
            uint32_t expected;
            std::memcpy(&expected, &fromFile, 4);
            expected = (expected & 0x00FFFFFFu) | 0xBF000000u;
            EXPECT_EQ(at<uint32_t>(report, kReportSignalOffset + 4 * 24710), expected);
        }
        EXPECT_EQ(report.signalMv()[24711], -2.0f);  // beyond 100,000 bytes
        EXPECT_EQ(report.header().stoichiometry, 0.0f);  // no defaults over a file
    }
}

TEST_F(TestReportTest, ShortNewDataReplacesOnlyTheStartOfTheHeader) {
    const fs::path path = folder / "NewData.ini";
    writeBytes(path, newDataImage(56));  // name and weight
    TestReport report;
    report.header().pulseVolumeMl = 0.75f;
    report.header().reportPointCount = 99;
    float quantVolume = -1.0f;
    ASSERT_TRUE(report.seedFromNewData(path.string(), &quantVolume));
    EXPECT_EQ(report.header().sampleWeightG, 0.5f);
    EXPECT_EQ(quantVolume, 0.75f);
    EXPECT_EQ(report.header().reportPointCount, 0);
    EXPECT_EQ(report.seedFromNewData(path.string(), nullptr), true);
}

TEST_F(TestReportTest, MissingNewDataGivesTheStartDefaults) {
    for (const fs::path& path : {folder / "NewData.ini", folder / "folder.ini"}) {
        SCOPED_TRACE(path.string());
        if (path.filename() == "folder.ini") fs::create_directory(path);
        TestReport report;
        float quantVolume = -1.0f;
        EXPECT_FALSE(report.seedFromNewData(path.string(), &quantVolume));
        EXPECT_EQ(quantVolume, -1.0f);
        EXPECT_EQ(at<float>(report, 336), 0.089f);
        EXPECT_EQ(at<float>(report, 332), 2.0f);
        EXPECT_EQ(at<float>(report, 52), 1.0f);
        EXPECT_EQ(at<float>(report, 328), 195.08f);
        EXPECT_EQ(at<float>(report, 324), 2.0f);
        EXPECT_EQ(at<int32_t>(report, 1152), 0);
        // Everything else stays zero.
        std::vector<uint8_t> header(kTestReportHeaderBytes);
        report.imagePrefix(header.data(), header.size());
        for (size_t offset : {size_t{52}, size_t{324}, size_t{328}, size_t{332}, size_t{336}}) {
            std::memset(header.data() + offset, 0, 4);
        }
        EXPECT_EQ(std::count(header.begin(), header.end(), 0), static_cast<ptrdiff_t>(header.size()));
    }
}

TEST_F(TestReportTest, TmCountOutsideTheListIsDropped) {
    for (int32_t count : {100, -1, 1 << 30}) {
        std::vector<uint8_t> bytes = newDataImage(2000);
        put(bytes, 348, count);
        const fs::path path = folder / "NewData.ini";
        writeBytes(path, bytes);
        TestReport report;
        ASSERT_TRUE(report.seedFromNewData(path.string(), nullptr));
        EXPECT_EQ(report.header().tmCount, 0) << count;
    }
    std::vector<uint8_t> bytes = newDataImage(2000);
    put(bytes, 348, int32_t{99});
    writeBytes(folder / "NewData.ini", bytes);
    TestReport report;
    ASSERT_TRUE(report.seedFromNewData((folder / "NewData.ini").string(), nullptr));
    EXPECT_EQ(report.header().tmCount, 99);
}

}  // namespace
}  // namespace vespian
