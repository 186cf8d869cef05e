#pragma once
// The little the archive needs of a database: run one statement with parameters and get its rows,
// run a script, know which engine it is. SQLite and PostgreSQL each implement it (like the device
// layer's backends), and the archive's logic is written once above it. Statements are written
// with "?" for parameters; the PostgreSQL engine numbers them.
//
// Nothing here throws: every call says whether it worked and why not.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vespian {

enum class SqlEngine { Sqlite, Postgres };

using SqlValue = std::variant<std::monostate, int64_t, double, std::string>;
using SqlRow = std::vector<SqlValue>;

struct SqlResult {
    bool ok = false;
    std::string error;  // the engine's own words when !ok
    bool connectionLost = false;  // the server went away (worth trying again later)
    std::vector<SqlRow> rows;
};

class SqlConnection {
public:
    virtual ~SqlConnection() = default;

    virtual SqlEngine engine() const = 0;
    virtual std::string where() const = 0;  // the file or server, for messages

    // One statement; the rows it returns, if any.
    virtual SqlResult run(std::string_view sql, const std::vector<SqlValue>& parameters = {}) = 0;
    // Several statements separated by ";", without parameters.
    virtual SqlResult script(std::string_view sql) = 0;

    // Whether the connection can be used now; a lost server connection is tried again here.
    virtual bool reachable() = 0;
    // Why the last attempt to reach the database failed; empty when it did not.
    virtual std::string unreachableReason() const { return {}; }
};

// Reading values back: NULL and a wrong type give the fallback.
int64_t sqlInteger(const SqlValue& value, int64_t otherwise = 0);
double sqlReal(const SqlValue& value, double otherwise);
std::string sqlText(const SqlValue& value);

}  // namespace vespian
