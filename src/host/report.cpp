// SPDX-License-Identifier: MIT
#include "host/report.h"

#include <cstdio>

#include <nlohmann/json.hpp>

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

std::string resultLines(const RunResult& report) {
    return "Average FPS: " + hundredths(report.averageTimes100) + "\nMin FPS: " + std::to_string(report.fpsMin.value_or(9999999)) +
           "\nMax FPS: " + std::to_string(report.fpsMax.value_or(0)) + "\n";
}

std::string resultJson(const RunResult& report) {
    nlohmann::ordered_json j;
    j["completed"] = report.completed;
    // The nearest double to the two-decimal value, which prints as exactly those decimals.
    j["average"] = report.averageTimes100 / 100.0;
    j["frames"] = report.frames;
    j["min"] = report.fpsMin.value_or(9999999);
    j["max"] = report.fpsMax.value_or(0);
    j["seconds"] = report.seconds;
    j["passes"] = report.passes;
    j["device"] = report.device;
    j["version"] = report.version;
    j["display"] = displayRoutineName(report.present);
    j["memory"] = {{"load_percent", report.memory.loadPercent},
                   {"total_bytes", report.memory.totalBytes},
                   {"available_bytes", report.memory.availableBytes}};
    if (!report.url.empty()) j["url"] = report.url;
    j["build"] = {{"type", VX_BUILD_TYPE}, {"compiler", VX_COMPILER}, {"flags", VX_CXX_FLAGS},
                  {"lto", VX_LTO != 0}, {"native", VX_NATIVE != 0}, {"sanitize", VX_SANITIZE != 0}};
    return j.dump(2) + "\n";
}

}  // namespace veloxia
