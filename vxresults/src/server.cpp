// SPDX-License-Identifier: MIT
#include "server.h"

#include <charconv>
#include <ctime>
#include <iostream>

#include "export.h"
#include "pages.h"

namespace vxresults {

namespace {

constexpr int64_t kBoardPageSize = 25;
constexpr int64_t kDevicePageSize = 50;
constexpr int64_t kApiMaxLimit = 1000;
constexpr std::size_t kMaxSearchBytes = 256;

void sendHtml(httplib::Response& res, int status, const std::string& body) {
    res.status = status;
    res.set_content(body, "text/html; charset=utf-8");
}

void sendJson(httplib::Response& res, int status, const nlohmann::json& body) {
    res.status = status;
    res.set_content(dumpJson(body) + "\n", "application/json; charset=utf-8");
}

// A whole number in [low, high] from a query parameter, or `fallback` when absent; nullopt when
// present but not such a number.
std::optional<int64_t> intParam(const httplib::Request& req, const char* name, int64_t fallback, int64_t low,
                                int64_t high) {
    if (!req.has_param(name)) return fallback;
    const std::string text = req.get_param_value(name);
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::string rawQuery(const httplib::Request& req) {
    const std::size_t mark = req.target.find('?');
    return mark == std::string::npos ? std::string() : req.target.substr(mark + 1);
}

// The leaderboard's search, sort and order from the query; bad values fall back to the defaults,
// as a browser's hand-edited link should still show a page.
BoardQuery boardQuery(const httplib::Request& req, int64_t pageSize) {
    BoardQuery q;
    q.search = req.get_param_value("q").substr(0, kMaxSearchBytes);
    if (const auto sort = sortFromName(req.get_param_value("sort"))) q.sort = *sort;
    const std::string order = req.get_param_value("order");
    q.descending = order.empty() ? q.sort != SortKey::Device : order != "asc";
    q.limit = pageSize;
    return q;
}

void storeFailed(httplib::Response& res, const StoreError& e, const char* what) {
    std::cerr << "vxresults: " << what << ": " << e.what() << std::endl;
    res.set_header("Retry-After", "30");
    sendHtml(res, 503, messagePage("Database unavailable", "The results database does not answer; try again later."));
}

}  // namespace

ResultsServer::ResultsServer(Store& store, const ServerOptions& options)
    : store_(store), options_(options), limiter_(options.rateLimit) {
    http_.new_task_queue = [threads = options.threads] { return new httplib::ThreadPool(threads); };
    http_.set_read_timeout(options.timeoutSeconds, 0);
    http_.set_write_timeout(options.timeoutSeconds, 0);
    http_.set_keep_alive_timeout(options.timeoutSeconds);
    http_.set_keep_alive_max_count(100);
    http_.set_payload_max_length(64 * 1024);
    // SO_REUSEADDR alone: a restarted server binds at once, but a second server on a taken port
    // fails (the library's default also sets SO_REUSEPORT, which would share the port).
    http_.set_socket_options([](socket_t sock) {
        const int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // Pages carry no script; the policy also keeps any that slipped into a result from running.
    http_.set_default_headers({
        {"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'; img-src 'self'; form-action 'self'"},
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "no-referrer"},
    });
    routes();
}

int ResultsServer::bind(const std::string& host, int port) {
    if (port == 0) return http_.bind_to_any_port(host);
    return http_.bind_to_port(host, port) ? port : -1;
}

bool ResultsServer::run() { return http_.listen_after_bind(); }

void ResultsServer::stop() { http_.stop(); }

void ResultsServer::routes() {
    http_.Get("/f/benchmark.php", [this](const httplib::Request& req, httplib::Response& res) {
        res.set_header("Cache-Control", "no-store");
        if (const int64_t wait = limiter_.admit(req.remote_addr, RateLimiter::Clock::now()); wait > 0) {
            res.set_header("Retry-After", std::to_string(wait));
            sendHtml(res, 429, messagePage("Too many results", "This address has sent too many results in the last minute; nothing was stored. Try again in " + std::to_string(wait) + " seconds."));
            return;
        }
        const Parsed parsed = parseSubmission(rawQuery(req));
        if (!parsed.submission) {
            const FieldError& first = parsed.errors.front();
            res.set_header("X-Result-Error", first.field + " " + first.reason);
            sendHtml(res, 400, rejectedPage(parsed.errors));
            return;
        }
        try {
            const Ranks ranks = store_.add(*parsed.submission, static_cast<int64_t>(std::time(nullptr)));
            // The verdict for programs, beside the page for people.
            res.set_header("X-Result-Id", std::to_string(ranks.id));
            res.set_header("X-Result-Rank", std::to_string(ranks.overall) + "/" + std::to_string(ranks.total));
            res.set_header("X-Device-Rank", std::to_string(ranks.device) + "/" + std::to_string(ranks.deviceTotal));
            sendHtml(res, 200, acceptedPage(*parsed.submission, ranks));
        } catch (const StoreError& e) {
            storeFailed(res, e, "storing a result failed");
        }
    });

    http_.Get("/", [this](const httplib::Request& req, httplib::Response& res) {
        BoardPage page;
        page.query = boardQuery(req, kBoardPageSize);
        const int64_t number = intParam(req, "page", 1, 1, 1000000000).value_or(1);
        page.query.offset = (number - 1) * kBoardPageSize;
        try {
            page.rows = store_.devices(page.query);
            page.deviceCount = store_.deviceCount(page.query.search);
            page.resultCount = store_.resultCount(std::nullopt);
            page.top = store_.devices({page.query.search, false, SortKey::Best, true, 10, 0});
        } catch (const StoreError& e) {
            return storeFailed(res, e, "reading the leaderboard failed");
        }
        sendHtml(res, 200, leaderboardPage(page));
    });

    http_.Get("/device", [this](const httplib::Request& req, httplib::Response& res) {
        if (!req.has_param("dev") || req.get_param_value("dev").empty()) {
            return sendHtml(res, 400, messagePage("No device", "Name a device: /device?dev=..."));
        }
        DevicePage page;
        page.dev = req.get_param_value("dev");
        page.page = intParam(req, "page", 1, 1, 1000000000).value_or(1);
        page.pageSize = kDevicePageSize;
        try {
            page.runCount = store_.resultCount(page.dev);
            if (page.runCount == 0) {
                return sendHtml(res, 404, messagePage("Unknown device", "No result has this device string."));
            }
            page.runs = store_.results(page.dev, kDevicePageSize, (page.page - 1) * kDevicePageSize);
            const auto summary = store_.devices({page.dev, true, SortKey::Best, true, 1, 0});
            if (!summary.empty()) page.best = summary.front().best;
        } catch (const StoreError& e) {
            return storeFailed(res, e, "reading a device failed");
        }
        sendHtml(res, 200, devicePage(page));
    });

    http_.Get("/api/results", [this](const httplib::Request& req, httplib::Response& res) {
        const auto limit = intParam(req, "limit", 100, 1, kApiMaxLimit);
        const auto offset = intParam(req, "offset", 0, 0, INT64_MAX / 2);
        if (!limit || !offset) {
            return sendJson(res, 400, {{"error", "limit must be 1.." + std::to_string(kApiMaxLimit) + " and offset 0 or more"}});
        }
        std::optional<std::string> dev;
        if (!req.get_param_value("dev").empty()) dev = req.get_param_value("dev");
        try {
            nlohmann::json list = nlohmann::json::array();
            for (const StoredResult& r : store_.results(dev, *limit, *offset)) list.push_back(resultJson(r));
            sendJson(res, 200, {{"total", store_.resultCount(dev)}, {"limit", *limit}, {"offset", *offset}, {"results", list}});
        } catch (const StoreError& e) {
            storeFailed(res, e, "reading results failed");
        }
    });

    http_.Get("/api/devices", [this](const httplib::Request& req, httplib::Response& res) {
        BoardQuery q = boardQuery(req, 100);
        const auto limit = intParam(req, "limit", 100, 1, kApiMaxLimit);
        const auto offset = intParam(req, "offset", 0, 0, INT64_MAX / 2);
        if (!limit || !offset || (req.has_param("sort") && !sortFromName(req.get_param_value("sort")))) {
            return sendJson(res, 400, {{"error", "limit must be 1.." + std::to_string(kApiMaxLimit) +
                                                     ", offset 0 or more, sort one of device, best, median, runs, memory, last"}});
        }
        q.limit = *limit;
        q.offset = *offset;
        try {
            nlohmann::json list = nlohmann::json::array();
            for (const DeviceSummary& d : store_.devices(q)) list.push_back(deviceJson(d));
            sendJson(res, 200, {{"total", store_.deviceCount(q.search)}, {"limit", q.limit}, {"offset", q.offset}, {"devices", list}});
        } catch (const StoreError& e) {
            storeFailed(res, e, "reading devices failed");
        }
    });

    http_.Get("/healthz", [this](const httplib::Request&, httplib::Response& res) {
        try {
            store_.ping();
            res.set_content("ok\n", "text/plain");
        } catch (const StoreError& e) {
            res.status = 503;
            res.set_content("database unavailable\n", "text/plain");
        }
    });

    http_.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty()) return;
        if (res.status == 404) {
            sendHtml(res, 404, messagePage("Not found", "There is no such page."));
        } else {
            sendHtml(res, res.status, messagePage("Request refused", "The server could not handle this request (HTTP status " + std::to_string(res.status) + ")."));
        }
    });
}

bool parseListen(const std::string& text, std::string& host, int& port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    host = text.substr(0, colon);
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']') return false;
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string::npos) {
        return false;  // IPv6 needs its brackets
    }
    const std::string digits = text.substr(colon + 1);
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    return !digits.empty() && ec == std::errc() && end == digits.data() + digits.size() && port >= 0 && port <= 65535;
}

}  // namespace vxresults
