#include "app/audit_values.h"

#include <nlohmann/json.hpp>

namespace vespian {

std::string peakSettingsText(const PeakSettings& p) {
    const nlohmann::ordered_json json = {
        {"min_width", p.minWidth},           {"max_width", p.maxWidth},
        {"min_height_uV", p.minHeightUv},    {"start_slope_uV", p.startSlopeUv},
        {"end_slope_uV", p.endSlopeUv},      {"adsorption_min", p.adsorptionMinutes},
        {"desorb_interval_min", p.desorbIntervalMinutes}, {"auto_desorb", p.autoDesorb},
        {"auto_zero", p.autoZero},           {"desorb_after_peak", p.desorbAfterPeak}};
    return json.dump();
}

std::string letterheadText(const ReportLetterhead& l) {
    const nlohmann::ordered_json json = {
        {"supplier", l.supplierName}, {"web", l.webAddress}, {"hotline", l.hotline}, {"email", l.email}};
    // A letterhead typed in another encoding must not stop the audit row.
    return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string recordListName(RecordList list) {
    switch (list) {
    case RecordList::Standards: return "standards";
    case RecordList::Samples: return "samples";
    case RecordList::Reports: return "reports";
    }
    return "records";
}

int32_t recordCount(const RecordDatabase& database, RecordList list) {
    switch (list) {
    case RecordList::Standards: return database.standards().count;
    case RecordList::Samples: return database.samples().count;
    case RecordList::Reports: return database.reports().count;
    }
    return 0;
}

}  // namespace vespian
