// SPDX-License-Identifier: MIT
#include "host/validate_command.h"

#include <cinttypes>
#include <cstdio>
#include <span>

#include "app/validation.h"
#include "util/atomic_file.h"
#include "host/png_writer.h"

namespace veloxia {

namespace {

std::string frameName(const ValidationFrame& frame) {
    return std::string(frame.run->name) + " pass " + std::to_string(frame.pass) + " (" + screenName(frame.screen) + ")";
}

// DIR/<run>-<pass>-<what>.png; false (with the reason on standard error) when it cannot be saved.
bool savePicture(const std::string& dir, const ValidationFrame& frame, uint64_t pass, const char* what,
                 const std::vector<uint16_t>& picture) {
    char name[96];
    std::snprintf(name, sizeof name, "%s-%05" PRIu64 "-%s.png", frame.run->name, pass, what);
    const std::filesystem::path file = std::filesystem::path(dir) / name;
    if (const Result saved = writeRgb565Png(file, picture.data(), kScreenWidth, kScreenHeight); !saved) {
        std::fprintf(stderr, "veloxia3dbench: %s was not saved: %s\n", file.c_str(), saved.reason().c_str());
        return false;
    }
    std::printf("saved %s\n", file.c_str());
    return true;
}

}  // namespace

int validateCommand(const std::filesystem::path& dataDir, const std::string& screenshotDir) {
    const ValidationReport report = validateFrames(dataDir);
    if (!report.outcome) {
        std::fprintf(stderr, "veloxia3dbench: %s\n", report.outcome.reason().c_str());
        return 1;
    }
    if (report.matched) {
        std::printf("validation: %" PRIu64 " frames match\n", report.framesMatched);
        return 0;
    }
    const Mismatch& m = report.mismatch;
    std::printf("validation: %s differs: digest 0x%016" PRIx64 ", expected 0x%016" PRIx64 " (%" PRIu64
                " frames matched before it)\n",
                frameName(m.frame).c_str(), m.frame.digest, m.expected, report.framesMatched);
    if (!screenshotDir.empty() && !m.actual.empty()) {
        savePicture(screenshotDir, m.frame, m.frame.pass, "actual", m.actual);
        // The frame before matched its reference, so it is the reference build's picture there.
        if (!m.previous.empty()) savePicture(screenshotDir, m.frame, m.frame.pass - 1, "before-matched", m.previous);
    }
    return 1;
}

int writeReferenceCommand(const std::filesystem::path& dataDir, const std::filesystem::path& output) {
    const Recording recording = recordValidationRuns(dataDir);
    if (!recording.outcome) {
        std::fprintf(stderr, "veloxia3dbench: %s\n", recording.outcome.reason().c_str());
        return 1;
    }
    const std::string source = referenceSource(recording);
    const auto* bytes = reinterpret_cast<const uint8_t*>(source.data());
    if (const Result written = writeFileAtomically(output, std::span<const uint8_t>(bytes, source.size())); !written) {
        std::fprintf(stderr, "veloxia3dbench: %s\n", written.reason().c_str());
        return 1;
    }
    const std::vector<std::string> changed = changedFrames(recording);
    std::size_t frames = 0;
    for (const RecordedRun& run : recording.runs) frames += run.digests.size();
    std::printf("wrote %zu reference digests to %s\n", frames, output.c_str());
    if (changed.empty()) std::printf("no frame changed\n");
    for (const std::string& line : changed) std::printf("changed: %s\n", line.c_str());
    return 0;
}

}  // namespace veloxia
