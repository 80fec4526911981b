// Build step: creates the database template the program writes out when the
// user has no database yet: the local tables, empty, as the program uses them.
//
//   qvpc_make_db_template OUT.db
#include <sqlite3.h>

#include <cstdio>
#include <iostream>
#include <memory>

namespace {

// sqlite3_open hands back a handle even when it fails; that one is closed too.
struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct SqliteTextFreer {
    void operator()(char* text) const { sqlite3_free(text); }
};
using DatabasePtr = std::unique_ptr<sqlite3, DatabaseCloser>;
using SqliteText = std::unique_ptr<char, SqliteTextFreer>;

constexpr const char* kSchema = R"sql(
PRAGMA page_size = 4096;
PRAGMA journal_mode = DELETE;
CREATE TABLE 盒子机型 (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    mac VARCHAR(50),
    机型 VARCHAR(50),
    ip VARCHAR(50)
);
CREATE TABLE 应用数据缓存 (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    应用编号 VARCHAR(50),
    应用地址 TEXT,
    更新时间 VARCHAR(50),
    应用名称 VARCHAR(50),
    应用图标 TEXT,
    应用版本 VARCHAR(50),
    应用大小 VARCHAR(50),
    应用简介 TEXT,
    应用包名 TEXT,
    缩略图集 TEXT
);
CREATE INDEX 应用数据缓存_应用编号 ON 应用数据缓存 (应用编号);
CREATE INDEX 应用数据缓存_更新时间 ON 应用数据缓存 (更新时间);
CREATE TABLE 应用名称对照表 (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    应用名 VARCHAR(50),
    应用包名 VARCHAR(255)
);
CREATE TABLE 下载管理总表 (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    任务ID VARCHAR(50),
    文件包名 VARCHAR(255),
    文件名 VARCHAR(255),
    文件尺寸 VARCHAR(50),
    图标名称 VARCHAR(255),
    下载链接 TEXT,
    任务状态 VARCHAR(50),
    应用版本 VARCHAR(50),
    更新时间 VARCHAR(50)
);
CREATE TABLE 基础配置 (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    ip VARCHAR(50),
    操作记录 TEXT,
    time VARCHAR(50),
    关键字 VARCHAR(255)
);
)sql";

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: qvpc_make_db_template OUT.db\n";
        return 2;
    }
    std::remove(argv[1]);
    sqlite3* opened = nullptr;
    const int openRc = sqlite3_open(argv[1], &opened);
    DatabasePtr db(opened);
    if (openRc != SQLITE_OK) {
        std::cerr << "qvpc_make_db_template: " << sqlite3_errmsg(db.get()) << "\n";
        return 1;
    }
    char* message = nullptr;
    int rc = sqlite3_exec(db.get(), kSchema, nullptr, nullptr, &message);
    SqliteText error(message);
    if (rc != SQLITE_OK) {
        std::cerr << "qvpc_make_db_template: " << (error ? error.get() : "failed") << "\n";
    }
    return rc == SQLITE_OK ? 0 : 1;
}
