#include "trace/init_data.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/gbk_text.h"
#include "support/test_files.h"

namespace vespian {
namespace {

using testing::readBytes;
using testing::writeBytes;

namespace fs = std::filesystem;

template <typename T>
T valueAt(const std::string& bytes, size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

const fs::path kGolden = fs::path(VESPIAN_TEST_DATA) / "init_data_sample.set";

class InitDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("init_data_test_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                  std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(folder);
    }

    fs::path folder;
};

// The sample file was built field by field at the offsets of the layout.
TEST_F(InitDataTest, GoldenFileReadsIntoEveryField) {
    Settings s;
    ASSERT_TRUE(readInitData(kGolden.string(), s));
    EXPECT_EQ(s.analysisMethod, 1);
    EXPECT_EQ(s.measureMode, 2);  // as stored; the start-up sets it back to 0
    EXPECT_EQ(s.menuOption, 1);
    EXPECT_EQ(s.reserved6, 0x1234);
    EXPECT_EQ(s.peak.adsorptionMinutes, 18);
    EXPECT_EQ(s.peak.desorbIntervalMinutes, 5);
    EXPECT_EQ(s.peak.autoDesorb, 1);
    EXPECT_EQ(s.peak.autoZero, 0);
    EXPECT_EQ(s.peak.desorbAfterPeak, 1);
    const int32_t carrier[7] = {101, 102, 103, 104, 105, -7, 0xBEEF};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(s.carrierGas[i], carrier[i]) << i;
    const int32_t sample[5] = {70000, 11, 12, 13, -3};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(s.sampleValue[i], sample[i]) << i;
    EXPECT_EQ(readGbkField(s.sampleText), "氦气");
    EXPECT_EQ(s.sample.number, 42);
    EXPECT_EQ(readGbkField(s.sample.name), "氧化铝");
    EXPECT_EQ(s.sample.weightMg, 123.5f);
    EXPECT_EQ(readGbkField(s.sample.sendingCompany), "北京大学化学系");
    EXPECT_EQ(readGbkField(s.sample.sender), "张三");
    EXPECT_EQ(readGbkField(s.sample.measuringCompany), "测试中心");
    EXPECT_EQ(readGbkField(s.sample.measurer), "李四");
    EXPECT_EQ(readGbkField(s.sample.reviewer), "王五");
    EXPECT_EQ(s.sample.sampleDate[0], 2023);
    EXPECT_EQ(s.sample.sampleDate[1], 9);
    EXPECT_EQ(s.sample.sampleDate[2], 15);
    EXPECT_EQ(s.peak.minWidth, 5);
    EXPECT_EQ(s.peak.maxWidth, 1200);
    EXPECT_EQ(s.peak.minHeightUv, 1000);
    EXPECT_EQ(s.peak.startSlopeUv, 10);
    EXPECT_EQ(s.peak.endSlopeUv, 12);
    EXPECT_EQ(s.backgroundColour, 0x00102030u);
    EXPECT_EQ(s.traceColour, storedFromRgb(255, 0, 120));
    EXPECT_EQ(s.reserved223, 0x55);
    EXPECT_EQ(s.timeRangeS, 1200);
    EXPECT_EQ(s.voltRangeUv, 10000);
    EXPECT_EQ(s.xZoom, 1.44f);
    EXPECT_EQ(s.yZoom, 2.0f);
    EXPECT_EQ(s.vScroll, 37);
    EXPECT_EQ(s.viewScroll, 8);
    EXPECT_EQ(s.poreRecordScroll, 3);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(s.listScroll[i], i + 1) << i;
}

TEST_F(InitDataTest, WritingWhatWasReadGivesTheSameBytes) {
    Settings s;
    ASSERT_TRUE(readInitData(kGolden.string(), s));
    const fs::path out = folder / "InitData.Set";
    ASSERT_TRUE(writeInitData(out.string(), s));
    EXPECT_EQ(readBytes(out), readBytes(kGolden));
}

TEST_F(InitDataTest, WrittenFieldsLandAtTheirOffsets) {
    Settings s;
    s.analysisMethod = 1;
    s.measureMode = 4;
    s.peak = kPeakSettingsPreset;
    s.carrierGas[0] = -2;
    s.sampleValue[4] = 0x01020304;
    writeGbkField(s.sample.name, "中华人民共和国万岁");  // cut to 14 bytes
    s.sample.weightMg = 100.0f;
    s.sample.sampleDate[0] = 2024;
    s.traceColour = storedFromRgb(255, 0, 120);
    s.voltRangeUv = -5000;
    s.xZoom = 1.2f;
    s.listScroll[5] = 77;
    const fs::path out = folder / "InitData.Set";
    ASSERT_TRUE(writeInitData(out.string(), s));

    const std::string bytes = readBytes(out);
    ASSERT_EQ(bytes.size(), 277u);
    EXPECT_EQ(valueAt<uint16_t>(bytes, 0), 1);
    EXPECT_EQ(valueAt<uint16_t>(bytes, 2), 4);
    EXPECT_EQ(valueAt<uint16_t>(bytes, 8), 18);
    EXPECT_EQ(valueAt<uint16_t>(bytes, 10), 5);
    EXPECT_EQ(valueAt<uint16_t>(bytes, 12), 1);
    EXPECT_EQ(valueAt<uint16_t>(bytes, 14), 1);
    EXPECT_EQ(valueAt<uint16_t>(bytes, 16), 1);
    EXPECT_EQ(valueAt<int32_t>(bytes, 18), -2);
    EXPECT_EQ(bytes.substr(69, 4), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(bytes.substr(75, 15), std::string("\xD6\xD0\xBB\xAA\xC8\xCB\xC3\xF1\xB9\xB2\xBA\xCD\xB9\xFA\0", 15));
    EXPECT_EQ(valueAt<float>(bytes, 90), 100.0f);
    EXPECT_EQ(valueAt<uint16_t>(bytes, 189), 2024);
    EXPECT_EQ(valueAt<int32_t>(bytes, 195), 5);
    EXPECT_EQ(valueAt<int32_t>(bytes, 199), 1200);
    EXPECT_EQ(valueAt<int32_t>(bytes, 203), 1000);
    EXPECT_EQ(valueAt<int32_t>(bytes, 207), 10);
    EXPECT_EQ(valueAt<int32_t>(bytes, 211), 10);
    EXPECT_EQ(bytes.substr(215, 4), std::string("\xFF\xFF\xFF\0", 4));  // white background
    EXPECT_EQ(bytes.substr(219, 4), std::string("\xFF\0\x78\0", 4));    // red 255, blue 120
    EXPECT_EQ(valueAt<int32_t>(bytes, 225), 600);
    EXPECT_EQ(valueAt<int32_t>(bytes, 229), -5000);
    EXPECT_EQ(valueAt<float>(bytes, 233), 1.2f);
    EXPECT_EQ(valueAt<float>(bytes, 237), 1.0f);
    EXPECT_EQ(valueAt<int32_t>(bytes, 241), -1);
    EXPECT_EQ(valueAt<int32_t>(bytes, 273), 77);
}

TEST_F(InitDataTest, TwoByteFieldsReplaceOnlyTheLowHalf) {
    Settings written;
    written.analysisMethod = 0x00070001;  // only 0x0001 reaches the file
    written.sample.number = -2;           // 0xFFFE in the file
    written.carrierGas[6] = 0x00012345;
    written.carrierGas[5] = -9;           // a 4-byte field, stored whole
    const fs::path path = folder / "InitData.Set";
    ASSERT_TRUE(writeInitData(path.string(), written));

    Settings fresh;
    ASSERT_TRUE(readInitData(path.string(), fresh));
    EXPECT_EQ(fresh.analysisMethod, 1);
    EXPECT_EQ(fresh.sample.number, 0xFFFE);  // no sign extension: the high half was 0
    EXPECT_EQ(fresh.carrierGas[6], 0x2345);
    EXPECT_EQ(fresh.carrierGas[5], -9);

    Settings running;
    running.analysisMethod = 0x00050000;
    running.sample.number = -1;  // high half 0xFFFF
    running.carrierGas[6] = static_cast<int32_t>(0xABCD0000u);
    running.carrierGas[5] = 0x7FFF0000;
    ASSERT_TRUE(readInitData(path.string(), running));
    EXPECT_EQ(running.analysisMethod, 0x00050001);
    EXPECT_EQ(running.sample.number, -2);
    EXPECT_EQ(running.carrierGas[6], static_cast<int32_t>(0xABCD2345u));
    EXPECT_EQ(running.carrierGas[5], -9);
}

TEST_F(InitDataTest, ShortFileLeavesTheSettingsItDoesNotReach) {
    // 100 bytes: everything up to the weight, and 6 bytes of the sending company.
    const std::string golden = readBytes(kGolden);
    const fs::path path = folder / "InitData.Set";
    writeBytes(path, golden.substr(0, 100));

    Settings s;
    writeGbkField(s.sample.sendingCompany, "ABCDEFGHIJ");
    writeGbkField(s.sample.sender, "old");
    ASSERT_TRUE(readInitData(path.string(), s));
    EXPECT_EQ(s.analysisMethod, 1);
    EXPECT_EQ(s.carrierGas[5], -7);
    EXPECT_EQ(readGbkField(s.sample.name), "氧化铝");
    EXPECT_EQ(s.sample.weightMg, 123.5f);
    EXPECT_EQ(readGbkField(s.sample.sendingCompany), "北京大GHIJ");  // 6 bytes from the file
    EXPECT_EQ(readGbkField(s.sample.sender), "old");
    const Settings untouched;
    EXPECT_EQ(s.peak.maxWidth, untouched.peak.maxWidth);
    EXPECT_EQ(s.backgroundColour, untouched.backgroundColour);
    EXPECT_EQ(s.timeRangeS, untouched.timeRangeS);
    EXPECT_EQ(s.vScroll, -1);

    writeBytes(path, "");
    Settings empty;
    empty.timeRangeS = 321;
    EXPECT_TRUE(readInitData(path.string(), empty));
    EXPECT_EQ(empty.timeRangeS, 321);
}

TEST_F(InitDataTest, MissingOrUnreadableFileFailsAndChangesNothing) {
    Settings s;
    s.timeRangeS = 321;
    s.sample.number = 9;
    EXPECT_FALSE(readInitData((folder / "InitData.Set").string(), s));
    fs::create_directory(folder / "folder.Set");
    EXPECT_FALSE(readInitData((folder / "folder.Set").string(), s));
    EXPECT_EQ(s.timeRangeS, 321);
    EXPECT_EQ(s.sample.number, 9);
}

TEST_F(InitDataTest, FirstStartValuesAreUsable) {
    const Settings s;
    EXPECT_EQ(s.backgroundColour, storedFromRgb(255, 255, 255));
    EXPECT_EQ(s.traceColour, storedFromRgb(255, 0, 120));
    EXPECT_GE(s.voltRangeUv, 1000);  // below 1 mV the full range rounds to 0 mV
    EXPECT_GT(s.timeRangeS, 0);
    EXPECT_EQ(s.xZoom, 1.0f);
    EXPECT_EQ(s.yZoom, 1.0f);
    EXPECT_EQ(s.vScroll, -1);
    EXPECT_LE(s.peak.minWidth, s.peak.maxWidth);
    EXPECT_GT(s.peak.minWidth, 0);
    EXPECT_GT(s.peak.startSlopeUv, 0);
    EXPECT_EQ(s.peak.autoDesorb + s.peak.autoZero + s.peak.desorbAfterPeak, 0);
}

TEST_F(InitDataTest, ReplacingKeepsPermissionsAndFollowsLinks) {
    const fs::path real = folder / "real.Set";
    writeBytes(real, "old");
    ::chmod(real.c_str(), 0640);
    Settings s;
    s.timeRangeS = 1234;
    ASSERT_TRUE(writeInitData(real.string(), s));
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(info.st_size, 277);

    const fs::path link = folder / "InitData.Set";
    fs::create_symlink(real.filename(), link);
    s.timeRangeS = 4321;
    ASSERT_TRUE(writeInitData(link.string(), s));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_EQ(valueAt<int32_t>(readBytes(real), 225), 4321);

    // Nothing but the two names is left in the folder: no temporary file.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++entries;
    EXPECT_EQ(entries, 2);
}

TEST_F(InitDataTest, ReadOnlyTargetFailsAndStaysAsItWas) {
    const fs::path path = folder / "InitData.Set";
    writeBytes(path, "keep");
    ::chmod(path.c_str(), 0444);
    EXPECT_FALSE(writeInitData(path.string(), Settings{}));
    EXPECT_EQ(readBytes(path), "keep");
}

TEST_F(InitDataTest, TargetThatCannotBeWrittenFails) {
    // A folder in the target's place.
    const fs::path directory = folder / "InitData.Set";
    fs::create_directory(directory);
    EXPECT_FALSE(writeInitData(directory.string(), Settings{}));
    EXPECT_TRUE(fs::is_directory(directory));

    // A folder that does not exist.
    EXPECT_FALSE(writeInitData((folder / "missing" / "InitData.Set").string(), Settings{}));

    // A folder without write permission (root may write anyway).
    if (::geteuid() != 0) {
        const fs::path locked = folder / "locked";
        fs::create_directory(locked);
        ::chmod(locked.c_str(), 0555);
        EXPECT_FALSE(writeInitData((locked / "InitData.Set").string(), Settings{}));
        EXPECT_FALSE(fs::exists(locked / "InitData.Set"));
    }
}

}  // namespace
}  // namespace vespian
