#include "sim/remote_sql_database.h"

#include <chrono>
#include <cstring>
#include <stdexcept>

#include "sim/mysql_dialect.h"
#include "sim/text_codec.h"

namespace qvpc::servicesim {
namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS app_mac (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    ip TEXT COLLATE mysql_ci DEFAULT '',
    mac TEXT COLLATE mysql_ci DEFAULT '',
    name TEXT COLLATE mysql_ci DEFAULT '',
    time TEXT COLLATE mysql_ci DEFAULT '',
    num INTEGER DEFAULT 0,
    keywords TEXT COLLATE mysql_ci DEFAULT '',
    应用数据 TEXT COLLATE mysql_ci DEFAULT ''
);
CREATE TABLE IF NOT EXISTS units (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    品牌名 TEXT COLLATE mysql_ci DEFAULT '',
    keywords TEXT COLLATE mysql_ci DEFAULT ''
);
)sql";

constexpr size_t kMaxQueRows = 1000;
constexpr auto kStatementTimeLimit = std::chrono::seconds(2);

bool IsServedTable(const char* name) {
    return name && (std::strcmp(name, "app_mac") == 0 || std::strcmp(name, "units") == 0);
}

// Only reads and changes of the two tables: no schema changes, no ATTACH,
// no PRAGMA, no reading of the schema table.
int Authorize(void*, int action, const char* a, const char*, const char*, const char*) {
    switch (action) {
        case SQLITE_SELECT:
        case SQLITE_FUNCTION:
        case SQLITE_RECURSIVE:
            return SQLITE_OK;
        case SQLITE_READ:
        case SQLITE_INSERT:
        case SQLITE_UPDATE:
        case SQLITE_DELETE:
            return IsServedTable(a) ? SQLITE_OK : SQLITE_DENY;
        default:
            return SQLITE_DENY;
    }
}

// MySQL's default collation: ASCII letters without case, trailing blanks
// do not count.
int MysqlCompare(void*, int lenA, const void* a, int lenB, const void* b) {
    const auto* pa = static_cast<const unsigned char*>(a);
    const auto* pb = static_cast<const unsigned char*>(b);
    while (lenA > 0 && pa[lenA - 1] == ' ') {
        --lenA;
    }
    while (lenB > 0 && pb[lenB - 1] == ' ') {
        --lenB;
    }
    int n = std::min(lenA, lenB);
    for (int i = 0; i < n; ++i) {
        int ca = pa[i] >= 'A' && pa[i] <= 'Z' ? pa[i] + 32 : pa[i];
        int cb = pb[i] >= 'A' && pb[i] <= 'Z' ? pb[i] + 32 : pb[i];
        if (ca != cb) {
            return ca - cb;
        }
    }
    return lenA - lenB;
}

struct StatementCloser {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementCloser>;

bool IsBlank(const char* text) {
    for (; text && *text; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n' && *text != ';') {
            return false;
        }
    }
    return true;
}

}  // namespace

