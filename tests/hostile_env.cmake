# SPDX-License-Identifier: MIT
# The real programs in a hostile environment (tests/hostile_env_test.sh): one test per case,
# each in its own directory under the build tree; exit 77 skips a case this machine cannot make
# (a read-only file as root, no sparse files).
if(TARGET veloxia3dbench AND TARGET vxpack)
  foreach(case data_option missing_data unreadable_data directory_as_data empty_data sparse_data no_display dead_display no_browser
               oem_strings screenshot_paths screenshot_readonly stdout_full vxpack_huge_input vxpack_inputs_kept
               vxpack_readonly_output)
    add_test(NAME hostile.${case}
      COMMAND ${CMAKE_CURRENT_LIST_DIR}/hostile_env_test.sh ${case} $<TARGET_FILE:veloxia3dbench> $<TARGET_FILE:vxpack>
              ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} ${PROJECT_SOURCE_DIR}/assets/sat ${CMAKE_CURRENT_BINARY_DIR}/hostile)
    set_tests_properties(hostile.${case} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 LABELS hostile)
  endforeach()
endif()
