#include "analysis/result_uncertainty.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "analysis/bet.h"
#include "analysis/bet_least_squares.h"
#include "analysis/desorption_test.h"
#include "analysis/metal_surface_area.h"
#include "analysis/titration.h"
#include "files/test_report.h"

namespace vespian {

namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
constexpr double kMgPerG = 1000.0;

double orNoValue(bool ok, double v) { return ok ? v : kNoValue; }

}  // namespace

AmountUncertainty peakAmountUncertainty(AreaWithUncertainty peak, AreaWithUncertainty reference, const GasLoop& loop,
                                        double sampleWeightG, const StatedUncertainties& stated) {
    const InputQuantity inputs[] = {
        {"峰面积", peak.area, peak.u},
        {"定量峰面积", reference.area, reference.u},
        {"定量管体积", loop.volumeMl, stated.loopVolumeRelative * loop.volumeMl},
        {"定量管温度", loop.temperatureC, stated.temperatureC},
        {"定量管压力", loop.pressureKPa, stated.pressureKPa},
        {"样品重量", sampleWeightG, weightUncertaintyG(stated.balanceResolutionG)},
    };
    AmountUncertainty result;
    result.status = peakAmount(peak.area, reference.area, loop, sampleWeightG).status;
    auto model = [](std::span<const double> x, std::span<double> out) {
        const GasAmount a = peakAmount(x[0], x[1], GasLoop{x[2], x[3], x[4]}, x[5]);
        const bool amount = a.status == UptakeStatus::Ok || a.status == UptakeStatus::NoSampleWeight;
        out[0] = orNoValue(amount, a.micromol);
        out[1] = orNoValue(a.status == UptakeStatus::Ok, a.micromolPerGram);
    };
    std::vector<PropagatedResult> r = propagate(inputs, 2, model);
    result.micromol = std::move(r[0]);
    result.micromolPerGram = std::move(r[1]);
    return result;
}

TitrationUncertainty titrationUptakeUncertainty(std::span<const double> pulseAreas, double pulseAreaU,
                                                const TitrationInput& input, double fullPulseAreaU,
                                                const StatedUncertainties& stated) {
    std::vector<InputQuantity> inputs;
    for (double a : pulseAreas) inputs.push_back({"脉冲峰面积", a, pulseAreaU});
    const size_t first = inputs.size();
    inputs.push_back({"定量峰面积", input.fullPulseArea, fullPulseAreaU});
    inputs.push_back({"定量管体积", input.loop.volumeMl, stated.loopVolumeRelative * input.loop.volumeMl});
    inputs.push_back({"定量管温度", input.loop.temperatureC, stated.temperatureC});
    inputs.push_back({"定量管压力", input.loop.pressureKPa, stated.pressureKPa});
    inputs.push_back({"样品重量", input.sampleWeightG, weightUncertaintyG(stated.balanceResolutionG)});
    const double fraction = input.metalContent.massFraction();
    inputs.push_back({kMetalContentName, fraction, stated.massFractionRelative * fraction});
    auto model = [&](std::span<const double> x, std::span<double> out) {
        TitrationInput in = input;
        in.fullPulseArea = x[first];
        in.loop = GasLoop{x[first + 1], x[first + 2], x[first + 3]};
        in.sampleWeightG = x[first + 4];
        in.metalContent = MetalContent::fromFraction(x[first + 5]);
        const TitrationUptake t = titrationUptake(x.first(first), in);
        const bool amount = t.uptake.status == UptakeStatus::Ok || t.uptake.status == UptakeStatus::TooManyPulses ||
                            t.uptake.status == UptakeStatus::NoSampleWeight;
        out[0] = orNoValue(amount, t.uptake.totalMicromol);
        out[1] = orNoValue(amount && t.uptake.status != UptakeStatus::NoSampleWeight, t.uptake.totalMicromolPerGram);
        const bool dispersion =
            t.dispersion.status == MetalStatus::Ok || t.dispersion.status == MetalStatus::DispersionAboveOne;
        out[2] = orNoValue(dispersion, t.dispersion.value);
        out[3] = orNoValue(t.size.status == MetalStatus::Ok, t.size.diameterNm);
        const MetalSurfaceArea s = metalSurfaceArea(dispersion ? t.dispersion.value : 0.0, metalConstants(in.metal),
                                                    in.metalContent.massFraction());
        const bool area = s.status == MetalStatus::Ok || s.status == MetalStatus::DispersionAboveOne;
        out[4] = orNoValue(area, s.perGramSampleM2);
        out[5] = orNoValue(area, s.perGramMetalM2);
    };
    std::vector<PropagatedResult> r = propagate(inputs, 6, model);
    TitrationUncertainty result;
    result.totalMicromol = std::move(r[0]);
    result.micromolPerGram = std::move(r[1]);
    result.dispersion = std::move(r[2]);
    result.particleSizeNm = std::move(r[3]);
    result.metalAreaPerGramSampleM2 = std::move(r[4]);
    result.metalAreaPerGramMetalM2 = std::move(r[5]);
    return result;
}

namespace {

// The report's header with its pulse volume, areas, weight and metal content replaced, the
// residual volume recomputed as when the stretch was applied.
TestReportHeader withInputs(const TestReportHeader& header, std::span<const double> x) {
    TestReportHeader h = header;
    h.pulseVolumeMl = static_cast<float>(x[0]);
    h.pulseArea = static_cast<float>(x[1]);
    h.residualArea = static_cast<float>(x[2]);
    h.sampleWeightG = static_cast<float>(x[3]);
    h.massFraction = static_cast<float>(x[4]);
    h.residualVolumeMl = h.residualArea / h.pulseArea * h.pulseVolumeMl;
    return h;
}

std::vector<InputQuantity> reportInputs(const TestReportHeader& header, double pulseAreaU, double areaU,
                                        const StatedUncertainties& stated, std::string_view areaName) {
    return {
        {"定量管体积", header.pulseVolumeMl, stated.loopVolumeRelative * header.pulseVolumeMl},
        {"脉冲峰面积", header.pulseArea, pulseAreaU},
        {areaName, header.residualArea, areaU},
        {"样品重量", header.sampleWeightG, weightUncertaintyG(stated.balanceResolutionG)},
        {"质量分数", header.massFraction, stated.massFractionRelative * header.massFraction},
    };
}

}  // namespace

