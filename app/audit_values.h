#pragma once
// Settings as the audit trail writes their old and new values: short JSON texts, the same for
// the same settings, so a row says exactly what changed.

#include <string>

#include "files/record_database.h"
#include "files/report_letterhead.h"
#include "trace/init_data.h"

namespace vespian {

std::string peakSettingsText(const PeakSettings& peak);
std::string letterheadText(const ReportLetterhead& letterhead);

// The list's name in the audit trail ("standards", "samples", "reports") and its records now.
std::string recordListName(RecordList list);
int32_t recordCount(const RecordDatabase& database, RecordList list);

}  // namespace vespian
