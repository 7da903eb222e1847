// SPDX-License-Identifier: MIT
#include "images.h"

#include <array>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <veloxia/display.h>

#include "files.h"
#include "model.h"

namespace {

// stb_image's allocations: zeroed, so that a JPEG scan using a Huffman table the file never
// defined reads zeros rather than leftover heap bytes, and at most kMaxDecodeBytes each, so that
// a PNG chunk claiming 2 GB fails at once (the largest image accepted needs 8192 * 8192 * 4).
constexpr size_t kMaxDecodeBytes = size_t{320} << 20;
void* decodeAlloc(size_t size) { return size <= kMaxDecodeBytes ? std::calloc(1, size) : nullptr; }
void* decodeRealloc(void* p, size_t size) { return size <= kMaxDecodeBytes ? std::realloc(p, size) : nullptr; }

}  // namespace

#define STBI_MALLOC(size) decodeAlloc(size)
#define STBI_REALLOC(p, size) decodeRealloc(p, size)
#define STBI_FREE(p) std::free(p)
#define STB_IMAGE_IMPLEMENTATION
#define STBI_FAILURE_USERMSG
#define STBI_NO_HDR
#define STBI_NO_LINEAR
// Only the formats we name; larger sides than any texture source needs are refused before
// the pixels are allocated.
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_TGA
#define STBI_ONLY_BMP
#define STBI_MAX_DIMENSIONS 8192
#include <stb_image.h>

namespace vxpack {
namespace {

// The darkest visible colour: colour number 1 (blue 1), shade level 0.
constexpr uint16_t kDarkestKeyedColor = 0x20;

// One axis of the area filter. Target texel i covers source span [i*S, (i+1)*S) and source
// texel j covers [j*T, (j+1)*T), both in units of 1/(S*T) of the side; the weights of one
// target texel add up to S.
struct Tap {
    int32_t source;
    int64_t weight;
};

std::vector<std::vector<Tap>> axisTaps(int32_t source, int32_t target) {
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(target));
    for (int32_t i = 0; i < target; ++i) {
        const int64_t begin = static_cast<int64_t>(i) * source;
        const int64_t end = begin + source;
        for (int64_t j = begin / target; j < source && j * target < end; ++j) {
            const int64_t overlap = std::min(end, (j + 1) * target) - std::max(begin, j * target);
            if (overlap > 0) taps[static_cast<size_t>(i)].push_back({static_cast<int32_t>(j), overlap});
        }
    }
    return taps;
}

// How stb_image recognises a JPEG: fill bytes FF, then the start-of-image marker D8.
bool looksLikeJpeg(const Bytes& b) {
    size_t at = 0;
    while (at < b.size() && b[at] == 0xFF) ++at;
    return at > 0 && at < b.size() && b[at] == 0xD8;
}

// stb_image reads the pixels of a TGA past the end of the file as zeros, so a cut file would come
// out partly black (a 54-byte file as 4112x4112 pixels, a 31-byte RLE file as 6168x6168); we
// refuse it, as the engine's own TGA loader does. Uncompressed (types 1..3) the pixels need
// their full size; run-length coded (types 9..11) at least one packet byte and one pixel for
// every 128 pixels. The other formats are known by their first bytes.
bool isCutTga(const Bytes& b) {
    const bool other = looksLikeJpeg(b) || (b.size() >= 2 && ((b[0] == 0x89 && b[1] == 'P') || (b[0] == 'B' && b[1] == 'M')));
    const int type = b.size() >= 18 ? b[2] : 0;
    if (other || (type & 7) < 1 || (type & 7) > 3 || (type & ~11) != 0) return false;
    const int64_t colourMap = b[1] == 1 ? int64_t(b[5] | b[6] << 8) * ((b[7] + 7) / 8) : 0;
    const int64_t pixels = int64_t(b[12] | b[13] << 8) * (b[14] | b[15] << 8);
    const int64_t pixelBytes = (b[16] + 7) / 8;
    const int64_t needed = type < 8 ? pixels * pixelBytes : (pixels + 127) / 128 * (1 + pixelBytes);
    return static_cast<int64_t>(b.size()) < 18 + b[0] + colourMap + needed;
}

// Removes the PNG data chunks (IDAT) of length 0, which carry nothing: stb_image 2.27 copies an
// empty first one into a buffer it has not allocated yet (memcpy from a null pointer).
void dropEmptyPngData(Bytes& b) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (b.size() < 8 || !std::equal(signature, signature + 8, b.begin())) return;
    for (size_t at = 8; at + 8 <= b.size();) {
        const uint64_t length = uint64_t{b[at]} << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
        if (length == 0 && std::equal(b.begin() + at + 4, b.begin() + at + 8, "IDAT")) {
            b.erase(b.begin() + at, b.begin() + std::min(at + 12, b.size()));  // length, type, checksum
            continue;
        }
        if (length + 12 > b.size() - at) return;  // the rest is cut short; stb_image says so
        at += 12 + length;
    }
}

