#include "analysis/pore_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/fingerprint.h"
#include "platform/replace_file.h"

namespace vespian {

namespace {

struct CloseFile {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, CloseFile>;

int32_t pointCount(const PoreTable& table) { return std::clamp(table.count, 0, kPorePointCapacity); }

PoreFilePoint pointOf(const PoreTable& t, int32_t i) {
    PoreFilePoint p{};
    p.poreSize = t.poreSize[i];
    p.thickness = t.thickness[i];
    p.saturatedPressure = t.saturatedPressure[i];
    p.relativePressure = t.relativePressure[i];
    p.n2Flow = t.n2Flow[i];
    p.mixedFlow = t.mixedFlow[i];
    p.distribution = t.distribution[i];
    p.atmosphericPressure = t.atmosphericPressure[i];
    p.weight = t.weight[i];
    p.adsorbed = t.adsorbed[i];
    p.peakArea = t.peakArea[i];
    std::memcpy(p.trace, t.trace[i], sizeof p.trace);
    return p;
}

void storePoint(PoreTable& t, int32_t i, const PoreFilePoint& p) {
    t.poreSize[i] = p.poreSize;
    t.thickness[i] = p.thickness;
    t.saturatedPressure[i] = p.saturatedPressure;
    t.relativePressure[i] = p.relativePressure;
    t.n2Flow[i] = p.n2Flow;
    t.mixedFlow[i] = p.mixedFlow;
    t.distribution[i] = p.distribution;
    t.atmosphericPressure[i] = p.atmosphericPressure;
    t.weight[i] = p.weight;
    t.adsorbed[i] = p.adsorbed;
    t.peakArea[i] = p.peakArea;
    std::memcpy(t.trace[i], p.trace, sizeof p.trace);
}

PoreFileHeader headerOf(const PoreTable& table) {
    PoreFileHeader h{};
    std::memcpy(h.magic, kPoreFileMagic, sizeof h.magic);
    h.version = kPoreFileVersion;
    h.count = pointCount(table);
    h.current = h.count > 0 ? std::clamp(table.current, 0, h.count - 1) : 0;
    h.deadVolumeCount = table.deadVolumeCount;
    h.pointBytes = sizeof(PoreFilePoint);
    return h;
}

PoreFileResult refused(const std::string& path, const std::string& why) {
    return {false, true, "‘" + path + "’不是可用的孔径数据文件(" + why + "),孔径数据未读入。"};
}

}  // namespace

std::string poreFilePath(const std::string& databasePath) { return databasePath + kPoreFileSuffix; }

PoreFileResult loadPorePoints(const std::string& databasePath, PoreTable& table) {
    const std::string path = poreFilePath(databasePath);
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        clearPorePoints(table);
        clearDeadVolumes(table);
        return {true, false, {}};
    }
    File file(S_ISREG(info.st_mode) ? std::fopen(path.c_str(), "rb") : nullptr);
    if (!file) return {false, true, "‘" + path + "’文件无法打开,孔径数据未读入。"};
    PoreFileHeader h{};
    if (std::fread(&h, sizeof h, 1, file.get()) != 1) return refused(path, "文件太短");
    if (std::memcmp(h.magic, kPoreFileMagic, sizeof h.magic) != 0) return refused(path, "文件标识不符");
    if (h.version != kPoreFileVersion || h.pointBytes != sizeof(PoreFilePoint)) return refused(path, "版本不符");
    if (h.count < 0 || h.count > kPorePointCapacity) return refused(path, "点数超出范围(0-200)");
    const uint64_t expected = sizeof h + uint64_t(h.count) * sizeof(PoreFilePoint);
    if (static_cast<uint64_t>(info.st_size) != expected) return refused(path, "文件长度与点数不符");

    // Read aside, so a file that fails half way leaves the table as it was.
    std::vector<PoreFilePoint> points(static_cast<size_t>(h.count));
    if (!points.empty() && std::fread(points.data(), sizeof(PoreFilePoint), points.size(), file.get()) != points.size()) {
        return refused(path, "文件无法读取");
    }
    for (const PoreFilePoint& p : points) {
        if (p.trace[0] < 0 || p.trace[0] > kPoreTraceSize - 1) return refused(path, "谱图点数超出范围");
    }
    for (int32_t i = 0; i < h.count; ++i) storePoint(table, i, points[static_cast<size_t>(i)]);
    table.count = h.count;
    table.current = h.count > 0 ? std::clamp(h.current, 0, h.count - 1) : 0;
    table.deadVolumeCount = std::max(h.deadVolumeCount, 0);
    return {true, true, {}};
}

PoreFileResult savePorePoints(const std::string& databasePath, const PoreTable& table) {
    const std::string path = poreFilePath(databasePath);
    const PoreFileHeader h = headerOf(table);
    const ReplaceFileStatus status = replaceFile(path, [&](std::FILE* out) {
        if (!writeBlock(out, &h, sizeof h)) return false;
        for (int32_t i = 0; i < h.count; ++i) {
            const PoreFilePoint p = pointOf(table, i);
            if (!writeBlock(out, &p, sizeof p)) return false;
        }
        return true;
    });
    if (status == ReplaceFileStatus::Ok) return {true, true, {}};
    return {false, true, "孔径数据文件‘" + path + "’写入失败,原来的文件保持不变。"};
}

uint64_t porePointsFingerprint(const PoreTable& table) {
    const PoreFileHeader h = headerOf(table);
    uint64_t f = fingerprintOf(kFingerprintStart, h);
    for (int32_t i = 0; i < h.count; ++i) f = fingerprintOf(f, pointOf(table, i));
    return f;
}

}  // namespace vespian
