// SPDX-License-Identifier: MIT
#include "host/headless_host.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "host/system_info.h"

extern char** environ;

namespace veloxia {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

// A program of that name in one of the PATH directories.
bool onPath(const char* program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return false;
    std::istringstream dirs(path);
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

}  // namespace

int32_t endingRow(Ending ending) {
    switch (ending) {
    case Ending::upload: return 0;
    case Ending::website: return static_cast<int32_t>(kWebsiteBandTop);
    case Ending::exit: break;
    }
    return kScreenHeight - 1;
}

HeadlessHost::HeadlessHost(HeadlessConfig config) : SystemHost(config.system), config_(std::move(config)) {}

Result HeadlessHost::openWindow() {
    // Ctrl-C or a polite kill end the program like a quit request, at the next poll.
    struct sigaction action {};
    action.sa_handler = &requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return Result::success();
}

bool HeadlessHost::pollEvent(HostEvent& event) {
    if (stopRequested != 0) {
        event = HostEvent{HostEvent::Kind::quit, 0};
        return true;
    }
    if (!started_) {
        // The run starts before the first pass, so that pass draws over a buffer no present
        // has cleared yet: all zero, depth 0 everywhere. The Sat fails the depth test in that
        // one frame and only the text and stars show; every later frame draws it.
        started_ = true;
        event = HostEvent{HostEvent::Kind::touch, 0};
    } else if (resultsShown_ && !endingSent_) {
        endingSent_ = true;
        event = HostEvent{HostEvent::Kind::touch, endingRow(config_.ending)};
    } else {
        return false;
    }
    noteEvent(event);
    return true;
}

void HeadlessHost::framePresented(const FrameRecord& frame) {
    SystemHost::framePresented(frame);
    if (frame.screen == Screen::results || frame.screen == Screen::lastRunning) resultsShown_ = true;
    if (config_.progress) showProgress(frame);
}

void HeadlessHost::showProgress(const FrameRecord& frame) {
    const uint32_t now = monotonicMilliseconds();
    if (frame.screen != Screen::running) {
        if (progressShown_) std::fputs("\r\033[K", stdout);
        progressShown_ = false;
        return;
    }
    if (progressShown_ && now - lastProgress_ < 250) return;
    lastProgress_ = now;
    progressShown_ = true;
    const uint32_t seconds = (frame.msLeft + 999) / 1000;
    std::printf("\r\033[K%4u s left  %s fps", seconds, frame.rate[0] != 0 ? frame.rate : "-");
    std::fflush(stdout);
}

void HeadlessHost::openBrowser(const std::string& url) {
    printUrl(url);
    if (!onPath("xdg-open")) return;
    // Started and left running: the browser outlives the benchmark, as on the handheld.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    char program[] = "xdg-open";
    std::string target = url;
    char* argv[] = {program, target.data(), nullptr};
    pid_t pid = 0;
    posix_spawnp(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
}

void HeadlessHost::closeDisplay() {
    if (progressShown_) std::fputs("\r\033[K", stdout);
    progressShown_ = false;
    std::fflush(stdout);
}

}  // namespace veloxia
