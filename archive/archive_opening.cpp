#include "archive/archive_opening.h"

#include <filesystem>

#include "archive/laboratory_archive.h"
#include "archive/pending_queue.h"
#include "archive/postgres_connection.h"
#include "archive/sql_archive.h"

namespace vespian {

namespace {

class PendingOnlyArchive final : public Archive {
public:
    PendingOnlyArchive(std::string path, std::string why)
        : path_(std::move(path)), why_(std::move(why)), pending_(path_ + kPendingSuffix) {}

    std::string where() const override { return path_; }
    ArchiveOutcome registerSave(const Registration& registration) noexcept override {
        return keep({{"registration", registrationToJson(registration)}});
    }
    ArchiveOutcome recordAudit(const AuditEntry& entry) noexcept override {
        return keep({{"audit", auditEntryToJson(entry)}});
    }
    FindResult find(const FindQuery&) noexcept override { return {false, why_, {}}; }
    bool readAudit(const AuditFilter&, const std::function<bool(const AuditRow&)>&,
                   std::string* error) noexcept override {
        *error = why_;
        return false;
    }
    int64_t waiting() noexcept override { return static_cast<int64_t>(pending_.size()); }
    ArchiveOutcome sendWaiting() noexcept override { return {false, true, why_}; }

private:
    ArchiveOutcome keep(const nlohmann::json& item) noexcept {
        try {
            std::string error;
            if (pending_.append(item, &error)) {
                return {false, true, why_ + "。登记已记在‘" + pending_.path() + "’，存档能打开时再存"};
            }
            return {false, false, why_ + "。登记未能记下(" + error + ")"};
        } catch (const std::exception& e) {
            return {false, false, why_ + "。" + e.what()};
        }
    }

    std::string path_;
    std::string why_;
    PendingQueue pending_;
};

}  // namespace

std::string localArchivePath(const std::string& dataFolder) {
    return (std::filesystem::path(dataFolder) / kArchiveFileName).string();
}

ArchiveOpening openArchive(const ArchiveSettings& settings) {
    const bool laboratory = !settings.laboratoryConnection.empty();
    const std::string path = localArchivePath(settings.dataFolder);
    OpenedArchive local = openSqliteArchive(path, laboratory);
    if (!local.archive) return {std::make_unique<PendingOnlyArchive>(path, local.message), false, local.message};
    if (!laboratory) return {std::move(local.archive), true, {}};
    auto server = std::make_unique<SqlArchive>(std::make_unique<PostgresConnection>(settings.laboratoryConnection),
                                               SqlArchive::Options{});
    auto archive = std::make_unique<LaboratoryArchive>(std::move(local.archive), std::move(server));
    const ArchiveOutcome sent = archive->sendWaiting();
    return {std::move(archive), true, sent.ok ? std::string() : sent.message};
}

}  // namespace vespian
