// SPDX-License-Identifier: MIT
// What the fuzz harnesses share: a reader that turns the fuzzer's bytes into bounded values,
// scratch files for the loaders (which take paths), the engine's globals put back to one known
// state before every input, and small builders of textures and objects.
//
// Everything a harness allocates is bounded here (textures at most 64x64, objects at most 64
// vertices and 96 faces), so the fuzzer looks for faults, not for out-of-memory.
#pragma once

#include <veloxia/veloxia.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vxfuzz {

// Reads values from the front of the input; once the bytes run out every value reads as 0.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    uint8_t byte() { return empty() ? 0 : data_[at_++]; }
    uint16_t u16() {
        const uint8_t low = byte();
        return uint16_t(low | byte() << 8);
    }
    int16_t i16() { return int16_t(u16()); }
    uint32_t u32() {
        const uint32_t low = u16();
        return low | uint32_t(u16()) << 16;
    }
    int32_t i32() { return int32_t(u32()); }
    bool flag() { return (byte() & 1) != 0; }
    int32_t below(int32_t n) { return n <= 1 ? 0 : int32_t(u16() % uint32_t(n)); }  // 0..n-1
    int32_t range(int32_t lo, int32_t hi) { return lo + below(hi - lo + 1); }       // lo..hi
    // A 16-bit value that is often small: the interesting cases of screen and view coordinates.
    int16_t coordinate();

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// Aborts with the message when a property of the engine does not hold, so the fuzzer keeps
// the input as a finding.
void check(bool holds, const char* what);

// A file in this process's scratch folder (under /dev/shm when it exists), written with the
// given bytes. The folder is removed when the process ends normally.
std::filesystem::path scratchFile(const std::string& name, std::span<const uint8_t> bytes);
std::filesystem::path scratchFolder();

// initEngine once, then before each input: the render context and its slots, the projection
// and fade tables, the face queue, immediate mode, the matrix stack (identity), lights off,
// the random sequence and the FrameBuffer (cleared to `clear`) as after start-up.
void resetEngine(uint32_t clear = 0x20000000);

// A texture with its own texels: sides powers of two 1..64, draw mode 0..3, texels ColorIndex
// values at shade level 0. Keeps the masks matching the texels, as the fillers require.
struct OwnedTexture {
    veloxia::Texture texture{};
    std::vector<uint16_t> texels;
};
std::unique_ptr<OwnedTexture> makeTexture(ByteReader& in);

// A scene object of up to 64 vertices and 96 faces, every corner on one of its vertices and
// every face on one of `textures` (which must not be empty).
veloxia::SceneObject makeObject(ByteReader& in, const std::vector<std::unique_ptr<OwnedTexture>>& textures);

// On a set flag, one point light (position, type 1 or 2, intensity, radius) as the only light.
void maybeOneLight(ByteReader& in);

// A matrix of 2.14 entries and a translation, often near the identity pushed in front of the eye.
veloxia::Mat34 makeMatrix(ByteReader& in);

}  // namespace vxfuzz
