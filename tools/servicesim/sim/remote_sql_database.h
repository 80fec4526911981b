#pragma once

#include <sqlite3.h>

#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "sim/remote_sql_message.h"

namespace qvpc::servicesim {

// The maker's remote SQL database: the tables app_mac and units in SQLite.
// Messages are read as MySQL reads them (string literals with backslash
// escapes) and text compares the way the real MySQL tables do (ASCII letters
// without case, trailing blanks ignored). Statements may only read and change these
// two tables, one statement at a time, within a time bound.
class RemoteSqlDatabase {
  public:
    // path ":memory:" keeps the database in memory. Throws std::runtime_error
    // when the file cannot be opened or the tables made.
    explicit RemoteSqlDatabase(const std::string& path);

    // Adds the rows of a seed document {"units": [{column: value…}…], "app_mac": […]}
    // when the tables are empty (a kept database file is not seeded twice).
    void seedIfEmpty(const nlohmann::json& seed);

    // Runs one message and gives the reply body the real service sends:
    // QUE the rows, cells joined by "<rb>" and each row ended by "<br>", in
    // GBK; GUN the count and SQL "1" or "0", every byte percent-encoded.
    std::string handle(const RemoteSqlMessage& message, const std::string& remoteId);

    // The reply for a request that is not a message at all.
    static std::string failureReply() { return "-1"; }

    // For tests and people: the rows of a table as JSON objects, and a
    // statement in SQLite's own syntax (UTF-8), subject to the same limits.
    std::optional<nlohmann::json> rows(const std::string& table);
    bool execute(const std::string& sql, std::string& error);

  private:
    struct Cell {
        int type = SQLITE_NULL;
        std::string text;
    };
    using Row = std::vector<Cell>;
    struct Result {
        bool ok = false;
        std::vector<std::string> columns;
        std::vector<Row> rows;
        std::string error;
    };

    Result run(const std::string& sql, size_t maxRows);

    struct Closer {
        void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
    };
    std::mutex m_mutex;
    std::unique_ptr<sqlite3, Closer> m_db;
};

}  // namespace qvpc::servicesim
