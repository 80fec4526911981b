#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3;

namespace qvpc {

// A value bound to a "?" of a statement. Values never become part of the
// statement's text, so a name holding quotes or SQL is stored as it is.
using SqlValue = std::variant<std::string, std::int64_t>;
using SqlValues = std::vector<SqlValue>;

// The rows a query gave, read in full before the statement was freed: a
// result holds no handle and may outlive the database or cross threads.
class QueryResult {
  public:
    QueryResult(std::vector<std::string> columns, std::vector<std::vector<std::string>> rows);

    // Moves to the first row; false when there is none.
    bool First();
    // The current row's value of the column named exactly so (case and all),
    // as text; "" when no column has that name, before First, or for NULL.
    std::string ReadText(std::string_view column) const;

    std::size_t rowCount() const { return m_rows.size(); }

  private:
    std::vector<std::string> m_columns;
    std::vector<std::vector<std::string>> m_rows;
    std::optional<std::size_t> m_current;
};

// The local database (SQLite) at DbPath: the device table 盒子机型 and the
// catalog cache. One connection for the whole run, shared by every thread;
// each operation takes the connection's lock for its whole length. Failures
// are quiet: false, nothing, "" or 0, as the callers expect; nothing is shown.
class Database {
  public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing database file; a missing file is not created (the
    // deployment writes the template) and a file that is no database fails.
    bool OpenAccess(const std::string& path);
    // False when nothing was open.
    bool Close();
    bool isOpen() const;

    // Runs one statement with its values bound; true only when it ran to
    // its end. A text holding more than one statement is refused.
    bool Execute(const std::string& sql, const SqlValues& values = {});
    // Runs one select; nothing on failure.
    std::optional<QueryResult> Query(const std::string& sql, const SqlValues& values = {});
    // "select count(1) from " + table + " " + where, the where text's "?"
    // bound to values; 0 when anything fails. The table is a name of the
    // program's, never a value.
    int CountRows(const std::string& table, const std::string& where, const SqlValues& values = {});

  private:
    struct Closer {
        void operator()(sqlite3* db) const;
    };

    mutable std::mutex m_mutex;
    std::unique_ptr<sqlite3, Closer> m_db;
};

}  // namespace qvpc
