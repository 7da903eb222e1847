# SPDX-License-Identifier: MIT
# Warnings that guard the fixed-point code: every narrowing and every sign change must be written
# (a cast, or one of the wrap helpers of src/engine/wrap.h where wrapping is meant), and no name
# may hide another. Given to the code under src/ (the engine, the benchmark core, the hosts and the
# shared utilities); the tests, tools and server keep the project's common warnings.
option(VX_WERROR "Make the warnings of the engine, the program and its hosts errors (scripts/test.sh turns it on)" OFF)

function(vx_strict_warnings)
  foreach(target IN LISTS ARGN)
    target_compile_options(${target} PRIVATE -Wshadow -Wconversion)
    if(VX_WERROR)
      # GCC 12 reports -Wrestrict inside std::string's own code at -O3 where no overlap can
      # happen (a known false positive of the compiler's headers); it stays a warning.
      target_compile_options(${target} PRIVATE -Werror -Wno-error=restrict)
    endif()
  endforeach()
endfunction()
