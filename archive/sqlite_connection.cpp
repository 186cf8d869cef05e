#include "archive/sqlite_connection.h"

#include <sqlite3.h>

namespace vespian {

namespace {

std::string errorOf(sqlite3* db) {
    return std::string(sqlite3_errmsg(db)) + " (" + std::to_string(sqlite3_extended_errcode(db)) + ")";
}

}  // namespace

SqliteConnection::Opened SqliteConnection::open(const std::string& path, bool create) {
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    const int status = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (status != SQLITE_OK) {
        std::string message = db != nullptr ? errorOf(db) : std::string(sqlite3_errstr(status));
        sqlite3_close(db);
        return {nullptr, message};
    }
    sqlite3_busy_timeout(db, kSqliteBusyMs);
    sqlite3_extended_result_codes(db, 1);
    return {std::unique_ptr<SqliteConnection>(new SqliteConnection(db, path)), {}};
}

SqliteConnection::~SqliteConnection() {
    for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
    sqlite3_close(db_);
}

sqlite3_stmt* SqliteConnection::prepared(std::string_view sql, std::string* error) {
    const auto found = statements_.find(sql);
    if (found != statements_.end()) return found->second;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &statement,
                           nullptr) != SQLITE_OK) {
        *error = errorOf(db_);
        return nullptr;
    }
    statements_.emplace(std::string(sql), statement);
    return statement;
}

SqlResult SqliteConnection::run(std::string_view sql, const std::vector<SqlValue>& parameters) {
    SqlResult result;
    sqlite3_stmt* statement = prepared(sql, &result.error);
    if (statement == nullptr) return result;
    for (size_t i = 0; i < parameters.size(); ++i) {
        const int at = static_cast<int>(i + 1);
        const SqlValue& p = parameters[i];
        if (const auto* n = std::get_if<int64_t>(&p)) {
            sqlite3_bind_int64(statement, at, *n);
        } else if (const auto* d = std::get_if<double>(&p)) {
            sqlite3_bind_double(statement, at, *d);
        } else if (const auto* s = std::get_if<std::string>(&p)) {
            sqlite3_bind_text(statement, at, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_null(statement, at);
        }
    }
    int status = SQLITE_OK;
    while ((status = sqlite3_step(statement)) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(statement);
        SqlRow row(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(statement, c)) {
                case SQLITE_INTEGER: row[static_cast<size_t>(c)] = static_cast<int64_t>(sqlite3_column_int64(statement, c)); break;
                case SQLITE_FLOAT: row[static_cast<size_t>(c)] = sqlite3_column_double(statement, c); break;
                case SQLITE_NULL: break;
                default: {
                    const auto* text = static_cast<const char*>(sqlite3_column_blob(statement, c));
                    row[static_cast<size_t>(c)] = std::string(text != nullptr ? text : "",
                                                              static_cast<size_t>(sqlite3_column_bytes(statement, c)));
                }
            }
        }
        result.rows.push_back(std::move(row));
    }
    result.ok = status == SQLITE_DONE;
    if (!result.ok) result.error = errorOf(db_);
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return result;
}

SqlResult SqliteConnection::script(std::string_view sql) {
    SqlResult result;
    char* message = nullptr;
    const std::string text(sql);
    result.ok = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message) == SQLITE_OK;
    if (!result.ok) result.error = message != nullptr ? message : errorOf(db_);
    sqlite3_free(message);
    return result;
}

}  // namespace vespian
