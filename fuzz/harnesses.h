// SPDX-License-Identifier: MIT
// The fuzz harnesses: each takes one input of the fuzzer and returns 0. A fault in the code
// under test shows as a sanitizer report or as an abort from vxfuzz::check.
//
// The same functions run under libFuzzer (fuzz/entry.cpp, one program per harness) and in the
// ordinary test suite, which replays the committed corpus and the regression inputs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vxfuzz {

int sceneFile(const uint8_t* data, size_t size);    // loadSceneFile, then the loaded objects drawn
int textureFile(const uint8_t* data, size_t size);  // loadTextureFile, animation, every filler
int tga(const uint8_t* data, size_t size);          // loadTga with and without the size check
int vxpackObj(const uint8_t* data, size_t size);    // OBJ + MTL + image through vxpack's pack
int vxpackImage(const uint8_t* data, size_t size);  // vxpack's image decoding, resampling, texels
int raster(const uint8_t* data, size_t size);       // the fillers and the lines with any corners
int pipeline(const uint8_t* data, size_t size);     // objects through renderObject and the world road
int immediate(const uint8_t* data, size_t size);    // immediate-mode call sequences
int world(const uint8_t* data, size_t size);        // world build and render

}  // namespace vxfuzz
