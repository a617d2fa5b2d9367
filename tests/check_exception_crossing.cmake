cmake_minimum_required(VERSION 3.25)
# Runs PROBE (through EMULATOR, if given) for one CROSSING and fails unless its outcome is
# OUTCOME: "caught" (the probe's line ends with "caught" and it exits with 0), or "ends_process"
# (the throw ends the process through the C++ runtime's terminate, so its line stops before any
# outcome).
execute_process(COMMAND ${EMULATOR} ${PROBE} ${CROSSING} RESULT_VARIABLE result OUTPUT_VARIABLE output
                ERROR_VARIABLE errors)
string(REPLACE "\r" "" output "${output}")
set(seen "exit status ${result}, output [${output}], messages [${errors}]")
if(OUTCOME STREQUAL "caught")
  if(NOT result EQUAL 0 OR NOT output STREQUAL "${CROSSING}: caught\n")
    message(FATAL_ERROR "${CROSSING}: expected the exception to be caught; ${seen}")
  endif()
elseif(OUTCOME STREQUAL "ends_process")
  if(result EQUAL 0 OR NOT output STREQUAL "${CROSSING}: "
     OR NOT errors MATCHES "terminate called after throwing an instance of 'std::runtime_error'")
    message(FATAL_ERROR "${CROSSING}: expected the throw to end the process through terminate; ${seen}")
  endif()
else()
  message(FATAL_ERROR "OUTCOME is '${OUTCOME}'; it takes caught or ends_process")
endif()
message(STATUS "${CROSSING}: ${OUTCOME}")
