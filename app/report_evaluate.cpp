#include "app/report_evaluate.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "analysis/bet.h"
#include "analysis/bet_least_squares.h"
#include "analysis/bet_range_selection.h"
#include "analysis/bet_record_choice.h"
#include "analysis/desorption_kinetics.h"
#include "analysis/kinetics_analysis.h"
#include "analysis/result_uncertainty.h"
#include "analysis/stretch_evaluation.h"
#include "app/report_options.h"
#include "files/record_database.h"
#include "files/test_report.h"
#include "files/test_report_file.h"
#include "platform/gbk_text.h"
#include "trace/chromatogram.h"
#include "trace/trace_file.h"

namespace vespian {

namespace {

using Json = nlohmann::ordered_json;

// The loop of a report's quantitative peak stands at room conditions unless told otherwise,
// as in the evaluation panel.
constexpr double kLoopTemperatureC = 25.0;

int fail(std::FILE* err, int code, const std::string& message) {
    std::fprintf(err, "%s\n", message.c_str());
    return code;
}

bool endsWith(const std::string& text, const char* suffix) {
    const std::string s(suffix);
    return text.size() >= s.size() && text.compare(text.size() - s.size(), s.size(), s) == 0;
}

// A number, or null where it has none.
Json number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

Json uncertain(double value, double u, bool ok = true) {
    if (!ok || !std::isfinite(value)) return Json{{"value", nullptr}, {"u", nullptr}, {"expanded_u", nullptr}};
    return Json{{"value", value}, {"u", number(u)}, {"expanded_u", number(kCoverageFactor * u)}};
}
Json uncertain(const PropagatedResult& r) { return uncertain(r.value.value, r.value.u, r.value.ok); }

Json flagsJson(std::span<const PlausibilityFlag> flags) {
    Json list = Json::array();
    for (const PlausibilityFlag& f : flags) list.push_back({{"code", std::string(checkCodeName(f.code))}, {"reason", f.reason}});
    return list;
}

const char* shapeName(PeakShape shape) {
    switch (shape) {
        case PeakShape::Gaussian: return "gaussian";
        case PeakShape::AsymmetricGaussian: return "asymmetric_gaussian";
        case PeakShape::FirstOrderDesorption: return "first_order_desorption";
    }
    return "gaussian";
}

const char* fitStatusName(FitStatus status) {
    switch (status) {
        case FitStatus::Converged: return "converged";
        case FitStatus::NotConverged: return "not_converged";
        case FitStatus::NoComponents: return "no_components";
        case FitStatus::TooManyComponents: return "too_many_components";
        case FitStatus::StartOutside: return "start_outside";
        case FitStatus::StartsTooClose: return "starts_too_close";
        case FitStatus::TooFewPoints: return "too_few_points";
        case FitStatus::NonFiniteSignal: return "non_finite_signal";
        case FitStatus::NoSignal: return "no_signal";
    }
    return "not_converged";
}

const char* kineticsStatusName(KineticsStatus status) {
    switch (status) {
        case KineticsStatus::Ok: return "ok";
        case KineticsStatus::NotConverged: return "not_converged";
        case KineticsStatus::NoRuns: return "no_runs";
        case KineticsStatus::TooManyRuns: return "too_many_runs";
        case KineticsStatus::RunMismatch: return "run_mismatch";
        case KineticsStatus::NonFiniteData: return "non_finite_data";
        case KineticsStatus::NoPeak: return "no_peak";
        case KineticsStatus::NoStart: return "no_start";
    }
    return "no_runs";
}

Json amountJson(const AmountUncertainty& a, bool has) {
    if (!has) return Json{{"umol", nullptr}, {"umol_per_g", nullptr}};
    return Json{{"umol", uncertain(a.micromol)}, {"umol_per_g", uncertain(a.micromolPerGram)}};
}

Json stretchJson(const StretchEvaluation& e, int32_t points) {
    Json j;
    j["points"] = points;
    j["noise_mV"] = number(e.noiseMv);
    j["baseline"] = {{"kind", "flat_ends"},
                     {"ok", e.baseline.ok()},
                     {"offset_mV", number(e.baseline.offsetMv)},
                     {"slope_mV_per_point", number(e.baseline.slopeMvPerPoint)}};
    j["programme_C"] = {number(e.programmeLowC), number(e.programmeHighC)};
    Json proposals = Json::array();
    for (const TmProposal& p : e.proposals.list()) {
        proposals.push_back({{"index", p.index}, {"temperature_C", p.temperatureC}, {"height_mV", p.heightMv},
                             {"prominence_mV", p.prominenceMv}});
    }
    j["tm_proposals"] = proposals;
    Json peaks = Json::array();
    for (const EvaluatedPeak& p : e.peaks) {
        peaks.push_back({{"tm_C", p.segment.tmC},
                         {"first_index", p.segment.first},
                         {"last_index", p.segment.last},
                         {"area_mV_points", uncertain(p.segment.area, p.areaU)},
                         {"amount", amountJson(p.amount, e.hasAmounts)},
                         {"flags", flagsJson(p.flags)}});
    }
    j["peaks"] = peaks;
    Json candidates = Json::array();
    for (const DeconvolutionResult& c : e.shapes.list()) {
        candidates.push_back({{"shape", shapeName(c.shape)},
                              {"status", fitStatusName(c.status)},
                              {"aic", number(c.aic)},
                              {"rms_residual_mV", number(c.rmsResidualMv)},
                              {"relative_residual", number(c.relativeResidual)}});
    }
    Json components = Json::array();
    for (const EvaluatedComponent& c : e.components) {
        components.push_back({{"temperature_C", uncertain(c.component.maximumTemperatureC, c.component.maximumTemperatureU)},
                              {"height_mV", uncertain(c.component.heightMv, c.component.heightU)},
                              {"area_mV_points", uncertain(c.component.area, c.component.areaU)},
                              {"share", number(c.component.areaShare)},
                              {"amount", amountJson(c.amount, e.hasAmounts)}});
    }
    j["deconvolution"] = {{"chosen_shape", e.shapes.ok() ? Json(shapeName(e.shapes.best().shape)) : Json(nullptr)},
                          {"candidates", candidates},
                          {"components", components}};
    j["flags"] = flagsJson(e.allFlags());
    return j;
}

Json statedJson(const StatedUncertainties& s) {
    return {{"loop_volume_relative", s.loopVolumeRelative}, {"balance_resolution_g", s.balanceResolutionG},
            {"temperature_C", s.temperatureC},               {"pressure_kPa", s.pressureKPa},
            {"flow_relative", s.flowRelative},               {"mass_fraction_relative", s.massFractionRelative}};
}

bool print(std::FILE* out, const Json& j) {
    const std::string text = j.dump(2) + "\n";
    return std::fputs(text.c_str(), out) >= 0 && std::fflush(out) == 0;
}

// A trace file's signal and temperature, or a message.
bool loadTrace(const std::string& path, Chromatogram& trace, std::string* message) {
    const TraceFileResult r = loadTraceFile(path, trace);
    if (!r.ok) *message = r.message + "\ncannot use the trace file ‘" + path + "’";
    return r.ok;
}

int evaluateFile(const ReportOptions& options, const StatedUncertainties& stated, std::FILE* out, std::FILE* err) {
    const std::string& path = options.evaluate;
    StretchEvaluationSettings settings;
    settings.stated = stated;
    Json j{{"file", path}};
    std::vector<float> signal, temperature;
    if (endsWith(path, ".lne")) {
        auto trace = std::make_unique<Chromatogram>();
        std::string message;
        if (!loadTrace(path, *trace, &message)) return fail(err, kReportInputRefused, message);
        const auto n = static_cast<size_t>(trace->pointCount());
        signal.assign(trace->signalMv(), trace->signalMv() + n);
        temperature.assign(trace->temperatureC(), trace->temperatureC() + n);
        j["kind"] = "trace";
    } else if (endsWith(path, ".care")) {
        auto report = std::make_unique<TestReport>();
        ReportFileResult r = readReportFile(path, *report);
        if (r.ok) r.message = reportValueProblem(*report, path);
        if (!r.ok || !r.message.empty()) {
            return fail(err, kReportInputRefused, r.message + "\ncannot use the report file ‘" + path + "’");
        }
        const TestReportHeader& h = report->header();
        const auto n = static_cast<size_t>(reportPointsInUse(h));
        signal.assign(report->signalMv(), report->signalMv() + n);
        temperature.assign(report->temperatureC(), report->temperatureC() + n);
        // The amounts stand against the report's quantitative pulse and its loop.
        settings.reference = {h.pulseArea, GasLoop{h.pulseVolumeMl, kLoopTemperatureC, kStandardPressureKPa},
                              h.sampleWeightG};
        if (h.upperTempC > 0.0f && !temperature.empty()) {
            settings.programmeLowC = *std::min_element(temperature.begin(), temperature.end());
            settings.programmeHighC = h.upperTempC;
        }
        j["kind"] = "report";
        j["sample_name"] = readGbkField(h.sampleName);
        j["sample_weight_g"] = number(h.sampleWeightG);
        j["reference"] = {{"area", number(h.pulseArea)}, {"loop_volume_ml", number(h.pulseVolumeMl)},
                          {"loop_temperature_C", kLoopTemperatureC}, {"loop_pressure_kPa", kStandardPressureKPa}};
    } else {
        return fail(err, kReportInputRefused,
                    "--evaluate 只接受谱图文件(.lne)或报告文件(.care): ‘" + path +
                        "’\n--evaluate takes a trace (.lne) or report (.care) file: ‘" + path + "’");
    }
    const StretchEvaluation e = evaluateStretch(signal, temperature, settings);
    j.update(stretchJson(e, static_cast<int32_t>(signal.size())));
    j["stated_uncertainties"] = statedJson(stated);
    return print(out, j) ? kReportOk : fail(err, kReportOutputFailed, "无法写入标准输出\ncannot write to standard output");
}

int evaluateKinetics(const ReportOptions& options, std::FILE* out, std::FILE* err) {
    if (options.kinetics.size() > static_cast<size_t>(kMaxKineticRuns)) {
        return fail(err, kReportUsage, "--kinetics 最多" + std::to_string(kMaxKineticRuns) + "个谱图\n--kinetics takes at most " +
                                           std::to_string(kMaxKineticRuns) + " traces");
    }
    // The traces stay loaded while the analysis reads them.
    std::vector<std::unique_ptr<Chromatogram>> traces;
    std::vector<KineticsInputRun> inputs;
    for (const std::string& path : options.kinetics) {
        if (!endsWith(path, ".lne")) {
            return fail(err, kReportInputRefused, "--kinetics 只接受谱图文件(.lne): ‘" + path +
                                                      "’\n--kinetics takes trace files (.lne): ‘" + path + "’");
        }
        auto trace = std::make_unique<Chromatogram>();
        std::string message;
        if (!loadTrace(path, *trace, &message)) return fail(err, kReportInputRefused, message);
        const auto n = static_cast<size_t>(trace->pointCount());
        inputs.push_back({{trace->signalMv(), n}, {trace->temperatureC(), n}});
        traces.push_back(std::move(trace));
    }
    KineticsOptions kineticsOptions;
    kineticsOptions.fitOrder = options.fitOrder;
    const KineticsAnalysis analysis = analyseKinetics(inputs, kineticsOptions);
    const KineticsFit& fit = analysis.fit;

    Json runs = Json::array();
    for (size_t r = 0; r < analysis.runs.size(); ++r) {
        const RunKinetics& k = analysis.runs[r];
        Json run{{"file", options.kinetics[r]},
                 {"points", analysis.corrected[r].size()},
                 {"heating_rate_C_per_min", k.rate.ok() ? number(k.rate.rateCPerMin) : Json(nullptr)},
                 {"heating_rate_r_squared", number(k.rate.rSquared)},
                 {"tm_C", number(k.tmC)},
                 {"redhead", {{"energy_kJ_per_mol", k.redhead.ok() ? number(k.redhead.energyKJPerMol) : Json(nullptr)},
                              {"assumed_frequency_per_s", k.redhead.assumedFrequencyPerS},
                              {"within_validity", k.redhead.withinValidity}}}};
        if (fit.ok() && r < fit.list().size()) {
            const KineticRunFit& f = fit.list()[r];
            run["amplitude_mV_s"] = uncertain(f.amplitudeMvS, f.amplitudeU);
            run["fitted_peak_C"] = number(f.peakTemperatureC);
            run["rms_residual_mV"] = number(f.rmsResidualMv);
        }
        runs.push_back(run);
    }
    const auto interval = [](const IntervalEstimate& e) {
        Json j = uncertain(e.value, e.u);
        j["interval_95"] = {number(e.low), number(e.high)};
        return j;
    };
    Json j{{"kind", "kinetics"}, {"status", kineticsStatusName(fit.status)}, {"runs", runs}};
    if (fit.ok() || fit.status == KineticsStatus::NotConverged) {
        j["energy_kJ_per_mol"] = interval(fit.energyKJPerMol);
        j["frequency_per_s"] = {{"value", number(fit.frequencyPerS)},
                                {"u_ln", number(fit.lnFrequencyU)},
                                {"interval_95", {number(fit.frequencyLowPerS), number(fit.frequencyHighPerS)}}};
        j["order"] = fit.orderFitted ? interval(fit.order) : Json{{"value", fit.order.value}, {"fitted", false}};
        j["rms_residual_mV"] = number(fit.rmsResidualMv);
        j["iterations"] = fit.iterations;
    }
    if (!print(out, j)) return fail(err, kReportOutputFailed, "无法写入标准输出\ncannot write to standard output");
    return kReportOk;
}

int evaluateBetRange(const ReportOptions& options, const StatedUncertainties& stated, std::FILE* out, std::FILE* err) {
    auto database = std::make_unique<RecordDatabase>();
    const DatabaseFileResult loaded = loadDatabase(options.betAutoDatabase, *database);
    if (!loaded.ok) {
        return fail(err, kReportInputRefused,
                    loaded.message + "\ncannot use the record database ‘" + options.betAutoDatabase + "’");
    }
    const ReportTable& reports = database->reports();
    const SurfaceReportRecord* record = nullptr;
    for (int32_t i = 0; i < std::clamp(reports.count, 0, ReportTable::kCapacity); ++i) {
        const SurfaceReportRecord& r = reports.records[i];
        if (r.in_use != 0 && r.number == options.betAutoRecord) record = &r;
    }
    if (record == nullptr) {
        return fail(err, kReportInputRefused,
                    "数据库中没有编号为" + std::to_string(options.betAutoRecord) + "的BET报告\nno BET report numbered " +
                        std::to_string(options.betAutoRecord) + " in the database");
    }
    if (record->point_count < 0 || record->point_count > kBetMaxPoints) {
        return fail(err, kReportInputRefused, "BET报告的点数超出范围(0-10)\nthe BET report's point count is out of range");
    }
    const BetPoints points = betPoints(*record);
    const BetRangeSelection selection = selectBetRange(points.pressures(), points.volumes());
    const std::vector<bool> chosenVector = selection.chosenPoints(static_cast<size_t>(points.count));
    bool chosen[kBetMaxPoints] = {};
    for (int32_t k = 0; k < points.count; ++k) chosen[k] = chosenVector[static_cast<size_t>(k)];
    const std::span<const bool> chosenSpan(chosen, static_cast<size_t>(points.count));
    const std::vector<double> zeros(static_cast<size_t>(points.count), 0.0);
    const BetUncertainty u = betUncertainty(*record, zeros, zeros, chosenSpan, stated);

    Json ranges = Json::array();
    for (const BetRange& r : selection.ranges) {
        Json points_ = Json::array();
        for (int32_t k = r.first; k <= r.last; ++k) points_.push_back(selection.order[static_cast<size_t>(k)] + 1);
        ranges.push_back({{"points", points_},
                          {"relative_pressure", {r.lowPressure, r.highPressure}},
                          {"passes", r.passes()},
                          {"reasons", betRangeReasons(r)},
                          {"c", number(r.cConstant)},
                          {"area_m2_g", number(r.areaM2PerG)},
                          {"correlation", number(r.correlation)},
                          {"monolayer_relative_pressure", number(r.monolayerPressure)},
                          {"c_relative_pressure", number(r.cPressure)}});
    }
    Json j{{"kind", "bet_auto"},
           {"file", options.betAutoDatabase},
           {"record", record->number},
           {"sample_name", readGbkField(record->name)},
           {"written_area_m2_g", uncertain(record->bet_area, u.writtenAreaM2g.value.u, std::isfinite(record->bet_area))},
           {"ranges", ranges}};
    std::vector<PlausibilityFlag> flags;
    if (const BetRange* p = selection.proposal()) {
        const BetLeastSquares fit = fitBetLeastSquares(points.pressures(), points.volumes(), chosenSpan);
        flags = checkBetLine(fit);
        Json proposedPoints = Json::array();
        for (int32_t k = 0; k < points.count; ++k) {
            if (chosen[k]) proposedPoints.push_back(k + 1);
        }
        j["proposed"] = {{"points", proposedPoints},
                         {"relative_pressure", {p->lowPressure, p->highPressure}},
                         {"area_m2_g", uncertain(u.areaM2g)},
                         {"c", uncertain(u.cConstant)},
                         {"monolayer_ml_g", number(fit.monolayerMlPerG)},
                         {"correlation", number(fit.correlation)}};
    } else {
        j["proposed"] = nullptr;
        flags.push_back({CheckCode::BetCriteriaFailed, "没有一个连续的测量点范围满足BET一致性判据。"});
    }
    j["flags"] = flagsJson(flags);
    j["stated_uncertainties"] = statedJson(stated);
    if (!print(out, j)) return fail(err, kReportOutputFailed, "无法写入标准输出\ncannot write to standard output");
    return kReportOk;
}

}  // namespace

int runEvaluationMode(const ReportOptions& options, std::FILE* out, std::FILE* err) {
    StatedUncertainties stated;
    if (!options.uncertaintiesPath.empty()) {
        if (!readStatedUncertaintiesFile(options.uncertaintiesPath, &stated)) {
            return fail(err, kReportInputRefused, "无法打开‘" + options.uncertaintiesPath + "’文件\ncannot open the file ‘" +
                                                      options.uncertaintiesPath + "’");
        }
    }
    if (!options.evaluate.empty()) return evaluateFile(options, stated, out, err);
    if (!options.kinetics.empty()) return evaluateKinetics(options, out, err);
    return evaluateBetRange(options, stated, out, err);
}

}  // namespace vespian
