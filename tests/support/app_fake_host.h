// SPDX-License-Identifier: MIT
// A host for the benchmark core's tests: a hand-driven clock, queued events, recorded calls.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/host_interface.h"

namespace vxtest {

class FakeHost : public veloxia::Host {
public:
    uint32_t now = 5000000;                 // the tick count; tests move it
    uint32_t stepPerFrame = 0;              // added to now after every presented frame
    std::deque<veloxia::HostEvent> events;  // handed out one per poll
    std::vector<std::string> calls;         // window and shutdown calls, in order
    std::vector<std::string> urls;          // browser launches
    std::vector<uint32_t> keptInFrontAt;    // frame counter at each keepInFront
    std::u16string oem = u"Palmax";
    veloxia::MemoryStatus memory{42, 6000000000ull, 2500000000ull};
    std::filesystem::path directory;
    bool otherInstance = false;
    bool windowFails = false;
    int presented = 0;
    int memoryReads = 0;
    std::vector<veloxia::FrameRecord> frames;  // every record handed over, in order
    std::function<void()> afterPresent;     // runs after each presented frame

    veloxia::InstanceClaim claimInstance() override;
    veloxia::Result openWindow() override;
    uint32_t ticks() override { return now; }
    bool pollEvent(veloxia::HostEvent& event) override;
    void keepInFront() override;
    void framePresented(const veloxia::FrameRecord& frame) override;
    std::u16string oemInfo() override { return oem; }
    veloxia::MemoryStatus memoryStatus() override {
        ++memoryReads;
        return memory;
    }
    std::filesystem::path executableDirectory() override { return directory; }
    void openBrowser(const std::string& url) override { urls.push_back(url); }
    void closeInput() override { calls.push_back("closeInput"); }
    void closeDisplay() override { calls.push_back("closeDisplay"); }
    void destroyWindow() override { calls.push_back("destroyWindow"); }

    void tap(int32_t row) { events.push_back({veloxia::HostEvent::Kind::touch, row}); }
    void key(int32_t code) { events.push_back({veloxia::HostEvent::Kind::keyDown, code}); }
};

}  // namespace vxtest
