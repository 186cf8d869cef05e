#pragma once
// Settings as the audit trail writes their old and new values: short JSON texts, the same for
// the same settings, so a row says exactly what changed.

#include <string>

#include "control/gas_table.h"
#include "files/record_database.h"
#include "files/report_letterhead.h"
#include "trace/init_data.h"

namespace vespian {

std::string peakSettingsText(const PeakSettings& peak);
std::string letterheadText(const ReportLetterhead& letterhead);
// A BET record's calibration: the loop, the pressures and its calibration areas and flows, every
// point of it, so a stored calibration shows which point it added.
std::string calibrationText(const SurfaceReportRecord& record);
// The four flow channels: gas and setpoint of each.
std::string flowChannelsText(const FlowChannels& flows);

// The list's name in the audit trail ("standards", "samples", "reports") and its records now.
std::string recordListName(RecordList list);
int32_t recordCount(const RecordDatabase& database, RecordList list);

}  // namespace vespian
