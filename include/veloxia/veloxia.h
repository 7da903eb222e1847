// SPDX-License-Identifier: MIT
// veloxia: an integer-only 3D engine for a 320x240 working buffer shown on a 240x320 screen.
//
// The one header a program includes. Everything lives in namespace veloxia. Call initEngine
// once, then detectDisplay (or set the present slot yourself), then draw: renderObject for scene
// objects, the imm* calls for immediate mode, renderWorld for a built world; flush the face
// queue and call the present slot once per frame.
//
// Errors: a call that can fail returns 1 on success and 0 on failure, as the engine always has;
// the loaders leave the reason in lastLoadError(). Nothing throws, nothing aborts: bad data is
// refused or drawn within the buffers, never read or written outside them.
#pragma once

#include "types.h"
#include "engine.h"
#include "fixedmath.h"
#include "matrix.h"
#include "display.h"
#include "text.h"
#include "data.h"
#include "pipeline.h"
#include "lights.h"
#include "immediate.h"
#include "raster.h"
#include "world.h"
