// SPDX-License-Identifier: MIT
// vxpack's image import on the input as an image file (PNG, TGA, JPEG, BMP and the other
// formats stb_image reads): decoding, resampling to the engine's sizes and conversion to
// texels in the four draw modes. A decoded image must have width x height pixels; texels are
// ColorIndex values at shade level 0.
#include <algorithm>

#include "harnesses.h"
#include "images.h"
#include "model.h"
#include "support.h"

namespace vxfuzz {

int vxpackImage(const uint8_t* data, size_t size) {
    static const bool ready = (resetEngine(), true);  // toTexels reads the colour tables
    (void)ready;
    vxpack::RgbaImage image;
    try {
        image = vxpack::loadImage(scratchFile("image", {data, size}));
    } catch (const vxpack::PackError&) {
        return 0;
    }
    check(image.width > 0 && image.height > 0 &&
              image.pixels.size() == size_t(image.width) * size_t(image.height) * 4,
          "a decoded image has width x height pixels");
    const auto texture = vxpack::resample(image, vxpack::nearestAcceptedSide(image.width),
                                          vxpack::nearestAcceptedSide(image.height));
    check(vxpack::isAcceptedSide(texture.width) && vxpack::isAcceptedSide(texture.height), "resampled to a texture size");
    for (int32_t mode = 0; mode < 4; ++mode) {
        const auto texels = vxpack::toTexels(texture, mode);
        check(texels.size() == size_t(texture.width) * size_t(texture.height), "one texel a pixel");
        check(std::all_of(texels.begin(), texels.end(), [](uint16_t t) { return (t & 0xC01F) == 0; }),
              "texels are ColorIndex values at shade level 0");
    }
    return 0;
}

}  // namespace vxfuzz
