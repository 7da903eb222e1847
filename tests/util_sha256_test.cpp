// SPDX-License-Identifier: MIT
// SHA-256 against the published test vectors, across the block and padding boundaries.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "util/sha256.h"

namespace {

using veloxia::util::Sha256;
using veloxia::util::sha256File;
using veloxia::util::sha256Hex;
using veloxia::util::toHex;

TEST(Sha256, PublishedVectors) {
    EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits in the first block.
    EXPECT_EQ(sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(sha256Hex(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, PiecesGiveTheSameDigestAsTheWhole) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += char('a' + i % 26);
    const std::string whole = sha256Hex(text);
    for (size_t cut : {1u, 55u, 63u, 64u, 65u, 128u, 299u}) {
        Sha256 hash;
        hash.update(std::string_view(text).substr(0, cut));
        hash.update(std::string_view(text).substr(cut));
        EXPECT_EQ(toHex(hash.finish()), whole) << "cut at " << cut;
    }
}

TEST(Sha256, FilesAndMissingFiles) {
    const auto file = std::filesystem::temp_directory_path() / "vx_sha256_test.bin";
    { std::ofstream(file, std::ios::binary) << "abc"; }
    EXPECT_EQ(sha256File(file), sha256Hex("abc"));
    std::filesystem::remove(file);
    EXPECT_FALSE(sha256File(file).has_value());
}

}  // namespace
