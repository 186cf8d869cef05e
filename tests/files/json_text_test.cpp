#include "files/json_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vespian {
namespace {

TEST(JsonText, StringsAreEscapedAndStayValidUtf8) {
    EXPECT_EQ(jsonString("SAVE/run1.lne"), "\"SAVE/run1.lne\"");
    EXPECT_EQ(jsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(jsonString("tab\there\nnew\rline"), "\"tab\\there\\nnew\\rline\"");
    EXPECT_EQ(jsonString(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\\u007f\"");
    EXPECT_EQ(jsonString(std::string("nul\0x", 5)), "\"nul\\u0000x\"");
    // Chinese, ℃ and a four-byte character pass through unchanged.
    EXPECT_EQ(jsonString("谱图 ℃ \xF0\x9F\x94\xA5"), "\"谱图 ℃ \xF0\x9F\x94\xA5\"");
}

TEST(JsonText, BytesThatAreNotUtf8BecomeReplacementCharacters) {
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(jsonString("\xB9\xFD.lne"), "\"" + fffd + fffd + ".lne\"");        // a GBK name
    EXPECT_EQ(jsonString("\xE8\xB0"), "\"" + fffd + fffd + "\"");                 // cut short
    EXPECT_EQ(jsonString("\xC0\xAF"), "\"" + fffd + fffd + "\"");                 // overlong '/'
    EXPECT_EQ(jsonString("\xED\xA0\x80"), "\"" + fffd + fffd + fffd + "\"");      // a surrogate
    EXPECT_EQ(jsonString("\xF4\x90\x80\x80"), "\"" + fffd + fffd + fffd + fffd + "\"");  // above U+10FFFF
}

TEST(JsonText, NumbersAreShortestAndNeverNaN) {
    EXPECT_EQ(jsonNumber(0.1f), "0.1");
    EXPECT_EQ(jsonNumber(-1250.5f), "-1250.5");
    EXPECT_EQ(jsonNumber(10.2), "10.2");
    EXPECT_EQ(jsonNumber(2000000.0), "2e+06");  // JSON takes exponents
    EXPECT_EQ(jsonNumber(std::nanf("")), "null");
    EXPECT_EQ(jsonNumber(std::numeric_limits<double>::infinity()), "null");
    EXPECT_EQ(jsonNumber(-std::numeric_limits<float>::infinity()), "null");
}

}  // namespace
}  // namespace vespian
