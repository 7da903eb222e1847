// SPDX-License-Identifier: MIT
// The storage interface, run against SQLite, and against PostgreSQL when VXRESULTS_TEST_DB is set.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <array>
#include <sstream>

#include "export.h"
#include "test_db.h"

namespace vxresults {
namespace {

Submission run(const std::string& dev, int64_t fps, uint64_t totmem = 4000000000u) {
    Submission s;
    s.dev = dev;
    s.fps = fps;
    s.minFps = fps / 100;
    s.ver = "1.0b";
    s.memp = 40;
    s.totmem = totmem;
    s.availmem = totmem / 2;
    return s;
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        url = testing::freshDatabaseUrl();
        store = openStore(url);
    }
    std::string url;
    std::unique_ptr<Store> store;
};

TEST_F(StoreTest, RanksAmongAllAndAmongTheSameDevice) {
    EXPECT_EQ(store->add(run("A", 3000), 100).overall, 1);
    // Overall, of how many, among the device's runs, of how many.
    const auto ranks = [](const Ranks& r) { return std::array{r.overall, r.total, r.device, r.deviceTotal}; };
    EXPECT_EQ(ranks(store->add(run("B", 2000), 101)), (std::array<int64_t, 4>{2, 2, 1, 1}));
    const Ranks third = store->add(run("A", 2500), 102);
    EXPECT_EQ(ranks(third), (std::array<int64_t, 4>{2, 3, 2, 2}));
    // A tie shares the better rank.
    const Ranks tie = store->add(run("C", 3000), 103);
    EXPECT_EQ(tie.overall, 1);
    EXPECT_GT(tie.id, third.id);
}

TEST_F(StoreTest, EveryFieldComesBackAsStored) {
    Submission s = run("\xE6\x97\xA5\xE6\x9C\xAC '; DROP TABLE results; -- <b>", 2147483647, UINT64_MAX);
    s.minFps.reset();
    s.maxFps = 9999999;
    s.availmem = 0;
    s.memp = 100;
    store->add(s, 1796516459);
    const auto rows = store->results(std::nullopt, 10, 0);
    ASSERT_EQ(rows.size(), 1u);
    const StoredResult& r = rows[0];
    EXPECT_EQ(r.received, 1796516459);
    EXPECT_EQ(r.result.dev, s.dev);
    EXPECT_EQ(r.result.fps, 2147483647);
    EXPECT_FALSE(r.result.minFps);
    EXPECT_EQ(r.result.maxFps, 9999999);
    EXPECT_EQ(r.result.totmem, UINT64_MAX);
    EXPECT_EQ(r.result.availmem, 0u);
    EXPECT_EQ(r.result.memp, 100);
    EXPECT_EQ(r.result.ver, "1.0b");
}

TEST_F(StoreTest, LeaderboardRowsPerDevice) {
    for (const int64_t fps : {1000, 4000, 2000, 3000}) store->add(run("Even", fps, 8), 200 + fps);
    for (const int64_t fps : {500, 900, 700}) store->add(run("Odd", fps, 16), 100);
    store->add(run("Solo", 5000, 4), 50);
    auto rows = store->devices({});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].dev, "Solo");
    EXPECT_EQ(rows[1].dev, "Even");
    EXPECT_EQ(rows[1].best, 4000);
    EXPECT_DOUBLE_EQ(rows[1].median, 2500);  // the mean of the two middle runs
    EXPECT_EQ(rows[1].runs, 4);
    EXPECT_EQ(rows[1].memory, 8u);
    EXPECT_EQ(rows[1].lastSeen, 4200);
    EXPECT_DOUBLE_EQ(rows[2].median, 700);  // the middle run
    const auto order = [&](SortKey key, bool descending) {
        std::string devs;
        for (const auto& d : store->devices({"", false, key, descending, 25, 0})) devs += d.dev + " ";
        return devs;
    };
    EXPECT_EQ(order(SortKey::Median, true), "Solo Even Odd ");
    EXPECT_EQ(order(SortKey::Runs, true), "Even Odd Solo ");
    EXPECT_EQ(order(SortKey::Memory, false), "Solo Even Odd ");
    EXPECT_EQ(order(SortKey::LastSeen, true), "Even Odd Solo ");
    EXPECT_EQ(order(SortKey::Device, false), "Even Odd Solo ");
    EXPECT_EQ(order(SortKey::Best, false), "Odd Even Solo ");
    // Paging.
    rows = store->devices({"", false, SortKey::Best, true, 2, 1});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].dev, "Even");
    EXPECT_EQ(store->deviceCount(""), 3);
}

