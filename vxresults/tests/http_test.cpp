// SPDX-License-Identifier: MIT
// The server's routes in-process, on a free loopback port, over the same databases as store_test.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <thread>

#include "server.h"
#include "test_db.h"

namespace vxresults {
namespace {

const std::string kSubmit = "/f/benchmark.php?";
const std::string kValid = "fps=2345&min=19&max=27&dev=Dell%20XPS&ver=1.0b&memp=42&totmem=16000000000&availmem=8000000000";

// Sends raw bytes and reads the answer until the server closes (or `wait` passes).
std::string rawExchange(int port, const std::string& request, std::chrono::milliseconds wait,
                        std::chrono::milliseconds pauseAfterSend = std::chrono::milliseconds(0)) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return "connect failed";
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;  // the server may close early on an oversized request
        sent += static_cast<std::size_t>(n);
    }
    std::this_thread::sleep_for(pauseAfterSend);
    std::string answer;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    char buffer[4096];
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return answer;
}

class HttpTest : public ::testing::Test {
protected:
    void start(const ServerOptions& options) {
        store = openStore(testing::freshDatabaseUrl());
        server = std::make_unique<ResultsServer>(*store, options);
        port = server->bind("127.0.0.1", 0);
        ASSERT_GT(port, 0);
        thread = std::thread([this] { server->run(); });
        client = std::make_unique<httplib::Client>("127.0.0.1", port);
        for (int i = 0; i < 100 && !client->Get("/healthz"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    void SetUp() override { start(ServerOptions{}); }
    void TearDown() override {
        server->stop();
        if (thread.joinable()) thread.join();
    }
    void restart(const ServerOptions& options) {
        TearDown();
        start(options);
    }
    int status(const std::string& path) {
        const auto res = client->Get(path.c_str());
        return res ? res->status : -1;
    }

    std::unique_ptr<Store> store;
    std::unique_ptr<ResultsServer> server;
    std::thread thread;
    std::unique_ptr<httplib::Client> client;
    int port = 0;
};

TEST_F(HttpTest, ASubmissionIsRankedAndFoundEverywhere) {
    auto res = client->Get((kSubmit + kValid).c_str());
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("X-Result-Rank"), "1/1");
    EXPECT_EQ(res->get_header_value("X-Device-Rank"), "1/1");
    EXPECT_NE(res->body.find("1 of 1 results"), std::string::npos);
    res = client->Get((kSubmit + "dev=Pi&fps=100&min=1&max=2&ver=1.0b&memp=1&totmem=2&availmem=1").c_str());
    ASSERT_TRUE(res);
    EXPECT_EQ(res->get_header_value("X-Result-Rank"), "2/2");

    res = client->Get("/api/results?dev=Dell%20XPS");
    ASSERT_TRUE(res);
    const auto json = nlohmann::json::parse(res->body);
    EXPECT_EQ(json["total"], 1);
    EXPECT_EQ(json["results"][0]["device"], "Dell XPS");
    EXPECT_EQ(json["results"][0]["average_fps"], 23.45);
    EXPECT_EQ(json["results"][0]["total_memory_bytes"], 16000000000u);
    EXPECT_EQ(json["results"][0].count("address"), 0u);
    res = client->Get("/api/devices?sort=device&order=asc");
    ASSERT_TRUE(res);
    EXPECT_EQ(nlohmann::json::parse(res->body)["devices"][0]["device"], "Dell XPS");

    res = client->Get("/");
    ASSERT_TRUE(res);
    EXPECT_NE(res->body.find("<a href=\"/device?dev=Dell%20XPS\">Dell XPS</a>"), std::string::npos);
    EXPECT_NE(res->body.find("<svg"), std::string::npos);
    res = client->Get("/?q=pi");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body.find(">Dell XPS<"), std::string::npos);
    res = client->Get("/device?dev=Dell%20XPS");
    ASSERT_TRUE(res);
    EXPECT_NE(res->body.find("23.45"), std::string::npos);
    EXPECT_EQ(status("/healthz"), 200);
}

TEST_F(HttpTest, InvalidSubmissionsAreRefusedAndStoreNothing) {
    const std::string bad[] = {
        "",
        "fps=1",
        kValid + "&fps=2",
        "fps=-5&min=19&max=27&dev=x&ver=1.0b&memp=42&totmem=1&availmem=1",
        "fps=5&min=19&max=27&dev=%00x&ver=1.0b&memp=42&totmem=1&availmem=1",
        "fps=5&min=19&max=27&dev=x&ver=1.0b&memp=420&totmem=1&availmem=1",
        "fps=5&min=19&max=27&dev=" + std::string(3000, 'x') + "&ver=1.0b&memp=42&totmem=1&availmem=1",
    };
    for (const std::string& query : bad) {
        const auto res = client->Get((kSubmit + query).c_str());
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 400) << query;
        EXPECT_FALSE(res->get_header_value("X-Result-Error").empty());
        EXPECT_NE(res->body.find("Nothing was stored"), std::string::npos);
    }
    // A 1 MB request line is refused by the HTTP layer before any handler runs.
    const std::string huge = rawExchange(port, "GET " + kSubmit + kValid + "&x=" + std::string(1 << 20, 'a') +
                                                   " HTTP/1.1\r\nHost: x\r\n\r\n", std::chrono::seconds(2));
    EXPECT_TRUE(huge.empty() || huge.rfind("HTTP/1.1 4", 0) == 0) << huge.substr(0, 100);
    EXPECT_EQ(store->resultCount(std::nullopt), 0);
    EXPECT_EQ(status("/healthz"), 200);
}

