// vespian-report on a report file (.care): the results of the test as the report windows show
// them, the report's trace stretch as CSV, and the printed page of one of the three tests. Each
// test's numbers come from the record as its window holds it once filled (each value as its
// field shows it), so the tool and the window agree to the last digit.

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <system_error>

#include "analysis/desorption_test.h"
#include "analysis/desorption_test_page.h"
#include "analysis/plausibility.h"
#include "analysis/report_form.h"
#include "analysis/result_text.h"
#include "analysis/result_uncertainty.h"
#include "analysis/titration.h"
#include "analysis/titration_page.h"
#include "analysis/tp_report.h"
#include "analysis/tp_report_page.h"
#include "app/report_inputs.h"
#include "app/report_options.h"
#include "files/json_text.h"
#include "files/report_letterhead.h"
#include "files/test_report.h"
#include "files/test_report_file.h"
#include "files/trace_csv.h"

namespace vespian {

namespace {

// The printed pages a report file can give, one per test; the first is the default.
enum class ReportPage { TemperatureProgrammed, Titration, Desorption };
struct PageChoice {
    const char* name;
    ReportPage page;
};
constexpr PageChoice kPageChoices[] = {
    {"tp", ReportPage::TemperatureProgrammed},
    {"titration", ReportPage::Titration},
    {"desorption", ReportPage::Desorption},
};

// A text on one line of the text summary (a heading may run over several lines in the window).
SummaryField textField(const char* key, const char* label, const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        line += c == '\n' ? ' ' : c;
    }
    return {key, label, jsonString(text), line.empty() ? "—" : line};
}

// A float with the text the window shows for it; null in JSON where the text is the dash.
SummaryField numberField(const char* key, const char* label, float value, const std::string& shown,
                         const char* unit) {
    if (!std::isfinite(value)) return {key, label, "null", "—"};
    return {key, label, jsonNumber(value), *unit ? shown + " " + unit : shown};
}

// The standard uncertainty of a result beside it, propagated from the stated inputs (the
// report's areas taken as typed); null and dashed where the result has none.
SummaryField uncertaintyField(const char* key, const char* label, const PropagatedResult& r, const char* unit) {
    if (!r.value.ok || !std::isfinite(r.value.u)) return {key, label, "null", "—"};
    return {key, label, jsonNumber(r.value.u), resultText(r.value, unit)};
}

// The plausibility flags as a JSON list of {code, reason} and their reasons on one line.
SummaryField flagsField(const std::vector<PlausibilityFlag>& flags) {
    std::string json = "[", text;
    for (const PlausibilityFlag& f : flags) {
        json += (json.size() > 1 ? ", " : "") + std::string("{\"code\": ") + jsonString(std::string(checkCodeName(f.code))) +
                ", \"reason\": " + jsonString(f.reason) + "}";
        text += (text.empty() ? "" : " ") + f.reason;
    }
    return {"flags", "检查 checks", json + "]", text.empty() ? "—" : text};
}

// Points of the report's trace, 0 .. reportPointCount: what its CSV holds.
int32_t pointsOf(const TestReportHeader& h) { return reportTracePoints(h); }

// The record's header as one report window holds it for the time it is put to use.
class ShownHeader {
public:
    ShownHeader(TestReport& report, const ReportForm& form) : report_(report), stored_(report.header()) {
        report_.header() = shownReportHeader(form, stored_);
    }
    ~ShownHeader() { report_.header() = stored_; }
    ShownHeader(const ShownHeader&) = delete;
    ShownHeader& operator=(const ShownHeader&) = delete;

private:
    TestReport& report_;
    const TestReportHeader stored_;
};

class ReportFileInput final : public ReportInput {
public:
    TestReport& report() { return *report_; }

