# SPDX-License-Identifier: MIT
# Shared part of the cross toolchains: Debian's cross compiler for VX_TRIPLE, the target's C and
# C++ libraries under /usr/VX_TRIPLE, and qemu-user to run what the build and the tests execute
# (vxpack making the default data, the test programs, the benchmark).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${VX_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VX_TRIPLE}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${VX_TRIPLE})

# Nothing of the build machine is found: no library, no header, no CMake package. The header-only
# libraries reach the build through cmake/cross_packages.cmake.
set(CMAKE_FIND_ROOT_PATH /usr/${VX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -L: the dynamic loader and the shared libraries of the target.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${VX_QEMU_ARCH} -L /usr/${VX_TRIPLE})
