#pragma once
// The pore points kept with a record database: a file of their own beside the ".03D" file
// (its name with ".pores" appended), so the database file keeps its layout byte for byte and
// the points measured with it come back when it is opened again.
//
// Layout (little-endian): a 32-byte header (the magic "VSPPORES", version 1, point count,
// current point, dead-volume count, the size of one point and 8 bytes kept zero), then one
// 8044-byte record per point: ten float32 values, the int32 peak area and the int32[2000]
// picture (element 0 = stored count). A missing file is a database without pore points.

#include <cstddef>
#include <cstdint>
#include <string>

#include "analysis/pore.h"

namespace vespian {

inline constexpr char kPoreFileSuffix[] = ".pores";
inline constexpr char kPoreFileMagic[8] = {'V', 'S', 'P', 'P', 'O', 'R', 'E', 'S'};
inline constexpr uint32_t kPoreFileVersion = 1;

struct PoreFileHeader {
    char magic[8];
    uint32_t version;
    int32_t count;
    int32_t current;
    int32_t deadVolumeCount;
    uint32_t pointBytes;
    uint32_t reserved;
};
static_assert(sizeof(PoreFileHeader) == 32);
static_assert(offsetof(PoreFileHeader, count) == 12);
static_assert(offsetof(PoreFileHeader, pointBytes) == 24);

struct PoreFilePoint {
    float poreSize;
    float thickness;
    float saturatedPressure;
    float relativePressure;
    float n2Flow;
    float mixedFlow;
    float distribution;
    float atmosphericPressure;
    float weight;
    float adsorbed;
    int32_t peakArea;
    int32_t trace[kPoreTraceSize];
};
static_assert(sizeof(PoreFilePoint) == 8044);
static_assert(offsetof(PoreFilePoint, peakArea) == 40);
static_assert(offsetof(PoreFilePoint, trace) == 44);

// The side file of the database at `databasePath`.
std::string poreFilePath(const std::string& databasePath);

struct PoreFileResult {
    bool ok = false;
    bool found = false;   // false: there is no side file (a database without pore points)
    std::string message;  // for the operator (UTF-8); empty when ok
};

// Reads the points of the database at `databasePath` into the table. No side file: an empty
// table, ok. A file that is not a pore file of this layout, claims more than 200 points or
// holds fewer bytes than it claims is refused with a message and leaves the table as it was.
PoreFileResult loadPorePoints(const std::string& databasePath, PoreTable& table);

// Writes the points beside the database (through a temporary file renamed over the old one).
PoreFileResult savePorePoints(const std::string& databasePath, const PoreTable& table);

// A value that changes whenever what savePorePoints would write changes.
uint64_t porePointsFingerprint(const PoreTable& table);

}  // namespace vespian
