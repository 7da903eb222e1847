// SPDX-License-Identifier: MIT
// SQLite: one file, WAL mode, every commit synced (synchronous=FULL). One connection: SQLite
// writes one transaction at a time anyway, and the reads are short.
#include <sqlite3.h>

#include "stores.h"

namespace vxresults {

namespace {

class SqliteSession final : public SqlSession {
public:
    explicit SqliteSession(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                            nullptr) != SQLITE_OK) {
            const std::string reason = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            throw StoreError("cannot open the SQLite database '" + path + "': " + reason);
        }
        try {
            sqlite3_busy_timeout(db_, 5000);
            script("PRAGMA journal_mode=WAL");
            script("PRAGMA synchronous=FULL");
        } catch (...) {
            sqlite3_close(db_);
            throw;
        }
    }
    ~SqliteSession() override { sqlite3_close(db_); }
    SqliteSession(const SqliteSession&) = delete;
    SqliteSession& operator=(const SqliteSession&) = delete;

    std::vector<SqlRow> query(const std::string& sql, const std::vector<SqlValue>& params) override {
        // $N parameters become SQLite's ?N.
        std::string text = sql;
        for (char& c : text) {
            if (c == '$') c = '?';
        }
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, text.c_str(), -1, &stmt, nullptr) != SQLITE_OK) fail("prepare");
        std::vector<SqlRow> rows;
        for (std::size_t i = 0; i < params.size(); ++i) {
            const int index = static_cast<int>(i + 1);
            if (const auto* n = std::get_if<int64_t>(&params[i])) {
                sqlite3_bind_int64(stmt, index, *n);
            } else if (const auto* s = std::get_if<std::string>(&params[i])) {
                sqlite3_bind_text(stmt, index, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_null(stmt, index);
            }
        }
        int status;
        while ((status = sqlite3_step(stmt)) == SQLITE_ROW) {
            SqlRow row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                if (value) {
                    row.emplace_back(std::string(value, static_cast<std::size_t>(sqlite3_column_bytes(stmt, c))));
                } else {
                    row.emplace_back(std::nullopt);
                }
            }
            rows.push_back(std::move(row));
        }
        sqlite3_finalize(stmt);
        if (status != SQLITE_DONE) fail("step");
        return rows;
    }

    void script(const std::string& sql) override {
        char* message = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string reason = message ? message : "unknown error";
            sqlite3_free(message);
            throw StoreError("SQLite: " + reason);
        }
    }

    void inTransaction(const std::function<void()>& body) override {
        // IMMEDIATE takes the write lock at once, so a second process waits instead of failing
        // half-way through.
        script("BEGIN IMMEDIATE");
        try {
            body();
            script("COMMIT");
        } catch (...) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    }

private:
    [[noreturn]] void fail(const char* what) {
        throw StoreError(std::string("SQLite ") + what + ": " + sqlite3_errmsg(db_));
    }

    sqlite3* db_ = nullptr;
};

class SqliteStore final : public SqlStore {
public:
    explicit SqliteStore(const std::string& path) {
        addSession(std::make_unique<SqliteSession>(path));
        migrate({
            "CREATE TABLE results (id INTEGER PRIMARY KEY AUTOINCREMENT, received INTEGER NOT NULL, "
            "fps INTEGER NOT NULL, min_fps INTEGER, max_fps INTEGER, dev TEXT NOT NULL, ver TEXT NOT NULL, "
            "memp INTEGER NOT NULL, totmem INTEGER NOT NULL, availmem INTEGER NOT NULL);"
            "CREATE INDEX results_fps ON results (fps);"
            "CREATE INDEX results_dev_fps ON results (dev, fps);",
        });
    }
};

}  // namespace

std::unique_ptr<Store> openSqliteStore(const std::string& path) { return std::make_unique<SqliteStore>(path); }

}  // namespace vxresults
