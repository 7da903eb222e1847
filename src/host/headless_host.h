// SPDX-License-Identifier: MIT
// The host without a window: for servers, CI and scripts.
//
// The run starts at once, as if the title had been tapped. Once the results screen has been
// presented, the host taps the band of the chosen ending (exit by default, or send, or the
// maker's page). With a terminal on standard output a progress line shows the seconds left and
// the current rate. The browser is started with xdg-open where it exists; the URL is printed.
// Headless runs do not claim the single-instance name, so several can run side by side.
#pragma once

#include "host/system_host.h"

namespace veloxia {

enum class Ending { exit, upload, website };

struct HeadlessConfig {
    SystemHostConfig system;
    Ending ending = Ending::exit;
    bool progress = false;  // draw the progress line (standard output is a terminal)
};

class HeadlessHost : public SystemHost {
public:
    explicit HeadlessHost(HeadlessConfig config);

    InstanceClaim claimInstance() override { return {true, 0}; }
    Result openWindow() override;
    bool pollEvent(HostEvent& event) override;
    void framePresented(const FrameRecord& frame) override;
    void openBrowser(const std::string& url) override;
    void closeDisplay() override;

private:
    void showProgress(const FrameRecord& frame);

    HeadlessConfig config_;
    bool started_ = false;
    bool resultsShown_ = false;
    bool endingSent_ = false;
    bool progressShown_ = false;
    uint32_t lastProgress_ = 0;
};

// The portrait row a tap on the results screen needs for each ending.
int32_t endingRow(Ending ending);

}  // namespace veloxia
