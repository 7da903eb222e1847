// SPDX-License-Identifier: MIT
// The results as the program prints them: three fixed lines for people and scripts that parse
// benchmark output, or one JSON object with everything the run knows.
#pragma once

#include <cstdint>
#include <string>

#include "host/host.h"

namespace veloxia {

struct RunReport {
    bool completed;          // the run reached its results
    uint32_t frames;         // frames of the run (framesAtEnd)
    uint32_t averageTimes100;
    int32_t fpsMin;          // 9999999 when no non-zero sample was taken
    int32_t fpsMax;
    uint32_t seconds;        // length of the run
    uint64_t passes;         // frames presented by the whole program
    std::string device;      // UTF-8
    std::string version;
    std::string display;     // present routine: generic, direct or fixed
    std::string url;         // handed to the browser, empty when none was
    MemoryStatus memory;
};

// Gathered from the benchmark's globals after a run.
RunReport collectReport(uint64_t passes, const MemoryStatus& memory);
std::string displayRoutineName(PresentFn present);
// "Average FPS: 23.45", "Min FPS: 19", "Max FPS: 27", one a line.
std::string resultLines(const RunReport& report);
std::string resultJson(const RunReport& report);

}  // namespace veloxia