TEST_F(StoreTest, SearchIsASubstringWithoutWildcards) {
    store->add(run("Raspberry Pi 4", 100), 1);
    store->add(run("Raspberry Pi 400", 100), 1);
    store->add(run("100% fast_box", 100), 1);
    store->add(run("100x fastXbox", 100), 1);
    EXPECT_EQ(store->deviceCount("pi 4"), 2);
    EXPECT_EQ(store->deviceCount("RASPBERRY"), 2);
    EXPECT_EQ(store->deviceCount("100%"), 1);  // % and _ are plain characters
    EXPECT_EQ(store->deviceCount("t_b"), 1);
    EXPECT_EQ(store->deviceCount("'; --"), 0);
    const auto exact = store->devices({"Raspberry Pi 4", true, SortKey::Best, true, 10, 0});
    ASSERT_EQ(exact.size(), 1u);
    EXPECT_EQ(exact[0].dev, "Raspberry Pi 4");
}

TEST_F(StoreTest, ResultsNewestFirstPagedAndPerDevice) {
    for (int i = 1; i <= 5; ++i) store->add(run(i % 2 ? "odd" : "even", i * 100), i);
    auto rows = store->results(std::nullopt, 2, 1);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].result.fps, 400);
    EXPECT_EQ(rows[1].result.fps, 300);
    rows = store->results(std::string("odd"), 10, 0);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].result.fps, 500);
    EXPECT_EQ(store->resultCount(std::string("even")), 2);
    EXPECT_EQ(store->resultCount(std::string("nobody")), 0);
    EXPECT_EQ(store->resultCount(std::nullopt), 5);
}

TEST_F(StoreTest, ReopeningKeepsResultsAndTheSchemaVersion) {
    store->add(run("kept", 1234), 5);
    store.reset();
    store = openStore(url);  // the migrations see version 1 and do nothing
    EXPECT_EQ(store->resultCount(std::nullopt), 1);
    EXPECT_EQ(store->results(std::nullopt, 1, 0).at(0).result.dev, "kept");
}

TEST_F(StoreTest, ExportWritesEveryResultOldestFirst) {
    for (int i = 0; i < 1001; ++i) store->add(run(i == 1 ? "quote \"and, comma\"" : "d", i), i);  // a page and one
    std::ostringstream csv;
    exportResults(*store, ExportFormat::Csv, csv);
    const std::string text = csv.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1002);
    EXPECT_NE(text.find(",\"quote \"\"and, comma\"\"\",1.0b,"), std::string::npos);
    std::ostringstream json;
    exportResults(*store, ExportFormat::Json, json);
    const auto parsed = nlohmann::json::parse(json.str());
    ASSERT_EQ(parsed.size(), 1001u);
    EXPECT_EQ(parsed[0]["fps_x100"], 0);
    EXPECT_EQ(parsed[1000]["fps_x100"], 1000);
    EXPECT_EQ(parsed[1]["device"], "quote \"and, comma\"");
}

TEST(StoreOpen, BadUrlsAreRefusedWithAReason) {
    EXPECT_THROW(openStore("mysql://x"), StoreError);
    EXPECT_THROW(openStore("sqlite:"), StoreError);
    EXPECT_THROW(openStore("sqlite:/nonexistent-dir/x.db"), StoreError);
    EXPECT_THROW(openStore("postgresql://nobody@127.0.0.1:1/none?connect_timeout=2"), StoreError);
}

TEST(StoreOpen, ANewerSchemaIsRefused) {
    const std::string url = testing::freshDatabaseUrl();
    openStore(url)->ping();
    if (testing::usingPostgres()) {
        pqxx::connection c(std::getenv("VXRESULTS_TEST_DB"));
        pqxx::nontransaction(c).exec("UPDATE schema_version SET version = 99");
    } else {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(url.substr(7).c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, "UPDATE schema_version SET version = 99", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    EXPECT_THROW(openStore(url), StoreError);
}

}  // namespace
}  // namespace vxresults
