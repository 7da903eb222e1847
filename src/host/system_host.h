// SPDX-License-Identifier: MIT
// What the window host and the headless host share: the Linux clock, device name, memory
// figures and program directory, the printed URL, and the frame a screenshot saves.
//
// Errors: as in the benchmark core, what can fail returns a Result with a reason for people;
// main prints it after "veloxia3dbench: " and picks the exit status (1 failure, 2 bad usage).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/host_interface.h"

namespace veloxia {

struct SystemHostConfig {
    std::optional<std::string> oem;  // replaces the machine's own name (and so the display routine)
    bool printUrls = true;           // print each URL handed to the browser on standard output
};

class SystemHost : public Host {
public:
    explicit SystemHost(SystemHostConfig config);

    uint32_t ticks() override;
    uint64_t nanoseconds() override;
    void framePresented(const FrameRecord& frame) override;
    std::u16string oemInfo() override;
    MemoryStatus memoryStatus() override;
    std::filesystem::path executableDirectory() override;
    void showUrl(const std::string& url) override;

    // The picture a screenshot saves: the results screen as it was when an ending was chosen
    // from it (the ending's own frame is empty), otherwise the last presented frame.
    void screenshot(uint16_t* portrait) const;

protected:
    // Called with every event a host hands over, before the application sees it.
    void noteEvent(const HostEvent& event);
    void printUrl(const std::string& url) const;

private:
    SystemHostConfig config_;
    std::u16string oem_;
    Screen lastScreen_ = Screen::title;  // what the last presented frame showed
    bool haveResultsFrame_ = false;
    std::array<uint16_t, kScreenWidth * kScreenHeight> resultsFrame_{};
};

}  // namespace veloxia
