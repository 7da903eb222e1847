// SPDX-License-Identifier: MIT
// The HTTP side: routes, limits and timeouts on top of a Store.
//
// Routes: GET /f/benchmark.php (a submission), / (leaderboard), /device?dev= (one device),
// /api/results, /api/devices (JSON), /healthz. Limits: request lines and headers are bounded
// (8 KiB each, by the HTTP library), submissions are rate limited per client address (429 with
// Retry-After), a client that sends nothing for `timeoutSeconds` is dropped.
#pragma once

#include <httplib.h>

#include <memory>
#include <string>

#include "rate_limit.h"
#include "store.h"

namespace vxresults {

struct ServerOptions {
    int64_t rateLimit = 120;     // submissions per minute per client address; 0: no limit
    int timeoutSeconds = 5;      // read and write timeouts, and the keep-alive timeout
    std::size_t threads = 32;    // connections served at once
};

class ResultsServer {
public:
    ResultsServer(Store& store, const ServerOptions& options);

    // Binds to host:port (port 0 picks a free one); the bound port, or -1 when the address is
    // taken or cannot be used.
    int bind(const std::string& host, int port);
    // Serves until stop() is called (from any thread). False when it could not serve.
    bool run();
    void stop();

    httplib::Server& http() { return http_; }

private:
    void routes();

    Store& store_;
    ServerOptions options_;
    RateLimiter limiter_;
    httplib::Server http_;
};

// Splits "ADDR:PORT" ("[v6]:PORT" for IPv6); false when it is not of that form.
bool parseListen(const std::string& text, std::string& host, int& port);

}  // namespace vxresults
