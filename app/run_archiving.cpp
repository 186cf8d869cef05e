#include "app/run_archiving.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "archive/report_prefill.h"
#include "archive/sha256.h"
#include "archive/workstation.h"
#include "files/test_report.h"

namespace vespian {

namespace {

constexpr char kLaboratoryKey[] = "laboratory=";
constexpr char kArchiveFailedPrefix[] = "存档失败：";

std::string absolute(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}

}  // namespace

std::string readLaboratoryConnection(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(kLaboratoryKey, 0) == 0) return line.substr(sizeof kLaboratoryKey - 1);
    }
    return {};
}

bool writeLaboratoryConnection(const std::string& path, const std::string& connection) {
    // A connection string on one line: a line break would end it and start another setting.
    if (connection.find_first_of("\r\n") != std::string::npos) return false;
    const std::string temporary = path + ".tmp";
    bool written = false;
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << kLaboratoryKey << connection << "\n";
        written = static_cast<bool>(out.flush());
    }
    std::error_code error;
    // The string may hold the server's password: for the operator's eyes only.
    if (written) {
        std::filesystem::permissions(temporary, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                     error);
    }
    if (written && !error) std::filesystem::rename(temporary, path, error);
    if (written && !error) return true;
    // No half-written setting is left beside the old one.
    std::filesystem::remove(temporary, error);
    return false;
}

RunArchiving::RunArchiving(EventLog& events) : events_(events) { recorder_.begin(wallNowMs()); }

ArchiveNotice RunArchiving::open(const ArchiveSettings& settings) {
    ArchiveOpening opening = openArchive(settings);
    archive_ = std::move(opening.archive);
    if (opening.message.empty()) return {};
    return after({false, true, opening.message});
}

void RunArchiving::frameSent(const Command& frame, const FlowChannels& flows, double furnaceC) {
    frames_.sent(recorder_, frame, wallNowMs(), flows, furnaceC);
}

ArchiveNotice RunArchiving::after(const ArchiveOutcome& outcome) {
    if (outcome.ok) {
        failing_ = false;
        return {};
    }
    if (failing_) return {};
    failing_ = true;
    const std::string text = kArchiveFailedPrefix + outcome.message;
    events_.add(EventKind::Archive, text);
    return {text};
}

Registration RunArchiving::registrationFor(SaveKind kind, const std::string& path, const std::string& sha256) const {
    const WallMs now = wallNowMs();
    const RunRecord run = loadedRecord_ ? *loadedRecord_ : recorder_.record(now, 0);
    Registration r;
    r.id = newUniqueId();
    r.kind = kind;
    r.path = path.empty() ? std::string() : absolute(path);
    r.sha256 = sha256;
    r.traceSha256 = traceSha256_;
    r.operatorName = run.operatorName;
    r.instrument = run.instrument.description;
    r.instrumentSerial = run.instrument.serial;
    r.host = run.host;
    r.startedMs = run.startedMs;
    r.endedMs = run.endedMs;
    r.savedMs = now;
    if (run.method && run.method->is_object() && run.method->contains("name") && (*run.method)["name"].is_string()) {
        r.method = (*run.method)["name"].get<std::string>();
    }
    return r;
}

TraceArchiving RunArchiving::traceSaved(const std::string& path, int32_t points) {
    TraceArchiving done;
    RunRecord record = loadedRecord_ ? *loadedRecord_ : recorder_.record(wallNowMs(), points);
    record.tracePoints = points;
    done.record = writeRunRecordBeside(path, record);
    std::string sha256 = done.record.traceSha256;
    if (sha256.empty()) sha256 = sha256OfFile(path).hex;  // the record could not be written
    if (!sha256.empty()) traceSha256_ = sha256;
    tracePath_ = absolute(path);
    Registration r = registrationFor(SaveKind::Trace, path, sha256);
    r.traceSha256 = sha256;
    r.endedMs = loadedRecord_ ? loadedRecord_->endedMs : r.savedMs;
    if (archive_) done.notice = after(archive_->registerSave(r));
    if (!done.record.ok && !done.notice.said()) {
        done.notice = after({false, false, "运行记录未能写入：" + done.record.message});
    }
    return done;
}

ArchiveNotice RunArchiving::saved(SaveFacts facts) {
    if (!archive_) return {};
    std::string sha256;
    if (!facts.path.empty()) {
        const FileHash hash = sha256OfFile(facts.path);
        if (!hash.ok) return after({false, false, hash.message});
        sha256 = hash.hex;
    }
    Registration r = registrationFor(facts.kind, facts.path, sha256);
    if (!facts.traceSha256.empty()) r.traceSha256 = facts.traceSha256;
    if (!facts.ofTraceShown && facts.traceSha256.empty()) r.traceSha256.clear();
    r.sample = std::move(facts.sample);
    r.sampleWeight = facts.sampleWeight;
    r.weightUnit = std::move(facts.weightUnit);
    if (!facts.method.empty()) r.method = std::move(facts.method);
    r.results = std::move(facts.results);
    r.parameters = std::move(facts.parameters);
    return after(archive_->registerSave(r));
}

ArchiveNotice RunArchiving::audit(const std::string& action, const std::string& subject, const std::string& oldValue,
                                  const std::string& newValue, const std::string& details) {
    if (!archive_) return {};
    AuditEntry entry;
    entry.id = newUniqueId();
    entry.atMs = wallNowMs();
    entry.who = recorder_.record(entry.atMs, 0).operatorName;  // who works now
    entry.action = action;
    entry.subject = subject;
    entry.traceSha256 = traceSha256_;
    entry.oldValue = oldValue;
    entry.newValue = newValue;
    entry.details = details;
    return after(archive_->recordAudit(entry));
}

ArchiveNotice RunArchiving::traceLoaded(const std::string& path) {
    loadedRecord_.reset();
    const FileHash hash = sha256OfFile(path);
    traceSha256_ = hash.ok ? hash.hex : std::string();
    tracePath_ = absolute(path);
    const std::string recordPath = runRecordPathFor(path);
    std::error_code error;
    if (std::filesystem::exists(recordPath, error)) {
        RunRecordRead read = readRunRecord(recordPath);
        // A record that is not this trace's (the trace was replaced by hand) is not believed.
        if (read.ok && read.record.traceSha256 == traceSha256_) {
            loadedRecord_ = std::move(read.record);
        } else if (!read.ok) {
            events_.add(EventKind::Archive, "运行记录无法读取：" + read.message);
        } else {
            events_.add(EventKind::Archive, "运行记录与谱图文件的SHA-256不符，未采用：" + recordPath);
        }
    }
    return audit(audit_action::kOpen, absolute(path), {}, traceSha256_);
}

void RunArchiving::traceStartsAfresh() {
    loadedRecord_.reset();
    traceSha256_.clear();
    tracePath_.clear();
    recorder_.begin(wallNowMs());
}

bool prefillReportHeader(const RunRecord& record, TestReportHeader& header) {
    const ReportPrefill prefill = reportPrefill(record);
    if (prefill.rampRateCPerMin) header.rampRateCPerMin = static_cast<float>(*prefill.rampRateCPerMin);
    if (prefill.upperTempC) header.upperTempC = static_cast<float>(*prefill.upperTempC);
    return prefill.rampRateCPerMin || prefill.upperTempC;
}

}  // namespace vespian
