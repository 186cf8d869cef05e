#include "analysis/calibration.h"

#include <cstdio>

#include "platform/decimal_text.h"
#include "platform/printf_text.h"
#include "trace/peak_table.h"

namespace vespian {

namespace {

std::string fixed2(float value) { return numberText("%.2f", value); }

// The slot and point index a calibration writes, or a message why there is none.
SurfaceReportRecord* calibrationSlot(ReportTable& reports, PromptMessage& refusal) {
    if (reports.count < 0 || reports.count >= kReportCapacity) {
        refusal = {"错误", kDatabaseFullText, PromptIcon::Error};
        return nullptr;
    }
    SurfaceReportRecord& r = reports.records[reports.count];
    if (r.point_count < 0 || r.point_count >= kBetMaxPoints) {
        refusal = {"提示", kCalibrationsFullText, PromptIcon::Information};
        return nullptr;
    }
    return &r;
}

}  // namespace

CalibrationOpening openCalibration(ReportTable& reports, int32_t peakArea, const BetCalibrationDefaults& defaults) {
    CalibrationOpening opening;
    SurfaceReportRecord* r = calibrationSlot(reports, opening.message);
    if (r == nullptr) return opening;
    if (r->calib_volume_ml == 0.0f) {
        r->calib_volume_ml = defaults.loopVolumeMl;
        r->n2_temp_c = defaults.n2TemperatureC;
        r->ads_pressure_kpa = defaults.adsorptionPressureKpa;
        r->p0_kpa = defaults.saturatedPressureKpa;
    }
    const int32_t previous = r->point_count > 0 ? r->point_count - 1 : 0;
    opening.open = true;
    opening.texts = {printfText("%d", reports.count + 1),
                     printfText("%d", peakArea),
                     fixed2(r->calib_volume_ml),
                     fixed2(r->n2_flow[previous]),
                     fixed2(r->he_flow[previous]),
                     fixed2(r->p0_kpa),
                     fixed2(r->n2_temp_c),
                     fixed2(r->ads_pressure_kpa)};
    return opening;
}

CalibrationAccept acceptCalibration(ReportTable& reports, PeakTable& peaks, int32_t peakArea,
                                    const CalibrationEntries& entries) {
    CalibrationAccept result;
    SurfaceReportRecord* r = calibrationSlot(reports, result.message);
    if (r == nullptr) {
        peaks.clear();
        result.close = true;
        return result;
    }
    const double volume = ParseDecimalText(entries.volume);
    if (!(volume > 0.0)) {
        result.message = {"提示", kLoopVolumeText, PromptIcon::Error};
        return result;
    }
    const int32_t k = r->point_count;
    r->calib_volume_ml = static_cast<float>(volume);
    r->n2_flow[k] = static_cast<float>(ParseDecimalText(entries.n2Flow));
    r->he_flow[k] = static_cast<float>(ParseDecimalText(entries.heFlow));
    r->p0_kpa = static_cast<float>(ParseDecimalText(entries.p0));
    r->n2_temp_c = static_cast<float>(ParseDecimalText(entries.n2Temperature));
    r->ads_pressure_kpa = static_cast<float>(ParseDecimalText(entries.adsorptionPressure));
    r->calib_area[k] = peakArea;
    r->calib_count += 1;
    peaks.clear();
    result.close = true;
    return result;
}

void cancelCalibration(PeakTable& peaks) { peaks.clear(); }

}  // namespace vespian
