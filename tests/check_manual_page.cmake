# Every option that PROGRAM --help names has a paragraph of its own in the OPTIONS section of the
# manual page PAGE, and GROFF reads the page without a warning (as `man -l` shows it).
include(${CMAKE_CURRENT_LIST_DIR}/program_options.cmake)
keylume_sim_options(${PROGRAM} options)

file(READ ${PAGE} page)
string(FIND "${page}" "\n.SH OPTIONS\n" start)
if(start EQUAL -1)
  message(FATAL_ERROR "${PAGE} has no OPTIONS section")
endif()
string(SUBSTRING "${page}" ${start} -1 section)
string(SUBSTRING "${section}" 1 -1 section)
string(FIND "${section}" "\n.SH " end)
string(SUBSTRING "${section}" 0 ${end} section)
# Each option is described in a paragraph of its own, tagged with it: the line after .TP.
string(REGEX MATCHALL "\n\\.TP\n[^\n]*" tags "${section}")
# As read: roff's minus signs are hyphens, font changes are not text.
string(REPLACE "\\-" "-" tags "${tags}")
string(REGEX REPLACE "\\\\f[BIRP]" "" tags "${tags}")

set(missing)
foreach(option ${options})
  if(NOT tags MATCHES "${option}([^a-z-]|$)")
    list(APPEND missing ${option})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "${PAGE}: the OPTIONS section has no paragraph for ${missing}, which --help names")
endif()

execute_process(COMMAND ${GROFF} -man -ww -z ${PAGE} RESULT_VARIABLE result OUTPUT_VARIABLE warnings
                ERROR_VARIABLE warnings)
if(NOT result EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff warns about ${PAGE} (${result}):\n${warnings}")
endif()
message(STATUS "${PAGE} describes all ${options} and reads without warnings")
