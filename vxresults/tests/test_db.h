// SPDX-License-Identifier: MIT
// A fresh, empty database for each test: a new SQLite file, or, when VXRESULTS_TEST_DB names a
// PostgreSQL database (the PostgreSQL run of scripts/test.sh), that database with its tables dropped.
#pragma once

#include <pqxx/pqxx>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "store.h"

namespace vxresults::testing {

inline std::string freshDatabaseUrl() {
    if (const char* url = std::getenv("VXRESULTS_TEST_DB"); url && *url) {
        pqxx::connection connection(url);
        pqxx::nontransaction drop(connection);
        drop.exec("DROP TABLE IF EXISTS results, schema_version");
        return url;
    }
    static std::atomic<int> counter{0};
    const auto path = std::filesystem::temp_directory_path() /
                      ("vxresults_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++) + ".db");
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path.string() + suffix);
    return "sqlite:" + path.string();
}

inline bool usingPostgres() {
    const char* url = std::getenv("VXRESULTS_TEST_DB");
    return url && *url;
}

}  // namespace vxresults::testing
