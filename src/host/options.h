// SPDX-License-Identifier: MIT
// The command line of veloxia3dbench.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace veloxia {

struct Options {
    uint32_t seconds = 100;              // length of the run
    bool json = false;                   // results as one JSON object
    std::optional<std::string> oem;      // device string instead of the machine's own
    std::optional<std::string> display;  // generic, direct or fixed: the present routine
    uint64_t frames = 0;                 // end after this many passes (0: no limit)
    uint32_t stepMs = 0;                 // virtual clock step per pass (0: the real clock)
    bool headless = false;
    int scale = 2;
    bool fullscreen = false;
    std::string screenshot;              // PNG of the last screen shown
    bool upload = false;                 // headless ending: send the results
    bool website = false;                // headless ending: open the maker's page
    std::string resultsServer;           // scheme and host of the results server (empty: the build's)
    std::string data;                    // directory of the data files (empty: beside the program)
    bool validate = false;               // compare the deterministic frames with the reference
    std::string writeReference;          // record the reference digests into this C++ file
};

// Parses the command line. Returns nothing when the program should run, otherwise the exit
// status to end with at once: 0 after --help or --version (printed on standard output), 2 after
// bad usage (the reason and a pointer to --help on standard error).
std::optional<int> parseOptions(int argc, const char* const* argv, Options& options);

}  // namespace veloxia
