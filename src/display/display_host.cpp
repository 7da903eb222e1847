// SPDX-License-Identifier: MIT
// The display host hooks, display detection and reading the shown picture back.
//
// Without a host the engine draws into built-in memory: one block of 319 + 76800 pixels with the
// Game API pointer at pixel 319. The generic routine writes the 76800 pixels from the pointer, the
// direct one the 76800 pixels from 319 pixels (638 bytes) before it, and the fixed-address region
// is the start of the same block, so every routine has room.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include <veloxia/display.h>

#include "display/display_memory.h"

namespace veloxia {
namespace {

constexpr int kDirectLead = 319;  // pixels of the direct region before the Game API pointer

alignas(64) uint16_t builtInMemory[kDirectLead + kScreenWidth * kScreenHeight];

uint16_t* builtInBeginDraw() { return builtInMemory + kDirectLead; }
int builtInEndDraw() { return 1; }
std::u16string builtInOemInfo() { return {}; }

DisplayHost defaultHost() { return {builtInBeginDraw, builtInEndDraw, builtInMemory, builtInOemInfo}; }

DisplayHost currentHost = defaultHost();
LastPresent lastPresent;

// Character i of the OEM string, 0 past its end.
char16_t oemChar(const std::u16string& oem, size_t i) { return i < oem.size() ? oem[i] : u'\0'; }

bool startsWith(const std::u16string& oem, const char16_t* word) {
    for (size_t i = 0; word[i] != u'\0'; ++i) {
        if (oemChar(oem, i) != word[i]) return false;
    }
    return true;
}

}  // namespace

void setDisplayHost(const DisplayHost& host) {
    const DisplayHost fallback = defaultHost();
    currentHost.beginDraw = host.beginDraw ? host.beginDraw : fallback.beginDraw;
    currentHost.endDraw = host.endDraw ? host.endDraw : fallback.endDraw;
    currentHost.fixedAddressRegion = host.fixedAddressRegion ? host.fixedAddressRegion : fallback.fixedAddressRegion;
    currentHost.oemInfo = host.oemInfo ? host.oemInfo : fallback.oemInfo;
    lastPresent = {};
}

uint16_t* GXBeginDraw() { return currentHost.beginDraw(); }
int GXEndDraw() { return currentHost.endDraw(); }
uint16_t* fixedAddressRegion() { return currentHost.fixedAddressRegion; }

void recordPresent(DisplayLayout layout, uint16_t* memory) { lastPresent = {layout, memory}; }

// The OEM query cannot fail here; an empty or unknown string selects the generic routine.
int detectDisplay(RenderContext* rc) {
    const std::u16string oem = currentHost.oemInfo();
    PresentFn present = presentGeneric;
    if (startsWith(oem, u"Compaq")) {
        present = oemChar(oem, 14) == u'8' ? presentFixedAddress : presentDirect;
    } else if (startsWith(oem, u"Palmax")) {
        present = presentDirect;
    }
    rc->present = present;
    return 1;
}

void readDisplayPortrait(uint16_t* portrait) { readDisplayPortrait(portrait, kScreenWidth); }

// One straight loop per layout, chosen once: a window host runs this after every present.
void readDisplayPortrait(uint16_t* portrait, std::ptrdiff_t linePixels) {
    const uint16_t* m = lastPresent.memory;
    switch (lastPresent.layout) {
    case DisplayLayout::none:
        for (int py = 0; py < kScreenHeight; ++py) std::fill_n(portrait + py * linePixels, kScreenWidth, uint16_t{0});
        break;
    case DisplayLayout::portrait:
        for (int py = 0; py < kScreenHeight; ++py) {
            std::memcpy(portrait + py * linePixels, m + py * kScreenWidth, kScreenWidth * sizeof(uint16_t));
        }
        break;
    // Portrait pixel (px, py) is line px, pixel 319 - py: the straight copy then shows what the
    // counter-clockwise generic path shows.
    case DisplayLayout::direct:
        for (int py = 0; py < kScreenHeight; ++py) {
            uint16_t* out = portrait + py * linePixels;
            const uint16_t* in = m + (kBufferWidth - 1 - py);
            for (int px = 0; px < kScreenWidth; ++px) out[px] = in[px * kBufferWidth];
        }
        break;
    // The fixed-address display is mounted the other way round: line 239 - px, pixel py.
    case DisplayLayout::fixedAddress:
        for (int py = 0; py < kScreenHeight; ++py) {
            uint16_t* out = portrait + py * linePixels;
            const uint16_t* in = m + (kBufferHeight - 1) * kBufferWidth + py;
            for (int px = 0; px < kScreenWidth; ++px) out[px] = in[-px * kBufferWidth];
        }
        break;
    }
}

}  // namespace veloxia
