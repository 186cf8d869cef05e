#pragma once
// The laboratory archive behind one interface: every save registered with its hash, sample,
// results and parameters; the audit trail; finding saves again. Two engines take part: SQLite on
// the instrument PC (the default) and PostgreSQL for a laboratory (see laboratory_archive.h);
// openArchive() in archive_opening.h chooses.
//
// No call throws, and a failure never spoils the caller's own save: it comes back as an outcome
// the window can show, and what could not be archived waits to be tried again.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "archive/audit_entry.h"
#include "archive/registration.h"

namespace vespian {

struct ArchiveOutcome {
    bool ok = false;
    bool queued = false;  // not archived (or not yet sent to the laboratory), kept to be tried again
    std::string message;  // for the operator, when something was not done
};

struct ResultRange {
    std::string name;
    std::optional<double> least;  // inclusive
    std::optional<double> most;   // inclusive
};

// Every member that is set must match; empty texts match anything.
struct FindQuery {
    std::optional<SaveKind> kind;
    std::string sample;          // exactly
    std::string sampleContains;  // anywhere in the name
    std::optional<WallMs> savedFrom;   // inclusive
    std::optional<WallMs> savedUntil;  // exclusive
    std::string method;
    std::string operatorName;
    std::string instrument;
    std::string traceSha256;
    std::optional<ResultRange> result;  // a result of this name within the range
    int32_t limit = 1000;               // newest first
};

struct ArchivedSave {
    int64_t seq = 0;
    Registration registration;
};

struct FindResult {
    bool ok = false;
    std::string message;
    std::vector<ArchivedSave> saves;  // newest first
};

// Which audit rows: all of them, or those about one trace (by its hash, or by one of the paths).
struct AuditFilter {
    std::string traceSha256;
    std::vector<std::string> subjects;
};

class Archive {
public:
    virtual ~Archive() = default;

    virtual std::string where() const = 0;

    // The save, its results and its audit row in one transaction. The same id twice archives once.
    virtual ArchiveOutcome registerSave(const Registration& registration) noexcept = 0;
    // One audit event (open, edit, setting, delete, evaluation).
    virtual ArchiveOutcome recordAudit(const AuditEntry& entry) noexcept = 0;

    virtual FindResult find(const FindQuery& query) noexcept = 0;

    // The audit rows in chain order; `each` returns false to stop early. False (and why) when the
    // rows could not be read.
    virtual bool readAudit(const AuditFilter& filter, const std::function<bool(const AuditRow&)>& each,
                           std::string* error) noexcept = 0;

    // How many registrations and audit events wait to be archived or sent.
    virtual int64_t waiting() noexcept = 0;
    // Tries them again now (also done by every registration and at opening).
    virtual ArchiveOutcome sendWaiting() noexcept = 0;
};

}  // namespace vespian
