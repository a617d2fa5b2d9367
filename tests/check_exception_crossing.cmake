cmake_minimum_required(VERSION 3.25)
# Runs PROBE (through EMULATOR, if given) for one CROSSING and fails unless the exception was
# caught where it was meant to be: the probe's line ends with "caught" and it exits with 0.
execute_process(COMMAND ${EMULATOR} ${PROBE} ${CROSSING} RESULT_VARIABLE result OUTPUT_VARIABLE output
                ERROR_VARIABLE errors)
string(REPLACE "\r" "" output "${output}")
if(NOT result EQUAL 0 OR NOT output STREQUAL "${CROSSING}: caught\n")
  message(FATAL_ERROR "${CROSSING}: expected the exception to be caught; exit status ${result}, output [${output}], "
                      "messages [${errors}]")
endif()
message(STATUS "${CROSSING}: caught")
