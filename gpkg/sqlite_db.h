// A thin owner of an SQLite connection and its statements, for the container
// writer and reader. Every value reaches SQL through a bound parameter.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tikhomap::gpkg {

class Statement {
 public:
  Statement(sqlite3* db, std::string_view sql) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
        SQLITE_OK) {
      stmt_ = nullptr;
    }
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool ok() const { return stmt_ != nullptr; }
  sqlite3_stmt* get() const { return stmt_; }

  // Binders count their parameters from 1 as SQLite does; each remembers a
  // failure, which step() then reports.
  Statement& bind(int i, int64_t v) { return check(sqlite3_bind_int64(stmt_, i, v)); }
  Statement& bind(int i, double v) { return check(sqlite3_bind_double(stmt_, i, v)); }
  Statement& bindText(int i, std::string_view v) {
    return check(sqlite3_bind_text64(stmt_, i, v.data(), v.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
  }
  Statement& bindBlob(int i, std::span<const uint8_t> v) {
    return check(sqlite3_bind_blob64(stmt_, i, v.data(), v.size(), SQLITE_TRANSIENT));
  }
  Statement& bindNull(int i) { return check(sqlite3_bind_null(stmt_, i)); }

  // SQLITE_ROW, SQLITE_DONE or an error code.
  int step() {
    if (!stmt_) return SQLITE_MISUSE;
    if (bindFailed_) return SQLITE_ERROR;
    return sqlite3_step(stmt_);
  }
  // Runs an INSERT-like statement once and makes it ready for the next row.
  bool run() {
    const int rc = step();
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    bindFailed_ = false;
    return rc == SQLITE_DONE;
  }

 private:
  Statement& check(int rc) {
    if (!stmt_ || rc != SQLITE_OK) bindFailed_ = true;
    return *this;
  }
  sqlite3_stmt* stmt_ = nullptr;
  bool bindFailed_ = false;
};

class Connection {
 public:
  Connection() = default;
  ~Connection() { sqlite3_close_v2(db_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // flags as sqlite3_open_v2's; the path is absolute, so it is never taken
  // for a URI.
  int open(const std::string& path, int flags) {
    return sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  }
  bool exec(std::string_view sql) {
    const std::string text(sql);
    return sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  std::string message() const { return db_ ? sqlite3_errmsg(db_) : "out of memory"; }
  sqlite3* get() const { return db_; }
  // Closes the connection, answering SQLite's code (it stays open on failure).
  int close() {
    const int rc = sqlite3_close(db_);
    if (rc == SQLITE_OK) db_ = nullptr;
    return rc;
  }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace tikhomap::gpkg
