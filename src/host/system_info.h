// SPDX-License-Identifier: MIT
// What the hosts read from the Linux machine: its name, its memory, the program's directory
// and the tick count. Paths are read under a root directory, so tests can fake each source.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "app/host_interface.h"

namespace veloxia {

// The maker and model: DMI sys_vendor and product_name, else the device-tree model, else the
// Model, Hardware or model name line of /proc/cpuinfo, else the kernel's name and machine.
std::string deviceName(const std::filesystem::path& root = "/");
// MemTotal and MemAvailable of /proc/meminfo; sysinfo when the file cannot be read.
MemoryStatus readMemoryStatus(const std::filesystem::path& root = "/");
// The directory of /proc/self/exe.
std::filesystem::path executableDirectory();
// Milliseconds since the machine started, wrapping at 2^32 (the handheld's tick count).
uint32_t monotonicMilliseconds();
// Nanoseconds since the machine started (CLOCK_MONOTONIC).
uint64_t monotonicNanoseconds();
// UTF-8 to UTF-16; bytes that are not UTF-8 become U+FFFD.
std::u16string widenUtf8(const std::string& text);

}  // namespace veloxia
