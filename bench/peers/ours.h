// SPDX-License-Identifier: MIT
// Our side of the comparison: the benchmark's own loading and its running screen's object.
//
// A frame of ours is what the running screen spends on the object: renderRunningObject (the
// matrices and renderObject), the face queue's flush and the present routine into display
// memory. The stars and the rate overlay are left out, as the peers draw neither.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <veloxia/veloxia.h>

#include "timing.h"

namespace peers {

// Loads DIR/veloxia3dbench1 and DIR/veloxia3dbench2 as the benchmark does and picks the
// present routine; false with the reason in *error.
bool loadOurs(const std::filesystem::path& dataDir, std::string* error);
const veloxia::SceneObject& ourObject();
const char* ourPresentName();

void drawOurFrame(int32_t angle);
// Time of `frames` frames from angle `angle` on, 17 units apart (the peers are other
// processes, so this process's processor time is ours alone).
Timing timeOurFrames(int32_t angle, int32_t frames);
// The frame of this angle as the portrait display shows it, 240x320 RGB565.
std::vector<uint16_t> ourPicture(int32_t angle);

// The portrait picture of a landscape buffer, as the present routines turn it (the buffer's top
// row becomes the left-most screen column, read upwards).
std::vector<uint16_t> toPortrait(const std::vector<uint16_t>& landscape);
int64_t coveredPixels(const std::vector<uint16_t>& picture);  // pixels that are not black

}  // namespace peers
