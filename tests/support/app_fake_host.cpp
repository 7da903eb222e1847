// SPDX-License-Identifier: MIT
#include "support/app_fake_host.h"

#include <veloxia/engine.h>

namespace vxtest {

veloxia::InstanceClaim FakeHost::claimInstance() {
    calls.push_back("claimInstance");
    return {!otherInstance, otherInstance ? 4242 : 0};
}

veloxia::Result FakeHost::openWindow() {
    calls.push_back("openWindow");
    return windowFails ? veloxia::Result::failure("no window for the test") : veloxia::Result::success();
}

bool FakeHost::pollEvent(veloxia::HostEvent& event) {
    if (events.empty()) return false;
    event = events.front();
    events.pop_front();
    return true;
}

void FakeHost::keepInFront() { keptInFrontAt.push_back(veloxia::renderContext.frameCounter); }

void FakeHost::framePresented(const veloxia::FrameRecord& frame) {
    ++presented;
    frames.push_back(frame);
    now += stepPerFrame;
    if (afterPresent) afterPresent();
}

}  // namespace vxtest
