// SPDX-License-Identifier: MIT
#include "support/app_fake_host.h"

#include <veloxia/engine.h>

namespace vxtest {

bool FakeHost::claimInstance() {
    calls.push_back("claimInstance");
    return !otherInstance;
}

bool FakeHost::openWindow(std::string& error) {
    calls.push_back("openWindow");
    if (windowFails) error = "no window for the test";
    return !windowFails;
}

bool FakeHost::pollEvent(veloxia::HostEvent& event) {
    if (events.empty()) return false;
    event = events.front();
    events.pop_front();
    return true;
}

void FakeHost::keepInFront() { keptInFrontAt.push_back(veloxia::renderContext.frameCounter); }

void FakeHost::framePresented() {
    ++presented;
    now += stepPerFrame;
    if (afterPresent) afterPresent();
}

}  // namespace vxtest
