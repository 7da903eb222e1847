// SPDX-License-Identifier: MIT
// Steps of the shading set-up shared between the display sources.
#pragma once

namespace veloxia {

void buildShadeLut();  // fills ShadeLut from the 512-colour palette

}  // namespace veloxia
