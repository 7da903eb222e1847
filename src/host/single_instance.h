// SPDX-License-Identifier: MIT
// One benchmark run per user, window or headless. The first instance listens on an abstract
// Unix stream socket; a second start finds the name taken, connects (which tells it the first
// one's process id), asks it to come to the front and ends.
#pragma once

#include <string>

#include "app/host_interface.h"

namespace veloxia {

// "veloxia3dbench-<uid>", or the value of VX_INSTANCE_NAME when set (tests run side by side).
std::string defaultInstanceName();

class SingleInstance {
public:
    explicit SingleInstance(std::string name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // First for the first instance (also when sockets are unavailable: the benchmark then runs
    // unguarded); otherwise another instance holds the name, has been asked to raise, and its
    // process id is given when the system tells it.
    InstanceClaim claim();
    // True when a later start asked this instance to come to the front. Never blocks.
    bool raiseRequested();

private:
    std::string name_;
    int socket_ = -1;
};

}  // namespace veloxia
