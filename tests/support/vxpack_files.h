// SPDX-License-Identifier: MIT
// Scratch folders and small model files for the asset tool's tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vxtest {

// A fresh folder under the system's temporary directory, removed with the object.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Writes text into a file of the folder and returns its path.
    std::filesystem::path write(const std::string& name, const std::string& text) const;

private:
    std::filesystem::path path_;
};

// An uncompressed TGA image (type 2), rows from the top. With alpha the pixels are
// (b, g, r, a) quadruples, else (b, g, r) triples.
void writeTga(const std::filesystem::path& path, int width, int height, const std::vector<uint8_t>& pixels,
              bool alpha);
// A TGA of one colour.
void writeSolidTga(const std::filesystem::path& path, int width, int height, uint8_t r, uint8_t g, uint8_t b);

std::vector<uint8_t> readBytes(const std::filesystem::path& path);

}  // namespace vxtest
