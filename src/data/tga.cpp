// SPDX-License-Identifier: MIT
// A single texture from a TGA image: uncompressed true colour at 24 bits per pixel.
//
// Reading: the image identification field and any colour map are skipped (their lengths
// are in the header), so such images load from the right place. Rows are kept in file
// order and the origin bits of the image descriptor are ignored, as textures made for this
// engine expect: their texture coordinates were set against the stored order.
// Rejected with a reason in lastLoadError(): a file shorter than its header, a width or
// height of 0, and pixel data cut short. Only the format and size checks print a line.
#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "data/file_reader.h"
#include "veloxia/data.h"
#include "veloxia/display.h"

namespace veloxia {

namespace {

using data::describe;
using data::FileReader;
using data::readLe16;

bool isSizeStep(int32_t side) {
    return side == 8 || side == 16 || side == 32 || side == 64 || side == 128;
}

// Bytes between the header and the pixels: the identification field, then the colour map
// when the colour-map type says one is present.
int64_t skippedBytes(const uint8_t* header) {
    const int64_t colourMap = header[1] == 1 ? int64_t(readLe16(header + 5)) * ((header[7] + 7) / 8) : 0;
    return header[0] + colourMap;
}

int32_t readTga(FileReader& in, int32_t& width, int32_t& height, std::vector<uint16_t>& texels,
                int32_t& drawMode, int32_t checkSize) {
    uint8_t header[kTgaHeaderBytes];
    if (!in.read(header, sizeof header)) return 0;
    const std::string name = in.path().string();
    if (header[2] != 2 || header[16] != 24) {
        std::printf("ERROR : texture file %s is not tga 24 bits uncompressed format\n", name.c_str());
        return in.fail(2, describe("image type %d with %d bits per pixel; only type 2 with 24 "
                                   "bits is read", header[2], header[16]));
    }
    width = readLe16(header + 12);
    height = readLe16(header + 14);
    if (checkSize != 0 && !isTextureSize(width, height)) {
        std::printf("ERROR : texture file %s have not 2^n correct size\n", name.c_str());
        return in.fail(12, describe("size %dx%d: each side must be 8, 16, 32, 64 or 128", width, height));
    }
    if (width == 0 || height == 0) {
        return in.fail(12, describe("size %dx%d holds no pixels", width, height));
    }
    const int64_t pixels = int64_t(width) * height;
    const int64_t skip = skippedBytes(header);
    if (skip + pixels * 3 > in.remaining()) {
        return in.fail(kTgaHeaderBytes, describe("%lld pixels need %lld bytes after the header, "
                                                 "but only %lld remain",
                                                 static_cast<long long>(pixels),
                                                 static_cast<long long>(skip + pixels * 3),
                                                 static_cast<long long>(in.remaining())));
    }
    if (!in.seek(kTgaHeaderBytes + skip)) return 0;
    std::vector<uint16_t> converted(static_cast<size_t>(pixels));
    uint8_t bgr[3 * 1024];
    for (int64_t done = 0; done < pixels;) {
        const int64_t batch = std::min<int64_t>(pixels - done, 1024);
        if (!in.read(bgr, size_t(batch) * 3)) return 0;
        for (int64_t i = 0; i < batch; ++i) {
            const uint8_t* p = bgr + 3 * i;  // blue, green, red
            converted[size_t(done + i)] = uint16_t(makeColorIndex(p[2], p[1], p[0]));
        }
        done += batch;
    }
    drawMode = tgaNameFlags(in.path());
    texels = std::move(converted);
    data::loadSuccess(in.path());
    return 1;
}

}  // namespace

int32_t loadTga(const std::filesystem::path& path, int32_t& width, int32_t& height,
                std::vector<uint16_t>& texels, int32_t& drawMode, int32_t checkSize) {
    FileReader in;
    if (!in.open(path)) return 0;
    try {
        return readTga(in, width, height, texels, drawMode, checkSize);
    } catch (const std::bad_alloc&) {
        return in.fail(in.offset(), "not enough memory for the pixels");
    }
}

int32_t isTextureSize(int32_t width, int32_t height) {
    return isSizeStep(width) && isSizeStep(height) ? 1 : 0;
}

// '#' directly followed by 'k' keys texel 0 out (1), by 'a' averages (2); lower case only,
// anywhere in the path. Bytes suffice: in UTF-8 no ASCII byte is part of another character.
int32_t tgaNameFlags(const std::filesystem::path& path) {
    const std::string& text = path.native();
    int32_t flags = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '#') continue;
        if (text[i + 1] == 'k') flags |= 1;
        else if (text[i + 1] == 'a') flags |= 2;
    }
    return flags;
}

}  // namespace veloxia
