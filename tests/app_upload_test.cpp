// SPDX-License-Identifier: MIT
// The results URL and the two browser endings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "app/app.h"
#include "support/app_fake_host.h"

namespace {

using veloxia::benchmarkState;

class Upload : public ::testing::Test {
protected:
    void SetUp() override {
        veloxia::resetBenchmark();
        veloxia::setHost(&host);
        // A finished run of 2345 frames, lowest 19, highest 27, on a "Palmax".
        veloxia::framesAtEnd = 2345;
        veloxia::widenText(veloxia::minWide, "19");
        veloxia::widenText(veloxia::maxWide, "27");
        veloxia::widenText(veloxia::oemInfo, "Palmax");
        veloxia::widenText(veloxia::versionWide, veloxia::versionText);
        benchmarkState = veloxia::BenchmarkState{0, 0, 1, 0, 0, 0};
    }
    void TearDown() override { veloxia::setHost(nullptr); }

    vxtest::FakeHost host;
};

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(Upload, ResultsUrlCarriesScoresDeviceVersionAndMemory) {
    const std::string url = veloxia::resultsUrl(host.memory);
    EXPECT_TRUE(endsWith(url, "/f/benchmark.php?fps=2345&min=19&max=27&dev=Palmax&ver=1.0b"
                              "&memp=42&totmem=6000000000&availmem=2500000000"))
        << url;
    EXPECT_EQ(url.rfind("http", 0), 0u) << "starts with the server's scheme: " << url;
}

TEST_F(Upload, ARunMayNameAnotherResultsServer) {
    veloxia::setResultsServer("http://127.0.0.1:8080//");
    EXPECT_EQ(veloxia::resultsUrl(host.memory).rfind("http://127.0.0.1:8080/f/benchmark.php?fps=2345&", 0), 0u)
        << veloxia::resultsUrl(host.memory);
    veloxia::setResultsServer("");  // back to the build's
    EXPECT_EQ(veloxia::resultsUrl(host.memory).find("127.0.0.1:8080"), std::string::npos);
}

TEST_F(Upload, ShortenedRunSendsItsAverageTimesOneHundred) {
    veloxia::runSeconds = 4;
    veloxia::framesAtEnd = 100;  // 25 frames a second
    EXPECT_NE(veloxia::resultsUrl(host.memory).find("?fps=2500&"), std::string::npos);
}

TEST_F(Upload, DeviceStringIsPercentEncoded) {
    veloxia::widenText(veloxia::oemInfo, "Acme Phone/2 &x=1?");
    const std::string url = veloxia::resultsUrl(host.memory);
    EXPECT_NE(url.find("&dev=Acme%20Phone%2F2%20%26x%3D1%3F&ver="), std::string::npos) << url;
    EXPECT_EQ(veloxia::percentEncode(u"\u00FC-._~\U0001F600"), "%C3%BC-._~%F0%9F%98%80");
    EXPECT_EQ(veloxia::percentEncode(std::u16string(1, char16_t{0xD800})), "%EF%BF%BD");
}

TEST_F(Upload, LongDeviceStringIsKeptWhole) {
    // The device buffer holds 127 characters; the URL has room for all of them, encoded.
    std::string name(300, 'Q');
    veloxia::widenText(veloxia::oemInfo, name.c_str());
    const std::string url = veloxia::resultsUrl(host.memory);
    EXPECT_NE(url.find("&dev=" + std::string(127, 'Q') + "&ver=1.0b"), std::string::npos);
}

TEST_F(Upload, UploadStartsTheBrowserAndEnds) {
    benchmarkState = veloxia::BenchmarkState{0, 0, 0, 1, 0, 0};
    veloxia::launchUpload();
    ASSERT_EQ(host.urls.size(), 1u);
    EXPECT_EQ(host.urls[0], veloxia::resultsUrl(host.memory));
    EXPECT_EQ(veloxia::launchedUrl, host.urls[0]);
    EXPECT_EQ(benchmarkState.upload, 0u);
    EXPECT_EQ(benchmarkState.exit, 1u);
}

TEST_F(Upload, WebsiteOpensTheMakersPageAndLeavesItsFlag) {
    benchmarkState = veloxia::BenchmarkState{0, 0, 0, 0, 1, 0};
    veloxia::openWebsite();
    ASSERT_EQ(host.urls.size(), 1u);
    EXPECT_EQ(host.urls[0], veloxia::makerUrl());
    EXPECT_EQ(benchmarkState.website, 1u);
    EXPECT_EQ(benchmarkState.exit, 1u);
}

TEST(MakerAddressLine, IsThePointerAndTheHostInCapitals) {
    const std::string line = veloxia::makerAddressLine();
    ASSERT_GE(line.size(), 2u);
    EXPECT_EQ(line[0], '~');
    // The font has capitals, digits, '.', '-' and no '/' or ':'.
    EXPECT_TRUE(std::all_of(line.begin() + 1, line.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
    })) << line;
    std::string host = line.substr(1);
    std::transform(host.begin(), host.end(), host.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_NE(veloxia::makerUrl().find("://" + host), std::string::npos) << line;
}

}  // namespace
