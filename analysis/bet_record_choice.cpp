#include "analysis/bet_record_choice.h"

#include <algorithm>

#include "analysis/bet.h"
#include "analysis/bet_least_squares.h"

namespace vespian {

int32_t betRecordForEvaluation(const ReportTable& reports, int32_t selectedRow) {
    const int32_t count = reports.count;
    auto usable = [&](int32_t i) {
        return i >= 0 && i < kReportCapacity && i < count && betPointCount(reports.records[i]) >= 2;
    };
    if (usable(selectedRow)) return selectedRow;
    for (int32_t i = std::min(count, kReportCapacity) - 1; i >= 0; --i) {
        if (usable(i)) return i;
    }
    return -1;
}

int32_t listedBetRecord(const ReportTable& reports, int32_t listKind, int32_t betDetail, int32_t selectedRow) {
    constexpr int32_t kBetReportList = 2;
    const int32_t count = std::min(reports.count, kReportCapacity);
    if (listKind == kBetReportList && betDetail != 0 && selectedRow >= 0 && selectedRow < count) return selectedRow;
    for (int32_t i = count - 1; i >= 0; --i) {
        if (reports.records[i].selected != 0) return i;
    }
    return -1;
}

BetPoints betPoints(const SurfaceReportRecord& record) {
    BetPoints points;
    points.count = betPointCount(record);
    for (int32_t k = 0; k < points.count; ++k) {
        points.relativePressure[k] = record.rel_pressure[k];
        points.volumeMlPerG[k] = record.volume[k];
    }
    return points;
}

void defaultBetChoice(const BetPoints& points, bool (&chosen)[kBetMaxPoints]) {
    int32_t inside = 0;
    for (int32_t k = 0; k < kBetMaxPoints; ++k) {
        const double x = points.relativePressure[k];
        chosen[k] = k < points.count && x >= kBetRangeLow && x <= kBetRangeHigh;
        inside += chosen[k] ? 1 : 0;
    }
    if (inside >= 2) return;
    for (int32_t k = 0; k < kBetMaxPoints; ++k) chosen[k] = k < points.count;
}

}  // namespace vespian