// True when a JPEG Huffman table claims more than 256 codes. stb_image 2.27 writes such a
// table's code lengths past the end of its 257-entry list, so these corrupt files are refused
// before decoding. Every table stb_image reads follows the marker bytes FF C4, so looking after
// each such pair finds them all.
bool hasOversizedHuffmanTable(const Bytes& b) {
    for (size_t at = 0; at + 3 < b.size(); ++at) {
        if (b[at] != 0xFF || b[at + 1] != 0xC4) continue;
        int64_t left = ((b[at + 2] << 8) | b[at + 3]) - 2;  // segment length after the length field
        for (size_t table = at + 4; left > 0 && table < b.size();) {
            int64_t codes = 0;  // stb_image reads bytes past the end of the file as 0
            for (size_t i = table + 1; i <= table + 16 && i < b.size(); ++i) codes += b[i];
            if (codes > 256) return true;
            table += static_cast<size_t>(17 + codes);
            left -= 17 + codes;
        }
    }
    return false;
}

}  // namespace

RgbaImage loadImage(const std::filesystem::path& path) {
    try {
        checkInputFile(path, kMaxSourceBytes);  // also keeps the size within stb_image's int
    } catch (const PackError& e) {
        throw PackError(std::string("cannot read image: ") + e.what());
    }
    std::ifstream in(path, std::ios::binary);
    Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) throw PackError("cannot read image " + path.string() + ": cannot open the file");
    dropEmptyPngData(bytes);
    if (looksLikeJpeg(bytes) && hasOversizedHuffmanTable(bytes))
        throw PackError("cannot read image " + path.string() + ": Corrupt JPEG (a Huffman table of more than 256 codes)");
    if (isCutTga(bytes)) throw PackError("cannot read image " + path.string() + ": the TGA pixel data is cut short");
    int width = 0, height = 0, channels = 0;
    stbi_uc* data = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 4);
    if (data == nullptr)
        throw PackError("cannot read image " + path.string() + ": " + stbi_failure_reason());
    if (width <= 0 || height <= 0) {  // stb_image 2.27 passes a BMP of height 0
        stbi_image_free(data);
        throw PackError("cannot read image " + path.string() + ": it has no pixels (" + std::to_string(width) + "x" +
                        std::to_string(height) + ")");
    }
    RgbaImage image;
    image.width = width;
    image.height = height;
    image.hasAlpha = channels == 2 || channels == 4;
    image.pixels.assign(data, data + static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    stbi_image_free(data);
    return image;
}

RgbaImage solidImage(uint8_t r, uint8_t g, uint8_t b) {
    RgbaImage image;
    image.width = image.height = kMinTextureSide;
    for (int i = 0; i < kMinTextureSide * kMinTextureSide; ++i) image.pixels.insert(image.pixels.end(), {r, g, b, 255});
    return image;
}

bool isAcceptedSide(int32_t side) {
    for (int32_t p = kMinTextureSide; p <= kMaxTextureSide; p *= 2)
        if (side == p) return true;
    return false;
}

int32_t nearestAcceptedSide(int32_t side) {
    int32_t best = kMinTextureSide;
    for (int32_t p = kMinTextureSide; p <= kMaxTextureSide; p *= 2)
        if (std::abs(p - side) <= std::abs(best - side)) best = p;
    return best;
}

