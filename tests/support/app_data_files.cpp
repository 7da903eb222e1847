// SPDX-License-Identifier: MIT
#include "support/app_data_files.h"

#include <unistd.h>

#include <fstream>

namespace vxtest {

namespace {

void put16(std::ofstream& out, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    const char bytes[2] = {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF)};
    out.write(bytes, 2);
}

void put32(std::ofstream& out, int32_t v) {
    put16(out, static_cast<int32_t>(static_cast<uint32_t>(v) & 0xFFFF));
    put16(out, static_cast<int32_t>(static_cast<uint32_t>(v) >> 16));
}

}  // namespace

SceneObjectSpec smallTriangle(const std::string& name, int16_t tx, int16_t ty, int16_t tz) {
    SceneObjectSpec o;
    o.name = name;
    o.matrix = {16384, 0, 0, 0, 16384, 0, 0, 0, 16384, tx, ty, tz};
    // Model positions include the translation, as the scene files store them.
    const auto t = [&](int dx, int dy) {
        return SceneVertex{static_cast<int16_t>(tx + dx), static_cast<int16_t>(ty + dy), tz, 31};
    };
    o.vertices = {t(-20, -20), t(20, -20), t(0, 20)};
    o.faces = {{0, 1, 2, 0}};
    return o;
}

void writeSceneFile(const std::filesystem::path& path, const std::vector<SceneObjectSpec>& objects) {
    std::ofstream out(path, std::ios::binary);
    for (const SceneObjectSpec& o : objects) {
        char name[24] = {};
        o.name.copy(name, 23);
        out.write(name, 24);
        for (const int16_t m : o.matrix) put16(out, m);
        put32(out, static_cast<int32_t>(o.vertices.size()));
        put32(out, static_cast<int32_t>(o.faces.size()));
        for (const SceneVertex& v : o.vertices) {
            for (int i = 0; i < 8; ++i) put16(out, 0);  // per-frame fields
            put16(out, v.x);
            put16(out, v.y);
            put16(out, v.z);
            put16(out, v.light);
            put16(out, 0);
            put16(out, 0);
            put16(out, 16384);
            put16(out, 0);
        }
        for (const SceneTriangle& f : o.faces) {
            const int32_t corners[3][3] = {{f.a, 0, 0}, {f.b, 7 * 16, 0}, {f.c, 0, 7 * 16}};
            for (const auto& c : corners) {
                put32(out, c[0]);
                put16(out, c[1]);
                put16(out, c[2]);
            }
            put32(out, f.texture);
            put32(out, -1);
        }
    }
    put32(out, static_cast<int32_t>(objects.size()));
}

void writeTextureFile(const std::filesystem::path& path, int count) {
    std::ofstream out(path, std::ios::binary);
    put32(out, count);
    for (int t = 0; t < count; ++t) {
        for (const int32_t field : {8, 8, 0, 0, 1, 0}) put32(out, field);  // size, mode, cull, frames, delay
        for (int i = 0; i < 64; ++i) put16(out, 0x3E00);  // one red-ish ColorIndex, shade level 0
    }
}

std::filesystem::path freshDirectory(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() / ("vx_app_" + name + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace vxtest
