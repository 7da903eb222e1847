// SPDX-License-Identifier: MIT
// PostgreSQL through libpqxx: a few connections, so that requests (and their commits) overlap;
// a result is acknowledged only after its transaction committed (synchronous_commit as the
// server sets it, on by default).
#include <pqxx/pqxx>

#include "stores.h"

namespace vxresults {

namespace {

constexpr int kConnections = 4;

class PostgresSession final : public SqlSession {
public:
    explicit PostgresSession(const std::string& url) : url_(url) {
        try {
            connection_ = std::make_unique<pqxx::connection>(url);
        } catch (const std::exception& e) {
            throw StoreError(std::string("cannot connect to PostgreSQL: ") + e.what());
        }
    }

    std::vector<SqlRow> query(const std::string& sql, const std::vector<SqlValue>& params) override {
        std::vector<std::optional<std::string>> texts;
        for (const SqlValue& v : params) {
            if (const auto* n = std::get_if<int64_t>(&v)) {
                texts.emplace_back(std::to_string(*n));
            } else if (const auto* s = std::get_if<std::string>(&v)) {
                texts.emplace_back(*s);
            } else {
                texts.emplace_back(std::nullopt);
            }
        }
        return guarded([&] {
            if (transaction_) return toRows(transaction_->exec_params(sql, pqxx::prepare::make_dynamic_params(texts)));
            pqxx::nontransaction once(*connection_);
            return toRows(once.exec_params(sql, pqxx::prepare::make_dynamic_params(texts)));
        });
    }

    void script(const std::string& sql) override {
        guarded([&] {
            if (transaction_) {
                transaction_->exec(sql);
            } else {
                pqxx::nontransaction once(*connection_);
                once.exec(sql);
            }
            return 0;
        });
    }

    void inTransaction(const std::function<void()>& body) override {
        guarded([&] {
            pqxx::work work(*connection_);
            transaction_ = &work;
            try {
                body();
                transaction_ = nullptr;
            } catch (...) {
                transaction_ = nullptr;
                throw;
            }
            work.commit();
            return 0;
        });
    }

    // Two servers starting at once on a new database would both create the tables.
    void lockSchema() override { script("SELECT pg_advisory_xact_lock(4242424242)"); }

private:
    static std::vector<SqlRow> toRows(const pqxx::result& result) {
        std::vector<SqlRow> rows;
        for (const auto& r : result) {
            SqlRow row;
            for (const auto& field : r) {
                if (field.is_null()) {
                    row.emplace_back(std::nullopt);
                } else {
                    row.emplace_back(field.c_str());
                }
            }
            rows.push_back(std::move(row));
        }
        return rows;
    }

    // Runs a libpqxx call, turning its errors into StoreError. A broken connection is opened
    // again on the next call, so the server recovers when the database comes back.
    template <typename F>
    auto guarded(F&& call) -> decltype(call()) {
        try {
            if (!transaction_ && !connection_->is_open()) connection_ = std::make_unique<pqxx::connection>(url_);
            return call();
        } catch (const StoreError&) {
            throw;
        } catch (const std::exception& e) {
            throw StoreError(std::string("PostgreSQL: ") + e.what());
        }
    }

    std::string url_;
    std::unique_ptr<pqxx::connection> connection_;
    pqxx::work* transaction_ = nullptr;  // the open transaction of inTransaction, if any
};

class PostgresStore final : public SqlStore {
public:
    explicit PostgresStore(const std::string& url) {
        for (int i = 0; i < kConnections; ++i) addSession(std::make_unique<PostgresSession>(url));
        migrate({
            "CREATE TABLE results (id BIGSERIAL PRIMARY KEY, received BIGINT NOT NULL, "
            "fps BIGINT NOT NULL, min_fps BIGINT, max_fps BIGINT, dev TEXT NOT NULL, ver TEXT NOT NULL, "
            "memp BIGINT NOT NULL, totmem BIGINT NOT NULL, availmem BIGINT NOT NULL);"
            "CREATE INDEX results_fps ON results (fps);"
            "CREATE INDEX results_dev_fps ON results (dev, fps);",
        });
    }
};

}  // namespace

std::unique_ptr<Store> openPostgresStore(const std::string& url) { return std::make_unique<PostgresStore>(url); }

}  // namespace vxresults
