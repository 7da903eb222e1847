// SPDX-License-Identifier: MIT
#include "gl_peer.h"

#include <array>
#include <cstring>
#include <map>
#include <tuple>

#define GL_GLEXT_PROTOTYPES
#include <GL/osmesa.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include "app/app.h"

namespace peers {

using namespace veloxia;

namespace {

// Nearest and farthest depths the object road projects.
constexpr float kNear = 65.0f;
constexpr float kFar = 8192.0f;

// One corner as glInterleavedArrays(GL_T2F_C4UB_V3F) reads it.
struct GlCorner {
    float s, t;
    uint8_t r, g, b, a;
    float x, y, z;
};
static_assert(sizeof(GlCorner) == 24);

// The faces of one texture: a run of indices in the element buffer.
struct Batch {
    GLuint texture;
    int32_t drawMode;
    bool cull;
    GLint first;
    GLsizei count;
};

// The focal length the engine projects with: ProjectionLut[1] is focal * 65536.
float engineFocal() { return float(ProjectionLut[1]) / 65536.0f; }

// Column-major GL projection reproducing projectPortrait: view y goes along the buffer's
// columns and view x along its rows, both from the centre (160, 120), scaled by focal / depth.
// GL windows count rows upwards, so the buffer's rows downwards come out as -x.
std::array<float, 16> projectionMatrix() {
    const float f = engineFocal();
    std::array<float, 16> p{};
    p[1 * 4 + 0] = f / (kWidth / 2.0f);
    p[0 * 4 + 1] = -f / (kHeight / 2.0f);
    p[2 * 4 + 2] = -(kFar + kNear) / (kFar - kNear);
    p[3 * 4 + 2] = -2.0f * kFar * kNear / (kFar - kNear);
    p[2 * 4 + 3] = -1.0f;
    return p;
}

// A Mat34 (2.14 entries, column by column, then the translation) as a column-major GL matrix.
std::array<float, 16> modelView(const Mat34& m) {
    std::array<float, 16> g{};
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r) g[c * 4 + r] = float(m[3 * c + r]) / 16384.0f;
    }
    for (int r = 0; r < 3; ++r) g[12 + r] = float(m[9 + r]);
    g[15] = 1.0f;
    return g;
}

// The texels shown now as RGBA: each colour number at full level, as ShadeLut shows it; texel 0
// transparent in the keyed modes (1 and 3).
std::vector<uint8_t> textureRgba(const Texture& t) {
    const bool keyed = t.drawMode == 1 || t.drawMode >= 3 || t.drawMode < 0;
    std::vector<uint8_t> rgba(size_t(t.width) * size_t(t.height) * 4);
    for (size_t i = 0; i < size_t(t.width) * size_t(t.height); ++i) {
        int32_t r = 0, g = 0, b = 0;
        colorIndexToRgb(t.texels[i] + 31, r, g, b);
        rgba[4 * i + 0] = uint8_t(r);
        rgba[4 * i + 1] = uint8_t(g);
        rgba[4 * i + 2] = uint8_t(b);
        rgba[4 * i + 3] = keyed && t.texels[i] == 0 ? 0 : 255;
    }
    return rgba;
}

GLuint uploadTexture(const Texture& t) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const std::vector<uint8_t> rgba = textureRgba(t);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, t.width, t.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    return name;
}

// A corner: model position, u/v in sixteenths of a texel as texture fractions, and the vertex's
// shade level (the shade slot of its light level at the running distance) as grey.
GlCorner corner(const FaceCorner& c, const Texture& t) {
    const auto* v = static_cast<const MeshVertex*>(c.vertex);
    const int level = renderContext.shade(350, v->light);
    const auto grey = uint8_t((level + 1) * 255 / 32);
    return GlCorner{float(c.u) / float(16 * t.width), float(c.v) / float(16 * t.height), grey, grey, grey, 255,
                    float(v->x), float(v->y), float(v->z)};
}

}  // namespace

Mat34 runningMatrix(int32_t angle, const SceneObject& object) {
    pushRunningMatrices(&object, angle);
    const Mat34 m = *matrixStack.top;
    popRunningMatrices();
    return m;
}

struct GlPeer::State {
    OSMesaContext context = nullptr;
    std::vector<uint16_t> colour = std::vector<uint16_t>(kWidth * kHeight);
    std::vector<Batch> batches;  // opaque and keyed first, then the averaged ones
};

GlPeer::GlPeer() : state_(std::make_unique<State>()) {}

