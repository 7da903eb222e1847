// SPDX-License-Identifier: MIT
// Output files are written whole or not at all: the shared write-then-rename helper.
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <vector>

#include <gtest/gtest.h>

#include "util/atomic_file.h"
#include "support/app_data_files.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using veloxia::writeFileAtomically;

std::vector<std::string> names(const fs::path& dir) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir)) found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

TEST(AtomicFile, WritesNewFilesAndReplacesOldOnesWhole) {
    const fs::path dir = vxtest::freshDirectory("atomic_replace");
    ASSERT_TRUE(writeFileAtomically(dir / "out", bytesOf("first version, rather long")).ok());
    EXPECT_EQ(vxtest::readBytes(dir / "out"), bytesOf("first version, rather long"));
    // A shorter file in the same place keeps none of the old tail.
    ASSERT_TRUE(writeFileAtomically(dir / "out", bytesOf("second")).ok());
    EXPECT_EQ(vxtest::readBytes(dir / "out"), bytesOf("second"));
    ASSERT_TRUE(writeFileAtomically(dir / "empty", {}).ok());
    EXPECT_EQ(fs::file_size(dir / "empty"), 0u);
    EXPECT_EQ(names(dir), (std::vector<std::string>{"empty", "out"}));
    // An ordinary new file's permissions: what the umask leaves of 0666.
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(static_cast<mode_t>(fs::status(dir / "out").permissions()), 0666 & ~mask);
}

TEST(AtomicFile, AFailedWriteKeepsTheOldFileAndLeavesNothingBehind) {
    const fs::path dir = vxtest::freshDirectory("atomic_full");
    vxtest::writeBytes(dir / "out", "old");
    // A file-size limit stands in for a full disk: the write stops part-way with EFBIG.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const veloxia::Result written = writeFileAtomically(dir / "out", std::vector<uint8_t>(100000, 0x5A));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_EQ(written.reason(), "cannot write " + (dir / "out").string() + ": File too large");
    EXPECT_EQ(vxtest::readBytes(dir / "out"), bytesOf("old"));
    EXPECT_EQ(names(dir), std::vector<std::string>{"out"});
}

TEST(AtomicFile, PathsThatCannotBeWrittenAreRefusedWithTheReason) {
    const fs::path dir = vxtest::freshDirectory("atomic_paths");
    EXPECT_EQ(writeFileAtomically(dir / "missing" / "out", bytesOf("x")).reason(),
              "cannot write " + (dir / "missing" / "out").string() + ": No such file or directory");

    fs::create_directory(dir / "taken");
    vxtest::writeBytes(dir / "taken" / "inside", "kept");
    EXPECT_NE(writeFileAtomically(dir / "taken", bytesOf("x")).reason().find("Is a directory"), std::string::npos);
    EXPECT_EQ(vxtest::readBytes(dir / "taken" / "inside"), bytesOf("kept"));
    EXPECT_FALSE(writeFileAtomically(dir / "taken/", bytesOf("x")));
    EXPECT_EQ(names(dir), std::vector<std::string>{"taken"});
}

TEST(AtomicFile, AReadOnlyDirectoryIsRefused) {
    const fs::path dir = vxtest::freshDirectory("atomic_readonly");
    vxtest::writeBytes(dir / "out", "old");
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    const bool canStillWrite = std::ofstream(dir / "probe").good();
    const veloxia::Result written = canStillWrite ? veloxia::Result::success() : writeFileAtomically(dir / "out", bytesOf("new"));
    fs::permissions(dir, fs::perms::owner_all);
    fs::remove(dir / "probe");
    if (canStillWrite) GTEST_SKIP() << "a read-only directory can still be written here (running as root)";
    EXPECT_EQ(written.reason(), "cannot write " + (dir / "out").string() + ": Permission denied");
    EXPECT_EQ(vxtest::readBytes(dir / "out"), bytesOf("old"));
    EXPECT_EQ(names(dir), std::vector<std::string>{"out"});
}

}  // namespace
