#include "platform/decimal_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace vespian {
namespace {

TEST(DecimalText, ReadsTheLeadingNumberOfAField) {
    EXPECT_DOUBLE_EQ(ReadDecimalField("12.5"), 12.5);
    EXPECT_DOUBLE_EQ(ReadDecimalField("-3"), -3.0);
    EXPECT_DOUBLE_EQ(ReadDecimalField("7a9"), 7.0);
    EXPECT_DOUBLE_EQ(ReadDecimalField("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(ReadDecimalField("abc"), 0.0);
    EXPECT_DOUBLE_EQ(ReadDecimalField(""), 0.0);
    EXPECT_DOUBLE_EQ(ReadDecimalField("."), 0.0);
    EXPECT_DOUBLE_EQ(ReadDecimalField("-"), 0.0);
    EXPECT_DOUBLE_EQ(ReadDecimalField(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ReadDecimalField("30.9"), 30.9);
    EXPECT_DOUBLE_EQ(ReadDecimalField("0.0500"), 0.05);
    // Only one sign, and only in front.
    EXPECT_DOUBLE_EQ(ReadDecimalField("--4"), 0.0);
    EXPECT_DOUBLE_EQ(ReadDecimalField(" 4"), 0.0);
}

TEST(DecimalText, SetpointFieldsTakeNoSign) {
    EXPECT_DOUBLE_EQ(ParseDecimalText("12.9"), 12.9);
    EXPECT_DOUBLE_EQ(ParseDecimalText("-5"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDecimalText("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(ParseDecimalText("99ml"), 99.0);
}

TEST(DecimalText, ReadsAtMost199Characters) {
    // 199 digits count; the 200th would make the value ten times larger.
    std::string text(199, '1');
    const double full = ReadDecimalField(text);
    EXPECT_DOUBLE_EQ(ReadDecimalField(text + "1"), full);
    EXPECT_DOUBLE_EQ(ParseDecimalText(std::string(198, '0') + "7" + "9"), 7.0);
    EXPECT_TRUE(std::isfinite(full));
}

}  // namespace
}  // namespace vespian