RgbaImage resample(const RgbaImage& image, int32_t width, int32_t height) {
    const auto columns = axisTaps(image.width, width);
    const auto rows = axisTaps(image.height, height);
    const int64_t total = static_cast<int64_t>(image.width) * image.height;  // sum of all weights
    RgbaImage out;
    out.width = width;
    out.height = height;
    out.hasAlpha = image.hasAlpha;
    out.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            int64_t sum[4] = {0, 0, 0, 0};
            for (const Tap& row : rows[static_cast<size_t>(y)]) {
                for (const Tap& column : columns[static_cast<size_t>(x)]) {
                    const size_t at = (static_cast<size_t>(row.source) * static_cast<size_t>(image.width) +
                                       static_cast<size_t>(column.source)) * 4;
                    for (int c = 0; c < 4; ++c) sum[c] += row.weight * column.weight * image.pixels[at + static_cast<size_t>(c)];
                }
            }
            const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
            for (int c = 0; c < 4; ++c) out.pixels[at + static_cast<size_t>(c)] = static_cast<uint8_t>((sum[c] + total / 2) / total);
        }
    }
    return out;
}

namespace {

// The 3-bit level whose palette value 32c + 31 is nearest below `value` + `threshold` (threshold
// 0..31 moves the choice up; 16 is plain rounding to the nearest palette value).
int level(int value, int threshold) { return std::clamp((value - 31 + threshold + 32 * 8) / 32 - 8, 0, 7); }

constexpr int kBayer4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// Each channel to a 3-bit level: the plain conversion keeps the top three bits; ordered
// dithering adds a 4x4 Bayer threshold, which tiles seamlessly across the wrapped texture edges
// (every accepted side is a multiple of 4); error diffusion passes each pixel's error on to its
// neighbours (Floyd and Steinberg's weights).
std::vector<std::array<int, 3>> channelLevels(const RgbaImage& image, Dither dither) {
    const size_t count = image.pixels.size() / 4;
    std::vector<std::array<int, 3>> levels(count);
    std::vector<int> carried(dither == Dither::diffusion ? count * 3 : 0, 0);
    for (size_t at = 0; at < count; ++at) {
        const int x = static_cast<int>(at % static_cast<size_t>(image.width));
        const int y = static_cast<int>(at / static_cast<size_t>(image.width));
        for (size_t c = 0; c < 3; ++c) {
            const int value = image.pixels[at * 4 + c];
            int chosen = 0;
            if (dither == Dither::none) {
                chosen = value >> 5;
            } else if (dither == Dither::ordered) {
                chosen = level(value, 2 * kBayer4[y & 3][x & 3] + 1);
            } else {
                const int wanted = value + carried[at * 3 + c] / 16;
                chosen = level(wanted, 16);
                const int error = wanted - (32 * chosen + 31);
                auto pass = [&](int dx, int dy, int weight) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || nx >= image.width || ny >= image.height) return;
                    carried[(static_cast<size_t>(ny) * static_cast<size_t>(image.width) + static_cast<size_t>(nx)) * 3 + c] +=
                        error * weight;
                };
                pass(1, 0, 7);
                pass(-1, 1, 3);
                pass(0, 1, 5);
                pass(1, 1, 1);
            }
            levels[at][c] = chosen;
        }
    }
    return levels;
}

}  // namespace

std::vector<uint16_t> toTexels(const RgbaImage& image, int32_t drawMode, Dither dither) {
    const bool keyed = (drawMode & 1) != 0;
    const auto levels = channelLevels(image, dither);
    std::vector<uint16_t> texels;
    texels.reserve(levels.size());
    for (size_t i = 0; i < levels.size(); ++i) {
        const size_t at = i * 4;
        auto texel = static_cast<uint16_t>(veloxia::makeColorIndex(levels[i][0] * 32, levels[i][1] * 32, levels[i][2] * 32));
        if (keyed && image.hasAlpha) {
            if (image.pixels[at + 3] < 128) texel = 0;
            else if (texel == 0) texel = kDarkestKeyedColor;
        }
        texels.push_back(texel);
    }
    return texels;
}

}  // namespace vxpack
