#pragma once
// One event of the audit trail (who did what when, with the old and the new value) and its row
// in the archive, chained to the row before it: each row's hash is the SHA-256 over its own
// content and the previous row's hash, so changing, removing or inserting a row breaks the
// chain from that row on.

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "archive/wall_time.h"

namespace vespian {

// The previous hash of the first row.
inline constexpr char kAuditGenesisHash[] = "0000000000000000000000000000000000000000000000000000000000000000";

// What happened; free text is allowed, these are the program's own.
namespace audit_action {
inline constexpr char kSave[] = "save";       // subject: path; new value: the file's SHA-256
inline constexpr char kOpen[] = "open";
inline constexpr char kEdit[] = "edit";       // trace edits: cut, zero, polarity, clear
inline constexpr char kSetting[] = "setting"; // peak settings, letterhead, calibration, gas table
inline constexpr char kDelete[] = "delete";   // records removed from the record database
inline constexpr char kEvaluate[] = "evaluate";
}  // namespace audit_action

struct AuditEntry {
    std::string id;           // newUniqueId(), made where it happened
    WallMs atMs = 0;
    std::string who;
    std::string action;
    std::string subject;      // the file or setting concerned
    std::string traceSha256;  // the trace it concerns, when one
    std::string oldValue;
    std::string newValue;
    std::string details;      // JSON text: parameters, the registration's id, …
};

struct AuditRow {
    int64_t seq = 0;  // 1, 2, 3 … without gaps
    AuditEntry entry;
    std::string previousHash;
    std::string hash;
};

// The hash a row must carry: SHA-256 over a canonical text of its sequence number, its content
// and the previous row's hash.
std::string auditRowHash(int64_t seq, const AuditEntry& entry, const std::string& previousHash);

nlohmann::ordered_json auditEntryToJson(const AuditEntry& entry);
nlohmann::ordered_json auditRowToJson(const AuditRow& row);

}  // namespace vespian

namespace vespian {

// The entry back from auditEntryToJson's form; empty (and why) when malformed.
struct AuditEntryRead {
    bool ok = false;
    std::string message;
    AuditEntry entry;
};
AuditEntryRead auditEntryFromJson(const nlohmann::json& value);

// The entry as an archive stores it: every text valid UTF-8 without NUL characters.
AuditEntry cleanedEntry(const AuditEntry& entry);

}  // namespace vespian
