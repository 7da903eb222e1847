// SPDX-License-Identifier: MIT
#include "host/report.h"

#include <cstdio>

#include <nlohmann/json.hpp>

#include "app/app.h"

namespace veloxia {

namespace {

std::string hundredths(uint32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%02u", value / 100, value % 100);
    return text;
}

}  // namespace

std::string displayRoutineName(PresentFn present) {
    if (present == &presentDirect) return "direct";
    if (present == &presentFixedAddress) return "fixed";
    if (present == &presentGeneric) return "generic";
    return "other";
}

RunReport collectReport(uint64_t passes, const MemoryStatus& memory) {
    RunReport r{};
    r.completed = framesAtEnd != 0;
    r.frames = framesAtEnd;
    r.averageTimes100 = averageTimes100();
    r.fpsMin = fpsMin;
    r.fpsMax = fpsMax;
    r.seconds = runSeconds;
    r.passes = passes;
    r.device = toUtf8(oemInfo);
    r.version = versionText;
    r.display = displayRoutineName(renderContext.present);
    r.url = launchedUrl;
    r.memory = memory;
    return r;
}

std::string resultLines(const RunReport& report) {
    return "Average FPS: " + hundredths(report.averageTimes100) + "\nMin FPS: " + std::to_string(report.fpsMin) +
           "\nMax FPS: " + std::to_string(report.fpsMax) + "\n";
}

std::string resultJson(const RunReport& report) {
    nlohmann::ordered_json j;
    j["completed"] = report.completed;
    // The nearest double to the two-decimal value, which prints as exactly those decimals.
    j["average"] = report.averageTimes100 / 100.0;
    j["frames"] = report.frames;
    j["min"] = report.fpsMin;
    j["max"] = report.fpsMax;
    j["seconds"] = report.seconds;
    j["passes"] = report.passes;
    j["device"] = report.device;
    j["version"] = report.version;
    j["display"] = report.display;
    j["memory"] = {{"load_percent", report.memory.loadPercent},
                   {"total_bytes", report.memory.totalBytes},
                   {"available_bytes", report.memory.availableBytes}};
    if (!report.url.empty()) j["url"] = report.url;
    j["build"] = {{"type", VX_BUILD_TYPE}, {"compiler", VX_COMPILER}, {"flags", VX_CXX_FLAGS},
                  {"lto", VX_LTO != 0}, {"native", VX_NATIVE != 0}, {"sanitize", VX_SANITIZE != 0}};
    return j.dump(2) + "\n";
}

}  // namespace veloxia
