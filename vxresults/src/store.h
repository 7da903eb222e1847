// SPDX-License-Identifier: MIT
// Where results live: one interface, an SQLite and a PostgreSQL implementation.
//
// `add` returns only after the result is committed to disk (SQLite in WAL mode with synchronous
// commits, or a committed PostgreSQL transaction), so an acknowledged result survives a crash.
// Every method may throw StoreError; the store stays usable afterwards. The methods may be called
// from several threads at once. No sender address or other personal data is stored.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "submission.h"

namespace vxresults {

struct StoreError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct StoredResult {
    int64_t id = 0;
    int64_t received = 0;  // seconds since 1970, UTC
    Submission result;
};

struct Ranks {
    int64_t id = 0;          // the new result's id
    int64_t overall = 0;     // 1 + results with a higher average, among all results
    int64_t total = 0;       // all results
    int64_t device = 0;      // the same among the results of the same device string
    int64_t deviceTotal = 0;
};

// One leaderboard row: every run of one device string.
struct DeviceSummary {
    std::string dev;
    int64_t best = 0;       // highest average times 100
    double median = 0;      // median average times 100
    int64_t runs = 0;
    uint64_t memory = 0;    // largest total memory reported
    int64_t lastSeen = 0;   // newest run, seconds since 1970
};

enum class SortKey { Device, Best, Median, Runs, Memory, LastSeen };

struct BoardQuery {
    std::string search;  // part of the device string, case-insensitive for ASCII; empty for all
    bool exact = false;  // search is the whole device string, as stored
    SortKey sort = SortKey::Best;
    bool descending = true;
    int64_t limit = 25;
    int64_t offset = 0;
};

class Store {
public:
    virtual ~Store() = default;
    // Stores one result received at `received` and ranks it; committed when it returns.
    virtual Ranks add(const Submission& result, int64_t received) = 0;
    virtual std::vector<DeviceSummary> devices(const BoardQuery& query) = 0;
    virtual int64_t deviceCount(const std::string& search) = 0;
    // Results newest first, of one device string or (nullopt) of all.
    virtual std::vector<StoredResult> results(const std::optional<std::string>& dev, int64_t limit, int64_t offset) = 0;
    virtual int64_t resultCount(const std::optional<std::string>& dev) = 0;
    // Every result, oldest first, one at a time (export).
    virtual void forEach(const std::function<void(const StoredResult&)>& visit) = 0;
    // Throws when the database does not answer.
    virtual void ping() = 0;
};

// Opens "sqlite:PATH" or "postgresql://..." (also "postgres://..."), creating or migrating the
// schema. Throws StoreError with the reason when the database cannot be opened or migrated.
std::unique_ptr<Store> openStore(const std::string& url);

}  // namespace vxresults
