# SPDX-License-Identifier: MIT
# The libraries of a cross build. The target machine's sysroot holds only its C and C++ libraries,
# so everything else comes from the build machine's Debian packages in a form that does not depend
# on its processor: CLI11, nlohmann-json and stb as headers, tinyobjloader compiled here from its
# single header, GoogleTest compiled here from /usr/src/googletest. The headers are seen through a
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
foreach(header CLI nlohmann stb tiny_obj_loader.h)
  vx_cross_header(${header})
endforeach()

# Header-only targets under the names Debian's CMake packages give them.
function(vx_cross_interface target)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${vx_cross_headers})
endfunction()
vx_cross_interface(CLI11::CLI11)
vx_cross_interface(nlohmann_json::nlohmann_json)

# tinyobjloader in double precision, as Debian's tinyobjloader_double library.
file(WRITE ${vx_cross_root}/tinyobjloader_double.cpp
     "#define TINYOBJLOADER_IMPLEMENTATION\n#include <tiny_obj_loader.h>\n")
add_library(vx_tinyobjloader_double STATIC ${vx_cross_root}/tinyobjloader_double.cpp)
target_compile_definitions(vx_tinyobjloader_double PUBLIC TINYOBJLOADER_USE_DOUBLE)
target_include_directories(vx_tinyobjloader_double SYSTEM PUBLIC ${vx_cross_headers})
target_compile_options(vx_tinyobjloader_double PRIVATE -w)
add_library(tinyobjloader::tinyobjloader_double ALIAS vx_tinyobjloader_double)

# GoogleTest from source: it defines GTest::gtest and GTest::gtest_main itself.
if(VX_BUILD_TESTS)
  if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
    message(FATAL_ERROR "/usr/src/googletest is missing: install googletest (scripts/deps.sh)")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

foreach(package CLI11 nlohmann_json tinyobjloader GTest)
  file(WRITE ${vx_cross_root}/${package}/${package}Config.cmake
       "# Written by cmake/cross_packages.cmake: the targets are defined by the top-level build.\n")
  set(${package}_DIR ${vx_cross_root}/${package} CACHE PATH "" FORCE)
endforeach()
