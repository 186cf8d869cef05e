#include "archive/sql_archive.h"

#include <cmath>
#include <filesystem>
#include <map>

#include "archive/archive_schema.h"
#include "archive/sqlite_connection.h"

namespace vespian {

namespace {

using nlohmann::json;

constexpr int32_t kAuditPage = 2000;

// The registration as the archive stores it: valid texts, and the file by its full path, so that
// the file is found again from wherever the archive is checked.
Registration cleaned(const Registration& r) {
    Registration c = r;
    if (!c.path.empty()) {
        std::error_code error;
        const std::filesystem::path full = std::filesystem::absolute(c.path, error);
        if (!error) c.path = full.lexically_normal().string();
    }
    for (std::string* text : {&c.id, &c.path, &c.sha256, &c.traceSha256, &c.sample, &c.weightUnit, &c.method,
                              &c.operatorName, &c.instrument, &c.instrumentSerial, &c.host}) {
        *text = cleanText(*text);
    }
    for (ResultValue& v : c.results) {
        v.name = cleanText(v.name);
        v.unit = cleanText(v.unit);
        for (std::string& flag : v.flags) flag = cleanText(flag);
    }
    return c;
}

std::string jsonText(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

SqlValue realOrNull(double value) { return std::isfinite(value) ? SqlValue(value) : SqlValue(); }

// The audit row a save leaves: which file, its hash, which registration.
AuditEntry saveEntry(const Registration& r) {
    AuditEntry e;
    e.id = r.id;
    e.atMs = r.savedMs;
    e.who = r.operatorName;
    e.action = r.kind == SaveKind::Evaluation ? audit_action::kEvaluate : audit_action::kSave;
    e.subject = r.path;
    e.traceSha256 = r.traceSha256;
    e.newValue = r.sha256;
    json details = {{"registration", r.id}, {"kind", saveKindName(r.kind)}};
    if (r.kind == SaveKind::Evaluation || !r.parameters.empty()) details["parameters"] = r.parameters;
    e.details = jsonText(details);
    return e;
}

const char kRegistrationColumns[] =
    "seq, id, kind, path, sha256, trace_sha256, sample, sample_weight, weight_unit, method, operator,"
    " instrument, instrument_serial, host, started_ms, ended_ms, saved_ms, parameters";

ArchivedSave saveFromRow(const SqlRow& row) {
    ArchivedSave save;
    save.seq = sqlInteger(row[0]);
    Registration& r = save.registration;
    r.id = sqlText(row[1]);
    r.kind = saveKindFromName(sqlText(row[2])).value_or(SaveKind::Trace);
    r.path = sqlText(row[3]);
    r.sha256 = sqlText(row[4]);
    r.traceSha256 = sqlText(row[5]);
    r.sample = sqlText(row[6]);
    r.sampleWeight = sqlReal(row[7], kUnknown);
    r.weightUnit = sqlText(row[8]);
    r.method = sqlText(row[9]);
    r.operatorName = sqlText(row[10]);
    r.instrument = sqlText(row[11]);
    r.instrumentSerial = sqlText(row[12]);
    r.host = sqlText(row[13]);
    r.startedMs = sqlInteger(row[14]);
    r.endedMs = sqlInteger(row[15]);
    r.savedMs = sqlInteger(row[16]);
    r.parameters = json::parse(sqlText(row[17]), nullptr, false);
    if (r.parameters.is_discarded()) r.parameters = json::object();
    return save;
}

}  // namespace

SqlArchive::SqlArchive(std::unique_ptr<SqlConnection> connection, Options options)
    : connection_(std::move(connection)), options_(std::move(options)), pending_(options_.pendingPath) {}

std::string SqlArchive::where() const { return connection_->where(); }

bool SqlArchive::readVersion(int* version, std::string* error) {
    if (connection_->engine() == SqlEngine::Sqlite) {
        const SqlResult r = connection_->run("PRAGMA user_version");
        if (!r.ok || r.rows.empty()) {
            *error = r.error;
            return false;
        }
        *version = static_cast<int>(sqlInteger(r.rows[0][0]));
        return true;
    }
    const SqlResult exists = connection_->run("SELECT to_regclass('archive_schema') IS NOT NULL");
    if (!exists.ok || exists.rows.empty()) {
        *error = exists.error;
        return false;
    }
    if (sqlText(exists.rows[0][0]) != "t") {
        *version = 0;
        return true;
    }
    const SqlResult r = connection_->run("SELECT version FROM archive_schema");
    if (!r.ok || r.rows.empty()) {
        *error = r.ok ? "archive_schema is empty" : r.error;
        return false;
    }
    *version = static_cast<int>(sqlInteger(r.rows[0][0]));
    return true;
}

bool SqlArchive::beginWrite(std::string* error) {
    // One writer at a time: the audit chain needs each row to see the one before it.
    if (connection_->engine() == SqlEngine::Sqlite) {
        const SqlResult r = connection_->run("BEGIN IMMEDIATE");
        if (!r.ok) *error = r.error;
        return r.ok;
    }
    SqlResult r = connection_->run("BEGIN");
    if (r.ok) r = connection_->run("LOCK TABLE audit IN EXCLUSIVE MODE");
    if (!r.ok) {
        *error = r.error;
        rollback();
    }
    return r.ok;
}

bool SqlArchive::commit(std::string* error) {
    const SqlResult r = connection_->run("COMMIT");
    if (!r.ok) {
        *error = r.error;
        rollback();
    }
    return r.ok;
}

void SqlArchive::rollback() { connection_->run("ROLLBACK"); }

ArchiveOutcome SqlArchive::migrate() {
    const bool sqlite = connection_->engine() == SqlEngine::Sqlite;
    std::string error;
    int version = 0;
    if (!readVersion(&version, &error)) return {false, false, "无法读取存档‘" + where() + "’：" + error};
    if (version > kArchiveSchemaVersion) {
        refused_ = true;
        refusal_ = "存档‘" + where() + "’的版本(" + std::to_string(version) + ")比本程序能用的(" +
                   std::to_string(kArchiveSchemaVersion) + ")新，请用较新版本的程序；存档未作改动";
        return {false, false, refusal_};
    }
    if (sqlite) {
        // Set only once the version is known to be ours: WAL mode changes the file's header.
        connection_->run("PRAGMA journal_mode = WAL");
        connection_->run("PRAGMA synchronous = NORMAL");
        connection_->run("PRAGMA foreign_keys = ON");
    }
    for (const SchemaStep& step : archiveSchemaSteps()) {
        if (step.version <= version) continue;
        SqlResult r = connection_->run(sqlite ? "BEGIN IMMEDIATE" : "BEGIN");
        if (r.ok && !sqlite) r = connection_->run("SELECT pg_advisory_xact_lock(20260101)");
        // Another program may have brought the archive up to date while this one waited.
        int now = 0;
        if (r.ok && !readVersion(&now, &r.error)) r.ok = false;
        if (r.ok && now >= step.version) {
            connection_->run("COMMIT");
            version = now;
            continue;
        }
        for (const std::string& statement : schemaStatements(step, connection_->engine())) {
            if (!r.ok) break;
            r = connection_->run(statement);
        }
        if (r.ok) {
            r = sqlite ? connection_->run("PRAGMA user_version = " + std::to_string(step.version))
                       : connection_->run("UPDATE archive_schema SET version = ?", {int64_t{step.version}});
        }
        if (r.ok) r = connection_->run("COMMIT");
        if (!r.ok) {
            rollback();
            return {false, false,
                    "无法把存档‘" + where() + "’升级到版本" + std::to_string(step.version) + "：" + r.error};
        }
        version = step.version;
    }
    version_ = version;
    prepared_ = true;
    return {true, false, {}};
}

ArchiveOutcome SqlArchive::prepare() noexcept {
    if (prepared_) return {true, false, {}};
    if (refused_) return {false, false, refusal_};
    try {
        if (!connection_->reachable()) {
            return {false, false, "存档‘" + where() + "’无法连接：" + connection_->unreachableReason()};
        }
        ArchiveOutcome outcome = migrate();
        if (outcome.ok) sendWaiting();
        return outcome;
    } catch (const std::exception& e) {
        return {false, false, std::string("存档出错：") + e.what()};
    }
}

bool SqlArchive::appendAuditRow(const AuditEntry& entry, std::string* error, bool fresh) {
    if (!fresh) {
        const SqlResult known = connection_->run("SELECT 1 FROM audit WHERE id = ?", {entry.id});
        if (!known.ok) {
            *error = known.error;
            return false;
        }
        if (!known.rows.empty()) return true;  // sent twice: it is already in the chain
    }
    const SqlResult last = connection_->run("SELECT seq, hash FROM audit ORDER BY seq DESC LIMIT 1");
    if (!last.ok) {
        *error = last.error;
        return false;
    }
    const int64_t seq = last.rows.empty() ? 1 : sqlInteger(last.rows[0][0]) + 1;
    const std::string previous = last.rows.empty() ? std::string(kAuditGenesisHash) : sqlText(last.rows[0][1]);
    const std::string hash = auditRowHash(seq, entry, previous);
    const SqlResult r = connection_->run(
        "INSERT INTO audit (seq, id, at_ms, who, action, subject, trace_sha256, old_value, new_value, details,"
        " previous_hash, hash) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {seq, entry.id, entry.atMs, entry.who, entry.action, entry.subject, entry.traceSha256, entry.oldValue,
         entry.newValue, entry.details, previous, hash});
    if (!r.ok) *error = r.error;
    return r.ok;
}

bool SqlArchive::insertRegistration(const Registration& r, bool* inserted, std::string* error) {
    const SqlResult row = connection_->run(
        "INSERT INTO registrations (id, kind, path, sha256, trace_sha256, sample, sample_weight, weight_unit,"
        " method, operator, instrument, instrument_serial, host, started_ms, ended_ms, saved_ms, parameters)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (id) DO NOTHING RETURNING seq",
        {r.id, std::string(saveKindName(r.kind)), r.path, r.sha256, r.traceSha256, r.sample, realOrNull(r.sampleWeight),
         r.weightUnit, r.method, r.operatorName, r.instrument, r.instrumentSerial, r.host, r.startedMs, r.endedMs,
         r.savedMs, jsonText(r.parameters)});
    if (!row.ok) {
        *error = row.error;
        return false;
    }
    *inserted = !row.rows.empty();
    if (!*inserted) return true;
    const int64_t seq = sqlInteger(row.rows[0][0]);
    for (size_t i = 0; i < r.results.size(); ++i) {
        const ResultValue& v = r.results[i];
        const SqlResult x = connection_->run(
            "INSERT INTO results (registration_seq, position, name, value, uncertainty, unit, flags)"
            " VALUES (?, ?, ?, ?, ?, ?, ?)",
            {seq, static_cast<int64_t>(i), v.name, realOrNull(v.value), realOrNull(v.uncertainty), v.unit,
             jsonText(json(v.flags))});
        if (!x.ok) {
            *error = x.error;
            return false;
        }
    }
    return true;
}

bool SqlArchive::putInOutbox(const std::string& id, const char* what, const json& payload, std::string* error) {
    const SqlResult r = connection_->run(
        "INSERT INTO outbox (id, what, payload, queued_ms) VALUES (?, ?, ?, ?) ON CONFLICT (id) DO NOTHING",
        {std::string(what) + ":" + id, std::string(what), jsonText(payload), wallNowMs()});
    if (!r.ok) *error = r.error;
    return r.ok;
}

ArchiveOutcome SqlArchive::failure(const std::string& error, const json* queueItem) {
    std::string message = "存档‘" + where() + "’失败：" + error;
    bool queued = false;
    std::string queueError;
    if (queueItem != nullptr && pending_.enabled()) queued = pending_.append(*queueItem, &queueError);
    if (queued) {
        message += "。登记已记在‘" + pending_.path() + "’，下次打开存档时再存";
    } else if (queueItem != nullptr) {
        message += "。登记未能记下" + (queueError.empty() ? std::string() : "(" + queueError + ")");
    }
    return {false, queued, message};
}

ArchiveOutcome SqlArchive::archiveRegistration(const Registration& original) noexcept {
    try {
        const ArchiveOutcome ready = prepare();
        if (!ready.ok) return ready;
        const Registration r = cleaned(original);
        std::string error;
        bool inserted = false;
        if (!beginWrite(&error)) return {false, false, error};
        const bool done = insertRegistration(r, &inserted, &error) &&
                          (!inserted || appendAuditRow(cleanedEntry(saveEntry(r)), &error, true)) &&
                          (!inserted || !options_.keepsOutbox ||
                           putInOutbox(r.id, "registration", registrationToJson(r), &error)) &&
                          commit(&error);
        if (!done) {
            rollback();
            return {false, false, error};
        }
        return {true, false, {}};
    } catch (const std::exception& e) {
        rollback();
        return {false, false, e.what()};
    }
}

ArchiveOutcome SqlArchive::archiveAudit(const AuditEntry& original) noexcept {
    try {
        const ArchiveOutcome ready = prepare();
        if (!ready.ok) return ready;
        const AuditEntry entry = cleanedEntry(original);
        std::string error;
        if (!beginWrite(&error)) return {false, false, error};
        const bool done = appendAuditRow(entry, &error) &&
                          (!options_.keepsOutbox || putInOutbox(entry.id, "audit", auditEntryToJson(entry), &error)) &&
                          commit(&error);
        if (!done) {
            rollback();
            return {false, false, error};
        }
        return {true, false, {}};
    } catch (const std::exception& e) {
        rollback();
        return {false, false, e.what()};
    }
}

ArchiveOutcome SqlArchive::registerSave(const Registration& registration) noexcept {
    try {
        if (refused_) return {false, false, refusal_};
        const ArchiveOutcome outcome = archiveRegistration(registration);
        if (outcome.ok) return outcome;
        const json item = {{"registration", registrationToJson(registration)}};
        return failure(outcome.message, &item);
    } catch (const std::exception& e) {
        return {false, false, std::string("存档出错：") + e.what()};
    }
}

ArchiveOutcome SqlArchive::recordAudit(const AuditEntry& entry) noexcept {
    try {
        if (refused_) return {false, false, refusal_};
        const ArchiveOutcome outcome = archiveAudit(entry);
        if (outcome.ok) return outcome;
        const json item = {{"audit", auditEntryToJson(entry)}};
        return failure(outcome.message, &item);
    } catch (const std::exception& e) {
        return {false, false, std::string("存档出错：") + e.what()};
    }
}

int64_t SqlArchive::waiting() noexcept {
    try {
        return static_cast<int64_t>(pending_.size());
    } catch (const std::exception&) {
        return 0;
    }
}

ArchiveOutcome SqlArchive::sendWaiting() noexcept {
    try {
        if (!prepared_) return prepare();
        const size_t remaining = pending_.drain([&](const json& item) {
            if (item.contains("registration")) {
                const RegistrationRead read = registrationFromJson(item["registration"]);
                return !read.ok || archiveRegistration(read.registration).ok;  // a broken line is dropped
            }
            if (item.contains("audit")) {
                const AuditEntryRead read = auditEntryFromJson(item["audit"]);
                return !read.ok || archiveAudit(read.entry).ok;
            }
            return true;
        });
        if (remaining == 0) return {true, false, {}};
        return {false, true, "存档‘" + where() + "’仍有" + std::to_string(remaining) + "项登记未能存入"};
    } catch (const std::exception& e) {
        return {false, true, std::string("存档出错：") + e.what()};
    }
}

FindResult SqlArchive::find(const FindQuery& q) noexcept {
    FindResult found;
    try {
        const ArchiveOutcome ready = prepare();
        if (!ready.ok) {
            found.message = ready.message;
            return found;
        }
        std::string sql = std::string("SELECT ") + kRegistrationColumns + " FROM registrations r WHERE 1 = 1";
        std::vector<SqlValue> p;
        const auto equal = [&](const char* column, const std::string& value) {
            if (value.empty()) return;
            sql += std::string(" AND ") + column + " = ?";
            p.emplace_back(cleanText(value));
        };
        if (q.kind) {
            sql += " AND kind = ?";
            p.emplace_back(std::string(saveKindName(*q.kind)));
        }
        equal("sample", q.sample);
        equal("method", q.method);
        equal("operator", q.operatorName);
        equal("instrument", q.instrument);
        equal("trace_sha256", q.traceSha256);
        if (!q.sampleContains.empty()) {
            sql += connection_->engine() == SqlEngine::Sqlite ? " AND instr(sample, ?) > 0" : " AND strpos(sample, ?) > 0";
            p.emplace_back(cleanText(q.sampleContains));
        }
        if (q.savedFrom) {
            sql += " AND saved_ms >= ?";
            p.emplace_back(*q.savedFrom);
        }
        if (q.savedUntil) {
            sql += " AND saved_ms < ?";
            p.emplace_back(*q.savedUntil);
        }
        if (q.result) {
            sql += " AND EXISTS (SELECT 1 FROM results x WHERE x.registration_seq = r.seq AND x.name = ?";
            p.emplace_back(q.result->name);
            if (q.result->least) {
                sql += " AND x.value >= ?";
                p.emplace_back(*q.result->least);
            }
            if (q.result->most) {
                sql += " AND x.value <= ?";
                p.emplace_back(*q.result->most);
            }
            sql += ")";
        }
        sql += " ORDER BY saved_ms DESC, seq DESC LIMIT ?";
        p.emplace_back(int64_t{q.limit > 0 ? q.limit : 1000});
        const SqlResult rows = connection_->run(sql, p);
        if (!rows.ok) {
            found.message = "无法查找存档‘" + where() + "’：" + rows.error;
            return found;
        }
        for (const SqlRow& row : rows.rows) found.saves.push_back(saveFromRow(row));
        if (!found.saves.empty()) {
            std::string in = "SELECT registration_seq, name, value, uncertainty, unit, flags FROM results"
                             " WHERE registration_seq IN (";
            std::vector<SqlValue> seqs;
            for (size_t i = 0; i < found.saves.size(); ++i) {
                in += i == 0 ? "?" : ", ?";
                seqs.emplace_back(found.saves[i].seq);
            }
            in += ") ORDER BY registration_seq, position";
            const SqlResult results = connection_->run(in, seqs);
            if (!results.ok) {
                found.saves.clear();
                found.message = "无法查找存档‘" + where() + "’：" + results.error;
                return found;
            }
            std::map<int64_t, Registration*> bySeq;
            for (ArchivedSave& save : found.saves) bySeq[save.seq] = &save.registration;
            for (const SqlRow& row : results.rows) {
                ResultValue v;
                v.name = sqlText(row[1]);
                v.value = sqlReal(row[2], kUnknown);
                v.uncertainty = sqlReal(row[3], kUnknown);
                v.unit = sqlText(row[4]);
                const json flags = json::parse(sqlText(row[5]), nullptr, false);
                if (flags.is_array()) {
                    for (const json& flag : flags) {
                        if (flag.is_string()) v.flags.push_back(flag.get<std::string>());
                    }
                }
                bySeq[sqlInteger(row[0])]->results.push_back(std::move(v));
            }
        }
        found.ok = true;
    } catch (const std::exception& e) {
        found.saves.clear();
        found.message = std::string("存档出错：") + e.what();
    }
    return found;
}

bool SqlArchive::readAudit(const AuditFilter& filter, const std::function<bool(const AuditRow&)>& each,
                           std::string* error) noexcept {
    try {
        const ArchiveOutcome ready = prepare();
        if (!ready.ok) {
            *error = ready.message;
            return false;
        }
        std::string condition;
        std::vector<SqlValue> p;
        if (!filter.traceSha256.empty() || !filter.subjects.empty()) {
            condition = " AND (1 = 0";
            if (!filter.traceSha256.empty()) {
                condition += " OR trace_sha256 = ?";
                p.emplace_back(filter.traceSha256);
            }
            for (const std::string& subject : filter.subjects) {
                condition += " OR subject = ?";
                p.emplace_back(cleanText(subject));
            }
            condition += ")";
        }
        const std::string sql =
            "SELECT seq, id, at_ms, who, action, subject, trace_sha256, old_value, new_value, details,"
            " previous_hash, hash FROM audit WHERE seq > ?" + condition + " ORDER BY seq LIMIT " +
            std::to_string(kAuditPage);
        int64_t after = 0;
        for (;;) {
            std::vector<SqlValue> page = {after};
            page.insert(page.end(), p.begin(), p.end());
            const SqlResult rows = connection_->run(sql, page);
            if (!rows.ok) {
                *error = "无法读取存档‘" + where() + "’的审计记录：" + rows.error;
                return false;
            }
            for (const SqlRow& row : rows.rows) {
                AuditRow a;
                a.seq = sqlInteger(row[0]);
                a.entry.id = sqlText(row[1]);
                a.entry.atMs = sqlInteger(row[2]);
                a.entry.who = sqlText(row[3]);
                a.entry.action = sqlText(row[4]);
                a.entry.subject = sqlText(row[5]);
                a.entry.traceSha256 = sqlText(row[6]);
                a.entry.oldValue = sqlText(row[7]);
                a.entry.newValue = sqlText(row[8]);
                a.entry.details = sqlText(row[9]);
                a.previousHash = sqlText(row[10]);
                a.hash = sqlText(row[11]);
                after = a.seq;
                if (!each(a)) return true;
            }
            if (rows.rows.size() < static_cast<size_t>(kAuditPage)) return true;
        }
    } catch (const std::exception& e) {
        *error = std::string("存档出错：") + e.what();
        return false;
    }
}

bool SqlArchive::readOutbox(int64_t afterSeq, int32_t limit, std::vector<OutboxItem>* items,
                            std::string* error) noexcept {
    try {
        const ArchiveOutcome ready = prepare();
        if (!ready.ok) {
            *error = ready.message;
            return false;
        }
        const SqlResult rows = connection_->run(
            "SELECT seq, id, what, payload FROM outbox WHERE seq > ? ORDER BY seq LIMIT ?", {afterSeq, int64_t{limit}});
        if (!rows.ok) {
            *error = rows.error;
            return false;
        }
        for (const SqlRow& row : rows.rows) {
            OutboxItem item{sqlInteger(row[0]), sqlText(row[1]), sqlText(row[2]),
                            json::parse(sqlText(row[3]), nullptr, false)};
            items->push_back(std::move(item));
        }
        return true;
    } catch (const std::exception& e) {
        *error = e.what();
        return false;
    }
}

bool SqlArchive::removeFromOutbox(const std::string& id) noexcept {
    try {
        return connection_->run("DELETE FROM outbox WHERE id = ?", {id}).ok;
    } catch (const std::exception&) {
        return false;
    }
}

int64_t SqlArchive::outboxSize() noexcept {
    try {
        if (!prepare().ok) return 0;
        const SqlResult r = connection_->run("SELECT COUNT(*) FROM outbox");
        return r.ok && !r.rows.empty() ? sqlInteger(r.rows[0][0]) : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

OpenedArchive openSqliteArchive(const std::string& path, bool keepsOutbox) {
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
    SqliteConnection::Opened opened = SqliteConnection::open(path);
    if (!opened.connection) return {nullptr, "无法打开存档‘" + path + "’：" + opened.message};
    auto archive = std::make_unique<SqlArchive>(std::move(opened.connection),
                                                SqlArchive::Options{path + kPendingSuffix, keepsOutbox});
    const ArchiveOutcome ready = archive->prepare();
    if (!ready.ok) return {nullptr, ready.message};
    return {std::move(archive), {}};
}

}  // namespace vespian
