#include "archive/archive_opening.h"

#include <filesystem>

#include "archive/laboratory_archive.h"
#include "archive/postgres_connection.h"

namespace vespian {

std::string localArchivePath(const std::string& dataFolder) {
    return (std::filesystem::path(dataFolder) / kArchiveFileName).string();
}

ArchiveOpening openArchive(const ArchiveSettings& settings) {
    const bool laboratory = !settings.laboratoryConnection.empty();
    OpenedArchive local = openSqliteArchive(localArchivePath(settings.dataFolder), laboratory);
    if (!local.archive) return {nullptr, local.message};
    if (!laboratory) return {std::move(local.archive), {}};
    auto server = std::make_unique<SqlArchive>(std::make_unique<PostgresConnection>(settings.laboratoryConnection),
                                               SqlArchive::Options{});
    auto archive = std::make_unique<LaboratoryArchive>(std::move(local.archive), std::move(server));
    const ArchiveOutcome sent = archive->sendWaiting();
    return {std::move(archive), sent.ok ? std::string() : sent.message};
}

}  // namespace vespian
