// SPDX-License-Identifier: MIT
// Validation: the deterministic mode played over a fixed set of runs, every presented frame
// compared with a reference digest built into the program. The same pixels on every machine
// is the engine's promise; this is how a build, a compiler, a processor or a port checks it.
//
// Each run starts the benchmark afresh on the virtual clock (10 ms a frame) with the default
// data: one title pass, a tap, the whole run, then kResultsFrames results frames, and a quit.
// The runs: a 1-second run for each present routine (its results show a five-digit frame
// count), and a 25-second run with the generic routine, over which the Sat makes a whole turn
// of both its rotations (2410 frames).
//
// A digest is FNV-1a (64 bits) over the portrait picture as the host shows it (240x320 RGB565,
// row by row), each pixel taken low byte first, so the value is the same on machines of
// either byte order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "app/host_interface.h"
#include "util/result.h"

namespace veloxia {

inline constexpr uint32_t kValidationStepMs = 10;
inline constexpr uint32_t kResultsFrames = 2;

struct ValidationRun {
    const char* name;      // "generic-1s", ...
    const char16_t* oem;   // the device string, which picks the present routine
    uint32_t seconds;      // length of the run
};

// The runs, in the order they are played and listed in the reference table.
std::span<const ValidationRun> validationRuns();
// The reference digests of one run, one a presented frame (pass 1 first).
std::span<const uint64_t> referenceDigests(const ValidationRun& run);

uint64_t portraitDigest(const uint16_t* portrait);  // 240x320 pixels
uint64_t screenDigest();                            // the screen as shown after the last present

// One presented frame of a validation run.
struct ValidationFrame {
    const ValidationRun* run;
    uint64_t pass;        // 1 for the title
    Screen screen;
    uint64_t digest;
};

// Plays one run from a fresh start with the data files of `dataDirectory`, calling `seen` after
// every presented frame (the display memory then holds it).
Result playValidationRun(const ValidationRun& run, const std::filesystem::path& dataDirectory,
                         const std::function<void(const ValidationFrame&)>& seen);

// The first frame that differs from its reference, with its picture and the picture of the
// frame before it (which matched, so it is exactly what the reference build showed there).
struct Mismatch {
    ValidationFrame frame{};
    uint64_t expected = 0;            // the reference digest; 0 when the run has more frames
    std::vector<uint16_t> actual;     // portrait pixels
    std::vector<uint16_t> previous;   // portrait pixels of the frame before; empty for pass 1
};

struct ValidationReport {
    Result outcome;          // failed: the data could not be loaded
    uint64_t framesMatched = 0;
    bool matched = false;    // every frame of every run matched and no reference frame is missing
    Mismatch mismatch;       // when not matched
};

// Plays every run and stops at the first difference.
ValidationReport validateFrames(const std::filesystem::path& dataDirectory);

// Every frame of every run, for a new reference table.
struct RecordedRun {
    const ValidationRun* run;
    std::vector<uint64_t> digests;
    std::vector<Screen> screens;
};
struct Recording {
    Result outcome;
    std::vector<RecordedRun> runs;
};
Recording recordValidationRuns(const std::filesystem::path& dataDirectory);
// The reference table as C++ source (src/app/reference_digests.cpp).
std::string referenceSource(const Recording& recording);
// The frames whose digests differ from the built-in table, as ranges for people:
// "generic-1s passes 9-102 (running)", one a line.
std::vector<std::string> changedFrames(const Recording& recording);

const char* screenName(Screen screen);

}  // namespace veloxia
