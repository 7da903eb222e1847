// SPDX-License-Identifier: MIT
// The Host: everything the benchmark needs from the machine it runs on, and everything the
// machine learns from the benchmark.
//
// The benchmark reaches the machine only through this interface, so the same core runs in an
// SDL window, headless on a server, and under a fake host with a fake clock in the tests. A
// host delivers three kinds of input event (a tap on a portrait row, a key going down or up, a
// quit request), the clocks, the device texts and figures the results carry, and the browser
// launch. In return it gets one FrameRecord after every presented frame (which screen it was,
// the time left, the rate read-out) and, from runBenchmark, a RunResult with the figures. A
// host never reads the benchmark's globals. Display memory stays with the engine's present
// routines; a host only shows it after each present.
//
// Errors: calls that can fail return a Result with a reason for people.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include <veloxia/display.h>

#include "util/result.h"

namespace veloxia {

// The hardware button A of the handheld; keyboards send it for 'A' and Escape.
inline constexpr int32_t kKeyButtonA = 193;

// Touch bands of the results screen (portrait rows): above sends, the next opens the web
// page, the last ends the program; the rows between do nothing.
inline constexpr uint32_t kWebsiteBandTop = 260;
inline constexpr uint32_t kQuietBandTop = 292;
inline constexpr uint32_t kExitBandTop = 301;

struct HostEvent {
    enum class Kind { touch, keyDown, keyUp, quit };
    Kind kind;
    int32_t value;  // touch: the portrait screen row 0..319; keys: the key code; quit: unused
};

// Physical memory as the results report it. 64-bit: machines have more than 4 GiB.
struct MemoryStatus {
    uint32_t loadPercent;     // share of physical memory in use, 0..100
    uint64_t totalBytes;
    uint64_t availableBytes;
};

// What one pass put on the screen.
enum class Screen : uint8_t {
    title,        // the title screen
    running,      // a frame of the run
    lastRunning,  // the run's last frame, with the results screen drawn over it
    results,      // the results screen alone
    ending,       // the pass that started the browser (nothing drawn)
};

// Handed to the host after every presented frame.
struct FrameRecord {
    uint64_t pass;       // passes made, this one included (1 for the first)
    Screen screen;
    uint32_t msLeft;     // running: milliseconds until the run ends; otherwise 0
    const char* rate;    // running: the rate read-out as drawn, "" before the first sample; valid
                         // during the call only
};

// Single instance: first, or another instance runs (with its process id when known, else 0).
struct InstanceClaim {
    bool first;
    int otherPid;
};

class Host {
public:
    virtual ~Host() = default;

    // Another instance found has been asked to come to the front.
    virtual InstanceClaim claimInstance() = 0;
    // Opens the window, the display and the input.
    virtual Result openWindow() = 0;
    // The display memory hooks the present routines use; null fields keep the engine's own memory.
    // The oemInfo field is filled in by the application from oemInfo() below.
    virtual DisplayHost displayHooks() { return {}; }

    virtual uint32_t ticks() = 0;                     // milliseconds, wrapping at 2^32
    // A monotonic clock in nanoseconds for the frame times (any start); by default the ticks.
    virtual uint64_t nanoseconds() { return uint64_t{ticks()} * 1000000u; }
    virtual bool pollEvent(HostEvent& event) = 0;     // takes one waiting event; never blocks
    virtual void keepInFront() {}                     // every 16th pass of the run and the results
    virtual void framePresented(const FrameRecord&) {}  // the display memory holds a new frame

    virtual std::u16string oemInfo() = 0;             // the device's maker and model
    virtual MemoryStatus memoryStatus() = 0;
    virtual std::filesystem::path executableDirectory() = 0;  // where the data files lie
    virtual void openBrowser(const std::string& url) = 0;     // starts the browser; not waited for
    // A URL the benchmark will not open (a result of the virtual clock is never sent): shown only.
    virtual void showUrl(const std::string&) {}

    // Shutdown, called in this order.
    virtual void closeInput() {}
    virtual void closeDisplay() {}
    virtual void destroyWindow() {}
};

}  // namespace veloxia
