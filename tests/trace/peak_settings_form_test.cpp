#include "trace/peak_settings_form.h"

#include <gtest/gtest.h>

namespace vespian {
namespace {

TEST(PeakSettingsForm, TheDefaultsRoundTripThroughTheFields) {
    const PeakSettingsTexts t = peakSettingsTexts(kPeakSettingsPreset);
    EXPECT_EQ(t.fields[static_cast<int>(PeakField::MinHeight)], "1000");
    EXPECT_EQ(t.fields[static_cast<int>(PeakField::MaxWidth)], "1200");
    EXPECT_TRUE(t.autoDesorb && t.autoZero && t.desorbAfterPeak);
    const PeakSettingsRead r = readPeakSettings(t, PeakSettings{});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.settings.minWidth, 5);
    EXPECT_EQ(r.settings.maxWidth, 1200);
    EXPECT_EQ(r.settings.minHeightUv, 1000);
    EXPECT_EQ(r.settings.startSlopeUv, 10);
    EXPECT_EQ(r.settings.endSlopeUv, 10);
    EXPECT_EQ(r.settings.adsorptionMinutes, 18);
    EXPECT_EQ(r.settings.desorbIntervalMinutes, 5);
    EXPECT_EQ(r.settings.autoDesorb, 1);
    EXPECT_EQ(r.settings.autoZero, 1);
    EXPECT_EQ(r.settings.desorbAfterPeak, 1);
}

TEST(PeakSettingsForm, ARefusedEntryNamesItsFieldAndChangesNothing) {
    PeakSettings current = kFirstStartPeakSettings;
    current.minHeightUv = 777;
    struct Case {
        PeakField field;
        const char* text;
        const char* message;
    };
    for (const Case c : {Case{PeakField::MinHeight, "12a", "“峰高(uV)最小”应为 0 到 10000000 之间的整数。"},
                         Case{PeakField::MinWidth, "-1", "“峰宽(秒)最小”应为 0 到 100000 之间的整数。"},
                         Case{PeakField::AdsorptionMinutes, "0", "“吸附时间(分)”应为 1 到 1440 之间的整数。"},
                         Case{PeakField::DesorbInterval, "", "“脱附间隔(分)”应为 1 到 1440 之间的整数。"},
                         Case{PeakField::StartSlope, "99999999999", "“斜率(uV/秒)起始”应为 0 到 10000000 之间的整数。"}}) {
        PeakSettingsTexts t = peakSettingsTexts(kPeakSettingsPreset);
        t.fields[static_cast<int>(c.field)] = c.text;
        const PeakSettingsRead r = readPeakSettings(t, current);
        EXPECT_EQ(r.wrong, c.field) << c.text;
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(r.settings.minHeightUv, 777);
    }
    PeakSettingsTexts t = peakSettingsTexts(kPeakSettingsPreset);
    t.fields[static_cast<int>(PeakField::MinWidth)] = "50";
    t.fields[static_cast<int>(PeakField::MaxWidth)] = "40";
    const PeakSettingsRead r = readPeakSettings(t, current);
    EXPECT_EQ(r.wrong, PeakField::MaxWidth);
    EXPECT_EQ(r.message, "峰宽的最大值不能小于最小值。");
}

TEST(PeakSettingsForm, WholeNumbersAllowBlanksAndOneSign) {
    int32_t v = 0;
    EXPECT_TRUE(parseWholeNumber(" 42 ", &v));
    EXPECT_EQ(v, 42);
    EXPECT_TRUE(parseWholeNumber("+7", &v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(parseWholeNumber("-3", &v));
    EXPECT_EQ(v, -3);
    for (const char* bad : {"", " ", "-", "1.5", "1 2", "2147483648", "--1"}) EXPECT_FALSE(parseWholeNumber(bad, &v)) << bad;
    EXPECT_TRUE(parseWholeNumber("2147483647", &v));
}

}  // namespace
}  // namespace vespian
