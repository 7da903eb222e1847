# SPDX-License-Identifier: MIT
# The program's own check of a build: every frame of the validation runs against the reference.
if(TARGET veloxia3dbench)
  add_test(NAME validate COMMAND veloxia3dbench --validate)
  set_tests_properties(validate PROPERTIES LABELS validate TIMEOUT 600
    PASS_REGULAR_EXPRESSION "^validation: [0-9]+ frames match")
endif()
