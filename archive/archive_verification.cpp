#include "archive/archive_verification.h"

#include <filesystem>
#include <map>

#include "archive/sha256.h"

namespace vespian {

bool AuditChainCheck::add(const AuditRow& row) {
    ++rows_;
    if (badRow_) return false;
    const std::string previous = lastSeq_ == 0 ? std::string(kAuditGenesisHash) : lastHash_;
    if (row.seq != lastSeq_ + 1) {
        badRow_ = row.seq;
        problem_ = "审计记录第" + std::to_string(row.seq) + "行之前缺少第" + std::to_string(lastSeq_ + 1) + "行";
    } else if (auditRowHash(row.seq, row.entry, row.previousHash) != row.hash) {
        badRow_ = row.seq;
        problem_ = "审计记录第" + std::to_string(row.seq) + "行的内容与其哈希不符(已被改动)";
    } else if (row.previousHash != previous) {
        badRow_ = row.seq;
        problem_ = "审计记录第" + std::to_string(row.seq) + "行与前一行的哈希链不符";
    }
    lastSeq_ = row.seq;
    lastHash_ = row.hash;
    return !badRow_;
}

std::string ArchiveVerification::summary() const {
    if (!readOk) return "无法检查存档：" + readError;
    std::string text = "已检查审计记录" + std::to_string(rowsChecked) + "行、文件" + std::to_string(filesChecked) + "个。";
    if (ok()) return text + "全部一致。";
    if (firstBadRow) text += rowProblem + "。";
    for (const FileProblem& f : files) {
        text += f.missing ? "文件‘" + f.path + "’已不存在。"
                          : "文件‘" + f.path + "’与存档的SHA-256不符(存档" + f.expectedSha256 + "，现为" +
                                f.foundSha256 + ")。";
    }
    return text;
}

ArchiveVerification verifyArchive(Archive& archive, bool checkFiles) {
    ArchiveVerification result;
    AuditChainCheck chain;
    struct Saved {
        std::string sha256;
        int64_t seq = 0;
    };
    std::map<std::string, Saved> newest;  // path → its newest save
    std::vector<std::string> order;
    result.readOk = archive.readAudit(
        {},
        [&](const AuditRow& row) {
            chain.add(row);
            if (row.entry.action == audit_action::kSave && !row.entry.subject.empty() && !row.entry.newValue.empty()) {
                auto [it, added] = newest.try_emplace(row.entry.subject);
                if (added) order.push_back(row.entry.subject);
                it->second = {row.entry.newValue, row.seq};
            }
            return true;
        },
        &result.readError);
    result.rowsChecked = chain.rowsChecked();
    result.firstBadRow = chain.firstBadRow();
    result.rowProblem = chain.problem();
    if (!result.readOk || !checkFiles) return result;
    for (const std::string& path : order) {
        const Saved& saved = newest[path];
        ++result.filesChecked;
        std::error_code error;
        if (!std::filesystem::exists(path, error)) {
            result.files.push_back({path, true, saved.sha256, {}, saved.seq});
            continue;
        }
        const FileHash hash = sha256OfFile(path);
        if (!hash.ok || hash.hex != saved.sha256) {
            result.files.push_back({path, false, saved.sha256, hash.ok ? hash.hex : hash.message, saved.seq});
        }
    }
    return result;
}

}  // namespace vespian
