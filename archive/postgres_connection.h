#pragma once
// The PostgreSQL engine: a laboratory's server, named by a libpq connection string
// ("host=lab-db port=5432 dbname=vespian user=lab"). The connection is made when first needed and
// made again after the server went away; while the server does not answer, attempts are spaced
// by a pause, so that a save on an instrument PC never waits for it more than once in a while.

#include <chrono>
#include <string>

#include "archive/sql_connection.h"

struct pg_conn;

namespace vespian {

inline constexpr int kPostgresConnectTimeoutS = 3;

class PostgresConnection final : public SqlConnection {
public:
    // A connect_timeout of kPostgresConnectTimeoutS (and a TCP timeout as long) is added unless
    // the string names one.
    explicit PostgresConnection(std::string connectionString,
                                std::chrono::milliseconds retryPause = std::chrono::seconds(30));
    ~PostgresConnection() override;
    PostgresConnection(const PostgresConnection&) = delete;
    PostgresConnection& operator=(const PostgresConnection&) = delete;

    SqlEngine engine() const override { return SqlEngine::Postgres; }
    std::string where() const override;
    SqlResult run(std::string_view sql, const std::vector<SqlValue>& parameters = {}) override;
    SqlResult script(std::string_view sql) override;
    bool reachable() override;
    std::string unreachableReason() const override { return lastError_; }

private:
    SqlResult failed(const char* fallback);

    std::string connectionString_;
    std::chrono::milliseconds retryPause_;
    std::chrono::steady_clock::time_point nextAttempt_{};
    pg_conn* connection_ = nullptr;
    std::string lastError_;
};

// "?" placeholders numbered "$1", "$2", … as the server wants them (outside quoted text).
std::string numberedPlaceholders(std::string_view sql);

}  // namespace vespian
