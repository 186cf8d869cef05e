#include "app/save_facts.h"

#include <cmath>
#include <optional>

#include "analysis/plausibility.h"
#include "analysis/result_uncertainty.h"
#include "files/test_report.h"
#include "platform/gbk_text.h"

namespace vespian {

namespace {

// `propagated`: the same result recomputed from the report's inputs, whose relative
// uncertainty the written value takes; none when it has no uncertainty to give.
void addResult(SaveFacts& facts, const char* name, float value, const char* unit,
               const PropagatedResult* propagated = nullptr) {
    // A report keeps 0 where nothing was evaluated.
    if (!std::isfinite(value) || value == 0.0f) return;
    ResultValue result;
    result.name = name;
    result.value = value;
    result.unit = unit;
    if (propagated != nullptr && propagated->value.ok && propagated->value.u > 0.0) {
        const double u = propagated->value.relative() * std::abs(static_cast<double>(value));
        if (std::isfinite(u) && u > 0.0) result.uncertainty = u;
    }
    facts.results.push_back(std::move(result));
}

}  // namespace

SaveFacts saveFactsFor(SavedFileKind kind, const std::string& path, const TestReport& report,
                       const StatedUncertainties& stated) {
    SaveFacts facts;
    facts.path = path;
    switch (kind) {
    case SavedFileKind::Report: facts.kind = SaveKind::Report; break;
    case SavedFileKind::Database: facts.kind = SaveKind::Database; break;
    case SavedFileKind::Export: facts.kind = SaveKind::Export; break;
    }
    if (kind != SavedFileKind::Report) return facts;
    const TestReportHeader& h = report.header();
    facts.sample = readGbkField(h.sampleName);
    if (h.sampleWeightG > 0.0f) {
        facts.sampleWeight = h.sampleWeightG;
        facts.weightUnit = "g";
    }
    // The written results' uncertainties from the stated inputs alone: the report keeps no
    // scatter of its pulses.
    const WrittenTitrationUncertainty written = writtenTitrationUncertainty(h, 0.0, 0.0, stated);
    addResult(facts, "pulse_area", h.pulseArea, "×20µV·s");
    addResult(facts, "dispersion", h.dispersion, "", &written.dispersion);  // a fraction of the metal atoms
    if (!facts.results.empty() && facts.results.back().name == "dispersion") {
        if (const std::optional<PlausibilityFlag> flag = checkDispersion(h.dispersion)) {
            facts.results.back().flags.emplace_back(checkCodeName(flag->code));
        }
    }
    addResult(facts, "active_area", h.activeAreaM2g, "m²/g", &written.activeAreaM2g);
    addResult(facts, "upper_temperature", h.upperTempC, "℃");
    addResult(facts, "ramp_rate", h.rampRateCPerMin, "℃/min");
    return facts;
}

SaveFacts evaluationExportFacts(const std::string& path, std::span<const ResultLine> lines,
                                std::span<const PlausibilityFlag> flags,
                                std::span<const EvaluationParameter> parameters) {
    SaveFacts facts;
    facts.kind = SaveKind::Evaluation;
    facts.path = path;
    std::vector<std::string> codes;
    for (const PlausibilityFlag& f : flags) codes.emplace_back(checkCodeName(f.code));
    for (const ResultLine& line : lines) {
        if (!line.value.ok || !std::isfinite(line.value.value)) continue;
        ResultValue result;
        result.name = line.name;
        result.value = line.value.value;
        if (line.value.u > 0.0 && std::isfinite(line.value.u)) result.uncertainty = line.value.u;
        result.unit = line.unit;
        result.flags = codes;  // the checks concern the evaluation as a whole
        facts.results.push_back(std::move(result));
    }
    for (const EvaluationParameter& p : parameters) facts.parameters[p.name] = p.value;
    return facts;
}

}  // namespace vespian
