#pragma once
// Which surface-area report the least-squares BET panel opens with from the menu: the one the
// operator selected in the list when it has a line's worth of points, else the newest committed
// report with points. The report still being built is not taken: its volumes are per gram only
// once its report dialog has computed them, and that dialog opens the panel itself.

#include <cstdint>
#include <span>

#include "files/record_database_layout.h"

namespace vespian {

// Index into the report table, or −1 when no report has two points.
int32_t betRecordForEvaluation(const ReportTable& reports, int32_t selectedRow);

// The report the operator points at in the record lists: the one whose BET page is shown, else
// the newest report ticked in the BET list; −1 when neither. `listKind` and `betDetail` are the
// list view's (2: the BET reports; betDetail ≠ 0: a report's page is shown).
int32_t listedBetRecord(const ReportTable& reports, int32_t listKind, int32_t betDetail, int32_t selectedRow);

// P/Po and volume (ml/g) of a report's points, in order.
struct BetPoints {
    int32_t count = 0;
    double relativePressure[kBetMaxPoints] = {};
    double volumeMlPerG[kBetMaxPoints] = {};
    std::span<const double> pressures() const { return {relativePressure, static_cast<size_t>(count)}; }
    std::span<const double> volumes() const { return {volumeMlPerG, static_cast<size_t>(count)}; }
};
BetPoints betPoints(const SurfaceReportRecord& record);

// The points a least-squares line starts with: those inside 0.05–0.30 P/Po when at least two
// are, else all of them.
void defaultBetChoice(const BetPoints& points, bool (&chosen)[kBetMaxPoints]);

}  // namespace vespian