    InputSummary summary() const override {
        const TestReportHeader& h = report_->header();
        const TpReportTexts tp = tpReportTexts(shownReportHeader(tpReportForm(), h));
        // The titration and desorption windows each fill the record their own way.
        const TestReportHeader t = shownReportHeader(titrationForm(), h);
        const TestReportHeader d = shownReportHeader(desorptionForm(), h);
        const std::vector<FieldText> titration = titrationTexts(t);
        const std::vector<FieldText> desorption = desorptionResultTexts(d);
        namespace tf = titration_field;
        namespace df = desorption_field;

        std::string tmJson = "[";
        std::string tmText;
        for (int32_t i = 0; i < std::clamp(h.tmCount, 0, kMaxTmPicks); ++i) {
            tmJson += (i > 0 ? ", " : "") + jsonNumber(h.tmValues[i]);
            tmText += (i > 0 ? "; " : "") + tp.tmLines[static_cast<size_t>(i)];
        }
        const std::string date = tp.common.year + "-" + tp.common.month + "-" + tp.common.day;
        const auto shown = [&](int32_t field) { return fieldText(titration, field); };

        InputSummary summary{"report", {}};
        summary.fields = {
            textField("heading", "标题 heading", tp.common.heading),
            textField("sample_name", "样品名称 sample", tp.common.sampleName),
            numberField("sample_weight_g", "样品重量 weight", t.sampleWeightG, tp.common.weight, "g"),
            textField("tester", "检测员 tester", tp.common.tester),
            {"test_date", "检测日期 date", jsonString(date), date},
            {"points", "点数 points", std::to_string(pointsOf(h)), std::to_string(pointsOf(h))},
            numberField("upper_temperature_C", "上限温度 upper temperature", h.upperTempC, tp.upperTemp, "℃"),
            numberField("ramp_rate_C_per_min", "升温速率 ramp rate", h.rampRateCPerMin, tp.rampRate, "℃/min"),
            {"tm_C", "Tm值 Tm", tmJson + "]", tmText.empty() ? "—" : tmText},
            numberField("titration_temperature_C", "滴定/脱附温度 titration (desorption) temperature", t.titrationTempC,
                        shown(tf::kTitrationTemp), "℃"),
            numberField("pulse_area", "脉冲峰面积 pulse area", t.pulseArea, shown(tf::kPulseArea), ""),
            numberField("pulse_volume_ml", "脉冲峰体积 pulse volume", t.pulseVolumeMl, shown(tf::kPulseVolume), "ml"),
            {"pulse_count", "脉冲峰数量 pulses", std::to_string(t.pulseCount), shown(tf::kPulseCount)},
            numberField("residual_area", "剩余峰面积 residual area", t.residualArea, shown(tf::kResidualArea), ""),
            numberField("residual_volume_ml", "剩余体积 residual volume", t.residualVolumeMl,
                        shown(tf::kResidualVolume), "ml"),
            numberField("adsorbed_volume_ml", "吸附体积 adsorbed volume", t.adsorbedVolumeMl,
                        shown(tf::kAdsorbedVolume), "ml"),
            numberField("adsorbed_per_gram_ml_g", "吸附量 adsorbed per gram", t.adsorbedVolumeMl / t.sampleWeightG,
                        shown(tf::kPerGram), "ml/g"),
            numberField("stoichiometry", "化学计量系数 stoichiometry", t.stoichiometry, shown(tf::kStoichiometry), ""),
            numberField("atomic_mass", "原子质量 atomic mass", t.atomicMass, shown(tf::kAtomicMass), "g/mol"),
            numberField("mass_fraction", "质量分数 mass fraction", t.massFraction, shown(tf::kMassFraction), ""),
            numberField("cross_section_nm2", "原子截面积 cross-section", t.crossSectionNm2, shown(tf::kCrossSection),
                        "nm²"),
            numberField("dispersion", "金属分散度 dispersion", t.dispersion, shown(tf::kDispersion), ""),
            numberField("active_area_m2_g", "活性比表面积 active area", t.activeAreaM2g, shown(tf::kActiveArea), "m²/g"),
            numberField("desorption_area", "脱附峰面积 desorption area", d.residualArea,
                        fieldText(desorptionTexts(d), df::kDesorptionArea), ""),
            numberField("desorbed_total_ml", "脱附总量 desorbed total", desorbedTotalMl(d), fieldText(desorption, df::kTotal),
                        "ml"),
            numberField("desorbed_per_gram_ml_g", "脱附量 desorbed per gram", desorbedPerGram(d),
                        fieldText(desorption, df::kPerGram), "ml/g"),
        };
        const StatedUncertainties stated;
        const WrittenTitrationUncertainty tu = writtenTitrationUncertainty(t, 0.0, 0.0, stated);
        const DesorbedAmountUncertainty du = desorbedAmountUncertainty(d, 0.0, 0.0, stated);
        const SummaryField uncertainties[] = {
            uncertaintyField("adsorbed_volume_ml_u", "吸附体积 u", tu.adsorbedVolumeMl, "ml"),
            uncertaintyField("adsorbed_per_gram_ml_g_u", "吸附量 u", tu.adsorbedPerGram, "ml/g"),
            uncertaintyField("dispersion_u", "金属分散度 u", tu.dispersion, ""),
            uncertaintyField("active_area_m2_g_u", "活性比表面积 u", tu.activeAreaM2g, "m²/g"),
            uncertaintyField("desorbed_total_ml_u", "脱附总量 u", du.totalMl, "ml"),
            uncertaintyField("desorbed_per_gram_ml_g_u", "脱附量 u", du.perGramMl, "ml/g"),
        };
        summary.fields.insert(summary.fields.end(), std::begin(uncertainties), std::end(uncertainties));
        std::vector<PlausibilityFlag> flags;
        if (std::isfinite(t.dispersion) && t.dispersion != 0.0f) {
            if (auto f = checkDispersion(t.dispersion)) flags.push_back(*f);
        }
        summary.fields.push_back(flagsField(flags));
        return summary;
    }

