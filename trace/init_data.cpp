#include "trace/init_data.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace vespian {

namespace {

namespace fs = std::filesystem;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

uint16_t lowHalf(int32_t value) { return static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFFu); }

int32_t withLowHalf(int32_t setting, uint16_t low) {
    return static_cast<int32_t>((static_cast<uint32_t>(setting) & 0xFFFF0000u) | low);
}

bool writeAll(int descriptor, const void* bytes, size_t size) {
    const auto* next = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t written = ::write(descriptor, next, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        next += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// A settings file is read-only for the program when it may not be written, or when it has no
// write permission for anyone (the read-only attribute), which the program respects even when
// it runs with the rights to ignore it.
bool mayReplace(const struct stat& existing, const fs::path& target) {
    if (S_ISDIR(existing.st_mode)) return false;
    if ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    return ::access(target.c_str(), W_OK) == 0;
}

}  // namespace

InitDataRecord initDataRecordFrom(const Settings& settings) {
    InitDataRecord record{};
    record.analysisMethod = lowHalf(settings.analysisMethod);
    record.measureMode = lowHalf(settings.measureMode);
    record.menuOption = lowHalf(settings.menuOption);
    record.reserved6 = lowHalf(settings.reserved6);
    record.adsorptionMinutes = lowHalf(settings.peak.adsorptionMinutes);
    record.desorbIntervalMinutes = lowHalf(settings.peak.desorbIntervalMinutes);
    record.autoDesorb = lowHalf(settings.peak.autoDesorb);
    record.autoZero = lowHalf(settings.peak.autoZero);
    record.desorbAfterPeak = lowHalf(settings.peak.desorbAfterPeak);
    for (int i = 0; i < 6; ++i) record.carrierGas1to6[i] = settings.carrierGas[i];
    record.carrierGas7 = lowHalf(settings.carrierGas[6]);
    record.sampleValue1 = settings.sampleValue[0];
    for (int i = 0; i < 3; ++i) record.sampleValue2to4[i] = lowHalf(settings.sampleValue[1 + i]);
    std::memcpy(record.sampleText, settings.sampleText, sizeof record.sampleText);
    record.sampleValue5 = settings.sampleValue[4];

    const SampleInfo& sample = settings.sample;
    record.sampleNumber = lowHalf(sample.number);
    std::memcpy(record.sampleName, sample.name, sizeof record.sampleName);
    record.sampleWeightMg = sample.weightMg;
    std::memcpy(record.sendingCompany, sample.sendingCompany, sizeof record.sendingCompany);
    std::memcpy(record.sender, sample.sender, sizeof record.sender);
    std::memcpy(record.measuringCompany, sample.measuringCompany, sizeof record.measuringCompany);
    std::memcpy(record.measurer, sample.measurer, sizeof record.measurer);
    std::memcpy(record.reviewer, sample.reviewer, sizeof record.reviewer);
    for (int i = 0; i < 3; ++i) record.sampleDate[i] = lowHalf(sample.sampleDate[i]);

    record.minWidth = settings.peak.minWidth;
    record.maxWidth = settings.peak.maxWidth;
    record.minHeightUv = settings.peak.minHeightUv;
    record.startSlopeUv = settings.peak.startSlopeUv;
    record.endSlopeUv = settings.peak.endSlopeUv;
    record.backgroundColour = settings.backgroundColour;
    record.traceColour = settings.traceColour;
    record.reserved223 = lowHalf(settings.reserved223);
    record.timeRangeS = settings.timeRangeS;
    record.voltRangeUv = settings.voltRangeUv;
    record.xZoom = settings.xZoom;
    record.yZoom = settings.yZoom;
    record.vScroll = settings.vScroll;
    record.viewScroll = settings.viewScroll;
    record.poreRecordScroll = settings.poreRecordScroll;
    for (int i = 0; i < 6; ++i) record.listScroll[i] = settings.listScroll[i];
    return record;
}

void applyInitDataRecord(const InitDataRecord& record, Settings& settings) {
    settings.analysisMethod = withLowHalf(settings.analysisMethod, record.analysisMethod);
    settings.measureMode = withLowHalf(settings.measureMode, record.measureMode);
    settings.menuOption = withLowHalf(settings.menuOption, record.menuOption);
    settings.reserved6 = withLowHalf(settings.reserved6, record.reserved6);
    PeakSettings& peak = settings.peak;
    peak.adsorptionMinutes = withLowHalf(peak.adsorptionMinutes, record.adsorptionMinutes);
    peak.desorbIntervalMinutes = withLowHalf(peak.desorbIntervalMinutes, record.desorbIntervalMinutes);
    peak.autoDesorb = withLowHalf(peak.autoDesorb, record.autoDesorb);
    peak.autoZero = withLowHalf(peak.autoZero, record.autoZero);
    peak.desorbAfterPeak = withLowHalf(peak.desorbAfterPeak, record.desorbAfterPeak);
    for (int i = 0; i < 6; ++i) settings.carrierGas[i] = record.carrierGas1to6[i];
    settings.carrierGas[6] = withLowHalf(settings.carrierGas[6], record.carrierGas7);
    settings.sampleValue[0] = record.sampleValue1;
    for (int i = 0; i < 3; ++i) settings.sampleValue[1 + i] = withLowHalf(settings.sampleValue[1 + i], record.sampleValue2to4[i]);
    std::memcpy(settings.sampleText, record.sampleText, sizeof settings.sampleText);
    settings.sampleValue[4] = record.sampleValue5;

    SampleInfo& sample = settings.sample;
    sample.number = withLowHalf(sample.number, record.sampleNumber);
    std::memcpy(sample.name, record.sampleName, sizeof sample.name);
    sample.weightMg = record.sampleWeightMg;
    std::memcpy(sample.sendingCompany, record.sendingCompany, sizeof sample.sendingCompany);
    std::memcpy(sample.sender, record.sender, sizeof sample.sender);
    std::memcpy(sample.measuringCompany, record.measuringCompany, sizeof sample.measuringCompany);
    std::memcpy(sample.measurer, record.measurer, sizeof sample.measurer);
    std::memcpy(sample.reviewer, record.reviewer, sizeof sample.reviewer);
    for (int i = 0; i < 3; ++i) sample.sampleDate[i] = withLowHalf(sample.sampleDate[i], record.sampleDate[i]);

    peak.minWidth = record.minWidth;
    peak.maxWidth = record.maxWidth;
    peak.minHeightUv = record.minHeightUv;
    peak.startSlopeUv = record.startSlopeUv;
    peak.endSlopeUv = record.endSlopeUv;
    settings.backgroundColour = record.backgroundColour;
    settings.traceColour = record.traceColour;
    settings.reserved223 = withLowHalf(settings.reserved223, record.reserved223);
    settings.timeRangeS = record.timeRangeS;
    settings.voltRangeUv = record.voltRangeUv;
    settings.xZoom = record.xZoom;
    settings.yZoom = record.yZoom;
    settings.vScroll = record.vScroll;
    settings.viewScroll = record.viewScroll;
    settings.poreRecordScroll = record.poreRecordScroll;
    for (int i = 0; i < 6; ++i) settings.listScroll[i] = record.listScroll[i];
}

bool readInitData(const std::string& path, Settings& settings) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    unsigned char bytes[kInitDataBytes];
    const size_t read = std::fread(bytes, 1, sizeof bytes, file.get());
    if (std::ferror(file.get())) return false;  // e.g. a folder of that name

    // The bytes the file does not reach keep the current settings.
    InitDataRecord record = initDataRecordFrom(settings);
    std::memcpy(&record, bytes, read);
    applyInitDataRecord(record, settings);
    return true;
}

bool writeInitData(const std::string& path, const Settings& settings) {
    const InitDataRecord record = initDataRecordFrom(settings);
    return writeSettingsFile(path, &record, sizeof record);
}

bool writeSettingsFile(const std::string& path, const void* bytes, size_t size) {
    std::error_code error;
    fs::path target(path);
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        target = fs::weakly_canonical(target, error);
        if (error) return false;
    }

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !mayReplace(existing, target)) return false;

    fs::path temporary = target;
    temporary += ".tmp-" + std::to_string(::getpid());
    ::unlink(temporary.c_str());  // a leftover of an interrupted run
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return false;

    bool ok = writeAll(descriptor, bytes, size);
    if (ok && exists) ok = ::fchmod(descriptor, existing.st_mode & 07777) == 0;
    if (ok) ok = ::fsync(descriptor) == 0;
    if (::close(descriptor) != 0) ok = false;
    if (ok) ok = ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

}  // namespace vespian
