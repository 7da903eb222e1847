// SPDX-License-Identifier: MIT
#include "files.h"

#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include <veloxia/data.h>

#include "util/atomic_file.h"
#include "util/sha256.h"

namespace vxpack {
namespace {

constexpr size_t kNameBytes = veloxia::kSceneNameBytes;
constexpr size_t kObjectHeaderBytes = veloxia::kSceneObjectHeaderBytes;
constexpr size_t kRecordBytes = veloxia::kSceneRecordBytes;
constexpr size_t kTextureHeaderBytes = veloxia::kTextureHeaderBytes;

class Writer {
public:
    explicit Writer(Bytes& out) : out_(out) {}
    void u8(uint8_t value) { out_.push_back(value); }
    void i16(int16_t value) {
        const auto bits = static_cast<uint16_t>(value);
        u8(static_cast<uint8_t>(bits & 0xFF));
        u8(static_cast<uint8_t>(bits >> 8));
    }
    void u16(uint16_t value) { i16(static_cast<int16_t>(value)); }
    void i32(int32_t value) {
        const auto bits = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) u8(static_cast<uint8_t>((bits >> shift) & 0xFF));
    }

private:
    Bytes& out_;
};

class Reader {
public:
    Reader(const Bytes& bytes, size_t end) : bytes_(bytes), end_(end) {}
    size_t offset() const { return at_; }
    size_t left() const { return end_ - at_; }
    void need(size_t count, const char* what) const {
        if (count > left())
            throw PackError("file ends inside " + std::string(what) + " at offset " + std::to_string(at_));
    }
    void skip(size_t count) { at_ += count; }
    uint8_t u8() { return bytes_[at_++]; }
    int16_t i16() {
        const unsigned low = u8();
        const unsigned high = u8();
        return static_cast<int16_t>(static_cast<uint16_t>(low | high << 8));
    }
    int32_t i32() {
        uint32_t bits = 0;
        for (int shift = 0; shift < 32; shift += 8) bits |= static_cast<uint32_t>(u8()) << shift;
        return static_cast<int32_t>(bits);
    }

private:
    const Bytes& bytes_;
    size_t end_;
    size_t at_ = 0;
};

void writeVertex(Writer& w, const PackVertex& v) {
    for (int i = 0; i < 8; ++i) w.i16(0);  // sx .. stamp: written by the pipeline every frame
    w.i16(v.x);
    w.i16(v.y);
    w.i16(v.z);
    w.i16(v.light);
    w.i16(v.nx);
    w.i16(v.ny);
    w.i16(v.nz);
    w.i16(0);  // lightSaved: the light effects' working copy
}

void writeFace(Writer& w, const PackFace& f) {
    for (int c = 0; c < 3; ++c) {
        w.i32(f.vertex[c]);
        w.i16(f.u[c]);
        w.i16(f.v[c]);
    }
    w.i32(f.texture);
    w.i32(-1);  // cell: no world cell yet
}

PackObject readObject(Reader& r) {
    r.need(kObjectHeaderBytes, "an object header");
    PackObject object;
    std::string name;
    for (size_t i = 0; i < kNameBytes; ++i) name.push_back(static_cast<char>(r.u8()));
    const size_t terminator = name.find('\0');
    if (terminator == std::string::npos)
        throw PackError("object name without terminator at offset " + std::to_string(r.offset() - kNameBytes));
    object.name = name.substr(0, terminator);
    for (auto& entry : object.matrix) entry = r.i16();
    const int32_t vertexCount = r.i32();
    const int32_t faceCount = r.i32();
    if (vertexCount < 0 || faceCount < 0)
        throw PackError("negative vertex or face count in object \"" + object.name + "\"");
    r.need((static_cast<size_t>(vertexCount) + static_cast<size_t>(faceCount)) * kRecordBytes,
           "the records of an object");
    object.vertices.resize(static_cast<size_t>(vertexCount));
    for (auto& v : object.vertices) {
        for (int i = 0; i < 8; ++i) r.i16();
        v.x = r.i16();
        v.y = r.i16();
        v.z = r.i16();
        v.light = r.i16();
        v.nx = r.i16();
        v.ny = r.i16();
        v.nz = r.i16();
        r.i16();
    }
    object.faces.resize(static_cast<size_t>(faceCount));
    for (auto& f : object.faces) {
        for (int c = 0; c < 3; ++c) {
            f.vertex[c] = r.i32();
            f.u[c] = r.i16();
            f.v[c] = r.i16();
        }
        f.texture = r.i32();
        r.i32();
    }
    return object;
}

}  // namespace

const char* drawModeName(int32_t mode) {
    switch (mode) {
    case 0: return "opaque";
    case 1: return "keyed";
    case 2: return "averaged";
    case 3: return "keyed+averaged";
    default: return "unknown";
    }
}

Bytes sceneFileBytes(const PackScene& scene) {
    Bytes out;
    Writer w(out);
    for (const auto& object : scene.objects) {
        for (size_t i = 0; i < kNameBytes; ++i)
            w.u8(i < object.name.size() ? static_cast<uint8_t>(object.name[i]) : 0);
        for (int16_t entry : object.matrix) w.i16(entry);
        w.i32(static_cast<int32_t>(object.vertices.size()));
        w.i32(static_cast<int32_t>(object.faces.size()));
        for (const auto& v : object.vertices) writeVertex(w, v);
        for (const auto& f : object.faces) writeFace(w, f);
    }
    w.i32(static_cast<int32_t>(scene.objects.size()));
    return out;
}

