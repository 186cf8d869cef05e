#include "app/zevid_file.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "trace/init_data.h"

namespace vespian {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Widths come from a file; a corrupt one must not overflow the sum, it merely wraps.
int32_t sum(const int32_t* widths, int count) {
    uint32_t total = 0;
    for (int i = 0; i < count; ++i) total += static_cast<uint32_t>(widths[i]);
    return static_cast<int32_t>(total);
}

void setBetCalibrationDefaults(ZEvidRecord& record) {
    for (int i = 0; i < 4; ++i) record.betCalibration[i] = kBetCalibrationDefaults[i];
}

}  // namespace

bool readZEvid(const std::string& path, ZEvidRecord& record) {
    File file(std::fopen(path.c_str(), "rb"));
    unsigned char bytes[kZEvidBytes];
    size_t read = 0;
    if (file) read = std::fread(bytes, 1, sizeof bytes, file.get());
    if (!file || std::ferror(file.get())) {
        setBetCalibrationDefaults(record);
        return false;
    }
    std::memcpy(&record, bytes, read);
    return true;
}

void resetListColumns(ZEvidRecord& record) {
    for (int i = 0; i < kReportListColumns; ++i) record.columns[1 + i] = kReportListColumnWidths[i];
    record.columns[0] = sum(kReportListColumnWidths, kReportListColumns);
}

void recomputeListWidths(ZEvidRecord& record) {
    record.display[0] = sum(record.display + 1, kRecordListColumns);
    record.columns[0] = sum(record.columns + 1, kReportListColumns);
}

bool writeZEvid(const std::string& path, const ZEvidRecord& record) {
    return writeSettingsFile(path, &record, kZEvidBytes);
}

bool writeZEvidDisplayAndColumns(const std::string& path, const ZEvidRecord& record) {
    return writeSettingsFile(path, &record, kZEvidDisplayAndColumnsBytes);
}

}  // namespace vespian
