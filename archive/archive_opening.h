#pragma once
// Which archive the program uses: without a setting, the SQLite archive in the data folder,
// created on first start; with a laboratory's connection string, the laboratory's PostgreSQL
// server with this PC's SQLite archive beneath it.

#include <memory>
#include <string>

#include "archive/archive.h"

namespace vespian {

inline constexpr char kArchiveFileName[] = "archive.sqlite";

struct ArchiveSettings {
    std::string dataFolder;            // "SAVE" of the working folder, or the data home's
    std::string laboratoryConnection;  // libpq connection string; empty: this PC's archive only
};

struct ArchiveOpening {
    // Always an archive. When not even this PC's archive can be opened (a newer program's, a
    // damaged file), one that keeps every registration in the pending file beside it, so that
    // none is lost and each is archived once the archive opens again.
    std::unique_ptr<Archive> archive;
    bool ok = false;
    std::string message;  // for the operator: why not, or that the server does not answer yet
};

std::string localArchivePath(const std::string& dataFolder);

ArchiveOpening openArchive(const ArchiveSettings& settings);

}  // namespace vespian
