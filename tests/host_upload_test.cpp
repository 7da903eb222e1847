// SPDX-License-Identifier: MIT
// Headless --upload's own HTTP request and how the server's answer is told.
#include <gtest/gtest.h>

#include <httplib.h>

#include <thread>

#include "host/upload_client.h"

namespace {

using veloxia::sendResults;
using veloxia::verdictOf;

TEST(UploadVerdict, RankRefusalAndOtherAnswers) {
    auto v = verdictOf(200, "3/120", "1/4", "", "");
    EXPECT_TRUE(v.stored);
    EXPECT_EQ(v.message, "stored, rank 3 of 120 among all results, 1 of 4 among this device's");
    EXPECT_TRUE(verdictOf(200, "", "", "", "").stored);  // a server that is not vxresults
    v = verdictOf(400, "", "", "dev must not contain control characters", "");
    EXPECT_FALSE(v.stored);
    EXPECT_EQ(v.message, "the results server refused the results: dev must not contain control characters");
    v = verdictOf(429, "", "", "", "20");
    EXPECT_FALSE(v.stored);
    EXPECT_NE(v.message.find("try again in 20 s"), std::string::npos);
    EXPECT_FALSE(verdictOf(503, "", "", "", "").stored);
}

TEST(UploadVerdict, TheRequestReachesTheServerAsSent) {
    httplib::Server server;
    std::string target;
    server.Get("/f/benchmark.php", [&](const httplib::Request& req, httplib::Response& res) {
        target = req.target;
        if (req.get_param_value("dev") == "bad") {
            res.status = 400;
            res.set_header("X-Result-Error", "dev is wrong");
        } else {
            res.set_header("X-Result-Rank", "2/5");
        }
        res.set_content("ok", "text/plain");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port, 0);
    std::thread serving([&] { server.listen_after_bind(); });
    const std::string base = "http://127.0.0.1:" + std::to_string(port);
    const auto stored = sendResults(base + "/f/benchmark.php?fps=2345&dev=Caf%C3%A9%20x");
    EXPECT_TRUE(stored.stored) << stored.message;
    EXPECT_EQ(stored.message, "stored, rank 2 of 5 among all results");
    EXPECT_EQ(target, "/f/benchmark.php?fps=2345&dev=Caf%C3%A9%20x");  // not encoded again
    const auto refused = sendResults(base + "/f/benchmark.php?dev=bad");
    EXPECT_FALSE(refused.stored);
    EXPECT_NE(refused.message.find("dev is wrong"), std::string::npos);
    server.stop();
    serving.join();
    // Nobody listens on port 1.
    const auto unreachable = sendResults("http://127.0.0.1:1/f/benchmark.php?fps=1");
    EXPECT_FALSE(unreachable.stored);
    EXPECT_EQ(unreachable.message.rfind("cannot reach the results server http://127.0.0.1:1: ", 0), 0u)
        << unreachable.message;
}

}  // namespace