WrittenTitrationUncertainty writtenTitrationUncertainty(const TestReportHeader& header, double pulseAreaU,
                                                        double residualAreaU, const StatedUncertainties& stated) {
    const std::vector<InputQuantity> inputs = reportInputs(header, pulseAreaU, residualAreaU, stated, "剩余峰面积");
    auto model = [&](std::span<const double> x, std::span<double> out) {
        TestReportHeader h = withInputs(header, x);
        computeTitration(h);
        out[0] = h.adsorbedVolumeMl;
        out[1] = h.adsorbedVolumeMl / h.sampleWeightG;
        out[2] = h.dispersion;
        out[3] = h.activeAreaM2g;
    };
    std::vector<PropagatedResult> r = propagate(inputs, 4, model);
    return {std::move(r[0]), std::move(r[1]), std::move(r[2]), std::move(r[3])};
}

DesorbedAmountUncertainty desorbedAmountUncertainty(const TestReportHeader& header, double pulseAreaU,
                                                    double desorptionAreaU, const StatedUncertainties& stated) {
    const std::vector<InputQuantity> inputs = reportInputs(header, pulseAreaU, desorptionAreaU, stated, "脱附峰面积");
    auto model = [&](std::span<const double> x, std::span<double> out) {
        const TestReportHeader h = withInputs(header, x);
        out[0] = desorbedTotalMl(h);
        out[1] = desorbedPerGram(h);
    };
    std::vector<PropagatedResult> r = propagate(inputs, 2, model);
    return {std::move(r[0]), std::move(r[1])};
}

BetUncertainty betUncertainty(const SurfaceReportRecord& record, std::span<const double> peakAreaU,
                              std::span<const double> calibrationAreaU, std::span<const bool> chosen,
                              const StatedUncertainties& stated) {
    const int32_t n = betPointCount(record);
    auto uAt = [](std::span<const double> u, int32_t k) { return k < static_cast<int32_t>(u.size()) ? u[k] : 0.0; };
    std::vector<InputQuantity> inputs;
    for (int32_t k = 0; k < n; ++k) {
        inputs.push_back({"吸附峰面积", static_cast<double>(record.peak_area[k]), uAt(peakAreaU, k)});
        inputs.push_back({"标定峰面积", static_cast<double>(record.calib_area[k]), uAt(calibrationAreaU, k)});
        inputs.push_back({"N2流量", record.n2_flow[k], stated.flowRelative * record.n2_flow[k]});
        inputs.push_back({"He流量", record.he_flow[k], stated.flowRelative * record.he_flow[k]});
    }
    const size_t common = inputs.size();
    inputs.push_back({"定量管体积", record.calib_volume_ml, stated.loopVolumeRelative * record.calib_volume_ml});
    inputs.push_back({"N2温度", record.n2_temp_c, stated.temperatureC});
    inputs.push_back({"吸附压力", record.ads_pressure_kpa, stated.pressureKPa});
    inputs.push_back({"饱和蒸气压", record.p0_kpa, stated.pressureKPa});
    inputs.push_back({"样品重量", record.weight_mg, kMgPerG * weightUncertaintyG(stated.balanceResolutionG)});
    const std::vector<bool> use(chosen.begin(), chosen.end());

    auto model = [&](std::span<const double> x, std::span<double> out) {
        SurfaceReportRecord r = record;
        r.calib_volume_ml = static_cast<float>(x[common]);
        r.n2_temp_c = static_cast<float>(x[common + 1]);
        r.ads_pressure_kpa = static_cast<float>(x[common + 2]);
        r.p0_kpa = static_cast<float>(x[common + 3]);
        r.weight_mg = static_cast<float>(x[common + 4]);
        BetRawVolumes raw;
        for (int32_t k = 0; k < n; ++k) {
            const double* p = &x[static_cast<size_t>(4 * k)];
            // The measured volume, area × (loop / calibration area), kept unrounded.
            raw.volume[k] = static_cast<float>(p[0] * (x[common] / p[1]));
            r.n2_flow[k] = static_cast<float>(p[2]);
            r.he_flow[k] = static_cast<float>(p[3]);
        }
        ComputeBet(r, raw, false);
        out[0] = r.bet_area;
        std::array<double, kBetMaxPoints> pressure{}, volume{};
        std::array<bool, kBetMaxPoints> mask{};
        for (int32_t k = 0; k < n; ++k) {
            pressure[k] = r.rel_pressure[k];
            volume[k] = r.volume[k];
            mask[k] = use.empty() || (k < static_cast<int32_t>(use.size()) && use[k]);
        }
        const BetLeastSquares fit = fitBetLeastSquares(std::span(pressure).first(n), std::span(volume).first(n),
                                                       std::span<const bool>(mask.data(), static_cast<size_t>(n)));
        out[1] = orNoValue(fit.ok(), fit.areaM2PerG);
        out[2] = orNoValue(fit.ok() && fit.intercept != 0.0, fit.cConstant);
    };
    std::vector<PropagatedResult> r = propagate(inputs, 3, model);
    return {std::move(r[0]), std::move(r[1]), std::move(r[2])};
}

}  // namespace vespian
