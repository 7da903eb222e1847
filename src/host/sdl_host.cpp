// SPDX-License-Identifier: MIT
#include "host/sdl_host.h"

#include <cstring>


namespace veloxia {

namespace {

constexpr const char* kWindowTitle = "VELOXIA 3D Benchmark (tm)";

bool keyCode(SDL_Keycode key, int32_t& code) {
    if (key == SDLK_a || key == SDLK_ESCAPE) {
        code = kKeyButtonA;
        return true;
    }
    // Other keys keep their character code; keys without one are not passed on.
    if (key > 0 && key < 128) {
        code = key;
        return true;
    }
    return false;
}

// When DISPLAY or WAYLAND_DISPLAY names a display that does not answer, SDL quietly falls back
// to a driver that shows nothing, and the title screen would wait for a tap forever. Those
// drivers are taken only when SDL_VIDEODRIVER asks for them.
Result realDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    const std::string name = driver != nullptr ? driver : "";
    if (name != "offscreen" && name != "dummy") return Result::success();
    const char* wanted = SDL_getenv("SDL_VIDEODRIVER");
    if (wanted != nullptr && name == wanted) return Result::success();
    const char* x11 = SDL_getenv("DISPLAY");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    return Result::failure(std::string("no display answers at ") +
                           (x11 != nullptr && *x11 != 0 ? "DISPLAY=" : "WAYLAND_DISPLAY=") +
                           (x11 != nullptr && *x11 != 0 ? x11 : wayland != nullptr ? wayland : "") +
                           "; run with --headless to benchmark without a window");
}

}  // namespace

bool translateSdlEvent(const SDL_Event& sdl, HostEvent& event) {
    switch (sdl.type) {
    case SDL_QUIT:
        event = HostEvent{HostEvent::Kind::quit, 0};
        return true;
    case SDL_MOUSEBUTTONDOWN:
        // Coordinates are logical screen pixels; the letterbox lies outside 0..239 x 0..319.
        if (sdl.button.which == SDL_TOUCH_MOUSEID) return false;
        if (sdl.button.x < 0 || sdl.button.x >= kScreenWidth) return false;
        if (sdl.button.y < 0 || sdl.button.y >= kScreenHeight) return false;
        event = HostEvent{HostEvent::Kind::touch, sdl.button.y};
        return true;
    case SDL_FINGERDOWN: {
        // Finger positions are 0..1 over the logical area.
        if (sdl.tfinger.x < 0.0f || sdl.tfinger.x > 1.0f || sdl.tfinger.y < 0.0f || sdl.tfinger.y > 1.0f)
            return false;
        const int32_t row = static_cast<int32_t>(sdl.tfinger.y * kScreenHeight);
        event = HostEvent{HostEvent::Kind::touch, row < kScreenHeight ? row : kScreenHeight - 1};
        return true;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        int32_t code = 0;
        if (!keyCode(sdl.key.keysym.sym, code)) return false;
        event = HostEvent{sdl.type == SDL_KEYDOWN ? HostEvent::Kind::keyDown : HostEvent::Kind::keyUp, code};
        return true;
    }
    default:
        return false;
    }
}

SdlHost::SdlHost(SdlConfig config)
    : SystemHost(config.system), config_(std::move(config)), instance_(config_.instanceName),
      portrait_(kScreenWidth * kScreenHeight) {}

SdlHost::~SdlHost() {
    closeDisplay();
    destroyWindow();
}

InstanceClaim SdlHost::claimInstance() { return instance_.claim(); }

Result SdlHost::openWindow() {
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        return Result::failure(std::string("cannot open the display: ") + SDL_GetError());
    }
    sdlStarted_ = true;
    if (Result shown = realDisplay(); !shown) return shown;
    const int scale = config_.scale;
    const Uint32 flags = SDL_WINDOW_RESIZABLE | (config_.fullscreen ? static_cast<Uint32>(SDL_WINDOW_FULLSCREEN_DESKTOP) : 0u);
    window_ = SDL_CreateWindow(kWindowTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               kScreenWidth * scale, kScreenHeight * scale, flags);
    if (window_ != nullptr) renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (renderer_ != nullptr) {
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                     kScreenWidth, kScreenHeight);
    }
    if (texture_ == nullptr) return Result::failure(std::string("cannot create the window: ") + SDL_GetError());
    // No vsync and no limiter: the frame rate is the renderer's.
    SDL_RenderSetVSync(renderer_, 0);
    SDL_RenderSetLogicalSize(renderer_, kScreenWidth, kScreenHeight);
    SDL_RenderSetIntegerScale(renderer_, SDL_TRUE);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
    return Result::success();
}

bool SdlHost::pollEvent(HostEvent& event) {
    SDL_Event sdl;
    while (SDL_PollEvent(&sdl) != 0) {
        if (translateSdlEvent(sdl, event)) {
            noteEvent(event);
            return true;
        }
    }
    // A later start asks to be shown this window; a socket read every 64 polls is enough.
    if ((++polls_ & 63u) == 0 && instance_.raiseRequested() && window_ != nullptr) SDL_RaiseWindow(window_);
    return false;
}

void SdlHost::framePresented(const FrameRecord& frame) {
    SystemHost::framePresented(frame);
    if (texture_ == nullptr) return;
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) == 0) {
        const auto rowBytes = static_cast<std::size_t>(kScreenWidth) * sizeof(uint16_t);
        if (static_cast<std::size_t>(pitch) == rowBytes) {
            readDisplayPortrait(static_cast<uint16_t*>(pixels));
        } else {
            readDisplayPortrait(portrait_.data());
            auto* out = static_cast<unsigned char*>(pixels);
            for (int y = 0; y < kScreenHeight; ++y) std::memcpy(out + y * pitch, &portrait_[y * kScreenWidth], rowBytes);
        }
        SDL_UnlockTexture(texture_);
    }
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

void SdlHost::openBrowser(const std::string& url) {
    printUrl(url);  // SDL reports success even when no browser could be started
    SDL_OpenURL(url.c_str());
}

void SdlHost::closeDisplay() {
    if (texture_ != nullptr) SDL_DestroyTexture(texture_);
    if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
    texture_ = nullptr;
    renderer_ = nullptr;
}

void SdlHost::destroyWindow() {
    if (window_ != nullptr) SDL_DestroyWindow(window_);
    window_ = nullptr;
    if (sdlStarted_) SDL_Quit();
    sdlStarted_ = false;
}

}  // namespace veloxia
