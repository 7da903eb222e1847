# SPDX-License-Identifier: MIT
# Runs COMMAND (its words separated by |) and checks its exit status against EXPECT and, when given, its
# standard error against STDERR_MATCH and its standard output against STDOUT_MATCH.
string(REPLACE "|" ";" COMMAND "${COMMAND}")
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status STREQUAL EXPECT)
  message(FATAL_ERROR "exit status ${status}, expected ${EXPECT}\nstdout: ${out}\nstderr: ${err}")
endif()
if(DEFINED STDERR_MATCH AND NOT err MATCHES "${STDERR_MATCH}")
  message(FATAL_ERROR "standard error does not match '${STDERR_MATCH}':\n${err}")
endif()
if(DEFINED STDOUT_MATCH AND NOT out MATCHES "${STDOUT_MATCH}")
  message(FATAL_ERROR "standard output does not match '${STDOUT_MATCH}':\n${out}")
endif()
