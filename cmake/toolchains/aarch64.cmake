# SPDX-License-Identifier: MIT
# Cross build for 64-bit ARM (ARMv8-A), little-endian: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64.cmake
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VX_TRIPLE aarch64-linux-gnu)
set(VX_QEMU_ARCH aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu-cross.cmake)
