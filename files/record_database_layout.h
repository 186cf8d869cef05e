#pragma once
// The three record types of the record database and their tables, byte for byte as the
// database file (.03D) holds them: little-endian, no padding, texts as NUL-terminated GBK
// fields (platform/gbk_text.h). Flags are int32: 0 false, anything else true. Note the flag
// order: `selected` precedes `in_use` in the standard and sample records and follows it in
// the report record.
//
// The records are plain data without initialisers, so whole tables can be zero-filled by the
// system and copied as blocks.

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vespian {

inline constexpr int32_t kStandardCapacity = 500;
inline constexpr int32_t kSampleCapacity = 1000;
inline constexpr int32_t kReportCapacity = 1000;

inline constexpr int32_t kStandardTraceSize = 2000;  // element 0 = stored point count
inline constexpr int32_t kSampleTraceSize = 5000;    // element 0 = stored point count
inline constexpr int32_t kBetMaxPoints = 10;

// A standard of the comparison method (标样): a sample of known specific surface area.
struct StandardRecord {
    int32_t number;
    char name[20];
    float weight_mg;
    float surface_area;  // m2/g
    int32_t peak_area;
    int32_t trace[kStandardTraceSize];  // [0] = count, then every 10th point (mV, truncated)
    int32_t measured_year;
    int32_t measured_month;
    int32_t measured_day;
    int32_t selected;
    int32_t in_use;
};

// A sample measured by the comparison method (样品).
struct SampleRecord {
    int32_t number;
    int32_t serial;  // 序号
    char name[20];
    float weight_mg;
    float surface_area;  // m2/g
    int32_t peak_area;
    float trace[kSampleTraceSize];  // [0] = count, then every 10th point (mV)
    char sending_company[31];
    char measuring_company[31];
    char sender[11];
    char measurer[11];
    char reviewer[12];
    int32_t sample_year;
    int32_t sample_month;
    int32_t sample_day;
    int32_t measured_year;
    int32_t measured_month;
    int32_t measured_day;
    int32_t selected;
    int32_t in_use;
};

// A multi-point BET report or a pore-size report.
struct SurfaceReportRecord {
    int32_t number;
    char name[20];
    float weight_mg;
    char sending_company[31];
    char measuring_company[31];
    char sender[11];
    char measurer[11];
    char reviewer[12];
    int32_t sample_year;
    int32_t sample_month;
    int32_t sample_day;
    int32_t measured_year;
    int32_t measured_month;
    int32_t measured_day;
    int32_t in_use;
    int32_t selected;
    int32_t calib_area[kBetMaxPoints];
    int32_t peak_area[kBetMaxPoints];
    int32_t point_count;
    int32_t calib_count;
    float slope;
    float intercept;
    float bet_area;          // m2/g
    float p0_kpa;            // N2 saturated vapour pressure Po
    float n2_temp_c;         // N2 (loop) temperature
    float ads_pressure_kpa;  // total pressure of the mixture
    float calib_volume_ml;   // calibration loop
    float correlation;
    int32_t pair_first;   // 0-based points that define the BET line
    int32_t pair_second;
    float volume[kBetMaxPoints];  // ml as measured; ml/g at 273 K, 101.3 kPa after ComputeBet
    float bet_y[kBetMaxPoints];   // 1/(V(Po/P − 1))
    float n2_flow[kBetMaxPoints];
    float he_flow[kBetMaxPoints];
    float rel_pressure[kBetMaxPoints];  // P/Po
};

inline constexpr size_t kStandardRecordBytes = 8056;
inline constexpr size_t kSampleRecordBytes = 20168;
inline constexpr size_t kReportRecordBytes = 484;

static_assert(std::is_trivial_v<StandardRecord> && std::is_standard_layout_v<StandardRecord>);
static_assert(sizeof(StandardRecord) == kStandardRecordBytes);
static_assert(offsetof(StandardRecord, number) == 0);
static_assert(offsetof(StandardRecord, name) == 4);
static_assert(offsetof(StandardRecord, weight_mg) == 24);
static_assert(offsetof(StandardRecord, surface_area) == 28);
static_assert(offsetof(StandardRecord, peak_area) == 32);
static_assert(offsetof(StandardRecord, trace) == 36);
static_assert(offsetof(StandardRecord, measured_year) == 8036);
static_assert(offsetof(StandardRecord, measured_month) == 8040);
static_assert(offsetof(StandardRecord, measured_day) == 8044);
static_assert(offsetof(StandardRecord, selected) == 8048);
static_assert(offsetof(StandardRecord, in_use) == 8052);
static_assert(offsetof(StandardRecord, selected) < offsetof(StandardRecord, in_use));

static_assert(std::is_trivial_v<SampleRecord> && std::is_standard_layout_v<SampleRecord>);
static_assert(sizeof(SampleRecord) == kSampleRecordBytes);
static_assert(offsetof(SampleRecord, number) == 0);
static_assert(offsetof(SampleRecord, serial) == 4);
static_assert(offsetof(SampleRecord, name) == 8);
static_assert(offsetof(SampleRecord, weight_mg) == 28);
static_assert(offsetof(SampleRecord, surface_area) == 32);
static_assert(offsetof(SampleRecord, peak_area) == 36);
static_assert(offsetof(SampleRecord, trace) == 40);
static_assert(offsetof(SampleRecord, sending_company) == 20040);
static_assert(offsetof(SampleRecord, measuring_company) == 20071);
static_assert(offsetof(SampleRecord, sender) == 20102);
static_assert(offsetof(SampleRecord, measurer) == 20113);
static_assert(offsetof(SampleRecord, reviewer) == 20124);
static_assert(offsetof(SampleRecord, sample_year) == 20136);
static_assert(offsetof(SampleRecord, sample_month) == 20140);
static_assert(offsetof(SampleRecord, sample_day) == 20144);
static_assert(offsetof(SampleRecord, measured_year) == 20148);
static_assert(offsetof(SampleRecord, measured_month) == 20152);
static_assert(offsetof(SampleRecord, measured_day) == 20156);
static_assert(offsetof(SampleRecord, selected) == 20160);
static_assert(offsetof(SampleRecord, in_use) == 20164);
static_assert(offsetof(SampleRecord, selected) < offsetof(SampleRecord, in_use));

static_assert(std::is_trivial_v<SurfaceReportRecord> && std::is_standard_layout_v<SurfaceReportRecord>);
static_assert(sizeof(SurfaceReportRecord) == kReportRecordBytes);
static_assert(offsetof(SurfaceReportRecord, number) == 0);
static_assert(offsetof(SurfaceReportRecord, name) == 4);
static_assert(offsetof(SurfaceReportRecord, weight_mg) == 24);
static_assert(offsetof(SurfaceReportRecord, sending_company) == 28);
static_assert(offsetof(SurfaceReportRecord, measuring_company) == 59);
static_assert(offsetof(SurfaceReportRecord, sender) == 90);
static_assert(offsetof(SurfaceReportRecord, measurer) == 101);
static_assert(offsetof(SurfaceReportRecord, reviewer) == 112);
static_assert(offsetof(SurfaceReportRecord, sample_year) == 124);
static_assert(offsetof(SurfaceReportRecord, sample_month) == 128);
static_assert(offsetof(SurfaceReportRecord, sample_day) == 132);
static_assert(offsetof(SurfaceReportRecord, measured_year) == 136);
static_assert(offsetof(SurfaceReportRecord, measured_month) == 140);
static_assert(offsetof(SurfaceReportRecord, measured_day) == 144);
static_assert(offsetof(SurfaceReportRecord, in_use) == 148);
static_assert(offsetof(SurfaceReportRecord, selected) == 152);
static_assert(offsetof(SurfaceReportRecord, in_use) < offsetof(SurfaceReportRecord, selected));
static_assert(offsetof(SurfaceReportRecord, calib_area) == 156);
static_assert(offsetof(SurfaceReportRecord, peak_area) == 196);
static_assert(offsetof(SurfaceReportRecord, point_count) == 236);
static_assert(offsetof(SurfaceReportRecord, calib_count) == 240);
static_assert(offsetof(SurfaceReportRecord, slope) == 244);
static_assert(offsetof(SurfaceReportRecord, intercept) == 248);
static_assert(offsetof(SurfaceReportRecord, bet_area) == 252);
static_assert(offsetof(SurfaceReportRecord, p0_kpa) == 256);
static_assert(offsetof(SurfaceReportRecord, n2_temp_c) == 260);
static_assert(offsetof(SurfaceReportRecord, ads_pressure_kpa) == 264);
static_assert(offsetof(SurfaceReportRecord, calib_volume_ml) == 268);
static_assert(offsetof(SurfaceReportRecord, correlation) == 272);
static_assert(offsetof(SurfaceReportRecord, pair_first) == 276);
static_assert(offsetof(SurfaceReportRecord, pair_second) == 280);
static_assert(offsetof(SurfaceReportRecord, volume) == 284);
static_assert(offsetof(SurfaceReportRecord, bet_y) == 324);
static_assert(offsetof(SurfaceReportRecord, n2_flow) == 364);
static_assert(offsetof(SurfaceReportRecord, he_flow) == 404);
static_assert(offsetof(SurfaceReportRecord, rel_pressure) == 444);

// A full report table: no room for another report.
inline constexpr char kDatabaseFullText[] = "当前库已存数据,请“新建”或“打开”另一个库文件";

// A table of fixed capacity: records 0 .. count − 1 are meaningful and contiguous.
template <typename Record, int32_t Capacity>
struct RecordTable {
    using RecordType = Record;
    static constexpr int32_t kCapacity = Capacity;

    int32_t count;
    Record records[Capacity];

    bool full() const { return count >= Capacity; }
};

using StandardTable = RecordTable<StandardRecord, kStandardCapacity>;
using SampleTable = RecordTable<SampleRecord, kSampleCapacity>;
using ReportTable = RecordTable<SurfaceReportRecord, kReportCapacity>;

// The four values the calibration dialog starts from, in the order of the last 16 bytes of
// ZEvid.ini. They change when a BET report is committed.
struct BetCalibrationDefaults {
    float loopVolumeMl = 3.0f;
    float n2TemperatureC = 15.0f;
    float adsorptionPressureKpa = 101.3f;
    float saturatedPressureKpa = 103.0f;

    static BetCalibrationDefaults fromArray(const float (&values)[4]) {
        return {values[0], values[1], values[2], values[3]};
    }
    void toArray(float (&values)[4]) const {
        values[0] = loopVolumeMl;
        values[1] = n2TemperatureC;
        values[2] = adsorptionPressureKpa;
        values[3] = saturatedPressureKpa;
    }
};
static_assert(sizeof(BetCalibrationDefaults) == 16);

// Which list a list operation acts on, as the main window numbers them.
enum class RecordList : int32_t { Standards = 0, Samples = 1, Reports = 2 };

}  // namespace vespian
