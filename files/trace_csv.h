#pragma once
// A trace as CSV for spreadsheets and a laboratory's scripts: one header row, then one row per
// point with its time (point i lies at i / 5 s, written as an exact decimal), its signal in mV
// and its temperature in ℃, each the shortest decimal that reads back as the same float32.
// UTF-8 with the byte-order mark the list exports carry (so a spreadsheet takes the file as
// UTF-8), "\n" line ends, "." as the decimal point whatever the locale.

#include <cstdint>
#include <cstdio>
#include <string>

namespace vespian {

inline constexpr char kTraceCsvHeader[] = "time_s,signal_mV,temperature_C";

// One row without its line end: "12.4,-0.03125,245.5".
std::string traceCsvRow(int32_t index, float signalMv, float temperatureC);

// Header and n rows to an open stream. False when a write fails.
bool writeTraceCsv(std::FILE* out, const float* signalMv, const float* temperatureC, int32_t n);

struct CsvResult {
    bool ok = false;
    std::string message;  // for the operator, Chinese then English, when !ok
};

// Written to a temporary file in the same folder and renamed over path, so a failed export never
// leaves half a file where a good one stood.
CsvResult saveTraceCsv(const std::string& path, const float* signalMv, const float* temperatureC, int32_t n);

}  // namespace vespian
