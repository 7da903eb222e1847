// SPDX-License-Identifier: MIT
#include "host/report.h"

#include <cmath>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "util/sha256.h"
#include "vx_revision.h"

namespace veloxia {

namespace {

std::string hundredths(uint32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%02u", value / 100, value % 100);
    return text;
}

std::string rate(const std::optional<int32_t>& value) { return value ? std::to_string(*value) : "-"; }

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// JSON numbers to a tenth of a microsecond (times) or a hundredth of a frame per second.
double rounded(double value, double scale) { return std::round(value * scale) / scale; }

template <typename T>
nlohmann::ordered_json orNull(const std::optional<T>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

}  // namespace

Measurement measure(const RunResult& run, bool headless) {
    return {headless ? "headless" : "window", processorInfo(), util::sha256File(run.sceneFile),
            util::sha256File(run.textureFile)};
}

std::string displayRoutineName(PresentFn present) {
    if (present == &presentDirect) return "direct";
    if (present == &presentFixedAddress) return "fixed";
    if (present == &presentGeneric) return "generic";
    return "other";
}

std::string resultLines(const RunResult& run) {
    if (!run.completed) {
        return "The run was ended before its results (" + std::to_string(run.passes) +
               " frames shown): no figures.\n";
    }
    std::string out = "Average FPS: " + hundredths(run.averageTimes100) + "\nMin FPS: " + rate(run.fpsMin) +
                      "\nMax FPS: " + rate(run.fpsMax) + "\n";
    if (const auto& t = run.frameTimes) {
        out += "Average FPS (precise): " + fixed(t->averageFps, 2) + "\n";
        out += "Frame time ms: median " + fixed(t->medianMs, 3) + ", 1st percentile " + fixed(t->p1Ms, 3) +
               ", 99th percentile " + fixed(t->p99Ms, 3) + ", worst " + fixed(t->worstMs, 3) + "\n";
        out += "1% low FPS: " + fixed(t->low1PctFps, 2) + "\n";
    }
    return out;
}

std::string resultJson(const RunResult& run, const Measurement& m) {
    using json = nlohmann::ordered_json;
    const bool done = run.completed;
    const std::optional<FrameTimeSummary>& t = run.frameTimes;
    json j;
    j["completed"] = done;
    // The nearest double to the two-decimal value, which prints as exactly those decimals.
    j["average"] = done ? json(run.averageTimes100 / 100.0) : json(nullptr);
    j["frames"] = done ? json(run.frames) : json(nullptr);
    j["min"] = done ? orNull(run.fpsMin) : json(nullptr);
    j["max"] = done ? orNull(run.fpsMax) : json(nullptr);
    j["average_precise"] = t ? json(rounded(t->averageFps, 100)) : json(nullptr);
    j["frame_time_ms"] = t ? json{{"median", rounded(t->medianMs, 1e4)},
                                  {"p1", rounded(t->p1Ms, 1e4)},
                                  {"p99", rounded(t->p99Ms, 1e4)},
                                  {"worst", rounded(t->worstMs, 1e4)}}
                           : json(nullptr);
    j["low_1pct_fps"] = t ? json(rounded(t->low1PctFps, 100)) : json(nullptr);
    j["seconds"] = run.seconds;
    j["passes"] = run.passes;
    j["mode"] = m.mode;
    j["clock"] = run.stepMs != 0 ? "virtual" : "real";
    j["step_ms"] = run.stepMs != 0 ? json(run.stepMs) : json(nullptr);
    j["present"] = displayRoutineName(run.present);
    j["device"] = run.device;
    j["cpu"] = {{"model", m.cpu.model}, {"online", m.cpu.online}};
    j["data"] = {{"scene", {{"file", run.sceneFile.string()}, {"sha256", orNull(m.sceneSha256)}}},
                 {"textures", {{"file", run.textureFile.string()}, {"sha256", orNull(m.textureSha256)}}},
                 {"sat_triangles", run.benchTriangles}};
    j["version"] = run.version;
    j["memory"] = {{"load_percent", run.memory.loadPercent},
                   {"total_bytes", run.memory.totalBytes},
                   {"available_bytes", run.memory.availableBytes}};
    if (!run.url.empty()) j["url"] = run.url;
    j["build"] = {{"version", run.version}, {"revision", VX_REVISION},     {"type", VX_BUILD_TYPE},
                  {"compiler", VX_COMPILER}, {"flags", VX_CXX_FLAGS},       {"lto", VX_LTO != 0},
                  {"native", VX_NATIVE != 0}, {"sanitize", VX_SANITIZE != 0}};
    return j.dump(2) + "\n";
}

}  // namespace veloxia
