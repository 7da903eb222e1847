// SPDX-License-Identifier: MIT
// One benchmark window per user. The first instance binds an abstract Unix datagram socket;
// a second start finds the name taken, sends "raise" to the first and ends.
#pragma once

#include <string>

namespace veloxia {

// "veloxia3dbench-<uid>", or the value of VX_INSTANCE_NAME when set (tests run side by side).
std::string defaultInstanceName();

class SingleInstance {
public:
    explicit SingleInstance(std::string name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True for the first instance (also when sockets are unavailable: the benchmark then runs
    // unguarded); false when another instance holds the name and has been asked to raise.
    bool claim();
    // True when a later start asked this instance to come to the front. Never blocks.
    bool raiseRequested();

private:
    std::string name_;
    int socket_ = -1;
};

}  // namespace veloxia