Bytes textureFileBytes(const PackTextures& textures) {
    Bytes out;
    Writer w(out);
    w.i32(static_cast<int32_t>(textures.textures.size()));
    for (const auto& t : textures.textures) {
        w.i32(t.width);
        w.i32(t.height);
        w.i32(t.drawMode);
        w.i32(t.backfaceCull);
        w.i32(static_cast<int32_t>(t.frames.size()));
        w.i32(t.frameDelay);
        for (const auto& frame : t.frames)
            for (uint16_t texel : frame) w.u16(texel);
    }
    return out;
}

PackScene parseSceneFile(const Bytes& bytes) {
    if (bytes.size() < 4) throw PackError("too short for a scene file (" + std::to_string(bytes.size()) + " bytes)");
    Reader tail(bytes, bytes.size());
    tail.skip(bytes.size() - 4);
    const int32_t count = tail.i32();
    if (count < 0 || count > kMaxObjects)
        throw PackError("object count " + std::to_string(count) + " is outside 0.." + std::to_string(kMaxObjects));
    Reader r(bytes, bytes.size() - 4);
    PackScene scene;
    for (int32_t i = 0; i < count; ++i) scene.objects.push_back(readObject(r));
    if (r.left() != 0)
        throw PackError(std::to_string(r.left()) + " bytes after the last object block, at offset " +
                        std::to_string(r.offset()));
    return scene;
}

PackTextures parseTextureFile(const Bytes& bytes) {
    Reader r(bytes, bytes.size());
    r.need(4, "the texture count");
    const int32_t count = r.i32();
    if (count < 0 || count > kMaxTextures)
        throw PackError("texture count " + std::to_string(count) + " is outside 0.." + std::to_string(kMaxTextures));
    PackTextures textures;
    for (int32_t i = 0; i < count; ++i) {
        const size_t start = r.offset();
        r.need(kTextureHeaderBytes, "a texture header");
        PackTexture t;
        t.width = r.i32();
        t.height = r.i32();
        t.drawMode = r.i32();
        t.backfaceCull = r.i32();
        const int32_t frameCount = r.i32();
        t.frameDelay = r.i32();
        if (t.width < 1 || t.height < 1 || t.width > 4096 || t.height > 4096 || frameCount < 1)
            throw PackError("texture " + std::to_string(i) + " at offset " + std::to_string(start) + " has size " +
                            std::to_string(t.width) + "x" + std::to_string(t.height) + " and " +
                            std::to_string(frameCount) + " frames");
        const size_t texels = static_cast<size_t>(t.width) * static_cast<size_t>(t.height);
        if (static_cast<size_t>(frameCount) > r.left() / (texels * 2))
            throw PackError("file ends inside the frames of texture " + std::to_string(i));
        t.frames.resize(static_cast<size_t>(frameCount));
        for (auto& frame : t.frames) {
            frame.resize(texels);
            for (auto& texel : frame) texel = static_cast<uint16_t>(r.i16());
        }
        textures.textures.push_back(std::move(t));
    }
    if (r.left() != 0)
        throw PackError(std::to_string(r.left()) + " bytes after the last texture, at offset " +
                        std::to_string(r.offset()));
    return textures;
}

void checkInputFile(const std::filesystem::path& path, uintmax_t limit) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error) throw PackError("cannot open " + path.string() + ": " + error.message());
    if (!std::filesystem::is_regular_file(status)) throw PackError("cannot open " + path.string() + ": not a regular file");
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error) throw PackError("cannot open " + path.string() + ": " + error.message());
    if (size > limit)
        throw PackError(path.string() + " holds " + std::to_string(size) + " bytes, more than the limit of " +
                        std::to_string(limit));
}

Bytes readWholeFile(const std::filesystem::path& path) {
    checkInputFile(path, static_cast<uintmax_t>(veloxia::kMaxDataFileBytes));
    std::ifstream in(path, std::ios::binary);
    if (!in) throw PackError("cannot open " + path.string());
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw PackError("cannot read " + path.string());
    return bytes;
}

void writeFileAtomically(const std::filesystem::path& path, const Bytes& bytes) {
    if (const veloxia::Result written = veloxia::writeFileAtomically(path, bytes); !written) {
        throw PackError(written.reason());
    }
}

uint64_t fnv1a64(const Bytes& bytes) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (uint8_t byte : bytes) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::string sha256Of(const Bytes& bytes) {
    veloxia::util::Sha256 hash;
    hash.update(bytes.data(), bytes.size());
    return veloxia::util::toHex(hash.finish());
}

Bytes texturePpm(const PackTexture& texture) {
    const std::string header = "P6\n" + std::to_string(texture.width) + " " + std::to_string(texture.height) + "\n255\n";
    Bytes out(header.begin(), header.end());
    for (uint16_t texel : texture.frames.at(0))
        for (int shift : {11, 8, 5}) out.push_back(static_cast<uint8_t>(32 * ((texel >> shift) & 7) + 31));
    return out;
}

}  // namespace vxpack
