#pragma once
// The record database: the standard, sample and report tables, and their file (.03D), a plain
// dump of the three tables without header or version:
//
//   int32 S, int32 M, int32 R, S × 8056-byte standards, M × 20168-byte samples,
//   R × 484-byte reports.
//
// A newly created database file is 10 zero bytes and reads as three empty tables.
//
// The report table's slot at index `count` is the BET record under construction (calibrations
// and points gathered before the report is committed). Deleting and clearing records keep
// that slot with the table, and leave every vacated slot all zero, so a new measurement never
// starts on the leftovers of a deleted report.

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "files/record_database_layout.h"

namespace vespian {

inline constexpr char kDatabaseExtension[] = ".03D";
inline constexpr char kDatabaseFilter[] = "Vespian2002 file (*.03D)";
inline constexpr char kDatabasePattern[] = "*.03D";
inline constexpr char kDatabaseSaveFailedText[] = "无法打开数据库文件,其组件可能已经丢失!!!";
inline constexpr char kDatabaseWriteFailedText[] = "数据库文件写入失败,原来的数据库文件保持不变!!!";
inline constexpr size_t kDatabaseHeaderBytes = 12;
inline constexpr size_t kNewDatabaseBytes = 10;

struct DatabaseTables {
    StandardTable standards;
    SampleTable samples;
    ReportTable reports;
};

inline constexpr uint64_t kFullDatabaseBytes = kDatabaseHeaderBytes +
                                               uint64_t{kStandardCapacity} * kStandardRecordBytes +
                                               uint64_t{kSampleCapacity} * kSampleRecordBytes +
                                               uint64_t{kReportCapacity} * kReportRecordBytes;
static_assert(kFullDatabaseBytes == 24'680'012);

// The three tables, allocated once and zero-filled by the system as they are touched.
class RecordDatabase {
public:
    RecordDatabase();
    RecordDatabase(const RecordDatabase&) = delete;
    RecordDatabase& operator=(const RecordDatabase&) = delete;

    DatabaseTables& tables() { return *tables_; }
    const DatabaseTables& tables() const { return *tables_; }
    StandardTable& standards() { return tables_->standards; }
    const StandardTable& standards() const { return tables_->standards; }
    SampleTable& samples() { return tables_->samples; }
    const SampleTable& samples() const { return tables_->samples; }
    ReportTable& reports() { return tables_->reports; }
    const ReportTable& reports() const { return tables_->reports; }

    // True when no table holds a record.
    bool empty() const;

    struct Free {
        void operator()(DatabaseTables* tables) const;
    };
    using TablesPtr = std::unique_ptr<DatabaseTables, Free>;
    // Zero-filled tables of the system's lazily filled pages; nullptr when memory is short.
    static TablesPtr allocateTables();
    // Takes `other` as the tables; the previous ones are handed back in it.
    void swapTables(TablesPtr& other) { tables_.swap(other); }

private:
    TablesPtr tables_;
};

struct DatabaseFileResult {
    bool ok = false;
    bool opened = false;  // false: no file to read there (a folder, a missing file)
    std::string message;  // for the operator (UTF-8); empty when ok
};

// Size of a database file holding these counts.
uint64_t databaseFileBytes(int32_t standards, int32_t samples, int32_t reports);

// Reads the file into the tables. The file is checked before anything changes: counts within
// 0..500 / 0..1000 / 0..1000 and a length that matches them exactly (the 10-byte new database
// too). A refused or unreadable file leaves the tables exactly as they were. The BET record
// under construction is carried over into the loaded report table.
DatabaseFileResult loadDatabase(const std::string& path, RecordDatabase& database);

// Writes the tables through a temporary file renamed over the target; `afterBlock` is called
// after each of the three record blocks (the progress bar's three steps).
DatabaseFileResult saveDatabase(const std::string& path, const RecordDatabase& database,
                                const std::function<void()>& afterBlock = {});

// A new, empty database file: 10 zero bytes. False when it cannot be written.
bool createEmptyDatabase(const std::string& path);

// The first five 16-bit values of the file (the splash window's progress total counts them);
// zeros for what cannot be read.
std::array<uint16_t, 5> readDatabaseHeaderWords(const std::string& path);

// Appends ".03D" unless the name already ends in it (in any letter case).
std::string withDatabaseExtension(const std::string& name);

// The file title: the last component of the path.
std::string databaseTitleOf(const std::string& path);

// ---- Record operations ------------------------------------------------------------------

template <typename Table>
int32_t countSelectedInUse(const Table& table) {
    int32_t n = 0;
    for (int32_t i = 0; i < table.count; ++i) {
        if (table.records[i].in_use != 0 && table.records[i].selected != 0) ++n;
    }
    return n;
}

// Removes record i: the later records, and the record under construction behind them, move
// down one place as a whole; record numbers stay as they are. Nothing when i is not a record.
template <typename Table>
void deleteRecord(Table& table, int32_t i) {
    using Record = typename Table::RecordType;
    if (i < 0 || i >= table.count) return;
    const int32_t last = table.count < Table::kCapacity ? table.count : Table::kCapacity - 1;
    std::memmove(&table.records[i], &table.records[i + 1], sizeof(Record) * static_cast<size_t>(last - i));
    std::memset(&table.records[last], 0, sizeof(Record));
    table.count -= 1;
    table.records[table.count].selected = 0;
    table.records[table.count].in_use = 0;
}

// Deletes every selected record, calling afterDelete after each; returns how many.
template <typename Table>
int32_t deleteSelected(Table& table, const std::function<void()>& afterDelete = {}) {
    int32_t deleted = 0;
    int32_t i = 0;
    while (i < table.count) {
        if (table.records[i].selected != 0) {
            deleteRecord(table, i);
            ++deleted;
            if (afterDelete) afterDelete();
        } else {
            ++i;
        }
    }
    return deleted;
}

// Empties the table; the record under construction becomes slot 0.
template <typename Table>
void deleteAll(Table& table) {
    using Record = typename Table::RecordType;
    const int32_t used = table.count < 0 ? 0 : (table.count > Table::kCapacity ? Table::kCapacity : table.count);
    if (used == 0) {
        table.count = 0;
        return;
    }
    if (used < Table::kCapacity) {
        std::memcpy(&table.records[0], &table.records[used], sizeof(Record));
        std::memset(&table.records[1], 0, sizeof(Record) * static_cast<size_t>(used));
    } else {
        std::memset(&table.records[0], 0, sizeof(Record) * static_cast<size_t>(used));
    }
    table.count = 0;
}

// "新建": all three tables emptied.
void emptyDatabase(RecordDatabase& database);

// The BET record under construction: the report slot at index count; nullptr when the report
// table is full and there is no such slot.
SurfaceReportRecord* recordUnderConstruction(ReportTable& reports);

}  // namespace vespian
