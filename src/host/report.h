// SPDX-License-Identifier: MIT
// The results as the program prints them: three fixed lines for people and scripts that parse
// benchmark output, or one JSON object with everything the run knows.
#pragma once

#include <string>

#include "app/app.h"

namespace veloxia {

std::string displayRoutineName(PresentFn present);
// "Average FPS: 23.45", "Min FPS: 19", "Max FPS: 27", one a line.
std::string resultLines(const RunResult& run);
std::string resultJson(const RunResult& run);

}  // namespace veloxia
