#include "app/settings_apply.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "support/test_files.h"
#include "support/trace_views.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;

TEST(SettingsRanges, FieldsReadAsSignedWholeNumbersElseZero) {
    EXPECT_EQ(readSignedField("600"), 600);
    EXPECT_EQ(readSignedField("  -25 "), -25);
    EXPECT_EQ(readSignedField("+7"), 7);
    EXPECT_EQ(readSignedField(""), 0);
    EXPECT_EQ(readSignedField("12a"), 0);
    EXPECT_EQ(readSignedField("1.5"), 0);
    EXPECT_EQ(readSignedField("abc"), 0);
    EXPECT_EQ(readSignedField("2147483647"), 2147483647);
    EXPECT_EQ(readSignedField("2147483648"), 0);  // beyond 32 bits
    EXPECT_EQ(readSignedField("-"), 0);
}

TEST(SettingsRanges, EachFieldIsCheckedAndNamedWithItsRange) {
    EXPECT_TRUE(checkDisplayRanges(600, 10000).ok());
    EXPECT_TRUE(checkDisplayRanges(1, 500).ok());
    EXPECT_TRUE(checkDisplayRanges(2'000'000, 10'000'000).ok());
    RangeCheck time = checkDisplayRanges(0, 10000);
    EXPECT_EQ(time.wrong, RangeField::Time);
    EXPECT_EQ(time.message, "输入的时间量程已经超过范围(1-2000000秒)!!请重新输入!!");
    EXPECT_EQ(checkDisplayRanges(2'000'001, 10000).wrong, RangeField::Time);
    RangeCheck volt = checkDisplayRanges(600, 499);
    EXPECT_EQ(volt.wrong, RangeField::Voltage);
    EXPECT_EQ(volt.message, "输入的电压量程已经超过范围(500-10000000uV)!!请重新输入!!");
    EXPECT_EQ(checkDisplayRanges(600, 10'000'001).wrong, RangeField::Voltage);
    // Both wrong: the time field first.
    EXPECT_EQ(checkDisplayRanges(-1, -1).wrong, RangeField::Time);
    EXPECT_EQ(displayRangesNote(), "时间量程: 1 - 2000000 秒\n电压量程: 500 - 10000000 uV");
}

// OK on the window page: the view takes the ranges, the lists their summed widths, and
// ZEvid.ini is written anew with exactly its first 200 bytes.
TEST(SettingsApply, OkOnTheWindowPageWritesThe200BytesOfZEvid) {
    testing::TestFolder folder("settings_apply");
    const std::string path = folder.file("ZEvid.ini");
    testing::writeBytes(path, std::string(216, '\x7f'));  // an older, whole file
    TraceView view = testing::viewWithPlot(600, 400, 600, 5000);
    ZEvidRecord zevid;
    zevid.display[1] = 10;
    zevid.display[2] = 20;
    zevid.display[3] = zevid.display[4] = zevid.display[5] = zevid.display[6] = 0;
    zevid.columns[0] = 0;
    Settings settings;
    settings.listScroll[1] = 33;
    settings.listScroll[2] = 44;
    ASSERT_TRUE(applyDisplayRanges(view, zevid, settings, path, 1200, 20000));
    EXPECT_EQ(view.timeRangeS, 1200);
    EXPECT_EQ(view.voltRangeUv, 20000);
    EXPECT_EQ(zevid.display[0], 30);
    EXPECT_EQ(zevid.columns[0], 1450);
    EXPECT_EQ(settings.listScroll[1], 0);
    EXPECT_EQ(settings.listScroll[2], 44);
    const std::string bytes = testing::readBytes(path);
    ASSERT_EQ(bytes.size(), 200u);
    EXPECT_EQ(std::memcmp(bytes.data(), &zevid, 200), 0);
    int32_t first = 0;
    std::memcpy(&first, bytes.data(), 4);
    EXPECT_EQ(first, 30);
    int32_t columnsTotal = 0;
    std::memcpy(&columnsTotal, bytes.data() + 120, 4);
    EXPECT_EQ(columnsTotal, 1450);

    // A folder that cannot take the file: nothing written, nothing said, the view still changes.
    EXPECT_FALSE(applyDisplayRanges(view, zevid, settings, folder.file("none/ZEvid.ini"), 300, 5000));
    EXPECT_EQ(view.timeRangeS, 300);
}

TEST(SettingsApply, ColoursGoIntoTheView) {
    TraceView view;
    applyDisplayColours(view, 0x00FFFFFFu, 0x007800FFu);
    EXPECT_EQ(view.backgroundColour, 0x00FFFFFFu);
    EXPECT_EQ(view.traceColour, 0x007800FFu);
}

}  // namespace
}  // namespace vespian
