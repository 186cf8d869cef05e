#pragma once
// Exports of the record lists for use outside the program:
//   - "保存为文本文件": the selected samples as a fixed-column GBK text table (CR LF), each cell
//     padded with spaces to its column end counted in GBK bytes and never cut;
//   - "导出为CSV": any of the three lists as UTF-8 CSV with a byte-order mark, one header row,
//     comma-separated, quoted where a cell needs it, so a spreadsheet opens it with every
//     column in place. The selected records when some are selected, otherwise all.
// Both write through a temporary file; a failed write is reported, the old file then stays.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "files/record_database.h"
#include "files/text_file_name.h"

namespace vespian {

class Prompts;

inline constexpr int32_t kSampleExportColumns = 12;
// Where each column ends, in bytes from the start of the line (the last ends the line).
inline constexpr int32_t kSampleExportColumnEnds[kSampleExportColumns - 1] = {6, 26, 41, 58, 68, 88, 108, 118, 128,
                                                                            138, 158};
inline constexpr int32_t kSampleExportDashes = 182;

// The text file's bytes (GBK). widths[1..12] (ZEvid.ini's twelve-column widths, element 0 the
// total) say which columns are written: 0 leaves a column out, as does a missing entry.
std::string sampleListText(const SampleTable& samples, std::span<const int32_t> widths);

// CSV files (UTF-8 with BOM, CR LF).
std::string standardsCsv(const StandardTable& standards);
std::string samplesCsv(const SampleTable& samples);
std::string reportsCsv(const ReportTable& reports);

// One CSV cell: quoted when it holds a comma, a quote or a line break.
std::string csvCell(const std::string& utf8);
// One row of cells with its CR LF.
void csvRow(std::string& out, const std::vector<std::string>& cells);
// A number for a spreadsheet with its pattern: empty when it has no value.
std::string csvNumber(const char* pattern, double value);
// "2026-12-09"; empty for the all-zero date of a record that has none.
std::string csvDate(int32_t year, int32_t month, int32_t day);
// The byte-order mark a CSV file starts with, so a spreadsheet reads it as UTF-8.
inline constexpr char kCsvByteOrderMark[] = "\xEF\xBB\xBF";

// Appends ".csv" unless the name ends in it (any letter case).
std::string withCsvExtension(const std::string& name);

// "保存为文本文件": the file dialog, the replace question, the write. True when written.
bool exportSampleListWithDialog(Prompts& prompts, const SampleTable& samples,
                                std::span<const int32_t> widths, const std::string& dataFolder);

// "导出为CSV" of a list. True when written.
bool exportCsvWithDialog(Prompts& prompts, const RecordDatabase& database, RecordList list,
                         const std::string& dataFolder);

}  // namespace vespian
