// SPDX-License-Identifier: MIT
// One GL peer in its own process, driven over a pipe in lockstep with ours.
//
// Mesa fixes the driver (GALLIUM_DRIVER) and llvmpipe's thread count (LP_NUM_THREADS) when it
// makes its screen, so each setting lives in a child forked after the scene is loaded: the
// child sets its environment, makes its context from the inherited object, and then waits for
// commands. While ours runs, every child sits blocked on its pipe.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

#include <veloxia/veloxia.h>

#include "timing.h"

namespace peers {

struct PeerSetting {
    std::string label;    // "llvmpipe", "llvmpipe:0", "llvmpipe:1", "softpipe"
    std::string driver;   // GALLIUM_DRIVER
    int threads = -1;     // LP_NUM_THREADS, or -1 to leave it unset
};

// Parses one --peer value; false when it names no known setting.
bool parsePeerSetting(const std::string& text, PeerSetting& out);
std::vector<PeerSetting> defaultPeerSettings();

class PeerProcess {
public:
    explicit PeerProcess(PeerSetting setting) : setting_(std::move(setting)) {}
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // Forks the child; false with the reason in *error (the child's own report included).
    bool start(const veloxia::SceneObject& object, std::string* error);
    const PeerSetting& setting() const { return setting_; }
    const std::string& renderer() const { return renderer_; }  // what GL says it is

    // Draws `frames` frames from angle `angle` on, 17 units apart; returns the time the child
    // measured from its first clear to the glFinish of its last frame.
    Timing timeFrames(int32_t angle, int32_t frames);
    // The frame of this angle, landscape RGB565, rows from the top.
    std::vector<uint16_t> picture(int32_t angle);
    void stop();

private:
    PeerSetting setting_;
    std::string renderer_;
    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
};

}  // namespace peers
