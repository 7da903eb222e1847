// SPDX-License-Identifier: MIT
// The window host: an SDL2 window of 240x320 logical pixels, integer-scaled.
//
// Mouse clicks and finger taps become taps on the portrait row under them (clicks in the
// letterbox are ignored, and the mouse events SDL makes from touches are not counted twice);
// the A key and Escape are the handheld's button A; closing the window is a quit request. The
// display memory of whichever present routine is in use is shown upright, with no vsync and no
// frame limiter. One window per user: a second start raises this one. Unlike the handheld, the
// window does not take the focus every 16 frames; on a desktop that would be a nuisance.
#pragma once

#include <SDL.h>

#include <vector>

#include "host/single_instance.h"
#include "host/system_host.h"

namespace veloxia {

struct SdlConfig {
    SystemHostConfig system;
    int scale = 2;           // window pixels per screen pixel
    bool fullscreen = false;
    std::string instanceName;
};

class SdlHost : public SystemHost {
public:
    explicit SdlHost(SdlConfig config);
    ~SdlHost() override;

    InstanceClaim claimInstance() override;
    Result openWindow() override;
    bool pollEvent(HostEvent& event) override;
    void framePresented(const FrameRecord& frame) override;
    void openBrowser(const std::string& url) override;
    void closeDisplay() override;
    void destroyWindow() override;

private:
    SdlConfig config_;
    SingleInstance instance_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    std::vector<uint16_t> portrait_;
    uint32_t polls_ = 0;
    bool sdlStarted_ = false;
};

// One SDL event as the benchmark sees it; false for events it does not use.
bool translateSdlEvent(const SDL_Event& sdl, HostEvent& event);

}  // namespace veloxia
