#pragma once
// The archive's tables, version by version. A new version adds a step; an archive is brought up
// to date one step at a time, each step in its own transaction, so an archive of any earlier
// version opens. The version lives in SQLite's user_version and in a one-row table on the server.

#include <string>
#include <vector>

#include "archive/sql_connection.h"

namespace vespian {

inline constexpr int kArchiveSchemaVersion = 2;

struct SchemaStep {
    int version = 0;  // the version the archive has after this step
    std::vector<std::string> sqlite;
    std::vector<std::string> postgres;
};

// Every step, oldest first.
const std::vector<SchemaStep>& archiveSchemaSteps();

const std::vector<std::string>& schemaStatements(const SchemaStep& step, SqlEngine engine);

}  // namespace vespian
