#include "files/record_database.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "platform/replace_file.h"
#include "platform/saved_files.h"

namespace vespian {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string quoted(const std::string& path, const std::string& after) { return "‘" + path + "’" + after; }

std::string notDatabase(const std::string& path, const std::string& why) {
    return quoted(path, "不是数据库文件：" + why);
}

template <typename Table>
bool readBlock(std::FILE* file, Table& table, int32_t count) {
    const size_t n = static_cast<size_t>(count);
    return n == 0 || std::fread(table.records, sizeof(typename Table::RecordType), n, file) == n;
}

template <typename Table>
bool writeRecords(std::FILE* file, const Table& table) {
    return writeBlock(file, table.records, sizeof(typename Table::RecordType) * static_cast<size_t>(table.count));
}

// Counts as they stand in memory must never write beyond the tables.
template <typename Table>
bool countInRange(const Table& table) {
    return table.count >= 0 && table.count <= Table::kCapacity;
}

}  // namespace

// ---- RecordDatabase ---------------------------------------------------------------------

void RecordDatabase::Free::operator()(DatabaseTables* tables) const { std::free(tables); }

RecordDatabase::TablesPtr RecordDatabase::allocateTables() {
    // calloc of a block this size maps fresh zero pages: nothing is touched until used.
    return TablesPtr(static_cast<DatabaseTables*>(std::calloc(1, sizeof(DatabaseTables))));
}

RecordDatabase::RecordDatabase() : tables_(allocateTables()) {
    if (!tables_) throw std::bad_alloc();
}

bool RecordDatabase::empty() const {
    return tables_->standards.count == 0 && tables_->samples.count == 0 && tables_->reports.count == 0;
}

SurfaceReportRecord* recordUnderConstruction(ReportTable& reports) {
    if (reports.count < 0 || reports.count >= kReportCapacity) return nullptr;
    return &reports.records[reports.count];
}

void emptyDatabase(RecordDatabase& database) {
    deleteAll(database.standards());
    deleteAll(database.samples());
    deleteAll(database.reports());
}

// ---- File -------------------------------------------------------------------------------

uint64_t databaseFileBytes(int32_t standards, int32_t samples, int32_t reports) {
    return kDatabaseHeaderBytes + uint64_t(standards) * kStandardRecordBytes + uint64_t(samples) * kSampleRecordBytes +
           uint64_t(reports) * kReportRecordBytes;
}

DatabaseFileResult loadDatabase(const std::string& path, RecordDatabase& database) {
    File file(std::fopen(path.c_str(), "rb"));
    struct stat info {};
    if (!file || ::fstat(::fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {false, false, quoted(path, "文件无法打开")};
    }
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    if (size < kNewDatabaseBytes) return {false, true, notDatabase(path, "文件太短")};

    // The new-database file holds only 10 of the 12 header bytes; the rest reads as zero.
    unsigned char header[kDatabaseHeaderBytes] = {};
    const size_t headerBytes = static_cast<size_t>(std::min<uint64_t>(size, kDatabaseHeaderBytes));
    if (std::fread(header, 1, headerBytes, file.get()) != headerBytes) {
        return {false, true, quoted(path, "文件无法读取")};
    }
    int32_t counts[3];
    std::memcpy(counts, header, sizeof counts);
    const int32_t capacities[3] = {kStandardCapacity, kSampleCapacity, kReportCapacity};
    const char* names[3] = {"标样", "样品", "报告"};
    for (int t = 0; t < 3; ++t) {
        if (counts[t] < 0 || counts[t] > capacities[t]) {
            return {false, true,
                    notDatabase(path, std::string(names[t]) + "记录数" + std::to_string(counts[t]) + "超出范围(0-" +
                                          std::to_string(capacities[t]) + ")")};
        }
    }
    const bool noRecords = counts[0] == 0 && counts[1] == 0 && counts[2] == 0;
    const uint64_t expected = databaseFileBytes(counts[0], counts[1], counts[2]);
    if (size != expected && !(noRecords && size == kNewDatabaseBytes)) {
        return {false, true,
                notDatabase(path, "文件长度" + std::to_string(size) + "字节与记录数不符(应为" +
                                      std::to_string(expected) + "字节)")};
    }

    // Read aside, so a read that fails half way leaves the tables as they were.
    RecordDatabase::TablesPtr loaded = RecordDatabase::allocateTables();
    if (!loaded) return {false, true, quoted(path, "文件太大,内存不足")};
    loaded->standards.count = counts[0];
    loaded->samples.count = counts[1];
    loaded->reports.count = counts[2];
    if (!readBlock(file.get(), loaded->standards, counts[0]) || !readBlock(file.get(), loaded->samples, counts[1]) ||
        !readBlock(file.get(), loaded->reports, counts[2])) {
        return {false, true, quoted(path, "文件无法读取")};
    }

    // The calibrations and points of a BET measurement in progress go on in the loaded database.
    if (const SurfaceReportRecord* pending = recordUnderConstruction(database.reports())) {
        if (SurfaceReportRecord* slot = recordUnderConstruction(loaded->reports)) *slot = *pending;
    }
    database.swapTables(loaded);
    return {true, true, {}};
}

DatabaseFileResult saveDatabase(const std::string& path, const RecordDatabase& database,
                                const std::function<void()>& afterBlock) {
    const DatabaseTables& t = database.tables();
    if (!countInRange(t.standards) || !countInRange(t.samples) || !countInRange(t.reports)) {
        return {false, false, kDatabaseWriteFailedText};
    }
    const ReplaceFileStatus status = replaceFile(path, [&](std::FILE* file) {
        const int32_t counts[3] = {t.standards.count, t.samples.count, t.reports.count};
        if (!writeBlock(file, counts, sizeof counts) || !writeRecords(file, t.standards)) return false;
        if (afterBlock) afterBlock();
        if (!writeRecords(file, t.samples)) return false;
        if (afterBlock) afterBlock();
        if (!writeRecords(file, t.reports)) return false;
        if (afterBlock) afterBlock();
        return true;
    });
    switch (status) {
    case ReplaceFileStatus::Ok:
        fileSaved(SavedFileKind::Database, path);
        return {true, true, {}};
    case ReplaceFileStatus::WriteFailed: return {false, true, kDatabaseWriteFailedText};
    case ReplaceFileStatus::CannotCreate:
    case ReplaceFileStatus::CannotReplace: break;
    }
    return {false, false, kDatabaseSaveFailedText};
}

bool createEmptyDatabase(const std::string& path) {
    return replaceFile(path, [](std::FILE* file) {
               const uint16_t zero = 0;
               for (int i = 0; i < 5; ++i) {
                   if (!writeBlock(file, &zero, sizeof zero)) return false;
               }
               return true;
           }) == ReplaceFileStatus::Ok;
}

std::array<uint16_t, 5> readDatabaseHeaderWords(const std::string& path) {
    std::array<uint16_t, 5> words{};
    File file(std::fopen(path.c_str(), "rb"));
    struct stat info {};
    if (!file || ::fstat(::fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) return words;
    unsigned char bytes[10] = {};
    const size_t got = std::fread(bytes, 1, sizeof bytes, file.get());
    std::memcpy(words.data(), bytes, std::min(got, sizeof bytes) / 2 * 2);
    return words;
}

std::string withDatabaseExtension(const std::string& name) {
    const size_t n = sizeof kDatabaseExtension - 1;
    if (name.size() >= n) {
        std::string tail = name.substr(name.size() - n);
        std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::toupper(c); });
        if (tail == kDatabaseExtension) return name;
    }
    return name + kDatabaseExtension;
}

std::string databaseTitleOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace vespian
