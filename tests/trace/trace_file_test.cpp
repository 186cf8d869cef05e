#include "trace/trace_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "trace/chromatogram.h"
#include "support/test_files.h"

namespace vespian {
namespace {

using testing::readBytes;
using testing::writeBytes;

namespace fs = std::filesystem;

std::string int32Bytes(int32_t value) {
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

class TraceFileTest : public ::testing::Test {
protected:

    // A trace of n points whose signal is i / 10 and temperature 100 + i.
    void fill(Chromatogram& c, int32_t n) {
        std::vector<float> signal(n), temperature(n);
        for (int32_t i = 0; i < n; ++i) {
            signal[i] = static_cast<float>(i) / 10.0f;
            temperature[i] = 100.0f + static_cast<float>(i);
        }
        c.replace(signal.data(), temperature.data(), n);
    }

    // Loading `bytes` must fail with a message and leave a 7-point trace as it was.
    std::string expectRejected(const std::string& bytes) {
        const fs::path path = folder / "bad.lne";
        writeBytes(path, bytes);
        Chromatogram c;
        fill(c, 7);
        const float clock = c.sampleClock();
        TraceFileResult result = loadTraceFile(path.string(), c);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.message.empty());
        EXPECT_EQ(c.pointCount(), 7);
        EXPECT_EQ(c.shownCount(), 7);
        EXPECT_EQ(c.sampleClock(), clock);
        EXPECT_EQ(c.signalMv()[6], 0.6f);
        EXPECT_EQ(c.temperatureC()[6], 106.0f);
        return result.message;
    }

    testing::TestFolder scratch{"trace_file_test"};
    const fs::path folder = scratch.path();
};

TEST_F(TraceFileTest, GoldenFileRoundTripsByteForByte) {
    const fs::path golden = fs::path(VESPIAN_TEST_DATA) / "two_points.lne";
    Chromatogram c;
    ASSERT_TRUE(loadTraceFile(golden.string(), c).ok);
    ASSERT_EQ(c.pointCount(), 2);
    EXPECT_EQ(c.signalMv()[0], 1.0f);
    EXPECT_EQ(c.signalMv()[1], -2.5f);
    EXPECT_EQ(c.temperatureC()[0], 100.0f);
    EXPECT_EQ(c.temperatureC()[1], 25.5f);

    const fs::path copy = folder / "copy.lne";
    ASSERT_TRUE(saveTraceFile(copy.string(), c).ok);
    EXPECT_EQ(readBytes(copy), readBytes(golden));
}

TEST_F(TraceFileTest, SizesAndCountersOfSavedAndLoadedTraces) {
    Chromatogram empty;
    const fs::path emptyFile = folder / "empty.lne";
    ASSERT_TRUE(saveTraceFile(emptyFile.string(), empty).ok);
    EXPECT_EQ(readBytes(emptyFile), int32Bytes(0));

    Chromatogram thousand;
    fill(thousand, 1000);
    const fs::path file = folder / "thousand.lne";
    ASSERT_TRUE(saveTraceFile(file.string(), thousand).ok);
    EXPECT_EQ(fs::file_size(file), 8004u);

    Chromatogram loaded;
    ASSERT_TRUE(loadTraceFile(file.string(), loaded).ok);
    EXPECT_EQ(loaded.pointCount(), 1000);
    EXPECT_EQ(loaded.shownCount(), 1000);
    EXPECT_NEAR(loaded.sampleClock(), 1009.9f, 0.05f);
    EXPECT_EQ(loaded.signalMv()[999], 99.9f);
    EXPECT_EQ(loaded.temperatureC()[999], 1099.0f);

    ASSERT_TRUE(loadTraceFile(emptyFile.string(), loaded).ok);  // an empty file empties the trace
    EXPECT_EQ(loaded.pointCount(), 0);
    EXPECT_EQ(loaded.shownCount(), 0);
    EXPECT_FALSE(fs::exists(folder / "thousand.lne.part"));
}

TEST_F(TraceFileTest, ExtensionIsAppendedUnlessExactlyLowerCase) {
    EXPECT_EQ(withTraceExtension("run1"), "run1.lne");
    EXPECT_EQ(withTraceExtension("run1.lne"), "run1.lne");
    EXPECT_EQ(withTraceExtension("run1.LNE"), "run1.LNE.lne");
    EXPECT_EQ(withTraceExtension("lne"), "lne.lne");
    EXPECT_EQ(withTraceExtension(".lne"), ".lne");
}

TEST_F(TraceFileTest, InvalidFilesAreRejectedAndChangeNothing) {
    EXPECT_NE(expectRejected("").find("bad.lne"), std::string::npos);  // the message names the file
    expectRejected("\x01\x00");                                             // shorter than the count
    expectRejected(int32Bytes(-1));
    expectRejected(int32Bytes(2) + std::string(15, '\0'));                 // one byte short
    expectRejected(int32Bytes(2) + std::string(17, '\0'));                 // one byte over
    expectRejected(int32Bytes(0x7FFFFFFF));
    expectRejected(std::string("garbage text, not a trace at all"));
}

// A file of the right size for n points, mostly a hole, so large counts cost no disk.
void writeSparse(const fs::path& path, int32_t n) {
    std::ofstream out(path, std::ios::binary);
    out << int32Bytes(n);
    out.seekp(static_cast<std::streamoff>(4 + 8ll * n - 1));
    out.put('\0');
}

TEST_F(TraceFileTest, CountMustLeaveTheNextReadingASlot) {
    // 9,999,999 points: the trace is then full and the next reading overwrites the last slot.
    const fs::path full = folder / "full.lne";
    writeSparse(full, kLastPointIndex);
    Chromatogram c;
    ASSERT_TRUE(loadTraceFile(full.string(), c).ok);
    EXPECT_EQ(c.pointCount(), kLastPointIndex);

    // 10,000,000 points with a matching size would leave no slot at all.
    const fs::path over = folder / "over.lne";
    writeSparse(over, kMaxPoints);
    std::vector<float> one(1, 5.0f);
    c.replace(one.data(), one.data(), 1);
    EXPECT_FALSE(loadTraceFile(over.string(), c).ok);
    EXPECT_EQ(c.pointCount(), 1);
    EXPECT_EQ(c.signalMv()[0], 5.0f);
}

TEST_F(TraceFileTest, MissingFilesAndFoldersGiveTheirMessages) {
    Chromatogram c;
    fill(c, 3);
    const std::string missing = (folder / "nothing.lne").string();
    TraceFileResult opened = loadTraceFile(missing, c);
    EXPECT_FALSE(opened.ok);
    EXPECT_EQ(opened.message, "无法打开‘" + missing + "’文件");
    EXPECT_FALSE(loadTraceFile(folder.string(), c).ok);
    EXPECT_EQ(c.pointCount(), 3);

    const std::string unwritable = (folder / "no such folder" / "x.lne").string();
    TraceFileResult saved = saveTraceFile(unwritable, c);
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.message, "无法建立‘" + unwritable + "’文件");
}

TEST_F(TraceFileTest, FailedSaveKeepsTheOldFile) {
    // A folder standing where the file should go cannot be replaced: the save fails and what
    // was there is untouched, with no temporary file left behind.
    Chromatogram c;
    fill(c, 3);
    const fs::path target = folder / "taken.lne";
    fs::create_directories(target / "inside");
    EXPECT_FALSE(saveTraceFile(target.string(), c).ok);
    EXPECT_TRUE(fs::is_directory(target / "inside"));
    EXPECT_FALSE(fs::exists(folder / "taken.lne.part"));
}

}  // namespace
}  // namespace vespian
