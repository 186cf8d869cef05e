#include "platform/printf_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "support/comma_locale.h"

namespace vespian {
namespace {

std::string raw(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

TEST(PrintfText, NumbersKeepThePointInADecimalCommaLocale) {
    testing::CommaLocale german;
    ASSERT_TRUE(german.active()) << "de_DE.UTF-8 could not be generated (Debian package \"locales\")";
    EXPECT_EQ(printfText("%.4f", 0.01), "0.0100");
    EXPECT_EQ(numberText("%f", 1.1605), "1.160500");
    EXPECT_EQ(numberText("%.3f", std::nan("")), kNoValueText);
    EXPECT_EQ(printfText("%d年%.1f", 2024, 12.25), "2024年12.2");
    // The scope ends with the formatting: the thread's locale is the desktop's again.
    EXPECT_EQ(raw(0.01), "0,0100");

    // Once at start: every library call formats with the point, the rest of the locale stays.
    usePointDecimalsInProcess();
    EXPECT_EQ(raw(12.3456), "12.3456");
    EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), testing::kCommaLocaleName);
}

}  // namespace
}  // namespace vespian
