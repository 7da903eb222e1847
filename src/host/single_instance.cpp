// SPDX-License-Identifier: MIT
#include "host/single_instance.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace veloxia {

namespace {

constexpr char kRaise[] = "raise";

// An abstract address: a leading NUL, then the name; nothing appears in the file system.
socklen_t abstractAddress(const std::string& name, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const std::size_t n = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), n);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
}

}  // namespace

std::string defaultInstanceName() {
    if (const char* name = std::getenv("VX_INSTANCE_NAME"); name != nullptr && *name != 0) return name;
    return "veloxia3dbench-" + std::to_string(getuid());
}

SingleInstance::SingleInstance(std::string name) : name_(std::move(name)) {}

SingleInstance::~SingleInstance() {
    if (socket_ >= 0) close(socket_);
}

bool SingleInstance::claim() {
    sockaddr_un address{};
    const socklen_t length = abstractAddress(name_, address);
    socket_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket_ < 0) return true;
    if (bind(socket_, reinterpret_cast<const sockaddr*>(&address), length) == 0) return true;
    const int error = errno;
    close(socket_);
    socket_ = -1;
    if (error != EADDRINUSE) return true;
    const int sender = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sender >= 0) {
        sendto(sender, kRaise, sizeof kRaise - 1, 0, reinterpret_cast<const sockaddr*>(&address), length);
        close(sender);
    }
    return false;
}

bool SingleInstance::raiseRequested() {
    if (socket_ < 0) return false;
    bool raise = false;
    char message[16];
    ssize_t n = 0;
    while ((n = recv(socket_, message, sizeof message, MSG_DONTWAIT)) >= 0) {
        raise = raise || (static_cast<std::size_t>(n) == sizeof kRaise - 1 &&
                          std::memcmp(message, kRaise, sizeof kRaise - 1) == 0);
    }
    return raise;
}

}  // namespace veloxia
