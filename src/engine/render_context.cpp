// SPDX-License-Identifier: MIT
// The one render context. Its slots are filled by initEngine, which lives above every subsystem
// (src/default_slots.cpp) because it names the routines of all of them.
#include <veloxia/engine.h>

namespace veloxia {

RenderContext renderContext;

}  // namespace veloxia
