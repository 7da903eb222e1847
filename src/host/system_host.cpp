// SPDX-License-Identifier: MIT
#include "host/system_host.h"

#include <cstdio>

#include "host/system_info.h"

namespace veloxia {

SystemHost::SystemHost(SystemHostConfig config) : config_(std::move(config)) {
    oem_ = widenUtf8(config_.oem ? *config_.oem : deviceName());
}

uint32_t SystemHost::ticks() { return monotonicMilliseconds(); }
uint64_t SystemHost::nanoseconds() { return monotonicNanoseconds(); }
void SystemHost::framePresented(const FrameRecord& frame) { lastScreen_ = frame.screen; }
std::u16string SystemHost::oemInfo() { return oem_; }
MemoryStatus SystemHost::memoryStatus() { return readMemoryStatus(); }
std::filesystem::path SystemHost::executableDirectory() { return veloxia::executableDirectory(); }

void SystemHost::screenshot(uint16_t* portrait) const {
    if (haveResultsFrame_) {
        std::copy(resultsFrame_.begin(), resultsFrame_.end(), portrait);
    } else {
        readDisplayPortrait(portrait);
    }
}

void SystemHost::noteEvent(const HostEvent& event) {
    const bool results = lastScreen_ == Screen::results || lastScreen_ == Screen::lastRunning;
    if (event.kind == HostEvent::Kind::touch && results && !haveResultsFrame_) {
        readDisplayPortrait(resultsFrame_.data());
        haveResultsFrame_ = true;
    }
}

void SystemHost::printUrl(const std::string& url) const {
    if (!config_.printUrls) return;
    std::printf("Opening in the browser: %s\n", url.c_str());
    std::fflush(stdout);
}

void SystemHost::showUrl(const std::string& url) {
    if (!config_.printUrls) return;
    std::printf("Not sent (a result of the virtual clock is not a measurement): %s\n", url.c_str());
    std::fflush(stdout);
}

}  // namespace veloxia
