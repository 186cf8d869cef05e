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
    std::unique_ptr<Archive> archive;  // null when not even this PC's archive could be opened
    std::string message;  // for the operator: why not, or that the server does not answer yet
};

std::string localArchivePath(const std::string& dataFolder);

ArchiveOpening openArchive(const ArchiveSettings& settings);

}  // namespace vespian
