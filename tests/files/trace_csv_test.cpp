#include "files/trace_csv.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::TestFolder;

struct Row {
    double time;
    float signal;
    float temperature;
};

// Reads the CSV back as a spreadsheet would: the header, then three numeric columns per row.
std::vector<Row> parseCsv(const std::string& text, std::string* header) {
    std::istringstream lines(text);
    std::getline(lines, *header);
    std::vector<Row> rows;
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> cells;
        std::stringstream cellStream(line);
        for (std::string cell; std::getline(cellStream, cell, ',');) cells.push_back(cell);
        EXPECT_EQ(cells.size(), 3u) << line;
        if (cells.size() != 3) continue;
        Row row{};
        auto parse = [](const std::string& cell, auto* value) {
            const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), *value);
            EXPECT_TRUE(error == std::errc() && end == cell.data() + cell.size()) << cell;
        };
        parse(cells[0], &row.time);
        parse(cells[1], &row.signal);
        parse(cells[2], &row.temperature);
        rows.push_back(row);
    }
    return rows;
}

TEST(TraceCsv, RowsGiveExactTimesAndShortestValues) {
    EXPECT_EQ(traceCsvRow(0, 0.0f, 25.0f), "0,0,25");
    EXPECT_EQ(traceCsvRow(1, 0.1f, 25.5f), "0.2,0.1,25.5");
    EXPECT_EQ(traceCsvRow(62, -1.25f, 1100.0f), "12.4,-1.25,1100");
    EXPECT_EQ(traceCsvRow(9'999'999, 3.0f, 0.0f), "1999999.8,3,0");
}

// Every value comes back as the same float32, every time as i / 5, and the header names the
// three columns with their units.
TEST(TraceCsv, SavedFileParsesBackToTheSameTrace) {
    TestFolder folder("trace-csv");
    std::vector<float> signal = {0.0f, -0.001f, 1.0f / 3.0f, 12345.678f, std::numeric_limits<float>::denorm_min(),
                                 -std::numeric_limits<float>::max(), 1e-30f};
    std::vector<float> temperature;
    for (size_t i = 0; i < signal.size(); ++i) temperature.push_back(20.0f + 0.7f * static_cast<float>(i));
    // Enough rows to pass through the write buffer several times.
    for (int32_t i = 0; i < 20'000; ++i) {
        signal.push_back(std::sin(static_cast<float>(i) * 0.01f) * 37.5f);
        temperature.push_back(50.0f + static_cast<float>(i) * 0.05f);
    }
    const int32_t n = static_cast<int32_t>(signal.size());
    const std::string path = folder.file("trace.csv");
    const CsvResult saved = saveTraceCsv(path, signal.data(), temperature.data(), n);
    ASSERT_TRUE(saved.ok) << saved.message;
    EXPECT_FALSE(fs::exists(path + ".part"));

    std::string header;
    const std::vector<Row> rows = parseCsv(readBytes(path), &header);
    EXPECT_EQ(header, "\xEF\xBB\xBFtime_s,signal_mV,temperature_C");
    ASSERT_EQ(rows.size(), signal.size());
    for (int32_t i = 0; i < n; ++i) {
        ASSERT_EQ(rows[i].time, static_cast<double>(i) / 5.0) << i;
        ASSERT_EQ(rows[i].signal, signal[i]) << i;
        ASSERT_EQ(rows[i].temperature, temperature[i]) << i;
    }
}

TEST(TraceCsv, EmptyTraceIsTheHeaderAlone) {
    TestFolder folder("trace-csv");
    ASSERT_TRUE(saveTraceCsv(folder.file("empty.csv"), nullptr, nullptr, 0).ok);
    EXPECT_EQ(readBytes(folder / "empty.csv"), "\xEF\xBB\xBFtime_s,signal_mV,temperature_C\n");
}

TEST(TraceCsv, FailedWritesAreReportedAndLeaveNothingBehind) {
    TestFolder folder("trace-csv");
    const float one = 1.0f;
    const CsvResult missing = saveTraceCsv(folder.file("no/such/folder.csv"), &one, &one, 1);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.message.find("无法建立"), std::string::npos);
    EXPECT_NE(missing.message.find("cannot write"), std::string::npos);

    // A full device: the write fails half way and says so.
    if (fs::exists("/dev/full")) {
        std::vector<float> many(200'000, 1.5f);
        std::FILE* full = std::fopen("/dev/full", "wb");
        ASSERT_NE(full, nullptr);
        EXPECT_FALSE(writeTraceCsv(full, many.data(), many.data(), static_cast<int32_t>(many.size())));
        std::fclose(full);
    }
    // A folder where the file should go: it stays, and no temporary file is left beside it.
    fs::create_directory(folder / "taken.csv");
    EXPECT_FALSE(saveTraceCsv(folder.file("taken.csv"), &one, &one, 1).ok);
    EXPECT_TRUE(fs::is_directory(folder / "taken.csv"));
    EXPECT_FALSE(fs::exists(folder / "taken.csv.part"));
}

}  // namespace
}  // namespace vespian
