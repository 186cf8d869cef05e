// vespian-report on a record database (.03D): how many records each list holds, the BET
// results, one list as CSV (the list export's columns), and the BET pages as printed.

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "analysis/bet.h"
#include "app/report_inputs.h"
#include "app/report_options.h"
#include "files/json_text.h"
#include "files/list_export.h"
#include "files/record_database.h"
#include "platform/gbk_text.h"
#include "platform/replace_file.h"
#include "print/list_printing.h"

namespace vespian {

namespace {

enum class DatabaseTable { Standards, Samples, Reports };
struct TableChoice {
    const char* name;
    DatabaseTable table;
};
// The report list is the default: the BET results are what a data system wants.
constexpr TableChoice kTableChoices[] = {
    {"reports", DatabaseTable::Reports},
    {"samples", DatabaseTable::Samples},
    {"standards", DatabaseTable::Standards},
};

template <typename Table>
int32_t inUse(const Table& table) {
    int32_t n = 0;
    for (int32_t i = 0; i < std::clamp(table.count, 0, Table::kCapacity); ++i) n += table.records[i].in_use != 0;
    return n;
}

SummaryField countField(const char* key, const char* label, int32_t n) {
    return {key, label, std::to_string(n), std::to_string(n)};
}

// Why the database's records cannot be read truly, or empty: a BET report in use whose point
// count is outside 0 .. 10 (its points would be read beyond the record), or a value the program
// never writes without one (a weight, the measuring conditions, a point's flows) that is not a
// finite number. Computed results may be without a value.
std::string databaseProblem(const RecordDatabase& db, const std::string& path) {
    const auto named = [&](const char* list, int32_t i, const std::string& what) {
        return "‘" + path + "’中" + list + "第" + std::to_string(i + 1) + "条" + what + "\nthe record database ‘" +
               path + "’ holds a record that cannot be read";
    };
    const ReportTable& reports = db.reports();
    for (int32_t i = 0; i < std::clamp(reports.count, 0, ReportTable::kCapacity); ++i) {
        const SurfaceReportRecord& r = reports.records[i];
        if (r.in_use == 0) continue;
        if (r.point_count < 0 || r.point_count > kBetMaxPoints) {
            return named("BET报告", i, "的点数" + std::to_string(r.point_count) + "超出范围(0-10)");
        }
        bool finite = std::isfinite(r.weight_mg) && std::isfinite(r.p0_kpa) && std::isfinite(r.n2_temp_c) &&
                      std::isfinite(r.ads_pressure_kpa) && std::isfinite(r.calib_volume_ml);
        for (int32_t k = 0; k < r.point_count; ++k) finite = finite && std::isfinite(r.n2_flow[k]) && std::isfinite(r.he_flow[k]);
        if (!finite) return named("BET报告", i, "含有不是有限数值的测量条件");
    }
    const auto weights = [&](const auto& table, const char* list) -> std::string {
        for (int32_t i = 0; i < std::clamp(table.count, 0, std::remove_cvref_t<decltype(table)>::kCapacity); ++i) {
            if (table.records[i].in_use != 0 && !std::isfinite(table.records[i].weight_mg)) {
                return named(list, i, "的重量不是有限数值");
            }
        }
        return {};
    };
    if (std::string problem = weights(db.standards(), "标样"); !problem.empty()) return problem;
    return weights(db.samples(), "样品");
}

class DatabaseInput final : public ReportInput {
public:
    RecordDatabase& database() { return *database_; }

