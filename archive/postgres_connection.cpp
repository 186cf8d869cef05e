#include "archive/postgres_connection.h"

#include <libpq-fe.h>

#include <charconv>
#include <cmath>

namespace vespian {

namespace {

// Type numbers of the server's built-in types.
constexpr Oid kInt8 = 20, kInt2 = 21, kInt4 = 23, kFloat4 = 700, kFloat8 = 701, kNumeric = 1700;

void quietNotices(void*, const char*) {}

std::string trimmed(const char* text) {
    std::string s = text != nullptr ? text : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

std::string parameterText(double d) {
    if (std::isnan(d)) return "NaN";
    if (std::isinf(d)) return d > 0 ? "Infinity" : "-Infinity";
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, d);
    return std::string(text, end);
}

}  // namespace

std::string numberedPlaceholders(std::string_view sql) {
    std::string out;
    out.reserve(sql.size() + 16);
    int number = 0;
    char quote = 0;
    for (const char c : sql) {
        if (quote != 0) {
            if (c == quote) quote = 0;
            out += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            out += c;
        } else if (c == '?') {
            out += '$';
            out += std::to_string(++number);
        } else {
            out += c;
        }
    }
    return out;
}

PostgresConnection::PostgresConnection(std::string connectionString, std::chrono::milliseconds retryPause)
    : connectionString_(std::move(connectionString)), retryPause_(retryPause) {
    // A URI ("postgresql://host/db") takes its settings as query parameters, a key=value string
    // as more pairs.
    const bool uri = connectionString_.rfind("postgresql://", 0) == 0 || connectionString_.rfind("postgres://", 0) == 0;
    auto add = [&](const std::string& key, int value) {
        if (connectionString_.find(key) != std::string::npos) return;
        const char* separator = !uri ? " " : connectionString_.find('?') == std::string::npos ? "?" : "&";
        connectionString_ += separator + key + "=" + std::to_string(value);
    };
    add("connect_timeout", kPostgresConnectTimeoutS);
    // A server whose network went away without a word is given up after a few seconds instead
    // of the system's minutes, so a save never waits for it long.
    add("tcp_user_timeout", kPostgresConnectTimeoutS * 1000);
}

PostgresConnection::~PostgresConnection() {
    if (connection_ != nullptr) PQfinish(connection_);
}

std::string PostgresConnection::where() const {
    if (connection_ != nullptr && PQstatus(connection_) == CONNECTION_OK) {
        return std::string("PostgreSQL ") + PQhost(connection_) + ":" + PQport(connection_) + "/" + PQdb(connection_);
    }
    // Not connected: the server as the string names it, never its password.
    std::string named;
    if (PQconninfoOption* options = PQconninfoParse(connectionString_.c_str(), nullptr)) {
        std::string host, port, db;
        for (const PQconninfoOption* o = options; o->keyword != nullptr; ++o) {
            if (o->val == nullptr) continue;
            const std::string keyword = o->keyword;
            if (keyword == "host" || (keyword == "hostaddr" && host.empty())) host = o->val;
            if (keyword == "port") port = o->val;
            if (keyword == "dbname") db = o->val;
        }
        PQconninfoFree(options);
        if (!host.empty()) named = " " + host + (port.empty() ? "" : ":" + port) + (db.empty() ? "" : "/" + db);
    }
    return "PostgreSQL" + named;
}

bool PostgresConnection::reachable() {
    if (connection_ != nullptr && PQstatus(connection_) == CONNECTION_OK) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextAttempt_) return false;
    if (connection_ != nullptr) PQfinish(connection_);
    connection_ = PQconnectdb(connectionString_.c_str());
    if (connection_ != nullptr && PQstatus(connection_) == CONNECTION_OK) {
        PQsetNoticeProcessor(connection_, quietNotices, nullptr);
        // Our own session settings, whatever the server's defaults are.
        PGresult* r = PQexec(connection_, "SET client_encoding = 'UTF8'; SET extra_float_digits = 3");
        PQclear(r);
        lastError_.clear();
        return true;
    }
    lastError_ = connection_ != nullptr ? trimmed(PQerrorMessage(connection_)) : "out of memory";
    nextAttempt_ = now + retryPause_;
    return false;
}

SqlResult PostgresConnection::failed(const char* fallback) {
    SqlResult result;
    result.error = connection_ != nullptr ? trimmed(PQerrorMessage(connection_)) : fallback;
    if (result.error.empty()) result.error = fallback;
    result.connectionLost = connection_ == nullptr || PQstatus(connection_) != CONNECTION_OK;
    if (result.connectionLost) nextAttempt_ = std::chrono::steady_clock::now() + retryPause_;
    lastError_ = result.error;
    return result;
}

SqlResult PostgresConnection::run(std::string_view sql, const std::vector<SqlValue>& parameters) {
    if (!reachable()) {
        SqlResult result;
        result.error = lastError_.empty() ? "server not reachable" : lastError_;
        result.connectionLost = true;
        return result;
    }
    std::vector<std::string> texts(parameters.size());
    std::vector<const char*> values(parameters.size(), nullptr);
    for (size_t i = 0; i < parameters.size(); ++i) {
        const SqlValue& p = parameters[i];
        if (const auto* n = std::get_if<int64_t>(&p)) {
            texts[i] = std::to_string(*n);
        } else if (const auto* d = std::get_if<double>(&p)) {
            texts[i] = parameterText(*d);
        } else if (const auto* s = std::get_if<std::string>(&p)) {
            texts[i] = *s;
        } else {
            continue;  // NULL
        }
        values[i] = texts[i].c_str();
    }
    const std::string text = numberedPlaceholders(sql);
    PGresult* r = PQexecParams(connection_, text.c_str(), static_cast<int>(parameters.size()), nullptr,
                               values.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(r);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        SqlResult result = failed("statement failed");
        if (r != nullptr && PQresultErrorMessage(r)[0] != '\0') result.error = trimmed(PQresultErrorMessage(r));
        PQclear(r);
        return result;
    }
    SqlResult result;
    result.ok = true;
    const int rows = PQntuples(r);
    const int columns = PQnfields(r);
    result.rows.reserve(static_cast<size_t>(rows));
    for (int i = 0; i < rows; ++i) {
        SqlRow row(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            if (PQgetisnull(r, i, c)) continue;
            std::string value(PQgetvalue(r, i, c), static_cast<size_t>(PQgetlength(r, i, c)));
            const Oid type = PQftype(r, c);
            SqlValue& cell = row[static_cast<size_t>(c)];
            if (type == kInt8 || type == kInt2 || type == kInt4) {
                cell = sqlInteger(value);
            } else if (type == kFloat4 || type == kFloat8 || type == kNumeric) {
                cell = sqlReal(value, std::nan(""));
            } else {
                cell = std::move(value);
            }
        }
        result.rows.push_back(std::move(row));
    }
    PQclear(r);
    return result;
}

SqlResult PostgresConnection::script(std::string_view sql) {
    if (!reachable()) {
        SqlResult result;
        result.error = lastError_;
        result.connectionLost = true;
        return result;
    }
    const std::string text(sql);
    PGresult* r = PQexec(connection_, text.c_str());
    const ExecStatusType status = PQresultStatus(r);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        SqlResult result = failed("script failed");
        if (r != nullptr && PQresultErrorMessage(r)[0] != '\0') result.error = trimmed(PQresultErrorMessage(r));
        PQclear(r);
        return result;
    }
    PQclear(r);
    SqlResult result;
    result.ok = true;
    return result;
}

}  // namespace vespian
