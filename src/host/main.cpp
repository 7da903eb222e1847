// SPDX-License-Identifier: MIT
// veloxia3dbench: the benchmark in a window, or headless when there is no display.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/app.h"
#include "host/headless_host.h"
#include "host/options.h"
#include "host/png_writer.h"
#include "host/report.h"
#if VX_WITH_SDL
#include "host/sdl_host.h"
#endif
#include "host/system_info.h"
#include "host/upload_client.h"
#include "host/validate_command.h"

using namespace veloxia;

namespace {

PresentFn presentRoutine(const std::optional<std::string>& name) {
    if (!name) return nullptr;
    if (*name == "direct") return &presentDirect;
    if (*name == "fixed") return &presentFixedAddress;
    return &presentGeneric;
}

Ending ending(const Options& o) {
    if (o.upload) return Ending::upload;
    if (o.website) return Ending::website;
    return Ending::exit;
}

bool haveDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != 0) || (wayland != nullptr && *wayland != 0);
}

// The mistakes a screenshot path can be seen to hold before the run, so that a long run is not
// made for nothing: a missing directory, or a directory in the file's place. Empty when none.
std::string screenshotPathProblem(const std::filesystem::path& file) {
    std::error_code ignored;
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    if (file.filename().empty() || std::filesystem::is_directory(file, ignored)) return "it is a directory";
    if (!std::filesystem::is_directory(folder, ignored)) return "there is no directory " + folder.string();
    return {};
}

bool saveScreenshot(const SystemHost& host, const std::string& file) {
    std::vector<uint16_t> pixels(kScreenWidth * kScreenHeight);
    host.screenshot(pixels.data());
    const Result saved = writeRgb565Png(file, pixels.data(), kScreenWidth, kScreenHeight);
    if (saved) return true;
    std::fprintf(stderr, "veloxia3dbench: the screenshot was not saved: %s\n", saved.reason().c_str());
    return false;
}

// Results that never reached their reader (a full disk) are a failure.
bool flushOutput() {
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return true;
    std::fprintf(stderr, "veloxia3dbench: the results could not be written to standard output: %s\n",
                 std::strerror(errno));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (const std::optional<int> status = parseOptions(argc, argv, o)) return *status;
    const std::filesystem::path dataDir = o.data.empty() ? executableDirectory() : std::filesystem::path(o.data);
    if (o.validate) {
        if (!o.writeReference.empty()) return writeReferenceCommand(dataDir, o.writeReference);
        std::error_code ignored;
        if (!o.screenshot.empty() && !std::filesystem::is_directory(o.screenshot, ignored)) {
            std::fprintf(stderr, "veloxia3dbench: with --validate, --screenshot names a directory; %s is none\n",
                         o.screenshot.c_str());
            return 2;
        }
        return validateCommand(dataDir, o.screenshot);
    }
    if (!o.screenshot.empty()) {
        if (const std::string problem = screenshotPathProblem(o.screenshot); !problem.empty()) {
            std::fprintf(stderr, "veloxia3dbench: cannot save the screenshot to %s: %s\n", o.screenshot.c_str(),
                         problem.c_str());
            return 1;
        }
    }
    // Without a display SDL would pick an invisible driver and wait on an unseen title screen,
    // so headless is decided before any video is opened. A build without SDL has no window at all.
    const bool headless = o.headless || !haveDisplay() || !VX_WITH_SDL;
    if (o.upload && o.stepMs != 0) {
        std::fprintf(stderr, "veloxia3dbench: --upload sends a measured result, and a run on the virtual clock "
                             "(--step-ms) is not one; leave out --step-ms\n");
        return 2;
    }
    if (!headless && (o.upload || o.website)) {
        std::fprintf(stderr, "veloxia3dbench: --upload and --website choose how a headless run ends; "
                             "in a window, tap the results screen\n");
        return 2;
    }

    const SystemHostConfig system{o.oem, !o.json};
    std::unique_ptr<SystemHost> host;
#if VX_WITH_SDL
    if (!headless) host = std::make_unique<SdlHost>(SdlConfig{system, o.scale, o.fullscreen, defaultInstanceName()});
#endif
    if (!host) {
        // A run on the virtual clock measures no time, so it may run beside a real one (CI,
        // instruction counts); every other run takes the per-user lock.
        host = std::make_unique<HeadlessHost>(HeadlessConfig{
            system, ending(o), isatty(STDOUT_FILENO) != 0 && !o.json, o.stepMs != 0 ? "" : defaultInstanceName()});
    }

    // Which data a run uses is never a guess: the files are named before anything is drawn.
    std::error_code ignored;
    const std::filesystem::path shownDir = std::filesystem::weakly_canonical(dataDir, ignored);
    std::fprintf(stderr, "veloxia3dbench: data files %s and %s\n", (shownDir / kSceneFileName).c_str(),
                 (shownDir / kTextureFileName).c_str());
    const RunSettings settings{o.seconds, presentRoutine(o.display), o.stepMs, o.frames, dataDir, o.resultsServer};
    const RunResult run = runBenchmark(*host, settings);
    if (run.secondInstance) {
        // Two runs side by side would share the processor and both report low figures.
        const std::string who = run.otherPid != 0 ? " as process " + std::to_string(run.otherPid) : "";
        std::fprintf(stderr, "veloxia3dbench: already running%s (one run at a time; a window is brought to the front)\n",
                     who.c_str());
        return 0;
    }
    if (!run.outcome) {
        std::fprintf(stderr, "veloxia3dbench: %s\n", run.outcome.reason().c_str());
        return 1;
    }
    // The results come out even when the screenshot cannot be saved: the run is not lost.
    const bool saved = o.screenshot.empty() || saveScreenshot(*host, o.screenshot);

    if (o.json) {
        std::fputs(resultJson(run, measure(run, headless)).c_str(), stdout);
    } else {
        std::fputs(resultLines(run).c_str(), stdout);
    }
    const bool printed = flushOutput();
    // Headless, the upload is sent here, after the results are out: an unreachable server loses
    // nothing but the upload.
    bool sent = true;
    if (headless && o.upload && !run.url.empty()) {
        FILE* verdictOut = o.json ? stderr : stdout;
        std::fprintf(verdictOut, "Sending the results: %s\n", run.url.c_str());
        const UploadVerdict verdict = sendResults(run.url);
        std::fprintf(verdict.stored ? verdictOut : stderr, "%s%s\n", verdict.stored ? "Results server: " : "veloxia3dbench: ",
                     verdict.message.c_str());
        sent = verdict.stored;
    }
    return printed && saved && sent && flushOutput() ? 0 : 1;
}
