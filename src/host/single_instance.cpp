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

// An abstract address: a leading NUL, then the name; nothing appears in the file system, and
// the name is freed when its holder ends, however it ends.
socklen_t abstractAddress(const std::string& name, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const std::size_t n = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), n);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
}

// Connects to the holder of the name, asks it to raise and returns its process id (0 when
// the connection fails, e.g. its queue of waiting starts is full).
int askToRaise(const sockaddr_un& address, socklen_t length) {
    const int peer = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (peer < 0) return 0;
    int pid = 0;
    if (connect(peer, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
        // The credentials of a listening peer are those it had when it began to listen.
        ucred credentials{};
        socklen_t size = sizeof credentials;
        if (getsockopt(peer, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0) pid = credentials.pid;
        send(peer, kRaise, sizeof kRaise - 1, MSG_NOSIGNAL);
    }
    close(peer);
    return pid;
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

InstanceClaim SingleInstance::claim() {
    sockaddr_un address{};
    const socklen_t length = abstractAddress(name_, address);
    socket_ = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket_ < 0) return {true, 0};
    if (bind(socket_, reinterpret_cast<const sockaddr*>(&address), length) == 0 && listen(socket_, 8) == 0) {
        return {true, 0};
    }
    const int error = errno;
    close(socket_);
    socket_ = -1;
    if (error != EADDRINUSE) return {true, 0};
    return {false, askToRaise(address, length)};
}

bool SingleInstance::raiseRequested() {
    if (socket_ < 0) return false;
    // Every later start connects once; a connection is the request, whatever it managed to send.
    bool raise = false;
    int peer = -1;
    while ((peer = accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0) {
        raise = true;
        close(peer);
    }
    return raise;
}

}  // namespace veloxia
