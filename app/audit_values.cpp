#include "app/audit_values.h"

#include <algorithm>

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

std::string calibrationText(const SurfaceReportRecord& r) {
    const int32_t count = std::clamp(r.calib_count, 0, kBetMaxPoints);
    nlohmann::ordered_json areas = nlohmann::json::array();
    nlohmann::ordered_json n2 = nlohmann::json::array();
    nlohmann::ordered_json he = nlohmann::json::array();
    for (int32_t i = 0; i < count; ++i) {
        areas.push_back(r.calib_area[i]);
        n2.push_back(r.n2_flow[i]);
        he.push_back(r.he_flow[i]);
    }
    const nlohmann::ordered_json json = {
        {"loop_ml", r.calib_volume_ml}, {"p0_kPa", r.p0_kpa},        {"n2_temperature_C", r.n2_temp_c},
        {"pressure_kPa", r.ads_pressure_kpa}, {"calibrations", count}, {"areas", areas},
        {"n2_flow", n2},                {"he_flow", he}};
    return json.dump();
}

std::string flowChannelsText(const FlowChannels& flows) {
    nlohmann::ordered_json channels = nlohmann::json::array();
    for (const FlowChannel& c : flows.channel) {
        const std::optional<GasEntry> gas = gasAt(c.gasIndex);
        channels.push_back({{"gas", gas ? std::string(gas->name) : std::string()},
                            {"setpoint_ml_min", c.setpoint},
                            {"sent", std::string(gasNameOf(c))}});
    }
    return channels.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
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
