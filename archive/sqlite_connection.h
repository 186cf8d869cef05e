#pragma once
// The SQLite engine: one database file, opened (and created when missing) by this process. Other
// processes may use the same file at once; a writer waits up to kSqliteBusyMs for another's
// transaction to end.

#include <map>
#include <memory>
#include <string>

#include "archive/sql_connection.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vespian {

inline constexpr int kSqliteBusyMs = 10000;

class SqliteConnection final : public SqlConnection {
public:
    struct Opened {
        std::unique_ptr<SqliteConnection> connection;
        std::string message;  // why not, when no connection
    };
    // `create`: make the file when it does not exist; otherwise a missing file is refused.
    static Opened open(const std::string& path, bool create = true);

    ~SqliteConnection() override;

    SqlEngine engine() const override { return SqlEngine::Sqlite; }
    std::string where() const override { return path_; }
    SqlResult run(std::string_view sql, const std::vector<SqlValue>& parameters = {}) override;
    SqlResult script(std::string_view sql) override;
    bool reachable() override { return true; }

    const std::string& path() const { return path_; }

private:
    SqliteConnection(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
    sqlite3_stmt* prepared(std::string_view sql, std::string* error);

    sqlite3* db_;
    std::string path_;
    std::map<std::string, sqlite3_stmt*, std::less<>> statements_;
};

}  // namespace vespian
