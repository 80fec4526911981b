#include "devices/database.h"

#include <sqlite3.h>

namespace qvpc {
namespace {

// Another program holding the file gets this long before a statement gives up.
constexpr int kBusyTimeoutMs = 2000;

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

bool OnlyBlanksOrSemicolons(const char* text) {
    for (; text && *text; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n' && *text != ';') {
            return false;
        }
    }
    return true;
}

// Prepares exactly one statement and binds the values to its "?" in order;
// nothing when the text does not hold one statement or a value does not fit.
Statement Prepare(sqlite3* db, const std::string& sql, const SqlValues& values) {
    if (!db) {
        return nullptr;
    }
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, &tail) !=
        SQLITE_OK) {
        return nullptr;
    }
    Statement statement(raw);
    if (!statement || !OnlyBlanksOrSemicolons(tail) ||
        sqlite3_bind_parameter_count(statement.get()) != static_cast<int>(values.size())) {
        return nullptr;
    }
    int index = 1;
    for (const SqlValue& value : values) {
        int rc = SQLITE_OK;
        if (const auto* text = std::get_if<std::string>(&value)) {
            rc = sqlite3_bind_text64(statement.get(), index, text->data(), text->size(),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
        } else {
            rc = sqlite3_bind_int64(statement.get(), index, std::get<std::int64_t>(value));
        }
        if (rc != SQLITE_OK) {
            return nullptr;
        }
        ++index;
    }
    return statement;
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    if (!text) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

}  // namespace

QueryResult::QueryResult(std::vector<std::string> columns,
                         std::vector<std::vector<std::string>> rows)
    : m_columns(std::move(columns)), m_rows(std::move(rows)) {}

bool QueryResult::First() {
    if (m_rows.empty()) {
        m_current.reset();
        return false;
    }
    m_current = 0;
    return true;
}

std::string QueryResult::ReadText(std::string_view column) const {
    if (!m_current) {
        return {};
    }
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i] == column) {
            return m_rows[*m_current][i];
        }
    }
    return {};
}

void Database::Closer::operator()(sqlite3* db) const {
    // Closes even while a statement were still alive: it is freed with its last user.
    sqlite3_close_v2(db);
}

Database::Database() = default;

Database::~Database() {
    Close();
}

bool Database::OpenAccess(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_db.reset();
    sqlite3* raw = nullptr;
    // Never created here: without the template there is no database.
    const int rc =
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    std::unique_ptr<sqlite3, Closer> db(raw);
    if (rc != SQLITE_OK) {
        return false;
    }
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    sqlite3_extended_result_codes(db.get(), 1);
    // SQLite reads the file only at the first statement; a file that is no
    // database fails here rather than in every later operation.
    Statement probe = Prepare(db.get(), "select count(1) from sqlite_master", {});
    if (!probe || sqlite3_step(probe.get()) != SQLITE_ROW) {
        return false;
    }
    m_db = std::move(db);
    return true;
}

bool Database::Close() {
    std::lock_guard lock(m_mutex);
    if (!m_db) {
        return false;
    }
    m_db.reset();
    return true;
}

bool Database::isOpen() const {
    std::lock_guard lock(m_mutex);
    return m_db != nullptr;
}

bool Database::Execute(const std::string& sql, const SqlValues& values) {
    std::lock_guard lock(m_mutex);
    Statement statement = Prepare(m_db.get(), sql, values);
    if (!statement) {
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    return rc == SQLITE_DONE;
}

std::optional<QueryResult> Database::Query(const std::string& sql, const SqlValues& values) {
    std::lock_guard lock(m_mutex);
    Statement statement = Prepare(m_db.get(), sql, values);
    if (!statement) {
        return std::nullopt;
    }
    const int count = sqlite3_column_count(statement.get());
    std::vector<std::string> columns;
    for (int i = 0; i < count; ++i) {
        const char* name = sqlite3_column_name(statement.get(), i);
        columns.emplace_back(name ? name : "");
    }
    std::vector<std::vector<std::string>> rows;
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        std::vector<std::string> row;
        row.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            row.push_back(ColumnText(statement.get(), i));
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        return std::nullopt;
    }
    return QueryResult(std::move(columns), std::move(rows));
}

int Database::CountRows(const std::string& table, const std::string& where,
                        const SqlValues& values) {
    std::lock_guard lock(m_mutex);
    Statement statement =
        Prepare(m_db.get(), "select count(1) from " + table + " " + where, values);
    if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW) {
        return 0;
    }
    return sqlite3_column_int(statement.get(), 0);
}

}  // namespace qvpc
