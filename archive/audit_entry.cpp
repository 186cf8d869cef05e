#include "archive/audit_entry.h"

#include "archive/sha256.h"

namespace vespian {

using nlohmann::json;

std::string auditRowHash(int64_t seq, const AuditEntry& e, const std::string& previousHash) {
    // An array keeps the order fixed, and the JSON escapes keep every field's bounds unambiguous.
    const json canonical = {seq,       e.id,          e.atMs,       e.who,      e.action,
                            e.subject, e.traceSha256, e.oldValue,   e.newValue, e.details,
                            previousHash};
    return sha256Hex(canonical.dump(-1, ' ', false, json::error_handler_t::replace));
}

nlohmann::ordered_json auditEntryToJson(const AuditEntry& e) {
    return nlohmann::ordered_json{{"id", e.id},           {"at", isoLocalTime(e.atMs)}, {"at_ms", e.atMs},
            {"who", e.who},         {"action", e.action},         {"subject", e.subject},
            {"trace_sha256", e.traceSha256}, {"old_value", e.oldValue}, {"new_value", e.newValue},
            {"details", e.details}};
}

nlohmann::ordered_json auditRowToJson(const AuditRow& row) {
    nlohmann::ordered_json j = {{"seq", row.seq}};
    j.update(auditEntryToJson(row.entry));
    j["previous_hash"] = row.previousHash;
    j["hash"] = row.hash;
    return j;
}

}  // namespace vespian

#include "archive/json_fields.h"
#include "archive/registration.h"

namespace vespian {

AuditEntryRead auditEntryFromJson(const nlohmann::json& value) {
    AuditEntryRead read;
    try {
        const JsonFields f(value, "审计记录");
        AuditEntry& e = read.entry;
        e.id = f.text("id");
        if (e.id.empty()) f.fail("id", "不能为空");
        e.atMs = f.integer("at_ms", INT64_MIN, INT64_MAX);
        e.who = f.text("who");
        e.action = f.text("action");
        e.subject = f.text("subject");
        e.traceSha256 = f.text("trace_sha256");
        e.oldValue = f.text("old_value");
        e.newValue = f.text("new_value");
        e.details = f.text("details");
        read.ok = true;
    } catch (const JsonFieldError& error) {
        read.message = error.what();
        read.entry = {};
    }
    return read;
}

AuditEntry cleanedEntry(const AuditEntry& e) {
    AuditEntry c = e;
    for (std::string* text : {&c.id, &c.who, &c.action, &c.subject, &c.traceSha256, &c.oldValue, &c.newValue, &c.details}) {
        *text = cleanText(*text);
    }
    return c;
}

}  // namespace vespian
