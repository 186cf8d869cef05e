#include "archive/laboratory_archive.h"

namespace vespian {

LaboratoryArchive::LaboratoryArchive(std::unique_ptr<SqlArchive> local, std::unique_ptr<SqlArchive> server)
    : local_(std::move(local)), server_(std::move(server)) {}

std::string LaboratoryArchive::where() const { return server_->where() + "(本机存档" + local_->where() + ")"; }

bool LaboratoryArchive::serverReady() { return server_->connection().reachable() && server_->prepare().ok; }

ArchiveOutcome LaboratoryArchive::afterLocal(ArchiveOutcome local) {
    if (!local.ok) return local;
    const ArchiveOutcome sent = sendWaiting();
    if (sent.ok) return local;
    return {true, true, sent.message};
}

ArchiveOutcome LaboratoryArchive::registerSave(const Registration& registration) noexcept {
    return afterLocal(local_->registerSave(registration));
}

ArchiveOutcome LaboratoryArchive::recordAudit(const AuditEntry& entry) noexcept {
    return afterLocal(local_->recordAudit(entry));
}

ArchiveOutcome LaboratoryArchive::sendWaiting() noexcept {
    local_->sendWaiting();  // this PC's own pending file first, so its items reach the outbox
    if (!serverReady()) {
        return {false, true,
                server_->prepare().message + "。已存入本机存档，共" + std::to_string(local_->outboxSize()) +
                    "项待实验室数据库恢复连接后发送"};
    }
    int64_t after = 0;
    int64_t kept = 0;
    for (;;) {
        std::vector<SqlArchive::OutboxItem> items;
        std::string error;
        if (!local_->readOutbox(after, kOutboxBatch, &items, &error)) return {false, true, "无法读取本机存档：" + error};
        for (const SqlArchive::OutboxItem& item : items) {
            after = item.seq;
            ArchiveOutcome sent{false, false, "无法读出待发送的项"};
            if (item.what == "registration") {
                const RegistrationRead read = registrationFromJson(item.payload);
                if (read.ok) sent = server_->archiveRegistration(read.registration);
            } else if (item.what == "audit") {
                const AuditEntryRead read = auditEntryFromJson(item.payload);
                if (read.ok) sent = server_->archiveAudit(read.entry);
            }
            if (sent.ok) {
                local_->removeFromOutbox(item.id);
            } else if (!server_->connection().reachable()) {
                return {false, true,
                        "实验室数据库在发送中断开(" + sent.message + ")。已存入本机存档，共" +
                            std::to_string(local_->outboxSize()) + "项待实验室数据库恢复连接后发送"};
            } else {
                ++kept;  // the server refused this one; the others still go
            }
        }
        if (items.size() < static_cast<size_t>(kOutboxBatch)) break;
    }
    if (kept > 0) return {false, true, "实验室数据库拒收" + std::to_string(kept) + "项，保留在本机存档中"};
    return {true, false, {}};
}

FindResult LaboratoryArchive::find(const FindQuery& query) noexcept {
    if (serverReady()) return server_->find(query);
    FindResult found = local_->find(query);
    if (found.ok) found.message = "实验室数据库无法连接，只查了本机存档";
    return found;
}

bool LaboratoryArchive::readAudit(const AuditFilter& filter, const std::function<bool(const AuditRow&)>& each,
                                  std::string* error) noexcept {
    if (serverReady()) return server_->readAudit(filter, each, error);
    return local_->readAudit(filter, each, error);
}

int64_t LaboratoryArchive::waiting() noexcept { return local_->outboxSize() + local_->waiting(); }

}  // namespace vespian
