#pragma once
// A laboratory's archive on a PostgreSQL server, shared by its instrument PCs. Every save is
// archived on the PC first (its own SQLite archive, with an outbox in the same transaction) and
// then sent to the server; while the server does not answer, the outbox fills, and what waits is
// sent as soon as it answers again (at the next registration, or when asked). Each item keeps
// the id made where it happened, so sending one twice, from one PC or two, archives it once.

#include <memory>

#include "archive/sql_archive.h"

namespace vespian {

inline constexpr int32_t kOutboxBatch = 200;

class LaboratoryArchive final : public Archive {
public:
    // `local` must keep an outbox; `server` is prepared when it first answers.
    LaboratoryArchive(std::unique_ptr<SqlArchive> local, std::unique_ptr<SqlArchive> server);

    std::string where() const override;
    ArchiveOutcome registerSave(const Registration& registration) noexcept override;
    ArchiveOutcome recordAudit(const AuditEntry& entry) noexcept override;
    // The server's archive, or this PC's when the server does not answer (said in the message).
    FindResult find(const FindQuery& query) noexcept override;
    // The server's chain, or this PC's when the server does not answer.
    bool readAudit(const AuditFilter& filter, const std::function<bool(const AuditRow&)>& each,
                   std::string* error) noexcept override;
    int64_t waiting() noexcept override;
    ArchiveOutcome sendWaiting() noexcept override;

    SqlArchive& local() { return *local_; }
    SqlArchive& server() { return *server_; }

private:
    ArchiveOutcome afterLocal(ArchiveOutcome local);
    bool serverReady();

    std::unique_ptr<SqlArchive> local_;
    std::unique_ptr<SqlArchive> server_;
};

}  // namespace vespian
