// SPDX-License-Identifier: MIT
// Engine initialisation, render modes and engine options: the one file of the library that knows
// every subsystem, because the context's slots name routines of text, raster, display and pipeline.
// Nothing below it includes a folder above its own.
//
// initEngine builds every table and installs the default slots; setRenderMode and
// setEngineOption reassign slots and rebuild the fade ramp or the projection table later.
#include <veloxia/display.h>
#include <veloxia/engine.h>
#include <veloxia/fixedmath.h>
#include <veloxia/lights.h>
#include <veloxia/pipeline.h>
#include <veloxia/raster.h>
#include <veloxia/text.h>

#include <cstdint>

namespace veloxia {

void initEngine(RenderContext* rc) {
    // The light list belongs to the pipeline, the shading set-up to the display: engine start-up
    // empties the one before it sets up the other.
    setLightCount(0);
    initShading(-8192, 10);  // far distance, shade table, reciprocal tables, fade range 1024
    buildTrigTables();
    buildProjectionTable(rc, 350);
    resetFaceQueue(&faceQueue);
    buildGlyphMap();
    rc->frameCounter = 0;
    rc->reserved = 0;
    rc->presentRotation = 0;
    rc->drawText = drawTextPortrait;
    rc->fillTriangle = fillAffine;
    rc->shade = shadeClamp;
    rc->project = projectPortrait;
    for (int8_t& b : RandomBytes) b = int8_t(uint8_t(crtRand() & 0xFF));
    // The present slot is left for detectDisplay.
}

// One case a mode; any other value (compared unsigned) changes nothing.
void setRenderMode(RenderContext* rc, uint32_t mode) {
    switch (mode) {
    case 0:
        rc->shade = shadeFogLinear;
        break;
    case 1:
        rc->shade = shadeFogQuadratic;
        break;
    case 2:
        rc->shade = shadeClamp;
        break;
    case 3:
        rc->fillTriangle = fillPerspective;
        break;
    case 4:
    case 8:
        rc->fillTriangle = fillAffine;
        break;
    case 5:  // portrait view
        rc->project = projectPortrait;
        rc->drawText = drawTextPortrait;
        rc->presentRotation = 0;
        break;
    case 6:  // landscape view
        rc->project = projectLandscape;
        rc->drawText = drawTextLandscape;
        rc->presentRotation = 0;
        break;
    case 7:  // landscape view, device turned the other way
        rc->project = projectLandscape;
        rc->drawText = drawTextLandscape;
        rc->presentRotation = 1;
        break;
    case 9:
        rc->fillTriangle = fillFlat;
        break;
    case 10:
        rc->fillTriangle = fillWire;
        break;
    default:
        break;
    }
}

// Option 0: fade zone of the next power of two at or above value (128..4096), result 0.
// Option 1: quadratic fade, result 1. Option 2: focal length 64..1024, result 1 if taken.
int setEngineOption(RenderContext* rc, uint32_t option, int value) {
    switch (option) {
    case 0:
        if (value >= 128 && value <= 4096) setFogRange(ceilLog2(value));
        return 0;
    case 1:
        rc->shade = shadeFogQuadratic;
        return 1;
    case 2:
        if (value < 64 || value > 1024) return 0;
        buildProjectionTable(rc, value);
        return 1;
    default:
        return 0;
    }
}

}  // namespace veloxia
