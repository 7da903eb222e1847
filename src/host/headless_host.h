// SPDX-License-Identifier: MIT
// The host without a window: for servers, CI and scripts.
//
// The title is shown for one pass and then tapped, so the run's first frame is drawn as in the
// window. Once the results screen has been presented on its own (the run's read-out gone, as a
// person sees it), the host taps the band of the chosen ending (exit by default, or send, or
// the maker's page). With a terminal on standard output a progress line shows the seconds left
// and the current rate. The maker's page is opened with xdg-open where it exists (the URL is
// printed); the results are not handed to a browser: the program sends them itself. Headless
// runs take the same per-user single-instance name as the window: one run at a time, so that no
// result is lowered by another run beside it.
#pragma once

#include <string>

#include "host/single_instance.h"
#include "host/system_host.h"

namespace veloxia {

enum class Ending { exit, upload, website };

struct HeadlessConfig {
    SystemHostConfig system;
    Ending ending = Ending::exit;
    bool progress = false;  // draw the progress line (standard output is a terminal)
    std::string instanceName;  // empty: no single-instance lock (a run on the virtual clock)
};

class HeadlessHost : public SystemHost {
public:
    explicit HeadlessHost(HeadlessConfig config);

    InstanceClaim claimInstance() override {
        return config_.instanceName.empty() ? InstanceClaim{true, 0} : instance_.claim();
    }
    Result openWindow() override;
    bool pollEvent(HostEvent& event) override;
    void framePresented(const FrameRecord& frame) override;
    void openBrowser(const std::string& url) override;
    void closeDisplay() override;

private:
    void showProgress(const FrameRecord& frame);

    HeadlessConfig config_;
    SingleInstance instance_;
    uint32_t polls_ = 0;
    bool titleShown_ = false;
    bool started_ = false;
    bool resultsShown_ = false;
    bool endingSent_ = false;
    bool progressShown_ = false;
    uint32_t lastProgress_ = 0;
};

// The portrait row a tap on the results screen needs for each ending.
int32_t endingRow(Ending ending);

}  // namespace veloxia