RemoteSqlDatabase::RemoteSqlDatabase(const std::string& path) {
    sqlite3* raw = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &raw,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    m_db.reset(raw);
    if (rc != SQLITE_OK) {
        throw std::runtime_error("cannot open " + path + ": " +
                                 (raw ? sqlite3_errmsg(raw) : "out of memory"));
    }
    sqlite3_create_collation_v2(raw, "mysql_ci", SQLITE_UTF8, nullptr, MysqlCompare, nullptr);
    sqlite3_limit(raw, SQLITE_LIMIT_LENGTH, 1 << 20);
    sqlite3_limit(raw, SQLITE_LIMIT_SQL_LENGTH, 1 << 20);
    sqlite3_limit(raw, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    char* error = nullptr;
    if (sqlite3_exec(raw, kSchema, nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("cannot create the tables in " + path + ": " + message);
    }
    sqlite3_set_authorizer(raw, Authorize, nullptr);
}

void RemoteSqlDatabase::seedIfEmpty(const nlohmann::json& seed) {
    for (const char* table : {"units", "app_mac"}) {
        if (!seed.contains(table) || !seed[table].is_array()) {
            continue;
        }
        std::lock_guard lock(m_mutex);
        Statement count;
        sqlite3_stmt* raw = nullptr;
        sqlite3_prepare_v2(m_db.get(), (std::string("select count(1) from ") + table).c_str(), -1,
                           &raw, nullptr);
        count.reset(raw);
        if (!count || sqlite3_step(count.get()) != SQLITE_ROW ||
            sqlite3_column_int64(count.get(), 0) > 0) {
            continue;
        }
        for (const nlohmann::json& row : seed[table]) {
            if (!row.is_object() || row.empty()) {
                continue;
            }
            std::string columns;
            std::string marks;
            for (const auto& [name, value] : row.items()) {
                std::string quoted = name;
                for (size_t at = 0; (at = quoted.find('"', at)) != std::string::npos; at += 2) {
                    quoted.insert(at, "\"");
                }
                columns += (columns.empty() ? "\"" : ",\"") + quoted + "\"";
                marks += marks.empty() ? "?" : ",?";
            }
            std::string sql =
                std::string("insert into ") + table + " (" + columns + ") values (" + marks + ")";
            Statement insert;
            raw = nullptr;
            if (sqlite3_prepare_v2(m_db.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
                throw std::runtime_error("seed row " + row.dump() + ": " +
                                         sqlite3_errmsg(m_db.get()));
            }
            insert.reset(raw);
            int index = 1;
            for (const auto& [name, value] : row.items()) {
                if (value.is_number_integer()) {
                    sqlite3_bind_int64(insert.get(), index, value.get<sqlite3_int64>());
                } else if (value.is_null()) {
                    sqlite3_bind_null(insert.get(), index);
                } else {
                    std::string text = value.is_string() ? value.get<std::string>() : value.dump();
                    sqlite3_bind_text(insert.get(), index, text.c_str(),
                                      static_cast<int>(text.size()), SQLITE_TRANSIENT);
                }
                ++index;
            }
            sqlite3_step(insert.get());
        }
    }
}

RemoteSqlDatabase::Result RemoteSqlDatabase::run(const std::string& sql, size_t maxRows) {
    Result result;
    std::lock_guard lock(m_mutex);
    sqlite3* db = m_db.get();
    // A hostile statement (an endless recursive query) is cut off in time.
    auto deadline = std::chrono::steady_clock::now() + kStatementTimeLimit;
    sqlite3_progress_handler(
        db, 10000,
        [](void* arg) -> int {
            auto* until = static_cast<std::chrono::steady_clock::time_point*>(arg);
            return std::chrono::steady_clock::now() > *until ? 1 : 0;
        },
        &deadline);
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, &tail);
    Statement statement(raw);
    if (rc != SQLITE_OK || !statement) {
        result.error = rc == SQLITE_OK ? "empty statement" : sqlite3_errmsg(db);
        sqlite3_progress_handler(db, 0, nullptr, nullptr);
        return result;
    }
    if (!IsBlank(tail)) {
        result.error = "only one statement is run";
        sqlite3_progress_handler(db, 0, nullptr, nullptr);
        return result;
    }
    int columns = sqlite3_column_count(statement.get());
    for (int i = 0; i < columns; ++i) {
        const char* name = sqlite3_column_name(statement.get(), i);
        result.columns.emplace_back(name ? name : "");
    }
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        if (result.rows.size() >= maxRows) {
            break;  // a change statement has made its changes by its first row
        }
        Row row;
        for (int i = 0; i < columns; ++i) {
            Cell cell;
            cell.type = sqlite3_column_type(statement.get(), i);
            const unsigned char* text = sqlite3_column_text(statement.get(), i);
            int bytes = sqlite3_column_bytes(statement.get(), i);
            if (text) {
                cell.text.assign(reinterpret_cast<const char*>(text), static_cast<size_t>(bytes));
            }
            row.push_back(std::move(cell));
        }
        result.rows.push_back(std::move(row));
    }
    result.ok = rc == SQLITE_DONE || rc == SQLITE_ROW;
    if (!result.ok) {
        result.error = sqlite3_errmsg(db);
    }
    sqlite3_progress_handler(db, 0, nullptr, nullptr);
    return result;
}

std::string RemoteSqlDatabase::handle(const RemoteSqlMessage& message,
                                      const std::string& remoteId) {
    const bool known = message.kind == "QUE" || message.kind == "GUN" || message.kind == "SQL";
    if (!known || message.remoteId != remoteId) {
        return message.kind == "QUE" || !known ? failureReply() : PercentEncodeAll("-1");
    }
    if (message.kind == "QUE") {
        const std::string& table = message.operands[0];
        const std::string& column = message.operands[1];
        const std::string& where = message.operands[2];
        Result result =
            run(MysqlToSqlite("select " + column + " from " + table + " " + where), kMaxQueRows);
        if (!result.ok) {
            return failureReply();
        }
        std::string reply;
        for (const Row& row : result.rows) {
            for (size_t i = 0; i < row.size(); ++i) {
                if (i > 0) {
                    reply += "<rb>";
                }
                reply += row[i].text;
            }
            reply += "<br>";
        }
        return Utf8ToGbk(reply);
    }
    if (message.kind == "GUN") {
        Result result = run(MysqlToSqlite("select count(1) from " + message.operands[0] + " " +
                                          message.operands[1]),
                            1);
        if (!result.ok || result.rows.empty() || result.rows[0].empty()) {
            return PercentEncodeAll("-1");
        }
        return PercentEncodeAll(result.rows[0][0].text);
    }
    Result result = run(MysqlToSqlite(message.operands[0]), 0);
    return PercentEncodeAll(result.ok ? "1" : "0");
}

std::optional<nlohmann::json> RemoteSqlDatabase::rows(const std::string& table) {
    if (!IsServedTable(table.c_str())) {
        return std::nullopt;
    }
    Result result = run("select * from " + table + " order by id", 100000);
    if (!result.ok) {
        return std::nullopt;
    }
    nlohmann::json out = nlohmann::json::array();
    for (const Row& row : result.rows) {
        nlohmann::json object = nlohmann::json::object();
        for (size_t i = 0; i < row.size(); ++i) {
            const Cell& cell = row[i];
            if (cell.type == SQLITE_NULL) {
                object[result.columns[i]] = nullptr;
            } else if (cell.type == SQLITE_INTEGER) {
                object[result.columns[i]] = std::stoll(cell.text);
            } else {
                object[result.columns[i]] = cell.text;
            }
        }
        out.push_back(std::move(object));
    }
    return out;
}

bool RemoteSqlDatabase::execute(const std::string& sql, std::string& error) {
    Result result = run(sql, 0);
    error = result.error;
    return result.ok;
}

}  // namespace qvpc::servicesim
