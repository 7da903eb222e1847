// SPDX-License-Identifier: MIT
// FNV-1a over the little-endian bytes of each value: the checksum the pinned frames use.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vxtest {

template <typename T>
uint64_t fnv1a(const T* values, size_t count) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < count; ++i)
        for (size_t byte = 0; byte < sizeof(T); ++byte) {
            hash ^= uint64_t(values[i] >> (8 * byte)) & 0xFF;
            hash *= 0x100000001b3ull;
        }
    return hash;
}

}  // namespace vxtest
