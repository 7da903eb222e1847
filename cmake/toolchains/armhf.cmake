# SPDX-License-Identifier: MIT
# Cross build for 32-bit ARM (ARMv7-A with VFPv3-D16, hard float), little-endian: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/armhf.cmake
set(CMAKE_SYSTEM_PROCESSOR arm)
set(VX_TRIPLE arm-linux-gnueabihf)
set(VX_QEMU_ARCH arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu-cross.cmake)
