// SPDX-License-Identifier: MIT
// veloxia_soak: the benchmark's deterministic mode for a long time (a million frames by
// default), checking that resident memory stays flat and that the pictures repeat with the
// period of the Sat's rotation.
//
// A program of its own rather than an option of veloxia3dbench: the checks need a hook on every
// frame (a checksum of the FrameBuffer before present clears it, a look at /proc), which the
// shipped program has no reason to carry in its loop or its --help. What runs is the same:
// runBenchmark with start-up, the running screen, the engine and the generic present routine,
// on the virtual clock that the program's --step-ms uses, through a minimal in-memory Host.
//
// What the checksum covers: every FrameBuffer cell (colour and depth) except the 100 star cells.
// The stars twinkle by float steps of 0.2 between 8 and 31, a cycle unrelated to the rotation,
// and a blended face of the Sat over a star mixes in its brightness, so a star's cell is left
// out whatever covers it. The frame-rate text stays in: on a clock of 10 ms a frame every
// sample after the first reads "100", so from frame 16 on it is the same on every frame.
//
// The rotation: the running screen adds 17 to `angle` a frame and turns the Sat by angle / 20
// about z and angle / 10 about y, 2048 units a turn. Both poses come back when angle has grown
// by a multiple of 20 * 2048 = 40960; 17 shares no factor with that, so the pictures repeat
// every 40960 frames. The soak compares each frame with the one a period earlier, and also
// reports the smallest period the first two periods show.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <vector>

#include <CLI/CLI.hpp>

#include "app/app.h"
#include "host/system_info.h"

using namespace veloxia;

namespace {

constexpr uint32_t kStepMs = 10;          // the virtual clock: 100 frames a second
constexpr uint64_t kSteadyFrom = 64;      // frames before the overlay text settles, with room
constexpr int32_t kTurn = 2048;           // angle units a turn
constexpr int32_t kAngleIncrease = 17;    // per frame, times angleStep (1)
constexpr int32_t kSlowestDivisor = 20;   // rotateZ(angle / 20)

// Frames after which angle / 10 and angle / 20 are both back where they were.
uint64_t rotationPeriod() {
    const int32_t cycle = kSlowestDivisor * kTurn;
    return uint64_t(cycle / std::gcd(kAngleIncrease * angleStep, cycle));
}

// Resident set size of this process in KiB.
uint64_t residentKiB() {
    std::ifstream statm("/proc/self/statm");
    uint64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * uint64_t(sysconf(_SC_PAGESIZE)) / 1024;
}

struct Figures {
    uint64_t frames = 0;
    uint64_t rssFirst = 0, rssLast = 0, rssMax = 0;  // KiB, over the samples
    uint64_t samples = 0;
    uint64_t compared = 0;        // frames compared with the frame a period earlier
    uint64_t mismatches = 0;
    uint64_t firstMismatch = 0;   // frame number, 0 when none
    uint64_t smallestPeriod = 0;  // 0 until two periods have been seen, or when none fits
};

class Soak {
public:
    // One reading and one line of output before the run: the first use of /proc and of standard
    // output allocates their buffers, which would otherwise show as growth after the first sample.
    Soak(uint64_t sampleEvery, bool verbose)
        : period_(rotationPeriod()), sampleEvery_(sampleEvery), verbose_(verbose), history_(2 * period_) {
        std::printf("veloxia_soak: rss %llu KiB before the run\n", static_cast<unsigned long long>(residentKiB()));
        std::fflush(stdout);
    }

    // Called by present before it reads and clears the FrameBuffer.
    void frame() {
        ++figures_.frames;
        if (starCells_.empty()) findStarCells();
        const uint64_t n = figures_.frames;
        if (n >= kSteadyFrom) record(n - kSteadyFrom, checksum());
        if (n % sampleEvery_ == 0) sample();
    }

    const Figures& figures() const { return figures_; }
    uint64_t period() const { return period_; }
    uint64_t framesForPeriod() const { return kSteadyFrom + 2 * period_; }

private:
    void findStarCells() {
        for (const Star& s : stars) starCells_.push_back(s.y * kBufferWidth + s.x);
        std::sort(starCells_.begin(), starCells_.end());
        starCells_.erase(std::unique(starCells_.begin(), starCells_.end()), starCells_.end());
        starCells_.push_back(kBufferCells);  // the end, as one more skipped cell
    }

    // 64-bit FNV-1a over whole cells, star cells skipped.
    uint64_t checksum() const {
        uint64_t hash = 0xcbf29ce484222325ull;
        int32_t cell = 0;
        for (const int32_t skipped : starCells_) {
            for (; cell < skipped; ++cell) hash = (hash ^ FrameBuffer[cell]) * 0x100000001b3ull;
            cell = skipped + 1;
        }
        return hash;
    }

    // Frame i of the steady part: compared with frame i - period, kept for period frames more.
    void record(uint64_t i, uint64_t sum) {
        uint64_t& slot = history_[i % history_.size()];
        if (i >= period_) {
            ++figures_.compared;
            if (history_[(i - period_) % history_.size()] != sum && figures_.mismatches++ == 0)
                figures_.firstMismatch = figures_.frames;
        }
        slot = sum;
        if (i + 1 == history_.size()) figures_.smallestPeriod = smallestPeriod();
    }

