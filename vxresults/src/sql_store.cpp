// SPDX-License-Identifier: MIT
#include "sql_store.h"

#include "stores.h"

#include <cstdlib>

namespace vxresults {

namespace {

constexpr const char* kResultColumns =
    "id, received, fps, min_fps, max_fps, dev, ver, memp, totmem, availmem";

int64_t toInt(const std::optional<std::string>& text) {
    return text ? std::strtoll(text->c_str(), nullptr, 10) : 0;
}

std::optional<int64_t> toOptionalInt(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    return toInt(text);
}

SqlStore::Value optionalValue(const std::optional<int64_t>& value) {
    if (!value) return std::monostate{};
    return *value;
}

// Memory figures are unsigned 64-bit; the databases hold them in a signed 64-bit column, bit
// for bit (figures above 2^63-1 would sort below the others, which no machine reaches).
int64_t toStored(uint64_t bytes) { return static_cast<int64_t>(bytes); }
uint64_t fromStored(const std::optional<std::string>& text) { return static_cast<uint64_t>(toInt(text)); }

StoredResult toResult(const SqlStore::Row& row) {
    StoredResult r;
    r.id = toInt(row[0]);
    r.received = toInt(row[1]);
    r.result.fps = toInt(row[2]);
    r.result.minFps = toOptionalInt(row[3]);
    r.result.maxFps = toOptionalInt(row[4]);
    r.result.dev = row[5].value_or("");
    r.result.ver = row[6].value_or("");
    r.result.memp = toInt(row[7]);
    r.result.totmem = fromStored(row[8]);
    r.result.availmem = fromStored(row[9]);
    return r;
}

// A LIKE pattern matching every device string that contains `search`, ASCII case folded.
std::string containsPattern(const std::string& search) {
    std::string pattern = "%";
    for (const char c : search) {
        if (c == '%' || c == '_' || c == '\\') pattern += '\\';
        pattern += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return pattern + "%";
}

const char* sortColumn(SortKey key) {
    switch (key) {
    case SortKey::Device: return "dev";
    case SortKey::Best: return "best";
    case SortKey::Median: return "median";
    case SortKey::Runs: return "runs";
    case SortKey::Memory: return "memory";
    case SortKey::LastSeen: return "last_seen";
    }
    return "best";
}

}  // namespace

SqlStore::Lease::~Lease() {
    {
        std::lock_guard lock(store_.mutex_);
        store_.idle_.push_back(std::move(session_));
    }
    store_.returned_.notify_one();
}

SqlStore::Lease SqlStore::lease() {
    std::unique_lock lock(mutex_);
    returned_.wait(lock, [&] { return !idle_.empty(); });
    std::unique_ptr<SqlSession> session = std::move(idle_.back());
    idle_.pop_back();
    return Lease(*this, std::move(session));
}

void SqlStore::addSession(std::unique_ptr<SqlSession> session) {
    {
        std::lock_guard lock(mutex_);
        idle_.push_back(std::move(session));
    }
    returned_.notify_one();
}

void SqlStore::migrate(const std::vector<std::string>& steps) {
    auto s = lease();
    s->inTransaction([&] {
        s->lockSchema();
        s->script("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
        const int64_t current = toInt(s->query("SELECT COALESCE(MAX(version), 0) FROM schema_version", {}).at(0).at(0));
        if (current > static_cast<int64_t>(steps.size())) {
            throw StoreError("the database has schema version " + std::to_string(current) +
                             ", newer than this program knows (" + std::to_string(steps.size()) + ")");
        }
        for (auto version = static_cast<std::size_t>(current); version < steps.size(); ++version) {
            s->script(steps[version]);
            s->query("DELETE FROM schema_version", {});
            s->query("INSERT INTO schema_version (version) VALUES ($1)", {static_cast<int64_t>(version + 1)});
        }
    });
}

Ranks SqlStore::add(const Submission& r, int64_t received) {
    auto s = lease();
    Ranks ranks;
    s->inTransaction([&] {
        ranks.id = toInt(s->query(
            "INSERT INTO results (received, fps, min_fps, max_fps, dev, ver, memp, totmem, availmem) "
            "VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9) RETURNING id",
            {received, r.fps, optionalValue(r.minFps), optionalValue(r.maxFps), r.dev, r.ver, r.memp,
             toStored(r.totmem), toStored(r.availmem)}).at(0).at(0));
        const Row row = s->query(
            "SELECT (SELECT COUNT(*) FROM results WHERE fps > $1), (SELECT COUNT(*) FROM results), "
            "(SELECT COUNT(*) FROM results WHERE dev = $2 AND fps > $1), (SELECT COUNT(*) FROM results WHERE dev = $2)",
            {r.fps, r.dev}).at(0);
        ranks.overall = toInt(row[0]) + 1;
        ranks.total = toInt(row[1]);
        ranks.device = toInt(row[2]) + 1;
        ranks.deviceTotal = toInt(row[3]);
    });
    return ranks;
}

std::vector<DeviceSummary> SqlStore::devices(const BoardQuery& q) {
    std::string sql =
        "WITH ordered AS (SELECT dev, fps, totmem, received, "
        "ROW_NUMBER() OVER (PARTITION BY dev ORDER BY fps) AS rn, COUNT(*) OVER (PARTITION BY dev) AS n "
        "FROM results";
    std::vector<Value> params;
    if (q.exact) {
        sql += " WHERE dev = $3";
    } else if (!q.search.empty()) {
        sql += " WHERE LOWER(dev) LIKE $3 ESCAPE '\\'";
    }
    // The median: the middle run, or the mean of the two middle runs.
    sql += "), grouped AS (SELECT dev, MAX(fps) AS best, "
           "AVG(CASE WHEN rn = (n + 1) / 2 OR rn = (n + 2) / 2 THEN fps END) AS median, "
           "COUNT(*) AS runs, MAX(totmem) AS memory, MAX(received) AS last_seen FROM ordered GROUP BY dev) "
           "SELECT dev, best, CAST(median AS DOUBLE PRECISION), runs, memory, last_seen FROM grouped ORDER BY ";
    sql += sortColumn(q.sort);
    sql += q.descending ? " DESC" : " ASC";
    sql += ", dev ASC LIMIT $1 OFFSET $2";
    params = {q.limit, q.offset};
    if (q.exact) {
        params.emplace_back(q.search);
    } else if (!q.search.empty()) {
        params.emplace_back(containsPattern(q.search));
    }
    auto s = lease();
    std::vector<DeviceSummary> out;
    for (const Row& row : s->query(sql, params)) {
        DeviceSummary d;
        d.dev = row[0].value_or("");
        d.best = toInt(row[1]);
        d.median = row[2] ? std::strtod(row[2]->c_str(), nullptr) : 0.0;
        d.runs = toInt(row[3]);
        d.memory = fromStored(row[4]);
        d.lastSeen = toInt(row[5]);
        out.push_back(std::move(d));
    }
    return out;
}

int64_t SqlStore::deviceCount(const std::string& search) {
    auto s = lease();
    if (search.empty()) return toInt(s->query("SELECT COUNT(DISTINCT dev) FROM results", {}).at(0).at(0));
    return toInt(s->query("SELECT COUNT(DISTINCT dev) FROM results WHERE LOWER(dev) LIKE $1 ESCAPE '\\'",
                       {containsPattern(search)}).at(0).at(0));
}

std::vector<StoredResult> SqlStore::results(const std::optional<std::string>& dev, int64_t limit, int64_t offset) {
    std::string sql = std::string("SELECT ") + kResultColumns + " FROM results";
    std::vector<Value> params = {limit, offset};
    if (dev) {
        sql += " WHERE dev = $3";
        params.emplace_back(*dev);
    }
    sql += " ORDER BY id DESC LIMIT $1 OFFSET $2";
    auto s = lease();
    std::vector<StoredResult> out;
    for (const Row& row : s->query(sql, params)) out.push_back(toResult(row));
    return out;
}

int64_t SqlStore::resultCount(const std::optional<std::string>& dev) {
    auto s = lease();
    if (!dev) return toInt(s->query("SELECT COUNT(*) FROM results", {}).at(0).at(0));
    return toInt(s->query("SELECT COUNT(*) FROM results WHERE dev = $1", {*dev}).at(0).at(0));
}

void SqlStore::forEach(const std::function<void(const StoredResult&)>& visit) {
    // Page by id so that a large export holds neither the lock nor the memory for long.
    int64_t after = 0;
    for (;;) {
        std::vector<Row> rows;
        {
            auto s = lease();
            rows = s->query(std::string("SELECT ") + kResultColumns + " FROM results WHERE id > $1 ORDER BY id LIMIT 1000",
                         {after});
        }
        if (rows.empty()) return;
        for (const Row& row : rows) {
            const StoredResult r = toResult(row);
            after = r.id;
            visit(r);
        }
    }
}

void SqlStore::ping() {
    auto s = lease();
    s->query("SELECT 1", {});
}

std::unique_ptr<Store> openStore(const std::string& url) {
    if (url.rfind("sqlite:", 0) == 0) {
        const std::string path = url.substr(7);
        if (path.empty()) throw StoreError("the database URL 'sqlite:' names no file (sqlite:PATH)");
        return openSqliteStore(path);
    }
    if (url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0) return openPostgresStore(url);
    throw StoreError("unknown database URL '" + url + "' (sqlite:PATH or postgresql://...)");
}

}  // namespace vxresults
