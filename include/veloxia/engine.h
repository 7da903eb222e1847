// SPDX-License-Identifier: MIT
// The render context, engine initialisation, render modes and engine options.
//
// Everything that draws calls through the context's function slots, so switching a slot
// switches the renderer for all later frames. Out-of-range modes and option values are
// ignored without a report; initialisation cannot fail.
#pragma once

#include <cstdint>

#include "types.h"

namespace veloxia {

// Slot signatures. Texture coordinates are the signed 16-bit 12.4 values, passed as int.
using DrawTextFn = int (*)(int x, int y, int brightness, const char* text, int centre);
using FillTriangleFn = int (*)(const ProjectedVertex* a, int ua, int va,
                               const ProjectedVertex* b, int ub, int vb,
                               const ProjectedVertex* c, int uc, int vc, const Texture* texture);
using ShadeFn = int16_t (*)(int depth, int level);
using ProjectFn = int (*)(const int16_t view[3], ProjectedVertex* out);
using PresentFn = int (*)();

// Eight words: three counters and flags, then the five function slots.
struct RenderContext {
    uint32_t frameCounter;     // incremented once per main-loop pass; wraps at 2^32
    uint32_t reserved;
    uint32_t presentRotation;  // 0 or 1: direction in which present rotates the buffer
    DrawTextFn drawText;
    FillTriangleFn fillTriangle;
    ShadeFn shade;
    ProjectFn project;
    PresentFn present;         // set by detectDisplay, never by initEngine
};

extern RenderContext renderContext;  // the one render context

// ProjectionLut: 8704 int32; entry d (1..8703) = round(scale * 65536 / d) in single precision,
// entry 0 = 0. The projection's screen offset is (coordinate * entry) >> 16.
inline constexpr int kProjectionLutSize = 8704;
extern int32_t ProjectionLut[kProjectionLutSize];

// RandomBytes: 256 int8, the low bytes of the first 256 crtRand results after start.
extern int8_t RandomBytes[256];

void initEngine(RenderContext* rc);                  // builds every table and fills the default slots
void setRenderMode(RenderContext* rc, uint32_t mode); // modes 0..10 reassign slots; others do nothing
int setEngineOption(RenderContext* rc, uint32_t option, int value);  // 0 fog range, 1 quadratic fog, 2 focal length
inline constexpr int kDefaultFocalLength = 350;  // pixels; initEngine's projection
void buildProjectionTable(RenderContext* rc, int scale);  // fills ProjectionLut for a focal length in pixels

// The C runtime's rand of the handheld, so that every machine draws the same stars and
// random bytes: x = x * 214013 + 2531011 (mod 2^32), result (x >> 16) & 0x7FFF. The system
// never seeds it, so the sequence starts from 1 at program start.
int crtRand();
void crtSeed(uint32_t seed);  // restarts the sequence (tests and tools)

}  // namespace veloxia