    bool supports(ReportOutput output) const override {
        return output == ReportOutput::Csv || output == ReportOutput::Pdf;
    }

    bool choose(const ReportOptions& options, std::string* error) override {
        if (!options.table.empty()) {
            ReportOptions others;
            others.table = options.table;
            return ReportInput::choose(others, error);
        }
        // A letterhead named on the command line must be there: the program's own reading
        // takes a missing file as the empty letterhead, which here would hide a mistyped name.
        std::error_code missing;
        if (!options.letterhead.empty() && !std::filesystem::is_regular_file(options.letterhead, missing)) {
            *error = "找不到信笺文件‘" + options.letterhead + "’\nno letterhead file ‘" + options.letterhead + "’";
            return false;
        }
        if (!options.letterhead.empty() && !readLetterhead(options.letterhead, letterhead_)) {
            *error = "无法读取信笺文件‘" + options.letterhead + "’\ncannot read the letterhead file ‘" +
                     options.letterhead + "’";
            return false;
        }
        if (options.page.empty()) return true;
        for (const PageChoice& choice : kPageChoices) {
            if (options.page == choice.name) {
                page_ = choice.page;
                return true;
            }
        }
        *error = "不能识别的页面\"" + options.page + "\"(可用: tp, titration, desorption)\nunknown page \"" +
                 options.page + "\" (known: tp, titration, desorption)";
        return false;
    }

    bool writeCsv(std::FILE* out) const override {
        return writeTraceCsv(out, report_->signalMv(), report_->temperatureC(), pointsOf(report_->header()));
    }

    bool saveCsv(const std::string& path, std::string* error) const override {
        const CsvResult result =
            saveTraceCsv(path, report_->signalMv(), report_->temperatureC(), pointsOf(report_->header()));
        if (!result.ok) *error = result.message;
        return result.ok;
    }

    // Each page as its window prints it, from the record as that window holds it.
    bool savePdf(ReportPdfWriter& writer, const std::string& path, std::string* error) const override {
        TestReport& report = *report_;
        const ReportLetterhead& letterhead = letterhead_;
        switch (page_) {
        case ReportPage::Titration: {
            const ShownHeader shown(report, titrationForm());
            return writer.savePdf(path, kTitrationDocumentName, [&](int32_t w, int32_t h) {
                return std::vector<DrawList>{titrationReportPage(report, letterhead, w, h)};
            }, error);
        }
        case ReportPage::Desorption: {
            const ShownHeader shown(report, desorptionForm());
            return writer.savePdf(path, kDesorptionDocumentName, [&](int32_t w, int32_t h) {
                return std::vector<DrawList>{desorptionReportPage(report, letterhead, w, h)};
            }, error);
        }
        default: {
            const ShownHeader shown(report, tpReportForm());
            return writer.savePdf(path, kTpReportDocumentName, [&](int32_t w, int32_t h) {
                return tpReportPages(report, letterhead, w, h);
            }, error);
        }
        }
    }

private:
    std::unique_ptr<TestReport> report_ = std::make_unique<TestReport>();
    ReportPage page_ = ReportPage::TemperatureProgrammed;
    ReportLetterhead letterhead_;
};

}  // namespace

LoadedInput loadReportFileInput(const std::string& path) {
    auto input = std::make_unique<ReportFileInput>();
    ReportFileResult result = readReportFile(path, input->report());
    // Values the program never writes without a value (typed fields, the trace, the Tm list)
    // would make every result of the file meaningless.
    if (result.ok) result.message = reportValueProblem(input->report(), path);
    if (!result.ok || !result.message.empty()) {
        return {nullptr, result.message + "\ncannot use the report file ‘" + path + "’"};
    }
    return {std::move(input), {}};
}

}  // namespace vespian
