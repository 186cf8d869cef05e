#include "app/zevid_file.h"
#include "support/test_files.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vespian {
namespace {

using testing::readBytes;
using testing::writeBytes;

namespace fs = std::filesystem;

// The sample file holds display[i] = 10i + 1, columns[i] = 1000 + i and the calibration values
// 2.5, 20.0, 99.5, 104.25.
const fs::path kGolden = fs::path(VESPIAN_TEST_DATA) / "zevid_sample.ini";

// Every element set to a value the file does not hold.
ZEvidRecord markedRecord() {
    ZEvidRecord record;
    for (int32_t& value : record.display) value = -5;
    for (int32_t& value : record.columns) value = -6;
    for (float& value : record.betCalibration) value = -7.0f;
    return record;
}

class ZEvidFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("zevid_file_test_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                  std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
};

TEST_F(ZEvidFileTest, GoldenFileReadsAndWritesBackByteForByte) {
    ZEvidRecord record = markedRecord();
    ASSERT_TRUE(readZEvid(kGolden.string(), record));
    for (int i = 0; i < 30; ++i) EXPECT_EQ(record.display[i], 10 * i + 1) << i;
    for (int i = 0; i < 20; ++i) EXPECT_EQ(record.columns[i], 1000 + i) << i;
    EXPECT_EQ(record.betCalibration[kBetLoopVolumeMl], 2.5f);
    EXPECT_EQ(record.betCalibration[kBetN2TemperatureC], 20.0f);
    EXPECT_EQ(record.betCalibration[kBetAdsorptionPressureKpa], 99.5f);
    EXPECT_EQ(record.betCalibration[kBetSaturatedPressureKpa], 104.25f);

    const fs::path out = folder / "ZEvid.ini";
    ASSERT_TRUE(writeZEvid(out.string(), record));
    EXPECT_EQ(readBytes(out), readBytes(kGolden));
}

TEST_F(ZEvidFileTest, ApplyWritesANewFileOfTheFirst200Bytes) {
    ZEvidRecord record;
    ASSERT_TRUE(readZEvid(kGolden.string(), record));
    const fs::path out = folder / "ZEvid.ini";
    writeBytes(out, std::string(216, 'x'));
    ASSERT_TRUE(writeZEvidDisplayAndColumns(out.string(), record));
    EXPECT_EQ(readBytes(out), readBytes(kGolden).substr(0, 200));

    // Such a file read at the next start keeps the calibration values held before.
    ZEvidRecord next = markedRecord();
    ASSERT_TRUE(readZEvid(out.string(), next));
    EXPECT_EQ(next.columns[19], 1019);
    EXPECT_EQ(next.betCalibration[0], -7.0f);
}

TEST_F(ZEvidFileTest, ShortFileLeavesTheUnreadPartAsItWas) {
    // 130 bytes: the display block, columns 0 and 1, and the low half of column 2.
    const fs::path path = folder / "ZEvid.ini";
    writeBytes(path, readBytes(kGolden).substr(0, 130));
    ZEvidRecord record = markedRecord();
    ASSERT_TRUE(readZEvid(path.string(), record));
    EXPECT_EQ(record.display[29], 291);
    EXPECT_EQ(record.columns[0], 1000);
    EXPECT_EQ(record.columns[1], 1001);
    EXPECT_EQ(record.columns[2], static_cast<int32_t>(0xFFFF0000u | 1002u));  // low half from the file
    EXPECT_EQ(record.columns[3], -6);
    for (float value : record.betCalibration) EXPECT_EQ(value, -7.0f);
}

TEST_F(ZEvidFileTest, MissingFileSetsTheCalibrationDefaultsOnly) {
    ZEvidRecord record = markedRecord();
    EXPECT_FALSE(readZEvid((folder / "ZEvid.ini").string(), record));
    EXPECT_EQ(record.betCalibration[0], 3.0f);
    EXPECT_EQ(record.betCalibration[1], 15.0f);
    EXPECT_EQ(record.betCalibration[2], 101.3f);
    EXPECT_EQ(record.betCalibration[3], 103.0f);
    EXPECT_EQ(record.display[0], -5);
    EXPECT_EQ(record.columns[13], -6);

    fs::create_directory(folder / "folder.ini");
    ZEvidRecord other = markedRecord();
    EXPECT_FALSE(readZEvid((folder / "folder.ini").string(), other));
    EXPECT_EQ(other.betCalibration[3], 103.0f);
    EXPECT_EQ(other.display[0], -5);
}

TEST_F(ZEvidFileTest, StartUpResetsTheTwelveColumnWidths) {
    const fs::path path = folder / "ZEvid.ini";
    writeBytes(path, readBytes(kGolden).substr(0, 130));
    ZEvidRecord record = markedRecord();
    ASSERT_TRUE(readZEvid(path.string(), record));
    resetListColumns(record);
    const int32_t widths[13] = {1450, 150, 200, 100, 80, 80, 140, 140, 80, 120, 80, 130, 150};
    for (int i = 0; i < 13; ++i) EXPECT_EQ(record.columns[i], widths[i]) << i;
    for (int i = 13; i < 20; ++i) EXPECT_EQ(record.columns[i], -6) << i;  // as loaded
    EXPECT_EQ(record.display[1], 11);
}

TEST_F(ZEvidFileTest, ListWidthsAreTheSumsOfTheirColumns) {
    ZEvidRecord record = markedRecord();
    const int32_t display[6] = {10, 20, 0, 40, 50, 60};
    for (int i = 0; i < 6; ++i) record.display[1 + i] = display[i];
    record.display[7] = 999;  // not a column of the list
    for (int i = 1; i <= 12; ++i) record.columns[i] = i;
    record.columns[13] = 999;
    recomputeListWidths(record);
    EXPECT_EQ(record.display[0], 180);
    EXPECT_EQ(record.columns[0], 78);

    // A record never read from a file already agrees with its own sums.
    ZEvidRecord builtIn;
    const ZEvidRecord before = builtIn;
    recomputeListWidths(builtIn);
    EXPECT_EQ(builtIn.display[0], before.display[0]);
    EXPECT_EQ(builtIn.columns[0], before.columns[0]);
    EXPECT_EQ(std::memcmp(builtIn.columns + 1, kReportListColumnWidths, sizeof kReportListColumnWidths), 0);
    EXPECT_EQ(std::memcmp(builtIn.display + 1, kRecordListColumnWidths, sizeof kRecordListColumnWidths), 0);
}

TEST_F(ZEvidFileTest, ReadOnlyOrFolderTargetFails) {
    const fs::path path = folder / "ZEvid.ini";
    writeBytes(path, "keep");
    ::chmod(path.c_str(), 0444);
    const ZEvidRecord record;
    EXPECT_FALSE(writeZEvid(path.string(), record));
    EXPECT_FALSE(writeZEvidDisplayAndColumns(path.string(), record));
    EXPECT_EQ(readBytes(path), "keep");

    const fs::path directory = folder / "folder.ini";
    fs::create_directory(directory);
    EXPECT_FALSE(writeZEvid(directory.string(), record));
    EXPECT_TRUE(fs::is_directory(directory));
}

}  // namespace
}  // namespace vespian
