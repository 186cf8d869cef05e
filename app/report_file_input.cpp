// vespian-report on a report file (.care): the results of the test as the report windows show
// them, the report's trace stretch as CSV, and the printed page of one of the three tests.

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <system_error>

#include "analysis/desorption_test.h"
#include "analysis/desorption_test_page.h"
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

std::string textOf(const std::vector<FieldText>& texts, int32_t field) {
    for (const FieldText& t : texts) {
        if (t.first == field) return t.second;
    }
    return {};
}

// Points of the report's trace: what its charts draw.
int32_t pointsOf(const TestReportHeader& h) { return std::clamp(h.reportPointCount, 0, kMaxPoints); }

class ReportFileInput final : public ReportInput {
public:
    TestReport& report() { return *report_; }

    InputSummary summary() const override {
        const TestReportHeader& h = report_->header();
        const TpReportTexts tp = tpReportTexts(h);
        const std::vector<FieldText> titration = titrationTexts(h);
        const std::vector<FieldText> desorption = desorptionResultTexts(h);
        namespace t = titration_field;
        namespace d = desorption_field;

        std::string tmJson = "[";
        std::string tmText;
        for (int32_t i = 0; i < std::clamp(h.tmCount, 0, kMaxTmPicks); ++i) {
            tmJson += (i > 0 ? ", " : "") + jsonNumber(h.tmValues[i]);
            tmText += (i > 0 ? "; " : "") + tp.tmLines[static_cast<size_t>(i)];
        }
        const float perGram = h.adsorbedVolumeMl / h.sampleWeightG;
        const std::string date = tp.common.year + "-" + tp.common.month + "-" + tp.common.day;

        InputSummary summary{"report", {}};
        summary.fields = {
            textField("heading", "标题 heading", tp.common.heading),
            textField("sample_name", "样品名称 sample", tp.common.sampleName),
            numberField("sample_weight_g", "样品重量 weight", h.sampleWeightG, tp.common.weight, "g"),
            textField("tester", "检测员 tester", tp.common.tester),
            {"test_date", "检测日期 date", jsonString(date), date},
            {"points", "点数 points", std::to_string(pointsOf(h)), std::to_string(pointsOf(h))},
            numberField("upper_temperature_C", "上限温度 upper temperature", h.upperTempC, tp.upperTemp, "℃"),
            numberField("ramp_rate_C_per_min", "升温速率 ramp rate", h.rampRateCPerMin, tp.rampRate, "℃/min"),
            {"tm_C", "Tm值 Tm", tmJson + "]", tmText.empty() ? "—" : tmText},
            numberField("titration_temperature_C", "滴定/脱附温度 titration (desorption) temperature", h.titrationTempC,
                        textOf(titration, t::kTitrationTemp), "℃"),
            numberField("pulse_area", "脉冲峰面积 pulse area", h.pulseArea, textOf(titration, t::kPulseArea), ""),
            numberField("pulse_volume_ml", "脉冲峰体积 pulse volume", h.pulseVolumeMl,
                        textOf(titration, t::kPulseVolume), "ml"),
            {"pulse_count", "脉冲峰数量 pulses", std::to_string(h.pulseCount), std::to_string(h.pulseCount)},
            numberField("residual_area", "剩余峰面积/脱附峰面积 residual (desorption) area", h.residualArea,
                        textOf(titration, t::kResidualArea), ""),
            numberField("residual_volume_ml", "剩余体积 residual volume", h.residualVolumeMl,
                        textOf(titration, t::kResidualVolume), "ml"),
            numberField("adsorbed_volume_ml", "吸附体积 adsorbed volume", h.adsorbedVolumeMl,
                        textOf(titration, t::kAdsorbedVolume), "ml"),
            numberField("adsorbed_per_gram_ml_g", "吸附量 adsorbed per gram", perGram,
                        textOf(titration, t::kPerGram), "ml/g"),
            numberField("stoichiometry", "化学计量系数 stoichiometry", h.stoichiometry,
                        textOf(titration, t::kStoichiometry), ""),
            numberField("atomic_mass", "原子质量 atomic mass", h.atomicMass, textOf(titration, t::kAtomicMass),
                        "g/mol"),
            numberField("mass_fraction", "质量分数 mass fraction", h.massFraction,
                        textOf(titration, t::kMassFraction), ""),
            numberField("cross_section_nm2", "原子截面积 cross-section", h.crossSectionNm2,
                        textOf(titration, t::kCrossSection), "nm²"),
            numberField("dispersion", "金属分散度 dispersion", h.dispersion, textOf(titration, t::kDispersion), ""),
            numberField("active_area_m2_g", "活性比表面积 active area", h.activeAreaM2g,
                        textOf(titration, t::kActiveArea), "m²/g"),
            numberField("desorbed_total_ml", "脱附总量 desorbed total", desorbedTotalMl(h),
                        textOf(desorption, d::kTotal), "ml"),
            numberField("desorbed_per_gram_ml_g", "脱附量 desorbed per gram", desorbedPerGram(h),
                        textOf(desorption, d::kPerGram), "ml/g"),
        };
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

    bool savePdf(ReportPdfWriter& writer, const std::string& path, std::string* error) const override {
        const TestReport& report = *report_;
        const ReportLetterhead& letterhead = letterhead_;
        switch (page_) {
        case ReportPage::Titration:
            return writer.savePdf(path, kTitrationDocumentName, [&](int32_t w, int32_t h) {
                return std::vector<DrawList>{titrationReportPage(report, letterhead, w, h)};
            }, error);
        case ReportPage::Desorption:
            return writer.savePdf(path, kDesorptionDocumentName, [&](int32_t w, int32_t h) {
                return std::vector<DrawList>{desorptionReportPage(report, letterhead, w, h)};
            }, error);
        default:
            return writer.savePdf(path, kTpReportDocumentName, [&](int32_t w, int32_t h) {
                return tpReportPages(report, letterhead, w, h);
            }, error);
        }
    }

private:
    std::unique_ptr<TestReport> report_ = std::make_unique<TestReport>();
    ReportPage page_ = ReportPage::TemperatureProgrammed;
    ReportLetterhead letterhead_;
};

}  // namespace

LoadedInput loadReportFileInput(const std::string& path) {
    // A report always holds its whole header; a shorter file is something else under the name,
    // and reading it would give a report of zeros and leftovers.
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size < kTestReportHeaderBytes) {
        return {nullptr, "‘" + path + "’不是报告文件：文件太短(" + std::to_string(size) + "字节)\n‘" + path +
                             "’ is not a report file: " + std::to_string(size) + " bytes, shorter than its header"};
    }
    auto input = std::make_unique<ReportFileInput>();
    const ReportFileResult result = readReportFile(path, input->report());
    if (!result.ok) return {nullptr, result.message + "\ncannot use the report file ‘" + path + "’"};
    // The results as the windows show and print them: a window recalculates the titration from
    // its fields as they are filled, so a stale result in the file never reaches the operator.
    computeTitration(input->report().header());
    return {std::move(input), {}};
}

}  // namespace vespian
