// SPDX-License-Identifier: MIT
// The Host: everything the benchmark needs from the machine it runs on.
//
// The application core reaches the machine only through this interface, so the same core runs
// in an SDL window, headless on a server, and under a fake host with a fake clock in the tests.
// A host delivers three kinds of input event (a tap on a portrait row, a key going down or up,
// a quit request), a millisecond tick count, the device texts and figures the results carry,
// and the browser launch. Display memory stays with the engine's present routines; a host only
// shows it after each present.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include <veloxia/display.h>

namespace veloxia {

// The hardware button A of the handheld; keyboards send it for 'A' and Escape.
inline constexpr int32_t kKeyButtonA = 193;

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

class Host {
public:
    virtual ~Host() = default;

    // Single instance: false when another instance already runs (it has been asked to come to
    // the front); true when this one may go on.
    virtual bool claimInstance() = 0;
    // Opens the window, the display and the input. False, with a reason for people, on failure.
    virtual bool openWindow(std::string& error) = 0;
    // The display memory hooks the present routines use; null fields keep the engine's own memory.
    // The oemInfo field is filled in by the application from oemInfo() below.
    virtual DisplayHost displayHooks() { return {}; }

    virtual uint32_t ticks() = 0;                     // milliseconds, wrapping at 2^32
    virtual bool pollEvent(HostEvent& event) = 0;     // takes one waiting event; never blocks
    virtual void keepInFront() {}                     // every 16th pass of the run and the results
    virtual void framePresented() {}                  // the display memory holds a new frame

    virtual std::u16string oemInfo() = 0;             // the device's maker and model
    virtual MemoryStatus memoryStatus() = 0;
    virtual std::filesystem::path executableDirectory() = 0;  // where the data files lie
    virtual void openBrowser(const std::string& url) = 0;     // starts the browser; not waited for

    // Shutdown, called in this order.
    virtual void closeInput() {}
    virtual void closeDisplay() {}
    virtual void destroyWindow() {}
};

}  // namespace veloxia
