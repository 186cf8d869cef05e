#pragma once
// The recognised peaks of a measurement: up to 100 records, each with its integrated area and
// every 10th signal value of its stretch. The calibration and BET-point dialogs read the first
// record and empty the table when they close.

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vespian {

inline constexpr int32_t kPeakTableCapacity = 100;
inline constexpr int32_t kPeakRecordPoints = 4999;

struct PeakRecord {
    int32_t area = 0;              // µV-block units of the integration
    float storedPointCount = 0.0f;  // entries of points
    float points[kPeakRecordPoints] = {};  // every 10th signal value (mV) from the peak's start
};

static_assert(std::is_trivially_copyable_v<PeakRecord>);
static_assert(sizeof(PeakRecord) == 20004);
static_assert(offsetof(PeakRecord, area) == 0);
static_assert(offsetof(PeakRecord, storedPointCount) == 4);
static_assert(offsetof(PeakRecord, points) == 8);

struct PeakTable {
    int32_t count = 0;  // 0 .. 100
    PeakRecord records[kPeakTableCapacity];

    bool full() const { return count >= kPeakTableCapacity; }
    void clear() { count = 0; }
};

}  // namespace vespian
