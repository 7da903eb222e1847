# SPDX-License-Identifier: MIT
# Cross build for IBM Z, 64-bit, big-endian: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/s390x.cmake
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(VX_TRIPLE s390x-linux-gnu)
set(VX_QEMU_ARCH s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu-cross.cmake)
