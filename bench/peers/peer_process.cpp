// SPDX-License-Identifier: MIT
#include "peer_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "gl_peer.h"

namespace peers {

namespace {

// What the parent asks; the answers are a Timing (kTime) or the picture (kPicture).
enum Op : int32_t { kQuit = 0, kTime = 1, kPicture = 2 };

struct Command {
    int32_t op;
    int32_t angle;
    int32_t frames;
};

void writeAll(int fd, const void* data, size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw std::runtime_error(std::string("peer pipe: ") + std::strerror(errno));
        p += n;
        size -= size_t(n);
    }
}

// False at a clean end of the stream before the first byte.
bool readAll(int fd, void* data, size_t size) {
    auto* p = static_cast<char*>(data);
    const size_t wanted = size;
    while (size > 0) {
        const ssize_t n = ::read(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw std::runtime_error(std::string("peer pipe: ") + std::strerror(errno));
        if (n == 0) {
            if (size == wanted) return false;
            throw std::runtime_error("peer pipe: the peer ended in the middle of an answer");
        }
        p += n;
        size -= size_t(n);
    }
    return true;
}

void writeText(int fd, int32_t status, const std::string& text) {
    const auto length = uint32_t(text.size());
    writeAll(fd, &status, sizeof status);
    writeAll(fd, &length, sizeof length);
    writeAll(fd, text.data(), text.size());
}

void applyEnvironment(const PeerSetting& s) {
    ::setenv("GALLIUM_DRIVER", s.driver.c_str(), 1);
    if (s.threads < 0) ::unsetenv("LP_NUM_THREADS");
    else ::setenv("LP_NUM_THREADS", std::to_string(s.threads).c_str(), 1);
}

// The child: one GL context, then commands until the parent says quit or goes away.
int serve(const PeerSetting& setting, const veloxia::SceneObject& object, int in, int out) {
    applyEnvironment(setting);
    GlPeer peer;
    std::string error;
    if (!peer.open(object, &error)) {
        writeText(out, 0, error);
        return 1;
    }
    writeText(out, 1, peer.renderer());
    std::vector<uint16_t> picture(kWidth * kHeight);
    Command c{};
    while (readAll(in, &c, sizeof c) && c.op != kQuit) {
        if (c.op == kTime) {
            const Stopwatch watch;
            for (int32_t i = 0; i < c.frames; ++i) peer.drawFrame(c.angle + 17 * i);
            const Timing spent = watch.elapsed();
            writeAll(out, &spent, sizeof spent);
        } else {
            peer.drawFrame(c.angle);
            peer.readPicture(picture.data());
            writeAll(out, picture.data(), picture.size() * sizeof(uint16_t));
        }
    }
    return 0;
}

}  // namespace

bool parsePeerSetting(const std::string& text, PeerSetting& out) {
    if (text == "softpipe") {
        out = PeerSetting{text, "softpipe", -1};
        return true;
    }
    if (text == "llvmpipe") {
        out = PeerSetting{text, "llvmpipe", -1};
        return true;
    }
    const std::string prefix = "llvmpipe:";
    if (text.rfind(prefix, 0) != 0 || text.size() == prefix.size() || text.size() > prefix.size() + 2) return false;
    const std::string digits = text.substr(prefix.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos) return false;
    out = PeerSetting{text, "llvmpipe", std::stoi(digits)};
    return true;
}

std::vector<PeerSetting> defaultPeerSettings() {
    return {{"llvmpipe", "llvmpipe", -1}, {"llvmpipe:0", "llvmpipe", 0}, {"llvmpipe:1", "llvmpipe", 1},
            {"softpipe", "softpipe", -1}};
}

PeerProcess::~PeerProcess() { stop(); }

bool PeerProcess::start(const veloxia::SceneObject& object, std::string* error) {
    int down[2], up[2];
    if (::pipe(down) != 0 || ::pipe(up) != 0) {
        *error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    pid_ = ::fork();
    if (pid_ < 0) {
        *error = std::string("fork: ") + std::strerror(errno);
        return false;
    }
    if (pid_ == 0) {
        // Only this child's two ends stay open, so no child holds another one's pipe.
        for (int fd = 3; fd < 1024; ++fd) {
            if (fd != down[0] && fd != up[1]) ::close(fd);
        }
        int status = 1;
        try {
            status = serve(setting_, object, down[0], up[1]);
        } catch (const std::exception&) {
            status = 1;
        }
        ::_exit(status);
    }
    ::close(down[0]);
    ::close(up[1]);
    toChild_ = down[1];
    fromChild_ = up[0];
    int32_t ok = 0;
    uint32_t length = 0;
    if (!readAll(fromChild_, &ok, sizeof ok) || !readAll(fromChild_, &length, sizeof length)) {
        *error = "the " + setting_.label + " peer ended before it answered";
        return false;
    }
    std::string text(length, '\0');
    readAll(fromChild_, text.data(), length);
    if (ok == 0) {
        *error = setting_.label + ": " + text;
        return false;
    }
    renderer_ = text;
    return true;
}

Timing PeerProcess::timeFrames(int32_t angle, int32_t frames) {
    const Command c{kTime, angle, frames};
    writeAll(toChild_, &c, sizeof c);
    Timing spent;
    if (!readAll(fromChild_, &spent, sizeof spent)) throw std::runtime_error("the " + setting_.label + " peer ended");
    return spent;
}

std::vector<uint16_t> PeerProcess::picture(int32_t angle) {
    const Command c{kPicture, angle, 1};
    writeAll(toChild_, &c, sizeof c);
    std::vector<uint16_t> pixels(kWidth * kHeight);
    if (!readAll(fromChild_, pixels.data(), pixels.size() * sizeof(uint16_t))) {
        throw std::runtime_error("the " + setting_.label + " peer ended");
    }
    return pixels;
}

void PeerProcess::stop() {
    if (pid_ <= 0) return;
    if (toChild_ >= 0) {
        const Command c{kQuit, 0, 0};
        try {
            writeAll(toChild_, &c, sizeof c);
        } catch (const std::exception&) {
            // The child is already gone; waiting for it below is all that is left.
        }
        ::close(toChild_);
    }
    if (fromChild_ >= 0) ::close(fromChild_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    toChild_ = fromChild_ = -1;
}

}  // namespace peers
