// SPDX-License-Identifier: MIT
// A private folder for the files of one test, and files written and read back whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vxtest {

// A fresh folder under the system's temporary directory, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Writes the text or bytes into a file of the folder and returns its path.
    std::filesystem::path write(const std::string& name, std::string_view text) const;
    std::filesystem::path write(const std::string& name, const std::vector<uint8_t>& bytes) const;

private:
    std::filesystem::path path_;
};

std::vector<uint8_t> readBytes(const std::filesystem::path& path);
// Writes the bytes as the whole file (throws when it cannot).
void writeBytes(const std::filesystem::path& path, std::string_view bytes);
void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace vxtest
