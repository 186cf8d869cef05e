#pragma once
// A BET record of seven points for the evaluation tests: six on an isotherm of C = 100 and
// Vm = 20 ml/g (150 mg at 20 ℃), the seventh (P/Po ≈ 0.39) levelled off below it, computed as
// the program commits it.

#include <cmath>

#include "analysis/bet.h"
#include "files/record_database.h"
#include "platform/gbk_text.h"

namespace vespian::testing {

inline SurfaceReportRecord betIsothermRecord() {
    SurfaceReportRecord r{};
    writeGbkField(r.name, "活性炭");
    r.weight_mg = 150.0f;
    r.calib_volume_ml = 1.0f;
    r.n2_temp_c = 20.0f;
    r.ads_pressure_kpa = 101.3f;
    r.p0_kpa = 103.0f;
    r.point_count = 7;
    r.calib_count = 7;
    const double n2[] = {6.0, 9.0, 12.0, 16.0, 20.0, 25.0, 40.0};
    for (int k = 0; k < 7; ++k) {
        r.n2_flow[k] = static_cast<float>(n2[k]);
        r.he_flow[k] = static_cast<float>(100.0 - n2[k]);
        const double x = n2[k] / 100.0 * 101.3 / 103.0;
        const double v = 20.0 * 100.0 * x / ((1.0 - x) * (1.0 + 99.0 * x)) * (k == 6 ? 0.85 : 1.0);
        r.calib_area[k] = 20000;
        r.peak_area[k] = static_cast<int32_t>(std::lround(v * 0.150 * 293.0 / 273.0 * 20000.0));
        r.volume[k] = static_cast<float>(measuredVolumeMl(r.peak_area[k], r.calib_volume_ml, r.calib_area[k]));
    }
    BetRawVolumes raw;
    ComputeBet(r, raw, true);
    return r;
}

}  // namespace vespian::testing
