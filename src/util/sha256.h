// SPDX-License-Identifier: MIT
// SHA-256 (FIPS 180-4), for naming data files by their content: the benchmark's results and
// vxpack's info say which scene and texture file a run used.
//
// Byte order is explicit in every load and store, so digests are the same on every machine.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace veloxia::util {

class Sha256 {
public:
    Sha256();
    void update(const void* data, std::size_t size);
    void update(std::string_view text) { update(text.data(), text.size()); }
    // The digest of everything given so far; the object is spent afterwards (make a new one).
    std::array<uint8_t, 32> finish();

private:
    void compress(const uint8_t block[64]);

    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> block_{};
    std::size_t blockFill_ = 0;
    uint64_t totalBytes_ = 0;
};

// 64 lower-case hexadecimal digits.
std::string toHex(const std::array<uint8_t, 32>& digest);
std::string sha256Hex(std::string_view bytes);
// The digest of a whole file, or nothing when it cannot be read.
std::optional<std::string> sha256File(const std::filesystem::path& file);

}  // namespace veloxia::util
