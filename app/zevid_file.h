#pragma once
// ZEvid.ini: the list column widths, the trace-view display block and the four BET
// calibration defaults. 216 bytes, little-endian, no header: 30 int32, 20 int32, 4 float32.
// Read at start, written whole at exit; the settings dialog's apply rewrites the first 200
// bytes only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

namespace vespian {

// Positions in ZEvidRecord::betCalibration, in file order.
enum BetCalibrationIndex : int {
    kBetLoopVolumeMl = 0,           // volume of the calibration loop, ml
    kBetN2TemperatureC = 1,         // N2 (loop) temperature, ℃
    kBetAdsorptionPressureKpa = 2,  // total pressure of the mixture, kPa
    kBetSaturatedPressureKpa = 3,   // N2 saturated vapour pressure Po, kPa
};

// The BET calibration defaults of a first start, in file order.
inline constexpr float kBetCalibrationDefaults[4] = {3.0f, 15.0f, 101.3f, 103.0f};

inline constexpr int kRecordListColumns = 6;    // display[1..6]
inline constexpr int kReportListColumns = 12;   // columns[1..12]

// The twelve-column list's widths, set again on every start.
inline constexpr int32_t kReportListColumnWidths[kReportListColumns] = {150, 200, 100, 80, 80, 140,
                                                                          140, 80,  120, 80, 130, 150};
// The six-column record list's widths when no ZEvid.ini has ever been written (all-zero
// widths would hide every column).
inline constexpr int32_t kRecordListColumnWidths[kRecordListColumns] = {70, 70, 100, 100, 100, 130};

struct ZEvidRecord {
    // Element 0: total width of the six-column record list; 1..6 its column widths; the rest
    // belongs to the trace view.
    int32_t display[30] = {570, 70, 70, 100, 100, 100, 130};
    // Element 0: total width of the twelve-column list; 1..12 its column widths; 13..19 kept.
    int32_t columns[20] = {1450, 150, 200, 100, 80, 80, 140, 140, 80, 120, 80, 130, 150};
    float betCalibration[4] = {kBetCalibrationDefaults[0], kBetCalibrationDefaults[1], kBetCalibrationDefaults[2],
                               kBetCalibrationDefaults[3]};
};

inline constexpr size_t kZEvidBytes = 216;
inline constexpr size_t kZEvidDisplayAndColumnsBytes = 200;
static_assert(sizeof(ZEvidRecord) == kZEvidBytes);
static_assert(std::is_trivially_copyable_v<ZEvidRecord>);
static_assert(offsetof(ZEvidRecord, display) == 0);
static_assert(offsetof(ZEvidRecord, columns) == 120);
static_assert(offsetof(ZEvidRecord, betCalibration) == kZEvidDisplayAndColumnsBytes);

inline constexpr char kZEvidFileName[] = "ZEvid.ini";
// Shown (caption "错误") when the exit-time write fails.
inline constexpr char kZEvidSaveFailedText[] = "无法保存参数到ZEvid.ini文件";

// Reads up to 216 bytes over the record; a short file leaves the part it does not reach as it
// was. When the file cannot be opened or read, the BET calibration values are set to their
// defaults, everything else stays, and the result is false.
bool readZEvid(const std::string& path, ZEvidRecord& record);

// The start-up's fixed widths of the twelve-column list: elements 1..12 and their sum 1450 in
// element 0; elements 13..19 stay.
void resetListColumns(ZEvidRecord& record);

// Element 0 of each list = the sum of its column widths (display 1..6, columns 1..12).
void recomputeListWidths(ZEvidRecord& record);

// The whole 216 bytes (at exit). False on failure, the old file then stays as it was.
bool writeZEvid(const std::string& path, const ZEvidRecord& record);

// A new file of the first 200 bytes, the display and column blocks (the settings dialog's
// apply). False on failure.
bool writeZEvidDisplayAndColumns(const std::string& path, const ZEvidRecord& record);

}  // namespace vespian
