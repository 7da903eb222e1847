// SPDX-License-Identifier: MIT
// Colour model, shade table, depth shading, display detection and the present routines.
//
// A ColorIndex is an RGB333 colour number in bits 13..5 and a shade level 0..31 in bits 4..0.
// FrameBuffer cells hold a ColorIndex in the low half and a depth (larger is farther) in the
// high half. Present converts every cell through ShadeLut into RGB565 display memory and clears
// it in the same pass. Display memory is reached only through the DisplayHost hooks; with no
// host installed a built-in memory serves every layout.
#pragma once

#include <cstdint>
#include <string>

#include "engine.h"

namespace veloxia {

using ColorIndex = uint16_t;

alignas(64) extern uint32_t FrameBuffer[kBufferCells];  // cell (x, y) at y * 320 + x: depth << 16 | ColorIndex
alignas(64) extern uint16_t ShadeLut[16384];             // RGB565 of each ColorIndex

extern int32_t fogFar;     // depth at which the fade ends (8192 after initEngine)
extern int32_t fogRange;   // length of the fade zone, 1 << fogShift
extern int32_t fogShift;   // 8..12
extern uint8_t fogRamp[4096];  // entry d = floor(256 d^2 / fogRange^2) for d < fogRange

int makeColorIndex(int r, int g, int b);  // 8-bit channels to a ColorIndex with shade level 0
void colorIndexToRgb(int index, int32_t& r, int32_t& g, int32_t& b);  // read back through ShadeLut
void initShading(int farZ, int rangeShift);  // fogFar, ShadeLut, reciprocal tables, fog range (initEngine turns the lights off first)
void setFogRange(int shift);                 // fogShift = shift limited to 8..12, rebuilds fogRamp

// Shade slot functions: depth taken as signed 16-bit; the result is 1..31.
int16_t shadeClamp(int depth, int level);
int16_t shadeFogLinear(int depth, int level);
int16_t shadeFogQuadratic(int depth, int level);

// What replaces the handheld's display. A host installs its hooks with setDisplayHost.
// presentGeneric writes 320 lines of 240 pixels from the beginDraw pointer P; presentDirect
// writes 240 lines of 320 pixels starting 319 pixels before P. One block of 319 + 76800 pixels
// with P at block + 319 therefore serves both.
struct DisplayHost {
    uint16_t* (*beginDraw)();       // stands for GXBeginDraw: the display pointer
    int (*endDraw)();               // stands for GXEndDraw: called after the copy, result returned
    uint16_t* fixedAddressRegion;   // the 153600-byte memory presentFixedAddress writes
    std::u16string (*oemInfo)();    // the OEM information string detectDisplay reads
};

void setDisplayHost(const DisplayHost& host);  // installs the hooks; fields left null keep the built-in default
uint16_t* GXBeginDraw();
int GXEndDraw();

int detectDisplay(RenderContext* rc);  // picks the present routine from the OEM string; returns 1
int presentGeneric();       // rotates onto a 240-pixel-line portrait display
int presentDirect();        // straight or reversed copy onto a 320-pixel-line display
int presentFixedAddress();  // the same onto the fixed region, senses exchanged; no Game API call
void rotateCopyCounterClockwise(uint32_t* source, uint32_t* destination, const uint16_t* table);

// The upright 240x320 portrait picture (RGB565, row-major) the display shows after the last
// present, read back from the memory that present wrote, through the layout of its routine.
// All zero before the first present.
void readDisplayPortrait(uint16_t* portrait);

}  // namespace veloxia
