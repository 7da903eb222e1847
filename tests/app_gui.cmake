# SPDX-License-Identifier: MIT
# The benchmark as a person uses it: the real program in a virtual X display, tapped with
# xdotool and photographed with ImageMagick. Skipped where those tools are missing.
if(TARGET veloxia3dbench)
  add_test(NAME app_gui
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/app_gui_test.sh $<TARGET_FILE:veloxia3dbench> ${CMAKE_CURRENT_BINARY_DIR}/app_gui)
  set_tests_properties(app_gui PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180 LABELS gui RUN_SERIAL TRUE)
endif()
