// SPDX-License-Identifier: MIT
#include "util/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace veloxia {
namespace {

// A unique temporary file beside `path`: ".NAME.PID.N", created exclusively, with the mode an
// ordinary new file gets (0666 less the umask). Returns the descriptor, or -1 with errno set.
int createTemporary(const std::filesystem::path& path, std::filesystem::path& temporary) {
    static unsigned serial = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path.parent_path() /
                    ("." + path.filename().string() + "." + std::to_string(getpid()) + "." + std::to_string(serial++));
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool writeAll(int fd, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = EIO;
        if (n <= 0) return false;
        bytes = bytes.subspan(static_cast<size_t>(n));
    }
    return true;
}

Result failWith(const std::filesystem::path& path, int code) {
    return Result::failure("cannot write " + path.string() + ": " + std::strerror(code));
}

}  // namespace

Result writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
    if (path.filename().empty()) return failWith(path, EISDIR);
    std::filesystem::path temporary;
    const int fd = createTemporary(path, temporary);
    if (fd < 0) return failWith(path, errno);
    // fsync before the rename: after a crash the name then holds the old bytes or all new ones.
    bool ok = writeAll(fd, bytes) && fsync(fd) == 0;
    int code = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return Result::success();
    if (ok) code = errno;
    unlink(temporary.c_str());
    return failWith(path, code);
}

}  // namespace veloxia
