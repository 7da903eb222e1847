// SPDX-License-Identifier: MIT
#include "host/system_info.h"

#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <time.h>

#include <fstream>
#include <sstream>

namespace veloxia {

namespace {

std::string trim(std::string s) {
    const char* blanks = " \t\r\n";
    s.erase(0, s.find_first_not_of(blanks));
    s.erase(s.find_last_not_of(blanks) + 1);
    return s;
}

// The first line of a small text file, trimmed, NULs dropped (device-tree strings end in one).
std::string readLine(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line)) return {};
    std::erase(line, '\0');
    return trim(line);
}

std::string fromDmi(const std::filesystem::path& root) {
    const auto dir = root / "sys/class/dmi/id";
    const std::string vendor = readLine(dir / "sys_vendor");
    const std::string product = readLine(dir / "product_name");
    if (vendor.empty()) return product;
    return product.empty() ? vendor : vendor + " " + product;
}

std::string fromCpuinfo(const std::filesystem::path& root) {
    std::ifstream in(root / "proc/cpuinfo");
    std::string line;
    std::string found[3];  // Model, Hardware, model name: the first is the most telling
    static const char* const keys[3] = {"Model", "Hardware", "model name"};
    while (std::getline(in, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string key = trim(line.substr(0, colon));
        for (int i = 0; i < 3; ++i) {
            if (key == keys[i] && found[i].empty()) found[i] = trim(line.substr(colon + 1));
        }
    }
    for (const std::string& f : found) {
        if (!f.empty()) return f;
    }
    return {};
}

std::string fromUname() {
    utsname u{};
    if (uname(&u) != 0) return "Linux";
    return std::string(u.sysname) + " " + u.machine;
}

}  // namespace

std::string deviceName(const std::filesystem::path& root) {
    if (std::string s = fromDmi(root); !s.empty()) return s;
    if (std::string s = readLine(root / "proc/device-tree/model"); !s.empty()) return s;
    if (std::string s = fromCpuinfo(root); !s.empty()) return s;
    return fromUname();
}

MemoryStatus readMemoryStatus(const std::filesystem::path& root) {
    uint64_t totalKb = 0;
    uint64_t availableKb = 0;
    std::ifstream in(root / "proc/meminfo");
    std::string key;
    uint64_t value = 0;
    std::string unit;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        if (!(fields >> key >> value)) continue;
        if (key == "MemTotal:") totalKb = value;
        if (key == "MemAvailable:") availableKb = value;
    }
    uint64_t total = totalKb * 1024;
    uint64_t available = availableKb * 1024;
    if (total == 0) {
        struct sysinfo info {};
        if (sysinfo(&info) == 0) {
            total = uint64_t{info.totalram} * info.mem_unit;
            available = (uint64_t{info.freeram} + info.bufferram) * info.mem_unit;
        }
    }
    if (available > total) available = total;
    const uint32_t load = total == 0 ? 0 : static_cast<uint32_t>((total - available) * 100 / total);
    return MemoryStatus{load, total, available};
}

std::filesystem::path executableDirectory() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : exe.parent_path();
}

uint32_t monotonicMilliseconds() { return static_cast<uint32_t>(monotonicNanoseconds() / 1000000u); }

uint64_t monotonicNanoseconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return uint64_t(t.tv_sec) * 1000000000u + uint64_t(t.tv_nsec);
}

std::u16string widenUtf8(const std::string& text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        uint32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            ok = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!ok || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out += char16_t{0xFFFD};
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

}  // namespace veloxia
