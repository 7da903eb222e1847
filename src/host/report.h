// SPDX-License-Identifier: MIT
// The results as the program prints them: fixed lines for people and scripts that parse
// benchmark output, or one JSON object with everything the run knows and how it was measured.
#pragma once

#include <optional>
#include <string>

#include "app/app.h"
#include "host/system_info.h"

namespace veloxia {

// What the host adds to a run's figures: how and on what it was measured.
struct Measurement {
    std::string mode;                          // "window" or "headless"
    ProcessorInfo cpu;
    std::optional<std::string> sceneSha256;    // none when the file cannot be read
    std::optional<std::string> textureSha256;
};
// Reads the processor and the data files' checksums for a run.
Measurement measure(const RunResult& run, bool headless);

std::string displayRoutineName(PresentFn present);
// "Average FPS: 23.45", "Min FPS: 19", "Max FPS: 27", one a line, then the precise figures;
// "-" for a rate that was never sampled; one line saying so for a run ended before its results.
std::string resultLines(const RunResult& run);
std::string resultJson(const RunResult& run, const Measurement& measurement);

}  // namespace veloxia
