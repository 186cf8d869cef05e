#include "app/report_archive.h"

#include <charconv>
#include <filesystem>
#include <memory>
#include <optional>

#include <nlohmann/json.hpp>

#include "app/report_options.h"
#include "archive/archive_opening.h"
#include "archive/archive_verification.h"
#include "archive/find_form.h"
#include "archive/postgres_connection.h"
#include "archive/result_trend.h"
#include "archive/sql_archive.h"
#include "platform/decimal_text.h"

namespace vespian {

namespace {

using json = nlohmann::ordered_json;

constexpr char kVerifyOption[] = "--verify-audit";
constexpr char kArchiveOption[] = "--archive";
constexpr char kFindOption[] = "--find";
constexpr char kTrendOption[] = "--trend";
constexpr char kDataFolderForTool[] = "SAVE";  // of the working folder, as the program keeps it

int fail(std::FILE* err, int code, const std::string& message) {
    std::fprintf(err, "%s\n", message.c_str());
    return code;
}

void print(std::FILE* out, const json& answer) {
    const std::string text = answer.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    std::fwrite(text.data(), 1, text.size(), out);
}

bool isConnectionString(const std::string& where) {
    return where.rfind("postgresql://", 0) == 0 || where.rfind("postgres://", 0) == 0 ||
           where.find('=') != std::string::npos;
}

// The archive named on the command line, never created: a file that is not there is an error.
std::unique_ptr<Archive> openNamed(const std::string& where, std::string* error) {
    if (isConnectionString(where)) {
        return std::make_unique<SqlArchive>(std::make_unique<PostgresConnection>(where), SqlArchive::Options{});
    }
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(where, ignored)) {
        *error = "存档‘" + where + "’不存在\nno archive at " + where;
        return nullptr;
    }
    OpenedArchive opened = openSqliteArchive(where);
    if (!opened.archive) *error = opened.message;
    return std::move(opened.archive);
}

std::optional<double> number(const std::string& text) {
    double value = 0.0;
    const auto [rest, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failure != std::errc() || rest != text.data() + text.size()) return std::nullopt;
    return value;
}

// A day alone ("2026-03-01") is its local midnight; otherwise an ISO time with its offset.
std::optional<WallMs> moment(const std::string& text) {
    if (std::optional<WallMs> at = parseIsoTime(text)) return at;
    return localDayStart(text);
}

bool parseFind(const std::vector<std::string>& terms, FindQuery* query, std::string* trend, std::string* error) {
    ResultRange range;
    bool ranged = false;
    for (size_t i = 0; i < terms.size(); ++i) {
        const std::string& term = terms[i];
        if (term == kTrendOption) {
            if (i + 1 >= terms.size()) {
                *error = "--trend 后面缺少结果名\n--trend needs a result name";
                return false;
            }
            *trend = terms[++i];
            continue;
        }
        const size_t equals = term.find('=');
        if (equals == std::string::npos || equals == 0) {
            *error = "查询条件\"" + term + "\"应为 名称=值\nthe find term \"" + term + "\" must be name=value";
            return false;
        }
        std::string name = term.substr(0, equals);
        const std::string value = term.substr(equals + 1);
        bool contains = false;
        if (name.back() == '~') {
            contains = true;
            name.pop_back();
        }
        auto bad = [&](const std::string& why) {
            *error = "查询条件\"" + term + "\"：" + why + "\nthe find term \"" + term + "\" is not usable";
            return false;
        };
        if (name == "sample") {
            (contains ? query->sampleContains : query->sample) = value;
        } else if (name == "from" || name == "to") {
            const std::optional<WallMs> at = moment(value);
            if (!at) return bad("时间应为 2026-03-01 或 2026-03-01T08:00:00+08:00");
            // "to" a day takes the whole day.
            const WallMs end = value.size() == 10 ? *at + 86'400'000 : *at;
            (name == "from" ? query->savedFrom : query->savedUntil) = name == "from" ? *at : end;
        } else if (name == "method") {
            query->method = value;
        } else if (name == "operator") {
            query->operatorName = value;
        } else if (name == "instrument") {
            query->instrument = value;
        } else if (name == "trace") {
            query->traceSha256 = value;
        } else if (name == "kind") {
            query->kind = saveKindFromName(value);
            if (!query->kind) return bad("种类应为 trace、report、database、export 或 evaluation");
        } else if (name == "result") {
            range.name = value;
            ranged = true;
        } else if (name == "min" || name == "max") {
            const std::optional<double> bound = number(value);
            if (!bound) return bad("应为数字");
            (name == "min" ? range.least : range.most) = *bound;
            ranged = true;
        } else if (name == "limit") {
            const std::optional<double> limit = number(value);
            if (!limit || *limit < 1 || *limit > 1'000'000 || *limit != static_cast<int32_t>(*limit)) {
                return bad("应为1到1000000的整数");
            }
            query->limit = static_cast<int32_t>(*limit);
        } else {
            return bad("不认识的名称");
        }
    }
    if (ranged) {
        if (range.name.empty()) {
            *error = "min= 和 max= 需要 result=名称\nmin= and max= need result=NAME";
            return false;
        }
        query->result = range;
    }
    return true;
}

json optionalNumber(const std::optional<double>& value) { return value ? json(*value) : json(nullptr); }

int verify(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::string where = localArchivePath(kDataFolderForTool);
    if (args.size() > 2) return fail(err, kReportUsage, "--verify-audit 只接受一个存档\n--verify-audit takes one archive");
    if (args.size() == 2) where = args[1];
    std::string error;
    std::unique_ptr<Archive> archive = openNamed(where, &error);
    if (!archive) return fail(err, kReportInputRefused, error);
    const ArchiveVerification checked = verifyArchive(*archive);
    json files = json::array();
    for (const FileProblem& f : checked.files) {
        files.push_back({{"path", f.path},
                         {"missing", f.missing},
                         {"expected_sha256", f.expectedSha256},
                         {"found_sha256", f.missing ? json(nullptr) : json(f.foundSha256)},
                         {"audit_row", f.auditSeq}});
    }
    print(out, {{"archive", archive->where()},
                {"ok", checked.ok()},
                {"rows_checked", checked.rowsChecked},
                {"first_bad_row", checked.firstBadRow ? json(*checked.firstBadRow) : json(nullptr)},
                {"row_problem", checked.rowProblem},
                {"files_checked", checked.filesChecked},
                {"files", files},
                {"summary", checked.summary()}});
    if (!checked.readOk) return fail(err, kReportInputRefused, checked.summary());
    if (!checked.ok()) return fail(err, kArchiveMismatch, checked.summary());
    return kReportOk;
}

int find(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    // --archive DB --find terms…
    if (args.size() < 3 || args[2] != kFindOption) {
        return fail(err, kReportUsage, "用法：--archive 存档 --find 条件…\nusage: --archive DB --find TERMS…");
    }
    FindQuery query;
    std::string trendName, error;
    if (!parseFind({args.begin() + 3, args.end()}, &query, &trendName, &error)) return fail(err, kReportUsage, error);
    std::unique_ptr<Archive> archive = openNamed(args[1], &error);
    if (!archive) return fail(err, kReportInputRefused, error);
    const FindResult found = archive->find(query);
    if (!found.ok) return fail(err, kReportInputRefused, found.message);
    json saves = json::array();
    for (const ArchivedSave& save : found.saves) {
        json one = registrationToJson(save.registration);
        one["seq"] = save.seq;
        saves.push_back(std::move(one));
    }
    json answer = {{"archive", archive->where()}, {"count", saves.size()}, {"saves", saves}};
    if (!trendName.empty()) {
        const TrendResult trend = trendOf(*archive, trendName, query);
        if (!trend.ok) return fail(err, kReportInputRefused, trend.message);
        const Trend& t = trend.trend;
        json points = json::array();
        for (const TrendPoint& p : t.points) {
            points.push_back({{"at", isoLocalTime(p.atMs)},
                              {"value", p.value},
                              {"sample", p.sample},
                              {"registration", p.registrationId},
                              {"outside", p.outside}});
        }
        answer["trend"] = {{"result", t.resultName},      {"unit", t.unit},
                           {"mean", optionalNumber(t.mean)}, {"sigma", optionalNumber(t.sigma)},
                           {"lower_limit", optionalNumber(t.lowerLimit)},
                           {"upper_limit", optionalNumber(t.upperLimit)},
                           {"outside", t.outsideCount},   {"points", points}};
    }
    print(out, answer);
    return kReportOk;
}

}  // namespace

bool isArchiveCommand(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") return false;  // the tool's whole help, these modes' too
    }
    return !args.empty() && (args[0] == kVerifyOption || args[0] == kArchiveOption);
}

int runArchiveCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    if (args.empty()) return fail(err, kReportUsage, "缺少参数\nno arguments");
    if (args[0] == kVerifyOption) return verify(args, out, err);
    if (args.size() < 2) return fail(err, kReportUsage, "--archive 后面缺少存档\n--archive needs an archive");
    return find(args, out, err);
}

std::string archiveUsage() {
    return "  --verify-audit [存档]  检查审计链和存档文件的SHA-256(默认 SAVE/archive.sqlite)，不符时退出码4\n"
           "  --archive 存档 --find 条件…  按 sample= sample~= from= to= method= operator= instrument= kind=\n"
           "                       trace= result= min= max= limit= 查找存档，--trend 名称 给出趋势；JSON输出\n"
           "  --verify-audit [DB]   check the audit chain and the archived files' SHA-256; exit code 4 when not\n"
           "  --archive DB --find TERMS…  find archived saves, --trend NAME for a result's trend; JSON\n";
}

}  // namespace vespian
