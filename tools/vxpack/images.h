// SPDX-License-Identifier: MIT
// Texture images: decoding (PNG, TGA, JPEG, BMP through stb_image), resampling to the
// engine's sizes, and conversion to ColorIndex texels.
//
// The engine wraps texture coordinates with masks, so both sides must be powers of two; we
// accept 8..128 texels a side. Other sizes are rejected unless resizing is asked for, which
// resamples each side to the nearest accepted power of two with an exact area filter in integer
// arithmetic (the result is the same on every machine).
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace vxpack {

struct RgbaImage {
    int32_t width = 0, height = 0;
    bool hasAlpha = false;        // the file carried an alpha channel
    std::vector<uint8_t> pixels;  // width * height * 4 bytes, rows from the top
};

RgbaImage loadImage(const std::filesystem::path& path);
RgbaImage solidImage(uint8_t r, uint8_t g, uint8_t b);  // 8x8 of one colour

bool isAcceptedSide(int32_t side);              // a power of two in 8..128
int32_t nearestAcceptedSide(int32_t side);      // the accepted size closest to side (ties go up)
RgbaImage resample(const RgbaImage& image, int32_t width, int32_t height);

// ColorIndex texels with shade level 0. In the keyed modes (1, 3) texel 0 is transparent:
// pixels with alpha below 128 become 0 and opaque pixels that would come out as 0 (black) are
// moved to the darkest blue, so they stay visible; an image without alpha keeps its black as
// the transparent colour, as the engine's TGA convention has it.
// `dither` spreads the rounding of each channel to 3 bits over neighbouring texels; none is the
// engine's own conversion (the top three bits of each channel).
enum class Dither { none, ordered, diffusion };
std::vector<uint16_t> toTexels(const RgbaImage& image, int32_t drawMode, Dither dither = Dither::none);

}  // namespace vxpack