TEST_F(HttpTest, ASlowClientIsDroppedWhileOthersAreServed) {
    ServerOptions options;
    options.timeoutSeconds = 1;
    restart(options);
    std::string slow;
    std::thread slowClient([&] { slow = rawExchange(port, "GET /f/benchmark.php?fps=1", std::chrono::seconds(6)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(status("/healthz"), 200);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    slowClient.join();
    EXPECT_EQ(slow.find("HTTP/1.1 200"), std::string::npos);
    EXPECT_EQ(store->resultCount(std::nullopt), 0);
}

TEST_F(HttpTest, RateLimitAnswers429WithRetryAfter) {
    ServerOptions options;
    options.rateLimit = 3;
    restart(options);
    EXPECT_EQ(status(kSubmit + "fps=bad"), 400);  // refused attempts count too
    EXPECT_EQ(status(kSubmit + kValid), 200);
    EXPECT_EQ(status(kSubmit + kValid), 200);
    const auto res = client->Get((kSubmit + kValid).c_str());
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 429);
    EXPECT_EQ(res->get_header_value("Retry-After"), "20");
    EXPECT_EQ(status("/"), 200);  // pages are not limited
    EXPECT_EQ(store->resultCount(std::nullopt), 2);
}

TEST_F(HttpTest, PagesAndApiRefuseBadParameters) {
    EXPECT_EQ(status("/nowhere"), 404);
    EXPECT_EQ(status("/device"), 400);
    EXPECT_EQ(status("/device?dev=unknown"), 404);
    EXPECT_EQ(status("/api/results?limit=0"), 400);
    EXPECT_EQ(status("/api/results?limit=1001"), 400);
    EXPECT_EQ(status("/api/results?offset=-1"), 400);
    EXPECT_EQ(status("/api/devices?sort=fps;DROP"), 400);
    EXPECT_EQ(status("/?sort=nonsense&page=-4&order=sideways"), 200);  // a page still shows
    const auto res = client->Get("/?q=%3Cscript%3E");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body.find("<script>"), std::string::npos);
    EXPECT_NE(res->get_header_value("Content-Security-Policy").find("default-src 'none'"), std::string::npos);
}

}  // namespace
}  // namespace vxresults
