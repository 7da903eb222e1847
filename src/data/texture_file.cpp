// SPDX-License-Identifier: MIT
// The texture file: the texture count, then per texture six header fields and its frames of
// ColorIndex texels. Textures are read and checked into temporaries; the table's entries then
// take the new contents in place, so faces that name an entry by its address stay valid, and
// the frames they held are kept until freeTextures(), so no texels pointer handed out dangles.
#include <algorithm>
#include <new>
#include <vector>

#include "data/file_reader.h"
#include "engine/wrap.h"
#include "veloxia/data.h"
#include "veloxia/display.h"

namespace veloxia {

Texture TextureTable[kMaxTextures];
int32_t textureCount = 0;

namespace {

using data::describe;
using data::FileReader;
using data::readLe32;

// Frames a replaced texture file held, kept alive for whatever still points at their texels.
std::vector<std::unique_ptr<uint16_t[]>> retiredFrames;

// Width and height: at least 1, and few enough texels that the 16.16 texel index stays within
// 32 bits. Sides that are not powers of two are kept: the masks then wrap coordinates unevenly,
// as on the original, but (u & uMask) + (v & vMask) still never passes the last texel. The draw
// mode is kept whatever it is.
bool checkHeader(FileReader& in, int64_t start, int index, const Texture& t) {
    if (t.width < 1 || t.height < 1) {
        in.fail(start, describe("texture %d: size %dx%d holds no texels", index, t.width, t.height));
        return false;
    }
    if (int64_t(t.width) * t.height > kMaxTextureTexels) {
        in.fail(start, describe("texture %d: size %dx%d holds %lld texels, more than the limit of "
                                "%d a frame",
                                index, t.width, t.height,
                                static_cast<long long>(int64_t(t.width) * t.height), kMaxTextureTexels));
        return false;
    }
    if (t.frameCount < 1) {
        in.fail(start + 16, describe("texture %d: frame count %d; at least 1 frame is needed", index,
                                     t.frameCount));
        return false;
    }
    const int64_t bytes = int64_t(t.frameCount) * t.width * t.height * 2;
    if (bytes > in.remaining()) {
        in.fail(start + 16, describe("texture %d: %d frames of %dx%d need %lld bytes, but only "
                                     "%lld remain",
                                     index, t.frameCount, t.width, t.height,
                                     static_cast<long long>(bytes),
                                     static_cast<long long>(in.remaining())));
        return false;
    }
    return true;
}

// Reads one frame of width x height little-endian texels, kept as stored: a texel with shade
// bits set only shows brighter, and present reads every pixel through its low 14 bits.
bool readFrame(FileReader& in, int32_t texelCount, uint16_t* texels) {
    auto* bytes = reinterpret_cast<uint8_t*>(texels);
    if (!in.read(bytes, size_t(texelCount) * 2)) return false;
    for (int32_t i = 0; i < texelCount; ++i) texels[i] = data::readLe16(bytes + 2 * i);  // both bytes read before the store
    return true;
}

bool readTexture(FileReader& in, int index, Texture& t) {
    const int64_t start = in.offset();
    uint8_t bytes[kTextureHeaderBytes];
    if (!in.read(bytes, sizeof bytes)) return false;
    t.width = readLe32(bytes);
    t.height = readLe32(bytes + 4);
    t.drawMode = readLe32(bytes + 8);
    t.backfaceCull = readLe32(bytes + 12);
    t.frameCount = readLe32(bytes + 16);
    t.frameDelay = readLe32(bytes + 20);
    if (!checkHeader(in, start, index, t)) return false;
    // 16.16 masks: u wraps at the width, v (already times the width) at the height.
    t.uMask = (uint32_t(t.width) << 16) - 0x10000u;
    t.vMask = ((uint32_t(t.height) << 16) - 0x10000u) * uint32_t(t.width);
    const int32_t texelCount = t.width * t.height;
    t.frames.resize(size_t(t.frameCount));
    for (int f = 0; f < t.frameCount; ++f) {
        t.frames[size_t(f)] = std::make_unique<uint16_t[]>(size_t(texelCount));
        if (!readFrame(in, texelCount, t.frames[size_t(f)].get())) return false;
    }
    t.frameIndex = 0;
    t.frameTimer = 0;
    t.texels = t.frames[0].get();
    t.averageColor = textureAverageColor(&t);
    return true;
}

int32_t loadTextures(FileReader& in) {
    int32_t count = 0;
    if (!in.readI32(count)) return 0;
    if (count > kMaxTextures) {
        return in.fail(0, describe("the texture count %d is above the limit of %d", count,
                                   kMaxTextures));
    }
    count = std::max(count, 0);  // a count of 0 or less loads nothing
    std::vector<Texture> textures(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        if (!readTexture(in, i, textures[size_t(i)])) return 0;
    }
    // Bytes after the last texture are not read: the loader reads `count` textures and stops.
    //
    // Entries keep their addresses (faces point at them); their contents are replaced, entries
    // past the new count are emptied, and the frames they held are kept. Moving keeps the
    // frames, so texels stays valid.
    size_t replaced = 0;
    for (const Texture& t : TextureTable) replaced += t.frames.size();
    retiredFrames.reserve(retiredFrames.size() + replaced);  // no allocation once the table changes
    for (int i = 0; i < kMaxTextures; ++i) {
        for (auto& frame : TextureTable[i].frames) retiredFrames.push_back(std::move(frame));
        TextureTable[i] = i < count ? std::move(textures[size_t(i)]) : Texture{};
    }
    textureCount = count;
    data::loadSuccess(in.path());
    return 1;
}

}  // namespace

int32_t loadTextureFile(const std::filesystem::path& path) {
    FileReader in;
    if (!in.open(path)) return 0;
    try {
        return loadTextures(in);
    } catch (const std::bad_alloc&) {
        return in.fail(in.offset(), "not enough memory for the textures");
    }
}

void freeTextures() {
    for (Texture& t : TextureTable) t = Texture{};
    textureCount = 0;
    retiredFrames.clear();
    retiredFrames.shrink_to_fit();
}

// Average of the texels at full shade level, as the ShadeLut shows them; an empty texture
// averages to 0.
uint16_t textureAverageColor(const Texture* texture) {
    if (!texture || !texture->texels || texture->width <= 0 || texture->height <= 0) return 0;
    const int64_t n = int64_t(texture->width) * texture->height;
    int64_t sumR = 0, sumG = 0, sumB = 0;
    for (int64_t i = 0; i < n; ++i) {
        int32_t r = 0, g = 0, b = 0;
        colorIndexToRgb(texture->texels[i] + 31, r, g, b);
        sumR += r;
        sumG += g;
        sumB += b;
    }
    return uint16_t(makeColorIndex(int(sumR / n), int(sumG / n), int(sumB / n)));
}

void advanceTextureFrame(RenderContext* /*rc*/, Texture* texture) {
    if (!texture || texture->frameCount < 1 || texture->frames.size() < size_t(texture->frameCount)) return;
    texture->frameTimer = wrapAdd(texture->frameTimer, 1);
    if (texture->frameTimer < texture->frameDelay) return;
    const int32_t index = texture->frameIndex;
    texture->frameIndex = index >= 0 && index < texture->frameCount - 1 ? index + 1 : 0;
    texture->frameTimer = 0;
    texture->texels = texture->frames[size_t(texture->frameIndex)].get();
}

}  // namespace veloxia
