#pragma once
// The archive on one database, SQLite or PostgreSQL: its tables brought to the current version
// when first used, registrations and audit rows written in one transaction each, the find. An
// archive written by a newer program is refused and left as it is.
//
// When the database cannot take a registration (a full disk, a broken file), the registration
// goes to a small pending file beside the archive and is archived at the next opening. An
// archive that serves a laboratory server also keeps, in the same transaction, an outbox of what
// the server has not got yet.

#include <memory>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/pending_queue.h"
#include "archive/sql_connection.h"

namespace vespian {

class SqlArchive final : public Archive {
public:
    struct Options {
        std::string pendingPath;   // the pending file; empty: nothing is queued on failure
        bool keepsOutbox = false;  // every registration and audit event also goes to the outbox
    };

    SqlArchive(std::unique_ptr<SqlConnection> connection, Options options);

    // Checks the version and brings the tables up to date; done by every call when not yet done.
    // A newer archive is refused (and stays refused) with a message.
    ArchiveOutcome prepare() noexcept;
    bool prepared() const { return prepared_; }
    int schemaVersion() const { return version_; }

    std::string where() const override;
    ArchiveOutcome registerSave(const Registration& registration) noexcept override;
    ArchiveOutcome recordAudit(const AuditEntry& entry) noexcept override;
    FindResult find(const FindQuery& query) noexcept override;
    bool readAudit(const AuditFilter& filter, const std::function<bool(const AuditRow&)>& each,
                   std::string* error) noexcept override;
    int64_t waiting() noexcept override;
    ArchiveOutcome sendWaiting() noexcept override;  // the pending file

    // What the archive holds that a laboratory server has not got yet, oldest first.
    struct OutboxItem {
        int64_t seq = 0;
        std::string id;
        std::string what;  // "registration" or "audit"
        nlohmann::json payload;
    };
    bool readOutbox(int64_t afterSeq, int32_t limit, std::vector<OutboxItem>* items, std::string* error) noexcept;
    bool removeFromOutbox(const std::string& id) noexcept;
    int64_t outboxSize() noexcept;

    // Archives without queueing on failure: for what is sent on from a queue or an outbox.
    ArchiveOutcome archiveRegistration(const Registration& registration) noexcept;
    ArchiveOutcome archiveAudit(const AuditEntry& entry) noexcept;

    SqlConnection& connection() { return *connection_; }

private:
    ArchiveOutcome migrate();
    bool readVersion(int* version, std::string* error);
    bool beginWrite(std::string* error);
    bool commit(std::string* error);
    void rollback();
    // `fresh`: the entry's id cannot be in the chain yet (the row of a registration inserted in
    // this transaction), so the look-up that keeps a resent row out is spared.
    bool appendAuditRow(const AuditEntry& entry, std::string* error, bool fresh = false);
    bool insertRegistration(const Registration& r, bool* inserted, std::string* error);
    bool putInOutbox(const std::string& id, const char* what, const nlohmann::json& payload, std::string* error);
    ArchiveOutcome failure(const std::string& error, const nlohmann::json* queueItem);

    std::unique_ptr<SqlConnection> connection_;
    Options options_;
    PendingQueue pending_;
    bool prepared_ = false;
    bool refused_ = false;
    std::string refusal_;
    int version_ = 0;
};

// An SQLite archive at `path` (created, with its folder's pending file "<path>.pending", when
// missing), prepared. No archive and the message when it cannot be opened or is too new.
struct OpenedArchive {
    std::unique_ptr<SqlArchive> archive;
    std::string message;
};
OpenedArchive openSqliteArchive(const std::string& path, bool keepsOutbox = false);

inline constexpr char kPendingSuffix[] = ".pending";

}  // namespace vespian
