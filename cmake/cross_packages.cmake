# SPDX-License-Identifier: MIT
# The libraries of a cross build. The target machine's sysroot holds only its C and C++ libraries,
# so everything else comes from the build machine's Debian packages in a form that does not depend
# on its processor: CLI11, nlohmann-json and stb as headers, GoogleTest compiled here from
# /usr/src/googletest. The headers are seen through a
# folder of links that holds them alone, never through /usr/include, whose C library headers
# belong to the build machine.
#
# Each package gets a small config file in the build tree and <Package>_DIR points at it, so the
# find_package calls of the subdirectories find these targets as they find Debian's natively.
set(vx_cross_root ${CMAKE_BINARY_DIR}/cross-packages)
set(vx_cross_headers ${vx_cross_root}/include)
file(MAKE_DIRECTORY ${vx_cross_headers})

function(vx_cross_header name)
  if(NOT EXISTS /usr/include/${name})
    message(FATAL_ERROR "/usr/include/${name} is missing: run scripts/deps.sh")
  endif()
  file(CREATE_LINK /usr/include/${name} ${vx_cross_headers}/${name} SYMBOLIC)
endfunction()
foreach(header CLI nlohmann stb)
  vx_cross_header(${header})
endforeach()

# Header-only targets under the names Debian's CMake packages give them.
function(vx_cross_interface target)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${vx_cross_headers})
endfunction()
vx_cross_interface(CLI11::CLI11)
vx_cross_interface(nlohmann_json::nlohmann_json)

# GoogleTest from source: it defines GTest::gtest and GTest::gtest_main itself.
if(VX_BUILD_TESTS)
  if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
    message(FATAL_ERROR "/usr/src/googletest is missing: install googletest (scripts/deps.sh)")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

foreach(package CLI11 nlohmann_json GTest)
  file(WRITE ${vx_cross_root}/${package}/${package}Config.cmake
       "# Written by cmake/cross_packages.cmake: the targets are defined by the top-level build.\n")
  set(${package}_DIR ${vx_cross_root}/${package} CACHE PATH "" FORCE)
endforeach()
