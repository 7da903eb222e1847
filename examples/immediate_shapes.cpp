// SPDX-License-Identifier: MIT
// Immediate-mode drawing: a row of triangles at three light levels, a turning textured quad with a
// blended pane in front of it, and an indexed wavy sheet lit by a point light. Runs headless for a
// few frames, prints the faces drawn per frame and writes the last frame as a PNG.
//
//   immediate_shapes [--frames N] [--out FILE.png]
#include <veloxia/veloxia.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "png_file.h"

using namespace veloxia;

namespace {

int facesFilled = 0;

// The installed filler, counted: the pixels are those of fillAffine.
int countedFill(const ProjectedVertex* a, int ua, int va, const ProjectedVertex* b, int ub, int vb,
                const ProjectedVertex* c, int uc, int vc, const Texture* texture) {
    ++facesFilled;
    return fillAffine(a, ua, va, b, ub, vb, c, uc, vc, texture);
}

// A 16 x 16 texture from pattern(x, y) -> 8-bit RGB, faces culled when seen from the back.
template <typename Pattern>
Texture makeTexture(std::vector<uint16_t>& texels, int drawMode, Pattern pattern) {
    texels.resize(256);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            int r, g, b;
            pattern(x, y, r, g, b);
            texels[size_t(y * 16 + x)] = uint16_t(makeColorIndex(r, g, b));
        }
    }
    Texture t{};
    t.backfaceCull = drawMode < 2 ? 1 : 0;
    t.width = t.height = 16;
    t.drawMode = drawMode;
    t.uMask = 15u << 16;
    t.vMask = (15u << 16) * 16u;
    t.texels = texels.data();
    t.frameCount = 1;
    return t;
}

// The indexed sheet: 9 x 9 vertices in the x-y plane with a ripple in z, normals in 1.15.
constexpr int kSide = 9;
struct Sheet {
    IndexedVertex vertices[kSide * kSide] = {};
    std::vector<uint16_t> indices;
    std::vector<int16_t> coords;  // per index position

    Sheet() {
        for (int j = 0; j < kSide; ++j) {
            for (int i = 0; i < kSide; ++i) {
                IndexedVertex& v = vertices[j * kSide + i];
                const double phase = 0.9 * i;
                v.x = int16_t(-96 + 24 * i);
                v.y = int16_t(-96 + 24 * j);
                v.z = int16_t(std::lround(12.0 * std::sin(phase)));
                const double slope = 12.0 * 0.9 / 24.0 * std::cos(phase);  // dz/dx
                const double len = std::sqrt(1.0 + slope * slope);
                v.nx = int16_t(std::lround(-slope / len * 32767));
                v.nz = int16_t(std::lround(1.0 / len * 32767));
                v.light = 4;
            }
        }
        for (int j = 0; j + 1 < kSide; ++j) {
            for (int i = 0; i + 1 < kSide; ++i) {
                const int a = j * kSide + i;
                const int quad[6] = {a, a + 1, a + kSide + 1, a, a + kSide + 1, a + kSide};
                const int uv[6][2] = {{0, 0}, {1024, 0}, {1024, 1024}, {0, 0}, {1024, 1024}, {0, 1024}};
                for (int k = 0; k < 6; ++k) {
                    indices.push_back(uint16_t(quad[k]));
                    coords.push_back(int16_t(uv[k][0] / 8));  // 12.4: 8 texels, two checker squares, a quad
                    coords.push_back(int16_t(uv[k][1] / 8));
                }
            }
        }
    }
};

void drawTriangles(Texture* t) {
    immEnable(0);
    immTexture(t);
    immBegin(1);
    for (int k = 0; k < 3; ++k) {
        immLightLevel(11 + 10 * k);  // 11, 21, 31
        const int16_t x = int16_t(-130 + 90 * k);
        immTexCoord(0, 0);
        immVertex(x, 110, -500);
        immTexCoord(1024, 0);
        immVertex(int16_t(x + 70), 110, -500);
        immTexCoord(512, 1024);
        immVertex(int16_t(x + 35), 170, -500);
    }
    immEnd();
}

