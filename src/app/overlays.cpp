// SPDX-License-Identifier: MIT
// Two debugging read-outs the engine offers to programs built on it; the benchmark's own
// screens do not call them.
#include <algorithm>
#include <cstdlib>

#include "app/app.h"

namespace veloxia {

namespace {
uint32_t overlaySampleTick = 0;  // tick of the overlay's previous sample
char overlayText[16] = {};       // text of its latest sample
}  // namespace

void drawFpsOverlay(int32_t row) {
    if (renderContext.frameCounter % 8 == 0) {
        const uint32_t now = tickCount();
        const int32_t elapsed = static_cast<int32_t>(now - overlaySampleTick);
        overlaySampleTick = now;
        // As in the running screen, a sample over 0 ms is skipped.
        if (elapsed != 0) formatDecimal(8000 / elapsed, overlayText);
    }
    renderContext.drawText(0, row, 31, overlayText, 0);
}

void drawNumberOverlay(int32_t a, int32_t b, int32_t c) {
    const int32_t values[3] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        const int32_t row = 20 + 10 * i;
        // The sign marker is the hyphen; magnitudes beyond seven digits show as 9999999.
        if (values[i] < 0) renderContext.drawText(0, row, 31, "-", 0);
        const int64_t magnitude = std::min<int64_t>(std::llabs(int64_t{values[i]}), 9999999);
        char digits[16];
        formatDecimal(static_cast<int32_t>(magnitude), digits);
        renderContext.drawText(10, row, 31, digits, 0);
    }
}

}  // namespace veloxia
