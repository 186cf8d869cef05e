#pragma once
// The record database's printed pages written as PDF documents, without the print dialogs.

#include <string>

#include "analysis/pore.h"
#include "analysis/sample_identity.h"
#include "files/record_database.h"
#include "platform/desktop/export_actions.h"

namespace vespian {

// The record list as printed ("打印" of the active list, one copy, without the dialogs): the
// selected samples' pages under `header`, or the selected BET pages. A list with nothing
// selected has no page, and says so.
bool exportListPdf(Prompts& prompts, const ExportPlace& place, const RecordDatabase& database, RecordList active,
                   const std::string& header, const CalendarDate& today, const PoreTable* pores = nullptr);

// One report's page as printed (the report dialog, the page of the list view): a pore report's
// distribution when the pore points are given, else the BET page.
bool exportBetPagePdf(Prompts& prompts, const ExportPlace& place, const SurfaceReportRecord& record,
                      const PoreTable* pores = nullptr);

}  // namespace vespian