    InputSummary summary() const override {
        const RecordDatabase& db = *database_;
        const ReportTable& reports = db.reports();
        std::string json = "[";
        std::string text;
        for (int32_t i = 0; i < std::clamp(reports.count, 0, ReportTable::kCapacity); ++i) {
            const SurfaceReportRecord& r = reports.records[i];
            if (r.in_use == 0) continue;
            const std::string name = readGbkField(r.name);
            if (json.size() > 1) json += ", ";
            json += "{\"number\": " + std::to_string(r.number) + ", \"name\": " + jsonString(name) +
                    ", \"bet_area_m2_g\": " + jsonNumber(r.bet_area) + ", \"points\": " +
                    std::to_string(r.point_count) + ", \"selected\": " + (r.selected != 0 ? "true" : "false") + "}";
            text += (text.empty() ? "" : "; ") + std::to_string(r.number) + " " + name + " " + betAreaText(r) +
                    " m²/g";
        }
        InputSummary summary{"database", {}};
        summary.fields = {
            countField("standards", "标样 standards", inUse(db.standards())),
            countField("standards_selected", "选中的标样 standards selected", countSelectedInUse(db.standards())),
            countField("samples", "样品 samples", inUse(db.samples())),
            countField("samples_selected", "选中的样品 samples selected", countSelectedInUse(db.samples())),
            countField("reports", "BET报告 reports", inUse(reports)),
            countField("reports_selected", "选中的报告 reports selected", countSelectedInUse(reports)),
            {"bet_reports", "BET结果 BET results", json + "]", text.empty() ? "—" : text},
        };
        return summary;
    }

    bool supports(ReportOutput output) const override {
        return output == ReportOutput::Csv || output == ReportOutput::Pdf;
    }

    bool choose(const ReportOptions& options, std::string* error) override {
        if (!options.page.empty() || !options.letterhead.empty()) {
            ReportOptions others;
            others.page = options.page;
            others.letterhead = options.letterhead;
            return ReportInput::choose(others, error);
        }
        if (options.table.empty()) return true;
        for (const TableChoice& choice : kTableChoices) {
            if (options.table == choice.name) {
                table_ = choice.table;
                return true;
            }
        }
        *error = "不能识别的列表\"" + options.table + "\"(可用: reports, samples, standards)\nunknown table \"" +
                 options.table + "\" (known: reports, samples, standards)";
        return false;
    }

    bool writeCsv(std::FILE* out) const override {
        const std::string csv = tableCsv();
        return writeBlock(out, csv.data(), csv.size()) && std::fflush(out) == 0;
    }

    bool saveCsv(const std::string& path, std::string* error) const override {
        const std::string csv = tableCsv();
        if (replaceFile(path, [&](std::FILE* file) { return writeBlock(file, csv.data(), csv.size()); }) ==
            ReplaceFileStatus::Ok) {
            return true;
        }
        *error = "无法建立‘" + path + "’文件\ncannot write the file ‘" + path + "’";
        return false;
    }

    // The selected BET reports, one page each, as the report list prints them; all of them
    // when none is selected. A database without a report has no page to give.
    bool savePdf(ReportPdfWriter& writer, const std::string& path, std::string* error) const override {
        const ReportTable& reports = database_->reports();
        std::vector<PrintPage> chosen = printPages(*database_, PrintKind::Reports, 1);
        if (chosen.empty()) {
            for (int32_t i = 0; i < std::clamp(reports.count, 0, ReportTable::kCapacity); ++i) {
                if (reports.records[i].in_use != 0) chosen.push_back({PrintKind::Reports, i, i + 1});
            }
        }
        if (chosen.empty()) {
            *error = "数据库中没有BET报告，不能输出PDF\nthe database holds no BET report to print";
            return false;
        }
        return writer.savePdf(path, kPrintDocumentName, [&](int32_t w, int32_t h) {
            std::vector<DrawList> pages;
            for (const PrintPage& page : chosen) pages.push_back(printedPage(*database_, page, w, h, {}, {}));
            return pages;
        }, error);
    }

private:
    std::string tableCsv() const {
        switch (table_) {
        case DatabaseTable::Standards: return standardsCsv(database_->standards());
        case DatabaseTable::Samples: return samplesCsv(database_->samples());
        default: return reportsCsv(database_->reports());
        }
    }

    std::unique_ptr<RecordDatabase> database_ = std::make_unique<RecordDatabase>();
    DatabaseTable table_ = DatabaseTable::Reports;
};

}  // namespace

LoadedInput loadDatabaseInput(const std::string& path) {
    auto input = std::make_unique<DatabaseInput>();
    const DatabaseFileResult result = loadDatabase(path, input->database());
    if (!result.ok) return {nullptr, result.message + "\ncannot use the record database ‘" + path + "’"};
    if (std::string problem = databaseProblem(input->database(), path); !problem.empty()) return {nullptr, problem};
    return {std::move(input), {}};
}

}  // namespace vespian
