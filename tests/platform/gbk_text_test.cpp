#include "platform/gbk_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace vespian {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// GBK code points from the GB2312 table: 样 D1F9, 品 C6B7, 中 D6D0, 文 CEC4, ℃ A1E6.
TEST(GbkText, ConvertsBothWaysWithKnownCodePoints) {
    EXPECT_EQ(gbkFromUtf8("样品中文℃A1"), "\xD1\xF9\xC6\xB7\xD6\xD0\xCE\xC4\xA1\xE6"
                                          "A1");
    EXPECT_EQ(utf8FromGbk("\xD1\xF9\xC6\xB7\xD6\xD0\xCE\xC4\xA1\xE6"
                          "A1"),
              "样品中文℃A1");
    // The euro sign is the one single byte above ASCII (code page 936).
    EXPECT_EQ(gbkFromUtf8("€"), "\x80");
    EXPECT_EQ(utf8FromGbk("\x80"), "€");
    EXPECT_EQ(gbkFromUtf8(""), "");
    EXPECT_EQ(utf8FromGbk(""), "");
}

TEST(GbkText, CharactersGbkCannotHoldBecomeQuestionMarks) {
    EXPECT_EQ(gbkFromUtf8("5µV"), "5?V");
    EXPECT_EQ(gbkFromUtf8("a😀中"), "a?\xD6\xD0");
    EXPECT_EQ(gbkLength("a😀中"), 4u);  // 1 + 1 + 2
    EXPECT_EQ(gbkLength("氧化铝 Al2O3"), 12u);
    EXPECT_EQ(gbkLength(""), 0u);
}

TEST(GbkText, BrokenUtf8BecomesQuestionMarks) {
    EXPECT_EQ(gbkFromUtf8("\xFF"
                          "ab"),
              "?ab");
    // A character cut off at the end is one '?', not one per byte.
    EXPECT_EQ(gbkFromUtf8("x\xE4\xB8"), "x?");
    // A lone continuation byte between two good characters.
    EXPECT_EQ(gbkFromUtf8("中\x80文"), "\xD6\xD0?\xCE\xC4");
}

TEST(GbkText, InvalidGbkFromAFileBecomesReplacementCharacters) {
    EXPECT_EQ(utf8FromGbk("\xFF"), kReplacement);
    // A lead byte before an ASCII byte stands alone; the ASCII byte is kept.
    EXPECT_EQ(utf8FromGbk("\x81 A"), kReplacement + " A");
    // An unassigned pair (row 55 ends at D7F9) is one replacement, the text around it is kept.
    EXPECT_EQ(utf8FromGbk("\xD6\xD0\xD7\xFA\xCE\xC4"), "中" + kReplacement + "文");
    // A lead byte cut off at the end of the input.
    EXPECT_EQ(utf8FromGbk("A\xD6"), "A" + kReplacement);
    // Every single byte value on its own: never a crash, always some text.
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        EXPECT_FALSE(utf8FromGbk(one).empty()) << byte;
    }
}

TEST(GbkText, PrefixesNeverSplitADoubleByteCharacter) {
    const std::string gbk = gbkFromUtf8("中a文");  // D6 D0 61 CE C4
    EXPECT_EQ(gbkPrefix(gbk, 0), "");
    EXPECT_EQ(gbkPrefix(gbk, 1), "");
    EXPECT_EQ(gbkPrefix(gbk, 2), "\xD6\xD0");
    EXPECT_EQ(gbkPrefix(gbk, 3), "\xD6\xD0"
                                 "a");
    EXPECT_EQ(gbkPrefix(gbk, 4), "\xD6\xD0"
                                 "a");
    EXPECT_EQ(gbkPrefix(gbk, 5), gbk);
    EXPECT_EQ(gbkPrefix(gbk, 99), gbk);

    // A name field of 15 bytes holds 14: seven Chinese characters, with an odd limit as well.
    EXPECT_EQ(utf8WithinGbkBytes("中华人民共和国万岁", 14), "中华人民共和国");
    EXPECT_EQ(utf8WithinGbkBytes("中华人民共和国万岁", 15), "中华人民共和国");
    EXPECT_EQ(utf8WithinGbkBytes("Pt中", 3), "Pt");
    // A character GBK cannot hold counts as its '?' and is kept as it was.
    EXPECT_EQ(utf8WithinGbkBytes("µ中", 3), "µ中");
}

TEST(GbkText, FieldWriteIsZeroPaddedTerminatedAndCutAtWholeCharacters) {
    char field[6];
    std::memset(field, 0xAA, sizeof field);
    writeGbkField(field, "ab");
    EXPECT_EQ(std::string(field, sizeof field), std::string("ab\0\0\0\0", 6));

    char four[4];
    writeGbkField(four, "中文");  // 4 bytes do not fit in 3: the second character goes whole
    EXPECT_EQ(std::string(four, 4), std::string("\xD6\xD0\0\0", 4));
    writeGbkField(four, "a中文");
    EXPECT_EQ(std::string(four, 4), std::string("a\xD6\xD0\0", 4));

    char five[5];
    writeGbkField(five, "中文字");
    EXPECT_EQ(std::string(five, 5), std::string("\xD6\xD0\xCE\xC4\0", 5));

    char one[1] = {'x'};
    writeGbkField(one, "中");
    EXPECT_EQ(one[0], '\0');
}

TEST(GbkText, FieldReadStopsAtTheFirstNulOrTheFieldEnd) {
    const char withNul[6] = {'\xD6', '\xD0', '\0', 'x', 'y', 'z'};
    EXPECT_EQ(readGbkField(withNul), "中");
    const char full[4] = {'A', 'B', '\xCE', '\xC4'};
    EXPECT_EQ(readGbkField(full), "AB文");
    // A field filled to its end with half a character: the half reads as a replacement.
    const char half[3] = {'A', 'B', '\xD6'};
    EXPECT_EQ(readGbkField(half), "AB" + kReplacement);

    char field[15];
    writeGbkField(field, "氧化铝 Al2O3");
    EXPECT_EQ(readGbkField(field), "氧化铝 Al2O3");
}

TEST(GbkTextConcurrency, ThreadsConvertIndependently) {
    const std::string text = "北京大学化学系 TPD µ";
    const std::string gbk = gbkFromUtf8(text);
    std::vector<std::thread> threads;
    std::vector<int> failures(8, 0);
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                if (gbkFromUtf8(text) != gbk) ++failures[t];
                if (utf8FromGbk(gbk) != "北京大学化学系 TPD ?") ++failures[t];
                if (utf8FromGbk("\xFF\xD6\xD0") != kReplacement + "中") ++failures[t];
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < 8; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}

}  // namespace
}  // namespace vespian