    // The smallest shift p (up to one rotation period) under which the first two periods repeat.
    uint64_t smallestPeriod() const {
        const size_t n = history_.size();
        for (size_t p = 1; p <= period_; ++p) {
            size_t j = 0;
            while (j + p < n && history_[j] == history_[j + p]) ++j;
            if (j + p == n) return p;
        }
        return 0;
    }

    void sample() {
        const uint64_t rss = residentKiB();
        if (figures_.samples++ == 0) figures_.rssFirst = rss;
        figures_.rssLast = rss;
        figures_.rssMax = std::max(figures_.rssMax, rss);
        if (verbose_) {
            std::printf("frame %9llu  rss %7llu KiB\n", static_cast<unsigned long long>(figures_.frames),
                        static_cast<unsigned long long>(rss));
            std::fflush(stdout);
        }
    }

    uint64_t period_;
    uint64_t sampleEvery_;
    bool verbose_;
    std::vector<uint64_t> history_;  // checksums of the last two periods; zero-filled up front
    std::vector<int32_t> starCells_;
    Figures figures_;
};

Soak* activeSoak = nullptr;
std::array<uint16_t, kScreenWidth * kScreenHeight> display{};

uint16_t* beginDraw() {
    activeSoak->frame();
    return display.data();
}

// Taps the title once, as the headless host does, and otherwise stays out of the way.
class SoakHost : public Host {
public:
    explicit SoakHost(std::filesystem::path data) : data_(std::move(data)) {}
    InstanceClaim claimInstance() override { return {true, 0}; }
    Result openWindow() override { return Result::success(); }
    DisplayHost displayHooks() override { return {&beginDraw, nullptr, nullptr, nullptr}; }
    uint32_t ticks() override { return 0; }  // the virtual clock stands in for it
    bool pollEvent(HostEvent& event) override {
        if (tapped_) return false;
        tapped_ = true;
        event = HostEvent{HostEvent::Kind::touch, 0};
        return true;
    }
    std::u16string oemInfo() override { return {}; }
    MemoryStatus memoryStatus() override { return {}; }
    std::filesystem::path executableDirectory() override { return data_; }
    void openBrowser(const std::string&) override {}

private:
    std::filesystem::path data_;
    bool tapped_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    uint64_t frames = 1000000;
    uint64_t sampleEvery = 10000;
    uint64_t slackKiB = 1024;
    std::string data = veloxia::executableDirectory().string();
    bool quiet = false;
    CLI::App cli{"veloxia_soak: runs the benchmark's deterministic mode (10 ms a frame) for a long time and "
                 "checks that resident memory stays flat and that the frames repeat with the Sat's rotation "
                 "(40960 frames)."};
    cli.add_option("--frames", frames, "frames to run")->capture_default_str()->check(CLI::Range(uint64_t{1}, uint64_t{100000000}));
    cli.add_option("--sample-every", sampleEvery, "frames between two readings of the resident memory")
        ->capture_default_str()->check(CLI::Range(uint64_t{1}, uint64_t{100000000}));
    cli.add_option("--rss-slack", slackKiB, "KiB the resident memory may grow over the first reading")->capture_default_str();
    cli.add_option("--data", data, "folder of veloxia3dbench1 and veloxia3dbench2")->capture_default_str();
    cli.add_flag("--quiet", quiet, "print only the summary");
    cli.footer("Exit status: 0 memory flat and frames periodic, 1 not (or the data could not be loaded), 2 bad usage.");
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = cli.exit(e);
        return status == 0 ? 0 : 2;
    }

    Soak soak(sampleEvery, !quiet);
    activeSoak = &soak;
    SoakHost host(data);
    // Long enough that the run never reaches its results: every frame is a running frame.
    const RunSettings settings{uint32_t(frames * kStepMs / 1000 + 10), &presentGeneric, kStepMs, frames, {}};
    const auto start = std::chrono::steady_clock::now();
    const RunResult run = runBenchmark(host, settings);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!run.outcome) {
        std::fprintf(stderr, "veloxia_soak: %s\n", run.outcome.reason().c_str());
        return 1;
    }

    const Figures& f = soak.figures();
    std::printf("frames: %llu in %.1f s (%.0f frames/s)\n", static_cast<unsigned long long>(f.frames), seconds,
                double(f.frames) / seconds);
    std::printf("rss KiB: first %llu, last %llu, max %llu (%llu samples)\n", static_cast<unsigned long long>(f.rssFirst),
                static_cast<unsigned long long>(f.rssLast), static_cast<unsigned long long>(f.rssMax),
                static_cast<unsigned long long>(f.samples));
    bool ok = f.rssMax <= f.rssFirst + slackKiB;
    if (!ok) std::printf("FAIL: resident memory grew by %llu KiB\n", static_cast<unsigned long long>(f.rssMax - f.rssFirst));
    if (f.frames < soak.framesForPeriod()) {
        std::printf("period: not checked, it needs at least %llu frames\n",
                    static_cast<unsigned long long>(soak.framesForPeriod()));
    } else {
        std::printf("period: expected %llu, smallest found %llu; %llu frames compared with the frame a period "
                    "earlier, %llu differ\n",
                    static_cast<unsigned long long>(soak.period()), static_cast<unsigned long long>(f.smallestPeriod),
                    static_cast<unsigned long long>(f.compared), static_cast<unsigned long long>(f.mismatches));
        if (f.mismatches != 0) {
            ok = false;
            std::printf("FAIL: frame %llu differs from the frame a period earlier\n",
                        static_cast<unsigned long long>(f.firstMismatch));
        }
    }
    std::printf("%s\n", ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
