// SPDX-License-Identifier: MIT
// Bounded reading of an untrusted data file, and the record of why a load failed.
//
// A FileReader knows the file's size up front, so every count can be checked against the
// bytes that are really there before anything is allocated. Multi-byte fields are decoded
// from little-endian bytes one by one, whatever the host's byte order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace veloxia::data {

// Little-endian field decoding from raw bytes.
inline uint16_t readLe16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline int32_t readLe32(const uint8_t* p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

// A sentence built printf-style, for load errors.
std::string describe(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Records a failure (the file, the byte offset, the reason) for lastLoadError(); returns 0,
// the loaders' failure value, so that `return loadFailure(...)` reads naturally.
int32_t loadFailure(const std::filesystem::path& file, int64_t offset, std::string reason);
// Marks the last load as successful: the reason becomes empty.
void loadSuccess(const std::filesystem::path& file);

class FileReader {
public:
    // Opens a regular file for binary reading and learns its size. On failure the reason is
    // already recorded.
    bool open(const std::filesystem::path& path);

    int64_t size() const { return size_; }
    int64_t offset() const { return offset_; }
    int64_t remaining() const { return size_ - offset_; }
    const std::filesystem::path& path() const { return path_; }

    bool seek(int64_t offset);
    // Reads exactly n bytes, or records why not and returns false.
    bool read(void* out, size_t n);
    bool readI32(int32_t& value);
    // Records a failure at the given offset and returns 0.
    int32_t fail(int64_t offset, std::string reason) const;

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    std::filesystem::path path_;
    int64_t size_ = 0;
    int64_t offset_ = 0;
};

}  // namespace veloxia::data
