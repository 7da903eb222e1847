// SPDX-License-Identifier: MIT
// The validation runs, their digests, and the reference table's source.
#include "app/validation.h"

#include <cinttypes>
#include <cstdio>

#include "app/app.h"

namespace veloxia {

// The generated table (reference_digests.cpp): the digests of run `index`, empty past the end.
std::span<const uint64_t> referenceTable(std::size_t index);

namespace {

constexpr ValidationRun kRuns[] = {
    {"generic-1s", u"Validation", 1},
    {"direct-1s", u"Palmax", 1},
    {"fixed-1s", u"Compaq iPAQ", 1},
    {"generic-turn", u"Validation", 25},
};

constexpr std::size_t kPixels = std::size_t{kScreenWidth} * kScreenHeight;

// The benchmark as a person runs it, on the virtual clock: the title once, a tap, the run, a
// few results frames, then a quit. Nothing here touches the machine.
class ValidationHost final : public Host {
public:
    ValidationHost(const ValidationRun& run, std::filesystem::path data,
                   const std::function<void(const ValidationFrame&)>& seen)
        : run_(run), data_(std::move(data)), seen_(seen), portrait_(kPixels) {}

    InstanceClaim claimInstance() override { return {true, 0}; }
    Result openWindow() override { return Result::success(); }
    uint32_t ticks() override { return 0; }  // the virtual clock stands in for it
    bool pollEvent(HostEvent& event) override {
        if (quit_) {
            event = {HostEvent::Kind::quit, 0};
            return true;
        }
        if (!tap_) return false;
        tap_ = false;
        event = {HostEvent::Kind::touch, 0};
        return true;
    }
    void framePresented(const FrameRecord& frame) override {
        readDisplayPortrait(portrait_.data());
        seen_(ValidationFrame{&run_, frame.pass, frame.screen, portraitDigest(portrait_.data())});
        if (frame.screen == Screen::title) tap_ = true;
        if (frame.screen == Screen::results && ++results_ == kResultsFrames) quit_ = true;
    }
    std::u16string oemInfo() override { return run_.oem; }
    MemoryStatus memoryStatus() override { return {}; }
    std::filesystem::path executableDirectory() override { return data_; }
    void openBrowser(const std::string&) override {}

private:
    const ValidationRun& run_;
    std::filesystem::path data_;
    const std::function<void(const ValidationFrame&)>& seen_;
    std::vector<uint16_t> portrait_;
    uint32_t results_ = 0;
    bool tap_ = false;
    bool quit_ = false;
};

std::vector<uint16_t> shownPicture() {
    std::vector<uint16_t> picture(kPixels);
    readDisplayPortrait(picture.data());
    return picture;
}

}  // namespace

std::span<const ValidationRun> validationRuns() { return kRuns; }

std::span<const uint64_t> referenceDigests(const ValidationRun& run) {
    return referenceTable(static_cast<std::size_t>(&run - kRuns));
}

uint64_t portraitDigest(const uint16_t* portrait) {
    uint64_t hash = 0xcbf29ce484222325u;
    for (std::size_t i = 0; i < kPixels; ++i) {
        const uint32_t pixel = portrait[i];
        for (const uint32_t byte : {pixel & 0xFFu, pixel >> 8}) {
            hash ^= byte;
            hash *= 0x100000001b3u;
        }
    }
    return hash;
}

uint64_t screenDigest() { return portraitDigest(shownPicture().data()); }

const char* screenName(Screen screen) {
    switch (screen) {
    case Screen::title: return "title";
    case Screen::running: return "running";
    case Screen::lastRunning: return "last running frame";
    case Screen::results: return "results";
    case Screen::ending: return "ending";
    }
    return "?";
}

Result playValidationRun(const ValidationRun& run, const std::filesystem::path& dataDirectory,
                         const std::function<void(const ValidationFrame&)>& seen) {
    resetBenchmark();
    ValidationHost host(run, dataDirectory, seen);
    RunSettings settings;
    settings.seconds = run.seconds;
    settings.stepMs = kValidationStepMs;
    // A guard only: every run ends by its quit long before.
    settings.maxPasses = uint64_t{run.seconds} * 1000 / kValidationStepMs + 100;
    settings.dataDir = dataDirectory;
    RunResult result = runBenchmark(host, settings);
    setHost(nullptr);
    return std::move(result.outcome);
}

ValidationReport validateFrames(const std::filesystem::path& dataDirectory) {
    ValidationReport report;
    std::vector<uint16_t> previous;
    bool differs = false;
    for (const ValidationRun& run : kRuns) {
        const std::span<const uint64_t> reference = referenceDigests(run);
        uint64_t frames = 0;
        previous.clear();
        Result played = playValidationRun(run, dataDirectory, [&](const ValidationFrame& frame) {
            if (differs) return;
            ++frames;
            const uint64_t expected = frame.pass <= reference.size() ? reference[size_t(frame.pass - 1)] : 0;
            if (frame.digest == expected) {
                ++report.framesMatched;
                previous = shownPicture();
                return;
            }
            differs = true;
            report.mismatch = Mismatch{frame, expected, shownPicture(), previous};
        });
        if (!played) {
            report.outcome = std::move(played);
            return report;
        }
        if (differs) return report;
        // A run that ends before its reference did shows a missing frame as the difference.
        if (frames < reference.size()) {
            report.mismatch.frame = ValidationFrame{&run, frames + 1, Screen::ending, 0};
            report.mismatch.expected = reference[size_t(frames)];
            return report;
        }
    }
    report.matched = true;
    return report;
}

Recording recordValidationRuns(const std::filesystem::path& dataDirectory) {
    Recording recording;
    for (const ValidationRun& run : kRuns) {
        RecordedRun recorded{&run, {}, {}};
        Result played = playValidationRun(run, dataDirectory, [&](const ValidationFrame& frame) {
            recorded.digests.push_back(frame.digest);
            recorded.screens.push_back(frame.screen);
        });
        if (!played) {
            recording.outcome = std::move(played);
            return recording;
        }
        recording.runs.push_back(std::move(recorded));
    }
    return recording;
}

std::string referenceSource(const Recording& recording) {
    std::string out =
        "// SPDX-License-Identifier: MIT\n"
        "// Reference digests of the validation runs (validation.h), one a presented frame, pass 1 first.\n"
        "// Generated by scripts/reference_digests.sh; do not edit by hand.\n"
        "#include <cstddef>\n#include <cstdint>\n#include <span>\n\nnamespace veloxia {\n\nnamespace {\n";
    char line[64];
    // A run whose frames equal an earlier run's (the present routines all show the same
    // picture) shares that run's table.
    std::vector<std::size_t> table(recording.runs.size());
    for (std::size_t r = 0; r < recording.runs.size(); ++r) {
        const RecordedRun& run = recording.runs[r];
        table[r] = r;
        for (std::size_t k = 0; k < r && table[r] == r; ++k) {
            if (recording.runs[k].digests == run.digests) table[r] = k;
        }
        out += "\n// " + std::string(run.run->name) + ": " + std::to_string(run.digests.size()) + " frames";
        if (table[r] != r) {
            out += ", the same as " + std::string(recording.runs[table[r]].run->name) + "\n";
            continue;
        }
        out += "\n";
        // One line a run: the runs share their first frames, and a table nobody edits by hand
        // reads no better wrapped.
        out += "constexpr uint64_t kRun" + std::to_string(r) + "[] = {";
        for (std::size_t i = 0; i < run.digests.size(); ++i) {
            std::snprintf(line, sizeof line, "%s0x%016" PRIx64 "u", i == 0 ? "" : ", ", run.digests[i]);
            out += line;
        }
        out += "};\n";
    }
    out += "\n}  // namespace\n\nstd::span<const uint64_t> referenceTable(std::size_t index) {\n    switch (index) {\n";
    for (std::size_t r = 0; r < recording.runs.size(); ++r) {
        out += "    case " + std::to_string(r) + ": return kRun" + std::to_string(table[r]) + ";\n";
    }
    out += "    default: return {};\n    }\n}\n\n}  // namespace veloxia\n";
    return out;
}

std::vector<std::string> changedFrames(const Recording& recording) {
    std::vector<std::string> lines;
    for (const RecordedRun& run : recording.runs) {
        const std::span<const uint64_t> reference = referenceDigests(*run.run);
        const std::size_t n = std::max(run.digests.size(), reference.size());
        // Consecutive changed frames of the same screen make one line.
        std::size_t i = 0;
        while (i < n) {
            const auto changed = [&](std::size_t k) {
                return k >= run.digests.size() || k >= reference.size() || run.digests[k] != reference[k];
            };
            if (!changed(i)) {
                ++i;
                continue;
            }
            const auto screenAt = [&](std::size_t k) { return k < run.screens.size() ? screenName(run.screens[k]) : "gone"; };
            std::size_t j = i;
            while (j + 1 < n && changed(j + 1) && std::string(screenAt(j + 1)) == screenAt(i)) ++j;
            std::string text = std::string(run.run->name) + (i == j ? " pass " + std::to_string(i + 1)
                                                                   : " passes " + std::to_string(i + 1) + "-" +
                                                                         std::to_string(j + 1));
            lines.push_back(text + " (" + screenAt(i) + ")");
            i = j + 1;
        }
    }
    return lines;
}

}  // namespace veloxia
