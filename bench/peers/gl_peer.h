// SPDX-License-Identifier: MIT
// The Sat through Mesa's OSMesa: the same object, textures, light levels and matrices as the
// running screen, drawn by a GL renderer into a 320x240 RGB565 buffer.
//
// What the GL picture keeps of ours: nearest texels that wrap, textures expanded to the RGB of
// their colour numbers at full level, the shade level as a vertex grey (level s draws (s + 1)/32
// of the texel), a 16-bit depth test, back faces culled where the texture culls, texel 0 left out
// in the keyed modes, averaged faces drawn last at half weight without depth writes. What it
// does not keep: ours maps textures affinely and samples at pixel corners; GL corrects for
// perspective and samples at pixel centres; averaged faces are drawn in file order, not farthest
// first. The driver (llvmpipe, softpipe) and its thread count are fixed by the environment when
// the context is made, so one process holds one GlPeer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <veloxia/veloxia.h>

namespace peers {

inline constexpr int kWidth = veloxia::kBufferWidth;    // landscape, as the FrameBuffer
inline constexpr int kHeight = veloxia::kBufferHeight;

// The running screen's current matrix for one angle (translate 0,0,-350, rotate about z by
// angle/20 and about y by angle/10, then the object's own matrix), taken from the running
// screen's own placement, so ours and the peer use the same numbers.
veloxia::Mat34 runningMatrix(int32_t angle, const veloxia::SceneObject& object);

class GlPeer {
public:
    GlPeer();
    ~GlPeer();
    GlPeer(const GlPeer&) = delete;
    GlPeer& operator=(const GlPeer&) = delete;

    // Makes the context and uploads the object; false with the reason in *error.
    bool open(const veloxia::SceneObject& object, std::string* error);
    std::string renderer() const;  // GL_RENDERER and GL_VERSION
    // Clears, draws the frame of this angle and waits for it (glFinish).
    void drawFrame(int32_t angle);
    // The last frame, rows from the top as the FrameBuffer holds them, RGB565.
    void readPicture(uint16_t* landscape) const;

private:
    struct State;
    std::unique_ptr<State> state_;
    const veloxia::SceneObject* object_ = nullptr;
};

}  // namespace peers
