#pragma once
// CSV of what the report windows show beyond the lists: the measured points of a BET report
// (relative pressure, adsorbed volume, the BET ordinate, the two flows), one row per point, in
// the list exports' form (UTF-8 with a byte-order mark, CR LF, a cell without a value empty).

#include <string>

#include "files/record_database_layout.h"

namespace vespian {

std::string betPointsCsv(const SurfaceReportRecord& record);

}  // namespace vespian
