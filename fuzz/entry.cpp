// SPDX-License-Identifier: MIT
// The libFuzzer entry point of one harness; the build names it with VX_FUZZ_HARNESS.
#include "harnesses.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return vxfuzz::VX_FUZZ_HARNESS(data, size);
}