GlPeer::~GlPeer() {
    if (state_->context != nullptr) OSMesaDestroyContext(state_->context);
}

bool GlPeer::open(const SceneObject& object, std::string* error) {
    object_ = &object;
    state_->context = OSMesaCreateContextExt(OSMESA_RGB_565, 16, 0, 0, nullptr);
    if (state_->context == nullptr ||
        !OSMesaMakeCurrent(state_->context, state_->colour.data(), GL_UNSIGNED_SHORT_5_6_5, kWidth, kHeight)) {
        *error = "OSMesa cannot make a 320x240 RGB565 context with a 16-bit depth buffer";
        return false;
    }
    // Corners grouped by texture, opaque and keyed textures before the averaged ones; a corner
    // with the same vertex and u/v as an earlier one of its texture is drawn from the same
    // index, so GL transforms each vertex about as often as ours does.
    std::vector<GlCorner> corners;
    std::vector<GLuint> indices;
    for (int pass = 0; pass < 2; ++pass) {
        for (int t = 0; t < kMaxTextures; ++t) {
            const Texture& texture = TextureTable[t];
            if ((texture.drawMode >= 2) != (pass == 1)) continue;
            const auto first = GLint(indices.size());
            std::map<std::tuple<const ProjectedVertex*, int16_t, int16_t>, GLuint> seen;
            for (int32_t f = 0; f < object.faceCount; ++f) {
                const MeshFace& face = object.faces[f];
                if (face.texture != &texture) continue;
                for (const FaceCorner& c : face.corner) {
                    const auto [at, fresh] = seen.try_emplace({c.vertex, c.u, c.v}, GLuint(corners.size()));
                    if (fresh) corners.push_back(corner(c, texture));
                    indices.push_back(at->second);
                }
            }
            if (GLint(indices.size()) == first) continue;
            state_->batches.push_back(Batch{uploadTexture(texture), texture.drawMode, texture.backfaceCull != 0,
                                            first, GLsizei(GLint(indices.size()) - first)});
        }
    }
    GLuint buffers[2];
    glGenBuffers(2, buffers);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(corners.size() * sizeof(GlCorner)), corners.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(GLuint)), indices.data(), GL_STATIC_DRAW);
    glInterleavedArrays(GL_T2F_C4UB_V3F, 0, nullptr);

    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projectionMatrix().data());
    glMatrixMode(GL_MODELVIEW);
    glClearColor(0, 0, 0, 1);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_DITHER);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    // Ours keeps faces that run counter-clockwise on the screen.
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glAlphaFunc(GL_GREATER, 0.5f);
    glBlendColor(0.5f, 0.5f, 0.5f, 0.5f);
    glBlendFunc(GL_CONSTANT_COLOR, GL_CONSTANT_COLOR);
    if (glGetError() != GL_NO_ERROR) {
        *error = "the GL set-up failed";
        return false;
    }
    return true;
}

std::string GlPeer::renderer() const {
    return std::string(reinterpret_cast<const char*>(glGetString(GL_RENDERER))) + ", GL " +
           reinterpret_cast<const char*>(glGetString(GL_VERSION));
}

void GlPeer::drawFrame(int32_t angle) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadMatrixf(modelView(runningMatrix(angle, *object_)).data());
    bool averaging = false;
    for (const Batch& b : state_->batches) {
        if (b.drawMode >= 2 && !averaging) {
            averaging = true;
            glDepthMask(GL_FALSE);
            glEnable(GL_BLEND);
        }
        if (b.cull) glEnable(GL_CULL_FACE); else glDisable(GL_CULL_FACE);
        if (b.drawMode == 1 || b.drawMode >= 3 || b.drawMode < 0) glEnable(GL_ALPHA_TEST);
        else glDisable(GL_ALPHA_TEST);
        glBindTexture(GL_TEXTURE_2D, b.texture);
        glDrawElements(GL_TRIANGLES, b.count, GL_UNSIGNED_INT,
                       reinterpret_cast<const void*>(uintptr_t(b.first) * sizeof(GLuint)));
    }
    if (averaging) {
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    }
    glFinish();
}

void GlPeer::readPicture(uint16_t* landscape) const {
    // OSMesa keeps the bottom row first; the FrameBuffer keeps the top row first.
    for (int y = 0; y < kHeight; ++y) {
        std::memcpy(landscape + y * kWidth, state_->colour.data() + (kHeight - 1 - y) * kWidth,
                    kWidth * sizeof(uint16_t));
    }
}

}  // namespace peers