void drawQuad(Texture* t, int angle, int16_t z, int16_t size) {
    pushMatrix();
    translateCurrent(0, 40, z);
    immRotate(angle, 0, 1, 0);
    immEnable(0);
    immTexture(t);
    immBegin(2);
    const int16_t uv[4][2] = {{0, 0}, {1024, 0}, {1024, 1024}, {0, 1024}};
    const int16_t xy[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int k = 0; k < 4; ++k) {
        immTexCoord(uv[k][0], uv[k][1]);
        immVertex(int16_t(xy[k][0] * size), int16_t(xy[k][1] * size), 0);
    }
    immEnd();
    popMatrix();
}

void drawSheet(Sheet& sheet, Texture* t) {
    pushMatrix();
    translateCurrent(0, -125, -560);
    immRotate(-100, 1, 0, 0);  // tipped back, so the light grazes the ripples
    immEnable(0);
    immTexture(t);
    immTexCoordArray(sheet.coords.data());
    immDrawElements(int32_t(sheet.indices.size()), sheet.indices.data());
    popMatrix();
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 30;
    std::string out = "immediate_shapes.png";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::printf("usage: immediate_shapes [--frames N] [--out FILE.png]\n");
            return 0;
        }
        if (i + 1 < argc && arg == "--frames" && std::atoi(argv[i + 1]) > 0) {
            frames = std::atoi(argv[++i]);
        } else if (i + 1 < argc && arg == "--out") {
            out = argv[++i];
        } else {
            std::fprintf(stderr, "usage: immediate_shapes [--frames N] [--out FILE.png]\n");
            return 2;
        }
    }

    initEngine(&renderContext);
    renderContext.present = presentDirect;
    renderContext.fillTriangle = countedFill;
    stackInit(&matrixStack, 4);
    immReset();

    std::vector<uint16_t> checkerTexels, ringTexels, glassTexels;
    Texture checker = makeTexture(checkerTexels, 0, [](int x, int y, int& r, int& g, int& b) {
        const bool on = ((x / 4) + (y / 4)) % 2 != 0;
        r = on ? 240 : 40, g = on ? 200 : 90, b = on ? 60 : 200;
    });
    Texture rings = makeTexture(ringTexels, 0, [](int x, int y, int& r, int& g, int& b) {
        const int d = (x - 8) * (x - 8) + (y - 8) * (y - 8);
        const bool on = (d / 12) % 2 != 0;
        r = on ? 250 : 120, g = on ? 250 : 30, b = on ? 250 : 60;
    });
    Texture glass = makeTexture(glassTexels, 2, [](int, int y, int& r, int& g, int& b) {
        r = 60, g = 160 + 5 * y, b = 230;
    });

    Sheet sheet;
    immVertexArray(kSide * kSide, sheet.vertices);
    // A facing light in front of the sheet, in view space.
    setLight(&lightTable[0], 2, 28, 200);
    lightTable[0].x = 30;
    lightTable[0].y = -100;
    lightTable[0].z = -460;
    setLightCount(1);

    // The buffer starts all zero, nearer than anything: start the first frame as present leaves
    // every later one, at depth 8192.
    std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0x20000000u);
    for (int f = 0; f < frames; ++f) {
        ++renderContext.frameCounter;
        facesFilled = 0;
        loadIdentity();
        drawTriangles(&rings);
        drawQuad(&checker, 8 * f + 120, -520, 60);
        drawQuad(&glass, 0, -420, 40);  // blended: queued and drawn at the flush
        drawSheet(sheet, &checker);
        if (faceQueue.itemCount != 0) flushFaceQueue(&faceQueue);
        renderContext.present();
        std::printf("frame %3d: faces drawn %d\n", f, facesFilled);
    }

    std::vector<uint16_t> portrait(size_t(kScreenWidth) * kScreenHeight);
    readDisplayPortrait(portrait.data());
    std::string error;
    if (!examples::writePng(out, portrait.data(), kScreenWidth, kScreenHeight, error)) {
        std::fprintf(stderr, "immediate_shapes: %s\n", error.c_str());
        return 1;
    }
    std::printf("wrote %s\n", out.c_str());
    setLightCount(0);
    stackFree(&matrixStack);
    return 0;
}
