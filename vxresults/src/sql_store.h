// SPDX-License-Identifier: MIT
// The queries both databases share. A dialect supplies the connection, transactions and the
// schema migrations; the queries themselves are written once, in SQL both SQLite and
// PostgreSQL accept, with $1, $2... for parameters.
#pragma once

#include <mutex>
#include <variant>

#include "store.h"

namespace vxresults {

class SqlStore : public Store {
public:
    using Value = std::variant<std::monostate, int64_t, std::string>;  // monostate is NULL
    using Row = std::vector<std::optional<std::string>>;                // each column as text

    Ranks add(const Submission& result, int64_t received) override;
    std::vector<DeviceSummary> devices(const BoardQuery& query) override;
    int64_t deviceCount(const std::string& search) override;
    std::vector<StoredResult> results(const std::optional<std::string>& dev, int64_t limit, int64_t offset) override;
    int64_t resultCount(const std::optional<std::string>& dev) override;
    void forEach(const std::function<void(const StoredResult&)>& visit) override;
    void ping() override;

protected:
    // Creates the version table and runs every migration the database has not seen, in one
    // transaction. Called once by the dialect's constructor.
    void migrate();

    // The dialect's primitives; called with the store's lock held.
    virtual std::vector<Row> query(const std::string& sql, const std::vector<Value>& params) = 0;
    virtual void script(const std::string& sql) = 0;  // statements without parameters
    virtual void inTransaction(const std::function<void()>& body) = 0;  // committed on return
    // The schema, one script a version: migrations()[0] makes version 1, and so on.
    virtual std::vector<std::string> migrations() const = 0;

private:
    std::mutex mutex_;
};

}  // namespace vxresults
