// SPDX-License-Identifier: MIT
// The queries both databases share. A dialect supplies its connections (sessions) and the schema
// migrations; the queries themselves are written once, in SQL both SQLite and PostgreSQL
// accept, with $1, $2... for parameters. Each call of the store borrows one idle session, so a
// dialect with several connections serves several requests at once.
#pragma once

#include <condition_variable>
#include <mutex>
#include <variant>

#include "store.h"

namespace vxresults {

using SqlValue = std::variant<std::monostate, int64_t, std::string>;  // monostate is NULL
using SqlRow = std::vector<std::optional<std::string>>;                // each column as text

// One connection of a dialect; used by one thread at a time.
class SqlSession {
public:
    virtual ~SqlSession() = default;
    virtual std::vector<SqlRow> query(const std::string& sql, const std::vector<SqlValue>& params) = 0;
    virtual void script(const std::string& sql) = 0;                    // statements without parameters
    virtual void inTransaction(const std::function<void()>& body) = 0;  // committed on return
    // Inside a transaction: waits until no other process migrates the same database.
    virtual void lockSchema() {}
};

class SqlStore : public Store {
public:
    using Value = SqlValue;
    using Row = SqlRow;

    Ranks add(const Submission& result, int64_t received) override;
    std::vector<DeviceSummary> devices(const BoardQuery& query) override;
    int64_t deviceCount(const std::string& search) override;
    std::vector<StoredResult> results(const std::optional<std::string>& dev, int64_t limit, int64_t offset) override;
    int64_t resultCount(const std::optional<std::string>& dev) override;
    void forEach(const std::function<void(const StoredResult&)>& visit) override;
    void ping() override;

protected:
    // The dialect's constructor adds its sessions, then migrates: creates the version table and
    // runs every script of `migrations` the database has not seen, in one transaction
    // (migrations[0] makes version 1, and so on).
    void addSession(std::unique_ptr<SqlSession> session);
    void migrate(const std::vector<std::string>& migrations);

private:
    // An idle session, borrowed for one call and given back when the lease ends.
    class Lease {
    public:
        Lease(SqlStore& store, std::unique_ptr<SqlSession> session) : store_(store), session_(std::move(session)) {}
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        SqlSession* operator->() const { return session_.get(); }

    private:
        SqlStore& store_;
        std::unique_ptr<SqlSession> session_;
    };
    Lease lease();

    std::mutex mutex_;
    std::condition_variable returned_;
    std::vector<std::unique_ptr<SqlSession>> idle_;
};

}  // namespace vxresults
