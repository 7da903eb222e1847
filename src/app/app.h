// SPDX-License-Identifier: MIT
// The benchmark: state machine, start-up, the three screens, the frame-rate measurement and the
// two browser endings.
//
// All state is process-wide, as the engine's is. The core makes no platform call: the machine
// is reached through the Host installed with setHost (or passed to runBenchmark), and the host
// learns the outcome from the RunResult, never from these globals. One run per program start:
// title, run, results, then exit, upload or web page; button A or a quit request end it at any
// time. resetBenchmark puts every global back to its start value.
//
// Errors: what can fail returns a Result with the reason (start-up names the file and why).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include <veloxia/veloxia.h>

#include "app/frame_times.h"
#include "app/host_interface.h"
#include "util/result.h"

namespace veloxia {

// ---- State machine and main loop ----------------------------------------------------------

// Six flags, each 0 or 1; more than one may be set. The loop tests them one after another.
struct BenchmarkState {
    uint32_t title;    // the title screen is drawn on every pass
    uint32_t running;  // the run is in progress
    uint32_t results;  // the results screen is drawn on every pass
    uint32_t upload;   // the next pass launches the results upload
    uint32_t website;  // the next pass opens the maker's web page
    uint32_t exit;     // the loop ends at its next test
};

extern BenchmarkState benchmarkState;
extern uint32_t endTick;        // tick count (ms) after which the run ends
extern uint8_t keyState[256];   // 1 while the key with that low byte is down
extern uint32_t anyKeyPressed;  // set by every key-down

void setHost(Host* host);  // the host every routine below talks to
Host* activeHost();
uint32_t tickCount();      // the run's clock: the host's ticks, or the virtual clock
bool onVirtualClock();     // the deterministic mode's clock is in use

// What the window procedure does with one event (a quit request is the loop's business).
void windowProc(const HostEvent& event);
// One frame: counter, screen handlers in flag order, queue flush, present. Returns what the
// pass showed (the host is handed the same record).
FrameRecord idlePass();

struct RunSettings {
    uint32_t seconds = 100;          // length of the run
    PresentFn presentOverride = nullptr;  // replaces the detected present routine
    uint32_t stepMs = 0;             // non-zero: virtual clock advancing this much per pass
    uint64_t maxPasses = 0;          // non-zero: the program ends after this many passes
    std::filesystem::path dataDir;   // where the data files are read; empty: beside the program
    std::string resultsServer;       // scheme and host of the results server; empty: the build's
};

// Everything a run leaves for the host to print, save or send.
struct RunResult {
    Result outcome;                  // failed: the window or start-up, with the reason
    bool secondInstance = false;     // another instance runs; nothing was opened
    int otherPid = 0;                // its process id, 0 when unknown
    uint64_t passes = 0;             // idle passes made
    bool completed = false;          // the run reached its results
    uint32_t frames = 0;             // frames of the run (the handheld's framesAtEnd)
    uint32_t seconds = 0;            // length of the run
    uint32_t averageTimes100 = 0;    // the handheld's average, times 100
    std::optional<int32_t> fpsMin;   // lowest and highest sampled rates; none without a sample
    std::optional<int32_t> fpsMax;
    std::string device;              // UTF-8
    std::string version;
    PresentFn present = nullptr;     // the present routine used
    MemoryStatus memory{};           // read once a run; the results URL carries the same figures
    std::string url;                 // handed to the browser (or only shown), empty when none
    uint32_t stepMs = 0;             // the virtual clock's step, 0 on the real clock
    std::filesystem::path sceneFile;    // the data files read
    std::filesystem::path textureFile;
    int32_t benchTriangles = 0;      // faces of the object "Sat"
    std::optional<FrameTimeSummary> frameTimes;  // the run's precise figures, when it completed
};

// The whole program: single instance, window, start-up, display detection, loop, shutdown.
RunResult runBenchmark(Host& host, const RunSettings& settings);

// Every global of the benchmark back to its value at program start (also the engine's
// frame counter); the host is kept.
void resetBenchmark();

// ---- Start-up and data files ----------------------------------------------------------------

extern const char versionText[5];     // "1.0b"
extern char versionLine[20];          // "VERSION " at start, "VERSION 1.0b" after start-up
extern char16_t versionWide[8];       // versionText in UTF-16
extern char16_t oemInfo[128];         // the device's OEM string, at most 127 characters
extern std::filesystem::path modulePath;  // the executable's directory, then each data file's path
extern std::filesystem::path dataDir;     // the directory the data files are read from (empty: the host's)
extern SceneObject* benchObject;      // the object named "Sat"

inline constexpr const char* kSceneFileName = "veloxia3dbench1";
inline constexpr const char* kTextureFileName = "veloxia3dbench2";
inline constexpr const char* kBenchObjectName = "Sat";

// Texts, engine, matrix stack, the data files (from dataDir when set, else beside the program)
// and the starfield.
Result startup();
// The data part of start-up, also used by the examples, tests and benchmarks: both files from
// `directory`, checked against each other, the object "Sat" found, centred and its translation
// cleared so that it turns about its centre. Sets dataDir, modulePath and benchObject.
Result loadBenchmarkData(const std::filesystem::path& directory);

// Widening copy: each byte becomes one UTF-16 unit, up to and including the terminator.
// A source longer than the destination is cut so that the terminator always fits.
template <std::size_t N>
void widenText(char16_t (&destination)[N], const char* source) {
    std::size_t i = 0;
    for (; i + 1 < N && source[i] != 0; ++i) destination[i] = static_cast<unsigned char>(source[i]);
    destination[i] = 0;
}

// ---- Screens and measurement ----------------------------------------------------------------

struct Star {
    int32_t x;           // FrameBuffer column 0..319
    int32_t y;           // FrameBuffer row 0..239
    int32_t direction;   // +1 brightening, -1 dimming
    float brightness;    // shade level, 0..31 at start, then between about 7.8 and 31
};

inline constexpr int kStarCount = 100;
extern Star stars[kStarCount];
extern uint32_t starColor;   // ColorIndex of white, shade level 0

extern uint32_t framesAtEnd;     // frame counter on the pass that found the run over
extern uint32_t lastSampleTick;  // tick of the previous frame-rate sample
extern int32_t fpsMax;           // highest sampled rate
extern int32_t fpsMin;           // lowest non-zero sampled rate, 9999999 before any
extern char fpsText[16];         // text of the latest sample, then each number of the results
extern int32_t angle;            // rotation accumulator, 2048 units a turn
extern int32_t angleStep;        // multiplier of the per-frame angle increase
extern char16_t minWide[16];     // the lowest rate as UTF-16, for the upload
extern char16_t maxWide[16];     // the highest rate as UTF-16, for the upload
extern uint32_t runSeconds;      // length of the run in seconds (100 unless shortened)

void initStarfield();
void titleScreen();
void runningScreen();
void resultsScreen();
// How far in front of the eye the running screen places its object, in view units. It is a
// distance, not the focal length, though equal to it: there one model unit spans one pixel.
inline constexpr int32_t kRunningObjectDistance = 350;
// The running screen's placement of an object turned by `turn` (2048 a full turn): two levels
// pushed on matrixStack (translate 0,0,-kRunningObjectDistance and rotate Z by turn/20; rotate Y by turn/10 and the
// object's own matrix). popRunningMatrices takes both off again.
void pushRunningMatrices(const SceneObject* object, int32_t turn);
void popRunningMatrices();
// The object (the Sat unless another is given) rendered at the running screen's placement; the
// queued faces stay in faceQueue for the pass's flush.
void renderRunningObject(int32_t turn, SceneObject* object = benchObject);
// Decimal text of 0..9999999 without leading zeros, zero-terminated (at most 8 bytes).
void formatDecimal(int32_t value, char* buffer);
void drawFpsOverlay(int32_t row);
void drawNumberOverlay(int32_t a, int32_t b, int32_t c);
// The average rate times 100: framesAtEnd itself for a run of 100 seconds.
uint32_t averageTimes100();
// Draws the average (times 100) so that it reads with two decimals: up to four digits as the
// handheld did (a full stop drawn over the number after its second digit), longer ones as
// "whole.dd" in one text. Counts above kLargestAverage show as it.
void drawAverage(int32_t x, int32_t y, uint32_t value);
inline constexpr uint32_t kLargestAverage = 99999999;

// ---- Results upload and the maker's page ----------------------------------------------------

void launchUpload();
void openWebsite();
// The results URL for the measured values, the device string and the memory figures.
std::string resultsUrl(const MemoryStatus& memory);
// The results server the URL starts with: `address` without a trailing '/', or the build
// setting VX_RESULTS_SERVER when empty.
void setResultsServer(const std::string& address);
std::string percentEncode(const std::u16string& text);  // UTF-8, unreserved characters kept
std::string toUtf8(const std::u16string& text);         // unpaired surrogates become U+FFFD
std::string makerUrl();          // the maker's web page
std::string makerAddressLine();  // "~" and the page's host in capitals
extern std::string launchedUrl;  // the URL last handed to the browser (or shown), empty before
// The memory figures of this run, read from the host the first time they are needed.
const MemoryStatus& runMemory();

}  // namespace veloxia
